#include "core/generate/road_generator.h"

#include "core/util/file_replace.h"

#include "core/import/road_import.h"
#include "core/model/road_text.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSaveFile>

#include <xlsxwriter.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <random>


namespace kestrova {

// ---------------------------------------------------------------------------
// Writers.

QByteArray CsvText(const tGeneratedTable& table) {
    QByteArray out;
    auto line = [&out](const QStringList& cells) {
        for (int c = 0; c < cells.size(); ++c) {
            if (c > 0) out += ';';
            const QString& t = cells[c];
            if (t.contains(QLatin1Char(';')) || t.contains(QLatin1Char('"')) || t.contains(QLatin1Char('\n')) ||
                t.contains(QLatin1Char('\r'))) {
                QString q = t;
                q.replace(QLatin1String("\""), QLatin1String("\"\""));
                out += '"' + q.toUtf8() + '"';
            } else {
                out += t.toUtf8();
            }
        }
        out += "\r\n";
    };
    line(table.Header);
    for (const QStringList& row : table.Rows) line(row);
    return out;
}

namespace {

bool WriteFileAtomically(const QString& path, const QByteArray& bytes, QString& error) {
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly)) {
        error = QStringLiteral("cannot write %1: %2").arg(path, f.errorString());
        return false;
    }
    if (f.write(bytes) != bytes.size() || !f.commit()) {
        error = QStringLiteral("cannot write %1: %2").arg(path, f.errorString());
        f.cancelWriting();
        return false;
    }
    return true;
}

}  // namespace

bool WriteGeneratedCsv(const tGeneratedRoad& road, const QString& folder, QString& error) {
    if (!QDir().mkpath(folder)) {
        error = QStringLiteral("cannot create the folder %1").arg(folder);
        return false;
    }
    const QDir dir(folder);
    return WriteFileAtomically(dir.filePath(QStringLiteral("road.csv")), CsvText(road.Road), error) &&
           WriteFileAtomically(dir.filePath(QStringLiteral("crossroads.csv")), CsvText(road.CrossRoads), error) &&
           WriteFileAtomically(dir.filePath(QStringLiteral("greens.csv")), CsvText(road.Greens), error);
}

bool WriteGeneratedXlsx(const tGeneratedRoad& road, const QString& filePath, QString& error) {
    const QFileInfo target(filePath);
    if (!QDir().mkpath(target.absolutePath())) {
        error = QStringLiteral("cannot create the folder %1").arg(target.absolutePath());
        return false;
    }
    // Written beside the target and renamed at the end, so that a failure never
    // leaves a half-written workbook under the real name.
    const QString temp = CreateTemporaryBeside(target.absoluteFilePath(), QStringLiteral(".xlsx"));
    if (temp.isEmpty()) {
        error = QStringLiteral("cannot create a file in %1").arg(target.absolutePath());
        return false;
    }
    const QByteArray tempName = QFile::encodeName(temp);
    lxw_workbook_options opts = {};
    opts.constant_memory = LXW_TRUE;  // rows go out in order; keeps large roads cheap
    lxw_workbook* wb = workbook_new_opt(tempName.constData(), &opts);
    if (!wb) {
        QFile::remove(temp);
        error = QStringLiteral("cannot create %1").arg(temp);
        return false;
    }
    // A fixed creation time, so that the same options give the same bytes.
    lxw_doc_properties props = {};
    props.created = 1704067200;  // 2024-01-01 00:00 UTC
    workbook_set_properties(wb, &props);
    auto writeSheet = [&](const char* name, const tGeneratedTable& table) {
        lxw_worksheet* ws = workbook_add_worksheet(wb, name);
        if (!ws) return false;
        auto writeRow = [&](lxw_row_t r, const QStringList& cells) {
            for (int c = 0; c < cells.size(); ++c) {
                const QString& t = cells[c];
                if (t.isEmpty()) continue;
                bool ok = false;
                const double v = t.toDouble(&ok);
                lxw_error e = ok ? worksheet_write_number(ws, r, lxw_col_t(c), v, nullptr)
                                 : worksheet_write_string(ws, r, lxw_col_t(c), t.toUtf8().constData(), nullptr);
                if (e != LXW_NO_ERROR) return false;
            }
            return true;
        };
        if (!writeRow(0, table.Header)) return false;
        for (size_t r = 0; r < table.Rows.size(); ++r)
            if (!writeRow(lxw_row_t(r + 1), table.Rows[r])) return false;
        return true;
    };
    const bool filled = writeSheet("Road", road.Road) && writeSheet("CrossRoads", road.CrossRoads) &&
                        writeSheet("Greens", road.Greens);
    const lxw_error closed = workbook_close(wb);
    if (!filled || closed != LXW_NO_ERROR) {
        QFile::remove(temp);
        error = QStringLiteral("cannot write %1: %2")
                    .arg(filePath, closed != LXW_NO_ERROR ? QString::fromUtf8(lxw_strerror(closed))
                                                          : QStringLiteral("a cell was rejected"));
        return false;
    }
    if (!ReplaceFile(temp, target.absoluteFilePath())) {
        QFile::remove(temp);
        error = QStringLiteral("cannot rename %1 to %2").arg(temp, filePath);
        return false;
    }
    return true;
}

}  // namespace kestrova
