// RTF writer: the form the Windows rich-edit control writes, which WordPad,
// Word and LibreOffice open alike. Text in the system code page with \'hh for
// each byte outside ASCII and \uN? for each character it does not define, a font table and a
// colour table of what the document uses, one \par at the end of every paragraph (the last one
// included, as the rich-edit control does), CR LF line ends. Links are
// HYPERLINK fields, tables \trowd ... \cell ... \row rows, and list items
// carry both the rich-edit control's \pn numbering and Word's \ls lists.

#include "formats/RtfCodec.h"
#include "formats/RichText.h"

#include "formats/CodePage.h"

#include <QBuffer>
#include <QColor>
#include <QFont>
#include <QHash>
#include <QImage>
#include <QPixmap>
#include <QTextBlock>
#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextDocument>
#include <QTextFragment>
#include <QTextImageFormat>
#include <QTextList>
#include <QTextTable>
#include <QUrl>

#include <cmath>

namespace RichText::Rtf {
namespace {

constexpr double kTwipsPerPixel = 15.0; // 96 pixels an inch
constexpr int kWrapColumn = 200;        // a line is broken at the next token after this
constexpr int kHexPerLine = 128;
constexpr int kTextWidthTwips =
    9638; // a table whose widths are not fixed fills A4 between 2 cm margins
// Readers take cell edges closer than this for one: a table of very many
// columns is made wider than the page instead.
constexpr int kNarrowestColumnTwips = 60;
constexpr int kListIndentTwips = 720;
constexpr int kListLevels = 9;

// The \fcharset Windows gives fonts in a document of the code page.
int charsetFor(int codePage)
{
    switch (codePage) {
    case 874:
        return 222;
    case 932:
        return 128;
    case 936:
        return 134;
    case 949:
        return 129;
    case 950:
        return 136;
    case 1250:
        return 238;
    case 1251:
        return 204;
    case 1253:
        return 161;
    case 1254:
        return 162;
    case 1255:
        return 177;
    case 1256:
        return 178;
    case 1257:
        return 186;
    case 1258:
        return 163;
    default:
        return 0;
    }
}

struct CharState {
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strike = false;
    int vertical = 0; // 0 normal, 1 superscript, 2 subscript
    int font = -1;
    int halfPoints = -1;
    int foreground = 0;
    int background = 0;
    bool operator==(const CharState&) const = default;
};

int twips(double pixels)
{
    return int(std::lround(qBound(-1.0e6, pixels, 1.0e6) * kTwipsPerPixel));
}

bool isImageChar(QChar c, const QTextCharFormat& format)
{
    return c == QChar::ObjectReplacementCharacter && format.isImageFormat();
}

bool isBullet(QTextListFormat::Style style)
{
    return style == QTextListFormat::ListDisc || style == QTextListFormat::ListCircle ||
           style == QTextListFormat::ListSquare;
}

const char* pnWord(QTextListFormat::Style style)
{
    switch (style) {
    case QTextListFormat::ListUpperRoman:
        return "pnucrm";
    case QTextListFormat::ListLowerRoman:
        return "pnlcrm";
    case QTextListFormat::ListUpperAlpha:
        return "pnucltr";
    case QTextListFormat::ListLowerAlpha:
        return "pnlcltr";
    default:
        return "pndec";
    }
}

// What a list was read with, or what the editor gives it.
int numberFormatOf(const QTextListFormat& format)
{
    return format.hasProperty(ListNumberForm) ? format.intProperty(ListNumberForm)
                                              : listNumberFormat(format.style());
}

int startOf(const QTextListFormat& format)
{
    return format.hasProperty(ListStart) ? format.intProperty(ListStart) : 1;
}

QString suffixOf(const QTextListFormat& format)
{
    return format.hasProperty(QTextFormat::ListNumberSuffix) ? format.numberSuffix()
                                                             : QStringLiteral(".");
}

// The number of a list item as the list's style spells it.
QString numberText(QTextListFormat::Style style, int number)
{
    const bool upper =
        style == QTextListFormat::ListUpperAlpha || style == QTextListFormat::ListUpperRoman;
    if (number > 0 &&
        (style == QTextListFormat::ListLowerAlpha || style == QTextListFormat::ListUpperAlpha)) {
        QString letters;
        for (int n = number; n > 0; n = (n - 1) / 26)
            letters.prepend(QChar((upper ? 'A' : 'a') + (n - 1) % 26));
        return letters;
    }
    if (number > 0 && number < 4000 &&
        (style == QTextListFormat::ListLowerRoman || style == QTextListFormat::ListUpperRoman)) {
        static const std::pair<int, const char*> numerals[] = {
            {1000, "m"}, {900, "cm"}, {500, "d"}, {400, "cd"}, {100, "c"}, {90, "xc"}, {50, "l"},
            {40, "xl"},  {10, "x"},   {9, "ix"},  {5, "v"},    {4, "iv"},  {1, "i"}};
        QString roman;
        int n = number;
        for (const auto& [value, text] : numerals)
            for (; n >= value; n -= value)
                roman += QLatin1String(text);
        return upper ? roman.toUpper() : roman;
    }
    return QString::number(number);
}

QString linkOf(const QTextCharFormat& format)
{
    return format.isAnchor() ? format.anchorHref() : QString();
}

class Writer {
public:
    explicit Writer(const QTextDocument* document) : m_document(document) {}

