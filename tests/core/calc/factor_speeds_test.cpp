// Factor rules at their bounds, minimum and cause, the non-compliance rate.
#include "core/calc/factor_speeds.h"

#include <gtest/gtest.h>

namespace kestrova {
namespace {

tPlanProfile Profile(int cat, double free = 100) {
    tPlanProfile p;
    p.RoadCathegory = uint8_t(cat);
    p.Cars = 1;
    p.FreeV = free;
    return p;
}

TEST(FreeSpeed, WeightedByShares) {
    const struct {
        int cat;
        double shares[4];  // cars, buses, trucks, trains
        double v;
    } cases[] = {
        {0, {1, 0, 0, 0}, 150},     {4, {0.5, 0.5, 0, 0}, 72},  {2, {0.5, 0, 0.5, 0}, 98} /* 98.5 to even */,
        {1, {0.5, 0, 0, 0}, 130} /* normalised */, {0, {0, 0, 0, 0}, 0} /* W = 0 over S = 1 */,
    };
    for (const auto& c : cases) {
        tPlanProfile p = Profile(c.cat);
        p.Cars = c.shares[0], p.Buses = c.shares[1], p.Trucks = c.shares[2], p.VehicleTrains = c.shares[3];
        EXPECT_EQ(FreeSpeed(p), c.v) << c.cat;
    }
    EXPECT_EQ(FreeCarSpeed(4), 82);
}

TEST(FactorRules, BoundsPerRule) {
    // field to set, value, category, free speed, expected speed of the rule
    const struct {
        const char* rule;
        double value;
        int cat;
        double free;
        double v;
    } cases[] = {
        {"curve", 1000, 2, 100, 91},      // 12.5 * 1000^0.288 = 91.39: the largest radius still limits
        {"curve", 1000.001, 2, 100, 100}, {"curve", 5000, 0, 100, 119}, {"curve", 0, 1, 100, 100},
        {"slick", 129.99, 0, 100, 100},   {"slick", 130, 0, 100, 79} /* 78.75 */, {"slick", 200, 0, 150, 119},
        {"bridge", 12, 2, 100, 100} /* ratio capped at 1 */, {"bridge", 5.75, 2, 100, 50} /* half */,
        {"bridge", 5.7499, 2, 100, 30},   {"bridge", 0, 3, 100, 100}, {"bridge", 1.5, 0, 100, 100},
        {"bridge", 1.5, 1, 100, 100},     {"intensity", 1000, 0, 0, 144} /* (13.47 - 0.52) / 0.09 */,
        {"intensity", 100000, 0, 0, 0},   {"locality", 1, 4, 50, 60}, {"locality", 0, 4, 50, 50},
        {"social", 1, 4, 50, 40},         {"social", 0, 4, 50, 50},
    };
    for (const auto& c : cases) {
        tPlanProfile p = Profile(c.cat, c.free);
        const std::string rule = c.rule;
        double v = -1;
        if (rule == "curve") p.CurveRadius = c.value, v = CurveSpeed(p);
        if (rule == "slick") p.SlicknessValue = c.value, v = SlickSpeed(p);
        if (rule == "bridge") p.Clearance = c.value, v = BridgeSpeed(p);
        if (rule == "intensity") p.TrafficIntensity = int32_t(c.value), v = IntensitySpeed(p);
        if (rule == "locality") p.IsLocality = uint8_t(c.value), v = LocalitySpeed(p);
        if (rule == "social") p.IsSocialActivity = uint8_t(c.value), v = SocialSpeed(p);
        EXPECT_EQ(v, c.v) << c.rule << " " << c.value;
    }
}

TEST(TiltSpeed, BoundsPerDirection) {
    const double cases[][3] = {
        {0.02, 100, 100},   // (0.02/0.02)^k = 1
        {0.04, 84, 100},    // 100 * 0.5^0.25 = 84.09
        {-0.049, 100, 80},  // reverse sees +0.049: 100 * (0.02/0.049)^0.25 = 79.93
        {-0.05, 79, 80},    // forward 100 * 0.72^0.7 = 79.46, reverse 100 * 0.4^0.25 = 79.53
    };
    for (const auto& c : cases) {
        tPlanProfile p = Profile(0);
        p.LongitudinalTilt = c[0];
        EXPECT_EQ(TiltSpeed(p, DirFwd), c[1]) << c[0];
        EXPECT_EQ(TiltSpeed(p, DirRev), c[2]) << c[0];
    }
    tPlanProfile none = Profile(0, 0);  // zero free speed: no unbounded power
    none.LongitudinalTilt = 0.08;
    none.SlicknessValue = 500;
    EXPECT_EQ(TiltSpeed(none, DirRev), 0);
    EXPECT_EQ(SlickSpeed(none), 0);
}

tPlanProfile AllAt(double v) {
    tPlanProfile p = Profile(0, v);
    p.CurveV = p.TiltV[0] = p.TiltV[1] = p.SlickV = p.BridgeV = p.IntensityV = p.LocalityV = p.SocialV = v;
    p.CrossV[0] = p.CrossV[1] = p.LookV[0] = p.LookV[1] = v;
    return p;
}

TEST(MinSpeed, EachFactorItsCodeAndTiesKeepTheEarlier) {
    // Lower one factor at a time (by its place in the profile) and expect its code.
    const struct {
        double* (*field)(tPlanProfile&);
        uint8_t cause;
        int only;  // -1 both directions, else the one direction it applies to
    } cases[] = {
        {[](tPlanProfile& p) { return &p.CurveV; }, CauseCurve, -1},
        {[](tPlanProfile& p) { return &p.TiltV[0]; }, CauseTilt, DirFwd},
        {[](tPlanProfile& p) { return &p.TiltV[1]; }, CauseTilt, DirRev},
        {[](tPlanProfile& p) { return &p.SlickV; }, CauseSlickness, -1},
        {[](tPlanProfile& p) { return &p.BridgeV; }, CauseBridge, -1},
        {[](tPlanProfile& p) { return &p.IntensityV; }, CauseIntensity, -1},
        {[](tPlanProfile& p) { return &p.LocalityV; }, CauseLocality, -1},
        {[](tPlanProfile& p) { return &p.SocialV; }, CauseSocial, -1},
        {[](tPlanProfile& p) { return &p.CrossV[0]; }, CauseCrossRoad, DirFwd},
        {[](tPlanProfile& p) { return &p.CrossV[1]; }, CauseCrossRoad, DirRev},
        {[](tPlanProfile& p) { return &p.LookV[0]; }, CauseInvisiblePoints, DirFwd},
        {[](tPlanProfile& p) { return &p.LookV[1]; }, CauseInvisiblePoints, DirRev},
    };
    for (const auto& c : cases) {
        tPlanProfile p = AllAt(90);
        *c.field(p) = 70;
        CalcMinSpeed(p);
        for (int d : {DirFwd, DirRev}) {
            const bool hit = c.only < 0 || c.only == d;
            EXPECT_EQ(p.MinV[d], hit ? 70 : 90) << int(c.cause) << " " << d;
            EXPECT_EQ(p.Cause[d], hit ? c.cause : uint8_t(CauseNone)) << int(c.cause) << " " << d;
        }
    }
    tPlanProfile tie = AllAt(90);
    tie.CurveV = tie.SlickV = 60;
    EXPECT_EQ(MinSpeed(tie, DirFwd).Cause, CauseCurve);
    EXPECT_EQ(MinSpeed(AllAt(90), DirRev).Cause, CauseNone);  // equal to the free speed
}

TEST(NonComplianceRate, OneDecimalHalvesToEvenAndZeroSpeed) {
    const double cases[][3] = {
        {100, 60, 66.7}, {5, 4, 1.2} /* 1.25 to even */, {7, 4, 5.2} /* 5.25 */, {60, 100, -24},
        {60, 0, 600000}, {60, 0.00001, 600000},
    };
    for (const auto& c : cases) EXPECT_DOUBLE_EQ(NonComplianceRate(c[0], c[1]), c[2]) << c[0] << " " << c[1];
}

TEST(Stages, WholeRoadAndNoNeighbourRates) {
    TMPlan plan;
    for (int i = 0; i < 3; ++i) {
        tPlanProfile p = Profile(0);
        p.CurveRadius = i == 1 ? 300 : 0;
        p.LookV[0] = p.LookV[1] = p.CrossV[0] = p.CrossV[1] = FreeCarSpeed(0);
        plan.Profiles.push_back(p);
    }
    int steps = 0;
    const tProfileStep count = [&](int) { ++steps; };
    for (auto stage : {CalcFreeVelocity, CalcHCurves, CalcLongiTilt, CalcSlickness, CalcBridgeClearance,
                       CalcTrafficIntensity, CalcLocalitySocActivity, CalcMinSpeeds, CalcNonComplianceRates})
        stage(plan, count);
    EXPECT_EQ(steps, 9 * 3);
    const tPlanProfile& a = plan.Profiles[0];
    const tPlanProfile& b = plan.Profiles[1];
    EXPECT_EQ(b.CurveV, 57);  // 12.5 * 300^0.265 = 56.6
    EXPECT_EQ(b.Cause[DirFwd], CauseCurve);
    // Intensity 13.47 / 0.09 = 149.7 rounds to the free speed 150: the tie keeps cause 0.
    EXPECT_EQ(a.IntensityV, 150);
    EXPECT_EQ(a.Cause[DirFwd], CauseNone);
    EXPECT_FALSE(HasRate(a.Koef[DirFwd]));
    EXPECT_FALSE(HasRate(plan.Profiles[2].Koef[DirRev]));
    EXPECT_DOUBLE_EQ(b.Koef[DirFwd], NonComplianceRate(150, 57));
    EXPECT_DOUBLE_EQ(plan.Profiles[2].Koef[DirFwd], NonComplianceRate(57, 150));
}

}  // namespace
}  // namespace kestrova
