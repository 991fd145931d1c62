// The calculation run's window side, the result grids, row synchronisation,
// the drawn views, km+ search and export.
#include "app/main_form.h"

#include "app/busy_lock.h"
#include "app/product.h"
#include "app/report_command.h"
#include "app/ui_seam.h"
#include "calc/crossroads_list.h"
#include "calc/grid_texts.h"
#include "cross_profile_view.h"
#include "crossroads_view.h"
#include "export/km_search.h"
#include "export/xlsx_writer.h"
#include "app/file_replace.h"
#include "road_view.h"
#include "views/image_view.h"
#include "views/overview_page.h"
#include "views/string_grid.h"

#include "calc/calc_run.h"
#include "export/csv_writer.h"

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

struct TMainForm::tViewBuffers {
    T3DData Data3d;
    T2DData Data2d;
    tProfileData Profile;
    Tx2Ddata Plan;
    tCrossRoadsListState CRoads;
    tGridLanguage Language;
};

namespace {

QString DecimalSeparator() { return QLocale().decimalPoint(); }

// Copies the texts of one grid of the text layer into a window grid.
void Materialise(TStringGrid& grid, tGridId id, const tGridSource& source) {
    const int rows = GridRowCount(id, source);
    const int cols = GridColumnCount(id);
    grid.SetSize(cols, rows);
    TGridModel& m = grid.Model();
    m.BeginChange();
    for (int r = 1; r < rows; ++r)
        for (int c = 0; c < cols; ++c) m.SetCellQuiet(c, r, CellText(id, source, r, c));
    m.EndChange();
}

}  // namespace

TMainForm::~TMainForm() { delete FViews; }

void TMainForm::CreateViewBuffers() { FViews = new tViewBuffers(); }

// Cause and verdict texts follow the language: the text layer's language
// record is refreshed and those columns are written again.
void TMainForm::FillCauseTexts() {
    tGridLanguage& language = FViews->Language;
    const auto lookup = [this](const QString& s, const QString& k) { return gLanguageEngine.GetSectionText(s, k); };
    FillHeaderTexts(language, lookup);
    kestrova::FillCauseTexts(language, lookup);
    tGridSource source;
    source.Plan = &FModel.Plan;
    source.Pivot = &FModel.Pivot;
    source.Language = &language;
    source.DecimalSeparator = DecimalSeparator();
    const auto rewrite = [&](TStringGrid* grid, tGridId id, std::initializer_list<int> cols) {
        TGridModel& m = grid->Model();
        const int rows = std::min(grid->RowCount(), GridRowCount(id, source));
        m.BeginChange(false);
        for (int r = 1; r < rows; ++r)
            for (int c : cols) m.SetCellQuiet(c, r, CellText(id, source, r, c));
        m.EndChange();
    };
    rewrite(gDraftV, tGridId::DraftV, {17, 20});
    rewrite(gPivotData, tGridId::PivotData, {5, 8, 10, 13});
}

tProgress TMainForm::CalcProgress() {
    tProgress p;
    p.Interval = tProgress::kWindowInterval;
    auto timer = std::make_shared<QElapsedTimer>();
    timer->start();
    p.SetMaximum = [this](int m) { pbCalc->setMaximum(std::max(m, 1)); };
    p.SetPosition = [this](int pos) { pbCalc->setValue(std::min(pos, pbCalc->maximum())); };
    p.Log = [this](const tMessage& line) { AddCalcLog(gLanguageEngine.Text(line)); };
    p.Notify = [this](const tMessage& m) { Message(gLanguageEngine.Text(m)); };
    // The window keeps painting during long stages, without spending the run on it.
    p.Yield = [this, timer] {
        if (timer->elapsed() >= 30) {
            ProcessMessages();
            timer->restart();
        }
    };
    return p;
}

void TMainForm::AddCalcLog(const QString& text) {
    if (!_x_mCalcLog->isVisible()) {
        _x_mCalcLog->clear();
        _x_mCalcLog->show();
        ProcessMessages();
    }
    _x_mCalcLog->appendPlainText(text);
    // Each line is on screen before the next stage starts.
    _x_mCalcLog->repaint();
    ProcessMessages();
}