    QByteArray run();

private:
    void collectTables();
    int fontIndex(const QTextCharFormat& format) const;
    QString familyOf(const QTextCharFormat& format) const;
    int colorIndex(const QBrush& brush) const;
    void addColor(const QBrush& brush);

    void collectLists();
    CharState charState(const QTextCharFormat& format) const;
    Paragraph paraState(const QTextBlockFormat& format) const;
    void switchTo(const CharState& state);
    void writePara(const Paragraph& state);
    void writeText(const QString& text);
    void writeImage(const QTextImageFormat& format);
    void writeListTable();
    void writeListItem(const QTextBlock& block);
    void writeFrame(const QTextFrame* frame);
    void writeBlock(const QTextBlock& block, const char* end, bool inCell);
    void writeTable(const QTextTable* table);
    void openLink(const QString& target);
    void closeLink();

    // Output primitives.
    void word(const char* name);
    void word(const char* name, int value);
    void symbol(const char* text); // a control symbol or escape, no delimiter after it
    void plain(char c);            // a character that stands for itself
    void raw(const QByteArray& bytes);
    void newline();
    void wrapIfLong();

    const QTextDocument* m_document;
    // The note's code page: the system's, as the rich-edit control writes it.
    const int m_codePage = CodePage::system() == CodePage::Utf8 ? 1252 : CodePage::system();
    QByteArray m_out;
    int m_column = 0;
    bool m_needDelimiter = false;

