// The GIS export read back through GDAL: every layer's attributes and
// geometry against the hand-built road they were written from, the GeoJSON
// form in longitude/latitude, and the failures that must leave an earlier
// file as it was.
#include "core/app/language_engine.h"
#include "core/export/gis_writer.h"
#include "core/model/road_text.h"
#include "test_road_builder.h"
#include "test_support.h"

#include <QDir>
#include <QTemporaryDir>

#include <gdal_priv.h>
#include <ogr_spatialref.h>
#include <ogrsf_frmts.h>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

using namespace kestrova;
using kestrova::test::Pt;

namespace {

constexpr double kNoRate = -2e20;

// Six profiles 10 m apart with distinct values in every computed field, a
// pivot of three rows, three crossroads and two objects.
tRoadModel HandBuiltRoad() {
    tRoadModel m;
    for (int i = 0; i < 6; ++i) {
        tPlanProfile p = test::BareProfile(i, 10.0 * i);
        p.RoadCathegory = uint8_t(i % 5);
        p.KeyPoint0 = Pt(440000.5 + 10 * i, 5594000.25 + 2 * i, 200 + 0.1 * i);
        p.KeyPointM1 = Pt(440000.5 + 10 * i, 5594004.25 + 2 * i, 201);
        p.FreeV = 100 + i;
        p.CurveV = 90 + i;
        p.TiltV[0] = 80 + i;
        p.TiltV[1] = 81 + i;
        p.SlickV = 70 + i;
        p.BridgeV = 60 + i;
        p.IntensityV = 50 + i;
        p.LocalityV = 40 + i;
        p.SocialV = 30 + i;
        p.CrossV[0] = 20 + i;
        p.CrossV[1] = 21 + i;
        p.LookV[0] = 10 + i;
        p.LookV[1] = 11 + i;
        p.MinV[0] = 5 + i;
        p.MinV[1] = 6 + i;
        p.Cause[0] = uint8_t(i % 10);
        p.Cause[1] = uint8_t((i + 3) % 10);
        p.Koef[0] = i == 0 ? kNoRate : 1.5 * i;
        p.Koef[1] = i == 5 ? kNoRate : 2.5 * i;
        m.Plan.Profiles.push_back(p);
    }
    auto& P = m.Plan.Profiles;
    P[1].FwdHidden = P[2].FwdHidden = P[4].FwdHidden = 1;
    P[3].RevHidden = 1;
    P[2].HasFwdTrack[1] = 1;
    P[5].HasRevTrack[0] = 1;

    const int bounds[3][2] = {{0, 3}, {3, 5}, {5, 5}};
    for (int r = 0; r < 3; ++r) {
        tPivotRow row;
        row.FirstIndex = bounds[r][0];
        row.LastIndex = bounds[r][1];
        row.KmBeg = P[size_t(row.FirstIndex)].Position;
        row.KmEnd = P[size_t(row.LastIndex)].Position;
        row.Cat = uint8_t(r + 1);
        row.VMinFwd = 60 + r;
        row.VMinRev = 70 + r;
        row.CauseFwd = uint8_t(r + 1);
        row.CauseRev = uint8_t(r + 7);
        row.FailRateFwd = 3.25 + r;
        row.FailRateRev = 4.5 + r;
        row.BoundRateFwd = 11.0 + r;
        row.BoundRateRev = 12.0 + r;
        row.ResumeFwd = r == 0 ? 0 : (r == 1 ? -1 : 1);
        row.ResumeRev = r == 2 ? 0 : (r == 0 ? 1 : -1);
        m.Pivot.Rows.push_back(row);
    }

    tCrossRoadRec seen;
    seen.Name = QStringLiteral("Field track");
    seen.Points = {Pt(440015, 5593990, 199), Pt(440015, 5594003.25, 200.2), Pt(440016, 5594020, 201)};
    seen.NotVisible[0] = 1;
    seen.DirectionOpen[0] = seen.DirectionOpen[1] = 1;
    seen.ApproachEnd[0] = 0;
    seen.ApproachEnd[1] = 4;
    seen.CrossKm = 15;
    tCrossRoadRec skipped;
    skipped.Name = QStringLiteral("Loop road");
    skipped.Points = {Pt(440100, 5594100, 190), Pt(440110, 5594120, 191)};
    skipped.Skip = 1;
    tCrossRoadRec atEnd;
    atEnd.Name = QStringLiteral("Вулиця");
    atEnd.Points = {Pt(440050, 5593990, 198), Pt(440050, 5594030, 199)};
    atEnd.NotVisible[1] = 1;
    atEnd.DirectionOpen[0] = 1;
    atEnd.ApproachEnd[0] = 2;
    atEnd.ApproachEnd[1] = 5;
    atEnd.CrossKm = 50;
    m.CrossRoads.Roads = {seen, skipped, atEnd};

    tGreenRec copse;
    copse.Name = QStringLiteral("Copse");
    copse.IsVegetation = 1;
    copse.Points = {Pt(440010, 5594030, 8.5), Pt(440020, 5594030, 8.5), Pt(440015, 5594040, 8.5)};
    tGreenRec house;
    house.Name = QStringLiteral("House");
    house.Points = {Pt(440030, 5593980, 6), Pt(440034, 5593980, 6), Pt(440034, 5593984, 6), Pt(440030, 5593980, 6)};
    m.Greens.Objects = {copse, house};
    return m;
}

struct tDatasetCloser {
    void operator()(GDALDataset* d) const { GDALClose(d); }
};
using tDataset = std::unique_ptr<GDALDataset, tDatasetCloser>;

tDataset OpenVector(const QString& path) {
    GDALAllRegister();
    return tDataset(static_cast<GDALDataset*>(
        GDALOpenEx(QFile::encodeName(path).constData(), GDAL_OF_VECTOR | GDAL_OF_READONLY, nullptr, nullptr, nullptr)));
}

std::vector<std::unique_ptr<OGRFeature>> Features(OGRLayer* layer) {
    std::vector<std::unique_ptr<OGRFeature>> all;
    layer->ResetReading();
    while (OGRFeature* f = layer->GetNextFeature()) all.emplace_back(f);
    return all;
}

QString Text(const OGRFeature& f, const char* field) { return QString::fromUtf8(f.GetFieldAsString(field)); }
bool IsNull(const OGRFeature& f, const char* field) { return f.IsFieldNull(f.GetFieldIndex(field)); }

// Points of a line string or a point, as (x, y, z).
std::vector<tRoadPoint> PointsOf(const OGRFeature& f) {
    std::vector<tRoadPoint> points;
    const OGRGeometry* g = f.GetGeometryRef();
    if (!g) return points;
    if (wkbFlatten(g->getGeometryType()) == wkbPoint) {
        const auto* p = g->toPoint();
        points.push_back(Pt(p->getX(), p->getY(), p->getZ()));
    } else if (wkbFlatten(g->getGeometryType()) == wkbLineString) {
        const auto* l = g->toLineString();
        for (int i = 0; i < l->getNumPoints(); ++i) points.push_back(Pt(l->getX(i), l->getY(i), l->getZ(i)));
    }
    return points;
}

void ExpectSamePoints(const std::vector<tRoadPoint>& got, const std::vector<tRoadPoint>& want, const char* what) {
    ASSERT_EQ(got.size(), want.size()) << what;
    for (size_t i = 0; i < got.size(); ++i) {
        EXPECT_DOUBLE_EQ(got[i].X, want[i].X) << what << " point " << i;
        EXPECT_DOUBLE_EQ(got[i].Y, want[i].Y) << what << " point " << i;
        EXPECT_DOUBLE_EQ(got[i].H, want[i].H) << what << " point " << i;
    }
}

std::vector<tRoadPoint> KeyPoints(const TMPlan& plan, int first, int last) {
    std::vector<tRoadPoint> points;
    for (int i = first; i <= last; ++i) points.push_back(plan.Profiles[size_t(i)].KeyPoint0);
    if (points.size() == 1) points.push_back(points.front());
    return points;
}

class GisWriter : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(Dir.isValid());
        ASSERT_TRUE(Language.LoadLanguage(test::SourceDir() + QStringLiteral("/lang/Ukrainian.lng")));
        Lookup = [this](const QString& s, const QString& k) { return Language.GetSectionText(s, k); };
        Model = HandBuiltRoad();
    }
    QString Path(const QString& name) const { return Dir.filePath(name); }
    tGisResult Write(const QString& name, const QString& crs, const QStringList& layers = {}) {
        tGisRequest request;
        request.FileName = Path(name);
        request.Crs = crs;
        request.Layers = layers;
        return WriteGis(Model, Lookup, request);
    }
    QString Cause(int code) const { return code == 0 ? QString() : Lookup(GridSection(), CauseKey(code)); }

    QTemporaryDir Dir;
    TLanguageEngine Language = MakeKestrovaLanguageEngine();
    tSectionLookup Lookup;
    tRoadModel Model;
};

