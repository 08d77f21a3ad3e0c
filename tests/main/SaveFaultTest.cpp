#include "WindowsFixture.h"

#include "alarms/AlarmFile.h"
#include "alarms/ThreadTimer.h"
#include "formats/RichText.h"
#include "support/Files.h"

#include <QProcess>
#include <QTextDocument>
#include <QTextEdit>

// Every place the program saves, against every way the file system can refuse:
// the save shows an error naming the folder, the window that saves stays open
// with the change in memory, the files on disk stay the old ones, whole; once
// the fault is gone the same close writes the change.

enum class SavePoint { Board, Note, Table, Alarms };
enum class Fault { FullDisk, ReadOnlyFolder, VanishedFolder };

namespace {

const char* nameOf(SavePoint point)
{
    switch (point) {
    case SavePoint::Board:
        return "Board";
    case SavePoint::Note:
        return "Note";
    case SavePoint::Table:
        return "Table";
    case SavePoint::Alarms:
        return "Alarms";
    }
    return "?";
}

const char* nameOf(Fault fault)
{
    switch (fault) {
    case Fault::FullDisk:
        return "FullDisk";
    case Fault::ReadOnlyFolder:
        return "ReadOnlyFolder";
    case Fault::VanishedFolder:
        return "VanishedFolder";
    }
    return "?";
}

} // namespace

class SaveFault : public WindowsFixture,
                  public ::testing::WithParamInterface<std::tuple<SavePoint, Fault>> {
protected:
    SavePoint point() const { return std::get<0>(GetParam()); }
    Fault fault() const { return std::get<1>(GetParam()); }

    void SetUp() override
    {
        // A full or read-only disk is a small file system of the test's own,
        // which needs root to mount; elsewhere those cases are skipped.
        disk = base.filePath("disk");
        QDir().mkdir(disk);
        if (fault() != Fault::VanishedFolder) {
            if (QProcess::execute("mount", {"-t", "tmpfs", "-o", "size=256k", "tmpfs", disk}) != 0)
                GTEST_SKIP() << "cannot mount a small file system here (needs root)";
            mounted = true;
        }
        project = disk + "/project";
        QDir().mkdir(project);
        openProject(QStringLiteral("Work"), project);
        setClock(QTime(9, 0, 0));

        // One object with a note, a table and an alarm, closed and started
        // again: the old files on disk are the program's own.
        form().Defaultobjecttable1->trigger();
        ASSERT_EQ(TObjectTable::windows().size(), 1);
        ASSERT_TRUE(TObjectTable::windows().first()->close());
        newObject(QStringLiteral("Pump"));
        TForm2* note = doublePress(QStringLiteral("Pump"));
        ASSERT_NE(note, nullptr);
        QTest::keyClicks(note->RichEdit1, QStringLiteral("Seal checked"));
        ASSERT_TRUE(note->close());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        TObjectTable* table = openTable();
        ASSERT_NE(table, nullptr);
        inputCell(table, 1, 1, QStringLiteral("12"));
        ASSERT_TRUE(table->close());
        addAlarm(QStringLiteral("Pump"),
                 [](TfAddEditAlarm& dialog) { dialog.spDuration->setValue(1); });
        ASSERT_TRUE(form().close());
        restart();
        ASSERT_NE(shapeOf(QStringLiteral("Pump")), nullptr);
        before = filesUnder(project);
        ASSERT_TRUE(before.contains("Pump/Pump.rtf") && before.contains("Alarm.dat"));
    }

    void TearDown() override
    {
        program.reset();
        TObjectTable::destroyAll();
        if (mounted)
            QProcess::execute("umount", {disk});
    }

    TObjectTable* openTable()
    {
        rightPress(QStringLiteral("Pump"));
        form().able1->trigger();
        return TObjectTable::find(form().project().tableFile("Pump"));
    }

    // The folder the save point writes into.
    QString folder() const
    {
        return point() == SavePoint::Note || point() == SavePoint::Table ? project + "/Pump"
                                                                         : project;
    }

    void breakDisk()
    {
        switch (fault()) {
        case Fault::FullDisk: {
            QFile filler(disk + "/filler");
            ASSERT_TRUE(filler.open(QIODevice::WriteOnly));
            const QByteArray block(4096, 'x');
            while (filler.write(block) == block.size() && filler.flush()) {
            }
            break;
        }
        case Fault::ReadOnlyFolder:
            ASSERT_EQ(QProcess::execute("mount", {"-o", "remount,ro", disk}), 0);
            break;
        case Fault::VanishedFolder:
            ASSERT_TRUE(QDir(folder()).removeRecursively());
            break;
        }
    }

    void mendDisk()
    {
        switch (fault()) {
        case Fault::FullDisk:
            ASSERT_TRUE(QFile::remove(disk + "/filler"));
            break;
        case Fault::ReadOnlyFolder:
            ASSERT_EQ(QProcess::execute("mount", {"-o", "remount,rw", disk}), 0);
            break;
        case Fault::VanishedFolder:
            ASSERT_TRUE(QDir().mkpath(folder()));
            break;
        }
    }

    // The change, made before the disk fails.
    void makeChange() { makeChange(point()); }
    void makeChange(SavePoint at)
    {
        switch (at) {
        case SavePoint::Board:
            shapeOf(QStringLiteral("Pump"))->move(123, 321);
            break;
        case SavePoint::Note:
            note = doublePress(QStringLiteral("Pump"));
            ASSERT_NE(note, nullptr);
            note->RichEdit1->moveCursor(QTextCursor::End);
            QTest::keyClicks(note->RichEdit1, QStringLiteral(" and greased"));
            break;
        case SavePoint::Table:
            table = openTable();
            ASSERT_NE(table, nullptr);
            inputCell(table, 2, 1, QStringLiteral("0,35"));
            break;
        case SavePoint::Alarms:
            addAlarm(QStringLiteral("Pump"),
                     [](TfAddEditAlarm& dialog) { dialog.spDuration->setValue(7); });
            break;
        }
    }

    // A close that leaves what it cannot write unsaved ends the program:
    // its windows are gone, the files on disk are the old ones.
    void closeLeavingUnsaved()
    {
        fake.dialogs.failedSaveAnswerer = [](const TestDialogs::FailedSave&) {
            return FailedSaveAnswer{FailedSaveChoice::LeaveUnsaved, {}};
        };
        EXPECT_TRUE(form().close());
        EXPECT_EQ(NoteWindow(), nullptr);
        EXPECT_TRUE(TObjectTable::windows().isEmpty());
        expectOldFilesWhole();
    }

    void expectOldFilesWhole()
    {
        if (fault() == Fault::VanishedFolder)
            return;
        const QMap<QString, QByteArray> after = filesUnder(project);
        EXPECT_EQ(after.keys(), before.keys());
        for (auto it = before.cbegin(); it != before.cend(); ++it)
            EXPECT_EQ(after.value(it.key()), it.value())
                << it.key().toStdString() << " is not the old file";
    }

    TForm2* note = nullptr;
    TObjectTable* table = nullptr;
    QTemporaryDir base;
    QString disk;
    QString project;
    bool mounted = false;
    QMap<QString, QByteArray> before;
};

