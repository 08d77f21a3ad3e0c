// Edited cells reach the table file a moment after the editing, while the
// window stays open; an unedited table is never written before its close.
#include "TableFixture.h"

#include "platform/SaveSoon.h"
#include "support/Files.h"

#include <QDateTime>
#include <QFileInfo>
#include <QTimer>

namespace {

using TableSaving = TableFixture;

QByteArray tableBytes(const TObjectTable* table)
{
    return TableFile::toBytes(table->StringGrid1->columns(), table->StringGrid1->rowCount());
}

TEST_F(TableSaving, EditedCellsAndRowsAreWrittenWholeWhileTheWindowStaysOpen)
{
    const QString file = addObject(1, QStringLiteral("Pump"));
    writeAll(file, fixture("builtin-7x5.txt"));
    TObjectTable* table = OpenTableWindow(fake.platform, file, QStringLiteral("Pump"));
    SaveSoon* saving = table->TableSaving;
    EXPECT_FALSE(saving->isPending()) << "reading the table is no edit";

    // Typed into a cell: after a pause, or at the latest after the longest
    // delay, the timer writes the table in the event loop.
    press(table, 2, 1);
    QTest::keyClicks(table->StringGrid1->cellEditor(), QStringLiteral("twelve"));
    ASSERT_TRUE(saving->isPending());
    EXPECT_EQ(saving->timer()->interval(), SaveSoon::IdleMs);
    EXPECT_EQ(readAll(file), fixture("builtin-7x5.txt"));
    fake.clock.elapsed += SaveSoon::LongestMs;
    QTest::keyClicks(table->StringGrid1->cellEditor(), QStringLiteral(" pcs"));
    EXPECT_EQ(saving->timer()->interval(), 0);
    EXPECT_TRUE(QTest::qWaitFor([&] { return readAll(file).contains("\r\ntwelve pcs\r\n"); },
                                SaveSoon::IdleMs / 2))
        << readAll(file).toStdString();
    EXPECT_EQ(readAll(file), tableBytes(table));
    EXPECT_FALSE(table->isEdited());
    EXPECT_TRUE(table->isVisible());
    EXPECT_EQ(QDir(projectDir.filePath("Pump")).entryList(QDir::Files),
              QStringList{"Pumptable.txt"});

    // Rows and cells changed through the commands are edits too.
    press(table, 1, 1);
    table->Insertrow1Click();
    ASSERT_TRUE(saving->isPending());
    saving->fire();
    EXPECT_TRUE(readAll(file).startsWith("7\r\n6\r\n"));
    fake.dialogs.inputAnswers = {QStringLiteral("Qty")};
    table->Inputtext1Click();
    saving->fire();
    EXPECT_EQ(readAll(file), tableBytes(table));
    EXPECT_TRUE(fake.dialogs.errors.isEmpty());
}

TEST_F(TableSaving, AnUneditedTableIsNotWrittenAndAReloadDropsThePendingSave)
{
    // Line feeds only: any rewrite would end the lines with CR LF.
    const QByteArray bytes = "3\n2\nA\nB\nC\n\n\n\n";
    const QString file = addObject(1, QStringLiteral("Pump"));
    writeAll(file, bytes);
    age(file);
    const QDateTime before = modified(file);
    TObjectTable* table = OpenTableWindow(fake.platform, file, QStringLiteral("Pump"));
    // Moving the cell editor hands the cells their own texts back: no edit.
    press(table, 1, 1);
    press(table, 2, 1);
    EXPECT_FALSE(table->isEdited());
    table->TableSaving->fire();
    EXPECT_EQ(readAll(file), bytes);

    // Typed, then the table read again from its file: nothing left to write.
    QTest::keyClicks(table->StringGrid1->cellEditor(), QStringLiteral("gone"));
    ASSERT_TRUE(table->TableSaving->isPending());
    fake.dialogs.confirmAnswers = {true};
    table->Resettodefoult1Click();
    EXPECT_FALSE(table->TableSaving->isPending());
    table->TableSaving->fire();
    EXPECT_EQ(readAll(file), bytes);
    EXPECT_EQ(modified(file), before);
}

TEST_F(TableSaving, ADamagedTableIsWrittenOnlyOnceItIsKeptAsideAndAFailedSaveSaysSoOnce)
{
    // Kept aside at the load: the first edit is written.
    const QString file = addObject(1, QStringLiteral("Pump"));
    writeAll(file, fixture("bad-count.txt"));
    TObjectTable* table = OpenTableWindow(fake.platform, file, QStringLiteral("Pump"));
    ASSERT_EQ(fake.dialogs.errors.size(), 1);
    table->TableSaving->fire();
    EXPECT_EQ(readAll(file), fixture("bad-count.txt"));
    press(table, 1, 1);
    QTest::keyClicks(table->StringGrid1->cellEditor(), QStringLiteral("mended"));
    table->TableSaving->fire();
    EXPECT_EQ(readAll(file), tableBytes(table));
    EXPECT_EQ(readAll(file + ".damaged"), fixture("bad-count.txt"));

    // Nowhere to write: said once, tried again at the next edit, and the
    // close still offers the choices of a failed save.
    ASSERT_TRUE(QFile::remove(file));
    ASSERT_TRUE(QDir(projectDir.path()).mkpath("Pump/Pumptable.txt"));
    QTest::keyClicks(table->StringGrid1->cellEditor(), QStringLiteral(" once"));
    table->TableSaving->fire();
    ASSERT_EQ(fake.dialogs.errors.size(), 2);
    EXPECT_TRUE(fake.dialogs.errors[1].contains(file)) << fake.dialogs.errors[1].toStdString();
    EXPECT_FALSE(table->TableSaving->isPending());
    QTest::keyClicks(table->StringGrid1->cellEditor(), QStringLiteral(" more"));
    ASSERT_TRUE(table->TableSaving->isPending());
    table->TableSaving->fire();
    EXPECT_EQ(fake.dialogs.errors.size(), 2);
    fake.dialogs.failedSaveAnswers = {{FailedSaveChoice::Stay, {}}};
    EXPECT_FALSE(table->close());
    EXPECT_EQ(fake.dialogs.failedSaves.size(), 1);
    EXPECT_EQ(table->StringGrid1->cell(1, 1), "mended once more");

    // A table file that cannot be read, and so cannot be kept aside, is
    // written over by nothing but the close.
    const QString valve = addObject(2, QStringLiteral("Valve"));
    ASSERT_TRUE(QDir(projectDir.path()).mkpath("Valve/Valvetable.txt"));
    TObjectTable* unreadable = OpenTableWindow(fake.platform, valve, QStringLiteral("Valve"));
    ASSERT_EQ(fake.dialogs.errors.size(), 3);
    press(unreadable, 1, 1);
    QTest::keyClicks(unreadable->StringGrid1->cellEditor(), QStringLiteral("typed"));
    ASSERT_TRUE(unreadable->isEdited());
    unreadable->TableSaving->fire();
    EXPECT_EQ(fake.dialogs.errors.size(), 3) << "no write was tried";
    EXPECT_TRUE(unreadable->isEdited());
}

} // namespace
