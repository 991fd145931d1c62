#include "core/util/ini_file.h"
#include "test_support.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>

using namespace kestrova;
using kestrova::test::ReadFile;
using kestrova::test::WriteFile;

namespace {

class IniFileTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString Path(const QString& name = QStringLiteral("test.ini")) const { return dir.filePath(name); }
    QString Make(const QByteArray& bytes, const QString& name = QStringLiteral("test.ini")) {
        const QString path = Path(name);
        EXPECT_TRUE(WriteFile(path, bytes));
        return path;
    }
};

struct tReadCase {
    const char* what;
    QByteArray content;
    QString section;
    QString key;
    QString expected;  // "<def>" when the default must come back
};

class IniReadTest : public IniFileTest, public ::testing::WithParamInterface<tReadCase> {};

TEST_P(IniReadTest, FindsValueByLineSyntax) {
    const tReadCase& c = GetParam();
    TIniFile ini(Make(c.content), true);
    ASSERT_TRUE(ini.IsLoaded());
    EXPECT_EQ(ini.ReadText(c.section, c.key, QStringLiteral("<def>")), c.expected) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Syntax, IniReadTest,
    ::testing::Values(
        tReadCase{"blanks around =", "[S]\r\n  key  =  value  \r\n", "S", "key", "value"},
        tReadCase{"tabs and control characters trimmed", "[S]\n\tkey\t=\x01value\x02\n", "S", "key", "value"},
        tReadCase{"last line without line end", "[S]\r\na=1\r\nb=2", "S", "b", "2"},
        tReadCase{"LF only", "[S]\na=1\nb=2\n", "S", "b", "2"},
        tReadCase{"CR only", "[S]\ra=1\rb=2\r", "S", "b", "2"},
        tReadCase{"one-character line ignored", "[S]\nx\n", "S", "x", "<def>"},
        tReadCase{"comment ignored", "[S]\n;a=1\n", "S", ";a", "<def>"},
        tReadCase{"line before first section dropped", "a=1\n[S]\nb=2\n", "S", "a", "<def>"},
        tReadCase{"line without = dropped", "[S]\nabc\n", "S", "abc", "<def>"},
        tReadCase{"[] opens nothing: line stays in previous section", "[S]\n[]\na=1\n", "S", "a", "1"},
        tReadCase{"value after first =", "[S]\na=b=c\n", "S", "a", "b=c"},
        tReadCase{"empty value", "[S]\na=\n", "S", "a", ""},
        tReadCase{"section case-insensitive", "[Main.Grids]\na=1\n", "MAIN.grids", "a", "1"},
        tReadCase{"key case-insensitive", "[S]\nCaption=x\n", "S", "CAPTION", "x"},
        tReadCase{"key not trimmed by the lookup", "[S]\na=1\n", "S", " a", "<def>"},
        tReadCase{"Cyrillic upper-cased", "[\xD0\xA0\xD0\xBE\xD0\xB7\xD0\xB4\xD1\x96\xD0\xBB]\n\xD0\xBA\xD0\xBB\xD1\x8E\xD1\x87=1\n",
                  QString::fromUtf8("РОЗДІЛ"), QString::fromUtf8("КЛЮЧ"), "1"},
        tReadCase{"Windows-1251 file", "[\xD1\xE5\xEA\xF6\xE8\xFF]\n\xCA\xEB\xFE\xF7=\xC7\xED\xE0\xF7\xE5\xED\xE8\xE5\n",
                  QString::fromUtf8("Секция"), QString::fromUtf8("ключ"), QString::fromUtf8("Значение")},
        tReadCase{"UTF-8 byte-order mark", "\xEF\xBB\xBF[S]\na=1\n", "S", "a", "1"},
        tReadCase{"missing section", "[S]\na=1\n", "T", "a", "<def>"},
        tReadCase{"NUL bytes inside", QByteArray("[S]\na=1\0\0b\nc=2\n", 15), "S", "c", "2"}),
    [](const auto& info) { return kestrova::test::ReadableTestName(info.param.what); });

