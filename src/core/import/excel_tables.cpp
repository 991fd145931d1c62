#include "core/import/excel_tables.h"

#include "core/util/file_replace.h"

#include "core/model/cell_parsing.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <charconv>
#include <cstring>
#include <cmath>
#include <system_error>

#include <xlsxwriter.h>

namespace kestrova {

namespace {

TExcel::tShowHook& ShowHook() {
    static TExcel::tShowHook hook;
    return hook;
}

bool SameSheetName(const QString& a, const QString& b) {
    return a.trimmed().compare(b.trimmed(), Qt::CaseInsensitive) == 0;
}

}  // namespace

bool PlainNumber(QStringView text, double& v) {
    char bytes[kPlainNumberMax + 1];
    const qsizetype n = text.size();
    if (n == 0 || n > kPlainNumberMax) return false;
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = text[i].unicode();
        if (c > 0x7F) return false;
        bytes[i] = char(c);
    }
    const char* first = bytes;
    const char* last = bytes + n;
    if (*first == '+') ++first;
    const auto [ptr, ec] = std::from_chars(first, last, v, std::chars_format::general);
    return ec == std::errc() && ptr == last;
}

size_t NumberCellBytes(double value, char* buffer) {
    auto put = [&](const char* text) {
        const size_t n = std::strlen(text);
        std::memcpy(buffer, text, n);
        return n;
    };
    if (value == 0) return put("0");  // also -0
    if (!std::isfinite(value)) return put("#NUM!");
    // Like printf's %.15g: 15 significant digits, trailing zeros dropped.
    const auto [end, ec] = std::to_chars(buffer, buffer + kNumberTextBytes, value, std::chars_format::general, 15);
    if (ec != std::errc()) {
        const QByteArray text = QByteArray::number(value, 'g', 15).left(qsizetype(kNumberTextBytes));
        std::memcpy(buffer, text.constData(), size_t(text.size()));
        return size_t(text.size());
    }
    return size_t(end - buffer);
}

QString NumberCellText(double value) {
    char buffer[kNumberTextBytes];
    return QString::fromLatin1(buffer, qsizetype(NumberCellBytes(value, buffer)));
}

const tSheetCell* tSheetData::Find(int row, int col) const {
    // Sheets are mostly dense, so the row and column usually sit at their own index.
    const tSheetRow* r = nullptr;
    if (row >= 1 && size_t(row - 1) < Rows.size() && Rows[size_t(row - 1)].Row == row) {
        r = &Rows[size_t(row - 1)];
    } else {
        auto it = std::lower_bound(Rows.begin(), Rows.end(), row,
                                   [](const tSheetRow& x, int v) { return x.Row < v; });
        if (it == Rows.end() || it->Row != row) return nullptr;
        r = &*it;
    }
    const auto& cells = r->Cells;
    if (col >= 1 && size_t(col - 1) < cells.size() && cells[size_t(col - 1)].Col == col)
        return &cells[size_t(col - 1)];
    auto it = std::lower_bound(cells.begin(), cells.end(), col,
                               [](const tSheetCell& x, int v) { return x.Col < v; });
    if (it == cells.end() || it->Col != col) return nullptr;
    return &*it;
}

void tSheetData::Normalise() {
    auto rowLess = [](const tSheetRow& a, const tSheetRow& b) { return a.Row < b.Row; };
    auto cellLess = [](const tSheetCell& a, const tSheetCell& b) { return a.Col < b.Col; };
    if (!std::is_sorted(Rows.begin(), Rows.end(), rowLess))
        std::stable_sort(Rows.begin(), Rows.end(), rowLess);
    // A row or cell given twice keeps its last value.
    std::vector<tSheetRow> merged;
    merged.reserve(Rows.size());
    for (auto& r : Rows) {
        if (!merged.empty() && merged.back().Row == r.Row) {
            auto& cells = merged.back().Cells;
            cells.insert(cells.end(), r.Cells.begin(), r.Cells.end());
        } else {
            merged.push_back(std::move(r));
        }
    }
    Rows = std::move(merged);
    for (auto& r : Rows) {
        auto& cells = r.Cells;
        if (std::is_sorted(cells.begin(), cells.end(), cellLess)) {
            bool unique = std::adjacent_find(cells.begin(), cells.end(), [](const tSheetCell& a, const tSheetCell& b) {
                              return a.Col == b.Col;
                          }) == cells.end();
            if (unique) continue;
        }
        std::stable_sort(cells.begin(), cells.end(), cellLess);
        std::vector<tSheetCell> out;
        out.reserve(cells.size());
        for (const auto& c : cells) {
            if (!out.empty() && out.back().Col == c.Col) out.back() = c;
            else out.push_back(c);
        }
        cells = std::move(out);
    }
}

