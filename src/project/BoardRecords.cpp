#include "project/BoardRecords.h"

#include "project/BoardModel.h"
#include "project/ObjectLabel.h"
#include "project/ObjectShape.h"
#include "stream/Colors.h"
#include "stream/FontHeight.h"
#include "formats/SaveFile.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontMetrics>
#include <QLocale>
#include <QSaveFile>
#include <QSet>
#include <array>
#include <climits>
#include <optional>
#include <unordered_map>

using stream::Property;
using stream::Record;
using stream::Value;

namespace BoardRecords {

namespace {

constexpr std::array<const char*, 6> shapeKindNames = {"stRectangle",   "stSquare",  "stRoundRect",
                                                       "stRoundSquare", "stEllipse", "stCircle"};
constexpr std::array<const char*, 8> brushStyleNames = {"bsSolid",    "bsClear",     "bsHorizontal",
                                                        "bsVertical", "bsFDiagonal", "bsBDiagonal",
                                                        "bsCross",    "bsDiagCross"};

// The properties a record always carries, as the program has always written
// them. An element read from a record that lacked some keeps them out of the
// file for as long as they hold what their absence gave it, so a file it
// loaded is never written back larger than its elements need.
enum AlwaysWritten : quint16 {
    TagProperty = 1 << 0,
    LeftProperty = 1 << 1,
    TopProperty = 1 << 2,
    WidthProperty = 1 << 3,
    HeightProperty = 1 << 4,
    ParentShowHintProperty = 1 << 5,
    ShowHintProperty = 1 << 6,
    FontCharsetProperty = 1 << 7,
    FontColorProperty = 1 << 8,
    FontHeightProperty = 1 << 9,
    FontNameProperty = 1 << 10,
    FontStyleProperty = 1 << 11,
    ParentFontProperty = 1 << 12,
    TransparentProperty = 1 << 13,
};
constexpr quint16 AlwaysInShapes = TagProperty | LeftProperty | TopProperty | WidthProperty |
                                   HeightProperty | ParentShowHintProperty | ShowHintProperty;
constexpr quint16 AlwaysInLabels = AlwaysInShapes | FontCharsetProperty | FontColorProperty |
                                   FontHeightProperty | FontNameProperty | FontStyleProperty |
                                   ParentFontProperty | TransparentProperty;

// Whether a property the record always carries is written: unless the
// element's record lacked it and it still holds what the absence gave.
bool written(const ElementState& element, quint16 property, bool asIfAbsent)
{
    return !(element.missingFromFile & property) || !asIfAbsent;
}

// Property names are literals: no copy of their text per record.
void add(Record& record, const char* name, const Value& value)
{
    record.properties.append(Property{QByteArray::fromRawData(name, qstrlen(name)), value, -1});
}

// What both kinds of record begin with: class, name, tag, place, size and hint.
// A size taken from the text is read from no record.
Record elementRecord(const char* className, const ElementState& element, bool sizeFromText)
{
    Record record;
    record.properties.reserve(16);
    record.className = className;
    record.name = element.name.toLatin1();
    const QRect& g = element.geometry;
    if (written(element, TagProperty, element.tag == 0))
        add(record, "Tag", Value::fromInteger(element.tag));
    if (written(element, LeftProperty, g.x() == 0))
        add(record, "Left", Value::fromInteger(g.x()));
    if (written(element, TopProperty, g.y() == 0))
        add(record, "Top", Value::fromInteger(g.y()));
    if (written(element, WidthProperty, sizeFromText || g.width() == 0))
        add(record, "Width", Value::fromInteger(g.width()));
    if (written(element, HeightProperty, sizeFromText || g.height() == 0))
        add(record, "Height", Value::fromInteger(g.height()));
    if (!element.hint.isEmpty())
        add(record, "Hint", Value::fromString(element.hint));
    return record;
}

// Reads typed values out of property entries, remembering the first error.
class PropertyReader {
public:
    explicit PropertyReader(QString* error) : m_error(error) {}

