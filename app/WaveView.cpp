#include "app/WaveView.h"

#include <algorithm>
#include <array>

#include "app/Document.h"

namespace sonavel {

namespace {

int ToInt(std::int64_t v) {
    return static_cast<int>(std::clamp<std::int64_t>(v, INT32_MIN, INT32_MAX));
}

int LevelY(std::int32_t level, int centre, double halfRange) {
    return centre - ToInt(RoundToEven(level / static_cast<double>(MaxLevel) * halfRange));
}

// The time-ordered extremes of the items First, Second of each column in turn (the rule of
// RunColumn), worked out in the same way: largest and smallest in independent lanes, then
// the last occurrence of either from the end.
TGraphColumn PixelColumn(const TGraphColumn* columns, std::size_t count) {
    if (count == 0) {
        return {};
    }
    constexpr std::size_t Pairs = 4;
    std::array<std::int32_t, 2 * Pairs> maxima;
    std::array<std::int32_t, 2 * Pairs> minima;
    maxima.fill(columns[0].First);
    minima.fill(columns[0].First);
    std::size_t k = 0;
    for (; k + Pairs <= count; k += Pairs) {
        for (std::size_t j = 0; j < Pairs; ++j) {
            maxima[2 * j] = std::max(maxima[2 * j], columns[k + j].First);
            maxima[2 * j + 1] = std::max(maxima[2 * j + 1], columns[k + j].Second);
            minima[2 * j] = std::min(minima[2 * j], columns[k + j].First);
            minima[2 * j + 1] = std::min(minima[2 * j + 1], columns[k + j].Second);
        }
    }
    std::int32_t max = *std::max_element(maxima.begin(), maxima.end());
    std::int32_t min = *std::min_element(minima.begin(), minima.end());
    for (; k < count; ++k) {
        max = std::max({max, columns[k].First, columns[k].Second});
        min = std::min({min, columns[k].First, columns[k].Second});
    }
    for (std::size_t c = count; c-- > 0;) {
        for (const std::int32_t item : {columns[c].Second, columns[c].First}) {
            if (item == max || item == min) {
                return TimeOrdered(max, min, item == max && max != min);
            }
        }
    }
    return TimeOrdered(max, min, false);  // not reached: the extremes occur in the run
}

std::optional<TWaveOverlay> Overlay(const TDocument& d, int width, int height, int rowHeight,
                                    int channels) {
    if (d.SampleCount == 0 || d.Stream->RecordState.load() != TTransportState::Stopped ||
        d.ViewLength == 0) {
        return std::nullopt;
    }
    TWaveOverlay overlay;
    // A stale channel item (beyond the stream's channels) shades all rows, like item 0.
    const int s = d.Channel();
    if (s >= 0 && s < channels) {
        overlay.BandTop = s * rowHeight;
        overlay.BandBottom = (s + 1) * rowHeight - 1;
    } else {
        overlay.BandTop = 0;
        overlay.BandBottom = height - 1;
    }

    const std::uint64_t viewEnd = std::uint64_t{d.ViewStart} + d.ViewLength;
    const double pixelsPerSample = static_cast<double>(width) / d.ViewLength;
    const auto xOf = [&](std::uint32_t position) {
        return ToInt(RoundToEven(
            pixelsPerSample * (static_cast<double>(position) - static_cast<double>(d.ViewStart))));
    };
    if (d.SelStartSet && d.SelEndSet && d.SelStart < viewEnd && d.SelEnd > d.ViewStart) {
        const int left = d.SelStart < d.ViewStart ? 0 : xOf(d.SelStart);
        const int right = d.SelEnd > viewEnd ? width : xOf(d.SelEnd);
        overlay.Selection = std::make_pair(left, right);
    }
    if (d.CursorPos >= d.ViewStart && d.CursorPos < viewEnd) {
        overlay.CursorX = xOf(d.CursorPos);
    }
    return overlay;
}

TLevelBar LevelBar(const TDocument& d, int s, int width, int rowHeight) {
    const std::int32_t level =
        s < MaxLevelChannels ? d.Stream->Levels[static_cast<std::size_t>(s)].load() : 0;
    const double l = level / static_cast<double>(MaxLevel);
    const int inset = ToInt(RoundToEven(0.15 * rowHeight));
    TLevelBar bar;
    bar.Rect = {1, s * rowHeight + inset, ToInt(RoundToEven(width * l)),
                (s + 1) * rowHeight - 1 - inset};
    bar.Colour = l >= 1.0 ? TLevelColour::Red : l >= 0.7 ? TLevelColour::Green : TLevelColour::Navy;
    return bar;
}

}  // namespace

std::vector<TPoint> WaveLine(const TChannelGraph& columns, const TWaveRange& range, int width,
                             int centre, int rowHeight) {
    std::vector<TPoint> points{{0, centre}};
    if (width <= 0 || range.GraphLength == 0) {
        return points;
    }
    const double graphLength = range.GraphLength;
    const double viewColumns = range.ViewLength / graphLength * GraphColumns;
    const std::int64_t c0 =
        RoundToEven((static_cast<double>(range.ViewStart) - static_cast<double>(range.GraphStart)) /
                    graphLength * GraphColumns);
    const std::int64_t e = RoundToEven(viewColumns + static_cast<double>(c0));
    const double halfRange = rowHeight / 2.0 - 4;
    const auto available =
        static_cast<std::int64_t>(std::min<std::size_t>(columns.size(), GraphColumns));
    const double columnsPerPixel = viewColumns / width;
    points.reserve(2 * static_cast<std::size_t>(width) + 3);

    std::int64_t c = c0;
    for (int x = 0; c < e; ++x) {
        const std::int64_t pixelEnd =
            std::min(e, RoundToEven(columnsPerPixel * (x + 1) + static_cast<double>(c0)));
        // Columns outside the cache (a view that has left it) contribute nothing.
        const std::int64_t from = std::max<std::int64_t>(c, 0);
        const std::int64_t to = std::min(pixelEnd, available);
        const TGraphColumn pair =
            to > from ? PixelColumn(columns.data() + from, static_cast<std::size_t>(to - from))
                      : TGraphColumn{};
        points.push_back({x, LevelY(pair.First, centre, halfRange)});
        points.push_back({x, LevelY(pair.Second, centre, halfRange)});
        c = std::max(c, pixelEnd);
    }
    return points;
}

TWaveShapes WaveGeometry(const TDocument& document, const TGraphSnapshot& graph, int width,
                         int height) {
    TWaveShapes shapes;
    const int channels = document.Stream->ChannelCount;
    if (graph.size() < static_cast<std::size_t>(channels)) {
        return shapes;
    }
    shapes.Drawn = true;
    if (channels == 0) {
        return shapes;
    }
    const int h = ToInt(RoundToEven(static_cast<double>(height) / channels));
    shapes.RowHeight = h;
    const bool levelMeter = document.Stream->RecordState.load() != TTransportState::Stopped ||
                            document.SampleCount == 0;
    const TWaveRange range{document.ViewStart, document.ViewLength, document.GraphStart,
                           document.GraphLength};
    shapes.Rows.reserve(static_cast<std::size_t>(channels));
    for (int s = 0; s < channels; ++s) {
        TWaveRow row;
        row.Frame = {0, s * h, width, (s + 1) * h - 1};
        row.Centre = s * h + h / 2;
        if (levelMeter) {
            row.Level = LevelBar(document, s, width, h);
        } else {
            row.Line = WaveLine(*graph[static_cast<std::size_t>(s)], range, width, row.Centre, h);
        }
        shapes.Rows.push_back(std::move(row));
    }
    shapes.Overlay = Overlay(document, width, height, h, channels);
    return shapes;
}

int TrackX(std::uint32_t position, std::uint32_t sampleCount, int width) {
    if (sampleCount == 0) {
        return 5;
    }
    return ToInt(RoundToEven(static_cast<double>(position) / sampleCount * (width - 10) + 5));
}

TTrackShapes TrackGeometry(const TDocument& document, int width, int height) {
    const TDocument& d = document;
    TTrackShapes shapes;
    const TTransportState recordState = d.Stream->RecordState.load();
    shapes.Recording = recordState == TTransportState::Started;
    shapes.Bar = {5, 7, width - 5, height - 7};

    if (!shapes.Recording && d.SampleCount > 0) {
        const double span = width - 10;
        const int xa = ToInt(RoundToEven(span * d.ViewStart / d.SampleCount)) + 5;
        const int xb = ToInt(RoundToEven(span * d.ViewLength / d.SampleCount + xa));
        shapes.Zone = TRect{xa, 7, xb, height - 7};
        shapes.ZoneEdges = {{{xa, 7}, {xa, height - 7}}, {{xb - 1, 7}, {xb - 1, height - 7}}};
    }
    if (d.SampleCount > 0 && d.SelStartSet) {
        const int xs = TrackX(d.SelStart, d.SampleCount, width);
        shapes.SelStartLine = TLine{{xs, 8}, {xs, height - 8}};
        if (d.SelEndSet) {
            shapes.Selection = TRect{xs, 8, TrackX(d.SelEnd, d.SampleCount, width), height - 8};
        }
    }
    int x = 0;
    if (d.SampleCount == 0) {
        x = 5;
    } else if (d.CursorPos >= d.SampleCount) {
        x = width - 5;
    } else {
        x = TrackX(d.CursorPos, d.SampleCount, width);
    }
    shapes.CursorHandle = {x - 5, 0, x + 5, height};
    return shapes;
}

}  // namespace sonavel
