#include "ui/ToolIcons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <cmath>
#include <numbers>
#include "ui/VectorIconEngine.h"

namespace sonavel {

namespace {

using enum TCommand;

// Pictures are drawn on a 16 x 16 grid, scaled to the rectangle asked for.

enum class TPicture : std::uint8_t {
    NewFile,
    OpenFile,
    Save,
    CloseFile,
    Undo,
    Redo,
    Cut,
    Copy,
    Paste,
    PasteMix,
    PasteOverwrite,
    Silence,
    Erase,
    Delete,
    Speed,
    Volume,
    Normalize,
    FadeIn,
    FadeOut,
    Equalizer,
    Settings,
    AudioSettings,
    Help,
    DocumentTab,
};

const QColor Outline(40, 40, 40);
const QColor Paper(255, 255, 255);
const QColor WaveGreen(0, 140, 60);
const QColor Folder(236, 188, 60);
const QColor Blue(30, 80, 180);
const QColor Red(200, 30, 30);
const QColor Board(150, 100, 50);

class TPictureEngine final : public TVectorIconEngine {
  public:
    explicit TPictureEngine(TPicture picture) : Picture_(picture) {}

    QIconEngine* clone() const override {
        return new TPictureEngine(
            Picture_);  // NOLINT(cppcoreguidelines-owning-memory): QIcon owns it
    }

  private:
    QColor Ink(const QColor& colour) const {
        if (!Disabled()) {
            return colour;
        }
        const int grey = 150 + qGray(colour.rgb()) / 3;
        return {grey, grey, grey, colour.alpha()};
    }

    void Pen(QPainter& p, const QColor& colour, qreal width) const {
        QPen pen(Ink(colour), width);
        pen.setCapStyle(Qt::RoundCap);
        pen.setJoinStyle(Qt::RoundJoin);
        p.setPen(pen);
    }

    void Shape(QPainter& p, const QPainterPath& path, const QColor& fill,
               const QColor& line = Outline, qreal width = 0.9) const {
        Pen(p, line, width);
        p.setBrush(Ink(fill));
        p.drawPath(path);
    }

    void Line(QPainter& p, const QColor& colour, qreal width, QPointF a, QPointF b) const {
        Pen(p, colour, width);
        p.drawLine(a, b);
    }

    // A sheet of paper with a folded corner.
    void Page(QPainter& p, qreal left, qreal top, qreal right, qreal bottom) const {
        QPainterPath page;
        page.moveTo(left, top);
        page.lineTo(right - 3, top);
        page.lineTo(right, top + 3);
        page.lineTo(right, bottom);
        page.lineTo(left, bottom);
        page.closeSubpath();
        Shape(p, page, Paper);
        QPainterPath fold;
        fold.moveTo(right - 3, top);
        fold.lineTo(right - 3, top + 3);
        fold.lineTo(right, top + 3);
        Pen(p, Outline, 0.7);
        p.setBrush(Qt::NoBrush);
        p.drawPath(fold);
    }

    // A small waveform across [left, right] around the centre line y.
    void Wave(QPainter& p, qreal left, qreal right, qreal y, qreal amplitude, const QColor& colour,
              qreal width = 1.1) const {
        QPainterPath wave;
        constexpr int Steps = 24;
        for (int i = 0; i <= Steps; ++i) {
            const qreal t = static_cast<qreal>(i) / Steps;
            const qreal x = left + (right - left) * t;
            const qreal v = y - amplitude * std::sin(t * 4 * std::numbers::pi);
            if (i == 0) {
                wave.moveTo(x, v);
            } else {
                wave.lineTo(x, v);
            }
        }
        Pen(p, colour, width);
        p.setBrush(Qt::NoBrush);
        p.drawPath(wave);
    }

    void Clipboard(QPainter& p) const {
        QPainterPath board;
        board.addRoundedRect(QRectF(2, 2.5, 12, 12.5), 1.2, 1.2);
        Shape(p, board, Board);
        QPainterPath sheet;
        sheet.addRect(QRectF(4, 4.5, 8, 9.5));
        Shape(p, sheet, Paper, Outline, 0.6);
        QPainterPath clip;
        clip.addRoundedRect(QRectF(5.5, 1, 5, 2.8), 0.8, 0.8);
        Shape(p, clip, QColor(170, 170, 170));
    }

