// The settings file, the CSV export, the language files and the version stamp
// under file-system faults: a settings path that cannot be a file (its parent
// is a file, or it is a folder), a settings file replaced by a folder while the
// program runs, a full disk, and a target folder that vanishes during an
// export. Nothing may crash and no earlier file may be lost or cut short.
//
// The tests run as root, so file modes cannot make a file read-only; the
// faults are made with paths instead. The full disk is a file-size limit of
// this process (SIGXFSZ ignored, so writes past it fail with an error), made
// only on Unix.
#include "core/util/ini_file.h"
#include "core/app/language_engine.h"
#include "core/app/version_stamp.h"
#include "core/calc/grid_texts.h"
#include "core/export/csv_writer.h"
#include "core/export/km_search.h"
#include "core/import/excel_tables.h"
#include "test_support.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cmath>

using namespace kestrova;
using namespace kestrova::test;

namespace {

// Files written beside a target other than the ones expected.
QStringList Leftovers(const QString& folder, const QStringList& expected) {
    QStringList extra;
    for (const QString& f : QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden))
        if (!expected.contains(f)) extra << f;
    return extra;
}

// Puts a folder holding a file of its own where a file is to be written.
bool PutFolderAt(const QString& path) { return QDir().mkpath(path) && WriteFile(path + "/inside.txt", "keep"); }

// Nothing was left in the folder of path beside path itself.
void ExpectNothingBeside(const QString& path) {
    const QFileInfo info(path);
    EXPECT_EQ(Leftovers(info.path(), {info.fileName()}), QStringList()) << path.toStdString();
}

// The folder put at path still stands with its file.
void ExpectFolderKept(const QString& path) {
    EXPECT_TRUE(QFileInfo(path).isDir()) << path.toStdString();
    EXPECT_EQ(ReadFile(path + "/inside.txt"), "keep");
    ExpectNothingBeside(path);
}

// The file at path still holds bytes, whole.
void ExpectFileKept(const QString& path, const QByteArray& bytes) {
    EXPECT_EQ(ReadFile(path), bytes) << path.toStdString();
    ExpectNothingBeside(path);
}

const QByteArray kSettings =
    "[MainForm.FormPosition]\r\nLeft=10\r\nTop=20\r\n[MainForm.Components]\r\nrbSeparateFile__Cross=1\r\n";

// --- settings file ---------------------------------------------------------

TEST(SettingsFaults, ParentIsAFile) {
    QTemporaryDir dir;
    const QString parent = dir.filePath("Kestrova");
    ASSERT_TRUE(WriteFile(parent, "not a folder"));
    {
        TIniFile ini(parent + "/Kestrova.ini", false);
        EXPECT_TRUE(ini.IsReadOnly());
        ini.WriteText("MainForm.Components", "cbLanguage", "English");
        EXPECT_TRUE(ini.WriteBack());  // nothing was due: the file could never be written
        EXPECT_EQ(ini.ReadText("MainForm.Components", "cbLanguage", "x"), "English");
    }
    ExpectFileKept(parent, "not a folder");
}

TEST(SettingsFaults, TargetIsAFolder) {
    QTemporaryDir dir;
    const QString path = dir.filePath("Kestrova.ini");
    ASSERT_TRUE(PutFolderAt(path));
    bool reported = false;
    {
        TIniFile ini(path, false);
        EXPECT_TRUE(ini.IsReadOnly());
        EXPECT_FALSE(ini.IsLoaded());
        EXPECT_EQ(ini.ReadNumber("MainForm.FormPosition", "Left", -5), -5);
        ini.WriteNumber("MainForm.FormPosition", "Left", 7);
        ini.OnWriteError = [&](const QString&) { reported = true; };
    }
    EXPECT_FALSE(reported);
    ExpectFolderKept(path);
}

// The file was read at start-up and is a folder (empty or not) by the time
// the changes are written back.
class SettingsReplacedByFolder : public ::testing::TestWithParam<bool> {};

