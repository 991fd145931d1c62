// The one decimal rounding of the program, for rates, grid texts, km+ texts
// and view readings: the value is divided by the step (0.1, 0.01, 0.001 ...)
// in double precision, rounded to a whole number with halves to even, and
// multiplied back by the step. Dividing by the step, not multiplying by its
// inverse, decides the halves that are not exact in binary the same way on
// every platform: (99 - 60) * (99 / 60) is 64.3 to one decimal, not 64.4.
#pragma once

namespace kestrova {

// 10 to the power -digits as the nearest double (1, 0.1, 0.01, 0.001 ...);
// digits are taken between 0 and 15.
double DecimalStep(int digits);

// x / DecimalStep(digits) rounded to a whole number, halves to even. Values
// whose quotient is not finite or is 2^53 or more are returned unrounded
// (x / step); they are whole numbers already.
double WholeSteps(int digits, double x);

// x rounded to `digits` decimals: WholeSteps(digits, x) * DecimalStep(digits).
// Values too large to have decimals at this scale, infinities and NaN come
// back as they are.
double RoundDecimals(int digits, double x);

}  // namespace kestrova
