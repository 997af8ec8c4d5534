#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <vector>

#include "core/PlaybackBuffers.h"
#include "core/PlaybackEngine.h"
#include "core/TransportControl.h"
#include "core/TransportThreads.h"
#include "platform/MemoryAudioDevice.h"
#include "support/TempFolder.h"
#include "support/TransportTestUtil.h"
#include "support/WaitUntil.h"

namespace sonavel {
namespace {

using test::AppendDeviceSample;
using test::StoredValues;
using test::StoreValues;

class RecordTest : public test::TStreamTest {
  protected:
    RecordTest() { RecordDevice = 0; }

    // Input devices deliver `input`, then fill bytes, one buffer every 2 ms.
    void Use(std::vector<std::uint8_t> input, std::uint8_t fill) {
        TMemoryDeviceOptions options;
        options.InputBytes = std::move(input);
        options.InputFill = fill;
        options.BufferPace = std::chrono::milliseconds(2);
        Devices = std::make_shared<TMemoryAudioSystem>(std::move(options));
        Engine = std::make_unique<TPlaybackEngine>(
            Devices, [this](const TEngineMessage& message) { Messages.push_back(message); });
        Engine->SetLanguage("ENG");
    }

    // Runs a recording the way the timer starts it and stops it once `frames` frames have
    // arrived after the cursor.
    void RecordAtLeast(TAudioStream& stream, int channel, std::uint32_t cursor,
                       std::uint32_t frames) {
        stream.Position = cursor;
        ASSERT_TRUE(RequestStart(stream.RecordState));
        ASSERT_TRUE(TakeStartRequest(stream.RecordState));
        TRecordThread thread(*Engine, stream, {channel, cursor}, {});
        ASSERT_TRUE(test::WaitUntil([&] { return stream.Position.load() >= cursor + frames; }));
        RequestStop(stream.RecordState);
        thread.Join();
        EXPECT_EQ(stream.RecordState.load(), TTransportState::Stopped);
        EXPECT_TRUE(Messages.empty());
    }

    std::shared_ptr<TMemoryAudioSystem> Devices;
    std::unique_ptr<TPlaybackEngine> Engine;
    std::vector<TEngineMessage> Messages;
};

class RecordScaleTest : public RecordTest, public ::testing::WithParamInterface<int> {};

// Device values come back as they were, except the most negative one, which the recording
// scale maps to -MaxLevel and so to one step above.
TEST_P(RecordScaleTest, DeviceValuesAreStoredUnchangedButTheMostNegative) {
    const int bits = GetParam();
    const std::int64_t half = std::int64_t{1} << (8 * ((bits + 7) / 8) - 1);
    const unsigned bps = (bits + 7) / 8;
    std::vector<std::int32_t> values;
    if (bits <= 16) {
        for (std::int64_t v = -half; v < half; ++v) {
            values.push_back(static_cast<std::int32_t>(v));
        }
    } else {
        const std::vector<std::int64_t> edges{-half, -half + 1, -half / 2, -1,
                                              0,     1,         half / 2,  half - 1};
        for (const std::int64_t v : edges) {
            values.push_back(static_cast<std::int32_t>(v));
        }
        for (std::int64_t v = -half + 777; v < half; v += half / 3000) {
            values.push_back(static_cast<std::int32_t>(v));
        }
    }
    std::vector<std::uint8_t> input;
    for (const std::int32_t v : values) {
        AppendDeviceSample(input, v, bps);
    }
    Use(input, bps == 1 ? 128 : 0);
    TAudioStream stream(1, static_cast<std::uint16_t>(bits), 44100);

    RecordAtLeast(stream, -1, 0, static_cast<std::uint32_t>(values.size()));

    const std::vector<std::int32_t> stored =
        StoredValues(stream, 0, 0, static_cast<std::uint32_t>(values.size()));
    for (std::size_t i = 0; i < values.size(); ++i) {
        const std::int32_t expected = values[i] == -half ? values[i] + 1 : values[i];
        ASSERT_EQ(stored[i], expected) << "device value " << values[i];
    }
}

INSTANTIATE_TEST_SUITE_P(Widths, RecordScaleTest, ::testing::Values(8, 16, 24, 32));

TEST_F(RecordTest, EightBitDeviceBytes) {
    Use({128, 255, 0, 1, 127, 129, 200}, 128);
    TAudioStream stream(1, 8, 8000);
    RecordAtLeast(stream, -1, 0, 7);
    EXPECT_EQ(StoredValues(stream, 0, 0, 7),
              (std::vector<std::int32_t>{0, 127, -127, -127, -1, 1, 72}));
}

TEST_F(RecordTest, SixteenBitDeviceValues) {
    std::vector<std::uint8_t> input;
    for (const std::int32_t v : {32767, -32768, -32767, -200, 0}) {
        AppendDeviceSample(input, v, 2);
    }
    Use(input, 0);
    TAudioStream stream(1, 16, 44100);
    RecordAtLeast(stream, -1, 0, 5);
    EXPECT_EQ(StoredValues(stream, 0, 0, 5),
              (std::vector<std::int32_t>{32767, -32767, -32767, -200, 0}));
}

TEST_F(RecordTest, OneChosenChannelIsWrittenAndTheOthersKept) {
    Use({}, 0x40);  // every device sample 0x4040 = 16448
    TAudioStream stream(2, 16, 44100);
    const std::vector<std::int32_t> kept{-5, 6, -7, 8, -9};
    StoreValues(stream, 0, kept);

    RecordAtLeast(stream, 1, 0, 30000);

    const std::uint32_t recorded = stream.Position.load();
    EXPECT_EQ(recorded % FramesPerBuffer(RecordBufferBytes, 4), 0U) << "whole buffers only";
    EXPECT_EQ(StoredValues(stream, 0, 0, 5), kept);
    EXPECT_EQ(stream.ChannelFiles[0]->Size(), kept.size() * 2);  // not extended
    const std::vector<std::int32_t> written = StoredValues(stream, 1, 0, recorded);
    EXPECT_EQ(std::count(written.begin(), written.end(), 16448),
              static_cast<std::ptrdiff_t>(recorded));
    EXPECT_EQ(stream.GetLength(), recorded);
    EXPECT_EQ(stream.Levels[0].load(), 0);
    EXPECT_EQ(stream.Levels[1].load(), static_cast<std::int32_t>(16448LL * MaxLevel / 32767));
}

TEST_F(RecordTest, LevelsHoldThePeakOfEveryRecordedChannel) {
    Use({}, 0xC0);  // every device sample 0xC0C0 = -16192
    TAudioStream stream(3, 16, 44100);
    stream.Levels[5] = 77;  // a stale level from before is cleared
    RecordAtLeast(stream, -1, 0, 1);
    const std::int32_t expected = static_cast<std::int32_t>(16192LL * MaxLevel / 32767);
    for (int c = 0; c < 3; ++c) {
        EXPECT_EQ(stream.Levels[c].load(), expected) << "channel " << c;
    }
    EXPECT_EQ(stream.Levels[5].load(), 0);
}

TEST_F(RecordTest, RecordsAtTheCursorOverwritingAndExtending) {
    std::vector<std::uint8_t> input;
    for (std::int32_t v = 100; v < 120; ++v) {
        AppendDeviceSample(input, v, 2);
    }
    Use(input, 0);
    TAudioStream stream(1, 16, 44100);
    StoreValues(stream, 0, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10});

