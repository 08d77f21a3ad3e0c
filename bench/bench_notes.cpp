// Loading and saving a 1 MB note holding a thousand coloured status stamps,
// and opening 5 MB and 50 MB notes in the note window.
#include "formats/RichText.h"
#include "notes/Obiect.h"
#include "support/FakeBoardHost.h"
#include "support/FakePlatform.h"

#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QAbstractTextDocumentLayout>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include "BenchMain.h"

#include <benchmark/benchmark.h>

#include <fstream>
#include <string>

namespace {

struct BigNote {
    BigNote()
    {
        QTextDocument document;
        QTextCursor cursor(&document);
        QTextCharFormat plain;
        QTextCharFormat stamp;
        stamp.setForeground(QColor(Qt::white));
        const QString line = QStringLiteral("Checked the pump, pressure steady, filter cleaned. ");
        for (int i = 0; document.characterCount() < 1000000; ++i) {
            if (i % 20 == 0 && i / 20 < 1000) {
                stamp.setBackground(QColor::fromHsv((i / 20 * 37) % 360, 200, 200));
                cursor.insertText(QStringLiteral("   \n"), plain);
                cursor.insertText(
                    QStringLiteral("08.12.2026 09:%1:00").arg(i % 60, 2, 10, QLatin1Char('0')),
                    stamp);
                cursor.insertText(QStringLiteral("\n"), plain);
            }
            cursor.insertText(line.repeated(2) + QLatin1Char('\n'), plain);
        }
        path = folder.filePath(QStringLiteral("Pump.rtf"));
        RichText::writeFile(&document, path);
    }
    QTemporaryDir folder;
    QString path;
};

BigNote& note()
{
    static BigNote instance;
    return instance;
}

void BM_LoadNote(benchmark::State& state)
{
    for (auto _ : state) {
        QTextDocument document;
        if (!RichText::readFile(note().path, &document))
            state.SkipWithError("read failed");
        benchmark::DoNotOptimize(document.characterCount());
    }
    state.counters["bytes"] = double(QFileInfo(note().path).size());
}
BENCHMARK(BM_LoadNote)->Unit(benchmark::kMillisecond);

void BM_SaveNote(benchmark::State& state)
{
    QTextDocument document;
    RichText::readFile(note().path, &document);
    const QString copy = note().folder.filePath(QStringLiteral("copy.rtf"));
    for (auto _ : state)
        if (!RichText::writeFile(&document, copy))
            state.SkipWithError("write failed");
}
BENCHMARK(BM_SaveNote)->Unit(benchmark::kMillisecond);

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

// The peak resident memory of this process so far, in bytes.
double peakResidentBytes()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0)
            return std::stod(line.substr(6)) * 1024.0;
    }
    return 0;
}

