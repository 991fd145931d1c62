// Number texts written straight into a character buffer, for writers that
// produce many of them (the result CSV files): the same characters as the
// QString forms the grids show, without a QString per number.
#pragma once

#include <cstdint>

namespace kestrova {

// Room every function below needs at `out`.
constexpr int kNumberCharsMax = 40;

// x as QString::number(x, 'g', 15) writes it (up to 15 significant digits,
// no trailing zeros, exponent form below 1e-4 and from 1e15 on), except that
// zero is always "0", never "-0"; "." is the decimal separator. Returns the
// end of the text.
char* ShortestChars(double x, char* out);

// x rounded to `digits` decimals (RoundDecimals), then as ShortestChars.
char* RoundedChars(int digits, double x, char* out);

// A whole number as QString::number writes it.
char* WholeChars(int64_t value, char* out);

// The km+ text of FormatKmPlus (model/road_text.h): "12+345,68" with
// hundredths, "12+346" without, a leading "-" for negative positions and
// "Out of range" for values it cannot show.
char* KmPlusChars(bool withHundredths, double position, char* out);

}  // namespace kestrova
