#include "gui/views/string_grid.h"

#include <QPainter>
#include <QScrollBar>

namespace kestrova {

// ---- painting ------------------------------------------------------------

class TGridDelegate final : public QStyledItemDelegate {
public:
    TGridDelegate(TStringGrid* grid, bool frozen) : QStyledItemDelegate(grid), mGrid(grid), mFrozen(frozen) {}
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        if (!mGrid->DrawCell) {
            QStyledItemDelegate::paint(painter, option, index);
            return;
        }
        tCellDraw cell;
        cell.Col = index.column();
        cell.Row = index.row() + 1;
        cell.Rect = option.rect;
        cell.Selected = option.state & QStyle::State_Selected;
        cell.Focused = option.state & QStyle::State_HasFocus;
        cell.Fixed = cell.Col < mGrid->FixedCols();
        // The main view paints nothing under the frozen overlay.
        if (cell.Fixed && !mFrozen && mGrid->mFrozen && mGrid->mFrozen->isVisible()) return;
        painter->save();
        mGrid->DrawCell(*painter, cell);
        painter->restore();
    }

private:
    TStringGrid* mGrid;
    bool mFrozen;
};

// The header row, painted by the same routine as the data cells.
class TGridHeader final : public QHeaderView {
public:
    explicit TGridHeader(TStringGrid* grid, QWidget* parent) : QHeaderView(Qt::Horizontal, parent), mGrid(grid) {
        setSectionsClickable(false);
        setHighlightSections(false);
    }

protected:
    void paintSection(QPainter* painter, const QRect& rect, int section) const override {
        if (!mGrid->DrawCell) {
            QHeaderView::paintSection(painter, rect, section);
            return;
        }
        tCellDraw cell;
        cell.Col = section;
        cell.Row = 0;
        cell.Rect = rect.adjusted(0, 0, -1, -1);
        cell.Fixed = true;
        painter->save();
        mGrid->DrawCell(*painter, cell);
        painter->setPen(palette().color(QPalette::Mid));
        painter->drawLine(rect.topRight(), rect.bottomRight());
        painter->drawLine(rect.bottomLeft(), rect.bottomRight());
        painter->restore();
    }

private:
    TStringGrid* mGrid;
};

// ---- grid ----------------------------------------------------------------

TStringGrid::TStringGrid(const QString& name, QWidget* parent) : QTableView(parent), mModel(new TGridModel(this)) {
    setObjectName(name);
    setModel(mModel);
    setHorizontalHeader(new TGridHeader(this, this));
    horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    horizontalHeader()->setMinimumSectionSize(0);
    verticalHeader()->setVisible(false);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setMinimumSectionSize(1);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    setItemDelegate(new TGridDelegate(this, false));
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerItem);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    setWordWrap(false);
    mModel->Resize(1, 1);

    connect(horizontalScrollBar(), &QScrollBar::valueChanged, this, [this] { emit TopLeftChanged(this); });
}

void TStringGrid::SetSize(int cols, int rows) {
    const int oldRow = Row();
    mModel->Resize(cols, rows);
    if (oldRow >= 1 && oldRow < rows) SetRow(oldRow);
    SyncFrozen();
}

void TStringGrid::SetTable(const tTextTableView& table) {
    mModel->SetTable(table);
    SyncFrozen();
}

void TStringGrid::SetFixedCols(int n) {
    mFixedCols = std::max(0, n);
    SyncFrozen();
}

