#include "board/BoardRecords.h"

#include "board/Board.h"
#include "board/ObjectLabel.h"
#include "board/ObjectShape.h"
#include "stream/Colors.h"
#include "stream/FontHeight.h"
#include "platform/SaveFile.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QSet>
#include <array>

using stream::Property;
using stream::Record;
using stream::Value;

namespace BoardRecords {

namespace {

constexpr std::array<const char*, 6> shapeKindNames = {
    "stRectangle", "stSquare", "stRoundRect", "stRoundSquare", "stEllipse", "stCircle"};
constexpr std::array<const char*, 8> brushStyleNames = {
    "bsSolid", "bsClear", "bsHorizontal", "bsVertical",
    "bsFDiagonal", "bsBDiagonal", "bsCross", "bsDiagCross"};

// Property names are literals: no copy of their text per record.
void add(Record& record, const char* name, const Value& value)
{
    record.properties.append(Property{QByteArray::fromRawData(name, qstrlen(name)), value, -1});
}

// What both kinds of record begin with: class, name, tag, place, size and hint.
Record elementRecord(const char* className, const BoardElement& element)
{
    Record record;
    record.properties.reserve(16);
    record.className = className;
    record.name = element.objectName().toLatin1();
    add(record, "Tag", Value::fromInteger(element.tag()));
    add(record, "Left", Value::fromInteger(element.x()));
    add(record, "Top", Value::fromInteger(element.y()));
    add(record, "Width", Value::fromInteger(element.width()));
    add(record, "Height", Value::fromInteger(element.height()));
    if (!element.hint().isEmpty())
        add(record, "Hint", Value::fromString(element.hint()));
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
        return fail(p, QStringLiteral("unknown value \"%1\"")
                           .arg(QString::fromLatin1(p.value.identifier)));
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

// Position, size, tag, hint and visibility are common to both kinds.
template <typename Element>
bool applyCommon(const Property& p, Element& element, PropertyReader& read, bool* handled)
{
    *handled = true;
    int number = 0;
    bool flag = false;
    QString text;
    const QByteArray& name = p.name;
    if (name == "Tag") {
        if (!read.integer(p, &number))
            return false;
        element.setTag(number);
    } else if (name == "Left" || name == "Top" || name == "Width" || name == "Height") {
        if (!read.integer(p, &number))
            return false;
        // Positions and sizes are kept within a range every later sum can hold.
        constexpr int limit = (1 << 24) - 1;
        number = std::clamp(number, -limit, limit);
        QRect geometry = element.geometry();
        if (name == "Left")
            geometry.moveLeft(number);
        else if (name == "Top")
            geometry.moveTop(number);
        else if (name == "Width")
            geometry.setWidth(std::max(0, number));
        else
            geometry.setHeight(std::max(0, number));
        element.setGeometry(geometry);
    } else if (name == "Hint") {
        if (!read.string(p, &text))
            return false;
        element.setHint(text);
    } else if (name == "Visible") {
        if (!read.boolean(p, &flag))
            return false;
        element.setVisible(flag);
    } else if (name == "ShowHint" || name == "ParentShowHint") {
        // Hints are always shown per element; the stored flags carry nothing else.
        if (!read.boolean(p, &flag))
            return false;
    } else {
        *handled = false;
    }
    return true;
}

} // namespace

Record shapeRecord(const ObjectShape& shape)
{
    Record record = elementRecord("TShape", shape);
    if (shape.brushColor() != 0xFFFFFF)
        add(record, "Brush.Color", stream::colorValue(shape.brushColor()));
    if (shape.brushStyle() != BrushStyle::Solid)
        add(record, "Brush.Style",
            Value::fromIdentifier(brushStyleNames[std::size_t(shape.brushStyle())]));
    add(record, "ParentShowHint", Value::fromBoolean(false));
    if (shape.shapeKind() != ShapeKind::Rectangle)
        add(record, "Shape", Value::fromIdentifier(shapeKindNames[std::size_t(shape.shapeKind())]));
    add(record, "ShowHint", Value::fromBoolean(true));
    if (shape.isHidden())
        add(record, "Visible", Value::fromBoolean(false));
    return record;
}

Record labelRecord(const ObjectLabel& label, int dotsPerInch)
{
    Record record = elementRecord("TLabel", label);
    if (!label.caption().isEmpty())
        add(record, "Caption", Value::fromString(label.caption()));
    add(record, "Font.Charset", Value::fromIdentifier("DEFAULT_CHARSET"));
    add(record, "Font.Color", stream::colorValue(label.fontColor()));
    add(record, "Font.Height",
        Value::fromInteger(stream::fontHeightFromPointSize(label.fontSize(), dotsPerInch)));
    add(record, "Font.Name", Value::fromString(label.font().family()));
    QList<QByteArray> style;
    if (label.font().bold())
        style << "fsBold";
    if (label.font().italic())
        style << "fsItalic";
    if (label.font().underline())
        style << "fsUnderline";
    if (label.font().strikeOut())
        style << "fsStrikeOut";
    add(record, "Font.Style", Value::fromSet(style));
    add(record, "ParentFont", Value::fromBoolean(false));
    add(record, "ParentShowHint", Value::fromBoolean(false));
    add(record, "ShowHint", Value::fromBoolean(true));
    add(record, "Transparent", Value::fromBoolean(true));
    if (label.isHidden())
        add(record, "Visible", Value::fromBoolean(false));
    return record;
}

bool applyShapeRecord(const Record& record, ObjectShape& shape, QString* error)
{
    PropertyReader read(error);
    shape.setObjectName(QString::fromLatin1(record.name));
    for (const Property& p : record.properties) {
        bool handled = false;
        if (!applyCommon(p, shape, read, &handled))
            return false;
        if (handled)
            continue;
        int index = 0;
        quint32 color = 0;
        if (p.name == "Brush.Color") {
            if (!read.color(p, &color))
                return false;
            shape.setBrushColor(color);
        } else if (p.name == "Brush.Style") {
            if (!read.identifier(p, brushStyleNames, &index))
                return false;
            shape.setBrushStyle(BrushStyle(index));
        } else if (p.name == "Shape") {
            if (!read.identifier(p, shapeKindNames, &index))
                return false;
            shape.setShapeKind(ShapeKind(index));
        } else {
            return read.unknown(p);
        }
    }
    return true;
}

bool applyLabelRecord(const Record& record, ObjectLabel& label, int dotsPerInch, QString* error)
{
    PropertyReader read(error);
    label.setObjectName(QString::fromLatin1(record.name));
    // The font and caption are gathered and set once: each change re-measures the text.
    QFont font = label.font();
    QString caption = label.caption();
    for (const Property& p : record.properties) {
        bool handled = false;
        if (!applyCommon(p, label, read, &handled))
            return false;
        if (handled)
            continue;
        int number = 0;
        bool flag = false;
        quint32 color = 0;
        if (p.name == "Caption") {
            if (!read.string(p, &caption))
                return false;
        } else if (p.name == "Font.Color") {
            if (!read.color(p, &color))
                return false;
            label.setFontColor(color);
        } else if (p.name == "Font.Height") {
            if (!read.integer(p, &number))
                return false;
            // A positive height is a cell height; its size is near enough the same.
            font.setPointSize(
                std::clamp(std::abs(stream::pointSizeFromFontHeight(number, dotsPerInch)), 1, 1000));
        } else if (p.name == "Font.Name") {
            QString family;
            if (!read.string(p, &family))
                return false;
            font.setFamily(family);
        } else if (p.name == "Font.Style") {
            if (p.value.kind != Value::Kind::Set)
                return read.unknown(p);
            const QList<QByteArray>& set = p.value.set;
            font.setBold(set.contains("fsBold"));
            font.setItalic(set.contains("fsItalic"));
            font.setUnderline(set.contains("fsUnderline"));
            font.setStrikeOut(set.contains("fsStrikeOut"));
        } else if (p.name == "Font.Charset") {
            // Captions always use the default character set.
            if (p.value.kind != Value::Kind::Identifier && p.value.kind != Value::Kind::Integer)
                return read.unknown(p);
        } else if (p.name == "ParentFont" || p.name == "Transparent") {
            if (!read.boolean(p, &flag))
                return false;
        } else {
            return read.unknown(p);
        }
    }
    if (font != label.font())
        label.setFont(font);
    label.setText(caption);
    label.fitToText();
    return true;
}

namespace {

// The records of every element, one after the other.
template <typename Element, typename MakeRecord>
bool recordBytes(const QList<Element*>& elements, MakeRecord makeRecord, QByteArray* bytes,
                 QString* error)
{
    bytes->clear();
    QBuffer buffer(bytes);
    buffer.open(QIODevice::WriteOnly);
    stream::RecordWriter writer(&buffer);
    for (const Element* element : elements) {
        if (!writer.write(makeRecord(*element))) {
            *error = QStringLiteral("Cannot write the element \"%1\": %2")
                         .arg(element->objectName(), writer.errorString());
            return false;
        }
    }
    return true;
}

// Reads every record of a file; each one becomes a new element through make().
// An element whose record cannot be applied is not kept.
template <typename Element, typename Make, typename Apply, typename Loaded>
bool loadFile(Board& board, const QString& path, Make make, Apply apply, const Loaded& loaded,
              QString* error)
{
    QFile file(path);
    if (!file.exists())
        return true;
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("Cannot open %1: %2")
                     .arg(QDir::toNativeSeparators(path), file.errorString());
        return false;
    }
    if (file.size() > MaximumFileSize) {
        *error = QStringLiteral("%1 is not a board file: it holds %2 MB, more than any board "
                                "needs (%3 MB).")
                     .arg(QDir::toNativeSeparators(path))
                     .arg(file.size() / (1024 * 1024))
                     .arg(MaximumFileSize / (1024 * 1024));
        return false;
    }
    // Read from memory: a file device asks the system for its size at every check.
    QByteArray bytes = file.readAll();
    file.close();
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    stream::RecordReader reader(&buffer);
    Board::BulkChange change(board);
    const auto failure = [&](const QString& what) {
        *error = QStringLiteral("%1 is damaged: %2").arg(QDir::toNativeSeparators(path), what);
        return false;
    };
    while (!reader.atEnd()) {
        Record record;
        if (!reader.read(record))
            return failure(reader.errorString());
        const QString name = QString::fromLatin1(record.name);
        if (!name.isEmpty() && board.hasElementNamed(name))
            return failure(QStringLiteral("a second element named \"%1\" at byte %2")
                               .arg(name)
                               .arg(record.offset));
        Element* element = make();
        element->show();
        QString what;
        if (!apply(record, *element, &what)) {
            delete element;
            return failure(QStringLiteral("element \"%1\", %2").arg(name, what));
        }
        loaded(element);
    }
    return true;
}

} // namespace

bool shapeFileBytes(const Board& board, QByteArray* bytes, QString* error)
{
    return recordBytes(board.shapes(), shapeRecord, bytes, error);
}

bool labelFileBytes(const Board& board, int dotsPerInch, QByteArray* bytes, QString* error)
{
    const auto record = [dotsPerInch](const ObjectLabel& label) {
        return labelRecord(label, dotsPerInch);
    };
    return recordBytes(board.labels(), record, bytes, error);
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

bool loadShapes(Board& board, const QString& path, const ShapeLoaded& loaded, QString* error)
{
    return loadFile<ObjectShape>(
        board, path, [&board] { return new ObjectShape(&board); }, applyShapeRecord, loaded,
        error);
}

bool loadLabels(Board& board, const QString& path, int dotsPerInch, const LabelLoaded& loaded,
                QString* error)
{
    const auto apply = [dotsPerInch](const Record& r, ObjectLabel& label, QString* what) {
        return applyLabelRecord(r, label, dotsPerInch, what);
    };
    return loadFile<ObjectLabel>(
        board, path, [&board] { return new ObjectLabel(&board); }, apply, loaded, error);
}

} // namespace BoardRecords
