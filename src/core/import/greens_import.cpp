#include "core/import/greens_import.h"

#include "core/model/cell_parsing.h"
#include "core/import/source_reader.h"
#include "core/model/road_text.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <tuple>
#include <vector>

namespace kestrova {

namespace {

enum tGreenCode : int { gName = 1, gIsVegetation, gNumber, gX, gY, gHeight };

const QStringList kGreenNames = {QStringLiteral("RecordName"), QStringLiteral("IsVegetation"),
                                 QStringLiteral("RecordNumber"), QStringLiteral("X"),
                                 QStringLiteral("Y"),          QStringLiteral("Height")};

const tPointColumns kGreenPoint{gX, gY, gHeight, 0, 100};

constexpr double kMatchRadius = 800;
constexpr double kMatchTolerance = 0.001;

bool Coincide(const tRoadPoint& a, const tRoadPoint& b) {
    return std::fabs(a.X - b.X) < kMatchTolerance && std::fabs(a.Y - b.Y) < kMatchTolerance;
}

// The smallest box around the points a profile's segment chain ties object
// points to (the first segment's A and every B), finite ones only; empty
// (Min above Max) when there is none.
struct tChainBox {
    double MinX = std::numeric_limits<double>::infinity(), MinY = MinX;
    double MaxX = -MinX, MaxY = -MinX;

    tChainBox() = default;
    explicit tChainBox(const tPlanProfile& profile) {
        if (!profile.Segments.empty()) Add(profile.Segments.front().A);
        for (const auto& s : profile.Segments) Add(s.B);
    }
    void Add(const tRoadPoint& p) {
        if (!std::isfinite(p.X) || !std::isfinite(p.Y)) return;  // coincides with nothing
        MinX = std::min(MinX, p.X), MaxX = std::max(MaxX, p.X);
        MinY = std::min(MinY, p.Y), MaxY = std::max(MaxY, p.Y);
    }
    // False only when no chain point can coincide with point: it lies more
    // than twice the tolerance outside the box. A point that is not a
    // number is never ruled out here (nor does it coincide with anything).
    bool MayHold(const tRoadPoint& point) const {
        constexpr double kMargin = 2 * kMatchTolerance;
        return !(point.X < MinX - kMargin || point.X > MaxX + kMargin || point.Y < MinY - kMargin ||
                 point.Y > MaxY + kMargin);
    }
};

// The profiles by the square their key point 0 lies in, the squares wider
// than the match radius: a point's profiles within the radius are all in the
// nine squares around it. Profiles whose key point 0 is not finite are offered
// to every point, as the distance test alone decides for them.
class tProfileSquares {
public:
    explicit tProfileSquares(const TMPlan& plan) : Plan(plan) {
        Entries.reserve(size_t(plan.Count()));
        for (int pi = 0; pi < plan.Count(); ++pi) {
            const tPlanProfile& profile = plan.Profiles[size_t(pi)];
            const tRoadPoint& k = profile.KeyPoint0;
            if (std::isfinite(k.X) && std::isfinite(k.Y))
                Entries.push_back({Square(k.X), Square(k.Y), pi, tChainBox(profile)});
            else
                Always.push_back({0, 0, pi, tChainBox(profile)});
        }
        std::sort(Entries.begin(), Entries.end(), Before);
    }