    QStringList m_fonts;
    QList<QRgb> m_colors;
    QList<const QTextList*> m_lists;            // in the order met; list n is \listid and \ls n + 1
    QHash<const QTextList*, int> m_listNumbers; // \ls of each list
    QHash<const QTextList*, int> m_itemsWritten;
    CharState m_state;
    Paragraph m_para;
    bool m_newPard = true; // the next paragraph starts with \pard whatever its properties
    QString m_link;        // the target of the link being written
    CharState m_stateBeforeLink;
};

QString Writer::familyOf(const QTextCharFormat& format) const
{
    const QStringList families = format.fontFamilies().toStringList();
    QString family = families.value(0);
    if (family.isEmpty())
        family = m_document->defaultFont().family();
    family.remove(QLatin1Char(';'));
    family.remove(QLatin1Char('{'));
    family.remove(QLatin1Char('}'));
    family.remove(QLatin1Char('\\'));
    return family.trimmed().isEmpty() ? QStringLiteral("Arial") : family.trimmed();
}

int Writer::fontIndex(const QTextCharFormat& format) const
{
    return qMax(0, int(m_fonts.indexOf(familyOf(format))));
}

void Writer::addColor(const QBrush& brush)
{
    if (brush.style() == Qt::NoBrush || !brush.color().isValid())
        return;
    const QRgb rgb = brush.color().rgb();
    if (!m_colors.contains(rgb))
        m_colors.append(rgb);
}

int Writer::colorIndex(const QBrush& brush) const
{
    if (brush.style() == Qt::NoBrush || !brush.color().isValid())
        return 0;
    return int(m_colors.indexOf(brush.color().rgb())) + 1;
}

void Writer::collectTables()
{
    m_fonts.append(familyOf(QTextCharFormat()));
    auto addFont = [this](const QTextCharFormat& format) {
        const QString family = familyOf(format);
        if (!m_fonts.contains(family))
            m_fonts.append(family);
    };
    for (QTextBlock block = m_document->begin(); block.isValid(); block = block.next()) {
        if (const QTextTable* table = QTextCursor(block).currentTable()) {
            const QTextTableCell cell = table->cellAt(block.position());
            addColor(cell.format().background());
        }
        addColor(block.blockFormat().background());
        if (block.begin().atEnd()) {
            addFont(block.charFormat());
            addColor(block.charFormat().foreground());
            addColor(block.charFormat().background());
        }
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat format = it.fragment().charFormat();
            addFont(format);
            addColor(format.foreground());
            addColor(format.background());
        }
    }
}

CharState Writer::charState(const QTextCharFormat& format) const
{
    CharState s;
    s.bold = format.fontWeight() >= QFont::DemiBold;
    s.italic = format.fontItalic();
    s.underline = format.fontUnderline() || format.underlineStyle() != QTextCharFormat::NoUnderline;
    s.strike = format.fontStrikeOut();
    if (format.verticalAlignment() == QTextCharFormat::AlignSuperScript)
        s.vertical = 1;
    else if (format.verticalAlignment() == QTextCharFormat::AlignSubScript)
        s.vertical = 2;
    s.font = fontIndex(format);
    double points = format.fontPointSize();
    if (points <= 0)
        points = m_document->defaultFont().pointSizeF();
    if (points <= 0)
        points = 12;
    s.halfPoints = qBound(1, int(std::lround(points * 2)), 3276);
    s.foreground = colorIndex(format.foreground());
    s.background = colorIndex(format.background());
    return s;
}

Paragraph Writer::paraState(const QTextBlockFormat& format) const
{
    Paragraph s;
    const Qt::Alignment h = format.alignment() & Qt::AlignHorizontal_Mask;
    if (h & Qt::AlignHCenter)
        s.align = 1;
    else if (h & Qt::AlignJustify)
        s.align = 3;
    else if (h & Qt::AlignRight)
        s.align = 2;
    s.rightToLeft = format.layoutDirection() == Qt::RightToLeft;
    s.leftIndent = twips(format.leftMargin() + format.indent() * m_document->indentWidth());
    s.rightIndent = twips(format.rightMargin());
    s.firstIndent = twips(format.textIndent());
    s.spaceBefore = qMax(0, twips(format.topMargin()));
    s.spaceAfter = qMax(0, twips(format.bottomMargin()));
    switch (format.lineHeightType()) {
    case QTextBlockFormat::ProportionalHeight:
        if (format.lineHeight() != 100) {
            s.lineSpacing = int(std::lround(format.lineHeight() * 240 / 100));
            s.lineMultiple = true;
        }
        break;
    case QTextBlockFormat::FixedHeight:
        s.lineSpacing = -qAbs(twips(format.lineHeight()));
        break;
    case QTextBlockFormat::MinimumHeight:
        s.lineSpacing = qAbs(twips(format.lineHeight()));
        break;
    default:
        break;
    }
    s.background = colorIndex(format.background());
    return s;
}

void Writer::word(const char* name)
{
    wrapIfLong();
    m_out += '\\';
    m_out += name;
    m_column += 1 + int(qstrlen(name));
    m_needDelimiter = true;
}

void Writer::word(const char* name, int value)
{
    wrapIfLong();
    m_out += '\\';
    m_out += name;
    const QByteArray number = QByteArray::number(value);
    m_out += number;
    m_column += 1 + int(qstrlen(name)) + int(number.size());
    m_needDelimiter = true;
}

void Writer::symbol(const char* text)
{
    wrapIfLong();
    m_out += text;
    m_column += int(qstrlen(text));
    m_needDelimiter = false;
}

void Writer::plain(char c)
{
    wrapIfLong();
    if (m_needDelimiter) {
        m_out += ' ';
        ++m_column;
        m_needDelimiter = false;
    }
    m_out += c;
    ++m_column;
}

void Writer::raw(const QByteArray& bytes)
{
    m_out += bytes;
    m_column += int(bytes.size());
    m_needDelimiter = false;
}

void Writer::newline()
{
    // CR ends a control word as a space would; readers ignore CR and LF.
    m_needDelimiter = false;
    m_out += "\r\n";
    m_column = 0;
}

void Writer::wrapIfLong()
{
    if (m_column >= kWrapColumn)
        newline();
}

void Writer::switchTo(const CharState& s)
{
    CharState& c = m_state;
    if (s.font != c.font)
        word("f", s.font);
    if (s.halfPoints != c.halfPoints)
        word("fs", s.halfPoints);
    if (s.foreground != c.foreground)
        word("cf", s.foreground);
    if (s.background != c.background) {
        // \highlight for the rich-edit control, WordPad and LibreOffice,
        // \chcbpat for Word, whose highlight has only sixteen colours.
        word("highlight", s.background);
        word("chcbpat", s.background);
    }
    if (s.bold != c.bold)
        s.bold ? word("b") : word("b", 0);
    if (s.italic != c.italic)
        s.italic ? word("i") : word("i", 0);
    if (s.underline != c.underline)
        s.underline ? word("ul") : word("ulnone");
    if (s.strike != c.strike)
        s.strike ? word("strike") : word("strike", 0);
    if (s.vertical != c.vertical)
        word(s.vertical == 1 ? "super" : s.vertical == 2 ? "sub" : "nosupersub");
    c = s;
}

void Writer::writePara(const Paragraph& p)
{
    word("pard");
    if (p.rightToLeft)
        word("rtlpar");
    if (p.align == 1)
        word("qc");
    else if (p.align == 2)
        word("qr");
    else if (p.align == 3)
        word("qj");
    if (p.leftIndent)
        word("li", p.leftIndent);
    if (p.rightIndent)
        word("ri", p.rightIndent);
    if (p.firstIndent)
        word("fi", p.firstIndent);
    if (p.spaceBefore)
        word("sb", p.spaceBefore);
    if (p.spaceAfter)
        word("sa", p.spaceAfter);
    if (p.lineSpacing) {
        word("sl", p.lineSpacing);
        word("slmult", p.lineMultiple ? 1 : 0);
    }
    if (p.background)
        word("cbpat", p.background);
}

void Writer::writeText(const QString& text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        const char16_t u = c.unicode();
        if (u >= 0x20 && u < 0x7F) {
            if (u == '\\')
                symbol("\\\\");
            else if (u == '{')
                symbol("\\{");
            else if (u == '}')
                symbol("\\}");
            else
                plain(char(u));
            continue;
        }
        switch (u) {
        case u'\t':
            word("tab");
            continue;
        case QChar::LineSeparator:
            word("line");
            continue;
        case 0x00A0:
            symbol("\\~");
            continue;
        case 0x00AD:
            symbol("\\-");
            continue;
        case 0x2011:
            symbol("\\_");
            continue;
        case QChar::ParagraphSeparator:
        case QChar::ObjectReplacementCharacter:
        case 0xFDD0: // frame markers of QTextDocument
        case 0xFDD1:
            continue;
        default:
            break;
        }
        if (u < 0x20)
            continue;

        QString character(c);
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
            character += text.at(++i);
        if (const std::optional<QByteArray> bytes =
                CodePage::encodeDefined(character, m_codePage)) {
            // A double-byte character is its lead and trail byte, each escaped.
            QByteArray escapes;
            for (const char byte : *bytes)
                escapes += "\\'" + QByteArray::number(uchar(byte), 16).rightJustified(2, '0');
            symbol(escapes.constData());
            continue;
        }
        for (const QChar unit : character) {
            // \uN takes a signed 16-bit number; \uc1 in the header, '?' stands in.
            word("u", int(qint16(unit.unicode())));
            symbol("?");
        }
    }
}

