#include "spectra/BoundedFFT.h"

#if defined(__GNUC__) && defined(__x86_64__)
#include <immintrin.h>
#endif

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
// bounded by Modulus(): the chord of sqrt(1 + t^2) between t = 0 and 1 lies above it.
//  - Sum a + b, with y the sum computed in double: |y - x| <= (ea + eb)(1 + 2v)
//    + (u + v) / (1 - u) * |y|, that is at most 1.0005 u |y| beyond the carried bounds.
//  - Difference d times twiddle w: the difference as above (1.0005 u |d|), the twiddles
//    differing by at most u|w| (the double one is the extended one rounded; |w| <= 1 + 2^-60,
//    checked), and a complex product rounding by at most 2 sqrt(2) u/(1 - 2u) |w||d| (also
//    with fused multiplies): (ea + eb)(1 + 2^-58) + 4.83 u |d| in all.
// Grow, SumError (1.25 u) and TwiddledError (5 u) exceed those factors by more than the
// rounding of the bound's own arithmetic takes away (three operations, u relative each).
constexpr double Grow = 1 + 0x1p-40;
constexpr double SqrtTwoLessOne = 0.4142136;  // rounded up

// An upper bound of |re + i im| within a factor 1.083, without a square root.
inline double Modulus(double re, double im) {
    const double a = std::fabs(re);
    const double b = std::fabs(im);
    return std::max(a, b) + SqrtTwoLessOne * std::min(a, b);
}
constexpr double SumError = 0x1.4p-53;
constexpr double TwiddledError = 0x1.4p-51;

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
    ae = carried + SumError * Modulus(sr, si);
    br = c * dr - d * di;
    bi = d * dr + c * di;
    be = carried + TwiddledError * Modulus(dr, di);
}

// The butterflies of one group, top[j] with bottom[j] for j < half, one at a time.
struct TPlainGroup {
    static void Run(double* __restrict r0, double* __restrict i0, double* __restrict e0,
                    double* __restrict r1, double* __restrict i1, double* __restrict e1,
                    std::size_t half, const double* __restrict c, const double* __restrict d) {
        for (std::size_t j = 0; j < half; ++j) {
            Butterfly(r0[j], i0[j], e0[j], r1[j], i1[j], e1[j], c[j], d[j]);
        }
    }
    // The last two stages have no faster form here.
    static bool LastTwo(TArrays /*w*/, std::size_t /*length*/, const double* /*c4*/,
                        const double* /*d4*/, const double* /*c2*/, const double* /*d2*/) {
        return false;
    }
};

#if defined(__GNUC__) && defined(__x86_64__)
// Butterfly on four lanes at once. A fused multiply-add rounds once where the plain code
// rounds twice; the bounds hold either way.
struct TLanes {
    __m256d Re;
    __m256d Im;
    __m256d Err;
};

// Modulus() on four lanes.
[[gnu::target("avx2,fma"), gnu::always_inline]] inline __m256d Modulus4(__m256d re, __m256d im) {
    const __m256d magnitude = _mm256_castsi256_pd(_mm256_set1_epi64x(0x7fffffffffffffff));
    const __m256d a = _mm256_and_pd(re, magnitude);
    const __m256d b = _mm256_and_pd(im, magnitude);
    return _mm256_fmadd_pd(_mm256_set1_pd(SqrtTwoLessOne), _mm256_min_pd(a, b),
                           _mm256_max_pd(a, b));
}

[[gnu::target("avx2,fma"), gnu::always_inline]] inline void Butterfly4(TLanes& a, TLanes& b,
                                                                       __m256d c, __m256d d) {
    const __m256d sr = _mm256_add_pd(a.Re, b.Re);
    const __m256d si = _mm256_add_pd(a.Im, b.Im);
    const __m256d dr = _mm256_sub_pd(a.Re, b.Re);
    const __m256d di = _mm256_sub_pd(a.Im, b.Im);
    const __m256d carried = _mm256_mul_pd(_mm256_add_pd(a.Err, b.Err), _mm256_set1_pd(Grow));
    a.Re = sr;
    a.Im = si;
    a.Err = _mm256_fmadd_pd(_mm256_set1_pd(SumError), Modulus4(sr, si), carried);
    b.Re = _mm256_fmsub_pd(c, dr, _mm256_mul_pd(d, di));
    b.Im = _mm256_fmadd_pd(d, dr, _mm256_mul_pd(c, di));
    b.Err = _mm256_fmadd_pd(_mm256_set1_pd(TwiddledError), Modulus4(dr, di), carried);
}

