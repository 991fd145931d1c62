// An image control: shows one picture drawn elsewhere, top-left aligned, and
// reports mouse movement over it.
#pragma once

#include <QImage>
#include <QWidget>

namespace kestrova {

class TImageView final : public QWidget {
    Q_OBJECT
public:
    explicit TImageView(const QString& name, QWidget* parent = nullptr);
    QImage& Picture() { return FPicture; }
    void SetPicture(const QImage& image);

signals:
    void MouseMoved(const QPoint& pos);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    QImage FPicture;
};

}  // namespace kestrova
