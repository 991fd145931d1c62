// The in-memory road model: profiles with their cross sections, crossroads,
// vegetation/buildings and the pivot table. Plain records; the importers fill
// the source fields, the calculation fills the computed ones, everything else
// only reads them.
#pragma once

#include <QString>
#include <cstdint>
#include <vector>

namespace kestrova {

// One point in plan and height. A source table's "X" column is stored in Y and
// its "Y" column in X, for all three tables.
struct tRoadPoint {
    double X = 0;
    double Y = 0;
    double H = 0;
    double H2 = 0;        // second height; set to H on segment end points
    double Chainage = 0;  // crossroad points: signed distance from the crossing
    int32_t ProfileIndex = 0;
    int32_t PointSegNo = 0;
    uint8_t OnSection = 0;
};

// A point of a cross section: the plan place, the height and the second
// height. Kept apart from tRoadPoint so that the chains, the largest part of a
// road's model, hold only what a section point has; it converts to and from a
// tRoadPoint (the other fields of which a section point never carries).
struct tSectionPoint {
    double X = 0;
    double Y = 0;
    double H = 0;
    double H2 = 0;

    tSectionPoint() = default;
    tSectionPoint(double x, double y, double h = 0, double h2 = 0) : X(x), Y(y), H(h), H2(h2) {}
    tSectionPoint(const tRoadPoint& p) : X(p.X), Y(p.Y), H(p.H), H2(p.H2) {}  // implicit: a road point's place
    operator tRoadPoint() const {
        tRoadPoint p;
        p.X = X;
        p.Y = Y;
        p.H = H;
        p.H2 = H2;
        return p;
    }
};

// A point a sight line reaches or is cut at: the plan place and the height.
// The crossroads stage keeps millions of them, so they hold nothing more.
struct tSightPoint {
    double X = 0;
    double Y = 0;
    double H = 0;

    tSightPoint() = default;
    tSightPoint(const tRoadPoint& p) : X(p.X), Y(p.Y), H(p.H) {}  // implicit: a road point's place
    operator tRoadPoint() const {
        tRoadPoint p;
        p.X = X;
        p.Y = Y;
        p.H = H;
        return p;
    }
};

// One piece of a cross section, between two consecutive key points.
struct tProfileSegment {
    tSectionPoint A;
    tSectionPoint B;
    uint8_t Kind = 0;      // 0 central span, 1 carriageway, 2 shoulder, 3 terrain, 4 building, 5 vegetation
    uint8_t Covered = 0;   // set by the vegetation pass
    uint8_t FromDtm = 0;   // 1 for segments built by the importer
    int32_t SegNo = 0;     // 1-based number in the profile; >= 1000 for object segments
    int32_t APoint = 0;    // key point number of A
    int32_t BPoint = 0;    // key point number of B
};

// A crossroads sight line of one profile towards one side of a crossing road.
// Its observer end is a sample of the crossing road, the same for every
// approach profile, so the line keeps the sample's number (the points are in
// the crossroad's Samples of that side); a line cut by an obstacle keeps its
// own target in the look's CutTargets, any other reaches the sample itself.
// Millions of lines are kept on a long road, so they hold only numbers.
struct tSightLine {
    int32_t CrossRoad = -1;  // index of the crossroad looked at
    int32_t Sample = 0;      // number of its sample on the line's side
    int32_t Cut = -1;        // index of the target in the look's CutTargets; -1 when nothing cuts the line
};

struct tHiddenPoint {
    tSightPoint Point;
    int32_t ObserverProfile = 0;
    int32_t CrossRoad = -1;  // crossroads look points: index of the crossroad looked at
};

struct tHiddenPointList {
    std::vector<tHiddenPoint> Points;
    int32_t Count() const { return static_cast<int32_t>(Points.size()); }
};

// Crossroads look data of one profile in one direction.
struct tXCrossLookDir {
    uint8_t Hidden = 0;
    std::vector<tSightLine> SightLines[2];  // per side of the crossing
    std::vector<tSightPoint> CutTargets;    // targets of the cut sight lines of both sides
    int32_t FirstVisible = 0;
    tHiddenPointList HiddenPoints[2];       // per side of the crossing
};

using tXCrossLook = tXCrossLookDir[2];  // index 0 forward, 1 reverse

enum : int { DirFwd = 0, DirRev = 1 };

struct tPlanProfile {
    uint8_t RoadCathegory = 0;  // 0 "IV", 1 "III", 2 "II", 3 "Ib", 4 "Ia"
    int32_t TrafficIntensity = 0;
    double Cars = 0;
    double Buses = 0;
    double Trucks = 0;
    double VehicleTrains = 0;
    double CurveRadius = 0;
    double LongitudinalTilt = 0;
    double SlicknessValue = 0;
    double Clearance = 0;
    uint8_t IsLocality = 0;
    uint8_t IsSocialActivity = 0;
    double FreeV = 0;
    double CurveV = 0;
    double TiltV[2] = {0, 0};
    double SlickV = 0;
    double BridgeV = 0;
    double IntensityV = 0;
    double LocalityV = 0;
    double SocialV = 0;
    double CrossV[2] = {0, 0};
    double LookV[2] = {0, 0};
    double MinV[2] = {0, 0};
    uint8_t Cause[2] = {0, 0};
    double Koef[2] = {0, 0};
    tXCrossLook CrossLook;
    double Position = 0;
    uint8_t NoRoadCheck = 0;
    tRoadPoint SightTrack[2];
    tRoadPoint SightPoint;
    tRoadPoint GroundPoint;
    uint8_t HasFwdTrack[2] = {0, 0};
    uint8_t HasRevTrack[2] = {0, 0};
    uint8_t Obstructed = 0;
    tRoadPoint RoadCentre;
    uint8_t FwdHidden = 0;
    uint8_t RevHidden = 0;
    int32_t FwdEnd = 0;
    int32_t RevEnd = 0;
    tRoadPoint KeyPointM1;
    tRoadPoint KeyPoint0;
    int32_t FwdLookDist = 0;
    int32_t RevLookDist = 0;
    int32_t RecordNumber = 0;
    std::vector<tProfileSegment> Segments;

