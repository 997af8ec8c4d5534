#include "core/ScaledSine.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstring>

#include "spectra/ExtendedFormat.h"

namespace sonavel {

namespace {

// pi / 2 as HalfPi1 + HalfPi2 + HalfPi3, good to about 2^-112. The first two parts have
// 24-bit significands, so n times them is exact in the 64-bit significand for |n| < 2^40.
constexpr long double HalfPi1 = 0xc90fdbp-23L;
constexpr long double HalfPi2 = -0xbbbd2ep-48L;
constexpr long double HalfPi3 = -0xf72cece675d1fc90p-113L;
constexpr long double TwoOverPi = 0.636619772367581343075535053490057448L;
// Below this |x| the multiple n of pi / 2 stays under 2^38, well inside the exact range.
constexpr long double ReducibleLimit = 0x1p38L;
// Adding and subtracting it rounds a long double below 2^62 to an integer, without the
// costly rounding-mode switches of the library calls.
constexpr long double Shifter = 0x1.8p63L;
// Scales beyond this go the slow way: the integer rounding above would no longer hold.
constexpr long double ScaleLimit = 0x1p52L;
// Error bounds of the double series: relative to the value (rounding the argument to double
// and a few units in the last place of the series), and absolute (the reduction's roundings
// at 2^-64 of pi / 4), each with ample room.
constexpr long double RelativeError = 0x1p-49L;
constexpr long double AbsoluteError = 0x1p-60L;

long double RoundToInteger(long double v) {
    return (v + Shifter) - Shifter;
}

long double TruncToInteger(long double v) {
    const long double magnitude = std::fabs(v);
    long double whole = RoundToInteger(magnitude);
    if (whole > magnitude) {
        whole -= 1;
    }
    return v < 0 ? -whole : whole;
}

// x = n pi / 2 + r with |r| at most a hair above pi / 4; quadrant = n mod 4.
struct TReduced {
    double Rest;
    unsigned Quadrant;
};

bool Reduce(long double x, TReduced& reduced) {
    if (!(std::fabs(x) < ReducibleLimit)) {
        return false;
    }
    // Rounded to an integer by the shift, whose significand then holds 1.5 x 2^63 + n: its
    // low bits are n modulo 4 (the significand is the first 8 bytes of the 80-bit format).
    const long double shifted = x * TwoOverPi + Shifter;
    const long double n = shifted - Shifter;
    std::uint64_t significand = 0;
    std::memcpy(&significand, &shifted, sizeof significand);
    // x - n HalfPi1 is exact (the two lie within a factor of 2 of each other, or n is 0);
    // each further subtraction rounds only at the size of its result, below 1.
    reduced.Rest = static_cast<double>(((x - n * HalfPi1) - n * HalfPi2) - n * HalfPi3);
    reduced.Quadrant = static_cast<unsigned>(significand & 3U);
    return true;
}

// sin r and 1 - cos r by their Taylor series up to r^17 and r^18: for |r| <= pi / 4 the first
// omitted terms are below 1e-19. 1 - cos r keeps its precision relative to its own size, so
// values near the peaks of the sine stay exact.
[[gnu::always_inline]] inline double SinSeries(double r) {
    const double r2 = r * r;
    double p = -1.0 / 355687428096000.0;  // -1/17!
    p = p * r2 + 1.0 / 1307674368000.0;
    p = p * r2 - 1.0 / 6227020800.0;
    p = p * r2 + 1.0 / 39916800.0;
    p = p * r2 - 1.0 / 362880.0;
    p = p * r2 + 1.0 / 5040.0;
    p = p * r2 - 1.0 / 120.0;
    p = p * r2 + 1.0 / 6.0;
    return r - r * r2 * p;
}

[[gnu::always_inline]] inline double CosComplementSeries(double r) {
    const double r2 = r * r;
    double p = -1.0 / 6402373705728000.0;  // -1/18!
    p = p * r2 + 1.0 / 20922789888000.0;
    p = p * r2 - 1.0 / 87178291200.0;
    p = p * r2 + 1.0 / 479001600.0;
    p = p * r2 - 1.0 / 3628800.0;
    p = p * r2 + 1.0 / 40320.0;
    p = p * r2 - 1.0 / 720.0;
    p = p * r2 + 1.0 / 24.0;
    return r2 * (0.5 - r2 * p);
}

// sin x or 1 - |cos x| from the series: exactly as a long double sum, rounded as a double,
// and its size, to which the series' error is relative.
struct TEstimate {
    long double Value;
    double Rounded;
    double Size;
};

TEstimate Estimate(long double value, double size) {
    return {value, static_cast<double>(value), size};
}

// trunc(exact x scale) for the exact value the estimate stands for, knowing that the product
// lies in [low, high]; false when the estimate leaves the truncated value open.
bool TruncProduct(const TEstimate& estimate, long double scale, long double low, long double high,
                  std::int64_t& result) {
    // First in double: its own roundings (of the value, the scale and the product, each 2^-53
    // of the scale) are well inside the bound.
    const auto scaleRounded = static_cast<double>(scale);
    const double product = estimate.Rounded * scaleRounded;
    const double bound = std::fabs(scaleRounded) * (estimate.Size * 0x1p-48 + 0x1p-50) + 0x1p-30;
    const auto least = static_cast<std::int64_t>(product - bound);
    if (least == static_cast<std::int64_t>(product + bound)) {
        result = least;
        return true;
    }
    // Near an integer: in extended precision, where the bounds of the product settle the
    // sine peaks (the scale itself may lie a hair below an integer).
    const long double exactProduct = estimate.Value * scale;
    const long double error = std::fabs(scale) * (estimate.Size * RelativeError + AbsoluteError) +
                              std::fabs(exactProduct) * 0x1p-62L;
    const long double lowest = TruncToInteger(std::max(exactProduct - error, low));
    if (lowest != TruncToInteger(std::min(exactProduct + error, high))) {
        return false;
    }
    result = static_cast<std::int64_t>(static_cast<double>(lowest));
    return true;
}

bool FastPathApplies(long double scale) {
    return std::fabs(scale) < ScaleLimit;
}

// The exact reduction of the run functions works on the bits of x as stored: x = m 2^(q-63)
// with a 64-bit significand m, and x 2 / pi modulo 4 comes out of m times a 192-bit window of
// the bits of 2 / pi, in integer arithmetic (no extended-precision operations at all).
__extension__ using TUint128 = unsigned __int128;

// 2 / pi to 256 bits after the binary point, most significant word first.
constexpr std::array<std::uint64_t, 4> TwoOverPiBits = {0xa2f9836e4e441529, 0xfc2757d1f534ddc0,
                                                        0xdb6295993c439041, 0xfe5163abdebbc561};

// Bits [s, s + 64) of floor(2 / pi x 2^256), bit 0 the least significant; 0 outside it.
constexpr std::uint64_t TwoOverPiBitsAt(int s) {
    std::uint64_t word = 0;
    for (int b = 0; b < 64; ++b) {
        const int p = s + b;
        if (p >= 0 && p < 256) {
            const std::uint64_t source = TwoOverPiBits[3 - p / 64];
            word |= ((source >> (p % 64)) & 1U) << b;
        }
    }
    return word;
}

// Exponents q (x in [2^q, 2^(q+1))) the integer reduction covers: below, x < pi / 4 needs
// none; above, x reaches past the range of the other reduction too.
constexpr int LowestExponent = -1;
constexpr int HighestExponent = 37;

// floor(2 / pi x 2^(q + 127)) modulo 2^192, least significant word first, for each q.
using TWindow = std::array<std::uint64_t, 3>;
constexpr std::array<TWindow, HighestExponent - LowestExponent + 1> ReductionWindows = [] {
    std::array<TWindow, HighestExponent - LowestExponent + 1> windows{};
    for (int q = LowestExponent; q <= HighestExponent; ++q) {
        const int s = 129 - q;
        windows[q - LowestExponent] = {TwoOverPiBitsAt(s), TwoOverPiBitsAt(s + 64),
                                       TwoOverPiBitsAt(s + 128)};
    }
    return windows;
}();

// One unit of the reduced fraction (a quarter turn is 2^62 units) in radians.
constexpr double RadiansPerUnit = 1.5707963267948966 * 0x1p-62;

// x = n pi / 2 + r as Reduce, from the stored bits; false beyond 2^38 and for NaN and infinity.
bool ReduceBits(const long double& x, TReduced& reduced) {
    std::uint64_t significand = 0;
    std::uint16_t signAndExponent = 0;
    std::memcpy(&significand, &x, sizeof significand);
    std::memcpy(&signAndExponent, reinterpret_cast<const unsigned char*>(&x) + 8,
                sizeof signAndExponent);
    const int q = (signAndExponent & 0x7FFF) - 16383;
    if (q > HighestExponent) {
        return false;
    }
    if (q < LowestExponent) {
        reduced.Rest = static_cast<double>(x);
        reduced.Quadrant = 0;
        return true;
    }
    // Bits 128 .. 191 of m times the window: x 2 / pi modulo 4 with 62 bits after the point.
    const TWindow& window = ReductionWindows[q - LowestExponent];
    const TUint128 low = static_cast<TUint128>(significand) * window[0];
    const TUint128 middle = static_cast<TUint128>(significand) * window[1];
    const TUint128 carry = (low >> 64) + static_cast<std::uint64_t>(middle);
    std::uint64_t turns = static_cast<std::uint64_t>(middle >> 64) + significand * window[2] +
                          static_cast<std::uint64_t>(carry >> 64);
    if ((signAndExponent & 0x8000) != 0) {
        turns = 0 - turns;
    }
    // Round to the nearest quarter turn; the rest lies within half a quarter turn of it.
    const std::uint64_t rounded = turns + (std::uint64_t{1} << 61);
    reduced.Quadrant = static_cast<unsigned>(rounded >> 62);
    const auto fraction =
        static_cast<std::int64_t>(turns - (rounded & ~((std::uint64_t{1} << 62) - 1)));
    reduced.Rest = static_cast<double>(fraction) * RadiansPerUnit;
    return true;
}

// Arguments reduced per pass of the run functions: scratch that stays in the first-level cache.
constexpr std::size_t PassLength = 512;

enum class TFunction : std::uint8_t { Sine, CosineComplement };

// ifTrue where mask is all ones, ifFalse where it is zero.
[[gnu::always_inline]] inline double Select(std::uint64_t mask, double ifTrue, double ifFalse) {
    return std::bit_cast<double>((std::bit_cast<std::uint64_t>(ifTrue) & mask) |
                                 (std::bit_cast<std::uint64_t>(ifFalse) & ~mask));
}

// The double series and the truncation of one pass, as in TruncProduct's first step, in
// vectors: the noise's quadrants are random, so every choice is a blend, not a branch. open[i]
// is set where the bound leaves the value open or the reduction could not reach x. The
// products stay inside the 32-bit range (|scale| < 2^31 - 1/2, |value| <= 1), so the
// conversions are defined.
template <TFunction Function>
[[gnu::always_inline]] inline void SeriesPass(const double* rest, const std::int32_t* quadrant,
                                              std::size_t n, double scaleRounded, std::int32_t* out,
                                              std::int32_t* open) {
    const double absScale = std::fabs(scaleRounded);
#pragma omp simd
    for (std::size_t i = 0; i < n; ++i) {
        const double r = rest[i];
        const double s = SinSeries(r);
        const double c = CosComplementSeries(r);
        // Choices by bit masks: a choice between values, or an operation under a condition,
        // turns into a branch that keeps the loop from vectorising.
        const std::uint64_t odd = 0 - static_cast<std::uint64_t>(quadrant[i] & 1);
        const double absS = std::fabs(s);
        double value = 0;
        double size = 0;
        if constexpr (Function == TFunction::Sine) {
            const auto sign = static_cast<std::uint64_t>(quadrant[i] & 2) << 62;
            value =
                std::bit_cast<double>(std::bit_cast<std::uint64_t>(Select(odd, 1 - c, s)) ^ sign);
            size = Select(odd, c, absS);
        } else {
            value = Select(odd, 1 - absS, c);
            size = Select(odd, absS, c);
        }
        const double product = value * scaleRounded;
        const double bound = absScale * (size * 0x1p-48 + 0x1p-50) + 0x1p-30;
        const auto least = static_cast<std::int32_t>(product - bound);
        const auto most = static_cast<std::int32_t>(product + bound);
        out[i] = least;
        open[i] = static_cast<std::int32_t>(least != most) | (quadrant[i] >> 31);
    }
}

// The same pass with AVX2's four lanes where the processor has them. Without FMA: the
// results are those of the plain pass, bit for bit.
template <TFunction Function>
[[gnu::target("avx2")]] void SeriesPassAvx2(const double* rest, const std::int32_t* quadrant,
                                            std::size_t n, double scaleRounded, std::int32_t* out,
                                            std::int32_t* open) {
    SeriesPass<Function>(rest, quadrant, n, scaleRounded, out, open);
}

template <TFunction Function>
void SeriesPassPlain(const double* rest, const std::int32_t* quadrant, std::size_t n,
                     double scaleRounded, std::int32_t* out, std::int32_t* open) {
    SeriesPass<Function>(rest, quadrant, n, scaleRounded, out, open);
}

bool HasAvx2() {
    static const bool has = (__builtin_cpu_init(), __builtin_cpu_supports("avx2"));
    return has;
}

thread_local bool PlainPassOnly = false;

template <TFunction Function>
void TruncScaledRun(std::span<const long double> x, long double scale,
                    std::span<std::int32_t> out) {
    const auto scalar = [scale](long double v) {
        return static_cast<std::int32_t>(Function == TFunction::Sine
                                             ? TruncScaledSine(v, scale)
                                             : TruncScaledCosineComplement(v, scale));
    };
    if (!(std::fabs(scale) < 0x1p31L - 0.5L)) {
        std::transform(x.begin(), x.end(), out.begin(), scalar);
        return;
    }
    const auto scaleRounded = static_cast<double>(scale);
    const auto pass =
        HasAvx2() && !PlainPassOnly ? SeriesPassAvx2<Function> : SeriesPassPlain<Function>;
    std::array<double, PassLength> rest{};
    std::array<std::int32_t, PassLength> quadrant{};
    std::array<std::int32_t, PassLength> open{};
    for (std::size_t first = 0; first < x.size(); first += PassLength) {
        const std::size_t n = std::min(PassLength, x.size() - first);
        // The extended reduction; arguments beyond its reach get quadrant -1.
        for (std::size_t i = 0; i < n; ++i) {
            TReduced reduced{};
            if (ReduceBits(x[first + i], reduced)) {
                rest[i] = reduced.Rest;
                quadrant[i] = static_cast<std::int32_t>(reduced.Quadrant);
            } else {
                rest[i] = 0;
                quadrant[i] = -1;
            }
        }
        pass(rest.data(), quadrant.data(), n, scaleRounded, out.data() + first, open.data());
        for (std::size_t i = 0; i < n; ++i) {
            if (open[i] != 0) {
                out[first + i] = scalar(x[first + i]);
            }
        }
    }
}

}  // namespace

TPlainSinePass::TPlainSinePass() : Was_(PlainPassOnly) {
    PlainPassOnly = true;
}

TPlainSinePass::~TPlainSinePass() {
    PlainPassOnly = Was_;
}

void TruncScaledSines(std::span<const long double> x, long double scale,
                      std::span<std::int32_t> out) {
    TruncScaledRun<TFunction::Sine>(x, scale, out);
}

void TruncScaledCosineComplements(std::span<const long double> x, long double scale,
                                  std::span<std::int32_t> out) {
    TruncScaledRun<TFunction::CosineComplement>(x, scale, out);
}

std::int64_t TruncScaledSine(long double x, long double scale) {
    if (scale == 0) {
        return 0;
    }
    TReduced reduced{};
    if (FastPathApplies(scale) && Reduce(x, reduced)) {
        const double r = reduced.Rest;
        TEstimate sine{};
        if ((reduced.Quadrant & 1U) == 0) {
            const double s = SinSeries(r);
            sine = Estimate(s, std::fabs(s));
        } else {
            const double complement = CosComplementSeries(r);
            sine = Estimate(1 - static_cast<long double>(complement), complement);
        }
        if (reduced.Quadrant >= 2) {
            sine.Value = -sine.Value;
            sine.Rounded = -sine.Rounded;
        }
        // |sin| <= 1, so the extended product never passes the scale.
        std::int64_t result = 0;
        if (TruncProduct(sine, scale, -std::fabs(scale), std::fabs(scale), result)) {
            return result;
        }
    }
    return static_cast<std::int64_t>(std::sin(x) * scale);
}

std::int64_t TruncScaledCosineComplement(long double x, long double scale) {
    if (scale == 0) {
        return 0;
    }
    TReduced reduced{};
    if (FastPathApplies(scale) && Reduce(x, reduced)) {
        const double r = reduced.Rest;
        TEstimate complement{};
        if ((reduced.Quadrant & 1U) == 0) {
            // |cos x| = cos r.
            const double c = CosComplementSeries(r);
            complement = Estimate(c, c);
        } else {
            // |cos x| = |sin r|.
            const double s = std::fabs(SinSeries(r));
            complement = Estimate(1 - static_cast<long double>(s), s);
        }
        // 0 <= 1 - |cos| <= 1, so the product lies between 0 and the scale.
        std::int64_t result = 0;
        if (TruncProduct(complement, scale, std::min<long double>(0, scale),
                         std::max<long double>(0, scale), result)) {
            return result;
        }
    }
    return static_cast<std::int64_t>(scale * (1 - std::fabs(std::cos(x))));
}

}  // namespace sonavel