    bool integer(const Property& p, int* out)
    {
        if (p.value.kind != Value::Kind::Integer)
            return wrongType(p, "an integer");
        if (p.value.integer < INT_MIN || p.value.integer > INT_MAX)
            return fail(p, QStringLiteral("value %1 is out of range").arg(p.value.integer));
        *out = int(p.value.integer);
        return true;
    }
    bool string(const Property& p, QString* out)
    {
        if (p.value.kind != Value::Kind::String)
            return wrongType(p, "a string");
        *out = p.value.text;
        return true;
    }
    bool boolean(const Property& p, bool* out)
    {
        if (p.value.kind != Value::Kind::Boolean)
            return wrongType(p, "true or false");
        *out = p.value.boolean;
        return true;
    }
    bool color(const Property& p, quint32* out)
    {
        if (!stream::colorFromValue(p.value, out))
            return wrongType(p, "a colour");
        return true;
    }
    template <std::size_t N>
    bool identifier(const Property& p, const std::array<const char*, N>& names, int* index)
    {
        if (p.value.kind != Value::Kind::Identifier)
            return wrongType(p, "an identifier");
        for (std::size_t i = 0; i < N; ++i) {
            if (p.value.identifier.compare(names[i], Qt::CaseInsensitive) == 0) {
                *index = int(i);
                return true;
            }
        }
        return fail(
            p, QStringLiteral("unknown value \"%1\"").arg(QString::fromLatin1(p.value.identifier)));
    }
    bool unknown(const Property& p)
    {
        return fail(p, QStringLiteral("the element has no such property"));
    }

private:
    bool wrongType(const Property& p, const char* expected)
    {
        return fail(p, QStringLiteral("expected %1").arg(QLatin1String(expected)));
    }
    bool fail(const Property& p, const QString& what)
    {
        if (m_error)
            *m_error = QStringLiteral("property \"%1\" at byte %2: %3")
                           .arg(QString::fromLatin1(p.name))
                           .arg(p.offset)
                           .arg(what);
        return false;
    }
    QString* m_error;
};

// Position, size, tag, hint and visibility are common to both kinds; each
// property read leaves *missing.
bool applyCommon(const Property& p, ElementState& element, PropertyReader& read, bool* handled,
                 quint16* missing)
{
    *handled = true;
    int number = 0;
    bool flag = false;
    // As a view: compared with each name by its length first.
    const QByteArrayView name = p.name;
    if (name == "Tag") {
        if (!read.integer(p, &number))
            return false;
        element.tag = number;
        *missing &= ~TagProperty;
    } else if (name == "Left" || name == "Top" || name == "Width" || name == "Height") {
        if (!read.integer(p, &number))
            return false;
        *missing &= ~(name == "Left"    ? LeftProperty
                      : name == "Top"   ? TopProperty
                      : name == "Width" ? WidthProperty
                                        : HeightProperty);
        // Positions and sizes are kept within a range every later sum can hold.
        constexpr int limit = (1 << 24) - 1;
        number = std::clamp(number, -limit, limit);
        QRect& geometry = element.geometry;
        if (name == "Left")
            geometry.moveLeft(number);
        else if (name == "Top")
            geometry.moveTop(number);
        else if (name == "Width")
            geometry.setWidth(std::max(0, number));
        else
            geometry.setHeight(std::max(0, number));
    } else if (name == "Hint") {
        if (!read.string(p, &element.hint))
            return false;
        // Most hints are the element's name: one text serves both.
        if (element.hint == element.name)
            element.hint = element.name;
    } else if (name == "Visible") {
        if (!read.boolean(p, &element.visible))
            return false;
    } else if (name == "ShowHint" || name == "ParentShowHint") {
        // Hints are always shown per element; the stored flags carry nothing else.
        if (!read.boolean(p, &flag))
            return false;
        *missing &= ~(name == "ShowHint" ? ShowHintProperty : ParentShowHintProperty);
    } else {
        *handled = false;
    }
    return true;
}

Record shapeRecord(const ElementState& shape)
{
    Record record = elementRecord("TShape", shape, false);
    if (shape.brushColor != 0xFFFFFF)
        add(record, "Brush.Color", stream::colorValue(shape.brushColor));
    if (shape.brushStyle != BrushStyle::Solid)
        add(record, "Brush.Style",
            Value::fromIdentifier(brushStyleNames[std::size_t(shape.brushStyle)]));
    if (written(shape, ParentShowHintProperty, true))
        add(record, "ParentShowHint", Value::fromBoolean(false));
    if (shape.shapeKind != ShapeKind::Rectangle)
        add(record, "Shape", Value::fromIdentifier(shapeKindNames[std::size_t(shape.shapeKind)]));
    if (written(shape, ShowHintProperty, true))
        add(record, "ShowHint", Value::fromBoolean(true));
    if (!shape.visible)
        add(record, "Visible", Value::fromBoolean(false));
    return record;
}

// A record without a font entry reads as the board's font.
Record labelRecord(const ElementState& label, const QFont& boardFont, int dotsPerInch)
{
    Record record = elementRecord("TLabel", label, true);
    if (!label.caption.isEmpty())
        add(record, "Caption", Value::fromString(label.caption));
    const QFont& font = label.font;
    if (written(label, FontCharsetProperty, true))
        add(record, "Font.Charset", Value::fromIdentifier("DEFAULT_CHARSET"));
    if (written(label, FontColorProperty, label.fontColor == ObjectLabel::DefaultFontColor))
        add(record, "Font.Color", stream::colorValue(label.fontColor));
    if (written(label, FontHeightProperty, font.pointSize() == boardFont.pointSize())) {
        const int stored = label.storedFontHeight;
        add(record, "Font.Height",
            Value::fromInteger(
                stored != 0 ? stored
                            : stream::fontHeightFromPointSize(font.pointSize(), dotsPerInch)));
    }
    if (written(label, FontNameProperty, font.family() == boardFont.family()))
        add(record, "Font.Name", Value::fromString(font.family()));
    QList<QByteArray> style;
    if (font.bold())
        style << "fsBold";
    if (font.italic())
        style << "fsItalic";
    if (font.underline())
        style << "fsUnderline";
    if (font.strikeOut())
        style << "fsStrikeOut";
    const bool boardStyle =
        font.bold() == boardFont.bold() && font.italic() == boardFont.italic() &&
        font.underline() == boardFont.underline() && font.strikeOut() == boardFont.strikeOut();
    if (written(label, FontStyleProperty, boardStyle))
        add(record, "Font.Style", Value::fromSet(style));
    if (written(label, ParentFontProperty, true))
        add(record, "ParentFont", Value::fromBoolean(false));
    if (written(label, ParentShowHintProperty, true))
        add(record, "ParentShowHint", Value::fromBoolean(false));
    if (written(label, ShowHintProperty, true))
        add(record, "ShowHint", Value::fromBoolean(true));
    if (written(label, TransparentProperty, true))
        add(record, "Transparent", Value::fromBoolean(true));
    if (!label.visible)
        add(record, "Visible", Value::fromBoolean(false));
    return record;
}

} // namespace

Record shapeRecord(const ObjectShape& shape)
{
    return shapeRecord(ElementState::of(shape));
}

Record labelRecord(const ObjectLabel& label, int dotsPerInch)
{
    return labelRecord(ElementState::of(label), label.model().defaultFont(), dotsPerInch);
}

namespace {

// A shape element's values from its record. false and *error when the record
// holds a property a shape does not have or a value of the wrong type.
bool shapeState(const Record& record, ElementState* shape, QString* error)
{
    PropertyReader read(error);
    shape->kind = BoardElement::Kind::Shape;
    shape->name = QString::fromLatin1(record.name);
    quint16 missing = AlwaysInShapes;
    for (const Property& p : record.properties) {
        const QByteArrayView name = p.name;
        bool handled = false;
        if (!applyCommon(p, *shape, read, &handled, &missing))
            return false;
        if (handled)
            continue;
        int index = 0;
        if (name == "Brush.Color") {
            if (!read.color(p, &shape->brushColor))
                return false;
        } else if (name == "Brush.Style") {
            if (!read.identifier(p, brushStyleNames, &index))
                return false;
            shape->brushStyle = BrushStyle(index);
        } else if (name == "Shape") {
            if (!read.identifier(p, shapeKindNames, &index))
                return false;
            shape->shapeKind = ShapeKind(index);
        } else {
            return read.unknown(p);
        }
    }
    shape->missingFromFile = missing;
    return true;
}

// The fonts of one file's captions and their measures: a board's captions
// share a few fonts, each made and measured once.
class CaptionFonts {
public:
    CaptionFonts(const QFont& boardFont, int dotsPerInch)
        : m_boardFont(boardFont), m_dotsPerInch(dotsPerInch)
    {
    }

