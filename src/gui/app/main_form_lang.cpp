// Language choice and window translation, the about page, and the window's
// placement and control states in the settings file.
#include "gui/app/main_form.h"
#include "gui/app/report_command.h"

#include "gui/app/app_object.h"
#include "gui/app/form_placement.h"
#include "core/util/ini_file.h"
#include "core/app/product.h"
#include "gui/app/text_fitting.h"
#include "gui/app/toolkit_translation.h"
#include "gui/app/ui_seam.h"
#include "core/calc/crossroads_list.h"
#include "core/calc/grid_texts.h"
#include "gui/pages/about_page.h"
#include "gui/pages/crossroads_page.h"
#include "gui/pages/grid_page.h"
#include "gui/pages/load_page.h"
#include "gui/pages/view_page.h"
#include "gui/views/overview_page.h"
#include "gui/views/string_grid.h"

#include "gui/app/translate_form.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTimer>

#include <map>

namespace kestrova {

namespace {

const QString kComponents = QStringLiteral("MainForm.Components");
const QString kFormPosition = QStringLiteral("MainForm.FormPosition");
constexpr int kNoNumber = -666;

bool Skipped(const QString& name) {
    return name.isEmpty() || name.startsWith(QStringLiteral("_x_"), Qt::CaseInsensitive) ||
           name.startsWith(QStringLiteral("qt_"));
}

// The window's own controls in creation order (toolkit internals have no name).
QList<QWidget*> OwnControls(QWidget* form) {
    QList<QWidget*> out;
    for (QWidget* w : form->findChildren<QWidget*>()) {
        if (w->objectName().isEmpty()) continue;
        out << w;
    }
    return out;
}

std::map<QString, tFormPlacement> gPlacements;  // remembered at restore, per window name

}  // namespace

// ---- language ------------------------------------------------------------

void TMainForm::BuildLanguageList() {
    QComboBox* _x_cbLangSelect = FAbout->Ui()._x_cbLangSelect;
    QLineEdit* edLang = FAbout->Ui().edLang;
    const QSignalBlocker block(_x_cbLangSelect);
    _x_cbLangSelect->clear();
    const QDir langDir(FExeFolder + QStringLiteral("LANG"));
    if (!langDir.exists()) {
        // The language folder is part of the installation; without it the
        // window keeps its built-in captions.
        // Reported as any error of the start-up step: with the window as the component.
        ReportApplicationError(QStringLiteral("I/O error: folder not found: ") + QDir::toNativeSeparators(langDir.path()),
                               this);
        return;
    }
    QStringList names;
    FLanguageFiles.clear();
    const QFileInfoList files = langDir.entryInfoList(QDir::Files | QDir::Readable | QDir::Hidden, QDir::Name);
    for (const QFileInfo& fi : files) {
        if (fi.suffix().compare(QStringLiteral("lng"), Qt::CaseInsensitive) != 0) continue;
        const QString entry = fi.completeBaseName().toUpper();
        if (FLanguageFiles.contains(entry)) continue;
        // The list shows upper-cased names; the file keeps its own spelling.
        FLanguageFiles.insert(entry, fi.absoluteFilePath());
        names << entry;
    }
    names.sort();
    const QString saved = edLang->text().trimmed().toUpper();
    int selected = -1;
    for (int i = 0; i < names.size(); ++i) {
        _x_cbLangSelect->addItem(names[i]);
        if (names[i] == saved && !saved.isEmpty()) selected = i;
    }
    gFirstUse = selected < 0;
    if (!names.isEmpty() && gFirstUse) {
        const int chosen = names.size() == 1 ? 0 : names.indexOf(QStringLiteral("UKRAINIAN"));
        if (chosen >= 0) {
            selected = chosen;
            edLang->setText(names[chosen]);
        }
    }
    if (names.isEmpty()) {
        UiSeam().ShowMessage(nullptr, QStringLiteral("ERROR"),
                             QStringLiteral("No language resources.\r\nPlease contact the software dealer."), tBoxIcon::Error);
        QTimer::singleShot(0, this, &QWidget::close);
        return;
    }
    _x_cbLangSelect->setCurrentIndex(selected < 0 ? 0 : selected);
    ApplyLanguage();
    SelectTab(gFirstUse ? FTab.About : FTab.SourceData);
    if (gFirstUse && names.size() > 1) {
        ProcessMessages();
        QTimer::singleShot(500, this, [this, _x_cbLangSelect] {
            UiSeam().ShowMessage(this, ApplicationTitle(), gLanguageEngine.GetMessage(QStringLiteral("FirstUse.SelectLanguage")),
                                 tBoxIcon::Warning);
            _x_cbLangSelect->setFocus();
            if (isVisible() && QGuiApplication::platformName() != QStringLiteral("offscreen")) _x_cbLangSelect->showPopup();
        });
    }
}

void TMainForm::_x_cbLangSelectChange() {
    ApplyLanguage();
    FAbout->Ui().edLang->setText(FAbout->Ui()._x_cbLangSelect->currentText());
}

void TMainForm::ApplyLanguage() {
    const QString entry = FAbout->Ui()._x_cbLangSelect->currentText();
    gLanguageEngine.LoadLanguage(FLanguageFiles.value(entry, FExeFolder + QStringLiteral("LANG/") + entry + QStringLiteral(".lng")));
    TranslateForm(gLanguageEngine, this);
    setWindowTitle(ApplicationTitle());
    FView->FitTools();

    const QString tabSection = QStringLiteral("MainForm.TabControls");
    const std::pair<int, const char*> tabKeys[] = {
        {FTab.About, "tabs.tabAbout"},         {FTab.SourceData, "tabs.tabSourceData"}, {FTab.DraftSpeeds, "tabs.tabDraftSpeeds"},
        {FTab.View3DF, "tabs.tab3DF"},         {FTab.View3DB, "tabs.tab3DB"},           {FTab.CProfile, "tabs.tabCProfile"},
        {FTab.CRoads, "tabs.tabCRoads"},       {FTab.SourceGrid, "tabs.tabSourceGrid"}, {FTab.PivotGrid, "tabs.tabPivotGrid"},
        {FTab.Overview, "tabs.tabOverview"}};
    for (const auto& [index, key] : tabKeys)
        if (index >= 0 && index < tabs->count())
            tabs->setTabText(index, gLanguageEngine.GetSectionText(tabSection, QString::fromLatin1(key)));

    SetGridHeaders();
    const QString dialogs = QStringLiteral("MainForm.Dialogs");
    FLoad->OpenDialFilter = gLanguageEngine.GetSectionText(dialogs, QStringLiteral("OpenDial.Filter"));
    FLoad->OpenDialTitle = gLanguageEngine.GetSectionText(dialogs, QStringLiteral("OpenDial.Title"));
    SaveDialFilter = gLanguageEngine.GetSectionText(dialogs, QStringLiteral("SaveDial.Filter"));
    SaveDialTitle = gLanguageEngine.GetSectionText(dialogs, QStringLiteral("SaveDial.Title"));
    FillCauseTexts();
    FOverview->ApplyLanguage([this](const QString& s, const QString& k) { return gLanguageEngine.GetSectionText(s, k); });
    if (FReport) FReport->ApplyLanguage();
    gLanguageCode = gLanguageEngine.GetSectionText(QStringLiteral("Language"), QStringLiteral("Code")).toUpper();
    InstallToolkitTranslation(gLanguageCode);
    gLanguageCode = FAbout->ShowAbout(gLanguageCode);
}

void TMainForm::SetGridHeaders() {
    const auto header = [&](TStringGrid* grid, int col, const QString& key) {
        grid->SetCells(col, 0, gLanguageEngine.GetSectionText(GridSection(), key).replace(QStringLiteral("\r\n"), QStringLiteral("\r")));
    };
    for (const TGridPage* page : FGrids)
        for (int c = 0; c < GridColumnCount(page->GridId()); ++c) header(page->Ui().Grid, c, HeaderKey(page->GridId(), c));
    for (int c = 0; c < 2; ++c) {
        header(FCrossRoads->Ui().gCRoadsList, c, CrossRoadsListHeaderKey(c));
        for (TStringGrid* g : {FCrossRoads->Ui().gCrProfilesList, FView->Ui().gProfilesList})
            header(g, c, HeaderKey(tGridId::ProfilesList, c));
    }
}

// ---- component states ----------------------------------------------------

bool TMainForm::SaveComponents(const QString& fileName) {
    TIniFile ini(fileName, false);
    if (ini.IsReadOnly()) return false;
    ini.DropSection(kComponents);
    for (QWidget* w : OwnControls(this)) {
        const QString name = w->objectName();
        if (Skipped(name)) continue;
        if (auto* e = qobject_cast<QLineEdit*>(w)) {
            if (e->inputMask().isEmpty()) ini.WriteText(kComponents, name, e->text());
        } else if (auto* cb = qobject_cast<QCheckBox*>(w)) {
            ini.WriteText(kComponents, name, cb->isChecked() ? QStringLiteral("1") : QStringLiteral("0"));
        } else if (auto* rb = qobject_cast<QRadioButton*>(w)) {
            ini.WriteText(kComponents, name, rb->isChecked() ? QStringLiteral("1") : QStringLiteral("0"));
        } else if (auto* gb = qobject_cast<QGroupBox*>(w); gb && gb->property("radioGroup").toBool()) {
            int index = -1;
            const auto items = gb->findChildren<QRadioButton*>(QString(), Qt::FindDirectChildrenOnly);
            for (int i = 0; i < items.size(); ++i)
                if (items[i]->isChecked()) index = i;
            ini.WriteNumber(kComponents, name, index);
        } else if (auto* memo = qobject_cast<QPlainTextEdit*>(w)) {
            const QStringList lines = memo->toPlainText().split(QLatin1Char('\n'));
            ini.WriteNumber(kComponents, name + QStringLiteral("_Lines"), 0);
            for (int i = 0; i < lines.size(); ++i) ini.WriteText(kComponents, name + QStringLiteral("_Line%1").arg(i), lines[i].trimmed());
            ini.WriteNumber(kComponents, name + QStringLiteral("_Lines"), static_cast<int>(lines.size()));
        } else if (auto* combo = qobject_cast<QComboBox*>(w)) {
            ini.WriteNumber(kComponents, name + QStringLiteral("_Lines"), 0);
            ini.WriteNumber(kComponents, name + QStringLiteral("_ItemIndex"), combo->currentIndex());
            int n = 0;
            for (int i = 0; i < combo->count(); ++i)
                if (!combo->itemText(i).trimmed().isEmpty())
                    ini.WriteText(kComponents, name + QStringLiteral("_Line%1").arg(n++), combo->itemText(i).trimmed());
            ini.WriteNumber(kComponents, name + QStringLiteral("_Lines"), n);
        }
    }
    FOverview->SaveState(ini, kComponents);
    return ini.WriteBack();
}

void TMainForm::LoadComponents(const QString& fileName) {
    const TIniFile ini(fileName, true);
    for (QWidget* w : OwnControls(this)) {
        const QString name = w->objectName();
        if (Skipped(name)) continue;
        if (auto* e = qobject_cast<QLineEdit*>(w)) {
            if (!e->inputMask().isEmpty()) continue;
            const QString v = ini.ReadText(kComponents, name, kNotFoundMarker);
            if (v != kNotFoundMarker) e->setText(v);
        } else if (auto* cb = qobject_cast<QCheckBox*>(w)) {
            const int v = ini.ReadNumber(kComponents, name, kNoNumber);
            if (v != kNoNumber) cb->setChecked(v == 1);
        } else if (auto* rb = qobject_cast<QRadioButton*>(w)) {
            const int v = ini.ReadNumber(kComponents, name, kNoNumber);
            if (v == 1) rb->setChecked(true);
        } else if (auto* gb = qobject_cast<QGroupBox*>(w); gb && gb->property("radioGroup").toBool()) {
            const int v = ini.ReadNumber(kComponents, name, kNoNumber);
            const auto items = gb->findChildren<QRadioButton*>(QString(), Qt::FindDirectChildrenOnly);
            if (v >= 0 && v < items.size()) items[v]->setChecked(true);
        } else if (auto* memo = qobject_cast<QPlainTextEdit*>(w)) {
            const int n = ini.ReadNumber(kComponents, name + QStringLiteral("_Lines"), kNoNumber);
            if (n == kNoNumber) continue;
            QStringList lines;
            for (int i = 0; i < n; ++i) lines << ini.ReadText(kComponents, name + QStringLiteral("_Line%1").arg(i), QString());
            memo->setPlainText(lines.join(QLatin1Char('\n')));
        }
    }
    FOverview->LoadState(ini, kComponents);
    // The source options show or hide their file boxes.
    FLoad->rbSelectCrossSource();
    FLoad->rbSelectGreenSource();
}

// ---- window placement ----------------------------------------------------

bool TMainForm::SaveFormPosition(const QString& fileName) {
    const tDesktop desktop = CurrentDesktop();
    const auto it = gPlacements.find(objectName());
    const tFormPlacement p = PlacementToSave(TWidgetPlacement(this), desktop, it != gPlacements.end() ? &it->second : nullptr);
    TIniFile ini(fileName, false);
    ini.WriteText(kFormPosition, QStringLiteral("%1x%2").arg(desktop.Virtual.width()).arg(desktop.Virtual.height()),
                  FormatFormPlacement(p));
    return ini.WriteBack() && !ini.IsReadOnly();
}

void TMainForm::LoadFormPosition(const QString& fileName) {
    const tDesktop desktop = CurrentDesktop();
    QString value;
    {
        const TIniFile ini(fileName, true);
        value = ini.ReadText(kFormPosition, QStringLiteral("%1x%2").arg(desktop.Virtual.width()).arg(desktop.Virtual.height()), QString());
    }
    TWidgetPlacement window(this);
    gPlacements[objectName()] = RestorePlacement(window, desktop, ParseFormPlacement(value));
}

}  // namespace kestrova
