#pragma once

#include <algorithm>
#include <cmath>
#include <cstddef>

// The butterflies of the bounded transform (TBoundedFFT): double-precision values with a
// running bound on their distance from the extended-precision ones.
namespace sonavel::bounded {

// The running bound, with u = 2^-53 (double) and v = 2^-64 (extended) the unit roundoffs.
// Values are complex; bounds are on the modulus of the difference, and the modulus is
// bounded by Modulus(): the chord of sqrt(1 + t^2) between t = 0 and 1 lies above it.
//  - Sum a + b, with y the sum computed in double: |y - x| <= (ea + eb)(1 + 2v)
//    + (u + v) / (1 - u) * |y|, that is at most 1.0005 u |y| beyond the carried bounds.
//  - Difference d times twiddle w: the difference as above (1.0005 u |d|), the twiddles
//    differing by at most u|w| (the double one is the extended one rounded; |w| <= 1 + 2^-60,
//    checked), and a complex product rounding by at most 2 sqrt(2) u/(1 - 2u) |w||d| (also
//    with fused multiplies): (ea + eb)(1 + 2^-58) + 4.83 u |d| in all.
// Grow, SumError (1.25 u) and TwiddledError (5 u) exceed those factors by more than the
// rounding of the bound's own arithmetic takes away (three operations, u relative each).
inline constexpr double Grow = 1 + 0x1p-40;
inline constexpr double SqrtTwoLessOne = 0.4142136;  // rounded up

// An upper bound of |re + i im| within a factor 1.083, without a square root.
inline double Modulus(double re, double im) {
    const double a = std::fabs(re);
    const double b = std::fabs(im);
    return std::max(a, b) + SqrtTwoLessOne * std::min(a, b);
}
inline constexpr double SumError = 0x1.4p-53;
inline constexpr double TwiddledError = 0x1.4p-51;

// The work arrays: real parts, imaginary parts and bounds, one entry per value.
struct TArrays {
    double* Re;
    double* Im;
    double* Err;
};

// All stages of FFT's network (radix-2 decimation in frequency, natural order in, bit-reversed
// order out) over n values, with the stage twiddle tables c, d laid out as FFT's: the stage of
// span S at offset n - S. Picks AVX2 and FMA when the processor has them.
void Transform(TArrays w, std::size_t n, const double* c, const double* d);
// The same without vector instructions, as machines without AVX2 run it.
void TransformPlain(TArrays w, std::size_t n, const double* c, const double* d);
// Transform's values alone, the same to the bit, without the bounds.
void TransformValues(double* re, double* im, std::size_t n, const double* c, const double* d);

}  // namespace sonavel::bounded
