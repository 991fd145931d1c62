#include "core/util/file_replace.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

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

// Six letters or digits, as a unique part of a temporary name.
QString RandomTag() {
    static const char kChars[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    QString tag;
    for (int i = 0; i < 6; ++i)
        tag += QLatin1Char(kChars[QRandomGenerator::global()->bounded(int(sizeof(kChars) - 1))]);
    return tag;
}

}  // namespace

QFile::Permissions OrdinaryFilePermissions() {
    return QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser | QFile::ReadGroup |
           QFile::WriteGroup | QFile::ReadOther | QFile::WriteOther;
}

QString CreateTemporaryBeside(const QString& target, const QString& suffix) {
    const QFileInfo info(target);
    const QString stem = info.absolutePath() + QLatin1Char('/') + QLatin1Char('.') + info.fileName() + QLatin1Char('.');
    // The file becomes the user's output once renamed: it is made as any new
    // file is, with the permissions the user's umask leaves, not private to
    // the owner as a temporary file usually is.
    for (int attempt = 0; attempt < 64; ++attempt) {
        const QString name = stem + RandomTag() + suffix;
        QFile file(name);
        if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly, OrdinaryFilePermissions())) return name;
        if (!QFileInfo::exists(name)) break;  // the folder takes no file; another name will not help
    }
    return QString();
}

bool ReplaceFile(const QString& source, const QString& target) {
    // A file that is replaced keeps its permissions, as when it is rewritten in place.
    const QFileInfo old(target);
    if (old.isFile()) QFile::setPermissions(source, QFile::permissions(target));
    std::error_code error;
    std::filesystem::rename(NativePath(source), NativePath(target), error);
    return !error;
}

TReplacingFile::TReplacingFile(const QString& target, const QString& suffix, bool mayWriteInPlace)
    : FTarget(QFileInfo(target).absoluteFilePath()), FMayWriteInPlace(mayWriteInPlace) {
    MakeTemporary = [this, suffix] { return CreateTemporaryBeside(FTarget, suffix); };
    FolderTakesNewFiles = [this] { return QFileInfo(QFileInfo(FTarget).absolutePath()).isWritable(); };
}

TReplacingFile::~TReplacingFile() {
    if (!FDone) Cancel();
}

bool TReplacingFile::Open() {
    const QFileInfo target(FTarget);
    if (target.isDir()) return false;
    FTemp = MakeTemporary();
    if (!FTemp.isEmpty()) {
        FFile.setFileName(FTemp);
        if (FFile.open(QIODevice::WriteOnly | QIODevice::Truncate)) return true;
        QFile::remove(FTemp);
        FTemp.clear();
        return false;
    }
    if (!FMayWriteInPlace || !target.isFile() || !target.isWritable() || FolderTakesNewFiles()) return false;
    FFile.setFileName(FTarget);
    FInPlace = FFile.open(QIODevice::WriteOnly | QIODevice::Truncate);
    return FInPlace;
}

bool TReplacingFile::Write(const QByteArray& bytes) { return FFile.isOpen() && FFile.write(bytes) == bytes.size(); }

bool TReplacingFile::Commit() {
    if (!FFile.isOpen()) return false;
    bool ok = FFile.flush();
    FFile.close();
    ok = ok && FFile.error() == QFileDevice::NoError;
    FDone = true;
    if (FInPlace) return ok;
    ok = ok && ReplaceFile(FTemp, FTarget);
    if (!ok) QFile::remove(FTemp);
    return ok;
}

void TReplacingFile::Cancel() {
    FDone = true;
    if (FFile.isOpen()) FFile.close();
    if (!FTemp.isEmpty() && !FInPlace) QFile::remove(FTemp);
}

}  // namespace kestrova
