// Cell texts of the result grids (source data, factor speeds, pivot table and
// the profile list beside the drawn views), without any widget.
//
// The texts are computed on demand from the model: CellText(grid, row, col)
// formats one cell when it is asked for. A table model in the window answers
// data() with it, so a road of 20,000 profiles costs no 440,000 stored
// strings and a language or separator change needs no refill, only a repaint.
// MaterialiseGrid builds the whole table for the few callers that need every
// cell at once (tests); exports read cell by cell through a tTextTableView
// instead, the CSV export as UTF-8 bytes straight from the numbers.
#pragma once

#include "core/model/road_model.h"

#include <QByteArray>
#include <QString>
#include <functional>
#include <vector>

namespace kestrova {

enum class tGridId { SourceData, DraftV, PivotData, ProfilesList };

// Section and key lookup of the language engine: (section, key) -> text.
using tSectionLookup = std::function<QString(const QString& section, const QString& key)>;

// The section of every grid header, cause and verdict text.
inline QString GridSection() { return QStringLiteral("MainForm.Grids"); }

// The translated texts the grids show besides numbers. Filled from the
// language engine and refreshed whenever the language is applied.
struct tGridLanguage {
    std::vector<QString> Headers[4];  // per tGridId, one text per column
    QString Causes[10];               // per cause code; code 0 stays empty
    QString Safe;                     // verdict 1
    QString NotSafe;                  // verdict -1
};

// Everything a cell text depends on. Plan and Pivot may be null (header row only).
struct tGridSource {
    const TMPlan* Plan = nullptr;
    const tPivotData* Pivot = nullptr;
    const tGridLanguage* Language = nullptr;
    QString DecimalSeparator = QStringLiteral(".");
};

int GridColumnCount(tGridId grid);
int GridFixedColumns(tGridId grid);
// Header row plus one row per profile (per segment for the pivot grid).
int GridRowCount(tGridId grid, const tGridSource& source);
// Language key of a column header ("gDraftV.cgvFreeV"); empty for the hidden
// mark columns of the profile list.
QString HeaderKey(tGridId grid, int column);

// Header texts of all four grids from the lookup (section "MainForm.Grids").
void FillHeaderTexts(tGridLanguage& language, const tSectionLookup& lookup);
// Cause texts (codes 1 to 9) and the two verdict texts from the lookup. Since
// the cells are computed on demand, the window only repaints afterwards.
void FillCauseTexts(tGridLanguage& language, const tSectionLookup& lookup);

// Language key of a cause code's text; empty for code 0 and unknown codes.
QString CauseKey(int cause);
// The gDraftV column holding the factor speed that a cause code names, per
// direction (0 forward, 1 reverse): the cause mark of the grid painting.
int CauseColumn(int cause, int direction);

// Text of one cell; empty outside the grid.
QString CellText(tGridId grid, const tGridSource& source, int row, int column);

// Appends the UTF-8 form of CellText(grid, source, row, column) to out and
// returns true, without making a QString of a number. Returns false, having
// appended nothing, for a text that holds UTF-16 surrogates: a writer that
// changes the text takes it through CellText then.
bool AppendCellUtf8(tGridId grid, const tGridSource& source, int row, int column, QByteArray& out);

// A table of texts, row-major.
struct tTextTable {
    int Rows = 0;
    int Columns = 0;
    std::vector<QString> Cells;
    const QString& At(int row, int column) const { return Cells[size_t(row) * size_t(Columns) + size_t(column)]; }
};

// Read access to any table of texts, row by row: what the exporters take.
struct tTextTableView {
    int Rows = 0;
    int Columns = 0;
    std::function<QString(int row, int column)> Cell;
    // May be left empty: appends the UTF-8 form of Cell(row, column) to out
    // and returns true, or returns false having appended nothing (the caller
    // then takes Cell). Writers of UTF-8 use it to skip the QString per cell.
    std::function<bool(int row, int column, QByteArray& out)> Utf8Cell;
};

tTextTable MaterialiseGrid(tGridId grid, const tGridSource& source);
tTextTableView GridView(tGridId grid, const tGridSource& source);  // keeps a copy of source
tTextTableView TableView(const tTextTable& table);                  // refers to table

}  // namespace kestrova
