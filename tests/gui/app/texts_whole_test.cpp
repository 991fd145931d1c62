// Texts stay whole in every language at the window's minimum size.
#include "gui_fixture.h"

#include "gui/app/text_fitting.h"
#include "gui/views/string_grid.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFontMetrics>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QScrollBar>

namespace kestrova::test {
namespace {

TEST(GuiTexts, WrapBreaksAtBlanksWithinTheWidth) {
    App();
    const QFontMetrics fm(QApplication::font());
    const QString text = QStringLiteral("Показывать линии видимости до самого горизонта");
    for (int width : {40, 90, 160, 400}) {
        const QString wrapped = WrapToWidth(text, fm, width);
        EXPECT_EQ(QString(wrapped).replace(QLatin1Char('\n'), QLatin1Char(' ')), text) << width;
        for (const QString& line : wrapped.split(QLatin1Char('\n')))
            if (line.contains(QLatin1Char(' '))) {
                EXPECT_LE(fm.horizontalAdvance(line), width) << width;
            }
    }
    EXPECT_EQ(WrapToWidth(text, fm, 10000), text);
}

TEST(GuiTexts, WholeInEveryLanguageAtTheMinimumSize) {
    TInstall install;
    TRecordingSeam seam;
    ChooseEnglish(install);
    TStartedWindow w(install, seam);
    LoadAllAndCalculate(*w);
    seam.Messages.clear();
    // A crossroad with a long name: the list cuts it and its tooltip shows it whole.
    const int longRow = 1;
    const QString longName = QStringLiteral(" A crossroad whose name is much longer than the list is wide");
    w->CrossRoadsPage()->Ui().gCRoadsList->SetCells(1, longRow, longName);
    for (const char* language : {"ENGLISH", "UKRAINIAN", "RUSSIAN"}) {
        w->AboutPage()->Ui()._x_cbLangSelect->setCurrentIndex(w->AboutPage()->Ui()._x_cbLangSelect->findText(QString::fromLatin1(language)));
        w->showNormal();
        w->resize(800, 600);
        Pump(30);
        // The view options: each fits its tool panel and stays above the profile list.
        for (const auto& [tab, box] : {std::pair{w->TabIndex().View3DF, static_cast<QAbstractButton*>(w->ViewPage()->Ui().cbDrawLookLines__3D)},
                                       std::pair{w->TabIndex().View3DF, static_cast<QAbstractButton*>(w->ViewPage()->Ui().rgLookHeightItems[0])},
                                       std::pair{w->TabIndex().CProfile, static_cast<QAbstractButton*>(w->ViewPage()->Ui().cbCropProfile30m)}}) {
            w->SelectTab(tab);
            Pump(30);
            EXPECT_GE(box->width(), box->sizeHint().width()) << language << " " << box->objectName().toStdString();
            EXPECT_LT(box->mapTo(w->ViewPage(), QPoint(0, box->height())).y(), w->ViewPage()->Ui().gProfilesList->y())
                << language << " " << box->objectName().toStdString();
            const QString whole = QString(box->text()).replace(QLatin1Char('\n'), QLatin1Char(' '));
            EXPECT_FALSE(whole.isEmpty());
        }
        // The about text needs no sideways scrolling.
        w->SelectTab(w->TabIndex().About);
        Pump(30);
        EXPECT_EQ(w->AboutPage()->Ui()._x_mAboutInfo2->horizontalScrollBar()->maximum(), 0) << language;
        EXPECT_EQ(w->AboutPage()->Ui()._x_mAboutInfo1->horizontalScrollBar()->maximum(), 0) << language;
        // The three load boxes are equally wide.
        w->SelectTab(w->TabIndex().SourceData);
        Pump(30);
        EXPECT_EQ(w->LoadPage()->Ui().edOpenXL->width(), w->LoadPage()->Ui().edOpenGreenXL->width()) << language;
        EXPECT_EQ(w->LoadPage()->Ui().edOpenXL->width(), w->LoadPage()->Ui().edOpenCrossXL->width()) << language;
        // Crossroads names: the whole name as the tooltip.
        w->SelectTab(w->TabIndex().CRoads);
        Pump(30);
        const QModelIndex name = w->CrossRoadsPage()->Ui().gCRoadsList->Model().index(longRow - 1, 1);
        EXPECT_EQ(w->CrossRoadsPage()->Ui().gCRoadsList->Model().data(name, Qt::ToolTipRole).toString(), longName.trimmed()) << language;
    }
}

}  // namespace
}  // namespace kestrova::test