TEST_F(GisWriter, GeoPackageHoldsEveryLayerWithItsCountAndSystem) {
    const tGisResult result = Write(QStringLiteral("road.gpkg"), QStringLiteral("epsg:32636"));
    ASSERT_EQ(result.Status, tGisStatus::Written);
    auto ds = OpenVector(Path(QStringLiteral("road.gpkg")));
    ASSERT_TRUE(ds);
    const struct {
        const char* Name;
        int Count;
    } expected[] = {{"profiles", 6}, {"segments", 3}, {"crossroads", 3}, {"sight_hidden", 3}, {"objects", 2}};
    ASSERT_EQ(ds->GetLayerCount(), 5);
    for (const auto& e : expected) {
        OGRLayer* layer = ds->GetLayerByName(e.Name);
        ASSERT_TRUE(layer) << e.Name;
        EXPECT_EQ(layer->GetFeatureCount(), e.Count) << e.Name;
        const OGRSpatialReference* srs = layer->GetSpatialRef();
        ASSERT_TRUE(srs) << e.Name;
        EXPECT_STREQ(srs->GetAuthorityCode(nullptr), "32636") << e.Name;
    }
    ASSERT_EQ(result.Counts.size(), 5u);
    EXPECT_EQ(result.Counts[1], std::make_pair(QStringLiteral("segments"), 3));
    // Only the finished file is left in the folder.
    EXPECT_EQ(QDir(Dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("road.gpkg")});
}

