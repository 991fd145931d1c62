// Control states and window placement through the settings file.
#include "gui_fixture.h"

#include "core/util/ini_file.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLineEdit>
#include <QRadioButton>
#include <QScreen>

namespace kestrova::test {
namespace {

TEST(GuiPersistence, ControlStatesComeBackAtTheNextStart) {
    TInstall install({QStringLiteral("English.lng")});
    TRecordingSeam seam;
    {
        TStartedWindow w(install, seam);
        w->LoadPage()->Ui().edOpenXL->setText(QStringLiteral("C:/roads/main road.xlsx"));
        w->LoadPage()->Ui().edOpenCrossXL->setText(QStringLiteral("cross.csv"));
        w->LoadPage()->Ui().rbSecondSheet__Cross->setChecked(true);
        w->LoadPage()->Ui().rbThirdSheet__Green->setChecked(true);
        w->ViewPage()->Ui().cbCropProfile30m->setChecked(true);
        w->ViewPage()->Ui().cbDrawLookLines__3D->setChecked(false);
        w->ViewPage()->Ui().rgLookHeightItems[3]->setChecked(true);
        w->CrossRoadsPage()->Ui().rbCRoadRev->setChecked(true);
        w->close();
    }
    const TIniFile ini(install.Settings(), true);
    EXPECT_EQ(ini.ReadText(QStringLiteral("MainForm.Components"), QStringLiteral("edOpenXL"), {}), QStringLiteral("C:/roads/main road.xlsx"));
    EXPECT_EQ(ini.ReadText(QStringLiteral("MainForm.Components"), QStringLiteral("rgLookHeight"), {}), QStringLiteral("3"));
    EXPECT_EQ(ini.ReadText(QStringLiteral("MainForm.Components"), QStringLiteral("edLang"), {}), QStringLiteral("ENGLISH"));
    // Skipped and masked controls leave no entries.
    EXPECT_EQ(ini.ReadText(QStringLiteral("MainForm.Components"), QStringLiteral("_x_mCalcLog_Lines"), QStringLiteral("none")), QStringLiteral("none"));
    EXPECT_EQ(ini.ReadText(QStringLiteral("MainForm.Components"), QStringLiteral("edSearchKmpDraftV"), QStringLiteral("none")), QStringLiteral("none"));
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QString key = QStringLiteral("%1x%2").arg(screen->virtualGeometry().width()).arg(screen->virtualGeometry().height());
    EXPECT_TRUE(ini.ReadText(QStringLiteral("MainForm.FormPosition"), key, {}).startsWith(QStringLiteral(":sw")));

    TStartedWindow w(install, seam);
    EXPECT_EQ(w->LoadPage()->Ui().edOpenXL->text(), QStringLiteral("C:/roads/main road.xlsx"));
    EXPECT_EQ(w->LoadPage()->Ui().edOpenCrossXL->text(), QStringLiteral("cross.csv"));
    EXPECT_TRUE(w->LoadPage()->Ui().rbSecondSheet__Cross->isChecked());
    EXPECT_FALSE(w->LoadPage()->Ui().edOpenCrossXL->isVisibleTo(w->LoadPage()->Ui().gbLoadCrossRoads));
    EXPECT_TRUE(w->LoadPage()->Ui().rbThirdSheet__Green->isChecked());
    EXPECT_TRUE(w->ViewPage()->Ui().cbCropProfile30m->isChecked());
    EXPECT_FALSE(w->ViewPage()->Ui().cbDrawLookLines__3D->isChecked());
    EXPECT_TRUE(w->ViewPage()->Ui().rgLookHeightItems[3]->isChecked());
    EXPECT_TRUE(w->CrossRoadsPage()->Ui().rbCRoadRev->isChecked());
    EXPECT_FALSE(w->FirstUse());
}

TEST(GuiPersistence, BadEntriesLeaveTheControlsAsDesigned) {
    TInstall install({QStringLiteral("English.lng")});
    WriteFile(install.Settings(),
              "[MainForm.Components]\r\ncbDrawLookLines__3D=yes\r\nrgLookHeight=7\r\nedLang=ENGLISH\r\n"
              "[MainForm.FormPosition]\r\n1x1=:sw1:sh1:fw5000:fh5000:fl0:ft0:fm1:\r\n");
    TRecordingSeam seam;
    TStartedWindow w(install, seam);
    EXPECT_TRUE(w->ViewPage()->Ui().cbDrawLookLines__3D->isChecked());
    EXPECT_TRUE(w->ViewPage()->Ui().rgLookHeightItems[1]->isChecked());
    EXPECT_FALSE(w->isMaximized());  // another desktop size: centred at the minimum size
    EXPECT_EQ(w->size(), QSize(800, 600));
}

TEST(GuiPersistence, PlacementOfThisDesktopIsRestored) {
    TInstall install({QStringLiteral("English.lng")});
    App();
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QRect desk = screen->virtualGeometry();
    const QString key = QStringLiteral("%1x%2").arg(desk.width()).arg(desk.height());
    WriteFile(install.Settings(), QStringLiteral("[MainForm.Components]\r\nedLang=ENGLISH\r\n[MainForm.FormPosition]\r\n%1=:sw%2:sh%3:fw%4:fh%5:fl%6:ft%7:fm0:\r\n")
                                      .arg(key).arg(desk.width()).arg(desk.height()).arg(desk.width() + 10)
                                      .arg(desk.height() + 5).arg(desk.left() + 3).arg(desk.top() + 2).toUtf8());
    TRecordingSeam seam;
    TStartedWindow w(install, seam);
    // Sizes up to the desktop + 32 are taken (the minimum size is 800 x 600).
    ASSERT_GE(desk.width() + 10, 800);
    EXPECT_EQ(w->size(), QSize(desk.width() + 10, desk.height() + 5));
    EXPECT_EQ(w->geometry().topLeft(), QPoint(desk.left() + 3, desk.top() + 2));
}

TEST(GuiPersistence, ThreeRestartsLeaveTheWindowWhereItWasClosed) {
    TInstall install({QStringLiteral("English.lng")});
    TRecordingSeam seam;
    QRect closed;
    {
        TStartedWindow w(install, seam);
        const QRect desk = QGuiApplication::primaryScreen()->virtualGeometry();
        w->setGeometry(desk.left() + 12, desk.top() + 9, 805, 603);  // a small offscreen desktop takes little more
        closed = w->geometry();
        w->close();
    }
    for (int start = 1; start <= 3; ++start) {
        TStartedWindow w(install, seam);
        EXPECT_EQ(w->geometry(), closed) << "start " << start;
        w->close();
    }
}

}  // namespace
}  // namespace kestrova::test
