#include "generate/road_generator.h"

#include "app/file_replace.h"

#include "import/road_import.h"
#include "model/road_text.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSaveFile>

#include <xlsxwriter.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <random>

namespace kestrova {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kDeg = kPi / 180.0;

// ---------------------------------------------------------------------------
// Random numbers. The distributions are our own so that a seed gives the same
// road with every standard library: only the raw 32-bit mt19937 output is used.

class tRandom {
public:
    explicit tRandom(uint32_t seed) : Engine(seed) {}
    double Unit() { return Engine() / 4294967296.0; }  // [0, 1)
    double Range(double a, double b) { return a + (b - a) * Unit(); }
    int Int(int a, int b) { return a + std::min(b - a, int(Unit() * (b - a + 1))); }  // a..b inclusive
    bool Chance(double p) { return Unit() < p; }
    int Sign() { return Chance(0.5) ? 1 : -1; }

private:
    std::mt19937 Engine;
};

double Clamp(double x, double a, double b) { return std::max(a, std::min(b, x)); }
double SmoothStep(double t) {
    t = Clamp(t, 0.0, 1.0);
    return t * t * (3 - 2 * t);
}

// ---------------------------------------------------------------------------
// Horizontal alignment: tangents and circular arcs joined with a common heading.

struct tHElement {
    double Begin = 0, Length = 0, Curvature = 0;  // curvature > 0 turns left
    double X0 = 0, Y0 = 0, Heading0 = 0;
};

struct tAlignPoint {
    double X = 0, Y = 0, Heading = 0, Curvature = 0;
};

class tAlignment {
public:
    void Start(double x, double y, double heading) {
        StartX = x;
        StartY = y;
        StartHeading = heading;
    }
    double Length() const { return Elements.empty() ? 0 : Elements.back().Begin + Elements.back().Length; }
    double EndHeading() const {
        if (Elements.empty()) return StartHeading;
        const tHElement& e = Elements.back();
        return e.Heading0 + e.Curvature * e.Length;
    }
    void Add(double length, double curvature) {
        if (length <= 0) return;
        tHElement e;
        e.Begin = Length();
        e.Length = length;
        e.Curvature = curvature;
        if (Elements.empty()) {
            e.X0 = StartX;
            e.Y0 = StartY;
            e.Heading0 = StartHeading;
        } else {
            const tAlignPoint end = Eval(Elements.back(), Elements.back().Length);
            e.X0 = end.X;
            e.Y0 = end.Y;
            e.Heading0 = end.Heading;
        }
        Elements.push_back(e);
    }
    tAlignPoint At(double s) const {
        if (Elements.empty()) return {StartX, StartY, StartHeading, 0};
        auto it = std::upper_bound(Elements.begin(), Elements.end(), s,
                                   [](double v, const tHElement& e) { return v < e.Begin; });
        const tHElement& e = it == Elements.begin() ? Elements.front() : *(it - 1);
        return Eval(e, s - e.Begin);
    }
    // Plan point at station s, offset o to the right of the direction of travel.
    void PointAt(double s, double o, double& x, double& y) const {
        const tAlignPoint p = At(s);
        x = p.X + o * std::sin(p.Heading);
        y = p.Y - o * std::cos(p.Heading);
    }

private:
    static tAlignPoint Eval(const tHElement& e, double t) {
        tAlignPoint p;
        p.Curvature = e.Curvature;
        p.Heading = e.Heading0 + e.Curvature * t;
        if (std::fabs(e.Curvature) < 1e-12) {
            p.X = e.X0 + t * std::cos(e.Heading0);
            p.Y = e.Y0 + t * std::sin(e.Heading0);
        } else {
            p.X = e.X0 + (std::sin(p.Heading) - std::sin(e.Heading0)) / e.Curvature;
            p.Y = e.Y0 - (std::cos(p.Heading) - std::cos(e.Heading0)) / e.Curvature;
        }
        return p;
    }

