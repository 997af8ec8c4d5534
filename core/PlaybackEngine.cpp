#include "core/PlaybackEngine.h"

#include <algorithm>
#include <array>
#include <chrono>

#include "core/PlaybackBuffers.h"
#include "core/TransportControl.h"

namespace sonavel {

std::atomic<int> PlayDevice{-1};
std::atomic<int> RecordDevice{-1};

namespace {

// A device that stops finishing buffers must not hold the run, and everyone waiting for
// "stopped", forever: after this long without a finished buffer the run ends.
std::chrono::nanoseconds StallLimit(const TPcmFormat& format, std::uint32_t bufferBytes) {
    const std::uint64_t bytesPerSecond = std::max<std::uint32_t>(format.AvgBytesPerSec(), 1);
    const std::chrono::nanoseconds playTime(
        static_cast<std::int64_t>(std::uint64_t{bufferBytes} * 1'000'000'000 / bytesPerSecond));
    return std::chrono::seconds(5) + 4 * playTime;
}

// Waits for the device to finish the buffer. A signal may belong to a buffer finished
// earlier, so the flag is looked at again after every wake-up. False when the device stalled.
bool WaitDone(const TDeviceBuffer& buffer, TDeviceEvent& event, std::chrono::nanoseconds limit) {
    const auto deadline = TDeviceEvent::TClock::now() + limit;
    while (!buffer.Done.load(std::memory_order_acquire)) {
        if (!event.WaitUntil(deadline)) {
            return buffer.Done.load(std::memory_order_acquire);
        }
    }
    return true;
}

// The state word reads "stopped" when a run ends, however it ends.
class TStoppedOnExit {
  public:
    explicit TStoppedOnExit(TStateWord& word) : Word_(word) {}
    ~TStoppedOnExit() { Word_.store(TTransportState::Stopped); }
    TStoppedOnExit(const TStoppedOnExit&) = delete;
    TStoppedOnExit& operator=(const TStoppedOnExit&) = delete;

  private:
    TStateWord& Word_;
};

TDeviceList ListWithSelection(std::vector<std::string> names, int number) {
    TDeviceList list{std::move(names), -1};
    if (number >= 0 && number < static_cast<int>(list.Names.size())) {
        list.Selected = number;
    }
    return list;
}

}  // namespace

void InitDeviceNumbers(TAudioSystem& devices) {
    PlayDevice.store(devices.OutputDeviceNames().empty() ? -1 : 0);
    RecordDevice.store(devices.InputDeviceNames().empty() ? -1 : 0);
}

TDeviceList PlayDeviceList(TAudioSystem& devices) {
    return ListWithSelection(devices.OutputDeviceNames(), PlayDevice.load());
}

TDeviceList RecordDeviceList(TAudioSystem& devices) {
    return ListWithSelection(devices.InputDeviceNames(), RecordDevice.load());
}

std::optional<TEngineMessage> DeviceRefusedMessage(TTransportKind kind, std::string_view language) {
    const bool playback = kind == TTransportKind::Playback;
    std::optional<TEngineMessage> message;
    if (language == "RUS") {
        message = TEngineMessage{
            "Ошибка!", playback ? "Выбранное аудиоустройство не может проиграть файл с текущими "
                                  "параметрами"
                                : "Выбранное аудиоустройство не может произвести запись с "
                                  "текущими параметрами"};
    }
    if (language == "ENG") {
        message = TEngineMessage{
            "Error!", playback ? "Audiodevice cannot play file with the current characteristics"
                               : "Audiodevice cannot record file with the current characteristics"};
    }
    return message;
}

TPlaybackEngine::TPlaybackEngine(std::shared_ptr<TAudioSystem> devices, TMessageSink showMessage)
    : Devices_(std::move(devices)), ShowMessage_(std::move(showMessage)) {}

void TPlaybackEngine::SetLanguage(std::string word) {
    const std::lock_guard lock(LanguageLock_);
    Language_ = std::move(word);
}

std::string TPlaybackEngine::Language() const {
    const std::lock_guard lock(LanguageLock_);
    return Language_;
}

void TPlaybackEngine::ReportRefusal(TTransportKind kind) const {
    const std::optional<TEngineMessage> message = DeviceRefusedMessage(kind, Language());
    if (message && ShowMessage_) {
        ShowMessage_(*message);
    }
}

void TPlaybackEngine::PlayStream(TAudioStream& stream, int channel,
                                 std::uint32_t endPosition) const {
    const TStoppedOnExit stopped(stream.PlayState);
    const std::uint32_t start = stream.Position.load();
    if (stream.ChannelCount == 0) {
        ReportRefusal(TTransportKind::Playback);
        return;
    }
    const TPcmFormat format = DeviceFormat(stream);
    TDeviceEvent event;
    std::array<TDeviceBuffer, 2> buffers{MakeDeviceBuffer(stream, PlayBufferBytes),
                                         MakeDeviceBuffer(stream, PlayBufferBytes)};
    std::unique_ptr<TAudioOutput> device;
    try {
        device = Devices_->OpenOutput(PlayDevice.load(), format, event);
    } catch (const TAudioDeviceError&) {
        ReportRefusal(TTransportKind::Playback);
        return;
    }
    const std::chrono::nanoseconds limit = StallLimit(format, buffers[0].Length);
    event.WaitFor(limit);  // the open notification

    TPlayFiller filler(stream, channel, endPosition);
    filler.Fill(buffers[0]);
    int last = -1;  // the buffer written last
    if (stream.PlayState.load() != TTransportState::Stopping) {
        device->Write(buffers[0]);
        last = 0;
    }
    int current = 1;
    bool healthy = true;
    if (last == 0 && MarkStarted(stream.PlayState)) {
        const std::uint32_t length = stream.GetLength();
        while (stream.PlayState.load() == TTransportState::Started) {
            const std::uint32_t position = stream.Position.load();
            if (position >= length || position >= endPosition) {
                stream.Position.store(start);  // ran to its end: back to where it started
                break;
            }
            filler.Fill(buffers[current]);
            device->Write(buffers[current]);
            last = current;
            healthy = WaitDone(buffers[1 - current], event, limit);
            if (!healthy) {
                break;
            }
            current = 1 - current;
        }
    }
    // The queued sound plays out.
    if (last >= 0 && healthy) {
        WaitDone(buffers[last], event, limit);
    }
    device->Reset();
    device.reset();  // closed before "stopped", so that a new run finds the device free
}

void TPlaybackEngine::RecordStream(TAudioStream& stream, int channel) const {
    const TStoppedOnExit stopped(stream.RecordState);
    for (auto& level : stream.Levels) {
        level.store(0);
    }
    if (stream.ChannelCount == 0 || stream.ChannelCount > MaxLevelChannels) {
        ReportRefusal(TTransportKind::Recording);
        return;
    }
    TRecordDrain drain(stream, channel);
    const TPcmFormat format = DeviceFormat(stream);
    TDeviceEvent event;
    std::array<TDeviceBuffer, 2> buffers{MakeDeviceBuffer(stream, RecordBufferBytes),
                                         MakeDeviceBuffer(stream, RecordBufferBytes)};
    std::unique_ptr<TAudioInput> device;
    try {
        device = Devices_->OpenInput(RecordDevice.load(), format, event);
    } catch (const TAudioDeviceError&) {
        ReportRefusal(TTransportKind::Recording);
        return;
    }
    const std::chrono::nanoseconds limit = StallLimit(format, buffers[0].Length);
    device->Start();
    event.WaitFor(limit);  // the open notification
    int current = 1;
    if (MarkStarted(stream.RecordState)) {
        device->AddBuffer(buffers[0]);
        while (stream.RecordState.load() == TTransportState::Started) {
            device->AddBuffer(buffers[current]);
            if (!WaitDone(buffers[1 - current], event, limit)) {
                break;
            }
            current = 1 - current;  // now the buffer just filled
            if (!drain.Drain(buffers[current])) {
                break;
            }
        }
    }
    device->Reset();
    device.reset();
}

}  // namespace sonavel
