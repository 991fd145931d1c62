#include "app/file_replace.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <filesystem>
#include <system_error>

namespace kestrova {

namespace {

std::filesystem::path NativePath(const QString& name) {
#ifdef _WIN32
    return std::filesystem::path(name.toStdWString());
#else
    return std::filesystem::path(QFile::encodeName(name).toStdString());
#endif
}

}  // namespace

QString CreateTemporaryBeside(const QString& target, const QString& suffix) {
    const QFileInfo info(target);
    QTemporaryFile file(info.absolutePath() + QLatin1Char('/') + QLatin1Char('.') + info.fileName() +
                        QStringLiteral(".XXXXXX") + suffix);
    file.setAutoRemove(false);
    if (!file.open()) return QString();
    return file.fileName();
}

bool ReplaceFile(const QString& source, const QString& target) {
    std::error_code error;
    std::filesystem::rename(NativePath(source), NativePath(target), error);
    return !error;
}

}  // namespace kestrova
