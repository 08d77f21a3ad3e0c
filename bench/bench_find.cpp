// Find over a project of 10,000 objects, each with a 1 KB note and a 5 x 8
// table: reading every note and table in the background, and answering each
// keystroke of a query.
#include "find/FindIndexer.h"
#include "find/FindWindow.h"
#include "platform/RichText.h"
#include "tables/ObjectTableU.h"
#include "tables/TableFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTextCursor>
#include <QTextDocument>
#include "BenchMain.h"

#include <benchmark/benchmark.h>

namespace {

constexpr int Objects = 10'000;

struct Project {
    Project()
    {
        folder = QDir::toNativeSeparators(dir.path());
        const QStringList words = {QStringLiteral("pump"), QStringLiteral("valve"),
                                   QStringLiteral("pressure"), QStringLiteral("filter"),
                                   QStringLiteral("seal"), QStringLiteral("Überdruck"),
                                   QStringLiteral("checked"), QStringLiteral("steady")};
        for (int n = 0; n < Objects; ++n) {
            const QString name = QStringLiteral("Object %1").arg(n);
            names.append(name);
            QDir(dir.path()).mkdir(name);

            QTextDocument note;
            QTextCursor cursor(&note);
            QTextCharFormat plain;
            QTextCharFormat bold;
            bold.setFontWeight(QFont::Bold);
            for (int w = 0; note.characterCount() < 1000; ++w) {
                cursor.insertText(words.at((n + w) % words.size()) + QLatin1Char(' '),
                                  w % 7 == 0 ? bold : plain);
                if (w % 12 == 11)
                    cursor.insertBlock();
            }
            RichText::writeFile(&note, dir.filePath(name + QLatin1Char('/') + name + QStringLiteral(".rtf")));

            TableFile::Columns columns = TableFile::emptyColumns(5, 8);
            for (int c = 0; c < 5; ++c) {
                for (int r = 0; r < 8; ++r)
                    columns[c][r] = QStringLiteral("%1 %2").arg(words.at((c + r + n) % words.size())).arg(r * c + n);
            }
            TableFile::save(ObjectTableFile(folder, name), columns, 8, nullptr);
        }
    }
    QTemporaryDir dir;
    QString folder;
    QStringList names;
};

Project& project()
{
    static Project instance;
    return instance;
}

// Waits in the event loop, as the window does, until every object is read.
void indexWhole(FindIndexer& indexer)
{
    QEventLoop loop;
    QObject::connect(&indexer, &FindIndexer::indexChanged, &loop, [&] {
        if (!indexer.isReading())
            loop.quit();
    });
    indexer.indexProject(project().folder, project().names);
    loop.exec();
}

// What the worker does for each object, on its own.
void BM_ReadOneObject(benchmark::State& state)
{
    project();
    int n = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(FindIndexer::read(project().folder, project().names.at(n)));
        n = (n + 1) % Objects;
    }
}
BENCHMARK(BM_ReadOneObject)->Unit(benchmark::kMicrosecond);

void BM_IndexProjectInTheBackground(benchmark::State& state)
{
    project();
    for (auto _ : state) {
        FindIndexer indexer;
        indexWhole(indexer);
        benchmark::DoNotOptimize(indexer.index().size());
    }
    state.counters["objects"] = Objects;
}
// Real time is what counts; the CPU time is that of every thread.
BENCHMARK(BM_IndexProjectInTheBackground)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MeasureProcessCPUTime()
    ->Iterations(3);

// Each keystroke of a query typed letter by letter, the slowest first: a
// letter found everywhere, then longer texts, then one found nowhere.
FindIndexer* wholeIndex()
{
    static FindIndexer* indexer = [] {
        auto* made = new FindIndexer;
        indexWhole(*made);
        return made;
    }();
    return indexer;
}

void BM_Keystroke(benchmark::State& state)
{
    FindIndexer* indexer = wholeIndex();
    const QStringList queries = {QStringLiteral("p"), QStringLiteral("pr"), QStringLiteral("pressure"),
                                 QStringLiteral("uberdruck 4"), QStringLiteral("object 9999"),
                                 QStringLiteral("zzqx")};
    const QString query = queries.at(state.range(0));
    int hits = 0;
    for (auto _ : state)
        hits = int(indexer->index().find(query, {}, 500).size());
    state.SetLabel(query.toStdString());
    state.counters["hits"] = hits;
}
BENCHMARK(BM_Keystroke)->DenseRange(0, 5)->Unit(benchmark::kMillisecond);

// The same in the find window, the list of up to 500 hits filled included:
// typing "pres", a letter at a time, and taking it back.
void BM_KeystrokeInTheWindow(benchmark::State& state)
{
    FindWindow window(*wholeIndex());
    window.show();
    const QString word = QStringLiteral("pres");
    qsizetype typed = 0;
    for (auto _ : state) {
        typed = typed % word.size() + 1;
        window.FindEdit->setText(word.left(typed));
    }
}
BENCHMARK(BM_KeystrokeInTheWindow)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    return runBenchmarks(argc, argv);
}
