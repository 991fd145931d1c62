// The road data import: reads the road table (sheet 1 of a workbook or a CSV
// file), validates every header and cell, and fills the profile table.
#pragma once

#include "core/import/import_result.h"
#include "core/model/progress.h"
#include "core/model/road_model.h"

#include <QString>

namespace kestrova {

// Key-point numbers allowed in the road table: -1 to 139 and 200 to 299.
bool IsKeyPointNumber(int number);
// Segment kind from the number of the segment's start key point: 109-111 and
// 127-129 shoulder, 112-116 and 123-126 carriageway, 117-122 central span,
// anything else terrain. The one rule for every builder of cross sections.
uint8_t SegmentKind(int startKeyPoint);

// Reads fileName into model.Plan. On success the profile table holds the
// loaded profiles and the crossroads table is emptied (crossroads always load
// against the current road); on failure the model is left as it was. Progress:
// the maximum follows the table's capacity (16, then doubling), the position
// is the number of profiles stored; at the end the maximum is the count.
tImportResult ImportRoad(const QString& fileName, tRoadModel& model, const tProgress& progress = {});

}  // namespace kestrova