// Opens the note window on a note the way the double press does, until the
// note is laid out with the caret at its end. Counts the longest time the
// event loop was not served meanwhile ("longest_stall_ms"), the time until
// the note's text was in the editor ("to_editor_ms"), the growth of the peak
// memory over the file size ("memory_per_byte") and, when typing, the time a
// character typed into the note's last paragraph takes to be laid out
// ("keystroke_ms").
void openNote(benchmark::State& state, const QByteArray& rtf, double expectedCharacters,
              bool typing = false)
{
    QTemporaryDir project;
    QDir(project.path()).mkpath(QStringLiteral("Pump"));
    const QString path = project.filePath(QStringLiteral("Pump/Pump.rtf"));
    {
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        file.write(rtf);
    }
    const double fileBytes = double(QFileInfo(path).size());
    FakePlatform fake;
    FakeBoardHost host;
    host.setProjectFolder(QDir::toNativeSeparators(project.path()));
    host.addObject(1, QStringLiteral("Pump"));

    double longestStall = 0;
    double toEditor = 0;
    double keystroke = 0;
    const double peakBefore = peakResidentBytes();
    for (auto _ : state) {
        QElapsedTimer sinceServed;
        QElapsedTimer sinceOpened;
        sinceServed.start();
        sinceOpened.start();
        OpenNoteWindow(host, fake.platform);
        TForm2* window = NoteWindow();
        const auto inEditor = [&] {
            return window->RichEdit1->document()->characterCount() >= expectedCharacters;
        };
        longestStall = qMax(longestStall, double(sinceServed.nsecsElapsed()) / 1e6);
        sinceServed.restart();
        toEditor = 0;
        while (window->isLoadingNote()) {
            if (toEditor == 0 && inEditor())
                toEditor = double(sinceOpened.nsecsElapsed()) / 1e6;
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            longestStall = qMax(longestStall, double(sinceServed.nsecsElapsed()) / 1e6);
            sinceServed.restart();
        }
        if (toEditor == 0)
            toEditor = double(sinceOpened.nsecsElapsed()) / 1e6;
        if (!inEditor())
            state.SkipWithError("the note did not load");
        state.PauseTiming();
        if (typing) {
            QTextDocument* document = window->RichEdit1->document();
            QTextCursor cursor(document);
            cursor.movePosition(QTextCursor::End);
            cursor.movePosition(QTextCursor::PreviousBlock);
            QElapsedTimer typed;
            typed.start();
            cursor.insertText(QStringLiteral("x"));
            document->documentLayout()->blockBoundingRect(cursor.block());
            keystroke = double(typed.nsecsElapsed()) / 1e6;
            document->setModified(false);
        }
        CloseNoteWindow();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        state.ResumeTiming();
    }
    state.counters["longest_stall_ms"] = longestStall;
    state.counters["to_editor_ms"] = toEditor;
    if (typing)
        state.counters["keystroke_ms"] = keystroke;
    state.counters["memory_per_byte"] = (peakResidentBytes() - peakBefore) / fileBytes;
    state.counters["bytes"] = fileBytes;
}
void BM_OpenBigNote(benchmark::State& state)
{
    const QByteArray rtf = richEditLog(int(state.range(0)));
    openNote(state, rtf, rtf.size() / 2.0);
}
BENCHMARK(BM_OpenBigNote)->Arg(5)->Arg(50)->Unit(benchmark::kMillisecond)->Iterations(1);

QByteArray tableOfRows(int rows);

// Opening a note that is a table of state.range(0) rows of two cells, and
// typing a character into its last row.
void BM_OpenTableNote(benchmark::State& state)
{
    const int rows = int(state.range(0));
    openNote(state, tableOfRows(rows), rows * 30.0, true);
}
BENCHMARK(BM_OpenTableNote)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(1);

QByteArray rowOfCells(int cells, bool defined);

// Opening a note that is one row of state.range(0) cells, each with its \cellx.
void BM_OpenRowNote(benchmark::State& state)
{
    const int cells = int(state.range(0));
    openNote(state, rowOfCells(cells, true), cells * 8.0);
}
BENCHMARK(BM_OpenRowNote)->Arg(10000)->Unit(benchmark::kMillisecond)->Iterations(1);

// A note that is one table row of that many cells, each with its \cellx or
// without.
QByteArray rowOfCells(int cells, bool defined)
{
    QByteArray rtf = "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fnil Tahoma;}}\r\n"
                     "\\trowd";
    for (int cell = 1; defined && cell <= cells; ++cell)
        rtf += "\\cellx" + QByteArray::number(cell * 100);
    rtf += "\\pard\\intbl";
    for (int cell = 0; cell < cells; ++cell)
        rtf += " cell " + QByteArray::number(cell) + "\\cell";
    return rtf + "\\row\r\n\\pard\\par}\r\n";
}

void readNote(benchmark::State& state, const QByteArray& rtf)
{
    for (auto _ : state) {
        QTextDocument document;
        QByteArray data = rtf;
        QBuffer buffer(&data);
        buffer.open(QIODevice::ReadOnly);
        if (!RichText::read(&buffer, &document))
            state.SkipWithError("read failed");
        benchmark::DoNotOptimize(document.characterCount());
    }
    state.counters["bytes"] = double(rtf.size());
}

// Reading one row of state.range(0) cells without \cellx.
void BM_ReadRowOfCells(benchmark::State& state)
{
    readNote(state, rowOfCells(int(state.range(0)), false));
}
BENCHMARK(BM_ReadRowOfCells)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(1);

