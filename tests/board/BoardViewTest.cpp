#include "board/Board.h"
#include "project/ObjectLabel.h"
#include "project/ObjectShape.h"
#include "support/BoardInput.h"

#include <QImage>
#include <QPainter>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QToolTip>
#include <gtest/gtest.h>

namespace {

// A board in a window of its own, shown, at the default view.
class BoardView : public ::testing::Test {
protected:
    BoardView()
    {
        qRegisterMetaType<ObjectShape*>();
        qRegisterMetaType<ObjectLabel*>();
        board.resize(400, 300);
        board.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&board));
    }

    ObjectShape* shape(int n, const QRect& at, quint32 color = 0x008000)
    {
        auto* s = new ObjectShape(board.model());
        s->setObjectName(QStringLiteral("Shape%1").arg(n));
        s->setTag(n);
        s->setGeometry(at);
        s->setBrushColor(color);
        return s;
    }

    ObjectLabel* label(int n, const QString& caption, QPoint at)
    {
        auto* l = new ObjectLabel(board.model());
        l->setObjectName(QStringLiteral("Label%1").arg(n));
        l->setTag(n);
        l->move(at);
        l->setCaption(caption);
        return l;
    }

    QColor pixel(QPoint boardPoint)
    {
        return board.viewport()->grab().toImage().pixelColor(board.viewPoint(boardPoint));
    }

    Board board;
};

} // namespace

TEST_F(BoardView, APressReachesTheUppermostVisibleElementUnderThePointer)
{
    ObjectShape* lower = shape(1, QRect(10, 10, 40, 40));
    ObjectShape* upper = shape(2, QRect(30, 30, 40, 40));
    ObjectLabel* caption = label(3, QStringLiteral("Over both"), QPoint(35, 35));
    QSignalSpy shapePresses(&board, &Board::shapeMousePressed);
    QSignalSpy labelPresses(&board, &Board::labelMousePressed);
    QSignalSpy boardPresses(&board, &Board::pressed);

    // Where the later shape covers the earlier one, the later one is pressed.
    BoardInput::click(upper, Qt::LeftButton, QPoint(5, 25));
    ASSERT_EQ(shapePresses.size(), 1);
    EXPECT_EQ(shapePresses[0][0].value<ObjectShape*>(), upper);

    // A caption is an element: a right press on it is not a press on the board.
    BoardInput::click(caption, Qt::RightButton);
    EXPECT_EQ(labelPresses.size(), 1);
    EXPECT_TRUE(boardPresses.isEmpty());

    // A hidden caption takes no press: the shape under it gets it.
    caption->hide();
    BoardInput::click(upper, Qt::RightButton, QPoint(7, 7));
    EXPECT_EQ(labelPresses.size(), 1);
    ASSERT_EQ(shapePresses.size(), 2);
    EXPECT_EQ(shapePresses[1][0].value<ObjectShape*>(), upper);

    // With the upper one gone, the lower one is pressed; beside both, the board.
    delete upper;
    BoardInput::click(lower, Qt::LeftButton, QPoint(25, 25));
    ASSERT_EQ(shapePresses.size(), 3);
    EXPECT_EQ(shapePresses[2][0].value<ObjectShape*>(), lower);
    QTest::mouseClick(board.viewport(), Qt::RightButton, Qt::NoModifier, QPoint(300, 200));
    ASSERT_EQ(boardPresses.size(), 1);
    EXPECT_EQ(boardPresses[0][0].value<Qt::MouseButton>(), Qt::RightButton);
}

TEST_F(BoardView, ThePressedShapeReceivesTheMovesAndReleaseOfItsDrag)
{
    ObjectShape* dragged = shape(1, QRect(10, 10, 20, 20));
    shape(2, QRect(100, 100, 20, 20));
    QSignalSpy moves(&board, &Board::shapeMouseMoved);
    QSignalSpy releases(&board, &Board::shapeMouseReleased);

    BoardInput::press(dragged, Qt::LeftButton);
    // Over the other shape and over the empty board: still the pressed one.
    QTest::mouseMove(board.viewport(), board.viewPoint(QPoint(105, 105)));
    QTest::mouseMove(board.viewport(), board.viewPoint(QPoint(300, 250)));
    QTest::mouseRelease(board.viewport(), Qt::LeftButton, Qt::NoModifier,
                        board.viewPoint(QPoint(300, 250)));
    ASSERT_EQ(moves.size(), 2);
    EXPECT_EQ(moves[1][0].value<ObjectShape*>(), dragged);
    ASSERT_EQ(releases.size(), 1);
    EXPECT_EQ(releases[0][0].value<ObjectShape*>(), dragged);
}

