// Files a user may pick by mistake: each gives exactly one message of the
// importer's set and leaves the model untouched.
#include "core/import/road_import.h"
#include "core/import/source_reader.h"

#include "import_tables.h"
#include "zip_parts.h"

#include <QFileInfo>
#include <gtest/gtest.h>

using namespace kestrova;
using namespace kestrova::test;

namespace {

TEST(BadInput, MixedEncodingsInOneCsvFile) {
    // Row 2 says "так" in UTF-8, row 3 "ТАК" in Windows-1251: the file as a
    // whole is not UTF-8, so it reads as Windows-1251 and row 2's word is
    // garbage there. The first rejected cell is named.
    tRows rows = RoadTable(3);
    const int col = ColumnOf(rows, "IsLocality");
    rows[1][col] = "@UTF8@";
    rows[2][col] = "@CP1251@";
    QByteArray bytes = CsvBytes(rows);
    bytes.replace("@UTF8@", "\xD1\x82\xD0\xB0\xD0\xBA");
    bytes.replace("@CP1251@", "\xD2\xC0\xCA");
    tTableFiles files;
    tRoadModel model;
    const auto r = ImportRoad(files.Raw("mixed.csv", bytes), model);
    EXPECT_EQ(r.Failure.Key, "LoadData.IncorrectCellValue");
    EXPECT_EQ(r.Failure.ReasonKey, "LoadData.IncorrectLocalitySign");
    EXPECT_EQ(r.Failure.Placeholder("%CellAddr%"), "M2");
    EXPECT_EQ(model.Plan.Count(), 0);

    // The same table all in Windows-1251 loads.
    QByteArray cp = CsvBytes(rows);
    cp.replace("@UTF8@", "\xF2\xE0\xEA");  // "так"
    cp.replace("@CP1251@", "\xD2\xC0\xCA");
    EXPECT_TRUE(ImportRoad(files.Raw("cp1251.csv", cp), model).Success);
    EXPECT_EQ(model.Plan.Profiles[0].IsLocality, 1);
    EXPECT_EQ(model.Plan.Profiles[1].IsLocality, 1);
}

TEST(BadInput, HugeCellInAWorkbook) {
    tTableFiles files;
    tRows rows = RoadTable(3);
    const QByteArray big(1024 * 1024, 'x');
    QByteArray sheet;
    sheet += "<row r=\"1\"><c r=\"A1\" t=\"inlineStr\"><is><t>RecordNumber</t></is></c></row>";
    sheet += "<row r=\"2\"><c r=\"A2\" t=\"inlineStr\"><is><t>" + big + "</t></is></c></row>";
    const QString path = files.Path("huge.xlsx");
    ASSERT_TRUE(WriteZip(path, OneSheetPackage(sheet)));
    tRoadModel model;
    EXPECT_EQ(ImportRoad(path, model).Failure.Key, "LoadData.ExcelOpenError");
}

TEST(BadInput, BrokenXlsFiles) {
    tTableFiles files;
    const QByteArray xls = ReadFile(TestData("import/road.xls"));
    ASSERT_GT(xls.size(), 4096);
    tRoadModel model;
    for (qsizetype cut : {qsizetype(8), qsizetype(600), xls.size() / 2}) {
        const auto r = ImportRoad(files.Raw("cut.xls", xls.left(cut)), model);
        EXPECT_EQ(r.Failure.Key, "LoadData.ExcelOpenError") << cut;
    }
    // A compound-file signature in front of garbage.
    QByteArray garbage = xls.left(8);
    for (int i = 0; i < 5000; ++i) garbage += char((i * 131) % 251);
    EXPECT_EQ(ImportRoad(files.Raw("garbage.xls", garbage), model).Failure.Key, "LoadData.ExcelOpenError");
    // Fewer sheets than asked for.
    tFileRec rec;
    tImportFailure failure;
    EXPECT_FALSE(OpenSource(TestData("import/greens.xls"), rec, 2, failure));
    EXPECT_EQ(failure.Key, "LoadData.ExcelOpenError");
    EXPECT_EQ(model.Plan.Count(), 0);
}

TEST(BadInput, UnreadableCsvFile) {
    // A file that exists but whose bytes cannot be read. /proc/self/mem opens
    // but fails at offset 0; where there is no such file the case is moot.
    if (!QFileInfo::exists("/proc/self/mem")) GTEST_SKIP() << "no unreadable file to point at";
    tTableFiles files;
    const QString link = files.Path("unreadable.csv");
    ASSERT_TRUE(QFile::link("/proc/self/mem", link));
    tRoadModel model;
    const auto r = ImportRoad(link, model);
    EXPECT_EQ(r.Failure.Key, "LoadData.FileOpenError");
    EXPECT_EQ(r.Failure.Placeholder("%FileName%"), link);
}

TEST(BadInput, RepeatedHeaderRowInTheData) {
    tRows rows = RoadTable(4);
    rows.insert(rows.begin() + 3, rows[0]);
    tTableFiles files;
    tRoadModel model;
    const auto r = ImportRoad(files.Csv("repeat", rows), model);
    EXPECT_EQ(r.Failure.Key, "LoadData.IncorrectCellValue");
    EXPECT_EQ(r.Failure.ReasonKey, "LoadData.RecordNumberConstraints");
    EXPECT_EQ(r.Failure.Placeholder("%CellAddr%"), "A4");
}

}  // namespace
