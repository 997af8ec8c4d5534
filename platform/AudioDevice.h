#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/DeviceEvent.h"

namespace sonavel {

// Interleaved PCM as a sound device takes it: one sample per channel in channel order, each
// BytesPerSample bytes little-endian; unsigned for widths up to 8 bits, else signed.
struct TPcmFormat {
    std::uint16_t Channels = 0;
    std::uint32_t SampleRate = 0;
    std::uint16_t BitsPerSample = 0;
    std::uint16_t BytesPerSample = 0;

    std::uint32_t BlockAlign() const { return std::uint32_t{BytesPerSample} * Channels; }
    std::uint32_t AvgBytesPerSec() const { return SampleRate * BlockAlign(); }
    bool operator==(const TPcmFormat&) const = default;
};

// One buffer handed to a device, owned by the caller. The device holds on to it from the
// moment it is queued until it is marked done (after playing it, filling it, or a reset), and
// never touches it afterwards.
struct TDeviceBuffer {
    explicit TDeviceBuffer(std::uint32_t length) : Data(length), Length(length) {}

    std::vector<std::uint8_t> Data;
    // Bytes to play, or room to record into; a whole number of frames.
    std::uint32_t Length = 0;
    // Bytes a recording device put into Data; Length unless it was reset midway.
    std::uint32_t BytesRecorded = 0;
    // Set by the device when it is finished with the buffer; cleared when it is queued.
    std::atomic<bool> Done{true};
};

// The device cannot be opened: no such device, or it refuses the format.
class TAudioDeviceError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// An open output device. Destroying it closes the device; queued buffers are dropped.
class TAudioOutput {
  public:
    virtual ~TAudioOutput() = default;
    // Queues a buffer behind those already queued; playing starts with the first one.
    virtual void Write(TDeviceBuffer& buffer) = 0;
    // Stops, and marks every queued buffer done.
    virtual void Reset() = 0;
};

// An open input device. Destroying it closes the device; queued buffers are dropped.
class TAudioInput {
  public:
    virtual ~TAudioInput() = default;
    // Queues an empty buffer to be filled behind those already queued.
    virtual void AddBuffer(TDeviceBuffer& buffer) = 0;
    virtual void Start() = 0;
    // Stops recording, and marks every queued buffer done with what it holds so far.
    virtual void Reset() = 0;
};

// The sound devices of a machine (or a stand-in for tests). Devices are numbered 0, 1, ...
// in the order of the name lists; -1 stands for the system's default device. All members
// may be called from any thread.
class TAudioSystem {
  public:
    virtual ~TAudioSystem() = default;

    virtual std::vector<std::string> OutputDeviceNames() = 0;
    virtual std::vector<std::string> InputDeviceNames() = 0;

    // The event is signalled once when the device is open and then each time a buffer is
    // done; it must outlive the device. Throws TAudioDeviceError when there is no such device
    // or it cannot take the format.
    virtual std::unique_ptr<TAudioOutput> OpenOutput(int device, const TPcmFormat& format,
                                                     TDeviceEvent& event) = 0;
    virtual std::unique_ptr<TAudioInput> OpenInput(int device, const TPcmFormat& format,
                                                   TDeviceEvent& event) = 0;
};

}  // namespace sonavel
