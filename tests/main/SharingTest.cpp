#include "WindowsFixture.h"

#include "platform/SaveSoon.h"
#include "project/BoardCommands.h"
#include "project/Presence.h"
#include "support/BoardFiles.h"
#include "support/Files.h"

#include <QDateEdit>
#include <QProcess>
#include <QTextEdit>
#include <QUndoStack>
#include <QThread>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// Writes both board files of a board, as another copy of the program saves them.
void writeBoard(const QString& folder, const BoardModel& board)
{
    QByteArray shapes;
    QByteArray labels;
    QString error;
    ASSERT_TRUE(BoardRecords::shapeFileBytes(board, &shapes, &error));
    ASSERT_TRUE(BoardRecords::labelFileBytes(board, 96, &labels, &error));
    ASSERT_TRUE(BoardRecords::saveFile(ProjectFiles::inFolder(folder, ProjectFiles::Shapes), shapes,
                                       &error));
    ASSERT_TRUE(BoardRecords::saveFile(ProjectFiles::inFolder(folder, ProjectFiles::Captions),
                                       labels, &error));
}

void writePresence(const QString& folder, const QString& user, const QString& host, qint64 pid)
{
    writeAll(
        QDir(folder).filePath(".vexorin-open-" + user + "@" + host),
        QStringLiteral("[Open]\r\nuser=%1\r\nhost=%2\r\npid=%3\r\nsince=2026-12-08T08:15:00\r\n")
            .arg(user, host)
            .arg(pid)
            .toUtf8());
}

} // namespace

class Sharing : public WindowsFixture {
protected:
    void SetUp() override { makeProject(projectDir.path()); }

    void makeProject(const QString& folder)
    {
        writeAll(ProjectFiles::inFolder(folder, ProjectFiles::FormSettings),
                 "[formname]\r\nformname=Plant\r\n");
        BoardModel board;
        addObject(board, 1, QStringLiteral("Boiler"));
        addObject(board, 2, QStringLiteral("Tank A"));
        writeBoard(folder, board);
    }

    void open(const QString& folder)
    {
        fake.dialogs.folderAnswers = {folder};
        form().Open1Click();
    }

    // Another copy of the program changes the board files.
    void otherCopyChanges(const QString& folder, const std::function<void(BoardModel&)>& change)
    {
        BoardOnDisk disk(folder);
        ASSERT_TRUE(disk.whole) << disk.error.toStdString();
        change(disk.model);
        writeBoard(folder, disk.model);
    }

    // A move made here, as a finished drag leaves it.
    void moveHere(const QString& caption, int x, int y)
    {
        ObjectShape* shape = shapeOf(caption);
        ASSERT_NE(shape, nullptr);
        const QList<ElementState> before = statesOf({shape});
        shape->move(x, y);
        pushEditSince(form().undoStack(), boardModel(), QStringLiteral("move"), before);
    }

    static void moveThere(BoardModel& board, const QString& caption, int x, int y)
    {
        board.shapeOf(board.labelWithCaption(caption))->move(x, y);
    }
};

TEST_F(Sharing, ASecondCopyIsToldWhoHoldsTheProjectAndChoosesHowToOpenIt)
{
    writePresence(projectDir.path(), "ana", "other-pc", 4242);
    fake.processes.running = 2; // and a copy of its own on this computer

    fake.dialogs.chooseAnswers = {2};
    open(projectDir.path());
    ASSERT_EQ(fake.dialogs.choiceTexts.size(), 1);
    EXPECT_TRUE(fake.dialogs.choiceTexts[0].contains("ana on other-pc"));
    EXPECT_EQ(fake.dialogs.choiceLists[0],
              (QStringList{"Open anyway", "Open read-only", "Cancel"}));
    EXPECT_FALSE(form().project().isOpen());

    // Open anyway, the default: the count of running copies no longer ends it.
    fake.dialogs.chooseAnswers = {0};
    open(projectDir.path());
    ASSERT_TRUE(form().project().isOpen());
    EXPECT_FALSE(form().isTerminating());
    EXPECT_FALSE(form().windowTitle().contains("read-only"));
    const QString mine = form().presenceFile();
    ASSERT_TRUE(QFile::exists(mine));
    EXPECT_TRUE(readAll(mine).contains(QByteArray::number(QCoreApplication::applicationPid())));

    // Leaving the project takes this copy's presence away, not the other's.
    ASSERT_TRUE(form().close());
    EXPECT_FALSE(QFile::exists(mine));
    EXPECT_TRUE(QFile::exists(projectDir.filePath(".vexorin-open-ana@other-pc")));
}

