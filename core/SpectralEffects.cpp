// The six spectral effects of TAudioStream: each runs the common block frame with its own
// change of the half spectrum.

#include <vector>

#include "core/AudioStream.h"
#include "core/SpectralFrame.h"
#include "spectra/SpectralBins.h"

namespace sonavel {

namespace {

void NoBlockStart(std::uint64_t /*block*/) {}

}  // namespace

void TAudioStream::Equalize(int channel, std::uint32_t start, std::uint32_t count,
                            const std::vector<std::uint8_t>& gains, std::uint32_t startFreq,
                            std::uint32_t width) {
    if (SampleRate == 0) {
        return;  // no bins to speak of (a damaged header): leave the samples alone
    }
    const std::uint32_t n = SpectralBlockLength(SampleRate);
    const std::int64_t m = FrequencyBin(startFreq, SampleRate, n);
    const std::int64_t w = FrequencyBin(width, SampleRate, n);
    RunSpectralFrame(*this, InPlaceRoutes(*this, channel, "Equalize"), start, count, n,
                     NoBlockStart,
                     [&](std::span<TComplex> spectrum) { EqualizeBins(spectrum, gains, m, w); });
}

void TAudioStream::FilterBand(int channel, std::uint32_t start, std::uint32_t count,
                              std::uint32_t lowFreq, std::uint32_t highFreq, bool keep) {
    if (SampleRate == 0) {
        return;
    }
    const std::uint32_t n = SpectralBlockLength(SampleRate);
    const std::int64_t lo = FrequencyBin(lowFreq, SampleRate, n);
    const std::int64_t hi = FrequencyBin(highFreq, SampleRate, n);
    RunSpectralFrame(*this, InPlaceRoutes(*this, channel, "FilterBand"), start, count, n,
                     NoBlockStart,
                     [&](std::span<TComplex> spectrum) { FilterBandBins(spectrum, lo, hi, keep); });
}

void TAudioStream::OffsetSpectrum(int channel, std::uint32_t start, std::uint32_t count,
                                  std::int32_t offset) {
    if (offset == 0 || SampleRate == 0) {
        return;
    }
    const std::uint32_t n = SpectralBlockLength(SampleRate);
    const std::int64_t d = ShiftBinCount(offset, SampleRate, n);
    RunSpectralFrame(*this, InPlaceRoutes(*this, channel, "OffsetSpectrum"), start, count, n,
                     NoBlockStart, [&](std::span<TComplex> spectrum) {
                         if (offset > 0) {
                             ShiftBinsUp(spectrum, d);
                         } else {
                             ShiftBinsDown(spectrum, d);
                         }
                     });
}

void TAudioStream::StretchSpectrum(int channel, std::uint32_t start, std::uint32_t count,
                                   std::uint16_t factor, bool glide) {
    if (factor == 100 || SampleRate == 0) {
        return;
    }
    const std::uint32_t m = StretchBlockLength(SampleRate);
    const std::uint64_t blocks = SpectralBlockCount(count, m);
    TStretchMap map(m / 2 + 1, glide ? 100 : factor);
    RunSpectralFrame(
        *this, InPlaceRoutes(*this, channel, "StretchSpectrum"), start, count, m,
        [&](std::uint64_t block) {
            if (glide) {
                const std::uint32_t f = GlideFactor(map.Factor, block, blocks, factor);
                if (f != map.Factor) {
                    map = TStretchMap(m / 2 + 1, f);
                }
            }
        },
        [&](std::span<TComplex> spectrum) { StretchBins(spectrum, map); });
}

void TAudioStream::ColorNoise(int channel, std::uint32_t start, std::uint32_t count,
                              std::uint8_t kind) {
    if (SampleRate == 0) {
        return;
    }
    const std::uint32_t n = SpectralBlockLength(SampleRate);
    const std::int64_t first = ColorStartBin(SampleRate, n);
    RunSpectralFrame(*this, InPlaceRoutes(*this, channel, "ColorNoise"), start, count, n,
                     NoBlockStart,
                     [&](std::span<TComplex> spectrum) { ColorNoiseBins(spectrum, kind, first); });
}

void TAudioStream::AddBrainWaves(std::uint32_t start, std::uint32_t count, std::uint16_t beatFreq) {
    if (SampleRate == 0) {
        return;
    }
    // Everything that can refuse the call does so before the channels change.
    const std::uint32_t n = SpectralBlockLength(SampleRate);
    CheckSpectralFragment(start, count, "AddBrainWaves");
    while (ChannelCount < 2) {
        AddChannel();
    }
    while (ChannelCount > 2) {
        DeleteChannel(static_cast<std::uint16_t>(ChannelCount - 1));
    }
    // The left channel shifted up by the beat frequency becomes the right one.
    const std::int64_t d = ShiftBinCount(beatFreq, SampleRate, n);
    const TChannelRoute leftToRight{0, 1};
    RunSpectralFrame(*this, std::span(&leftToRight, 1), start, count, n, NoBlockStart,
                     [&](std::span<TComplex> spectrum) { ShiftBinsUp(spectrum, d); });
}

}  // namespace sonavel
