// The whole program killed as `kill -9` kills it, a moment after edits of
// every kind: the project reopened holds each edit, and every file reads
// whole. The program runs in a child copy of this test binary, which edits a
// copy of the sample project and then waits to be killed.
#include "WindowsFixture.h"
#include "support/Files.h"

#include "formats/Ini.h"
#include "formats/RichText.h"
#include "notes/StatusButtons.h"

#include <QProcess>
#include <QTextDocument>
#include <QTextEdit>
#include <iostream>

namespace {

const char* const ProjectVariable = "VEXORIN_CRASH_PROJECT";
const QByteArray EditsDone = "edits done: ";

using Crash = WindowsFixture;

// Started only by the test below, which kills it once it says it is done.
TEST_F(Crash, DISABLED_EditsOfEveryKindThenWaitForTheKill)
{
    const QString folder = qEnvironmentVariable(ProjectVariable);
    ASSERT_FALSE(folder.isEmpty());
    fake.dialogs.folderAnswers = {folder};
    form().Open1Click();
    ASSERT_EQ(form().project().folder(), folder);

    drag(QStringLiteral("Pump 1"), 40, -30);
    newObject(QStringLiteral("Filter"), QPoint(300, 300));
    rightPress(QStringLiteral("Gate"));
    fake.dialogs.confirmAnswers = {true};
    form().Delete1Click();

    TForm2* note = doublePress(QStringLiteral("Boiler"));
    ASSERT_NE(note, nullptr);
    ASSERT_FALSE(note->statusButtons().isEmpty());
    TStatusButton* status = note->statusButtons()[0];
    note->StatusStamp(status);
    QTest::keyClicks(note->RichEdit1, QStringLiteral("Valve seat replaced"));

    rightPress(QStringLiteral("Tank A"));
    form().able1->trigger();
    TObjectTable* table = TObjectTable::find(form().project().tableFile(QStringLiteral("Tank A")));
    ASSERT_NE(table, nullptr);
    pressCell(table, 1, 1);
    QTest::keyClicks(table->StringGrid1->cellEditor(), QStringLiteral("leaking"));

    std::cout << EditsDone.constData() << status->color() << ' '
              << fake.platform.settingsFolder.toStdString() << std::endl;
    QTest::qWait(120'000); // killed long before
    ADD_FAILURE() << "not killed";
}

TEST_F(Crash, EveryEditSurvivesAKillAMomentAfterIt)
{
    copyTree(QStringLiteral(VEXORIN_EXAMPLES "/Plant"), projectDir.path());
    QFile::remove(projectFile("Alarm.dat")); // no alarm comes due while the child runs
    const int dotsPerInch = fake.platform.desktop.dotsPerInch();
    const BoardOnDisk before(projectDir.path(), dotsPerInch);
    ASSERT_TRUE(before.whole) << before.error.toStdString();
    ASSERT_NE(before.shape(QStringLiteral("Pump 1")), nullptr);
    ASSERT_NE(before.shape(QStringLiteral("Gate")), nullptr);

    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QString::fromLatin1(ProjectVariable), projectDir.path());
    child.setProcessEnvironment(environment);
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--gtest_filter=Crash.DISABLED_EditsOfEveryKindThenWaitForTheKill"),
                 QStringLiteral("--gtest_also_run_disabled_tests")});
    QByteArray output;
    const bool done = QTest::qWaitFor(
        [&] {
            output += child.readAllStandardOutput();
            return output.contains(EditsDone) || child.state() == QProcess::NotRunning;
        },
        120'000);
    ASSERT_TRUE(done && output.contains(EditsDone))
        << output.toStdString() << child.readAllStandardError().toStdString();
    // Past the longest wait of a save as you go (the note's and the table's
    // two seconds), then killed without a chance to save.
    QTest::qWait(3'000);
    child.kill();
    ASSERT_TRUE(child.waitForFinished(10'000));
    EXPECT_EQ(child.exitStatus(), QProcess::CrashExit);

    const QList<QByteArray> said =
        output.mid(output.indexOf(EditsDone) + EditsDone.size()).trimmed().split(' ');
    ASSERT_GE(said.size(), 2);
    const quint32 statusColor = said[0].toUInt();
    const QString childSettings = QString::fromLocal8Bit(said.mid(1).join(' '));

    // The board: the move, the new object and the removal, with the status
    // colour; both files whole.
    const BoardOnDisk after(projectDir.path(), dotsPerInch);
    EXPECT_TRUE(after.whole) << after.error.toStdString();
    ASSERT_NE(after.shape(QStringLiteral("Pump 1")), nullptr);
    EXPECT_EQ(after.shape(QStringLiteral("Pump 1"))->geometry(),
              before.shape(QStringLiteral("Pump 1"))->geometry().translated(40, -30));
    EXPECT_NE(after.shape(QStringLiteral("Filter")), nullptr);
    EXPECT_EQ(after.shape(QStringLiteral("Gate")), nullptr);
    ASSERT_NE(after.shape(QStringLiteral("Boiler")), nullptr);
    EXPECT_EQ(after.shape(QStringLiteral("Boiler"))->brushColor(), statusColor);

    // The note and the table as typed, each readable whole.
    QTextDocument note;
    EXPECT_TRUE(RichText::readFile(projectFile("Boiler/Boiler.rtf"), &note));
    EXPECT_TRUE(note.toPlainText().contains("Valve seat replaced"))
        << note.toPlainText().toStdString();
    QFile tableFile(projectFile("Tank A/Tank Atable.txt"));
    ASSERT_TRUE(tableFile.open(QIODevice::ReadOnly));
    TableFile::Reader table(tableFile);
    int columns = 0;
    int rows = 0;
    TableFile::Columns cells;
    EXPECT_TRUE(table.readColumnCount(&columns) && table.readRowCount(columns, &rows) &&
                table.readCells(columns, rows, &cells))
        << table.errorString().toStdString();
    ASSERT_GE(cells.size(), 2);
    ASSERT_GE(cells[1].size(), 2);
    EXPECT_EQ(cells[1][1], "leaking");

    // The next start opens this project, although the program never closed.
    EXPECT_EQ(Ini::readString(childSettings + QStringLiteral("pathforini.ini"),
                              QStringLiteral("Form1"), QStringLiteral("pathforini"), QString()),
              projectDir.path());
    QDir(childSettings).removeRecursively();

    // And the program opens it without a word.
    fake.dialogs.folderAnswers = {projectDir.path()};
    form().Open1Click();
    EXPECT_TRUE(fake.dialogs.errors.isEmpty()) << fake.dialogs.errors.join('\n').toStdString();
    EXPECT_TRUE(fake.dialogs.messages.isEmpty()) << fake.dialogs.messages.join('\n').toStdString();
    EXPECT_EQ(boardModel().labels().size(), before.model.labels().size());
}

} // namespace
