// The two read-only analyses of a fragment: the averaged spectrum and the level statistics.

#include <algorithm>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/AudioStream.h"
#include "core/Progress.h"
#include "core/SpectralFrame.h"
#include "spectra/SpectraUtils.h"
#include "spectra/SpectralBins.h"

namespace sonavel {

namespace {

// Samples per channel read at a time by the statistics.
constexpr std::uint32_t StatisticsBlock = 65536;

// floor(sum of sums / count) without forming the sum, which can outgrow 64 bits when many
// full-scale channels are added up (each channel's own sum fits: 2^32 samples of 2^31).
std::uint64_t FloorMean(std::span<const std::uint64_t> sums, std::uint64_t count) {
    std::uint64_t quotient = 0;
    std::uint64_t remainders = 0;  // below channels * count <= 2^16 * 2^32
    for (const std::uint64_t sum : sums) {
        quotient += sum / count;
        remainders += sum % count;
    }
    return quotient + remainders / count;
}

}  // namespace

void TAudioStream::AnalyzeSpectrum(int channel, std::uint32_t start, std::uint32_t count,
                                   std::vector<TComplex>& result, std::uint32_t size) {
    if (size < 2 || size > MaxSpectralBlockLength || (size & (size - 1)) != 0) {
        throw std::invalid_argument("AnalyzeSpectrum: the transform size " + std::to_string(size) +
                                    " is not a power of two from 2 to " +
                                    std::to_string(MaxSpectralBlockLength));
    }
    const std::vector<TChannelRoute> routes = InPlaceRoutes(*this, channel, "AnalyzeSpectrum");
    CheckSpectralFragment(start, count, "AnalyzeSpectrum");
    const std::uint32_t n = size;
    result.assign(n / 2 + 1, TComplex{});
    std::vector<std::int32_t> samples(n);
    std::vector<long double> data(n);
    std::vector<TComplex> spectrum(n / 2 + 1);
    TFFTWork work;

    const std::uint64_t blocks = SpectralBlockCount(count, n);
    const TProgressScope progress(blocks);
    for (std::uint64_t b = 0; b < blocks; ++b) {
        TProgressScope::Step(b);
        const std::uint64_t offset = b * n;
        // The last block is padded with zeros, not read past the fragment.
        const auto inside = static_cast<std::uint32_t>(std::min<std::uint64_t>(n, count - offset));
        for (const TChannelRoute& route : routes) {
            ReadSamples(route.Read, static_cast<std::uint32_t>(start + offset), inside,
                        samples.data());
            std::fill(samples.begin() + inside, samples.end(), 0);
            std::copy(samples.begin(), samples.end(), data.begin());
            FFT(data, spectrum, true, work);
            for (std::size_t j = 0; j < result.size(); ++j) {
                result[j].Re += spectrum[j].Re;
                result[j].Im += spectrum[j].Im;
            }
        }
    }
    // The average of the complex values: blocks out of phase cancel.
    for (TComplex& bin : result) {
        bin.Re /= static_cast<long double>(blocks);
        bin.Im /= static_cast<long double>(blocks);
        if (channel == -1 && ChannelCount > 0) {
            bin.Re /= ChannelCount;
            bin.Im /= ChannelCount;
        }
    }
    TProgressScope::Step(blocks);
}

void TAudioStream::GetStatistics(int channel, std::uint32_t start, std::uint32_t count,
                                 std::int32_t& average, std::int32_t& peak,
                                 std::uint32_t& silentCount) {
    average = 0;
    peak = 0;
    silentCount = 0;
    const std::vector<TChannelRoute> routes = InPlaceRoutes(*this, channel, "GetStatistics");
    CheckSpectralFragment(start, count, "GetStatistics");
    const TProgressScope progress(count);
    if (count == 0) {
        return;  // an empty document: zeros
    }
    std::vector<std::uint64_t> sums(routes.size(), 0);
    std::vector<std::int32_t> samples(StatisticsBlock);
    std::vector<std::uint8_t> sounding(StatisticsBlock);
    std::int64_t highest = 0;
    for (std::uint32_t offset = 0; offset < count;) {
        TProgressScope::Step(offset);
        const std::uint32_t n = std::min(StatisticsBlock, count - offset);
        std::fill_n(sounding.begin(), n, 0);
        for (std::size_t r = 0; r < routes.size(); ++r) {
            ReadSamples(routes[r].Read, start + offset, n, samples.data());
            std::uint64_t sum = 0;
            for (std::uint32_t i = 0; i < n; ++i) {
                const std::int64_t magnitude = std::llabs(std::int64_t{samples[i]});
                highest = std::max(highest, magnitude);
                sum += static_cast<std::uint64_t>(magnitude);
                sounding[i] |= static_cast<std::uint8_t>(samples[i] != 0);
            }
            sums[r] += sum;
        }
        // A position is silent only when every analysed channel is zero there.
        silentCount += static_cast<std::uint32_t>(
            std::count(sounding.begin(), sounding.begin() + n, std::uint8_t{0}));
        offset += n;
    }
    std::uint64_t mean = FloorMean(sums, count);
    if (channel == -1 && ChannelCount > 0) {
        mean /= ChannelCount;
    }
    average = static_cast<std::int32_t>(std::min<std::uint64_t>(mean, MaxLevel));
    peak = static_cast<std::int32_t>(std::min<std::int64_t>(highest, MaxLevel));
    TProgressScope::Step(count);
}

}  // namespace sonavel
