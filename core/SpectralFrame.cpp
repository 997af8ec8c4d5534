#include "core/SpectralFrame.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string>

#include "core/AudioStream.h"
#include "core/Progress.h"
#include "spectra/SpectraUtils.h"

namespace sonavel {

namespace {

// One past the last sample position a channel can have.
constexpr std::uint64_t PositionLimit = std::uint64_t{1} << 32;

}  // namespace

std::vector<TChannelRoute> InPlaceRoutes(const TAudioStream& stream, int channel,
                                         const char* operation) {
    if (channel >= static_cast<int>(stream.ChannelCount)) {
        throw std::out_of_range(std::string(operation) + ": the stream has no channel " +
                                std::to_string(channel));
    }
    std::vector<TChannelRoute> routes;
    for (const std::uint16_t c : stream.SelectedChannels(channel)) {
        routes.push_back({c, c});
    }
    return routes;
}

void CheckSpectralFragment(std::uint32_t start, std::uint32_t count, const char* operation) {
    if (std::uint64_t{start} + count > PositionLimit) {
        throw std::invalid_argument(std::string(operation) + ": the fragment " +
                                    std::to_string(start) + " + " + std::to_string(count) +
                                    " reaches past the last sample position");
    }
}

std::uint64_t SpectralBlockCount(std::uint64_t count, std::uint32_t blockLength) {
    return std::max<std::uint64_t>((count + blockLength - 1) / blockLength, 1);
}

std::int32_t ClippedSample(long double value) {
    if (value > MaxLevel) {
        return MaxLevel;
    }
    if (value < -MaxLevel) {
        return -MaxLevel;
    }
    if (std::isnan(value)) {
        return 0;
    }
    return static_cast<std::int32_t>(std::lrint(value));  // default rounding: ties to even
}

void RunSpectralFrame(TAudioStream& stream, std::span<const TChannelRoute> routes,
                      std::uint32_t start, std::uint32_t count, std::uint32_t blockLength,
                      const TBlockStart& blockStart, const TSpectrumChange& change) {
    CheckSpectralFragment(start, count, "Spectral processing");
    const std::uint64_t blocks = SpectralBlockCount(count, blockLength);
    std::vector<std::int32_t> samples(blockLength);
    std::vector<long double> data(blockLength);
    std::vector<TComplex> spectrum(blockLength / 2 + 1);
    TFFTWork work;

    const TProgressScope progress(blocks);
    for (std::uint64_t b = 0; b < blocks; ++b) {
        TProgressScope::Step(b);
        blockStart(b);
        const std::uint64_t first = start + b * blockLength;
        // The last block may reach beyond the 32-bit positions, where no sample can be.
        const auto readable = static_cast<std::uint32_t>(
            std::min<std::uint64_t>(blockLength, PositionLimit - std::min(first, PositionLimit)));
        const auto writable = static_cast<std::uint32_t>(
            std::min<std::uint64_t>(blockLength, count - b * blockLength));
        for (const TChannelRoute& route : routes) {
            stream.ReadSamples(route.Read, static_cast<std::uint32_t>(first), readable,
                               samples.data());
            std::fill(samples.begin() + readable, samples.end(), 0);
            std::copy(samples.begin(), samples.end(), data.begin());

            FFT(data, spectrum, true, work);
            change(spectrum);
            FFT(data, spectrum, false, work);

            for (std::uint32_t i = 0; i < writable; ++i) {
                samples[i] = ClippedSample(data[i]);
            }
            stream.WriteSamples(route.Write, static_cast<std::uint32_t>(first), writable,
                                samples.data());
        }
    }
    TProgressScope::Step(blocks);
}

}  // namespace sonavel
