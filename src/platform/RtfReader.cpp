// RTF reader: builds a QTextDocument from RTF as the Windows rich-edit
// control, WordPad, Word and LibreOffice write it. It follows Rich Text Format
// 1.9.1 as Microsoft documents it: groups save and restore the character and
// paragraph properties, destinations it does not know are skipped, control
// words it does not know are ignored. It keeps text, character styles,
// colours, font names and sizes, simple paragraph formatting and PNG/JPEG
// pictures.

#include "platform/RtfCodec.h"

#include "platform/CodePage.h"

#include <QColor>
#include <QFont>
#include <QHash>
#include <QImage>
#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextImageFormat>
#include <QUrl>

#include <map>
#include <memory>
#include <vector>

namespace RichText::Rtf {
namespace {

constexpr int kMaxDepth = 1000;        // groups nested deeper share the innermost state
constexpr int kMaxWordLength = 32;     // longer control words are read but unknown
constexpr double kTwipsPerPixel = 15.0; // 1440 twips an inch at 96 pixels an inch
constexpr int kSymbolCodePage = -2;    // \fcharset2: symbol fonts
constexpr int kDocumentCodePage = 0;   // a font without a character set of its own

enum class Dest : quint8 { Text, Skip, FontTable, ColorTable, Picture };
enum class PictureKind : quint8 { Unknown, Png, Jpeg };

struct CharProps {
    bool bold = false;
    bool italic = false;
    bool strike = false;
    bool hidden = false;
    quint8 underline = 0; // 0 none, 1 single, 2 wave
    quint8 vertical = 0;  // 0 normal, 1 superscript, 2 subscript
    int font = -1;        // -1: the default font (\deff)
    int halfPoints = 0;   // 0: no size given
    int foreground = 0;   // colour table index, 0 = automatic
    int background = 0;
    bool operator==(const CharProps&) const = default;
};


struct Group {
    CharProps chars;
    Paragraph para;
    Dest dest = Dest::Text;
    int unicodeSkip = 1;    // \ucN
    bool canResume = false; // skipped, but \result (\object) or \ud (\upr) resumes
    Dest resumeDest = Dest::Text;
    bool upr = false;       // \upr: skip the ANSI child group, keep the \ud one
};

struct FontEntry {
    QString name;
    int codePage = kDocumentCodePage;
};

struct FontBuilder {
    bool active = false;
    int number = -1;
    int codePage = kDocumentCodePage;
    QString name;
};

struct ColorBuilder {
    int red = -1;
    int green = -1;
    int blue = -1;
};

struct Picture {
    size_t depth = 0; // stack size of the \pict group
    PictureKind kind = PictureKind::Unknown;
    int goalWidth = 0; // twips
    int goalHeight = 0;
    int scaleX = 100;
    int scaleY = 100;
    QByteArray hex;
    QByteArray binary;
};

// Code page of a \fcharset value; kDocumentCodePage when the document's applies.
int codePageForCharset(int charset)
{
    switch (charset) {
    case 0: return 1252;
    case 2: return kSymbolCodePage;
    case 77: return 10000;
    case 128: return 932;
    case 129: return 949;
    case 130: return 1361;
    case 134: return 936;
    case 136: return 950;
    case 161: return 1253;
    case 162: return 1254;
    case 163: return 1258;
    case 177: return 1255;
    case 178: return 1256;
    case 186: return 1257;
    case 204: return 1251;
    case 222: return 874;
    case 238: return 1250;
    case 254: return 437;
    case 255: return 850;
    default: return kDocumentCodePage;
    }
}

// What a control word does; looked up once per word in a table.
enum class Word : quint8 {
    Unknown,
    SkipDestination,
    FontTable, ColorTable, Picture, Object, Result, Upr, Ud, ShapePicture,
    Ansi, Mac, Pc, Pca, AnsiCodePage, DefaultFont, UnicodeSkip, Unicode, Bin,
    Par, Line, Tab, Cell, Pard, Plain,
    Bold, Italic, Underline, UnderlineWave, UnderlineNone, Strike, StrikeDouble, Hidden,
    Super, Sub, NoSuperSub,
    Font, FontSize, Foreground, Background,
    Red, Green, Blue, Charset, CodePage,
    AlignLeft, AlignCenter, AlignRight, AlignJustify, RtlPar, LtrPar,
    LeftIndent, RightIndent, FirstIndent, SpaceBefore, SpaceAfter, LineSpacing, LineMultiple,
    ParaBackground,
    Png, Jpeg, OtherPicture, GoalWidth, GoalHeight, ScaleX, ScaleY,
    Character, // a named character, in the table's character column
};

struct WordInfo {
    Word word = Word::Unknown;
    char16_t character = 0;
};

const QHash<QByteArray, WordInfo>& wordTable()
{
    static const QHash<QByteArray, WordInfo> table = [] {
        QHash<QByteArray, WordInfo> t;
        // Destinations whose content is not part of the note's text.
        for (const char* w : {"stylesheet", "info", "header", "headerl", "headerr", "headerf",
                              "footer", "footerl", "footerr", "footerf", "footnote", "annotation",
                              "listtable", "listoverridetable", "rsidtbl", "themedata",
                              "colorschememapping", "datastore", "latentstyles", "generator",
                              "xmlnstbl", "mmathPr", "pgdsctbl", "bkmkstart", "bkmkend", "fldinst",
                              "nonshppict", "filetbl", "revtbl", "pn", "pntxta", "pntxtb", "objdata",
                              "objclass", "objname", "xe", "tc", "txe", "private", "userprops",
                              "docvar", "template", "wgrffmtfilter", "pgptbl", "listpicture",
                              "shpinst", "fontemb", "fontfile", "falt", "panose", "atnid",
                              "atnauthor", "atrfstart", "atrfend", "do", "ftnsep", "ftnsepc",
                              "aftnsep", "aftnsepc", "pnseclvl", "blipuid", "picprop", "comment",
                              "author", "operator", "title", "subject", "keywords", "doccomm",
                              "company", "manager", "category", "hlinkbase", "passwordhash",
                              "protusertbl", "defchp", "defpap", "fchars", "lchars", "sp", "sn",
                              "sv", "factoidname", "ebcstart", "ebcend", "background", "oldcprops",
                              "oldpprops", "oldsprops", "oldtprops", "mmath", "formfield",
                              "datafield", "ffdeftext", "ffname", "ffstattext", "ffhelptext",
                              "ffentrymcr", "ffexitmcr", "ffformat", "fname", "leveltext",
                              "levelnumbers", "listname", "liststylename"})
            t.insert(w, {Word::SkipDestination});
        t.insert("fonttbl", {Word::FontTable});
        t.insert("colortbl", {Word::ColorTable});
        t.insert("pict", {Word::Picture});
        t.insert("object", {Word::Object});
        t.insert("result", {Word::Result});
        t.insert("upr", {Word::Upr});
        t.insert("ud", {Word::Ud});
        t.insert("shppict", {Word::ShapePicture});
        t.insert("ansi", {Word::Ansi});
        t.insert("mac", {Word::Mac});
        t.insert("pc", {Word::Pc});
        t.insert("pca", {Word::Pca});
        t.insert("ansicpg", {Word::AnsiCodePage});
        t.insert("deff", {Word::DefaultFont});
        t.insert("uc", {Word::UnicodeSkip});
        t.insert("u", {Word::Unicode});
        t.insert("bin", {Word::Bin});
        for (const char* w : {"par", "sect", "page", "row", "nestrow"})
            t.insert(w, {Word::Par});
        t.insert("line", {Word::Line});
        t.insert("tab", {Word::Tab});
        t.insert("cell", {Word::Cell});
        t.insert("nestcell", {Word::Cell});
        t.insert("pard", {Word::Pard});
        t.insert("plain", {Word::Plain});
        t.insert("b", {Word::Bold});
        t.insert("i", {Word::Italic});
        for (const char* w : {"ul", "uld", "uldash", "uldashd", "uldashdd", "uldb", "ulhair",
                              "ulldash", "ulth", "ulthd", "ulthdash", "ulthdashd", "ulthdashdd",
                              "ulthldash", "ulw"})
            t.insert(w, {Word::Underline});
        for (const char* w : {"ulwave", "ulhwave", "ululdbwave"})
            t.insert(w, {Word::UnderlineWave});
        t.insert("ulnone", {Word::UnderlineNone});
        t.insert("strike", {Word::Strike});
        t.insert("striked", {Word::StrikeDouble});
        t.insert("v", {Word::Hidden});
        t.insert("deleted", {Word::Hidden});
        t.insert("super", {Word::Super});
        t.insert("sub", {Word::Sub});
        t.insert("nosupersub", {Word::NoSuperSub});
        t.insert("f", {Word::Font});
        t.insert("fs", {Word::FontSize});
        t.insert("cf", {Word::Foreground});
        t.insert("highlight", {Word::Background});
        t.insert("cb", {Word::Background});
        t.insert("chcbpat", {Word::Background});
        t.insert("red", {Word::Red});
        t.insert("green", {Word::Green});
        t.insert("blue", {Word::Blue});
        t.insert("fcharset", {Word::Charset});
        t.insert("cpg", {Word::CodePage});
        t.insert("ql", {Word::AlignLeft});
        t.insert("qc", {Word::AlignCenter});
        t.insert("qr", {Word::AlignRight});
        t.insert("qj", {Word::AlignJustify});
        t.insert("qd", {Word::AlignJustify});
        t.insert("rtlpar", {Word::RtlPar});
        t.insert("ltrpar", {Word::LtrPar});
        t.insert("li", {Word::LeftIndent});
        t.insert("ri", {Word::RightIndent});
        t.insert("fi", {Word::FirstIndent});
        t.insert("sb", {Word::SpaceBefore});
        t.insert("sa", {Word::SpaceAfter});
        t.insert("sl", {Word::LineSpacing});
        t.insert("slmult", {Word::LineMultiple});
        t.insert("cbpat", {Word::ParaBackground});
        t.insert("pngblip", {Word::Png});
        t.insert("jpegblip", {Word::Jpeg});
        for (const char* w : {"wmetafile", "emfblip", "macpict", "pmmetafile", "dibitmap",
                              "wbitmap"})
            t.insert(w, {Word::OtherPicture});
        t.insert("picwgoal", {Word::GoalWidth});
        t.insert("pichgoal", {Word::GoalHeight});
        t.insert("picscalex", {Word::ScaleX});
        t.insert("picscaley", {Word::ScaleY});
        const std::pair<const char*, char16_t> characters[] = {
            {"emdash", 0x2014}, {"endash", 0x2013}, {"bullet", 0x2022}, {"lquote", 0x2018},
            {"rquote", 0x2019}, {"ldblquote", 0x201C}, {"rdblquote", 0x201D},
            {"emspace", 0x2003}, {"enspace", 0x2002}, {"qmspace", 0x2005}, {"zwj", 0x200D},
            {"zwnj", 0x200C}, {"ltrmark", 0x200E}, {"rtlmark", 0x200F}, {"zwbo", 0x200B},
        };
        for (const auto& [w, c] : characters)
            t.insert(w, {Word::Character, c});
        return t;
    }();
    return table;
}

bool isLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

int clampTwips(int value)
{
    return qBound(-31680, value, 31680); // 22 inches either way
}

// Replaces characters a QTextDocument must not hold in text: control
// characters other than tab, and unpaired UTF-16 surrogates.
QString cleanText(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate()) {
            if (i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
                out += c;
                out += text.at(++i);
            } else {
                out += QChar(QChar::ReplacementCharacter);
            }
        } else if (c.isLowSurrogate()) {
            out += QChar(QChar::ReplacementCharacter);
        } else if (c.unicode() >= 0x20 || c == u'\t') {
            if (c.unicode() != 0xFDD0 && c.unicode() != 0xFDD1 && c != QChar::ParagraphSeparator
                && c != QChar::ObjectReplacementCharacter)
                out += c;
        }
    }
    return out;
}

