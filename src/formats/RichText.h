#pragma once

#include <QStringList>

#include <functional>
#include <memory>

class QTextBlock;
class QTextDocument;
class QIODevice;

// The rich-text notes of the board objects are RTF files, as the Windows
// versions of the program wrote them through the Windows rich-edit control.
// Qt has no RTF support, so these functions read RTF into a QTextDocument and
// write one out as RTF that the rich-edit control, WordPad, Word and
// LibreOffice open with the same text, colours and character styles.
namespace RichText {

namespace Rtf {
class Parser;
}

// Fills document from RTF, replacing what it held. A zero-byte input is an
// empty note; an input that is not RTF (does not start with "{\rtf") is plain
// text, decoded as UTF-8 when it is valid UTF-8, otherwise in the system code page.
// Returns false and sets *error only for an input that cannot be read at all;
// damaged RTF loads as much of its text as can be found.
// *notKept names what the note holds that the document cannot (embedded
// objects, footnotes, ...), in the order first met; empty when nothing was dropped.
// *notShown names what the document keeps, and write() writes back, but the
// editor shows otherwise (list start numbers, ...).
bool read(QIODevice* device, QTextDocument* document, QString* error = nullptr,
          QStringList* notKept = nullptr, QStringList* notShown = nullptr);

// Writes document as RTF (the system code page, named in \ansicpg, with \u
// escapes for other characters, CR LF line ends).
bool write(const QTextDocument* document, QIODevice* device, QString* error = nullptr);

bool readFile(const QString& path, QTextDocument* document, QString* error = nullptr,
              QStringList* notKept = nullptr, QStringList* notShown = nullptr);

// The text of a note without a document: what read() followed by
// QTextDocument::toPlainText() gives (a line feed between paragraphs and
// around table cells, U+FFFC for each picture), in a fraction of the time and
// memory. The device is read in chunks, so a big note is never held whole.
// Returns false and sets *error only for an input that cannot be read at all.
bool readText(QIODevice* device, QString* text, QString* error = nullptr);
bool readTextFile(const QString& path, QString* text, QString* error = nullptr);
// The same handed to sink piece by piece, so that a big note's text can be
// kept in another form without being held whole as a QString first.
bool readText(QIODevice* device, const std::function<void(QStringView)>& sink,
              QString* error = nullptr);
bool readTextFile(const QString& path, const std::function<void(QStringView)>& sink,
                  QString* error = nullptr);

// Reads the bytes of a note into a document in steps, so that a window can
// serve its events while a big note is read. The document is filled as read()
// fills it once step() has returned true, except that a table of more than
// tablePieceRows rows is held as consecutive tables of at most that many rows,
// which write() writes back as the one table it read.
class StepReader {
public:
    StepReader(const QByteArray& data, QTextDocument* document, int tablePieceRows = 0);
    ~StepReader();
    // Reads about bytes more of the note; true once all of it is read.
    bool step(qsizetype bytes);
    // The share read so far, 0 to 1.
    double progress() const;
    QStringList notKept() const;
    QStringList notShown() const;

private:
    QTextDocument* m_document;
    bool m_undo;
    std::unique_ptr<Rtf::Parser> m_parser; // null for a note that is not RTF
};

// The empty paragraph a document keeps between two pieces of a long table as
// StepReader makes them: it takes no room, and write() leaves it out.
bool isTableJoint(const QTextBlock& block);

// Writes through QSaveFile: the file is replaced whole or left as it was.
bool writeFile(const QTextDocument* document, const QString& path, QString* error = nullptr);

} // namespace RichText
