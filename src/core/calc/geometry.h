// Plane geometry on the road model's coordinates (metres, radians), two swaps
// and the number texts of the result grids. Every routine has its own fixed
// tolerance; callers rely on the exact value, so they are named here.
#pragma once

#include "core/model/decimal_rounding.h"

#include <QString>
#include <cstdint>

namespace kestrova {

// Tolerance of LineIntersection (horizontal/vertical/parallel tests).
constexpr double kIntersectTolerance = 0.00001;
// Tolerance of InRange, UnitDirection, IsCollinear, DirectionAngle, AngleBetween.
constexpr double kGeometryTolerance = 0.000001;

void ExchangeReals(double& a, double& b);
void ExchangeIntegers(int32_t& a, int32_t& b);
void ExchangeFlags(uint8_t& a, uint8_t& b);

double Distance(double x1, double y1, double x2, double y2);
double Lerp(double a, double b, double t);

// Whether x lies between a and b (in either order). An end counts only when
// its include flag is set, and then within kGeometryTolerance.
bool InRange(bool includeA, bool includeB, double x, double a, double b);

// Crossing point of the infinite lines through (x1,y1)-(x2,y2) and
// (x3,y3)-(x4,y4), with the same tolerance and special cases as
// LineIntersection but without the on-segment flags. False when the lines do
// not meet in one point.
bool LineIntersectionPoint(double x1, double y1, double x2, double y2, double x3, double y3, double x4, double y4,
                           double& X, double& Y);

// Crossing point of the infinite lines through segment 1 (x1,y1)-(x2,y2) and
// segment 2 (x3,y3)-(x4,y4). False when the lines do not meet in one point
// (parallel, collinear, or a segment is a point). onSegment1/2 tell whether the
// point lies on each segment; include1..include4 decide whether each end point
// (in argument order) counts as on the segment.
bool LineIntersection(double x1, double y1, double x2, double y2, double x3, double y3, double x4, double y4,
                      bool include1, bool include2, bool include3, bool include4, double& X, double& Y,
                      bool& onSegment1, bool& onSegment2);

// Length of the vector (x1,y1)->(x2,y2); ux, uy its unit vector, or the vector
// itself when it is shorter than kGeometryTolerance.
double UnitDirection(double x1, double y1, double x2, double y2, double& ux, double& uy);

// Whether A and B lie on one line through O (same or opposite direction, unit
// vectors compared within tolerance). A at O is collinear, B at O is not.
bool IsCollinear(double xa, double ya, double xo, double yo, double xb, double yb, double tolerance);

// Angle of (dx, dy) in (-pi, pi], or [0, 2pi) with wrap; 0 for a null vector.
double DirectionAngle(bool wrap, double dx, double dy);

// Signed angle from vector 1 to vector 2 in [-pi, pi], or [0, 2pi) with wrap.
double AngleBetween(bool wrap, double dx1, double dy1, double dx2, double dy2);

// std::fabs(AngleBetween(false, dx1, dy1, dx2, dy2)) < limit for a limit
// below a right angle, with the same answer; the arc tangents are only taken
// near the limit.
bool AngleBelow(double dx1, double dy1, double dx2, double dy2, double limit);

// x in the shortest general form (up to 15 significant digits, no trailing
// zeros), with the given decimal separator; never "-0".
QString FormatShortest(double x, const QString& decimalSeparator = QStringLiteral("."));

// x rounded to `digits` decimals (RoundDecimals, model/decimal_rounding.h), then in the shortest form:
// FormatRounded(3, 0.25) -> "0.25", FormatRounded(1, 2.0) -> "2".
QString FormatRounded(int digits, double x, const QString& decimalSeparator = QStringLiteral("."));

}  // namespace kestrova
