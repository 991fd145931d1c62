// The application object: reports every exception that escapes an event
// handler in one error box and lets the application go on.
#pragma once

#include <QApplication>

namespace kestrova {

class TKestrovaApplication final : public QApplication {
public:
    TKestrovaApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};

// "Application error : " and the message, then, when the sender has a name,
// a line break, "Component : " and that name.
QString ApplicationErrorText(const QString& message, const QObject* sender);

// Shows the error box for an exception that reached the event loop.
void ReportApplicationError(const QString& message, const QObject* sender);

}  // namespace kestrova
