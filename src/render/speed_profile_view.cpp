#include "render/speed_profile_view.h"

#include "core/model/road_text.h"
#include "render/view_painting.h"

#include <QFontMetrics>
#include <QLine>
#include <QPolygonF>

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

namespace kestrova {

namespace {

using tValueOf = double (*)(const tPlanProfile&);

double MinFwdOf(const tPlanProfile& p) { return p.MinV[DirFwd]; }
double MinRevOf(const tPlanProfile& p) { return p.MinV[DirRev]; }
double FreeOf(const tPlanProfile& p) { return p.FreeV; }

struct tLegendItem {
    QString Text;
    QColor Color;
    int Kind = 0;  // 0 line, 1 filled box, 2 red boundary mark, 3 heading of the items after it
};

std::vector<tLegendItem> LegendItems(const tRoadModel& model, const tSpeedProfileOptions& o, const tProfileSpan& span) {
    std::vector<tLegendItem> items;
    if (!o.ShowLegend) return items;
    const tOverviewTexts& t = o.Texts;
    if (o.ShowMinFwd) items.push_back({t.MinFwd, kOverviewMinFwd, 0});
    if (o.ShowMinRev) items.push_back({t.MinRev, kOverviewMinRev, 0});
    if (o.ShowFree) items.push_back({t.Free, kOverviewFree, 0});
    for (int f = 0; f < kSpeedFactorCount; ++f)
        if (HasFactor(o.Factors, f)) items.push_back({t.FactorText(f), FactorColor(f), 0});
    if (o.ShowLocalities && !span.IsEmpty()) {
        bool any = false;
        for (int i = span.First; i <= span.Last && !any; ++i) any = model.Plan.Profiles[size_t(i)].IsLocality;
        if (any) items.push_back({t.Locality, kOverviewLocality, 1});
    }
    if (o.ShowPivot) {
        bool any = false;
        for (const tPivotRow& r : model.Pivot.Rows) any = any || r.ResumeFwd == -1 || r.ResumeRev == -1;
        if (any) items.push_back({t.NotSafe, kOverviewNotSafe, 2});
    }
    // The causes last, under their own heading: "Free speed" and "Locality"
    // name a line and a shading above as well as a cause here.
    if (o.ShowCauseBands && !span.IsEmpty()) {
        bool present[10] = {};
        for (int i = span.First; i <= span.Last; ++i)
            for (int d = 0; d < 2; ++d) {
                const int c = model.Plan.Profiles[size_t(i)].Cause[d];
                if (c >= 0 && c < 10) present[c] = true;
            }
        items.push_back({t.CauseHeading, QColor(), 3});
        for (int c = 0; c < 10; ++c)
            if (present[c]) items.push_back({t.CauseText(c), CauseColor(c), 1});
    }
    return items;
}

constexpr int kLegendSwatch = 18;

int LegendItemWidth(const QFontMetrics& fm, const tLegendItem& item) {
    if (item.Kind == 3) return fm.horizontalAdvance(item.Text) + 8;
    return kLegendSwatch + 4 + fm.horizontalAdvance(item.Text) + 14;
}

// Rows the legend needs in a width.
int LegendRows(const QFontMetrics& fm, const std::vector<tLegendItem>& items, int width) {
    if (items.empty()) return 0;
    int rows = 1, x = 0;
    for (const auto& item : items) {
        const int w = LegendItemWidth(fm, item);
        if (x > 0 && x + w > width) {
            ++rows;
            x = 0;
        }
        x += w;
    }
    return rows;
}

double NiceStep(double raw) {
    if (!(raw > 0)) return 1;
    const double p = std::pow(10.0, std::floor(std::log10(raw)));
    for (double m : {1.0, 2.0, 5.0, 10.0})
        if (m * p >= raw) return m * p;
    return 10 * p;
}

double DataMaxSpeed(const tRoadModel& model, const tSpeedProfileOptions& o, const tProfileSpan& span) {
    double v = 0;
    for (int i = span.First; i <= span.Last; ++i) {
        const tPlanProfile& p = model.Plan.Profiles[size_t(i)];
        if (o.ShowMinFwd) v = std::max(v, p.MinV[0]);
        if (o.ShowMinRev) v = std::max(v, p.MinV[1]);
        if (o.ShowFree) v = std::max(v, p.FreeV);
        for (int f = 0; f < kSpeedFactorCount; ++f)
            if (HasFactor(o.Factors, f)) v = std::max(v, FactorSpeed(p, f));
    }
    v = std::min(v, 300.0);
    return std::max(20.0, std::ceil((v + 1) / 20.0) * 20.0);
}

bool UsePerColumn(const tSpeedProfileOptions& o, const tSpeedProfileLayout& L, const tProfileSpan& span) {
    if (o.Detail == tOverviewDetail::PerColumn) return true;
    if (o.Detail == tOverviewDetail::Exact) return false;
    // Exact steps while a profile is at least about two pixels wide.
    const double perProfile = (span.Last - span.First + 1) > 0 ? double(L.Plot.width()) / (span.Last - span.First + 1) : 0;
    return perProfile < 2.0;
}

// The x extent [a, b) of profile i's step in metres: to the next profile, or a
// point for the last one.
inline double StepEnd(const TMPlan& plan, int i) {
    return i + 1 < plan.Count() ? plan.Profiles[size_t(i) + 1].Position : plan.Profiles[size_t(i)].Position;
}

// Pixel columns (0-based within the plot) that profile i's step touches.
inline bool StepColumns(const TMPlan& plan, const tSpeedProfileLayout& L, int i, int& c0, int& c1) {
    const int w = L.Plot.width();
    const double a = L.XOfKm(plan.Profiles[size_t(i)].Position) - L.Plot.left();
    const double bEnd = StepEnd(plan, i);
    double b = L.XOfKm(bEnd) - L.Plot.left();
    // A step reaches into the column where the next one begins, so each column
    // holds the value carried into it as well as those starting in it.
    int first = int(std::floor(a));
    int last = int(std::floor(b));
    if (last < first) last = first;
    if (last < 0 || first >= w) return false;
    c0 = std::max(0, first);
    c1 = std::min(w - 1, last);
    return true;
}

void DrawSeries(QPainter& painter, const tRoadModel& model, const tSpeedProfileLayout& L, const tProfileSpan& span,
                bool perColumn, const QColor& color, const std::function<double(const tPlanProfile&)>& valueOf,
                bool thick) {
    const TMPlan& plan = model.Plan;
    painter.setPen(QPen(color, 1));
    painter.setBrush(Qt::NoBrush);
    if (perColumn) {
        const int w = L.Plot.width();
        std::vector<float> lo(size_t(w), std::numeric_limits<float>::max());
        std::vector<float> hi(size_t(w), std::numeric_limits<float>::lowest());
        for (int i = span.First; i <= span.Last; ++i) {
            int c0, c1;
            if (!StepColumns(plan, L, i, c0, c1)) continue;
            const float v = float(valueOf(plan.Profiles[size_t(i)]));
            for (int c = c0; c <= c1; ++c) {
                lo[size_t(c)] = std::min(lo[size_t(c)], v);
                hi[size_t(c)] = std::max(hi[size_t(c)], v);
            }
        }
        std::vector<QLine> lines;
        lines.reserve(size_t(w));
        for (int c = 0; c < w; ++c) {
            if (lo[size_t(c)] > hi[size_t(c)]) continue;
            const int x = L.Plot.left() + c;
            const int y1 = int(std::lround(L.YOfSpeed(hi[size_t(c)])));
            const int y2 = int(std::lround(L.YOfSpeed(lo[size_t(c)])));
            lines.emplace_back(x, y1, x, y2 + (thick ? 1 : 0));
        }
        painter.drawLines(lines.data(), int(lines.size()));
        return;
    }
    QPolygon poly;
    poly.reserve(2 * (span.Last - span.First + 1));
    for (int i = span.First; i <= span.Last; ++i) {
        const tPlanProfile& p = plan.Profiles[size_t(i)];
        const int y = int(std::lround(L.YOfSpeed(valueOf(p))));
        const int xa = int(std::floor(L.XOfKm(p.Position)));
        const int xb = std::max(xa, int(std::floor(L.XOfKm(StepEnd(plan, i)))));
        poly << QPoint(xa, y) << QPoint(xb, y);
        if (i + 1 <= span.Last) {
            const int yn = int(std::lround(L.YOfSpeed(valueOf(plan.Profiles[size_t(i) + 1]))));
            poly << QPoint(xb, yn);
        }
    }
    painter.drawPolyline(poly);
    if (thick) {
        painter.translate(0, 1);
        painter.drawPolyline(poly);
        painter.translate(0, -1);
    }
}

void DrawBand(QPainter& painter, const tRoadModel& model, const tSpeedProfileLayout& L, const tProfileSpan& span,
              bool perColumn, int dir, const QRect& band) {
    const TMPlan& plan = model.Plan;
    const int w = L.Plot.width();
    // Cause per column: the cause of the lowest minimum touching it.
    std::vector<int> cause(size_t(w), -1);
    std::vector<float> best(size_t(w), std::numeric_limits<float>::max());
    for (int i = span.First; i <= span.Last; ++i) {
        int c0, c1;
        if (!StepColumns(plan, L, i, c0, c1)) continue;
        const tPlanProfile& p = plan.Profiles[size_t(i)];
        const float v = float(p.MinV[dir]);
        for (int c = c0; c <= c1; ++c) {
            if (perColumn) {
                if (v < best[size_t(c)]) {
                    best[size_t(c)] = v;
                    cause[size_t(c)] = p.Cause[dir];
                }
            } else {
                cause[size_t(c)] = p.Cause[dir];  // exact: the step that covers the column last
            }
        }
    }
    int c = 0;
    while (c < w) {
        const int k = cause[size_t(c)];
        int e = c + 1;
        while (e < w && cause[size_t(e)] == k) ++e;
        if (k >= 0) painter.fillRect(QRect(L.Plot.left() + c, band.top(), e - c, band.height()), CauseColor(k));
        c = e;
    }
    painter.setPen(QPen(QColor(120, 120, 120), 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(band.adjusted(0, 0, -1, -1));
}

void DrawArrow(QPainter& painter, int x, int y, int dir, int size) {
    QPolygon tri;
    if (dir == DirFwd)
        tri << QPoint(x, y - size / 2) << QPoint(x + size, y) << QPoint(x, y + size / 2);
    else
        tri << QPoint(x, y - size / 2) << QPoint(x - size, y) << QPoint(x, y + size / 2);
    painter.drawPolygon(tri);
}

}  // namespace

double tSpeedProfileLayout::XOfKm(double m) const {
    const double span = ToM - FromM;
    return Plot.left() + (span > 0 ? (m - FromM) / span * Plot.width() : 0);
}

double tSpeedProfileLayout::KmOfX(double x) const {
    const double w = Plot.width() > 0 ? Plot.width() : 1;
    return FromM + (x - Plot.left()) / w * (ToM - FromM);
}

double tSpeedProfileLayout::YOfSpeed(double v) const {
    const double vmax = VMax > 0 ? VMax : 1;
    const double c = std::clamp(v, 0.0, vmax);
    return Plot.top() + (1.0 - c / vmax) * (Plot.height() - 1);
}

tSpeedProfileLayout LayoutSpeedProfile(const tRoadModel& model, const tSpeedProfileOptions& o, const QRect& area,
                                       const QFontMetrics& fm) {
    tSpeedProfileLayout L;
    L.Area = area;
    const tKmRange r = EffectiveRange(model.Plan, o.Range);
    L.FromM = r.FromM;
    L.ToM = r.ToM;
    const tProfileSpan span = ProfilesInRange(model.Plan, o.Range);
    L.VMax = o.MaxSpeed > 0 ? o.MaxSpeed : (span.IsEmpty() ? 100 : DataMaxSpeed(model, o, span));
    const int fh = fm.height();
    const auto items = LegendItems(model, o, span);
    const int legendRows = LegendRows(fm, items, std::max(50, area.width() - 16));
    const int legendH = legendRows > 0 ? legendRows * (fh + 2) + 4 : 0;
    const int left = area.left() + 8 +
                     std::max({fm.horizontalAdvance(QStringLiteral("300")), fm.horizontalAdvance(o.Texts.BandFwd),
                               fm.horizontalAdvance(o.Texts.BandRev)}) + 6;
    const int right = area.right() - 14;
    const int top = area.top() + 4 + legendH + fh + 4;
    const int bandH = std::max(8, fh);
    const int bands = o.ShowCauseBands ? 2 * (bandH + 3) : 0;
    const int bottom = area.bottom() - 4 - bands - (fh + 6);
    L.Legend = legendH > 0 ? QRect(area.left() + 8, area.top() + 4, area.width() - 16, legendH) : QRect();
    L.Plot = QRect(QPoint(left, top), QPoint(std::max(left + 1, right), std::max(top + 1, bottom)));
    if (o.ShowCauseBands) {
        L.BandFwd = QRect(L.Plot.left(), L.Plot.bottom() + fh + 7, L.Plot.width(), bandH);
        L.BandRev = QRect(L.Plot.left(), L.BandFwd.bottom() + 4, L.Plot.width(), bandH);
    }
    return L;
}

namespace {

// Localities behind everything.
void DrawLocalities(QPainter& painter, const TMPlan& plan, const tSpeedProfileLayout& L, const tProfileSpan& span) {
    const QRect& P = L.Plot;
    int i = span.First;
    while (i <= span.Last) {
        if (!plan.Profiles[size_t(i)].IsLocality) {
            ++i;
            continue;
        }
        int j = i;
        while (j + 1 <= span.Last && plan.Profiles[size_t(j) + 1].IsLocality) ++j;
        const int xa = std::max(P.left(), int(std::floor(L.XOfKm(plan.Profiles[size_t(i)].Position))));
        const int xb = std::min(P.right(), int(std::ceil(L.XOfKm(StepEnd(plan, j)))));
        if (xb >= xa) painter.fillRect(QRect(xa, P.top(), xb - xa + 1, P.height()), kOverviewLocality);
        i = j + 1;
    }
}

// Grid: speed lines and km+ lines with labels, and the axis titles.
void DrawSpeedGrid(QPainter& painter, const QRect& area, const QFontMetrics& fm, const tSpeedProfileLayout& L,
                   const tOverviewTexts& texts) {
    const QRect& P = L.Plot;
    const int fh = fm.height();
    const QColor gridColor(215, 215, 215);
    painter.setPen(QPen(gridColor, 1));
    const double vStep = NiceStep(L.VMax / std::max(2.0, P.height() / double(2 * fh + 6)));
    painter.setPen(Qt::black);
    for (double v = 0; v <= L.VMax + 1e-9; v += vStep) {
        const int y = int(std::lround(L.YOfSpeed(v)));
        painter.setPen(QPen(gridColor, 1));
        painter.drawLine(P.left(), y, P.right(), y);
        painter.setPen(Qt::black);
        const QString text = QString::number(v);
        painter.drawText(QRect(area.left(), y - fh / 2, P.left() - 4 - area.left(), fh),
                         Qt::AlignRight | Qt::AlignVCenter, text);
    }
    const double span_m = L.ToM - L.FromM;
    const int labelW = fm.horizontalAdvance(QStringLiteral("000+000")) + 16;
    const double kmStep = NiceStep(span_m / std::max(1.0, double(P.width()) / labelW));
    for (double m = std::ceil(L.FromM / kmStep) * kmStep; m <= L.ToM + 1e-6; m += kmStep) {
        const int x = int(std::floor(L.XOfKm(m)));
        if (x < P.left() || x > P.right()) continue;
        painter.setPen(QPen(gridColor, 1));
        painter.drawLine(x, P.top(), x, P.bottom());
        painter.setPen(Qt::black);
        painter.drawLine(x, P.bottom(), x, P.bottom() + 3);
        const QString text = FormatKmPlus(kmStep < 1, m);
        const int tw = fm.horizontalAdvance(text);
        painter.drawText(QPoint(std::clamp(x - tw / 2, area.left(), area.right() - tw), P.bottom() + 4 + fm.ascent()),
                         text);
    }
    painter.setPen(Qt::black);
    painter.drawText(QPoint(area.left() + 4, P.top() - 4 - fm.descent()), texts.AxisSpeed);
    const int tw = fm.horizontalAdvance(texts.AxisKm);
    painter.drawText(QPoint(area.right() - tw - 2, P.top() - 4 - fm.descent()), texts.AxisKm);
}

// Crossroads at their km+, labels at the top.
void DrawCrossRoadMarks(QPainter& painter, const tRoadModel& model, const QFontMetrics& fm,
                        const tSpeedProfileLayout& L, const tOverviewTexts& texts) {
    const QRect& P = L.Plot;
    const int fh = fm.height();
    for (const tCrossRoadRec& cr : model.CrossRoads.Roads) {
        if (cr.Skip) continue;
        if (cr.CrossKm < L.FromM || cr.CrossKm > L.ToM) continue;
        const int x = int(std::floor(L.XOfKm(cr.CrossKm)));
        const bool nv = cr.NotVisible[0] || cr.NotVisible[1];
        painter.setPen(QPen(nv ? kOverviewNotSafe : QColor(90, 90, 90), 1, Qt::DashLine));
        painter.drawLine(x, P.top(), x, P.bottom());
        const QPoint at(x + 2, P.top() + fh + 12 + fm.ascent());
        painter.setPen(QColor(60, 60, 60));
        painter.drawText(at, cr.Name);
        if (nv) {
            painter.setPen(kOverviewNotSafe);
            painter.drawText(at + QPoint(0, fh), texts.CrossRoadNotVisible);
        }
    }
}

// The chosen speed series inside the plot, the minimum speeds last.
void DrawChosenSeries(QPainter& painter, const tRoadModel& model, const tSpeedProfileOptions& o,
                      const tSpeedProfileLayout& L, const tProfileSpan& span, bool perColumn) {
    if (o.ShowFree) DrawSeries(painter, model, L, span, perColumn, kOverviewFree, FreeOf, false);
    for (int f = 0; f < kSpeedFactorCount; ++f)
        if (HasFactor(o.Factors, f))
            DrawSeries(painter, model, L, span, perColumn, FactorColor(f),
                       [f](const tPlanProfile& p) { return FactorSpeed(p, f); }, false);
    if (o.ShowMinRev) DrawSeries(painter, model, L, span, perColumn, kOverviewMinRev, MinRevOf, true);
    if (o.ShowMinFwd) DrawSeries(painter, model, L, span, perColumn, kOverviewMinFwd, MinFwdOf, true);
}

// Not-safe boundaries: a red line with an arrow in the direction of travel.
void DrawNotSafeBoundaries(QPainter& painter, const tRoadModel& model, const tSpeedProfileLayout& L) {
    const QRect& P = L.Plot;
    painter.setBrush(kOverviewNotSafe);
    for (const tPivotRow& r : model.Pivot.Rows) {
        for (int d = 0; d < 2; ++d) {
            const int verdict = d == DirFwd ? r.ResumeFwd : r.ResumeRev;
            if (verdict != -1) continue;
            const double m = d == DirFwd ? r.KmBeg : r.KmEnd;
            if (m < L.FromM || m > L.ToM) continue;
            const int x = int(std::floor(L.XOfKm(m)));
            painter.setPen(QPen(kOverviewNotSafe, 2));
            painter.drawLine(x, P.top(), x, P.bottom());
            painter.setPen(QPen(kOverviewNotSafe, 1));
            DrawArrow(painter, x, P.top() + 6 + (d == DirRev ? 12 : 0), d, 10);
        }
    }
    painter.setBrush(Qt::NoBrush);
}

// The two cause bands under the plot with their titles.
void DrawCauseBands(QPainter& painter, const QRect& area, const tRoadModel& model, const tSpeedProfileLayout& L,
                    const tProfileSpan& span, bool perColumn, const tOverviewTexts& texts) {
    const QRect& P = L.Plot;
    DrawBand(painter, model, L, span, perColumn, DirFwd, L.BandFwd);
    DrawBand(painter, model, L, span, perColumn, DirRev, L.BandRev);
    painter.setPen(Qt::black);
    painter.drawText(QRect(area.left(), L.BandFwd.top() - 2, P.left() - 4 - area.left(), L.BandFwd.height() + 4),
                     Qt::AlignRight | Qt::AlignVCenter, texts.BandFwd);
    painter.drawText(QRect(area.left(), L.BandRev.top() - 2, P.left() - 4 - area.left(), L.BandRev.height() + 4),
                     Qt::AlignRight | Qt::AlignVCenter, texts.BandRev);
}

// The cursor line at the selected profile, through the bands when shown.
void DrawCursorLine(QPainter& painter, const TMPlan& plan, const tSpeedProfileOptions& o,
                    const tSpeedProfileLayout& L) {
    if (o.CursorProfile < 0 || o.CursorProfile >= plan.Count()) return;
    const double m = plan.Profiles[size_t(o.CursorProfile)].Position;
    if (m < L.FromM || m > L.ToM) return;
    const int x = int(std::floor(L.XOfKm(m)));
    painter.setPen(QPen(kOverviewCursor, 1));
    painter.drawLine(x, L.Plot.top(), x, o.ShowCauseBands ? L.BandRev.bottom() : L.Plot.bottom());
}

// Legend items in rows across the legend box.
void DrawLegend(QPainter& painter, const QFontMetrics& fm, const QRect& box, const std::vector<tLegendItem>& items) {
    const int fh = fm.height();
    int x = box.left(), y = box.top();
    for (const auto& item : items) {
        const int w = LegendItemWidth(fm, item);
        if (x > box.left() && x + w > box.right()) {
            x = box.left();
            y += fh + 2;
        }
        const int cy = y + fh / 2;
        if (item.Kind == 3) {
            painter.setPen(Qt::black);
            painter.drawText(QPoint(x, y + fm.ascent()), item.Text);
            x += w;
            continue;
        }
        if (item.Kind == 0) {
            painter.setPen(QPen(item.Color, 2));
            painter.drawLine(x, cy, x + kLegendSwatch, cy);
        } else if (item.Kind == 1) {
            painter.fillRect(QRect(x, cy - 4, kLegendSwatch, 9), item.Color);
        } else {
            painter.setPen(QPen(item.Color, 2));
            painter.drawLine(x + kLegendSwatch / 2, y + 1, x + kLegendSwatch / 2, y + fh - 1);
        }
        painter.setPen(Qt::black);
        painter.drawText(QPoint(x + kLegendSwatch + 4, y + fm.ascent()), item.Text);
        x += w;
    }
}

}  // namespace

tSpeedProfileLayout PaintSpeedProfile(QPainter& painter, const QRect& area, const tRoadModel& model,
                                      const tSpeedProfileOptions& o) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    painter.setFont(ViewFont(o.FontPointSize));
    const QFontMetrics fm(painter.font(), painter.device());
    const tSpeedProfileLayout L = LayoutSpeedProfile(model, o, area, fm);
    const TMPlan& plan = model.Plan;
    const tProfileSpan span = ProfilesInRange(plan, o.Range);
    const bool perColumn = UsePerColumn(o, L, span);
    const QRect& P = L.Plot;

    painter.fillRect(area, o.Background);
    painter.setClipRect(area);
    if (o.ShowLocalities) DrawLocalities(painter, plan, L, span);
    DrawSpeedGrid(painter, area, fm, L, o.Texts);

    if (span.IsEmpty()) {
        painter.drawText(P, Qt::AlignCenter, o.Texts.NoData);
    } else {
        if (o.ShowCrossRoads) DrawCrossRoadMarks(painter, model, fm, L, o.Texts);
        painter.setClipRect(P.adjusted(0, -1, 1, 1));
        DrawChosenSeries(painter, model, o, L, span, perColumn);
        painter.setClipRect(area);
        if (o.ShowPivot) DrawNotSafeBoundaries(painter, model, L);
        if (o.ShowCauseBands) DrawCauseBands(painter, area, model, L, span, perColumn, o.Texts);
        DrawCursorLine(painter, plan, o, L);
    }

    // Axes.
    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(P.adjusted(0, 0, -1, -1));

    const auto items = LegendItems(model, o, span);
    if (!items.empty() && !L.Legend.isEmpty()) DrawLegend(painter, fm, L.Legend, items);
    painter.restore();
    return L;
}

QImage RenderSpeedProfile(const tRoadModel& model, const tSpeedProfileOptions& options, const QSize& size) {
    return RenderOverviewImage(size, options.Background, [&](QPainter& painter, const QRect& rect) {
        PaintSpeedProfile(painter, rect, model, options);
    });
}

int SpeedProfileProfileAt(const tRoadModel& model, const tSpeedProfileLayout& layout, double x) {
    const TMPlan& plan = model.Plan;
    if (plan.Count() == 0 || x < layout.Plot.left() || x > layout.Plot.right()) return -1;
    const double m = layout.KmOfX(x + 0.5);
    // The profile whose step covers m.
    auto it = std::upper_bound(plan.Profiles.begin(), plan.Profiles.end(), m,
                               [](double v, const tPlanProfile& p) { return v < p.Position; });
    int i = int(it - plan.Profiles.begin()) - 1;
    return std::clamp(i, 0, plan.Count() - 1);
}

}  // namespace kestrova
