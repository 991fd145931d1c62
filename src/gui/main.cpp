#include "gui/app/app_icon.h"
#include "gui/app/app_object.h"
#include "gui/app/main_form.h"
#include "core/app/product.h"

int main(int argc, char** argv) {
    kestrova::TKestrovaApplication app(argc, argv);
    kestrova::TKestrovaApplication::setApplicationName(kestrova::kProductName);
    kestrova::SetApplicationIdentity();
    kestrova::TMainForm window;
    window.show();
    return app.exec();
}
