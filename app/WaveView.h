#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "app/GraphCache.h"

namespace sonavel {

class TDocument;

// The shapes of the document window's two paint boxes, computed without any drawing: the
// window fills and strokes them as given. Rectangles are given by the corners the canvas
// calls take, (Left, Top) and (Right, Bottom); lines by their two end points.
struct TPoint {
    int X = 0;
    int Y = 0;
    bool operator==(const TPoint&) const = default;
};

struct TRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;
    bool operator==(const TRect&) const = default;
};

struct TLine {
    TPoint From;
    TPoint To;
    bool operator==(const TLine&) const = default;
};

// Level bar colours: red (255, 0, 0), green (0, 128, 0), navy (0, 0, 128).
enum class TLevelColour : std::uint8_t { Red, Green, Navy };

struct TLevelBar {
    TRect Rect;
    TLevelColour Colour = TLevelColour::Navy;
};

// The part of the document the waveform shows and the part the cache covers.
struct TWaveRange {
    std::uint32_t ViewStart = 0;
    std::uint32_t ViewLength = 0;
    std::uint32_t GraphStart = 0;
    std::uint32_t GraphLength = 0;
};

// One channel's waveform: the pen starts at the first point (x 0 on the centre line) and
// draws a line through every following one; each pixel column x adds two points, the
// extreme that occurs earlier first. A pixel with no columns gives two centre points. Empty
// (only the start point) when the width or GraphLength is 0.
std::vector<TPoint> WaveLine(const TChannelGraph& columns, const TWaveRange& range, int width,
                             int centre, int rowHeight);

struct TWaveRow {
    TRect Frame;                     // black frame on the cream fill
    int Centre = 0;                  // centre line y
    std::vector<TPoint> Line;        // green waveform; empty in level-meter mode
    std::optional<TLevelBar> Level;  // level-meter mode only
};

struct TWaveOverlay {
    int BandTop = 0;  // the rows of the channel being processed (all rows for all channels)
    int BandBottom = 0;
    // Inverted rectangle from x Left to Right over the band.
    std::optional<std::pair<int, int>> Selection;
    std::optional<int> CursorX;  // red vertical line over the band
};

struct TWaveShapes {
    bool Drawn =
        false;  // false: draw nothing at all (the cache has fewer channels than the stream)
    int RowHeight = 0;
    std::vector<TWaveRow> Rows;
    std::optional<TWaveOverlay> Overlay;
};

// DrawWave's shapes for a wave box of width x height: cream fill, one framed row per
// channel with its waveform from the cache, or level bars while recording or for an empty
// document, then the selection and cursor overlay.
TWaveShapes WaveGeometry(const TDocument& document, const TGraphSnapshot& graph, int width,
                         int height);

// Form colour (220, 215, 185) fill, then these.
struct TTrackShapes {
    TRect Bar;                          // black pen; silver fill, red while recording
    bool Recording = false;             // RecordState is "started"
    std::optional<TRect> Zone;          // white: the visible zone
    std::vector<TLine> ZoneEdges;       // black, with the zone
    std::optional<TLine> SelStartLine;  // blue, when the first border is set
    std::optional<TRect> Selection;     // blue filled, when the selection is complete
    TRect CursorHandle;                 // yellow fill, black border
};

// DrawTrack's shapes for a track box of width x height.
TTrackShapes TrackGeometry(const TDocument& document, int width, int height);

// The track's x of a sample position: Round(position / SampleCount * (width - 10) + 5).
int TrackX(std::uint32_t position, std::uint32_t sampleCount, int width);

}  // namespace sonavel