TEST_P(SettingsReplacedByFolder, WriteBackFailsAndTheFolderStays) {
    const bool folderHoldsFile = GetParam();
    QTemporaryDir dir;
    const QString path = dir.filePath("Kestrova.ini");
    ASSERT_TRUE(WriteFile(path, kSettings));
    QString reported;
    {
        TIniFile ini(path, false);
        ASSERT_TRUE(ini.IsLoaded());
        ASSERT_FALSE(ini.IsReadOnly());
        ini.WriteNumber("MainForm.FormPosition", "Left", 99);
        ASSERT_TRUE(QFile::remove(path));
        ASSERT_TRUE(QDir().mkpath(path));
        if (folderHoldsFile) {
            ASSERT_TRUE(WriteFile(path + "/inside.txt", "keep"));
        }
        EXPECT_FALSE(ini.WriteBack());
        EXPECT_TRUE(ini.WriteFailed());
        EXPECT_EQ(ini.WriteErrorText(), "Write error to file " + path);
        EXPECT_EQ(ini.ReadNumber("MainForm.FormPosition", "Left", 0), 99);  // the change is still held
        ini.OnWriteError = [&](const QString& text) { reported = text; };
    }
    EXPECT_EQ(reported, "Write error to file " + path);  // the destructor tried once more
    EXPECT_TRUE(QFileInfo(path).isDir());
    if (folderHoldsFile) {
        EXPECT_EQ(ReadFile(path + "/inside.txt"), "keep");
    }
    EXPECT_EQ(Leftovers(dir.path(), {"Kestrova.ini"}), QStringList());
}

INSTANTIATE_TEST_SUITE_P(Folder, SettingsReplacedByFolder, ::testing::Values(false, true),
                         [](const auto& info) { return std::string(info.param ? "WithFile" : "Empty"); });

TEST(SettingsFaults, FullDiskKeepsThePreviousFile) {
#if defined(Q_OS_UNIX)
    QTemporaryDir dir;
    const QString path = dir.filePath("Kestrova.ini");
    ASSERT_TRUE(WriteFile(path, kSettings));
    {
        // The disk outlives the object, so the write-back of its destructor fails too.
        tFullDisk disk(1024);
        ASSERT_TRUE(disk.Ok);
        TIniFile ini(path, false);
        ASSERT_TRUE(ini.IsLoaded());
        ini.WriteText("MainForm.Components", "edOpenXL", QString(64 * 1024, QLatin1Char('x')));
        EXPECT_FALSE(ini.WriteBack());
        EXPECT_TRUE(ini.WriteFailed());
        ini.OnWriteError = [](const QString&) {};
    }
    ExpectFileKept(path, kSettings);
    // With room again the same change is written whole.
    {
        TIniFile ini(path, false);
        ini.WriteText("MainForm.Components", "edOpenXL", QString(64 * 1024, QLatin1Char('x')));
        EXPECT_TRUE(ini.WriteBack());
    }
    TIniFile back(path, true);
    EXPECT_EQ(back.ReadText("MainForm.Components", "edOpenXL", ""), QString(64 * 1024, QLatin1Char('x')));
    EXPECT_EQ(back.ReadNumber("MainForm.FormPosition", "Top", 0), 20);
#else
    GTEST_SKIP() << "the full disk is simulated with a Unix file-size limit";
#endif
}

// --- CSV export ------------------------------------------------------------

tTextTable Table(int rows) {
    tTextTable t;
    t.Rows = rows;
    t.Columns = 3;
    for (int r = 0; r < rows; ++r)
        for (const QString& c : {QString::number(r), QStringLiteral("a;b"), QStringLiteral("12+345,67")})
            t.Cells.push_back(c);
    return t;
}

const QByteArray kOldExport = "old;export\r\n";

TEST(CsvExportFaults, TargetIsAFolder) {
    QTemporaryDir dir;
    const QString path = dir.filePath("grid.csv");
    ASSERT_TRUE(PutFolderAt(path));
    const tTextTable t = Table(5);
    EXPECT_NE(ExportGridToCsv(TableView(t), path), tCsvResult::Success);
    ExpectFolderKept(path);
}

