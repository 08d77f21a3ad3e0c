#include "ProgramFixture.h"

#include "board/LabelOffset.h"
#include "notes/Obiect.h"
#include "support/BoardInput.h"

class Mouse : public ProgramFixture {
protected:
    void SetUp() override
    {
        openProject();
        newObject(QStringLiteral("Pump"));
        newObject(QStringLiteral("Valve"), QPoint(700, 500));
        setRoundingMode(RoundingMode::NearestEven);
        pump = boardModel().shapeNamed("Shape1");
        valve = boardModel().shapeNamed("Shape2");
    }
    ObjectShape* pump = nullptr;
    ObjectShape* valve = nullptr;
};

TEST_F(Mouse, DraggingMovesShapeAndCaptionTogetherWithThePointerConfined)
{
    const QPoint labelBefore = boardModel().labelNamed("Label1")->pos();
    const QPoint shapeBefore = pump->pos();
    fake.pointer.at = QPoint(600, 600);
    form().ShapeMouseDown(pump, Qt::LeftButton, Qt::LeftButton);
    ASSERT_TRUE(fake.pointer.confined.has_value());
    const QRect outer = form().frameGeometry();
    EXPECT_EQ(*fake.pointer.confined, QRect(QPoint(outer.left() + 10, outer.top() + 75),
                                            QPoint(outer.right() - 10, outer.bottom() - 10)));

    fake.pointer.at = QPoint(650, 580);
    // The element under the pointer does not matter: the current object moves.
    form().ShapeMouseMove(valve, Qt::LeftButton);
    EXPECT_EQ(pump->pos(), shapeBefore + QPoint(50, -20));
    EXPECT_EQ(boardModel().labelNamed("Label1")->pos(), labelBefore + QPoint(50, -20));
    EXPECT_EQ(valve->pos(), QPoint(645, 395));

    form().ShapeMouseUp(pump, Qt::LeftButton);
    EXPECT_FALSE(fake.pointer.confined.has_value());

    // Moves without the left button move nothing.
    fake.pointer.at = QPoint(0, 0);
    form().ShapeMouseMove(pump, Qt::NoButton);
    EXPECT_EQ(pump->pos(), shapeBefore + QPoint(50, -20));
}

TEST_F(Mouse, ADoublePressOpensTheObjectsNote)
{
    form().Timer2Timer();
    form().ShapeMouseDown(pump, Qt::LeftButton, Qt::LeftButton);
    form().ShapeMouseUp(pump, Qt::LeftButton);
    EXPECT_EQ(NoteWindow(), nullptr) << "a single press opens nothing";

    // The second press comes before the timer ticks: 200 ms after the release.
    form().ShapeMouseDown(pump, Qt::LeftButton, Qt::LeftButton);
    form().ShapeMouseUp(pump, Qt::LeftButton);
    ASSERT_NE(NoteWindow(), nullptr);
    EXPECT_EQ(NoteWindow()->windowTitle(), "Pump");
    ASSERT_TRUE(CloseNoteWindow());

    // The second press comes after the timer ticked: 400 ms after the release.
    form().Timer2Timer();
    form().ShapeMouseDown(valve, Qt::LeftButton, Qt::LeftButton);
    EXPECT_EQ(NoteWindow(), nullptr);
    form().ShapeMouseUp(valve, Qt::LeftButton);
}

TEST_F(Mouse, APressWithinOneTimerPeriodOfAReleaseIsADoublePress)
{
    form().Timer2Timer();
    EXPECT_FALSE(form().RecentRelease);
    form().ShapeMouseUp(pump, Qt::LeftButton);
    EXPECT_TRUE(form().RecentRelease);
    EXPECT_TRUE(form().Timer2->isActive());
    EXPECT_EQ(form().Timer2->interval(), 300);
    // Before the timer ticks (a press 200 ms later) the press is a double press;
    // after it (400 ms later) it is not.
    EXPECT_TRUE(form().RecentRelease);
    form().Timer2Timer();
    EXPECT_FALSE(form().RecentRelease);
    EXPECT_FALSE(form().Timer2->isActive());
}

