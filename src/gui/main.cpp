#include "app/main_form.h"
#include "app/product.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(kestrova::kProductName);
    kestrova::TMainForm window;
    window.show();
    return app.exec();
}