TEST_F(GisWriter, ProfilesArePointsAtKeyPointZeroWithTheirValues) {
    ASSERT_TRUE(Write(QStringLiteral("p.gpkg"), QStringLiteral("EPSG:32636"), {QStringLiteral("profiles")}).Ok());
    auto ds = OpenVector(Path(QStringLiteral("p.gpkg")));
    ASSERT_TRUE(ds);
    ASSERT_EQ(ds->GetLayerCount(), 1);
    const auto features = Features(ds->GetLayerByName("profiles"));
    ASSERT_EQ(features.size(), 6u);
    const std::vector<std::pair<const char*, std::function<double(const tPlanProfile&)>>> reals = {
        {"km", [](const tPlanProfile& p) { return p.Position; }},
        {"free_v", [](const tPlanProfile& p) { return p.FreeV; }},
        {"curve_v", [](const tPlanProfile& p) { return p.CurveV; }},
        {"tilt_v_f", [](const tPlanProfile& p) { return p.TiltV[0]; }},
        {"tilt_v_r", [](const tPlanProfile& p) { return p.TiltV[1]; }},
        {"slick_v", [](const tPlanProfile& p) { return p.SlickV; }},
        {"bridge_v", [](const tPlanProfile& p) { return p.BridgeV; }},
        {"intensity_v", [](const tPlanProfile& p) { return p.IntensityV; }},
        {"locality_v", [](const tPlanProfile& p) { return p.LocalityV; }},
        {"social_v", [](const tPlanProfile& p) { return p.SocialV; }},
        {"cross_v_f", [](const tPlanProfile& p) { return p.CrossV[0]; }},
        {"look_v_f", [](const tPlanProfile& p) { return p.LookV[0]; }},
        {"cross_v_r", [](const tPlanProfile& p) { return p.CrossV[1]; }},
        {"look_v_r", [](const tPlanProfile& p) { return p.LookV[1]; }},
        {"min_v_f", [](const tPlanProfile& p) { return p.MinV[0]; }},
        {"min_v_r", [](const tPlanProfile& p) { return p.MinV[1]; }},
    };
    const std::vector<std::pair<const char*, std::function<int(const tPlanProfile&)>>> ints = {
        {"no", [](const tPlanProfile& p) { return p.RecordNumber; }},
        {"cause_f", [](const tPlanProfile& p) { return int(p.Cause[0]); }},
        {"cause_r", [](const tPlanProfile& p) { return int(p.Cause[1]); }},
        {"fwd_hidden", [](const tPlanProfile& p) { return int(p.FwdHidden); }},
        {"fwd_track", [](const tPlanProfile& p) { return int(p.HasFwdTrack[0] || p.HasFwdTrack[1]); }},
        {"rev_hidden", [](const tPlanProfile& p) { return int(p.RevHidden); }},
        {"rev_track", [](const tPlanProfile& p) { return int(p.HasRevTrack[0] || p.HasRevTrack[1]); }},
    };
    for (size_t i = 0; i < features.size(); ++i) {
        const OGRFeature& f = *features[i];
        const tPlanProfile& p = Model.Plan.Profiles[i];
        ExpectSamePoints(PointsOf(f), {p.KeyPoint0}, "profile");
        for (const auto& [name, get] : reals) EXPECT_DOUBLE_EQ(f.GetFieldAsDouble(name), get(p)) << name << " " << i;
        for (const auto& [name, get] : ints) EXPECT_EQ(f.GetFieldAsInteger(name), get(p)) << name << " " << i;
        EXPECT_EQ(Text(f, "km_text"), FormatKmPlus(true, p.Position));
        EXPECT_EQ(Text(f, "category"), CategoryName(p.RoadCathegory));
        EXPECT_EQ(Text(f, "cause_f_text"), Cause(p.Cause[0])) << i;
        EXPECT_EQ(Text(f, "cause_r_text"), Cause(p.Cause[1])) << i;
        // The rates without a neighbour stay empty.
        EXPECT_EQ(IsNull(f, "rate_f"), i == 0) << i;
        EXPECT_EQ(IsNull(f, "rate_r"), i == 5) << i;
        if (i > 0) { EXPECT_DOUBLE_EQ(f.GetFieldAsDouble("rate_f"), p.Koef[0]); }
        if (i < 5) { EXPECT_DOUBLE_EQ(f.GetFieldAsDouble("rate_r"), p.Koef[1]); }
    }
    EXPECT_FALSE(Text(*features[1], "cause_f_text").isEmpty());
}

