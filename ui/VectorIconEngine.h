#pragma once

#include <QIconEngine>
#include <QPainter>
#include <QPixmap>

namespace sonavel {

// An icon drawn with vector shapes on a 16 x 16 grid and scaled to whatever size is asked
// for, so it stays sharp at any scale. Subclasses draw; a disabled icon draws greyed.
class TVectorIconEngine : public QIconEngine {
  public:
    static constexpr qreal Grid = 16.0;

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode,
               QIcon::State /*state*/) override {
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        painter->translate(rect.topLeft());
        painter->scale(rect.width() / Grid, rect.height() / Grid);
        Disabled_ = mode == QIcon::Disabled;
        Draw(*painter);
        painter->restore();
    }

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        QPixmap pixmap(size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        paint(&painter, QRect(QPoint(0, 0), size), mode, state);
        return pixmap;
    }

    // The size asked for is already in device pixels: drawing at it keeps the edges sharp.
    QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state,
                         qreal /*scale*/) override {
        return pixmap(size, mode, state);
    }

  protected:
    bool Disabled() const { return Disabled_; }
    virtual void Draw(QPainter& p) const = 0;

  private:
    bool Disabled_ = false;
};

}  // namespace sonavel
