#include "core/export/gis_writer.h"

#include "core/util/file_replace.h"
#include "core/model/road_text.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <gdal_priv.h>
#include <ogr_spatialref.h>
#include <ogrsf_frmts.h>

#include <algorithm>
#include <memory>
#include <mutex>

namespace kestrova {

namespace {

// Rates below this hold "no neighbour".
constexpr double kNoRate = -1e20;

void RegisterGdal() {
    static std::once_flag once;
    std::call_once(once, [] { GDALAllRegister(); });
}

// Keeps GDAL's own error output off the console while a file is written; the
// last error text becomes the detail of a failure.
struct tQuietGdal {
    tQuietGdal() {
        CPLPushErrorHandler(CPLQuietErrorHandler);
        CPLErrorReset();
    }
    ~tQuietGdal() { CPLPopErrorHandler(); }
    static QString LastError() { return QString::fromUtf8(CPLGetLastErrorMsg()); }
};

struct tDatasetCloser {
    void operator()(GDALDataset* d) const { GDALClose(d); }
};
using tDataset = std::unique_ptr<GDALDataset, tDatasetCloser>;

// Field kinds of a layer's attribute table.
enum class tField { Int, Real, Text };

struct tFieldDef {
    const char* Name;
    tField Kind;
};

// One feature at a time into one layer; field indices come from the order of
// the definitions, values are set by that index.
class tLayerWriter {
public:
    tLayerWriter(OGRLayer* layer) : FLayer(layer) {}

    bool Define(const std::vector<tFieldDef>& fields) {
        for (const tFieldDef& f : fields) {
            const OGRFieldType type = f.Kind == tField::Int    ? OFTInteger
                                      : f.Kind == tField::Real ? OFTReal
                                                               : OFTString;
            OGRFieldDefn defn(f.Name, type);
            if (FLayer->CreateField(&defn) != OGRERR_NONE) return false;
        }
        FFeature = std::make_unique<OGRFeature>(FLayer->GetLayerDefn());
        return true;
    }

