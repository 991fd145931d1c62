#include "core/calc/crossroads_check.h"
#include "core/calc/sight_fast.h"

#include "core/calc/factor_speeds.h"
#include "core/calc/sight_check.h"
#include "crossroads_road_builder.h"

#include "test_support.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>

namespace kestrova {
namespace {

using test::kGround;
using test::kStartKm;
using test::MakeCrossRoad;
using test::MakeStraightRoad;

struct tRun {
    std::vector<tMessage> Log;
    std::vector<tMessage> Told;
    std::vector<int> Positions;
    int Idles = 0;
};

// Runs the stage over the model's crossroads, collecting what it reports.
tRun RunStage(tRoadModel& model) {
    tRun run;
    tProgress progress;
    progress.Log = [&](const tMessage& m) { run.Log.push_back(m); };
    progress.Notify = [&](const tMessage& m) { run.Told.push_back(m); };
    progress.SetPosition = [&](int p) { run.Positions.push_back(p); };
    progress.Yield = [&] { ++run.Idles; };
    tProgressCounter counter(progress);
    counter.Position = 7;  // the stage continues from wherever the run is
    CalcCrossRoads(model, counter);
    return run;
}

const tRoadPoint& CrossingPoint(const tCrossRoadRec& road) { return road.Points[road.CrossIndex]; }

// The two ends of line k of a look's side, which the model must hold.
tSightLineEnds Ends(const tRoadModel& model, const tXCrossLookDir& look, int side, size_t k) {
    tSightLineEnds ends;
    EXPECT_TRUE(SightLineEnds(model.CrossRoads, look, side, look.SightLines[side].at(k), ends)) << side << " " << k;
    return ends;
}

// ---------------------------------------------------------------------------
// Where the crossing is found, the approach bounds and which directions open.

struct tCrossingCase {
    const char* Name;
    std::vector<std::pair<double, double>> Polyline;
    double CrossX;  // expected crossing point on the road axis (Y = 0)
    int Lower;      // expected ApproachRange
    int Upper;
    bool FwdOpen;
    bool RevOpen;
};

class CrossingFound : public ::testing::TestWithParam<tCrossingCase> {};

TEST_P(CrossingFound, LiesOnTheRoadWithItsApproachBounds) {
    const tCrossingCase& c = GetParam();
    tRoadModel model = MakeStraightRoad();
    model.CrossRoads.Roads.push_back(MakeCrossRoad(QStringLiteral("Cross"), c.Polyline));
    const tRun run = RunStage(model);
    const tCrossRoadRec& road = model.CrossRoads.Roads[0];

    EXPECT_TRUE(run.Log.empty());
    EXPECT_TRUE(run.Told.empty());
    ASSERT_EQ(road.Skip, 0);
    EXPECT_NEAR(road.CrossKm, kStartKm + c.CrossX, 1e-9);
    EXPECT_NEAR(CrossingPoint(road).X, c.CrossX, 1e-9);
    EXPECT_NEAR(CrossingPoint(road).Y, 0, 1e-9);
    EXPECT_EQ(CrossingPoint(road).Chainage, 0);
    EXPECT_EQ(road.ApproachRange[DirFwd], c.Lower);
    EXPECT_EQ(road.ApproachRange[DirRev], c.Upper);
    EXPECT_EQ(road.DirectionOpen[DirFwd] != 0, c.FwdOpen);
    EXPECT_EQ(road.DirectionOpen[DirRev] != 0, c.RevOpen);

    // The approach reaches out to the first profile at or beyond the one-way
    // stopping distance of the free car speed (or the road's end).
    const double required = SightDistance(false, FreeCarSpeed(4));
    const int n = model.Plan.Count();
    if (c.FwdOpen) {
        const int end = road.ApproachEnd[DirFwd];
        const double g = road.CrossKm - model.Plan.Profiles[end].Position;
        EXPECT_TRUE(g >= required || end == 0);
        EXPECT_LT(road.CrossKm - model.Plan.Profiles[end + 1].Position, required);
    } else {
        EXPECT_EQ(road.ApproachEnd[DirFwd], c.Lower);
        for (const tPlanProfile& p : model.Plan.Profiles) EXPECT_TRUE(p.CrossLook[DirFwd].SightLines[0].empty());
    }
    if (c.RevOpen) {
        const int end = road.ApproachEnd[DirRev];
        const double g = model.Plan.Profiles[end].Position - road.CrossKm;
        EXPECT_TRUE(g >= required || end == n - 1);
        EXPECT_LT(model.Plan.Profiles[end - 1].Position - road.CrossKm, required);
    } else {
        EXPECT_EQ(road.ApproachEnd[DirRev], c.Upper);
        for (const tPlanProfile& p : model.Plan.Profiles) EXPECT_TRUE(p.CrossLook[DirRev].SightLines[0].empty());
    }

    // Chainages grow along the polyline and are plan distances from the crossing.
    for (int i = 1; i < road.Count(); ++i) {
        const tRoadPoint& a = road.Points[i - 1];
        const tRoadPoint& b = road.Points[i];
        EXPECT_NEAR(b.Chainage - a.Chainage, std::hypot(b.X - a.X, b.Y - a.Y), 1e-9) << i;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Crossroads, CrossingFound,
    ::testing::Values(
        // Between profiles 20 (x 200) and 21 (x 210).
        tCrossingCase{"BetweenProfiles", {{205, -200}, {205, 200}}, 205, 19, 22, true, true},
        // Drawn the other way round: same crossing, the polyline gets reversed.
        tCrossingCase{"Reversed", {{205, 200}, {205, -200}}, 205, 19, 22, true, true},
        // Exactly at inner profile 20: counted once, one more profile kept clear before it.
        tCrossingCase{"AtInnerProfile", {{200, -200}, {200, 200}}, 200, 18, 22, true, true},
        // A crossroad vertex on the road's vertex: still a single crossing.
        tCrossingCase{"VertexOnProfile", {{200, -200}, {200, 0}, {200, 200}}, 200, 18, 22, true, true},
        // Oblique, through sections 20 and 21 within their width.
        tCrossingCase{"Oblique", {{150, -100}, {260, 100}}, 205, 19, 22, true, true},
        // At the last profile (x 400): found; no reverse approach.
        tCrossingCase{"AtLastProfile", {{400, -200}, {400, 200}}, 400, 38, 40, true, false},
        // At the first profile (x 0): no forward approach.
        tCrossingCase{"AtFirstProfile", {{0, -200}, {0, 200}}, 0, 0, 2, false, true},
        // Between the first two profiles: the forward bound is profile 0, which is not open.
        tCrossingCase{"NextToFirstProfile", {{15, -200}, {15, 200}}, 15, 0, 3, false, true}),
    [](const ::testing::TestParamInfo<tCrossingCase>& info) { return std::string(info.param.Name); });

TEST(CrossRoadsStage, OrientationRunsTheCrossRoadToTheLeftOfTheRoad) {
    for (const bool reversed : {false, true}) {
        tRoadModel model = MakeStraightRoad();
        std::vector<std::pair<double, double>> xy = {{205, -200}, {205, -50}, {205, 120}};
        if (reversed) std::reverse(xy.begin(), xy.end());
        model.CrossRoads.Roads.push_back(MakeCrossRoad(QStringLiteral("X"), xy));
        RunStage(model);
        const tCrossRoadRec& road = model.CrossRoads.Roads[0];
        ASSERT_EQ(road.Count(), 4) << reversed;  // the crossing was inserted
        EXPECT_EQ(road.CrossIndex, 2) << reversed;
        EXPECT_DOUBLE_EQ(road.Points.front().Y, -200) << reversed;
        EXPECT_DOUBLE_EQ(road.Points.back().Y, 120) << reversed;
        EXPECT_DOUBLE_EQ(road.Points.front().Chainage, -200) << reversed;
        EXPECT_DOUBLE_EQ(road.Points.back().Chainage, 120) << reversed;
        // Every record moved as a whole: the crossing keeps its profile match.
        EXPECT_EQ(CrossingPoint(road).ProfileIndex, 20) << reversed;
        EXPECT_EQ(road.Points.front().ProfileIndex, -1) << reversed;
    }
}

TEST(CrossRoadsStage, InsertsPointsWhereTheCrossRoadCutsSectionLines) {
    tRoadModel model = MakeStraightRoad();
    // Crosses section 20 (x 200) at y -9.09 and section 21 (x 210) at y 9.09,
    // both within the sections' 15 m half width; 190 and 220 are cut outside.
    model.CrossRoads.Roads.push_back(MakeCrossRoad(QStringLiteral("Oblique"), {{150, -100}, {260, 100}}, 90));
    RunStage(model);
    const tCrossRoadRec& road = model.CrossRoads.Roads[0];
    ASSERT_EQ(road.Count(), 5);
    EXPECT_EQ(road.CrossIndex, 2);
    const tRoadPoint& at200 = road.Points[1];
    const tRoadPoint& at210 = road.Points[3];
    EXPECT_NEAR(at200.X, 200, 1e-9);
    EXPECT_NEAR(at200.Y, 50.0 / 110 * 200 - 100, 1e-9);
    EXPECT_EQ(at200.ProfileIndex, 20);
    EXPECT_EQ(at200.OnSection, 1);
    EXPECT_NEAR(at210.X, 210, 1e-9);
    EXPECT_EQ(at210.ProfileIndex, 21);
    EXPECT_EQ(at210.OnSection, 1);
    EXPECT_EQ(CrossingPoint(road).ProfileIndex, 20);
    EXPECT_EQ(CrossingPoint(road).OnSection, 0);
    for (const tRoadPoint& p : road.Points) EXPECT_DOUBLE_EQ(p.H, 90);
}

TEST(CrossRoadsStage, InsertedCrossingTakesTheHeightBetweenItsNeighbours) {
    tRoadModel model = MakeStraightRoad();
    tCrossRoadRec road = MakeCrossRoad(QStringLiteral("Slope"), {{205, -30}, {205, 10}});
    road.Points[0].H = 96;
    road.Points[1].H = 104;
    model.CrossRoads.Roads.push_back(road);
    RunStage(model);
    EXPECT_DOUBLE_EQ(CrossingPoint(model.CrossRoads.Roads[0]).H, 96 + 8 * 30.0 / 40);
}

// ---------------------------------------------------------------------------
// Crossroads that do not cross the road exactly once.

struct tSkipCase {
    const char* Name;
    std::vector<std::pair<double, double>> Polyline;
    const char* Key;
    const char* Count;
};

class CrossRoadSkipped : public ::testing::TestWithParam<tSkipCase> {};

TEST_P(CrossRoadSkipped, IsReportedOnceAndLeftOut) {
    const tSkipCase& c = GetParam();
    tRoadModel model = MakeStraightRoad();
    model.CrossRoads.Roads.push_back(MakeCrossRoad(QStringLiteral("Lost lane"), c.Polyline));
    const std::vector<tRoadPoint> before = model.CrossRoads.Roads[0].Points;
    const tRun run = RunStage(model);
    const tCrossRoadRec& road = model.CrossRoads.Roads[0];

    EXPECT_EQ(road.Skip, 1);
    ASSERT_EQ(run.Log.size(), 1u);
    EXPECT_EQ(run.Log[0].Key, QString::fromLatin1(c.Key));
    EXPECT_EQ(run.Log[0].Placeholder(QStringLiteral("%ObjectName%")), QStringLiteral("Lost lane"));
    EXPECT_EQ(run.Log[0].Placeholder(QStringLiteral("%CrossCount%")), QString::fromLatin1(c.Count));
    EXPECT_TRUE(run.Log[0].MoreKeys.empty());
    ASSERT_EQ(run.Told.size(), 1u);
    EXPECT_EQ(run.Told[0].Key, QString::fromLatin1(c.Key));
    EXPECT_EQ(run.Told[0].Placeholder(QStringLiteral("%CrossCount%")), QString::fromLatin1(c.Count));
    ASSERT_EQ(run.Told[0].MoreKeys.size(), 1u);
    EXPECT_EQ(run.Told[0].MoreKeys[0], QStringLiteral("LoadData.RoadWillBeExcluded"));
    // Nothing else changes: the polyline, the speeds, the look data.
    ASSERT_EQ(road.Count(), static_cast<int>(before.size()));
    for (int i = 0; i < road.Count(); ++i) EXPECT_EQ(road.Points[i].X, before[i].X);
    for (const tPlanProfile& p : model.Plan.Profiles) {
        EXPECT_EQ(p.CrossV[0], FreeCarSpeed(4));
        EXPECT_EQ(p.CrossV[1], FreeCarSpeed(4));
        EXPECT_TRUE(p.CrossLook[0].SightLines[0].empty() && p.CrossLook[1].SightLines[1].empty());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Crossroads, CrossRoadSkipped,
    ::testing::Values(
        // Far beyond 1500 m from every profile.
        tSkipCase{"FarAway", {{5000, 5000}, {5100, 5000}}, "LoadData.NoCommonCrossPoints", "0"},
        // Near but beside the road, never meeting it.
        tSkipCase{"Parallel", {{0, 30}, {400, 30}}, "LoadData.NoCommonCrossPoints", "0"},
        // Stops short of the road.
        tSkipCase{"ShortOfTheRoad", {{205, -200}, {205, -0.5}}, "LoadData.NoCommonCrossPoints", "0"},
        // Beyond the road's end.
        tSkipCase{"BeyondTheEnd", {{410, -200}, {410, 200}}, "LoadData.NoCommonCrossPoints", "0"},
        // A zigzag over the road.
        tSkipCase{"Twice", {{150, -50}, {160, 50}, {170, -50}}, "LoadData.MultiCrossPointsError", "2"},
        tSkipCase{"ThreeTimes", {{150, -50}, {160, 50}, {170, -50}, {180, 50}}, "LoadData.MultiCrossPointsError",
                  "3"}),
    [](const ::testing::TestParamInfo<tSkipCase>& info) { return std::string(info.param.Name); });

TEST(CrossRoadsStage, OddPolylinesAreHandledSafely) {
    tRoadModel model = MakeStraightRoad();
    // Repeated points at and around the crossing vertex: one crossing, and the
    // direction comes from the next distinct point (down the page, so reversed).
    model.CrossRoads.Roads.push_back(
        MakeCrossRoad(QStringLiteral("Repeats"), {{205, 50}, {205, 0}, {205, 0}, {205, 0}, {205, -50}, {205, -50}}));
    // A single point (a table the importer would reject, read elsewhere).
    model.CrossRoads.Roads.push_back(MakeCrossRoad(QStringLiteral("Dot"), {{205, 0}}));
    // Nothing but one repeated point.
    model.CrossRoads.Roads.push_back(MakeCrossRoad(QStringLiteral("Stuck"), {{205, 0}, {205, 0}}));
    const tRun run = RunStage(model);

    const tCrossRoadRec& repeats = model.CrossRoads.Roads[0];
    ASSERT_EQ(repeats.Skip, 0);
    EXPECT_NEAR(repeats.CrossKm, kStartKm + 205, 1e-9);
    EXPECT_DOUBLE_EQ(repeats.Points.front().Y, -50);  // reversed to run to the left
    EXPECT_DOUBLE_EQ(repeats.Points.back().Y, 50);
    EXPECT_EQ(CrossingPoint(repeats).Chainage, 0);
    EXPECT_NEAR(repeats.Points.front().Chainage, -50, 1e-9);
    EXPECT_EQ(model.CrossRoads.Roads[1].Skip, 1);
    EXPECT_EQ(model.CrossRoads.Roads[2].Skip, 1);
    ASSERT_EQ(run.Told.size(), 2u);
    EXPECT_EQ(run.Told[0].Placeholder(QStringLiteral("%ObjectName%")), QStringLiteral("Dot"));
    EXPECT_EQ(run.Told[1].Placeholder(QStringLiteral("%ObjectName%")), QStringLiteral("Stuck"));
}

TEST(CrossRoadsStage, ProfilesWithoutSectionsNeverStopTheStage) {
    tRoadModel model = MakeStraightRoad();
    model.Plan.Profiles[20].Segments.clear();
    model.Plan.Profiles[21].Segments.clear();
    model.CrossRoads.Roads.push_back(MakeCrossRoad(QStringLiteral("Open"), {{205, -200}, {205, 200}}));
    RunStage(model);
    const tCrossRoadRec& road = model.CrossRoads.Roads[0];
    EXPECT_EQ(road.Skip, 0);
    EXPECT_EQ(CrossingPoint(road).ProfileIndex, -1);  // no band around it
    EXPECT_FALSE(model.Plan.Profiles[19].CrossLook[DirFwd].SightLines[0].empty());
}

TEST(CrossRoadsStage, ProgressAdvancesOncePerCrossRoadAndRepaintsBeforeEach) {
    tRoadModel model = MakeStraightRoad();
    model.CrossRoads.Roads.push_back(MakeCrossRoad(QStringLiteral("A"), {{205, -200}, {205, 200}}));
    model.CrossRoads.Roads.push_back(MakeCrossRoad(QStringLiteral("B"), {{5000, 5000}, {5100, 5000}}));
    model.CrossRoads.Roads.push_back(MakeCrossRoad(QStringLiteral("C"), {{305, -200}, {305, 200}}));
    const tRun run = RunStage(model);
    EXPECT_EQ(run.Positions, (std::vector<int>{8, 9, 10}));
    EXPECT_EQ(run.Idles, 3);
    EXPECT_EQ(model.CrossRoads.Roads[0].Skip, 0);
    EXPECT_EQ(model.CrossRoads.Roads[1].Skip, 1);
    EXPECT_EQ(model.CrossRoads.Roads[2].Skip, 0);
}

// ---------------------------------------------------------------------------
// Visibility of the crossing road from the approach profiles.

TEST(CrossRoadsStage, VisibleFromEveryApproachLeavesTheFreeSpeed) {
    tRoadModel model = MakeStraightRoad();
    model.CrossRoads.Roads.push_back(MakeCrossRoad(QStringLiteral("Open"), {{205, -200}, {205, 200}}));
    RunStage(model);
    const tCrossRoadRec& road = model.CrossRoads.Roads[0];
    EXPECT_EQ(road.NotVisible[0], 0);
    EXPECT_EQ(road.NotVisible[1], 0);
    for (int i = 0; i < model.Plan.Count(); ++i) {
        const tPlanProfile& p = model.Plan.Profiles[i];
        for (int d = 0; d < 2; ++d) {
            EXPECT_EQ(p.CrossV[d], FreeCarSpeed(4)) << i;
            EXPECT_EQ(p.CrossLook[d].Hidden, 0) << i;
            for (int side = 0; side < 2; ++side) {
                EXPECT_TRUE(p.CrossLook[d].HiddenPoints[side].Points.empty());
                for (const tSightLine& line : p.CrossLook[d].SightLines[side]) {
                    EXPECT_EQ(line.Cut, -1);  // nothing cut
                    EXPECT_EQ(line.CrossRoad, 0);
                }
                EXPECT_TRUE(p.CrossLook[d].CutTargets.empty());
            }
        }
    }
    // Every approach profile, and only those, looked at both sides.
    for (int i = 0; i < model.Plan.Count(); ++i) {
        const tXCrossLook& look = model.Plan.Profiles[i].CrossLook;
        const bool fwd = i >= road.ApproachEnd[DirFwd] && i <= road.ApproachRange[DirFwd];
        const bool rev = i >= road.ApproachRange[DirRev] && i <= road.ApproachEnd[DirRev];
        for (int side = 0; side < 2; ++side) {
            EXPECT_EQ(!look[DirFwd].SightLines[side].empty(), fwd) << i;
            EXPECT_EQ(!look[DirRev].SightLines[side].empty(), rev) << i;
        }
    }
}

TEST(CrossRoadsStage, SamplesEveryQuarterMetreUntilTheViewAngleIsLeft) {
    tRoadModel model = MakeStraightRoad();
    model.CrossRoads.Roads.push_back(MakeCrossRoad(QStringLiteral("Open"), {{205, -200}, {205, 200}}));
    RunStage(model);
    // Forward observer at profile 9 (x 90, on the axis), crossing 115 m ahead:
    // the samples run out to the first one at 6 degrees or more off the road.
    const tXCrossLookDir& look = model.Plan.Profiles[9].CrossLook[DirFwd];
    const double halfAngle = 6 * std::numbers::pi / 180;
    for (int side = 0; side < 2; ++side) {
        const auto& lines = look.SightLines[side];
        ASSERT_GE(lines.size(), 2u);
        for (size_t i = 0; i < lines.size(); ++i) {
            const tSightPoint observer = Ends(model, look, side, i).Observer;
            EXPECT_NEAR(observer.X, 205, 1e-9);
            EXPECT_NEAR(observer.Y * (side == 0 ? -1 : 1), 0.25 * double(i), 1e-9);
            const double angle = std::atan2(std::fabs(observer.Y), 115.0);
            if (i + 1 < lines.size())
                EXPECT_LT(angle, halfAngle) << side << " " << i;
            else
                EXPECT_GE(angle, halfAngle) << side << " " << i;
        }
    }
}

TEST(CrossRoadsStage, ReverseEyeSideSamplesReachAcrossTheLane) {
    tRoadModel model = MakeStraightRoad();
    model.CrossRoads.Roads.push_back(MakeCrossRoad(QStringLiteral("Open"), {{205, -200}, {205, 200}}));
    RunStage(model);
    // Reverse observer at profile 22 (x 220), eye 2 m left of the axis, 15 m
    // from the crossing: the crossing itself lies outside its view angle, so
    // side 0 runs on until 2 m + 0.25 m from the crossing, side 1 one step.
    const tXCrossLookDir& look = model.Plan.Profiles[22].CrossLook[DirRev];
    ASSERT_FALSE(look.SightLines[0].empty());
    EXPECT_NEAR(std::fabs(Ends(model, look, 0, look.SightLines[0].size() - 1).Observer.Y), 2.5, 1e-9);
    ASSERT_FALSE(look.SightLines[1].empty());
    EXPECT_GE(Ends(model, look, 1, look.SightLines[1].size() - 1).Observer.Y, 0.25);
}

// A wall 10 m high beside the left edge of the road (from 6 m off the axis)
// on the profiles before the crossing. Seen from profile 16 (45 m out) the
// widest sample passes section 20 at 4.22 m off the axis, over the road; from
// profile 15 (55 m out) at 5.45 m, inside the wall's foot, 2.7 m below its
// ground: profile 15 is the first hidden one walking outward.
tRoadModel WalledRoad() {
    test::tRoadShape shape;
    shape.LeftWall = [](int i) { return i <= 20 ? kGround + 10 : kGround; };
    return MakeStraightRoad(shape);
}

TEST(CrossRoadsStage, HiddenByACutLimitsTheApproachAndMarksNotVisible) {
    tRoadModel model = WalledRoad();
    model.CrossRoads.Roads.push_back(MakeCrossRoad(QStringLiteral("Walled"), {{205, -200}, {205, 200}}));
    RunStage(model);
    const tCrossRoadRec& road = model.CrossRoads.Roads[0];
    ASSERT_EQ(road.Skip, 0);
    ASSERT_EQ(road.ApproachRange[DirFwd], 19);
    ASSERT_EQ(road.ApproachEnd[DirFwd], 9);
    EXPECT_EQ(road.NotVisible[DirFwd], 1);
    EXPECT_EQ(road.NotVisible[DirRev], 0);

    // The speed for the distance of the last clear profile, 16.
    const double limited = SpeedForSightDistance(false, road.CrossKm - model.Plan.Profiles[16].Position);
    EXPECT_LT(limited, FreeCarSpeed(4));
    for (int i = 0; i < model.Plan.Count(); ++i) {
        const tPlanProfile& p = model.Plan.Profiles[i];
        const bool approach = i >= 9 && i <= 19;
        EXPECT_EQ(p.CrossV[DirFwd], approach ? limited : FreeCarSpeed(4)) << i;
        EXPECT_EQ(p.CrossV[DirRev], FreeCarSpeed(4)) << i;
        EXPECT_EQ(p.CrossLook[DirFwd].Hidden, (i >= 9 && i <= 15) ? 1 : 0) << i;
        EXPECT_EQ(p.CrossLook[DirRev].Hidden, 0) << i;
    }

    // Profile 15's widest left line is cut at section 20, the nearest obstacle.
    const tXCrossLookDir& look15 = model.Plan.Profiles[15].CrossLook[DirFwd];
    ASSERT_FALSE(look15.SightLines[1].empty());
    const tSightLineEnds widest = Ends(model, look15, 1, look15.SightLines[1].size() - 1);
    EXPECT_NEAR(widest.Target.X, 200, 1e-9);
    EXPECT_NE(widest.Target.Y, widest.Observer.Y);
    // The right side is open from everywhere.
    for (int i = 9; i <= 19; ++i)
        for (const tSightLine& line : model.Plan.Profiles[i].CrossLook[DirFwd].SightLines[0])
            EXPECT_EQ(line.Cut, -1) << i;

    // The cut points sit on the obstacle's section, below its ground, named
    // after their observer.
    int cuts = 0;
    for (int q = 10; q <= 20; ++q) {
        const tXCrossLookDir& look = model.Plan.Profiles[q].CrossLook[DirFwd];
        EXPECT_TRUE(look.HiddenPoints[0].Points.empty());
        for (const tHiddenPoint& h : look.HiddenPoints[1].Points) {
            ++cuts;
            EXPECT_NEAR(h.Point.X, 10.0 * q, 1e-9);
            EXPECT_GT(h.Point.Y, 5);
            EXPECT_LT(h.Point.H, kGround + 10);
            EXPECT_GE(h.ObserverProfile, 9);
            EXPECT_LE(h.ObserverProfile, 15);
            EXPECT_LT(h.ObserverProfile, q);
            EXPECT_EQ(h.CrossRoad, 0);
        }
    }
    EXPECT_GT(cuts, 0);
}

TEST(CrossRoadsStage, NearestApproachHiddenGivesZero) {
    // A wall right at the crossing's edge hides it even from the nearest profile.
    test::tRoadShape shape;
    shape.LeftWall = [](int i) { return i <= 20 ? kGround + 10 : kGround; };
    tRoadModel model = MakeStraightRoad(shape);
    // Raise the whole left half of section 20, up to the central span.
    for (tProfileSegment& s : model.Plan.Profiles[20].Segments) {
        if (s.A.Y > 0.5) s.A.H = kGround + 10;
        if (s.B.Y > 0.5) s.B.H = kGround + 10;
    }
    model.CrossRoads.Roads.push_back(MakeCrossRoad(QStringLiteral("Blind"), {{205, -200}, {205, 200}}));
    RunStage(model);
    const tCrossRoadRec& road = model.CrossRoads.Roads[0];
    EXPECT_EQ(road.NotVisible[DirFwd], 1);
    for (int i = road.ApproachEnd[DirFwd]; i <= road.ApproachRange[DirFwd]; ++i) {
        EXPECT_EQ(model.Plan.Profiles[i].CrossV[DirFwd], 0) << i;
        EXPECT_EQ(model.Plan.Profiles[i].CrossLook[DirFwd].Hidden, 1) << i;
    }
}

TEST(CrossRoadsStage, TwoCrossRoadsKeepTheLowerLimitAndTheirOwnHiddenFlags) {
    // The walled crossroad at 205 and one at 245 that reaches only 1 m to the
    // left of the road, so the wall hides nothing of it. Profiles 13 to 19
    // approach both forward; 13 to 15 are hidden for the first only.
    tRoadModel model = WalledRoad();
    model.CrossRoads.Roads.push_back(MakeCrossRoad(QStringLiteral("Walled"), {{205, -200}, {205, 200}}));
    model.CrossRoads.Roads.push_back(MakeCrossRoad(QStringLiteral("Stub"), {{245, -200}, {245, 1}}));
    RunStage(model);
    const tCrossRoadRec& stub = model.CrossRoads.Roads[1];
    ASSERT_EQ(stub.Skip, 0);
    ASSERT_EQ(stub.ApproachRange[DirFwd], 23);
    ASSERT_EQ(stub.ApproachEnd[DirFwd], 13);
    EXPECT_EQ(stub.NotVisible[DirFwd], 0);
    EXPECT_EQ(model.CrossRoads.Roads[0].NotVisible[DirFwd], 1);

    const double limited = SpeedForSightDistance(false, 45);  // the walled one's, as alone
    for (int i = 0; i < model.Plan.Count(); ++i) {
        const tPlanProfile& p = model.Plan.Profiles[i];
        EXPECT_EQ(p.CrossV[DirFwd], (i >= 9 && i <= 19) ? limited : FreeCarSpeed(4)) << i;
        EXPECT_EQ(p.CrossLook[DirFwd].Hidden, (i >= 9 && i <= 15) ? 1 : 0) << i;
    }
    // Lines and cut points say which crossroad they belong to.
    bool sawStub = false;
    for (const tPlanProfile& p : model.Plan.Profiles) {
        const std::vector<tSightLine>& lines = p.CrossLook[DirFwd].SightLines[0];
        for (size_t k = 0; k < lines.size(); ++k) {
            ASSERT_TRUE(lines[k].CrossRoad == 0 || lines[k].CrossRoad == 1);
            sawStub = sawStub || lines[k].CrossRoad == 1;
            EXPECT_NEAR(Ends(model, p.CrossLook[DirFwd], 0, k).Observer.X, lines[k].CrossRoad == 0 ? 205 : 245, 1e-9);
        }
        for (const tHiddenPoint& h : p.CrossLook[DirFwd].HiddenPoints[1].Points) EXPECT_EQ(h.CrossRoad, 0);
    }
    EXPECT_TRUE(sawStub);
}

TEST(CrossRoadsStage, ALaterCrossRoadNeverRaisesAnEarlierLimit) {
    // Both crossroads lie beyond the wall. The one at 245 is first hidden from
    // profile 15 as well (its widest line passes section 20 at 5.26 m), so it
    // limits its approach 13 to 23 to the speed for 85 m, while profiles 9 to
    // 19 keep the lower limit of the one at 205.
    tRoadModel model = WalledRoad();
    model.CrossRoads.Roads.push_back(MakeCrossRoad(QStringLiteral("Near"), {{205, -200}, {205, 200}}));
    model.CrossRoads.Roads.push_back(MakeCrossRoad(QStringLiteral("Far"), {{245, -200}, {245, 200}}));
    RunStage(model);
    ASSERT_EQ(model.CrossRoads.Roads[1].ApproachEnd[DirFwd], 13);
    EXPECT_EQ(model.CrossRoads.Roads[1].NotVisible[DirFwd], 1);
    const double nearLimit = SpeedForSightDistance(false, 45);
    const double farLimit = SpeedForSightDistance(false, 85);
    ASSERT_LT(nearLimit, farLimit);
    for (int i = 0; i < model.Plan.Count(); ++i) {
        const double expected = (i >= 9 && i <= 19) ? nearLimit : (i >= 20 && i <= 23) ? farLimit : FreeCarSpeed(4);
        EXPECT_EQ(model.Plan.Profiles[i].CrossV[DirFwd], expected) << i;
    }
}

TEST(CrossRoadsStage, FirstVisibleCoversTheProfilesBeyondTheCrossing) {
    tRoadModel model = MakeStraightRoad();
    model.CrossRoads.Roads.push_back(MakeCrossRoad(QStringLiteral("Open"), {{205, -200}, {205, 200}}));
    RunStage(model);
    const tCrossRoadRec& road = model.CrossRoads.Roads[0];
    for (int i = 0; i < model.Plan.Count(); ++i) {
        const tXCrossLook& look = model.Plan.Profiles[i].CrossLook;
        const bool fwd = i >= road.ApproachEnd[DirFwd] && i <= road.ApproachRange[DirFwd];
        const bool rev = i >= road.ApproachRange[DirRev] && i <= road.ApproachEnd[DirRev];
        // Forward: the first section beyond the crossing (21); reverse: the one before it (20).
        EXPECT_EQ(look[DirFwd].FirstVisible, fwd ? 21 : i) << i;
        EXPECT_EQ(look[DirRev].FirstVisible, rev ? 20 : i) << i;
    }
}

TEST(CrossRoadsStage, RunningTwiceGivesTheSameResult) {
    tRoadModel first = WalledRoad();
    first.CrossRoads.Roads.push_back(MakeCrossRoad(QStringLiteral("Walled"), {{205, -200}, {205, 200}}));
    first.CrossRoads.Roads.push_back(MakeCrossRoad(QStringLiteral("Oblique"), {{250, -100}, {360, 100}}));
    tRoadModel second = first;
    RunStage(first);
    RunStage(second);
    for (int r = 0; r < first.CrossRoads.Count(); ++r) {
        const tCrossRoadRec& a = first.CrossRoads.Roads[r];
        const tCrossRoadRec& b = second.CrossRoads.Roads[r];
        ASSERT_EQ(a.Count(), b.Count());
        EXPECT_EQ(a.CrossIndex, b.CrossIndex);
        EXPECT_EQ(a.ApproachEnd[0], b.ApproachEnd[0]);
        EXPECT_EQ(a.ApproachEnd[1], b.ApproachEnd[1]);
        for (int i = 0; i < a.Count(); ++i) EXPECT_EQ(a.Points[i].Chainage, b.Points[i].Chainage);
    }
    for (int i = 0; i < first.Plan.Count(); ++i) {
        const tPlanProfile& a = first.Plan.Profiles[i];
        const tPlanProfile& b = second.Plan.Profiles[i];
        for (int d = 0; d < 2; ++d) {
            EXPECT_EQ(a.CrossV[d], b.CrossV[d]);
            EXPECT_EQ(a.CrossLook[d].FirstVisible, b.CrossLook[d].FirstVisible);
            for (int side = 0; side < 2; ++side) {
                ASSERT_EQ(a.CrossLook[d].SightLines[side].size(), b.CrossLook[d].SightLines[side].size());
                for (size_t k = 0; k < a.CrossLook[d].SightLines[side].size(); ++k)
                    EXPECT_EQ(Ends(first, a.CrossLook[d], side, k).Target.Y,
                              Ends(second, b.CrossLook[d], side, k).Target.Y);
                EXPECT_EQ(a.CrossLook[d].HiddenPoints[side].Count(), b.CrossLook[d].HiddenPoints[side].Count());
            }
        }
    }
}

// The same walled road and crossroads turned by an angle and moved to survey
// coordinates: nothing may depend on the road running along an axis.
struct tPlace {
    double Angle;
    double OffsetX;
    double OffsetY;
};

// "Turn30At512346x6012346": the turn in whole degrees and the shift in whole metres.
std::string PlaceName(const ::testing::TestParamInfo<tPlace>& info) {
    auto number = [](double x) {
        const long long n = std::llround(x);
        return (n < 0 ? std::string("Minus") : std::string()) + std::to_string(n < 0 ? -n : n);
    };
    const tPlace& p = info.param;
    return "Turn" + number(p.Angle * 180 / std::numbers::pi) + "At" + number(p.OffsetX) + "x" + number(p.OffsetY);
}

// Road points and section points alike.
template <class tPoint>
void Move(tPoint& p, const tPlace& place) {
    const double c = std::cos(place.Angle);
    const double s = std::sin(place.Angle);
    const double x = p.X * c - p.Y * s;
    const double y = p.X * s + p.Y * c;
    p.X = x + place.OffsetX;
    p.Y = y + place.OffsetY;
}

void Move(tRoadModel& model, const tPlace& place) {
    for (tPlanProfile& p : model.Plan.Profiles) {
        Move(p.KeyPoint0, place);
        Move(p.KeyPointM1, place);
        for (tProfileSegment& seg : p.Segments) {
            Move(seg.A, place);
            Move(seg.B, place);
        }
    }
    for (tCrossRoadRec& r : model.CrossRoads.Roads)
        for (tRoadPoint& p : r.Points) Move(p, place);
}

class MovedRoad : public ::testing::TestWithParam<tPlace> {};

TEST_P(MovedRoad, GivesTheSameResultsAsTheRoadAlongTheAxis) {
    tRoadModel straight = WalledRoad();
    straight.CrossRoads.Roads.push_back(MakeCrossRoad(QStringLiteral("Walled"), {{205, -200}, {205, 200}}));
    straight.CrossRoads.Roads.push_back(MakeCrossRoad(QStringLiteral("AtProfile"), {{300, -200}, {300, 0}, {300, 200}}));
    straight.CrossRoads.Roads.push_back(MakeCrossRoad(QStringLiteral("Oblique"), {{250, 100}, {360, -100}}));
    straight.CrossRoads.Roads.push_back(MakeCrossRoad(QStringLiteral("Twice"), {{150, -50}, {160, 50}, {170, -50}}));
    tRoadModel moved = straight;
    Move(moved, GetParam());
    RunStage(straight);
    RunStage(moved);

    for (int r = 0; r < straight.CrossRoads.Count(); ++r) {
        const tCrossRoadRec& a = straight.CrossRoads.Roads[r];
        const tCrossRoadRec& b = moved.CrossRoads.Roads[r];
        EXPECT_EQ(a.Skip, b.Skip) << r;
        if (a.Skip) continue;
        EXPECT_NEAR(a.CrossKm, b.CrossKm, 1e-6) << r;
        EXPECT_EQ(a.Count(), b.Count()) << r;
        EXPECT_EQ(a.CrossIndex, b.CrossIndex) << r;
        for (int d = 0; d < 2; ++d) {
            EXPECT_EQ(a.ApproachRange[d], b.ApproachRange[d]) << r;
            EXPECT_EQ(a.ApproachEnd[d], b.ApproachEnd[d]) << r;
            EXPECT_EQ(a.DirectionOpen[d], b.DirectionOpen[d]) << r;
            EXPECT_EQ(a.NotVisible[d], b.NotVisible[d]) << r;
        }
    }
    for (int i = 0; i < straight.Plan.Count(); ++i) {
        for (int d = 0; d < 2; ++d) {
            const tPlanProfile& a = straight.Plan.Profiles[i];
            const tPlanProfile& b = moved.Plan.Profiles[i];
            EXPECT_EQ(a.CrossV[d], b.CrossV[d]) << i;
            EXPECT_EQ(a.CrossLook[d].Hidden, b.CrossLook[d].Hidden) << i;
            EXPECT_EQ(a.CrossLook[d].FirstVisible, b.CrossLook[d].FirstVisible) << i;
            for (int side = 0; side < 2; ++side) {
                EXPECT_EQ(a.CrossLook[d].SightLines[side].size(), b.CrossLook[d].SightLines[side].size()) << i;
                EXPECT_EQ(a.CrossLook[d].HiddenPoints[side].Count(), b.CrossLook[d].HiddenPoints[side].Count()) << i;
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Crossroads, MovedRoad,
                         ::testing::Values(tPlace{0.5235987755982988, 512345.6, 6012345.7},
                                           tPlace{2.0, -3000, 150}, tPlace{-1.2, 0, 0},
                                           tPlace{std::numbers::pi / 2, 10, 20}),
                         PlaceName);

// The fast engine's quick rejection of a band must never reject a point
// the full test puts in the band: random bands (crossed, thin, axis-parallel
// sections), points anywhere around them, on the sections' extensions and
// next to their corners.
TEST(ProfileBandQuickTest, NeverRejectsAPointTheBandHolds) {
    test::tRandom next(0x9E3779B97F4A7C15ull);
    int rejected = 0, held = 0, tried = 0;
    for (int band = 0; band < 400; ++band) {
        tRoadModel model;
        for (int i = 0; i < 2; ++i) {
            tPlanProfile p = test::BareProfile(i, 1000 + 10 * i);
            const double cx = 10 * i + (next() - 0.5) * 8, cy = (next() - 0.5) * 8;
            double angle = next() * std::numbers::pi;
            if (band % 5 == 0) angle = std::numbers::pi / 2 * (band % 2);  // axis-parallel sections
            const double half = band % 7 == 0 ? 0.002 : 2 + next() * 20;
            const double ux = std::cos(angle) * half, uy = std::sin(angle) * half;
            p.KeyPoint0 = test::Pt(cx, cy, 100);
            test::AddSection(p, {{1, test::Pt(cx + ux, cy + uy, 100)}, {117, test::Pt(cx, cy, 100)},
                                 {200, test::Pt(cx - ux, cy - uy, 100)}});
            model.Plan.Profiles.push_back(p);
        }
        const tFastSight fast = MakeFastSight(model.Plan, 1);
        for (int k = 0; k < 300; ++k) {
            double x = (next() - 0.3) * 80, y = (next() - 0.5) * 80;
            const tProfileSegment& s = model.Plan.Profiles[k % 2].Segments.front();
            if (k % 3 == 1) {  // on a section line's extension, a hair off it
                const double t = (next() - 0.5) * 20;
                x = s.A.X + (s.B.X - s.A.X) * t + (next() - 0.5) * 1e-4;
                y = s.A.Y + (s.B.Y - s.A.Y) * t + (next() - 0.5) * 1e-4;
            } else if (k % 3 == 2) {  // next to a corner
                x = s.A.X + (next() - 0.5) * 0.01;
                y = s.A.Y + (next() - 0.5) * 0.01;
            }
            bool onA = false, onB = false;
            const int32_t found = FindProfileBand(model.Plan, 0, x, y, onA, onB);
            const bool quick = SurelyOutsideBand(fast.Profiles[0], fast.Profiles[1], x, y);
            ++tried;
            held += found >= 0;
            rejected += quick;
            if (quick) {
                EXPECT_EQ(found, -1) << band << " " << x << " " << y;
            }
        }
    }
    // Both answers occur, and most points are settled without the full test.
    EXPECT_GT(held, tried / 20);
    EXPECT_GT(rejected, tried / 3);
}

// ---------------------------------------------------------------------------
// The two helpers on their own.

struct tBandCase {
    const char* Name;
    int A;
    double X, Y;
    int Expected;
    bool OnA, OnB;
};

class ProfileBand : public ::testing::TestWithParam<tBandCase> {};

TEST_P(ProfileBand, TellsWhetherThePointLiesBetweenTwoSections) {
    const tBandCase& c = GetParam();
    const tRoadModel model = MakeStraightRoad();
    bool onA = true, onB = true;
    EXPECT_EQ(FindProfileBand(model.Plan, c.A, c.X, c.Y, onA, onB), c.Expected);
    EXPECT_EQ(onA, c.OnA);
    EXPECT_EQ(onB, c.OnB);
}

INSTANTIATE_TEST_SUITE_P(
    Crossroads, ProfileBand,
    ::testing::Values(tBandCase{"Inside", 20, 205, 3, 20, false, false},
                      tBandCase{"InsideRightHalf", 20, 201, -14, 20, false, false},
                      tBandCase{"BeyondTheLeftEdge", 20, 205, 16, -1, false, false},
                      tBandCase{"BeyondTheRightEdge", 20, 205, -16, -1, false, false},
                      tBandCase{"NextBand", 20, 215, 0, -1, false, false},
                      tBandCase{"OnSectionA", 20, 200, 7, 20, true, false},
                      tBandCase{"OnSectionB", 20, 210, -7, 21, false, true},
                      tBandCase{"RayNearACorner", 20, 200.0005, 14.99, 20, false, false},
                      tBandCase{"BeforeTheRoad", -1, 5, 0, -1, false, false},
                      tBandCase{"LastProfileHasNoBand", 40, 405, 0, -1, false, false}),
    [](const ::testing::TestParamInfo<tBandCase>& info) { return std::string(info.param.Name); });

TEST(SampleCrossRoad, InterpolatesWithinThePolylineAndRefusesOutside) {
    tCrossRoadRec road = MakeCrossRoad(QStringLiteral("S"), {{0, 0}, {0, 10}, {10, 10}});
    road.Points[0].H = 0;
    road.Points[1].H = 10;
    road.Points[2].H = 30;
    road.Points[0].Chainage = -10;
    road.Points[1].Chainage = 0;
    road.Points[2].Chainage = 10;
    struct {
        double Chainage;
        bool Ok;
        double X, Y, H;
    } cases[] = {{-10, true, 0, 0, 0},   {-2.5, true, 0, 7.5, 7.5}, {0, true, 0, 10, 10},
                 {2.5, true, 2.5, 10, 15}, {10, true, 10, 10, 30},  {-10.25, false, 0, 0, 0},
                 {10.25, false, 0, 0, 0}};
    for (const auto& c : cases) {
        tRoadPoint p;
        ASSERT_EQ(SampleCrossRoad(road, c.Chainage, p), c.Ok) << c.Chainage;
        if (!c.Ok) continue;
        EXPECT_NEAR(p.X, c.X, 1e-12) << c.Chainage;
        EXPECT_NEAR(p.Y, c.Y, 1e-12) << c.Chainage;
        EXPECT_NEAR(p.H, c.H, 1e-12) << c.Chainage;
    }
}

}  // namespace
}  // namespace kestrova