// Rows of four become columns of four.
[[gnu::target("avx2,fma"), gnu::always_inline]] inline void Transpose(__m256d& x0, __m256d& x1,
                                                                      __m256d& x2, __m256d& x3) {
    const __m256d t0 = _mm256_unpacklo_pd(x0, x1);
    const __m256d t1 = _mm256_unpackhi_pd(x0, x1);
    const __m256d t2 = _mm256_unpacklo_pd(x2, x3);
    const __m256d t3 = _mm256_unpackhi_pd(x2, x3);
    x0 = _mm256_permute2f128_pd(t0, t2, 0x20);
    x1 = _mm256_permute2f128_pd(t1, t3, 0x20);
    x2 = _mm256_permute2f128_pd(t0, t2, 0x31);
    x3 = _mm256_permute2f128_pd(t1, t3, 0x31);
}

struct TAvx2Group {
    [[gnu::target("avx2,fma")]] static void Run(double* r0, double* i0, double* e0, double* r1,
                                                double* i1, double* e1, std::size_t half,
                                                const double* c, const double* d) {
        if (half < 4) {
            TPlainGroup::Run(r0, i0, e0, r1, i1, e1, half, c, d);
            return;
        }
        for (std::size_t j = 0; j < half; j += 4) {  // half is a power of two from 4
            TLanes a{_mm256_loadu_pd(r0 + j), _mm256_loadu_pd(i0 + j), _mm256_loadu_pd(e0 + j)};
            TLanes b{_mm256_loadu_pd(r1 + j), _mm256_loadu_pd(i1 + j), _mm256_loadu_pd(e1 + j)};
            Butterfly4(a, b, _mm256_loadu_pd(c + j), _mm256_loadu_pd(d + j));
            _mm256_storeu_pd(r0 + j, a.Re);
            _mm256_storeu_pd(i0 + j, a.Im);
            _mm256_storeu_pd(e0 + j, a.Err);
            _mm256_storeu_pd(r1 + j, b.Re);
            _mm256_storeu_pd(i1 + j, b.Im);
            _mm256_storeu_pd(e1 + j, b.Err);
        }
    }

    // The stages of span 4 and 2 over `length` values (a multiple of 16): four groups of
    // four at a time, turned so that each lane holds one group.
    [[gnu::target("avx2,fma")]] static bool LastTwo(TArrays w, std::size_t length, const double* c4,
                                                    const double* d4, const double* c2,
                                                    const double* d2) {
        if (length % 16 != 0) {
            return false;
        }
        const __m256d c40 = _mm256_set1_pd(c4[0]);
        const __m256d d40 = _mm256_set1_pd(d4[0]);
        const __m256d c41 = _mm256_set1_pd(c4[1]);
        const __m256d d41 = _mm256_set1_pd(d4[1]);
        const __m256d c20 = _mm256_set1_pd(c2[0]);
        const __m256d d20 = _mm256_set1_pd(d2[0]);
        for (std::size_t first = 0; first < length; first += 16) {
            double* re = w.Re + first;
            double* im = w.Im + first;
            double* err = w.Err + first;
            TLanes v0{_mm256_loadu_pd(re), _mm256_loadu_pd(im), _mm256_loadu_pd(err)};
            TLanes v1{_mm256_loadu_pd(re + 4), _mm256_loadu_pd(im + 4), _mm256_loadu_pd(err + 4)};
            TLanes v2{_mm256_loadu_pd(re + 8), _mm256_loadu_pd(im + 8), _mm256_loadu_pd(err + 8)};
            TLanes v3{_mm256_loadu_pd(re + 12), _mm256_loadu_pd(im + 12),
                      _mm256_loadu_pd(err + 12)};
            Transpose(v0.Re, v1.Re, v2.Re, v3.Re);
            Transpose(v0.Im, v1.Im, v2.Im, v3.Im);
            Transpose(v0.Err, v1.Err, v2.Err, v3.Err);
            Butterfly4(v0, v2, c40, d40);
            Butterfly4(v1, v3, c41, d41);
            Butterfly4(v0, v1, c20, d20);
            Butterfly4(v2, v3, c20, d20);
            Transpose(v0.Re, v1.Re, v2.Re, v3.Re);
            Transpose(v0.Im, v1.Im, v2.Im, v3.Im);
            Transpose(v0.Err, v1.Err, v2.Err, v3.Err);
            _mm256_storeu_pd(re, v0.Re);
            _mm256_storeu_pd(re + 4, v1.Re);
            _mm256_storeu_pd(re + 8, v2.Re);
            _mm256_storeu_pd(re + 12, v3.Re);
            _mm256_storeu_pd(im, v0.Im);
            _mm256_storeu_pd(im + 4, v1.Im);
            _mm256_storeu_pd(im + 8, v2.Im);
            _mm256_storeu_pd(im + 12, v3.Im);
            _mm256_storeu_pd(err, v0.Err);
            _mm256_storeu_pd(err + 4, v1.Err);
            _mm256_storeu_pd(err + 8, v2.Err);
            _mm256_storeu_pd(err + 12, v3.Err);
        }
        return true;
    }
};
#endif