TEST_F(Mouse, RightPressMakesTheObjectCurrentAndOpensItsMenu)
{
    form().CurrentShape = valve;
    fake.pointer.at = QPoint(300, 300);
    form().ShapeMouseDown(pump, Qt::RightButton, Qt::RightButton);
    EXPECT_EQ(form().CurrentShape, pump);
    EXPECT_EQ(form().CurrentLabel, boardModel().labelNamed("Label1"));
    EXPECT_TRUE(form().PopupMenu1->isVisible());
    EXPECT_FALSE(fake.pointer.confined.has_value());
    form().PopupMenu1->hide();

    // A middle press confines the pointer and changes nothing else.
    const QPoint before = pump->pos();
    form().ShapeMouseDown(valve, Qt::MiddleButton, Qt::MiddleButton);
    EXPECT_TRUE(fake.pointer.confined.has_value());
    EXPECT_EQ(pump->pos(), before);
}

TEST_F(Mouse, FolderOpensTheObjectsFolderOrSaysItIsMissing)
{
    form().ShapeMouseDown(pump, Qt::RightButton, Qt::RightButton);
    form().PopupMenu1->hide();
    form().Folder1Click();
    EXPECT_EQ(fake.shell.opened, QStringList{projectFile("Pump")});
    EXPECT_TRUE(fake.dialogs.messages.isEmpty());

    // With no program to open folders, the user learns which folder to open.
    fake.shell.result = false;
    form().Folder1Click();
    EXPECT_EQ(fake.dialogs.messages,
              QStringList{"No program on this computer could open \"" + projectFile("Pump") +
                          "\". Please open it by hand."});
    fake.dialogs.messages.clear();

    QDir(projectFile("Pump")).removeRecursively();
    form().Folder1Click();
    EXPECT_EQ(fake.dialogs.messages, QStringList{"Can not open " + projectFile("Pump") +
                                                 ".  File folder does not exist!"});
}

TEST_F(Mouse, RemoveAsksAndLeavesEveryFileSoANewObjectFindsItsNoteAgain)
{
    QFile note(projectFile("Pump/Pump.rtf"));
    ASSERT_TRUE(note.open(QIODevice::WriteOnly));
    note.write("{\\rtf1 kept}");
    note.close();

    form().ShapeMouseDown(pump, Qt::RightButton, Qt::RightButton);
    form().PopupMenu1->hide();
    fake.dialogs.confirmAnswers = {false, true};
    form().Delete1Click();
    EXPECT_EQ(boardModel().shapes().size(), 2);
    form().Delete1Click();
    EXPECT_EQ(fake.dialogs.questions, QStringList(2, "Do You realy want do delate object?"));
    EXPECT_EQ(boardModel().shapes().size(), 1);
    EXPECT_EQ(boardModel().labelWithCaption("Pump"), nullptr);
    EXPECT_EQ(form().CurrentShape, nullptr);

    newObject(QStringLiteral("Pump"));
    EXPECT_EQ(boardModel().labelWithCaption("Pump")->objectName(), "Label1");
    EXPECT_EQ(readAll(projectFile("Pump/Pump.rtf")), "{\\rtf1 kept}");
}

TEST_F(Mouse, TheBoardComesBackAsLeftAfterARestart)
{
    fake.pointer.at = QPoint(600, 600);
    form().ShapeMouseDown(valve, Qt::LeftButton, Qt::LeftButton);
    fake.pointer.at = QPoint(420, 510);
    form().ShapeMouseMove(valve, Qt::LeftButton);
    form().ShapeMouseUp(valve, Qt::LeftButton);
    const QRect valveAt = valve->geometry();
    const QRect captionAt = boardModel().labelNamed("Label2")->geometry();
    ASSERT_TRUE(form().close());

    program.reset();
    start();
    form().Timer1Timer();
    ASSERT_EQ(boardModel().shapes().size(), 2);
    EXPECT_EQ(boardModel().shapeNamed("Shape2")->geometry(), valveAt);
    EXPECT_EQ(boardModel().labelNamed("Label2")->geometry(), captionAt);
    EXPECT_EQ(boardModel().labelNamed("Label2")->caption(), "Valve");
}

// Presses given through the board's view, where a user gives them; the
// pointer the handlers read is moved with them.
class MouseThroughTheView : public Mouse {
protected:
    void pressAt(BoardElement* element, Qt::MouseButton button, QPoint inside = QPoint(2, 2))
    {
        fake.pointer.at = form().board().globalPoint(element->pos() + inside);
        BoardInput::press(element, button, inside);
    }
    void moveTo(const QPoint& global)
    {
        fake.pointer.at = global;
        QTest::mouseMove(board().viewport(), board().viewport()->mapFromGlobal(global));
    }
};

