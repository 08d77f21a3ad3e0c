#include "WindowsFixture.h"

#include "project/BoardModel.h"
#include "project/BoardRecords.h"
#include "formats/Ini.h"
#include "platform/SaveSoon.h"
#include "support/Files.h"

#include <QUndoStack>

namespace {

class BoardSaveAsYouGo : public WindowsFixture {
protected:
    void SetUp() override
    {
        openProject();
        newObject(QStringLiteral("Pump"));
        newObject(QStringLiteral("Valve"), QPoint(700, 500));
    }

    // Waits for the save as you go to run, as the event loop runs it.
    void waitForSave()
    {
        ASSERT_TRUE(form().BoardSaving->isPending()) << "no save is due";
        QTRY_VERIFY_WITH_TIMEOUT(!form().BoardSaving->isPending(), TForm1::BoardSaveIdleMs + 2000);
    }

    QRect savedPlaceOf(const QString& caption)
    {
        const BoardOnDisk disk(projectDir.path());
        EXPECT_TRUE(disk.whole);
        const ObjectShape* shape = disk.shape(caption);
        return shape ? shape->geometry() : QRect();
    }
};

TEST_F(BoardSaveAsYouGo, EveryFinishedEditAndItsUndoReachTheFilesWithTheProgramStillRunning)
{
    waitForSave();
    EXPECT_EQ(savedPlaceOf(QStringLiteral("Valve")), shapeOf(QStringLiteral("Valve"))->geometry());

    const QRect before = shapeOf(QStringLiteral("Pump"))->geometry();
    fake.pointer.at = QPoint(600, 600);
    form().ShapeMouseDown(shapeOf(QStringLiteral("Pump")), Qt::LeftButton, Qt::LeftButton);
    fake.pointer.at = QPoint(640, 570);
    form().ShapeMouseMove(shapeOf(QStringLiteral("Pump")), Qt::LeftButton);
    EXPECT_FALSE(form().BoardSaving->isPending()) << "a drag under way is not saved";
    form().ShapeMouseUp(shapeOf(QStringLiteral("Pump")), Qt::LeftButton);
    waitForSave();
    EXPECT_EQ(savedPlaceOf(QStringLiteral("Pump")), before.translated(40, -30));

    form().Undo1->trigger();
    waitForSave();
    EXPECT_EQ(savedPlaceOf(QStringLiteral("Pump")), before);

    rightPress(QStringLiteral("Pump"));
    fake.dialogs.confirmAnswers = {true};
    form().Delete1Click();
    waitForSave();
    EXPECT_EQ(BoardOnDisk(projectDir.path()).model.labelWithCaption(QStringLiteral("Pump")),
              nullptr);
    EXPECT_TRUE(fake.dialogs.errors.isEmpty());
}

TEST_F(BoardSaveAsYouGo, OpeningAProjectRemembersItAndRewritesNothing)
{
    waitForSave();
    ASSERT_TRUE(form().SaveProject());
    QTemporaryDir other;
    for (const char* name : {"fStreamShape.txt", "fStreamLabel.txt", "iniformsettings.ini"})
        ASSERT_TRUE(QFile::copy(projectFile(name), other.filePath(name)));
    const QByteArray shapes = readAll(other.filePath("fStreamShape.txt"));
    fake.dialogs.folderAnswers = {other.path()};
    form().Open1Click();
    ASSERT_EQ(shapeOf(QStringLiteral("Pump"))->objectName(), "Shape1");
    // The project opened is the one the next start opens, even after a
    // crash, and what was read is not written back.
    EXPECT_TRUE(readAll(form().lastProjectFile())
                    .contains(QDir::toNativeSeparators(other.path()).toUtf8()));
    EXPECT_FALSE(form().BoardSaving->isPending());
    EXPECT_EQ(readAll(other.filePath("fStreamShape.txt")), shapes);
}

// The files are written in the background from the board as it was when the
// save began; what changes meanwhile is neither lost nor written half.
TEST_F(BoardSaveAsYouGo, EditsWhileTheFilesAreWrittenInTheBackgroundAreSavedAfter)
{
    waitForSave();
    const QRect start = shapeOf(QStringLiteral("Pump"))->geometry();
    shapeOf(QStringLiteral("Pump"))->move(start.topLeft() + QPoint(5, 0));
    form().BoardSaving->fire();
    ASSERT_TRUE(form().BoardSaving->isRunning()) << "the board was written on this thread";
    shapeOf(QStringLiteral("Pump"))->move(start.topLeft() + QPoint(9, 0));
    form().BoardSaving->changed();
    // The timer runs out while the first write still runs: the second waits for it.
    form().BoardSaving->fire();
    QTRY_VERIFY_WITH_TIMEOUT(!form().BoardSaving->isPending(), TForm1::BoardSaveIdleMs + 2000);
    EXPECT_EQ(savedPlaceOf(QStringLiteral("Pump")).topLeft(), start.topLeft() + QPoint(9, 0));

    // A close while a write runs leaves the newest board, whichever ends last.
    shapeOf(QStringLiteral("Pump"))->move(start.topLeft() + QPoint(20, 0));
    form().BoardSaving->fire();
    shapeOf(QStringLiteral("Pump"))->move(start.topLeft() + QPoint(30, 0));
    ASSERT_TRUE(form().SaveShapes());
    QTest::qWait(50);
    EXPECT_EQ(savedPlaceOf(QStringLiteral("Pump")).topLeft(), start.topLeft() + QPoint(30, 0));
    EXPECT_TRUE(fake.dialogs.errors.isEmpty()) << fake.dialogs.errors.join('\n').toStdString();
}

TEST_F(BoardSaveAsYouGo, AFileThatCannotBeWrittenIsSaidOnceAndSavedWhenItCanBe)
{
    waitForSave();
    // A folder where the shape file's new copy would go blocks the write.
    QFile::remove(projectFile("fStreamShape.txt"));
    ASSERT_TRUE(QDir().mkdir(projectFile("fStreamShape.txt")));
    for (int i = 0; i < 2; ++i) {
        form().Undo1->trigger();
        waitForSave();
    }
    EXPECT_EQ(fake.dialogs.errors.size(), 1) << fake.dialogs.errors.join('\n').toStdString();
    ASSERT_TRUE(QDir().rmdir(projectFile("fStreamShape.txt")));
    form().Redo1->trigger();
    waitForSave();
    EXPECT_TRUE(BoardOnDisk(projectDir.path()).whole);
    EXPECT_EQ(BoardOnDisk(projectDir.path()).model.shapes().size(), 1);
}

TEST_F(BoardSaveAsYouGo, ANewBackgroundAndItsUndoReachTheSettingsFile)
{
    waitForSave();
    const auto storedBackground = [&] {
        return Ini::readString(projectFile("iniformsettings.ini"), QStringLiteral("_global_"),
                               QStringLiteral("bitmapfile"), QStringLiteral("<none>"));
    };
    saveBitmap(projectFile("plan.bmp"), 40, 30);
    fake.dialogs.pictureAnswers = {projectFile("plan.bmp")};
    form().Backgroundlayout1Click();
    waitForSave();
    EXPECT_EQ(storedBackground(), projectFile("plan.bmp"));

    form().Undo1->trigger();
    waitForSave();
    EXPECT_EQ(storedBackground(), "");
    EXPECT_TRUE(fake.dialogs.errors.isEmpty()) << fake.dialogs.errors.join('\n').toStdString();
}

} // namespace