class Reader {
public:
    Reader(const QByteArray& data, QTextDocument* document)
        : m_in(data), m_document(document), m_cursor(document)
    {
    }

    void run();

private:
    // Tokens.
    void controlSequence();
    void controlWord(const QByteArray& word, bool hasParam, int param);
    void openGroup();
    void closeGroup();
    void literalByte(uchar byte, bool escaped);
    void skipBinary(int count, QByteArray* into);

    // Text.
    void flushBytes();
    void deliver(const QString& text);
    void namedCharacter(char16_t c);
    int currentCodePage() const;
    QString decode(const QByteArray& bytes, int codePage);

    // Document.
    void appendText(const QString& text);
    void startParagraphIfPending();
    void paragraphBreak();
    void flushRun();
    void finishPicture();
    void finishDocument();
    QTextCharFormat charFormat(const CharProps& props) const;
    QTextBlockFormat blockFormat(const Paragraph& props) const;
    QColor color(int index) const;

    // Tables.
    void commitFont();
    void commitColor();

    Group& top() { return m_stack.back(); }

    const QByteArray& m_in;
    qsizetype m_pos = 0;
    QTextDocument* m_document;
    QTextCursor m_cursor;

    std::vector<Group> m_stack;
    int m_overflow = 0;     // braces opened past kMaxDepth
    bool m_star = false;    // \* seen: the next control word starts an optional destination
    bool m_groupStart = false; // nothing but \* read since the last '{'
    int m_skip = 0;         // ANSI characters still to skip after \uN
    bool m_finished = false;

