// Cost of the factor stages, the pivot build, grid cell texts and the CSV
// export for a long road (20,000 profiles).
#include "bench_road.h"
#include "core/calc/calc_run.h"
#include "core/calc/factor_speeds.h"
#include "core/calc/grid_texts.h"
#include "core/calc/pivot.h"
#include "core/export/csv_writer.h"

#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

using namespace kestrova;

TMPlan LongRoad(int n) {
    TMPlan plan;
    plan.Profiles.resize(size_t(n));
    for (int i = 0; i < n; ++i) {
        tPlanProfile& p = plan.Profiles[size_t(i)];
        p.RecordNumber = i + 1;
        p.Position = 10.0 * i + 0.37;
        p.RoadCathegory = uint8_t(i / 4000 % 5);
        p.Cars = 0.7, p.Buses = 0.1, p.Trucks = 0.15, p.VehicleTrains = 0.05;
        p.TrafficIntensity = 1000 + i % 3000;
        p.CurveRadius = i % 50 < 10 ? 200 + i % 700 : 0;
        p.LongitudinalTilt = (i % 100 - 50) / 1000.0;
        p.SlicknessValue = 100 + i % 60;
        p.Clearance = i % 500 == 0 ? 6 : 0;
        p.IsLocality = i % 1000 < 100;
        p.LookV[0] = p.LookV[1] = p.CrossV[0] = p.CrossV[1] = FreeCarSpeed(p.RoadCathegory);
    }
    for (auto stage : {CalcFreeVelocity, CalcHCurves, CalcLongiTilt, CalcSlickness, CalcBridgeClearance,
                       CalcTrafficIntensity, CalcLocalitySocActivity, CalcMinSpeeds, CalcNonComplianceRates})
        stage(plan, {});
    return plan;
}

void BM_FactorStagesAndPivot(benchmark::State& state) {
    TMPlan plan = LongRoad(int(state.range(0)));
    tPivotData pivot;
    for (auto _ : state) {
        for (auto stage : {CalcFreeVelocity, CalcHCurves, CalcLongiTilt, CalcSlickness, CalcBridgeClearance,
                           CalcTrafficIntensity, CalcLocalitySocActivity, CalcMinSpeeds, CalcNonComplianceRates})
            stage(plan, {});
        BuildPivot(plan, pivot);
        benchmark::DoNotOptimize(pivot.Rows.data());
    }
    state.counters["segments"] = pivot.Count();
}
BENCHMARK(BM_FactorStagesAndPivot)->Arg(20000)->Unit(benchmark::kMillisecond);

void BM_MaterialiseDraftV(benchmark::State& state) {
    const TMPlan plan = LongRoad(int(state.range(0)));
    tGridLanguage language;
    FillCauseTexts(language, [](const QString&, const QString& key) { return key; });
    const tGridSource source{&plan, nullptr, &language, QStringLiteral(",")};
    for (auto _ : state) benchmark::DoNotOptimize(MaterialiseGrid(tGridId::DraftV, source).Cells.data());
    state.counters["cells"] = double(GridRowCount(tGridId::DraftV, source)) * GridColumnCount(tGridId::DraftV);
}
BENCHMARK(BM_MaterialiseDraftV)->Arg(20000)->Unit(benchmark::kMillisecond);

// One screenful of cells, as a table model paints them on demand.
void BM_VisibleDraftVCells(benchmark::State& state) {
    const TMPlan plan = LongRoad(20000);
    const tGridSource source{&plan, nullptr, nullptr, QStringLiteral(".")};
    for (auto _ : state)
        for (int r = 10000; r < 10040; ++r)
            for (int c = 0; c < 22; ++c) benchmark::DoNotOptimize(CellText(tGridId::DraftV, source, r, c));
}
BENCHMARK(BM_VisibleDraftVCells)->Unit(benchmark::kMicrosecond);

void BM_CsvExportDraftV(benchmark::State& state) {
    const TMPlan plan = LongRoad(int(state.range(0)));
    const tGridSource source{&plan, nullptr, nullptr, QStringLiteral(",")};
    QTemporaryDir dir;
    const QString name = dir.filePath(QStringLiteral("draft.csv"));
    for (auto _ : state) benchmark::DoNotOptimize(ExportGridToCsv(GridView(tGridId::DraftV, source), name));
}
BENCHMARK(BM_CsvExportDraftV)->Arg(20000)->Unit(benchmark::kMillisecond);

// The text of the four result CSV files of the calculated 100 km road, as
// kestrova-batch calc makes it (in memory, no disk): straight from the numbers
// as UTF-8 (range 1), or through each cell's QString (range 0).
void BM_ResultCsvBytes(benchmark::State& state) {
    const tRoadModel& model = bench::BenchRoad(100, [](tRoadModel& m) { RunCalculation(m, {}); });
    tGridLanguage language;
    FillHeaderTexts(language, [](const QString&, const QString& key) { return key; });
    FillCauseTexts(language, [](const QString&, const QString& key) { return key; });
    const tGridSource source{&model.Plan, &model.Pivot, &language, QStringLiteral(".")};
    int64_t bytes = 0;
    for (auto _ : state)
        for (tGridId grid : {tGridId::SourceData, tGridId::DraftV, tGridId::PivotData, tGridId::ProfilesList}) {
            tTextTableView view = GridView(grid, source);
            if (state.range(0) == 0) view.Utf8Cell = nullptr;
            bytes += CsvFileBytes(view).size();
        }
    state.SetBytesProcessed(bytes);
}
BENCHMARK(BM_ResultCsvBytes)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
