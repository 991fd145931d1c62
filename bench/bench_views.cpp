// Drawing time of the views on a generated road after a full calculation:
// the road view over a 385 m window (the goal is 50 ms or less at the window's
// usual size), and for comparison the cross-profile and crossroads views.
#include "core/calc/calc_run.h"
#include "render/cross_profile_view.h"
#include "render/crossroads_view.h"
#include "core/generate/road_generator.h"
#include "render/road_view.h"
#include "qt_bench_main.h"

#include <benchmark/benchmark.h>

#include <QGuiApplication>

#include <cmath>
#include <memory>

namespace {

using namespace kestrova;

struct tBenchRoad {
    tRoadModel Model;
    int Profile = 0;  // a profile whose forward window spans the full 385 m
};

tBenchRoad& Road() {
    static tBenchRoad road = [] {
        tBenchRoad r;
        tGenerateOptions g;
        g.LengthKm = 3;
        g.SpacingM = 10;
        g.Seed = 7;
        r.Model = BuildRoadModel(GenerateRoad(g));
        RunCalculation(r.Model, tProgress{});
        r.Profile = r.Model.Plan.Count() / 3;
        // Without a look distance of its own the window reaches the plan's 385 m.
        r.Model.Plan.Profiles[r.Profile].FwdLookDist = -1;
        r.Model.Plan.Profiles[r.Model.Plan.Count() - r.Profile].RevLookDist = -1;
        return r;
    }();
    return road;
}

void RoadView(benchmark::State& state, tViewKind kind) {
    tBenchRoad& road = Road();
    tViewOptions o;
    o.View = kind;
    o.Profile = kind == tViewKind::Forward ? road.Profile : road.Model.Plan.Count() - road.Profile;
    o.Target.Size = QSize(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    T3DData d3;
    T2DData d2;
    QImage image;
    int strips = 0;
    for (auto _ : state) {
        DrawRoadView(road.Model, o, d3, d2, image);
        strips = d3.Count;
    }
    state.counters["strips"] = strips;
    state.counters["metres"] = std::abs(road.Model.Plan.Profiles[o.Profile].Position -
                                        road.Model.Plan.Profiles[o.Profile + (kind == tViewKind::Forward ? strips : -strips)].Position);
    int quads = 0;
    for (int k = 0; k < d3.Count; ++k) quads += d3.Strips[k].QuadCount;
    state.counters["quads"] = quads;
}

void BM_RoadViewForward(benchmark::State& state) { RoadView(state, tViewKind::Forward); }
void BM_RoadViewBackward(benchmark::State& state) { RoadView(state, tViewKind::Backward); }
BENCHMARK(BM_RoadViewForward)->Args({1000, 700})->Args({1920, 1080})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RoadViewBackward)->Args({1000, 700})->Unit(benchmark::kMillisecond);

void BM_CrossProfile(benchmark::State& state) {
    tBenchRoad& road = Road();
    tViewOptions o;
    o.View = tViewKind::CrossProfile;
    o.Profile = road.Profile;
    o.Target.Size = QSize(1000, 600);
    tProfileData data;
    QImage image;
    for (auto _ : state) DrawCrossProfile(road.Model, o, data, image);
}
BENCHMARK(BM_CrossProfile)->Unit(benchmark::kMillisecond);

void BM_CrossRoadsView(benchmark::State& state) {
    tBenchRoad& road = Road();
    tViewOptions o;
    o.View = tViewKind::CrossRoads;
    o.Profile = -1;
    o.Target.Size = QSize(700, 600);
    o.CrossRoad = -1;
    for (int c = 0; c < road.Model.CrossRoads.Count(); ++c)
        if (!road.Model.CrossRoads.Roads[c].Skip && road.Model.CrossRoads.Roads[c].DirectionOpen[DirFwd]) {
            o.CrossRoad = c;
            break;
        }
    if (o.CrossRoad < 0) {
        state.SkipWithError("the generated road has no crossroad with a forward approach");
        return;
    }
    Tx2Ddata data;
    QImage image;
    for (auto _ : state) DrawCrossRoadsView(road.Model, o, data, image);
}
BENCHMARK(BM_CrossRoadsView)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) { return kestrova::RunQtBenchmarks<QGuiApplication>(argc, argv); }
