#include "core/generate/road_generator.h"
#include "core/generate/generator_parts.h"

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

using namespace generate;

// ---------------------------------------------------------------------------
// Direct model building.

namespace {

double Real(const QString& t) { return t.isEmpty() ? 0.0 : t.toDouble(); }

QPair<qint64, qint64> KeyOf(double x, double y) {
    return qMakePair(qint64(std::llround(x * 1000)), qint64(std::llround(y * 1000)));
}

// Plan position of an object point -> (profile, chain index) of the key point
// it stands on, (-1, -1) until found.
using tWanted = QHash<QPair<qint64, qint64>, QPair<int, int>>;

// The data cells of a road table row (before the key points).
tPlanProfile ProfileFromRow(const QStringList& row) {
    tPlanProfile p;
    p.RecordNumber = row[0].toInt();
    p.Position = Real(row[1]);
    p.RoadCathegory = uint8_t(std::max(0, ParseRoadCategory(row[2])));
    p.TrafficIntensity = row[3].toInt();
    p.Cars = Real(row[4]);
    p.Trucks = Real(row[5]);
    p.Buses = Real(row[6]);
    p.VehicleTrains = Real(row[7]);
    p.CurveRadius = Real(row[8]);
    p.LongitudinalTilt = Real(row[9]);
    p.SlicknessValue = Real(row[10]);
    p.Clearance = Real(row[11]);
    p.IsLocality = uint8_t(row[12] == QLatin1String("1"));
    p.IsSocialActivity = uint8_t(row[13] == QLatin1String("1"));
    return p;
}

void AddCrossRoads(const tGeneratedTable& table, tRoadModel& model) {
    for (const QStringList& row : table.Rows) {
        if (!row[0].isEmpty() || model.CrossRoads.Roads.empty()) {
            model.CrossRoads.Roads.emplace_back();
            model.CrossRoads.Roads.back().Name = row[0];
        }
        tRoadPoint pt;
        pt.Y = Real(row[3]);
        pt.X = Real(row[4]);
        pt.H = Real(row[5]);
        pt.ProfileIndex = -1;
        model.CrossRoads.Roads.back().Points.push_back(pt);
    }
}

void AddGreens(const tGeneratedTable& table, const tWanted& wanted, tRoadModel& model) {
    for (const QStringList& row : table.Rows) {
        if (!row[0].isEmpty() || model.Greens.Objects.empty()) {
            tGreenRec g;
            g.Name = row[0];
            g.IsVegetation = uint8_t(row[1] == QLatin1String("1"));
            g.FirstProfile = model.Plan.Count() - 1;
            g.LastProfile = 0;
            model.Greens.Objects.push_back(g);
        }
        tGreenRec& g = model.Greens.Objects.back();
        tRoadPoint pt;
        pt.Y = Real(row[3]);
        pt.X = Real(row[4]);
        pt.H = Real(row[5]);
        const QPair<int, int> hit = wanted.value(KeyOf(pt.X, pt.Y), qMakePair(-1, -1));
        if (hit.first >= 0) {
            pt.ProfileIndex = hit.first;
            pt.PointSegNo = hit.second;
            g.FirstProfile = std::min(g.FirstProfile, hit.first);
            g.LastProfile = std::max(g.LastProfile, hit.first);
        }
        g.Points.push_back(pt);
    }
}

}  // namespace

tRoadModel BuildRoadModel(const tGeneratedRoad& road) {
    tRoadModel model;
    const QStringList& header = road.Road.Header;
    // Key points as (number, first column); the chain takes those numbered 1
    // and above in increasing number.
    std::vector<std::pair<int, int>> keys;
    for (int c = 14; c < header.size(); c += 3) keys.push_back({header[c].toInt(), c});
    std::vector<std::pair<int, int>> chain;
    for (const auto& k : keys)
        if (k.first >= 1) chain.push_back(k);
    std::sort(chain.begin(), chain.end());
    auto pointAt = [&](const QStringList& row, int col) {
        tRoadPoint p;
        p.Y = Real(row[col]);
        p.X = Real(row[col + 1]);
        p.H = Real(row[col + 2]);
        return p;
    };

    // Object points are matched to key points by their plan position, which
    // the tables write with the same text: (profile, candidate number), -1 until found.
    tWanted wanted;
    for (const QStringList& row : road.Greens.Rows) wanted.insert(KeyOf(Real(row[4]), Real(row[3])), qMakePair(-1, -1));

    model.Plan.Profiles.reserve(road.Road.Rows.size());
    std::vector<tRoadPoint> chainPoints(chain.size());
    for (const QStringList& row : road.Road.Rows) {
        tPlanProfile p = ProfileFromRow(row);
        for (const auto& [number, col] : keys) {
            if (number == -1) p.KeyPointM1 = pointAt(row, col);
            if (number == 0) p.KeyPoint0 = pointAt(row, col);
        }
        const int index = model.Plan.Count();
        for (size_t c = 0; c < chain.size(); ++c) {
            chainPoints[c] = pointAt(row, chain[c].second);
            chainPoints[c].H2 = chainPoints[c].H;
            // Within a profile the last matching key point in chain order
            // counts; across profiles the first profile in road order.
            if (!wanted.isEmpty()) {
                auto it = wanted.find(KeyOf(chainPoints[c].X, chainPoints[c].Y));
                if (it != wanted.end() && (it->first < 0 || it->first == index)) *it = qMakePair(index, int(c));
            }
        }
        p.Segments.reserve(chain.size());
        for (size_t c = 0; c + 1 < chain.size(); ++c) {
            tProfileSegment seg;
            seg.A = chainPoints[c];
            seg.B = chainPoints[c + 1];
            seg.Kind = SegmentKind(chain[c].first);
            seg.FromDtm = 1;
            seg.SegNo = int32_t(c + 1);
            seg.APoint = chain[c].first;
            seg.BPoint = chain[c + 1].first;
            p.Segments.push_back(seg);
        }
        for (int d = 0; d < 2; ++d) p.CrossLook[d].FirstVisible = index;
        model.Plan.Profiles.push_back(std::move(p));
    }

    AddCrossRoads(road.CrossRoads, model);
    AddGreens(road.Greens, wanted, model);
    return model;
}

}  // namespace kestrova
