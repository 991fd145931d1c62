#include "core/util/ini_file.h"
#include "core/app/language_engine.h"
#include "test_support.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <string>

using namespace kestrova;
using kestrova::test::ReadFile;
using kestrova::test::WriteFile;

namespace {

const QByteArray kHeader = "[Language]\r\nSignature=Kestrova Language File\r\nCode=EN\r\n";

class LanguageEngineTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    TLanguageEngine engine = MakeKestrovaLanguageEngine();

    QString Make(const QByteArray& bytes, const QString& name = QStringLiteral("English.lng")) {
        const QString path = dir.filePath(name);
        EXPECT_TRUE(WriteFile(path, bytes));
        return path;
    }
    void Load(const QByteArray& body) { ASSERT_TRUE(engine.LoadLanguage(Make(kHeader + body))); }
};

TEST_F(LanguageEngineTest, NoLanguageGivesTheFixedText) {
    EXPECT_FALSE(engine.IsLoaded());
    EXPECT_EQ(engine.GetMessage("LoadData.FileNotFound"), "Language not loaded.");
    EXPECT_EQ(engine.GetSectionText("MainForm.Grids", "x"), "Language not loaded.");
}

struct tBadFile {
    const char* what;
    QByteArray bytes;
    bool create;
};

class BadLanguageFileTest : public LanguageEngineTest, public ::testing::WithParamInterface<tBadFile> {};

TEST_P(BadLanguageFileTest, LeavesNoLanguageLoaded) {
    // A good language first: a failed load must unload it.
    Load("[Messages]\r\nA=alpha\r\n");
    ASSERT_EQ(engine.GetMessage("A"), "alpha");
    const tBadFile& c = GetParam();
    const QString path = c.create ? Make(c.bytes, "Bad.lng") : dir.filePath("Missing.lng");
    EXPECT_FALSE(engine.LoadLanguage(path)) << c.what;
    EXPECT_FALSE(engine.IsLoaded());
    EXPECT_TRUE(engine.LoadedFileName().isEmpty());
    EXPECT_EQ(engine.GetMessage("A"), "Language not loaded.");
}

INSTANTIATE_TEST_SUITE_P(
    Files, BadLanguageFileTest,
    ::testing::Values(tBadFile{"missing", {}, false}, tBadFile{"empty", {}, true},
                      tBadFile{"binary", QByteArray("\x00\xFF\x13[Language]\x00\x80\x81Signature\x00=", 28), true},
                      tBadFile{"no signature", "[Language]\r\nCode=EN\r\n[Messages]\r\nA=x\r\n", true},
                      tBadFile{"empty signature", "[Language]\r\nSignature=\r\n", true},
                      tBadFile{"wrong signature", "[Language]\r\nSignature=Some Other File\r\n", true},
                      tBadFile{"signature in another section", "[Messages]\r\nSignature=Kestrova Language File\r\n",
                               true}),
    [](const auto& info) { return kestrova::test::ReadableTestName(info.param.what); });

TEST_F(LanguageEngineTest, FolderInsteadOfAFileIsRejected) {
    QDir().mkdir(dir.filePath("Folder.lng"));
    EXPECT_FALSE(engine.LoadLanguage(dir.filePath("Folder.lng")));
    EXPECT_FALSE(engine.IsLoaded());
}

TEST_F(LanguageEngineTest, SignatureInOtherLetterCaseIsAccepted) {
    EXPECT_TRUE(engine.LoadLanguage(Make("[LANGUAGE]\nsignature = KESTROVA language FILE \n")));
    EXPECT_TRUE(engine.IsLoaded());
}

TEST_F(LanguageEngineTest, FileNameIsTrimmed) {
    const QString path = Make(kHeader);
    EXPECT_TRUE(engine.LoadLanguage("  " + path + " "));
    EXPECT_EQ(engine.LoadedFileName(), path);
}

