#include <algorithm>
#include <cmath>
#include <limits>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/AudioStream.h"
#include "core/FragmentFrame.h"
#include "core/LengthLimit.h"
#include "core/RateConversion.h"

namespace sonavel {

namespace {

// Samples per stored-byte copy of CopyTo: 1 MiB at 4 bytes a sample.
constexpr std::uint32_t CopyBlockSamples = 262144;
// Source samples read at once by the rate conversion; a faster source is read whole over
// this span, a much faster one sample by sample.
constexpr std::uint32_t SourceSpanSamples = 4 * FrameBlockSamples;

std::int32_t Saturate(std::int64_t v) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(v, -MaxLevel, MaxLevel));
}

// Writes zeros over count samples of each channel from start on: the stored form of 0 is
// all zero bytes at every width.
void WriteZeros(TAudioStream& stream, const std::vector<std::uint16_t>& channels,
                std::uint32_t start, std::uint32_t count, bool reportProgress) {
    const std::vector<std::uint8_t> zeros(
        static_cast<std::size_t>(std::min(count, CopyBlockSamples)) * stream.BytesPerSample);
    for (std::uint32_t k = 0; k < count;) {
        if (reportProgress) {
            TProgressScope::Step(k);
        }
        const std::uint32_t n = std::min(count - k, CopyBlockSamples);
        for (const std::uint16_t c : channels) {
            stream.WriteStored(c, start + k, n, zeros.data());
        }
        k += n;
    }
}

// Source samples at the given indexes, read as one run where they lie close together.
void Gather(TAudioStream& source, std::uint16_t channel, const std::uint32_t* indexes,
            std::uint32_t count, std::vector<std::int32_t>& span, std::int32_t* values) {
    const std::uint32_t first = indexes[0];
    const std::uint32_t width = indexes[count - 1] - first + 1;
    if (width <= 4 * count) {
        source.ReadSamples(channel, first, width, span.data());
        for (std::uint32_t j = 0; j < count; ++j) {
            values[j] = span[indexes[j] - first];
        }
        return;
    }
    for (std::uint32_t j = 0; j < count; ++j) {
        source.ReadSamples(channel, indexes[j], 1, values + j);
    }
}

// Runs the rate conversion of source into target's channels from start on, writing at most
// limit samples: each output is combine(source sample, sample already there), the present
// sample being read only when needsPresent. Returns how many samples each channel got.
template <typename Combine>
std::uint32_t Convert(TAudioStream& target, const std::vector<std::uint16_t>& channels,
                      std::uint32_t start, TAudioStream& source, TRateConversion& conversion,
                      std::uint64_t limit, bool needsPresent, Combine combine) {
    const std::uint32_t sourceLength = source.GetLength();
    std::vector<std::uint32_t> indexes(FrameBlockSamples);
    std::vector<std::int32_t> span(SourceSpanSamples);
    // Gathered samples per source channel: a mono source feeds every selected channel.
    std::vector<std::vector<std::int32_t>> gathered(source.ChannelCount);
    std::vector<bool> fresh(source.ChannelCount);
    std::vector<std::int32_t> present(needsPresent ? FrameBlockSamples : 0);
    std::vector<std::int32_t> out(FrameBlockSamples);

    const TProgressScope progress(sourceLength);
    std::uint64_t written = 0;
    while (written < limit) {
        TProgressScope::Step(conversion.SourceIndex());
        const auto capacity =
            static_cast<std::uint32_t>(std::min<std::uint64_t>(FrameBlockSamples, limit - written));
        const std::uint32_t n = conversion.Next(indexes.data(), capacity, SourceSpanSamples);
        if (n == 0) {
            break;
        }
        std::fill(fresh.begin(), fresh.end(), false);
        const auto w = static_cast<std::uint32_t>(start + written);
        for (const std::uint16_t u : channels) {
            const auto s = static_cast<std::uint16_t>(
                std::min<int>(u - channels.front(), source.ChannelCount - 1));
            std::vector<std::int32_t>& values = gathered[s];
            if (!fresh[s]) {
                values.resize(FrameBlockSamples);
                Gather(source, s, indexes.data(), n, span, values.data());
                fresh[s] = true;
            }
            if (needsPresent) {
                target.ReadSamples(u, w, n, present.data());
            }
            for (std::uint32_t j = 0; j < n; ++j) {
                out[j] = combine(values[j], needsPresent ? present[j] : 0);
            }
            target.WriteSamples(u, w, n, out.data());
        }
        written += n;
    }
    TProgressScope::Step(sourceLength);
    return static_cast<std::uint32_t>(written);
}

}  // namespace

void TAudioStream::CopyTo(int channel, std::uint32_t start, TAudioStream& destination,
                          std::uint32_t count) {
    if (&destination == this) {
        throw std::invalid_argument("CopyTo: a stream cannot be copied into itself");
    }
    const std::vector<std::uint16_t> channels = CheckedChannels(*this, channel, "CopyTo");
    CheckSpan(start, count, "CopyTo");

    destination.DeleteAllChannels();
    destination.SampleRate = SampleRate;
    destination.BitsPerSample = BitsPerSample;
    destination.UpdateSampleFormat();
    for (std::size_t i = 0; i < channels.size(); ++i) {
        destination.AddChannel();
    }

    // Both streams have one format, so the stored bytes go across as they are: an undo must
    // bring back exactly the samples its restore point was taken from, and a round trip
    // through the scale of the sample accessors would pull loud samples one step to zero.
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(std::min(count, CopyBlockSamples)) *
                                    BytesPerSample);
    const TProgressScope progress(count);
    for (std::uint32_t k = 0; k < count;) {
        TProgressScope::Step(k);
        const std::uint32_t n = std::min(count - k, CopyBlockSamples);
        for (std::size_t d = 0; d < channels.size(); ++d) {
            ReadStored(channels[d], start + k, n, bytes.data());
            destination.WriteStored(static_cast<std::uint16_t>(d), k, n, bytes.data());
        }
        k += n;
    }
    TProgressScope::Step(count);
}

