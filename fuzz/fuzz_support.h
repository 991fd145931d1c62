// Shared bits of the fuzz targets: a scratch folder that lives for the run.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

namespace kestrova::fuzz {

inline const QTemporaryDir& ScratchDir() {
    static QTemporaryDir dir;
    return dir;
}

// Writes the input to a file with the given name in the scratch folder.
inline QString WriteInput(const QString& name, const uint8_t* data, size_t size) {
    const QString path = ScratchDir().filePath(name);
    QFile f(path);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size));
    return path;
}

}  // namespace kestrova::fuzz