TEST_F(LanguageEngineTest, MissingKeyYieldsTheKey) {
    Load("[Messages]\r\nA=alpha\r\n[MainForm.Grids]\r\ng.a = grid a \r\n");
    EXPECT_EQ(engine.GetMessage("A"), "alpha");
    EXPECT_EQ(engine.GetMessage("a"), "alpha");
    EXPECT_EQ(engine.GetMessage("B.Missing"), "B.Missing");
    EXPECT_EQ(engine.GetSectionText("mainform.grids", "G.A"), "grid a");
    EXPECT_EQ(engine.GetSectionText("MainForm.Grids", "A"), "A");
}

TEST_F(LanguageEngineTest, PlaceholderInLowerCaseTwiceWithLineBreak) {
    Load("[Messages]\r\nM=File %filename% is bad.\\nRetry %FILENAME%?\r\n");
    engine.SetPlaceholder("%FileName%", "road.csv");
    EXPECT_EQ(engine.GetMessage("M"), "File road.csv is bad.\r\nRetry road.csv?");
}

TEST_F(LanguageEngineTest, ValueWithBackslashNKeepsIt) {
    Load("[Messages]\r\nM=Path: %FileName%\\n\r\n");
    engine.SetPlaceholder("%FileName%", "C:\\new\\Name.xls");
    EXPECT_EQ(engine.GetMessage("M"), "Path: C:\\new\\Name.xls\r\n");
}

TEST_F(LanguageEngineTest, ValueHoldingItsOwnNameDoesNotRunOn) {
    Load("[Messages]\r\nM=<%A%> and <%a%>\r\n");
    engine.SetPlaceholder("%A%", "x%A%y");
    EXPECT_EQ(engine.GetMessage("M"), "<x%A%y> and <x%A%y>");
    engine.SetPlaceholder("%A%", "%a%%A%");
    EXPECT_EQ(engine.GetMessage("M"), "<%a%%A%> and <%a%%A%>");
}

TEST_F(LanguageEngineTest, PlaceholdersExpandInTableOrder) {
    Load("[Messages]\r\nM=%First%|%Second%\r\n");
    engine.SetPlaceholder("%First%", "[%Second%]");  // expanded by the later pair
    engine.SetPlaceholder("%Second%", "(%First%)");  // the earlier pair is done already
    EXPECT_EQ(engine.GetMessage("M"), "[(%First%)]|(%First%)");
}

TEST_F(LanguageEngineTest, PlaceholderValuesStayAndAreReplacedByName) {
    Load("[Messages]\r\nM=%RowNumber%;%CellAddr%\r\n");
    EXPECT_EQ(engine.GetMessage("M"), "%RowNumber%;%CellAddr%");  // never set: shown as written
    engine.SetPlaceholder(" %rownumber% ", "5");
    EXPECT_EQ(engine.GetMessage("M"), "5;%CellAddr%");
    engine.SetPlaceholder("%ROWNUMBER%", "6");
    engine.SetPlaceholder("%CellAddr%", "B7");
    EXPECT_EQ(engine.GetMessage("M"), "6;B7");
    EXPECT_EQ(engine.GetMessage("M"), "6;B7");  // nothing clears them
}

TEST_F(LanguageEngineTest, PlaceholdersSurviveALanguageChange) {
    engine.SetPlaceholder("%FileName%", "a.csv");
    Load("[Messages]\r\nM=%FileName%\r\n");
    EXPECT_EQ(engine.GetMessage("M"), "a.csv");
}

TEST_F(LanguageEngineTest, ExpansionsCanBeSwitchedOff) {
    TLanguageEngine plain(kLanguageSignatureValue, kLanguageSignatureSection, kLanguageSignatureKey,
                          kLanguageMessageSection);
    ASSERT_TRUE(plain.LoadLanguage(Make(kHeader + "[Messages]\r\nM=a\\nb %X%\r\n")));
    plain.SetPlaceholder("%X%", "1");
    EXPECT_EQ(plain.GetMessage("M"), "a\\nb %X%");
    plain.SetLineBreakExpansion(true);
    EXPECT_EQ(plain.GetMessage("M"), "a\r\nb %X%");
    plain.SetPlaceholderExpansion(true);
    EXPECT_EQ(plain.GetMessage("M"), "a\r\nb 1");
}