    void Start() {
        FFeature->SetFID(OGRNullFID);
        for (int i = 0; i < FFeature->GetFieldCount(); ++i) FFeature->SetFieldNull(i);
    }
    void Set(int field, int value) { FFeature->SetField(field, value); }
    void Set(int field, double value) { FFeature->SetField(field, value); }
    void Set(int field, const QString& value) { FFeature->SetField(field, value.toUtf8().constData()); }
    void Geometry(OGRGeometry* geometry) { FFeature->SetGeometryDirectly(geometry); }
    bool Write() {
        if (FLayer->CreateFeature(FFeature.get()) != OGRERR_NONE) return false;
        ++FCount;
        return true;
    }
    int Count() const { return FCount; }

private:
    OGRLayer* FLayer;
    std::unique_ptr<OGRFeature> FFeature;
    int FCount = 0;
};

OGRPoint* PointOf(const tRoadPoint& p) { return new OGRPoint(p.X, p.Y, p.H); }

// A line over key points 0 of profiles first..last; a single profile gives
// a line whose two ends coincide.
OGRLineString* KeyPointLine(const TMPlan& plan, int first, int last) {
    auto* line = new OGRLineString();
    line->setNumPoints(std::max(2, last - first + 1));
    int k = 0;
    for (int i = first; i <= last; ++i, ++k) {
        const tRoadPoint& p = plan.Profiles[size_t(i)].KeyPoint0;
        line->setPoint(k, p.X, p.Y, p.H);
    }
    if (k == 1) line->setPoint(1, line->getX(0), line->getY(0), line->getZ(0));
    return line;
}

struct tTexts {
    tGridLanguage Grid;
    QString Vegetation;
    QString Building;
};

QString Cause(const tTexts& t, int code) { return code >= 0 && code < 10 ? t.Grid.Causes[code] : QString(); }

QString Verdict(const tTexts& t, int verdict) {
    return verdict == 1 ? t.Grid.Safe : verdict == -1 ? t.Grid.NotSafe : QString();
}

bool WriteProfiles(OGRLayer* layer, const TMPlan& plan, const tTexts& texts, int& count) {
    enum {
        fNo, fKm, fKmText, fCategory, fFreeV, fCurveV, fTiltVF, fTiltVR, fSlickV, fBridgeV, fIntensityV,
        fLocalityV, fSocialV, fCrossVF, fLookVF, fCrossVR, fLookVR, fMinVF, fCauseF, fCauseFText, fRateF,
        fMinVR, fCauseR, fCauseRText, fRateR, fFwdHidden, fFwdTrack, fRevHidden, fRevTrack
    };
    tLayerWriter w(layer);
    if (!w.Define({{"no", tField::Int},          {"km", tField::Real},          {"km_text", tField::Text},
                   {"category", tField::Text},   {"free_v", tField::Real},      {"curve_v", tField::Real},
                   {"tilt_v_f", tField::Real},   {"tilt_v_r", tField::Real},    {"slick_v", tField::Real},
                   {"bridge_v", tField::Real},   {"intensity_v", tField::Real}, {"locality_v", tField::Real},
                   {"social_v", tField::Real},   {"cross_v_f", tField::Real},   {"look_v_f", tField::Real},
                   {"cross_v_r", tField::Real},  {"look_v_r", tField::Real},    {"min_v_f", tField::Real},
                   {"cause_f", tField::Int},     {"cause_f_text", tField::Text}, {"rate_f", tField::Real},
                   {"min_v_r", tField::Real},    {"cause_r", tField::Int},      {"cause_r_text", tField::Text},
                   {"rate_r", tField::Real},     {"fwd_hidden", tField::Int},   {"fwd_track", tField::Int},
                   {"rev_hidden", tField::Int},  {"rev_track", tField::Int}}))
        return false;
    for (const tPlanProfile& p : plan.Profiles) {
        w.Start();
        w.Set(fNo, p.RecordNumber);
        w.Set(fKm, p.Position);
        w.Set(fKmText, FormatKmPlus(true, p.Position));
        w.Set(fCategory, CategoryName(p.RoadCathegory));
        w.Set(fFreeV, p.FreeV);
        w.Set(fCurveV, p.CurveV);
        w.Set(fTiltVF, p.TiltV[DirFwd]);
        w.Set(fTiltVR, p.TiltV[DirRev]);
        w.Set(fSlickV, p.SlickV);
        w.Set(fBridgeV, p.BridgeV);
        w.Set(fIntensityV, p.IntensityV);
        w.Set(fLocalityV, p.LocalityV);
        w.Set(fSocialV, p.SocialV);
        w.Set(fCrossVF, p.CrossV[DirFwd]);
        w.Set(fLookVF, p.LookV[DirFwd]);
        w.Set(fCrossVR, p.CrossV[DirRev]);
        w.Set(fLookVR, p.LookV[DirRev]);
        w.Set(fMinVF, p.MinV[DirFwd]);
        w.Set(fCauseF, int(p.Cause[DirFwd]));
        w.Set(fCauseFText, Cause(texts, p.Cause[DirFwd]));
        if (p.Koef[DirFwd] >= kNoRate) w.Set(fRateF, p.Koef[DirFwd]);
        w.Set(fMinVR, p.MinV[DirRev]);
        w.Set(fCauseR, int(p.Cause[DirRev]));
        w.Set(fCauseRText, Cause(texts, p.Cause[DirRev]));
        if (p.Koef[DirRev] >= kNoRate) w.Set(fRateR, p.Koef[DirRev]);
        w.Set(fFwdHidden, p.FwdHidden ? 1 : 0);
        w.Set(fFwdTrack, (p.HasFwdTrack[0] || p.HasFwdTrack[1]) ? 1 : 0);
        w.Set(fRevHidden, p.RevHidden ? 1 : 0);
        w.Set(fRevTrack, (p.HasRevTrack[0] || p.HasRevTrack[1]) ? 1 : 0);
        w.Geometry(PointOf(p.KeyPoint0));
        if (!w.Write()) return false;
    }
    count = w.Count();
    return true;
}

bool WriteSegments(OGRLayer* layer, const tRoadModel& model, const tTexts& texts, int& count) {
    enum {
        fNo, fKmFrom, fKmTo, fKmFromText, fKmToText, fFirstNo, fLastNo, fCategory, fVMinF, fCauseF, fCauseFText,
        fFailF, fBoundF, fVerdictF, fVerdictFText, fVMinR, fCauseR, fCauseRText, fFailR, fBoundR, fVerdictR,
        fVerdictRText
    };
    tLayerWriter w(layer);
    if (!w.Define({{"no", tField::Int},           {"km_from", tField::Real},      {"km_to", tField::Real},
                   {"km_from_text", tField::Text}, {"km_to_text", tField::Text},   {"first_no", tField::Int},
                   {"last_no", tField::Int},       {"category", tField::Text},     {"v_min_f", tField::Real},
                   {"cause_f", tField::Int},       {"cause_f_text", tField::Text}, {"fail_rate_f", tField::Real},
                   {"bound_rate_f", tField::Real}, {"verdict_f", tField::Int},     {"verdict_f_text", tField::Text},
                   {"v_min_r", tField::Real},      {"cause_r", tField::Int},       {"cause_r_text", tField::Text},
                   {"fail_rate_r", tField::Real},  {"bound_rate_r", tField::Real}, {"verdict_r", tField::Int},
                   {"verdict_r_text", tField::Text}}))
        return false;
    const TMPlan& plan = model.Plan;
    const int n = model.Pivot.Count();
    for (int i = 0; i < n; ++i) {
        const tPivotRow& r = model.Pivot.Rows[size_t(i)];
        if (r.FirstIndex < 0 || r.LastIndex < r.FirstIndex || r.LastIndex >= plan.Count()) return false;
        w.Start();
        w.Set(fNo, i + 1);
        w.Set(fKmFrom, r.KmBeg);
        w.Set(fKmTo, r.KmEnd);
        w.Set(fKmFromText, FormatKmPlus(true, r.KmBeg));
        w.Set(fKmToText, FormatKmPlus(true, r.KmEnd));
        w.Set(fFirstNo, plan.Profiles[size_t(r.FirstIndex)].RecordNumber);
        w.Set(fLastNo, plan.Profiles[size_t(r.LastIndex)].RecordNumber);
        w.Set(fCategory, CategoryName(r.Cat));
        w.Set(fVMinF, r.VMinFwd);
        w.Set(fCauseF, int(r.CauseFwd));
        w.Set(fCauseFText, Cause(texts, r.CauseFwd));
        // No boundary lies behind the first row going forward, nor behind the
        // last one in reverse: those rates and verdicts stay empty.
        if (i > 0) {
            w.Set(fFailF, r.FailRateFwd);
            w.Set(fBoundF, r.BoundRateFwd);
        }
        w.Set(fVerdictF, r.ResumeFwd);
        w.Set(fVerdictFText, Verdict(texts, r.ResumeFwd));
        w.Set(fVMinR, r.VMinRev);
        w.Set(fCauseR, int(r.CauseRev));
        w.Set(fCauseRText, Cause(texts, r.CauseRev));
        if (i < n - 1) {
            w.Set(fFailR, r.FailRateRev);
            w.Set(fBoundR, r.BoundRateRev);
        }
        w.Set(fVerdictR, r.ResumeRev);
        w.Set(fVerdictRText, Verdict(texts, r.ResumeRev));
        w.Geometry(KeyPointLine(plan, r.FirstIndex, r.LastIndex));
        if (!w.Write()) return false;
    }
    count = w.Count();
    return true;
}

QString CrossState(const tCrossRoadRec& c, int direction) {
    if (c.Skip) return QStringLiteral("SKIP");
    return c.NotVisible[direction] ? QStringLiteral("NV") : QString();
}

bool WriteCrossRoads(OGRLayer* layer, const tRoadModel& model, int& count) {
    enum { fName, fKm, fKmText, fStateF, fStateR, fEndFNo, fEndFKm, fEndRNo, fEndRKm };
    tLayerWriter w(layer);
    if (!w.Define({{"name", tField::Text},
                   {"km", tField::Real},
                   {"km_text", tField::Text},
                   {"state_f", tField::Text},
                   {"state_r", tField::Text},
                   {"approach_end_f_no", tField::Int},
                   {"approach_end_f_km", tField::Real},
                   {"approach_end_r_no", tField::Int},
                   {"approach_end_r_km", tField::Real}}))
        return false;
    const TMPlan& plan = model.Plan;
    for (const tCrossRoadRec& c : model.CrossRoads.Roads) {
        w.Start();
        w.Set(fName, c.Name);
        if (!c.Skip) {
            w.Set(fKm, c.CrossKm);
            w.Set(fKmText, FormatKmPlus(true, c.CrossKm));
        }
        w.Set(fStateF, CrossState(c, DirFwd));
        w.Set(fStateR, CrossState(c, DirRev));
        const int noField[2] = {fEndFNo, fEndRNo};
        const int kmField[2] = {fEndFKm, fEndRKm};
        for (int d = 0; d < 2; ++d) {
            const int end = c.ApproachEnd[d];
            if (c.Skip || !c.DirectionOpen[d] || end < 0 || end >= plan.Count()) continue;
            w.Set(noField[d], plan.Profiles[size_t(end)].RecordNumber);
            w.Set(kmField[d], plan.Profiles[size_t(end)].Position);
        }
        auto* line = new OGRLineString();
        for (const tRoadPoint& p : c.Points) line->addPoint(p.X, p.Y, p.H);
        if (line->getNumPoints() == 1) line->addPoint(line->getX(0), line->getY(0), line->getZ(0));
        w.Geometry(line);
        if (!w.Write()) return false;
    }
    count = w.Count();
    return true;
}

bool WriteSightHidden(OGRLayer* layer, const TMPlan& plan, int& count) {
    enum { fDirection, fKmFrom, fKmTo, fFirstNo, fLastNo, fProfiles };
    tLayerWriter w(layer);
    if (!w.Define({{"direction", tField::Text},
                   {"km_from", tField::Real},
                   {"km_to", tField::Real},
                   {"first_no", tField::Int},
                   {"last_no", tField::Int},
                   {"profiles", tField::Int}}))
        return false;
    const int n = plan.Count();
    for (int d = 0; d < 2; ++d) {
        auto marked = [&](int i) {
            const tPlanProfile& p = plan.Profiles[size_t(i)];
            return d == DirFwd ? p.FwdHidden != 0 : p.RevHidden != 0;
        };
        for (int i = 0; i < n;) {
            if (!marked(i)) {
                ++i;
                continue;
            }
            int j = i;
            while (j + 1 < n && marked(j + 1)) ++j;
            // The stretch a driver covers from the marked profiles: on to the
            // next profile in the direction of travel.
            const int first = d == DirFwd ? i : std::max(0, i - 1);
            const int last = d == DirFwd ? std::min(n - 1, j + 1) : j;
            w.Start();
            w.Set(fDirection, d == DirFwd ? QStringLiteral("F") : QStringLiteral("R"));
            w.Set(fKmFrom, plan.Profiles[size_t(first)].Position);
            w.Set(fKmTo, plan.Profiles[size_t(last)].Position);
            w.Set(fFirstNo, plan.Profiles[size_t(first)].RecordNumber);
            w.Set(fLastNo, plan.Profiles[size_t(last)].RecordNumber);
            w.Set(fProfiles, j - i + 1);
            w.Geometry(KeyPointLine(plan, first, last));
            if (!w.Write()) return false;
            i = j + 1;
        }
    }
    count = w.Count();
    return true;
}

bool WriteObjects(OGRLayer* layer, const tGreens& greens, const tTexts& texts, int& count) {
    enum { fName, fVegetation, fKind, fHeight };
    tLayerWriter w(layer);
    if (!w.Define({{"name", tField::Text},
                   {"is_vegetation", tField::Int},
                   {"kind", tField::Text},
                   {"height", tField::Real}}))
        return false;
    for (const tGreenRec& g : greens.Objects) {
        if (g.Points.empty()) continue;
        w.Start();
        w.Set(fName, g.Name);
        w.Set(fVegetation, g.IsVegetation ? 1 : 0);
        w.Set(fKind, g.IsVegetation ? texts.Vegetation : texts.Building);
        w.Set(fHeight, g.Points.front().H);
        auto* line = new OGRLineString();
        for (const tRoadPoint& p : g.Points) line->addPoint(p.X, p.Y, p.H);
        const tRoadPoint& a = g.Points.front();
        const tRoadPoint& b = g.Points.back();
        if (g.Points.size() == 1 || a.X != b.X || a.Y != b.Y) line->addPoint(a.X, a.Y, a.H);
        w.Geometry(line);
        if (!w.Write()) return false;
    }
    count = w.Count();
    return true;
}

OGRwkbGeometryType GeometryOf(tGisLayer layer) {
    return layer == tGisLayer::Profiles ? wkbPoint25D : wkbLineString25D;
}

tGisResult Fail(tGisStatus status, const QString& detail = {}) {
    tGisResult r;
    r.Status = status;
    r.Detail = detail;
    return r;
}

}  // namespace

QString GisLayerName(tGisLayer layer) {
    switch (layer) {
    case tGisLayer::Profiles: return QStringLiteral("profiles");
    case tGisLayer::Segments: return QStringLiteral("segments");
    case tGisLayer::CrossRoads: return QStringLiteral("crossroads");
    case tGisLayer::SightHidden: return QStringLiteral("sight_hidden");
    case tGisLayer::Objects: return QStringLiteral("objects");
    }
    return {};
}

std::vector<tGisLayer> AllGisLayers() {
    return {tGisLayer::Profiles, tGisLayer::Segments, tGisLayer::CrossRoads, tGisLayer::SightHidden,
            tGisLayer::Objects};
}

std::optional<tGisLayer> GisLayerByName(const QString& name) {
    const QString wanted = name.trimmed().toLower();
    for (tGisLayer layer : AllGisLayers())
        if (GisLayerName(layer) == wanted) return layer;
    return std::nullopt;
}

std::optional<tGisFormat> GisFormatOfFile(const QString& fileName) {
    const QString suffix = QFileInfo(fileName).suffix().toLower();
    if (suffix == QStringLiteral("gpkg")) return tGisFormat::GeoPackage;
    if (suffix == QStringLiteral("geojson") || suffix == QStringLiteral("json")) return tGisFormat::GeoJson;
    return std::nullopt;
}

std::optional<int> ParseEpsgCode(const QString& text) {
    static const QRegularExpression form(QStringLiteral("^EPSG\\s*:\\s*(\\d{1,9})$"),
                                         QRegularExpression::CaseInsensitiveOption);
    const auto match = form.match(text.trimmed());
    if (!match.hasMatch()) return std::nullopt;
    bool ok = false;
    const int code = match.captured(1).toInt(&ok);
    if (!ok || code <= 0) return std::nullopt;
    return code;
}

tMessage GisResultMessage(const tGisResult& result, const QString& fileName) {
    QString key;
    switch (result.Status) {
    case tGisStatus::Written: key = QStringLiteral("GisExport.Written"); break;
    case tGisStatus::WrittenWithoutCrs: key = QStringLiteral("GisExport.WrittenWithoutCrs"); break;
    case tGisStatus::NoResults: key = QStringLiteral("GisExport.NoResults"); break;
    case tGisStatus::UnknownFormat: key = QStringLiteral("GisExport.UnknownFormat"); break;
    case tGisStatus::BadCrs: key = QStringLiteral("GisExport.BadCrs"); break;
    case tGisStatus::UnknownCrs: key = QStringLiteral("GisExport.UnknownCrs"); break;
    case tGisStatus::GeoJsonNeedsCrs: key = QStringLiteral("GisExport.GeoJsonNeedsCrs"); break;
    case tGisStatus::CannotTransform: key = QStringLiteral("GisExport.CannotTransform"); break;
    case tGisStatus::UnknownLayer: key = QStringLiteral("GisExport.UnknownLayer"); break;
    case tGisStatus::OneLayerPerFile: key = QStringLiteral("GisExport.OneLayerPerFile"); break;
    case tGisStatus::TargetIsFolder: key = QStringLiteral("GisExport.TargetIsFolder"); break;
    case tGisStatus::CannotCreate: key = QStringLiteral("GisExport.CannotCreate"); break;
    case tGisStatus::WriteFailed: key = QStringLiteral("GisExport.WriteFailed"); break;
    case tGisStatus::ReplaceFailed: key = QStringLiteral("GisExport.ReplaceFailed"); break;
    }
    tMessage message(key);
    message.With(QStringLiteral("%FileName%"), fileName);
    const bool aboutCrs = result.Status == tGisStatus::BadCrs || result.Status == tGisStatus::UnknownCrs ||
                          result.Status == tGisStatus::CannotTransform || result.Status == tGisStatus::Written;
    message.With(QStringLiteral("%Crs%"), aboutCrs ? result.Detail : QString());
    message.With(QStringLiteral("%Layer%"), result.Status == tGisStatus::UnknownLayer ? result.Detail : QString());
    const bool hasReason = result.Status == tGisStatus::CannotCreate || result.Status == tGisStatus::WriteFailed ||
                           result.Status == tGisStatus::ReplaceFailed;
    message.With(QStringLiteral("%Reason%"), hasReason ? result.Detail : QString());
    return message;
}

namespace {

// The coordinate system of the request, when one is given.
struct tGisCrs {
    OGRSpatialReference Srs;
    bool Given = false;
    QString Name;  // "EPSG:n"
};

// The layers asked for, each once, in the given order; none asked for means
// every layer, or the segments alone for GeoJSON.
bool ChooseLayers(const QStringList& names, tGisFormat format, std::vector<tGisLayer>& layers, tGisResult& failure) {
    for (const QString& name : names) {
        if (name.trimmed().isEmpty()) continue;
        const auto layer = GisLayerByName(name);
        if (!layer) {
            failure = Fail(tGisStatus::UnknownLayer, name.trimmed());
            return false;
        }
        if (std::find(layers.begin(), layers.end(), *layer) == layers.end()) layers.push_back(*layer);
    }
    if (layers.empty()) layers = format == tGisFormat::GeoJson ? std::vector{tGisLayer::Segments} : AllGisLayers();
    if (format == tGisFormat::GeoJson && layers.size() > 1) {
        failure = Fail(tGisStatus::OneLayerPerFile);
        return false;
    }
    return true;
}

// The coordinate system, checked before anything is created; GeoJSON needs
// one that GDAL can transform to WGS 84.
bool ChooseCrs(const QString& text, tGisFormat format, tGisCrs& crs, tGisResult& failure) {
    const QString crsText = text.trimmed();
    if (!crsText.isEmpty()) {
        const auto code = ParseEpsgCode(crsText);
        if (!code) {
            failure = Fail(tGisStatus::BadCrs, crsText);
            return false;
        }
        crs.Name = QStringLiteral("EPSG:%1").arg(*code);
        if (crs.Srs.importFromEPSG(*code) != OGRERR_NONE) {
            failure = Fail(tGisStatus::UnknownCrs, crs.Name);
            return false;
        }
        // Easting first, whatever axis order the system's definition gives.
        crs.Srs.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
        crs.Given = true;
    }
    if (format != tGisFormat::GeoJson) return true;
    if (!crs.Given) {
        failure = Fail(tGisStatus::GeoJsonNeedsCrs);
        return false;
    }
    OGRSpatialReference wgs84;
    wgs84.SetWellKnownGeogCS("WGS84");
    wgs84.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    std::unique_ptr<OGRCoordinateTransformation> transform(OGRCreateCoordinateTransformation(&crs.Srs, &wgs84));
    if (!transform) {
        failure = Fail(tGisStatus::CannotTransform, crs.Name);
        return false;
    }
    return true;
}

// Removes the temporary file and the side files GDAL may have left.
void DropTemporary(const QString& temporary) {
    QFile::remove(temporary);
    QFile::remove(temporary + QStringLiteral("-journal"));
    QFile::remove(temporary + QStringLiteral("-wal"));
    QFile::remove(temporary + QStringLiteral("-shm"));
}

// Creates one layer and writes its features; false on any failure.
bool WriteLayer(GDALDataset& dataset, tGisLayer which, tGisFormat format, tGisCrs& crs, const tRoadModel& model,
                const tTexts& texts, int& count) {
    char** options = nullptr;
    if (format == tGisFormat::GeoJson) {
        // The standard form: longitude/latitude in WGS 84, transformed by GDAL.
        options = CSLSetNameValue(options, "RFC7946", "YES");
    }
    const QByteArray name = GisLayerName(which).toUtf8();
    OGRLayer* layer = dataset.CreateLayer(name.constData(), crs.Given ? &crs.Srs : nullptr, GeometryOf(which), options);
    CSLDestroy(options);
    if (!layer) return false;
    switch (which) {
    case tGisLayer::Profiles: return WriteProfiles(layer, model.Plan, texts, count);
    case tGisLayer::Segments: return WriteSegments(layer, model, texts, count);
    case tGisLayer::CrossRoads: return WriteCrossRoads(layer, model, count);
    case tGisLayer::SightHidden: return WriteSightHidden(layer, model.Plan, count);
    case tGisLayer::Objects: return WriteObjects(layer, model.Greens, texts, count);
    }
    return true;
}

// Writes every layer in one transaction (a GeoPackage commits once, not per
// feature; GeoJSON has none, which is no failure) and flushes the dataset.
bool WriteLayers(GDALDataset& dataset, const std::vector<tGisLayer>& layers, tGisFormat format, tGisCrs& crs,
                 const tRoadModel& model, const tTexts& texts, tGisResult& result) {
    const bool transaction = dataset.StartTransaction() == OGRERR_NONE;
    CPLErrorReset();
    for (tGisLayer which : layers) {
        int count = 0;
        if (!WriteLayer(dataset, which, format, crs, model, texts, count)) return false;
        result.Counts.emplace_back(GisLayerName(which), count);
    }
    if (transaction && dataset.CommitTransaction() != OGRERR_NONE) return false;
    dataset.FlushCache();
    return CPLGetLastErrorType() < CE_Failure;
}

}  // namespace

tGisResult WriteGis(const tRoadModel& model, const tSectionLookup& lookup, const tGisRequest& request) {
    const std::optional<tGisFormat> format = GisFormatOfFile(request.FileName);
    if (!format) return Fail(tGisStatus::UnknownFormat);
    if (model.Plan.Count() == 0 || model.Pivot.Count() == 0) return Fail(tGisStatus::NoResults);
    tGisResult failure;
    std::vector<tGisLayer> layers;
    if (!ChooseLayers(request.Layers, *format, layers, failure)) return failure;

    RegisterGdal();
    tQuietGdal quiet;
    tGisCrs crs;
    if (!ChooseCrs(request.Crs, *format, crs, failure)) return failure;

    // The target: a folder in its place, or a folder that cannot take a file,
    // is reported before anything is written.
    const QFileInfo target(request.FileName);
    if (target.isDir()) return Fail(tGisStatus::TargetIsFolder);
    const QString suffix = QStringLiteral(".") + target.suffix();
    const QString temporary = CreateTemporaryBeside(request.FileName, suffix);
    if (temporary.isEmpty()) return Fail(tGisStatus::CannotCreate);
    // The name is reserved; GDAL creates the file itself, with the ordinary
    // permissions of a new file.
    QFile::remove(temporary);

    tTexts texts;
    FillCauseTexts(texts.Grid, lookup);
    texts.Vegetation = lookup(GisTextSection(), QStringLiteral("GisExport.Vegetation"));
    texts.Building = lookup(GisTextSection(), QStringLiteral("GisExport.Building"));

    GDALDriver* driver = GetGDALDriverManager()->GetDriverByName(*format == tGisFormat::GeoJson ? "GeoJSON" : "GPKG");
    if (!driver) return Fail(tGisStatus::CannotCreate, QStringLiteral("no GDAL driver"));
#ifdef _WIN32
    const QByteArray path = temporary.toUtf8();  // GDAL takes UTF-8 file names on Windows
#else
    const QByteArray path = QFile::encodeName(temporary);
#endif
    tDataset dataset(driver->Create(path.constData(), 0, 0, 0, GDT_Unknown, nullptr));
    if (!dataset) {
        const QString reason = tQuietGdal::LastError();
        DropTemporary(temporary);
        return Fail(tGisStatus::CannotCreate, reason);
    }

    tGisResult result;
    result.Status = crs.Given ? tGisStatus::Written : tGisStatus::WrittenWithoutCrs;
    result.Detail = crs.Name;
    bool ok = WriteLayers(*dataset, layers, *format, crs, model, texts, result);
    const QString reason = tQuietGdal::LastError();
    dataset.reset();  // closes the file: GDAL writes the last pieces here
    if (ok) ok = CPLGetLastErrorType() < CE_Failure && QFileInfo(temporary).size() > 0;
    if (!ok) {
        DropTemporary(temporary);
        return Fail(tGisStatus::WriteFailed, reason.isEmpty() ? tQuietGdal::LastError() : reason);
    }
    if (!ReplaceFile(temporary, request.FileName)) {
        DropTemporary(temporary);
        return Fail(tGisStatus::ReplaceFailed);
    }
    return result;
}

}  // namespace kestrova