    // What a record's font entries ask for; an entry left out is the board's.
    struct Request {
        std::optional<int> height;
        std::optional<QString> family;
        std::optional<quint8> style; // bold, italic, underline, strike-out bits
        bool operator==(const Request&) const = default;
    };
    struct RequestHash {
        size_t operator()(const Request& r) const
        {
            return qHashMulti(0, r.height.value_or(INT_MIN), r.height.has_value(),
                              r.family.value_or(QString()), r.family.has_value(),
                              r.style.value_or(0xFF));
        }
    };
    struct Font {
        QFont font;
        QFontMetrics metrics;
    };
    // Found by hash: a hostile file may ask for a font of its own in every record.
    const Font& font(const Request& request)
    {
        const auto known = m_fonts.find(request);
        if (known != m_fonts.end())
            return known->second;
        QFont font = m_boardFont;
        if (request.height)
            // A positive height is a cell height; its size is near enough the same.
            font.setPointSize(std::clamp(
                std::abs(stream::pointSizeFromFontHeight(*request.height, m_dotsPerInch)), 1,
                1000));
        if (request.family)
            font.setFamily(*request.family);
        if (request.style) {
            font.setBold(*request.style & 1);
            font.setItalic(*request.style & 2);
            font.setUnderline(*request.style & 4);
            font.setStrikeOut(*request.style & 8);
        }
        return m_fonts.emplace(request, Font{font, QFontMetrics(font)}).first->second;
    }

private:
    QFont m_boardFont;
    int m_dotsPerInch;
    std::unordered_map<Request, Font, RequestHash> m_fonts; // a font returned stays where it is
};

// A caption element's values from its record, and in *request what its font
// entries ask for; measureCaptions() then gives it that font and its size.
// false and *error as for a shape.
bool labelState(const Record& record, ElementState* label, CaptionFonts::Request* requested,
                QString* error)
{
    PropertyReader read(error);
    label->kind = BoardElement::Kind::Caption;
    label->name = QString::fromLatin1(record.name);
    label->fontColor = ObjectLabel::DefaultFontColor;
    CaptionFonts::Request& request = *requested;
    quint16 missing = AlwaysInLabels;
    for (const Property& p : record.properties) {
        const QByteArrayView name = p.name;
        bool handled = false;
        if (!applyCommon(p, *label, read, &handled, &missing))
            return false;
        if (handled)
            continue;
        int number = 0;
        bool flag = false;
        if (name == "Caption") {
            if (!read.string(p, &label->caption))
                return false;
        } else if (name == "Font.Color") {
            if (!read.color(p, &label->fontColor))
                return false;
            missing &= ~FontColorProperty;
        } else if (name == "Font.Height") {
            if (!read.integer(p, &number))
                return false;
            request.height = number;
            missing &= ~FontHeightProperty;
        } else if (name == "Font.Name") {
            QString family;
            if (!read.string(p, &family))
                return false;
            request.family = family;
            missing &= ~FontNameProperty;
        } else if (name == "Font.Style") {
            if (p.value.kind != Value::Kind::Set)
                return read.unknown(p);
            const QList<QByteArray>& set = p.value.set;
            const auto has = [&set](QByteArrayView style) {
                return std::any_of(set.begin(), set.end(),
                                   [style](const QByteArray& item) { return item == style; });
            };
            request.style = quint8(int(has("fsBold")) | int(has("fsItalic")) << 1 |
                                   int(has("fsUnderline")) << 2 | int(has("fsStrikeOut")) << 3);
            missing &= ~FontStyleProperty;
        } else if (name == "Font.Charset") {
            // Captions always use the default character set.
            if (p.value.kind != Value::Kind::Identifier && p.value.kind != Value::Kind::Integer)
                return read.unknown(p);
            missing &= ~FontCharsetProperty;
        } else if (name == "ParentFont" || name == "Transparent") {
            if (!read.boolean(p, &flag))
                return false;
            missing &= ~(name == "ParentFont" ? ParentFontProperty : TransparentProperty);
        } else {
            return read.unknown(p);
        }
    }
    label->storedFontHeight = request.height.value_or(0);
    label->missingFromFile = missing;
    return true;
}

// Each caption gets the font its record asks for, and is as large as its text
// in that font, whatever size its record gives. The measuring thread keeps
// fonts of its own: a font keeps the engine of the thread that last used it.
void measureCaptions(std::vector<ElementState>& captions,
                     const std::vector<CaptionFonts::Request>& requests, CaptionFonts& fonts)
{
    for (std::size_t i = 0; i < captions.size(); ++i) {
        const CaptionFonts::Font& font = fonts.font(requests[i]);
        captions[i].font = font.font;
        captions[i].geometry.setSize(
            QSize(std::max(1, font.metrics.horizontalAdvance(captions[i].caption)),
                  font.metrics.height()));
    }
}

// The signature, two empty names, the end of the properties and the byte of
// the children: no record is shorter.
constexpr qint64 SmallestRecordBytes = 8;

// How many elements a reader hands over at once.
constexpr std::size_t BatchElements = 256;
constexpr std::size_t BatchesAhead = 4;

// 1,000,000 rather than 1000000.
QString grouped(qint64 n)
{
    return QLocale(QLocale::English).toString(n);
}

// The records of a board file, read a window of bytes at a time and each
// decoded in place, as from bytes in memory, without the whole file held. A
// record that may go on past the window's end is read again from a larger
// window; only where the window holds the rest of the file is it damaged.
// Every byte read goes through the hash, when there is one.
class RecordWindow {
public:
    RecordWindow(QIODevice& device, QCryptographicHash* hash) : m_device(device), m_hash(hash)
    {
        m_buffer.open(QIODevice::ReadOnly);
    }

