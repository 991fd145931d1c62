// The cell layer shared by the two readers of an .xlsx sheet part (the byte
// scanner and the XML reader): where the reader stands among rows and cells,
// the checks of row and cell positions, and the hand-over of finished cells
// into the sheet and the workbook's text pool.
#pragma once

#include "import/workbook_data.h"
#include "import/zip_part.h"

#include <QString>

#include <cstdint>
#include <vector>

namespace kestrova::xlsx {

// Most cells accepted from one workbook.
constexpr qint64 kMaxCells = 32 * 1024 * 1024;

// The elements of a sheet part the readers act on.
enum class tSheetTag { Row, Cell, Value, Inline, Phonetic, Text, Other };

// Where a reader stands in the sheet part.
struct tSheetCursor {
    enum class tWhat { None, Value, InlineText };
    int Row = 0;      // current row number
    int NextCol = 1;  // column of a cell without a reference
    bool InCell = false;
    int CellCol = 0;
    tWhat Collecting = tWhat::None;
    bool InInline = false;
    int Phonetic = 0;
};

// A cell reference as read: present or not, and its parts when it parsed.
struct tCellRef {
    bool Present = false;
    bool Ok = false;
    int Col = 0;
    int Row = 0;
};

// A <row>: its number follows the previous one or is given, in order.
bool EnterRow(tSheetCursor& at, const tCellRef& ref);

// A <c> inside a row: its column follows the previous cell or is given.
bool EnterCell(tSheetCursor& at, const tCellRef& ref);

// The start of an element inside a cell: what its text will be collected as.
void EnterCellPart(tSheetCursor& at, tSheetTag tag);

// The end of an element; true when it closes a cell, which is then to be kept.
bool LeaveElement(tSheetCursor& at, tSheetTag tag);

// Where finished cells go: the sheet's rows and the workbook's text pool, the
// shared strings copied into the pool once each.
struct tSheetSink {
    tSheetSink(tSheetData& sheet, std::vector<QString>& texts, const std::vector<QString>& shared,
               std::vector<int32_t>& sharedInPool)
        : Sheet(sheet), Texts(texts), Shared(shared), SharedInPool(sharedInPool) {}

    // Pool index of a new text.
    int32_t AddText(const QString& text);
    // Pool index of shared string i; -1 when there is none of that index.
    int32_t SharedText(qint64 i);
    // Keeps a cell of the given row; false past the cell limit.
    bool Keep(int row, const tSheetCell& cell);

    tSheetData& Sheet;
    std::vector<QString>& Texts;
    const std::vector<QString>& Shared;
    std::vector<int32_t>& SharedInPool;
    tSheetRow* Current = nullptr;
    size_t LastRowCells = 0;
    qint64 Cells = 0;
};

// A cell's stored number (C locale, as the file format writes it).
bool ToNumber(const QString& text, double& v);

// The two readers of a sheet part. The byte scanner reads parts of the usual
// shape fast and gives up at anything else; the part is then read again from
// its start by the XML reader, which decides alone.
enum class tScanResult { Ok, Failed, GiveUp };
tScanResult ScanSheet(tPartStream& stream, tSheetSink& sink);
bool ParseSheet(zip_t* zip, const QString& part, tSheetSink& sink);

}  // namespace kestrova::xlsx
