#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/AudioDevice.h"

namespace sonavel {

struct TMemoryDeviceOptions {
    std::vector<std::string> OutputNames{"Memory output"};
    std::vector<std::string> InputNames{"Memory input"};
    // The formats the devices take; every format when empty.
    std::function<bool(const TPcmFormat&)> Accepts;
    // Time each buffer takes; with RealTime its play time is added.
    std::chrono::nanoseconds BufferPace{0};
    bool RealTime = false;
    // Time an opening takes before it succeeds or fails.
    std::chrono::nanoseconds OpenDelay{0};
    // What input devices deliver, in order over every recording; InputFill once used up.
    std::vector<std::uint8_t> InputBytes;
    std::uint8_t InputFill = 0;
};

// Sound devices that live in memory: outputs consume buffers at the configured pace and keep
// what they played, inputs deliver the configured bytes.
class TMemoryAudioSystem final : public TAudioSystem {
  public:
    struct TOpening {
        bool Output = true;
        int Device = 0;
        TPcmFormat Format;
        bool Accepted = false;
    };

    explicit TMemoryAudioSystem(TMemoryDeviceOptions options = {});
    ~TMemoryAudioSystem() override;
    TMemoryAudioSystem(const TMemoryAudioSystem&) = delete;
    TMemoryAudioSystem& operator=(const TMemoryAudioSystem&) = delete;

    std::vector<std::string> OutputDeviceNames() override;
    std::vector<std::string> InputDeviceNames() override;
    std::unique_ptr<TAudioOutput> OpenOutput(int device, const TPcmFormat& format,
                                             TDeviceEvent& event) override;
    std::unique_ptr<TAudioInput> OpenInput(int device, const TPcmFormat& format,
                                           TDeviceEvent& event) override;

    // Every byte the outputs played, in order.
    std::vector<std::uint8_t> PlayedBytes() const;
    // The length of every buffer played, in order.
    std::vector<std::uint32_t> PlayedBufferLengths() const;
    // Openings that ended, and openings begun (including those still waiting out OpenDelay).
    std::vector<TOpening> Openings() const;
    std::size_t OpeningsBegun() const;
    std::size_t InputBytesDelivered() const;

    struct TShared;

  private:
    std::shared_ptr<TShared> Shared_;
};

}  // namespace sonavel
