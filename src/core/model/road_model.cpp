#include "core/model/road_model.h"

#include "core/model/cell_parsing.h"
#include "core/model/number_chars.h"
#include "core/model/road_text.h"

#include <cstdint>

namespace kestrova {

QString FormatKmPlus(bool withHundredths, double position) {
    char text[48];
    const char* end = KmPlusChars(withHundredths, position, text);
    return QString::fromLatin1(text, qsizetype(end - text));
}

bool SightLineEnds(const tCrossRoads& roads, const tXCrossLookDir& look, int side, const tSightLine& line,
                   tSightLineEnds& ends) {
    if (side < 0 || side > 1 || line.CrossRoad < 0 || line.CrossRoad >= roads.Count()) return false;
    const std::vector<tSightPoint>& samples = roads.Roads[size_t(line.CrossRoad)].Samples[side];
    if (line.Sample < 0 || size_t(line.Sample) >= samples.size()) return false;
    ends.Observer = samples[size_t(line.Sample)];
    if (line.Cut < 0) {
        ends.Target = ends.Observer;
        return true;
    }
    if (size_t(line.Cut) >= look.CutTargets.size()) return false;
    ends.Target = look.CutTargets[size_t(line.Cut)];
    return true;
}

QString CategoryName(int index) {
    static const char* const kNames[kCategoryCount] = {"IV", "III", "II", "Ib", "Ia"};
    if (index < 0 || index >= kCategoryCount) return {};
    return QString::fromLatin1(kNames[index]);
}

int ParseRoadCategory(const QString& text) {
    QString t = text.toUpper();
    t.replace(QChar(0x0406), QLatin1Char('I'));  // Cyrillic І
    t.replace(QChar(0x0410), QLatin1Char('A'));  // Cyrillic А
    t.replace(QChar(0x0411), QLatin1Char('B'));  // Cyrillic Б
    t.replace(QLatin1String("IIII"), QLatin1String("4"));
    t.replace(QLatin1String("III"), QLatin1String("3"));
    t.replace(QLatin1String("II"), QLatin1String("2"));
    t.replace(QLatin1String("IV"), QLatin1String("4"));
    t.replace(QLatin1String("I"), QLatin1String("1"));
    if (t == QLatin1String("1A")) return 4;
    if (t == QLatin1String("1B")) return 3;
    switch (ParseIntCell(t, 0)) {
        case 2: return 2;
        case 3: return 1;
        case 4: return 0;
        default: return kInvalidValue;
    }
}

int ParseYesNo(const QString& text, const QString& emptyText) {
    QString t = text.toUpper();
    if (t.isEmpty()) t = emptyText;
    static const char16_t* const kYes[] = {u"ИСТИНА", u"ТАК", u"ДА", u"YES", u"TRUE"};
    // "НІ" is written with the Cyrillic and with the Latin I.
    static const char16_t* const kNo[] = {u"ЛОЖЬ", u"НЕТ", u"NO", u"НІ", u"НI", u"FALSE"};
    for (const char16_t* word : kYes) t.replace(QString::fromUtf16(word), QLatin1String("1"));
    for (const char16_t* word : kNo) t.replace(QString::fromUtf16(word), QLatin1String("0"));
    const int32_t value = ParseIntCell(t, kFailedCell);
    return (value == 0 || value == 1) ? value : kInvalidValue;
}

}  // namespace kestrova