TEST(LineBreakExpansion, Cases) {
    EXPECT_EQ(ExpandLineBreaks("a\\nb\\Nc"), "a\r\nb\r\nc");
    EXPECT_EQ(ExpandLineBreaks("\\\\n"), "\\\r\n");
    EXPECT_EQ(ExpandLineBreaks("end\\"), "end\\");
    EXPECT_EQ(ExpandLineBreaks("\\t"), "\\t");
}

TEST_F(LanguageEngineTest, TextSetsTheMessagePlaceholders) {
    Load("[Messages]\r\nLoadData.RowsLoaded=%RecordsCount% rows from %FileName%\r\n");
    tMessage m("LoadData.RowsLoaded");
    m.With("%RecordsCount%", "12").With("%FileName%", "road.xlsx");
    EXPECT_EQ(engine.Text(m), "12 rows from road.xlsx");
}

TEST_F(LanguageEngineTest, TextAddsFurtherKeysOnLinesOfTheirOwn) {
    Load("[Messages]\r\nLoadData.NoCommonCrossPoints=%ObjectName% misses the road\r\n"
         "LoadData.RoadWillBeExcluded=%ObjectName% is left out\r\n");
    tMessage m("LoadData.NoCommonCrossPoints");
    m.With("%ObjectName%", "Track").Then("LoadData.RoadWillBeExcluded");
    EXPECT_EQ(engine.Text(m), "Track misses the road\r\nTrack is left out");
}

struct tCharSetCase {
    const char* body;
    int charSet;
    bool forced;
};

class CharSetTest : public LanguageEngineTest, public ::testing::WithParamInterface<tCharSetCase> {};

TEST_P(CharSetTest, ForcedOnlyInRange) {
    Load(GetParam().body);
    EXPECT_EQ(engine.CharSet(), GetParam().charSet);
    EXPECT_EQ(engine.ForcedCharSet(), GetParam().forced);
}

INSTANTIATE_TEST_SUITE_P(Values, CharSetTest,
                         ::testing::Values(tCharSetCase{"", -1, false},
                                           tCharSetCase{"[CharSet]\r\nCharSet=300\r\nForcedUseCharSet=1\r\n", 300, false},
                                           tCharSetCase{"[CharSet]\r\nCharSet=204\r\nForcedUseCharSet=1\r\n", 204, true},
                                           tCharSetCase{"[CharSet]\r\nCharSet=204\r\nForcedUseCharSet=0\r\n", 204, false},
                                           tCharSetCase{"[CharSet]\r\nCharSet=0\r\nForcedUseCharSet=7\r\n", 0, true},
                                           tCharSetCase{"[CharSet]\r\nCharSet=x\r\nForcedUseCharSet=1\r\n", -1, false}),
                         [](const auto& info) {
                             std::string body = info.param.body;
                             if (body.empty()) return std::string("NoCharSetSection");
                             std::erase(body, '=');  // "CharSet300ForcedUseCharSet1"
                             return kestrova::test::ReadableTestName(body.substr(11));  // after "[CharSet]\r\n"
                         });

TEST_F(LanguageEngineTest, FailedLoadKeepsCharSetSettings) {
    Load("[CharSet]\r\nCharSet=204\r\nForcedUseCharSet=1\r\n");
    EXPECT_FALSE(engine.LoadLanguage(dir.filePath("none.lng")));
    EXPECT_EQ(engine.CharSet(), 204);
    EXPECT_TRUE(engine.ForcedCharSet());
}

struct tNameCase {
    const char* name;
    bool skipped;
    const char* base;
};

class ComponentNameTest : public ::testing::TestWithParam<tNameCase> {};

