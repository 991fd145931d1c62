// Small tables for the importer tests: built as rows of cell texts, written
// as CSV or as an .xlsx workbook (through TExcel's writer), then imported.
#pragma once

#include "core/import/excel_tables.h"
#include "test_support.h"

#include <QStringList>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <vector>

namespace kestrova::test {

using tRows = std::vector<QStringList>;

enum class tFormat { Csv, Xlsx };

inline const char* FormatName(tFormat f) { return f == tFormat::Csv ? "csv" : "xlsx"; }

// Key points of the small test road with their offset across the road (to
// the source "Y" column) and height above the centre.
struct tKeyPointDef {
    int Number;
    double Offset;
    double Height;
};

inline const std::vector<tKeyPointDef>& RoadKeyPoints() {
    static const std::vector<tKeyPointDef> points = {
        {-1, -20, -1},  {0, 0, 0},      {109, -10, -0.5}, {112, -7, -0.2},
        {116, -3.75, 0}, {123, 3.75, 0}, {127, 7, -0.2},  {130, 10, -0.5},
    };
    return points;
}

inline QStringList RoadHeader() {
    QStringList h = {"RecordNumber", "Position",         "RoadCathegory",  "TrafficIntensity", "Cars",
                     "Trucks",       "Buses",            "VehicleTrains",  "CurveRadius",      "LongitudinalTilt",
                     "SlicknessValue", "Clearance",      "IsLocality",     "IsSocialActivity"};
    for (const auto& kp : RoadKeyPoints()) h << QString::number(kp.Number) << "" << "";
    return h;
}

// Source X (first sub-column) of profile i's key points; the road runs along X.
inline double RoadX(int i) { return 1000 + 100 * i; }
inline double RoadY(double offset) { return 2000 + offset; }

inline QStringList RoadRow(int i) {
    QStringList r = {QString::number(i + 1), QString::number(100 * i), "II", "5000", "0.6", "0.2", "0.1", "0.1",
                     "", "0.01", "0.4", "", "0", "0"};
    for (const auto& kp : RoadKeyPoints())
        r << QString::number(RoadX(i)) << QString::number(RoadY(kp.Offset)) << QString::number(100 + kp.Height);
    return r;
}

inline tRows RoadTable(int profiles = 4) {
    tRows rows = {RoadHeader()};
    for (int i = 0; i < profiles; ++i) rows.push_back(RoadRow(i));
    return rows;
}

inline int ColumnOf(const tRows& rows, const QString& header, int headerRow = 0) {
    return int(rows[size_t(headerRow)].indexOf(header));
}

inline void RemoveColumn(tRows& rows, int col) {
    for (auto& r : rows)
        if (col < r.size()) r.removeAt(col);
}

inline void InsertColumn(tRows& rows, int col, const QStringList& values) {
    for (size_t i = 0; i < rows.size(); ++i) {
        while (rows[i].size() < col) rows[i] << "";
        rows[i].insert(col, i < size_t(values.size()) ? values[qsizetype(i)] : QString());
    }
}

inline QString CsvField(const QString& cell) {
    if (!cell.contains(';') && !cell.contains('"')) return cell;
    QString c = cell;
    c.replace("\"", "\"\"");
    return "\"" + c + "\"";
}

inline QByteArray CsvBytes(const tRows& rows) {
    QString text;
    for (const auto& r : rows) {
        QStringList fields;
        for (const auto& c : r) fields << CsvField(c);
        text += fields.join(';') + "\r\n";
    }
    return text.toUtf8();
}

// Writes the sheets (first one first) as an .xlsx workbook.
inline bool WriteXlsx(const QString& path, const std::vector<tRows>& sheets) {
    TExcel book{QString()};
    for (size_t s = 0; s < sheets.size(); ++s) {
        if (s > 0 && book.AddSheet() < 0) return false;
        for (size_t r = 0; r < sheets[s].size(); ++r)
            for (qsizetype c = 0; c < sheets[s][r].size(); ++c)
                if (!sheets[s][r][c].isEmpty() && !book.SetCell(int(r) + 1, int(c) + 1, sheets[s][r][c])) return false;
    }
    return book.SaveAs(path);
}

// A temporary folder holding the written tables.
class tTableFiles {
public:
    QString Csv(const QString& name, const tRows& rows) {
        const QString path = Dir.filePath(name + ".csv");
        EXPECT_TRUE(WriteFile(path, CsvBytes(rows)));
        return path;
    }
    QString Xlsx(const QString& name, const std::vector<tRows>& sheets) {
        const QString path = Dir.filePath(name + ".xlsx");
        EXPECT_TRUE(WriteXlsx(path, sheets));
        return path;
    }
    QString Write(tFormat format, const QString& name, const tRows& rows) {
        return format == tFormat::Csv ? Csv(name, rows) : Xlsx(name, {rows});
    }
    QString Raw(const QString& name, const QByteArray& bytes) {
        const QString path = Dir.filePath(name);
        EXPECT_TRUE(WriteFile(path, bytes));
        return path;
    }
    QString Path(const QString& name) const { return Dir.filePath(name); }

private:
    QTemporaryDir Dir;
};

}  // namespace kestrova::test
