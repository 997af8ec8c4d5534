#include <gtest/gtest.h>

#include <cmath>
#include <stdexcept>
#include <vector>

#include "core/AudioStream.h"
#include "core/Progress.h"
#include "core/SpectralFrame.h"
#include "core/SpectralTestSupport.h"
#include "support/TempFolder.h"

namespace sonavel {
namespace {

using test::BinTone;
using test::MaxDifference;
using test::ReadChannel;
using test::Sum;
using test::WriteChannel;

class SpectralEffectsTest : public test::TStreamTest {};

// Scales a run of samples, rounding to nearest.
std::vector<std::int32_t> Scaled(const std::vector<std::int32_t>& samples, double factor) {
    std::vector<std::int32_t> out(samples.size());
    for (std::size_t i = 0; i < samples.size(); ++i) {
        out[i] = static_cast<std::int32_t>(std::lrint(samples[i] * factor));
    }
    return out;
}

std::vector<std::int32_t> Slice(const std::vector<std::int32_t>& samples, std::size_t from,
                                std::size_t count) {
    return {samples.begin() + static_cast<std::ptrdiff_t>(from),
            samples.begin() + static_cast<std::ptrdiff_t>(from + count)};
}

// --- ColorNoise ---------------------------------------------------------------------------

TEST_F(SpectralEffectsTest, ColorNoiseScalesEachOctaveAndLeavesBinsBelow2HzAlone) {
    // 8000 Hz: N = 8192 and the 2 Hz bin is 2. Bin 100 lies in octave 6 (bins 66..129).
    const std::uint32_t n = 8192;
    for (const std::uint8_t kind : {1, 2}) {
        TAudioStream stream(1, 32, 8000);
        const auto low = BinTone(3 * n, 1, n, 1e6);
        const auto tone = BinTone(3 * n, 100, n, 1e7, 0.4);
        const auto input = Sum(low, tone);
        WriteChannel(stream, 0, 0, input);

        const std::uint32_t count = 2 * n + 100;
        stream.ColorNoise(0, 0, count, kind);

        double gain = 16.0 * kind;
        for (int octave = 0; octave < 6; ++octave) {
            gain *= std::exp(-0.3 * kind);
        }
        const auto expected = Sum(low, Scaled(tone, gain));
        const auto output = ReadChannel(stream, 0, 0, 3 * n);
        EXPECT_LE(MaxDifference(Slice(output, 0, count), Slice(expected, 0, count)), 4)
            << "kind " << int{kind};
        // Past the fragment nothing is written.
        EXPECT_EQ(Slice(output, count, 3 * n - count), Slice(input, count, 3 * n - count));
        EXPECT_EQ(stream.GetLength(), 3 * n);
    }
}

}  // namespace
}  // namespace sonavel
