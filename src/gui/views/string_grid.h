// A grid of texts shaped like the window's result grids: row 0 is the header
// row, data row r (r >= 1) is the r-th line below it, the first FixedCols
// columns are fixed (painted in the fixed colour and kept in view).
//
// Qt representation: the header row is the table view's horizontal header
// (model row 0 never appears as a table row), so grid row r is view row r - 1.
// The fixed columns are a second view laid over the left edge that shares the
// model and the selection and scrolls vertically with the main view, so they
// stay in place when the grid scrolls sideways. Every cell, header cells
// included, is painted by the grid's DrawCell callback when one is set.
#pragma once

#include "gui/views/grid_model.h"

#include <QHeaderView>
#include <QStyledItemDelegate>
#include <QTableView>

#include <functional>

namespace kestrova {

// What the owner-drawn painting of one cell gets.
struct tCellDraw {
    int Col = 0;
    int Row = 0;          // grid row: 0 header, r >= 1 data
    QRect Rect;
    bool Selected = false;
    bool Focused = false;
    bool Fixed = false;
};

class TStringGrid final : public QTableView {
    Q_OBJECT
public:
    explicit TStringGrid(const QString& name, QWidget* parent = nullptr);

    TGridModel& Model() { return *mModel; }
    const TGridModel& Model() const { return *mModel; }

    int ColCount() const { return mModel->Cols(); }
    int RowCount() const { return mModel->Rows(); }
    void SetSize(int cols, int rows);
    void SetRowCount(int rows) { SetSize(ColCount(), rows); }
    // The data rows read from a table of the grid-text layer (see TGridModel).
    void SetTable(const tTextTableView& table);
    void SetFixedCols(int n);
    int FixedCols() const { return mFixedCols; }
    QString Cells(int col, int row) const { return mModel->Cell(col, row); }
    void SetCells(int col, int row, const QString& text) { mModel->SetCell(col, row, text); }

    // Current grid row (>= 1 for a data row; 0 when the grid has no data rows)
    // and column. SetRow moves the current cell without raising Clicked.
    int Row() const;
    int Col() const;
    void SetRow(int row);
    void SetCol(int col);

    // Width -1 (or 0) hides a column.
    int ColWidth(int col) const;
    void SetColWidth(int col, int width);
    // Row 0 is the header row.
    int RowHeight(int row) const;
    void SetRowHeight(int row, int height);
    void SetDataRowHeight(int height);   // one height for every data row (fast path)
    // Left-most scrollable column in view.
    int LeftCol() const;
    // After widths or heights changed: the scroll ranges follow the new sizes
    // and the cells shown are again the ones the scroll bars stand for (the
    // last page ends at the last column, leaving no blank area beside it).
    void SyncScrollOffsets();

    // Whole-row selection (the profile and crossroads lists).
    void SetRowSelect(bool on);
    bool RowSelect() const { return mRowSelect; }

    std::function<void(QPainter&, const tCellDraw&)> DrawCell;

    // Paints cell (col, row) into a painter the way the view would (tests and the header).
    void PaintCell(QPainter& painter, const tCellDraw& cell);
    bool IsCurrentRow(int row) const { return row >= 1 && row == Row(); }

signals:
    void Clicked(kestrova::TStringGrid* grid);         // the user moved the current cell
    void TopLeftChanged(kestrova::TStringGrid* grid);  // the grid scrolled sideways

protected:
    void resizeEvent(QResizeEvent* event) override;
    void updateGeometries() override;
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
    void scrollContentsBy(int dx, int dy) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;

private:
    void SyncFrozen();
    void LayoutFrozen();
    TGridModel* mModel;
    QTableView* mFrozen = nullptr;  // fixed columns laid over the left edge
    int mFixedCols = 0;
    bool mRowSelect = false;
    bool mQuietMove = false;
    friend class TGridDelegate;
};

}  // namespace kestrova
