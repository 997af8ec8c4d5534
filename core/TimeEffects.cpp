// Reversal, echo, reverberation, speed change and channel rotation of a fragment.
#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/AbsSine.h"
#include "core/AudioStream.h"
#include "core/BlockWalk.h"
#include "core/ExtendedMath.h"
#include "core/LengthLimit.h"
#include "core/ParallelWork.h"
#include "core/Progress.h"

namespace sonavel {

using blockwalk::BlockSamples;
using blockwalk::FragmentChannels;

namespace {

// Above this the weights and delay lines stop making sense and only cost memory.
constexpr std::int32_t MaxResponses = 64;

// Echo and reverberation: every output sample is trunc(K * acc), acc the sum over
// l = 0 .. R of round(u_l / (R + 1) * x^l), u_l the sample stored at p - d_l when p is reached
// (silence below index 0). Echo replaces from the end backward, so its sources are always the
// original samples; reverberation replaces from the start forward, so sources inside the
// fragment are the already replaced ones. Both are computed here in ascending order over a
// ring of the samples behind p holding exactly what those orders see.
class TComb {
  public:
    TComb(const TAudioStream& stream, std::uint32_t start, std::uint32_t count, double volume,
          std::int32_t delayMs, std::int32_t terms, const char* operation) {
        if (!std::isfinite(volume) || volume < 0) {
            throw std::invalid_argument(std::string(operation) +
                                        ": the volume must be a finite number of at least 0");
        }
        if (delayMs < 0) {
            throw std::invalid_argument(std::string(operation) +
                                        ": the delay must not be negative");
        }
        if (terms < 0 || terms > MaxResponses) {
            throw std::invalid_argument(std::string(operation) +
                                        ": the number of repeats must be 0 to " +
                                        std::to_string(MaxResponses));
        }
        Divisor_ = terms + 1;
        long double s = 0;
        long double loudest = 0;
        const std::int64_t last = static_cast<std::int64_t>(start) + count - 1;
        for (std::int32_t l = 0; l <= terms; ++l) {
            const long double weight = std::pow(static_cast<long double>(volume), l);
            s += weight / Divisor_;
            loudest = std::max(loudest, weight);
            const std::int64_t delay =
                RoundEven(static_cast<long double>(l) * delayMs * stream.SampleRate / 1000);
            // A term whose source always lies below index 0 only adds zeros.
            if (delay <= last) {
                Weights_.push_back(weight);
                Delays_.push_back(delay);
                History_ = std::max(History_, delay);
            }
        }
        if (loudest * MaxLevel >= 0x1p61L) {
            throw std::invalid_argument(std::string(operation) + ": the volume is too large");
        }
        Loudest_ = loudest;
        K_ = 1 / s;
        KEstimate_ = static_cast<double>(K_);
    }

    // Replaces the fragment of every channel, then scales each channel's fragment to full
    // scale as Normalize does: from the peak of the values as written, which saves reading
    // the fragment once more to find it. Each channel is walked by a task of its own.
    void Apply(TAudioStream& stream, const std::vector<std::uint16_t>& channels,
               std::uint32_t start, std::uint32_t count, bool feedback) const {
        std::vector<double> factors;
        for (const long double weight : Weights_) {
            factors.push_back(static_cast<double>(weight / Divisor_));
        }
        blockwalk::ForEachChannel(
            channels.size(), count, [&](std::size_t ci, blockwalk::TChannelProgress& progress) {
                ApplyToChannel(stream, channels[ci], start, count, feedback, factors, progress);
            });
    }

