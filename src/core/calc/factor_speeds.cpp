#include "calc/factor_speeds.h"

#include <climits>
#include <cmath>

namespace kestrova {

namespace {

// Free speed (km/h) by category and vehicle type, in the order of the share
// fields: cars, buses, trucks, vehicle trains.
constexpr double kFreeSpeedTable[5][4] = {
    {150, 100, 100, 100},  // IV
    {130, 90, 90, 90},     // III
    {107, 75, 90, 90},     // II
    {90, 75, 80, 80},      // Ib
    {82, 62, 63, 58},      // Ia
};

int ClampCategory(int category) { return category < 0 ? 0 : (category > 4 ? 4 : category); }

}  // namespace

double FreeCarSpeed(int category) { return kFreeSpeedTable[ClampCategory(category)][0]; }

double RoundSpeed(double x) { return std::nearbyint(x); }

int32_t SightDistance(bool twoWay, double v) {
    const double ms = v / 3.6;
    const double n = twoWay ? 2 : 1;
    const double s = RoundSpeed(n * 0.1427 * ms * ms + n * ms + 10);
    if (!(s < double(INT32_MAX))) return INT32_MAX;  // also catches NaN
    return int32_t(s);
}

double SpeedForSightDistance(bool twoWay, double s) {
    double v = 1;
    if (twoWay) {
        const double c = 1.1416 * s - 7.416;
        if (c > 0) v = (std::sqrt(c) - 2) * 3.6 / 0.5708;
    } else {
        const double c = 0.5708 * s - 4.708;
        if (c > 0) v = (std::sqrt(c) - 1) * 3.6 / 0.2854;
    }
    if (!(v >= 1)) v = 1;
    return RoundSpeed(v);
}

}  // namespace kestrova
