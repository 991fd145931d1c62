// Replacing a file in one step: fresh temporary names that never touch a
// user's file, and a replace that keeps both files when it cannot happen.
#include "core/util/file_replace.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <string>

namespace kestrova {
namespace {

QByteArray ReadAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

bool Put(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

TEST(FileReplace, TemporaryNamesAreFreshAndBesideTheTarget) {
    QTemporaryDir dir;
    const QString target = dir.filePath("road.xlsx");
    // Files a user might have under names a writer could think of.
    for (const char* name : {"road.xlsx.part", "road.xlsx.partial", ".road.xlsx.part"})
        ASSERT_TRUE(Put(dir.filePath(name), "mine"));
    const QString a = CreateTemporaryBeside(target, ".xlsx");
    const QString b = CreateTemporaryBeside(target, ".xlsx");
    ASSERT_FALSE(a.isEmpty());
    ASSERT_FALSE(b.isEmpty());
    EXPECT_NE(a, b);
    for (const QString& t : {a, b}) {
        EXPECT_EQ(QFileInfo(t).absolutePath(), QFileInfo(target).absolutePath());
        EXPECT_TRUE(t.endsWith(".xlsx"));
        EXPECT_EQ(ReadAll(t), QByteArray());
    }
    for (const char* name : {"road.xlsx.part", "road.xlsx.partial", ".road.xlsx.part"})
        EXPECT_EQ(ReadAll(dir.filePath(name)), "mine") << name;
    EXPECT_TRUE(CreateTemporaryBeside(dir.filePath("no/such/folder/road.xlsx"), ".xlsx").isEmpty());
}

TEST(FileReplace, ReplacesOrKeepsBothFiles) {
    const struct {
        const char* Name;
        bool TargetExists, TargetIsFolder, SourceExists, Replaced;
    } cases[] = {
        {"NewTarget", false, false, true, true},
        {"ExistingTarget", true, false, true, true},
        {"FolderInTheWay", false, true, true, false},
        {"NoSource", true, false, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        QTemporaryDir dir;
        const QString source = dir.filePath("new.tmp"), target = dir.filePath("out.csv");
        if (c.SourceExists) {
            ASSERT_TRUE(Put(source, "new"));
        }
        if (c.TargetExists) {
            ASSERT_TRUE(Put(target, "old"));
        }
        if (c.TargetIsFolder) {
            ASSERT_TRUE(QDir(dir.path()).mkpath("out.csv/inside"));
        }
        EXPECT_EQ(ReplaceFile(source, target), c.Replaced);
        if (c.Replaced) {
            EXPECT_EQ(ReadAll(target), "new");
            EXPECT_FALSE(QFile::exists(source));
        } else {
            EXPECT_EQ(ReadAll(source), c.SourceExists ? QByteArray("new") : QByteArray("<missing>"));
            if (!c.TargetIsFolder) {
                EXPECT_EQ(ReadAll(target), c.TargetExists ? QByteArray("old") : QByteArray("<missing>"));
            }
            EXPECT_EQ(QFileInfo(target).isDir(), c.TargetIsFolder);
        }
    }
}

// What the writer does when no temporary file can be made beside the target:
// it writes in place only over an existing file the user may write, in a
// folder that takes no new file. The failure to make the temporary file is
// put in by the test, so that the choice is made as root too.
struct tInPlaceCase {
    const char* Name;
    bool MayWriteInPlace;
    bool TemporaryMade;
    bool FolderTakesNewFiles;
    enum { Missing, File, Folder } Target;
    bool Opens;
    bool InPlace;
};

class ReplacingFileWithoutTemporary : public ::testing::TestWithParam<tInPlaceCase> {};

TEST_P(ReplacingFileWithoutTemporary, WritesInPlaceOnlyInAReadOnlyFolder) {
    const tInPlaceCase& c = GetParam();
    QTemporaryDir dir;
    const QString target = dir.filePath("grid.csv");
    if (c.Target == tInPlaceCase::File) {
        ASSERT_TRUE(Put(target, "old contents that are longer"));
    }
    if (c.Target == tInPlaceCase::Folder) {
        ASSERT_TRUE(QDir(dir.path()).mkpath("grid.csv"));
    }
    QString temp;
    {
        TReplacingFile file(target, ".csv", c.MayWriteInPlace);
        if (!c.TemporaryMade) file.MakeTemporary = [] { return QString(); };
        file.FolderTakesNewFiles = [&] { return c.FolderTakesNewFiles; };
        ASSERT_EQ(file.Open(), c.Opens);
        EXPECT_EQ(file.InPlace(), c.InPlace);
        if (c.Opens) {
            EXPECT_TRUE(file.Write("new"));
            // Written in place, the old contents are gone at once; else only at the commit.
            if (c.Target == tInPlaceCase::File) {
                EXPECT_EQ(ReadAll(target) == "old contents that are longer", !c.InPlace);
            }
            EXPECT_TRUE(file.Commit());
        }
    }
    const QStringList left = QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    if (c.Target == tInPlaceCase::Missing && !c.Opens) {
        EXPECT_EQ(left, QStringList());
    } else {
        EXPECT_EQ(left, QStringList{"grid.csv"});
    }
    if (c.Target == tInPlaceCase::File) {
        EXPECT_EQ(ReadAll(target), c.Opens ? QByteArray("new") : QByteArray("old contents that are longer"));
    }
    if (c.Target == tInPlaceCase::Folder) {
        EXPECT_TRUE(QFileInfo(target).isDir());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ReplacingFileWithoutTemporary,
    ::testing::Values(
        // A writable file in a read-only folder: the one case written in place.
        tInPlaceCase{"ReadOnlyFolder", true, false, false, tInPlaceCase::File, true, true},
        // The folder takes files, yet none could be made (a full disk): no fallback.
        tInPlaceCase{"FullDisk", true, false, true, tInPlaceCase::File, false, false},
        tInPlaceCase{"NoFileToOverwrite", true, false, false, tInPlaceCase::Missing, false, false},
        tInPlaceCase{"FolderInThePlace", true, false, false, tInPlaceCase::Folder, false, false},
        tInPlaceCase{"FallbackNotAllowed", false, false, false, tInPlaceCase::File, false, false},
        // With a temporary file nothing is ever written in place.
        tInPlaceCase{"TemporaryMade", true, true, false, tInPlaceCase::File, true, false},
        tInPlaceCase{"TemporaryMadeNewFile", true, true, true, tInPlaceCase::Missing, true, false}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST(ReplacingFile, CancelKeepsTheOldFileAndLeavesNothing) {
    QTemporaryDir dir;
    const QString target = dir.filePath("grid.csv");
    ASSERT_TRUE(Put(target, "old"));
    {
        TReplacingFile file(target, ".csv", true);
        ASSERT_TRUE(file.Open());
        EXPECT_TRUE(file.Write("new"));
    }  // not committed
    EXPECT_EQ(ReadAll(target), "old");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList{"grid.csv"});
}

// The same with a real read-only folder, where the system enforces modes
// (not for root, who may create files anywhere).
TEST(ReplacingFile, RealReadOnlyFolderIsWrittenInPlace) {
    QTemporaryDir dir;
    const QString folder = dir.filePath("locked");
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString target = folder + "/grid.csv";
    ASSERT_TRUE(Put(target, "old"));
    ASSERT_TRUE(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner));
    const bool enforced = CreateTemporaryBeside(target, ".csv").isEmpty();
    if (enforced) {
        TReplacingFile file(target, ".csv", true);
        EXPECT_TRUE(file.Open());
        EXPECT_TRUE(file.InPlace());
        EXPECT_TRUE(file.Write("new"));
        EXPECT_TRUE(file.Commit());
    }
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    if (!enforced) GTEST_SKIP() << "file modes are not enforced for this user";
    EXPECT_EQ(ReadAll(target), "new");
    EXPECT_EQ(QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList{"grid.csv"});
}

}  // namespace
}  // namespace kestrova
