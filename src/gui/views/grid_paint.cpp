#include "gui/views/grid_paint.h"

#include <QFontMetrics>
#include <QHash>
#include <QPainter>
#include <QPolygon>

#include <map>

namespace kestrova {

tColumnSet Columns(std::initializer_list<int> cols) {
    tColumnSet s;
    for (int c : cols)
        if (c >= 0 && c < 256) s.set(static_cast<size_t>(c));
    return s;
}

tColumnSet ColumnRange(int first, int last) {
    tColumnSet s;
    for (int c = std::max(first, 0); c <= last && c < 256; ++c) s.set(static_cast<size_t>(c));
    return s;
}

namespace {

// Right and bottom edges as the grids count them: one past the last pixel.
int RightOf(const QRect& r) { return r.left() + r.width(); }
int BottomOf(const QRect& r) { return r.top() + r.height(); }

QRect FromEdges(int left, int top, int right, int bottom) { return QRect(left, top, right - left, bottom - top); }

void FillRect(QPainter& p, const QRect& r, const QColor& c) { p.fillRect(r, c); }

void FillPolygon(QPainter& p, const QPolygon& poly, const QColor& c) {
    p.setPen(c);
    p.setBrush(c);
    p.drawPolygon(poly);
}

bool Paintable(const TStringGrid& grid, const tCellDraw& cell) {
    return grid.isVisible() && !cell.Rect.isEmpty() && grid.ColWidth(cell.Col) > 0;
}

QStringList Lines(const QString& text) {
    QStringList lines = (text + QLatin1Char('\r')).split(QLatin1Char('\r'));
    lines.removeLast();
    return lines;
}

// Lines centred as a block in the cell.
void DrawCentred(QPainter& p, const QRect& rect, const QString& text) {
    const QStringList lines = Lines(text);
    const QFontMetrics fm(p.font());
    int w = 0;
    for (const QString& l : lines) w = std::max(w, fm.horizontalAdvance(l));
    const int h = fm.height();
    const int left = rect.left() + (rect.width() - w) / 2;
    int top = (rect.top() + BottomOf(rect) - h * static_cast<int>(lines.size())) / 2;
    p.setClipRect(rect);
    for (const QString& l : lines) {
        p.drawText(QRect(left, top, std::max(w, 1) + 4, h), Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip, l);
        top += h;
    }
    p.setClipping(false);
}

QFont GridFont(const TStringGrid& grid, bool bold) {
    QFont f = grid.font();
    f.setBold(bold);
    return f;
}

}  // namespace

void PaintDraftCell(QPainter& p, const TStringGrid& grid, const tCellDraw& cell, const tRoadModel& model) {
    if (!Paintable(grid, cell)) return;
    const QPalette& pal = grid.palette();
    const QString text = grid.Cells(cell.Col, cell.Row);
    const bool highlighted = cell.Selected || grid.IsCurrentRow(cell.Row);
    const QRect& r = cell.Rect;
    FillRect(p, r, pal.color(QPalette::Base));
    if (cell.Fixed)
        FillRect(p, r, pal.color(QPalette::Button));
    if (highlighted)
        FillRect(p, r, pal.color(QPalette::Highlight));

    bool fwdCause = false, revCause = false;
    const int profile = cell.Row - 1;
    if (!cell.Fixed && cell.Row >= 1 && profile < model.Plan.Count()) {
        const tPlanProfile& pr = model.Plan.Profiles[static_cast<size_t>(profile)];
        fwdCause = cell.Col == CauseColumn(pr.Cause[DirFwd], DirFwd);
        revCause = cell.Col == CauseColumn(pr.Cause[DirRev], DirRev);
    }
    if (fwdCause || revCause) {
        const QRect area = highlighted ? FromEdges(r.left() + 2, r.top() + 2, RightOf(r) - 3, BottomOf(r) - 3) : r;
        if (fwdCause && revCause) {
            const QPoint bl(area.left(), BottomOf(area)), tl(area.left(), area.top()), tr(RightOf(area), area.top()),
                br(RightOf(area), BottomOf(area));
            FillPolygon(p, QPolygon({bl, tl, tr}), kFwdCauseFill);
            FillPolygon(p, QPolygon({bl, tr, br}), kRevCauseFill);
        } else {
            FillRect(p, area, fwdCause ? kFwdCauseFill : kRevCauseFill);
        }
    }
    if (text.isEmpty()) return;
    const bool cause = fwdCause || revCause;
    p.setFont(GridFont(grid, cell.Fixed || (cell.Col >= 16 && cell.Col <= 21) || cause));
    QColor color = pal.color(QPalette::Text);
    if (!cell.Fixed && cell.Col >= 16 && cell.Col <= 18) color = kFwdText;
    if (!cell.Fixed && cell.Col >= 19 && cell.Col <= 21) color = kRevText;
    if (highlighted && !cause) color = pal.color(QPalette::HighlightedText);
    p.setPen(color);
    DrawCentred(p, r, text);
}

void PaintSourceCell(QPainter& p, const TStringGrid& grid, const tCellDraw& cell) {
    if (!Paintable(grid, cell)) return;
    const QPalette& pal = grid.palette();
    const QString text = grid.Cells(cell.Col, cell.Row);
    const bool highlighted = cell.Selected || grid.IsCurrentRow(cell.Row);
    FillRect(p, cell.Rect, pal.color(QPalette::Base));
    if (cell.Fixed) FillRect(p, cell.Rect, pal.color(QPalette::Button));
    if (highlighted) FillRect(p, cell.Rect, pal.color(QPalette::Highlight));
    if (text.isEmpty()) return;
    p.setFont(GridFont(grid, cell.Fixed || cell.Col == 12 || cell.Col == 13));
    p.setPen(highlighted ? pal.color(QPalette::HighlightedText) : pal.color(QPalette::Text));
    DrawCentred(p, cell.Rect, text);
}

void PaintPivotCell(QPainter& p, const TStringGrid& grid, const tCellDraw& cell, const tRoadModel& model) {
    if (!Paintable(grid, cell)) return;
    const QPalette& pal = grid.palette();
    const QString text = grid.Cells(cell.Col, cell.Row);
    const bool highlighted = (cell.Selected || grid.IsCurrentRow(cell.Row)) && !cell.Fixed;
    bool notSafe = false;
    const int seg = cell.Row - 1;
    if (!cell.Fixed && cell.Row >= 1 && seg < model.Pivot.Count()) {
        const tPivotRow& row = model.Pivot.Rows[static_cast<size_t>(seg)];
        notSafe = (cell.Col == 8 && row.ResumeFwd == -1) || (cell.Col == 13 && row.ResumeRev == -1);
    }
    FillRect(p, cell.Rect, pal.color(QPalette::Base));
    if (cell.Fixed) FillRect(p, cell.Rect, pal.color(QPalette::Button));
    if (notSafe) FillRect(p, cell.Rect, kNotSafeFill);
    if (highlighted) FillRect(p, cell.Rect, pal.color(QPalette::Highlight));
    if (text.isEmpty()) return;
    p.setFont(GridFont(grid, true));
    QColor color = pal.color(QPalette::Text);
    if (!cell.Fixed && cell.Col >= 4 && cell.Col <= 8 && !notSafe) color = kFwdText;
    if (!cell.Fixed && cell.Col >= 9 && cell.Col <= 13 && !notSafe) color = kRevText;
    if (highlighted) color = pal.color(QPalette::HighlightedText);
    if (highlighted && notSafe) color = kNotSafeFill;
    p.setPen(color);
    DrawCentred(p, cell.Rect, text);
}

namespace {

// The list grids: text left-aligned in an inner area, bold on the current row.
void DrawListText(QPainter& p, const TStringGrid& grid, const tCellDraw& cell, const QRect& inner,
                  const QString& text, const QColor& color) {
    if (text.isEmpty()) return;
    p.setFont(GridFont(grid, cell.Fixed || grid.IsCurrentRow(cell.Row)));
    p.setPen(color);
    p.setClipRect(inner);
    const QFontMetrics fm(p.font());
    p.drawText(QPoint(inner.left() + 3, inner.top() + 1 + fm.ascent()), text);
    p.setClipping(false);
}

}  // namespace

void PaintProfilesListCell(QPainter& p, const TStringGrid& grid, const tCellDraw& cell, tViewTab tab) {
    if (tab != tViewTab::Forward && tab != tViewTab::Backward && tab != tViewTab::CrossProfile) return;
    if (cell.Col > 1 || !Paintable(grid, cell)) return;
    const QPalette& pal = grid.palette();
    const auto marked = [&](int col) { return !grid.Cells(col, cell.Row).isEmpty(); };
    bool yellow = false, red = false;
    if (cell.Row >= 1) {
        if (tab == tViewTab::Forward) {
            yellow = marked(2);
            red = marked(3);
        } else if (tab == tViewTab::Backward) {
            yellow = marked(4);
            red = marked(5);
        } else {
            red = marked(3) || marked(5);
        }
    }
    const QRect& r = cell.Rect;
    QColor left = pal.color(QPalette::Base);
    if (yellow && red) {
        FillRect(p, r, kYellowMark);
        FillRect(p, FromEdges(r.left() + 8, r.top(), RightOf(r), BottomOf(r)), kNotSafeFill);
        left = kNotSafeFill;
    } else if (yellow) {
        FillRect(p, r, kYellowMark);
        left = kYellowMark;
    } else if (red) {
        FillRect(p, r, kNotSafeFill);
        left = kNotSafeFill;
    } else {
        FillRect(p, r, left);
    }
    QRect inner = r;
    if (cell.Col == 0 && cell.Row >= 1) inner = FromEdges(r.left() + 16, r.top(), RightOf(r), BottomOf(r));
    if (cell.Fixed || cell.Row == 0)
        FillRect(p, inner, pal.color(QPalette::Button));
    else if (cell.Selected)
        FillRect(p, inner, pal.color(QPalette::Highlight));
    else
        FillRect(p, inner, left);
    QRect textArea = inner;
    if (cell.Row == 0 && cell.Col == 1) textArea = FromEdges(inner.left() + 20, inner.top(), RightOf(inner), BottomOf(inner));
    DrawListText(p, grid, cell, textArea, grid.Cells(cell.Col, cell.Row),
                 cell.Selected ? pal.color(QPalette::HighlightedText) : pal.color(QPalette::Text));
}

void PaintCRoadsListCell(QPainter& p, const TStringGrid& grid, const tCellDraw& cell) {
    if (cell.Col > 1 || !Paintable(grid, cell)) return;
    const QPalette& pal = grid.palette();
    const bool nv = cell.Row >= 1 && grid.Cells(2, cell.Row) == QStringLiteral("NV");
    const bool skip = cell.Row >= 1 && grid.Cells(2, cell.Row) == QStringLiteral("SKIP");
    FillRect(p, cell.Rect, cell.Col == 1 && nv ? kNotSafeFill : pal.color(QPalette::Base));
    if (cell.Row == 0)
        FillRect(p, cell.Rect, pal.color(QPalette::Button));
    else if (cell.Selected)
        FillRect(p, cell.Rect, pal.color(QPalette::Highlight));
    QRect area = cell.Rect;
    if (cell.Row == 0) area.setLeft(area.left() + 16);
    QColor color = pal.color(QPalette::Text);
    if (cell.Selected) color = nv ? kNotSafeFill : pal.color(QPalette::HighlightedText);
    // A name wider than its column ends in an ellipsis; the list's tooltip shows it whole.
    const QFontMetrics fm(GridFont(grid, cell.Fixed || grid.IsCurrentRow(cell.Row)));
    QString text = grid.Cells(cell.Col, cell.Row);
    if (cell.Col == 1 && cell.Row >= 1) text = fm.elidedText(text, Qt::ElideRight, std::max(0, area.width() - 6));
    DrawListText(p, grid, cell, area, text, color);
    if (skip && cell.Col == 1) {
        const int y = cell.Rect.top() + cell.Rect.height() / 2;
        p.setPen(QPen(color, 1));
        p.setClipRect(cell.Rect);
        p.drawLine(cell.Rect.left() + 2, y, cell.Rect.left() + fm.horizontalAdvance(text) + 10, y);
        p.setClipping(false);
    }
}

void PaintCrProfilesListCell(QPainter& p, const TStringGrid& grid, const tCellDraw& cell) {
    if (cell.Col > 1 || !Paintable(grid, cell)) return;
    const QPalette& pal = grid.palette();
    const bool nl = cell.Row >= 1 && grid.Cells(2, cell.Row) == QStringLiteral("NL");
    FillRect(p, cell.Rect, nl ? kNotSafeFill : kNoLookFill);
    if (cell.Row == 0)
        FillRect(p, cell.Rect, pal.color(QPalette::Button));
    else if (cell.Selected)
        FillRect(p, cell.Rect, pal.color(QPalette::Highlight));
    QColor color = pal.color(QPalette::Text);
    if (cell.Selected) color = nl ? kNotSafeFill : kNoLookFill;
    DrawListText(p, grid, cell, cell.Rect, grid.Cells(cell.Col, cell.Row), color);
}

namespace {

// The fitting's key of a grid's cells: what a cell's measure depends on besides its text.
QString MeasureKey(const TStringGrid& grid, const tColumnSet& bold) {
    return GridFont(grid, false).key() + QLatin1Char('|') + GridFont(grid, true).key() + QLatin1Char('|') +
           QString::fromStdString(bold.to_string()) + QLatin1Char('|') + QString::number(grid.FixedCols());
}

// Measures cell texts in the grid's normal and bold fonts: a text's width is
// taken once, and a data cell repeating the text last measured in its column
// takes that measure.
class TCellMeasurer {
public:
    TCellMeasurer(const TStringGrid& grid, int cols)
        : mNormal(GridFont(grid, false)), mStrong(GridFont(grid, true)), mLast(static_cast<size_t>(cols)),
          mSeen(static_cast<size_t>(cols), false) {}
    int LineHeight() const { return mStrong.height(); }

