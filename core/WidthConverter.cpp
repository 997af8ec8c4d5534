#include "core/WidthConverter.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <stdexcept>
#include <string>

#include "core/SampleScale.h"

namespace sonavel {

namespace {

// The widths as constants, one case each, as the sample accessors have them.
std::uint32_t Stored(std::int32_t level, unsigned bytes) {
    switch (bytes) {
        case 1:
            return static_cast<std::uint32_t>(LevelToStored(level, 1));
        case 2:
            return static_cast<std::uint32_t>(LevelToStored(level, 2));
        case 3:
            return static_cast<std::uint32_t>(LevelToStored(level, 3));
        default:
            return static_cast<std::uint32_t>(LevelToStored(level, 4));
    }
}

std::int32_t Level(std::uint32_t raw, unsigned bytes) {
    switch (bytes) {
        case 1:
            return StoredToLevel(SignExtend(raw, 1), 1);
        case 2:
            return StoredToLevel(SignExtend(raw, 2), 2);
        case 3:
            return StoredToLevel(SignExtend(raw, 3), 3);
        default:
            return StoredToLevel(static_cast<std::int32_t>(raw), 4);
    }
}

}  // namespace

void CheckSampleWidth(unsigned bits) {
    if (bits < 1 || bits > 32) {
        throw std::invalid_argument("ChangeBits: " + std::to_string(bits) +
                                    " bits per sample; the width must be 1 to 32 bits");
    }
}

TWidthConverter::TWidthConverter(unsigned oldBytes, unsigned newBytes)
    : OldBytes_(oldBytes), NewBytes_(newBytes) {
    if (oldBytes < 1 || oldBytes > 4 || newBytes < 1 || newBytes > 4) {
        throw std::invalid_argument("ChangeBits: stored widths are 1 to 4 bytes");
    }
    // Up to 16 bits every stored value is looked up (at most 64 Ki of them).
    if (oldBytes <= 2) {
        Table_.resize(std::size_t{1} << (8 * oldBytes));
        for (std::uint32_t raw = 0; raw < Table_.size(); ++raw) {
            Table_[raw] = Convert(raw);
        }
    }
}

void TWidthConverter::Run(const std::uint8_t* in, std::uint8_t* out, std::uint32_t count) const {
    switch (OldBytes_ * 4 + NewBytes_) {
        case 1 * 4 + 1:
            return Run<1, 1>(in, out, count);
        case 1 * 4 + 2:
            return Run<1, 2>(in, out, count);
        case 1 * 4 + 3:
            return Run<1, 3>(in, out, count);
        case 1 * 4 + 4:
            return Run<1, 4>(in, out, count);
        case 2 * 4 + 1:
            return Run<2, 1>(in, out, count);
        case 2 * 4 + 2:
            return Run<2, 2>(in, out, count);
        case 2 * 4 + 3:
            return Run<2, 3>(in, out, count);
        case 2 * 4 + 4:
            return Run<2, 4>(in, out, count);
        case 3 * 4 + 1:
            return Run<3, 1>(in, out, count);
        case 3 * 4 + 2:
            return Run<3, 2>(in, out, count);
        case 3 * 4 + 3:
            return Run<3, 3>(in, out, count);
        case 3 * 4 + 4:
            return Run<3, 4>(in, out, count);
        case 4 * 4 + 1:
            return Run<4, 1>(in, out, count);
        case 4 * 4 + 2:
            return Run<4, 2>(in, out, count);
        case 4 * 4 + 3:
            return Run<4, 3>(in, out, count);
        default:
            return Run<4, 4>(in, out, count);
    }
}

// The widths as constants. Each sample is read and written as a whole 4-byte word that
// overlaps the next sample (written over in turn), but for the last few, whose word would
// pass the end of a buffer: those go byte by byte.
template <unsigned OldBytes, unsigned NewBytes>
void TWidthConverter::Run(const std::uint8_t* in, std::uint8_t* out, std::uint32_t count) const {
    static_assert(std::endian::native == std::endian::little);
    constexpr std::uint32_t tail =
        std::max((4 + OldBytes - 1) / OldBytes, (4 + NewBytes - 1) / NewBytes) - 1;
    constexpr std::uint32_t mask = OldBytes == 4 ? 0xFFFFFFFFU : (1U << (8 * OldBytes)) - 1;
    const std::uint32_t whole = count > tail ? count - tail : 0;
    std::uint32_t i = 0;
    for (; i < whole; ++i, in += OldBytes, out += NewBytes) {
        std::uint32_t raw = 0;
        std::memcpy(&raw, in, 4);
        raw &= mask;
        const std::uint32_t stored = OldBytes <= 2 ? Table_[raw] : Convert(raw);
        std::memcpy(out, &stored, 4);
    }
    for (; i < count; ++i, in += OldBytes, out += NewBytes) {
        std::uint32_t raw = in[0];
        for (unsigned k = 1; k < OldBytes; ++k) {
            raw |= static_cast<std::uint32_t>(in[k]) << (8 * k);
        }
        const std::uint32_t stored = OldBytes <= 2 ? Table_[raw] : Convert(raw);
        for (unsigned k = 0; k < NewBytes; ++k) {
            out[k] = static_cast<std::uint8_t>(stored >> (8 * k));
        }
    }
}

std::uint32_t TWidthConverter::Convert(std::uint32_t raw) const {
    return Stored(Level(raw, OldBytes_), NewBytes_);
}

}  // namespace sonavel
