// What the window tests share: an application object, a temporary
// installation (executable folder with LANG and examples), a seam that
// records messages and answers the file dialogs, and a started window.
#pragma once

#include "gui/app/app_object.h"
#include "gui/app/main_form.h"
#include "gui/app/ui_seam.h"
#include "core/generate/road_generator.h"
#include "gui/pages/about_page.h"
#include "gui/pages/crossroads_page.h"
#include "gui/pages/grid_page.h"
#include "gui/pages/load_page.h"
#include "gui/pages/view_page.h"
#include "test_support.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <memory>
#include <vector>

namespace kestrova::test {

inline QApplication& App() {
    static int argc = 1;
    static char name[] = "test_gui_main";
    static char* argv[] = {name, nullptr};
    static QApplication* app = [] {
        auto* a = new TKestrovaApplication(argc, argv);
        return a;
    }();
    return *app;
}

struct tShownMessage {
    QString Caption;
    QString Text;
    tBoxIcon Icon = tBoxIcon::None;
};

class TRecordingSeam final : public TUiSeam {
public:
    std::vector<tShownMessage> Messages;
    std::deque<QString> OpenAnswers;
    std::deque<QString> SaveAnswers;
    std::vector<QString> OpenedDocuments;
    bool OpenDocumentResult = true;

    void ShowMessage(QWidget*, const QString& caption, const QString& text, tBoxIcon icon) override {
        Messages.push_back({caption, text, icon});
    }
    QString OpenFileName(QWidget*, const tFileDialogRequest&) override { return Pop(OpenAnswers); }
    QString SaveFileName(QWidget*, const tFileDialogRequest&) override { return Pop(SaveAnswers); }
    bool OpenDocument(const QString& fileName) override {
        OpenedDocuments.push_back(fileName);
        return OpenDocumentResult;
    }
    QString LastText() const { return Messages.empty() ? QString() : Messages.back().Text; }

private:
    static QString Pop(std::deque<QString>& q) {
        if (q.empty()) return {};
        QString s = q.front();
        q.pop_front();
        return s;
    }
};

// Runs pending events until done() holds or the time is up.
inline bool WaitFor(const std::function<bool()>& done, int ms = 5000) {
    QElapsedTimer t;
    t.start();
    while (!done()) {
        if (t.elapsed() > ms) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

inline void Pump(int ms) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

// A small generated road (with crossroads and vegetation/buildings), written
// once per test program.
inline const tGeneratedRoad& SmallRoad() {
    static const tGeneratedRoad road = GenerateRoad({3.0, 10.0, 7});
    return road;
}

// An executable folder of its own: LANG with the chosen language files and
// examples with the generated tables.
class TInstall {
public:
    explicit TInstall(const QStringList& languages = {QStringLiteral("English.lng"), QStringLiteral("Russian.lng"),
                                                     QStringLiteral("Ukrainian.lng")},
                      bool withLangFolder = true) {
        EXPECT_TRUE(Dir.isValid());
        if (withLangFolder) {
            QDir().mkpath(Folder() + QStringLiteral("LANG"));
            for (const QString& l : languages)
                EXPECT_TRUE(QFile::copy(BinDir() + QStringLiteral("/LANG/") + l, Folder() + QStringLiteral("LANG/") + l)) << l.toStdString();
        }
        QString error;
        EXPECT_TRUE(WriteGeneratedCsv(SmallRoad(), Folder() + QStringLiteral("examples"), error)) << error.toStdString();
    }
    QString Folder() const { return Dir.path() + QLatin1Char('/'); }
    QString Settings() const { return Folder() + QStringLiteral("Kestrova.ini"); }

    QTemporaryDir Dir;
};

// Settings that start the installation's window in English.
inline void ChooseEnglish(const TInstall& install) {
    EXPECT_TRUE(WriteFile(install.Settings(), "[MainForm.Components]\r\nedLang=ENGLISH\r\n"));
}

// The installation's three example tables loaded through their load buttons,
// then the calculation, as a user clicks them.
inline void LoadAllAndCalculate(TMainForm& w) {
    w.LoadPage()->btLoadData__MainClick();
    w.LoadPage()->btLoadData__GreenClick();
    w.LoadPage()->btLoadData__CrossClick();
    w.btStartCalcClick();
}

// A window started on an installation, with the recording seam in place.
class TStartedWindow {
public:
    TStartedWindow(const TInstall& install, TRecordingSeam& seam, const QString& settings = {}) {
        App();
        SetUiSeam(&seam);
        Form = std::make_unique<TMainForm>(tMainFormSetup{install.Folder(), settings.isEmpty() ? install.Settings() : settings});
        Form->show();
        EXPECT_TRUE(WaitFor([this] { return Form->Started(); }));
    }
    ~TStartedWindow() {
        Form.reset();
        SetUiSeam(nullptr);
    }
    TMainForm* operator->() { return Form.get(); }
    TMainForm& operator*() { return *Form; }

    std::unique_ptr<TMainForm> Form;
};

}  // namespace kestrova::test