    double StartX = 0, StartY = 0, StartHeading = 0;
    std::vector<tHElement> Elements;
};

// ---------------------------------------------------------------------------
// Vertical alignment: constant grades joined by parabolic vertical curves.

struct tVElement {
    double Begin = 0, Length = 0, G0 = 0, G1 = 0, Z0 = 0;
};

class tGradeLine {
public:
    void Start(double z) { StartZ = z; }
    double Length() const { return Elements.empty() ? 0 : Elements.back().Begin + Elements.back().Length; }
    double EndGrade() const { return Elements.empty() ? 0 : Elements.back().G1; }
    void Add(double length, double g0, double g1) {
        if (length <= 0) return;
        tVElement e;
        e.Begin = Length();
        e.Length = length;
        e.G0 = g0;
        e.G1 = g1;
        e.Z0 = Elements.empty() ? StartZ : EndZ();
        Elements.push_back(e);
    }
    // Height and grade at station s.
    void At(double s, double& z, double& g) const {
        if (Elements.empty()) {
            z = StartZ;
            g = 0;
            return;
        }
        auto it = std::upper_bound(Elements.begin(), Elements.end(), s,
                                   [](double v, const tVElement& e) { return v < e.Begin; });
        const tVElement& e = it == Elements.begin() ? Elements.front() : *(it - 1);
        const double t = s - e.Begin;
        g = e.G0 + (e.G1 - e.G0) * t / e.Length;
        z = e.Z0 + e.G0 * t + (e.G1 - e.G0) * t * t / (2 * e.Length);
    }

private:
    double EndZ() const {
        const tVElement& e = Elements.back();
        return e.Z0 + (e.G0 + e.G1) * e.Length / 2;
    }
    double StartZ = 0;
    std::vector<tVElement> Elements;
};

// ---------------------------------------------------------------------------
// The road plan: stretches and everything placed along them.

enum class tKind { Plain, SharpCurve, Valley, Slick, Bridge, Busy, Village, HiddenCrossing, Crest, Divided, WoodedCurve };

// A range values are drawn from.
struct tSpan {
    double Lo = 0, Hi = 0;
};

struct tStretch {
    tKind Kind = tKind::Plain;
    double Begin = 0, End = 0;
    int Category = 1;
    int Intensity = 0;
    int Shares[4] = {1000, 0, 0, 0};  // thousandths: cars, buses, trucks, vehicle trains
    double Slickness = 60;
    double LaneWidth = 3.5;
    double ShoulderWidth = 2.5;
    QString Description;
};

// A stretch of road with a value: bridges (clearance), slick pavement
// (slickness), localities, social activity spots, divided road (median width).
struct tZone {
    double Begin = 0, End = 0, Value = 0;
};

// The terrain beside the road, relative to the road level: negative is an
// embankment, positive a cut. Side -1 left, +1 right, 0 both.
struct tTerrainBump {
    double Begin = 0, End = 0, Ramp = 0, Value = 0;
    int Side = 0;
};

// A tree stand or a building: its outline runs along the key points Inner and
// Outer (index on the side: 0 shoulder edge ... 9 far terrain) of the profiles
// from Begin to End.
struct tObjectPlan {
    QString Name;
    bool IsVegetation = true;
    int Side = 1;
    double Begin = 0, End = 0;
    int Inner = 1, Outer = 7;
    double Height = 10, Jitter = 0;
};

// A crossroad as vertices in road coordinates (station, offset to the right).
// It crosses at grade: near the crossing it takes the road's height.
struct tCrossPlan {
    QString Name;
    std::vector<std::pair<double, double>> Vertices;
    double CrossStation = -1;  // station of the crossing, -1 when it never meets the road
};

struct tPlan {
    double Length = 0;
    tAlignment Plan;
    tGradeLine Grades;
    std::vector<tStretch> Stretches;
    std::vector<tZone> Bridges, Slick, Localities, Social, Divided;
    std::vector<tTerrainBump> Bumps;
    double MaxBumpExtent = 0;
    std::vector<tObjectPlan> Objects;
    std::vector<tCrossPlan> Crossings;
    double Phase[6] = {0, 0, 0, 0, 0, 0};
};

// Key points of every profile, in header order. Left of the carriageway the
// numbers run 100 (far terrain) .. 109 (shoulder edge), right of it 130
// (shoulder edge) .. 139 (far terrain); 112/127 are the carriageway edges,
// 116/117 and 122/123 bound the central span (all at the centre line on an
// undivided road).
const std::array<int, 28> kKeyNumbers = {-1,  0,   100, 101, 102, 103, 104, 105, 106, 107,
                                         108, 109, 112, 116, 117, 122, 123, 127, 130, 131,
                                         132, 133, 134, 135, 136, 137, 138, 139};
constexpr int kKeyCount = 28;
int KeySlot(int number) {
    for (int i = 0; i < kKeyCount; ++i)
        if (kKeyNumbers[i] == number) return i;
    return -1;
}
// Slot of side key point index k (0 shoulder edge .. 9 far terrain) on a side.
int SideSlot(int side, int k) { return KeySlot(side > 0 ? 130 + k : 109 - k); }

const std::array<QString, 14> kRoadColumns = {
    QStringLiteral("RecordNumber"),     QStringLiteral("Position"),         QStringLiteral("RoadCathegory"),
    QStringLiteral("TrafficIntensity"), QStringLiteral("Cars"),             QStringLiteral("Trucks"),
    QStringLiteral("Buses"),            QStringLiteral("VehicleTrains"),    QStringLiteral("CurveRadius"),
    QStringLiteral("LongitudinalTilt"), QStringLiteral("SlicknessValue"),   QStringLiteral("Clearance"),
    QStringLiteral("IsLocality"),       QStringLiteral("IsSocialActivity")};

// Fixed-point text without trailing zeros ("12.5", "0", "-3.25"); never "-0".
QString Num(double v, int decimals) {
    QString t = QString::number(v, 'f', decimals);
    if (decimals > 0) {
        while (t.endsWith(QLatin1Char('0'))) t.chop(1);
        if (t.endsWith(QLatin1Char('.'))) t.chop(1);
    }
    if (t == QLatin1String("-0")) t = QStringLiteral("0");
    return t;
}

const tZone* FindZone(const std::vector<tZone>& zones, double s) {
    auto it = std::upper_bound(zones.begin(), zones.end(), s, [](double v, const tZone& z) { return v < z.Begin; });
    if (it == zones.begin()) return nullptr;
    --it;
    return s <= it->End ? &*it : nullptr;
}

// 0..1 weight of a zone at s with linear ramps of length ramp inside it.
double ZoneWeight(const std::vector<tZone>& zones, double s, double ramp, double* value = nullptr) {
    const tZone* z = FindZone(zones, s);
    if (!z) return 0;
    if (value) *value = z->Value;
    const double len = z->End - z->Begin;
    const double r = std::min(ramp, len / 2);
    if (r <= 0) return 1;
    return Clamp(std::min(s - z->Begin, z->End - s) / r, 0.0, 1.0);
}

const tStretch& StretchAt(const tPlan& plan, double s) {
    auto it = std::upper_bound(plan.Stretches.begin(), plan.Stretches.end(), s,
                               [](double v, const tStretch& st) { return v < st.Begin; });
    return it == plan.Stretches.begin() ? plan.Stretches.front() : *(it - 1);
}

// Terrain height relative to the road centre at station s on one side.
double TerrainOffset(const tPlan& plan, double s, int side) {
    double d = -0.6;
    auto it = std::lower_bound(plan.Bumps.begin(), plan.Bumps.end(), s - plan.MaxBumpExtent,
                               [](const tTerrainBump& b, double v) { return b.Begin - b.Ramp < v; });
    for (; it != plan.Bumps.end() && it->Begin - it->Ramp <= s; ++it) {
        if (it->Side != 0 && it->Side != side) continue;
        if (s > it->End + it->Ramp) continue;
        double w = 1;
        if (s < it->Begin) w = SmoothStep((s - (it->Begin - it->Ramp)) / it->Ramp);
        else if (s > it->End) w = SmoothStep(((it->End + it->Ramp) - s) / it->Ramp);
        d += it->Value * w;
    }
    return d;
}

// Ground height at station s, offset o (right positive), for road centre height zc.
double Terrain(const tPlan& plan, double s, double o, double zc) {
    const int side = o < 0 ? -1 : 1;
    const double lateral = 0.012 * std::sin(s / 420.0 + plan.Phase[0]);
    const double noise = 0.12 * std::sin(s / 37.0 + plan.Phase[1]) +
                         0.10 * std::sin(s / 91.0 + o / 29.0 + plan.Phase[2]) +
                         0.08 * std::sin(o / 13.0 + s / 211.0 + plan.Phase[3]);
    // The noise fades towards the road so that ditches keep their shape.
    const double fade = Clamp((std::fabs(o) - 8.0) / 20.0, 0.0, 1.0);
    return zc + TerrainOffset(plan, s, side) + lateral * o + noise * fade;
}

// ---------------------------------------------------------------------------
// Laying out the stretches.

class tPlanner {
public:
    tPlanner(tPlan& plan, tRandom& rnd) : P(plan), R(rnd) {}

