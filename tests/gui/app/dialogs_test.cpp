// The texts of the file dialogs: filters shown once, and the toolkit's own
// words in the window's language.
#include "gui_fixture.h"

#include "gui/app/toolkit_translation.h"

#include <QComboBox>
#include <QCoreApplication>

namespace kestrova::test {
namespace {

TEST(GuiDialogs, FilterShowsEachPatternOnce) {
    struct tCase {
        const char* Pipe;
        const char* Dialog;
    };
    const tCase cases[] = {
        {"CSV files (*.csv)|*.csv|All files (*.*)|*.*", "CSV files (*.csv);;All files (*.*)"},
        {"Filter|*.csv|*.*|*.*", "Filter (*.csv);;*.* (*.*)"},
        {"Data tables (*.xls;*.xlsx;*.csv)|*.xls;*.xlsx;*.csv", "Data tables (*.xls *.xlsx *.csv)"},
        {"Tables (old)|*.xls", "Tables (old) (*.xls)"},  // brackets without a pattern are words
        {"Таблиці (*.xlsx)|*.xlsx", "Таблиці (*.xlsx)"},
        {"odd|", "odd ()"},
    };
    for (const tCase& c : cases)
        EXPECT_EQ(DialogFilter(QString::fromUtf8(c.Pipe)).toStdString(), c.Dialog) << c.Pipe;
}

TEST(GuiDialogs, ToolkitTextsFollowTheChosenLanguage) {
    App();
    struct tWord {
        const char* Context;
        const char* Source;
    };
    // Words of the file dialogs and message boxes.
    const tWord words[] = {{"QFileDialog", "Look in:"}, {"QFileDialog", "File &name:"}, {"QPlatformTheme", "Cancel"},
                           {"QPlatformTheme", "Save"}, {"QPlatformTheme", "&Yes"}};
    const auto translated = [&](const tWord& w) { return QCoreApplication::translate(w.Context, w.Source); };
    TInstall install;
    TRecordingSeam seam;
    TStartedWindow window(install, seam);
    std::map<QString, QStringList> seen;
    for (const char* language : {"UKRAINIAN", "RUSSIAN", "ENGLISH"}) {
        window->AboutPage()->Ui()._x_cbLangSelect->setCurrentIndex(window->AboutPage()->Ui()._x_cbLangSelect->findText(QString::fromLatin1(language)));
        for (const tWord& w : words) {
            const QString text = translated(w);
            if (QLatin1String(language) == QLatin1String("ENGLISH"))
                EXPECT_EQ(text, QString::fromLatin1(w.Source)) << language << " " << w.Source;
            else
                EXPECT_NE(text, QString::fromLatin1(w.Source)) << language << " " << w.Source;
            seen[QString::fromLatin1(language)] << text;
        }
    }
    EXPECT_NE(seen[QStringLiteral("UKRAINIAN")], seen[QStringLiteral("RUSSIAN")]);
    EXPECT_EQ(ToolkitLocaleOfCode(QStringLiteral("UA")), QStringLiteral("uk"));
    EXPECT_EQ(ToolkitLocaleOfCode(QStringLiteral("EN")), QString());
}

}  // namespace
}  // namespace kestrova::test
