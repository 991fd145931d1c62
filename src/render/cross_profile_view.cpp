#include "cross_profile_view.h"

#include "calc/geometry.h"
#include "model/road_text.h"
#include "view_painting.h"

#include <QFontMetrics>
#include <QLocale>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace kestrova {

namespace {

int Round(double x) { return static_cast<int>(std::lround(x)); }

QString Rounded2(double x) { return FormatRounded(2, x, QLocale().decimalPoint()); }

// Station of a point that need not lie on the section: its plan distance
// from the section's first point, negative when it lies before that point
// in the direction the section runs.
double SignedStation(const tRoadPoint& first, const tRoadPoint& last, const tRoadPoint& p) {
    double station = Distance(first.X, first.Y, p.X, p.Y);
    const bool byY = std::fabs(last.X - first.X) <= 1e-5;
    const double f = byY ? first.Y : first.X;
    const double e = byY ? last.Y : last.X;
    const double c = byY ? p.Y : p.X;
    if ((e > f && c <= f) || (e < f && c >= f)) station = -station;
    return station;
}

void AddSnap(std::vector<tSnapEntry>& list, int32_t& count, int pixel, double value) {
    if (count >= static_cast<int32_t>(list.size())) list.resize(list.size() + 32);
    list[count++] = tSnapEntry{pixel, value};
}

// A straight line drawn as separate dash strokes; dash 0 draws it solid.
void DashedLine(QPainter& painter, QPointF a, QPointF b, int dash, int gap) {
    const double len = std::hypot(b.x() - a.x(), b.y() - a.y());
    if (dash <= 0 || len < 1e-9) {
        painter.drawLine(a, b);
        return;
    }
    const QPointF u = (b - a) / len;
    for (double pos = 0; pos < len; pos += dash + std::max(gap, 1)) {
        const double end = std::min(len, pos + dash);
        painter.drawLine((a + u * pos).toPoint(), (a + u * end).toPoint());
    }
}

// Dash and gap of grid line number u (0 solid, odd short dashes, even even dashes).
void GridDash(int u, double D, int& dash, int& gap) {
    if (u == 0) {
        dash = gap = 0;
    } else if (u % 2 != 0) {
        dash = std::max(1, Round(D / 20));
        gap = Round(3 * D / 20);
    } else {
        dash = std::max(1, Round(D / 10));
        gap = Round(D / 10);
    }
}

void CrossMark(QPainter& painter, int x, int y, int arm) {
    painter.drawLine(x, y - arm, x, y + arm);
    painter.drawLine(x - arm, y, x + arm, y);
}

bool IsObjectKind(int kind) { return kind == 4 || kind == 5; }

}  // namespace