// One stage of span `span` over `length` values; c, d: the stage's twiddle factors.
template <class Group>
[[gnu::always_inline]] inline void StageBody(TArrays w, std::size_t length, std::size_t span,
                                             const double* c, const double* d) {
    const std::size_t half = span / 2;
    for (std::size_t group = 0; group < length; group += span) {
        Group::Run(w.Re + group, w.Im + group, w.Err + group, w.Re + group + half,
                   w.Im + group + half, w.Err + group + half, half, c, d);
    }
}

// The stages from span `from` down to span `to` over `length` values. (Sweeping two stages
// at once in registers was slower here.)
template <class Group>
[[gnu::always_inline]] inline void StagesBody(TArrays w, std::size_t length, std::size_t n,
                                              std::size_t from, std::size_t to, const double* c,
                                              const double* d) {
    std::size_t s = from;
    for (; s >= to && s > 4; s /= 2) {
        StageBody<Group>(w, length, s, c + (n - s), d + (n - s));
    }
    if (s == 4 && to <= 2 &&
        Group::LastTwo(w, length, c + (n - 4), d + (n - 4), c + (n - 2), d + (n - 2))) {
        return;
    }
    for (; s >= to; s /= 2) {
        StageBody<Group>(w, length, s, c + (n - s), d + (n - s));
    }
}

// All stages, depth first: after a stage the two halves are independent transforms, so a
// large span is followed by its first half's stages, then its second half's, keeping the data
// in cache; spans of LocalSpan values run stage by stage. Every butterfly still gets the
// inputs it gets stage by stage.
template <class Group>
[[gnu::always_inline]] inline void TransformBody(TArrays w, std::size_t n, const double* c,
                                                 const double* d) {
    struct TPart {
        std::size_t First;
        std::size_t Span;
    };
    TPart pending[64];  // the halves not yet run: at most one per level, plus one
    std::size_t count = 0;
    pending[count++] = {0, n};
    while (count > 0) {
        const TPart part = pending[--count];
        const TArrays at{w.Re + part.First, w.Im + part.First, w.Err + part.First};
        if (part.Span <= LocalSpan) {
            StagesBody<Group>(at, part.Span, n, part.Span, 2, c, d);
            continue;
        }
        StageBody<Group>(at, part.Span, part.Span, c + (n - part.Span), d + (n - part.Span));
        pending[count++] = {part.First + part.Span / 2, part.Span / 2};
        pending[count++] = {part.First, part.Span / 2};
    }
}

#if defined(__GNUC__) && defined(__x86_64__)
[[gnu::target("avx2,fma")]] void TransformAvx2(TArrays w, std::size_t n, const double* c,
                                               const double* d) {
    TransformBody<TAvx2Group>(w, n, c, d);
}
bool HasAvx2() {
    static const bool has = __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
    return has;
}
#endif

