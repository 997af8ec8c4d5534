#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/AudioStream.h"
#include "core/StreamSamples.h"
#include "support/TempFolder.h"

namespace sonavel {
namespace {

using test::ChannelLength;
using test::ExpectProgressFinished;
using test::Fill;
using test::Levels;
using test::RandomBytes;
using test::RandomLevels;
using test::Stored;
using test::StoredValues;
using test::TStreamTest;
using EditTest = TStreamTest;

// 16-bit samples in one window of the channel cache: 1 MiB.
constexpr std::uint32_t WindowSamples16 = 524288;

std::unique_ptr<TAudioStream> MakeStream(std::uint16_t channels, std::uint16_t bits,
                                         std::uint32_t rate,
                                         const std::vector<std::vector<std::int32_t>>& data) {
    auto s = std::make_unique<TAudioStream>(channels, bits, rate);
    for (std::size_t c = 0; c < data.size(); ++c) {
        Fill(*s, static_cast<std::uint16_t>(c), data[c]);
    }
    return s;
}

std::int32_t Saturated(std::int64_t v) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(v, -MaxLevel, MaxLevel));
}

// PasteFrom (mode 0, 1, 2) and MixFrom (divisor > 0) sample by sample, as the steps read,
// with insertion kept inside its gap and the unwritten rest of the gap silenced.
void ReferencePasteOrMix(TAudioStream& t, int channel, std::uint32_t start, TAudioStream& src,
                         int mode, int divisor) {
    const std::vector<std::uint16_t> channels = t.SelectedChannels(channel);
    const std::uint32_t g = src.GetLength();
    const auto ratio = static_cast<double>(static_cast<long double>(src.SampleRate) / t.SampleRate);
    const bool down = ratio < 1;
    const double step = down ? 1 / ratio : ratio;
    double a = step;
    std::uint64_t end = UINT64_MAX;
    if (divisor == 0 && mode == 0) {
        const auto gap =
            static_cast<std::uint64_t>(std::llrint(static_cast<long double>(g) / ratio));
        for (const std::uint16_t c : channels) {
            t.ChannelFiles[c]->InsertBytes(static_cast<std::uint64_t>(start) * t.BytesPerSample,
                                           gap * t.BytesPerSample);
        }
        end = start + gap;
    }
    std::uint64_t i = 0;
    std::uint64_t w = start;
    while (i < g) {
        const auto whole = static_cast<std::uint64_t>(std::trunc(a));
        const std::uint64_t m = down ? whole : 1;
        for (std::uint64_t j = 0; j < m && w + j < end; ++j) {
            const auto p = static_cast<std::uint32_t>(w + j);
            for (const std::uint16_t u : channels) {
                const auto sc = static_cast<std::uint16_t>(
                    std::min<int>(u - channels.front(), src.ChannelCount - 1));
                std::int32_t v = 0;
                src.ReadSample(sc, static_cast<std::uint32_t>(i), v);
                std::int32_t d = 0;
                if (divisor > 0) {
                    t.ReadSample(u, p, d);
                    v = Saturated(std::int64_t{v / divisor} + d);
                } else if (mode == 2) {
                    t.ReadSample(u, p, d);
                    v = Saturated(std::int64_t{v / 2} + d / 2);
                }
                t.WriteSample(u, p, v);
            }
        }
        w += m;
        i += down ? 1 : whole;
        a = a - std::trunc(a) + step;
    }
    for (; end != UINT64_MAX && w < end; ++w) {
        for (const std::uint16_t u : channels) {
            t.WriteSample(u, static_cast<std::uint32_t>(w), 0);
        }
    }
}

void ExpectSameChannels(TAudioStream& actual, TAudioStream& expected) {
    ASSERT_EQ(actual.ChannelCount, expected.ChannelCount);
    for (std::uint16_t c = 0; c < actual.ChannelCount; ++c) {
        EXPECT_TRUE(Stored(actual, c) == Stored(expected, c)) << "channel " << c;
    }
}

// --- CopyTo

TEST_F(EditTest, CopyToOneChannelGivesAMonoCopyInTheSourceFormat) {
    auto src = MakeStream(2, 24, 48000, {{1, 2, 3}, {4000000, -5000000, 6000000}});
    TAudioStream dst(3, 8, 8000);
    Fill(dst, 2, {7, 7, 7, 7, 7});
    src->CopyTo(1, 0, dst, 3);
    EXPECT_EQ(dst.ChannelCount, 1);
    EXPECT_EQ(dst.SampleRate, 48000U);
    EXPECT_EQ(dst.BitsPerSample, 24);
    EXPECT_EQ(dst.BytesPerSample, 3);
    EXPECT_EQ(dst.GetLength(), 3U);
    EXPECT_EQ(StoredValues(dst, 0), StoredValues(*src, 1));
    ExpectProgressFinished(3);
}

