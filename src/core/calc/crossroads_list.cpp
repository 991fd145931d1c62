#include "core/calc/crossroads_list.h"

#include "core/model/road_text.h"

#include <utility>

namespace kestrova {

namespace {

// Whether entry a belongs after entry b. A skipped crossroad belongs after
// every crossed one even on roads longer than the skipped key.
bool SortsAfter(const tCrossRoads& roads, int32_t a, int32_t b) {
    const tCrossRoadRec& ra = roads.Roads[a];
    const tCrossRoadRec& rb = roads.Roads[b];
    if ((ra.Skip != 0) != (rb.Skip != 0)) return ra.Skip != 0;
    return CrossRoadListKey(ra) > CrossRoadListKey(rb);
}

}  // namespace

double CrossRoadListKey(const tCrossRoadRec& road) { return road.Skip ? kSkippedCrossRoadKey : road.CrossKm; }

std::vector<int32_t> CrossRoadsListOrder(const tCrossRoads& roads) {
    const int32_t c = roads.Count();
    std::vector<int32_t> order(c);
    for (int32_t i = 0; i < c; ++i) order[i] = i;
    for (int32_t i = 0; i + 1 < c; ++i)
        for (int32_t j = i + 1; j < c; ++j)
            if (SortsAfter(roads, order[i], order[j])) std::swap(order[i], order[j]);
    return order;
}

QString CrossRoadsListHeaderKey(int column) {
    if (column == 0) return QStringLiteral("gCRoadsList.KmPlus");
    if (column == 1) return QStringLiteral("gCRoadsList.cRoadName");
    return {};
}

tCrossRoadsListTable BuildCrossRoadsList(const tCrossRoads& roads, const tTextLookup& lookup) {
    tCrossRoadsListTable table;
    table.Order = CrossRoadsListOrder(roads);
    const QString section = QStringLiteral("MainForm.Grids");
    std::array<QString, 4> header;
    if (lookup) {
        header[0] = lookup(section, CrossRoadsListHeaderKey(0));
        header[1] = lookup(section, CrossRoadsListHeaderKey(1));
    }
    table.Rows.push_back(header);
    for (int32_t index : table.Order) {
        const tCrossRoadRec& road = roads.Roads[index];
        std::array<QString, 4> row;
        if (road.Skip) {
            row[2] = kCrossRoadSkipText;
        } else {
            row[0] = FormatKmPlus(true, CrossRoadListKey(road));
            if (road.NotVisible[0] || road.NotVisible[1]) row[2] = kCrossRoadNotVisibleText;
        }
        row[1] = QLatin1Char(' ') + road.Name;
        row[3] = QString::number(index);
        table.Rows.push_back(row);
    }
    return table;
}

tCrossRoadsListTable BuildCrossRoadsList(const tCrossRoads& roads, const tTextLookup& lookup,
                                         tProgressCounter& progress) {
    tCrossRoadsListTable table = BuildCrossRoadsList(roads, lookup);
    for (size_t i = 0; i < table.Order.size(); ++i) progress.Advance(1);
    return table;
}

}  // namespace kestrova
