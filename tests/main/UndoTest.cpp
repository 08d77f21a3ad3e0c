#include "WindowsFixture.h"

#include "notes/StatusButtons.h"
#include "platform/ColorRef.h"
#include "support/Files.h"

#include <QMenuBar>
#include <QUndoStack>

namespace {

class Undo : public WindowsFixture {
protected:
    void SetUp() override
    {
        openProject();
        newObject(QStringLiteral("Pump 1"));
        newObject(QStringLiteral("Valve"), QPoint(700, 500));
    }

    QUndoStack& stack() { return form().undoStack(); }
    QString undoText() const { return program->form1.Undo1->text(); }
    QString redoText() const { return program->form1.Redo1->text(); }

    QRect placeOf(const QString& caption)
    {
        ObjectShape* shape = shapeOf(caption);
        return shape ? shape->geometry() : QRect();
    }
};

TEST_F(Undo, TheEditMenuFollowsFileAndNamesEachStep)
{
    const QList<QAction*> menus = form().menuBar()->actions();
    ASSERT_GE(menus.size(), 2);
    EXPECT_EQ(menus[0]->text(), "FILE");
    EXPECT_EQ(menus[1]->text(), "EDIT");
    EXPECT_EQ(form().Undo1->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Z));
    EXPECT_TRUE(form().Redo1->shortcuts().contains(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)));
    EXPECT_TRUE(form().Redo1->shortcuts().contains(QKeySequence(Qt::CTRL | Qt::Key_Y)));

    EXPECT_EQ(undoText(), "Undo new object Valve");
    drag(QStringLiteral("Pump 1"), 40, -30);
    EXPECT_EQ(undoText(), "Undo move of Pump 1");
    form().Undo1->trigger();
    EXPECT_EQ(redoText(), "Redo move of Pump 1");
}

TEST_F(Undo, ADragIsOneStepHoweverManyMovesItTook)
{
    const QRect before = placeOf(QStringLiteral("Pump 1"));
    const QRect captionBefore = boardModel().labelWithCaption(QStringLiteral("Pump 1"))->geometry();
    const int steps = stack().count();
    drag(QStringLiteral("Pump 1"), 40, -30, 12);
    EXPECT_EQ(stack().count(), steps + 1);
    const QRect after = placeOf(QStringLiteral("Pump 1"));
    EXPECT_EQ(after, before.translated(40, -30));

    form().Undo1->trigger();
    EXPECT_EQ(placeOf(QStringLiteral("Pump 1")), before);
    EXPECT_EQ(boardModel().labelWithCaption(QStringLiteral("Pump 1"))->geometry(), captionBefore);
    form().Redo1->trigger();
    EXPECT_EQ(placeOf(QStringLiteral("Pump 1")), after);

    // A press and release without a move is no step.
    drag(QStringLiteral("Valve"), 0, 0);
    EXPECT_EQ(stack().count(), steps + 1);
}

TEST_F(Undo, UndoingARemovalBringsTheObjectBackWithItsNoteTableAndAlarm)
{
    addAlarm(QStringLiteral("Pump 1"),
             [](TfAddEditAlarm& dialog) { dialog.spDuration->setValue(2); });
    writeAll(projectFile("Pump 1/Pump 1.rtf"), "{\\rtf1 kept}");
    const QByteArray table = readAll(projectFile("Pump 1/Pump 1.txt"));
    const QRect place = placeOf(QStringLiteral("Pump 1"));
    const quint32 fill = shapeOf(QStringLiteral("Pump 1"))->brushColor();

    rightPress(QStringLiteral("Pump 1"));
    fake.dialogs.confirmAnswers = {true};
    form().Delete1Click();
    ASSERT_EQ(shapeOf(QStringLiteral("Pump 1")), nullptr);
    EXPECT_EQ(undoText(), "Undo removal of Pump 1");

    form().Undo1->trigger();
    ObjectShape* back = shapeOf(QStringLiteral("Pump 1"));
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->geometry(), place);
    EXPECT_EQ(back->brushColor(), fill);
    EXPECT_EQ(back->objectName(), "Shape1");
    EXPECT_EQ(boardModel().labelOf(back)->caption(), "Pump 1");
    // Drawn where it stood in the creation order: below Valve, made after it.
    EXPECT_LT(back->sequence(), shapeOf(QStringLiteral("Valve"))->sequence());
    EXPECT_EQ(readAll(projectFile("Pump 1/Pump 1.rtf")), "{\\rtf1 kept}");
    EXPECT_EQ(readAll(projectFile("Pump 1/Pump 1.txt")), table);
    EXPECT_TRUE(program->alarmSettings.names().contains(QStringLiteral("Pump 1")));

    // The note opens on the object brought back.
    TForm2* note = doublePress(QStringLiteral("Pump 1"));
    ASSERT_NE(note, nullptr);
    EXPECT_EQ(note->windowTitle(), "Pump 1");
    note->close();

    form().Redo1->trigger();
    EXPECT_EQ(shapeOf(QStringLiteral("Pump 1")), nullptr);
}