    int m_documentCodePage = 1252;
    int m_defaultFont = -1;
    std::map<int, FontEntry> m_fonts;
    std::vector<QColor> m_colors;
    FontBuilder m_fontBuilder;
    ColorBuilder m_colorBuilder;
    Picture m_picture;
    bool m_inPicture = false;

    QByteArray m_bytes; // \'hh and raw bytes not yet decoded
    QString m_run;      // decoded text not yet in the document
    CharProps m_runProps;
    bool m_pendingBreak = false; // a \par whose paragraph starts with the next content
    bool m_blockHasContent = false;
    Paragraph m_lastPara;
    int m_imageCount = 0;
};

void Reader::run()
{
    const qsizetype size = m_in.size();
    while (m_pos < size && !m_finished) {
        const char c = m_in.at(m_pos);
        switch (c) {
        case '{':
            ++m_pos;
            openGroup();
            break;
        case '}':
            ++m_pos;
            closeGroup();
            break;
        case '\\':
            controlSequence();
            break;
        case '\r':
        case '\n':
            ++m_pos;
            break;
        default:
            ++m_pos;
            literalByte(uchar(c), false);
            break;
        }
    }
    flushBytes();
    while (!m_stack.empty())
        closeGroup();
    finishDocument();
}

void Reader::controlSequence()
{
    const qsizetype size = m_in.size();
    ++m_pos; // the backslash
    if (m_pos >= size)
        return;
    const char c = m_in.at(m_pos);
    if (isLetter(c)) {
        const qsizetype start = m_pos;
        while (m_pos < size && isLetter(m_in.at(m_pos)))
            ++m_pos;
        const QByteArray word = m_in.mid(start, qMin<qsizetype>(m_pos - start, kMaxWordLength + 1));
        bool hasParam = false;
        bool negative = false;
        qint64 value = 0;
        if (m_pos + 1 < size && m_in.at(m_pos) == '-' && isDigit(m_in.at(m_pos + 1))) {
            negative = true;
            ++m_pos;
        }
        int digits = 0;
        while (m_pos < size && isDigit(m_in.at(m_pos))) {
            hasParam = true;
            if (digits++ < 10)
                value = value * 10 + (m_in.at(m_pos) - '0');
            ++m_pos;
        }
        if (m_pos < size && m_in.at(m_pos) == ' ')
            ++m_pos; // the delimiter belongs to the control word
        value = qBound(qint64(-2147483647), negative ? -value : value, qint64(2147483647));
        controlWord(word, hasParam, int(value));
        return;
    }

    ++m_pos;
    switch (c) {
    case '\'': {
        // Two hex digits; a damaged escape with fewer is dropped whole.
        int value = 0;
        int digits = 0;
        while (digits < 2 && m_pos < size && hexValue(m_in.at(m_pos)) >= 0) {
            value = value * 16 + hexValue(m_in.at(m_pos++));
            ++digits;
        }
        if (digits == 2)
            literalByte(uchar(value), true);
        break;
    }
    case '\\':
    case '{':
    case '}':
        literalByte(uchar(c), true);
        break;
    case '*':
        m_star = true; // m_groupStart stays as it was
        break;
    case '~':
        namedCharacter(0x00A0);
        break;
    case '-':
        namedCharacter(0x00AD);
        break;
    case '_':
        namedCharacter(0x2011);
        break;
    case '\r':
    case '\n':
        controlWord("par", false, 0);
        break;
    default:
        // \| \: and unknown control symbols
        flushBytes();
        if (m_skip > 0)
            --m_skip;
        break;
    }
}

