#pragma once

#include <cstddef>
#include <cstdint>

namespace sonavel {

// Full value of the common sample scale every operation works on, whatever the stored width.
inline constexpr std::int32_t MaxLevel = 2147483647;

// The stored form of a sample is a two's complement integer of 1..4 bytes; the conversions
// below are the round-to-nearest (ties to even) scalings
//   level  = round(stored * (MaxLevel / half))
//   stored = round(level  * ((half - 1) / MaxLevel))
// with half = 2^(8 * bytesPerSample - 1). They are done in exact integer arithmetic. That
// gives the same results as extended-precision floating point: the read factor is exact in
// 64 bits and its product fits, and a write quotient over the odd prime MaxLevel is never a
// tie and never closer to one than extended-precision error could reach.

// stored: the sign-extended stored value.
constexpr std::int32_t StoredToLevel(std::int32_t stored, unsigned bytesPerSample) {
    const unsigned shift = 8 * bytesPerSample - 1;
    const std::int64_t num = static_cast<std::int64_t>(stored) * MaxLevel;
    std::int64_t q = num >> shift;  // floor
    const std::int64_t rem = num - (q << shift);
    const std::int64_t halfDivisor = std::int64_t{1} << (shift - 1);
    if (rem > halfDivisor || (rem == halfDivisor && (q & 1) != 0)) {
        ++q;
    }
    return static_cast<std::int32_t>(q);
}

// Returns the stored value (sign-extended); its low bytesPerSample bytes are what is written.
constexpr std::int32_t LevelToStored(std::int32_t level, unsigned bytesPerSample) {
    const std::int64_t halfMinusOne = (std::int64_t{1} << (8 * bytesPerSample - 1)) - 1;
    const std::int64_t num = static_cast<std::int64_t>(level) * halfMinusOne;
    std::int64_t q = num / MaxLevel;  // toward zero
    const std::int64_t rem = num % MaxLevel;
    if (2 * rem > MaxLevel) {
        ++q;
    } else if (2 * rem < -MaxLevel) {
        --q;
    }
    return static_cast<std::int32_t>(q);
}

// LevelToStored for n levels. At 1 and 2 bytes the quotient is taken in double: the product
// lies within 2^-53 * 2^16 (7e-12) of level * (half - 1) / MaxLevel, which never comes closer
// than 1 / (2 MaxLevel) (2.3e-10) to a half-integer (an odd numerator over 2 MaxLevel), so
// rounding it to nearest gives the same value. Wider samples take the integer arithmetic.
inline void LevelsToStored(const std::int32_t* levels, std::size_t n, unsigned bytesPerSample,
                           std::int32_t* stored) {
    if (bytesPerSample <= 2) {
        const double ratio =
            static_cast<double>((std::int32_t{1} << (8 * bytesPerSample - 1)) - 1) / MaxLevel;
        constexpr double shifter = 0x1.8p52;  // adding and taking it away rounds to nearest
#pragma omp simd
        for (std::size_t i = 0; i < n; ++i) {
            stored[i] = static_cast<std::int32_t>((levels[i] * ratio + shifter) - shifter);
        }
        return;
    }
    for (std::size_t i = 0; i < n; ++i) {
        stored[i] = LevelToStored(levels[i], bytesPerSample);
    }
}

// StoredToLevel(LevelToStored(v)) for n levels in place: what reading back a written level
// gives. At 1 and 2 bytes in double as LevelsToStored, and back: stored * MaxLevel / 2^shift
// is exact in double, and rounding it to nearest (ties to even) is StoredToLevel's rounding.
inline void LevelsRoundTrip(std::int32_t* levels, std::size_t n, unsigned bytesPerSample) {
    if (bytesPerSample <= 2) {
        const unsigned shift = 8 * bytesPerSample - 1;
        const double ratio = static_cast<double>((std::int32_t{1} << shift) - 1) / MaxLevel;
        const double back = MaxLevel / static_cast<double>(std::int32_t{1} << shift);
        constexpr double shifter = 0x1.8p52;
#pragma omp simd
        for (std::size_t i = 0; i < n; ++i) {
            const double stored = (levels[i] * ratio + shifter) - shifter;
            levels[i] = static_cast<std::int32_t>((stored * back + shifter) - shifter);
        }
        return;
    }
    for (std::size_t i = 0; i < n; ++i) {
        levels[i] = StoredToLevel(LevelToStored(levels[i], bytesPerSample), bytesPerSample);
    }
}

// Sign-extends the low bytesPerSample bytes of a little-endian stored word.
constexpr std::int32_t SignExtend(std::uint32_t raw, unsigned bytesPerSample) {
    const unsigned unused = 32 - 8 * bytesPerSample;
    return static_cast<std::int32_t>(raw << unused) >> unused;
}

}  // namespace sonavel
