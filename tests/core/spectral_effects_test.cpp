#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <random>
#include <stdexcept>
#include <vector>

#include "core/AudioStream.h"
#include "core/ParallelWork.h"
#include "core/Progress.h"
#include "core/SpectralFrame.h"
#include "core/SpectralTestSupport.h"
#include "spectra/SpectralBins.h"
#include "support/TempFolder.h"

namespace sonavel {
namespace {

using test::BinTone;
using test::MaxDifference;
using test::ReadChannel;
using test::Sum;
using test::WriteChannel;

class SpectralEffectsTest : public test::TStreamTest {};

// 44,100 Hz: blocks of N = 65,536, bin k at k * 0.6729 Hz.
constexpr std::uint32_t Rate = 44100;
constexpr std::uint32_t N = 65536;

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

// --- FilterBand ---------------------------------------------------------------------------

TEST_F(SpectralEffectsTest, FilterBandKeepsOrRemovesAToneInsideTheBand) {
    // 1000..2000 Hz are bins 1486..2972; bin 2229 is about 1500 Hz, bin 5000 about 3365 Hz.
    const auto inside = BinTone(N, 2229, N, 3e8, 0.7);
    const auto outside = BinTone(N, 5000, N, 2e8, -1.1);
    for (const bool keep : {true, false}) {
        TAudioStream stream(2, 32, Rate);
        WriteChannel(stream, 0, 0, Sum(inside, outside));
        WriteChannel(stream, 1, 0, outside);
        stream.FilterBand(-1, 0, N, 1000, 2000, keep);
        const auto& survivor = keep ? inside : outside;
        EXPECT_LE(MaxDifference(ReadChannel(stream, 0, 0, N), survivor), 2) << keep;
        if (keep) {
            EXPECT_LE(MaxDifference(ReadChannel(stream, 1, 0, N), std::vector<std::int32_t>(N)), 2);
        } else {
            EXPECT_LE(MaxDifference(ReadChannel(stream, 1, 0, N), outside), 2);
        }
    }
}

TEST_F(SpectralEffectsTest, FilterBandOnOneChannelLeavesTheOthersAlone) {
    const auto tone = BinTone(N, 5000, N, 2e8);
    TAudioStream stream(2, 32, Rate);
    WriteChannel(stream, 0, 0, tone);
    WriteChannel(stream, 1, 0, tone);
    stream.FilterBand(1, 0, N, 1000, 2000, true);
    EXPECT_EQ(ReadChannel(stream, 0, 0, N), tone);
    EXPECT_LE(MaxDifference(ReadChannel(stream, 1, 0, N), std::vector<std::int32_t>(N)), 2);
}

// --- Equalize -----------------------------------------------------------------------------

TEST_F(SpectralEffectsTest, EqualizeWithAllGains100LeavesTheFragmentUnchanged) {
    std::vector<std::int32_t> noise(N + 5000);
    std::uint32_t x = 12345;
    for (auto& v : noise) {
        x = x * 1664525U + 1013904223U;
        v = static_cast<std::int32_t>(x) / 4;  // +-2^29: 32-bit storage keeps them exactly
    }
    TAudioStream stream(1, 32, Rate);
    WriteChannel(stream, 0, 0, noise);
    stream.Equalize(0, 3, N + 1000, std::vector<std::uint8_t>(16, 100), 1, 22050);
    EXPECT_EQ(ReadChannel(stream, 0, 0, N + 5000), noise);
}

TEST_F(SpectralEffectsTest, EqualizeOverTheWholeRangeLeavesDCAlone) {
    // Gains of 0 from 1 Hz to 22050 Hz: bins 1 .. N/2 vanish, the DC bin stays.
    std::vector<std::int32_t> input = BinTone(N, 300, N, 1e8);
    for (auto& v : input) {
        v += 5000;
    }
    TAudioStream stream(1, 32, Rate);
    WriteChannel(stream, 0, 0, input);
    stream.Equalize(0, 0, N, std::vector<std::uint8_t>(16, 0), 1, 22050);
    EXPECT_LE(MaxDifference(ReadChannel(stream, 0, 0, N), std::vector<std::int32_t>(N, 5000)), 1);
}

TEST_F(SpectralEffectsTest, EqualizeScalesEachBandByItsGain) {
    // From 1 Hz over 22050 Hz the 16 bands are 2048 bins wide: bin 1000 lies in band 0,
    // bin 17000 in band 8, bin 30000 in band 14.
    std::vector<std::uint8_t> gains(16, 100);
    gains[0] = 0;
    gains[8] = 200;
    gains[14] = 50;
    const auto band0 = BinTone(N, 1000, N, 1e8);
    const auto band8 = BinTone(N, 17000, N, 1e8, 0.2);
    const auto band14 = BinTone(N, 30000, N, 1e8, 0.9);
    TAudioStream stream(1, 32, Rate);
    WriteChannel(stream, 0, 0, Sum(Sum(band0, band8), band14));
    stream.Equalize(0, 0, N, gains, 1, 22050);
    const auto expected = Sum(Scaled(band8, 2), Scaled(band14, 0.5));
    EXPECT_LE(MaxDifference(ReadChannel(stream, 0, 0, N), expected), 3);
}

TEST_F(SpectralEffectsTest, ValuesBeyondFullScaleAreClipped) {
    const auto tone = BinTone(N, 3000, N, 1.5e9);
    TAudioStream stream(1, 32, Rate);
    WriteChannel(stream, 0, 0, tone);
    stream.Equalize(0, 0, N, std::vector<std::uint8_t>(16, 200), 1, 22050);
    const auto output = ReadChannel(stream, 0, 0, N);
    int clipped = 0;
    for (std::uint32_t i = 0; i < N; ++i) {
        const double doubled = 2.0 * tone[i];
        if (std::fabs(doubled) > MaxLevel + 10.0) {
            // MaxLevel stored in 32 bits reads back one step lower.
            ASSERT_GE(std::abs(output[i]), MaxLevel - 1) << i;
            ASSERT_EQ(output[i] > 0, doubled > 0) << i;
            ++clipped;
        } else {
            ASSERT_NEAR(output[i], doubled, 3) << i;
        }
    }
    EXPECT_GT(clipped, static_cast<int>(N / 4));
}

// --- The block frame ----------------------------------------------------------------------

TEST_F(SpectralEffectsTest, FragmentOfNPlusOneWritesOneSampleOfTheSecondBlock) {
    // Gains of 0 everywhere but DC turn each block into its mean. The second block starts at
    // the fragment's last sample and reads 49 more samples of the channel, then zeros past
    // its end; only its first sample is written.
    const std::uint32_t start = 7;
    const std::uint32_t length = start + N + 50;
    std::vector<std::int32_t> input(length);
    for (std::uint32_t i = 0; i < length; ++i) {
        input[i] = static_cast<std::int32_t>((i * 7919U) % 20001U) - 10000;
    }
    TAudioStream stream(1, 32, Rate);
    WriteChannel(stream, 0, 0, input);
    stream.Equalize(0, start, N + 1, std::vector<std::uint8_t>(16, 0), 1, 22050);

    EXPECT_EQ(ProgressTotal.load(), 2U);
    EXPECT_EQ(ProgressPosition.load(), 2U);
    EXPECT_FALSE(Processing.load());
    EXPECT_EQ(stream.GetLength(), length);  // reading past the end does not grow the channel

    const auto output = ReadChannel(stream, 0, 0, length);
    long double firstSum = 0;
    for (std::uint32_t i = start; i < start + N; ++i) {
        firstSum += input[i];
    }
    long double secondSum = 0;
    for (std::uint32_t i = start + N; i < length; ++i) {
        secondSum += input[i];
    }
    const auto firstMean = static_cast<std::int32_t>(std::lrint(firstSum / N));
    const auto secondMean = static_cast<std::int32_t>(std::lrint(secondSum / N));
    EXPECT_EQ(Slice(output, 0, start), Slice(input, 0, start));
    for (std::uint32_t i = start; i < start + N; ++i) {
        ASSERT_NEAR(output[i], firstMean, 1) << i;
    }
    EXPECT_NEAR(output[start + N], secondMean, 1);
    EXPECT_EQ(Slice(output, start + N + 1, 49), Slice(input, start + N + 1, 49));
}

TEST_F(SpectralEffectsTest, FragmentOfExactlyNIsOneBlock) {
    TAudioStream stream(1, 16, Rate);
    WriteChannel(stream, 0, 0, BinTone(N + 10, 100, N, 1e8));
    const auto after = ReadChannel(stream, 0, N, 10);
    stream.FilterBand(0, 0, N, 1000, 2000, true);
    EXPECT_EQ(ProgressTotal.load(), 1U);
    EXPECT_EQ(ReadChannel(stream, 0, N, 10), after);
}

TEST_F(SpectralEffectsTest, StreamWithoutSampleRateIsLeftAlone) {
    TAudioStream stream(1, 32, 0);
    const auto tone = BinTone(1000, 3, 1000, 1e8);
    WriteChannel(stream, 0, 0, tone);
    stream.Equalize(0, 0, 1000, std::vector<std::uint8_t>(16, 0), 1, 100);
    stream.FilterBand(0, 0, 1000, 1, 2, true);
    stream.OffsetSpectrum(0, 0, 1000, 10);
    stream.StretchSpectrum(0, 0, 1000, 150, true);
    stream.ColorNoise(0, 0, 1000, 1);
    stream.AddBrainWaves(0, 1000, 8);
    EXPECT_EQ(stream.ChannelCount, 1);
    EXPECT_EQ(ReadChannel(stream, 0, 0, 1000), tone);
    EXPECT_EQ(stream.GetLength(), 1000U);
}

TEST_F(SpectralEffectsTest, BadArgumentsAreRefusedBeforeAnythingChanges) {
    TAudioStream stream(1, 32, Rate);
    const auto tone = BinTone(1000, 3, 1000, 1e8);
    WriteChannel(stream, 0, 0, tone);
    // A fragment reaching past the last 32-bit position would wrap around when written.
    EXPECT_THROW(stream.FilterBand(0, 4294967200U, 1000, 1, 2, true), std::invalid_argument);
    EXPECT_THROW(stream.AddBrainWaves(4294967200U, 1000, 8), std::invalid_argument);
    EXPECT_EQ(stream.ChannelCount, 1);
    EXPECT_THROW(stream.ColorNoise(1, 0, 1000, 1), std::out_of_range);
    stream.SampleRate = 10000000;  // beyond the largest block
    EXPECT_THROW(stream.Equalize(0, 0, 1000, std::vector<std::uint8_t>(16, 0), 1, 100),
                 std::invalid_argument);
    EXPECT_EQ(ReadChannel(stream, 0, 0, 1000), tone);
}

// --- OffsetSpectrum -----------------------------------------------------------------------

TEST_F(SpectralEffectsTest, OffsetMovesAToneBy149BinsPer100Hz) {
    const auto tone = BinTone(N, 1000, N, 1e8, 0.5);
    for (const int offset : {100, -100}) {
        TAudioStream stream(1, 32, Rate);
        WriteChannel(stream, 0, 0, tone);
        stream.OffsetSpectrum(0, 0, N, offset);
        // Bins keep their complex values, so the phase travels along.
        const auto expected = BinTone(N, offset > 0 ? 1149 : 851, N, 1e8, 0.5);
        EXPECT_LE(MaxDifference(ReadChannel(stream, 0, 0, N), expected), 2) << offset;
    }
}

TEST_F(SpectralEffectsTest, OffsetDownLosesWhatFallsBelowZero) {
    TAudioStream stream(1, 32, Rate);
    WriteChannel(stream, 0, 0, BinTone(N, 100, N, 1e8));
    stream.OffsetSpectrum(0, 0, N, -100);
    EXPECT_LE(MaxDifference(ReadChannel(stream, 0, 0, N), std::vector<std::int32_t>(N)), 1);
}

TEST_F(SpectralEffectsTest, NeutralOffsetAndStretchReturnBeforeTouchingProgress) {
    TAudioStream stream(1, 16, Rate);
    const auto tone = BinTone(5000, 3, 5000, 1e8);
    WriteChannel(stream, 0, 0, tone);
    const auto stored = ReadChannel(stream, 0, 0, 5000);
    ProgressTotal = 777;
    ProgressPosition = 555;
    stream.OffsetSpectrum(0, 0, 5000, 0);
    stream.StretchSpectrum(0, 0, 5000, 100, false);
    stream.StretchSpectrum(0, 0, 5000, 100, true);
    EXPECT_EQ(ProgressTotal.load(), 777U);
    EXPECT_EQ(ProgressPosition.load(), 555U);
    // Not even rewritten: 16-bit values above half scale would come back one step lower.
    EXPECT_EQ(ReadChannel(stream, 0, 0, 5000), stored);
}

// --- StretchSpectrum ----------------------------------------------------------------------

TEST_F(SpectralEffectsTest, StretchBy200DoublesAToneInBlocksOfASixteenth) {
    // Blocks of 4096 at 44,100 Hz; bin 11 goes to bin 22 only (Round(21/2) = 10 and
    // Round(23/2) = 12, ties to even).
    const std::uint32_t m = 4096;
    TAudioStream stream(1, 32, Rate);
    WriteChannel(stream, 0, 0, BinTone(3 * m, 11, m, 1e8, 0.3));
    stream.StretchSpectrum(0, 0, 3 * m, 200, false);
    EXPECT_EQ(ProgressTotal.load(), 3U);
    EXPECT_LE(MaxDifference(ReadChannel(stream, 0, 0, 3 * m), BinTone(3 * m, 22, m, 1e8, 0.3)), 2);
}

TEST_F(SpectralEffectsTest, GlidingStretchUsesEachBlocksOwnFactor) {
    // 200 % over 4 blocks: factors 112, 131, 153, 176. Each output block holds the tone of
    // source bin 40 at every bin that takes bin 40 under its factor.
    const std::uint32_t m = 4096;
    const std::uint32_t source = 40;
    TAudioStream stream(1, 32, Rate);
    WriteChannel(stream, 0, 0, BinTone(4 * m, source, m, 1e8, 0.3));
    stream.StretchSpectrum(0, 0, 4 * m, 200, true);
    const auto output = ReadChannel(stream, 0, 0, 4 * m);
    std::uint32_t factor = 100;
    for (std::uint32_t b = 0; b < 4; ++b) {
        factor = GlideFactor(factor, b, 4, 200);
        std::vector<std::int32_t> expected(m);
        int targets = 0;
        for (std::uint32_t j = 0; j <= m / 2; ++j) {
            if (StretchSourceBin(j, factor) == source) {
                expected = Sum(expected, BinTone(m, j, m, 1e8, 0.3));
                ++targets;
            }
        }
        EXPECT_GE(targets, 1);
        EXPECT_LE(MaxDifference(Slice(output, std::size_t{b} * m, m), expected), 4)
            << "block " << b << " factor " << factor;
    }
}

// --- AddBrainWaves ------------------------------------------------------------------------

TEST_F(SpectralEffectsTest, BrainWavesTurnMonoIntoStereoWithTheRightChannelShifted) {
    // 8 Hz at 44,100 Hz is 12 bins.
    const auto tone = BinTone(N, 1000, N, 1e8, 1.0);
    TAudioStream stream(1, 32, Rate);
    WriteChannel(stream, 0, 0, tone);
    stream.AddBrainWaves(0, N, 8);
    ASSERT_EQ(stream.ChannelCount, 2);
    EXPECT_EQ(ReadChannel(stream, 0, 0, N), tone);
    EXPECT_LE(MaxDifference(ReadChannel(stream, 1, 0, N), BinTone(N, 1012, N, 1e8, 1.0)), 2);
}

TEST_F(SpectralEffectsTest, BrainWavesDropChannelsBeyondTheSecond) {
    const auto tone = BinTone(N, 2000, N, 1e8);
    const auto other = BinTone(N, 700, N, 5e7);
    TAudioStream stream(4, 32, Rate);
    WriteChannel(stream, 0, 0, tone);
    for (std::uint16_t c = 1; c < 4; ++c) {
        WriteChannel(stream, c, 0, other);
    }
    stream.AddBrainWaves(0, N, 40);  // 40 Hz: Round(59.44) = 59 bins
    ASSERT_EQ(stream.ChannelCount, 2);
    EXPECT_EQ(ChannelFiles(), (std::vector<std::string>{"0.chl", "1.chl"}));
    EXPECT_EQ(ReadChannel(stream, 0, 0, N), tone);
    EXPECT_LE(MaxDifference(ReadChannel(stream, 1, 0, N), BinTone(N, 2059, N, 1e8)), 2);
}

// --- Every core --------------------------------------------------------------------------

TEST_F(SpectralEffectsTest, ParallelBlocksAndTheShortcutGiveTheOneThreadResultAtEveryWidth) {
    // 8000 Hz: blocks of 8192 (512 for the stretch). Three channels of random full-scale
    // samples (the first two share the shortcut's runs, the third runs alone), a fragment that
    // starts inside the first block and whose last block reads past the channel's end; each
    // effect runs on one thread in extended precision alone (the reference), then on all cores
    // with the double-precision shortcut as it is, with bounds widened so that about a quarter
    // of the blocks fall back, and with every block falling back.
    constexpr std::uint32_t rate = 8000;
    constexpr std::uint32_t start = 100;
    constexpr std::uint32_t count = 5 * 8192 + 300;
    using TEffect = std::function<void(TAudioStream&)>;
    const std::vector<std::pair<const char*, TEffect>> effects = {
        {"equalize",
         [](TAudioStream& s) {
             s.Equalize(-1, start, count, {0, 200, 37, 100, 150, 255, 1, 99}, 20, 3900);
         }},
        {"filter", [](TAudioStream& s) { s.FilterBand(1, start, count, 300, 1200, false); }},
        {"offset", [](TAudioStream& s) { s.OffsetSpectrum(-1, start, count, -333); }},
        {"stretch", [](TAudioStream& s) { s.StretchSpectrum(-1, start, count, 173, false); }},
        {"glide", [](TAudioStream& s) { s.StretchSpectrum(-1, start, count, 61, true); }},
        {"colour", [](TAudioStream& s) { s.ColorNoise(-1, start, count, 2); }},
        {"beats", [](TAudioStream& s) { s.AddBrainWaves(start, count, 9); }},
    };
    std::mt19937 random(19);
    std::uniform_int_distribution<std::int32_t> level(-2147483647, 2147483647);
    for (const unsigned bits : {8U, 16U, 24U, 32U}) {
        std::vector<std::vector<std::int32_t>> input(3, std::vector<std::int32_t>(start + count));
        for (auto& channel : input) {
            std::generate(channel.begin(), channel.end(), [&] { return level(random); });
        }
        // A stored step in levels; 2e-4 of it added to every bound leaves a good share of the
        // blocks undecided.
        const double step = std::ldexp(1.0, 32 - static_cast<int>(bits));
        const std::vector<std::pair<bool, double>> shortcuts = {
            {false, 0}, {true, 0}, {true, 2e-4 * step}, {true, 1e12}};
        for (const auto& [name, effect] : effects) {
            std::vector<std::vector<std::vector<std::int32_t>>> results;
            std::vector<std::vector<std::int32_t>> before;
            for (const auto& [enabled, extraBound] : shortcuts) {
                TAudioStream stream(3, bits, rate);
                before.clear();
                for (std::uint16_t c = 0; c < 3; ++c) {
                    WriteChannel(stream, c, 0, input[c]);
                    before.push_back(ReadChannel(stream, c, 0, start + count));
                }
                {
                    const TThreadLimit limit(results.empty() ? 1 : WorkerThreads());
                    const TSpectralShortcut shortcut(enabled, extraBound);
                    effect(stream);
                }
                EXPECT_EQ(ProgressPosition.load(), ProgressTotal.load()) << name;
                results.emplace_back();
                for (std::uint16_t c = 0; c < stream.ChannelCount; ++c) {
                    results.back().push_back(ReadChannel(stream, c, 0, start + count));
                }
            }
            for (std::size_t r = 1; r < results.size(); ++r) {
                EXPECT_EQ(results[0], results[r])
                    << name << " at " << bits << " bits, variant " << r;
            }
            before.resize(results[0].size());  // the beats drop the third channel
            EXPECT_NE(results[0], before) << name << " changed nothing";
        }
    }
}

}  // namespace
}  // namespace sonavel
