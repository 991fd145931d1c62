// Factor rules at their bounds, minimum and cause, the non-compliance rate.
#include "calc/factor_speeds.h"

#include <gtest/gtest.h>

#include <cmath>

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
    struct Case {
        int cat;
        double cars, buses, trucks, trains;
        double v;
    };
    const Case cases[] = {
        {0, 1, 0, 0, 0, 150},
        {4, 0.5, 0.5, 0, 0, 72},        // (82 + 62) / 2
        {2, 0.5, 0, 0.5, 0, 98},        // 98.5: half to even
        {3, 0.5, 0, 0, 0.5, 85},
        {1, 0.5, 0, 0, 0, 130},         // shares not adding to 1 are normalised
        {0, 0, 0, 0, 0, 0},             // no shares at all: W = 0 over S = 1
        {4, 0.25, 0.25, 0.25, 0.25, 66},  // (82 + 62 + 63 + 58) / 4 = 66.25
    };
    for (const Case& c : cases) {
        tPlanProfile p = Profile(c.cat);
        p.Cars = c.cars;
        p.Buses = c.buses;
        p.Trucks = c.trucks;
        p.VehicleTrains = c.trains;
        EXPECT_EQ(FreeSpeed(p), c.v) << c.cat << " " << c.cars;
    }
    EXPECT_EQ(FreeCarSpeed(0), 150);
    EXPECT_EQ(FreeCarSpeed(4), 82);
}

TEST(CurveSpeed, LimitingRadiusIsInclusive) {
    struct Case {
        int cat;
        double radius;
        double v;
    };
    const Case cases[] = {
        {2, 1000, 91},        // 12.5 * 1000^0.288 = 91.39
        {2, 1000.001, 100},   // beyond the largest limiting radius: free speed
        {4, 600, 83},         // 12.5 * 600^0.296 = 83.03
        {0, 5000, 119},       // 12.5 * 5000^0.265 = 119.44
        {0, 5001, 100},
        {1, 0, 100},          // straight road
    };
    for (const Case& c : cases) {
        tPlanProfile p = Profile(c.cat);
        p.CurveRadius = c.radius;
        EXPECT_EQ(CurveSpeed(p), c.v) << c.cat << " " << c.radius;
    }
}

TEST(TiltSpeed, BoundsPerDirection) {
    struct Case {
        double tilt;
        double fwd, rev;
    };
    const Case cases[] = {
        {0.02, 100, 100},     // factor (0.02/0.02)^k = 1
        {0.0199, 100, 100},
        {0.04, 84, 100},      // 100 * 0.5^0.25 = 84.09
        {-0.049, 100, 80},    // reverse sees +0.049: 100 * (0.02/0.049)^0.25 = 79.93
        {-0.05, 79, 80},      // forward 100 * 0.72^0.7 = 79.46, reverse 100 * 0.4^0.25 = 79.53
        {0.05, 80, 79},
        {0, 100, 100},
    };
    for (const Case& c : cases) {
        tPlanProfile p = Profile(0);
        p.LongitudinalTilt = c.tilt;
        EXPECT_EQ(TiltSpeed(p, DirFwd), c.fwd) << c.tilt;
        EXPECT_EQ(TiltSpeed(p, DirRev), c.rev) << c.tilt;
    }
}

TEST(SlickAndTilt, ZeroFreeSpeedStaysZero) {
    tPlanProfile p = Profile(0, 0);
    p.LongitudinalTilt = 0.08;
    p.SlicknessValue = 500;
    EXPECT_EQ(TiltSpeed(p, DirFwd), 0);
    EXPECT_EQ(TiltSpeed(p, DirRev), 0);
    EXPECT_EQ(SlickSpeed(p), 0);
}

TEST(SlickSpeed, FromOneHundredThirty) {
    const double cases[][3] = {{129.99, 100, 100}, {130, 100, 79} /* 78.75 */, {200, 150, 119}, {0, 100, 100}};
    for (const auto& c : cases) {
        tPlanProfile p = Profile(0, c[1]);
        p.SlicknessValue = c[0];
        EXPECT_EQ(SlickSpeed(p), c[2]) << c[0];
    }
}

