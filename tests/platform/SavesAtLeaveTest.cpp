#include "platform/Dialogs.h"
#include "support/FakePlatform.h"
#include "support/Files.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// Saves that write their text to a file, failing while their folder is
// "broken"; each counts its settling.
struct Saves {
    explicit Saves(const QStringList& paths)
    {
        for (const QString& path : paths) {
            const QString text = QFileInfo(path).fileName() + " holds this";
            list.append({[this, text](const QString& file, QString* error) {
                             ++writes;
                             if (broken.contains(QFileInfo(file).absolutePath())) {
                                 *error = "Cannot write " + QDir::toNativeSeparators(file) +
                                          ": No space left on device";
                                 return false;
                             }
                             writeAll(file, text.toUtf8());
                             return true;
                         },
                         path,
                         QFileInfo(path).fileName() + " is lost.",
                         "*",
                         {},
                         [this, path](SaveOutcome outcome) {
                             settled.append({path, outcome});
                         }});
        }
    }
    QList<SaveAtLeave> list;
    QStringList broken;
    int writes = 0;
    QList<QPair<QString, SaveOutcome>> settled;
};

} // namespace

TEST(SavesAtLeave, EveryFileIsTriedBeforeOneBoxListsThoseThatFailed)
{
    QTemporaryDir full, fine;
    Saves saves({full.filePath("Alarm.dat"), fine.filePath("pathforini.ini"),
                 full.filePath("fStreamShape.txt"), full.filePath("fStreamLabel.txt")});
    saves.broken = {full.path()};
    TestDialogs dialogs;
    dialogs.failedSaveAnswers = {{FailedSaveChoice::Stay, {}}};
    const QList<SaveOutcome> outcomes = saveAllOrAsk(dialogs, saves.list);

    EXPECT_EQ(saves.writes, 4);
    ASSERT_EQ(dialogs.failedSaves.size(), 1) << "one box for every file that failed";
    const QList<FailedFile>& files = dialogs.failedSaves[0].files;
    ASSERT_EQ(files.size(), 3);
    EXPECT_EQ(files[0].path, QDir::toNativeSeparators(full.filePath("Alarm.dat")));
    EXPECT_EQ(files[0].lost, "Alarm.dat is lost.");
    EXPECT_TRUE(files[1].error.contains("fStreamShape.txt: No space left"))
        << files[1].error.toStdString();
    EXPECT_EQ(files[2].path, QDir::toNativeSeparators(full.filePath("fStreamLabel.txt")));
    EXPECT_EQ(outcomes, (QList<SaveOutcome>{SaveOutcome::Stayed, SaveOutcome::Saved,
                                            SaveOutcome::Stayed, SaveOutcome::Stayed}));
    EXPECT_FALSE(mayLeave(outcomes));
    EXPECT_EQ(saves.settled.size(), 1) << "only the file written is settled when the user stays";
}

TEST(SavesAtLeave, TryAgainWritesWhatStillFailsAndAsksOnlyAboutTheRest)
{
    QTemporaryDir first, second;
    Saves saves({first.filePath("a.txt"), second.filePath("b.txt")});
    saves.broken = {first.path(), second.path()};
    TestDialogs dialogs;
    int boxes = 0;
    dialogs.failedSaveAnswerer = [&](const TestDialogs::FailedSave& box) {
        ++boxes;
        if (boxes == 1) {
            EXPECT_EQ(box.files.size(), 2);
            saves.broken.removeOne(first.path()); // the user makes room on one disk
            return FailedSaveAnswer{FailedSaveChoice::TryAgain, {}};
        }
        EXPECT_EQ(box.files.size(), 1);
        EXPECT_EQ(box.files.value(0).path, QDir::toNativeSeparators(second.filePath("b.txt")));
        return FailedSaveAnswer{FailedSaveChoice::LeaveUnsaved, {}};
    };
    const QList<SaveOutcome> outcomes = saveAllOrAsk(dialogs, saves.list);
    EXPECT_EQ(boxes, 2);
    EXPECT_EQ(outcomes, (QList<SaveOutcome>{SaveOutcome::Saved, SaveOutcome::LeftUnsaved}));
    EXPECT_TRUE(mayLeave(outcomes));
    EXPECT_EQ(readAll(first.filePath("a.txt")), "a.txt holds this");
    EXPECT_FALSE(QFile::exists(second.filePath("b.txt")));
    EXPECT_EQ(saves.settled.size(), 2);
}

