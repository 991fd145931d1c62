// Replacing a file in one step: fresh temporary names that never touch a
// user's file, and a replace that keeps both files when it cannot happen.
#include "app/file_replace.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

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

}  // namespace
}  // namespace kestrova
