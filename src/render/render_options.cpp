#include "render/render_options.h"

#include "core/app/language_engine.h"
#include "core/calc/geometry.h"

#include <QLocale>

#include <algorithm>
#include <cmath>

namespace kestrova {

QString tViewTexts::GetMessage(const tMessage& message) const {
    if (Message) return Message(message);
    // No language: show the key with the placeholder values after it, so the
    // numbers a text block carries are still readable.
    QString text = message.Key;
    for (const auto& [name, value] : message.Placeholders) text += QLatin1Char(' ') + value;
    return text;
}

QString tViewTexts::GetSectionText(const QString& section, const QString& key) const {
    if (SectionText) return SectionText(section, key);
    return key;
}

tViewTexts TextsFromEngine(TLanguageEngine& engine) {
    tViewTexts texts;
    texts.Message = [&engine](const tMessage& message) { return engine.Text(message); };
    texts.SectionText = [&engine](const QString& section, const QString& key) {
        return engine.GetSectionText(section, key);
    };
    return texts;
}

int SurfacePpi(const tRenderTarget& target) { return std::max(1, target.PixelsPerInch); }

bool PrepareSurface(QImage& image, const tRenderTarget& target) {
    const QSize size(std::max(1, target.Size.width()), std::max(1, target.Size.height()));
    if (image.size() != size || image.format() != QImage::Format_RGB32) image = QImage(size, QImage::Format_RGB32);
    const int dpm = static_cast<int>(std::lround(SurfacePpi(target) / 0.0254));
    image.setDotsPerMeterX(dpm);
    image.setDotsPerMeterY(dpm);
    if (image.isNull()) return false;
    image.fill(Qt::white);
    return true;
}

QColor KindColor(int kind) {
    switch (kind) {
        case 1: return QColor(0, 0, 0);
        case 3: return QColor(96, 96, 96);
        case 4: return QColor(170, 170, 0);
        case 5: return QColor(16, 255, 0);
        default: return QColor(160, 160, 160);
    }
}

QString ShortestText(double x) { return FormatShortest(x, QLocale().decimalPoint()); }

}  // namespace kestrova
