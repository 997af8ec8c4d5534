// The six spectral effects of TAudioStream: each runs the common block frame with its own
// plan for the half spectrum.

#include <algorithm>
#include <iterator>
#include <map>
#include <memory>
#include <mutex>
#include <utility>
#include <vector>

#include "core/AudioStream.h"
#include "core/SpectralFrame.h"
#include "spectra/SpectralBins.h"

namespace sonavel {

namespace {

// The plans of a gliding stretch, one per factor, made as the blocks first need them; shared
// by the threads of the frame. Kept small: the factors glide, so the blocks running at once
// need only the last few.
class TStretchPlans {
  public:
    explicit TStretchPlans(std::size_t bins) : Bins_(bins) {}

    std::shared_ptr<const TBinPlan> For(std::uint32_t factor) {
        {
            const std::lock_guard guard(Lock_);
            if (const auto found = Plans_.find(factor); found != Plans_.end()) {
                return found->second;
            }
        }
        auto plan = std::make_shared<const TBinPlan>(StretchPlan(Bins_, factor));
        const std::lock_guard guard(Lock_);
        if (Plans_.size() >= MaxKept) {
            Plans_.clear();  // plans still in use live on in their holders
        }
        Plans_.emplace(factor, plan);
        return plan;
    }

  private:
    static constexpr std::size_t MaxKept = 64;
    std::size_t Bins_;
    std::mutex Lock_;
    std::map<std::uint32_t, std::shared_ptr<const TBinPlan>> Plans_;
};

// The same plan for every block.
TBlockPlans Always(TBinPlan plan) {
    auto shared = std::make_shared<const TBinPlan>(std::move(plan));
    return [shared](std::uint64_t /*block*/) { return shared; };
}

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
                     Always(EqualizePlan(n / 2 + 1, gains, m, w)));
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
                     Always(FilterBandPlan(n / 2 + 1, lo, hi, keep)));
}

void TAudioStream::OffsetSpectrum(int channel, std::uint32_t start, std::uint32_t count,
                                  std::int32_t offset) {
    if (offset == 0 || SampleRate == 0) {
        return;
    }
    const std::uint32_t n = SpectralBlockLength(SampleRate);
    const std::int64_t d = ShiftBinCount(offset, SampleRate, n);
    RunSpectralFrame(*this, InPlaceRoutes(*this, channel, "OffsetSpectrum"), start, count, n,
                     Always(offset > 0 ? ShiftUpPlan(n / 2 + 1, d) : ShiftDownPlan(n / 2 + 1, d)));
}

void TAudioStream::StretchSpectrum(int channel, std::uint32_t start, std::uint32_t count,
                                   std::uint16_t factor, bool glide) {
    if (factor == 100 || SampleRate == 0) {
        return;
    }
    const std::uint32_t m = StretchBlockLength(SampleRate);
    const auto routes = InPlaceRoutes(*this, channel, "StretchSpectrum");
    if (!glide) {
        RunSpectralFrame(*this, routes, start, count, m, Always(StretchPlan(m / 2 + 1, factor)));
        return;
    }
    // Each block's factor follows from the one before: worked out in order before the blocks
    // are handed to the threads.
    CheckSpectralFragment(start, count, "StretchSpectrum");
    const std::uint64_t blocks = SpectralBlockCount(count, m);
    // Kept as runs (first block, factor): the factor changes at most once per percent.
    std::vector<std::pair<std::uint64_t, std::uint32_t>> runs;
    std::uint32_t f = 100;
    for (std::uint64_t b = 0; b < blocks; ++b) {
        f = GlideFactor(f, b, blocks, factor);
        if (runs.empty() || runs.back().second != f) {
            runs.emplace_back(b, f);
        }
    }
    TStretchPlans plans(m / 2 + 1);
    RunSpectralFrame(*this, routes, start, count, m, [&](std::uint64_t block) {
        const auto run =
            std::upper_bound(runs.begin(), runs.end(), block,
                             [](std::uint64_t b, const auto& r) { return b < r.first; });
        return plans.For(std::prev(run)->second);
    });
}

void TAudioStream::ColorNoise(int channel, std::uint32_t start, std::uint32_t count,
                              std::uint8_t kind) {
    if (SampleRate == 0) {
        return;
    }
    const std::uint32_t n = SpectralBlockLength(SampleRate);
    const std::int64_t first = ColorStartBin(SampleRate, n);
    RunSpectralFrame(*this, InPlaceRoutes(*this, channel, "ColorNoise"), start, count, n,
                     Always(ColorNoisePlan(n / 2 + 1, kind, first)));
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
    RunSpectralFrame(*this, std::span(&leftToRight, 1), start, count, n,
                     Always(ShiftUpPlan(n / 2 + 1, d)));
}

}  // namespace sonavel
