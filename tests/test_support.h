// Small helpers shared by the test programs.
#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>

namespace kestrova::test {

inline QString SourceDir() { return QStringLiteral(KESTROVA_SOURCE_DIR); }
inline QString TestData(const QString& name) { return QStringLiteral(KESTROVA_TEST_DATA) + QLatin1Char('/') + name; }
inline QString BinDir() { return QStringLiteral(KESTROVA_BIN_DIR); }

inline bool WriteFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
    return f.write(bytes) == bytes.size();
}

inline QByteArray ReadFile(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return {};
    return f.readAll();
}

}  // namespace kestrova::test
