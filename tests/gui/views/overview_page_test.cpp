// The road overview tab in the window: it follows the crossroads tab, a click
// on the diagram selects that profile in every grid and a selected row moves
// the cursor; the chosen factors, map colouring and split survive a restart;
// the texts follow the language; the pictures are saved as PNG and SVG.
#include "gui_fixture.h"

#include "gui/views/overview_page.h"
#include "gui/views/string_grid.h"

#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QSplitter>
#include <QTabBar>
#include <QTest>
#include <QToolButton>

namespace kestrova::test {
namespace {

class GuiOverview : public ::testing::Test {
protected:
    void SetUp() override {
        install = std::make_unique<TInstall>();
        ChooseEnglish(*install);
        Start();
    }
    void Start() {
        window = std::make_unique<TStartedWindow>(*install, seam);
        w = window->Form.get();
        w->resize(1200, 800);
    }
    void Calculate() {
        LoadAllAndCalculate(*w);
        seam.Messages.clear();
        ASSERT_GE(w->TabIndex().Overview, 0);
        w->SelectTab(w->TabIndex().Overview);
        Pump(50);
    }

    TRecordingSeam seam;
    std::unique_ptr<TInstall> install;
    std::unique_ptr<TStartedWindow> window;
    TMainForm* w = nullptr;
};

TEST_F(GuiOverview, ClickOnTheDiagramSelectsTheProfileInEveryGrid) {
    Calculate();
    EXPECT_EQ(w->TabIndex().Overview, w->TabIndex().CRoads + 1);
    EXPECT_EQ(w->Tabs()->tabText(w->TabIndex().Overview),
              w->Engine().GetSectionText(QStringLiteral("MainForm.TabControls"), QStringLiteral("tabs.tabOverview")));
    TOverviewPage* page = w->OverviewPage();
    ASSERT_TRUE(page->isVisible());
    TOverviewCanvas* canvas = page->DiagramCanvas();
    canvas->repaint();
    const tSpeedProfileLayout L = page->DiagramLayout();
    ASSERT_GT(L.Plot.width(), 100);
    const int target = w->Model().Plan.Count() * 2 / 3;
    const double m = w->Model().Plan.Profiles[size_t(target)].Position + 1;
    const QPoint at(int(std::floor(L.XOfKm(m))), L.Plot.center().y());
    const int expected = SpeedProfileProfileAt(w->Model(), L, at.x());
    ASSERT_NEAR(expected, target, 1);
    QTest::mouseClick(canvas, Qt::LeftButton, {}, at);
    EXPECT_EQ(w->GridPage(tGridId::DraftV)->Ui().Grid->Row(), expected + 1);
    EXPECT_EQ(w->GridPage(tGridId::SourceData)->Ui().Grid->Row(), expected + 1);
    EXPECT_EQ(w->ViewPage()->Ui().gProfilesList->Row(), expected + 1);
    EXPECT_EQ(page->CurrentProfile(), expected);
    // The cursor is drawn where the profile lies.
    const QImage shot = canvas->grab().toImage();
    const int cx = int(std::floor(L.XOfKm(w->Model().Plan.Profiles[size_t(expected)].Position)));
    EXPECT_EQ(shot.pixelColor(cx, L.Plot.top() + 3), kOverviewCursor);
    // A row chosen in a grid moves the cursor.
    w->GridPage(tGridId::DraftV)->Ui().Grid->SetRow(6);
    w->gridClick(w->GridPage(tGridId::DraftV)->Ui().Grid);
    EXPECT_EQ(page->CurrentProfile(), 5);
}

TEST_F(GuiOverview, WheelZoomsDragPansAndResetShowsTheWholeRoad) {
    Calculate();
    TOverviewPage* page = w->OverviewPage();
    TOverviewCanvas* canvas = page->DiagramCanvas();
    canvas->repaint();
    const QPoint mid = page->DiagramLayout().Plot.center();
    QWheelEvent wheel(mid, canvas->mapToGlobal(mid), {}, QPoint(0, 120 * 4), Qt::NoButton, {}, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(canvas, &wheel);
    const tKmRange zoomed = page->DiagramRange();
    ASSERT_FALSE(zoomed.IsWhole());
    canvas->repaint();
    QTest::mousePress(canvas, Qt::LeftButton, {}, mid);
    QTest::mouseMove(canvas, mid + QPoint(60, 0));
    QTest::mouseRelease(canvas, Qt::LeftButton, {}, mid + QPoint(60, 0));
    EXPECT_LT(page->DiagramRange().FromM, zoomed.FromM);  // dragged to the right: earlier km+
    EXPECT_NEAR(page->DiagramRange().ToM - page->DiagramRange().FromM, zoomed.ToM - zoomed.FromM, 1e-6);
    page->findChild<QToolButton*>(QStringLiteral("_x_btOverviewReset"))->click();
    EXPECT_TRUE(page->DiagramRange().IsWhole());
}

TEST_F(GuiOverview, FactorsColouringAndSplitAreKeptAndTextsFollowTheLanguage) {
    Calculate();
    TOverviewPage* page = w->OverviewPage();
    page->SetFactors(FactorBit(FactorCurve) | FactorBit(FactorLookRev));
    page->SetColouring(tMapColouring::Verdict);
    auto* split = page->findChild<QSplitter*>(QStringLiteral("_x_splOverview"));
    split->setSizes({300, 200});
    const QList<int> sizes = split->sizes();
    auto* reset = page->findChild<QToolButton*>(QStringLiteral("_x_btOverviewReset"));
    const QString english = reset->text();
    EXPECT_EQ(english, w->Engine().GetSectionText(QStringLiteral("MainForm.Overview"), QStringLiteral("Reset")));
    w->AboutPage()->Ui()._x_cbLangSelect->setCurrentText(QStringLiteral("UKRAINIAN"));
    EXPECT_EQ(reset->text(), w->Engine().GetSectionText(QStringLiteral("MainForm.Overview"), QStringLiteral("Reset")));
    EXPECT_NE(reset->text(), english);
    w->close();
    window.reset();
    Start();
    page = w->OverviewPage();
    EXPECT_EQ(page->Factors(), FactorBit(FactorCurve) | FactorBit(FactorLookRev));
    EXPECT_EQ(page->findChild<QComboBox*>(QStringLiteral("_x_cbOverviewColouring"))->currentIndex(), 1);
    w->SelectTab(w->TabIndex().About);  // the window shows, the split takes its size
    Pump(50);
    const QList<int> now = page->findChild<QSplitter*>(QStringLiteral("_x_splOverview"))->sizes();
    ASSERT_EQ(now.size(), 2);
    EXPECT_NEAR(double(now[0]) / (now[0] + now[1]), double(sizes[0]) / (sizes[0] + sizes[1]), 0.01);
}

TEST_F(GuiOverview, SavesThePicturesAsPngAndSvg) {
    Calculate();
    TOverviewPage* page = w->OverviewPage();
    const QString png = install->Folder() + QStringLiteral("diagram.png");
    const QString svg = install->Folder() + QStringLiteral("map.svg");
    ASSERT_TRUE(page->ExportPicture(false, png));
    ASSERT_TRUE(page->ExportPicture(true, svg));
    EXPECT_EQ(QImage(png).size(), page->DiagramCanvas()->size());
    QFile f(svg);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_TRUE(f.readAll().contains("<svg"));
    // A folder where the file should go: one message, nothing written.
    const QString blocked = install->Folder() + QStringLiteral("blocked.png");
    ASSERT_TRUE(QDir().mkpath(blocked));
    EXPECT_FALSE(page->ExportPicture(false, blocked));
    ASSERT_EQ(seam.Messages.size(), 1u);
    EXPECT_TRUE(seam.Messages[0].Text.contains(QStringLiteral("blocked.png")));
    EXPECT_TRUE(QFileInfo(blocked).isDir());
}

}  // namespace
}  // namespace kestrova::test
