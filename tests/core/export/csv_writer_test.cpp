// The CSV writer: field quoting, line ends, and files left intact on failure.
#include "core/export/csv_writer.h"

#include "test_support.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace kestrova {
namespace {

tTextTable Table(int rows, int columns, std::vector<QString> cells) { return {rows, columns, std::move(cells)}; }

TEST(CsvField, QuotingAndLineBreaks) {
    const struct {
        const char* cell;
        const char* field;
    } cases[] = {
        {"plain", "plain"}, {"", ""}, {"a;b", "\"a;b\""}, {"say \"hi\"", "\"say \"\"hi\"\"\""}, {"\"", "\"\"\"\""},
        {"two\r\nlines", "two lines"} /* CR LF becomes one blank, no quotes */, {"a\rb\nc", "a bc"},
        {"x\r\n;y", "\"x ;y\""}, {"12,5", "12,5"},
    };
    for (const auto& c : cases) EXPECT_EQ(CsvField(QString::fromLatin1(c.cell)), QLatin1String(c.field)) << c.cell;
}

TEST(ExportGridToCsv, WritesEveryRowWithCrLfAndReplacesWhole) {
    QTemporaryDir dir;
    const QString name = dir.filePath(QStringLiteral("out.csv"));
    ASSERT_TRUE(test::WriteFile(name, QByteArray(5000, 'x')));  // an older, longer export
    const tTextTable t = Table(2, 3, {"Km+", "Причина", "", "1+000,00", "a;b", "q\"q"});
    int maximum = -1, positions = 0, yields = 0;
    tProgress progress;
    progress.SetMaximum = [&](int m) { maximum = m; };
    progress.SetPosition = [&](int) { ++positions; };
    progress.Yield = [&] { ++yields; };
    EXPECT_EQ(ExportGridToCsv(TableView(t), name, progress), tCsvResult::Success);
    EXPECT_EQ(test::ReadFile(name), QStringLiteral("Km+;Причина;\r\n1+000,00;\"a;b\";\"q\"\"q\"\r\n").toUtf8());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 1);  // no temporary file left behind
    EXPECT_EQ(maximum, 1);
    EXPECT_EQ(positions, 2);
    EXPECT_EQ(yields, 1);  // rows 0, 10, 20, ...
    EXPECT_EQ(CsvMessageKey(tCsvResult::Success), QStringLiteral("CSVExport.ExportSuccessful"));
}

TEST(ExportGridToCsv, HeaderOnlyGridAndEncoder) {
    QTemporaryDir dir;
    const QString name = dir.filePath(QStringLiteral("h.csv"));
    EXPECT_EQ(ExportGridToCsv(TableView(Table(1, 2, {"A", "é"})), name, {},
                              [](const QString& s) { return s.toLatin1(); }),
              tCsvResult::Success);
    EXPECT_EQ(test::ReadFile(name), QByteArray("A;\xE9\r\n"));
}

TEST(ExportGridToCsv, FailuresNameTheirMessageAndTouchNothing) {
    QTemporaryDir dir;
    const tTextTable t = Table(1, 1, {"v"});
    const tCsvResult missing = ExportGridToCsv(TableView(t), dir.filePath(QStringLiteral("no/such/out.csv")));
    EXPECT_EQ(missing, tCsvResult::ErrorNoFileCreate);
    EXPECT_EQ(CsvMessageKey(missing), QStringLiteral("CSVExport.ErrorNoFileCreate"));
    EXPECT_EQ(ExportGridToCsv(TableView(t), QString()), tCsvResult::ErrorNoFileCreate);
    // A folder stands where the file should go: it must survive with its content.
    const QString target = dir.filePath(QStringLiteral("taken"));
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("taken")));
    ASSERT_TRUE(test::WriteFile(target + QStringLiteral("/keep.txt"), "keep"));
    const tCsvResult taken = ExportGridToCsv(TableView(t), target);
    EXPECT_NE(taken, tCsvResult::Success);
    EXPECT_FALSE(CsvMessageKey(taken).isEmpty());
    EXPECT_EQ(test::ReadFile(target + QStringLiteral("/keep.txt")), QByteArray("keep"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 0);
    // No grid: nothing written, nothing to say.
    EXPECT_EQ(ExportGridToCsv(tTextTableView{}, dir.filePath(QStringLiteral("n.csv"))), tCsvResult::NoGrid);
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("n.csv"))));
}

}  // namespace
}  // namespace kestrova
