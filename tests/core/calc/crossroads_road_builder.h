// Tiny hand-built roads for the crossroads tests: a straight road along +X
// with a profile every 10 m, each cross section running from +Y (left) to -Y
// (right) at height 100, with an optional wall on the left.
#pragma once

#include "core/calc/factor_speeds.h"
#include "core/model/road_model.h"
#include "test_road_builder.h"

#include <functional>
#include <utility>
#include <vector>

namespace kestrova::test {

constexpr double kGround = 100;
constexpr double kSpacing = 10;
constexpr double kStartKm = 1000;

struct tRoadShape {
    int Count = 41;
    uint8_t Category = 4;  // "Ia": free car speed 82 km/h, one-way stopping distance 107 m
    // Height of the left terrain beyond 6 m from the axis, per profile.
    std::function<double(int profile)> LeftWall = [](int) { return kGround; };
};

// Key points (number, lateral offset, height) of one cross section, left to right.
inline std::vector<std::pair<int, std::pair<double, double>>> SectionKeyPoints(double wall) {
    return {{1, {15, wall}},  {2, {6, wall}},     {109, {5, kGround}},  {112, {3.75, kGround}},
            {117, {0.5, kGround}}, {123, {-0.5, kGround}}, {127, {-3.75, kGround}}, {130, {-5, kGround}},
            {200, {-15, kGround}}};
}

inline tRoadModel MakeStraightRoad(const tRoadShape& shape = {}) {
    tRoadModel model;
    for (int i = 0; i < shape.Count; ++i) {
        const double x = kSpacing * i;
        tPlanProfile p = BareProfile(i, kStartKm + x);
        p.RoadCathegory = shape.Category;
        p.KeyPoint0 = Pt(x, 0, kGround);
        p.KeyPointM1 = Pt(x, 2, kGround);
        std::vector<tKeyPoint> chain;
        for (const auto& [number, place] : SectionKeyPoints(shape.LeftWall(i)))
            chain.push_back({number, Pt(x, place.first, place.second)});
        AddSection(p, chain);
        // As the calculation run leaves it before the crossroads stage.
        p.CrossV[0] = p.CrossV[1] = FreeCarSpeed(p.RoadCathegory);
        model.Plan.Profiles.push_back(p);
    }
    return model;
}

inline tCrossRoadRec MakeCrossRoad(const QString& name, const std::vector<std::pair<double, double>>& xy,
                                   double h = kGround) {
    tCrossRoadRec road;
    road.Name = name;
    for (const auto& [x, y] : xy) {
        tRoadPoint p = Pt(x, y, h);
        p.H2 = 0;
        p.ProfileIndex = -1;
        road.Points.push_back(p);
    }
    return road;
}

}  // namespace kestrova::test