    // Calls f(profile index) for the profiles that may lie within the radius
    // of point and whose chain may hold it, in no particular order.
    template <class F>
    void ForEachNear(const tRoadPoint& point, F&& f) const {
        auto offer = [&](const tEntry& e) {
            if (e.Box.MayHold(point)) f(e.Index);
        };
        if (!std::isfinite(point.X) || !std::isfinite(point.Y)) {
            for (int pi = 0; pi < Plan.Count(); ++pi) f(pi);
            return;
        }
        const int64_t sx = Square(point.X), sy = Square(point.Y);
        for (int64_t x = sx - 1; x <= sx + 1; ++x)
            for (int64_t y = sy - 1; y <= sy + 1; ++y) {
                auto it = std::lower_bound(Entries.begin(), Entries.end(), tEntry{x, y, -1, {}}, Before);
                for (; it != Entries.end() && it->Sx == x && it->Sy == y; ++it) offer(*it);
            }
        for (const tEntry& e : Always) offer(e);
    }

private:
    static constexpr double kSide = 1000;  // wider than kMatchRadius
    static int64_t Square(double v) {
        constexpr double kLimit = 1e12;
        return int64_t(std::floor(std::clamp(v / kSide, -kLimit, kLimit)));
    }
    struct tEntry {
        int64_t Sx, Sy;
        int Index;
        tChainBox Box;
    };
    static bool Before(const tEntry& a, const tEntry& b) {
        return std::tie(a.Sx, a.Sy, a.Index) < std::tie(b.Sx, b.Sy, b.Index);
    }
    const TMPlan& Plan;
    std::vector<tEntry> Entries;
    std::vector<tEntry> Always;
};

// The last point of profile's chain that coincides with point (the first
// segment's A counting as 0, every B as its segment number), or -1.
int ChainPoint(const tPlanProfile& profile, const tRoadPoint& point) {
    int candidate = -1;
    if (!profile.Segments.empty() && Coincide(profile.Segments.front().A, point)) candidate = 0;
    for (const auto& s : profile.Segments)
        if (Coincide(s.B, point)) candidate = s.SegNo;
    return candidate;
}

// Each point goes to the first profile (by index) within the radius whose
// chain has a point coinciding with it.
int MatchPoints(tGreenRec& object, const TMPlan& plan, const tProfileSquares& squares) {
    object.FirstProfile = plan.Count() - 1;
    object.LastProfile = 0;
    for (int i = 0; i < object.Count(); ++i) {
        tRoadPoint& point = object.Points[size_t(i)];
        int first = -1, candidate = -1;
        squares.ForEachNear(point, [&](int pi) {
            if (first >= 0 && pi > first) return;
            const tPlanProfile& profile = plan.Profiles[size_t(pi)];
            const double dx = profile.KeyPoint0.X - point.X;
            const double dy = profile.KeyPoint0.Y - point.Y;
            if (std::sqrt(dx * dx + dy * dy) > kMatchRadius) return;
            const int c = ChainPoint(profile, point);
            if (c < 0) return;
            first = pi;
            candidate = c;
        });
        if (first < 0) return i;
        point.ProfileIndex = first;
        point.PointSegNo = candidate;
        object.FirstProfile = std::min(object.FirstProfile, first);
        object.LastProfile = std::max(object.LastProfile, first);
    }
    return -1;
}

// The cells of one row of the table: the vegetation mark, the point number
// and the coordinates, each checked.
bool ReadObjectRow(const tShortTable& table, const std::array<QString, tShortTable::kColumns + 1>& cells,
                   const QString& name, int& prevNumber, tRoadPoint& point, bool& vegetation, tImportFailure& fail) {
    for (int col = 1; col <= tShortTable::kColumns; ++col) {
        const QString& text = cells[size_t(col)];
        const int code = table.CodeOfCol[size_t(col)];
        switch (code) {
        case gIsVegetation: {
            const int v = ParseYesNo(text, QStringLiteral("-666"));
            if (!name.isEmpty() && v != 0 && v != 1) {
                FailCellValue(fail, col, table.Row);
                return false;
            }
            vegetation = v == 1;
            break;
        }
        case gNumber: {
            int n = 0;
            if (!CheckPointNumber(table, col, text, !name.isEmpty(), prevNumber, n, fail)) return false;
            point.ProfileIndex = n;
            break;
        }
        case gX:
        case gY:
        case gHeight:
            if (!ReadPointCoordinate(table, col, text, kGreenPoint, point, fail)) return false;
            break;
        default: break;
        }
    }
    return true;
}

// Every object has at least three points, each on a point of the road.
bool MatchObjects(tGreens& greens, const TMPlan& plan, tImportFailure& fail) {
    const tProfileSquares squares(plan);
    for (auto& object : greens.Objects) {
        if (object.Count() < 3) {
            fail.Key = QStringLiteral("LoadData.MinVegBldPointsConstraint");
            fail.Set(QStringLiteral("%ObjectName%"), object.Name);
            return false;
        }
        const int unmatched = MatchPoints(object, plan, squares);
        if (unmatched >= 0) {
            fail.Key = QStringLiteral("LoadData.PointNotCorrespondRoadPoints");
            fail.Set(QStringLiteral("%ObjectName%"), object.Name);
            fail.Set(QStringLiteral("%PointNumber%"), QString::number(object.Points[size_t(unmatched)].ProfileIndex));
            return false;
        }
    }
    return true;
}

}  // namespace

int MatchObjectPoints(tGreenRec& object, const TMPlan& plan) {
    return MatchPoints(object, plan, tProfileSquares(plan));
}

tImportResult ImportGreens(const QString& roadFileName, const QString& fileName, tSheetChoice choice,
                           tRoadModel& model, const tProgress& progress) {
    tImportResult result;
    tImportFailure& fail = result.Failure;
    QString source;
    if (!ChooseShortTableSource(roadFileName, fileName, choice, source, result)) return result;

    tShortTable table;
    auto failed = [&]() {
        CloseSource(table.Src, true);
        model.Greens.Objects.clear();
        return result;
    };
    if (!OpenShortTable(table, source, result.Sheet, kGreenNames, {}, fail)) return failed();

    tGreens greens;
    int prevNumber = -1;
    bool vegetation = false;
    const auto readRow = [&](const auto& cells, const QString& name, tRoadPoint& point) {
        vegetation = false;
        return ReadObjectRow(table, cells, name, prevNumber, point, vegetation, fail);
    };
    if (!ReadPointRows(table, gName, gNumber, greens.Objects, progress, fail, readRow,
                       [&](tGreenRec& object) { object.IsVegetation = vegetation ? 1 : 0; }))
        return failed();
    if (!MatchObjects(greens, model.Plan, fail)) return failed();
    CloseSource(table.Src, false);
    model.Greens = std::move(greens);
    result.Success = true;
    result.Count = model.Greens.Count();
    return result;
}

}  // namespace kestrova