    RecordAtLeast(stream, -1, 5, 20);

    EXPECT_EQ(StoredValues(stream, 0, 0, 7), (std::vector<std::int32_t>{1, 2, 3, 4, 5, 100, 101}));
    EXPECT_EQ(StoredValues(stream, 0, 24, 1), std::vector<std::int32_t>{119});
    EXPECT_EQ(stream.GetLength(), stream.Position.load());
}

struct TShape {
    std::uint16_t Channels;
    std::uint16_t Bits;
};

class RecordFrameShapeTest : public RecordTest, public ::testing::WithParamInterface<TShape> {};

TEST_P(RecordFrameShapeTest, FramesThatDoNotDivideTheBufferArriveWholeAndInOrder) {
    const auto [channels, bits] = GetParam();
    const unsigned bps = (bits + 7) / 8;
    ASSERT_NE(RecordBufferBytes % (bps * channels), 0U);
    constexpr std::uint32_t Frames = 7000;  // more than two buffers
    const std::int64_t half = std::int64_t{1} << (8 * bps - 1);
    std::vector<std::vector<std::int32_t>> values(channels);
    std::vector<std::uint8_t> input;
    for (std::uint32_t i = 0; i < Frames; ++i) {
        for (std::uint16_t c = 0; c < channels; ++c) {
            const auto v = static_cast<std::int32_t>(
                (std::int64_t{i} * 104729 + std::int64_t{c} * 7) % (2 * half - 1) - (half - 1));
            values[c].push_back(v);
            AppendDeviceSample(input, v, bps);
        }
    }
    Use(input, 0);
    TAudioStream stream(channels, bits, 44100);

    RecordAtLeast(stream, -1, 0, Frames);

    for (std::uint16_t c = 0; c < channels; ++c) {
        EXPECT_EQ(StoredValues(stream, c, 0, Frames), values[c]) << "channel " << c;
    }
}

INSTANTIATE_TEST_SUITE_P(Shapes, RecordFrameShapeTest,
                         ::testing::Values(TShape{5, 24}, TShape{7, 16}, TShape{5, 8}));

TEST_F(RecordTest, MoreThan128ChannelsAreRefused) {
    Use({}, 0);
    TAudioStream stream(129, 8, 8000);
    stream.RecordState = TTransportState::Starting2;
    Engine->RecordStream(stream, -1);
    EXPECT_EQ(stream.RecordState.load(), TTransportState::Stopped);
    ASSERT_EQ(Messages.size(), 1U);
    EXPECT_EQ(Messages[0].Text, "Audiodevice cannot record file with the current characteristics");
    EXPECT_TRUE(Devices->Openings().empty());
}

TEST_F(RecordTest, AChannelOutsideTheStreamIsAnErrorAndEndsStopped) {
    Use({}, 0);
    TAudioStream stream(2, 16, 44100);
    stream.RecordState = TTransportState::Starting2;
    EXPECT_THROW(Engine->RecordStream(stream, 2), std::out_of_range);
    EXPECT_EQ(stream.RecordState.load(), TTransportState::Stopped);
    EXPECT_EQ(stream.GetLength(), 0U);
}

}  // namespace
}  // namespace sonavel
