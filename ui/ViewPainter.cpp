#include "ui/ViewPainter.h"

#include <QPainter>
#include <cmath>

#include "app/Document.h"
#include "app/WaveView.h"
#include "ui/WaveRaster.h"

namespace sonavel {

namespace {

QSize LogicalSize(const QImage& image) {
    const qreal ratio = image.devicePixelRatio();
    return {static_cast<int>(std::lround(image.width() / ratio)),
            static_cast<int>(std::lround(image.height() / ratio))};
}

// The shapes give rectangles as a canvas takes them: the right and bottom edges lie just
// outside. With a one-pixel pen Qt's outline covers one pixel more than the rectangle's size,
// hence the -1.
void CanvasRectangle(QPainter& painter, const TRect& r) {
    if (r.Right <= r.Left || r.Bottom <= r.Top) {
        return;
    }
    painter.drawRect(QRect(r.Left, r.Top, r.Right - r.Left - 1, r.Bottom - r.Top - 1));
}

void CanvasFill(QPainter& painter, const TRect& r, const QColor& colour) {
    if (r.Right <= r.Left || r.Bottom <= r.Top) {
        return;
    }
    painter.fillRect(QRect(r.Left, r.Top, r.Right - r.Left, r.Bottom - r.Top), colour);
}

// A canvas line leaves out its end point.
void CanvasLine(QPainter& painter, const TLine& line) {
    if (line.From.X == line.To.X && line.To.Y > line.From.Y) {
        painter.drawLine(line.From.X, line.From.Y, line.To.X, line.To.Y - 1);
    } else {
        painter.drawLine(line.From.X, line.From.Y, line.To.X, line.To.Y);
    }
}

QColor LevelColour(TLevelColour colour) {
    switch (colour) {
        case TLevelColour::Red:
            return {255, 0, 0};
        case TLevelColour::Green:
            return WaveLineColour;
        case TLevelColour::Navy:
            break;
    }
    return NavyColour;
}

}  // namespace

void DrawWave(QImage& image, const TDocument& document, const TGraphSnapshot& graph) {
    const QSize size = LogicalSize(image);
    const TWaveShapes shapes = WaveGeometry(document, graph, size.width(), size.height());
    if (!shapes.Drawn) {
        return;
    }
    {
        QPainter painter(&image);
        painter.fillRect(QRect(QPoint(0, 0), size), WaveBackground);
        painter.setPen(Qt::black);
        painter.setBrush(Qt::NoBrush);
        for (const TWaveRow& row : shapes.Rows) {
            CanvasRectangle(painter, row.Frame);
            if (row.Level) {
                CanvasFill(painter, row.Level->Rect, LevelColour(row.Level->Colour));
            }
        }
    }
    // The waveforms go straight into the pixels, over the frames (no painter is active).
    for (const TWaveRow& row : shapes.Rows) {
        if (row.Line.size() > 1) {
            RasterPolyline(image, row.Line, WaveLineColour.rgb());
        }
    }

    if (!shapes.Overlay) {
        return;
    }
    const TWaveOverlay& overlay = *shapes.Overlay;
    QPainter painter(&image);
    if (overlay.Selection) {
        const auto [left, right] = *overlay.Selection;
        if (right > left) {
            painter.setCompositionMode(QPainter::RasterOp_NotDestination);
            painter.fillRect(QRect(left, overlay.BandTop, right - left,
                                   overlay.BandBottom - overlay.BandTop + 1),
                             Qt::black);
            painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
        }
    }
    if (overlay.CursorX) {
        painter.setPen(CursorColour);
        painter.drawLine(*overlay.CursorX, overlay.BandTop, *overlay.CursorX, overlay.BandBottom);
    }
}

void DrawTrack(QImage& image, const TDocument& document) {
    const QSize size = LogicalSize(image);
    const TTrackShapes shapes = TrackGeometry(document, size.width(), size.height());
    QPainter painter(&image);
    painter.fillRect(QRect(QPoint(0, 0), size), FormColour);

    painter.setPen(Qt::black);
    painter.setBrush(shapes.Recording ? QColor(255, 0, 0) : TrackBarColour);
    CanvasRectangle(painter, shapes.Bar);
    if (shapes.Zone) {
        painter.setPen(Qt::white);
        painter.setBrush(Qt::white);
        CanvasRectangle(painter, *shapes.Zone);
    }
    painter.setPen(SelectionColour);
    painter.setBrush(SelectionColour);
    if (shapes.SelStartLine) {
        CanvasLine(painter, *shapes.SelStartLine);
    }
    if (shapes.Selection) {
        CanvasRectangle(painter, *shapes.Selection);
    }
    painter.setPen(Qt::black);
    for (const TLine& edge : shapes.ZoneEdges) {
        CanvasLine(painter, edge);
    }
    painter.setBrush(CursorHandleColour);
    CanvasRectangle(painter, shapes.CursorHandle);
}

}  // namespace sonavel
