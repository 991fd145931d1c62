// Tiny hand-built roads for the crossroads tests: a straight road along +X
// with a profile every 10 m, each cross section running from +Y (left) to -Y
// (right) at height 100, with an optional wall on the left.
#pragma once

#include "calc/factor_speeds.h"
#include "import/road_import.h"
#include "model/road_model.h"

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

inline tRoadPoint Pt(double x, double y, double h) {
    tRoadPoint p;
    p.X = x;
    p.Y = y;
    p.H = h;
    p.H2 = h;
    return p;
}

// Key points (number, lateral offset, height) of one cross section, left to right.
inline std::vector<std::pair<int, std::pair<double, double>>> SectionKeyPoints(double wall) {
    return {{1, {15, wall}},  {2, {6, wall}},     {109, {5, kGround}},  {112, {3.75, kGround}},
            {117, {0.5, kGround}}, {123, {-0.5, kGround}}, {127, {-3.75, kGround}}, {130, {-5, kGround}},
            {200, {-15, kGround}}};
}

inline tRoadModel MakeStraightRoad(const tRoadShape& shape = {}) {
    tRoadModel model;
    for (int i = 0; i < shape.Count; ++i) {
        tPlanProfile p;
        const double x = kSpacing * i;
        p.RoadCathegory = shape.Category;
        p.Position = kStartKm + x;
        p.RecordNumber = i + 1;
        p.KeyPoint0 = Pt(x, 0, kGround);
        p.KeyPointM1 = Pt(x, 2, kGround);
        const auto keys = SectionKeyPoints(shape.LeftWall(i));
        for (size_t k = 0; k + 1 < keys.size(); ++k) {
            tProfileSegment s;
            s.A = Pt(x, keys[k].second.first, keys[k].second.second);
            s.B = Pt(x, keys[k + 1].second.first, keys[k + 1].second.second);
            s.Kind = SegmentKind(keys[k].first);
            s.FromDtm = 1;
            s.SegNo = static_cast<int32_t>(k + 1);
            s.APoint = keys[k].first;
            s.BPoint = keys[k + 1].first;
            p.Segments.push_back(s);
        }
        for (int d = 0; d < 2; ++d) p.CrossLook[d].FirstVisible = i;
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