    bool atEnd()
    {
        fill(1);
        return m_at == m_window.size();
    }

    // The next record into *record, or stepped over without one.
    bool next(Record* record)
    {
        for (qint64 want = LeastAhead;;) {
            fill(want);
            m_buffer.seek(m_at);
            stream::RecordReader reader(&m_buffer, m_windowStart);
            if (record ? reader.read(*record) : reader.skip()) {
                m_at = m_buffer.pos();
                return true;
            }
            if (m_deviceDone) {
                m_error = reader.errorString();
                return false;
            }
            want = 2 * (m_window.size() - m_at);
        }
    }

    QString errorString() const { return m_error; }
    qint64 bytesRead() const { return m_windowStart + m_window.size(); }

    // Reads what is left through the hash; the size of the whole file.
    qint64 readToEnd()
    {
        while (!m_deviceDone) {
            m_windowStart += m_window.size();
            m_window.resize(0);
            m_at = 0;
            fill(WindowBytes);
        }
        return bytesRead();
    }

private:
    // The window is filled up to WindowBytes whenever fewer than LeastAhead
    // bytes are left in it: more than any record of a real board needs.
    static constexpr qint64 WindowBytes = 1 << 20;
    static constexpr qint64 LeastAhead = 64 << 10;

    // At least want bytes from m_at on, or all the device has left.
    void fill(qint64 want)
    {
        if (m_deviceDone || m_window.size() - m_at >= want)
            return;
        m_window.remove(0, m_at);
        m_windowStart += m_at;
        m_at = 0;
        const qint64 wanted = std::max(want, WindowBytes) - m_window.size();
        const qint64 old = m_window.size();
        m_window.resize(old + wanted);
        const qint64 got = std::max<qint64>(0, m_device.read(m_window.data() + old, wanted));
        m_window.resize(old + got);
        if (m_hash)
            m_hash->addData(QByteArrayView(m_window).sliced(old));
        m_deviceDone = got < wanted;
    }

