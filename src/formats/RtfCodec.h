#pragma once

#include <QByteArray>
#include <QStringList>
#include <QTextFormat>
#include <QTextListFormat>

#include <functional>
#include <memory>

class QIODevice;
class QTextDocument;

// The two halves of RichText: RtfReader.cpp and RtfWriter.cpp. RichText.cpp
// handles devices, files, empty and plain-text input around them.
namespace RichText::Rtf {

// The paragraph properties both halves know, in RTF units (twips).
struct Paragraph {
    int align = 0; // 0 left, 1 centre, 2 right, 3 justify
    bool rightToLeft = false;
    int leftIndent = 0;
    int rightIndent = 0;
    int firstIndent = 0;
    int spaceBefore = 0;
    int spaceAfter = 0;
    int lineSpacing = 0;
    bool lineMultiple = false;
    int background = 0; // colour table index
    // Read only: the paragraph is a cell's, or a list item.
    bool inTable = false;
    int listStyle = 0;    // QTextListFormat::Style of a \pn list; 0: none
    int listLevel = 0;    // 0 for the outermost level
    int listOverride = 0; // \lsN of a list of the list table; 0: none
    int listForm = 0;     // the reader's number of the form of a \pn list; 0: none
    bool operator==(const Paragraph&) const = default;
};

// What the reader keeps in a document's formats for the writer beyond what
// the editor shows.
enum KeptProperty : int {
    // A cell that only fills its row out to the table's width.
    FillerCell = QTextFormat::UserProperty + 1,
    // Of a list: its first number, and its number form as \levelnfc gives it.
    ListStart,
    ListNumberForm,
    // Of a table: it goes on the rows of the table before it, which the
    // editor holds in pieces (one table of many rows is laid out again whole
    // at every edit); the empty paragraph between the two is not written.
    ContinuesTable,
};

class Reader;

// Reads RTF into a document in steps, so that a window can serve its events
// between them. Never fails: damaged input gives whatever text could be recovered.
class Parser {
public:
    // data starts with "{\rtf"; the content of document is replaced. A
    // table of more than tablePieceRows rows is made as tables of that many
    // rows each, continuing one another; 0 makes every table whole.
    Parser(const QByteArray& data, QTextDocument* document, int tablePieceRows = 0);
    ~Parser();
    // Reads about bytes more of the input; true once all of it is read.
    bool step(qsizetype bytes);
    // The share of the input read so far, 0 to 1.
    double progress() const;
    // What the document could not hold, by name, in the order first met.
    QStringList notKept() const;
    // What the document holds but the editor shows otherwise, by name.
    QStringList notShown() const;

private:
    std::unique_ptr<Reader> m_reader;
};

// text without the characters a QTextDocument must not hold: control
// characters other than tab, its frame markers, U+FFFC and unpaired
// surrogates (as U+FFFD).
QString cleanText(const QString& text);

// The text-only pass of the reader: hands sink, piece by piece, what the
// document pass would show as QTextDocument::toPlainText(), reading head (the
// bytes already read, starting with "{\rtf") and then device to its end in chunks.
void readPlainText(QIODevice* device, QByteArray head,
                   const std::function<void(QStringView)>& sink);

// The RTF form of document.
QByteArray generate(const QTextDocument* document);

// The \levelnfcN of a list style, which the \pn words follow too: 23 (a
// bullet) for a style without numbers.
inline int listNumberFormat(QTextListFormat::Style style)
{
    switch (style) {
    case QTextListFormat::ListDecimal:
        return 0;
    case QTextListFormat::ListUpperRoman:
        return 1;
    case QTextListFormat::ListLowerRoman:
        return 2;
    case QTextListFormat::ListUpperAlpha:
        return 3;
    case QTextListFormat::ListLowerAlpha:
        return 4;
    default:
        return 23;
    }
}

} // namespace RichText::Rtf
