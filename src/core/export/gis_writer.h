// Writes the calculation's results as GIS layers through GDAL/OGR: a
// GeoPackage holding any of the layers, or a GeoJSON file holding one.
//
// Layers (all geometries carry the heights as Z; easting = a point's X, which
// is the source table's "Y" column, northing = its Y, the source "X" column):
//   profiles      a point at key point 0 of every profile with its speeds,
//                 minima, causes, rates and the four sight marks;
//   segments      one line along the key points 0 of every pivot row, from
//                 its first to its end profile, with the row's values and verdicts;
//   crossroads    the crossing roads' polylines with name, km+, "NV"/"SKIP"
//                 per direction and the approach ends;
//   sight_hidden  per direction, each run of profiles from which the sight
//                 distance is cut, as a line over their key points 0 reaching
//                 on to the next profile in the direction of travel;
//   objects       vegetation and buildings as closed outlines with kind and height.
//
// The coordinate system is named as "EPSG:NNNN". A GeoPackage without one is
// written with an undefined system; a GeoJSON file follows its standard
// (WGS 84 longitude/latitude) and so needs one to transform from.
//
// The file is written under a temporary name beside the target and renamed
// over it only when complete: a failure leaves an earlier file as it was.
#pragma once

#include "core/calc/grid_texts.h"
#include "core/model/message.h"
#include "core/model/road_model.h"

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

namespace kestrova {

// Section of the language file that holds the texts of this export.
inline QString GisTextSection() { return QStringLiteral("GisExport"); }

enum class tGisFormat { GeoPackage, GeoJson };

enum class tGisLayer { Profiles, Segments, CrossRoads, SightHidden, Objects };

// "profiles", "segments", "crossroads", "sight_hidden", "objects".
QString GisLayerName(tGisLayer layer);
std::optional<tGisLayer> GisLayerByName(const QString& name);
// Every layer, in the order a GeoPackage holds them.
std::vector<tGisLayer> AllGisLayers();

// ".gpkg" a GeoPackage, ".geojson" or ".json" GeoJSON (any letter case).
std::optional<tGisFormat> GisFormatOfFile(const QString& fileName);

// The EPSG code of "EPSG:NNNN" (letter case and blanks around ignored);
// none for any other form. Whether the code exists is not checked here.
std::optional<int> ParseEpsgCode(const QString& text);

struct tGisRequest {
    QString FileName;
    QString Crs;         // "EPSG:NNNN"; empty: none
    QStringList Layers;  // empty: every layer (GeoPackage) or "segments" (GeoJSON)
};

enum class tGisStatus {
    Written,             // done, with the coordinate system
    WrittenWithoutCrs,   // a GeoPackage with an undefined coordinate system
    NoResults,           // no calculation results to write
    UnknownFormat,       // the file name ends in neither .gpkg nor .geojson/.json
    BadCrs,              // the system is not written as EPSG:NNNN
    UnknownCrs,          // no such EPSG code
    GeoJsonNeedsCrs,     // GeoJSON asked without a coordinate system
    CannotTransform,     // no transformation from the system to WGS 84
    UnknownLayer,        // a layer name that does not exist
    OneLayerPerFile,     // GeoJSON asked with more than one layer
    TargetIsFolder,      // a folder stands where the file should go
    CannotCreate,        // the file (or its temporary file) cannot be created
    WriteFailed,         // a layer or feature could not be written
    ReplaceFailed,       // the finished file could not be put in place
};

struct tGisResult {
    tGisStatus Status = tGisStatus::WriteFailed;
    QString Detail;                         // the layer name, the system, GDAL's reason...
    std::vector<std::pair<QString, int>> Counts;  // features per written layer

    bool Ok() const { return Status == tGisStatus::Written || Status == tGisStatus::WrittenWithoutCrs; }
};

// The text to show for a result, as a key of GisTextSection() with its
// placeholders (%FileName%, %Crs%, %Layer%, %Reason%).
tMessage GisResultMessage(const tGisResult& result, const QString& fileName);

// Writes the layers. Cause and verdict texts, and the kind of an object,
// are taken in the language that lookup reads.
tGisResult WriteGis(const tRoadModel& model, const tSectionLookup& lookup, const tGisRequest& request);

}  // namespace kestrova
