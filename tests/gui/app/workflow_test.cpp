// Loading the example tables through the load buttons, the calculation and
// its tabs, the grids (texts, painting, row synchronisation), search,
// export and switching the language afterwards.
#include "gui_fixture.h"

#include "gui/app/busy_lock.h"
#include "core/calc/grid_texts.h"
#include "core/export/km_search.h"
#include "core/model/road_text.h"
#include "core/import/excel_tables.h"
#include "gui/views/image_view.h"
#include "gui/views/string_grid.h"

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
#include <QStyle>
#include <QStyleFactory>
#include <QTabBar>
#include <QTest>
#include <QTimer>

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
        ChooseEnglish(*install);
        window = std::make_unique<TStartedWindow>(*install, seam);
        w = window->Form.get();
    }
    void TearDown() override { window.reset(); }

    void LoadAll() {
        w->LoadPage()->btLoadData__MainClick();
        ASSERT_TRUE(seam.Messages.empty()) << seam.LastText().toStdString();
        w->LoadPage()->btLoadData__GreenClick();
        ASSERT_TRUE(seam.Messages.empty()) << seam.LastText().toStdString();
        w->LoadPage()->btLoadData__CrossClick();
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
    EXPECT_FALSE(w->LoadPage()->Ui().gbLoadCrossRoads->isVisible());
    EXPECT_FALSE(w->LoadPage()->Ui().gbStartCalc->isVisible());
    w->LoadPage()->btLoadData__MainClick();
    ASSERT_TRUE(seam.Messages.empty()) << seam.LastText().toStdString();
    const int n = w->Model().Plan.Count();
    EXPECT_EQ(n, static_cast<int>(SmallRoad().Road.Rows.size()));
    EXPECT_FALSE(w->LoadPage()->Ui().gbLoadRoadData->isEnabled());
    EXPECT_FALSE(w->LoadPage()->Ui().btLoadData__Main->isVisible());
    EXPECT_FALSE(w->LoadPage()->Ui().pbMain->isVisible());
    w->Engine().SetPlaceholder(QStringLiteral("%RecordsCount%"), QString::number(n));
    EXPECT_EQ(w->LoadPage()->Ui()._x_lbMainCount->text(), Msg(*w, "LoadData.RowsLoaded"));
    EXPECT_TRUE(w->LoadPage()->Ui().gbLoadCrossRoads->isVisible());
    EXPECT_TRUE(w->LoadPage()->Ui().gbLoadVegetationBuildings->isVisible());
    EXPECT_TRUE(w->LoadPage()->Ui().gbStartCalc->isVisible());
    // A CSV road has no further sheets.
    EXPECT_FALSE(w->LoadPage()->Ui().rbSecondSheet__Cross->isEnabled());
    EXPECT_FALSE(w->LoadPage()->Ui().rbThirdSheet__Green->isEnabled());
    EXPECT_TRUE(w->LoadPage()->Ui().rbSeparateFile__Cross->isChecked());
    EXPECT_TRUE(w->LoadPage()->Ui().edOpenCrossXL->isVisible());

    w->LoadPage()->btLoadData__CrossClick();
    ASSERT_TRUE(seam.Messages.empty()) << seam.LastText().toStdString();
    EXPECT_GT(w->Model().CrossRoads.Count(), 0);
    EXPECT_FALSE(w->LoadPage()->Ui().gbLoadCrossRoads->isEnabled());
    EXPECT_TRUE(w->LoadPage()->Ui().gbLoadVegetationBuildings->isVisible());
    EXPECT_TRUE(w->LoadPage()->Ui().gbStartCalc->isVisible());
    w->LoadPage()->btLoadData__GreenClick();
    ASSERT_TRUE(seam.Messages.empty()) << seam.LastText().toStdString();
    EXPECT_GT(w->Model().Greens.Count(), 0);
    EXPECT_FALSE(w->LoadPage()->Ui().gbLoadVegetationBuildings->isEnabled());
    w->Engine().SetPlaceholder(QStringLiteral("%RecordsCount%"), QString::number(w->Model().Greens.Count()));
    EXPECT_EQ(w->LoadPage()->Ui()._x_lbGreenCount->text(), Msg(*w, "LoadData.VegetablesBuildingsLoaded"));
}

TEST_F(GuiWorkflow, AFailedImportLeavesTheWindowReadyForAnotherTry) {
    const QString good = w->LoadPage()->Ui().edOpenXL->text();
    w->LoadPage()->Ui().edOpenXL->setText(install->Folder() + QStringLiteral("missing.csv"));
    w->LoadPage()->btLoadData__MainClick();
    ASSERT_EQ(seam.Messages.size(), 1u);
    w->Engine().SetPlaceholder(QStringLiteral("%FileName%"), install->Folder() + QStringLiteral("missing.csv"));
    EXPECT_EQ(seam.Messages[0].Text, Msg(*w, "LoadData.FileNotFound"));
    EXPECT_TRUE(w->LoadPage()->Ui().edOpenXL->isEnabled());
    EXPECT_TRUE(w->LoadPage()->Ui().btLoadData__Main->isEnabled());
    EXPECT_FALSE(w->LoadPage()->Ui().pbMain->isVisible());
    EXPECT_FALSE(w->LoadPage()->Ui()._x_lbMainCount->isVisible());
    EXPECT_FALSE(w->LoadPage()->Ui().gbStartCalc->isVisible());

    // A truncated table names its problem, and the window still takes the good one.
    const QString broken = install->Folder() + QStringLiteral("broken.csv");
    QByteArray bytes = ReadFile(good);
    WriteFile(broken, bytes.left(bytes.indexOf('\n', bytes.indexOf('\n') + 1) + 1));
    w->LoadPage()->Ui().edOpenXL->setText(broken);
    w->LoadPage()->btLoadData__MainClick();
    ASSERT_EQ(seam.Messages.size(), 2u);
    EXPECT_TRUE(w->LoadPage()->Ui().btLoadData__Main->isEnabled());
    w->LoadPage()->Ui().edOpenXL->setText(good);
    w->LoadPage()->btLoadData__MainClick();
    EXPECT_EQ(seam.Messages.size(), 2u);
    EXPECT_FALSE(w->LoadPage()->Ui().gbLoadRoadData->isEnabled());
}

