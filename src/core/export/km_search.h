// The km+ search of the result grids: the text of a search box turned into a
// position, and the rows a position selects.
#pragma once

#include "core/model/road_model.h"

#include <QString>

namespace kestrova {

// Text of an empty search box: four blanks, "+", three blanks, ",", two blanks.
inline const QString kEmptyKmPlusText = QStringLiteral("    +   ,  ");

// Reads "km+mmm,hh" (blanks allowed, "." or "," before the fraction) into
// metres. False when the text is not a km+ position.
bool ParseSearchKmPlus(const QString& text, double& position);

// The search box's kilometre field once the caret has moved past it: the
// first four characters trimmed, "0" when nothing is left, padded on the left
// with blanks to four. Returns the text unchanged when the field is already so.
QString NormaliseKmField(const QString& text);

// Index of the profile nearest to position (the first among equals), -1 when
// the table is empty.
int NearestProfile(const TMPlan& plan, double position);

// Index of the first pivot row whose profiles include profileIndex, -1 when none.
int PivotRowOfProfile(const tPivotData& pivot, int profileIndex);

}  // namespace kestrova
