// What the steps of the road generator share: its random numbers, the
// horizontal and vertical alignment, the plan of stretches and of everything
// placed along them, and the key-point layout of a section. Internal to the
// generator.
#pragma once

#include <QString>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <random>
#include <utility>
#include <vector>

namespace kestrova::generate {

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

inline double Clamp(double x, double a, double b) { return std::max(a, std::min(b, x)); }
inline double SmoothStep(double t) {
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
inline const std::array<int, 28> kKeyNumbers = {-1,  0,   100, 101, 102, 103, 104, 105, 106, 107,
                                         108, 109, 112, 116, 117, 122, 123, 127, 130, 131,
                                         132, 133, 134, 135, 136, 137, 138, 139};
constexpr int kKeyCount = 28;
inline int KeySlot(int number) {
    for (int i = 0; i < kKeyCount; ++i)
        if (kKeyNumbers[i] == number) return i;
    return -1;
}
// Slot of side key point index k (0 shoulder edge .. 9 far terrain) on a side.
inline int SideSlot(int side, int k) { return KeySlot(side > 0 ? 130 + k : 109 - k); }

inline const std::array<QString, 14> kRoadColumns = {
    QStringLiteral("RecordNumber"),     QStringLiteral("Position"),         QStringLiteral("RoadCathegory"),
    QStringLiteral("TrafficIntensity"), QStringLiteral("Cars"),             QStringLiteral("Trucks"),
    QStringLiteral("Buses"),            QStringLiteral("VehicleTrains"),    QStringLiteral("CurveRadius"),
    QStringLiteral("LongitudinalTilt"), QStringLiteral("SlicknessValue"),   QStringLiteral("Clearance"),
    QStringLiteral("IsLocality"),       QStringLiteral("IsSocialActivity")};

// Fixed-point text without trailing zeros ("12.5", "0", "-3.25"); never "-0".
inline QString Num(double v, int decimals) {
    QString t = QString::number(v, 'f', decimals);
    if (decimals > 0) {
        while (t.endsWith(QLatin1Char('0'))) t.chop(1);
        if (t.endsWith(QLatin1Char('.'))) t.chop(1);
    }
    if (t == QLatin1String("-0")) t = QStringLiteral("0");
    return t;
}

inline const tZone* FindZone(const std::vector<tZone>& zones, double s) {
    auto it = std::upper_bound(zones.begin(), zones.end(), s, [](double v, const tZone& z) { return v < z.Begin; });
    if (it == zones.begin()) return nullptr;
    --it;
    return s <= it->End ? &*it : nullptr;
}

// 0..1 weight of a zone at s with linear ramps of length ramp inside it.
inline double ZoneWeight(const std::vector<tZone>& zones, double s, double ramp, double* value = nullptr) {
    const tZone* z = FindZone(zones, s);
    if (!z) return 0;
    if (value) *value = z->Value;
    const double len = z->End - z->Begin;
    const double r = std::min(ramp, len / 2);
    if (r <= 0) return 1;
    return Clamp(std::min(s - z->Begin, z->End - s) / r, 0.0, 1.0);
}

inline const tStretch& StretchAt(const tPlan& plan, double s) {
    auto it = std::upper_bound(plan.Stretches.begin(), plan.Stretches.end(), s,
                               [](double v, const tStretch& st) { return v < st.Begin; });
    return it == plan.Stretches.begin() ? plan.Stretches.front() : *(it - 1);
}

// Terrain height relative to the road centre at station s on one side.
inline double TerrainOffset(const tPlan& plan, double s, int side) {
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
inline double Terrain(const tPlan& plan, double s, double o, double zc) {
    const int side = o < 0 ? -1 : 1;
    const double lateral = 0.012 * std::sin(s / 420.0 + plan.Phase[0]);
    const double noise = 0.12 * std::sin(s / 37.0 + plan.Phase[1]) +
                         0.10 * std::sin(s / 91.0 + o / 29.0 + plan.Phase[2]) +
                         0.08 * std::sin(o / 13.0 + s / 211.0 + plan.Phase[3]);
    // The noise fades towards the road so that ditches keep their shape.
    const double fade = Clamp((std::fabs(o) - 8.0) / 20.0, 0.0, 1.0);
    return zc + TerrainOffset(plan, s, side) + lateral * o + noise * fade;
}

// Lays out the stretches of a road of the given length and everything along
// them into `plan`, drawing from `rnd`.
void PlanRoad(tPlan& plan, tRandom& rnd, double length);

}  // namespace kestrova::generate
