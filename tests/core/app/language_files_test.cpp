// The shipped language files: all three hold the same entries, every key the
// application looks up, and real translations.
#include "core/util/ini_file.h"
#include "core/app/language_engine.h"
#include "core/util/text_decoding.h"
#include "test_support.h"

#include <QRegularExpression>
#include <QSet>

#include <gtest/gtest.h>

#include <map>
#include <set>

using namespace kestrova;

namespace {

const QString kMessages = QStringLiteral("Messages");
const QString kGrids = QStringLiteral("MainForm.Grids");

struct tLangFile {
    const char* file;
    const char* code;
};
const tLangFile kLanguages[] = {{"English.lng", "EN"}, {"Ukrainian.lng", "UA"}, {"Russian.lng", "RU"}};

QString LangPath(const char* file) { return kestrova::test::SourceDir() + "/lang/" + file; }

// Every key the window and the core look up, with its section and the
// placeholders its text must carry.
struct tRequiredKey {
    QString Section;
    QString Key;
    QStringList Placeholders;
};

std::vector<tRequiredKey> RequiredKeys() {
    std::vector<tRequiredKey> keys;
    auto add = [&](const QString& section, const QStringList& names, const QStringList& placeholders = {}) {
        for (const QString& name : names) keys.push_back({section, name, placeholders});
    };
    add("Language", {"Signature", "Code"});
    add("CharSet", {"CharSet", "ForcedUseCharSet"});
    add("MainForm", {"Caption"});
    add("MainForm.GroupBoxes", {"gbLanguageSelect", "gbLoadRoadData", "gbLoadCrossRoads", "gbStartCalc",
                                "gbLoadVegetationBuildings", "gbCursorMeas", "gbCRoadList", "gbCRoadsPProfiles"});
    add("MainForm.Buttons", {"btLoadData", "btStartCalc", "btExport", "btSearchKmp"});
    add("MainForm.RadioButtons", {"rbSeparateFile", "rbSecondSheet", "rbThirdSheet", "rbCRoadFwd", "rbCRoadRev"});
    add("MainForm.CheckBoxes", {"cbDrawLookLines", "cbDrawRoadGrid", "cbCropProfile30m"});
    add("MainForm.RadioGroups", {"rgLookHeight", "rgLookHeight.Item0", "rgLookHeight.Item1", "rgLookHeight.Item2",
                                 "rgLookHeight.Item3"});
    add("MainForm.Labels", {"lbSearchKmPlus"});
    add("MainForm.MenuItems", {"pmiExcelExport", "pmiCsvExport"});
    add("MainForm.TabControls", {"tabs.Tab0", "tabs.Tab1", "tabs.Tab2", "tabs.Tab3", "tabs.Tab4", "tabs.Tab5",
                                 "tabs.Tab6", "tabs.Tab7", "tabs.Tab8", "tabs.tabAbout", "tabs.tabSourceData",
                                 "tabs.tabDraftSpeeds", "tabs.tab3DF", "tabs.tab3DB", "tabs.tabCProfile",
                                 "tabs.tabCRoads", "tabs.tabSourceGrid", "tabs.tabPivotGrid"});
    add(kGrids, {"gSourceData.csdRecordNumber", "gSourceData.csdPosition", "gSourceData.csdRoadCathegory",
                 "gSourceData.csdTrafficIntensity", "gSourceData.csdCars", "gSourceData.csdTrucks",
                 "gSourceData.csdBuses", "gSourceData.csdVehicleTrains", "gSourceData.csdCurveRadius",
                 "gSourceData.csdLongitudinalTilt", "gSourceData.csdSlicknessValue", "gSourceData.csdClearance",
                 "gSourceData.csdIsLocality", "gSourceData.csdIsSocialActivity"});
    add(kGrids, {"gDraftV.cgvProfileNumb", "gDraftV.cgvKmPlus", "gDraftV.cgvCathegory", "gDraftV.cgvFreeV",
                 "gDraftV.cgvCurveV", "gDraftV.cgvTiltVF", "gDraftV.cgvTiltVR", "gDraftV.cgvSlickV",
                 "gDraftV.cgvBridgeV", "gDraftV.cgvIntensityV", "gDraftV.cgvLocalityV", "gDraftV.cgvSocialV",
                 "gDraftV.cgvCrossVF", "gDraftV.cgvLookVF", "gDraftV.cgvCrossVR", "gDraftV.cgvLookVR",
                 "gDraftV.cgvMinVF", "gDraftV.cgvCauseF", "gDraftV.cgvKoefF", "gDraftV.cgvMinVR",
                 "gDraftV.cgvCauseR", "gDraftV.cgvKoefR"});
    add(kGrids, {"gCRoadsList.KmPlus", "gCRoadsList.cRoadName", "gProfilesList.PNumber", "gProfilesList.KmPlus"});
    add(kGrids, {"gPivotData.Numb", "gPivotData.KmBeg", "gPivotData.KmEnd", "gPivotData.RCath", "gPivotData.VMinFwd",
                 "gPivotData.CauseFwd", "gPivotData.FailRateFwd", "gPivotData.BoundRateFwd", "gPivotData.ResumeFwd",
                 "gPivotData.VMinRev", "gPivotData.CauseRev", "gPivotData.FailRateRev", "gPivotData.BoundRateRev",
                 "gPivotData.ResumeRev", "gPivotData.Value.Safe", "gPivotData.Value.NotSafe"});
    add(kGrids, {"SpeedLimitCause.Value.CurveRadius", "SpeedLimitCause.Value.LongitudinalTilt",
                 "SpeedLimitCause.Value.Slickness", "SpeedLimitCause.Value.BridgeClearance",
                 "SpeedLimitCause.Value.TrafficIntensity", "SpeedLimitCause.Value.IsLocality",
                 "SpeedLimitCause.Value.IsSocialActivity", "SpeedLimitCause.Value.CrossRoad",
                 "SpeedLimitCause.Value.InvisiblePoints"});
    add("MainForm.Dialogs", {"OpenDial.Filter", "OpenDial.Title", "SaveDial.Filter", "SaveDial.Title"});

    add(kMessages, {"FirstUse.SelectLanguage"});
    add(kMessages, {"LoadData.FileNotFound", "LoadData.ExcelOpenError", "LoadData.FileOpenError", "LoadData.NoHeaders",
                    "LoadData.HeaderReadError", "LoadData.DtmHeadersNotFound", "LoadData.MissingDtmKeyPoints",
                    "LoadData.NoFirstRowDataFound", "LoadData.SearchHeaders", "LoadData.SomeFileSelected",
                    "LoadData.NextNumberConstraint", "LoadData.KmPlusPositionConstraints",
                    "LoadData.NextKmPlusPositionConstraint", "LoadData.IncorrectIncorrectRoadCathegory",
                    "LoadData.IncorrectTrafficIntensity", "LoadData.IncorrectCarsKoef", "LoadData.IncorrectTrucksKoef",
                    "LoadData.IncorrectBusesKoef", "LoadData.IncorrectVehicleTrainsKoef", "LoadData.IncorrectHRadius",
                    "LoadData.IncorrectLongiTilt", "LoadData.IncorrectSlickness", "LoadData.IncorrectBridgeClearance",
                    "LoadData.IncorrectLocalitySign", "LoadData.IncorrectSocialActivitySign",
                    "LoadData.MinRoadRowsConstraint", "LoadData.RoadWillBeExcluded"});
    add(kMessages, {"LoadData.DuplicateHeaders", "LoadData.DuplicateDtmHeaders"},
        {"%XLColNumber1%", "%XLColNumber2%", "%XLColValue%"});
    add(kMessages, {"LoadData.IncorrectHeader", "LoadData.DtmYHheadersNotAllowed"}, {"%XLColNumber%", "%XLColValue%"});
    add(kMessages, {"LoadData.MissingRequiredColumn", "LoadData.MissedRequiredColumn"}, {"%XLColHeader%"});
    add(kMessages, {"LoadData.MissingTrafficDistrHeaders"}, {"%RequiredHeadersList%"});
    add(kMessages, {"LoadData.CellReadError"}, {"%CellAddr%"});
    add(kMessages, {"LoadData.IncorrectCellValue"}, {"%CellAddr%", "%CellValue%"});
    add(kMessages, {"LoadData.RecordNumberConstraints"}, {"%MaxRecordNumber%"});
    add(kMessages, {"LoadData.InvalidTrafficDistrValues"}, {"%RowNumber%"});
    add(kMessages, {"LoadData.RowsLoaded", "LoadData.CrossRoadsLoaded", "LoadData.VegetablesBuildingsLoaded"},
        {"%RecordsCount%"});
    add(kMessages, {"LoadData.MinCRoadPointsConstraint", "LoadData.MinVegBldPointsConstraint",
                    "LoadData.NoCommonCrossPoints"},
        {"%ObjectName%"});
    add(kMessages, {"LoadData.PointNotCorrespondRoadPoints"}, {"%ObjectName%", "%PointNumber%"});
    add(kMessages, {"LoadData.MultiCrossPointsError"}, {"%ObjectName%", "%CrossCount%"});
    add(kMessages, {"CalcLog.ParseVegetablesBuildings", "CalcLog.NoVegetablesBuildings", "CalcLog.CalcFreeVelocity",
                    "CalcLog.CalcHCurves", "CalcLog.CalcLongiTilt", "CalcLog.CalcSlickness",
                    "CalcLog.CalcBridgeClearance", "CalcLog.CalcTrafficIntensity", "CalcLog.CalcLocalitySocActivity",
                    "CalcLog.CalcForwardInviisiblePoints", "CalcLog.CalcBackwardInvisiblePoints",
                    "CalcLog.CalcCrossRoadsVisibility", "CalcLog.NoCrossRoadsList", "CalcLog.FillSourceDataGrid",
                    "CalcLog.FillCalcSpeedsGrid", "CalcLog.CalculateNonComplianceRate", "CalcLog.CalculatePivotData",
                    "CalcLog.AllCalculationsComplete"});
    add(kMessages, {"Draw3D.TooFewProfiles", "Draw3D.RoadSegment", "Draw3D.ScaleText", "Draw3D.CrossProfile",
                    "Draw3D.SinglePoint", "Draw3D.RightPoint", "Draw3D.LeftPoint"});
    add(kMessages, {"Draw3D.CrossPointPosition"}, {"%PointType%"});
    add(kMessages, {"Draw3D.CrossPointShift"}, {"%CPShift%"});
    add(kMessages, {"Draw3D.CrossPointHeight"}, {"%CPHeight%"});
    add(kMessages, {"CSVExport.ErrorNoFileCreate", "CSVExport.FileWriteError", "CSVExport.FileSaveError",
                    "CSVExport.ExportSuccessful", "XLExport.ExcelOpenError", "XLExport.GlobalExcelError",
                    "XLExport.ExcelExchError", "XLExport.ExportSuccessful", "XLExport.SheetNameCalcSpeeds",
                    "XLExport.SheetNameSourceData", "XLExport.SheetNamePivotData"});
    return keys;
}

const QStringList kKnownPlaceholders = {
    "%FILENAME%",   "%XLCOLNUMBER%",   "%XLCOLNUMBER1%",    "%XLCOLNUMBER2%", "%XLCOLVALUE%", "%XLCOLHEADER%",
    "%REQUIREDHEADERSLIST%", "%CELLADDR%", "%CELLVALUE%", "%ROWNUMBER%",    "%RECORDSCOUNT%", "%MAXRECORDNUMBER%",
    "%OBJECTNAME%", "%CROSSCOUNT%",    "%POINTNUMBER%",     "%POINTTYPE%",    "%CPSHIFT%",    "%CPHEIGHT%",
    "%CRS%",        "%LAYER%",         "%REASON%",          "%WRITTENFILE%",
    // the safety report
    "%PAGE%",       "%PAGES%",         "%FROM%",            "%TO%",           "%SHEET%",      "%DIRECTION%",
    "%KMPLUS%"};

QSet<QString> PlaceholdersIn(const QString& text) {
    QSet<QString> found;
    static const QRegularExpression pattern(QStringLiteral("%[A-Za-z0-9]+%"));
    for (const auto& match : pattern.globalMatch(text)) found.insert(match.captured().toUpper());
    return found;
}

using tEntrySet = std::set<std::pair<QString, QString>>;

tEntrySet EntrySet(const TIniFile& file) {
    tEntrySet set;
    for (const auto& [section, key] : file.Entries()) {
        const auto inserted = set.emplace(section.toUpper(), key.toUpper()).second;
        EXPECT_TRUE(inserted) << "duplicate entry " << section.toStdString() << " / " << key.toStdString();
    }
    return set;
}

TEST(LanguageFiles, EachLoadsWithItsCode) {
    for (const auto& lang : kLanguages) {
        TLanguageEngine engine = MakeKestrovaLanguageEngine();
        ASSERT_TRUE(engine.LoadLanguage(LangPath(lang.file))) << lang.file;
        EXPECT_EQ(engine.GetSectionText("Language", "Code").toUpper(), QString(lang.code)) << lang.file;
    }
}

TEST(LanguageFiles, HoldTheSameEntries) {
    const TIniFile english(LangPath("English.lng"), true);
    const tEntrySet reference = EntrySet(english);
    EXPECT_GT(reference.size(), 200u);
    for (const auto& lang : kLanguages) {
        const TIniFile file(LangPath(lang.file), true);
        const tEntrySet entries = EntrySet(file);
        for (const auto& e : reference)
            EXPECT_TRUE(entries.count(e)) << lang.file << " lacks " << e.first.toStdString() << " / " << e.second.toStdString();
        for (const auto& e : entries)
            EXPECT_TRUE(reference.count(e)) << lang.file << " has extra " << e.first.toStdString() << " / "
                                            << e.second.toStdString();
    }
}

TEST(LanguageFiles, HoldEveryKeyTheApplicationUsesWithItsPlaceholders) {
    const auto required = RequiredKeys();
    for (const auto& lang : kLanguages) {
        const TIniFile file(LangPath(lang.file), true);
        ASSERT_TRUE(file.IsLoaded()) << lang.file;
        for (const auto& r : required) {
            const QString value = file.ReadText(r.Section, r.Key, kNotFoundMarker);
            ASSERT_NE(value, kNotFoundMarker) << lang.file << ": " << r.Section.toStdString() << " / " << r.Key.toStdString();
            EXPECT_FALSE(value.isEmpty()) << lang.file << ": " << r.Key.toStdString();
            const QSet<QString> found = PlaceholdersIn(value);
            for (const QString& p : r.Placeholders)
                EXPECT_TRUE(found.contains(p.toUpper())) << lang.file << ": " << r.Key.toStdString() << " lacks "
                                                         << p.toStdString();
        }
    }
}

TEST(LanguageFiles, TranslationsUseTheSamePlaceholdersAsEnglish) {
    const TIniFile english(LangPath("English.lng"), true);
    for (const auto& lang : kLanguages) {
        const TIniFile file(LangPath(lang.file), true);
        for (const auto& [section, key] : english.Entries()) {
            const QSet<QString> expected = PlaceholdersIn(english.ReadText(section, key, QString()));
            const QSet<QString> found = PlaceholdersIn(file.ReadText(section, key, QString()));
            EXPECT_EQ(found, expected) << lang.file << ": " << key.toStdString();
            for (const QString& p : found)
                EXPECT_TRUE(kKnownPlaceholders.contains(p)) << lang.file << ": " << key.toStdString() << " uses "
                                                            << p.toStdString();
        }
    }
}

bool HasLetter(const QString& text, bool cyrillic) {
    for (QChar c : text)
        if (c.isLetter() && ((c.unicode() >= 0x0400 && c.unicode() <= 0x04FF) == cyrillic)) return true;
    return false;
}

TEST(LanguageFiles, UkrainianAndRussianAreTranslated) {
    static const QRegularExpression placeholder(QStringLiteral("%[A-Za-z0-9]+%"));
    const TIniFile english(LangPath("English.lng"), true);
    const QSet<QString> neutralSections = {"LANGUAGE", "CHARSET", "MAINFORM"};
    for (const char* name : {"Ukrainian.lng", "Russian.lng"}) {
        const TIniFile file(LangPath(name), true);
        for (const auto& [section, key] : english.Entries()) {
            if (neutralSections.contains(section.toUpper())) continue;
            const QString en = english.ReadText(section, key, QString());
            const QString text = file.ReadText(section, key, QString());
            if (en == QStringLiteral("%PointType%:")) continue;  // no words of its own
            EXPECT_NE(text, en) << name << ": " << key.toStdString();
            QString words = text;
            words.remove(placeholder);
            if (HasLetter(words, false) || HasLetter(words, true)) {
                EXPECT_TRUE(HasLetter(words, true)) << name << ": " << key.toStdString();
            }
        }
    }
}

TEST(LanguageFiles, NoLettersOfTheOtherLanguage) {
    // Ukrainian has no ы, э, ъ, ё; Russian has no і, ї, є, ґ.
    const QString ukrainian = DecodeFileText(kestrova::test::ReadFile(LangPath("Ukrainian.lng")));
    const QString russian = DecodeFileText(kestrova::test::ReadFile(LangPath("Russian.lng")));
    for (const QString& letter : {QStringLiteral("ы"), QStringLiteral("э"), QStringLiteral("ъ"), QStringLiteral("ё")})
        EXPECT_FALSE(ukrainian.contains(letter, Qt::CaseInsensitive)) << letter.toStdString();
    for (const QString& letter : {QStringLiteral("і"), QStringLiteral("ї"), QStringLiteral("є"), QStringLiteral("ґ")})
        EXPECT_FALSE(russian.contains(letter, Qt::CaseInsensitive)) << letter.toStdString();
}

TEST(LanguageFiles, EveryLineIsReadAsWritten) {
    // A line the reader would drop (no "=", one character, outside a section)
    // is a translation that silently never shows.
    for (const auto& lang : kLanguages) {
        const QByteArray bytes = kestrova::test::ReadFile(LangPath(lang.file));
        ASSERT_TRUE(IsValidUtf8(bytes)) << lang.file;
        const QString text = DecodeFileText(bytes);
        bool inSection = false;
        int lineNumber = 0;
        for (const QString& raw : text.split(QLatin1Char('\n'))) {
            ++lineNumber;
            const QString line = raw.trimmed();
            if (line.isEmpty() || line.startsWith(QLatin1Char(';'))) continue;
            if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']'))) {
                EXPECT_GT(line.size(), 2) << lang.file << ":" << lineNumber;
                inSection = true;
                continue;
            }
            EXPECT_TRUE(inSection && line.size() > 1 && line.indexOf(QLatin1Char('=')) > 0)
                << lang.file << ":" << lineNumber << ": " << line.toStdString();
        }
    }
}

TEST(LanguageFiles, MessagesExpandWithTheirPlaceholders) {
    TLanguageEngine engine = MakeKestrovaLanguageEngine();
    ASSERT_TRUE(engine.LoadLanguage(LangPath("Ukrainian.lng")));
    tMessage message("LoadData.IncorrectCellValue");
    message.With("%CellAddr%", "C12").With("%CellValue%", "\r\n" + engine.GetMessage("LoadData.IncorrectCarsKoef"));
    const QString text = engine.Text(message);
    EXPECT_TRUE(text.contains("C12"));
    EXPECT_TRUE(text.contains("\r\n"));
    EXPECT_FALSE(text.contains('%'));
    EXPECT_TRUE(engine.GetMessage("LoadData.MissingDtmKeyPoints").contains("\r\n"));
}

}  // namespace