void TMainForm::btStartCalcClick() {
    if (!btStartCalc->isEnabled() || FModel.Plan.Count() == 0 || FBusy) return;
    std::optional<TBusyLock> lock(std::in_place, this, FBusy);
    const int c = FModel.CrossRoads.Count(), g = FModel.Greens.Count();
    // Load groups that hold nothing make room for the calculation group.
    if (g == 0) gbLoadVegetationBuildings->hide();
    if (c == 0) gbLoadCrossRoads->hide();
    btStartCalc->setEnabled(false);
    pbCalc->setValue(0);
    pbCalc->setMaximum(std::max(1, CalcProgressMaximum(FModel)));
    pbCalc->show();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    ProcessMessages();

    const tProgress progress = CalcProgress();
    // The grids are filled once the pivot exists: the text layer writes whole
    // grids faster than row by row, and the cause texts come with them.
    tCalcHooks hooks;
    hooks.CauseTexts = [this] {
        FillGrids();
        pbCalc->setValue(pbCalc->maximum());
    };
    RunCalculation(FModel, progress, tCalcEngine::Fast, hooks);
    lock.reset();
    btStartCalc->setEnabled(false);  // the calculation runs once
    pbCalc->hide();
    QApplication::restoreOverrideCursor();

    {
        const QSignalBlocker block(tabs);
        FTab.SourceGrid = tabs->addTab(QStringLiteral("tabSourceGrid"));
        FTab.DraftSpeeds = tabs->addTab(QStringLiteral("tabDraftSpeeds"));
        FTab.PivotGrid = tabs->addTab(QStringLiteral("tabPivotGrid"));
        FTab.View3DF = tabs->addTab(QStringLiteral("tab3DF"));
        FTab.View3DB = tabs->addTab(QStringLiteral("tab3DB"));
        FTab.CProfile = tabs->addTab(QStringLiteral("tabCProfile"));
        if (c > 0) {
            FTab.CRoads = tabs->addTab(QStringLiteral("tabCRoads"));
            FCRoadsGuard = false;
        }
        FTab.Overview = tabs->addTab(QStringLiteral("tabOverview"));
    }
    panOverview->ResultsReady();
    ApplyLanguage();
    FReport->CalculationDone();
    SelectTab(FTab.DraftSpeeds);
    backPanelResize();
}

// ---- result grids --------------------------------------------------------

void TMainForm::FillGrids() {
    tGridSource source;
    source.Plan = &FModel.Plan;
    source.Pivot = &FModel.Pivot;
    source.Language = &FViews->Language;
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
    panOverview->SetCurrentProfile(profileRow - 1);
    if (grid == gSourceData || grid == gDraftV || grid == gPivotData) grid->viewport()->update();
    const tViewTab view = CurrentViewTab();
    if (grid == gProfilesList && (view == tViewTab::Forward || view == tViewTab::Backward || view == tViewTab::CrossProfile))
        tabsChange();
    FInGridClick = false;
}

void TMainForm::gridTopLeftChanged(TStringGrid* grid) {
    if (grid != gDraftV && grid != gSourceData && grid != gPivotData) return;
    const int row = grid->Row();
    if (row < 1) return;
    const bool guard = FInGridClick;
    FInGridClick = true;  // moving the column is no row click
    grid->SetCol(grid->LeftCol());
    FInGridClick = guard;
}

// ---- drawn views ---------------------------------------------------------

void TMainForm::DrawCurrentView() {
    const tViewTab view = CurrentViewTab();
    if (view != tViewTab::Forward && view != tViewTab::Backward && view != tViewTab::CrossProfile) return;
    const int profile = gProfilesList->Row() - 1;
    tViewOptions options;
    options.View = view == tViewTab::Forward    ? tViewKind::Forward
                   : view == tViewTab::Backward ? tViewKind::Backward
                                                : tViewKind::CrossProfile;
    options.Profile = profile;
    for (int i = 0; i < 4; ++i)
        if (rgLookHeightItems[i]->isChecked()) options.LookHeight = i;
    options.DrawLookLines = cbDrawLookLines__3D->isChecked();
    options.DrawRoadGrid = cbDrawRoadGrid__3D->isChecked();
    options.Crop30m = cbCropProfile30m->isChecked();
    options.Target.Size = Im3d->size();
    options.Target.PixelsPerInch = std::max(1, logicalDpiY());
    options.ButtonFace = palette().color(QPalette::Button);
    options.Texts = TextsFromEngine(gLanguageEngine);
    QImage& image = Im3d->Picture();
    if (profile < 0 || profile >= FModel.Plan.Count()) {
        PrepareSurface(image, options.Target);
        image.fill(Qt::white);
    } else if (view == tViewTab::CrossProfile) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        DrawCrossProfile(FModel, options, FViews->Profile, image);
        QApplication::restoreOverrideCursor();
    } else {
        DrawRoadView(FModel, options, FViews->Data3d, FViews->Data2d, image);
    }
    Im3d->update();
}

