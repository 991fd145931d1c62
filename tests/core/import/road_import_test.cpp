#include "core/import/road_import.h"

#include "import_tables.h"

#include <functional>
#include <gtest/gtest.h>

using namespace kestrova;
using namespace kestrova::test;

namespace {

// One way to spoil the test road and the message it must give.
struct tRoadCase {
    const char* Name;
    std::function<void(tRows&)> Change;
    const char* Key;
    const char* Reason;  // reason key, or nullptr for none
    std::vector<std::pair<QString, QString>> Placeholders;
};

int Col(const tRows& rows, const char* header) { return ColumnOf(rows, header); }

void SetCell(tRows& rows, int row, const char* header, const QString& value) {
    rows[size_t(row)][Col(rows, header)] = value;
}

const std::vector<tRoadCase>& RoadCases() {
    static const std::vector<tRoadCase> cases = {
        {"NoHeaderRow", [](tRows& t) { t[0][0] = "Number"; }, "LoadData.NoHeaders", nullptr, {}},
        {"DtmNotFoundAtEmptyHeader",
         [](tRows& t) {
             for (auto& r : t) r = r.mid(0, 14);
             t[0] << "" << "Extra";
         },
         "LoadData.DtmHeadersNotFound", nullptr, {}},
        {"DuplicateNamedHeader", [](tRows& t) { t[0][3] = "position"; }, "LoadData.DuplicateHeaders", nullptr,
         {{"%XLColNumber1%", "B"}, {"%XLColNumber2%", "D"}, {"%XLColValue%", "Position"}}},
        {"UnknownHeader", [](tRows& t) { t[0][2] = "Category"; }, "LoadData.IncorrectHeader", nullptr,
         {{"%XLColNumber%", "C"}, {"%XLColValue%", "Category"}}},
        {"KeyPoint140", [](tRows& t) { t[0][14 + 3] = "140"; }, "LoadData.IncorrectHeader", nullptr,
         {{"%XLColNumber%", "R"}, {"%XLColValue%", "140"}}},
        {"KeyPoint199", [](tRows& t) { t[0][14 + 3] = "199"; }, "LoadData.IncorrectHeader", nullptr, {}},
        {"NamedColumnRightAfterBlock",
         [](tRows& t) {
             t[0] << "Notes";
             for (size_t i = 1; i < t.size(); ++i) t[i] << "x";
         },
         "LoadData.IncorrectHeader", nullptr, {{"%XLColNumber%", "AM"}, {"%XLColValue%", "Notes"}}},
        {"HeaderOverYColumn", [](tRows& t) { t[0][14 + 1] = "Y"; }, "LoadData.DtmYHheadersNotAllowed", nullptr,
         {{"%XLColNumber%", "P"}, {"%XLColValue%", "Y"}}},
        {"DuplicateKeyPoint", [](tRows& t) { t[0][14 + 6] = "0"; }, "LoadData.DuplicateDtmHeaders", nullptr,
         {{"%XLColNumber1%", "R"}, {"%XLColNumber2%", "U"}, {"%XLColValue%", "0"}}},
        {"MissingSlickness", [](tRows& t) { RemoveColumn(t, Col(t, "SlicknessValue")); },
         "LoadData.MissingRequiredColumn", nullptr, {{"%XLColHeader%", "SlicknessValue"}}},
        {"MissingShares",
         [](tRows& t) {
             for (const char* h : {"Cars", "Trucks", "Buses", "VehicleTrains"}) RemoveColumn(t, Col(t, h));
         },
         "LoadData.MissingTrafficDistrHeaders", nullptr,
         {{"%RequiredHeadersList%", "Cars, Trucks, Buses, VehicleTrains"}}},
        {"MissingKeyPoint130",
         [](tRows& t) {
             for (int i = 0; i < 3; ++i) RemoveColumn(t, 14 + 21);
         },
         "LoadData.MissingDtmKeyPoints", nullptr, {}},
        {"NoDataRow", [](tRows& t) { t.resize(1); }, "LoadData.NoFirstRowDataFound", nullptr, {}},
        {"SharesDoNotAddUp",
         [](tRows& t) {
             SetCell(t, 2, "Cars", "0.6");
             SetCell(t, 2, "Buses", "0.3");
             SetCell(t, 2, "Trucks", "0");
             SetCell(t, 2, "VehicleTrains", "0");
         },
         "LoadData.InvalidTrafficDistrValues", nullptr, {{"%RowNumber%", "3"}}},
        {"RecordNumberZero", [](tRows& t) { t[1][0] = "0"; }, "LoadData.IncorrectCellValue",
         "LoadData.RecordNumberConstraints", {{"%CellAddr%", "A2"}, {"%MaxRecordNumber%", "200000"}}},
        {"RecordNumberTooBig", [](tRows& t) { t[1][0] = "200001"; }, "LoadData.IncorrectCellValue",
         "LoadData.RecordNumberConstraints", {{"%CellAddr%", "A2"}}},
        {"RecordNumberGap", [](tRows& t) { t[2][0] = "3"; }, "LoadData.IncorrectCellValue",
         "LoadData.NextNumberConstraint", {{"%CellAddr%", "A3"}}},
        {"PositionNegative", [](tRows& t) { SetCell(t, 1, "Position", "-1"); }, "LoadData.IncorrectCellValue",
         "LoadData.KmPlusPositionConstraints", {{"%CellAddr%", "B2"}}},
        {"PositionTooClose",
         [](tRows& t) {
             SetCell(t, 1, "Position", "0");
             SetCell(t, 2, "Position", "0,0009");
         },
         "LoadData.IncorrectCellValue", "LoadData.NextKmPlusPositionConstraint", {{"%CellAddr%", "B3"}}},
        {"PositionEqual", [](tRows& t) { SetCell(t, 2, "Position", "0"); }, "LoadData.IncorrectCellValue",
         "LoadData.NextKmPlusPositionConstraint", {}},
        {"CategoryV", [](tRows& t) { SetCell(t, 1, "RoadCathegory", "V"); }, "LoadData.IncorrectCellValue",
         "LoadData.IncorrectIncorrectRoadCathegory", {{"%CellAddr%", "C2"}}},
        {"IntensityFraction", [](tRows& t) { SetCell(t, 1, "TrafficIntensity", "12.5"); },
         "LoadData.IncorrectCellValue", "LoadData.IncorrectTrafficIntensity", {}},
        {"IntensityTooBig", [](tRows& t) { SetCell(t, 1, "TrafficIntensity", "100001"); },
         "LoadData.IncorrectCellValue", "LoadData.IncorrectTrafficIntensity", {}},
        {"CarsAboveOne", [](tRows& t) { SetCell(t, 1, "Cars", "1.5"); }, "LoadData.IncorrectCellValue",
         "LoadData.IncorrectCarsKoef", {{"%CellAddr%", "E2"}}},
        {"TrucksEmpty", [](tRows& t) { SetCell(t, 1, "Trucks", ""); }, "LoadData.IncorrectCellValue",
         "LoadData.IncorrectTrucksKoef", {}},
        {"BusesNegative", [](tRows& t) { SetCell(t, 1, "Buses", "-0.1"); }, "LoadData.IncorrectCellValue",
         "LoadData.IncorrectBusesKoef", {}},
        {"TrainsText", [](tRows& t) { SetCell(t, 1, "VehicleTrains", "many"); }, "LoadData.IncorrectCellValue",
         "LoadData.IncorrectVehicleTrainsKoef", {}},
        {"RadiusHalf", [](tRows& t) { SetCell(t, 1, "CurveRadius", "0.5"); }, "LoadData.IncorrectCellValue",
         "LoadData.IncorrectHRadius", {}},
        {"TiltOne", [](tRows& t) { SetCell(t, 1, "LongitudinalTilt", "1"); }, "LoadData.IncorrectCellValue",
         "LoadData.IncorrectLongiTilt", {}},
        {"TiltEmpty", [](tRows& t) { SetCell(t, 1, "LongitudinalTilt", ""); }, "LoadData.IncorrectCellValue",
         "LoadData.IncorrectLongiTilt", {}},
        {"SlicknessTooBig", [](tRows& t) { SetCell(t, 1, "SlicknessValue", "1000.5"); },
         "LoadData.IncorrectCellValue", "LoadData.IncorrectSlickness", {}},
        {"ClearanceLow", [](tRows& t) { SetCell(t, 1, "Clearance", "1.4"); }, "LoadData.IncorrectCellValue",
         "LoadData.IncorrectBridgeClearance", {}},
        {"LocalityTwo", [](tRows& t) { SetCell(t, 1, "IsLocality", "2"); }, "LoadData.IncorrectCellValue",
         "LoadData.IncorrectLocalitySign", {}},
        {"SocialMaybe", [](tRows& t) { SetCell(t, 1, "IsSocialActivity", "maybe"); }, "LoadData.IncorrectCellValue",
         "LoadData.IncorrectSocialActivitySign", {}},
        {"KeyPointHeightTooLow", [](tRows& t) { t[1][14 + 2] = "-121"; }, "LoadData.IncorrectCellValue", "",
         {{"%CellAddr%", "Q2"}}},
        {"KeyPointXNegative", [](tRows& t) { t[3][14 + 3] = "-5"; }, "LoadData.IncorrectCellValue", "",
         {{"%CellAddr%", "R4"}}},
        {"KeyPointEmpty", [](tRows& t) { t[2][14 + 4] = ""; }, "LoadData.IncorrectCellValue", "", {}},
        {"TwoRowsOnly", [](tRows& t) { t.resize(3); }, "LoadData.MinRoadRowsConstraint", nullptr, {}},
    };
    return cases;
}

class RoadImportCases : public ::testing::TestWithParam<std::tuple<tFormat, size_t>> {};

TEST_P(RoadImportCases, GivesItsMessage) {
    const auto [format, index] = GetParam();
    const tRoadCase& c = RoadCases()[index];
    tRows rows = RoadTable(4);
    c.Change(rows);
    tTableFiles files;
    const QString path = files.Write(format, "road", rows);
    tRoadModel model;
    const tImportResult r = ImportRoad(path, model);
    EXPECT_FALSE(r.Success);
    EXPECT_EQ(r.Failure.Key, c.Key);
    if (c.Reason) EXPECT_EQ(r.Failure.ReasonKey, c.Reason);
    else EXPECT_TRUE(r.Failure.ReasonKey.isEmpty());
    for (const auto& [name, value] : c.Placeholders) EXPECT_EQ(r.Failure.Placeholder(name), value) << name.toStdString();
    EXPECT_EQ(r.Failure.Placeholder("%FileName%"), path);
    EXPECT_EQ(model.Plan.Count(), 0);
}

INSTANTIATE_TEST_SUITE_P(All, RoadImportCases,
                         ::testing::Combine(::testing::Values(tFormat::Csv, tFormat::Xlsx),
                                            ::testing::Range(size_t(0), RoadCases().size())),
                         [](const auto& info) {
                             return std::string(FormatName(std::get<0>(info.param))) + "_" +
                                    RoadCases()[std::get<1>(info.param)].Name;
                         });

class RoadImportFormats : public ::testing::TestWithParam<tFormat> {
protected:
    tImportResult Import(const tRows& rows) { return ImportRoad(files.Write(GetParam(), "road", rows), model); }
    tTableFiles files;
    tRoadModel model;
};

TEST_P(RoadImportFormats, LoadsProfilesWithKeyPointsAndSegments) {
    tRows rows = RoadTable(4);
    SetCell(rows, 2, "CurveRadius", "600");
    SetCell(rows, 3, "Clearance", "4.5");
    SetCell(rows, 3, "RoadCathegory", "Ia");
    SetCell(rows, 4, "IsLocality", QString::fromUtf8("так"));
    SetCell(rows, 4, "LongitudinalTilt", "-0.999");
    model.CrossRoads.Roads.resize(2);
    const tImportResult r = Import(rows);
    ASSERT_TRUE(r.Success) << r.Failure.Key.toStdString();
    EXPECT_EQ(r.Count, 4);
    EXPECT_EQ(r.FromCsv, GetParam() == tFormat::Csv);
    EXPECT_EQ(model.CrossRoads.Count(), 0);
    ASSERT_EQ(model.Plan.Count(), 4);
    const tPlanProfile& p1 = model.Plan.Profiles[1];
    EXPECT_EQ(p1.RecordNumber, 2);
    EXPECT_DOUBLE_EQ(p1.Position, 100);
    EXPECT_EQ(p1.RoadCathegory, 2);
    EXPECT_EQ(p1.TrafficIntensity, 5000);
    EXPECT_DOUBLE_EQ(p1.Cars, 0.6);
    EXPECT_DOUBLE_EQ(p1.Trucks, 0.2);
    EXPECT_DOUBLE_EQ(p1.Buses, 0.1);
    EXPECT_DOUBLE_EQ(p1.VehicleTrains, 0.1);
    EXPECT_DOUBLE_EQ(p1.CurveRadius, 600);
    EXPECT_DOUBLE_EQ(p1.Clearance, 0);
    EXPECT_DOUBLE_EQ(model.Plan.Profiles[2].Clearance, 4.5);
    EXPECT_EQ(model.Plan.Profiles[2].RoadCathegory, 4);
    EXPECT_EQ(model.Plan.Profiles[3].IsLocality, 1);
    EXPECT_DOUBLE_EQ(model.Plan.Profiles[3].LongitudinalTilt, -0.999);
    // The source "X" column lands in Y and "Y" in X.
    EXPECT_DOUBLE_EQ(p1.KeyPoint0.Y, RoadX(1));
    EXPECT_DOUBLE_EQ(p1.KeyPoint0.X, RoadY(0));
    EXPECT_DOUBLE_EQ(p1.KeyPoint0.H, 100);
    EXPECT_DOUBLE_EQ(p1.KeyPointM1.X, RoadY(-20));
    EXPECT_DOUBLE_EQ(p1.KeyPointM1.H2, 0);
    // 109, 112, 116, 123, 127, 130: five segments with their kinds.
    ASSERT_EQ(p1.SegmentCount(), 5);
    const int expectA[] = {109, 112, 116, 123, 127};
    const int expectB[] = {112, 116, 123, 127, 130};
    const int expectKind[] = {2, 1, 1, 1, 2};
    for (int i = 0; i < 5; ++i) {
        const tProfileSegment& s = p1.Segments[size_t(i)];
        EXPECT_EQ(s.APoint, expectA[i]);
        EXPECT_EQ(s.BPoint, expectB[i]);
        EXPECT_EQ(s.Kind, expectKind[i]);
        EXPECT_EQ(s.SegNo, i + 1);
        EXPECT_EQ(s.FromDtm, 1);
        EXPECT_EQ(s.Covered, 0);
        EXPECT_DOUBLE_EQ(s.A.H2, s.A.H);
        EXPECT_DOUBLE_EQ(s.B.H2, s.B.H);
    }
    EXPECT_DOUBLE_EQ(p1.Segments[0].A.X, RoadY(-10));
    EXPECT_DOUBLE_EQ(p1.Segments[4].B.X, RoadY(10));
    EXPECT_DOUBLE_EQ(p1.Segments[4].B.H, 99.5);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(model.Plan.Profiles[size_t(i)].CrossLook[0].FirstVisible, i);
        EXPECT_EQ(model.Plan.Profiles[size_t(i)].CrossLook[1].FirstVisible, i);
    }
}