TEST_F(GuiWorkflow, CrossroadsFileEqualToTheRoadFileIsRefused) {
    w->LoadPage()->btLoadData__MainClick();
    w->LoadPage()->Ui().edOpenCrossXL->setText(QStringLiteral("  ") + w->LoadPage()->Ui().edOpenXL->text().toLower() + QStringLiteral(" "));
    w->LoadPage()->btLoadData__CrossClick();
    ASSERT_EQ(seam.Messages.size(), 1u);
    EXPECT_EQ(seam.Messages[0].Text, Msg(*w, "LoadData.SomeFileSelected"));
    EXPECT_TRUE(w->LoadPage()->Ui().btLoadData__Cross->isEnabled());
    EXPECT_TRUE(w->LoadPage()->Ui().gbLoadCrossRoads->isEnabled());
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
    EXPECT_TRUE(w->GridPage(tGridId::DraftV)->isVisible());
    EXPECT_FALSE(w->LoadPage()->Ui().btStartCalc->isEnabled());
    EXPECT_FALSE(w->LoadPage()->Ui().pbCalc->isVisible());
    const QStringList log = w->LoadPage()->Ui()._x_mCalcLog->toPlainText().split(QLatin1Char('\n'));
    ASSERT_GE(log.size(), 3);
    EXPECT_EQ(log.last(), Msg(*w, "CalcLog.AllCalculationsComplete"));
    EXPECT_EQ(log[log.size() - 2], QString(45, QLatin1Char('_')));
    EXPECT_EQ(log.first(), Msg(*w, "CalcLog.ParseVegetablesBuildings"));
}

TEST_F(GuiWorkflow, WithoutCrossroadsAndVegetationEightTabsAndTheGroupsHide) {
    w->LoadPage()->btLoadData__MainClick();
    w->btStartCalcClick();
    EXPECT_EQ(w->Tabs()->count(), 9);  // the road overview follows the cross-profile view
    EXPECT_EQ(w->TabIndex().CRoads, -1);
    EXPECT_EQ(w->TabIndex().Overview, 8);
    EXPECT_FALSE(w->LoadPage()->Ui().gbLoadCrossRoads->isVisibleTo(w->LoadPage()));
    EXPECT_FALSE(w->LoadPage()->Ui().gbLoadVegetationBuildings->isVisibleTo(w->LoadPage()));
    EXPECT_TRUE(w->LoadPage()->Ui().gbStartCalc->isVisibleTo(w->LoadPage()));
    const QString log = w->LoadPage()->Ui()._x_mCalcLog->toPlainText();
    EXPECT_TRUE(log.contains(Msg(*w, "CalcLog.NoVegetablesBuildings")));
    EXPECT_TRUE(log.contains(Msg(*w, "CalcLog.NoCrossRoadsList")));
}