void TransformPlain(TArrays w, std::size_t n, const double* c, const double* d) {
    TransformBody<TPlainGroup>(w, n, c, d);
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

namespace {

// x' = x * f rounded in extended, v = y * f' rounded in double with f' = f rounded to double:
// |v - x'| <= |f| e (1 + 2^-60) + (2u + v)(1 + 3u) |v|; ScaledError (2.5u) covers the second
// term and the rounding of the bound's own arithmetic.
constexpr double ScaledError = 0x1.4p-52;

// to[j] from the plan, read(source, re, im, bound) giving the bins planned from. False when a
// bound is no longer finite.
template <class Read>
bool PlanBins(const TBinPlan& plan, TBoundedSpectrum& to, Read read) {
    const std::size_t bins = plan.Source.size();
    to.Re.resize(bins);
    to.Im.resize(bins);
    to.Bound.resize(bins);
    bool finite = true;
    for (std::size_t j = 0; j < bins; ++j) {
        const std::uint32_t source = plan.Source[j];
        double re = 0;
        double im = 0;
        double bound = 0;
        if (source != TBinPlan::None) {
            read(source, re, im, bound);
            if (plan.Factor[j] != 1) {  // 1 copies on both sides
                const double f = plan.NearFactor[j];
                re *= f;
                im *= f;
                bound = bound * std::fabs(f) * Grow + ScaledError * Modulus(re, im);
                finite = finite && std::isfinite(bound);
            }
        }
        to.Re[j] = re;
        to.Im[j] = im;
        to.Bound[j] = bound;
    }
    return finite;
}

}  // namespace

std::span<const std::uint32_t> TBoundedFFT::Reverse() const {
    return Tables_->Reverse;
}

bool TBoundedFFT::ForwardPlanned(std::span<const std::int32_t> samples, const TBinPlan& plan,
                                 TBoundedSpectrum& changed) {
    const std::uint32_t n = N_;
    if (samples.size() < n) {
        throw std::invalid_argument("TBoundedFFT: block shorter than the transform");
    }
    if (plan.Source.size() != n / 2 + 1) {
        throw std::invalid_argument("TBoundedFFT: the plan is for another block length");
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
    const std::uint32_t* reverse = Tables_->Reverse.data();
    const bool finite =
        PlanBins(plan, changed, [&](std::uint32_t k, double& re, double& im, double& bound) {
            const std::uint32_t r = reverse[k];
            re = Re_[r] * scale;
            im = Im_[r] * scale;
            bound = Err_[r] * scale;
        });
    return finite && TRangeWatch::InRange();
}

bool TBoundedFFT::Forward(std::span<const std::int32_t> samples, TBoundedSpectrum& spectrum) {
    return ForwardPlanned(samples, TBinPlan(N_ / 2 + 1), spectrum);
}

bool TBoundedFFT::InverseInPlace(const TBoundedSpectrum& spectrum) {
    const std::uint32_t n = N_;
    if (spectrum.Re.size() < n / 2 + 1 || spectrum.Im.size() < n / 2 + 1 ||
        spectrum.Bound.size() < n / 2 + 1) {
        throw std::invalid_argument("TBoundedFFT: spectrum shorter than the transform");
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
    return TRangeWatch::InRange();
}

bool TBoundedFFT::Inverse(const TBoundedSpectrum& spectrum, std::span<double> data,
                          std::span<double> bound) {
    const std::uint32_t n = N_;
    if (data.size() < n || bound.size() < n) {
        throw std::invalid_argument("TBoundedFFT: arrays shorter than the transform");
    }
    if (!InverseInPlace(spectrum)) {
        return false;
    }
    for (std::uint32_t i = 0; i < n; ++i) {
        const std::uint32_t r = Tables_->Reverse[i];
        data[i] = Re_[r];
        bound[i] = Err_[r];
    }
    return true;
}

bool ApplyPlan(const TBoundedSpectrum& from, TBoundedSpectrum& to, const TBinPlan& plan) {
    const std::size_t bins = plan.Source.size();
    if (from.Re.size() != bins || from.Im.size() != bins || from.Bound.size() != bins) {
        throw std::invalid_argument("ApplyPlan: the plan is for another block length");
    }
    return PlanBins(plan, to, [&](std::uint32_t k, double& re, double& im, double& bound) {
        re = from.Re[k];
        im = from.Im[k];
        bound = from.Bound[k];
    });
}

}  // namespace sonavel
