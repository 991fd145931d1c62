// Small road models for the view tests, built in code: a straight road along
// +Y with profiles every `spacing` metres, each cross section a chain of key
// points across X. The computed fields the views read are set by hand or by
// running the sight check.
#pragma once

#include "core/model/road_model.h"
#include "test_road_builder.h"

#include <QColor>
#include <QImage>
#include <QString>
#include <QtGlobal>

#include <functional>
#include <vector>

namespace kestrova::test {

struct tSectionPoint {
    int Number;  // key point number
    double X;    // across the road
    double H;
};

// A section 80 m wide: terrain, shoulders, two carriageway halves and a
// zero-width centre (key points 117 and 123 coincide).
inline std::vector<tSectionPoint> StandardSection(double halfWidth = 40) {
    return {{1, -halfWidth, 2.0}, {109, -7, 0.3}, {112, -5, 0},   {116, -2.5, 0.05}, {117, 0, 0.1},
            {123, 0, 0.1},        {127, 5, 0},    {130, 7, 0.3}, {200, halfWidth, 2.0}};
}

// Builds a profile at position y along the road with base height `lift`.
inline tPlanProfile MakeProfile(double y, double lift, const std::vector<tSectionPoint>& section, int record) {
    tPlanProfile p = BareProfile(record - 1, y);
    p.FwdLookDist = -1;
    p.RevLookDist = -1;
    p.KeyPointM1 = Pt(-1.75, y, lift + 0.05);
    p.KeyPoint0 = Pt(1.75, y, lift + 0.05);
    std::vector<tKeyPoint> chain;
    for (const auto& point : section) chain.push_back({point.Number, Pt(point.X, y, lift + point.H)});
    AddSection(p, chain);
    return p;
}

// A road of `count` profiles `spacing` apart; lift(i) gives each profile's base height.
inline tRoadModel MakeRoad(int count, double spacing, const std::function<double(int)>& lift = {}) {
    tRoadModel m;
    m.Plan.ViewDepth = 385;
    m.Plan.EyeHeight = 1.2;
    m.Plan.LookDistancesReady = 1;
    for (int i = 0; i < count; ++i)
        m.Plan.Profiles.push_back(MakeProfile(i * spacing, lift ? lift(i) : 0.0, StandardSection(), i + 1));
    return m;
}

// Raises the section of profiles [first, last] with an object standing on
// the terrain from X = x1 to X = x2 (inside one segment), as the vegetation
// preparation does: that segment is split, rise, top and fall are inserted
// and the part under the object is covered.
inline void AddObject(tRoadModel& m, int first, int last, bool vegetation, double height, int objectIndex = 0,
                      double x1 = 10, double x2 = 20) {
    for (int j = first; j <= last; ++j) {
        auto& segs = m.Plan.Profiles[j].Segments;
        size_t at = 0;
        while (at < segs.size() && !(segs[at].A.X <= x1 && segs[at].B.X >= x2)) ++at;
        if (at == segs.size()) continue;
        const tProfileSegment outer = segs[at];
        const auto point = [&](double x) {
            const double t = (x - outer.A.X) / (outer.B.X - outer.A.X);
            return Pt(x, outer.A.Y, outer.A.H + (outer.B.H - outer.A.H) * t);
        };
        tProfileSegment a = outer, mid = outer, b = outer;
        a.B = point(x1);
        mid.A = point(x1);
        mid.B = point(x2);
        b.A = point(x2);
        mid.Covered = 1;
        mid.SegNo = 500 + outer.SegNo;  // the pieces keep codes of their own
        b.SegNo = 600 + outer.SegNo;
        const uint8_t kind = vegetation ? 5 : 4;
        tProfileSegment rise, top, fall;
        rise.A = mid.A;
        rise.B = mid.A;
        rise.B.H += height;
        fall.A = mid.B;
        fall.A.H += height;
        fall.B = mid.B;
        top.A = rise.B;
        top.B = fall.A;
        rise.Kind = top.Kind = fall.Kind = kind;
        rise.SegNo = 1001 + 10 * objectIndex;
        top.SegNo = 1002 + 10 * objectIndex;
        fall.SegNo = 1003 + 10 * objectIndex;
        segs.erase(segs.begin() + static_cast<long>(at));
        segs.insert(segs.begin() + static_cast<long>(at), {a, rise, top, fall, mid, b});
    }
}

// A section with terrain points every few tens of metres out to +-200 m.
inline std::vector<tSectionPoint> TerrainSection() {
    return {{1, -200, 4},  {2, -100, 3},  {3, -50, 2},  {4, -20, 1},   {5, -10, 0.5},  {109, -7, 0.3},
            {112, -5, 0},  {116, -2.5, 0.05}, {117, 0, 0.1}, {123, 0, 0.1}, {127, 5, 0}, {130, 7, 0.3},
            {201, 10, 0.5}, {202, 20, 1}, {203, 50, 2}, {204, 100, 3}, {205, 200, 4}};
}

// Keeps a picture for a person to look at when KESTROVA_VIEW_PNG_DIR names a folder.
inline void MaybeSave(const QImage& img, const QString& name) {
    const QString dir = qEnvironmentVariable("KESTROVA_VIEW_PNG_DIR");
    if (!dir.isEmpty()) img.save(dir + QLatin1Char('/') + name + QStringLiteral(".png"));
}

inline int CountColour(const QImage& img, QColor c, QRect area = QRect()) {
    if (area.isNull()) area = img.rect();
    area &= img.rect();
    const QRgb want = c.rgb();
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (img.pixel(x, y) == want) ++n;
    return n;
}

}  // namespace kestrova::test
