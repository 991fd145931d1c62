#include "core/import/import_messages.h"

#include "core/app/language_engine.h"
#include "core/import/road_import.h"

#include "import_tables.h"

#include <gtest/gtest.h>

using namespace kestrova;
using namespace kestrova::test;

namespace {

TLanguageEngine TestEngine() {
    TLanguageEngine engine(kLanguageSignatureValue, kLanguageSignatureSection, kLanguageSignatureKey,
                           kLanguageMessageSection);
    engine.SetLineBreakExpansion(true);
    engine.SetPlaceholderExpansion(true);
    EXPECT_TRUE(engine.LoadLanguage(TestData("import/test.lng")));
    return engine;
}

TEST(FormatImportFailureTest, ReasonFollowsOnItsOwnLine) {
    tTableFiles files;
    tRows rows = RoadTable(3);
    rows[1][0] = "0";
    tRoadModel model;
    const QString path = files.Csv("road", rows);
    const auto r = ImportRoad(path, model);
    TLanguageEngine engine = TestEngine();
    EXPECT_EQ(FormatImportFailure(r.Failure, engine), "Bad cell A2 in " + path + ".\r\nNumber 1..200000");
}

TEST(FormatImportFailureTest, NoReasonLeavesCellValueEmpty) {
    TLanguageEngine engine = TestEngine();
    // An earlier message's reason must not leak into this one.
    tImportFailure earlier;
    earlier.Key = "LoadData.IncorrectCellValue";
    earlier.ReasonKey = "LoadData.RecordNumberConstraints";
    earlier.Set("%CellAddr%", "A2");
    FormatImportFailure(earlier, engine);
    tImportFailure f;
    f.Key = "LoadData.IncorrectCellValue";
    f.Set("%FileName%", "x.csv");
    f.Set("%CellAddr%", "Q7");
    EXPECT_EQ(FormatImportFailure(f, engine), "Bad cell Q7 in x.csv.");
}

TEST(FormatImportFailureTest, PlaceholdersAndMissingKeys) {
    TLanguageEngine engine = TestEngine();
    tImportFailure f;
    f.Key = "LoadData.DuplicateHeaders";
    f.Set("%XLColNumber1%", "B");
    f.Set("%XLColNumber2%", "D");
    f.Set("%XLColValue%", "Position");
    EXPECT_EQ(FormatImportFailure(f, engine), "Position twice: B/D");
    f.Key = "LoadData.NotInTheFile";
    EXPECT_EQ(FormatImportFailure(f, engine), "LoadData.NotInTheFile");
}

TEST(FormatImportFailureTest, ShippedEnglishFileHasEveryImportKey) {
    TLanguageEngine engine(kLanguageSignatureValue, kLanguageSignatureSection, kLanguageSignatureKey,
                           kLanguageMessageSection);
    ASSERT_TRUE(engine.LoadLanguage(SourceDir() + "/lang/English.lng"));
    const char* keys[] = {
        "LoadData.FileNotFound", "LoadData.ExcelOpenError", "LoadData.FileOpenError", "LoadData.NoHeaders",
        "LoadData.HeaderReadError", "LoadData.DtmHeadersNotFound", "LoadData.DuplicateHeaders",
        "LoadData.IncorrectHeader", "LoadData.DtmYHheadersNotAllowed", "LoadData.DuplicateDtmHeaders",
        "LoadData.MissingRequiredColumn", "LoadData.MissingTrafficDistrHeaders", "LoadData.MissingDtmKeyPoints",
        "LoadData.NoFirstRowDataFound", "LoadData.CellReadError", "LoadData.InvalidTrafficDistrValues",
        "LoadData.IncorrectCellValue", "LoadData.MinRoadRowsConstraint", "LoadData.SomeFileSelected",
        "LoadData.MissedRequiredColumn", "LoadData.MinCRoadPointsConstraint", "LoadData.MinVegBldPointsConstraint",
        "LoadData.PointNotCorrespondRoadPoints", "LoadData.RecordNumberConstraints", "LoadData.NextNumberConstraint",
        "LoadData.KmPlusPositionConstraints", "LoadData.NextKmPlusPositionConstraint",
        "LoadData.IncorrectIncorrectRoadCathegory", "LoadData.IncorrectTrafficIntensity", "LoadData.IncorrectCarsKoef",
        "LoadData.IncorrectTrucksKoef", "LoadData.IncorrectBusesKoef", "LoadData.IncorrectVehicleTrainsKoef",
        "LoadData.IncorrectHRadius", "LoadData.IncorrectLongiTilt", "LoadData.IncorrectSlickness",
        "LoadData.IncorrectBridgeClearance", "LoadData.IncorrectLocalitySign", "LoadData.IncorrectSocialActivitySign",
    };
    for (const char* key : keys) EXPECT_NE(engine.GetMessage(key), key) << key;
}

}  // namespace

TEST(FormatImportFailureTest, FailureWithoutKeyIsAnUnopenedFile) {
    TLanguageEngine engine = TestEngine();
    tImportFailure f;
    f.Set("%FileName%", "x.csv");
    // The test language has no such text: the engine answers with the key.
    EXPECT_EQ(FormatImportFailure(f, engine), "LoadData.FileOpenError");
}
