// RTF reader: builds a QTextDocument from RTF as the Windows rich-edit
// control, WordPad, Word and LibreOffice write it. It follows Rich Text Format
// 1.9.1 as Microsoft documents it: groups save and restore the character and
// paragraph properties, destinations it does not know are skipped, control
// words it does not know are ignored. It keeps text, character styles,
// colours, font names and sizes, simple paragraph formatting, links, tables,
// lists and PNG/JPEG pictures, and names what else it had to drop.

#include "formats/RtfCodec.h"

#include "formats/CodePage.h"

#include <QColor>
#include <QFont>
#include <QHash>
#include <QBuffer>
#include <QIODevice>
#include <QImage>
#include <QImageReader>
#include <QPointer>
#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextImageFormat>
#include <QTextList>
#include <QTextTable>
#include <QUrl>

#include <algorithm>
#include <functional>
#include <limits>
#include <map>
#include <memory>
#include <optional>
#include <tuple>
#include <vector>

namespace RichText::Rtf {
namespace {

constexpr int kMaxDepth = 1000;    // groups nested deeper share the innermost state
constexpr int kMaxWordLength = 32; // longer control words are read but unknown
// Word's limit is 63 columns, LibreOffice's 1024; cells past the last share it.
// Ten rows of 1024 columns read and lay out in 0.6 s, each cell costing what
// it does in a long table.
constexpr int kMaxColumns = 1024;
constexpr int kEdgeTolerance = 30;      // twips: cell edges this close are one edge
constexpr double kTwipsPerPixel = 15.0; // 1440 twips an inch at 96 pixels an inch
constexpr int kSymbolCodePage = -2;     // \fcharset2: symbol fonts
constexpr int kDocumentCodePage = 0;    // a font without a character set of its own
// The text-only pass reads its device in chunks; a token is read whole when
// it is shorter than the bytes kept ahead of it.
constexpr qsizetype kChunkBytes = 1 << 20;
constexpr qsizetype kLookaheadBytes = 1 << 16;
// Of a picture, the text-only pass keeps only what tells whether it can be shown.
constexpr qsizetype kPictureHeadBytes = 64;

enum class Dest : quint8 {
    Text,
    Skip,
    FontTable,
    ColorTable,
    Picture,
    FieldInstruction,
    ListNumbering,
    ListTable,
    ListOverrideTable,
    PnTextBefore,
    PnTextAfter,
    LevelText
};

// What the document cannot hold; the names say it to the user.
enum class Loss : quint8 {
    Objects,
    Pictures,
    Footnotes,
    Fields,
    Shapes,
    Comments,
    HeadersFooters,
    NestedTables,
    WideTables
};
const char* const kLossNames[] = {
    "embedded objects",
    "pictures the editor cannot show",
    "footnotes",
    "fields other than links",
    "drawn shapes",
    "comments",
    "headers and footers",
    "tables inside tables",
    "table columns past the 1024th (their cells are paragraphs of the last)",
};
static_assert(kMaxColumns == 1024, "the name of Loss::WideTables gives the number");
enum class PictureKind : quint8 { Unknown, Png, Jpeg };

struct CharProps {
    bool bold = false;
    bool italic = false;
    bool strike = false;
    bool hidden = false;
    quint8 underline = 0; // 0 none, 1 single, 2 wave
    quint8 vertical = 0;  // 0 normal, 1 superscript, 2 subscript
    int font = -1;        // -1: the default font (\deff)
    int halfPoints = 24;  // RTF's default size, 12 points
    int foreground = 0;   // colour table index
    int background = 0;
    int link = -1; // index of the link target, -1: not a link
    bool operator==(const CharProps&) const = default;
};

struct Group {
    CharProps chars;
    Paragraph para;
    Dest dest = Dest::Text;
    int unicodeSkip = 1;    // \ucN
    bool canResume = false; // skipped, but \result (\object) or \ud (\upr) resumes
    Dest resumeDest = Dest::Text;
    bool upr = false; // \upr: skip the ANSI child group, keep the \ud one
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
    case 0:
        return 1252;
    case 2:
        return kSymbolCodePage;
    case 77:
        return 10000;
    case 128:
        return 932;
    case 129:
        return 949;
    case 130:
        return 1361;
    case 134:
        return 936;
    case 136:
        return 950;
    case 161:
        return 1253;
    case 162:
        return 1254;
    case 163:
        return 1258;
    case 177:
        return 1255;
    case 178:
        return 1256;
    case 186:
        return 1257;
    case 204:
        return 1251;
    case 222:
        return 874;
    case 238:
        return 1250;
    case 254:
        return 437;
    case 255:
        return 850;
    default:
        return kDocumentCodePage;
    }
}

// What a control word does; looked up once per word in a table.
enum class Word : quint8 {
    Unknown,
    SkipDestination,
    FontTable,
    ColorTable,
    Picture,
    Object,
    Result,
    Upr,
    Ud,
    ShapePicture,
    Ansi,
    Mac,
    Pc,
    Pca,
    AnsiCodePage,
    DefaultFont,
    UnicodeSkip,
    Unicode,
    Bin,
    Par,
    Line,
    Tab,
    Pard,
    Plain,
    LostDestination, // the character column holds the Loss
    Field,
    FieldInstruction,
    FieldResult,
    Shape,
    RowDefaults,
    RowGap,
    RowLeft,
    CellRight,
    InTable,
    Cell,
    Row,
    NestCell,
    NestRow,
    NestingLevel,
    CellMergeFirst,
    CellMerge,
    CellVMergeFirst,
    CellVMerge,
    CellBackground,
    CellBorder,
    BorderStyle,
    BorderNone,
    PnGroup,
    PnBullet,
    PnBody,
    PnLevel,
    PnDecimal,
    PnUpperLetter,
    PnLowerLetter,
    PnUpperRoman,
    PnLowerRoman,
    ListTable,
    ListOverrideTable,
    List,
    ListLevel,
    LevelNumberFormat,
    LevelStart,
    LevelText,
    PnStart,
    PnTextBefore,
    PnTextAfter,
    ListId,
    ListOverride,
    ListOverrideEntry,
    OverrideLevel,
    OverrideStart,
    ListLevelNumber,
    Bold,
    Italic,
    Underline,
    UnderlineWave,
    UnderlineNone,
    Strike,
    StrikeDouble,
    Hidden,
    Super,
    Sub,
    NoSuperSub,
    Font,
    FontSize,
    Foreground,
    Background,
    Red,
    Green,
    Blue,
    Charset,
    CodePage,
    AlignLeft,
    AlignCenter,
    AlignRight,
    AlignJustify,
    RtlPar,
    LtrPar,
    LeftIndent,
    RightIndent,
    FirstIndent,
    SpaceBefore,
    SpaceAfter,
    LineSpacing,
    LineMultiple,
    ParaBackground,
    Png,
    Jpeg,
    OtherPicture,
    GoalWidth,
    GoalHeight,
    ScaleX,
    ScaleY,
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
        // Destinations whose content does not belong to the note's text.
        for (const char* w : {"stylesheet",
                              "info",
                              "header",
                              "headerl",
                              "headerr",
                              "headerf",
                              "rsidtbl",
                              "themedata",
                              "pntext",
                              "listtext",
                              "nesttableprops",
                              "colorschememapping",
                              "datastore",
                              "latentstyles",
                              "generator",
                              "xmlnstbl",
                              "mmathPr",
                              "pgdsctbl",
                              "bkmkstart",
                              "bkmkend",
                              "nonshppict",
                              "filetbl",
                              "revtbl",
                              "objdata",
                              "objclass",
                              "objname",
                              "xe",
                              "tc",
                              "txe",
                              "private",
                              "userprops",
                              "docvar",
                              "template",
                              "wgrffmtfilter",
                              "pgptbl",
                              "listpicture",
                              "shpinst",
                              "fontemb",
                              "fontfile",
                              "falt",
                              "panose",
                              "atnid",
                              "atnauthor",
                              "atrfstart",
                              "atrfend",
                              "do",
                              "ftnsep",
                              "ftnsepc",
                              "aftnsep",
                              "aftnsepc",
                              "pnseclvl",
                              "blipuid",
                              "picprop",
                              "comment",
                              "author",
                              "operator",
                              "title",
                              "subject",
                              "keywords",
                              "doccomm",
                              "company",
                              "manager",
                              "category",
                              "hlinkbase",
                              "passwordhash",
                              "protusertbl",
                              "defchp",
                              "defpap",
                              "fchars",
                              "lchars",
                              "sp",
                              "sn",
                              "sv",
                              "factoidname",
                              "ebcstart",
                              "ebcend",
                              "background",
                              "oldcprops",
                              "oldpprops",
                              "oldsprops",
                              "oldtprops",
                              "mmath",
                              "formfield",
                              "datafield",
                              "ffdeftext",
                              "ffname",
                              "ffstattext",
                              "ffhelptext",
                              "ffentrymcr",
                              "ffexitmcr",
                              "ffformat",
                              "fname",
                              "levelnumbers",
                              "listname",
                              "liststylename"})
            t.insert(w, {Word::SkipDestination});
        const std::pair<const char*, Loss> lost[] = {
            {"header", Loss::HeadersFooters},  {"headerl", Loss::HeadersFooters},
            {"headerr", Loss::HeadersFooters}, {"headerf", Loss::HeadersFooters},
            {"footer", Loss::HeadersFooters},  {"footerl", Loss::HeadersFooters},
            {"footerr", Loss::HeadersFooters}, {"footerf", Loss::HeadersFooters},
            {"footnote", Loss::Footnotes},     {"annotation", Loss::Comments},
        };
        for (const auto& [w, loss] : lost)
            t.insert(w, {Word::LostDestination, char16_t(loss)});
        t.insert("field", {Word::Field});
        t.insert("fldinst", {Word::FieldInstruction});
        t.insert("fldrslt", {Word::FieldResult});
        t.insert("shp", {Word::Shape});
        t.insert("do", {Word::Shape});
        t.insert("trowd", {Word::RowDefaults});
        t.insert("trgaph", {Word::RowGap});
        t.insert("trleft", {Word::RowLeft});
        t.insert("cellx", {Word::CellRight});
        t.insert("intbl", {Word::InTable});
        t.insert("cell", {Word::Cell});
        t.insert("row", {Word::Row});
        t.insert("nestcell", {Word::NestCell});
        t.insert("nestrow", {Word::NestRow});
        t.insert("itap", {Word::NestingLevel});
        t.insert("clmgf", {Word::CellMergeFirst});
        t.insert("clmrg", {Word::CellMerge});
        t.insert("clvmgf", {Word::CellVMergeFirst});
        t.insert("clvmrg", {Word::CellVMerge});
        t.insert("clcbpat", {Word::CellBackground});
        for (const char* w : {"clbrdrt", "clbrdrl", "clbrdrb", "clbrdrr"})
            t.insert(w, {Word::CellBorder});
        for (const char* w :
             {"brdrs", "brdrth", "brdrsh", "brdrdb", "brdrdot", "brdrdash", "brdrhair",
              "brdrdashsm", "brdrtriple", "brdrwavy", "brdrinset", "brdroutset"})
            t.insert(w, {Word::BorderStyle});
        t.insert("brdrnone", {Word::BorderNone});
        t.insert("pn", {Word::PnGroup});
        t.insert("pnlvlblt", {Word::PnBullet});
        t.insert("pnlvlbody", {Word::PnBody});
        t.insert("pnlvl", {Word::PnLevel});
        t.insert("pndec", {Word::PnDecimal});
        t.insert("pnucltr", {Word::PnUpperLetter});
        t.insert("pnlcltr", {Word::PnLowerLetter});
        t.insert("pnucrm", {Word::PnUpperRoman});
        t.insert("pnlcrm", {Word::PnLowerRoman});
        t.insert("listtable", {Word::ListTable});
        t.insert("listoverridetable", {Word::ListOverrideTable});
        t.insert("list", {Word::List});
        t.insert("listlevel", {Word::ListLevel});
        t.insert("levelnfc", {Word::LevelNumberFormat});
        t.insert("levelstartat", {Word::LevelStart});
        t.insert("leveltext", {Word::LevelText});
        t.insert("pnstart", {Word::PnStart});
        t.insert("pntxtb", {Word::PnTextBefore});
        t.insert("pntxta", {Word::PnTextAfter});
        t.insert("listid", {Word::ListId});
        t.insert("ls", {Word::ListOverride});
        t.insert("listoverride", {Word::ListOverrideEntry});
        t.insert("lfolevel", {Word::OverrideLevel});
        t.insert("listoverridestartat", {Word::OverrideStart});
        t.insert("ilvl", {Word::ListLevelNumber});
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
        for (const char* w : {"par", "sect", "page"})
            t.insert(w, {Word::Par});
        t.insert("line", {Word::Line});
        t.insert("tab", {Word::Tab});
        t.insert("pard", {Word::Pard});
        t.insert("plain", {Word::Plain});
        t.insert("b", {Word::Bold});
        t.insert("i", {Word::Italic});
        for (const char* w :
             {"ul", "uld", "uldash", "uldashd", "uldashdd", "uldb", "ulhair", "ulldash", "ulth",
              "ulthd", "ulthdash", "ulthdashd", "ulthdashdd", "ulthldash", "ulw"})
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
        for (const char* w :
             {"wmetafile", "emfblip", "macpict", "pmmetafile", "dibitmap", "wbitmap"})
            t.insert(w, {Word::OtherPicture});
        t.insert("picwgoal", {Word::GoalWidth});
        t.insert("pichgoal", {Word::GoalHeight});
        t.insert("picscalex", {Word::ScaleX});
        t.insert("picscaley", {Word::ScaleY});
        const std::pair<const char*, char16_t> characters[] = {
            {"emdash", 0x2014},  {"endash", 0x2013},    {"bullet", 0x2022},    {"lquote", 0x2018},
            {"rquote", 0x2019},  {"ldblquote", 0x201C}, {"rdblquote", 0x201D}, {"emspace", 0x2003},
            {"enspace", 0x2002}, {"qmspace", 0x2005},   {"zwj", 0x200D},       {"zwnj", 0x200C},
            {"ltrmark", 0x200E}, {"rtlmark", 0x200F},   {"zwbo", 0x200B},
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

// The code pages whose printable ASCII bytes are those characters: not so
// UTF-7 or the ISO-2022 and HZ encodings, which switch with such bytes.
bool isAsciiCompatible(int codePage)
{
    switch (codePage) {
    case 437:
    case 850:
    case 874:
    case 932:
    case 936:
    case 949:
    case 950:
    case 1250:
    case 1251:
    case 1252:
    case 1253:
    case 1254:
    case 1255:
    case 1256:
    case 1257:
    case 1258:
    case 10000:
    case 65001:
        return true;
    default:
        return false;
    }
}

int clampTwips(int value)
{
    return qBound(-31680, value, 31680); // 22 inches either way
}

// A cell of a table row as \trowd ... \cellx describe it.
struct CellDefinition {
    int right = 0; // twips from the row's left edge
    bool mergeFirst = false;
    bool merge = false;
    bool verticalMergeFirst = false;
    bool verticalMerge = false;
    int background = 0;
    bool border = false;
    bool operator==(const CellDefinition&) const = default;
};

// What the text-only pass finds of a table before the document pass makes it:
// QTextTable lays out its grid anew after each row or column added, so a
// table made row by row takes time growing as the square of its size.
struct TablePlan {
    struct Row {
        int definition = 0; // index into definitions
        int cells = 0;      // the cells the row holds
    };
    qsizetype position = 0; // of the input, when its first cell was met
    std::vector<std::vector<CellDefinition>> definitions;
    std::vector<Row> rows;
};

struct FieldState {
    size_t depth = 0;            // stack size of the \field group
    size_t instructionDepth = 0; // of its \fldinst group; 0 until met
    QString instruction;
    int link = -1;
};

// How a list shows its numbers: the form of \levelnfcN (0 decimal, 1 and 2
// upper and lower roman, 3 and 4 upper and lower letters, 23 a bullet), the
// first number, and the text around the number.
struct ListForm {
    int numberFormat = 0;
    int start = 1;
    QString before;
    QString after = QStringLiteral(".");
    bool operator<(const ListForm& o) const
    {
        return std::tie(numberFormat, start, before, after) <
               std::tie(o.numberFormat, o.start, o.before, o.after);
    }
};

// A level of a list of the list table as read.
struct ListLevel {
    int numberFormat = 0;
    int start = 1;
    QString text; // \leveltext: its length, then the text with \'0N for the numbers
};

struct PnState {
    size_t depth = 0; // stack size of the \pn group
    int style = 0;
    int level = 0;
    int start = 1;
    QString before;
    QString after = QStringLiteral(".");
};

} // namespace

// Replaces characters a QTextDocument must not hold in text: control
// characters other than tab, and unpaired UTF-16 surrogates. Paragraph
// separators in a run are the reader's own, one for each \par.
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
            if (c.unicode() != 0xFDD0 && c.unicode() != 0xFDD1 &&
                c != QChar::ObjectReplacementCharacter)
                out += c;
        }
    }
    return out;
}

