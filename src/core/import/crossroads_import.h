// The crossroads import: a table of named polylines (points with heights) from
// a separate file or from the second or third sheet of the road workbook.
#pragma once

#include "core/import/import_result.h"
#include "core/model/progress.h"
#include "core/model/road_model.h"

#include <QString>

namespace kestrova {

// Reads the crossroads table into model.CrossRoads. roadFileName is the road
// table's file (used for the second and third sheets and for the same-file
// check), fileName the group's own file (used with SeparateFile). On success
// the table holds the crossroads; on any failure after the same-file check it
// is left empty. Progress: the maximum follows the table's capacity (16, then
// doubling), the position is the number of crossroads before the one started.
tImportResult ImportCrossRoads(const QString& roadFileName, const QString& fileName, tSheetChoice choice,
                               tRoadModel& model, const tProgress& progress = {});

}  // namespace kestrova
