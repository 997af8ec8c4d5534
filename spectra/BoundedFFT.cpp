#include "spectra/BoundedFFT.h"

#include <algorithm>
#include <cfenv>
#include <cmath>
#include <map>
#include <mutex>
#include <numbers>
#include <stdexcept>

#include "spectra/SpectraUtils.h"

namespace sonavel {

namespace {

// The running bound, with u = 2^-53 (double) and v = 2^-64 (extended) the unit roundoffs.
// Values are complex; bounds are on the modulus of the difference, and the modulus is
// bounded by |Re| + |Im|.
//  - Sum a + b: |y - x| <= (ea + eb)(1 + v) + (u + v) / (1 - u) * |y|.
//  - Difference times twiddle w: the difference as above, then the twiddles differ by at
//    most u|w| (the double one is the extended one rounded), |w| <= 1 + 2^-60 (checked), and
//    a complex product rounds by at most 2 sqrt(2) u |w||z| (the same with fused multiplies):
//    in all (ea + eb)(1 + 2^-59) + 4.9 u |d| with d the difference.
// Grow, SumError and TwiddledError exceed those factors; the slack also covers the rounding
// of the bound's own arithmetic (each of its three operations loses at most u relative).
constexpr double Grow = 1 + 0x1p-40;
constexpr double SumError = 0x1p-52;       // 2u
constexpr double TwiddledError = 0x1p-50;  // 8u

// Spans up to this many values run chunk by chunk, the chunk staying in the first caches.
constexpr std::size_t LocalSpan = 1024;

struct TArrays {
    double* Re;
    double* Im;
    double* Err;
};

// One butterfly: a, b (with their bounds) become a + b and (a - b) times the twiddle c + id.
[[gnu::always_inline]] inline void Butterfly(double& ar, double& ai, double& ae, double& br,
                                             double& bi, double& be, double c, double d) {
    const double sr = ar + br;
    const double si = ai + bi;
    const double dr = ar - br;
    const double di = ai - bi;
    const double carried = (ae + be) * Grow;
    ar = sr;
    ai = si;
    ae = carried + SumError * (std::fabs(sr) + std::fabs(si));
    br = c * dr - d * di;
    bi = d * dr + c * di;
    be = carried + TwiddledError * (std::fabs(dr) + std::fabs(di));
}

// The butterflies of one group: top[j] with bottom[j] for j < half.
[[gnu::always_inline]] inline void GroupBody(double* __restrict r0, double* __restrict i0,
                                             double* __restrict e0, double* __restrict r1,
                                             double* __restrict i1, double* __restrict e1,
                                             std::size_t half, const double* __restrict c,
                                             const double* __restrict d) {
    for (std::size_t j = 0; j < half; ++j) {
        Butterfly(r0[j], i0[j], e0[j], r1[j], i1[j], e1[j], c[j], d[j]);
    }
}

// One stage of span `span` over `length` values; c, d: the stage's twiddle factors.
[[gnu::always_inline]] inline void StageBody(TArrays w, std::size_t length, std::size_t span,
                                             const double* c, const double* d) {
    const std::size_t half = span / 2;
    for (std::size_t group = 0; group < length; group += span) {
        GroupBody(w.Re + group, w.Im + group, w.Err + group, w.Re + group + half,
                  w.Im + group + half, w.Err + group + half, half, c, d);
    }
}

// The stages from span `from` down to span `to` over `length` values. (Sweeping two stages
// at once in registers was slower here.)
[[gnu::always_inline]] inline void StagesBody(TArrays w, std::size_t length, std::size_t n,
                                              std::size_t from, std::size_t to, const double* c,
                                              const double* d) {
    for (std::size_t s = from; s >= to; s /= 2) {
        StageBody(w, length, s, c + (n - s), d + (n - s));
    }
}

// All stages, in an order that keeps every butterfly's inputs: the large spans sweep the
// whole array, then each chunk of LocalSpan values runs its remaining stages.
[[gnu::always_inline]] inline void TransformBody(TArrays w, std::size_t n, const double* c,
                                                 const double* d) {
    const std::size_t chunk = std::min(n, LocalSpan);
    if (n > chunk) {
        StagesBody(w, n, n, n, 2 * chunk, c, d);
    }
    for (std::size_t first = 0; first < n; first += chunk) {
        const TArrays part{w.Re + first, w.Im + first, w.Err + first};
        StagesBody(part, chunk, n, chunk, 2, c, d);
    }
}

#if defined(__GNUC__) && defined(__x86_64__)
[[gnu::target("avx2,fma")]] void TransformAvx2(TArrays w, std::size_t n, const double* c,
                                               const double* d) {
    TransformBody(w, n, c, d);
}
bool HasAvx2() {
    static const bool has = __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
    return has;
}
#endif

void TransformPlain(TArrays w, std::size_t n, const double* c, const double* d) {
    TransformBody(w, n, c, d);
}

void Transform(TArrays w, std::size_t n, const double* c, const double* d) {
#if defined(__GNUC__) && defined(__x86_64__)
    if (HasAvx2()) {
        TransformAvx2(w, n, c, d);
        return;
    }
#endif
    TransformPlain(w, n, c, d);
}

// Clears the floating-point flags and tells on leaving whether the bounds may have failed,
// restoring the caller's flags.
class TRangeWatch {
  public:
    TRangeWatch() {
        std::fegetexceptflag(&Saved_, FE_ALL_EXCEPT);
        std::feclearexcept(FE_ALL_EXCEPT);
    }
    ~TRangeWatch() { std::fesetexceptflag(&Saved_, FE_ALL_EXCEPT); }
    TRangeWatch(const TRangeWatch&) = delete;
    TRangeWatch& operator=(const TRangeWatch&) = delete;