void TMainForm::Im3dMouseMove(const QPoint& pos) {
    if (CurrentViewTab() != tViewTab::CrossProfile) return;
    if (gbCursorMeas->isHidden()) gbCursorMeas->show();
    tCursorMeasure m;
    if (!MeasureCrossProfile(FViews->Profile, pos.x(), pos.y(), TextsFromEngine(gLanguageEngine), m)) return;
    _x_XMeas->setText(m.ShiftText);
    _x_YMeas->setText(m.HeightText);
}

void TMainForm::gCRoadsListClick() {
    if (FCRoadsGuard || CurrentViewTab() != tViewTab::CrossRoads) return;
    const int listRow = gCRoadsList->Row();
    bool ok = false;
    const int crossRoad = gCRoadsList->Cells(3, listRow).toInt(&ok);
    if (!ok || crossRoad < 0 || crossRoad >= FModel.CrossRoads.Count()) return;
    const int checked = rbCRoadRev->isChecked() ? DirRev : DirFwd;
    const int before = gCrProfilesList->RowCount() > 1 ? gCrProfilesList->Row() - 1 : -1;
    const tCrossRoadSelection sel = SelectCrossRoad(FModel, crossRoad, checked, before, FViews->CRoads);
    rbCRoadFwd->setEnabled(sel.Ok);
    rbCRoadRev->setEnabled(sel.Ok);
    gbCRoadsPProfiles->setVisible(sel.Ok);
    imCRoads->setVisible(sel.Ok);
    if (!sel.Ok) return;
    FCRoadShown = crossRoad;
    FCRoadsGuard = true;
    rbCRoadFwd->setEnabled(sel.FwdEnabled);
    rbCRoadRev->setEnabled(sel.RevEnabled);
    // A direction from which the crossing road is hidden is shown on a warning
    // background; a style sheet is the one way every style paints it whole.
    const auto warn = [](QRadioButton* button, bool notVisible) {
        button->setStyleSheet(notVisible ? QStringLiteral("QRadioButton { background-color: rgb(255, 111, 111); }") : QString());
    };
    warn(rbCRoadFwd, sel.FwdNotVisible);
    warn(rbCRoadRev, sel.RevNotVisible);
    (sel.Direction == DirRev ? rbCRoadRev : rbCRoadFwd)->setChecked(true);
    const int rows = static_cast<int>(sel.Rows.size());
    gCrProfilesList->SetSize(4, rows + 1);
    TGridModel& m = gCrProfilesList->Model();
    m.BeginChange();
    for (int i = 0; i < rows; ++i) {
        const tApproachRow& a = sel.Rows[static_cast<size_t>(i)];
        m.SetCellQuiet(0, i + 1, QString::number(a.RecordNumber));
        m.SetCellQuiet(1, i + 1, a.KmText);
        m.SetCellQuiet(2, i + 1, a.NotVisible ? QStringLiteral("NL") : QString());
        m.SetCellQuiet(3, i + 1, QString::number(a.Profile));
    }
    m.EndChange();
    if (sel.CurrentRow >= 0) gCrProfilesList->SetRow(sel.CurrentRow + 1);
    AutoSizeGrid(*gCrProfilesList, Columns({0, 1}), Columns({0, 1}));
    FCRoadsGuard = false;
    gCrProfilesListClick();
    gCrProfilesList->setFocus();
}

