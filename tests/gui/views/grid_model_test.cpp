// The window grids read the grid-text layer instead of keeping copies: every
// cell shown equals the layer's text, in each language, and a cell written
// over the table or a resize keeps the grid's texts consistent.
#include "gui_fixture.h"

#include "core/calc/grid_texts.h"
#include "gui/views/grid_paint.h"
#include "gui/views/string_grid.h"

#include <QComboBox>
#include <QLocale>

namespace kestrova::test {
namespace {

tGridSource SourceOf(const tRoadModel& model, const tGridLanguage& language) {
    tGridSource s;
    s.Plan = &model.Plan;
    s.Pivot = &model.Pivot;
    s.Language = &language;
    s.DecimalSeparator = QLocale().decimalPoint();
    return s;
}

// The language record of the text layer as the engine of the window fills it.
tGridLanguage LanguageOf(TMainForm& w) {
    tGridLanguage language;
    const auto lookup = [&w](const QString& s, const QString& k) { return w.Engine().GetSectionText(s, k); };
    FillHeaderTexts(language, lookup);
    FillCauseTexts(language, lookup);
    return language;
}

TEST(GuiGridModel, GridsShowTheTextLayerInEveryLanguage) {
    TInstall install;
    TRecordingSeam seam;
    ChooseEnglish(install);
    TStartedWindow w(install, seam);
    LoadAllAndCalculate(*w);
    struct tCase {
        TStringGrid* Grid;
        tGridId Id;
    };
    const tCase grids[] = {{w->GridPage(tGridId::SourceData)->Ui().Grid, tGridId::SourceData},
                           {w->GridPage(tGridId::DraftV)->Ui().Grid, tGridId::DraftV},
                           {w->GridPage(tGridId::PivotData)->Ui().Grid, tGridId::PivotData},
                           {w->ViewPage()->Ui().gProfilesList, tGridId::ProfilesList}};
    QString englishCause;
    for (const char* language : {"ENGLISH", "UKRAINIAN", "RUSSIAN"}) {
        w->SelectTab(w->TabIndex().About);
        w->AboutPage()->Ui()._x_cbLangSelect->setCurrentIndex(w->AboutPage()->Ui()._x_cbLangSelect->findText(QString::fromLatin1(language)));
        Pump(20);
        const tGridLanguage texts = LanguageOf(*w);
        const tGridSource source = SourceOf(w->Model(), texts);
        for (const tCase& g : grids) {
            ASSERT_EQ(g.Grid->RowCount(), GridRowCount(g.Id, source)) << language;
            ASSERT_EQ(g.Grid->ColCount(), GridColumnCount(g.Id)) << language;
            const tTextTable table = MaterialiseGrid(g.Id, source);
            for (int r = 1; r < table.Rows; ++r)
                for (int c = 0; c < table.Columns; ++c)
                    ASSERT_EQ(g.Grid->Cells(c, r), table.At(r, c)) << language << " " << r << " " << c;
        }
        // The cause column follows the language.
        int causeRow = 1;
        while (causeRow < w->GridPage(tGridId::DraftV)->Ui().Grid->RowCount() && w->GridPage(tGridId::DraftV)->Ui().Grid->Cells(17, causeRow).isEmpty()) ++causeRow;
        ASSERT_LT(causeRow, w->GridPage(tGridId::DraftV)->Ui().Grid->RowCount());
        const QString cause = w->GridPage(tGridId::DraftV)->Ui().Grid->Model().data(w->GridPage(tGridId::DraftV)->Ui().Grid->Model().index(causeRow - 1, 17), Qt::DisplayRole).toString();
        if (englishCause.isEmpty())
            englishCause = cause;
        else
            EXPECT_NE(cause, englishCause) << language;
    }
}

// A table of texts made up for the model alone: cell (r, c) is "r:c".
tTextTableView Numbered(int rows, int cols, int* calls) {
    tTextTableView v;
    v.Rows = rows;
    v.Columns = cols;
    v.Cell = [calls](int r, int c) {
        ++*calls;
        return QStringLiteral("%1:%2").arg(r).arg(c);
    };
    return v;
}

TEST(GuiGridModel, CellsWrittenOverTheTableAndResizesKeepTheTexts) {
    App();
    TStringGrid grid(QStringLiteral("g"));
    grid.SetSize(3, 1);
    grid.SetCells(1, 0, QStringLiteral("head"));
    int calls = 0;
    grid.SetTable(Numbered(4, 3, &calls));
    EXPECT_EQ(calls, 0);  // nothing is read before it is asked for
    EXPECT_EQ(grid.RowCount(), 4);
    EXPECT_EQ(grid.Cells(1, 0), QStringLiteral("head"));  // the header row stays the grid's own
    EXPECT_EQ(grid.Cells(2, 3), QStringLiteral("3:2"));
    EXPECT_EQ(grid.Cells(3, 1), QString());  // outside
    grid.Model().SetCellQuiet(0, 2, QStringLiteral("mine"));
    EXPECT_EQ(grid.Cells(0, 2), QStringLiteral("mine"));
    EXPECT_EQ(grid.Cells(0, 1), QStringLiteral("1:0"));
    grid.Model().SetCellQuiet(0, 2, QStringLiteral("2:0"));
    EXPECT_EQ(grid.Cells(0, 2), QStringLiteral("2:0"));
    grid.Model().SetCellQuiet(1, 1, QStringLiteral("kept"));
    // A resize keeps the texts inside, the table's ones included.
    grid.SetSize(2, 3);
    const int before = calls;
    EXPECT_EQ(grid.Cells(1, 1), QStringLiteral("kept"));
    EXPECT_EQ(grid.Cells(1, 2), QStringLiteral("2:1"));
    EXPECT_EQ(grid.Cells(1, 0), QStringLiteral("head"));
    EXPECT_EQ(grid.Cells(1, 3), QString());
    EXPECT_EQ(calls, before);  // the grid keeps its own texts from then on
}

TEST(GuiGridModel, FittingMeasuresAChangedCellAgain) {
    App();
    TStringGrid grid(QStringLiteral("g"));
    grid.SetSize(2, 1);
    int calls = 0;
    grid.SetTable(Numbered(50, 2, &calls));
    grid.SetCells(0, 0, QStringLiteral("a"));
    AutoSizeGrid(grid, {}, {});
    const int first = calls;
    EXPECT_GE(first, 49 * 2);
    const int narrow = grid.ColWidth(1);
    AutoSizeGrid(grid, {}, {});
    EXPECT_EQ(calls, first);  // unchanged texts are not read again
    grid.Model().SetCellQuiet(1, 7, QString(40, QLatin1Char('W')));
    AutoSizeGrid(grid, {}, {});
    EXPECT_GT(grid.ColWidth(1), narrow);
    grid.Model().SetCellQuiet(1, 7, QStringLiteral("7:1"));
    AutoSizeGrid(grid, {}, {});
    EXPECT_EQ(grid.ColWidth(1), narrow);
    grid.Model().TextsChanged();
    const int before = calls;
    AutoSizeGrid(grid, {}, {});
    EXPECT_GE(calls - before, 49 * 2);  // a change behind the table measures every cell again
}

}  // namespace
}  // namespace kestrova::test
