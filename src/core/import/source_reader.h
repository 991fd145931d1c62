// The source reader shared by the three importers: walks a workbook sheet or a
// ";"-separated CSV file strictly forward, cell by cell and row by row, and
// returns every cell as text. Also the steps all importers share: finding the
// header row and the first data row, and reporting a rejected cell.
#pragma once

#include "core/import/excel_tables.h"
#include "core/import/import_result.h"
#include "core/model/progress.h"
#include "core/model/road_model.h"

#include <QFile>
#include <array>
#include <vector>
#include <QString>
#include <functional>
#include <memory>
#include <string_view>

namespace kestrova {

// Longest CSV line and longest cell accepted; beyond them the read fails.
constexpr qint64 kMaxCsvLineBytes = 16 * 1024 * 1024;
constexpr int kMaxCsvCellChars = kMaxCellText;

// A CSV file read line by line, as UTF-8 when the whole file is valid UTF-8
// (a byte-order mark is skipped) and as Windows-1251 otherwise. The bytes come
// in large reads into one buffer, and lines are handed out as bytes; only the
// cells that need it are decoded.
class tCsvLines {
public:
    enum class tStatus { Ok, End, Error };
    bool Open(const QString& fileName);
    // Next line's bytes without the line break (LF, CR LF, or a lone CR in
    // files whose lines all end so), valid until the next call. A line longer
    // than kMaxCsvLineBytes is skipped and reported with tooLong set.
    tStatus ReadLine(std::string_view& line, bool& tooLong);
    bool AtEnd() const { return Begin == End && Eof; }
    qint64 Size() const { return File.size(); }
    bool IsUtf8() const { return Utf8; }
    // The text of bytes of this file (a line or a part of one between cells).
    QString Decode(std::string_view bytes) const;

private:
    bool Fill();

    QFile File;
    std::vector<char> Buffer;
    size_t Begin = 0;  // unread bytes are Buffer[Begin, End)
    size_t End = 0;
    bool Eof = false;
    bool Utf8 = true;
    bool CrOnly = false;  // lines end in a lone CR (old Mac text files)
};

// One cell as read: the bytes of a plain ASCII CSV cell (no quotes, nothing
// beyond ASCII) or of a workbook number's text, valid until the next read, or
// else the cell's text.
struct tCellView {
    bool IsBytes = false;
    std::string_view Bytes;
    QString Text;
    char Own[kNumberTextBytes];  // a workbook number's text, when Bytes shows it

    // Blanks around removed, as QString::trimmed does.
    void Trim();
    bool IsEmpty() const { return IsBytes ? Bytes.empty() : Text.isEmpty(); }
    QString ToString() const;
    double Real(double def) const;
    int32_t Int(int32_t def) const;
};

// One running import's source (a local of the importer).
struct tFileRec {
    bool IsOpen = false;
    bool IsWorkbook = false;
    std::unique_ptr<tCsvLines> Text;
    std::unique_ptr<TExcel> Workbook;
    std::string_view Line;     // the current CSV line's bytes; the unread rest starts at LinePos
    size_t LinePos = 0;
    bool LineBroken = false;   // the current CSV line could not be read whole
    QByteArray Quoted;         // a quoted cell's bytes being gathered
    int Col = 1;
    int Row = 1;
    int MaxCol = 1;
    int BlockFirstRow = -1;
    int BlockLastRow = -1;
    bool UseBlocks = false;
};

// Opens fileName (trimmed, surrounding quotes removed) as a CSV file when its
// extension is .csv, else as sheet number sheet (1 to 3) of a workbook. Sets
// "%FileName%" in failure; on failure also its key.
bool OpenSource(const QString& fileName, tFileRec& rec, int sheet, tImportFailure& failure);
bool NextRow(tFileRec& rec, int& rowCounter);
bool ReadCell(tFileRec& rec, QString& text, bool& endOfRow);
// The same read without decoding a plain CSV cell.
bool ReadCellView(tFileRec& rec, tCellView& cell, bool& endOfRow);
// About how many rows from the current one on the source still holds: the
// workbook's used rows, or the CSV file's size over the current line's.
// Only for reserving storage; never more than limit.
int RowsAheadEstimate(const tFileRec& rec, int limit);
// Closes the source. After a failed import a workbook is shown to the user
// (TExcel::ShowApplication) before it is let go.
void CloseSource(tFileRec& rec, bool failed);

// The trimmed file name as opened and whether it names a CSV file.
QString SourceFileName(const QString& fileName);
bool IsCsvFileName(const QString& fileName);

// Upper case of ASCII letters only, blanks trimmed (header matching).
QString HeaderKey(const QString& cell);

// Cell address for messages: column letters and the row counter, e.g. C15.
QString CellAddress(int column, int rowCounter);

// Header-row search: rows 1 to 1000, first cell equal to firstName (upper
// case, trimmed). Sets "LoadData.NoHeaders" on failure.
bool FindHeaderRow(tFileRec& rec, int& rowCounter, const QString& firstName, tImportFailure& failure);

// First-data-row search after the header row: returns the trimmed first cell
// of the first row whose first cell qualifies; the source then reads in
// blocks. Sets "LoadData.NoFirstRowDataFound" on failure.
bool FindFirstDataRow(tFileRec& rec, int& rowCounter, const std::function<bool(const QString&)>& qualifies,
                      QString& firstCell, tImportFailure& failure);

// Failures of a header cell: "LoadData.DuplicateHeaders" and "LoadData.IncorrectHeader".
void FailDuplicateHeader(tImportFailure& failure, int firstCol, int col, const QString& declaredName);
void FailIncorrectHeader(tImportFailure& failure, int col, const QString& cellAsRead);

// Failures of a data cell: "LoadData.CellReadError" and
// "LoadData.IncorrectCellValue" with an optional reason key.
void FailCellRead(tImportFailure& failure, int col, int rowCounter);
void FailCellValue(tImportFailure& failure, int col, int rowCounter, const QString& reasonKey = QString());

}  // namespace kestrova

