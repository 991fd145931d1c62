#include "core/calc/factor_speeds.h"
#include "core/calc/geometry.h"
#include "core/calc/sight_check.h"
#include "core/calc/sight_fast.h"
#include "model_compare.h"
#include "sight_road_builder.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace kestrova;
using namespace kestrova::test;

namespace {

// Runs the sight stages of the calculation on a plan as the run does.
void RunSightStages(TMPlan& plan) {
    tProgress none;
    tProgressCounter counter(none);
    InitSightData(plan, counter);
    ForwardScan(plan, counter);
    ForwardLookSpeeds(plan);
    ReverseScan(plan, counter);
    ReverseLookSpeeds(plan);
}

struct tLineCase {
    double x1, y1, x2, y2, x3, y3, x4, y4;
};

}  // namespace

TEST(LineIntersectionPoint, AgreesWithLineIntersectionOnEveryKindOfLine) {
    const tLineCase cases[] = {
        {0, 0, 10, 0, 5, -5, 5, 5},         // horizontal and vertical
        {5, -5, 5, 5, 0, 0, 10, 0},         // vertical and horizontal
        {0, 0, 10, 10, 0, 10, 10, 0},       // two oblique lines
        {0, 0, 10, 10, 0, 1, 10, 11},       // parallel oblique
        {0, 0, 10, 0, 0, 1, 10, 1},         // both horizontal
        {0, 0, 0, 10, 1, 0, 1, 10},         // both vertical
        {3, 3, 3, 3, 0, 0, 10, 10},         // first is a point
        {0, 0, 10, 10, 4, 4, 4.000001, 4},  // second is almost a point
        {1, 0, 1, 10, 0, 0, 10, 5},         // vertical first, oblique second
        {0, 0, 10, 5, 2, -1, 2, 7},         // oblique first, vertical second
        {0, 2, 10, 2, 0, 0, 10, 5},         // horizontal first, oblique second
        {0, 0, 1e-6, 10, 0, 5, 10, 5},      // nearly vertical counts as vertical
    };
    for (const auto& c : cases) {
        double x1 = -1, y1 = -1, x2 = -1, y2 = -1;
        bool on1 = false, on2 = false;
        const bool expected = LineIntersection(c.x1, c.y1, c.x2, c.y2, c.x3, c.y3, c.x4, c.y4, true, true, true, true,
                                               x1, y1, on1, on2);
        const bool got = LineIntersectionPoint(c.x1, c.y1, c.x2, c.y2, c.x3, c.y3, c.x4, c.y4, x2, y2);
        EXPECT_EQ(got, expected) << c.x1 << "," << c.y1 << " " << c.x3 << "," << c.y3;
        if (expected) {
            EXPECT_DOUBLE_EQ(x2, x1);
            EXPECT_DOUBLE_EQ(y2, y1);
        }
    }
}

TEST(CentralSpan, ZeroWidthSpanOnTheAxis) {
    const tPlanProfile p = MakeProfile(0, 0, 100, 50, 1, 0, [](double off) { return off * 0.1; });
    const tCentralSpan span = CentralSpan(p);
    EXPECT_NEAR(span.Width, 0, 1e-12);
    EXPECT_DOUBLE_EQ(span.Centre.X, 100);
    EXPECT_DOUBLE_EQ(span.Centre.Y, 50);
    EXPECT_DOUBLE_EQ(span.Centre.H, 0);
}

TEST(CentralSpan, WithoutCentralSegmentsRunsFromLastToFirst) {
    tPlanProfile p = MakeProfile(0, 0, 0, 0, 1, 0, [](double) { return 0.0; });
    for (auto& s : p.Segments)
        if (s.Kind == 0) s.Kind = 1;
    const tCentralSpan span = CentralSpan(p);
    const auto& a = p.Segments.back().A;   // key 135 at +15
    const auto& b = p.Segments.front().B;  // key 109 at -15
    EXPECT_NEAR(span.Width, 30, 1e-9);
    EXPECT_DOUBLE_EQ(span.Centre.Y, (a.Y + b.Y) / 2);
}

