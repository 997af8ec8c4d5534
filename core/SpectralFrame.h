#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <vector>

#include "spectra/SpectralBins.h"

namespace sonavel {

class TAudioStream;

// Which channel a block is read from and which one receives the result: the same channel
// for the effects that work in place, channel 0 into channel 1 for the binaural beats.
struct TChannelRoute {
    std::uint16_t Read = 0;
    std::uint16_t Write = 0;
};

// In-place routes for a channel argument (-1 all channels in ascending order, else the one);
// throws std::out_of_range, naming the operation, for a channel the stream does not have.
std::vector<TChannelRoute> InPlaceRoutes(const TAudioStream& stream, int channel,
                                         const char* operation);

// Throws std::invalid_argument, naming the operation, when start + count reaches past the
// 32-bit sample positions (writing there would wrap around to the channel's beginning).
void CheckSpectralFragment(std::uint32_t start, std::uint32_t count, const char* operation);

// Number of blocks of blockLength samples that cover count samples, at least 1.
std::uint64_t SpectralBlockCount(std::uint64_t count, std::uint32_t blockLength);

// The plan (how each bin is formed) for the half spectrum (blockLength / 2 + 1 bins) of block
// `block` (0-based). Called from several threads at once, for blocks in any order: it must
// depend on nothing but its argument and data that stays unchanged during the frame.
using TBlockPlans = std::function<std::shared_ptr<const TBinPlan>(std::uint64_t block)>;

// The block frame of the spectral effects. The fragment start .. start + count - 1 is cut
// into consecutive rectangular blocks of blockLength samples (no window, no overlap), with
// the progress counters running over the blocks. For each block and each route in order:
// read blockLength samples (the last block reads past the fragment, and past a channel's end
// where reads give zeros), take them to the half spectrum, apply the block's plan, take it
// back, round to nearest and clip to +-MaxLevel, and write the samples that lie inside the
// fragment.
// Blocks never overlap and no block reads what another one writes, so they are processed on
// every core (WorkerThreads()), each channel file reached by one thread at a time; the result
// is the same as processing them in order. At 8 and 16 bits a block first goes through
// double-precision transforms that carry error bounds (TBoundedFFT); it takes the extended
// ones only when a bound leaves a stored sample undecided, so the file gets the same bytes.
// Throws as CheckSpectralFragment does.
void RunSpectralFrame(TAudioStream& stream, std::span<const TChannelRoute> routes,
                      std::uint32_t start, std::uint32_t count, std::uint32_t blockLength,
                      const TBlockPlans& plans);

// While it lives, spectral effects started on the creating thread take the double-precision
// shortcut of the frame (on by default) only when `enabled`, adding `extraBound` levels to
// every bound, which sends more blocks the extended-precision way. For comparing the paths.
class TSpectralShortcut {
  public:
    explicit TSpectralShortcut(bool enabled, double extraBound = 0);
    ~TSpectralShortcut();
    TSpectralShortcut(const TSpectralShortcut&) = delete;
    TSpectralShortcut& operator=(const TSpectralShortcut&) = delete;

    struct TRule {
        bool Enabled;
        double ExtraBound;
    };

  private:
    TRule Was_;
};

// One output sample: Round (ties to even) with values beyond +-MaxLevel clipped.
std::int32_t ClippedSample(long double value);

}  // namespace sonavel
