#include "gui/pages/page_context.h"

#include "core/app/product.h"
#include "gui/app/ui_seam.h"

#include <QCoreApplication>
#include <QProgressBar>

namespace kestrova {

void tPageContext::Message(const QString& text) const {
    UiSeam().ShowMessage(Window, ApplicationTitle(), text, tBoxIcon::None);
}

void ProcessMessages() { QCoreApplication::processEvents(QEventLoop::AllEvents, 50); }

QProgressBar* NewProgressBar(const QString& name, QWidget* parent) {
    auto* bar = Named(new QProgressBar(parent), name);
    bar->setTextVisible(false);
    bar->setMaximumHeight(16);
    bar->hide();
    return bar;
}

void KeepRoomWhenHidden(QWidget* widget) {
    QSizePolicy policy = widget->sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    widget->setSizePolicy(policy);
}

}  // namespace kestrova
