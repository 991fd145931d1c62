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

namespace {

// ---------------------------------------------------------------------------
// Cross sections.

struct tKey {
    double X = 0, Y = 0, H = 0;
};

struct tSection {
    std::array<tKey, kKeyCount> Keys;
};

double SmoothedCurvature(const tPlan& plan, double s) {
    double k = 0;
    for (int i = -2; i <= 2; ++i) k += plan.Plan.At(Clamp(s + 15.0 * i, 0, plan.Length)).Curvature;
    return k / 5;
}

// Offsets and heights of the side key points 0 (shoulder edge) .. 9 (far
// terrain) on one side: a bridge deck, an embankment with a ditch at its foot,
// or a ditch with a back slope, then the terrain.
void SideSlope(const tPlan& plan, double s, int side, double zc, double so, double se, bool onBridge,
               std::array<double, 10>& off, std::array<double, 10>& h) {
    off[0] = so;
    h[0] = se;
    const double tn = Terrain(plan, s, side * (so + 3), zc);
    if (onBridge) {
        // Deck edge, then straight down to the valley floor.
        off[1] = so + 0.4; h[1] = se - 1.2;
        off[2] = so + 0.5; h[2] = tn;
        off[3] = so + 2.5; h[3] = tn - 0.3;
        off[4] = so + 4.5; h[4] = tn;
    } else if (se - tn > 0.8) {
        // Embankment at 1:2 down to the ground, a shallow ditch at its foot.
        off[1] = so + 2 * (se - tn); h[1] = tn;
        off[2] = off[1] + 1.0; h[2] = tn - 0.5;
        off[3] = off[2] + 0.6; h[3] = tn - 0.5;
        off[4] = off[3] + 1.0; h[4] = Terrain(plan, s, side * (off[3] + 1.0), zc);
    } else {
        // Ditch at 1:3 and a back slope at 1:1.5 up to the ground.
        off[1] = so + 0.6; h[1] = se - 0.2;
        const double bottom = std::min(se - 0.9, tn - 0.5);
        off[2] = off[1] + 3 * (h[1] - bottom); h[2] = bottom;
        off[3] = off[2] + 0.6; h[3] = bottom;
        const double rise = std::max(0.3, tn - bottom);
        off[4] = off[3] + 1.5 * rise;
        h[4] = Terrain(plan, s, side * off[4], zc);
    }
    const double far[5] = {4, 10, 18, 28, 45};
    for (int i = 0; i < 5; ++i) {
        off[5 + i] = off[4] + far[i];
        h[5 + i] = Terrain(plan, s, side * off[5 + i], zc);
    }
}

tSection BuildSection(const tPlan& plan, double s) {
    tSection sec;
    const tStretch& st = StretchAt(plan, s);
    const tAlignPoint ap = plan.Plan.At(s);
    double zc = 0, grade = 0;
    plan.Grades.At(s, zc, grade);
    const double nx = std::sin(ap.Heading), ny = -std::cos(ap.Heading);  // right normal

    // Widths: a divided section widens from the centre line; on a bridge the
    // lanes and shoulders narrow to the clearance.
    double median = 0;
    const double divided = ZoneWeight(plan.Divided, s, 120, &median);
    double clearance = 0;
    const double onBridge = ZoneWeight(plan.Bridges, s, 0, &clearance) > 0 ? 1.0 : 0.0;
    double lane = st.LaneWidth, shoulder = st.ShoulderWidth;
    if (onBridge > 0 && clearance < 2 * (lane + shoulder)) {
        shoulder = std::min(shoulder, 0.3);
        lane = std::min(lane, clearance / 2 - shoulder);
    }
    const double half = divided * median / 2;       // half the median
    const double strip = 0.75 * divided;            // inner strip of each carriageway
    const double cw = lane * (1 + divided);         // one or two lanes per direction

    // Cross slope: crown at the centre, or one-sided superelevation in curves.
    const double k = SmoothedCurvature(plan, s);
    double superElevation = 0;
    if (std::fabs(k) > 1.0 / 3000) superElevation = (k > 0 ? 1 : -1) * Clamp(12.0 * std::fabs(k), 0.025, 0.06);
    auto surface = [&](double o) {
        const double a = std::fabs(o);
        if (superElevation != 0) return zc + superElevation * o;  // left curve: right side high
        return zc - 0.025 * std::max(0.0, a - half);
    };
    auto put = [&](int number, double o, double h) {
        tKey& key = sec.Keys[KeySlot(number)];
        key.X = ap.X + o * nx;
        key.Y = ap.Y + o * ny;
        key.H = h;
    };

    const double medianDrop = 0.3 * divided;
    put(117, -half, zc - medianDrop);
    put(122, half, zc - medianDrop);
    put(116, -(half + strip), surface(-(half + strip)));
    put(123, half + strip, surface(half + strip));
    const double edge = half + strip + cw;
    put(112, -edge, surface(-edge));
    put(127, edge, surface(edge));
    const double eye = half + strip + cw - lane / 2;  // outer lane centre of each direction
    put(0, eye, surface(eye));
    put(-1, -eye, surface(-eye));

    for (int side : {-1, 1}) {
        const double so = edge + shoulder;
        const double se = surface(side * edge) - 0.04 * shoulder;
        std::array<double, 10> off{}, h{};
        SideSlope(plan, s, side, zc, so, se, onBridge > 0, off, h);
        for (int i = 0; i < 10; ++i) put(side > 0 ? 130 + i : 109 - i, side * off[i], h[i]);
    }
    return sec;
}

// Crossroad height at a vertex: the road surface at the crossing, blending into
// a low embankment over the ground within some 40 m.
double CrossHeight(const tPlan& plan, double s, double o, double distanceToCrossing) {
    double zc = 0, g = 0;
    plan.Grades.At(Clamp(s, 0, plan.Length), zc, g);
    const double ground = Terrain(plan, Clamp(s, 0, plan.Length), o, zc) + 0.4;
    const double w = SmoothStep((distanceToCrossing - 10) / 30);
    return zc + w * (ground - zc);
}

QStringList PointCells(const tKey& k) {
    // A table's "X" column holds the model's Y and its "Y" column the model's X.
    return {Num(k.Y, 3), Num(k.X, 3), Num(k.H, 3)};
}

}  // namespace

