// The one main window: the tab strip over the page classes (about, loading,
// the three result grids, the drawn views, crossroads and overview), the row
// synchronisation between them, export, language and state persistence.
// Controls carry the object names the language files and the settings file
// know them by; each page owns its own.
#pragma once

#include "gui/app/busy_lock.h"
#include "core/app/language_engine.h"
#include "core/model/road_model.h"
#include "core/calc/grid_texts.h"
#include "gui/views/grid_paint.h"

#include <QHash>
#include <QMainWindow>

#include <memory>

class QGridLayout;
class QMenu;
class QAction;
class QProgressBar;
class QPushButton;
class QTabBar;
class QWidget;

namespace kestrova {

class TAboutPage;
class TCrossRoadsPage;
class TGridPage;
class TLoadPage;
class TOverviewPage;
class TViewPage;
class TReportCommand;
class TStringGrid;

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

    // The pages.
    TAboutPage* AboutPage() const { return FAbout; }
    TLoadPage* LoadPage() const { return FLoad; }
    TGridPage* GridPage(tGridId grid) const;  // SourceData, DraftV or PivotData
    TViewPage* ViewPage() const { return FView; }
    TCrossRoadsPage* CrossRoadsPage() const { return FCrossRoads; }
    TOverviewPage* OverviewPage() const { return FOverview; }

    // Tab indices (-1 while a tab is absent).
    struct tTabIndex {
        int About = 0, SourceData = 1, SourceGrid = -1, DraftSpeeds = -1, PivotGrid = -1, View3DF = -1,
            View3DB = -1, CProfile = -1, CRoads = -1, Overview = -1;
    };
    const tTabIndex& TabIndex() const { return FTab; }

    // Handlers, public so that the developer shortcut and the tests run them as clicks do.
    void btStartCalcClick();
    void tabsChange();
    void backPanelResize();
    void gridClick(TStringGrid* grid);
    void gridTopLeftChanged(TStringGrid* grid);
    void btExportGridClick(QPushButton* button);
    void pmiExportClick(QAction* item);
    void _x_cbLangSelectChange();
    void ApplyLanguage();
    void FillCauseTexts();
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
    void FormShow();
    void DeferredStartup();
    void FormClose();
    void BuildPages(QGridLayout* pages);
    void BuildExportMenu();
    void ConnectPages();
    void BuildLanguageList();
    void Message(const QString& text);
    void MessageKey(const QString& key);
    void FillCRoadsList();
    void SetGridHeaders();
    tViewTab CurrentViewTab() const;
    void AddResultTabs(bool withCrossRoads);

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
    tTabIndex FTab;
    tRoadModel FModel;
    tGridLanguage FGridLanguage;  // header, cause and verdict texts of the result grids
    TReportCommand* FReport = nullptr;  // the "Report..." button (a child object)
    // The pages (child widgets).
    TAboutPage* FAbout = nullptr;
    TLoadPage* FLoad = nullptr;
    TGridPage* FGrids[3] = {};  // SourceData, DraftV, PivotData
    TViewPage* FView = nullptr;
    TCrossRoadsPage* FCrossRoads = nullptr;
    TOverviewPage* FOverview = nullptr;

public:
    // The controls, by the names the language and settings files use.
    QWidget* backPanel = nullptr;
    QTabBar* tabs = nullptr;
    QWidget* pageArea = nullptr;

    QMenu* pmExport = nullptr;
    QAction* pmiExcelExport = nullptr;
    QAction* pmiCsvExport = nullptr;

    // Save dialog texts (set from the language file).
    QString SaveDialTitle, SaveDialFilter = QStringLiteral("Filter|*.csv|*.*|*.*");
};

// The folder of the running executable, with a trailing "/".
QString ExeFolderOfApplication();

}  // namespace kestrova