    void Build(double length) {
        P.Length = length;
        // Every draw in its own statement: the order of evaluation of function
        // arguments differs between compilers.
        const double heading = R.Range(-0.3, 0.3);
        const double y0 = R.Range(5580000, 5620000);
        const double x0 = R.Range(420000, 460000);
        P.Plan.Start(x0, y0, heading);
        P.Grades.Start(R.Range(150, 260));
        for (double& ph : P.Phase) ph = R.Range(0, 2 * kPi);

        const std::vector<tKind> deck = {tKind::Plain,   tKind::SharpCurve,     tKind::Valley, tKind::Slick,
                                         tKind::Bridge,  tKind::Busy,           tKind::Village, tKind::HiddenCrossing,
                                         tKind::Crest,   tKind::Divided,        tKind::WoodedCurve};
        std::vector<tKind> order;
        bool specialsPlaced = false;
        double s = 0;
        while (length - s > 1e-6) {
            if (order.empty()) {
                order = deck;
                // Fisher-Yates with our own integer draw.
                for (int i = int(order.size()) - 1; i > 0; --i) std::swap(order[i], order[R.Int(0, i)]);
                // The road opens in open country, which carries the two crossroads
                // that take no part (one beside the road, one crossing it twice).
                if (!specialsPlaced) std::swap(order.back(), *std::find(order.begin(), order.end(), tKind::Plain));
            }
            tKind kind = order.back();
            order.pop_back();
            double want = MinLength(kind) + R.Range(0, 80);
            const double rest = length - s;
            if (rest - want < 300) {
                // The last stretch takes what is left; a short rest becomes open country.
                want = rest;
                if (want < MinLength(kind)) kind = tKind::Plain;
            }
            tStretch st = BaseStretch(kind, s, s + want);
            P.Stretches.push_back(st);
            const bool hostSpecials = kind == tKind::Plain && !specialsPlaced;
            LayStretch(P.Stretches.back(), hostSpecials);
            if (hostSpecials) specialsPlaced = true;
            s += want;
        }
        auto byBegin = [](const tZone& a, const tZone& b) { return a.Begin < b.Begin; };
        for (auto* zones : {&P.Bridges, &P.Slick, &P.Localities, &P.Social, &P.Divided})
            std::stable_sort(zones->begin(), zones->end(), byBegin);
        // Stable, so that bumps with the same start add up in the same order everywhere.
        std::stable_sort(P.Bumps.begin(), P.Bumps.end(),
                  [](const tTerrainBump& a, const tTerrainBump& b) { return a.Begin - a.Ramp < b.Begin - b.Ramp; });
        for (const tTerrainBump& b : P.Bumps) P.MaxBumpExtent = std::max(P.MaxBumpExtent, b.End - b.Begin + 2 * b.Ramp);
    }

private:
    static double MinLength(tKind kind) {
        switch (kind) {
        case tKind::Plain: return 420;
        case tKind::SharpCurve: return 380;
        case tKind::Valley: return 700;
        case tKind::Slick: return 330;
        case tKind::Bridge: return 280;
        case tKind::Busy: return 330;
        case tKind::Village: return 600;
        case tKind::HiddenCrossing: return 460;
        case tKind::Crest: return 520;
        case tKind::Divided: return 700;
        case tKind::WoodedCurve: return 520;
        }
        return 420;
    }

    void Shares(tStretch& st, int carsLo, int carsHi, int trucksLo, int trucksHi) {
        const int cars = R.Int(carsLo, carsHi);
        const int buses = R.Int(20, 90);
        const int trucks = std::min(R.Int(trucksLo, trucksHi), 1000 - cars - buses);
        st.Shares[0] = cars;
        st.Shares[1] = buses;
        st.Shares[2] = std::max(0, trucks);
        st.Shares[3] = 1000 - cars - buses - st.Shares[2];
    }

    tStretch BaseStretch(tKind kind, double begin, double end) {
        tStretch st;
        st.Kind = kind;
        st.Begin = begin;
        st.End = end;
        st.Slickness = std::round(R.Range(40, 110));
        Shares(st, 620, 780, 90, 180);
        switch (kind) {
        case tKind::Plain:
            st.Category = R.Chance(0.6) ? 1 : 0;
            st.Intensity = R.Int(4, 14) * 100;
            break;
        case tKind::Village:
            st.Category = 1;
            st.Intensity = R.Int(8, 16) * 100;
            Shares(st, 740, 820, 60, 120);
            st.ShoulderWidth = 1.5;
            break;
        case tKind::WoodedCurve:
            st.Category = 1;
            st.Intensity = R.Int(5, 12) * 100;
            break;
        case tKind::Busy:
            st.Category = 2;
            st.Intensity = R.Int(50, 85) * 100;
            Shares(st, 560, 680, 150, 230);
            st.LaneWidth = 3.75;
            break;
        case tKind::Divided:
            st.Category = R.Chance(0.5) ? 3 : 4;
            st.Intensity = R.Int(25, 60) * 100;
            Shares(st, 560, 680, 150, 230);
            st.LaneWidth = 3.75;
            st.ShoulderWidth = 3.0;
            break;
        default:  // two-lane main road
            st.Category = 2;
            st.Intensity = R.Int(3, 6) * 100;
            st.LaneWidth = 3.5;
            break;
        }
        return st;
    }

    // Curve direction that turns the road back towards its general heading, so
    // the road keeps running one way and never meets itself.
    int TurnSign() {
        const double h = P.Plan.EndHeading();
        if (std::fabs(h) < 5 * kDeg) return R.Sign();
        return h > 0 ? -1 : 1;
    }

    // Tangent, arc of radius r and deflection, tangent; returns the arc's range.
    std::pair<double, double> LayArc(double begin, double end, double lead, double radius, double arcLength) {
        const double sign = TurnSign();
        P.Plan.Add(lead, 0);
        P.Plan.Add(arcLength, sign / radius);
        P.Plan.Add(end - begin - lead - arcLength, 0);
        return {begin + lead, begin + lead + arcLength};
    }

    void LayLevel(double len) { P.Grades.Add(len, 0, 0); }

    // A barely noticeable swell: sag, constant grade, crest, with radii far
    // beyond any sight distance.
    void LayGentle(double len) {
        const double a = 0.35 * len;
        const double g = R.Sign() * a / 80000.0;
        P.Grades.Add(a, 0, g);
        P.Grades.Add(len - 2 * a, g, g);
        P.Grades.Add(a, g, 0);
    }

    // A valley (sign -1) or a hill (sign +1) between level ends of 30 m: the
    // grade turns to sign * g over `turn`, holds, turns to the opposite grade
    // over `middle`, holds as long and turns back to level over `turn`.
    // Returns the length of each held grade.
    double LayValleyOrHill(double len, double g, int sign, double turn, double middle) {
        const double s = sign * g;
        const double grade = (len - 2 * turn - middle - 60) / 2;
        P.Grades.Add(30, 0, 0);
        P.Grades.Add(turn, 0, s);
        P.Grades.Add(grade, s, s);
        P.Grades.Add(middle, s, -s);
        P.Grades.Add(grade, -s, -s);
        P.Grades.Add(turn, -s, 0);
        P.Grades.Add(len - 30 - 2 * turn - middle - 2 * grade, 0, 0);
        return grade;
    }

    // With the given chance an arc of a radius drawn from `radii`, starting
    // lead * len into the stretch and arc * len long; else a straight.
    void LayArcOrStraight(double b, double e, double chance, double lead, tSpan radii, double arc) {
        const double len = e - b;
        if (R.Chance(chance)) LayArc(b, e, lead * len, R.Range(radii.Lo, radii.Hi), arc * len);
        else P.Plan.Add(len, 0);
    }

    // A road crossing this one, named by `name` with its number for %1: both
    // arms drawn from `arms` (the far one first), the angle in degrees from
    // `angles`, then the crossing's place as a part of the stretch from
    // `places` (a fixed place when the span is one value). Returns the angle.
    double AddDrawnCrossing(const QString& name, double b, double len, tSpan arms, tSpan angles,
                            tSpan places) {
        const double after = R.Range(arms.Lo, arms.Hi);
        const double before = R.Range(arms.Lo, arms.Hi);
        const double angle = R.Range(angles.Lo, angles.Hi);
        const double at = b + len * (places.Lo == places.Hi ? places.Lo : R.Range(places.Lo, places.Hi));
        AddCrossing(name.arg(++CrossCount), at, angle, before, after);
        return angle;
    }

