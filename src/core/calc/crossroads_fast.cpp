// The crossroads stage under the fast engine. Every sample's sight check is
// computed from the cached section geometry without touching the profiles,
// the crossroads are worked on several threads, and what each one leaves in
// the profiles is then applied one crossroad after the other in the plain
// order. The arithmetic of every test is the plain one, so the results are
// the same to the last bit.
#include "core/calc/crossroads_check.h"
#include "core/calc/crossroads_parts.h"
#include "core/calc/geometry.h"
#include "core/calc/sight_check.h"
#include "core/calc/sight_fast.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <memory>
#include <thread>
#include <vector>

namespace kestrova {

using namespace crossroads;

namespace {


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
        int32_t EndSlot = -1;    // its end points in Ends, once it had some
        double X = 0, Y = 0, Zs = 0, Zg = 0;  // the last crossing: plan point, sight and ground height
    };
    struct tEndPoints {
        tRoadPoint Sight, Ground;
    };
    std::vector<tEntry> Entries;
    std::vector<int32_t> GroundHints;  // per profile, for GroundLineAt
    std::vector<tEndPoints> Ends;  // only for the profiles a check ended at
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
        Ends.clear();
        Touched.clear();
    }
    // The end points of profile k's entry (touched already).
    tEndPoints& EndsOf(int32_t k) {
        tEntry& e = Entries[k];
        if (e.EndSlot < 0) {
            e.EndSlot = static_cast<int32_t>(Ends.size());
            Ends.emplace_back();
        }
        return Ends[size_t(e.EndSlot)];
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
    std::vector<std::vector<tSightPoint>> CutTargets;  // per slot, numbered from 0 in its lines
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

// FarProfile of the fast engine: the first profile beyond p (towards the
// crossing) whose section line the line from the eye does not cross before
// reaching the sample, clamped to the road; the crossings on the way are kept
// in `crossings`.
int32_t ScanTowardsSample(const TMPlan& plan, const tFastSight& fast, int32_t p, int direction, const tRoadPoint& eye,
                          const tRoadPoint& sample, std::vector<tSightHit>& crossings) {
    const int32_t n = plan.Count();
    const int32_t step = direction == DirFwd ? 1 : -1;
    // The profiles whose section lines the sight line from the eye crosses
    // before the sample.
    const tPlanLine toSample = MakePlanLine(eye.X, eye.Y, sample.X, sample.Y);
    const double length = Distance(eye.X, eye.Y, sample.X, sample.Y);
    crossings.clear();
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
            crossings.push_back({k, 0, x, y, 0, 0});
        }
    }  // a line this short crosses nothing: the scan stops at once
    return std::clamp(k, 0, n - 1);
}

// The forced sight check of one sample (plain: FarProfile, then
// CheckSightLine), computed into the scratch. Returns whether the line is cut;
// the check's Obstructed flags and crossings are then those of the scratch
// entries strictly between the eye's profile and `far`.
bool FastSampleCheck(const TMPlan& plan, const tFastSight& fast, int32_t p, int direction, const tRoadPoint& eye,
                     const tRoadPoint& sample, tEffectScratch& s, int32_t& far) {
    const int32_t c = ScanTowardsSample(plan, fast, p, direction, eye, sample, s.Far);
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
    s.EndsOf(start).Ground = a;
    s.EndsOf(end).Ground = b;
    a.H += variant == 0 ? kEyeRaise : kTargetRaise;
    b.H += variant == 0 ? kTargetRaise : kEyeRaise;
    s.EndsOf(start).Sight = a;
    s.EndsOf(end).Sight = b;
    // A line without a height has no plan direction either (both ends within
    // the same tolerances), so it crosses no section and the track height
    // SightHeight would fall back on is never read: the scans may still be
    // writing it when this runs.
    const tFastSections sections(plan, fast, s.GroundHints.data(), nullptr);
    const tCheckLine line = sections.Line(a, b);
    bool cut = false;
    auto hit = [&](int32_t q, double x, double y) {
        const double zs = sections.SightHeight(line, q, variant, x, y);
        const double zg = sections.GroundHeight(q, x, y, zs - 1);
        const uint8_t obstructed = GroundHidesLine(zs, zg) ? 1 : 0;
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
        for (int32_t q = start + 1; q < end; ++q) {
            double x = 0, y = 0;
            if (sections.Cross(line, q, x, y)) hit(q, x, y);
        }
    }
    return cut;
}

