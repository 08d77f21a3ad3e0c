#include "stream/ComponentStream.h"
#include "support/SystemCodePage.h"

#include <QBuffer>
#include <QFile>
#include <QRegularExpression>
#include <gtest/gtest.h>
#include <random>

using namespace stream;

namespace {

QByteArray fixture(const char* name)
{
    QFile f(QStringLiteral(VEXORIN_FIXTURES "/stream/") + QLatin1StringView(name));
    EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << name;
    return f.readAll();
}

std::string describe(const Value& v)
{
    switch (v.kind) {
    case Value::Kind::Integer:
        return "int " + std::to_string(v.integer);
    case Value::Kind::String:
        return "string '" + v.text.toStdString() + "'";
    case Value::Kind::Identifier:
        return "ident " + v.identifier.toStdString();
    case Value::Kind::Boolean:
        return v.boolean ? "true" : "false";
    case Value::Kind::Set:
        return "set [" + v.set.join(',').toStdString() + "]";
    }
    return "?";
}

// Record bytes with one property "P" holding the given value bytes.
QByteArray wrapValue(const QByteArray& valueBytes)
{
    return QByteArray("TPF0\x01T\x01X\x01P", 10) + valueBytes + QByteArray(2, '\0');
}

bool readAll(const QByteArray& bytes, QList<Record>* records, QString* error)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    RecordReader reader(&buffer);
    while (!reader.atEnd()) {
        Record r;
        if (!reader.read(r)) {
            *error = reader.errorString();
            return false;
        }
        records->append(r);
    }
    return true;
}

QByteArray writeAll(const QList<Record>& records)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    RecordWriter writer(&buffer);
    for (const Record& r : records)
        EXPECT_TRUE(writer.write(r)) << writer.errorString().toStdString();
    return buffer.data();
}

std::string propertyOf(const Record& r, const char* name)
{
    for (const Property& p : r.properties) {
        if (p.name == name)
            return describe(p.value);
    }
    return "missing";
}

} // namespace

// Each value with its exact bytes: written so and read back, or (readOnly)
// only read, for encodings other writers may produce.
TEST(RecordStream, ValuesEncodeToExactBytesAndReadBack)
{
    const QString long300(300, u'x');
    const struct {
        Value value;
        QByteArray hex;
        bool readOnly = false;
    } cases[] = {
        {Value::fromInteger(5), "0205"},
        {Value::fromInteger(-1), "02ff"},
        {Value::fromInteger(-128), "0280"},
        {Value::fromInteger(127), "027f"},
        {Value::fromInteger(128), "038000"},
        {Value::fromInteger(200), "03c800"},
        {Value::fromInteger(-129), "037fff"},
        {Value::fromInteger(32767), "03ff7f"},
        {Value::fromInteger(-32768), "030080"},
        {Value::fromInteger(32768), "0400800000"},
        {Value::fromInteger(-32769), "04ff7fffff"},
        {Value::fromInteger(2147483647), "04ffffff7f"},
        {Value::fromInteger(0x123456), "0456341200"},
        {Value::fromInteger(-2147483648LL), "0400000080"},
        {Value::fromInteger(2147483648LL), "130000008000000000"},
        {Value::fromString(""), "0600"},
        {Value::fromString(QStringLiteral("Caf\u00e9 \u20ac")), "0606436166e92080"},
        {Value::fromString(QString(255, u'x')), "06ff" + QByteArray(255, 'x').toHex()},
        {Value::fromString(long300), "0c2c010000" + QByteArray(300, 'x').toHex()},
        {Value::fromString(QStringLiteral("\u0219")), "1402000000c899"},
        {Value::fromString(QString::fromUtf8("\xF0\x9F\x98\x80")), "1404000000f09f9880"},
        {Value::fromIdentifier("clRed"), "0705" + QByteArray("clRed").toHex()},
        {Value::fromBoolean(false), "08"},
        {Value::fromBoolean(true), "09"},
        {Value::fromSet({}), "0b00"},
        {Value::fromSet({"fsBold", "fsItalic"}),
         "0b06" + QByteArray("fsBold").toHex() + "08" + QByteArray("fsItalic").toHex() + "00"},
        {Value::fromInteger(5), "030500", true},
        {Value::fromInteger(-1), "13ffffffffffffffff", true},
        {Value::fromString("abc"), "0c03000000616263", true},
        {Value::fromString(QStringLiteral("\u0160!")), "120200000060012100", true},
        // A wide string's surrogate pair is one character; half a pair cannot be written back.
        {Value::fromString(QString::fromUtf8("\xF0\x9F\x98\x80")), "12020000003dd800de", true},
        {Value::fromString(QStringLiteral("\uFFFDa\uFFFD")), "120300000000d9610000dc", true},
    };
    for (const auto& c : cases) {
        const QByteArray expected = wrapValue(QByteArray::fromHex(c.hex));
        if (!c.readOnly) {
            EXPECT_EQ(writeAll({Record{"T", "X", {Property{"P", c.value}}}}).toHex().toStdString(),
                      expected.toHex().toStdString())
                << describe(c.value);
        }
        QList<Record> read;
        QString error;
        ASSERT_TRUE(readAll(expected, &read, &error)) << error.toStdString();
        EXPECT_EQ(propertyOf(read.value(0), "P"), describe(c.value));
    }
}

