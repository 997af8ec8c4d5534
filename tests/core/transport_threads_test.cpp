#include "core/TransportThreads.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "core/PlaybackBuffers.h"
#include "core/PlaybackEngine.h"
#include "core/TransportControl.h"
#include "platform/MemoryAudioDevice.h"
#include "support/TempFolder.h"
#include "support/TransportTestUtil.h"
#include "support/WaitUntil.h"

namespace sonavel {
namespace {

using test::StoreValues;
using test::WaitUntil;

constexpr std::uint32_t FramesPerPlayBuffer = PlayBufferBytes / 2;  // 16-bit mono

class TransportTest : public test::TStreamTest {
  protected:
    TransportTest() {
        PlayDevice = 0;
        RecordDevice = 0;
    }

    void Use(TMemoryDeviceOptions options) {
        Devices = std::make_shared<TMemoryAudioSystem>(std::move(options));
        Engine = std::make_unique<TPlaybackEngine>(Devices, [this](const TEngineMessage& m) {
            const std::lock_guard lock(MessagesLock);
            Messages.push_back(m);
        });
        Engine->SetLanguage("ENG");
    }

    static TMemoryDeviceOptions Paced(std::chrono::milliseconds pace) {
        TMemoryDeviceOptions options;
        options.BufferPace = pace;
        return options;
    }

    // A 16-bit mono stream of `length` samples 1, 2, 3, ... (wrapping below 30,000).
    static void Fill(TAudioStream& stream, std::uint32_t length) {
        std::vector<std::int32_t> values(length);
        for (std::uint32_t i = 0; i < length; ++i) {
            values[i] = static_cast<std::int32_t>(i % 30000) + 1;
        }
        StoreValues(stream, 0, values);
    }

    // What the timer does on seeing a play request.
    static void TimerTakes(TStateWord& word) {
        ASSERT_TRUE(RequestStart(word));
        ASSERT_TRUE(TakeStartRequest(word));
    }

