#include "core/PlaybackBuffers.h"

#include <algorithm>
#include <limits>
#include <stdexcept>

namespace sonavel {

namespace {

std::uint32_t FrameBytesOf(const TAudioStream& stream) {
    return std::uint32_t{stream.BytesPerSample} * stream.ChannelCount;
}

// Device samples up to 8 bits are unsigned: stored value + 128.
bool UnsignedDeviceForm(const TAudioStream& stream) {
    return stream.BitsPerSample <= 8;
}

// Moves one channel of interleaved device frames into stored bytes and returns the largest
// magnitude among them. Recording scales a device value v to h = trunc(v * MaxLevel /
// (half - 1)) (-half giving -MaxLevel) and the stream stores round(h * (half - 1) / MaxLevel);
// both are exact, and together they give v back, except -half, which comes back as
// -(half - 1). So samples move as bytes, with only that one value changed.
template <unsigned Bps>
std::uint32_t MoveChannel(const std::uint8_t* from, std::uint32_t frameBytes, std::uint32_t frames,
                          std::uint8_t* to) {
    constexpr std::int64_t HalfMinusOne = (std::int64_t{1} << (8 * Bps - 1)) - 1;
    std::uint32_t peak = 0;
    for (std::uint32_t i = 0; i < frames; ++i, from += frameBytes, to += Bps) {
        std::uint32_t raw = 0;
        for (unsigned k = 0; k < Bps; ++k) {
            raw |= static_cast<std::uint32_t>(from[k]) << (8 * k);
        }
        // Device samples of one byte are unsigned (value + 128), wider ones two's complement.
        const std::int64_t value =
            Bps == 1 ? static_cast<std::int64_t>(raw) - 128 : std::int64_t{SignExtend(raw, Bps)};
        const std::int64_t stored = std::max(value, -HalfMinusOne);
        peak = std::max(peak, static_cast<std::uint32_t>(stored < 0 ? -stored : stored));
        for (unsigned k = 0; k < Bps; ++k) {
            to[k] = static_cast<std::uint8_t>(static_cast<std::uint64_t>(stored) >> (8 * k));
        }
    }
    return peak;
}

// The level meter's peak: the largest |h| of the buffer, h on the recording scale (which
// grows with |v|).
std::int32_t PeakLevel(std::uint32_t peak, std::int64_t half) {
    return static_cast<std::int32_t>(std::int64_t{peak} * MaxLevel / (half - 1));
}

}  // namespace

TPcmFormat DeviceFormat(const TAudioStream& stream) {
    return {stream.ChannelCount, stream.SampleRate, stream.BitsPerSample, stream.BytesPerSample};
}

std::uint32_t FramesPerBuffer(std::uint32_t bufferBytes, std::uint32_t frameBytes) {
    if (frameBytes == 0) {
        throw std::invalid_argument("A stream without channels has no frames to play or record");
    }
    return std::max<std::uint32_t>(1, bufferBytes / frameBytes);
}

TDeviceBuffer MakeDeviceBuffer(const TAudioStream& stream, std::uint32_t bufferBytes) {
    const std::uint32_t frameBytes = FrameBytesOf(stream);
    return TDeviceBuffer(FramesPerBuffer(bufferBytes, frameBytes) * frameBytes);
}

TPlayFiller::TPlayFiller(TAudioStream& stream, int channel, std::uint32_t endPosition)
    : Stream_(stream),
      Channel_(channel),
      EndPosition_(endPosition),
      FrameBytes_(FrameBytesOf(stream)),
      Frames_(FramesPerBuffer(PlayBufferBytes, FrameBytes_)),
      Stored_(static_cast<std::size_t>(Frames_) * stream.BytesPerSample) {}

void TPlayFiller::Fill(TDeviceBuffer& buffer) {
    const unsigned bps = Stream_.BytesPerSample;
    const bool unsignedForm = UnsignedDeviceForm(Stream_);
    buffer.Length = Frames_ * FrameBytes_;
    // Silence in the device's form: 128 is the zero of unsigned 8-bit samples.
    std::fill_n(buffer.Data.begin(), buffer.Length, unsignedForm ? 0x80 : 0x00);

    const std::uint32_t position = Stream_.Position.load();
    // Frames at positions up to the end are heard; Position stops one past the end.
    const std::uint64_t heard =
        position <= EndPosition_
            ? std::min<std::uint64_t>(Frames_, std::uint64_t{EndPosition_} - position + 1)
            : 0;
    const auto frames = static_cast<std::uint32_t>(heard);
    for (std::uint16_t c = 0; c < Stream_.ChannelCount && frames > 0; ++c) {
        if (Channel_ >= 0 && c != Channel_) {
            continue;
        }
        // round(v * half / MaxLevel) of a read value v is exactly the stored value, so the
        // stored bytes go out as they are.
        Stream_.ReadStored(c, position, frames, Stored_.data());
        const std::uint8_t* from = Stored_.data();
        std::uint8_t* to = buffer.Data.data() + static_cast<std::size_t>(c) * bps;
        for (std::uint32_t i = 0; i < frames; ++i, from += bps, to += FrameBytes_) {
            std::copy_n(from, bps, to);
            if (unsignedForm) {
                to[0] ^= 0x80;  // two's complement byte + 128
            }
        }
    }
    const std::uint64_t next = std::uint64_t{position} + heard;
    Stream_.Position.store(static_cast<std::uint32_t>(std::min<std::uint64_t>(next, UINT32_MAX)));
}

TRecordDrain::TRecordDrain(TAudioStream& stream, int channel)
    : Stream_(stream), Channel_(channel), FrameBytes_(FrameBytesOf(stream)) {
    if (channel >= static_cast<int>(stream.ChannelCount)) {
        throw std::out_of_range("Recording into channel " + std::to_string(channel) +
                                " of a stream with " + std::to_string(stream.ChannelCount) +
                                " channels");
    }
    if (stream.ChannelCount > MaxLevelChannels) {
        throw std::invalid_argument("Recording takes at most " + std::to_string(MaxLevelChannels) +
                                    " channels");
    }
    Stored_.resize(std::size_t{FramesPerBuffer(RecordBufferBytes, FrameBytes_)} *
                   stream.BytesPerSample);
}

bool TRecordDrain::Drain(const TDeviceBuffer& buffer) {
    const unsigned bps = Stream_.BytesPerSample;
    const std::uint32_t position = Stream_.Position.load();
    const std::uint32_t recorded = buffer.BytesRecorded / FrameBytes_;
    // Sample positions are 32-bit: the stream ends at the last one.
    const std::uint32_t frames = std::min(recorded, UINT32_MAX - position);
    if (Stored_.size() < std::size_t{frames} * bps) {
        Stored_.resize(std::size_t{frames} * bps);
    }
    for (std::uint16_t c = 0; c < Stream_.ChannelCount && frames > 0; ++c) {
        if (Channel_ >= 0 && c != Channel_) {
            continue;
        }
        const std::uint8_t* from = buffer.Data.data() + std::size_t{c} * bps;
        std::uint32_t peak = 0;
        switch (bps) {
            case 1:
                peak = MoveChannel<1>(from, FrameBytes_, frames, Stored_.data());
                break;
            case 2:
                peak = MoveChannel<2>(from, FrameBytes_, frames, Stored_.data());
                break;
            case 3:
                peak = MoveChannel<3>(from, FrameBytes_, frames, Stored_.data());
                break;
            default:
                peak = MoveChannel<4>(from, FrameBytes_, frames, Stored_.data());
                break;
        }
        Stream_.WriteStored(c, position, frames, Stored_.data());
        Stream_.Levels[c].store(PeakLevel(peak, Stream_.ValueRange / 2));
    }
    Stream_.Position.store(position + frames);
    return frames == recorded;
}

}  // namespace sonavel