TEST_F(Undo, UndoingANewObjectTakesItOffTheBoardAndLeavesItsFolder)
{
    form().Undo1->trigger();
    EXPECT_EQ(shapeOf(QStringLiteral("Valve")), nullptr);
    EXPECT_EQ(boardModel().labels().size(), 1);
    EXPECT_TRUE(QFileInfo(projectFile("Valve/Valve.rtf")).isFile());
    form().Redo1->trigger();
    ASSERT_NE(shapeOf(QStringLiteral("Valve")), nullptr);
    EXPECT_EQ(shapeOf(QStringLiteral("Valve"))->brushColor(), ColorRef::Green);
}

TEST_F(Undo, UndoingANewBackgroundShowsThePictureBefore)
{
    saveBitmap(projectFile("plan.bmp"), 40, 30);
    saveBitmap(projectFile("site.bmp"), 20, 10);
    for (const char* picture : {"plan.bmp", "site.bmp"}) {
        fake.dialogs.pictureAnswers = {projectFile(picture)};
        form().Backgroundlayout1Click();
    }
    ASSERT_EQ(board().background().size(), QSize(20, 10));
    EXPECT_EQ(undoText(), "Undo new background");
    form().Undo1->trigger();
    EXPECT_EQ(board().background().size(), QSize(40, 30));
    EXPECT_EQ(form().project().background(), projectFile("plan.bmp"));
    form().Undo1->trigger();
    EXPECT_FALSE(board().hasBackground());
    form().Redo1->trigger();
    EXPECT_EQ(board().background().size(), QSize(40, 30));
}

TEST_F(Undo, StepsOutliveASaveAndTheStackEmptiesAtASwitch)
{
    const QRect before = placeOf(QStringLiteral("Pump 1"));
    drag(QStringLiteral("Pump 1"), 40, -30);
    ASSERT_TRUE(form().SaveProject());
    form().Undo1->trigger();
    EXPECT_EQ(placeOf(QStringLiteral("Pump 1")), before);
    // What the undo left is what the board files then hold.
    ASSERT_TRUE(form().SaveProject());
    restart();
    EXPECT_EQ(placeOf(QStringLiteral("Pump 1")), before);
    EXPECT_EQ(stack().count(), 0) << "a started program has nothing to undo";
    drag(QStringLiteral("Pump 1"), 10, 10);
    form().Undo1->trigger();
    EXPECT_EQ(placeOf(QStringLiteral("Pump 1")), before);

    drag(QStringLiteral("Pump 1"), 10, 10);
    ASSERT_GT(stack().count(), 0);
    QTemporaryDir other;
    fake.dialogs.folderAnswers = {other.path()};
    fake.dialogs.confirmAnswers = {true};
    fake.dialogs.inputAnswers = {QStringLiteral("Other")};
    form().Open1Click();
    ASSERT_TRUE(form().windowTitle().contains(QDir::toNativeSeparators(other.path())));
    EXPECT_EQ(stack().count(), 0);
    EXPECT_FALSE(form().Undo1->isEnabled());
}

TEST_F(Undo, AStatusStampRecoloursItsObjectInOneStepThatUndoes)
{
    const quint32 before = shapeOf(QStringLiteral("Pump 1"))->brushColor();
    TForm2* note = doublePress(QStringLiteral("Pump 1"));
    ASSERT_NE(note, nullptr);
    newStatus(note, QStringLiteral("Worn"), QColor(0, 0, 255));
    ASSERT_EQ(note->statusButtons().size(), 1);
    const int steps = stack().count();

    note->StatusStamp(note->statusButtons()[0]);
    EXPECT_EQ(shapeOf(QStringLiteral("Pump 1"))->brushColor(),
              ColorRef::fromQColor(QColor(0, 0, 255)));
    EXPECT_EQ(stack().count(), steps + 1);
    EXPECT_EQ(undoText(), "Undo status of Pump 1");

    form().Undo1->trigger();
    EXPECT_EQ(shapeOf(QStringLiteral("Pump 1"))->brushColor(), before);
    form().Redo1->trigger();
    EXPECT_EQ(shapeOf(QStringLiteral("Pump 1"))->brushColor(),
              ColorRef::fromQColor(QColor(0, 0, 255)));
}

} // namespace