    void AddCrossing(const QString& name, double station, double angleDeg, double before, double after) {
        tCrossPlan c;
        c.Name = name;
        c.CrossStation = station;
        const double ca = std::cos(angleDeg * kDeg), sa = std::sin(angleDeg * kDeg);
        // Runs from the left of the road to its right.
        for (double t = -before; t <= after + 1e-9; t += 10.0) c.Vertices.push_back({station - t * ca, t * sa});
        P.Crossings.push_back(c);
    }

    void AddTrees(int side, double begin, double end, int inner, int outer, double height) {
        // Stands of at most 100 m so that no outline gets too many points.
        const int stand = ++TreeCount;
        int part = 0;
        for (double b = begin; b < end - 1; b += 100.0) {
            tObjectPlan o;
            o.Name = QStringLiteral("Tree stand %1").arg(stand);
            if (part++ > 0) o.Name += QStringLiteral(", part %1").arg(part);
            o.IsVegetation = true;
            o.Side = side;
            o.Begin = b;
            o.End = std::min(end, b + 100.0);
            o.Inner = inner;
            o.Outer = outer;
            o.Height = height + R.Range(-2, 2);
            o.Jitter = 2.5;
            P.Objects.push_back(o);
        }
    }

    void AddHouses(int side, double begin, double end, double keepAway) {
        double s = begin + R.Range(0, 15);
        while (s < end) {
            const double len = R.Range(11, 18);
            if (s + len > end) break;
            if (std::fabs(s + len / 2 - keepAway) > 70) {
                tObjectPlan o;
                o.Name = QStringLiteral("House %1").arg(++HouseCount);
                o.IsVegetation = false;
                o.Side = side;
                o.Begin = s;
                o.End = s + len;
                o.Inner = R.Chance(0.5) ? 5 : 6;
                o.Outer = o.Inner + 1;
                o.Height = std::round(R.Range(6, 10) * 10) / 10;
                P.Objects.push_back(o);
                // Gardens behind some houses.
                if (R.Chance(0.4)) {
                    tObjectPlan g = o;
                    g.Name = QStringLiteral("Garden %1").arg(HouseCount);
                    g.IsVegetation = true;
                    g.Inner = o.Outer + 1;
                    g.Outer = 9;
                    g.Height = std::round(R.Range(4, 7) * 10) / 10;
                    g.Jitter = 1;
                    P.Objects.push_back(g);
                }
            }
            s += len + R.Range(14, 35);
        }
    }

