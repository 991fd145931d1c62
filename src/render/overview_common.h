// What the road overview pictures (the speed-profile diagram and the plan
// map) share: the stretch of road to draw, the factor speeds a user may add,
// the colours of the causes and verdicts, and the display texts. Plain
// records: the window, the batch program and the safety report fill them and
// call the same painting code.
#pragma once

#include "core/model/road_model.h"

#include <QColor>
#include <QImage>
#include <QPainter>
#include <QRect>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>

namespace kestrova {

// --- Stretch of road ---------------------------------------------------------

// A stretch from FromM to ToM metres (km+ positions). An empty or inverted
// range (ToM <= FromM) means the whole road.
struct tKmRange {
    double FromM = 0;
    double ToM = 0;
    bool IsWhole() const { return !(ToM > FromM); }
};

// The range actually drawn: the whole road for an empty range (a 1 m stretch
// around a one-profile road), else the asked range unchanged.
tKmRange EffectiveRange(const TMPlan& plan, const tKmRange& range);

// First and last profile index whose position lies in [FromM, ToM], widened by
// one profile on each side so step lines reach the edges; {0, -1} when none.
struct tProfileSpan {
    int First = 0;
    int Last = -1;
    bool IsEmpty() const { return Last < First; }
};
tProfileSpan ProfilesInRange(const TMPlan& plan, const tKmRange& range);

// --- Factor speeds a user may add to the diagram -----------------------------

enum tSpeedFactor : int {
    FactorCurve = 0,
    FactorTiltFwd,
    FactorTiltRev,
    FactorSlickness,
    FactorBridge,
    FactorIntensity,
    FactorLocality,
    FactorSocial,
    FactorCrossFwd,
    FactorCrossRev,
    FactorLookFwd,
    FactorLookRev,
    kSpeedFactorCount
};

// A set of factors, one bit per tSpeedFactor.
using tFactorSet = uint32_t;
inline constexpr tFactorSet FactorBit(int factor) { return tFactorSet(1) << factor; }
inline constexpr bool HasFactor(tFactorSet set, int factor) { return (set >> factor) & 1u; }

// The factor's speed at a profile (km/h).
double FactorSpeed(const tPlanProfile& p, int factor);

// Short code of a factor for command lines and the settings file: "curve",
// "tilt-fwd", "tilt-rev", "slickness", "bridge", "intensity", "locality",
// "social", "cross-fwd", "cross-rev", "look-fwd", "look-rev".
QString FactorCode(int factor);
// Comma-separated codes into a set ("" gives the empty set). False, with the
// rejected code in badCode, at the first unknown code.
bool ParseFactorList(const QString& text, tFactorSet& set, QString* badCode = nullptr);
QString FactorListText(tFactorSet set);

// Line colour of a factor in the diagram.
QColor FactorColor(int factor);

// --- Colours -----------------------------------------------------------------

// Colour of a cause code (0 free speed, 1 curve ... 9 invisible points) in the
// cause bands and the legend.
QColor CauseColor(int cause);

inline const QColor kOverviewMinFwd{0, 128, 0};     // minimum speed forward
inline const QColor kOverviewMinRev{0, 64, 200};    // minimum speed reverse
inline const QColor kOverviewFree{120, 120, 120};   // free car speed
inline const QColor kOverviewNotSafe{220, 0, 0};    // not-safe boundaries, "NV" crossroads
inline const QColor kOverviewSafe{0, 150, 0};       // safe verdict on the map
inline const QColor kOverviewSkip{150, 150, 150};   // "SKIP" crossroads, no verdict
inline const QColor kOverviewLocality{255, 236, 160};  // locality shading
inline const QColor kOverviewCursor{255, 0, 255};   // selected profile

// --- Display texts -----------------------------------------------------------

// Every text the two pictures write. The window fills it from the language
// files (section "MainForm.Overview"); without texts the fields hold English
// defaults so a picture always reads.
struct tOverviewTexts {
    QString AxisKm = QStringLiteral("km+");
    QString AxisSpeed = QStringLiteral("km/h");
    QString MinFwd = QStringLiteral("Minimum speed, forward");
    QString MinRev = QStringLiteral("Minimum speed, reverse");
    QString Free = QStringLiteral("Free speed");
    QString Factor[kSpeedFactorCount];       // per tSpeedFactor; empty: FactorCode
    QString Cause[10];                       // per cause code (0 free speed)
    QString BandFwd = QStringLiteral("Fwd");  // labels of the cause bands
    QString BandRev = QStringLiteral("Rev");
    QString NotSafeFwd = QStringLiteral("not safe, forward");
    QString NotSafeRev = QStringLiteral("not safe, reverse");
    QString CrossRoadNotVisible = QStringLiteral("NV");
    QString CrossRoadSkip = QStringLiteral("SKIP");
    QString Locality = QStringLiteral("Locality");
    QString CauseHeading = QStringLiteral("Cause:");  // before the causes in the legend
    QString Safe = QStringLiteral("safe");
    QString NotSafe = QStringLiteral("not safe");
    QString NoVerdict = QStringLiteral("no verdict");
    QString MinSpeedScale = QStringLiteral("Minimum speed, km/h");
    QString North = QStringLiteral("N");
    QString Metres = QStringLiteral("m");
    QString Kilometres = QStringLiteral("km");
    QString NoData = QStringLiteral("No results");

    QString FactorText(int factor) const;
    QString CauseText(int cause) const;
};

// The keys of section "MainForm.Overview", their texts looked up with lookup
// (section, key) -> text. The cause texts come from the grids' own keys.
// A picture of `size` (at least 1 x 1) on `background`, drawn over its whole
// rectangle by paint(painter, rect).
template <class Paint>
QImage RenderOverviewImage(const QSize& size, const QColor& background, Paint&& paint) {
    QImage image(size.expandedTo(QSize(1, 1)), QImage::Format_ARGB32_Premultiplied);
    image.fill(background);
    QPainter painter(&image);
    paint(painter, image.rect());
    painter.end();
    return image;
}

inline QString OverviewSection() { return QStringLiteral("MainForm.Overview"); }
tOverviewTexts OverviewTextsFrom(const std::function<QString(const QString& section, const QString& key)>& lookup);

// Level of detail of a drawing.
enum class tOverviewDetail {
    Auto,       // exact steps when profiles are wider than a pixel, else per column
    PerColumn,  // min/max of the profiles in each pixel column
    Exact       // one step per profile
};

}  // namespace kestrova
