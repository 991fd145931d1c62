// The one main window: the tab strip over seven page panels, the load groups,
// the calculation, the result grids and views, export, km+ search, language
// and state persistence. Controls carry the object names the language files
// and the settings file know them by.
#pragma once

#include "app/busy_lock.h"
#include "app/language_engine.h"
#include "model/road_model.h"
#include "views/grid_paint.h"

#include <QHash>
#include <QMainWindow>
#include <QImage>

#include <memory>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QAction;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QTabBar;
class QWidget;

namespace kestrova {

class TImageView;
class TOverviewPage;
class TReportCommand;
class TStringGrid;
struct tProgress;

// Where the window finds its files; the test programs point it elsewhere.
struct tMainFormSetup {
    QString ExeFolder;         // with a trailing "/"; empty: the executable's folder
    QString SettingsFileName;  // empty: decided at show (per-user folder or ExeFolder)
};

class TMainForm : public QMainWindow {
    Q_OBJECT
public:
    explicit TMainForm(const tMainFormSetup& setup = {}, QWidget* parent = nullptr);
    ~TMainForm() override;

    // State the tests and the developer shortcut look at.
    tRoadModel& Model() { return FModel; }
    TLanguageEngine& Engine() { return gLanguageEngine; }
    const QString& ExeFolder() const { return FExeFolder; }
    const QString& SettingsFileName() const { return FSettingsFileName; }
    bool Started() const { return FStarted; }
    bool Busy() const { return FBusy > 0; }  // a long step runs
    // Held while a long step of another page runs (see TBusyLock).
    TBusyLock LockWhileBusy() { return TBusyLock(this, FBusy); }
    bool FirstUse() const { return gFirstUse; }
    const QString& LanguageCode() const { return gLanguageCode; }
    QTabBar* Tabs() const { return tabs; }
    TReportCommand* Report() const { return FReport; }

    // Tab indices (-1 while a tab is absent).
    struct tTabIndex {
        int About = 0, SourceData = 1, SourceGrid = -1, DraftSpeeds = -1, PivotGrid = -1, View3DF = -1,
            View3DB = -1, CProfile = -1, CRoads = -1, Overview = -1;
    };
    const tTabIndex& TabIndex() const { return FTab; }

    // Handlers, public so that the developer shortcut and the tests run them as clicks do.
    void btLoadData__MainClick();
    void btLoadData__CrossClick();
    void btLoadData__GreenClick();
    void btStartCalcClick();
    void _x_btOpenDialMainClick(QObject* sender);
    void rbSelectCrossSource();
    void rbSelectGreenSource();
    void tabsChange();
    void backPanelResize();
    void gridClick(TStringGrid* grid);
    void gridTopLeftChanged(TStringGrid* grid);
    void btExportGridClick(QPushButton* button);
    void pmiExportClick(QAction* item);
    void edSearchKmpChange(QLineEdit* edit);
    void btSearhKmpClick(QPushButton* button);
    void gCRoadsListClick();
    void gCrProfilesListClick();
    void _x_cbLangSelectChange();
    void _x_TestButtonClick();
    void ApplyLanguage();
    void FillCauseTexts();
    void ShowAbout();
    void Im3dMouseMove(const QPoint& pos);
    // Writes all result grids from the model (run by the calculation).
    void FillGrids();
    // Makes a tab current and runs the tab change for it.
    void SelectTab(int index);

    // Writes a grid as the CSV export does (no dialog, no window locking).
    void ExportGridToCsv(TStringGrid* grid, const QString& fileName, QProgressBar* bar);
    void ExportGridToWorkbook(TStringGrid* grid, const QString& sheetName, QProgressBar* bar);
    void KeepUnopenedWorkbook(const QString& written, const QString& suggestedName);

