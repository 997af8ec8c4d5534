#include "ui/Glyphs.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include "ui/VectorIconEngine.h"

namespace sonavel {

namespace {

class TGlyphEngine final : public TVectorIconEngine {
  public:
    explicit TGlyphEngine(TGlyph glyph) : Glyph_(glyph) {}

    QIconEngine* clone() const override {
        return new TGlyphEngine(Glyph_);  // NOLINT(cppcoreguidelines-owning-memory): QIcon owns it
    }

  private:
    QColor Ink(const QColor& colour) const { return Disabled() ? QColor(160, 160, 160) : colour; }

    void Fill(QPainter& p, const QPainterPath& path, const QColor& colour) const {
        p.setPen(Qt::NoPen);
        p.setBrush(Ink(colour));
        p.drawPath(path);
    }

    void Stroke(QPainter& p, const QColor& colour, qreal width) const {
        QPen pen(Ink(colour), width);
        pen.setCapStyle(Qt::RoundCap);
        pen.setJoinStyle(Qt::RoundJoin);
        p.setPen(pen);
        p.setBrush(Qt::NoBrush);
    }

    static QPainterPath Triangle(qreal left, qreal right) {
        QPainterPath path;
        path.moveTo(left, 2.5);
        path.lineTo(right, 8);
        path.lineTo(left, 13.5);
        path.closeSubpath();
        return path;
    }

    // A magnifying glass whose lens is centred at (6.5, 6.5).
    void Lens(QPainter& p) const {
        Stroke(p, Qt::black, 1.4);
        p.drawEllipse(QPointF(6.5, 6.5), 4.8, 4.8);
        Stroke(p, QColor(110, 70, 20), 2.6);
        p.drawLine(QPointF(10.2, 10.2), QPointF(14.5, 14.5));
    }

    void Bracket(QPainter& p, qreal x, bool opening) const {
        const qreal arm = opening ? 2.5 : -2.5;
        p.drawLine(QPointF(x, 2), QPointF(x, 14));
        p.drawLine(QPointF(x, 2), QPointF(x + arm, 2));
        p.drawLine(QPointF(x, 14), QPointF(x + arm, 14));
    }

    void Draw(QPainter& p) const override {
        const QColor green(0, 128, 0);
        const QColor blue(0, 0, 200);
        switch (Glyph_) {
            case TGlyph::Play:
                Fill(p, Triangle(4, 13), green);
                break;
            case TGlyph::PlayView: {
                Fill(p, Triangle(2, 10), green);
                Stroke(p, blue, 1.6);
                Bracket(p, 13, false);
                break;
            }
            case TGlyph::Stop: {
                QPainterPath square;
                square.addRect(3.5, 3.5, 9, 9);
                Fill(p, square, Qt::black);
                break;
            }
            case TGlyph::Record: {
                QPainterPath dot;
                dot.addEllipse(QPointF(8, 8), 5, 5);
                Fill(p, dot, QColor(220, 0, 0));
                break;
            }
            case TGlyph::SetMarker:
                Stroke(p, blue, 1.6);
                Bracket(p, 5, true);
                Bracket(p, 11, false);
                break;
            case TGlyph::DelMarker:
                Stroke(p, blue, 1.6);
                Bracket(p, 3, true);
                Bracket(p, 13, false);
                Stroke(p, QColor(220, 0, 0), 1.8);
                p.drawLine(QPointF(5.5, 5), QPointF(10.5, 11));
                p.drawLine(QPointF(10.5, 5), QPointF(5.5, 11));
                break;
            case TGlyph::ZoomIn:
                Lens(p);
                Stroke(p, Qt::black, 1.4);
                p.drawLine(QPointF(4, 6.5), QPointF(9, 6.5));
                p.drawLine(QPointF(6.5, 4), QPointF(6.5, 9));
                break;
            case TGlyph::ZoomOut:
                Lens(p);
                Stroke(p, Qt::black, 1.4);
                p.drawLine(QPointF(4, 6.5), QPointF(9, 6.5));
                break;
            case TGlyph::ZoomSelection: {
                Lens(p);
                QPainterPath band;
                band.addRect(4.5, 4.5, 4, 4);
                Fill(p, band, blue);
                break;
            }
            case TGlyph::ZoomAll:
                Stroke(p, Qt::black, 1.4);
                p.drawRect(QRectF(1.5, 3.5, 13, 9));
                Stroke(p, green, 1.4);
                p.drawLine(QPointF(4, 8), QPointF(12, 8));
                p.drawLine(QPointF(4, 8), QPointF(6, 6));
                p.drawLine(QPointF(4, 8), QPointF(6, 10));
                p.drawLine(QPointF(12, 8), QPointF(10, 6));
                p.drawLine(QPointF(12, 8), QPointF(10, 10));
                break;
            case TGlyph::ZoomMaximal:
                Lens(p);
                Stroke(p, Qt::black, 1.2);
                p.drawLine(QPointF(4.5, 4.5), QPointF(4.5, 8.5));
                p.drawLine(QPointF(8.5, 4.5), QPointF(8.5, 8.5));
                p.drawPoint(QPointF(6.5, 5.2));
                p.drawPoint(QPointF(6.5, 7.8));
                break;
        }
    }

    TGlyph Glyph_;
};

}  // namespace

QIcon GlyphIcon(TGlyph glyph) {
    return QIcon(
        new TGlyphEngine(glyph));  // NOLINT(cppcoreguidelines-owning-memory): QIcon owns it
}

}  // namespace sonavel