TEST_F(GisWriter, SegmentsRunAlongKeyPointsFromFirstToEndProfile) {
    ASSERT_TRUE(Write(QStringLiteral("s.gpkg"), QString(), {QStringLiteral("segments")}).Ok());
    auto ds = OpenVector(Path(QStringLiteral("s.gpkg")));
    ASSERT_TRUE(ds);
    const auto features = Features(ds->GetLayerByName("segments"));
    ASSERT_EQ(features.size(), 3u);
    const QString safe = Lookup(GridSection(), QStringLiteral("gPivotData.Value.Safe"));
    const QString notSafe = Lookup(GridSection(), QStringLiteral("gPivotData.Value.NotSafe"));
    for (size_t i = 0; i < 3; ++i) {
        const OGRFeature& f = *features[i];
        const tPivotRow& r = Model.Pivot.Rows[i];
        ExpectSamePoints(PointsOf(f), KeyPoints(Model.Plan, r.FirstIndex, r.LastIndex), "segment");
        EXPECT_EQ(f.GetFieldAsInteger("no"), int(i) + 1);
        EXPECT_DOUBLE_EQ(f.GetFieldAsDouble("km_from"), r.KmBeg);
        EXPECT_DOUBLE_EQ(f.GetFieldAsDouble("km_to"), r.KmEnd);
        EXPECT_EQ(Text(f, "km_to_text"), FormatKmPlus(true, r.KmEnd));
        EXPECT_EQ(f.GetFieldAsInteger("first_no"), Model.Plan.Profiles[size_t(r.FirstIndex)].RecordNumber);
        EXPECT_EQ(f.GetFieldAsInteger("last_no"), Model.Plan.Profiles[size_t(r.LastIndex)].RecordNumber);
        EXPECT_EQ(Text(f, "category"), CategoryName(r.Cat));
        EXPECT_DOUBLE_EQ(f.GetFieldAsDouble("v_min_f"), r.VMinFwd);
        EXPECT_DOUBLE_EQ(f.GetFieldAsDouble("v_min_r"), r.VMinRev);
        EXPECT_EQ(Text(f, "cause_f_text"), Cause(r.CauseFwd));
        EXPECT_EQ(Text(f, "cause_r_text"), Cause(r.CauseRev));
        EXPECT_EQ(f.GetFieldAsInteger("verdict_f"), r.ResumeFwd);
        EXPECT_EQ(f.GetFieldAsInteger("verdict_r"), r.ResumeRev);
        const QString verdictF = r.ResumeFwd == 1 ? safe : r.ResumeFwd == -1 ? notSafe : QString();
        const QString verdictR = r.ResumeRev == 1 ? safe : r.ResumeRev == -1 ? notSafe : QString();
        EXPECT_EQ(Text(f, "verdict_f_text"), verdictF);
        EXPECT_EQ(Text(f, "verdict_r_text"), verdictR);
        // No boundary lies behind the first row forward nor the last in reverse.
        EXPECT_EQ(IsNull(f, "fail_rate_f"), i == 0);
        EXPECT_EQ(IsNull(f, "bound_rate_r"), i == 2);
        if (i > 0) { EXPECT_DOUBLE_EQ(f.GetFieldAsDouble("bound_rate_f"), r.BoundRateFwd); }
        if (i < 2) { EXPECT_DOUBLE_EQ(f.GetFieldAsDouble("fail_rate_r"), r.FailRateRev); }
    }
    EXPECT_NE(safe, QStringLiteral("gPivotData.Value.Safe"));
}

