// The plan map of the road: the plan line through key point 0 of every
// profile, coloured by minimum speed (with a colour scale) or by the pivot
// verdict; crossroads as lines ("NV" red, "SKIP" grey), vegetation and
// buildings as outlines, a scale bar and a north arrow. Record X is easting
// (to the right), record Y northing (up). Paints on any QPainter.
#pragma once

#include "render/overview_common.h"

#include <QImage>
#include <QPainter>
#include <QPointF>
#include <QRect>
#include <QRectF>
#include <QSize>

namespace kestrova {

enum class tMapColouring {
    MinSpeed,  // lower of the two directions' minimum speeds, on a colour scale
    Verdict    // red where the profile's pivot segment is not safe in a direction, green safe, grey none
};

struct tPlanMapOptions {
    tKmRange Range;                    // stretch fitted into the picture; empty: the whole road
    tMapColouring Colouring = tMapColouring::MinSpeed;
    bool ShowCrossRoads = true;
    bool ShowGreens = true;
    bool ShowLegend = true;
    bool ShowScaleBar = true;
    bool ShowNorthArrow = true;
    // Explicit view for zoom and pan: metres per pixel and the plan point at
    // the picture's centre. MetresPerPixel <= 0 fits Range into the picture.
    double MetresPerPixel = 0;
    QPointF Centre;                    // record X (easting), record Y (northing)
    double SpeedScaleMin = 0;          // colour scale; both 0: from the data
    double SpeedScaleMax = 0;
    int MarkerProfile = -1;            // profile marked on the line; -1 none
    int LineWidth = 3;
    int FontPointSize = 8;
    tOverviewDetail Detail = tOverviewDetail::Auto;
    QColor Background = Qt::white;
    tOverviewTexts Texts;
};

// Plan-to-pixel transformation of a drawing.
struct tPlanMapLayout {
    QRect Area;
    QPointF Centre;             // plan point at the area's centre
    double MetresPerPixel = 1;
    double SpeedMin = 0;        // colour scale used
    double SpeedMax = 100;

    QPointF ToPixel(double x, double y) const;  // record X east, record Y north
    QPointF ToPlan(const QPointF& pixel) const;
};

tPlanMapLayout LayoutPlanMap(const tRoadModel& model, const tPlanMapOptions& options, const QRect& area);

// Paints the map into area of painter; returns the layout used.
tPlanMapLayout PaintPlanMap(QPainter& painter, const QRect& area, const tRoadModel& model,
                            const tPlanMapOptions& options);

QImage RenderPlanMap(const tRoadModel& model, const tPlanMapOptions& options, const QSize& size);

// Colour of a speed on the map's scale from lo (red) over yellow to hi (green).
QColor SpeedScaleColor(double v, double lo, double hi);

// Profile whose key point 0 lies nearest to pixel, within maxPixels; -1 none.
int PlanMapProfileAt(const tRoadModel& model, const tPlanMapLayout& layout, const QPointF& pixel,
                     double maxPixels = 8);

}  // namespace kestrova