TEST(CsvExportFaults, ParentIsAFile) {
    QTemporaryDir dir;
    ASSERT_TRUE(WriteFile(dir.filePath("out"), "a file"));
    const tTextTable t = Table(5);
    EXPECT_EQ(ExportGridToCsv(TableView(t), dir.filePath("out/grid.csv")), tCsvResult::ErrorNoFileCreate);
    ExpectFileKept(dir.filePath("out"), "a file");
}

TEST(CsvExportFaults, FullDiskKeepsThePreviousFile) {
#if defined(Q_OS_UNIX)
    QTemporaryDir dir;
    const QString path = dir.filePath("grid.csv");
    ASSERT_TRUE(WriteFile(path, kOldExport));
    const tTextTable t = Table(20000);
    tCsvResult result;
    {
        tFullDisk disk(4096);
        ASSERT_TRUE(disk.Ok);
        result = ExportGridToCsv(TableView(t), path);
    }
    EXPECT_TRUE(result == tCsvResult::FileWriteError || result == tCsvResult::FileSaveError)
        << CsvMessageKey(result).toStdString();
    ExpectFileKept(path, kOldExport);
#else
    GTEST_SKIP() << "the full disk is simulated with a Unix file-size limit";
#endif
}

// The export yields to the window every 10 rows; meanwhile the user (or
// another program) removes the folder or puts a folder in the target's place.
TEST(CsvExportFaults, FolderRemovedDuringTheExport) {
    QTemporaryDir dir;
    const QString folder = dir.filePath("out");
    ASSERT_TRUE(QDir().mkpath(folder));
    const tTextTable t = Table(100);
    tProgress progress;
    bool removed = false;
    progress.Yield = [&] {
        if (!removed) removed = QDir(folder).removeRecursively();
    };
    EXPECT_NE(ExportGridToCsv(TableView(t), folder + "/grid.csv", progress), tCsvResult::Success);
    EXPECT_TRUE(removed);
    EXPECT_FALSE(QFileInfo::exists(folder));
}

TEST(CsvExportFaults, TargetReplacedByAFolderDuringTheExport) {
    QTemporaryDir dir;
    const QString path = dir.filePath("grid.csv");
    ASSERT_TRUE(WriteFile(path, kOldExport));
    const tTextTable t = Table(100);
    tProgress progress;
    int yields = 0;
    progress.Yield = [&] {
        if (++yields == 3) {
            QFile::remove(path);
            PutFolderAt(path);
        }
    };
    EXPECT_EQ(ExportGridToCsv(TableView(t), path, progress), tCsvResult::FileSaveError);
    ExpectFolderKept(path);
}

// --- workbook saving -------------------------------------------------------

// A new workbook with a sheet of numbers and texts, as the export fills one.
void FillBook(TExcel& book, int rows) {
    for (int r = 1; r <= rows; ++r)
        for (int c = 1; c <= 6; ++c)
            ASSERT_TRUE(book.SetCell(r, c, c % 2 ? QString::number(r * c) : QStringLiteral("text %1").arg(r)));
}

const QByteArray kOldBook = "PK old workbook bytes";

TEST(WorkbookSaveFaults, TargetIsAFolder) {
    QTemporaryDir dir;
    const QString path = dir.filePath("grid.xlsx");
    ASSERT_TRUE(PutFolderAt(path));
    TExcel book{QString()};
    FillBook(book, 10);
    EXPECT_FALSE(book.SaveAs(path));
    EXPECT_EQ(book.LastError(), TExcel::NoDataWrite);
    ExpectFolderKept(path);
}

TEST(WorkbookSaveFaults, ParentIsAFile) {
    QTemporaryDir dir;
    ASSERT_TRUE(WriteFile(dir.filePath("out"), "a file"));
    TExcel book{QString()};
    FillBook(book, 10);
    EXPECT_FALSE(book.SaveAs(dir.filePath("out/grid.xlsx")));
    ExpectFileKept(dir.filePath("out"), "a file");
}

