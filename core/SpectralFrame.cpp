#include "core/SpectralFrame.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>

#include "core/AudioStream.h"
#include "core/ParallelWork.h"
#include "core/Progress.h"
#include "spectra/BitReversal.h"
#include "spectra/BoundedFFT.h"
#include "spectra/SpectraUtils.h"

namespace sonavel {

namespace {

// One past the last sample position a channel can have.
constexpr std::uint64_t PositionLimit = std::uint64_t{1} << 32;

// What the caller's thread asked of the double-precision shortcut (TSpectralShortcut).
thread_local TSpectralShortcut::TRule ShortcutRule{true, 0};

// The arrays one thread needs for a block: about 80 bytes a sample, 60 more with the
// shortcut.
struct TBlockWork {
    TBlockWork(std::uint32_t blockLength, bool shortcut)
        : Samples(blockLength),
          Data(blockLength),
          Spectrum(blockLength / 2 + 1),
          Changed(blockLength / 2 + 1) {
        if (shortcut) {
            Bounded = std::make_unique<TBoundedFFT>(blockLength);
            Second.resize(blockLength);
            Result.resize(blockLength);
            SecondResult.resize(blockLength);
            Levels.resize(blockLength);
        }
    }
    std::vector<std::int32_t> Samples;
    std::vector<long double> Data;
    std::vector<TComplex> Spectrum;
    std::vector<TComplex> Changed;
    TFFTWork Transform;
    // The shortcut's; the second block of a pair in the Second ones.
    std::unique_ptr<TBoundedFFT> Bounded;
    std::vector<std::int32_t> Second;
    std::vector<std::int32_t> Result;
    std::vector<std::int32_t> SecondResult;
    std::vector<double> Levels;
    // PlanGain of the last plan seen (plans are mostly shared by all blocks), alone and for
    // pairs.
    std::shared_ptr<const TBinPlan> GainOf;
    double Gain[2] = {0, 0};

    double GainFor(const std::shared_ptr<const TBinPlan>& plan, bool pair) {
        if (plan != GainOf) {
            Gain[0] = PlanGain(*plan, false);
            Gain[1] = PlanGain(*plan, true);
            GainOf = plan;
        }
        return Gain[pair ? 1 : 0];
    }
};

// Block work for the threads of one frame, made when first needed and reused after, so
// there are never more sets than threads running at once.
class TBlockWorkPool {
  public:
    TBlockWorkPool(std::uint32_t blockLength, bool shortcut)
        : BlockLength_(blockLength), Shortcut_(shortcut) {
        Free_.reserve(WorkerThreads());  // giving back then never allocates
    }

    class TLease {
      public:
        explicit TLease(TBlockWorkPool& pool) : Pool_(pool), Work_(pool.Take()) {}
        ~TLease() { Pool_.Give(std::move(Work_)); }
        TLease(const TLease&) = delete;
        TLease& operator=(const TLease&) = delete;
        TBlockWork& operator*() const { return *Work_; }

      private:
        TBlockWorkPool& Pool_;
        std::unique_ptr<TBlockWork> Work_;
    };

  private:
    std::unique_ptr<TBlockWork> Take() {
        {
            const std::lock_guard guard(Lock_);
            if (!Free_.empty()) {
                auto work = std::move(Free_.back());
                Free_.pop_back();
                return work;
            }
        }
        return std::make_unique<TBlockWork>(BlockLength_, Shortcut_);
    }
    void Give(std::unique_ptr<TBlockWork> work) {
        const std::lock_guard guard(Lock_);
        Free_.push_back(std::move(work));
    }