    QIODevice& m_device;
    QCryptographicHash* m_hash;
    QByteArray m_window;
    QBuffer m_buffer{&m_window};
    qint64 m_windowStart = 0; // the file offset of the window's first byte
    qint64 m_at = 0;          // the next record's place in the window
    bool m_deviceDone = false;
    QString m_error;
};

} // namespace

struct FileReader::Batch {
    std::vector<ElementState> elements;
    std::vector<qint64> offsets; // of each element's record in the file
    // Of each element once measured: what a merge keeps of it, made here so
    // that the board is not copied for it.
    std::vector<ElementDigest> digests;
    // A caption file's: what each caption's font entries ask for, and
    // whether the captions are sized yet.
    std::vector<CaptionFonts::Request> fonts;
    bool measured = true;
    bool measuring = false;
};

FileReader::FileReader(BoardElement::Kind kind, const QString& path, int dotsPerInch,
                       const QFont& boardFont)
    : m_kind(kind), m_path(path), m_fromFile(true), m_dotsPerInch(dotsPerInch),
      m_boardFont(boardFont), m_thread([this] { read(); })
{
    if (kind == BoardElement::Kind::Caption)
        m_measurer = std::thread([this] { measureBatches(); });
}

FileReader::FileReader(BoardElement::Kind kind, const QByteArray& bytes, const QString& path,
                       int dotsPerInch, const QFont& boardFont)
    : m_kind(kind), m_path(path), m_fromFile(false), m_dotsPerInch(dotsPerInch),
      m_boardFont(boardFont), m_bytes(bytes), m_thread([this] { read(); })
{
    if (kind == BoardElement::Kind::Caption)
        m_measurer = std::thread([this] { measureBatches(); });
}

FileReader::~FileReader()
{
    stop();
}

void FileReader::stop()
{
    {
        const std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_taken.notify_one();
    m_toMeasure.notify_one();
    // The reader still reads the rest of the file, for its stamp.
    if (m_thread.joinable())
        m_thread.join();
    if (m_measurer.joinable())
        m_measurer.join();
}

void FileReader::read()
{
    QFile file(m_path);
    QBuffer memory(&m_bytes);
    QIODevice* device = &memory;
    if (m_fromFile) {
        const QString where = QDir::toNativeSeparators(m_path);
        const QFileInfo info(m_path);
        if (!info.exists()) {
            hand(Batch());
            return;
        }
        if (info.size() > MaximumFileSize) {
            m_error = QStringLiteral("%1 is not a board file: it holds %2 bytes, more than any "
                                     "board needs (%3 bytes at most, enough for %4 objects).")
                          .arg(where, grouped(info.size()), grouped(MaximumFileSize),
                               grouped(MaximumElements));
            hand(Batch());
            return;
        }
        if (!info.isFile() || !file.open(QIODevice::ReadOnly)) {
            m_error = QStringLiteral("Cannot open %1: %2").arg(where, file.errorString());
            hand(Batch());
            return;
        }
        m_stamp.exists = true;
        m_stamp.modifiedMs = info.lastModified().toMSecsSinceEpoch();
        device = &file;
    } else {
        memory.open(QIODevice::ReadOnly);
    }
    QCryptographicHash hash(FileStamp::HashAlgorithm);
    const qint64 size = decode(*device, hash);
    if (m_fromFile) {
        m_stamp.size = size;
        m_stamp.hash = hash.result();
    }
    m_bytes.clear();
    hand(Batch());
}

qint64 FileReader::decode(QIODevice& device, QCryptographicHash& hash)
{
    const QString where = QDir::toNativeSeparators(m_path);
    const auto tooLarge = [&](qint64 bytes) {
        m_error = QStringLiteral("%1 is not a board file: it holds %2 bytes, more than any board "
                                 "needs.")
                      .arg(where, grouped(bytes));
    };
    if (device.size() > MaximumFileSize) {
        tooLarge(device.size());
        return device.size();
    }
    // A file that may hold too many records has them counted before any
    // element is made: it then costs no memory and adds nothing. A damaged
    // record ends the count; the read below reports it. A smaller file, as
    // every real board's is, is read once.
    if (device.size() / SmallestRecordBytes > MaximumElements) {
        RecordWindow counted(device, nullptr);
        for (qint64 records = 0; !counted.atEnd() && counted.next(nullptr);) {
            if (++records > MaximumElements) {
                m_error = QStringLiteral("%1 is not a board file: it holds more than %2 "
                                         "elements, more than any board has.")
                              .arg(where, grouped(MaximumElements));
                device.seek(0);
                return RecordWindow(device, &hash).readToEnd();
            }
        }
        device.seek(0);
    }
    RecordWindow records(device, &hash);
    const bool captions = m_kind == BoardElement::Kind::Caption;
    Batch batch;
    const auto handBatch = [&] {
        // Reading the records is what the load waits for: a caption file's
        // captions are measured and digested on the second thread, which
        // keeps up with that.
        if (captions)
            batch.measured = false;
        else
            batch.digests = ElementDigest::ofEach(batch.elements);
        hand(std::exchange(batch, {}));
    };
    while (!records.atEnd() && !m_stop) {
        if (records.bytesRead() > MaximumFileSize) {
            tooLarge(records.bytesRead());
            break;
        }
        Record record;
        ElementState element;
        CaptionFonts::Request font;
        QString what;
        if (!records.next(&record))
            what = records.errorString();
        else if (!(captions ? labelState(record, &element, &font, &what)
                            : shapeState(record, &element, &what)))
            what = QStringLiteral("element \"%1\", %2").arg(QString::fromLatin1(record.name), what);
        if (!what.isEmpty()) {
            m_error = QStringLiteral("%1 is damaged: %2").arg(where, what);
            break;
        }
        // A batch of the board's taken before, or a new one.
        if (batch.elements.capacity() == 0)
            batch = spare();
        batch.elements.push_back(std::move(element));
        batch.offsets.push_back(record.offset);
        if (captions)
            batch.fonts.push_back(std::move(font));
        if (batch.elements.size() == BatchElements)
            handBatch();
    }
    if (!batch.elements.empty())
        handBatch();
    // The file's stamp is of all of it, however much of it was decoded.
    return records.readToEnd();
}

void FileReader::measureBatches()
{
    CaptionFonts fonts(m_boardFont, m_dotsPerInch);
    std::unique_lock lock(m_mutex);
    for (;;) {
        Batch* waiting = nullptr;
        m_toMeasure.wait(lock, [&] {
            if (m_stop)
                return true;
            for (Batch& batch : m_batches)
                if (!batch.measured && !batch.measuring) {
                    waiting = &batch;
                    return true;
                }
            return m_done;
        });
        if (!waiting)
            return;
        // The batch stays where it is: the board takes none before it is measured.
        waiting->measuring = true;
        lock.unlock();
        measureCaptions(waiting->elements, waiting->fonts, fonts);
        waiting->digests = ElementDigest::ofEach(waiting->elements);
        lock.lock();
        waiting->measured = true;
        m_ready.notify_one();
    }
}

void FileReader::hand(Batch&& batch)
{
    {
        std::unique_lock lock(m_mutex);
        if (batch.elements.empty()) {
            m_done = true;
        } else {
            // A few batches ahead of the board are enough: more only hold memory.
            m_taken.wait(lock, [this] { return m_batches.size() < BatchesAhead || m_stop; });
            m_batches.push_back(std::move(batch));
        }
    }
    m_ready.notify_one();
    m_toMeasure.notify_one();
}

FileReader::Batch FileReader::spare()
{
    {
        const std::lock_guard lock(m_mutex);
        if (!m_spares.empty()) {
            Batch batch = std::move(m_spares.back());
            m_spares.pop_back();
            return batch;
        }
    }
    Batch batch;
    batch.elements.reserve(BatchElements);
    batch.offsets.reserve(BatchElements);
    if (m_kind == BoardElement::Kind::Caption)
        batch.fonts.reserve(BatchElements);
    return batch;
}

void FileReader::recycle(Batch&& batch)
{
    batch.elements.clear();
    batch.offsets.clear();
    batch.digests.clear();
    batch.fonts.clear();
    batch.measured = true;
    batch.measuring = false;
    const std::lock_guard lock(m_mutex);
    m_spares.push_back(std::move(batch));
}

bool FileReader::next(Batch* batch)
{
    std::unique_lock lock(m_mutex);
    m_ready.wait(lock, [this] { return m_batches.empty() ? m_done : m_batches.front().measured; });
    if (m_batches.empty())
        return false;
    *batch = std::move(m_batches.front());
    m_batches.pop_front();
    lock.unlock();
    m_taken.notify_one();
    return true;
}

bool FileReader::load(BoardModel& board, const std::function<void(BoardElement*)>& loaded,
                      QString* error)
{
    BoardModel::BulkChange change(board);
    // Captions mostly share one font: the board's copy of it is looked up once.
    QFont readFont;
    QFont boardCopy;
    Batch batch;
    while (next(&batch)) {
        for (std::size_t i = 0; i < batch.elements.size(); ++i) {
            ElementState& element = batch.elements[i];
            if (!element.name.isEmpty() && board.hasElementNamed(element.name)) {
                *error = QStringLiteral("%1 is damaged: a second element named \"%2\" at byte %3")
                             .arg(QDir::toNativeSeparators(m_path), element.name)
                             .arg(batch.offsets[i]);
                stop();
                return false;
            }
            if (element.kind == BoardElement::Kind::Caption) {
                if (!(element.font == readFont)) {
                    readFont = element.font;
                    boardCopy = board.sharedFont(element.font);
                }
                element.font = boardCopy;
            }
            loaded(element.apply(board));
            m_digests.push_back(std::move(batch.digests[i]));
        }
        recycle(std::move(batch));
    }
    if (!m_error.isEmpty()) {
        *error = m_error;
        return false;
    }
    return true;
}

FileValues fileValues(const BoardModel& board, BoardElement::Kind kind, int dotsPerInch)
{
    FileValues values;
    values.kind = kind;
    values.boardFont = board.defaultFont();
    values.dotsPerInch = dotsPerInch;
    values.elements.reserve(kind == BoardElement::Kind::Shape ? board.shapeCount()
                                                              : board.labelCount());
    board.forEachElement([&](const BoardElement& element) {
        if (element.kind() != kind)
            return;
        values.elements.push_back(ElementState::of(element));
    });
    return values;
}

bool fileBytes(const FileValues& values, QByteArray* bytes, QString* error)
{
    bytes->clear();
    QBuffer buffer(bytes);
    buffer.open(QIODevice::WriteOnly);
    stream::RecordWriter writer(&buffer);
    for (const ElementState& element : values.elements) {
        const Record record = values.kind == BoardElement::Kind::Shape
                                  ? shapeRecord(element)
                                  : labelRecord(element, values.boardFont, values.dotsPerInch);
        if (!writer.write(record)) {
            *error = QStringLiteral("Cannot write the element \"%1\": %2")
                         .arg(element.name, writer.errorString());
            return false;
        }
    }
    return true;
}

bool shapeFileBytes(const BoardModel& board, QByteArray* bytes, QString* error)
{
    return fileBytes(fileValues(board, BoardElement::Kind::Shape, 0), bytes, error);
}

bool labelFileBytes(const BoardModel& board, int dotsPerInch, QByteArray* bytes, QString* error)
{
    return fileBytes(fileValues(board, BoardElement::Kind::Caption, dotsPerInch), bytes, error);
}

bool saveFile(const QString& path, const QByteArray& bytes, QString* error)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        *error = QStringLiteral("Cannot create %1: %2")
                     .arg(QDir::toNativeSeparators(path), file.errorString());
        return false;
    }
    if (file.write(bytes) != bytes.size() || !commitWhole(file)) {
        *error = QStringLiteral("Cannot write %1: %2")
                     .arg(QDir::toNativeSeparators(path), file.errorString());
        return false;
    }
    return true;
}

