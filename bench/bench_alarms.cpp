// The alarm check over 10,000 rows, the alarm file at that size, and the
// program's cost while its alarm worker idles.
#include "alarms/AlarmFile.h"
#include "alarms/ThreadTimer.h"
#include "alarms/fAlarmSettingsUnit.h"
#include "support/FakeBoardHost.h"
#include "support/FakePlatform.h"

#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include "BenchMain.h"

#include <benchmark/benchmark.h>

#include <ctime>

namespace {

constexpr int Rows = 10000;

// The doubles, but the computer's own clock: the check reads it once per row.
struct SystemClockPlatform {
    FakePlatform fake;
    SystemClock clock;
    Platform platform{fake.dialogs,
                      fake.desktop,
                      clock,
                      fake.processes,
                      fake.shell,
                      fake.pointer,
                      fake.sound,
                      fake.platform.programFolder,
                      fake.platform.programFileName,
                      fake.platform.settingsFolder};
};

// Half the rows are running now, half start tomorrow; none sounds.
QList<AlarmRow> silentRows()
{
    const QDateTime now = QDateTime::currentDateTime();
    QList<AlarmRow> rows;
    for (int i = 0; i < Rows; ++i) {
        const QDateTime start = i % 2 ? now.addSecs(-60) : now.addDays(1);
        rows.append({true, QStringLiteral("Object %1").arg(i % 100),
                     start.toString(QStringLiteral("dd.MM.yyyy HH:mm:ss")), QStringLiteral("1"),
                     QStringLiteral("Days"), QStringLiteral("Off"), QStringLiteral("False")});
    }
    return rows;
}

void fill(TfAlarmSettings& window, const QList<AlarmRow>& rows)
{
    for (const AlarmRow& row : rows)
        window.appendRow(row);
}

void BM_CheckTenThousandSilentRows(benchmark::State& state)
{
    SystemClockPlatform system;
    FakeBoardHost host;
    TfAlarmSettings window(host, system.platform);
    window.StopThreadTimer();
    window.Timer1->stop();
    fill(window, silentRows());
    for (auto _ : state)
        window.CheckAlarms();
    state.counters["rows"] = Rows;
}
BENCHMARK(BM_CheckTenThousandSilentRows)->Unit(benchmark::kMillisecond);

struct AlarmProject {
    AlarmProject() : window(host, fake.platform)
    {
        window.StopThreadTimer();
        window.Timer1->stop();
        host.folder = QDir::toNativeSeparators(folder.path());
        fill(window, silentRows());
        window.SaveAlarms();
    }
    FakePlatform fake;
    FakeBoardHost host;
    QTemporaryDir folder;
    TfAlarmSettings window;
};

void BM_SaveTenThousandAlarms(benchmark::State& state)
{
    AlarmProject project;
    for (auto _ : state) {
        if (!project.window.SaveAlarms())
            state.SkipWithError("save failed");
    }
}
BENCHMARK(BM_SaveTenThousandAlarms)->Unit(benchmark::kMillisecond);

void BM_LoadTenThousandAlarms(benchmark::State& state)
{
    AlarmProject project;
    for (auto _ : state) {
        if (!project.window.LoadProjectAlarms())
            state.SkipWithError("load failed");
    }
    state.counters["rows"] = project.window.rowCount();
}
BENCHMARK(BM_LoadTenThousandAlarms)->Unit(benchmark::kMillisecond);

void BM_ReadTenThousandAlarmLines(benchmark::State& state)
{
    const QByteArray bytes = AlarmFile::toBytes(silentRows());
    for (auto _ : state) {
        QBuffer buffer;
        buffer.setData(bytes);
        buffer.open(QIODevice::ReadOnly);
        AlarmFile file;
        if (!file.read(buffer))
            state.SkipWithError("read failed");
        benchmark::DoNotOptimize(file.rows().size());
    }
    state.SetBytesProcessed(state.iterations() * bytes.size());
}
BENCHMARK(BM_ReadTenThousandAlarmLines)->Unit(benchmark::kMillisecond);

double processCpuSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

// The alarm window as the program creates it: its worker running, no alarms,
// the event loop idle for 10 s. cpu_percent counts every thread of the process.
void BM_IdleWithTheAlarmWorkerRunning(benchmark::State& state)
{
    SystemClockPlatform system;
    FakeBoardHost host;
    for (auto _ : state) {
        TfAlarmSettings window(host, system.platform);
        QEventLoop loop;
        QTimer::singleShot(100, &loop, &QEventLoop::quit); // past the start-up
        loop.exec();
        const double cpuBefore = processCpuSeconds();
        QElapsedTimer wall;
        wall.start();
        QTimer::singleShot(10000, &loop, &QEventLoop::quit);
        loop.exec();
        const double cpu = processCpuSeconds() - cpuBefore;
        state.counters["cpu_percent"] = 100.0 * cpu / (double(wall.elapsed()) / 1000.0);
        state.counters["checks"] = window.ThreadTimer->handOffs();
        window.StopThreadTimer();
    }
}
BENCHMARK(BM_IdleWithTheAlarmWorkerRunning)->Iterations(1)->Unit(benchmark::kSecond);

} // namespace

int main(int argc, char** argv)
{
    return runBenchmarks(argc, argv);
}
