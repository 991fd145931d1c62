// The speed-profile diagram: km+ along x, speed in km/h up y, for a stretch
// of the road. Minimum speed forward and reverse as step lines, the free
// speed and chosen factor speeds, a cause band per direction under the axis,
// not-safe pivot boundaries in red with their direction, crossroads at their
// km+ ("NV" in red) and shaded localities. Paints on any QPainter (an image,
// a PDF page, an SVG generator); usable without widgets.
#pragma once

#include "render/overview_common.h"

#include <QImage>
#include <QPainter>
#include <QRect>
#include <QRectF>
#include <QSize>

namespace kestrova {

struct tSpeedProfileOptions {
    tKmRange Range;                    // stretch drawn; empty: the whole road
    tFactorSet Factors = 0;            // factor speeds drawn besides the minimum
    bool ShowFree = true;              // the free car speed
    bool ShowMinFwd = true;
    bool ShowMinRev = true;
    bool ShowCauseBands = true;
    bool ShowPivot = true;             // not-safe boundaries
    bool ShowCrossRoads = true;
    bool ShowLocalities = true;
    bool ShowLegend = true;
    double MaxSpeed = 0;               // top of the speed axis; 0: from the data
    int CursorProfile = -1;            // profile marked by a cursor line; -1 none
    int FontPointSize = 8;
    tOverviewDetail Detail = tOverviewDetail::Auto;
    QColor Background = Qt::white;
    tOverviewTexts Texts;
};

// Where things are in a drawing of the diagram into a rectangle.
struct tSpeedProfileLayout {
    QRect Area;       // the whole picture
    QRect Plot;       // the speed plot (inside the axes)
    QRect BandFwd;    // cause band, forward
    QRect BandRev;    // cause band, reverse
    QRect Legend;     // legend box (may be empty)
    double FromM = 0; // km+ at Plot.left()
    double ToM = 1;   // km+ at Plot.right() + 1
    double VMax = 100;

    double XOfKm(double m) const;      // pixel x of a position
    double KmOfX(double x) const;      // position at a pixel x
    double YOfSpeed(double v) const;   // pixel y of a speed
};

// The layout a paint into area would use (for hit tests by the caller).
tSpeedProfileLayout LayoutSpeedProfile(const tRoadModel& model, const tSpeedProfileOptions& options,
                                       const QRect& area, const QFontMetrics& metrics);

// Paints the diagram into area of painter; returns the layout used.
tSpeedProfileLayout PaintSpeedProfile(QPainter& painter, const QRect& area, const tRoadModel& model,
                                      const tSpeedProfileOptions& options);

// The diagram as a fresh 32-bit image of the given size.
QImage RenderSpeedProfile(const tRoadModel& model, const tSpeedProfileOptions& options, const QSize& size);

// Profile nearest to pixel x in a drawing with layout, -1 when none (outside
// the plot or no profiles).
int SpeedProfileProfileAt(const tRoadModel& model, const tSpeedProfileLayout& layout, double x);

}  // namespace kestrova
