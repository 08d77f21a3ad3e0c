#include "notes/StatusFile.h"
#include "support/QtPrinters.h"
#include "support/SystemCodePage.h"

#include <QFile>
#include <gtest/gtest.h>
#include <limits>

namespace {

QByteArray readFixture(const char* name)
{
    QFile file(QStringLiteral(VEXORIN_FIXTURES "/notes/") + QLatin1String(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QList<StatusFile::Section> readBytes(const QByteArray& bytes)
{
    return StatusFile::read(Ini::Document::fromBytes(bytes));
}

} // namespace

TEST(StatusFileTest, WritesCountThenOneSectionPerButtonInKeyOrder)
{
    const QList<StatusFile::Button> buttons = {
        {1, "Open", 168, 23, 28, 5, 0x0000FF},
        {2, "In repair", 168, 23, 56, 5, 0x00FF00},
        {3, QString::fromUtf8("Café closed"), 168, 23, 84, 5, 0xFF0000},
    };
    Ini::Document file;
    ASSERT_TRUE(StatusFile::write(buttons, &file));
    const QByteArray expected = readFixture("three-statuses.ini");
    ASSERT_FALSE(expected.isEmpty());
    EXPECT_EQ(file.toBytes(), expected);
}

TEST(StatusFileTest, SectionsAreNumberedInOrderSkippingEmptyCaptionsAndSystemColoursStaySigned)
{
    const QList<StatusFile::Button> buttons = {
        {1, "One", 168, 23, 28, 5, 0},
        {4, "", 23, 22, 0, 0, 0xFF000008},
        {3, "Three", 23, 22, 0, 0, 0xFF000008},
    };
    Ini::Document file;
    ASSERT_TRUE(StatusFile::write(buttons, &file));
    EXPECT_EQ(file.toBytes(),
              "[SpeedButton Count]\r\nSpeedButton Count=2\r\n"
              "[SpeedButton1]\r\nTag=1\r\nCaption=One\r\nWidth=168\r\nHeight=23\r\nTop=28\r\n"
              "Left=5\r\nColor=0\r\n"
              "[SpeedButton2]\r\nTag=3\r\nCaption=Three\r\nWidth=23\r\nHeight=22\r\nTop=0\r\n"
              "Left=0\r\nColor=-16777208\r\n");

    // Read back, the same buttons in the same order.
    const QList<StatusFile::Section> sections = StatusFile::read(file);
    ASSERT_EQ(sections.size(), 2);
    EXPECT_EQ(sections[1].tag, 3);
    EXPECT_EQ(sections[1].caption, "Three");
    EXPECT_EQ(sections[1].color, 0xFF000008u);
}

TEST(StatusFileTest, NoButtonsWriteNothing)
{
    Ini::Document file = Ini::Document::fromBytes("[old]\r\nkey=1\r\n");
    ASSERT_TRUE(StatusFile::write({{1, "", 10, 10, 0, 0, 0}}, &file));
    EXPECT_TRUE(file.toBytes().isEmpty());
}

TEST(StatusFileTest, CaptionTheFileCannotHoldIsRefused)
{
    Ini::Document file;
    QString error;
    EXPECT_FALSE(StatusFile::write({{1, "two\nlines", 10, 10, 0, 0, 0}}, &file, &error));
    EXPECT_FALSE(error.isEmpty());
}

TEST(StatusFileTest, HandEditedFileReadsByTheSettingsRules)
{
    const QList<StatusFile::Section> sections = readBytes(readFixture("hand-edited-statuses.ini"));
    ASSERT_EQ(sections.size(), 3);

    EXPECT_EQ(sections[0].tag, 7);
    EXPECT_EQ(sections[0].caption, "  Spaced  ");
    EXPECT_EQ(sections[0].width, 100);
    EXPECT_EQ(sections[0].height, 20);
    EXPECT_EQ(sections[0].top, 10);
    EXPECT_EQ(sections[0].left, 2);
    EXPECT_EQ(sections[0].color, 0x0000FFu);

    // Section 2 is missing; the first section of a name is the one read.
    EXPECT_EQ(sections[1].tag, 3);
    EXPECT_EQ(sections[1].caption, "Third");
    EXPECT_EQ(sections[1].width, std::nullopt);  // not a number
    EXPECT_EQ(sections[1].height, std::nullopt); // no size a button can take
    EXPECT_EQ(sections[1].top, -5);
    EXPECT_EQ(sections[1].left, std::nullopt); // missing
    EXPECT_EQ(sections[1].color, 0xFF000008u);

    // No Tag reads as 0; section 5 lies beyond the count.
    EXPECT_EQ(sections[2].tag, 0);
    EXPECT_EQ(sections[2].caption, "No tag");
    EXPECT_EQ(sections[2].color, std::nullopt);
}

TEST(StatusFileTest, CountsThatAreNotUsableReadNoButtons)
{
    const QByteArray section = "[SpeedButton1]\r\nTag=1\r\nCaption=A\r\n";
    for (const char* count : {"0", "-3", "abc", "", "99999999999", "1.5"})
        EXPECT_TRUE(readBytes("[SpeedButton Count]\r\nSpeedButton Count=" + QByteArray(count) +
                              "\r\n" + section)
                        .isEmpty())
            << count;
    EXPECT_TRUE(readBytes(section).isEmpty());
    EXPECT_TRUE(readBytes("").isEmpty());
    EXPECT_TRUE(readBytes(QByteArray(5000, '\0')).isEmpty());
}

TEST(StatusFileTest, AbsurdCountsReadOnlyTheSectionsThatExist)
{
    QByteArray bytes = "[SpeedButton Count]\r\nSpeedButton Count=2147483647\r\n";
    bytes += "[SpeedButton2147483647]\r\nTag=9\r\n[SpeedButton2]\r\nTag=2\r\n[SpeedButton01]"
             "\r\nTag=1\r\n";
    const QList<StatusFile::Section> sections = readBytes(bytes);
    ASSERT_EQ(sections.size(), 2);
    EXPECT_EQ(sections[0].tag, 2);
    EXPECT_EQ(sections[1].tag, 9);

    // A file describing more buttons than anyone keeps is read up to the limit.
    QByteArray many = "[SpeedButton Count]\r\nSpeedButton Count=100000\r\n";
    for (int k = 1; k <= StatusFile::MaxButtons + 500; ++k)
        many +=
            "[SpeedButton" + QByteArray::number(k) + "]\r\nTag=" + QByteArray::number(k) + "\r\n";
    const QList<StatusFile::Section> capped = readBytes(many);
    ASSERT_EQ(capped.size(), StatusFile::MaxButtons);
    EXPECT_EQ(capped.last().tag, StatusFile::MaxButtons);
}

TEST(StatusFileTest, IntegersAsTheWindowsVersionReadThem)
{
    EXPECT_EQ(StatusFile::toInteger("42"), 42);
    EXPECT_EQ(StatusFile::toInteger("-16777208"), -16777208);
    EXPECT_EQ(StatusFile::toInteger("+7"), 7);
    EXPECT_EQ(StatusFile::toInteger("$FF"), 255);
    EXPECT_EQ(StatusFile::toInteger("0x10"), 16);
    EXPECT_EQ(StatusFile::toInteger("$FF000008"), int(0xFF000008));
    EXPECT_EQ(StatusFile::toInteger("4278190088"), int(0xFF000008));
    EXPECT_EQ(StatusFile::toInteger("-2147483648"), std::numeric_limits<int>::min());
    for (const char* junk :
         {"", "$", "0x", "$-1", "12a", "4294967296", "-2147483649", "1e3", "0x1G"})
        EXPECT_EQ(StatusFile::toInteger(QString::fromLatin1(junk)), std::nullopt) << junk;
}

TEST(StatusFileTest, MutatedFilesReadWithinBounds)
{
    const QByteArray sample =
        readFixture("hand-edited-statuses.ini") + readFixture("three-statuses.ini");
    ASSERT_FALSE(sample.isEmpty());
    quint32 seed = 12345;
    const auto next = [&seed] {
        seed = seed * 1103515245u + 12345u;
        return seed >> 8;
    };
    for (int round = 0; round < 2000; ++round) {
        QByteArray bytes = sample;
        for (int change = 0, changes = 1 + next() % 12; change < changes; ++change) {
            const qsizetype at = next() % bytes.size();
            switch (next() % 4) {
            case 0:
                bytes[at] = char(next());
                break;
            case 1:
                bytes.insert(at, "[SpeedButton" + QByteArray::number(next() % 5) + "]\r\n");
                break;
            case 2:
                bytes.remove(at, next() % 20);
                break;
            default:
                bytes.truncate(at);
                break;
            }
            if (bytes.isEmpty())
                bytes = "[";
        }
        for (const StatusFile::Section& section : readBytes(bytes)) {
            EXPECT_GE(section.width.value_or(0), 0);
            EXPECT_LE(section.height.value_or(0), 32767);
        }
    }
}

TEST(StatusFileTest, StatusesTheWindowsVersionWroteInWindows1251ReadAndWriteBackByteIdentical)
{
    const SystemCodePage russian(1251);
    const QByteArray russianFile = readFixture("statuses-1251.ini");
    const QList<StatusFile::Section> sections = readBytes(russianFile);
    ASSERT_EQ(sections.size(), 2);
    EXPECT_EQ(sections[0].caption, "Готово");
    EXPECT_EQ(sections[1].caption, "В ремонте №2");

    const QList<StatusFile::Button> buttons = {
        {1, sections[0].caption.value_or(QString()), 168, 23, 28, 5, 0x00FF00},
        {2, sections[1].caption.value_or(QString()), 168, 23, 56, 5, 0x0000FF},
    };
    Ini::Document file;
    ASSERT_TRUE(StatusFile::write(buttons, &file));
    EXPECT_EQ(file.toBytes(), russianFile);

    // A status the code page cannot hold turns the file to UTF-8, and each
    // button reads back from it.
    Ini::Document mixed;
    ASSERT_TRUE(
        StatusFile::write({buttons[0], {2, QStringLiteral("完成"), 168, 23, 56, 5, 0}}, &mixed));
    const QList<StatusFile::Section> reread = readBytes(mixed.toBytes());
    ASSERT_EQ(reread.size(), 2);
    EXPECT_EQ(reread[0].caption, "Готово");
    EXPECT_EQ(reread[1].caption, "完成");
}