void Writer::writeImage(const QTextImageFormat& format)
{
    const QVariant resource =
        m_document->resource(QTextDocument::ImageResource, QUrl(format.name()));
    QImage image;
    if (resource.userType() == QMetaType::QImage)
        image = resource.value<QImage>();
    else if (resource.userType() == QMetaType::QPixmap)
        image = resource.value<QPixmap>().toImage();
    else if (resource.userType() == QMetaType::QByteArray)
        image.loadFromData(resource.toByteArray());
    if (image.isNull())
        return;

    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG"))
        return;

    double width = format.width();
    double height = format.height();
    if (width <= 0 && height <= 0) {
        width = image.width();
        height = image.height();
    } else if (width <= 0) {
        width = height * image.width() / image.height();
    } else if (height <= 0) {
        height = width * image.height() / image.width();
    }

    symbol("{");
    word("pict");
    word("pngblip");
    word("picw", image.width());
    word("pich", image.height());
    word("picwgoal", twips(width));
    word("pichgoal", twips(height));
    newline();
    const QByteArray hex = png.toHex();
    for (qsizetype at = 0; at < hex.size(); at += kHexPerLine) {
        raw(hex.mid(at, kHexPerLine));
        newline();
    }
    symbol("}");
}

void Writer::collectLists()
{
    for (QTextBlock block = m_document->begin(); block.isValid(); block = block.next()) {
        const QTextList* list = block.textList();
        if (list && !m_listNumbers.contains(list)) {
            m_lists.append(list);
            m_listNumbers.insert(list, int(m_lists.size()));
        }
    }
}