    tCellMeasure Cell(QString text, int row, int col, bool bold) {
        if (row == 0) return Measure(text, bold);
        const size_t c = static_cast<size_t>(col);
        if (!mSeen[c] || text != mLast[c].first) {
            mLast[c].second = Measure(text, bold);
            mLast[c].first = std::move(text);
            mSeen[c] = true;
        }
        return mLast[c].second;
    }

private:
    int Width(const QString& s, bool bold) {
        QHash<QString, int>& cache = bold ? mBoldCache : mNormalCache;
        auto it = cache.constFind(s);
        if (it != cache.constEnd()) return it.value();
        const int w = (bold ? mStrong : mNormal).horizontalAdvance(s);
        cache.insert(s, w);
        return w;
    }
    // The widest line and the line count; an empty text counts as one line of no width.
    tCellMeasure Measure(const QString& text, bool bold) {
        tCellMeasure m;
        m.Width = 0;
        if (text.isEmpty()) return m;
        if (!text.contains(QLatin1Char('\r'))) {
            m.Width = Width(text, bold);
            return m;
        }
        const QStringList parts = Lines(text);
        m.Lines = static_cast<int>(parts.size());
        for (const QString& l : parts) m.Width = std::max(m.Width, Width(l, bold));
        return m;
    }
    QFontMetrics mNormal, mStrong;
    QHash<QString, int> mNormalCache, mBoldCache;
    std::vector<std::pair<QString, tCellMeasure>> mLast;  // per column
    std::vector<bool> mSeen;
};

}  // namespace

void AutoSizeGrid(TStringGrid& grid, const tColumnSet& bold, const tColumnSet& sized) {
    const int cols = grid.ColCount();
    if (cols <= 1) return;
    TCellMeasurer measurer(grid, cols);
    // Cells measured in an earlier fitting keep their measure until their text changes.
    std::vector<tCellMeasure>& memo = grid.Model().Measures(MeasureKey(grid, bold));
    std::vector<int> widths(static_cast<size_t>(cols), 64);
    const int lineHeight = measurer.LineHeight();
    const int rows = grid.RowCount();
    std::vector<int> heights(static_cast<size_t>(rows), lineHeight + 4);
    for (int r = 0; r < rows; ++r) {
        int lines = 1;
        for (int c = 0; c < cols; ++c) {
            tCellMeasure& m = memo[static_cast<size_t>(r) * static_cast<size_t>(cols) + static_cast<size_t>(c)];
            if (m.Width < 0) {
                const bool b = c < grid.FixedCols() || r == 0 || (c < 256 && bold.test(static_cast<size_t>(c)));
                m = measurer.Cell(grid.Model().Cell(c, r), r, c, b);
            }
            lines = std::max(lines, m.Lines);
            widths[static_cast<size_t>(c)] = std::max(widths[static_cast<size_t>(c)], m.Width + 8);
        }
        heights[static_cast<size_t>(r)] = lineHeight * lines + 4;
    }
    grid.setUpdatesEnabled(false);
    // Most data rows share one height; only the others are set one by one.
    std::map<int, int> counts;
    for (int r = 1; r < rows; ++r) ++counts[heights[static_cast<size_t>(r)]];
    int common = lineHeight + 4;
    int best = -1;
    for (const auto& [h, n] : counts)
        if (n > best) {
            best = n;
            common = h;
        }
    grid.SetDataRowHeight(common);
    grid.SetRowHeight(0, heights[0]);
    for (int r = 1; r < rows; ++r)
        if (heights[static_cast<size_t>(r)] != common) grid.SetRowHeight(r, heights[static_cast<size_t>(r)]);
    for (int c = 0; c < cols; ++c)
        if (sized.none() || (c < 256 && sized.test(static_cast<size_t>(c)))) grid.SetColWidth(c, widths[static_cast<size_t>(c)]);
    grid.SyncScrollOffsets();
    grid.setUpdatesEnabled(true);
}

}  // namespace kestrova
