// Small canvas helpers shared by the three views.
#pragma once

#include <QFont>
#include <QPainter>
#include <QString>

namespace kestrova {

// The views' font at a point size ("Arial" where the system has it).
QFont ViewFont(int pointSize);

// A rectangle from (x1, y1) to (x2, y2) with the right and bottom edges
// excluded, filled with the current brush and outlined with the current pen.
void DrawFrameRect(QPainter& painter, int x1, int y1, int x2, int y2);

// Text with its top-left corner at (x, y).
void DrawTextAt(QPainter& painter, int x, int y, const QString& text);

}  // namespace kestrova
