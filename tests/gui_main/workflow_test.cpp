// Loading the example tables through the load buttons, the calculation and
// its tabs, the grids (texts, painting, row synchronisation), search,
// export and switching the language afterwards.
#include "gui_fixture.h"

#include "calc/grid_texts.h"
#include "export/km_search.h"
#include "model/road_text.h"
#include "import/excel_tables.h"
#include "views/image_view.h"
#include "views/string_grid.h"

#include <QAction>
#include <QComboBox>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QHeaderView>
#include <QScrollBar>
#include <QTabBar>
#include <QTest>

namespace kestrova::test {
namespace {

QString Msg(TMainForm& w, const char* key) { return w.Engine().GetMessage(QString::fromLatin1(key)); }
QString GridText(TMainForm& w, const char* key) {
    return w.Engine().GetSectionText(QStringLiteral("MainForm.Grids"), QString::fromLatin1(key));
}

// A window in English with the example tables loaded and calculated.
class GuiWorkflow : public ::testing::Test {
protected:
    void SetUp() override {
        install = std::make_unique<TInstall>(QStringList{QStringLiteral("English.lng"), QStringLiteral("Russian.lng")});
        QFile f(install->Settings());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("[MainForm.Components]\r\nedLang=ENGLISH\r\n");
        f.close();
        window = std::make_unique<TStartedWindow>(*install, seam);
        w = window->Form.get();
    }
    void TearDown() override { window.reset(); }

    void LoadAll() {
        w->btLoadData__MainClick();
        ASSERT_TRUE(seam.Messages.empty()) << seam.LastText().toStdString();
        w->btLoadData__GreenClick();
        ASSERT_TRUE(seam.Messages.empty()) << seam.LastText().toStdString();
        w->btLoadData__CrossClick();
        ASSERT_TRUE(seam.Messages.empty()) << seam.LastText().toStdString();
    }
    // The generated road holds a crossroad that crosses twice: the run reports it and goes on.
    void Calculate() {
        LoadAll();
        w->btStartCalcClick();
        for (const tShownMessage& m : seam.Messages) EXPECT_EQ(m.Icon, tBoxIcon::None) << m.Text.toStdString();
        seam.Messages.clear();
    }
    // The colour at the middle of a data cell as the grid paints it.
    QColor CellColour(TStringGrid* grid, int col, int row, QPoint offset = {}) {
        const QModelIndex index = grid->Model().index(row - 1, col);
        grid->scrollTo(index);
        Pump(50);
        const QRect r = grid->visualRect(index);
        const QImage image = grid->viewport()->grab().toImage();
        const QPoint p = offset.isNull() ? r.center() : r.topLeft() + offset;
        return image.pixelColor(p);
    }