TEST(CheckSightLine, InvisibleOnlyBeyondTheMargin) {
    // Three profiles; the sight line (variant 0: start raised 1.47, end 1.2)
    // passes the middle profile at 1.335 m.
    const double line = (1.47 + 1.2) / 2;
    const struct {
        double below;
        bool hidden;
    } cases[] = {{0.0099, false}, {0.0101, true}, {-0.5, false}, {3, true}};
    for (const auto& c : cases) {
        TMPlan plan = StraightRoad(3, 10, [&](int i) { return i == 1 ? line + c.below : 0.0; });
        EXPECT_EQ(CheckSightLine(plan, 0, 2, 0), c.hidden) << c.below;
        EXPECT_EQ(plan.Profiles[1].Obstructed, c.hidden ? 1 : 0);
        EXPECT_NEAR(plan.Profiles[1].SightPoint.H, line, 1e-9);
        EXPECT_NEAR(plan.Profiles[1].GroundPoint.H, line + c.below, 1e-9);
        EXPECT_NEAR(plan.Profiles[1].SightPoint.X, 10, 1e-9);
        EXPECT_NEAR(plan.Profiles[1].SightPoint.Y, kM1Offset, 1e-9);
    }
}

TEST(CheckSightLine, EndPointsAreStoredBeforeAndAfterRaising) {
    TMPlan plan = StraightRoad(4, 10, [](int i) { return i * 0.5; });
    CheckSightLine(plan, 0, 3, 1);
    EXPECT_DOUBLE_EQ(plan.Profiles[0].GroundPoint.H, 0);
    EXPECT_DOUBLE_EQ(plan.Profiles[0].SightPoint.H, 1.2);
    EXPECT_DOUBLE_EQ(plan.Profiles[3].GroundPoint.H, 1.5);
    EXPECT_DOUBLE_EQ(plan.Profiles[3].SightPoint.H, 1.5 + 1.47);
    EXPECT_DOUBLE_EQ(plan.Profiles[3].SightPoint.Y, 0);  // KeyPoint0 on the axis
    CheckSightLine(plan, 0, 3, 0);
    EXPECT_DOUBLE_EQ(plan.Profiles[0].SightPoint.H, 1.47);
    EXPECT_DOUBLE_EQ(plan.Profiles[0].SightPoint.Y, kM1Offset);
}

TEST(CheckSightLine, ReplacementPointTakesThePlaceOfAnEnd) {
    TMPlan plan = StraightRoad(5, 10, [](int) { return 0.0; });
    tRoadPoint far;
    far.X = 40;
    far.Y = 0;
    far.H = 20;
    // A target 20 m up behind a 3 m wall: visible from below only when high enough.
    plan.Profiles[2].Segments[4].A.H = 3;
    for (auto& s : plan.Profiles[2].Segments) s.A.H = s.B.H = 3;
    EXPECT_TRUE(CheckSightLine(plan, 0, 4, 0));
    EXPECT_FALSE(CheckSightLine(plan, 0, 4, 0, false, false, true, far));
    EXPECT_DOUBLE_EQ(plan.Profiles[4].GroundPoint.H, 20);
    EXPECT_DOUBLE_EQ(plan.Profiles[4].SightPoint.H, 21.2);
}

TEST(CheckSightLine, WideCentralSpanOrNoRoadCheckNeverHidesUnlessForced) {
    for (int mode = 0; mode < 2; ++mode) {
        TMPlan plan = StraightRoad(3, 10, [](int i) { return i == 1 ? 5.0 : 0.0; });
        if (mode == 0) {
            // Move key point 123 off the axis: the central span gets 2 cm wide.
            auto& segs = plan.Profiles[1].Segments;
            segs[4].B.Y += 0.02;
            segs[5].A.Y += 0.02;
        } else {
            plan.Profiles[1].NoRoadCheck = 1;
        }
        EXPECT_FALSE(CheckSightLine(plan, 0, 2, 0)) << mode;
        EXPECT_EQ(plan.Profiles[1].Obstructed, 0);
        EXPECT_TRUE(CheckSightLine(plan, 0, 2, 0, true)) << mode;
        EXPECT_EQ(plan.Profiles[1].Obstructed, 1);
    }
}

