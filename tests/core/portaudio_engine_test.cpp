#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "core/PlaybackEngine.h"
#include "core/TransportControl.h"
#include "core/TransportThreads.h"
#include "platform/PortAudioDevice.h"
#include "support/AlsaFileDevice.h"
#include "support/TempFolder.h"
#include "support/TransportTestUtil.h"
#include "support/WaitUntil.h"

namespace sonavel {
namespace {

// Playback and recording through PortAudio and ALSA, whose default device is a file: what
// is played lands in one file, what is recorded comes from another.
class PortAudioEngineTest : public test::TStreamTest {
  protected:
    static void SetUpTestSuite() {
        Folder = std::make_unique<test::TTempFolder>();
        Alsa = std::make_unique<test::TAlsaFileDevice>(Folder->Path());
    }
    static void TearDownTestSuite() {
        Alsa.reset();
        Folder.reset();
    }

    void SetUp() override {
        std::shared_ptr<TPortAudioSystem> devices;
        try {
            devices = std::make_shared<TPortAudioSystem>();
        } catch (const TAudioDeviceError& error) {
            GTEST_SKIP() << "PortAudio does not start on this machine: " << error.what();
        }
        if (devices->OutputDeviceNames().empty() || devices->InputDeviceNames().empty()) {
            GTEST_SKIP() << "PortAudio finds no sound device on this machine (no ALSA?)";
        }
        InitDeviceNumbers(*devices);
        Engine = std::make_unique<TPlaybackEngine>(
            devices, [this](const TEngineMessage& message) { Messages.push_back(message); });
        Engine->SetLanguage("ENG");
    }

    static inline std::unique_ptr<test::TTempFolder> Folder;
    static inline std::unique_ptr<test::TAlsaFileDevice> Alsa;
    std::unique_ptr<TPlaybackEngine> Engine;
    std::vector<TEngineMessage> Messages;
};

TEST_F(PortAudioEngineTest, PlayingAStreamSendsItsFramesToTheDevice) {
    TAudioStream stream(2, 16, 44100);
    constexpr std::uint32_t Length = 30000;  // over two buffers
    std::vector<std::int32_t> left(Length);
    std::vector<std::int32_t> right(Length);
    for (std::uint32_t i = 0; i < Length; ++i) {
        left[i] = static_cast<std::int32_t>(i % 65536) - 32768;
        right[i] = 32767 - static_cast<std::int32_t>(i * 3 % 65536);
    }
    test::StoreValues(stream, 0, left);
    test::StoreValues(stream, 1, right);

    Engine->PlayStream(stream, -1, Length - 1);

    ASSERT_TRUE(Messages.empty());
    const std::vector<std::uint8_t> played = Alsa->Played();
    ASSERT_GE(played.size(), std::size_t{Length} * 4);
    for (std::uint32_t i = 0; i < Length; ++i) {
        ASSERT_EQ(test::DeviceSampleAt(played, i, 0, 2, 2), left[i]) << "frame " << i;
        ASSERT_EQ(test::DeviceSampleAt(played, i, 1, 2, 2), right[i]) << "frame " << i;
    }
    for (std::size_t i = std::size_t{Length} * 4; i < played.size(); ++i) {
        ASSERT_EQ(played[i], 0) << "silence after the end position";
    }
    EXPECT_EQ(stream.Position.load(), 0U);
    EXPECT_EQ(stream.PlayState.load(), TTransportState::Stopped);
}

TEST_F(PortAudioEngineTest, RecordingStoresWhatTheDeviceDelivers) {
    constexpr std::uint32_t Frames = 20000;
    std::vector<std::uint8_t> input;
    std::vector<std::int32_t> expected(Frames);
    for (std::uint32_t i = 0; i < Frames; ++i) {
        expected[i] = static_cast<std::int32_t>(i * 7 % 60000) - 30000;
        test::AppendDeviceSample(input, expected[i], 2);
    }
    Alsa->SetRecordInput(input);
    TAudioStream stream(1, 16, 44100);
    ASSERT_TRUE(RequestStart(stream.RecordState));
    ASSERT_TRUE(TakeStartRequest(stream.RecordState));
    {
        TRecordThread thread(*Engine, stream, {-1, 0}, {});
        ASSERT_TRUE(test::WaitUntil([&] { return stream.Position.load() >= Frames; }));
    }  // the document closes: the recording stops
    EXPECT_EQ(stream.RecordState.load(), TTransportState::Stopped);
    ASSERT_TRUE(Messages.empty());
    EXPECT_EQ(test::StoredValues(stream, 0, 0, Frames), expected);
}

TEST_F(PortAudioEngineTest, AFormatTheDeviceCannotTakeIsReported) {
    TAudioStream stream(1, 16, 44100);
    test::StoreValues(stream, 0, {1, 2, 3});
    PlayDevice = static_cast<int>(Engine->Devices().OutputDeviceNames().size());  // none such
    Engine->PlayStream(stream, -1, 2);
    ASSERT_EQ(Messages.size(), 1U);
    EXPECT_EQ(Messages[0].Text, "Audiodevice cannot play file with the current characteristics");
    EXPECT_EQ(stream.PlayState.load(), TTransportState::Stopped);
}

}  // namespace
}  // namespace sonavel
