// The two read-only analyses of a fragment: the averaged spectrum and the level statistics.

#include <algorithm>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/AudioStream.h"
#include "core/ParallelWork.h"
#include "core/Progress.h"
#include "core/SpectralFrame.h"
#include "spectra/SpectraUtils.h"
#include "spectra/SpectralBins.h"

namespace sonavel {

namespace {

// Samples per channel read at a time by the statistics (one parallel step).
constexpr std::uint32_t StatisticsBlock = 262144;
// Bytes of spectra the spectrum analysis holds at once, to transform blocks in parallel.
constexpr std::size_t SpectraInFlight = std::size_t{8} << 20;

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
    // Blocks are taken a batch at a time: the samples are read here, every block of every
    // route is transformed by a task of its own, and the spectra are added up here in the
    // order of a block-by-block walk, so the sums are those of the one-thread run.
    const std::size_t bins = n / 2 + 1;
    const std::uint64_t batch = std::clamp<std::uint64_t>(
        SpectraInFlight / (std::max<std::size_t>(routes.size(), 1) * bins * sizeof(TComplex)), 1,
        SpectralBlockCount(count, n));
    const std::size_t slots = static_cast<std::size_t>(batch) * routes.size();
    std::vector<std::vector<std::int32_t>> samples(slots, std::vector<std::int32_t>(n));
    std::vector<std::vector<TComplex>> spectra(slots, std::vector<TComplex>(bins));

    const std::uint64_t blocks = SpectralBlockCount(count, n);
    const TProgressScope progress(blocks);
    for (std::uint64_t b0 = 0; b0 < blocks; b0 += batch) {
        TProgressScope::Step(b0);
        const auto inBatch = static_cast<std::size_t>(std::min(batch, blocks - b0));
        for (std::size_t t = 0; t < inBatch * routes.size(); ++t) {
            const std::uint64_t offset = (b0 + t / routes.size()) * n;
            // The last block is padded with zeros, not read past the fragment.
            const auto inside =
                static_cast<std::uint32_t>(std::min<std::uint64_t>(n, count - offset));
            ReadSamples(routes[t % routes.size()].Read, static_cast<std::uint32_t>(start + offset),
                        inside, samples[t].data());
            std::fill(samples[t].begin() + inside, samples[t].end(), 0);
        }
        ParallelFor(inBatch * routes.size(), [&](std::size_t t) {
            std::vector<long double> data(samples[t].begin(), samples[t].end());
            TFFTWork work;
            FFT(data, spectra[t], true, work);
        });
        for (std::size_t t = 0; t < inBatch * routes.size(); ++t) {
            for (std::size_t j = 0; j < result.size(); ++j) {
                result[j].Re += spectra[t][j].Re;
                result[j].Im += spectra[t][j].Im;
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
    // Each route's channel is read by a task of its own, a block at a time; a position is
    // silent only when every analysed channel is zero there, so the tasks mark the sounding
    // positions of the block in arrays of their own and the marks are combined here.
    std::vector<std::uint64_t> sums(routes.size(), 0);
    std::vector<std::int64_t> highest(routes.size(), 0);
    std::vector<std::vector<std::uint8_t>> sounding(routes.size(),
                                                    std::vector<std::uint8_t>(StatisticsBlock));
    std::vector<std::vector<std::int32_t>> samples(routes.size(),
                                                   std::vector<std::int32_t>(StatisticsBlock));
    for (std::uint32_t offset = 0; offset < count;) {
        TProgressScope::Step(offset);
        const std::uint32_t n = std::min(StatisticsBlock, count - offset);
        ParallelFor(routes.size(), [&](std::size_t r) {
            const std::int32_t* const levels = samples[r].data();
            ReadSamples(routes[r].Read, start + offset, n, samples[r].data());
            std::uint64_t sum = 0;
            std::int64_t high = highest[r];
            std::uint8_t* const marks = sounding[r].data();
            for (std::uint32_t i = 0; i < n; ++i) {
                const std::int64_t magnitude = std::llabs(std::int64_t{levels[i]});
                high = std::max(high, magnitude);
                sum += static_cast<std::uint64_t>(magnitude);
                marks[i] = static_cast<std::uint8_t>(levels[i] != 0);
            }
            sums[r] += sum;
            highest[r] = high;
        });
        if (routes.empty()) {
            silentCount += n;  // no channel sounds anywhere
        } else {
            for (std::size_t r = 1; r < routes.size(); ++r) {
                for (std::uint32_t i = 0; i < n; ++i) {
                    sounding[0][i] |= sounding[r][i];
                }
            }
            silentCount += static_cast<std::uint32_t>(
                std::count(sounding[0].begin(), sounding[0].begin() + n, std::uint8_t{0}));
        }
        offset += n;
    }
    const std::int64_t loudest =
        highest.empty() ? 0 : *std::max_element(highest.begin(), highest.end());
    std::uint64_t mean = FloorMean(sums, count);
    if (channel == -1 && ChannelCount > 0) {
        mean /= ChannelCount;
    }
    average = static_cast<std::int32_t>(std::min<std::uint64_t>(mean, MaxLevel));
    peak = static_cast<std::int32_t>(std::min<std::int64_t>(loudest, MaxLevel));
    TProgressScope::Step(count);
}

}  // namespace sonavel
