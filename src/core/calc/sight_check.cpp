#include "core/calc/sight_check.h"

#include "core/calc/factor_speeds.h"
#include "core/calc/geometry.h"

#include <algorithm>
#include <cmath>

namespace kestrova {

tCentralSpan CentralSpan(const tPlanProfile& profile) {
    tCentralSpan span;
    const auto& segs = profile.Segments;
    const int n = static_cast<int>(segs.size());
    if (n == 0) return span;
    // Without any kind-0 segment the scan from the left runs out at the last
    // segment and the one from the right at the first.
    int f = 0;
    while (f < n - 1 && segs[f].Kind != 0) ++f;
    int l = n - 1;
    while (l > 0 && segs[l].Kind != 0) --l;
    const tRoadPoint& a = segs[f].A;
    const tRoadPoint& b = segs[l].B;
    span.Centre.X = (a.X + b.X) / 2;
    span.Centre.Y = (a.Y + b.Y) / 2;
    span.Centre.H = (a.H + b.H) / 2;
    span.Width = Distance(a.X, a.Y, b.X, b.Y);
    return span;
}

const tRoadPoint& SightEndPoint(const tPlanProfile& profile, int variant) {
    return variant == 0 ? profile.KeyPointM1 : profile.KeyPoint0;
}

bool CheckSightLine(TMPlan& plan, int start, int end, int variant, bool forceCheck, bool replaceStart, bool replaceEnd,
                    const tRoadPoint& replacement) {
    tChainSections sections(plan);
    return CheckSightLineOver(plan, sections, start, end, variant, forceCheck, replaceStart, replaceEnd, replacement);
}

void RecordSightTrack(tPlanProfile& p, int variant, uint8_t& flag) {
    tRoadPoint& track = p.SightTrack[variant];
    const double d = Distance(p.RoadCentre.X, p.RoadCentre.Y, p.SightPoint.X, p.SightPoint.Y);
    if (!flag || Distance(p.RoadCentre.X, p.RoadCentre.Y, track.X, track.Y) < d) {
        track.X = p.SightPoint.X;
        track.Y = p.SightPoint.Y;
    }
    if (!flag || p.SightPoint.H < track.H) track.H = p.SightPoint.H;
    flag = 1;
}

void PrepareGreens(TMPlan& plan, const tGreens& greens, tProgressCounter& progress) {
    const int n = plan.Count();
    for (int o = 0; o < greens.Count(); ++o) {
        const tGreenRec& obj = greens.Objects[o];
        const int first = std::max(obj.FirstProfile, 0);
        const int last = std::min(obj.LastProfile, n - 1);
        for (int j = first; j <= last; ++j) {
            tPlanProfile& p = plan.Profiles[j];
            auto& segs = p.Segments;
            const int count = static_cast<int>(segs.size());
            // Outer key points of the object on this profile: the smallest and
            // the largest segment number with their object heights.
            bool any = false;
            int c = count;
            double ha = 0;
            int d = -1;
            double hb = 0;
            for (const tRoadPoint& pt : obj.Points) {
                if (pt.ProfileIndex != j) continue;
                if (!any || pt.PointSegNo < c) {
                    c = pt.PointSegNo;
                    ha = pt.H;
                }
                if (!any || pt.PointSegNo > d) {
                    d = pt.PointSegNo;
                    hb = pt.H;
                }
                any = true;
            }
            if (!any) continue;
            if (c == 0) c = -1;
            if (d == 0) d = -1;
            // Segment indexes: -1 stands before the first segment. A key point
            // that is not in the chain leaves the profile as it is.
            auto indexOf = [&](int segNo) {
                if (segNo == -1) return -1;
                for (int s = 0; s < count; ++s)
                    if (segs[s].SegNo == segNo) return s;
                return -2;
            };
            const int k = indexOf(c);
            const int l = indexOf(d);
            if (k == -2 || l == -2 || count == 0) continue;

            for (int s = k + 1; s <= l; ++s) segs[s].Covered = 1;
            const tRoadPoint base1 = k == -1 ? segs[0].A : segs[k].B;
            const tRoadPoint base2 = l == -1 ? segs[0].A : segs[l].B;

            tProfileSegment rise;
            rise.A = base1;
            rise.B = base1;
            rise.B.H = base1.H2 + ha;
            tProfileSegment fall;
            fall.A = base2;
            fall.A.H = base2.H2 + hb;
            fall.B = base2;
            tProfileSegment top;
            top.A = rise.B;
            top.B = fall.A;
            const uint8_t kind = obj.IsVegetation ? 5 : 4;
            tProfileSegment* added[3] = {&rise, &top, &fall};
            for (int t = 0; t < 3; ++t) {
                added[t]->Kind = kind;
                added[t]->Covered = 0;
                added[t]->FromDtm = 0;
                added[t]->SegNo = 1001 + 10 * o + t;
            }
            segs.insert(segs.begin() + (k + 1), {rise, top, fall});
        }
        progress.Step(o);
    }
}

void InitSightData(TMPlan& plan, tProgressCounter& progress) {
    plan.ViewDepth = 385;
    plan.EyeHeight = 1.2;
    plan.LookDistancesReady = 1;
    for (int i = 0; i < plan.Count(); ++i) {
        tPlanProfile& p = plan.Profiles[i];
        const double free = FreeCarSpeed(p.RoadCathegory);
        p.NoRoadCheck = 0;
        p.LookV[0] = free;
        p.LookV[1] = free;
        p.FwdLookDist = SightDistance(true, free);
        p.RevLookDist = p.FwdLookDist;
        for (int v = 0; v < 2; ++v) {
            p.SightTrack[v] = SightEndPoint(p, v);
            p.SightTrack[v].H += kTrackStartRaise;
            p.HasFwdTrack[v] = 0;
            p.HasRevTrack[v] = 0;
        }
        p.FwdHidden = 0;
        p.RevHidden = 0;
        progress.Step(i);
    }
}

int ForwardLookEnd(const TMPlan& plan, int i) {
    const auto& pr = plan.Profiles;
    const int n = plan.Count();
    int j = i + 1;
    while (std::fabs(pr[j].Position - pr[i].Position) < pr[i].FwdLookDist && j < n - 1) ++j;
    return j;
}

int ReverseLookEnd(const TMPlan& plan, int i) {
    const auto& pr = plan.Profiles;
    int j = i - 1;
    while (std::fabs(pr[j].Position - pr[i].Position) < pr[i].RevLookDist && j >= 1) --j;
    return j;
}

void ForwardScan(TMPlan& plan, tProgressCounter& progress) {
    auto& pr = plan.Profiles;
    const int n = plan.Count();
    for (int i = 0; i <= n - 2; ++i) {
        const int j = ForwardLookEnd(plan, i);
        pr[i].FwdEnd = j;
        for (int v = 0; v < 2; ++v) {
            if (CheckSightLine(plan, i, j, v)) pr[i].FwdHidden = 1;
            for (int k = i; k <= j; ++k)
                if (pr[k].Obstructed) RecordSightTrack(pr[k], v, pr[k].HasFwdTrack[v]);
        }
        progress.Step(i);
    }
}

void SetLookSpeed(TMPlan& plan, int i, int j, bool reverse) {
    auto& pr = plan.Profiles;
    if (reverse)
        pr[i].LookV[DirRev] = SpeedForSightDistance(true, pr[i].Position - pr[j].Position);
    else
        pr[i].LookV[DirFwd] = SpeedForSightDistance(true, pr[j].Position - pr[i].Position);
}

void LookSpeedOf(TMPlan& plan, int i, bool reverse) {
    const tPlanProfile& observer = plan.Profiles[i];
    const int j = ShortenLookRange(
        i, reverse ? observer.RevEnd : observer.FwdEnd, reverse,
        [&plan](int start, int end, int variant) { return CheckSightLine(plan, start, end, variant); }, [] {});
    SetLookSpeed(plan, i, j, reverse);
}

void ForwardLookSpeeds(TMPlan& plan) {
    const int n = plan.Count();
    for (int i = 0; i <= n - 2; ++i)
        if (plan.Profiles[i].FwdHidden) LookSpeedOf(plan, i, false);
}

void ReverseScan(TMPlan& plan, tProgressCounter& progress) {
    auto& pr = plan.Profiles;
    const int n = plan.Count();
    for (int i = n - 1; i >= 1; --i) {
        const int j = ReverseLookEnd(plan, i);
        pr[i].RevEnd = j;
        for (int v = 0; v < 2; ++v) {
            if (CheckSightLine(plan, j, i, v)) pr[i].RevHidden = 1;
            for (int k = j; k <= i; ++k)
                if (pr[k].Obstructed) RecordSightTrack(pr[k], v, pr[k].HasRevTrack[v]);
        }
        progress.Step(i);
    }
}

void ReverseLookSpeeds(TMPlan& plan) {
    for (int i = plan.Count() - 1; i >= 1; --i)
        if (plan.Profiles[i].RevHidden) LookSpeedOf(plan, i, true);
}

}  // namespace kestrova
