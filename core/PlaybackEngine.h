#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/AudioStream.h"
#include "platform/AudioDevice.h"

namespace sonavel {

// The output and input device numbers playback and recording use; -1 is the system's
// default device. The settings and the audio settings dialog replace them.
extern std::atomic<int> PlayDevice;
extern std::atomic<int> RecordDevice;

// At start-up: each number 0 when the system has such a device, else -1.
void InitDeviceNumbers(TAudioSystem& devices);

// What the audio settings dialog shows: the device names in number order and the item to
// select (-1 for none: the number is the default device or names no listed device).
struct TDeviceList {
    std::vector<std::string> Names;
    int Selected = -1;
};
TDeviceList PlayDeviceList(TAudioSystem& devices);
TDeviceList RecordDeviceList(TAudioSystem& devices);

// A message box for the user: caption, text, an OK button, no owner window.
struct TEngineMessage {
    std::string Caption;
    std::string Text;
};
using TMessageSink = std::function<void(const TEngineMessage&)>;

enum class TTransportKind : std::uint8_t { Playback, Recording };

// The message for a device that cannot be opened with the stream's format, in the language
// word's language; none for a word other than "RUS" or "ENG".
std::optional<TEngineMessage> DeviceRefusedMessage(TTransportKind kind, std::string_view language);

// Moves sound between streams and the sound devices, double-buffered: one buffer is filled
// or drained while the device works on the other, and an event tells when a buffer is done.
// A run is controlled only through the stream's state word and watched through Position and
// Levels. Both runs may be called from any number of threads at once, one run per stream.
class TPlaybackEngine {
  public:
    // showMessage is called on the running thread; the user interface turns it into a
    // message box.
    TPlaybackEngine(std::shared_ptr<TAudioSystem> devices, TMessageSink showMessage);

    TAudioSystem& Devices() const { return *Devices_; }

    // The language word of the engine's messages ("RUS" or "ENG").
    void SetLanguage(std::string word);
    std::string Language() const;

    // Plays from Position until Position reaches endPosition or the stream's end, or until
    // PlayState is set to "stopping". channel: -1 all, else the one channel heard. When the
    // run reaches its end, Position returns to where it started; a stopped run leaves it
    // where filling had got to. PlayState reads "stopped" afterwards in every case, also
    // when a stream file fails (the error propagates).
    void PlayStream(TAudioStream& stream, int channel, std::uint32_t endPosition) const;

    // Records at Position on, overwriting and extending the channels, until RecordState is
    // set to "stopping". channel: -1 all, else the one channel written. Levels holds the
    // peak of each written channel in the last buffer. Streams of more than 128 channels
    // are refused like a format the device cannot take.
    void RecordStream(TAudioStream& stream, int channel) const;

  private:
    void ReportRefusal(TTransportKind kind) const;

    const std::shared_ptr<TAudioSystem> Devices_;
    const TMessageSink ShowMessage_;
    mutable std::mutex LanguageLock_;
    std::string Language_;
};

}  // namespace sonavel
