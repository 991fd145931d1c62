// Hand-built roads for the sight and calculation tests: profiles with a fixed
// key-point layout across the road, placed along a straight line or a circular
// arc, with the fields the importer would fill.
#pragma once

#include "core/model/road_model.h"
#include "test_road_builder.h"

#include <cmath>
#include <functional>
#include <vector>

namespace kestrova::test {

// Key points across the section, in chain order, with their lateral offset
// (metres, positive to the left of the driving direction). 117 and 123 coincide
// on the axis, so the central span has no width and the profile can hide.
struct tKeyLayout {
    int Number;
    double Offset;
};
inline const std::vector<tKeyLayout>& StandardKeys() {
    static const std::vector<tKeyLayout> keys = {{100, -25}, {109, -15}, {112, -7},  {116, -3.5}, {117, 0},
                                                 {123, 0},   {127, 3.5}, {130, 8},   {135, 15},   {139, 25}};
    return keys;
}

// Offset of KeyPointM1 (the right lane) and KeyPoint0 (the axis).
constexpr double kM1Offset = -1.75;

// One profile at axis point (cx, cy) heading (dx, dy) (unit vector), with a
// ground height per lateral offset.
inline tPlanProfile MakeProfile(int index, double position, double cx, double cy, double dx, double dy,
                                const std::function<double(double offset)>& ground, uint8_t category = 4) {
    tPlanProfile p = BareProfile(index, position);
    p.RoadCathegory = category;
    p.TrafficIntensity = 1000;
    p.Cars = 1;
    const double nx = -dy, ny = dx;  // left normal
    auto point = [&](double off) {
        tRoadPoint r;
        r.X = cx + nx * off;
        r.Y = cy + ny * off;
        r.H = ground(off);
        return r;
    };
    p.KeyPointM1 = point(kM1Offset);
    p.KeyPoint0 = point(0);
    std::vector<tKeyPoint> chain;
    for (const auto& key : StandardKeys()) {
        tRoadPoint r = point(key.Offset);
        r.H2 = r.H;
        chain.push_back({key.Number, r});
    }
    AddSection(p, chain);
    return p;
}

// Straight road along X, profiles every `spacing` metres; heightAt(index)
// gives the whole section's height.
inline TMPlan StraightRoad(int count, double spacing, const std::function<double(int index)>& heightAt,
                           uint8_t category = 4) {
    TMPlan plan;
    for (int i = 0; i < count; ++i) {
        const double h = heightAt(i);
        plan.Profiles.push_back(MakeProfile(i, i * spacing, i * spacing, 0, 1, 0, [h](double) { return h; }, category));
    }
    return plan;
}

// Road on a left-hand circular arc of the given radius, starting at (0, 0)
// heading +X; flat ground at height 0.
inline TMPlan ArcRoad(int count, double spacing, double radius, uint8_t category = 4) {
    TMPlan plan;
    for (int i = 0; i < count; ++i) {
        const double s = i * spacing;
        const double t = s / radius;
        plan.Profiles.push_back(MakeProfile(i, s, radius * std::sin(t), radius - radius * std::cos(t), std::cos(t),
                                            std::sin(t), [](double) { return 0.0; }, category));
    }
    return plan;
}

// Index in StandardKeys() of a key point number; its PointSegNo is that index
// (0 for the first key point, else the SegNo of the segment ending there).
inline int KeySegNo(int number) {
    const auto& keys = StandardKeys();
    for (size_t i = 0; i < keys.size(); ++i)
        if (keys[i].Number == number) return static_cast<int>(i);
    return -1;
}

// An object standing on the given key points of profiles first..last, as the
// vegetation importer leaves it (points matched to profiles and key points).
inline tGreenRec MakeObject(const TMPlan& plan, int first, int last, const std::vector<int>& keyNumbers, double height,
                            bool vegetation) {
    tGreenRec o;
    o.Name = QStringLiteral("object");
    o.IsVegetation = vegetation ? 1 : 0;
    o.FirstProfile = first;
    o.LastProfile = last;
    for (int j = first; j <= last; ++j) {
        for (int number : keyNumbers) {
            const int segNo = KeySegNo(number);
            const auto& p = plan.Profiles[j];
            tRoadPoint pt = segNo == 0 ? p.Segments[0].A : p.Segments[segNo - 1].B;
            pt.H = height;
            pt.H2 = 0;
            pt.ProfileIndex = j;
            pt.PointSegNo = segNo;
            o.Points.push_back(pt);
        }
    }
    return o;
}

}  // namespace kestrova::test
