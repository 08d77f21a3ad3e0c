#include "stream/ComponentStream.h"

#include "formats/CodePage.h"

#include <QBuffer>
#include <QIODevice>
#include <QtEndian>
#include <algorithm>
#include <cstring>
#include <limits>

namespace stream {
namespace {

constexpr QByteArrayView kSignature = "TPF0";

// The names and identifiers board records repeat, read as these texts
// rather than each as a copy of its own: a board file holds millions.
QByteArray keptName(QByteArrayView bytes)
{
    static const QByteArray common[] = {QByteArrayLiteral("TShape"),
                                        QByteArrayLiteral("TLabel"),
                                        QByteArrayLiteral("Tag"),
                                        QByteArrayLiteral("Left"),
                                        QByteArrayLiteral("Top"),
                                        QByteArrayLiteral("Width"),
                                        QByteArrayLiteral("Height"),
                                        QByteArrayLiteral("Hint"),
                                        QByteArrayLiteral("Caption"),
                                        QByteArrayLiteral("Visible"),
                                        QByteArrayLiteral("ShowHint"),
                                        QByteArrayLiteral("ParentShowHint"),
                                        QByteArrayLiteral("ParentFont"),
                                        QByteArrayLiteral("Transparent"),
                                        QByteArrayLiteral("Shape"),
                                        QByteArrayLiteral("Brush.Color"),
                                        QByteArrayLiteral("Brush.Style"),
                                        QByteArrayLiteral("Font.Charset"),
                                        QByteArrayLiteral("Font.Color"),
                                        QByteArrayLiteral("Font.Height"),
                                        QByteArrayLiteral("Font.Name"),
                                        QByteArrayLiteral("Font.Style"),
                                        QByteArrayLiteral("DEFAULT_CHARSET"),
                                        QByteArrayLiteral("fsBold"),
                                        QByteArrayLiteral("fsItalic"),
                                        QByteArrayLiteral("fsUnderline"),
                                        QByteArrayLiteral("fsStrikeOut"),
                                        QByteArrayLiteral("stRectangle"),
                                        QByteArrayLiteral("stSquare"),
                                        QByteArrayLiteral("stRoundRect"),
                                        QByteArrayLiteral("stRoundSquare"),
                                        QByteArrayLiteral("stEllipse"),
                                        QByteArrayLiteral("stCircle"),
                                        QByteArrayLiteral("bsSolid"),
                                        QByteArrayLiteral("bsClear"),
                                        QByteArrayLiteral("bsHorizontal"),
                                        QByteArrayLiteral("bsVertical"),
                                        QByteArrayLiteral("bsFDiagonal"),
                                        QByteArrayLiteral("bsBDiagonal"),
                                        QByteArrayLiteral("bsCross"),
                                        QByteArrayLiteral("bsDiagCross"),
                                        QByteArrayLiteral("clWindowText"),
                                        QByteArrayLiteral("clBtnFace")};
    for (const QByteArray& name : common)
        if (bytes == name)
            return name;
    return bytes.toByteArray();
}

// Value-type bytes.
enum : quint8 {
    kInt8 = 0x02,
    kInt16 = 0x03,
    kInt32 = 0x04,
    kString = 0x06, // length byte, the system code page
    kIdentifier = 0x07,
    kFalse = 0x08,
    kTrue = 0x09,
    kSet = 0x0B,
    kLongString = 0x0C, // 4-byte length, the system code page
    kWideString = 0x12, // 4-byte length in UTF-16 units, UTF-16LE (read only)
    kInt64 = 0x13,
    kUtf8String = 0x14, // 4-byte byte length, UTF-8
};

QString hexByte(quint8 b)
{
    return QStringLiteral("0x%1").arg(QString::number(b, 16).toUpper().rightJustified(2, u'0'));
}

// ---- writing ----

class Encoder {
public:
    QByteArray bytes;
    QString error;
    // The property being written, for error messages; -1 before the properties.
    qsizetype propertyIndex = -1;
    QByteArray propertyName;

    void byte(quint8 b) { bytes.append(char(b)); }

