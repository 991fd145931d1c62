// Crossroads and vegetation/buildings imports.
#include "core/import/crossroads_import.h"
#include "core/import/greens_import.h"
#include "core/import/road_import.h"

#include "import_tables.h"

#include <cmath>
#include <functional>
#include <iterator>
#include <vector>
#include <gtest/gtest.h>

using namespace kestrova;
using namespace kestrova::test;

namespace {

tRows CrossTable() {
    return {{"RecordName", "RecordNumber", "Position", "X", "Y", "H"},
            {"A", "1", "", "1250", "1900", "100"},
            {"", "2", "", "1250", "2000", "100.5"},
            {"", "3", "", "1250", "2100", "101"},
            {"B", "7", "", "1050", "1950", "99"},
            {"", "8", "", "1060", "2050", "99.5"}};
}

// Key point 'offset' of profile i of the test road, as table X and Y.
QStringList GreenPoint(const QString& name, const QString& veg, int number, int profile, double offset,
                       const QString& height = "12") {
    return {name, veg, QString::number(number), QString::number(RoadX(profile)), QString::number(RoadY(offset)), height};
}

tRows GreensTable() {
    return {{"RecordName", "IsVegetation", "RecordNumber", "X", "Y", "Height"},
            GreenPoint("Forest", QString::fromUtf8("ТАК"), 1, 4, 10),
            GreenPoint("", "", 2, 5, 10),
            GreenPoint("", "", 3, 5, 7),
            GreenPoint("House", QString::fromUtf8("ні"), 1, 1, -10, "8"),
            GreenPoint("", "", 2, 1, -7, "8"),
            GreenPoint("", "", 3, 2, -7, "8"),
            GreenPoint("", "", 4, 2, -10, "8")};
}

class ObjectImportTest : public ::testing::TestWithParam<tFormat> {
protected:
    void SetUp() override {
        roadFile = files.Csv("road", RoadTable(6));
        ASSERT_TRUE(ImportRoad(roadFile, model).Success);
    }
    tImportResult Cross(const tRows& rows) {
        return ImportCrossRoads(roadFile, files.Write(GetParam(), "cross", rows), tSheetChoice::SeparateFile, model);
    }
    tImportResult Greens(const tRows& rows) {
        return ImportGreens(roadFile, files.Write(GetParam(), "greens", rows), tSheetChoice::SeparateFile, model);
    }
    tTableFiles files;
    QString roadFile;
    tRoadModel model;
};

TEST_P(ObjectImportTest, CrossroadsGroupedByName) {
    std::vector<int> positions, maxima;
    tProgress progress;
    progress.SetPosition = [&](int p) { positions.push_back(p); };
    progress.SetMaximum = [&](int m) { maxima.push_back(m); };
    const auto r = ImportCrossRoads(roadFile, files.Write(GetParam(), "cross", CrossTable()),
                                    tSheetChoice::SeparateFile, model, progress);
    ASSERT_TRUE(r.Success) << r.Failure.Key.toStdString();
    EXPECT_EQ(r.Count, 2);
    ASSERT_EQ(model.CrossRoads.Count(), 2);
    const auto& a = model.CrossRoads.Roads[0];
    EXPECT_EQ(a.Name, "A");
    ASSERT_EQ(a.Count(), 3);
    EXPECT_DOUBLE_EQ(a.Points[1].X, 2000);
    EXPECT_DOUBLE_EQ(a.Points[1].Y, 1250);
    EXPECT_DOUBLE_EQ(a.Points[1].H, 100.5);
    EXPECT_EQ(a.Points[1].ProfileIndex, -1);
    EXPECT_EQ(model.CrossRoads.Roads[1].Name, "B");
    EXPECT_EQ(model.CrossRoads.Roads[1].Count(), 2);
    EXPECT_EQ(positions, (std::vector<int>{0, 1}));
    EXPECT_EQ(maxima, (std::vector<int>{16}));
}

TEST_P(ObjectImportTest, CrossroadsWithoutPositionAndSeventhColumnIgnored) {
    tRows rows = CrossTable();
    RemoveColumn(rows, 2);
    rows[0] << "" << "junk";
    rows[1] << "x" << "y";
    EXPECT_TRUE(Cross(rows).Success);
    // Six columns with a seventh header: the seventh is never read.
    tRows seven = CrossTable();
    seven[0] << "Unknown";
    seven[2] << "not a number";
    EXPECT_TRUE(Cross(seven).Success);
}

struct tObjectCase {
    const char* Name;
    bool Greens;
    std::function<void(tRows&)> Change;
    const char* Key;
    const char* Reason;
    std::vector<std::pair<QString, QString>> Placeholders;
};

const std::vector<tObjectCase>& ObjectCases() {
    static const std::vector<tObjectCase> cases = {
        {"CrossNoHeaders", false, [](tRows& t) { t[0][0] = "Name"; }, "LoadData.NoHeaders", nullptr, {}},
        {"CrossTwoH", false, [](tRows& t) { t[0][2] = "h"; }, "LoadData.DuplicateHeaders", nullptr,
         {{"%XLColNumber1%", "C"}, {"%XLColNumber2%", "F"}, {"%XLColValue%", "H"}}},
        {"CrossUnknownHeader", false, [](tRows& t) { t[0][2] = "Km"; }, "LoadData.IncorrectHeader", nullptr,
         {{"%XLColNumber%", "C"}, {"%XLColValue%", "Km"}}},
        {"CrossMissingX", false, [](tRows& t) { RemoveColumn(t, 3); }, "LoadData.MissedRequiredColumn", nullptr,
         {{"%XLColHeader%", "X"}}},
        {"CrossNoData", false, [](tRows& t) { t.resize(1); }, "LoadData.NoFirstRowDataFound", nullptr, {}},
        {"CrossNumberZero", false, [](tRows& t) { t[1][1] = "0"; }, "LoadData.IncorrectCellValue",
         "LoadData.RecordNumberConstraints", {{"%CellAddr%", "B2"}, {"%MaxRecordNumber%", "1000"}}},
        {"CrossNumber1001", false, [](tRows& t) { t[4][1] = "1001"; }, "LoadData.IncorrectCellValue",
         "LoadData.RecordNumberConstraints", {{"%CellAddr%", "B5"}}},
        {"CrossNumberGap", false, [](tRows& t) { t[3][1] = "4"; }, "LoadData.IncorrectCellValue",
         "LoadData.NextNumberConstraint", {{"%CellAddr%", "B4"}}},
        {"CrossNameWithoutNumber", false, [](tRows& t) { t[4][1] = ""; }, "LoadData.IncorrectCellValue",
         "LoadData.RecordNumberConstraints", {{"%CellAddr%", "B5"}}},
        {"CrossXNegative", false, [](tRows& t) { t[2][3] = "-1"; }, "LoadData.IncorrectCellValue", "",
         {{"%CellAddr%", "D3"}}},
        {"CrossHTooHigh", false, [](tRows& t) { t[2][5] = "5000.1"; }, "LoadData.IncorrectCellValue", "",
         {{"%CellAddr%", "F3"}}},
        {"CrossOnePoint", false, [](tRows& t) { t.pop_back(); }, "LoadData.MinCRoadPointsConstraint", nullptr,
         {{"%ObjectName%", "B"}}},
        {"GreensMissingHeight", true, [](tRows& t) { RemoveColumn(t, 5); }, "LoadData.MissedRequiredColumn", nullptr,
         {{"%XLColHeader%", "Height"}}},
        {"GreensNoHeaders", true, [](tRows& t) { t[0][0] = "X"; }, "LoadData.NoHeaders", nullptr, {}},
        {"GreensDuplicateX", true, [](tRows& t) { t[0][4] = "x"; }, "LoadData.DuplicateHeaders", nullptr,
         {{"%XLColNumber1%", "D"}, {"%XLColNumber2%", "E"}, {"%XLColValue%", "X"}}},
        {"GreensEmptyVegetationInNamedRow", true, [](tRows& t) { t[4][1] = ""; }, "LoadData.IncorrectCellValue", "",
         {{"%CellAddr%", "B5"}}},
        {"GreensVegetationTwo", true, [](tRows& t) { t[1][1] = "2"; }, "LoadData.IncorrectCellValue", "", {}},
        {"GreensHeightAbove100", true, [](tRows& t) { t[2][5] = "100.5"; }, "LoadData.IncorrectCellValue", "",
         {{"%CellAddr%", "F3"}}},
        {"GreensHeightNegative", true, [](tRows& t) { t[2][5] = "-1"; }, "LoadData.IncorrectCellValue", "", {}},
        {"GreensNumberGap", true, [](tRows& t) { t[6][2] = "9"; }, "LoadData.IncorrectCellValue",
         "LoadData.NextNumberConstraint", {{"%CellAddr%", "C7"}}},
        {"GreensNumber1001", true, [](tRows& t) { t[1][2] = "1001"; }, "LoadData.IncorrectCellValue",
         "LoadData.RecordNumberConstraints", {{"%MaxRecordNumber%", "1000"}}},
        {"GreensTwoPoints", true, [](tRows& t) { t.erase(t.begin() + 3); }, "LoadData.MinVegBldPointsConstraint",
         nullptr, {{"%ObjectName%", "Forest"}}},
        {"GreensPointOffTheRoad", true, [](tRows& t) { t[6][4] = QString::number(RoadY(-7) + 0.002, 'f', 4); },
         "LoadData.PointNotCorrespondRoadPoints", nullptr, {{"%ObjectName%", "House"}, {"%PointNumber%", "3"}}},
    };
    return cases;
}

class ObjectImportCases : public ::testing::TestWithParam<std::tuple<tFormat, size_t>> {};

TEST_P(ObjectImportCases, GivesItsMessageAndLeavesTheTableEmpty) {
    const auto [format, index] = GetParam();
    const tObjectCase& c = ObjectCases()[index];
    tTableFiles files;
    const QString road = files.Csv("road", RoadTable(6));
    tRoadModel model;
    ASSERT_TRUE(ImportRoad(road, model).Success);
    tRows rows = c.Greens ? GreensTable() : CrossTable();
    c.Change(rows);
    const QString path = files.Write(format, "objects", rows);
    // A table from an earlier load must not survive a failed one half-filled.
    model.CrossRoads.Roads.resize(1);
    model.Greens.Objects.resize(1);
    const tImportResult r = c.Greens ? ImportGreens(road, path, tSheetChoice::SeparateFile, model)
                                     : ImportCrossRoads(road, path, tSheetChoice::SeparateFile, model);
    EXPECT_FALSE(r.Success);
    EXPECT_EQ(r.Failure.Key, c.Key);
    if (c.Reason) EXPECT_EQ(r.Failure.ReasonKey, c.Reason);
    else EXPECT_TRUE(r.Failure.ReasonKey.isEmpty());
    for (const auto& [name, value] : c.Placeholders)
        EXPECT_EQ(r.Failure.Placeholder(name), value) << name.toStdString();
    EXPECT_EQ(r.Failure.Placeholder("%FileName%"), path);
    EXPECT_EQ(c.Greens ? model.Greens.Count() : model.CrossRoads.Count(), 0);
}

INSTANTIATE_TEST_SUITE_P(All, ObjectImportCases,
                         ::testing::Combine(::testing::Values(tFormat::Csv, tFormat::Xlsx),
                                            ::testing::Range(size_t(0), ObjectCases().size())),
                         [](const auto& info) {
                             return std::string(FormatName(std::get<0>(info.param))) + "_" +
                                    ObjectCases()[std::get<1>(info.param)].Name;
                         });

TEST_P(ObjectImportTest, GreensMatchedToKeyPoints) {
    tRows rows = GreensTable();
    // 0.0009 off in both coordinates still coincides.
    rows[3][3] = QString::number(RoadX(5) + 0.0009, 'f', 4);
    rows[3][4] = QString::number(RoadY(7) - 0.0009, 'f', 4);
    ASSERT_EQ(rows[3][4], "2006.9991");
    const auto r = Greens(rows);
    ASSERT_TRUE(r.Success) << r.Failure.Key.toStdString();
    EXPECT_EQ(r.Count, 2);
    const auto& forest = model.Greens.Objects[0];
    EXPECT_EQ(forest.Name, "Forest");
    EXPECT_EQ(forest.IsVegetation, 1);
    EXPECT_EQ(forest.FirstProfile, 4);
    EXPECT_EQ(forest.LastProfile, 5);
    ASSERT_EQ(forest.Count(), 3);
    EXPECT_EQ(forest.Points[0].ProfileIndex, 4);
    EXPECT_EQ(forest.Points[0].PointSegNo, 5);  // key point 130 ends segment 5
    EXPECT_EQ(forest.Points[2].ProfileIndex, 5);
    EXPECT_EQ(forest.Points[2].PointSegNo, 4);  // key point 127 ends segment 4
    EXPECT_DOUBLE_EQ(forest.Points[0].H, 12);
    EXPECT_DOUBLE_EQ(forest.Points[0].X, RoadY(10));
    const auto& house = model.Greens.Objects[1];
    EXPECT_EQ(house.IsVegetation, 0);
    EXPECT_EQ(house.FirstProfile, 1);
    EXPECT_EQ(house.LastProfile, 2);
    EXPECT_EQ(house.Points[0].PointSegNo, 0);  // key point 109 starts the chain
    EXPECT_EQ(house.Points[1].PointSegNo, 1);
}

TEST_P(ObjectImportTest, SameFileIsRefusedBeforeAnythingElse) {
    model.CrossRoads.Roads.resize(2);
    const auto r = ImportCrossRoads(" " + roadFile.toLower() + " ", roadFile, tSheetChoice::SeparateFile, model);
    EXPECT_EQ(r.Failure.Key, "LoadData.SomeFileSelected");
    EXPECT_FALSE(r.Failure.Has("%FileName%"));
    EXPECT_EQ(model.CrossRoads.Count(), 2);
    EXPECT_EQ(ImportGreens(roadFile, roadFile, tSheetChoice::SeparateFile, model).Failure.Key,
              "LoadData.SomeFileSelected");
}

INSTANTIATE_TEST_SUITE_P(Formats, ObjectImportTest, ::testing::Values(tFormat::Csv, tFormat::Xlsx),
                         [](const auto& info) { return std::string(FormatName(info.param)); });

TEST(ObjectImportSheets, SecondAndThirdSheetOfTheRoadWorkbook) {
    tTableFiles files;
    const QString book = files.Xlsx("road", {RoadTable(6), CrossTable(), GreensTable()});
    tRoadModel model;
    ASSERT_TRUE(ImportRoad(book, model).Success);
    const auto cross = ImportCrossRoads(book, "", tSheetChoice::SecondSheet, model);
    ASSERT_TRUE(cross.Success) << cross.Failure.Key.toStdString();
    EXPECT_EQ(cross.Sheet, 2);
    EXPECT_EQ(model.CrossRoads.Count(), 2);
    const auto greens = ImportGreens(book, "", tSheetChoice::ThirdSheet, model);
    ASSERT_TRUE(greens.Success) << greens.Failure.Key.toStdString();
    EXPECT_EQ(model.Greens.Count(), 2);
    // The wrong sheet for the table: its header is not there.
    EXPECT_EQ(ImportGreens(book, "", tSheetChoice::SecondSheet, model).Failure.Key, "LoadData.IncorrectHeader");
    // A workbook with only two sheets has no third one.
    const QString two = files.Xlsx("two", {RoadTable(6), CrossTable()});
    EXPECT_EQ(ImportCrossRoads(two, "", tSheetChoice::ThirdSheet, model).Failure.Key, "LoadData.ExcelOpenError");
}

TEST(ObjectImportCsv, NumberColumnLastStillEndsAtBlankRow) {
    tTableFiles files;
    tRoadModel model;
    tRows rows = CrossTable();
    for (auto& r : rows) r.move(1, 5);
    rows.push_back({"", "", "", "", "", ""});
    rows.push_back({"trailing", "notes"});
    const auto r = ImportCrossRoads("road.csv", files.Csv("c", rows), tSheetChoice::SeparateFile, model);
    ASSERT_TRUE(r.Success) << r.Failure.Key.toStdString() << " " << r.Failure.Placeholder("%CellAddr%").toStdString();
    EXPECT_EQ(model.CrossRoads.Count(), 2);
}

TEST(ObjectImportCsv, EmptyVegetationInContinuationRowIgnored) {
    tTableFiles files;
    tRoadModel model;
    ASSERT_TRUE(ImportRoad(files.Csv("road", RoadTable(6)), model).Success);
    tRows rows = GreensTable();
    rows[2][1] = "";
    rows[3][1] = "garbage";
    EXPECT_TRUE(ImportGreens("road.csv", files.Csv("g", rows), tSheetChoice::SeparateFile, model).Success);
}

TEST(GreensMatching, ProfilesBeyond800MetresAreNotScanned) {
    TMPlan plan;
    plan.Profiles.resize(2);
    for (int i = 0; i < 2; ++i) {
        auto& p = plan.Profiles[size_t(i)];
        p.KeyPoint0.X = 801 * i;  // profile 1's key point 0 is 801 m from the object point
        p.Segments.resize(1);
        p.Segments[0].SegNo = 1;
        p.Segments[0].A.X = 0;
        p.Segments[0].B.X = 0;
        p.Segments[0].B.Y = 1;
    }
    tGreenRec object;
    object.Points.resize(1);
    object.Points[0].ProfileIndex = 17;
    // Only profile 1 has a key point at the object point, and it lies too far.
    plan.Profiles[0].Segments[0].A.Y = 50;
    plan.Profiles[0].Segments[0].B.Y = 51;
    EXPECT_EQ(MatchObjectPoints(object, plan), 0);
    plan.Profiles[1].KeyPoint0.X = 800;
    EXPECT_EQ(MatchObjectPoints(object, plan), -1);
    EXPECT_EQ(object.Points[0].ProfileIndex, 1);
    // Both key points of profile 1 coincide: the last in chain order counts.
    EXPECT_EQ(object.Points[0].PointSegNo, 0);
    plan.Profiles[1].Segments[0].B.Y = 0.0005;
    object.Points[0].ProfileIndex = 17;
    EXPECT_EQ(MatchObjectPoints(object, plan), -1);
    EXPECT_EQ(object.Points[0].PointSegNo, 1);
    EXPECT_EQ(object.FirstProfile, 1);
    EXPECT_EQ(object.LastProfile, 1);
}

// Whatever map square their key points lie in, the point goes to the profile
// of the smallest index whose chain holds it; a key point that is no number
// passes the distance test.
TEST(GreensMatching, TheFirstProfileByIndexWins) {
    const struct {
        double keyX, keyY;
    } keys[] = {{500, 500}, {-500, -500}, {-300, 200}, {std::nan(""), 0}};
    const struct {
        std::vector<int> holding;  // profiles whose chain holds the object point
        int profile;               // the one it goes to; -1: none
    } cases[] = {{{1, 2}, 1}, {{2, 1, 0}, 0}, {{2}, 2}, {{3}, 3}, {{3, 2}, 2}, {{}, -1}};
    for (const auto& c : cases) {
        TMPlan plan;
        plan.Profiles.resize(std::size(keys));
        for (size_t i = 0; i < std::size(keys); ++i) {
            auto& p = plan.Profiles[i];
            p.KeyPoint0.X = keys[i].keyX;
            p.KeyPoint0.Y = keys[i].keyY;
            p.Segments.resize(2);
            p.Segments[0].SegNo = 1;
            p.Segments[1].SegNo = 2;
            p.Segments[0].A = {keys[i].keyX, 9};
            p.Segments[0].B = p.Segments[1].A = {10, 10};
            p.Segments[1].B = {20, 20};
        }
        for (int h : c.holding) plan.Profiles[size_t(h)].Segments[0].B = {0.0009, -0.0009};
        tGreenRec object;
        object.Points.resize(1);
        object.Points[0].ProfileIndex = 17;
        EXPECT_EQ(MatchObjectPoints(object, plan), c.profile < 0 ? 0 : -1);
        EXPECT_EQ(object.Points[0].ProfileIndex, c.profile < 0 ? 17 : c.profile);
        if (c.profile >= 0) {
            EXPECT_EQ(object.Points[0].PointSegNo, 1);
        }
    }
}

}  // namespace

