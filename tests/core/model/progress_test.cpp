// The progress counter: without an interval every position and yield reaches
// the receiver; with the window's interval they are held back, and the last
// position is passed on before a new maximum, a log line, a message or Flush.
#include "core/model/progress.h"

#include <gtest/gtest.h>

#include <functional>
#include <thread>
#include <vector>

using namespace kestrova;

namespace {

struct tSeen {
    std::vector<int> Positions;
    std::vector<int> Maxima;
    int Yields = 0;
    int Lines = 0;
};

tProgress Counting(tSeen& seen, std::chrono::milliseconds interval) {
    tProgress p;
    p.Interval = interval;
    p.SetPosition = [&seen](int v) { seen.Positions.push_back(v); };
    p.SetMaximum = [&seen](int m) { seen.Maxima.push_back(m); };
    p.Yield = [&seen] { ++seen.Yields; };
    p.Log = [&seen](const tMessage&) { ++seen.Lines; };
    p.Notify = [&seen](const tMessage&) { ++seen.Lines; };
    return p;
}

TEST(Progress, WithoutIntervalEveryCallPasses) {
    tSeen seen;
    const tProgress p = Counting(seen, std::chrono::milliseconds(0));
    for (int i = 1; i <= 100; ++i) {
        p.Pos(i);
        p.Idle();
    }
    EXPECT_EQ(seen.Positions.size(), 100u);
    EXPECT_EQ(seen.Yields, 100);
}

TEST(Progress, WithIntervalTheLastValueIsAlwaysShown) {
    struct tCase {
        const char* Name;
        std::function<void(const tProgress&)> Finish;
        int Maxima, Lines;
    };
    const std::vector<tCase> cases = {
        {"flush", [](const tProgress& p) { p.Flush(); }, 0, 0},
        {"show last", [](const tProgress& p) { p.ShowLast(); }, 0, 0},
        {"new maximum", [](const tProgress& p) { p.Max(7); }, 1, 0},
        {"log line", [](const tProgress& p) { p.Line(QStringLiteral("k")); }, 0, 1},
        {"message", [](const tProgress& p) { p.Tell(tMessage(QStringLiteral("k"))); }, 0, 1},
    };
    for (const auto& c : cases) {
        tSeen seen;
        const tProgress p = Counting(seen, std::chrono::hours(1));
        for (int i = 1; i <= 10000; ++i) {
            p.Pos(i);
            p.Idle();
        }
        // The first call passes at once; the rest wait for the interval.
        EXPECT_EQ(seen.Positions, std::vector<int>{1}) << c.Name;
        EXPECT_EQ(seen.Yields, 1) << c.Name;
        c.Finish(p);
        ASSERT_FALSE(seen.Positions.empty()) << c.Name;
        EXPECT_EQ(seen.Positions.back(), 10000) << c.Name;
        EXPECT_EQ(int(seen.Maxima.size()), c.Maxima) << c.Name;
        EXPECT_EQ(seen.Lines, c.Lines) << c.Name;
    }
}

TEST(Progress, WithIntervalPositionsPassOncePerInterval) {
    tSeen seen;
    const tProgress p = Counting(seen, std::chrono::milliseconds(200));
    p.Pos(1);
    p.Pos(2);
    std::this_thread::sleep_for(std::chrono::milliseconds(250));
    p.Pos(3);
    EXPECT_EQ(seen.Positions, (std::vector<int>{1, 3}));
}

}  // namespace