TEST_P(RoadImportFormats, HeaderBelowUnitsRowAndEmptyRowFindsData) {
    // Header in row 5, a units row (text first cell) skipped, data from row 7.
    tRows rows = {{"Road survey"}, {}, {"notes"}, {}};
    tRows road = RoadTable(3);
    rows.push_back(road[0]);
    rows.push_back({"units", "m"});
    for (size_t i = 1; i < road.size(); ++i) rows.push_back(road[i]);
    const tImportResult r = Import(rows);
    ASSERT_TRUE(r.Success) << r.Failure.Key.toStdString();
    EXPECT_EQ(r.Count, 3);
}

TEST_P(RoadImportFormats, EmptyRecordNumberEndsTheData) {
    tRows rows = RoadTable(5);
    rows[4][0] = "";
    rows[5][1] = "garbage";  // never read
    const tImportResult r = Import(rows);
    ASSERT_TRUE(r.Success) << r.Failure.Key.toStdString();
    EXPECT_EQ(r.Count, 3);
}

TEST_P(RoadImportFormats, OnlyCarsColumnAndFirstNumberTen) {
    tRows rows = RoadTable(3);
    for (const char* h : {"Trucks", "Buses", "VehicleTrains"}) RemoveColumn(rows, ColumnOf(rows, h));
    for (size_t i = 1; i < rows.size(); ++i) {
        rows[i][ColumnOf(rows, "Cars")] = "1";
        rows[i][0] = QString::number(9 + int(i));
    }
    const tImportResult r = Import(rows);
    ASSERT_TRUE(r.Success) << r.Failure.Key.toStdString();
    EXPECT_EQ(model.Plan.Profiles[0].RecordNumber, 10);
    EXPECT_DOUBLE_EQ(model.Plan.Profiles[2].Cars, 1);
    EXPECT_DOUBLE_EQ(model.Plan.Profiles[2].Trucks, 0);
}

