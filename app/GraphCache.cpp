#include "app/GraphCache.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <future>
#include <utility>

#include "app/Document.h"
#include "core/BlockWalk.h"
#include "core/ParallelWork.h"
#include "core/Progress.h"

namespace sonavel {

namespace {

constexpr std::uint32_t BlockSamples = 262144;
// Sample indices are 32-bit: nothing exists at or beyond this position.
constexpr std::uint64_t IndexLimit = std::uint64_t{1} << 32;

// Reads a channel forward in consecutive blocks with ReadSamples. The next block is read on a
// helper thread while the current one is scanned, so a build takes about as long as the
// reading alone. A step that straddles two blocks is handed out from a copy of its samples.
class TBlockReader {
  public:
    // step(samples read so far) follows each block.
    TBlockReader(TAudioStream& stream, std::uint16_t channel, std::uint64_t first,
                 std::uint64_t end, std::function<void(std::uint64_t)> step)
        : Step_(std::move(step)),
          Stream_(stream),
          Channel_(channel),
          First_(first),
          End_(end),
          BlockStart_(first),
          BlockEnd_(first) {
        Prefetch(first);
    }
    // A pending read is waited for (the future's destructor) before the buffers go.
    ~TBlockReader() = default;
    TBlockReader(const TBlockReader&) = delete;
    TBlockReader& operator=(const TBlockReader&) = delete;

    // The samples from .. to - 1, for steps that move forward.
    const std::int32_t* Samples(std::uint64_t from, std::uint64_t to) {
        while (from >= BlockEnd_) {
            Advance();
        }
        if (to <= BlockEnd_) {
            return Current_.data() + (from - BlockStart_);
        }
        Stitch_.assign(Current_.begin() + static_cast<std::ptrdiff_t>(from - BlockStart_),
                       Current_.end());
        Advance();
        Stitch_.insert(Stitch_.end(), Current_.begin(),
                       Current_.begin() + static_cast<std::ptrdiff_t>(to - BlockStart_));
        return Stitch_.data();
    }

  private:
    struct TBlock {
        std::uint64_t Start = 0;
        std::vector<std::int32_t> Values;
    };

    void Prefetch(std::uint64_t start) {
        if (start >= End_) {
            return;
        }
        Pending_ = std::async(std::launch::async, [this, start,
                                                   values = std::move(Spare_)]() mutable {
            const auto count =
                static_cast<std::uint32_t>(std::min<std::uint64_t>(End_ - start, BlockSamples));
            values.resize(count);
            Stream_.ReadSamples(Channel_, static_cast<std::uint32_t>(start), count, values.data());
            return TBlock{start, std::move(values)};
        });
    }

    void Advance() {
        TBlock next = Pending_.get();  // passes on a failed read
        Step_(next.Start - First_);
        Spare_ = std::move(Current_);
        Current_ = std::move(next.Values);
        BlockStart_ = next.Start;
        BlockEnd_ = next.Start + Current_.size();
        Prefetch(BlockEnd_);
    }