TEST_F(Sharing, AProjectOpenedReadOnlyIsNeverWrittenTo)
{
    writePresence(projectDir.path(), "ana", "other-pc", 4242);
    const QMap<QString, QByteArray> before = filesUnder(projectDir.path());
    fake.dialogs.chooseAnswers = {1};
    open(projectDir.path());
    ASSERT_TRUE(form().project().isReadOnly());
    EXPECT_TRUE(form().windowTitle().endsWith("(read-only)"));
    EXPECT_TRUE(form().presenceFile().isEmpty());
    EXPECT_EQ(QDir(projectDir.path()).entryList({".vexorin-open-*"}, QDir::Files | QDir::Hidden),
              QStringList{".vexorin-open-ana@other-pc"});
    ASSERT_NE(shapeOf("Boiler"), nullptr);

    // Moves, a note typed, a table cell and an alarm are held in memory only.
    moveHere("Boiler", 300, 300);
    form().BoardSaving->saveNow();
    TForm2* note = doublePress("Boiler");
    ASSERT_NE(note, nullptr);
    QTest::keyClicks(note->RichEdit1, "typed");
    note->NoteSaving->fire();
    fake.dialogs.messages.clear();
    form().New2Click();
    EXPECT_EQ(fake.dialogs.messages,
              QStringList{"This project is open read-only: no object can be added."});
    ASSERT_TRUE(form().close());

    EXPECT_EQ(filesUnder(projectDir.path()), before);
    EXPECT_FALSE(QFile::exists(form().lastProjectFile()));
}

TEST_F(Sharing, APresenceLeftByAProcessGoneOnThisComputerIsRemovedUnasked)
{
    // No process has a number beyond the system's largest (4,194,304 at most).
    writePresence(projectDir.path(), Presence::localUser(), Presence::localHost(), 999999999);
    // A copy killed a moment ago and not yet reaped by its parent (a zombie)
    // has ended too.
    const pid_t ended = fork();
    if (ended == 0)
        _exit(0);
    ASSERT_GT(ended, 0);
    QThread::msleep(100);
    writePresence(projectDir.path(), Presence::localUser() + "2", Presence::localHost(), ended);

    open(projectDir.path());
    waitpid(ended, nullptr, 0);
    EXPECT_TRUE(fake.dialogs.choiceTexts.isEmpty());
    ASSERT_TRUE(form().project().isOpen());
    const QStringList presences =
        QDir(projectDir.path()).entryList({".vexorin-open-*"}, QDir::Files | QDir::Hidden);
    EXPECT_EQ(presences, QStringList{QFileInfo(form().presenceFile()).fileName()});

    // A switch leaves the old folder without a presence of this copy.
    QTemporaryDir next;
    makeProject(next.path());
    open(next.path());
    EXPECT_TRUE(QDir(projectDir.path())
                    .entryList({".vexorin-open-*"}, QDir::Files | QDir::Hidden)
                    .isEmpty());
}

TEST_F(Sharing, TheOtherCopysBoardEditsComeInAndNoEditIsLostAtTheSave)
{
    open(projectDir.path());
    ASSERT_TRUE(form().project().isOpen());
    moveHere("Boiler", 500, 400);

    // While an object is dragged here, nothing moves under the pointer.
    otherCopyChanges(projectDir.path(), [](BoardModel& board) {
        moveThere(board, "Tank A", 700, 100);
        addObject(board, 3, "Pump");
    });
    fake.pointer.at = QPoint(600, 600);
    form().ShapeMouseDown(shapeOf("Boiler"), Qt::LeftButton, Qt::LeftButton);
    form().project().sharedFiles().checkNow();
    EXPECT_EQ(shapeOf("Pump"), nullptr);
    form().ShapeMouseUp(shapeOf("Boiler"), Qt::LeftButton);
    ASSERT_NE(shapeOf("Pump"), nullptr);
    EXPECT_EQ(shapeOf("Tank A")->pos(), QPoint(700, 100));
    EXPECT_EQ(shapeOf("Boiler")->pos(), QPoint(500, 400));

    // Both move Boiler before the next save: this copy's move stands, and is named.
    otherCopyChanges(projectDir.path(), [](BoardModel& board) {
        moveThere(board, "Boiler", 1, 1);
        moveThere(board, "Pump", 900, 50);
    });
    moveHere("Boiler", 510, 410);
    form().BoardSaving->saveNow();
    EXPECT_TRUE(form().lastNotice().contains("Boiler")) << form().lastNotice().toStdString();
    const BoardOnDisk saved(projectDir.path());
    ASSERT_TRUE(saved.whole);
    EXPECT_EQ(saved.shape("Boiler")->pos(), QPoint(510, 410));
    EXPECT_EQ(saved.shape("Tank A")->pos(), QPoint(700, 100));
    EXPECT_EQ(saved.shape("Pump")->pos(), QPoint(900, 50));
    EXPECT_EQ(saved.model.shapeCount(), 3);
    EXPECT_EQ(saved.model.labelCount(), 3);
}

