// Where a crossroad crosses the road, the polyline's points matched to the
// profiles' bands and densified at their section lines, its orientation and
// chainages; and the band test.
#include "core/calc/crossroads_check.h"
#include "core/calc/crossroads_parts.h"
#include "core/calc/geometry.h"
#include "core/calc/sight_fast.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <utility>
#include <vector>

namespace kestrova {
namespace crossroads {

namespace {

// How far the densifying walk goes from a matched point when its neighbour
// lies in no band.
constexpr int32_t kDensifyWalk = 100;

struct tCrossing {
    double X = 0;
    double Y = 0;
    int32_t Road = 0;     // road segment: profile D to D + 1
    int32_t Segment = 0;  // crossroad segment: point s to s + 1
};

bool OnSectionLine(const tPlanProfile& profile, double x, double y) {
    tRoadPoint l, r;
    if (!SectionLine(profile, l, r)) return false;
    return IsCollinear(x, y, l.X, l.Y, r.X, r.Y, kOnSectionTolerance);
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


// The profiles to try for a crossroad centred at (cx, cy), ascending: every
// profile, or with the fast engine's squares those of the nine squares
// around it; they only leave out profiles the radius test would skip.
std::vector<int32_t> CandidateProfiles(const TMPlan& plan, const tProfileSquares* squares, double cx, double cy) {
    if (squares) return squares->Candidates(cx, cy);
    std::vector<int32_t> all(plan.Count());
    for (int32_t d = 0; d < plan.Count(); ++d) all[d] = d;
    return all;
}

// Crossings of the road line (through KeyPoint0 of the profiles) with the
// crossroad's polyline. Every segment owns its first point and, only when it
// ends its polyline, its last one, so a crossing through a shared point counts
// once; a crossing that rounding puts on both sides of a shared point is
// merged as well.
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

void ReportSkipped(const tCrossRoadRec& road, int32_t crossings, const tProgress& progress) {
    tMessage line(crossings == 0 ? QStringLiteral("LoadData.NoCommonCrossPoints")
                                 : QStringLiteral("LoadData.MultiCrossPointsError"));
    line.With(QStringLiteral("%ObjectName%"), road.Name).With(QStringLiteral("%CrossCount%"), QString::number(crossings));
    progress.Line(line);
    tMessage box = line;
    box.Then(QStringLiteral("LoadData.RoadWillBeExcluded"));
    progress.Tell(box);
}

// One crossroad's crossing and polyline preparation: false when it does not
// cross the road exactly once (Skip set, `crossings` found), else the crossing
// segment's profile in `d` and the approach fields set.
bool PrepareCrossRoad(const TMPlan& plan, const tFastSight* fast, const tProfileSquares* squares, tCrossRoadRec& road,
                      int32_t& crossings, int32_t& d) {
    road.Skip = 0;
    road.NotVisible[0] = road.NotVisible[1] = 0;
    for (std::vector<tSightPoint>& samples : road.Samples) samples = std::vector<tSightPoint>();
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

}  // namespace crossroads

using namespace crossroads;

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

}  // namespace kestrova
