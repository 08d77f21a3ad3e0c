// Saving, loading and clearing a board of 10,000 objects in the real window.
#include "board/Board.h"
#include "main/Body.h"
#include "support/FakePlatform.h"

#include <QApplication>
#include <QDir>
#include <QTimer>
#include "BenchMain.h"

#include <benchmark/benchmark.h>

namespace {

constexpr int Objects = 10000;

struct BoardOfObjects {
    BoardOfObjects() : form(fake.platform)
    {
        form.Timer1->stop();
        form.ProjectFolder = QDir::toNativeSeparators(folder.path());
        form.setWindowTitle(Caption::project(QStringLiteral("Bench"), form.ProjectFolder));
        form.show();
        for (int n = 1; n <= Objects; ++n) {
            auto* shape = new ObjectShape(&form.board());
            shape->setObjectName(QStringLiteral("Shape%1").arg(n));
            shape->setTag(n);
            shape->setHint(shape->objectName());
            shape->setGeometry(n % 1700, n % 900, 30, 20);
            shape->setBrushColor(0x008000);
            shape->show();
            auto* label = new ObjectLabel(&form.board());
            label->setObjectName(QStringLiteral("Label%1").arg(n));
            label->setTag(n);
            label->setHint(label->objectName());
            label->move(n % 1700, n % 900 - 13);
            label->setCaption(QStringLiteral("Object %1").arg(n));
            label->show();
        }
        QApplication::processEvents();
        form.SaveProject();
    }
    FakePlatform fake;
    QTemporaryDir folder;
    TForm1 form;
};

std::unique_ptr<BoardOfObjects> instance;

BoardOfObjects& board()
{
    if (!instance)
        instance = std::make_unique<BoardOfObjects>();
    return *instance;
}

// Brings the board back from its files when an earlier run emptied it.
TForm1& loadedBoard()
{
    TForm1& form = board().form;
    if (form.board().shapes().size() != Objects) {
        form.LoadProject();
        QApplication::processEvents();
    }
    return form;
}

void BM_SaveBoard(benchmark::State& state)
{
    TForm1& form = loadedBoard();
    for (auto _ : state) {
        if (!form.SaveShapes() || !form.SaveLabels())
            state.SkipWithError("save failed");
    }
}
BENCHMARK(BM_SaveBoard)->Unit(benchmark::kMillisecond);

void BM_LoadProject(benchmark::State& state)
{
    TForm1& form = loadedBoard();
    for (auto _ : state) {
        if (!form.LoadProject())
            state.SkipWithError("load failed");
        state.PauseTiming();
        QApplication::processEvents();
        state.ResumeTiming();
    }
    state.counters["objects"] = double(form.board().shapes().size());
}
BENCHMARK(BM_LoadProject)->Unit(benchmark::kMillisecond);

void BM_RemoveAllElements(benchmark::State& state)
{
    for (auto _ : state) {
        state.PauseTiming();
        TForm1& form = loadedBoard();
        QApplication::processEvents();
        state.ResumeTiming();
        // As a project load does it: one hide and show of the board for both kinds.
        Board::BulkChange change(form.board());
        form.board().removeShapes();
        form.board().removeLabels();
    }
}
BENCHMARK(BM_RemoveAllElements)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    return runBenchmarks(argc, argv, [] {
        instance.reset();
    });
}
