// The page classes keep the panels and controls the language and settings
// files know: each page is the panel of its old name, in the page area's
// old order, and holds its controls under their names.
#include "gui_fixture.h"

#include "gui/views/overview_page.h"
#include "gui/views/string_grid.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace kestrova::test {
namespace {

TEST(GuiPages, EachPageIsItsPanelInTheOldOrder) {
    TInstall install;
    TRecordingSeam seam;
    TStartedWindow w(install, seam);
    const std::pair<const char*, QWidget*> pages[] = {
        {"Panel5", w->AboutPage()},
        {"panel0", w->LoadPage()},
        {"Panel4", w->GridPage(tGridId::SourceData)},
        {"panel1", w->GridPage(tGridId::DraftV)},
        {"Panel6", w->GridPage(tGridId::PivotData)},
        {"panel2", w->ViewPage()},
        {"Panel3", w->CrossRoadsPage()},
        {"_x_panOverview", w->OverviewPage()},
    };
    QStringList order;
    for (QObject* child : w->pageArea->children())
        if (child->isWidgetType()) order << child->objectName();
    QStringList expected;
    for (const auto& [name, page] : pages) {
        expected << QString::fromLatin1(name);
        EXPECT_EQ(w->findChild<QWidget*>(QString::fromLatin1(name)), page) << name;
        EXPECT_EQ(page->parentWidget(), w->pageArea) << name;
    }
    EXPECT_EQ(order, expected);
}

TEST(GuiPages, ControlsLieInTheirPagesUnderTheirNames) {
    TInstall install;
    TRecordingSeam seam;
    TStartedWindow w(install, seam);
    const struct {
        QWidget* Page;
        QWidget* Control;
        const char* Name;
    } controls[] = {
        {w->AboutPage(), w->AboutPage()->Ui()._x_cbLangSelect, "_x_cbLangSelect"},
        {w->LoadPage(), w->LoadPage()->Ui().edOpenXL, "edOpenXL"},
        {w->LoadPage(), w->LoadPage()->Ui().rbThirdSheet__Green, "rbThirdSheet__Green"},
        {w->LoadPage(), w->LoadPage()->Ui().btStartCalc, "btStartCalc"},
        {w->GridPage(tGridId::SourceData), static_cast<QWidget*>(w->GridPage(tGridId::SourceData)->Ui().Label), "lbSearchKmPlus__SoureceData"},
        {w->GridPage(tGridId::DraftV), w->GridPage(tGridId::DraftV)->Ui().Search, "edSearchKmpDraftV"},
        {w->GridPage(tGridId::PivotData), w->GridPage(tGridId::PivotData)->Ui().Export, "btExport__PivotData"},
        {w->GridPage(tGridId::PivotData), w->GridPage(tGridId::PivotData)->Ui().Grid, "gPivotData"},
        {w->ViewPage(), w->ViewPage()->Ui().rgLookHeightItems[3], "_x_rgLookHeight_Item3"},
        {w->ViewPage(), static_cast<QWidget*>(w->ViewPage()->Ui().cbCropProfile30m), "cbCropProfile30m"},
        {w->CrossRoadsPage(), w->CrossRoadsPage()->Ui().rbCRoadRev, "rbCRoadRev"},
        {w->CrossRoadsPage(), w->CrossRoadsPage()->Ui().gCrProfilesList, "gCrProfilesList"},
    };
    for (const auto& c : controls) {
        ASSERT_NE(c.Control, nullptr) << c.Name;
        EXPECT_EQ(c.Control->objectName(), QString::fromLatin1(c.Name));
        EXPECT_TRUE(c.Page->isAncestorOf(c.Control)) << c.Name;
        EXPECT_EQ(w->findChildren<QWidget*>(QString::fromLatin1(c.Name)).size(), 1) << c.Name;
    }
}

}  // namespace
}  // namespace kestrova::test
