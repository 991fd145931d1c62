// Pivot segments, bounds and verdicts.
#include "core/calc/pivot.h"

#include <gtest/gtest.h>

namespace kestrova {
namespace {

struct P {
    int cat;
    double fwd, rev;
};

// Profiles 100 m apart from 1000 m with the given category and minima; rates
// computed from the minima as the calculation does.
TMPlan Road(std::initializer_list<P> profiles) {
    TMPlan plan;
    for (const P& p : profiles) {
        tPlanProfile r;
        r.RoadCathegory = uint8_t(p.cat);
        r.Position = 1000 + 100.0 * plan.Count();
        r.MinV[DirFwd] = p.fwd;
        r.MinV[DirRev] = p.rev;
        r.Cause[DirFwd] = CauseCurve;
        plan.Profiles.push_back(r);
    }
    CalcNonComplianceRates(plan);
    return plan;
}

TEST(BuildPivot, OneUnchangingSegmentHasNoVerdicts) {
    tPivotData pivot;
    int steps = 0;
    BuildPivot(Road({{2, 90, 90}, {2, 90, 90}, {2, 90, 90}}), pivot, [&](int) { ++steps; });
    EXPECT_EQ(steps, 3);
    ASSERT_EQ(pivot.Count(), 1);
    const tPivotRow& r = pivot.Rows[0];
    EXPECT_EQ(r.KmEnd, 1200);  // the last profile's position
    EXPECT_EQ(r.LastIndex, 2);
    EXPECT_EQ(r.ResumeFwd, VerdictNone);
    EXPECT_EQ(r.ResumeRev, VerdictNone);
}

TEST(BuildPivot, TwoSegmentsBoundsAndVerdicts) {
    tPivotData pivot;
    BuildPivot(Road({{2, 90, 90}, {2, 90, 90}, {2, 60, 60}, {2, 60, 60}}), pivot);
    ASSERT_EQ(pivot.Count(), 2);
    const tPivotRow& a = pivot.Rows[0];
    const tPivotRow& b = pivot.Rows[1];
    EXPECT_EQ(a.KmEnd, b.KmBeg);  // a segment ends where the next begins
    EXPECT_EQ(a.LastIndex, 2);
    EXPECT_EQ(b.FirstIndex, 2);
    EXPECT_EQ(a.CauseFwd, CauseCurve);
    EXPECT_EQ(a.ResumeFwd, VerdictNone);  // nothing behind the first row going forward
    EXPECT_EQ(b.ResumeRev, VerdictNone);  // nor behind the last going in reverse
    // Forward from 90 into 60: rate 30 * 1.5 = 45 against 10 * 90 / 80 = 11.25.
    EXPECT_DOUBLE_EQ(b.FailRateFwd, 45);
    EXPECT_DOUBLE_EQ(b.BoundRateFwd, 11.25);
    EXPECT_EQ(b.ResumeFwd, VerdictNotSafe);
    // Reverse from 60 into 90 (row 0's last profile), a rise: -20 against 12.
    EXPECT_DOUBLE_EQ(a.FailRateRev, -20);
    EXPECT_DOUBLE_EQ(a.BoundRateRev, 12);
    EXPECT_EQ(a.ResumeRev, VerdictSafe);
}

TEST(BuildPivot, WhatStartsASegment) {
    const struct {
        std::initializer_list<P> road;
        int rows;
    } cases[] = {
        {{{2, 90, 90}, {2, 90, 80}, {2, 90, 80}}, 2},         // reverse minimum alone
        {{{2, 90, 90}, {3, 90, 90}}, 2},                      // category alone
        {{{2, 90, 90}, {2, 90.000009, 90}, {2, 90, 90}}, 1},  // within the tolerance
        {{{2, 90, 90}, {2, 90.00002, 90}}, 2},
    };
    tPivotData pivot;
    pivot.Rows.resize(5);  // a rebuild starts from scratch
    for (const auto& c : cases) {
        BuildPivot(Road(c.road), pivot);
        EXPECT_EQ(pivot.Count(), c.rows);
    }
}

TEST(Verdict, RateReachingTheBoundIsNotSafe) {
    const double cases[][3] = {
        {11.25, 11.25, VerdictNotSafe}, {11.249995, 11.25, VerdictNotSafe} /* within the tolerance */,
        {11.2499, 11.25, VerdictSafe},  {-5, -10, VerdictNotSafe} /* negative bound: even a rise fails */,
        {0, 0, VerdictNotSafe},         {-5, 0, VerdictSafe},
    };
    for (const auto& c : cases) EXPECT_EQ(Verdict(c[0], c[1]), int32_t(c[2])) << c[0] << " " << c[1];
    EXPECT_DOUBLE_EQ(BoundRate(20), 20);
    EXPECT_DOUBLE_EQ(BoundRate(5), -10);  // below 10 km/h the bound is negative
}

TEST(BuildPivot, TenKilometresAnHourGivesADefinedVerdict) {
    tPivotData pivot;
    BuildPivot(Road({{2, 10, 10}, {2, 20, 20}, {2, 5, 5}}), pivot);
    ASSERT_EQ(pivot.Count(), 3);
    // After a 10 km/h segment the bound is 0: the rise to 20 (rate -5) is safe ...
    EXPECT_EQ(pivot.Rows[1].BoundRateFwd, 0);
    EXPECT_EQ(pivot.Rows[1].ResumeFwd, VerdictSafe);
    // ... while in reverse the drop from 20 into 10 (rate 20, bound 20) is not.
    EXPECT_DOUBLE_EQ(pivot.Rows[0].FailRateRev, 20);
    EXPECT_EQ(pivot.Rows[0].ResumeRev, VerdictNotSafe);
}

}  // namespace
}  // namespace kestrova