TEST_P(RoadImportFormats, BoundaryValuesAccepted) {
    tRows rows = RoadTable(3);
    SetCell(rows, 1, "Position", "0");
    SetCell(rows, 2, "Position", "0.001");
    SetCell(rows, 3, "Position", "9999999.999");
    SetCell(rows, 1, "CurveRadius", "50000");
    SetCell(rows, 1, "Cars", "0.6");
    SetCell(rows, 1, "Buses", "0.3995");
    SetCell(rows, 1, "Trucks", "0");
    SetCell(rows, 1, "VehicleTrains", "0");
    SetCell(rows, 2, "Clearance", "1.5");
    SetCell(rows, 3, "Clearance", "1000");
    SetCell(rows, 1, "TrafficIntensity", "100000");
    rows[2][14 + 2] = "5000";
    rows[3][14 + 2] = "-120";
    const tImportResult r = Import(rows);
    ASSERT_TRUE(r.Success) << r.Failure.Key.toStdString() << " " << r.Failure.ReasonKey.toStdString();
    EXPECT_DOUBLE_EQ(model.Plan.Profiles[2].Position, 9999999.999);
}

TEST_P(RoadImportFormats, KeyPointHeaderWrittenAsDecimal) {
    tRows rows = RoadTable(3);
    rows[0] << "5.0" << "" << "";
    for (size_t i = 1; i < rows.size(); ++i) rows[i] << "1" << "2" << "3";
    const tImportResult r = Import(rows);
    ASSERT_TRUE(r.Success) << r.Failure.Key.toStdString();
    // Key point 5 starts the chain: 5 -> 109 is a terrain segment.
    ASSERT_EQ(model.Plan.Profiles[0].SegmentCount(), 6);
    EXPECT_EQ(model.Plan.Profiles[0].Segments[0].APoint, 5);
    EXPECT_EQ(model.Plan.Profiles[0].Segments[0].Kind, 3);
    EXPECT_DOUBLE_EQ(model.Plan.Profiles[0].Segments[0].A.X, 2);
}