std::unique_ptr<tWorkbookReader> OpenWorkbookReader(const QString& fileName) {
    QFile f(fileName);
    if (!f.open(QIODevice::ReadOnly)) return nullptr;
    const QByteArray head = f.read(8);
    f.close();
    if (head.startsWith("PK\x03\x04")) {
        if (auto xlsx = OpenXlsxReader(fileName)) return xlsx;
        return OpenOdsReader(fileName);
    }
    if (head.startsWith("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1")) return OpenXlsReader(fileName);
    return nullptr;
}

void TExcel::SetShowHook(tShowHook hook) { ShowHook() = std::move(hook); }

TExcel::TExcel(const QString& fileName) {
    if (fileName.isEmpty()) {
        Names << QStringLiteral("Sheet1");
        Sheets.push_back(std::make_unique<tSheetData>());
        Current = 0;
        return;
    }
    File = fileName;
    Reader = OpenWorkbookReader(fileName);
    if (!Reader) {
        Error = FileNotLoaded;
        return;
    }
    Names = Reader->SheetNames();
    Sheets.resize(size_t(Names.size()));
    // The first sheet is selected lazily: a workbook whose first sheet is
    // unreadable can still be asked for its other sheets.
    if (!Names.isEmpty()) Current = 0;
}

TExcel::~TExcel() = default;

bool TExcel::LoadSheet(int index) {
    if (index < 0 || index >= Names.size()) return false;
    auto& slot = Sheets[size_t(index)];
    if (slot) return true;
    if (!Reader) return false;
    auto sheet = std::make_unique<tSheetData>();
    if (!Reader->ReadSheet(index, *sheet, Texts)) return false;
    sheet->Normalise();
    slot = std::move(sheet);
    return true;
}

bool TExcel::SelectSheet(const QString& name) {
    if (Pending()) return false;
    for (int i = 0; i < Names.size(); ++i) {
        if (!SameSheetName(Names[i], name)) continue;
        if (!LoadSheet(i)) break;
        Current = i;
        return true;
    }
    Error = SheetNotFound;
    return false;
}

QString TExcel::SheetName(int index) const {
    if (Pending() || index < 0 || index >= Names.size()) return {};
    return Names[index];
}

int TExcel::SheetCount() const { return Pending() ? -1 : int(Names.size()); }

QString TExcel::CellText(const tSheetData& sheet, int row, int col) const {
    const tSheetCell* c = sheet.Find(row, col);
    if (!c) return {};
    switch (c->Kind) {
    case tCellKind::Number: return NumberCellText(c->Number);
    case tCellKind::Text:
        return (c->Text >= 0 && size_t(c->Text) < Texts.size()) ? Texts[size_t(c->Text)] : QString();
    default: return {};
    }
}

bool TExcel::PeekNumber(int row, int col, double& value) {
    if (Pending() || row < 1 || col < 1 || row > kMaxSheetRows || col > kMaxSheetCols || Current < 0 ||
        size_t(Current) >= Sheets.size() || !Sheets[size_t(Current)])
        return false;
    if (Block.Covers(Current, row, col) && !Block.Cells.empty()) return false;
    const tSheetCell* c = Sheets[size_t(Current)]->Find(row, col);
    if (!c || c->Kind != tCellKind::Number) return false;
    value = c->Number;
    return true;
}

QString TExcel::GetCell(int row, int col) {
    if (Pending()) return {};
    if (row < 1 || col < 1 || row > kMaxSheetRows || col > kMaxSheetCols || !LoadSheet(Current)) {
        Error = NoDataRead;
        return {};
    }
    if (Block.Covers(Current, row, col) && !Block.Cells.empty()) {
        const QString& t = Block.Cells[size_t(row - Block.FirstRow) * size_t(Block.Cols) + size_t(col - Block.FirstCol)];
        if (!t.isNull()) return t;
    }
    return CellText(*Sheets[size_t(Current)], row, col);
}

