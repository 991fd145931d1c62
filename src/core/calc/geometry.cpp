#include "core/calc/geometry.h"

#include "core/model/number_chars.h"

#include <cmath>
#include <numbers>
#include <utility>

namespace kestrova {

void ExchangeReals(double& a, double& b) { std::swap(a, b); }
void ExchangeIntegers(int32_t& a, int32_t& b) { std::swap(a, b); }
void ExchangeFlags(uint8_t& a, uint8_t& b) { std::swap(a, b); }

double Distance(double x1, double y1, double x2, double y2) {
    const double dx = x1 - x2;
    const double dy = y1 - y2;
    return std::sqrt(dx * dx + dy * dy);
}

double Lerp(double a, double b, double t) { return a + (b - a) * t; }

bool InRange(bool includeA, bool includeB, double x, double a, double b) {
    if (a > b) {
        std::swap(a, b);
        std::swap(includeA, includeB);
    }
    const bool low = x > a || (includeA && std::fabs(x - a) < kGeometryTolerance);
    const bool high = x < b || (includeB && std::fabs(b - x) < kGeometryTolerance);
    return low && high;
}

bool LineIntersectionPoint(double x1, double y1, double x2, double y2, double x3, double y3, double x4, double y4,
                           double& X, double& Y) {
    X = 0;
    Y = 0;
    const double tol = kIntersectTolerance;
    const bool hor1 = std::fabs(y1 - y2) < tol;
    const bool vert1 = std::fabs(x1 - x2) < tol;
    const bool hor2 = std::fabs(y3 - y4) < tol;
    const bool vert2 = std::fabs(x3 - x4) < tol;
    if ((hor1 && hor2) || (vert1 && vert2) || (hor1 && vert1) || (hor2 && vert2)) return false;
    if (hor1 && vert2) {
        X = x3;
        Y = y1;
        return true;
    }
    double k1 = 0, b1 = 0, k2 = 0, b2 = 0;
    if (!vert2) {
        k2 = (y3 - y4) / (x3 - x4);
        b2 = y3 - x3 * k2;
    }
    if (!vert1) {
        k1 = (y1 - y2) / (x1 - x2);
        b1 = y1 - x1 * k1;
    }
    if (hor2 && vert1) {
        X = x1;
        Y = y3;
    } else if (vert1) {
        X = x1;
        Y = b2 + x1 * k2;
    } else {
        if (vert2) {
            X = x3;
        } else {
            if (std::fabs(k1 - k2) < tol) return false;
            X = (b2 - b1) / (k1 - k2);
        }
        Y = b1 + X * k1;
    }
    return true;
}

bool LineIntersection(double x1, double y1, double x2, double y2, double x3, double y3, double x4, double y4,
                      bool include1, bool include2, bool include3, bool include4, double& X, double& Y,
                      bool& onSegment1, bool& onSegment2) {
    onSegment1 = false;
    onSegment2 = false;
    if (!LineIntersectionPoint(x1, y1, x2, y2, x3, y3, x4, y4, X, Y)) return false;
    onSegment1 = InRange(include1, include2, X, x1, x2) && InRange(include1, include2, Y, y1, y2);
    onSegment2 = InRange(include3, include4, X, x3, x4) && InRange(include3, include4, Y, y3, y4);
    return true;
}

double UnitDirection(double x1, double y1, double x2, double y2, double& ux, double& uy) {
    ux = x2 - x1;
    uy = y2 - y1;
    const double length = std::sqrt(ux * ux + uy * uy);
    if (length >= kGeometryTolerance) {
        ux /= length;
        uy /= length;
    }
    return length;
}

bool IsCollinear(double xa, double ya, double xo, double yo, double xb, double yb, double tolerance) {
    double uax = 0, uay = 0, ubx = 0, uby = 0;
    const double la = UnitDirection(xo, yo, xa, ya, uax, uay);
    const double lb = UnitDirection(xo, yo, xb, yb, ubx, uby);
    if (la < kGeometryTolerance) return true;
    if (lb < kGeometryTolerance) return false;
    const bool same = std::fabs(uax - ubx) <= tolerance && std::fabs(uay - uby) <= tolerance;
    const bool opposite = std::fabs(uax + ubx) <= tolerance && std::fabs(uay + uby) <= tolerance;
    return same || opposite;
}

double DirectionAngle(bool wrap, double dx, double dy) {
    double angle = 0;
    if (std::fabs(dx) > kGeometryTolerance)
        angle = std::atan2(dy, dx);
    else if (std::fabs(dy) > kGeometryTolerance)
        angle = dy > 0 ? std::numbers::pi / 2 : -std::numbers::pi / 2;
    if (wrap && angle < 0) angle += 2 * std::numbers::pi;
    return angle;
}

double AngleBetween(bool wrap, double dx1, double dy1, double dx2, double dy2) {
    if (std::hypot(dx1, dy1) < kGeometryTolerance || std::hypot(dx2, dy2) < kGeometryTolerance) return 0;
    const double pi = std::numbers::pi;
    double d = DirectionAngle(true, dx2, dy2) - DirectionAngle(true, dx1, dy1);
    if (d > pi) d -= 2 * pi;
    if (d < -pi) d += 2 * pi;
    if (wrap && d < 0) d += 2 * pi;
    return d;
}

bool AngleBelow(double dx1, double dy1, double dx2, double dy2, double limit) {
    // Away from the axis cases DirectionAngle treats apart, the computed
    // angle is the true one to a few units in the last place, so the tangent
    // decides wherever it is clear by a wide margin.
    if (std::fabs(dx1) > 0.001 && std::fabs(dx2) > 0.001) {
        const double dot = dx1 * dx2 + dy1 * dy2;
        if (dot <= 0) return false;
        const double cross = std::fabs(dx1 * dy2 - dy1 * dx2);
        const double edge = dot * std::tan(limit);
        if (cross < edge * (1 - 1e-9)) return true;
        if (cross > edge * (1 + 1e-9)) return false;
    }
    return std::fabs(AngleBetween(false, dx1, dy1, dx2, dy2)) < limit;
}

QString FormatShortest(double x, const QString& decimalSeparator) {
    // As QString::number(x, 'g', 15), but never "-0".
    char chars[kNumberCharsMax];
    QString text = QString::fromLatin1(chars, ShortestChars(x, chars) - chars);
    if (decimalSeparator != QLatin1String(".")) text.replace(QLatin1Char('.'), decimalSeparator);
    return text;
}

QString FormatRounded(int digits, double x, const QString& decimalSeparator) {
    return FormatShortest(RoundDecimals(digits, x), decimalSeparator);
}

}  // namespace kestrova
