#include "import/source_reader.h"

#include "app/text_decoding.h"
#include "import/cell_parsing.h"

#include <QFileInfo>

#include <algorithm>

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
    if (Utf8) {
        const QByteArray bom = File.peek(3);
        if (bom == "\xEF\xBB\xBF") File.read(3);
    }
    return File.error() == QFileDevice::NoError;
}

bool tCsvLines::AtEnd() const { return File.atEnd(); }

tCsvLines::tStatus tCsvLines::ReadLine(QString& line, bool& tooLong) {
    tooLong = false;
    line.resize(0);
    if (File.atEnd()) return File.error() == QFileDevice::NoError ? tStatus::End : tStatus::Error;
    if (CrOnly) return ReadCrLine(line, tooLong);
    // One buffer for all lines: it grows to the longest line read, up to the cap.
    if (Buffer.isEmpty()) Buffer.resize(64 * 1024);
    qint64 total = 0;
    for (;;) {
        if (Buffer.size() - total < 2) {
            if (Buffer.size() > kMaxCsvLineBytes) {
                // Skip the rest of the over-long line.
                tooLong = true;
                while (!File.atEnd()) {
                    const qint64 n = File.readLine(Buffer.data(), Buffer.size());
                    if (n < 0) return tStatus::Error;
                    if (n > 0 && Buffer[n - 1] == '\n') break;
                }
                return File.error() == QFileDevice::NoError ? tStatus::Ok : tStatus::Error;
            }
            Buffer.resize(std::min<qint64>(Buffer.size() * 2, kMaxCsvLineBytes + 2));
        }
        const qint64 n = File.readLine(Buffer.data() + total, Buffer.size() - total);
        if (n < 0) {
            if (File.error() != QFileDevice::NoError) return tStatus::Error;
            break;
        }
        total += n;
        if ((total > 0 && Buffer[total - 1] == '\n') || n == 0 || File.atEnd()) break;
    }
    if (File.error() != QFileDevice::NoError) return tStatus::Error;
    qint64 end = total;
    if (end > 0 && Buffer[end - 1] == '\n') --end;
    if (end > 0 && Buffer[end - 1] == '\r') --end;
    const QByteArrayView bytes(Buffer.constData(), end);
    line = Utf8 ? QString::fromUtf8(bytes) : DecodeWindows1251(bytes.toByteArray());
    return tStatus::Ok;
}

tCsvLines::tStatus tCsvLines::ReadCrLine(QString& line, bool& tooLong) {
    qint64 total = 0;
    char c = 0;
    while (File.getChar(&c) && c != '\r') {
        if (total >= kMaxCsvLineBytes) {
            tooLong = true;
            while (File.getChar(&c) && c != '\r') {
            }
            return File.error() == QFileDevice::NoError ? tStatus::Ok : tStatus::Error;
        }
        if (total == Buffer.size()) Buffer.resize(std::min<qint64>(std::max<qint64>(64 * 1024, 2 * total), kMaxCsvLineBytes + 2));
        Buffer[total++] = c;
    }
    if (File.error() != QFileDevice::NoError) return tStatus::Error;
    const QByteArrayView bytes(Buffer.constData(), total);
    line = Utf8 ? QString::fromUtf8(bytes) : DecodeWindows1251(bytes.toByteArray());
    return tStatus::Ok;
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
    rec.Line.clear();
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

bool ReadCell(tFileRec& rec, QString& text, bool& endOfRow) {
    text.resize(0);
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
        text = book.GetCell(rec.Row, rec.Col);
        ++rec.Col;
        if (rec.Col > rec.MaxCol) rec.MaxCol = rec.Col;
        return book.LastError() == TExcel::NoError;
    }

    if (rec.LineBroken) return false;
    endOfRow = rec.LinePos >= rec.Line.size();
    bool quoted = false;
    for (;;) {
        const qsizetype n = rec.Line.size();
        if (rec.LinePos >= n) {
            if (!quoted) break;
            // A quoted cell runs over the line break, which becomes a blank.
            if (!ReadCsvLine(rec) || rec.LineBroken) return false;
            text += QLatin1Char(' ');
            if (text.size() > kMaxCsvCellChars) return false;
            continue;
        }
        const QChar* d = rec.Line.constData();
        const qsizetype start = rec.LinePos;
        qsizetype i = start;
        while (i < n && d[i] != u'"' && (quoted || d[i] != u';')) ++i;
        if (i > start) {
            text.append(d + start, i - start);
            if (text.size() > kMaxCsvCellChars) return false;
        }
        rec.LinePos = i;
        if (i >= n) continue;
        if (d[i] == u';') {  // only outside quotes
            ++rec.LinePos;
            break;
        }
        if (i + 1 < n && d[i + 1] == u'"') {
            text += QLatin1Char('"');
            rec.LinePos += 2;
        } else {
            quoted = !quoted;
            ++rec.LinePos;
        }
    }
    return true;
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