TEST(CheckSightLine, NoProfileInBetweenFindsNothingAndOnlyClearsFlags) {
    TMPlan plan = StraightRoad(3, 10, [](int) { return 0.0; });
    plan.Profiles[0].Obstructed = plan.Profiles[1].Obstructed = 1;
    plan.Profiles[1].SightPoint.H = 77;
    EXPECT_FALSE(CheckSightLine(plan, 0, 1, 0));
    EXPECT_EQ(plan.Profiles[0].Obstructed, 0);
    EXPECT_EQ(plan.Profiles[1].Obstructed, 0);
    EXPECT_DOUBLE_EQ(plan.Profiles[1].SightPoint.H, 77);
}

TEST(CheckSightLine, ParallelSectionIsLeftOut) {
    TMPlan plan = StraightRoad(3, 10, [](int i) { return i == 1 ? 9.0 : 0.0; });
    // Lay the middle section along the road, 5 m aside: no crossing in plan.
    for (auto& s : plan.Profiles[1].Segments) {
        s.A.X = 10 + s.A.Y;
        s.B.X = 10 + s.B.Y;
        s.A.Y = s.B.Y = 5;
    }
    plan.Profiles[1].SightPoint.H = 77;
    EXPECT_FALSE(CheckSightLine(plan, 0, 2, 1));
    EXPECT_DOUBLE_EQ(plan.Profiles[1].SightPoint.H, 77);
}

TEST(SightStages, CrestHidesTheFollowingProfiles) {
    const int crest = 10;
    TMPlan plan = StraightRoad(30, 10, [&](int i) { return i == crest ? 5.0 : 0.0; }, 0);
    RunSightStages(plan);
    const double free = FreeCarSpeed(0);
    EXPECT_EQ(plan.ViewDepth, 385);
    EXPECT_DOUBLE_EQ(plan.EyeHeight, 1.2);
    EXPECT_EQ(plan.LookDistancesReady, 1);
    for (int i = 0; i < 30; ++i) {
        const auto& p = plan.Profiles[i];
        SCOPED_TRACE(i);
        EXPECT_EQ(p.FwdLookDist, SightDistance(true, free));
        if (i < crest) {
            EXPECT_EQ(p.FwdHidden, 1);
            EXPECT_EQ(p.FwdEnd, 29);
            EXPECT_DOUBLE_EQ(p.LookV[DirFwd], SpeedForSightDistance(true, 10.0 * (crest - i)));
        } else {
            EXPECT_EQ(p.FwdHidden, 0);
            EXPECT_DOUBLE_EQ(p.LookV[DirFwd], free);
        }
        if (i > crest) {
            EXPECT_EQ(p.RevHidden, 1);
            EXPECT_EQ(p.RevEnd, 0);
            EXPECT_DOUBLE_EQ(p.LookV[DirRev], SpeedForSightDistance(true, 10.0 * (i - crest)));
        } else {
            EXPECT_EQ(p.RevHidden, 0);
            EXPECT_DOUBLE_EQ(p.LookV[DirRev], free);
        }
        const bool tracked = i == crest;
        for (int v = 0; v < 2; ++v) {
            EXPECT_EQ(p.HasFwdTrack[v], tracked ? 1 : 0);
            EXPECT_EQ(p.HasRevTrack[v], tracked ? 1 : 0);
        }
    }
    // Observer 9 stands just before the crest: its range shrinks to the next profile.
    EXPECT_DOUBLE_EQ(plan.Profiles[9].LookV[DirFwd], 1);
    // The track keeps the lowest sight height that met the crest. Variant 0
    // (start raised 1.47, end 1.2) is lowest on the reverse check from profile
    // 0 to observer 11, at 10/11 of the way; variant 1 (start 1.2, end 1.47)
    // on the check from 0 to 29, at 10/29 of the way.
    const auto& track = plan.Profiles[crest].SightTrack;
    EXPECT_NEAR(track[0].H, 1.47 + (1.2 - 1.47) * 10.0 / 11.0, 1e-9);
    EXPECT_NEAR(track[1].H, 1.2 + (1.47 - 1.2) * 10.0 / 29.0, 1e-9);
    // Its plan point is a crossing on the crest's section line.
    EXPECT_NEAR(track[0].X, 100, 1e-9);
}