void Reader::openGroup()
{
    flushBytes();
    m_skip = 0;
    m_star = false;
    m_groupStart = true;
    if (m_finished)
        return;
    if (m_stack.size() >= size_t(kMaxDepth)) {
        ++m_overflow;
        return;
    }
    if (m_stack.empty()) {
        m_stack.emplace_back();
        return;
    }
    Group child = m_stack.back();
    const Group& parent = m_stack.back();
    if (parent.dest == Dest::Picture) {
        child.dest = Dest::Skip;
        child.canResume = false;
    } else if (parent.upr) {
        child.dest = Dest::Skip;
        child.canResume = true;
        child.resumeDest = parent.dest;
    }
    child.upr = false;
    m_stack.push_back(child);
}

void Reader::closeGroup()
{
    flushBytes();
    m_skip = 0;
    m_star = false;
    m_groupStart = false;
    if (m_overflow > 0) {
        --m_overflow;
        return;
    }
    if (m_stack.empty())
        return;
    const Group& group = m_stack.back();
    if (group.dest == Dest::FontTable)
        commitFont();
    if (m_inPicture && m_picture.depth == m_stack.size())
        finishPicture();
    m_stack.pop_back();
    if (m_stack.empty())
        m_finished = true; // the document's group closed: anything after it is not RTF
}