TEST_P(SaveFault, ShowsAnErrorKeepsTheChangeAndTheOldFilesAndSavesOnceTheDiskIsBack)
{
    makeChange();
    auto changeIsKept = [&] {
        switch (point()) {
        case SavePoint::Board:
            EXPECT_EQ(shapeOf(QStringLiteral("Pump"))->pos(), QPoint(123, 321));
            break;
        case SavePoint::Note:
            ASSERT_EQ(NoteWindow(), note);
            EXPECT_TRUE(note->isVisible());
            EXPECT_TRUE(note->RichEdit1->toPlainText().endsWith(" and greased"));
            break;
        case SavePoint::Table:
            ASSERT_EQ(TObjectTable::windows(), QList<TObjectTable*>{table});
            EXPECT_TRUE(table->isVisible());
            EXPECT_EQ(table->StringGrid1->cell(2, 1), "0,35");
            break;
        case SavePoint::Alarms:
            ASSERT_EQ(program->alarmSettings.rowCount(), 2);
            EXPECT_EQ(program->alarmSettings.row(1).duration, "7");
            break;
        }
    };

    breakDisk();
    fake.dialogs.failedSaveAnswers = {{FailedSaveChoice::Stay, {}}, {FailedSaveChoice::Stay, {}}};
    bool saved = true;
    switch (point()) {
    case SavePoint::Board:
        saved = form().SaveProject();
        break;
    case SavePoint::Note:
        saved = note->close();
        break;
    case SavePoint::Table:
        saved = table->close();
        break;
    case SavePoint::Alarms:
        saved = form().close();
        break;
    }
    EXPECT_FALSE(saved);
    ASSERT_EQ(fake.dialogs.failedSaves.size(), 1);
    EXPECT_TRUE(fake.dialogs.failedSaves.last().error.contains(folder()))
        << fake.dialogs.failedSaves.last().error.toStdString();
    changeIsKept();

    // Closing the program is refused too, and the alarms go on being checked.
    EXPECT_FALSE(form().close());
    EXPECT_EQ(fake.dialogs.failedSaves.size(), 2);
    EXPECT_TRUE(form().isVisible());
    EXPECT_TRUE(program->alarmSettings.ThreadTimer->isRunning());
    changeIsKept();
    expectOldFilesWhole();

    mendDisk();
    ASSERT_TRUE(form().close());
    EXPECT_EQ(fake.dialogs.failedSaves.size(), 2);
    restart();
    switch (point()) {
    case SavePoint::Board:
        EXPECT_EQ(shapeOf(QStringLiteral("Pump"))->pos(), QPoint(123, 321));
        break;
    case SavePoint::Note:
        note = doublePress(QStringLiteral("Pump"));
        ASSERT_NE(note, nullptr);
        EXPECT_TRUE(note->RichEdit1->toPlainText().contains(" and greased"));
        break;
    case SavePoint::Table:
        table = openTable();
        ASSERT_NE(table, nullptr);
        EXPECT_EQ(table->StringGrid1->cell(2, 1), "0,35");
        break;
    case SavePoint::Alarms:
        ASSERT_EQ(program->alarmSettings.rowCount(), 2);
        EXPECT_EQ(program->alarmSettings.row(1).duration, "7");
        break;
    }
}