// Word's form of the lists: each list of the document is a list of the list
// table with nine levels of its style, and the list override of the same number.
void Writer::writeListTable()
{
    if (m_lists.isEmpty())
        return;
    symbol("{\\*");
    word("listtable");
    for (qsizetype i = 0; i < m_lists.size(); ++i) {
        const QTextListFormat format = m_lists.at(i)->format();
        const QTextListFormat::Style style = format.style();
        const int id = int(i) + 1;
        symbol("{");
        word("list");
        word("listtemplateid", id);
        for (int level = 0; level < kListLevels; ++level) {
            symbol("{");
            word("listlevel");
            word("levelnfc", numberFormatOf(format));
            word("levelnfcn", numberFormatOf(format));
            word("leveljc", 0);
            word("levelfollow", 0);
            word("levelstartat", startOf(format));
            symbol("{");
            word("leveltext");
            if (isBullet(style)) {
                symbol("\\'01");
                writeText(QStringLiteral("\u2022;"));
                symbol("}{");
                word("levelnumbers");
            } else {
                // Its length, the text before the number, the number, the text after it.
                const QString before = format.numberPrefix();
                const QString after = suffixOf(format);
                char text[16];
                qsnprintf(text, sizeof text, "\\'%02x",
                          int(before.size() + 1 + after.size()) & 0xFF);
                symbol(text);
                writeText(before);
                qsnprintf(text, sizeof text, "\\'%02x", level);
                symbol(text);
                writeText(after);
                symbol(";}{");
                word("levelnumbers");
                qsnprintf(text, sizeof text, "\\'%02x", int(before.size() + 1) & 0xFF);
                symbol(text);
            }
            symbol(";}");
            word("fi", -360);
            word("li", kListIndentTwips * (level + 1));
            symbol("}");
        }
        symbol("{");
        word("listname");
        symbol(";}");
        word("listid", id);
        symbol("}");
        newline();
    }
    symbol("}{\\*");
    word("listoverridetable");
    for (qsizetype i = 0; i < m_lists.size(); ++i) {
        symbol("{");
        word("listoverride");
        word("listid", int(i) + 1);
        word("listoverridecount", 0);
        word("ls", int(i) + 1);
        symbol("}");
    }
    symbol("}");
    newline();
}