TEST_F(Sharing, AFolderMadeReadOnlyKeepsEveryChangeAndTakesThemWhenWritableAgain)
{
    // Root writes into any folder whatever its mode: a file system of its own.
    QTemporaryDir base;
    const QString disk = base.filePath("disk");
    QDir().mkdir(disk);
    const bool root = geteuid() == 0;
    if (root && QProcess::execute("mount", {"-t", "tmpfs", "-o", "size=512k", "tmpfs", disk}) != 0)
        GTEST_SKIP() << "cannot mount a small file system here";
    const auto cleanup = qScopeGuard([&] {
        program.reset();
        if (root)
            QProcess::execute("umount", {disk});
    });
    const auto setWritable = [&](bool writable) {
        if (root)
            ASSERT_EQ(
                QProcess::execute("mount", {"-o", writable ? "remount,rw" : "remount,ro", disk}),
                0);
        else
            ASSERT_TRUE(QFile::setPermissions(
                disk, writable ? QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner
                               : QFile::ReadOwner | QFile::ExeOwner));
    };
    makeProject(disk);
    open(disk);
    ASSERT_TRUE(form().project().isOpen());

    setWritable(false);
    moveHere("Boiler", 321, 123);
    form().BoardSaving->saveNow();
    moveHere("Tank A", 222, 111);
    form().BoardSaving->saveNow();
    EXPECT_EQ(fake.dialogs.errors.size(), 1) << "told once";
    EXPECT_TRUE(form().BoardSaving->isPending()) << "tried again without a new change";
    EXPECT_EQ(shapeOf("Boiler")->pos(), QPoint(321, 123));

    setWritable(true);
    form().BoardSaving->saveNow();
    EXPECT_EQ(fake.dialogs.errors.size(), 1);
    EXPECT_FALSE(form().BoardSaving->isPending());
    EXPECT_TRUE(form().lastNotice().contains("saved again"));
    const BoardOnDisk saved(disk);
    ASSERT_TRUE(saved.whole);
    EXPECT_EQ(saved.shape("Boiler")->pos(), QPoint(321, 123));
    EXPECT_EQ(saved.shape("Tank A")->pos(), QPoint(222, 111));
}

TEST_F(Sharing, AnAlarmListAnotherCopyStartsWhileThisOneHasNoneIsKeptBesideAtTheSave)
{
    open(projectDir.path());
    ASSERT_TRUE(form().project().isOpen());
    ASSERT_FALSE(QFile::exists(projectFile("Alarm.dat")));
    addAlarm("Boiler", [](TfAddEditAlarm& dialog) { dialog.dtpStartDate->setDate({2031, 1, 1}); });

    // Meanwhile the other copy writes the project's first alarm list.
    const QByteArray theirs = "1-Tank+A-01.02.203110:00:00-1-Hours--0-\r\n";
    writeAll(projectFile("Alarm.dat"), theirs);
    ASSERT_TRUE(program->alarmSettings.SaveAlarms());

    EXPECT_TRUE(readAll(projectFile("Alarm.dat")).contains("Boiler"));
    const QStringList copies =
        QDir(projectDir.path()).entryList({QStringLiteral("Alarm (conflict *).dat")}, QDir::Files);
    ASSERT_EQ(copies.size(), 1) << "theirs was written over";
    EXPECT_EQ(readAll(projectFile(copies[0])), theirs);
    EXPECT_TRUE(form().lastNotice().contains(copies[0])) << form().lastNotice().toStdString();
}
