// The crossroads view: a plan (top) view of the road around one crossroad as
// seen from one approach profile, with the sight fans and sight lines of the
// crossroads visibility check; plus the list logic that picks the crossroad,
// the direction and the approach profile, free of any widget.
#pragma once

#include "render/render_options.h"

#include <QImage>
#include <QPoint>
#include <QPointF>
#include <QRgb>
#include <QString>

#include <cstdint>
#include <vector>

namespace kestrova {

// One element of the plan drawing.
struct Tx2DElement {
    uint8_t IsPoint = 0;
    uint8_t IsLine = 0;
    uint8_t IsFan = 0;
    uint8_t IsSurface = 0;
    uint8_t Thick = 0;
    QRgb LineColor = 0;
    QRgb FanFill = 0;
    QRgb FanOutline = 0;
    QPointF P[5];  // plan metres, later rotated
    QPoint Px[5];  // pixels
};

struct Tx2Ddata {
    int32_t Count = 0;
    std::vector<Tx2DElement> Items;  // grows by 64; the first Count are valid
};

// --- List logic -----------------------------------------------------------

// One row of the approach-profile list.
struct tApproachRow {
    int Profile = 0;       // profile index (hidden column 3)
    int RecordNumber = 0;  // column 0
    QString KmText;        // column 1, km+ with hundredths
    bool NotVisible = false;  // "NL": the crossing road is hidden from this profile
};

// Crossroad and direction shown last; none at start.
struct tCrossRoadsListState {
    int LastCrossRoad = -1;
    int LastDirection = -1;
};

// What a click on the crossroads list (or on a direction button) leads to.
struct tCrossRoadSelection {
    bool Ok = false;              // a crossroad that takes part (not skipped)
    bool FwdEnabled = false;      // direction buttons
    bool RevEnabled = false;
    bool FwdNotVisible = false;   // direction buttons drawn in the warning colour
    bool RevNotVisible = false;
    int Direction = DirFwd;       // after passing the check from a disabled button
    std::vector<tApproachRow> Rows;  // approach profiles in ascending index
    int CurrentRow = -1;          // 0-based row of Rows to select
};

// The crossroads list click: crossroad `crossRoad` with `checkedDirection`
// checked and `currentRow` (0-based row of the approach list, -1 none)
// selected before. Remembers the crossroad and direction in `state`; a new
// crossroad or direction selects the farthest approach profile (first row
// forward, last row reverse), the same ones keep the selected row.
tCrossRoadSelection SelectCrossRoad(const tRoadModel& model, int crossRoad, int checkedDirection, int currentRow,
                                    tCrossRoadsListState& state);

// Row of the factor-speeds grid that an approach profile makes current.
inline int DraftRowForProfile(int profile) { return profile + 1; }

// --- Drawing --------------------------------------------------------------

struct tCrossRoadPlanResult {
    bool Drawn = false;
    int FirstProfile = -1;  // profile range of the surfaces
    int LastProfile = -1;
};

// Draws the plan of crossroad `crossRoad` for approach profile `profile` in
// `direction`, with the crossroad's approach bounds A (ApproachRange) and B
// (ApproachEnd) of that direction, into `image` of options.Target's size.
tCrossRoadPlanResult DrawCrossRoadPlan(const tRoadModel& model, const tViewOptions& options, Tx2Ddata& data,
                                       QImage& image, int crossRoad, int profile, int boundA, int boundB,
                                       int direction);

// The whole view as the window shows it for options.CrossRoad,
// options.Direction and options.Profile (-1: the profile the list selects
// first). Returns false when the crossroad is skipped, the direction has no
// approach profiles or the profile is not one of them; the image then only
// shows the frame.
bool DrawCrossRoadsView(const tRoadModel& model, const tViewOptions& options, Tx2Ddata& data, QImage& image,
                        int* drawnProfile = nullptr);

}  // namespace kestrova
