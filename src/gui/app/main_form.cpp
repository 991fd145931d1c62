#include "gui/app/main_form.h"

#include "core/app/example_folder.h"
#include "gui/app/gis_export_dialog.h"
#include "core/util/ini_file.h"
#include "core/app/product.h"
#include "gui/app/report_command.h"
#include "core/app/settings_folder.h"
#include "gui/app/ui_seam.h"
#include "gui/pages/about_page.h"
#include "gui/pages/crossroads_page.h"
#include "gui/pages/grid_page.h"
#include "gui/pages/load_page.h"
#include "gui/pages/view_page.h"
#include "gui/views/overview_page.h"
#include "gui/views/string_grid.h"

#include "gui/app/translate_form.h"
#include "core/app/version_stamp.h"
#include "render/crossroads_view.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTimer>
#include <QVBoxLayout>

// The resources are compiled into a static library; they register once.
static void InitKestrovaResources() { Q_INIT_RESOURCE(kestrova); }

namespace kestrova {

QString ExeFolderOfApplication() {
    QString dir = QCoreApplication::applicationDirPath();
    if (!dir.endsWith(QLatin1Char('/'))) dir += QLatin1Char('/');
    return dir;
}

TMainForm::TMainForm(const tMainFormSetup& setup, QWidget* parent)
    : QMainWindow(parent), FSetup(setup), gLanguageEngine(MakeKestrovaLanguageEngine()) {
    InitKestrovaResources();
    setObjectName(QStringLiteral("MainForm"));
    FExeFolder = setup.ExeFolder.isEmpty() ? ExeFolderOfApplication() : setup.ExeFolder;
    if (!FExeFolder.endsWith(QLatin1Char('/'))) FExeFolder += QLatin1Char('/');
    setMinimumSize(800, 600);
    resize(800, 600);

    backPanel = new QWidget(this);
    backPanel->setObjectName(QStringLiteral("backPanel"));
    setCentralWidget(backPanel);
    auto* back = new QVBoxLayout(backPanel);
    back->setContentsMargins(2, 2, 2, 2);
    back->setSpacing(0);
    tabs = new QTabBar(backPanel);
    tabs->setObjectName(QStringLiteral("tabs"));
    tabs->setExpanding(false);
    tabs->setDrawBase(true);
    tabs->addTab(QStringLiteral("tabAbout"));
    tabs->addTab(QStringLiteral("tabSourceData"));
    back->addWidget(tabs);
    pageArea = new QWidget(backPanel);
    pageArea->setObjectName(QStringLiteral("_x_pageArea"));
    auto* pages = new QGridLayout(pageArea);
    pages->setContentsMargins(0, 0, 0, 0);
    back->addWidget(pageArea, 1);

    BuildPages(pages);
    BuildExportMenu();
    ConnectPages();

    connect(tabs, &QTabBar::currentChanged, this, [this] { tabsChange(); });
    pageArea->installEventFilter(this);
    FormCreate();
}

void TMainForm::FormCreate() {
    StampVersion(FExeFolder + QStringLiteral("KestrovaVersion"), QStringLiteral("c_ProgVersion"));
}

// ---- pages ---------------------------------------------------------------

TGridPage* TMainForm::GridPage(tGridId grid) const {
    return FGrids[grid == tGridId::SourceData ? 0 : grid == tGridId::DraftV ? 1 : 2];
}

// The pages lie on one another in the page area; the tab strip shows one.
void TMainForm::BuildPages(QGridLayout* pages) {
    const tPageContext context{FModel, gLanguageEngine, this, FBusy, [this] { return CurrentViewTab(); }};
    FAbout = new TAboutPage(pageArea);
    FLoad = new TLoadPage(context, ExampleFolder(FExeFolder), pageArea);
    FReport = new TReportCommand(*this, FLoad->CalcLayout(), 2);
    const tGridId grids[3] = {tGridId::SourceData, tGridId::DraftV, tGridId::PivotData};
    for (int i = 0; i < 3; ++i) FGrids[i] = new TGridPage(context, grids[i], pageArea);
    FView = new TViewPage(context, pageArea);
    FCrossRoads = new TCrossRoadsPage(context, pageArea);
    FOverview = new TOverviewPage(FModel, pageArea);
    for (QWidget* p : std::initializer_list<QWidget*>{FAbout, FLoad, FGrids[0], FGrids[1], FGrids[2], FView, FCrossRoads, FOverview})
        pages->addWidget(p, 0, 0);
}

void TMainForm::BuildExportMenu() {
    pmExport = new QMenu(this);
    pmExport->setObjectName(QStringLiteral("pmExport"));
    pmiExcelExport = pmExport->addAction(QStringLiteral("pmiExcelExport"));
    pmiExcelExport->setObjectName(QStringLiteral("pmiExcelExport"));
    pmiCsvExport = pmExport->addAction(QStringLiteral("pmiCsvExport"));
    pmiCsvExport->setObjectName(QStringLiteral("pmiCsvExport"));
    connect(pmExport, &QMenu::triggered, this, [this](QAction* a) { pmiExportClick(a); });
    AddGisExportItem(pmExport, this);
    FReport->AddMenuItem(pmExport);
}

void TMainForm::ConnectPages() {
    connect(FOverview, &TOverviewPage::ProfileClicked, this, [this](int profile) {
        TStringGrid* draft = GridPage(tGridId::DraftV)->Ui().Grid;
        draft->SetRow(profile + 1);
        gridClick(draft);
    });
    connect(FAbout, &TAboutPage::LanguageChosen, this, [this] { _x_cbLangSelectChange(); });
    connect(FAbout, &TAboutPage::TemplateRequested, this, [this] {
        const QString entry = FAbout->Ui()._x_cbLangSelect->currentText();
        WriteTemplate(gLanguageEngine, FLanguageFiles.value(entry, FExeFolder + QStringLiteral("LANG/") + entry + QStringLiteral(".lng")), this);
    });
    connect(FLoad, &TLoadPage::CalculateRequested, this, [this] { btStartCalcClick(); });
    for (TGridPage* page : FGrids) {
        connect(page, &TGridPage::RowClicked, this, [this](TStringGrid* g) { gridClick(g); });
        connect(page, &TGridPage::TopLeftChanged, this, [this](TStringGrid* g) { gridTopLeftChanged(g); });
        connect(page, &TGridPage::ExportClicked, this, [this](QPushButton* b) { btExportGridClick(b); });
    }
    connect(FView, &TViewPage::RowClicked, this, [this](TStringGrid* g) { gridClick(g); });
    connect(FView, &TViewPage::OptionsChanged, this, [this] { tabsChange(); });
    connect(FCrossRoads, &TCrossRoadsPage::ProfileShown, this, [this](int profile) {
        const bool guard = FInGridClick;
        FInGridClick = true;
        GridPage(tGridId::DraftV)->Ui().Grid->SetRow(DraftRowForProfile(profile));
        FInGridClick = guard;
    });
}

// ---- lifecycle -----------------------------------------------------------

void TMainForm::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!FShownOnce) {
        FShownOnce = true;
        FormShow();
    }
}