    void LayStretch(tStretch& st, bool hostSpecials) {
        const double b = st.Begin, e = st.End, len = e - b;
        switch (st.Kind) {
        case tKind::Plain: {
            if (R.Chance(0.5) && len >= 400) {
                const double radius = st.Category == 0 ? R.Range(5500, 8000) : R.Range(3000, 6000);
                LayArc(b, e, 0.2 * len, radius, 0.6 * len);
                st.Description = QStringLiteral("open country, gentle curve of radius %1 m").arg(std::round(radius));
            } else {
                P.Plan.Add(len, 0);
                st.Description = QStringLiteral("open country, straight");
            }
            LayGentle(len);
            if (R.Chance(0.3)) {
                // A culvert bridge; categories III and IV have no clearance check.
                const double mid = b + R.Range(0.3, 0.7) * len;
                P.Bridges.push_back({mid - 6, mid + 6, std::round(R.Range(11, 14) * 10) / 10});
                P.Bumps.push_back({mid - 6, mid + 6, 20, -2.5, 0});
                st.Description += QStringLiteral(", a culvert bridge");
            }
            // A copse well off the road, so that every road has an object.
            tObjectPlan copse;
            copse.Name = QStringLiteral("Copse %1").arg(++CopseCount);
            copse.Side = CopseCount % 2 ? 1 : -1;
            copse.Begin = b + 0.05 * len;
            copse.End = copse.Begin + std::min(60.0, 0.3 * len);
            copse.Inner = 7;
            copse.Outer = 9;
            copse.Height = 9;
            copse.Jitter = 1.5;
            P.Objects.push_back(copse);
            if (hostSpecials) {
                // A crossroad that runs beside the road without ever meeting it
                // and, where there is room, one that crosses it twice.
                tCrossPlan miss;
                miss.Name = QStringLiteral("Field track (no crossing)");
                if (len >= 120) {
                    for (double s = b + 40; s <= e - 40; s += 20) miss.Vertices.push_back({s, 320.0});
                } else {
                    miss.Vertices = {{b, 320.0}, {e, 320.0}};
                }
                P.Crossings.push_back(miss);
                st.Description += QStringLiteral(", a field track beside the road");
            }
            if (hostSpecials && len >= 420) {
                tCrossPlan loop;
                loop.Name = QStringLiteral("Old loop road (crosses twice)");
                const double a0 = b + (len - 260) / 2;
                const std::array<std::pair<double, double>, 4> corners = {
                    std::pair{a0, -70.0}, std::pair{a0 + 60, 60.0}, std::pair{a0 + 200, 60.0}, std::pair{a0 + 260, -70.0}};
                for (int k = 0; k < 3; ++k)
                    for (int j = 0; j < 10; ++j) {
                        const double t = j / 10.0;
                        loop.Vertices.push_back({corners[k].first + t * (corners[k + 1].first - corners[k].first),
                                                 corners[k].second + t * (corners[k + 1].second - corners[k].second)});
                    }
                loop.Vertices.push_back(corners[3]);
                P.Crossings.push_back(loop);
                st.Description += QStringLiteral(", an old loop road crossing it twice");
            } else if (len >= 400) {
                const double angle = AddDrawnCrossing(QStringLiteral("Side road %1"), b, len, {120, 180},
                                                      {45, 135}, {0.5, 0.5});
                st.Description += QStringLiteral(", side road at %1 degrees").arg(std::round(angle));
                // Now and then a bus stop or a roadside market.
                if (R.Chance(0.35)) {
                    const double spot = b + len * R.Range(0.65, 0.8);
                    P.Social.push_back({spot, spot + R.Range(40, 80), 1});
                    st.Description += QStringLiteral(", a bus stop (social activity)");
                }
            }
            break;
        }
        case tKind::SharpCurve: {
            const double radius = R.Range(180, 260);
            const double arc = std::min(radius * R.Range(45, 75) * kDeg, len - 160);
            LayArc(b, e, (len - arc) / 2, radius, arc);
            LayLevel(len);
            P.Bumps.push_back({b + 30, e - 30, 30, -0.9, 0});
            st.Description = QStringLiteral("sharp curve of radius %1 m on an embankment").arg(std::round(radius));
            break;
        }
        case tKind::Valley: {
            P.Plan.Add(len, 0);
            const double g = R.Range(0.06, 0.065);
            const double crest = 2000 * g, sag = 1500 * 2 * g;
            LayValleyOrHill(len, g, -1, crest, sag);
            st.Description = QStringLiteral("valley with grades of %1 %").arg(g * 100, 0, 'f', 1);
            break;
        }
        case tKind::Slick: {
            LayArcOrStraight(b, e, 0.5, 0.2, {2000, 4000}, 0.6);
            LayLevel(len);
            const double zl = R.Range(200, 280);
            const double z0 = b + (len - zl) / 2;
            P.Slick.push_back({z0, z0 + zl, std::round(R.Range(300, 600))});
            st.Description = QStringLiteral("slick pavement (slickness %1)").arg(P.Slick.back().Value);
            if (R.Chance(0.5)) {
                const double angle = AddDrawnCrossing(QStringLiteral("Side road %1"), b, len, {100, 160},
                                                      {45, 135}, {0.4, 0.6});
                st.Description += QStringLiteral(", side road at %1 degrees").arg(std::round(angle));
            }
            break;
        }
        case tKind::Bridge: {
            P.Plan.Add(len, 0);
            LayLevel(len);
            const double bl = R.Range(30, 70);
            const double mid = b + len / 2;
            P.Bridges.push_back({mid - bl / 2, mid + bl / 2, std::round(R.Range(6.8, 7.6) * 10) / 10});
            P.Bumps.push_back({mid - bl / 2 + 5, mid + bl / 2 - 5, 45, -7.5, 0});
            st.Description = QStringLiteral("narrow bridge over a stream (clearance %1 m)").arg(P.Bridges.back().Value);
            break;
        }
        case tKind::Busy: {
            LayArcOrStraight(b, e, 0.5, 0.15, {1500, 3000}, 0.5);
            LayLevel(len);
            const double angle =
                AddDrawnCrossing(QStringLiteral("Side road %1"), b, len, {120, 180}, {50, 130}, {0.5, 0.5});
            st.Description = QStringLiteral("busy section, side road at %1 degrees").arg(std::round(angle));
            break;
        }
        case tKind::Village: {
            P.Plan.Add(len, 0);
            LayLevel(len);
            const double lb = b + 40, le = e - 40;
            P.Localities.push_back({lb, le, 1});
            const double cross = b + len * R.Range(0.35, 0.45);
            AddCrossing(QStringLiteral("Village street %1").arg(++CrossCount), cross, R.Range(70, 110), 150, 150);
            const double socialLen = R.Range(60, 110);
            const double social = b + len * 0.72;
            P.Social.push_back({social, social + socialLen, 1});
            AddHouses(-1, lb + 10, le - 10, cross);
            AddHouses(1, lb + 10, le - 10, cross);
            tObjectPlan school;
            school.Name = QStringLiteral("School");
            school.IsVegetation = false;
            school.Side = R.Sign();
            school.Begin = social + 10;
            school.End = social + std::min(socialLen - 10, 45.0);
            school.Inner = 7;
            school.Outer = 8;
            school.Height = 11;
            P.Objects.push_back(school);
            st.Description = QStringLiteral("village with houses, a street and a school (locality, social activity)");
            break;
        }
        case tKind::HiddenCrossing: {
            P.Plan.Add(len, 0);
            LayLevel(len);
            const double mid = b + len / 2;
            AddCrossing(QStringLiteral("Forest road %1").arg(++CrossCount), mid, R.Range(80, 100), 160, 160);
            P.Bumps.push_back({b + 20, e - 20, 20, 0.2, 0});
            // Woods right up to the corners hide the crossing road from afar.
            const double h = R.Range(13, 17);
            AddTrees(1, mid - 180, mid - 22, 1, 8, h);
            AddTrees(-1, mid - 180, mid - 22, 1, 8, h);
            AddTrees(1, mid + 22, mid + 180, 1, 8, h);
            AddTrees(-1, mid + 22, mid + 180, 1, 8, h);
            st.Description = QStringLiteral("forest road crossing hidden by woods");
            break;
        }
        case tKind::Crest: {
            P.Plan.Add(len, 0);
            const double g = R.Range(0.04, 0.045);
            const double sag = 2500 * g, crest = 2000 * 2 * g;
            const double grade = LayValleyOrHill(len, g, 1, sag, crest);
            const double top = b + 30 + sag + grade;
            P.Bumps.push_back({top, top + crest, 80, 2.8, 0});  // the road cuts through the hilltop
            st.Description = QStringLiteral("crest in a cutting, grades of %1 %").arg(g * 100, 0, 'f', 1);
            break;
        }
        case tKind::Divided: {
            LayArcOrStraight(b, e, 0.6, 0.25, {1500, 2500}, 0.5);
            LayGentle(len);
            P.Divided.push_back({b + 30, e - 30, std::round(R.Range(4, 8))});
            // A junction through a gap in the median.
            const double angle = AddDrawnCrossing(QStringLiteral("Junction road %1"), b, len, {120, 180},
                                                  {60, 120}, {0.45, 0.55});
            st.Description = QStringLiteral("divided road, median %1 m, junction at %2 degrees")
                                 .arg(P.Divided.back().Value)
                                 .arg(std::round(angle));
            break;
        }
        case tKind::WoodedCurve: {
            const double radius = R.Range(1200, 1800);
            const double arc = std::min(R.Range(380, 450), len - 160);
            const auto [ab, ae] = LayArc(b, e, (len - arc) / 2, radius, arc);
            LayLevel(len);
            P.Bumps.push_back({b, e, 20, 0.3, 0});
            // Trees stand on the inside of the curve, from the foot of the slope.
            const double curvature = P.Plan.At((ab + ae) / 2).Curvature;
            AddTrees(curvature > 0 ? -1 : 1, ab - 30, ae + 30, 1, 8, R.Range(15, 20));
            st.Description = QStringLiteral("curve of radius %1 m with trees on its inside").arg(std::round(radius));
            break;
        }
        }
    }

