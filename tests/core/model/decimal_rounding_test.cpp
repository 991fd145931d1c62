// Decimal rounding divides by the step (0.1, 0.01, 0.001) in double precision
// and rounds halves to even. A half that is not exact in binary lies on one
// side of the half after the division and may lie on the other after a
// multiplication by 10^digits; each case below says which side division
// takes, with the quotient the double arithmetic gives.
#include "core/calc/factor_speeds.h"
#include "core/calc/geometry.h"
#include "core/calc/grid_texts.h"
#include "core/model/decimal_rounding.h"
#include "core/model/road_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace kestrova {
namespace {

TEST(DecimalRounding, StepsAreTheNearestDoubles) {
    EXPECT_EQ(DecimalStep(0), 1.0);
    EXPECT_EQ(DecimalStep(1), 0.1);
    EXPECT_EQ(DecimalStep(2), 0.01);
    EXPECT_EQ(DecimalStep(3), 0.001);
    EXPECT_EQ(DecimalStep(-1), 1.0);
    EXPECT_EQ(DecimalStep(40), 1e-15);
}

TEST(DecimalRounding, HalvesAfterDividingByTheStep) {
    const struct {
        const char* Name;
        int Digits;
        double X;
        const char* Text;  // FormatRounded
    } cases[] = {
        // The non-compliance rate (p - v)(p / v) with p = 99, v = 60: 64.35 in
        // decimals, 643.4999999999999 divided by 0.1 (643.5 times 10).
        {"Rate99Over60", 1, (99.0 - 60.0) * (99.0 / 60.0), "64.3"},
        {"Rate99Over60Negated", 1, -(99.0 - 60.0) * (99.0 / 60.0), "-64.3"},
        // Halves exact in binary: to the even neighbour.
        {"ExactHalfDown", 1, 0.25, "0.2"},
        {"ExactHalfUp", 1, 0.75, "0.8"},
        {"ExactHalfHundredths", 2, 0.125, "0.12"},
        {"ExactHalfHundredthsUp", 2, 0.375, "0.38"},
        {"ExactHalfThousandths", 3, 0.0625, "0.062"},
        {"ExactHalfWhole", 0, 2.5, "2"},
        {"ExactHalfWholeUp", 0, 3.5, "4"},
        {"ExactHalfNegative", 0, -2.5, "-2"},
        // Decimal halves below the half after division (3.4999999999999996 ...).
        {"Tenths035", 1, 0.35, "0.3"},
        {"Tenths115", 1, 1.15, "1.1"},
        {"Hundredths0235", 2, 0.235, "0.23"},
        {"Hundredths1055", 2, 1.055, "1.05"},
        {"Thousandths00215", 3, 0.0215, "0.021"},
        {"Thousandths00435", 3, 0.0435, "0.043"},
        // A decimal half that division makes exact (54.5, 54.50000000000001 by multiplication).
        {"Hundredths0545", 2, 0.545, "0.54"},
        // Not halves: plain nearest.
        {"Nearest", 1, 66.66666, "66.7"},
        {"NeverMinusZero", 1, -0.04, "0"},
        {"Huge", 1, 1e300, "1e+300"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        EXPECT_EQ(FormatRounded(c.Digits, c.X), QLatin1String(c.Text));
        // The value is a whole number of steps, times the step.
        const double steps = WholeSteps(c.Digits, c.X);
        EXPECT_EQ(steps, std::nearbyint(steps));
        EXPECT_EQ(RoundDecimals(c.Digits, c.X), c.X == 1e300 ? c.X : steps * DecimalStep(c.Digits));
    }
    EXPECT_TRUE(std::isnan(RoundDecimals(1, std::numeric_limits<double>::quiet_NaN())));
    EXPECT_EQ(RoundDecimals(2, std::numeric_limits<double>::infinity()), std::numeric_limits<double>::infinity());
}

// Every user of decimal rounding gives the same answer on the same half.
TEST(DecimalRounding, RatesGridTextsAndKmPlusAgree) {
    EXPECT_EQ(NonComplianceRate(99, 60), RoundDecimals(1, (99.0 - 60.0) * (99.0 / 60.0)));
    EXPECT_EQ(FormatShortest(NonComplianceRate(99, 60)), QStringLiteral("64.3"));

    // The factor speeds grid shows the stored rate, the pivot grid rounds again.
    TMPlan plan;
    plan.Profiles.resize(1);
    plan.Profiles[0].Cars = 0.0215;         // shares: 3 decimals
    plan.Profiles[0].SlicknessValue = 0.235;  // 2 decimals
    plan.Profiles[0].CurveRadius = 1.15;      // 1 decimal
    plan.Profiles[0].Koef[0] = NonComplianceRate(99, 60);
    tPivotData pivot;
    pivot.Rows.resize(2);
    pivot.Rows[1].FailRateFwd = (99.0 - 60.0) * (99.0 / 60.0);
    pivot.Rows[1].BoundRateFwd = 0.35;
    const tGridLanguage language;
    tGridSource source;
    source.Plan = &plan;
    source.Pivot = &pivot;
    source.Language = &language;
    source.DecimalSeparator = QStringLiteral(",");
    EXPECT_EQ(CellText(tGridId::SourceData, source, 1, 4), QStringLiteral("0,021"));
    EXPECT_EQ(CellText(tGridId::SourceData, source, 1, 10), QStringLiteral("0,23"));
    EXPECT_EQ(CellText(tGridId::SourceData, source, 1, 8), QStringLiteral("1,1"));
    EXPECT_EQ(CellText(tGridId::DraftV, source, 1, 18), QStringLiteral("64,3"));
    EXPECT_EQ(CellText(tGridId::PivotData, source, 2, 6), QStringLiteral("64,3"));
    EXPECT_EQ(CellText(tGridId::PivotData, source, 2, 7), QStringLiteral("0,3"));

    // km+ hundredths: 0.235 m is 23.499999999999996 hundredths.
    EXPECT_EQ(FormatKmPlus(true, 0.235), QStringLiteral("0+000,23"));
    EXPECT_EQ(FormatKmPlus(true, 0.545), QStringLiteral("0+000,54"));
}

}  // namespace
}  // namespace kestrova
