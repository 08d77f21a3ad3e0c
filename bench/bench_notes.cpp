// Loading and saving a 1 MB note holding a thousand coloured status stamps.
#include "platform/RichText.h"

#include <QApplication>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTextCursor>
#include <QTextDocument>
#include "BenchMain.h"

#include <benchmark/benchmark.h>

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
                cursor.insertText(QStringLiteral("08.12.2026 09:%1:00").arg(i % 60, 2, 10, QLatin1Char('0')),
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

} // namespace

int main(int argc, char** argv)
{
    return runBenchmarks(argc, argv);
}
