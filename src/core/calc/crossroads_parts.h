// The pieces the files of the crossroads stage share (crossroads_crossing.cpp:
// the crossing and the polyline's orientation; crossroads_check.cpp: the
// sampling and the visibility tests of the reference engine; crossroads_fast.cpp:
// the same under the fast engine and its threads): the polyline preparation,
// the approach set-up, the approach walk and the speed limiting. Internal to
// the stage.
#pragma once

#include "core/calc/crossroads_check.h"
#include "core/calc/factor_speeds.h"
#include "core/calc/geometry.h"
#include "core/calc/sight_fast.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <unordered_map>
#include <vector>

namespace kestrova::crossroads {

// Points closer than this are the same point (crossings, inserted points).
constexpr double kSamePoint = 0.00001;
// Collinearity tolerance of the section-line tests.
constexpr double kOnSectionTolerance = 0.001;

// The profiles by the square of the plan their KeyPoint0 lies in, squares a
// little wider than the search radius: every profile within the radius of a
// point lies in the nine squares around it. Profiles are listed in index
// order; one without a finite place is a candidate everywhere.
struct tProfileSquares {
    static constexpr double kSize = kCrossRoadSearchRadius + 1;
    std::unordered_map<int64_t, std::vector<int32_t>> Squares;
    std::vector<int32_t> Anywhere;