    // Relative rounding errors hold only between underflow and overflow.
    static bool InRange() {
        return std::fetestexcept(FE_UNDERFLOW | FE_OVERFLOW | FE_INVALID) == 0;
    }

  private:
    std::fexcept_t Saved_{};
};

}  // namespace

// Twiddle factors per direction, stage by stage as in FFT (the stage of span S holds C[j*G],
// D[j*G] for j < S/2 at offset N - S), and the bit-reversal permutation.
struct TBoundedFFT::TTables {
    explicit TTables(std::uint32_t n);
    std::vector<std::uint32_t> Reverse;
    std::vector<double> Cos[2];
    std::vector<double> Sin[2];
};

TBoundedFFT::TTables::TTables(std::uint32_t n) : Reverse(n) {
    unsigned bits = 0;
    while ((std::uint32_t{1} << bits) < n) {
        ++bits;
    }
    for (std::uint32_t i = 0; i < n; ++i) {
        Reverse[i] = ReverseBits(i, bits);
    }
    // The factors FFT uses, cos(angle*j/N) and -sin(angle*j/N) in extended precision, here
    // rounded to double.
    const long double twoPi = 2 * std::numbers::pi_v<long double>;
    for (int direction = 0; direction < 2; ++direction) {
        const long double angle = direction == 0 ? twoPi : -twoPi;
        std::vector<long double> cosine(n / 2);
        std::vector<long double> sine(n / 2);
        for (std::uint32_t j = 0; j < n / 2; ++j) {
            const long double a = angle * static_cast<long double>(j) / static_cast<long double>(n);
            cosine[j] = std::cos(a);
            sine[j] = -std::sin(a);
            if (cosine[j] * cosine[j] + sine[j] * sine[j] > 1 + 0x1p-59L) {
                throw std::logic_error("TBoundedFFT: twiddle factor outside the unit circle");
            }
        }
        Cos[direction].resize(n - 1);
        Sin[direction].resize(n - 1);
        for (std::uint32_t span = n, groups = 1; span >= 2; span /= 2, groups *= 2) {
            for (std::uint32_t j = 0; j < span / 2; ++j) {
                const std::size_t source = std::size_t{j} * groups;
                Cos[direction][n - span + j] = static_cast<double>(cosine[source]);
                Sin[direction][n - span + j] = static_cast<double>(sine[source]);
            }
        }
    }
}

namespace {

std::shared_ptr<const TBoundedFFT::TTables> TablesFor(std::uint32_t n) {
    static std::mutex lock;
    static std::map<std::uint32_t, std::weak_ptr<const TBoundedFFT::TTables>> kept;
    const std::lock_guard guard(lock);
    auto tables = kept[n].lock();
    if (!tables) {
        tables = std::make_shared<const TBoundedFFT::TTables>(n);
        kept[n] = tables;
    }
    return tables;
}

}  // namespace

TBoundedFFT::TBoundedFFT(std::uint32_t n) : N_(n) {
    if (n < 2 || (n & (n - 1)) != 0) {
        throw std::invalid_argument("TBoundedFFT: the size must be a power of two from 2");
    }
    Tables_ = TablesFor(n);
    Re_.resize(n);
    Im_.resize(n);
    Err_.resize(n);
}

bool TBoundedFFT::Forward(std::span<const std::int32_t> samples, TBoundedSpectrum& spectrum) {
    const std::uint32_t n = N_;
    if (samples.size() < n) {
        throw std::invalid_argument("TBoundedFFT: block shorter than the transform");
    }
    const TRangeWatch watch;
    for (std::uint32_t i = 0; i < n; ++i) {
        Re_[i] = samples[i];
        Im_[i] = 0;
        Err_[i] = 0;  // integers are held exactly
    }
    Transform({Re_.data(), Im_.data(), Err_.data()}, n, Tables_->Cos[0].data(),
              Tables_->Sin[0].data());
    // 1/N is a power of two: the scaling is exact on both sides.
    const double scale = 1 / static_cast<double>(n);
    spectrum.Re.resize(n / 2 + 1);
    spectrum.Im.resize(n / 2 + 1);
    spectrum.Bound.resize(n / 2 + 1);
    for (std::uint32_t k = 0; k <= n / 2; ++k) {
        const std::uint32_t r = Tables_->Reverse[k];
        spectrum.Re[k] = Re_[r] * scale;
        spectrum.Im[k] = Im_[r] * scale;
        spectrum.Bound[k] = Err_[r] * scale;
    }
    return TRangeWatch::InRange();
}

bool TBoundedFFT::Inverse(const TBoundedSpectrum& spectrum, std::span<double> data,
                          std::span<double> bound) {
    const std::uint32_t n = N_;
    if (spectrum.Re.size() < n / 2 + 1 || spectrum.Im.size() < n / 2 + 1 ||
        spectrum.Bound.size() < n / 2 + 1 || data.size() < n || bound.size() < n) {
        throw std::invalid_argument("TBoundedFFT: arrays shorter than the transform");
    }
    const TRangeWatch watch;
    for (std::uint32_t k = 0; k <= n / 2; ++k) {
        Re_[k] = spectrum.Re[k];
        Im_[k] = spectrum.Im[k];
        Err_[k] = spectrum.Bound[k];
    }
    for (std::uint32_t k = n / 2 + 1; k < n; ++k) {  // the conjugate mirror, as FFT loads it
        Re_[k] = spectrum.Re[n - k];
        Im_[k] = -spectrum.Im[n - k];
        Err_[k] = spectrum.Bound[n - k];
    }
    Transform({Re_.data(), Im_.data(), Err_.data()}, n, Tables_->Cos[1].data(),
              Tables_->Sin[1].data());
    for (std::uint32_t i = 0; i < n; ++i) {
        const std::uint32_t r = Tables_->Reverse[i];
        data[i] = Re_[r];
        bound[i] = Err_[r];
    }
    return TRangeWatch::InRange();
}

}  // namespace sonavel
