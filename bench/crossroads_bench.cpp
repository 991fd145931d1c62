// The crossroads visibility stage alone on generated roads at 5 m spacing, with
// the cross sections already raised by vegetation/buildings and CrossV at the
// free car speeds, as the calculation run leaves them before the stage.
//   crossroads_bench --benchmark_filter='Stage/20'    20 km
// The argument is the road length in km.
#include "calc/crossroads_check.h"
#include "calc/factor_speeds.h"
#include "calc/sight_check.h"
#include "generate/road_generator.h"

#include <benchmark/benchmark.h>

#include <map>
#include <memory>

using namespace kestrova;

namespace {

const tRoadModel& Road(int km) {
    static std::map<int, std::unique_ptr<tRoadModel>> roads;
    auto& slot = roads[km];
    if (!slot) {
        tGenerateOptions options;
        options.LengthKm = km;
        options.SpacingM = 5;
        options.Seed = 2026;
        slot = std::make_unique<tRoadModel>(BuildRoadModel(GenerateRoad(options)));
        tProgress quiet;
        tProgressCounter counter(quiet);
        PrepareGreens(slot->Plan, slot->Greens, counter);
        for (tPlanProfile& p : slot->Plan.Profiles) p.CrossV[0] = p.CrossV[1] = FreeCarSpeed(p.RoadCathegory);
    }
    return *slot;
}

void Stage(benchmark::State& state) {
    const tRoadModel& road = Road(static_cast<int>(state.range(0)));
    size_t lines = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto model = std::make_unique<tRoadModel>(road);
        tProgress quiet;
        tProgressCounter counter(quiet);
        state.ResumeTiming();
        CalcCrossRoads(*model, counter);
        state.PauseTiming();
        lines = 0;
        for (const tPlanProfile& p : model->Plan.Profiles)
            for (const tXCrossLookDir& look : p.CrossLook) lines += look.SightLines[0].size() + look.SightLines[1].size();
        model.reset();
        state.ResumeTiming();
    }
    state.counters["profiles"] = road.Plan.Count();
    state.counters["crossroads"] = road.CrossRoads.Count();
    state.counters["sight_lines"] = static_cast<double>(lines);
}

}  // namespace

BENCHMARK(Stage)->Arg(20)->Arg(100)->Unit(benchmark::kMillisecond)->Iterations(3);

BENCHMARK_MAIN();