TEST_F(EditTest, CopyToIsBitExactAtEveryWidth) {
    for (const std::uint16_t bits : {8, 12, 16, 24, 32}) {
        TAudioStream src(2, bits, 44100);
        const std::uint32_t n = 5000;
        for (std::uint16_t c = 0; c < 2; ++c) {
            const std::vector<std::uint8_t> bytes =
                RandomBytes(std::size_t{n} * src.BytesPerSample, bits + c);
            src.WriteStored(c, 0, n, bytes.data());
        }
        // The loudest stored values, which a copy through the sample scale would pull one
        // step towards zero.
        const std::uint32_t top = (1U << (8 * src.BytesPerSample - 1)) - 1;
        const std::uint8_t loud[4] = {
            static_cast<std::uint8_t>(top), static_cast<std::uint8_t>(top >> 8),
            static_cast<std::uint8_t>(top >> 16), static_cast<std::uint8_t>(top >> 24)};
        src.WriteStored(0, 17, 1, loud);
        TAudioStream restore;
        src.CopyTo(-1, 0, restore, src.GetLength());
        ASSERT_EQ(restore.BitsPerSample, bits);
        for (std::uint16_t c = 0; c < 2; ++c) {
            EXPECT_TRUE(Stored(restore, c) == Stored(src, c)) << bits << " bits, channel " << c;
        }
    }
}

TEST_F(EditTest, UndoThroughARestorePointBringsBackEverySample) {
    auto doc = MakeStream(2, 16, 44100, {RandomLevels(3000, 1), RandomLevels(2500, 2)});
    const std::vector<std::uint8_t> before0 = Stored(*doc, 0);
    const std::vector<std::uint8_t> before1 = Stored(*doc, 1);
    TAudioStream restore;
    doc->CopyTo(-1, 0, restore, doc->GetLength());
    doc->Erase(-1, 100, 200);
    doc->DeleteFragment(0, 0, 1000);
    restore.CopyTo(-1, 0, *doc, restore.GetLength());
    EXPECT_TRUE(Stored(*doc, 0) == before0);
    // The shorter channel comes back at the common length, padded with silence.
    std::vector<std::uint8_t> padded1 = before1;
    padded1.resize(before0.size(), 0);
    EXPECT_TRUE(Stored(*doc, 1) == padded1);
}

TEST_F(EditTest, CopyToAcrossWindowBordersFromAnOddStart) {
    const std::uint32_t length = WindowSamples16 + 90001;
    auto src = MakeStream(
        3, 16, 44100,
        {RandomLevels(length, 3), RandomLevels(length, 4), RandomLevels(length - 50000, 5)});
    const std::uint32_t start = 12345;
    const std::uint32_t count = length - start + 1000;  // reaches past the end: zeros
    TAudioStream dst;
    src->CopyTo(2, start, dst, count);
    ASSERT_EQ(dst.ChannelCount, 1);
    ASSERT_EQ(dst.GetLength(), count);
    std::vector<std::int32_t> expected = Levels(*src, 2, start, count);
    EXPECT_TRUE(Levels(dst, 0) == expected);
    EXPECT_EQ(Levels(dst, 0, count - 1, 1)[0], 0);
    ExpectProgressFinished(count);
}

TEST_F(EditTest, CopyToRefusesItselfAndMissingChannelsWithoutTouchingTheDestination) {
    auto src = MakeStream(2, 16, 44100, {{1, 2}, {3, 4}});
    auto dst = MakeStream(1, 16, 44100, {{9, 9, 9}});
    EXPECT_THROW(src->CopyTo(-1, 0, *src, 2), std::invalid_argument);
    EXPECT_THROW(src->CopyTo(2, 0, *dst, 2), std::out_of_range);
    EXPECT_THROW(src->CopyTo(-2, 0, *dst, 2), std::out_of_range);
    EXPECT_EQ(dst->ChannelCount, 1);
    EXPECT_EQ(dst->GetLength(), 3U);
    EXPECT_EQ(src->GetLength(), 2U);
}

// --- PasteFrom

