// The generated roads the benchmarks measure on: 5 m between profiles and one
// fixed seed, so every program and every run sees the same road of a length.
// A header, not a benchmark program of its own.
#pragma once

#include "core/generate/road_generator.h"

#include <functional>
#include <map>
#include <memory>

namespace kestrova::bench {

// Generator options of the benchmark road of km kilometres.
inline tGenerateOptions BenchRoadOptions(int km) {
    tGenerateOptions options;
    options.LengthKm = km;
    options.SpacingM = 5;
    options.Seed = 2026;
    return options;
}

// The model of the benchmark road of km kilometres, built on the first call
// for that length and kept for the program's life; prepare, when given, runs
// once on the new model (a program passes the same preparation every time).
inline const tRoadModel& BenchRoad(int km, const std::function<void(tRoadModel&)>& prepare = {}) {
    static std::map<int, std::unique_ptr<tRoadModel>> roads;
    auto& slot = roads[km];
    if (!slot) {
        slot = std::make_unique<tRoadModel>(BuildRoadModel(GenerateRoad(BenchRoadOptions(km))));
        if (prepare) prepare(*slot);
    }
    return *slot;
}

}  // namespace kestrova::bench
