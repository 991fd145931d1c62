// One result grid page (source data, factor speeds or pivot table): the
// grid with its km+ search line, the export button and the export progress.
#pragma once

#include "core/calc/grid_texts.h"
#include "gui/pages/page_context.h"

#include <QWidget>

#include <vector>

class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;

namespace kestrova {

class TStringGrid;

class TGridPage final : public QWidget {
    Q_OBJECT
public:
    // The controls, by the names the language and settings files use.
    struct tUi {
        TStringGrid* Grid = nullptr;
        QLabel* Label = nullptr;          // "lbSearchKmPlus__..."
        QLineEdit* Search = nullptr;      // "edSearchKmp..."
        QPushButton* Find = nullptr;      // "btSearchKmp__..."
        QPushButton* Export = nullptr;    // "btExport__..."
        QProgressBar* Bar = nullptr;      // "pb..."
    };

    // One of the three result grids: SourceData, DraftV or PivotData.
    TGridPage(const tPageContext& context, tGridId grid, QWidget* parent);
    const tUi& Ui() const { return FUi; }
    tGridId GridId() const { return FGrid; }

    // The page came to the front: the long columns fit their texts, the
    // search line is empty and the grid has the focus.
    void Shown();

    // Handlers, public so that the tests run them as typing and clicks do.
    void edSearchKmpChange();
    void btSearhKmpClick();

signals:
    // A row was chosen (click or search): the other grids follow.
    void RowClicked(TStringGrid* grid);
    void TopLeftChanged(TStringGrid* grid);
    void ExportClicked(QPushButton* button);

private:
    void ResetSearch();

    tPageContext FContext;
    tGridId FGrid;
    tColumnSet FFitted;  // the columns AutoSizeGrid treats apart when the page is shown
    tUi FUi;
};

}  // namespace kestrova
