#include "tables/TableFile.h"
#include "support/SystemCodePage.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QByteArray fixture(const char* name)
{
    QFile file(QStringLiteral(VEXORIN_FIXTURES "/tables/") + QLatin1String(name));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << name;
    return file.readAll();
}

struct Read {
    bool countsRead = false;
    bool cellsRead = false;
    int columns = 0;
    int rows = 0;
    TableFile::Columns cells;
    QString error;
};

// Reads as the table window does: counts, then the cells for counts of at least 1.
Read readTable(const QByteArray& bytes)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    TableFile::Reader reader(buffer);
    Read out;
    out.countsRead =
        reader.readColumnCount(&out.columns) && reader.readRowCount(out.columns, &out.rows);
    if (out.countsRead)
        out.cellsRead =
            reader.readCells(std::max(out.columns, 1), std::max(out.rows, 1), &out.cells);
    out.error = reader.errorString();
    return out;
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

} // namespace

TEST(TableFile, ExampleTableReadsColumnByColumnAndWritesBackTheSameBytes)
{
    const QByteArray bytes = fixture("example-2x3.txt");
    const Read table = readTable(bytes);
    ASSERT_TRUE(table.cellsRead) << table.error.toStdString();
    EXPECT_EQ(table.columns, 2);
    EXPECT_EQ(table.rows, 3);
    const TableFile::Columns expected{{"", "Bolt", "Nut"}, {"Qty", "12", "30"}};
    EXPECT_EQ(table.cells, expected);
    EXPECT_EQ(TableFile::toBytes(table.cells, 3), bytes);
}

TEST(TableFile, EmptySevenByFiveTableIsThirtySevenLines)
{
    const QByteArray bytes = TableFile::toBytes(TableFile::emptyColumns(7, 5), 5);
    EXPECT_EQ(bytes, fixture("builtin-7x5.txt"));
    EXPECT_EQ(bytes.count("\r\n"), 37);
}

TEST(TableFile, CellTextsAreWindows1252BothWays)
{
    const SystemCodePage western(1252);
    const QByteArray bytes = fixture("windows1252.txt");
    const Read table = readTable(bytes);
    ASSERT_TRUE(table.cellsRead);
    const TableFile::Columns expected{{QStringLiteral("Café"), QStringLiteral("€ 12")},
                                      {QStringLiteral("Größe"), QStringLiteral("“quoted”")}};
    EXPECT_EQ(table.cells, expected);
    EXPECT_EQ(TableFile::toBytes(table.cells, 2), bytes);

    // What the code page cannot hold turns the whole file to UTF-8.
    const TableFile::Columns mixed{{QStringLiteral("Größe"), QStringLiteral("Имя")},
                                   {QStringLiteral("中文"), QString()}};
    bool complete = false;
    const QByteArray utf8 = TableFile::toBytes(mixed, 2, &complete);
    EXPECT_TRUE(complete);
    EXPECT_EQ(utf8, QStringLiteral("2\r\n2\r\nGröße\r\nИмя\r\n中文\r\n\r\n").toUtf8());
    EXPECT_EQ(readTable(utf8).cells, mixed);
}

TEST(TableFile, TablesTheWindowsVersionWroteInWindows1251And932ReadAndWriteBackByteIdentical)
{
    {
        const SystemCodePage russian(1251);
        const QByteArray bytes = fixture("table-1251.txt");
        const Read table = readTable(bytes);
        ASSERT_TRUE(table.cellsRead) << table.error.toStdString();
        const TableFile::Columns expected{{QStringLiteral("Имя"), QStringLiteral("Насос")},
                                          {QStringLiteral("Кол-во"), QStringLiteral("12 шт.")}};
        EXPECT_EQ(table.cells, expected);
        EXPECT_EQ(TableFile::toBytes(table.cells, 2), bytes);
    }
    const SystemCodePage japanese(932);
    const QByteArray bytes = fixture("table-932.txt");
    const Read table = readTable(bytes);
    ASSERT_TRUE(table.cellsRead) << table.error.toStdString();
    // 表 ends in the byte of a backslash.
    const TableFile::Columns expected{
        {QStringLiteral("品名"), QStringLiteral("ボルト"), QStringLiteral("表示")},
        {QStringLiteral("数量"), QStringLiteral("１２"), QString()}};
    EXPECT_EQ(table.cells, expected);
    EXPECT_EQ(TableFile::toBytes(table.cells, 3), bytes);
}

