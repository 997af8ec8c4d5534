#pragma once

#include <QColor>
#include <QImage>

#include "app/GraphCache.h"

namespace sonavel {

class TDocument;

// The document window's colours.
inline const QColor FormColour(220, 215, 185);
inline const QColor WaveBackground(255, 251, 240);
inline const QColor WaveLineColour(0, 128, 0);
inline const QColor CursorColour(255, 0, 0);
inline const QColor TrackBarColour(192, 192, 192);
inline const QColor SelectionColour(0, 0, 255);
inline const QColor CursorHandleColour(255, 255, 0);
inline const QColor NavyColour(0, 0, 128);

// The waveform of the visible zone from the graph cache, or the level meters while recording
// or for an empty document, with the selection inverted and the cursor over the band of the
// channel being processed. Draws nothing when the cache has fewer channels than the stream.
void DrawWave(QImage& image, const TDocument& document, const TGraphSnapshot& graph);

// The time track: the whole document with the visible zone, the selection and the cursor.
void DrawTrack(QImage& image, const TDocument& document);

}  // namespace sonavel
