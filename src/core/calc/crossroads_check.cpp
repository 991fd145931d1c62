#include "calc/crossroads_check.h"

#include "calc/factor_speeds.h"
#include "calc/geometry.h"
#include "calc/sight_check.h"
#include "calc/sight_fast.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <memory>
#include <numbers>
#include <thread>
#include <unordered_map>
#include <utility>
#include <vector>

namespace kestrova {

namespace {

// Points closer than this are the same point (crossings, inserted points).
constexpr double kSamePoint = 0.00001;
// Collinearity tolerance of the section-line tests.
constexpr double kOnSectionTolerance = 0.001;
// How far the densifying walk goes from a matched point when its neighbour
// lies in no band.
constexpr int32_t kDensifyWalk = 100;

struct tCrossing {
    double X = 0;
    double Y = 0;
    int32_t Road = 0;     // road segment: profile D to D + 1
    int32_t Segment = 0;  // crossroad segment: point s to s + 1
};

const tRoadPoint& EyePoint(const tPlanProfile& profile, int direction) {
    return direction == DirFwd ? profile.KeyPoint0 : profile.KeyPointM1;
}

double PlanDistance(const tRoadPoint& a, const tRoadPoint& b) { return Distance(a.X, a.Y, b.X, b.Y); }

// Section line of a profile: from A of its first segment to B of its last.
bool SectionLine(const tPlanProfile& profile, tRoadPoint& left, tRoadPoint& right) {
    if (profile.Segments.empty()) return false;
    left = profile.Segments.front().A;
    right = profile.Segments.back().B;
    return true;
}

bool OnSectionLine(const tPlanProfile& profile, double x, double y) {
    tRoadPoint l, r;
    if (!SectionLine(profile, l, r)) return false;
    return IsCollinear(x, y, l.X, l.Y, r.X, r.Y, kOnSectionTolerance);
}

// Whether (x, y), a point of the line through a and b, lies on the segment
// a-b. Measured along the segment, so a segment parallel to an axis behaves
// like any other (a per-coordinate interval test with an excluded end rejects
// every point of such a segment). An included end takes points up to
// kGeometryTolerance beyond it, an excluded end rejects points within it.
bool OnSegment(double x, double y, double ax, double ay, double bx, double by, bool includeA, bool includeB) {
    const double length = Distance(ax, ay, bx, by);
    if (length < kGeometryTolerance) return false;
    const double along = ((x - ax) * (bx - ax) + (y - ay) * (by - ay)) / length;
    const bool low = includeA ? along >= -kGeometryTolerance : along > kGeometryTolerance;
    const bool high = includeB ? along <= length + kGeometryTolerance : along < length - kGeometryTolerance;
    return low && high;
}

// Crossing point of the lines through a0-a1 and b0-b1 when it lies on both
// segments, with the given end ownership.
bool SegmentsCross(double a0x, double a0y, double a1x, double a1y, bool includeA0, bool includeA1, double b0x,
                   double b0y, double b1x, double b1y, bool includeB0, bool includeB1, double& x, double& y) {
    bool on1 = false, on2 = false;
    if (!LineIntersection(a0x, a0y, a1x, a1y, b0x, b0y, b1x, b1y, true, true, true, true, x, y, on1, on2)) return false;
    return OnSegment(x, y, a0x, a0y, a1x, a1y, includeA0, includeA1) &&
           OnSegment(x, y, b0x, b0y, b1x, b1y, includeB0, includeB1);
}

// Crossings of the road line (through KeyPoint0 of the profiles) with the
// crossroad's polyline. Every segment owns its first point and, only when it
// ends its polyline, its last one, so a crossing through a shared point counts
// once; a crossing that rounding puts on both sides of a shared point is
// merged as well.
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

// The profiles to try for a crossroad centred at (cx, cy), ascending: every
// profile, or with the fast engine's squares those of the nine squares
// around it; they only leave out profiles the radius test would skip.
std::vector<int32_t> CandidateProfiles(const TMPlan& plan, const tProfileSquares* squares, double cx, double cy) {
    if (squares) return squares->Candidates(cx, cy);
    std::vector<int32_t> all(plan.Count());
    for (int32_t d = 0; d < plan.Count(); ++d) all[d] = d;
    return all;
}

std::vector<tCrossing> FindCrossings(const TMPlan& plan, const std::vector<int32_t>& candidates,
                                     const tCrossRoadRec& road, double cx, double cy) {
    std::vector<tCrossing> found;
    const int32_t n = plan.Count();
    const int32_t m = road.Count();
    for (int32_t d : candidates) {
        if (d + 1 >= n) continue;
        const tRoadPoint& p0 = plan.Profiles[d].KeyPoint0;
        if (Distance(p0.X, p0.Y, cx, cy) > kCrossRoadSearchRadius) continue;
        const tRoadPoint& p1 = plan.Profiles[d + 1].KeyPoint0;
        const bool lastRoad = d + 1 == n - 1;
        for (int32_t s = 0; s + 1 < m; ++s) {
            const tRoadPoint& q0 = road.Points[s];
            const tRoadPoint& q1 = road.Points[s + 1];
            const bool lastCross = s + 1 == m - 1;
            double x = 0, y = 0;
            if (!SegmentsCross(p0.X, p0.Y, p1.X, p1.Y, true, lastRoad, q0.X, q0.Y, q1.X, q1.Y, true, lastCross, x, y))
                continue;
            const bool seen = std::any_of(found.begin(), found.end(), [&](const tCrossing& c) {
                return Distance(c.X, c.Y, x, y) < kSamePoint;
            });
            if (!seen) found.push_back({x, y, d, s});
        }
    }
    return found;
}

void ReportSkipped(const tCrossRoadRec& road, int32_t crossings, const tProgress& progress) {
    tMessage line(crossings == 0 ? QStringLiteral("LoadData.NoCommonCrossPoints")
                                 : QStringLiteral("LoadData.MultiCrossPointsError"));
    line.With(QStringLiteral("%ObjectName%"), road.Name).With(QStringLiteral("%CrossCount%"), QString::number(crossings));
    progress.Line(line);
    tMessage box = line;
    box.Then(QStringLiteral("LoadData.RoadWillBeExcluded"));
    progress.Tell(box);
}

// Height at (x, y) on the segment a-b, by plan distances to its ends.
double HeightBetween(const tRoadPoint& a, const tRoadPoint& b, double x, double y) {
    const double da = Distance(a.X, a.Y, x, y);
    const double db = Distance(x, y, b.X, b.Y);
    if (da + db < kSamePoint) return a.H;
    return a.H + (b.H - a.H) * da / (da + db);
}

tRoadPoint NewCrossRoadPoint(double x, double y, double h) {
    tRoadPoint p;
    p.X = x;
    p.Y = y;
    p.H = h;
    p.ProfileIndex = -1;
    return p;
}

// Makes the crossing a point of the polyline and returns its index. A crossing
// on an existing point (within kSamePoint) uses that point, so no segment of
// zero length appears.
int32_t InsertCrossing(tCrossRoadRec& road, const tCrossing& k) {
    const tRoadPoint& a = road.Points[k.Segment];
    const tRoadPoint& b = road.Points[k.Segment + 1];
    if (Distance(a.X, a.Y, k.X, k.Y) < kSamePoint) return k.Segment;
    if (Distance(b.X, b.Y, k.X, k.Y) < kSamePoint) return k.Segment + 1;
    const tRoadPoint p = NewCrossRoadPoint(k.X, k.Y, HeightBetween(a, b, k.X, k.Y));
    road.Points.insert(road.Points.begin() + k.Segment + 1, p);
    return k.Segment + 1;
}

std::vector<int32_t> ProfilesNear(const TMPlan& plan, const std::vector<int32_t>& candidates, double cx, double cy) {
    std::vector<int32_t> near;
    for (int32_t d : candidates) {
        const tRoadPoint& p = plan.Profiles[d].KeyPoint0;
        if (Distance(p.X, p.Y, cx, cy) <= kCrossRoadSearchRadius) near.push_back(d);
    }
    return near;
}

// Each point not yet matched takes the first band (in `near` order) that
// holds it. With the fast engine's geometry, bands that surely do not hold
// it are passed over without the full test.
void MatchPointsToProfiles(const TMPlan& plan, const tFastSight* fast, tCrossRoadRec& road,
                           const std::vector<int32_t>& near) {
    const int32_t n = plan.Count();
    for (tRoadPoint& p : road.Points) {
        if (p.ProfileIndex >= 0) continue;
        for (int32_t d : near) {
            if (fast && (d + 1 >= n || SurelyOutsideBand(fast->Profiles[d], fast->Profiles[d + 1], p.X, p.Y)))
                continue;
            bool onA = false, onB = false;
            const int32_t band = FindProfileBand(plan, d, p.X, p.Y, onA, onB);
            if (band >= 0) {
                p.ProfileIndex = band;
                p.OnSection = (onA || onB) ? 1 : 0;
                break;
            }
        }
    }
}

// Inserts a point wherever a crossroad segment between points of different
// profiles crosses a section line. The profiles tested run from the lower of
// the two indexes to one above the higher (or kDensifyWalk either way of the
// one known index); only real crossings (on both lines, the crossroad
// segment's ends excluded) are inserted, in order along the segment.
void Densify(const TMPlan& plan, tCrossRoadRec& road) {
    const int32_t n = plan.Count();
    for (int32_t i = 0; i + 1 < road.Count(); ++i) {
        const tRoadPoint a = road.Points[i];
        const tRoadPoint b = road.Points[i + 1];
        if (a.ProfileIndex == b.ProfileIndex) continue;
        int32_t lo, hi;
        if (a.ProfileIndex >= 0 && b.ProfileIndex >= 0) {
            lo = std::min(a.ProfileIndex, b.ProfileIndex);
            hi = std::max(a.ProfileIndex, b.ProfileIndex) + 1;
        } else {
            const int32_t known = std::max(a.ProfileIndex, b.ProfileIndex);
            lo = known - kDensifyWalk;
            hi = known + kDensifyWalk;
        }
        lo = std::max(lo, 0);
        hi = std::min(hi, n - 1);

        struct tCut {
            double Along;
            tRoadPoint Point;
        };
        std::vector<tCut> cuts;
        for (int32_t k = lo; k <= hi; ++k) {
            tRoadPoint l, r;
            if (!SectionLine(plan.Profiles[k], l, r)) continue;
            double x = 0, y = 0;
            if (!SegmentsCross(a.X, a.Y, b.X, b.Y, false, false, l.X, l.Y, r.X, r.Y, true, true, x, y)) continue;
            tRoadPoint p = NewCrossRoadPoint(x, y, HeightBetween(a, b, x, y));
            p.ProfileIndex = k;
            p.OnSection = IsCollinear(x, y, l.X, l.Y, r.X, r.Y, kOnSectionTolerance) ? 1 : 0;
            cuts.push_back({Distance(a.X, a.Y, x, y), p});
        }
        if (cuts.empty()) continue;
        std::stable_sort(cuts.begin(), cuts.end(), [](const tCut& u, const tCut& v) { return u.Along < v.Along; });
        std::vector<tRoadPoint> inserted;
        for (const tCut& c : cuts) {
            if (PlanDistance(c.Point, a) < kSamePoint || PlanDistance(c.Point, b) < kSamePoint) continue;
            if (!inserted.empty() && PlanDistance(c.Point, inserted.back()) < kSamePoint) continue;
            inserted.push_back(c.Point);
        }
        road.Points.insert(road.Points.begin() + i + 1, inserted.begin(), inserted.end());
        if (road.CrossIndex > i) road.CrossIndex += static_cast<int32_t>(inserted.size());
        i += static_cast<int32_t>(inserted.size());
    }
}

// Direction of the crossroad at its crossing point: towards the next point
// that differs from it, or from the previous one when there is none after it.
void CrossRoadDirection(const tCrossRoadRec& road, double& dx, double& dy) {
    const tRoadPoint& k = road.Points[road.CrossIndex];
    dx = dy = 0;
    for (int32_t j = road.CrossIndex + 1; j < road.Count(); ++j) {
        if (PlanDistance(road.Points[j], k) >= kSamePoint) {
            dx = road.Points[j].X - k.X;
            dy = road.Points[j].Y - k.Y;
            return;
        }
    }
    for (int32_t j = road.CrossIndex - 1; j >= 0; --j) {
        if (PlanDistance(road.Points[j], k) >= kSamePoint) {
            dx = k.X - road.Points[j].X;
            dy = k.Y - road.Points[j].Y;
            return;
        }
    }
}

// Turns the polyline so that the crossroad leaves the crossing to the
// positive-angle side of the road direction. The whole point records are
// reversed, so each point keeps its own profile match.
void Orient(const TMPlan& plan, tCrossRoadRec& road, int32_t d) {
    const int32_t n = plan.Count();
    const int32_t from = d < n - 1 ? d : d - 1;
    const tRoadPoint& r0 = plan.Profiles[from].KeyPoint0;
    const tRoadPoint& r1 = plan.Profiles[from + 1].KeyPoint0;
    double cdx = 0, cdy = 0;
    CrossRoadDirection(road, cdx, cdy);
    const double angle = AngleBetween(true, r1.X - r0.X, r1.Y - r0.Y, cdx, cdy);
    if (angle >= std::numbers::pi) {
        std::reverse(road.Points.begin(), road.Points.end());
        road.CrossIndex = road.Count() - 1 - road.CrossIndex;
    }
}

void SetChainages(tCrossRoadRec& road) {
    const int32_t k = road.CrossIndex;
    road.Points[k].Chainage = 0;
    for (int32_t j = k - 1; j >= 0; --j)
        road.Points[j].Chainage = road.Points[j + 1].Chainage - PlanDistance(road.Points[j], road.Points[j + 1]);
    for (int32_t j = k + 1; j < road.Count(); ++j)
        road.Points[j].Chainage = road.Points[j - 1].Chainage + PlanDistance(road.Points[j - 1], road.Points[j]);
}

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
    const int32_t n = plan.Count();
    const tRoadPoint eye = EyePoint(plan.Profiles[p], direction);
    const int32_t ahead = direction == DirFwd ? p + 1 : p - 1;
    const tRoadPoint& r0 = plan.Profiles[p].KeyPoint0;
    const tRoadPoint& r1 = plan.Profiles[ahead].KeyPoint0;
    const double rdx = r1.X - r0.X;
    const double rdy = r1.Y - r0.Y;
    const double halfAngle = kCrossRoadViewAngle / 2 * std::numbers::pi / 180;
    const tRoadPoint& k = road.Points[road.CrossIndex];
    const double eyeGap = PlanDistance(plan.Profiles[crossProfile].KeyPoint0, plan.Profiles[crossProfile].KeyPointM1);
    const int32_t step = direction == DirFwd ? 1 : -1;
    int32_t reach = p;  // FirstVisible candidate of this observer
    double minChainage = 0, maxChainage = 0;