void Reader::skipBinary(int count, QByteArray* into)
{
    const qsizetype available = m_in.size() - m_pos;
    const qsizetype n = qBound(qsizetype(0), qsizetype(count), available);
    if (into)
        into->append(m_in.constData() + m_pos, n);
    m_pos += n;
}

void Reader::controlWord(const QByteArray& word, bool hasParam, int param)
{
    flushBytes();
    // \* marks an optional destination only as the first thing in a group.
    const bool star = m_star && m_groupStart;
    m_star = false;
    m_groupStart = false;
    if (m_stack.empty())
        return;
    const WordInfo info = wordTable().value(word);
    Group& g = top();

    if (m_skip > 0) {
        // A control word in the ANSI stand-in of a \uN character counts as one.
        --m_skip;
        if (info.word == Word::Bin && hasParam)
            skipBinary(param, nullptr);
        return;
    }

    if (g.canResume && (info.word == Word::Result || info.word == Word::Ud)) {
        g.dest = g.resumeDest;
        g.canResume = false;
        return;
    }
    if (info.word == Word::Bin) {
        const bool keep = g.dest == Dest::Picture && m_inPicture;
        skipBinary(hasParam ? param : 0, keep ? &m_picture.binary : nullptr);
        return;
    }
    if (g.dest == Dest::Skip)
        return;

    if (star && info.word != Word::ShapePicture) {
        g.dest = Dest::Skip;
        return;
    }

    switch (info.word) {
    case Word::SkipDestination:
        g.dest = Dest::Skip;
        return;
    case Word::Object:
        g.resumeDest = g.dest;
        g.canResume = true;
        g.dest = Dest::Skip;
        return;
    case Word::Upr:
        g.upr = true;
        return;
    case Word::UnicodeSkip:
        if (hasParam)
            g.unicodeSkip = qBound(0, param, 255);
        return;
    case Word::Unicode: {
        int code = param;
        if (code < 0)
            code += 65536;
        if (code > 0 && code <= 0x10FFFF) {
            const char32_t codePoint = char32_t(code);
            if (code > 0xFFFF)
                deliver(QString::fromUcs4(&codePoint, 1));
            else
                deliver(QString(QChar(char16_t(code))));
        }
        m_skip = g.unicodeSkip;
        return;
    }
    case Word::Ansi:
        m_documentCodePage = 1252;
        return;
    case Word::Mac:
        m_documentCodePage = 10000;
        return;
    case Word::Pc:
        m_documentCodePage = 437;
        return;
    case Word::Pca:
        m_documentCodePage = 850;
        return;
    case Word::AnsiCodePage:
        if (hasParam && param > 0)
            m_documentCodePage = param;
        return;
    case Word::DefaultFont:
        if (hasParam)
            m_defaultFont = param;
        return;
    default:
        break;
    }

    switch (g.dest) {
    case Dest::FontTable:
        switch (info.word) {
        case Word::Font:
            if (m_fontBuilder.active && !m_fontBuilder.name.isEmpty())
                commitFont();
            m_fontBuilder = FontBuilder();
            m_fontBuilder.active = true;
            m_fontBuilder.number = param;
            break;
        case Word::Charset:
            if (m_fontBuilder.codePage == kDocumentCodePage || m_fontBuilder.codePage == 1252)
                m_fontBuilder.codePage = codePageForCharset(param);
            break;
        case Word::CodePage:
            if (param > 0)
                m_fontBuilder.codePage = param;
            break;
        case Word::Character:
            deliver(QString(QChar(info.character)));
            break;
        default:
            break;
        }
        return;
    case Dest::ColorTable:
        switch (info.word) {
        case Word::Red: m_colorBuilder.red = qBound(0, param, 255); break;
        case Word::Green: m_colorBuilder.green = qBound(0, param, 255); break;
        case Word::Blue: m_colorBuilder.blue = qBound(0, param, 255); break;
        default: break;
        }
        return;
    case Dest::Picture:
        switch (info.word) {
        case Word::Png: m_picture.kind = PictureKind::Png; break;
        case Word::Jpeg: m_picture.kind = PictureKind::Jpeg; break;
        case Word::OtherPicture: m_picture.kind = PictureKind::Unknown; break;
        case Word::GoalWidth: m_picture.goalWidth = qBound(0, param, 31680 * 4); break;
        case Word::GoalHeight: m_picture.goalHeight = qBound(0, param, 31680 * 4); break;
        case Word::ScaleX: m_picture.scaleX = qBound(1, param, 10000); break;
        case Word::ScaleY: m_picture.scaleY = qBound(1, param, 10000); break;
        default: break;
        }
        return;
    case Dest::Skip:
        return;
    case Dest::Text:
        break;
    }

    CharProps& ch = g.chars;
    Paragraph& pa = g.para;
    const bool on = !hasParam || param != 0;
    switch (info.word) {
    case Word::FontTable:
        g.dest = Dest::FontTable;
        m_fontBuilder = FontBuilder();
        break;
    case Word::ColorTable:
        g.dest = Dest::ColorTable;
        m_colorBuilder = ColorBuilder();
        break;
    case Word::Picture:
        g.dest = Dest::Picture;
        m_picture = Picture();
        m_picture.depth = m_stack.size();
        m_inPicture = true;
        break;
    case Word::Par: paragraphBreak(); break;
    case Word::Line: appendText(QString(QChar(QChar::LineSeparator))); break;
    case Word::Tab:
    case Word::Cell: appendText(QStringLiteral("\t")); break;
    case Word::Character: appendText(QString(QChar(info.character))); break;
    case Word::Pard: pa = Paragraph(); break;
    case Word::Plain: ch = CharProps(); break;
    case Word::Bold: ch.bold = on; break;
    case Word::Italic: ch.italic = on; break;
    case Word::Underline: ch.underline = on ? 1 : 0; break;
    case Word::UnderlineWave: ch.underline = on ? 2 : 0; break;
    case Word::UnderlineNone: ch.underline = 0; break;
    case Word::Strike:
    case Word::StrikeDouble: ch.strike = on; break;
    case Word::Hidden: ch.hidden = on; break;
    case Word::Super: ch.vertical = 1; break;
    case Word::Sub: ch.vertical = 2; break;
    case Word::NoSuperSub: ch.vertical = 0; break;
    case Word::Font:
        if (hasParam)
            ch.font = param;
        break;
    case Word::FontSize:
        if (!hasParam)
            ch.halfPoints = 24;
        else if (param > 0)
            ch.halfPoints = qMin(param, 3276);
        break;
    case Word::Foreground: ch.foreground = hasParam ? param : 0; break;
    case Word::Background: ch.background = hasParam ? param : 0; break;
    case Word::AlignLeft: pa.align = 0; break;
    case Word::AlignCenter: pa.align = 1; break;
    case Word::AlignRight: pa.align = 2; break;
    case Word::AlignJustify: pa.align = 3; break;
    case Word::RtlPar: pa.rightToLeft = true; break;
    case Word::LtrPar: pa.rightToLeft = false; break;
    case Word::LeftIndent: pa.leftIndent = clampTwips(param); break;
    case Word::RightIndent: pa.rightIndent = clampTwips(param); break;
    case Word::FirstIndent: pa.firstIndent = clampTwips(param); break;
    case Word::SpaceBefore: pa.spaceBefore = qBound(0, param, 31680); break;
    case Word::SpaceAfter: pa.spaceAfter = qBound(0, param, 31680); break;
    case Word::LineSpacing: pa.lineSpacing = clampTwips(param); break;
    case Word::LineMultiple: pa.lineMultiple = on; break;
    case Word::ParaBackground: pa.background = param; break;
    default: break; // unknown control words are ignored
    }
}

