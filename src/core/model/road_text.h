// Text forms of road model values: the km+ position, the road category and
// the yes/no cells of the source tables.
#pragma once

#include <QString>
#include <cstdint>

namespace kestrova {

// Returned by the category and yes/no conversions for a text they reject.
constexpr int kInvalidValue = -1;

// Number of road categories; category indexes run from 0 to kCategoryCount - 1.
constexpr int kCategoryCount = 5;

// km+ text of a position in metres: 12+345,68 with hundredths, 12+346 without.
// Negative positions get a leading "-"; rounded values above 2.14e9 (and
// values that are not numbers) give "Out of range".
QString FormatKmPlus(bool withHundredths, double position);

// Display name of a category index: 0 "IV", 1 "III", 2 "II", 3 "Ib", 4 "Ia";
// an empty text for any other index.
QString CategoryName(int index);

// Category index 0 to 4 of a cell ("Ia", "1а", "IB", "Іб", "II", "3", "IV",
// "IIII", ...), or kInvalidValue.
int ParseRoadCategory(const QString& text);

// 1 or 0 of a yes/no cell ("Так", "да", "TRUE", "ні", "No", "0", ...), or
// kInvalidValue. An empty cell is read as emptyText: "0" in the road table,
// "-666" (thus invalid) in the vegetation table.
int ParseYesNo(const QString& text, const QString& emptyText = QStringLiteral("0"));

}  // namespace kestrova