namespace kestrova {

// The short tables (crossroads, vegetation/buildings): "RecordName" in column
// 1 and the other declared names in columns 2 to 6 in any order.
struct tShortTable {
    static constexpr int kColumns = 6;
    tFileRec Src;
    int Row = 1;                       // the importer's row counter
    std::array<int, kColumns + 1> CodeOfCol{};   // column -> 1-based code of its name, 0 none
    QString FirstCell;                 // trimmed first cell of the first data row
    bool FirstRowPending = false;
};

// The source of a short table: the separate file, or the road's own file for a
// sheet of it; its trimmed name, kind and sheet number go into result. False,
// with "LoadData.SomeFileSelected" set, when the separate file is the road's own.
bool ChooseShortTableSource(const QString& roadFileName, const QString& fileName, tSheetChoice choice,
                            QString& source, tImportResult& result);

// Finds the header row, reads header cells 2 to 6 against names (declared
// order; names[0] is "RecordName"), checks that every name except optional
// ones has a column ("LoadData.MissedRequiredColumn") and finds the first data
// row (a non-empty first cell).
bool OpenShortTable(tShortTable& table, const QString& fileName, int sheet, const QStringList& names,
                    const std::vector<bool>& optional, tImportFailure& failure);

// The column holding the declared name with the given 1-based code; 0 when none does.
int ColumnOfCode(const tShortTable& table, int code);

// Reads columns 1 to 6 of the current row, trimmed, by column. Sets
// "LoadData.CellReadError" on failure.
bool ReadShortRow(tShortTable& table, std::array<QString, tShortTable::kColumns + 1>& cells, tImportFailure& failure);

// The record number of a point row of the crossroads or vegetation/buildings
// table: 1 to 1000, and in a row without a name exactly the previous row's
// number + 1. previousNumber is updated by every row. False, with the failure
// set, when the cell is rejected.
bool CheckPointNumber(const tShortTable& table, int col, const QString& text, bool rowHasName, int& previousNumber,
                      int& number, tImportFailure& failure);

// The column codes of a point table's coordinates and the heights it accepts.
struct tPointColumns {
    int X = 0, Y = 0, Height = 0;  // codes of the "X", "Y" and height columns
    double MinHeight = 0, MaxHeight = 0;
};

// One coordinate cell of a point row, the column's code telling which: "X"
// and "Y" 0 to 9999999 (stored swapped, in the point's Y and X), the height
// within the table's range (into H). False, with "LoadData.IncorrectCellValue"
// set, when the cell is rejected.
bool ReadPointCoordinate(const tShortTable& table, int col, const QString& text, const tPointColumns& columns,
                         tRoadPoint& point, tImportFailure& failure);

// Makes room for one more record of a table read row by row: the room grows
// by doubling from 16, and each growth is reported as the progress maximum.
template <class tRecord>
void ReserveOneMore(std::vector<tRecord>& records, int& capacity, const tProgress& progress) {
    if (int(records.size()) != capacity) return;
    capacity = capacity == 0 ? 16 : capacity * 2;
    records.reserve(size_t(capacity));
    progress.Max(capacity);
}

// Adds one point row to the objects of a point table: a row with a name starts
// a new object (see ReserveOneMore), and the row's point goes to the last
// object. Returns the object the row started, else nullptr.
template <class tObject>
tObject* AddPointRow(std::vector<tObject>& objects, int& capacity, const QString& name, const tRoadPoint& point,
                     const tProgress& progress) {
    tObject* started = nullptr;
    if (!name.isEmpty()) {
        ReserveOneMore(objects, capacity, progress);
        started = &objects.emplace_back();
        started->Name = name;
        progress.Pos(int(objects.size()) - 1);
        progress.Idle();
    }
    if (!objects.empty()) objects.back().Points.push_back(point);
    return started;
}

// Reads the point rows of a short table up to the first row without name and
// number, wherever the number column stands. `readRow(cells, name, point)`
// checks a row's cells into its point (false: rejected, the failure set); the
// point then goes in by AddPointRow, and `started(object)` gets each object a
// named row starts. False when a row could not be read or was rejected.
template <class tObject, class ReadRow, class Started>
bool ReadPointRows(tShortTable& table, int nameCode, int numberCode, std::vector<tObject>& objects,
                   const tProgress& progress, tImportFailure& failure, ReadRow&& readRow, Started&& started) {
    int capacity = 0;
    std::array<QString, tShortTable::kColumns + 1> cells;
    const int nameCol = ColumnOfCode(table, nameCode);
    const int numberCol = ColumnOfCode(table, numberCode);
    for (;;) {
        if (!ReadShortRow(table, cells, failure)) return false;
        const QString name = cells[size_t(nameCol)];
        if (name.isEmpty() && cells[size_t(numberCol)].isEmpty()) break;
        tRoadPoint point;
        if (!readRow(cells, name, point)) return false;
        const bool more = NextRow(table.Src, table.Row);
        if (tObject* object = AddPointRow(objects, capacity, name, point, progress)) started(*object);
        if (!more) break;
    }
    progress.Flush();
    return true;
}

// The same-file check of the crossroads and vegetation/buildings imports.
bool SameFileSelected(const QString& roadFileName, const QString& otherFileName);

}  // namespace kestrova