void TStringGrid::SyncFrozen() {
    if (mFixedCols <= 0 || mFixedCols >= ColCount()) {
        if (mFrozen) mFrozen->hide();
        viewport()->update();
        return;
    }
    if (!mFrozen) {
        mFrozen = new QTableView(this);
        mFrozen->setObjectName(objectName() + QStringLiteral("_x_Fixed"));
        mFrozen->setModel(mModel);
        mFrozen->setSelectionModel(selectionModel());
        mFrozen->setHorizontalHeader(new TGridHeader(this, mFrozen));
        mFrozen->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
        mFrozen->horizontalHeader()->setMinimumSectionSize(0);
        mFrozen->verticalHeader()->setVisible(false);
        mFrozen->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
        mFrozen->verticalHeader()->setMinimumSectionSize(1);
        mFrozen->setItemDelegate(new TGridDelegate(this, true));
        mFrozen->setEditTriggers(QAbstractItemView::NoEditTriggers);
        mFrozen->setFocusPolicy(Qt::NoFocus);
        mFrozen->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        mFrozen->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        mFrozen->setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
        mFrozen->setFrameShape(QFrame::NoFrame);
        mFrozen->setWordWrap(false);
        connect(mFrozen->verticalScrollBar(), &QAbstractSlider::valueChanged, verticalScrollBar(), &QAbstractSlider::setValue);
        connect(verticalScrollBar(), &QAbstractSlider::valueChanged, mFrozen->verticalScrollBar(), &QAbstractSlider::setValue);
        // A click on a fixed cell moves the current row like a click on the grid.
        connect(mFrozen, &QTableView::clicked, this, [this](const QModelIndex& index) {
            setCurrentIndex(mModel->index(index.row(), std::max(currentIndex().column(), mFixedCols)));
            emit Clicked(this);
        });
    }
    for (int c = 0; c < ColCount(); ++c) mFrozen->setColumnHidden(c, c >= mFixedCols || isColumnHidden(c));
    for (int c = 0; c < mFixedCols; ++c)
        if (!isColumnHidden(c)) mFrozen->setColumnWidth(c, columnWidth(c));
    mFrozen->verticalHeader()->setDefaultSectionSize(verticalHeader()->defaultSectionSize());
    mFrozen->horizontalHeader()->setFixedHeight(horizontalHeader()->height());
    mFrozen->show();
    LayoutFrozen();
}

void TStringGrid::LayoutFrozen() {
    if (!mFrozen || !mFrozen->isVisible()) return;
    int w = 0;
    for (int c = 0; c < mFixedCols; ++c)
        if (!isColumnHidden(c)) w += columnWidth(c);
    mFrozen->setGeometry(frameWidth(), frameWidth(), w + 1,
                         viewport()->height() + horizontalHeader()->height());
    mFrozen->horizontalHeader()->setFixedHeight(horizontalHeader()->height());
    mFrozen->verticalScrollBar()->setValue(verticalScrollBar()->value());
}

void TStringGrid::resizeEvent(QResizeEvent* event) {
    QTableView::resizeEvent(event);
    LayoutFrozen();
}

void TStringGrid::updateGeometries() {
    QTableView::updateGeometries();
    LayoutFrozen();
}

void TStringGrid::scrollContentsBy(int dx, int dy) {
    QTableView::scrollContentsBy(dx, dy);
    if (mFrozen && mFrozen->isVisible()) mFrozen->viewport()->update();
}

void TStringGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    QTableView::currentChanged(current, previous);
    // The whole current row is highlighted, so the old and new rows repaint.
    viewport()->update();
    if (mFrozen) mFrozen->viewport()->update();
    if (!mQuietMove && current.isValid()) emit Clicked(this);
}

QModelIndex TStringGrid::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) {
    QModelIndex current = QTableView::moveCursor(action, modifiers);
    // The cursor never enters the fixed columns; the view scrolls past them.
    if (mFixedCols > 0 && current.isValid() && current.column() < mFixedCols && action == MoveLeft)
        current = mModel->index(current.row(), std::min(mFixedCols, ColCount() - 1));
    return current;
}

int TStringGrid::Row() const {
    const QModelIndex i = currentIndex();
    return i.isValid() ? i.row() + 1 : (RowCount() > 1 ? 1 : 0);
}

