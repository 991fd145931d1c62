#include "core/calc/sight_fast.h"

#include "core/calc/factor_speeds.h"
#include "core/calc/geometry.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <memory>
#include <thread>

namespace kestrova {

namespace {

// One crossing of a sight line with a profile's section line, as the plain
// check would write it.
struct tCrossing {
    int32_t K;
    uint8_t Obstructed;
    double X, Y, Zs, Zg;
};

// Ground segment hints (see GroundLineAt), one array per worker of a
// parallel loop; any value is safe, so they need no reset between checks.
class tWorkerHints {
public:
    tWorkerHints(const tFastSight& fast, int workers)
        : Hints(static_cast<size_t>(std::max(workers, 1)), std::vector<int32_t>(fast.Profiles.size(), 0)) {}
    int32_t* Of(int worker) { return Hints[worker].data(); }

private:
    std::vector<std::vector<int32_t>> Hints;
};

// The number of workers ParallelFor and OrderedPipeline use.
int Workers(int count, int threads) { return threads <= 1 || count < 2 ? 1 : std::min(threads, count); }

// Runs f(t, worker) for every t in [0, count) on Workers(count, threads)
// threads, this one being worker 0.
template <class F>
void ParallelFor(int count, int threads, F&& f) {
    const int workers = Workers(count, threads);
    if (workers == 1) {
        for (int t = 0; t < count; ++t) f(t, 0);
        return;
    }
    std::atomic<int> next{0};
    auto worker = [&](int w) {
        for (;;) {
            const int t = next.fetch_add(1, std::memory_order_relaxed);
            if (t >= count) break;
            f(t, w);
        }
    };
    std::vector<std::thread> pool;
    pool.reserve(workers - 1);
    for (int w = 1; w < workers; ++w) pool.emplace_back(worker, w);
    worker(0);
    for (auto& th : pool) th.join();
}

// Runs compute(t, slot, worker) for every t in [0, count) on
// Workers(count, threads) threads, this one being worker 0, and apply(t, slot) on this thread strictly in order, each as
// soon as its item is computed: no thread waits for a whole block. At most
// `window` items are computed ahead of the apply; slot = t % window names
// the item's work place, free again once the item is applied.
template <class Compute, class Apply>
void OrderedPipeline(int count, int threads, int window, Compute&& compute, Apply&& apply) {
    const int workers = Workers(count, threads);
    if (workers == 1) {
        for (int t = 0; t < count; ++t) {
            compute(t, t % window, 0);
            apply(t, t % window);
        }
        return;
    }
    const std::unique_ptr<std::atomic<int>[]> ready(new std::atomic<int>[window]);  // t + 1 once computed
    for (int w = 0; w < window; ++w) ready[w].store(0, std::memory_order_relaxed);
    std::atomic<int> next{0};
    std::atomic<int> applied{0};
    auto run = [&](int t, int worker) {
        compute(t, t % window, worker);
        ready[t % window].store(t + 1, std::memory_order_release);
    };
    std::vector<std::thread> helpers;
    for (int w = 1; w < workers; ++w)
        helpers.emplace_back([&, w] {
            for (;;) {
                const int t = next.fetch_add(1, std::memory_order_relaxed);
                if (t >= count) break;
                while (t >= applied.load(std::memory_order_acquire) + window) std::this_thread::yield();
                run(t, w);
            }
        });
    for (int t = 0; t < count; ++t) {
        while (ready[t % window].load(std::memory_order_acquire) != t + 1) {
            // Lend a hand with an item whose place is free, else wait.
            int u = next.load(std::memory_order_relaxed);
            if (u < count && u < t + window && next.compare_exchange_weak(u, u + 1, std::memory_order_relaxed))
                run(u, 0);
            else
                std::this_thread::yield();
        }
        apply(t, t % window);
        applied.store(t + 1, std::memory_order_release);
    }
    for (std::thread& th : helpers) th.join();
}

// Raised and unraised end points of a check without replacement.
tRoadPoint RaisedEnd(const tPlanProfile& p, int variant, bool isStart) {
    tRoadPoint r = SightEndPoint(p, variant);
    const bool eye = (variant == 0) == isStart;
    r.H += eye ? kEyeRaise : kTargetRaise;
    return r;
}

void WriteEnd(tPlanProfile& p, int variant, bool isStart) {
    p.GroundPoint = SightEndPoint(p, variant);
    p.SightPoint = RaisedEnd(p, variant, isStart);
}

// Evaluates profile k against the sight line exactly as the plain check
// does, without touching the profile. False when the lines do not meet.
// `hints` (per profile, or null) are the caller's ground segment hints.
bool Evaluate(const TMPlan& plan, const tFastSight& fast, int k, const tCheckLine& line, int variant,
              bool forceCheck, int32_t* hints, tCrossing& out) {
    const tFastSections sections(plan, fast, hints, nullptr);
    double x = 0;
    double y = 0;
    if (!sections.Cross(line, k, x, y)) return false;
    const bool exempt = ExemptFromHiding(sections.Span(k).Width, plan.Profiles[k], forceCheck);
    const double zs = sections.SightHeight(line, k, variant, x, y);
    const double zg = sections.GroundHeight(k, x, y, zs - 1);
    out.K = k;
    out.X = x;
    out.Y = y;
    out.Zs = zs;
    out.Zg = zg;
    out.Obstructed = (GroundHidesLine(zs, zg) && !exempt) ? 1 : 0;
    return true;
}

// The whole check start-end without side effects: every crossing in order.
bool ComputeCheck(const TMPlan& plan, const tFastSight& fast, int start, int end, int variant, int32_t* hints,
                  std::vector<tCrossing>& out) {
    out.clear();
    if (end - start < 2) return false;
    const tCheckLine line =
        MakeCheckLine(RaisedEnd(plan.Profiles[start], variant, true), RaisedEnd(plan.Profiles[end], variant, false));
    bool hidden = false;
    tCrossing c;
    for (int k = start + 1; k < end; ++k) {
        if (!Evaluate(plan, fast, k, line, variant, false, hints, c)) continue;
        hidden |= c.Obstructed != 0;
        out.push_back(c);
    }
    return hidden;
}

// Whether the check start-end finds an obstruction, stopping at the first
// one. `hint` is the profile that hid the previous, longer check of the same
// observer: tried first, it usually settles the question at once (the result
// does not depend on the order). Profiles whose road centre the plain check
// would set and that do not have it yet are added to `centres`; `unwritten`
// counts them cumulatively, so ranges without any are not searched.
bool QuickCheck(const TMPlan& plan, const tFastSight& fast, int start, int end, int variant, int32_t* hints,
                int& hint, const std::vector<int32_t>& unwritten, std::vector<int32_t>& centres) {
    if (end - start < 2) return false;
    const tCheckLine line =
        MakeCheckLine(RaisedEnd(plan.Profiles[start], variant, true), RaisedEnd(plan.Profiles[end], variant, false));
    const bool needCentres = unwritten[end] - unwritten[start + 1] > 0;
    tCrossing c;
    if (!needCentres && hint > start && hint < end && Evaluate(plan, fast, hint, line, variant, false, hints, c) &&
        c.Obstructed)
        return true;
    int k = start + 1;
    bool hidden = false;
    for (; k < end; ++k) {
        if (!Evaluate(plan, fast, k, line, variant, false, hints, c)) continue;
        if (needCentres && !fast.CentreWritten[k]) centres.push_back(k);
        if (c.Obstructed) {
            hidden = true;
            hint = k;
            ++k;
            break;
        }
    }
    if (!needCentres) return hidden;
    for (; k < end; ++k) {
        if (fast.CentreWritten[k]) continue;
        const tFastProfile& g = fast.Profiles[k];
        double x = 0, y = 0;
        if (g.HasSegments && PlanCrossing(line.Plan, g, x, y)) centres.push_back(k);
    }
    return hidden;
}

// Writes a computed check into the profiles as the plain check would.
void ApplyCheck(TMPlan& plan, tFastSight& fast, int start, int end, int variant, const std::vector<tCrossing>& xs) {
    auto& pr = plan.Profiles;
    for (int k = start; k <= end; ++k) pr[k].Obstructed = 0;
    if (end - start < 2) return;
    WriteEnd(pr[start], variant, true);
    WriteEnd(pr[end], variant, false);
    for (const tCrossing& c : xs) {
        WriteCrossing(pr[c.K], fast.Profiles[c.K].Span.Centre, c.X, c.Y, c.Zs, c.Zg);
        fast.CentreWritten[c.K] = 1;
        pr[c.K].Obstructed = c.Obstructed;
    }
}

// Work of one observer in a scan.
struct tScanWork {
    int Far = 0;
    bool Hidden[2] = {false, false};
    std::vector<tCrossing> Crossings[2];
};

// Scan of observers in the given order; `reverse` looks back (the check then
// runs from the far profile to the observer).
void FastScan(TMPlan& plan, tFastSight& fast, tProgressCounter& progress, bool reverse) {
    const int n = plan.Count();
    std::vector<int> order;
    if (reverse)
        for (int i = n - 1; i >= 1; --i) order.push_back(i);
    else
        for (int i = 0; i <= n - 2; ++i) order.push_back(i);
    std::vector<tScanWork> work(std::min<size_t>(fast.BlockSize, std::max<size_t>(order.size(), 1)));
    const int count = static_cast<int>(order.size());
    tWorkerHints hints(fast, Workers(count, fast.Threads));
    OrderedPipeline(
        count, fast.Threads, static_cast<int>(work.size()),
        [&](int t, int slot, int worker) {
            const int i = order[t];
            tScanWork& w = work[slot];
            w.Far = reverse ? ReverseLookEnd(plan, i) : ForwardLookEnd(plan, i);
            const int start = reverse ? w.Far : i;
            const int end = reverse ? i : w.Far;
            for (int v = 0; v < 2; ++v) w.Hidden[v] = ComputeCheck(plan, fast, start, end, v, hints.Of(worker), w.Crossings[v]);
        },
        [&](int t, int slot) {
            const int i = order[t];
            tScanWork& w = work[slot];
            tPlanProfile& obs = plan.Profiles[i];
            const int start = reverse ? w.Far : i;
            const int end = reverse ? i : w.Far;
            (reverse ? obs.RevEnd : obs.FwdEnd) = w.Far;
            for (int v = 0; v < 2; ++v) {
                ApplyCheck(plan, fast, start, end, v, w.Crossings[v]);
                if (w.Hidden[v]) (reverse ? obs.RevHidden : obs.FwdHidden) = 1;
                for (const tCrossing& c : w.Crossings[v]) {
                    if (!c.Obstructed) continue;
                    tPlanProfile& p = plan.Profiles[c.K];
                    RecordSightTrack(p, v, reverse ? p.HasRevTrack[v] : p.HasFwdTrack[v]);
                }
            }
            progress.Step(i);
        });
}

// Work of one hidden observer in a look-speed pass.
struct tLookWork {
    int Final = 0;               // far profile of the last check
    bool FinalBoth = false;      // the last check ran variant 0 after variant 1
    bool Fallback = false;       // replay with the plain pass
    std::vector<uint8_t> OnlyFirst;  // per shortening step: variant 1 alone ran (it found obstructions)
    std::vector<int32_t> Centres;
    std::vector<tCrossing> Crossings[2];  // the last check, variants 1 and 0
};

// The look-speed pass of hidden observer i computed without touching the
// profiles: the shortening steps by quick checks, the last check's
// crossings, and whether only the plain pass can replay it. `unwritten`
// counts the profiles whose RoadCentre is not written yet (see QuickCheck).
void ComputeLookSpeed(const TMPlan& plan, const tFastSight& fast, int i, bool reverse,
                      const std::vector<int32_t>& unwritten, int32_t* own, tLookWork& w) {
    w.OnlyFirst.clear();
    w.Centres.clear();
    w.Fallback = false;
    const tPlanProfile& obs = plan.Profiles[i];
    int hint[2] = {-1, -1};
    bool firstCut = false;  // the last check of variant 1
    const int j = ShortenLookRange(
        i, reverse ? obs.RevEnd : obs.FwdEnd, reverse,
        [&](int start, int end, int variant) {
            const bool cut = QuickCheck(plan, fast, start, end, variant, own, hint[variant], unwritten, w.Centres);
            if (variant == 1) firstCut = cut;
            return cut;
        },
        [&] { w.OnlyFirst.push_back(firstCut ? 1 : 0); });
    w.FinalBoth = !firstCut;
    w.Final = j;
    const int start = reverse ? j : i;
    const int end = reverse ? i : j;
    ComputeCheck(plan, fast, start, end, 1, own, w.Crossings[0]);
    if (w.FinalBoth)
        ComputeCheck(plan, fast, start, end, 0, own, w.Crossings[1]);
    else
        w.Crossings[1].clear();
    // A profile between the observer and the last far profile keeps a
    // longer check's crossing when the last check does not cross it;
    // so does the next profile when the range shrank to it.
    if (!w.OnlyFirst.empty()) {
        if (end - start < 2) {
            w.Fallback = true;
        } else {
            int covered = 0;
            for (int k = start + 1, a = 0, b = 0; k < end; ++k) {
                const auto& x1 = w.Crossings[0];
                const auto& x0 = w.Crossings[1];
                while (a < static_cast<int>(x1.size()) && x1[a].K < k) ++a;
                while (b < static_cast<int>(x0.size()) && x0[b].K < k) ++b;
                if ((a < static_cast<int>(x1.size()) && x1[a].K == k) ||
                    (b < static_cast<int>(x0.size()) && x0[b].K == k))
                    ++covered;
            }
            w.Fallback = covered != end - start - 1;
        }
    }
}

// Writes a computed look-speed pass of observer i into the profiles as the
// plain pass would leave them.
void ApplyLookSpeed(TMPlan& plan, tFastSight& fast, int i, bool reverse, const tLookWork& w) {
    const int step = reverse ? 1 : -1;
    if (w.Fallback) {
        LookSpeedOf(plan, i, reverse);
        return;
    }
    auto& pr = plan.Profiles;
    tPlanProfile& obs = pr[i];
    const int first = reverse ? obs.RevEnd : obs.FwdEnd;
    // Shortening steps: each check clears Obstructed over its range and
    // leaves its far end point, written by the variant that ran last.
    // The first range holds all later ones.
    if (!w.OnlyFirst.empty())
        for (int k = std::min(i, first); k <= std::max(i, first); ++k) pr[k].Obstructed = 0;
    int j = first;
    for (uint8_t onlyFirst : w.OnlyFirst) {
        if (std::abs(j - i) >= 2) WriteEnd(pr[j], onlyFirst ? 1 : 0, reverse);
        j += step;
    }
    for (int32_t k : w.Centres) {
        pr[k].RoadCentre = fast.Profiles[k].Span.Centre;
        fast.CentreWritten[k] = 1;
    }
    const int start = reverse ? j : i;
    const int end = reverse ? i : j;
    ApplyCheck(plan, fast, start, end, 1, w.Crossings[0]);
    if (w.FinalBoth) ApplyCheck(plan, fast, start, end, 0, w.Crossings[1]);
    SetLookSpeed(plan, i, j, reverse);
}

void FastLookSpeeds(TMPlan& plan, tFastSight& fast, bool reverse) {
    const int n = plan.Count();
    std::vector<int> order;
    if (reverse) {
        for (int i = n - 1; i >= 1; --i)
            if (plan.Profiles[i].RevHidden) order.push_back(i);
    } else {
        for (int i = 0; i <= n - 2; ++i)
            if (plan.Profiles[i].FwdHidden) order.push_back(i);
    }
    if (order.empty()) return;
    std::vector<int32_t> unwritten(n + 1, 0);
    for (int k = 0; k < n; ++k) unwritten[k + 1] = unwritten[k] + (fast.CentreWritten[k] ? 0 : 1);
    std::vector<tLookWork> work(std::min<size_t>(fast.BlockSize, order.size()));
    tWorkerHints hints(fast, Workers(static_cast<int>(work.size()), fast.Threads));
    for (size_t base = 0; base < order.size(); base += work.size()) {
        const int count = static_cast<int>(std::min(work.size(), order.size() - base));
        ParallelFor(count, fast.Threads, [&](int t, int worker) {
            ComputeLookSpeed(plan, fast, order[base + t], reverse, unwritten, hints.Of(worker), work[t]);
        });
        for (int t = 0; t < count; ++t) ApplyLookSpeed(plan, fast, order[base + t], reverse, work[t]);
    }
}

}  // namespace

namespace {

tHeightLine HeightLineOf(double ax, double ay, double ah, double bx, double by, double bh) {
    // The plain check crosses the line (a, b) over X, or over Y when the two X
    // values are closer than the tolerance, with the vertical line through the
    // point; LineIntersectionPoint then gives these cases.
    tHeightLine line;
    const bool overX = std::fabs(ax - bx) >= kSightTolerance;
    const double u1 = overX ? ax : ay;
    const double u2 = overX ? bx : by;
    if (std::fabs(u1 - u2) < kIntersectTolerance) return line;  // both vertical: no height
    if (std::fabs(ah - bh) < kIntersectTolerance) {
        line.Mode = tHeightLine::Constant;
        line.B = ah;
        return line;
    }
    line.Mode = overX ? tHeightLine::OverX : tHeightLine::OverY;
    line.K = (ah - bh) / (u1 - u2);
    line.B = ah - u1 * line.K;
    return line;
}

// The section line, the whole section's height line and the central span of
// a profile with segments.
void TakeSectionLine(const tPlanProfile& p, tFastProfile& g) {
    g.HasSegments = true;
    const tSectionPoint& l = p.Segments.front().A;
    const tSectionPoint& r = p.Segments.back().B;
    g.LX = l.X, g.LY = l.Y, g.RX = r.X, g.RY = r.Y;
    g.Hor = std::fabs(l.Y - r.Y) < kIntersectTolerance;
    g.Vert = std::fabs(l.X - r.X) < kIntersectTolerance;
    if (!g.Vert) {
        g.K = (l.Y - r.Y) / (l.X - r.X);
        g.B = l.Y - l.X * g.K;
    }
    g.Whole = MakeHeightLine(l, r);
    g.Upright = std::fabs(r.X - l.X) <= kSightTolerance;
    g.Span = CentralSpan(p);
}

// The ground segments of some length of a profile: their height lines, their
// ranges of the tested coordinate, and how the ranges run along the section.
uint8_t TakeGround(const tPlanProfile& p, const tFastProfile& g, tFastSight& fast) {
    bool rising = true, falling = true;
    for (const tProfileSegment& s : p.Segments) {
        if (Distance(s.A.X, s.A.Y, s.B.X, s.B.Y) < kSightTolerance) continue;
        fast.Ground.push_back(MakeHeightLine(s.A, s.B));
        const double a = g.Upright ? s.A.Y : s.A.X;
        const double b = g.Upright ? s.B.Y : s.B.X;
        const double lo = a > b ? b : a;
        const double hi = a > b ? a : b;
        if (static_cast<int32_t>(fast.GroundLo.size()) > g.FirstGround) {
            rising = rising && lo >= fast.GroundLo.back() && hi >= fast.GroundHi.back();
            falling = falling && lo <= fast.GroundLo.back() && hi <= fast.GroundHi.back();
        }
        fast.GroundLo.push_back(lo);
        fast.GroundHi.push_back(hi);
    }
    if (rising) return tFastSight::GroundRising;
    return falling ? tFastSight::GroundFalling : tFastSight::GroundInOrder;
}

}  // namespace

tHeightLine MakeHeightLine(const tRoadPoint& a, const tRoadPoint& b) {
    return HeightLineOf(a.X, a.Y, a.H, b.X, b.Y, b.H);
}

tHeightLine MakeHeightLine(const tSectionPoint& a, const tSectionPoint& b) {
    return HeightLineOf(a.X, a.Y, a.H, b.X, b.Y, b.H);
}

tFastSight MakeFastSight(const TMPlan& plan, int threads) {
    tFastSight fast;
    const int n = plan.Count();
    // Every store sized once: the segments bound the ground segments.
    size_t segments = 0;
    for (const tPlanProfile& p : plan.Profiles) segments += p.Segments.size();
    fast.Ground.reserve(segments);
    fast.GroundLo.reserve(segments);
    fast.GroundHi.reserve(segments);
    fast.Profiles.resize(n);
    fast.CentreWritten.assign(n, 0);
    fast.GroundOrder.assign(n, tFastSight::GroundInOrder);
    if (threads <= 0) threads = static_cast<int>(std::thread::hardware_concurrency());
    fast.Threads = std::clamp(threads, 1, 64);
    for (int k = 0; k < n; ++k) {
        const tPlanProfile& p = plan.Profiles[k];
        tFastProfile& g = fast.Profiles[k];
        g.FirstGround = static_cast<int32_t>(fast.Ground.size());
        if (p.Segments.empty()) continue;
        TakeSectionLine(p, g);
        fast.GroundOrder[k] = TakeGround(p, g, fast);
        g.GroundCount = static_cast<int32_t>(fast.Ground.size()) - g.FirstGround;
    }
    return fast;
}

bool FastCheckSightLine(TMPlan& plan, tFastSight& fast, int start, int end, int variant, bool forceCheck,
                        bool replaceStart, bool replaceEnd, const tRoadPoint& replacement) {
    tFastSections sections(plan, fast, nullptr, &fast.CentreWritten);
    return CheckSightLineOver(plan, sections, start, end, variant, forceCheck, replaceStart, replaceEnd, replacement);
}

void FastForwardScan(TMPlan& plan, tFastSight& fast, tProgressCounter& progress) {
    FastScan(plan, fast, progress, false);
}

void FastForwardLookSpeeds(TMPlan& plan, tFastSight& fast) { FastLookSpeeds(plan, fast, false); }

void FastReverseScan(TMPlan& plan, tFastSight& fast, tProgressCounter& progress) {
    FastScan(plan, fast, progress, true);
}

void FastReverseLookSpeeds(TMPlan& plan, tFastSight& fast) { FastLookSpeeds(plan, fast, true); }

}  // namespace kestrova