    static int64_t Key(int64_t ix, int64_t iy) { return ix * 4294967296LL + iy; }
    explicit tProfileSquares(const TMPlan& plan) {
        for (int32_t d = 0; d < plan.Count(); ++d) {
            const tRoadPoint& p = plan.Profiles[d].KeyPoint0;
            if (!std::isfinite(p.X) || !std::isfinite(p.Y) || std::fabs(p.X) > 1e12 || std::fabs(p.Y) > 1e12)
                Anywhere.push_back(d);
            else
                Squares[Key(static_cast<int64_t>(std::floor(p.X / kSize)), static_cast<int64_t>(std::floor(p.Y / kSize)))]
                    .push_back(d);
        }
    }
    // The profiles that may lie within the search radius of (x, y), ascending.
    std::vector<int32_t> Candidates(double x, double y) const {
        std::vector<int32_t> out = Anywhere;
        if (!std::isfinite(x) || !std::isfinite(y) || std::fabs(x) > 1e12 || std::fabs(y) > 1e12) {
            for (const auto& [key, list] : Squares) out.insert(out.end(), list.begin(), list.end());
        } else {
            const int64_t ix = static_cast<int64_t>(std::floor(x / kSize));
            const int64_t iy = static_cast<int64_t>(std::floor(y / kSize));
            for (int64_t a = ix - 1; a <= ix + 1; ++a)
                for (int64_t b = iy - 1; b <= iy + 1; ++b) {
                    const auto it = Squares.find(Key(a, b));
                    if (it != Squares.end()) out.insert(out.end(), it->second.begin(), it->second.end());
                }
        }
        std::sort(out.begin(), out.end());
        return out;
    }
};

const tRoadPoint& EyePoint(const tPlanProfile& profile, int direction);
double PlanDistance(const tRoadPoint& a, const tRoadPoint& b);
// Section line of a profile: from A of its first segment to B of its last.
bool SectionLine(const tPlanProfile& profile, tRoadPoint& left, tRoadPoint& right);
// Whether (x, y), a point of the line through a and b, lies on the segment
// a-b (see the definition for the ends).
bool OnSegment(double x, double y, double ax, double ay, double bx, double by, bool includeA, bool includeB);

// One log line and one message for a crossroad that does not cross the road
// exactly once.
void ReportSkipped(const tCrossRoadRec& road, int32_t crossings, const tProgress& progress);

// One crossroad's crossing and polyline preparation: false when it does not
// cross the road exactly once (Skip set, `crossings` found), else the crossing
// segment's profile in `d` and the approach fields set. `fast` and `squares`
// (both or neither) let the fast engine skip far profiles.
bool PrepareCrossRoad(const TMPlan& plan, const tFastSight* fast, const tProfileSquares* squares, tCrossRoadRec& road,
                      int32_t& crossings, int32_t& d);

// Clears every profile's CrossLook, FirstVisible at the profile itself.
void ResetCrossLook(TMPlan& plan);

// What an observer of an approach sees the crossing road from: the eye, the
// road direction ahead (towards the crossing), the crossing point, and the
// plan distance from the crossing within which the samples of a side go on
// even outside the view angle.
struct tObserverView {
    tRoadPoint Eye;
    double Rdx = 0, Rdy = 0;
    double HalfAngle = 0;
    const tRoadPoint* Crossing = nullptr;
    double EyeGap = 0;  // between KeyPoint0 and KeyPointM1 of the crossing's profile
    int32_t Step = 1;   // profile step towards the crossing
    double Limit(int side, int direction) const {
        return (side == 0 && direction == DirRev) ? EyeGap + kCrossRoadSampleStep : kCrossRoadSampleStep;
    }
};
tObserverView ObserverView(const TMPlan& plan, const tCrossRoadRec& road, int32_t crossProfile, int32_t p,
                           int direction);

// The observer's FirstVisible candidate `reach` widened by the profiles whose
// section lines the sampled part (minChainage..maxChainage) of the crossing
// road crosses.
int32_t SampledReach(const tCrossRoadRec& road, int32_t profiles, int direction, double minChainage,
                     double maxChainage, int32_t reach);

// Walks the approach of one direction outward from its bound, calling
// test(p) for every observer, until the one-way stopping distance of the
// observer's category is covered or the road ends; returns the last observer.
template <class Test>
int32_t WalkApproach(const TMPlan& plan, const tCrossRoadRec& road, int direction, Test&& test) {
    const int32_t n = plan.Count();
    const int32_t outward = direction == DirFwd ? -1 : 1;
    int32_t p = road.ApproachRange[direction];
    for (;;) {
        test(p);
        const tPlanProfile& profile = plan.Profiles[p];
        const double g = std::fabs(road.CrossKm - profile.Position);
        const double required = SightDistance(false, FreeCarSpeed(profile.RoadCathegory));
        const int32_t next = p + outward;
        if (g >= required || next < 0 || next >= n) break;
        p = next;
    }
    return p;
}

// After the approach of one direction was tested, from its bound out to
// `end`: the speed follows the clear profiles walking outward; from the first
// hidden one on, everything farther counts as hidden (CrossLook Hidden set),
// FirstVisible is carried outward, and when a hidden profile was seen CrossV
// of every approach profile is lowered (never raised) to the speed the
// distance of the last clear one allows, 0 when none is clear.
// hidden(q, slot) is the hidden flag of profile q, slot its place outward
// from the bound.
template <class Hidden>
void LimitApproach(TMPlan& plan, const tCrossRoadRec& road, int direction, int32_t end, Hidden&& hidden) {
    const int32_t bound = road.ApproachRange[direction];
    const int32_t outward = direction == DirFwd ? -1 : 1;
    double candidate = 0;
    bool hiddenSeen = false;
    int32_t reach = bound;
    for (int32_t q = bound, slot = 0;; q += outward, ++slot) {
        tXCrossLookDir& look = plan.Profiles[q].CrossLook[direction];
        uint8_t& qHidden = hidden(q, slot);
        if (!hiddenSeen && !qHidden) {
            candidate = SpeedForSightDistance(false, std::fabs(road.CrossKm - plan.Profiles[q].Position));
        } else {
            hiddenSeen = true;
            qHidden = 1;
        }
        if (qHidden) look.Hidden = 1;
        reach = direction == DirFwd ? std::max(reach, look.FirstVisible) : std::min(reach, look.FirstVisible);
        look.FirstVisible = reach;
        if (q == end) break;
    }
    if (hiddenSeen) {
        for (int32_t q = bound;; q += outward) {
            double& v = plan.Profiles[q].CrossV[direction];
            v = std::min(v, candidate);
            if (q == end) break;
        }
    }
}

}  // namespace kestrova::crossroads
