#include <algorithm>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/AudioStream.h"
#include "core/FragmentFrame.h"

namespace sonavel {

void TAudioStream::ChangeSampleRate(std::uint32_t newRate) {
    if (newRate == 0) {
        throw std::invalid_argument("ChangeSampleRate: the new sample rate must be above 0 Hz");
    }
    if (SampleRate == 0) {
        throw std::invalid_argument("ChangeSampleRate: the stream's sample rate is 0 Hz");
    }
    const std::uint32_t length = GetLength();
    if (length > 0) {
        // Formed in extended precision, passed on as a double.
        const auto factor = static_cast<double>(static_cast<long double>(SampleRate) / newRate);
        ChangeSpeed(-1, 0, false, factor, length);
    }
    SampleRate = newRate;
}

void TAudioStream::ChangeBits(std::uint8_t newBits) {
    if (newBits < 1 || newBits > 32) {
        throw std::invalid_argument("ChangeBits: " + std::to_string(newBits) +
                                    " bits per sample; the width must be 1 to 32 bits");
    }
    const std::uint16_t oldBits = BitsPerSample;
    const std::uint16_t oldBytes = BytesPerSample;
    const auto useFormat = [this](std::uint16_t bits) {
        BitsPerSample = bits;
        UpdateSampleFormat();
    };
    useFormat(newBits);
    const std::uint16_t newBytes = BytesPerSample;
    if (newBytes == oldBytes) {
        return;  // same stored width: only the nominal width changes (12 to 16 bits)
    }
    useFormat(oldBits);
    const std::uint32_t n = GetLength();
    if (n == 0) {
        useFormat(newBits);
        return;
    }

    // The channel files are converted in place: narrowing walks up and widening walks down,
    // so no sample is overwritten before it has been read.
    const bool narrowing = newBytes < oldBytes;
    std::vector<std::int32_t> values(FrameBlockSamples);
    {
        const TProgressScope progress(n);
        for (std::uint32_t done = 0; done < n;) {
            TProgressScope::Step(done);
            const std::uint32_t len = std::min(n - done, FrameBlockSamples);
            const std::uint32_t first = narrowing ? done : n - done - len;
            for (std::uint16_t c = 0; c < ChannelCount; ++c) {
                useFormat(oldBits);
                ReadSamples(c, first, len, values.data());
                useFormat(newBits);
                WriteSamples(c, first, len, values.data());
            }
            done += len;
        }
        TProgressScope::Step(n);
    }
    useFormat(newBits);
    if (narrowing) {
        const std::uint64_t end = static_cast<std::uint64_t>(n) * newBytes;
        for (const auto& file : ChannelFiles) {
            const std::uint64_t size = file->Size();
            if (size > end) {
                file->DeleteBytes(end, size - end);
            }
        }
    }
}

}  // namespace sonavel
