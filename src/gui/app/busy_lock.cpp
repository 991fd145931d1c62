#include "gui/app/busy_lock.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QLineEdit>
#include <QTabBar>

namespace kestrova {

namespace {

bool IsComposite(const QWidget* w) {
    return qobject_cast<const QTabBar*>(w) || qobject_cast<const QAbstractItemView*>(w) ||
           qobject_cast<const QComboBox*>(w) || qobject_cast<const QAbstractSpinBox*>(w);
}

bool IsInput(const QWidget* w) {
    return qobject_cast<const QAbstractButton*>(w) || qobject_cast<const QLineEdit*>(w) || IsComposite(w);
}

}  // namespace

std::vector<QWidget*> TBusyLock::LockableControls(QWidget* window) {
    std::vector<QWidget*> out;
    for (QWidget* w : window->findChildren<QWidget*>()) {
        const QString name = w->objectName();
        if (name.isEmpty() || name.startsWith(QLatin1String("qt_")) || !IsInput(w)) continue;
        bool part = false;  // a scroll button of the tab strip, the edit of a combo box
        for (QWidget* p = w->parentWidget(); p && p != window && !part; p = p->parentWidget()) part = IsComposite(p);
        if (!part) out.push_back(w);
    }
    return out;
}

TBusyLock::TBusyLock(QWidget* window, int& busy) : FBusy(busy) {
    ++FBusy;
    for (QWidget* w : LockableControls(window)) {
        if (w->testAttribute(Qt::WA_Disabled)) continue;  // already off by its own state
        w->setEnabled(false);
        FDisabled.emplace_back(w);
    }
}

TBusyLock::~TBusyLock() {
    for (const QPointer<QWidget>& w : FDisabled)
        if (w) w->setEnabled(true);
    --FBusy;
}

}  // namespace kestrova
