#include "core/model/decimal_rounding.h"

#include <algorithm>
#include <cmath>
#include <iterator>

namespace kestrova {

namespace {

// 2^53: from here on every double is a whole number.
constexpr double kWholeFrom = 9007199254740992.0;

}  // namespace

double DecimalStep(int digits) {
    // Written out, so that each step is the double nearest to it on every
    // platform (a power function need not be exact).
    static constexpr double kSteps[] = {1,    0.1,  0.01,  0.001, 1e-4,  1e-5,  1e-6,  1e-7,
                                        1e-8, 1e-9, 1e-10, 1e-11, 1e-12, 1e-13, 1e-14, 1e-15};
    constexpr int kLast = int(std::size(kSteps)) - 1;
    return kSteps[std::clamp(digits, 0, kLast)];
}

double WholeSteps(int digits, double x) {
    const double scaled = x / DecimalStep(digits);
    if (!std::isfinite(scaled) || std::fabs(scaled) >= kWholeFrom) return scaled;
    // The default rounding mode: halves to even.
    return std::nearbyint(scaled);
}

double RoundDecimals(int digits, double x) {
    const double scaled = x / DecimalStep(digits);
    if (!std::isfinite(scaled) || std::fabs(scaled) >= kWholeFrom) return x;
    return std::nearbyint(scaled) * DecimalStep(digits);
}

}  // namespace kestrova
