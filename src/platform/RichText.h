#pragma once

#include <QString>

class QTextDocument;
class QIODevice;

// The rich-text notes of the board objects are RTF files, as the Windows
// versions of the program wrote them through the Windows rich-edit control.
// Qt has no RTF support, so these functions read RTF into a QTextDocument and
// write one out as RTF that the rich-edit control, WordPad, Word and
// LibreOffice open with the same text, colours and character styles.
namespace RichText {

// Fills document from RTF, replacing what it held. A zero-byte input is an
// empty note; an input that is not RTF (does not start with "{\rtf") is plain
// text, decoded as UTF-8 when it is valid UTF-8, otherwise in the system code page.
// Returns false and sets *error only for an input that cannot be read at all;
// damaged RTF loads as much of its text as can be found.
bool read(QIODevice* device, QTextDocument* document, QString* error = nullptr);

// Writes document as RTF (the system code page, named in \ansicpg, with \u
// escapes for other characters, CR LF line ends).
bool write(const QTextDocument* document, QIODevice* device, QString* error = nullptr);

bool readFile(const QString& path, QTextDocument* document, QString* error = nullptr);

// Writes through QSaveFile: the file is replaced whole or left as it was.
bool writeFile(const QTextDocument* document, const QString& path, QString* error = nullptr);

} // namespace RichText
