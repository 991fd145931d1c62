#include "render/overview_export.h"

#include <QDir>
#include <QImage>
#include <QSaveFile>
#include <QSvgGenerator>

namespace kestrova {

namespace {

bool Failed(QString* error, const QString& text) {
    if (error) *error = text;
    return false;
}

}  // namespace

bool WriteOverviewPng(const QString& path, const QSize& size, const tOverviewPaint& paint, QString* error) {
    QImage image(size.expandedTo(QSize(1, 1)), QImage::Format_ARGB32_Premultiplied);
    if (image.isNull()) return Failed(error, QStringLiteral("no picture of that size can be had"));
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        paint(painter, image.rect());
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return Failed(error, QStringLiteral("cannot write ") + QDir::toNativeSeparators(path));
    if (!image.convertToFormat(QImage::Format_RGB32).save(&file, "PNG")) {
        file.cancelWriting();
        return Failed(error, QStringLiteral("cannot write ") + QDir::toNativeSeparators(path));
    }
    if (!file.commit()) return Failed(error, QStringLiteral("cannot write ") + QDir::toNativeSeparators(path));
    return true;
}

bool WriteOverviewSvg(const QString& path, const QSize& size, const QString& title, const tOverviewPaint& paint,
                      QString* error) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return Failed(error, QStringLiteral("cannot write ") + QDir::toNativeSeparators(path));
    {
        QSvgGenerator svg;
        svg.setOutputDevice(&file);
        svg.setSize(size);
        svg.setViewBox(QRect(QPoint(0, 0), size));
        svg.setResolution(96);
        svg.setTitle(title);
        QPainter painter;
        if (!painter.begin(&svg)) {
            file.cancelWriting();
            return Failed(error, QStringLiteral("cannot write ") + QDir::toNativeSeparators(path));
        }
        paint(painter, QRect(QPoint(0, 0), size));
        painter.end();
    }
    if (!file.commit()) return Failed(error, QStringLiteral("cannot write ") + QDir::toNativeSeparators(path));
    return true;
}

}  // namespace kestrova