TEST_P(RoadImportFormats, RequiredColumnAfterEmptyHeaderIsNotRead) {
    tRows rows = RoadTable(3);
    const int c = ColumnOf(rows, "IsSocialActivity");
    QStringList moved;
    for (auto& r : rows) moved << r[c];
    RemoveColumn(rows, c);
    for (size_t i = 0; i < rows.size(); ++i) rows[i] << "" << moved[qsizetype(i)];
    const tImportResult r = Import(rows);
    EXPECT_EQ(r.Failure.Key, "LoadData.MissingRequiredColumn");
    EXPECT_EQ(r.Failure.Placeholder("%XLColHeader%"), "IsSocialActivity");
}

INSTANTIATE_TEST_SUITE_P(Formats, RoadImportFormats, ::testing::Values(tFormat::Csv, tFormat::Xlsx),
                         [](const auto& info) { return std::string(FormatName(info.param)); });

TEST(RoadImportCsv, EmptyLineBeforeDataEndsButSemicolonsSkip) {
    tTableFiles files;
    tRows rows = RoadTable(3);
    rows.insert(rows.begin() + 1, QStringList{";;;"});
    tRoadModel model;
    QByteArray bytes = CsvBytes(rows);
    bytes.replace("\";;;\"", ";;;");
    EXPECT_TRUE(ImportRoad(files.Raw("a.csv", bytes), model).Success);
    rows[1] = QStringList{};
    tRoadModel model2;
    EXPECT_EQ(ImportRoad(files.Csv("b", rows), model2).Failure.Key, "LoadData.NoFirstRowDataFound");
}

