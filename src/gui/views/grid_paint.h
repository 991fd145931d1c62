// Owner-drawn painting of the result grids and their fitting to the texts.
#pragma once

#include "core/calc/grid_texts.h"
#include "core/model/road_model.h"
#include "gui/views/string_grid.h"

#include <bitset>

namespace kestrova {

using tColumnSet = std::bitset<256>;

// A set of columns from a list, e.g. Columns({12, 13}); ColumnRange(16, 21).
tColumnSet Columns(std::initializer_list<int> cols);
tColumnSet ColumnRange(int first, int last);

// Which view tab is showing; the profile list paints its marks by it.
enum class tViewTab { None, Forward, Backward, CrossProfile, CrossRoads };

// Fixed colours of the grids.
inline const QColor kFwdCauseFill{160, 255, 160};
inline const QColor kRevCauseFill{144, 196, 255};
inline const QColor kNotSafeFill{255, 111, 111};
inline const QColor kFwdText{0, 128, 0};
inline const QColor kRevText{0, 64, 128};
inline const QColor kYellowMark{255, 255, 80};
inline const QColor kNoLookFill{170, 255, 170};


void PaintDraftCell(QPainter& p, const TStringGrid& grid, const tCellDraw& cell, const tRoadModel& model);
void PaintSourceCell(QPainter& p, const TStringGrid& grid, const tCellDraw& cell);
void PaintPivotCell(QPainter& p, const TStringGrid& grid, const tCellDraw& cell, const tRoadModel& model);
void PaintProfilesListCell(QPainter& p, const TStringGrid& grid, const tCellDraw& cell, tViewTab tab);
void PaintCRoadsListCell(QPainter& p, const TStringGrid& grid, const tCellDraw& cell);
void PaintCrProfilesListCell(QPainter& p, const TStringGrid& grid, const tCellDraw& cell);

// Fits column widths and row heights to the texts: every column at least 64
// pixels and each line's width + 8; each row as tall as its line count.
// An empty sized set sizes every column.
void AutoSizeGrid(TStringGrid& grid, const tColumnSet& bold, const tColumnSet& sized);

}  // namespace kestrova