void Reader::literalByte(uchar byte, bool escaped)
{
    if (m_stack.empty())
        return;
    if (m_skip > 0) {
        --m_skip;
        return;
    }
    m_star = false;
    m_groupStart = false;
    const Group& g = top();
    switch (g.dest) {
    case Dest::Skip:
        return;
    case Dest::Picture:
        if (!escaped && hexValue(char(byte)) >= 0)
            m_picture.hex.append(char(byte));
        return;
    case Dest::ColorTable:
        if (byte == ';' && !escaped)
            commitColor();
        return;
    case Dest::FontTable:
        if (byte == ';' && !escaped) {
            flushBytes();
            commitFont();
            return;
        }
        if (byte >= 0x20 || escaped)
            m_bytes.append(char(byte));
        return;
    case Dest::Text:
        if (byte == '\t' && !escaped) {
            flushBytes();
            appendText(QStringLiteral("\t"));
            return;
        }
        if (byte < 0x20 && !escaped)
            return;
        m_bytes.append(char(byte));
        return;
    }
}

void Reader::namedCharacter(char16_t c)
{
    flushBytes();
    if (m_skip > 0) {
        --m_skip;
        return;
    }
    m_star = false;
    m_groupStart = false;
    deliver(QString(QChar(c)));
}

void Reader::flushBytes()
{
    if (m_bytes.isEmpty())
        return;
    const QByteArray bytes = m_bytes;
    m_bytes.clear();
    deliver(decode(bytes, currentCodePage()));
}

