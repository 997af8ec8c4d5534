#pragma once

#include <cmath>
#include <cstdint>
#include <utility>

#include "core/ExtendedMath.h"

namespace sonavel {

namespace abssine {

// pi/2 = Pio2Hi + Pio2Lo: Pio2Hi has 31 significant bits, so j * Pio2Hi is exact in extended
// precision for every j below 2^33; Pio2Lo carries the next 64 bits.
inline constexpr long double Pio2Hi = 0x1921fb544p-32L;
inline constexpr long double Pio2Lo = 0x85a308d313198a2ep-97L;
inline constexpr long double TwoOverPi = 0.636619772367581343075535053490057448L;

// Taylor polynomials, accurate to a few double ulps for |r| <= pi/4 (and a little beyond).
inline double SinPolynomial(double r) {
    const double z = r * r;
    double p = 1.0 / 355687428096000.0;  // 1/17!
    p = p * z - 1.0 / 1307674368000.0;   // 1/15!
    p = p * z + 1.0 / 6227020800.0;      // 1/13!
    p = p * z - 1.0 / 39916800.0;        // 1/11!
    p = p * z + 1.0 / 362880.0;          // 1/9!
    p = p * z - 1.0 / 5040.0;            // 1/7!
    p = p * z + 1.0 / 120.0;             // 1/5!
    p = p * z - 1.0 / 6.0;               // 1/3!
    return r + r * z * p;
}

inline double CosPolynomial(double r) {
    const double z = r * r;
    double p = 1.0 / 6402373705728000.0;  // 1/18!
    p = p * z - 1.0 / 20922789888000.0;   // 1/16!
    p = p * z + 1.0 / 87178291200.0;      // 1/14!
    p = p * z - 1.0 / 479001600.0;        // 1/12!
    p = p * z + 1.0 / 3628800.0;          // 1/10!
    p = p * z - 1.0 / 40320.0;            // 1/8!
    p = p * z + 1.0 / 720.0;              // 1/6!
    p = p * z - 1.0 / 24.0;               // 1/4!
    p = p * z + 0.5;
    return 1.0 - z * p;
}

// Pi/2 rounded to a double, the quarter turn the rotation adds to one channel's phase.
inline constexpr double QuarterTurn = 1.5707963267948966;

// Distance from a rounding boundary at which the double-precision estimates below are trusted:
// their own error stays under 2e-6 for |v| < 2^31, the phase's comes on top.
inline constexpr double Margin = 1e-4;

}  // namespace abssine

// round(|sin(phi)| * v) and round(|sin(phi + QuarterTurn)| * v), ties to even, with the
// sines and products taken in extended precision at the phase phi = exactPhase(). The extended
// library sine costs well over 100 ns, so both come from one extended-precision reduction of
// an estimate of phi (within phaseError of it) and double-precision polynomials; the library
// sine is consulted only for a result lying too near a rounding boundary to be sure (a few
// cases in 10^4).
struct TAbsSinePair {
    std::int32_t AtPhase;
    std::int32_t QuarterOn;
};

template <class TExactPhase>
TAbsSinePair RoundedAbsSinePair(long double phase, long double phaseError, std::int32_t v,
                                const TExactPhase& exactPhase) {
    const auto exact = [&](double offset) {
        const long double x = exactPhase() + offset;
        return static_cast<std::int32_t>(RoundEven(std::fabs(std::sin(x)) * v));
    };
    const auto atPhase = [&] { return exact(0.0); };
    const auto quarterOn = [&] { return exact(abssine::QuarterTurn); };
    if (!(std::fabs(phase) < 0x1p30L)) {
        return {atPhase(), quarterOn()};
    }
    const std::int64_t j = RoundEven(phase * abssine::TwoOverPi);
    const auto jl = static_cast<long double>(j);
    const auto r = static_cast<double>((phase - jl * abssine::Pio2Hi) - jl * abssine::Pio2Lo);
    double s = std::fabs(abssine::SinPolynomial(r));
    double c = std::fabs(abssine::CosPolynomial(r));
    if ((j & 1) != 0) {
        std::swap(s, c);
    }
    // Besides the estimate's own error: the phase estimate's, the quarter turn's distance from
    // pi/2 (6.1e-17) and the rounding of phase + QuarterTurn.
    const double magnitude = std::fabs(static_cast<double>(v));
    const double tolerance =
        abssine::Margin +
        magnitude * static_cast<double>(phaseError + std::fabs(phase) * 0x1p-62L + 1e-16L);
    return {static_cast<std::int32_t>(RoundEstimate(s * v, atPhase, tolerance)),
            static_cast<std::int32_t>(RoundEstimate(c * v, quarterOn, tolerance))};
}

}  // namespace sonavel
