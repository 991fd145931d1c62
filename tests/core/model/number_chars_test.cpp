// Numbers written straight as characters, against the QString forms the grids
// showed before, and the CSV bytes made from them against the QString path.
#include "core/calc/geometry.h"
#include "core/calc/grid_texts.h"
#include "core/export/csv_writer.h"
#include "core/model/number_chars.h"
#include "core/model/road_text.h"

#include <cmath>
#include <iterator>
#include <limits>
#include <random>
#include <gtest/gtest.h>

namespace kestrova {
namespace {

template <class F>
std::string Chars(F write) {
    char chars[kNumberCharsMax];
    return std::string(chars, write(chars));
}

std::string Latin1(const QString& text) { return text.toLatin1().toStdString(); }

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// Halves, carries, the ends of the plain form, negative zero, values with 15
// and with 17 significant digits, and what is no number at all.
const double kTricky[] = {0.0, -0.0, 1, -1, 0.5, 2.5, 0.05, 0.15, 0.25, 0.35, 1.005, 11.25, 64.35, 99.995, 999.995,
                          0.1 + 0.2, 1.0 / 3, -2.0 / 3, 1e-4, 9.99999999999999e-5, 1.00000000000001e-4, 1e-5,
                          123456.0009765625, 999999999999999.0, 999999999999999.4, 999999999999999.5, 1e15, 1.5e15,
                          123456789012345.6, -123456789.012345, 2.14e9, 2.14e9 + 1, 5e-324, 1.7976931348623157e308,
                          -1e300, kInf, -kInf, kNaN, 99999.995, 12345.675, -0.004, -0.005, -0.006, 130, 119.99999999999999};

TEST(NumberChars, SameTextAsTheQStringForms) {
    std::mt19937_64 random(13);
    std::vector<double> values(std::begin(kTricky), std::end(kTricky));
    std::uniform_real_distribution<double> exponent(-8, 17);
    for (int i = 0; i < 20000; ++i) {
        const double x = std::pow(10.0, exponent(random)) * (i % 2 ? -1 : 1);
        values.push_back(x);
        values.push_back(std::round(x * 1000) / 1000);  // the short decimals the grids mostly show
    }
    for (const double x : values) {
        const QString shortest = x == 0 ? QStringLiteral("0") : QString::number(x, 'g', 15);
        ASSERT_EQ(Chars([&](char* out) { return ShortestChars(x, out); }), Latin1(shortest)) << x;
        ASSERT_EQ(FormatShortest(x, QStringLiteral(",")), QString(shortest).replace(QLatin1Char('.'), QLatin1Char(',')));
        for (int digits : {0, 1, 2, 3})
            ASSERT_EQ(Chars([&](char* out) { return RoundedChars(digits, x, out); }), Latin1(FormatRounded(digits, x)))
                << x;
        for (bool hundredths : {true, false})
            ASSERT_EQ(Chars([&](char* out) { return KmPlusChars(hundredths, x, out); }),
                      Latin1(FormatKmPlus(hundredths, x)))
                << x;
    }
    for (const int64_t v : {int64_t(0), int64_t(-1), int64_t(7), int64_t(-2147483648LL), int64_t(9223372036854775807LL)})
        EXPECT_EQ(Chars([&](char* out) { return WholeChars(v, out); }), Latin1(QString::number(v)));
}

// Every grid as CSV: the bytes made from the numbers equal those made through
// the cells' QString texts, for texts that need quoting, line breaks, other
// scripts and a character outside the basic plane, and for both separators.
TEST(NumberChars, GridCsvBytesEqualTheTextPath) {
    TMPlan plan;
    for (int i = 0; i < 60; ++i) {
        tPlanProfile p;
        const double x = kTricky[size_t(i) % std::size(kTricky)];
        p.RecordNumber = i - 3;
        p.Position = i % 3 ? x : 5.005 * i;
        p.RoadCathegory = uint8_t(i % 7);
        p.TrafficIntensity = -i * 1000;
        p.Cars = p.Trucks = p.Buses = p.VehicleTrains = p.LongitudinalTilt = p.SlicknessValue = x;
        p.CurveRadius = p.Clearance = -x;
        p.IsLocality = uint8_t(i % 2);
        p.FreeV = p.CurveV = p.TiltV[1] = p.MinV[0] = p.LookV[1] = x * 3;
        p.Koef[0] = x;
        p.Koef[1] = -x;
        p.Cause[0] = uint8_t(i % 11);
        p.Cause[1] = uint8_t((i + 4) % 11);
        p.FwdHidden = uint8_t(i % 3 == 0);
        plan.Profiles.push_back(p);
    }
    tPivotData pivot;
    for (int i = 0; i < 20; ++i) {
        tPivotRow r;
        r.KmBeg = kTricky[size_t(i)];
        r.KmEnd = -r.KmBeg;
        r.Cat = uint8_t(i % 6);
        r.VMinFwd = r.FailRateFwd = r.BoundRateRev = kTricky[size_t(i) + 20];
        r.CauseFwd = uint8_t(i % 10);
        r.ResumeFwd = i % 3 - 1;
        r.ResumeRev = 1 - i % 3;
        pivot.Rows.push_back(r);
    }
    const QString texts[] = {QStringLiteral("a;b"), QStringLiteral("say \"hi\""), QStringLiteral("two\r\nlines"), QStringLiteral("a\rb"),
                             QStringLiteral("Причина"), QString::fromUtf8("x\xF0\x9F\x9A\x97\ny"), QString()};
    tGridLanguage language;
    int t = 0;
    FillHeaderTexts(language, [&](const QString&, const QString&) { return texts[t++ % std::size(texts)]; });
    FillCauseTexts(language, [&](const QString&, const QString&) { return texts[t++ % std::size(texts)]; });
    for (const QString& separator : {QStringLiteral("."), QStringLiteral(","), QStringLiteral("٫")}) {
        const tGridSource source{&plan, &pivot, &language, separator};
        for (tGridId grid : {tGridId::SourceData, tGridId::DraftV, tGridId::PivotData, tGridId::ProfilesList}) {
            const tTextTableView direct = GridView(grid, source);
            tTextTableView text = direct;
            text.Utf8Cell = nullptr;
            ASSERT_EQ(CsvFileBytes(direct).toStdString(), CsvFileBytes(text).toStdString()) << int(grid);
        }
    }
}

}  // namespace
}  // namespace kestrova
