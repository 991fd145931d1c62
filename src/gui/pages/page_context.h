// What the pages of the main window share: the road model, the language
// engine, the window's busy count and its message box. A page reaches the
// others only through the model and the window's signals, never through
// their controls.
#pragma once

#include "gui/app/busy_lock.h"
#include "core/app/language_engine.h"
#include "core/model/road_model.h"
#include "gui/views/grid_paint.h"

#include <QString>

#include <functional>

class QProgressBar;
class QWidget;

namespace kestrova {

struct tPageContext {
    tRoadModel& Model;
    TLanguageEngine& Engine;
    QWidget* Window;                     // owner of message boxes and busy locks
    int& Busy;                           // busy locks held on the window
    std::function<tViewTab()> ViewTab;   // the drawn view the current tab shows

    bool IsBusy() const { return Busy > 0; }
    // Locks the window's controls while a long step runs (see TBusyLock).
    TBusyLock Lock() const { return TBusyLock(Window, Busy); }
    void Message(const QString& text) const;
    void MessageKey(const QString& key) const { Message(Engine.GetMessage(key)); }
    QString Text(const QString& section, const QString& key) const { return Engine.GetSectionText(section, key); }
};

// Lets pending events run, so that the window repaints during a long step.
void ProcessMessages();

// Names a new widget by the name the language and settings files know it by.
template <class T>
T* Named(T* widget, const QString& name) {
    widget->setObjectName(name);
    return widget;
}

// A hidden, textless progress bar as every page shows them.
QProgressBar* NewProgressBar(const QString& name, QWidget* parent);

// The widget keeps its place in the layout while hidden.
void KeepRoomWhenHidden(QWidget* widget);

}  // namespace kestrova