class Reader {
public:
    // The document pass: fills document from data.
    Reader(const QByteArray& data, QTextDocument* document, int tablePieceRows)
        : m_in(data), m_document(document), m_cursor(document), m_tablePieceRows(tablePieceRows)
    {
        if (data.contains("\\cell")) {
            m_survey = std::make_unique<Reader>(data, &m_surveyed);
            m_surveyedTables = true;
        }
    }
    // The text-only pass: appends to *text what the document pass would show
    // as its plain text, reading device in chunks.
    Reader(QIODevice* device, QByteArray head, const std::function<void(QStringView)>& sink)
        : m_in(std::move(head)), m_device(device), m_text(&m_textPiece), m_sink(sink)
    {
    }
    // The survey: the text-only pass over data, recording its tables into *plans.
    Reader(const QByteArray& data, std::vector<TablePlan>* plans)
        : m_in(data), m_text(&m_textPiece), m_plans(plans)
    {
    }

    bool step(qsizetype bytes);
    // The text-only pass from its start to the end of the device.
    void readToEnd();
    double progress() const;
    QStringList notKept() const { return m_lost; }
    QStringList notShown() const { return m_notShown; }

private:
    bool textOnly() const { return m_text != nullptr; }
    bool tableOpen() const { return textOnly() ? m_textInTable : !m_table.isNull(); }