// TestFromProfile of the fast engine: the same samples and tests, the effects
// kept in `out` (slot = p's place in the approach) and the scratch.
void FastTestFromProfile(const TMPlan& plan, const tFastSight& fast, tCrossRoadRec& road, int32_t roadIndex,
                         int32_t crossProfile, int32_t p, int direction, tEffectScratch& s, tFastApproach& out) {
    const tObserverView view = ObserverView(plan, road, crossProfile, p, direction);
    const tRoadPoint& eye = view.Eye;
    int32_t reach = p;
    double minChainage = 0, maxChainage = 0;
    uint8_t hidden = 0;
    out.Lines[0].emplace_back();
    out.Lines[1].emplace_back();
    std::vector<tSightPoint>& cutTargets = out.CutTargets.emplace_back();

    const int32_t step = view.Step;
    for (int side = 0; side < 2; ++side) {
        std::vector<tSightLine>& lines = s.Lines;
        lines.clear();
        const double limit = view.Limit(side, direction);
        for (int64_t i = 0;; ++i) {
            const tRoadPoint* sampled = nullptr;
            if (!s.Sample(road, side, i, sampled)) break;
            const tRoadPoint& sample = *sampled;
            const double chainage = sample.Chainage;
            minChainage = std::min(minChainage, chainage);
            maxChainage = std::max(maxChainage, chainage);

            tSightLine line;
            line.CrossRoad = roadIndex;
            line.Sample = static_cast<int32_t>(i);

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
                        line.Cut = static_cast<int32_t>(cutTargets.size());
                        cutTargets.push_back(point);
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

            if (AngleBelow(view.Rdx, view.Rdy, sample.X - eye.X, sample.Y - eye.Y, view.HalfAngle)) continue;
            if (PlanDistance(sample, *view.Crossing) > limit + kSamePoint) break;
        }
        out.Lines[side].back().assign(lines.begin(), lines.end());
    }
    cutTargets.shrink_to_fit();

    out.Hidden.push_back(hidden);
    out.Reach.push_back(SampledReach(road, plan.Count(), direction, minChainage, maxChainage, reach));
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
        road.ApproachEnd[direction] = WalkApproach(plan, road, direction, [&](int32_t p) {
            FastTestFromProfile(plan, fast, road, roadIndex, d, p, direction, s, out.Approach[direction]);
        });
    }
    out.Effects.reserve(s.Touched.size());
    for (int32_t k : s.Touched) {
        tEffect e;
        e.K = k;
        tEffectScratch::tEntry& entry = s.Entries[k];
        e.Flags = entry.Flags;
        e.Obstructed = entry.Obstructed;
        if (entry.EndWritten) {
            e.Sight = s.Ends[size_t(entry.EndSlot)].Sight;
            e.Ground = s.Ends[size_t(entry.EndSlot)].Ground;
        } else {
            e.Sight.X = e.Ground.X = entry.X;
            e.Sight.Y = e.Ground.Y = entry.Y;
            e.Sight.H = entry.Zs;
            e.Ground.H = entry.Zg;
        }
        out.Effects.push_back(e);
        entry.Flags = 0;
        entry.EndSlot = -1;
    }
    s.Touched.clear();
    s.Ends.clear();
    for (int side = 0; side < 2; ++side)
        road.Samples[side].assign(s.Samples[side].begin(), s.Samples[side].end());
}

// Moves `from` to the end of `to`, which grows to its size, not doubled.
template <typename T>
void AppendKept(std::vector<T>& to, std::vector<T>& from) {
    if (to.empty()) {
        to = std::move(from);
    } else {
        to.reserve(to.size() + from.size());
        to.insert(to.end(), from.begin(), from.end());
    }
    from = std::vector<T>();
}

// Appends the hidden points of one approach to the profiles' lists in their
// order, each list first grown by exactly what it receives.
void AppendHiddenPoints(TMPlan& plan, int direction, std::vector<tHiddenEvent>& events) {
    if (events.empty()) return;
    int32_t lo = events.front().Q, hi = lo;
    for (const tHiddenEvent& e : events) {
        lo = std::min(lo, e.Q);
        hi = std::max(hi, e.Q);
    }
    std::vector<int32_t> counts(2 * size_t(hi - lo + 1), 0);
    for (const tHiddenEvent& e : events) ++counts[2 * size_t(e.Q - lo) + size_t(e.Side)];
    for (int32_t q = lo; q <= hi; ++q)
        for (int side = 0; side < 2; ++side) {
            const int32_t count = counts[2 * size_t(q - lo) + size_t(side)];
            auto& points = plan.Profiles[q].CrossLook[direction].HiddenPoints[side].Points;
            if (count > 0) points.reserve(points.size() + size_t(count));
        }
    for (const tHiddenEvent& e : events)
        plan.Profiles[e.Q].CrossLook[direction].HiddenPoints[e.Side].Points.push_back(e.Point);
    events = std::vector<tHiddenEvent>();
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
            const int32_t cutBase = static_cast<int32_t>(look.CutTargets.size());
            AppendKept(look.CutTargets, approach.CutTargets[slot]);
            for (int side = 0; side < 2; ++side) {
                std::vector<tSightLine>& from = approach.Lines[side][slot];
                if (cutBase > 0)
                    for (tSightLine& line : from)
                        if (line.Cut >= 0) line.Cut += cutBase;
                AppendKept(look.SightLines[side], from);
            }
            const int32_t reach = approach.Reach[slot];
            look.FirstVisible = direction == DirFwd ? std::max(look.FirstVisible, reach)
                                                    : std::min(look.FirstVisible, reach);
        }
        AppendHiddenPoints(plan, direction, approach.HiddenPoints);

        LimitApproach(plan, road, direction, p,
                      [&](int32_t, int32_t slot) -> uint8_t& { return approach.Hidden[slot]; });
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

void FastCalcCrossRoads(tRoadModel& model, tFastSight& fast, tProgressCounter& progress) {
    const int helpers = std::min(fast.Threads, model.CrossRoads.Count()) - 1;
    tEarlyCrossRoads work(model, fast, helpers);
    FinishCrossRoads(model, fast, work, progress);
}

}  // namespace kestrova
