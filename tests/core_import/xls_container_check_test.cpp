// The container check in front of libfreexl: sound workbooks pass and load as
// before; a directory entry whose name length runs past its field (which makes
// the library read beyond its buffer) is refused, and the import reports the
// file as an unreadable workbook.
#include "import/road_import.h"
#include "import/workbook_data.h"
#include "import/xls_container_check.h"

#include "import_tables.h"

#include <QBuffer>
#include <QtEndian>
#include <functional>
#include <gtest/gtest.h>

using namespace kestrova;
using namespace kestrova::test;

namespace {

quint32 DirectoryOffset(const QByteArray& xls) {
    const quint16 shift = qFromLittleEndian<quint16>(xls.constData() + 0x1E);
    return (qFromLittleEndian<quint32>(xls.constData() + 0x30) + 1) << shift;
}

void Put16(QByteArray& b, qsizetype at, quint16 v) { qToLittleEndian(v, b.data() + at); }
void Put32(QByteArray& b, qsizetype at, quint32 v) { qToLittleEndian(v, b.data() + at); }

// road.xls with the name length of directory entry `entry` set to `length`.
QByteArray WithNameLength(QByteArray xls, int entry, quint16 length) {
    Put16(xls, DirectoryOffset(xls) + 128 * entry + 0x40, length);
    return xls;
}

// A bare container with 4096-byte sectors: header, then the directory in
// sector 0 holding a root entry and a "Workbook" entry, the rest unused.
QByteArray Container4096() {
    QByteArray b(2 * 4096, '\0');
    b.replace(0, 8, QByteArray("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1"));
    Put16(b, 0x18, 0x3E);
    Put16(b, 0x1A, 4);
    Put16(b, 0x1C, 0xFFFE);
    Put16(b, 0x1E, 12);
    Put16(b, 0x20, 6);
    Put32(b, 0x30, 0);
    auto entry = [&b](int index, const QString& name, quint8 type) {
        const qsizetype at = 4096 + 128 * index;
        for (int i = 0; i < name.size(); ++i) Put16(b, at + 2 * i, name[i].unicode());
        Put16(b, at + 0x40, quint16(2 * name.size() + 2));
        b[at + 0x42] = char(type);
    };
    entry(0, QStringLiteral("Root Entry"), 5);
    entry(1, QStringLiteral("Workbook"), 2);
    return b;
}

struct tCase {
    const char* Name;
    std::function<QByteArray(const QByteArray& road)> Bytes;
    tXlsContainerCheck Expected;
};

std::vector<tCase> Cases() {
    using C = tXlsContainerCheck;
    return {
        {"road_xls", [](const QByteArray& x) { return x; }, C::Sound},
        {"found_by_fuzzing", [](const QByteArray&) { return ReadFile(TestData("bad/xls_directory_name_overrun.xls")); },
         C::NameTooLong},
        {"root_name_64", [](const QByteArray& x) { return WithNameLength(x, 0, 64); }, C::Sound},
        {"root_name_65", [](const QByteArray& x) { return WithNameLength(x, 0, 65); }, C::NameTooLong},
        {"root_name_ffff", [](const QByteArray& x) { return WithNameLength(x, 0, 0xFFFF); }, C::NameTooLong},
        {"workbook_name_5000", [](const QByteArray& x) { return WithNameLength(x, 1, 5000); }, C::NameTooLong},
        {"last_entry_name_66", [](const QByteArray& x) { return WithNameLength(x, 3, 66); }, C::NameTooLong},
        {"unused_entry_name_0", [](const QByteArray& x) { return WithNameLength(x, 3, 0); }, C::Sound},
        {"directory_start_wraps_to_header",
         [](QByteArray x) {
             // 0xFFFFFFFF + 1 wraps to 0: the library takes the header (whose
             // DIFAT is all 0xFF bytes) for the directory.
             Put32(x, 0x30, 0xFFFFFFFF);
             return x;
         },
         C::NameTooLong},
        {"directory_beyond_end",
         [](QByteArray x) {
             Put32(x, 0x30, 1000);
             return x;
         },
         C::DirectoryMissing},
        {"cut_inside_directory", [](const QByteArray& x) { return x.left(DirectoryOffset(x) + 100); },
         C::DirectoryMissing},
        {"cut_inside_header", [](const QByteArray& x) { return x.left(300); }, C::NotCompoundFile},
        {"sector_shift_10",
         [](QByteArray x) {
             Put16(x, 0x1E, 10);
             return x;
         },
         C::NotCompoundFile},
        {"no_signature",
         [](QByteArray x) {
             x[7] = 'x';
             return x;
         },
         C::NotCompoundFile},
        {"empty", [](const QByteArray&) { return QByteArray(); }, C::NotCompoundFile},
        {"sectors_4096", [](const QByteArray&) { return Container4096(); }, C::Sound},
        {"sectors_4096_last_entry_name_66",
         [](const QByteArray&) {
             QByteArray b = Container4096();
             Put16(b, 4096 + 128 * 31 + 0x40, 66);
             return b;
         },
         C::NameTooLong},
    };
}

TEST(XlsContainerCheck, JudgesEachContainer) {
    const QByteArray road = ReadFile(TestData("import/road.xls"));
    ASSERT_GT(road.size(), 4096);
    tTableFiles files;
    for (const tCase& c : Cases()) {
        const QByteArray bytes = c.Bytes(road);
        const QString path = files.Raw(QString::fromLatin1(c.Name) + ".xls", bytes);
        EXPECT_EQ(CheckXlsContainer(path), c.Expected) << c.Name;
        QByteArray copy = bytes;
        QBuffer buffer(&copy);
        ASSERT_TRUE(buffer.open(QIODevice::ReadOnly));
        EXPECT_EQ(CheckXlsContainer(buffer), c.Expected) << c.Name << " (in memory)";
    }
}

TEST(XlsContainerCheck, RefusedWorkbooksReportTheOpenError) {
    const QByteArray road = ReadFile(TestData("import/road.xls"));
    tTableFiles files;
    for (const tCase& c : Cases()) {
        if (QByteArray(c.Name).startsWith("sectors_4096")) continue;  // bare containers, no workbook stream
        const QString path = files.Raw(QString::fromLatin1(c.Name) + ".xls", c.Bytes(road));
        tRoadModel model;
        const tImportResult r = ImportRoad(path, model);
        if (c.Expected == tXlsContainerCheck::Sound) {
            // Only the directory changed: the road reads as from the original.
            EXPECT_TRUE(r.Success) << c.Name << " " << r.Failure.Key.toStdString();
            EXPECT_GE(model.Plan.Count(), 3) << c.Name;
        } else {
            EXPECT_FALSE(r.Success) << c.Name;
            EXPECT_EQ(r.Failure.Key, "LoadData.ExcelOpenError") << c.Name;
            EXPECT_EQ(OpenXlsReader(path), nullptr) << c.Name;
        }
    }
}

TEST(XlsContainerCheck, SoundWorkbookOpensWithItsSheets) {
    const auto reader = OpenXlsReader(TestData("import/road.xls"));
    ASSERT_NE(reader, nullptr);
    EXPECT_EQ(reader->SheetNames().size(), 3);
}

}  // namespace
