// The texts of one window grid, row 0 (the header row) included.
//
// A grid either keeps its own texts (the crossroads lists) or reads its data
// rows from a table of the grid-text layer (the result grids): then no cell is
// stored, each text is formatted when a view, the painting, the fitting or an
// export asks for it, and a change behind the table (a new language) needs
// only TextsChanged. The header row is always the grid's own. A single data
// cell written into a grid that reads a table is kept beside it and shown in
// its place until the table is replaced.
#pragma once

#include "core/calc/grid_texts.h"

#include <QAbstractTableModel>
#include <QHash>

#include <vector>

namespace kestrova {

// What the column fitting remembers of one cell between two fittings.
struct tCellMeasure {
    int Width = -1;  // widest line in pixels; -1 not measured yet
    int Lines = 1;
};

class TGridModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit TGridModel(QObject* parent = nullptr) : QAbstractTableModel(parent) {}

    int rowCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : mRows - 1; }
    int columnCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : mCols; }
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    int Cols() const { return mCols; }
    int Rows() const { return mRows; }
    QString Cell(int col, int row) const;
    // Changes one cell and tells the views.
    void SetCell(int col, int row, const QString& text);
    // Bulk changes: no view is told until EndChange. A reset (new shape or all
    // new texts) drops the current cell; a text-only change keeps it.
    void BeginChange(bool reset = true);
    void EndChange();
    void Resize(int cols, int rows);  // keeps the texts that stay inside
    void SetCellQuiet(int col, int row, const QString& text);
    void ClearRowQuiet(int row);
    // Data cells offer their whole text as a tooltip (for lists that cut long texts).
    void SetCellTips(bool on) { mCellTips = on; }

    // Data rows read from table (its row r is grid row r; its row 0 is not
    // used): the grid takes the table's shape and keeps its header row. The
    // views are reset.
    void SetTable(const tTextTableView& table);
    bool HasTable() const { return static_cast<bool>(mTable.Cell); }
    // The texts behind the table changed (language, cause texts): the views
    // repaint, the current cell stays.
    void TextsChanged();

    // The fitting's memory of the cells, one entry per cell, row-major; kept
    // while key (font and bold columns) stays the same and dropped with any
    // change of the texts (a single cell's entry with that cell).
    std::vector<tCellMeasure>& Measures(const QString& key);

private:
    size_t Index(int col, int row) const { return static_cast<size_t>(row) * static_cast<size_t>(mCols) + static_cast<size_t>(col); }
    void ForgetMeasures() { mMeasures.clear(); }
    void ForgetMeasure(int col, int row);
    bool mCellTips = false;
    int mCols = 0;
    int mRows = 1;
    int mChangeDepth = 0;
    bool mResetting = false;
    std::vector<QString> mTexts;  // row-major; the header row alone while a table is read
    tTextTableView mTable;
    QHash<quint64, QString> mOverrides;  // single data cells written over the table
    QString mMeasureKey;
    std::vector<tCellMeasure> mMeasures;
};

}  // namespace kestrova
