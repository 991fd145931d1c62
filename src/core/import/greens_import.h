// The vegetation and buildings import: named outlines with a height, each
// point tied to a key point of a road profile.
#pragma once

#include "core/import/import_result.h"
#include "core/model/progress.h"
#include "core/model/road_model.h"

#include <QString>

namespace kestrova {

// Reads the vegetation/buildings table into model.Greens and matches every
// outline point with a key point of model.Plan. Arguments and progress as for
// ImportCrossRoads; on any failure after the same-file check the table is left
// empty.
tImportResult ImportGreens(const QString& roadFileName, const QString& fileName, tSheetChoice choice,
                           tRoadModel& model, const tProgress& progress = {});

// The point matching alone: ties each point of object to a key point of a
// profile within 800 m (plan distance of its key point 0). Returns the index
// of the first point that matches nothing, or -1 when all match.
int MatchObjectPoints(tGreenRec& object, const TMPlan& plan);

}  // namespace kestrova
