// .ods spreadsheets: LibreOffice's own files import field for field like the
// CSV tables they were made from, for all three tables, from separate files
// and from sheets 1 to 3 of one workbook; and the reader's handling of
// repeated rows and columns, covered cells and cell texts.
#include "core/import/crossroads_import.h"
#include "core/import/excel_tables.h"
#include "core/import/greens_import.h"
#include "core/import/road_import.h"

#include "import_tables.h"
#include "test_support.h"
#include "zip_parts.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

using namespace kestrova;
using namespace kestrova::test;

namespace {

struct tTables {
    QString Road, Cross, Greens;
    tSheetChoice CrossSheet = tSheetChoice::SeparateFile, GreensSheet = tSheetChoice::SeparateFile;
};

struct tOdsCase {
    const char* Name;
    tTables Ods;
    tTables Csv;
};

std::string Num(double v) {
    char b[40];
    std::snprintf(b, sizeof b, "%.17g", v);
    return b;
}

std::string Point(const tRoadPoint& p) {
    return Num(p.X) + " " + Num(p.Y) + " " + Num(p.H) + " " + Num(p.H2) + " " + std::to_string(p.ProfileIndex) + " " +
           std::to_string(p.PointSegNo);
}

// Every imported field of a model, one line per record, numbers exact.
std::vector<std::string> Fields(const tRoadModel& m) {
    std::vector<std::string> out;
    for (const auto& p : m.Plan.Profiles) {
        std::string line = std::to_string(p.RecordNumber) + " " + Num(p.Position) + " " + std::to_string(p.RoadCathegory) +
                           " " + std::to_string(p.TrafficIntensity) + " " + Num(p.Cars) + " " + Num(p.Trucks) + " " +
                           Num(p.Buses) + " " + Num(p.VehicleTrains) + " " + Num(p.CurveRadius) + " " +
                           Num(p.LongitudinalTilt) + " " + Num(p.SlicknessValue) + " " + Num(p.Clearance) + " " +
                           std::to_string(p.IsLocality) + " " + std::to_string(p.IsSocialActivity) + " | " +
                           Point(p.KeyPointM1) + " | " + Point(p.KeyPoint0);
        for (const auto& s : p.Segments)
            line += " | " + Point(s.A) + " " + Point(s.B) + " " + std::to_string(s.Kind) + " " + std::to_string(s.APoint) +
                    " " + std::to_string(s.BPoint);
        out.push_back(line);
    }
    for (const auto& c : m.CrossRoads.Roads) {
        out.push_back("cross " + c.Name.toStdString());
        for (const auto& p : c.Points) out.push_back(Point(p));
    }
    for (const auto& g : m.Greens.Objects) {
        out.push_back("object " + g.Name.toStdString() + " " + std::to_string(g.IsVegetation) + " " +
                      std::to_string(g.FirstProfile) + " " + std::to_string(g.LastProfile));
        for (const auto& p : g.Points) out.push_back(Point(p));
    }
    return out;
}

tRoadModel Load(const tTables& t, const char* name) {
    tRoadModel m;
    const auto road = ImportRoad(t.Road, m);
    EXPECT_TRUE(road.Success) << name << " road: " << road.Failure.Key.toStdString();
    const auto greens = ImportGreens(t.Road, t.Greens, t.GreensSheet, m);
    EXPECT_TRUE(greens.Success) << name << " greens: " << greens.Failure.Key.toStdString();
    const auto cross = ImportCrossRoads(t.Road, t.Cross, t.CrossSheet, m);
    EXPECT_TRUE(cross.Success) << name << " crossroads: " << cross.Failure.Key.toStdString();
    return m;
}

class OdsFixtures : public ::testing::TestWithParam<tOdsCase> {};

TEST_P(OdsFixtures, ImportFieldForFieldLikeTheirCsv) {
    const tOdsCase& c = GetParam();
    const std::vector<std::string> ods = Fields(Load(c.Ods, c.Name));
    const std::vector<std::string> csv = Fields(Load(c.Csv, c.Name));
    ASSERT_GT(csv.size(), 10u);
    ASSERT_EQ(ods.size(), csv.size());
    for (size_t i = 0; i < ods.size(); ++i) ASSERT_EQ(ods[i], csv[i]) << "record line " << i;
}

tTables Examples() {
    const QString d = SourceDir() + "/examples/";
    return {d + "road.csv", d + "crossroads.csv", d + "greens.csv"};
}

INSTANTIATE_TEST_SUITE_P(
    LibreOffice, OdsFixtures,
    ::testing::Values(
        // The example tables, each converted by LibreOffice into a file of its own.
        tOdsCase{"examples", {TestData("ods/road.ods"), TestData("ods/crossroads.ods"), TestData("ods/greens.ods")},
                 Examples()},
        // One workbook: the road on sheet 1, the crossroads on 2, vegetation and buildings on 3.
        tOdsCase{"sheets",
                 {TestData("ods/sheets.ods"), "", "", tSheetChoice::SecondSheet, tSheetChoice::ThirdSheet},
                 {TestData("import/road.csv"), TestData("import/crossroads.csv"), TestData("import/greens.csv")}}),
    [](const auto& info) { return std::string(info.param.Name); });

QByteArray Content(const QByteArray& tables) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?><office:document-content "
           "xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
           "xmlns:table=\"urn:oasis:names:tc:opendocument:xmlns:table:1.0\" "
           "xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\"><office:body><office:spreadsheet>" +
           tables + "</office:spreadsheet></office:body></office:document-content>";
}

