#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <stdexcept>
#include <vector>

#include "EffectTestSupport.h"
#include "core/AudioStream.h"
#include "core/ExtendedMath.h"
#include "core/Progress.h"
#include "support/TempFolder.h"

namespace sonavel {
namespace {

using test::GetLevels;
using test::PutLevels;
using test::ReadBack;
using test::RefChannels;
using test::RefTrunc;
using test::TStreamPair;
using AmplitudeEffectsTest = test::TStreamTest;

// --- Sample-by-sample versions, one ReadSample/WriteSample per sample as the steps read.

void RefSetVolume(TAudioStream& s, int channel, std::uint32_t start, double f, std::uint32_t n) {
    if (f == 1.0) {
        return;
    }
    for (std::uint32_t k = 0; k < n; ++k) {
        for (const auto c : RefChannels(s, channel)) {
            std::int32_t v = 0;
            s.ReadSample(c, start + k, v);
            const long double magnitude = std::abs(static_cast<std::int64_t>(v));
            std::int32_t result = 0;
            if (magnitude * f <= MaxLevel) {
                result = static_cast<std::int32_t>(RefTrunc(static_cast<long double>(v) * f));
            } else {
                result = v >= 0 ? MaxLevel : -MaxLevel;
            }
            s.WriteSample(c, start + k, result);
        }
    }
}

void RefNormalize(TAudioStream& s, int channel, std::uint32_t start, std::uint32_t n) {
    for (const auto c : RefChannels(s, channel)) {
        std::int64_t peak = 0;
        for (std::uint32_t k = 0; k < n; ++k) {
            std::int32_t v = 0;
            s.ReadSample(c, start + k, v);
            if (v != std::numeric_limits<std::int32_t>::min()) {
                peak = std::max<std::int64_t>(peak, std::abs(static_cast<std::int64_t>(v)));
            }
        }
        const long double g = peak == 0 ? 0.0L : MaxLevel / static_cast<long double>(peak);
        for (std::uint32_t k = 0; k < n; ++k) {
            std::int32_t v = 0;
            s.ReadSample(c, start + k, v);
            s.WriteSample(c, start + k, static_cast<std::int32_t>(RefTrunc(v * g)));
        }
    }
}

void RefFade(TAudioStream& s, int channel, std::uint32_t start, std::uint32_t n, bool in) {
    for (std::uint32_t k = 0; k < n; ++k) {
        const long double ratio = static_cast<long double>(k) / n;
        const long double gain = in ? ratio : 1 - ratio;
        for (const auto c : RefChannels(s, channel)) {
            std::int32_t v = 0;
            s.ReadSample(c, start + k, v);
            s.WriteSample(c, start + k, static_cast<std::int32_t>(RefTrunc(v * gain)));
        }
    }
}

void RefInvert(TAudioStream& s, int channel, std::uint32_t start, std::uint32_t n) {
    for (std::uint32_t k = 0; k < n; ++k) {
        for (const auto c : RefChannels(s, channel)) {
            std::int32_t v = 0;
            s.ReadSample(c, start + k, v);
            s.WriteSample(c, start + k,
                          static_cast<std::int32_t>(-static_cast<std::int64_t>(v) - 1));
        }
    }
}

// --- Edge cases and values.

TEST_F(AmplitudeEffectsTest, SetVolumeScalesTruncatesAndClipsAtFullScale) {
    TAudioStream s(1, 32, 44100);
    PutLevels(s, 0, 0, {1500000000, -1500000000, 1000, -1001, 7, MaxLevel, -MaxLevel});
    s.SetVolume(0, 0, 2.0, 7);
    // Full scale reads back one step lower from a 32-bit stream.
    const std::int32_t top = ReadBack(s, MaxLevel);
    EXPECT_EQ(top, MaxLevel - 1);
    EXPECT_EQ(GetLevels(s, 0, 0, 7),
              (std::vector<std::int32_t>{top, -top, 2000, -2002, 14, top, -top}));
    s.SetVolume(0, 2, 0.5, 3);
    EXPECT_EQ(GetLevels(s, 0, 2, 3), (std::vector<std::int32_t>{1000, -1001, 7}));
    // 0.3 is stored as 0.29999999999999998890: 299.99999999999998890 and -300.29999999999998888
    // both truncate toward zero.
    s.SetVolume(0, 2, 0.3, 2);
    EXPECT_EQ(GetLevels(s, 0, 2, 2), (std::vector<std::int32_t>{299, -300}));
    EXPECT_EQ(ProgressTotal.load(), 2U);
    EXPECT_EQ(ProgressPosition.load(), 2U);
    EXPECT_FALSE(Processing.load());
}

TEST_F(AmplitudeEffectsTest, SetVolumeByOneTouchesNeitherSamplesNorProgress) {
    TAudioStream s(1, 16, 44100);
    // Stored 32767 would come back as 32766 if it were rewritten.
    const std::uint8_t loud[2] = {0xff, 0x7f};
    s.WriteStored(0, 0, 1, loud);
    ProgressTotal = 12345;
    s.SetVolume(-1, 0, 1.0, 1);
    std::uint8_t back[2] = {};
    s.ReadStored(0, 0, 1, back);
    EXPECT_EQ(back[0], 0xff);
    EXPECT_EQ(back[1], 0x7f);
    EXPECT_EQ(ProgressTotal.load(), 12345U);
}

TEST_F(AmplitudeEffectsTest, SetVolumeWithANegativeFactorClipsInsteadOfWrapping) {
    TAudioStream s(1, 32, 44100);
    PutLevels(s, 0, 0, {-MaxLevel, MaxLevel, 1000});
    s.SetVolume(0, 0, -2.0, 3);
    EXPECT_EQ(GetLevels(s, 0, 0, 3),
              (std::vector<std::int32_t>{ReadBack(s, MaxLevel), ReadBack(s, -MaxLevel), -2000}));
}

TEST_F(AmplitudeEffectsTest, BadArgumentsAreRefusedBeforeAnythingChanges) {
    TAudioStream s(2, 32, 44100);
    PutLevels(s, 0, 0, {1000, 2000});
    EXPECT_THROW(s.SetVolume(0, 0, std::nan(""), 2), std::invalid_argument);
    EXPECT_THROW(s.SetVolume(0, 0, HUGE_VAL, 2), std::invalid_argument);
    EXPECT_THROW(s.SetVolume(2, 0, 2.0, 2), std::out_of_range);
    EXPECT_THROW(s.FadeIn(0, UINT32_MAX, 2), std::out_of_range);
    EXPECT_THROW(s.Normalize(5, 0, 2), std::out_of_range);
    EXPECT_EQ(GetLevels(s, 0, 0, 2), (std::vector<std::int32_t>{1000, 2000}));
    EXPECT_FALSE(Processing.load());
}

TEST_F(AmplitudeEffectsTest, NormalizeRaisesThePeakToFullScale) {
    TAudioStream s(1, 32, 44100);
    PutLevels(s, 0, 0, {1073741824, -536870912, 3, -1073741824});
    s.Normalize(0, 0, 4);
    const long double g = MaxLevel / 1073741824.0L;
    EXPECT_EQ(GetLevels(s, 0, 0, 4),
              (std::vector<std::int32_t>{ReadBack(s, MaxLevel),
                                         static_cast<std::int32_t>(RefTrunc(-536870912 * g)), 5,
                                         ReadBack(s, -MaxLevel)}));
    EXPECT_EQ(ProgressTotal.load(), 4U);
}

TEST_F(AmplitudeEffectsTest, NormalizeOfSilenceLeavesZerosAndEachChannelFollowsItsOwnPeak) {
    TAudioStream s(3, 32, 44100);
    PutLevels(s, 0, 0, {0, 0, 0});
    PutLevels(s, 1, 0, {100, -50, 25});
    PutLevels(s, 2, 0, {-MaxLevel, 7, 0});
    s.Normalize(-1, 0, 3);
    EXPECT_EQ(GetLevels(s, 0, 0, 3), (std::vector<std::int32_t>{0, 0, 0}));
    // 100 * fl(MaxLevel / 100) falls just short of MaxLevel and truncates one step lower.
    const long double g = MaxLevel / 100.0L;
    EXPECT_EQ(RefTrunc(100 * g), MaxLevel - 1);
    EXPECT_EQ(GetLevels(s, 1, 0, 3),
              (std::vector<std::int32_t>{ReadBack(s, MaxLevel - 1),
                                         static_cast<std::int32_t>(RefTrunc(-50 * g)),
                                         static_cast<std::int32_t>(RefTrunc(25 * g))}));
    EXPECT_EQ(GetLevels(s, 2, 0, 3), (std::vector<std::int32_t>{ReadBack(s, -MaxLevel), 7, 0}));
}

TEST_F(AmplitudeEffectsTest, FadesFollowTheOffsetOverTheLength) {
    TAudioStream s(2, 32, 44100);
    PutLevels(s, 0, 0, {1000, 1000, 1000, 1000});
    PutLevels(s, 1, 0, {1000, 1000, 1000, 1000});
    s.FadeIn(0, 0, 4);
    s.FadeOut(1, 0, 4);
    EXPECT_EQ(GetLevels(s, 0, 0, 4), (std::vector<std::int32_t>{0, 250, 500, 750}));
    EXPECT_EQ(GetLevels(s, 1, 0, 4), (std::vector<std::int32_t>{1000, 750, 500, 250}));
    // One sample: fading in silences it, fading out keeps it.
    PutLevels(s, 0, 10, {-999});
    PutLevels(s, 1, 10, {-999});
    s.FadeIn(0, 10, 1);
    s.FadeOut(1, 10, 1);
    EXPECT_EQ(GetLevels(s, 0, 10, 1)[0], 0);
    EXPECT_EQ(GetLevels(s, 1, 10, 1)[0], -999);
    // Negative values truncate toward zero: -1000 * 1/3 = -333.33.
    PutLevels(s, 0, 20, {-1000, -1000, -1000});
    s.FadeIn(0, 20, 3);
    EXPECT_EQ(GetLevels(s, 0, 20, 3), (std::vector<std::int32_t>{0, -333, -666}));
}

TEST_F(AmplitudeEffectsTest, InvertIsTheBitwiseComplement) {
    TAudioStream s(1, 32, 44100);
    PutLevels(s, 0, 0, {0, -1, 1000, -1000000000});
    s.Invert(0, 0, 4);
    EXPECT_EQ(GetLevels(s, 0, 0, 4), (std::vector<std::int32_t>{-1, 0, -1001, 999999999}));
}

TEST_F(AmplitudeEffectsTest, ZeroCountChangesNothing) {
    TAudioStream s(1, 32, 44100);
    PutLevels(s, 0, 0, {1000});
    s.SetVolume(0, 0, 2.0, 0);
    s.Normalize(0, 0, 0);
    s.FadeIn(0, 0, 0);
    s.FadeOut(0, 0, 0);
    s.Invert(0, 0, 0);
    EXPECT_EQ(GetLevels(s, 0, 0, 1)[0], 1000);
}

TEST(TruncEstimateTest, DefersToTheExtendedValueNearAnInteger) {
    // 1000 * 0.3: the double product rounds to 300, the extended one stays below it.
    const long double below = 1000 * static_cast<long double>(0.3);
    ASSERT_LT(below, 300.0L);
    EXPECT_EQ(1000 * 0.3, 300.0);
    EXPECT_EQ(TruncEstimate(1000 * 0.3, [below] { return below; }), 299);
    EXPECT_EQ(TruncEstimate(-1000 * 0.3, [below] { return -below; }), -299);
    EXPECT_EQ(TruncEstimate(0.0, [] { return 0.0L; }), 0);
    // Well inside an interval the estimate settles it.
    EXPECT_EQ(TruncEstimate(2.5, [] { return 2.5L; }), 2);
    EXPECT_EQ(TruncEstimate(-7.75, [] { return -7.75L; }), -7);
}

// --- Block-wise against sample-by-sample on random data.

struct TCase {
    std::uint16_t Bits;
    int Channel;
    std::uint32_t Start;
    std::uint32_t Count;
    std::vector<std::uint32_t> Lengths;  // of each channel
};

// Fragments longer than a 1 MiB window at odd starts, one channel of several, channels of
// unequal length and fragments running past a channel's end, every stored width.
const TCase Cases[] = {
    {16, -1, 77777, 600001, {700001, 690000}},
    {16, 1, 1, 599999, {600000, 600000, 600000}},
    {16, -1, 9, 300000, {400000, 20000}},
    {8, 0, 3, 1050001, {1100000, 1100000}},
    {24, -1, 12345, 370000, {400001, 400001}},
    {32, 2, 5, 280001, {300000, 300000, 300000}},
    {12, 0, 65535, 3, {70000}},
};

template <class TBlock, class TRef>
void CompareOnRandomData(TBlock block, TRef ref) {
    std::uint32_t seed = 1;
    for (const TCase& c : Cases) {
        SCOPED_TRACE(testing::Message() << c.Bits << " bits, channel " << c.Channel << ", start "
                                        << c.Start << ", count " << c.Count);
        TStreamPair pair(c.Bits, 44100, c.Lengths, seed++);
        block(pair.Block, c.Channel, c.Start, c.Count);
        ref(pair.Reference, c.Channel, c.Start, c.Count);
        pair.ExpectSame();
    }
}

TEST_F(AmplitudeEffectsTest, SetVolumeMatchesSampleBySample) {
    for (const double f : {1.5, 0.37, 0.0, 7.25}) {
        SCOPED_TRACE(f);
        CompareOnRandomData([f](TAudioStream& s, int ch, std::uint32_t at,
                                std::uint32_t n) { s.SetVolume(ch, at, f, n); },
                            [f](TAudioStream& s, int ch, std::uint32_t at, std::uint32_t n) {
                                RefSetVolume(s, ch, at, f, n);
                            });
    }
}

TEST_F(AmplitudeEffectsTest, NormalizeMatchesSampleBySample) {
    CompareOnRandomData(
        [](TAudioStream& s, int ch, std::uint32_t at, std::uint32_t n) { s.Normalize(ch, at, n); },
        [](TAudioStream& s, int ch, std::uint32_t at, std::uint32_t n) {
            RefNormalize(s, ch, at, n);
        });
}

TEST_F(AmplitudeEffectsTest, FadeInMatchesSampleBySample) {
    CompareOnRandomData(
        [](TAudioStream& s, int ch, std::uint32_t at, std::uint32_t n) { s.FadeIn(ch, at, n); },
        [](TAudioStream& s, int ch, std::uint32_t at, std::uint32_t n) {
            RefFade(s, ch, at, n, true);
        });
}

TEST_F(AmplitudeEffectsTest, FadeOutMatchesSampleBySample) {
    CompareOnRandomData(
        [](TAudioStream& s, int ch, std::uint32_t at, std::uint32_t n) { s.FadeOut(ch, at, n); },
        [](TAudioStream& s, int ch, std::uint32_t at, std::uint32_t n) {
            RefFade(s, ch, at, n, false);
        });
}

TEST_F(AmplitudeEffectsTest, InvertMatchesSampleBySample) {
    CompareOnRandomData(
        [](TAudioStream& s, int ch, std::uint32_t at, std::uint32_t n) { s.Invert(ch, at, n); },
        [](TAudioStream& s, int ch, std::uint32_t at, std::uint32_t n) {
            RefInvert(s, ch, at, n);
        });
}

}  // namespace
}  // namespace sonavel
