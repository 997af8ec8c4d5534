#pragma once

#include <algorithm>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/AudioStream.h"
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

// Replaces every sample v of the fragment by map(v): blocks in order, channels ascending
// within a block, the progress counters running from 0 to count. map must depend on v alone;
// for streams stored in one or two bytes it is then evaluated once per stored value and the
// samples go through a table of stored values.
template <class TLevelMap>
void MapSamples(TAudioStream& stream, const std::vector<std::uint16_t>& channels,
                std::uint32_t start, std::uint32_t count, const TLevelMap& map) {
    const TProgressScope progress(count);
    const unsigned bps = stream.BytesPerSample;
    const std::uint32_t storedValues = bps <= 2 ? 1U << (8 * bps) : 0;
    const std::uint64_t work = static_cast<std::uint64_t>(count) * channels.size();
    if (storedValues != 0 && work >= storedValues) {
        const auto half = static_cast<std::int32_t>(storedValues / 2);
        std::vector<std::uint16_t> table(storedValues);
        for (std::int32_t s = -half; s < half; ++s) {
            table[static_cast<std::uint32_t>(s) & (storedValues - 1)] =
                static_cast<std::uint16_t>(LevelToStored(map(StoredToLevel(s, bps)), bps));
        }
        std::vector<std::uint8_t> bytes(static_cast<std::size_t>(BlockSamples) * bps);
        for (std::uint32_t k = 0; k < count;) {
            TProgressScope::Step(k);
            const std::uint32_t b = std::min(BlockSamples, count - k);
            for (const std::uint16_t c : channels) {
                stream.ReadStored(c, start + k, b, bytes.data());
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
                stream.WriteStored(c, start + k, b, bytes.data());
            }
            k += b;
        }
    } else {
        std::vector<std::int32_t> values(BlockSamples);
        for (std::uint32_t k = 0; k < count;) {
            TProgressScope::Step(k);
            const std::uint32_t b = std::min(BlockSamples, count - k);
            for (const std::uint16_t c : channels) {
                stream.ReadSamples(c, start + k, b, values.data());
                for (std::uint32_t j = 0; j < b; ++j) {
                    values[j] = map(values[j]);
                }
                stream.WriteSamples(c, start + k, b, values.data());
            }
            k += b;
        }
    }
    TProgressScope::Step(count);
}

}  // namespace sonavel::blockwalk
