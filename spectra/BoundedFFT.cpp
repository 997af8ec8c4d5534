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
    const TFloatFlags flags;
    for (std::uint32_t i = 0; i < n; ++i) {
        Re_[i] = samples[i];
        Im_[i] = 0;
        Err_[i] = 0;  // integers are held exactly
    }
    bounded::Transform({Re_.data(), Im_.data(), Err_.data()}, n, Tables_->Cos[0].data(),
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
    return finite && !TFloatFlags::LeftRange();
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
    const TFloatFlags flags;
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
    bounded::Transform({Re_.data(), Im_.data(), Err_.data()}, n, Tables_->Cos[1].data(),
                       Tables_->Sin[1].data());
    return !TFloatFlags::LeftRange();
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
