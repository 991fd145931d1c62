#include "core/import/source_reader.h"

#include "core/util/text_decoding.h"
#include "core/model/cell_parsing.h"

#include <QFileInfo>

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace kestrova {

namespace {

constexpr qint64 kScanChunk = 1024 * 1024;
constexpr int kBlockRows = 1000;
constexpr int kMaxSearchRows = 1000;

// Length of the part of bytes that ends on a UTF-8 character boundary, so a
// chunked validity check never splits a character.
qsizetype Utf8Boundary(const QByteArray& bytes) {
    qsizetype end = bytes.size();
    for (int back = 0; back < 3 && end > 0; ++back) {
        const auto b = static_cast<unsigned char>(bytes[end - 1]);
        if ((b & 0xC0) != 0x80) break;
        --end;
    }
    if (end > 0 && static_cast<unsigned char>(bytes[end - 1]) >= 0xC0) --end;
    return end;
}

}  // namespace

namespace {

constexpr size_t kReadChunk = 4 * 1024 * 1024;

// True when every byte is below 0x80 (eight bytes at a time).
bool AllAscii(const char* data, size_t size) {
    size_t i = 0;
    for (; i + 8 <= size; i += 8) {
        uint64_t word;
        std::memcpy(&word, data + i, 8);
        if (word & 0x8080808080808080ULL) return false;
    }
    for (; i < size; ++i)
        if (static_cast<unsigned char>(data[i]) & 0x80) return false;
    return true;
}

}  // namespace

bool tCsvLines::Open(const QString& fileName) {
    File.setFileName(fileName);
    if (!File.open(QIODevice::ReadOnly)) return false;
    // One pass over the bytes decides the encoding of the whole file, so that
    // every line reads alike whatever letters it happens to hold.
    Utf8 = true;
    CrOnly = false;
    QByteArray carry;
    for (bool first = true;; first = false) {
        QByteArray chunk = File.read(kScanChunk);
        if (File.error() != QFileDevice::NoError) return false;
        if (chunk.isEmpty()) break;
        // Line breaks without a single LF in the first megabyte are lone CRs.
        if (first) CrOnly = chunk.contains('\r') && !chunk.contains('\n');
        // Plain ASCII needs no decoder.
        if (carry.isEmpty() && AllAscii(chunk.constData(), size_t(chunk.size()))) continue;
        carry += chunk;
        const qsizetype end = Utf8Boundary(carry);
        if (!IsValidUtf8(carry.left(end))) {
            Utf8 = false;
            break;
        }
        carry.remove(0, end);
        if (carry.size() > 8) {  // a cut sequence never grows beyond a few bytes
            Utf8 = false;
            break;
        }
    }
    if (Utf8 && !carry.isEmpty() && !IsValidUtf8(carry)) Utf8 = false;
    if (!File.seek(0)) return false;
    const qint64 size = File.size();
    Buffer.assign(size_t(std::clamp<qint64>(size + 1, 64 * 1024, qint64(kReadChunk))), '\0');
    Begin = End = 0;
    Eof = false;
    while (End < 3 && !Eof)
        if (!Fill()) return false;
    if (Utf8 && End >= 3 && std::memcmp(Buffer.data(), "\xEF\xBB\xBF", 3) == 0) Begin = 3;
    return true;
}

bool tCsvLines::Fill() {
    if (End == Buffer.size()) return true;
    const qint64 n = File.read(Buffer.data() + End, qint64(Buffer.size() - End));
    if (n < 0 || File.error() != QFileDevice::NoError) return false;
    if (n == 0) Eof = true;
    End += size_t(n);
    return true;
}

QString tCsvLines::Decode(std::string_view bytes) const {
    if (Utf8) return QString::fromUtf8(bytes.data(), qsizetype(bytes.size()));
    return DecodeWindows1251(QByteArray(bytes.data(), qsizetype(bytes.size())));
}

tCsvLines::tStatus tCsvLines::ReadLine(std::string_view& line, bool& tooLong) {
    tooLong = false;
    line = {};
    const char delimiter = CrOnly ? '\r' : '\n';
    // A last line without a line break may hold one byte more in LF files.
    const size_t lastLineLimit = size_t(kMaxCsvLineBytes) + (CrOnly ? 0 : 1);
    auto give = [&](size_t lineEnd, size_t next) {
        size_t end = lineEnd;
        if (!CrOnly && end > Begin && Buffer[end - 1] == '\r') --end;
        line = std::string_view(Buffer.data() + Begin, end - Begin);
        Begin = next;
        return tStatus::Ok;
    };
    size_t scanFrom = Begin;
    for (;;) {
        const void* hit = std::memchr(Buffer.data() + scanFrom, delimiter, End - scanFrom);
        if (hit) {
            const size_t lineEnd = size_t(static_cast<const char*>(hit) - Buffer.data());
            if (lineEnd - Begin > size_t(kMaxCsvLineBytes)) {
                tooLong = true;
                Begin = lineEnd + 1;
                return tStatus::Ok;
            }
            return give(lineEnd, lineEnd + 1);
        }
        if (Eof) {
            if (Begin == End) return tStatus::End;
            if (End - Begin > lastLineLimit) {
                tooLong = true;
                Begin = End;
                return tStatus::Ok;
            }
            return give(End, End);
        }
        if (End - Begin > lastLineLimit) {
            // Skip the rest of the over-long line.
            tooLong = true;
            for (;;) {
                Begin = End = 0;
                if (!Fill()) return tStatus::Error;
                const void* stop = std::memchr(Buffer.data(), delimiter, End);
                if (stop) {
                    Begin = size_t(static_cast<const char*>(stop) - Buffer.data()) + 1;
                    return tStatus::Ok;
                }
                if (Eof) return tStatus::Ok;
            }
        }
        // More bytes behind the unread rest; the buffer grows only for long lines.
        scanFrom = End;
        if (Begin > 0) {
            std::memmove(Buffer.data(), Buffer.data() + Begin, End - Begin);
            End -= Begin;
            scanFrom -= Begin;
            Begin = 0;
        }
        if (End == Buffer.size()) Buffer.resize(std::min(Buffer.size() * 2, size_t(kMaxCsvLineBytes) + kReadChunk));
        if (!Fill()) return tStatus::Error;
    }
}

QString SourceFileName(const QString& fileName) { return StripQuotes(fileName.trimmed()); }

bool IsCsvFileName(const QString& fileName) {
    return QFileInfo(fileName).suffix().compare(QLatin1String("csv"), Qt::CaseInsensitive) == 0 &&
           fileName.endsWith(QLatin1String(".csv"), Qt::CaseInsensitive);
}

QString HeaderKey(const QString& cell) {
    QString key = cell.trimmed();
    QChar* d = key.data();
    for (qsizetype i = 0; i < key.size(); ++i) {
        const char16_t c = d[i].unicode();
        if (c >= u'a' && c <= u'z') d[i] = QChar(char16_t(c - 32));
    }
    return key;
}

QString CellAddress(int column, int rowCounter) { return ColumnLetters(column, false) + QString::number(rowCounter); }

namespace {

void CloseAll(tFileRec& rec) {
    rec.Workbook.reset();
    rec.Text.reset();
    rec.IsOpen = false;
}

// Reads the next CSV line into rec; false at the end of the file or on a read error.
bool ReadCsvLine(tFileRec& rec) {
    bool tooLong = false;
    const auto status = rec.Text->ReadLine(rec.Line, tooLong);
    rec.LinePos = 0;
    rec.LineBroken = tooLong;
    return status == tCsvLines::tStatus::Ok;
}

}  // namespace

bool OpenSource(const QString& fileName, tFileRec& rec, int sheet, tImportFailure& failure) {
    CloseAll(rec);
    const QString name = SourceFileName(fileName);
    failure.Set(QStringLiteral("%FileName%"), name);
    if (name.isEmpty() || !QFileInfo(name).isFile()) {
        failure.Key = QStringLiteral("LoadData.FileNotFound");
        return false;
    }
    rec.Line = {};
    rec.LinePos = 0;
    rec.LineBroken = false;
    rec.Col = rec.Row = rec.MaxCol = 1;
    rec.BlockFirstRow = rec.BlockLastRow = -1;
    rec.UseBlocks = false;
    if (!IsCsvFileName(name)) {
        rec.IsWorkbook = true;
        rec.Workbook = std::make_unique<TExcel>(name);
        bool ok = rec.Workbook->LastError() == TExcel::NoError;
        ok = ok && rec.Workbook->SelectSheet(rec.Workbook->SheetName(sheet - 1));
        if (!ok) {
            rec.Workbook.reset();
            failure.Key = QStringLiteral("LoadData.ExcelOpenError");
            return false;
        }
        rec.IsOpen = true;
        return true;
    }
    rec.IsWorkbook = false;
    rec.Text = std::make_unique<tCsvLines>();
    if (!rec.Text->Open(name)) {
        rec.Text.reset();
        failure.Key = QStringLiteral("LoadData.FileOpenError");
        return false;
    }
    if (!rec.Text->AtEnd()) {
        bool tooLong = false;
        if (rec.Text->ReadLine(rec.Line, tooLong) == tCsvLines::tStatus::Error) {
            rec.Text.reset();
            failure.Key = QStringLiteral("LoadData.FileOpenError");
            return false;
        }
        rec.LineBroken = tooLong;
    }
    rec.IsOpen = true;
    return true;
}

bool NextRow(tFileRec& rec, int& rowCounter) {
    if (!rec.IsOpen) return false;
    ++rec.Row;
    rec.Col = 1;
    if (!rec.IsWorkbook && !ReadCsvLine(rec)) return false;
    if (rec.IsWorkbook && rec.Row > kMaxSheetRows) return false;
    ++rowCounter;
    return true;
}

namespace {

bool IsBlankByte(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

// A cell holding quotes: its bytes are gathered (over line breaks while a
// quote is open, each break becoming a blank) and decoded at the end.
bool ReadQuotedCell(tFileRec& rec, tCellView& cell) {
    // Every character takes at most three bytes, so more bytes than three per
    // allowed character can never fit.
    constexpr qsizetype kMaxBytes = 3 * qsizetype(kMaxCsvCellChars);
    QByteArray& bytes = rec.Quoted;
    bytes.resize(0);
    bool quoted = false;
    for (;;) {
        const size_t n = rec.Line.size();
        if (rec.LinePos >= n) {
            if (!quoted) break;
            // A quoted cell runs over the line break, which becomes a blank.
            if (!ReadCsvLine(rec) || rec.LineBroken) return false;
            bytes += ' ';
            if (bytes.size() > kMaxBytes) return false;
            continue;
        }
        const char* d = rec.Line.data();
        const size_t start = rec.LinePos;
        size_t i = start;
        while (i < n && d[i] != '"' && (quoted || d[i] != ';')) ++i;
        if (i > start) {
            bytes.append(d + start, qsizetype(i - start));
            if (bytes.size() > kMaxBytes) return false;
        }
        rec.LinePos = i;
        if (i >= n) continue;
        if (d[i] == ';') {  // only outside quotes
            ++rec.LinePos;
            break;
        }
        if (i + 1 < n && d[i + 1] == '"') {
            bytes += '"';
            rec.LinePos += 2;
        } else {
            quoted = !quoted;
            ++rec.LinePos;
        }
    }
    cell.IsBytes = false;
    cell.Text = rec.Text->Decode(std::string_view(bytes.constData(), size_t(bytes.size())));
    return cell.Text.size() <= kMaxCsvCellChars;
}

}  // namespace

bool ReadCellView(tFileRec& rec, tCellView& cell, bool& endOfRow) {
    cell.IsBytes = false;
    cell.Bytes = {};
    cell.Text.resize(0);
    endOfRow = false;
    if (!rec.IsOpen) return false;
    if (rec.IsWorkbook) {
        TExcel& book = *rec.Workbook;
        if (rec.UseBlocks && rec.Row > rec.BlockLastRow) {
            book.ClearBlock();
            book.StartBlock(rec.Row, 1, kBlockRows, rec.MaxCol);
            book.ReadBlock();
            rec.BlockFirstRow = rec.Row;
            rec.BlockLastRow = rec.Row + kBlockRows - 1;
            if (book.LastError() != TExcel::NoError) return false;
        }
        double number = 0;
        if (book.PeekNumber(rec.Row, rec.Col, number)) {
            cell.IsBytes = true;
            cell.Bytes = std::string_view(cell.Own, NumberCellBytes(number, cell.Own));
        } else {
            cell.Text = book.GetCell(rec.Row, rec.Col);
        }
        ++rec.Col;
        if (rec.Col > rec.MaxCol) rec.MaxCol = rec.Col;
        return book.LastError() == TExcel::NoError;
    }

    if (rec.LineBroken) return false;
    const size_t n = rec.Line.size();
    endOfRow = rec.LinePos >= n;
    // Most cells hold neither quotes nor letters beyond ASCII: their bytes are the cell.
    const char* d = rec.Line.data();
    const size_t start = std::min(rec.LinePos, n);
    size_t i = start;
    unsigned char high = 0;
    while (i < n && d[i] != ';' && d[i] != '"') high |= static_cast<unsigned char>(d[i++]);
    if (i < n && d[i] == '"') return ReadQuotedCell(rec, cell);
    rec.LinePos = i < n ? i + 1 : n;
    const std::string_view bytes(d + start, i - start);
    if ((high & 0x80) == 0) {
        cell.IsBytes = true;
        cell.Bytes = bytes;
        return bytes.size() <= size_t(kMaxCsvCellChars);
    }
    cell.Text = rec.Text->Decode(bytes);
    return cell.Text.size() <= kMaxCsvCellChars;
}

bool ReadCell(tFileRec& rec, QString& text, bool& endOfRow) {
    tCellView cell;
    const bool ok = ReadCellView(rec, cell, endOfRow);
    text = cell.ToString();
    return ok;
}

void tCellView::Trim() {
    if (!IsBytes) {
        Text = Text.trimmed();
        return;
    }
    while (!Bytes.empty() && IsBlankByte(Bytes.front())) Bytes.remove_prefix(1);
    while (!Bytes.empty() && IsBlankByte(Bytes.back())) Bytes.remove_suffix(1);
}

QString tCellView::ToString() const {
    return IsBytes ? QString::fromLatin1(Bytes.data(), qsizetype(Bytes.size())) : Text;
}

double tCellView::Real(double def) const { return IsBytes ? ParseRealBytes(Bytes, def) : ParseRealCell(Text, def); }

int32_t tCellView::Int(int32_t def) const { return IsBytes ? ParseIntBytes(Bytes, def) : ParseIntCell(Text, def); }

int RowsAheadEstimate(const tFileRec& rec, int limit) {
    if (!rec.IsOpen) return 0;
    qint64 rows = 0;
    if (rec.IsWorkbook && rec.Workbook)
        rows = qint64(rec.Workbook->UsedRows()) - rec.Row + 1;
    else if (rec.Text)
        rows = rec.Text->Size() / qint64(rec.Line.size() + 1) + 1;
    return int(std::clamp<qint64>(rows, 0, limit));
}

void CloseSource(tFileRec& rec, bool failed) {
    if (rec.IsOpen && rec.IsWorkbook && rec.Workbook) {
        if (rec.UseBlocks) rec.Workbook->ClearBlock();
        // After a failure the user gets the workbook to inspect.
        if (failed) rec.Workbook->Release(true);
    }
    CloseAll(rec);
}

bool FindHeaderRow(tFileRec& rec, int& rowCounter, const QString& firstName, tImportFailure& failure) {
    rowCounter = 1;
    const QString wanted = HeaderKey(firstName);
    QString cell;
    bool eor = false;
    for (;;) {
        if (!ReadCell(rec, cell, eor)) break;
        if (HeaderKey(cell) == wanted) return true;
        if (!NextRow(rec, rowCounter) || rowCounter > kMaxSearchRows) break;
    }
    failure.Key = QStringLiteral("LoadData.NoHeaders");
    return false;
}

bool FindFirstDataRow(tFileRec& rec, int& rowCounter, const std::function<bool(const QString&)>& qualifies,
                      QString& firstCell, tImportFailure& failure) {
    QString cell;
    bool eor = false;
    for (;;) {
        if (!NextRow(rec, rowCounter) || !ReadCell(rec, cell, eor) || eor) break;
        firstCell = cell.trimmed();
        if (qualifies(firstCell)) {
            rec.UseBlocks = true;
            return true;
        }
        if (rowCounter >= kMaxSearchRows) break;
    }
    failure.Key = QStringLiteral("LoadData.NoFirstRowDataFound");
    return false;
}

void FailDuplicateHeader(tImportFailure& failure, int firstCol, int col, const QString& declaredName) {
    failure.Key = QStringLiteral("LoadData.DuplicateHeaders");
    failure.Set(QStringLiteral("%XLColNumber1%"), ColumnLetters(firstCol, false));
    failure.Set(QStringLiteral("%XLColNumber2%"), ColumnLetters(col, false));
    failure.Set(QStringLiteral("%XLColValue%"), declaredName);
}

void FailIncorrectHeader(tImportFailure& failure, int col, const QString& cellAsRead) {
    failure.Key = QStringLiteral("LoadData.IncorrectHeader");
    failure.Set(QStringLiteral("%XLColNumber%"), ColumnLetters(col, false));
    failure.Set(QStringLiteral("%XLColValue%"), cellAsRead);
}

void FailCellRead(tImportFailure& failure, int col, int rowCounter) {
    failure.Key = QStringLiteral("LoadData.CellReadError");
    failure.Set(QStringLiteral("%CellAddr%"), CellAddress(col, rowCounter));
}

void FailCellValue(tImportFailure& failure, int col, int rowCounter, const QString& reasonKey) {
    failure.Key = QStringLiteral("LoadData.IncorrectCellValue");
    failure.ReasonKey = reasonKey;
    failure.Set(QStringLiteral("%CellAddr%"), CellAddress(col, rowCounter));
}

}  // namespace kestrova

namespace kestrova {

bool ChooseShortTableSource(const QString& roadFileName, const QString& fileName, tSheetChoice choice,
                            QString& source, tImportResult& result) {
    if (choice == tSheetChoice::SeparateFile && SameFileSelected(roadFileName, fileName)) {
        result.Failure.Key = QStringLiteral("LoadData.SomeFileSelected");
        return false;
    }
    source = choice == tSheetChoice::SeparateFile ? fileName : roadFileName;
    result.FileName = SourceFileName(source);
    result.FromCsv = IsCsvFileName(result.FileName);
    result.Sheet = SheetNumber(choice);
    return true;
}

bool OpenShortTable(tShortTable& table, const QString& fileName, int sheet, const QStringList& names,
                    const std::vector<bool>& optional, tImportFailure& failure) {
    tFileRec& src = table.Src;
    if (!OpenSource(fileName, src, sheet, failure)) return false;
    if (!FindHeaderRow(src, table.Row, names[0], failure)) return false;
    std::vector<int> colOf(size_t(names.size()), 0);
    colOf[0] = 1;
    table.CodeOfCol.fill(0);
    table.CodeOfCol[1] = 1;
    QString cell;
    bool eor = false;
    for (int col = 2; col <= tShortTable::kColumns; ++col) {
        if (!ReadCell(src, cell, eor)) {
            failure.Key = QStringLiteral("LoadData.HeaderReadError");
            return false;
        }
        if (eor) break;
        const QString key = HeaderKey(cell);
        if (key.isEmpty()) break;
        int match = -1;
        for (int i = 0; i < names.size() && match < 0; ++i)
            if (key == HeaderKey(names[i])) match = i;
        if (match < 0) {
            FailIncorrectHeader(failure, col, cell);
            return false;
        }
        if (colOf[size_t(match)] != 0) {
            FailDuplicateHeader(failure, colOf[size_t(match)], col, names[match]);
            return false;
        }
        colOf[size_t(match)] = col;
        table.CodeOfCol[size_t(col)] = match + 1;
    }
    for (int i = 0; i < names.size(); ++i) {
        if (colOf[size_t(i)] != 0 || (size_t(i) < optional.size() && optional[size_t(i)])) continue;
        failure.Key = QStringLiteral("LoadData.MissedRequiredColumn");
        failure.Set(QStringLiteral("%XLColHeader%"), names[i]);
        return false;
    }
    auto nonEmpty = [](const QString& c) { return !c.isEmpty(); };
    if (!FindFirstDataRow(src, table.Row, nonEmpty, table.FirstCell, failure)) return false;
    table.FirstRowPending = true;
    return true;
}

int ColumnOfCode(const tShortTable& table, int code) {
    for (int col = 1; col <= tShortTable::kColumns; ++col)
        if (table.CodeOfCol[size_t(col)] == code) return col;
    return 0;
}

bool ReadShortRow(tShortTable& table, std::array<QString, tShortTable::kColumns + 1>& cells, tImportFailure& failure) {
    bool eor = false;
    for (int col = 1; col <= tShortTable::kColumns; ++col) {
        if (col == 1 && table.FirstRowPending) {
            cells[1] = table.FirstCell;
            table.FirstRowPending = false;
            continue;
        }
        if (!ReadCell(table.Src, cells[size_t(col)], eor)) {
            FailCellRead(failure, col, table.Row);
            return false;
        }
        cells[size_t(col)] = cells[size_t(col)].trimmed();
    }
    return true;
}

bool CheckPointNumber(const tShortTable& table, int col, const QString& text, bool rowHasName, int& previousNumber,
                      int& number, tImportFailure& failure) {
    constexpr int kMaxPointNumber = 1000;
    number = ParseIntCell(text, kFailedCell);
    const bool next = number == previousNumber + 1;
    previousNumber = number;
    if (number < 1 || number > kMaxPointNumber) {
        failure.Set(QStringLiteral("%MaxRecordNumber%"), QString::number(kMaxPointNumber));
        FailCellValue(failure, col, table.Row, QStringLiteral("LoadData.RecordNumberConstraints"));
        return false;
    }
    if (!rowHasName && !next) {
        FailCellValue(failure, col, table.Row, QStringLiteral("LoadData.NextNumberConstraint"));
        return false;
    }
    return true;
}

bool ReadPointCoordinate(const tShortTable& table, int col, const QString& text, const tPointColumns& columns,
                         tRoadPoint& point, tImportFailure& failure) {
    const int code = table.CodeOfCol[size_t(col)];
    const double v = ParseRealCell(text, kFailedCell);
    const bool ok = code == columns.Height ? (v >= columns.MinHeight && v <= columns.MaxHeight)
                                           : (v >= 0 && v <= 9999999);
    if (!ok) {
        FailCellValue(failure, col, table.Row);
        return false;
    }
    if (code == columns.X) point.Y = v;
    else if (code == columns.Y) point.X = v;
    else point.H = v;
    return true;
}

bool SameFileSelected(const QString& roadFileName, const QString& otherFileName) {
    return roadFileName.trimmed().toUpper() == otherFileName.trimmed().toUpper();
}

}  // namespace kestrova
