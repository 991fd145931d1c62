// The cross-profile view: the selected profile's cross section at a standard
// drawing scale, with a dashed metric grid anchored at KeyPoint0, the
// invisible points of the sight check (red crosses), the hidden crossings of
// the crossroads check (magenta), a title, a scale bar and a text block.
// Moving the mouse over the picture measures against the last drawing.
#pragma once

#include "render/render_options.h"

#include <QImage>
#include <QString>

#include <cstdint>
#include <vector>

namespace kestrova {

struct tProfilePointEntry {
    double Station = 0;  // metres along the section
    double Height = 0;
    int32_t PixelX = 0;
    int32_t PixelY = 0;
    uint8_t Kind = 0;
};

struct tSnapEntry {
    int32_t Pixel = 0;
    double Value = 0;  // metres
};

struct tStationPoint {
    double Station = 0;
    double Height = 0;
};

// State of the last drawing, read by the mouse measurement until the next one.
struct tProfileData {
    double Unused = 0;
    double Scale = 0;             // pixels per metre; 0 when nothing was drawn to scale
    tStationPoint Invisible[2];   // per sight variant
    std::vector<tProfilePointEntry> Points;
    int32_t OriginX = 0;          // pixel of KeyPoint0
    int32_t OriginY = 0;
    std::vector<tSnapEntry> SnapX;  // only grows; the first SnapXCount are valid
    std::vector<tSnapEntry> SnapY;
    int32_t SnapXCount = 0;
    int32_t SnapYCount = 0;
    // Per sight variant, the crossroads hidden points of both directions, as
    // stations and heights of the drawing.
    std::vector<tStationPoint> LookPoints[2];
};

// The drawing scales 1:N the view chooses from, smallest first.
inline constexpr int kCrossProfileScales[24] = {10,  20,  50,  80,  100, 120,  150,  180,  200,  300,  400,  500,
                                                600, 700, 800, 900, 1000, 1200, 1400, 1600, 1800, 2000, 3000, 5000};

struct tCrossProfileResult {
    bool Drawn = false;       // the section was drawn to scale
    int ScaleDenominator = 0;  // N of 1:N
    int TextBlocks = 0;       // invisible-point text blocks written
};

// Draws options.Profile's cross section into `image` and rewrites `data`.
tCrossProfileResult DrawCrossProfile(tRoadModel& model, const tViewOptions& options, tProfileData& data,
                                     QImage& image);

// The two measurement texts for the cursor at pixel (x, y) of the last
// drawing: shift and height relative to KeyPoint0, in metres, snapped to the
// grid lines and invisible points under the cursor.
struct tCursorMeasure {
    double Shift = 0;
    double Height = 0;
    QString ShiftText;   // "Draw3D.CrossPointShift"
    QString HeightText;  // "Draw3D.CrossPointHeight"
};
bool MeasureCrossProfile(const tProfileData& data, int x, int y, const tViewTexts& texts, tCursorMeasure& out);

}  // namespace kestrova
