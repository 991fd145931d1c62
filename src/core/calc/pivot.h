// The pivot table: the road cut into segments of constant category and
// constant minimum speeds in both directions, with the non-compliance rate at
// each boundary judged against a bound that depends on the speed before it.
#pragma once

#include "core/calc/factor_speeds.h"
#include "core/model/road_model.h"

namespace kestrova {

// Verdicts stored in ResumeFwd / ResumeRev.
enum : int32_t { VerdictNotSafe = -1, VerdictNone = 0, VerdictSafe = 1 };

// Bound of the rate at a boundary entered from a segment whose minimum speed
// is p: 10·p / (p − 10). At exactly 10 km/h the formula has no value; the
// bound is then 0, so any further drop of speed is not safe and only a rise
// is safe (see pivot.cpp).
double BoundRate(double previousSpeed);

// Verdict of a rate against its bound: a rate reaching the bound (within
// 0.00001) is not safe.
int32_t Verdict(double failRate, double boundRate);

// Builds segments, bounds and verdicts from MinV, Cause and Koef of every
// profile (all must be computed). `step` is called once per profile.
void BuildPivot(const TMPlan& plan, tPivotData& pivot, const tProfileStep& step = {});

}  // namespace kestrova
