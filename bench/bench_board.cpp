// Saving, loading and clearing a board of 10,000 objects in the real window;
// loading, saving and refusing board files at the limit of what a board file
// may hold.
#include "board/Board.h"
#include "platform/SaveSoon.h"
#include "project/BoardDigest.h"
#include "project/BoardRecords.h"
#include "stream/ComponentStream.h"
#include "main/Body.h"
#include "support/FakePlatform.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QPainter>
#include <QUndoStack>
#include <QTimer>
#include "BenchMain.h"

#include <fstream>
#include <string>

#include <benchmark/benchmark.h>

namespace {

constexpr int Objects = 10000;

struct BoardOfObjects {
    explicit BoardOfObjects(int objects = Objects) : form(fake.platform)
    {
        form.Timer1->stop();
        form.project().open(QDir::toNativeSeparators(folder.path()), QStringLiteral("Bench"));
        form.show();
        for (int n = 1; n <= objects; ++n) {
            auto* shape = new ObjectShape(form.boardModel());
            shape->setObjectName(QStringLiteral("Shape%1").arg(n));
            shape->setTag(n);
            shape->setHint(shape->objectName());
            shape->setGeometry(n % 1700, n % 900, 30, 20);
            shape->setBrushColor(0x008000);
            shape->show();
            auto* label = new ObjectLabel(form.boardModel());
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
std::unique_ptr<BoardOfObjects> large;

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
    if (form.boardModel().shapes().size() != Objects) {
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
    state.counters["objects"] = double(form.boardModel().shapes().size());
}
BENCHMARK(BM_LoadProject)->Unit(benchmark::kMillisecond);

// What the first paint of the window costs on the user-interface thread,
// without the display: every element drawn into an image of a window's size.
void BM_PaintBoard(benchmark::State& state)
{
    TForm1& form = loadedBoard();
    QImage image(1822, 964, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        QPainter painter(&image);
        form.board().paintBoard(painter, image.rect());
    }
}
BENCHMARK(BM_PaintBoard)->Unit(benchmark::kMillisecond);

void BM_RemoveAllElements(benchmark::State& state)
{
    for (auto _ : state) {
        state.PauseTiming();
        TForm1& form = loadedBoard();
        QApplication::processEvents();
        state.ResumeTiming();
        // As a project load does it: one hide and show of the board for both kinds.
        BoardModel::BulkChange change(form.boardModel());
        form.boardModel().removeShapes();
        form.boardModel().removeLabels();
    }
}
BENCHMARK(BM_RemoveAllElements)->Unit(benchmark::kMillisecond);

// Another copy moved 100 of the 10,000 objects and saved: both files read,
// the base and theirs parsed, and the changes merged into the board.
void BM_MergeChangesOfAnotherCopy(benchmark::State& state)
{
    TForm1& form = loadedBoard();
    const QString folder = form.project().folder();
    const QString shapes = form.project().file(ProjectFiles::Shapes);
    const QString labels = form.project().file(ProjectFiles::Captions);
    // Kept across the runs the library makes: a round repeated would write the
    // files unchanged, and there would be nothing to merge.
    static int round = 0;
    for (auto _ : state) {
        state.PauseTiming();
        BoardModel theirs;
        QString error;
        BoardRecords::loadShapes(
            theirs, shapes, [](ObjectShape*) {}, &error);
        BoardRecords::loadLabels(
            theirs, labels, 96, [](ObjectLabel*) {}, &error);
        ++round;
        for (int i = 0; i < 100; ++i) {
            const int n = (i * 97 + round) % Objects + 1;
            theirs.shapeNamed(QStringLiteral("Shape%1").arg(n))->move(round % 1000, i);
        }
        QByteArray bytes;
        BoardRecords::shapeFileBytes(theirs, &bytes, &error);
        BoardRecords::saveFile(shapes, bytes, &error);
        state.ResumeTiming();
        if (!form.MergeBoardChangesOfOthers())
            state.SkipWithError("nothing merged");
    }
}
BENCHMARK(BM_MergeChangesOfAnotherCopy)->Unit(benchmark::kMillisecond);

// ---- Undo and save as you go on a board of 100,000 objects ----

constexpr int LargeObjects = 100000;

TForm1& largeBoard()
{
    if (!large)
        large = std::make_unique<BoardOfObjects>(LargeObjects);
    return large->form;
}

// A drag of one object through the mouse handlers: one step on the stack.
void dragOne(TForm1& form, FakePlatform& fake, ObjectShape* shape)
{
    fake.pointer.at = QPoint(600, 600);
    form.ShapeMouseDown(shape, Qt::LeftButton, Qt::LeftButton);
    fake.pointer.at = QPoint(640, 570);
    form.ShapeMouseMove(shape, Qt::LeftButton);
    form.ShapeMouseUp(shape, Qt::LeftButton);
}

void BM_UndoDragOfLargeBoard(benchmark::State& state)
{
    TForm1& form = largeBoard();
    dragOne(form, large->fake, form.boardModel().shapes()[LargeObjects / 2]);
    for (auto _ : state) {
        form.undoStack().undo();
        state.PauseTiming();
        form.undoStack().redo();
        state.ResumeTiming();
    }
    state.counters["objects"] = double(form.boardModel().shapes().size());
}
BENCHMARK(BM_UndoDragOfLargeBoard)->Unit(benchmark::kMillisecond);

void BM_UndoRemoveOfLargeBoard(benchmark::State& state)
{
    TForm1& form = largeBoard();
    ObjectShape* shape = form.boardModel().shapes()[LargeObjects / 3];
    form.ShapeMouseDown(shape, Qt::RightButton, Qt::RightButton);
    form.PopupMenu1->hide();
    large->fake.dialogs.confirmAnswers = {true};
    form.Delete1Click();
    if (form.boardModel().shapes().size() != LargeObjects - 1)
        state.SkipWithError("nothing removed");
    for (auto _ : state) {
        form.undoStack().undo(); // the object comes back
        state.PauseTiming();
        form.undoStack().redo();
        state.ResumeTiming();
    }
    form.undoStack().undo();
    state.counters["objects"] = double(form.boardModel().shapes().size());
}
BENCHMARK(BM_UndoRemoveOfLargeBoard)->Unit(benchmark::kMillisecond);

// The save as you go after an edit: what it runs on the user-interface
// thread (the board's values taken), or the whole of it, the files written in
// the background until the outcome is taken in.
void saveAsYouGoOfLargeBoard(benchmark::State& state, bool whole)
{
    TForm1& form = largeBoard();
    ObjectShape* shape = form.boardModel().shapes()[LargeObjects / 4];
    for (auto _ : state) {
        state.PauseTiming();
        dragOne(form, large->fake, shape);
        state.ResumeTiming();
        if (whole) {
            form.BoardSaving->saveNow();
            continue;
        }
        if (form.SaveBoardAsYouGo())
            state.SkipWithError("saved on this thread");
        state.PauseTiming();
        form.EndBoardWrite();
        state.ResumeTiming();
    }
}
void BM_SaveAsYouGoOfLargeBoard(benchmark::State& state)
{
    saveAsYouGoOfLargeBoard(state, false);
}
BENCHMARK(BM_SaveAsYouGoOfLargeBoard)->Unit(benchmark::kMillisecond);
void BM_SaveAsYouGoOfLargeBoardInBackground(benchmark::State& state)
{
    saveAsYouGoOfLargeBoard(state, true);
}
BENCHMARK(BM_SaveAsYouGoOfLargeBoardInBackground)->Unit(benchmark::kMillisecond)->UseRealTime();

// What of that save reads the board: both files' bytes made.
void BM_EncodeLargeBoard(benchmark::State& state)
{
    TForm1& form = largeBoard();
    for (auto _ : state) {
        QByteArray shapes;
        QByteArray labels;
        QString error;
        if (!BoardRecords::shapeFileBytes(form.boardModel(), &shapes, &error) ||
            !BoardRecords::labelFileBytes(form.boardModel(), 96, &labels, &error))
            state.SkipWithError("encoding failed");
        state.counters["bytes"] = double(shapes.size() + labels.size());
    }
}
BENCHMARK(BM_EncodeLargeBoard)->Unit(benchmark::kMillisecond);

// ---- Board files at the limit ----

// The resident memory of this process now and at its peak, in bytes.
double residentBytes(const char* field)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind(field, 0) == 0)
            return std::stod(line.substr(std::string(field).size())) * 1024;
    }
    return 0;
}

// Starts a new peak: the kernel sets it to what is resident now.
void resetPeak()
{
    std::ofstream("/proc/self/clear_refs") << "5";
}

// The merge base made from the board, as at a load, and from the values both
// files are written from, as the save's worker makes it.
void BM_DigestOfLargeBoard(benchmark::State& state)
{
    TForm1& form = largeBoard();
    const bool fromValues = state.range(0) == 1;
    const BoardRecords::FileValues shapes =
        BoardRecords::fileValues(form.boardModel(), BoardElement::Kind::Shape, 96);
    const BoardRecords::FileValues labels =
        BoardRecords::fileValues(form.boardModel(), BoardElement::Kind::Caption, 96);
    for (auto _ : state) {
        const BoardDigest digest =
            fromValues ? BoardDigest::of(shapes, labels) : BoardDigest::of(form.boardModel());
        state.counters["objects"] = double(digest.size());
    }
}
BENCHMARK(BM_DigestOfLargeBoard)->ArgName("values")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

using stream::Property;
using stream::Value;

// One record per element, as the program writes them for a board of numbered
// objects "Object N" spread over the board.
stream::Record benchRecord(bool caption, qint64 n)
{
    const auto integer = [](qint64 v) { return Value::fromInteger(v); };
    const qint64 left = (n - 1) % 45 * 40 + 5;
    const qint64 top = ((n - 1) / 45 * 37) % 860 + 20;
    if (!caption) {
        return {"TShape",
                "Shape" + QByteArray::number(n),
                {{"Tag", integer(n)},
                 {"Left", integer(left)},
                 {"Top", integer(top)},
                 {"Width", integer(30)},
                 {"Height", integer(20)},
                 {"Hint", Value::fromString(QStringLiteral("Shape%1").arg(n))},
                 {"Brush.Color", Value::fromIdentifier("clGreen")},
                 {"ParentShowHint", Value::fromBoolean(false)},
                 {"ShowHint", Value::fromBoolean(true)}}};
    }
    return {"TLabel",
            "Label" + QByteArray::number(n),
            {{"Tag", integer(n)},
             {"Left", integer(left)},
             {"Top", integer(top - 14)},
             {"Width", integer(40)},
             {"Height", integer(13)},
             {"Hint", Value::fromString(QStringLiteral("Label%1").arg(n))},
             {"Caption", Value::fromString(QStringLiteral("Object %1").arg(n))},
             {"Font.Charset", Value::fromIdentifier("DEFAULT_CHARSET")},
             {"Font.Color", Value::fromIdentifier("clBlack")},
             {"Font.Height", integer(-11)},
             {"Font.Name", Value::fromString(QStringLiteral("Tahoma"))},
             {"Font.Style", Value::fromSet({})},
             {"ParentFont", Value::fromBoolean(false)},
             {"ParentShowHint", Value::fromBoolean(false)},
             {"ShowHint", Value::fromBoolean(true)},
             {"Transparent", Value::fromBoolean(true)}}};
}

// A board file of count records, written once per run.
QString benchFile(bool caption, qint64 count)
{
    static QTemporaryDir folder;
    const QString path =
        folder.filePath(QStringLiteral("%1-%2.txt").arg(caption ? "labels" : "shapes").arg(count));
    if (QFile::exists(path))
        return path;
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    stream::RecordWriter writer(&file);
    for (qint64 n = 1; n <= count; ++n)
        writer.write(benchRecord(caption, n));
    return path;
}

// Loads a caption or a shape file onto board.
bool loadBoardFile(BoardModel& board, bool caption, const QString& path, QString* error)
{
    return caption ? BoardRecords::loadLabels(
                         board, path, 96, [](ObjectLabel*) {}, error)
                   : BoardRecords::loadShapes(
                         board, path, [](ObjectShape*) {}, error);
}

void peakCounters(benchmark::State& state, double residentBefore, qint64 fileBytes)
{
    state.counters["file_MB"] = double(fileBytes) / 1e6;
    state.counters["peak_MiB"] = residentBytes("VmHWM:") / (1024 * 1024);
    state.counters["growth_MiB"] = (residentBytes("VmHWM:") - residentBefore) / (1024 * 1024);
}

// Loading a board file of as many elements as a board file may hold, into a
// board in a window, and the memory the board then holds.
void BM_LoadBoardFileAtTheLimit(benchmark::State& state)
{
    const bool caption = state.range(0) == 1;
    const QString path = benchFile(caption, BoardRecords::MaximumElements);
    Board view;
    BoardModel& board = view.model();
    view.resize(1820, 900);
    view.show();
    QApplication::processEvents();
    const double before = residentBytes("VmRSS:");
    resetPeak();
    for (auto _ : state) {
        QString error;
        if (!loadBoardFile(board, caption, path, &error))
            state.SkipWithError(error.toStdString().c_str());
        state.PauseTiming();
        peakCounters(state, before, QFileInfo(path).size());
        state.counters["elements"] =
            double(caption ? board.labels().size() : board.shapes().size());
        board.clear();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_LoadBoardFileAtTheLimit)
    ->ArgName("caption")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2);

// Writing such a board back, as a close does: encoding and the whole-file write.
void BM_SaveBoardFileAtTheLimit(benchmark::State& state)
{
    const QString path = benchFile(true, BoardRecords::MaximumElements);
    BoardModel board;
    QString error;
    loadBoardFile(board, true, path, &error);
    QTemporaryDir out;
    for (auto _ : state) {
        QByteArray bytes;
        if (!BoardRecords::labelFileBytes(board, 96, &bytes, &error) ||
            !BoardRecords::saveFile(out.filePath(QStringLiteral("fStreamLabel.txt")), bytes,
                                    &error))
            state.SkipWithError(error.toStdString().c_str());
        state.counters["file_MB"] = double(bytes.size()) / 1e6;
    }
}
BENCHMARK(BM_SaveBoardFileAtTheLimit)->Unit(benchmark::kMillisecond)->Iterations(2);

// Refusing a board file of one element more than the limit: its records are
// counted, no element is made.
void BM_RefuseBoardFileOverTheLimit(benchmark::State& state)
{
    const bool caption = state.range(0) == 1;
    const QString path = benchFile(caption, BoardRecords::MaximumElements + 1);
    BoardModel board;
    const double before = residentBytes("VmRSS:");
    resetPeak();
    for (auto _ : state) {
        QString error;
        if (loadBoardFile(board, caption, path, &error) ||
            !error.contains(QStringLiteral("more than 1,000,000 elements")))
            state.SkipWithError("not refused");
    }
    peakCounters(state, before, QFileInfo(path).size());
    state.counters["elements"] = double(board.shapes().size() + board.labels().size());
}
BENCHMARK(BM_RefuseBoardFileOverTheLimit)
    ->ArgName("caption")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond);

// A file of 2,000,000 tiny records (a name and a tag each, 66 MB), refused
// for its count.
void BM_RefuseTwoMillionTinyRecords(benchmark::State& state)
{
    static QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("tiny.txt"));
    if (!QFile::exists(path)) {
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        stream::RecordWriter writer(&file);
        for (qint64 n = 1; n <= 2'000'000; ++n)
            writer.write(
                {"TShape", "Shape" + QByteArray::number(n), {{"Tag", Value::fromInteger(n)}}});
    }
    BoardModel board;
    const double before = residentBytes("VmRSS:");
    resetPeak();
    for (auto _ : state) {
        QString error;
        if (BoardRecords::loadShapes(
                board, path, [](ObjectShape*) {}, &error))
            state.SkipWithError("not refused");
    }
    peakCounters(state, before, QFileInfo(path).size());
}
BENCHMARK(BM_RefuseTwoMillionTinyRecords)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    return runBenchmarks(argc, argv, [] {
        instance.reset();
        large.reset();
    });
}
