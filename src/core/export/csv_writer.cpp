#include "core/export/csv_writer.h"

#include "core/util/file_replace.h"

namespace kestrova {

QString CsvMessageKey(tCsvResult result) {
    switch (result) {
        case tCsvResult::NoGrid: return {};
        case tCsvResult::Success: return QStringLiteral("CSVExport.ExportSuccessful");
        case tCsvResult::ErrorNoFileCreate: return QStringLiteral("CSVExport.ErrorNoFileCreate");
        case tCsvResult::FileWriteError: return QStringLiteral("CSVExport.FileWriteError");
        case tCsvResult::FileSaveError: return QStringLiteral("CSVExport.FileSaveError");
    }
    return {};
}

QString CsvField(const QString& cell) {
    QString text;
    text.reserve(cell.size());
    for (QChar c : cell) {
        if (c == QLatin1Char('\r'))
            text += QLatin1Char(' ');
        else if (c != QLatin1Char('\n'))
            text += c;
    }
    if (!text.contains(QLatin1Char(';')) && !text.contains(QLatin1Char('"'))) return text;
    text.replace(QLatin1String("\""), QLatin1String("\"\""));
    return QLatin1Char('"') + text + QLatin1Char('"');
}

QString CsvLine(const tTextTableView& table, int row) {
    QString line;
    for (int c = 0; c < table.Columns; ++c) {
        if (c > 0) line += QLatin1Char(';');
        line += CsvField(table.Cell(row, c));
    }
    return line;
}

namespace {

// CsvField on the UTF-8 bytes of one field, from `start` to the end of bytes.
// The characters it changes are single bytes that no other character's UTF-8
// form contains, so the result is CsvField(text) in UTF-8.
void EscapeFieldBytes(QByteArray& bytes, qsizetype start) {
    const char* begin = bytes.constData() + start;
    const char* end = bytes.constData() + bytes.size();
    bool special = false;
    for (const char* p = begin; p < end && !special; ++p)
        special = *p == '\r' || *p == '\n' || *p == ';' || *p == '"';
    if (!special) return;
    QByteArray text;
    text.reserve(end - begin);
    for (const char* p = begin; p < end; ++p) {
        if (*p == '\r')
            text += ' ';
        else if (*p != '\n')
            text += *p;
    }
    bytes.truncate(start);
    if (!text.contains(';') && !text.contains('"')) {
        bytes += text;
        return;
    }
    bytes += '"';
    bytes += text.replace("\"", "\"\"");
    bytes += '"';
}

// One line with its CR LF as UTF-8, as CsvLine makes it.
void AppendLineUtf8(const tTextTableView& table, int row, QByteArray& bytes) {
    for (int c = 0; c < table.Columns; ++c) {
        if (c > 0) bytes += ';';
        const qsizetype start = bytes.size();
        if (table.Utf8Cell(row, c, bytes))
            EscapeFieldBytes(bytes, start);
        else
            bytes += CsvField(table.Cell(row, c)).toUtf8();
    }
    bytes += "\r\n";
}

// One line with its CR LF in the bytes the file gets.
void AppendLine(const tTextTableView& table, int row, const tTextEncoder& encode, QByteArray& bytes) {
    if (!encode && table.Utf8Cell) {
        AppendLineUtf8(table, row, bytes);
        return;
    }
    QString line = CsvLine(table, row);
    line += QLatin1String("\r\n");
    bytes += encode ? encode(line) : line.toUtf8();
}

}  // namespace

tCsvResult ExportGridToCsv(const tTextTableView& table, const QString& fileName, const tProgress& progress,
                           const tTextEncoder& encode) {
    if (!table.Cell || table.Rows <= 0) return tCsvResult::NoGrid;

    // Written beside the target and renamed over it when complete; without
    // that the target is never touched. A file the user may overwrite in a
    // folder that takes no new file is written in place instead.
    if (fileName.isEmpty()) return tCsvResult::ErrorNoFileCreate;
    TReplacingFile file(fileName, QStringLiteral(".csv"), true);
    if (!file.Open()) return tCsvResult::ErrorNoFileCreate;

    // The lines are gathered and written in large pieces.
    constexpr qsizetype kWriteBytes = 1024 * 1024;
    QByteArray pending;
    pending.reserve(kWriteBytes + 64 * 1024);
    auto writePending = [&]() {
        const bool ok = file.Write(pending);
        pending.resize(0);
        return ok;
    };
    progress.Max(table.Rows - 1);
    for (int r = 0; r < table.Rows; ++r) {
        progress.Pos(r);
        if (r % 10 == 0) progress.Idle();
        AppendLine(table, r, encode, pending);
        if ((pending.size() >= kWriteBytes || r + 1 == table.Rows) && !writePending()) {
            file.Cancel();
            return tCsvResult::FileWriteError;
        }
    }
    progress.ShowLast();
    return file.Commit() ? tCsvResult::Success : tCsvResult::FileSaveError;
}

QByteArray CsvFileBytes(const tTextTableView& table) {
    QByteArray bytes;
    if (!table.Cell) return bytes;
    for (int r = 0; r < table.Rows; ++r) AppendLine(table, r, {}, bytes);
    return bytes;
}

tCsvResult WriteCsvFile(const QByteArray& bytes, const QString& fileName) {
    if (bytes.isEmpty()) return tCsvResult::NoGrid;
    if (fileName.isEmpty()) return tCsvResult::ErrorNoFileCreate;
    TReplacingFile file(fileName, QStringLiteral(".csv"), true);
    if (!file.Open()) return tCsvResult::ErrorNoFileCreate;
    if (!file.Write(bytes)) {
        file.Cancel();
        return tCsvResult::FileWriteError;
    }
    return file.Commit() ? tCsvResult::Success : tCsvResult::FileSaveError;
}

}  // namespace kestrova