    void Draw(QPainter& p) const override {
        switch (Picture_) {
            case TPicture::NewFile: {
                Page(p, 3, 1.5, 13, 14.5);
                QPainterPath star;
                for (int i = 0; i < 8; ++i) {
                    const qreal angle = i * std::numbers::pi / 4;
                    const qreal r = i % 2 == 0 ? 3.2 : 1.2;
                    const QPointF point(11.5 + r * std::cos(angle), 11.5 + r * std::sin(angle));
                    if (i == 0) {
                        star.moveTo(point);
                    } else {
                        star.lineTo(point);
                    }
                }
                star.closeSubpath();
                Shape(p, star, QColor(255, 210, 0), QColor(170, 120, 0), 0.6);
                break;
            }
            case TPicture::OpenFile: {
                QPainterPath back;
                back.moveTo(1, 3);
                back.lineTo(6, 3);
                back.lineTo(7.5, 4.5);
                back.lineTo(14, 4.5);
                back.lineTo(14, 13.5);
                back.lineTo(1, 13.5);
                back.closeSubpath();
                Shape(p, back, Folder.darker(115));
                QPainterPath front;
                front.moveTo(3, 7);
                front.lineTo(15.5, 7);
                front.lineTo(13.5, 13.5);
                front.lineTo(1, 13.5);
                front.closeSubpath();
                Shape(p, front, Folder);
                break;
            }
            case TPicture::Save: {
                QPainterPath disk;
                disk.moveTo(1.5, 1.5);
                disk.lineTo(12.5, 1.5);
                disk.lineTo(14.5, 3.5);
                disk.lineTo(14.5, 14.5);
                disk.lineTo(1.5, 14.5);
                disk.closeSubpath();
                Shape(p, disk, Blue);
                QPainterPath label;
                label.addRect(QRectF(4, 1.5, 8, 5));
                Shape(p, label, QColor(220, 225, 235), Outline, 0.6);
                QPainterPath shutter;
                shutter.addRect(QRectF(4, 9, 8, 5.5));
                Shape(p, shutter, Paper, Outline, 0.6);
                Line(p, Outline, 1.2, {9.5, 2.6}, {9.5, 5.4});
                break;
            }
            case TPicture::CloseFile:
                Page(p, 2, 1.5, 12, 14.5);
                Line(p, Red, 2.0, {8, 8}, {14, 14});
                Line(p, Red, 2.0, {14, 8}, {8, 14});
                break;
            case TPicture::Undo:
            case TPicture::Redo: {
                // Redo is undo's mirror image.
                if (Picture_ == TPicture::Redo) {
                    p.translate(16, 0);
                    p.scale(-1, 1);
                }
                QPainterPath arc;
                arc.moveTo(4, 7);
                arc.cubicTo(6, 3, 14, 3, 13.5, 9);
                arc.cubicTo(13, 13, 9, 13.5, 7, 13);
                Pen(p, Blue, 2.0);
                p.setBrush(Qt::NoBrush);
                p.drawPath(arc);
                QPainterPath head;
                head.moveTo(1, 4);
                head.lineTo(7.5, 4.5);
                head.lineTo(3.5, 10);
                head.closeSubpath();
                Shape(p, head, Blue, Blue, 0.5);
                break;
            }
            case TPicture::Cut: {
                Pen(p, Outline, 1.3);
                p.setBrush(Qt::NoBrush);
                p.drawEllipse(QPointF(4.5, 12), 2.3, 2.3);
                p.drawEllipse(QPointF(11.5, 12), 2.3, 2.3);
                Line(p, QColor(90, 90, 100), 1.4, {5.8, 10.2}, {11.5, 1.5});
                Line(p, QColor(90, 90, 100), 1.4, {10.2, 10.2}, {4.5, 1.5});
                break;
            }
            case TPicture::Copy:
                Page(p, 1.5, 1, 10, 11);
                Page(p, 6, 5, 14.5, 15);
                Wave(p, 7.5, 13, 10.5, 1.8, WaveGreen, 0.9);
                break;
            case TPicture::Paste:
                Clipboard(p);
                Wave(p, 4.5, 11.5, 9.5, 2.2, WaveGreen);
                break;
            case TPicture::PasteMix:
                Clipboard(p);
                Wave(p, 4.5, 11.5, 9.5, 2.2, WaveGreen);
                Wave(p, 4.5, 11.5, 9.5, -1.4, Blue, 0.9);
                break;
            case TPicture::PasteOverwrite:
                Clipboard(p);
                Wave(p, 4.5, 11.5, 9.5, 2.2, WaveGreen);
                Line(p, Red, 1.6, {3, 15}, {13, 5});
                break;
            case TPicture::Silence:
                Wave(p, 1, 5.5, 8, 3, WaveGreen);
                Line(p, WaveGreen, 1.3, {5.5, 8}, {10.5, 8});
                Wave(p, 10.5, 15, 8, 3, WaveGreen);
                Line(p, Blue, 1.0, {5.5, 3}, {5.5, 13});
                Line(p, Blue, 1.0, {10.5, 3}, {10.5, 13});
                break;
            case TPicture::Erase: {
                Wave(p, 1, 15, 5, 2.5, WaveGreen, 1.0);
                QPainterPath block;
                block.moveTo(3, 12);
                block.lineTo(8, 7);
                block.lineTo(13, 7);
                block.lineTo(8, 12);
                block.closeSubpath();
                Shape(p, block, QColor(240, 130, 150));
                QPainterPath tip;
                tip.moveTo(3, 12);
                tip.lineTo(5.5, 9.5);
                tip.lineTo(8.5, 9.5);
                tip.lineTo(6, 12);
                tip.closeSubpath();
                Shape(p, tip, Paper, Outline, 0.6);
                Line(p, Outline, 0.8, {2, 14.5}, {14, 14.5});
                break;
            }
            case TPicture::Delete:
                Wave(p, 1, 15, 6, 3.5, WaveGreen);
                Line(p, Red, 2.0, {5, 9}, {11, 15});
                Line(p, Red, 2.0, {11, 9}, {5, 15});
                break;
            case TPicture::Speed: {
                Pen(p, Outline, 1.1);
                p.setBrush(Ink(Paper));
                p.drawEllipse(QPointF(8, 9), 6, 6);
                QPainterPath crown;
                crown.addRect(QRectF(6.5, 1, 3, 1.8));
                Shape(p, crown, QColor(120, 120, 120), Outline, 0.5);
                Line(p, Red, 1.4, {8, 9}, {11.5, 5.5});
                Line(p, Outline, 0.8, {8, 4}, {8, 5.3});
                Line(p, Outline, 0.8, {3, 9}, {4.3, 9});
                Line(p, Outline, 0.8, {13, 9}, {11.7, 9});
                break;
            }
            case TPicture::Volume: {
                QPainterPath speaker;
                speaker.moveTo(1.5, 6);
                speaker.lineTo(4.5, 6);
                speaker.lineTo(8.5, 2.5);
                speaker.lineTo(8.5, 13.5);
                speaker.lineTo(4.5, 10);
                speaker.lineTo(1.5, 10);
                speaker.closeSubpath();
                Shape(p, speaker, QColor(90, 90, 100));
                Pen(p, Blue, 1.2);
                p.setBrush(Qt::NoBrush);
                p.drawArc(QRectF(6.5, 5, 6, 6), -60 * 16, 120 * 16);
                p.drawArc(QRectF(5.5, 2.5, 10, 11), -60 * 16, 120 * 16);
                break;
            }
            case TPicture::Normalize:
                Line(p, Red, 1.0, {1, 3}, {15, 3});
                Line(p, Red, 1.0, {1, 13}, {15, 13});
                Wave(p, 1.5, 14.5, 8, 4.6, WaveGreen);
                break;
            case TPicture::FadeIn:
            case TPicture::FadeOut: {
                const bool in = Picture_ == TPicture::FadeIn;
                QPainterPath wedge;
                wedge.moveTo(in ? 1.5 : 14.5, 8);
                wedge.lineTo(in ? 14.5 : 1.5, 2);
                wedge.lineTo(in ? 14.5 : 1.5, 14);
                wedge.closeSubpath();
                Shape(p, wedge, QColor(150, 215, 160), WaveGreen, 1.0);
                Line(p, WaveGreen.darker(130), 0.8, {1.5, 8}, {14.5, 8});
                break;
            }
            case TPicture::Equalizer: {
                const std::array<qreal, 4> knobs{5, 10, 4, 8};
                for (std::size_t i = 0; i < knobs.size(); ++i) {
                    const qreal x = 2.5 + 3.6 * static_cast<qreal>(i);
                    Line(p, QColor(110, 110, 110), 1.0, {x, 1.5}, {x, 14.5});
                    QPainterPath knob;
                    knob.addRoundedRect(QRectF(x - 1.5, knobs.at(i) - 1, 3, 2.4), 0.6, 0.6);
                    Shape(p, knob, Blue, Outline, 0.5);
                }
                break;
            }
            case TPicture::Settings: {
                QPainterPath gear;
                constexpr int Teeth = 8;
                for (int i = 0; i < Teeth * 4; ++i) {
                    const qreal angle = i * std::numbers::pi * 2 / (Teeth * 4);
                    const qreal r = (i % 4 == 0 || i % 4 == 1) ? 7.0 : 5.2;
                    const QPointF point(8 + r * std::cos(angle), 8 + r * std::sin(angle));
                    if (i == 0) {
                        gear.moveTo(point);
                    } else {
                        gear.lineTo(point);
                    }
                }
                gear.closeSubpath();
                gear.addEllipse(QPointF(8, 8), 2.2, 2.2);
                gear.setFillRule(Qt::OddEvenFill);
                Shape(p, gear, QColor(130, 130, 140), Outline, 0.7);
                break;
            }
            case TPicture::AudioSettings: {
                Pen(p, Outline, 1.6);
                p.setBrush(Qt::NoBrush);
                p.drawArc(QRectF(2.5, 2, 11, 11), 0, 180 * 16);
                QPainterPath left;
                left.addRoundedRect(QRectF(1.5, 7.5, 3.5, 6.5), 1, 1);
                Shape(p, left, Blue);
                QPainterPath right;
                right.addRoundedRect(QRectF(11, 7.5, 3.5, 6.5), 1, 1);
                Shape(p, right, Blue);
                break;
            }
            case TPicture::Help: {
                Pen(p, Blue.darker(120), 0.8);
                p.setBrush(Ink(Blue));
                p.drawEllipse(QPointF(8, 8), 7, 7);
                QPainterPath mark;
                mark.moveTo(5.6, 6);
                mark.cubicTo(5.6, 2.6, 10.6, 2.6, 10.4, 6);
                mark.cubicTo(10.3, 7.8, 8, 8, 8, 10);
                Pen(p, Paper, 1.8);
                p.setBrush(Qt::NoBrush);
                p.drawPath(mark);
                p.setPen(Qt::NoPen);
                p.setBrush(Ink(Paper));
                p.drawEllipse(QPointF(8, 12.6), 1.1, 1.1);
                break;
            }
            case TPicture::DocumentTab:
                Page(p, 2.5, 1, 13.5, 15);
                Wave(p, 4, 12, 9, 2.5, WaveGreen, 1.0);
                break;
        }
    }

