// The product's name and version as the window title and the about page show them.
#pragma once

#include <QString>

namespace kestrova {

inline const QString kProductName = QStringLiteral("Kestrova");
inline const QString kVersionText = QStringLiteral("v.3.0.702");
inline const QString kAboutVersionText = QStringLiteral("Version 3.0.  Build 702");

// Product name, a blank and the version text: the application title.
QString ApplicationTitle();

}  // namespace kestrova
