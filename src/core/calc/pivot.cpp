#include "core/calc/pivot.h"

#include <cmath>

namespace kestrova {

namespace {

constexpr double kSpeedTolerance = 0.00001;

bool NewSegment(const tPivotData& pivot, const tPlanProfile& p) {
    return p.RoadCathegory != pivot.PrevCat || std::fabs(pivot.PrevVMinFwd - p.MinV[DirFwd]) > kSpeedTolerance ||
           std::fabs(pivot.PrevVMinRev - p.MinV[DirRev]) > kSpeedTolerance;
}

}  // namespace

double BoundRate(double previousSpeed) {
    const double p = previousSpeed;
    // The formula's divisor vanishes at 10 km/h: above it the bound grows
    // without limit (every rate safe), below it the bound is negative (every
    // drop not safe). Speeds are whole numbers, so exactly 10 does occur. We
    // side with safety: a bound of 0 lets no drop of speed pass, while a rise
    // (negative rate) is still safe. It is printable and keeps one verdict rule.
    if (std::fabs(p - 10) < kSpeedTolerance) return 0;
    return 10 * p / (p - 10);
}

int32_t Verdict(double failRate, double boundRate) {
    return failRate + kSpeedTolerance > boundRate ? VerdictNotSafe : VerdictSafe;
}

void BuildPivot(const TMPlan& plan, tPivotData& pivot, const tProfileStep& step) {
    pivot.Rows.clear();
    pivot.PrevVMinFwd = -1;
    pivot.PrevVMinRev = -1;
    const int n = plan.Count();
    for (int i = 0; i < n; ++i) {
        const tPlanProfile& p = plan.Profiles[size_t(i)];
        if (!pivot.Rows.empty()) {
            // A segment ends at the position of the profile that starts the next one.
            pivot.Rows.back().KmEnd = p.Position;
            pivot.Rows.back().LastIndex = i;
        }
        if (i == 0 || NewSegment(pivot, p)) {
            tPivotRow row;
            row.KmBeg = row.KmEnd = p.Position;
            row.FirstIndex = row.LastIndex = i;
            row.Cat = p.RoadCathegory;
            row.VMinFwd = p.MinV[DirFwd];
            row.VMinRev = p.MinV[DirRev];
            row.CauseFwd = p.Cause[DirFwd];
            row.CauseRev = p.Cause[DirRev];
            row.FailRateFwd = p.Koef[DirFwd];
            pivot.Rows.push_back(row);
        }
        // The reverse rate belongs to the boundary behind the segment's last profile.
        pivot.Rows.back().FailRateRev = p.Koef[DirRev];
        pivot.PrevCat = p.RoadCathegory;
        pivot.PrevVMinFwd = p.MinV[DirFwd];
        pivot.PrevVMinRev = p.MinV[DirRev];
        if (step) step(i);
    }

    const int count = pivot.Count();
    for (int i = 0; i < count; ++i) {
        tPivotRow& row = pivot.Rows[size_t(i)];
        // The first row has no boundary behind it going forward, the last none in reverse.
        row.BoundRateFwd = i > 0 ? BoundRate(pivot.Rows[size_t(i - 1)].VMinFwd) : 0;
        row.BoundRateRev = i + 1 < count ? BoundRate(pivot.Rows[size_t(i + 1)].VMinRev) : 0;
        row.ResumeFwd = i > 0 ? Verdict(row.FailRateFwd, row.BoundRateFwd) : VerdictNone;
        row.ResumeRev = i + 1 < count ? Verdict(row.FailRateRev, row.BoundRateRev) : VerdictNone;
    }
}

}  // namespace kestrova
