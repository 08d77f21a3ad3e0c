#include "AlarmRowPrinter.h"
#include "alarms/AlarmFile.h"
#include "formats/CodePage.h"
#include "support/QtPrinters.h"
#include "support/SystemCodePage.h"

#include <QBuffer>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QByteArray fixture(const char* name)
{
    QFile file(QStringLiteral(VEXORIN_FIXTURES "/alarms/") + QLatin1String(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

AlarmFile readBytes(const QByteArray& bytes, bool* ok = nullptr)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    AlarmFile file;
    const bool result = file.read(buffer);
    if (ok)
        *ok = result;
    return file;
}

QStringList fieldTexts(const QString& line)
{
    QStringList texts;
    for (const AlarmFile::Field& field : AlarmFile::splitFields(line))
        texts.append(field.text);
    return texts;
}

AlarmRow taxReturn()
{
    return {true,
            QStringLiteral("Tax return"),
            QStringLiteral("07.12.2026 14:30:00"),
            QStringLiteral("3"),
            QStringLiteral("Days"),
            QStringLiteral("Off"),
            QStringLiteral("False")};
}

// A device that takes a few bytes and then fails.
class FailingDevice : public QIODevice {
public:
    FailingDevice() { open(QIODevice::ReadWrite); }

protected:
    qint64 readData(char*, qint64) override
    {
        setErrorString(QStringLiteral("the disk is gone"));
        return -1;
    }
    qint64 writeData(const char*, qint64 size) override
    {
        setErrorString(QStringLiteral("the disk is full"));
        return std::min<qint64>(size, 5);
    }
};

} // namespace

TEST(AlarmFileTest, TaxReturnLineIsWrittenAndReadAsTheWindowsVersionDid)
{
    const QByteArray expected = fixture("tax_return.dat");
    ASSERT_EQ(expected, "1-Tax+return-07.12.202614:30:00-3-Days-Off-False-\r\n");
    EXPECT_EQ(AlarmFile::toBytes({taxReturn()}), expected);

    bool ok = false;
    const AlarmFile file = readBytes(expected, &ok);
    EXPECT_TRUE(ok);
    EXPECT_FALSE(file.isCorrupted());
    ASSERT_EQ(file.rows().size(), 1);
    EXPECT_EQ(file.rows().front(), taxReturn());
}

TEST(AlarmFileTest, StoredFilesWithoutSpecialValuesComeBackByteIdentical)
{
    const QByteArray stored = fixture("project.dat");
    ASSERT_FALSE(stored.isEmpty());
    bool ok = false;
    const AlarmFile file = readBytes(stored, &ok);
    ASSERT_TRUE(ok) << file.errorString().toStdString();
    ASSERT_EQ(file.rows().size(), 6);
    EXPECT_EQ(file.rows()[3].name, QString::fromUtf8("Café terrace"));
    EXPECT_EQ(file.rows()[3].sound, "on");
    EXPECT_FALSE(file.rows()[1].enabled);
    EXPECT_EQ(file.rows()[1].active, "True");
    EXPECT_EQ(AlarmFile::toBytes(file.rows()), stored);
}

TEST(AlarmFileTest, EmptyListIsAnEmptyFileAndReadsBackEmpty)
{
    EXPECT_TRUE(AlarmFile::toBytes({}).isEmpty());
    bool ok = false;
    const AlarmFile file = readBytes(QByteArray(), &ok);
    EXPECT_TRUE(ok);
    EXPECT_TRUE(file.rows().isEmpty());
}

TEST(AlarmFileTest, FieldsSplitAtDashesAndBlankRunsAndQuotes)
{
    EXPECT_EQ(fieldTexts("a-b-"), (QStringList{"a", "b", ""}));
    EXPECT_EQ(fieldTexts("a - b"), (QStringList{"a", "b"}));
    EXPECT_EQ(fieldTexts("  \t a b\x01\x1f"
                         "c"),
              (QStringList{"a", "b", "c"}));
    EXPECT_EQ(fieldTexts("a--b"), (QStringList{"a", "", "b"}));
    EXPECT_EQ(fieldTexts("a- "), QStringList{"a"}); // a dash followed by blanks adds no field
    EXPECT_EQ(fieldTexts("\"x-y z\"-\"say \"\"hi\"\"\"-"),
              (QStringList{"x-y z", "say \"hi\"", ""}));
    EXPECT_EQ(fieldTexts("\"\"-b"), (QStringList{"", "b"}));
    EXPECT_EQ(fieldTexts("\"ab\"cd"), (QStringList{"ab", "cd"}));
    EXPECT_EQ(fieldTexts("x\"y\"-"), (QStringList{"x\"y\"", ""}));
    EXPECT_EQ(fieldTexts("\"never closed-a-b"), QStringList{"never closed-a-b"});
    EXPECT_TRUE(fieldTexts("").isEmpty());
    EXPECT_TRUE(fieldTexts(" \t ").isEmpty());
    EXPECT_EQ(fieldTexts(QString(QChar(0)) + "a"), QStringList{QString(QChar(0)) + "a"});

    const QList<AlarmFile::Field> fields = AlarmFile::splitFields(QStringLiteral("\"a\"-b"));
    ASSERT_EQ(fields.size(), 2);
    EXPECT_TRUE(fields[0].quoted);
    EXPECT_FALSE(fields[1].quoted);
}

TEST(AlarmFileTest, RowsReadFieldByField)
{
    const AlarmFile file = readBytes("0-A+B+-07.12.202614:30:00-x-Weeks-Beep-Maybe-\r\n"
                                     "yes-  Name  -01.02.202603:04:05 - 1 - Days - On - True -\n"
                                     "1-\"A+B\"-\"01.02.202603:04:05\"-1-Days-On-True-");
    ASSERT_EQ(file.rows().size(), 3);
    EXPECT_EQ(file.rows()[0],
              (AlarmRow{false, "A B ", "07.12.2026 14:30:00", "x", "Weeks", "Beep", "Maybe"}));
    EXPECT_FALSE(file.rows()[1].enabled); // only "1" ticks the box
    EXPECT_EQ(file.rows()[1].name, "Name");
    EXPECT_EQ(file.rows()[1].active, "True");
    EXPECT_EQ(file.rows()[2].name, "A+B"); // a quoted name is taken as it stands
    EXPECT_EQ(file.rows()[2].time, "01.02.2026 03:04:05");
}

TEST(AlarmFileTest, LinesEndAtCrLfCrOrLf)
{
    const QByteArray line = "1-A-07.12.202614:30:00-3-Days-Off-False-";
    const AlarmFile file = readBytes(line + "\r" + line + "\n" + line + "\r\n" + line);
    EXPECT_FALSE(file.isCorrupted());
    EXPECT_EQ(file.rows().size(), 4);
}

TEST(AlarmFileTest, ReadingStopsAtTheFirstLineWithoutEightFields)
{
    bool ok = true;
    const AlarmFile file = readBytes(fixture("three_good_one_bad.dat"), &ok);
    EXPECT_FALSE(ok);
    EXPECT_TRUE(file.isCorrupted());
    EXPECT_EQ(file.rows().size(), 3);
    EXPECT_EQ(file.errorString(), "line 4 holds 7 fields instead of 8");

    const QByteArray good = "1-A-07.12.202614:30:00-3-Days-Off-False-\r\n";
    const struct {
        QByteArray bytes;
        int rowsBefore;
    } broken[] = {
        {good + "\r\n" + good, 1},                                    // empty line
        {good + "1-A-07.12.202614:30:00-3-Days-Off-False-X-\r\n", 1}, // nine fields
        {"1-\"A-07.12.202614:30:00-3-Days-Off-False-\r\n", 0},        // quote never closed
        {good + good + "   \r\n", 2},                                 // blanks only
        {"\r\n", 0},
    };
    for (const auto& input : broken) {
        const AlarmFile damaged = readBytes(input.bytes, &ok);
        EXPECT_FALSE(ok) << input.bytes.constData();
        EXPECT_TRUE(damaged.isCorrupted()) << input.bytes.constData();
        EXPECT_EQ(damaged.rows().size(), input.rowsBefore) << input.bytes.constData();
    }
}

TEST(AlarmFileTest, FieldsThatWouldBreakTheLineAreQuotedAndReadBackUnchanged)
{
    const AlarmRow awkward{true,
                           QStringLiteral("North-east gate"),
                           QStringLiteral("07.12.2026 14:30:00"),
                           QStringLiteral("3"),
                           QStringLiteral("\"quoted\" days"),
                           QStringLiteral("On - loud"),
                           QStringLiteral("False")};
    const QByteArray bytes = AlarmFile::toBytes({awkward});
    EXPECT_EQ(bytes, "1-\"North-east gate\"-07.12.202614:30:00-3-\"\"\"quoted\"\" days\"-"
                     "\"On - loud\"-False-\r\n");
    EXPECT_EQ(readBytes(bytes).rows(), QList<AlarmRow>{awkward});

    AlarmRow plus = taxReturn();
    plus.name = QStringLiteral("A+B and C");
    EXPECT_EQ(AlarmFile::lineOf(plus), "1-\"A+B and C\"-07.12.202614:30:00-3-Days-Off-False-\r\n");
    EXPECT_EQ(readBytes(AlarmFile::lineOf(plus)).rows(), QList<AlarmRow>{plus});

    AlarmRow tab = taxReturn();
    tab.unit = QStringLiteral("Da\tys");
    EXPECT_EQ(readBytes(AlarmFile::lineOf(tab)).rows(), QList<AlarmRow>{tab});
}

TEST(AlarmFileTest, RandomRowsSurviveAWriteAndRead)
{
    QRandomGenerator random(8);
    const QString alphabet = QStringLiteral("ab -+\"\t\x01xyZ09.:\u00e9\u20ac");
    auto text = [&](int maxLength) {
        QString s;
        for (int n = int(random.bounded(maxLength + 1)); n > 0; --n)
            s += alphabet[int(random.bounded(alphabet.size()))];
        return s;
    };
    QList<AlarmRow> rows;
    for (int i = 0; i < 500; ++i) {
        rows.append({random.bounded(2) == 1, QStringLiteral("n") + text(8),
                     QStringLiteral("07.12.2026 14:30:00"), text(4), text(6), text(4), text(5)});
    }
    bool ok = false;
    const AlarmFile file = readBytes(AlarmFile::toBytes(rows), &ok);
    ASSERT_TRUE(ok) << file.errorString().toStdString();
    EXPECT_EQ(file.rows(), rows);
}

TEST(AlarmFileTest, ATimeFieldShorterThanADateComesBackAsItStoodAtEverySave)
{
    for (const QByteArray& line :
         {QByteArray("1-A-01.-3-Days-Off-False-\r\n"), QByteArray("1-A--3-Days-Off-False-\r\n"),
          QByteArray("1-A-\"01. 2\"-3-Days-Off-False-\r\n")}) {
        const AlarmFile file = readBytes(line);
        ASSERT_EQ(file.rows().size(), 1) << line.constData();
        const QByteArray written = AlarmFile::toBytes(file.rows());
        EXPECT_EQ(written, line);
        EXPECT_EQ(readBytes(written).rows(), file.rows());
    }
}

TEST(AlarmFileTest, LineBreaksInsideAFieldBecomeBlanksSoTheLineStaysWhole)
{
    AlarmRow row = taxReturn();
    row.sound = QStringLiteral("O\r\nn");
    const AlarmFile file = readBytes(AlarmFile::lineOf(row));
    ASSERT_EQ(file.rows().size(), 1);
    EXPECT_EQ(file.rows().front().sound, "O  n");
}

TEST(AlarmFileTest, HugeAndRandomInputEndsWithoutHanging)
{
    QByteArray many;
    for (int i = 0; i < 100000; ++i)
        many += "1-Obj+" + QByteArray::number(i) + "-07.12.202614:30:00-3-Days-Off-False-\r\n";
    bool ok = false;
    AlarmFile file = readBytes(many, &ok);
    EXPECT_TRUE(ok);
    EXPECT_EQ(file.rows().size(), 100000);
    EXPECT_EQ(file.rows().back().name, "Obj 99999");

    // One line of 3 MB with no line end: read in pieces, one line in the end.
    file = readBytes(QByteArray(3 << 20, 'x'), &ok);
    EXPECT_TRUE(file.isCorrupted());
    EXPECT_EQ(file.errorString(), "line 1 holds 1 fields instead of 8");

    QRandomGenerator random(17);
    for (int round = 0; round < 50; ++round) {
        QByteArray noise(int(random.bounded(4000)), Qt::Uninitialized);
        for (char& c : noise)
            c = char(random.bounded(256));
        file = readBytes(noise, &ok);
        EXPECT_EQ(ok, !file.isCorrupted());
    }
}

TEST(AlarmFileTest, DeviceFailuresAreReportedWithTheReason)
{
    FailingDevice device;
    AlarmFile file;
    EXPECT_FALSE(file.read(device));
    EXPECT_FALSE(file.isCorrupted());
    EXPECT_TRUE(file.errorString().contains("the disk is gone"))
        << file.errorString().toStdString();
    EXPECT_FALSE(file.write(device, {taxReturn()}));
    EXPECT_TRUE(file.errorString().contains("the disk is full"));
}

TEST(AlarmFileTest, SaveReplacesTheWholeFileAndLoadNamesAMissingFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("Alarm.dat");
    AlarmFile file;
    ASSERT_TRUE(file.save(path, {taxReturn(), taxReturn()}));
    ASSERT_TRUE(file.save(path, {taxReturn()}));
    ASSERT_TRUE(file.load(path));
    EXPECT_EQ(file.rows(), QList<AlarmRow>{taxReturn()});

    EXPECT_FALSE(file.load(dir.filePath("missing/Alarm.dat")));
    EXPECT_FALSE(file.isCorrupted());
    EXPECT_TRUE(file.errorString().contains("missing")) << file.errorString().toStdString();
    EXPECT_FALSE(file.save(dir.filePath("missing/Alarm.dat"), {taxReturn()}));
    EXPECT_TRUE(file.errorString().contains("missing"));
}

TEST(AlarmFileTest, FilesTheWindowsVersionWroteIn1250And1251And932ReadAndWriteBackByteIdentical)
{
    const struct {
        int codePage;
        const char* name;
        QStringList names;
    } files[] = {
        {1250, "alarm-1250.dat", {QStringLiteral("Łódź pompa")}},
        {1251, "alarm-1251.dat", {QStringLiteral("Насос 1"), QStringLiteral("Цех")}},
        {932, "alarm-932.dat", {QStringLiteral("ポンプ 1号")}},
    };
    for (const auto& f : files) {
        const SystemCodePage codePage(f.codePage);
        const QByteArray bytes = fixture(f.name);
        bool ok = false;
        const AlarmFile file = readBytes(bytes, &ok);
        ASSERT_TRUE(ok) << f.name << ": " << file.errorString().toStdString();
        QStringList names;
        for (const AlarmRow& row : file.rows())
            names.append(row.name);
        EXPECT_EQ(names, f.names) << f.name;
        EXPECT_EQ(AlarmFile::toBytes(file.rows()), bytes) << f.name;
    }
}

TEST(AlarmFileTest, NamesBeyondTheCodePageAreKeptInAUtf8FileAndDamagedTextIsRefused)
{
    const SystemCodePage western(1252);
    AlarmRow pump = taxReturn();
    pump.name = QStringLiteral("Насос 1");
    AlarmRow factory = taxReturn();
    factory.name = QStringLiteral("工厂 Café");
    const QByteArray bytes = AlarmFile::toBytes({pump, factory});
    EXPECT_EQ(bytes, QStringLiteral("1-Насос+1-07.12.202614:30:00-3-Days-Off-False-\r\n"
                                    "1-工厂+Café-07.12.202614:30:00-3-Days-Off-False-\r\n")
                         .toUtf8());
    bool ok = false;
    EXPECT_EQ(readBytes(bytes, &ok).rows(), (QList<AlarmRow>{pump, factory}));
    EXPECT_TRUE(ok);

    pump.name += QChar(0xD800);
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    AlarmFile file;
    EXPECT_FALSE(file.write(buffer, {pump}));
    EXPECT_TRUE(file.errorString().contains(QStringLiteral("damaged")))
        << file.errorString().toStdString();
    EXPECT_TRUE(buffer.data().isEmpty());
}

TEST(AlarmFileTest, ALongListIsWrittenInPiecesInTheEncodingItsLastRowNeeds)
{
    const SystemCodePage western(1252);
    QList<AlarmRow> rows;
    for (int i = 0; i < 5000; ++i) {
        AlarmRow row = taxReturn();
        row.name = QStringLiteral("Café %1").arg(i); // in the code page
        rows.append(row);
    }
    // Written in the code page, piece by piece, as the whole text would be.
    QBuffer inCodePage;
    inCodePage.open(QIODevice::WriteOnly);
    AlarmFile file;
    ASSERT_TRUE(file.write(inCodePage, rows.size(), [&rows](qsizetype i) { return rows[i]; }));
    EXPECT_GT(inCodePage.data().size(), 1 << 17);
    EXPECT_EQ(inCodePage.data(), CodePage::encodeTextFile(QString::fromLatin1(inCodePage.data())));
    EXPECT_TRUE(inCodePage.data().contains("Caf\xE9+4999"));

    // A character beyond the code page in the very last row: the whole file,
    // the pieces written before it included, is UTF-8.
    rows.last().name = QStringLiteral("工厂");
    QBuffer inUtf8;
    inUtf8.open(QIODevice::WriteOnly);
    ASSERT_TRUE(file.write(inUtf8, rows.size(), [&rows](qsizetype i) { return rows[i]; }));
    EXPECT_EQ(inUtf8.data(), AlarmFile::toBytes(rows));
    EXPECT_TRUE(inUtf8.data().startsWith(QStringLiteral("1-Café+0-").toUtf8()));

    // Read back row by row, as they were.
    inUtf8.close();
    inUtf8.open(QIODevice::ReadOnly);
    QList<AlarmRow> read;
    EXPECT_TRUE(file.read(inUtf8, [&read](AlarmRow&& row) { read.append(std::move(row)); }));
    EXPECT_TRUE(file.rows().isEmpty());
    EXPECT_EQ(read, rows);
}
