#include "core/calc/calc_run.h"
#include "core/calc/factor_speeds.h"
#include "model_compare.h"
#include "sight_road_builder.h"
#include "core/generate/road_generator.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

using namespace kestrova;
using namespace kestrova::test;

namespace {

// A random road of n profiles: curves, crests and dips, categories changing
// by stretch, some profiles with a wide central span, vegetation and
// buildings (a few standing on key points outside the chain), and crossroads
// (one far off the road).
tRoadModel SyntheticRoad(uint32_t seed, int n, int crossroads, bool greens) {
    std::mt19937 rng(seed);
    auto uni = [&](double a, double b) { return std::uniform_real_distribution<double>(a, b)(rng); };
    auto pick = [&](int a, int b) { return std::uniform_int_distribution<int>(a, b)(rng); };
    tRoadModel model;
    double x = 1000, y = 2000, heading = uni(0, 6.28), curvature = 0, s = 0, h = 100, grade = 0;
    int cat = pick(0, 4);
    for (int i = 0; i < n; ++i) {
        if (i % 25 == 0) {
            const double radii[] = {0, 0, 150, -150, 400, -400, 60, -60};
            const double r = radii[pick(0, 7)];
            curvature = r == 0 ? 0 : 1 / r;
            grade = uni(-0.08, 0.08);
            if (pick(0, 3) == 0) cat = pick(0, 4);
        }
        const double step = uni(4, 12);
        if (i > 0) {
            heading += curvature * step;
            x += std::cos(heading) * step;
            y += std::sin(heading) * step;
            s += step;
            h += grade * step + (pick(0, 9) == 0 ? uni(-2, 4) : 0);
        }
        const double side = uni(-0.1, 0.1);
        const double base = h;
        tPlanProfile p = MakeProfile(i, s, x, y, std::cos(heading), std::sin(heading),
                                     [&](double off) { return base + side * off + (std::fabs(off) > 10 ? 1.5 : 0); },
                                     static_cast<uint8_t>(cat));
        if (pick(0, 3) == 0) {  // a central span 2 m wide: this profile never hides
            p.Segments[4].B.X += std::cos(heading + 1.5708) * 2;
            p.Segments[4].B.Y += std::sin(heading + 1.5708) * 2;
            p.Segments[5].A = p.Segments[4].B;
        }
        p.TrafficIntensity = pick(0, 30000);
        p.Cars = uni(0.4, 0.9);
        p.Buses = (1 - p.Cars) / 3;
        p.Trucks = (1 - p.Cars) / 3;
        p.VehicleTrains = 1 - p.Cars - p.Buses - p.Trucks;
        p.CurveRadius = curvature == 0 ? 0 : std::fabs(1 / curvature);
        p.LongitudinalTilt = grade;
        p.SlicknessValue = uni(50, 200);
        p.Clearance = pick(0, 9) == 0 ? uni(4, 12) : 0;
        p.IsLocality = pick(0, 5) == 0;
        p.IsSocialActivity = pick(0, 8) == 0;
        model.Plan.Profiles.push_back(p);
    }
    if (greens) {
        const int objects = std::max(1, n / 12);
        const std::vector<std::vector<int>> keySets = {
            {130, 135, 139}, {100, 109}, {135, 139}, {109, 112, 116}, {127, 130}, {100, 109, 112}};
        for (int o = 0; o < objects; ++o) {
            const int first = pick(0, n - 1);
            const int last = std::min(n - 1, first + pick(0, 6));
            tGreenRec obj = MakeObject(model.Plan, first, last, keySets[pick(0, 5)], uni(2, 20), pick(0, 1) == 1);
            if (pick(0, 9) == 0) obj.Points.back().PointSegNo = 40;
            model.Greens.Objects.push_back(obj);
        }
    }
    for (int c = 0; c < crossroads; ++c) {
        tCrossRoadRec road;
        road.Name = QStringLiteral("Cross %1").arg(c);
        if (c == crossroads - 1 && crossroads > 1) {
            for (int k = 0; k < 4; ++k) {
                tRoadPoint pt;
                pt.X = -90000 + k * 10;
                pt.Y = -90000;
                pt.ProfileIndex = -1;
                road.Points.push_back(pt);
            }
        } else {
            const auto& p = model.Plan.Profiles[pick(n / 5, 4 * n / 5)];
            const double dx = p.Segments.back().B.X - p.Segments.front().A.X;
            const double dy = p.Segments.back().B.Y - p.Segments.front().A.Y;
            const double len = std::hypot(dx, dy);
            const double turn = uni(-0.4, 0.4);
            const double ux = std::cos(std::atan2(dy, dx) + turn), uy = std::sin(std::atan2(dy, dx) + turn);
            (void)len;
            for (int k = -6; k <= 6; ++k) {
                tRoadPoint pt;
                pt.X = p.KeyPoint0.X + 3.3 + ux * 10 * k;
                pt.Y = p.KeyPoint0.Y + 1.7 + uy * 10 * k;
                pt.H = p.KeyPoint0.H + uni(-1, 3);
                pt.ProfileIndex = -1;
                road.Points.push_back(pt);
            }
        }
        model.CrossRoads.Roads.push_back(road);
    }
    return model;
}

struct tRecorder {
    std::vector<QString> Lines;
    std::vector<QString> Notices;
    std::vector<int> Positions;
    int Maximum = -1;
    int Yields = 0;
    tProgress Progress() {
        tProgress p;
        p.SetMaximum = [this](int m) { Maximum = m; };
        p.SetPosition = [this](int v) { Positions.push_back(v); };
        p.Log = [this](const tMessage& m) { Lines.push_back(m.Key); };
        p.Notify = [this](const tMessage& m) { Notices.push_back(m.Key); };
        p.Yield = [this] { ++Yields; };
        return p;
    }
};

std::vector<QString> ExpectedLog(bool greens, bool crossroads, const std::vector<QString>& crossLines) {
    std::vector<QString> keys;
    keys.push_back(greens ? "CalcLog.ParseVegetablesBuildings" : "CalcLog.NoVegetablesBuildings");
    for (const char* k : {"CalcLog.CalcFreeVelocity", "CalcLog.CalcHCurves", "CalcLog.CalcLongiTilt",
                          "CalcLog.CalcSlickness", "CalcLog.CalcBridgeClearance", "CalcLog.CalcTrafficIntensity",
                          "CalcLog.CalcLocalitySocActivity", "CalcLog.CalcForwardInviisiblePoints",
                          "CalcLog.CalcBackwardInvisiblePoints"})
        keys.push_back(k);
    if (crossroads) {
        keys.push_back("CalcLog.CalcCrossRoadsVisibility");
        keys.insert(keys.end(), crossLines.begin(), crossLines.end());
    } else {
        keys.push_back("CalcLog.NoCrossRoadsList");
    }
    for (const char* k : {"CalcLog.FillSourceDataGrid", "CalcLog.FillCalcSpeedsGrid",
                          "CalcLog.CalculateNonComplianceRate", "CalcLog.CalculatePivotData"})
        keys.push_back(k);
    keys.push_back(QString(45, QLatin1Char('_')));
    keys.push_back("CalcLog.AllCalculationsComplete");
    return keys;
}

}  // namespace