void TMainForm::FormShow() {
    QApplication::setApplicationDisplayName(QString());
    setWindowTitle(ApplicationTitle());
    FSettingsFileName = !FSetup.SettingsFileName.isEmpty() ? FSetup.SettingsFileName : kestrova::SettingsFileName(FExeFolder);
    for (QWidget* p : std::initializer_list<QWidget*>{FLoad, FGrids[1], FView, FCrossRoads, FGrids[0], FAbout, FGrids[2]})
        p->hide();
    FOverview->hide();
    if (QFileInfo::exists(FExeFolder + QStringLiteral("KestrovaVersion"))) FLoad->ShowTestButton();
    ProcessMessages();
    // The rest of the start-up runs once the window has been painted.
    QTimer::singleShot(0, this, [this] { DeferredStartup(); });
}

void TMainForm::DeferredStartup() {
    LoadFormPosition(FSettingsFileName);
    LoadComponents(FSettingsFileName);
    BuildLanguageList();
    FStarted = true;
}

void TMainForm::closeEvent(QCloseEvent* event) {
    if (FBusy) {  // a long step runs: the window stays until it ends
        event->ignore();
        return;
    }
    FormClose();
    QMainWindow::closeEvent(event);
}

void TMainForm::FormClose() {
    if (!FStarted) return;  // nothing restored, nothing to keep
    const bool states = SaveComponents(FSettingsFileName);
    const bool placement = SaveFormPosition(FSettingsFileName);
    // Settings that cannot be kept are not lost without a word (one box for both).
    if (!states || !placement) Message(WriteErrorText(FSettingsFileName));
}

void TMainForm::Message(const QString& text) {
    UiSeam().ShowMessage(this, ApplicationTitle(), text, tBoxIcon::None);
}

void TMainForm::MessageKey(const QString& key) { Message(gLanguageEngine.GetMessage(key)); }

// ---- tabs ----------------------------------------------------------------

tViewTab TMainForm::CurrentViewTab() const {
    const int t = tabs->currentIndex();
    if (t < 0) return tViewTab::None;
    if (t == FTab.View3DF) return tViewTab::Forward;
    if (t == FTab.View3DB) return tViewTab::Backward;
    if (t == FTab.CProfile) return tViewTab::CrossProfile;
    if (t == FTab.CRoads) return tViewTab::CrossRoads;
    return tViewTab::None;
}

void TMainForm::SelectTab(int index) {
    if (index < 0 || index >= tabs->count()) return;
    if (tabs->currentIndex() == index)
        tabsChange();
    else
        tabs->setCurrentIndex(index);  // runs tabsChange
}

void TMainForm::tabsChange() {
    const int t = tabs->currentIndex();
    const tViewTab view = CurrentViewTab();
    FLoad->setVisible(t == FTab.SourceData);
    FGrids[1]->setVisible(t == FTab.DraftSpeeds);
    FView->setVisible(view == tViewTab::Forward || view == tViewTab::Backward || view == tViewTab::CrossProfile);
    FCrossRoads->setVisible(view == tViewTab::CrossRoads);
    FGrids[0]->setVisible(t == FTab.SourceGrid);
    FAbout->setVisible(t == FTab.About);
    FGrids[2]->setVisible(t == FTab.PivotGrid);
    FOverview->setVisible(t >= 0 && t == FTab.Overview);

    if (t == FTab.About) FAbout->Ui()._x_cbLangSelect->setFocus();
    if (t == FTab.PivotGrid && t >= 0) FGrids[2]->Shown();
    QPushButton* load = FLoad->Ui().btLoadData__Main;
    if (t == FTab.SourceData && load->isEnabled() && load->isVisible()) load->setFocus();
    if (t == FTab.DraftSpeeds && t >= 0) FGrids[1]->Shown();
    if (t == FTab.SourceGrid && t >= 0) FGrids[0]->Shown();
    FView->Arrange();
    if (view == tViewTab::CrossRoads) FCrossRoads->Shown();
}

void TMainForm::backPanelResize() {
    if (tabs->currentIndex() > 0) tabsChange();
}

void TMainForm::resizeEvent(QResizeEvent* event) { QMainWindow::resizeEvent(event); }

bool TMainForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == pageArea && event->type() == QEvent::Resize && FStarted) backPanelResize();
    return QMainWindow::eventFilter(watched, event);
}

}  // namespace kestrova
