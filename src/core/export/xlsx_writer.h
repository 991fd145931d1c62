// Writes a table of texts as the first sheet of a new .xlsx workbook: every
// cell a text cell, so numbers, dates and formulas stay as the grid shows them.
#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

namespace kestrova {

enum class tXlsxResult {
    Ok,
    CannotCreate,  // the workbook (or its temporary file) cannot be made
    BadSheetName,  // the sheet name is refused (characters not allowed in sheet names)
    WriteFailed,   // a cell could not be stored
    CloseFailed,   // the file could not be finished or moved into place
};

// Cell texts as the workbook gets them: a carriage return becomes a blank,
// line feeds are dropped.
QString WorkbookCellText(const QString& text);

// Sheet names longer than 31 characters are cut to 31.
QString WorkbookSheetName(const QString& name);

// rowCount rows of colCount cells from cell(row, col). The workbook is written
// to a temporary file next to fileName and renamed into place, so an existing
// file is never left half written. progress(row) runs once per row.
tXlsxResult WriteXlsxTextSheet(const QString& fileName, const QString& sheetName, int rowCount, int colCount,
                               const std::function<QString(int row, int col)>& cell,
                               const std::function<void(int row)>& progress = {});

}  // namespace kestrova