TEST_F(GisWriter, CrossroadsSightStretchesAndObjects) {
    ASSERT_TRUE(Write(QStringLiteral("c.gpkg"), QStringLiteral("EPSG:32636")).Ok());
    auto ds = OpenVector(Path(QStringLiteral("c.gpkg")));
    ASSERT_TRUE(ds);

    const auto cross = Features(ds->GetLayerByName("crossroads"));
    ASSERT_EQ(cross.size(), 3u);
    const struct {
        const char* StateF;
        const char* StateR;
        int EndFNo;  // 0: empty
        int EndRNo;
    } crossExpected[] = {{"NV", "", 1, 5}, {"SKIP", "SKIP", 0, 0}, {"", "NV", 3, 0}};
    for (size_t i = 0; i < 3; ++i) {
        const OGRFeature& f = *cross[i];
        const tCrossRoadRec& c = Model.CrossRoads.Roads[i];
        const auto& e = crossExpected[i];
        ExpectSamePoints(PointsOf(f), c.Points, "crossroad");
        EXPECT_EQ(Text(f, "name"), c.Name);
        EXPECT_EQ(Text(f, "state_f"), QString::fromLatin1(e.StateF)) << i;
        EXPECT_EQ(Text(f, "state_r"), QString::fromLatin1(e.StateR)) << i;
        EXPECT_EQ(IsNull(f, "km"), c.Skip != 0) << i;
        if (!c.Skip) { EXPECT_EQ(Text(f, "km_text"), FormatKmPlus(true, c.CrossKm)); }
        EXPECT_EQ(IsNull(f, "approach_end_f_no"), e.EndFNo == 0) << i;
        EXPECT_EQ(IsNull(f, "approach_end_r_no"), e.EndRNo == 0) << i;
        if (e.EndFNo) { EXPECT_EQ(f.GetFieldAsInteger("approach_end_f_no"), e.EndFNo) << i; }
        if (e.EndRNo) { EXPECT_EQ(f.GetFieldAsInteger("approach_end_r_no"), e.EndRNo) << i; }
    }

    // Forward marks at profiles 1, 2 and 4 give the runs 1-2 and 4, each
    // reaching on to the next profile; the reverse mark at 3 reaches back to 2.
    const auto hidden = Features(ds->GetLayerByName("sight_hidden"));
    const struct {
        const char* Direction;
        int First;
        int Last;
        int Marked;
    } hiddenExpected[] = {{"F", 1, 3, 2}, {"F", 4, 5, 1}, {"R", 2, 3, 1}};
    ASSERT_EQ(hidden.size(), std::size(hiddenExpected));
    for (size_t i = 0; i < hidden.size(); ++i) {
        const OGRFeature& f = *hidden[i];
        const auto& e = hiddenExpected[i];
        EXPECT_EQ(Text(f, "direction"), QString::fromLatin1(e.Direction)) << i;
        EXPECT_EQ(f.GetFieldAsInteger("first_no"), e.First + 1) << i;
        EXPECT_EQ(f.GetFieldAsInteger("last_no"), e.Last + 1) << i;
        EXPECT_EQ(f.GetFieldAsInteger("profiles"), e.Marked) << i;
        EXPECT_DOUBLE_EQ(f.GetFieldAsDouble("km_from"), Model.Plan.Profiles[size_t(e.First)].Position) << i;
        ExpectSamePoints(PointsOf(f), KeyPoints(Model.Plan, e.First, e.Last), "sight stretch");
    }

    // Outlines are closed; an outline already closed keeps its points.
    const auto objects = Features(ds->GetLayerByName("objects"));
    ASSERT_EQ(objects.size(), 2u);
    std::vector<tRoadPoint> copse = Model.Greens.Objects[0].Points;
    copse.push_back(copse.front());
    ExpectSamePoints(PointsOf(*objects[0]), copse, "vegetation");
    ExpectSamePoints(PointsOf(*objects[1]), Model.Greens.Objects[1].Points, "building");
    EXPECT_EQ(objects[0]->GetFieldAsInteger("is_vegetation"), 1);
    EXPECT_EQ(Text(*objects[0], "kind"), Lookup(GisTextSection(), QStringLiteral("GisExport.Vegetation")));
    EXPECT_EQ(Text(*objects[1], "kind"), Lookup(GisTextSection(), QStringLiteral("GisExport.Building")));
    EXPECT_DOUBLE_EQ(objects[0]->GetFieldAsDouble("height"), 8.5);
    EXPECT_EQ(Text(*objects[1], "name"), QStringLiteral("House"));
}

