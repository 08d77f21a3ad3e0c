// The board in a real window (run under an X server, e.g. xvfb-run): FILE >
// Open of a second project until its board is painted, the processor time of
// one drag step, and clearing and closing boards of growing size.
//
//     board_window PROJECT_A PROJECT_B SIZE_1 SIZE_2 SIZE_3
//
// PROJECT_A and PROJECT_B are projects of the same size (bench/make_board.py);
// SIZE_n are projects of growing size for clearing and closing.
#include "board/Board.h"
#include "project/ObjectShape.h"
#include "main/Program.h"
#include "support/FakePlatform.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTest>
#include <QTimer>
#include <cstdio>
#include <ctime>
#include <memory>

namespace {

double processSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

// Waits until the board has been painted (and the paint copied to the screen).
class PaintWatch : public QObject {
public:
    explicit PaintWatch(Board& board) : m_board(board)
    {
        board.viewport()->installEventFilter(this);
    }
    void waitForPaint()
    {
        m_painted = false;
        while (!m_painted)
            QApplication::processEvents(QEventLoop::WaitForMoreEvents);
        QApplication::processEvents();
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            m_painted = true;
        return false;
    }

private:
    Board& m_board;
    bool m_painted = false;
};

struct Window {
    explicit Window(const QString& project)
    {
        program = std::make_unique<Program>(fake.platform);
        form().Timer1->stop();
        form().show();
        if (!QTest::qWaitForWindowExposed(&form()))
            std::fprintf(stderr, "the window did not show\n");
        watch = std::make_unique<PaintWatch>(form().board());
        open(project);
    }
    TForm1& form() { return program->form1; }
    void open(const QString& project)
    {
        fake.dialogs.folderAnswers = {project};
        form().Open1Click();
        watch->waitForPaint();
    }

    FakePlatform fake;
    std::unique_ptr<Program> program;
    std::unique_ptr<PaintWatch> watch;
};

void openAnotherProject(const QString& first, const QString& second)
{
    Window window(first);
    QElapsedTimer clock;
    clock.start();
    window.open(second);
    std::printf("FILE > Open of another %lld-object project until painted: %lld ms\n",
                static_cast<long long>(window.form().boardModel().shapeCount()),
                static_cast<long long>(clock.elapsed()));
}

void dragOneObject(const QString& project)
{
    Window window(project);
    Board& board = window.form().board();
    // The last shape: no later element covers it.
    ObjectShape* shape = board.model().shapes().last();
    const QPoint start = board.viewPoint(shape->pos() + QPoint(5, 5));
    window.fake.pointer.at = board.viewport()->mapToGlobal(start);
    QTest::mousePress(board.viewport(), Qt::LeftButton, Qt::NoModifier, start);
    QApplication::processEvents();
    constexpr int Moves = 300;
    const double before = processSeconds();
    for (int i = 1; i <= Moves; ++i) {
        const QPoint at = start + QPoint(i % 200, i % 150);
        window.fake.pointer.at = board.viewport()->mapToGlobal(at);
        QTest::mouseMove(board.viewport(), at);
        // A pointer reports some hundred moves a second: each one is painted.
        QTest::qWait(8);
    }
    const double perMove = (processSeconds() - before) / Moves;
    QTest::mouseRelease(board.viewport(), Qt::LeftButton, Qt::NoModifier, start);
    std::printf(
        "one drag step on a %lld-object board, with its repaint: %.3f ms of processor time\n",
        static_cast<long long>(board.model().shapeCount()), perMove * 1000);
}

void clearAndClose(const QString& project)
{
    QElapsedTimer clock;
    qint64 cleared = 0;
    qsizetype objects = 0;
    {
        Window window(project);
        objects = window.form().boardModel().shapeCount();
        clock.start();
        window.form().boardModel().clear();
        cleared = clock.nsecsElapsed();
        // Closed idle, so the emptied board is not saved over the project.
        window.form().setWindowTitle(Caption::Idle);
    }
    Window window(project);
    clock.restart();
    if (!window.form().close())
        std::fprintf(stderr, "the window did not close\n");
    const qint64 closed = clock.nsecsElapsed();
    std::printf(
        "%7lld objects: clear %6.1f ms (%.2f us each), close with save %6.1f ms (%.2f us each)\n",
        static_cast<long long>(objects), cleared / 1e6, cleared / 1e3 / double(objects),
        closed / 1e6, closed / 1e3 / double(objects));
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc < 6) {
        std::fprintf(stderr, "usage: board_window PROJECT_A PROJECT_B SIZE_1 SIZE_2 SIZE_3\n");
        return 2;
    }
    openAnotherProject(QString::fromLocal8Bit(argv[1]), QString::fromLocal8Bit(argv[2]));
    dragOneObject(QString::fromLocal8Bit(argv[1]));
    for (int i = 3; i < 6; ++i)
        clearAndClose(QString::fromLocal8Bit(argv[i]));
    return 0;
}
