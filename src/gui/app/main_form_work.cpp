// The calculation run's window side, the result grids, row synchronisation,
// the drawn views, km+ search and export.
#include "gui/app/main_form.h"

#include "gui/app/busy_lock.h"
#include "core/app/product.h"
#include "gui/app/report_command.h"
#include "gui/app/ui_seam.h"
#include "core/calc/crossroads_list.h"
#include "core/calc/grid_texts.h"
#include "render/crossroads_view.h"
#include "core/export/km_search.h"
#include "core/export/xlsx_writer.h"
#include "core/util/file_replace.h"
#include "gui/pages/crossroads_page.h"
#include "gui/pages/grid_page.h"
#include "gui/pages/load_page.h"
#include "gui/pages/view_page.h"
#include "gui/views/overview_page.h"
#include "gui/views/string_grid.h"

#include "core/calc/calc_run.h"
#include "core/export/csv_writer.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStandardPaths>
#include <QTabBar>

#include <optional>
#include <QFile>
#include <QTemporaryFile>

namespace kestrova {

namespace {

QString DecimalSeparator() { return QLocale().decimalPoint(); }

// A window grid reads the texts of one grid of the text layer as they are shown.
void Materialise(TStringGrid& grid, tGridId id, const tGridSource& source) { grid.SetTable(GridView(id, source)); }

}  // namespace

TMainForm::~TMainForm() {
    // The result grids read the model and the language record: they let go first.
    for (tGridId id : {tGridId::SourceData, tGridId::DraftV, tGridId::PivotData}) GridPage(id)->Ui().Grid->SetTable({});
    ViewPage()->Ui().gProfilesList->SetTable({});
}

// Cause and verdict texts follow the language: the text layer's language
// record is refreshed and the grids that show those texts repaint.
void TMainForm::FillCauseTexts() {
    tGridLanguage& language = FGridLanguage;
    const auto lookup = [this](const QString& s, const QString& k) { return gLanguageEngine.GetSectionText(s, k); };
    FillHeaderTexts(language, lookup);
    kestrova::FillCauseTexts(language, lookup);
    for (tGridId id : {tGridId::DraftV, tGridId::PivotData}) GridPage(id)->Ui().Grid->Model().TextsChanged();
}

void TMainForm::btStartCalcClick() {
    const bool crossRoads = FModel.CrossRoads.Count() > 0;
    if (!FLoad->Calculate([this] { FillGrids(); })) return;
    AddResultTabs(crossRoads);
    FOverview->ResultsReady();
    ApplyLanguage();
    FReport->CalculationDone();
    SelectTab(FTab.DraftSpeeds);
    backPanelResize();
}

void TMainForm::AddResultTabs(bool withCrossRoads) {
    const QSignalBlocker block(tabs);
    FTab.SourceGrid = tabs->addTab(QStringLiteral("tabSourceGrid"));
    FTab.DraftSpeeds = tabs->addTab(QStringLiteral("tabDraftSpeeds"));
    FTab.PivotGrid = tabs->addTab(QStringLiteral("tabPivotGrid"));
    FTab.View3DF = tabs->addTab(QStringLiteral("tab3DF"));
    FTab.View3DB = tabs->addTab(QStringLiteral("tab3DB"));
    FTab.CProfile = tabs->addTab(QStringLiteral("tabCProfile"));
    if (withCrossRoads) {
        FTab.CRoads = tabs->addTab(QStringLiteral("tabCRoads"));
        FCrossRoads->Enable();
    }
    FTab.Overview = tabs->addTab(QStringLiteral("tabOverview"));
}

// ---- result grids --------------------------------------------------------

void TMainForm::FillGrids() {
    TStringGrid* gSourceData = GridPage(tGridId::SourceData)->Ui().Grid;
    TStringGrid* gDraftV = GridPage(tGridId::DraftV)->Ui().Grid;
    TStringGrid* gPivotData = GridPage(tGridId::PivotData)->Ui().Grid;
    TStringGrid* gProfilesList = FView->Ui().gProfilesList;
    tGridSource source;
    source.Plan = &FModel.Plan;
    source.Pivot = &FModel.Pivot;
    source.Language = &FGridLanguage;
    source.DecimalSeparator = DecimalSeparator();
    Materialise(*gSourceData, tGridId::SourceData, source);
    gSourceData->SetFixedCols(GridFixedColumns(tGridId::SourceData));
    Materialise(*gDraftV, tGridId::DraftV, source);
    gDraftV->SetFixedCols(GridFixedColumns(tGridId::DraftV));
    Materialise(*gProfilesList, tGridId::ProfilesList, source);
    for (int col = 2; col < 6; ++col) gProfilesList->SetColWidth(col, -1);
    QFont bold = gProfilesList->font();
    bold.setBold(true);
    const int w0 = QFontMetrics(bold).horizontalAdvance(gProfilesList->Cells(0, 0)) + 8;
    gProfilesList->SetColWidth(0, w0);
    gProfilesList->SetColWidth(1, std::max(20, gProfilesList->width() - w0 - 24));
    Materialise(*gPivotData, tGridId::PivotData, source);
    gPivotData->SetFixedCols(GridFixedColumns(tGridId::PivotData));
    if (gProfilesList->RowCount() > 1) gProfilesList->SetRow(1);
    if (gDraftV->RowCount() > 1) gDraftV->SetRow(1);
    if (gSourceData->RowCount() > 1) gSourceData->SetRow(1);
    if (gPivotData->RowCount() > 1) gPivotData->SetRow(1);
    FillCRoadsList();
}

void TMainForm::FillCRoadsList() {
    if (FModel.CrossRoads.Count() == 0) return;
    TStringGrid* gCRoadsList = FCrossRoads->Ui().gCRoadsList;
    TStringGrid* gCrProfilesList = FCrossRoads->Ui().gCrProfilesList;
    const tCrossRoadsListTable table = BuildCrossRoadsList(
        FModel.CrossRoads, [this](const QString& s, const QString& k) { return gLanguageEngine.GetSectionText(s, k); });
    const int rows = static_cast<int>(table.Rows.size());
    gCRoadsList->SetSize(4, std::max(rows, 1));
    TGridModel& m = gCRoadsList->Model();
    m.BeginChange();
    for (int r = 1; r < rows; ++r)
        for (int c = 0; c < 4; ++c) m.SetCellQuiet(c, r, table.Rows[static_cast<size_t>(r)][static_cast<size_t>(c)]);
    m.EndChange();
    QFont bold = gCRoadsList->font();
    bold.setBold(true);
    const int w0 = QFontMetrics(bold).horizontalAdvance(QStringLiteral("9999+999,99")) + 8;
    gCRoadsList->SetColWidth(0, w0);
    gCRoadsList->SetColWidth(1, std::max(20, gCRoadsList->width() - w0 - 24));
    gCRoadsList->SetColWidth(2, -1);
    gCRoadsList->SetColWidth(3, -1);
    const int p0 = QFontMetrics(bold).horizontalAdvance(gCrProfilesList->Cells(0, 0)) + 8;
    gCrProfilesList->SetColWidth(0, p0);
    gCrProfilesList->SetColWidth(1, std::max(20, gCrProfilesList->width() - p0 - 24));
    gCrProfilesList->SetColWidth(2, -1);
    gCrProfilesList->SetColWidth(3, -1);
    if (rows > 1) gCRoadsList->SetRow(1);
}

void TMainForm::gridClick(TStringGrid* grid) {
    if (FInGridClick) return;
    TStringGrid* gSourceData = GridPage(tGridId::SourceData)->Ui().Grid;
    TStringGrid* gDraftV = GridPage(tGridId::DraftV)->Ui().Grid;
    TStringGrid* gPivotData = GridPage(tGridId::PivotData)->Ui().Grid;
    TStringGrid* gProfilesList = FView->Ui().gProfilesList;
    FInGridClick = true;
    const int r = grid->Row();
    const tPivotData& pivot = FModel.Pivot;
    int profileRow = r, pivotRow = r;
    if (grid == gPivotData) {
        pivotRow = r;
        if (r >= 1 && r - 1 < pivot.Count()) profileRow = pivot.Rows[static_cast<size_t>(r - 1)].FirstIndex + 1;
    } else if (pivot.Count() > 0) {
        pivotRow = pivot.Count();
        for (int j = 0; j < pivot.Count(); ++j) {
            const tPivotRow& seg = pivot.Rows[static_cast<size_t>(j)];
            if (seg.FirstIndex <= r - 1 && seg.LastIndex > r - 1) {
                pivotRow = j + 1;
                break;
            }
        }
    }
    for (TStringGrid* g : {gProfilesList, gSourceData, gDraftV}) g->SetRow(profileRow);
    gPivotData->SetRow(pivotRow);
    FOverview->SetCurrentProfile(profileRow - 1);
    if (grid == gSourceData || grid == gDraftV || grid == gPivotData) grid->viewport()->update();
    const tViewTab view = CurrentViewTab();
    if (grid == gProfilesList && (view == tViewTab::Forward || view == tViewTab::Backward || view == tViewTab::CrossProfile))
        tabsChange();
    FInGridClick = false;
}

void TMainForm::gridTopLeftChanged(TStringGrid* grid) {
    bool resultGrid = false;
    for (const TGridPage* page : FGrids) resultGrid = resultGrid || grid == page->Ui().Grid;
    if (!resultGrid) return;
    const int row = grid->Row();
    if (row < 1) return;
    const bool guard = FInGridClick;
    FInGridClick = true;  // moving the column is no row click
    grid->SetCol(grid->LeftCol());
    FInGridClick = guard;
}

// ---- export --------------------------------------------------------------

void TMainForm::btExportGridClick(QPushButton* button) {
    if (FBusy) return;
    pmExport->popup(button->mapToGlobal(QPoint(0, button->height())));
}

void TMainForm::pmiExportClick(QAction* item) {
    const int t = tabs->currentIndex();
    const TGridPage* page = nullptr;
    QString sheetKey;
    if (t >= 0 && t == FTab.DraftSpeeds) {
        page = GridPage(tGridId::DraftV);
        sheetKey = QStringLiteral("XLExport.SheetNameCalcSpeeds");
    } else if (t >= 0 && t == FTab.SourceGrid) {
        page = GridPage(tGridId::SourceData);
        sheetKey = QStringLiteral("XLExport.SheetNameSourceData");
    } else if (t >= 0 && t == FTab.PivotGrid) {
        page = GridPage(tGridId::PivotData);
        sheetKey = QStringLiteral("XLExport.SheetNamePivotData");
    }
    TStringGrid* grid = page ? page->Ui().Grid : nullptr;
    QProgressBar* bar = page ? page->Ui().Bar : nullptr;
    QPushButton* button = page ? page->Ui().Export : nullptr;
    if (FBusy) return;
    const bool toCsv = item && item->objectName() == pmiCsvExport->objectName();
    const bool toBook = item && item->objectName() == pmiExcelExport->objectName();
    if (!grid || (!toCsv && !toBook)) return;
    const QString sheetName = gLanguageEngine.GetMessage(sheetKey);
    QString fileName;
    if (toCsv) {
        tFileDialogRequest request;
        request.Title = SaveDialTitle;
        request.Filter = SaveDialFilter;
        request.DefaultSuffix = QStringLiteral("csv");
        fileName = UiSeam().SaveFileName(this, request);
        if (fileName.isEmpty()) return;
    }
    const TBusyLock lock(this, FBusy);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    tabs->setEnabled(false);
    button->hide();
    bar->setMinimum(0);
    bar->setValue(0);
    bar->show();
    ProcessMessages();
    if (toCsv)
        ExportGridToCsv(grid, fileName, bar);
    else
        ExportGridToWorkbook(grid, sheetName, bar);
    tabs->setEnabled(true);
    bar->hide();
    button->show();
    QApplication::restoreOverrideCursor();
}

void TMainForm::ExportGridToCsv(TStringGrid* grid, const QString& fileName, QProgressBar* bar) {
    if (!grid) return;
    tTextTableView table;
    table.Rows = grid->RowCount();
    table.Columns = grid->ColCount();
    table.Cell = [grid](int r, int c) { return grid->Cells(c, r); };
    tProgress progress;
    progress.Interval = tProgress::kWindowInterval;
    progress.SetMaximum = [bar](int m) { bar->setMaximum(std::max(m, 1)); };
    progress.SetPosition = [bar](int p) { bar->setValue(p); };
    progress.Yield = [] { ProcessMessages(); };
    // The writer fills a temporary file that replaces the target only when complete.
    const QString key = CsvMessageKey(kestrova::ExportGridToCsv(table, fileName, progress));
    if (!key.isEmpty()) MessageKey(key);
}

void TMainForm::ExportGridToWorkbook(TStringGrid* grid, const QString& sheetName, QProgressBar* bar) {
    if (!grid) return;
    QString safeName = WorkbookSheetName(sheetName);
    for (const QChar bad : QStringLiteral("\\/:*?\"<>|[]")) safeName.replace(bad, QLatin1Char('_'));
    if (safeName.trimmed().isEmpty()) safeName = QStringLiteral("Sheet1");
    // A new workbook as one file in the temporary folder, handed to the
    // spreadsheet program; no folder of its own is left behind.
    QString fileName;
    {
        QTemporaryFile file(QStandardPaths::writableLocation(QStandardPaths::TempLocation) + QLatin1Char('/') + safeName +
                            QStringLiteral("-XXXXXX.xlsx"));
        file.setAutoRemove(false);
        if (file.open()) fileName = file.fileName();
    }
    if (fileName.isEmpty()) {
        MessageKey(QStringLiteral("XLExport.ExcelOpenError"));
        return;
    }
    bar->setMaximum(std::max(grid->RowCount() - 1, 1));
    const tXlsxResult result = WriteXlsxTextSheet(
        fileName, sheetName, grid->RowCount(), grid->ColCount(), [grid](int r, int c) { return grid->Cells(c, r); },
        [this, bar](int r) {
            bar->setValue(r);
            if (r % 10 == 0) ProcessMessages();
        });
    if (result != tXlsxResult::Ok) {
        QFile::remove(fileName);
        switch (result) {
        case tXlsxResult::CannotCreate: MessageKey(QStringLiteral("XLExport.ExcelOpenError")); break;
        case tXlsxResult::BadSheetName: MessageKey(QStringLiteral("XLExport.GlobalExcelError")); break;
        case tXlsxResult::WriteFailed: MessageKey(QStringLiteral("XLExport.ExcelExchError")); break;
        default: MessageKey(QStringLiteral("XLExport.GlobalExcelError")); break;
        }
        return;
    }
    if (UiSeam().OpenDocument(fileName)) {
        MessageKey(QStringLiteral("XLExport.ExportSuccessful"));
        return;
    }
    KeepUnopenedWorkbook(fileName, safeName + QStringLiteral(".xlsx"));
}

// The workbook was written but no spreadsheet program opened it: the user
// chooses where to keep it. Cancelling drops it; a failed copy says where
// the written workbook still lies.
void TMainForm::KeepUnopenedWorkbook(const QString& written, const QString& suggestedName) {
    const QString section = QStringLiteral("WorkbookExport");
    tFileDialogRequest request;
    request.Title = gLanguageEngine.GetSectionText(section, QStringLiteral("SaveDial.Title"));
    request.Filter = gLanguageEngine.GetSectionText(section, QStringLiteral("SaveDial.Filter"));
    request.DefaultSuffix = QStringLiteral("xlsx");
    request.FileName = QDir(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation)).filePath(suggestedName);
    QApplication::setOverrideCursor(Qt::ArrowCursor);
    const QString target = UiSeam().SaveFileName(this, request);
    QApplication::restoreOverrideCursor();
    if (target.isEmpty()) {
        QFile::remove(written);
        return;
    }
    gLanguageEngine.SetPlaceholder(QStringLiteral("%FileName%"), QDir::toNativeSeparators(target));
    gLanguageEngine.SetPlaceholder(QStringLiteral("%WrittenFile%"), QDir::toNativeSeparators(written));
    // A copy beside the target replaces it in one step; the written one goes.
    const QString beside = CreateTemporaryBeside(target, QStringLiteral(".xlsx"));
    bool saved = false;
    if (!beside.isEmpty()) {
        QFile in(written), out(beside);
        saved = in.open(QIODevice::ReadOnly) && out.open(QIODevice::WriteOnly | QIODevice::Truncate);
        if (saved) {
            const QByteArray bytes = in.readAll();
            saved = out.write(bytes) == bytes.size() && out.flush();
        }
        out.close();
        saved = saved && ReplaceFile(beside, target);
        if (!saved) QFile::remove(beside);
    }
    if (saved) {
        QFile::remove(written);
        Message(gLanguageEngine.GetSectionText(section, QStringLiteral("Saved")));
    } else {
        Message(gLanguageEngine.GetSectionText(section, QStringLiteral("NotSaved")));
    }
}

}  // namespace kestrova
