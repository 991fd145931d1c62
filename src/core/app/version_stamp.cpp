#include "core/app/version_stamp.h"

#include "core/util/text_decoding.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>

namespace kestrova {

namespace {

// A version file of a developer is a few lines; anything larger is not one.
constexpr qint64 kMaxVersionFileSize = 1024 * 1024;

struct tVersion {
    bool Found = false;
    int Major = 0;
    int Minor = 0;
    int Build = -1;  // -1: no build
};

// "V.1.4.20" (upper-cased, without blanks). A part that fails leaves the
// version without a build; the parts read before it stay.
tVersion ParseVersion(const QString& text) {
    tVersion v;
    v.Found = true;
    if (!text.startsWith(QLatin1String("V."))) return v;
    const QStringList parts = text.mid(2).split(QLatin1Char('.'));
    bool ok = false;
    const int major = parts.value(0).toInt(&ok);
    if (!ok) return v;
    v.Major = major;
    const int minor = parts.value(1).toInt(&ok);
    if (!ok) return v;
    v.Minor = minor;
    const int build = parts.value(2).toInt(&ok);
    if (!ok || parts.size() != 3) return v;
    v.Build = build;
    return v;
}

QString VersionText(const tVersion& v) {
    return QStringLiteral("v.%1.%2.%3").arg(v.Major).arg(v.Minor).arg(v.Build);
}

}  // namespace

qint64 ExecutableTimeStamp() {
    if (!QCoreApplication::instance()) return -1;
    const QFileInfo exe(QCoreApplication::applicationFilePath());
    return exe.exists() ? exe.lastModified().toSecsSinceEpoch() : -1;
}

void StampVersion(const QString& versionFile, const QString& constantName) {
    StampVersion(versionFile, constantName, ExecutableTimeStamp());
}

void StampVersion(const QString& versionFile, const QString& constantName, qint64 exeTimeStamp) {
    QFile file(versionFile);
    if (!QFileInfo(versionFile).isFile() || !file.open(QIODevice::ReadOnly)) return;
    const qint64 size = file.size();
    if (size > kMaxVersionFileSize) return;
    const QByteArray bytes = file.read(size);
    if (bytes.size() != size || file.error() != QFileDevice::NoError) return;  // read error: no write
    file.close();

    static const QRegularExpression blanks(QStringLiteral("[ \\t]"));
    QString name = constantName;
    name.remove(blanks);
    const QString prefix = name.toUpper() + QLatin1String("='");

    tVersion current, previous;
    qint64 recorded = -1;
    static const QRegularExpression lineBreaks(QStringLiteral("[\\r\\n]+"));
    for (QString line : DecodeFileText(bytes).split(lineBreaks, Qt::SkipEmptyParts)) {
        line.remove(blanks);
        line = line.toUpper();
        if (line.isEmpty()) continue;
        bool commented = false;
        if (line.startsWith(QLatin1String("//"))) {
            line.remove(0, 2);
            if (line.isEmpty()) continue;
            commented = true;
        }
        if (line.startsWith(QLatin1String("CONST"))) {
            line.remove(0, 5);
            if (line.isEmpty()) continue;
            if (!line.startsWith(prefix) || !line.endsWith(QLatin1String("';")) ||
                line.size() < prefix.size() + 2)
                continue;
            const tVersion v = ParseVersion(line.mid(prefix.size(), line.size() - prefix.size() - 2));
            (commented ? previous : current) = v;
        } else if (commented && line.startsWith(QLatin1String("FILEAGE="))) {
            bool ok = false;
            const qint64 value = line.mid(8).toLongLong(&ok);
            recorded = ok ? value : -666;
        }
    }

    if (!current.Found && !previous.Found) current = tVersion{true, 1, 0, -1};
    if (!current.Found) current = previous;
    if (!previous.Found) previous = current;

    if (recorded == exeTimeStamp) return;

    if (current.Major != previous.Major) {
        current.Minor = previous.Minor = 0;
        current.Build = 0;
    }
    if (current.Minor == previous.Minor)
        current.Build += 1;
    else
        current.Build = 0;

    const QString version = VersionText(current);
    const QString text = QStringLiteral("Const  %1='%2';\r\n// Const  %1='%2';\r\n// FileAge = %3\r\n")
                             .arg(constantName, version)
                             .arg(exeTimeStamp);
    QSaveFile out(versionFile);
    if (!out.open(QIODevice::WriteOnly)) return;
    const QByteArray data = text.toUtf8();
    if (out.write(data) != data.size()) {
        out.cancelWriting();
        return;
    }
    out.commit();  // on failure the old file stays as it was
}

}  // namespace kestrova
