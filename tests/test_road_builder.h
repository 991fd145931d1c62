// Building blocks of the hand-built test roads: points, profiles and cross
// sections as the road importer leaves them. Each test folder lays out its own
// roads with these.
#pragma once

#include "core/import/road_import.h"
#include "core/model/road_model.h"

#include <cstdint>
#include <vector>

namespace kestrova::test {

// A point whose second height equals its height, as on a segment's end points.
inline tRoadPoint Pt(double x, double y, double h) {
    tRoadPoint p;
    p.X = x;
    p.Y = y;
    p.H = h;
    p.H2 = h;
    return p;
}

// One key point of a cross section: its number in the road table and where it lies.
struct tKeyPoint {
    int Number;
    tRoadPoint Point;
};

// Row `index` of the profile table (record number index + 1) at `position`,
// before any crossroad has been looked at.
inline tPlanProfile BareProfile(int index, double position) {
    tPlanProfile p;
    p.Position = position;
    p.RecordNumber = index + 1;
    for (int d = 0; d < 2; ++d) p.CrossLook[d].FirstVisible = index;
    return p;
}

// Appends the segments between consecutive key points of chain, in chain order,
// as the importer builds them: numbered from 1, kind by start key point.
inline void AddSection(tPlanProfile& p, const std::vector<tKeyPoint>& chain) {
    for (size_t k = 0; k + 1 < chain.size(); ++k) {
        tProfileSegment s;
        s.A = chain[k].Point;
        s.B = chain[k + 1].Point;
        s.Kind = SegmentKind(chain[k].Number);
        s.FromDtm = 1;
        s.SegNo = static_cast<int32_t>(k + 1);
        s.APoint = chain[k].Number;
        s.BPoint = chain[k + 1].Number;
        p.Segments.push_back(s);
    }
}

}  // namespace kestrova::test
