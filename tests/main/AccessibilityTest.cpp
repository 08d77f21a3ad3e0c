#include "WindowsFixture.h"

#include "board/BoardAccessibility.h"
#include "board/BoardObjects.h"

#include <QAccessible>
#include <QUndoStack>

namespace {

// The board as a screen reader sees it through Qt's accessibility tree.
class Accessibility : public WindowsFixture {
protected:
    void SetUp() override
    {
        openProject();
        // A named object is green: the status of that colour names it.
        QFile statuses(projectFile(ProjectFiles::Statuses));
        ASSERT_TRUE(statuses.open(QIODevice::WriteOnly));
        statuses.write("[SpeedButton Count]\r\nSpeedButton Count=1\r\n[SpeedButton1]\r\n"
                       "Tag=1\r\nCaption=Running\r\nColor=32768\r\n");
        statuses.close();
        newObject(QStringLiteral("Pump"));
        newObject(QStringLiteral("Valve"), QPoint(700, 500));
        form().Timer2Timer();
        QCoreApplication::processEvents();
    }

    QAccessibleInterface* boardItem() { return QAccessible::queryAccessibleInterface(&board()); }
    QStringList names()
    {
        QStringList names;
        for (int i = 0; i < boardItem()->childCount(); ++i)
            names.append(boardItem()->child(i)->text(QAccessible::Name));
        return names;
    }
};

TEST_F(Accessibility, TheBoardListsItsObjectsByNameWithStatusPlaceAndActions)
{
    QAccessibleInterface* list = boardItem();
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->role(), QAccessible::List);
    EXPECT_EQ(names(), (QStringList{"Pump", "Valve"}));

    ObjectShape* valve = shapeOf(QStringLiteral("Valve"));
    QAccessibleInterface* item = list->child(1);
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->role(), QAccessible::ListItem);
    EXPECT_EQ(item->parent(), list);
    EXPECT_EQ(list->indexOfChild(item), 1);
    EXPECT_EQ(item->text(QAccessible::Description), "Running");
    valve->setBrushColor(0x0000FF);
    EXPECT_EQ(item->text(QAccessible::Description), "") << "no status has that colour";
    const QRect onScreen = item->rect();
    EXPECT_TRUE(onScreen.contains(board().globalPoint(valve->geometry().center())));
    EXPECT_EQ(list->childAt(onScreen.center().x(), onScreen.center().y()), item);
    EXPECT_EQ(list->child(1), item) << "one item per object, kept";

    // The current object is the focused and selected item.
    EXPECT_TRUE(item->state().focused) << "the last new object is current";
    form().CurrentShape = shapeOf(QStringLiteral("Pump"));
    EXPECT_FALSE(item->state().focused);
    EXPECT_TRUE(list->child(0)->state().selected);
    EXPECT_EQ(list->focusChild(), list->child(0));

    QAccessibleActionInterface* actions = item->actionInterface();
    ASSERT_NE(actions, nullptr);
    EXPECT_TRUE(actions->actionNames().contains(ObjectActions::OpenNote));
    EXPECT_TRUE(actions->actionNames().contains(ObjectActions::ShowMenu));
    actions->doAction(ObjectActions::ShowMenu);
    EXPECT_TRUE(form().PopupMenu1->isVisible());
    EXPECT_EQ(form().CurrentShape, valve) << "the menu acts on its object";
    form().PopupMenu1->hide();
    actions->doAction(ObjectActions::OpenNote);
    ASSERT_NE(NoteWindow(), nullptr);
    EXPECT_EQ(NoteWindow()->windowTitle(), "Valve");
}

TEST_F(Accessibility, TheTreeFollowsNewRenamedAndRemovedObjectsAndNoItemOutlivesItsObject)
{
    ASSERT_EQ(boardItem()->childCount(), 2);
    newObject(QStringLiteral("Tank"), QPoint(900, 300));
    QCoreApplication::processEvents();
    EXPECT_EQ(names(), (QStringList{"Pump", "Valve", "Tank"}));
    EXPECT_EQ(boardItem()->focusChild(), boardItem()->child(2)) << "the new object is current";

    boardModel().labelWithCaption(QStringLiteral("Pump"))->setCaption(QStringLiteral("Pump 1"));
    EXPECT_EQ(names(), (QStringList{"Pump 1", "Valve", "Tank"}));

    // A caption whose shape is gone is an object of its own, where the
    // caption was made.
    delete shapeOf(QStringLiteral("Valve"));
    EXPECT_EQ(names(), (QStringList{"Pump 1", "Valve", "Tank"}));

    QAccessibleInterface* tank = boardItem()->child(2);
    const QAccessible::Id tankId = QAccessible::uniqueId(tank);
    rightPress(QStringLiteral("Tank"));
    fake.dialogs.confirmAnswers = {true};
    form().Delete1Click();
    QCoreApplication::processEvents();
    EXPECT_EQ(QAccessible::accessibleInterface(tankId), nullptr);
    EXPECT_EQ(names(), (QStringList{"Pump 1", "Valve"}));
    EXPECT_EQ(boardItem()->focusChild(), nullptr);

    form().Undo1->trigger();
    QCoreApplication::processEvents();
    EXPECT_EQ(names(), (QStringList{"Pump 1", "Valve", "Tank"}));
    EXPECT_EQ(boardItem()->focusChild()->text(QAccessible::Name), "Tank");

    // A project switch replaces every object: the items go with them.
    const QAccessible::Id pumpId = QAccessible::uniqueId(boardItem()->child(0));
    QTemporaryDir other;
    fake.dialogs.folderAnswers = {other.path()};
    fake.dialogs.inputAnswers = {QStringLiteral("Other")};
    form().New1Click();
    QCoreApplication::processEvents();
    EXPECT_EQ(QAccessible::accessibleInterface(pumpId), nullptr);
    EXPECT_EQ(boardItem()->childCount(), 0);
}

} // namespace