TEST(WorkbookSaveFaults, FullDiskKeepsThePreviousFile) {
#if defined(Q_OS_UNIX)
    QTemporaryDir dir;
    const QString path = dir.filePath("grid.xlsx");
    ASSERT_TRUE(WriteFile(path, kOldBook));
    TExcel book{QString()};
    FillBook(book, 3000);
    bool saved = true;
    {
        tFullDisk disk(2048);
        ASSERT_TRUE(disk.Ok);
        saved = book.SaveAs(path);
    }
    EXPECT_FALSE(saved);
    ExpectFileKept(path, kOldBook);
    // With room again the same workbook is saved and reads back.
    book.LastError();
    ASSERT_TRUE(book.SaveAs(path));
    TExcel back(path);
    ASSERT_EQ(back.LastError(), TExcel::NoError);
    ASSERT_TRUE(back.SelectSheet(back.SheetName(0)));
    EXPECT_EQ(back.GetCell(3000, 5), "15000");
    EXPECT_EQ(back.GetCell(3000, 6), "text 3000");
#else
    GTEST_SKIP() << "the full disk is simulated with a Unix file-size limit";
#endif
}

// --- language files --------------------------------------------------------

struct tBadLanguage {
    const char* Name;
    QByteArray Bytes;  // written as the file; "<folder>" makes a folder
};

class BadLanguageFile : public ::testing::TestWithParam<tBadLanguage> {};

TEST_P(BadLanguageFile, NothingLoadedAndEveryLookupSaysSo) {
    QTemporaryDir dir;
    const QString path = dir.filePath("Bad.lng");
    if (GetParam().Bytes == "<folder>") {
        ASSERT_TRUE(QDir().mkpath(path));
    } else {
        ASSERT_TRUE(WriteFile(path, GetParam().Bytes));
    }
    const QByteArray before = ReadFile(path);
    TLanguageEngine engine(kLanguageSignatureValue, kLanguageSignatureSection, kLanguageSignatureKey,
                           kLanguageMessageSection);
    EXPECT_FALSE(engine.LoadLanguage(path));
    EXPECT_FALSE(engine.IsLoaded());
    EXPECT_EQ(engine.GetMessage("LoadData.FileNotFound"), kLanguageNotLoaded);
    EXPECT_EQ(engine.GetSectionText("MainForm", "btStartCalc"), kLanguageNotLoaded);
    EXPECT_EQ(ReadFile(path), before);  // a language file is only ever read
}

QByteArray Garbage(int n) {
    QByteArray b(n, '\0');
    quint32 s = 12345;
    for (char& c : b) {
        s = s * 1103515245u + 12345u;
        c = char(s >> 16);
    }
    return b;
}