    // Component states and placement, as at closing and at start-up. The
    // savers return false when the file could not be written.
    bool SaveComponents(const QString& fileName);
    void LoadComponents(const QString& fileName);
    bool SaveFormPosition(const QString& fileName);
    void LoadFormPosition(const QString& fileName);

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormCreate();
    void CreateViewBuffers();
    void FormShow();
    void DeferredStartup();
    void FormClose();
    void BuildAboutPage();
    void BuildLoadPage();
    void BuildGridPages();
    void BuildViewPage();
    void BuildCRoadsPage();
    QWidget* BuildGridPage(const QString& panelName, TStringGrid* grid, QLabel* label, QLineEdit* edit,
                           QPushButton* search, QPushButton* exportButton, QProgressBar* bar);
    void BuildLanguageList();
    void ProcessMessages();
    void Message(const QString& text);
    void MessageKey(const QString& key);
    void AddCalcLog(const QString& text);
    tProgress CalcProgress();
    void FillSourceGrid();
    void FillDraftGrid();
    void FillProfilesList();
    void FillPivotGrid();
    void FillCRoadsList();
    void SetGridHeaders();
    void FitViewTools();
    void DrawCurrentView();
    void ShowImportFailure(const struct tImportFailure& failure);
    tViewTab CurrentViewTab() const;
    void ResetSearch(QLineEdit* edit, QPushButton* button);

    tMainFormSetup FSetup;
    QString FExeFolder;
    QString FSettingsFileName;
    QHash<QString, QString> FLanguageFiles;  // list entry -> language file
    TLanguageEngine gLanguageEngine;
    QString gLanguageCode;
    bool gFirstUse = true;
    bool FStarted = false;
    bool FShownOnce = false;
    bool FInGridClick = false;
    int FBusy = 0;                 // busy locks held (imports, calculation, export)
    bool FCRoadsGuard = true;      // the crossroads view ignores clicks until it exists
    int FCRoadShown = -1;          // crossroad shown last in the crossroads view
    tTabIndex FTab;
    tRoadModel FModel;
    struct tViewBuffers;
    tViewBuffers* FViews = nullptr;  // owned; the record lives with the views code
    TReportCommand* FReport = nullptr;  // the "Report..." button (a child object)

public:
    // The controls, by the names the language and settings files use.
    QWidget* backPanel = nullptr;
    QTabBar* tabs = nullptr;
    QWidget* pageArea = nullptr;
    QWidget* panel0 = nullptr;
    QWidget* panel1 = nullptr;
    QWidget* panel2 = nullptr;
    QWidget* Panel3 = nullptr;
    QWidget* Panel4 = nullptr;
    QWidget* Panel5 = nullptr;
    QWidget* Panel6 = nullptr;

    // About page.
    QGroupBox* gbLanguageSelect = nullptr;
    QComboBox* _x_cbLangSelect = nullptr;
    QLineEdit* edLang = nullptr;
    QPushButton* _x_LangCreate = nullptr;
    QWidget* _x_AboutPan = nullptr;
    QPlainTextEdit* _x_mAboutInfo1 = nullptr;
    QPlainTextEdit* _x_mAboutInfo2 = nullptr;
    QWidget* _splashPan = nullptr;
    TImageView* _splash = nullptr;  // a picture, not a label: translation leaves it alone
    QLabel* _x_AppName = nullptr;
    QLabel* _x_AppVersion = nullptr;

    // Data loading page.
    QGroupBox* gbLoadRoadData = nullptr;
    QLineEdit* edOpenXL = nullptr;
    QPushButton* _x_btOpenDialMain = nullptr;
    QPushButton* btLoadData__Main = nullptr;
    QProgressBar* pbMain = nullptr;
    QLabel* _x_lbMainCount = nullptr;
    QPushButton* _x_TestButton = nullptr;

    QGroupBox* gbLoadVegetationBuildings = nullptr;
    QLineEdit* edOpenGreenXL = nullptr;
    QPushButton* _x_btOpenDialGreen = nullptr;
    QPushButton* btLoadData__Green = nullptr;
    QRadioButton* rbSeparateFile__Green = nullptr;
    QRadioButton* rbSecondSheet__Green = nullptr;
    QRadioButton* rbThirdSheet__Green = nullptr;
    QProgressBar* pbGreen = nullptr;
    QLabel* _x_lbGreenCount = nullptr;