// The item's number or bullet as text for readers without lists, the
// rich-edit control's \pn numbering, and Word's list and level.
void Writer::writeListItem(const QTextBlock& block)
{
    const QTextList* list = block.textList();
    const QTextListFormat format = list->format();
    const QTextListFormat::Style style = format.style();
    // Counted as written: asking the list for an item's number takes time
    // growing with the list.
    const int number = startOf(format) + m_itemsWritten[list]++;
    symbol("{");
    word("pntext");
    writeText(isBullet(style)
                  ? QStringLiteral("\u2022")
                  : format.numberPrefix() + numberText(style, number) + suffixOf(format));
    word("tab");
    symbol("}{\\*");
    word("pn");
    if (isBullet(style)) {
        word("pnlvlblt");
        word("pnf", 0);
        word("pnindent", 0);
        symbol("{");
        word("pntxtb");
        writeText(QStringLiteral("\u2022"));
        symbol("}");
    } else {
        word("pnlvlbody");
        word("pnf", 0);
        word("pnindent", 0);
        word("pnstart", startOf(format));
        word(pnWord(style));
        if (!format.numberPrefix().isEmpty()) {
            symbol("{");
            word("pntxtb");
            writeText(format.numberPrefix());
            symbol("}");
        }
        symbol("{");
        word("pntxta");
        writeText(suffixOf(format));
        symbol("}");
    }
    symbol("}");
    word("ls", m_listNumbers.value(list));
    word("ilvl", qBound(0, list->format().indent() - 1, kListLevels - 1));
}

void Writer::openLink(const QString& target)
{
    if (target == m_link)
        return;
    closeLink();
    if (target.isEmpty())
        return;
    m_link = target;
    m_stateBeforeLink = m_state;
    QString argument = target;
    argument.replace(QLatin1Char('\\'),
                     QLatin1String("\\\\")); // a field argument doubles its backslashes
    argument.replace(QLatin1Char('"'), QLatin1String("%22"));
    symbol("{");
    word("field");
    symbol("{\\*");
    word("fldinst");
    symbol("{");
    writeText(QStringLiteral("HYPERLINK \"") + argument + QLatin1Char('"'));
    symbol("}}{");
    word("fldrslt");
    symbol("{");
}

void Writer::closeLink()
{
    if (m_link.isEmpty())
        return;
    symbol("}}}");
    m_link.clear();
    m_state = m_stateBeforeLink; // the groups closed took the link's formats with them
}

void Writer::writeBlock(const QTextBlock& block, const char* end, bool inCell)
{
    Paragraph p = paraState(block.blockFormat());
    const QTextList* list = block.textList();
    if (list) {
        p.leftIndent = kListIndentTwips * qMax(1, list->format().indent());
        p.firstIndent = -360;
    }
    if (m_newPard || !(p == m_para))
        writePara(p);
    m_para = p;
    m_newPard = list || inCell;
    if (inCell)
        word("intbl");
    if (list)
        writeListItem(block);

    if (block.begin().atEnd())
        switchTo(charState(block.charFormat()));
    for (auto it = block.begin(); !it.atEnd(); ++it) {
        const QTextFragment fragment = it.fragment();
        const QTextCharFormat format = fragment.charFormat();
        openLink(linkOf(format));
        switchTo(charState(format));
        const QString text = fragment.text();
        if (!format.isImageFormat()) {
            writeText(text);
            continue;
        }
        for (const QChar c : text) {
            if (isImageChar(c, format))
                writeImage(format.toImageFormat());
            else
                writeText(QString(c));
        }
    }
    closeLink();
    word(end);
    newline();
}

void Writer::writeFrame(const QTextFrame* frame)
{
    for (auto it = frame->begin(); !it.atEnd(); ++it) {
        if (const QTextTable* table = qobject_cast<const QTextTable*>(it.currentFrame()))
            writeTable(table);
        else if (const QTextFrame* child = it.currentFrame())
            writeFrame(child);
        else if (!isTableJoint(it.currentBlock()))
            writeBlock(it.currentBlock(), "par", false);
    }
}

