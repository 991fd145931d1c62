#include "app/main_form.h"

#include "app/product.h"

namespace kestrova {

TMainForm::TMainForm(QWidget* parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("MainForm"));
    setMinimumSize(800, 600);
    resize(800, 600);
    setWindowTitle(ApplicationTitle());
}

}  // namespace kestrova
