// Language choice and window translation, the about page, and the window's
// placement and control states in the settings file.
#include "app/main_form.h"
#include "app/report_command.h"

#include "app/app_object.h"
#include "app/form_placement.h"
#include "app/ini_file.h"
#include "app/product.h"
#include "app/text_fitting.h"
#include "app/toolkit_translation.h"
#include "app/ui_seam.h"
#include "calc/crossroads_list.h"
#include "calc/grid_texts.h"
#include "views/overview_page.h"
#include "views/string_grid.h"

#include "app/translate_form.h"

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

// About texts per language code: the first is shown large, the second below it.
struct tAboutTexts {
    const char* Code;
    const char* Info1;
    const char* Info2;
};
const tAboutTexts kAbout[3] = {
    {"EN", "Speed-safety analysis of a road\\nby profiles, factors and sight distance",
     "Kestrova computes, for every road profile and both directions of travel, "
     "the speed each road factor permits, the available sight distance "
     "over terrain, vegetation and buildings, and the visibility of crossroads. "
     "The pivot table marks the segment boundaries that are not safe.\\n\\n"
     "Morvanta engineering software."},
    {"UA", "Аналіз безпеки швидкості руху\\nза профілями, чинниками та видимістю",
     "Kestrova обчислює для кожного профілю дороги та обох напрямків руху "
     "швидкість, яку дозволяє кожен чинник, відстань видимості "
     "над рельєфом, рослинністю і будівлями та видимість перехресть. "
     "Зведена таблиця позначає небезпечні межі ділянок.\\n\\n"
     "Інженерне програмне забезпечення Morvanta."},
    {"RU", "Анализ безопасности скорости движения\\nпо профилям, факторам и видимости",
     "Kestrova вычисляет для каждого профиля дороги и обоих направлений движения "
     "скорость, допустимую по каждому фактору, расстояние видимости "
     "над рельефом, растительностью и зданиями и видимость пересечений. "
     "Сводная таблица отмечает небезопасные границы участков.\\n\\n"
     "Инженерное программное обеспечение Morvanta."},
};

QString AboutText(const char* raw) {
    QString t = QString::fromUtf8(raw);
    t.replace(QStringLiteral("\\n"), QStringLiteral("\r\n"), Qt::CaseInsensitive);
    return t;
}

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
        QTimer::singleShot(500, this, [this] {
            UiSeam().ShowMessage(this, ApplicationTitle(), gLanguageEngine.GetMessage(QStringLiteral("FirstUse.SelectLanguage")),
                                 tBoxIcon::Warning);
            _x_cbLangSelect->setFocus();
            if (isVisible() && QGuiApplication::platformName() != QStringLiteral("offscreen")) _x_cbLangSelect->showPopup();
        });
    }
}

void TMainForm::_x_cbLangSelectChange() {
    ApplyLanguage();
    edLang->setText(_x_cbLangSelect->currentText());
}

void TMainForm::ApplyLanguage() {
    const QString entry = _x_cbLangSelect->currentText();
    gLanguageEngine.LoadLanguage(FLanguageFiles.value(entry, FExeFolder + QStringLiteral("LANG/") + entry + QStringLiteral(".lng")));
    TranslateForm(gLanguageEngine, this);
    setWindowTitle(ApplicationTitle());
    FitViewTools();

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
    OpenDialFilter = gLanguageEngine.GetSectionText(dialogs, QStringLiteral("OpenDial.Filter"));
    OpenDialTitle = gLanguageEngine.GetSectionText(dialogs, QStringLiteral("OpenDial.Title"));
    SaveDialFilter = gLanguageEngine.GetSectionText(dialogs, QStringLiteral("SaveDial.Filter"));
    SaveDialTitle = gLanguageEngine.GetSectionText(dialogs, QStringLiteral("SaveDial.Title"));
    FillCauseTexts();
    panOverview->ApplyLanguage([this](const QString& s, const QString& k) { return gLanguageEngine.GetSectionText(s, k); });
    if (FReport) FReport->ApplyLanguage();
    gLanguageCode = gLanguageEngine.GetSectionText(QStringLiteral("Language"), QStringLiteral("Code")).toUpper();
    InstallToolkitTranslation(gLanguageCode);
    ShowAbout();
}

// The view options stay whole in their narrow tool panels: long texts take
// two lines, and the panels grow to hold them.
void TMainForm::FitViewTools() {
    for (QWidget* panel : {pan3Dtools, panCProfileTools}) {
        const QMargins margins = panel->layout()->contentsMargins();
        const int room = panel->width() - margins.left() - margins.right();
        for (QCheckBox* box : panel->findChildren<QCheckBox*>()) FitButtonText(box, box->text(), room);
        panel->layout()->activate();
        for (QRadioButton* item : panel->findChildren<QRadioButton*>()) {
            // The items' room is what their group leaves inside its frame and margins.
            const QWidget* group = item->parentWidget();
            const QMargins inner = group->layout() ? group->layout()->contentsMargins() : QMargins();
            const int groupRoom = group == panel ? room : std::min(room, group->contentsRect().width());
            FitButtonText(item, item->text(), groupRoom - inner.left() - inner.right());
        }
        for (QLayout* inner : panel->findChildren<QLayout*>()) inner->invalidate();
        panel->layout()->invalidate();
        panel->layout()->activate();
        panel->resize(panel->width(), std::max(panel == pan3Dtools ? 153 : 33, panel->sizeHint().height()));
    }
}

void TMainForm::SetGridHeaders() {
    const auto header = [&](TStringGrid* grid, int col, const QString& key) {
        grid->SetCells(col, 0, gLanguageEngine.GetSectionText(GridSection(), key).replace(QStringLiteral("\r\n"), QStringLiteral("\r")));
    };
    const std::pair<TStringGrid*, tGridId> grids[] = {
        {gSourceData, tGridId::SourceData}, {gDraftV, tGridId::DraftV}, {gPivotData, tGridId::PivotData}};
    for (const auto& [grid, id] : grids)
        for (int c = 0; c < GridColumnCount(id); ++c) header(grid, c, HeaderKey(id, c));
    for (int c = 0; c < 2; ++c) {
        header(gCRoadsList, c, CrossRoadsListHeaderKey(c));
        for (TStringGrid* g : {gCrProfilesList, gProfilesList}) header(g, c, HeaderKey(tGridId::ProfilesList, c));
    }
}

void TMainForm::ShowAbout() {
    if (gLanguageCode != QStringLiteral("EN") && gLanguageCode != QStringLiteral("UA") && gLanguageCode != QStringLiteral("RU"))
        gLanguageCode = QStringLiteral("UA");
    _x_AppName->setText(kProductName);
    const QString v = kVersionText.mid(2);  // without the leading "v."
    const int lastDot = v.lastIndexOf(QLatin1Char('.'));
    _x_AppVersion->setText(QStringLiteral("Version ") + v.left(lastDot + 1) + QStringLiteral("  Build ") + v.mid(lastDot + 1));
    for (const tAboutTexts& t : kAbout)
        if (gLanguageCode == QLatin1String(t.Code)) {
            _x_mAboutInfo1->setPlainText(AboutText(t.Info1));
            _x_mAboutInfo2->setPlainText(AboutText(t.Info2));
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
    panOverview->SaveState(ini, kComponents);
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
    panOverview->LoadState(ini, kComponents);
    // The source options show or hide their file boxes.
    rbSelectCrossSource();
    rbSelectGreenSource();
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
