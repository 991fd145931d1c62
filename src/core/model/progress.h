// How long-running core work (imports, the calculation, exports) reports back
// to whoever runs it: the window advances a progress bar, shows log lines and
// repaints; the batch program may collect the log. Core code never touches a widget.
#pragma once

#include "model/message.h"

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

    void Max(int m) const { if (SetMaximum) SetMaximum(m); }
    void Pos(int p) const { if (SetPosition) SetPosition(p); }
    void Line(const tMessage& m) const { if (Log) Log(m); }
    void Line(const QString& key) const { if (Log) Log(tMessage(key)); }
    void Tell(const tMessage& m) const { if (Notify) Notify(m); }
    void Idle() const { if (Yield) Yield(); }
};

}  // namespace kestrova
