#pragma once
// The main of a benchmark of windows: they show on the offscreen screen
// unless QT_QPA_PLATFORM names another.

#include <QApplication>

#include <benchmark/benchmark.h>

namespace tolvane::bench {

inline int runWindowBenchmarks(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

}  // namespace tolvane::bench
