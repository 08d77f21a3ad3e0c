#pragma once

#include <QApplication>
#include <benchmark/benchmark.h>
#include <functional>

// Runs the benchmarks inside a QApplication on the offscreen platform;
// cleanUp releases what they kept, while the application still exists.
inline int runBenchmarks(int argc, char** argv, const std::function<void()>& cleanUp = {})
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (cleanUp)
        cleanUp();
    return 0;
}
