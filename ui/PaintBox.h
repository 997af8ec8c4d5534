#pragma once

#include <QColor>
#include <QImage>
#include <QWidget>
#include <functional>

namespace sonavel {

// A box the window draws itself: each paint renders into an off-screen image of the box's
// size, which is then copied onto the screen in one step, so the box never flickers. Mouse
// presses, moves, releases and wheel turns are passed on with their x in the box's pixels.
// A click gives the box the keyboard focus.
class TPaintBox : public QWidget {
    Q_OBJECT
  public:
    // Draws into an image of the box's size (in logical pixels; the image carries the
    // screen's pixel ratio). The image keeps what the last paint left in it.
    using TRender = std::function<void(QImage& image)>;

    // blank fills a freshly sized image before its first render.
    TPaintBox(TRender render, const QColor& blank, QWidget* parent);

    // The image of the last paint.
    const QImage& Image() const { return Image_; }

  signals:
    void MouseDown(int x, Qt::MouseButton button);
    void MouseMove(int x);
    void MouseUp(int x, Qt::MouseButton button);
    // The same press with the keys held.
    void MousePress(int x, Qt::MouseButton button, Qt::KeyboardModifiers modifiers);
    // notches: whole wheel steps, positive when turned away from the user.
    void Wheel(int x, int notches, Qt::KeyboardModifiers modifiers);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

  private:
    TRender Render_;
    QColor Blank_;
    QImage Image_;
    int WheelRest_ = 0;  // eighths of a degree short of a whole notch
};

}  // namespace sonavel
