#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace sonavel {

// Moves one channel's stored samples between a run of interleaved frames and a run of its
// own; specialised per sample width so the copy of each sample is a fixed-size move.
template <unsigned Bps>
void CopyStrided(const std::uint8_t* src, std::size_t srcStride, std::uint8_t* dst,
                 std::size_t dstStride, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i, src += srcStride, dst += dstStride) {
        std::memcpy(dst, src, Bps);
    }
}

inline void CopyStrided(unsigned bps, const std::uint8_t* src, std::size_t srcStride,
                        std::uint8_t* dst, std::size_t dstStride, std::size_t count) {
    switch (bps) {
        case 1:
            return CopyStrided<1>(src, srcStride, dst, dstStride, count);
        case 2:
            return CopyStrided<2>(src, srcStride, dst, dstStride, count);
        case 3:
            return CopyStrided<3>(src, srcStride, dst, dstStride, count);
        default:
            return CopyStrided<4>(src, srcStride, dst, dstStride, count);
    }
}

// The 8-bit sample forms: unsigned with 128 as zero in files and devices, signed in streams.
inline void FlipSignBit(std::uint8_t* bytes, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
        bytes[i] ^= 0x80;
    }
}

}  // namespace sonavel