    TPicture Picture_;
};

QIcon Picture(TPicture picture) {
    return QIcon(
        new TPictureEngine(picture));  // NOLINT(cppcoreguidelines-owning-memory): QIcon owns it
}

}  // namespace

std::optional<QIcon> CommandIcon(TCommand command) {
    switch (command) {
        case NewFile:
            return Picture(TPicture::NewFile);
        case OpenFile:
            return Picture(TPicture::OpenFile);
        case Save:
            return Picture(TPicture::Save);
        case CloseFile:
            return Picture(TPicture::CloseFile);
        case Undo:
            return Picture(TPicture::Undo);
        case Redo:
            return Picture(TPicture::Redo);
        case Cut:
            return Picture(TPicture::Cut);
        case CopyTo:
            return Picture(TPicture::Copy);
        case Insert:
            return Picture(TPicture::Paste);
        case Mix:
            return Picture(TPicture::PasteMix);
        case Overwrite:
            return Picture(TPicture::PasteOverwrite);
        case InsertSilence:
            return Picture(TPicture::Silence);
        case Erase:
            return Picture(TPicture::Erase);
        case Delete:
            return Picture(TPicture::Delete);
        case SetSpeed:
            return Picture(TPicture::Speed);
        case SetVolume:
            return Picture(TPicture::Volume);
        case NormalizeVolume:
            return Picture(TPicture::Normalize);
        case UpVolume:
            return Picture(TPicture::FadeIn);
        case DownVolume:
            return Picture(TPicture::FadeOut);
        case Equalize:
            return Picture(TPicture::Equalizer);
        case Settings:
            return Picture(TPicture::Settings);
        case AudioSettings:
            return Picture(TPicture::AudioSettings);
        case Help:
            return Picture(TPicture::Help);
        default:
            return std::nullopt;
    }
}

QIcon DocumentTabIcon() {
    return Picture(TPicture::DocumentTab);
}

}  // namespace sonavel