TEST(RoadImportCsv, RecordBeyond200000Rejected) {
    tTableFiles files;
    tRows rows = RoadTable(4);
    for (int i = 1; i <= 4; ++i) rows[size_t(i)][0] = QString::number(199997 + i);
    tRoadModel model;
    const tImportResult r = ImportRoad(files.Csv("big", rows), model);
    EXPECT_EQ(r.Failure.Key, "LoadData.IncorrectCellValue");
    EXPECT_EQ(r.Failure.ReasonKey, "LoadData.RecordNumberConstraints");
    EXPECT_EQ(r.Failure.Placeholder("%CellAddr%"), "A5");
}

TEST(RoadImportCsv, HugeCellsGiveReadErrors) {
    tTableFiles files;
    const QString big(1024 * 1024, 'x');
    tRows header = RoadTable(3);
    header[0][5] = big;
    tRoadModel model;
    EXPECT_EQ(ImportRoad(files.Csv("h", header), model).Failure.Key, "LoadData.HeaderReadError");
    tRows data = RoadTable(3);
    data[2][5] = big;
    const tImportResult r = ImportRoad(files.Csv("d", data), model);
    EXPECT_EQ(r.Failure.Key, "LoadData.CellReadError");
    EXPECT_EQ(r.Failure.Placeholder("%CellAddr%"), "F3");
}

