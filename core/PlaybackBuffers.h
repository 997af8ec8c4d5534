#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "core/AudioStream.h"
#include "platform/AudioDevice.h"

namespace sonavel {

inline constexpr std::uint32_t PlayBufferBytes = 24576;
inline constexpr std::uint32_t RecordBufferBytes = 49152;

// The stream's own format, without conversion.
TPcmFormat DeviceFormat(const TAudioStream& stream);

// A device buffer holds whole frames only, so frames never straddle two buffers: as many as
// fit into bufferBytes, at least one.
std::uint32_t FramesPerBuffer(std::uint32_t bufferBytes, std::uint32_t frameBytes);

// A device buffer able to hold FramesPerBuffer frames of the stream.
TDeviceBuffer MakeDeviceBuffer(const TAudioStream& stream, std::uint32_t bufferBytes);

// Fills playback buffers from the stream at its Position.
class TPlayFiller {
  public:
    // channel: -1 all channels, else the one heard (the others are silent).
    TPlayFiller(TAudioStream& stream, int channel, std::uint32_t endPosition);

    // Fills one buffer with whole frames and advances Position by one per frame while it is
    // at most the end position; frames past it are silent.
    void Fill(TDeviceBuffer& buffer);

  private:
    TAudioStream& Stream_;
    const int Channel_;
    const std::uint32_t EndPosition_;
    const std::uint32_t FrameBytes_;
    const std::uint32_t Frames_;
    std::vector<std::uint8_t> Stored_;
};

// Moves recorded buffers into the stream at its Position.
class TRecordDrain {
  public:
    // channel: -1 all channels, else the one written (the others are left as they are).
    TRecordDrain(TAudioStream& stream, int channel);

    // Writes the buffer's whole frames, advancing Position by one per frame, and sets the
    // level of each written channel to its peak in this buffer. False when the stream could
    // not take every frame because sample positions ran out.
    bool Drain(const TDeviceBuffer& buffer);

  private:
    TAudioStream& Stream_;
    const int Channel_;
    const std::uint32_t FrameBytes_;
    std::vector<std::uint8_t> Stored_;
};

}  // namespace sonavel