    // Tokens.
    void token();
    qsizetype plainRunEnd(qsizetype from) const;
    void refill();
    void finish();
    void controlSequence();
    void controlWord(const QByteArray& word, bool hasParam, int param);
    bool tableOrListWord(Word word, int param);
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
    void appendPlain(const QString& text);
    void placeContent(const Paragraph& para);
    void startParagraphIfPending();
    void paragraphBreak();
    bool continuesRun(const Paragraph& para) const;
    void finishBlock(const Paragraph& para);
    void flushRun();
    void finishPicture();
    void finishDocument();
    QTextCharFormat charFormat(const CharProps& props);
    QTextCharFormat makeCharFormat(const CharProps& props) const;
    QTextBlockFormat blockFormat(const Paragraph& props) const;
    QColor color(int index) const;
    void lose(Loss loss);

    // Links, lists and tables.
    void finishFieldInstruction();
    void addToList(const Paragraph& para);
    void notShown(const QString& what);
    void enterTableCell();
    void enterTextCell();
    int definedColumns() const;
    void planRow();
    const TablePlan* planAt(qsizetype position);
    int plannedColumns(const TablePlan& plan);
    void addEdges(const std::vector<CellDefinition>& cells);
    void startRow();
    void startTablePiece();
    void markFillerCells();
    void endTableEdit();
    void mapRowToColumns();
    void splitColumnAt(qsizetype column);
    void endCell();
    void endRow();
    void leaveTable();

    // Font and colour tables.
    void commitFont();
    void commitColor();

    Group& top() { return m_stack.back(); }

    QByteArray m_in;
    qsizetype m_pos = 0;
    QTextDocument* m_document = nullptr;
    QTextCursor m_cursor;
    // The text-only pass: its device, the bytes of a \bin still to skip in
    // the next chunks, the text made, and whether a table is being read.
    QIODevice* m_device = nullptr;
    qint64 m_binaryLeft = 0;
    // m_text is m_textPiece, handed to m_sink whenever it has grown.
    QString* m_text = nullptr;
    QString m_textPiece;
    std::function<void(QStringView)> m_sink;
    bool m_textInTable = false;

    std::vector<Group> m_stack;
    int m_overflow = 0;        // braces opened past kMaxDepth
    bool m_star = false;       // \* seen: the next control word starts an optional destination
    bool m_groupStart = false; // nothing but \* read since the last '{'
    int m_skip = 0;            // ANSI characters still to skip after \uN
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
    QStringList m_lost;
    // The format made last, made again only for other properties: most runs
    // of a long note share one.
    std::optional<std::pair<CharProps, QTextCharFormat>> m_lastCharFormat;
    // The properties the cursor's block was made with, when it was.
    std::optional<Paragraph> m_blockMadeWith;

    std::vector<FieldState> m_fields;
    QStringList m_links;

    // Lists: the list table's number formats by list id and level, the list
    // of each \lsN, and the lists made so far by (\lsN or 0 for \pn, level).
    PnState m_pn;
    std::map<int, std::vector<ListLevel>> m_listFormats;
    std::vector<ListLevel> m_levelsBeingRead;
    // The forms of the \pn lists, numbered from 1 in Paragraph::listForm.
    std::vector<ListForm> m_pnForms;
    std::map<ListForm, int> m_pnFormNumbers;
    QStringList m_notShown;
    int m_overrideListId = 0;
    std::map<int, int> m_overrides;
    // The first numbers a list override gives its levels, -1 where it gives none.
    std::vector<int> m_overrideStarts;
    std::map<int, std::vector<int>> m_levelStarts;
    // A list is deleted with its last block (a table made around the block
    // removes it): guarded pointers never outlive it.
    std::map<std::pair<int, int>, QPointer<QTextList>> m_lists;

    // Tables: the row definition in effect, and the table being filled.
    std::vector<CellDefinition> m_rowCells;
    CellDefinition m_cellBeingDefined;
    bool m_defineCellBorder = false;
    int m_rowLeft = 0;
    int m_rowGap = 0;
    QPointer<QTextTable> m_table;
    // A long table is made in pieces of at most m_tablePieceRows rows (0: whole):
    // the pieces before m_table, and the rows the survey saw that none holds yet.
    int m_tablePieceRows = 0;
    std::vector<QPointer<QTextTable>> m_tablePieces;
    int m_rowsUnmade = 0;
    // A table is made in one edit of the document: the document looks for its
    // tables again, all through its text, at the end of each edit that adds one.
    bool m_inTableEdit = false;
    std::vector<int> m_grid;        // right edge of each column, twips
    std::vector<int> m_cellColumns; // the first column of each cell of the row
    std::vector<int> m_cellSpans;
    std::vector<CellDefinition> m_cellsOfRow;
    std::map<int, int> m_verticalMergeTop; // column: the row its merged cell starts in
    std::vector<int> m_rowEnds;            // of each row, the column after its last cell
    int m_row = -1;
    int m_cell = 0;
    int m_placedCell = -1;
    bool m_rowEnded = false;
    bool m_tableBorder = false;
    // The document pass: the survey still to run, and the tables it found.
    std::unique_ptr<Reader> m_survey;
    std::vector<TablePlan> m_surveyed;
    size_t m_nextPlan = 0;
    bool m_surveyedTables = false;
    // The survey: where it records what it finds.
    std::vector<TablePlan>* m_plans = nullptr;
};

namespace {

bool sameListForm(const QTextListFormat& a, const QTextListFormat& b)
{
    return a.style() == b.style() && a.numberPrefix() == b.numberPrefix() &&
           a.numberSuffix() == b.numberSuffix() && a.property(ListStart) == b.property(ListStart) &&
           a.property(ListNumberForm) == b.property(ListNumberForm);
}

// The list style of a list table's \levelnfcN.
int styleOfNumberFormat(int format)
{
    switch (format) {
    case 1:
        return QTextListFormat::ListUpperRoman;
    case 2:
        return QTextListFormat::ListLowerRoman;
    case 3:
        return QTextListFormat::ListUpperAlpha;
    case 4:
        return QTextListFormat::ListLowerAlpha;
    case 23:
    case 255:
        return QTextListFormat::ListDisc;
    default:
        return QTextListFormat::ListDecimal;
    }
}

// The number forms the editor shows; others it shows as decimal numbers.
bool isShownNumberFormat(int format)
{
    return (format >= 0 && format <= 4) || format == 23 || format == 255;
}

// The form of a level of the list table: the text before its own number and
// after the last number of its \leveltext.
ListForm formOfLevel(const ListLevel& level)
{
    ListForm form;
    form.numberFormat = level.numberFormat;
    form.start = level.start;
    if (level.text.isEmpty())
        return form;
    const QString text = level.text.mid(1, level.text.at(0).unicode());
    const auto isNumber = [](QChar c) { return c.unicode() < 0x20; };
    const auto first = std::find_if(text.begin(), text.end(), isNumber);
    if (first == text.end())
        return form; // a bullet
    const auto last = std::find_if(text.rbegin(), text.rend(), isNumber).base();
    form.before = QString(text.begin(), first - text.begin());
    form.after = QString(last, text.end() - last);
    return form;
}

// The target of a HYPERLINK field instruction, empty for other fields.
QString linkTarget(const QString& instruction)
{
    QStringList arguments;
    bool isLink = false;
    for (qsizetype i = 0; i < instruction.size();) {
        const QChar c = instruction.at(i);
        if (c.isSpace()) {
            ++i;
            continue;
        }
        QString argument;
        if (c == u'"') {
            for (++i; i < instruction.size() && instruction.at(i) != u'"'; ++i) {
                if (instruction.at(i) == u'\\' && i + 1 < instruction.size())
                    ++i; // a field argument doubles its backslashes
                argument += instruction.at(i);
            }
            ++i;
        } else {
            while (i < instruction.size() && !instruction.at(i).isSpace())
                argument += instruction.at(i++);
        }
        if (arguments.isEmpty() && !isLink) {
            isLink = argument.compare(QLatin1String("HYPERLINK"), Qt::CaseInsensitive) == 0;
            if (!isLink)
                return QString();
            continue;
        }
        arguments << argument;
    }
    QString target;
    QString anchor;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& a = arguments.at(i);
        if (a == QLatin1String("\\l") && i + 1 < arguments.size())
            anchor = arguments.at(++i);
        else if ((a == QLatin1String("\\o") || a == QLatin1String("\\t")) &&
                 i + 1 < arguments.size())
            ++i;
        else if (!a.startsWith(u'\\') && target.isEmpty())
            target = a;
    }
    if (!anchor.isEmpty())
        target += QLatin1Char('#') + anchor;
    return target;
}

} // namespace

