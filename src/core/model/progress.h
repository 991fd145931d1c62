// How long-running core work (imports, the calculation, exports) reports back
// to whoever runs it: the window advances a progress bar, shows log lines and
// repaints; the batch program may collect the log. Core code never touches a widget.
#pragma once

#include "core/model/message.h"

#include <chrono>
#include <functional>

namespace kestrova {

struct tProgress {
    std::function<void(int maximum)> SetMaximum;
    std::function<void(int position)> SetPosition;
    // One log line (calculation log) as a message to translate.
    std::function<void(const tMessage& line)> Log;
    // A message the window shows in a message box (for example crossroads
    // without a single crossing); the work goes on.
    std::function<void(const tMessage& message)> Notify;
    // Lets the receiver keep the window painted; called at fixed intervals.
    std::function<void()> Yield;

    // With an interval, positions and yields reach the receiver at most once
    // per interval (the window sets kWindowInterval: work that reports every
    // row would otherwise spend its time repainting). A held-back position is
    // passed on before the next maximum, log line or message, and by Flush,
    // so the last value is always shown. Zero passes on every call.
    static constexpr std::chrono::milliseconds kWindowInterval{30};
    std::chrono::milliseconds Interval{0};

    void Max(int m) const {
        if (!SetMaximum) return;
        ShowPending();
        SetMaximum(m);
    }
    void Pos(int p) const {
        if (!SetPosition) return;
        Pending = p;
        HasPending = true;
        if (Interval.count() > 0) {
            const auto now = Clock::now();
            if (now - LastShown < Interval) return;
            LastShown = now;
        }
        ShowPending();
    }
    void Line(const tMessage& m) const {
        if (!Log) return;
        ShowPending();
        Log(m);
    }
    void Line(const QString& key) const { Line(tMessage(key)); }
    void Tell(const tMessage& m) const {
        if (!Notify) return;
        ShowPending();
        Notify(m);
    }
    void Idle() const {
        if (!Yield) return;
        if (Interval.count() > 0) {
            const auto now = Clock::now();
            if (now - LastYield < Interval) return;
            LastYield = now;
        }
        Yield();
    }
    // Passes on a held-back position.
    void ShowLast() const { ShowPending(); }
    // Shows the held-back position and lets the receiver repaint now.
    void Flush() const {
        ShowPending();
        if (!Yield) return;
        if (Interval.count() > 0) LastYield = Clock::now();
        Yield();
    }

private:
    using Clock = std::chrono::steady_clock;
    void ShowPending() const {
        if (!HasPending || !SetPosition) return;
        HasPending = false;
        SetPosition(Pending);
    }
    mutable Clock::time_point LastShown{};
    mutable Clock::time_point LastYield{};
    mutable int Pending = 0;
    mutable bool HasPending = false;
};

}  // namespace kestrova
