// The calculation on roads that are valid but extreme: the fewest profiles,
// a road folded onto one plan point, vertical cross sections, a crossroad
// running along the road, and the largest road the table allows. The run must
// end, and no computed field and no grid text may be NaN or infinite.
//
// The 200,000-profile road is skipped in the sanitizer build (environment
// variable KESTROVA_SANITIZE_BUILD set, or AddressSanitizer compiled in): it
// runs many times slower there.
#include "core/calc/calc_run.h"
#include "core/calc/grid_texts.h"
#include "model_compare.h"
#include "robust_files.h"
#include "sight_road_builder.h"
#include "core/import/crossroads_import.h"
#include "core/import/greens_import.h"
#include "core/import/road_import.h"
#include "test_support.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <future>
#include <iostream>

using namespace kestrova;
using namespace kestrova::test;

namespace {

// A key point of one profile: its number and where it lies.
struct tKp {
    int Number;
    double X, Y, H;   // source X (along the table's "X" column), Y and H
};

struct tRow {
    double Position;
    std::vector<tKp> Points;
    QString Category = QStringLiteral("II");
    QString Radius = {};  // empty: straight
};

const std::vector<int> kKeyNumbers = {-1, 0, 109, 112, 116, 123, 127, 130};
const std::vector<double> kOffsets = {-20, 0, -10, -7, -3.75, 3.75, 7, 10};
const std::vector<double> kHeights = {-1, 0, -0.5, -0.2, 0, 0, -0.2, -0.5};

// An ordinary cross section of a straight road along X at x.
std::vector<tKp> Section(double x, double h = 100) {
    std::vector<tKp> s;
    for (size_t i = 0; i < kKeyNumbers.size(); ++i) s.push_back({kKeyNumbers[i], x, 2000 + kOffsets[i], h + kHeights[i]});
    return s;
}

QByteArray RoadCsv(const std::vector<tRow>& rows) {
    QByteArray t = "RecordNumber;Position;RoadCathegory;TrafficIntensity;Cars;Trucks;Buses;VehicleTrains;CurveRadius;"
                   "LongitudinalTilt;SlicknessValue;Clearance;IsLocality;IsSocialActivity";
    for (const tKp& k : rows.front().Points) t += ';' + QByteArray::number(k.Number) + ";;";
    t += "\r\n";
    for (size_t i = 0; i < rows.size(); ++i) {
        const tRow& r = rows[i];
        t += QByteArray::number(qlonglong(i + 1)) + ';' + QByteArray::number(r.Position, 'g', 12) + ';' +
             r.Category.toUtf8() + ";8000;0.6;0.2;0.1;0.1;" + r.Radius.toUtf8() + ";0.03;0.4;;0;1";
        for (const tKp& k : r.Points)
            t += ';' + QByteArray::number(k.X, 'g', 12) + ';' + QByteArray::number(k.Y, 'g', 12) + ';' +
                 QByteArray::number(k.H, 'g', 12);
        t += "\r\n";
    }
    return t;
}

// Runs fn on its own thread; a run that does not end in time fails the test
// program at once rather than hanging it.
void RunWithin(int seconds, const std::function<void()>& fn) {
    auto done = std::async(std::launch::async, fn);
    if (done.wait_for(std::chrono::seconds(seconds)) == std::future_status::ready) {
        done.get();
        return;
    }
    std::cerr << "the calculation did not end within " << seconds << " s" << std::endl;
    std::_Exit(3);
}

bool Finite(const tRoadPoint& p) {
    return std::isfinite(p.X) && std::isfinite(p.Y) && std::isfinite(p.H) && std::isfinite(p.H2) &&
           std::isfinite(p.Chainage);
}

// The first computed field that is NaN or infinite, or an empty text.
QString FirstNonFinite(const tRoadModel& m) {
    for (int i = 0; i < m.Plan.Count(); ++i) {
        const tPlanProfile& p = m.Plan.Profiles[size_t(i)];
        const QString at = QStringLiteral(" of profile %1").arg(i);
        const std::pair<const char*, double> fields[] = {
            {"FreeV", p.FreeV},     {"CurveV", p.CurveV},         {"TiltV0", p.TiltV[0]},   {"TiltV1", p.TiltV[1]},
            {"SlickV", p.SlickV},   {"BridgeV", p.BridgeV},       {"IntensityV", p.IntensityV},
            {"LocalityV", p.LocalityV}, {"SocialV", p.SocialV},   {"CrossV0", p.CrossV[0]}, {"CrossV1", p.CrossV[1]},
            {"LookV0", p.LookV[0]}, {"LookV1", p.LookV[1]},       {"MinV0", p.MinV[0]},     {"MinV1", p.MinV[1]},
            {"Koef0", p.Koef[0]},   {"Koef1", p.Koef[1]},         {"Position", p.Position}};
        for (const auto& [name, v] : fields)
            if (!std::isfinite(v)) return QLatin1String(name) + at;
        const std::pair<const char*, const tRoadPoint*> points[] = {
            {"SightTrack0", &p.SightTrack[0]}, {"SightTrack1", &p.SightTrack[1]}, {"SightPoint", &p.SightPoint},
            {"GroundPoint", &p.GroundPoint},   {"RoadCentre", &p.RoadCentre},     {"KeyPointM1", &p.KeyPointM1},
            {"KeyPoint0", &p.KeyPoint0}};
        for (const auto& [name, pt] : points)
            if (!Finite(*pt)) return QLatin1String(name) + at;
        for (const auto& s : p.Segments)
            if (!Finite(s.A) || !Finite(s.B)) return QStringLiteral("segment %1").arg(s.SegNo) + at;
        for (const auto& look : p.CrossLook)
            for (int side = 0; side < 2; ++side) {
                for (const auto& l : look.SightLines[side]) {
                    tSightLineEnds ends;
                    if (!SightLineEnds(m.CrossRoads, look, side, l, ends) || !Finite(ends.Observer) ||
                        !Finite(ends.Target))
                        return QStringLiteral("crossroads sight line") + at;
                }
                for (const auto& h : look.HiddenPoints[side].Points)
                    if (!Finite(h.Point)) return QStringLiteral("crossroads hidden point") + at;
            }
    }
    for (const auto& r : m.CrossRoads.Roads) {
        if (!std::isfinite(r.CrossKm)) return QStringLiteral("CrossKm of ") + r.Name;
        for (const auto& pt : r.Points)
            if (!Finite(pt)) return QStringLiteral("point of crossroad ") + r.Name;
    }
    for (int i = 0; i < m.Pivot.Count(); ++i) {
        const tPivotRow& r = m.Pivot.Rows[size_t(i)];
        for (double v : {r.KmBeg, r.KmEnd, r.VMinFwd, r.VMinRev, r.FailRateFwd, r.FailRateRev, r.BoundRateFwd,
                         r.BoundRateRev})
            if (!std::isfinite(v)) return QStringLiteral("pivot row %1").arg(i);
    }
    return {};
}

// Every cell of the four result grids, with both decimal separators (the
// whole tables through MaterialiseGrid), or with one separator cell by cell
// (CellText) for a road too large to hold every text at once.
QString FirstBadGridText(const tRoadModel& m, bool materialise = true) {
    tGridLanguage language;
    // Plain words, so that only numbers can bring "nan" or "inf" into a cell.
    auto lookup = [](const QString&, const QString&) { return QStringLiteral("text"); };
    FillHeaderTexts(language, lookup);
    FillCauseTexts(language, lookup);
    const QStringList separators = materialise ? QStringList{QStringLiteral("."), QStringLiteral(",")}
                                               : QStringList{QStringLiteral(",")};
    for (const QString& sep : separators) {
        tGridSource source;
        source.Plan = &m.Plan;
        source.Pivot = &m.Pivot;
        source.Language = &language;
        source.DecimalSeparator = sep;
        for (tGridId grid : {tGridId::SourceData, tGridId::DraftV, tGridId::PivotData, tGridId::ProfilesList}) {
            tTextTable t;
            if (materialise) {
                t = MaterialiseGrid(grid, source);
                if (t.Rows != GridRowCount(grid, source)) return QStringLiteral("grid row count");
            } else {
                t.Rows = GridRowCount(grid, source);
                t.Columns = GridColumnCount(grid);
            }
            for (int r = 1; r < t.Rows; ++r)
                for (int c = 0; c < t.Columns; ++c) {
                    const QString text = materialise ? t.At(r, c) : CellText(grid, source, r, c);
                    if (text.contains(QLatin1String("nan"), Qt::CaseInsensitive) ||
                        text.contains(QLatin1String("inf"), Qt::CaseInsensitive))
                        return QStringLiteral("grid %1 cell %2,%3: ").arg(int(grid)).arg(r).arg(c) + text;
                }
        }
    }
    return {};
}

class ExtremeRoad : public ::testing::TestWithParam<tCalcEngine> {
protected:
    // Imports the tables like the window does; the crossroads and objects are optional.
    void Load(const std::vector<tRow>& rows, const QByteArray& cross = {}, const QByteArray& greens = {}) {
        const QString road = Dir.filePath(QStringLiteral("road.csv"));
        ASSERT_TRUE(WriteFile(road, RoadCsv(rows)));
        const tImportResult r = ImportRoad(road, Model);
        ASSERT_TRUE(r.Success) << r.Failure.Key.toStdString() << " " << r.Failure.ReasonKey.toStdString() << " "
                               << r.Failure.Placeholder(QStringLiteral("%CellAddr%")).toStdString();
        if (!greens.isEmpty()) {
            const QString path = Dir.filePath(QStringLiteral("greens.csv"));
            ASSERT_TRUE(WriteFile(path, greens));
            const tImportResult g = ImportGreens(road, path, tSheetChoice::SeparateFile, Model);
            ASSERT_TRUE(g.Success) << g.Failure.Key.toStdString();
        }
        if (!cross.isEmpty()) {
            const QString path = Dir.filePath(QStringLiteral("cross.csv"));
            ASSERT_TRUE(WriteFile(path, cross));
            const tImportResult c = ImportCrossRoads(road, path, tSheetChoice::SeparateFile, Model);
            ASSERT_TRUE(c.Success) << c.Failure.Key.toStdString();
        }
    }