TEST_F(GuiWorkflow, GridsShowTheTextLayerWithTranslatedHeaders) {
    Calculate();
    const tRoadModel& m = w->Model();
    const int n = m.Plan.Count();
    ASSERT_EQ(w->GridPage(tGridId::DraftV)->Ui().Grid->RowCount(), n + 1);
    ASSERT_EQ(w->GridPage(tGridId::SourceData)->Ui().Grid->RowCount(), n + 1);
    ASSERT_EQ(w->ViewPage()->Ui().gProfilesList->RowCount(), n + 1);
    ASSERT_EQ(w->GridPage(tGridId::PivotData)->Ui().Grid->RowCount(), m.Pivot.Count() + 1);
    EXPECT_EQ(w->GridPage(tGridId::DraftV)->Ui().Grid->FixedCols(), 3);
    EXPECT_EQ(w->GridPage(tGridId::PivotData)->Ui().Grid->FixedCols(), 4);
    EXPECT_EQ(w->GridPage(tGridId::DraftV)->Ui().Grid->Cells(3, 0), GridText(*w, "gDraftV.cgvFreeV"));
    EXPECT_EQ(w->GridPage(tGridId::SourceData)->Ui().Grid->Cells(1, 0), GridText(*w, "gSourceData.csdPosition"));
    EXPECT_EQ(w->GridPage(tGridId::PivotData)->Ui().Grid->Cells(8, 0), GridText(*w, "gPivotData.ResumeFwd"));
    const tPlanProfile& p = m.Plan.Profiles[5];
    EXPECT_EQ(w->GridPage(tGridId::DraftV)->Ui().Grid->Cells(0, 6), QString::number(p.RecordNumber));
    EXPECT_EQ(w->GridPage(tGridId::DraftV)->Ui().Grid->Cells(1, 6), FormatKmPlus(true, p.Position));
    EXPECT_EQ(w->GridPage(tGridId::DraftV)->Ui().Grid->Cells(16, 6), QString::number(p.MinV[0]));
    EXPECT_TRUE(w->GridPage(tGridId::DraftV)->Ui().Grid->Cells(18, 1).isEmpty());  // no forward rate on the first profile
    EXPECT_TRUE(w->GridPage(tGridId::DraftV)->Ui().Grid->Cells(21, n).isEmpty());  // no reverse rate on the last
    const QString cause = p.Cause[0] == 0 ? QString() : GridText(*w, CauseKey(p.Cause[0]).toLatin1().constData());
    EXPECT_EQ(w->GridPage(tGridId::DraftV)->Ui().Grid->Cells(17, 6), cause);
    EXPECT_TRUE(w->GridPage(tGridId::PivotData)->Ui().Grid->Cells(8, 1).isEmpty());
    EXPECT_TRUE(w->GridPage(tGridId::PivotData)->Ui().Grid->Cells(13, m.Pivot.Count()).isEmpty());
    EXPECT_EQ(w->ViewPage()->Ui().gProfilesList->Cells(1, 6), w->GridPage(tGridId::DraftV)->Ui().Grid->Cells(1, 6));
    for (int c = 2; c < 6; ++c) EXPECT_EQ(w->ViewPage()->Ui().gProfilesList->ColWidth(c), -1);
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
    EXPECT_EQ(CellColour(w->GridPage(tGridId::DraftV)->Ui().Grid, fwdCol, profile + 1, QPoint(2, 2)), QColor(160, 255, 160));
    EXPECT_EQ(CellColour(w->GridPage(tGridId::DraftV)->Ui().Grid, revCol, profile + 1, QPoint(2, 2)), QColor(144, 196, 255));
    // On the current row the fill is inset so the highlight frame stays visible.
    w->GridPage(tGridId::DraftV)->Ui().Grid->SetRow(profile + 1);
    EXPECT_EQ(CellColour(w->GridPage(tGridId::DraftV)->Ui().Grid, fwdCol, profile + 1, QPoint(1, 1)), w->GridPage(tGridId::DraftV)->Ui().Grid->palette().color(QPalette::Highlight));
    EXPECT_EQ(CellColour(w->GridPage(tGridId::DraftV)->Ui().Grid, fwdCol, profile + 1, QPoint(3, 3)), QColor(160, 255, 160));

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
    w->GridPage(tGridId::PivotData)->Ui().Grid->SetRow(seg == 1 ? 2 : 1);
    EXPECT_EQ(w->GridPage(tGridId::PivotData)->Ui().Grid->Cells(8, seg + 1), GridText(*w, "gPivotData.Value.NotSafe"));
    EXPECT_EQ(CellColour(w->GridPage(tGridId::PivotData)->Ui().Grid, 8, seg + 1, QPoint(2, 2)), QColor(255, 111, 111));
    w->GridPage(tGridId::PivotData)->Ui().Grid->SetRow(seg + 1);
    EXPECT_EQ(CellColour(w->GridPage(tGridId::PivotData)->Ui().Grid, 8, seg + 1, QPoint(2, 2)), w->GridPage(tGridId::PivotData)->Ui().Grid->palette().color(QPalette::Highlight));
}

TEST_F(GuiWorkflow, FixedColumnsStayInViewWhenTheGridScrollsSideways) {
    Calculate();
    TStringGrid* g = w->GridPage(tGridId::DraftV)->Ui().Grid;
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
    w->GridPage(tGridId::DraftV)->Ui().Grid->SetRow(second.FirstIndex + 1);
    w->gridClick(w->GridPage(tGridId::DraftV)->Ui().Grid);
    EXPECT_EQ(w->GridPage(tGridId::PivotData)->Ui().Grid->Row(), 2);
    EXPECT_EQ(w->GridPage(tGridId::SourceData)->Ui().Grid->Row(), second.FirstIndex + 1);
    EXPECT_EQ(w->ViewPage()->Ui().gProfilesList->Row(), second.FirstIndex + 1);
    w->GridPage(tGridId::PivotData)->Ui().Grid->SetRow(1);
    w->gridClick(w->GridPage(tGridId::PivotData)->Ui().Grid);
    EXPECT_EQ(w->GridPage(tGridId::DraftV)->Ui().Grid->Row(), pivot.Rows[0].FirstIndex + 1);
    // The last profile of the road selects the last segment.
    w->GridPage(tGridId::SourceData)->Ui().Grid->SetRow(w->Model().Plan.Count());
    w->gridClick(w->GridPage(tGridId::SourceData)->Ui().Grid);
    EXPECT_EQ(w->GridPage(tGridId::PivotData)->Ui().Grid->Row(), pivot.Count());
}