void Reader::deliver(const QString& text)
{
    if (m_stack.empty() || text.isEmpty())
        return;
    switch (top().dest) {
    case Dest::Text:
        appendText(text);
        break;
    case Dest::FontTable:
        m_fontBuilder.active = true;
        m_fontBuilder.name += text;
        break;
    default:
        break;
    }
}

int Reader::currentCodePage() const
{
    int codePage = kDocumentCodePage;
    if (!m_stack.empty() && m_stack.back().dest == Dest::FontTable) {
        codePage = m_fontBuilder.codePage;
    } else if (!m_stack.empty()) {
        const int font = m_stack.back().chars.font >= 0 ? m_stack.back().chars.font : m_defaultFont;
        const auto it = m_fonts.find(font);
        if (it != m_fonts.end())
            codePage = it->second.codePage;
    }
    return codePage == kDocumentCodePage ? m_documentCodePage : codePage;
}

QString Reader::decode(const QByteArray& bytes, int codePage)
{
    if (codePage == kSymbolCodePage) {
        // Symbol fonts hold glyphs, not characters; Windows-1252 keeps the
        // letters readable and the common bullet of rich-edit lists is mapped.
        QString text = CodePage::decode(bytes, 1252);
        text.replace(QChar(0x00B7), QChar(0x2022));
        return text;
    }
    // A code page the converter does not know reads as Windows-1252.
    return CodePage::decode(bytes, CodePage::isKnown(codePage) ? codePage : 1252);
}

void Reader::commitFont()
{
    if (!m_fontBuilder.active)
        return;
    if (m_fontBuilder.number >= 0) {
        FontEntry entry;
        entry.name = m_fontBuilder.name.trimmed();
        entry.codePage = m_fontBuilder.codePage;
        m_fonts[m_fontBuilder.number] = entry;
    }
    m_fontBuilder = FontBuilder();
}

void Reader::commitColor()
{
    const ColorBuilder& b = m_colorBuilder;
    if (b.red < 0 && b.green < 0 && b.blue < 0)
        m_colors.emplace_back(); // an empty entry: the automatic colour
    else
        m_colors.emplace_back(qMax(b.red, 0), qMax(b.green, 0), qMax(b.blue, 0));
    m_colorBuilder = ColorBuilder();
}

QColor Reader::color(int index) const
{
    if (index <= 0 || size_t(index) >= m_colors.size())
        return QColor();
    return m_colors[size_t(index)];
}

QTextCharFormat Reader::charFormat(const CharProps& p) const
{
    QTextCharFormat f;
    if (p.bold)
        f.setFontWeight(QFont::Bold);
    if (p.italic)
        f.setFontItalic(true);
    if (p.underline == 1)
        f.setFontUnderline(true);
    else if (p.underline == 2)
        f.setUnderlineStyle(QTextCharFormat::WaveUnderline);
    if (p.strike)
        f.setFontStrikeOut(true);
    if (p.vertical == 1)
        f.setVerticalAlignment(QTextCharFormat::AlignSuperScript);
    else if (p.vertical == 2)
        f.setVerticalAlignment(QTextCharFormat::AlignSubScript);
    auto font = m_fonts.find(p.font >= 0 ? p.font : m_defaultFont);
    if (font != m_fonts.end() && font->second.codePage == kSymbolCodePage) {
        // Symbol-font glyphs were turned into characters; the default font shows them.
        font = m_fonts.find(m_defaultFont);
        if (font != m_fonts.end() && font->second.codePage == kSymbolCodePage)
            font = m_fonts.end();
    }
    if (font != m_fonts.end() && !font->second.name.isEmpty())
        f.setFontFamilies(QStringList{font->second.name});
    if (p.halfPoints > 0)
        f.setFontPointSize(p.halfPoints / 2.0);
    const QColor foreground = color(p.foreground);
    if (foreground.isValid())
        f.setForeground(foreground);
    const QColor background = color(p.background);
    if (background.isValid())
        f.setBackground(background);
    return f;
}

