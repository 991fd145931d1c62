#include "gui/app/app_object.h"

#include "core/app/product.h"
#include "gui/app/ui_seam.h"

#include <exception>

namespace kestrova {

TKestrovaApplication::TKestrovaApplication(int& argc, char** argv) : QApplication(argc, argv) {}

QString ApplicationErrorText(const QString& message, const QObject* sender) {
    QString text = QStringLiteral("Application error : ") + message;
    if (sender && !sender->objectName().isEmpty())
        text += QStringLiteral("\r\nComponent : ") + sender->objectName();
    return text;
}

void ReportApplicationError(const QString& message, const QObject* sender) {
    UiSeam().ShowMessage(nullptr, ApplicationTitle(), ApplicationErrorText(message, sender), tBoxIcon::Error);
}

bool TKestrovaApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
        ReportApplicationError(QString::fromLocal8Bit(e.what()), receiver);
    } catch (...) {
        ReportApplicationError(QStringLiteral("unknown error"), receiver);
    }
    return false;
}

}  // namespace kestrova