    TRecordingSeam seam;
    std::unique_ptr<TInstall> install;
    std::unique_ptr<TStartedWindow> window;
    TMainForm* w = nullptr;
};

TEST_F(GuiWorkflow, LoadingTheExampleTablesUnlocksTheGroupsInTurn) {
    EXPECT_FALSE(w->gbLoadCrossRoads->isVisible());
    EXPECT_FALSE(w->gbStartCalc->isVisible());
    w->btLoadData__MainClick();
    ASSERT_TRUE(seam.Messages.empty()) << seam.LastText().toStdString();
    const int n = w->Model().Plan.Count();
    EXPECT_EQ(n, static_cast<int>(SmallRoad().Road.Rows.size()));
    EXPECT_FALSE(w->gbLoadRoadData->isEnabled());
    EXPECT_FALSE(w->btLoadData__Main->isVisible());
    EXPECT_FALSE(w->pbMain->isVisible());
    w->Engine().SetPlaceholder(QStringLiteral("%RecordsCount%"), QString::number(n));
    EXPECT_EQ(w->_x_lbMainCount->text(), Msg(*w, "LoadData.RowsLoaded"));
    EXPECT_TRUE(w->gbLoadCrossRoads->isVisible());
    EXPECT_TRUE(w->gbLoadVegetationBuildings->isVisible());
    EXPECT_TRUE(w->gbStartCalc->isVisible());
    // A CSV road has no further sheets.
    EXPECT_FALSE(w->rbSecondSheet__Cross->isEnabled());
    EXPECT_FALSE(w->rbThirdSheet__Green->isEnabled());
    EXPECT_TRUE(w->rbSeparateFile__Cross->isChecked());
    EXPECT_TRUE(w->edOpenCrossXL->isVisible());

    w->btLoadData__CrossClick();
    ASSERT_TRUE(seam.Messages.empty()) << seam.LastText().toStdString();
    EXPECT_GT(w->Model().CrossRoads.Count(), 0);
    EXPECT_FALSE(w->gbLoadCrossRoads->isEnabled());
    EXPECT_TRUE(w->gbLoadVegetationBuildings->isVisible());
    EXPECT_TRUE(w->gbStartCalc->isVisible());
    w->btLoadData__GreenClick();
    ASSERT_TRUE(seam.Messages.empty()) << seam.LastText().toStdString();
    EXPECT_GT(w->Model().Greens.Count(), 0);
    EXPECT_FALSE(w->gbLoadVegetationBuildings->isEnabled());
    w->Engine().SetPlaceholder(QStringLiteral("%RecordsCount%"), QString::number(w->Model().Greens.Count()));
    EXPECT_EQ(w->_x_lbGreenCount->text(), Msg(*w, "LoadData.VegetablesBuildingsLoaded"));
}

TEST_F(GuiWorkflow, AFailedImportLeavesTheWindowReadyForAnotherTry) {
    const QString good = w->edOpenXL->text();
    w->edOpenXL->setText(install->Folder() + QStringLiteral("missing.csv"));
    w->btLoadData__MainClick();
    ASSERT_EQ(seam.Messages.size(), 1u);
    w->Engine().SetPlaceholder(QStringLiteral("%FileName%"), install->Folder() + QStringLiteral("missing.csv"));
    EXPECT_EQ(seam.Messages[0].Text, Msg(*w, "LoadData.FileNotFound"));
    EXPECT_TRUE(w->edOpenXL->isEnabled());
    EXPECT_TRUE(w->btLoadData__Main->isEnabled());
    EXPECT_FALSE(w->pbMain->isVisible());
    EXPECT_FALSE(w->_x_lbMainCount->isVisible());
    EXPECT_FALSE(w->gbStartCalc->isVisible());

    // A truncated table names its problem, and the window still takes the good one.
    const QString broken = install->Folder() + QStringLiteral("broken.csv");
    QByteArray bytes = ReadFile(good);
    WriteFile(broken, bytes.left(bytes.indexOf('\n', bytes.indexOf('\n') + 1) + 1));
    w->edOpenXL->setText(broken);
    w->btLoadData__MainClick();
    ASSERT_EQ(seam.Messages.size(), 2u);
    EXPECT_TRUE(w->btLoadData__Main->isEnabled());
    w->edOpenXL->setText(good);
    w->btLoadData__MainClick();
    EXPECT_EQ(seam.Messages.size(), 2u);
    EXPECT_FALSE(w->gbLoadRoadData->isEnabled());
}

TEST_F(GuiWorkflow, CrossroadsFileEqualToTheRoadFileIsRefused) {
    w->btLoadData__MainClick();
    w->edOpenCrossXL->setText(QStringLiteral("  ") + w->edOpenXL->text().toLower() + QStringLiteral(" "));
    w->btLoadData__CrossClick();
    ASSERT_EQ(seam.Messages.size(), 1u);
    EXPECT_EQ(seam.Messages[0].Text, Msg(*w, "LoadData.SomeFileSelected"));
    EXPECT_TRUE(w->btLoadData__Cross->isEnabled());
    EXPECT_TRUE(w->gbLoadCrossRoads->isEnabled());
}

TEST_F(GuiWorkflow, CalculationAppendsTheResultTabsInOrder) {
    Calculate();
    const QStringList keys = {"tabs.tabAbout", "tabs.tabSourceData", "tabs.tabSourceGrid", "tabs.tabDraftSpeeds",
                              "tabs.tabPivotGrid", "tabs.tab3DF", "tabs.tab3DB", "tabs.tabCProfile", "tabs.tabCRoads",
                              "tabs.tabOverview"};
    ASSERT_EQ(w->Tabs()->count(), 10);
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(w->Tabs()->tabText(i), w->Engine().GetSectionText(QStringLiteral("MainForm.TabControls"), keys[i])) << i;
    EXPECT_EQ(w->Tabs()->currentIndex(), w->TabIndex().DraftSpeeds);
    EXPECT_EQ(w->TabIndex().DraftSpeeds, 3);
    EXPECT_TRUE(w->panel1->isVisible());
    EXPECT_FALSE(w->btStartCalc->isEnabled());
    EXPECT_FALSE(w->pbCalc->isVisible());
    const QStringList log = w->_x_mCalcLog->toPlainText().split(QLatin1Char('\n'));
    ASSERT_GE(log.size(), 3);
    EXPECT_EQ(log.last(), Msg(*w, "CalcLog.AllCalculationsComplete"));
    EXPECT_EQ(log[log.size() - 2], QString(45, QLatin1Char('_')));
    EXPECT_EQ(log.first(), Msg(*w, "CalcLog.ParseVegetablesBuildings"));
}

TEST_F(GuiWorkflow, WithoutCrossroadsAndVegetationEightTabsAndTheGroupsHide) {
    w->btLoadData__MainClick();
    w->btStartCalcClick();
    EXPECT_EQ(w->Tabs()->count(), 9);  // the road overview follows the cross-profile view
    EXPECT_EQ(w->TabIndex().CRoads, -1);
    EXPECT_EQ(w->TabIndex().Overview, 8);
    EXPECT_FALSE(w->gbLoadCrossRoads->isVisibleTo(w->panel0));
    EXPECT_FALSE(w->gbLoadVegetationBuildings->isVisibleTo(w->panel0));
    EXPECT_TRUE(w->gbStartCalc->isVisibleTo(w->panel0));
    const QString log = w->_x_mCalcLog->toPlainText();
    EXPECT_TRUE(log.contains(Msg(*w, "CalcLog.NoVegetablesBuildings")));
    EXPECT_TRUE(log.contains(Msg(*w, "CalcLog.NoCrossRoadsList")));
}

TEST_F(GuiWorkflow, GridsShowTheTextLayerWithTranslatedHeaders) {
    Calculate();
    const tRoadModel& m = w->Model();
    const int n = m.Plan.Count();
    ASSERT_EQ(w->gDraftV->RowCount(), n + 1);
    ASSERT_EQ(w->gSourceData->RowCount(), n + 1);
    ASSERT_EQ(w->gProfilesList->RowCount(), n + 1);
    ASSERT_EQ(w->gPivotData->RowCount(), m.Pivot.Count() + 1);
    EXPECT_EQ(w->gDraftV->FixedCols(), 3);
    EXPECT_EQ(w->gPivotData->FixedCols(), 4);
    EXPECT_EQ(w->gDraftV->Cells(3, 0), GridText(*w, "gDraftV.cgvFreeV"));
    EXPECT_EQ(w->gSourceData->Cells(1, 0), GridText(*w, "gSourceData.csdPosition"));
    EXPECT_EQ(w->gPivotData->Cells(8, 0), GridText(*w, "gPivotData.ResumeFwd"));
    const tPlanProfile& p = m.Plan.Profiles[5];
    EXPECT_EQ(w->gDraftV->Cells(0, 6), QString::number(p.RecordNumber));
    EXPECT_EQ(w->gDraftV->Cells(1, 6), FormatKmPlus(true, p.Position));
    EXPECT_EQ(w->gDraftV->Cells(16, 6), QString::number(p.MinV[0]));
    EXPECT_TRUE(w->gDraftV->Cells(18, 1).isEmpty());  // no forward rate on the first profile
    EXPECT_TRUE(w->gDraftV->Cells(21, n).isEmpty());  // no reverse rate on the last
    const QString cause = p.Cause[0] == 0 ? QString() : GridText(*w, CauseKey(p.Cause[0]).toLatin1().constData());
    EXPECT_EQ(w->gDraftV->Cells(17, 6), cause);
    EXPECT_TRUE(w->gPivotData->Cells(8, 1).isEmpty());
    EXPECT_TRUE(w->gPivotData->Cells(13, m.Pivot.Count()).isEmpty());
    EXPECT_EQ(w->gProfilesList->Cells(1, 6), w->gDraftV->Cells(1, 6));
    for (int c = 2; c < 6; ++c) EXPECT_EQ(w->gProfilesList->ColWidth(c), -1);
}

TEST_F(GuiWorkflow, CauseCellsAndNotSafeVerdictsArePaintedInTheirColours) {
    Calculate();
    tRoadModel& m = w->Model();
    // A profile whose two directions have different causes, away from the current row.
    int profile = -1;
    for (int i = 2; i < m.Plan.Count(); ++i)
        if (CauseColumn(m.Plan.Profiles[i].Cause[0], 0) != CauseColumn(m.Plan.Profiles[i].Cause[1], 1)) {
            profile = i;
            break;
        }
    ASSERT_GE(profile, 0);
    const tPlanProfile& p = m.Plan.Profiles[profile];
    const int fwdCol = CauseColumn(p.Cause[0], 0), revCol = CauseColumn(p.Cause[1], 1);
    EXPECT_EQ(CellColour(w->gDraftV, fwdCol, profile + 1, QPoint(2, 2)), QColor(160, 255, 160));
    EXPECT_EQ(CellColour(w->gDraftV, revCol, profile + 1, QPoint(2, 2)), QColor(144, 196, 255));
    // On the current row the fill is inset so the highlight frame stays visible.
    w->gDraftV->SetRow(profile + 1);
    EXPECT_EQ(CellColour(w->gDraftV, fwdCol, profile + 1, QPoint(1, 1)), w->gDraftV->palette().color(QPalette::Highlight));
    EXPECT_EQ(CellColour(w->gDraftV, fwdCol, profile + 1, QPoint(3, 3)), QColor(160, 255, 160));

    // A not-safe verdict on a row that is not current is light red.
    ASSERT_GE(m.Pivot.Count(), 2);
    int seg = -1;
    for (int j = 1; j < m.Pivot.Count(); ++j)
        if (m.Pivot.Rows[j].ResumeFwd == -1) seg = j;
    if (seg < 0) {  // the road judged every boundary safe: mark one for the painting
        seg = m.Pivot.Count() - 1;
        m.Pivot.Rows[seg].ResumeFwd = -1;
        w->FillCauseTexts();
    }
    w->SelectTab(w->TabIndex().PivotGrid);
    w->gPivotData->SetRow(seg == 1 ? 2 : 1);
    EXPECT_EQ(w->gPivotData->Cells(8, seg + 1), GridText(*w, "gPivotData.Value.NotSafe"));
    EXPECT_EQ(CellColour(w->gPivotData, 8, seg + 1, QPoint(2, 2)), QColor(255, 111, 111));
    w->gPivotData->SetRow(seg + 1);
    EXPECT_EQ(CellColour(w->gPivotData, 8, seg + 1, QPoint(2, 2)), w->gPivotData->palette().color(QPalette::Highlight));
}

TEST_F(GuiWorkflow, FixedColumnsStayInViewWhenTheGridScrollsSideways) {
    Calculate();
    TStringGrid* g = w->gDraftV;
    w->SelectTab(w->TabIndex().DraftSpeeds);
    w->resize(800, 600);
    Pump(50);
    g->SetRow(3);
    g->horizontalScrollBar()->setValue(g->horizontalScrollBar()->maximum());
    Pump(50);
    EXPECT_GT(g->LeftCol(), 3);
    EXPECT_EQ(g->Col(), g->LeftCol());  // the current column follows the scrolling
    EXPECT_EQ(g->Row(), 3);
    // Row 5 (not current) at the left edge still shows the fixed first column.
    const QImage image = g->grab().toImage();
    const int y = g->horizontalHeader()->height() + g->frameWidth() + g->rowViewportPosition(4) + 2;
    EXPECT_EQ(image.pixelColor(g->frameWidth() + 2, y), g->palette().color(QPalette::Button));
}

TEST_F(GuiWorkflow, ClickingARowMovesTheOtherGridsAlong) {
    Calculate();
    const tPivotData& pivot = w->Model().Pivot;
    ASSERT_GE(pivot.Count(), 2);
    const tPivotRow& second = pivot.Rows[1];
    w->gDraftV->SetRow(second.FirstIndex + 1);
    w->gridClick(w->gDraftV);
    EXPECT_EQ(w->gPivotData->Row(), 2);
    EXPECT_EQ(w->gSourceData->Row(), second.FirstIndex + 1);
    EXPECT_EQ(w->gProfilesList->Row(), second.FirstIndex + 1);
    w->gPivotData->SetRow(1);
    w->gridClick(w->gPivotData);
    EXPECT_EQ(w->gDraftV->Row(), pivot.Rows[0].FirstIndex + 1);
    // The last profile of the road selects the last segment.
    w->gSourceData->SetRow(w->Model().Plan.Count());
    w->gridClick(w->gSourceData);
    EXPECT_EQ(w->gPivotData->Row(), pivot.Count());
}

TEST_F(GuiWorkflow, TabSwitchesFitTheGridsAndResetTheSearch) {
    Calculate();
    w->edSearchKmpSourceData->setText(QStringLiteral("   1+200,00"));
    w->SelectTab(w->TabIndex().SourceGrid);
    EXPECT_TRUE(w->Panel4->isVisible());
    EXPECT_EQ(w->edSearchKmpSourceData->displayText(), kEmptyKmPlusText);
    EXPECT_FALSE(w->btSearchKmp__SourceData->isEnabled());
    const QFontMetrics bold([&] { QFont f = w->gSourceData->font(); f.setBold(true); return f; }());
    EXPECT_GE(w->gSourceData->ColWidth(1), bold.horizontalAdvance(w->gSourceData->Cells(1, 0).split(QLatin1Char('\r')).first()) + 8);
    EXPECT_GE(w->gSourceData->ColWidth(5), 64);
    // The view tabs keep the first row's texts of the profile list.
    const QString first = w->gProfilesList->Cells(1, 1);
    w->SelectTab(w->TabIndex().View3DF);
    EXPECT_TRUE(w->panel2->isVisible());
    EXPECT_TRUE(w->pan3Dtools->isVisible());
    EXPECT_FALSE(w->panCProfileTools->isVisible());
    EXPECT_EQ(w->gProfilesList->Cells(1, 1), first);
    EXPECT_FALSE(w->Im3d->Picture().isNull());
    w->SelectTab(w->TabIndex().CProfile);
    EXPECT_TRUE(w->panCProfileTools->isVisible());
    EXPECT_FALSE(w->pan3Dtools->isVisible());
    EXPECT_EQ(w->gProfilesList->y(), w->panCProfileTools->height() + 8);
    w->SelectTab(w->TabIndex().CRoads);
    EXPECT_TRUE(w->Panel3->isVisible());
    EXPECT_GT(w->gCRoadsList->RowCount(), 1);
}

TEST_F(GuiWorkflow, HiddenCrossroadDirectionsShowTheWarningBackground) {
    Calculate();
    w->SelectTab(w->TabIndex().CRoads);
    const QColor warning(255, 111, 111);
    int checked = 0;
    for (int row = 1; row < w->gCRoadsList->RowCount(); ++row) {
        bool ok = false;
        const int c = w->gCRoadsList->Cells(3, row).toInt(&ok);
        if (!ok || w->Model().CrossRoads.Roads[size_t(c)].Skip) continue;
        w->gCRoadsList->SetRow(row);
        w->gCRoadsListClick();
        const tCrossRoadRec& road = w->Model().CrossRoads.Roads[size_t(c)];
        for (auto [button, dir] : {std::pair{w->rbCRoadFwd, 0}, std::pair{w->rbCRoadRev, 1}}) {
            const bool painted = button->autoFillBackground() && button->palette().color(QPalette::Window) == warning;
            EXPECT_EQ(painted, road.NotVisible[dir] != 0) << road.Name.toStdString() << " direction " << dir;
        }
        ++checked;
    }
    EXPECT_GT(checked, 1);
}

TEST_F(GuiWorkflow, KmSearchSelectsTheNearestProfileAndItsSegment) {
    Calculate();
    const TMPlan& plan = w->Model().Plan;
    const tPlanProfile& target = plan.Profiles[plan.Count() / 2];
    w->SelectTab(w->TabIndex().DraftSpeeds);
    const QString text = FormatKmPlus(true, target.Position + 1.0).rightJustified(11, QLatin1Char(' '));
    w->edSearchKmpDraftV->setText(text);
    w->edSearchKmpDraftV->setCursorPosition(8);
    w->edSearchKmpChange(w->edSearchKmpDraftV);
    ASSERT_TRUE(w->btSearchKmp__DraftV->isEnabled()) << w->edSearchKmpDraftV->displayText().toStdString();
    w->btSearhKmpClick(w->btSearchKmp__DraftV);
    EXPECT_EQ(w->gDraftV->Row(), plan.Count() / 2 + 1);
    EXPECT_EQ(w->edSearchKmpDraftV->displayText(), kEmptyKmPlusText);
    EXPECT_FALSE(w->btSearchKmp__DraftV->isEnabled());

    // Beyond the end of the road: the last profile; in the pivot grid its segment.
    w->SelectTab(w->TabIndex().PivotGrid);
    w->edSearchKmpPivotData->setText(QStringLiteral("9999+999,99"));
    w->edSearchKmpChange(w->edSearchKmpPivotData);
    w->btSearhKmpClick(w->btSearchKmp__PivotData);
    EXPECT_EQ(w->gPivotData->Row(), PivotRowOfProfile(w->Model().Pivot, plan.Count() - 1) + 1);

    // A kilometre field left empty becomes zero once the caret passes it.
    w->SelectTab(w->TabIndex().SourceGrid);
    w->edSearchKmpSourceData->setFocus();
    w->edSearchKmpSourceData->setCursorPosition(5);
    QTest::keyClicks(w->edSearchKmpSourceData, QStringLiteral("250"));
    EXPECT_EQ(w->edSearchKmpSourceData->displayText().left(5), QStringLiteral("   0+"));
    EXPECT_TRUE(w->btSearchKmp__SourceData->isEnabled()) << w->edSearchKmpSourceData->displayText().toStdString();
}

TEST_F(GuiWorkflow, CsvExportWritesTheGridAsShown) {
    Calculate();
    w->SelectTab(w->TabIndex().DraftSpeeds);
    const QString file = install->Folder() + QStringLiteral("speeds.csv");
    seam.SaveAnswers.push_back(file);
    w->pmiExportClick(w->pmiCsvExport);
    ASSERT_EQ(seam.Messages.size(), 1u);
    EXPECT_EQ(seam.Messages[0].Text, Msg(*w, "CSVExport.ExportSuccessful"));
    const QByteArray bytes = ReadFile(file);
    const QList<QByteArray> lines = bytes.split('\n');
    ASSERT_EQ(lines.size(), w->gDraftV->RowCount() + 1);  // the last line end leaves an empty piece
    EXPECT_TRUE(lines.last().isEmpty());
    QStringList header;
    for (int c = 0; c < 22; ++c) header << w->gDraftV->Cells(c, 0).replace(QLatin1Char('\r'), QLatin1Char(' '));
    EXPECT_EQ(QString::fromUtf8(lines[0]), header.join(QLatin1Char(';')) + QLatin1Char('\r'));
    EXPECT_TRUE(lines[1].startsWith(w->gDraftV->Cells(0, 1).toUtf8() + ';' + w->gDraftV->Cells(1, 1).toUtf8() + ';'));
    EXPECT_TRUE(w->tabs->isEnabled());
    EXPECT_TRUE(w->btExport__Draft->isVisible());
    EXPECT_FALSE(w->pbDraftV->isVisible());

    // Cancelling the dialog writes nothing; another tab ignores the command.
    seam.Messages.clear();
    w->pmiExportClick(w->pmiCsvExport);
    EXPECT_TRUE(seam.Messages.empty());
    w->SelectTab(w->TabIndex().View3DF);
    seam.SaveAnswers.push_back(install->Folder() + QStringLiteral("never.csv"));
    w->pmiExportClick(w->pmiCsvExport);
    EXPECT_TRUE(seam.Messages.empty());
    EXPECT_FALSE(QFileInfo::exists(install->Folder() + QStringLiteral("never.csv")));
}

TEST_F(GuiWorkflow, CsvExportThatCannotWriteLeavesTheOldFileAlone) {
    Calculate();
    w->SelectTab(w->TabIndex().PivotGrid);
    // A target inside a "folder" that is a file cannot be created.
    const QString notAFolder = install->Folder() + QStringLiteral("plain");
    WriteFile(notAFolder, "keep");
    seam.SaveAnswers.push_back(notAFolder + QStringLiteral("/pivot.csv"));
    w->pmiExportClick(w->pmiCsvExport);
    ASSERT_EQ(seam.Messages.size(), 1u);
    EXPECT_EQ(seam.Messages[0].Text, Msg(*w, "CSVExport.ErrorNoFileCreate"));
    EXPECT_EQ(ReadFile(notAFolder), QByteArray("keep"));
    EXPECT_TRUE(w->tabs->isEnabled());

    // A read-only folder with an earlier export in it.
    const QString folder = install->Folder() + QStringLiteral("locked/");
    QDir().mkpath(folder);
    WriteFile(folder + QStringLiteral("pivot.csv"), "old contents");
    QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    QFile probe(folder + QStringLiteral("probe"));
    if (probe.open(QIODevice::WriteOnly)) {  // running with rights that ignore the mode
        probe.close();
        probe.remove();
        QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        GTEST_SKIP() << "file modes are not enforced for this user";
    }
    seam.Messages.clear();
    seam.SaveAnswers.push_back(folder + QStringLiteral("pivot.csv"));
    w->pmiExportClick(w->pmiCsvExport);
    QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    ASSERT_EQ(seam.Messages.size(), 1u);
    EXPECT_NE(seam.Messages[0].Text, Msg(*w, "CSVExport.ExportSuccessful"));
    EXPECT_EQ(ReadFile(folder + QStringLiteral("pivot.csv")), QByteArray("old contents"));
}

TEST_F(GuiWorkflow, WorkbookExportHandsANewWorkbookToTheDesktop) {
    Calculate();
    w->SelectTab(w->TabIndex().SourceGrid);
    w->pmiExportClick(w->pmiExcelExport);
    ASSERT_EQ(seam.OpenedDocuments.size(), 1u);
    ASSERT_EQ(seam.Messages.size(), 1u);
    EXPECT_EQ(seam.Messages[0].Text, Msg(*w, "XLExport.ExportSuccessful"));
    TExcel book(seam.OpenedDocuments[0]);
    ASSERT_EQ(book.LastError(), 0);
    EXPECT_EQ(book.SheetName(0), Msg(*w, "XLExport.SheetNameSourceData").left(31));
    EXPECT_EQ(book.GetCell(1, 1), w->gSourceData->Cells(0, 0).replace(QLatin1Char('\r'), QLatin1Char(' ')));
    EXPECT_EQ(book.GetCell(3, 2), w->gSourceData->Cells(1, 2));
    EXPECT_EQ(book.GetCell(w->gSourceData->RowCount(), 1), w->gSourceData->Cells(0, w->gSourceData->RowCount() - 1));

    // The desktop cannot open it: the global error message.
    seam.Messages.clear();
    seam.OpenDocumentResult = false;
    w->pmiExportClick(w->pmiExcelExport);
    ASSERT_EQ(seam.Messages.size(), 1u);
    EXPECT_EQ(seam.Messages[0].Text, Msg(*w, "XLExport.GlobalExcelError"));
}

TEST_F(GuiWorkflow, SwitchingTheLanguageRewritesHeadersCaptionsCausesAndVerdicts) {
    Calculate();
    tRoadModel& m = w->Model();
    int profile = -1;
    for (int i = 0; i < m.Plan.Count() && profile < 0; ++i)
        if (m.Plan.Profiles[i].Cause[0] != 0) profile = i;
    ASSERT_GE(profile, 0);
    int seg = -1;
    for (int j = 1; j < m.Pivot.Count() && seg < 0; ++j)
        if (m.Pivot.Rows[j].ResumeFwd != 0) seg = j;
    const QString englishHeader = w->gDraftV->Cells(3, 0);
    const QString englishCause = w->gDraftV->Cells(17, profile + 1);
    const QString englishTab = w->Tabs()->tabText(w->TabIndex().PivotGrid);
    w->_x_cbLangSelect->setCurrentIndex(w->_x_cbLangSelect->findText(QStringLiteral("RUSSIAN")));
    EXPECT_EQ(w->LanguageCode(), QStringLiteral("RU"));
    EXPECT_EQ(w->edLang->text(), QStringLiteral("RUSSIAN"));
    EXPECT_EQ(w->gDraftV->Cells(3, 0), GridText(*w, "gDraftV.cgvFreeV").replace(QStringLiteral("\r\n"), QStringLiteral("\r")));
    EXPECT_NE(w->gDraftV->Cells(3, 0), englishHeader);
    EXPECT_EQ(w->gDraftV->Cells(17, profile + 1), GridText(*w, CauseKey(m.Plan.Profiles[profile].Cause[0]).toLatin1().constData()));
    EXPECT_NE(w->gDraftV->Cells(17, profile + 1), englishCause);
    EXPECT_EQ(w->Tabs()->tabText(w->TabIndex().PivotGrid),
              w->Engine().GetSectionText(QStringLiteral("MainForm.TabControls"), QStringLiteral("tabs.tabPivotGrid")));
    EXPECT_NE(w->Tabs()->tabText(w->TabIndex().PivotGrid), englishTab);
    if (seg >= 0) {
        const char* key = m.Pivot.Rows[seg].ResumeFwd > 0 ? "gPivotData.Value.Safe" : "gPivotData.Value.NotSafe";
        EXPECT_EQ(w->gPivotData->Cells(8, seg + 1), GridText(*w, key));
    }
    EXPECT_EQ(w->btStartCalc->text(), w->Engine().GetSectionText(QStringLiteral("MainForm.Buttons"), QStringLiteral("btStartCalc")));
}

TEST_F(GuiWorkflow, OpenDialogWritesTheChosenNameWithoutQuotes) {
    seam.OpenAnswers.push_back(install->Folder() + QStringLiteral("examples/other.csv"));
    w->_x_btOpenDialMainClick(w->_x_btOpenDialCross);
    EXPECT_EQ(QDir::fromNativeSeparators(w->edOpenCrossXL->text()), install->Folder() + QStringLiteral("examples/other.csv"));
    const QString before = w->edOpenXL->text();
    w->_x_btOpenDialMainClick(w->_x_btOpenDialMain);  // cancelled
    EXPECT_EQ(w->edOpenXL->text(), before);
    w->rbSecondSheet__Green->setChecked(true);
    w->rbSelectGreenSource();
    EXPECT_FALSE(w->edOpenGreenXL->isVisibleTo(w->gbLoadVegetationBuildings));
    w->rbSeparateFile__Green->setChecked(true);
    w->rbSelectGreenSource();
    EXPECT_TRUE(w->edOpenGreenXL->isVisibleTo(w->gbLoadVegetationBuildings));
}

}  // namespace
}  // namespace kestrova::test
