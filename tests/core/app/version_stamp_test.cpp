#include "core/app/version_stamp.h"
#include "test_support.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace kestrova;
using kestrova::test::ReadFile;
using kestrova::test::WriteFile;

namespace {

const QString kConst = QStringLiteral("c_ProgVersion");

QByteArray Stamped(const char* version, qint64 stamp) {
    return QStringLiteral("Const  c_ProgVersion='%1';\r\n// Const  c_ProgVersion='%1';\r\n// FileAge = %2\r\n")
        .arg(QString::fromLatin1(version))
        .arg(stamp)
        .toUtf8();
}

struct tStampCase {
    const char* what;
    QByteArray before;
    qint64 exeStamp;
    QByteArray after;  // empty: the file stays as it was
};

class StampVersionTest : public ::testing::TestWithParam<tStampCase> {};

TEST_P(StampVersionTest, RewritesAsExpected) {
    QTemporaryDir dir;
    const QString path = dir.filePath("KestrovaVersion");
    ASSERT_TRUE(WriteFile(path, GetParam().before));
    StampVersion(path, kConst, GetParam().exeStamp);
    const QByteArray expected = GetParam().after.isEmpty() ? GetParam().before : GetParam().after;
    EXPECT_EQ(ReadFile(path), expected) << GetParam().what;
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);  // no temporary file left
}

INSTANTIATE_TEST_SUITE_P(
    Cases, StampVersionTest,
    ::testing::Values(
        tStampCase{"older stamp: next build", Stamped("v.1.4.20", 1000), 2000, Stamped("v.1.4.21", 2000)},
        tStampCase{"same stamp: left alone", Stamped("v.1.4.20", 2000), 2000, {}},
        tStampCase{"minor edited: build starts at 0",
                   "Const  c_ProgVersion='v.1.5.20';\r\n// Const  c_ProgVersion='v.1.4.20';\r\n// FileAge = 1000\r\n",
                   2000, Stamped("v.1.5.0", 2000)},
        tStampCase{"major edited: minor 0, build 1",
                   "Const  c_ProgVersion='v.2.3.20';\r\n// Const  c_ProgVersion='v.1.3.20';\r\n// FileAge = 1000\r\n",
                   2000, Stamped("v.2.0.1", 2000)},
        tStampCase{"empty file: 1.0.0", "", 2000, Stamped("v.1.0.0", 2000)},
        tStampCase{"blanks and letter case do not matter",
                   "  const C_PROGVERSION = ' V.2.5.9 ' ;\n//const c_progversion='v.2.5.9';\n// fileage = 5\n", 6,
                   Stamped("v.2.5.10", 6)},
        tStampCase{"only the current line: previous takes its value", "Const  c_ProgVersion='v.3.0.7';\r\n", 9,
                   Stamped("v.3.0.8", 9)},
        tStampCase{"only the commented line", "// Const  c_ProgVersion='v.3.0.7';\r\n", 9, Stamped("v.3.0.8", 9)},
        tStampCase{"other constants are ignored", "Const  c_Other='v.9.9.9';\r\n", 9, Stamped("v.1.0.0", 9)},
        tStampCase{"stamp not a number", "Const  c_ProgVersion='v.3.0.7';\r\n// FileAge = abc\r\n", -666, {}},
        tStampCase{"version without build", "Const  c_ProgVersion='v.3.0';\r\n", 9, Stamped("v.3.0.0", 9)}),
    [](const auto& info) { return kestrova::test::ReadableTestName(info.param.what); });

TEST(StampVersion, MissingFileIsNotCreated) {
    QTemporaryDir dir;
    const QString path = dir.filePath("KestrovaVersion");
    StampVersion(path, kConst, 100);
    EXPECT_FALSE(QFileInfo::exists(path));
}

TEST(StampVersion, FolderInPlaceOfTheFileIsLeftAlone) {
    QTemporaryDir dir;
    const QString path = dir.filePath("KestrovaVersion");
    ASSERT_TRUE(QDir().mkdir(path));
    StampVersion(path, kConst, 100);
    EXPECT_TRUE(QFileInfo(path).isDir());
}

TEST(StampVersion, BinaryContentIsReadWithoutHarm) {
    QTemporaryDir dir;
    const QString path = dir.filePath("KestrovaVersion");
    ASSERT_TRUE(WriteFile(path, QByteArray("\x00\xFF\xFE//\x00CONST\x80", 11)));
    StampVersion(path, kConst, 100);
    EXPECT_EQ(ReadFile(path), Stamped("v.1.0.0", 100));
}

TEST(StampVersion, RunningTwiceForOneBuildCountsOnce) {
    QTemporaryDir dir;
    const QString path = dir.filePath("KestrovaVersion");
    ASSERT_TRUE(WriteFile(path, Stamped("v.1.4.20", 1)));
    StampVersion(path, kConst, 50);
    StampVersion(path, kConst, 50);
    EXPECT_EQ(ReadFile(path), Stamped("v.1.4.21", 50));
    StampVersion(path, kConst, 51);
    EXPECT_EQ(ReadFile(path), Stamped("v.1.4.22", 51));
}

}  // namespace