TEST_P(ComponentNameTest, SkipAndBaseName) {
    const TLanguageEngine engine = MakeKestrovaLanguageEngine();
    EXPECT_EQ(engine.IsSkipped(GetParam().name), GetParam().skipped) << GetParam().name;
    EXPECT_EQ(engine.BaseName(GetParam().name), QString(GetParam().base)) << GetParam().name;
}

INSTANTIATE_TEST_SUITE_P(Names, ComponentNameTest,
                         ::testing::Values(tNameCase{"btLoadData__Main", false, "btLoadData"},
                                           tNameCase{"btLoadData__Cross", false, "btLoadData"},
                                           tNameCase{"btLoadData", false, "btLoadData"},
                                           tNameCase{"__btLoadData", false, "__btLoadData"},
                                           tNameCase{"a__b__c", false, "a"},
                                           tNameCase{"_x_lbMainCount", true, "_x_lbMainCount"},
                                           tNameCase{"_X_TestButton", true, "_X_TestButton"},
                                           tNameCase{"x_lb", false, "x_lb"}),
                         [](const auto& info) { return std::string(info.param.name); });  // names of code

TEST(LanguageEngineDefaults, SkipPrefixAndCutMarkerAtCreation) {
    TLanguageEngine engine("Sig", "Language", "Signature", "Messages");
    EXPECT_EQ(engine.SkipPrefix(), "OFF_");
    EXPECT_EQ(engine.CutMarker(), "___");
    EXPECT_TRUE(engine.IsSkipped("off_Button"));
    EXPECT_EQ(engine.BaseName("bt__x"), "bt__x");
    EXPECT_EQ(engine.BaseName("bt___x"), "bt");
    engine.SetSkipPrefix(" _x_ ");
    engine.SetCutMarker(" __ ");
    EXPECT_EQ(engine.SkipPrefix(), "_X_");
    EXPECT_EQ(engine.CutMarker(), "__");
}

TEST_F(LanguageEngineTest, WriteTemplateAddsOnlyMissingEntries) {
    const QString path = Make(kHeader + "[MainForm.Buttons]\r\nbtStartCalc=Calculate\r\n");
    const std::vector<tTemplateEntry> entries = {{"MainForm.Buttons", "btStartCalc", "btStartCalc"},
                                                 {"MainForm.Buttons", "btLoadData", "btLoadData"},
                                                 {"MainForm.RadioGroups", "rgLookHeight.Item0", "rgLookHeight.Item0"}};
    QString error;
    EXPECT_TRUE(engine.WriteTemplate(path, "MainForm", 1, entries, &error));
    TIniFile file(path, true);
    EXPECT_EQ(file.ReadText("Language", "Signature", ""), "Kestrova Language File");
    EXPECT_EQ(file.ReadText("Language", "Code", ""), "EN");
    EXPECT_EQ(file.ReadNumber("CharSet", "CharSet", -1), 1);
    EXPECT_EQ(file.ReadText("CharSet", "ForcedUseCharSet", ""), "0");
    EXPECT_EQ(file.ReadText("MainForm", "Caption", ""), "MainForm");
    EXPECT_EQ(file.ReadText("MainForm.Buttons", "btStartCalc", ""), "Calculate");
    EXPECT_EQ(file.ReadText("MainForm.Buttons", "btLoadData", ""), "btLoadData");
    EXPECT_EQ(file.ReadText("MainForm.RadioGroups", "rgLookHeight.Item0", ""), "rgLookHeight.Item0");
    // The written template is itself a language file.
    EXPECT_TRUE(engine.LoadLanguage(path));
}

TEST_F(LanguageEngineTest, WriteTemplateToAnUnwritablePlaceFails) {
    QString error;
    EXPECT_FALSE(engine.WriteTemplate(dir.filePath("no/folder/x.lng"), "MainForm", 1, {}, &error));
    EXPECT_EQ(error, "Write error to file " + dir.filePath("no/folder/x.lng"));
}

}  // namespace
