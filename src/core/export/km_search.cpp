#include "core/export/km_search.h"

#include <cmath>

namespace kestrova {

namespace {

// An integer with optional leading blanks. A blank after a digit is a place
// of the mask the user has not filled yet: the number is incomplete.
bool ReadInt(const QString& text, int& value) {
    int start = 0;
    while (start < text.size() && text[start] == QLatin1Char(' ')) ++start;
    const QString t = text.mid(start);
    if (t.isEmpty()) return false;
    for (QChar c : t)
        if (!c.isDigit() || c.unicode() > 127) return false;
    bool ok = false;
    value = t.toInt(&ok);
    return ok;
}

}  // namespace

bool ParseSearchKmPlus(const QString& input, double& position) {
    QString text = input.trimmed();
    text.replace(QLatin1Char('.'), QLatin1Char(','));
    const int plus = text.indexOf(QLatin1Char('+'));
    if (plus < 1) return false;  // the kilometres need at least one character
    int km = 0;
    if (!ReadInt(text.left(plus), km) || km < 0 || km > 99999) return false;
    const QString rest = text.mid(plus + 1);
    const int sep = rest.indexOf(QLatin1Char(','));
    const QString metresText = sep >= 0 ? rest.left(sep) : rest;
    QString fraction = sep >= 0 ? rest.mid(sep + 1) : QString();
    fraction.replace(QLatin1Char(' '), QLatin1Char('0'));
    fraction = fraction.left(4);
    while (fraction.size() < 4) fraction += QLatin1Char('0');
    int metres = 0, frac = 0;
    if (!ReadInt(metresText, metres) || metres < 0 || metres > 999) return false;
    if (!ReadInt(fraction, frac) || frac < 0 || frac > 9999) return false;
    position = km * 1000.0 + metres + frac / 10000.0;
    return true;
}

QString NormaliseKmField(const QString& text) {
    const QString head = text.left(4);
    QString field = head.trimmed();
    if (field.isEmpty()) field = QStringLiteral("0");
    field = field.rightJustified(4, QLatin1Char(' '));
    if (field == head) return text;
    return field + text.mid(4);
}

int NearestProfile(const TMPlan& plan, double position) {
    double best = 1e20;
    int found = -1;
    for (int i = 0; i < plan.Count(); ++i) {
        const double d = std::fabs(plan.Profiles[static_cast<size_t>(i)].Position - position);
        if (d < best) {
            best = d;
            found = i;
        }
    }
    return found;
}

int PivotRowOfProfile(const tPivotData& pivot, int profileIndex) {
    for (int j = 0; j < pivot.Count(); ++j) {
        const tPivotRow& r = pivot.Rows[static_cast<size_t>(j)];
        if (r.FirstIndex <= profileIndex && r.LastIndex >= profileIndex) return j;
    }
    return -1;
}

}  // namespace kestrova