    int32_t SegmentCount() const { return static_cast<int32_t>(Segments.size()); }
};

// The profile table, in order of strictly increasing Position.
struct TMPlan {
    int32_t ViewDepth = 0;
    double EyeHeight = 0;
    uint8_t LookDistancesReady = 0;
    std::vector<tPlanProfile> Profiles;

    int32_t Count() const { return static_cast<int32_t>(Profiles.size()); }
};

struct tCrossRoadRec {
    QString Name;
    std::vector<tRoadPoint> Points;  // axis polyline; the crossroads stage inserts points
    uint8_t Skip = 0;
    uint8_t NotVisible[2] = {0, 0};
    int32_t CrossIndex = 0;
    int32_t ApproachRange[2] = {0, 0};
    int32_t ApproachEnd[2] = {0, 0};
    uint8_t DirectionOpen[2] = {0, 0};
    double CrossKm = 0;
    // Per side of the crossing, its points every sample step from the crossing,
    // as far as a sight line looked; the sight lines refer to them by number.
    std::vector<tSightPoint> Samples[2];

    int32_t Count() const { return static_cast<int32_t>(Points.size()); }
};

struct tCrossRoads {
    std::vector<tCrossRoadRec> Roads;
    int32_t Count() const { return static_cast<int32_t>(Roads.size()); }
};

// The two ends of a crossroads sight line.
struct tSightLineEnds {
    tSightPoint Observer;  // the crossing road's sample looked at
    tSightPoint Target;    // where the line is cut, else the sample
};

// The ends of `line`, kept in `look` for `side`; false when the line refers to
// a sample or a target the model does not hold.
bool SightLineEnds(const tCrossRoads& roads, const tXCrossLookDir& look, int side, const tSightLine& line,
                   tSightLineEnds& ends);

struct tGreenRec {
    QString Name;
    std::vector<tRoadPoint> Points;  // outline; H is the object's height
    uint8_t IsVegetation = 0;
    int32_t FirstProfile = 0;
    int32_t LastProfile = 0;

    int32_t Count() const { return static_cast<int32_t>(Points.size()); }
};

struct tGreens {
    std::vector<tGreenRec> Objects;
    int32_t Count() const { return static_cast<int32_t>(Objects.size()); }
};

struct tPivotRow {
    double KmBeg = 0;
    double KmEnd = 0;
    int32_t FirstIndex = 0;
    int32_t LastIndex = 0;
    uint8_t Cat = 0;
    double VMinFwd = 0;
    double VMinRev = 0;
    uint8_t CauseFwd = 0;
    uint8_t CauseRev = 0;
    double FailRateFwd = 0;
    double FailRateRev = 0;
    double BoundRateFwd = 0;
    double BoundRateRev = 0;
    int32_t ResumeFwd = 0;  // 1 safe, -1 not safe, 0 none
    int32_t ResumeRev = 0;
};

struct tPivotData {
    uint8_t PrevCat = 0;
    double PrevVMinFwd = -1;
    double PrevVMinRev = -1;
    std::vector<tPivotRow> Rows;

    int32_t Count() const { return static_cast<int32_t>(Rows.size()); }
};

// Everything one analysed road consists of. The window and the batch program
// each own one; the importers, the calculation and the views take it by reference.
struct tRoadModel {
    TMPlan Plan;
    tCrossRoads CrossRoads;
    tGreens Greens;
    tPivotData Pivot;
};

}  // namespace kestrova