TEST(RecordStream, BoardFilesReadWithOffsetsAndRewriteIdentically)
{
    const QByteArray shape = fixture("shape_red.bin"), label = fixture("caption.bin");
    QList<Record> records;
    QString error;
    ASSERT_TRUE(readAll(shape + label, &records, &error)) << error.toStdString();
    ASSERT_EQ(records.size(), 2);
    EXPECT_EQ(records[0].className, "TShape");
    EXPECT_EQ(records[0].name, "Shape5");
    EXPECT_EQ(propertyOf(records[0], "Brush.Color"), "ident clRed");
    EXPECT_EQ(propertyOf(records[0], "Height"), "int 300");
    EXPECT_EQ(records[1].offset, shape.size());
    EXPECT_EQ(records[1].properties[0].offset,
              shape.size() + 18); // after "TPF0", "TLabel", "Label3"
    EXPECT_EQ(propertyOf(records[1], "Hint"), "string 'Caf\u00e9 \u20ac'");
    EXPECT_EQ(propertyOf(records[1], "Font.Style"), "set []");
    EXPECT_EQ(propertyOf(records[1], "Font.Height"), "int -11");
    EXPECT_EQ(writeAll(records), shape + label);

    for (const char* name : {"shape_unnamed_color.bin", "caption_utf8.bin"}) {
        QList<Record> one;
        ASSERT_TRUE(readAll(fixture(name), &one, &error)) << name << error.toStdString();
        EXPECT_EQ(writeAll(one), fixture(name)) << name;
    }
    ASSERT_TRUE(readAll(fixture("caption_wide.bin"), &records, &error)) << error.toStdString();
    EXPECT_EQ(propertyOf(records.last(), "Caption"), "string '\u0160ah \u03a9'");
}

TEST(RecordStream, BoardFilesOfOtherCodePagesReadRightAndRewriteIdentically)
{
    const struct {
        int codePage;
        const char* name;
        const char* hint;
        const char* caption;
    } files[] = {
        {1250, "caption_1250.bin", "Łódź", "Żółw"},
        {1251, "caption_1251.bin", "Цех №1", "Насос"},
        {932, "caption_932.bin", "工場", "ポンプ"},
    };
    for (const auto& f : files) {
        const SystemCodePage codePage(f.codePage);
        const QByteArray bytes = fixture(f.name);
        QList<Record> records;
        QString error;
        ASSERT_TRUE(readAll(bytes, &records, &error)) << f.name << error.toStdString();
        ASSERT_EQ(records.size(), 1);
        EXPECT_EQ(propertyOf(records[0], "Hint"), std::string("string '") + f.hint + "'") << f.name;
        EXPECT_EQ(propertyOf(records[0], "Caption"), std::string("string '") + f.caption + "'")
            << f.name;
        EXPECT_EQ(writeAll(records), bytes) << f.name;
    }

    // Under a Western code page the Cyrillic caption is kept as a UTF-8 string.
    const SystemCodePage western(1252);
    const Value caption = Value::fromString(QStringLiteral("Насос"));
    const QByteArray written = writeAll({Record{"T", "X", {Property{"P", caption}}}});
    EXPECT_EQ(written,
              wrapValue(QByteArray("\x14\x0a\x00\x00\x00", 5) + QStringLiteral("Насос").toUtf8()));
    QList<Record> read;
    QString error;
    ASSERT_TRUE(readAll(written, &read, &error)) << error.toStdString();
    EXPECT_EQ(propertyOf(read.value(0), "P"), describe(caption));

    // Damaged text (a lone surrogate) cannot be stored at all: the write fails.
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    RecordWriter writer(&buffer);
    EXPECT_FALSE(writer.write(
        Record{"T", "X", {Property{"P", Value::fromString(QString(QChar(0xD800)) + "中")}}}));
    EXPECT_TRUE(writer.errorString().contains(QStringLiteral("damaged")))
        << writer.errorString().toStdString();
}

