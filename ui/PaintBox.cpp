#include "ui/PaintBox.h"

#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <cmath>
#include <utility>

namespace sonavel {

namespace {

int EventX(const QMouseEvent* event) {
    return static_cast<int>(std::floor(event->position().x()));
}

}  // namespace

TPaintBox::TPaintBox(TRender render, const QColor& blank, QWidget* parent)
    : QWidget(parent), Render_(std::move(render)), Blank_(blank) {
    // Every pixel is painted from the image: Qt need not clear the box first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::ClickFocus);
}

void TPaintBox::paintEvent(QPaintEvent* /*event*/) {
    if (width() <= 0 || height() <= 0) {
        return;
    }
    const qreal ratio = devicePixelRatioF();
    const QSize pixels(static_cast<int>(std::ceil(width() * ratio)),
                       static_cast<int>(std::ceil(height() * ratio)));
    if (Image_.size() != pixels) {
        Image_ = QImage(pixels, QImage::Format_RGB32);
        Image_.setDevicePixelRatio(ratio);
        Image_.fill(Blank_);
    }
    Render_(Image_);
    QPainter painter(this);
    painter.drawImage(QPointF(0, 0), Image_);
}

void TPaintBox::mousePressEvent(QMouseEvent* event) {
    emit MouseDown(EventX(event), event->button());
    emit MousePress(EventX(event), event->button(), event->modifiers());
}

void TPaintBox::wheelEvent(QWheelEvent* event) {
    // A notch is 120 eighths of a degree; fine-grained wheels add up to whole notches.
    constexpr int Notch = 120;
    const QPoint angle = event->angleDelta();
    WheelRest_ += angle.y() != 0 ? angle.y() : angle.x();
    const int notches = WheelRest_ / Notch;
    WheelRest_ -= notches * Notch;
    if (notches != 0) {
        emit Wheel(static_cast<int>(std::floor(event->position().x())), notches,
                   event->modifiers());
    }
    event->accept();
}

void TPaintBox::mouseMoveEvent(QMouseEvent* event) {
    emit MouseMove(EventX(event));
}

void TPaintBox::mouseReleaseEvent(QMouseEvent* event) {
    emit MouseUp(EventX(event), event->button());
}

}  // namespace sonavel
