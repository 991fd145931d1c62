#include "app/app_icon.h"
#include "app/app_object.h"
#include "app/main_form.h"
#include "app/product.h"

int main(int argc, char** argv) {
    kestrova::TKestrovaApplication app(argc, argv);
    kestrova::TKestrovaApplication::setApplicationName(kestrova::kProductName);
    kestrova::SetApplicationIdentity();
    kestrova::TMainForm window;
    window.show();
    return app.exec();
}