    for (int side = 0; side < 2; ++side) {
        const double sign = side == 0 ? -1 : 1;
        const double limit = (side == 0 && direction == DirRev) ? eyeGap + kCrossRoadSampleStep : kCrossRoadSampleStep;
        for (int64_t i = 0;; ++i) {
            const double chainage = sign * kCrossRoadSampleStep * static_cast<double>(i);
            tRoadPoint sample;
            if (!SampleCrossRoad(road, chainage, sample)) break;
            minChainage = std::min(minChainage, chainage);
            maxChainage = std::max(maxChainage, chainage);

            tSightLine line;
            line.Observer = sample;
            line.Target = sample;
            line.CrossRoad = roadIndex;

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
                        line.Target = obstacle.SightPoint;
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
            plan.Profiles[p].CrossLook[direction].SightLines[side].push_back(line);

            const double angle = std::fabs(AngleBetween(false, rdx, rdy, sample.X - eye.X, sample.Y - eye.Y));
            if (angle < halfAngle) continue;
            // Samples fall on whole steps from the crossing, often exactly on
            // the limit; rounding must not decide whether such a one is farther.
            if (PlanDistance(sample, k) > limit + kSamePoint) break;
        }
    }

    // The profiles whose section lines the sampled part of the crossing road crosses.
    for (const tRoadPoint& q : road.Points) {
        if (!q.OnSection || q.ProfileIndex < 0 || q.ProfileIndex >= n) continue;
        if (q.Chainage < minChainage - kSamePoint || q.Chainage > maxChainage + kSamePoint) continue;
        reach = direction == DirFwd ? std::max(reach, q.ProfileIndex) : std::min(reach, q.ProfileIndex);
    }
    int32_t& firstVisible = plan.Profiles[p].CrossLook[direction].FirstVisible;
    firstVisible = direction == DirFwd ? std::max(firstVisible, reach) : std::min(firstVisible, reach);
}

void ResetCrossLook(TMPlan& plan) {
    for (int32_t i = 0; i < plan.Count(); ++i) {
        for (tXCrossLookDir& look : plan.Profiles[i].CrossLook) {
            look = tXCrossLookDir();
            look.FirstVisible = i;
        }
    }
}

// Direction `direction` of one crossroad: walks the approach outward from its
// bound until the stopping distance is covered, then limits CrossV when any
// approach profile is hidden.
void CheckApproach(TMPlan& plan, tCrossRoadRec& road, int32_t roadIndex, int32_t crossProfile, int direction) {
    const int32_t n = plan.Count();
    const int32_t bound = road.ApproachRange[direction];
    const int32_t outward = direction == DirFwd ? -1 : 1;
    tApproach approach;
    approach.Hidden.assign(n, 0);

    int32_t p = bound;
    for (;;) {
        TestFromProfile(plan, road, roadIndex, crossProfile, p, direction, approach);
        const tPlanProfile& profile = plan.Profiles[p];
        const double g = std::fabs(road.CrossKm - profile.Position);
        const double required = SightDistance(false, FreeCarSpeed(profile.RoadCathegory));
        const int32_t next = p + outward;
        if (g >= required || next < 0 || next >= n) break;
        p = next;
    }
    road.ApproachEnd[direction] = p;

    // Walk outward: the speed follows the clear profiles; from the first hidden
    // one on, everything farther counts as hidden.
    double candidate = 0;
    bool hiddenSeen = false;
    int32_t reach = bound;
    for (int32_t q = bound;; q += outward) {
        tXCrossLookDir& look = plan.Profiles[q].CrossLook[direction];
        if (!hiddenSeen && !approach.Hidden[q]) {
            candidate = SpeedForSightDistance(false, std::fabs(road.CrossKm - plan.Profiles[q].Position));
        } else {
            hiddenSeen = true;
            approach.Hidden[q] = 1;
        }
        if (approach.Hidden[q]) look.Hidden = 1;
        reach = direction == DirFwd ? std::max(reach, look.FirstVisible) : std::min(reach, look.FirstVisible);
        look.FirstVisible = reach;
        if (q == p) break;
    }
    if (hiddenSeen) {
        for (int32_t q = bound;; q += outward) {
            double& v = plan.Profiles[q].CrossV[direction];
            v = std::min(v, candidate);
            if (q == p) break;
        }
    }
}

// One crossroad's crossing and polyline preparation: false when it does not
// cross the road exactly once (Skip set, `crossings` found), else the crossing
// segment's profile in `d` and the approach fields set.
bool PrepareCrossRoad(const TMPlan& plan, const tFastSight* fast, const tProfileSquares* squares, tCrossRoadRec& road,
                      int32_t& crossings, int32_t& d) {
    road.Skip = 0;
    road.NotVisible[0] = road.NotVisible[1] = 0;
    const int32_t n = plan.Count();
    crossings = 0;
    if (road.Count() < 2) {
        road.Skip = 1;
        return false;
    }
    const double cx = (road.Points.front().X + road.Points.back().X) / 2;
    const double cy = (road.Points.front().Y + road.Points.back().Y) / 2;

    const std::vector<int32_t> candidates = CandidateProfiles(plan, squares, cx, cy);
    const std::vector<tCrossing> found = FindCrossings(plan, candidates, road, cx, cy);
    crossings = static_cast<int32_t>(found.size());
    if (found.size() != 1) {
        road.Skip = 1;
        return false;
    }
    const tCrossing& k = found.front();

    d = k.Road;
    const tRoadPoint& p0 = plan.Profiles[d].KeyPoint0;
    const tRoadPoint& p1 = plan.Profiles[d + 1].KeyPoint0;
    double a = Distance(p0.X, p0.Y, k.X, k.Y);
    const double s = Distance(p0.X, p0.Y, p1.X, p1.Y);
    road.CrossKm = s < kSamePoint ? plan.Profiles[d].Position
                                  : Lerp(plan.Profiles[d].Position, plan.Profiles[d + 1].Position, a / s);
    if (d + 1 == n - 1 && std::fabs(a - s) < kSamePoint) {
        d = n - 1;
        a = 0;
    }

    const int32_t lower = std::clamp(a <= kSamePoint ? d - 2 : d - 1, 0, n - 1);
    const int32_t upper = std::clamp(d + 2, 0, n - 1);
    road.ApproachRange[DirFwd] = road.ApproachEnd[DirFwd] = lower;
    road.ApproachRange[DirRev] = road.ApproachEnd[DirRev] = upper;
    road.DirectionOpen[DirFwd] = lower > 0 ? 1 : 0;
    road.DirectionOpen[DirRev] = upper < n - 1 ? 1 : 0;

    road.CrossIndex = InsertCrossing(road, k);
    MatchPointsToProfiles(plan, fast, road, ProfilesNear(plan, candidates, cx, cy));
    Densify(plan, road);
    Orient(plan, road, d);
    SetChainages(road);
    return true;
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

// ---------------------------------------------------------------------------
// The same stage under the fast engine. Every sample's sight check is computed
// from the cached section geometry without touching the profiles, the
// crossroads are worked on several threads block by block, and what each one
// leaves in the profiles is then applied one crossroad after the other in the
// plain order. The arithmetic of every test is the plain one, so the results
// are the same to the last bit.

// Sight and ground height of profile k at the plan crossing (x, y) of a
// forced check, as the plain check finds them.
void HeightsAt(const TMPlan& plan, const tFastSight& fast, int32_t k, const tHeightLine& sightLine, int variant,
               double x, double y, int32_t* hint, double& zs, double& zg) {
    // The track height is only the fallback of a line without a height; the
    // profile record is not read otherwise (it is large and far apart).
    zs = sightLine.Mode == tHeightLine::None ? plan.Profiles[k].SightTrack[variant].H : sightLine.At(x, y, 0);
    const tHeightLine& ground = GroundLineAt(fast, k, x, y, hint);
    zg = ground.At(x, y, zs - 1);
}

struct tSightHit {
    int32_t K;
    uint8_t Obstructed;
    double X, Y, Zs, Zg;
};

// What the sight checks of one crossroad leave in the profiles, gathered on a
// private copy of the written fields (indexed by profile). What a crossing
// writes shares one record, so a check touches one place per profile.
struct tEffectScratch {
    enum : uint8_t { kObstructed = 1, kPoints = 2, kCentre = 4 };
    struct tEntry {
        uint8_t Flags = 0;
        uint8_t Obstructed = 0;
        uint8_t EndWritten = 0;  // the points were last written as a check's end
        double X = 0, Y = 0, Zs = 0, Zg = 0;  // the last crossing: plan point, sight and ground height
    };
    std::vector<tEntry> Entries;
    std::vector<int32_t> GroundHints;  // per profile, for GroundLineAt
    std::vector<tRoadPoint> Sight, Ground;  // end points
    std::vector<int32_t> Touched;
    std::vector<tSightHit> Far;   // crossings of the scan towards the crossing
    std::vector<tSightLine> Lines;  // sight lines of one side, before they are kept at their size
    // The samples of the crossing road per side, the same for every observer:
    // taken once per crossroad, as far as an observer asked for them.
    std::vector<tRoadPoint> Samples[2];
    bool SamplesEnd[2] = {false, false};  // the polyline ends after the last one

    void Resize(int32_t n) {
        if (static_cast<int32_t>(Entries.size()) == n) return;
        Entries.assign(n, tEntry());
        GroundHints.assign(n, 0);
        Sight.assign(n, tRoadPoint());
        Ground.assign(n, tRoadPoint());
        Touched.clear();
    }
    tEntry& Touch(int32_t k, uint8_t flag) {
        tEntry& e = Entries[k];
        if (!e.Flags) Touched.push_back(k);
        e.Flags |= flag;
        return e;
    }
    // Sample i (i * kCrossRoadSampleStep from the crossing) of a side; false
    // beyond the polyline.
    bool Sample(const tCrossRoadRec& road, int side, int64_t i, const tRoadPoint*& point) {
        std::vector<tRoadPoint>& samples = Samples[side];
        while (static_cast<int64_t>(samples.size()) <= i) {
            if (SamplesEnd[side]) return false;
            const double sign = side == 0 ? -1 : 1;
            const double chainage = sign * kCrossRoadSampleStep * static_cast<double>(samples.size());
            tRoadPoint sample;
            if (!SampleCrossRoad(road, chainage, sample)) {
                SamplesEnd[side] = true;
                return false;
            }
            samples.push_back(sample);
        }
        point = &samples[i];
        return true;
    }
    void ForgetSamples() {
        for (int side = 0; side < 2; ++side) {
            Samples[side].clear();
            SamplesEnd[side] = false;
        }
    }
};

// One profile's final written fields after one crossroad.
struct tEffect {
    int32_t K = 0;
    uint8_t Flags = 0;
    uint8_t Obstructed = 0;
    tRoadPoint Sight, Ground;
};

struct tHiddenEvent {
    int32_t Q;
    int32_t Side;
    tHiddenPoint Point;
};

// One direction of one crossroad: per approach profile (from the bound
// outward) its sight lines, whether it was hidden and its FirstVisible reach.
struct tFastApproach {
    std::vector<std::vector<tSightLine>> Lines[2];
    std::vector<uint8_t> Hidden;
    std::vector<int32_t> Reach;
    std::vector<tHiddenEvent> HiddenPoints;  // in the plain order of appending
};

struct tFastCrossRoad {
    bool Prepared = false;
    int32_t Crossings = 0;
    tFastApproach Approach[2];
    std::vector<tEffect> Effects;
};

// The forced sight check of one sample (plain: FarProfile, then
// CheckSightLine), computed into the scratch. Returns whether the line is cut;
// the check's Obstructed flags and crossings are then those of the scratch
// entries strictly between the eye's profile and `far`.
bool FastSampleCheck(const TMPlan& plan, const tFastSight& fast, int32_t p, int direction, const tRoadPoint& eye,
                     const tRoadPoint& sample, tEffectScratch& s, int32_t& far) {
    const int32_t n = plan.Count();
    const int32_t step = direction == DirFwd ? 1 : -1;
    // The profiles whose section lines the sight line from the eye crosses
    // before the sample.
    const tPlanLine toSample = MakePlanLine(eye.X, eye.Y, sample.X, sample.Y);
    const double length = Distance(eye.X, eye.Y, sample.X, sample.Y);
    s.Far.clear();
    int32_t k = p + step;
    if (length >= kGeometryTolerance) {
        // along = dot / length must lie in [-tolerance, length - tolerance).
        // A positive dot below this bound gives such a quotient whatever its
        // rounding, so the division is only done near the ends.
        const double within = (length - kGeometryTolerance) * length * (1 - 1e-12);
        for (; k >= 0 && k < n; k += step) {
            const tFastProfile& g = fast.Profiles[k];
            if (!g.HasSegments) break;
            double x = 0, y = 0;
            if (!PlanCrossing(toSample, g, x, y)) break;
            const double dot = (x - eye.X) * (sample.X - eye.X) + (y - eye.Y) * (sample.Y - eye.Y);
            if (!(dot > 0 && dot < within)) {
                const double along = dot / length;
                if (!(along >= -kGeometryTolerance && along < length - kGeometryTolerance)) break;
            }
            s.Far.push_back({k, 0, x, y, 0, 0});
        }
    }  // a line this short crosses nothing: the scan stops at once
    const int32_t c = std::clamp(k, 0, n - 1);
    far = c;

    // CheckSightLine: forward from p to c, variant 1, the sample as the end;
    // reverse from c to p, variant 0, the sample as the start.
    const int variant = direction == DirFwd ? 1 : 0;
    const int32_t start = direction == DirFwd ? p : c;
    const int32_t end = direction == DirFwd ? c : p;
    for (int32_t q = std::max(start, 0); q <= end; ++q) s.Touch(q, tEffectScratch::kObstructed).Obstructed = 0;
    if (end - start < 2) return false;
    tRoadPoint a = direction == DirFwd ? SightEndPoint(plan.Profiles[start], variant) : sample;
    tRoadPoint b = direction == DirFwd ? sample : SightEndPoint(plan.Profiles[end], variant);
    s.Touch(start, tEffectScratch::kPoints).EndWritten = 1;
    s.Touch(end, tEffectScratch::kPoints).EndWritten = 1;
    s.Ground[start] = a;
    s.Ground[end] = b;
    a.H += variant == 0 ? kEyeRaise : kTargetRaise;
    b.H += variant == 0 ? kTargetRaise : kEyeRaise;
    s.Sight[start] = a;
    s.Sight[end] = b;
    // A line without a height has no plan direction either (both ends within
    // the same tolerances), so it crosses no section and the track height
    // HeightsAt would fall back on is never read: the scans may still be
    // writing it when this runs.
    const tHeightLine height = MakeHeightLine(a, b);
    bool cut = false;
    auto hit = [&](int32_t q, double x, double y) {
        double zs = 0, zg = 0;
        HeightsAt(plan, fast, q, height, variant, x, y, &s.GroundHints[q], zs, zg);
        const uint8_t obstructed = zs < zg - kInvisibleMargin ? 1 : 0;
        cut |= obstructed != 0;
        tEffectScratch::tEntry& e = s.Touch(q, tEffectScratch::kCentre | tEffectScratch::kPoints);
        e.EndWritten = 0;
        e.Obstructed = obstructed;
        e.X = x;
        e.Y = y;
        e.Zs = zs;
        e.Zg = zg;
    };
    if (direction == DirFwd) {
        // The check's line has the scan's plan line: its crossings are the scan's.
        for (const tSightHit& f : s.Far) {
            if (f.K >= end) break;
            hit(f.K, f.X, f.Y);
        }
    } else {
        const tPlanLine line = MakePlanLine(a.X, a.Y, b.X, b.Y);
        for (int32_t q = start + 1; q < end; ++q) {
            const tFastProfile& g = fast.Profiles[q];
            if (!g.HasSegments) continue;
            double x = 0, y = 0;
            if (!PlanCrossing(line, g, x, y)) continue;
            hit(q, x, y);
        }
    }
    return cut;
}

// TestFromProfile of the fast engine: the same samples and tests, the effects
// kept in `out` (slot = p's place in the approach) and the scratch.
void FastTestFromProfile(const TMPlan& plan, const tFastSight& fast, tCrossRoadRec& road, int32_t roadIndex,
                         int32_t crossProfile, int32_t p, int direction, tEffectScratch& s, tFastApproach& out) {
    const int32_t n = plan.Count();
    const tRoadPoint eye = EyePoint(plan.Profiles[p], direction);
    const int32_t ahead = direction == DirFwd ? p + 1 : p - 1;
    const tRoadPoint& r0 = plan.Profiles[p].KeyPoint0;
    const tRoadPoint& r1 = plan.Profiles[ahead].KeyPoint0;
    const double rdx = r1.X - r0.X;
    const double rdy = r1.Y - r0.Y;
    const double halfAngle = kCrossRoadViewAngle / 2 * std::numbers::pi / 180;
    const tRoadPoint& k = road.Points[road.CrossIndex];
    const double eyeGap = PlanDistance(plan.Profiles[crossProfile].KeyPoint0, plan.Profiles[crossProfile].KeyPointM1);
    int32_t reach = p;
    double minChainage = 0, maxChainage = 0;
    uint8_t hidden = 0;
    out.Lines[0].emplace_back();
    out.Lines[1].emplace_back();

    const int32_t step = direction == DirFwd ? 1 : -1;
    for (int side = 0; side < 2; ++side) {
        std::vector<tSightLine>& lines = s.Lines;
        lines.clear();
        const double limit = (side == 0 && direction == DirRev) ? eyeGap + kCrossRoadSampleStep : kCrossRoadSampleStep;
        for (int64_t i = 0;; ++i) {
            const tRoadPoint* sampled = nullptr;
            if (!s.Sample(road, side, i, sampled)) break;
            const tRoadPoint& sample = *sampled;
            const double chainage = sample.Chainage;
            minChainage = std::min(minChainage, chainage);
            maxChainage = std::max(maxChainage, chainage);

            tSightLine line;
            line.Observer = sample;
            line.Target = sample;
            line.CrossRoad = roadIndex;

            int32_t c = p;
            const bool invisible = FastSampleCheck(plan, fast, p, direction, eye, sample, s, c);
            reach = direction == DirFwd ? std::max(reach, c) : std::min(reach, c);
            if (invisible) {
                hidden = 1;
                bool first = true;
                // The obstacles from the eye towards the crossing.
                for (int32_t q = p + step; q != c; q += step) {
                    const tEffectScratch::tEntry& o = s.Entries[q];
                    if (!o.Obstructed) continue;
                    tRoadPoint point;
                    point.X = o.X;
                    point.Y = o.Y;
                    point.H = o.Zs;
                    if (first) {
                        line.Target = point;
                        first = false;
                    }
                    if (o.Zs < o.Zg) {
                        tHiddenPoint hiddenPoint;
                        hiddenPoint.Point = point;
                        hiddenPoint.ObserverProfile = p;
                        hiddenPoint.CrossRoad = roadIndex;
                        out.HiddenPoints.push_back({q, side, hiddenPoint});
                        road.NotVisible[direction] = 1;
                    }
                }
            }
            lines.push_back(line);

            if (AngleBelow(rdx, rdy, sample.X - eye.X, sample.Y - eye.Y, halfAngle)) continue;
            if (PlanDistance(sample, k) > limit + kSamePoint) break;
        }
        out.Lines[side].back().assign(lines.begin(), lines.end());
    }

    for (const tRoadPoint& q : road.Points) {
        if (!q.OnSection || q.ProfileIndex < 0 || q.ProfileIndex >= n) continue;
        if (q.Chainage < minChainage - kSamePoint || q.Chainage > maxChainage + kSamePoint) continue;
        reach = direction == DirFwd ? std::max(reach, q.ProfileIndex) : std::min(reach, q.ProfileIndex);
    }
    out.Hidden.push_back(hidden);
    out.Reach.push_back(reach);
}

// One crossroad without touching the profiles: preparation of the polyline
// and both approaches, with ApproachEnd and NotVisible set on the crossroad.
void FastComputeCrossRoad(const TMPlan& plan, const tFastSight& fast, const tProfileSquares& squares,
                          tCrossRoadRec& road, int32_t roadIndex,
                          tEffectScratch& s, tFastCrossRoad& out) {
    out = tFastCrossRoad();
    int32_t d = 0;
    out.Prepared = PrepareCrossRoad(plan, &fast, &squares, road, out.Crossings, d);
    if (!out.Prepared) return;
    const int32_t n = plan.Count();
    s.Resize(n);
    s.ForgetSamples();
    for (int direction : {DirFwd, DirRev}) {
        if (!road.DirectionOpen[direction]) continue;
        const int32_t outward = direction == DirFwd ? -1 : 1;
        int32_t p = road.ApproachRange[direction];
        for (;;) {
            FastTestFromProfile(plan, fast, road, roadIndex, d, p, direction, s, out.Approach[direction]);
            const tPlanProfile& profile = plan.Profiles[p];
            const double g = std::fabs(road.CrossKm - profile.Position);
            const double required = SightDistance(false, FreeCarSpeed(profile.RoadCathegory));
            const int32_t next = p + outward;
            if (g >= required || next < 0 || next >= n) break;
            p = next;
        }
        road.ApproachEnd[direction] = p;
    }
    out.Effects.reserve(s.Touched.size());
    for (int32_t k : s.Touched) {
        tEffect e;
        e.K = k;
        tEffectScratch::tEntry& entry = s.Entries[k];
        e.Flags = entry.Flags;
        e.Obstructed = entry.Obstructed;
        if (entry.EndWritten) {
            e.Sight = s.Sight[k];
            e.Ground = s.Ground[k];
        } else {
            e.Sight.X = e.Ground.X = entry.X;
            e.Sight.Y = e.Ground.Y = entry.Y;
            e.Sight.H = entry.Zs;
            e.Ground.H = entry.Zg;
        }
        out.Effects.push_back(e);
        entry.Flags = 0;
    }
    s.Touched.clear();
}

// Writes one computed crossroad into the profiles, as the plain stage leaves
// them after that crossroad.
void FastApplyCrossRoad(TMPlan& plan, tFastSight& fast, tCrossRoadRec& road, tFastCrossRoad& work) {
    for (int direction : {DirFwd, DirRev}) {
        if (!road.DirectionOpen[direction]) continue;
        tFastApproach& approach = work.Approach[direction];
        const int32_t bound = road.ApproachRange[direction];
        const int32_t outward = direction == DirFwd ? -1 : 1;
        const int32_t p = road.ApproachEnd[direction];
        // Sight lines, hidden points and FirstVisible of the observers.
        for (size_t slot = 0; slot < approach.Reach.size(); ++slot) {
            tXCrossLookDir& look = plan.Profiles[bound + outward * static_cast<int32_t>(slot)].CrossLook[direction];
            for (int side = 0; side < 2; ++side) {
                std::vector<tSightLine>& from = approach.Lines[side][slot];
                std::vector<tSightLine>& to = look.SightLines[side];
                if (to.empty())
                    to = std::move(from);
                else
                    to.insert(to.end(), from.begin(), from.end());
            }
            const int32_t reach = approach.Reach[slot];
            look.FirstVisible = direction == DirFwd ? std::max(look.FirstVisible, reach)
                                                    : std::min(look.FirstVisible, reach);
        }
        for (const tHiddenEvent& e : approach.HiddenPoints)
            plan.Profiles[e.Q].CrossLook[direction].HiddenPoints[e.Side].Points.push_back(e.Point);

        // As CheckApproach: the speed follows the clear profiles outward.
        double candidate = 0;
        bool hiddenSeen = false;
        int32_t reach = bound;
        for (int32_t q = bound, slot = 0;; q += outward, ++slot) {
            tXCrossLookDir& look = plan.Profiles[q].CrossLook[direction];
            uint8_t& qHidden = approach.Hidden[slot];
            if (!hiddenSeen && !qHidden) {
                candidate = SpeedForSightDistance(false, std::fabs(road.CrossKm - plan.Profiles[q].Position));
            } else {
                hiddenSeen = true;
                qHidden = 1;
            }
            if (qHidden) look.Hidden = 1;
            reach = direction == DirFwd ? std::max(reach, look.FirstVisible) : std::min(reach, look.FirstVisible);
            look.FirstVisible = reach;
            if (q == p) break;
        }
        if (hiddenSeen) {
            for (int32_t q = bound;; q += outward) {
                double& v = plan.Profiles[q].CrossV[direction];
                v = std::min(v, candidate);
                if (q == p) break;
            }
        }
    }
    for (const tEffect& e : work.Effects) {
        tPlanProfile& profile = plan.Profiles[e.K];
        if (e.Flags & tEffectScratch::kObstructed) profile.Obstructed = e.Obstructed;
        if (e.Flags & tEffectScratch::kPoints) {
            profile.SightPoint = e.Sight;
            profile.GroundPoint = e.Ground;
        }
        if (e.Flags & tEffectScratch::kCentre) {
            profile.RoadCentre = fast.Profiles[e.K].Span.Centre;
            fast.CentreWritten[e.K] = 1;
        }
    }
}

// Crossings of the ray from (x, y) along (dx, dy) with the band's edges, and
// whether one of them lies so close to an edge's end that the count is unsure.
int CountRayCrossings(const tRoadPoint corners[4], double x, double y, double dx, double dy, bool& nearEnd) {
    int count = 0;
    nearEnd = false;
    for (int e = 0; e < 4; ++e) {
        const tRoadPoint& u = corners[e];
        const tRoadPoint& v = corners[(e + 1) % 4];
        double cx = 0, cy = 0;
        bool onRay = false, onEdge = false;
        if (!LineIntersection(x, y, x + dx, y + dy, u.X, u.Y, v.X, v.Y, true, true, true, true, cx, cy, onRay, onEdge) ||
            !onEdge)
            continue;
        if (cx < x - kGeometryTolerance || cy < y - kGeometryTolerance) continue;
        ++count;
        if (Distance(cx, cy, u.X, u.Y) < kOnSectionTolerance || Distance(cx, cy, v.X, v.Y) < kOnSectionTolerance)
            nearEnd = true;
    }
    return count;
}

}  // namespace

// Every crossroad is computed on its own copy of the record, by the helper
// threads and by the calculation's thread as it waits, and applied by the
// calculation's thread strictly in order as soon as each is ready; the
// model's records and profiles are only written by that thread, so the
// receiver may repaint between two.
struct tEarlyCrossRoads {
    const TMPlan& Plan;
    const tFastSight& Fast;
    const tProfileSquares Squares;
    const int32_t Count;
    std::vector<tCrossRoadRec> Roads;
    std::vector<tFastCrossRoad> Work;
    std::unique_ptr<std::atomic<uint8_t>[]> Done;
    std::atomic<int32_t> Next{0};
    std::vector<tEffectScratch> Scratch;  // 0: the calculation's thread, then one per helper
    std::vector<std::thread> Helpers;

