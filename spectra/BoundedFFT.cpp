#include "spectra/BoundedFFT.h"

#include <cmath>
#include <map>
#include <mutex>
#include <numbers>
#include <stdexcept>

#include "spectra/BoundedButterflies.h"
#include "spectra/FloatFlags.h"
#include "spectra/SpectraUtils.h"

namespace sonavel {

using bounded::Grow;
using bounded::Modulus;

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
    for (std::vector<double>* v : {&Re_, &Im_, &Err_, &ForwardRe_, &ForwardIm_}) {
        v->resize(n);
    }
}

std::span<const std::uint32_t> TBoundedFFT::Reverse() const {
    return Tables_->Reverse;
}

namespace {

// x' = x * f rounded in extended, v = y * f' rounded in double with f' = f rounded to double:
// |v - x'| <= |f| e (1 + 2^-60) + (2u + v)(1 + 3u) |v|; ScaledError (2.5u) covers the second
// term and the rounding of the bound's own arithmetic.
constexpr double ScaledError = 0x1.4p-52;

// How far FFT's extended-precision steps may lie from the exact ones (true twiddle factors,
// no rounding), per stage, relative to the 2-norm or the sum of moduli of the values.
//  - A butterfly output is off, beyond what its inputs carry in, by at most
//    (v + 2 sqrt(2) v)(1 + v)|d| + |w' - w||d| for v = 2^-64 (the sum: v|a + b|). FFT's
//    twiddle factor w' is the cosine and sine of an angle rounded twice (within 6.3 v, the
//    angles being below pi) evaluated by the library (within 2 ulp, 2 v): |w' - w| < 12 v,
//    which a test checks. Under 16 v in all: 2^-59 leaves a factor of two.
//  - In 2-norm, a stage's errors are then at most that times the 2-norm of its values, as for
//    the double-precision side (see TBoundedFFT).
//  - Through the exact network (twiddle factors of modulus 1) an error reaches a result
//    unchanged in size, and the values of one stage that a result depends on are made from
//    disjoint sets of inputs; so a result of m stages is off by at most
//    m * DriftPerStage * (sum of the input moduli).
constexpr double DriftPerStage = 0x1p-59;
// Covers the rounding of sums of up to 2^31 terms and of a square root.
constexpr double SumMargin = 1.001;

unsigned Stages(std::uint32_t n) {
    unsigned m = 0;
    while ((std::uint32_t{1} << m) < n) {
        ++m;
    }
    return m;
}

}  // namespace

double PlanGain(const TBinPlan& plan, bool pair) {
    const std::size_t bins = plan.Source.size();
    if (bins < 2) {
        throw std::invalid_argument("PlanGain: a plan of fewer than two bins");
    }
    const std::size_t half = bins - 1;  // N / 2
    // How often each bin of the whole circle is read: bin k for k <= N/2 in direct[k], bin
    // N - k in mirrored[k]. And the sum of the squared factors of every read.
    std::vector<std::uint32_t> direct(bins);
    std::vector<std::uint32_t> mirrored(bins);
    long double squares = 0;
    for (std::size_t j = 0; j < bins; ++j) {
        const std::uint32_t s = plan.Source[j];
        if (s == TBinPlan::None) {
            continue;
        }
        const long double f = plan.Factor[j];
        const bool end = j == 0 || j == half;
        const bool selfMirrored = s == 0 || s == half;
        if (!pair) {
            // The mirror target takes the conjugate of the same bin.
            direct[s] += end ? 1 : 2;
            squares += f * f * (end ? 1 : 2);
        } else if (end && !selfMirrored) {
            // The conjugate-symmetric part: half the factor on the bin and its mirror.
            ++direct[s];
            ++mirrored[s];
            squares += f * f / 2;
        } else {
            ++direct[s];
            squares += f * f;
            if (!end) {
                ++(selfMirrored ? direct[s] : mirrored[s]);
                squares += f * f;
            }
        }
    }
    std::uint32_t most = 0;
    for (std::size_t k = 0; k < bins; ++k) {
        most = std::max({most, direct[k], mirrored[k]});
    }
    const auto n = static_cast<long double>(2 * half);
    return std::sqrt(static_cast<double>(most * squares / n)) * SumMargin;
}

