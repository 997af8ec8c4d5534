#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <numbers>
#include <optional>
#include <random>
#include <set>
#include <stdexcept>
#include <thread>
#include <vector>

#include "core/AudioStream.h"
#include "core/NoiseRandom.h"
#include "core/ScaledSine.h"
#include "core/StreamSamples.h"
#include "support/TempFolder.h"

namespace sonavel {
namespace {

using test::ChannelLength;
using test::ExpectProgressFinished;
using test::Fill;
using test::Levels;
using test::RandomLevels;
using test::Stored;
using test::StoredValues;
using test::TStreamTest;
using SynthesisTest = TStreamTest;

constexpr long double Pi = std::numbers::pi_v<long double>;
constexpr std::uint32_t WindowSamples16 = 524288;

long double Amplitude(int volume) {
    return volume * 21474836.47L;
}

// One tone sample as the steps define it, with the extended library functions.
std::int32_t ReferenceTone(std::uint32_t k, int waveform, double frequency, std::uint32_t rate,
                           int volume) {
    const long double a = Amplitude(volume);
    const long double x = static_cast<long double>(k) * 2 * Pi * frequency / rate;
    auto v = static_cast<std::int64_t>(std::sin(x) * a);
    if (waveform == 1) {
        v = v > 0 ? static_cast<std::int64_t>(a) : -static_cast<std::int64_t>(a);
    } else if (waveform == 2) {
        const std::int64_t t = static_cast<std::int64_t>(a * (1 - std::fabs(std::cos(x)))) / 2;
        v = v > 0 ? v / 2 + t : v / 2 - t;
    }
    return static_cast<std::int32_t>(v);
}

std::int32_t ReferenceNoise(std::uint32_t k, std::uint32_t r, std::uint32_t rate, int volume) {
    const long double x = r * (static_cast<long double>(k) * 2 * Pi) / rate;
    return static_cast<std::int32_t>(std::sin(x) * Amplitude(volume));
}

// Writes generated values sample by sample as the steps do, mixing for mode 2.
void ReferenceWrite(TAudioStream& s, std::uint16_t channel, std::uint32_t index, std::int32_t v,
                    int mode) {
    if (mode == 2) {
        std::int32_t present = 0;
        s.ReadSample(channel, index, present);
        v = v / 2 + present / 2;
    }
    s.WriteSample(channel, index, v);
}

std::unique_ptr<TAudioStream> MakeStream(std::uint16_t channels, std::uint16_t bits,
                                         std::uint32_t rate,
                                         const std::vector<std::vector<std::int32_t>>& data) {
    auto s = std::make_unique<TAudioStream>(channels, bits, rate);
    for (std::size_t c = 0; c < data.size(); ++c) {
        Fill(*s, static_cast<std::uint16_t>(c), data[c]);
    }
    return s;
}

void ExpectSameChannels(TAudioStream& actual, TAudioStream& expected) {
    ASSERT_EQ(actual.ChannelCount, expected.ChannelCount);
    for (std::uint16_t c = 0; c < actual.ChannelCount; ++c) {
        EXPECT_TRUE(Stored(actual, c) == Stored(expected, c)) << "channel " << c;
    }
}

// --- The fast truncated sine against the extended library functions.

void ExpectScaledSineExact(long double x, long double scale) {
    ASSERT_EQ(TruncScaledSine(x, scale), static_cast<std::int64_t>(std::sin(x) * scale))
        << "x = " << static_cast<double>(x) << ", scale = " << static_cast<double>(scale);
    ASSERT_EQ(TruncScaledCosineComplement(x, scale),
              static_cast<std::int64_t>(scale * (1 - std::fabs(std::cos(x)))))
        << "x = " << static_cast<double>(x) << ", scale = " << static_cast<double>(scale);
}

TEST(ScaledSine, EqualsTheExtendedFunctionsOnTonePhases) {
    std::mt19937_64 rng(7);
    for (int i = 0; i < 100000; ++i) {
        const auto k = static_cast<std::uint32_t>(rng());
        const double frequency = 1 + static_cast<double>(rng() % 2205000) / 100;
        ExpectScaledSineExact(static_cast<long double>(k) * 2 * Pi * frequency / 44100,
                              Amplitude(static_cast<int>(rng() % 101)));
    }
}

TEST(ScaledSine, EqualsTheExtendedFunctionsWherePeaksAndZerosFallOnSamples) {
    // Frequencies at a quarter and half the rate put samples on the peaks and zeros, where
    // the product sits on or a hair below an integer.
    for (const double frequency : {22050.0, 11025.0, 7350.0, 5512.5, 1000.0}) {
        for (const int volume : {100, 50, 1, 99}) {
            for (std::uint32_t k = 0; k < 3000; ++k) {
                ExpectScaledSineExact(static_cast<long double>(k) * 2 * Pi * frequency / 44100,
                                      Amplitude(volume));
                const std::uint32_t far = 4000000000U - k * 977;
                ExpectScaledSineExact(static_cast<long double>(far) * 2 * Pi * frequency / 44100,
                                      Amplitude(volume));
            }
        }
    }
}

TEST(ScaledSine, EqualsTheExtendedFunctionsOnNoisePhasesAndAnyArgument) {
    std::mt19937_64 rng(8);
    for (int i = 0; i < 100000; ++i) {
        const auto k = static_cast<std::uint32_t>(rng());
        const auto r = static_cast<std::uint32_t>(rng() % 22050);
        const long double x = r * (static_cast<long double>(k) * 2 * Pi) / 44100;
        ASSERT_EQ(TruncScaledSine(x, Amplitude(100)), ReferenceNoise(k, r, 44100, 100));
    }
    for (int i = 0; i < 50000; ++i) {
        long double x =
            std::ldexp(static_cast<long double>(rng() >> 11), -static_cast<int>(rng() % 100));
        if ((rng() & 1) != 0) {
            x = -x;
        }
        ExpectScaledSineExact(
            x, std::ldexp(static_cast<long double>(rng() >> 11), -static_cast<int>(rng() % 60)));
    }
    ExpectScaledSineExact(0x1p45L, Amplitude(100));  // beyond the fast reduction
    ExpectScaledSineExact(1, 0);
}

TEST(ScaledSine, RunsEqualSingleValues) {
    std::mt19937_64 rng(9);
    std::vector<long double> x(3000);
    for (std::size_t i = 0; i < x.size(); ++i) {
        switch (i % 4) {
            case 0:  // tone phases on peaks and zeros
                x[i] = static_cast<long double>(i) * 2 * Pi * 11025 / 44100;
                break;
            case 1:
                x[i] = static_cast<long double>(rng() % 22050) *
                       (static_cast<long double>(static_cast<std::uint32_t>(rng())) * 2 * Pi) /
                       44100;
                break;
            case 2:
                x[i] = std::ldexp(static_cast<long double>(rng() >> 11),
                                  -static_cast<int>(rng() % 100)) *
                       ((rng() & 1) != 0 ? 1 : -1);
                break;
            default:  // beyond the fast reduction
                x[i] = 0x1p50L * static_cast<long double>(i);
                break;
        }
    }
    // Halfway between quarter turns, where the reductions round to the other side; the ends
    // of the exponent ranges of the reductions; both signs.
    for (int k = -400; k <= 400; ++k) {
        x.push_back(k * Pi / 4);
        x.push_back(std::nextafter(k * Pi / 4, 0.0L));
    }
    for (const long double edge : {0.5L, std::nextafter(0.5L, 0.0L), 0x1p38L,
                                   std::nextafter(0x1p38L, 0.0L), 0x1p37L, 0.0L, -0.0L}) {
        x.push_back(edge);
        x.push_back(-edge);
    }
    // The volumes' scales, a negative one, and the first scale the runs leave to the scalar way;
    // with the pass this machine picks and with the one machines without AVX2 take.
    for (const bool plain : {false, true}) {
        const std::optional<TPlainSinePass> force =
            plain ? std::optional<TPlainSinePass>(std::in_place) : std::nullopt;
        for (const long double scale : {Amplitude(100), Amplitude(50), Amplitude(0), Amplitude(1),
                                        -Amplitude(100), 0x1p31L - 0.5L}) {
            std::vector<std::int32_t> sines(x.size());
            std::vector<std::int32_t> complements(x.size());
            TruncScaledSines(x, scale, sines);
            TruncScaledCosineComplements(x, scale, complements);
            for (std::size_t i = 0; i < x.size(); ++i) {
                ASSERT_EQ(sines[i], TruncScaledSine(x[i], scale)) << plain << " " << i;
                ASSERT_EQ(complements[i], TruncScaledCosineComplement(x[i], scale))
                    << plain << " " << i;
            }
        }
    }
}

// --- GenerateTone

TEST_F(SynthesisTest, SineStartsAtZeroAndFollowsTheExtendedSine) {
    TAudioStream s(1, 32, 44100);
    s.GenerateTone(-1, 0, TAudioStream::Sine, 1000, 100, 0, 20);
    const std::vector<std::int32_t> got = StoredValues(s, 0);
    ASSERT_EQ(got.size(), 20U);
    EXPECT_EQ(got[0], 0);
    const long double a = 100 * 21474836.47L;
    const auto expected11 = static_cast<std::int32_t>(a * std::sin(2 * Pi * 1000 * 11 / 44100));
    // Level and 32-bit stored value coincide: the write scale is 1 at 32 bits.
    EXPECT_EQ(got[11], LevelToStored(expected11, 4));
    EXPECT_EQ(got[11], expected11);
    ExpectProgressFinished(20);
}

TEST_F(SynthesisTest, RectangleSitsAtTheTruncatedAmplitude) {
    TAudioStream s(2, 32, 44100);
    s.GenerateTone(-1, 0, TAudioStream::Rectangle, 333, 100, 0, 200);
    const std::vector<std::int32_t> full = StoredValues(s, 0);
    EXPECT_EQ(full[0], -2147483646);  // a zero sine gives the negative level; trunc(A) < MaxLevel
    EXPECT_EQ(full[1], 2147483646);
    s.GenerateTone(1, 0, TAudioStream::Rectangle, 333, 50, 0, 200);
    const std::vector<std::int32_t> half = StoredValues(s, 1);
    EXPECT_EQ(half[0], -1073741823);
    EXPECT_TRUE(std::all_of(half.begin(), half.end(),
                            [](std::int32_t v) { return v == 1073741823 || v == -1073741823; }));
    EXPECT_EQ(StoredValues(s, 0), full);  // the other channel kept its tone
}

TEST_F(SynthesisTest, TriangleFollowsTheSteps) {
    TAudioStream s(1, 32, 44100);
    s.GenerateTone(0, 0, TAudioStream::Triangle, 441, 100, 0, 400);
    const std::vector<std::int32_t> got = StoredValues(s, 0);
    for (std::uint32_t k = 0; k < 400; ++k) {
        ASSERT_EQ(got[k], ReferenceTone(k, 2, 441, 44100, 100)) << k;
    }
    // Pointed at the sine's peak (k = 25 is a quarter period), zero where the sine is.
    EXPECT_GT(got[25], 2100000000);
    EXPECT_EQ(got[50], 0);
}

TEST_F(SynthesisTest, InsertModeOpensTheGapFirst) {
    std::vector<std::int32_t> ramp(200);
    for (std::size_t i = 0; i < ramp.size(); ++i) {
        ramp[i] = static_cast<std::int32_t>(i + 1) * 65536;
    }
    auto s = MakeStream(2, 16, 44100, {ramp, ramp});
    s->GenerateTone(0, 10, TAudioStream::Sine, 333, 100, 1, 100);
    EXPECT_EQ(ChannelLength(*s, 0), 300U);
    EXPECT_EQ(ChannelLength(*s, 1), 200U);
    EXPECT_EQ(Levels(*s, 0, 110, 1)[0], ramp[10]);
    EXPECT_EQ(Levels(*s, 0, 9, 1)[0], ramp[9]);
    EXPECT_EQ(Levels(*s, 1), ramp);
    ExpectProgressFinished(100);
}

TEST_F(SynthesisTest, MixModeAddsHalves) {
    // The rectangle at volume 1 is +-21,474,836; halves are taken toward zero.
    auto s = MakeStream(1, 32, 44100, {{301, -301, 301}});
    s->GenerateTone(-1, 0, TAudioStream::Rectangle, 11025, 1, 2, 3);
    const std::int32_t level = 21474836;
    EXPECT_EQ(StoredValues(*s, 0),
              (std::vector<std::int32_t>{-level / 2 + 150, level / 2 - 150, -level / 2 + 150}));
}

struct TToneCase {
    int Waveform;
    double Frequency;
    int Volume;
    int Mode;
    int Channel;
};

class ToneAgainstSteps : public TStreamTest, public ::testing::WithParamInterface<TToneCase> {};

TEST_P(ToneAgainstSteps, MatchesThePerSampleSteps) {
    const TToneCase p = GetParam();
    const std::uint32_t length = WindowSamples16 + 3000;
    const std::vector<std::vector<std::int32_t>> data = {RandomLevels(length, 1),
                                                         RandomLevels(length - 99, 2)};
    auto blocks = MakeStream(2, 16, 44100, data);
    auto steps = MakeStream(2, 16, 44100, data);
    const std::uint32_t start = 7;
    const std::uint32_t count = WindowSamples16 + 11;
    blocks->GenerateTone(p.Channel, start, static_cast<std::uint8_t>(p.Waveform), p.Frequency,
                         static_cast<std::uint8_t>(p.Volume), static_cast<std::uint8_t>(p.Mode),
                         count);
    if (p.Mode == 1) {
        steps->InsertSilence(p.Channel, start, count);
    }
    for (std::uint32_t k = 0; k < count; ++k) {
        const std::int32_t v = ReferenceTone(k, p.Waveform, p.Frequency, 44100, p.Volume);
        for (const std::uint16_t c : steps->SelectedChannels(p.Channel)) {
            ReferenceWrite(*steps, c, start + k, v, p.Mode);
        }
    }
    ExpectSameChannels(*blocks, *steps);
}

INSTANTIATE_TEST_SUITE_P(Waveforms, ToneAgainstSteps,
                         ::testing::Values(TToneCase{0, 333, 100, 0, -1},
                                           TToneCase{1, 1000, 73, 2, 1},
                                           TToneCase{2, 11025, 100, 1, -1},
                                           TToneCase{0, 22050, 100, 2, 0}));

TEST_F(SynthesisTest, GeneratorsRefuseCountsBeyondThirtyTwoBitsBeforeWriting) {
    auto s = MakeStream(2, 16, 44100, {{1, 2, 3}, {4, 5, 6}});
    const std::vector<std::uint8_t> before = Stored(*s, 0);
    const std::uint64_t tooLong = std::uint64_t{100000} * 44100 * 1000;  // 4.41e12 samples
    EXPECT_THROW(s->GenerateTone(-1, 0, TAudioStream::Sine, 333, 100, 1, tooLong),
                 std::length_error);
    EXPECT_THROW(s->GenerateNoise(-1, 0, TAudioStream::White, 100, 1, std::uint64_t{1} << 32),
                 std::length_error);
    EXPECT_THROW(s->GenerateTone(-1, 10, TAudioStream::Sine, 333, 100, 0, UINT32_MAX),
                 std::length_error);
    try {
        s->GenerateTone(-1, 0, TAudioStream::Sine, 333, 100, 1, tooLong);
    } catch (const std::length_error& e) {
        EXPECT_NE(std::string(e.what()).find("4410000000000"), std::string::npos) << e.what();
    }
    EXPECT_EQ(Stored(*s, 0), before);
    EXPECT_EQ(ChannelLength(*s, 1), 3U);
}

TEST_F(SynthesisTest, GeneratorsRefuseBadParameters) {
    TAudioStream s(1, 16, 44100);
    EXPECT_THROW(s.GenerateTone(-1, 0, TAudioStream::Sine, 333, 101, 0, 10), std::invalid_argument);
    EXPECT_THROW(s.GenerateTone(-1, 0, 3, 333, 100, 0, 10), std::invalid_argument);
    EXPECT_THROW(s.GenerateTone(-1, 0, TAudioStream::Sine, NAN, 100, 0, 10), std::invalid_argument);
    EXPECT_THROW(s.GenerateTone(-1, 0, TAudioStream::Sine, 333, 100, 3, 10), std::invalid_argument);
    EXPECT_THROW(s.GenerateNoise(1, 0, TAudioStream::White, 100, 0, 10), std::out_of_range);
    EXPECT_THROW(s.GenerateNoise(-1, 0, 3, 100, 0, 10), std::invalid_argument);
    EXPECT_EQ(s.GetLength(), 0U);
}

TEST_F(SynthesisTest, GeneratorsOnAStreamWithoutChannelsDrawAndWriteNothing) {
    TAudioStream s(0, 16, 44100);
    const std::uint32_t seed = RandomSeed();
    s.GenerateNoise(-1, 0, TAudioStream::White, 100, 1, 1000);
    s.GenerateTone(-1, 0, TAudioStream::Triangle, 333, 100, 2, 1000);
    EXPECT_EQ(RandomSeed(), seed);
    EXPECT_EQ(s.GetLength(), 0U);
    ExpectProgressFinished(1000);
}

// --- GenerateNoise

TEST(NoiseRandom, IsTheLinearCongruentialSequence) {
    EXPECT_EQ(TLinearCongruential::Next(0), 1U);
    EXPECT_EQ(TLinearCongruential::Next(1), 134775814U);
    EXPECT_EQ(TLinearCongruential::Next(134775814U), 3698175007U);  // modulo 2^32
    EXPECT_EQ(TLinearCongruential::Scale(0x80000000U, 22050), 11025U);
    EXPECT_EQ(TLinearCongruential::Scale(0xFFFFFFFFU, 22050), 22049U);
    EXPECT_EQ(TLinearCongruential::Scale(134775814U, 22050), 691U);
}

TEST(NoiseRandom, ConcurrentDrawsTakeUnbrokenRunsOfOneSequence) {
    // With range 2^32 - 1 a value is its seed minus one, so the runs show the seeds.
    const std::uint32_t first = RandomSeed();
    constexpr int Threads = 4;
    constexpr int Runs = 200;
    constexpr std::size_t RunLength = 97;
    std::vector<std::vector<std::uint32_t>> seen(Threads);
    std::vector<std::thread> threads;
    threads.reserve(Threads);
    for (int t = 0; t < Threads; ++t) {
        threads.emplace_back([&seen, t] {
            std::vector<std::uint32_t> run(RunLength);
            for (int i = 0; i < Runs; ++i) {
                DrawRandom(0xFFFFFFFFU, run);
                seen[t].insert(seen[t].end(), run.begin(), run.end());
            }
        });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    std::set<std::uint32_t> seeds;
    for (const auto& values : seen) {
        for (std::size_t i = 0; i < values.size(); ++i) {
            if (i % RunLength != 0) {
                ASSERT_EQ(values[i] + 1, TLinearCongruential::Next(values[i - 1] + 1));
            }
            seeds.insert(values[i] + 1);
        }
    }
    // Every seed of the stretch drawn exactly once.
    std::uint32_t seed = first;
    for (std::size_t i = 0; i < std::size_t{Threads} * Runs * RunLength; ++i) {
        seed = TLinearCongruential::Next(seed);
        ASSERT_EQ(seeds.count(seed), 1U) << i;
    }
    EXPECT_EQ(RandomSeed(), seed);
}

TEST_F(SynthesisTest, WhiteNoiseDrawsOneNumberPerSampleAndChannel) {
    TAudioStream s(2, 32, 44100);
    std::uint32_t seed = RandomSeed();
    const std::uint32_t count = 3 * 65536 + 5;  // several draw blocks
    s.GenerateNoise(-1, 0, TAudioStream::White, 100, 0, count);
    const std::vector<std::int32_t> left = StoredValues(s, 0);
    const std::vector<std::int32_t> right = StoredValues(s, 1);
    ASSERT_EQ(left.size(), count);
    for (std::uint32_t k = 0; k < count; ++k) {
        seed = TLinearCongruential::Next(seed);
        ASSERT_EQ(left[k], ReferenceNoise(k, TLinearCongruential::Scale(seed, 22050), 44100, 100))
            << k;
        seed = TLinearCongruential::Next(seed);
        ASSERT_EQ(right[k], ReferenceNoise(k, TLinearCongruential::Scale(seed, 22050), 44100, 100))
            << k;
    }
    // Never reseeded: the next noise goes on from here.
    EXPECT_EQ(RandomSeed(), seed);
    ExpectProgressFinished(count);
}

TEST_F(SynthesisTest, NoiseOnOneChannelMixedAcrossWindowBordersMatchesTheSteps) {
    const std::uint32_t length = 2 * WindowSamples16;
    const std::vector<std::vector<std::int32_t>> data = {
        RandomLevels(length, 5), RandomLevels(length, 6), RandomLevels(length - 1, 7)};
    auto blocks = MakeStream(3, 16, 22050, data);
    auto steps = MakeStream(3, 16, 22050, data);
    std::uint32_t seed = RandomSeed();
    const std::uint32_t start = WindowSamples16 - 70001;
    const std::uint32_t count = WindowSamples16 + 3;
    blocks->GenerateNoise(2, start, TAudioStream::White, 61, 2, count);
    for (std::uint32_t k = 0; k < count; ++k) {
        seed = TLinearCongruential::Next(seed);
        const std::int32_t v =
            ReferenceNoise(k, TLinearCongruential::Scale(seed, 11025), 22050, 61);
        ReferenceWrite(*steps, 2, start + k, v, 2);
    }
    ExpectSameChannels(*blocks, *steps);
}

TEST_F(SynthesisTest, PinkAndBrownNoiseAreWhiteNoiseColouredInPlace) {
    for (const std::uint8_t colour : {TAudioStream::Pink, TAudioStream::Brown}) {
        TAudioStream coloured(2, 16, 8000);
        TAudioStream expected(2, 16, 8000);
        std::uint32_t seed = RandomSeed();
        const std::uint32_t start = 3;
        const std::uint32_t count = 20000;  // three spectral blocks of 8,192
        coloured.GenerateNoise(-1, start, colour, 40, 1, count);
        std::vector<std::int32_t> white0(count);
        std::vector<std::int32_t> white1(count);
        for (std::uint32_t k = 0; k < count; ++k) {
            seed = TLinearCongruential::Next(seed);
            white0[k] = ReferenceNoise(k, TLinearCongruential::Scale(seed, 4000), 8000, 40);
            seed = TLinearCongruential::Next(seed);
            white1[k] = ReferenceNoise(k, TLinearCongruential::Scale(seed, 4000), 8000, 40);
        }
        Fill(expected, 0, white0, start);
        Fill(expected, 1, white1, start);
        expected.ColorNoise(-1, start, count, colour);
        ExpectSameChannels(coloured, expected);
        EXPECT_NE(Levels(coloured, 0, start, count), white0);
        EXPECT_FALSE(Processing.load());
    }
}

}  // namespace
}  // namespace sonavel