    tEarlyCrossRoads(const tRoadModel& model, const tFastSight& fast, int helpers)
        : Plan(model.Plan),
          Fast(fast),
          Squares(model.Plan),
          Count(model.CrossRoads.Count()),
          Roads(model.CrossRoads.Roads.begin(), model.CrossRoads.Roads.end()),
          Work(Count),
          Done(new std::atomic<uint8_t>[Count]),
          Scratch(1 + std::max(0, std::min(helpers, Count))) {
        for (int32_t t = 0; t < Count; ++t) Done[t].store(0, std::memory_order_relaxed);
        for (int w = 1; w < static_cast<int>(Scratch.size()); ++w)
            Helpers.emplace_back([this, w] {
                while (ComputeOne(w)) {
                }
            });
    }
    ~tEarlyCrossRoads() {
        Next.store(Count);  // an abandoned run starts nothing more
        for (std::thread& th : Helpers) th.join();
    }

    // Takes the next crossroad not yet started; false when none is left.
    bool ComputeOne(int w) {
        const int32_t t = Next.fetch_add(1, std::memory_order_relaxed);
        if (t >= Count) return false;
        FastComputeCrossRoad(Plan, Fast, Squares, Roads[t], t, Scratch[w], Work[t]);
        Done[t].store(1, std::memory_order_release);
        return true;
    }
};

void tEarlyCrossRoadsDeleter::operator()(tEarlyCrossRoads* early) const { delete early; }

tEarlyCrossRoadsPtr StartCrossRoads(const tRoadModel& model, const tFastSight& fast, int helpers) {
    return tEarlyCrossRoadsPtr(new tEarlyCrossRoads(model, fast, helpers));
}

void FinishCrossRoads(tRoadModel& model, tFastSight& fast, tEarlyCrossRoads& early, tProgressCounter& progress) {
    TMPlan& plan = model.Plan;
    ResetCrossLook(plan);
    for (int32_t i = 0; i < early.Count; ++i) {
        while (!early.Done[i].load(std::memory_order_acquire))
            if (!early.ComputeOne(0)) std::this_thread::yield();
        progress.Advance(1);
        progress.Progress.Idle();
        tFastCrossRoad& work = early.Work[i];
        tCrossRoadRec& road = model.CrossRoads.Roads[i];
        road = std::move(early.Roads[i]);
        if (work.Prepared)
            FastApplyCrossRoad(plan, fast, road, work);
        else
            ReportSkipped(road, work.Crossings, progress.Progress);
        work = tFastCrossRoad();
    }
}

bool SurelyOutsideBand(const tFastProfile& ga, const tFastProfile& gb, double x, double y) {
    if (!ga.HasSegments || !gb.HasSegments) return true;
    // IsCollinear within 0.001 per unit-vector component allows a sine of at
    // most 0.0015 between the point's and the section's direction.
    auto outsideCone = [x, y](const tFastProfile& g) {
        const double ex = g.RX - g.LX, ey = g.RY - g.LY;
        const double dx = x - g.LX, dy = y - g.LY;
        const double cross = ex * dy - ey * dx;
        return cross * cross > 0.000004 * (dx * dx + dy * dy) * (ex * ex + ey * ey);
    };
    if (!outsideCone(ga) || !outsideCone(gb)) return false;
    constexpr double kMargin = 0.001;
    const double minX = std::min(std::min(ga.LX, ga.RX), std::min(gb.LX, gb.RX));
    const double maxX = std::max(std::max(ga.LX, ga.RX), std::max(gb.LX, gb.RX));
    const double maxY = std::max(std::max(ga.LY, ga.RY), std::max(gb.LY, gb.RY));
    return x < minX - kMargin || x > maxX + kMargin || y > maxY + kMargin;
}

int32_t FindProfileBand(const TMPlan& plan, int32_t a, double x, double y, bool& onSectionA, bool& onSectionB) {
    onSectionA = false;
    onSectionB = false;
    if (a < 0 || a >= plan.Count() - 1) return -1;
    const tPlanProfile& pa = plan.Profiles[a];
    const tPlanProfile& pb = plan.Profiles[a + 1];
    tRoadPoint la, ra, lb, rb;
    if (!SectionLine(pa, la, ra) || !SectionLine(pb, lb, rb)) return -1;
    if (OnSectionLine(pa, x, y)) {
        onSectionA = true;
        return a;
    }
    if (OnSectionLine(pb, x, y)) {
        onSectionB = true;
        return a + 1;
    }
    const tRoadPoint corners[4] = {la, ra, rb, lb};
    double dx = 0;
    double dy = 3.390625;
    int count = 0;
    for (;;) {
        bool nearEnd = false;
        count = CountRayCrossings(corners, x, y, dx, dy, nearEnd);
        if (!nearEnd) break;
        dx += 0.1;
        dy -= 0.1;
        if (dy < 0.05) break;
    }
    return count % 2 == 1 ? a : -1;
}

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

void FastCalcCrossRoads(tRoadModel& model, tFastSight& fast, tProgressCounter& progress) {
    const int helpers = std::min(fast.Threads, model.CrossRoads.Count()) - 1;
    tEarlyCrossRoads work(model, fast, helpers);
    FinishCrossRoads(model, fast, work, progress);
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
