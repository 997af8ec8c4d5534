#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <vector>

#include "core/AudioStream.h"

namespace sonavel::test {

// amplitude * cos(2 pi bin i / n + phase) for i = 0 .. count - 1, rounded: a tone that falls
// exactly on one bin of every n-sample block.
inline std::vector<std::int32_t> BinTone(std::uint32_t count, std::uint32_t bin, std::uint32_t n,
                                         double amplitude, double phase = 0) {
    std::vector<std::int32_t> samples(count);
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::uint64_t turn = std::uint64_t{bin} * i % n;
        samples[i] = static_cast<std::int32_t>(std::lrint(
            amplitude * std::cos(2 * std::numbers::pi * static_cast<double>(turn) / n + phase)));
    }
    return samples;
}

inline std::vector<std::int32_t> Sum(const std::vector<std::int32_t>& a,
                                     const std::vector<std::int32_t>& b) {
    std::vector<std::int32_t> sum(a.size());
    for (std::size_t i = 0; i < a.size(); ++i) {
        sum[i] = a[i] + b[i];
    }
    return sum;
}

inline void WriteChannel(TAudioStream& stream, std::uint16_t channel, std::uint32_t start,
                         const std::vector<std::int32_t>& samples) {
    stream.WriteSamples(channel, start, static_cast<std::uint32_t>(samples.size()), samples.data());
}

inline std::vector<std::int32_t> ReadChannel(TAudioStream& stream, std::uint16_t channel,
                                             std::uint32_t start, std::uint32_t count) {
    std::vector<std::int32_t> samples(count);
    stream.ReadSamples(channel, start, count, samples.data());
    return samples;
}

// Largest difference between two runs of samples.
inline std::int64_t MaxDifference(const std::vector<std::int32_t>& a,
                                  const std::vector<std::int32_t>& b) {
    std::int64_t worst = 0;
    for (std::size_t i = 0; i < a.size() && i < b.size(); ++i) {
        const std::int64_t difference = std::int64_t{a[i]} - b[i];
        worst = std::max(worst, difference < 0 ? -difference : difference);
    }
    return a.size() == b.size() ? worst : INT64_MAX;
}

}  // namespace sonavel::test
