// Find over a project of 10,000 objects, each with a 1 KB note and a 5 x 8
// table: reading every note and table in the background, and answering each
// keystroke of a query. And one object with a 50 MB note, and a board of
// 100,000 objects without folders, each indexed in a process of its own so
// that its memory is that of the indexing alone.
#include "find/FindIndexer.h"
#include "find/FindWindow.h"
#include "formats/RichText.h"
#include "project/Project.h"
#include "tables/TableFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextCursor>
#include <QTextDocument>
#include "BenchMain.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <string>

namespace {

constexpr int Objects = 10'000;

struct Project {
    Project()
    {
        folder = QDir::toNativeSeparators(dir.path());
        const QStringList words = {QStringLiteral("pump"),     QStringLiteral("valve"),
                                   QStringLiteral("pressure"), QStringLiteral("filter"),
                                   QStringLiteral("seal"),     QStringLiteral("Überdruck"),
                                   QStringLiteral("checked"),  QStringLiteral("steady")};
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
            RichText::writeFile(
                &note, dir.filePath(name + QLatin1Char('/') + name + QStringLiteral(".rtf")));

            TableFile::Columns columns = TableFile::emptyColumns(5, 8);
            for (int c = 0; c < 5; ++c) {
                for (int r = 0; r < 8; ++r)
                    columns[c][r] = QStringLiteral("%1 %2")
                                        .arg(words.at((c + r + n) % words.size()))
                                        .arg(r * c + n);
            }
            TableFile::save(ProjectFiles::table(folder, name), columns, 8, nullptr);
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
    const QStringList queries = {QStringLiteral("p"),           QStringLiteral("pr"),
                                 QStringLiteral("pressure"),    QStringLiteral("uberdruck 4"),
                                 QStringLiteral("object 9999"), QStringLiteral("zzqx")};
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

// A note of about megabytes MB as the rich-edit control writes a long log:
// paragraphs of text, every twentieth one a coloured date stamp.
QByteArray richEditLog(int megabytes)
{
    QByteArray rtf =
        "{\\rtf1\\ansi\\ansicpg1252\\deff0\\nouicompat\\deflang1033{\\fonttbl{"
        "\\f0\\fnil\\fcharset0 "
        "Tahoma;}}\r\n{\\colortbl ;\\red255\\green255\\blue255;\\red200\\green40\\blue40;}\r\n"
        "\\viewkind4\\uc1\r\n\\pard\\f0\\fs16 ";
    const qsizetype size = qsizetype(megabytes) * 1024 * 1024;
    rtf.reserve(size + 1024);
    for (int i = 0; rtf.size() < size; ++i) {
        if (i % 20 == 0)
            rtf += "\\cf1\\highlight2 08.12.2026 09:15:00\\cf0\\highlight0\\par\r\n";
        rtf +=
            "Checked the pump, pressure steady, filter cleaned, caf\\'e9 closed at night.\\par\r\n";
    }
    rtf += "}\r\n";
    return rtf;
}

long peakResidentKib()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0)
            return std::stol(line.substr(6));
    }
    return 0;
}

// The child: indexes the object "Pump" of folder as the find index's worker
// does (or, with "document", through the note window's document, as it once
// did) and prints "ms=T peak_kib=K chars=N".
int indexBigNote(const QString& how, const QString& folder)
{
    QElapsedTimer timer;
    timer.start();
    qsizetype chars = 0;
    if (how == QLatin1String("document")) {
        QTextDocument document;
        RichText::readFile(folder + QStringLiteral("/Pump/Pump.rtf"), &document);
        ObjectText text = ObjectText::forName(QStringLiteral("Pump"));
        text.setNote(document.toPlainText());
        chars = text.contents ? text.contents->note.size() : 0;
    } else {
        const ObjectText text = FindIndexer::read(folder, QStringLiteral("Pump"));
        chars = text.contents ? text.contents->note.size() : 0;
    }
    std::printf("ms=%lld peak_kib=%ld chars=%lld\n", static_cast<long long>(timer.elapsed()),
                peakResidentKib(), static_cast<long long>(chars));
    return 0;
}