    std::shared_ptr<TMemoryAudioSystem> Devices;
    std::unique_ptr<TPlaybackEngine> Engine;
    std::mutex MessagesLock;
    std::vector<TEngineMessage> Messages;
};

TEST_F(TransportTest, StopWhilePlayingLetsTheQueuedSoundPlayOutAndKeepsThePosition) {
    Use(Paced(std::chrono::milliseconds(5)));
    TAudioStream stream(1, 16, 44100);
    constexpr std::uint32_t Length = 200 * FramesPerPlayBuffer;
    Fill(stream, Length);
    TimerTakes(stream.PlayState);
    std::atomic<bool> finished = false;
    TPlayThread thread(*Engine, stream, {-1, Length - 1, Length},
                       [&](std::uint32_t) { finished = true; });

    ASSERT_TRUE(WaitUntil([&] { return stream.Position.load() >= 3 * FramesPerPlayBuffer; }));
    EXPECT_EQ(stream.PlayState.load(), TTransportState::Started);
    RequestStop(stream.PlayState);
    ASSERT_TRUE(WaitUntil([&] { return stream.PlayState == TTransportState::Stopped; }));
    thread.Join();

    const std::uint32_t position = stream.Position.load();
    EXPECT_LT(position, Length / 2) << "the run ended long before the stream's end";
    EXPECT_EQ(position % FramesPerPlayBuffer, 0U);
    EXPECT_TRUE(finished);
    // Everything filled was played, in order, and nothing more.
    const std::vector<std::uint8_t> played = Devices->PlayedBytes();
    ASSERT_EQ(played.size(), std::size_t{position} * 2);
    for (std::uint32_t i = 0; i < position; ++i) {
        ASSERT_EQ(test::DeviceSampleAt(played, i, 0, 1, 2),
                  static_cast<std::int32_t>(i % 30000) + 1);
    }
}

TEST_F(TransportTest, StopOverAStartNobodyHasTakenUpWithdrawsIt) {
    TAudioStream stream(1, 16, 44100);
    ASSERT_TRUE(RequestStart(stream.PlayState));
    RequestStop(stream.PlayState);
    EXPECT_EQ(stream.PlayState.load(), TTransportState::Stopped);
    EXPECT_FALSE(TakeStartRequest(stream.PlayState)) << "the timer must not start a thread now";
    EXPECT_TRUE(RequestStart(stream.PlayState));
    EXPECT_FALSE(RequestStart(stream.PlayState)) << "one request at a time";
}

TEST_F(TransportTest, StopOverStarting2BeforeTheEngineRunsEndsWithoutPlaying) {
    Use({});
    TAudioStream stream(1, 16, 44100);
    Fill(stream, 100);
    TimerTakes(stream.PlayState);
    RequestStop(stream.PlayState);
    EXPECT_EQ(stream.PlayState.load(), TTransportState::Stopping);
    EXPECT_FALSE(MarkStarted(stream.PlayState)) << "the engine must not overwrite the stop";

    Engine->PlayStream(stream, -1, 99);

    EXPECT_EQ(stream.PlayState.load(), TTransportState::Stopped);
    EXPECT_TRUE(Devices->PlayedBytes().empty());
}

TEST_F(TransportTest, StopDuringASlowDeviceOpeningReleasesTheWaiter) {
    TMemoryDeviceOptions options = Paced(std::chrono::milliseconds(1));
    options.OpenDelay = std::chrono::milliseconds(100);
    Use(options);
    TAudioStream stream(1, 16, 44100);
    Fill(stream, 50 * FramesPerPlayBuffer);
    TimerTakes(stream.PlayState);
    TimerTakes(stream.RecordState);
    {
        TPlayThread player(*Engine, stream, {-1, UINT32_MAX, 0}, {});
        TRecordThread recorder(*Engine, stream, {-1, 0}, {});
        ASSERT_TRUE(WaitUntil([&] { return Devices->OpeningsBegun() == 2; }));
        RequestStop(stream.PlayState);
        RequestStop(stream.RecordState);
        // Both words must reach "stopped" although neither run had started.
        StopTransport(stream);
        EXPECT_EQ(stream.PlayState.load(), TTransportState::Stopped);
        EXPECT_EQ(stream.RecordState.load(), TTransportState::Stopped);
    }
    EXPECT_TRUE(Devices->PlayedBytes().empty());
    EXPECT_EQ(Devices->InputBytesDelivered(), 0U);
}

TEST_F(TransportTest, StopTransportEndsARunningPlaybackAndAPendingRecording) {
    Use(Paced(std::chrono::milliseconds(5)));
    TAudioStream stream(1, 16, 44100);
    Fill(stream, 100 * FramesPerPlayBuffer);
    TimerTakes(stream.PlayState);
    TPlayThread player(*Engine, stream, {-1, UINT32_MAX, 0}, {});
    ASSERT_TRUE(WaitUntil([&] { return stream.PlayState == TTransportState::Started; }));
    ASSERT_TRUE(RequestStart(stream.RecordState));  // a record request the timer has not seen

    StopTransport(stream);

    EXPECT_EQ(stream.PlayState.load(), TTransportState::Stopped);
    EXPECT_EQ(stream.RecordState.load(), TTransportState::Stopped);
    EXPECT_FALSE(TakeStartRequest(stream.RecordState));
}

TEST_F(TransportTest, PlaybackToTheEndPutsTheCursorBackAtTheStart) {
    Use({});
    TAudioStream stream(1, 16, 44100);
    Fill(stream, 1000);
    stream.Position = 300;
    TimerTakes(stream.PlayState);
    std::optional<std::uint32_t> cursor;
    {
        TPlayThread thread(*Engine, stream, {-1, 999, 1000},
                           [&](std::uint32_t position) { cursor = position; });
        thread.Join();
    }
    EXPECT_EQ(cursor, 300U);
    EXPECT_EQ(stream.PlayState.load(), TTransportState::Stopped);
}

TEST(CursorAfterPlayback, StaysOnTheLastSample) {
    EXPECT_EQ(CursorAfterPlayback(500, 1000), 500U);
    EXPECT_EQ(CursorAfterPlayback(1000, 1000), 999U);
    EXPECT_EQ(CursorAfterPlayback(4000, 1000), 999U);
    EXPECT_EQ(CursorAfterPlayback(7, 0), 0U);
}

TEST_F(TransportTest, DestroyingAPlayThreadStopsTheRunAndWaitsForItsLastStep) {
    Use(Paced(std::chrono::milliseconds(5)));
    TAudioStream stream(1, 16, 44100);
    Fill(stream, 400 * FramesPerPlayBuffer);
    TimerTakes(stream.PlayState);
    std::atomic<bool> closing = false;
    std::atomic<bool> finished = false;
    auto thread = std::make_unique<TPlayThread>(
        *Engine, stream, TPlayThread::TParams{-1, UINT32_MAX, 0}, [&](std::uint32_t) {
            // The last step cannot end before the owner starts going away.
            EXPECT_TRUE(WaitUntil([&] { return closing.load(); }));
            finished = true;
        });
    ASSERT_TRUE(WaitUntil([&] { return stream.PlayState == TTransportState::Started; }));

    closing = true;
    thread.reset();  // the document closes

    EXPECT_TRUE(finished) << "the last step ran before the owner went away";
    EXPECT_EQ(stream.PlayState.load(), TTransportState::Stopped);
    EXPECT_LT(Devices->PlayedBytes().size(), std::size_t{100} * PlayBufferBytes);
}

TEST_F(TransportTest, RecordThreadStartsAtTheCursorAndReportsTheNewLength) {
    Use(Paced(std::chrono::milliseconds(2)));
    TAudioStream stream(1, 16, 44100);
    Fill(stream, 10);
    stream.Position = 3;  // the timer's cursor; the thread sets it again
    TimerTakes(stream.RecordState);
    std::optional<std::uint32_t> length;
    TRecordThread thread(*Engine, stream, {-1, 4}, [&](std::uint32_t n) { length = n; });
    ASSERT_TRUE(WaitUntil([&] { return stream.Position.load() > 4; }));
    RequestStop(stream.RecordState);
    thread.Join();
    ASSERT_TRUE(length.has_value());
    EXPECT_EQ(*length, stream.Position.load());
    EXPECT_EQ((*length - 4) % FramesPerBuffer(RecordBufferBytes, 2), 0U);
}

TEST_F(TransportTest, AFailingRunIsReportedAfterTheWordIsStoppedAndTheDocumentUpdated) {
    Use({});
    TAudioStream stream(2, 16, 44100);
    TimerTakes(stream.RecordState);
    std::string failure;
    bool finishedFirst = false;
    bool finished = false;
    TTransportState wordWhenReported = TTransportState::Started;
    {
        TRecordThread thread(
            *Engine, stream, {5, 0}, [&](std::uint32_t) { finished = true; },
            [&](const std::string& message) {
                failure = message;
                finishedFirst = finished;
                wordWhenReported = stream.RecordState.load();
            });
        thread.Join();
    }
    EXPECT_NE(failure.find("channel 5"), std::string::npos) << failure;
    EXPECT_TRUE(finishedFirst);
    EXPECT_EQ(wordWhenReported, TTransportState::Stopped);
}

}  // namespace
}  // namespace sonavel
