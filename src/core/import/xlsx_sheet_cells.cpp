#include "import/xlsx_sheet_cells.h"

#include <charconv>

namespace kestrova::xlsx {

bool EnterRow(tSheetCursor& at, const tCellRef& ref) {
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

bool EnterCell(tSheetCursor& at, const tCellRef& ref) {
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

void EnterCellPart(tSheetCursor& at, tSheetTag tag) {
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

bool LeaveElement(tSheetCursor& at, tSheetTag tag) {
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

bool ToNumber(const QString& text, double& v) {
    char bytes[64];
    const qsizetype n = text.size();
    if (n == 0 || n >= qsizetype(sizeof bytes)) {
        bool ok = false;
        v = text.trimmed().toDouble(&ok);
        return ok;
    }
    const QChar* d = text.constData();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = d[i].unicode();
        if (c > 0x7F) return false;
        bytes[i] = char(c);
    }
    const char* first = bytes;
    const char* last = bytes + n;
    if (*first == '+') ++first;
    const auto [ptr, ec] = std::from_chars(first, last, v, std::chars_format::general);
    if (ec == std::errc() && ptr == last) return true;
    bool ok = false;
    v = text.trimmed().toDouble(&ok);  // blanks or other rare forms
    return ok;
}

int32_t tSheetSink::AddText(const QString& text) {
    Texts.push_back(text);
    return int32_t(Texts.size() - 1);
}

int32_t tSheetSink::SharedText(qint64 i) {
    if (i < 0 || i >= qint64(Shared.size())) return -1;
    if (SharedInPool[size_t(i)] < 0) {
        SharedInPool[size_t(i)] = int32_t(Texts.size());
        Texts.push_back(Shared[size_t(i)]);
    }
    return SharedInPool[size_t(i)];
}

bool tSheetSink::Keep(int row, const tSheetCell& cell) {
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

}  // namespace kestrova::xlsx
