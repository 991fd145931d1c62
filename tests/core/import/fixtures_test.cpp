// The committed fixtures: the same three tables as CSV, as .xlsx written by
// libxlsxwriter, as .xlsx shaped the way LibreOffice writes it (shared and
// inline strings, formulas with cached values, booleans) and as BIFF8 .xls
// must all give the same model.
#include "core/import/crossroads_import.h"
#include "core/import/greens_import.h"
#include "core/import/road_import.h"

#include "test_support.h"

#include <gtest/gtest.h>

using namespace kestrova;
using namespace kestrova::test;

namespace {

struct tSource {
    const char* Name;
    QString Road;
    QString CrossFile;
    tSheetChoice Cross;
    QString GreensFile;
    tSheetChoice Greens;
};

std::vector<tSource> Sources() {
    auto d = [](const char* n) { return TestData(QString("import/") + n); };
    return {
        {"csv", d("road.csv"), d("crossroads.csv"), tSheetChoice::SeparateFile, d("greens.csv"), tSheetChoice::SeparateFile},
        {"xlsx_sheets", d("road.xlsx"), "", tSheetChoice::SecondSheet, "", tSheetChoice::ThirdSheet},
        {"xlsx_files", d("road.xlsx"), d("crossroads.xlsx"), tSheetChoice::SeparateFile, d("greens.xlsx"), tSheetChoice::SeparateFile},
        {"libreoffice_xlsx", d("road_lo.xlsx"), "", tSheetChoice::SecondSheet, "", tSheetChoice::ThirdSheet},
        {"xls_sheets", d("road.xls"), "", tSheetChoice::SecondSheet, "", tSheetChoice::ThirdSheet},
        {"xls_files", d("road.xls"), d("crossroads.xls"), tSheetChoice::SeparateFile, d("greens.xls"), tSheetChoice::SeparateFile},
    };
}

tRoadModel Load(const tSource& s) {
    tRoadModel m;
    const auto road = ImportRoad(s.Road, m);
    EXPECT_TRUE(road.Success) << s.Name << " road: " << road.Failure.Key.toStdString() << " "
                              << road.Failure.Placeholder("%CellAddr%").toStdString();
    const auto greens = ImportGreens(s.Road, s.GreensFile, s.Greens, m);
    EXPECT_TRUE(greens.Success) << s.Name << " greens: " << greens.Failure.Key.toStdString() << " "
                                << greens.Failure.Placeholder("%CellAddr%").toStdString();
    const auto cross = ImportCrossRoads(s.Road, s.CrossFile, s.Cross, m);
    EXPECT_TRUE(cross.Success) << s.Name << " crossroads: " << cross.Failure.Key.toStdString() << " "
                               << cross.Failure.Placeholder("%CellAddr%").toStdString();
    return m;
}

void ExpectSamePoint(const tRoadPoint& a, const tRoadPoint& b, const std::string& where) {
    EXPECT_EQ(a.X, b.X) << where;
    EXPECT_EQ(a.Y, b.Y) << where;
    EXPECT_EQ(a.H, b.H) << where;
    EXPECT_EQ(a.H2, b.H2) << where;
    EXPECT_EQ(a.ProfileIndex, b.ProfileIndex) << where;
    EXPECT_EQ(a.PointSegNo, b.PointSegNo) << where;
}

void ExpectSameModel(const tRoadModel& a, const tRoadModel& b, const std::string& name) {
    ASSERT_EQ(a.Plan.Count(), b.Plan.Count()) << name;
    for (int i = 0; i < a.Plan.Count(); ++i) {
        const auto& p = a.Plan.Profiles[size_t(i)];
        const auto& q = b.Plan.Profiles[size_t(i)];
        const std::string w = name + " profile " + std::to_string(i);
        EXPECT_EQ(p.RecordNumber, q.RecordNumber) << w;
        EXPECT_EQ(p.Position, q.Position) << w;
        EXPECT_EQ(p.RoadCathegory, q.RoadCathegory) << w;
        EXPECT_EQ(p.TrafficIntensity, q.TrafficIntensity) << w;
        EXPECT_EQ(p.Cars, q.Cars) << w;
        EXPECT_EQ(p.Trucks, q.Trucks) << w;
        EXPECT_EQ(p.Buses, q.Buses) << w;
        EXPECT_EQ(p.VehicleTrains, q.VehicleTrains) << w;
        EXPECT_EQ(p.CurveRadius, q.CurveRadius) << w;
        EXPECT_EQ(p.LongitudinalTilt, q.LongitudinalTilt) << w;
        EXPECT_EQ(p.SlicknessValue, q.SlicknessValue) << w;
        EXPECT_EQ(p.Clearance, q.Clearance) << w;
        EXPECT_EQ(p.IsLocality, q.IsLocality) << w;
        EXPECT_EQ(p.IsSocialActivity, q.IsSocialActivity) << w;
        ExpectSamePoint(p.KeyPointM1, q.KeyPointM1, w + " -1");
        ExpectSamePoint(p.KeyPoint0, q.KeyPoint0, w + " 0");
        ASSERT_EQ(p.SegmentCount(), q.SegmentCount()) << w;
        for (int s = 0; s < p.SegmentCount(); ++s) {
            const auto& x = p.Segments[size_t(s)];
            const auto& y = q.Segments[size_t(s)];
            ExpectSamePoint(x.A, y.A, w + " seg A");
            ExpectSamePoint(x.B, y.B, w + " seg B");
            EXPECT_EQ(x.Kind, y.Kind) << w;
            EXPECT_EQ(x.APoint, y.APoint) << w;
            EXPECT_EQ(x.BPoint, y.BPoint) << w;
        }
    }
    ASSERT_EQ(a.CrossRoads.Count(), b.CrossRoads.Count()) << name;
    for (int i = 0; i < a.CrossRoads.Count(); ++i) {
        const auto& c = a.CrossRoads.Roads[size_t(i)];
        const auto& d = b.CrossRoads.Roads[size_t(i)];
        EXPECT_EQ(c.Name, d.Name) << name;
        ASSERT_EQ(c.Count(), d.Count()) << name;
        for (int k = 0; k < c.Count(); ++k) ExpectSamePoint(c.Points[size_t(k)], d.Points[size_t(k)], name + " cross");
    }
    ASSERT_EQ(a.Greens.Count(), b.Greens.Count()) << name;
    for (int i = 0; i < a.Greens.Count(); ++i) {
        const auto& g = a.Greens.Objects[size_t(i)];
        const auto& h = b.Greens.Objects[size_t(i)];
        EXPECT_EQ(g.Name, h.Name) << name;
        EXPECT_EQ(g.IsVegetation, h.IsVegetation) << name;
        EXPECT_EQ(g.FirstProfile, h.FirstProfile) << name;
        EXPECT_EQ(g.LastProfile, h.LastProfile) << name;
        ASSERT_EQ(g.Count(), h.Count()) << name;
        for (int k = 0; k < g.Count(); ++k) ExpectSamePoint(g.Points[size_t(k)], h.Points[size_t(k)], name + " object");
    }
}

TEST(Fixtures, CsvTablesLoadAsWritten) {
    const tRoadModel m = Load(Sources()[0]);
    ASSERT_EQ(m.Plan.Count(), 6);
    const std::vector<int> categories = {2, 3, 1, 0, 4, 2};
    const std::vector<int> locality = {1, 0, 1, 0, 1, 0};
    const std::vector<int> social = {0, 1, 0, 0, 0, 1};
    for (int i = 0; i < 6; ++i) {
        const auto& p = m.Plan.Profiles[size_t(i)];
        EXPECT_EQ(p.RoadCathegory, categories[size_t(i)]) << i;
        EXPECT_EQ(p.IsLocality, locality[size_t(i)]) << i;
        EXPECT_EQ(p.IsSocialActivity, social[size_t(i)]) << i;
        EXPECT_DOUBLE_EQ(p.Position, 100.25 * i);
        EXPECT_EQ(p.SegmentCount(), 6);  // 109 ... 130, 200
    }
    EXPECT_DOUBLE_EQ(m.Plan.Profiles[3].Clearance, 4.5);
    EXPECT_DOUBLE_EQ(m.Plan.Profiles[1].CurveRadius, 700);
    EXPECT_DOUBLE_EQ(m.Plan.Profiles[1].Segments[5].B.H, 102.35);
    ASSERT_EQ(m.CrossRoads.Count(), 2);
    EXPECT_EQ(m.CrossRoads.Roads[0].Name, QString::fromUtf8("Перехрестя 1"));
    EXPECT_EQ(m.CrossRoads.Roads[0].Count(), 3);
    ASSERT_EQ(m.Greens.Count(), 2);
    EXPECT_EQ(m.Greens.Objects[0].Name, QString::fromUtf8("Ліс"));
    EXPECT_EQ(m.Greens.Objects[0].IsVegetation, 1);
    EXPECT_EQ(m.Greens.Objects[0].Points[2].PointSegNo, 6);  // key point 200 ends segment 6
    EXPECT_EQ(m.Greens.Objects[1].IsVegetation, 0);
    EXPECT_EQ(m.Greens.Objects[1].Count(), 4);
}

class FixtureFormats : public ::testing::TestWithParam<size_t> {};

TEST_P(FixtureFormats, SameModelAsCsv) {
    const tRoadModel reference = Load(Sources()[0]);
    const std::vector<tSource> sources = Sources();
    const tSource& s = sources[GetParam()];
    ExpectSameModel(Load(s), reference, s.Name);
}

INSTANTIATE_TEST_SUITE_P(All, FixtureFormats, ::testing::Range(size_t(1), Sources().size()),
                         [](const auto& info) { return std::string(Sources()[info.param].Name); });

}  // namespace
