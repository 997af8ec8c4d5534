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

// The same with both strides fixed, as for stereo, so the copy runs in vectors (not for 3-byte
// samples, whose byte shuffles cost more than the plain moves). Only the channel's own bytes
// are stored: other threads fill the other channels' lanes.
template <unsigned Bps, std::size_t SrcStride, std::size_t DstStride>
void CopyFixedStrides(const std::uint8_t* __restrict src, std::uint8_t* __restrict dst,
                      std::size_t count) {
#pragma omp simd
    for (std::size_t i = 0; i < count; ++i) {
        for (unsigned k = 0; k < Bps; ++k) {
            dst[i * DstStride + k] = src[i * SrcStride + k];
        }
    }
}

template <unsigned Bps>
void CopyStridedAt(const std::uint8_t* src, std::size_t srcStride, std::uint8_t* dst,
                   std::size_t dstStride, std::size_t count) {
    if (srcStride == Bps && dstStride == Bps) {
        std::memcpy(dst, src, count * Bps);
        return;
    }
    if constexpr (Bps != 3) {
        constexpr std::size_t stereo = std::size_t{2} * Bps;
        if (srcStride == stereo && dstStride == Bps) {
            return CopyFixedStrides<Bps, stereo, Bps>(src, dst, count);
        }
        if (srcStride == Bps && dstStride == stereo) {
            return CopyFixedStrides<Bps, Bps, stereo>(src, dst, count);
        }
    }
    CopyStrided<Bps>(src, srcStride, dst, dstStride, count);
}

inline void CopyStrided(unsigned bps, const std::uint8_t* src, std::size_t srcStride,
                        std::uint8_t* dst, std::size_t dstStride, std::size_t count) {
    switch (bps) {
        case 1:
            return CopyStridedAt<1>(src, srcStride, dst, dstStride, count);
        case 2:
            return CopyStridedAt<2>(src, srcStride, dst, dstStride, count);
        case 3:
            return CopyStridedAt<3>(src, srcStride, dst, dstStride, count);
        default:
            return CopyStridedAt<4>(src, srcStride, dst, dstStride, count);
    }
}

// The 8-bit sample forms: unsigned with 128 as zero in files and devices, signed in streams.
inline void FlipSignBit(std::uint8_t* bytes, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
        bytes[i] ^= 0x80;
    }
}

}  // namespace sonavel
