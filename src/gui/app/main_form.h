// The one main window of the application.
#pragma once

#include <QMainWindow>

namespace kestrova {

class TMainForm : public QMainWindow {
    Q_OBJECT
public:
    explicit TMainForm(QWidget* parent = nullptr);
};

}  // namespace kestrova
