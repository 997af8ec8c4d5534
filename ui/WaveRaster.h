#pragma once

#include <QImage>
#include <QRgb>
#include <vector>

#include "app/WaveView.h"

namespace sonavel {

// Draws a polyline of one-pixel width straight into the image's pixels. A waveform line is
// thousands of nearly vertical strokes; as one stroke per pixel column they cost a fraction of
// what a general line stroker spends on them.
//
// Every segment covers, in each pixel column it crosses, the rows between its heights at the
// column's two edges (a steep segment between neighbouring columns is split at its middle
// height), so the line is connected like a stroked one. Points are in logical pixels; with a
// device pixel ratio r, logical pixel (x, y) covers device pixels [x r, (x + 1) r). Everything
// outside the image is clipped.
void RasterPolyline(QImage& image, const std::vector<TPoint>& points, QRgb colour);

}  // namespace sonavel
