#include <algorithm>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/AudioStream.h"
#include "core/BlockWalk.h"
#include "core/FragmentFrame.h"

namespace sonavel {

namespace {

// Maps a stored sample of one width to the stored sample of another through the common
// scale: read at the old width, written at the new, as the single-sample accessors would.
class TWidthConverter {
  public:
    TWidthConverter(unsigned oldBytes, unsigned newBytes)
        : OldBytes_(oldBytes), NewBytes_(newBytes) {
        if (oldBytes < 1 || oldBytes > 4 || newBytes < 1 || newBytes > 4) {
            throw std::invalid_argument("ChangeBits: stored widths are 1 to 4 bytes");
        }
        // Up to 16 bits every stored value is looked up (at most 64 Ki of them).
        if (oldBytes <= 2) {
            Table_.resize(std::size_t{1} << (8 * oldBytes));
            for (std::uint32_t raw = 0; raw < Table_.size(); ++raw) {
                Table_[raw] = Convert(raw);
            }
        }
    }

    void Run(const std::uint8_t* in, std::uint8_t* out, std::uint32_t count) const {
        for (std::uint32_t i = 0; i < count; ++i) {
            const std::uint8_t* b = in + static_cast<std::size_t>(i) * OldBytes_;
            std::uint32_t raw = b[0];
            for (unsigned k = 1; k < OldBytes_; ++k) {
                raw |= static_cast<std::uint32_t>(b[k]) << (8 * k);
            }
            const std::uint32_t stored = Table_.empty() ? Convert(raw) : Table_[raw];
            std::uint8_t* o = out + static_cast<std::size_t>(i) * NewBytes_;
            for (unsigned k = 0; k < NewBytes_; ++k) {
                o[k] = static_cast<std::uint8_t>(stored >> (8 * k));
            }
        }
    }

  private:
    std::uint32_t Convert(std::uint32_t raw) const {
        return Stored(Level(raw, OldBytes_), NewBytes_);
    }

    // The widths as constants, one case each, as the sample accessors have them.
    static std::uint32_t Stored(std::int32_t level, unsigned bytes) {
        switch (bytes) {
            case 1:
                return static_cast<std::uint32_t>(LevelToStored(level, 1));
            case 2:
                return static_cast<std::uint32_t>(LevelToStored(level, 2));
            case 3:
                return static_cast<std::uint32_t>(LevelToStored(level, 3));
            default:
                return static_cast<std::uint32_t>(LevelToStored(level, 4));
        }
    }

    static std::int32_t Level(std::uint32_t raw, unsigned bytes) {
        switch (bytes) {
            case 1:
                return StoredToLevel(SignExtend(raw, 1), 1);
            case 2:
                return StoredToLevel(SignExtend(raw, 2), 2);
            case 3:
                return StoredToLevel(SignExtend(raw, 3), 3);
            default:
                return StoredToLevel(static_cast<std::int32_t>(raw), 4);
        }
    }

    unsigned OldBytes_;
    unsigned NewBytes_;
    std::vector<std::uint32_t> Table_;
};

// Rewrites the first n samples of every channel at newBytes a sample, in place: narrowing
// walks up and widening walks down, so no sample is overwritten before it has been read.
// Channels shorter than n are filled up to it with silence. The channels are converted in
// parallel, one task per channel file.
void ConvertStoredWidth(TAudioStream& s, std::uint32_t n, unsigned newBytes) {
    const unsigned oldBytes = s.BytesPerSample;
    const TWidthConverter converter(oldBytes, newBytes);
    const bool narrowing = newBytes < oldBytes;
    blockwalk::ForEachChannel(s.ChannelCount, n, [&](std::size_t i,
                                                      blockwalk::TChannelProgress& progress) {
        const auto c = static_cast<std::uint16_t>(i);
        std::vector<std::uint8_t> in(static_cast<std::size_t>(FrameBlockSamples) * oldBytes);
        std::vector<std::uint8_t> out(static_cast<std::size_t>(FrameBlockSamples) * newBytes);
        for (std::uint32_t done = 0; done < n;) {
            const std::uint32_t len = std::min(n - done, FrameBlockSamples);
            const std::uint32_t first = narrowing ? done : n - done - len;
            s.ReadStored(c, first, len, in.data());
            converter.Run(in.data(), out.data(), len);
            s.ChannelFiles[c]->WriteBytes(out.data(), static_cast<std::uint64_t>(first) * newBytes,
                                          static_cast<std::uint64_t>(len) * newBytes);
            done += len;
            progress.Advance(len);
        }
    });
}

}  // namespace

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
    BitsPerSample = newBits;
    UpdateSampleFormat();
    const std::uint16_t newBytes = BytesPerSample;
    if (newBytes == oldBytes) {
        return;  // same stored width: only the nominal width changes (12 to 16 bits)
    }
    BitsPerSample = oldBits;
    UpdateSampleFormat();
    const std::uint32_t n = GetLength();
    if (n > 0) {
        ConvertStoredWidth(*this, n, newBytes);
    }
    BitsPerSample = newBits;
    UpdateSampleFormat();
    if (n > 0 && newBytes < oldBytes) {
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
