#include "core/import/crossroads_import.h"

#include "core/import/source_reader.h"

namespace kestrova {

namespace {

enum tCrossCode : int { cName = 1, cNumber, cPosition, cX, cY, cH };

const QStringList kCrossNames = {QStringLiteral("RecordName"), QStringLiteral("RecordNumber"),
                                 QStringLiteral("Position"),   QStringLiteral("X"),
                                 QStringLiteral("Y"),          QStringLiteral("H")};

const tPointColumns kCrossPoint{cX, cY, cH, -120, 5000};

}  // namespace

tImportResult ImportCrossRoads(const QString& roadFileName, const QString& fileName, tSheetChoice choice,
                               tRoadModel& model, const tProgress& progress) {
    tImportResult result;
    tImportFailure& fail = result.Failure;
    QString source;
    if (!ChooseShortTableSource(roadFileName, fileName, choice, source, result)) return result;

    tShortTable table;
    auto failed = [&]() {
        CloseSource(table.Src, true);
        model.CrossRoads.Roads.clear();
        return result;
    };
    if (!OpenShortTable(table, source, result.Sheet, kCrossNames, {false, false, true, false, false, false}, fail))
        return failed();

    tCrossRoads roads;
    int prevNumber = -1;
    const auto readRow = [&](const auto& cells, const QString& name, tRoadPoint& point) {
        point.ProfileIndex = -1;
        for (int col = 1; col <= tShortTable::kColumns; ++col) {
            const QString& text = cells[size_t(col)];
            switch (table.CodeOfCol[size_t(col)]) {
            case cNumber: {
                int n = 0;
                if (!CheckPointNumber(table, col, text, !name.isEmpty(), prevNumber, n, fail)) return false;
                break;
            }
            case cX:
            case cY:
            case cH:
                if (!ReadPointCoordinate(table, col, text, kCrossPoint, point, fail)) return false;
                break;
            default: break;
            }
        }
        return true;
    };
    if (!ReadPointRows(table, cName, cNumber, roads.Roads, progress, fail, readRow, [](tCrossRoadRec&) {}))
        return failed();
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
