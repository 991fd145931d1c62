// The crossroads visibility stage alone on generated roads at 5 m spacing, with
// the cross sections already raised by vegetation/buildings and CrossV at the
// free car speeds, as the calculation run leaves them before the stage.
//   crossroads_bench --benchmark_filter='^Stage/20'    20 km, plain stage
//   crossroads_bench --benchmark_filter='FastStage/100/1'    100 km, fast engine, one thread
// The first argument is the road length in km; the second of the fast runs is
// the thread count (0 = all hardware threads).
#include "bench_road.h"
#include "core/calc/crossroads_check.h"
#include "core/calc/factor_speeds.h"
#include "core/calc/sight_check.h"
#include "core/calc/sight_fast.h"

#include <benchmark/benchmark.h>

#include <memory>

using namespace kestrova;

namespace {

// The road as the calculation run leaves it before the crossroads stage.
const tRoadModel& Road(int km) {
    return bench::BenchRoad(km, [](tRoadModel& road) {
        tProgress quiet;
        tProgressCounter counter(quiet);
        PrepareGreens(road.Plan, road.Greens, counter);
        for (tPlanProfile& p : road.Plan.Profiles) p.CrossV[0] = p.CrossV[1] = FreeCarSpeed(p.RoadCathegory);
    });
}

void RunStage(benchmark::State& state, bool accelerated) {
    const tRoadModel& road = Road(static_cast<int>(state.range(0)));
    const int threads = accelerated ? static_cast<int>(state.range(1)) : 0;
    size_t lines = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto model = std::make_unique<tRoadModel>(road);
        tProgress quiet;
        tProgressCounter counter(quiet);
        std::unique_ptr<tFastSight> fast;
        if (accelerated) fast = std::make_unique<tFastSight>(MakeFastSight(model->Plan, threads));
        state.ResumeTiming();
        if (fast) {
            FastCalcCrossRoads(*model, *fast, counter);
        } else {
            CalcCrossRoads(*model, counter);
        }
        state.PauseTiming();
        lines = 0;
        for (const tPlanProfile& p : model->Plan.Profiles)
            for (const tXCrossLookDir& look : p.CrossLook) lines += look.SightLines[0].size() + look.SightLines[1].size();
        model.reset();
        fast.reset();
        state.ResumeTiming();
    }
    state.counters["profiles"] = road.Plan.Count();
    state.counters["crossroads"] = road.CrossRoads.Count();
    state.counters["sight_lines"] = static_cast<double>(lines);
}

}  // namespace

void Stage(benchmark::State& state) { RunStage(state, false); }
void FastStage(benchmark::State& state) { RunStage(state, true); }

BENCHMARK(Stage)->Arg(20)->Arg(100)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(FastStage)->Args({20, 0})->Args({100, 0})->Args({100, 1})->Unit(benchmark::kMillisecond)->Iterations(3);

BENCHMARK_MAIN();
