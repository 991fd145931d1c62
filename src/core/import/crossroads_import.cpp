#include "import/crossroads_import.h"

#include "import/cell_parsing.h"
#include "import/source_reader.h"

namespace kestrova {

namespace {

enum tCrossCode : int { cName = 1, cNumber, cPosition, cX, cY, cH };

const QStringList kCrossNames = {QStringLiteral("RecordName"), QStringLiteral("RecordNumber"),
                                 QStringLiteral("Position"),   QStringLiteral("X"),
                                 QStringLiteral("Y"),          QStringLiteral("H")};


}  // namespace

tImportResult ImportCrossRoads(const QString& roadFileName, const QString& fileName, tSheetChoice choice,
                               tRoadModel& model, const tProgress& progress) {
    tImportResult result;
    tImportFailure& fail = result.Failure;
    if (choice == tSheetChoice::SeparateFile && SameFileSelected(roadFileName, fileName)) {
        fail.Key = QStringLiteral("LoadData.SomeFileSelected");
        return result;
    }
    const QString source = choice == tSheetChoice::SeparateFile ? fileName : roadFileName;
    result.FileName = SourceFileName(source);
    result.FromCsv = IsCsvFileName(result.FileName);
    result.Sheet = SheetNumber(choice);

    tShortTable table;
    auto failed = [&]() {
        CloseSource(table.Src, true);
        model.CrossRoads.Roads.clear();
        return result;
    };
    if (!OpenShortTable(table, source, result.Sheet, kCrossNames, {false, false, true, false, false, false}, fail))
        return failed();

    tCrossRoads roads;
    int capacity = 0;
    int prevNumber = -1;
    std::array<QString, tShortTable::kColumns + 1> cells;
    for (;;) {
        if (!ReadShortRow(table, cells, fail)) return failed();
        QString name;
        tRoadPoint point;
        point.ProfileIndex = -1;
        // Find the row's name and number first: a row without both ends the
        // data, wherever the number column stands.
        int nameCol = 0, numberCol = 0;
        for (int col = 1; col <= tShortTable::kColumns; ++col) {
            if (table.CodeOfCol[size_t(col)] == cName) nameCol = col;
            if (table.CodeOfCol[size_t(col)] == cNumber) numberCol = col;
        }
        name = cells[size_t(nameCol)];
        if (name.isEmpty() && cells[size_t(numberCol)].isEmpty()) break;
        for (int col = 1; col <= tShortTable::kColumns; ++col) {
            const QString& text = cells[size_t(col)];
            switch (table.CodeOfCol[size_t(col)]) {
            case cNumber: {
                int n = 0;
                if (!CheckPointNumber(table, col, text, !name.isEmpty(), prevNumber, n, fail)) return failed();
                break;
            }
            case cX:
            case cY:
            case cH: {
                const int code = table.CodeOfCol[size_t(col)];
                const double v = ParseRealCell(text, kFailedCell);
                const bool ok = code == cH ? (v >= -120 && v <= 5000) : (v >= 0 && v <= 9999999);
                if (!ok) {
                    FailCellValue(fail, col, table.Row);
                    return failed();
                }
                if (code == cX) point.Y = v;
                else if (code == cY) point.X = v;
                else point.H = v;
                break;
            }
            default: break;
            }
        }
        const bool more = NextRow(table.Src, table.Row);
        if (!name.isEmpty()) {
            if (roads.Count() == capacity) {
                capacity = capacity == 0 ? 16 : capacity * 2;
                roads.Roads.reserve(size_t(capacity));
                progress.Max(capacity);
            }
            roads.Roads.emplace_back();
            roads.Roads.back().Name = name;
            progress.Pos(roads.Count() - 1);
            progress.Idle();
        }
        if (!roads.Roads.empty()) roads.Roads.back().Points.push_back(point);
        if (!more) break;
    }
    progress.Idle();
    for (const auto& road : roads.Roads)
        if (road.Count() < 2) {
            fail.Key = QStringLiteral("LoadData.MinCRoadPointsConstraint");
            fail.Set(QStringLiteral("%ObjectName%"), road.Name);
            return failed();
        }
    CloseSource(table.Src, false);
    model.CrossRoads = std::move(roads);
    result.Success = true;
    result.Count = model.CrossRoads.Count();
    return result;
}

}  // namespace kestrova
