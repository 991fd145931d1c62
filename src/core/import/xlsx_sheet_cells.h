// The cell layer shared by the two readers of an .xlsx sheet part (the byte
// scanner and the XML reader): where the reader stands among rows and cells,
// the checks of row and cell positions, and the hand-over of finished cells
// into the sheet and the workbook's text pool.
#pragma once

#include "core/import/workbook_data.h"
#include "core/import/zip_part.h"

#include <QString>

#include <cstdint>
#include <utility>
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
inline bool EnterRow(tSheetCursor& at, const tCellRef& ref);

// A <c> inside a row: its column follows the previous cell or is given.
inline bool EnterCell(tSheetCursor& at, const tCellRef& ref);

// The start of an element inside a cell: what its text will be collected as.
inline void EnterCellPart(tSheetCursor& at, tSheetTag tag);

// The end of an element; true when it closes a cell, which is then to be kept.
inline bool LeaveElement(tSheetCursor& at, tSheetTag tag);

// Where finished cells go: the sheet's rows and the workbook's text pool, the
// shared strings copied into the pool once each.
struct tSheetSink {
    tSheetSink(tSheetData& sheet, std::vector<QString>& texts, const std::vector<QString>& shared,
               std::vector<int32_t>& sharedInPool)
        : Sheet(sheet), Texts(texts), Shared(shared), SharedInPool(sharedInPool) {}

    // Pool index of a new text.
    int32_t AddText(QString text);
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

// The steps are defined here so that both readers' inner loops inline them.

inline bool EnterRow(tSheetCursor& at, const tCellRef& ref) {
    int r = 0;
    if (ref.Present) {
        if (!ref.Ok || ref.Col != 0 || ref.Row < 1) return false;
        r = ref.Row;
        if (r <= at.Row) return false;  // rows must come in order
    } else {
        r = at.Row + 1;
    }
    if (r > kMaxSheetRows) return false;
    at.Row = r;
    at.NextCol = 1;
    return true;
}

inline bool EnterCell(tSheetCursor& at, const tCellRef& ref) {
    if (at.Row < 1) return false;
    int c = 0;
    if (ref.Present) {
        if (!ref.Ok || ref.Col < 1 || (ref.Row != 0 && ref.Row != at.Row)) return false;
        c = ref.Col;
    } else {
        c = at.NextCol;
    }
    if (c > kMaxSheetCols) return false;
    at.CellCol = c;
    at.NextCol = c + 1;
    at.InCell = true;
    return true;
}

inline void EnterCellPart(tSheetCursor& at, tSheetTag tag) {
    if (at.InCell && tag == tSheetTag::Value) {
        at.Collecting = tSheetCursor::tWhat::Value;
    } else if (at.InCell && tag == tSheetTag::Inline) {
        at.InInline = true;
    } else if (at.InInline && tag == tSheetTag::Phonetic) {
        ++at.Phonetic;
    } else if (at.InInline && at.Phonetic == 0 && tag == tSheetTag::Text) {
        at.Collecting = tSheetCursor::tWhat::InlineText;
    }
}

inline bool LeaveElement(tSheetCursor& at, tSheetTag tag) {
    if (tag == tSheetTag::Value || tag == tSheetTag::Text) {
        at.Collecting = tSheetCursor::tWhat::None;
    } else if (tag == tSheetTag::Phonetic) {
        --at.Phonetic;
    } else if (tag == tSheetTag::Inline) {
        at.InInline = false;
    } else if (tag == tSheetTag::Cell && at.InCell) {
        at.InCell = false;
        at.Collecting = tSheetCursor::tWhat::None;
        return true;
    }
    return false;
}

inline int32_t tSheetSink::AddText(QString text) {
    Texts.push_back(std::move(text));
    return int32_t(Texts.size() - 1);
}

inline int32_t tSheetSink::SharedText(qint64 i) {
    if (i < 0 || i >= qint64(Shared.size())) return -1;
    if (SharedInPool[size_t(i)] < 0) {
        SharedInPool[size_t(i)] = int32_t(Texts.size());
        Texts.push_back(Shared[size_t(i)]);
    }
    return SharedInPool[size_t(i)];
}

inline bool tSheetSink::Keep(int row, const tSheetCell& cell) {
    if (++Cells > kMaxCells) return false;
    if (!Current || Current->Row != row) {
        if (Current) LastRowCells = Current->Cells.size();
        Sheet.Rows.push_back(tSheetRow{row, {}});
        Current = &Sheet.Rows.back();
        Current->Cells.reserve(LastRowCells);
    }
    Current->Cells.push_back(cell);
    return true;
}

// A cell's stored number (C locale, as the file format writes it).
bool ToNumber(const QString& text, double& v);

// The two readers of a sheet part. The byte scanner reads parts of the usual
// shape fast and gives up at anything else; the part is then read again from
// its start by the XML reader, which decides alone.
enum class tScanResult { Ok, Failed, GiveUp };
tScanResult ScanSheet(tPartStream& stream, tSheetSink& sink);
bool ParseSheet(zip_t* zip, const QString& part, tSheetSink& sink);

}  // namespace kestrova::xlsx