TEST(SightStages, LookRangeOfFewerThanThreeProfilesNeverHides) {
    // 300 m between profiles is beyond the category's look distance, so each
    // range holds only the observer and the next profile.
    TMPlan plan = StraightRoad(5, 300, [](int i) { return i % 2 ? 50.0 : 0.0; }, 4);
    RunSightStages(plan);
    for (int i = 0; i < 5; ++i) {
        const auto& p = plan.Profiles[i];
        EXPECT_EQ(p.FwdHidden, 0);
        EXPECT_EQ(p.RevHidden, 0);
        EXPECT_DOUBLE_EQ(p.LookV[0], FreeCarSpeed(4));
        EXPECT_DOUBLE_EQ(p.LookV[1], FreeCarSpeed(4));
        if (i < 4) {
            EXPECT_EQ(p.FwdEnd, i + 1);
        }
        if (i > 0) {
            EXPECT_EQ(p.RevEnd, i - 1);
        }
    }
}

namespace {

// Inner offset from the axis at which the chord from profile 0 to profile j of
// an arc road crosses profile k's section line, for an end point `outward`
// metres outside the axis.
double ChordOffset(double radius, double spacing, int k, int j, double outward) {
    const double tj = j * spacing / radius;
    const double tk = k * spacing / radius;
    const double rv = radius + outward;
    return radius - rv * std::cos(tj / 2) / std::cos(tk - tj / 2);
}

}  // namespace

TEST(SightStages, BuildingOnTheInsideOfACurveShortensTheLook) {
    const double radius = 300, spacing = 10;
    const int n = 30;
    {
        TMPlan bare = ArcRoad(n, spacing, radius);
        RunSightStages(bare);
        for (const auto& p : bare.Profiles) {
            EXPECT_EQ(p.FwdHidden, 0);
            EXPECT_EQ(p.RevHidden, 0);
        }
    }
    TMPlan plan = ArcRoad(n, spacing, radius);
    tGreens greens;
    greens.Objects.push_back(MakeObject(plan, 1, n - 2, {130, 135, 139}, 10, false));
    tProgress none;
    tProgressCounter counter(none);
    PrepareGreens(plan, greens, counter);
    EXPECT_EQ(counter.Position, 1);
    RunSightStages(plan);

    const auto& p0 = plan.Profiles[0];
    ASSERT_EQ(p0.FwdHidden, 1);
    // The look reaches the farthest profile whose chords (both eye points) stay
    // outside the building, which starts 8 m inside the axis.
    int expected = p0.FwdEnd;
    auto blocked = [&](int j) {
        for (int k = 1; k < j; ++k)
            if (ChordOffset(radius, spacing, k, j, 0) > 8 || ChordOffset(radius, spacing, k, j, -kM1Offset) > 8)
                return true;
        return false;
    };
    while (expected > 1 && blocked(expected)) --expected;
    EXPECT_LT(expected, p0.FwdEnd);
    EXPECT_GT(expected, 5);
    EXPECT_DOUBLE_EQ(p0.LookV[DirFwd], SpeedForSightDistance(true, expected * spacing));
    EXPECT_LT(p0.LookV[DirFwd], FreeCarSpeed(4));
    // The recorded invisible points lie inside the curve, on the building.
    bool anyTrack = false;
    for (int k = 1; k < n - 1; ++k) {
        const auto& p = plan.Profiles[k];
        if (!p.HasFwdTrack[1]) continue;
        anyTrack = true;
        const double d = Distance(p.RoadCentre.X, p.RoadCentre.Y, p.SightTrack[1].X, p.SightTrack[1].Y);
        EXPECT_GT(d, 8 - 1e-6);
        EXPECT_LT(d, 25 + 1e-6);
    }
    EXPECT_TRUE(anyTrack);
}

