// km+ texts, category and yes/no cells, and the cell parsers.
#include "core/model/cell_parsing.h"
#include "core/model/road_text.h"

#include <gtest/gtest.h>

#include <cmath>

namespace kestrova {
namespace {

TEST(FormatKmPlus, HalvesToEvenCarryAndRange) {
    const struct {
        double position;
        bool hundredths;
        const char* text;
    } cases[] = {
        {12345.678, true, "12+345,68"}, {12345.678, false, "12+346"}, {5.5, true, "0+005,50"},
        {-250, false, "-0+250"},        {0, true, "0+000,00"},        {999.999, true, "1+000,00"},
        {999.5, false, "1+000"},        {998.5, false, "0+998"},      {1000.125, true, "1+000,12"},
        {1000.375, true, "1+000,38"},   {2.14e9, false, "2140000+000"}, {2.14e9 + 1, false, "Out of range"},
        {-2.2e9, true, "Out of range"}, {std::nan(""), true, "Out of range"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatKmPlus(c.hundredths, c.position), QLatin1String(c.text)) << c.position;
    // Just below a whole metre the hundredths must carry, never show ",100".
    for (int m = 0; m < 3000; ++m) EXPECT_TRUE(FormatKmPlus(true, m + 0.999).endsWith(QLatin1String(",00"))) << m;
}

TEST(ParseRoadCategory, LatinCyrillicAndDigitForms) {
    const struct {
        const char16_t* text;
        int index;
    } cases[] = {
        {u"Ia", 4}, {u"1а", 4} /* Cyrillic а */, {u"іа", 4} /* Cyrillic і, а */, {u"Іб", 3}, {u"IB", 3},
        {u"1B", 3}, {u"ii", 2}, {u"2,0", 2}, {u"III", 1}, {u"3", 1}, {u"IV", 0}, {u"IIII", 0}, {u"4", 0},
        {u"V", kInvalidValue}, {u"I", kInvalidValue}, {u"1", kInvalidValue}, {u"5", kInvalidValue},
        {u"", kInvalidValue}, {u"Ic", kInvalidValue}, {u"2.5", kInvalidValue},
    };
    for (const auto& c : cases) EXPECT_EQ(ParseRoadCategory(QString::fromUtf16(c.text)), c.index);
    EXPECT_EQ(CategoryName(3), QStringLiteral("Ib"));
    EXPECT_TRUE(CategoryName(5).isEmpty());
}

TEST(ParseYesNo, WordsInThreeLanguagesAnyCase) {
    const struct {
        const char16_t* text;
        int value;
    } cases[] = {
        {u"так", 1}, {u"да", 1}, {u"Истина", 1}, {u"yes", 1}, {u"True", 1}, {u"1,0", 1},
        {u"ні", 0} /* Cyrillic і */, {u"нi", 0} /* Latin i */, {u"нет", 0}, {u"ложь", 0}, {u"no", 0},
        {u"FALSE", 0}, {u"2", kInvalidValue}, {u"-1", kInvalidValue}, {u"nope", kInvalidValue},
    };
    for (const auto& c : cases) EXPECT_EQ(ParseYesNo(QString::fromUtf16(c.text)), c.value);
    EXPECT_EQ(ParseYesNo(QString()), 0);  // road table: empty means no
    EXPECT_EQ(ParseYesNo(QString(), QStringLiteral("-666")), kInvalidValue);  // vegetation table
}

TEST(StripQuotesAndColumnLetters, Bounds) {
    EXPECT_EQ(StripQuotes(QStringLiteral("\"a\"")), QStringLiteral("a"));
    EXPECT_EQ(StripQuotes(QStringLiteral("\"\"")), QStringLiteral("\"\""));  // two characters: unchanged
    EXPECT_EQ(StripQuotes(QStringLiteral("\"a")), QStringLiteral("\"a"));
    const struct {
        int column;
        bool number;
        const char* text;
    } cases[] = {{26, false, "Z"}, {27, false, "AA"}, {28, true, "AB(28)"}, {53, false, "BA"},
                 {702, false, "ZZ"}, {703, false, ""}, {0, false, ""}};
    for (const auto& c : cases) EXPECT_EQ(ColumnLetters(c.column, c.number), QLatin1String(c.text)) << c.column;
}

TEST(ParseIntCell, SeparatorsBlanksAndSigns) {
    const struct {
        const char* text;
        int32_t value;
    } cases[] = {
        {"12,0", 12}, {"12.00", 12}, {"1 2", 12}, {".0", 0}, {"-5", -5}, {"+5", 5}, {"12,5", -666},
        {"-5,0", -666}, {"abc", -666}, {" ", -666}, {"1.234,0", -666}, {"2147483648", -666},
        {"-2147483648", INT32_MIN}, {"1e3", -666}, {"1.5e1", -666}, {"nan", -666}, {"0x10", -666},
    };
    for (const auto& c : cases) EXPECT_EQ(ParseIntCell(QLatin1String(c.text), -666), c.value) << c.text;
    EXPECT_EQ(ParseIntCell(QString::fromUtf16(u"١٢"), -911), -911);  // non-ASCII digits
}

TEST(ParseRealCell, BothSeparatorsThousandsBlanksAndRejections) {
    const struct {
        const char* text;
        double value;
    } cases[] = {
        {"1 234,5", 1234.5}, {"0.25", 0.25}, {"-0,5", -0.5}, {"+3", 3}, {",5", 0.5}, {"1,2e-3", 0.0012},
        {"1.234,5", -666}, {"", -666}, {"nan", -666}, {"-INF", -666}, {"1e309", -666}, {"+-1", -666},
    };
    for (const auto& c : cases) EXPECT_DOUBLE_EQ(ParseRealCell(QLatin1String(c.text), -666), c.value) << c.text;
}

}  // namespace
}  // namespace kestrova
