// Redraw time of the road overview on the generated 100 km road (20,001
// profiles) after a full calculation, at 1600 x 800: the speed-profile
// diagram of the whole road (per pixel column), of a 500 m stretch (exact
// steps), and the plan map of the whole road and zoomed in. Goals: the
// diagram 30 ms, the map 50 ms.
#include "bench_road.h"
#include "core/calc/calc_run.h"
#include "render/plan_map_view.h"
#include "render/speed_profile_view.h"
#include "qt_bench_main.h"

#include <benchmark/benchmark.h>

#include <QGuiApplication>

namespace {

using namespace kestrova;

const tRoadModel& Road() {
    return bench::BenchRoad(100, [](tRoadModel& m) { RunCalculation(m, tProgress{}); });
}

void Diagram(benchmark::State& state, double stretch, tFactorSet factors) {
    const tRoadModel& m = Road();
    tSpeedProfileOptions o;
    o.Factors = factors;
    if (stretch > 0) o.Range = {50000, 50000 + stretch};
    QImage image(1600, 800, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        QPainter painter(&image);
        PaintSpeedProfile(painter, image.rect(), m, o);
    }
    state.counters["profiles"] = m.Plan.Count();
}

void Map(benchmark::State& state, bool zoomed, tMapColouring colouring) {
    const tRoadModel& m = Road();
    tPlanMapOptions o;
    o.Colouring = colouring;
    QImage image(1600, 800, QImage::Format_ARGB32_Premultiplied);
    if (zoomed) {
        const tPlanMapLayout whole = LayoutPlanMap(m, o, image.rect());
        o.MetresPerPixel = whole.MetresPerPixel / 40;
        const auto& p = m.Plan.Profiles[size_t(m.Plan.Count() / 2)].KeyPoint0;
        o.Centre = QPointF(p.X, p.Y);
    }
    for (auto _ : state) {
        QPainter painter(&image);
        PaintPlanMap(painter, image.rect(), m, o);
    }
}

BENCHMARK_CAPTURE(Diagram, WholeRoad, 0.0, tFactorSet(0))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Diagram, WholeRoadFourFactors, 0.0,
                  FactorBit(FactorCurve) | FactorBit(FactorLookFwd) | FactorBit(FactorLookRev) |
                      FactorBit(FactorCrossFwd))
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Diagram, Stretch500m, 500.0, tFactorSet(0))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Map, WholeRoadBySpeed, false, tMapColouring::MinSpeed)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Map, WholeRoadByVerdict, false, tMapColouring::Verdict)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Map, Zoomed40x, true, tMapColouring::MinSpeed)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) { return kestrova::RunQtBenchmarks<QGuiApplication>(argc, argv); }