  private:
    void ApplyToChannel(TAudioStream& stream, std::uint16_t channel, std::uint32_t start,
                        std::uint32_t count, bool feedback, const std::vector<double>& factors,
                        blockwalk::TChannelProgress& progress) const {
        const unsigned bps = stream.BytesPerSample;
        // With weights up to 1 (volumes up to 100 %) every term is below 2^31 and its double
        // estimate u * (x^l / (R + 1)) within 1e-6 of the extended value: the estimate settles
        // all but the terms near a half-integer.
        const bool estimate = Loudest_ <= 1;
        const std::uint64_t ringSize =
            std::bit_ceil(static_cast<std::uint64_t>(History_) + BlockSamples);
        const std::uint64_t mask = ringSize - 1;
        const auto block = static_cast<std::uint32_t>(ringSize - History_);
        const std::int64_t historyStart = static_cast<std::int64_t>(start) - History_;
        std::vector<std::int32_t> ring(ringSize, 0);
        // Reads n samples from position from on into their ring slots.
        const auto load = [&](std::int64_t from, std::int64_t n) {
            while (n > 0) {
                const std::uint64_t slot = static_cast<std::uint64_t>(from) & mask;
                const auto part = static_cast<std::uint32_t>(
                    std::min<std::uint64_t>(static_cast<std::uint64_t>(n), ringSize - slot));
                stream.ReadSamples(channel, static_cast<std::uint32_t>(from), part,
                                   ring.data() + slot);
                from += part;
                n -= part;
            }
        };
        const std::int64_t from = std::max<std::int64_t>(historyStart, 0);
        load(from, start - from);
        std::vector<std::int32_t> out(block);
        TTermSums sums(block);
        std::int64_t peak = 0;
        for (std::uint32_t k = 0; k < count;) {
            const std::uint32_t b = std::min(block, count - k);
            const std::int64_t p0 = static_cast<std::int64_t>(start) + k;
            load(p0, b);
            if (estimate && !feedback) {
                ReplaceByTerms(ring.data(), mask, p0, b, factors, sums, out.data());
            } else if (estimate) {
                Replace<true>(ring.data(), mask, p0, b, feedback, bps, factors, out.data());
            } else {
                Replace<false>(ring.data(), mask, p0, b, feedback, bps, factors, out.data());
            }
            stream.WriteSamples(channel, static_cast<std::uint32_t>(p0), b, out.data());
            // The levels read back: those of the stored width.
            LevelsRoundTrip(out.data(), b, bps);
            peak = blockwalk::PeakOf(out.data(), b, peak);
            k += b;
            progress.Advance(b / 2);
        }
        blockwalk::ScaleToPeak(stream, channel, start, count, peak,
                               [&progress](std::uint32_t b) { progress.Advance(b - b / 2); });
    }

    // What the estimates leave open at a position (TTermSums::Open): some term's rounding, or
    // the truncation of the sum's product.
    static constexpr std::int32_t OpenTerms = 1;
    static constexpr std::int32_t OpenTruncation = 2;

    // Per position of a block: the sum of the rounded term estimates, the largest distance of
    // an estimate from its rounding, and what the estimates leave open.
    struct TTermSums {
        explicit TTermSums(std::size_t block) : Sum(block), Worst(block), Open(block) {}
        std::vector<double> Sum;
        std::vector<double> Worst;
        std::vector<std::int32_t> Open;
    };

    // Replace with estimates and without feedback, term by term over the whole block: each
    // term's sources form at most two runs of the ring, and the loops are vectorised. Sums,
    // roundings and truncations are those SumTerms<true> and TruncEstimate make.
    void ReplaceByTerms(const std::int32_t* ring, std::uint64_t mask, std::int64_t p0,
                        std::uint32_t b, const std::vector<double>& factors, TTermSums& sums,
                        std::int32_t* out) const {
        double* sum = sums.Sum.data();
        double* worst = sums.Worst.data();
        std::fill_n(sum, b, 0.0);
        std::fill_n(worst, b, 0.0);
        const std::uint64_t ringSize = mask + 1;
        for (std::size_t t = 0; t < Delays_.size(); ++t) {
            std::uint32_t j = 0;
            while (j < b) {
                const std::uint64_t slot = static_cast<std::uint64_t>(p0 + j - Delays_[t]) & mask;
                const auto run =
                    static_cast<std::uint32_t>(std::min<std::uint64_t>(b - j, ringSize - slot));
                AddTerm(ring + slot, factors[t], run, sum + j, worst + j);
                j += run;
            }
        }
        FinishSettled(sum, worst, KEstimate_, b, sums.Open.data(), out);
        // The rest, one by one: only the terms whose estimate lies near a half-integer are
        // taken in extended precision; where the terms are settled and only the truncation is
        // open, their sum is.
        constexpr double shifter = 0x1.8p52;
        for (std::uint32_t j = 0; j < b; ++j) {
            if (sums.Open[j] == 0) {
                continue;
            }
            const std::int64_t p = p0 + j;
            std::int64_t acc = static_cast<std::int64_t>(sum[j]);  // integers: exact
            if ((sums.Open[j] & OpenTerms) != 0) {
                acc = 0;
                for (std::size_t t = 0; t < Delays_.size(); ++t) {
                    const std::int32_t u = ring[static_cast<std::uint64_t>(p - Delays_[t]) & mask];
                    const double y = u * factors[t];
                    const double nearest = (y + shifter) - shifter;
                    acc += std::fabs(y - nearest) <= 0.5 - RoundTolerance
                               ? static_cast<std::int64_t>(nearest)
                               : ExactTerm(u, t);
                }
            }
            out[j] = acc == 0 ? 0
                              : ClampToLevel(TruncEstimate(static_cast<double>(acc) * KEstimate_,
                                                           [this, acc] { return acc * K_; }));
        }
    }

