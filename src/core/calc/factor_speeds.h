// Speeds permitted by each road factor, the minimum per direction with its
// cause, the non-compliance rate, and the conversions between a speed and a
// sight distance. Speeds are km/h, stored as whole numbers.
#pragma once

#include "core/model/road_model.h"

#include <cstdint>
#include <functional>

namespace kestrova {

// Free speed of a car on a road of the category (0 "IV" ... 4 "Ia"): the
// starting value of the crossroads and sight speeds. An index outside 0..4 is
// clamped into it.
double FreeCarSpeed(int category);

// x rounded to a whole number, halves to even.
double RoundSpeed(double x);

// Stopping sight distance in whole metres for speed v (km/h); twoWay doubles
// the speed-dependent part (oncoming traffic).
int32_t SightDistance(bool twoWay, double v);

// The speed (km/h, whole, at least 1) whose sight distance is s metres.
double SpeedForSightDistance(bool twoWay, double s);

// ---- Factor rules for one profile (each reads the profile's source fields
// and, except FreeSpeed, its FreeV). Results are whole km/h.

// Cause codes of the minimum speed, per direction.
enum : uint8_t {
    CauseNone = 0,        // the free speed is the minimum
    CauseCurve = 1,
    CauseTilt = 2,
    CauseSlickness = 3,
    CauseBridge = 4,
    CauseIntensity = 5,
    CauseLocality = 6,
    CauseSocial = 7,
    CauseCrossRoad = 8,
    CauseInvisiblePoints = 9,
};
constexpr int kCauseCount = 10;

// Koef of a profile without a neighbour in that direction; any value below
// kNoRateBelow means "no rate" and is shown as an empty cell.
constexpr double kNoRate = -2e20;
constexpr double kNoRateBelow = -1e20;
inline bool HasRate(double koef) { return !(koef < kNoRateBelow); }

double FreeSpeed(const tPlanProfile& p);
double CurveSpeed(const tPlanProfile& p);
double TiltSpeed(const tPlanProfile& p, int direction);
double SlickSpeed(const tPlanProfile& p);
double BridgeSpeed(const tPlanProfile& p);
double IntensitySpeed(const tPlanProfile& p);
double LocalitySpeed(const tPlanProfile& p);
double SocialSpeed(const tPlanProfile& p);

struct tMinSpeed {
    double MinV = 0;
    uint8_t Cause = CauseNone;
};

// Smallest factor speed of the direction and the factor that gave it; on a tie
// the earlier factor (or the free speed) stays.
tMinSpeed MinSpeed(const tPlanProfile& p, int direction);

// Rate at a boundary: neighbourMinV is the minimum of the profile the driver
// comes from, ownMinV that of the profile entered. Rounded to one decimal.
double NonComplianceRate(double neighbourMinV, double ownMinV);

// ---- Stages over all profiles, in road order, as the calculation run calls
// them. `step` (may be empty) is called after each profile with its loop index,
// so the run can advance its progress bar.
using tProfileStep = std::function<void(int index)>;

void CalcFreeVelocity(TMPlan& plan, const tProfileStep& step = {});
void CalcHCurves(TMPlan& plan, const tProfileStep& step = {});
void CalcLongiTilt(TMPlan& plan, const tProfileStep& step = {});
void CalcSlickness(TMPlan& plan, const tProfileStep& step = {});
void CalcBridgeClearance(TMPlan& plan, const tProfileStep& step = {});
void CalcTrafficIntensity(TMPlan& plan, const tProfileStep& step = {});
void CalcLocalitySocActivity(TMPlan& plan, const tProfileStep& step = {});
// MinV and Cause of both directions of every profile (needs CrossV and LookV).
void CalcMinSpeeds(TMPlan& plan, const tProfileStep& step = {});
// MinV and Cause of one profile, for a run that fills its grid row by row.
void CalcMinSpeed(tPlanProfile& p);
// Koef of both directions of every profile (needs every MinV).
void CalcNonComplianceRates(TMPlan& plan, const tProfileStep& step = {});

}  // namespace kestrova