void Reader::token()
{
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
        if (uchar(c) >= 0x20 && !m_stack.empty() && m_skip == 0 &&
            (top().dest == Dest::Text || top().dest == Dest::Skip)) {
            // A run of plain characters at once, as literalByte() takes each:
            // most of a note is such runs.
            const qsizetype end = plainRunEnd(m_pos);
            if (top().dest == Dest::Text)
                m_bytes.append(m_in.constData() + m_pos, end - m_pos);
            m_star = false;
            m_groupStart = false;
            m_pos = end;
            break;
        }
        ++m_pos;
        literalByte(uchar(c), false);
        break;
    }
}

// The end of the bytes from from on that stand for themselves in text.
qsizetype Reader::plainRunEnd(qsizetype from) const
{
    const char* const data = m_in.constData();
    const qsizetype size = m_in.size();
    qsizetype end = from;
    while (end < size) {
        const uchar b = uchar(data[end]);
        if (b < 0x20 || b == '{' || b == '}' || b == '\\')
            break;
        ++end;
    }
    return end;
}

void Reader::finish()
{
    flushBytes();
    while (!m_stack.empty())
        closeGroup();
    finishDocument();
    m_pos = m_in.size();
}

// The survey takes this share of the time a note with tables is read in.
constexpr double kSurveyShare = 0.2;

double Reader::progress() const
{
    const double read = m_in.isEmpty() ? 1.0 : double(m_pos) / double(m_in.size());
    if (m_survey)
        return kSurveyShare * m_survey->progress();
    if (m_surveyedTables)
        return kSurveyShare + (1.0 - kSurveyShare) * read;
    return read;
}

bool Reader::step(qsizetype bytes)
{
    if (m_survey) {
        if (!m_survey->step(bytes))
            return false;
        m_survey.reset();
    }
    const qsizetype size = m_in.size();
    const qsizetype stop = qMin(size, m_pos + qMax<qsizetype>(bytes, 1));
    while (m_pos < stop && !m_finished) {
        token();
        if (m_plans && m_textPiece.size() >= kLookaheadBytes)
            m_textPiece.resize(0); // the survey keeps no text
    }
    if (m_pos < size && !m_finished)
        return false;
    finish();
    return true;
}

// Drops what was read and appends the next chunk, less what a \bin still skips.
void Reader::refill()
{
    m_in.remove(0, m_pos);
    m_pos = 0;
    while (!m_device->atEnd() && m_in.size() < kLookaheadBytes) {
        // A small note is read in one piece of its own size.
        const qint64 available = m_device->bytesAvailable();
        const QByteArray chunk =
            m_device->read(available > 0 ? qMin<qint64>(available, kChunkBytes) : kChunkBytes);
        if (chunk.isEmpty())
            break;
        const qsizetype skipped = qsizetype(qMin<qint64>(m_binaryLeft, chunk.size()));
        m_binaryLeft -= skipped;
        m_in.append(chunk.constData() + skipped, chunk.size() - skipped);
    }
}

void Reader::readToEnd()
{
    if (m_in.startsWith("\xEF\xBB\xBF"))
        m_in.remove(0, 3);
    while (!m_finished) {
        if (m_in.size() - m_pos < kLookaheadBytes && !m_device->atEnd())
            refill();
        if (m_pos >= m_in.size())
            break;
        token();
        if (m_textPiece.size() >= kLookaheadBytes) {
            m_sink(m_textPiece);
            m_textPiece.resize(0);
        }
    }
    finish();
    m_sink(m_textPiece);
    m_textPiece.clear();
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
    if (!m_fields.empty() && m_fields.back().instructionDepth == m_stack.size())
        finishFieldInstruction();
    if (!m_fields.empty() && m_fields.back().depth == m_stack.size())
        m_fields.pop_back();
    if (group.dest == Dest::ListNumbering && m_pn.depth == m_stack.size() && m_stack.size() > 1) {
        // The numbering describes the paragraph of the group around it.
        Paragraph& para = m_stack[m_stack.size() - 2].para;
        para.listStyle = m_pn.style ? m_pn.style : int(QTextListFormat::ListDecimal);
        para.listLevel = m_pn.level;
        ListForm form;
        form.numberFormat = listNumberFormat(QTextListFormat::Style(para.listStyle));
        form.start = m_pn.start;
        form.before = m_pn.before;
        form.after = m_pn.after;
        const auto known = m_pnFormNumbers.find(form);
        if (known != m_pnFormNumbers.end()) {
            para.listForm = known->second;
        } else {
            m_pnForms.push_back(form);
            para.listForm = int(m_pnForms.size());
            m_pnFormNumbers.emplace(form, para.listForm);
        }
    }
    m_stack.pop_back();
    if (m_stack.empty())
        m_finished = true; // the document's group closed: anything after it is not RTF
}

