#include "render/view_painting.h"

#include <QFontMetrics>

namespace kestrova {

QFont ViewFont(int pointSize) {
    QFont font(QStringLiteral("Arial"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSize(pointSize < 1 ? 1 : pointSize);
    return font;
}

void DrawFrameRect(QPainter& painter, int x1, int y1, int x2, int y2) {
    if (x2 <= x1 || y2 <= y1) return;
    const int w = painter.pen().style() == Qt::NoPen ? 0 : painter.pen().width();
    if (w <= 1) {
        painter.drawRect(QRect(x1, y1, x2 - x1 - 1, y2 - y1 - 1));
        return;
    }
    // A wider pen stays inside the rectangle, so the frame starts where asked.
    painter.drawRect(QRectF(x1 + w / 2.0, y1 + w / 2.0, x2 - x1 - w, y2 - y1 - w));
}

void DrawTextAt(QPainter& painter, int x, int y, const QString& text) {
    const QFontMetrics fm(painter.font(), painter.device());
    painter.drawText(QPoint(x, y + fm.ascent()), text);
}

}  // namespace kestrova