    tPlan& P;
    tRandom& R;
    int TreeCount = 0;
    int HouseCount = 0;
    int CrossCount = 0;
    int CopseCount = 0;
};

// ---------------------------------------------------------------------------
// Cross sections.

struct tKey {
    double X = 0, Y = 0, H = 0;
};

struct tSection {
    std::array<tKey, kKeyCount> Keys;
};

double SmoothedCurvature(const tPlan& plan, double s) {
    double k = 0;
    for (int i = -2; i <= 2; ++i) k += plan.Plan.At(Clamp(s + 15.0 * i, 0, plan.Length)).Curvature;
    return k / 5;
}

tSection BuildSection(const tPlan& plan, double s) {
    tSection sec;
    const tStretch& st = StretchAt(plan, s);
    const tAlignPoint ap = plan.Plan.At(s);
    double zc = 0, grade = 0;
    plan.Grades.At(s, zc, grade);
    const double nx = std::sin(ap.Heading), ny = -std::cos(ap.Heading);  // right normal

    // Widths: a divided section widens from the centre line; on a bridge the
    // lanes and shoulders narrow to the clearance.
    double median = 0;
    const double divided = ZoneWeight(plan.Divided, s, 120, &median);
    double clearance = 0;
    const double onBridge = ZoneWeight(plan.Bridges, s, 0, &clearance) > 0 ? 1.0 : 0.0;
    double lane = st.LaneWidth, shoulder = st.ShoulderWidth;
    if (onBridge > 0 && clearance < 2 * (lane + shoulder)) {
        shoulder = std::min(shoulder, 0.3);
        lane = std::min(lane, clearance / 2 - shoulder);
    }
    const double half = divided * median / 2;       // half the median
    const double strip = 0.75 * divided;            // inner strip of each carriageway
    const double cw = lane * (1 + divided);         // one or two lanes per direction

    // Cross slope: crown at the centre, or one-sided superelevation in curves.
    const double k = SmoothedCurvature(plan, s);
    double superElevation = 0;
    if (std::fabs(k) > 1.0 / 3000) superElevation = (k > 0 ? 1 : -1) * Clamp(12.0 * std::fabs(k), 0.025, 0.06);
    auto surface = [&](double o) {
        const double a = std::fabs(o);
        if (superElevation != 0) return zc + superElevation * o;  // left curve: right side high
        return zc - 0.025 * std::max(0.0, a - half);
    };
    auto put = [&](int number, double o, double h) {
        tKey& key = sec.Keys[KeySlot(number)];
        key.X = ap.X + o * nx;
        key.Y = ap.Y + o * ny;
        key.H = h;
    };

    const double medianDrop = 0.3 * divided;
    put(117, -half, zc - medianDrop);
    put(122, half, zc - medianDrop);
    put(116, -(half + strip), surface(-(half + strip)));
    put(123, half + strip, surface(half + strip));
    const double edge = half + strip + cw;
    put(112, -edge, surface(-edge));
    put(127, edge, surface(edge));
    const double eye = half + strip + cw - lane / 2;  // outer lane centre of each direction
    put(0, eye, surface(eye));
    put(-1, -eye, surface(-eye));

    for (int side : {-1, 1}) {
        const double so = edge + shoulder;
        const double se = surface(side * edge) - 0.04 * shoulder;
        std::array<double, 10> off{}, h{};
        off[0] = so;
        h[0] = se;
        const double tn = Terrain(plan, s, side * (so + 3), zc);
        if (onBridge > 0) {
            // Deck edge, then straight down to the valley floor.
            off[1] = so + 0.4; h[1] = se - 1.2;
            off[2] = so + 0.5; h[2] = tn;
            off[3] = so + 2.5; h[3] = tn - 0.3;
            off[4] = so + 4.5; h[4] = tn;
        } else if (se - tn > 0.8) {
            // Embankment at 1:2 down to the ground, a shallow ditch at its foot.
            off[1] = so + 2 * (se - tn); h[1] = tn;
            off[2] = off[1] + 1.0; h[2] = tn - 0.5;
            off[3] = off[2] + 0.6; h[3] = tn - 0.5;
            off[4] = off[3] + 1.0; h[4] = Terrain(plan, s, side * (off[3] + 1.0), zc);
        } else {
            // Ditch at 1:3 and a back slope at 1:1.5 up to the ground.
            off[1] = so + 0.6; h[1] = se - 0.2;
            const double bottom = std::min(se - 0.9, tn - 0.5);
            off[2] = off[1] + 3 * (h[1] - bottom); h[2] = bottom;
            off[3] = off[2] + 0.6; h[3] = bottom;
            const double rise = std::max(0.3, tn - bottom);
            off[4] = off[3] + 1.5 * rise;
            h[4] = Terrain(plan, s, side * off[4], zc);
        }
        const double far[5] = {4, 10, 18, 28, 45};
        for (int i = 0; i < 5; ++i) {
            off[5 + i] = off[4] + far[i];
            h[5 + i] = Terrain(plan, s, side * off[5 + i], zc);
        }
        for (int i = 0; i < 10; ++i) put(side > 0 ? 130 + i : 109 - i, side * off[i], h[i]);
    }
    return sec;
}

// Crossroad height at a vertex: the road surface at the crossing, blending into
// a low embankment over the ground within some 40 m.
double CrossHeight(const tPlan& plan, double s, double o, double distanceToCrossing) {
    double zc = 0, g = 0;
    plan.Grades.At(Clamp(s, 0, plan.Length), zc, g);
    const double ground = Terrain(plan, Clamp(s, 0, plan.Length), o, zc) + 0.4;
    const double w = SmoothStep((distanceToCrossing - 10) / 30);
    return zc + w * (ground - zc);
}

QStringList PointCells(const tKey& k) {
    // A table's "X" column holds the model's Y and its "Y" column the model's X.
    return {Num(k.Y, 3), Num(k.X, 3), Num(k.H, 3)};
}

}  // namespace

// ---------------------------------------------------------------------------

QString CheckGenerateOptions(const tGenerateOptions& o) {
    if (!std::isfinite(o.LengthKm) || o.LengthKm <= 0) return QStringLiteral("the length must be a positive number of km");
    if (!std::isfinite(o.SpacingM) || o.SpacingM < 1 || o.SpacingM > 100)
        return QStringLiteral("the profile spacing must lie between 1 and 100 m");
    const double profiles = std::floor(o.LengthKm * 1000 / o.SpacingM + 1e-9) + 1;
    if (profiles < 3) return QStringLiteral("the road must be long enough for three profiles");
    if (profiles > kMaxGeneratedProfiles)
        return QStringLiteral("at most %1 profiles fit in a road table").arg(kMaxGeneratedProfiles);
    return {};
}

