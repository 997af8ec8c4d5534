#include "spectra/SpectralBins.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string>
#include <vector>

namespace sonavel {

namespace {

// Far beyond any bin, yet safe to add to and compare.
constexpr std::int64_t Beyond = std::int64_t{1} << 62;

void Zero(TComplex& bin) {
    bin = {0, 0};
}

}  // namespace

std::uint32_t SpectralBlockLength(std::uint32_t sampleRate) {
    if (sampleRate > MaxSpectralBlockLength) {
        throw std::invalid_argument("Spectral processing supports sample rates up to " +
                                    std::to_string(MaxSpectralBlockLength) + " Hz, not " +
                                    std::to_string(sampleRate) + " Hz");
    }
    std::uint32_t n = 2;
    while (n < sampleRate) {
        n *= 2;
    }
    return n;
}

std::uint32_t StretchBlockLength(std::uint32_t sampleRate) {
    return std::max<std::uint32_t>(SpectralBlockLength(sampleRate) / 16, 2);
}

std::int64_t RoundHalfEven(long double x) {
    if (!(std::fabs(x) < static_cast<long double>(Beyond))) {
        return x < 0 ? -Beyond : Beyond;  // also NaN: out of every range
    }
    return std::llrint(x);  // the default rounding: nearest, ties to even
}

std::int64_t FrequencyBin(std::uint32_t frequency, std::uint32_t sampleRate, std::uint32_t n) {
    return RoundHalfEven(static_cast<long double>(frequency) / sampleRate * n);
}

std::int64_t ShiftBinCount(std::int64_t shift, std::uint32_t sampleRate, std::uint32_t n) {
    const std::int64_t bins =
        RoundHalfEven(static_cast<long double>(n) / sampleRate * static_cast<long double>(shift));
    return bins < 0 ? -bins : bins;
}

std::int64_t ColorStartBin(std::uint32_t sampleRate, std::uint32_t n) {
    return RoundHalfEven(2.0L / sampleRate * n);
}

TBinPlan::TBinPlan(std::size_t bins) : Source(bins), Factor(bins, 1), NearFactor(bins, 1) {
    if (bins > None) {
        throw std::invalid_argument("TBinPlan: too many bins");
    }
    for (std::size_t j = 0; j < bins; ++j) {
        Source[j] = static_cast<std::uint32_t>(j);
    }
}

void TBinPlan::Take(std::size_t bin, std::size_t source, long double factor) {
    Source[bin] = source >= Source.size() ? None : static_cast<std::uint32_t>(source);
    Factor[bin] = factor;
    NearFactor[bin] = static_cast<double>(factor);
}

void ApplyPlan(std::span<const TComplex> from, std::span<TComplex> to, const TBinPlan& plan) {
    const std::size_t bins = plan.Source.size();
    if (from.size() != bins || to.size() != bins) {
        throw std::invalid_argument("ApplyPlan: the plan is for another block length");
    }
    for (std::size_t j = 0; j < bins; ++j) {
        const std::uint32_t source = plan.Source[j];
        if (source == TBinPlan::None) {
            Zero(to[j]);
        } else {
            to[j] = {from[source].Re * plan.Factor[j], from[source].Im * plan.Factor[j]};
        }
    }
}

void ApplyPlan(std::span<TComplex> spectrum, const TBinPlan& plan) {
    const std::vector<TComplex> from(spectrum.begin(), spectrum.end());
    ApplyPlan(from, spectrum, plan);
}

TBinPlan EqualizePlan(std::size_t bins, std::span<const std::uint8_t> gains, std::int64_t first,
                      std::int64_t count) {
    TBinPlan plan(bins);
    const auto bands = static_cast<std::int64_t>(gains.size());
    if (bands == 0 || count <= 0 || first < 0) {
        return plan;
    }
    std::vector<long double> scale(gains.size());
    for (std::size_t p = 0; p < gains.size(); ++p) {
        scale[p] = static_cast<long double>(gains[p]) / 100;
    }
    const long double bandsPerBin = static_cast<long double>(bands) / count;
    const std::int64_t end = std::min(first + count - 1, static_cast<std::int64_t>(bins) - 1);
    // p = Trunc(x) with x = bandsPerBin * (j - first + 1), which never decreases with j: found
    // by comparing x with p + 1 rather than converting it, which costs a change of the x87
    // control word per bin.
    std::int64_t band = 0;
    for (std::int64_t j = first; j <= end; ++j) {
        const long double x = bandsPerBin * static_cast<long double>(j - first + 1);
        while (band < bands - 1 && x >= static_cast<long double>(band + 1)) {
            ++band;
        }
        const auto at = static_cast<std::size_t>(j);
        plan.Take(at, at, scale[static_cast<std::size_t>(band)]);
    }
    return plan;
}

void EqualizeBins(std::span<TComplex> spectrum, std::span<const std::uint8_t> gains,
                  std::int64_t first, std::int64_t count) {
    ApplyPlan(spectrum, EqualizePlan(spectrum.size(), gains, first, count));
}

TBinPlan FilterBandPlan(std::size_t bins, std::int64_t lo, std::int64_t hi, bool keep) {
    TBinPlan plan(bins);
    for (std::size_t j = 0; j < bins; ++j) {
        const auto at = static_cast<std::int64_t>(j);
        const bool inBand = lo <= at && at <= hi;
        if (inBand != keep) {
            plan.Clear(j);
        }
    }
    return plan;
}

void FilterBandBins(std::span<TComplex> spectrum, std::int64_t lo, std::int64_t hi, bool keep) {
    ApplyPlan(spectrum, FilterBandPlan(spectrum.size(), lo, hi, keep));
}

TBinPlan ShiftUpPlan(std::size_t bins, std::int64_t by) {
    TBinPlan plan(bins);
    for (std::size_t j = 0; j < bins; ++j) {
        const auto at = static_cast<std::int64_t>(j);
        if (at < by) {
            plan.Clear(j);
        } else {
            plan.Take(j, static_cast<std::size_t>(at - by));
        }
    }
    return plan;
}

TBinPlan ShiftDownPlan(std::size_t bins, std::int64_t by) {
    TBinPlan plan(bins);
    const auto last = static_cast<std::int64_t>(bins) - 1;
    for (std::size_t j = 0; j < bins; ++j) {
        const auto at = static_cast<std::int64_t>(j);
        if (at + by > last) {
            plan.Clear(j);
        } else {
            plan.Take(j, static_cast<std::size_t>(at + by));
        }
    }
    return plan;
}

void ShiftBinsUp(std::span<TComplex> spectrum, std::int64_t bins) {
    ApplyPlan(spectrum, ShiftUpPlan(spectrum.size(), bins));
}

void ShiftBinsDown(std::span<TComplex> spectrum, std::int64_t bins) {
    ApplyPlan(spectrum, ShiftDownPlan(spectrum.size(), bins));
}

std::uint32_t GlideFactor(std::uint32_t previous, std::uint64_t block, std::uint64_t blockCount,
                          std::uint16_t factor) {
    // 64-bit product: (block + 1) * (factor - 100) outgrows 32 bits on long fragments.
    const auto rise = static_cast<std::int64_t>(block + 1) * (std::int64_t{factor} - 100);
    const long double ramp = 100 + static_cast<long double>(rise) / blockCount;
    return static_cast<std::uint32_t>(std::trunc((ramp + previous) / 2));
}

std::int64_t StretchSourceBin(std::int64_t j, std::uint32_t factor) {
    if (j == 0) {
        return 0;
    }
    if (factor == 0) {
        return Beyond;
    }
    return RoundHalfEven(static_cast<long double>(j) / (static_cast<long double>(factor) / 100));
}

TBinPlan StretchPlan(std::size_t bins, std::uint32_t factor) {
    TBinPlan plan(bins);
    for (std::size_t j = 0; j < bins; ++j) {
        const std::int64_t source = StretchSourceBin(static_cast<std::int64_t>(j), factor);
        if (source >= static_cast<std::int64_t>(bins)) {
            plan.Clear(j);
        } else {
            plan.Take(j, static_cast<std::size_t>(source));
        }
    }
    return plan;
}

void StretchBins(std::span<TComplex> spectrum, std::uint32_t factor) {
    ApplyPlan(spectrum, StretchPlan(spectrum.size(), factor));
}

TBinPlan ColorNoisePlan(std::size_t bins, std::uint8_t kind, std::int64_t first) {
    TBinPlan plan(bins);
    double g = 1.0;
    std::int64_t octaveEnd = first;
    const long double fall = static_cast<long double>(3 * kind) / 10;
    for (std::int64_t j = std::max<std::int64_t>(first, 0); j < static_cast<std::int64_t>(bins);
         ++j) {
        const long double gain = static_cast<long double>(kind) * g * 16;
        plan.Take(static_cast<std::size_t>(j), static_cast<std::size_t>(j), gain);
        if (octaveEnd < j) {
            octaveEnd *= 2;
            g = static_cast<double>(std::exp(std::log(static_cast<long double>(g)) - fall));
        }
    }
    return plan;
}

void ColorNoiseBins(std::span<TComplex> spectrum, std::uint8_t kind, std::int64_t first) {
    ApplyPlan(spectrum, ColorNoisePlan(spectrum.size(), kind, first));
}

}  // namespace sonavel
