#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "EffectTestSupport.h"
#include "core/AbsSine.h"
#include "core/AudioStream.h"
#include "core/Progress.h"
#include "support/TempFolder.h"

namespace sonavel {
namespace {

using test::ChannelLength;
using test::GetLevels;
using test::PutLevels;
using test::ReadBack;
using test::RefChannels;
using test::RefRound;
using test::RefTrunc;
using test::TStreamPair;
using TimeEffectsTest = test::TStreamTest;

constexpr long double Pi = std::numbers::pi_v<long double>;

// --- Sample-by-sample versions, one ReadSample/WriteSample per sample as the steps read.

void RefNormalize(TAudioStream& s, int channel, std::uint32_t start, std::uint32_t n) {
    for (const auto c : RefChannels(s, channel)) {
        std::int64_t peak = 0;
        for (std::uint32_t k = 0; k < n; ++k) {
            std::int32_t v = 0;
            s.ReadSample(c, start + k, v);
            peak = std::max<std::int64_t>(peak, std::abs(static_cast<std::int64_t>(v)));
        }
        const long double g = peak == 0 ? 0.0L : MaxLevel / static_cast<long double>(peak);
        for (std::uint32_t k = 0; k < n; ++k) {
            std::int32_t v = 0;
            s.ReadSample(c, start + k, v);
            s.WriteSample(c, start + k, static_cast<std::int32_t>(RefTrunc(v * g)));
        }
    }
}

void RefReverse(TAudioStream& s, int channel, std::uint32_t start, std::uint32_t n) {
    for (std::uint32_t k = 0; k < n / 2; ++k) {
        for (const auto c : RefChannels(s, channel)) {
            std::int32_t a = 0;
            std::int32_t b = 0;
            s.ReadSample(c, start + k, a);
            s.ReadSample(c, start + n - 1 - k, b);
            s.WriteSample(c, start + k, b);
            s.WriteSample(c, start + n - 1 - k, a);
        }
    }
}

// Echo walks the fragment from its end, reverberation from its start; the sum is kept in 64
// bits and brought back to full scale instead of wrapping.
void RefComb(TAudioStream& s, int channel, std::uint32_t start, double x, std::int32_t delayMs,
             std::int32_t r, std::uint32_t n, bool echo) {
    std::vector<long double> weights;
    std::vector<std::int64_t> delays;
    long double sum = 0;
    for (std::int32_t l = 0; l <= r; ++l) {
        weights.push_back(std::pow(static_cast<long double>(x), l));
        sum += weights.back() / (r + 1);
        delays.push_back(RefRound(static_cast<long double>(l) * delayMs * s.SampleRate / 1000));
    }
    const long double k = 1 / sum;
    for (std::uint32_t step = 0; step < n; ++step) {
        const std::uint32_t offset = echo ? n - 1 - step : step;
        const std::int64_t p = static_cast<std::int64_t>(start) + offset;
        for (const auto c : RefChannels(s, channel)) {
            std::int64_t acc = 0;
            for (std::int32_t l = 0; l <= r; ++l) {
                std::int32_t u = 0;
                if (p >= delays[l]) {
                    s.ReadSample(c, static_cast<std::uint32_t>(p - delays[l]), u);
                }
                acc += RefRound(static_cast<long double>(u) / (r + 1) * weights[l]);
            }
            const std::int64_t v = RefTrunc(acc * k);
            s.WriteSample(
                c, static_cast<std::uint32_t>(p),
                static_cast<std::int32_t>(std::clamp<std::int64_t>(v, -MaxLevel, MaxLevel)));
        }
    }
    RefNormalize(s, channel, start, n);
}

// The unwritten rest of a slowed-down fragment's gap is removed with or without glide.
std::uint32_t RefChangeSpeed(TAudioStream& st, int channel, std::uint32_t s, bool glide, double f,
                             std::uint32_t n) {
    if (f == 1.0) {
        return s + n;
    }
    const auto L = static_cast<std::uint64_t>(RefRound(static_cast<long double>(n) / f));
    const bool up = f >= 1;
    if (!up) {
        f = static_cast<double>(1.0L / f);
    }
    const long double F = f;
    long double step = glide ? 1.0L : F;
    const std::uint64_t bps = st.BytesPerSample;
    const auto channels = RefChannels(st, channel);
    if (!up) {
        for (const auto c : channels) {
            st.ChannelFiles[c]->InsertBytes(s * bps, (L - n) * bps);
        }
    }
    std::uint64_t i = 0;
    std::uint64_t w = s;
    long double acc = step;
    while (i < n) {
        const std::uint64_t m = up ? 1 : static_cast<std::uint64_t>(RefTrunc(acc));
        for (const auto c : channels) {
            if (glide) {
                step = (F - 1) * i / n + 1;
            }
            const std::uint64_t at = up ? s + i : s + (L - n) + i;
            std::int32_t u0 = 0;
            st.ReadSample(c, static_cast<std::uint32_t>(at), u0);
            std::int32_t u1 = u0;
            if (!up) {
                st.ReadSample(c, static_cast<std::uint32_t>(at + 1), u1);
            }
            const long double diff = static_cast<long double>(static_cast<std::int64_t>(u1) - u0);
            for (std::uint64_t j = 1; j <= m; ++j) {
                st.WriteSample(c, static_cast<std::uint32_t>(w + j - 1),
                               static_cast<std::int32_t>(RefRound(u0 + diff / m * j)));
            }
        }
        w += m;
        if (up) {
            i += static_cast<std::uint64_t>(RefTrunc(acc));
        } else {
            ++i;
        }
        acc = acc - std::trunc(acc) + step;
    }
    if (up && w < s + n) {
        for (const auto c : channels) {
            st.ChannelFiles[c]->DeleteBytes(w * bps, (s + n - w) * bps);
        }
    }
    if (!up && w < s + L) {
        for (const auto c : channels) {
            st.ChannelFiles[c]->DeleteBytes(w * bps, (s + L - w) * bps);
        }
    }
    return static_cast<std::uint32_t>(w);
}

void RefRotate(TAudioStream& st, std::uint32_t s, std::uint32_t n, std::uint8_t q,
               std::uint32_t period) {
    while (st.ChannelCount < 2) {
        st.AddChannel();
    }
    while (st.ChannelCount > 2) {
        st.DeleteChannel(static_cast<std::uint16_t>(st.ChannelCount - 1));
    }
    const auto left = static_cast<double>(q * Pi / 2);
    const auto right = static_cast<double>((1 - q) * Pi / 2);
    for (std::uint32_t k = 0; k < n; ++k) {
        std::int32_t v = 0;
        st.ReadSample(0, s + k, v);
        const long double phi = (static_cast<long double>(k) * Pi / period) / st.SampleRate;
        st.WriteSample(0, s + k,
                       static_cast<std::int32_t>(RefRound(std::fabs(std::sin(phi + left)) * v)));
        st.WriteSample(1, s + k,
                       static_cast<std::int32_t>(RefRound(std::fabs(std::sin(phi + right)) * v)));
    }
}

std::vector<std::int32_t> Tens() {
    std::vector<std::int32_t> v;
    v.reserve(10);
    for (std::int32_t i = 0; i < 10; ++i) {
        v.push_back(10 * i);
    }
    return v;
}

// --- Edge cases and values.

TEST_F(TimeEffectsTest, ReverseSwapsPairsAndLeavesTheMiddle) {
    TAudioStream s(1, 32, 44100);
    PutLevels(s, 0, 0, {9, 1, 2, 3, 4, 5, 9});
    s.Reverse(0, 1, 5);
    EXPECT_EQ(GetLevels(s, 0, 0, 7), (std::vector<std::int32_t>{9, 5, 4, 3, 2, 1, 9}));
    EXPECT_EQ(ProgressTotal.load(), 2U);
    EXPECT_FALSE(Processing.load());
}

TEST_F(TimeEffectsTest, ReverseOfOneSampleLeavesItUntouched) {
    TAudioStream s(1, 16, 44100);
    const std::uint8_t loud[2] = {0xff, 0x7f};  // would be rewritten as 32766
    s.WriteStored(0, 0, 1, loud);
    s.Reverse(0, 0, 1);
    std::uint8_t back[2] = {};
    s.ReadStored(0, 0, 1, back);
    EXPECT_EQ(back[1], 0x7f);
    EXPECT_EQ(back[0], 0xff);
}

TEST_F(TimeEffectsTest, EchoOfAnImpulseRepeatsItAtTheDelay) {
    TAudioStream s(1, 32, 3000);  // 1 ms is 3 samples
    std::vector<std::int32_t> input(15, 0);
    input[5] = 1000000;
    PutLevels(s, 0, 0, input);
    s.AddEcho(0, 5, 1.0, 1, 1, 10);
    // 500,000 at offsets 0 and 3 before the normalisation raises both to full scale (one step
    // below it here: 500,000 * fl(MaxLevel / 500,000) truncates to MaxLevel - 1).
    const long double g = MaxLevel / 500000.0L;
    std::vector<std::int32_t> want(15, 0);
    want[5] = want[8] = ReadBack(s, static_cast<std::int32_t>(RefTrunc(500000 * g)));
    EXPECT_GE(RefTrunc(500000 * g), MaxLevel - 1);
    EXPECT_EQ(GetLevels(s, 0, 0, 15), want);
}

TEST_F(TimeEffectsTest, ReverberationOfAnImpulseFeedsEachReflectionIntoTheNext) {
    TAudioStream s(1, 32, 3000);
    std::vector<std::int32_t> input(15, 0);
    input[5] = 1000000;
    PutLevels(s, 0, 0, input);
    s.AddReverberation(0, 5, 1.0, 1, 1, 10);
    // 500,000, 250,000, 125,000 and 62,500 before the normalisation.
    const long double g = MaxLevel / 500000.0L;
    std::vector<std::int32_t> want(15, 0);
    want[5] = ReadBack(s, static_cast<std::int32_t>(RefTrunc(500000 * g)));
    want[8] = static_cast<std::int32_t>(RefTrunc(250000 * g));
    want[11] = static_cast<std::int32_t>(RefTrunc(125000 * g));
    want[14] = static_cast<std::int32_t>(RefTrunc(62500 * g));
    EXPECT_EQ(GetLevels(s, 0, 0, 15), want);
    EXPECT_EQ(want[8], 1073741823);
}

TEST_F(TimeEffectsTest, EchoReadsBeforeTheFragmentButNotBelowIndexZero) {
    TAudioStream s(1, 32, 1000);  // 1 ms is 1 sample
    PutLevels(s, 0, 0, {600, 0, 0, 0});
    // Index 1 gets half of the 600 at index 0, in front of the fragment.
    s.AddEcho(0, 1, 1.0, 1, 1, 3);
    EXPECT_EQ(GetLevels(s, 0, 0, 4),
              (std::vector<std::int32_t>{
                  600, ReadBack(s, static_cast<std::int32_t>(RefTrunc(300 * (MaxLevel / 300.0L)))),
                  0, 0}));
    // At index 0 the delayed term has no source and counts as silence.
    TAudioStream t(1, 32, 1000);
    PutLevels(t, 0, 0, {600, 200});
    t.AddEcho(0, 0, 1.0, 1, 1, 2);
    // 300 and 100 + 300 = 400, normalised.
    const long double g = MaxLevel / 400.0L;
    EXPECT_EQ(
        GetLevels(t, 0, 0, 2),
        (std::vector<std::int32_t>{ReadBack(t, static_cast<std::int32_t>(RefTrunc(300 * g))),
                                   ReadBack(t, static_cast<std::int32_t>(RefTrunc(400 * g)))}));
}

TEST_F(TimeEffectsTest, FullScaleEchoSaturatesInsteadOfWrappingAround) {
    // Four terms of round(2147483646 / 4) = 536870912 sum to 2^31, one above the 32-bit range.
    for (const bool echo : {true, false}) {
        TAudioStream s(1, 32, 1000);
        PutLevels(s, 0, 0, std::vector<std::int32_t>(20, MaxLevel));
        ASSERT_EQ(GetLevels(s, 0, 0, 1)[0], 2147483646);
        if (echo) {
            s.AddEcho(0, 10, 1.0, 1, 3, 10);
        } else {
            s.AddReverberation(0, 10, 1.0, 1, 3, 10);
        }
        EXPECT_EQ(GetLevels(s, 0, 10, 10), std::vector<std::int32_t>(10, ReadBack(s, MaxLevel)));
    }
}

TEST_F(TimeEffectsTest, CombArgumentsThatWouldDivideByZeroAreRefused) {
    TAudioStream s(1, 32, 44100);
    PutLevels(s, 0, 0, {5, 6});
    EXPECT_THROW(s.AddEcho(0, 0, -1.0, 10, 1, 2), std::invalid_argument);
    EXPECT_THROW(s.AddEcho(0, 0, 0.5, 10, -1, 2), std::invalid_argument);
    EXPECT_THROW(s.AddReverberation(0, 0, std::nan(""), 10, 1, 2), std::invalid_argument);
    EXPECT_THROW(s.AddReverberation(0, 0, 0.5, -10, 1, 2), std::invalid_argument);
    EXPECT_THROW(s.AddEcho(0, 0, 1e30, 10, 8, 2), std::invalid_argument);
    EXPECT_EQ(GetLevels(s, 0, 0, 2), (std::vector<std::int32_t>{5, 6}));
}

TEST_F(TimeEffectsTest, DoubleSpeedKeepsEverySecondSample) {
    TAudioStream s(1, 32, 44100);
    PutLevels(s, 0, 0, {7, 7, 7});
    PutLevels(s, 0, 3, Tens());
    PutLevels(s, 0, 13, {200, 300});
    EXPECT_EQ(s.ChangeSpeed(0, 3, false, 2.0, 10), 8U);
    EXPECT_EQ(GetLevels(s, 0, 0, 10),
              (std::vector<std::int32_t>{7, 7, 7, 0, 20, 40, 60, 80, 200, 300}));
    EXPECT_EQ(s.GetLength(), 10U);
}

TEST_F(TimeEffectsTest, HalfSpeedInterpolatesIntoTheOpenedGap) {
    TAudioStream s(1, 32, 44100);
    PutLevels(s, 0, 0, {7, 7, 7});
    PutLevels(s, 0, 3, Tens());
    PutLevels(s, 0, 13, {200, 300});
    EXPECT_EQ(s.ChangeSpeed(0, 3, false, 0.5, 10), 23U);
    std::vector<std::int32_t> want{7, 7, 7};
    for (std::int32_t v = 5; v <= 90; v += 5) {
        want.push_back(v);
    }
    want.insert(want.end(), {145, 200, 200, 300});
    EXPECT_EQ(GetLevels(s, 0, 0, 25), want);
    EXPECT_EQ(s.GetLength(), 25U);
}

TEST_F(TimeEffectsTest, SlowingDownLeavesNoStaleSampleWhenTheStepsFallShort) {
    // round(2 / 0.3) = 7, but the steps of 10/3 write 3 + 3 = 6 samples.
    TAudioStream s(1, 32, 44100);
    PutLevels(s, 0, 0, {1, 0, 10, 100, 2});
    EXPECT_EQ(s.ChangeSpeed(0, 1, false, 0.3, 2), 7U);
    EXPECT_EQ(GetLevels(s, 0, 0, 9), (std::vector<std::int32_t>{1, 3, 7, 10, 40, 70, 100, 100, 2}));
    EXPECT_EQ(s.GetLength(), 9U);
}

TEST_F(TimeEffectsTest, SpeedFactorOneReturnsTheEndAndBadFactorsAreRefused) {
    TAudioStream s(2, 32, 44100);
    PutLevels(s, 0, 0, {1, 2, 3});
    EXPECT_EQ(s.ChangeSpeed(-1, 1, true, 1.0, 2), 3U);
    EXPECT_THROW(s.ChangeSpeed(-1, 0, false, 0.0, 3), std::invalid_argument);
    EXPECT_THROW(s.ChangeSpeed(-1, 0, false, -2.0, 3), std::invalid_argument);
    EXPECT_THROW(s.ChangeSpeed(-1, 0, false, std::nan(""), 3), std::invalid_argument);
    // The slowed-down fragment would need more than 2^32 sample positions.
    EXPECT_THROW(s.ChangeSpeed(0, 0, false, 1e-10, 3), std::length_error);
    EXPECT_EQ(GetLevels(s, 0, 0, 3), (std::vector<std::int32_t>{1, 2, 3}));
    EXPECT_EQ(s.GetLength(), 3U);
}

TEST_F(TimeEffectsTest, GlidingSlowDownStartsAtOriginalSpeed) {
    TAudioStream s(1, 32, 44100);
    std::vector<std::int32_t> ramp;
    ramp.reserve(100);
    for (std::int32_t i = 0; i < 100; ++i) {
        ramp.push_back(1000 * i);
    }
    PutLevels(s, 0, 0, ramp);
    const std::uint32_t end = s.ChangeSpeed(0, 0, true, 0.5, 100);
    // Steps glide from 1 to 2: about 1.5 samples out per sample in, never the full 200.
    EXPECT_GT(end, 140U);
    EXPECT_LT(end, 160U);
    EXPECT_EQ(s.GetLength(), end);
    // The first samples come out at the original speed, the next one at first.
    EXPECT_EQ(GetLevels(s, 0, 0, 3), (std::vector<std::int32_t>{1000, 2000, 3000}));
}

TEST_F(TimeEffectsTest, RotationStartsOnTheSecondChannelAndTurnsInAPeriod) {
    TAudioStream s(1, 32, 4);  // 4 Hz and a 2 s period: phi = k pi / 8
    PutLevels(s, 0, 0, std::vector<std::int32_t>(9, 1000000));
    s.RotateChannels(0, 9, TAudioStream::Clockwise, 2);
    ASSERT_EQ(s.ChannelCount, 2);
    const std::vector<std::int32_t> rising{0,      382683, 707107, 923880, 1000000,
                                           923880, 707107, 382683, 0};
    const std::vector<std::int32_t> falling{1000000, 923880, 707107, 382683, 0,
                                            382683,  707107, 923880, 1000000};
    EXPECT_EQ(GetLevels(s, 0, 0, 9), rising);
    EXPECT_EQ(GetLevels(s, 1, 0, 9), falling);

    TAudioStream t(2, 32, 4);
    PutLevels(t, 0, 0, std::vector<std::int32_t>(9, 1000000));
    t.RotateChannels(0, 9, TAudioStream::CounterClockwise, 2);
    EXPECT_EQ(GetLevels(t, 0, 0, 9), falling);
    EXPECT_EQ(GetLevels(t, 1, 0, 9), rising);
}

TEST_F(TimeEffectsTest, RotationMakesTheStreamStereo) {
    TAudioStream four(4, 16, 44100);
    const std::vector<std::string> names{four.ChannelFileNames[0], four.ChannelFileNames[1]};
    four.RotateChannels(0, 1, TAudioStream::Clockwise, 4);
    EXPECT_EQ(four.ChannelCount, 2);
    EXPECT_EQ(four.ChannelFileNames, names);
    EXPECT_EQ(ChannelFiles().size(), 2U);
    TAudioStream none(0, 16, 44100);
    none.RotateChannels(0, 3, TAudioStream::Clockwise, 4);
    EXPECT_EQ(none.ChannelCount, 2);
    EXPECT_EQ(ChannelLength(none, 1), 3U);
    EXPECT_THROW(none.RotateChannels(0, 3, TAudioStream::Clockwise, 0), std::invalid_argument);
    EXPECT_THROW(none.RotateChannels(0, 3, 2, 4), std::invalid_argument);
}

TEST(AbsSineTest, PairMatchesTheExtendedLibrarySineAtTheRotationPhases) {
    std::mt19937_64 rng(42);
    std::uniform_int_distribution<std::int32_t> level(-MaxLevel, MaxLevel);
    std::uniform_int_distribution<std::uint32_t> period(1, 999);
    const std::uint32_t rates[] = {1, 100, 8000, 44100, 192000};
    const std::uint32_t offsetLimits[] = {1000, 1000000, UINT32_MAX};
    const auto quarter = static_cast<double>(Pi / 2);
    for (const std::uint32_t rate : rates) {
        for (const std::uint32_t limit : offsetLimits) {
            std::uniform_int_distribution<std::uint32_t> offset(0, limit);
            for (int i = 0; i < 60000; ++i) {
                const std::uint32_t k = offset(rng);
                const long double p = period(rng);
                const std::int32_t v = level(rng);
                const long double phi = (static_cast<long double>(k) * Pi / p) / rate;
                const long double phase = k * ((Pi / p) / rate);
                const TAbsSinePair got =
                    RoundedAbsSinePair(phase, phase * 0x1p-60L, v, [phi] { return phi; });
                ASSERT_EQ(got.AtPhase, RefRound(std::fabs(std::sin(phi)) * v))
                    << "k " << k << ", period " << p << ", rate " << rate << ", v " << v;
                ASSERT_EQ(got.QuarterOn, RefRound(std::fabs(std::sin(phi + quarter)) * v))
                    << "k " << k << ", period " << p << ", rate " << rate << ", v " << v;
            }
        }
    }
}

TEST(AbsSineTest, PairAtQuarterTurns) {
    const auto at = [](long double phi, std::int32_t v) {
        return RoundedAbsSinePair(phi, 0, v, [phi] { return phi; });
    };
    EXPECT_EQ(at(0, MaxLevel).AtPhase, 0);
    EXPECT_EQ(at(0, MaxLevel).QuarterOn, MaxLevel);
    EXPECT_EQ(at(Pi / 2, -MaxLevel).AtPhase, -MaxLevel);
    EXPECT_EQ(at(Pi / 2, -MaxLevel).QuarterOn, 0);
    EXPECT_EQ(at(Pi / 4, 1000000).AtPhase, 707107);
    EXPECT_EQ(at(Pi / 4, 1000000).QuarterOn, 707107);
}

TEST(AbsSineTest, PolynomialsStayWithinAFewUlps) {
    for (int i = -100000; i <= 100000; ++i) {
        const double r = 0.8 * i / 100000;
        EXPECT_NEAR(abssine::SinPolynomial(r),
                    static_cast<double>(std::sin(static_cast<long double>(r))), 5e-16);
        EXPECT_NEAR(abssine::CosPolynomial(r),
                    static_cast<double>(std::cos(static_cast<long double>(r))), 5e-16);
    }
}

// --- Block-wise against sample-by-sample on random data.

struct TCase {
    std::uint16_t Bits;
    std::uint32_t Rate;
    std::vector<std::uint32_t> Lengths;  // of each channel
    int Channel;
    std::uint32_t Start;
    std::uint32_t Count;
};

// Fragments longer than a 1 MiB window at odd starts, one channel of several, channels of
// unequal length and fragments running past a channel's end, every stored width.
const TCase Cases[] = {
    {16, 44100, {700001, 690000}, -1, 77777, 600001},
    {16, 44100, {600000, 600000, 600000}, 1, 1, 599999},
    {8, 22050, {1100000, 1050000}, 0, 3, 1050001},
    {24, 48000, {400001, 390000}, -1, 12345, 370000},
    {32, 8000, {300000, 300000, 300000}, 2, 5, 280001},
};

template <class TBlock, class TRef>
void CompareOnRandomData(const TCase* cases, std::size_t count, TBlock block, TRef ref) {
    std::uint32_t seed = 100;
    for (std::size_t i = 0; i < count; ++i) {
        const TCase& c = cases[i];
        SCOPED_TRACE(testing::Message()
                     << c.Bits << " bits, " << c.Rate << " Hz, channel " << c.Channel << ", start "
                     << c.Start << ", count " << c.Count);
        TStreamPair pair(c.Bits, c.Rate, c.Lengths, seed++);
        block(pair.Block, c.Channel, c.Start, c.Count);
        ref(pair.Reference, c.Channel, c.Start, c.Count);
        pair.ExpectSame();
    }
}

template <class TBlock, class TRef>
void CompareOnRandomData(TBlock block, TRef ref) {
    CompareOnRandomData(Cases, std::size(Cases), block, ref);
}

TEST_F(TimeEffectsTest, ReverseMatchesSampleBySample) {
    CompareOnRandomData(
        [](TAudioStream& s, int ch, std::uint32_t at, std::uint32_t n) { s.Reverse(ch, at, n); },
        [](TAudioStream& s, int ch, std::uint32_t at, std::uint32_t n) {
            RefReverse(s, ch, at, n);
        });
}

struct TCombCase {
    double Volume;
    std::int32_t Delay;
    std::int32_t Terms;
    std::size_t StreamCases;  // how many of Cases, from the first
};

// The dialogs' defaults on every width, and the longest delay line (longer than a block).
const TCombCase CombCases[] = {
    {0.75, 400, 2, std::size(Cases)}, {0.95, 8, 4, 2}, {0.5, 1000, 8, 1}};

TEST_F(TimeEffectsTest, EchoMatchesSampleBySample) {
    for (const TCombCase& e : CombCases) {
        SCOPED_TRACE(testing::Message() << "echo " << e.Volume << " " << e.Delay << " " << e.Terms);
        CompareOnRandomData(
            Cases, e.StreamCases,
            [e](TAudioStream& s, int ch, std::uint32_t at, std::uint32_t n) {
                s.AddEcho(ch, at, e.Volume, e.Delay, e.Terms, n);
            },
            [e](TAudioStream& s, int ch, std::uint32_t at, std::uint32_t n) {
                RefComb(s, ch, at, e.Volume, e.Delay, e.Terms, n, true);
            });
    }
}

TEST_F(TimeEffectsTest, ReverberationMatchesSampleBySample) {
    for (const TCombCase& e : CombCases) {
        SCOPED_TRACE(testing::Message()
                     << "reverb " << e.Volume << " " << e.Delay << " " << e.Terms);
        CompareOnRandomData(
            Cases, e.StreamCases,
            [e](TAudioStream& s, int ch, std::uint32_t at, std::uint32_t n) {
                s.AddReverberation(ch, at, e.Volume, e.Delay, e.Terms, n);
            },
            [e](TAudioStream& s, int ch, std::uint32_t at, std::uint32_t n) {
                RefComb(s, ch, at, e.Volume, e.Delay, e.Terms, n, false);
            });
    }
}

TEST_F(TimeEffectsTest, CombAtALowRateMatchesSampleBySample) {
    // At 100 Hz a 3 ms delay is 0.3 samples: the first terms read the sample being replaced.
    const TCase low[] = {{16, 100, {5000, 5000}, -1, 0, 5000},
                         {16, 100, {70000, 70000}, 1, 3, 66000},
                         {8, 100, {3000}, 0, 0, 3000},
                         {32, 100, {300}, 0, 7, 200}};
    for (const bool echo : {true, false}) {
        CompareOnRandomData(
            low, std::size(low),
            [echo](TAudioStream& s, int ch, std::uint32_t at, std::uint32_t n) {
                if (echo) {
                    s.AddEcho(ch, at, 0.9, 3, 8, n);
                } else {
                    s.AddReverberation(ch, at, 0.9, 3, 8, n);
                }
            },
            [echo](TAudioStream& s, int ch, std::uint32_t at, std::uint32_t n) {
                RefComb(s, ch, at, 0.9, 3, 8, n, echo);
            });
    }
}

TEST_F(TimeEffectsTest, ChangeSpeedMatchesSampleBySample) {
    for (const double f : {2.37, 10.0, 0.5, 0.3}) {
        for (const bool glide : {false, true}) {
            SCOPED_TRACE(testing::Message() << "factor " << f << (glide ? " gliding" : ""));
            std::uint32_t blockEnd = 0;
            std::uint32_t refEnd = 0;
            CompareOnRandomData(
                Cases, 2,
                [&](TAudioStream& s, int ch, std::uint32_t at, std::uint32_t n) {
                    blockEnd = s.ChangeSpeed(ch, at, glide, f, n);
                },
                [&](TAudioStream& s, int ch, std::uint32_t at, std::uint32_t n) {
                    refEnd = RefChangeSpeed(s, ch, at, glide, f, n);
                    EXPECT_EQ(blockEnd, refEnd);
                });
        }
    }
}

TEST_F(TimeEffectsTest, ChangeSpeedOfOtherWidthsMatchesSampleBySample) {
    CompareOnRandomData(
        Cases + 2, std::size(Cases) - 2,
        [](TAudioStream& s, int ch, std::uint32_t at, std::uint32_t n) {
            s.ChangeSpeed(ch, at, true, 0.4, n);
            s.ChangeSpeed(ch, at, false, 1.7, n);
        },
        [](TAudioStream& s, int ch, std::uint32_t at, std::uint32_t n) {
            RefChangeSpeed(s, ch, at, true, 0.4, n);
            RefChangeSpeed(s, ch, at, false, 1.7, n);
        });
}

TEST_F(TimeEffectsTest, RotationMatchesSampleBySample) {
    const TCase rotations[] = {
        {16, 44100, {700001, 690000, 5}, -1, 77777, 600001},
        {16, 100, {600000}, -1, 1, 599999},
        {24, 8000, {400001, 10}, -1, 12345, 370000},
    };
    for (const std::uint8_t q : {0, 1}) {
        CompareOnRandomData(
            rotations, std::size(rotations),
            [q](TAudioStream& s, int, std::uint32_t at, std::uint32_t n) {
                s.RotateChannels(at, n, q, 3);
            },
            [q](TAudioStream& s, int, std::uint32_t at, std::uint32_t n) {
                RefRotate(s, at, n, q, 3);
            });
    }
}

}  // namespace
}  // namespace sonavel
