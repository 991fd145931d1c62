// The product's name and version as the window title and the about page show them.
#pragma once

#include <QString>

namespace kestrova {

inline const QString kProductName = QStringLiteral("Kestrova");
// Made from the project's version (CMakeLists.txt): "v.<major>.<minor>.<build>"
// and "Version <major>.<minor>.  Build <build>".
extern const QString kVersionText;
extern const QString kAboutVersionText;

// Product name, a blank and the version text: the application title.
QString ApplicationTitle();

}  // namespace kestrova