TEST_F(GuiWorkflow, TabSwitchesFitTheGridsAndResetTheSearch) {
    Calculate();
    w->GridPage(tGridId::SourceData)->Ui().Search->setText(QStringLiteral("   1+200,00"));
    w->SelectTab(w->TabIndex().SourceGrid);
    EXPECT_TRUE(w->GridPage(tGridId::SourceData)->isVisible());
    EXPECT_EQ(w->GridPage(tGridId::SourceData)->Ui().Search->displayText(), kEmptyKmPlusText);
    EXPECT_FALSE(w->GridPage(tGridId::SourceData)->Ui().Find->isEnabled());
    const QFontMetrics bold([&] { QFont f = w->GridPage(tGridId::SourceData)->Ui().Grid->font(); f.setBold(true); return f; }());
    EXPECT_GE(w->GridPage(tGridId::SourceData)->Ui().Grid->ColWidth(1), bold.horizontalAdvance(w->GridPage(tGridId::SourceData)->Ui().Grid->Cells(1, 0).split(QLatin1Char('\r')).first()) + 8);
    EXPECT_GE(w->GridPage(tGridId::SourceData)->Ui().Grid->ColWidth(5), 64);
    // The view tabs keep the first row's texts of the profile list.
    const QString first = w->ViewPage()->Ui().gProfilesList->Cells(1, 1);
    w->SelectTab(w->TabIndex().View3DF);
    EXPECT_TRUE(w->ViewPage()->isVisible());
    EXPECT_TRUE(w->ViewPage()->Ui().pan3Dtools->isVisible());
    EXPECT_FALSE(w->ViewPage()->Ui().panCProfileTools->isVisible());
    EXPECT_EQ(w->ViewPage()->Ui().gProfilesList->Cells(1, 1), first);
    EXPECT_FALSE(w->ViewPage()->Ui().Im3d->Picture().isNull());
    w->SelectTab(w->TabIndex().CProfile);
    EXPECT_TRUE(w->ViewPage()->Ui().panCProfileTools->isVisible());
    EXPECT_FALSE(w->ViewPage()->Ui().pan3Dtools->isVisible());
    EXPECT_EQ(w->ViewPage()->Ui().gProfilesList->y(), w->ViewPage()->Ui().panCProfileTools->height() + 8);
    w->SelectTab(w->TabIndex().CRoads);
    EXPECT_TRUE(w->CrossRoadsPage()->isVisible());
    EXPECT_GT(w->CrossRoadsPage()->Ui().gCRoadsList->RowCount(), 1);
}

TEST_F(GuiWorkflow, HiddenCrossroadDirectionsShowTheWarningBackground) {
    Calculate();
    w->SelectTab(w->TabIndex().CRoads);
    const QColor warning(255, 111, 111);
    // The colour at the button's right end, away from its circle and its text.
    const auto background = [](QRadioButton* button) {
        const QImage image = button->grab().toImage();
        return image.pixelColor(image.width() - 3, image.height() / 2);
    };
    for (const char* style : {"Fusion", "Windows"}) {
        std::unique_ptr<QStyle> own(QStyleFactory::create(QString::fromLatin1(style)));
        ASSERT_TRUE(own) << style;
        for (QRadioButton* b : {w->CrossRoadsPage()->Ui().rbCRoadFwd, w->CrossRoadsPage()->Ui().rbCRoadRev}) b->setStyle(own.get());
        int checked = 0, warned = 0;
        for (int row = 1; row < w->CrossRoadsPage()->Ui().gCRoadsList->RowCount(); ++row) {
            bool ok = false;
            const int c = w->CrossRoadsPage()->Ui().gCRoadsList->Cells(3, row).toInt(&ok);
            if (!ok || w->Model().CrossRoads.Roads[size_t(c)].Skip) continue;
            w->CrossRoadsPage()->Ui().gCRoadsList->SetRow(row);
            w->CrossRoadsPage()->gCRoadsListClick();
            const tCrossRoadRec& road = w->Model().CrossRoads.Roads[size_t(c)];
            for (auto [button, dir] : {std::pair{w->CrossRoadsPage()->Ui().rbCRoadFwd, 0}, std::pair{w->CrossRoadsPage()->Ui().rbCRoadRev, 1}}) {
                const bool painted = background(button) == warning;
                EXPECT_EQ(painted, road.NotVisible[dir] != 0) << style << " " << road.Name.toStdString() << " direction " << dir;
                warned += painted ? 1 : 0;
            }
            ++checked;
        }
        EXPECT_GT(checked, 1);
        EXPECT_GT(warned, 0) << style;
        for (QRadioButton* b : {w->CrossRoadsPage()->Ui().rbCRoadFwd, w->CrossRoadsPage()->Ui().rbCRoadRev}) b->setStyle(nullptr);
    }
}

TEST_F(GuiWorkflow, ASkippedCrossroadMovesNothingOnThePage) {
    Calculate();
    w->SelectTab(w->TabIndex().CRoads);
    int skipRow = -1, shownRow = -1;
    for (int row = 1; row < w->CrossRoadsPage()->Ui().gCRoadsList->RowCount(); ++row)
        (w->CrossRoadsPage()->Ui().gCRoadsList->Cells(2, row) == QLatin1String("SKIP") ? skipRow : shownRow) = row;
    ASSERT_GT(skipRow, 0);
    ASSERT_GT(shownRow, 0);
    const QList<QWidget*> steady = {w->CrossRoadsPage()->Ui().gbCRoadList, w->CrossRoadsPage()->Ui().gCRoadsList, w->CrossRoadsPage()->Ui().rbCRoadFwd, w->CrossRoadsPage()->Ui().rbCRoadRev};
    const auto places = [&] {
        Pump(30);
        QList<QRect> out;
        for (QWidget* c : steady) out << QRect(c->mapTo(w, QPoint(0, 0)), c->size());
        return out;
    };
    w->CrossRoadsPage()->Ui().gCRoadsList->SetRow(shownRow);
    w->CrossRoadsPage()->gCRoadsListClick();
    const QList<QRect> before = places();
    EXPECT_TRUE(w->CrossRoadsPage()->Ui().gbCRoadsPProfiles->isVisible());
    w->CrossRoadsPage()->Ui().gCRoadsList->SetRow(skipRow);
    w->CrossRoadsPage()->gCRoadsListClick();
    EXPECT_FALSE(w->CrossRoadsPage()->Ui().gbCRoadsPProfiles->isVisible());
    EXPECT_FALSE(w->CrossRoadsPage()->Ui().imCRoads->isVisible());
    EXPECT_FALSE(w->CrossRoadsPage()->Ui().rbCRoadFwd->isEnabled());
    EXPECT_EQ(places(), before);
    w->CrossRoadsPage()->Ui().gCRoadsList->SetRow(shownRow);
    w->CrossRoadsPage()->gCRoadsListClick();
    EXPECT_EQ(places(), before);
}