TEST(OdsReader, RepeatsCoveredCellsAndTexts) {
    const QByteArray first =
        "<table:table table:name=\"First\">"
        "<table:table-row>"
        "<table:table-cell office:value-type=\"string\"><text:p>a</text:p></table:table-cell>"
        "<table:covered-table-cell/>"
        "<table:table-cell table:number-columns-repeated=\"3\" office:value-type=\"float\" office:value=\"2.5\">"
        "<text:p>2,50</text:p></table:table-cell>"
        "<table:table-cell office:value-type=\"boolean\" office:boolean-value=\"true\"><text:p>TRUE</text:p>"
        "</table:table-cell>"
        "</table:table-row>"
        "<table:table-row table:number-rows-repeated=\"2\"><table:table-cell office:value-type=\"percentage\" "
        "office:value=\"0.30000000000000004\"/></table:table-row>"
        "<table:table-row table:number-rows-repeated=\"5\"><table:table-cell table:number-columns-repeated=\"1024\"/>"
        "</table:table-row>"
        "<table:table-row><table:table-cell office:value-type=\"string\">"
        "<office:annotation><text:p>a note</text:p></office:annotation>"
        "<text:p>x<text:s text:c=\"2\"/>y<text:span>!</text:span></text:p><text:p>z</text:p></table:table-cell>"
        "<table:table-cell table:number-columns-repeated=\"16382\"/>"
        "<table:table-cell office:value-type=\"float\" office:value=\"-1\"/></table:table-row>"
        "<table:table-row table:number-rows-repeated=\"1048567\"><table:table-cell table:number-columns-repeated="
        "\"16384\"/></table:table-row>"
        "</table:table>";
    const QByteArray second = "<table:table table:name=\"Second\"><table:table-row><table:table-cell "
                              "office:value-type=\"float\" office:value=\"1e20\"/></table:table-row></table:table>";
    tTableFiles files;
    const QString path = files.Path("book.ods");
    ASSERT_TRUE(WriteZip(path, {{"mimetype", "application/vnd.oasis.opendocument.spreadsheet"},
                                {"content.xml", Content(first + second)}}));
    TExcel book(path);
    ASSERT_EQ(book.LastError(), TExcel::NoError);
    EXPECT_EQ(book.SheetName(0), "First");
    EXPECT_EQ(book.SheetName(1), "Second");
    ASSERT_TRUE(book.SelectSheet("First"));
    const std::vector<std::tuple<int, int, QString>> expected = {
        {1, 1, "a"},   {1, 2, ""},    {1, 3, "2.5"},      {1, 4, "2.5"},  {1, 5, "2.5"}, {1, 6, "TRUE"},
        {1, 7, ""},    {2, 1, "0.3"}, {3, 1, "0.3"},      {4, 1, ""},     {8, 1, ""},    {9, 1, "x  y!\nz"},
        {9, 2, ""},    {9, 16384, "-1"}, {10, 1, ""},     {1048576, 1, ""},
    };
    for (const auto& [r, c, text] : expected) EXPECT_EQ(book.GetCell(r, c), text) << r << "," << c;
    ASSERT_TRUE(book.SelectSheet("Second"));
    EXPECT_EQ(book.GetCell(1, 1), "1e+20");
    EXPECT_EQ(book.LastError(), TExcel::NoError);
}

// Values beyond the sheet's edge, repeated past the cell limit, or broken
// repeat counts make the file unreadable; empty ones beyond the edge do not.
TEST(OdsReader, RepeatsBeyondTheLimitsFail) {
    const QByteArray value = "office:value-type=\"float\" office:value=\"1\"";
    struct tCase {
        const char* Name;
        QByteArray Rows;
    };
    const std::vector<tCase> cases = {
        {"value past the last column",
         "<table:table-row><table:table-cell table:number-columns-repeated=\"16385\" " + value + "/></table:table-row>"},
        {"value past the last row", "<table:table-row table:number-rows-repeated=\"1048577\"><table:table-cell " +
                                        value + "/></table:table-row>"},
        {"too many cells", "<table:table-row table:number-rows-repeated=\"1048576\"><table:table-cell "
                           "table:number-columns-repeated=\"40\" " + value + "/></table:table-row>"},
        {"repeat zero", "<table:table-row table:number-rows-repeated=\"0\"/>"},
        {"repeat not a number", "<table:table-row><table:table-cell table:number-columns-repeated=\"x\"/></table:table-row>"},
    };
    tTableFiles files;
    for (const auto& c : cases) {
        const QString path = files.Path("bad.ods");
        ASSERT_TRUE(WriteZip(path, {{"content.xml", Content("<table:table table:name=\"T\">" + c.Rows + "</table:table>")}}));
        TExcel book(path);
        EXPECT_FALSE(book.LastError() == TExcel::NoError && book.SelectSheet("T")) << c.Name;
    }
}

}  // namespace
