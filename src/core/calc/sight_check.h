// Sight-distance check: whether a driver at one profile sees the road surface
// at a profile further on over the terrain, vegetation and buildings of the
// cross sections in between, and the stages of the calculation run built on it
// (vegetation/buildings preparation, the forward and reverse invisible-point
// scans and the look-speed passes).
//
// These are the plain, literal routines: the calculation run's reference
// engine uses them as they are, the crossroads stage and the drawn views call
// CheckSightLine directly. The fast engine (sight_fast.h) gives the same
// results by other means.
#pragma once

#include "core/calc/geometry.h"
#include "core/model/progress.h"
#include "core/model/road_model.h"

#include <cmath>
#include <cstdint>

namespace kestrova {

// End points of a sight line are raised by these heights above the observer's
// and target's point: variant 0 raises the start by kEyeRaise and the end by
// kTargetRaise, variant 1 the other way round.
constexpr double kEyeRaise = 1.47;
constexpr double kTargetRaise = 1.2;
// The sight line must pass more than this below the ground to be invisible.
constexpr double kInvisibleMargin = 0.01;
// A central span wider than this exempts its profile from being an obstacle.
constexpr double kCentralSpanWidth = 0.01;
// Coordinate tolerance of the check (vertical line, ground segment length).
constexpr double kSightTolerance = 0.00001;
// Added to the observer point's height when a sight track starts.
constexpr double kTrackStartRaise = 10000;

// Counts progress steps for the calculation run and lets the receiver keep
// its window painted: after each step whose loop index has the bit of value 16
// clear (indexes 0-15, 32-47, ...).
struct tProgressCounter {
    const tProgress& Progress;
    int Position = 0;