void Reader::skipBinary(int count, QByteArray* into)
{
    const qsizetype available = m_in.size() - m_pos;
    const qsizetype n = qBound(qsizetype(0), qsizetype(count), available);
    if (into && textOnly())
        into->append(m_in.constData() + m_pos,
                     qMax<qsizetype>(0, qMin(n, kPictureHeadBytes - into->size())));
    else if (into)
        into->append(m_in.constData() + m_pos, n);
    m_pos += n;
    // What is not read yet is skipped as it comes.
    if (m_device && count > n)
        m_binaryLeft = count - n;
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

    const bool knownDestination =
        info.word == Word::ShapePicture || info.word == Word::FieldInstruction ||
        info.word == Word::PnGroup || info.word == Word::ListTable ||
        info.word == Word::ListOverrideTable || info.word == Word::LostDestination ||
        info.word == Word::PnTextBefore || info.word == Word::PnTextAfter ||
        info.word == Word::LevelText;
    if (star && !knownDestination) {
        g.dest = Dest::Skip;
        return;
    }

    switch (info.word) {
    case Word::SkipDestination:
        g.dest = Dest::Skip;
        return;
    case Word::LostDestination:
        lose(Loss(info.character));
        g.dest = Dest::Skip;
        return;
    case Word::Shape:
        lose(Loss::Shapes);
        return;
    case Word::ListTable:
        g.dest = Dest::ListTable;
        return;
    case Word::ListOverrideTable:
        g.dest = Dest::ListOverrideTable;
        return;
    case Word::Object:
        lose(Loss::Objects);
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
        case Word::Red:
            m_colorBuilder.red = qBound(0, param, 255);
            break;
        case Word::Green:
            m_colorBuilder.green = qBound(0, param, 255);
            break;
        case Word::Blue:
            m_colorBuilder.blue = qBound(0, param, 255);
            break;
        default:
            break;
        }
        return;
    case Dest::Picture:
        switch (info.word) {
        case Word::Png:
            m_picture.kind = PictureKind::Png;
            break;
        case Word::Jpeg:
            m_picture.kind = PictureKind::Jpeg;
            break;
        case Word::OtherPicture:
            m_picture.kind = PictureKind::Unknown;
            break;
        case Word::GoalWidth:
            m_picture.goalWidth = qBound(0, param, 31680 * 4);
            break;
        case Word::GoalHeight:
            m_picture.goalHeight = qBound(0, param, 31680 * 4);
            break;
        case Word::ScaleX:
            m_picture.scaleX = qBound(1, param, 10000);
            break;
        case Word::ScaleY:
            m_picture.scaleY = qBound(1, param, 10000);
            break;
        default:
            break;
        }
        return;
    case Dest::ListNumbering:
        switch (info.word) {
        case Word::PnBullet:
            m_pn.style = QTextListFormat::ListDisc;
            break;
        case Word::PnBody:
            if (!m_pn.style)
                m_pn.style = QTextListFormat::ListDecimal;
            break;
        case Word::PnLevel:
            m_pn.level = qBound(0, param - 1, 8);
            if (!m_pn.style)
                m_pn.style = QTextListFormat::ListDecimal;
            break;
        case Word::PnDecimal:
            m_pn.style = QTextListFormat::ListDecimal;
            break;
        case Word::PnUpperLetter:
            m_pn.style = QTextListFormat::ListUpperAlpha;
            break;
        case Word::PnLowerLetter:
            m_pn.style = QTextListFormat::ListLowerAlpha;
            break;
        case Word::PnUpperRoman:
            m_pn.style = QTextListFormat::ListUpperRoman;
            break;
        case Word::PnLowerRoman:
            m_pn.style = QTextListFormat::ListLowerRoman;
            break;
        case Word::PnStart:
            m_pn.start = qBound(0, param, 32767);
            break;
        case Word::PnTextBefore:
            g.dest = Dest::PnTextBefore;
            m_pn.before.clear();
            break;
        case Word::PnTextAfter:
            g.dest = Dest::PnTextAfter;
            m_pn.after.clear();
            break;
        default:
            break;
        }
        return;
    case Dest::PnTextBefore:
    case Dest::PnTextAfter:
    case Dest::LevelText:
        return;
    case Dest::ListTable:
        switch (info.word) {
        case Word::List:
            m_levelsBeingRead.clear();
            break;
        case Word::ListLevel:
            m_levelsBeingRead.emplace_back();
            break;
        case Word::LevelNumberFormat:
            if (!m_levelsBeingRead.empty())
                m_levelsBeingRead.back().numberFormat = param;
            break;
        case Word::LevelStart:
            if (!m_levelsBeingRead.empty())
                m_levelsBeingRead.back().start = qBound(0, param, 32767);
            break;
        case Word::LevelText:
            if (!m_levelsBeingRead.empty()) {
                g.dest = Dest::LevelText;
                m_levelsBeingRead.back().text.clear();
            }
            break;
        case Word::ListId:
            m_listFormats[param] = m_levelsBeingRead;
            break;
        default:
            break;
        }
        return;
    case Dest::ListOverrideTable:
        switch (info.word) {
        case Word::ListOverrideEntry:
            m_overrideStarts.clear();
            break;
        case Word::ListId:
            m_overrideListId = param;
            break;
        case Word::OverrideLevel:
            m_overrideStarts.push_back(-1);
            break;
        case Word::OverrideStart:
            if (!m_overrideStarts.empty())
                m_overrideStarts.back() = 1; // a \levelstartat follows
            break;
        case Word::LevelStart:
            if (!m_overrideStarts.empty() && m_overrideStarts.back() >= 0)
                m_overrideStarts.back() = qBound(0, param, 32767);
            break;
        case Word::ListOverride:
            m_overrides[param] = m_overrideListId;
            m_levelStarts[param] = m_overrideStarts;
            break;
        default:
            break;
        }
        return;
    case Dest::FieldInstruction:
        if (info.word == Word::Character)
            deliver(QString(QChar(info.character)));
        return;
    case Dest::Skip:
        return;
    case Dest::Text:
        break;
    }
    if (tableOrListWord(info.word, param))
        return;

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
    case Word::Par:
        paragraphBreak();
        break;
    case Word::Line:
        appendText(QString(QChar(QChar::LineSeparator)));
        break;
    case Word::Tab:
        appendText(QStringLiteral("\t"));
        break;
    case Word::Character:
        appendText(QString(QChar(info.character)));
        break;
    case Word::Pard:
        pa = Paragraph();
        break;
    case Word::Field:
        m_fields.emplace_back();
        m_fields.back().depth = m_stack.size();
        break;
    case Word::FieldInstruction:
        if (!m_fields.empty() && !m_fields.back().instructionDepth) {
            g.dest = Dest::FieldInstruction;
            m_fields.back().instructionDepth = m_stack.size();
        } else {
            g.dest = Dest::Skip;
        }
        break;
    case Word::FieldResult:
        if (!m_fields.empty())
            ch.link = m_fields.back().link;
        break;
    case Word::PnGroup:
        g.dest = Dest::ListNumbering;
        m_pn = PnState();
        m_pn.depth = m_stack.size();
        break;
    case Word::Plain:
        ch = CharProps();
        break;
    case Word::Bold:
        ch.bold = on;
        break;
    case Word::Italic:
        ch.italic = on;
        break;
    case Word::Underline:
        ch.underline = on ? 1 : 0;
        break;
    case Word::UnderlineWave:
        ch.underline = on ? 2 : 0;
        break;
    case Word::UnderlineNone:
        ch.underline = 0;
        break;
    case Word::Strike:
    case Word::StrikeDouble:
        ch.strike = on;
        break;
    case Word::Hidden:
        ch.hidden = on;
        break;
    case Word::Super:
        ch.vertical = 1;
        break;
    case Word::Sub:
        ch.vertical = 2;
        break;
    case Word::NoSuperSub:
        ch.vertical = 0;
        break;
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
    case Word::Foreground:
        ch.foreground = hasParam ? param : 0;
        break;
    case Word::Background:
        ch.background = hasParam ? param : 0;
        break;
    case Word::AlignLeft:
        pa.align = 0;
        break;
    case Word::AlignCenter:
        pa.align = 1;
        break;
    case Word::AlignRight:
        pa.align = 2;
        break;
    case Word::AlignJustify:
        pa.align = 3;
        break;
    case Word::RtlPar:
        pa.rightToLeft = true;
        break;
    case Word::LtrPar:
        pa.rightToLeft = false;
        break;
    case Word::LeftIndent:
        pa.leftIndent = clampTwips(param);
        break;
    case Word::RightIndent:
        pa.rightIndent = clampTwips(param);
        break;
    case Word::FirstIndent:
        pa.firstIndent = clampTwips(param);
        break;
    case Word::SpaceBefore:
        pa.spaceBefore = qBound(0, param, 31680);
        break;
    case Word::SpaceAfter:
        pa.spaceAfter = qBound(0, param, 31680);
        break;
    case Word::LineSpacing:
        pa.lineSpacing = clampTwips(param);
        break;
    case Word::LineMultiple:
        pa.lineMultiple = on;
        break;
    case Word::ParaBackground:
        pa.background = param;
        break;
    default:
        break; // unknown control words are ignored
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
        if (!escaped && hexValue(char(byte)) >= 0 &&
            (!textOnly() || m_picture.hex.size() < 2 * kPictureHeadBytes))
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
    case Dest::FieldInstruction:
        if (byte >= 0x20 || escaped)
            m_bytes.append(char(byte));
        return;
    case Dest::ListNumbering:
    case Dest::ListTable:
    case Dest::ListOverrideTable:
        return;
    case Dest::PnTextBefore:
    case Dest::PnTextAfter:
        if (byte >= 0x20 || escaped)
            m_bytes.append(char(byte));
        return;
    case Dest::LevelText:
        if (escaped && byte < 0x20) {
            // The length and the places of the numbers.
            flushBytes();
            if (!m_levelsBeingRead.empty())
                m_levelsBeingRead.back().text += QChar(byte);
        } else if (byte >= 0x20 || escaped) {
            m_bytes.append(char(byte));
        }
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
    case Dest::FieldInstruction:
        if (!m_fields.empty())
            m_fields.back().instruction += text;
        break;
    case Dest::PnTextBefore:
        m_pn.before += text;
        break;
    case Dest::PnTextAfter:
        m_pn.after += text;
        break;
    case Dest::LevelText:
        if (!m_levelsBeingRead.empty())
            m_levelsBeingRead.back().text += text;
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
    // Printable ASCII is itself in every ANSI and OEM code page, and so is
    // the upper half of Windows-1252 from 0xA0 on in Latin-1.
    const auto printable = [codePage](char c) {
        const uchar b = uchar(c);
        return (b >= 0x20 && b < 0x7F) || (codePage == 1252 && b >= 0xA0);
    };
    if (isAsciiCompatible(codePage) && std::all_of(bytes.cbegin(), bytes.cend(), printable))
        return QString::fromLatin1(bytes);
    // A code page the converter does not know reads as Windows-1252.
    return CodePage::decode(bytes, CodePage::isKnown(codePage) ? codePage : 1252);
}

void Reader::commitFont()
{
    m_lastCharFormat.reset();
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
    m_lastCharFormat.reset();
    const ColorBuilder& b = m_colorBuilder;
    if (b.red < 0 && b.green < 0 && b.blue < 0)
        m_colors.emplace_back(); // an empty entry: the automatic colour
    else
        m_colors.emplace_back(qMax(b.red, 0), qMax(b.green, 0), qMax(b.blue, 0));
    m_colorBuilder = ColorBuilder();
}

// Index 0 is the automatic colour when the table starts with an empty entry,
// as it nearly always does; otherwise it is the table's first colour.
QColor Reader::color(int index) const
{
    if (index < 0 || size_t(index) >= m_colors.size())
        return QColor();
    return m_colors[size_t(index)];
}

void Reader::lose(Loss loss)
{
    const QString name = QLatin1String(kLossNames[int(loss)]);
    if (!m_lost.contains(name))
        m_lost << name;
}

QTextCharFormat Reader::charFormat(const CharProps& p)
{
    if (!m_lastCharFormat || !(m_lastCharFormat->first == p))
        m_lastCharFormat.emplace(p, makeCharFormat(p));
    return m_lastCharFormat->second;
}

QTextCharFormat Reader::makeCharFormat(const CharProps& p) const
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
    if (p.link >= 0) {
        f.setAnchor(true);
        f.setAnchorHref(m_links.at(p.link));
    }
    return f;
}

