// Start-up with no, one and several language files, a missing language
// folder, a saved choice, and the application error box.
#include "gui_fixture.h"

#include "gui/app/app_object.h"
#include "core/app/product.h"
#include "gui/views/image_view.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabBar>

#include <stdexcept>

namespace kestrova::test {
namespace {

TEST(GuiStartup, SingleLanguageIsAppliedWithoutPromptOnTheAboutTab) {
    TInstall install({QStringLiteral("English.lng")});
    TRecordingSeam seam;
    TStartedWindow w(install, seam);
    Pump(700);
    EXPECT_TRUE(w->FirstUse());
    EXPECT_EQ(w->LanguageCode(), QStringLiteral("EN"));
    EXPECT_EQ(w->AboutPage()->Ui().edLang->text(), QStringLiteral("ENGLISH"));
    EXPECT_EQ(w->AboutPage()->Ui()._x_cbLangSelect->count(), 1);
    EXPECT_EQ(w->Tabs()->currentIndex(), 0);
    EXPECT_TRUE(w->AboutPage()->isVisible());
    EXPECT_FALSE(w->LoadPage()->isVisible());
    EXPECT_TRUE(seam.Messages.empty()) << seam.LastText().toStdString();
    EXPECT_EQ(w->windowTitle(), ApplicationTitle());
    EXPECT_EQ(w->Tabs()->tabText(1), w->Engine().GetSectionText(QStringLiteral("MainForm.TabControls"), QStringLiteral("tabs.tabSourceData")));
    EXPECT_NE(w->Tabs()->tabText(1), QStringLiteral("tabs.tabSourceData"));
    EXPECT_EQ(w->AboutPage()->Ui()._x_AppVersion->text(), kAboutVersionText);
    EXPECT_EQ(w->AboutPage()->Ui()._x_AppName->text(), kProductName);
    EXPECT_FALSE(w->AboutPage()->Ui()._x_mAboutInfo1->toPlainText().isEmpty());
    EXPECT_FALSE(w->AboutPage()->Ui()._splash->Picture().isNull());
    EXPECT_EQ(w->AboutPage()->Ui()._splash->Picture().size(), QSize(274, 394));
    EXPECT_GE(w->minimumWidth(), 800);
    EXPECT_GE(w->minimumHeight(), 600);
}

TEST(GuiStartup, SeveralLanguagesPreferUkrainianAndAskTheUser) {
    TInstall install;
    TRecordingSeam seam;
    TStartedWindow w(install, seam);
    EXPECT_EQ(w->AboutPage()->Ui()._x_cbLangSelect->currentText(), QStringLiteral("UKRAINIAN"));
    EXPECT_EQ(w->AboutPage()->Ui().edLang->text(), QStringLiteral("UKRAINIAN"));
    EXPECT_EQ(w->LanguageCode(), QStringLiteral("UA"));
    EXPECT_EQ(w->Tabs()->currentIndex(), 0);
    // The prompt comes half a second later.
    ASSERT_TRUE(WaitFor([&] { return !seam.Messages.empty(); }, 3000));
    EXPECT_EQ(seam.Messages.back().Text, w->Engine().GetMessage(QStringLiteral("FirstUse.SelectLanguage")));
    EXPECT_EQ(seam.Messages.back().Icon, tBoxIcon::Warning);
}

TEST(GuiStartup, SeveralLanguagesWithoutUkrainianTakeTheFirstOfTheSortedList) {
    TInstall install({QStringLiteral("Russian.lng"), QStringLiteral("English.lng")});
    TRecordingSeam seam;
    TStartedWindow w(install, seam);
    EXPECT_EQ(w->AboutPage()->Ui()._x_cbLangSelect->currentText(), QStringLiteral("ENGLISH"));
    EXPECT_EQ(w->AboutPage()->Ui()._x_cbLangSelect->itemText(1), QStringLiteral("RUSSIAN"));
    EXPECT_TRUE(w->AboutPage()->Ui().edLang->text().isEmpty());  // nothing chosen, only the first selected
    EXPECT_EQ(w->LanguageCode(), QStringLiteral("EN"));
    ASSERT_TRUE(WaitFor([&] { return !seam.Messages.empty(); }, 3000));
}

TEST(GuiStartup, NoLanguageFilesReportAndClose) {
    TInstall install(QStringList{});
    TRecordingSeam seam;
    TStartedWindow w(install, seam);
    ASSERT_FALSE(seam.Messages.empty());
    EXPECT_EQ(seam.Messages.front().Caption, QStringLiteral("ERROR"));
    EXPECT_EQ(seam.Messages.front().Text, QStringLiteral("No language resources.\r\nPlease contact the software dealer."));
    EXPECT_EQ(seam.Messages.front().Icon, tBoxIcon::Error);
    EXPECT_TRUE(WaitFor([&] { return !w->isVisible(); }, 2000));
}

TEST(GuiStartup, MissingLanguageFolderKeepsTheWindowWithItsBuiltInCaptions) {
    TInstall install({}, false);
    TRecordingSeam seam;
    TStartedWindow w(install, seam);
    Pump(100);
    ASSERT_EQ(seam.Messages.size(), 1u);
    // The error box of the start-up step: the error, then the component.
    const QString lang = QDir::toNativeSeparators(install.Folder() + QStringLiteral("LANG"));
    EXPECT_EQ(seam.Messages[0].Text,
              QStringLiteral("Application error : I/O error: folder not found: ") + lang + QStringLiteral("\r\nComponent : MainForm"));
    EXPECT_EQ(seam.Messages[0].Icon, tBoxIcon::Error);
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(w->AboutPage()->Ui()._x_cbLangSelect->count(), 0);
    EXPECT_EQ(w->LoadPage()->Ui().btLoadData__Main->text(), QStringLiteral("btLoadData"));
}

TEST(GuiStartup, SavedChoiceInAnyCaseIsAppliedAndTheLoadingTabShown) {
    TInstall install;
    {
        QFile f(install.Settings());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("[MainForm.Components]\r\nedLang=russian\r\n");
    }
    TRecordingSeam seam;
    TStartedWindow w(install, seam);
    Pump(700);
    EXPECT_FALSE(w->FirstUse());
    EXPECT_EQ(w->LanguageCode(), QStringLiteral("RU"));
    EXPECT_EQ(w->Tabs()->currentIndex(), 1);
    EXPECT_TRUE(w->LoadPage()->isVisible());
    EXPECT_TRUE(seam.Messages.empty());
}

TEST(GuiStartup, DeveloperShortcutOnlyWithTheVersionFile) {
    TInstall install({QStringLiteral("English.lng")});
    TRecordingSeam seam;
    {
        TStartedWindow w(install, seam);
        EXPECT_TRUE(w->LoadPage()->Ui()._x_TestButton->isHidden());
        EXPECT_FALSE(w->LoadPage()->Ui()._x_TestButton->isEnabled());
    }
    QFile f(install.Folder() + QStringLiteral("KestrovaVersion"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("Const  c_ProgVersion='v.1.4.20';\r\n");
    f.close();
    TStartedWindow w(install, seam);
    EXPECT_FALSE(w->LoadPage()->Ui()._x_TestButton->isHidden());
    EXPECT_TRUE(w->LoadPage()->Ui()._x_TestButton->isEnabled());
    EXPECT_EQ(w->LoadPage()->Ui()._x_TestButton->text(), QStringLiteral("Load all && calc"));
}

TEST(GuiStartup, ApplicationErrorTextNamesTheComponent) {
    QObject named;
    named.setObjectName(QStringLiteral("btStartCalc"));
    EXPECT_EQ(ApplicationErrorText(QStringLiteral("boom"), &named),
              QStringLiteral("Application error : boom\r\nComponent : btStartCalc"));
    EXPECT_EQ(ApplicationErrorText(QStringLiteral("boom"), nullptr), QStringLiteral("Application error : boom"));
}

class TThrowingObject final : public QObject {
public:
    bool event(QEvent* e) override {
        if (e->type() == QEvent::User) throw std::runtime_error("stage failed");
        return QObject::event(e);
    }
};

TEST(GuiStartup, AnExceptionEscapingAHandlerIsReportedAndTheApplicationGoesOn) {
    App();
    TRecordingSeam seam;
    SetUiSeam(&seam);
    TThrowingObject object;
    object.setObjectName(QStringLiteral("gDraftV"));
    QEvent e(QEvent::User);
    QCoreApplication::sendEvent(&object, &e);
    SetUiSeam(nullptr);
    ASSERT_EQ(seam.Messages.size(), 1u);
    EXPECT_EQ(seam.Messages[0].Text, QStringLiteral("Application error : stage failed\r\nComponent : gDraftV"));
    EXPECT_EQ(seam.Messages[0].Icon, tBoxIcon::Error);
}

}  // namespace
}  // namespace kestrova::test
