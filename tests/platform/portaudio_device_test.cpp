#include "platform/PortAudioDevice.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <numeric>

#include "support/AlsaFileDevice.h"
#include "support/TempFolder.h"

namespace sonavel {
namespace {

using namespace std::chrono_literals;

// PortAudio on ALSA's file and null plugins: no sound card needed.
class PortAudioDeviceTest : public ::testing::Test {
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
        try {
            Devices = std::make_unique<TPortAudioSystem>();
        } catch (const TAudioDeviceError& error) {
            GTEST_SKIP() << "PortAudio does not start on this machine: " << error.what();
        }
        if (Devices->OutputDeviceNames().empty() || Devices->InputDeviceNames().empty()) {
            GTEST_SKIP() << "PortAudio finds no sound device on this machine (no ALSA?)";
        }
    }

    static bool WaitDone(const TDeviceBuffer& buffer, TDeviceEvent& event) {
        const auto deadline = std::chrono::steady_clock::now() + 10s;
        while (!buffer.Done.load()) {
            if (!event.WaitUntil(deadline)) {
                return buffer.Done.load();
            }
        }
        return true;
    }

    static std::vector<std::uint8_t> Counting(std::size_t count, std::uint8_t from) {
        std::vector<std::uint8_t> bytes(count);
        std::iota(bytes.begin(), bytes.end(), from);
        return bytes;
    }

    static inline std::unique_ptr<test::TTempFolder> Folder;
    static inline std::unique_ptr<test::TAlsaFileDevice> Alsa;
    std::unique_ptr<TPortAudioSystem> Devices;
};

TEST_F(PortAudioDeviceTest, ListsTheDefaultDeviceFirst) {
    EXPECT_NE(Devices->OutputDeviceNames().front().find("default"), std::string::npos)
        << Devices->OutputDeviceNames().front();
    EXPECT_NE(Devices->InputDeviceNames().front().find("default"), std::string::npos);
}

class PortAudioPlayTest : public PortAudioDeviceTest,
                          public ::testing::WithParamInterface<TPcmFormat> {};

TEST_P(PortAudioPlayTest, PlayedBytesReachTheDeviceInOrder) {
    const TPcmFormat format = GetParam();
    TDeviceEvent event;
    const std::uint32_t frame = format.BlockAlign();
    TDeviceBuffer first(3000 * frame);
    TDeviceBuffer second(1000 * frame);
    first.Data = Counting(first.Length, 1);
    second.Data = Counting(second.Length, 7);
    {
        auto output = Devices->OpenOutput(-1, format, event);
        ASSERT_TRUE(event.WaitFor(1s)) << "the open notification";
        output->Write(first);
        output->Write(second);
        ASSERT_TRUE(WaitDone(second, event));
        EXPECT_TRUE(first.Done.load());
    }
    std::vector<std::uint8_t> expected = first.Data;
    expected.insert(expected.end(), second.Data.begin(), second.Data.end());
    EXPECT_EQ(Alsa->Played(), expected);
}

INSTANTIATE_TEST_SUITE_P(Formats, PortAudioPlayTest,
                         ::testing::Values(TPcmFormat{2, 44100, 16, 2}, TPcmFormat{1, 8000, 8, 1},
                                           TPcmFormat{5, 48000, 24, 3},
                                           TPcmFormat{2, 96000, 32, 4}));

TEST_F(PortAudioDeviceTest, RecordingReadsTheDeviceInOrder) {
    const TPcmFormat format{2, 44100, 16, 2};
    const std::vector<std::uint8_t> input = Counting(std::size_t{5000} * 4, 3);
    Alsa->SetRecordInput(input);
    TDeviceEvent event;
    TDeviceBuffer first(3000 * 4);
    TDeviceBuffer second(2000 * 4);
    auto device = Devices->OpenInput(0, format, event);
    ASSERT_TRUE(event.WaitFor(1s));
    device->Start();
    device->AddBuffer(first);
    device->AddBuffer(second);
    ASSERT_TRUE(WaitDone(second, event));
    device->Reset();
    EXPECT_EQ(first.BytesRecorded, first.Length);
    EXPECT_EQ(second.BytesRecorded, second.Length);
    std::vector<std::uint8_t> recorded = first.Data;
    recorded.insert(recorded.end(), second.Data.begin(), second.Data.end());
    EXPECT_EQ(recorded, input);
}

TEST_F(PortAudioDeviceTest, RefusesMissingDevicesAndImpossibleFormats) {
    TDeviceEvent event;
    const auto outputs = static_cast<int>(Devices->OutputDeviceNames().size());
    EXPECT_THROW(Devices->OpenOutput(outputs, {2, 44100, 16, 2}, event), TAudioDeviceError);
    EXPECT_THROW(Devices->OpenOutput(-2, {2, 44100, 16, 2}, event), TAudioDeviceError);
    EXPECT_THROW(Devices->OpenOutput(0, {0, 44100, 16, 2}, event), TAudioDeviceError);
    EXPECT_THROW(Devices->OpenOutput(0, {1000, 44100, 16, 2}, event), TAudioDeviceError);
    EXPECT_THROW(Devices->OpenInput(0, {2, 0, 16, 2}, event), TAudioDeviceError);
}

TEST_F(PortAudioDeviceTest, ClosingWithBuffersQueuedReturnsThemDone) {
    TDeviceEvent event;
    TDeviceBuffer buffer(4 * 44100);
    {
        auto device = Devices->OpenInput(0, {2, 44100, 16, 2}, event);
        device->AddBuffer(buffer);  // never started: nothing fills it
        EXPECT_FALSE(buffer.Done.load());
    }
    EXPECT_TRUE(buffer.Done.load());
}

}  // namespace
}  // namespace sonavel