    static void AddTerm(const std::int32_t* __restrict source, double factor, std::uint32_t n,
                        double* __restrict sum, double* __restrict worst) {
        constexpr double shifter = 0x1.8p52;
#pragma omp simd
        for (std::uint32_t j = 0; j < n; ++j) {
            const double y = source[j] * factor;
            const double nearest = (y + shifter) - shifter;
            const double distance = std::fabs(y - nearest);
            worst[j] = distance > worst[j] ? distance : worst[j];  // values, not std::max's
            sum[j] += nearest;                                     // references: vectorised
        }
    }

    // out[j] = ClampToLevel(trunc(sum[j] * k)) where the estimates settle it (every term's
    // rounding, as SumTerms<true> decides, and the truncation, as TruncEstimate does);
    // open[j] = 1 elsewhere.
    static void FinishSettled(const double* __restrict sum, const double* __restrict worst,
                              double k, std::uint32_t n, std::int32_t* __restrict open,
                              std::int32_t* __restrict out) {
        constexpr double shifter = 0x1.8p52;
        constexpr double top = MaxLevel;
#pragma omp simd
        for (std::uint32_t j = 0; j < n; ++j) {
            const double estimate = sum[j] * k;
            // Truncation from the nearest integer: one less in magnitude where it overshot.
            const double nearest = (estimate + shifter) - shifter;
            const double overshoot = std::fabs(nearest) > std::fabs(estimate) ? 1.0 : 0.0;
            const double whole = nearest - std::copysign(overshoot, estimate);
            const double fraction = std::fabs(estimate - whole);
            // Bitwise, not short-circuit, so that the loop has no branches. A zero sum of
            // settled terms needs no truncation.
            const bool termsSettled = worst[j] <= 0.5 - RoundTolerance;
            const bool truncSettled =
                (fraction >= TruncTolerance) & (fraction <= 1 - TruncTolerance);
            open[j] = static_cast<std::int32_t>(!termsSettled) * OpenTerms +
                      static_cast<std::int32_t>(!truncSettled & (sum[j] != 0)) * OpenTruncation;
            const double clamped = whole > top ? top : (whole < -top ? -top : whole);
            out[j] = static_cast<std::int32_t>(clamped);
        }
    }

    // Works out the new samples of positions p0 .. p0 + b - 1 into out.
    template <bool Estimate>
    void Replace(std::int32_t* ring, std::uint64_t mask, std::int64_t p0, std::uint32_t b,
                 bool feedback, unsigned bps, const std::vector<double>& factors,
                 std::int32_t* out) const {
        for (std::uint32_t j = 0; j < b; ++j) {
            const std::int64_t p = p0 + j;
            const std::int64_t acc = SumTerms<Estimate>(ring, mask, p, factors);
            // |acc K| stays within a few thousand of full scale: the double product is within
            // 1e-6.
            const std::int32_t v =
                acc == 0 ? 0
                         : ClampToLevel(TruncEstimate(static_cast<double>(acc) * KEstimate_,
                                                      [this, acc] { return acc * K_; }));
            out[j] = v;
            if (feedback) {
                ring[static_cast<std::uint64_t>(p) & mask] = StoredRoundTrip(v, bps);
            }
        }
    }