TEST(RecordStream, PropertiesInAnotherOrderComeBackInFileOrder)
{
    QList<Record> usual, reordered;
    QString error;
    ASSERT_TRUE(readAll(fixture("shape_red.bin"), &usual, &error));
    ASSERT_TRUE(readAll(fixture("shape_reordered.bin"), &reordered, &error)) << error.toStdString();
    EXPECT_EQ(reordered[0].properties.first().name, "ShowHint");
    for (const Property& p : usual[0].properties)
        EXPECT_EQ(propertyOf(reordered[0], p.name.constData()), describe(p.value))
            << p.name.constData();
}

namespace {
class FailingDevice : public QIODevice {
protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char*, qint64) override
    {
        setErrorString(QStringLiteral("disk full"));
        return -1;
    }
};
} // namespace

TEST(RecordStream, WriterRefusesWhatTheFormatCannotHoldAndReportsDeviceErrors)
{
    const Record unstorable[] = {
        {"TShape", "Shape\xc3\xa9", {}},
        {QByteArray(256, 'T'), "Shape1", {}},
        {"TShape", "Shape1", {Property{"", Value::fromBoolean(true)}}},
        {"TShape", "Shape1", {Property{"Font.Style", Value::fromSet({"fsBold", ""})}}},
        {"TShape", "Shape1", {Property{"Shape", Value::fromIdentifier("st\xc3\xa9")}}},
    };
    for (const Record& r : unstorable) {
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        RecordWriter writer(&buffer);
        EXPECT_FALSE(writer.write(r)) << r.name.constData();
        EXPECT_FALSE(writer.errorString().isEmpty());
        EXPECT_EQ(buffer.size(), 0) << "nothing is written for a record that cannot be stored";
    }
    FailingDevice device;
    device.open(QIODevice::WriteOnly);
    RecordWriter writer(&device);
    EXPECT_FALSE(writer.write(Record{"TShape", "Shape1", {}}));
    EXPECT_TRUE(writer.errorString().contains(QStringLiteral("disk full")))
        << writer.errorString().toStdString();
}

TEST(RecordStream, BrokenInputFailsWithWhatAndWhere)
{
    const QByteArray head("TPF0\x06TShape\x06Shape1\x04Hint", 23);
    const struct {
        QByteArray bytes;
        const char* message;
    } cases[] = {
        {"TPF1\x06TShape", "wrong signature at byte 0"},
        {fixture("caption.bin") + "XPF0", "wrong signature at byte 226"},
        {QByteArray("TPF0\xc8TSh", 8), "class name length 200 at byte 4 exceeds the 3 bytes left"},
        {head + QByteArray("\x0c\xff\xff\xff\x7f"
                           "abc",
                           8),
         "string length 2147483647 at byte 24 exceeds the 3 bytes left"},
        {head + QByteArray("\x14\xff\xff\xff\xff", 5) + QByteArray(30, '\0'),
         "string length 4294967295 at byte 24 exceeds the 30 bytes left"},
        {head + QByteArray("\x12\x00\x00\x00\x40\x00\x00", 7),
         "wide string length 1073741824 (2147483648 bytes) at byte 24 exceeds the 2 bytes left"},
        {head + QByteArray("\x0b\x06"
                           "fsBold\xff",
                           9),
         "set element length 255 at byte 31 exceeds the 0 bytes left"},
        {head + QByteArray("\x09\x00\x01", 3), "unexpected child element at byte 25"},
        // Names the writer could not write back, so a board could never be saved again.
        {QByteArray("TPF0\x06TLabel\x06Lab\xa9"
                    "el\x00\x00",
                    20),
         "element name at byte 11 is not ASCII"},
        {QByteArray("TPF0\x06TL\xe4"
                    "bel",
                    11),
         "class name at byte 4 is not ASCII"},
        {QByteArray("TPF0\x06TShape\x06Shape1\x04H\xefnt\x08", 24),
         "property name at byte 18 is not ASCII"},
    };
    for (const auto& c : cases) {
        QList<Record> records;
        QString error;
        EXPECT_FALSE(readAll(c.bytes, &records, &error));
        EXPECT_EQ(error.toStdString(), c.message);
    }
    for (int type = 0; type < 256; ++type) {
        if (QByteArray::fromHex("020304060708090b0c121314").contains(char(type)))
            continue;
        QList<Record> records;
        QString error;
        EXPECT_FALSE(readAll(head + char(type), &records, &error));
        EXPECT_EQ(error, QString::asprintf("unsupported value type 0x%02X at byte 23", type));
    }
}