    std::uint32_t BlockLength_;
    bool Shortcut_;
    std::mutex Lock_;
    std::vector<std::unique_ptr<TBlockWork>> Free_;
};

// ClippedSample for a double: Round (ties to even) with values beyond +-MaxLevel clipped. Never
// decreasing, which the shortcut relies on.
std::int32_t ClippedRound(double value) {
    if (value > MaxLevel) {
        return MaxLevel;
    }
    if (value < -MaxLevel) {
        return -MaxLevel;
    }
    return static_cast<std::int32_t>(std::llrint(value));
}

// Decides the results of the double-precision transforms: true when every sample that lands
// in the file (the stored value, bytesPerSample wide) is proven to be the one the
// extended-precision steps give, which are then in result. values and bounds are in the
// transform's own order, which spares gathering them first.
//
// Why this holds: an output value x of the extended steps lies in [y - e, y + e]; rounding,
// clipping and the conversion to the stored width never decrease, so equal results at both
// ends decide the sample.
bool DecideOneByOne(std::span<const double> values, std::span<const double> bounds,
                    std::span<const std::uint32_t> reverse, std::uint32_t writable,
                    unsigned bytesPerSample, double extraBound, std::span<std::int32_t> result) {
    for (std::size_t m = 0; m < values.size(); ++m) {
        const std::uint32_t i = reverse[m];
        if (i >= writable) {
            continue;
        }
        const double y = values[m];
        // The margin also covers the rounding of y - e and y + e.
        const double e = bounds[m] * (1 + 0x1p-40) + std::fabs(y) * 0x1p-50 + extraBound;
        const std::int32_t low = ClippedRound(y - e);
        const std::int32_t high = ClippedRound(y + e);
        if (low != high &&
            LevelToStored(low, bytesPerSample) != LevelToStored(high, bytesPerSample)) {
            return false;
        }
        result[i] = low;
    }
    return true;
}

// The same for a whole block at 1 and 2 bytes, in vectors and without branches: rounding to
// nearest (ties to even, as ClippedRound) by adding and taking away 1.5 * 2^52, clipping an
// integer v as (|v + MaxLevel| - |v - MaxLevel|) / 2, exact below 2^52; that gives
// ClippedRound's value. The stored values as LevelsToStored takes them. levels holds the
// block in the transform's order on the way.
bool Decide(std::span<const double> values, std::span<const double> bounds,
            std::span<const std::uint32_t> reverse, std::uint32_t writable, unsigned bytesPerSample,
            double extraBound, std::span<double> levels, std::span<std::int32_t> result) {
    const std::size_t n = values.size();
    if (writable < n || bytesPerSample > 2) {
        return DecideOneByOne(values, bounds, reverse, writable, bytesPerSample, extraBound,
                              result);
    }
    const double ratio =
        static_cast<double>((std::int32_t{1} << (8 * bytesPerSample - 1)) - 1) / MaxLevel;
    constexpr double shifter = 0x1.8p52;
    constexpr double most = MaxLevel;
    const double* y = values.data();
    const double* bound = bounds.data();
    double* level = levels.data();
    double open = 0;   // the widest gap between the stored values of the two ends
    double reach = 0;  // the largest |y| + e
#pragma omp simd reduction(max : open, reach)
    for (std::size_t m = 0; m < n; ++m) {
        const double e = bound[m] * (1 + 0x1p-40) + std::fabs(y[m]) * 0x1p-50 + extraBound;
        double low = (y[m] - e + shifter) - shifter;
        double high = (y[m] + e + shifter) - shifter;
        low = (std::fabs(low + most) - std::fabs(low - most)) * 0.5;
        high = (std::fabs(high + most) - std::fabs(high - most)) * 0.5;
        const double far = std::fabs(y[m]) + e;
        reach = far > reach ? far : reach;
        const double gap =
            ((high * ratio + shifter) - shifter) - ((low * ratio + shifter) - shifter);
        open = gap > open ? gap : open;
        level[m] = low;
    }
    if (!(reach < 0x1p50)) {  // beyond the reach of the rounding above
        return DecideOneByOne(values, bounds, reverse, writable, bytesPerSample, extraBound,
                              result);
    }
    if (open != 0) {  // never negative: both steps keep the order
        return false;
    }
    FromBitReversedOrder(std::span<const double>(levels), reverse, result);
    return true;
}

// work.Samples (and work.Second when pair) through the double-precision steps; decided[0]
// and [1] tell which of work.Result and work.SecondResult hold their results. The blocks
// not decided are left for the extended-precision steps.
void BoundedBlocks(TBlockWork& work, const std::shared_ptr<const TBinPlan>& plan, bool pair,
                   std::uint32_t writable, unsigned bytesPerSample, double extraBound,
                   bool (&decided)[2]) {
    TBoundedFFT& transform = *work.Bounded;
    decided[0] = decided[1] = false;
    if (!transform.Run(
            work.Samples,
            pair ? std::span<const std::int32_t>(work.Second) : std::span<const std::int32_t>(),
            *plan, work.GainFor(plan, pair))) {
        return;
    }
    const double extra = extraBound + transform.UniformBound();
    decided[0] = Decide(transform.RealParts(), transform.Bounds(), transform.Reverse(), writable,
                        bytesPerSample, extra, work.Levels, work.Result);
    decided[1] = pair && Decide(transform.ImagParts(), transform.Bounds(), transform.Reverse(),
                                writable, bytesPerSample, extra, work.Levels, work.SecondResult);
}

// The block in samples through FFT's extended-precision steps, in place.
void ExactBlock(TBlockWork& work, std::span<std::int32_t> samples, const TBinPlan& plan,
                std::uint32_t writable) {
    std::copy(samples.begin(), samples.end(), work.Data.begin());
    FFT(work.Data, work.Spectrum, true, work.Transform);
    ApplyPlan(work.Spectrum, work.Changed, plan);
    FFT(work.Data, work.Changed, false, work.Transform);
    for (std::uint32_t i = 0; i < writable; ++i) {
        samples[i] = ClippedSample(work.Data[i]);
    }
}

}  // namespace

TSpectralShortcut::TSpectralShortcut(bool enabled, double extraBound) : Was_(ShortcutRule) {
    ShortcutRule = {enabled, extraBound};
}

TSpectralShortcut::~TSpectralShortcut() {
    ShortcutRule = Was_;
}

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
                      const TBlockPlans& plans) {
    CheckSpectralFragment(start, count, "Spectral processing");
    const std::uint64_t blocks = SpectralBlockCount(count, blockLength);
    std::size_t channels = 0;
    for (const TChannelRoute& route : routes) {
        channels = std::max<std::size_t>({channels, route.Read + 1U, route.Write + 1U});
    }
    // A channel file is not safe to reach from two threads at once.
    const auto channelLocks = std::make_unique<std::mutex[]>(channels);
    // At 24 and 32 bits the bounds are too wide for most samples; there the shortcut would
    // only add work.
    const TSpectralShortcut::TRule rule = ShortcutRule;
    const bool shortcut = rule.Enabled && stream.BytesPerSample <= 2 && blockLength >= 2;
    TBlockWorkPool pool(blockLength, shortcut);

    TParallelProgress progress(blocks);
    ParallelFor(blocks, [&](std::size_t b) {
        progress.Advance(0);  // a cancel stops the work before a new block
        const TBlockWorkPool::TLease lease(pool);
        TBlockWork& work = *lease;
        const std::uint64_t first = start + b * std::uint64_t{blockLength};
        // The last block may reach beyond the 32-bit positions, where no sample can be.
        const auto readable = static_cast<std::uint32_t>(
            std::min<std::uint64_t>(blockLength, PositionLimit - std::min(first, PositionLimit)));
        const auto writable = static_cast<std::uint32_t>(
            std::min<std::uint64_t>(blockLength, count - b * std::uint64_t{blockLength}));
        const auto read = [&](const TChannelRoute& route, std::vector<std::int32_t>& samples) {
            {
                const std::lock_guard guard(channelLocks[route.Read]);
                stream.ReadSamples(route.Read, static_cast<std::uint32_t>(first), readable,
                                   samples.data());
            }
            std::fill(samples.begin() + readable, samples.end(), 0);
            std::shared_ptr<const TBinPlan> plan = plans(b);
            if (plan->Source.size() != work.Spectrum.size()) {
                throw std::logic_error("Spectral processing: a plan for another block length");
            }
            return plan;
        };
        const auto write = [&](const TChannelRoute& route, const std::vector<std::int32_t>& from) {
            const std::lock_guard guard(channelLocks[route.Write]);
            stream.WriteSamples(route.Write, static_cast<std::uint32_t>(first), writable,
                                from.data());
        };
        for (std::size_t r = 0; r < routes.size(); ++r) {
            const TChannelRoute& route = routes[r];
            const std::shared_ptr<const TBinPlan> plan = read(route, work.Samples);
            bool decided[2] = {false, false};
            // Two channels with the same plan share one run of the shortcut, unless the second
            // reads what the first writes.
            const TChannelRoute* next = nullptr;
            std::shared_ptr<const TBinPlan> nextPlan;
            if (shortcut && r + 1 < routes.size() && routes[r + 1].Read != route.Write) {
                nextPlan = read(routes[r + 1], work.Second);
                if (nextPlan == plan) {
                    next = &routes[++r];
                }
            }
            if (shortcut) {
                BoundedBlocks(work, plan, next != nullptr, writable, stream.BytesPerSample,
                              rule.ExtraBound, decided);
            }
            if (!decided[0]) {
                ExactBlock(work, work.Samples, *plan, writable);
            }
            write(route, decided[0] ? work.Result : work.Samples);
            if (next != nullptr) {
                if (!decided[1]) {
                    ExactBlock(work, work.Second, *plan, writable);
                }
                write(*next, decided[1] ? work.SecondResult : work.Second);
            }
        }
        progress.Advance(1);
    });
}

}  // namespace sonavel
