#include "core/app/settings_folder.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace kestrova {

namespace {

// Longer values are not a folder the platform would hand out; they are
// treated as unset, as a fixed-size read of the variable would.
constexpr qsizetype kMaxAppDataLength = 1023;

QString WithSlash(const QString& folder) {
    return folder.endsWith(QLatin1Char('/')) || folder.endsWith(QLatin1Char('\\')) ? folder
                                                                                     : folder + QLatin1Char('/');
}

// Enters (creating when missing) one folder level below base.
bool EnterFolder(QString& base, const QString& name) {
    if (name.isEmpty()) return true;
    QDir dir(base);
    if (!dir.exists(name) && !dir.mkdir(name)) return false;
    if (!QFileInfo(dir.filePath(name)).isDir()) return false;
    base = WithSlash(dir.filePath(name));
    return true;
}

}  // namespace

QString SettingsFolder(const QString& makerFolder, const QString& productFolder) {
    const QString maker = makerFolder.trimmed();
    const QString product = productFolder.trimmed();

    QString base = qEnvironmentVariable("APPDATA");
    if (base.size() > kMaxAppDataLength) base.clear();
    if (!base.isEmpty()) {
        if (!QFileInfo(base).isDir()) return {};
    } else {
        // Outside Windows the per-user configuration folder (it may not exist yet).
        base = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
        if (base.isEmpty() || (!QFileInfo(base).isDir() && !QDir().mkpath(base))) return {};
    }
    base = WithSlash(base);

    if (!EnterFolder(base, maker) || !EnterFolder(base, product)) return {};
    return base;
}

QString SettingsFileName(const QString& exeFolder) {
    const QString folder = SettingsFolder(QStringLiteral("Morvanta"), QStringLiteral("Kestrova"));
    const QString file = QStringLiteral("Kestrova.ini");
    if (!folder.isEmpty()) return folder + file;
    return exeFolder.isEmpty() ? file : WithSlash(exeFolder) + file;
}

}  // namespace kestrova
