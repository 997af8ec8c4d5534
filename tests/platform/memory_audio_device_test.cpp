#include "platform/MemoryAudioDevice.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <thread>
#include <vector>

#include "platform/DeviceEvent.h"

namespace sonavel {
namespace {

using namespace std::chrono_literals;

const TPcmFormat Stereo16{2, 44100, 16, 2};

void FillWith(TDeviceBuffer& buffer, std::uint8_t value) {
    std::fill(buffer.Data.begin(), buffer.Data.end(), value);
}

bool WaitDone(const TDeviceBuffer& buffer, TDeviceEvent& event) {
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while (!buffer.Done.load()) {
        if (!event.WaitUntil(deadline)) {
            return buffer.Done.load();
        }
    }
    return true;
}

TEST(DeviceEvent, IsAutoResetAndCollapsesSignals) {
    TDeviceEvent event;
    EXPECT_FALSE(event.WaitFor(1ms));
    event.Signal();
    event.Signal();
    EXPECT_TRUE(event.WaitFor(1ms));
    EXPECT_FALSE(event.WaitFor(1ms)) << "the first wait consumed both signals";

    std::atomic<bool> signalled{false};
    std::thread signaller([&] {
        signalled = true;
        event.Signal();
    });
    event.Wait();
    EXPECT_TRUE(signalled.load()) << "the wait ended before the signal";
    signaller.join();
}

TEST(MemoryOutput, PlaysBuffersInOrderAndMarksThemDone) {
    TMemoryAudioSystem devices;
    TDeviceEvent event;
    auto output = devices.OpenOutput(0, Stereo16, event);
    EXPECT_TRUE(event.WaitFor(1s)) << "the open notification";

    TDeviceBuffer first(8);
    TDeviceBuffer second(4);
    FillWith(first, 1);
    FillWith(second, 2);
    output->Write(first);
    output->Write(second);
    ASSERT_TRUE(WaitDone(second, event));
    EXPECT_TRUE(first.Done.load());

    EXPECT_EQ(devices.PlayedBytes(),
              (std::vector<std::uint8_t>{1, 1, 1, 1, 1, 1, 1, 1, 2, 2, 2, 2}));
    EXPECT_EQ(devices.PlayedBufferLengths(), (std::vector<std::uint32_t>{8, 4}));
}

TEST(MemoryOutput, ResetTakesBackWhatHasNotBeenPlayed) {
    TMemoryDeviceOptions options;
    options.BufferPace = 10s;  // nothing finishes by itself
    TMemoryAudioSystem devices(options);
    TDeviceEvent event;
    auto output = devices.OpenOutput(0, Stereo16, event);
    TDeviceBuffer first(4);
    TDeviceBuffer second(4);
    output->Write(first);
    output->Write(second);
    EXPECT_FALSE(first.Done.load());

    const auto before = std::chrono::steady_clock::now();
    output->Reset();
    EXPECT_LT(std::chrono::steady_clock::now() - before, 5s);
    EXPECT_TRUE(first.Done.load());
    EXPECT_TRUE(second.Done.load());
    EXPECT_TRUE(devices.PlayedBytes().empty());

    // The device goes on playing after a reset.
    TDeviceBuffer third(4);
    output->Write(third);
    EXPECT_FALSE(third.Done.load());
    output.reset();  // closing takes it back too, promptly
    EXPECT_TRUE(third.Done.load());
}

TEST(MemoryOutput, RealTimePaceTakesTheBuffersPlayTime) {
    TMemoryDeviceOptions options;
    options.RealTime = true;
    TMemoryAudioSystem devices(options);
    TDeviceEvent event;
    auto output = devices.OpenOutput(0, {1, 8000, 8, 1}, event);
    TDeviceBuffer buffer(400);  // 50 ms at 8,000 bytes a second
    const auto before = std::chrono::steady_clock::now();
    output->Write(buffer);
    ASSERT_TRUE(WaitDone(buffer, event));
    EXPECT_GE(std::chrono::steady_clock::now() - before, 45ms);
}

TEST(MemoryInput, DeliversTheGivenBytesThenTheFillAcrossRecordings) {
    TMemoryDeviceOptions options;
    options.InputBytes = {1, 2, 3, 4, 5, 6};
    options.InputFill = 9;
    TMemoryAudioSystem devices(options);
    TDeviceEvent event;
    {
        auto input = devices.OpenInput(0, {1, 8000, 8, 1}, event);
        TDeviceBuffer buffer(4);
        EXPECT_TRUE(event.WaitFor(1s)) << "the open notification";
        input->AddBuffer(buffer);
        // A recorded buffer would signal the event at once and end this wait early.
        EXPECT_FALSE(event.WaitFor(20ms)) << "nothing is recorded before Start";
        EXPECT_FALSE(buffer.Done.load());
        input->Start();
        ASSERT_TRUE(WaitDone(buffer, event));
        EXPECT_EQ(buffer.BytesRecorded, 4U);
        EXPECT_EQ(buffer.Data, (std::vector<std::uint8_t>{1, 2, 3, 4}));
    }
    auto input = devices.OpenInput(-1, {1, 8000, 8, 1}, event);
    input->Start();
    TDeviceBuffer buffer(4);
    input->AddBuffer(buffer);
    ASSERT_TRUE(WaitDone(buffer, event));
    EXPECT_EQ(buffer.Data, (std::vector<std::uint8_t>{5, 6, 9, 9}));
    EXPECT_EQ(devices.InputBytesDelivered(), 8U);
}

TEST(MemoryInput, ResetReturnsBuffersWithNothingRecorded) {
    TMemoryDeviceOptions options;
    options.BufferPace = 10s;
    TMemoryAudioSystem devices(options);
    TDeviceEvent event;
    auto input = devices.OpenInput(0, Stereo16, event);
    input->Start();
    TDeviceBuffer buffer(16);
    buffer.BytesRecorded = 99;
    input->AddBuffer(buffer);
    input->Reset();
    EXPECT_TRUE(buffer.Done.load());
    EXPECT_EQ(buffer.BytesRecorded, 0U);
}

TEST(MemoryDevices, RefuseMissingDevicesAndFormatsTheyDoNotTake) {
    TMemoryDeviceOptions options;
    options.OutputNames = {"a", "b"};
    options.InputNames = {};
    options.Accepts = [](const TPcmFormat& format) { return format.Channels <= 2; };
    TMemoryAudioSystem devices(options);
    TDeviceEvent event;

    EXPECT_NO_THROW(devices.OpenOutput(1, Stereo16, event));
    EXPECT_NO_THROW(devices.OpenOutput(-1, Stereo16, event));
    EXPECT_THROW(devices.OpenOutput(2, Stereo16, event), TAudioDeviceError);
    EXPECT_THROW(devices.OpenOutput(-2, Stereo16, event), TAudioDeviceError);
    EXPECT_THROW(devices.OpenOutput(0, {5, 44100, 16, 2}, event), TAudioDeviceError);
    EXPECT_THROW(devices.OpenOutput(0, {0, 44100, 16, 2}, event), TAudioDeviceError);
    EXPECT_THROW(devices.OpenInput(-1, Stereo16, event), TAudioDeviceError) << "no input at all";

    const auto openings = devices.Openings();
    ASSERT_EQ(openings.size(), 7U);
    EXPECT_TRUE(openings[0].Accepted);
    EXPECT_FALSE(openings[4].Accepted);
    EXPECT_EQ(openings[4].Format.Channels, 5);
    EXPECT_FALSE(openings[6].Output);
}

TEST(MemoryDevices, OutliveTheirSystem) {
    TDeviceEvent event;
    std::unique_ptr<TAudioOutput> output;
    {
        TMemoryAudioSystem devices;
        output = devices.OpenOutput(0, Stereo16, event);
    }
    TDeviceBuffer buffer(4);
    output->Write(buffer);
    EXPECT_TRUE(WaitDone(buffer, event));
}

}  // namespace
}  // namespace sonavel