namespace {

// Read failures and missing files of the two short tables (CSV: a cell beyond
// the size cap cannot be read).
TEST(ObjectImportCsv, ReadFailuresAndMissingFiles) {
    tTableFiles files;
    tRoadModel model;
    ASSERT_TRUE(ImportRoad(files.Csv("road", RoadTable(6)), model).Success);
    const QString big(100000, 'x');
    struct tCase {
        bool Greens;
        int Row, Col;
        const char* Key;
        const char* Addr;
    };
    const std::vector<tCase> cases = {
        {false, 0, 3, "LoadData.HeaderReadError", ""}, {true, 0, 2, "LoadData.HeaderReadError", ""},
        {false, 2, 4, "LoadData.CellReadError", "E3"}, {true, 3, 5, "LoadData.CellReadError", "F4"},
    };
    for (const auto& c : cases) {
        tRows rows = c.Greens ? GreensTable() : CrossTable();
        rows[size_t(c.Row)][c.Col] = big;
        const QString path = files.Csv("t", rows);
        const auto r = c.Greens ? ImportGreens("road.csv", path, tSheetChoice::SeparateFile, model)
                                : ImportCrossRoads("road.csv", path, tSheetChoice::SeparateFile, model);
        EXPECT_EQ(r.Failure.Key, c.Key) << c.Greens << c.Row;
        EXPECT_EQ(r.Failure.Placeholder("%CellAddr%"), c.Addr);
    }
    tRows headerOnly = {GreensTable()[0]};
    EXPECT_EQ(ImportGreens("road.csv", files.Csv("h", headerOnly), tSheetChoice::SeparateFile, model).Failure.Key,
              "LoadData.NoFirstRowDataFound");
    EXPECT_EQ(ImportGreens("road.csv", files.Path("none.csv"), tSheetChoice::SeparateFile, model).Failure.Key,
              "LoadData.FileNotFound");
    EXPECT_EQ(ImportCrossRoads("road.csv", files.Path("none.xlsx"), tSheetChoice::SeparateFile, model).Failure.Key,
              "LoadData.FileNotFound");
    EXPECT_EQ(ImportGreens(files.Raw("junk.xlsx", "not a zip"), "", tSheetChoice::SecondSheet, model).Failure.Key,
              "LoadData.ExcelOpenError");
    EXPECT_EQ(model.Greens.Count(), 0);
    EXPECT_EQ(model.CrossRoads.Count(), 0);
}

}  // namespace