TEST_F(MouseThroughTheView, ADragFollowsThePointerAtAnyZoom)
{
    ObjectLabel* caption = boardModel().labelOf(pump);
    const QPoint shapeBefore = pump->pos();
    const QPoint captionBefore = caption->pos();
    pressAt(pump, Qt::LeftButton);
    moveTo(fake.pointer.at + QPoint(50, -20));
    QTest::mouseRelease(board().viewport(), Qt::LeftButton);
    EXPECT_EQ(pump->pos(), shapeBefore + QPoint(50, -20));
    EXPECT_EQ(caption->pos(), captionBefore + QPoint(50, -20));

    // At 200 % the same pointer way is half as long on the board.
    board().setZoom(2.0, QPoint(0, 0));
    pressAt(pump, Qt::LeftButton);
    moveTo(fake.pointer.at + QPoint(50, -20));
    QTest::mouseRelease(board().viewport(), Qt::LeftButton);
    EXPECT_EQ(pump->pos(), shapeBefore + QPoint(75, -30));
    EXPECT_EQ(caption->pos(), captionBefore + QPoint(75, -30));
}

TEST_F(MouseThroughTheView, ARightPressOnACaptionIsNoPressOnTheBoard)
{
    pressAt(boardModel().labelOf(valve), Qt::RightButton);
    QTest::mouseRelease(board().viewport(), Qt::RightButton);
    EXPECT_FALSE(form().PopupMenu2->isVisible());
    EXPECT_FALSE(form().PopupMenu1->isVisible());
    EXPECT_EQ(form().CurrentShape, valve) << "the current object stays";
}

TEST_F(MouseThroughTheView, ACaptionWhoseShapeIsMissingCanStillBeRemoved)
{
    ObjectLabel* orphan = boardModel().labelOf(valve);
    delete valve;
    pressAt(orphan, Qt::RightButton);
    QTest::mouseRelease(board().viewport(), Qt::RightButton);
    ASSERT_TRUE(form().PopupMenu1->isVisible());
    form().PopupMenu1->hide();
    EXPECT_EQ(form().CurrentLabel, orphan);
    fake.dialogs.confirmAnswers = {true};
    form().Delete1Click();
    EXPECT_EQ(boardModel().labelWithCaption("Valve"), nullptr);
    EXPECT_EQ(boardModel().labels().size(), 1);
}

TEST_F(MouseThroughTheView, ANewObjectLandsWhereTheSameClickLandsAtTheDefaultView)
{
    const QPoint click = board().viewport()->mapToGlobal(QPoint(600, 500));
    const QPoint atDefault = board().boardPoint(click);
    board().setZoom(2.0, QPoint(0, 0));
    ASSERT_NE(board().boardPoint(click), atDefault);
    newObject(QStringLiteral("Tank"), click);
    ObjectShape* tank = boardModel().shapeOf(boardModel().labelWithCaption("Tank"));
    ASSERT_NE(tank, nullptr);
    // Relative to the board point under the click, the object stands where the
    // default view puts it.
    const QPoint atDefaultFromClick = click - QPoint(55, 105) - atDefault;
    EXPECT_EQ(tank->pos() - board().boardPoint(click), atDefaultFromClick);
}

TEST_F(MouseThroughTheView, TheAlarmBlinkReachesItsObjectByName)
{
    fake.clock.current.setTime(QTime(9, 30, 1));
    EXPECT_EQ(form().hatchedObjectNames(), QSet<QString>());
    form().blinkAlarmObject(QStringLiteral("Valve"));
    EXPECT_TRUE(form().isHatched(*valve));
    EXPECT_FALSE(form().isHatched(*pump));
    // The alarm check asks which objects a clearing would turn solid.
    EXPECT_EQ(form().hatchedObjectNames(), QSet<QString>{"Valve"});
    pump->setBrushStyle(BrushStyle::BDiagonal); // as a board file may store it
    EXPECT_EQ(form().hatchedObjectNames(), (QSet<QString>{"Valve", "Pump"}));
    form().clearAlarmBlink(QStringLiteral("Pump"));
    fake.clock.current.setTime(QTime(9, 30, 2));
    form().blinkAlarmObject(QStringLiteral("Valve"));
    EXPECT_FALSE(form().isHatched(*valve));
    fake.clock.current.setTime(QTime(9, 30, 3));
    form().blinkAlarmObject(QStringLiteral("Valve"));
    form().clearAlarmBlink(QStringLiteral("Valve"));
    EXPECT_FALSE(form().isHatched(*valve));
    EXPECT_EQ(form().hatchedObjectNames(), QSet<QString>());
}
