#pragma once

#include <cstdint>
#include <vector>

#include "core/AudioStream.h"
#include "core/SampleScale.h"

namespace sonavel::test {

// Stores raw sample values (already in the stored range) into one channel from index 0.
inline void StoreValues(TAudioStream& stream, std::uint16_t channel,
                        const std::vector<std::int32_t>& values, std::uint32_t start = 0) {
    const unsigned bps = stream.BytesPerSample;
    std::vector<std::uint8_t> bytes(values.size() * bps);
    for (std::size_t i = 0; i < values.size(); ++i) {
        for (unsigned k = 0; k < bps; ++k) {
            bytes[i * bps + k] =
                static_cast<std::uint8_t>(static_cast<std::uint32_t>(values[i]) >> (8 * k));
        }
    }
    stream.WriteStored(channel, start, static_cast<std::uint32_t>(values.size()), bytes.data());
}

// The stored values of one channel, sign-extended.
inline std::vector<std::int32_t> StoredValues(TAudioStream& stream, std::uint16_t channel,
                                              std::uint32_t start, std::uint32_t count) {
    const unsigned bps = stream.BytesPerSample;
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(count) * bps);
    stream.ReadStored(channel, start, count, bytes.data());
    std::vector<std::int32_t> values(count);
    for (std::size_t i = 0; i < count; ++i) {
        std::uint32_t raw = 0;
        for (unsigned k = 0; k < bps; ++k) {
            raw |= static_cast<std::uint32_t>(bytes[i * bps + k]) << (8 * k);
        }
        values[i] = SignExtend(raw, bps);
    }
    return values;
}

// Device bytes of one sample: little-endian, unsigned (+128) for one-byte samples.
inline void AppendDeviceSample(std::vector<std::uint8_t>& out, std::int32_t value, unsigned bps) {
    const std::int32_t device = bps == 1 ? value + 128 : value;
    for (unsigned k = 0; k < bps; ++k) {
        out.push_back(static_cast<std::uint8_t>(static_cast<std::uint32_t>(device) >> (8 * k)));
    }
}

// The sample of one channel at one frame in interleaved device bytes, sign-extended
// (one-byte samples with 128 taken off).
inline std::int32_t DeviceSampleAt(const std::vector<std::uint8_t>& bytes, std::size_t frame,
                                   unsigned channel, unsigned channels, unsigned bps) {
    const std::size_t at = (frame * channels + channel) * bps;
    std::uint32_t raw = 0;
    for (unsigned k = 0; k < bps; ++k) {
        raw |= static_cast<std::uint32_t>(bytes.at(at + k)) << (8 * k);
    }
    return bps == 1 ? static_cast<std::int32_t>(raw) - 128 : SignExtend(raw, bps);
}

}  // namespace sonavel::test
