#include "render/crossroads_view.h"

#include "core/calc/geometry.h"
#include "core/model/road_text.h"
#include "render/view_painting.h"
#include "render/view_quads.h"

#include <QPainter>
#include <QPolygon>

#include <algorithm>
#include <cmath>

namespace kestrova {

namespace {

int Round(double x) { return static_cast<int>(std::lround(x)); }

const QRgb kHiddenRed = qRgb(255, 32, 32);

Tx2DElement& NextElement(Tx2Ddata& d) {
    if (d.Count >= static_cast<int32_t>(d.Items.size())) d.Items.resize(d.Items.size() + 64);
    Tx2DElement& e = d.Items[d.Count++];
    e = Tx2DElement();
    return e;
}

QPointF Plan(const tRoadPoint& p) { return QPointF(p.X, p.Y); }

void AddLine(Tx2Ddata& d, const QPointF& a, const QPointF& b, QRgb colour, bool thick) {
    Tx2DElement& e = NextElement(d);
    e.IsLine = 1;
    e.Thick = thick ? 1 : 0;
    e.LineColor = colour;
    e.P[0] = a;
    e.P[1] = b;
}

void AddPolyline(Tx2Ddata& d, const std::vector<QPointF>& pts, QRgb colour, bool thick) {
    for (size_t i = 0; i + 1 < pts.size(); ++i) AddLine(d, pts[i], pts[i + 1], colour, thick);
}

// The point of a sight line that the fan and outline reach out to: its
// observer end (the crossing road's sample), unless that point is the fan's
// apex, where the fan would collapse, so its other end is used.
const tSightPoint& OuterPoint(const tSightLineEnds& line, const tRoadPoint& observer) {
    if (Distance(line.Observer.X, line.Observer.Y, observer.X, observer.Y) < 1e-5) return line.Target;
    return line.Observer;
}

// The drawing area inside the frame.
struct tPlanArea {
    int L = 10, T = 10, W = 0, H = 0;
};

// Extent of the elements once turned.
struct tPlanBox {
    double MinX = 1e300, MinY = 1e300, MaxX = -1e300, MaxY = -1e300;
};

int UsedPoints(const Tx2DElement& e) { return e.IsPoint ? 1 : e.IsLine ? 2 : 5; }

// Surfaces of the strips between the profiles from..to.
void AddSurfaces(Tx2Ddata& data, const TMPlan& plan, int from, int to) {
    for (int i = from; i < to; ++i)
        ForEachStripQuad(plan.Profiles[i], plan.Profiles[i + 1],
                         [&](uint8_t kind, uint8_t, const tRoadPoint& a, const tRoadPoint& b, const tRoadPoint& c,
                             const tRoadPoint& e) {
                             Tx2DElement& el = NextElement(data);
                             el.IsSurface = 1;
                             el.LineColor = KindColor(kind).rgb();
                             el.P[0] = Plan(a);
                             el.P[1] = Plan(b);
                             el.P[2] = Plan(c);
                             el.P[3] = Plan(e);
                             el.P[4] = Plan(a);
                         });
}

// Sight fans and outline of the observer, red where the crossing road is
// hidden from this profile.
void AddSight(Tx2Ddata& data, const tCrossRoads& roads, const tXCrossLookDir& look, const tRoadPoint& observer,
              int crossRoad) {
    const bool hidden = look.Hidden != 0;
    const QRgb fanFill = hidden ? qRgb(255, 144, 144) : qRgb(144, 255, 144);
    const QRgb fanOutline = hidden ? qRgb(96, 0, 0) : qRgb(0, 96, 0);
    const auto fanPoint = [&](const tSightLineEnds& l) -> const tSightPoint& {
        return hidden ? l.Target : OuterPoint(l, observer);
    };
    // A profile may approach more than one crossroad: keep this one's lines.
    std::vector<tSightLineEnds> sideLines[2];
    for (int side = 0; side < 2; ++side)
        for (const tSightLine& l : look.SightLines[side]) {
            tSightLineEnds ends;
            if (l.CrossRoad == crossRoad && SightLineEnds(roads, look, side, l, ends)) sideLines[side].push_back(ends);
        }
    for (const auto& lines : sideLines)
        for (size_t i = 0; i + 1 < lines.size(); ++i) {
            Tx2DElement& el = NextElement(data);
            el.IsFan = 1;
            el.FanFill = fanFill;
            el.FanOutline = fanOutline;
            el.P[0] = Plan(observer);
            el.P[1] = Plan(fanPoint(lines[i]));
            el.P[2] = Plan(fanPoint(lines[i + 1]));
            el.P[3] = Plan(observer);
            el.P[4] = Plan(observer);
        }

    // Sight outline: side 0 from its far end in, side 1 out, back to the observer.
    const auto outline = [&](auto pointOf) {
        std::vector<QPointF> pts{Plan(observer)};
        for (auto it = sideLines[0].rbegin(); it != sideLines[0].rend(); ++it) pts.push_back(Plan(pointOf(*it)));
        for (const auto& l : sideLines[1]) pts.push_back(Plan(pointOf(l)));
        pts.push_back(Plan(observer));
        return pts;
    };
    AddPolyline(data, outline([&](const tSightLineEnds& l) -> const tSightPoint& { return OuterPoint(l, observer); }),
                hidden ? kHiddenRed : qRgb(32, 255, 32), false);
    if (hidden)
        AddPolyline(data, outline([](const tSightLineEnds& l) -> const tSightPoint& { return l.Target; }), kHiddenRed,
                    false);
}

// Hidden crossings of the profile's sight lines on the profiles toward the
// crossing (up to boundA), chained per profile and side.
void AddHiddenCrossings(Tx2Ddata& data, const TMPlan& plan, int d, int profile, int boundA, int crossRoad) {
    const int n = plan.Count();
    const int step = d == DirFwd ? 1 : -1;
    for (int q = profile;; q += step) {
        if (q < 0 || q >= n) break;
        for (const auto& side : plan.Profiles[q].CrossLook[d].HiddenPoints) {
            std::vector<QPointF> chain;
            for (const auto& hp : side.Points)
                if (hp.ObserverProfile == profile && (hp.CrossRoad < 0 || hp.CrossRoad == crossRoad))
                    chain.push_back(Plan(hp.Point));
            if (chain.size() == 1) {
                // A lone crossing still shows as a dot.
                Tx2DElement& el = NextElement(data);
                el.IsPoint = 1;
                el.LineColor = kHiddenRed;
                el.P[0] = chain[0];
            } else {
                AddPolyline(data, chain, kHiddenRed, true);
            }
        }
        if (q == boundA) break;
    }
}

// The crossing road around the crossing, as wide as profile pa's section.
void AddCrossingRoad(Tx2Ddata& data, const tCrossRoadRec& road, const tPlanProfile& pa) {
    if (road.Count() < 2) return;
    double reachLo = 0, reachHi = 0;
    if (!pa.Segments.empty()) {
        reachLo = Distance(pa.KeyPoint0.X, pa.KeyPoint0.Y, pa.Segments.front().A.X, pa.Segments.front().A.Y);
        reachHi = Distance(pa.KeyPoint0.X, pa.KeyPoint0.Y, pa.Segments.back().B.X, pa.Segments.back().B.Y);
    }
    int lo = std::clamp(road.CrossIndex, 0, road.Count() - 1), hi = lo;
    while (lo > 0 && std::fabs(road.Points[lo].Chainage) < reachLo) --lo;
    while (hi < road.Count() - 1 && std::fabs(road.Points[hi].Chainage) < reachHi) ++hi;
    if (lo == hi) {
        lo = 0;
        hi = road.Count() - 1;
    }
    for (int i = lo; i < hi; ++i) AddLine(data, Plan(road.Points[i]), Plan(road.Points[i + 1]), qRgb(255, 128, 0), true);
}

// Turns the elements so that profile pb's section runs left to right; false
// when that section gives no direction.
bool TurnToSection(Tx2Ddata& data, const tPlanProfile& pb, tPlanBox& box) {
    if (pb.Segments.empty()) return false;
    const double vx = pb.Segments.back().B.X - pb.Segments.front().A.X;
    const double vy = pb.Segments.back().B.Y - pb.Segments.front().A.Y;
    if (std::fabs(vx) + std::fabs(vy) < 2e-5) return false;
    const double angle = DirectionAngle(false, vx, vy);
    const double cs = std::cos(-angle), sn = std::sin(-angle);
    for (int i = 0; i < data.Count; ++i) {
        Tx2DElement& e = data.Items[i];
        for (int k = 0; k < UsedPoints(e); ++k) {
            const QPointF p = e.P[k];
            e.P[k] = QPointF(p.x() * cs - p.y() * sn, p.x() * sn + p.y() * cs);
            box.MinX = std::min(box.MinX, e.P[k].x());
            box.MaxX = std::max(box.MaxX, e.P[k].x());
            box.MinY = std::min(box.MinY, e.P[k].y());
            box.MaxY = std::max(box.MaxY, e.P[k].y());
        }
    }
    return true;
}

// Pixel positions fitting the box into the area, centred both ways, y up;
// false when there is nothing to fit.
bool FitToArea(Tx2Ddata& data, const tPlanBox& box, const tPlanArea& area) {
    const double boxW = box.MaxX - box.MinX, boxH = box.MaxY - box.MinY;
    if (data.Count == 0 || boxW < 1e-5 || boxH < 1e-5) return false;
    const double scale = std::min(area.W / boxW, area.H / boxH);
    const int left = area.L + Round((area.W - scale * boxW) / 2) - Round(scale * box.MinX);
    const int top = area.T + Round((area.H - scale * boxH) / 2) + Round(scale * box.MaxY);
    for (int i = 0; i < data.Count; ++i) {
        Tx2DElement& e = data.Items[i];
        for (int k = 0; k < UsedPoints(e); ++k)
            e.Px[k] = QPoint(Round(scale * e.P[k].x()) + left, top - Round(scale * e.P[k].y()));
    }
    return true;
}

// Drawing in list order; fans masked with their fill, then merged with their outline colour.
void PaintElements(QPainter& painter, const Tx2Ddata& data, const tPlanArea& area) {
    painter.setClipRect(QRect(area.L, area.T, area.W, area.H));
    QPolygon poly(5);
    for (int i = 0; i < data.Count; ++i) {
        const Tx2DElement& e = data.Items[i];
        const int width = e.Thick ? 5 : e.IsPoint ? 3 : 1;
        painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
        if (e.IsPoint) {
            painter.setPen(QPen(QColor(e.LineColor), width, Qt::SolidLine, Qt::FlatCap));
            painter.drawLine(e.Px[0].x() - 1, e.Px[0].y(), e.Px[0].x() + 2, e.Px[0].y());
        } else if (e.IsLine) {
            painter.setPen(QPen(QColor(e.LineColor), width, Qt::SolidLine, Qt::RoundCap));
            painter.drawLine(e.Px[0], e.Px[1]);
        } else {
            for (int k = 0; k < 5; ++k) poly[k] = e.Px[k];
            if (e.IsFan) {
                painter.setCompositionMode(QPainter::RasterOp_SourceAndDestination);
                painter.setPen(QPen(QColor(e.FanFill), width));
                painter.setBrush(QColor(e.FanFill));
                painter.drawPolygon(poly);
                painter.setCompositionMode(QPainter::RasterOp_SourceOrDestination);
                painter.setPen(QPen(QColor(e.FanOutline), width));
                painter.setBrush(QColor(e.FanOutline));
                painter.drawPolygon(poly);
            } else {
                const QColor fill(e.LineColor);
                painter.setPen(QPen(fill == QColor(0, 0, 0) ? QColor(96, 96, 96) : QColor(0, 0, 0), width));
                painter.setBrush(fill);
                painter.drawPolygon(poly);
            }
        }
    }
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
}

}  // namespace

tCrossRoadSelection SelectCrossRoad(const tRoadModel& model, int crossRoad, int checkedDirection, int currentRow,
                                    tCrossRoadsListState& state) {
    tCrossRoadSelection sel;
    if (crossRoad < 0 || crossRoad >= model.CrossRoads.Count()) return sel;
    const tCrossRoadRec& c = model.CrossRoads.Roads[crossRoad];
    sel.Ok = !c.Skip;
    if (!sel.Ok) return sel;
    sel.FwdEnabled = c.DirectionOpen[DirFwd] != 0;
    sel.RevEnabled = c.DirectionOpen[DirRev] != 0;
    sel.Direction = checkedDirection == DirRev ? DirRev : DirFwd;
    // A checked but disabled button passes the check to the other one.
    if (sel.Direction == DirFwd && !sel.FwdEnabled)
        sel.Direction = DirRev;
    else if (sel.Direction == DirRev && !sel.RevEnabled)
        sel.Direction = DirFwd;
    sel.FwdNotVisible = c.NotVisible[DirFwd] != 0;
    sel.RevNotVisible = c.NotVisible[DirRev] != 0;

    const int d = sel.Direction;
    const int n = model.Plan.Count();
    if (c.DirectionOpen[d] && n > 0) {
        const int a = c.ApproachRange[d], b = c.ApproachEnd[d];
        const int from = std::clamp(std::min(a, b), 0, n - 1), to = std::clamp(std::max(a, b), 0, n - 1);
        for (int i = from; i <= to; ++i) {
            const tPlanProfile& p = model.Plan.Profiles[i];
            sel.Rows.push_back({i, p.RecordNumber, FormatKmPlus(true, p.Position), p.CrossLook[d].Hidden != 0});
        }
    }
    const int rows = static_cast<int>(sel.Rows.size());
    if (crossRoad != state.LastCrossRoad || d != state.LastDirection)
        sel.CurrentRow = d == DirFwd ? 0 : rows - 1;
    else
        sel.CurrentRow = std::clamp(currentRow, 0, rows - 1);
    if (rows == 0) sel.CurrentRow = -1;
    state.LastCrossRoad = crossRoad;
    state.LastDirection = d;
    return sel;
}

tCrossRoadPlanResult DrawCrossRoadPlan(const tRoadModel& model, const tViewOptions& options, Tx2Ddata& data,
                                       QImage& image, int crossRoad, int profile, int boundA, int boundB,
                                       int direction) {
    tCrossRoadPlanResult result;
    if (!PrepareSurface(image, options.Target)) return result;
    data.Count = 0;
    const int W = image.width(), H = image.height();
    QPainter painter(&image);
    painter.fillRect(image.rect(), options.ButtonFace);
    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(Qt::white);
    DrawFrameRect(painter, 5, 5, W - 5, H - 5);
    tPlanArea area;
    area.W = W - 20;
    area.H = H - 20;

    const TMPlan& plan = model.Plan;
    const int n = plan.Count();
    if (crossRoad < 0 || crossRoad >= model.CrossRoads.Count() || profile < 0 || profile >= n || boundA < 0 ||
        boundA >= n || boundB < 0 || boundB >= n || area.W <= 0 || area.H <= 0)
        return result;
    const int d = direction == DirRev ? DirRev : DirFwd;
    const tPlanProfile& s = plan.Profiles[profile];
    const tXCrossLookDir& look = s.CrossLook[d];

    // Profile range: from the farthest approach profile to the first one
    // from which the crossing is seen, one more at each end.
    int h = look.FirstVisible;
    h = d == DirFwd ? std::max(h, boundA) : std::min(h, boundA);
    int from = std::max(0, std::min(h, boundB) - 1);
    int to = std::min(n - 1, std::max(h, boundB) + 1);
    if (from >= to) return result;
    result.FirstProfile = from;
    result.LastProfile = to;

    AddSurfaces(data, plan, from, to);
    AddSight(data, model.CrossRoads, look, d == DirFwd ? s.KeyPoint0 : s.KeyPointM1, crossRoad);
    if (look.Hidden != 0) AddHiddenCrossings(data, plan, d, profile, boundA, crossRoad);
    AddCrossingRoad(data, model.CrossRoads.Roads[crossRoad], plan.Profiles[boundA]);
    tPlanBox box;
    if (!TurnToSection(data, plan.Profiles[boundB], box)) return result;
    if (!FitToArea(data, box, area)) return result;
    PaintElements(painter, data, area);
    result.Drawn = true;
    return result;
}

bool DrawCrossRoadsView(const tRoadModel& model, const tViewOptions& options, Tx2Ddata& data, QImage& image,
                        int* drawnProfile) {
    tCrossRoadsListState state;
    const tCrossRoadSelection sel = SelectCrossRoad(model, options.CrossRoad, options.Direction, -1, state);
    int profile = -1;
    if (sel.Ok && sel.CurrentRow >= 0) {
        if (options.Profile < 0) {
            profile = sel.Rows[sel.CurrentRow].Profile;
        } else {
            for (const auto& row : sel.Rows)
                if (row.Profile == options.Profile) profile = row.Profile;
        }
    }
    if (drawnProfile) *drawnProfile = profile;
    if (profile < 0) {
        DrawCrossRoadPlan(model, options, data, image, -1, -1, -1, -1, sel.Direction);
        return false;
    }
    const tCrossRoadRec& road = model.CrossRoads.Roads[options.CrossRoad];
    return DrawCrossRoadPlan(model, options, data, image, options.CrossRoad, profile,
                             road.ApproachRange[sel.Direction], road.ApproachEnd[sel.Direction], sel.Direction)
        .Drawn;
}

}  // namespace kestrova