// Reading one row of state.range(0) cells, each with its \cellx.
void BM_ReadRowOfDefinedCells(benchmark::State& state)
{
    readNote(state, rowOfCells(int(state.range(0)), true));
}
BENCHMARK(BM_ReadRowOfDefinedCells)->Arg(10000)->Unit(benchmark::kMillisecond)->Iterations(1);

// Reading and laying out, at the note window's width, ten rows of
// state.range(0) columns: what the editor can hold.
void BM_LayOutWideTable(benchmark::State& state)
{
    const int columns = int(state.range(0));
    QByteArray rtf = "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fnil Tahoma;}}\r\n";
    for (int row = 0; row < 10; ++row) {
        rtf += "\\trowd";
        for (int cell = 1; cell <= columns; ++cell)
            rtf += "\\cellx" + QByteArray::number(cell * 100);
        rtf += "\\pard\\intbl";
        for (int cell = 0; cell < columns; ++cell)
            rtf += " r" + QByteArray::number(row) + "c" + QByteArray::number(cell) + "\\cell";
        rtf += "\\row\r\n";
    }
    rtf += "\\pard\\par}\r\n";
    for (auto _ : state) {
        QTextDocument document;
        QByteArray data = rtf;
        QBuffer buffer(&data);
        buffer.open(QIODevice::ReadOnly);
        RichText::read(&buffer, &document);
        document.setTextWidth(520);
        benchmark::DoNotOptimize(document.documentLayout()->documentSize());
    }
}
BENCHMARK(BM_LayOutWideTable)
    ->Arg(64)
    ->Arg(256)
    ->Arg(1024)
    ->Arg(4096)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

// A note that is a table of that many rows of two cells, as Word writes one:
// each row defines its cells again.
QByteArray tableOfRows(int rows)
{
    QByteArray rtf = "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fnil Tahoma;}}\r\n";
    for (int row = 0; row < rows; ++row) {
        rtf += "\\trowd\\trgaph108\\trleft-108\\cellx1500\\cellx4500\r\n\\pard\\intbl 08.12.2026 "
               "row " +
               QByteArray::number(row) + "\\cell pressure steady\\cell\\row\r\n";
    }
    return rtf + "\\pard\\par}\r\n";
}

// Reading a table of state.range(0) rows of two cells into a document.
void BM_ReadTableRows(benchmark::State& state)
{
    readNote(state, tableOfRows(int(state.range(0))));
}
BENCHMARK(BM_ReadTableRows)
    ->Arg(1000)
    ->Arg(2000)
    ->Arg(4000)
    ->Arg(8000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

// Laying out that table at the note window's width, as the editor does
// before it shows the note's end.
void BM_LayOutTableRows(benchmark::State& state)
{
    QByteArray rtf = tableOfRows(int(state.range(0)));
    QBuffer in(&rtf);
    in.open(QIODevice::ReadOnly);
    for (auto _ : state) {
        state.PauseTiming();
        QTextDocument document;
        in.seek(0);
        RichText::read(&in, &document);
        state.ResumeTiming();
        document.setTextWidth(520);
        benchmark::DoNotOptimize(document.documentLayout()->documentSize());
    }
}
BENCHMARK(BM_LayOutTableRows)
    ->Arg(2000)
    ->Arg(4000)
    ->Arg(8000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

// Writing that table back.
void BM_WriteTableRows(benchmark::State& state)
{
    QByteArray rtf = tableOfRows(int(state.range(0)));
    QBuffer in(&rtf);
    in.open(QIODevice::ReadOnly);
    QTextDocument document;
    RichText::read(&in, &document);
    for (auto _ : state) {
        QByteArray written;
        QBuffer out(&written);
        out.open(QIODevice::WriteOnly);
        if (!RichText::write(&document, &out))
            state.SkipWithError("write failed");
        benchmark::DoNotOptimize(written.size());
    }
}
BENCHMARK(BM_WriteTableRows)
    ->Arg(1000)
    ->Arg(8000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

} // namespace

int main(int argc, char** argv)
{
    return runBenchmarks(argc, argv);
}