TEST_P(SaveFault, ClosingWithoutSavingEndsTheProgramAndKeepsTheOldFilesWhole)
{
    makeChange();
    breakDisk();
    closeLeavingUnsaved();
    EXPECT_FALSE(fake.dialogs.failedSaves.isEmpty());
}

TEST_P(SaveFault, SavingElsewhereKeepsTheChangeInTheChosenFileAndEndsTheProgram)
{
    makeChange();
    breakDisk();
    QTemporaryDir rescue;
    // One file goes to the file chosen, several into the folder chosen.
    fake.dialogs.failedSaveAnswerer = [&](const TestDialogs::FailedSave& failed) {
        return FailedSaveAnswer{FailedSaveChoice::SaveElsewhere,
                                failed.files.size() == 1
                                    ? rescue.filePath(QFileInfo(failed.suggestedFile).fileName())
                                    : rescue.path()};
    };
    EXPECT_TRUE(form().close());
    switch (point()) {
    case SavePoint::Board:
        EXPECT_TRUE(readAll(rescue.filePath("fStreamLabel.txt")).contains("Pump"));
        EXPECT_TRUE(QFile::exists(rescue.filePath("fStreamShape.txt")));
        break;
    case SavePoint::Note: {
        QTextDocument saved;
        ASSERT_TRUE(RichText::readFile(rescue.filePath("Pump.rtf"), &saved));
        EXPECT_TRUE(saved.toPlainText().contains("Seal checked"))
            << saved.toPlainText().toStdString();
        EXPECT_TRUE(saved.toPlainText().endsWith(" and greased"))
            << saved.toPlainText().toStdString();
        break;
    }
    case SavePoint::Table:
        EXPECT_TRUE(readAll(rescue.filePath("Pumptable.txt")).contains("0,35"));
        break;
    case SavePoint::Alarms: {
        AlarmFile alarms;
        ASSERT_TRUE(alarms.load(rescue.filePath("Alarm.dat")));
        ASSERT_EQ(alarms.rows().size(), 2);
        EXPECT_EQ(alarms.rows()[1].duration, "7");
        break;
    }
    }
    expectOldFilesWhole();
}

INSTANTIATE_TEST_SUITE_P(EverySavePoint, SaveFault,
                         ::testing::Combine(::testing::Values(SavePoint::Board, SavePoint::Note,
                                                              SavePoint::Table, SavePoint::Alarms),
                                            ::testing::Values(Fault::FullDisk,
                                                              Fault::ReadOnlyFolder,
                                                              Fault::VanishedFolder)),
                         [](const auto& info) {
                             return std::string(nameOf(std::get<0>(info.param))) + "On" +
                                    nameOf(std::get<1>(info.param));
                         });

// A close on a full disk with a change of every kind: the board moved, a note
// typed into its open window, a table cell typed, an alarm added. Every file
// that cannot be written is listed in one box, and each choice acts on all.
class SeveralFilesFailing : public SaveFault {
protected:
    void changeEverything()
    {
        for (const SavePoint at :
             {SavePoint::Board, SavePoint::Note, SavePoint::Table, SavePoint::Alarms}) {
            makeChange(at);
            if (HasFatalFailure())
                return;
        }
    }

    static QStringList fileNames(const TestDialogs::FailedSave& box)
    {
        QStringList names;
        for (const FailedFile& file : box.files)
            names << QFileInfo(file.path).fileName();
        return names;
    }

    const QStringList unwritable{"Pump.rtf",         "Alarm.dat",
                                 "Pumptable.txt",    "iniformsettings.ini",
                                 "fStreamShape.txt", "fStreamLabel.txt"};
};