bool loadShapes(BoardModel& board, const QString& path, const ShapeLoaded& loaded, QString* error)
{
    return FileReader(BoardElement::Kind::Shape, path, 0, board.defaultFont())
        .load(
            board, [&](BoardElement* element) { loaded(static_cast<ObjectShape*>(element)); },
            error);
}

bool loadLabels(BoardModel& board, const QString& path, int dotsPerInch, const LabelLoaded& loaded,
                QString* error)
{
    return FileReader(BoardElement::Kind::Caption, path, dotsPerInch, board.defaultFont())
        .load(
            board, [&](BoardElement* element) { loaded(static_cast<ObjectLabel*>(element)); },
            error);
}

bool loadShapeBytes(BoardModel& board, const QByteArray& bytes, const QString& path, QString* error)
{
    return FileReader(BoardElement::Kind::Shape, bytes, path, 0, board.defaultFont())
        .load(
            board, [](BoardElement*) {}, error);
}

bool loadLabelBytes(BoardModel& board, const QByteArray& bytes, const QString& path,
                    int dotsPerInch, QString* error)
{
    return FileReader(BoardElement::Kind::Caption, bytes, path, dotsPerInch, board.defaultFont())
        .load(
            board, [](BoardElement*) {}, error);
}

} // namespace BoardRecords