    explicit tProgressCounter(const tProgress& p) : Progress(p) {}
    void Step(int loopIndex) {
        ++Position;
        Progress.Pos(Position);
        if ((loopIndex & 16) == 0) Progress.Idle();
    }
    void Advance(int steps) {
        Position += steps;
        Progress.Pos(Position);
    }
};

// InRange(true, true, x, a, b) inline: x between a and b in either order, the
// ends included within 0.000001. The sight checks test it per segment.
inline bool InRangeInclusive(double x, double a, double b) {
    if (a > b) {
        const double t = a;
        a = b;
        b = t;
    }
    return (x > a || std::fabs(x - a) < 0.000001) && (x < b || std::fabs(b - x) < 0.000001);
}

// The central span of a cross section: from A of the first kind-0 segment to
// B of the last one (when there is none, from A of the last segment to B of
// the first). Centre is the midpoint (X, Y, H), Width the plan distance.
struct tCentralSpan {
    tRoadPoint Centre;
    double Width = 0;
};
tCentralSpan CentralSpan(const tPlanProfile& profile);

// Observer/target point of a profile for a sight variant: KeyPointM1 for
// variant 0, KeyPoint0 for variant 1.
const tRoadPoint& SightEndPoint(const tPlanProfile& profile, int variant);

// The rules every sight check applies at a crossing of the sight line with a
// profile's section line, whichever engine finds the crossing:
// - a profile whose central span is wider than kCentralSpanWidth, or that has
//   NoRoadCheck, never hides the line unless the check is forced;
inline bool ExemptFromHiding(double spanWidth, const tPlanProfile& profile, bool forceCheck) {
    return (spanWidth > kCentralSpanWidth || profile.NoRoadCheck) && !forceCheck;
}
// - the ground hides the line when it lies more than kInvisibleMargin above it;
inline bool GroundHidesLine(double sightHeight, double groundHeight) {
    return sightHeight < groundHeight - kInvisibleMargin;
}
// - the crossing is written into the profile: RoadCentre the span's midpoint,
//   SightPoint the plan point at the sight height, GroundPoint at the ground
//   height (Obstructed is the caller's).
inline void WriteCrossing(tPlanProfile& profile, const tRoadPoint& centre, double x, double y, double sightHeight,
                          double groundHeight) {
    profile.RoadCentre = centre;
    tRoadPoint point;
    point.X = x;
    point.Y = y;
    point.H = sightHeight;
    profile.SightPoint = point;
    point.H = groundHeight;
    profile.GroundPoint = point;
}

// Tests the sight line from profile `start` to profile `end` (start < end) for
// the given variant (0 or 1). Returns whether any profile strictly between them
// hides the line (its ground lies more than kInvisibleMargin above it).
//
// forceCheck makes every profile a possible obstacle; without it a profile
// whose central span is wider than kCentralSpanWidth, or that has NoRoadCheck,
// never hides. replaceStart / replaceEnd put `replacement` in place of the
// start / end profile's own point (before raising).
//
// Side effects on profiles start..end: Obstructed cleared, then set on every
// profile found hiding; GroundPoint and SightPoint of both ends (the point
// before and after raising) and of every profile in between whose section
// line the sight line crosses in plan (SightPoint with the sight line's
// height, GroundPoint with the ground height); RoadCentre of those profiles.
// With fewer than one profile in between only Obstructed is cleared.
bool CheckSightLine(TMPlan& plan, int start, int end, int variant, bool forceCheck = false,
                    bool replaceStart = false, bool replaceEnd = false, const tRoadPoint& replacement = tRoadPoint());

// The section geometry a sight check reads, in two implementations with the
// same results: tChainSections walks each profile's segment chain as the rules
// are written; tFastSections (sight_fast.h) reads lines cached per profile and
// finds the ground segment by halving. Each provides
//   tLine Line(a, b)                        the sight line between the raised ends
//   bool Cross(line, k, x, y)               its plan crossing with k's section line
//   Span(k)                                 the central span of profile k
//   double SightHeight(line, k, variant, x, y)  the line's height at the crossing
//   double GroundHeight(k, x, y, fallback)  the ground's height there
//   void CentreWritten(k)                   k's RoadCentre now holds its span's midpoint
class tChainSections {
public:
    explicit tChainSections(const TMPlan& plan) : Plan(plan) {}
    struct tLine {
        tRoadPoint A, B;
    };
    tLine Line(const tRoadPoint& a, const tRoadPoint& b) const { return {a, b}; }
    bool Cross(const tLine& line, int k, double& x, double& y) const;
    tCentralSpan Span(int k) const { return CentralSpan(Plan.Profiles[k]); }
    double SightHeight(const tLine& line, int k, int variant, double x, double y) const;
    double GroundHeight(int k, double x, double y, double fallback) const;
    void CentreWritten(int) {}

private:
    const TMPlan& Plan;
};

// Height of the line (x1,h1)-(x2,h2) above x, found as its crossing with the
// vertical line through x; `h` keeps its value when they do not meet.
inline void LineHeightAt(double x1, double h1, double x2, double h2, double x, double& h) {
    double ix = 0;
    double ih = 0;
    if (LineIntersectionPoint(x1, h1, x2, h2, x, -10, x, 10, ix, ih)) h = ih;
}

inline bool tChainSections::Cross(const tLine& line, int k, double& x, double& y) const {
    const auto& segs = Plan.Profiles[k].Segments;
    if (segs.empty()) return false;
    const tSectionPoint& left = segs.front().A;
    const tSectionPoint& right = segs.back().B;
    const tRoadPoint& a = line.A;
    const tRoadPoint& b = line.B;
    return LineIntersectionPoint(a.X, a.Y, b.X, b.Y, left.X, left.Y, right.X, right.Y, x, y);
}

inline double tChainSections::SightHeight(const tLine& line, int k, int variant, double x, double y) const {
    const tRoadPoint& a = line.A;
    const tRoadPoint& b = line.B;
    double zs = Plan.Profiles[k].SightTrack[variant].H;
    if (std::fabs(a.X - b.X) >= kSightTolerance)
        LineHeightAt(a.X, a.H, b.X, b.H, x, zs);
    else
        LineHeightAt(a.Y, a.H, b.Y, b.H, y, zs);
    return zs;
}

inline double tChainSections::GroundHeight(int k, double x, double y, double fallback) const {
    // Ground segment: the first one of some length that holds the crossing,
    // along Y when the whole section stands upright in X.
    const auto& segs = Plan.Profiles[k].Segments;
    const tSectionPoint& left = segs.front().A;
    const tSectionPoint& right = segs.back().B;
    const bool upright = std::fabs(right.X - left.X) <= kSightTolerance;
    const tSectionPoint* ga = &left;
    const tSectionPoint* gb = &right;
    for (const tProfileSegment& s : segs) {
        // Both tests are pure; the cheap one goes first.
        const bool holds = upright ? InRangeInclusive(y, s.A.Y, s.B.Y) : InRangeInclusive(x, s.A.X, s.B.X);
        if (holds && Distance(s.A.X, s.A.Y, s.B.X, s.B.Y) >= kSightTolerance) {
            ga = &s.A;
            gb = &s.B;
            break;
        }
    }
    double zg = fallback;
    if (std::fabs(ga->X - gb->X) >= kSightTolerance)
        LineHeightAt(ga->X, ga->H, gb->X, gb->H, x, zg);
    else
        LineHeightAt(ga->Y, ga->H, gb->Y, gb->H, y, zg);
    return zg;
}

// CheckSightLine over the given section geometry: the one place the check's
// steps are written.
template <class Sections>
bool CheckSightLineOver(TMPlan& plan, Sections& sections, int start, int end, int variant, bool forceCheck,
                        bool replaceStart, bool replaceEnd, const tRoadPoint& replacement) {
    auto& profiles = plan.Profiles;
    const int n = plan.Count();
    if (start < 0) start = 0;
    if (end > n - 1) end = n - 1;
    for (int k = start; k <= end; ++k) profiles[k].Obstructed = 0;
    bool result = false;
    if (end - start < 2) return false;

    tRoadPoint a = replaceStart ? replacement : SightEndPoint(profiles[start], variant);
    tRoadPoint b = replaceEnd ? replacement : SightEndPoint(profiles[end], variant);
    profiles[start].GroundPoint = a;
    profiles[end].GroundPoint = b;
    a.H += variant == 0 ? kEyeRaise : kTargetRaise;
    b.H += variant == 0 ? kTargetRaise : kEyeRaise;
    profiles[start].SightPoint = a;
    profiles[end].SightPoint = b;

    const auto line = sections.Line(a, b);
    for (int k = start + 1; k < end; ++k) {
        double x = 0;
        double y = 0;
        if (!sections.Cross(line, k, x, y)) continue;
        tPlanProfile& p = profiles[k];
        const auto& span = sections.Span(k);
        const bool exempt = ExemptFromHiding(span.Width, p, forceCheck);
        const double zs = sections.SightHeight(line, k, variant, x, y);
        const double zg = sections.GroundHeight(k, x, y, zs - 1);
        WriteCrossing(p, span.Centre, x, y, zs, zg);
        sections.CentreWritten(k);
        if (GroundHidesLine(zs, zg) && !exempt) {
            p.Obstructed = 1;
            result = true;
        }
    }
    return result;
}

// Raises the cross sections where vegetation and buildings stand: for every
// object and every profile it touches, a rise, a top and a fall segment are
// inserted between its outer key points and the segments under it are marked
// Covered. A profile whose key points of the object are not found in its
// chain stays unchanged. One progress step per object.
void PrepareGreens(TMPlan& plan, const tGreens& greens, tProgressCounter& progress);

// Keeps, per profile and variant, the invisible crossing farthest from the
// road centre and the lowest sight height in SightTrack; `flag` is the
// profile's HasFwdTrack or HasRevTrack element of that variant.
void RecordSightTrack(tPlanProfile& profile, int variant, uint8_t& flag);

// Per-profile sight data before the forward stage: NoRoadCheck cleared, LookV
// of both directions and the look distances from the category's free car
// speed, SightTrack started, track and hidden flags cleared. Also sets the 3D
// view settings of the plan. One progress step per profile.
void InitSightData(TMPlan& plan, tProgressCounter& progress);

// Far profile of the forward / reverse look range of observer i.
int ForwardLookEnd(const TMPlan& plan, int i);
int ReverseLookEnd(const TMPlan& plan, int i);

// The look-speed rule for observer i whose last check reached profile j:
// LookV of the direction (forward, or reverse when `reverse`) from the plan
// distance between them.
void SetLookSpeed(TMPlan& plan, int i, int j, bool reverse);

// The shortening of a hidden observer's look range, for both engines: from
// the far profile `first` towards observer i while the sight line of variant
// 1, or failing that of variant 0, is cut and more than one profile is left.
// hidden(start, end, variant) checks one line; stepped() runs before each
// move of the far end. Returns the far profile of the last check.
template <typename Hidden, typename Stepped>
int ShortenLookRange(int i, int first, bool reverse, Hidden&& hidden, Stepped&& stepped) {
    const int step = reverse ? 1 : -1;  // the far end moves towards the observer
    int j = first;
    for (;;) {
        const int start = reverse ? j : i;
        const int end = reverse ? i : j;
        // The second variant is only tried when the first finds the line clear.
        if (!hidden(start, end, 1) && !hidden(start, end, 0)) break;
        if (end - start <= 1) break;
        stepped();
        j += step;
    }
    return j;
}

// The look-speed pass of one hidden observer i: ShortenLookRange from its far
// end (FwdEnd or RevEnd) with CheckSightLine, then SetLookSpeed. The passes
// below run it for every hidden observer.
void LookSpeedOf(TMPlan& plan, int i, bool reverse);

// Forward scan over observers 0..N-2 (one progress step each) and the forward
// look-speed pass.
void ForwardScan(TMPlan& plan, tProgressCounter& progress);
void ForwardLookSpeeds(TMPlan& plan);

// Reverse scan over observers N-1..1 (one progress step each) and the reverse
// look-speed pass.
void ReverseScan(TMPlan& plan, tProgressCounter& progress);
void ReverseLookSpeeds(TMPlan& plan);

}  // namespace kestrova
