#pragma once

#include <cmath>
#include <cstdint>

#include "core/SampleScale.h"
#include "spectra/ExtendedFormat.h"

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

// Toward zero. The plain conversion switches the x87 rounding mode twice per value, which
// stalls the unit; SSE3's fisttp truncates without touching the mode.
inline std::int64_t TruncTowardZero(long double x) {
#if (defined(__x86_64__) || defined(__i386__)) && (defined(__GNUC__) || defined(__clang__))
    static const bool hasFisttp = (__builtin_cpu_init(), __builtin_cpu_supports("sse3"));
    if (hasFisttp) {
        std::int64_t r = 0;
        asm("fisttpll %0" : "=m"(r) : "t"(x) : "st");
        return r;
    }
#endif
    return static_cast<std::int64_t>(x);
}

// Within this distance of an integer a double estimate cannot settle a truncation.
inline constexpr double TruncTolerance = 1e-5;

// trunc(x) of the extended value x = exact(), from a double estimate of x within
// TruncTolerance / 10 of it (callers bound their estimate's error): where the estimate lies well
// inside (n, n + 1) so does x, and the extended computation runs only for estimates near an
// integer.
template <class TExact>
std::int64_t TruncEstimate(double estimate, const TExact& exact) {
    const auto whole = static_cast<std::int64_t>(estimate);  // SSE2 truncation, no mode switch
    const double fraction = std::fabs(estimate - static_cast<double>(whole));
    if (fraction < TruncTolerance || fraction > 1 - TruncTolerance) {
        return TruncTowardZero(exact());
    }
    return whole;
}

// Within this distance of a half-integer a double estimate cannot settle a rounding.
inline constexpr double RoundTolerance = 1e-5;

// round(x), ties to even, of the extended value x = exact(), from a double estimate of x
// within tolerance / 10 of it: the extended computation runs only for estimates near a
// half-integer.
template <class TExact>
std::int64_t RoundEstimate(double estimate, const TExact& exact,
                           double tolerance = RoundTolerance) {
    // Adding and taking away 1.5 * 2^52 leaves the nearest integer, ties to even (the SSE
    // rounding mode), for |estimate| < 2^51.
    constexpr double shifter = 0x1.8p52;
    const double nearest = (estimate + shifter) - shifter;
    if (std::fabs(estimate - nearest) > 0.5 - tolerance) {
        return exact();
    }
    return static_cast<std::int64_t>(nearest);
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