TEST_F(GisWriter, WithoutSystemTheGeoPackageHasNone) {
    const tGisResult result = Write(QStringLiteral("n.gpkg"), QStringLiteral("  "));
    EXPECT_EQ(result.Status, tGisStatus::WrittenWithoutCrs);
    auto ds = OpenVector(Path(QStringLiteral("n.gpkg")));
    ASSERT_TRUE(ds);
    const OGRSpatialReference* srs = ds->GetLayerByName("segments")->GetSpatialRef();
    EXPECT_TRUE(srs == nullptr || srs->GetAuthorityCode(nullptr) == nullptr);
    EXPECT_EQ(GisResultMessage(result, QStringLiteral("n.gpkg")).Key, QStringLiteral("GisExport.WrittenWithoutCrs"));
}

TEST_F(GisWriter, GeoJsonHoldsOneLayerInLongitudeLatitude) {
    const struct {
        QStringList Layers;
        const char* Name;
        size_t Count;
    } cases[] = {{{}, "segments", 3}, {{QStringLiteral("profiles")}, "profiles", 6}};
    OGRSpatialReference utm, wgs84;
    utm.importFromEPSG(32636);
    utm.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    wgs84.SetWellKnownGeogCS("WGS84");
    wgs84.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    std::unique_ptr<OGRCoordinateTransformation> toLonLat(OGRCreateCoordinateTransformation(&utm, &wgs84));
    ASSERT_TRUE(toLonLat);
    for (const auto& c : cases) {
        const QString name = QString::fromLatin1(c.Name) + QStringLiteral(".geojson");
        ASSERT_EQ(Write(name, QStringLiteral("EPSG:32636"), c.Layers).Status, tGisStatus::Written) << c.Name;
        auto ds = OpenVector(Path(name));
        ASSERT_TRUE(ds) << c.Name;
        ASSERT_EQ(ds->GetLayerCount(), 1);
        OGRLayer* layer = ds->GetLayer(0);
        EXPECT_STREQ(layer->GetName(), c.Name);
        const auto features = Features(layer);
        ASSERT_EQ(features.size(), c.Count);
        // The first point of the first feature is key point 0 of the first profile.
        const std::vector<tRoadPoint> points = PointsOf(*features.front());
        ASSERT_FALSE(points.empty());
        double x = Model.Plan.Profiles[0].KeyPoint0.X, y = Model.Plan.Profiles[0].KeyPoint0.Y;
        ASSERT_TRUE(toLonLat->Transform(1, &x, &y));
        EXPECT_NEAR(points[0].X, x, 1e-6);
        EXPECT_NEAR(points[0].Y, y, 1e-6);
        EXPECT_NEAR(points[0].X, 32.15, 0.05);  // UTM zone 36N, 60 km west of its meridian
        EXPECT_NEAR(points[0].Y, 50.49, 0.05);
        EXPECT_DOUBLE_EQ(points[0].H, Model.Plan.Profiles[0].KeyPoint0.H);
    }
}

