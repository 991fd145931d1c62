#include "core/calc/crossroads_check.h"

#include "core/calc/crossroads_parts.h"
#include "core/calc/factor_speeds.h"
#include "core/calc/geometry.h"
#include "core/calc/sight_check.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

namespace kestrova {
namespace crossroads {

tObserverView ObserverView(const TMPlan& plan, const tCrossRoadRec& road, int32_t crossProfile, int32_t p,
                           int direction) {
    tObserverView view;
    view.Eye = EyePoint(plan.Profiles[p], direction);
    const int32_t ahead = direction == DirFwd ? p + 1 : p - 1;
    const tRoadPoint& r0 = plan.Profiles[p].KeyPoint0;
    const tRoadPoint& r1 = plan.Profiles[ahead].KeyPoint0;
    view.Rdx = r1.X - r0.X;
    view.Rdy = r1.Y - r0.Y;
    view.HalfAngle = kCrossRoadViewAngle / 2 * std::numbers::pi / 180;
    view.Crossing = &road.Points[road.CrossIndex];
    view.EyeGap = PlanDistance(plan.Profiles[crossProfile].KeyPoint0, plan.Profiles[crossProfile].KeyPointM1);
    view.Step = direction == DirFwd ? 1 : -1;
    return view;
}

int32_t SampledReach(const tCrossRoadRec& road, int32_t profiles, int direction, double minChainage,
                     double maxChainage, int32_t reach) {
    for (const tRoadPoint& q : road.Points) {
        if (!q.OnSection || q.ProfileIndex < 0 || q.ProfileIndex >= profiles) continue;
        if (q.Chainage < minChainage - kSamePoint || q.Chainage > maxChainage + kSamePoint) continue;
        reach = direction == DirFwd ? std::max(reach, q.ProfileIndex) : std::min(reach, q.ProfileIndex);
    }
    return reach;
}

void ResetCrossLook(TMPlan& plan) {
    for (int32_t i = 0; i < plan.Count(); ++i) {
        for (tXCrossLookDir& look : plan.Profiles[i].CrossLook) {
            look = tXCrossLookDir();
            look.FirstVisible = i;
        }
    }
}

}  // namespace crossroads

using namespace crossroads;

namespace {


// The first profile beyond the observer (towards the crossing) whose section
// line the sight line from the eye does not cross before reaching the sample;
// the road's end when it crosses them all. The section lines are taken as
// whole lines, so a sight line passing beside a narrow section still counts it.
int32_t FarProfile(const TMPlan& plan, int32_t p, int direction, const tRoadPoint& eye, const tRoadPoint& sample) {
    const int32_t n = plan.Count();
    const int32_t step = direction == DirFwd ? 1 : -1;
    int32_t k = p + step;
    for (; k >= 0 && k < n; k += step) {
        tRoadPoint l, r;
        if (!SectionLine(plan.Profiles[k], l, r)) break;
        double x = 0, y = 0;
        bool on1 = false, on2 = false;
        if (!LineIntersection(eye.X, eye.Y, sample.X, sample.Y, l.X, l.Y, r.X, r.Y, true, true, true, true, x, y, on1,
                              on2) ||
            !OnSegment(x, y, eye.X, eye.Y, sample.X, sample.Y, true, false))
            break;
    }
    return std::clamp(k, 0, n - 1);
}

// Per crossroad and direction: what the approach found.
struct tApproach {
    std::vector<uint8_t> Hidden;  // per profile, this crossroad only
};

// Sight tests from approach profile p (one direction) to both sides of the
// crossing road, sampled every kCrossRoadSampleStep from the crossing.
void TestFromProfile(TMPlan& plan, tCrossRoadRec& road, int32_t roadIndex, int32_t crossProfile, int32_t p,
                     int direction, tApproach& approach) {
    const tObserverView view = ObserverView(plan, road, crossProfile, p, direction);
    const tRoadPoint& eye = view.Eye;
    const int32_t step = view.Step;
    int32_t reach = p;  // FirstVisible candidate of this observer
    double minChainage = 0, maxChainage = 0;

    for (int side = 0; side < 2; ++side) {
        const double sign = side == 0 ? -1 : 1;
        const double limit = view.Limit(side, direction);
        for (int64_t i = 0;; ++i) {
            const double chainage = sign * kCrossRoadSampleStep * static_cast<double>(i);
            tRoadPoint sample;
            if (!SampleCrossRoad(road, chainage, sample)) break;
            minChainage = std::min(minChainage, chainage);
            maxChainage = std::max(maxChainage, chainage);

            std::vector<tSightPoint>& samples = road.Samples[side];
            if (static_cast<int64_t>(samples.size()) == i) samples.push_back(sample);
            tXCrossLookDir& look = plan.Profiles[p].CrossLook[direction];
            tSightLine line;
            line.CrossRoad = roadIndex;
            line.Sample = static_cast<int32_t>(i);

            const int32_t c = FarProfile(plan, p, direction, eye, sample);
            reach = direction == DirFwd ? std::max(reach, c) : std::min(reach, c);
            const bool invisible = direction == DirFwd
                                       ? CheckSightLine(plan, p, c, 1, true, false, true, sample)
                                       : CheckSightLine(plan, c, p, 0, true, true, false, sample);
            if (invisible) {
                approach.Hidden[p] = 1;
                bool first = true;
                for (int32_t q = p + step; q != c; q += step) {
                    tPlanProfile& obstacle = plan.Profiles[q];
                    if (!obstacle.Obstructed) continue;
                    if (first) {
                        line.Cut = static_cast<int32_t>(look.CutTargets.size());
                        look.CutTargets.push_back(obstacle.SightPoint);
                        first = false;
                    }
                    if (obstacle.SightPoint.H < obstacle.GroundPoint.H) {
                        tHiddenPoint hidden;
                        hidden.Point = obstacle.SightPoint;
                        hidden.ObserverProfile = p;
                        hidden.CrossRoad = roadIndex;
                        obstacle.CrossLook[direction].HiddenPoints[side].Points.push_back(hidden);
                        road.NotVisible[direction] = 1;
                    }
                }
            }
            look.SightLines[side].push_back(line);

            const double angle =
                std::fabs(AngleBetween(false, view.Rdx, view.Rdy, sample.X - eye.X, sample.Y - eye.Y));
            if (angle < view.HalfAngle) continue;
            // Samples fall on whole steps from the crossing, often exactly on
            // the limit; rounding must not decide whether such a one is farther.
            if (PlanDistance(sample, *view.Crossing) > limit + kSamePoint) break;
        }
    }

    reach = SampledReach(road, plan.Count(), direction, minChainage, maxChainage, reach);
    int32_t& firstVisible = plan.Profiles[p].CrossLook[direction].FirstVisible;
    firstVisible = direction == DirFwd ? std::max(firstVisible, reach) : std::min(firstVisible, reach);
}

// Direction `direction` of one crossroad: walks the approach outward from its
// bound until the stopping distance is covered, then limits CrossV when any
// approach profile is hidden.
void CheckApproach(TMPlan& plan, tCrossRoadRec& road, int32_t roadIndex, int32_t crossProfile, int direction) {
    tApproach approach;
    approach.Hidden.assign(plan.Count(), 0);
    const int32_t end = WalkApproach(plan, road, direction, [&](int32_t p) {
        TestFromProfile(plan, road, roadIndex, crossProfile, p, direction, approach);
    });
    road.ApproachEnd[direction] = end;
    LimitApproach(plan, road, direction, end, [&](int32_t q, int32_t) -> uint8_t& { return approach.Hidden[q]; });
}

// One crossroad: crossing, polyline preparation and both approaches.
void CheckCrossRoad(TMPlan& plan, tCrossRoadRec& road, int32_t roadIndex, const tProgress& progress) {
    int32_t crossings = 0, d = 0;
    if (!PrepareCrossRoad(plan, nullptr, nullptr, road, crossings, d)) {
        ReportSkipped(road, crossings, progress);
        return;
    }
    for (int direction : {DirFwd, DirRev})
        if (road.DirectionOpen[direction]) CheckApproach(plan, road, roadIndex, d, direction);
}

}  // namespace

bool SampleCrossRoad(const tCrossRoadRec& road, double chainage, tRoadPoint& point) {
    const int32_t m = road.Count();
    if (m < 1) return false;
    constexpr double kEdge = 1e-9;
    if (chainage < road.Points.front().Chainage - kEdge || chainage > road.Points.back().Chainage + kEdge) return false;
    // First point whose chainage exceeds the wanted one; the sample lies before it.
    auto it = std::upper_bound(road.Points.begin(), road.Points.end(), chainage,
                               [](double c, const tRoadPoint& p) { return c < p.Chainage; });
    int32_t j = static_cast<int32_t>(it - road.Points.begin());
    if (j >= m) j = m - 1;
    if (j < 1) j = 1;
    if (m == 1) {
        point = road.Points.front();
        return true;
    }
    const tRoadPoint& a = road.Points[j - 1];
    const tRoadPoint& b = road.Points[j];
    const double length = b.Chainage - a.Chainage;
    double t = length > kEdge ? (chainage - a.Chainage) / length : 0;
    t = std::clamp(t, 0.0, 1.0);
    point = tRoadPoint();
    point.X = Lerp(a.X, b.X, t);
    point.Y = Lerp(a.Y, b.Y, t);
    point.H = Lerp(a.H, b.H, t);
    point.H2 = point.H;
    point.Chainage = chainage;
    point.ProfileIndex = -1;
    return true;
}

void CalcCrossRoads(tRoadModel& model, tProgressCounter& progress) {
    TMPlan& plan = model.Plan;
    ResetCrossLook(plan);
    for (int32_t i = 0; i < model.CrossRoads.Count(); ++i) {
        progress.Advance(1);
        progress.Progress.Idle();
        CheckCrossRoad(plan, model.CrossRoads.Roads[i], i, progress.Progress);
    }
}

}  // namespace kestrova