void TAudioStream::PasteFrom(int channel, std::uint32_t start, TAudioStream& source,
                             std::uint8_t mode) {
    if (&source == this) {
        throw std::invalid_argument("PasteFrom: a stream cannot be pasted into itself");
    }
    if (mode > PasteMix) {
        throw std::invalid_argument("PasteFrom: unknown paste mode " + std::to_string(mode));
    }
    const std::vector<std::uint16_t> channels = CheckedChannels(*this, channel, "PasteFrom");
    const std::uint32_t g = source.GetLength();
    if (g == 0 || source.ChannelCount == 0) {
        return;
    }
    TRateConversion conversion(g, source.SampleRate, SampleRate);

    if (mode != PasteInsert) {
        CheckLength(std::uint64_t{start} + conversion.OutputBound(), "PasteFrom");
        CheckSpan(start, conversion.OutputBound(), "PasteFrom");
        const bool mix = mode == PasteMix;
        Convert(*this, channels, start, source, conversion,
                std::numeric_limits<std::uint64_t>::max(), mix,
                [mix](std::int32_t v, std::int32_t d) {
                    return mix ? Saturate(std::int64_t{v / 2} + d / 2) : v;
                });
        return;
    }

    // The gap is the clip's length at this rate; the selection afterwards covers exactly it.
    const auto gap =
        static_cast<std::uint64_t>(std::llrint(static_cast<long double>(g) / conversion.Ratio()));
    CheckLength(std::max<std::uint64_t>(GetLength(), start) + gap, "PasteFrom");
    CheckSpan(start, gap, "PasteFrom");
    if (gap == 0) {
        return;
    }
    for (const std::uint16_t c : channels) {
        ChannelFiles[c]->InsertBytes(BytePosition(start), gap * BytesPerSample);
    }
    // Skipping by the accumulator can make one output more than the rounded gap: it stays in
    // the gap rather than overwriting the sample behind it. Gap samples the conversion leaves
    // unwritten would hold stale bytes of the shifted tail; they become silence.
    const std::uint32_t written =
        Convert(*this, channels, start, source, conversion, gap, false,
                [](std::int32_t v, std::int32_t /*present*/) { return v; });
    WriteZeros(*this, channels, start + written, static_cast<std::uint32_t>(gap - written), false);
}

void TAudioStream::MixFrom(int channel, std::uint32_t start, TAudioStream& source,
                           std::uint8_t divisor) {
    if (&source == this) {
        throw std::invalid_argument("MixFrom: a stream cannot be mixed into itself");
    }
    if (divisor == 0) {
        throw std::invalid_argument("MixFrom: the divisor must be at least 1");
    }
    const std::vector<std::uint16_t> channels = CheckedChannels(*this, channel, "MixFrom");
    const std::uint32_t g = source.GetLength();
    if (g == 0 || source.ChannelCount == 0) {
        return;
    }
    TRateConversion conversion(g, source.SampleRate, SampleRate);
    CheckSpan(start, conversion.OutputBound(), "MixFrom");
    // A loud destination saturates at full scale instead of wrapping to the other sign.
    Convert(*this, channels, start, source, conversion, std::numeric_limits<std::uint64_t>::max(),
            true, [q = std::int32_t{divisor}](std::int32_t v, std::int32_t d) {
                return Saturate(std::int64_t{v / q} + d);
            });
}

void TAudioStream::DeleteFragment(int channel, std::uint32_t start, std::uint32_t count) {
    const std::vector<std::uint16_t> channels = CheckedChannels(*this, channel, "DeleteFragment");
    if (count == 0) {
        return;
    }
    for (const std::uint16_t c : channels) {
        ChannelFiles[c]->DeleteBytes(BytePosition(start),
                                     static_cast<std::uint64_t>(count) * BytesPerSample);
    }
}

void TAudioStream::InsertSilence(int channel, std::uint32_t start, std::uint32_t count) {
    const std::vector<std::uint16_t> channels = CheckedChannels(*this, channel, "InsertSilence");
    CheckSpan(start, count, "InsertSilence");
    CheckLength(std::max<std::uint64_t>(GetLength(), start) + count, "InsertSilence");
    if (count == 0) {
        return;
    }
    for (const std::uint16_t c : channels) {
        ChannelFiles[c]->InsertBytes(BytePosition(start),
                                     static_cast<std::uint64_t>(count) * BytesPerSample);
    }
    const TProgressScope progress(count);
    WriteZeros(*this, channels, start, count, true);
    TProgressScope::Step(count);
}

void TAudioStream::Erase(int channel, std::uint32_t start, std::uint32_t count) {
    const std::vector<std::uint16_t> channels = CheckedChannels(*this, channel, "Erase");
    CheckSpan(start, count, "Erase");
    const TProgressScope progress(count);
    WriteZeros(*this, channels, start, count, true);
    TProgressScope::Step(count);
}

}  // namespace sonavel