// The index of one object whose note is a 50 MB log: its time and the peak
// memory of the whole process that made it ("peak_MiB"), for the text-only
// pass (0) and, to compare, through a document (1).
void BM_IndexBigNote(benchmark::State& state)
{
    QTemporaryDir folder;
    QDir(folder.path()).mkpath(QStringLiteral("Pump"));
    {
        QFile file(folder.filePath(QStringLiteral("Pump/Pump.rtf")));
        file.open(QIODevice::WriteOnly);
        file.write(richEditLog(50));
    }
    const QString how = state.range(0) == 0 ? QStringLiteral("text") : QStringLiteral("document");
    double peakKib = 0;
    double chars = 0;
    for (auto _ : state) {
        QProcess child;
        child.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("--index-big-note"), how, folder.path()});
        child.waitForFinished(600'000);
        const QString out = QString::fromLatin1(child.readAllStandardOutput());
        const QStringList fields = out.simplified().split(u' ');
        if (child.exitCode() != 0 || fields.size() != 3) {
            state.SkipWithError("the indexing process failed");
            break;
        }
        state.SetIterationTime(fields[0].section(u'=', 1).toDouble() / 1000.0);
        peakKib = fields[1].section(u'=', 1).toDouble();
        chars = fields[2].section(u'=', 1).toDouble();
    }
    state.SetLabel(how.toStdString());
    state.counters["peak_MiB"] = peakKib / 1024.0;
    state.counters["chars"] = chars;
    state.counters["bytes"] =
        double(QFileInfo(folder.filePath(QStringLiteral("Pump/Pump.rtf"))).size());
}
BENCHMARK(BM_IndexBigNote)
    ->Arg(0)
    ->Arg(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

long residentKib()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stol(line.substr(6));
    }
    return 0;
}

// The child: indexes count objects named as on a board, none with a folder in
// the empty folder, waits until the worker is done, and prints "ms=T
// rss_kib=R peak_kib=P": the time indexProject took of this thread, and the
// resident and peak memory it added (the peak from the names on).
int indexNames(int count, const QString& folder)
{
    QStringList names;
    names.reserve(count);
    for (int n = 1; n <= count; ++n)
        names.append(QStringLiteral("Object %1").arg(n));
    FindIndexer indexer;
    const long before = residentKib();
    const long peakBefore = peakResidentKib();
    QEventLoop loop;
    QObject::connect(&indexer, &FindIndexer::indexChanged, &loop, [&] {
        if (!indexer.isReading())
            loop.quit();
    });
    // The thread's own time: the machine's other work aside.
    const auto threadMs = [] {
        timespec now{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
        return double(now.tv_sec) * 1000.0 + double(now.tv_nsec) / 1e6;
    };
    const double start = threadMs();
    indexer.indexProject(folder, names);
    const double ms = threadMs() - start;
    if (indexer.isReading())
        loop.exec();
    std::printf("ms=%.2f rss_kib=%ld peak_kib=%ld\n", ms, residentKib() - before,
                std::max(0L, peakResidentKib() - peakBefore));
    return 0;
}

// The index of a board of 100,000 objects, none with a folder yet: the time of
// indexProject on the calling thread (its processor time), and the memory the index adds
// ("index_MiB", held after the worker is done, and "peak_MiB" meanwhile).
void BM_IndexNamesOnly(benchmark::State& state)
{
    QTemporaryDir folder;
    const int count = int(state.range(0));
    double rssKib = 0;
    double peakKib = 0;
    for (auto _ : state) {
        QProcess child;
        child.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("--index-names"), QString::number(count), folder.path()});
        child.waitForFinished(600'000);
        const QStringList fields =
            QString::fromLatin1(child.readAllStandardOutput()).simplified().split(u' ');
        if (child.exitCode() != 0 || fields.size() != 3) {
            state.SkipWithError("the indexing process failed");
            break;
        }
        state.SetIterationTime(fields[0].section(u'=', 1).toDouble() / 1000.0);
        rssKib = fields[1].section(u'=', 1).toDouble();
        peakKib = fields[2].section(u'=', 1).toDouble();
    }
    state.counters["index_MiB"] = rssKib / 1024.0;
    state.counters["peak_MiB"] = peakKib / 1024.0;
    state.counters["bytes_per_object"] = rssKib * 1024.0 / count;
}
BENCHMARK(BM_IndexNamesOnly)
    ->Arg(100'000)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

} // namespace

int main(int argc, char** argv)
{
    if (argc == 4 && std::strcmp(argv[1], "--index-big-note") == 0) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        QApplication app(argc, argv);
        return indexBigNote(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]));
    }
    if (argc == 4 && std::strcmp(argv[1], "--index-names") == 0) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        QApplication app(argc, argv);
        return indexNames(std::atoi(argv[2]), QString::fromLocal8Bit(argv[3]));
    }
    return runBenchmarks(argc, argv);
}
