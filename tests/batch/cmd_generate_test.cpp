// kestrova-batch generate: usage errors, the written files and their content.
#include "core/generate/road_generator.h"
#include "test_support.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace kestrova;

namespace {

test::tBatchRun RunBatch(const QStringList& args) { return test::RunBatch(QStringLiteral("generate"), args); }

}  // namespace

TEST(GenerateCommand, UsageErrorsExitWithOneAndWriteNothing) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString out = dir.filePath(QStringLiteral("out"));
    const QStringList ok = {QStringLiteral("--km"),   QStringLiteral("1"),  QStringLiteral("--spacing"),
                            QStringLiteral("10"),     QStringLiteral("--seed"), QStringLiteral("4"),
                            QStringLiteral("--out"),  out};
    auto without = [&](const QString& option) {
        QStringList a = ok;
        const int i = a.indexOf(option);
        a.removeAt(i);
        a.removeAt(i);
        return a;
    };
    auto with = [&](const QString& option, const QString& value) {
        QStringList a = ok;
        a[a.indexOf(option) + 1] = value;
        return a;
    };
    const std::vector<QStringList> cases = {
        {},
        without(QStringLiteral("--km")),
        without(QStringLiteral("--spacing")),
        without(QStringLiteral("--seed")),
        without(QStringLiteral("--out")),
        with(QStringLiteral("--km"), QStringLiteral("abc")),
        with(QStringLiteral("--km"), QStringLiteral("-2")),
        with(QStringLiteral("--spacing"), QStringLiteral("0")),
        with(QStringLiteral("--spacing"), QStringLiteral("0.001")),
        with(QStringLiteral("--seed"), QStringLiteral("-1")),
        with(QStringLiteral("--seed"), QStringLiteral("4294967296")),
        with(QStringLiteral("--km"), QStringLiteral("5000")),  // more profiles than a road table holds
        ok + QStringList{QStringLiteral("--bogus")},
        QStringList(ok.mid(0, 7)),                             // --out without its value
    };
    for (const QStringList& args : cases) {
        const test::tBatchRun r = RunBatch(args);
        EXPECT_EQ(r.Exit, 1) << args.join(QLatin1Char(' ')).toStdString();
        EXPECT_TRUE(r.Err.contains("usage:")) << r.Err.toStdString();
    }
    EXPECT_FALSE(QFile::exists(out));
}

TEST(GenerateCommand, WritesTheGeneratorsTablesAndTheWorkbook) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString out = dir.filePath(QStringLiteral("new/folder"));
    const test::tBatchRun r = RunBatch({QStringLiteral("--km"), QStringLiteral("2.5"), QStringLiteral("--spacing"),
                             QStringLiteral("12.5"), QStringLiteral("--seed"), QStringLiteral("77"),
                             QStringLiteral("--out"), out, QStringLiteral("--xlsx")});
    ASSERT_EQ(r.Exit, 0) << r.Err.toStdString();
    tGenerateOptions o{.LengthKm = 2.5, .SpacingM = 12.5, .Seed = 77};
    const tGeneratedRoad road = GenerateRoad(o);
    EXPECT_EQ(test::ReadFile(out + QStringLiteral("/road.csv")), CsvText(road.Road));
    EXPECT_EQ(test::ReadFile(out + QStringLiteral("/crossroads.csv")), CsvText(road.CrossRoads));
    EXPECT_EQ(test::ReadFile(out + QStringLiteral("/greens.csv")), CsvText(road.Greens));
    // A workbook is a zip archive.
    EXPECT_TRUE(test::ReadFile(out + QStringLiteral("/road.xlsx")).startsWith("PK"));
    EXPECT_FALSE(QFile::exists(out + QStringLiteral("/road.xlsx.partial")));
}

TEST(GenerateCommand, AnUnwritableOutputFolderIsAReportedFailure) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString blocker = dir.filePath(QStringLiteral("file"));
    ASSERT_TRUE(test::WriteFile(blocker, "keep"));
    const test::tBatchRun r = RunBatch({QStringLiteral("--km"), QStringLiteral("1"), QStringLiteral("--spacing"),
                             QStringLiteral("10"), QStringLiteral("--seed"), QStringLiteral("1"),
                             QStringLiteral("--out"), blocker});
    EXPECT_EQ(r.Exit, 2);
    EXPECT_FALSE(r.Err.isEmpty());
    EXPECT_EQ(test::ReadFile(blocker), QByteArray("keep"));
}
