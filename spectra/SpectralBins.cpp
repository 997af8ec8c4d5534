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

std::int64_t LastBin(std::span<const TComplex> spectrum) {
    return static_cast<std::int64_t>(spectrum.size()) - 1;
}

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

void EqualizeBins(std::span<TComplex> spectrum, std::span<const std::uint8_t> gains,
                  std::int64_t first, std::int64_t count) {
    const auto bands = static_cast<std::int64_t>(gains.size());
    if (bands == 0 || count <= 0 || first < 0) {
        return;
    }
    std::vector<long double> scale(gains.size());
    for (std::size_t p = 0; p < gains.size(); ++p) {
        scale[p] = static_cast<long double>(gains[p]) / 100;
    }
    const long double bandsPerBin = static_cast<long double>(bands) / count;
    const std::int64_t end = std::min(first + count - 1, LastBin(spectrum));
    // p = Trunc(x) with x = bandsPerBin * (j - first + 1), which never decreases with j: found
    // by comparing x with p + 1 rather than converting it, which costs a change of the x87
    // control word per bin.
    std::int64_t band = 0;
    for (std::int64_t j = first; j <= end; ++j) {
        const long double x = bandsPerBin * static_cast<long double>(j - first + 1);
        while (band < bands - 1 && x >= static_cast<long double>(band + 1)) {
            ++band;
        }
        const std::int64_t p = band;
        TComplex& bin = spectrum[static_cast<std::size_t>(j)];
        bin.Re *= scale[static_cast<std::size_t>(p)];
        bin.Im *= scale[static_cast<std::size_t>(p)];
    }
}

void FilterBandBins(std::span<TComplex> spectrum, std::int64_t lo, std::int64_t hi, bool keep) {
    for (std::int64_t j = 0; j <= LastBin(spectrum); ++j) {
        const bool inBand = lo <= j && j <= hi;
        if (inBand != keep) {
            Zero(spectrum[static_cast<std::size_t>(j)]);
        }
    }
}

void ShiftBinsUp(std::span<TComplex> spectrum, std::int64_t bins) {
    for (std::int64_t j = LastBin(spectrum); j >= 0; --j) {
        auto& bin = spectrum[static_cast<std::size_t>(j)];
        if (j < bins) {
            Zero(bin);
        } else {
            bin = spectrum[static_cast<std::size_t>(j - bins)];
        }
    }
}

void ShiftBinsDown(std::span<TComplex> spectrum, std::int64_t bins) {
    const std::int64_t last = LastBin(spectrum);
    for (std::int64_t j = 0; j <= last; ++j) {
        auto& bin = spectrum[static_cast<std::size_t>(j)];
        if (j + bins > last) {
            Zero(bin);
        } else {
            bin = spectrum[static_cast<std::size_t>(j + bins)];
        }
    }
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

TStretchMap::TStretchMap(std::size_t bins, std::uint32_t factor) : Factor(factor), Sources(bins) {
    for (std::size_t j = 0; j < bins; ++j) {
        Sources[j] = StretchSourceBin(static_cast<std::int64_t>(j), factor);
    }
}

void StretchBins(std::span<TComplex> spectrum, const TStretchMap& map) {
    const std::int64_t last = LastBin(spectrum);
    if (map.Sources.size() != spectrum.size()) {
        throw std::invalid_argument("StretchBins: the map is for another block length");
    }
    if (map.Factor <= 100) {
        // Sources lie at or above their targets: ascending order reads them unchanged.
        for (std::int64_t j = 0; j <= last; ++j) {
            const std::int64_t s = map.Sources[static_cast<std::size_t>(j)];
            if (s > last) {
                Zero(spectrum[static_cast<std::size_t>(j)]);
            } else {
                spectrum[static_cast<std::size_t>(j)] = spectrum[static_cast<std::size_t>(s)];
            }
        }
    } else {
        // Sources lie at or below their targets: descending order.
        for (std::int64_t j = last; j >= 0; --j) {
            spectrum[static_cast<std::size_t>(j)] =
                spectrum[static_cast<std::size_t>(map.Sources[static_cast<std::size_t>(j)])];
        }
    }
}

void StretchBins(std::span<TComplex> spectrum, std::uint32_t factor) {
    StretchBins(spectrum, TStretchMap(spectrum.size(), factor));
}

void ColorNoiseBins(std::span<TComplex> spectrum, std::uint8_t kind, std::int64_t first) {
    double g = 1.0;
    std::int64_t octaveEnd = first;
    const long double fall = static_cast<long double>(3 * kind) / 10;
    for (std::int64_t j = std::max<std::int64_t>(first, 0); j <= LastBin(spectrum); ++j) {
        const long double gain = static_cast<long double>(kind) * g * 16;
        TComplex& bin = spectrum[static_cast<std::size_t>(j)];
        bin.Re *= gain;
        bin.Im *= gain;
        if (octaveEnd < j) {
            octaveEnd *= 2;
            g = static_cast<double>(std::exp(std::log(static_cast<long double>(g)) - fall));
        }
    }
}

}  // namespace sonavel