QTextBlockFormat Reader::blockFormat(const Paragraph& p) const
{
    QTextBlockFormat f;
    switch (p.align) {
    case 1: f.setAlignment(Qt::AlignHCenter); break;
    case 2: f.setAlignment(Qt::AlignRight); break;
    case 3: f.setAlignment(Qt::AlignJustify); break;
    default: break;
    }
    if (p.rightToLeft)
        f.setLayoutDirection(Qt::RightToLeft);
    if (p.leftIndent)
        f.setLeftMargin(p.leftIndent / kTwipsPerPixel);
    if (p.rightIndent)
        f.setRightMargin(p.rightIndent / kTwipsPerPixel);
    if (p.firstIndent)
        f.setTextIndent(p.firstIndent / kTwipsPerPixel);
    if (p.spaceBefore)
        f.setTopMargin(p.spaceBefore / kTwipsPerPixel);
    if (p.spaceAfter)
        f.setBottomMargin(p.spaceAfter / kTwipsPerPixel);
    if (p.lineSpacing > 0 && p.lineMultiple)
        f.setLineHeight(p.lineSpacing * 100.0 / 240.0, QTextBlockFormat::ProportionalHeight);
    else if (p.lineSpacing > 0)
        f.setLineHeight(p.lineSpacing / kTwipsPerPixel, QTextBlockFormat::MinimumHeight);
    else if (p.lineSpacing < 0)
        f.setLineHeight(-p.lineSpacing / kTwipsPerPixel, QTextBlockFormat::FixedHeight);
    const QColor background = color(p.background);
    if (background.isValid())
        f.setBackground(background);
    return f;
}

void Reader::startParagraphIfPending()
{
    if (!m_pendingBreak)
        return;
    flushRun();
    m_cursor.insertBlock(blockFormat(top().para), charFormat(top().chars));
    m_pendingBreak = false;
    m_blockHasContent = false;
}

void Reader::appendText(const QString& text)
{
    if (m_stack.empty() || top().chars.hidden)
        return;
    startParagraphIfPending();
    if (!m_run.isEmpty() && !(m_runProps == top().chars))
        flushRun();
    if (m_run.isEmpty())
        m_runProps = top().chars;
    m_run += text;
    m_lastPara = top().para;
    m_blockHasContent = true;
}

void Reader::flushRun()
{
    if (m_run.isEmpty())
        return;
    const QString text = cleanText(m_run);
    m_run.clear();
    if (!text.isEmpty())
        m_cursor.insertText(text, charFormat(m_runProps));
}

void Reader::paragraphBreak()
{
    startParagraphIfPending();
    flushRun();
    // The paragraph properties in effect at \par are those of the paragraph.
    m_cursor.setBlockFormat(blockFormat(top().para));
    if (!m_blockHasContent)
        m_cursor.setBlockCharFormat(charFormat(top().chars));
    m_pendingBreak = true;
}

void Reader::finishPicture()
{
    m_inPicture = false;
    Picture picture = std::move(m_picture);
    m_picture = Picture();
    if (picture.kind == PictureKind::Unknown || m_stack.empty())
        return;
    QByteArray data = picture.binary;
    if (data.isEmpty()) {
        if (picture.hex.size() % 2)
            picture.hex.chop(1);
        data = QByteArray::fromHex(picture.hex);
    }
    QImage image;
    if (!image.loadFromData(data, picture.kind == PictureKind::Png ? "PNG" : "JPEG"))
        return;

    QUrl url;
    do {
        url = QUrl(QStringLiteral("rtfimage:%1").arg(++m_imageCount));
    } while (m_document->resource(QTextDocument::ImageResource, url).isValid());
    m_document->addResource(QTextDocument::ImageResource, url, image);

    QTextImageFormat format;
    format.setName(url.toString());
    const double width = picture.goalWidth > 0 ? picture.goalWidth / kTwipsPerPixel : image.width();
    const double height = picture.goalHeight > 0 ? picture.goalHeight / kTwipsPerPixel : image.height();
    if (picture.goalWidth > 0 || picture.scaleX != 100)
        format.setWidth(width * picture.scaleX / 100.0);
    if (picture.goalHeight > 0 || picture.scaleY != 100)
        format.setHeight(height * picture.scaleY / 100.0);

    // The picture group is still on the stack: its parent's state applies.
    const Group& owner = m_stack.size() > 1 ? m_stack[m_stack.size() - 2] : m_stack.back();
    if (owner.chars.hidden)
        return;
    if (m_pendingBreak) {
        flushRun();
        m_cursor.insertBlock(blockFormat(owner.para), charFormat(owner.chars));
        m_pendingBreak = false;
    }
    flushRun();
    m_cursor.insertImage(format);
    m_lastPara = owner.para;
    m_blockHasContent = true;
}

void Reader::finishDocument()
{
    flushRun();
    // A \par at the very end marks the last paragraph's end, as the rich-edit
    // control, Word and LibreOffice write it; it starts no new paragraph.
    if (!m_pendingBreak && m_blockHasContent)
        m_cursor.setBlockFormat(blockFormat(m_lastPara));
}

} // namespace

void parse(const QByteArray& data, QTextDocument* document)
{
    document->clear();
    Reader reader(data, document);
    reader.run();
}

} // namespace RichText::Rtf