QTextBlockFormat Reader::blockFormat(const Paragraph& p) const
{
    QTextBlockFormat f;
    switch (p.align) {
    case 1:
        f.setAlignment(Qt::AlignHCenter);
        break;
    case 2:
        f.setAlignment(Qt::AlignRight);
        break;
    case 3:
        f.setAlignment(Qt::AlignJustify);
        break;
    default:
        break;
    }
    if (p.rightToLeft)
        f.setLayoutDirection(Qt::RightToLeft);
    // A list item's indents are its list's.
    const bool listItem = p.listStyle || p.listOverride;
    if (p.leftIndent && !listItem)
        f.setLeftMargin(p.leftIndent / kTwipsPerPixel);
    if (p.rightIndent)
        f.setRightMargin(p.rightIndent / kTwipsPerPixel);
    if (p.firstIndent && !listItem)
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
    if (continuesRun(top().para)) {
        if (!m_run.isEmpty() && !(m_runProps == top().chars))
            flushRun();
        if (m_run.isEmpty())
            m_runProps = top().chars;
        m_run += QChar(QChar::ParagraphSeparator); // the new block takes the properties of this one
    } else {
        flushRun();
        if (textOnly())
            *m_text += u'\n';
        else
            m_cursor.insertBlock(blockFormat(top().para), charFormat(top().chars));
        m_blockMadeWith = top().para;
    }
    m_pendingBreak = false;
    m_blockHasContent = false;
}

void Reader::appendText(const QString& text)
{
    if (m_stack.empty() || top().chars.hidden)
        return;
    placeContent(top().para);
    if (!m_run.isEmpty() && !(m_runProps == top().chars))
        flushRun();
    if (m_run.isEmpty())
        m_runProps = top().chars;
    if (text.contains(QChar(QChar::ParagraphSeparator)))
        m_run += QString(text).remove(
            QChar(QChar::ParagraphSeparator)); // paragraphs come from \par only
    else
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
    if (text.isEmpty())
        return;
    if (textOnly())
        appendPlain(text);
    else
        m_cursor.insertText(text, charFormat(m_runProps));
}

// The text as QTextDocument::toPlainText() gives it back: paragraph and line
// separators as line feeds, no-break spaces as spaces.
void Reader::appendPlain(const QString& text)
{
    QString& out = *m_text;
    const qsizetype start = out.size();
    out += text;
    for (QChar *c = out.data() + start, *end = out.data() + out.size(); c != end; ++c) {
        const char16_t u = c->unicode();
        if (u == QChar::ParagraphSeparator || u == QChar::LineSeparator)
            *c = u'\n';
        else if (u == QChar::Nbsp)
            *c = u' ';
    }
}

// A paragraph of text whose block already has its properties, as most of a
// long note's paragraphs are: its end goes into the run of text, and a whole
// run of such paragraphs is inserted at once, which takes a fraction of the
// time and memory of a block at a time.
bool Reader::continuesRun(const Paragraph& para) const
{
    return m_blockHasContent && m_blockMadeWith == para && !para.inTable && !para.listStyle &&
           !para.listOverride;
}

void Reader::paragraphBreak()
{
    placeContent(top().para);
    m_pendingBreak = true;
    if (continuesRun(top().para))
        return;
    flushRun();
    // The paragraph properties in effect at \par are those of the paragraph.
    finishBlock(top().para);
    if (!m_blockHasContent && !textOnly())
        m_cursor.setBlockCharFormat(charFormat(top().chars));
}

void Reader::finishBlock(const Paragraph& para)
{
    if (textOnly()) {
        m_blockMadeWith = para; // list items show their numbers, not text
        return;
    }
    if (!(m_blockMadeWith == para))
        m_cursor.setBlockFormat(blockFormat(para));
    m_blockMadeWith = para;
    addToList(para);
}

// Content of a cell goes into the table, content after a table below it.
void Reader::placeContent(const Paragraph& para)
{
    if (para.inTable)
        enterTableCell();
    else if (tableOpen())
        leaveTable();
    startParagraphIfPending();
}

void Reader::finishFieldInstruction()
{
    FieldState& field = m_fields.back();
    field.instructionDepth = std::numeric_limits<size_t>::max(); // read once
    const QString target = linkTarget(field.instruction);
    if (!target.isEmpty()) {
        field.link = int(m_links.size());
        m_links << target;
    } else if (!field.instruction.trimmed().isEmpty()) {
        lose(Loss::Fields); // the field's last result stays as plain text
    }
}

void Reader::addToList(const Paragraph& para)
{
    int style = para.listStyle;
    ListForm form;
    if (para.listForm > 0 && size_t(para.listForm) <= m_pnForms.size())
        form = m_pnForms[size_t(para.listForm) - 1];
    if (para.listOverride) {
        const auto list = m_overrides.find(para.listOverride);
        const auto formats =
            list == m_overrides.end() ? m_listFormats.end() : m_listFormats.find(list->second);
        if (formats != m_listFormats.end() && size_t(para.listLevel) < formats->second.size()) {
            form = formOfLevel(formats->second[size_t(para.listLevel)]);
            style = styleOfNumberFormat(form.numberFormat);
            const std::vector<int>& starts = m_levelStarts[para.listOverride];
            if (size_t(para.listLevel) < starts.size() && starts[size_t(para.listLevel)] >= 0)
                form.start = starts[size_t(para.listLevel)];
        } else if (!style) {
            style = QTextListFormat::ListDecimal;
        }
    }
    if (!style) {
        // A \pn list ends at the first paragraph outside it; a list of the
        // list table goes on after one, as its numbers do.
        std::erase_if(m_lists, [](const auto& entry) { return entry.first.first == 0; });
        return;
    }
    QTextListFormat format;
    format.setStyle(QTextListFormat::Style(style));
    format.setIndent(para.listLevel + 1);
    if (listNumberFormat(QTextListFormat::Style(style)) != 23) {
        if (!form.before.isEmpty())
            format.setNumberPrefix(form.before);
        if (form.after != QLatin1String("."))
            format.setNumberSuffix(form.after); // the editor's own is "."
        if (form.start != 1) {
            format.setProperty(ListStart, form.start);
#if QT_VERSION >= QT_VERSION_CHECK(6, 6, 0)
            format.setStart(form.start);
#else
            notShown(QStringLiteral("list start numbers (counted from 1 here)"));
#endif
        }
        if (!isShownNumberFormat(form.numberFormat)) {
            format.setProperty(ListNumberForm, form.numberFormat);
            notShown(QStringLiteral("list number forms (shown as 1, 2, 3)"));
        }
    }
    QPointer<QTextList>& list = m_lists[{para.listOverride, para.listLevel}];
    if (list && sameListForm(list->format(), format)) {
        list->add(m_cursor.block());
        return;
    }
    list = m_cursor.createList(format);
}

void Reader::notShown(const QString& what)
{
    if (!m_notShown.contains(what))
        m_notShown << what;
}

bool Reader::tableOrListWord(Word word, int param)
{
    Paragraph& pa = top().para;
    CellDefinition& cell = m_cellBeingDefined;
    switch (word) {
    case Word::ListOverride:
        pa.listOverride = qMax(0, param);
        return true;
    case Word::ListLevelNumber:
        pa.listLevel = qBound(0, param, 8);
        return true;
    case Word::InTable:
        pa.inTable = true;
        return true;
    case Word::NestingLevel:
        if (param > 1)
            lose(Loss::NestedTables);
        pa.inTable = param > 0;
        return true;
    case Word::RowDefaults:
        m_rowCells.clear();
        cell = CellDefinition();
        m_rowLeft = 0;
        return true;
    case Word::RowGap:
        m_rowGap = qBound(0, param, 1440);
        return true;
    case Word::RowLeft:
        m_rowLeft = clampTwips(param);
        return true;
    case Word::CellRight:
        cell.right = qBound(0, param - m_rowLeft, 31680 * 2);
        m_rowCells.push_back(cell);
        cell = CellDefinition();
        m_defineCellBorder = false;
        return true;
    case Word::CellMergeFirst:
        cell.mergeFirst = true;
        return true;
    case Word::CellMerge:
        cell.merge = true;
        return true;
    case Word::CellVMergeFirst:
        cell.verticalMergeFirst = true;
        return true;
    case Word::CellVMerge:
        cell.verticalMerge = true;
        return true;
    case Word::CellBackground:
        cell.background = param;
        return true;
    case Word::CellBorder:
        m_defineCellBorder = true;
        return true;
    case Word::BorderStyle:
        if (m_defineCellBorder)
            cell.border = true;
        return true;
    case Word::BorderNone:
        return true;
    case Word::Cell:
        endCell();
        return true;
    case Word::Row:
        endRow();
        return true;
    case Word::NestCell:
        lose(Loss::NestedTables);
        appendText(QStringLiteral("\t"));
        return true;
    case Word::NestRow:
        lose(Loss::NestedTables);
        paragraphBreak();
        return true;
    default:
        return false;
    }
}

// ---- Tables ----
//
// A row's cells are placed on a grid of columns made of the right edges of
// the cells met so far: a cell whose edges span several columns is merged
// across them, and an edge between two columns splits one.

// The text-only pass keeps no table, only the text QTextDocument gives a
// table of plain cells: a line feed before each cell and one after the table.
void Reader::enterTextCell()
{
    if (!m_textInTable) {
        flushRun();
        m_textInTable = true;
        m_row = 0;
        m_cell = 0;
        m_placedCell = -1;
        m_rowEnded = false;
        if (m_plans) {
            m_plans->emplace_back();
            m_plans->back().position = m_pos;
            planRow();
        }
    } else if (m_rowEnded) {
        flushRun();
        ++m_row;
        m_cell = 0;
        m_placedCell = -1;
        m_rowEnded = false;
        if (m_plans)
            planRow();
    }
    if (m_placedCell == m_cell)
        return;
    flushRun();
    if (m_plans)
        m_plans->back().rows.back().cells = qMax(m_plans->back().rows.back().cells, m_cell + 1);
    for (int cell = m_placedCell; cell < m_cell; ++cell)
        *m_text += u'\n';
    m_blockMadeWith.reset();
    m_placedCell = m_cell;
    m_pendingBreak = false;
    m_blockHasContent = false;
}