    // The sum over the terms of round(u / (R + 1) * x^l), u the ring's sample at p - d_l;
    // Estimate: from the double estimates u * factors[t], else in extended precision.
    template <bool Estimate>
    std::int64_t SumTerms(const std::int32_t* ring, std::uint64_t mask, std::int64_t p,
                          const std::vector<double>& factors) const {
        const std::size_t terms = Delays_.size();
        if constexpr (Estimate) {
            // Each estimate rounded to the nearest integer (ties to even, the SSE mode) by
            // adding and taking away 1.5 * 2^52; the sum of these integers is exact in a
            // double. Only when some estimate lies near a half-integer does the sum need the
            // extended terms.
            constexpr double shifter = 0x1.8p52;
            double sum = 0;
            double worst = 0;
            for (std::size_t t = 0; t < terms; ++t) {
                const double y =
                    ring[static_cast<std::uint64_t>(p - Delays_[t]) & mask] * factors[t];
                const double nearest = (y + shifter) - shifter;
                worst = std::max(worst, std::fabs(y - nearest));
                sum += nearest;
            }
            if (worst <= 0.5 - RoundTolerance) {
                return static_cast<std::int64_t>(sum);
            }
        }
        std::int64_t acc = 0;
        for (std::size_t t = 0; t < terms; ++t) {
            acc += ExactTerm(ring[static_cast<std::uint64_t>(p - Delays_[t]) & mask], t);
        }
        return acc;
    }

    // round(u / (R + 1) * x^l) of term t, in extended precision.
    std::int64_t ExactTerm(std::int32_t u, std::size_t t) const {
        return RoundEven(static_cast<long double>(u) / Divisor_ * Weights_[t]);
    }

    std::int32_t Divisor_ = 1;
    std::vector<long double> Weights_;  // of the terms whose sources can lie at index 0 or later
    std::vector<std::int64_t> Delays_;
    long double Loudest_ = 0;
    std::int64_t History_ = 0;
    long double K_ = 1;
    double KEstimate_ = 1;
};

}  // namespace

void TAudioStream::Reverse(int channel, std::uint32_t start, std::uint32_t count) {
    const auto channels = FragmentChannels(*this, channel, start, count, "Reverse");
    const std::uint32_t half = count / 2;
    blockwalk::ForEachChannel(channels.size(), half,
                              [&](std::size_t i, blockwalk::TChannelProgress& progress) {
                                  std::vector<std::int32_t> front(BlockSamples);
                                  std::vector<std::int32_t> back(BlockSamples);
                                  for (std::uint32_t k = 0; k < half;) {
                                      const std::uint32_t b = std::min(BlockSamples, half - k);
                                      // Offsets k .. k + b - 1 pair with count - 1 - k .. count - b
                                      // - k.
                                      const std::uint32_t frontAt = start + k;
                                      const std::uint32_t backAt = start + (count - k - b);
                                      ReadSamples(channels[i], frontAt, b, front.data());
                                      ReadSamples(channels[i], backAt, b, back.data());
                                      std::reverse(front.begin(), front.begin() + b);
                                      std::reverse(back.begin(), back.begin() + b);
                                      WriteSamples(channels[i], frontAt, b, back.data());
                                      WriteSamples(channels[i], backAt, b, front.data());
                                      k += b;
                                      progress.Advance(b);
                                  }
                              });
}

void TAudioStream::AddEcho(int channel, std::uint32_t start, double volume, std::int32_t delayMs,
                           std::int32_t responses, std::uint32_t count) {
    const auto channels = FragmentChannels(*this, channel, start, count, "AddEcho");
    if (count == 0) {
        return;
    }
    const TComb comb(*this, start, count, volume, delayMs, responses, "AddEcho");
    comb.Apply(*this, channels, start, count, false);
}

void TAudioStream::AddReverberation(int channel, std::uint32_t start, double volume,
                                    std::int32_t delayMs, std::int32_t reflections,
                                    std::uint32_t count) {
    const auto channels = FragmentChannels(*this, channel, start, count, "AddReverberation");
    if (count == 0) {
        return;
    }
    const TComb comb(*this, start, count, volume, delayMs, reflections, "AddReverberation");
    comb.Apply(*this, channels, start, count, true);
}

namespace {

// The state of the speed change's walk over the fragment: input index i, accumulator acc and
// step, advanced exactly as the per-sample loop does, so blocks can be planned before samples
// move.
class TSpeedWalk {
  public:
    TSpeedWalk(bool up, bool glide, double finalStep, std::uint64_t count)
        : Up_(up),
          Glide_(glide),
          Final_(finalStep),
          Count_(count),
          Step_(glide ? 1.0L : static_cast<long double>(finalStep)),
          Acc_(Step_) {}

