#pragma once

#include <cmath>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "core/AudioStream.h"

namespace sonavel {

class TDocument;

// Columns per channel of the graph cache: the stretch GraphStart .. GraphStart + GraphLength
// of the document condensed so that the view can zoom within a factor of 256 without
// reading samples.
inline constexpr std::uint32_t GraphColumns = 327680;

// A column's two extremes on the MaxLevel scale, the one that occurs earlier in time first.
struct TGraphColumn {
    std::int32_t First = 0;
    std::int32_t Second = 0;
    bool operator==(const TGraphColumn&) const = default;
};

using TChannelGraph = std::vector<TGraphColumn>;  // GraphColumns entries
// The channels' columns as one paint sees them; the arrays never change once published.
using TGraphSnapshot = std::vector<std::shared_ptr<const TChannelGraph>>;

// Round to nearest, ties to even.
inline std::int64_t RoundToEven(double x) {
    return static_cast<std::int64_t>(std::nearbyint(x));
}

// The extremes of a run of values in time order. The rule: Max starts at 0 and is replaced
// by every value >= Max (so the last of equal maxima counts), Min likewise by every value
// <= Min; a side never found takes the other's value and position, and the pair puts first
// the one at the lower position, Min when they are equal; an empty run gives (0, 0).
// Worked out: an all-negative run holds its minimum twice, an all-positive run its maximum
// twice, and otherwise the extreme whose last occurrence is the later one comes second.
inline TGraphColumn TimeOrdered(std::int32_t max, std::int32_t min, bool maxOccursLast) {
    if (max < 0) {
        return {min, min};
    }
    if (min > 0) {
        return {max, max};
    }
    return maxOccursLast ? TGraphColumn{min, max} : TGraphColumn{max, min};
}

// The time-ordered extremes of values[0 .. count).
TGraphColumn RunColumn(const std::int32_t* values, std::size_t count);

// The graph cache of one document window, one column array per channel.
//
// Thread safety: the graph thread builds while the user interface thread paints. A build
// never writes into an array a paint may hold: it fills a new array and publishes it whole
// under the mutex, and a paint takes a snapshot (copies of the shared pointers) under the
// same mutex, so it keeps reading the arrays it took even while the cache is rebuilt or
// resized. Paints during a rebuild thus show each channel either as it was or as rebuilt.
class TGraphCache {
  public:
    std::size_t ChannelCount() const;
    // Keeps the channels that remain; new channels hold zeros.
    void Resize(std::size_t channelCount);
    // Replaces one channel's columns; ignored when the channel no longer exists.
    void Publish(std::size_t channel, std::shared_ptr<const TChannelGraph> columns);
    TGraphSnapshot Snapshot() const;

  private:
    mutable std::mutex Mutex_;
    TGraphSnapshot Channels_;
};

// One channel's columns for samples graphStart .. graphStart + graphLength - 1, read block by
// block; every column holds (0, 0) when sampleCount or graphLength is 0. Writes the progress
// counters from 0 to graphLength.
TChannelGraph BuildChannelGraph(TAudioStream& stream, std::uint16_t channel,
                                std::uint32_t sampleCount, std::uint32_t graphStart,
                                std::uint32_t graphLength);

// The document's cache from its GraphStart and GraphLength: sized to the stream's channels,
// then built channel by channel in channel order.
void BuildChannelGraph(TDocument& document, TGraphCache& graph, std::uint16_t channel);
void BuildGraph(TDocument& document, TGraphCache& graph);

// What the graph thread runs: BuildGraph with GraphBuilding set, cleared again at the end
// (also when the build throws, which is passed on).
void RunGraphThread(TDocument& document, TGraphCache& graph);

}  // namespace sonavel