// The column after the last cell of row: the cells that only fill a row out
// to the table's width are left out while they hold nothing.
int rowEnd(const QTextTable* table, int row)
{
    int end = table->columns();
    while (end > 1) {
        const QTextTableCell cell = table->cellAt(row, end - 1);
        if (cell.row() != row || cell.column() != end - 1 || cell.columnSpan() != 1 ||
            cell.rowSpan() != 1 || !cell.format().boolProperty(FillerCell) ||
            cell.firstPosition() != cell.lastPosition())
            break;
        --end;
    }
    return end;
}

// Each row defines its cells by their right edges; a cell spanning columns is
// one wider cell, a cell spanning rows starts with \clvmgf and goes on with an
// empty \clvmrg cell in each row below. A table inside a cell is written as
// the paragraphs of its cells.
void Writer::writeTable(const QTextTable* table)
{
    const QTextTableFormat format = table->format();
    const QList<QTextLength> widths = format.columnWidthConstraints();
    QList<int> edges;
    int right = 0;
    for (int column = 0; column < table->columns(); ++column) {
        const QTextLength width = widths.value(column);
        if (width.type() == QTextLength::FixedLength)
            right += qMax(1, twips(width.rawValue()));
        else if (width.type() == QTextLength::PercentageLength)
            right += qMax(1, int(kTextWidthTwips * width.rawValue() / 100));
        else
            right += qMax(kTextWidthTwips / table->columns(), kNarrowestColumnTwips);
        edges << right;
    }
    const bool borders =
        format.border() > 0 && format.borderStyle() != QTextFrameFormat::BorderStyle_None;
    m_newPard = true;
    for (int row = 0; row < table->rows(); ++row) {
        const int end = rowEnd(table, row);
        word("trowd");
        word("trgaph", twips(format.cellPadding()));
        word("trleft", 0);
        for (int column = 0; column < end;) {
            const QTextTableCell cell = table->cellAt(row, column);
            if (cell.rowSpan() > 1)
                word(cell.row() == row ? "clvmgf" : "clvmrg");
            const int background = colorIndex(cell.format().background());
            if (background)
                word("clcbpat", background);
            if (borders) {
                for (const char* side : {"clbrdrt", "clbrdrl", "clbrdrb", "clbrdrr"}) {
                    word(side);
                    word("brdrs");
                    word("brdrw", qBound(1, twips(format.border()), 75));
                }
            }
            column = cell.column() + cell.columnSpan();
            word("cellx", edges.value(column - 1));
        }
        newline();
        for (int column = 0; column < end;) {
            const QTextTableCell cell = table->cellAt(row, column);
            column = cell.column() + cell.columnSpan();
            if (cell.row() != row) {
                writePara(Paragraph());
                word("intbl");
                word("cell");
                m_newPard = true;
                continue;
            }
            const QTextBlock last = m_document->findBlock(cell.lastPosition());
            for (QTextBlock block = m_document->findBlock(cell.firstPosition());
                 block.isValid() && block.position() <= last.position(); block = block.next())
                writeBlock(block, block == last ? "cell" : "par", true);
        }
        word("row");
        newline();
    }
    m_newPard = true;
}

QByteArray Writer::run()
{
    collectTables();
    collectLists();

    raw("{\\rtf1\\ansi\\ansicpg" + QByteArray::number(m_codePage) +
        "\\deff0\\nouicompat\\deflang1033{\\fonttbl");
    for (qsizetype i = 0; i < m_fonts.size(); ++i) {
        symbol("{");
        word("f", int(i));
        word("fnil");
        word("fcharset", charsetFor(m_codePage));
        writeText(m_fonts.at(i));
        symbol(";}");
    }
    symbol("}");
    newline();
    raw("{\\colortbl ;");
    for (const QRgb rgb : m_colors) {
        word("red", qRed(rgb));
        word("green", qGreen(rgb));
        word("blue", qBlue(rgb));
        symbol(";");
    }
    symbol("}");
    newline();
    writeListTable();
    word("viewkind", 4);
    word("uc", 1);
    newline();

    writeFrame(m_document->rootFrame());
    symbol("}");
    newline();
    return m_out;
}

} // namespace

QByteArray generate(const QTextDocument* document)
{
    return Writer(document).run();
}

} // namespace RichText::Rtf
