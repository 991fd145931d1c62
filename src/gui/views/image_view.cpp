#include "gui/views/image_view.h"

#include <QMouseEvent>
#include <QPainter>

namespace kestrova {

TImageView::TImageView(const QString& name, QWidget* parent) : QWidget(parent) {
    setObjectName(name);
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TImageView::SetPicture(const QImage& image) {
    FPicture = image;
    update();
}

void TImageView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), palette().color(QPalette::Window));
    if (!FPicture.isNull()) p.drawImage(0, 0, FPicture);
}

void TImageView::mouseMoveEvent(QMouseEvent* event) {
    emit MouseMoved(event->position().toPoint());
    QWidget::mouseMoveEvent(event);
}

}  // namespace kestrova