tCrossProfileResult DrawCrossProfile(tRoadModel& model, const tViewOptions& options, tProfileData& pd,
                                     QImage& image) {
    tCrossProfileResult result;
    if (!PrepareSurface(image, options.Target)) return result;
    pd.SnapXCount = pd.SnapYCount = 0;
    pd.Scale = 0;
    pd.Points.clear();
    pd.Invisible[0] = pd.Invisible[1] = tStationPoint();
    const int r = options.Profile;
    if (r < 0 || r >= model.Plan.Count()) return result;
    tPlanProfile& prof = model.Plan.Profiles[r];

    const int W = image.width(), H = image.height();
    const int ppi = SurfacePpi(options.Target);
    const int m = Round(ppi / 6.0);
    const double D = ppi / 2.54;
    const int lineW = std::max(1, Round(ppi / 96.0));

    QPainter painter(&image);
    // Frame.
    const int frameL = m, frameT = m, frameW = W - 2 * m, frameH = H - 2 * m;
    const int frameR = frameL + frameW, frameB = frameT + frameH;
    painter.setPen(QPen(Qt::black, lineW));
    painter.setBrush(Qt::white);
    DrawFrameRect(painter, frameL, frameT, frameR, frameB);
    painter.setBrush(Qt::NoBrush);
    // Everything else stays inside the frame: a section a little wider than
    // the room, a round line cap or a grid label never crosses its border.
    painter.setClipRect(QRect(frameL + lineW, frameT + lineW, frameW - 2 * lineW, frameH - 2 * lineW));
    QFont font = ViewFont(8);
    painter.setFont(font);
    const int labelW = QFontMetrics(font, &image).horizontalAdvance(QStringLiteral("-1000 m")) + m / 2;
    const int E = QFontMetrics(font, &image).height();
    if (prof.Segments.empty()) return result;

    // Point list: the uncovered segments' starts, then the section's end.
    const tRoadPoint& first = prof.Segments.front().A;
    const tRoadPoint& last = prof.Segments.back().B;
    auto& pts = pd.Points;
    for (const auto& s : prof.Segments)
        if (!s.Covered) pts.push_back({Distance(first.X, first.Y, s.A.X, s.A.Y), s.A.H, 0, 0, s.Kind});
    pts.push_back({Distance(first.X, first.Y, last.X, last.Y), last.H, 0, 0, 3});
    const int n = static_cast<int>(pts.size());

    // Invisible points and crossroads look points.
    bool hidden[2];
    tStationPoint inv[2];
    for (int v = 0; v < 2; ++v) {
        hidden[v] = prof.HasFwdTrack[v] || prof.HasRevTrack[v];
        inv[v] = {SignedStation(first, last, prof.SightTrack[v]), prof.SightTrack[v].H};
    }
    std::vector<tStationHeight*> lookPts;
    for (auto& dir : prof.CrossLook)
        for (auto& side : dir.HiddenPoints) {
            side.ViewPoints.resize(side.Points.size());
            for (size_t i = 0; i < side.Points.size(); ++i) {
                side.ViewPoints[i] = {SignedStation(first, last, side.Points[i].Point), side.Points[i].Point.H};
                lookPts.push_back(&side.ViewPoints[i]);
            }
        }
    double refSt = Distance(first.X, first.Y, prof.KeyPoint0.X, prof.KeyPoint0.Y);
    double refH = prof.KeyPoint0.H;

    // Text block about the invisible points, built upward from the frame bottom.
    double U = m;
    const int hiddenCount = (hidden[0] ? 1 : 0) + (hidden[1] ? 1 : 0);
    for (int v = 1; v >= 0; --v) {
        if (!hidden[v]) continue;
        const QString typeKey = hiddenCount == 1 ? QStringLiteral("Draw3D.SinglePoint")
                                : v == 1         ? QStringLiteral("Draw3D.RightPoint")
                                                 : QStringLiteral("Draw3D.LeftPoint");
        const auto message = [&](const char* key) {
            return options.Texts.GetMessage(tMessage(QString::fromLatin1(key))
                                                .With(QStringLiteral("%PointType%"),
                                                      options.Texts.GetMessage(typeKey))
                                                .With(QStringLiteral("%CPShift%"), Rounded2(inv[v].Station - refSt))
                                                .With(QStringLiteral("%CPHeight%"), Rounded2(inv[v].Height - refH)));
        };
        const QString lines[3] = {message("Draw3D.CrossPointPosition"),
                                  QStringLiteral("  ") + message("Draw3D.CrossPointShift"),
                                  QStringLiteral("  ") + message("Draw3D.CrossPointHeight")};
        int size = 8;
        QFont blockFont = ViewFont(size);
        const auto widest = [&] {
            const QFontMetrics fm(blockFont, &image);
            int w = 0;
            for (const auto& l : lines) w = std::max(w, fm.horizontalAdvance(l));
            return w;
        };
        while (widest() > frameW - 3 * m && size > 2) blockFont = ViewFont(--size);
        painter.setFont(blockFont);
        painter.setPen(Qt::black);
        const int h = QFontMetrics(blockFont, &image).height();
        DrawTextAt(painter, frameL + m, Round(frameB - U - h), lines[2]);
        U += h;
        DrawTextAt(painter, frameL + m, Round(frameB - U - h), lines[1]);
        U += h;
        U += 0.2 * h;
        DrawTextAt(painter, frameL + m, Round(frameB - U - h), lines[0]);
        U += h;
        U += 0.6 * h;
        ++result.TextBlocks;
    }

    // Centre of the road: the run of kind-0 segments.
    int firstZero = -1, lastZero = -1;
    for (int i = 0; i < n; ++i)
        if (pts[i].Kind == 0) {
            if (firstZero < 0) firstZero = i;
            lastZero = i;
        }
    const int c1 = firstZero >= 0 ? firstZero : n - 1;
    const int c2 = lastZero >= 0 ? std::min(lastZero + 1, n - 1) : std::min(1, n - 1);
    const double centre = (pts[c1].Station + pts[c2].Station) / 2;
    const auto shiftStations = [&](double by) {
        for (auto& e : pts) e.Station -= by;
        refSt -= by;
        for (auto& p : inv) p.Station -= by;
        for (auto* p : lookPts) p->Station -= by;
    };
    shiftStations(centre);

    // Crop to about 30 m either side of the centre.
    int cutL = 0, cutR = n - 1;
    if (options.Crop30m && n >= 2) {
        int i = c1;
        while (i > 0 && pts[i].Kind != 3) --i;
        if (-pts[i].Station < 30) {
            while (i > 0 && !(-pts[i].Station >= 30 && !IsObjectKind(pts[i - 1].Kind))) --i;
            if (-pts[i].Station > 30 && i + 1 < n && pts[i].Station != pts[i + 1].Station) {
                const auto& a = pts[i];
                const auto& b = pts[i + 1];
                pts[i].Height = a.Height + (b.Height - a.Height) * (-30 - a.Station) / (b.Station - a.Station);
                pts[i].Station = -30;
            }
        }
        for (int k = 0; k < i; ++k) {
            pts[k].Station = pts[i].Station;
            pts[k].Height = pts[i].Height;
        }
        cutL = i;
        int j = lastZero >= 0 ? lastZero : c2;
        while (j < n - 1 && pts[j].Kind != 3) ++j;
        if (pts[j].Station < 30) {
            while (j < n - 1 && !(pts[j].Station >= 30 && !IsObjectKind(pts[j].Kind))) ++j;
            if (pts[j].Station > 30 && j > 0 && pts[j].Station != pts[j - 1].Station) {
                const auto& a = pts[j - 1];
                const auto& b = pts[j];
                pts[j].Height = a.Height + (b.Height - a.Height) * (30 - a.Station) / (b.Station - a.Station);
                pts[j].Station = 30;
            }
        }
        for (int k = j + 1; k < n; ++k) {
            pts[k].Station = pts[j].Station;
            pts[k].Height = pts[j].Height;
        }
        cutR = std::max(j, cutL);
    }
    double lo = pts[cutL].Station, hi = pts[cutL].Station;
    for (int i = cutL; i <= cutR; ++i) {
        lo = std::min(lo, pts[i].Station);
        hi = std::max(hi, pts[i].Station);
    }

    // Ranges: marks at least 3 m inside, everything measured from the lower ends.
    for (int v = 0; v < 2; ++v)
        if (hidden[v]) {
            lo = std::min(lo, inv[v].Station - 3);
            hi = std::max(hi, inv[v].Station + 3);
        }
    for (auto* p : lookPts) {
        lo = std::min(lo, p->Station - 3);
        hi = std::max(hi, p->Station + 3);
    }
    shiftStations(lo);
    const double width = hi - lo;
    double hMin = refH;
    for (const auto& e : pts) hMin = std::min(hMin, e.Height);
    for (int v = 0; v < 2; ++v)
        if (hidden[v]) hMin = std::min(hMin, inv[v].Height);
    for (auto* p : lookPts) hMin = std::min(hMin, p->Height);
    for (auto& e : pts) e.Height -= hMin;
    refH -= hMin;
    for (auto& p : inv) p.Height -= hMin;
    for (auto* p : lookPts) p->Height -= hMin;
    double hMax = refH;
    for (const auto& e : pts) hMax = std::max(hMax, e.Height);
    for (int v = 0; v < 2; ++v)
        if (hidden[v]) hMax = std::max(hMax, inv[v].Height);
    for (auto* p : lookPts) hMax = std::max(hMax, p->Height);
    if (width < 1e-5) return result;

    // Scale: the first table scale at which the drawing fits both ways.
    const double roomW = frameW - 2 * m - labelW;
    int k = 0;
    while (k < 23 && kCrossProfileScales[k] * roomW / (width * 100) < D) ++k;
    if (hMax != 0) {
        const double roomH = frameH - U - m;
        while (k < 23 && kCrossProfileScales[k] * roomH / (hMax * 100) < D) ++k;
    }
    const int N = kCrossProfileScales[k];
    const double scale = D * 100 / N;
    result.ScaleDenominator = N;

    // Title and scale bar.
    const QString kmText = FormatKmPlus(true, prof.Position);
    const QString scaleText = options.Texts.GetMessage(QStringLiteral("Draw3D.ScaleText"));
    const QString profText = options.Texts.GetMessage(QStringLiteral("Draw3D.CrossProfile"));
    const auto title = [&](const QString& n) {
        return scaleText + QStringLiteral(" 1:") + n + QStringLiteral("    ") + profText + QStringLiteral(": ") + kmText;
    };
    int size = 8;
    font = ViewFont(size);
    while (size > 2 && QFontMetrics(font, &image).horizontalAdvance(title(QStringLiteral("1000"))) > frameW - 2 * m)
        font = ViewFont(--size);
    painter.setFont(font);
    const QFontMetrics fm(font, &image);
    const int th = fm.height();
    const int T = Round(frameB - U - th);
    U += th;
    U += std::max(Round(0.2 * D) + m + E, 2 * m);
    U += Round(1.2 * E);
    painter.setPen(Qt::black);
    DrawTextAt(painter, frameL + m, T, title(QString::number(N)));
    {
        painter.setPen(QPen(Qt::black, lineW));
        const int x0 = frameL + m + m / 2, y0 = T - m;
        const int r2 = Round(0.2 * D), rD = Round(D), r06 = Round(0.06 * D);
        const QPoint bar[6] = {{x0, y0 - r2},      {x0, y0},        {x0 + rD, y0},
                               {x0 + rD, y0 - r2}, {x0 + rD, y0 - r06}, {x0, y0 - r06}};
        painter.drawPolyline(bar, 6);
        const QString zero = QStringLiteral("0");
        const QString metres = ShortestText(N / 100.0) + QStringLiteral(" M");
        DrawTextAt(painter, x0 - fm.horizontalAdvance(zero) / 2, y0 - r2 - th, zero);
        DrawTextAt(painter, x0 + rD - fm.horizontalAdvance(metres) / 2, y0 - r2 - th, metres);
    }

    // Placement.
    const double roomW2 = frameW - 3 * m - labelW;
    const int xOff = frameL + 2 * m + labelW + std::max(0, Round((roomW2 - scale * width) / 2));
    const double roomH = frameH - U - m;
    const int base = Round(frameB - U - std::max(0.0, (roomH - scale * hMax) / 2));
    const auto pxX = [&](double st) { return Round(scale * st) + xOff; };
    const auto pxY = [&](double h) { return base - Round(scale * h); };
    pd.Scale = scale;
    pd.OriginX = pxX(refSt);
    pd.OriginY = pxY(refH);
    pd.Invisible[0] = inv[0];
    pd.Invisible[1] = inv[1];
    const int ox = pd.OriginX, oy = pd.OriginY;

    // Grid every half centimetre of paper from KeyPoint0.
    painter.setFont(ViewFont(8));
    const QFontMetrics gfm(painter.font(), &image);
    const double step = D / 2;
    const double eps = 1e-9;
    const int uTop = static_cast<int>(std::ceil((oy - pxY(hMax)) / step - eps));
    const int uBot = static_cast<int>(std::floor((oy - base) / step + eps));
    const int gridW = std::max(1, Round(ppi / 96.0));
    const QColor gridColour(0, 119, 119);
    const int lineL = frameL + m + labelW, lineR = frameR - m;
    for (int u = uTop; u >= uBot; --u) {
        const int y = Round(oy - u * step);
        int dash, gap;
        GridDash(u, D, dash, gap);
        painter.setPen(QPen(gridColour, gridW));
        DashedLine(painter, QPointF(lineL, y), QPointF(lineR, y), dash, gap);
        const double value = u * N / 200.0;
        if (u % 2 == 0) {
            QString label = ShortestText(std::fabs(value)) + QStringLiteral(" M");
            int x = frameL + m;
            if (u < 0)
                label.prepend(QLatin1Char('-'));
            else
                x += gfm.horizontalAdvance(QLatin1Char('-'));
            DrawTextAt(painter, x, y - gfm.height() / 2, label);
        }
        AddSnap(pd.SnapY, pd.SnapYCount, y, value);
    }
    const int yTop = Round(oy - uTop * step), yBot = Round(oy - uBot * step);
    const int iLeft = static_cast<int>(std::floor((pxX(0) - ox) / step + eps));
    const int iRight = static_cast<int>(std::ceil((pxX(width) - ox) / step - eps));
    for (int i = iLeft; i < iRight; ++i) {
        const int x = Round(ox + i * step);
        int dash, gap;
        GridDash(i, D, dash, gap);
        painter.setPen(QPen(gridColour, gridW));
        DashedLine(painter, QPointF(x, yTop), QPointF(x, yBot), dash, gap);
        const double value = i * N / 200.0;
        if (i % 4 == 0) {
            const QString label = ShortestText(value) + QStringLiteral(" M");
            DrawTextAt(painter, x - gfm.horizontalAdvance(label) / 2, yBot + Round(0.1 * gfm.height()), label);
        }
        AddSnap(pd.SnapX, pd.SnapXCount, x, value);
    }

    // Terrain line by segment kind, the carriageway thickened.
    const int pw = std::max(1, Round(ppi / 32.0));
    for (auto& e : pts) {
        e.PixelX = pxX(e.Station);
        e.PixelY = pxY(e.Height) + pw / 2;
    }
    for (int i = 0; i + 1 < n; ++i) {
        painter.setPen(QPen(KindColor(pts[i].Kind), pw, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter.drawLine(pts[i].PixelX, pts[i].PixelY, pts[i + 1].PixelX, pts[i + 1].PixelY);
    }
    painter.setPen(QPen(Qt::black, pw, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    for (int i = 0; i + 1 < n; ++i) {
        if (pts[i].Kind != 1) continue;
        const QPoint a(pts[i].PixelX, pts[i].PixelY), b(pts[i + 1].PixelX, pts[i + 1].PixelY);
        const QPoint down(0, pw - 1);
        const QPoint path[4] = {a + down, b + down, b, a};
        painter.drawPolyline(path, 4);
    }

    // Invisible points (red) and the crossroads' hidden crossings (magenta).
    const int markW = std::max(1, Round(3.0 * ppi / 96));
    for (int v = 0; v < 2; ++v) {
        if (hidden[v]) {
            const int x = pxX(inv[v].Station), y = pxY(inv[v].Height);
            AddSnap(pd.SnapX, pd.SnapXCount, x, RoundDecimals(2, inv[v].Station - refSt));
            AddSnap(pd.SnapY, pd.SnapYCount, y, RoundDecimals(2, inv[v].Height - refH));
            painter.setPen(QPen(QColor(255, 0, 0), markW));
            CrossMark(painter, x, y, Round(ppi / 12.0));
        }
        painter.setPen(QPen(QColor(255, 0, 255), markW));
        for (const auto& dir : prof.CrossLook)
            for (const auto& p : dir.HiddenPoints[v].ViewPoints) CrossMark(painter, pxX(p.Station), pxY(p.Height), 1);
    }
    result.Drawn = true;
    return result;
}

bool MeasureCrossProfile(const tProfileData& data, int x, int y, const tViewTexts& texts, tCursorMeasure& out) {
    if (data.Scale <= 0) return false;
    out.Shift = std::nearbyint((x - data.OriginX) * 100 / data.Scale) / 100;
    out.Height = std::nearbyint((data.OriginY - y) * 100 / data.Scale) / 100;
    for (int i = 0; i < data.SnapXCount; ++i)
        if (data.SnapX[i].Pixel == x) {
            out.Shift = data.SnapX[i].Value;
            break;
        }
    for (int i = 0; i < data.SnapYCount; ++i)
        if (data.SnapY[i].Pixel == y) {
            out.Height = data.SnapY[i].Value;
            break;
        }
    tMessage base;
    base.With(QStringLiteral("%CPShift%"), ShortestText(out.Shift))
        .With(QStringLiteral("%CPHeight%"), ShortestText(out.Height));
    tMessage shift = base, height = base;
    shift.Key = QStringLiteral("Draw3D.CrossPointShift");
    height.Key = QStringLiteral("Draw3D.CrossPointHeight");
    out.ShiftText = texts.GetMessage(shift);
    out.HeightText = texts.GetMessage(height);
    return true;
}

}  // namespace kestrova