TEST_F(IniFileTest, CachedLookupContinuesBehindTheLastFoundLine) {
    TIniFile ini(Make("[S]\nk=1\na=2\nk=3\n"), true);
    EXPECT_EQ(ini.ReadText("S", "k", ""), "1");
    EXPECT_EQ(ini.ReadText("S", "a", ""), "2");
    EXPECT_EQ(ini.ReadText("S", "k", ""), "3");  // search starts at the cached line
    EXPECT_EQ(ini.ReadText("S", "k", ""), "3");
    EXPECT_EQ(ini.ReadText("S", "a", ""), "2");  // goes round
    EXPECT_EQ(ini.ReadText("S", "k", ""), "3");
}

TEST_F(IniFileTest, RepeatedSectionNamesAreSeparateSectionsFoundFromTheCache) {
    TIniFile ini(Make("[A]\nx=1\n[B]\ny=2\n[A]\nx=3\n"), true);
    EXPECT_EQ(ini.ReadText("A", "x", ""), "1");
    EXPECT_EQ(ini.ReadText("B", "y", ""), "2");
    EXPECT_EQ(ini.ReadText("a", "x", ""), "3");
    EXPECT_EQ(ini.ReadText("A", "y", "d"), "d");  // the second [A] has no y
}

TEST_F(IniFileTest, NumbersAndFlags) {
    TIniFile ini(Make("[S]\nn= 42 \nneg=-7\nbad=4x\nempty=\nzero=0\nfive=5\n"), true);
    EXPECT_EQ(ini.ReadNumber("S", "n", -1), 42);
    EXPECT_EQ(ini.ReadNumber("S", "neg", -1), -7);
    EXPECT_EQ(ini.ReadNumber("S", "bad", -1), -1);
    EXPECT_EQ(ini.ReadNumber("S", "empty", -1), -1);
    EXPECT_EQ(ini.ReadNumber("S", "missing", 9), 9);
    EXPECT_FALSE(ini.ReadFlag("S", "zero", true));
    EXPECT_TRUE(ini.ReadFlag("S", "five", false));
    EXPECT_TRUE(ini.ReadFlag("S", "missing", true));
    EXPECT_FALSE(ini.ReadFlag("S", "bad", false));
}

// A file, what a writable object does with it (checking what it reads on the
// way), and the file the object leaves behind.
struct tWriteCase {
    const char* Name;
    QByteArray Before;
    std::function<void(TIniFile& ini)> Change;
    QByteArray After;
};

class IniWriteTest : public IniFileTest, public ::testing::WithParamInterface<tWriteCase> {};

TEST_P(IniWriteTest, LeavesTheExpectedFile) {
    const tWriteCase& c = GetParam();
    const QString path = Make(c.Before);
    {
        TIniFile ini(path, false);
        c.Change(ini);
    }
    EXPECT_EQ(ReadFile(path), c.After);
}