TEST(CalcRun, LogOrderAndProgressForEveryCombination) {
    const struct {
        bool greens;
        int crossroads;
    } cases[] = {{false, 0}, {true, 0}, {false, 2}, {true, 3}};
    for (auto engine : {tCalcEngine::Reference, tCalcEngine::Fast}) {
        for (const auto& c : cases) {
            SCOPED_TRACE(std::to_string(c.greens) + " " + std::to_string(c.crossroads));
            tRoadModel model = SyntheticRoad(7, 120, c.crossroads, c.greens);
            const int n = model.Plan.Count(), g = model.Greens.Count(), cr = model.CrossRoads.Count();
            tRecorder rec;
            RunCalculation(model, rec.Progress(), engine);
            // The far crossroad (last of two or more) has no crossing: its
            // message lands in the log and in a message box.
            std::vector<QString> crossLines;
            if (cr > 1) crossLines.push_back("LoadData.NoCommonCrossPoints");
            EXPECT_EQ(rec.Lines, ExpectedLog(c.greens, cr > 0, crossLines));
            EXPECT_EQ(rec.Notices, crossLines);
            EXPECT_EQ(rec.Maximum, g + 2 * cr + 15 * n);
            EXPECT_EQ(CalcProgressMaximum(model), rec.Maximum);
            ASSERT_GE(rec.Positions.size(), 3u);
            // Every per-profile loop steps once per profile; the two scans skip
            // one end each, so the last step lands two short of the maximum.
            EXPECT_EQ(rec.Positions[rec.Positions.size() - 2], rec.Maximum - 2);
            EXPECT_EQ(rec.Positions.back(), rec.Maximum);
            for (size_t i = 1; i < rec.Positions.size(); ++i) ASSERT_GE(rec.Positions[i], rec.Positions[i - 1]);
            EXPECT_GT(rec.Yields, 0);
        }
    }
}