INSTANTIATE_TEST_SUITE_P(
    Files, BadLanguageFile,
    ::testing::Values(
        tBadLanguage{"Empty", ""}, tBadLanguage{"Garbage", Garbage(8192)}, tBadLanguage{"Folder", "<folder>"},
        tBadLanguage{"NoSignature", "[Messages]\r\nLoadData.FileNotFound=x\r\n"},
        tBadLanguage{"WrongSignature", "[Language]\r\nSignature=Some Other File\r\n[Messages]\r\nA=b\r\n"},
        tBadLanguage{"SignatureOutsideItsSection", "Signature=Kestrova Language File\r\n[Messages]\r\nA=b\r\n"},
        tBadLanguage{"Utf16", QByteArray("\xff\xfe", 2) +
                                  QByteArray::fromRawData(reinterpret_cast<const char*>(
                                                              u"[Language]\r\nSignature=Kestrova Language File\r\n"),
                                                          2 * 46)},
        tBadLanguage{"OneHugeLine", QByteArray(4 << 20, 'x')},
        tBadLanguage{"OnlyLineBreaks", QByteArray(100000, '\r')}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST(LanguageFaults, MissingFile) {
    TLanguageEngine engine(kLanguageSignatureValue, kLanguageSignatureSection, kLanguageSignatureKey,
                           kLanguageMessageSection);
    EXPECT_FALSE(engine.LoadLanguage(QDir::temp().filePath("no/such/folder/English.lng")));
    EXPECT_FALSE(engine.LoadLanguage(QString()));
    EXPECT_EQ(engine.GetMessage("Any.Key"), kLanguageNotLoaded);
}

TEST(LanguageFaults, GarbageAfterAGoodSignatureStillLoads) {
    QTemporaryDir dir;
    const QString path = dir.filePath("Odd.lng");
    ASSERT_TRUE(WriteFile(path, "[Language]\r\nSignature=Kestrova Language File\r\n[Messages]\r\nA.B=Text %X%\\n\r\n" +
                                    Garbage(4096) + "\r\n[Messages]\r\nC.D=later\r\n"));
    TLanguageEngine engine(kLanguageSignatureValue, kLanguageSignatureSection, kLanguageSignatureKey,
                           kLanguageMessageSection);
    engine.SetLineBreakExpansion(true);
    engine.SetPlaceholderExpansion(true);
    ASSERT_TRUE(engine.LoadLanguage(path));
    engine.SetPlaceholder("%X%", QString(100000, QLatin1Char('v')));
    EXPECT_EQ(engine.GetMessage("A.B"), "Text " + QString(100000, QLatin1Char('v')) + "\r\n");
    EXPECT_EQ(engine.GetMessage("No.Such.Key"), "No.Such.Key");
}

// --- version stamp ---------------------------------------------------------

TEST(VersionStampFaults, FolderGarbageAndMissingParentLeaveThingsAsTheyWere) {
    QTemporaryDir dir;
    const QString folder = dir.filePath("KestrovaVersion");
    ASSERT_TRUE(QDir().mkpath(folder));
    StampVersion(folder, "c_ProgVersion", 2000000000);
    EXPECT_TRUE(QFileInfo(folder).isDir());

    ASSERT_TRUE(WriteFile(dir.filePath("file"), "x"));
    StampVersion(dir.filePath("file/KestrovaVersion"), "c_ProgVersion", 2000000000);
    EXPECT_EQ(ReadFile(dir.filePath("file")), "x");

    StampVersion(dir.filePath("missing/KestrovaVersion"), "c_ProgVersion", 2000000000);
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("missing")));

    // Garbage is read as a file without versions; whatever is written stays a whole file.
    const QString garbage = dir.filePath("garbage/KestrovaVersion");
    ASSERT_TRUE(QDir().mkpath(dir.filePath("garbage")));
    ASSERT_TRUE(WriteFile(garbage, Garbage(65536)));
    StampVersion(garbage, "c_ProgVersion", -1);
    StampVersion(garbage, "c_ProgVersion", 2000000000);
    EXPECT_TRUE(QFileInfo(garbage).isFile());
    EXPECT_EQ(Leftovers(dir.filePath("garbage"), {"KestrovaVersion"}), QStringList());
}

// --- km+ search ------------------------------------------------------------

TEST(KmSearchFaults, AnyTextIsAnsweredAndEveryAcceptedPositionFindsAProfile) {
    const QStringList texts = {"", kEmptyKmPlusText, "+", ",", "abc", "9999+999,99", "-1+000", "nan+nan",
                               "inf+000", "1e309+000", "    +1e9,  ", QString(100000, QLatin1Char('9')),
                               QString(QChar(0)) + "12+345", "12+345,67,89", "12++345", "   0+000,00"};
    TMPlan plan;
    for (int i = 0; i < 3; ++i) {
        plan.Profiles.emplace_back();
        plan.Profiles.back().Position = 100.0 * i;
    }
    int accepted = 0;
    for (const QString& t : texts) {
        double pos = -1;
        if (ParseSearchKmPlus(t, pos)) {
            ++accepted;
            EXPECT_TRUE(std::isfinite(pos)) << t.left(40).toStdString();
            const int i = NearestProfile(plan, pos);
            EXPECT_GE(i, 0) << t.toStdString();
            EXPECT_LT(i, plan.Count());
        }
        const QString k = NormaliseKmField(t);
        EXPECT_FALSE(k.isNull() && !t.isNull());
    }
    EXPECT_GE(accepted, 2);  // 9999+999,99 and 0+000,00 at least
    EXPECT_EQ(NearestProfile(TMPlan(), 100), -1);
    tPivotData pivot;
    EXPECT_EQ(PivotRowOfProfile(pivot, 0), -1);
    EXPECT_EQ(PivotRowOfProfile(pivot, -5), -1);
}

}  // namespace
