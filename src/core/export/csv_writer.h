// Writes a table of texts (a result grid as shown) to a ";"-separated file.
#pragma once

#include "core/calc/grid_texts.h"
#include "core/model/progress.h"

#include <QByteArray>
#include <QString>
#include <functional>

namespace kestrova {

enum class tCsvResult {
    NoGrid,              // nothing to write; no message
    Success,             // "CSVExport.ExportSuccessful"
    ErrorNoFileCreate,   // the file could not be created
    FileWriteError,      // a row could not be written
    FileSaveError,       // the finished file could not be put in place
};

// Message key (section "Messages") the window shows for a result; empty for NoGrid.
QString CsvMessageKey(tCsvResult result);

// One field: carriage returns become blanks, line feeds vanish, and a text
// holding ";" or a double quote is quoted with its quotes doubled.
QString CsvField(const QString& cell);

// One line of the table without its line end: the fields joined by ";".
QString CsvLine(const tTextTableView& table, int row);

// Turns a line into the bytes written; UTF-8 when none is given.
using tTextEncoder = std::function<QByteArray(const QString& text)>;

// Writes every row of the table, header row included, each ended by CR LF.
// The rows go to a temporary file in the target's folder that replaces the
// target only when complete, so a failed export leaves an existing file as it
// was; an existing file the user may write in a folder that takes no new file
// is overwritten in place (TReplacingFile). Progress: maximum rows - 1, position per row, Yield every 10 rows.
tCsvResult ExportGridToCsv(const tTextTableView& table, const QString& fileName, const tProgress& progress = {},
                           const tTextEncoder& encode = {});

// The same in two steps, for a caller that makes several files at once: the
// bytes ExportGridToCsv writes in UTF-8 (empty for a table without rows), made
// in memory on any thread; then the file written from them as ExportGridToCsv
// writes it (NoGrid for no bytes).
QByteArray CsvFileBytes(const tTextTableView& table);
tCsvResult WriteCsvFile(const QByteArray& bytes, const QString& fileName);

}  // namespace kestrova
