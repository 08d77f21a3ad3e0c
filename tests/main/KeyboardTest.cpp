#include "WindowsFixture.h"

#include "board/BoardObjects.h"
#include "platform/SaveSoon.h"

#include <QUndoStack>

namespace {

// The board driven by keys alone, given where the focus is.
class Keyboard : public WindowsFixture {
protected:
    void SetUp() override
    {
        openProject();
        newObject(QStringLiteral("Pump"));
        newObject(QStringLiteral("Valve"), QPoint(700, 500));
        newObject(QStringLiteral("Tank"), QPoint(900, 300));
        form().Timer2Timer();
        form().activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&form()));
        board().setFocus(Qt::OtherFocusReason);
        form().CurrentShape = nullptr;
        form().CurrentLabel = nullptr;
    }

    void key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QWidget* focused = QApplication::focusWidget();
        ASSERT_NE(focused, nullptr);
        QTest::keyClick(focused, Qt::Key(key), modifiers);
    }

    QString current() const
    {
        const ObjectLabel* label = program->form1.CurrentLabel;
        return label ? label->caption() : QString();
    }

    QUndoStack& stack() { return form().undoStack(); }
};

TEST_F(Keyboard, TabAndShiftTabWalkTheVisibleObjectsInCreationOrderWithoutLeavingTheBoard)
{
    ASSERT_EQ(QApplication::focusWidget(), &board());
    EXPECT_EQ(board().focusPolicy(), Qt::StrongFocus);
    shapeOf(QStringLiteral("Valve"))->hide();
    const int steps = stack().count();

    key(Qt::Key_Tab);
    EXPECT_EQ(current(), "Pump");
    EXPECT_EQ(form().CurrentShape, shapeOf(QStringLiteral("Pump")));
    key(Qt::Key_Tab);
    EXPECT_EQ(current(), "Tank") << "a hidden object is passed over";
    key(Qt::Key_Tab);
    EXPECT_EQ(current(), "Pump") << "Tab goes round";
    key(Qt::Key_Tab, Qt::ShiftModifier);
    EXPECT_EQ(current(), "Tank");
    key(Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(current(), "Pump");
    EXPECT_EQ(QApplication::focusWidget(), &board());

    // The current object is framed, around shape and caption; the frame is
    // the view's: no step, nothing to save.
    const QRect frame = board().focusFrame();
    EXPECT_TRUE(frame.contains(shapeOf(QStringLiteral("Pump"))->geometry()));
    EXPECT_TRUE(frame.contains(boardModel().labelWithCaption(QStringLiteral("Pump"))->geometry()));
    EXPECT_EQ(stack().count(), steps);

    // A mouse press takes the frame away and keeps the mouse's ways.
    BoardInput::click(shapeOf(QStringLiteral("Tank")), Qt::LeftButton);
    form().Timer2Timer();
    EXPECT_EQ(current(), "Tank");
    EXPECT_TRUE(board().focusFrame().isNull());
    key(Qt::Key_Tab);
    EXPECT_EQ(current(), "Pump") << "Tab goes on from the object the mouse made current";

    key(Qt::Key_Escape);
    EXPECT_EQ(form().CurrentShape, nullptr);
    EXPECT_EQ(form().CurrentLabel, nullptr);
    EXPECT_TRUE(board().focusFrame().isNull());
    key(Qt::Key_Tab, Qt::ShiftModifier);
    EXPECT_EQ(current(), "Tank") << "from none Shift+Tab starts at the last";
}

TEST_F(Keyboard, ArrowsMoveTheCurrentObjectAndARunOfPressesIsOneStepSavedAsYouGo)
{
    key(Qt::Key_Tab);
    ObjectShape* pump = shapeOf(QStringLiteral("Pump"));
    ObjectLabel* caption = boardModel().labelOf(pump);
    const QPoint shapeAt = pump->pos();
    const QPoint captionAt = caption->pos();
    const int steps = stack().count();

    key(Qt::Key_Right);
    key(Qt::Key_Right);
    key(Qt::Key_Up);
    key(Qt::Key_Down, Qt::ShiftModifier);
    key(Qt::Key_Left, Qt::ShiftModifier);
    const QPoint moved(2 - 10, -1 + 10);
    EXPECT_EQ(pump->pos(), shapeAt + moved);
    EXPECT_EQ(caption->pos(), captionAt + moved);
    EXPECT_EQ(stack().count(), steps + 1);
    EXPECT_EQ(form().Undo1->text(), "Undo move of Pump");

    // The moves reach the board files as a drag does.
    ASSERT_TRUE(form().BoardSaving->isPending());
    QTRY_VERIFY_WITH_TIMEOUT(!form().BoardSaving->isPending(), TForm1::BoardSaveIdleMs + 2000);
    const BoardOnDisk disk(projectDir.path());
    ASSERT_TRUE(disk.whole) << disk.error.toStdString();
    EXPECT_EQ(disk.shape(QStringLiteral("Pump"))->pos(), shapeAt + moved);

    // A pause ends the run: the next press is a step of its own, and so is
    // a press on another object.
    form().KeyMoveTimer->setInterval(1);
    QTRY_VERIFY(!form().KeyMoveTimer->isActive());
    key(Qt::Key_Down);
    EXPECT_EQ(stack().count(), steps + 2);
    key(Qt::Key_Tab);
    key(Qt::Key_Left);
    EXPECT_EQ(stack().count(), steps + 3);
    EXPECT_EQ(form().Undo1->text(), "Undo move of Valve");

    form().Undo1->trigger();
    form().Undo1->trigger();
    EXPECT_EQ(pump->pos(), shapeAt + moved);
    form().Undo1->trigger();
    EXPECT_EQ(pump->pos(), shapeAt);
    EXPECT_EQ(caption->pos(), captionAt);

    // Without a current object the arrows move nothing.
    key(Qt::Key_Escape);
    key(Qt::Key_Right);
    EXPECT_EQ(pump->pos(), shapeAt);
}

TEST_F(Keyboard, EnterOpensTheNoteTheMenuKeysTheMenuAndDeleteAsksBeforeRemoving)
{
    key(Qt::Key_Tab);
    key(Qt::Key_Tab);
    ASSERT_EQ(current(), "Valve");
    key(Qt::Key_Return);
    ASSERT_NE(NoteWindow(), nullptr);
    EXPECT_EQ(NoteWindow()->windowTitle(), "Valve");
    ASSERT_TRUE(CloseNoteWindow());
    board().activateWindow();
    board().setFocus(Qt::OtherFocusReason);

    for (const auto& [menuKey, modifiers] :
         {std::pair{Qt::Key_Menu, Qt::NoModifier}, std::pair{Qt::Key_F10, Qt::ShiftModifier}}) {
        key(menuKey, modifiers);
        ASSERT_TRUE(form().PopupMenu1->isVisible());
        // At the object.
        // At the object, as far as the screen lets the menu be there.
        EXPECT_TRUE(board()
                        .globalArea(shapeOf(QStringLiteral("Valve")))
                        .intersects(form().PopupMenu1->geometry()));
        form().PopupMenu1->hide();
        board().setFocus(Qt::OtherFocusReason);
    }

    fake.dialogs.confirmAnswers = {false, true};
    key(Qt::Key_Delete);
    EXPECT_NE(shapeOf(QStringLiteral("Valve")), nullptr);
    key(Qt::Key_Delete);
    EXPECT_EQ(fake.dialogs.questions, QStringList(2, "Do You realy want do delate object?"));
    EXPECT_EQ(shapeOf(QStringLiteral("Valve")), nullptr);

    // The current object went with it: the keys find nothing to act on.
    EXPECT_EQ(form().CurrentShape, nullptr);
    EXPECT_EQ(board().currentObject(), nullptr);
    EXPECT_TRUE(board().focusFrame().isNull());
    key(Qt::Key_Delete);
    key(Qt::Key_Return);
    EXPECT_EQ(fake.dialogs.questions.size(), 2);
    EXPECT_EQ(NoteWindow(), nullptr);
    EXPECT_EQ(board().objects().count(), 2);
    // With no current object the menu key opens the board's menu, for New Object.
    key(Qt::Key_Menu);
    EXPECT_TRUE(form().PopupMenu2->isVisible());
    EXPECT_FALSE(form().PopupMenu1->isVisible());
    form().PopupMenu2->hide();
    board().setFocus(Qt::OtherFocusReason);

    // Undone, the removal brings it back current.
    form().Undo1->trigger();
    ASSERT_NE(shapeOf(QStringLiteral("Valve")), nullptr);
    EXPECT_EQ(board().currentObject(), shapeOf(QStringLiteral("Valve")));
    key(Qt::Key_Tab);
    EXPECT_EQ(current(), "Tank");
}

} // namespace
