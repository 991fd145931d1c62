// The result grids after a language change: re-fitted columns fill the
// view without a blank area, and the scroll position stays valid.
#include "gui_fixture.h"

#include "gui/views/string_grid.h"

#include <QComboBox>
#include <QHeaderView>
#include <QScrollBar>

namespace kestrova::test {
namespace {

TEST(GuiGridRefit, ColumnsFillTheViewAfterALanguageChange) {
    TInstall install;
    TRecordingSeam seam;
    WriteFile(install.Settings(), "[MainForm.Components]\r\nedLang=RUSSIAN\r\n");
    TStartedWindow w(install, seam);
    LoadAllAndCalculate(*w);
    w->showNormal();
    w->resize(800, 600);
    Pump(30);
    struct tGridTab {
        TStringGrid* Grid;
        int Tab;
    };
    const tGridTab grids[] = {{w->GridPage(tGridId::SourceData)->Ui().Grid, w->TabIndex().SourceGrid},
                              {w->GridPage(tGridId::DraftV)->Ui().Grid, w->TabIndex().DraftSpeeds},
                              {w->GridPage(tGridId::PivotData)->Ui().Grid, w->TabIndex().PivotGrid}};
    for (const char* language : {"ENGLISH", "UKRAINIAN", "RUSSIAN", "ENGLISH"}) {
        for (const tGridTab& g : grids) {
            // Scrolled to the far right and down in the language before.
            w->SelectTab(g.Tab);
            Pump(20);
            g.Grid->horizontalScrollBar()->setValue(g.Grid->horizontalScrollBar()->maximum());
            g.Grid->verticalScrollBar()->setValue(g.Grid->verticalScrollBar()->maximum());
            Pump(20);
        }
        w->SelectTab(w->TabIndex().About);
        w->AboutPage()->Ui()._x_cbLangSelect->setCurrentIndex(w->AboutPage()->Ui()._x_cbLangSelect->findText(QString::fromLatin1(language)));
        Pump(20);
        for (const tGridTab& g : grids) {
            w->SelectTab(g.Tab);
            Pump(30);
            QScrollBar* h = g.Grid->horizontalScrollBar();
            QScrollBar* v = g.Grid->verticalScrollBar();
            EXPECT_LE(h->value(), h->maximum()) << language << " " << g.Grid->objectName().toStdString();
            EXPECT_LE(v->value(), v->maximum()) << language << " " << g.Grid->objectName().toStdString();
            const int last = g.Grid->ColCount() - 1;
            const int right = g.Grid->columnViewportPosition(last) + g.Grid->columnWidth(last);
            const int view = g.Grid->viewport()->width();
            const int length = g.Grid->horizontalHeader()->length();
            const std::string where = std::string(language) + " " + g.Grid->objectName().toStdString();
            if (h->value() < h->maximum()) {
                // The first column shown is the one the scroll bar stands for.
                EXPECT_EQ(g.Grid->columnViewportPosition(h->value()), 0) << where;
            } else if (length >= view) {
                // The last page ends at the last column: no blank area, nothing cut off.
                EXPECT_EQ(right, view) << where;
            }
        }
    }
}

}  // namespace
}  // namespace kestrova::test
