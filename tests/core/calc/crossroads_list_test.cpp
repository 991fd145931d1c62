#include "core/calc/crossroads_list.h"

#include "core/calc/crossroads_check.h"
#include "core/calc/sight_check.h"
#include "core/model/road_text.h"
#include "crossroads_road_builder.h"

#include <gtest/gtest.h>

namespace kestrova {
namespace {

struct tEntry {
    const char* Name;
    double CrossKm;
    bool Skip;
    bool NvFwd;
    bool NvRev;
};

tCrossRoads MakeList(const std::vector<tEntry>& entries) {
    tCrossRoads roads;
    for (const tEntry& e : entries) {
        tCrossRoadRec r;
        r.Name = QString::fromUtf8(e.Name);
        r.CrossKm = e.CrossKm;
        r.Skip = e.Skip;
        r.NotVisible[0] = e.NvFwd;
        r.NotVisible[1] = e.NvRev;
        roads.Roads.push_back(r);
    }
    return roads;
}

QString Lookup(const QString& section, const QString& key) { return section + QLatin1Char('/') + key; }

struct tOrderCase {
    const char* Name;
    std::vector<tEntry> Entries;
    std::vector<int32_t> Expected;
};

class CrossRoadsOrder : public ::testing::TestWithParam<tOrderCase> {};

TEST_P(CrossRoadsOrder, FollowsTheKilometrePositionWithSkippedOnesLast) {
    const tOrderCase& c = GetParam();
    EXPECT_EQ(CrossRoadsListOrder(MakeList(c.Entries)), c.Expected);
}

INSTANTIATE_TEST_SUITE_P(
    CrossRoads, CrossRoadsOrder,
    ::testing::Values(
        tOrderCase{"Empty", {}, {}},
        tOrderCase{"One", {{"A", 5, false, false, false}}, {0}},
        tOrderCase{"Sorted", {{"A", 1, false, false, false}, {"B", 2, false, false, false}}, {0, 1}},
        tOrderCase{"Reversed",
                   {{"A", 300, false, false, false}, {"B", 200, false, false, false}, {"C", 100, false, false, false}},
                   {2, 1, 0}},
        tOrderCase{"SkippedLast",
                   {{"S", 0, true, false, false}, {"A", 1500, false, false, false}, {"B", 900, false, false, false}},
                   {2, 1, 0}},
        // A skipped crossroad sorts as 1,000,000 m; a road longer than that
        // still lists it after every crossed one.
        tOrderCase{"SkippedAfterFarCrossings",
                   {{"S", 0, true, false, false}, {"Far", 1200000, false, false, false}}, {1, 0}},
        // Equal keys end where the pairwise exchange leaves them: keys 5, 3, 5, 3
        // go to 3 (1), 3 (3), 5 (2), 5 (0).
        tOrderCase{"EqualKeys",
                   {{"A", 5, false, false, false},
                    {"B", 3, false, false, false},
                    {"C", 5, false, false, false},
                    {"D", 3, false, false, false}},
                   {1, 3, 2, 0}},
        // Skipped ones among themselves also end where the exchange leaves them.
        tOrderCase{"SeveralSkipped",
                   {{"S1", 0, true, false, false}, {"S2", 0, true, false, false}, {"A", 10, false, false, false}},
                   {2, 1, 0}}),
    [](const ::testing::TestParamInfo<tOrderCase>& info) { return std::string(info.param.Name); });

TEST(CrossRoadsList, CellTextsOfEveryKind) {
    const tCrossRoads roads = MakeList({{"Skipped lane", 0, true, true, false},
                                        {"Hidden rev", 12345.678, false, false, true},
                                        {"Clear", 500, false, false, false},
                                        {"Hidden fwd", 999.999, false, true, false}});
    const tCrossRoadsListTable table = BuildCrossRoadsList(roads, Lookup);
    ASSERT_EQ(table.Rows.size(), 5u);
    EXPECT_EQ(table.Order, (std::vector<int32_t>{2, 3, 1, 0}));

    EXPECT_EQ(table.Rows[0][0], QStringLiteral("MainForm.Grids/gCRoadsList.KmPlus"));
    EXPECT_EQ(table.Rows[0][1], QStringLiteral("MainForm.Grids/gCRoadsList.cRoadName"));
    EXPECT_TRUE(table.Rows[0][2].isEmpty());
    EXPECT_TRUE(table.Rows[0][3].isEmpty());

    const std::array<QString, 4> expected[] = {
        {FormatKmPlus(true, 500), QStringLiteral(" Clear"), QString(), QStringLiteral("2")},
        {FormatKmPlus(true, 999.999), QStringLiteral(" Hidden fwd"), QStringLiteral("NV"), QStringLiteral("3")},
        {FormatKmPlus(true, 12345.678), QStringLiteral(" Hidden rev"), QStringLiteral("NV"), QStringLiteral("1")},
        // Skipped: no km+, "SKIP" wins over a not-visible flag.
        {QString(), QStringLiteral(" Skipped lane"), QStringLiteral("SKIP"), QStringLiteral("0")},
    };
    for (int i = 0; i < 4; ++i)
        for (int col = 0; col < 4; ++col) EXPECT_EQ(table.Rows[i + 1][col], expected[i][col]) << i << " " << col;
    EXPECT_EQ(table.Rows[3][0], QStringLiteral("12+345,68"));
}

TEST(CrossRoadsList, WithoutALookupTheHeaderStaysEmpty) {
    const tCrossRoadsListTable table = BuildCrossRoadsList(MakeList({{"A", 1, false, false, false}}), {});
    ASSERT_EQ(table.Rows.size(), 2u);
    EXPECT_TRUE(table.Rows[0][0].isEmpty());
    EXPECT_EQ(table.Rows[1][1], QStringLiteral(" A"));
}

TEST(CrossRoadsList, CountsOneProgressStepPerEntryWhenAskedTo) {
    const tCrossRoads roads = MakeList({{"A", 1, false, false, false}, {"B", 0, true, false, false}});
    std::vector<int> positions;
    tProgress progress;
    progress.SetPosition = [&](int p) { positions.push_back(p); };
    tProgressCounter counter(progress);
    counter.Position = 40;
    const tCrossRoadsListTable table = BuildCrossRoadsList(roads, Lookup, counter);
    EXPECT_EQ(positions, (std::vector<int>{41, 42}));
    EXPECT_EQ(table.Rows.size(), 3u);
}

TEST(CrossRoadsList, AfterTheStageOnAHandBuiltRoad) {
    tRoadModel model = test::MakeStraightRoad();
    model.CrossRoads.Roads.push_back(test::MakeCrossRoad(QStringLiteral("Late"), {{305, -200}, {305, 200}}));
    model.CrossRoads.Roads.push_back(test::MakeCrossRoad(QStringLiteral("Nowhere"), {{5000, 5000}, {5100, 5000}}));
    model.CrossRoads.Roads.push_back(test::MakeCrossRoad(QStringLiteral("Early"), {{105, -200}, {105, 200}}));
    tProgress progress;
    tProgressCounter counter(progress);
    CalcCrossRoads(model, counter);
    const tCrossRoadsListTable table = BuildCrossRoadsList(model.CrossRoads, Lookup);
    ASSERT_EQ(table.Rows.size(), 4u);
    EXPECT_EQ(table.Rows[1][0], QStringLiteral("1+105,00"));
    EXPECT_EQ(table.Rows[1][3], QStringLiteral("2"));
    EXPECT_EQ(table.Rows[2][0], QStringLiteral("1+305,00"));
    EXPECT_EQ(table.Rows[2][3], QStringLiteral("0"));
    EXPECT_TRUE(table.Rows[3][0].isEmpty());
    EXPECT_EQ(table.Rows[3][2], QStringLiteral("SKIP"));
    EXPECT_EQ(table.Rows[3][3], QStringLiteral("1"));
}

}  // namespace
}  // namespace kestrova