TEST_F(BoardView, ElementsAreDrawnInCreationOrderOverTheStretchedBackground)
{
    QImage picture(2, 2, QImage::Format_RGB32);
    picture.setPixelColor(0, 0, Qt::red);
    picture.setPixelColor(1, 0, Qt::blue);
    picture.setPixelColor(0, 1, Qt::yellow);
    picture.setPixelColor(1, 1, Qt::cyan);
    board.setBackground(picture);
    shape(1, QRect(20, 20, 60, 60), 0x0000FF); // red
    shape(2, QRect(50, 50, 60, 60), 0xFF0000); // blue, above the red one
    label(3, QStringLiteral("Name"), QPoint(300, 20))->hide();

    // The picture is stretched over the whole board, ignoring its aspect ratio.
    EXPECT_EQ(pixel(QPoint(10, 10)), QColor(Qt::red));
    EXPECT_EQ(pixel(QPoint(390, 10)), QColor(Qt::blue));
    EXPECT_EQ(pixel(QPoint(10, 290)), QColor(Qt::yellow));
    EXPECT_EQ(pixel(QPoint(390, 290)), QColor(Qt::cyan));
    // The later element covers the earlier one.
    EXPECT_EQ(pixel(QPoint(40, 40)), QColor(255, 0, 0));
    EXPECT_EQ(pixel(QPoint(60, 60)), QColor(0, 0, 255));
    // A hidden caption leaves the picture as it is.
    EXPECT_EQ(pixel(QPoint(305, 25)), QColor(Qt::blue));
}

TEST_F(BoardView, ZoomAndPanChangeTheViewNeverTheBoard)
{
    ObjectShape* s = shape(1, QRect(100, 80, 30, 20));
    ObjectLabel* l = label(1, QStringLiteral("Pump"), QPoint(100, 67));
    const QRect shapeAt = s->geometry();
    const QRect labelAt = l->geometry();
    const QPoint anchor(115, 90);
    const QPoint underAnchor = board.boardPoint(board.viewport()->mapToGlobal(anchor));
    EXPECT_EQ(board.shiftFromDefaultView(board.viewport()->mapToGlobal(anchor)), QPoint(0, 0));

    board.setZoom(4.0, anchor);
    EXPECT_EQ(board.zoom(), 4.0);
    // The board point under the anchor stays there, and the shape is still
    // found under its own drawing.
    EXPECT_EQ(board.boardPoint(board.viewport()->mapToGlobal(anchor)), underAnchor);
    EXPECT_EQ(board.elementAt(board.globalPoint(s->pos() + QPoint(29, 19))), s);
    EXPECT_EQ(s->geometry(), shapeAt);
    EXPECT_EQ(l->geometry(), labelAt);
    EXPECT_NE(board.shiftFromDefaultView(board.viewport()->mapToGlobal(QPoint(0, 0))),
              QPoint(0, 0));

    // The zoom stays within 25 % and 800 %.
    board.setZoom(100.0, anchor);
    EXPECT_EQ(board.zoom(), Board::MaximumZoom);
    board.setZoom(0.01, anchor);
    EXPECT_EQ(board.zoom(), Board::MinimumZoom);

    board.resetView();
    EXPECT_EQ(board.zoom(), 1.0);
    EXPECT_EQ(board.viewPoint(QPoint(100, 80)), QPoint(100, 80));
    EXPECT_EQ(s->geometry(), shapeAt);
}

