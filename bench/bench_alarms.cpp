// The alarm check over 10,000 and over 1,000,000 rows, the alarm file at those
// sizes, the peak memory of the alarm window holding a million rows, and the
// program's cost while its alarm worker idles.
//
//     bench_alarms --window-memory FOLDER   (run by the memory benchmark: loads
//     FOLDER/Alarm.dat into the window, shows it and prints its peak memory)
#include "alarms/AlarmFile.h"
#include "alarms/ThreadTimer.h"
#include "alarms/fAddEditAlarmUnit.h"
#include "alarms/fAlarmSettingsUnit.h"
#include "support/FakeBoardHost.h"
#include "support/FakePlatform.h"

#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeView>
#include "BenchMain.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
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
                      fake.notifications,
                      fake.platform.programFolder,
                      fake.platform.programFileName,
                      fake.platform.settingsFolder,
                      fake.platform.userSettingsFile};
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
        host.setProjectFolder(QDir::toNativeSeparators(folder.path()));
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

// ---- A million rows ----

constexpr int MillionRows = 1'000'000;

// Tells which objects are hatched, as the main window does: none here.
class TellingHost : public FakeBoardHost {
public:
    std::optional<QSet<QString>> hatchedObjectNames() const override { return QSet<QString>(); }
};

// One alarm file line per row, as the program writes them: every object its
// own name, half the alarms ended a week ago, half due in a year; none sounds.
QByteArray millionLineFile(int rows)
{
    const QDateTime now = QDateTime::currentDateTime();
    const QByteArray ended =
        now.addDays(-7).toString(QStringLiteral("dd.MM.yyyyHH:mm:ss")).toLatin1();
    const QByteArray later =
        now.addDays(365).toString(QStringLiteral("dd.MM.yyyyHH:mm:ss")).toLatin1();
    QByteArray bytes;
    bytes.reserve(qsizetype(rows) * 48);
    for (int i = 0; i < rows; ++i)
        bytes += "1-Object+" + QByteArray::number(i) + '-' + (i % 2 ? ended : later) +
                 "-1-Days-Off-False-\r\n";
    return bytes;
}

// A project whose Alarm.dat holds a million lines.
struct MillionAlarmFile {
    MillionAlarmFile()
    {
        QFile file(folder.filePath(QStringLiteral("Alarm.dat")));
        if (file.open(QIODevice::WriteOnly))
            file.write(millionLineFile(MillionRows));
    }
    QString path() const { return QDir::toNativeSeparators(folder.path()); }
    QTemporaryDir folder;
};

MillionAlarmFile& millionAlarmFile()
{
    static MillionAlarmFile file;
    return file;
}

template <typename Host> struct MillionAlarmWindow {
    MillionAlarmWindow() : window(host, system.platform)
    {
        window.StopThreadTimer();
        window.Timer1->stop();
        host.setProjectFolder(millionAlarmFile().path());
        window.LoadProjectAlarms();
    }
    SystemClockPlatform system;
    Host host;
    TfAlarmSettings window;
};

// The check as the program runs it: the main window tells which objects are
// hatched, so idle rows of solid objects are left alone.
void BM_CheckMillionRowsNoneDue(benchmark::State& state)
{
    MillionAlarmWindow<TellingHost> project;
    QElapsedTimer first;
    first.start();
    project.window.CheckAlarms(); // builds the index of the periods
    state.counters["first_check_ms"] = double(first.nsecsElapsed()) / 1e6;
    for (auto _ : state)
        project.window.CheckAlarms();
    state.counters["rows"] = project.window.rowCount();
}
BENCHMARK(BM_CheckMillionRowsNoneDue)->Unit(benchmark::kMicrosecond);

// The same with a host that cannot tell: every row is looked at.
void BM_CheckMillionRowsEveryRowVisited(benchmark::State& state)
{
    MillionAlarmWindow<FakeBoardHost> project;
    for (auto _ : state)
        project.window.CheckAlarms();
    state.counters["rows"] = project.window.rowCount();
}
BENCHMARK(BM_CheckMillionRowsEveryRowVisited)->Unit(benchmark::kMillisecond)->Iterations(5);

// Start-up's load of a million-line Alarm.dat, until the list has been drawn.
void BM_LoadMillionAlarmsIntoTheWindow(benchmark::State& state)
{
    MillionAlarmWindow<TellingHost> project;
    project.window.show();
    for (auto _ : state) {
        if (!project.window.LoadProjectAlarms())
            state.SkipWithError("load failed");
        project.window.lwAlarm->viewport()->grab();
    }
    state.counters["rows"] = project.window.rowCount();
    project.window.hide();
}
BENCHMARK(BM_LoadMillionAlarmsIntoTheWindow)->Unit(benchmark::kMillisecond)->Iterations(3);