    void RunAndCheck() {
        const tRoadModel source = Model;
        RunWithin(120, [&] { RunCalculation(Model, {}, GetParam(), {}, 2); });
        if (GetParam() == tCalcEngine::Fast) {
            // Degenerate sections take the fast engine's rare paths (heightless
            // sight lines, unordered ground): it must still match the oracle.
            tRoadModel reference = source;
            RunCalculation(reference, {}, tCalcEngine::Reference);
            test::tModelDiff diff;
            diff.Model(reference, Model);
            EXPECT_EQ(diff.Count, 0) << diff.Out.str();
        }
        EXPECT_EQ(FirstNonFinite(Model), QString());
        EXPECT_EQ(FirstBadGridText(Model), QString());
        EXPECT_GE(Model.Pivot.Count(), 1);
        for (const auto& p : Model.Plan.Profiles)
            for (int d = 0; d < 2; ++d) {
                // 0 is a real answer: a crossroad hidden already from the
                // nearest approach profile asks for a stop.
                EXPECT_GE(p.MinV[d], 0);
                EXPECT_LE(p.MinV[d], p.FreeV);
            }
    }

    QTemporaryDir Dir;
    tRoadModel Model;
};

TEST_P(ExtremeRoad, ThreeProfiles) {
    Load({{0, Section(1000)}, {10, Section(1010)}, {20, Section(1020)}});
    RunAndCheck();
    EXPECT_EQ(Model.Plan.Count(), 3);
}

TEST_P(ExtremeRoad, ThreeProfilesAFewMillimetresApart) {
    Load({{0, Section(1000)}, {0.001, Section(1000.001)}, {0.002, Section(1000.002)}});
    RunAndCheck();
}

TEST_P(ExtremeRoad, EveryProfileOnTheSamePlanPlace) {
    std::vector<tRow> rows;
    for (int i = 0; i < 12; ++i) rows.push_back({100.0 * i, Section(1000, 100 + i), i % 2 ? "Ia" : "IV", "300"});
    Load(rows);
    RunAndCheck();
}

TEST_P(ExtremeRoad, EveryKeyPointOfEveryProfileOnOnePoint) {
    std::vector<tRow> rows;
    for (int i = 0; i < 8; ++i) {
        std::vector<tKp> s;
        for (int n : kKeyNumbers) s.push_back({n, 1000, 2000, 100});
        rows.push_back({25.0 * i, s});
    }
    Load(rows);
    RunAndCheck();
}

TEST_P(ExtremeRoad, VerticalCrossSections) {
    // Shoulder and terrain points stand on the carriageway edge at other
    // heights: walls and pits across the road, and objects on them.
    std::vector<tRow> rows;
    for (int i = 0; i < 20; ++i) {
        std::vector<tKp> s = Section(1000 + 10 * i);
        const double step = (i % 3 == 0) ? 30 : -25;
        s[2].Y = s[3].Y = s[4].Y;    // 109, 112 above 116
        s[2].H += step;
        s[3].H -= step / 2;
        s[6].Y = s[7].Y = s[5].Y;    // 127, 130 above 123
        s[6].H += step;
        s[7].H += 2 * step;
        s[0].Y = s[1].Y;             // key point -1 on the centre, lower
        s[0].H -= 5;
        rows.push_back({10.0 * i, s});
    }
    QByteArray greens = "RecordName;IsVegetation;RecordNumber;X;Y;Height\r\n";
    for (int i = 2; i < 18; i += 5) {
        // An outline on the wall's foot and top (the same plan point twice).
        greens += "Wall " + QByteArray::number(i) + ";0;1;" + QByteArray::number(1000 + 10 * i) + ";1996.25;12\r\n";
        greens += ";;2;" + QByteArray::number(1010 + 10 * i) + ";1996.25;12\r\n";
        greens += ";;3;" + QByteArray::number(1010 + 10 * i) + ";2003.75;12\r\n";
    }
    Load(rows, {}, greens);
    RunAndCheck();
}

TEST_P(ExtremeRoad, CrossroadRunningAlongTheRoad) {
    std::vector<tRow> rows;
    for (int i = 0; i < 30; ++i) rows.push_back({10.0 * i, Section(1000 + 10 * i, 100 + 0.5 * i)});
    // One crossroad lies on the road's centre line for 100 m, one passes
    // exactly through a key point 0, one is two points on the same spot.
    QByteArray cross = "RecordName;RecordNumber;Position;X;Y;H\r\n";
    for (int k = 0; k <= 10; ++k)
        cross += (k == 0 ? "Along" : "") + QByteArray(";") + QByteArray::number(k + 1) + ";;" +
                 QByteArray::number(1050 + 10 * k) + ";2000;" + QByteArray::number(102.5 + 0.5 * k) + "\r\n";
    cross += "Through;1;;1150;1950;100\r\n;2;;1150;2000;107.5\r\n;3;;1150;2050;100\r\n";
    cross += "Dot;1;;1200;2000;110\r\n;2;;1200;2000;110\r\n";
    Load(rows, cross);
    RunAndCheck();
    EXPECT_EQ(Model.CrossRoads.Count(), 3);
}

TEST_P(ExtremeRoad, PositionsCoordinatesAndHeightsAtTheirLimits) {
    // The last millimetres of the km range, plan coordinates on both edges of
    // the allowed square, and a 5120 m cliff from -120 to 5000 beside the road.
    std::vector<tRow> rows;
    for (int i = 0; i < 5; ++i) {
        std::vector<tKp> s = Section(9999999 - 30 + 0.001 * i, 5000 - 0.5);
        for (tKp& k : s) k.Y = (k.Number == 130 || k.Number == 127) ? 9999999 : 9999999 - 25 + (k.Y - 2000);
        s[0].H = -120;
        s[0].Y = 0;  // key point -1 at the far edge of the square
        rows.push_back({9999999.995 + 0.001 * i, s});
    }
    Load(rows);
    RunAndCheck();
}

INSTANTIATE_TEST_SUITE_P(Engines, ExtremeRoad, ::testing::Values(tCalcEngine::Fast, tCalcEngine::Reference),
                         [](const auto& info) {
                             return std::string(info.param == tCalcEngine::Fast ? "Fast" : "Reference");
                         });

// The largest road the table allows, built directly in memory rather than
// read from a 50 MB file: 200,000 profiles 10 m apart, curves, crests and dips,
// every category, and a crossroad every 100 km.
tRoadModel LargestRoad() {
    tRoadModel model;
    const int n = 200000;
    model.Plan.Profiles.reserve(size_t(n));
    double x = 1000, y = 1000, heading = 0, h = 200;
    for (int i = 0; i < n; ++i) {
        const int stretch = i / 300;
        const double radius = (stretch % 4 == 1) ? 250 : (stretch % 4 == 3 ? -600 : 0);
        const double grade = ((stretch * 7) % 11 - 5) * 0.012;
        if (i > 0) {
            heading += radius == 0 ? 0 : 10 / radius;
            x += 10 * std::cos(heading);
            y += 10 * std::sin(heading);
            h += 10 * grade;
        }
        const double base = h;
        tPlanProfile p = MakeProfile(i, 10.0 * i, x, y, std::cos(heading), std::sin(heading),
                                     [base](double off) { return base - 0.02 * std::fabs(off); },
                                     uint8_t(stretch % 5));
        p.CurveRadius = std::fabs(radius);
        p.LongitudinalTilt = grade;
        p.SlicknessValue = 0.4;
        p.TrafficIntensity = 1000 + (stretch % 13) * 1500;
        p.IsLocality = stretch % 17 == 0;
        model.Plan.Profiles.push_back(std::move(p));
    }
    for (int c = 1; c < 20; ++c) {
        const tPlanProfile& p = model.Plan.Profiles[size_t(c * 10000 + 150)];
        const double dx = p.Segments.back().B.X - p.Segments.front().A.X;
        const double dy = p.Segments.back().B.Y - p.Segments.front().A.Y;
        const double len = std::hypot(dx, dy);
        tCrossRoadRec road;
        road.Name = QStringLiteral("Cross %1").arg(c);
        for (int k = -5; k <= 5; ++k) {
            tRoadPoint pt;
            pt.X = p.KeyPoint0.X + dx / len * 20 * k + 0.3;
            pt.Y = p.KeyPoint0.Y + dy / len * 20 * k + 0.2;
            pt.H = p.KeyPoint0.H + 1;
            pt.ProfileIndex = -1;
            road.Points.push_back(pt);
        }
        model.CrossRoads.Roads.push_back(road);
    }
    return model;
}

TEST(ExtremeRoadSize, TwoHundredThousandProfiles) {
    if (SanitizeBuild())
        GTEST_SKIP() << "too slow in the sanitizer build";
    tRoadModel model = LargestRoad();
    ASSERT_EQ(model.Plan.Count(), 200000);
    RunWithin(300, [&] { RunCalculation(model, {}, tCalcEngine::Fast); });
    EXPECT_EQ(FirstNonFinite(model), QString());
    EXPECT_EQ(FirstBadGridText(model, false), QString());
    EXPECT_GE(model.Pivot.Count(), 1);
    EXPECT_EQ(model.CrossRoads.Count(), 19);
}

}  // namespace
