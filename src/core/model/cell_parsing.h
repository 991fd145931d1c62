// Text helpers shared by the three importers: quotes around file names, the
// letter form of column numbers and the number parsers for cell texts.
#pragma once

#include <QString>
#include <cstdint>
#include <string_view>

namespace kestrova {

// The value the importers pass as default and read back as "not a number".
constexpr int32_t kFailedCell = -666;
// Second default, for cells that may legitimately hold -666.
constexpr int32_t kFailedCellAlt = -911;

// "abc" (with the quotes) -> abc; texts of two characters or less, or not
// quoted at both ends, come back unchanged.
QString StripQuotes(const QString& text);

// 1 -> A, 26 -> Z, 27 -> AA, 702 -> ZZ; anything else gives an empty text.
// With withNumber the column number follows in brackets: AB(28).
QString ColumnLetters(int column, bool withNumber);

// Whole number from a cell. "." and "," both count as the decimal separator and
// blanks are dropped (thousands separators); a decimal form is accepted only
// without a fractional part and without a sign ("12,0" -> 12, "-5,0" fails).
// Any failure returns def.
int32_t ParseIntCell(const QString& text, int32_t def);

// Real number from a cell, with the same separator and blank rules; NaN,
// infinities and values beyond the double range fail. Failure returns def.
double ParseRealCell(const QString& text, double def);

// The same two parsers for a cell held as bytes, each byte one character
// (ASCII cells straight from a file); the results are those of the text forms.
int32_t ParseIntBytes(std::string_view text, int32_t def);
double ParseRealBytes(std::string_view text, double def);

// The cell text with "." and "," mapped to "." and blanks removed; exposed
// for callers that need to inspect the normalised text.
QString NormaliseNumberText(const QString& text);

// Strict C-locale conversions of an already normalised text (no blanks, "."
// as separator). Return false on any failure, leaving *out untouched.
bool ToInt32(const QString& text, int32_t* out);
bool ToFiniteReal(const QString& text, double* out);

}  // namespace kestrova