TEST_F(BoardView, NamesAndCaptionsAreFoundThroughTheirIndexes)
{
    ObjectShape* s1 = shape(1, QRect(0, 0, 10, 10));
    ObjectLabel* l1 = label(1, QStringLiteral("Pump"), QPoint(0, 0));
    ObjectShape* s2 = shape(2, QRect(0, 0, 10, 10));
    ObjectLabel* l2 = label(2, QStringLiteral("Valve"), QPoint(0, 0));

    EXPECT_EQ(board.model().shapeNamed("shape1"), s1);
    EXPECT_EQ(board.model().labelOf(s2), l2);
    EXPECT_EQ(board.model().shapeOf(l1), s1);
    EXPECT_EQ(board.model().labelWithCaption("Pump"), l1);
    EXPECT_EQ(board.model().labelWithCaption("pump"), nullptr);

    // A rename and a new caption move the entries; a removal drops them.
    l2->setCaption(QStringLiteral("Pump"));
    EXPECT_EQ(board.model().labelsWithCaption("Pump"), (QList<ObjectLabel*>{l1, l2}));
    EXPECT_EQ(board.model().labelWithCaption("Valve"), nullptr);
    l1->setObjectName(QStringLiteral("Label7"));
    EXPECT_EQ(board.model().labelNamed("Label1"), nullptr);
    EXPECT_EQ(board.model().labelNamed("LABEL7"), l1);
    EXPECT_EQ(board.model().nextObjectNumber(), 1);
    delete l1;
    EXPECT_EQ(board.model().labelsWithCaption("Pump"), QList<ObjectLabel*>{l2});
    EXPECT_FALSE(board.model().hasElementNamed("Label7"));

    // Removing one kind keeps the other in its order.
    ObjectShape* s3 = shape(3, QRect(0, 0, 10, 10));
    board.model().removeLabels();
    EXPECT_EQ(board.model().labels().size(), 0);
    EXPECT_EQ(board.model().shapes(), (QList<ObjectShape*>{s1, s2, s3}));
    EXPECT_EQ(board.model().labelWithCaption("Pump"), nullptr);
    board.model().clear();
    EXPECT_EQ(board.model().shapeCount(), 0);
    EXPECT_EQ(board.model().shapeNamed("Shape1"), nullptr);
}

TEST_F(BoardView, TheSecondPressOfADoubleClickIsOnePressWhicheverWayItComes)
{
    ObjectShape* s = shape(1, QRect(10, 10, 30, 20));
    QSignalSpy presses(&board, &Board::shapeMousePressed);
    const QPointF at(board.viewPoint(s->pos() + QPoint(5, 5)));
    const auto send = [&](QEvent::Type type, quint64 time) {
        QMouseEvent event(type, at, board.viewport()->mapToGlobal(at), Qt::LeftButton,
                          type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton,
                          Qt::NoModifier);
        event.setTimestamp(time);
        QCoreApplication::sendEvent(board.viewport(), &event);
    };
    // A double click whose second press comes as a double click only.
    send(QEvent::MouseButtonPress, 1000);
    send(QEvent::MouseButtonRelease, 1050);
    send(QEvent::MouseButtonDblClick, 1100);
    send(QEvent::MouseButtonRelease, 1150);
    EXPECT_EQ(presses.size(), 2);
    // One whose second press comes as a press and then again as a double click.
    send(QEvent::MouseButtonPress, 5000);
    send(QEvent::MouseButtonRelease, 5050);
    send(QEvent::MouseButtonPress, 5100);
    send(QEvent::MouseButtonDblClick, 5100);
    send(QEvent::MouseButtonRelease, 5150);
    EXPECT_EQ(presses.size(), 4);
}

TEST_F(BoardView, RestingOnAnElementShowsItsHint)
{
    ObjectShape* s = shape(1, QRect(10, 10, 30, 20));
    s->setHint(QStringLiteral("Feed pump"));
    ObjectLabel* l = label(1, QStringLiteral("Pump"), QPoint(10, 60));
    l->setHint(QStringLiteral("Label1"));
    const auto restOn = [&](QPoint boardPoint) {
        const QPoint at = board.viewPoint(boardPoint);
        QHelpEvent help(QEvent::ToolTip, at, board.viewport()->mapToGlobal(at));
        QCoreApplication::sendEvent(board.viewport(), &help);
        return QToolTip::isVisible() ? QToolTip::text() : QString();
    };
    EXPECT_EQ(restOn(QPoint(20, 20)), "Feed pump");
    EXPECT_EQ(restOn(QPoint(12, 62)), "Label1");
    // Off every element the hint goes (it fades out).
    restOn(QPoint(300, 250));
    for (int i = 0; i < 100 && QToolTip::isVisible(); ++i)
        QTest::qWait(20);
    EXPECT_FALSE(QToolTip::isVisible());
}

TEST_F(BoardView, CaptionsTooSmallToReadAreLeftOutAndReturnWhenZoomedIn)
{
    board.enableZoomAndPan();
    ObjectLabel* caption = label(1, QStringLiteral("WWWWWWWW"), QPoint(20, 20));
    caption->setFontColor(0x0000FF); // red
    caption->setHint(QStringLiteral("the caption's hint"));
    const auto redPixels = [&] {
        const QImage image = board.viewport()->grab().toImage();
        int red = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                const QColor c = image.pixelColor(x, y);
                red += c.red() > 150 && c.green() < 100 && c.blue() < 100;
            }
        return red;
    };
    ASSERT_GT(redPixels(), 0);

    // 8 points are 10.7 pixels: at 30 % they would be 3.2.
    board.setZoom(0.3, QPoint(0, 0));
    EXPECT_FALSE(board.showsCaptionsOf(caption->fontSize()));
    EXPECT_EQ(redPixels(), 0);
    // The element is still there, with its hint.
    EXPECT_EQ(board.elementAt(board.globalPoint(caption->geometry().center())), caption);

    board.setZoom(0.5, QPoint(0, 0));
    EXPECT_TRUE(board.showsCaptionsOf(caption->fontSize()));
    EXPECT_GT(redPixels(), 0);
}