TEST(BridgeSpeed, RatioCappedAndHalfBound) {
    struct Case {
        int cat;
        double clearance;
        double v;
    };
    const Case cases[] = {
        {2, 12, 100},       // above the standard 11.5: ratio capped at 1
        {2, 11.5, 100},
        {2, 5.75, 50},      // exactly half
        {2, 5.7499, 30},    // just below half
        {4, 6, 75},         // 6 / 8
        {3, 0, 100},        // no bridge
        {0, 1.5, 100},      // IV and III never limit
        {1, 1.5, 100},
    };
    for (const Case& c : cases) {
        tPlanProfile p = Profile(c.cat);
        p.Clearance = c.clearance;
        EXPECT_EQ(BridgeSpeed(p), c.v) << c.cat << " " << c.clearance;
    }
}

TEST(IntensitySpeed, CompositionAndFloor) {
    tPlanProfile p = Profile(0);
    p.TrafficIntensity = 1000;  // q = 4.2, capacity 192.3: (13.47 - 0.52) / 0.09 = 143.9
    EXPECT_EQ(IntensitySpeed(p), 144);
    tPlanProfile t = Profile(4);
    t.Cars = 0;
    t.VehicleTrains = 1;
    t.TrafficIntensity = 3000;  // q = 14: (7.39 - 4.5) / 0.09 = 32.1
    EXPECT_EQ(IntensitySpeed(t), 32);
    t.TrafficIntensity = 100000;
    EXPECT_EQ(IntensitySpeed(t), 0);
}

TEST(LocalityAndSocial, FixedSpeedsOrFree) {
    tPlanProfile p = Profile(4, 50);
    EXPECT_EQ(LocalitySpeed(p), 50);
    EXPECT_EQ(SocialSpeed(p), 50);
    p.IsLocality = 1;
    p.IsSocialActivity = 1;
    EXPECT_EQ(LocalitySpeed(p), 60);  // even above a lower free speed
    EXPECT_EQ(SocialSpeed(p), 40);
}

tPlanProfile AllAt(double v) {
    tPlanProfile p = Profile(0, v);
    p.CurveV = p.TiltV[0] = p.TiltV[1] = p.SlickV = p.BridgeV = p.IntensityV = p.LocalityV = p.SocialV = v;
    p.CrossV[0] = p.CrossV[1] = p.LookV[0] = p.LookV[1] = v;
    return p;
}

TEST(MinSpeed, EachFactorItsCodeAndTiesKeepTheEarlier) {
    // Lowering one factor at a time must name exactly that factor, per direction.
    struct Case {
        double tPlanProfile::*field;
        int index;  // -1 plain field, else direction index of an array field
        double (tPlanProfile::*array)[2];
        uint8_t cause;
        bool forwardOnly, reverseOnly;
    };
    const Case cases[] = {
        {&tPlanProfile::CurveV, -1, nullptr, CauseCurve, false, false},
        {nullptr, 0, &tPlanProfile::TiltV, CauseTilt, true, false},
        {nullptr, 1, &tPlanProfile::TiltV, CauseTilt, false, true},
        {&tPlanProfile::SlickV, -1, nullptr, CauseSlickness, false, false},
        {&tPlanProfile::BridgeV, -1, nullptr, CauseBridge, false, false},
        {&tPlanProfile::IntensityV, -1, nullptr, CauseIntensity, false, false},
        {&tPlanProfile::LocalityV, -1, nullptr, CauseLocality, false, false},
        {&tPlanProfile::SocialV, -1, nullptr, CauseSocial, false, false},
        {nullptr, 0, &tPlanProfile::CrossV, CauseCrossRoad, true, false},
        {nullptr, 1, &tPlanProfile::CrossV, CauseCrossRoad, false, true},
        {nullptr, 0, &tPlanProfile::LookV, CauseInvisiblePoints, true, false},
        {nullptr, 1, &tPlanProfile::LookV, CauseInvisiblePoints, false, true},
    };
    for (const Case& c : cases) {
        tPlanProfile p = AllAt(90);
        if (c.field) p.*c.field = 70;
        else (p.*c.array)[c.index] = 70;
        CalcMinSpeed(p);
        EXPECT_EQ(p.MinV[DirFwd], c.reverseOnly ? 90 : 70) << int(c.cause);
        EXPECT_EQ(p.Cause[DirFwd], c.reverseOnly ? uint8_t(CauseNone) : c.cause);
        EXPECT_EQ(p.MinV[DirRev], c.forwardOnly ? 90 : 70) << int(c.cause);
        EXPECT_EQ(p.Cause[DirRev], c.forwardOnly ? uint8_t(CauseNone) : c.cause);
    }

    tPlanProfile tie = AllAt(90);
    tie.CurveV = tie.SlickV = 60;  // equal lowest: the earlier factor
    EXPECT_EQ(MinSpeed(tie, DirFwd).Cause, CauseCurve);
    tPlanProfile same = AllAt(90);  // every factor equal to the free speed
    EXPECT_EQ(MinSpeed(same, DirRev).Cause, CauseNone);
    tPlanProfile town = AllAt(50);
    town.LocalityV = 60;
    EXPECT_EQ(MinSpeed(town, DirFwd).MinV, 50);
    EXPECT_EQ(MinSpeed(town, DirFwd).Cause, CauseNone);
}

