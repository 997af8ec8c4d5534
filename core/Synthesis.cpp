#include <algorithm>
#include <cmath>
#include <numbers>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/AudioStream.h"
#include "core/FragmentFrame.h"
#include "core/LengthLimit.h"
#include "core/NoiseRandom.h"
#include "core/ParallelWork.h"
#include "core/ScaledSine.h"

namespace sonavel {

namespace {

constexpr long double Pi = std::numbers::pi_v<long double>;
// The generators' paste modes, in the order of their dialogs' list (not that of PasteFrom).
enum TGeneratorMode : std::uint8_t { GenerateReplace = 0, GenerateInsert = 1, GenerateMix = 2 };
// Random draws held at once by the noise generator, over all channels of a block.
constexpr std::uint32_t NoiseDrawsPerBlock = 2 * FrameBlockSamples;

// Volume percent of MaxLevel.
long double Amplitude(std::uint8_t volume) {
    return static_cast<long double>(volume) * 21474836.47L;
}

// Everything a generator refuses, checked before anything is written.
std::uint32_t CheckedCount(const char* operation, TAudioStream& stream, std::uint32_t start,
                           std::uint64_t count, std::uint8_t volume, std::uint8_t pasteMode) {
    CheckLength(count, operation);
    // The document's length afterwards: inserting moves what was there behind the new part.
    const std::uint64_t length = stream.GetLength();
    CheckLength(pasteMode == GenerateInsert
                    ? std::max<std::uint64_t>(length, start) + count
                    : std::max<std::uint64_t>(length, std::uint64_t{start} + count),
                operation);
    CheckSpan(start, count, operation);
    if (volume > 100) {
        throw std::invalid_argument(std::string(operation) + ": volume " + std::to_string(volume) +
                                    " % is above 100 %");
    }
    if (pasteMode > GenerateMix) {
        throw std::invalid_argument(std::string(operation) + ": unknown paste mode " +
                                    std::to_string(pasteMode));
    }
    if (stream.SampleRate == 0) {
        throw std::invalid_argument(std::string(operation) + ": the stream's sample rate is 0 Hz");
    }
    return static_cast<std::uint32_t>(count);
}

// Mixing mode: half the new sample plus half the one already there.
std::int32_t MixHalves(std::int64_t generated, std::int32_t present) {
    return static_cast<std::int32_t>(
        std::clamp<std::int64_t>(generated / 2 + present / 2, -MaxLevel, MaxLevel));
}

// Writes one block of generated samples into a channel, mixing them in for mode 2.
void WriteGenerated(TAudioStream& stream, std::uint16_t channel, std::uint32_t position,
                    std::uint8_t pasteMode, std::vector<std::int32_t>& values, std::uint32_t count,
                    std::vector<std::int32_t>& present) {
    if (pasteMode == GenerateMix) {
        stream.ReadSamples(channel, position, count, present.data());
        for (std::uint32_t j = 0; j < count; ++j) {
            values[j] = MixHalves(values[j], present[j]);
        }
    }
    stream.WriteSamples(channel, position, count, values.data());
}

}  // namespace

void TAudioStream::GenerateTone(int channel, std::uint32_t start, std::uint8_t waveform,
                                double frequency, std::uint8_t volume, std::uint8_t pasteMode,
                                std::uint64_t count) {
    const std::vector<std::uint16_t> channels = CheckedChannels(*this, channel, "GenerateTone");
    const std::uint32_t n = CheckedCount("GenerateTone", *this, start, count, volume, pasteMode);
    if (waveform > Triangle) {
        throw std::invalid_argument("GenerateTone: unknown waveform " + std::to_string(waveform));
    }
    if (!std::isfinite(frequency)) {
        throw std::invalid_argument("GenerateTone: the frequency is not a finite number");
    }
    if (pasteMode == GenerateInsert) {
        InsertSilence(channel, start, n);
    }

    const long double a = Amplitude(volume);
    const auto level = static_cast<std::int64_t>(a);
    std::vector<long double> phases(FrameBlockSamples);
    std::vector<std::int32_t> sines(FrameBlockSamples);
    std::vector<std::int32_t> complements(waveform == Triangle ? FrameBlockSamples : 0);
    std::vector<std::vector<std::int32_t>> values(channels.size());
    std::vector<std::vector<std::int32_t>> present(channels.size());
    // Every sample of a block is worked out on its own: the block is cut into one slice per
    // thread; then every channel gets the same samples, each written by a task of its own.
    const std::uint32_t slices = WorkerThreads();
    const TProgressScope progress(n);
    for (std::uint32_t k0 = 0; k0 < n;) {
        TProgressScope::Step(k0);
        const std::uint32_t len = std::min(n - k0, FrameBlockSamples);
        ParallelFor(slices, [&](std::size_t slice) {
            const auto from = static_cast<std::uint32_t>(std::uint64_t{len} * slice / slices);
            const auto to = static_cast<std::uint32_t>(std::uint64_t{len} * (slice + 1) / slices);
            for (std::uint32_t j = from; j < to; ++j) {
                phases[j] = static_cast<long double>(k0 + j) * 2 * Pi * frequency / SampleRate;
            }
            const std::span<const long double> x(phases.data() + from, to - from);
            TruncScaledSines(x, a, std::span(sines.data() + from, to - from));
            if (waveform == Triangle) {
                TruncScaledCosineComplements(x, a, std::span(complements.data() + from, to - from));
            }
            for (std::uint32_t j = from; j < to; ++j) {
                std::int64_t v = sines[j];
                if (waveform == Rectangle) {
                    // A zero sine value, as at k = 0, gives the negative level.
                    v = v > 0 ? level : -level;
                } else if (waveform == Triangle) {
                    const std::int64_t t = std::int64_t{complements[j]} / 2;
                    v = v > 0 ? v / 2 + t : v / 2 - t;
                }
                sines[j] = static_cast<std::int32_t>(v);
            }
        });
        ParallelFor(channels.size(), [&](std::size_t i) {
            values[i].assign(sines.begin(), sines.begin() + len);
            present[i].resize(pasteMode == GenerateMix ? len : 0);
            WriteGenerated(*this, channels[i], start + k0, pasteMode, values[i], len, present[i]);
        });
        k0 += len;
    }
    TProgressScope::Step(n);
}

void TAudioStream::GenerateNoise(int channel, std::uint32_t start, std::uint8_t colour,
                                 std::uint8_t volume, std::uint8_t pasteMode, std::uint64_t count) {
    const std::vector<std::uint16_t> channels = CheckedChannels(*this, channel, "GenerateNoise");
    const std::uint32_t n = CheckedCount("GenerateNoise", *this, start, count, volume, pasteMode);
    if (colour > Brown) {
        throw std::invalid_argument("GenerateNoise: unknown noise colour " +
                                    std::to_string(colour));
    }
    if (pasteMode == GenerateInsert) {
        InsertSilence(channel, start, n);
    }

    const long double a = Amplitude(volume);
    const std::uint32_t range = SampleRate / 2;
    const auto selected = static_cast<std::uint32_t>(channels.size());
    // A new random number per channel and sample, drawn sample-major as the loops run.
    const std::uint32_t block =
        std::max<std::uint32_t>(1, NoiseDrawsPerBlock / std::max<std::uint32_t>(1, selected));
    std::vector<std::uint32_t> draws(static_cast<std::size_t>(block) * selected);
    // The draws come in order from the one generator; each channel's sines are then worked out
    // and written by a task of its own, with its own buffers.
    struct TChannelBuffers {
        std::vector<long double> Phases;
        std::vector<std::int32_t> Values;
        std::vector<std::int32_t> Present;
    };
    std::vector<TChannelBuffers> buffers(selected);
    {
        const TProgressScope progress(n);
        for (std::uint32_t k0 = 0; k0 < n;) {
            TProgressScope::Step(k0);
            const std::uint32_t len = std::min(n - k0, block);
            DrawRandom(range, std::span(draws.data(), static_cast<std::size_t>(len) * selected));
            ParallelFor(selected, [&](std::size_t i) {
                TChannelBuffers& own = buffers[i];
                own.Phases.resize(block);
                own.Values.resize(block);
                own.Present.resize(pasteMode == GenerateMix ? block : 0);
                for (std::uint32_t j = 0; j < len; ++j) {
                    const long double r = draws[static_cast<std::size_t>(j) * selected + i];
                    own.Phases[j] = r * (static_cast<long double>(k0 + j) * 2 * Pi) / SampleRate;
                }
                TruncScaledSines(std::span<const long double>(own.Phases.data(), len), a,
                                 std::span(own.Values.data(), len));
                WriteGenerated(*this, channels[i], start + k0, pasteMode, own.Values, len,
                               own.Present);
            });
            k0 += len;
        }
        TProgressScope::Step(n);
    }
    if (colour == Pink || colour == Brown) {
        ColorNoise(channel, start, n, colour);
    }
}

}  // namespace sonavel