TEST_F(GisWriter, FailuresLeaveTheEarlierFileAsItWas) {
    enum class tTarget { EarlierFile, Folder, FileAsParent };
    const struct {
        const char* Name;
        const char* Crs;
        QStringList Layers;
        tTarget Target;
        tGisStatus Status;
    } cases[] = {
        {"a.gpkg", "EPSG:999999", {}, tTarget::EarlierFile, tGisStatus::UnknownCrs},
        {"b.gpkg", "32636", {}, tTarget::EarlierFile, tGisStatus::BadCrs},
        {"c.gpkg", "EPSG:32636", {QStringLiteral("profiles"), QStringLiteral("roads")}, tTarget::EarlierFile,
         tGisStatus::UnknownLayer},
        {"d.geojson", "", {}, tTarget::EarlierFile, tGisStatus::GeoJsonNeedsCrs},
        {"e.geojson", "EPSG:32636", {QStringLiteral("profiles"), QStringLiteral("objects")}, tTarget::EarlierFile,
         tGisStatus::OneLayerPerFile},
        {"f.shp", "EPSG:32636", {}, tTarget::EarlierFile, tGisStatus::UnknownFormat},
        {"g.gpkg", "EPSG:32636", {}, tTarget::Folder, tGisStatus::TargetIsFolder},
        {"h.gpkg", "EPSG:32636", {}, tTarget::FileAsParent, tGisStatus::CannotCreate},
        {"i.geojson", "EPSG:32636", {}, tTarget::FileAsParent, tGisStatus::CannotCreate},
    };
    const QByteArray earlier("an earlier file");
    for (const auto& c : cases) {
        QTemporaryDir dir;
        ASSERT_TRUE(dir.isValid());
        QString target = dir.filePath(QString::fromLatin1(c.Name));
        switch (c.Target) {
        case tTarget::EarlierFile: ASSERT_TRUE(test::WriteFile(target, earlier)); break;
        case tTarget::Folder: ASSERT_TRUE(QDir().mkpath(target)); break;
        case tTarget::FileAsParent:
            ASSERT_TRUE(test::WriteFile(dir.filePath(QStringLiteral("parent")), earlier));
            target = dir.filePath(QStringLiteral("parent/")) + QString::fromLatin1(c.Name);
            break;
        }
        const QStringList before = QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
        tGisRequest request;
        request.FileName = target;
        request.Crs = QString::fromLatin1(c.Crs);
        request.Layers = c.Layers;
        const tGisResult result = WriteGis(Model, Lookup, request);
        EXPECT_EQ(result.Status, c.Status) << c.Name;
        EXPECT_FALSE(result.Ok()) << c.Name;
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden), before) << c.Name;
        if (c.Target == tTarget::EarlierFile) { EXPECT_EQ(test::ReadFile(target), earlier) << c.Name; }
        if (c.Target == tTarget::Folder) { EXPECT_TRUE(QFileInfo(target).isDir()) << c.Name; }
        // Every failure has a text of its own in the language file.
        const tMessage message = GisResultMessage(result, target);
        const QString text = Lookup(GisTextSection(), message.Key);
        EXPECT_NE(text, message.Key) << c.Name;
    }
}

