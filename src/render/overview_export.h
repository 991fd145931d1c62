// Writing an overview picture to a PNG or SVG file through a temporary file
// (no partial file on failure). The paint callback draws into the rectangle it
// is given; the same callback serves both formats.
#pragma once

#include <QPainter>
#include <QRect>
#include <QSize>
#include <QString>

#include <functional>

namespace kestrova {

using tOverviewPaint = std::function<void(QPainter& painter, const QRect& area)>;

// False, with a reason in error, when the file cannot be written.
bool WriteOverviewPng(const QString& path, const QSize& size, const tOverviewPaint& paint, QString* error = nullptr);
bool WriteOverviewSvg(const QString& path, const QSize& size, const QString& title, const tOverviewPaint& paint,
                      QString* error = nullptr);

}  // namespace kestrova