TEST(CalcRun, CrossVIsTheFreeCarSpeedWithoutCrossroadsAndResultsAreComplete) {
    tRoadModel model = SyntheticRoad(3, 80, 0, true);
    tRecorder rec;
    int sourceRows = 0, speedRows = 0, rateCells = 0, listRows = 0, pivots = 0, causes = 0;
    tCalcHooks hooks;
    hooks.SourceRow = [&](int i) { EXPECT_EQ(i, sourceRows++); };
    hooks.SpeedsRow = [&](int i) {
        EXPECT_EQ(i, speedRows++);
        EXPECT_GT(model.Plan.Profiles[i].MinV[0] + 1, 0);  // MinV is ready for the row
    };
    hooks.RateCells = [&](int) { ++rateCells; };
    hooks.ProfilesListRow = [&](int) { ++listRows; };
    hooks.PivotGrid = [&] { ++pivots; };
    hooks.CauseTexts = [&] { ++causes; };
    hooks.CrossRoadsList = [&] { ADD_FAILURE() << "no crossroads list without crossroads"; };
    RunCalculation(model, rec.Progress(), tCalcEngine::Fast, hooks);
    const int n = model.Plan.Count();
    EXPECT_EQ(sourceRows, n);
    EXPECT_EQ(speedRows, n);
    EXPECT_EQ(rateCells, n);
    EXPECT_EQ(listRows, n);
    EXPECT_EQ(pivots, 1);
    EXPECT_EQ(causes, 1);
    for (const auto& p : model.Plan.Profiles) {
        EXPECT_DOUBLE_EQ(p.CrossV[0], FreeCarSpeed(p.RoadCathegory));
        EXPECT_DOUBLE_EQ(p.CrossV[1], FreeCarSpeed(p.RoadCathegory));
        EXPECT_LE(p.MinV[0], p.LookV[0]);
        EXPECT_LE(p.MinV[1], p.LookV[1]);
    }
    EXPECT_FALSE(HasRate(model.Plan.Profiles.front().Koef[DirFwd]));
    EXPECT_FALSE(HasRate(model.Plan.Profiles.back().Koef[DirRev]));
    EXPECT_GE(model.Pivot.Count(), 1);
    EXPECT_EQ(model.Plan.ViewDepth, 385);
}

TEST(CalcRun, SightLimitsShowAsCauseNine) {
    // A crest in a straight road: the profiles before it are limited by sight.
    tRoadModel model;
    model.Plan = StraightRoad(40, 10, [](int i) { return i == 20 ? 6.0 : 0.0; }, 0);
    tRecorder rec;
    RunCalculation(model, rec.Progress(), tCalcEngine::Reference);
    const auto& p = model.Plan.Profiles[19];
    EXPECT_DOUBLE_EQ(p.LookV[DirFwd], 1);
    EXPECT_DOUBLE_EQ(p.MinV[DirFwd], 1);
    EXPECT_EQ(p.Cause[DirFwd], 9);
    EXPECT_EQ(model.Plan.Profiles[21].Cause[DirRev], 9);
    EXPECT_DOUBLE_EQ(model.Plan.Profiles[30].LookV[DirFwd], FreeCarSpeed(0));
    EXPECT_NE(model.Plan.Profiles[30].Cause[DirFwd], 9);
}

namespace {

// Runs both engines and compares; returns how many observers found hidden points.
int ExpectEnginesAgree(const tRoadModel& source, int threads) {
    tRoadModel reference = source;
    tRoadModel fast = source;
    tRecorder r1, r2;
    RunCalculation(reference, r1.Progress(), tCalcEngine::Reference);
    RunCalculation(fast, r2.Progress(), tCalcEngine::Fast, {}, threads);
    tModelDiff diff;
    diff.Model(reference, fast);
    EXPECT_EQ(diff.Count, 0) << diff.Out.str();
    EXPECT_EQ(r1.Lines, r2.Lines);
    EXPECT_EQ(r1.Positions, r2.Positions);
    int hidden = 0;
    for (const auto& p : reference.Plan.Profiles) hidden += p.FwdHidden + p.RevHidden;
    return hidden;
}

}  // namespace

TEST(CalcEngines, FastEqualsReferenceOnSyntheticRoads) {
    for (uint32_t seed : {1u, 2u, 3u, 4u, 5u, 6u}) {
        SCOPED_TRACE(seed);
        EXPECT_GT(ExpectEnginesAgree(SyntheticRoad(seed, 150 + 40 * seed, seed % 3, seed % 2 == 0), seed % 2 ? 1 : 3), 0);
    }
}

TEST(CalcEngines, FastEqualsReferenceOnHandBuiltRoads) {
    tRoadModel crest;
    crest.Plan = StraightRoad(60, 5, [](int i) { return i == 20 || i == 41 ? 4.0 : (i == 42 ? 6.0 : 0.0); }, 2);
    EXPECT_GT(ExpectEnginesAgree(crest, 2), 0);
    tRoadModel curve;
    curve.Plan = ArcRoad(50, 10, 300);
    curve.Greens.Objects.push_back(MakeObject(curve.Plan, 1, 48, {130, 135, 139}, 10, false));
    EXPECT_GT(ExpectEnginesAgree(curve, 4), 0);
}

TEST(CalcEngines, FastEqualsReferenceOnGeneratedRoads) {
    int hidden = 0;
    for (uint32_t seed : {11u, 12u, 13u}) {
        SCOPED_TRACE(seed);
        tGenerateOptions options{.LengthKm = 2.0 + seed % 3, .SpacingM = 5 + 2.5 * (seed % 2), .Seed = seed};
        const tRoadModel model = BuildRoadModel(GenerateRoad(options));
        ASSERT_GT(model.Plan.Count(), 100);
        hidden += ExpectEnginesAgree(model, 2);
    }
    EXPECT_GT(hidden, 0);
}
