#include "core/AudioStream.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <random>

#include "core/TempPath.h"
#include "support/TempFolder.h"

namespace sonavel {
namespace {

using test::TStreamTest;
using StreamTest = TStreamTest;

void StoreRaw16(TAudioStream& s, std::uint16_t channel, std::uint32_t index, std::int16_t v) {
    const std::uint8_t bytes[2] = {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8)};
    s.WriteStored(channel, index, 1, bytes);
}

std::int16_t LoadRaw16(TAudioStream& s, std::uint16_t channel, std::uint32_t index) {
    std::uint8_t bytes[2];
    s.ReadStored(channel, index, 1, bytes);
    return static_cast<std::int16_t>(bytes[0] | bytes[1] << 8);
}

TEST_F(StreamTest, ChannelFilesAreNumberedFromTheSmallestFreeName) {
    auto first = std::make_unique<TAudioStream>(2, 16, 44100);
    EXPECT_EQ(ChannelFiles(), (std::vector<std::string>{"0.chl", "1.chl"}));
    EXPECT_EQ(first->ChannelFileNames[0], ChannelFile("0.chl"));
    TAudioStream second(2, 16, 44100);
    EXPECT_EQ(second.ChannelFileNames[0], ChannelFile("2.chl"));
    EXPECT_EQ(second.ChannelFileNames[1], ChannelFile("3.chl"));
    first.reset();
    EXPECT_EQ(ChannelFiles(), (std::vector<std::string>{"2.chl", "3.chl"}));
    second.AddChannel();
    EXPECT_EQ(second.ChannelFileNames[2], ChannelFile("0.chl"));
    EXPECT_EQ(second.ChannelCount, 3);
}

TEST_F(StreamTest, CreateSetsFormatAndStoppedStates) {
    TAudioStream s(3, 24, 48000);
    EXPECT_EQ(s.ChannelCount, 3);
    EXPECT_EQ(s.SampleRate, 48000U);
    EXPECT_EQ(s.BytesPerSample, 3);
    EXPECT_EQ(s.ValueRange, 16777216);
    EXPECT_EQ(s.Position.load(), 0U);
    EXPECT_EQ(s.PlayState.load(), TTransportState::Stopped);
    EXPECT_STREQ(StateWord(s.RecordState.load()), "stopped");
    EXPECT_EQ(s.GetLength(), 0U);
}

TEST_F(StreamTest, SampleFormatFollowsBitsPerSample) {
    TAudioStream s(0, 16, 44100);
    const struct {
        std::uint16_t Bits;
        std::uint16_t Bytes;
        std::int64_t Range;
    } cases[] = {{1, 1, 256},    {8, 1, 256},       {9, 2, 65536},      {12, 2, 65536},
                 {16, 2, 65536}, {24, 3, 16777216}, {32, 4, 4294967296}};
    for (const auto& c : cases) {
        s.BitsPerSample = c.Bits;
        s.UpdateSampleFormat();
        EXPECT_EQ(s.BytesPerSample, c.Bytes) << c.Bits;
        EXPECT_EQ(s.ValueRange, c.Range) << c.Bits;
    }
    for (std::uint16_t bad : {0, 33}) {
        s.BitsPerSample = bad;
        EXPECT_THROW(s.UpdateSampleFormat(), std::invalid_argument) << bad;
    }
}

TEST_F(StreamTest, SixteenBitScaleExamples) {
    TAudioStream s(1, 16, 44100);
    StoreRaw16(s, 0, 0, 32767);
    StoreRaw16(s, 0, 1, -32768);
    StoreRaw16(s, 0, 2, -200);
    StoreRaw16(s, 0, 3, 0);
    std::int32_t v = 0;
    s.ReadSample(0, 0, v);
    EXPECT_EQ(v, 2147418111);
    s.ReadSample(0, 1, v);
    EXPECT_EQ(v, -2147483647);
    s.ReadSample(0, 2, v);
    EXPECT_EQ(v, -13107200);
    s.WriteSample(0, 2, v);
    EXPECT_EQ(LoadRaw16(s, 0, 2), -200);
    s.ReadSample(0, 3, v);
    EXPECT_EQ(v, 0);
    s.WriteSample(0, 4, MaxLevel);
    EXPECT_EQ(LoadRaw16(s, 0, 4), 32767);
    s.WriteSample(0, 5, INT32_MIN);
    EXPECT_EQ(LoadRaw16(s, 0, 5), -32767);
}

TEST_F(StreamTest, LengthIsTheLongestChannelAndShortChannelsReadZero) {
    TAudioStream s(2, 16, 44100);
    for (std::uint32_t i = 0; i < 10; ++i) {
        s.WriteSample(0, i, 1000000);
    }
    for (std::uint32_t i = 0; i < 12; ++i) {
        s.WriteSample(1, i, 1000000);
    }
    EXPECT_EQ(s.GetLength(), 12U);
    std::int32_t v = 7;
    s.ReadSample(0, 11, v);
    EXPECT_EQ(v, 0);
}

TEST_F(StreamTest, WritingPastTheEndLeavesAZeroGap) {
    TAudioStream s(1, 24, 44100);
    s.WriteSample(0, 1000, MaxLevel);
    EXPECT_EQ(s.GetLength(), 1001U);
    std::int32_t v = 7;
    s.ReadSample(0, 500, v);
    EXPECT_EQ(v, 0);
}

TEST_F(StreamTest, DeletingAMiddleChannelKeepsTheOthersInOrder) {
    TAudioStream s(3, 16, 44100);
    for (std::uint16_t c = 0; c < 3; ++c) {
        s.WriteSample(c, 0, (c + 1) * 65536);
    }
    const auto names = s.ChannelFileNames;
    s.DeleteChannel(1);
    ASSERT_EQ(s.ChannelCount, 2);
    EXPECT_EQ(s.ChannelFileNames, (std::vector<std::string>{names[0], names[2]}));
    std::int32_t v = 0;
    s.ReadSample(1, 0, v);
    EXPECT_EQ(v, 3 * 65536);
    EXPECT_EQ(ChannelFiles(), (std::vector<std::string>{"0.chl", "2.chl"}));
    EXPECT_THROW(s.DeleteChannel(2), std::out_of_range);
}

TEST_F(StreamTest, DestroyingRemovesEveryChannelFile) {
    {
        TAudioStream s(4, 8, 8000);
        s.WriteSample(3, 100000, 5);
        EXPECT_EQ(ChannelFiles().size(), 4U);
    }
    EXPECT_TRUE(ChannelFiles().empty());
}

TEST_F(StreamTest, AMissingTempFolderIsAnErrorNotALoop) {
    SetTempPath(Temp.File("gone"));
    EXPECT_THROW(TAudioStream(1, 16, 44100), TFileError);
    SetTempPath(Temp.Path());
}

// The run accessors must give exactly what the single-sample calls give, at every width,
// across window borders and from odd positions.
TEST_F(StreamTest, RunsMatchSingleSamplesAcrossWindowBorders) {
    std::mt19937 random(7);
    for (std::uint16_t bits : {8, 12, 16, 24, 32}) {
        TAudioStream runs(1, bits, 44100);
        TAudioStream singles(1, bits, 44100);
        const std::uint32_t count = 3 * WindowSize / runs.BytesPerSample / 2 + 12345;
        std::vector<std::int32_t> values(count);
        for (auto& v : values) {
            v = static_cast<std::int32_t>(random());
        }
        const std::uint32_t start = 333;
        runs.WriteSamples(0, start, count, values.data());
        for (std::uint32_t i = 0; i < count; i += 97) {
            singles.WriteSample(0, start + i, values[i]);
        }
        std::vector<std::int32_t> back(count);
        runs.ReadSamples(0, start, count, back.data());
        for (std::uint32_t i = 0; i < count; i += 97) {
            std::int32_t fromRuns = 0;
            std::int32_t fromSingles = 0;
            runs.ReadSample(0, start + i, fromRuns);
            singles.ReadSample(0, start + i, fromSingles);
            ASSERT_EQ(fromRuns, fromSingles) << bits << " bits at " << i;
            ASSERT_EQ(back[i], fromRuns) << bits << " bits at " << i;
        }
        // Stored bytes come back as they went in.
        std::vector<std::uint8_t> stored(static_cast<std::size_t>(count) * runs.BytesPerSample);
        runs.ReadStored(0, start, count, stored.data());
        TAudioStream copy(1, bits, 44100);
        copy.WriteStored(0, start, count, stored.data());
        std::vector<std::int32_t> copied(count);
        copy.ReadSamples(0, start, count, copied.data());
        ASSERT_EQ(copied, back) << bits;
    }
}

TEST_F(StreamTest, EverySixteenBitStoredValueReadsAtItsLevel) {
    TAudioStream s(1, 16, 44100);
    std::vector<std::uint8_t> bytes(2 * 65536);
    for (std::uint32_t raw = 0; raw < 65536; ++raw) {
        bytes[2 * raw] = static_cast<std::uint8_t>(raw);
        bytes[2 * raw + 1] = static_cast<std::uint8_t>(raw >> 8);
    }
    s.WriteStored(0, 0, 65536, bytes.data());
    std::vector<std::int32_t> levels(65536);
    s.ReadSamples(0, 0, 65536, levels.data());
    for (std::uint32_t raw = 0; raw < 65536; ++raw) {
        ASSERT_EQ(levels[raw], StoredToLevel(SignExtend(raw, 2), 2)) << raw;
    }
    EXPECT_EQ(levels[0x7FFF], 2147418111);
    EXPECT_EQ(levels[0x8000], -2147483647);
}

TEST(TempPathTest, ComesFromTempThenTmpdirThenSlashTmp) {
    const std::string saved = TempPath();
    const char* oldTemp = std::getenv("TEMP");
    const char* oldTmpdir = std::getenv("TMPDIR");
    const std::string keepTemp = oldTemp ? oldTemp : "";
    const std::string keepTmpdir = oldTmpdir ? oldTmpdir : "";

    ::setenv("TEMP", "/a/b", 1);
    ::setenv("TMPDIR", "/c/", 1);
    EXPECT_EQ(DefaultTempPath(), "/a/b/");
    ::unsetenv("TEMP");
    EXPECT_EQ(DefaultTempPath(), "/c/");
    ::unsetenv("TMPDIR");
    EXPECT_EQ(DefaultTempPath(), "/tmp/");
    SetTempPath("/x/y");
    EXPECT_EQ(TempPath(), "/x/y/");

    SetTempPath(saved);
    oldTemp ? ::setenv("TEMP", keepTemp.c_str(), 1) : ::unsetenv("TEMP");
    oldTmpdir ? ::setenv("TMPDIR", keepTmpdir.c_str(), 1) : ::unsetenv("TMPDIR");
}

}  // namespace
}  // namespace sonavel
