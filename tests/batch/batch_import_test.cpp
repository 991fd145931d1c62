// kestrova-batch import, run as a separate process.
#include "core/app/language_engine.h"
#include "core/import/import_messages.h"

#include "import_tables.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>

using namespace kestrova;
using namespace kestrova::test;

namespace {

tBatchRun Batch(const QStringList& args) { return RunBatch(QStringLiteral("import"), args); }

tRows Cross() {
    return {{"RecordName", "RecordNumber", "X", "Y", "H"},
            {"A", "1", "1250", "1900", "100"},
            {"", "2", "1250", "2100", "101"}};
}

tRows Greens() {
    auto pt = [](const QString& name, const QString& veg, int n, int profile, double offset) {
        return QStringList{name, veg, QString::number(n), QString::number(RoadX(profile)),
                           QString::number(RoadY(offset)), "10"};
    };
    return {{"RecordName", "IsVegetation", "RecordNumber", "X", "Y", "Height"},
            pt("Wood", "1", 1, 0, 10), pt("", "", 2, 1, 10), pt("", "", 3, 1, 7)};
}

class BatchImportTest : public ::testing::Test {
protected:
    tTableFiles files;
};

TEST_F(BatchImportTest, SeparateCsvFilesInDeveloperOrder) {
    const auto r = Batch({"--road", files.Csv("road", RoadTable(5)), "--crossroads", files.Csv("cross", Cross()),
                          "--greens", files.Csv("greens", Greens())});
    EXPECT_EQ(r.Exit, 0) << r.Err.toStdString();
    EXPECT_EQ(r.Out, "profiles 5\nobjects 1\ncrossroads 1\n");
}

TEST_F(BatchImportTest, SecondAndThirdSheetsOfTheRoadWorkbook) {
    const QString book = files.Xlsx("road", {RoadTable(4), Cross(), Greens()});
    const auto r = Batch({"--road", book, "--crossroads-sheet", "2", "--greens-sheet", "3"});
    EXPECT_EQ(r.Exit, 0) << r.Err.toStdString();
    EXPECT_EQ(r.Out, "profiles 4\nobjects 1\ncrossroads 1\n");
    const auto road = Batch({"--road", book});
    EXPECT_EQ(road.Out, "profiles 4\nobjects 0\ncrossroads 0\n");
}

TEST_F(BatchImportTest, FailureInTheChosenLanguage) {
    tRows rows = RoadTable(4);
    rows[3][0] = "0";
    const QString road = files.Csv("road", rows);
    const auto r = Batch({"--road", road, "--lang", TestData("import/test.lng")});
    EXPECT_EQ(r.Exit, 2);
    EXPECT_EQ(r.Err, "Bad cell A4 in " + road + ".\r\nNumber 1..200000\n");
    EXPECT_TRUE(r.Out.isEmpty());
}

TEST_F(BatchImportTest, DefaultLanguageIsTheEnglishFileBesideTheProgram) {
    const auto r = Batch({"--road", files.Path("missing.csv")});
    EXPECT_EQ(r.Exit, 2);
    TLanguageEngine engine(kLanguageSignatureValue, kLanguageSignatureSection, kLanguageSignatureKey,
                           kLanguageMessageSection);
    engine.SetLineBreakExpansion(true);
    engine.SetPlaceholderExpansion(true);
    ASSERT_TRUE(engine.LoadLanguage(BinDir() + "/LANG/English.lng"));
    tImportFailure f;
    f.Key = "LoadData.FileNotFound";
    f.Set("%FileName%", files.Path("missing.csv"));
    EXPECT_EQ(r.Err, FormatImportFailure(f, engine) + "\n");
}

TEST_F(BatchImportTest, JsonErrors) {
    tRows greens = Greens();
    greens[2][5] = "101";
    tRows cross = Cross();
    cross[2][1] = "5";
    // Vegetation/buildings load before the crossroads, so their failure is the one reported.
    const auto r = Batch({"--road", files.Csv("road", RoadTable(4)), "--crossroads", files.Csv("cross", cross),
                          "--greens", files.Csv("greens", greens), "--json-errors"});
    EXPECT_EQ(r.Exit, 2);
    const QJsonObject o = QJsonDocument::fromJson(r.Err.toUtf8()).object();
    EXPECT_EQ(o.value("key").toString(), "LoadData.IncorrectCellValue");
    EXPECT_TRUE(o.value("reason").isNull());
    EXPECT_EQ(o.value("placeholders").toObject().value("%CellAddr%").toString(), "F3");
    EXPECT_EQ(o.value("placeholders").toObject().value("%FileName%").toString(), files.Path("greens.csv"));

    const auto c = Batch({"--road", files.Csv("road", RoadTable(4)), "--crossroads", files.Csv("cross", cross),
                          "--json-errors"});
    const QJsonObject oc = QJsonDocument::fromJson(c.Err.toUtf8()).object();
    EXPECT_EQ(oc.value("reason").toString(), "LoadData.NextNumberConstraint");
}

TEST_F(BatchImportTest, SameFileForRoadAndCrossroads) {
    const QString road = files.Csv("road", RoadTable(4));
    const auto r = Batch({"--road", road, "--crossroads", road, "--json-errors"});
    EXPECT_EQ(r.Exit, 2);
    EXPECT_EQ(QJsonDocument::fromJson(r.Err.toUtf8()).object().value("key").toString(), "LoadData.SomeFileSelected");
}

TEST_F(BatchImportTest, UsageErrors) {
    const QString road = files.Csv("road", RoadTable(4));
    const std::vector<QStringList> cases = {
        {},
        {"--road"},
        {"--crossroads", road},
        {"--road", road, "--crossroads-sheet", "4"},
        {"--road", road, "--crossroads", road, "--crossroads-sheet", "2"},
        {"--road", road, "--greens-sheet"},
        {"--road", road, "--lang", files.Path("nothing.lng")},
        {"--road", road, "--lang", road},
        {"--road", road, "--frobnicate"},
        {"--road", road, "--road", road},
    };
    for (const auto& args : cases) {
        const auto r = Batch(args);
        EXPECT_EQ(r.Exit, 1) << args.join(' ').toStdString();
        EXPECT_TRUE(r.Err.contains("usage")) << args.join(' ').toStdString();
    }
}

}  // namespace