TEST(TableFile, DamagedTextThatNoEncodingHoldsIsNotWrittenAndTheFileIsLeftAlone)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("Pumptable.txt"));
    ASSERT_TRUE(TableFile::save(path, {{QStringLiteral("Имя")}}, 1, nullptr));
    QFile before(path);
    ASSERT_TRUE(before.open(QIODevice::ReadOnly));
    const QByteArray bytes = before.readAll();

    QString error;
    const TableFile::Columns broken{{QStringLiteral("中") + QChar(0xDC00)}};
    EXPECT_FALSE(TableFile::save(path, broken, 1, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("damaged"))) << error.toStdString();
    QFile after(path);
    ASSERT_TRUE(after.open(QIODevice::ReadOnly));
    EXPECT_EQ(after.readAll(), bytes);
}

TEST(TableFile, LineBreakInsideACellIsWrittenAsABlankSoLaterCellsKeepTheirLines)
{
    const TableFile::Columns cells{{QStringLiteral("two\r\nlines"), QStringLiteral("a\nb\rc")},
                                   {QStringLiteral("next"), QString()}};
    const QByteArray bytes = TableFile::toBytes(cells, 2);
    EXPECT_EQ(bytes, QByteArray("2\r\n2\r\ntwo lines\r\na b c\r\nnext\r\n\r\n"));
    EXPECT_EQ(readTable(bytes).cells.at(1).at(0), "next");
}

TEST(TableFile, MissingCellLinesReadAsEmptyAndExtraLinesAreIgnored)
{
    Read table = readTable(fixture("short-3x2.txt"));
    ASSERT_TRUE(table.cellsRead);
    const TableFile::Columns expected{{"A", "B"}, {"C", ""}, {"", ""}};
    EXPECT_EQ(table.cells, expected);

    table = readTable("1\r\n1\r\nkept\r\nextra\r\n");
    ASSERT_TRUE(table.cellsRead);
    EXPECT_EQ(table.cells, TableFile::Columns{{"kept"}});
}

TEST(TableFile, LinesMayEndWithCrLfLfOrALoneCrAndTheLastNeedsNoEnd)
{
    const Read table = readTable("2\n2\rA\r\nB\n\rD");
    ASSERT_TRUE(table.cellsRead);
    const TableFile::Columns expected{{"A", "B"}, {"", "D"}};
    EXPECT_EQ(table.cells, expected);
}

TEST(TableFile, CrLfSplitAcrossReadChunksIsOneLineEnd)
{
    // 65,534 bytes of text, then CR as the last byte of the first 64 KB chunk
    // and LF as the first of the next.
    const QByteArray text(65535 - 6, 'x');
    const QByteArray bytes = "2\r\n1\r\n" + text + "\r\nnext\r\n";
    ASSERT_EQ(bytes.indexOf('\r', 6), 65535);
    const Read table = readTable(bytes);
    ASSERT_TRUE(table.cellsRead);
    EXPECT_EQ(table.cells.at(0).at(0).size(), text.size());
    EXPECT_EQ(table.cells.at(1).at(0), "next");
}

TEST(TableFile, CountLinesSkipLeadingBlanksAndIgnoreTheRestOfTheLine)
{
    Read table = readTable("  3 columns\r\n\t+2\r\n");
    ASSERT_TRUE(table.countsRead);
    EXPECT_EQ(table.columns, 3);
    EXPECT_EQ(table.rows, 2);

    // Counts below 1 are given as read; the grid makes them 1.
    table = readTable("0\r\n-4\r\nonly\r\n");
    ASSERT_TRUE(table.countsRead);
    EXPECT_EQ(table.columns, 0);
    EXPECT_EQ(table.rows, -4);
    EXPECT_EQ(table.cells, TableFile::Columns{{"only"}});
}

