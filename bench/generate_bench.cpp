// The road generator: generating the three tables, building the model from
// them directly, and writing the CSV texts and the workbook.
//   generate_bench --benchmark_filter='Generate/100'    100 km at 5 m
#include "bench_road.h"
#include "core/generate/road_generator.h"

#include <benchmark/benchmark.h>

#include <QTemporaryDir>
#include <map>
#include <memory>

using namespace kestrova;

namespace {

const tGeneratedRoad& Road(int km) {
    static std::map<int, std::unique_ptr<tGeneratedRoad>> roads;
    auto& slot = roads[km];
    if (!slot) slot = std::make_unique<tGeneratedRoad>(GenerateRoad(bench::BenchRoadOptions(km)));
    return *slot;
}

void Generate(benchmark::State& state) {
    const int km = static_cast<int>(state.range(0));
    size_t rows = 0;
    for (auto _ : state) {
        const tGeneratedRoad road = GenerateRoad(bench::BenchRoadOptions(km));
        rows = road.Road.Rows.size();
        benchmark::DoNotOptimize(road.Road.Rows.data());
    }
    state.counters["profiles"] = double(rows);
}

void BuildModel(benchmark::State& state) {
    const tGeneratedRoad& road = Road(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        const tRoadModel model = BuildRoadModel(road);
        benchmark::DoNotOptimize(model.Plan.Profiles.data());
    }
}

void CsvTexts(benchmark::State& state) {
    const tGeneratedRoad& road = Road(static_cast<int>(state.range(0)));
    qint64 bytes = 0;
    for (auto _ : state) {
        const QByteArray text = CsvText(road.Road);
        bytes = text.size();
        benchmark::DoNotOptimize(text.data());
    }
    state.SetBytesProcessed(state.iterations() * bytes);
}

void Workbook(benchmark::State& state) {
    const tGeneratedRoad& road = Road(static_cast<int>(state.range(0)));
    QTemporaryDir dir;
    QString error;
    for (auto _ : state) {
        if (!WriteGeneratedXlsx(road, dir.filePath(QStringLiteral("road.xlsx")), error)) {
            state.SkipWithError(error.toUtf8().constData());
            break;
        }
    }
}

}  // namespace

BENCHMARK(Generate)->Arg(10)->Arg(100)->Unit(benchmark::kMillisecond);
BENCHMARK(BuildModel)->Arg(10)->Arg(100)->Unit(benchmark::kMillisecond);
BENCHMARK(CsvTexts)->Arg(10)->Arg(100)->Unit(benchmark::kMillisecond);
BENCHMARK(Workbook)->Arg(10)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