void TExcel::StoreCell(int sheetIndex, int row, int col, const QString& text) {
    tSheetData& sheet = *Sheets[size_t(sheetIndex)];
    auto rit = std::lower_bound(sheet.Rows.begin(), sheet.Rows.end(), row,
                                [](const tSheetRow& x, int v) { return x.Row < v; });
    if (rit == sheet.Rows.end() || rit->Row != row) {
        if (text.isEmpty()) return;
        tSheetRow r;
        r.Row = row;
        rit = sheet.Rows.insert(rit, std::move(r));
    }
    auto& cells = rit->Cells;
    auto cit = std::lower_bound(cells.begin(), cells.end(), col,
                                [](const tSheetCell& x, int v) { return x.Col < v; });
    if (text.isEmpty()) {
        if (cit != cells.end() && cit->Col == col) cells.erase(cit);
        return;
    }
    tSheetCell cell;
    cell.Col = uint16_t(col);
    cell.Kind = tCellKind::Text;
    cell.Text = int32_t(Texts.size());
    Texts.push_back(text);
    if (cit != cells.end() && cit->Col == col) *cit = cell;
    else cells.insert(cit, cell);
}

bool TExcel::SetCell(int row, int col, const QString& text) {
    if (Pending()) return false;
    if (row < 1 || col < 1 || row > kMaxSheetRows || col > kMaxSheetCols || !LoadSheet(Current) ||
        text.size() > kMaxCellText) {
        Error = NoDataWrite;
        return false;
    }
    if (Block.Covers(Current, row, col)) {
        if (Block.Cells.empty()) Block.Cells.resize(size_t(Block.Rows) * size_t(Block.Cols));
        Block.Cells[size_t(row - Block.FirstRow) * size_t(Block.Cols) + size_t(col - Block.FirstCol)] = text;
        return true;
    }
    StoreCell(Current, row, col, text);
    return true;
}

void TExcel::StartBlock(int firstRow, int firstCol, int rows, int cols) {
    Block = tBlock();
    if (firstRow < 1 || firstCol < 1 || rows < 1 || cols < 1 || Current < 0) return;
    // A block never reaches past the sheet's edge.
    rows = std::min(rows, kMaxSheetRows - firstRow + 1);
    cols = std::min(cols, kMaxSheetCols - firstCol + 1);
    if (rows < 1 || cols < 1) return;
    Block.Active = true;
    Block.Sheet = Current;
    Block.FirstRow = firstRow;
    Block.FirstCol = firstCol;
    Block.Rows = rows;
    Block.Cols = cols;
}

bool TExcel::ReadBlock() {
    // The sheet is in memory already, so reading a block only checks that
    // there is one to read; cells are then served from the sheet.
    if (!Block.Active || !LoadSheet(Block.Sheet)) {
        Error = NoDataRead;
        return false;
    }
    Block.Cells.clear();
    return true;
}

bool TExcel::WriteBlock() {
    if (!Block.Active || !LoadSheet(Block.Sheet)) {
        Error = NoDataWrite;
        return false;
    }
    if (Block.Cells.empty()) return true;
    for (int r = 0; r < Block.Rows; ++r)
        for (int c = 0; c < Block.Cols; ++c) {
            const QString& t = Block.Cells[size_t(r) * size_t(Block.Cols) + size_t(c)];
            if (!t.isNull()) StoreCell(Block.Sheet, Block.FirstRow + r, Block.FirstCol + c, t);
        }
    return true;
}

void TExcel::ClearBlock() { Block = tBlock(); }

void TExcel::ReloadNames(const QString& keepName) {
    Current = -1;
    for (int i = 0; i < Names.size(); ++i)
        if (Names[i] == keepName) Current = i;
}

int TExcel::AddSheet() {
    if (Pending()) return -1;
    int n = int(Names.size()) + 1;
    QString name;
    for (;; ++n) {
        name = QStringLiteral("Sheet%1").arg(n);
        bool seen = false;
        for (const auto& existing : Names) seen = seen || SameSheetName(existing, name);
        if (!seen) break;
    }
    // Sheets not read yet are read now, so that a later save keeps them.
    for (int i = 0; i < Names.size(); ++i) LoadSheet(i);
    Names << name;
    Sheets.push_back(std::make_unique<tSheetData>());
    Current = int(Names.size()) - 1;
    Error = NoError;
    return Current;
}

