// Where the per-user settings file lives.
#pragma once

#include <QString>

namespace kestrova {

// The per-user application-data folder ("APPDATA" when set, else the
// platform's per-user configuration folder), then makerFolder and
// productFolder below it, created when missing. Returned with a trailing "/";
// empty when the folder cannot be had.
QString SettingsFolder(const QString& makerFolder, const QString& productFolder);

// "Kestrova.ini" in SettingsFolder("Morvanta", "Kestrova"), or in exeFolder
// when that folder cannot be had.
QString SettingsFileName(const QString& exeFolder);

}  // namespace kestrova