tGeneratedRoad GenerateRoad(const tGenerateOptions& options) {
    tGenerateOptions o = options;
    if (!std::isfinite(o.SpacingM)) o.SpacingM = 10;
    o.SpacingM = Clamp(o.SpacingM, 1, 100);
    if (!std::isfinite(o.LengthKm)) o.LengthKm = 5;
    o.LengthKm = Clamp(o.LengthKm, 2 * o.SpacingM / 1000, (kMaxGeneratedProfiles - 1) * o.SpacingM / 1000);
    const int count = int(std::floor(o.LengthKm * 1000 / o.SpacingM + 1e-9)) + 1;
    const double length = (count - 1) * o.SpacingM;

    tRandom rnd(o.Seed);
    tPlan plan;
    tPlanner(plan, rnd).Build(length);

    tGeneratedRoad out;
    for (const tStretch& st : plan.Stretches) out.Stretches.push_back({st.Description, st.Begin, st.End, st.Category});

    // Road table.
    QStringList& header = out.Road.Header;
    for (const QString& c : kRoadColumns) header << c;
    for (int n : kKeyNumbers) header << QString::number(n) << QString() << QString();

    std::vector<tSection> sections(count);
    out.Road.Rows.reserve(count);
    for (int i = 0; i < count; ++i) {
        const double s = i * o.SpacingM;
        sections[i] = BuildSection(plan, s);
        const tStretch& st = StretchAt(plan, s);
        const tAlignPoint ap = plan.Plan.At(s);
        double z = 0, grade = 0;
        plan.Grades.At(s, z, grade);
        double slick = st.Slickness + 4 * std::sin(s / 53.0 + plan.Phase[4]);
        double slickValue = 0;
        if (ZoneWeight(plan.Slick, s, 0, &slickValue) > 0) slick = slickValue + 6 * std::sin(s / 17.0 + plan.Phase[5]);
        double clearance = 0;
        const bool bridge = ZoneWeight(plan.Bridges, s, 0, &clearance) > 0;

        QStringList row;
        row.reserve(14 + 3 * kKeyCount);
        row << QString::number(i + 1) << Num(s, 3) << CategoryName(st.Category) << QString::number(st.Intensity)
            << Num(st.Shares[0] / 1000.0, 3) << Num(st.Shares[2] / 1000.0, 3) << Num(st.Shares[1] / 1000.0, 3)
            << Num(st.Shares[3] / 1000.0, 3)
            << (std::fabs(ap.Curvature) > 1e-9 ? Num(1.0 / std::fabs(ap.Curvature), 1) : QString())
            << Num(grade, 4) << Num(std::max(0.0, slick), 1) << (bridge ? Num(clearance, 1) : QString())
            << (FindZone(plan.Localities, s) ? QStringLiteral("1") : QStringLiteral("0"))
            << (FindZone(plan.Social, s) ? QStringLiteral("1") : QStringLiteral("0"));
        for (const tKey& k : sections[i].Keys) row << PointCells(k);
        out.Road.Rows.push_back(std::move(row));
    }

    // Crossroads table.
    out.CrossRoads.Header = {QStringLiteral("RecordName"), QStringLiteral("RecordNumber"), QStringLiteral("Position"),
                             QStringLiteral("X"),          QStringLiteral("Y"),            QStringLiteral("H")};
    for (const tCrossPlan& c : plan.Crossings) {
        int number = 0;
        for (size_t v = 0; v < c.Vertices.size(); ++v) {
            const auto [s, off] = c.Vertices[v];
            tKey k;
            plan.Plan.PointAt(Clamp(s, 0, length), off, k.X, k.Y);
            const double dist = c.CrossStation < 0 ? 1e9 : std::hypot(s - c.CrossStation, off);
            k.H = CrossHeight(plan, s, off, dist);
            QStringList row;
            row << (v == 0 ? c.Name : QString()) << QString::number(++number)
                << (v == 0 && c.CrossStation >= 0 ? FormatKmPlus(false, c.CrossStation) : QString());
            row << PointCells(k);
            out.CrossRoads.Rows.push_back(row);
        }
    }

    // Vegetation and buildings table: each outline runs along the inner key
    // points of its profiles and back along the outer ones.
    out.Greens.Header = {QStringLiteral("RecordName"), QStringLiteral("IsVegetation"), QStringLiteral("RecordNumber"),
                         QStringLiteral("X"),          QStringLiteral("Y"),            QStringLiteral("Height")};
    for (const tObjectPlan& obj : plan.Objects) {
        // Snapped to the nearest profiles; an outline needs at least two.
        int first = std::max(0, int(std::floor(obj.Begin / o.SpacingM + 0.5)));
        int last = std::min(count - 1, std::max(first + 1, int(std::floor(obj.End / o.SpacingM + 0.5))));
        first = std::min(first, last - 1);
        if (first < 0) continue;
        std::vector<std::pair<int, int>> outline;  // (profile, key slot)
        for (int i = first; i <= last; ++i) outline.push_back({i, SideSlot(obj.Side, obj.Inner)});
        for (int i = last; i >= first; --i) outline.push_back({i, SideSlot(obj.Side, obj.Outer)});
        int number = 0;
        for (const auto& [i, slot] : outline) {
            const tKey& k = sections[i].Keys[slot];
            double height = obj.Height;
            if (obj.Jitter > 0) height += obj.Jitter * std::sin(i * 1.7 + slot * 0.9 + obj.Begin);
            QStringList row;
            row << (number == 0 ? obj.Name : QString())
                << (number == 0 ? (obj.IsVegetation ? QStringLiteral("1") : QStringLiteral("0")) : QString())
                << QString::number(number + 1) << Num(k.Y, 3) << Num(k.X, 3) << Num(Clamp(height, 0.5, 100), 1);
            out.Greens.Rows.push_back(row);
            ++number;
        }
    }
    return out;
}

// ---------------------------------------------------------------------------
// Direct model building.

tRoadModel BuildRoadModel(const tGeneratedRoad& road) {
    tRoadModel model;
    auto real = [](const QString& t) { return t.isEmpty() ? 0.0 : t.toDouble(); };
    const QStringList& header = road.Road.Header;
    // Key points as (number, first column); the chain takes those numbered 1
    // and above in increasing number.
    std::vector<std::pair<int, int>> keys;
    for (int c = 14; c < header.size(); c += 3) keys.push_back({header[c].toInt(), c});
    std::vector<std::pair<int, int>> chain;
    for (const auto& k : keys)
        if (k.first >= 1) chain.push_back(k);
    std::sort(chain.begin(), chain.end());
    auto pointAt = [&](const QStringList& row, int col) {
        tRoadPoint p;
        p.Y = real(row[col]);
        p.X = real(row[col + 1]);
        p.H = real(row[col + 2]);
        return p;
    };
    auto keyOf = [](double x, double y) { return qMakePair(qint64(std::llround(x * 1000)), qint64(std::llround(y * 1000))); };

    // Object points are matched to key points by their plan position, which
    // the tables write with the same text: (profile, candidate number), -1 until found.
    QHash<QPair<qint64, qint64>, QPair<int, int>> wanted;
    for (const QStringList& row : road.Greens.Rows) wanted.insert(keyOf(real(row[4]), real(row[3])), qMakePair(-1, -1));

    model.Plan.Profiles.reserve(road.Road.Rows.size());
    std::vector<tRoadPoint> chainPoints(chain.size());
    for (const QStringList& row : road.Road.Rows) {
        tPlanProfile p;
        p.RecordNumber = row[0].toInt();
        p.Position = real(row[1]);
        p.RoadCathegory = uint8_t(std::max(0, ParseRoadCategory(row[2])));
        p.TrafficIntensity = row[3].toInt();
        p.Cars = real(row[4]);
        p.Trucks = real(row[5]);
        p.Buses = real(row[6]);
        p.VehicleTrains = real(row[7]);
        p.CurveRadius = real(row[8]);
        p.LongitudinalTilt = real(row[9]);
        p.SlicknessValue = real(row[10]);
        p.Clearance = real(row[11]);
        p.IsLocality = uint8_t(row[12] == QLatin1String("1"));
        p.IsSocialActivity = uint8_t(row[13] == QLatin1String("1"));
        for (const auto& [number, col] : keys) {
            if (number == -1) p.KeyPointM1 = pointAt(row, col);
            if (number == 0) p.KeyPoint0 = pointAt(row, col);
        }
        const int index = model.Plan.Count();
        for (size_t c = 0; c < chain.size(); ++c) {
            chainPoints[c] = pointAt(row, chain[c].second);
            chainPoints[c].H2 = chainPoints[c].H;
            // Within a profile the last matching key point in chain order
            // counts; across profiles the first profile in road order.
            if (!wanted.isEmpty()) {
                auto it = wanted.find(keyOf(chainPoints[c].X, chainPoints[c].Y));
                if (it != wanted.end() && (it->first < 0 || it->first == index)) *it = qMakePair(index, int(c));
            }
        }
        p.Segments.reserve(chain.size());
        for (size_t c = 0; c + 1 < chain.size(); ++c) {
            tProfileSegment seg;
            seg.A = chainPoints[c];
            seg.B = chainPoints[c + 1];
            seg.Kind = SegmentKind(chain[c].first);
            seg.FromDtm = 1;
            seg.SegNo = int32_t(c + 1);
            seg.APoint = chain[c].first;
            seg.BPoint = chain[c + 1].first;
            p.Segments.push_back(seg);
        }
        for (int d = 0; d < 2; ++d) p.CrossLook[d].FirstVisible = index;
        model.Plan.Profiles.push_back(std::move(p));
    }

    for (const QStringList& row : road.CrossRoads.Rows) {
        if (!row[0].isEmpty() || model.CrossRoads.Roads.empty()) {
            model.CrossRoads.Roads.emplace_back();
            model.CrossRoads.Roads.back().Name = row[0];
        }
        tRoadPoint pt;
        pt.Y = real(row[3]);
        pt.X = real(row[4]);
        pt.H = real(row[5]);
        pt.ProfileIndex = -1;
        model.CrossRoads.Roads.back().Points.push_back(pt);
    }

    for (const QStringList& row : road.Greens.Rows) {
        if (!row[0].isEmpty() || model.Greens.Objects.empty()) {
            tGreenRec g;
            g.Name = row[0];
            g.IsVegetation = uint8_t(row[1] == QLatin1String("1"));
            g.FirstProfile = model.Plan.Count() - 1;
            g.LastProfile = 0;
            model.Greens.Objects.push_back(g);
        }
        tGreenRec& g = model.Greens.Objects.back();
        tRoadPoint pt;
        pt.Y = real(row[3]);
        pt.X = real(row[4]);
        pt.H = real(row[5]);
        const QPair<int, int> hit = wanted.value(keyOf(pt.X, pt.Y), qMakePair(-1, -1));
        if (hit.first >= 0) {
            pt.ProfileIndex = hit.first;
            pt.PointSegNo = hit.second;
            g.FirstProfile = std::min(g.FirstProfile, hit.first);
            g.LastProfile = std::max(g.LastProfile, hit.first);
        }
        g.Points.push_back(pt);
    }
    return model;
}