TEST_F(BoardView, TheScrollBarsReachEveryObjectAndAFittedBoardNeedsNone)
{
    board.enableZoomAndPan();
    board.setBoardSize(QSize(800, 600));
    EXPECT_EQ(board.boardSize(), QSize(800, 600));
    ObjectShape* far = shape(1, QRect(1500, 1200, 40, 30), 0x0000FF);
    QCoreApplication::processEvents();

    // Scrolled to its end, the far object is on the screen.
    board.horizontalScrollBar()->setValue(board.horizontalScrollBar()->maximum());
    board.verticalScrollBar()->setValue(board.verticalScrollBar()->maximum());
    EXPECT_EQ(pixel(far->geometry().center()), QColor(Qt::red));
    EXPECT_TRUE(board.viewport()->rect().contains(board.viewPoint(far->geometry().bottomRight())));

    // The fit shows the whole board, and follows the window.
    delete far;
    QCoreApplication::processEvents();
    QSignalSpy zooms(&board, &Board::zoomChanged);
    board.fitBoard();
    EXPECT_DOUBLE_EQ(board.zoom(), 0.5);
    EXPECT_EQ(zooms.size(), 1);
    EXPECT_EQ(board.horizontalScrollBar()->maximum(), 0);
    EXPECT_EQ(board.verticalScrollBar()->maximum(), 0);
    board.resize(1600, 900);
    EXPECT_DOUBLE_EQ(board.zoom(), 1.5);
    board.zoomIn();
    EXPECT_FALSE(board.isFitted());
    EXPECT_DOUBLE_EQ(board.zoom(), 1.5 * Board::ZoomStep);

    // Without a size of its own the board is the client area again.
    board.setBoardSize(QSize());
    EXPECT_EQ(board.boardSize(), board.size());
}

TEST_F(BoardView, ALargeBoardLooksTheSameDrawnInBandsAtOnceAsDrawnStripByStrip)
{
    // Enough elements for the paint to share the work, every kind of shape
    // and several fonts, many of them crossing the middle of the area.
    const ShapeKind kinds[] = {ShapeKind::Rectangle,   ShapeKind::Square,  ShapeKind::RoundRect,
                               ShapeKind::RoundSquare, ShapeKind::Ellipse, ShapeKind::Circle};
    for (int n = 1; n <= 3000; ++n) {
        ObjectShape* s = shape(n, QRect((n * 37) % 380, (n * 53) % 280, 12 + n % 20, 9 + n % 15),
                               quint32(n * 2654435761u) & 0xFFFFFF);
        s->setShapeKind(kinds[n % 6]);
        ObjectLabel* l = label(n, QStringLiteral("Объект %1").arg(n), s->pos() - QPoint(0, 10));
        l->setFontSize(6 + n % 5);
        l->setBold(n % 3 == 0);
        l->setFontColor(quint32(n * 40503u) & 0xFFFFFF);
    }
    const QRect area(0, 0, 400, 300);
    const auto drawn = [&](int stripHeight) {
        QImage image(area.size() * 2, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::white);
        QPainter painter(&image);
        painter.scale(2, 2);
        for (int top = 0; top < area.height(); top += stripHeight) {
            const QRect strip(0, top, area.width(), stripHeight);
            painter.setClipRect(strip);
            board.paintBoard(painter, strip);
        }
        return image;
    };
    const QImage atOnce = drawn(area.height());
    const QImage byStrips = drawn(16); // each strip too low to be shared
    int differing = 0;
    for (int y = 0; y < atOnce.height(); ++y)
        for (int x = 0; x < atOnce.width(); ++x) {
            const QColor a = atOnce.pixelColor(x, y);
            const QColor b = byStrips.pixelColor(x, y);
            // Edges drawn over a transparent band and then laid over the
            // background may round one step apart.
            if (std::abs(a.red() - b.red()) > 2 || std::abs(a.green() - b.green()) > 2 ||
                std::abs(a.blue() - b.blue()) > 2)
                ++differing;
        }
    EXPECT_EQ(differing, 0);
    EXPECT_NE(atOnce.pixelColor(0, 0), atOnce.pixelColor(300, 300)); // something was drawn
}
