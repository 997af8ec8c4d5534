#include "core/PlaybackEngine.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "core/PlaybackBuffers.h"
#include "core/TransportControl.h"
#include "core/TransportThreads.h"
#include "platform/MemoryAudioDevice.h"
#include "support/TempFolder.h"
#include "support/TransportTestUtil.h"

namespace sonavel {
namespace {

using test::DeviceSampleAt;
using test::StoreValues;

class PlaybackTest : public test::TStreamTest {
  protected:
    PlaybackTest() {
        PlayDevice = 0;
        RecordDevice = 0;
    }

    void Use(TMemoryDeviceOptions options) {
        Devices = std::make_shared<TMemoryAudioSystem>(std::move(options));
        Engine = std::make_unique<TPlaybackEngine>(
            Devices, [this](const TEngineMessage& message) { Messages.push_back(message); });
        Engine->SetLanguage("ENG");
    }

    std::shared_ptr<TMemoryAudioSystem> Devices;
    std::unique_ptr<TPlaybackEngine> Engine;
    std::vector<TEngineMessage> Messages;
};

// i * 7919 mod modulus, shifted by offset: with a positive offset never 0, so silence cannot
// pass for sound.
std::vector<std::int32_t> Pattern(std::size_t count, std::int32_t modulus, std::int32_t offset) {
    std::vector<std::int32_t> values(count);
    for (std::size_t i = 0; i < count; ++i) {
        values[i] = static_cast<std::int32_t>(i * 7919 % modulus) + offset;
    }
    return values;
}

class StoredValuesTest : public PlaybackTest, public ::testing::WithParamInterface<int> {};

TEST_P(StoredValuesTest, PlaybackSendsTheStoredValuesUnchanged) {
    const int bits = GetParam();
    Use({});
    TAudioStream stream(1, static_cast<std::uint16_t>(bits), 44100);
    const std::int64_t half = stream.ValueRange / 2;
    std::vector<std::int32_t> values;
    if (bits <= 16) {
        for (std::int64_t v = -half; v < half; ++v) {  // every value of the width
            values.push_back(static_cast<std::int32_t>(v));
        }
    } else {
        const std::vector<std::int64_t> edges{
            -half, -half + 1,    -half / 2 - 1, -half / 2,    -1,       0,
            1,     half / 2 - 1, half / 2,      half / 2 + 1, half - 2, half - 1};
        for (const std::int64_t v : edges) {
            values.push_back(static_cast<std::int32_t>(v));
        }
        for (std::int64_t v = -half + 12345; v < half; v += half / 5000) {
            values.push_back(static_cast<std::int32_t>(v));
        }
    }
    StoreValues(stream, 0, values);

    Engine->PlayStream(stream, -1, static_cast<std::uint32_t>(values.size() - 1));

    const std::vector<std::uint8_t> played = Devices->PlayedBytes();
    ASSERT_GE(played.size(), values.size() * stream.BytesPerSample);
    for (std::size_t i = 0; i < values.size(); ++i) {
        ASSERT_EQ(DeviceSampleAt(played, i, 0, 1, stream.BytesPerSample), values[i])
            << "sample " << i;
    }
    EXPECT_EQ(stream.Position.load(), 0U);
    EXPECT_EQ(stream.PlayState.load(), TTransportState::Stopped);
    EXPECT_TRUE(Messages.empty());
}

INSTANTIATE_TEST_SUITE_P(Widths, StoredValuesTest, ::testing::Values(8, 12, 16, 24, 32));

TEST_F(PlaybackTest, EightBitSamplesGoOutUnsigned) {
    Use({});
    TAudioStream stream(1, 8, 8000);
    StoreValues(stream, 0, {-128, -1, 0, 1, 127});
    Engine->PlayStream(stream, -1, 4);
    const std::vector<std::uint8_t> played = Devices->PlayedBytes();
    ASSERT_GE(played.size(), 6U);
    EXPECT_EQ(std::vector<std::uint8_t>(played.begin(), played.begin() + 6),
              (std::vector<std::uint8_t>{0, 127, 128, 129, 255, 128}));
}

TEST_F(PlaybackTest, OneChannelOfAStereoStreamSendsSilenceInTheOtherSlots) {
    Use({});
    TAudioStream stream(2, 16, 44100);
    const std::vector<std::int32_t> left = Pattern(30000, 30000, 1);
    const std::vector<std::int32_t> right = Pattern(30000, 20000, -32000);
    StoreValues(stream, 0, left);
    StoreValues(stream, 1, right);

    Engine->PlayStream(stream, 1, 29999);

    const std::vector<std::uint8_t> played = Devices->PlayedBytes();
    const std::size_t frames = played.size() / 4;
    ASSERT_GE(frames, 30000U);
    for (std::size_t i = 0; i < frames; ++i) {
        ASSERT_EQ(DeviceSampleAt(played, i, 0, 2, 2), 0) << "frame " << i;
        if (i < 30000) {
            ASSERT_EQ(DeviceSampleAt(played, i, 1, 2, 2), right[i]) << "frame " << i;
        }
    }
}

TEST_F(PlaybackTest, SilenceOfEightBitDevicesIs128) {
    Use({});
    TAudioStream stream(2, 8, 8000);
    StoreValues(stream, 0, {10, 20, 30});
    StoreValues(stream, 1, {-10, -20, -30});
    Engine->PlayStream(stream, 0, 2);
    const std::vector<std::uint8_t> played = Devices->PlayedBytes();
    ASSERT_EQ(played.size(), PlayBufferBytes);
    EXPECT_EQ(played[0], 138);
    EXPECT_EQ(played[1], 128);  // the channel not heard
    EXPECT_EQ(played[4], 158);
    EXPECT_EQ(played[5], 128);
    for (std::size_t i = 6; i < played.size(); ++i) {
        ASSERT_EQ(played[i], 128) << "byte " << i << " past the end position";
    }
}

TEST_F(PlaybackTest, FramesAfterTheEndPositionAreSilentAndPositionReturnsToTheStart) {
    Use({});
    TAudioStream stream(1, 16, 44100);
    const std::vector<std::int32_t> values = Pattern(40000, 30000, 1);
    StoreValues(stream, 0, values);
    stream.Position = 1000;

    Engine->PlayStream(stream, -1, 20000);

    const std::vector<std::uint8_t> played = Devices->PlayedBytes();
    // 1000..20000 fit into two buffers of 12,288 frames.
    ASSERT_EQ(played.size(), 2 * std::size_t{PlayBufferBytes});
    for (std::size_t i = 0; i < played.size() / 2; ++i) {
        const std::size_t position = 1000 + i;
        const std::int32_t expected = position <= 20000 ? values[position] : 0;
        ASSERT_EQ(DeviceSampleAt(played, i, 0, 1, 2), expected) << "position " << position;
    }
    EXPECT_EQ(stream.Position.load(), 1000U);
}

TEST_F(PlaybackTest, FillingStopsPositionOnePastTheEndPosition) {
    TAudioStream stream(1, 16, 44100);
    StoreValues(stream, 0, Pattern(100, 1000, 1));
    stream.Position = 90;
    TPlayFiller filler(stream, -1, 94);
    TDeviceBuffer buffer = MakeDeviceBuffer(stream, PlayBufferBytes);

    filler.Fill(buffer);
    EXPECT_EQ(stream.Position.load(), 95U);
    EXPECT_NE(DeviceSampleAt(buffer.Data, 4, 0, 1, 2), 0);
    EXPECT_EQ(DeviceSampleAt(buffer.Data, 5, 0, 1, 2), 0);

    filler.Fill(buffer);  // nothing left before the end: all silence, Position stays
    EXPECT_EQ(stream.Position.load(), 95U);
    EXPECT_EQ(std::count(buffer.Data.begin(), buffer.Data.end(), 0),
              static_cast<std::ptrdiff_t>(buffer.Length));
}

TEST_F(PlaybackTest, PlaysToTheStreamEndWhenTheEndPositionLiesBeyond) {
    Use({});
    TAudioStream stream(1, 16, 44100);
    const std::vector<std::int32_t> values = Pattern(100, 1000, 1);
    StoreValues(stream, 0, values);
    stream.Position = 10;

    Engine->PlayStream(stream, -1, UINT32_MAX);

    const std::vector<std::uint8_t> played = Devices->PlayedBytes();
    ASSERT_EQ(played.size(), std::size_t{PlayBufferBytes});
    for (std::size_t i = 0; i < played.size() / 2; ++i) {
        const std::int32_t expected = 10 + i < 100 ? values[10 + i] : 0;
        ASSERT_EQ(DeviceSampleAt(played, i, 0, 1, 2), expected) << "frame " << i;
    }
    EXPECT_EQ(stream.Position.load(), 10U);
}

struct TFrameShape {
    std::uint16_t Channels;
    std::uint16_t Bits;
};

class FrameShapeTest : public PlaybackTest, public ::testing::WithParamInterface<TFrameShape> {};

TEST_P(FrameShapeTest, FramesThatDoNotDivideTheBufferStayWholeAndInOrder) {
    const auto [channels, bits] = GetParam();
    Use({});
    TAudioStream stream(channels, bits, 44100);
    const unsigned bps = stream.BytesPerSample;
    const std::uint32_t frameBytes = bps * channels;
    ASSERT_NE(PlayBufferBytes % frameBytes, 0U);
    constexpr std::uint32_t Length = 5000;
    std::vector<std::vector<std::int32_t>> values;
    for (std::uint16_t c = 0; c < channels; ++c) {
        const auto modulus =
            static_cast<std::int32_t>(std::min<std::int64_t>(stream.ValueRange - 1 - c, 60000 + c));
        values.push_back(Pattern(Length, modulus, -modulus / 2));
        StoreValues(stream, c, values.back());
    }

    Engine->PlayStream(stream, -1, Length - 1);

    for (const std::uint32_t length : Devices->PlayedBufferLengths()) {
        EXPECT_EQ(length, PlayBufferBytes / frameBytes * frameBytes);
    }
    const std::vector<std::uint8_t> played = Devices->PlayedBytes();
    ASSERT_GE(played.size(), std::size_t{Length} * frameBytes);
    for (std::uint32_t i = 0; i < Length; ++i) {
        for (std::uint16_t c = 0; c < channels; ++c) {
            ASSERT_EQ(DeviceSampleAt(played, i, c, channels, bps), values[c][i])
                << "frame " << i << " channel " << c;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Shapes, FrameShapeTest,
                         ::testing::Values(TFrameShape{5, 24}, TFrameShape{7, 16},
                                           TFrameShape{5, 8}, TFrameShape{3, 24}));

struct TRefusalCase {
    const char* Language;
    const char* Caption;
    const char* PlayText;
    const char* RecordText;
};

class RefusedFormatTest : public PlaybackTest,
                          public ::testing::WithParamInterface<TRefusalCase> {};

TEST_P(RefusedFormatTest, ReportsTheMessageInTheEngineLanguageAndEndsStopped) {
    const TRefusalCase& expected = GetParam();
    TMemoryDeviceOptions options;
    options.Accepts = [](const TPcmFormat& format) {
        return format.BitsPerSample != 24 && format.Channels != 5;
    };
    Use(options);
    Engine->SetLanguage(expected.Language);

    TAudioStream deep(2, 24, 44100);
    StoreValues(deep, 0, {1, 2, 3});
    deep.Position = 1;
    deep.PlayState = TTransportState::Starting2;
    Engine->PlayStream(deep, -1, 2);
    EXPECT_EQ(deep.PlayState.load(), TTransportState::Stopped);
    EXPECT_EQ(deep.Position.load(), 1U);

    TAudioStream wide(5, 16, 44100);
    wide.RecordState = TTransportState::Starting2;
    Engine->RecordStream(wide, -1);
    EXPECT_EQ(wide.RecordState.load(), TTransportState::Stopped);
    EXPECT_EQ(wide.GetLength(), 0U);

    EXPECT_TRUE(Devices->PlayedBytes().empty());
    if (expected.Caption == nullptr) {
        EXPECT_TRUE(Messages.empty());
        return;
    }
    ASSERT_EQ(Messages.size(), 2U);
    EXPECT_EQ(Messages[0].Caption, expected.Caption);
    EXPECT_EQ(Messages[0].Text, expected.PlayText);
    EXPECT_EQ(Messages[1].Caption, expected.Caption);
    EXPECT_EQ(Messages[1].Text, expected.RecordText);
}

INSTANTIATE_TEST_SUITE_P(
    Languages, RefusedFormatTest,
    ::testing::Values(
        TRefusalCase{"RUS", "Ошибка!",
                     "Выбранное аудиоустройство не может проиграть файл с текущими параметрами",
                     "Выбранное аудиоустройство не может произвести запись с текущими "
                     "параметрами"},
        TRefusalCase{"ENG", "Error!",
                     "Audiodevice cannot play file with the current characteristics",
                     "Audiodevice cannot record file with the current characteristics"},
        TRefusalCase{"DEU", nullptr, nullptr, nullptr},
        TRefusalCase{"rus", nullptr, nullptr, nullptr}));

TEST_F(PlaybackTest, OpensTheChosenDeviceAndRefusesAMissingOne) {
    TMemoryDeviceOptions options;
    options.OutputNames = {"first", "second"};
    Use(options);
    TAudioStream stream(1, 16, 44100);
    StoreValues(stream, 0, {5, 6});

    PlayDevice = 1;
    Engine->PlayStream(stream, -1, 1);
    PlayDevice = -1;
    Engine->PlayStream(stream, -1, 1);
    PlayDevice = 2;
    Engine->PlayStream(stream, -1, 1);

    const std::vector<TMemoryAudioSystem::TOpening> openings = Devices->Openings();
    ASSERT_EQ(openings.size(), 3U);
    EXPECT_EQ(openings[0].Device, 1);
    EXPECT_EQ(openings[0].Format, (TPcmFormat{1, 44100, 16, 2}));
    EXPECT_EQ(openings[0].Format.AvgBytesPerSec(), 88200U);
    EXPECT_EQ(openings[1].Device, -1);
    EXPECT_FALSE(openings[2].Accepted);
    ASSERT_EQ(Messages.size(), 1U);
    EXPECT_EQ(Messages[0].Text, "Audiodevice cannot play file with the current characteristics");
}

TEST_F(PlaybackTest, DeviceNumbersAndListsFollowTheDevicesPresent) {
    TMemoryDeviceOptions options;
    options.OutputNames = {"speakers", "headphones"};
    options.InputNames = {};
    Use(options);
    InitDeviceNumbers(*Devices);
    EXPECT_EQ(PlayDevice.load(), 0);
    EXPECT_EQ(RecordDevice.load(), -1);

    PlayDevice = 1;
    const TDeviceList outputs = PlayDeviceList(*Devices);
    EXPECT_EQ(outputs.Names, (std::vector<std::string>{"speakers", "headphones"}));
    EXPECT_EQ(outputs.Selected, 1);
    PlayDevice = 7;  // a stale number from the settings selects nothing
    EXPECT_EQ(PlayDeviceList(*Devices).Selected, -1);
    const TDeviceList inputs = RecordDeviceList(*Devices);
    EXPECT_TRUE(inputs.Names.empty());
    EXPECT_EQ(inputs.Selected, -1);
}

TEST_F(PlaybackTest, LanguageMayChangeWhileOtherThreadsReport) {
    TMemoryDeviceOptions options;
    options.Accepts = [](const TPcmFormat&) { return false; };
    Use(options);
    TAudioStream stream(1, 16, 44100);
    std::thread changer([this] {
        for (int i = 0; i < 200; ++i) {
            Engine->SetLanguage(i % 2 == 0 ? "RUS" : "ENG");
        }
    });
    for (int i = 0; i < 50; ++i) {
        Engine->PlayStream(stream, -1, 0);
    }
    changer.join();
    ASSERT_EQ(Messages.size(), 50U);
    for (const TEngineMessage& message : Messages) {
        EXPECT_TRUE(message.Caption == "Error!" || message.Caption == "Ошибка!");
    }
}

}  // namespace
}  // namespace sonavel