// ---------------------------------------------------------------------------
// Writers.

QByteArray CsvText(const tGeneratedTable& table) {
    QByteArray out;
    auto line = [&out](const QStringList& cells) {
        for (int c = 0; c < cells.size(); ++c) {
            if (c > 0) out += ';';
            const QString& t = cells[c];
            if (t.contains(QLatin1Char(';')) || t.contains(QLatin1Char('"')) || t.contains(QLatin1Char('\n')) ||
                t.contains(QLatin1Char('\r'))) {
                QString q = t;
                q.replace(QLatin1String("\""), QLatin1String("\"\""));
                out += '"' + q.toUtf8() + '"';
            } else {
                out += t.toUtf8();
            }
        }
        out += "\r\n";
    };
    line(table.Header);
    for (const QStringList& row : table.Rows) line(row);
    return out;
}

namespace {

bool WriteFileAtomically(const QString& path, const QByteArray& bytes, QString& error) {
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly)) {
        error = QStringLiteral("cannot write %1: %2").arg(path, f.errorString());
        return false;
    }
    if (f.write(bytes) != bytes.size() || !f.commit()) {
        error = QStringLiteral("cannot write %1: %2").arg(path, f.errorString());
        f.cancelWriting();
        return false;
    }
    return true;
}

}  // namespace

bool WriteGeneratedCsv(const tGeneratedRoad& road, const QString& folder, QString& error) {
    if (!QDir().mkpath(folder)) {
        error = QStringLiteral("cannot create the folder %1").arg(folder);
        return false;
    }
    const QDir dir(folder);
    return WriteFileAtomically(dir.filePath(QStringLiteral("road.csv")), CsvText(road.Road), error) &&
           WriteFileAtomically(dir.filePath(QStringLiteral("crossroads.csv")), CsvText(road.CrossRoads), error) &&
           WriteFileAtomically(dir.filePath(QStringLiteral("greens.csv")), CsvText(road.Greens), error);
}

bool WriteGeneratedXlsx(const tGeneratedRoad& road, const QString& filePath, QString& error) {
    const QFileInfo target(filePath);
    if (!QDir().mkpath(target.absolutePath())) {
        error = QStringLiteral("cannot create the folder %1").arg(target.absolutePath());
        return false;
    }
    // Written beside the target and renamed at the end, so that a failure never
    // leaves a half-written workbook under the real name.
    const QString temp = CreateTemporaryBeside(target.absoluteFilePath(), QStringLiteral(".xlsx"));
    if (temp.isEmpty()) {
        error = QStringLiteral("cannot create a file in %1").arg(target.absolutePath());
        return false;
    }
    const QByteArray tempName = QFile::encodeName(temp);
    lxw_workbook_options opts = {};
    opts.constant_memory = LXW_TRUE;  // rows go out in order; keeps large roads cheap
    lxw_workbook* wb = workbook_new_opt(tempName.constData(), &opts);
    if (!wb) {
        QFile::remove(temp);
        error = QStringLiteral("cannot create %1").arg(temp);
        return false;
    }
    // A fixed creation time, so that the same options give the same bytes.
    lxw_doc_properties props = {};
    props.created = 1704067200;  // 2024-01-01 00:00 UTC
    workbook_set_properties(wb, &props);
    auto writeSheet = [&](const char* name, const tGeneratedTable& table) {
        lxw_worksheet* ws = workbook_add_worksheet(wb, name);
        if (!ws) return false;
        auto writeRow = [&](lxw_row_t r, const QStringList& cells) {
            for (int c = 0; c < cells.size(); ++c) {
                const QString& t = cells[c];
                if (t.isEmpty()) continue;
                bool ok = false;
                const double v = t.toDouble(&ok);
                lxw_error e = ok ? worksheet_write_number(ws, r, lxw_col_t(c), v, nullptr)
                                 : worksheet_write_string(ws, r, lxw_col_t(c), t.toUtf8().constData(), nullptr);
                if (e != LXW_NO_ERROR) return false;
            }
            return true;
        };
        if (!writeRow(0, table.Header)) return false;
        for (size_t r = 0; r < table.Rows.size(); ++r)
            if (!writeRow(lxw_row_t(r + 1), table.Rows[r])) return false;
        return true;
    };
    const bool filled = writeSheet("Road", road.Road) && writeSheet("CrossRoads", road.CrossRoads) &&
                        writeSheet("Greens", road.Greens);
    const lxw_error closed = workbook_close(wb);
    if (!filled || closed != LXW_NO_ERROR) {
        QFile::remove(temp);
        error = QStringLiteral("cannot write %1: %2")
                    .arg(filePath, closed != LXW_NO_ERROR ? QString::fromUtf8(lxw_strerror(closed))
                                                          : QStringLiteral("a cell was rejected"));
        return false;
    }
    if (!ReplaceFile(temp, target.absoluteFilePath())) {
        QFile::remove(temp);
        error = QStringLiteral("cannot rename %1 to %2").arg(temp, filePath);
        return false;
    }
    return true;
}

}  // namespace kestrova
