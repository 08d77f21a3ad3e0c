// The board on screens of any size: the board's size travels with the
// project, the plan is stretched over it, and the view fits it in the window.
#include "ProgramFixture.h"
#include "support/Files.h"

#include "platform/ColorRef.h"
#include "project/BoardSize.h"

#include <QLabel>
#include <QMenuBar>
#include <QTest>

namespace {

class FitBoard : public ProgramFixture {
protected:
    FitBoard() { copyTree(QStringLiteral(VEXORIN_EXAMPLES "/Plant"), projectDir.path()); }

    void openPlant()
    {
        fake.dialogs.folderAnswers = {projectDir.path()};
        form().Open1Click();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&form()));
        ASSERT_EQ(form().project().folder(), projectDir.path());
    }

    // The main window made anew for a desktop of another size.
    void startOnDesktop(const QSize& size)
    {
        program.reset();
        fake.desktop.screen = size;
        start();
    }

    QString zoomShown() { return form().ZoomLabel1->text(); }
};

} // namespace

TEST_F(FitBoard, AProjectWithoutABoardSizeKeepsTheClientAreaAndGetsTheKeyAtItsSave)
{
    // As an earlier version left it: no board size.
    const QString settings = projectFile("iniformsettings.ini");
    QByteArray earlier = readAll(settings);
    earlier.replace("boardsize=1818x936\r\n", "");
    writeAll(settings, earlier);

    openPlant();
    const QSize client = board().size();
    EXPECT_EQ(board().boardSize(), client);
    EXPECT_EQ(board().zoom(), 1.0);
    EXPECT_EQ(zoomShown(), QStringLiteral("100 %"));

    ASSERT_TRUE(form().SaveProject());
    const QByteArray saved = readAll(settings);
    EXPECT_EQ(BoardSize::read(settings), client);
    // The key is the one line added to the file.
    QByteArray withoutKey = saved;
    withoutKey.replace(
        QStringLiteral("boardsize=%1x%2\r\n").arg(client.width()).arg(client.height()).toLatin1(),
        "");
    earlier.replace("/tmp/Plant", projectDir.path().toUtf8());
    EXPECT_EQ(withoutKey, earlier);
}

TEST_F(FitBoard, TheViewMenuZoomsTheViewAndNoFileHoldsTheZoom)
{
    startOnDesktop(QSize(1366, 768));
    openPlant();
    QStringList menus;
    for (const QAction* menu : form().menuBar()->actions())
        menus << menu->text();
    EXPECT_EQ(menus, (QStringList{"FILE", "EDIT", "VIEW", "SETTINGS", "HELP"}));
    EXPECT_EQ(form().menuBar()->cornerWidget(Qt::TopRightCorner), form().ZoomLabel1);

    // The stored board, fitted into a client area of another size.
    EXPECT_EQ(board().boardSize(), QSize(1818, 936));
    const qreal fitted = board().zoom();
    EXPECT_LT(fitted, 0.75);
    EXPECT_TRUE(board().isFitted());
    EXPECT_EQ(zoomShown(), QStringLiteral("%1 %").arg(qRound(fitted * 100)));
    ASSERT_TRUE(form().SaveProject());
    const QMap<QString, QByteArray> before = {
        {"settings", readAll(projectFile("iniformsettings.ini"))},
        {"shapes", readAll(projectFile("fStreamShape.txt"))},
        {"labels", readAll(projectFile("fStreamLabel.txt"))}};

    form().ZoomIn1->trigger();
    EXPECT_DOUBLE_EQ(board().zoom(), fitted * Board::ZoomStep);
    EXPECT_EQ(zoomShown(), QStringLiteral("%1 %").arg(qRound(fitted * Board::ZoomStep * 100)));
    form().ZoomOut1->trigger();
    form().ZoomOut1->trigger();
    EXPECT_DOUBLE_EQ(board().zoom(), fitted / Board::ZoomStep);
    form().ActualSize1->trigger();
    EXPECT_EQ(board().zoom(), 1.0);
    EXPECT_EQ(zoomShown(), QStringLiteral("100 %"));
    EXPECT_EQ(board().viewPoint(QPoint(10, 10)), QPoint(10, 10));
    form().FitBoard1->trigger();
    EXPECT_DOUBLE_EQ(board().zoom(), fitted);

    for (QAction* action : {form().FitBoard1, form().ZoomIn1, form().ZoomOut1, form().ActualSize1})
        EXPECT_FALSE(action->shortcuts().isEmpty()) << action->text().toStdString();
    EXPECT_TRUE(form().ZoomIn1->shortcuts().contains(QKeySequence(Qt::CTRL | Qt::Key_Equal)));

    form().ZoomIn1->trigger();
    ASSERT_TRUE(form().SaveProject());
    EXPECT_EQ(readAll(projectFile("iniformsettings.ini")), before["settings"]);
    EXPECT_EQ(readAll(projectFile("fStreamShape.txt")), before["shapes"]);
    EXPECT_EQ(readAll(projectFile("fStreamLabel.txt")), before["labels"]);
}

TEST_F(FitBoard, ThePlanKeepsItsObjectsOnTheirRoomsOnEveryDesktopSize)
{
    const QImage plan(projectFile("plan.bmp"));
    ASSERT_FALSE(plan.isNull());
    for (const QSize desktop : {QSize(1366, 768), QSize(1920, 1080), QSize(3840, 2160)}) {
        SCOPED_TRACE(
            QStringLiteral("%1x%2").arg(desktop.width()).arg(desktop.height()).toStdString());
        startOnDesktop(desktop);
        openPlant();
        const QSize boardSize = board().boardSize();
        ASSERT_EQ(boardSize, QSize(1818, 936));
        // The whole plan is in the window.
        EXPECT_TRUE(board().viewport()->rect().contains(
            board().viewPoint(QPoint(boardSize.width() - 1, boardSize.height() - 1))));

        const QImage screen = board().viewport()->grab().toImage();
        const qreal ratio = screen.devicePixelRatio();
        for (const ObjectShape* shape : boardModel().shapes()) {
            // A flashing shape shows its hatch, not its colour.
            if (form().isHatched(*shape))
                continue;
            // Just below the shape the screen shows the plan where the plan,
            // stretched over the board, has it: the object stands in its room.
            const QPoint below(shape->geometry().center().x(), shape->geometry().bottom() + 6);
            const QPoint onPlan(below.x() * plan.width() / boardSize.width(),
                                below.y() * plan.height() / boardSize.height());
            const QColor shown = screen.pixelColor(board().viewPoint(below) * ratio);
            bool found = false;
            for (int dy = -2; dy <= 2 && !found; ++dy)
                for (int dx = -2; dx <= 2 && !found; ++dx)
                    found = plan.pixelColor(onPlan + QPoint(dx, dy)) == shown;
            EXPECT_TRUE(found) << shape->objectName().toStdString() << " stands on "
                               << shown.name().toStdString();
            // And the shape is drawn where its place maps to.
            EXPECT_EQ(
                screen.pixelColor(board().viewPoint(shape->geometry().center()) * ratio).rgb() &
                    0xFFFFFF,
                QColor(ColorRef::toQColor(shape->brushColor())).rgb() & 0xFFFFFF)
                << shape->objectName().toStdString();
        }
    }
}
