#include "gui/views/grid_model.h"

namespace kestrova {

namespace {
quint64 CellKey(int col, int row) { return (quint64(quint32(row)) << 32) | quint32(col); }
}  // namespace

QVariant TGridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return {};
    if (role == Qt::ToolTipRole && mCellTips) {
        const QString text = Cell(index.column(), index.row() + 1).trimmed();
        return text.isEmpty() ? QVariant() : QVariant(text);
    }
    if (role != Qt::DisplayRole) return {};
    return Cell(index.column(), index.row() + 1);
}

QVariant TGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole) return {};
    if (orientation == Qt::Horizontal) return Cell(section, 0);
    return section + 1;
}

QString TGridModel::Cell(int col, int row) const {
    if (col < 0 || row < 0 || col >= mCols || row >= mRows) return {};
    if (row == 0 || !HasTable()) return mTexts[Index(col, row)];
    if (!mOverrides.isEmpty()) {
        const auto it = mOverrides.constFind(CellKey(col, row));
        if (it != mOverrides.constEnd()) return it.value();
    }
    return mTable.Cell(row, col);
}

void TGridModel::SetCellQuiet(int col, int row, const QString& text) {
    if (col < 0 || row < 0 || col >= mCols || row >= mRows) return;
    ForgetMeasure(col, row);
    if (row == 0 || !HasTable()) {
        mTexts[Index(col, row)] = text;
        return;
    }
    // A cell put back to the table's own text needs no keeping.
    if (text == mTable.Cell(row, col))
        mOverrides.remove(CellKey(col, row));
    else
        mOverrides.insert(CellKey(col, row), text);
}

void TGridModel::ClearRowQuiet(int row) {
    for (int c = 0; c < mCols; ++c) SetCellQuiet(c, row, QString());
}

void TGridModel::SetCell(int col, int row, const QString& text) {
    if (col < 0 || row < 0 || col >= mCols || row >= mRows) return;
    SetCellQuiet(col, row, text);
    if (mChangeDepth > 0) return;
    if (row == 0)
        emit headerDataChanged(Qt::Horizontal, col, col);
    else
        emit dataChanged(index(row - 1, col), index(row - 1, col));
}

void TGridModel::BeginChange(bool reset) {
    if (mChangeDepth++ == 0) {
        mResetting = reset;
        if (reset) beginResetModel();
    }
}

void TGridModel::EndChange() {
    if (mChangeDepth <= 0 || --mChangeDepth > 0) return;
    if (mResetting) {
        endResetModel();
        return;
    }
    if (mCols > 0) emit headerDataChanged(Qt::Horizontal, 0, mCols - 1);
    if (mRows > 1 && mCols > 0) emit dataChanged(index(0, 0), index(mRows - 2, mCols - 1));
}

void TGridModel::Resize(int cols, int rows) {
    cols = std::max(cols, 0);
    rows = std::max(rows, 1);
    if (cols == mCols && rows == mRows) return;
    // The texts that stay inside are kept, those read from a table as well:
    // the grid keeps its own texts from here on.
    std::vector<QString> texts(static_cast<size_t>(cols) * static_cast<size_t>(rows));
    for (int r = 0; r < std::min(rows, mRows); ++r)
        for (int c = 0; c < std::min(cols, mCols); ++c) texts[static_cast<size_t>(r) * static_cast<size_t>(cols) + static_cast<size_t>(c)] = Cell(c, r);
    BeginChange();
    mTable = {};
    mOverrides.clear();
    mTexts = std::move(texts);
    mCols = cols;
    mRows = rows;
    ForgetMeasures();
    EndChange();
}

void TGridModel::SetTable(const tTextTableView& table) {
    const int cols = std::max(table.Columns, 0);
    std::vector<QString> header(static_cast<size_t>(cols));
    for (int c = 0; c < std::min(cols, mCols); ++c) header[static_cast<size_t>(c)] = Cell(c, 0);
    BeginChange();
    mTable = table;
    mOverrides.clear();
    mTexts = std::move(header);
    mCols = cols;
    mRows = std::max(table.Rows, 1);
    ForgetMeasures();
    EndChange();
}

void TGridModel::TextsChanged() {
    ForgetMeasures();
    BeginChange(false);
    EndChange();
}

std::vector<tCellMeasure>& TGridModel::Measures(const QString& key) {
    const size_t cells = static_cast<size_t>(mRows) * static_cast<size_t>(mCols);
    if (key != mMeasureKey || mMeasures.size() != cells) {
        mMeasureKey = key;
        mMeasures.assign(cells, tCellMeasure());
    }
    return mMeasures;
}

void TGridModel::ForgetMeasure(int col, int row) {
    const size_t i = Index(col, row);
    if (i < mMeasures.size()) mMeasures[i] = tCellMeasure();
}

}  // namespace kestrova
