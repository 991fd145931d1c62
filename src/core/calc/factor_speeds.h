// Speeds permitted by each road factor, the minimum per direction with its
// cause, the non-compliance rate, and the conversions between a speed and a
// sight distance. Speeds are km/h, stored as whole numbers.
#pragma once

#include "model/road_model.h"

#include <cstdint>

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

}  // namespace kestrova
