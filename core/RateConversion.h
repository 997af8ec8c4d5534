#pragma once

#include <cstdint>

namespace sonavel {

// The repeat-or-skip sample-rate conversion used when one stream is pasted or mixed into
// another: a source slower than the target has each sample written several times, a faster
// one has samples skipped, an accumulator carrying the fractional part of the step. There is
// no interpolation and no filtering.
//
// With r = source rate / target rate (a double), down = r < 1, and the step 1/r when down:
// each step takes source sample i, writes it trunc(a) times (down) or once, then moves i on
// by 1 (down) or trunc(a), and a becomes a - trunc(a) + step, a starting at the step.
class TRateConversion {
  public:
    TRateConversion(std::uint32_t sourceLength, std::uint32_t sourceRate, std::uint32_t targetRate);

    // Source rate / target rate, as the conversion sees it.
    double Ratio() const { return Ratio_; }
    // The step's source index: where the progress counter stands.
    std::uint64_t SourceIndex() const { return Index_; }
    // Most output samples the whole conversion can produce.
    std::uint64_t OutputBound() const;

    // Hands out the source index of each next output sample: at most `capacity` of them, all
    // within `maxSpan` source samples of the first. Returns how many; 0 once the source is used
    // up.
    std::uint32_t Next(std::uint32_t* sourceIndexes, std::uint32_t capacity, std::uint32_t maxSpan);

  private:
    void BeginStep();

    std::uint32_t Length_;
    double Ratio_;
    bool Down_;
    double Step_;
    double Acc_;
    std::uint64_t Index_ = 0;
    std::uint64_t Stride_ = 0;   // how far the current step moves the source index
    std::uint64_t Pending_ = 0;  // outputs of the current step not yet handed out
};

}  // namespace sonavel
