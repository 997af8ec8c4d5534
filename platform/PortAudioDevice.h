#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/AudioDevice.h"

namespace sonavel {

// The machine's sound devices through PortAudio (blocking streams fed by a device thread).
// Device 0 of each list is the host's default device when it has one, then the others in
// PortAudio's order. PortAudio stays initialised while this object or any device it opened
// lives; several systems may coexist in one process.
class TPortAudioSystem final : public TAudioSystem {
  public:
    // Throws TAudioDeviceError when PortAudio cannot start.
    TPortAudioSystem();
    ~TPortAudioSystem() override;
    TPortAudioSystem(const TPortAudioSystem&) = delete;
    TPortAudioSystem& operator=(const TPortAudioSystem&) = delete;

    std::vector<std::string> OutputDeviceNames() override;
    std::vector<std::string> InputDeviceNames() override;
    std::unique_ptr<TAudioOutput> OpenOutput(int device, const TPcmFormat& format,
                                             TDeviceEvent& event) override;
    std::unique_ptr<TAudioInput> OpenInput(int device, const TPcmFormat& format,
                                           TDeviceEvent& event) override;

    class TSession;

  private:
    std::shared_ptr<TSession> Session_;
};

}  // namespace sonavel
