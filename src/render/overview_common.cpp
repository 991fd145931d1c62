#include "render/overview_common.h"

#include "core/calc/grid_texts.h"

#include <algorithm>

namespace kestrova {

tKmRange EffectiveRange(const TMPlan& plan, const tKmRange& range) {
    if (!range.IsWhole()) return range;
    if (plan.Count() == 0) return {0, 1};
    const double a = plan.Profiles.front().Position;
    const double b = plan.Profiles.back().Position;
    if (b > a) return {a, b};
    return {a - 0.5, a + 0.5};
}

tProfileSpan ProfilesInRange(const TMPlan& plan, const tKmRange& range) {
    const int n = plan.Count();
    if (n == 0) return {};
    const tKmRange r = EffectiveRange(plan, range);
    const auto& ps = plan.Profiles;
    // First profile at or after FromM, then one back so the step entering the
    // stretch is included.
    auto lo = std::lower_bound(ps.begin(), ps.end(), r.FromM,
                               [](const tPlanProfile& p, double m) { return p.Position < m; });
    auto hi = std::upper_bound(ps.begin(), ps.end(), r.ToM,
                               [](double m, const tPlanProfile& p) { return m < p.Position; });
    int first = int(lo - ps.begin());
    int last = int(hi - ps.begin()) - 1;
    first = std::max(0, first - 1);
    last = std::min(n - 1, last + 1);
    if (last < first) return {};
    return {first, last};
}

double FactorSpeed(const tPlanProfile& p, int factor) {
    switch (factor) {
        case FactorCurve: return p.CurveV;
        case FactorTiltFwd: return p.TiltV[0];
        case FactorTiltRev: return p.TiltV[1];
        case FactorSlickness: return p.SlickV;
        case FactorBridge: return p.BridgeV;
        case FactorIntensity: return p.IntensityV;
        case FactorLocality: return p.LocalityV;
        case FactorSocial: return p.SocialV;
        case FactorCrossFwd: return p.CrossV[0];
        case FactorCrossRev: return p.CrossV[1];
        case FactorLookFwd: return p.LookV[0];
        case FactorLookRev: return p.LookV[1];
        default: return 0;
    }
}

namespace {

const char* const kFactorCodes[kSpeedFactorCount] = {"curve",     "tilt-fwd", "tilt-rev",  "slickness",
                                                     "bridge",    "intensity", "locality", "social",
                                                     "cross-fwd", "cross-rev", "look-fwd", "look-rev"};

// Grid header keys of the factor columns: the factor names the user knows.
const char* const kFactorHeaderKeys[kSpeedFactorCount] = {
    "gDraftV.cgvCurveV",     "gDraftV.cgvTiltVF",  "gDraftV.cgvTiltVR",    "gDraftV.cgvSlickV",
    "gDraftV.cgvBridgeV",    "gDraftV.cgvIntensityV", "gDraftV.cgvLocalityV", "gDraftV.cgvSocialV",
    "gDraftV.cgvCrossVF",    "gDraftV.cgvCrossVR", "gDraftV.cgvLookVF",    "gDraftV.cgvLookVR"};

}  // namespace

QString FactorCode(int factor) {
    if (factor < 0 || factor >= kSpeedFactorCount) return {};
    return QString::fromLatin1(kFactorCodes[factor]);
}

bool ParseFactorList(const QString& text, tFactorSet& set, QString* badCode) {
    tFactorSet result = 0;
    const QStringList parts = text.split(QLatin1Char(','), Qt::SkipEmptyParts);
    for (const QString& raw : parts) {
        const QString code = raw.trimmed().toLower();
        if (code.isEmpty()) continue;
        int found = -1;
        for (int f = 0; f < kSpeedFactorCount; ++f)
            if (code == QLatin1String(kFactorCodes[f])) found = f;
        if (found < 0) {
            if (badCode) *badCode = raw.trimmed();
            return false;
        }
        result |= FactorBit(found);
    }
    set = result;
    return true;
}

QString FactorListText(tFactorSet set) {
    QStringList codes;
    for (int f = 0; f < kSpeedFactorCount; ++f)
        if (HasFactor(set, f)) codes << FactorCode(f);
    return codes.join(QLatin1Char(','));
}

QColor FactorColor(int factor) {
    static const QColor colors[kSpeedFactorCount] = {
        QColor(200, 120, 0),  QColor(150, 75, 0),   QColor(190, 140, 90), QColor(0, 160, 160),
        QColor(120, 0, 160),  QColor(230, 150, 200), QColor(180, 180, 0), QColor(0, 200, 90),
        QColor(255, 120, 60), QColor(200, 60, 120), QColor(60, 160, 255), QColor(100, 100, 255)};
    if (factor < 0 || factor >= kSpeedFactorCount) return Qt::black;
    return colors[factor];
}

QColor CauseColor(int cause) {
    static const QColor colors[10] = {
        QColor(215, 215, 215),  // 0 free speed
        QColor(255, 140, 0),    // 1 curve
        QColor(140, 80, 20),    // 2 tilt
        QColor(0, 170, 170),    // 3 slickness
        QColor(130, 0, 170),    // 4 bridge
        QColor(240, 110, 190),  // 5 intensity
        QColor(230, 200, 0),    // 6 locality
        QColor(0, 190, 80),     // 7 social activity
        QColor(255, 60, 40),    // 8 crossroad visibility
        QColor(40, 110, 255),   // 9 sight distance
    };
    if (cause < 0 || cause > 9) return Qt::black;
    return colors[cause];
}

QString tOverviewTexts::FactorText(int factor) const {
    if (factor >= 0 && factor < kSpeedFactorCount && !Factor[factor].isEmpty()) return Factor[factor];
    return FactorCode(factor);
}

QString tOverviewTexts::CauseText(int cause) const {
    if (cause >= 0 && cause < 10 && !Cause[cause].isEmpty()) return Cause[cause];
    return cause == 0 ? Free : QString::number(cause);
}

tOverviewTexts OverviewTextsFrom(const std::function<QString(const QString& section, const QString& key)>& lookup) {
    tOverviewTexts t;
    if (!lookup) return t;
    const QString s = OverviewSection();
    auto get = [&](const char* key, QString& field) {
        const QString k = QString::fromLatin1(key);
        const QString v = lookup(s, k);
        if (!v.isEmpty() && v != k) field = v;
    };
    get("AxisKm", t.AxisKm);
    get("AxisSpeed", t.AxisSpeed);
    get("MinFwd", t.MinFwd);
    get("MinRev", t.MinRev);
    get("Free", t.Free);
    get("BandFwd", t.BandFwd);
    get("BandRev", t.BandRev);
    get("NotSafeFwd", t.NotSafeFwd);
    get("NotSafeRev", t.NotSafeRev);
    get("CrossRoadNotVisible", t.CrossRoadNotVisible);
    get("CrossRoadSkip", t.CrossRoadSkip);
    get("Locality", t.Locality);
    get("CauseHeading", t.CauseHeading);
    get("NoVerdict", t.NoVerdict);
    get("MinSpeedScale", t.MinSpeedScale);
    get("North", t.North);
    get("Metres", t.Metres);
    get("Kilometres", t.Kilometres);
    get("NoData", t.NoData);
    const QString grids = GridSection();
    for (int f = 0; f < kSpeedFactorCount; ++f) {
        const QString k = QString::fromLatin1(kFactorHeaderKeys[f]);
        const QString v = lookup(grids, k);
        if (!v.isEmpty() && v != k) t.Factor[f] = QString(v).replace(QLatin1Char('\n'), QLatin1Char(' '));
    }
    auto grid = [&](const char* key, QString& field) {
        const QString k = QString::fromLatin1(key);
        const QString v = lookup(grids, k);
        if (!v.isEmpty() && v != k) field = v;
    };
    grid("gPivotData.Value.Safe", t.Safe);
    grid("gPivotData.Value.NotSafe", t.NotSafe);
    t.Cause[0] = t.Free;
    for (int c = 1; c < 10; ++c) {
        const QString k = CauseKey(c);
        const QString v = k.isEmpty() ? QString() : lookup(grids, k);
        if (!v.isEmpty() && v != k) t.Cause[c] = v;
    }
    return t;
}

}  // namespace kestrova