TEST_F(GisWriter, NoResultsBeforeTheCalculation) {
    Model.Pivot.Rows.clear();
    EXPECT_EQ(Write(QStringLiteral("r.gpkg"), QStringLiteral("EPSG:32636")).Status, tGisStatus::NoResults);
    EXPECT_FALSE(QFileInfo::exists(Path(QStringLiteral("r.gpkg"))));
}

TEST(GisNames, EpsgCodesAndFormats) {
    const struct {
        const char* Text;
        int Code;  // 0: refused
    } codes[] = {{"EPSG:32636", 32636}, {" epsg : 4326 ", 4326}, {"EPSG:", 0},       {"32636", 0},
                 {"EPSG:-5", 0},        {"EPSG:12x", 0},         {"ESRI:102100", 0}, {"", 0}};
    for (const auto& c : codes) EXPECT_EQ(ParseEpsgCode(QString::fromLatin1(c.Text)).value_or(0), c.Code) << c.Text;
    EXPECT_EQ(GisFormatOfFile(QStringLiteral("a/B.GPKG")), tGisFormat::GeoPackage);
    EXPECT_EQ(GisFormatOfFile(QStringLiteral("x.json")), tGisFormat::GeoJson);
    EXPECT_FALSE(GisFormatOfFile(QStringLiteral("x.gpkg.tmp")).has_value());
    for (tGisLayer layer : AllGisLayers()) EXPECT_EQ(GisLayerByName(GisLayerName(layer)), layer);
}

// The batch command on the bundled road: one feature per profile, pivot row
// and crossroad, as the calculation's own tables count them.
TEST(GisBatch, ExampleRoadToGeoPackage) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString ex = test::BinDir() + QStringLiteral("/examples/");
    const QStringList importArgs = {QStringLiteral("--road"),       ex + QStringLiteral("road.csv"),
                                    QStringLiteral("--greens"),     ex + QStringLiteral("greens.csv"),
                                    QStringLiteral("--crossroads"), ex + QStringLiteral("crossroads.csv")};
    const QString gpkg = dir.filePath(QStringLiteral("road.gpkg"));
    const test::tBatchRun gis = test::RunBatch(
        QStringLiteral("export-gis"), importArgs + QStringList{QStringLiteral("--out"), gpkg, QStringLiteral("--crs"),
                                                               QStringLiteral("EPSG:32636")});
    ASSERT_EQ(gis.Exit, 0) << gis.Err.toStdString();
    const test::tBatchRun calc =
        test::RunBatch(QStringLiteral("calc"), importArgs + QStringList{QStringLiteral("--out"), dir.path()});
    ASSERT_EQ(calc.Exit, 0) << calc.Err.toStdString();
    auto lines = [&](const char* file) {
        return int(test::ReadFile(dir.filePath(QString::fromLatin1(file))).count("\r\n")) - 1;
    };
    auto ds = OpenVector(gpkg);
    ASSERT_TRUE(ds);
    EXPECT_EQ(ds->GetLayerByName("profiles")->GetFeatureCount(), lines("source.csv"));
    EXPECT_EQ(ds->GetLayerByName("segments")->GetFeatureCount(), lines("pivot.csv"));
    EXPECT_EQ(ds->GetLayerByName("crossroads")->GetFeatureCount(), lines("crossroads.csv"));
    EXPECT_STREQ(ds->GetLayerByName("profiles")->GetSpatialRef()->GetAuthorityCode(nullptr), "32636");
    // Key point 0 of the first row: source "X" 5594576.766 (northing), "Y" 440074.477 (easting).
    std::unique_ptr<OGRFeature> first(ds->GetLayerByName("profiles")->GetFeature(1));
    ASSERT_TRUE(first);
    ExpectSamePoints(PointsOf(*first), {Pt(440074.477, 5594576.766, 204.861)}, "first profile");

    const test::tBatchRun bad = test::RunBatch(
        QStringLiteral("export-gis"),
        importArgs + QStringList{QStringLiteral("--out"), gpkg, QStringLiteral("--crs"), QStringLiteral("EPSG:0")});
    EXPECT_EQ(bad.Exit, 2);
    EXPECT_TRUE(bad.Err.contains(QStringLiteral("EPSG:0"))) << bad.Err.toStdString();
}

}  // namespace