    template <typename T> void number(T v)
    {
        char le[sizeof(T)];
        qToLittleEndian(v, le);
        bytes.append(le, sizeof(T));
    }

    // A length byte, then the ASCII text.
    bool shortName(const QByteArray& name, const char* what)
    {
        if (name.size() > 255)
            return fail(QStringLiteral("%1 is longer than 255 bytes").arg(context(what)));
        for (char c : name) {
            if (uchar(c) >= 0x80)
                return fail(QStringLiteral("%1 is not ASCII").arg(context(what)));
        }
        byte(quint8(name.size()));
        bytes.append(name);
        return true;
    }

    // Messages name the property only when something fails.
    QString context(const char* what) const
    {
        const QString where = QStringLiteral("property %1 (%2)")
                                  .arg(propertyIndex)
                                  .arg(QString::fromLatin1(propertyName));
        return propertyIndex < 0 ? QLatin1String(what)
                                 : QStringLiteral("%1 of %2").arg(QLatin1String(what), where);
    }

    bool value(const Value& v)
    {
        switch (v.kind) {
        case Value::Kind::Integer:
            integer(v.integer);
            return true;
        case Value::Kind::String:
            return string(v.text);
        case Value::Kind::Identifier:
            byte(kIdentifier);
            return shortName(v.identifier, "the identifier");
        case Value::Kind::Boolean:
            byte(v.boolean ? kTrue : kFalse);
            return true;
        case Value::Kind::Set:
            if (v.set.size() > MaximumSetElements)
                return fail(QStringLiteral("%1 holds more than %2 set elements")
                                .arg(context("the value"))
                                .arg(MaximumSetElements));
            byte(kSet);
            for (const QByteArray& id : v.set) {
                // A zero length ends the set, so an empty element cannot be stored.
                if (id.isEmpty())
                    return fail(
                        QStringLiteral("%1 has an empty set element").arg(context("the value")));
                if (!shortName(id, "a set element"))
                    return false;
            }
            byte(0);
            return true;
        }
        return fail(QStringLiteral("%1 has an unknown kind").arg(context("the value")));
    }

    bool fail(const QString& message)
    {
        error = message;
        return false;
    }

private:
    void integer(qint64 v)
    {
        if (v >= std::numeric_limits<qint8>::min() && v <= std::numeric_limits<qint8>::max()) {
            byte(kInt8);
            number(qint8(v));
        } else if (v >= std::numeric_limits<qint16>::min() &&
                   v <= std::numeric_limits<qint16>::max()) {
            byte(kInt16);
            number(qint16(v));
        } else if (v >= std::numeric_limits<qint32>::min() &&
                   v <= std::numeric_limits<qint32>::max()) {
            byte(kInt32);
            number(qint32(v));
        } else {
            byte(kInt64);
            number(v);
        }
    }

    bool string(const QString& text)
    {
        QByteArray encoded;
        quint8 type = kUtf8String;
        if (std::optional<QByteArray> inCodePage = CodePage::encode(text)) {
            encoded = *inCodePage;
            type = encoded.size() <= 255 ? kString : kLongString;
        } else if (text.isValidUtf16()) {
            // Keep every character rather than write '?' for those the code page lacks.
            encoded = text.toUtf8();
        } else {
            return fail(QStringLiteral("%1 holds a damaged character that cannot be stored")
                            .arg(context("the string")));
        }
        if (encoded.size() > MaximumStringBytes)
            return fail(QStringLiteral("%1 is longer than a board file holds (%2 bytes at most)")
                            .arg(context("the string"))
                            .arg(MaximumStringBytes));
        byte(type);
        if (type == kString)
            byte(quint8(encoded.size()));
        else
            number(qint32(encoded.size()));
        bytes.append(encoded);
        return true;
    }
};

// ---- reading ----

// Reads from the device and counts the bytes itself, so that offsets are right
// on sequential devices too. Every failure sets the error with a byte offset.
class Decoder {
public:
    // firstByte: the offset in the file of the device's first byte.
    Decoder(QIODevice* device, QString* error, qint64 firstByte)
        : m_device(device), m_error(error), m_firstByte(firstByte),
          m_pos(firstByte + (device->isSequential() ? 0 : device->pos()))
    {
        // A whole file in memory is read in place: going through the device for
        // every byte costs more than the decoding itself.
        if (auto* buffer = qobject_cast<QBuffer*>(device))
            m_memory = QByteArrayView(buffer->data());
    }

