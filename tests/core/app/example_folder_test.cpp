#include "core/app/example_folder.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace kestrova;

namespace {

struct tExampleCase {
    const char* what;
    QStringList folders;  // made below the temporary root
    const char* file;     // an empty file made below the root, or nullptr
    const char* exeFolder;
    const char* expected;  // relative to the temporary root
};

class ExampleFolderTest : public ::testing::TestWithParam<tExampleCase> {};

TEST_P(ExampleFolderTest, FindsTheExampleRoad) {
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    for (const QString& f : GetParam().folders) ASSERT_TRUE(QDir(root.path()).mkpath(f)) << qPrintable(f);
    if (GetParam().file) {
        QFile file(root.filePath(QString::fromLatin1(GetParam().file)));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    const QString exe = root.filePath(QString::fromLatin1(GetParam().exeFolder));
    EXPECT_EQ(ExampleFolder(exe), root.filePath(QString::fromLatin1(GetParam().expected)) + QLatin1Char('/'))
        << GetParam().what;
    EXPECT_EQ(ExampleFolder(exe + QLatin1Char('/')), root.filePath(QString::fromLatin1(GetParam().expected)) + QLatin1Char('/'))
        << GetParam().what << " (folder given with a trailing slash)";
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, ExampleFolderTest,
    ::testing::Values(
        tExampleCase{"build tree", {"bin/examples"}, nullptr, "bin", "bin/examples"},
        tExampleCase{"installed package", {"usr/lib/kestrova", "usr/share/kestrova/examples"}, nullptr,
                     "usr/lib/kestrova", "usr/share/kestrova/examples"},
        tExampleCase{"beside the executable wins", {"usr/lib/kestrova/examples", "usr/share/kestrova/examples"},
                     nullptr, "usr/lib/kestrova", "usr/lib/kestrova/examples"},
        tExampleCase{"a file named examples beside is no folder", {"usr/lib/kestrova", "usr/share/kestrova/examples"},
                     "usr/lib/kestrova/examples", "usr/lib/kestrova", "usr/share/kestrova/examples"},
        tExampleCase{"neither", {"opt/k"}, nullptr, "opt/k", "opt/k/examples"}));

}  // namespace
