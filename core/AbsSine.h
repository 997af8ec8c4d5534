#pragma once

#include <cmath>
#include <cstdint>

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

// The double-precision estimate of |sin(x)| * v is within about 2e-6 of the extended one
// (|v| < 2^31); a result this far from a rounding boundary rounds the same either way.
inline constexpr double Margin = 1e-4;

}  // namespace abssine

// round(|sin(x)| * v), ties to even, with the sine and the product taken in extended
// precision. The extended library sine costs well over 100 ns, so a double-precision
// estimate after an extended-precision reduction decides, and the library sine is consulted
// only when the estimate lies within Margin of a rounding boundary (about 2 cases in 10^4).
inline std::int32_t RoundedAbsSineProduct(long double x, std::int32_t v) {
    const auto extended = [x, v] {
        return static_cast<std::int32_t>(RoundEven(std::fabs(std::sin(x)) * v));
    };
    if (!(std::fabs(x) < 0x1p30L)) {
        return extended();
    }
    const std::int64_t j = RoundEven(x * abssine::TwoOverPi);
    const auto jl = static_cast<long double>(j);
    const auto r = static_cast<double>((x - jl * abssine::Pio2Hi) - jl * abssine::Pio2Lo);
    const double s = (j & 1) != 0 ? abssine::CosPolynomial(r) : abssine::SinPolynomial(r);
    const double y = std::fabs(s) * v;
    const double below = std::floor(y);
    const double fraction = y - below;
    if (std::fabs(fraction - 0.5) < abssine::Margin) {
        return extended();
    }
    return static_cast<std::int32_t>(fraction < 0.5 ? below : below + 1);
}

}  // namespace sonavel