    std::function<void(std::uint64_t)> Step_;
    TAudioStream& Stream_;
    const std::uint16_t Channel_;
    const std::uint64_t First_;
    const std::uint64_t End_;
    std::vector<std::int32_t> Current_;
    std::vector<std::int32_t> Spare_;
    std::vector<std::int32_t> Stitch_;
    std::uint64_t BlockStart_;
    std::uint64_t BlockEnd_;
    std::future<TBlock> Pending_;
};

// End (exclusive) of the samples of column k when a step covers one column:
// Round((k + 1) * graphLength / GraphColumns + graphStart), in exact integer arithmetic.
std::uint64_t ColumnEnd(std::uint64_t k, std::uint32_t graphStart, std::uint32_t graphLength) {
    const std::uint64_t scaled = (k + 1) * graphLength;
    std::uint64_t end = scaled / GraphColumns + graphStart;
    const std::uint64_t twice = 2 * (scaled % GraphColumns);
    if (twice > GraphColumns || (twice == GraphColumns && end % 2 == 1)) {
        ++end;
    }
    return end;
}

}  // namespace

TGraphColumn RunColumn(const std::int32_t* values, std::size_t count) {
    if (count == 0) {
        return {};
    }
    // Largest and smallest value, eight at a time in two vectors of four lanes (plain
    // compiler vector arithmetic, SSE2 on x86-64); then the last occurrence of either, found
    // from the end.
    using TLanes = std::int32_t __attribute__((vector_size(16)));
    constexpr std::size_t Width = 4;
    TLanes max0 = {values[0], values[0], values[0], values[0]};
    TLanes max1 = max0;
    TLanes min0 = max0;
    TLanes min1 = max0;
    std::size_t i = 0;
    for (; i + 2 * Width <= count; i += 2 * Width) {
        TLanes a;
        TLanes b;
        std::memcpy(&a, values + i, sizeof a);
        std::memcpy(&b, values + i + Width, sizeof b);
        max0 = a > max0 ? a : max0;
        max1 = b > max1 ? b : max1;
        min0 = a < min0 ? a : min0;
        min1 = b < min1 ? b : min1;
    }
    max0 = max1 > max0 ? max1 : max0;
    min0 = min1 < min0 ? min1 : min0;
    std::int32_t max = values[0];
    std::int32_t min = values[0];
    for (std::size_t j = 0; j < Width; ++j) {
        max = std::max(max, static_cast<std::int32_t>(max0[j]));
        min = std::min(min, static_cast<std::int32_t>(min0[j]));
    }
    for (; i < count; ++i) {
        max = std::max(max, values[i]);
        min = std::min(min, values[i]);
    }
    std::size_t last = count - 1;
    while (values[last] != max && values[last] != min) {
        --last;
    }
    return TimeOrdered(max, min, values[last] == max && max != min);
}

std::size_t TGraphCache::ChannelCount() const {
    const std::lock_guard lock(Mutex_);
    return Channels_.size();
}

void TGraphCache::Resize(std::size_t channelCount) {
    const std::lock_guard lock(Mutex_);
    const std::size_t kept = std::min(channelCount, Channels_.size());
    Channels_.resize(channelCount);
    for (std::size_t c = kept; c < channelCount; ++c) {
        Channels_[c] = std::make_shared<const TChannelGraph>(GraphColumns);
    }
}

void TGraphCache::Publish(std::size_t channel, std::shared_ptr<const TChannelGraph> columns) {
    const std::lock_guard lock(Mutex_);
    if (channel < Channels_.size()) {
        Channels_[channel] = std::move(columns);
    }
}

TGraphSnapshot TGraphCache::Snapshot() const {
    const std::lock_guard lock(Mutex_);
    return Channels_;
}

namespace {

// The columns of one channel; step(samples done) follows each block read.
TChannelGraph ChannelColumns(TAudioStream& stream, std::uint16_t channel, std::uint32_t sampleCount,
                             std::uint32_t graphStart, std::uint32_t graphLength,
                             const std::function<void(std::uint64_t)>& step) {
    TChannelGraph columns(GraphColumns);
    if (sampleCount == 0 || graphLength == 0) {
        return columns;
    }

    // Below GraphColumns samples a step is one sample spread over a fractional number of
    // columns; otherwise a step is one column and gathers the samples up to its end.
    const bool sampleSteps = graphLength < GraphColumns;
    const double columnsPerStep =
        sampleSteps ? static_cast<double>(GraphColumns) / graphLength : 1.0;
    const std::uint64_t first = graphStart;
    const std::uint64_t end = std::min<std::uint64_t>(first + graphLength, IndexLimit);

    TBlockReader samples(stream, channel, first, end, step);
    double a = columnsPerStep;
    std::uint64_t k = 0;
    TGraphColumn column;
    for (std::uint64_t s = first; s < end;) {
        const std::uint64_t stepEnd =
            sampleSteps ? s + 1 : std::clamp(ColumnEnd(k, graphStart, graphLength), s, end);
        column = RunColumn(samples.Samples(s, stepEnd), stepEnd - s);

        // The fraction carries over; the cache never takes more than its columns even when
        // the accumulated fractions round past the last one.
        const double whole = std::trunc(a);
        const auto count =
            std::min<std::uint64_t>(static_cast<std::uint64_t>(whole), GraphColumns - k);
        std::fill_n(columns.begin() + static_cast<std::ptrdiff_t>(k), count, column);
        k += count;
        a = a - whole + columnsPerStep;
        s = stepEnd;
    }
    // The per-sample fractions add up to exactly GraphColumns, but their sum in doubles often
    // falls just short, which would leave the last column (0, 0) instead of the last sample.
    if (sampleSteps && end == first + graphLength) {
        std::fill(columns.begin() + static_cast<std::ptrdiff_t>(k), columns.end(), column);
    }
    step(graphLength);
    return columns;
}

}  // namespace

TChannelGraph BuildChannelGraph(TAudioStream& stream, std::uint16_t channel,
                                std::uint32_t sampleCount, std::uint32_t graphStart,
                                std::uint32_t graphLength) {
    if (sampleCount == 0 || graphLength == 0) {
        return TChannelGraph(GraphColumns);
    }
    const TProgressScope progress(graphLength);
    return ChannelColumns(stream, channel, sampleCount, graphStart, graphLength,
                          [](std::uint64_t done) { TProgressScope::Step(done); });
}

void BuildChannelGraph(TDocument& document, TGraphCache& graph, std::uint16_t channel) {
    auto columns = std::make_shared<const TChannelGraph>(
        BuildChannelGraph(*document.Stream, channel, document.SampleCount, document.GraphStart,
                          document.GraphLength));
    graph.Publish(channel, std::move(columns));
}

void BuildGraph(TDocument& document, TGraphCache& graph) {
    const std::uint16_t channels = document.Stream->ChannelCount;
    graph.Resize(channels);
    if (channels <= 1 || document.SampleCount == 0 || document.GraphLength == 0) {
        for (std::uint16_t c = 0; c < channels; ++c) {
            BuildChannelGraph(document, graph, c);
        }
        return;
    }
    // The channels are built in parallel, each by a task of its own; the progress counters
    // run once to the cache length, every task counting its share.
    blockwalk::ForEachChannel(
        channels, document.GraphLength, [&](std::size_t c, blockwalk::TChannelProgress& progress) {
            std::uint64_t counted = 0;
            auto columns = std::make_shared<const TChannelGraph>(ChannelColumns(
                *document.Stream, static_cast<std::uint16_t>(c), document.SampleCount,
                document.GraphStart, document.GraphLength, [&](std::uint64_t done) {
                    progress.Advance(done - counted);
                    counted = done;
                }));
            graph.Publish(c, std::move(columns));
        });
}

void RunGraphThread(TDocument& document, TGraphCache& graph) {
    struct TBuildingFlag {
        explicit TBuildingFlag(std::atomic<bool>& flag) : Flag(flag) { Flag.store(true); }
        ~TBuildingFlag() { Flag.store(false); }
        TBuildingFlag(const TBuildingFlag&) = delete;
        TBuildingFlag& operator=(const TBuildingFlag&) = delete;
        std::atomic<bool>& Flag;
    };
    const TBuildingFlag building(document.GraphBuilding);
    BuildGraph(document, graph);
}

}  // namespace sonavel