    // The device stands where the decoding stopped.
    ~Decoder()
    {
        if (!m_memory.isNull())
            m_device->seek(m_pos - m_firstByte);
    }

    qint64 pos() const { return m_pos; }

    bool fail(const QString& message)
    {
        *m_error = message;
        return false;
    }

    // The next n bytes (n small or already checked against the bytes left):
    // in place when the file is in memory, so that stepping over them copies
    // nothing. The view holds until the next read.
    bool take(qint64 n, QByteArrayView* bytes)
    {
        if (!m_memory.isNull()) {
            *bytes = m_memory.sliced(m_pos - m_firstByte, std::min(n, bytesLeft()));
        } else {
            m_read = m_device->read(n);
            *bytes = m_read;
        }
        m_pos += bytes->size();
        if (bytes->size() < n)
            return fail(QStringLiteral("file ends inside a record at byte %1").arg(m_pos));
        return true;
    }

    bool signature()
    {
        const qint64 at = m_pos;
        QByteArrayView data;
        const bool whole = take(kSignature.size(), &data);
        if (data.isEmpty())
            return fail(QStringLiteral("no record at byte %1: the file ends there").arg(at));
        if (!kSignature.startsWith(data))
            return fail(QStringLiteral("wrong signature at byte %1").arg(at));
        return whole;
    }

    // Bytes and numbers are read without a buffer of their own: a board file
    // holds hundreds of thousands of them.
    bool byte(quint8* b) { return raw(reinterpret_cast<char*>(b), 1); }

    template <typename T> bool number(T* v)
    {
        char data[sizeof(T)];
        if (!raw(data, sizeof(T)))
            return false;
        *v = qFromLittleEndian<T>(data);
        return true;
    }

    bool raw(char* out, qint64 n)
    {
        qint64 got = 0;
        if (!m_memory.isNull()) {
            got = std::min(n, bytesLeft());
            std::memcpy(out, m_memory.data() + (m_pos - m_firstByte), size_t(got));
        } else {
            got = std::max<qint64>(0, m_device->read(out, n));
        }
        m_pos += got;
        if (got < n)
            return fail(QStringLiteral("file ends inside a record at byte %1").arg(m_pos));
        return true;
    }

    // A length (one byte or four), then that many units of unitSize bytes, at
    // most maxBytes of them; *bytes as take() gives them.
    bool counted(int lengthSize, int unitSize, const char* what, QByteArrayView* bytes,
                 qint64 maxBytes = 255)
    {
        const qint64 at = m_pos;
        qint64 length = 0;
        if (lengthSize == 1) {
            quint8 n = 0;
            if (!byte(&n))
                return false;
            length = n;
        } else {
            quint32 n = 0;
            if (!number(&n))
                return false;
            length = n;
        }
        const qint64 size = length * unitSize;
        const qint64 left = bytesLeft();
        const auto bytesNote = [&] {
            return unitSize > 1 ? QStringLiteral(" (%1 bytes)").arg(size) : QString();
        };
        if (size > left) {
            return fail(QStringLiteral("%1 length %2%3 at byte %4 exceeds the %5 bytes left")
                            .arg(QLatin1StringView(what))
                            .arg(length)
                            .arg(bytesNote())
                            .arg(at)
                            .arg(left));
        }
        if (size > maxBytes) {
            return fail(QStringLiteral("%1 length %2%3 at byte %4 is more than a board file holds "
                                       "(%5 bytes at most)")
                            .arg(QLatin1StringView(what))
                            .arg(length)
                            .arg(bytesNote())
                            .arg(at)
                            .arg(maxBytes));
        }
        return take(size, bytes);
    }