void TMainForm::gCrProfilesListClick() {
    if (FCRoadsGuard || CurrentViewTab() != tViewTab::CrossRoads || FCRoadShown < 0) return;
    bool ok = false;
    const int profile = gCrProfilesList->Cells(3, gCrProfilesList->Row()).toInt(&ok);
    if (!ok) return;
    tViewOptions options;
    options.View = tViewKind::CrossRoads;
    options.CrossRoad = FCRoadShown;
    options.Direction = rbCRoadRev->isChecked() ? DirRev : DirFwd;
    options.Profile = profile;
    options.Target.Size = imCRoads->size();
    options.Target.PixelsPerInch = std::max(1, logicalDpiY());
    options.ButtonFace = palette().color(QPalette::Button);
    options.Texts = TextsFromEngine(gLanguageEngine);
    DrawCrossRoadsView(FModel, options, FViews->Plan, imCRoads->Picture());
    imCRoads->update();
    const bool guard = FInGridClick;
    FInGridClick = true;
    gDraftV->SetRow(DraftRowForProfile(profile));
    FInGridClick = guard;
}

// ---- km+ search ----------------------------------------------------------

void TMainForm::edSearchKmpChange(QLineEdit* edit) {
    QPushButton* button = edit == edSearchKmpDraftV        ? btSearchKmp__DraftV
                          : edit == edSearchKmpSourceData  ? btSearchKmp__SourceData
                          : edit == edSearchKmpPivotData   ? btSearchKmp__PivotData
                                                           : nullptr;
    if (!button) return;
    if (edit->cursorPosition() > 4) {
        const QString text = edit->displayText();
        const QString normal = NormaliseKmField(text);
        if (normal != text) {
            // Only the kilometre places are rewritten: setting the whole text
            // again would let the mask shift the metres typed after a blank.
            const QSignalBlocker block(edit);
            const int caret = edit->cursorPosition();
            edit->setSelection(0, 4);
            edit->insert(normal.left(4));
            edit->setCursorPosition(caret);
        }
    }
    double position = 0;
    button->setEnabled(ParseSearchKmPlus(edit->displayText(), position));
}

void TMainForm::btSearhKmpClick(QPushButton* button) {
    QLineEdit* edit = nullptr;
    TStringGrid* grid = nullptr;
    if (button == btSearchKmp__DraftV) {
        edit = edSearchKmpDraftV;
        grid = gDraftV;
    } else if (button == btSearchKmp__SourceData) {
        edit = edSearchKmpSourceData;
        grid = gSourceData;
    } else if (button == btSearchKmp__PivotData) {
        edit = edSearchKmpPivotData;
        grid = gPivotData;
    }
    if (!edit || FBusy) return;
    const QString text = edit->displayText();
    ResetSearch(edit, button);
    grid->setFocus();
    double position = 0;
    if (!ParseSearchKmPlus(text, position)) return;
    const int profile = NearestProfile(FModel.Plan, position);
    if (profile < 0) return;
    if (grid == gPivotData) {
        const int row = PivotRowOfProfile(FModel.Pivot, profile);
        if (row < 0) return;
        grid->SetRow(row + 1);
    } else {
        grid->SetRow(profile + 1);
    }
    gridClick(grid);  // the other grids and the profile list follow, as after a click
}

// ---- export --------------------------------------------------------------

void TMainForm::btExportGridClick(QPushButton* button) {
    if (FBusy) return;
    pmExport->popup(button->mapToGlobal(QPoint(0, button->height())));
}

void TMainForm::pmiExportClick(QAction* item) {
    const int t = tabs->currentIndex();
    TStringGrid* grid = nullptr;
    QProgressBar* bar = nullptr;
    QPushButton* button = nullptr;
    QString sheetKey;
    if (t >= 0 && t == FTab.DraftSpeeds) {
        grid = gDraftV;
        bar = pbDraftV;
        button = btExport__Draft;
        sheetKey = QStringLiteral("XLExport.SheetNameCalcSpeeds");
    } else if (t >= 0 && t == FTab.SourceGrid) {
        grid = gSourceData;
        bar = pbSourceData;
        button = btExport__Source;
        sheetKey = QStringLiteral("XLExport.SheetNameSourceData");
    } else if (t >= 0 && t == FTab.PivotGrid) {
        grid = gPivotData;
        bar = pbPivotData;
        button = btExport__PivotData;
        sheetKey = QStringLiteral("XLExport.SheetNamePivotData");
    }
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
    progress.Yield = [this] { ProcessMessages(); };
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
