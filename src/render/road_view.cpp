#include "render/road_view.h"

#include "core/calc/geometry.h"
#include "core/calc/sight_check.h"
#include "core/model/road_text.h"
#include "render/view_painting.h"
#include "render/view_quads.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPolygon>

#include <algorithm>
#include <cmath>
#include <limits>

namespace kestrova {

namespace {

constexpr double kPi = 3.14159265358979323846;

// Look heights of the four items of the look-height choice (item 0 is the
// plan's eye height).
double LookHeightMetres(const TMPlan& plan, int item) {
    switch (item) {
        case 0: return plan.EyeHeight;
        case 2: return 50;
        case 3: return 200;
        default: return 10;
    }
}

// Centre of a cross section for the centre line: the run of kind-0 segments
// that starts at the first one, or the whole section when there is none.
void CentreEnds(const tPlanProfile& p, tRoadPoint& from, tRoadPoint& to) {
    const auto& segs = p.Segments;
    if (segs.empty()) {
        from = to = p.KeyPoint0;
        return;
    }
    size_t first = segs.size();
    for (size_t i = 0; i < segs.size(); ++i)
        if (segs[i].Kind == 0) {
            first = i;
            break;
        }
    if (first == segs.size()) {
        from = segs.front().A;
        to = segs.back().B;
        return;
    }
    size_t last = first;
    while (last + 1 < segs.size() && segs[last + 1].Kind == 0) ++last;
    from = segs[first].A;
    to = segs[last].B;
}

tRoadPoint Mid(const tRoadPoint& a, const tRoadPoint& b) {
    tRoadPoint m = a;
    m.X = (a.X + b.X) / 2;
    m.Y = (a.Y + b.Y) / 2;
    m.H = (a.H + b.H) / 2;
    return m;
}

T3DQuad& NextQuad(T3DSq& sq) {
    if (sq.QuadCount >= static_cast<int32_t>(sq.Quads.size())) sq.Quads.resize(sq.Quads.size() + 16);
    return sq.Quads[sq.QuadCount++];
}

T3DLine& NextLine(T3DSq& sq) {
    if (sq.LineCount >= static_cast<int32_t>(sq.Lines.size())) sq.Lines.resize(sq.Lines.size() + 16);
    return sq.Lines[sq.LineCount++];
}

// Quads of one strip from near profile w to far profile w + d.
void BuildQuads(const tPlanProfile& nearP, const tPlanProfile& farP, T3DSq& sq) {
    sq.QuadCount = 0;
    ForEachStripQuad(nearP, farP,
                     [&](uint8_t kind, uint8_t layer, const tRoadPoint& a, const tRoadPoint& b, const tRoadPoint& c,
                         const tRoadPoint& d) {
                         T3DQuad& q = NextQuad(sq);
                         q.Kind = kind;
                         q.Layer = layer;
                         q.P[0] = a;
                         q.P[1] = b;
                         q.P[2] = c;
                         q.P[3] = d;
                         q.P[4] = a;
                     });
}

// Crossroads lines that belong to the strip between profiles lo and hi.
void BuildCrossLines(const tCrossRoads& roads, int lo, int hi, int last, bool forward, T3DSq& sq) {
    sq.LineCount = 0;
    for (const auto& road : roads.Roads) {
        if (road.Skip) continue;
        for (size_t i = 0; i + 1 < road.Points.size(); ++i) {
            const tRoadPoint* p = &road.Points[i];
            const tRoadPoint* q = &road.Points[i + 1];
            if (p->ProfileIndex > q->ProfileIndex) std::swap(p, q);
            const bool keep = (p->ProfileIndex == lo && q->ProfileIndex == lo) ||
                              (p->ProfileIndex == lo && q->ProfileIndex == hi && q->OnSection) ||
                              (forward && hi == last && p->ProfileIndex == hi && q->ProfileIndex == hi) ||
                              (!forward && p->ProfileIndex == hi && q->ProfileIndex == hi && p->OnSection &&
                               q->OnSection);
            if (!keep) continue;
            T3DLine& line = NextLine(sq);
            line.P1 = *p;
            line.P2 = *q;
            line.P1.H += 0.2;
            line.P2.H += 0.2;
        }
    }
}

// Sight segment of one variant over a strip; a segment entering the ground is
// cut where it enters. The crossing is found along the segment from the height
// differences at both ends (sight and ground points share their plan
// position), which also works where the strip runs parallel to an axis.
void SetLook(T3DLook& look, const tPlanProfile& nearP, const tPlanProfile& farP) {
    const tRoadPoint& s1 = nearP.SightPoint;
    const tRoadPoint& s2 = farP.SightPoint;
    const bool above1 = s1.H >= nearP.GroundPoint.H;
    const bool above2 = s2.H >= farP.GroundPoint.H;
    look.Start = s1;
    look.End = s2;
    look.Visible = (above1 || above2) ? 1 : 0;
    if (above1 == above2) return;
    const double a1 = s1.H - nearP.GroundPoint.H;
    const double a2 = s2.H - farP.GroundPoint.H;
    const double t = a1 / (a1 - a2);
    tRoadPoint cut = s1;
    cut.X = s1.X + (s2.X - s1.X) * t;
    cut.Y = s1.Y + (s2.Y - s1.Y) * t;
    cut.H = s1.H + (s2.H - s1.H) * t;
    if (above1)
        look.End = cut;
    else
        look.Start = cut;
}

template <typename F>
void ForEachPoint(T3DData& d, F&& f) {
    for (int i = 0; i < d.Count; ++i) {
        T3DSq& sq = d.Strips[i];
        f(sq.Ref1);
        f(sq.Ref2);
        for (auto& look : sq.Look) {
            f(look.Start);
            f(look.End);
        }
        f(sq.CentreNear);
        f(sq.CentreFar);
        for (int q = 0; q < sq.QuadCount; ++q)
            for (auto& p : sq.Quads[q].P) f(p);
        for (int l = 0; l < sq.LineCount; ++l) {
            f(sq.Lines[l].P1);
            f(sq.Lines[l].P2);
        }
    }
}

// Angle of a displacement with the view's rules for a vanishing first
// component, in [0, 2pi).
double ViewAngle(double a, double b) {
    double angle;
    if (std::fabs(a) <= 1e-5)
        angle = b > 0 ? kPi / 2 : -kPi / 2;
    else
        angle = std::atan2(b, a);
    if (angle < 0) angle += 2 * kPi;
    return angle;
}

void PlaceCamera(T3DData& d, double lookHeight) {
    const T3DSq& s0 = d.Strips[0];
    int k = 1;
    while (k < d.Count - 1 && Distance(d.Strips[k].Ref2.X, d.Strips[k].Ref2.Y, s0.Ref2.X, s0.Ref2.Y) < 1) ++k;
    k = std::min(k, d.Count - 1);
    const auto meanShift = [&](auto coord) {
        const T3DSq& sk = d.Strips[k];
        const T3DSq& z = d.Strips[0];
        return ((coord(sk.Ref1) - coord(z.Ref1)) + (coord(sk.Ref2) - coord(z.Ref2))) / 2;
    };
    // Heading: the viewing direction becomes +Y.
    const double t = ViewAngle(meanShift([](const tRoadPoint& p) { return p.X; }),
                               meanShift([](const tRoadPoint& p) { return p.Y; })) -
                     kPi / 2;
    if (std::fabs(t) > 1e-5) {
        const double c = std::cos(-t), s = std::sin(-t);
        ForEachPoint(d, [&](tRoadPoint& p) {
            const double x = p.X * c - p.Y * s;
            const double y = p.X * s + p.Y * c;
            p.X = x;
            p.Y = y;
        });
    }
    // Grade: the road ahead becomes level.
    const double g = ViewAngle(meanShift([](const tRoadPoint& p) { return p.Y; }),
                               meanShift([](const tRoadPoint& p) { return p.H; }));
    if (std::fabs(g) > 1e-5) {
        const double c = std::cos(-g), s = std::sin(-g);
        ForEachPoint(d, [&](tRoadPoint& p) {
            const double y = p.Y * c - p.H * s;
            const double z = p.Y * s + p.H * c;
            p.Y = y;
            p.H = z;
        });
    }
    // Eye: 70 m behind the near profile's reference points, raised by the look height.
    tRoadPoint eye = Mid(d.Strips[0].Ref1, d.Strips[0].Ref2);
    eye.Y -= 70;
    eye.H += lookHeight;
    ForEachPoint(d, [&](tRoadPoint& p) {
        p.X -= eye.X;
        p.Y -= eye.Y;
        p.H -= eye.H;
    });
}

struct tBox {
    double minX = 1e30, minY = 1e30, maxX = -1e30, maxY = -1e30;
    void Add(const QPointF& p) {
        minX = std::min(minX, p.x());
        maxX = std::max(maxX, p.x());
        minY = std::min(minY, p.y());
        maxY = std::max(maxY, p.y());
    }
    bool Empty() const { return minX > maxX; }
};

// Whether a line lies wholly beyond the near plane.
bool InFront(const tRoadPoint& p1, const tRoadPoint& p2) { return p1.Y >= kEyeNearPlane && p2.Y >= kEyeNearPlane; }

// Central projection onto the picture plane at the focal distance.
struct tProjector {
    double Focal = 0;
    QPointF operator()(const tRoadPoint& p) const { return QPointF(p.X * Focal / p.Y, p.H * Focal / p.Y); }
};

// Projects one strip's points that lie beyond the near plane into `t`,
// growing the box; returns the number of items left out.
int ProjectStrip(const T3DSq& s, T2DSq& t, const tProjector& proj, tBox& box) {
    int skipped = 0;
    // The reference points of the near strip stand 70 m in front of the
    // eye by construction; others may not on a winding road.
    for (auto [src, dst] : {std::pair{&s.Ref1, &t.Ref1}, std::pair{&s.Ref2, &t.Ref2}}) {
        *dst = QPointF();
        if (src->Y < kEyeNearPlane) continue;
        *dst = proj(*src);
        box.Add(*dst);
    }
    for (int v = 0; v < 2; ++v) {
        const tRoadPoint &a = s.Look[v].Start, &b = s.Look[v].End;
        t.Look[v].Visible = s.Look[v].Visible;
        t.Look[v].Drawable = InFront(a, b) ? 1 : 0;
        if (!t.Look[v].Drawable) ++skipped;
        if (t.Look[v].Drawable) {
            t.Look[v].Start = proj(a);
            t.Look[v].End = proj(b);
            box.Add(t.Look[v].Start);
            box.Add(t.Look[v].End);
        }
    }
    t.ZeroWidth = s.ZeroWidth;
    t.CentreDrawable = InFront(s.CentreNear, s.CentreFar) ? 1 : 0;
    if (t.CentreDrawable) {
        t.CentreNear = proj(s.CentreNear);
        t.CentreFar = proj(s.CentreFar);
        box.Add(t.CentreNear);
        box.Add(t.CentreFar);
    }
    if (static_cast<int>(t.Quads.size()) < s.QuadCount) t.Quads.resize(s.QuadCount);
    t.QuadCount = 0;
    for (int q = 0; q < s.QuadCount; ++q) {
        const T3DQuad& src = s.Quads[q];
        bool inFront = true;
        for (const auto& p : src.P) inFront = inFront && p.Y >= kEyeNearPlane;
        if (!inFront) {
            ++skipped;
            continue;
        }
        T2DQuad& dst = t.Quads[t.QuadCount++];
        dst.Kind = src.Kind;
        dst.Layer = src.Layer;
        for (int c = 0; c < 5; ++c) {
            dst.P[c] = proj(src.P[c]);
            box.Add(dst.P[c]);
        }
    }
    if (static_cast<int>(t.Lines.size()) < s.LineCount) t.Lines.resize(s.LineCount);
    t.LineCount = 0;
    for (int l = 0; l < s.LineCount; ++l) {
        const tRoadPoint &a = s.Lines[l].P1, &b = s.Lines[l].P2;
        if (!InFront(a, b)) {
            ++skipped;
            continue;
        }
        const QPointF pa = proj(a), pb = proj(b);
        t.Lines[t.LineCount++] = T2DLine{pa.x(), pa.y(), pb.x(), pb.y()};
        box.Add(pa);
        box.Add(pb);
    }
    return skipped;
}

// Moves every projected point of a strip by -shift.
void ShiftStrip(T2DSq& t, const QPointF& shift) {
    t.Ref1 -= shift;
    t.Ref2 -= shift;
    for (auto& look : t.Look) {
        look.Start -= shift;
        look.End -= shift;
    }
    t.CentreNear -= shift;
    t.CentreFar -= shift;
    for (int q = 0; q < t.QuadCount; ++q)
        for (auto& p : t.Quads[q].P) p -= shift;
    for (int l = 0; l < t.LineCount; ++l) {
        t.Lines[l].x1 -= shift.x();
        t.Lines[l].x2 -= shift.x();
        t.Lines[l].y1 -= shift.y();
        t.Lines[l].y2 -= shift.y();
    }
}

int Project(const T3DData& d3, T2DData& d2) {
    const tProjector proj{(d3.Strips[0].Ref1.Y + d3.Strips[0].Ref2.Y) / 2 / 2};
    int skipped = 0;
    if (static_cast<int>(d2.Strips.size()) < d3.Count) d2.Strips.resize(d3.Count);
    d2.Count = d3.Count;
    tBox box;
    for (int i = 0; i < d3.Count; ++i) skipped += ProjectStrip(d3.Strips[i], d2.Strips[i], proj, box);
    // Shift everything so that the box starts at the origin.
    const QPointF shift(box.minX, box.minY);
    for (int i = 0; i < d2.Count; ++i) ShiftStrip(d2.Strips[i], shift);
    return skipped;
}

}  // namespace

bool RoadViewWindow(const TMPlan& plan, int s, bool forward, int& far) {
    const int n = plan.Count();
    if (s < 0 || s >= n) return false;
    const tPlanProfile& sel = plan.Profiles[s];
    if (!plan.LookDistancesReady) forward = true;
    if (forward) {
        if (n < s + 3) return false;
        const double look = !plan.LookDistancesReady || sel.FwdLookDist == -1 ? plan.ViewDepth : sel.FwdLookDist;
        int f = s + 2;
        while (f < n - 1 && plan.Profiles[f].Position - sel.Position < look) ++f;
        far = f;
        return true;
    }
    if (s < 2) return false;
    const double look = sel.RevLookDist == -1 ? plan.ViewDepth : sel.RevLookDist;
    int f = s - 2;
    while (f > 0 && sel.Position - plan.Profiles[f].Position < look) --f;
    far = f;
    return true;
}

namespace {

// Caption "road segment km+ - km+" on the frame bottom, shrunk until it
// fits; returns its line height.
int DrawRoadCaption(QPainter& painter, const QImage& image, const tViewOptions& options, const TMPlan& plan,
                    int s, int f, int m, tRoadViewResult& result) {
    const int W = image.width(), H = image.height();
    const QString header = options.Texts.GetSectionText(QStringLiteral("MainForm.Grids"),
                                                        QStringLiteral("gProfilesList.KmPlus"));
    const QString caption = options.Texts.GetMessage(QStringLiteral("Draw3D.RoadSegment")) + QLatin1Char(' ') +
                            header + QLatin1Char(' ') + FormatKmPlus(false, plan.Profiles[s].Position) +
                            QStringLiteral(" - ") + header + QLatin1Char(' ') +
                            FormatKmPlus(false, plan.Profiles[f].Position);
    int fontSize = 10;
    QFont font = ViewFont(fontSize);
    while (fontSize > 4 && QFontMetrics(font, &image).horizontalAdvance(caption) > W - 4 * m) font = ViewFont(--fontSize);
    painter.setFont(font);
    const int t = QFontMetrics(font, &image).height();
    painter.setPen(Qt::black);
    painter.save();
    painter.setClipRect(QRect(QPoint(2 * m, H - 2 * m - t), QPoint(W - 5 * m - 1, H - 2 * m - 1)));
    DrawTextAt(painter, 2 * m, H - 2 * m - t, caption);
    painter.restore();
    result.Caption = caption;
    result.CaptionFontSize = fontSize;
    return t;
}

// The 3D strips from profile s toward profile f: surfaces, crossroads lines,
// centre line and reference points.
void BuildStrips(const tRoadModel& model, int s, int f, bool forward, T3DData& data3d) {
    const TMPlan& plan = model.Plan;
    const int d = forward ? 1 : -1;
    const int stripCount = std::abs(f - s);
    if (static_cast<int>(data3d.Strips.size()) < stripCount) data3d.Strips.resize(stripCount);
    data3d.Count = stripCount;
    for (int k = 0; k < stripCount; ++k) {
        const int w = s + k * d;
        const tPlanProfile& nearP = plan.Profiles[w];
        const tPlanProfile& farP = plan.Profiles[w + d];
        T3DSq& sq = data3d.Strips[k];
        BuildQuads(nearP, farP, sq);
        BuildCrossLines(model.CrossRoads, std::min(w, w + d), std::max(w, w + d), plan.Count() - 1, forward, sq);
        if (!forward) std::reverse(sq.Quads.begin(), sq.Quads.begin() + sq.QuadCount);
        tRoadPoint a1, b1, a2, b2;
        CentreEnds(nearP, a1, b1);
        CentreEnds(farP, a2, b2);
        sq.CentreNear = Mid(a1, b1);
        sq.CentreFar = Mid(a2, b2);
        sq.ZeroWidth = (Distance(a1.X, a1.Y, b1.X, b1.Y) < 1e-5 && Distance(a2.X, a2.Y, b2.X, b2.Y) < 1e-5) ? 1 : 0;
        sq.Ref1 = forward ? nearP.KeyPointM1 : nearP.KeyPoint0;
        sq.Ref2 = forward ? nearP.KeyPoint0 : nearP.KeyPointM1;
    }
}

// Look lines: the sight check over the window, per variant.
void BuildLookLines(TMPlan& plan, int s, int f, bool forward, T3DData& data3d) {
    const int d = forward ? 1 : -1;
    const int lo = std::min(s, f), hi = std::max(s, f);
    for (int i = 0; i < 2; ++i) {
        const int v = forward ? i : 1 - i;
        CheckSightLine(plan, lo, hi, v);
        for (int k = 0; k < data3d.Count; ++k) {
            const int w = s + k * d;
            SetLook(data3d.Strips[k].Look[v], plan.Profiles[w], plan.Profiles[w + d]);
        }
    }
}

// Pixel placement of the projected picture: it sits on the area's bottom
// edge, centred horizontally.
struct tPictureFit {
    double Scale = 1;
    double Left = 0;
    int Bottom = 0;
    QPoint operator()(const QPointF& p) const {
        return QPoint(static_cast<int>(std::lround(Scale * p.x() + Left)),
                      static_cast<int>(std::lround(Bottom - Scale * p.y())));
    }
};

// Fits the picture into the area; false when the area is empty.
bool FitPicture(const T2DData& data2d, const QRect& area, tPictureFit& fit) {
    double boxW = 0, boxH = 0;
    const auto grow = [&](const QPointF& p) {
        boxW = std::max(boxW, p.x());
        boxH = std::max(boxH, p.y());
    };
    for (int i = 0; i < data2d.Count; ++i) {
        const T2DSq& t2 = data2d.Strips[i];
        for (int q = 0; q < t2.QuadCount; ++q)
            for (const auto& p : t2.Quads[q].P) grow(p);
        for (int l = 0; l < t2.LineCount; ++l) {
            grow(QPointF(t2.Lines[l].x1, t2.Lines[l].y1));
            grow(QPointF(t2.Lines[l].x2, t2.Lines[l].y2));
        }
        for (const auto& look : t2.Look)
            if (look.Drawable) {
                grow(look.Start);
                grow(look.End);
            }
        if (t2.CentreDrawable) {
            grow(t2.CentreNear);
            grow(t2.CentreFar);
        }
    }
    const double areaW = area.right() - area.left(), areaH = area.bottom() - area.top();
    if (areaW <= 0 || areaH <= 0) return false;
    if (boxW > 1e-12 && boxH > 1e-12)
        fit.Scale = std::min(areaW / boxW, areaH / boxH);
    else if (boxW > 1e-12)
        fit.Scale = areaW / boxW;
    else if (boxH > 1e-12)
        fit.Scale = areaH / boxH;
    else
        fit.Scale = 1;
    fit.Left = area.left();
    if (areaW > fit.Scale * boxW) fit.Left += std::lround((areaW - fit.Scale * boxW) / 2);
    fit.Bottom = area.bottom();
    return true;
}

// Drawing, farthest strip first; per strip layer by layer, outer quads
// first so that the inner ones cover them.
void PaintStrips(QPainter& painter, const T2DData& data2d, const tPictureFit& px, const tViewOptions& options,
                 int ppi, int w1) {
    const QColor centreColour(255, 255, 202), crossColour(255, 128, 0), lookColour(255, 17, 17);
    const int crossWidth = std::max(1, static_cast<int>(std::lround(3.0 * ppi / 96)));
    const int lookWidth = std::max(w1, 2);
    QPolygon poly(5);
    const auto drawQuad = [&](const T2DQuad& q) {
        for (int c = 0; c < 5; ++c) poly[c] = px(q.P[c]);
        QColor outline = Qt::black;
        if (q.Kind == 1 && options.DrawRoadGrid) outline = QColor(96, 96, 96);
        painter.setPen(QPen(outline, 1));
        painter.setBrush(KindColor(q.Kind));
        painter.drawPolygon(poly);
    };
    for (int k = data2d.Count - 1; k >= 0; --k) {
        const T2DSq& t2 = data2d.Strips[k];
        const int centreX = t2.CentreDrawable ? px(t2.CentreNear).x() : std::numeric_limits<int>::max();
        for (int layer = 0; layer <= 3; ++layer) {
            for (int q = 0; q < t2.QuadCount; ++q)
                if (t2.Quads[q].Layer == layer && px(t2.Quads[q].P[0]).x() <= centreX) drawQuad(t2.Quads[q]);
            for (int q = t2.QuadCount - 1; q >= 0; --q)
                if (t2.Quads[q].Layer == layer && px(t2.Quads[q].P[0]).x() > centreX) drawQuad(t2.Quads[q]);
        }
        if (t2.ZeroWidth && t2.CentreDrawable) {
            painter.setPen(QPen(centreColour, w1, Qt::SolidLine, Qt::RoundCap));
            painter.drawLine(px(t2.CentreNear), px(t2.CentreFar));
        }
        painter.setPen(QPen(crossColour, crossWidth, Qt::SolidLine, Qt::RoundCap));
        for (int l = 0; l < t2.LineCount; ++l)
            painter.drawLine(px(QPointF(t2.Lines[l].x1, t2.Lines[l].y1)), px(QPointF(t2.Lines[l].x2, t2.Lines[l].y2)));
        if (options.DrawLookLines) {
            painter.setPen(QPen(lookColour, lookWidth, Qt::SolidLine, Qt::RoundCap));
            for (const auto& look : t2.Look)
                if (look.Visible && look.Drawable) painter.drawLine(px(look.Start), px(look.End));
        }
    }
}

}  // namespace

tRoadViewResult DrawRoadView(tRoadModel& model, const tViewOptions& options, T3DData& data3d, T2DData& data2d,
                             QImage& image) {
    tRoadViewResult result;
    if (!PrepareSurface(image, options.Target)) return result;
    const int W = image.width(), H = image.height();
    const int ppi = SurfacePpi(options.Target);
    const int m = static_cast<int>(std::lround(ppi / 6.0));
    const int w1 = std::max(1, static_cast<int>(std::lround(ppi / 96.0)));

    QPainter painter(&image);
    painter.setPen(QPen(Qt::black, w1));
    painter.setBrush(Qt::white);
    DrawFrameRect(painter, m, m, W - m, H - m);

    TMPlan& plan = model.Plan;
    const int s = options.Profile;
    if (s < 0 || s >= plan.Count()) return result;
    const bool forward = options.View != tViewKind::Backward || !plan.LookDistancesReady;
    int f = 0;
    if (!RoadViewWindow(plan, s, forward, f)) {
        painter.setFont(ViewFont(8));
        painter.setPen(Qt::black);
        DrawTextAt(painter, 2 * m, 2 * m, options.Texts.GetMessage(QStringLiteral("Draw3D.TooFewProfiles")));
        result.Outcome = tDrawOutcome::TooFewProfiles;
        return result;
    }
    result.Near = s;
    result.Far = f;

    const int t = DrawRoadCaption(painter, image, options, plan, s, f, m, result);
    // Area corners as (left, top) and (right, bottom) coordinates.
    const QRect area(QPoint(2 * m, 2 * m), QPoint(W - 2 * m, H - 3 * m - t));
    BuildStrips(model, s, f, forward, data3d);
    BuildLookLines(plan, s, f, forward, data3d);
    PlaceCamera(data3d, LookHeightMetres(plan, options.LookHeight));
    result.SkippedQuads = Project(data3d, data2d);

    tPictureFit fit;
    if (!FitPicture(data2d, area, fit)) return result;
    PaintStrips(painter, data2d, fit, options, ppi, w1);
    result.Outcome = tDrawOutcome::Drawn;
    return result;
}

}  // namespace kestrova
