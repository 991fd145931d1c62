#include "core/util/ini_file.h"
#include "core/app/language_engine.h"
#include "gui/app/translate_form.h"
#include "test_support.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QToolButton>

#include <gtest/gtest.h>

#include <memory>

using namespace kestrova;
using kestrova::test::WriteFile;

namespace {

QApplication& App() {
    static int argc = 1;
    static char name[] = "test_gui_translate";
    static char* argv[] = {name, nullptr};
    // One application per process, whichever test makes it first.
    static QApplication* app = qApp ? qobject_cast<QApplication*>(qApp) : new QApplication(argc, argv);
    return *app;
}

template <typename T>
T* Named(T* object, const char* name) {
    object->setObjectName(QString::fromLatin1(name));
    return object;
}

// A small window with one widget of every kind the translation knows.
struct tForm {
    bool appReady = (App(), true);  // widgets need the application first
    std::unique_ptr<QWidget> form = std::make_unique<QWidget>();
    QLabel* label;
    QLabel* hinted;
    QLabel* skipped;
    QLabel* skippedUpper;
    QGroupBox* box;
    QGroupBox* radioGroup;
    QRadioButton* items[4];
    QTabBar* tabs;
    QTabWidget* tabWidget;
    QPushButton* mainLoad;
    QPushButton* crossLoad;
    QToolButton* tool;
    QRadioButton* radio;
    QCheckBox* check;
    QAction* action;

    tForm() {
        form->setObjectName("MainForm");
        form->setWindowTitle("design caption");
        label = Named(new QLabel("design", form.get()), "lbSearchKmPlus__DraftV");
        hinted = Named(new QLabel("design", form.get()), "lbHinted");
        hinted->setProperty("showHint", true);
        skipped = Named(new QLabel("count 12", form.get()), "_x_lbMainCount");
        skippedUpper = Named(new QLabel("keep", form.get()), "_X_lbOther");
        box = Named(new QGroupBox("design", form.get()), "gbLoadRoadData");
        radioGroup = Named(new QGroupBox("design", form.get()), "rgLookHeight");
        for (int i = 0; i < 4; ++i)
            items[i] = Named(new QRadioButton("design", radioGroup), "_x_rgLookHeight_Item");
        tabs = Named(new QTabBar(form.get()), "tabs");
        tabs->addTab("a");
        tabs->addTab("b");
        tabWidget = Named(new QTabWidget(form.get()), "tabsOther");
        tabWidget->addTab(new QWidget, "x");
        mainLoad = Named(new QPushButton("design", box), "btLoadData__Main");
        crossLoad = Named(new QPushButton("design", form.get()), "btLoadData__Cross");
        tool = Named(new QToolButton(form.get()), "btExport__Draft");
        radio = Named(new QRadioButton("design", box), "rbSeparateFile__Cross");
        check = Named(new QCheckBox("design", form.get()), "cbDrawLookLines__3D");
        auto* menu = Named(new QMenu(form.get()), "pmExport");
        action = Named(menu->addAction("design"), "pmiCsvExport");
    }
};

const QByteArray kLanguage =
    "[Language]\r\nSignature=Kestrova Language File\r\nCode=EN\r\n"
    "[MainForm]\r\nCaption=Translated caption\r\n"
    "[MainForm.Labels]\r\nlbSearchKmPlus=Km+ %Unit%\\nnext\r\n"
    "[MainForm.Hints]\r\nlbHinted=A hint\r\n"
    "[MainForm.GroupBoxes]\r\ngbLoadRoadData=Road\\ndata\r\n"
    "[MainForm.RadioGroups]\r\nrgLookHeight=Eye height\r\nrgLookHeight.Item0=Driver\r\nrgLookHeight.Item2=50 m\r\n"
    "[MainForm.TabControls]\r\ntabs.Tab0=About\r\ntabsOther.Tab0=Other\r\n"
    "[MainForm.Buttons]\r\nbtLoadData=Load\r\nbtExport=Export\r\n"
    "[MainForm.RadioButtons]\r\nrbSeparateFile=Separate file\r\n"
    "[MainForm.CheckBoxes]\r\ncbDrawLookLines=Sight lines\r\n"
    "[MainForm.MenuItems]\r\npmiCsvExport=To CSV\r\n";

class TranslateFormTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    TLanguageEngine engine = MakeKestrovaLanguageEngine();
    tForm w;

    void Load(const QByteArray& bytes) {
        const QString path = dir.filePath("English.lng");
        ASSERT_TRUE(WriteFile(path, bytes));
        ASSERT_TRUE(engine.LoadLanguage(path));
    }
};

