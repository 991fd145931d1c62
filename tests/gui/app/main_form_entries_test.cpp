// The real main window against the shipped language files: every entry that
// translating the window reads is present in all three files.
#include "core/util/ini_file.h"
#include "core/app/language_engine.h"
#include "gui/app/main_form.h"
#include "gui/app/translate_form.h"
#include "test_support.h"

#include <QApplication>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace kestrova;

namespace {

QApplication& MainApp() {
    static int argc = 1;
    static char name[] = "test_gui_translate";
    static char* argv[] = {name, nullptr};
    static QApplication* app = qApp ? qobject_cast<QApplication*>(qApp) : new QApplication(argc, argv);
    return *app;
}

TEST(MainFormEntries, EveryTranslatedControlHasItsEntryInEveryLanguage) {
    MainApp();
    QTemporaryDir dir;
    const QString folder = dir.path() + "/";
    TMainForm form(tMainFormSetup{folder, folder + "Kestrova.ini"});
    const TLanguageEngine engine = MakeKestrovaLanguageEngine();
    const auto entries = TemplateEntries(engine, &form);
    ASSERT_GT(entries.size(), 20u);
    for (const char* name : {"English.lng", "Ukrainian.lng", "Russian.lng"}) {
        const TIniFile file(kestrova::test::SourceDir() + "/lang/" + name, true);
        ASSERT_TRUE(file.IsLoaded()) << name;
        EXPECT_NE(file.ReadText(form.objectName(), "Caption", kNotFoundMarker), kNotFoundMarker) << name;
        for (const auto& e : entries)
            EXPECT_NE(file.ReadText(e.Section, e.Key, kNotFoundMarker), kNotFoundMarker)
                << name << " lacks " << e.Section.toStdString() << " / " << e.Key.toStdString();
    }
}

TEST(MainFormEntries, TranslatedWindowShowsNoBareNames) {
    MainApp();
    QTemporaryDir dir;
    const QString folder = dir.path() + "/";
    TMainForm form(tMainFormSetup{folder, folder + "Kestrova.ini"});
    TLanguageEngine engine = MakeKestrovaLanguageEngine();
    ASSERT_TRUE(engine.LoadLanguage(kestrova::test::SourceDir() + "/lang/Ukrainian.lng"));
    TranslateForm(engine, &form);
    // Every template value is the key itself: none may show in the window now.
    for (const auto& e : TemplateEntries(engine, &form))
        EXPECT_NE(engine.ReadEntry(e.Section, e.Key, e.Key, false), e.Key) << e.Key.toStdString();
}

}  // namespace
