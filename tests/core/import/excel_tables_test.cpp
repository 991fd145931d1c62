#include "core/import/excel_tables.h"
#include "core/import/road_import.h"
#include "core/import/source_reader.h"

#include "import_tables.h"
#include "zip_parts.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

using namespace kestrova;
using namespace kestrova::test;

namespace {

class XlsxReadTest : public ::testing::Test {
protected:
    QString Write(const tParts& parts, const QString& name = "book.xlsx") {
        const QString path = files.Path(name);
        EXPECT_TRUE(WriteZip(path, parts));
        return path;
    }
    tTableFiles files;
};

TEST_F(XlsxReadTest, SheetOrderAndNamesComeFromTheWorkbookPart) {
    // The first sheet in workbook order lives in sheet2.xml.
    tParts parts = {{"xl/workbook.xml", WorkbookXml({"Road", "Cross"})},
                    {"xl/_rels/workbook.xml.rels", WorkbookRels({"worksheets/sheet2.xml", "/xl/worksheets/sheet1.xml"}, false)},
                    {"xl/worksheets/sheet1.xml", SheetXml("<row r=\"1\"><c r=\"A1\" t=\"inlineStr\"><is><t>cross</t></is></c></row>")},
                    {"xl/worksheets/sheet2.xml", SheetXml("<row r=\"1\"><c r=\"A1\" t=\"inlineStr\"><is><t>road</t></is></c></row>")}};
    TExcel book(Write(parts));
    ASSERT_EQ(book.LastError(), TExcel::NoError);
    EXPECT_EQ(book.SheetCount(), 2);
    EXPECT_EQ(book.SheetName(0), "Road");
    EXPECT_EQ(book.SheetName(1), "Cross");
    EXPECT_EQ(book.SheetName(2), "");
    ASSERT_TRUE(book.SelectSheet(" road "));
    EXPECT_EQ(book.GetCell(1, 1), "road");
    ASSERT_TRUE(book.SelectSheet("CROSS"));
    EXPECT_EQ(book.CurrentSheet(), 1);
    EXPECT_EQ(book.GetCell(1, 1), "cross");
}

TEST_F(XlsxReadTest, CellsAsTheUserSeesThem) {
    const QByteArray shared =
        "<si><t>plain</t></si>"
        "<si><r><t>ri</t></r><r><rPr><b/></rPr><t xml:space=\"preserve\">ch </t></r><rPh><t>skip</t></rPh></si>"
        "<si><t>&lt;&amp;&gt;</t></si>";
    const QByteArray rows =
        "<row r=\"1\">"
        "<c r=\"A1\" t=\"s\"><v>0</v></c>"
        "<c r=\"B1\" t=\"s\"><v>1</v></c>"
        "<c r=\"C1\" t=\"s\"><v>2</v></c>"
        "<c r=\"D1\" t=\"inlineStr\"><is><r><t>in</t></r><r><t>line</t></r></is></c>"
        "<c r=\"E1\" t=\"b\"><v>1</v></c>"
        "<c r=\"F1\" t=\"b\"><v>0</v></c>"
        "<c r=\"G1\" t=\"str\"><f>\"a\"&amp;\"b\"</f><v>ab</v></c>"
        "<c r=\"H1\"><f>1+1</f><v>2</v></c>"
        "<c r=\"I1\" t=\"e\"><v>#N/A</v></c>"
        "<c r=\"J1\" s=\"3\"/>"
        "</row>"
        "<row r=\"3\">"
        "<c r=\"A3\"><v>0.1</v></c>"
        "<c r=\"B3\"><v>0.30000000000000004</v></c>"
        "<c r=\"C3\"><v>100</v></c>"
        "<c r=\"D3\"><v>1E+20</v></c>"
        "<c r=\"E3\"><v>12345678.9</v></c>"
        "<c r=\"F3\"><v>-0</v></c>"
        "<c r=\"G3\"><v>-2.5E-3</v></c>"
        "<c r=\"H3\"><v>123456789012345678</v></c>"
        "</row>"
        "<row><c><v>7</v></c><c><v>8</v></c><c r=\"E4\"><v>9</v></c><c><v>10</v></c></row>";
    TExcel book(Write(OneSheetPackage(rows, shared)));
    ASSERT_TRUE(book.SelectSheet(book.SheetName(0)));
    const std::vector<std::tuple<int, int, QString>> expected = {
        {1, 1, "plain"}, {1, 2, "rich "}, {1, 3, "<&>"},  {1, 4, "inline"}, {1, 5, "TRUE"},
        {1, 6, "FALSE"}, {1, 7, "ab"},    {1, 8, "2"},    {1, 9, "#N/A"},   {1, 10, ""},
        {2, 1, ""},      {3, 1, "0.1"},   {3, 2, "0.3"},  {3, 3, "100"},    {3, 4, "1e+20"},
        {3, 5, "12345678.9"}, {3, 6, "0"}, {3, 7, "-0.0025"}, {3, 8, "1.23456789012346e+17"},
        {4, 1, "7"},     {4, 2, "8"},     {4, 3, ""},     {4, 5, "9"},      {4, 6, "10"},
    };
    for (const auto& [r, c, text] : expected) EXPECT_EQ(book.GetCell(r, c), text) << r << "," << c;
    EXPECT_EQ(book.LastError(), TExcel::NoError);
}

TEST_F(XlsxReadTest, BrokenWorkbooksFailToOpenOrSelect) {
    struct tCase {
        const char* Name;
        tParts Parts;
        bool Opens;  // Create succeeds (the sheet part is read on selection)
    };
    const QByteArray goodRows = "<row r=\"1\"><c r=\"A1\"><v>1</v></c></row>";
    auto withSheet = [&](const QByteArray& sheetXml, const QByteArray& shared = {}) {
        tParts p = OneSheetPackage(goodRows, shared);
        p[2].second = sheetXml;
        return p;
    };
    const std::vector<tCase> cases = {
        {"MalformedSheetXml", withSheet("<worksheet><sheetData><row r=\"1\"><c r=\"A1\"><v>1</c></row>"), true},
        {"UnclosedSheetXml", withSheet("<worksheet><sheetData><row r=\"1\">"), true},
        {"CellBeyondLastColumn", withSheet(SheetXml("<row r=\"1\"><c r=\"XFE1\"><v>1</v></c></row>")), true},
        {"RowBeyondLastRow", withSheet(SheetXml("<row r=\"1048577\"><c><v>1</v></c></row>")), true},
        {"RowsOutOfOrder", withSheet(SheetXml("<row r=\"5\"/><row r=\"2\"/>")), true},
        {"SharedIndexOutOfRange",
         withSheet(SheetXml("<row r=\"1\"><c r=\"A1\" t=\"s\"><v>5</v></c></row>"), "<si><t>x</t></si>"), true},
        {"EntityDeclarations",
         withSheet("<?xml version=\"1.0\"?><!DOCTYPE lolz [<!ENTITY lol \"lol\">]><worksheet><sheetData/></worksheet>"),
         true},
        {"MissingSheetPart", {{"xl/workbook.xml", WorkbookXml({"S"})},
                              {"xl/_rels/workbook.xml.rels", WorkbookRels({"worksheets/sheet9.xml"}, false)}}, true},
        {"MalformedWorkbookXml", {{"xl/workbook.xml", "<workbook><sheets><sheet name=\"a\""},
                                  {"xl/_rels/workbook.xml.rels", WorkbookRels({"worksheets/sheet1.xml"}, false)}}, false},
        {"NoWorkbookPart", {{"docProps/app.xml", "<x/>"}}, false},
    };
    for (const auto& c : cases) {
        TExcel book(Write(c.Parts, QString(c.Name) + ".xlsx"));
        const bool opened = book.LastError() == TExcel::NoError;
        EXPECT_EQ(opened, c.Opens) << c.Name;
        if (opened) {
            EXPECT_FALSE(book.SelectSheet(book.SheetName(0))) << c.Name;
            EXPECT_EQ(book.LastError(), TExcel::SheetNotFound) << c.Name;
        }
        tFileRec rec;
        tImportFailure failure;
        EXPECT_FALSE(OpenSource(files.Path(QString(c.Name) + ".xlsx"), rec, 1, failure)) << c.Name;
        EXPECT_EQ(failure.Key, "LoadData.ExcelOpenError") << c.Name;
    }
}

TEST_F(XlsxReadTest, PartsBeyondTheSizeLimitAreRejected) {
    QByteArray rows;
    for (int r = 1; r <= 2000; ++r)
        rows += "<row r=\"" + QByteArray::number(r) + "\"><c r=\"A" + QByteArray::number(r) + "\"><v>" +
                QByteArray::number(r) + "</v></c></row>";
    const QString path = Write(OneSheetPackage(rows));
    const qint64 saved = XlsxPartLimit();
    SetXlsxPartLimit(16 * 1024);  // the sheet part is about 70 KB
    {
        TExcel book(path);
        EXPECT_FALSE(book.SelectSheet(book.SheetName(0)));
    }
    SetXlsxPartLimit(saved);
    TExcel book(path);
    ASSERT_TRUE(book.SelectSheet(book.SheetName(0)));
    EXPECT_EQ(book.GetCell(2000, 1), "2000");
}

TEST_F(XlsxReadTest, TruncatedAndEmptyWorkbooks) {
    tTableFiles tables;
    const QString good = tables.Xlsx("good", {RoadTable(3)});
    QByteArray bytes = ReadFile(good);
    ASSERT_GT(bytes.size(), 200);
    for (qsizetype cut : {qsizetype(4), bytes.size() / 2, bytes.size() - 10}) {
        const QString path = files.Raw("cut.xlsx", bytes.left(cut));
        TExcel book(path);
        const bool readable = book.LastError() == TExcel::NoError && book.SelectSheet(book.SheetName(0));
        EXPECT_FALSE(readable) << cut;
        tRoadModel model;
        EXPECT_EQ(ImportRoad(path, model).Failure.Key, "LoadData.ExcelOpenError") << cut;
    }
    // A workbook without sheets, and one with fewer sheets than asked for.
    const QString none = Write({{"xl/workbook.xml", WorkbookXml({})},
                                {"xl/_rels/workbook.xml.rels", WorkbookRels({}, false)}}, "none.xlsx");
    TExcel empty(none);
    EXPECT_EQ(empty.LastError(), TExcel::NoError);
    EXPECT_EQ(empty.SheetCount(), 0);
    tFileRec rec;
    tImportFailure failure;
    EXPECT_FALSE(OpenSource(none, rec, 1, failure));
    EXPECT_EQ(failure.Key, "LoadData.ExcelOpenError");
    tImportFailure f2;
    EXPECT_FALSE(OpenSource(good, rec, 2, f2));
    EXPECT_EQ(f2.Key, "LoadData.ExcelOpenError");
}

TEST(TExcelTest, ErrorCodesArePendingUntilRead) {
    TExcel book{QString()};
    EXPECT_EQ(book.SheetCount(), 1);
    EXPECT_FALSE(book.SelectSheet("nope"));
    // While the code is pending the operations do nothing.
    EXPECT_EQ(book.SheetCount(), -1);
    EXPECT_EQ(book.SheetName(0), "");
    EXPECT_FALSE(book.SetCell(1, 1, "x"));
    EXPECT_EQ(book.LastError(), TExcel::SheetNotFound);
    EXPECT_EQ(book.LastError(), TExcel::NoError);
    EXPECT_EQ(book.GetCell(0, 1), "");
    EXPECT_EQ(book.LastError(), TExcel::NoDataRead);
    EXPECT_FALSE(book.ReadBlock());
    EXPECT_EQ(book.LastError(), TExcel::NoDataRead);
    EXPECT_FALSE(book.WriteBlock());
    EXPECT_EQ(book.LastError(), TExcel::NoDataWrite);
    TExcel missing(QStringLiteral("/nonexistent/file.xlsx"));
    EXPECT_EQ(missing.LastError(), TExcel::FileNotLoaded);
}

TEST(TExcelTest, ReleaseShowsThroughTheHookAndStaysReleased) {
    int shown = 0;
    TExcel::SetShowHook([&](TExcel&) {
        ++shown;
        return true;
    });
    TExcel book{QString()};
    EXPECT_TRUE(book.ShowApplication());
    book.Release(true);
    EXPECT_EQ(shown, 2);
    EXPECT_EQ(book.LastError(), TExcel::xlsUnassigned);
    EXPECT_EQ(book.LastError(), TExcel::xlsUnassigned);
    EXPECT_FALSE(book.ShowApplication());
    TExcel::SetShowHook({});
    TExcel other{QString()};
    EXPECT_FALSE(other.ShowApplication());
    EXPECT_EQ(other.LastError(), TExcel::NoExcelOpen);
}

TEST(TExcelTest, FailedImportHandsTheWorkbookToTheUser) {
    tTableFiles files;
    tRows rows = RoadTable(3);
    rows[2][0] = "9";
    const QString path = files.Xlsx("bad", {rows});
    QString shownFile;
    TExcel::SetShowHook([&](TExcel& book) {
        shownFile = book.FileName();
        return true;
    });
    tRoadModel model;
    EXPECT_EQ(ImportRoad(path, model).Failure.Key, "LoadData.IncorrectCellValue");
    EXPECT_EQ(shownFile, path);
    shownFile.clear();
    EXPECT_TRUE(ImportRoad(files.Xlsx("good", {RoadTable(3)}), model).Success);
    EXPECT_TRUE(shownFile.isEmpty());
    TExcel::SetShowHook({});
}

TEST(TExcelTest, BlocksSheetsAndSaving) {
    tTableFiles files;
    TExcel book{QString()};
    EXPECT_EQ(book.AddSheet(), 1);
    EXPECT_EQ(book.SheetName(1), "Sheet2");
    EXPECT_TRUE(book.RenameSheet("sheet2", QString(40, 'n')));
    EXPECT_EQ(book.SheetName(1), QString(31, 'n'));
    EXPECT_FALSE(book.RenameSheet(QString(31, 'n'), "Sheet1"));  // taken
    EXPECT_EQ(book.LastError(), TExcel::SheetNotFound);
    book.StartBlock(2, 2, 2, 2);
    EXPECT_TRUE(book.SetCell(2, 2, "12.5"));
    EXPECT_TRUE(book.SetCell(3, 3, QString::fromUtf8("Дорога")));
    EXPECT_EQ(book.GetCell(2, 2), "12.5");
    EXPECT_TRUE(book.WriteBlock());
    book.ClearBlock();
    EXPECT_TRUE(book.SetCell(1, 1, "007"));
    // A user's file under the name of an obvious temporary is not touched,
    // and no temporary is left behind.
    QFile mine(files.Path("out.xlsx.part"));
    ASSERT_TRUE(mine.open(QIODevice::WriteOnly) && mine.write("mine") == 4);
    mine.close();
    const int before = int(QDir(QFileInfo(files.Path("out.xlsx")).absolutePath()).entryList(QDir::Files | QDir::Hidden).size());
    ASSERT_TRUE(book.SaveAs(files.Path("out.xlsx")));
    ASSERT_TRUE(mine.open(QIODevice::ReadOnly));
    EXPECT_EQ(mine.readAll(), "mine");
    EXPECT_EQ(int(QDir(QFileInfo(files.Path("out.xlsx")).absolutePath()).entryList(QDir::Files | QDir::Hidden).size()),
              before + 1);
    TExcel back(files.Path("out.xlsx"));
    ASSERT_TRUE(back.SelectSheet(QString(31, 'n')));
    EXPECT_EQ(back.GetCell(2, 2), "12.5");
    EXPECT_EQ(back.GetCell(3, 3), QString::fromUtf8("Дорога"));
    EXPECT_EQ(back.GetCell(1, 1), "007");
    EXPECT_EQ(back.UsedRows(), 3);
    EXPECT_EQ(back.UsedCols(), 3);
}

}  // namespace
