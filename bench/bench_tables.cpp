// Loading, fitting and saving a table of 100 columns by 1,000 rows in the
// real table window.
#include "support/FakePlatform.h"
#include "project/Project.h"
#include "tables/ObjectTableU.h"
#include "tables/StringGrid.h"
#include "tables/TableFile.h"

#include <QApplication>
#include <QDir>
#include <QSaveFile>
#include <QTemporaryDir>
#include "BenchMain.h"

#include <benchmark/benchmark.h>

namespace {

constexpr int Columns = 100;
constexpr int Rows = 1000;

struct BigTable {
    BigTable()
    {
        const QString objectFolder = folder.filePath(QStringLiteral("Pump"));
        QDir().mkpath(objectFolder);
        file = ProjectFiles::table(QDir::toNativeSeparators(folder.path()), QStringLiteral("Pump"));
        TableFile::Columns cells = TableFile::emptyColumns(Columns, Rows);
        for (int c = 0; c < Columns; ++c)
            for (int r = 0; r < Rows; ++r)
                cells[c][r] = (r == 0 || c == 0)
                                  ? QStringLiteral("Header %1").arg(c + r)
                                  : QStringLiteral("%1.%2 pcs").arg(r * 7 % 1000).arg(c);
        QString error;
        if (!TableFile::save(file, cells, Rows, &error))
            qFatal("%s", qPrintable(error));
        table = new TObjectTable(fake.platform, file, true);
        table->setWindowTitle(QStringLiteral("Pump"));
        table->show();
        QApplication::processEvents();
    }
    FakePlatform fake;
    QTemporaryDir folder;
    QString file;
    TObjectTable* table = nullptr;
};

std::unique_ptr<BigTable> instance;

BigTable& big()
{
    if (!instance)
        instance = std::make_unique<BigTable>();
    return *instance;
}

void BM_LoadTable(benchmark::State& state)
{
    TObjectTable* table = big().table;
    for (auto _ : state) {
        if (!table->LoadTable())
            state.SkipWithError("load failed");
    }
    state.counters["cells"] =
        double(table->StringGrid1->colCount()) * table->StringGrid1->rowCount();
}
BENCHMARK(BM_LoadTable)->Unit(benchmark::kMillisecond);

void BM_FitToContent(benchmark::State& state)
{
    TObjectTable* table = big().table;
    for (auto _ : state)
        table->FitToContent();
}
BENCHMARK(BM_FitToContent)->Unit(benchmark::kMillisecond);

void BM_SaveTable(benchmark::State& state)
{
    TObjectTable* table = big().table;
    QString error;
    for (auto _ : state) {
        if (!table->SaveTable(table->tableFile(), &error))
            state.SkipWithError("save failed");
    }
}
BENCHMARK(BM_SaveTable)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    return runBenchmarks(argc, argv, [] {
        TObjectTable::destroyAll();
        instance.reset();
    });
}