TEST_F(GuiWorkflow, KmSearchSelectsTheNearestProfileAndItsSegment) {
    Calculate();
    const TMPlan& plan = w->Model().Plan;
    const tPlanProfile& target = plan.Profiles[plan.Count() / 2];
    w->SelectTab(w->TabIndex().DraftSpeeds);
    const QString text = FormatKmPlus(true, target.Position + 1.0).rightJustified(11, QLatin1Char(' '));
    w->GridPage(tGridId::DraftV)->Ui().Search->setText(text);
    w->GridPage(tGridId::DraftV)->Ui().Search->setCursorPosition(8);
    w->GridPage(tGridId::DraftV)->edSearchKmpChange();
    ASSERT_TRUE(w->GridPage(tGridId::DraftV)->Ui().Find->isEnabled()) << w->GridPage(tGridId::DraftV)->Ui().Search->displayText().toStdString();
    w->GridPage(tGridId::DraftV)->btSearhKmpClick();
    EXPECT_EQ(w->GridPage(tGridId::DraftV)->Ui().Grid->Row(), plan.Count() / 2 + 1);
    EXPECT_EQ(w->GridPage(tGridId::DraftV)->Ui().Search->displayText(), kEmptyKmPlusText);
    EXPECT_FALSE(w->GridPage(tGridId::DraftV)->Ui().Find->isEnabled());

    // Beyond the end of the road: the last profile; in the pivot grid its segment.
    w->SelectTab(w->TabIndex().PivotGrid);
    w->GridPage(tGridId::PivotData)->Ui().Search->setText(QStringLiteral("9999+999,99"));
    w->GridPage(tGridId::PivotData)->edSearchKmpChange();
    w->GridPage(tGridId::PivotData)->btSearhKmpClick();
    EXPECT_EQ(w->GridPage(tGridId::PivotData)->Ui().Grid->Row(), PivotRowOfProfile(w->Model().Pivot, plan.Count() - 1) + 1);

    // A kilometre field left empty becomes zero once the caret passes it.
    w->SelectTab(w->TabIndex().SourceGrid);
    w->GridPage(tGridId::SourceData)->Ui().Search->setFocus();
    w->GridPage(tGridId::SourceData)->Ui().Search->setCursorPosition(5);
    QTest::keyClicks(w->GridPage(tGridId::SourceData)->Ui().Search, QStringLiteral("250"));
    EXPECT_EQ(w->GridPage(tGridId::SourceData)->Ui().Search->displayText().left(5), QStringLiteral("   0+"));
    EXPECT_TRUE(w->GridPage(tGridId::SourceData)->Ui().Find->isEnabled()) << w->GridPage(tGridId::SourceData)->Ui().Search->displayText().toStdString();
}

TEST_F(GuiWorkflow, KmSearchBoxKeepsWhatIsTyped) {
    Calculate();
    w->SelectTab(w->TabIndex().SourceGrid);
    QLineEdit* edit = w->GridPage(tGridId::SourceData)->Ui().Search;
    struct tStroke {
        int Caret;
        const char* Keys;
    };
    struct tCase {
        std::vector<tStroke> Strokes;
        const char* Shown;
        bool Find;
    };
    const tCase cases[] = {
        {{{5, "345"}}, "   0+345,  ", true},            // metres typed first into the empty box
        {{{6, "345"}}, "   0+ 34,5 ", true},            // typed from the second metre place on
        {{{7, "3"}}, "   0+  3,  ", true},
        {{{5, "3"}}, "   0+3  ,  ", false},             // metres incomplete
        {{{0, "1"}, {5, "3"}}, "   1+3  ,  ", false},   // trailing blanks: incomplete
        {{{0, "12"}, {5, "345"}, {9, "6"}}, "  12+345,6 ", true},
        {{{5, "007"}, {9, "25"}}, "   0+007,25", true},
    };
    for (const tCase& c : cases) {
        w->SelectTab(w->TabIndex().SourceGrid);  // empties the box
        ASSERT_EQ(edit->displayText(), kEmptyKmPlusText);
        edit->setFocus();
        for (const tStroke& s : c.Strokes) {
            edit->setCursorPosition(s.Caret);
            QTest::keyClicks(edit, QString::fromLatin1(s.Keys));
        }
        EXPECT_EQ(edit->displayText(), QString::fromLatin1(c.Shown)) << c.Shown;
        EXPECT_EQ(w->GridPage(tGridId::SourceData)->Ui().Find->isEnabled(), c.Find) << c.Shown;
    }

    // A search moves the other grids and the profile list as a click does.
    const TMPlan& plan = w->Model().Plan;
    const int target = plan.Count() * 2 / 3;
    w->SelectTab(w->TabIndex().SourceGrid);
    edit->setText(FormatKmPlus(true, plan.Profiles[target].Position).rightJustified(11, QLatin1Char(' ')));
    w->GridPage(tGridId::SourceData)->btSearhKmpClick();
    ASSERT_EQ(w->GridPage(tGridId::SourceData)->Ui().Grid->Row(), target + 1);
    EXPECT_EQ(w->GridPage(tGridId::DraftV)->Ui().Grid->Row(), target + 1);
    EXPECT_EQ(w->ViewPage()->Ui().gProfilesList->Row(), target + 1);
    const int pivotRow = w->GridPage(tGridId::PivotData)->Ui().Grid->Row();
    w->GridPage(tGridId::PivotData)->Ui().Grid->SetRow(1);
    w->gridClick(w->GridPage(tGridId::SourceData)->Ui().Grid);
    EXPECT_EQ(pivotRow, w->GridPage(tGridId::PivotData)->Ui().Grid->Row());
    EXPECT_GT(pivotRow, 1);
}

