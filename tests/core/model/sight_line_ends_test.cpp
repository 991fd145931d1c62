// The ends of a crossroads sight line come from the crossroad's samples and
// the look's cut targets; a line naming anything the model lacks is refused.
#include "core/model/road_model.h"

#include <gtest/gtest.h>

namespace kestrova {
namespace {

TEST(SightLineEnds, ReadsTheSampleAndTheCutAndRefusesWhatIsMissing) {
    tCrossRoads roads;
    roads.Roads.resize(2);
    roads.Roads[1].Samples[0] = {tSightPoint(tRoadPoint{1, 2, 3}), tSightPoint(tRoadPoint{4, 5, 6})};
    roads.Roads[1].Samples[1] = {tSightPoint(tRoadPoint{7, 8, 9})};
    tXCrossLookDir look;
    look.CutTargets = {tSightPoint(tRoadPoint{10, 11, 12})};

    const struct {
        const char* What;
        int Side;
        tSightLine Line;
        bool Found;
        double ObserverX, TargetX;
    } cases[] = {
        {"clear line reaches its sample", 0, {1, 1, -1}, true, 4, 4},
        {"cut line ends at its cut", 0, {1, 0, 0}, true, 1, 10},
        {"the other side's samples", 1, {1, 0, -1}, true, 7, 7},
        {"no crossroad", 0, {-1, 0, -1}, false, 0, 0},
        {"crossroad beyond the list", 0, {2, 0, -1}, false, 0, 0},
        {"crossroad without samples", 0, {0, 0, -1}, false, 0, 0},
        {"sample beyond the side", 1, {1, 1, -1}, false, 0, 0},
        {"negative sample", 0, {1, -1, -1}, false, 0, 0},
        {"cut beyond the targets", 0, {1, 0, 1}, false, 0, 0},
        {"no such side", 2, {1, 0, -1}, false, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.What);
        tSightLineEnds ends;
        ASSERT_EQ(SightLineEnds(roads, look, c.Side, c.Line, ends), c.Found);
        if (!c.Found) continue;
        EXPECT_EQ(ends.Observer.X, c.ObserverX);
        EXPECT_EQ(ends.Target.X, c.TargetX);
    }
}

}  // namespace
}  // namespace kestrova