TEST_F(EditTest, InsertingASlowerClipRepeatsEachSample) {
    std::vector<std::int32_t> clip(1000);
    for (std::uint32_t i = 0; i < 1000; ++i) {
        clip[i] = static_cast<std::int32_t>(i + 1) * 65536;
    }
    auto clipStream = MakeStream(1, 16, 22050, {clip});
    auto doc = MakeStream(1, 16, 44100, {{11 * 65536, 22 * 65536, 33 * 65536}});
    doc->PasteFrom(-1, 1, *clipStream, TAudioStream::PasteInsert);
    const std::vector<std::int32_t> got = Levels(*doc, 0);
    ASSERT_EQ(got.size(), 2003U);
    EXPECT_EQ(got[0], 11 * 65536);
    for (std::uint32_t j = 0; j < 2000; ++j) {
        ASSERT_EQ(got[1 + j], clip[j / 2]) << j;
    }
    EXPECT_EQ(got[2001], 22 * 65536);
    EXPECT_EQ(got[2002], 33 * 65536);
    ExpectProgressFinished(1000);
}

TEST_F(EditTest, InsertingAFasterClipTakesEverySecondSample) {
    std::vector<std::int32_t> clip(1000);
    for (std::uint32_t i = 0; i < 1000; ++i) {
        clip[i] = static_cast<std::int32_t>(i) * 65536;
    }
    auto clipStream = MakeStream(1, 16, 88200, {clip});
    auto doc = MakeStream(1, 16, 44100, {{5 * 65536, 6 * 65536}});
    doc->PasteFrom(0, 1, *clipStream, TAudioStream::PasteInsert);
    const std::vector<std::int32_t> got = Levels(*doc, 0);
    ASSERT_EQ(got.size(), 502U);
    for (std::uint32_t j = 0; j < 500; ++j) {
        ASSERT_EQ(got[1 + j], clip[2 * std::size_t{j}]) << j;
    }
    EXPECT_EQ(got[501], 6 * 65536);
}

TEST_F(EditTest, InsertionNeverWritesPastTheGapItOpened) {
    // 1,001 samples at twice the rate give 501 steps but a gap of round(500.5) = 500: the
    // last step must not overwrite the sample behind the gap.
    auto clipStream = MakeStream(1, 16, 88200, {std::vector<std::int32_t>(1001, 1000 * 65536)});
    auto doc = MakeStream(1, 16, 44100, {{1 * 65536, 2 * 65536, 3 * 65536}});
    doc->PasteFrom(-1, 1, *clipStream, TAudioStream::PasteInsert);
    const std::vector<std::int32_t> got = Levels(*doc, 0);
    ASSERT_EQ(got.size(), 503U);
    EXPECT_EQ(got[500], 1000 * 65536);
    EXPECT_EQ(got[501], 2 * 65536);
    EXPECT_EQ(got[502], 3 * 65536);
}

TEST_F(EditTest, GapSamplesTheConversionLeavesOpenBecomeSilence) {
    // 2 samples at 32 kHz into 44.1 kHz: a gap of round(2.756) = 3, but only 2 samples
    // written; the third must not keep the shifted tail's bytes.
    auto clipStream = MakeStream(1, 16, 32000, {{100 * 65536, 200 * 65536}});
    auto doc = MakeStream(1, 16, 44100, {{7 * 65536, 8 * 65536, 9 * 65536, 10 * 65536}});
    doc->PasteFrom(0, 1, *clipStream, TAudioStream::PasteInsert);
    const std::vector<std::int32_t> got = Levels(*doc, 0);
    EXPECT_EQ(got, (std::vector<std::int32_t>{7 * 65536, 100 * 65536, 200 * 65536, 0, 8 * 65536,
                                              9 * 65536, 10 * 65536}));
}

// Small values keep their level through the 32-bit scale both ways, so these tests see the
// arithmetic itself.
TEST_F(EditTest, MixModeHalvesBothTowardZero) {
    ASSERT_EQ(Levels(*MakeStream(1, 32, 44100, {{-1001}}), 0)[0], -1001);
    auto clipStream = MakeStream(1, 32, 44100, {{1000, 1001, -1001, 7}});
    auto doc = MakeStream(1, 32, 44100, {{-3, -5, 5, 0, 9}});
    doc->PasteFrom(-1, 0, *clipStream, TAudioStream::PasteMix);
    EXPECT_EQ(StoredValues(*doc, 0), (std::vector<std::int32_t>{499, 498, -498, 3, 9}));
    ExpectProgressFinished(4);
}

