// Files the program writes through a temporary file and a rename come out
// like any other program's output: a new file gets read and write for
// everyone less the user's umask, a replaced file keeps the mode it had.
// Every writer of the program is checked, since each picks its own way to the
// temporary file.
#include "core/util/file_replace.h"
#include "core/util/ini_file.h"
#include "core/calc/grid_texts.h"
#include "core/export/csv_writer.h"
#include "core/export/xlsx_writer.h"
#include "core/generate/road_generator.h"
#include "core/import/excel_tables.h"
#include "test_support.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <functional>

#if defined(Q_OS_UNIX)
#include <sys/stat.h>
#endif

namespace kestrova {
namespace {

using test::ReadFile;
using test::WriteFile;

#if defined(Q_OS_UNIX)

class tUmask {
public:
    explicit tUmask(mode_t mask) : Old(::umask(mask)) {}
    ~tUmask() { ::umask(Old); }

private:
    mode_t Old;
};

int Mode(const QString& path) {
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0) return -1;
    return int(st.st_mode & 07777);
}

struct tWriter {
    const char* Name;
    const char* FileName;
    std::function<bool(const QString& path)> Write;
};

tTextTable SmallTable() {
    tTextTable t;
    t.Rows = 3;
    t.Columns = 2;
    for (int i = 0; i < t.Rows * t.Columns; ++i) t.Cells.push_back(QString::number(i));
    return t;
}

const tGeneratedRoad& SmallRoad() {
    static const tGeneratedRoad road = GenerateRoad({.LengthKm = 0.2, .SpacingM = 20, .Seed = 3});
    return road;
}

std::vector<tWriter> Writers() {
    return {
        {"ReplaceFile", "plain.bin",
         [](const QString& path) {
             const QString temp = CreateTemporaryBeside(path, QStringLiteral(".bin"));
             return !temp.isEmpty() && WriteFile(temp, "bytes") && ReplaceFile(temp, path);
         }},
        {"CsvExport", "grid.csv",
         [](const QString& path) {
             const tTextTable t = SmallTable();
             return ExportGridToCsv(TableView(t), path) == tCsvResult::Success;
         }},
        {"WorkbookExport", "grid.xlsx",
         [](const QString& path) {
             return WriteXlsxTextSheet(path, QStringLiteral("Sheet"), 2, 2,
                                       [](int r, int c) { return QString::number(r * 10 + c); }) == tXlsxResult::Ok;
         }},
        {"WorkbookSave", "saved.xlsx",
         [](const QString& path) {
             TExcel book{QString()};
             return book.SetCell(1, 1, QStringLiteral("a")) && book.SaveAs(path);
         }},
        {"GeneratedWorkbook", "road.xlsx",
         [](const QString& path) {
             QString error;
             return WriteGeneratedXlsx(SmallRoad(), path, error);
         }},
        {"GeneratedCsv", "road.csv",
         [](const QString& path) {
             QString error;
             return WriteGeneratedCsv(SmallRoad(), QFileInfo(path).absolutePath(), error);
         }},
        {"SettingsFile", "Kestrova.ini",
         [](const QString& path) {
             TIniFile ini(path, false);
             ini.WriteText(QStringLiteral("MainForm.Components"), QStringLiteral("edLang"), QStringLiteral("ENGLISH"));
             return ini.WriteBack();
         }},
    };
}

TEST(FileModes, NewFilesFollowTheUmask) {
    const struct {
        mode_t Umask;
        int Expected;
    } masks[] = {{022, 0644}, {027, 0640}, {077, 0600}, {002, 0664}};
    for (const tWriter& w : Writers())
        for (const auto& m : masks) {
            SCOPED_TRACE(testing::Message() << w.Name << " umask 0" << std::oct << m.Umask);
            QTemporaryDir dir;
            const QString path = dir.filePath(QString::fromLatin1(w.FileName));
            {
                const tUmask mask(m.Umask);
                ASSERT_TRUE(w.Write(path));
            }
            EXPECT_EQ(Mode(path), m.Expected) << std::oct << Mode(path);
            // Nothing but the written file (and the generator's sibling tables) is left.
            for (const QString& f : QDir(dir.path()).entryList(QDir::Files | QDir::Hidden))
                EXPECT_FALSE(f.startsWith(QLatin1Char('.')) || f.startsWith(QLatin1Char('~'))) << f.toStdString();
        }
}

TEST(FileModes, ReplacedFilesKeepTheirMode) {
    const tUmask mask(022);
    for (const tWriter& w : Writers())
        for (const QFile::Permissions mode : {QFile::Permissions(QFile::ReadOwner | QFile::WriteOwner),
                                              QFile::Permissions(QFile::ReadOwner | QFile::WriteOwner |
                                                                 QFile::ReadGroup | QFile::WriteGroup |
                                                                 QFile::ReadOther | QFile::WriteOther)}) {
            SCOPED_TRACE(w.Name);
            QTemporaryDir dir;
            const QString path = dir.filePath(QString::fromLatin1(w.FileName));
            ASSERT_TRUE(WriteFile(path, "[old]\r\nkey=1\r\n"));
            ASSERT_TRUE(QFile::setPermissions(path, mode));
            const int before = Mode(path);
            ASSERT_TRUE(w.Write(path));
            EXPECT_NE(ReadFile(path), QByteArray("[old]\r\nkey=1\r\n"));
            EXPECT_EQ(Mode(path), before) << std::oct << Mode(path);
        }
}

#else

TEST(FileModes, NewFilesFollowTheUmask) { GTEST_SKIP() << "file modes and the umask are Unix matters"; }

#endif

}  // namespace
}  // namespace kestrova
