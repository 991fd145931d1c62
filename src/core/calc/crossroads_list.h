// The crossroads list shown beside the crossroads view: one row per crossroad,
// in order of the crossing's kilometre position, skipped crossroads last. Built
// once after the crossroads stage, as plain texts; the window copies them into
// its grid and sizes the columns.
#pragma once

#include "core/calc/sight_check.h"
#include "core/model/road_model.h"

#include <QString>
#include <array>
#include <cstdint>
#include <functional>
#include <vector>

namespace kestrova {

// Sort key of a skipped crossroad.
constexpr double kSkippedCrossRoadKey = 1000000;

// Column texts "SKIP" and "NV" of the hidden status column.
inline const QString kCrossRoadSkipText = QStringLiteral("SKIP");
inline const QString kCrossRoadNotVisibleText = QStringLiteral("NV");

// Looks up a language text: section, key -> text.
using tTextLookup = std::function<QString(const QString& section, const QString& key)>;

struct tCrossRoadsListTable {
    // Row 0 is the header row; row i + 1 is list entry i. Four columns:
    // 0 km+ with hundredths (empty for a skipped crossroad), 1 a blank and the
    // name, 2 "SKIP", "NV" or empty, 3 the crossroad's index in the table.
    std::vector<std::array<QString, 4>> Rows;
    // Crossroad index of each list entry (entry i is row i + 1).
    std::vector<int32_t> Order;
};

// Sort key of a crossroad: CrossKm, or kSkippedCrossRoadKey when skipped.
double CrossRoadListKey(const tCrossRoadRec& road);

// Crossroad indexes in list order. Pairwise exchange: for every i < j the
// entries swap when entry i sorts after entry j, that is when it is skipped and
// j is not, or both are alike and key(i) > key(j). Equal keys therefore end in
// the order this exchange leaves them, not necessarily the table order.
std::vector<int32_t> CrossRoadsListOrder(const tCrossRoads& roads);

// Language key of a list column header (section "MainForm.Grids"); empty
// for columns 2 and 3.
QString CrossRoadsListHeaderKey(int column);

// The whole list with its header texts ("MainForm.Grids", keys
// "gCRoadsList.KmPlus" and "gCRoadsList.cRoadName"; columns 2 and 3 have no
// header). The calculation run counts the progress step of each entry.
tCrossRoadsListTable BuildCrossRoadsList(const tCrossRoads& roads, const tTextLookup& lookup);

// The same, advancing `progress` by one per entry, for a caller that counts
// the list's steps itself (the calculation run already counts them for the
// window's list).
tCrossRoadsListTable BuildCrossRoadsList(const tCrossRoads& roads, const tTextLookup& lookup,
                                         tProgressCounter& progress);

}  // namespace kestrova