TEST_F(EditTest, MixingSaturatesInsteadOfWrapping) {
    auto loud = MakeStream(1, 32, 44100, {{MaxLevel, -MaxLevel, MaxLevel, -MaxLevel}});
    auto doc = MakeStream(1, 32, 44100, {{MaxLevel, -MaxLevel, 5, -5}});
    const std::vector<std::int32_t> before = Levels(*doc, 0);
    const std::vector<std::int32_t> source = Levels(*loud, 0);
    doc->MixFrom(-1, 0, *loud, 1);
    const std::vector<std::int32_t> got = Levels(*doc, 0);
    const std::vector<std::int32_t> expected = {Saturated(std::int64_t{source[0]} + before[0]),
                                                Saturated(std::int64_t{source[1]} + before[1]),
                                                Saturated(std::int64_t{source[2]} + before[2]),
                                                Saturated(std::int64_t{source[3]} + before[3])};
    ASSERT_GT(std::int64_t{source[0]} + before[0], MaxLevel);
    EXPECT_EQ(StoredValues(*doc, 0)[0], LevelToStored(MaxLevel, 4));
    EXPECT_EQ(StoredValues(*doc, 0)[1], LevelToStored(-MaxLevel, 4));
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(StoredValues(*doc, 0)[i], LevelToStored(expected[i], 4)) << i;
    }
    // Full-scale halves meet at full scale and stay there.
    auto doc2 = MakeStream(1, 16, 44100, {{-MaxLevel, MaxLevel}});
    auto src2 = MakeStream(1, 16, 44100, {{-MaxLevel, MaxLevel}});
    doc2->PasteFrom(-1, 0, *src2, TAudioStream::PasteMix);
    EXPECT_EQ(StoredValues(*doc2, 0), (std::vector<std::int32_t>{-32766, 32766}));
}

TEST_F(EditTest, ReplaceModeExtendsTheChannel) {
    auto clipStream = MakeStream(1, 16, 44100, {{65536, 2 * 65536, 3 * 65536}});
    auto doc = MakeStream(1, 16, 44100, {{9 * 65536, 9 * 65536}});
    doc->PasteFrom(-1, 1, *clipStream, TAudioStream::PasteReplace);
    EXPECT_EQ(Levels(*doc, 0), (std::vector<std::int32_t>{9 * 65536, 65536, 2 * 65536, 3 * 65536}));
}

TEST_F(EditTest, MonoClipFeedsEverySelectedChannelAndExtraClipChannelsAreIgnored) {
    auto mono = MakeStream(1, 16, 44100, {{65536, 2 * 65536}});
    auto doc = MakeStream(2, 16, 44100, {{0, 0, 0}, {0, 0, 0}});
    doc->PasteFrom(-1, 1, *mono, TAudioStream::PasteReplace);
    EXPECT_EQ(Levels(*doc, 0), (std::vector<std::int32_t>{0, 65536, 2 * 65536}));
    EXPECT_EQ(Levels(*doc, 1), (std::vector<std::int32_t>{0, 65536, 2 * 65536}));

    auto stereo = MakeStream(2, 16, 44100, {{5 * 65536}, {6 * 65536}});
    doc->PasteFrom(0, 0, *stereo, TAudioStream::PasteReplace);
    EXPECT_EQ(Levels(*doc, 0)[0], 5 * 65536);
    EXPECT_EQ(Levels(*doc, 1)[0], 0);
    // One selected channel takes the clip's first channel, whichever it is.
    doc->PasteFrom(1, 2, *stereo, TAudioStream::PasteReplace);
    EXPECT_EQ(Levels(*doc, 1)[2], 5 * 65536);
}

TEST_F(EditTest, PasteRefusesItselfUnknownModesAndMissingChannels) {
    auto doc = MakeStream(2, 16, 44100, {{1, 2}, {3, 4}});
    auto clip = MakeStream(1, 16, 44100, {{1}});
    EXPECT_THROW(doc->PasteFrom(-1, 0, *doc, TAudioStream::PasteInsert), std::invalid_argument);
    EXPECT_THROW(doc->PasteFrom(-1, 0, *clip, 3), std::invalid_argument);
    EXPECT_THROW(doc->PasteFrom(2, 0, *clip, TAudioStream::PasteInsert), std::out_of_range);
    EXPECT_EQ(doc->GetLength(), 2U);
}

// --- MixFrom

