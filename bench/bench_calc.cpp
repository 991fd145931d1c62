// The whole calculation run on generated roads at 5 m spacing, with
// vegetation/buildings and crossroads: the fast engine, the reference engine,
// and the peak memory of the process.
//   bench_calc --benchmark_filter='Fast/100'    100 km, fast engine
//   bench_calc --benchmark_filter='Reference/100'
// Arguments are the road length in km; the thread count is the second argument
// of the fast runs (0 = all hardware threads). Counters ms_<stage> give the
// stages that take 5 ms or more.
#include "bench_road.h"
#include "core/calc/calc_run.h"

#include <benchmark/benchmark.h>

#include <QElapsedTimer>
#include <QFile>
#include <map>
#include <memory>

using namespace kestrova;

namespace {

// Peak resident memory of the process in MB, where the system tells it.
double PeakMemoryMb() {
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly)) return -1;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith("VmHWM:")) return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024.0;
    return -1;
}

void RunBench(benchmark::State& state, tCalcEngine engine) {
    const int km = static_cast<int>(state.range(0));
    const int threads = state.range(1) > 0 ? static_cast<int>(state.range(1)) : 0;
    const tRoadModel& road = bench::BenchRoad(km);
    // Wall time per stage, from one stage's log line to the next (the
    // crossroads' own skip lines do not start a stage).
    std::map<QString, double> stageMs;
    QString stage;
    QElapsedTimer clock;
    tProgress progress;
    progress.Log = [&](const tMessage& line) {
        if (!line.Key.startsWith(QLatin1String("CalcLog."))) return;
        if (!stage.isEmpty()) stageMs[stage] += clock.nsecsElapsed() / 1e6;
        stage = line.Key.mid(8);
        clock.restart();
    };
    for (auto _ : state) {
        state.PauseTiming();
        auto model = std::make_unique<tRoadModel>(road);
        stage.clear();
        state.ResumeTiming();
        clock.start();
        RunCalculation(*model, progress, engine, {}, threads);
        benchmark::DoNotOptimize(model->Pivot.Rows.data());
        state.PauseTiming();
        model.reset();
        state.ResumeTiming();
    }
    state.counters["profiles"] = road.Plan.Count();
    state.counters["greens"] = road.Greens.Count();
    state.counters["crossroads"] = road.CrossRoads.Count();
    state.counters["peak_MB"] = PeakMemoryMb();
    for (const auto& [name, ms] : stageMs)
        if (ms / state.iterations() >= 5) state.counters["ms_" + name.toStdString()] = ms / state.iterations();
}

void Fast(benchmark::State& state) { RunBench(state, tCalcEngine::Fast); }
void Reference(benchmark::State& state) { RunBench(state, tCalcEngine::Reference); }

}  // namespace

BENCHMARK(Fast)->Args({10, 0})->Args({100, 0})->Args({100, 1})->Args({500, 0})->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(Reference)->Args({10, 0})->Args({100, 0})->Args({500, 0})->Unit(benchmark::kMillisecond)->Iterations(1);

BENCHMARK_MAIN();
