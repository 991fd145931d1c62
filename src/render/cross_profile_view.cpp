#include "render/cross_profile_view.h"

#include "core/calc/geometry.h"
#include "core/model/road_text.h"
#include "render/view_painting.h"

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

// Paper measures of one drawing: the frame inside the margins and the room
// the grid labels take.
struct tCrossFrame {
    int Ppi = 0;
    int M = 0;         // margin
    double D = 0;      // pixels per centimetre of paper
    int LineW = 1;
    int L = 0, T = 0, W = 0, H = 0, R = 0, B = 0;
    int LabelW = 0;    // room of the height labels left of the grid
    int E = 0;         // height of a label line
};

// The section's stations and heights with the invisible points and the
// crossroads look points, moved and cut together.
struct tCrossStations {
    explicit tCrossStations(tProfileData& pd) : Pts(pd.Points), Look(pd.LookPoints) {}
    std::vector<tProfilePointEntry>& Pts;
    int N = 0;
    bool Hidden[2] = {false, false};
    tStationPoint Inv[2];
    std::vector<tStationPoint> (&Look)[2];  // per variant, the crossroads hidden points
    double RefSt = 0;  // KeyPoint0
    double RefH = 0;
    int C1 = 0, C2 = 0, LastZero = -1;  // the centre run of kind-0 segments
    int CutL = 0, CutR = 0;             // the points kept by the crop
    double Width = 0, HMax = 0;
};

// Pixel placement of the drawing at its scale.
struct tCrossPlacement {
    double Scale = 0;  // pixels per metre
    int XOff = 0;
    int Base = 0;
    int X(double st) const { return Round(Scale * st) + XOff; }
    int Y(double h) const { return Base - Round(Scale * h); }
};

// Draws the frame, clips to its inside and measures the label room.
tCrossFrame DrawCrossFrame(QPainter& painter, const QImage& image, const tViewOptions& options) {
    tCrossFrame f;
    f.Ppi = SurfacePpi(options.Target);
    f.M = Round(f.Ppi / 6.0);
    f.D = f.Ppi / 2.54;
    f.LineW = std::max(1, Round(f.Ppi / 96.0));
    f.L = f.T = f.M;
    f.W = image.width() - 2 * f.M;
    f.H = image.height() - 2 * f.M;
    f.R = f.L + f.W;
    f.B = f.T + f.H;
    painter.setPen(QPen(Qt::black, f.LineW));
    painter.setBrush(Qt::white);
    DrawFrameRect(painter, f.L, f.T, f.R, f.B);
    painter.setBrush(Qt::NoBrush);
    // Everything else stays inside the frame: a section a little wider than
    // the room, a round line cap or a grid label never crosses its border.
    painter.setClipRect(QRect(f.L + f.LineW, f.T + f.LineW, f.W - 2 * f.LineW, f.H - 2 * f.LineW));
    const QFont font = ViewFont(8);
    painter.setFont(font);
    f.LabelW = QFontMetrics(font, &image).horizontalAdvance(QStringLiteral("-1000 m")) + f.M / 2;
    f.E = QFontMetrics(font, &image).height();
    return f;
}

// Point list (the uncovered segments' starts, then the section's end), the
// invisible points, the crossroads look points and KeyPoint0 as stations.
void CollectStations(const tPlanProfile& prof, tCrossStations& s) {
    const tRoadPoint& first = prof.Segments.front().A;
    const tRoadPoint& last = prof.Segments.back().B;
    auto& pts = s.Pts;
    for (const auto& seg : prof.Segments)
        if (!seg.Covered) pts.push_back({Distance(first.X, first.Y, seg.A.X, seg.A.Y), seg.A.H, 0, 0, seg.Kind});
    pts.push_back({Distance(first.X, first.Y, last.X, last.Y), last.H, 0, 0, 3});
    s.N = static_cast<int>(pts.size());
    for (int v = 0; v < 2; ++v) {
        s.Hidden[v] = prof.HasFwdTrack[v] || prof.HasRevTrack[v];
        s.Inv[v] = {SignedStation(first, last, prof.SightTrack[v]), prof.SightTrack[v].H};
    }
    for (int v = 0; v < 2; ++v)  // the lists were emptied when the drawing began
        for (const tXCrossLookDir& dir : prof.CrossLook)
            for (const tHiddenPoint& h : dir.HiddenPoints[v].Points)
                s.Look[v].push_back({SignedStation(first, last, h.Point), h.Point.H});
    s.RefSt = Distance(first.X, first.Y, prof.KeyPoint0.X, prof.KeyPoint0.Y);
    s.RefH = prof.KeyPoint0.H;
}

