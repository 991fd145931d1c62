// The main function of the benchmarks that need a Qt application: offscreen
// unless a platform is chosen, the application made before any benchmark runs.
#pragma once

#include <QtGlobal>

#include <benchmark/benchmark.h>

namespace kestrova {

template <class tApplication>
int RunQtBenchmarks(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    tApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

}  // namespace kestrova
