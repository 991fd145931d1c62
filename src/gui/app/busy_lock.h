// While an import, the calculation, grid filling or an export runs, the
// window lets pending messages run so that it repaints. A busy lock disables
// meanwhile every control that could start another long step or change the
// road model (buttons, edits, lists, grids, the tab strip), counts the window
// as busy, and at its end enables again exactly the controls it disabled.
#pragma once

#include <QPointer>
#include <QWidget>

#include <vector>

namespace kestrova {

class TBusyLock {
public:
    // `busy` counts the locks held on the window; handlers return at once while it is not 0.
    TBusyLock(QWidget* window, int& busy);
    ~TBusyLock();
    TBusyLock(const TBusyLock&) = delete;
    TBusyLock& operator=(const TBusyLock&) = delete;

    // The controls of the window a lock disables (the window's own, named
    // ones; not the parts of a composite control).
    static std::vector<QWidget*> LockableControls(QWidget* window);

private:
    std::vector<QPointer<QWidget>> FDisabled;
    int& FBusy;
};

}  // namespace kestrova
