// The crossroads stage under the fast engine's sight acceleration must leave
// exactly what the plain stage leaves: every profile and crossroad field bit
// for bit, the same log lines, messages and progress, with any thread count.
#include "core/calc/crossroads_check.h"

#include "core/calc/factor_speeds.h"
#include "core/calc/sight_check.h"
#include "core/calc/sight_fast.h"
#include "model_compare.h"
#include "core/generate/road_generator.h"
#include "crossroads_road_builder.h"

#include <gtest/gtest.h>

#include <functional>

namespace kestrova {
namespace {

using test::kGround;
using test::MakeCrossRoad;
using test::MakeStraightRoad;

struct tReport {
    QStringList Texts;  // log lines and messages with their placeholders, in order
    std::vector<int> Positions;
    int Idles = 0;
};

QString Describe(const char* kind, const tMessage& m) {
    QString s = QString::fromLatin1(kind) + m.Key;
    for (const auto& [name, value] : m.Placeholders) s += QLatin1Char(' ') + name + QLatin1Char('=') + value;
    for (const QString& more : m.MoreKeys) s += QLatin1Char('/') + more;
    return s;
}

tReport RunStage(tRoadModel& model, int threads) {
    tReport report;
    tProgress progress;
    progress.Log = [&](const tMessage& m) { report.Texts << Describe("log ", m); };
    progress.Notify = [&](const tMessage& m) { report.Texts << Describe("box ", m); };
    progress.SetPosition = [&](int p) { report.Positions.push_back(p); };
    progress.Yield = [&] { ++report.Idles; };
    tProgressCounter counter(progress);
    if (threads == 0) {
        CalcCrossRoads(model, counter);
    } else {
        tFastSight fast = MakeFastSight(model.Plan, threads);
        FastCalcCrossRoads(model, fast, counter);
    }
    return report;
}

// Raises the sections under the objects and sets CrossV as the calculation
// run does before the stage.
tRoadModel Prepared(tRoadModel model) {
    tProgress quiet;
    tProgressCounter counter(quiet);
    PrepareGreens(model.Plan, model.Greens, counter);
    for (tPlanProfile& p : model.Plan.Profiles) p.CrossV[0] = p.CrossV[1] = FreeCarSpeed(p.RoadCathegory);
    return model;
}

tRoadModel WalledWithCrossRoads() {
    test::tRoadShape shape;
    shape.Count = 61;
    shape.LeftWall = [](int i) { return i <= 20 || (i >= 36 && i <= 44) ? kGround + 10 : kGround; };
    tRoadModel model = MakeStraightRoad(shape);
    auto& roads = model.CrossRoads.Roads;
    roads.push_back(MakeCrossRoad(QStringLiteral("Walled"), {{205, -200}, {205, 200}}));
    roads.push_back(MakeCrossRoad(QStringLiteral("Far away"), {{5000, 5000}, {5100, 5100}}));
    roads.push_back(MakeCrossRoad(QStringLiteral("Oblique"), {{250, -100}, {360, 100}}));
    roads.push_back(MakeCrossRoad(QStringLiteral("Twice"), {{100, -50}, {110, 50}, {120, -50}}));
    roads.push_back(MakeCrossRoad(QStringLiteral("Second walled"), {{420, 150}, {400, -150}}));
    roads.push_back(MakeCrossRoad(QStringLiteral("At the start"), {{0, -50}, {0, 50}}));
    roads.push_back(MakeCrossRoad(QStringLiteral("Walled again"), {{206, -80}, {204, 80}}));
    return model;
}

tRoadModel Generated(uint32_t seed, double km, double spacing) {
    tGenerateOptions options{.LengthKm = km, .SpacingM = spacing, .Seed = seed};
    return BuildRoadModel(GenerateRoad(options));
}

struct tFastCase {
    const char* Name;
    std::function<tRoadModel()> Make;
    bool Hides;  // some crossing road is hidden from some approach profile
};

class FastCrossRoads : public ::testing::TestWithParam<tFastCase> {};

TEST_P(FastCrossRoads, LeaveWhatThePlainStageLeaves) {
    const tRoadModel source = Prepared(GetParam().Make());
    ASSERT_GT(source.CrossRoads.Count(), 0);
    tRoadModel plain = source;
    const tReport expected = RunStage(plain, 0);
    int lines = 0, hidden = 0;
    for (const tPlanProfile& p : plain.Plan.Profiles)
        for (const tXCrossLookDir& look : p.CrossLook) {
            lines += static_cast<int>(look.SightLines[0].size() + look.SightLines[1].size());
            hidden += look.HiddenPoints[0].Count() + look.HiddenPoints[1].Count();
        }
    EXPECT_GT(lines, 0);
    EXPECT_EQ(hidden > 0, GetParam().Hides);
    for (int threads : {1, 2, 3}) {
        SCOPED_TRACE(threads);
        tRoadModel fast = source;
        const tReport got = RunStage(fast, threads);
        test::tModelDiff diff;
        diff.Model(plain, fast);
        EXPECT_EQ(diff.Count, 0) << diff.Out.str();
        EXPECT_EQ(got.Texts, expected.Texts);
        EXPECT_EQ(got.Positions, expected.Positions);
        EXPECT_EQ(got.Idles, expected.Idles);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Roads, FastCrossRoads,
    ::testing::Values(tFastCase{"Walled", WalledWithCrossRoads, true},
                      tFastCase{"Generated3km", [] { return Generated(21, 3, 5); }, true},
                      tFastCase{"Generated4kmWide", [] { return Generated(22, 4, 7.5); }, true},
                      tFastCase{"Generated2kmDense", [] { return Generated(23, 2, 2.5); }, false}),
    [](const ::testing::TestParamInfo<tFastCase>& info) { return std::string(info.param.Name); });

}  // namespace
}  // namespace kestrova
