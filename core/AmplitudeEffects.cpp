// Volume change, normalisation, fades and inversion of a fragment, in place.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <stdexcept>
#include <vector>

#include "core/AudioStream.h"
#include "core/BlockWalk.h"
#include "core/ExtendedMath.h"
#include "core/ParallelWork.h"
#include "core/Progress.h"

namespace sonavel {

using blockwalk::BlockSamples;
using blockwalk::FragmentChannels;
using blockwalk::MapSamples;

namespace {

// Scales every sample v at offset k of the fragment by gain(k) (extended), truncating toward
// zero. The gain is worked out once per offset for all channels, and the products come from
// the double estimate estimate(k) of the gain: it is within 2^-52 of the extended gain, so a
// product of a sample (below 2^31) is within 1e-6 of the extended one.
template <class TGain, class TEstimate>
void Fade(TAudioStream& stream, const std::vector<std::uint16_t>& channels, std::uint32_t start,
          std::uint32_t count, const TGain& gain, const TEstimate& estimate) {
    blockwalk::ForEachChannel(
        channels.size(), count, [&](std::size_t c, blockwalk::TChannelProgress& progress) {
            std::vector<std::int32_t> block(BlockSamples);
            for (std::uint32_t k = 0; k < count;) {
                const std::uint32_t b = std::min(BlockSamples, count - k);
                stream.ReadSamples(channels[c], start + k, b, block.data());
                for (std::uint32_t j = 0; j < b; ++j) {
                    const std::int32_t v = block[j];
                    if (v != 0) {
                        block[j] = static_cast<std::int32_t>(TruncEstimate(
                            v * estimate(k + j), [v, &gain, at = k + j] { return v * gain(at); }));
                    }
                }
                stream.WriteSamples(channels[c], start + k, b, block.data());
                k += b;
                progress.Advance(b);
            }
        });
}

}  // namespace

void TAudioStream::SetVolume(int channel, std::uint32_t start, double factor, std::uint32_t count) {
    if (!std::isfinite(factor)) {
        throw std::invalid_argument("SetVolume: the volume factor must be a finite number");
    }
    const auto channels = FragmentChannels(*this, channel, start, count, "SetVolume");
    if (factor == 1.0 || count == 0) {
        return;
    }
    const long double f = factor;
    // Louder than full scale clips at full scale of the product's sign, so the most negative
    // value clips like any other loud sample and a negative factor cannot wrap around.
    MapSamples(*this, channels, start, count, [f](std::int32_t v) {
        const long double p = v * f;
        if (p > MaxLevel) {
            return MaxLevel;
        }
        if (p < -MaxLevel) {
            return -MaxLevel;
        }
        return static_cast<std::int32_t>(TruncTowardZero(p));
    });
}

void TAudioStream::Normalize(int channel, std::uint32_t start, std::uint32_t count) {
    const auto channels = FragmentChannels(*this, channel, start, count, "Normalize");
    if (count == 0) {
        return;
    }
    // Each channel follows its own peak: one task per channel finds it and scales by it, the
    // search counting for half of the channel's progress steps and the scaling for the rest.
    blockwalk::ForEachChannel(
        channels.size(), count, [&](std::size_t i, blockwalk::TChannelProgress& progress) {
            const std::uint16_t c = channels[i];
            std::vector<std::int32_t> values(BlockSamples);
            std::int64_t peak = 0;
            for (std::uint32_t k = 0; k < count;) {
                const std::uint32_t b = std::min(BlockSamples, count - k);
                ReadSamples(c, start + k, b, values.data());
                peak = blockwalk::PeakOf(values.data(), b, peak);
                k += b;
                progress.Advance(b / 2);
            }
            blockwalk::ScaleToPeak(*this, c, start, count, peak,
                                   [&progress](std::uint32_t b) { progress.Advance(b - b / 2); });
        });
}

void TAudioStream::FadeIn(int channel, std::uint32_t start, std::uint32_t count) {
    const auto channels = FragmentChannels(*this, channel, start, count, "FadeIn");
    if (count == 0) {
        return;
    }
    const long double n = count;
    const double nd = count;
    Fade(
        *this, channels, start, count,
        [n](std::uint32_t k) { return static_cast<long double>(k) / n; },
        [nd](std::uint32_t k) { return static_cast<double>(k) / nd; });
}

void TAudioStream::FadeOut(int channel, std::uint32_t start, std::uint32_t count) {
    const auto channels = FragmentChannels(*this, channel, start, count, "FadeOut");
    if (count == 0) {
        return;
    }
    const long double n = count;
    const double nd = count;
    Fade(
        *this, channels, start, count,
        [n](std::uint32_t k) { return 1 - static_cast<long double>(k) / n; },
        [nd](std::uint32_t k) { return 1 - static_cast<double>(k) / nd; });
}

void TAudioStream::Invert(int channel, std::uint32_t start, std::uint32_t count) {
    const auto channels = FragmentChannels(*this, channel, start, count, "Invert");
    if (count == 0) {
        return;
    }
    MapSamples(*this, channels, start, count, [](std::int32_t v) { return ~v; });
}

}  // namespace sonavel