// Add (through the dialog, answered at once) and Remove of a row in the shown
// window of a million rows, each until the list has been drawn again.
void BM_AddAndRemoveAmongAMillionRows(benchmark::State& state)
{
    MillionAlarmWindow<TellingHost> project;
    project.window.show();
    project.window.lwAlarm->viewport()->grab();
    project.window.runDialog = [](TfAddEditAlarm&) { return int(QDialog::Accepted); };
    project.system.fake.dialogs.confirmAnswers.clear();
    for (auto _ : state) {
        project.window.AddClick();
        project.window.lwAlarm->viewport()->grab();
        project.system.fake.dialogs.confirmAnswers = {true};
        project.window.DeleteClick();
        project.window.lwAlarm->viewport()->grab();
    }
    if (project.window.rowCount() != MillionRows)
        state.SkipWithError("a row was not added and removed");
    project.window.hide();
}
BENCHMARK(BM_AddAndRemoveAmongAMillionRows)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_SaveMillionAlarms(benchmark::State& state)
{
    MillionAlarmWindow<TellingHost> project;
    QTemporaryDir other;
    project.host.setProjectFolder(QDir::toNativeSeparators(other.path()));
    for (auto _ : state) {
        if (!project.window.SaveAlarms())
            state.SkipWithError("save failed");
    }
}
BENCHMARK(BM_SaveMillionAlarms)->Unit(benchmark::kMillisecond)->Iterations(3);

// Peak memory (VmHWM) of a process of its own: the window with the million
// rows, shown, drawn and checked; beside it the same process with no rows.
qint64 statusKib(const char* field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(field))
            return line.mid(qsizetype(std::strlen(field)))
                .trimmed()
                .split(' ')
                .value(0)
                .toLongLong();
    }
    return -1;
}

int windowMemory(const QString& folder)
{
    SystemClockPlatform system;
    TellingHost host;
    host.setProjectFolder(QDir::toNativeSeparators(folder));
    QElapsedTimer load;
    load.start();
    TfAlarmSettings window(host, system.platform);
    window.StopThreadTimer();
    window.Timer1->stop();
    if (!window.LoadProjectAlarms())
        return 1;
    window.show();
    window.lwAlarm->viewport()->grab();
    const qint64 loadMs = load.elapsed();
    window.CheckAlarms();
    window.CheckAlarms();
    window.lwAlarm->scrollToBottom();
    window.lwAlarm->viewport()->grab();
    std::printf("rows=%d peak_kib=%lld rss_kib=%lld load_ms=%lld\n", window.rowCount(),
                statusKib("VmHWM:"), statusKib("VmRSS:"), loadMs);
    return 0;
}

QMap<QString, double> measureWindowMemory(const QString& folder)
{
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--window-memory"), folder});
    child.waitForFinished(-1);
    QMap<QString, double> figures;
    for (const QByteArray& pair : child.readAllStandardOutput().trimmed().split(' ')) {
        const QList<QByteArray> kv = pair.split('=');
        if (kv.size() == 2)
            figures[QString::fromLatin1(kv[0])] = kv[1].toDouble();
    }
    return figures;
}

void BM_PeakMemoryOfTheWindowWithAMillionRows(benchmark::State& state)
{
    QTemporaryDir empty;
    QFile(empty.filePath(QStringLiteral("Alarm.dat"))).open(QIODevice::WriteOnly);
    for (auto _ : state) {
        const QMap<QString, double> none = measureWindowMemory(empty.path());
        const QMap<QString, double> million = measureWindowMemory(millionAlarmFile().folder.path());
        if (million.value(QStringLiteral("rows")) != MillionRows)
            state.SkipWithError("the window did not load the rows");
        state.counters["peak_MiB"] = million.value(QStringLiteral("peak_kib")) / 1024;
        state.counters["rss_MiB"] = million.value(QStringLiteral("rss_kib")) / 1024;
        state.counters["no_rows_peak_MiB"] = none.value(QStringLiteral("peak_kib")) / 1024;
        state.counters["load_ms"] = million.value(QStringLiteral("load_ms"));
    }
}
BENCHMARK(BM_PeakMemoryOfTheWindowWithAMillionRows)->Unit(benchmark::kSecond)->Iterations(1);

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
    if (argc == 3 && std::strcmp(argv[1], "--window-memory") == 0) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        QApplication app(argc, argv);
        return windowMemory(QString::fromLocal8Bit(argv[2]));
    }
    return runBenchmarks(argc, argv, [] { millionAlarmFile().folder.remove(); });
}
