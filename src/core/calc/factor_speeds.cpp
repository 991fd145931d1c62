#include "core/calc/factor_speeds.h"

#include "core/calc/geometry.h"

#include <algorithm>
#include <climits>
#include <cmath>

namespace kestrova {

namespace {

// Free speed (km/h) by category and vehicle type, in the order of the share
// fields: cars, buses, trucks, vehicle trains.
constexpr double kFreeSpeedTable[5][4] = {
    {150, 100, 100, 100},  // IV
    {130, 90, 90, 90},     // III
    {107, 75, 90, 90},     // II
    {90, 75, 80, 80},      // Ib
    {82, 62, 63, 58},      // Ia
};

// Per category: largest radius that still limits (m), curve exponent, standard
// bridge clearance (m, 0 = no check) and intensity constant.
struct tCategoryConstants {
    double MaxRadius;
    double CurveExponent;
    double Clearance;
    double Intensity;
};
constexpr tCategoryConstants kCategory[5] = {
    {5000, 0.265, 0, 13.47},   // IV
    {5000, 0.288, 0, 12.15},   // III
    {1000, 0.288, 11.5, 9.05}, // II
    {600, 0.296, 10, 8.1},     // Ib
    {600, 0.296, 8, 7.39},     // Ia
};

int ClampCategory(int category) { return category < 0 ? 0 : (category > 4 ? 4 : category); }

// F·(ratio)^(k/F): the common shape of the tilt and slickness rules. A zero
// free speed (all shares 0, which the importer rejects) stays 0 instead of
// raising to an unbounded power.
double PowerLimit(double free, double ratio, double k) {
    if (free <= 0) return free;
    return free * std::pow(ratio, k / free);
}

template <typename Rule>
void ForEachProfile(TMPlan& plan, const tProfileStep& step, Rule rule) {
    for (int i = 0; i < plan.Count(); ++i) {
        rule(plan.Profiles[size_t(i)]);
        if (step) step(i);
    }
}

}  // namespace

double FreeCarSpeed(int category) { return kFreeSpeedTable[ClampCategory(category)][0]; }

double RoundSpeed(double x) { return std::nearbyint(x); }

int32_t SightDistance(bool twoWay, double v) {
    const double ms = v / 3.6;
    const double n = twoWay ? 2 : 1;
    const double s = RoundSpeed(n * 0.1427 * ms * ms + n * ms + 10);
    if (!(s < double(INT32_MAX))) return INT32_MAX;  // also catches NaN
    return int32_t(s);
}

double SpeedForSightDistance(bool twoWay, double s) {
    double v = 1;
    if (twoWay) {
        const double c = 1.1416 * s - 7.416;
        if (c > 0) v = (std::sqrt(c) - 2) * 3.6 / 0.5708;
    } else {
        const double c = 0.5708 * s - 4.708;
        if (c > 0) v = (std::sqrt(c) - 1) * 3.6 / 0.2854;
    }
    if (!(v >= 1)) v = 1;
    return RoundSpeed(v);
}

double FreeSpeed(const tPlanProfile& p) {
    const double* table = kFreeSpeedTable[ClampCategory(p.RoadCathegory)];
    const double shares[4] = {p.Cars, p.Buses, p.Trucks, p.VehicleTrains};
    double weighted = 0;
    double sum = 0;
    for (int k = 0; k < 4; ++k) {
        weighted += table[k] * shares[k];
        sum += shares[k];
    }
    if (sum < 0.00001) sum = 1;
    return RoundSpeed(weighted / sum);
}

double CurveSpeed(const tPlanProfile& p) {
    const tCategoryConstants& c = kCategory[ClampCategory(p.RoadCathegory)];
    double r = p.CurveRadius;
    if (r > c.MaxRadius) r = 0;  // gentle curves do not limit
    if (r > 0) return RoundSpeed(12.5 * std::pow(r, c.CurveExponent));
    return RoundSpeed(p.FreeV);
}

double TiltSpeed(const tPlanProfile& p, int direction) {
    const double f = p.FreeV;
    // The stored tilt is signed for the forward direction.
    const double t = direction == DirRev ? -p.LongitudinalTilt : p.LongitudinalTilt;
    double v = f;
    if (t >= 0.02)
        v = PowerLimit(f, 0.02 / t, 25);
    else if (t <= -0.05)
        v = PowerLimit(f, 0.036 / -t, 70);
    return RoundSpeed(v);
}

double SlickSpeed(const tPlanProfile& p) {
    const double s = p.SlicknessValue;
    return RoundSpeed(s >= 130 ? PowerLimit(p.FreeV, 50 / s, 25) : p.FreeV);
}

double BridgeSpeed(const tPlanProfile& p) {
    const double standard = kCategory[ClampCategory(p.RoadCathegory)].Clearance;
    double v = p.FreeV;
    if (p.Clearance > 0 && standard > 0) {
        const double r = std::min(p.Clearance / standard, 1.0);
        v = r >= 0.5 ? p.FreeV * r : 30;
    }
    return RoundSpeed(v);
}

double IntensitySpeed(const tPlanProfile& p) {
    const double q = 4.2 * p.Cars + 7 * p.Buses + 10.5 * p.Trucks + 14 * p.VehicleTrains;
    const double capacity = 1000 / (1 + q);
    const double n = p.TrafficIntensity / 10.0;
    double v = (kCategory[ClampCategory(p.RoadCathegory)].Intensity - n / capacity) / 0.09;
    if (v < 0) v = 0;
    return RoundSpeed(v);
}

double LocalitySpeed(const tPlanProfile& p) { return p.IsLocality ? 60 : RoundSpeed(p.FreeV); }

double SocialSpeed(const tPlanProfile& p) { return p.IsSocialActivity ? 40 : RoundSpeed(p.FreeV); }

tMinSpeed MinSpeed(const tPlanProfile& p, int direction) {
    const int d = direction == DirRev ? DirRev : DirFwd;
    const double factors[kCauseCount] = {p.FreeV,      p.CurveV,     p.TiltV[d],  p.SlickV,     p.BridgeV,
                                         p.IntensityV, p.LocalityV,  p.SocialV,   p.CrossV[d],  p.LookV[d]};
    tMinSpeed m{factors[0], CauseNone};
    for (int code = 1; code < kCauseCount; ++code) {
        if (m.MinV > factors[code]) {  // strict: ties keep the earlier factor
            m.MinV = factors[code];
            m.Cause = uint8_t(code);
        }
    }
    return m;
}

double NonComplianceRate(double neighbourMinV, double ownMinV) {
    const double p = neighbourMinV;
    const double v = ownMinV;
    if (v <= 0.00001) return RoundDecimals(1, p * 10000);
    return RoundDecimals(1, (p - v) * (p / v));
}

void CalcFreeVelocity(TMPlan& plan, const tProfileStep& step) {
    ForEachProfile(plan, step, [](tPlanProfile& p) { p.FreeV = FreeSpeed(p); });
}

void CalcHCurves(TMPlan& plan, const tProfileStep& step) {
    ForEachProfile(plan, step, [](tPlanProfile& p) { p.CurveV = CurveSpeed(p); });
}

void CalcLongiTilt(TMPlan& plan, const tProfileStep& step) {
    ForEachProfile(plan, step, [](tPlanProfile& p) {
        p.TiltV[DirFwd] = TiltSpeed(p, DirFwd);
        p.TiltV[DirRev] = TiltSpeed(p, DirRev);
    });
}

void CalcSlickness(TMPlan& plan, const tProfileStep& step) {
    ForEachProfile(plan, step, [](tPlanProfile& p) { p.SlickV = SlickSpeed(p); });
}

void CalcBridgeClearance(TMPlan& plan, const tProfileStep& step) {
    ForEachProfile(plan, step, [](tPlanProfile& p) { p.BridgeV = BridgeSpeed(p); });
}

void CalcTrafficIntensity(TMPlan& plan, const tProfileStep& step) {
    ForEachProfile(plan, step, [](tPlanProfile& p) { p.IntensityV = IntensitySpeed(p); });
}

void CalcLocalitySocActivity(TMPlan& plan, const tProfileStep& step) {
    ForEachProfile(plan, step, [](tPlanProfile& p) {
        p.LocalityV = LocalitySpeed(p);
        p.SocialV = SocialSpeed(p);
    });
}

void CalcMinSpeed(tPlanProfile& p) {
    for (int d : {DirFwd, DirRev}) {
        const tMinSpeed m = MinSpeed(p, d);
        p.MinV[d] = m.MinV;
        p.Cause[d] = m.Cause;
    }
}

void CalcMinSpeeds(TMPlan& plan, const tProfileStep& step) { ForEachProfile(plan, step, CalcMinSpeed); }

void CalcNonComplianceRates(TMPlan& plan, const tProfileStep& step) {
    const int n = plan.Count();
    for (int i = 0; i < n; ++i) {
        tPlanProfile& p = plan.Profiles[size_t(i)];
        // Forward the driver comes from i - 1, in reverse from i + 1.
        p.Koef[DirFwd] = i > 0 ? NonComplianceRate(plan.Profiles[size_t(i - 1)].MinV[DirFwd], p.MinV[DirFwd]) : kNoRate;
        p.Koef[DirRev] =
            i + 1 < n ? NonComplianceRate(plan.Profiles[size_t(i + 1)].MinV[DirRev], p.MinV[DirRev]) : kNoRate;
        if (step) step(i);
    }
}

}  // namespace kestrova