// ---------------------------------------------------------------------------

QString CheckGenerateOptions(const tGenerateOptions& o) {
    if (!std::isfinite(o.LengthKm) || o.LengthKm <= 0) return QStringLiteral("the length must be a positive number of km");
    if (!std::isfinite(o.SpacingM) || o.SpacingM < 1 || o.SpacingM > 100)
        return QStringLiteral("the profile spacing must lie between 1 and 100 m");
    const double profiles = std::floor(o.LengthKm * 1000 / o.SpacingM + 1e-9) + 1;
    if (profiles < 3) return QStringLiteral("the road must be long enough for three profiles");
    if (profiles > kMaxGeneratedProfiles)
        return QStringLiteral("at most %1 profiles fit in a road table").arg(kMaxGeneratedProfiles);
    return {};
}

namespace {

// The road table: one row per profile, its data and the key points of its
// section (kept in `sections` for the vegetation table).
void WriteRoadTable(const tPlan& plan, int count, double spacing, std::vector<tSection>& sections,
                    tGeneratedTable& table) {
    sections.assign(count, tSection());
    QStringList& header = table.Header;
    for (const QString& c : kRoadColumns) header << c;
    for (int n : kKeyNumbers) header << QString::number(n) << QString() << QString();

    table.Rows.reserve(count);
    for (int i = 0; i < count; ++i) {
        const double s = i * spacing;
        sections[i] = BuildSection(plan, s);
        const tStretch& st = StretchAt(plan, s);
        const tAlignPoint ap = plan.Plan.At(s);
        double z = 0, grade = 0;
        plan.Grades.At(s, z, grade);
        double slick = st.Slickness + 4 * std::sin(s / 53.0 + plan.Phase[4]);
        double slickValue = 0;
        if (ZoneWeight(plan.Slick, s, 0, &slickValue) > 0) slick = slickValue + 6 * std::sin(s / 17.0 + plan.Phase[5]);
        double clearance = 0;
        const bool bridge = ZoneWeight(plan.Bridges, s, 0, &clearance) > 0;

        QStringList row;
        row.reserve(14 + 3 * kKeyCount);
        row << QString::number(i + 1) << Num(s, 3) << CategoryName(st.Category) << QString::number(st.Intensity)
            << Num(st.Shares[0] / 1000.0, 3) << Num(st.Shares[2] / 1000.0, 3) << Num(st.Shares[1] / 1000.0, 3)
            << Num(st.Shares[3] / 1000.0, 3)
            << (std::fabs(ap.Curvature) > 1e-9 ? Num(1.0 / std::fabs(ap.Curvature), 1) : QString())
            << Num(grade, 4) << Num(std::max(0.0, slick), 1) << (bridge ? Num(clearance, 1) : QString())
            << (FindZone(plan.Localities, s) ? QStringLiteral("1") : QStringLiteral("0"))
            << (FindZone(plan.Social, s) ? QStringLiteral("1") : QStringLiteral("0"));
        for (const tKey& k : sections[i].Keys) row << PointCells(k);
        table.Rows.push_back(std::move(row));
    }

}

void WriteCrossRoadsTable(const tPlan& plan, double length, tGeneratedTable& table) {
    table.Header = {QStringLiteral("RecordName"), QStringLiteral("RecordNumber"), QStringLiteral("Position"),
                             QStringLiteral("X"),          QStringLiteral("Y"),            QStringLiteral("H")};
    for (const tCrossPlan& c : plan.Crossings) {
        int number = 0;
        for (size_t v = 0; v < c.Vertices.size(); ++v) {
            const auto [s, off] = c.Vertices[v];
            tKey k;
            plan.Plan.PointAt(Clamp(s, 0, length), off, k.X, k.Y);
            const double dist = c.CrossStation < 0 ? 1e9 : std::hypot(s - c.CrossStation, off);
            k.H = CrossHeight(plan, s, off, dist);
            QStringList row;
            row << (v == 0 ? c.Name : QString()) << QString::number(++number)
                << (v == 0 && c.CrossStation >= 0 ? FormatKmPlus(false, c.CrossStation) : QString());
            row << PointCells(k);
            table.Rows.push_back(row);
        }
    }

}

// The vegetation and buildings table: each outline runs along the inner key
// points of its profiles and back along the outer ones.
void WriteGreensTable(const tPlan& plan, int count, double spacing, const std::vector<tSection>& sections,
                      tGeneratedTable& table) {
    table.Header = {QStringLiteral("RecordName"), QStringLiteral("IsVegetation"), QStringLiteral("RecordNumber"),
                         QStringLiteral("X"),          QStringLiteral("Y"),            QStringLiteral("Height")};
    for (const tObjectPlan& obj : plan.Objects) {
        // Snapped to the nearest profiles; an outline needs at least two.
        int first = std::max(0, int(std::floor(obj.Begin / spacing + 0.5)));
        int last = std::min(count - 1, std::max(first + 1, int(std::floor(obj.End / spacing + 0.5))));
        first = std::min(first, last - 1);
        if (first < 0) continue;
        std::vector<std::pair<int, int>> outline;  // (profile, key slot)
        for (int i = first; i <= last; ++i) outline.push_back({i, SideSlot(obj.Side, obj.Inner)});
        for (int i = last; i >= first; --i) outline.push_back({i, SideSlot(obj.Side, obj.Outer)});
        int number = 0;
        for (const auto& [i, slot] : outline) {
            const tKey& k = sections[i].Keys[slot];
            double height = obj.Height;
            if (obj.Jitter > 0) height += obj.Jitter * std::sin(i * 1.7 + slot * 0.9 + obj.Begin);
            QStringList row;
            row << (number == 0 ? obj.Name : QString())
                << (number == 0 ? (obj.IsVegetation ? QStringLiteral("1") : QStringLiteral("0")) : QString())
                << QString::number(number + 1) << Num(k.Y, 3) << Num(k.X, 3) << Num(Clamp(height, 0.5, 100), 1);
            table.Rows.push_back(row);
            ++number;
        }
    }
}

}  // namespace

tGeneratedRoad GenerateRoad(const tGenerateOptions& options) {
    tGenerateOptions o = options;
    if (!std::isfinite(o.SpacingM)) o.SpacingM = 10;
    o.SpacingM = Clamp(o.SpacingM, 1, 100);
    if (!std::isfinite(o.LengthKm)) o.LengthKm = 5;
    o.LengthKm = Clamp(o.LengthKm, 2 * o.SpacingM / 1000, (kMaxGeneratedProfiles - 1) * o.SpacingM / 1000);
    const int count = int(std::floor(o.LengthKm * 1000 / o.SpacingM + 1e-9)) + 1;
    const double length = (count - 1) * o.SpacingM;

    tRandom rnd(o.Seed);
    tPlan plan;
    PlanRoad(plan, rnd, length);

    tGeneratedRoad out;
    for (const tStretch& st : plan.Stretches) out.Stretches.push_back({st.Description, st.Begin, st.End, st.Category});

    std::vector<tSection> sections;
    WriteRoadTable(plan, count, o.SpacingM, sections, out.Road);
    WriteCrossRoadsTable(plan, length, out.CrossRoads);
    WriteGreensTable(plan, count, o.SpacingM, sections, out.Greens);
    return out;
}

}  // namespace kestrova