TEST_F(EditTest, MixFromDividesTheSourceTowardZero) {
    auto src = MakeStream(1, 32, 44100, {{-7, 7, -2}});
    auto doc = MakeStream(1, 32, 44100, {{10, 10, 10}});
    doc->MixFrom(-1, 0, *src, 3);
    EXPECT_EQ(StoredValues(*doc, 0), (std::vector<std::int32_t>{8, 12, 10}));
}

TEST_F(EditTest, MixFromGrowsTheDestinationAndRefusesADivisorOfZero) {
    auto src = MakeStream(1, 32, 22050, {{400, 600}});
    auto doc = MakeStream(1, 32, 44100, {{100}});
    EXPECT_THROW(doc->MixFrom(-1, 0, *src, 0), std::invalid_argument);
    EXPECT_EQ(StoredValues(*doc, 0), std::vector<std::int32_t>{100});
    doc->MixFrom(-1, 0, *src, 2);
    EXPECT_EQ(StoredValues(*doc, 0), (std::vector<std::int32_t>{300, 200, 300, 300}));
    ExpectProgressFinished(2);
}

// --- The block-wise conversion against the per-sample steps, across window borders.

struct TConversionCase {
    std::uint32_t SourceRate;
    int Mode;     // 0..2 PasteFrom, or -1 for MixFrom
    int Channel;  // of the three-channel document
    int Divisor;
};

class ConversionAgainstSteps : public TStreamTest,
                               public ::testing::WithParamInterface<TConversionCase> {};

TEST_P(ConversionAgainstSteps, MatchesThePerSampleSteps) {
    const TConversionCase p = GetParam();
    // The clip alone is longer than a window; the output crosses the document's window border.
    const std::uint32_t docLength = WindowSamples16 + 40000;
    const std::uint32_t clipLength = WindowSamples16 + 5001;
    const std::vector<std::vector<std::int32_t>> docData = {RandomLevels(docLength, 10),
                                                            RandomLevels(docLength - 333, 11),
                                                            RandomLevels(docLength, 12)};
    auto clip = MakeStream(2, 16, p.SourceRate,
                           {RandomLevels(clipLength, 13), RandomLevels(clipLength - 7, 14)});
    auto blocks = MakeStream(3, 16, 44100, docData);
    auto steps = MakeStream(3, 16, 44100, docData);
    const std::uint32_t start = WindowSamples16 - 60001;  // odd, crossing the window border
    if (p.Mode >= 0) {
        blocks->PasteFrom(p.Channel, start, *clip, static_cast<std::uint8_t>(p.Mode));
        ReferencePasteOrMix(*steps, p.Channel, start, *clip, p.Mode, 0);
    } else {
        blocks->MixFrom(p.Channel, start, *clip, static_cast<std::uint8_t>(p.Divisor));
        ReferencePasteOrMix(*steps, p.Channel, start, *clip, 0, p.Divisor);
    }
    ExpectSameChannels(*blocks, *steps);
}

INSTANTIATE_TEST_SUITE_P(
    Rates, ConversionAgainstSteps,
    ::testing::Values(TConversionCase{22050, 0, -1, 0}, TConversionCase{48000, 1, 1, 0},
                      TConversionCase{32000, 2, -1, 0}, TConversionCase{88200, 0, 2, 0},
                      TConversionCase{44100, 2, 0, 0}, TConversionCase{8000, 1, -1, 0},
                      TConversionCase{192000, 0, -1, 0}, TConversionCase{11025, -1, -1, 3},
                      TConversionCase{96000, -1, 1, 1}, TConversionCase{44100, -1, -1, 2}));

// --- DeleteFragment, InsertSilence, Erase

TEST_F(EditTest, DeleteFragmentReachingPastTheEndRemovesOnlyWhatIsThere) {
    auto doc = MakeStream(2, 16, 44100, {{1, 2, 3, 4, 5}, {1, 2, 3, 4, 5, 6, 7}});
    doc->DeleteFragment(-1, 3, 100);
    EXPECT_EQ(ChannelLength(*doc, 0), 3U);
    EXPECT_EQ(ChannelLength(*doc, 1), 3U);
    doc->DeleteFragment(0, 10, 5);  // beyond the end: nothing
    EXPECT_EQ(ChannelLength(*doc, 0), 3U);
}

