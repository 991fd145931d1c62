// Plane geometry helpers at their tolerance bounds, number texts and the
// speed/sight-distance conversions.
#include "core/calc/factor_speeds.h"
#include "core/calc/geometry.h"

#include "test_support.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace kestrova {
namespace {

constexpr double kPi = std::numbers::pi;

TEST(InRange, EndsAndTolerance) {
    const struct {
        bool incA, incB;
        double x, a, b;
        bool in;
    } cases[] = {
        {false, false, 0, 0, 2, false},       // ends excluded even when exact
        {true, false, -0.0000009, 0, 2, true}, {true, false, -0.0000011, 0, 2, false},
        {false, true, 2, 2, 0, false},        // reversed bounds: includeA stays with 2
        {true, false, 2, 2, 0, true},         {true, true, 5, 5, 5, true},
        {true, true, 5.000001, 5, 5, false},  {false, false, 5, 5, 5, false},
    };
    for (const auto& c : cases) EXPECT_EQ(InRange(c.incA, c.incB, c.x, c.a, c.b), c.in) << c.x << " " << c.a;
}

TEST(LineIntersection, Cases) {
    const struct {
        double s[8];
        bool inc[4];
        bool meets;
        double X, Y;
        bool on1, on2;
    } cases[] = {
        {{0, 1, 4, 1, 2, 0, 2, 3}, {1, 1, 1, 1}, true, 2, 1, true, true},    // horizontal, vertical
        {{2, 0, 2, 3, 0, 1, 4, 1}, {1, 1, 1, 1}, true, 2, 1, true, true},    // vertical, horizontal
        {{0, 0, 4, 4, 0, 4, 4, 0}, {1, 1, 1, 1}, true, 2, 2, true, true},
        {{0, 0, 1, 1, 5, -1, 5, 1}, {1, 1, 1, 1}, true, 5, 5, false, false}, // meets outside both
        {{3, -1, 3, 1, 0, 0, 6, 3}, {1, 1, 1, 1}, true, 3, 1.5, false, true},
        {{0, 0, 2, 0, 2, 0, 4, 2}, {1, 0, 1, 1}, true, 2, 0, false, true},   // shared end, flag of seg 1 off
        {{0, 0, 2, 0, 2, 0, 4, 2}, {1, 1, 0, 1}, true, 2, 0, true, false},   // flag of seg 2 off
        {{0, 0, 5, 0.000009, 2, -1, 2, 1}, {1, 1, 1, 1}, true, 2, 0, true, true},  // horizontal within 1e-5
        {{0, 0, 5, 0.000011, 2, -1, 2, 1}, {1, 1, 1, 1}, true, 2, 0.0000044, true, true},
        {{0, 0, 1, 1, 0, 1, 1, 2}, {1, 1, 1, 1}, false, 0, 0, false, false}, // parallel oblique
        {{0, 0, 1, 1, 2, 2, 3, 3}, {1, 1, 1, 1}, false, 0, 0, false, false}, // collinear
        {{0, 0, 5, 0, 0, 1, 5, 1}, {1, 1, 1, 1}, false, 0, 0, false, false}, // both horizontal
        {{0, 0, 0, 5, 1, 0, 1, 5}, {1, 1, 1, 1}, false, 0, 0, false, false}, // both vertical
        {{1, 1, 1, 1, 0, 0, 2, 3}, {1, 1, 1, 1}, false, 0, 0, false, false}, // segment 1 a point
        {{0, 0, 2, 3, 1, 1, 1.000009, 1.000009}, {1, 1, 1, 1}, false, 0, 0, false, false},
    };
    for (const auto& c : cases) {
        double X = -1, Y = -1;
        bool on1 = true, on2 = true;
        const double* s = c.s;
        EXPECT_EQ(LineIntersection(s[0], s[1], s[2], s[3], s[4], s[5], s[6], s[7], c.inc[0], c.inc[1], c.inc[2],
                                   c.inc[3], X, Y, on1, on2),
                  c.meets);
        EXPECT_NEAR(X, c.X, 1e-12) << s[0] << " " << s[2] << " " << s[4];
        EXPECT_NEAR(Y, c.Y, 1e-12) << s[0] << " " << s[2] << " " << s[4];
        EXPECT_EQ(on1, c.on1);
        EXPECT_EQ(on2, c.on2);
    }
}

TEST(UnitDirectionAndCollinear, ShortVectorsStayAsTheyAre) {
    double ux = 0, uy = 0;
    EXPECT_DOUBLE_EQ(UnitDirection(1, 1, 4, 5, ux, uy), 5);
    EXPECT_DOUBLE_EQ(ux, 0.6);
    UnitDirection(0, 0, 0.0000009, 0, ux, uy);
    EXPECT_DOUBLE_EQ(ux, 0.0000009);  // shorter than 1e-6: not normalised
    UnitDirection(0, 0, 0.000001, 0, ux, uy);
    EXPECT_DOUBLE_EQ(ux, 1);
    EXPECT_TRUE(IsCollinear(-2, -2, 0, 0, 5, 5, 1e-6));  // opposite directions
    EXPECT_FALSE(IsCollinear(2, 2.1, 0, 0, 5, 5, 1e-6));
    EXPECT_TRUE(IsCollinear(2, 2.1, 0, 0, 5, 5, 0.1));
    EXPECT_TRUE(IsCollinear(0, 0, 0, 0, 5, 5, 1e-6));   // A at O
    EXPECT_FALSE(IsCollinear(5, 5, 0, 0, 0, 0, 1e-6));  // B at O
}

TEST(Angles, SmallComponentsSignAndWrap) {
    EXPECT_DOUBLE_EQ(DirectionAngle(false, 0.0000005, 1), kPi / 2);
    EXPECT_DOUBLE_EQ(DirectionAngle(false, -1, 0), kPi);
    EXPECT_DOUBLE_EQ(DirectionAngle(true, 0, -1), 3 * kPi / 2);
    EXPECT_DOUBLE_EQ(DirectionAngle(false, 0.000001, 0.000001), 0);  // both at the bound: null vector
    EXPECT_DOUBLE_EQ(AngleBetween(false, 1, 0, 0, 1), kPi / 2);
    EXPECT_DOUBLE_EQ(AngleBetween(false, 0, 1, 1, 0), -kPi / 2);
    EXPECT_DOUBLE_EQ(AngleBetween(true, 0, 1, 1, 0), 3 * kPi / 2);
    EXPECT_NEAR(AngleBetween(false, 1, -0.1, 1, 0.1), 2 * std::atan(0.1), 1e-12);  // across the 0/2pi seam
    EXPECT_DOUBLE_EQ(AngleBetween(false, 0.0000005, 0, 0, 1), 0);
}

// The shortcut must answer exactly as the arc tangents do: on both sides of
// the limit within rounding, across the 0/2pi seam, near the axes, for tiny
// vectors, and on many random directions aimed at the limit.
TEST(AngleBelow, SameAnswerAsAngleBetween) {
    const double limit = 6 * kPi / 180;
    auto check = [&](double x1, double y1, double x2, double y2) {
        EXPECT_EQ(AngleBelow(x1, y1, x2, y2, limit), std::fabs(AngleBetween(false, x1, y1, x2, y2)) < limit)
            << x1 << " " << y1 << " " << x2 << " " << y2;
    };
    const double t = std::tan(limit);
    const double cases[][4] = {
        {5, 0, 100, 100 * t},       {5, 0, 100, 100 * t * (1 + 1e-12)}, {5, 0, 100, -100 * t * (1 - 1e-12)},
        {1, -0.01, 1, 0.01},        {-3, 0, -40, 1},                     {5, 0, -100, 1},
        {0.0005, 5, 0.002, 100},    {0.0000005, 5, 0.3, 10},             {5, 0.0000001, 0.0000005, 0},
        {0.0009, 1, 0.0011, 1},     {1e-7, 1e-7, 1, 0},                  {5, 0, 1e9, 1e9 * t},
    };
    for (const auto& c : cases) check(c[0], c[1], c[2], c[3]);
    test::tRandom next(88172645463325252ull);
    for (int i = 0; i < 20000; ++i) {
        const double a = next() * 2 * kPi;
        const double r = 0.5 + next() * 10;
        const double offset = (next() - 0.5) * (i % 2 ? 1e-13 : 0.4);  // half right at the limit
        const double b = a + (next() < 0.5 ? -1 : 1) * (limit + offset);
        const double s = 0.1 + next() * 500;
        check(r * std::cos(a), r * std::sin(a), s * std::cos(b), s * std::sin(b));
    }
}

TEST(FormatRounded, HalvesToEvenShortestAndSeparator) {
    const struct {
        int digits;
        double x;
        const char* text;
    } cases[] = {
        {0, 2.5, "2"}, {0, 3.5, "4"}, {0, -2.5, "-2"}, {1, 0.25, "0.2"}, {1, 0.35, "0.3"} /* 3.4999999999999996 tenths */,
        {2, 2.0, "2"}, {3, 0.25, "0.25"}, {1, -0.04, "0"} /* never -0 */, {3, 0.1 + 0.2, "0.3"},
        {2, 0.125, "0.12"}, {1, 123456789012.25, "123456789012.2"},
    };
    for (const auto& c : cases) EXPECT_EQ(FormatRounded(c.digits, c.x), QLatin1String(c.text)) << c.x;
    EXPECT_EQ(FormatRounded(1, 1234.56, QStringLiteral(",")), QStringLiteral("1234,6"));
}

TEST(SpeedAndSightDistance, RoundingFormulaAndRoundTrip) {
    for (const auto& c : {std::pair{0.5, 0.0}, {1.5, 2.0}, {2.5, 2.0}, {-1.5, -2.0}, {59.5, 60.0}})
        EXPECT_EQ(RoundSpeed(c.first), c.second) << c.first;
    EXPECT_EQ(SightDistance(false, 0), 10);
    EXPECT_EQ(SightDistance(false, 36), 34);  // 10 m/s: 14.27 + 10 + 10
    EXPECT_EQ(SightDistance(true, 36), 59);   // 28.54 + 20 + 10
    for (bool twoWay : {false, true}) {
        for (int v = 5; v <= 150; ++v) EXPECT_NEAR(SpeedForSightDistance(twoWay, SightDistance(twoWay, v)), v, 1);
        for (double s : {-5.0, 0.0, 10.0, std::nan("")}) EXPECT_EQ(SpeedForSightDistance(twoWay, s), 1) << s;
    }
    EXPECT_EQ(SpeedForSightDistance(true, 10.5), 1);   // formula 0.87, raised to 1
    EXPECT_EQ(SpeedForSightDistance(false, 10.5), 2);  // formula 1.69
}

}  // namespace
}  // namespace kestrova
