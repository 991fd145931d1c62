// Cell texts of the result grids.
#include "core/calc/factor_speeds.h"
#include "core/calc/grid_texts.h"
#include "core/calc/pivot.h"

#include <gtest/gtest.h>

namespace kestrova {
namespace {

// A lookup that shows which section and key were asked for.
QString Echo(const QString& section, const QString& key) { return section + QLatin1Char('/') + key; }

struct Grids : ::testing::Test {
    TMPlan plan;
    tPivotData pivot;
    tGridLanguage language;
    tGridSource source;

    void SetUp() override {
        const double minima[] = {90, 60, 60};
        for (int i = 0; i < 3; ++i) {
            tPlanProfile p;
            p.RecordNumber = 7 + i;
            p.Position = 12345.678 + 100 * i;
            p.RoadCathegory = 3;
            p.MinV[DirFwd] = p.MinV[DirRev] = minima[i];
            plan.Profiles.push_back(p);
        }
        plan.Profiles[1].Cause[DirFwd] = CauseCurve;
        plan.Profiles[1].Cause[DirRev] = CauseInvisiblePoints;
        CalcNonComplianceRates(plan);
        BuildPivot(plan, pivot);
        FillHeaderTexts(language, Echo);
        FillCauseTexts(language, Echo);
        source = {&plan, &pivot, &language, QStringLiteral(".")};
    }
    QString Cell(tGridId g, int r, int c) const { return CellText(g, source, r, c); }
};

TEST_F(Grids, SourceDataRoundingEmptiesAndMarks) {
    tPlanProfile& p = plan.Profiles[0];
    p.TrafficIntensity = 4200;
    p.Cars = 0.6256;
    p.Trucks = 0.25;
    p.Buses = 0.1;
    p.VehicleTrains = 0.0245;  // the half goes to the even 24 thousandths
    p.CurveRadius = 0.00002;   // above 1e-5 but rounds to 0
    p.LongitudinalTilt = -0.0125;
    p.SlicknessValue = 130.005;
    p.Clearance = 0.00001;     // not above 1e-5: empty
    p.IsLocality = 1;
    const char* expected[] = {"7", "12+345,68", "Ib", "4200", "0.626", "0.25", "0.1",
                              "0.024", "0", "-0.012", "130", "", "+", ""};
    for (int c = 0; c < 14; ++c) EXPECT_EQ(Cell(tGridId::SourceData, 1, c), QLatin1String(expected[c])) << c;
    source.DecimalSeparator = QStringLiteral(",");
    EXPECT_EQ(Cell(tGridId::SourceData, 1, 4), QStringLiteral("0,626"));
}

TEST_F(Grids, HeadersCausesAndVerdictsFromTheGridsSection) {
    EXPECT_EQ(Cell(tGridId::DraftV, 0, 18), QStringLiteral("MainForm.Grids/gDraftV.cgvKoefF"));
    EXPECT_EQ(Cell(tGridId::SourceData, 0, 5), QStringLiteral("MainForm.Grids/gSourceData.csdTrucks"));
    EXPECT_EQ(Cell(tGridId::ProfilesList, 0, 1), QStringLiteral("MainForm.Grids/gProfilesList.KmPlus"));
    EXPECT_TRUE(Cell(tGridId::ProfilesList, 0, 2).isEmpty());
    EXPECT_EQ(Cell(tGridId::DraftV, 2, 17), QStringLiteral("MainForm.Grids/SpeedLimitCause.Value.CurveRadius"));
    EXPECT_EQ(Cell(tGridId::DraftV, 2, 20), QStringLiteral("MainForm.Grids/SpeedLimitCause.Value.InvisiblePoints"));
    EXPECT_TRUE(Cell(tGridId::DraftV, 1, 17).isEmpty());  // cause 0
    EXPECT_EQ(Cell(tGridId::PivotData, 2, 8), QStringLiteral("MainForm.Grids/gPivotData.Value.NotSafe"));
    EXPECT_EQ(Cell(tGridId::PivotData, 1, 13), QStringLiteral("MainForm.Grids/gPivotData.Value.Safe"));
    // A language change rewrites the texts, not the numbers.
    FillCauseTexts(language, [](const QString&, const QString& key) { return QStringLiteral("uk:") + key; });
    EXPECT_EQ(Cell(tGridId::DraftV, 2, 17), QStringLiteral("uk:SpeedLimitCause.Value.CurveRadius"));
    EXPECT_EQ(Cell(tGridId::PivotData, 2, 8), QStringLiteral("uk:gPivotData.Value.NotSafe"));
    EXPECT_EQ(Cell(tGridId::DraftV, 2, 16), QStringLiteral("60"));
}

TEST_F(Grids, RatesAndPivotEmptiesAtTheEnds) {
    EXPECT_EQ(Cell(tGridId::DraftV, 2, 18), QStringLiteral("45"));  // (90 - 60) * 1.5
    EXPECT_TRUE(Cell(tGridId::DraftV, 1, 18).isEmpty());  // first profile: no forward rate
    EXPECT_TRUE(Cell(tGridId::DraftV, 3, 21).isEmpty());  // last profile: no reverse rate
    plan.Profiles[0].Koef[DirRev] = -12.5;
    source.DecimalSeparator = QStringLiteral(",");
    EXPECT_EQ(Cell(tGridId::DraftV, 1, 21), QStringLiteral("-12,5"));
    source.DecimalSeparator = QStringLiteral(".");
    ASSERT_EQ(GridRowCount(tGridId::PivotData, source), 3);
    for (int c : {6, 7, 8}) EXPECT_TRUE(Cell(tGridId::PivotData, 1, c).isEmpty()) << c;
    for (int c : {11, 12, 13}) EXPECT_TRUE(Cell(tGridId::PivotData, 2, c).isEmpty()) << c;
    const char* row2[] = {"2", "12+445,68", "12+545,68", "Ib", "60"};
    for (int c = 0; c < 5; ++c) EXPECT_EQ(Cell(tGridId::PivotData, 2, c), QLatin1String(row2[c])) << c;
    EXPECT_EQ(Cell(tGridId::PivotData, 2, 6), QStringLiteral("45"));
    EXPECT_EQ(Cell(tGridId::PivotData, 2, 7), QStringLiteral("11.2"));  // 11.25: the half goes to even
}

TEST_F(Grids, ProfileListMarksAndShape) {
    plan.Profiles[1].FwdHidden = 1;
    plan.Profiles[1].HasFwdTrack[1] = 1;
    plan.Profiles[2].HasRevTrack[0] = 1;
    const char* rows[2][6] = {{"8", "12+445,68", "*", "*", "", ""}, {"9", "12+545,68", "", "", "", "*"}};
    for (int c = 0; c < 6; ++c) {
        EXPECT_EQ(Cell(tGridId::ProfilesList, 2, c), QLatin1String(rows[0][c])) << c;
        EXPECT_EQ(Cell(tGridId::ProfilesList, 3, c), QLatin1String(rows[1][c])) << c;
    }
    for (tGridId g : {tGridId::SourceData, tGridId::DraftV, tGridId::PivotData, tGridId::ProfilesList}) {
        const tTextTable table = MaterialiseGrid(g, source);
        const tTextTableView view = GridView(g, source);
        ASSERT_EQ(table.Rows, view.Rows);
        for (int r = 0; r < table.Rows; ++r)
            for (int c = 0; c < table.Columns; ++c) EXPECT_EQ(table.At(r, c), view.Cell(r, c));
    }
    EXPECT_TRUE(Cell(tGridId::DraftV, 4, 0).isEmpty());   // beyond the last row
    EXPECT_TRUE(Cell(tGridId::DraftV, 1, 22).isEmpty());  // beyond the last column
    EXPECT_EQ(GridRowCount(tGridId::SourceData, tGridSource{}), 1);
}

TEST(CauseColumn, NamesTheFactorColumnPerDirection) {
    const int fwd[] = {3, 4, 5, 7, 8, 9, 10, 11, 12, 13};
    const int rev[] = {3, 4, 6, 7, 8, 9, 10, 11, 14, 15};
    for (int code = 0; code < kCauseCount; ++code) {
        EXPECT_EQ(CauseColumn(code, DirFwd), fwd[code]);
        EXPECT_EQ(CauseColumn(code, DirRev), rev[code]);
    }
    EXPECT_EQ(CauseColumn(10, DirFwd), -1);
}

}  // namespace
}  // namespace kestrova