// The columns a table made for the present row definition starts with.
int Reader::definedColumns() const
{
    int columns = 0;
    int right = -1;
    for (const CellDefinition& cell : m_rowCells) {
        if (cell.right > right && columns < kMaxColumns) {
            right = cell.right;
            ++columns;
        }
    }
    return qMax(1, columns);
}

// A new row of the survey, with the cell definition in effect.
void Reader::planRow()
{
    TablePlan& plan = m_plans->back();
    if (plan.definitions.empty() || plan.definitions.back() != m_rowCells)
        plan.definitions.push_back(m_rowCells);
    plan.rows.push_back({int(plan.definitions.size()) - 1, 0});
}

// The survey's plan of the table whose first cell is met at position, if any.
const TablePlan* Reader::planAt(qsizetype position)
{
    while (m_nextPlan < m_surveyed.size() && m_surveyed[m_nextPlan].position < position)
        ++m_nextPlan;
    if (m_nextPlan < m_surveyed.size() && m_surveyed[m_nextPlan].position == position)
        return &m_surveyed[m_nextPlan++];
    return nullptr;
}

// Makes m_grid the columns of every row of plan, as mapRowToColumns() would
// make them row by row; returns the columns its cells take.
int Reader::plannedColumns(const TablePlan& plan)
{
    m_grid.clear();
    for (const std::vector<CellDefinition>& cells : plan.definitions)
        addEdges(cells);
    int columns = int(m_grid.size());
    for (const TablePlan::Row& row : plan.rows) {
        const std::vector<CellDefinition>& cells = plan.definitions[size_t(row.definition)];
        if (size_t(row.cells) <= cells.size())
            continue;
        // Cells past the definition take the columns after its last.
        int next = 0;
        if (!cells.empty()) {
            const auto edge = std::find_if(m_grid.begin(), m_grid.end(), [&](int right) {
                return right >= cells.back().right - kEdgeTolerance;
            });
            next = int(edge - m_grid.begin()) + 1;
        }
        columns = qMax(columns, qMin(next + row.cells - int(cells.size()), kMaxColumns));
    }
    return qMax(1, columns);
}

// The right edges of cells added to m_grid; no more than kMaxColumns.
void Reader::addEdges(const std::vector<CellDefinition>& cells)
{
    for (const CellDefinition& cell : cells) {
        if (m_grid.size() >= size_t(kMaxColumns))
            return;
        const auto edge = std::find_if(m_grid.begin(), m_grid.end(), [&](int right) {
            return right >= cell.right - kEdgeTolerance;
        });
        if (edge == m_grid.end())
            m_grid.push_back(cell.right);
        else if (*edge > cell.right + kEdgeTolerance)
            m_grid.insert(edge, cell.right);
    }
}

void Reader::enterTableCell()
{
    if (textOnly()) {
        enterTextCell();
        return;
    }
    if (!m_table) {
        flushRun();
        QTextTableFormat format;
        format.setCellSpacing(0);
        format.setBorderCollapse(true);
        format.setBorder(0);
        int rows = 1;
        int columns = 1;
        m_tablePieces.clear();
        m_rowsUnmade = 0;
        if (const TablePlan* plan = planAt(m_pos)) {
            rows = int(plan->rows.size());
            columns = plannedColumns(*plan);
            if (m_tablePieceRows > 0 && rows > m_tablePieceRows) {
                m_rowsUnmade = rows - m_tablePieceRows;
                rows = m_tablePieceRows;
            }
        } else {
            // Grown as its rows come.
            m_grid.clear();
            for (const CellDefinition& cell : m_rowCells)
                if ((m_grid.empty() || cell.right > m_grid.back()) &&
                    m_grid.size() < size_t(kMaxColumns))
                    m_grid.push_back(cell.right);
            columns = int(qMax<size_t>(1, m_grid.size()));
        }
        if (!m_inTableEdit) {
            QTextCursor(m_document).beginEditBlock();
            m_inTableEdit = true;
        }
        m_table = m_cursor.insertTable(rows, columns, format);
        m_blockMadeWith.reset();
        m_row = 0;
        m_tableBorder = false;
        m_verticalMergeTop.clear();
        m_rowEnds.clear();
        m_cell = 0;
        m_placedCell = -1;
        m_rowEnded = false;
        mapRowToColumns();
    } else if (m_rowEnded) {
        startRow();
    }
    if (m_placedCell == m_cell)
        return;
    // Cells past the row's definition get columns of their own.
    while (size_t(m_cell) >= m_cellColumns.size()) {
        const int column = m_cellColumns.empty()
                               ? 0
                               : qMin(m_cellColumns.back() + m_cellSpans.back(), kMaxColumns - 1);
        if (column >= m_table->columns())
            m_table->appendColumns(1);
        m_cellColumns.push_back(column);
        m_cellSpans.push_back(1);
        m_cellsOfRow.emplace_back();
    }
    flushRun();
    const int column = m_cellColumns[size_t(m_cell)];
    const QTextTableCell cell = m_table->cellAt(m_row, column);
    if (m_cell > 0 && m_cellColumns[size_t(m_cell) - 1] == column) {
        // A cell past the last column goes on in it as a paragraph of its own,
        // after the cells before it (and one long paragraph, laid out again
        // at each insertion, would make such a row read in quadratic time).
        m_cursor = cell.lastCursorPosition();
        m_cursor.insertBlock();
        if (column == kMaxColumns - 1)
            lose(Loss::WideTables);
    } else {
        m_cursor = cell.firstCursorPosition();
    }
    m_blockMadeWith.reset();
    m_placedCell = m_cell;
    m_pendingBreak = false;
    m_blockHasContent = false;
}

void Reader::startRow()
{
    flushRun();
    if (m_row + 1 >= m_table->rows()) {
        // A cell merged down from the row above keeps the row in its piece.
        if (m_rowsUnmade > 0 && m_verticalMergeTop.empty()) {
            startTablePiece();
        } else {
            m_table->appendRows(1);
            m_rowsUnmade = qMax(0, m_rowsUnmade - 1);
        }
    }
    ++m_row;
    m_cell = 0;
    m_placedCell = -1;
    m_rowEnded = false;
    mapRowToColumns();
}

void Reader::mapRowToColumns()
{
    m_cellColumns.clear();
    m_cellSpans.clear();
    m_cellsOfRow = m_rowCells;
    int first = 0;
    for (const CellDefinition& cell : m_rowCells) {
        auto edge = std::find_if(m_grid.begin(), m_grid.end(),
                                 [&](int right) { return right >= cell.right - kEdgeTolerance; });
        if (m_grid.size() >= size_t(kMaxColumns)) {
            if (edge == m_grid.end())
                --edge;
        } else if (edge == m_grid.end()) {
            m_grid.push_back(cell.right);
            m_table->appendColumns(1);
            edge = m_grid.end() - 1;
        } else if (*edge > cell.right + kEdgeTolerance) {
            const qsizetype column = edge - m_grid.begin();
            edge = m_grid.insert(edge, cell.right);
            splitColumnAt(column);
        }
        const int last = int(edge - m_grid.begin());
        m_cellColumns.push_back(qMin(first, last));
        m_cellSpans.push_back(qMax(1, last - first + 1));
        first = last + 1;
    }
}

// How far up a piece of a long table with borders goes, per pixel of border,
// so that its top border lies on the bottom border of the piece before.
constexpr double kPieceBorderOverlap = 4;

// The next piece of a long table: a table of the same columns right after
// the one filled so far, its rows those the survey saw.
void Reader::startTablePiece()
{
    markFillerCells();
    QTextTable* previous = m_table;
    m_tablePieces.push_back(previous);
    QTextCursor after = previous->lastCursorPosition();
    after.movePosition(QTextCursor::NextBlock);
    const int rows = qMin(m_rowsUnmade, m_tablePieceRows);
    m_rowsUnmade -= rows;
    QTextTableFormat format = previous->format();
    format.setProperty(ContinuesTable, true);
    m_table = after.insertTable(rows, previous->columns(), format);
    // The paragraph a document keeps between two tables takes no room.
    QTextCursor joint = previous->lastCursorPosition();
    joint.movePosition(QTextCursor::NextBlock);
    QTextBlockFormat jointFormat;
    jointFormat.setLineHeight(0, QTextBlockFormat::FixedHeight);
    joint.setBlockFormat(jointFormat);
    joint.setBlockCharFormat(QTextCharFormat());
    m_blockMadeWith.reset();
    m_row = -1;
    m_rowEnds.clear();
}