void ShiftStations(tCrossStations& s, double by) {
    for (auto& e : s.Pts) e.Station -= by;
    s.RefSt -= by;
    for (auto& p : s.Inv) p.Station -= by;
    for (auto& side : s.Look)
        for (auto& p : side) p.Station -= by;
}

void ShiftHeights(tCrossStations& s, double by) {
    for (auto& e : s.Pts) e.Height -= by;
    s.RefH -= by;
    for (auto& p : s.Inv) p.Height -= by;
    for (auto& side : s.Look)
        for (auto& p : side) p.Height -= by;
}

// Text block about one invisible point, three lines set upward from the
// frame bottom at the largest size that fits; `up` grows by its height.
void DrawHiddenPointBlock(QPainter& painter, const QImage& image, const tViewOptions& options,
                          const tCrossFrame& f, const tCrossStations& s, int v, int hiddenCount, double& up) {
    const QString typeKey = hiddenCount == 1 ? QStringLiteral("Draw3D.SinglePoint")
                            : v == 1         ? QStringLiteral("Draw3D.RightPoint")
                                             : QStringLiteral("Draw3D.LeftPoint");
    const auto message = [&](const char* key) {
        return options.Texts.GetMessage(tMessage(QString::fromLatin1(key))
                                            .With(QStringLiteral("%PointType%"), options.Texts.GetMessage(typeKey))
                                            .With(QStringLiteral("%CPShift%"), Rounded2(s.Inv[v].Station - s.RefSt))
                                            .With(QStringLiteral("%CPHeight%"), Rounded2(s.Inv[v].Height - s.RefH)));
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
    while (widest() > f.W - 3 * f.M && size > 2) blockFont = ViewFont(--size);
    painter.setFont(blockFont);
    painter.setPen(Qt::black);
    const int h = QFontMetrics(blockFont, &image).height();
    DrawTextAt(painter, f.L + f.M, Round(f.B - up - h), lines[2]);
    up += h;
    DrawTextAt(painter, f.L + f.M, Round(f.B - up - h), lines[1]);
    up += h;
    up += 0.2 * h;
    DrawTextAt(painter, f.L + f.M, Round(f.B - up - h), lines[0]);
    up += h;
    up += 0.6 * h;
}

// Moves the stations so that the centre of the road (the run of kind-0
// segments) lies at 0.
void CentreStations(tCrossStations& s) {
    const auto& pts = s.Pts;
    const int n = s.N;
    int firstZero = -1;
    for (int i = 0; i < n; ++i)
        if (pts[i].Kind == 0) {
            if (firstZero < 0) firstZero = i;
            s.LastZero = i;
        }
    s.C1 = firstZero >= 0 ? firstZero : n - 1;
    s.C2 = s.LastZero >= 0 ? std::min(s.LastZero + 1, n - 1) : std::min(1, n - 1);
    ShiftStations(s, (pts[s.C1].Station + pts[s.C2].Station) / 2);
}

// Cuts the section about 30 m either side of the centre: the points beyond
// the cut collapse onto it.
void CropTo30m(tCrossStations& s) {
    auto& pts = s.Pts;
    const int n = s.N;
    int i = s.C1;
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
    s.CutL = i;
    int j = s.LastZero >= 0 ? s.LastZero : s.C2;
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
    s.CutR = std::max(j, s.CutL);
}

// Measures everything from the lower ends of the kept points, the marks at
// least 3 m inside; sets the width and the highest point.
void MeasureFromLowerEnds(tCrossStations& s) {
    const auto& pts = s.Pts;
    double lo = pts[s.CutL].Station, hi = pts[s.CutL].Station;
    for (int i = s.CutL; i <= s.CutR; ++i) {
        lo = std::min(lo, pts[i].Station);
        hi = std::max(hi, pts[i].Station);
    }
    for (int v = 0; v < 2; ++v)
        if (s.Hidden[v]) {
            lo = std::min(lo, s.Inv[v].Station - 3);
            hi = std::max(hi, s.Inv[v].Station + 3);
        }
    for (const auto& side : s.Look)
        for (const auto& p : side) {
            lo = std::min(lo, p.Station - 3);
            hi = std::max(hi, p.Station + 3);
        }
    ShiftStations(s, lo);
    s.Width = hi - lo;
    double hMin = s.RefH;
    for (const auto& e : pts) hMin = std::min(hMin, e.Height);
    for (int v = 0; v < 2; ++v)
        if (s.Hidden[v]) hMin = std::min(hMin, s.Inv[v].Height);
    for (const auto& side : s.Look)
        for (const auto& p : side) hMin = std::min(hMin, p.Height);
    ShiftHeights(s, hMin);
    s.HMax = s.RefH;
    for (const auto& e : pts) s.HMax = std::max(s.HMax, e.Height);
    for (int v = 0; v < 2; ++v)
        if (s.Hidden[v]) s.HMax = std::max(s.HMax, s.Inv[v].Height);
    for (const auto& side : s.Look)
        for (const auto& p : side) s.HMax = std::max(s.HMax, p.Height);
}

// The first table scale 1:N at which the drawing fits both ways.
int ChooseScaleDenominator(const tCrossFrame& f, const tCrossStations& s, double up) {
    const double roomW = f.W - 2 * f.M - f.LabelW;
    int k = 0;
    while (k < 23 && kCrossProfileScales[k] * roomW / (s.Width * 100) < f.D) ++k;
    if (s.HMax != 0) {
        const double roomH = f.H - up - f.M;
        while (k < 23 && kCrossProfileScales[k] * roomH / (s.HMax * 100) < f.D) ++k;
    }
    return kCrossProfileScales[k];
}

// Title line and scale bar above the text blocks; `up` grows by their room.
void DrawTitleAndScaleBar(QPainter& painter, const QImage& image, const tViewOptions& options,
                          const tCrossFrame& f, const tPlanProfile& prof, int N, double& up) {
    const QString kmText = FormatKmPlus(true, prof.Position);
    const QString scaleText = options.Texts.GetMessage(QStringLiteral("Draw3D.ScaleText"));
    const QString profText = options.Texts.GetMessage(QStringLiteral("Draw3D.CrossProfile"));
    const auto title = [&](const QString& n) {
        return scaleText + QStringLiteral(" 1:") + n + QStringLiteral("    ") + profText + QStringLiteral(": ") + kmText;
    };
    int size = 8;
    QFont font = ViewFont(size);
    while (size > 2 && QFontMetrics(font, &image).horizontalAdvance(title(QStringLiteral("1000"))) > f.W - 2 * f.M)
        font = ViewFont(--size);
    painter.setFont(font);
    const QFontMetrics fm(font, &image);
    const int th = fm.height();
    const int T = Round(f.B - up - th);
    up += th;
    up += std::max(Round(0.2 * f.D) + f.M + f.E, 2 * f.M);
    up += Round(1.2 * f.E);
    painter.setPen(Qt::black);
    DrawTextAt(painter, f.L + f.M, T, title(QString::number(N)));
    painter.setPen(QPen(Qt::black, f.LineW));
    const int x0 = f.L + f.M + f.M / 2, y0 = T - f.M;
    const int r2 = Round(0.2 * f.D), rD = Round(f.D), r06 = Round(0.06 * f.D);
    const QPoint bar[6] = {{x0, y0 - r2},      {x0, y0},            {x0 + rD, y0},
                           {x0 + rD, y0 - r2}, {x0 + rD, y0 - r06}, {x0, y0 - r06}};
    painter.drawPolyline(bar, 6);
    const QString zero = QStringLiteral("0");
    const QString metres = ShortestText(N / 100.0) + QStringLiteral(" M");
    DrawTextAt(painter, x0 - fm.horizontalAdvance(zero) / 2, y0 - r2 - th, zero);
    DrawTextAt(painter, x0 + rD - fm.horizontalAdvance(metres) / 2, y0 - r2 - th, metres);
}

// Centres the drawing in the room left above the title.
tCrossPlacement PlaceDrawing(const tCrossFrame& f, const tCrossStations& s, double scale, double up) {
    tCrossPlacement p;
    p.Scale = scale;
    const double roomW2 = f.W - 3 * f.M - f.LabelW;
    p.XOff = f.L + 2 * f.M + f.LabelW + std::max(0, Round((roomW2 - scale * s.Width) / 2));
    const double roomH = f.H - up - f.M;
    p.Base = Round(f.B - up - std::max(0.0, (roomH - scale * s.HMax) / 2));
    return p;
}

// Grid every half centimetre of paper from KeyPoint0, labelled in metres;
// every line is a snap position of the mouse measurement.
void DrawMetricGrid(QPainter& painter, const QImage& image, const tCrossFrame& f, const tCrossStations& s,
                    const tCrossPlacement& at, int N, tProfileData& pd) {
    const int ox = pd.OriginX, oy = pd.OriginY;
    painter.setFont(ViewFont(8));
    const QFontMetrics gfm(painter.font(), &image);
    const double step = f.D / 2;
    const double eps = 1e-9;
    const int uTop = static_cast<int>(std::ceil((oy - at.Y(s.HMax)) / step - eps));
    const int uBot = static_cast<int>(std::floor((oy - at.Base) / step + eps));
    const int gridW = std::max(1, Round(f.Ppi / 96.0));
    const QColor gridColour(0, 119, 119);
    const int lineL = f.L + f.M + f.LabelW, lineR = f.R - f.M;
    for (int u = uTop; u >= uBot; --u) {
        const int y = Round(oy - u * step);
        int dash, gap;
        GridDash(u, f.D, dash, gap);
        painter.setPen(QPen(gridColour, gridW));
        DashedLine(painter, QPointF(lineL, y), QPointF(lineR, y), dash, gap);
        const double value = u * N / 200.0;
        if (u % 2 == 0) {
            QString label = ShortestText(std::fabs(value)) + QStringLiteral(" M");
            int x = f.L + f.M;
            if (u < 0)
                label.prepend(QLatin1Char('-'));
            else
                x += gfm.horizontalAdvance(QLatin1Char('-'));
            DrawTextAt(painter, x, y - gfm.height() / 2, label);
        }
        AddSnap(pd.SnapY, pd.SnapYCount, y, value);
    }
    const int yTop = Round(oy - uTop * step), yBot = Round(oy - uBot * step);
    const int iLeft = static_cast<int>(std::floor((at.X(0) - ox) / step + eps));
    const int iRight = static_cast<int>(std::ceil((at.X(s.Width) - ox) / step - eps));
    for (int i = iLeft; i < iRight; ++i) {
        const int x = Round(ox + i * step);
        int dash, gap;
        GridDash(i, f.D, dash, gap);
        painter.setPen(QPen(gridColour, gridW));
        DashedLine(painter, QPointF(x, yTop), QPointF(x, yBot), dash, gap);
        const double value = i * N / 200.0;
        if (i % 4 == 0) {
            const QString label = ShortestText(value) + QStringLiteral(" M");
            DrawTextAt(painter, x - gfm.horizontalAdvance(label) / 2, yBot + Round(0.1 * gfm.height()), label);
        }
        AddSnap(pd.SnapX, pd.SnapXCount, x, value);
    }
}

// Terrain line by segment kind, the carriageway thickened.
void DrawTerrain(QPainter& painter, const tCrossFrame& f, tCrossStations& s, const tCrossPlacement& at) {
    auto& pts = s.Pts;
    const int n = s.N;
    const int pw = std::max(1, Round(f.Ppi / 32.0));
    for (auto& e : pts) {
        e.PixelX = at.X(e.Station);
        e.PixelY = at.Y(e.Height) + pw / 2;
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
}

// Invisible points (red) and the crossroads' hidden crossings (magenta).
void DrawHiddenMarks(QPainter& painter, const tCrossFrame& f, const tCrossStations& s, const tCrossPlacement& at,
                     tProfileData& pd) {
    const int markW = std::max(1, Round(3.0 * f.Ppi / 96));
    for (int v = 0; v < 2; ++v) {
        if (s.Hidden[v]) {
            const int x = at.X(s.Inv[v].Station), y = at.Y(s.Inv[v].Height);
            AddSnap(pd.SnapX, pd.SnapXCount, x, RoundDecimals(2, s.Inv[v].Station - s.RefSt));
            AddSnap(pd.SnapY, pd.SnapYCount, y, RoundDecimals(2, s.Inv[v].Height - s.RefH));
            painter.setPen(QPen(QColor(255, 0, 0), markW));
            CrossMark(painter, x, y, Round(f.Ppi / 12.0));
        }
        painter.setPen(QPen(QColor(255, 0, 255), markW));
        for (const auto& p : s.Look[v]) CrossMark(painter, at.X(p.Station), at.Y(p.Height), 1);
    }
}

}  // namespace

tCrossProfileResult DrawCrossProfile(tRoadModel& model, const tViewOptions& options, tProfileData& pd,
                                     QImage& image) {
    tCrossProfileResult result;
    if (!PrepareSurface(image, options.Target)) return result;
    pd.SnapXCount = pd.SnapYCount = 0;
    pd.Scale = 0;
    pd.Points.clear();
    pd.Invisible[0] = pd.Invisible[1] = tStationPoint();
    for (auto& side : pd.LookPoints) side.clear();
    const int r = options.Profile;
    if (r < 0 || r >= model.Plan.Count()) return result;
    tPlanProfile& prof = model.Plan.Profiles[r];

    QPainter painter(&image);
    const tCrossFrame f = DrawCrossFrame(painter, image, options);
    if (prof.Segments.empty()) return result;
    tCrossStations s{pd};
    CollectStations(prof, s);

    // Text blocks about the invisible points, built upward from the frame bottom.
    double up = f.M;
    const int hiddenCount = (s.Hidden[0] ? 1 : 0) + (s.Hidden[1] ? 1 : 0);
    for (int v = 1; v >= 0; --v) {
        if (!s.Hidden[v]) continue;
        DrawHiddenPointBlock(painter, image, options, f, s, v, hiddenCount, up);
        ++result.TextBlocks;
    }

    CentreStations(s);
    s.CutL = 0, s.CutR = s.N - 1;
    if (options.Crop30m && s.N >= 2) CropTo30m(s);
    MeasureFromLowerEnds(s);
    if (s.Width < 1e-5) return result;

    const int N = ChooseScaleDenominator(f, s, up);
    result.ScaleDenominator = N;
    DrawTitleAndScaleBar(painter, image, options, f, prof, N, up);

    const tCrossPlacement at = PlaceDrawing(f, s, f.D * 100 / N, up);
    pd.Scale = at.Scale;
    pd.OriginX = at.X(s.RefSt);
    pd.OriginY = at.Y(s.RefH);
    pd.Invisible[0] = s.Inv[0];
    pd.Invisible[1] = s.Inv[1];
    DrawMetricGrid(painter, image, f, s, at, N, pd);
    DrawTerrain(painter, f, s, at);
    DrawHiddenMarks(painter, f, s, at, pd);
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