TEST(RoadImportCsv, HeaderLineEndingInsideKeyPointBlockCompletes) {
    tTableFiles files;
    tRows rows = RoadTable(3);
    rows[0] = rows[0].mid(0, rows[0].size() - 2);  // the last key point's two empty headers dropped
    tRoadModel model;
    EXPECT_TRUE(ImportRoad(files.Csv("short", rows), model).Success);
}

TEST(RoadImportCsv, BadInputFiles) {
    tTableFiles files;
    tRoadModel model;
    EXPECT_EQ(ImportRoad(files.Raw("empty.csv", ""), model).Failure.Key, "LoadData.NoHeaders");
    QByteArray garbage;
    for (int i = 0; i < 70000; ++i) garbage += char((i * 7919) % 256);
    EXPECT_EQ(ImportRoad(files.Raw("garbage.csv", garbage), model).Failure.Key, "LoadData.NoHeaders");
    EXPECT_EQ(ImportRoad(files.Raw("garbage.xlsx", garbage), model).Failure.Key, "LoadData.ExcelOpenError");
    EXPECT_EQ(ImportRoad(files.Raw("empty.xlsx", ""), model).Failure.Key, "LoadData.ExcelOpenError");
    EXPECT_EQ(ImportRoad(files.Path("missing.csv"), model).Failure.Key, "LoadData.FileNotFound");
    EXPECT_EQ(model.Plan.Count(), 0);
}

TEST(RoadImportCsv, ProgressFollowsCapacityAndCount) {
    tTableFiles files;
    std::vector<int> maxima, positions;
    int idles = 0;
    tProgress progress;
    progress.SetMaximum = [&](int m) { maxima.push_back(m); };
    progress.SetPosition = [&](int p) { positions.push_back(p); };
    progress.Yield = [&] { ++idles; };
    tRoadModel model;
    ASSERT_TRUE(ImportRoad(files.Csv("p", RoadTable(20)), model, progress).Success);
    EXPECT_EQ(maxima, (std::vector<int>{16, 32, 20}));
    ASSERT_EQ(positions.size(), 20u);
    EXPECT_EQ(positions.back(), 20);
    EXPECT_GE(idles, 20);
}

}  // namespace

namespace {

TEST(RoadImportXlsx, HeaderInRowFiveEmptyRowSixDataFromSeven) {
    for (int dataRows : {2, 3}) {
        tRows rows = {{"Survey"}, {}, {}, {}};
        const tRows road = RoadTable(dataRows);
        rows.push_back(road[0]);
        rows.push_back({});
        for (size_t i = 1; i < road.size(); ++i) rows.push_back(road[i]);
        tTableFiles files;
        tRoadModel model;
        const auto r = ImportRoad(files.Xlsx("road", {rows}), model);
        if (dataRows == 2) {
            EXPECT_EQ(r.Failure.Key, "LoadData.MinRoadRowsConstraint");
        } else {
            ASSERT_TRUE(r.Success) << r.Failure.Key.toStdString();
            EXPECT_EQ(r.Count, 3);
            EXPECT_FALSE(r.FromCsv);
            EXPECT_EQ(r.Sheet, 1);
        }
    }
}

TEST(RoadImportXlsx, HeaderRowSearchStopsAfterRow1000) {
    for (int headerRow : {1000, 1001}) {
        tRows rows(size_t(headerRow - 1), QStringList{"note"});
        const tRows road = RoadTable(3);
        rows.insert(rows.end(), road.begin(), road.end());
        tTableFiles files;
        tRoadModel model;
        const auto r = ImportRoad(files.Xlsx("road", {rows}), model);
        EXPECT_EQ(r.Success, headerRow == 1000) << headerRow;
        if (headerRow == 1001) {
            EXPECT_EQ(r.Failure.Key, "LoadData.NoHeaders");
        }
    }
}

}  // namespace