void Reader::endTableEdit()
{
    if (!m_inTableEdit)
        return;
    QTextCursor(m_document).endEditBlock();
    m_inTableEdit = false;
}

// A row of fewer cells than the table has columns keeps its own: the cells
// that fill it out are not written back unless given text.
void Reader::markFillerCells()
{
    for (int row = 0; row < m_table->rows() && size_t(row) < m_rowEnds.size(); ++row) {
        for (int column = qMax(1, m_rowEnds[size_t(row)]); column < m_table->columns(); ++column) {
            QTextTableCell filler = m_table->cellAt(row, column);
            if (filler.row() != row || filler.column() != column)
                continue;
            QTextCharFormat format = filler.format();
            format.setProperty(FillerCell, true);
            filler.setFormat(format);
        }
    }
}

// A new edge inside column: the column is split in two, and the rows above
// keep their cells whole by spanning both halves.
void Reader::splitColumnAt(qsizetype column)
{
    const int right = int(column) + 1;
    m_table->insertColumns(right, 1);
    for (int row = 0; row < m_row; ++row) {
        const QTextTableCell added = m_table->cellAt(row, right);
        if (added.column() != right || added.row() != row)
            continue; // inside a merged cell that now spans it
        const QTextTableCell left = m_table->cellAt(row, int(column));
        if (left.row() == row)
            m_table->mergeCells(row, left.column(), left.rowSpan(), left.columnSpan() + 1);
    }
}

void Reader::endCell()
{
    enterTableCell();
    flushRun();
    finishBlock(top().para);
    ++m_cell;
    m_pendingBreak = false;
}

void Reader::endRow()
{
    if (!tableOpen() || m_rowEnded)
        return;
    flushRun();
    if (textOnly()) {
        // The cells of the row that hold nothing are there all the same.
        for (int cell = m_placedCell + 1; cell < definedColumns(); ++cell)
            *m_text += u'\n';
        m_rowEnded = true;
        m_pendingBreak = false;
        return;
    }
    int mergeStart = -1;
    for (size_t i = 0; i < m_cellsOfRow.size() && i < m_cellColumns.size(); ++i) {
        const CellDefinition& cell = m_cellsOfRow[i];
        int column = m_cellColumns[i];
        int span = m_cellSpans[i];
        if (cell.merge && mergeStart >= 0) {
            span += column - mergeStart;
            column = mergeStart;
        } else {
            mergeStart = column;
        }
        if (cell.verticalMerge && m_verticalMergeTop.count(column)) {
            const int top = m_verticalMergeTop[column];
            m_table->mergeCells(top, column, m_row - top + 1, span);
        } else {
            if (span > 1)
                m_table->mergeCells(m_row, column, 1, span);
            if (cell.verticalMergeFirst)
                m_verticalMergeTop[column] = m_row;
            else
                m_verticalMergeTop.erase(column);
        }
        const QColor background = color(cell.background);
        if (cell.background > 0 && background.isValid()) {
            QTextTableCell target = m_table->cellAt(m_row, column);
            QTextCharFormat format = target.format();
            format.setBackground(background);
            target.setFormat(format);
        }
        m_tableBorder = m_tableBorder || cell.border;
    }
    if (m_rowEnds.size() <= size_t(m_row))
        m_rowEnds.resize(size_t(m_row) + 1, 0);
    if (!m_cellColumns.empty())
        m_rowEnds[size_t(m_row)] = m_cellColumns.back() + m_cellSpans.back();
    m_rowEnded = true;
    m_pendingBreak = false;
}

void Reader::leaveTable()
{
    endRow();
    if (textOnly()) {
        *m_text += u'\n';
        m_textInTable = false;
        m_blockMadeWith.reset();
        m_pendingBreak = false;
        m_blockHasContent = false;
        return;
    }
    if (m_table->rows() > m_row + 1) // the survey saw more rows than there are
        m_table->removeRows(m_row + 1, m_table->rows() - m_row - 1);
    markFillerCells();
    QTextTableFormat format = m_table->format();
    if (m_tableBorder) {
        format.setBorder(1);
        format.setBorderStyle(QTextFrameFormat::BorderStyle_Solid);
    }
    format.setCellPadding(m_rowGap / kTwipsPerPixel);
    if (size_t(m_table->columns()) == m_grid.size()) {
        QList<QTextLength> widths;
        int left = 0;
        for (const int right : m_grid) {
            widths << QTextLength(QTextLength::FixedLength, (right - left) / kTwipsPerPixel);
            left = right;
        }
        format.setColumnWidthConstraints(widths);
    }
    // Every piece of a long table has the format of the whole.
    m_tablePieces.push_back(m_table);
    for (size_t piece = 0; piece < m_tablePieces.size(); ++piece) {
        if (piece == 0) {
            format.clearProperty(ContinuesTable);
        } else {
            format.setProperty(ContinuesTable, true);
            // Its top border over the bottom one of the piece before: one line.
            format.setTopMargin(-kPieceBorderOverlap * format.border());
        }
        if (m_tablePieces[piece])
            m_tablePieces[piece]->setFormat(format);
    }
    m_tablePieces.clear();
    endTableEdit();
    m_cursor = m_table->lastCursorPosition();
    m_blockMadeWith.reset();
    m_cursor.movePosition(QTextCursor::NextBlock);
    m_table = nullptr;
    m_pendingBreak = false;
    m_blockHasContent = false;
}

void Reader::finishPicture()
{
    m_inPicture = false;
    Picture picture = std::move(m_picture);
    m_picture = Picture();
    if (m_stack.empty())
        return;
    if (picture.kind == PictureKind::Unknown) {
        lose(Loss::Pictures);
        return;
    }
    QByteArray data = picture.binary;
    if (data.isEmpty()) {
        if (picture.hex.size() % 2)
            picture.hex.chop(1);
        data = QByteArray::fromHex(picture.hex);
    }
    const char* const imageFormat = picture.kind == PictureKind::Png ? "PNG" : "JPEG";
    if (textOnly()) {
        // The head of the data tells whether the editor shows a picture,
        // which takes one character of the text.
        QBuffer head(&data);
        head.open(QIODevice::ReadOnly);
        if (!QImageReader(&head, imageFormat).canRead()) {
            lose(Loss::Pictures);
            return;
        }
        const Group& owner = m_stack.size() > 1 ? m_stack[m_stack.size() - 2] : m_stack.back();
        if (owner.chars.hidden)
            return;
        placeContent(owner.para);
        flushRun();
        if (m_pendingBreak) {
            *m_text += u'\n';
            m_blockMadeWith = owner.para;
            m_pendingBreak = false;
        }
        *m_text += QChar(QChar::ObjectReplacementCharacter);
        m_lastPara = owner.para;
        m_blockHasContent = true;
        return;
    }
    QImage image;
    if (!image.loadFromData(data, imageFormat)) {
        lose(Loss::Pictures);
        return;
    }

    QUrl url;
    do {
        url = QUrl(QStringLiteral("rtfimage:%1").arg(++m_imageCount));
    } while (m_document->resource(QTextDocument::ImageResource, url).isValid());
    m_document->addResource(QTextDocument::ImageResource, url, image);

    QTextImageFormat format;
    format.setName(url.toString());
    const double width = picture.goalWidth > 0 ? picture.goalWidth / kTwipsPerPixel : image.width();
    const double height =
        picture.goalHeight > 0 ? picture.goalHeight / kTwipsPerPixel : image.height();
    if (picture.goalWidth > 0 || picture.scaleX != 100)
        format.setWidth(width * picture.scaleX / 100.0);
    if (picture.goalHeight > 0 || picture.scaleY != 100)
        format.setHeight(height * picture.scaleY / 100.0);

    // The picture group is still on the stack: its parent's state applies.
    const Group& owner = m_stack.size() > 1 ? m_stack[m_stack.size() - 2] : m_stack.back();
    if (owner.chars.hidden)
        return;
    placeContent(owner.para);
    if (m_pendingBreak) {
        flushRun();
        m_cursor.insertBlock(blockFormat(owner.para), charFormat(owner.chars));
        m_blockMadeWith = owner.para;
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
    if (tableOpen())
        leaveTable();
    endTableEdit();
    // A \par at the very end marks the last paragraph's end, as the rich-edit
    // control, Word and LibreOffice write it; it starts no new paragraph.
    if (!m_pendingBreak && m_blockHasContent)
        finishBlock(m_lastPara);
}

Parser::Parser(const QByteArray& data, QTextDocument* document, int tablePieceRows)
{
    document->clear();
    m_reader = std::make_unique<Reader>(data, document, tablePieceRows);
}

Parser::~Parser() = default;

bool Parser::step(qsizetype bytes)
{
    return m_reader->step(bytes);
}

double Parser::progress() const
{
    return m_reader->progress();
}

QStringList Parser::notKept() const
{
    return m_reader->notKept();
}

QStringList Parser::notShown() const
{
    return m_reader->notShown();
}

void readPlainText(QIODevice* device, QByteArray head, const std::function<void(QStringView)>& sink)
{
    Reader(device, std::move(head), sink).readToEnd();
}

} // namespace RichText::Rtf