TEST(NonComplianceRate, OneDecimalHalvesToEvenAndZeroSpeed) {
    const double cases[][3] = {
        {100, 60, 66.7},   // 40 * 100/60 = 66.67
        {5, 4, 1.2},       // 1 * 1.25: the half goes to the even 12 tenths
        {7, 4, 5.2},       // 3 * 1.75 = 5.25
        {60, 100, -24},    // a rise gives a negative rate
        {60, 60, 0},
        {60, 0, 600000},   // no speed at all: p * 10000
        {60, 0.00001, 600000},
    };
    for (const auto& c : cases) EXPECT_DOUBLE_EQ(NonComplianceRate(c[0], c[1]), c[2]) << c[0] << " " << c[1];
}

TEST(Stages, WholeRoadAndNoNeighbourRates) {
    TMPlan plan;
    for (int i = 0; i < 3; ++i) {
        tPlanProfile p = Profile(0);
        p.Position = 100.0 * i;
        p.CurveRadius = i == 1 ? 300 : 0;
        p.LookV[0] = p.LookV[1] = p.CrossV[0] = p.CrossV[1] = FreeCarSpeed(0);
        plan.Profiles.push_back(p);
    }
    int steps = 0;
    const tProfileStep count = [&](int) { ++steps; };
    CalcFreeVelocity(plan, count);
    CalcHCurves(plan, count);
    CalcLongiTilt(plan, count);
    CalcSlickness(plan, count);
    CalcBridgeClearance(plan, count);
    CalcTrafficIntensity(plan, count);
    CalcLocalitySocActivity(plan, count);
    CalcMinSpeeds(plan, count);
    CalcNonComplianceRates(plan, count);
    EXPECT_EQ(steps, 9 * 3);

    const double curve = 57;  // 12.5 * 300^0.265 = 56.6
    EXPECT_EQ(plan.Profiles[1].CurveV, curve);
    EXPECT_EQ(plan.Profiles[1].Cause[DirFwd], CauseCurve);
    // Intensity 13.47 / 0.09 = 149.7 rounds to the free speed 150: a tie keeps cause 0.
    EXPECT_EQ(plan.Profiles[0].IntensityV, 150);
    EXPECT_EQ(plan.Profiles[0].MinV[DirFwd], 150);
    EXPECT_EQ(plan.Profiles[0].Cause[DirFwd], CauseNone);
    EXPECT_FALSE(HasRate(plan.Profiles[0].Koef[DirFwd]));
    EXPECT_FALSE(HasRate(plan.Profiles[2].Koef[DirRev]));
    EXPECT_TRUE(HasRate(plan.Profiles[2].Koef[DirFwd]));
    EXPECT_DOUBLE_EQ(plan.Profiles[1].Koef[DirFwd], NonComplianceRate(150, curve));
    EXPECT_DOUBLE_EQ(plan.Profiles[1].Koef[DirRev], NonComplianceRate(150, curve));
    EXPECT_DOUBLE_EQ(plan.Profiles[2].Koef[DirFwd], NonComplianceRate(curve, 150));
}

}  // namespace
}  // namespace kestrova
