#include "core/app/product.h"

#include "kestrova_version.h"

namespace kestrova {

const QString kVersionText = QStringLiteral("v." KESTROVA_VERSION);
const QString kAboutVersionText =
    QStringLiteral("Version " KESTROVA_VERSION_MAJOR "." KESTROVA_VERSION_MINOR ".  Build " KESTROVA_VERSION_BUILD);

QString ApplicationTitle() { return kProductName + QLatin1Char(' ') + kVersionText; }

}  // namespace kestrova