    std::uint64_t Index() const { return I_; }
    bool Done() const { return I_ >= Count_; }

    // Samples the next step writes: 1 when speeding up, else trunc(acc).
    std::uint64_t Width() const {
        return Up_ ? 1 : static_cast<std::uint64_t>(TruncTowardZero(Acc_));
    }

    // Finishes the step at Index() (whose width was taken before).
    void Advance() {
        if (Glide_) {
            Step_ = (Final_ - 1) * I_ / Count_ + 1;
        }
        if (Up_ && Acc_ >= static_cast<long double>(Count_ - I_)) {
            I_ = Count_;  // past the end, however large the step
            return;
        }
        // acc stays below 2^33 here: slowing down, the caller bounds the new length to 32 bits.
        const auto whole = static_cast<long double>(TruncTowardZero(Acc_));
        I_ += Up_ ? static_cast<std::uint64_t>(whole) : 1;
        Acc_ = Acc_ - whole + Step_;
    }

  private:
    bool Up_;
    bool Glide_;
    long double Final_;
    std::uint64_t Count_;
    long double Step_;
    long double Acc_;
    std::uint64_t I_ = 0;
};

// The values round(u0 + (u1 - u0) / m * j), j = 1 .. m, of one step of a slow-down, in
// extended precision. When m is a power of two every operation there is exact, and the same
// values come from integers: (u0 m + (u1 - u0) j) / m, rounded half to even.
class TInterpolation {
  public:
    TInterpolation(std::int32_t u0, std::int32_t u1, std::uint64_t m)
        : U0_(u0),
          Diff_(static_cast<std::int64_t>(u1) - u0),
          Exact_((m & (m - 1)) == 0 && m <= (std::uint64_t{1} << 30)),
          Shift_(Exact_ ? std::countr_zero(m) : 0),
          Slope_(Exact_ ? 0 : static_cast<long double>(Diff_) / static_cast<long double>(m)) {}

    std::int32_t operator()(std::uint64_t j) const {
        if (Exact_) {
            const std::int64_t m = std::int64_t{1} << Shift_;
            const std::int64_t num = U0_ * m + Diff_ * static_cast<std::int64_t>(j);
            std::int64_t q = num >> Shift_;  // floor
            const std::int64_t rem = num - q * m;
            if (rem * 2 > m || (rem * 2 == m && (q & 1) != 0)) {
                ++q;
            }
            return static_cast<std::int32_t>(q);
        }
        return static_cast<std::int32_t>(RoundEven(U0_ + Slope_ * j));
    }

