#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "spectra/SpectralBins.h"

namespace sonavel {

// A half spectrum of the double-precision transform: each bin with a bound on how far it
// may lie, as a complex number, from the bin FFT computes in extended precision.
struct TBoundedSpectrum {
    std::vector<double> Re;
    std::vector<double> Im;
    std::vector<double> Bound;
};

// The butterflies of FFT (same network, same twiddle factors, same order of operations) run
// in double precision, vectorised where the processor allows (AVX2 and FMA are picked when
// the program runs), with a running bound carried through every butterfly: for each value,
// an upper limit of its distance from the value the extended-precision steps give. Both
// computations round every operation to nearest, so the distance grows by at most the two
// rounding errors and the errors carried in; the bound adds exactly that, with a margin.
//
// A caller that only needs the rounded result (an integer sample) takes it from here when
// the bound cannot reach across a rounding boundary, and runs FFT otherwise.
//
// One object per thread: it holds the work arrays of its size.
class TBoundedFFT {
  public:
    explicit TBoundedFFT(std::uint32_t n);  // n a power of two, at least 2

    std::uint32_t Size() const { return N_; }

    // Forward transform of a block of integer samples (exact in double), scaled by 1/N like
    // FFT. Fills spectrum (N/2 + 1 bins). False when a value left the range in which the
    // bounds hold (overflow or underflow), in which case the spectrum means nothing.
    bool Forward(std::span<const std::int32_t> samples, TBoundedSpectrum& spectrum);
    // The same with the plan applied on the way out (as ApplyPlan does), in one pass.
    bool ForwardPlanned(std::span<const std::int32_t> samples, const TBinPlan& plan,
                        TBoundedSpectrum& changed);

    // Inverse transform of a half spectrum whose bins lie within their Bound of the bins
    // FFT would be given; data[n] and bound[n] (N each) receive the real part and its bound.
    // False as for Forward.
    bool Inverse(const TBoundedSpectrum& spectrum, std::span<double> data, std::span<double> bound);
    // The same leaving the results where the butterflies put them: the real part of sample n
    // and its bound are at index Reverse()[n] of RealParts() and Bounds().
    bool InverseInPlace(const TBoundedSpectrum& spectrum);
    std::span<const double> RealParts() const { return Re_; }
    std::span<const double> Bounds() const { return Err_; }
    std::span<const std::uint32_t> Reverse() const;

    struct TTables;  // the data-independent part of a size, shared by all objects of it

  private:
    std::uint32_t N_;
    std::shared_ptr<const TTables> Tables_;
    std::vector<double> Re_;
    std::vector<double> Im_;
    std::vector<double> Err_;
};

// ApplyPlan for a bounded spectrum: each bin's bound grows by what the factor and the two
// roundings (to double here, to extended in FFT's steps) can add. False when a bound is no
// longer finite.
bool ApplyPlan(const TBoundedSpectrum& from, TBoundedSpectrum& to, const TBinPlan& plan);

}  // namespace sonavel