TEST(RecordStream, EveryTruncationFailsAtTheEnd)
{
    static const QRegularExpression where(QStringLiteral("at byte (\\d+)"));
    for (const char* name :
         {"caption.bin", "shape_unnamed_color.bin", "caption_utf8.bin", "caption_wide.bin"}) {
        const QByteArray whole = fixture(name);
        for (qsizetype n = 1; n < whole.size(); ++n) {
            QBuffer buffer;
            buffer.setData(whole.left(n));
            buffer.open(QIODevice::ReadOnly);
            RecordReader reader(&buffer);
            Record record{"Kept", "Kept", {}};
            ASSERT_FALSE(reader.read(record)) << name << " cut at " << n;
            EXPECT_EQ(record.name, "Kept");
            const auto match = where.match(reader.errorString());
            ASSERT_TRUE(match.hasMatch()) << reader.errorString().toStdString();
            EXPECT_LE(match.captured(1).toLongLong(), n) << reader.errorString().toStdString();
        }
    }
}

TEST(RecordStream, RandomBytesNeverCrashOrHang)
{
    std::mt19937 random(20240611);
    const QByteArray valid = fixture("caption.bin") + fixture("shape_unnamed_color.bin");
    for (int i = 0; i < 4000; ++i) {
        QByteArray bytes = valid;
        if (i % 2) {
            bytes = QByteArray(random() % 80, Qt::Uninitialized);
            for (char& b : bytes)
                b = char(random());
            if (i % 4 == 1)
                bytes.prepend("TPF0");
        } else {
            for (int k = 1 + random() % 4; k > 0; --k)
                bytes[random() % bytes.size()] = char(random());
        }
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::ReadOnly);
        RecordReader reader(&buffer);
        Record record;
        while (!reader.atEnd()) {
            const qint64 before = buffer.pos();
            if (!reader.read(record)) {
                EXPECT_TRUE(reader.errorString().contains(QStringLiteral("at byte ")))
                    << reader.errorString().toStdString();
                break;
            }
            ASSERT_GT(buffer.pos(), before);
        }
    }
}

