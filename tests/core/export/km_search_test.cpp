// The km+ search text, the nearest profile, and the workbook text writer.
#include "core/export/km_search.h"
#include "core/export/xlsx_writer.h"
#include "core/import/excel_tables.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <string_view>

namespace kestrova {
namespace {

struct tParseCase {
    const char* Text;
    bool Valid;
    double Position;
};

TEST(KmSearch, ParsesTheSearchBoxText) {
    const tParseCase cases[] = {
        {"  12+345,6 ", true, 12345.6},     {"  12+345.6 ", true, 12345.6},   {"   0+000,00", true, 0},
        {"9999+999,99", true, 9999999.99},  {"   0+250,  ", true, 250},       {"  12+345", true, 12345},
        {"+345,00", false, 0},              {"    +345,00", false, 0},        {"   1+   ,  ", false, 0},
        {"   1+1000", false, 0},            {"  ab+345,00", false, 0},        {"", false, 0},
        {"   1+345,5x", false, 0},          {"    +   ,  ", false, 0},
        {"   3+007,0009", true, 3007.0009}, {"   3+007,12345", true, 3007.1234},
        // Places of the mask left blank after a digit: still being typed.
        {"   1+3  ,  ", false, 0},          {"   1+34 ,  ", false, 0},        {"1+3  ,", false, 0},
        {"1   +345,00", false, 0},          {"   0+345,  ", true, 345},      {"   0+  5,00", true, 5},
    };
    for (const tParseCase& c : cases) {
        double position = -1;
        // The empty box text is the one the window shows.
        if (c.Text == std::string_view("    +   ,  ")) {
            EXPECT_EQ(QString::fromLatin1(c.Text), kEmptyKmPlusText);
        }
        EXPECT_EQ(ParseSearchKmPlus(QString::fromLatin1(c.Text), position), c.Valid) << c.Text;
        if (c.Valid) {
            EXPECT_NEAR(position, c.Position, 1e-9) << c.Text;
        }
    }
}

TEST(KmSearch, NormalisesTheKilometreField) {
    EXPECT_EQ(NormaliseKmField(QStringLiteral("12  +345,  ")), QStringLiteral("  12+345,  "));
    EXPECT_EQ(NormaliseKmField(QStringLiteral("    +250,  ")), QStringLiteral("   0+250,  "));
    EXPECT_EQ(NormaliseKmField(QStringLiteral("  12+345,  ")), QStringLiteral("  12+345,  "));
}

TEST(KmSearch, NearestProfileTakesTheFirstAmongEquals) {
    TMPlan plan;
    for (double p : {0.0, 10.0, 20.0, 30.0}) {
        tPlanProfile profile;
        profile.Position = p;
        plan.Profiles.push_back(profile);
    }
    EXPECT_EQ(NearestProfile(plan, 15.0), 1);
    EXPECT_EQ(NearestProfile(plan, 16.0), 2);
    EXPECT_EQ(NearestProfile(plan, 1e6), 3);
    EXPECT_EQ(NearestProfile(TMPlan{}, 5.0), -1);
    tPivotData pivot;
    pivot.Rows.push_back({0, 10, 0, 1});
    pivot.Rows.push_back({10, 30, 1, 3});
    EXPECT_EQ(PivotRowOfProfile(pivot, 1), 0);  // a boundary profile belongs to the first segment holding it
    EXPECT_EQ(PivotRowOfProfile(pivot, 2), 1);
    EXPECT_EQ(PivotRowOfProfile(pivot, 7), -1);
}

TEST(XlsxWriter, WritesEveryCellAsText) {
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("grid.xlsx"));
    const std::vector<std::vector<QString>> rows = {
        {QStringLiteral("Km\r\n+"), QStringLiteral("Speed")}, {QStringLiteral("0012"), QStringLiteral("=1+1")},
        {QStringLiteral("1.5"), QString()}};
    const auto cell = [&](int r, int c) { return rows[r][c]; };
    const QString longName = QStringLiteral("A sheet name much longer than thirty-one characters");
    ASSERT_EQ(WriteXlsxTextSheet(file, longName, 3, 2, cell), tXlsxResult::Ok);
    TExcel book(file);
    ASSERT_EQ(book.LastError(), 0);
    EXPECT_EQ(book.SheetName(0), longName.left(31));
    EXPECT_EQ(book.GetCell(1, 1), QStringLiteral("Km +"));
    EXPECT_EQ(book.GetCell(2, 1), QStringLiteral("0012"));
    EXPECT_EQ(book.GetCell(2, 2), QStringLiteral("=1+1"));
    EXPECT_EQ(book.GetCell(3, 1), QStringLiteral("1.5"));
}

TEST(XlsxWriter, RefusedSheetNameWritesNothing) {
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("grid.xlsx"));
    EXPECT_EQ(WriteXlsxTextSheet(file, QStringLiteral("bad[name]"), 1, 1, [](int, int) { return QStringLiteral("x"); }),
              tXlsxResult::BadSheetName);
    EXPECT_FALSE(QFile::exists(file));
    EXPECT_EQ(WriteXlsxTextSheet(dir.filePath(QStringLiteral("no/such/folder/g.xlsx")), QStringLiteral("S"), 1, 1,
                                 [](int, int) { return QStringLiteral("x"); }),
              tXlsxResult::CannotCreate);
}

}  // namespace
}  // namespace kestrova