bool TExcel::RenameSheet(const QString& oldName, const QString& newName) {
    if (Pending()) return false;
    if (!SelectSheet(oldName)) return false;
    const QString name = newName.left(31);
    static const QString forbidden = QStringLiteral("[]:*?/\\");
    bool bad = name.trimmed().isEmpty();
    for (QChar ch : name) bad = bad || forbidden.contains(ch);
    for (int i = 0; i < Names.size(); ++i)
        if (i != Current && SameSheetName(Names[i], name)) bad = true;
    if (bad) {
        Error = SheetNotFound;
        return false;
    }
    Names[Current] = name;
    ReloadNames(name);
    return true;
}

bool TExcel::ShowApplication() {
    if (Pending()) return false;
    auto& hook = ShowHook();
    if (!hook || !hook(*this)) {
        Error = NoExcelOpen;
        return false;
    }
    return true;
}

void TExcel::Release(bool show) {
    if (Error == xlsUnassigned) return;
    if (show && !Pending()) ShowApplication();
    Error = xlsUnassigned;
}

int TExcel::LastError() {
    const int code = Error;
    if (Error != xlsUnassigned) Error = NoError;
    return code;
}

int TExcel::UsedRows() const {
    if (Current < 0 || !Sheets[size_t(Current)] || Sheets[size_t(Current)]->Rows.empty()) return 0;
    return Sheets[size_t(Current)]->Rows.back().Row;
}

int TExcel::UsedCols() const {
    if (Current < 0 || !Sheets[size_t(Current)]) return 0;
    int cols = 0;
    for (const auto& r : Sheets[size_t(Current)]->Rows)
        if (!r.Cells.empty()) cols = std::max(cols, int(r.Cells.back().Col));
    return cols;
}

bool TExcel::SaveAs(const QString& fileName) {
    if (Pending() || fileName.isEmpty()) return false;
    for (int i = 0; i < Names.size(); ++i)
        if (!LoadSheet(i)) {
            Error = NoDataWrite;
            return false;
        }
    // A fresh name beside the target: nothing of the user's is overwritten.
    const QString temp = CreateTemporaryBeside(fileName, QStringLiteral(".xlsx"));
    if (temp.isEmpty()) {
        Error = NoDataWrite;
        return false;
    }
    const QByteArray tempName = QFile::encodeName(temp);
    lxw_workbook* book = workbook_new(tempName.constData());
    if (!book) {
        QFile::remove(temp);
        Error = NoDataWrite;
        return false;
    }
    bool ok = true;
    for (int i = 0; i < Names.size() && ok; ++i) {
        const QByteArray name = Names[i].toUtf8();
        lxw_worksheet* ws = workbook_add_worksheet(book, name.constData());
        if (!ws) {
            ok = false;
            break;
        }
        for (const auto& r : Sheets[size_t(i)]->Rows) {
            for (const auto& c : r.Cells) {
                const auto row = lxw_row_t(r.Row - 1);
                const auto col = lxw_col_t(c.Col - 1);
                lxw_error e = LXW_NO_ERROR;
                if (c.Kind == tCellKind::Number) {
                    e = worksheet_write_number(ws, row, col, c.Number, nullptr);
                } else if (c.Kind == tCellKind::Text) {
                    const QString& t = Texts[size_t(c.Text)];
                    double v = 0;
                    if (ToFiniteReal(t, &v) && NumberCellText(v) == t) {
                        e = worksheet_write_number(ws, row, col, v, nullptr);
                    } else {
                        const QByteArray u = t.toUtf8();
                        e = worksheet_write_string(ws, row, col, u.constData(), nullptr);
                    }
                }
                if (e != LXW_NO_ERROR) ok = false;
            }
        }
    }
    if (workbook_close(book) != LXW_NO_ERROR) ok = false;
    if (ok) {
        // Replaces an existing file in one step, so a failed save never leaves half a workbook.
        ok = ReplaceFile(temp, fileName);
    }
    if (!ok) {
        QFile::remove(temp);
        Error = NoDataWrite;
        return false;
    }
    File = fileName;
    return true;
}

}  // namespace kestrova
