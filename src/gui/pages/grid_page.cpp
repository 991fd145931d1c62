#include "gui/pages/grid_page.h"

#include "core/export/km_search.h"
#include "gui/views/grid_paint.h"
#include "gui/views/string_grid.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace kestrova {

namespace {

struct tGridPageNames {
    const char *Panel, *Grid, *Label, *Search, *Find, *Export, *Bar;
};

const tGridPageNames& Names(tGridId grid) {
    static const tGridPageNames kNames[3] = {
        {"Panel4", "gSourceData", "lbSearchKmPlus__SoureceData", "edSearchKmpSourceData", "btSearchKmp__SourceData",
         "btExport__Source", "pbSourceData"},
        {"panel1", "gDraftV", "lbSearchKmPlus__DraftV", "edSearchKmpDraftV", "btSearchKmp__DraftV", "btExport__Draft",
         "pbDraftV"},
        {"Panel6", "gPivotData", "lbSearchKmPlus__PivotData", "edSearchKmpPivotData", "btSearchKmp__PivotData",
         "btExport__PivotData", "pbPivotData"}};
    return kNames[grid == tGridId::SourceData ? 0 : grid == tGridId::DraftV ? 1 : 2];
}

// The columns whose texts are long (cause and verdict texts, marks).
tColumnSet FittedColumns(tGridId grid) {
    if (grid == tGridId::SourceData) return Columns({12, 13});
    if (grid == tGridId::DraftV) return ColumnRange(16, 21);
    return ColumnRange(4, 13);
}

}  // namespace

TGridPage::TGridPage(const tPageContext& context, tGridId grid, QWidget* parent)
    : QWidget(parent), FContext(context), FGrid(grid), FFitted(FittedColumns(grid)) {
    const tGridPageNames& n = Names(grid);
    setObjectName(QString::fromLatin1(n.Panel));
    FUi.Grid = new TStringGrid(QString::fromLatin1(n.Grid), this);
    FUi.Label = Named(new QLabel(QStringLiteral("lbSearchKmPlus"), this), QString::fromLatin1(n.Label));
    FUi.Search = Named(new QLineEdit(this), QString::fromLatin1(n.Search));
    FUi.Find = Named(new QPushButton(QStringLiteral("btSearchKmp"), this), QString::fromLatin1(n.Find));
    FUi.Export = Named(new QPushButton(QStringLiteral("btExport"), this), QString::fromLatin1(n.Export));
    FUi.Bar = NewProgressBar(QString::fromLatin1(n.Bar), this);

    auto* lay = new QVBoxLayout(this);
    lay->setContentsMargins(4, 4, 4, 4);
    auto* top = new QHBoxLayout;
    top->addWidget(FUi.Label);
    FUi.Search->setInputMask(QStringLiteral("0009\\+999\\,00; "));
    FUi.Search->setFixedWidth(FUi.Search->fontMetrics().horizontalAdvance(QStringLiteral("9999+999,99")) + 24);
    top->addWidget(FUi.Search);
    top->addWidget(FUi.Find);
    top->addStretch(1);
    top->addWidget(FUi.Bar, 1);
    top->addWidget(FUi.Export);
    lay->addLayout(top);
    lay->addWidget(FUi.Grid, 1);
    FUi.Find->setEnabled(false);

    TStringGrid* g = FUi.Grid;
    g->SetSize(GridColumnCount(grid), 1);
    g->SetFixedCols(GridFixedColumns(grid));
    const tRoadModel& model = context.Model;
    if (grid == tGridId::SourceData)
        g->DrawCell = [g](QPainter& p, const tCellDraw& c) { PaintSourceCell(p, *g, c); };
    else if (grid == tGridId::DraftV)
        g->DrawCell = [g, &model](QPainter& p, const tCellDraw& c) { PaintDraftCell(p, *g, c, model); };
    else
        g->DrawCell = [g, &model](QPainter& p, const tCellDraw& c) { PaintPivotCell(p, *g, c, model); };

    connect(FUi.Search, &QLineEdit::textChanged, this, [this] { edSearchKmpChange(); });
    connect(FUi.Find, &QPushButton::clicked, this, [this] { btSearhKmpClick(); });
    connect(FUi.Export, &QPushButton::clicked, this, [this] { emit ExportClicked(FUi.Export); });
    connect(g, &TStringGrid::Clicked, this, [this](TStringGrid* clicked) { emit RowClicked(clicked); });
    connect(g, &TStringGrid::TopLeftChanged, this, [this](TStringGrid* moved) { emit TopLeftChanged(moved); });
}

void TGridPage::Shown() {
    AutoSizeGrid(*FUi.Grid, FFitted, {});
    ResetSearch();
    FUi.Grid->setFocus();
}

void TGridPage::ResetSearch() {
    const QSignalBlocker block(FUi.Search);  // an emptied box is not normalised
    FUi.Search->setText(QStringLiteral("    +   ,  "));
    FUi.Search->setCursorPosition(0);
    FUi.Find->setEnabled(false);
}

void TGridPage::edSearchKmpChange() {
    QLineEdit* edit = FUi.Search;
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
    FUi.Find->setEnabled(ParseSearchKmPlus(edit->displayText(), position));
}

void TGridPage::btSearhKmpClick() {
    if (FContext.IsBusy()) return;
    const QString text = FUi.Search->displayText();
    ResetSearch();
    FUi.Grid->setFocus();
    double position = 0;
    if (!ParseSearchKmPlus(text, position)) return;
    const int profile = NearestProfile(FContext.Model.Plan, position);
    if (profile < 0) return;
    if (FGrid == tGridId::PivotData) {
        const int row = PivotRowOfProfile(FContext.Model.Pivot, profile);
        if (row < 0) return;
        FUi.Grid->SetRow(row + 1);
    } else {
        FUi.Grid->SetRow(profile + 1);
    }
    emit RowClicked(FUi.Grid);  // the other grids and the profile list follow, as after a click
}

}  // namespace kestrova