TEST(SavesAtLeave, SavingSeveralElsewhereWritesEachIntoTheFolderUnderItsOwnName)
{
    QTemporaryDir project, rescue;
    QDir(project.path()).mkdir("default");
    // An object named "default" has a table of the same name as the project's
    // default table: the second gets a name of its own.
    Saves saves({project.filePath("defaulttable.txt"), project.filePath("default/defaulttable.txt"),
                 project.filePath("Alarm.dat")});
    saves.broken = {project.path(), project.filePath("default")};
    writeAll(rescue.filePath("Alarm.dat"), "an older rescue");
    TestDialogs dialogs;
    // A folder that already holds one of the files: replaced only when the user agrees.
    dialogs.failedSaveAnswers = {{FailedSaveChoice::SaveElsewhere, rescue.path()},
                                 {FailedSaveChoice::SaveElsewhere, rescue.path()}};
    dialogs.confirmAnswers = {false, true};
    const QList<SaveOutcome> outcomes = saveAllOrAsk(dialogs, saves.list);
    EXPECT_EQ(dialogs.failedSaves.size(), 2) << "declining to replace returns to the box";
    ASSERT_EQ(dialogs.questions.size(), 2);
    EXPECT_EQ(dialogs.questions[0], "The folder " + QDir::toNativeSeparators(rescue.path()) +
                                        " already holds Alarm.dat.\nDo you want to replace it?");
    EXPECT_EQ(outcomes, QList<SaveOutcome>(3, SaveOutcome::SavedElsewhere));
    EXPECT_EQ(readAll(rescue.filePath("defaulttable.txt")), "defaulttable.txt holds this");
    EXPECT_EQ(readAll(rescue.filePath("defaulttable (2).txt")), "defaulttable.txt holds this");
    EXPECT_EQ(readAll(rescue.filePath("Alarm.dat")), "Alarm.dat holds this");
    EXPECT_EQ(QDir(rescue.path()).entryList(QDir::Files).size(), 3);
}

TEST(SavesAtLeave, FilesThatFailElsewhereTooAreAskedAboutAgainUnderTheirOwnPlace)
{
    QTemporaryDir project, rescue;
    Saves saves({project.filePath("a.txt"), project.filePath("b.txt")});
    QDir(rescue.path()).mkdir("full");
    saves.broken = {project.path(), rescue.filePath("full")};
    TestDialogs dialogs;
    int boxes = 0;
    dialogs.failedSaveAnswerer = [&](const TestDialogs::FailedSave& box) -> FailedSaveAnswer {
        if (++boxes == 1)
            return {FailedSaveChoice::SaveElsewhere, rescue.filePath("full")};
        EXPECT_EQ(box.files.size(), 2);
        EXPECT_TRUE(
            box.files[0].error.contains(QDir::toNativeSeparators(rescue.filePath("full/a.txt"))))
            << box.files[0].error.toStdString();
        EXPECT_EQ(box.files[0].path, QDir::toNativeSeparators(project.filePath("a.txt")))
            << "the box names where the file belongs";
        saves.broken.removeOne(project.path());
        return {FailedSaveChoice::TryAgain, {}};
    };
    const QList<SaveOutcome> outcomes = saveAllOrAsk(dialogs, saves.list);
    EXPECT_EQ(boxes, 2);
    EXPECT_EQ(outcomes, QList<SaveOutcome>(2, SaveOutcome::Saved));
    EXPECT_EQ(readAll(project.filePath("b.txt")), "b.txt holds this");

    // One file: the answer is the file to write.
    Saves one({project.filePath("c.txt")});
    one.broken = {project.path()};
    TestDialogs single;
    single.failedSaveAnswers = {
        {FailedSaveChoice::SaveElsewhere, rescue.filePath("c rescued.txt")}};
    EXPECT_EQ(saveOrAsk(single, one.list[0]), SaveOutcome::SavedElsewhere);
    EXPECT_EQ(readAll(rescue.filePath("c rescued.txt")), "c.txt holds this");

    // A save that already failed is not tried before the box.
    Saves known({project.filePath("d.txt")});
    TestDialogs asked;
    asked.failedSaveAnswers = {{FailedSaveChoice::LeaveUnsaved, {}}};
    EXPECT_EQ(askAfterFailedSave(asked, known.list[0], "Can not write to d.txt"),
              SaveOutcome::LeftUnsaved);
    EXPECT_EQ(known.writes, 0);
    ASSERT_EQ(asked.failedSaves.size(), 1);
    EXPECT_EQ(asked.failedSaves[0].error, "Can not write to d.txt");
}
