#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <memory>
#include <stdexcept>
#include <vector>

#include "core/AudioStream.h"
#include "core/StreamSamples.h"
#include "platform/FileError.h"
#include "support/TempFolder.h"

namespace sonavel {
namespace {

using test::ChannelLength;
using test::ExpectProgressFinished;
using test::Fill;
using test::Levels;
using test::RandomBytes;
using test::Stored;
using test::StoredValues;
using test::TStreamTest;
using ConversionTest = TStreamTest;

std::unique_ptr<TAudioStream> MakeStream(std::uint16_t channels, std::uint16_t bits,
                                         std::uint32_t rate,
                                         const std::vector<std::vector<std::int32_t>>& data) {
    auto s = std::make_unique<TAudioStream>(channels, bits, rate);
    for (std::size_t c = 0; c < data.size(); ++c) {
        Fill(*s, static_cast<std::uint16_t>(c), data[c]);
    }
    return s;
}

// Random stored bytes in every channel, lengths differing.
std::unique_ptr<TAudioStream> RandomStream(std::uint16_t bits,
                                           const std::vector<std::uint32_t>& lengths,
                                           unsigned seed) {
    auto s =
        std::make_unique<TAudioStream>(static_cast<std::uint16_t>(lengths.size()), bits, 44100);
    for (std::size_t c = 0; c < lengths.size(); ++c) {
        const std::vector<std::uint8_t> bytes =
            RandomBytes(static_cast<std::size_t>(lengths[c]) * s->BytesPerSample,
                        seed + static_cast<unsigned>(c));
        s->WriteStored(static_cast<std::uint16_t>(c), 0, lengths[c], bytes.data());
    }
    return s;
}

// ChangeBits sample by sample in the order the steps give, switching the format fields for
// every read and write.
void ReferenceChangeBits(TAudioStream& s, std::uint16_t newBits) {
    const std::uint16_t oldBits = s.BitsPerSample;
    const std::uint16_t oldBytes = s.BytesPerSample;
    s.BitsPerSample = newBits;
    s.UpdateSampleFormat();
    const std::uint16_t newBytes = s.BytesPerSample;
    const auto use = [&s](std::uint16_t bits) {
        s.BitsPerSample = bits;
        s.UpdateSampleFormat();
    };
    use(oldBits);
    const std::uint32_t n = s.GetLength();
    if (n == 0 || newBytes == oldBytes) {
        use(newBits);
        return;
    }
    for (std::uint32_t step = 0; step < n; ++step) {
        const std::uint32_t i = newBytes < oldBytes ? step : n - 1 - step;
        for (std::uint16_t c = 0; c < s.ChannelCount; ++c) {
            use(oldBits);
            std::int32_t v = 0;
            s.ReadSample(c, i, v);
            use(newBits);
            s.WriteSample(c, i, v);
        }
    }
    use(newBits);
    for (auto& file : s.ChannelFiles) {
        const std::uint64_t end = std::uint64_t{n} * newBytes;
        if (file->Size() > end) {
            file->DeleteBytes(end, file->Size() - end);
        }
    }
}

TEST_F(ConversionTest, WideningSixteenToTwentyFourGrowsFilesByHalf) {
    auto s = MakeStream(2, 16, 44100, {{}, {}});
    const std::vector<std::int32_t> stored16 = {0, 1, -1, 32767, -32768, -200, 12345};
    for (std::uint16_t c = 0; c < 2; ++c) {
        for (std::uint32_t i = 0; i < stored16.size(); ++i) {
            const std::uint8_t b[2] = {static_cast<std::uint8_t>(stored16[i]),
                                       static_cast<std::uint8_t>(stored16[i] >> 8)};
            s->WriteStored(c, i, 1, b);
        }
    }
    s->ChangeBits(24);
    EXPECT_EQ(s->BitsPerSample, 24);
    EXPECT_EQ(s->BytesPerSample, 3);
    EXPECT_EQ(s->ValueRange, 16777216);
    EXPECT_EQ(s->GetLength(), 7U);
    EXPECT_EQ(s->ChannelFiles[1]->Size(), 21U);
    std::vector<std::int32_t> expected;
    expected.reserve(stored16.size());
    for (const std::int32_t v : stored16) {
        expected.push_back(LevelToStored(StoredToLevel(v, 2), 3));
    }
    EXPECT_EQ(StoredValues(*s, 0), expected);
    EXPECT_EQ(StoredValues(*s, 1)[3], 8388351);  // 32,767 x 256 - 1: the scales differ by a step
    ExpectProgressFinished(7);
}

TEST_F(ConversionTest, NarrowingShrinksFilesAndRoundsThroughTheScale) {
    auto s = MakeStream(1, 24, 44100, {});
    const std::vector<std::int32_t> stored24 = {0, 8388607, -8388608, 128, 127, -129, 4000000};
    for (std::uint32_t i = 0; i < stored24.size(); ++i) {
        const std::uint8_t b[3] = {static_cast<std::uint8_t>(stored24[i]),
                                   static_cast<std::uint8_t>(stored24[i] >> 8),
                                   static_cast<std::uint8_t>(stored24[i] >> 16)};
        s->WriteStored(0, i, 1, b);
    }
    s->ChangeBits(16);
    EXPECT_EQ(s->ChannelFiles[0]->Size(), 14U);
    std::vector<std::int32_t> expected;
    expected.reserve(stored24.size());
    for (const std::int32_t v : stored24) {
        expected.push_back(LevelToStored(StoredToLevel(v, 3), 2));
    }
    EXPECT_EQ(StoredValues(*s, 0), expected);
    EXPECT_EQ(StoredValues(*s, 0)[1], 32767);
    // 16 to 8 bits: round(s x MaxLevel / 32,768) written as round(v x 127 / MaxLevel).
    s->ChangeBits(8);
    EXPECT_EQ(s->ChannelFiles[0]->Size(), 7U);
    EXPECT_EQ(StoredValues(*s, 0)[1], 127);
    EXPECT_EQ(StoredValues(*s, 0)[2], -127);
}

TEST_F(ConversionTest, SameStoredWidthChangesOnlyTheFields) {
    auto s = RandomStream(16, {1000, 999}, 1);
    const std::vector<std::uint8_t> before = Stored(*s, 0);
    s->ChangeBits(12);
    EXPECT_EQ(s->BitsPerSample, 12);
    EXPECT_EQ(s->BytesPerSample, 2);
    EXPECT_EQ(Stored(*s, 0), before);
    s->ChangeBits(16);
    EXPECT_EQ(s->BitsPerSample, 16);
    EXPECT_EQ(Stored(*s, 0), before);
    EXPECT_EQ(ChannelLength(*s, 1), 999U);
}

TEST_F(ConversionTest, EmptyStreamChangesOnlyTheFields) {
    TAudioStream s(2, 16, 44100);
    s.ChangeBits(32);
    EXPECT_EQ(s.BitsPerSample, 32);
    EXPECT_EQ(s.BytesPerSample, 4);
    EXPECT_EQ(s.GetLength(), 0U);
    EXPECT_EQ(s.ChannelFiles[0]->Size(), 0U);
}

TEST_F(ConversionTest, BadWidthsAreRefusedAndLeaveTheStreamAlone) {
    auto s = RandomStream(16, {10}, 2);
    const std::vector<std::uint8_t> before = Stored(*s, 0);
    EXPECT_THROW(s->ChangeBits(0), std::invalid_argument);
    EXPECT_THROW(s->ChangeBits(33), std::invalid_argument);
    EXPECT_EQ(s->BitsPerSample, 16);
    EXPECT_EQ(s->BytesPerSample, 2);
    EXPECT_EQ(Stored(*s, 0), before);
}

TEST_F(ConversionTest, AFullDiskLeavesEveryChannelAtItsOldWidth) {
    auto s = RandomStream(16, {60000, 50000}, 4);
    for (auto& f : s->ChannelFiles) {
        f->Flush();
    }
    const std::vector<std::uint8_t> left = Stored(*s, 0);
    const std::vector<std::uint8_t> right = Stored(*s, 1);
    const std::vector<std::string> files = ChannelFiles();
    // Room for the 16-bit channels but not for a 32-bit one.
    rlimit saved{};
    ::getrlimit(RLIMIT_FSIZE, &saved);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 150000;
    ::setrlimit(RLIMIT_FSIZE, &small);
    EXPECT_THROW(s->ChangeBits(32), TFileError);
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_EQ(s->BitsPerSample, 16);
    EXPECT_EQ(s->BytesPerSample, 2);
    EXPECT_TRUE(Stored(*s, 0) == left);
    EXPECT_TRUE(Stored(*s, 1) == right);
    EXPECT_EQ(ChannelFiles(), files);  // the partial new files are gone
    s->ChangeBits(24);                 // and the stream still converts
    EXPECT_EQ(s->ChannelFiles[0]->Size(), 180000U);
}

class ChangeBitsAgainstSteps
    : public TStreamTest,
      public ::testing::WithParamInterface<std::pair<std::uint16_t, std::uint16_t>> {};

TEST_P(ChangeBitsAgainstSteps, MatchesThePerSampleStepsAcrossWindowBorders) {
    const auto [from, to] = GetParam();
    // Past the 1 MiB window at both widths; the channels differ in length, so the shorter
    // one is filled up to the common length.
    const std::vector<std::uint32_t> lengths = {1100001, 1050000};
    auto blocks = RandomStream(from, lengths, 3);
    auto steps = RandomStream(from, lengths, 3);
    blocks->ChangeBits(static_cast<std::uint8_t>(to));
    ReferenceChangeBits(*steps, to);
    EXPECT_EQ(blocks->BitsPerSample, to);
    EXPECT_EQ(blocks->GetLength(), lengths[0]);
    for (std::uint16_t c = 0; c < 2; ++c) {
        EXPECT_EQ(blocks->ChannelFiles[c]->Size(), steps->ChannelFiles[c]->Size());
        EXPECT_TRUE(Stored(*blocks, c) == Stored(*steps, c)) << "channel " << c;
    }
    EXPECT_FALSE(Processing.load());
}

INSTANTIATE_TEST_SUITE_P(Widths, ChangeBitsAgainstSteps,
                         ::testing::Values(std::pair<std::uint16_t, std::uint16_t>{16, 24},
                                           std::pair<std::uint16_t, std::uint16_t>{8, 32},
                                           std::pair<std::uint16_t, std::uint16_t>{32, 8},
                                           std::pair<std::uint16_t, std::uint16_t>{24, 12}));

// --- ChangeSampleRate

TEST_F(ConversionTest, HalvingTheRateKeepsEverySecondSample) {
    std::vector<std::int32_t> ramp(10);
    for (std::int32_t i = 0; i < 10; ++i) {
        ramp[i] = i * 10 * 65536;
    }
    auto s = MakeStream(2, 16, 44100, {ramp, ramp});
    s->ChangeSampleRate(22050);
    EXPECT_EQ(s->SampleRate, 22050U);
    EXPECT_EQ(s->GetLength(), 5U);
    const std::vector<std::int32_t> expected = {ramp[0], ramp[2], ramp[4], ramp[6], ramp[8]};
    EXPECT_EQ(Levels(*s, 0), expected);
    EXPECT_EQ(Levels(*s, 1), expected);
}

TEST_F(ConversionTest, DoublingTheRateInterpolatesBetweenSamples) {
    auto s = MakeStream(1, 32, 22050, {{0, 100, 200, 300}});
    s->ChangeSampleRate(44100);
    EXPECT_EQ(s->SampleRate, 44100U);
    // Each sample is preceded by the midpoint from its predecessor; the last step runs to the
    // silence behind the end.
    EXPECT_EQ(StoredValues(*s, 0),
              (std::vector<std::int32_t>{50, 100, 150, 200, 250, 300, 150, 0}));
}

TEST_F(ConversionTest, EmptyStreamChangesOnlyTheRateAndZeroIsRefused) {
    TAudioStream s(2, 16, 44100);
    s.ChangeSampleRate(8000);
    EXPECT_EQ(s.SampleRate, 8000U);
    EXPECT_EQ(s.GetLength(), 0U);
    EXPECT_THROW(s.ChangeSampleRate(0), std::invalid_argument);
    EXPECT_EQ(s.SampleRate, 8000U);
}

}  // namespace
}  // namespace sonavel