bool TBoundedFFT::Run(std::span<const std::int32_t> a, std::span<const std::int32_t> b,
                      const TBinPlan& plan, double gain) {
    const std::uint32_t n = N_;
    const bool pair = !b.empty();
    if (a.size() < n || (pair && b.size() < n)) {
        throw std::invalid_argument("TBoundedFFT: block shorter than the transform");
    }
    if (plan.Source.size() != n / 2 + 1) {
        throw std::invalid_argument("TBoundedFFT: the plan is for another block length");
    }
    const TFloatFlags flags;
    double squares = 0;
    for (std::uint32_t i = 0; i < n; ++i) {
        ForwardRe_[i] = a[i];
        ForwardIm_[i] = pair ? b[i] : 0;
        squares += ForwardRe_[i] * ForwardRe_[i] + ForwardIm_[i] * ForwardIm_[i];
    }
    // Its error is bounded as a whole, below.
    bounded::TransformValues(ForwardRe_.data(), ForwardIm_.data(), n, Tables_->Cos[0].data(),
                             Tables_->Sin[0].data());

    // The plan over the whole circle, from the bit-reversed order the transform leaves. A
    // single block's mirror is the conjugate, as FFT loads it; a pair's reads the mirrored bin.
    const double scale = 1 / static_cast<double>(n);  // a power of two: exact
    const std::uint32_t* reverse = Tables_->Reverse.data();
    double moduli = 0;
    // The reads land all over arrays larger than the cache; they are asked for ahead.
    constexpr std::uint32_t ahead = 8;
    for (std::uint32_t j = 0; j <= n / 2; ++j) {
        if (j + ahead <= n / 2 && plan.Source[j + ahead] != TBinPlan::None) {
            const std::uint32_t later = plan.Source[j + ahead];
            for (const std::uint32_t r : {reverse[later], reverse[(n - later) & (n - 1)]}) {
                __builtin_prefetch(&ForwardRe_[r]);
                __builtin_prefetch(&ForwardIm_[r]);
            }
        }
        const bool end = j == 0 || j == n / 2;
        const std::uint32_t source = plan.Source[j];
        double re = 0;
        double im = 0;
        double bound = 0;
        double mirrorRe = 0;
        double mirrorIm = 0;
        double mirrorBound = 0;
        if (source != TBinPlan::None) {
            const std::uint32_t p = reverse[source];
            const std::uint32_t q = reverse[(n - source) & (n - 1)];
            if (pair && end && p != q) {
                // FFT keeps only the real part, to which the imaginary part of an end bin
                // adds nothing; mixed, it would cross into the other block. So the ends take
                // the conjugate-symmetric part of what they read.
                re = (ForwardRe_[p] + ForwardRe_[q]) * (0.5 * scale);
                im = (ForwardIm_[p] + ForwardIm_[q]) * (0.5 * scale);
                bound = bounded::SumError * Modulus(re, im);
            } else {
                re = ForwardRe_[p] * scale;
                im = ForwardIm_[p] * scale;
                mirrorRe = pair ? ForwardRe_[q] * scale : re;
                mirrorIm = pair ? ForwardIm_[q] * scale : -im;
            }
            // 1 copies on both sides; a near factor other than 1 spares the extended compare.
            if (plan.NearFactor[j] != 1 || plan.Factor[j] != 1) {
                const double f = plan.NearFactor[j];
                re *= f;
                im *= f;
                mirrorRe *= f;
                mirrorIm *= f;
                bound = bound * std::fabs(f) * Grow + ScaledError * Modulus(re, im);
                mirrorBound = ScaledError * Modulus(mirrorRe, mirrorIm);
            }
        }
        Re_[j] = re;
        Im_[j] = im;
        Err_[j] = bound;
        moduli += Modulus(re, im) + bound;
        if (!end) {
            Re_[n - j] = mirrorRe;
            Im_[n - j] = mirrorIm;
            Err_[n - j] = mirrorBound;
            moduli += Modulus(mirrorRe, mirrorIm) + mirrorBound;
        }
    }
    bounded::Transform({Re_.data(), Im_.data(), Err_.data()}, n, Tables_->Cos[1].data(),
                       Tables_->Sin[1].data());

    // The forward transform's error through plan and inverse (see the class), then FFT's
    // distance from the exact steps: forward, the plan's rounding and inverse, for which the
    // sum of moduli of what FFT's inverse is given is at most moduli plus the forward
    // transform's error through the plan, gain |x| with room to spare.
    const unsigned m = Stages(n);
    const double norm = std::sqrt(squares);
    const double forward = m * (bounded::TwiddledError + DriftPerStage) * gain * norm;
    const double extended = 3 * m * DriftPerStage * (moduli + gain * norm);
    Uniform_ = (forward + extended) * SumMargin;
    return std::isfinite(Uniform_) && !TFloatFlags::LeftRange();
}

}  // namespace sonavel
