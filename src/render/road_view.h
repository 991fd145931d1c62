// The 3D road view: the road as an observer standing at the selected profile
// sees it, forward or backward, as far as the observer's look distance.
// Terrain and carriageway surfaces between consecutive profiles, vegetation
// and buildings as boxes, crossroads in orange, the centre line where the road
// has no median, and the sight lines of the sight check in red.
#pragma once

#include "render/render_options.h"

#include <QImage>
#include <QPointF>

#include <cstdint>
#include <vector>

namespace kestrova {

// One quad of a strip in model space; the fifth corner repeats the first.
struct T3DQuad {
    uint8_t Kind = 0;
    uint8_t Layer = 0;  // 0 terrain, 1 object sides, 2 object top, 3 object end face
    tRoadPoint P[5];
};

struct T3DLine {
    tRoadPoint P1;
    tRoadPoint P2;
};

// A sight segment of one sight variant over a strip.
struct T3DLook {
    uint8_t Visible = 0;
    tRoadPoint Start;
    tRoadPoint End;
};

// One strip of the window, between its near profile and the next one in the
// looking direction.
struct T3DSq {
    tRoadPoint Ref1;  // near profile: KeyPointM1 forward, KeyPoint0 backward
    tRoadPoint Ref2;  // near profile: KeyPoint0 forward, KeyPointM1 backward
    T3DLook Look[2];  // per sight variant
    uint8_t ZeroWidth = 0;
    tRoadPoint CentreNear;
    tRoadPoint CentreFar;
    int32_t QuadCount = 0;
    std::vector<T3DQuad> Quads;  // only grows; the first QuadCount are valid
    int32_t LineCount = 0;
    std::vector<T3DLine> Lines;  // crossroads lines
};

struct T3DData {
    int32_t Count = 0;
    std::vector<T3DSq> Strips;  // only grows; the first Count are valid
};

struct T2DQuad {
    uint8_t Kind = 0;
    uint8_t Layer = 0;
    QPointF P[5];
};

struct T2DLine {
    double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
};

struct T2DLook {
    uint8_t Visible = 0;
    QPointF Start;
    QPointF End;
    uint8_t Drawable = 0;  // the segment lies (after clipping) in front of the eye
};

struct T2DSq {
    QPointF Ref1;
    QPointF Ref2;
    T2DLook Look[2];
    uint8_t ZeroWidth = 0;
    QPointF CentreNear;
    QPointF CentreFar;
    uint8_t CentreDrawable = 0;
    int32_t QuadCount = 0;
    std::vector<T2DQuad> Quads;
    int32_t LineCount = 0;
    std::vector<T2DLine> Lines;
};

struct T2DData {
    int32_t Count = 0;
    std::vector<T2DSq> Strips;
};

// What a drawing call did.
enum class tDrawOutcome {
    Drawn,           // a picture
    TooFewProfiles,  // the "Draw3D.TooFewProfiles" message inside the frame
    Nothing,         // frame only (no valid selection or nothing measurable)
};

struct tRoadViewResult {
    tDrawOutcome Outcome = tDrawOutcome::Nothing;
    int Near = -1;  // window: selected profile
    int Far = -1;   // window: far profile
    int CaptionFontSize = 0;
    QString Caption;
    int SkippedQuads = 0;  // quads and lines left out because a point lay too near the eye
};

// Near plane of the projection, in metres in front of the eye. The eye stands
// 70 m behind the selected profile, so only a road that turns back on itself
// comes nearer; quads and lines with a point nearer than this (points at or
// behind the eye included) are left out rather than projected, since their
// projection would be meaningless or dwarf the picture.
constexpr double kEyeNearPlane = 10.0;

// Draws the forward (options.View == Forward) or backward view of the road
// from options.Profile into `image` (made options.Target.Size). Reruns the
// sight check over its window, which rewrites SightPoint, GroundPoint,
// Obstructed and RoadCentre of the profiles in the window. The buffers are the
// caller's and are reused between calls.
tRoadViewResult DrawRoadView(tRoadModel& model, const tViewOptions& options, T3DData& data3d, T2DData& data2d,
                             QImage& image);

// The window of profiles the view shows: from the selected profile s to the
// far profile f, or false when there are too few profiles in the looking
// direction.
bool RoadViewWindow(const TMPlan& plan, int s, bool forward, int& far);

}  // namespace kestrova
