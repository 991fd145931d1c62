// Plane geometry helpers at their tolerance bounds, number texts and the
// speed/sight-distance conversions.
#include "calc/factor_speeds.h"
#include "calc/geometry.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace kestrova {
namespace {

constexpr double kPi = std::numbers::pi;

TEST(Exchange, SwapsEachKind) {
    double a = 1.5, b = -2;
    ExchangeReals(a, b);
    EXPECT_EQ(a, -2);
    EXPECT_EQ(b, 1.5);
    int32_t i = 3, j = 7;
    ExchangeIntegers(i, j);
    EXPECT_EQ(i, 7);
    EXPECT_EQ(j, 3);
    uint8_t f = 1, g = 0;
    ExchangeFlags(f, g);
    EXPECT_EQ(f, 0);
    EXPECT_EQ(g, 1);
}

TEST(DistanceAndLerp, Basics) {
    EXPECT_DOUBLE_EQ(Distance(0, 0, 3, 4), 5);
    EXPECT_DOUBLE_EQ(Distance(-1, -1, -1, -1), 0);
    EXPECT_DOUBLE_EQ(Lerp(2, 6, 0.25), 3);
    EXPECT_DOUBLE_EQ(Lerp(2, 6, 1.5), 8);
}

TEST(InRange, EndsAndTolerance) {
    struct Case {
        bool incA, incB;
        double x, a, b;
        bool in;
    };
    const Case cases[] = {
        {false, false, 1, 0, 2, true},
        {false, false, 0, 0, 2, false},          // ends excluded even when exact
        {true, false, 0, 0, 2, true},
        {true, false, -0.0000009, 0, 2, true},   // within 1e-6 below the included end
        {true, false, -0.0000011, 0, 2, false},
        {false, true, 2.0000009, 0, 2, true},
        {false, true, 2, 2, 0, false},           // reversed bounds: includeA stays with 2
        {true, false, 2, 2, 0, true},
        {true, true, 5, 5, 5, true},             // a = b only within the tolerance
        {true, true, 5.000001, 5, 5, false},
        {false, false, 5, 5, 5, false},
    };
    for (const Case& c : cases) EXPECT_EQ(InRange(c.incA, c.incB, c.x, c.a, c.b), c.in) << c.x << " " << c.a;
}

struct Hit {
    bool meets;
    double X, Y;
    bool on1, on2;
};

Hit Intersect(double x1, double y1, double x2, double y2, double x3, double y3, double x4, double y4,
              bool i1 = true, bool i2 = true, bool i3 = true, bool i4 = true) {
    Hit h{};
    h.meets = LineIntersection(x1, y1, x2, y2, x3, y3, x4, y4, i1, i2, i3, i4, h.X, h.Y, h.on1, h.on2);
    return h;
}

TEST(LineIntersection, AxisParallelCross) {
    const Hit a = Intersect(0, 1, 4, 1, 2, 0, 2, 3);  // horizontal then vertical
    EXPECT_TRUE(a.meets);
    EXPECT_DOUBLE_EQ(a.X, 2);
    EXPECT_DOUBLE_EQ(a.Y, 1);
    EXPECT_TRUE(a.on1 && a.on2);
    const Hit b = Intersect(2, 0, 2, 3, 0, 1, 4, 1);  // vertical then horizontal
    EXPECT_TRUE(b.meets);
    EXPECT_DOUBLE_EQ(b.X, 2);
    EXPECT_DOUBLE_EQ(b.Y, 1);
    EXPECT_TRUE(b.on1 && b.on2);
}

TEST(LineIntersection, NoSinglePoint) {
    EXPECT_FALSE(Intersect(0, 0, 1, 1, 0, 1, 1, 2).meets);  // parallel oblique
    EXPECT_FALSE(Intersect(0, 0, 1, 1, 2, 2, 3, 3).meets);  // collinear
    EXPECT_FALSE(Intersect(0, 0, 5, 0, 0, 1, 5, 1).meets);  // both horizontal
    EXPECT_FALSE(Intersect(0, 0, 0, 5, 1, 0, 1, 5).meets);  // both vertical
    EXPECT_FALSE(Intersect(1, 1, 1, 1, 0, 0, 2, 3).meets);  // segment 1 a point
    EXPECT_FALSE(Intersect(0, 0, 2, 3, 1, 1, 1.000009, 1.000009).meets);  // segment 2 a point within 1e-5
    // Within the 1e-5 tolerance segment 1 counts as horizontal (Y taken from it),
    // just outside it as oblique (Y from its slope).
    EXPECT_DOUBLE_EQ(Intersect(0, 0, 5, 0.000009, 2, -1, 2, 1).Y, 0);
    EXPECT_NEAR(Intersect(0, 0, 5, 0.000011, 2, -1, 2, 1).Y, 0.0000044, 1e-15);
}

TEST(LineIntersection, ObliqueAndMixed) {
    const Hit a = Intersect(0, 0, 4, 4, 0, 4, 4, 0);
    EXPECT_TRUE(a.meets);
    EXPECT_NEAR(a.X, 2, 1e-12);
    EXPECT_NEAR(a.Y, 2, 1e-12);
    EXPECT_TRUE(a.on1 && a.on2);
    const Hit b = Intersect(0, 0, 1, 1, 5, -1, 5, 1);  // vertical segment 2, lines meet outside both
    EXPECT_TRUE(b.meets);
    EXPECT_DOUBLE_EQ(b.X, 5);
    EXPECT_DOUBLE_EQ(b.Y, 5);
    EXPECT_FALSE(b.on1);
    EXPECT_FALSE(b.on2);
    const Hit c = Intersect(3, -1, 3, 1, 0, 0, 6, 3);  // vertical segment 1
    EXPECT_TRUE(c.meets);
    EXPECT_DOUBLE_EQ(c.X, 3);
    EXPECT_DOUBLE_EQ(c.Y, 1.5);
    EXPECT_FALSE(c.on1);
    EXPECT_TRUE(c.on2);
}

TEST(LineIntersection, EndPointCountsOnlyWithItsFlag) {
    // The crossing (2, 0) is the second point of segment 1 and the first of segment 2.
    const Hit closed = Intersect(0, 0, 2, 0, 2, 0, 4, 2, true, true, true, true);
    EXPECT_TRUE(closed.on1 && closed.on2);
    const Hit open1 = Intersect(0, 0, 2, 0, 2, 0, 4, 2, true, false, true, true);
    EXPECT_FALSE(open1.on1);
    EXPECT_TRUE(open1.on2);
    const Hit open2 = Intersect(0, 0, 2, 0, 2, 0, 4, 2, true, true, false, true);
    EXPECT_TRUE(open2.on1);
    EXPECT_FALSE(open2.on2);
}

TEST(UnitDirection, NormalisesAboveTheTolerance) {
    double ux = 0, uy = 0;
    EXPECT_DOUBLE_EQ(UnitDirection(1, 1, 4, 5, ux, uy), 5);
    EXPECT_DOUBLE_EQ(ux, 0.6);
    EXPECT_DOUBLE_EQ(uy, 0.8);
    EXPECT_DOUBLE_EQ(UnitDirection(0, 0, 0.0000009, 0, ux, uy), 0.0000009);
    EXPECT_DOUBLE_EQ(ux, 0.0000009);  // too short: left as it is
    EXPECT_DOUBLE_EQ(UnitDirection(0, 0, 0.000001, 0, ux, uy), 0.000001);
    EXPECT_DOUBLE_EQ(ux, 1);
}

TEST(IsCollinear, DirectionsAndDegenerateCases) {
    EXPECT_TRUE(IsCollinear(2, 2, 0, 0, 5, 5, 1e-6));     // same direction
    EXPECT_TRUE(IsCollinear(-2, -2, 0, 0, 5, 5, 1e-6));   // opposite
    EXPECT_FALSE(IsCollinear(2, 2.1, 0, 0, 5, 5, 1e-6));
    EXPECT_TRUE(IsCollinear(2, 2.1, 0, 0, 5, 5, 0.1));    // loose tolerance
    EXPECT_TRUE(IsCollinear(0, 0, 0, 0, 5, 5, 1e-6));     // A at O
    EXPECT_FALSE(IsCollinear(5, 5, 0, 0, 0, 0, 1e-6));    // B at O
}

TEST(DirectionAngle, AxesSmallComponentsAndWrap) {
    EXPECT_DOUBLE_EQ(DirectionAngle(false, 0.0000005, 1), kPi / 2);
    EXPECT_DOUBLE_EQ(DirectionAngle(false, -1, 0), kPi);
    EXPECT_DOUBLE_EQ(DirectionAngle(true, 0, -1), 3 * kPi / 2);
    EXPECT_DOUBLE_EQ(DirectionAngle(false, 0, -1), -kPi / 2);
    EXPECT_DOUBLE_EQ(DirectionAngle(false, 0.000001, 0.000001), 0);  // both at the bound: null
    EXPECT_DOUBLE_EQ(DirectionAngle(false, 1, 1), kPi / 4);
    EXPECT_DOUBLE_EQ(DirectionAngle(true, 1, -1), 7 * kPi / 4);
}

TEST(AngleBetween, SignAndWrap) {
    EXPECT_DOUBLE_EQ(AngleBetween(false, 1, 0, 0, 1), kPi / 2);
    EXPECT_DOUBLE_EQ(AngleBetween(false, 0, 1, 1, 0), -kPi / 2);
    EXPECT_DOUBLE_EQ(AngleBetween(true, 0, 1, 1, 0), 3 * kPi / 2);
    EXPECT_NEAR(AngleBetween(false, 1, -0.1, 1, 0.1), 2 * std::atan(0.1), 1e-12);  // across the 0/2pi seam
    EXPECT_DOUBLE_EQ(AngleBetween(false, 0.0000005, 0, 0, 1), 0);  // short vector
}

TEST(FormatRounded, HalvesToEvenShortestAndSeparator) {
    struct Case {
        int digits;
        double x;
        const char* text;
    };
    const Case cases[] = {
        {0, 2.5, "2"},      {0, 3.5, "4"},       {0, -2.5, "-2"},      {1, 0.25, "0.2"},   {1, 0.35, "0.4"} /* the decimal half goes to the even 4 */,
        {2, 2.0, "2"},      {3, 0.25, "0.25"},   {3, 12, "12"},        {1, 0.0499, "0"},    {1, -0.04, "0"},
        {1, 1234.56, "1234.6"}, {3, 0.1 + 0.2, "0.3"}, {1, 1e17, "1e+17"}, {-1, 2.5, "2"},  {2, 0.125, "0.12"},
    };
    for (const Case& c : cases) EXPECT_EQ(FormatRounded(c.digits, c.x), QLatin1String(c.text)) << c.x;
    EXPECT_EQ(FormatRounded(1, 1234.56, QStringLiteral(",")), QStringLiteral("1234,6"));
    EXPECT_EQ(FormatShortest(0.1 + 0.2), QStringLiteral("0.3"));
    EXPECT_EQ(FormatShortest(-0.0), QStringLiteral("0"));
    EXPECT_EQ(FormatShortest(123456789012.5), QStringLiteral("123456789012.5"));
}

TEST(RoundSpeed, HalvesToEven) {
    const double cases[][2] = {{0.5, 0}, {1.5, 2}, {2.5, 2}, {-0.5, -0}, {-1.5, -2}, {59.4999, 59}, {59.5, 60}};
    for (const auto& c : cases) EXPECT_EQ(RoundSpeed(c[0]), c[1]) << c[0];
}

TEST(SightDistance, FormulaAndRoundTrip) {
    EXPECT_EQ(SightDistance(false, 0), 10);
    EXPECT_EQ(SightDistance(true, 0), 10);
    // 36 km/h = 10 m/s: one-way 14.27 + 10 + 10 = 34.27, two-way 28.54 + 20 + 10 = 58.54.
    EXPECT_EQ(SightDistance(false, 36), 34);
    EXPECT_EQ(SightDistance(true, 36), 59);
    for (bool twoWay : {false, true})
        for (int v = 5; v <= 150; ++v)
            EXPECT_NEAR(SpeedForSightDistance(twoWay, SightDistance(twoWay, v)), v, 1) << v << " " << twoWay;
}

TEST(SpeedForSightDistance, ShortDistancesGiveOne) {
    for (double s : {-5.0, 0.0, 6.0, 10.0}) {
        EXPECT_EQ(SpeedForSightDistance(true, s), 1) << s;
        EXPECT_EQ(SpeedForSightDistance(false, s), 1) << s;
    }
    EXPECT_EQ(SpeedForSightDistance(true, 10.5), 1);   // formula gives 0.87, raised to 1
    EXPECT_EQ(SpeedForSightDistance(false, 10.5), 2);  // formula gives 1.69
    EXPECT_EQ(SpeedForSightDistance(true, std::nan("")), 1);
    EXPECT_GT(SpeedForSightDistance(false, 100), 1);
}

}  // namespace
}  // namespace kestrova