    QGroupBox* gbLoadCrossRoads = nullptr;
    QLineEdit* edOpenCrossXL = nullptr;
    QPushButton* _x_btOpenDialCross = nullptr;
    QPushButton* btLoadData__Cross = nullptr;
    QRadioButton* rbSeparateFile__Cross = nullptr;
    QRadioButton* rbSecondSheet__Cross = nullptr;
    QRadioButton* rbThirdSheet__Cross = nullptr;
    QProgressBar* pbCross = nullptr;
    QLabel* _x_lbCrossCount = nullptr;

    QGroupBox* gbStartCalc = nullptr;
    QPushButton* btStartCalc = nullptr;
    QProgressBar* pbCalc = nullptr;
    QPlainTextEdit* _x_mCalcLog = nullptr;

    // Grid pages.
    TStringGrid* gSourceData = nullptr;
    QLabel* lbSearchKmPlus__SoureceData = nullptr;
    QLineEdit* edSearchKmpSourceData = nullptr;
    QPushButton* btSearchKmp__SourceData = nullptr;
    QPushButton* btExport__Source = nullptr;
    QProgressBar* pbSourceData = nullptr;

    TStringGrid* gDraftV = nullptr;
    QLabel* lbSearchKmPlus__DraftV = nullptr;
    QLineEdit* edSearchKmpDraftV = nullptr;
    QPushButton* btSearchKmp__DraftV = nullptr;
    QPushButton* btExport__Draft = nullptr;
    QProgressBar* pbDraftV = nullptr;

    TStringGrid* gPivotData = nullptr;
    QLabel* lbSearchKmPlus__PivotData = nullptr;
    QLineEdit* edSearchKmpPivotData = nullptr;
    QPushButton* btSearchKmp__PivotData = nullptr;
    QPushButton* btExport__PivotData = nullptr;
    QProgressBar* pbPivotData = nullptr;

    QMenu* pmExport = nullptr;
    QAction* pmiExcelExport = nullptr;
    QAction* pmiCsvExport = nullptr;

    // View page (forward, backward and cross-profile views).
    TImageView* Im3d = nullptr;
    TStringGrid* gProfilesList = nullptr;
    QWidget* pan3Dtools = nullptr;
    QGroupBox* rgLookHeight = nullptr;
    QRadioButton* rgLookHeightItems[4] = {};
    QCheckBox* cbDrawLookLines__3D = nullptr;
    QCheckBox* cbDrawRoadGrid__3D = nullptr;
    QWidget* panCProfileTools = nullptr;
    QCheckBox* cbCropProfile30m = nullptr;
    QGroupBox* gbCursorMeas = nullptr;
    QLabel* _x_XMeas = nullptr;
    QLabel* _x_YMeas = nullptr;

    // Crossroads page.
    QGroupBox* gbCRoadList = nullptr;
    TStringGrid* gCRoadsList = nullptr;
    QRadioButton* rbCRoadFwd = nullptr;
    QRadioButton* rbCRoadRev = nullptr;
    QGroupBox* gbCRoadsPProfiles = nullptr;
    TStringGrid* gCrProfilesList = nullptr;
    TImageView* imCRoads = nullptr;

    // Road overview page (speed-profile diagram and plan map).
    TOverviewPage* panOverview = nullptr;

    // Open and save dialog texts (set from the language file).
    QString OpenDialTitle, OpenDialFilter = QStringLiteral("Filter|*.xls;*.xlsx;*.ods;*.csv|*.*|*.*");
    QString SaveDialTitle, SaveDialFilter = QStringLiteral("Filter|*.csv|*.*|*.*");
};

// The folder of the running executable, with a trailing "/".
QString ExeFolderOfApplication();

}  // namespace kestrova