TEST(TableFile, CountLineWithoutANumberIsInvalidNumericInputNamingTheLine)
{
    struct Case {
        QByteArray bytes;
        QString place;
    };
    const QList<Case> cases{
        {"seven\r\n5\r\n", "Line 1 of the table file, at byte 0, holds \"seven\""},
        {"7\r\nfive\r\n", "Line 2 of the table file, at byte 3, holds \"five\""},
        {"x7\r\n5\r\n", "Line 1"},
        {"7\r\n+ 5\r\n", "Line 2"},
        {"\r\n5\r\n", "Line 1"},
        {"7\r\n-\r\n", "Line 2"},
        {"99999999999\r\n5\r\n", "Line 1"},
        {"", "ends before line 1"},
        {"7\r\n", "ends before line 2"},
    };
    for (const Case& c : cases) {
        const Read table = readTable(c.bytes);
        EXPECT_FALSE(table.countsRead) << c.bytes.toStdString();
        EXPECT_TRUE(table.error.startsWith(TableFile::InvalidNumericInput + '\n'))
            << table.error.toStdString();
        EXPECT_TRUE(table.error.contains(c.place)) << table.error.toStdString();
    }
}

TEST(TableFile, CountLineGivesTheNumberItBeginsWithAfterBlanks)
{
    const Read table = readTable("  2abc\r\n\t+3 rows\r\nA\r\nB\r\nC\r\nD\r\nE\r\nF\r\n");
    ASSERT_TRUE(table.cellsRead) << table.error.toStdString();
    EXPECT_EQ(table.columns, 2);
    EXPECT_EQ(table.rows, 3);
    const TableFile::Columns expected{{"A", "B", "C"}, {"D", "E", "F"}};
    EXPECT_EQ(table.cells, expected);
    EXPECT_EQ(readTable("7x\r\n-2-\r\n").rows, -2);
}

TEST(TableFile, TablesAboveAMillionCellsAreRefusedBeforeAnyCellIsMade)
{
    Read table = readTable("2000\r\n1000\r\n");
    EXPECT_FALSE(table.countsRead);
    EXPECT_TRUE(table.error.contains("2000 columns by 1000 rows, 2000000 cells"))
        << table.error.toStdString();
    EXPECT_TRUE(table.error.contains("at most 1000000 cells"));

    // A count below 1 still makes one column of the grid.
    EXPECT_FALSE(readTable("0\r\n1000001\r\n").countsRead);
    EXPECT_FALSE(readTable("2147483647\r\n2147483647\r\n").countsRead);

    table = readTable("1000\r\n1000\r\n");
    EXPECT_TRUE(table.countsRead) << table.error.toStdString();
    EXPECT_EQ(table.cells.size(), 1000);
}

TEST(TableFile, LineLongerThanOneMegabyteStopsTheReadKeepingTheCellsBeforeIt)
{
    const QByteArray fits(TableFile::MaxLineBytes, 'a');
    Read table = readTable("2\r\n1\r\n" + fits + "\r\nB\r\n");
    ASSERT_TRUE(table.cellsRead) << table.error.toStdString();
    EXPECT_EQ(table.cells.at(0).at(0).size(), TableFile::MaxLineBytes);

    const QByteArray tooLong(TableFile::MaxLineBytes + 1, 'a');
    table = readTable("3\r\n1\r\nfirst\r\n" + tooLong + "\r\nlast\r\n");
    ASSERT_TRUE(table.countsRead);
    EXPECT_FALSE(table.cellsRead);
    EXPECT_EQ(table.error,
              "Line 4 of the table file, at byte 13, is longer than 1 MB (1048576 bytes).");
    const TableFile::Columns partial{{"first"}, {""}, {""}};
    EXPECT_EQ(table.cells, partial);
}

