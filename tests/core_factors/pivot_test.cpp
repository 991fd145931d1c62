// Pivot segments, bounds and verdicts.
#include "calc/pivot.h"

#include <gtest/gtest.h>

#include <cmath>

namespace kestrova {
namespace {

struct P {
    int cat;
    double fwd, rev;
};

// A road with the given category and minima per profile, 100 m apart; rates
// computed from the minima as the calculation does.
TMPlan Road(std::initializer_list<P> profiles) {
    TMPlan plan;
    int i = 0;
    for (const P& p : profiles) {
        tPlanProfile r;
        r.RoadCathegory = uint8_t(p.cat);
        r.Position = 1000 + 100.0 * i++;
        r.MinV[DirFwd] = p.fwd;
        r.MinV[DirRev] = p.rev;
        r.Cause[DirFwd] = CauseCurve;
        r.Cause[DirRev] = CauseSlickness;
        plan.Profiles.push_back(r);
    }
    CalcNonComplianceRates(plan);
    return plan;
}

TEST(BuildPivot, OneUnchangingSegmentHasNoVerdicts) {
    const TMPlan plan = Road({{2, 90, 90}, {2, 90, 90}, {2, 90, 90}});
    tPivotData pivot;
    int steps = 0;
    BuildPivot(plan, pivot, [&](int) { ++steps; });
    EXPECT_EQ(steps, 3);
    ASSERT_EQ(pivot.Count(), 1);
    const tPivotRow& r = pivot.Rows[0];
    EXPECT_EQ(r.KmBeg, 1000);
    EXPECT_EQ(r.KmEnd, 1200);  // the last profile's position
    EXPECT_EQ(r.FirstIndex, 0);
    EXPECT_EQ(r.LastIndex, 2);
    EXPECT_EQ(r.ResumeFwd, VerdictNone);
    EXPECT_EQ(r.ResumeRev, VerdictNone);
}

TEST(BuildPivot, SegmentsEndWhereTheNextBegins) {
    const TMPlan plan = Road({{2, 90, 90}, {2, 90, 90}, {2, 60, 60}, {2, 60, 60}});
    tPivotData pivot;
    BuildPivot(plan, pivot);
    ASSERT_EQ(pivot.Count(), 2);
    const tPivotRow& a = pivot.Rows[0];
    const tPivotRow& b = pivot.Rows[1];
    EXPECT_EQ(a.KmEnd, b.KmBeg);
    EXPECT_EQ(a.LastIndex, b.FirstIndex);
    EXPECT_EQ(b.FirstIndex, 2);
    EXPECT_EQ(b.LastIndex, 3);
    EXPECT_EQ(a.CauseFwd, CauseCurve);
    EXPECT_EQ(a.CauseRev, CauseSlickness);
    // Row 0 only has a reverse verdict, row 1 only a forward one.
    EXPECT_EQ(a.ResumeFwd, VerdictNone);
    EXPECT_NE(a.ResumeRev, VerdictNone);
    EXPECT_NE(b.ResumeFwd, VerdictNone);
    EXPECT_EQ(b.ResumeRev, VerdictNone);
    // Forward: from 90 into 60, rate 30·1.5 = 45 against 10·90/80 = 11.25.
    EXPECT_DOUBLE_EQ(b.FailRateFwd, 45);
    EXPECT_DOUBLE_EQ(b.BoundRateFwd, 11.25);
    EXPECT_EQ(b.ResumeFwd, VerdictNotSafe);
    // Reverse: from 60 into 90 (the last profile of row 0), a rise: -20 against 12.
    EXPECT_DOUBLE_EQ(a.FailRateRev, -20);
    EXPECT_DOUBLE_EQ(a.BoundRateRev, 12);
    EXPECT_EQ(a.ResumeRev, VerdictSafe);
}

TEST(BuildPivot, WhatStartsASegment) {
    struct Case {
        std::initializer_list<P> road;
        int rows;
    };
    const Case cases[] = {
        {{{2, 90, 90}, {2, 90, 80}, {2, 90, 80}}, 2},        // reverse minimum alone
        {{{2, 90, 90}, {3, 90, 90}}, 2},                     // category alone
        {{{2, 90, 90}, {2, 90.000009, 90}, {2, 90, 90}}, 1}, // below the tolerance
        {{{2, 90, 90}, {2, 90.00002, 90}}, 2},
        {{{2, 90, 90}, {2, 80, 90}, {2, 90, 90}}, 3},
    };
    for (const Case& c : cases) {
        tPivotData pivot;
        BuildPivot(Road(c.road), pivot);
        EXPECT_EQ(pivot.Count(), c.rows);
    }
}

TEST(BuildPivot, RebuildStartsFromScratch) {
    tPivotData pivot;
    BuildPivot(Road({{2, 90, 90}, {2, 60, 60}}), pivot);
    BuildPivot(Road({{2, 90, 90}, {2, 90, 90}}), pivot);
    EXPECT_EQ(pivot.Count(), 1);
}

TEST(BoundRate, FormulaBelowTenAndAtTen) {
    EXPECT_DOUBLE_EQ(BoundRate(90), 11.25);
    EXPECT_DOUBLE_EQ(BoundRate(20), 20);
    EXPECT_DOUBLE_EQ(BoundRate(5), -10);  // below 10 the bound is negative
    EXPECT_EQ(BoundRate(10), 0);
}

TEST(Verdict, RateEqualToBoundIsNotSafe) {
    const double cases[][3] = {
        {11.25, 11.25, VerdictNotSafe},
        {11.249995, 11.25, VerdictNotSafe},  // within the tolerance
        {11.2499, 11.25, VerdictSafe},
        {-5, -10, VerdictNotSafe},          // negative bound: even a rise fails
        {0, 0, VerdictNotSafe},             // after a 10 km/h segment no drop passes
        {-5, 0, VerdictSafe},               // ... but a rise does
    };
    for (const auto& c : cases) EXPECT_EQ(Verdict(c[0], c[1]), int32_t(c[2])) << c[0] << " " << c[1];
}

TEST(BuildPivot, TenKilometresAnHourGivesADefinedVerdict) {
    tPivotData pivot;
    BuildPivot(Road({{2, 10, 10}, {2, 20, 20}, {2, 5, 5}}), pivot);
    ASSERT_EQ(pivot.Count(), 3);
    // Forward from 10 into 20: a rise, safe; reverse from 5 into 20: a rise against a negative bound.
    EXPECT_EQ(pivot.Rows[1].BoundRateFwd, 0);
    EXPECT_EQ(pivot.Rows[1].ResumeFwd, VerdictSafe);
    EXPECT_EQ(pivot.Rows[1].ResumeRev, VerdictNotSafe);
    // Reverse from 20 into 10: rate 10·2 = 20 against the bound 20: not safe.
    EXPECT_DOUBLE_EQ(pivot.Rows[0].FailRateRev, 20);
    EXPECT_EQ(pivot.Rows[0].ResumeRev, VerdictNotSafe);
}

}  // namespace
}  // namespace kestrova
