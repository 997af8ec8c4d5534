#pragma once

// Filling and reading whole channels in the tests of the editing, synthesis and conversion
// operations.

#include <cstdint>
#include <random>
#include <vector>

#include "core/AudioStream.h"
#include "core/Progress.h"

namespace sonavel::test {

inline void Fill(TAudioStream& s, std::uint16_t channel, const std::vector<std::int32_t>& values,
                 std::uint32_t start = 0) {
    s.WriteSamples(channel, start, static_cast<std::uint32_t>(values.size()), values.data());
}

inline std::vector<std::int32_t> Levels(TAudioStream& s, std::uint16_t channel, std::uint32_t start,
                                        std::uint32_t count) {
    std::vector<std::int32_t> values(count);
    s.ReadSamples(channel, start, count, values.data());
    return values;
}

inline std::uint32_t ChannelLength(TAudioStream& s, std::uint16_t channel) {
    return static_cast<std::uint32_t>(s.ChannelFiles[channel]->Size() / s.BytesPerSample);
}

inline std::vector<std::int32_t> Levels(TAudioStream& s, std::uint16_t channel) {
    return Levels(s, channel, 0, ChannelLength(s, channel));
}

// The stored bytes of a whole channel.
inline std::vector<std::uint8_t> Stored(TAudioStream& s, std::uint16_t channel) {
    std::vector<std::uint8_t> bytes(s.ChannelFiles[channel]->Size());
    s.ChannelFiles[channel]->ReadBytes(bytes.data(), 0, bytes.size());
    return bytes;
}

// Stored values, sign-extended, of a whole channel.
inline std::vector<std::int32_t> StoredValues(TAudioStream& s, std::uint16_t channel) {
    const std::vector<std::uint8_t> bytes = Stored(s, channel);
    const unsigned width = s.BytesPerSample;
    std::vector<std::int32_t> values(bytes.size() / width);
    for (std::size_t i = 0; i < values.size(); ++i) {
        std::uint32_t raw = 0;
        for (unsigned b = 0; b < width; ++b) {
            raw |= static_cast<std::uint32_t>(bytes[i * width + b]) << (8 * b);
        }
        values[i] = SignExtend(raw, width);
    }
    return values;
}

// Random samples on the full scale, with the extremes mixed in.
inline std::vector<std::int32_t> RandomLevels(std::size_t count, unsigned seed) {
    std::mt19937 rng(seed);
    std::uniform_int_distribution<std::int32_t> any(-MaxLevel, MaxLevel);
    std::vector<std::int32_t> values(count);
    for (auto& v : values) {
        const unsigned pick = rng() % 64;
        v = pick == 0 ? MaxLevel : pick == 1 ? -MaxLevel : any(rng);
    }
    return values;
}

// Random stored bytes of every pattern (not only those the scale produces).
inline std::vector<std::uint8_t> RandomBytes(std::size_t count, unsigned seed) {
    std::mt19937 rng(seed);
    std::vector<std::uint8_t> bytes(count);
    for (auto& b : bytes) {
        b = static_cast<std::uint8_t>(rng());
    }
    return bytes;
}

// The progress counters as an operation leaves them: run to the end, not processing.
inline void ExpectProgressFinished(std::uint32_t total) {
    EXPECT_FALSE(Processing.load());
    EXPECT_EQ(ProgressTotal.load(), total);
    EXPECT_EQ(ProgressPosition.load(), total);
}

}  // namespace sonavel::test
