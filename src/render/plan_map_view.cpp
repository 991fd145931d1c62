#include "render/plan_map_view.h"

#include "core/model/road_text.h"
#include "render/render_options.h"
#include "render/view_painting.h"

#include <QFontMetrics>
#include <QLinearGradient>
#include <QPolygonF>

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

namespace kestrova {

namespace {

double LowerMin(const tPlanProfile& p) { return std::min(p.MinV[0], p.MinV[1]); }

// Verdict of every profile: -1 when its pivot segment is not safe in a
// direction, 1 when safe, 0 without a verdict.
std::vector<int8_t> ProfileVerdicts(const tRoadModel& model) {
    const int n = model.Plan.Count();
    std::vector<int8_t> v(size_t(n), 0);
    for (const tPivotRow& r : model.Pivot.Rows) {
        int8_t verdict = 0;
        if (r.ResumeFwd == -1 || r.ResumeRev == -1)
            verdict = -1;
        else if (r.ResumeFwd == 1 || r.ResumeRev == 1)
            verdict = 1;
        const int a = std::max(0, r.FirstIndex);
        const int b = std::min(n - 1, r.LastIndex);
        for (int i = a; i <= b; ++i)
            if (i < r.LastIndex || i == n - 1 || v[size_t(i)] == 0) v[size_t(i)] = verdict;
    }
    return v;
}

QColor VerdictColor(int verdict) {
    return verdict < 0 ? kOverviewNotSafe : verdict > 0 ? kOverviewSafe : kOverviewSkip;
}

double NiceLength(double raw) {
    if (!(raw > 0)) return 1;
    const double p = std::pow(10.0, std::floor(std::log10(raw)));
    double best = p;
    for (double m : {1.0, 2.0, 5.0})
        if (m * p <= raw) best = m * p;
    return best;
}

QString LengthText(const tOverviewTexts& t, double metres) {
    if (metres >= 1000) return ShortestText(metres / 1000) + QLatin1Char(' ') + t.Kilometres;
    return ShortestText(metres) + QLatin1Char(' ') + t.Metres;
}

}  // namespace

QPointF tPlanMapLayout::ToPixel(double x, double y) const {
    const double mpp = MetresPerPixel > 0 ? MetresPerPixel : 1;
    const QPointF c = QRectF(Area).center();
    return QPointF(c.x() + (x - Centre.x()) / mpp, c.y() - (y - Centre.y()) / mpp);
}

QPointF tPlanMapLayout::ToPlan(const QPointF& pixel) const {
    const double mpp = MetresPerPixel > 0 ? MetresPerPixel : 1;
    const QPointF c = QRectF(Area).center();
    return QPointF(Centre.x() + (pixel.x() - c.x()) * mpp, Centre.y() - (pixel.y() - c.y()) * mpp);
}

QColor SpeedScaleColor(double v, double lo, double hi) {
    double t = hi > lo ? (v - lo) / (hi - lo) : 1.0;
    t = std::clamp(t, 0.0, 1.0);
    // red (0) -> yellow (0.5) -> green (1)
    if (t < 0.5) return QColor(230, int(std::lround(40 + 170 * (t / 0.5))), 0);
    return QColor(int(std::lround(230 - 200 * ((t - 0.5) / 0.5))), int(std::lround(210 - 40 * ((t - 0.5) / 0.5))), 0);
}

tPlanMapLayout LayoutPlanMap(const tRoadModel& model, const tPlanMapOptions& o, const QRect& area) {
    tPlanMapLayout L;
    L.Area = area;
    const TMPlan& plan = model.Plan;
    const tProfileSpan span = ProfilesInRange(plan, o.Range);
    double lo = std::numeric_limits<double>::max(), hi = std::numeric_limits<double>::lowest();
    double x0 = lo, y0 = lo, x1 = hi, y1 = hi;
    const tKmRange r = EffectiveRange(plan, o.Range);
    for (int i = span.First; i <= span.Last; ++i) {
        const tPlanProfile& p = plan.Profiles[size_t(i)];
        const double v = LowerMin(p);
        lo = std::min(lo, v);
        hi = std::max(hi, v);
        if (p.Position < r.FromM - 1e-9 && i < span.Last) continue;  // the step entering the stretch
        if (p.Position > r.ToM + 1e-9 && i > span.First) continue;
        x0 = std::min(x0, p.KeyPoint0.X);
        x1 = std::max(x1, p.KeyPoint0.X);
        y0 = std::min(y0, p.KeyPoint0.Y);
        y1 = std::max(y1, p.KeyPoint0.Y);
    }
    if (o.SpeedScaleMax > o.SpeedScaleMin) {
        L.SpeedMin = o.SpeedScaleMin;
        L.SpeedMax = o.SpeedScaleMax;
    } else if (hi >= lo) {
        L.SpeedMin = lo;
        L.SpeedMax = hi > lo ? hi : lo + 1;
    }
    if (o.MetresPerPixel > 0) {
        L.MetresPerPixel = o.MetresPerPixel;
        L.Centre = o.Centre;
        return L;
    }
    if (x1 < x0) {
        L.MetresPerPixel = 1;
        return L;
    }
    const int margin = 30;
    const double w = std::max(1, area.width() - 2 * margin);
    const double h = std::max(1, area.height() - 2 * margin);
    L.MetresPerPixel = std::max({(x1 - x0) / w, (y1 - y0) / h, 0.01});
    L.Centre = QPointF((x0 + x1) / 2, (y0 + y1) / 2);
    return L;
}

namespace {

// Vegetation and buildings as outlines.
void DrawGreenOutlines(QPainter& painter, const tRoadModel& model, const tPlanMapLayout& L, const QRectF& visible) {
    painter.setBrush(Qt::NoBrush);
    for (const tGreenRec& g : model.Greens.Objects) {
        if (g.Points.size() < 2) continue;
        QPolygonF poly;
        for (const tRoadPoint& pt : g.Points) poly << L.ToPixel(pt.X, pt.Y);
        if (!poly.boundingRect().adjusted(-1, -1, 1, 1).intersects(visible)) continue;
        painter.setPen(QPen(KindColor(g.IsVegetation ? 5 : 4), 1));
        painter.drawPolygon(poly);
    }
}

// Crossroads as lines: "NV" red, "SKIP" grey.
void DrawCrossRoadLines(QPainter& painter, const tRoadModel& model, const tPlanMapOptions& o, const tPlanMapLayout& L,
                        const QRectF& visible) {
    for (const tCrossRoadRec& cr : model.CrossRoads.Roads) {
        if (cr.Points.size() < 2) continue;
        QPolygonF poly;
        for (const tRoadPoint& pt : cr.Points) poly << L.ToPixel(pt.X, pt.Y);
        if (!poly.boundingRect().adjusted(-1, -1, 1, 1).intersects(visible)) continue;
        const bool nv = !cr.Skip && (cr.NotVisible[0] || cr.NotVisible[1]);
        const QColor c = cr.Skip ? kOverviewSkip : nv ? kOverviewNotSafe : QColor(60, 60, 60);
        painter.setPen(QPen(c, 2));
        painter.drawPolyline(poly);
        QString label = cr.Name;
        if (cr.Skip)
            label += QLatin1Char(' ') + o.Texts.CrossRoadSkip;
        else if (nv)
            label += QLatin1Char(' ') + o.Texts.CrossRoadNotVisible;
        painter.setPen(c);
        painter.drawText(poly.last() + QPointF(4, -4), label);
    }
}

// The plan line over the span, merged into runs of one colour and thinned to about a pixel.
void DrawPlanLine(QPainter& painter, const tRoadModel& model, const tPlanMapOptions& o, const tPlanMapLayout& L,
                  const tProfileSpan& span, const QRectF& visible) {
    const TMPlan& plan = model.Plan;
    const bool byVerdict = o.Colouring == tMapColouring::Verdict;
    const std::vector<int8_t> verdicts = byVerdict ? ProfileVerdicts(model) : std::vector<int8_t>();
    const int levels = 32;
    auto colourKey = [&](int i) -> int {
        if (byVerdict) return verdicts[size_t(i)];
        const double t = L.SpeedMax > L.SpeedMin ? (LowerMin(plan.Profiles[size_t(i)]) - L.SpeedMin) /
                                                       (L.SpeedMax - L.SpeedMin)
                                                 : 1.0;
        return int(std::lround(std::clamp(t, 0.0, 1.0) * (levels - 1)));
    };
    auto keyColour = [&](int key) -> QColor {
        if (byVerdict) return VerdictColor(key);
        return SpeedScaleColor(L.SpeedMin + (L.SpeedMax - L.SpeedMin) * key / double(levels - 1), L.SpeedMin,
                               L.SpeedMax);
    };
    const bool thin = o.Detail != tOverviewDetail::Exact;
    painter.setBrush(Qt::NoBrush);
    QPolygonF run;
    int runKey = colourKey(span.First);
    auto flush = [&](int key) {
        if (run.size() >= 2 && run.boundingRect().adjusted(-1, -1, 1, 1).intersects(visible)) {
            QPen pen(keyColour(key), o.LineWidth);
            pen.setCapStyle(Qt::FlatCap);
            pen.setJoinStyle(Qt::RoundJoin);
            painter.setPen(pen);
            painter.drawPolyline(run);
        }
    };
    QPointF last = L.ToPixel(plan.Profiles[size_t(span.First)].KeyPoint0.X, plan.Profiles[size_t(span.First)].KeyPoint0.Y);
    run << last;
    for (int i = span.First; i < span.Last; ++i) {
        const int key = colourKey(i);
        const tRoadPoint& b = plan.Profiles[size_t(i) + 1].KeyPoint0;
        const QPointF pb = L.ToPixel(b.X, b.Y);
        if (key != runKey) {
            flush(runKey);
            run.clear();
            run << last;
            runKey = key;
        }
        const bool end = i + 1 == span.Last;
        if (!thin || end || std::abs(pb.x() - last.x()) + std::abs(pb.y() - last.y()) >= 1.0 || colourKey(i + 1) != key) {
            run << pb;
            last = pb;
        }
    }
    flush(runKey);
}

// Marker of the selected profile: a ringed cross and its km+.
void DrawProfileMarker(QPainter& painter, const tPlanProfile& p, const tPlanMapLayout& L) {
    const QPointF c = L.ToPixel(p.KeyPoint0.X, p.KeyPoint0.Y);
    painter.setPen(QPen(kOverviewCursor, 2));
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(c, 7, 7);
    painter.drawLine(c + QPointF(-11, 0), c + QPointF(-4, 0));
    painter.drawLine(c + QPointF(4, 0), c + QPointF(11, 0));
    painter.setPen(Qt::black);
    painter.drawText(c + QPointF(10, -10), FormatKmPlus(true, p.Position));
}

// North arrow, top right.
void DrawNorthArrow(QPainter& painter, const QRect& area, const QFontMetrics& fm, const QString& north) {
    const int fh = fm.height();
    const int x = area.right() - 24, y = area.top() + 12;
    QPolygon arrow;
    arrow << QPoint(x, y + fh) << QPoint(x - 7, y + fh + 24) << QPoint(x, y + fh + 18) << QPoint(x + 7, y + fh + 24);
    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(Qt::black);
    painter.drawPolygon(arrow);
    painter.setBrush(Qt::NoBrush);
    const int tw = fm.horizontalAdvance(north);
    painter.drawText(QPoint(x - tw / 2, y + fm.ascent() - 2), north);
}

// Scale bar of a round length, bottom left.
void DrawScaleBar(QPainter& painter, const QRect& area, const QFontMetrics& fm, const tOverviewTexts& texts,
                  double metresPerPixel) {
    const double metres = NiceLength(metresPerPixel * std::min(150, std::max(40, area.width() / 5)));
    const int px = std::max(1, int(std::lround(metres / metresPerPixel)));
    const int x = area.left() + 12, y = area.bottom() - 12;
    painter.fillRect(QRect(x, y - 4, px, 5), Qt::black);
    painter.fillRect(QRect(x + px / 2, y - 3, px - px / 2 - 1, 3), Qt::white);
    painter.setPen(Qt::black);
    painter.drawText(QPoint(x, y - 8 - fm.descent()), LengthText(texts, metres));
}

// Legend of the colouring, bottom right: the speed scale or the three verdicts.
void DrawLegend(QPainter& painter, const QRect& area, const QFontMetrics& fm, const tPlanMapOptions& o,
                const tPlanMapLayout& L) {
    const int fh = fm.height();
    const int w = 150, x = area.right() - w - 12;
    if (o.Colouring == tMapColouring::MinSpeed) {
        const int y = area.bottom() - 12 - 10 - fh;
        QLinearGradient g(x, 0, x + w, 0);
        for (int k = 0; k <= 10; ++k)
            g.setColorAt(k / 10.0,
                         SpeedScaleColor(L.SpeedMin + (L.SpeedMax - L.SpeedMin) * k / 10.0, L.SpeedMin, L.SpeedMax));
        painter.fillRect(QRect(x, y, w, 10), g);
        painter.setPen(Qt::black);
        painter.drawRect(QRect(x, y, w - 1, 9));
        painter.drawText(QPoint(x, y + 10 + fm.ascent()), ShortestText(L.SpeedMin));
        const QString hiText = ShortestText(L.SpeedMax);
        painter.drawText(QPoint(x + w - fm.horizontalAdvance(hiText), y + 10 + fm.ascent()), hiText);
        const QString caption = o.Texts.MinSpeedScale;
        painter.drawText(QPoint(x + w - fm.horizontalAdvance(caption), y - 3 - fm.descent()), caption);
        return;
    }
    const QString texts[3] = {o.Texts.NotSafe, o.Texts.Safe, o.Texts.NoVerdict};
    const int verdicts[3] = {-1, 1, 0};
    int y = area.bottom() - 12 - 3 * (fh + 2);
    for (int k = 0; k < 3; ++k) {
        painter.fillRect(QRect(x, y + fh / 2 - 2, 18, 5), VerdictColor(verdicts[k]));
        painter.setPen(Qt::black);
        painter.drawText(QPoint(x + 24, y + fm.ascent()), texts[k]);
        y += fh + 2;
    }
}

}  // namespace

tPlanMapLayout PaintPlanMap(QPainter& painter, const QRect& area, const tRoadModel& model, const tPlanMapOptions& o) {
    painter.save();
    const tPlanMapLayout L = LayoutPlanMap(model, o, area);
    const TMPlan& plan = model.Plan;
    const tProfileSpan span = ProfilesInRange(plan, o.Range);
    painter.fillRect(area, o.Background);
    painter.setClipRect(area);
    painter.setFont(ViewFont(o.FontPointSize));
    painter.setRenderHint(QPainter::Antialiasing, true);
    const QFontMetrics fm(painter.font(), painter.device());
    const QRectF visible = QRectF(area).adjusted(-50, -50, 50, 50);

    if (o.ShowGreens) DrawGreenOutlines(painter, model, L, visible);
    if (o.ShowCrossRoads) DrawCrossRoadLines(painter, model, o, L, visible);
    if (!span.IsEmpty()) DrawPlanLine(painter, model, o, L, span, visible);
    painter.setRenderHint(QPainter::Antialiasing, false);
    if (o.MarkerProfile >= 0 && o.MarkerProfile < plan.Count())
        DrawProfileMarker(painter, plan.Profiles[size_t(o.MarkerProfile)], L);
    if (o.ShowNorthArrow) DrawNorthArrow(painter, area, fm, o.Texts.North);
    if (o.ShowScaleBar) DrawScaleBar(painter, area, fm, o.Texts, L.MetresPerPixel);
    if (o.ShowLegend) DrawLegend(painter, area, fm, o, L);
    if (span.IsEmpty()) {
        painter.setPen(Qt::black);
        painter.drawText(area, Qt::AlignCenter, o.Texts.NoData);
    }
    painter.restore();
    return L;
}

QImage RenderPlanMap(const tRoadModel& model, const tPlanMapOptions& options, const QSize& size) {
    return RenderOverviewImage(size, options.Background, [&](QPainter& painter, const QRect& rect) {
        PaintPlanMap(painter, rect, model, options);
    });
}

int PlanMapProfileAt(const tRoadModel& model, const tPlanMapLayout& layout, const QPointF& pixel, double maxPixels) {
    int best = -1;
    double bestD = maxPixels * maxPixels;
    const auto& ps = model.Plan.Profiles;
    for (size_t i = 0; i < ps.size(); ++i) {
        const QPointF q = layout.ToPixel(ps[i].KeyPoint0.X, ps[i].KeyPoint0.Y);
        const double dx = q.x() - pixel.x(), dy = q.y() - pixel.y();
        const double d = dx * dx + dy * dy;
        if (d <= bestD) {
            if (d < bestD || best < 0) best = int(i);
            bestD = d;
        }
    }
    return best;
}

}  // namespace kestrova
