#include "app/product.h"

namespace kestrova {

QString ApplicationTitle() { return kProductName + QLatin1Char(' ') + kVersionText; }

}  // namespace kestrova