TEST_F(TranslateFormTest, SetsEveryKindByBaseName) {
    Load(kLanguage);
    engine.SetPlaceholder("%Unit%", "(m)");
    TranslateForm(engine, w.form.get());
    EXPECT_EQ(w.form->windowTitle(), "Translated caption");
    EXPECT_EQ(w.label->text(), "Km+ (m)\r\nnext");             // labels are expanded
    EXPECT_EQ(w.box->title(), " Road\\ndata ");                // group boxes are not, and get blanks
    EXPECT_EQ(w.radioGroup->title(), " Eye height ");
    EXPECT_EQ(w.items[0]->text(), "Driver");
    EXPECT_EQ(w.items[1]->text(), "rgLookHeight.Item1");       // missing item: its key
    EXPECT_EQ(w.items[2]->text(), "50 m");
    EXPECT_EQ(w.tabs->tabText(0), "About");
    EXPECT_EQ(w.tabs->tabText(1), "tabs.Tab1");                // missing tab: its key
    EXPECT_EQ(w.tabWidget->tabText(0), "Other");
    EXPECT_EQ(w.mainLoad->text(), "Load");
    EXPECT_EQ(w.crossLoad->text(), "Load");                    // one entry for both variants
    EXPECT_EQ(w.tool->text(), "Export");
    EXPECT_EQ(w.radio->text(), "Separate file");
    EXPECT_EQ(w.check->text(), "Sight lines");
    EXPECT_EQ(w.action->text(), "To CSV");
    EXPECT_EQ(w.hinted->toolTip(), "A hint");
    EXPECT_EQ(w.hinted->text(), "lbHinted");                   // missing caption: the base name
    EXPECT_TRUE(w.label->toolTip().isEmpty());                 // hints only where switched on
}

TEST_F(TranslateFormTest, SkipPrefixInAnyCaseLeavesTheWidgetAlone) {
    Load(kLanguage);
    TranslateForm(engine, w.form.get());
    EXPECT_EQ(w.skipped->text(), "count 12");
    EXPECT_EQ(w.skippedUpper->text(), "keep");
}

TEST_F(TranslateFormTest, NoLanguageWritesTheFixedTextEverywhere) {
    const QString notLoaded = QStringLiteral("Language not loaded.");
    TranslateForm(engine, w.form.get());
    EXPECT_EQ(w.form->windowTitle(), notLoaded);
    EXPECT_EQ(w.label->text(), notLoaded);
    EXPECT_EQ(w.box->title(), " " + notLoaded + " ");
    EXPECT_EQ(w.items[3]->text(), notLoaded);
    EXPECT_EQ(w.tabs->tabText(1), notLoaded);
    EXPECT_EQ(w.action->text(), notLoaded);
    EXPECT_EQ(w.hinted->toolTip(), notLoaded);
    EXPECT_EQ(w.skipped->text(), "count 12");
}

TEST_F(TranslateFormTest, MissingCaptionKeepsTheWindowTitle) {
    Load("[Language]\r\nSignature=Kestrova Language File\r\n");
    TranslateForm(engine, w.form.get());
    EXPECT_EQ(w.form->windowTitle(), "design caption");
    EXPECT_EQ(w.box->title(), " gbLoadRoadData ");
    EXPECT_EQ(w.mainLoad->text(), "btLoadData");
}

TEST_F(TranslateFormTest, WindowWithoutComponentsIsNotTouched) {
    Load(kLanguage);
    QWidget empty;
    empty.setObjectName("MainForm");
    empty.setWindowTitle("untouched");
    TranslateForm(engine, &empty);
    EXPECT_EQ(empty.windowTitle(), "untouched");
}

TEST_F(TranslateFormTest, TemplateListsTheEntriesInTranslationOrder) {
    // Owned widgets come depth first: a group box, then what it holds.
    const auto entries = TemplateEntries(engine, w.form.get());
    QStringList keys;
    for (const auto& e : entries) {
        EXPECT_EQ(e.Key, e.Value);
        keys << e.Section + "/" + e.Key;
    }
    const QStringList expected = {
        "MainForm.Labels/lbSearchKmPlus",   "MainForm.Hints/lbHinted",           "MainForm.Labels/lbHinted",
        "MainForm.GroupBoxes/gbLoadRoadData", "MainForm.Buttons/btLoadData", "MainForm.RadioButtons/rbSeparateFile",
        "MainForm.RadioGroups/rgLookHeight", "MainForm.RadioGroups/rgLookHeight.Item0",
        "MainForm.RadioGroups/rgLookHeight.Item1", "MainForm.RadioGroups/rgLookHeight.Item2",
        "MainForm.RadioGroups/rgLookHeight.Item3", "MainForm.TabControls/tabs.Tab0", "MainForm.TabControls/tabs.Tab1",
        "MainForm.TabControls/tabsOther.Tab0", "MainForm.Buttons/btLoadData", "MainForm.Buttons/btExport",         "MainForm.CheckBoxes/cbDrawLookLines",
        "MainForm.MenuItems/pmiCsvExport"};
    EXPECT_EQ(keys.join('\n').toStdString(), expected.join('\n').toStdString());
}

