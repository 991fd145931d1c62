#include "core/app/example_folder.h"

#include <QDir>
#include <QFileInfo>

namespace kestrova {

QString ExampleFolder(const QString& exeFolder) {
    const QDir exeDir(exeFolder);
    const QString beside = exeDir.filePath(QStringLiteral("examples"));
    if (QFileInfo(beside).isDir()) return beside + QLatin1Char('/');
    // <prefix>/lib/kestrova/kestrova and <prefix>/share/kestrova/examples
    const QString shared = QDir::cleanPath(exeDir.filePath(QStringLiteral("../../share/kestrova/examples")));
    if (QFileInfo(shared).isDir()) return shared + QLatin1Char('/');
    return beside + QLatin1Char('/');
}

}  // namespace kestrova
