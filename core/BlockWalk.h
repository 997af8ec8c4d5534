#pragma once

#include <algorithm>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/AudioStream.h"
#include "core/ExtendedMath.h"
#include "core/ParallelWork.h"
#include "core/Progress.h"
#include "core/SampleScale.h"

// Block-wise walking of a fragment for the amplitude and time effects: each effect reads and
// writes runs of samples through the span API, producing the values its per-sample steps give.
namespace sonavel::blockwalk {

// Samples per channel moved per ReadSamples/WriteSamples call: large enough that the window
// lookups vanish in the cost, small enough that an effect holds a few hundred KiB per channel.
inline constexpr std::uint32_t BlockSamples = 65536;

// The channels of a fragment operation (-1: all, ascending), checked before anything changes:
// a channel the stream does not have, or a fragment reaching past the last 32-bit sample
// position (where writes would wrap around to the start of the channel), is refused.
inline std::vector<std::uint16_t> FragmentChannels(const TAudioStream& stream, int channel,
                                                   std::uint32_t start, std::uint32_t count,
                                                   const char* operation) {
    if (channel >= static_cast<int>(stream.ChannelCount)) {
        throw std::out_of_range(std::string(operation) + ": the stream has no channel " +
                                std::to_string(channel));
    }
    if (static_cast<std::uint64_t>(start) + count > std::uint64_t{UINT32_MAX} + 1) {
        throw std::out_of_range(std::string(operation) + ": the fragment of " +
                                std::to_string(count) + " samples at " + std::to_string(start) +
                                " reaches past the last sample position");
    }
    return stream.SelectedChannels(channel);
}

// One channel task's part of the progress of work done on several channels at once: of
// every b steps it completes it counts the share that makes the tasks' parts add up to b, so
// the counters run once from 0 to the steps of one channel, as in a walk of all channels
// block by block.
class TChannelProgress {
  public:
    TChannelProgress(TParallelProgress& all, std::size_t task, std::size_t tasks)
        : All_(all), Task_(task), Tasks_(tasks) {}

    void Advance(std::uint64_t b) { All_.Advance(b * (Task_ + 1) / Tasks_ - b * Task_ / Tasks_); }

