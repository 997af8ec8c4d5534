#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "spectra/SpectralBins.h"

namespace sonavel {

// How much a plan can enlarge an error spread over a spectrum: with e the error of every bin
// of the whole circle, the error the plan's result passes to any one sample of the inverse
// transform is at most PlanGain * sqrt(N) * |e| (2-norm). Cauchy-Schwarz over the bins a
// sample sums, counting bins that are read more than once; which bins the mirror half reads
// depends on whether two blocks share the run (see TBoundedFFT).
double PlanGain(const TBinPlan& plan, bool pair);

// The steps the spectral effects take (forward transform of integer samples, scaled by 1/N;
// a bin plan; inverse transform; the real part) in double precision, vectorised where the
// processor allows (AVX2 and FMA are picked when the program runs), with a bound on how far
// each result may lie from the one FFT's extended-precision steps give. A caller that only
// needs the rounded result (an integer sample) takes it from here when the bound cannot reach
// across a rounding boundary, and runs FFT otherwise.
//
// The bound has two parts.
//  - Per value, carried through every butterfly of the inverse transform: the rounding of
//    the plan's products and of the inverse itself (BoundedButterflies.h).
//  - One for every value (UniformBound): the forward transform's error, which the inverse
//    spreads over every sample. Its rounding at each stage is at most 5u times the 2-norm
//    of that stage's values, which is 2^(s/2) |x| after s stages; what the later stages, the
//    plan and the inverse make of it is at most 2^(-s/2) PlanGain per unit of 2-norm. So
//    m 5u PlanGain |x| for m stages, far below carrying a bound per bin, which adds the
//    bins' bounds up. Plus how far FFT's own steps may lie from the exact transform.
//
// Two blocks can share one run, a in the real parts and b in the imaginary ones: the
// transform is linear and both spectra are conjugate-symmetric, so the plan applied to the
// mixed spectrum over the whole circle gives A + iB, and the inverse gives a in the real
// parts and b in the imaginary ones. The bounds are the same with |x| the 2-norm of both.
//
// One object per thread: it holds the work arrays of its size.
class TBoundedFFT {
  public:
    explicit TBoundedFFT(std::uint32_t n);  // n a power of two, at least 2

    std::uint32_t Size() const { return N_; }

    // Runs a (and b, unless empty) through the steps with the plan, whose PlanGain for the
    // run is gain.
    // False when a value left the range in which the bounds hold (overflow or underflow),
    // in which case the results mean nothing.
    bool Run(std::span<const std::int32_t> a, std::span<const std::int32_t> b, const TBinPlan& plan,
             double gain);

    // Sample n of a is at RealParts()[Reverse()[n]], of b at ImagParts()[Reverse()[n]], both
    // within Bounds()[Reverse()[n]] + UniformBound() of FFT's results.
    std::span<const double> RealParts() const { return Re_; }
    std::span<const double> ImagParts() const { return Im_; }
    std::span<const double> Bounds() const { return Err_; }
    double UniformBound() const { return Uniform_; }
    std::span<const std::uint32_t> Reverse() const;

    struct TTables;  // the data-independent part of a size, shared by all objects of it

  private:
    std::uint32_t N_;
    std::shared_ptr<const TTables> Tables_;
    std::vector<double> Re_;
    std::vector<double> Im_;
    std::vector<double> Err_;
    // The forward transform's results while the plan fills the others.
    std::vector<double> ForwardRe_;
    std::vector<double> ForwardIm_;
    double Uniform_ = 0;
};

}  // namespace sonavel
