// kestrova-batch calc end to end: generated tables in, result grids and the
// calculation log out.
#include "core/app/language_engine.h"
#include "core/generate/road_generator.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

using namespace kestrova;
using namespace kestrova::test;

namespace {

tBatchRun Batch(const QStringList& args) { return RunBatch(QStringLiteral("calc"), args); }

class BatchCalc : public ::testing::Test {
protected:
    QTemporaryDir dir;
    int profiles = 0;
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        tGenerateOptions options{.LengthKm = 2, .SpacingM = 10, .Seed = 5};
        const tGeneratedRoad road = GenerateRoad(options);
        profiles = static_cast<int>(road.Road.Rows.size());
        QString error;
        ASSERT_TRUE(WriteGeneratedCsv(road, dir.path(), error)) << error.toStdString();
    }
    QString In(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }
    QStringList Lines(const QString& path) const {
        QString text = QString::fromUtf8(ReadFile(path));
        if (text.endsWith(QStringLiteral("\r\n"))) text.chop(2);
        return text.split(QStringLiteral("\r\n"));
    }
};

}  // namespace

TEST_F(BatchCalc, WritesEveryGridAndTheTranslatedLog) {
    const QString out = dir.filePath(QStringLiteral("out"));
    const tBatchRun r = Batch({"--road", In("road.csv"), "--greens", In("greens.csv"), "--crossroads", In("crossroads.csv"),
                          "--out", out});
    ASSERT_EQ(r.Exit, 0) << r.Err.toStdString();
    for (const char* f : {"source.csv", "speeds.csv", "pivot.csv", "profiles.csv", "crossroads.csv", "log.txt"})
        EXPECT_TRUE(QFile::exists(QDir(out).filePath(QString::fromLatin1(f)))) << f;
    EXPECT_EQ(Lines(QDir(out).filePath("speeds.csv")).size(), profiles + 1);
    EXPECT_EQ(Lines(QDir(out).filePath("source.csv")).size(), profiles + 1);
    EXPECT_EQ(Lines(QDir(out).filePath("profiles.csv")).size(), profiles + 1);
    EXPECT_EQ(Lines(QDir(out).filePath("speeds.csv")).front().count(';'), 21);

    TLanguageEngine english(kLanguageSignatureValue, kLanguageSignatureSection, kLanguageSignatureKey,
                            kLanguageMessageSection);
    ASSERT_TRUE(english.LoadLanguage(BinDir() + QStringLiteral("/LANG/English.lng")));
    const QStringList log = Lines(QDir(out).filePath("log.txt"));
    ASSERT_GE(log.size(), 17);
    EXPECT_EQ(log.front(), english.GetMessage("CalcLog.ParseVegetablesBuildings"));
    EXPECT_EQ(log[1], english.GetMessage("CalcLog.CalcFreeVelocity"));
    EXPECT_EQ(log[log.size() - 2], QString(45, QLatin1Char('_')));
    EXPECT_EQ(log.back(), english.GetMessage("CalcLog.AllCalculationsComplete"));
    EXPECT_TRUE(log.contains(english.GetMessage("CalcLog.CalcCrossRoadsVisibility")));
    for (const QString& line : log) EXPECT_FALSE(line.contains('%')) << line.toStdString();  // placeholders expanded
    // The crossroads list: header and one row per crossroad.
    const QStringList cross = Lines(QDir(out).filePath("crossroads.csv"));
    EXPECT_GE(cross.size(), 2);
}

TEST_F(BatchCalc, NoCrossroadsListWithoutCrossroadsAndLocaleDecimals) {
    const QString plain = dir.filePath(QStringLiteral("plain"));
    const QString german = dir.filePath(QStringLiteral("german"));
    ASSERT_EQ(Batch({"--road", In("road.csv"), "--out", plain}).Exit, 0);
    ASSERT_EQ(Batch({"--road", In("road.csv"), "--out", german, "--locale", "de_DE"}).Exit, 0);
    EXPECT_FALSE(QFile::exists(QDir(plain).filePath("crossroads.csv")));
    const QStringList a = Lines(QDir(plain).filePath("source.csv"));
    const QStringList b = Lines(QDir(german).filePath("source.csv"));
    ASSERT_EQ(a.size(), b.size());
    // Column 4 holds the cars share, a fraction.
    const QString carsDot = a[1].split(';')[4];
    const QString carsComma = b[1].split(';')[4];
    EXPECT_TRUE(carsDot.contains('.')) << carsDot.toStdString();
    EXPECT_EQ(carsComma, QString(carsDot).replace('.', ','));
    const QStringList log = Lines(QDir(plain).filePath("log.txt"));
    // One line each for no greens, seven factors, two sight stages, no
    // crossroads, four filling stages, the rule and the completion.
    EXPECT_EQ(log.size(), 17);
}

TEST_F(BatchCalc, ReferenceEngineWritesTheSameFiles) {
    const QString fast = dir.filePath(QStringLiteral("fast"));
    const QString reference = dir.filePath(QStringLiteral("reference"));
    const QStringList in = {"--road", In("road.csv"), "--greens", In("greens.csv"), "--crossroads", In("crossroads.csv")};
    ASSERT_EQ(Batch(in + QStringList{"--out", fast}).Exit, 0);
    ASSERT_EQ(Batch(in + QStringList{"--out", reference, "--engine", "reference"}).Exit, 0);
    for (const char* f : {"source.csv", "speeds.csv", "pivot.csv", "profiles.csv", "crossroads.csv", "log.txt"})
        EXPECT_EQ(ReadFile(QDir(fast).filePath(f)), ReadFile(QDir(reference).filePath(f))) << f;
}

TEST_F(BatchCalc, FailuresWriteNothing) {
    const QString out = dir.filePath(QStringLiteral("never"));
    const tBatchRun missing = Batch({"--road", In("missing.csv"), "--out", out});
    EXPECT_EQ(missing.Exit, 2);
    EXPECT_FALSE(missing.Err.isEmpty());
    EXPECT_FALSE(QFile::exists(out));
    const struct {
        QStringList args;
    } usage[] = {{{"--road", In("road.csv")}},
                 {{"--road", In("road.csv"), "--out", out, "--engine", "turbo"}},
                 {{"--road", In("road.csv"), "--out", out, "--locale", "xx_nowhere"}},
                 {{"--road", In("road.csv"), "--out", out, "--out", out}},
                 {{"--road", In("road.csv"), "--out", out, "--bogus"}}};
    for (const auto& u : usage) EXPECT_EQ(Batch(u.args).Exit, 1) << u.args.join(' ').toStdString();
    EXPECT_FALSE(QFile::exists(out));
}