  private:
    TParallelProgress& All_;
    std::uint64_t Task_;
    std::uint64_t Tasks_;
};

// Runs task(i, progress) for every i in [0, tasks) on every core, one task per channel of the
// operation so that each channel file is reached by one thread; the progress counters run
// from 0 to steps.
template <class TTask>
void ForEachChannel(std::size_t tasks, std::uint64_t steps, const TTask& task) {
    TParallelProgress all(steps);
    ParallelFor(tasks, [&](std::size_t i) {
        TChannelProgress progress(all, i, tasks);
        task(i, progress);
    });
}

// The stored value each stored value s becomes under map (for streams stored in one or two
// bytes, when the samples outnumber the stored values), else empty: map is then applied to
// the samples themselves.
template <class TLevelMap>
std::vector<std::uint16_t> StoredValueTable(unsigned bps, std::uint64_t samples,
                                            const TLevelMap& map) {
    const std::uint32_t storedValues = bps <= 2 ? 1U << (8 * bps) : 0;
    std::vector<std::uint16_t> table;
    if (storedValues != 0 && samples >= storedValues) {
        const auto half = static_cast<std::int32_t>(storedValues / 2);
        table.resize(storedValues);
        for (std::int32_t s = -half; s < half; ++s) {
            table[static_cast<std::uint32_t>(s) & (storedValues - 1)] =
                static_cast<std::uint16_t>(LevelToStored(map(StoredToLevel(s, bps)), bps));
        }
    }
    return table;
}

// Replaces every sample v of one channel's fragment by map(v), through the table when it is
// not empty; advance(b) follows each block of b samples.
template <class TLevelMap, class TAdvance>
void MapChannel(TAudioStream& stream, std::uint16_t channel, std::uint32_t start,
                std::uint32_t count, const TLevelMap& map, const std::vector<std::uint16_t>& table,
                const TAdvance& advance) {
    const unsigned bps = stream.BytesPerSample;
    if (!table.empty()) {
        std::vector<std::uint8_t> bytes(static_cast<std::size_t>(BlockSamples) * bps);
        for (std::uint32_t k = 0; k < count;) {
            const std::uint32_t b = std::min(BlockSamples, count - k);
            stream.ReadStored(channel, start + k, b, bytes.data());
            if (bps == 1) {
                for (std::uint32_t j = 0; j < b; ++j) {
                    bytes[j] = static_cast<std::uint8_t>(table[bytes[j]]);
                }
            } else {
                for (std::size_t j = 0; j < b; ++j) {
                    const std::uint16_t s = table[bytes[2 * j] | bytes[2 * j + 1] << 8];
                    bytes[2 * j] = static_cast<std::uint8_t>(s);
                    bytes[2 * j + 1] = static_cast<std::uint8_t>(s >> 8);
                }
            }
            stream.WriteStored(channel, start + k, b, bytes.data());
            k += b;
            advance(b);
        }
        return;
    }
    std::vector<std::int32_t> values(BlockSamples);
    for (std::uint32_t k = 0; k < count;) {
        const std::uint32_t b = std::min(BlockSamples, count - k);
        stream.ReadSamples(channel, start + k, b, values.data());
        for (std::uint32_t j = 0; j < b; ++j) {
            values[j] = map(values[j]);
        }
        stream.WriteSamples(channel, start + k, b, values.data());
        k += b;
        advance(b);
    }
}

// Raises peak to the largest |v| of the levels v[0 .. b - 1]; -2^31 has no positive
// counterpart and does not count.
inline std::int64_t PeakOf(const std::int32_t* v, std::uint32_t b, std::int64_t peak) {
    std::int32_t most = 0;  // every other |v| fits: branch-free and vectorised
#pragma omp simd reduction(max : most)
    for (std::uint32_t j = 0; j < b; ++j) {
        const std::int32_t magnitude = v[j] == INT32_MIN ? 0 : (v[j] < 0 ? -v[j] : v[j]);
        most = magnitude > most ? magnitude : most;
    }
    return std::max<std::int64_t>(peak, most);
}

// Scales one channel's fragment, whose peak (as PeakOf finds it) is given, so that the peak
// reaches full scale; a silent fragment stays silent. advance(b) follows each block.
template <class TAdvance>
void ScaleToPeak(TAudioStream& stream, std::uint16_t channel, std::uint32_t start,
                 std::uint32_t count, std::int64_t peak, const TAdvance& advance) {
    const long double g = peak == 0 ? 0.0L : MaxLevel / static_cast<long double>(peak);
    const auto map = [g](std::int32_t v) { return ClampToLevel(TruncTowardZero(v * g)); };
    MapChannel(stream, channel, start, count, map,
               StoredValueTable(stream.BytesPerSample, count, map), advance);
}

// Replaces every sample v of the fragment by map(v), the channels in parallel, the progress
// counters running from 0 to count. map must depend on v alone; for streams stored
// in one or two bytes it is then evaluated once per stored value and the samples go through a
// table of stored values.
template <class TLevelMap>
void MapSamples(TAudioStream& stream, const std::vector<std::uint16_t>& channels,
                std::uint32_t start, std::uint32_t count, const TLevelMap& map) {
    const auto table = StoredValueTable(stream.BytesPerSample,
                                        static_cast<std::uint64_t>(count) * channels.size(), map);
    ForEachChannel(channels.size(), count,
                   [&](std::size_t i, blockwalk::TChannelProgress& progress) {
                       MapChannel(stream, channels[i], start, count, map, table,
                                  [&progress](std::uint32_t b) { progress.Advance(b); });
                   });
}

}  // namespace sonavel::blockwalk
