#include "gui/app/app_icon.h"

#include <QGuiApplication>

static void InitKestrovaIconResources() { Q_INIT_RESOURCE(kestrova); }

namespace kestrova {

QIcon ApplicationIcon() {
    InitKestrovaIconResources();
    QIcon icon;
    for (int size : {16, 32, 48, 64, 256})
        icon.addFile(QStringLiteral(":/icons/kestrova-%1.png").arg(size), QSize(size, size));
    return icon;
}

void SetApplicationIdentity() {
    QGuiApplication::setDesktopFileName(QStringLiteral("kestrova"));
    QGuiApplication::setWindowIcon(ApplicationIcon());
}

}  // namespace kestrova
