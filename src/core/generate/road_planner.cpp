// Laying out the stretches of a generated road and what stands along them.
#include "core/generate/generator_parts.h"

#include <QString>

#include <algorithm>
#include <array>
#include <cmath>
#include <utility>
#include <vector>

namespace kestrova::generate {

namespace {

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
        switch (st.Kind) {
        case tKind::Plain: return LayPlain(st, hostSpecials);
        case tKind::SharpCurve: return LaySharpCurve(st);
        case tKind::Valley: return LayValley(st);
        case tKind::Slick: return LaySlick(st);
        case tKind::Bridge: return LayBridge(st);
        case tKind::Busy: return LayBusy(st);
        case tKind::Village: return LayVillage(st);
        case tKind::HiddenCrossing: return LayHiddenCrossing(st);
        case tKind::Crest: return LayCrest(st);
        case tKind::Divided: return LayDivided(st);
        case tKind::WoodedCurve: return LayWoodedCurve(st);
        }
    }

    void LayPlain(tStretch& st, bool hostSpecials) {
        const double b = st.Begin, e = st.End, len = e - b;
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
    }

    void LaySharpCurve(tStretch& st) {
        const double b = st.Begin, e = st.End, len = e - b;
        const double radius = R.Range(180, 260);
        const double arc = std::min(radius * R.Range(45, 75) * kDeg, len - 160);
        LayArc(b, e, (len - arc) / 2, radius, arc);
        LayLevel(len);
        P.Bumps.push_back({b + 30, e - 30, 30, -0.9, 0});
        st.Description = QStringLiteral("sharp curve of radius %1 m on an embankment").arg(std::round(radius));
    }

    void LayValley(tStretch& st) {
        const double b = st.Begin, e = st.End, len = e - b;
        P.Plan.Add(len, 0);
        const double g = R.Range(0.06, 0.065);
        const double crest = 2000 * g, sag = 1500 * 2 * g;
        LayValleyOrHill(len, g, -1, crest, sag);
        st.Description = QStringLiteral("valley with grades of %1 %").arg(g * 100, 0, 'f', 1);
    }

    void LaySlick(tStretch& st) {
        const double b = st.Begin, e = st.End, len = e - b;
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
    }

    void LayBridge(tStretch& st) {
        const double b = st.Begin, e = st.End, len = e - b;
        P.Plan.Add(len, 0);
        LayLevel(len);
        const double bl = R.Range(30, 70);
        const double mid = b + len / 2;
        P.Bridges.push_back({mid - bl / 2, mid + bl / 2, std::round(R.Range(6.8, 7.6) * 10) / 10});
        P.Bumps.push_back({mid - bl / 2 + 5, mid + bl / 2 - 5, 45, -7.5, 0});
        st.Description = QStringLiteral("narrow bridge over a stream (clearance %1 m)").arg(P.Bridges.back().Value);
    }

    void LayBusy(tStretch& st) {
        const double b = st.Begin, e = st.End, len = e - b;
        LayArcOrStraight(b, e, 0.5, 0.15, {1500, 3000}, 0.5);
        LayLevel(len);
        const double angle =
            AddDrawnCrossing(QStringLiteral("Side road %1"), b, len, {120, 180}, {50, 130}, {0.5, 0.5});
        st.Description = QStringLiteral("busy section, side road at %1 degrees").arg(std::round(angle));
    }

    void LayVillage(tStretch& st) {
        const double b = st.Begin, e = st.End, len = e - b;
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
    }

    void LayHiddenCrossing(tStretch& st) {
        const double b = st.Begin, e = st.End, len = e - b;
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
    }

    void LayCrest(tStretch& st) {
        const double b = st.Begin, e = st.End, len = e - b;
        P.Plan.Add(len, 0);
        const double g = R.Range(0.04, 0.045);
        const double sag = 2500 * g, crest = 2000 * 2 * g;
        const double grade = LayValleyOrHill(len, g, 1, sag, crest);
        const double top = b + 30 + sag + grade;
        P.Bumps.push_back({top, top + crest, 80, 2.8, 0});  // the road cuts through the hilltop
        st.Description = QStringLiteral("crest in a cutting, grades of %1 %").arg(g * 100, 0, 'f', 1);
    }

    void LayDivided(tStretch& st) {
        const double b = st.Begin, e = st.End, len = e - b;
        LayArcOrStraight(b, e, 0.6, 0.25, {1500, 2500}, 0.5);
        LayGentle(len);
        P.Divided.push_back({b + 30, e - 30, std::round(R.Range(4, 8))});
        // A junction through a gap in the median.
        const double angle = AddDrawnCrossing(QStringLiteral("Junction road %1"), b, len, {120, 180},
                                              {60, 120}, {0.45, 0.55});
        st.Description = QStringLiteral("divided road, median %1 m, junction at %2 degrees")
                             .arg(P.Divided.back().Value)
                             .arg(std::round(angle));
    }

    void LayWoodedCurve(tStretch& st) {
        const double b = st.Begin, e = st.End, len = e - b;
        const double radius = R.Range(1200, 1800);
        const double arc = std::min(R.Range(380, 450), len - 160);
        const auto [ab, ae] = LayArc(b, e, (len - arc) / 2, radius, arc);
        LayLevel(len);
        P.Bumps.push_back({b, e, 20, 0.3, 0});
        // Trees stand on the inside of the curve, from the foot of the slope.
        const double curvature = P.Plan.At((ab + ae) / 2).Curvature;
        AddTrees(curvature > 0 ? -1 : 1, ab - 30, ae + 30, 1, 8, R.Range(15, 20));
        st.Description = QStringLiteral("curve of radius %1 m with trees on its inside").arg(std::round(radius));
    }

    tPlan& P;
    tRandom& R;
    int TreeCount = 0;
    int HouseCount = 0;
    int CrossCount = 0;
    int CopseCount = 0;
};

}  // namespace

void PlanRoad(tPlan& plan, tRandom& rnd, double length) { tPlanner(plan, rnd).Build(length); }

}  // namespace kestrova::generate