TEST(TableFile, RandomAndTruncatedInputEndsWithATableOrAnError)
{
    const QByteArray good = fixture("windows1252.txt");
    for (int cut = 0; cut < good.size(); ++cut) {
        const Read table = readTable(good.left(cut));
        EXPECT_TRUE(table.cellsRead || !table.error.isEmpty()) << cut;
    }
    QRandomGenerator random(7);
    for (int round = 0; round < 300; ++round) {
        QByteArray bytes(int(random.bounded(200)), '\0');
        for (char& b : bytes)
            b = char(random.bounded(256));
        if (round % 2)
            bytes.prepend(QByteArray::number(random.bounded(-3, 40)) + "\r\n" +
                          QByteArray::number(random.bounded(-3, 40)) + "\r\n");
        const Read table = readTable(bytes);
        EXPECT_TRUE(table.cellsRead || !table.error.isEmpty());
        if (table.countsRead) {
            EXPECT_EQ(table.cells.size(), std::max(table.columns, 1));
            for (const QStringList& column : table.cells)
                EXPECT_EQ(column.size(), std::max(table.rows, 1));
        }
    }
}

TEST(TableFile, SaveReplacesTheWholeFileOrSaysWhyNot)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("Pumptable.txt");
    QString error;
    ASSERT_TRUE(TableFile::save(path, TableFile::emptyColumns(7, 5), 5, &error))
        << error.toStdString();
    ASSERT_TRUE(TableFile::save(path, {{"", "Bolt", "Nut"}, {"Qty", "12", "30"}}, 3, &error));
    EXPECT_EQ(readFile(path), fixture("example-2x3.txt"));

    const QString inMissingFolder = dir.filePath("Gone/Gonetable.txt");
    EXPECT_FALSE(TableFile::save(inMissingFolder, {{"x"}}, 1, &error));
    EXPECT_EQ(error, "Invalid filename\nThe table file " +
                         QDir::toNativeSeparators(inMissingFolder) + " cannot be written.");
    EXPECT_FALSE(QFile::exists(inMissingFolder));

    ASSERT_TRUE(QDir(dir.path()).mkdir("Folder"));
    EXPECT_FALSE(TableFile::save(dir.filePath("Folder"), {{"x"}}, 1, &error));
    EXPECT_TRUE(error.startsWith("File access denied\n")) << error.toStdString();
}

TEST(TableFile, ReadOnlyTableFileIsNotReplaced)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("Locked.txt");
    QString error;
    ASSERT_TRUE(TableFile::save(path, {{"kept"}}, 1, &error));
    ASSERT_TRUE(QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::ReadGroup));
    if (QFileInfo(path).isWritable())
        GTEST_SKIP() << "running with rights that write read-only files";
    EXPECT_FALSE(TableFile::save(path, {{"new"}}, 1, &error));
    EXPECT_TRUE(error.startsWith("File access denied\n"));
    EXPECT_EQ(readFile(path), "1\r\n1\r\nkept\r\n");
    EXPECT_FALSE(TableFile::copy(path, path, &error));
}

TEST(TableFile, CopyReplacesTheTargetWithTheSourceBytes)
{
    QTemporaryDir dir;
    const QString source = dir.filePath("defaulttable.txt");
    const QString target = dir.filePath("Pumptable.txt");
    QString error;
    ASSERT_TRUE(TableFile::save(source, {{"", "Bolt", "Nut"}, {"Qty", "12", "30"}}, 3, &error));
    ASSERT_TRUE(TableFile::save(target, {{"old"}}, 1, &error));
    EXPECT_TRUE(TableFile::copy(source, target, &error)) << error.toStdString();
    EXPECT_EQ(readFile(target), fixture("example-2x3.txt"));

    EXPECT_FALSE(TableFile::copy(dir.filePath("none.txt"), target, &error));
    EXPECT_TRUE(error.contains("none.txt"));
    EXPECT_FALSE(TableFile::copy(source, dir.filePath("Gone/x.txt"), &error));
    EXPECT_TRUE(error.startsWith("Invalid filename\n"));
}
