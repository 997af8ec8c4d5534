#include "ui/WaveGlyphs.h"

#include <QPainterPath>
#include <cmath>
#include <numbers>

#include "ui/VectorIconEngine.h"

namespace sonavel {

namespace {

constexpr qreal Top = 2;
constexpr qreal Bottom = 14;
constexpr qreal Middle = 8;
constexpr qreal Left = 1;
constexpr qreal Right = 15;

class TWaveEngine final : public TVectorIconEngine {
  public:
    explicit TWaveEngine(TWaveForm wave) : Wave_(wave) {}
    QIconEngine* clone() const override {
        return new TWaveEngine(Wave_);  // NOLINT(cppcoreguidelines-owning-memory): QIcon owns it
    }

  private:
    // One period across the picture, large enough to tell the shapes apart.
    QPainterPath Path() const {
        QPainterPath path;
        const qreal period = Right - Left;
        switch (Wave_) {
            case TWaveForm::Sine: {
                constexpr int Steps = 64;
                path.moveTo(Left, Middle);
                for (int i = 1; i <= Steps; ++i) {
                    const qreal x = Left + (Right - Left) * i / Steps;
                    const qreal phase = 2 * std::numbers::pi * (x - Left) / period;
                    path.lineTo(x, Middle - (Middle - Top) * std::sin(phase));
                }
                break;
            }
            case TWaveForm::Rectangle:
                path.moveTo(Left, Middle);
                path.lineTo(Left, Top);
                path.lineTo(Left + period / 2, Top);
                path.lineTo(Left + period / 2, Bottom);
                path.lineTo(Right, Bottom);
                path.lineTo(Right, Middle);
                break;
            case TWaveForm::Triangle:
                path.moveTo(Left, Middle);
                path.lineTo(Left + period / 4, Top);
                path.lineTo(Left + period * 3 / 4, Bottom);
                path.lineTo(Right, Middle);
                break;
        }
        return path;
    }

    void Draw(QPainter& p) const override {
        // Cosmetic pens keep their width when the picture is wider than it is high.
        QPen axis(QColor(170, 170, 170), 1);
        axis.setCosmetic(true);
        p.setPen(axis);
        p.drawLine(QPointF(Left, Middle), QPointF(Right, Middle));
        QPen ink(Disabled() ? QColor(150, 150, 150) : QColor(0, 70, 160), 1.6);
        ink.setCosmetic(true);
        // Sharp corners tell the rectangle and the triangle from the sine.
        ink.setJoinStyle(Wave_ == TWaveForm::Sine ? Qt::RoundJoin : Qt::MiterJoin);
        p.setPen(ink);
        p.setBrush(Qt::NoBrush);
        p.drawPath(Path());
    }

    TWaveForm Wave_;
};

class TSwatchEngine final : public TVectorIconEngine {
  public:
    explicit TSwatchEngine(TNoiseColour colour) : Colour_(colour) {}
    QIconEngine* clone() const override {
        return new TSwatchEngine(
            Colour_);  // NOLINT(cppcoreguidelines-owning-memory): QIcon owns it
    }

  private:
    QColor Fill() const {
        switch (Colour_) {
            case TNoiseColour::Pink:
                return {255, 0, 255};  // fuchsia
            case TNoiseColour::Brown:
                return {128, 128, 0};  // olive
            case TNoiseColour::White:
                break;
        }
        return Qt::white;
    }

    void Draw(QPainter& p) const override {
        QPen frame(QColor(80, 80, 80), 1);
        frame.setCosmetic(true);
        p.setPen(frame);
        p.setBrush(Disabled() ? QColor(200, 200, 200) : Fill());
        p.drawRect(QRectF(Left, Top, Right - Left, Bottom - Top));
    }

    TNoiseColour Colour_;
};

}  // namespace

QIcon WaveIcon(TWaveForm wave) {
    return QIcon(new TWaveEngine(wave));  // NOLINT(cppcoreguidelines-owning-memory): QIcon owns it
}

QIcon NoiseIcon(TNoiseColour colour) {
    return QIcon(new TSwatchEngine(colour));  // NOLINT(cppcoreguidelines-owning-memory)
}

}  // namespace sonavel