    // A length byte, then the ASCII text: what the writer can write back.
    bool shortName(const char* what, QByteArrayView* text)
    {
        const qint64 at = m_pos;
        if (!counted(1, 1, what, text))
            return false;
        if (std::any_of(text->begin(), text->end(), [](char c) { return uchar(c) >= 0x80; }))
            return fail(
                QStringLiteral("%1 at byte %2 is not ASCII").arg(QLatin1StringView(what)).arg(at));
        return true;
    }

    // Without v the value is checked and stepped over.
    bool value(Value* v)
    {
        const qint64 at = m_pos;
        quint8 type = 0;
        if (!byte(&type))
            return false;
        QByteArrayView data;
        switch (type) {
        case kInt8:
            return integer<qint8>(v);
        case kInt16:
            return integer<qint16>(v);
        case kInt32:
            return integer<qint32>(v);
        case kInt64:
            return integer<qint64>(v);
        case kString:
        case kLongString:
            if (!counted(type == kString ? 1 : 4, 1, "string", &data, MaximumStringBytes))
                return false;
            if (v)
                *v = Value::fromString(CodePage::decode(data));
            return true;
        case kUtf8String:
            if (!counted(4, 1, "string", &data, MaximumStringBytes))
                return false;
            if (v)
                *v = Value::fromString(QString::fromUtf8(data));
            return true;
        case kWideString: {
            if (!counted(4, 2, "wide string", &data, MaximumStringBytes))
                return false;
            if (v)
                *v = Value::fromString(wideText(data));
            return true;
        }
        case kIdentifier:
            if (!counted(1, 1, "identifier", &data))
                return false;
            if (v)
                *v = Value::fromIdentifier(keptName(data));
            return true;
        case kFalse:
        case kTrue:
            if (v)
                *v = Value::fromBoolean(type == kTrue);
            return true;
        case kSet: {
            QList<QByteArray> ids;
            for (int count = 0;; ++count) {
                if (!counted(1, 1, "set element", &data))
                    return false;
                if (data.isEmpty())
                    break;
                if (count == MaximumSetElements)
                    return fail(QStringLiteral("set at byte %1 holds more than %2 elements")
                                    .arg(at)
                                    .arg(MaximumSetElements));
                if (v)
                    ids.append(keptName(data));
            }
            if (v)
                *v = Value::fromSet(ids);
            return true;
        }
        default:
            return fail(
                QStringLiteral("unsupported value type %1 at byte %2").arg(hexByte(type)).arg(at));
        }
    }

private:
    template <typename T> bool integer(Value* v)
    {
        T n = 0;
        if (!number(&n))
            return false;
        if (v)
            *v = Value::fromInteger(n);
        return true;
    }

    // UTF-16LE text. Half of a surrogate pair is no character and cannot be
    // written back; it reads as the replacement character, like bad UTF-8.
    static QString wideText(QByteArrayView data)
    {
        QString text(data.size() / 2, Qt::Uninitialized);
        for (qsizetype i = 0; i < text.size(); ++i)
            text[i] = QChar(qFromLittleEndian<quint16>(data.constData() + 2 * i));
        for (qsizetype i = 0; i < text.size(); ++i) {
            if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
                ++i;
            else if (text[i].isSurrogate())
                text[i] = QChar::ReplacementCharacter;
        }
        return text;
    }

    qint64 bytesLeft() const
    {
        return m_memory.isNull() ? m_device->bytesAvailable()
                                 : m_memory.size() - (m_pos - m_firstByte);
    }

