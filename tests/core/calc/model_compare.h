// Field-by-field comparison of two road models, for checking that the fast
// calculation engine leaves exactly what the reference engine leaves. Reals
// are compared bit for bit (a NaN only equals the same NaN).
#pragma once

#include "core/model/road_model.h"

#include <cstring>
#include <sstream>
#include <string>

namespace kestrova::test {

class tModelDiff {
public:
    std::ostringstream Out;
    int Count = 0;

    void Note(const std::string& where) {
        if (++Count <= 20) Out << where << "\n";
    }
    void Real(const std::string& where, double a, double b) {
        if (std::memcmp(&a, &b, sizeof a) != 0 && !(a == 0 && b == 0)) {
            std::ostringstream s;
            s.precision(17);
            s << where << ": " << a << " vs " << b;
            Note(s.str());
        }
    }
    template <class T>
    void Int(const std::string& where, T a, T b) {
        if (a != b) Note(where + ": " + std::to_string(a) + " vs " + std::to_string(b));
    }
    void Point(const std::string& w, const tRoadPoint& a, const tRoadPoint& b) {
        Real(w + ".X", a.X, b.X);
        Real(w + ".Y", a.Y, b.Y);
        Real(w + ".H", a.H, b.H);
        Real(w + ".H2", a.H2, b.H2);
        Real(w + ".Chainage", a.Chainage, b.Chainage);
        Int(w + ".ProfileIndex", a.ProfileIndex, b.ProfileIndex);
        Int(w + ".PointSegNo", a.PointSegNo, b.PointSegNo);
        Int(w + ".OnSection", a.OnSection, b.OnSection);
    }
    void Points(const std::string& w, const std::vector<tSightPoint>& a, const std::vector<tSightPoint>& b) {
        Int(w + ".size", a.size(), b.size());
        for (size_t i = 0; i < std::min(a.size(), b.size()); ++i) Point(w + "[" + std::to_string(i) + "]", a[i], b[i]);
    }
    void Segment(const std::string& w, const tProfileSegment& a, const tProfileSegment& b) {
        Point(w + ".A", a.A, b.A);
        Point(w + ".B", a.B, b.B);
        Int(w + ".Kind", a.Kind, b.Kind);
        Int(w + ".Covered", a.Covered, b.Covered);
        Int(w + ".FromDtm", a.FromDtm, b.FromDtm);
        Int(w + ".SegNo", a.SegNo, b.SegNo);
        Int(w + ".APoint", a.APoint, b.APoint);
        Int(w + ".BPoint", a.BPoint, b.BPoint);
    }
    void Look(const std::string& w, const tXCrossLookDir& a, const tXCrossLookDir& b) {
        Int(w + ".Hidden", a.Hidden, b.Hidden);
        Int(w + ".FirstVisible", a.FirstVisible, b.FirstVisible);
        Points(w + ".CutTargets", a.CutTargets, b.CutTargets);
        for (int s = 0; s < 2; ++s) {
            const std::string ws = w + ".side" + std::to_string(s);
            Int(ws + ".SightLines.size", a.SightLines[s].size(), b.SightLines[s].size());
            for (size_t i = 0; i < std::min(a.SightLines[s].size(), b.SightLines[s].size()); ++i) {
                const std::string wi = ws + ".SightLines[" + std::to_string(i) + "]";
                Int(wi + ".CrossRoad", a.SightLines[s][i].CrossRoad, b.SightLines[s][i].CrossRoad);
                Int(wi + ".Sample", a.SightLines[s][i].Sample, b.SightLines[s][i].Sample);
                Int(wi + ".Cut", a.SightLines[s][i].Cut, b.SightLines[s][i].Cut);
            }
            const auto& ha = a.HiddenPoints[s];
            const auto& hb = b.HiddenPoints[s];
            Int(ws + ".HiddenPoints.size", ha.Points.size(), hb.Points.size());
            for (size_t i = 0; i < std::min(ha.Points.size(), hb.Points.size()); ++i) {
                Point(ws + ".HiddenPoints[" + std::to_string(i) + "]", ha.Points[i].Point, hb.Points[i].Point);
                Int(ws + ".HiddenPoints.Observer", ha.Points[i].ObserverProfile, hb.Points[i].ObserverProfile);
                Int(ws + ".HiddenPoints.CrossRoad", ha.Points[i].CrossRoad, hb.Points[i].CrossRoad);
            }
        }
    }
    void Profile(const std::string& w, const tPlanProfile& a, const tPlanProfile& b) {
        Int(w + ".RoadCathegory", a.RoadCathegory, b.RoadCathegory);
        Int(w + ".TrafficIntensity", a.TrafficIntensity, b.TrafficIntensity);
        Real(w + ".Cars", a.Cars, b.Cars);
        Real(w + ".Buses", a.Buses, b.Buses);
        Real(w + ".Trucks", a.Trucks, b.Trucks);
        Real(w + ".VehicleTrains", a.VehicleTrains, b.VehicleTrains);
        Real(w + ".CurveRadius", a.CurveRadius, b.CurveRadius);
        Real(w + ".LongitudinalTilt", a.LongitudinalTilt, b.LongitudinalTilt);
        Real(w + ".SlicknessValue", a.SlicknessValue, b.SlicknessValue);
        Real(w + ".Clearance", a.Clearance, b.Clearance);
        Int(w + ".IsLocality", a.IsLocality, b.IsLocality);
        Int(w + ".IsSocialActivity", a.IsSocialActivity, b.IsSocialActivity);
        Real(w + ".FreeV", a.FreeV, b.FreeV);
        Real(w + ".CurveV", a.CurveV, b.CurveV);
        Real(w + ".SlickV", a.SlickV, b.SlickV);
        Real(w + ".BridgeV", a.BridgeV, b.BridgeV);
        Real(w + ".IntensityV", a.IntensityV, b.IntensityV);
        Real(w + ".LocalityV", a.LocalityV, b.LocalityV);
        Real(w + ".SocialV", a.SocialV, b.SocialV);
        for (int d = 0; d < 2; ++d) {
            const std::string wd = "[" + std::to_string(d) + "]";
            Real(w + ".TiltV" + wd, a.TiltV[d], b.TiltV[d]);
            Real(w + ".CrossV" + wd, a.CrossV[d], b.CrossV[d]);
            Real(w + ".LookV" + wd, a.LookV[d], b.LookV[d]);
            Real(w + ".MinV" + wd, a.MinV[d], b.MinV[d]);
            Int(w + ".Cause" + wd, a.Cause[d], b.Cause[d]);
            Real(w + ".Koef" + wd, a.Koef[d], b.Koef[d]);
            Look(w + ".CrossLook" + wd, a.CrossLook[d], b.CrossLook[d]);
            Point(w + ".SightTrack" + wd, a.SightTrack[d], b.SightTrack[d]);
            Int(w + ".HasFwdTrack" + wd, a.HasFwdTrack[d], b.HasFwdTrack[d]);
            Int(w + ".HasRevTrack" + wd, a.HasRevTrack[d], b.HasRevTrack[d]);
        }
        Real(w + ".Position", a.Position, b.Position);
        Int(w + ".NoRoadCheck", a.NoRoadCheck, b.NoRoadCheck);
        Point(w + ".SightPoint", a.SightPoint, b.SightPoint);
        Point(w + ".GroundPoint", a.GroundPoint, b.GroundPoint);
        Int(w + ".Obstructed", a.Obstructed, b.Obstructed);
        Point(w + ".RoadCentre", a.RoadCentre, b.RoadCentre);
        Int(w + ".FwdHidden", a.FwdHidden, b.FwdHidden);
        Int(w + ".RevHidden", a.RevHidden, b.RevHidden);
        Int(w + ".FwdEnd", a.FwdEnd, b.FwdEnd);
        Int(w + ".RevEnd", a.RevEnd, b.RevEnd);
        Point(w + ".KeyPointM1", a.KeyPointM1, b.KeyPointM1);
        Point(w + ".KeyPoint0", a.KeyPoint0, b.KeyPoint0);
        Int(w + ".FwdLookDist", a.FwdLookDist, b.FwdLookDist);
        Int(w + ".RevLookDist", a.RevLookDist, b.RevLookDist);
        Int(w + ".RecordNumber", a.RecordNumber, b.RecordNumber);
        Int(w + ".SegmentCount", a.Segments.size(), b.Segments.size());
        for (size_t s = 0; s < std::min(a.Segments.size(), b.Segments.size()); ++s)
            Segment(w + ".Segments[" + std::to_string(s) + "]", a.Segments[s], b.Segments[s]);
    }
    void Model(const tRoadModel& a, const tRoadModel& b) {
        Int("Plan.Count", a.Plan.Count(), b.Plan.Count());
        Int("Plan.ViewDepth", a.Plan.ViewDepth, b.Plan.ViewDepth);
        Real("Plan.EyeHeight", a.Plan.EyeHeight, b.Plan.EyeHeight);
        Int("Plan.LookDistancesReady", a.Plan.LookDistancesReady, b.Plan.LookDistancesReady);
        for (int i = 0; i < std::min(a.Plan.Count(), b.Plan.Count()); ++i)
            Profile("Profile[" + std::to_string(i) + "]", a.Plan.Profiles[i], b.Plan.Profiles[i]);
        Int("CrossRoads.Count", a.CrossRoads.Count(), b.CrossRoads.Count());
        for (int c = 0; c < std::min(a.CrossRoads.Count(), b.CrossRoads.Count()); ++c) {
            const auto& x = a.CrossRoads.Roads[c];
            const auto& y = b.CrossRoads.Roads[c];
            const std::string w = "CrossRoad[" + std::to_string(c) + "]";
            Int(w + ".Skip", x.Skip, y.Skip);
            Int(w + ".CrossIndex", x.CrossIndex, y.CrossIndex);
            Real(w + ".CrossKm", x.CrossKm, y.CrossKm);
            for (int d = 0; d < 2; ++d) {
                Int(w + ".NotVisible", x.NotVisible[d], y.NotVisible[d]);
                Int(w + ".ApproachRange", x.ApproachRange[d], y.ApproachRange[d]);
                Int(w + ".ApproachEnd", x.ApproachEnd[d], y.ApproachEnd[d]);
                Int(w + ".DirectionOpen", x.DirectionOpen[d], y.DirectionOpen[d]);
            }
            for (int side = 0; side < 2; ++side)
                Points(w + ".Samples[" + std::to_string(side) + "]", x.Samples[side], y.Samples[side]);
            Int(w + ".Points.size", x.Points.size(), y.Points.size());
            for (size_t i = 0; i < std::min(x.Points.size(), y.Points.size()); ++i)
                Point(w + ".Points[" + std::to_string(i) + "]", x.Points[i], y.Points[i]);
        }
        Int("Pivot.Count", a.Pivot.Count(), b.Pivot.Count());
        Int("Pivot.PrevCat", a.Pivot.PrevCat, b.Pivot.PrevCat);
        Real("Pivot.PrevVMinFwd", a.Pivot.PrevVMinFwd, b.Pivot.PrevVMinFwd);
        Real("Pivot.PrevVMinRev", a.Pivot.PrevVMinRev, b.Pivot.PrevVMinRev);
        for (int r = 0; r < std::min(a.Pivot.Count(), b.Pivot.Count()); ++r) {
            const auto& x = a.Pivot.Rows[r];
            const auto& y = b.Pivot.Rows[r];
            const std::string w = "Pivot[" + std::to_string(r) + "]";
            Real(w + ".KmBeg", x.KmBeg, y.KmBeg);
            Real(w + ".KmEnd", x.KmEnd, y.KmEnd);
            Int(w + ".FirstIndex", x.FirstIndex, y.FirstIndex);
            Int(w + ".LastIndex", x.LastIndex, y.LastIndex);
            Int(w + ".Cat", x.Cat, y.Cat);
            Real(w + ".VMinFwd", x.VMinFwd, y.VMinFwd);
            Real(w + ".VMinRev", x.VMinRev, y.VMinRev);
            Int(w + ".CauseFwd", x.CauseFwd, y.CauseFwd);
            Int(w + ".CauseRev", x.CauseRev, y.CauseRev);
            Real(w + ".FailRateFwd", x.FailRateFwd, y.FailRateFwd);
            Real(w + ".FailRateRev", x.FailRateRev, y.FailRateRev);
            Real(w + ".BoundRateFwd", x.BoundRateFwd, y.BoundRateFwd);
            Real(w + ".BoundRateRev", x.BoundRateRev, y.BoundRateRev);
            Int(w + ".ResumeFwd", x.ResumeFwd, y.ResumeFwd);
            Int(w + ".ResumeRev", x.ResumeRev, y.ResumeRev);
        }
    }
};

}  // namespace kestrova::test