TEST(PrepareGreens, RaisesTheSectionBetweenTheOuterKeyPoints) {
    TMPlan plan = StraightRoad(4, 10, [](int) { return 2.0; });
    tGreens greens;
    greens.Objects.push_back(MakeObject(plan, 1, 2, {130, 135, 139}, 6, true));
    greens.Objects.push_back(MakeObject(plan, 2, 2, {100, 109}, 4, false));
    tProgress none;
    tProgressCounter counter(none);
    PrepareGreens(plan, greens, counter);
    EXPECT_EQ(plan.Profiles[0].SegmentCount(), 9);
    EXPECT_EQ(plan.Profiles[3].SegmentCount(), 9);

    const auto& s1 = plan.Profiles[1].Segments;
    ASSERT_EQ(s1.size(), 12u);
    // 127->130 is segment 7 (index 6); the rise, top and fall follow it.
    for (int t = 0; t < 3; ++t) {
        EXPECT_EQ(s1[7 + t].Kind, 5);
        EXPECT_EQ(s1[7 + t].SegNo, 1001 + t);
        EXPECT_EQ(s1[7 + t].FromDtm, 0);
        EXPECT_EQ(s1[7 + t].Covered, 0);
    }
    EXPECT_DOUBLE_EQ(s1[7].A.H, 2);
    EXPECT_DOUBLE_EQ(s1[7].B.H, 8);
    EXPECT_DOUBLE_EQ(s1[8].A.Y, 8);
    EXPECT_DOUBLE_EQ(s1[8].B.Y, 25);
    EXPECT_DOUBLE_EQ(s1[9].A.H, 8);
    EXPECT_DOUBLE_EQ(s1[9].B.H, 2);
    EXPECT_EQ(s1[10].Covered, 1);  // 130->135
    EXPECT_EQ(s1[11].Covered, 1);  // 135->139
    EXPECT_EQ(s1[6].Covered, 0);

    // Profile 2 also carries the building from the first key point (number 0
    // -> before the first segment) to key 109.
    const auto& s2 = plan.Profiles[2].Segments;
    ASSERT_EQ(s2.size(), 15u);
    EXPECT_EQ(s2[0].Kind, 4);
    EXPECT_EQ(s2[0].SegNo, 1011);
    EXPECT_DOUBLE_EQ(s2[0].A.Y, -25);
    EXPECT_DOUBLE_EQ(s2[0].B.H, 6);
    EXPECT_DOUBLE_EQ(s2[2].A.Y, -15);
    EXPECT_EQ(s2[3].Covered, 1);  // 100->109 under the building
    EXPECT_EQ(s2[4].Covered, 0);
    EXPECT_EQ(counter.Position, 2);
}

TEST(PrepareGreens, KeyPointsOutsideTheChainLeaveTheProfileUnchanged) {
    TMPlan plan = StraightRoad(3, 10, [](int) { return 0.0; });
    tGreens greens;
    tGreenRec o = MakeObject(plan, 1, 1, {130, 135, 139}, 6, false);
    o.Points.back().PointSegNo = 40;  // not a segment of the profile
    greens.Objects.push_back(o);
    tGreenRec single = MakeObject(plan, 0, 0, {135}, 3, false);
    greens.Objects.push_back(single);
    tProgress none;
    tProgressCounter counter(none);
    const auto before = plan.Profiles[1].Segments;
    PrepareGreens(plan, greens, counter);
    ASSERT_EQ(plan.Profiles[1].Segments.size(), before.size());
    for (size_t s = 0; s < before.size(); ++s) EXPECT_EQ(plan.Profiles[1].Segments[s].Covered, 0);
    // One key point only: a thin wall, nothing covered.
    const auto& s0 = plan.Profiles[0].Segments;
    ASSERT_EQ(s0.size(), 12u);
    EXPECT_EQ(s0[8].SegNo, 1011);
    EXPECT_DOUBLE_EQ(s0[9].A.Y, s0[9].B.Y);
    for (const auto& s : s0) EXPECT_EQ(s.Covered, 0);
}

