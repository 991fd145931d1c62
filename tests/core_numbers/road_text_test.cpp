// km+ texts, category and yes/no cells, and the cell parsers.
#include "import/cell_parsing.h"
#include "model/road_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace kestrova {
namespace {

struct KmCase {
    double position;
    bool hundredths;
    const char* text;
};

TEST(FormatKmPlus, RoundsHalvesToEvenAndCarriesIntoKilometres) {
    const KmCase cases[] = {
        {12345.678, true, "12+345,68"},
        {12345.678, false, "12+346"},
        {5.5, true, "0+005,50"},
        {-250, false, "-0+250"},
        {0, true, "0+000,00"},
        {999.999, true, "1+000,00"},     // carry through metres into kilometres
        {999.5, false, "1+000"},         // half goes up to the even 1000
        {998.5, false, "0+998"},         // half goes down to the even 998
        {1000.125, true, "1+000,12"},    // exact half of a hundredth goes to even
        {1000.375, true, "1+000,38"},
        {0.004, true, "0+000,00"},
        {1999.995, true, "2+000,00"},
        {9999999.999, true, "10000+000,00"},
        {2.14e9, false, "2140000+000"},
        {2.14e9 + 1, false, "Out of range"},
        {-2.2e9, true, "Out of range"},
    };
    for (const KmCase& c : cases)
        EXPECT_EQ(FormatKmPlus(c.hundredths, c.position), QString::fromLatin1(c.text)) << c.position;
}

TEST(FormatKmPlus, NotANumberIsOutOfRange) {
    EXPECT_EQ(FormatKmPlus(true, std::numeric_limits<double>::quiet_NaN()), "Out of range");
    EXPECT_EQ(FormatKmPlus(false, std::numeric_limits<double>::infinity()), "Out of range");
}

TEST(FormatKmPlus, HundredthsNeverReachOneHundred) {
    // Every position just below a whole metre must carry instead of showing ",100".
    for (int m = 0; m < 3000; ++m) {
        const QString t = FormatKmPlus(true, m + 0.999);
        EXPECT_TRUE(t.endsWith(QLatin1String(",00"))) << t.toStdString();
    }
}

TEST(CategoryName, NamesAndOutOfRange) {
    const char* names[] = {"IV", "III", "II", "Ib", "Ia"};
    for (int i = 0; i < kCategoryCount; ++i) EXPECT_EQ(CategoryName(i), QLatin1String(names[i]));
    EXPECT_TRUE(CategoryName(5).isEmpty());
    EXPECT_TRUE(CategoryName(-1).isEmpty());
}

TEST(ParseRoadCategory, LatinCyrillicAndDigitForms) {
    struct Case {
        const char16_t* text;
        int index;
    };
    const Case cases[] = {
        {u"Ia", 4},   {u"IA", 4},   {u"1а", 4} /* Cyrillic а */, {u"1A", 4},  {u"іа", 4} /* Cyrillic і, а */,
        {u"Іб", 3},   {u"IB", 3},   {u"1B", 3},   {u"ib", 3},
        {u"II", 2},   {u"2", 2},    {u"ii", 2},   {u"2,0", 2},
        {u"III", 1},  {u"3", 1},
        {u"IV", 0},   {u"IIII", 0}, {u"4", 0},    {u"iv", 0},
        {u"V", kInvalidValue},  {u"I", kInvalidValue},   {u"1", kInvalidValue}, {u"0", kInvalidValue},
        {u"5", kInvalidValue},  {u"", kInvalidValue},    {u"Ic", kInvalidValue}, {u"2.5", kInvalidValue},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ParseRoadCategory(QString::fromUtf16(c.text)), c.index) << QString::fromUtf16(c.text).toStdString();
}

TEST(ParseYesNo, WordsInThreeLanguagesAnyCase) {
    struct Case {
        const char16_t* text;
        int value;
    };
    const Case cases[] = {
        {u"так", 1},   {u"Так", 1},  {u"да", 1},    {u"истина", 1}, {u"yes", 1}, {u"True", 1}, {u"1", 1},
        {u"ні", 0} /* Cyrillic і */, {u"нi", 0} /* Latin i */, {u"НІ", 0}, {u"нет", 0}, {u"ложь", 0},
        {u"no", 0},    {u"FALSE", 0}, {u"0", 0},    {u"1,0", 1},
        {u"2", kInvalidValue}, {u"-1", kInvalidValue}, {u"maybe", kInvalidValue}, {u"nope", kInvalidValue},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ParseYesNo(QString::fromUtf16(c.text)), c.value) << QString::fromUtf16(c.text).toStdString();
}

TEST(ParseYesNo, EmptyCellDependsOnTheTable) {
    EXPECT_EQ(ParseYesNo(QString()), 0);
    EXPECT_EQ(ParseYesNo(QString(), QStringLiteral("-666")), kInvalidValue);
}

TEST(StripQuotes, OnlyQuotedTextsLongerThanTwo) {
    EXPECT_EQ(StripQuotes(QStringLiteral("\"C:\\a b.xls\"")), QStringLiteral("C:\\a b.xls"));
    EXPECT_EQ(StripQuotes(QStringLiteral("\"\"")), QStringLiteral("\"\""));
    EXPECT_EQ(StripQuotes(QStringLiteral("\"a")), QStringLiteral("\"a"));
    EXPECT_EQ(StripQuotes(QStringLiteral("\"a\"")), QStringLiteral("a"));
    EXPECT_EQ(StripQuotes(QString()), QString());
}

TEST(ColumnLetters, SingleDoubleAndOutOfRange) {
    struct Case {
        int column;
        bool number;
        const char* text;
    };
    const Case cases[] = {{1, false, "A"},   {26, false, "Z"},     {27, false, "AA"},   {28, true, "AB(28)"},
                          {52, false, "AZ"}, {53, false, "BA"},    {702, false, "ZZ"},  {703, false, ""},
                          {0, false, ""},    {703, true, "(703)"}, {-3, false, ""}};
    for (const Case& c : cases) EXPECT_EQ(ColumnLetters(c.column, c.number), QLatin1String(c.text)) << c.column;
}

TEST(ParseIntCell, SeparatorsBlanksAndSigns) {
    struct Case {
        const char* text;
        int32_t value;
    };
    const Case cases[] = {
        {"12", 12},        {"12,0", 12},       {"12.00", 12},        {"1 2", 12},          {".0", 0},
        {"-5", -5},        {"+5", 5},          {"12,5", -666},       {"-5,0", -666},       {"abc", -666},
        {"", -666},        {" ", -666},        {"1.234,0", -666},    {"2147483647", 2147483647},
        {"2147483648", -666}, {"-2147483648", INT32_MIN},            {"1e3", -666},        {"1.5e1", -666},
        {"99999999999.0", -666}, {"nan", -666}, {"inf.0", -666},     {"0x10", -666},       {"1 234", 1234},
    };
    for (const Case& c : cases) EXPECT_EQ(ParseIntCell(QLatin1String(c.text), -666), c.value) << c.text;
}

TEST(ParseIntCell, NonAsciiDigitsFail) {
    EXPECT_EQ(ParseIntCell(QString::fromUtf16(u"١٢"), -911), -911);  // Arabic-Indic digits
}

TEST(ParseRealCell, BothSeparatorsThousandsBlanksAndRejections) {
    struct Case {
        const char* text;
        double value;
    };
    const Case cases[] = {
        {"1 234,5", 1234.5}, {"0.25", 0.25},  {"0,25", 0.25},  {"-0,5", -0.5}, {"+3", 3},     {"1e3", 1000},
        {",5", 0.5},         {"5,", 5},       {"1.234,5", -666}, {"", -666},   {"abc", -666}, {"nan", -666},
        {"inf", -666},       {"-INF", -666},  {"1e309", -666}, {"--1", -666}, {"+-1", -666}, {"1,2e-3", 0.0012},
    };
    for (const Case& c : cases) EXPECT_DOUBLE_EQ(ParseRealCell(QLatin1String(c.text), -666), c.value) << c.text;
}

}  // namespace
}  // namespace kestrova