TEST_F(TranslateFormTest, WriteTemplateAddsMissingEntriesAndKeepsPresentOnes) {
    const QString path = dir.filePath("New.lng");
    ASSERT_TRUE(WriteFile(path, "[MainForm.Buttons]\r\nbtLoadData=Load now\r\n"));
    QString error;
    ASSERT_TRUE(WriteTemplate(engine, path, w.form.get(), &error)) << error.toStdString();
    ASSERT_TRUE(engine.LoadLanguage(path));
    TranslateForm(engine, w.form.get());
    EXPECT_EQ(w.form->windowTitle(), "MainForm");
    EXPECT_EQ(w.mainLoad->text(), "Load now");
    EXPECT_EQ(w.box->title(), " gbLoadRoadData ");
    EXPECT_EQ(w.items[3]->text(), "rgLookHeight.Item3");
    TIniFile file(path, true);
    EXPECT_EQ(file.ReadText("CharSet", "CharSet", ""), "1");
    EXPECT_EQ(file.ReadText("MainForm.MenuItems", "pmiCsvExport", ""), "pmiCsvExport");
}

TEST_F(TranslateFormTest, ShippedLanguageFilesCoverTheWindowControls) {
    // The translated controls of the main window: none may fall back to its name.
    App();
    QWidget form;
    form.setObjectName("MainForm");
    std::vector<std::pair<QObject*, std::function<QString()>>> checks;
    auto text = [](auto* w) { return [w] { return w->text(); }; };
    auto title = [](QGroupBox* b) { return [b] { return b->title().trimmed(); }; };
    for (const char* name : {"gbLanguageSelect", "gbLoadRoadData", "gbLoadCrossRoads", "gbStartCalc",
                             "gbLoadVegetationBuildings", "gbCursorMeas", "gbCRoadList", "gbCRoadsPProfiles"}) {
        auto* b = Named(new QGroupBox(&form), name);
        checks.push_back({b, title(b)});
    }
    for (const char* name : {"btLoadData__Main", "btLoadData__Cross", "btLoadData__Green", "btStartCalc",
                             "btExport__Draft", "btExport__Source", "btExport__PivotData", "btSearchKmp__DraftV",
                             "btSearchKmp__PivotData", "btSearchKmp__SourceData"}) {
        auto* b = Named(new QPushButton(&form), name);
        checks.push_back({b, text(b)});
    }
    for (const char* name : {"rbSeparateFile__Cross", "rbSecondSheet__Cross", "rbThirdSheet__Cross",
                             "rbSeparateFile__Green", "rbSecondSheet__Green", "rbThirdSheet__Green", "rbCRoadFwd",
                             "rbCRoadRev"}) {
        auto* b = Named(new QRadioButton(&form), name);
        checks.push_back({b, text(b)});
    }
    for (const char* name : {"cbDrawLookLines__3D", "cbDrawRoadGrid__3D", "cbCropProfile30m"}) {
        auto* b = Named(new QCheckBox(&form), name);
        checks.push_back({b, text(b)});
    }
    for (const char* name : {"lbSearchKmPlus__DraftV", "lbSearchKmPlus__PivotData", "lbSearchKmPlus__SoureceData"}) {
        auto* l = Named(new QLabel(&form), name);
        checks.push_back({l, text(l)});
    }
    auto* rg = Named(new QGroupBox(&form), "rgLookHeight");
    checks.push_back({rg, title(rg)});
    for (int i = 0; i < 4; ++i) {
        auto* item = Named(new QRadioButton(rg), "_x_item");
        checks.push_back({item, text(item)});
    }
    auto* menu = Named(new QMenu(&form), "pmExport");
    for (const char* name : {"pmiExcelExport", "pmiCsvExport"}) {
        QAction* a = Named(menu->addAction(QString()), name);
        checks.push_back({a, text(a)});
    }
    auto* tabs = Named(new QTabBar(&form), "tabs");
    for (int i = 0; i < 9; ++i) tabs->addTab(QString());

    for (const char* file : {"English.lng", "Ukrainian.lng", "Russian.lng"}) {
        ASSERT_TRUE(engine.LoadLanguage(kestrova::test::SourceDir() + "/lang/" + file));
        TranslateForm(engine, &form);
        for (const auto& [object, read] : checks) {
            const QString shown = read();
            EXPECT_FALSE(shown.isEmpty()) << file << ": " << object->objectName().toStdString();
            EXPECT_NE(shown, engine.BaseName(object->objectName())) << file;
            EXPECT_FALSE(shown.contains("rgLookHeight.Item")) << file;
        }
        for (int i = 0; i < 9; ++i) EXPECT_NE(tabs->tabText(i), QStringLiteral("tabs.Tab%1").arg(i)) << file;
    }
}

}  // namespace
