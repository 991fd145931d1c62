// The sight stages of the calculation run, computed faster with exactly the
// results of the plain routines of sight_check.h:
//  - each profile's central span and ground segments are taken once, after the
//    vegetation/buildings preparation (the sections do not change afterwards);
//  - the observers' sight lines are computed side-effect free on several
//    threads, block by block, and their effects on the profiles are then
//    applied one observer after the other in the order of the plain scan;
//  - the look-speed pass finds the shortened range with checks that stop at
//    the first obstruction and replays only the effects that outlive the
//    pass (falling back to the plain pass for an observer where a shorter
//    check would not overwrite everything a longer one wrote).
#pragma once

#include "core/calc/geometry.h"
#include "core/calc/sight_check.h"

#include <cmath>
#include <cstdint>
#include <vector>

namespace kestrova {

// Height of a line (two points with X, Y, H) above a plan point, as the
// plain check finds it by crossing the line with a vertical one: precomputed
// slope and intercept over X or over Y, a constant height, or no value.
struct tHeightLine {
    enum : uint8_t { None, Constant, OverX, OverY } Mode = None;
    double K = 0, B = 0;
    double At(double x, double y, double fallback) const {
        switch (Mode) {
            case Constant: return B;
            case OverX: return B + x * K;
            case OverY: return B + y * K;
            default: return fallback;
        }
    }
};
tHeightLine MakeHeightLine(const tRoadPoint& a, const tRoadPoint& b);
tHeightLine MakeHeightLine(const tSectionPoint& a, const tSectionPoint& b);

// Per-profile geometry the fast stages read instead of the segment chain.
struct tFastProfile {
    bool HasSegments = false;
    bool Upright = false;  // the section stands upright in X: ground found along Y
    double LX = 0, LY = 0, RX = 0, RY = 0;
    // The section line in plan: horizontal / vertical flags, slope and intercept.
    bool Hor = false, Vert = false;
    double K = 0, B = 0;
    tHeightLine Whole;  // ground height over the whole section
    tCentralSpan Span;
    int32_t FirstGround = 0;  // range in tFastSight::Ground of segments of some length
    int32_t GroundCount = 0;
};

struct tFastSight {
    std::vector<tFastProfile> Profiles;
    std::vector<tHeightLine> Ground;  // the height lines of the ground segments
    // The ground segments as ranges of the coordinate the plain check tests
    // (Y for an upright section, else X), and per profile how they run: when
    // both ends of the ranges rise (or fall) along a section, the segments
    // holding a point are one run and the first of them is found by halving;
    // otherwise they are tried in order.
    enum : uint8_t { GroundInOrder, GroundRising, GroundFalling };
    std::vector<uint8_t> GroundOrder;  // per profile
    std::vector<double> GroundLo, GroundHi;  // per segment of Ground
    std::vector<uint8_t> CentreWritten;  // RoadCentre already holds its span's midpoint
    int Threads = 1;  // threads the scans and look-speed passes run on
    int BlockSize = 256;
};

// The two halves of InRangeInclusive with the ends already ordered: v not
// below lo, v not above hi, each within 0.000001.
inline bool NotBelow(double v, double lo) { return v > lo || std::fabs(v - lo) < 0.000001; }
inline bool NotAbove(double v, double hi) { return v < hi || std::fabs(hi - v) < 0.000001; }

// The ground height line of profile k at the plan point (x, y) as the plain
// check picks it: the first segment whose range holds the point, else the
// line of the whole section. `hint` (per profile, or null) remembers the
// segment found last time: nearby points usually fall in it again, and on a
// rising or falling section it is then the first one as soon as the segment
// before it does not hold the point.
inline const tHeightLine& GroundLineAt(const tFastSight& fast, int32_t k, double x, double y,
                                       int32_t* hint = nullptr) {
    const tFastProfile& g = fast.Profiles[k];
    const double v = g.Upright ? y : x;
    const double* lo = fast.GroundLo.data() + g.FirstGround;
    const double* hi = fast.GroundHi.data() + g.FirstGround;
    const int32_t count = g.GroundCount;
    const uint8_t order = fast.GroundOrder[k];
    int32_t found = -1;
    if (hint && *hint < count && order != tFastSight::GroundInOrder) {
        const int32_t h = *hint;
        if (NotBelow(v, lo[h]) && NotAbove(v, hi[h]) &&
            (h == 0 || (order == tFastSight::GroundRising ? !NotAbove(v, hi[h - 1]) : !NotBelow(v, lo[h - 1]))))
            return fast.Ground[g.FirstGround + h];
    }
    switch (order) {
        case tFastSight::GroundRising: {
            int32_t a = 0, b = count;  // first segment not ending below v
            while (a < b) {
                const int32_t m = (a + b) / 2;
                if (NotAbove(v, hi[m]))
                    b = m;
                else
                    a = m + 1;
            }
            if (a < count && NotBelow(v, lo[a])) found = a;
            break;
        }
        case tFastSight::GroundFalling: {
            int32_t a = 0, b = count;  // first segment not starting above v
            while (a < b) {
                const int32_t m = (a + b) / 2;
                if (NotBelow(v, lo[m]))
                    b = m;
                else
                    a = m + 1;
            }
            if (a < count && NotAbove(v, hi[a])) found = a;
            break;
        }
        default:
            for (int32_t s = 0; s < count; ++s) {
                if (NotBelow(v, lo[s]) && NotAbove(v, hi[s])) {
                    found = s;
                    break;
                }
            }
    }
    if (found < 0) return g.Whole;
    if (hint) *hint = found;
    return fast.Ground[g.FirstGround + found];
}

// The plan line of a sight line with the coefficients LineIntersection and
// LineIntersectionPoint compute for their first line, taken once per line.
struct tPlanLine {
    double AX = 0, AY = 0;
    bool Hor = false, Vert = false;
    double K = 0, Bc = 0;
};

inline tPlanLine MakePlanLine(double ax, double ay, double bx, double by) {
    tPlanLine line;
    line.AX = ax;
    line.AY = ay;
    line.Hor = std::fabs(ay - by) < kIntersectTolerance;
    line.Vert = std::fabs(ax - bx) < kIntersectTolerance;
    if (!line.Vert) {
        line.K = (ay - by) / (ax - bx);
        line.Bc = ay - ax * line.K;
    }
    return line;
}

// Crossing of the plan line with the section line of g, as LineIntersection
// finds it (same cases, same operations).
inline bool PlanCrossing(const tPlanLine& l, const tFastProfile& g, double& x, double& y) {
    if ((l.Hor && g.Hor) || (l.Vert && g.Vert) || (l.Hor && l.Vert) || (g.Hor && g.Vert)) return false;
    if (l.Hor && g.Vert) {
        x = g.LX;
        y = l.AY;
    } else if (g.Hor && l.Vert) {
        x = l.AX;
        y = g.LY;
    } else if (l.Vert) {
        x = l.AX;
        y = g.B + l.AX * g.K;
    } else {
        if (g.Vert) {
            x = g.LX;
        } else {
            if (std::fabs(l.K - g.K) < kIntersectTolerance) return false;
            x = (g.B - l.Bc) / (l.K - g.K);
        }
        y = l.Bc + x * l.K;
    }
    return true;
}

// A sight line from a to b with the coefficients the plain check computes
// for every profile, taken once: the plan line (as the first line of
// LineIntersectionPoint) and the sight height over X or Y.
struct tCheckLine {
    tPlanLine Plan;
    tHeightLine Height;
};
inline tCheckLine MakeCheckLine(const tRoadPoint& a, const tRoadPoint& b) {
    return {MakePlanLine(a.X, a.Y, b.X, b.Y), MakeHeightLine(a, b)};
}

// The cached section geometry for CheckSightLineOver (see tChainSections).
// `hints` (per profile, or null) remember the ground segments found last;
// `centres` (or null) is the CentreWritten the check keeps.
class tFastSections {
public:
    tFastSections(const TMPlan& plan, const tFastSight& fast, int32_t* hints, std::vector<uint8_t>* centres)
        : Plan(plan), Fast(fast), Hints(hints), Centres(centres) {}
    using tLine = tCheckLine;
    tLine Line(const tRoadPoint& a, const tRoadPoint& b) const { return MakeCheckLine(a, b); }
    bool Cross(const tLine& line, int k, double& x, double& y) const {
        const tFastProfile& g = Fast.Profiles[k];
        return g.HasSegments && PlanCrossing(line.Plan, g, x, y);
    }
    const tCentralSpan& Span(int k) const { return Fast.Profiles[k].Span; }
    // The track height is only the fallback of a line without a height, and
    // such a line has no plan direction to cross a section with; it is not
    // read otherwise, since the scans write it while other observers run.
    double SightHeight(const tLine& line, int k, int variant, double x, double y) const {
        return line.Height.Mode == tHeightLine::None ? Plan.Profiles[k].SightTrack[variant].H
                                                     : line.Height.At(x, y, 0);
    }
    double GroundHeight(int k, double x, double y, double fallback) const {
        return GroundLineAt(Fast, k, x, y, Hints ? Hints + k : nullptr).At(x, y, fallback);
    }
    void CentreWritten(int k) {
        if (Centres) (*Centres)[k] = 1;
    }

private:
    const TMPlan& Plan;
    const tFastSight& Fast;
    int32_t* Hints;
    std::vector<uint8_t>* Centres;
};

// Takes the section geometry of every profile; run after PrepareGreens.
// threads = 0 uses the machine's hardware threads.
tFastSight MakeFastSight(const TMPlan& plan, int threads = 0);

// CheckSightLine with the cached geometry: the same result and the same
// effects on the profiles (and CentreWritten kept). The plain routine never
// switches to this one by itself: callers that hold the geometry call it.
bool FastCheckSightLine(TMPlan& plan, tFastSight& fast, int start, int end, int variant, bool forceCheck,
                        bool replaceStart, bool replaceEnd, const tRoadPoint& replacement);

void FastForwardScan(TMPlan& plan, tFastSight& fast, tProgressCounter& progress);
void FastForwardLookSpeeds(TMPlan& plan, tFastSight& fast);
void FastReverseScan(TMPlan& plan, tFastSight& fast, tProgressCounter& progress);
void FastReverseLookSpeeds(TMPlan& plan, tFastSight& fast);

}  // namespace kestrova
