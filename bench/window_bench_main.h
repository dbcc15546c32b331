#pragma once

#include <QApplication>
#include <QtGlobal>

#include <benchmark/benchmark.h>

// The main of a benchmark that needs the window: a display of its own unless one is chosen.
inline int runWindowBenchmarks(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
