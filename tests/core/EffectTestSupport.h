#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "core/AudioStream.h"
#include "core/SampleScale.h"

// Helpers shared by the amplitude and time effect tests: filling streams, reading them back
// and comparing the block-wise effects with straightforward sample-by-sample versions.
namespace sonavel::test {

// round(): nearest, ties to even (the default rounding mode), and trunc(), on extended values.
inline std::int64_t RefRound(long double x) {
    return static_cast<std::int64_t>(std::nearbyint(x));
}
inline std::int64_t RefTrunc(long double x) {
    return static_cast<std::int64_t>(std::trunc(x));
}

inline std::vector<std::uint16_t> RefChannels(const TAudioStream& s, int channel) {
    std::vector<std::uint16_t> channels;
    if (channel < 0) {
        for (std::uint16_t c = 0; c < s.ChannelCount; ++c) {
            channels.push_back(c);
        }
    } else {
        channels.push_back(static_cast<std::uint16_t>(channel));
    }
    return channels;
}

// What a level reads back as once written to the stream (not itself for every width).
inline std::int32_t ReadBack(const TAudioStream& s, std::int32_t level) {
    return StoredToLevel(LevelToStored(level, s.BytesPerSample), s.BytesPerSample);
}

inline void PutLevels(TAudioStream& s, std::uint16_t channel, std::uint32_t at,
                      const std::vector<std::int32_t>& levels) {
    s.WriteSamples(channel, at, static_cast<std::uint32_t>(levels.size()), levels.data());
}

inline std::vector<std::int32_t> GetLevels(TAudioStream& s, std::uint16_t channel, std::uint32_t at,
                                           std::uint32_t count) {
    std::vector<std::int32_t> levels(count);
    s.ReadSamples(channel, at, count, levels.data());
    return levels;
}

inline std::uint64_t ChannelLength(TAudioStream& s, std::uint16_t channel) {
    return s.ChannelFiles[channel]->Size() / s.BytesPerSample;
}

inline std::vector<std::uint8_t> StoredBytes(TAudioStream& s, std::uint16_t channel) {
    std::vector<std::uint8_t> bytes(s.ChannelFiles[channel]->Size());
    s.ChannelFiles[channel]->ReadBytes(bytes.data(), 0, bytes.size());
    return bytes;
}

// Two streams of one format whose channels hold the same random stored values, channel c
// being lengths[c] samples long; loud and quiet stretches alternate so that clipping and
// small values both occur.
struct TStreamPair {
    TAudioStream Block;
    TAudioStream Reference;

    TStreamPair(std::uint16_t bits, std::uint32_t rate, const std::vector<std::uint32_t>& lengths,
                std::uint32_t seed)
        : Block(static_cast<std::uint16_t>(lengths.size()), bits, rate),
          Reference(static_cast<std::uint16_t>(lengths.size()), bits, rate) {
        std::mt19937 rng(seed);
        const unsigned bps = Block.BytesPerSample;
        for (std::size_t c = 0; c < lengths.size(); ++c) {
            std::vector<std::uint8_t> bytes(static_cast<std::size_t>(lengths[c]) * bps);
            for (std::size_t i = 0; i < lengths[c]; ++i) {
                const bool quiet = (i / 4096) % 3 == 1;
                std::uint32_t v = rng();
                if (quiet) {
                    // A few hundred steps of the stored width around zero.
                    v = static_cast<std::uint32_t>(static_cast<std::int32_t>(v % 601) - 300);
                }
                for (unsigned b = 0; b < bps; ++b) {
                    bytes[i * bps + b] = static_cast<std::uint8_t>(v >> (8 * b));
                }
            }
            const auto channel = static_cast<std::uint16_t>(c);
            Block.WriteStored(channel, 0, lengths[c], bytes.data());
            Reference.WriteStored(channel, 0, lengths[c], bytes.data());
        }
    }

    // Both streams have the same channels with the same stored bytes.
    void ExpectSame() {
        ASSERT_EQ(Block.ChannelCount, Reference.ChannelCount);
        for (std::uint16_t c = 0; c < Block.ChannelCount; ++c) {
            const auto got = StoredBytes(Block, c);
            const auto want = StoredBytes(Reference, c);
            ASSERT_EQ(got.size(), want.size()) << "length of channel " << c;
            const auto diff = std::mismatch(got.begin(), got.end(), want.begin());
            EXPECT_TRUE(diff.first == got.end())
                << "channel " << c << " differs first at sample "
                << (diff.first - got.begin()) / Block.BytesPerSample;
        }
    }
};

}  // namespace sonavel::test