int TStringGrid::Col() const {
    const QModelIndex i = currentIndex();
    return i.isValid() ? i.column() : mFixedCols;
}

void TStringGrid::SetRow(int row) {
    if (row < 1 || row >= RowCount()) return;
    int col = currentIndex().isValid() ? currentIndex().column() : std::min(mFixedCols, ColCount() - 1);
    if (col < 0) col = 0;
    const QModelIndex target = mModel->index(row - 1, col);
    const bool wasQuiet = mQuietMove;
    mQuietMove = true;
    selectionModel()->setCurrentIndex(target, QItemSelectionModel::ClearAndSelect |
                                                  (mRowSelect ? QItemSelectionModel::Rows : QItemSelectionModel::NoUpdate));
    mQuietMove = wasQuiet;
    scrollTo(target);
    viewport()->update();
    if (mFrozen) mFrozen->viewport()->update();
}

void TStringGrid::SetCol(int col) {
    if (col < 0 || col >= ColCount()) return;
    const int row = std::max(Row(), 1);
    if (row >= RowCount()) return;
    const bool wasQuiet = mQuietMove;
    mQuietMove = true;
    selectionModel()->setCurrentIndex(mModel->index(row - 1, col), QItemSelectionModel::ClearAndSelect);
    mQuietMove = wasQuiet;
}

int TStringGrid::ColWidth(int col) const { return isColumnHidden(col) ? -1 : columnWidth(col); }

void TStringGrid::SetColWidth(int col, int width) {
    if (col < 0 || col >= ColCount()) return;
    if (width <= 0) {
        setColumnHidden(col, true);
    } else {
        setColumnHidden(col, false);
        setColumnWidth(col, width);
    }
    if (col < mFixedCols) SyncFrozen();
}

int TStringGrid::RowHeight(int row) const {
    if (row == 0) return horizontalHeader()->height();
    return rowHeight(row - 1);
}

void TStringGrid::SetRowHeight(int row, int height) {
    if (row == 0) {
        horizontalHeader()->setFixedHeight(height);
        if (mFrozen) mFrozen->horizontalHeader()->setFixedHeight(height);
        LayoutFrozen();
        return;
    }
    setRowHeight(row - 1, height);
    if (mFrozen) mFrozen->setRowHeight(row - 1, height);
}

void TStringGrid::SetDataRowHeight(int height) {
    verticalHeader()->setDefaultSectionSize(height);
    if (mFrozen) mFrozen->verticalHeader()->setDefaultSectionSize(height);
}

void TStringGrid::SyncScrollOffsets() {
    updateGeometries();
    const auto sync = [](QHeaderView* header, const QScrollBar* bar) {
        if (bar->maximum() > 0 && bar->value() == bar->maximum())
            header->setOffsetToLastSection();
        else
            header->setOffsetToSectionPosition(bar->value());
    };
    sync(horizontalHeader(), horizontalScrollBar());
    sync(verticalHeader(), verticalScrollBar());
    if (mFrozen) mFrozen->verticalScrollBar()->setValue(verticalScrollBar()->value());
    viewport()->update();
    if (mFrozen) mFrozen->viewport()->update();
}

int TStringGrid::LeftCol() const {
    const int first = columnAt(0);
    // Under the frozen overlay the first scrollable column is the one after its right edge.
    if (mFrozen && mFrozen->isVisible()) {
        const int c = columnAt(mFrozen->width());
        return c < 0 ? mFixedCols : std::max(c, mFixedCols);
    }
    return first < 0 ? 0 : first;
}

void TStringGrid::SetRowSelect(bool on) {
    mRowSelect = on;
    setSelectionBehavior(on ? QAbstractItemView::SelectRows : QAbstractItemView::SelectItems);
}

void TStringGrid::PaintCell(QPainter& painter, const tCellDraw& cell) {
    if (!DrawCell) return;
    painter.save();
    DrawCell(painter, cell);
    painter.restore();
}

}  // namespace kestrova
