#include "import/xls_container_check.h"

#include <QByteArray>
#include <QFile>
#include <QIODevice>

namespace kestrova {

namespace {

constexpr qint64 kHeaderSize = 512;
constexpr quint32 kEntrySize = 128;
constexpr quint32 kNameLengthAt = 0x40;  // within a directory entry
constexpr quint16 kNameField = 64;       // UTF-16 name with its terminator, in bytes

quint16 U16(const QByteArray& b, quint32 at) {
    return quint16(uchar(b[at]) | uchar(b[at + 1]) << 8);
}

quint32 U32(const QByteArray& b, quint32 at) {
    return quint32(U16(b, at)) | quint32(U16(b, at + 2)) << 16;
}

}  // namespace

tXlsContainerCheck CheckXlsContainer(QIODevice& file) {
    if (file.isSequential() || !file.seek(0)) return tXlsContainerCheck::NotCompoundFile;
    const QByteArray header = file.read(kHeaderSize);
    if (header.size() != kHeaderSize || !header.startsWith("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1"))
        return tXlsContainerCheck::NotCompoundFile;
    // The library reads only 512- and 4096-byte sectors and refuses the rest.
    const quint16 shift = U16(header, 0x1E);
    if (shift != 9 && shift != 12) return tXlsContainerCheck::NotCompoundFile;
    const quint32 sectorSize = 1u << shift;
    // The library finds the first directory sector in 32-bit arithmetic, so a
    // start sector near 0xFFFFFFFF wraps round (to the header itself for
    // 0xFFFFFFFF). Look where it will look.
    const quint32 offset = (U32(header, 0x30) + 1u) * sectorSize;
    if (qint64(offset) + sectorSize > file.size() || !file.seek(offset))
        return tXlsContainerCheck::DirectoryMissing;
    const QByteArray sector = file.read(sectorSize);
    if (sector.size() != qsizetype(sectorSize)) return tXlsContainerCheck::DirectoryMissing;
    // The library converts the names of this sector's entries in turn until
    // it meets the workbook stream. A sound writer keeps every length within
    // the name field (unused entries have 0), so all of them are checked.
    for (quint32 entry = 0; entry < sectorSize; entry += kEntrySize)
        if (U16(sector, entry + kNameLengthAt) > kNameField) return tXlsContainerCheck::NameTooLong;
    return tXlsContainerCheck::Sound;
}

tXlsContainerCheck CheckXlsContainer(const QString& fileName) {
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) return tXlsContainerCheck::NotCompoundFile;
    return CheckXlsContainer(file);
}

}  // namespace kestrova
