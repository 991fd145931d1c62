// The sight stages of the calculation run, computed faster with exactly the
// results of the plain routines of sight_check.h:
//  - each profile's central span and ground segments are taken once, after the
//    vegetation/buildings preparation (the sections do not change afterwards);
//  - the observers' sight lines are computed side-effect free on several
//    threads, block by block, and their effects on the profiles are then
//    applied one observer after the other in the order of the plain scan;
//  - the look-speed pass finds the shortened range with checks that stop at
//    the first obstruction and replays only the effects that outlive the
//    pass (falling back to the plain pass for an observer where a shorter
//    check would not overwrite everything a longer one wrote).
#pragma once

#include "calc/sight_check.h"

#include <cstdint>
#include <vector>

namespace kestrova {

// Per-profile geometry the fast stages read instead of the segment chain.
struct tFastGround {
    double AX, AY, AH, BX, BY, BH;
};
struct tFastProfile {
    bool HasSegments = false;
    bool Upright = false;  // the section stands upright in X: ground found along Y
    double LX = 0, LY = 0, RX = 0, RY = 0, LH = 0, RH = 0;
    tCentralSpan Span;
    int32_t FirstGround = 0;  // range in tFastSight::Ground of segments of some length
    int32_t GroundCount = 0;
};

struct tFastSight {
    std::vector<tFastProfile> Profiles;
    std::vector<tFastGround> Ground;
    std::vector<uint8_t> CentreWritten;  // RoadCentre already holds its span's midpoint
    int Threads = 1;
    int BlockSize = 256;
};

// Takes the section geometry of every profile; run after PrepareGreens.
// threads = 0 uses the machine's hardware threads.
tFastSight MakeFastSight(const TMPlan& plan, int threads = 0);

void FastForwardScan(TMPlan& plan, tFastSight& fast, tProgressCounter& progress);
void FastForwardLookSpeeds(TMPlan& plan, tFastSight& fast);
void FastReverseScan(TMPlan& plan, tFastSight& fast, tProgressCounter& progress);
void FastReverseLookSpeeds(TMPlan& plan, tFastSight& fast);

}  // namespace kestrova