TEST(InRangeInclusive, AgreesWithInRangeWithBothEndsIncluded) {
    const double values[] = {-1, 0, 0.0000005, 0.000002, 1, 2 - 0.0000005, 2, 2.0000009, 3};
    for (double a : {0.0, 2.0})
        for (double b : {0.0, 2.0})
            for (double x : values) EXPECT_EQ(InRangeInclusive(x, a, b), InRange(true, true, x, a, b)) << x << a << b;
}

// A curved, hilly road with buildings, prepared for the sight stages.
TMPlan HillyArcWithBuildings() {
    TMPlan base = ArcRoad(40, 7, 120);
    for (int i = 0; i < 40; ++i)
        for (auto& s : base.Profiles[i].Segments) {
            s.A.H = s.A.H2 = (i % 9 == 4) ? 3.0 : 0.1 * i;
            s.B.H = s.B.H2 = (i % 9 == 4) ? 3.0 : 0.1 * i;
        }
    tGreens greens;
    greens.Objects.push_back(MakeObject(base, 10, 20, {130, 135, 139}, 7, false));
    tProgress none;
    tProgressCounter counter(none);
    PrepareGreens(base, greens, counter);
    InitSightData(base, counter);
    base.Profiles[12].NoRoadCheck = 1;
    return base;
}

TEST(FastSightCheck, CachedGeometryGivesTheSameChecksAndEffects) {
    // Every kind of check the stages and the crossroads stage make: plain,
    // forced, with a replaced start or end.
    const TMPlan base = HillyArcWithBuildings();
    TMPlan plain = base;
    TMPlan fast = base;
    tFastSight geometry = MakeFastSight(fast, 1);
    tRoadPoint replacement;
    replacement.X = 60;
    replacement.Y = 30;
    replacement.H = 2;
    int hidden = 0;
    for (int start = 0; start < 38; start += 3)
        for (int end = start + 1; end < 40; end += 4)
            for (int variant = 0; variant < 2; ++variant)
                for (int mode = 0; mode < 4; ++mode) {
                    const bool force = mode == 1;
                    const bool rs = mode == 2, re = mode == 3;
                    const bool a = CheckSightLine(plain, start, end, variant, force, rs, re, replacement);
                    const bool b = FastCheckSightLine(fast, geometry, start, end, variant, force, rs, re, replacement);
                    ASSERT_EQ(a, b) << start << " " << end << " " << variant << " " << mode;
                    hidden += a;
                }
    EXPECT_GT(hidden, 0);
    tRoadModel ma, mb;
    ma.Plan = std::move(plain);
    mb.Plan = std::move(fast);
    tModelDiff diff;
    diff.Model(ma, mb);
    EXPECT_EQ(diff.Count, 0) << diff.Out.str();
}

TEST(FastSightScan, EveryThreadCountAndWorkWindowGivesTheReferenceStages) {
    // The scans hand their work places over from the threads that compute to
    // the one that applies; windows far smaller than the road make every place
    // change hands many times (the sanitizer build runs this too).
    const TMPlan base = HillyArcWithBuildings();
    tProgress none;
    tProgressCounter counter(none);
    tRoadModel reference;
    reference.Plan = base;
    ForwardScan(reference.Plan, counter);
    ForwardLookSpeeds(reference.Plan);
    ReverseScan(reference.Plan, counter);
    ReverseLookSpeeds(reference.Plan);
    int hidden = 0;
    for (const tPlanProfile& p : reference.Plan.Profiles) hidden += p.FwdHidden + p.RevHidden;
    EXPECT_GT(hidden, 0);
    for (int threads : {1, 2, 4})
        for (int window : {1, 2, 5, 256}) {
            SCOPED_TRACE(testing::Message() << threads << " threads, window " << window);
            tRoadModel fast;
            fast.Plan = base;
            tFastSight geometry = MakeFastSight(fast.Plan, threads);
            geometry.BlockSize = window;
            FastForwardScan(fast.Plan, geometry, counter);
            FastForwardLookSpeeds(fast.Plan, geometry);
            FastReverseScan(fast.Plan, geometry, counter);
            FastReverseLookSpeeds(fast.Plan, geometry);
            tModelDiff diff;
            diff.Model(reference, fast);
            EXPECT_EQ(diff.Count, 0) << diff.Out.str();
        }
}