TEST_F(GuiWorkflow, LongStepsDisableEveryControlThatCouldStartAnother) {
    const QString csv = install->Folder() + QStringLiteral("busy.csv");
    struct tStep {
        const char* Name;
        std::function<void()> Prepare;
        std::function<void()> Run;
        QStringList Disables;  // controls the step itself leaves disabled
    };
    const tStep steps[] = {
        {"road import", [] {}, [&] { w->LoadPage()->btLoadData__MainClick(); },
         {"edOpenXL", "_x_btOpenDialMain", "btLoadData__Main", "rbSecondSheet__Cross", "rbThirdSheet__Cross",
          "rbSecondSheet__Green", "rbThirdSheet__Green"}},
        {"crossroads import", [&] { w->LoadPage()->btLoadData__MainClick(); }, [&] { w->LoadPage()->btLoadData__CrossClick(); },
         {"edOpenCrossXL", "_x_btOpenDialCross", "btLoadData__Cross", "rbSeparateFile__Cross"}},
        {"calculation", [&] { LoadAll(); }, [&] { w->btStartCalcClick(); }, {"btStartCalc"}},
        {"CSV export", [&] { Calculate(); w->SelectTab(w->TabIndex().DraftSpeeds); seam.SaveAnswers.push_back(csv); },
         [&] { w->pmiExportClick(w->pmiCsvExport); }, {}},
        {"workbook export", [&] { Calculate(); w->SelectTab(w->TabIndex().PivotGrid); },
         [&] { w->pmiExportClick(w->pmiExcelExport); }, {}},
    };
    const auto explicitlyOff = [&] {
        QStringList off;
        for (QWidget* c : TBusyLock::LockableControls(w))
            if (c->testAttribute(Qt::WA_Disabled)) off << c->objectName();
        off.sort();
        return off;
    };
    for (const tStep& step : steps) {
        window.reset();
        window = std::make_unique<TStartedWindow>(*install, seam);
        w = window->Form.get();
        seam.Messages.clear();
        step.Prepare();
        seam.Messages.clear();
        QStringList offBefore = explicitlyOff();
        bool probed = false;
        QStringList enabledDuring;
        size_t answersDuring = 0;
        bool closedDuring = false;
        QTimer::singleShot(0, w, [&] {
            probed = true;
            for (QWidget* c : TBusyLock::LockableControls(w))
                if (c->isEnabled()) enabledDuring << c->objectName();
            // Clicks arriving meanwhile start nothing.
            seam.SaveAnswers.push_back(install->Folder() + QStringLiteral("second.csv"));
            w->LoadPage()->btLoadData__MainClick();
            w->LoadPage()->btLoadData__CrossClick();
            w->btStartCalcClick();
            w->pmiExportClick(w->pmiCsvExport);
            w->GridPage(tGridId::DraftV)->btSearhKmpClick();
            answersDuring = seam.SaveAnswers.size();
            closedDuring = !w->close();
        });
        step.Run();
        EXPECT_TRUE(probed) << step.Name;
        EXPECT_TRUE(enabledDuring.isEmpty()) << step.Name << ": " << enabledDuring.join(QLatin1Char(' ')).toStdString();
        EXPECT_EQ(answersDuring, 1u) << step.Name;
        EXPECT_TRUE(closedDuring) << step.Name << ": the window closed during the step";
        EXPECT_FALSE(w->Busy());
        EXPECT_FALSE(QFileInfo::exists(install->Folder() + QStringLiteral("second.csv"))) << step.Name;
        for (const tShownMessage& m : seam.Messages) EXPECT_EQ(m.Icon, tBoxIcon::None) << step.Name << m.Text.toStdString();
        // Afterwards only what the step itself turns off stays off.
        offBefore << step.Disables;
        offBefore.removeDuplicates();
        offBefore.sort();
        QStringList offAfter = explicitlyOff();
        EXPECT_EQ(offAfter.join(QLatin1Char(' ')).toStdString(), offBefore.join(QLatin1Char(' ')).toStdString()) << step.Name;
        EXPECT_TRUE(w->tabs->isEnabled()) << step.Name;
        EXPECT_TRUE(w->AboutPage()->Ui()._x_cbLangSelect->isEnabled()) << step.Name;
        seam.SaveAnswers.clear();
        for (const QString& f : seam.OpenedDocuments) QFile::remove(f);
        seam.OpenedDocuments.clear();
    }
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
    ASSERT_EQ(lines.size(), w->GridPage(tGridId::DraftV)->Ui().Grid->RowCount() + 1);  // the last line end leaves an empty piece
    EXPECT_TRUE(lines.last().isEmpty());
    QStringList header;
    for (int c = 0; c < 22; ++c) header << w->GridPage(tGridId::DraftV)->Ui().Grid->Cells(c, 0).replace(QLatin1Char('\r'), QLatin1Char(' '));
    EXPECT_EQ(QString::fromUtf8(lines[0]), header.join(QLatin1Char(';')) + QLatin1Char('\r'));
    EXPECT_TRUE(lines[1].startsWith(w->GridPage(tGridId::DraftV)->Ui().Grid->Cells(0, 1).toUtf8() + ';' + w->GridPage(tGridId::DraftV)->Ui().Grid->Cells(1, 1).toUtf8() + ';'));
    EXPECT_TRUE(w->tabs->isEnabled());
    EXPECT_TRUE(w->GridPage(tGridId::DraftV)->Ui().Export->isVisible());
    EXPECT_FALSE(w->GridPage(tGridId::DraftV)->Ui().Bar->isVisible());

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

    // A folder where the file is to go, with a file of the user's in it:
    // neither is touched, and nothing is left beside it.
    const QString folder = install->Folder() + QStringLiteral("pivot.csv");
    ASSERT_TRUE(QDir().mkpath(folder));
    WriteFile(folder + QStringLiteral("/old.csv"), "old contents");
    const QStringList before = QDir(install->Folder()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    seam.Messages.clear();
    seam.SaveAnswers.push_back(folder);
    w->pmiExportClick(w->pmiCsvExport);
    ASSERT_EQ(seam.Messages.size(), 1u);
    EXPECT_EQ(seam.Messages[0].Text, Msg(*w, "CSVExport.ErrorNoFileCreate"));
    EXPECT_TRUE(QFileInfo(folder).isDir());
    EXPECT_EQ(ReadFile(folder + QStringLiteral("/old.csv")), QByteArray("old contents"));
    EXPECT_EQ(QDir(install->Folder()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), before);
    EXPECT_TRUE(w->tabs->isEnabled());
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
    EXPECT_EQ(book.GetCell(1, 1), w->GridPage(tGridId::SourceData)->Ui().Grid->Cells(0, 0).replace(QLatin1Char('\r'), QLatin1Char(' ')));
    EXPECT_EQ(book.GetCell(3, 2), w->GridPage(tGridId::SourceData)->Ui().Grid->Cells(1, 2));
    EXPECT_EQ(book.GetCell(w->GridPage(tGridId::SourceData)->Ui().Grid->RowCount(), 1), w->GridPage(tGridId::SourceData)->Ui().Grid->Cells(0, w->GridPage(tGridId::SourceData)->Ui().Grid->RowCount() - 1));
    QFile::remove(seam.OpenedDocuments[0]);
}

TEST_F(GuiWorkflow, WorkbookExportWithoutASpreadsheetProgramOffersToSaveIt) {
    Calculate();
    w->SelectTab(w->TabIndex().PivotGrid);
    const QByteArray oldTemp = qgetenv("TMPDIR");
    const QString temp = install->Folder() + QStringLiteral("temp");
    const QString notAFolder = install->Folder() + QStringLiteral("plain");
    WriteFile(notAFolder, "keep");
    const auto section = [&](const char* key) {
        return w->Engine().GetSectionText(QStringLiteral("WorkbookExport"), QString::fromLatin1(key));
    };
    enum class tLeft { Nothing, WrittenFile };
    struct tCase {
        const char* Name;
        bool Opens;           // a spreadsheet program opens the workbook
        QString Target;       // the save dialog's answer (empty: cancelled)
        QString Message;      // the one message shown, empty for none
        tLeft InTemp;         // what stays in the temporary folder
    };
    const QString saved = install->Folder() + QStringLiteral("kept.xlsx");
    const QString blocked = notAFolder + QStringLiteral("/kept.xlsx");
    const tCase cases[] = {
        {"opened", true, {}, Msg(*w, "XLExport.ExportSuccessful"), tLeft::WrittenFile},
        {"saved", false, saved, QStringLiteral("Saved"), tLeft::Nothing},
        {"cancelled", false, {}, {}, tLeft::Nothing},
        {"save fails", false, blocked, QStringLiteral("NotSaved"), tLeft::WrittenFile},
    };
    for (const tCase& c : cases) {
        QDir(temp).removeRecursively();
        ASSERT_TRUE(QDir().mkpath(temp));
        qputenv("TMPDIR", QFile::encodeName(temp));
        seam.Messages.clear();
        seam.OpenedDocuments.clear();
        seam.OpenDocumentResult = c.Opens;
        seam.SaveAnswers.clear();
        if (!c.Opens) seam.SaveAnswers.push_back(c.Target);
        w->pmiExportClick(w->pmiExcelExport);
        const QStringList left = QDir(temp).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
        ASSERT_EQ(seam.OpenedDocuments.size(), 1u) << c.Name;
        const QString written = seam.OpenedDocuments[0];
        EXPECT_EQ(QFileInfo(written).absolutePath(), QFileInfo(temp).absoluteFilePath()) << c.Name;
        w->Engine().SetPlaceholder(QStringLiteral("%FileName%"), QDir::toNativeSeparators(c.Target));
        w->Engine().SetPlaceholder(QStringLiteral("%WrittenFile%"), QDir::toNativeSeparators(written));
        const QString expected = c.Message.isEmpty() || c.Opens ? c.Message : section(c.Message.toLatin1().constData());
        if (expected.isEmpty()) {
            EXPECT_TRUE(seam.Messages.empty()) << c.Name << ": " << seam.LastText().toStdString();
        } else {
            ASSERT_EQ(seam.Messages.size(), 1u) << c.Name;
            EXPECT_EQ(seam.Messages[0].Text, expected) << c.Name;
            EXPECT_NE(seam.Messages[0].Text, Msg(*w, "XLExport.GlobalExcelError")) << c.Name;
        }
        if (c.InTemp == tLeft::Nothing) {
            EXPECT_TRUE(left.isEmpty()) << c.Name << ": " << left.join(QLatin1Char(' ')).toStdString();
        } else {
            EXPECT_EQ(left, QStringList{QFileInfo(written).fileName()}) << c.Name;  // one file, no folder
        }
        if (c.Target == saved) {
            TExcel book(saved);
            ASSERT_EQ(book.LastError(), 0);
            EXPECT_EQ(book.GetCell(2, 2), w->GridPage(tGridId::PivotData)->Ui().Grid->Cells(1, 1));
            EXPECT_EQ(QDir(install->Folder()).entryList({QStringLiteral(".kept*")}, QDir::Files | QDir::Hidden), QStringList());
        }
    }
    EXPECT_EQ(ReadFile(notAFolder), QByteArray("keep"));

    // A workbook that cannot be written at all is the one error.
    qputenv("TMPDIR", QFile::encodeName(notAFolder));
    seam.Messages.clear();
    w->pmiExportClick(w->pmiExcelExport);
    ASSERT_EQ(seam.Messages.size(), 1u);
    EXPECT_EQ(seam.Messages[0].Text, Msg(*w, "XLExport.ExcelOpenError"));
    if (oldTemp.isNull())
        qunsetenv("TMPDIR");
    else
        qputenv("TMPDIR", oldTemp);
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
    const QString englishHeader = w->GridPage(tGridId::DraftV)->Ui().Grid->Cells(3, 0);
    const QString englishCause = w->GridPage(tGridId::DraftV)->Ui().Grid->Cells(17, profile + 1);
    const QString englishTab = w->Tabs()->tabText(w->TabIndex().PivotGrid);
    w->AboutPage()->Ui()._x_cbLangSelect->setCurrentIndex(w->AboutPage()->Ui()._x_cbLangSelect->findText(QStringLiteral("RUSSIAN")));
    EXPECT_EQ(w->LanguageCode(), QStringLiteral("RU"));
    EXPECT_EQ(w->AboutPage()->Ui().edLang->text(), QStringLiteral("RUSSIAN"));
    EXPECT_EQ(w->GridPage(tGridId::DraftV)->Ui().Grid->Cells(3, 0), GridText(*w, "gDraftV.cgvFreeV").replace(QStringLiteral("\r\n"), QStringLiteral("\r")));
    EXPECT_NE(w->GridPage(tGridId::DraftV)->Ui().Grid->Cells(3, 0), englishHeader);
    EXPECT_EQ(w->GridPage(tGridId::DraftV)->Ui().Grid->Cells(17, profile + 1), GridText(*w, CauseKey(m.Plan.Profiles[profile].Cause[0]).toLatin1().constData()));
    EXPECT_NE(w->GridPage(tGridId::DraftV)->Ui().Grid->Cells(17, profile + 1), englishCause);
    EXPECT_EQ(w->Tabs()->tabText(w->TabIndex().PivotGrid),
              w->Engine().GetSectionText(QStringLiteral("MainForm.TabControls"), QStringLiteral("tabs.tabPivotGrid")));
    EXPECT_NE(w->Tabs()->tabText(w->TabIndex().PivotGrid), englishTab);
    if (seg >= 0) {
        const char* key = m.Pivot.Rows[seg].ResumeFwd > 0 ? "gPivotData.Value.Safe" : "gPivotData.Value.NotSafe";
        EXPECT_EQ(w->GridPage(tGridId::PivotData)->Ui().Grid->Cells(8, seg + 1), GridText(*w, key));
    }
    EXPECT_EQ(w->LoadPage()->Ui().btStartCalc->text(), w->Engine().GetSectionText(QStringLiteral("MainForm.Buttons"), QStringLiteral("btStartCalc")));
}

TEST_F(GuiWorkflow, OpenDialogWritesTheChosenNameWithoutQuotes) {
    seam.OpenAnswers.push_back(install->Folder() + QStringLiteral("examples/other.csv"));
    w->LoadPage()->_x_btOpenDialMainClick(w->LoadPage()->Ui()._x_btOpenDialCross);
    EXPECT_EQ(QDir::fromNativeSeparators(w->LoadPage()->Ui().edOpenCrossXL->text()), install->Folder() + QStringLiteral("examples/other.csv"));
    const QString before = w->LoadPage()->Ui().edOpenXL->text();
    w->LoadPage()->_x_btOpenDialMainClick(w->LoadPage()->Ui()._x_btOpenDialMain);  // cancelled
    EXPECT_EQ(w->LoadPage()->Ui().edOpenXL->text(), before);
    w->LoadPage()->Ui().rbSecondSheet__Green->setChecked(true);
    w->LoadPage()->rbSelectGreenSource();
    EXPECT_FALSE(w->LoadPage()->Ui().edOpenGreenXL->isVisibleTo(w->LoadPage()->Ui().gbLoadVegetationBuildings));
    w->LoadPage()->Ui().rbSeparateFile__Green->setChecked(true);
    w->LoadPage()->rbSelectGreenSource();
    EXPECT_TRUE(w->LoadPage()->Ui().edOpenGreenXL->isVisibleTo(w->LoadPage()->Ui().gbLoadVegetationBuildings));
}

}  // namespace
}  // namespace kestrova::test