// No single record can make the reader allocate much: strings, sets and
// property lists beyond what any board holds are refused before anything of
// them is kept, and the writer refuses to write them.
TEST(RecordStream, LengthsAndCountsBeyondAnyBoardAreRefusedEitherWay)
{
    const QByteArray head("TPF0\x06TShape\x06Shape1\x04Hint", 23);
    const auto length32 = [](char type, quint32 n) {
        QByteArray bytes(1, type);
        for (int i = 0; i < 4; ++i)
            bytes += char((n >> (8 * i)) & 0xff);
        return bytes;
    };
    const auto set = [](int n) {
        QByteArray bytes("\x0b");
        for (int i = 0; i < n; ++i)
            bytes += QByteArray("\x06"
                                "fsBold");
        return bytes + QByteArray(1, '\0');
    };
    const auto properties = [](int n) {
        QByteArray bytes("TPF0\x06TShape\x06Shape1");
        for (int i = 0; i < n; ++i)
            bytes += QByteArray("\x03Tag\x02\x01");
        return bytes + QByteArray(2, '\0');
    };
    const qint64 most = MaximumStringBytes;
    const struct {
        QByteArray bytes;
        const char* message;
    } cases[] = {
        {head + length32('\x0c', most + 1) + QByteArray(most + 1, 'x') + QByteArray(2, '\0'),
         "string length 131073 at byte 24 is more than a board file holds (131072 bytes at most)"},
        {head + length32('\x14', most + 1) + QByteArray(most + 1, 'x') + QByteArray(2, '\0'),
         "string length 131073 at byte 24 is more than a board file holds (131072 bytes at most)"},
        {head + length32('\x12', most / 2 + 1) + QByteArray(most + 2, 'x') + QByteArray(2, '\0'),
         "wide string length 65537 (131074 bytes) at byte 24 is more than a board file holds "
         "(131072 bytes at most)"},
        {head + set(MaximumSetElements + 1) + QByteArray(2, '\0'),
         "set at byte 23 holds more than 32 elements"},
        {properties(MaximumProperties + 1), "record at byte 0 holds more than 64 properties"},
    };
    for (const auto& c : cases) {
        QList<Record> records;
        QString error;
        EXPECT_FALSE(readAll(c.bytes, &records, &error));
        EXPECT_EQ(error.toStdString(), c.message);
    }
    // At the limits everything reads, and writes back the same.
    const QByteArray atLimits[] = {
        head + length32('\x0c', most) + QByteArray(most, 'x') + QByteArray(2, '\0'),
        head + set(MaximumSetElements) + QByteArray(2, '\0'),
        properties(MaximumProperties),
    };
    for (const QByteArray& bytes : atLimits) {
        QList<Record> records;
        QString error;
        ASSERT_TRUE(readAll(bytes, &records, &error)) << error.toStdString();
        EXPECT_EQ(writeAll(records).size(), bytes.size());
    }

    Record tooMany{"TShape", "Shape1", {}};
    for (int i = 0; i <= MaximumProperties; ++i)
        tooMany.properties.append(Property{"Tag", Value::fromInteger(1)});
    const Record unstorable[] = {
        {"TShape", "Shape1", {Property{"Hint", Value::fromString(QString(most + 1, u'x'))}}},
        {"TShape",
         "Shape1",
         {Property{"Font.Style",
                   Value::fromSet(QList<QByteArray>(MaximumSetElements + 1, "fsBold"))}}},
        tooMany,
    };
    for (const Record& r : unstorable) {
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        RecordWriter writer(&buffer);
        EXPECT_FALSE(writer.write(r));
        EXPECT_TRUE(
            writer.errorString().contains(QRegularExpression(QStringLiteral("(more|longer) than"))))
            << writer.errorString().toStdString();
        EXPECT_EQ(buffer.size(), 0);
    }
}

// Counting records steps over them exactly as reading does: the same records
// end at the same bytes, and the same damage stops both with the same message.
TEST(RecordStream, SkippingChecksWhatReadingChecks)
{
    std::mt19937 random(7);
    const QByteArray valid = fixture("caption.bin") + fixture("shape_unnamed_color.bin") +
                             fixture("caption_utf8.bin") + fixture("caption_wide.bin");
    for (int i = 0; i < 3000; ++i) {
        QByteArray bytes = valid;
        for (int k = i % 5; k > 0; --k)
            bytes[random() % bytes.size()] = char(random());
        if (i % 7 == 3)
            bytes.truncate(random() % bytes.size());
        QBuffer reading(&bytes), skipping(&bytes);
        reading.open(QIODevice::ReadOnly);
        skipping.open(QIODevice::ReadOnly);
        RecordReader reader(&reading), skipper(&skipping);
        while (!reader.atEnd()) {
            Record record;
            const bool read = reader.read(record);
            ASSERT_EQ(skipper.skip(), read) << reader.errorString().toStdString();
            ASSERT_EQ(skipper.errorString(), reader.errorString());
            if (!read)
                break;
            ASSERT_EQ(skipping.pos(), reading.pos());
        }
    }
}