INSTANTIATE_TEST_SUITE_P(
    Changes, IniWriteTest,
    ::testing::Values(
        tWriteCase{"WriteKeepsTheSpellingOfTheNameAndReplacesTheValue", "[Sec]\nMyKey=old\n",
                   [](TIniFile& ini) {
                       ini.WriteText("SEC", "mykey", "new");
                       ini.WriteNumber("sec", "Count", 12);
                       ini.WriteFlag("Other", "On", true);
                       ini.WriteFlag("Other", "Off", false);
                   },
                   "[Sec]\r\nMyKey=new\r\nCount=12\r\n\r\n[Other]\r\nOn=1\r\nOff=0\r\n\r\n"},
        tWriteCase{"WriteDoesNotFindANameWithABlankBeforeTheEqualsSign", "[S]\nkey =1\n",
                   [](TIniFile& ini) {
                       EXPECT_EQ(ini.ReadText("S", "key", ""), "1");
                       ini.WriteText("S", "key", "2");
                       // The reader still finds the first line; both lines are kept.
                       EXPECT_EQ(ini.ReadText("S", "key", ""), "1");
                   },
                   "[S]\r\nkey =1\r\nkey=2\r\n\r\n"},
        tWriteCase{"DroppedSectionIsWrittenOnceAtTheEnd", "[A]\na=1\n[B]\nb=2\n",
                   [](TIniFile& ini) {
                       ini.DropSection("a");
                       EXPECT_EQ(ini.ReadText("A", "a", "gone"), "gone");
                       ini.WriteText("A", "c", "3");
                       EXPECT_EQ(ini.ReadText("A", "c", ""), "3");
                   },
                   "[B]\r\nb=2\r\n\r\n[A]\r\nc=3\r\n\r\n"},
        tWriteCase{"CommentsAndEmptySectionsAreNotWrittenBack", "; comment\n[Empty]\n[S]\na=1\n",
                   [](TIniFile& ini) { ini.WriteText("S", "b", "2"); }, "[S]\r\na=1\r\nb=2\r\n\r\n"},
        tWriteCase{"UnchangedObjectDoesNotRewriteTheFile", "; keep me\n[S]\na=1\n",
                   [](TIniFile& ini) { EXPECT_EQ(ini.ReadText("S", "a", ""), "1"); },
                   "; keep me\n[S]\na=1\n"}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST_F(IniFileTest, LineBreaksInWrittenTextCannotSplitTheLine) {
    const QString path = Path();
    {
        TIniFile ini(path, false);
        ini.WriteText("S", "a", "1\r\n[T]\r\nb=2");
    }
    TIniFile ini(path, true);
    EXPECT_EQ(ini.ReadText("S", "a", ""), "1  [T]  b=2");
    EXPECT_EQ(ini.ReadText("T", "b", "none"), "none");
}

TEST_F(IniFileTest, ZeroLengthFileIsDeletedWhenOpenedForWriting) {
    const QString path = Make(QByteArray());
    {
        TIniFile ini(path, false);
        EXPECT_TRUE(ini.IsLoaded());
        EXPECT_FALSE(ini.IsReadOnly());
    }
    EXPECT_FALSE(QFileInfo::exists(path));
}

TEST_F(IniFileTest, ZeroLengthFileOpenedReadOnlyIsKept) {
    const QString path = Make(QByteArray());
    TIniFile ini(path, true);
    EXPECT_TRUE(ini.IsLoaded());
    EXPECT_TRUE(QFileInfo::exists(path));
}

TEST_F(IniFileTest, MissingFile) {
    {
        TIniFile ro(Path("none.ini"), true);
        EXPECT_FALSE(ro.IsLoaded());
        EXPECT_TRUE(ro.IsReadOnly());
    }
    {
        TIniFile rw(Path("new.ini"), false);
        EXPECT_TRUE(rw.IsLoaded());
        EXPECT_FALSE(rw.IsReadOnly());
        EXPECT_FALSE(QFileInfo::exists(Path("new.ini")));  // the probe file is not kept
        rw.WriteText("S", "a", "1");
    }
    EXPECT_EQ(ReadFile(Path("new.ini")), QByteArray("[S]\r\na=1\r\n\r\n"));
    TIniFile nowhere(dir.filePath("no/such/folder/x.ini"), false);
    EXPECT_TRUE(nowhere.IsReadOnly());
    EXPECT_FALSE(nowhere.IsLoaded());
}

TEST_F(IniFileTest, ReadOnlyObjectDropsChangesSilently) {
    const QString path = Make("[S]\na=1\n");
    {
        TIniFile ini(path, true);
        ini.WriteText("S", "a", "2");
        EXPECT_EQ(ini.ReadText("S", "a", ""), "2");
        EXPECT_TRUE(ini.WriteBack());
        EXPECT_TRUE(ini.IsModified());
        EXPECT_FALSE(ini.WriteFailed());
    }
    EXPECT_EQ(ReadFile(path), QByteArray("[S]\na=1\n"));
}

TEST_F(IniFileTest, TemporaryNameGetsOneMoreTildeWhileTaken) {
    EXPECT_EQ(TIniFile::TemporaryName(dir.path()), dir.filePath("~tmpini.tmp"));
    WriteFile(Path("~tmpini.tmp"), "first");
    EXPECT_EQ(TIniFile::TemporaryName(dir.path()), dir.filePath("~~tmpini.tmp"));
    WriteFile(Path("~~tmpini.tmp"), "second");
    EXPECT_EQ(TIniFile::TemporaryName(dir.path()), dir.filePath("~~~tmpini.tmp"));
}

TEST_F(IniFileTest, WriteBackLeavesOlderTemporaryFilesAlone) {
    WriteFile(Path("~tmpini.tmp"), "first");
    WriteFile(Path("~~tmpini.tmp"), "second");
    const QString path = Make("[S]\na=1\n");
    {
        TIniFile ini(path, false);
        ini.WriteText("S", "a", "2");
        EXPECT_TRUE(ini.WriteBack());
        EXPECT_FALSE(ini.IsModified());
    }
    EXPECT_EQ(ReadFile(path), QByteArray("[S]\r\na=2\r\n\r\n"));
    EXPECT_EQ(ReadFile(Path("~tmpini.tmp")), QByteArray("first"));
    EXPECT_EQ(ReadFile(Path("~~tmpini.tmp")), QByteArray("second"));
    EXPECT_FALSE(QFileInfo::exists(Path("~~~tmpini.tmp")));
}

TEST_F(IniFileTest, FailedReplaceKeepsTheOldTargetAndReports) {
    const QString path = Make("[S]\na=1\n");
    QString reported;
    {
        TIniFile ini(path, false);
        ini.WriteText("S", "a", "2");
        // Something else takes the name meanwhile: a folder with content,
        // which no rename may replace.
        ASSERT_TRUE(QFile::remove(path));
        ASSERT_TRUE(QDir().mkdir(path));
        ASSERT_TRUE(WriteFile(path + "/inside.txt", "precious"));
        EXPECT_FALSE(ini.WriteBack());
        EXPECT_TRUE(ini.WriteFailed());
        EXPECT_EQ(ini.WriteErrorText(), "Write error to file " + path);
        EXPECT_TRUE(ini.IsModified());
        ini.OnWriteError = [&](const QString& text) { reported = text; };
    }
    EXPECT_EQ(reported, "Write error to file " + path);
    EXPECT_EQ(ReadFile(path + "/inside.txt"), QByteArray("precious"));
    // The failed temporary file is not left behind.
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList());
}

TEST_F(IniFileTest, ReplaceFileOverwritesAnExistingTarget) {
    const QString source = Make("new", "a.txt");
    const QString target = Make("old", "b.txt");
    EXPECT_TRUE(TIniFile::ReplaceFile(source, target));
    EXPECT_EQ(ReadFile(target), QByteArray("new"));
    EXPECT_FALSE(QFileInfo::exists(source));
    EXPECT_FALSE(TIniFile::ReplaceFile(source, target));  // source gone now
    EXPECT_EQ(ReadFile(target), QByteArray("new"));
}

TEST_F(IniFileTest, FolderInPlaceOfTheFileIsNeitherLoadedNorWritten) {
    QDir().mkdir(Path("folder.ini"));
    {
        TIniFile ini(Path("folder.ini"), false);
        EXPECT_FALSE(ini.IsLoaded());
        EXPECT_TRUE(ini.IsReadOnly());
        ini.WriteText("S", "a", "1");
    }
    EXPECT_TRUE(QFileInfo(Path("folder.ini")).isDir());
}

TEST_F(IniFileTest, RandomBinaryContentNeverCrashes) {
    QRandomGenerator random(1234);
    for (int round = 0; round < 50; ++round) {
        QByteArray bytes(1 + random.bounded(4000), Qt::Uninitialized);
        for (char& b : bytes) b = static_cast<char>(random.bounded(256));
        if (round % 3 == 0) bytes.prepend("[S]\n");
        TIniFile ini(Make(bytes), true);
        EXPECT_TRUE(ini.IsLoaded());
        ini.ReadText("S", "a", "");
        ini.ReadNumber("S", "b", 0);
    }
}

TEST_F(IniFileTest, LargeFileReadsAndLooksUpInLinearTime) {
    // About 100 MB: many sections and one long section read key by key.
    QByteArray bytes;
    bytes.reserve(110 * 1024 * 1024);
    bytes += "[Big]\r\n";
    const int keys = 200000;
    for (int i = 0; i < keys; ++i) bytes += "key" + QByteArray::number(i) + "=value " + QByteArray::number(i) + "\r\n";
    const QByteArray filler = "[Filler]\r\n" + QByteArray(400, 'f') + "=" + QByteArray(600, 'v') + "\r\n";
    while (bytes.size() < 100 * 1024 * 1024) bytes += filler;
    bytes += "[Last]\r\nend=yes";
    const QString path = Make(bytes);
    bytes.clear();
    bytes.squeeze();

    TIniFile ini(path, true);
    ASSERT_TRUE(ini.IsLoaded());
    for (int i = 0; i < keys; ++i)
        ASSERT_EQ(ini.ReadText("BIG", "KEY" + QString::number(i), ""), "value " + QString::number(i));
    EXPECT_EQ(ini.ReadText("last", "END", ""), "yes");
}

}  // namespace
