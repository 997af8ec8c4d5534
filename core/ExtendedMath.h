#pragma once

#include <cmath>
#include <cstdint>

#include "core/SampleScale.h"

namespace sonavel {

// Rounding of extended (80-bit) intermediate values as the effects define it. The callers keep
// the values well inside the 64-bit integer range.

// Nearest integer, ties to even: the x87 unit's default rounding mode, without the library
// call std::llrint costs when errno handling is on.
inline std::int64_t RoundEven(long double x) {
#if defined(__x86_64__) || defined(__i386__)
    std::int64_t r = 0;
    asm("fistpll %0" : "=m"(r) : "t"(x) : "st");
    return r;
#else
    return std::llrint(x);
#endif
}

// Toward zero.
inline std::int64_t TruncTowardZero(long double x) {
    return static_cast<std::int64_t>(x);
}

// A sum of samples brought back into the sample scale: louder than full scale stays at full
// scale instead of wrapping around to the other sign.
inline std::int32_t ClampToLevel(std::int64_t v) {
    if (v > MaxLevel) {
        return MaxLevel;
    }
    if (v < -MaxLevel) {
        return -MaxLevel;
    }
    return static_cast<std::int32_t>(v);
}

// The value a sample reads back as after being written: writing rescales to the stored width,
// so for most widths a level does not survive unchanged.
inline std::int32_t StoredRoundTrip(std::int32_t level, unsigned bytesPerSample) {
    return StoredToLevel(LevelToStored(level, bytesPerSample), bytesPerSample);
}

}  // namespace sonavel