TEST_P(SeveralFilesFailing, AClosePutsEveryFileItCannotWriteInOneBoxAndTriesThemAllAgain)
{
    changeEverything();
    breakDisk();
    fake.dialogs.failedSaveAnswers = {{FailedSaveChoice::Stay, {}}};
    EXPECT_FALSE(form().close());
    ASSERT_EQ(fake.dialogs.failedSaves.size(), 1);
    EXPECT_EQ(fileNames(fake.dialogs.failedSaves[0]), unwritable);
    for (const FailedFile& file : fake.dialogs.failedSaves[0].files)
        EXPECT_FALSE(file.lost.isEmpty()) << file.path.toStdString();
    // Staying closes nothing and keeps every change.
    EXPECT_EQ(NoteWindow(), note);
    EXPECT_TRUE(note->RichEdit1->document()->isModified());
    EXPECT_EQ(TObjectTable::windows(), QList<TObjectTable*>{table});
    EXPECT_TRUE(program->alarmSettings.ThreadTimer->isRunning());
    expectOldFilesWhole();

    // Room made while the box is up: trying again writes every file in its place.
    fake.dialogs.failedSaveAnswerer = [&](const TestDialogs::FailedSave& box) {
        EXPECT_EQ(fileNames(box), unwritable);
        mendDisk();
        return FailedSaveAnswer{FailedSaveChoice::TryAgain, {}};
    };
    EXPECT_TRUE(form().close());
    EXPECT_EQ(fake.dialogs.failedSaves.size(), 2);
    restart();
    EXPECT_EQ(shapeOf(QStringLiteral("Pump"))->pos(), QPoint(123, 321));
    EXPECT_TRUE(readAll(project + "/Pump/Pumptable.txt").contains("0,35"));
    ASSERT_EQ(program->alarmSettings.rowCount(), 2);
    note = doublePress(QStringLiteral("Pump"));
    ASSERT_NE(note, nullptr);
    EXPECT_TRUE(note->RichEdit1->toPlainText().contains(" and greased"))
        << note->RichEdit1->toPlainText().toStdString();
}

TEST_P(SeveralFilesFailing, SavingElsewhereWritesEveryFileIntoTheChosenFolderUnderItsOwnName)
{
    changeEverything();
    breakDisk();
    QTemporaryDir rescue;
    fake.dialogs.failedSaveAnswers = {{FailedSaveChoice::SaveElsewhere, rescue.path()}};
    EXPECT_TRUE(form().close());
    ASSERT_EQ(fake.dialogs.failedSaves.size(), 1);
    EXPECT_EQ(QDir(rescue.path()).entryList(QDir::Files, QDir::Name),
              (QStringList{"Alarm.dat", "Pump.rtf", "Pumptable.txt", "fStreamLabel.txt",
                           "fStreamShape.txt", "iniformsettings.ini"}));
    EXPECT_TRUE(readAll(rescue.filePath("Pumptable.txt")).contains("0,35"));
    EXPECT_TRUE(readAll(rescue.filePath("fStreamLabel.txt")).contains("Pump"));
    AlarmFile alarms;
    ASSERT_TRUE(alarms.load(rescue.filePath("Alarm.dat")));
    EXPECT_EQ(alarms.rows().size(), 2);
    EXPECT_EQ(NoteWindow(), nullptr);
    EXPECT_TRUE(TObjectTable::windows().isEmpty());
    expectOldFilesWhole();
}

TEST_P(SeveralFilesFailing, LeavingWithoutSavingLeavesEveryFileAsItWas)
{
    changeEverything();
    breakDisk();
    closeLeavingUnsaved();
    EXPECT_EQ(fake.dialogs.failedSaves.size(), 1);
}

TEST_P(SeveralFilesFailing, ASwitchToAnotherProjectAsksInOneBoxToo)
{
    changeEverything();
    QTemporaryDir other;
    writeAll(other.filePath("iniformsettings.ini"), "[formname]\r\nformname=Other\r\n");
    breakDisk();
    // FILE > Open closes the note window first, on its own; the rest goes together.
    fake.dialogs.failedSaveAnswers = {{FailedSaveChoice::LeaveUnsaved, {}},
                                      {FailedSaveChoice::Stay, {}}};
    fake.dialogs.folderAnswers = {other.path()};
    form().Open1Click();
    ASSERT_EQ(fake.dialogs.failedSaves.size(), 2);
    EXPECT_EQ(fileNames(fake.dialogs.failedSaves[0]), QStringList{"Pump.rtf"});
    EXPECT_EQ(fileNames(fake.dialogs.failedSaves[1]), unwritable.mid(1));
    EXPECT_EQ(form().project().folder(), project) << "staying keeps the project open";
    EXPECT_EQ(TObjectTable::windows(), QList<TObjectTable*>{table});
    expectOldFilesWhole();
}

INSTANTIATE_TEST_SUITE_P(OnAFullDisk, SeveralFilesFailing,
                         ::testing::Values(std::tuple(SavePoint::Board, Fault::FullDisk)));
