// The safety report: one PDF document (A4, portrait) a road engineer can hand
// over after a calculation. Title page, summary with the length of road by
// cause of the minimum speed, the speed-profile diagram with the plan map in
// pages of a fixed length, the not-safe boundaries, the crossroads list, the
// whole pivot table as an appendix and, on request, the forward, backward and
// cross-profile views at every not-safe boundary. Every page carries a header
// with the road file name and the date and a page number.
//
// Pages are planned first and then painted one at a time, so memory stays
// bounded whatever the road's length. The document is written to a fresh
// temporary file beside the target, which then replaces the target in one
// step: a failed write leaves an earlier file of that name untouched.
#pragma once

#include "core/calc/grid_texts.h"
#include "core/model/road_model.h"
#include "render/render_options.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

namespace kestrova {

// The language section of the report's own texts.
inline QString ReportSection() { return QStringLiteral("Report"); }

struct tReportOptions {
    QString RoadFile;        // road table; the header shows its file name
    QString CrossRoadsFile;  // crossroads table as the user chose it; empty: none loaded
    QString GreensFile;      // vegetation/buildings table; empty: none loaded
    QDateTime Created;       // date of the report; invalid: now
    double MetresPerPage = 2000;  // length of road per diagram page
    bool Views = false;      // the three views at every not-safe boundary
    // Texts: section, key -> text (the language engine's section lookup).
    // Without a lookup the keys themselves are written.
    tSectionLookup Lookup;
    tViewTexts ViewTexts;    // the drawn views' texts (messages with placeholders)
    QString DecimalSeparator = QStringLiteral(".");
};

// One not-safe boundary, its texts as the pivot table writes them.
struct tNotSafeBoundary {
    double Position = 0;   // km+ of the boundary, metres
    int Direction = 0;     // 0 forward, 1 reverse
    int PivotRow = 0;      // pivot segment entered at the boundary (0-based)
    int Profile = 0;       // profile at the boundary
    QString KmPlus;        // km+ with hundredths
    QString SpeedBefore;
    QString SpeedAfter;
    QString FailRate;
    QString BoundRate;
    QString Cause;         // cause of the minimum entered
};

// The figures of the title page and the summary.
struct tReportFigures {
    int Profiles = 0;
    double FirstKm = 0;
    double LastKm = 0;
    double Length = 0;           // metres analysed
    QStringList Categories;      // names of the categories present, in road order of first use
    int Objects = 0;             // vegetation and buildings
    int CrossRoads = 0;
    int Segments = 0;
    int Boundaries = 0;
    int NotSafe[2] = {0, 0};     // per direction
    double CauseLength[2][10] = {};  // metres of road per direction and cause code
    QStringList NotVisible;      // names of the crossroads marked "NV"
    QStringList Skipped;         // names of the crossroads marked "SKIP"
};

tReportFigures ReportFigures(const tRoadModel& model);

// Every not-safe boundary in road order (forward before reverse at one km+).
std::vector<tNotSafeBoundary> NotSafeBoundaries(const tRoadModel& model, const tGridSource& source);

// Number of diagram pages for the road at that length per page.
int DiagramPageCount(const TMPlan& plan, double metresPerPage);

struct tReportResult {
    bool Ok = false;
    int Pages = 0;
    QString Error;  // translated, with the file name, when not Ok
};

// page goes from 1 to pages as each page is finished.
using tReportProgress = std::function<void(int page, int pages)>;

// Writes the report of the calculated model to path. The model is taken by
// reference because the views rerun their sight check (as in the window).
tReportResult WriteSafetyReport(const QString& path, tRoadModel& model, const tReportOptions& options,
                                const tReportProgress& progress = {});

}  // namespace kestrova