TEST_F(EditTest, DeleteFragmentOfOneChannelAcrossWindowBorders) {
    const std::uint32_t length = 2 * WindowSamples16 + 1001;
    const std::vector<std::int32_t> c0 = RandomLevels(length, 20);
    const std::vector<std::int32_t> c1 = RandomLevels(length, 21);
    auto doc = MakeStream(2, 16, 44100, {c0, c1});
    const std::vector<std::int32_t> before0 = Levels(*doc, 0);
    const std::vector<std::int32_t> before1 = Levels(*doc, 1);
    const std::uint32_t start = 300001;
    const std::uint32_t count = WindowSamples16 + 77;
    doc->DeleteFragment(1, start, count);
    EXPECT_TRUE(Levels(*doc, 0) == before0);
    std::vector<std::int32_t> expected = before1;
    expected.erase(expected.begin() + start, expected.begin() + start + count);
    EXPECT_TRUE(Levels(*doc, 1) == expected);
    EXPECT_FALSE(Processing.load());
}

TEST_F(EditTest, InsertSilenceIntoOneChannelLengthensOnlyThatChannel) {
    auto doc = MakeStream(2, 16, 44100, {{65536, 2 * 65536, 3 * 65536}, {4 * 65536, 5 * 65536}});
    doc->InsertSilence(1, 1, 100);
    EXPECT_EQ(Levels(*doc, 0), (std::vector<std::int32_t>{65536, 2 * 65536, 3 * 65536}));
    const std::vector<std::int32_t> got = Levels(*doc, 1);
    ASSERT_EQ(got.size(), 102U);
    EXPECT_EQ(got[0], 4 * 65536);
    EXPECT_TRUE(
        std::all_of(got.begin() + 1, got.begin() + 101, [](std::int32_t v) { return v == 0; }));
    EXPECT_EQ(got[101], 5 * 65536);
    EXPECT_EQ(doc->GetLength(), 102U);
    ExpectProgressFinished(100);
}

TEST_F(EditTest, InsertSilenceAcrossWindowBordersKeepsTheTail) {
    const std::uint32_t length = WindowSamples16 + 12345;
    auto doc = MakeStream(
        3, 24, 44100, {RandomLevels(length, 30), RandomLevels(length, 31), RandomLevels(9, 32)});
    const std::vector<std::vector<std::int32_t>> before = {Levels(*doc, 0), Levels(*doc, 1),
                                                           Levels(*doc, 2)};
    const std::uint32_t start = 99999;
    const std::uint32_t count = WindowSamples16 + 3;
    doc->InsertSilence(-1, start, count);
    for (std::uint16_t c = 0; c < 2; ++c) {
        std::vector<std::int32_t> expected = before[c];
        expected.insert(expected.begin() + start, count, 0);
        EXPECT_TRUE(Levels(*doc, c) == expected) << c;
    }
    // A channel shorter than the start grows up to it with silence.
    EXPECT_EQ(ChannelLength(*doc, 2), start + count);
    std::vector<std::int32_t> expected2 = before[2];
    expected2.resize(start + count, 0);
    EXPECT_TRUE(Levels(*doc, 2) == expected2);
    ExpectProgressFinished(count);
}

TEST_F(EditTest, EraseSilencesWithoutChangingTheLength) {
    const std::uint32_t length = WindowSamples16 + 500;
    auto doc = MakeStream(2, 16, 44100, {RandomLevels(length, 40), RandomLevels(length, 41)});
    const std::vector<std::int32_t> before0 = Levels(*doc, 0);
    std::vector<std::int32_t> expected1 = Levels(*doc, 1);
    const std::uint32_t start = 3;
    const std::uint32_t count = length - 10;
    doc->Erase(1, start, count);
    std::fill(expected1.begin() + start, expected1.begin() + start + count, 0);
    EXPECT_TRUE(Levels(*doc, 0) == before0);
    EXPECT_TRUE(Levels(*doc, 1) == expected1);
    EXPECT_EQ(doc->GetLength(), length);
    ExpectProgressFinished(count);
}

TEST_F(EditTest, FragmentOperationsRefuseMissingChannelsAndWrappingSpans) {
    auto doc = MakeStream(2, 16, 44100, {{1, 2}, {3, 4}});
    EXPECT_THROW(doc->DeleteFragment(2, 0, 1), std::out_of_range);
    EXPECT_THROW(doc->InsertSilence(5, 0, 1), std::out_of_range);
    EXPECT_THROW(doc->Erase(-3, 0, 1), std::out_of_range);
    EXPECT_THROW(doc->InsertSilence(-1, UINT32_MAX, 2), std::logic_error);
    EXPECT_THROW(doc->Erase(-1, UINT32_MAX - 1, 3), std::invalid_argument);
    EXPECT_EQ(doc->GetLength(), 2U);
}

}  // namespace
}  // namespace sonavel
