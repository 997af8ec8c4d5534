#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "spectra/Complex.h"

namespace sonavel {

// The bin arithmetic of the spectral effects, on one block's half spectrum (N/2 + 1 bins,
// bin k standing for k * SampleRate / N Hz). Bin indexes come from frequencies by rounding
// to nearest with ties to even, in extended precision, in the order each effect computes
// them. Bins that would fall outside 0..N/2 are simply not touched.

// Largest block the effects use: sample rates above 2^22 Hz are refused.
inline constexpr std::uint32_t MaxSpectralBlockLength = std::uint32_t{1} << 22;

// Block length N of the effects: the smallest power of two, from 2, not less than the sample
// rate (44,100 Hz gives 65,536). Throws std::invalid_argument above MaxSpectralBlockLength.
std::uint32_t SpectralBlockLength(std::uint32_t sampleRate);
// The stretch's block: N / 16 (44,100 Hz gives 4,096), never less than 2.
std::uint32_t StretchBlockLength(std::uint32_t sampleRate);

// Round: nearest integer, ties to even.
std::int64_t RoundHalfEven(long double x);

// Round(frequency / sampleRate * n): the first bin or the width of a band.
std::int64_t FrequencyBin(std::uint32_t frequency, std::uint32_t sampleRate, std::uint32_t n);
// |Round(n / sampleRate * shift)|: the bins a spectrum moves by for a shift in hertz.
std::int64_t ShiftBinCount(std::int64_t shift, std::uint32_t sampleRate, std::uint32_t n);
// Round(2 / sampleRate * n): the bin of 2 Hz, where the noise colouring starts.
std::int64_t ColorStartBin(std::uint32_t sampleRate, std::uint32_t n);

// How a change of the half spectrum forms each bin of its result from the bins it is given:
// zero, or one of them times a factor (both parts multiplied in extended precision; a factor
// of 1 copies). Worked out once for all the blocks and channels that share it.
struct TBinPlan {
    static constexpr std::uint32_t None = 0xFFFFFFFF;  // the bin becomes zero

    explicit TBinPlan(std::size_t bins);  // every bin keeps its value
    void Take(std::size_t bin, std::size_t source, long double factor = 1);
    void Clear(std::size_t bin) { Take(bin, None, 1); }

    std::vector<std::uint32_t> Source;
    std::vector<long double> Factor;
    std::vector<double> NearFactor;  // Factor rounded to double
};

// to[j] = from[Source[j]] * Factor[j], or zero; from and to have the plan's size and do not
// overlap.
void ApplyPlan(std::span<const TComplex> from, std::span<TComplex> to, const TBinPlan& plan);
// The same in place.
void ApplyPlan(std::span<TComplex> spectrum, const TBinPlan& plan);

// Equalizer: bins first .. first + count - 1 form len(gains) bands of equal width; bin j
// belongs to band p = Trunc(len / count * (j - first + 1)) (at most len - 1) and is scaled by
// gains[p] / 100. Other bins keep their values.
TBinPlan EqualizePlan(std::size_t bins, std::span<const std::uint8_t> gains, std::int64_t first,
                      std::int64_t count);
void EqualizeBins(std::span<TComplex> spectrum, std::span<const std::uint8_t> gains,
                  std::int64_t first, std::int64_t count);

// keep: zeroes every bin below lo and above hi; otherwise zeroes lo..hi.
TBinPlan FilterBandPlan(std::size_t bins, std::int64_t lo, std::int64_t hi, bool keep);
void FilterBandBins(std::span<TComplex> spectrum, std::int64_t lo, std::int64_t hi, bool keep);

// Moves every bin up (to higher frequencies) or down by `bins`, phase included; bins that
// move past either end are lost and the vacated ones become zero.
TBinPlan ShiftUpPlan(std::size_t bins, std::int64_t by);
TBinPlan ShiftDownPlan(std::size_t bins, std::int64_t by);
void ShiftBinsUp(std::span<TComplex> spectrum, std::int64_t bins);
void ShiftBinsDown(std::span<TComplex> spectrum, std::int64_t bins);

// The stretch factor of block `block` (0-based) of `blockCount` with glide: the mean of the
// previous block's factor (100 before the first block) and the linear ramp from 100 to
// `factor` taken at the end of the block, truncated.
std::uint32_t GlideFactor(std::uint32_t previous, std::uint64_t block, std::uint64_t blockCount,
                          std::uint16_t factor);
// Source of bin j when stretching by `factor` percent: Round(j / (factor / 100)). A factor of
// 0 squeezes every frequency above DC out of the spectrum.
std::int64_t StretchSourceBin(std::int64_t j, std::uint32_t factor);
// Bin j takes bin StretchSourceBin(j); sources above the top give zero.
TBinPlan StretchPlan(std::size_t bins, std::uint32_t factor);
void StretchBins(std::span<TComplex> spectrum, std::uint32_t factor);

// Noise colouring from bin `first` up: 16 * kind for the first two bins, then e^(-0.3 * kind)
// less for each further octave (kind 1 pink, 2 brown). Bins below `first` keep their values.
TBinPlan ColorNoisePlan(std::size_t bins, std::uint8_t kind, std::int64_t first);
void ColorNoiseBins(std::span<TComplex> spectrum, std::uint8_t kind, std::int64_t first);

}  // namespace sonavel
