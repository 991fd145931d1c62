#include "export/csv_writer.h"

#include "util/file_replace.h"

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
    QString line;
    for (int r = 0; r < table.Rows; ++r) {
        progress.Pos(r);
        if (r % 10 == 0) progress.Idle();
        line = CsvLine(table, r);
        line += QLatin1String("\r\n");
        if (encode)
            pending += encode(line);
        else
            pending += line.toUtf8();
        if ((pending.size() >= kWriteBytes || r + 1 == table.Rows) && !writePending()) {
            file.Cancel();
            return tCsvResult::FileWriteError;
        }
    }
    progress.ShowLast();
    return file.Commit() ? tCsvResult::Success : tCsvResult::FileSaveError;
}

}  // namespace kestrova
