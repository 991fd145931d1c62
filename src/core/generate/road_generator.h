// A generator of realistic road data: the road table, the crossroads table and
// the vegetation/buildings table, as the importers read them. The road is laid
// out as a chain of stretches of different character (open country, sharp
// curves, valleys with steep grades, slick pavement, narrow bridges, busy
// sections, villages with buildings, hidden crossroads, crests, a divided
// section, wooded curves), so that every factor of the speed calculation has
// somewhere to act. The same options always give the same tables.
#pragma once

#include "core/model/road_model.h"

#include <QString>
#include <QStringList>
#include <cstdint>
#include <vector>

namespace kestrova {

struct tGenerateOptions {
    double LengthKm = 5.0;   // road length; at least three profiles must fit
    double SpacingM = 10.0;  // distance between consecutive profiles, 1 to 100 m
    uint32_t Seed = 1;
};

// One generated table: the header row and the data rows, every cell as the
// text a source table holds (numbers with "." as the decimal separator).
struct tGeneratedTable {
    QStringList Header;
    std::vector<QStringList> Rows;
};

// What one stretch of the generated road is meant to show, for the user.
struct tGeneratedStretch {
    QString Description;  // e.g. "sharp curve, radius 214 m"
    double Begin = 0, End = 0;
    int Category = 0;
};

struct tGeneratedRoad {
    tGeneratedTable Road;        // "RecordNumber" ... and the key-point block
    tGeneratedTable CrossRoads;  // "RecordName", "RecordNumber", "Position", "X", "Y", "H"
    tGeneratedTable Greens;      // "RecordName", "IsVegetation", "RecordNumber", "X", "Y", "Height"
    std::vector<tGeneratedStretch> Stretches;  // in road order
};

// Largest road the generator builds: the road table allows record numbers up
// to 200000 and positions below 10000 km.
constexpr int kMaxGeneratedProfiles = 200000;

// Empty when the options can be generated, else why not (English text for the
// batch program).
QString CheckGenerateOptions(const tGenerateOptions& options);

// Generates the three tables. Options that CheckGenerateOptions rejects are
// clamped into range first.
tGeneratedRoad GenerateRoad(const tGenerateOptions& options);

// Fills a road model directly from generated tables, as a successful import of
// all three would (source fields, key points, segment chains, crossroad
// points, object outlines matched to profiles). Meant for benchmarks and tests
// that need large roads without files; the importers stay the reference.
tRoadModel BuildRoadModel(const tGeneratedRoad& road);

// ";"-separated CSV text of a table, CR LF line ends, cells quoted only when
// they hold ";", a double quote or a line break.
QByteArray CsvText(const tGeneratedTable& table);

// Writes road.csv, crossroads.csv and greens.csv into folder (created when
// missing). Each file is written to a temporary file and renamed, so a failed
// write never leaves a partial file. On failure error says what went wrong.
bool WriteGeneratedCsv(const tGeneratedRoad& road, const QString& folder, QString& error);

// Writes one workbook with the road table on sheet 1, the crossroads on sheet 2
// and the vegetation/buildings on sheet 3; numeric cells become numbers.
bool WriteGeneratedXlsx(const tGeneratedRoad& road, const QString& filePath, QString& error);

}  // namespace kestrova
