// Crossroads visibility: finds where each crossroad crosses the road, tests
// from the approach profiles whether a driver sees the crossing road in time
// to stop, and limits CrossV where it is hidden.
//
// What the stage leaves in the model (the crossroads view and the list read it):
//
// Per crossroad (tCrossRoadRec):
// - Skip: the crossroad does not cross the road exactly once; none of the
//   fields below is meaningful then (the polyline is left as imported).
// - Points: the polyline with the crossing point inserted (an existing point
//   within 0.00001 m of it is used instead), the points where it crosses a
//   profile's section line inserted, and oriented so that it leaves the
//   crossing at a positive angle (0 to pi) from the forward road direction
//   (whole point records are reversed). Every point has Chainage (0 at the
//   crossing, negative before it), ProfileIndex (-1 when the point lies in no
//   band between two section lines) and OnSection.
// - CrossIndex: index of the crossing point in Points.
// - CrossKm: kilometre position of the crossing.
// - ApproachRange[d]: the approach profile next to the crossing for direction d
//   (forward: below the crossing, reverse: above it).
// - ApproachEnd[d]: the farthest approach profile of direction d (first profile
//   whose distance to the crossing reaches the one-way stopping distance of
//   its category's free car speed, or the road's end).
// - DirectionOpen[d]: direction d has approach profiles; when clear, the other
//   approach fields of d only hold the clamped bound.
// - NotVisible[d]: some sight line of direction d was cut ("NV").
//
// Per profile (tPlanProfile::CrossLook[d], reset by the stage):
// - Hidden: the crossing road is hidden from this profile for some crossroad
//   it approaches in direction d (also set on every profile farther out than
//   the first hidden one of an approach).
// - SightLines[side]: one entry per sample of the crossing road, in sampling
//   order (side 0 from the crossing towards negative chainage, side 1 towards
//   positive). Sample numbers the sampled point of the crossing road (its
//   Observer end, kept once in the crossroad's Samples[side]); Cut indexes
//   CutTargets, the point where the sight line is cut (SightPoint of the
//   obstructing profile nearest to the eye), and is -1 when the line is clear
//   (its Target is then the sample again; SightLineEnds gives both ends).
//   The eye itself is KeyPoint0 (forward) or KeyPointM1 (reverse) of the
//   profile, so the view fans from the eye through Observer (full view) or
//   Target (what is seen). CrossRoad names the crossroad of the entry.
// - HiddenPoints[side].Points: the cut points (sight height at the section
//   line) that lie on this profile's section, each with the observer profile
//   and the crossroad.
// - FirstVisible: forward the largest, reverse the smallest profile index the
//   view must show for this observer: the profiles whose section lines its
//   sight lines cross, up to the first one they do not reach, and the profiles
//   whose section lines the sampled part of the crossing road crosses. Carried
//   outward along each approach, so a farther profile covers at least the
//   range of a nearer one. Profiles that approach no crossroad keep their own
//   index.
//
// Per profile, CrossV[d] of every approach profile of a direction with a
// hidden profile is lowered to the speed the distance of the last clear
// profile (walking outward from the crossing) allows, 0 when the nearest
// approach profile is already hidden; it is never raised, so a profile
// approaching two crossroads keeps the lower limit.
//
// The sight checks also rewrite the per-profile sight records SightPoint,
// GroundPoint, RoadCentre and Obstructed of the tested profiles, as every
// sight check does.
#pragma once

#include "core/calc/sight_check.h"
#include "core/model/road_model.h"

#include <cstdint>
#include <memory>

namespace kestrova {

// Plan distance within which road profiles are considered around a crossroad's
// centre (midpoint of its first and last point).
constexpr double kCrossRoadSearchRadius = 1500;
// Spacing of the samples along the crossing road.
constexpr double kCrossRoadSampleStep = 0.25;
// Driver's view angle (degrees), the same for every category.
constexpr double kCrossRoadViewAngle = 12;

// The whole crossroads stage over model.CrossRoads. Expects the sight
// preparation done and CrossV set to the categories' free car speeds. Advances
// the progress by one per crossroad and lets the receiver repaint before each
// crossroad. A crossroad without exactly one
// crossing is skipped: one log line and one message (key
// "LoadData.NoCommonCrossPoints" or "LoadData.MultiCrossPointsError" with
// "%ObjectName%" and "%CrossCount%"; the message also carries
// "LoadData.RoadWillBeExcluded" as its second line).
void CalcCrossRoads(tRoadModel& model, tProgressCounter& progress);

// The fast engine's crossroads work, started before the sight stages: helper
// threads compute every crossroad from the cached section geometry while the
// scans run, since the computation reads nothing the scans write (the track
// heights the scans record are only a plain check's fallback for a line
// without a height, and such a line crosses no section). FinishCrossRoads is
// then the whole stage, with the same results, log lines, messages and
// progress as CalcCrossRoads. The plan's sections and the crossroads must not
// change in between; destroying the work before it is finished waits for the
// helpers.
struct tFastSight;
struct tEarlyCrossRoads;
struct tEarlyCrossRoadsDeleter {
    void operator()(tEarlyCrossRoads* early) const;
};
using tEarlyCrossRoadsPtr = std::unique_ptr<tEarlyCrossRoads, tEarlyCrossRoadsDeleter>;
tEarlyCrossRoadsPtr StartCrossRoads(const tRoadModel& model, const tFastSight& fast, int helpers);
void FinishCrossRoads(tRoadModel& model, tFastSight& fast, tEarlyCrossRoads& early, tProgressCounter& progress);

// The fast engine's whole crossroads stage when it was not started early:
// CalcCrossRoads with the cached geometry, on up to fast.Threads threads.
void FastCalcCrossRoads(tRoadModel& model, tFastSight& fast, tProgressCounter& progress);

// Whether the point (x, y) lies in the band between the section lines of
// profiles a and a + 1: returns a when it is inside or on section a
// (onSectionA set), a + 1 when on section a + 1 (onSectionB set), else -1.
int32_t FindProfileBand(const TMPlan& plan, int32_t a, double x, double y, bool& onSectionA, bool& onSectionB);

// Whether FindProfileBand(plan, a, x, y) is surely -1 for the bands of the
// fast engine's geometry ga (profile a) and gb (a + 1), by a few products:
// the point lies in neither section line's collinearity cone, and beside or
// above the band's box, where the band's first (upward) ray meets no edge.
// False means "maybe": the full test decides.
struct tFastProfile;
bool SurelyOutsideBand(const tFastProfile& ga, const tFastProfile& gb, double x, double y);

// The point of the crossroad's polyline at the given chainage, X, Y and H
// interpolated between the two points around it. False when the chainage lies
// outside the polyline. Needs the chainages set by CalcCrossRoads.
bool SampleCrossRoad(const tCrossRoadRec& road, double chainage, tRoadPoint& point);

}  // namespace kestrova