    QIODevice* m_device;
    QByteArrayView m_memory;
    // What take() read from a device that is no buffer.
    QByteArray m_read;
    QString* m_error;
    qint64 m_firstByte;
    qint64 m_pos; // in the file
};

} // namespace

Value Value::fromInteger(qint64 v)
{
    Value r;
    r.kind = Kind::Integer;
    r.integer = v;
    return r;
}

Value Value::fromString(const QString& s)
{
    Value r;
    r.kind = Kind::String;
    r.text = s;
    return r;
}

Value Value::fromIdentifier(const QByteArray& id)
{
    Value r;
    r.kind = Kind::Identifier;
    r.identifier = id;
    return r;
}

Value Value::fromBoolean(bool b)
{
    Value r;
    r.kind = Kind::Boolean;
    r.boolean = b;
    return r;
}

Value Value::fromSet(const QList<QByteArray>& ids)
{
    Value r;
    r.kind = Kind::Set;
    r.set = ids;
    return r;
}

RecordWriter::RecordWriter(QIODevice* device) : m_device(device) {}

bool RecordWriter::write(const Record& record)
{
    m_error.clear();
    if (!m_device || !m_device->isWritable()) {
        m_error = QStringLiteral("the device is not open for writing");
        return false;
    }
    Encoder out;
    out.bytes.append(kSignature);
    bool ok = out.shortName(record.className, "the class name") &&
              out.shortName(record.name, "the element name");
    if (ok && record.properties.size() > MaximumProperties)
        ok = out.fail(
            QStringLiteral("the record holds more than %1 properties").arg(MaximumProperties));
    for (qsizetype i = 0; ok && i < record.properties.size(); ++i) {
        const Property& p = record.properties[i];
        out.propertyIndex = i;
        out.propertyName = p.name;
        // A zero length ends the property list, so an empty name cannot be stored.
        if (p.name.isEmpty())
            ok = out.fail(QStringLiteral("property %1 has an empty name").arg(i));
        else
            ok = out.shortName(p.name, "the name") && out.value(p.value);
    }
    if (!ok) {
        m_error = out.error;
        return false;
    }
    out.byte(0); // end of properties
    out.byte(0); // end of children
    if (m_device->write(out.bytes) != out.bytes.size()) {
        m_error = QStringLiteral("could not write the record: %1").arg(m_device->errorString());
        return false;
    }
    return true;
}

QString RecordWriter::errorString() const
{
    return m_error;
}

RecordReader::RecordReader(QIODevice* device, qint64 firstByte)
    : m_device(device), m_firstByte(firstByte)
{
}

bool RecordReader::atEnd() const
{
    return !m_device || m_device->pos() >= m_device->size();
}

bool RecordReader::read(Record& record)
{
    return readRecord(&record);
}

bool RecordReader::skip()
{
    return readRecord(nullptr);
}

// Without out the record is checked and stepped over.
bool RecordReader::readRecord(Record* out)
{
    m_error.clear();
    if (!m_device || !m_device->isReadable()) {
        m_error = QStringLiteral("the device is not open for reading");
        return false;
    }
    Decoder in(m_device, &m_error, m_firstByte);
    Record r;
    r.offset = in.pos();
    // A name is copied at once, while the decoder's view of it holds.
    QByteArrayView name;
    const auto keep = [out, &name](QByteArray* into) {
        if (out)
            *into = keptName(name);
    };
    if (!in.signature() || !in.shortName("class name", &name))
        return false;
    keep(&r.className);
    if (!in.shortName("element name", &name))
        return false;
    keep(&r.name);
    if (out)
        r.properties.reserve(16);
    for (int count = 0;; ++count) {
        Property p;
        p.offset = in.pos();
        if (!in.shortName("property name", &name))
            return false;
        if (name.isEmpty())
            break; // end of properties
        if (count == MaximumProperties)
            return in.fail(QStringLiteral("record at byte %1 holds more than %2 properties")
                               .arg(r.offset)
                               .arg(MaximumProperties));
        keep(&p.name);
        if (!in.value(out ? &p.value : nullptr))
            return false;
        if (out)
            r.properties.append(std::move(p));
    }
    const qint64 childrenAt = in.pos();
    quint8 children = 0;
    if (!in.byte(&children))
        return false;
    if (children != 0)
        return in.fail(QStringLiteral("unexpected child element at byte %1").arg(childrenAt));
    if (out)
        *out = std::move(r);
    return true;
}

QString RecordReader::errorString() const
{
    return m_error;
}

} // namespace stream