  private:
    std::int64_t U0_;
    std::int64_t Diff_;
    bool Exact_;
    int Shift_;
    long double Slope_;
};

}  // namespace

namespace {

// Speeding up one channel: every kept sample is written behind the ones still to be read, so
// blocks can be read whole before their kept samples go out. Returns the end of what was
// written.
std::uint64_t SpeedUpChannel(TAudioStream& stream, std::uint16_t c, std::uint64_t s,
                             std::uint64_t n, TSpeedWalk& walk,
                             blockwalk::TChannelProgress& progress) {
    std::vector<std::uint32_t> picks;
    std::vector<std::int32_t> in(BlockSamples);
    std::vector<std::int32_t> out(BlockSamples);
    std::uint64_t w = s;
    while (!walk.Done()) {
        const std::uint64_t first = walk.Index();
        const auto b = static_cast<std::uint32_t>(std::min<std::uint64_t>(BlockSamples, n - first));
        picks.clear();
        while (!walk.Done() && walk.Index() < first + b) {
            picks.push_back(static_cast<std::uint32_t>(walk.Index() - first));
            walk.Advance();
        }
        stream.ReadSamples(c, static_cast<std::uint32_t>(s + first), b, in.data());
        for (std::size_t j = 0; j < picks.size(); ++j) {
            out[j] = in[picks[j]];
        }
        stream.WriteSamples(c, static_cast<std::uint32_t>(w),
                            static_cast<std::uint32_t>(picks.size()), out.data());
        w += picks.size();
        progress.Advance(std::min(walk.Index(), n) - first);
    }
    return w;
}

// Slowing down one channel: open the gap of L - n samples in front of the fragment, then
// stretch the fragment from its new place into the gap and over itself. Returns the end of
// what was written.
std::uint64_t SlowDownChannel(TAudioStream& stream, std::uint16_t c, std::uint64_t s,
                              std::uint64_t n, std::uint64_t L, TSpeedWalk& walk,
                              blockwalk::TChannelProgress& progress) {
    const std::uint64_t bps = stream.BytesPerSample;
    if (L > n) {
        stream.ChannelFiles[c]->InsertBytes(s * bps, (L - n) * bps);
    }
    const std::uint64_t r0 = s + (L - n);
    std::vector<std::uint64_t> widths;
    std::vector<std::int32_t> in(BlockSamples + 1);
    std::vector<std::int32_t> out(BlockSamples);
    std::uint64_t w = s;
    while (!walk.Done()) {
        const std::uint64_t first = walk.Index();
        // Plan up to a block of steps, ending early once a block of output is due.
        widths.clear();
        std::uint64_t total = 0;
        while (!walk.Done() && widths.size() < BlockSamples && total < BlockSamples) {
            widths.push_back(walk.Width());
            total += widths.back();
            walk.Advance();
        }
        const auto steps = static_cast<std::uint32_t>(widths.size());
        const std::uint64_t readAt = r0 + first;
        stream.ReadSamples(c, static_cast<std::uint32_t>(readAt), steps + 1, in.data());
        std::uint64_t at = w;         // position of the next value
        std::uint64_t flushedTo = w;  // values before this are on disk
        std::uint32_t filled = 0;
        for (std::uint32_t t = 0; t < steps; ++t) {
            const std::int32_t u0 = in[t];
            const std::int32_t u1 = in[t + 1];
            const std::uint64_t m = widths[t];
            const TInterpolation value(u0, u1, m);
            for (std::uint64_t j = 1; j <= m; ++j) {
                out[filled++] = value(j);
                if (filled == BlockSamples) {
                    stream.WriteSamples(c, static_cast<std::uint32_t>(flushedTo), filled,
                                        out.data());
                    flushedTo += filled;
                    filled = 0;
                }
            }
            // Values landing on samples later steps of this block read must be seen there
            // as written (the plan keeps writing behind reading, so this stays a safeguard
            // against the accumulated rounding of acc).
            const std::uint64_t nextRead = readAt + t + 1;
            const std::uint64_t end = std::min(at + m, readAt + steps + 1);
            for (std::uint64_t pos = std::max(at, nextRead); pos < end; ++pos) {
                in[pos - readAt] = StoredRoundTrip(value(pos - at + 1), stream.BytesPerSample);
            }
            at += m;
        }
        stream.WriteSamples(c, static_cast<std::uint32_t>(flushedTo), filled, out.data());
        w += total;
        progress.Advance(std::min(walk.Index(), n) - first);
    }
    return w;
}

}  // namespace

std::uint32_t TAudioStream::ChangeSpeed(int channel, std::uint32_t start, bool glide, double factor,
                                        std::uint32_t count) {
    if (!std::isfinite(factor) || factor <= 0) {
        throw std::invalid_argument("ChangeSpeed: the speed factor must be a positive number");
    }
    const auto channels = FragmentChannels(*this, channel, start, count, "ChangeSpeed");
    const std::uint64_t s = start;
    const std::uint64_t n = count;
    if (factor == 1.0 || count == 0) {
        return static_cast<std::uint32_t>(s + n);
    }
    const long double newLength = n / static_cast<long double>(factor);
    // The whole document's length afterwards: the fragment's new length and what follows it.
    const long double total =
        newLength + static_cast<long double>(std::max<std::uint64_t>(GetLength(), s + n) - n);
    if (total > static_cast<long double>(MaxSamples)) {
        throw TLengthError("ChangeSpeed",
                           total >= 1.8e19L ? UINT64_MAX : static_cast<std::uint64_t>(total));
    }
    const auto L = static_cast<std::uint64_t>(RoundEven(newLength));
    const bool up = factor >= 1;
    const double finalStep = up ? factor : static_cast<double>(1.0L / factor);
    const std::uint64_t bps = BytesPerSample;
    // Every channel takes the same steps: each task walks them for its own channel, so the
    // channels need nothing from each other.
    std::vector<std::uint64_t> ends(channels.size(), s);
    blockwalk::ForEachChannel(
        channels.size(), n, [&](std::size_t ci, blockwalk::TChannelProgress& progress) {
            TSpeedWalk walk(up, glide, finalStep, n);
            ends[ci] = up ? SpeedUpChannel(*this, channels[ci], s, n, walk, progress)
                          : SlowDownChannel(*this, channels[ci], s, n, L, walk, progress);
        });
    const std::uint64_t w = ends.front();
    // Whatever of the fragment or of the gap was not written goes (see the channel walks).
    const std::uint64_t written = up ? s + n : s + std::max(L, n);
    if (w < written) {
        for (const std::uint16_t c : channels) {
            ChannelFiles[c]->DeleteBytes(w * bps, (written - w) * bps);
        }
    }
    return static_cast<std::uint32_t>(w);
}

void TAudioStream::RotateChannels(std::uint32_t start, std::uint32_t count, std::uint8_t direction,
                                  std::uint32_t periodSeconds) {
    if (periodSeconds == 0) {
        throw std::invalid_argument("RotateChannels: the period must be at least one second");
    }
    if (SampleRate == 0) {
        throw std::invalid_argument("RotateChannels: the stream has no sample rate");
    }
    if (direction != Clockwise && direction != CounterClockwise) {
        throw std::invalid_argument("RotateChannels: the direction must be 0 or 1");
    }
    FragmentChannels(*this, -1, start, count, "RotateChannels");
    while (ChannelCount < 2) {
        AddChannel();
    }
    while (ChannelCount > 2) {
        DeleteChannel(static_cast<std::uint16_t>(ChannelCount - 1));
    }
    constexpr long double pi = std::numbers::pi_v<long double>;
    const long double period = periodSeconds;
    const long double rate = SampleRate;
    // The phase of offset k is ((k pi) / period) / rate; k times the step is within 6 extended
    // roundings (2^-60 relative) of it.
    const long double phaseStep = (pi / period) / rate;
    std::vector<std::int32_t> source(BlockSamples);
    std::vector<std::int32_t> second(BlockSamples);
    const TProgressScope progress(count);
    for (std::uint32_t k = 0; k < count;) {
        TProgressScope::Step(k);
        const std::uint32_t b = std::min(BlockSamples, count - k);
        ReadSamples(0, start + k, b, source.data());
        for (std::uint32_t j = 0; j < b; ++j) {
            const std::uint32_t offset = k + j;
            const long double phase = offset * phaseStep;
            const TAbsSinePair gains =
                RoundedAbsSinePair(phase, phase * 0x1p-60L, source[j], [offset, period, rate] {
                    return (static_cast<long double>(offset) * pi / period) / rate;
                });
            // Clockwise: channel 0 at the phase, channel 1 a quarter turn on.
            source[j] = direction == Clockwise ? gains.AtPhase : gains.QuarterOn;
            second[j] = direction == Clockwise ? gains.QuarterOn : gains.AtPhase;
        }
        WriteSamples(0, start + k, b, source.data());
        WriteSamples(1, start + k, b, second.data());
        k += b;
    }
    TProgressScope::Step(count);
}

}  // namespace sonavel
