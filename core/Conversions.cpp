#include <algorithm>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "core/AudioStream.h"
#include "core/BlockWalk.h"
#include "core/FragmentFrame.h"
#include "core/TempPath.h"
#include "platform/OsFile.h"

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
        switch (OldBytes_ * 4 + NewBytes_) {
            case 1 * 4 + 1:
                return Run<1, 1>(in, out, count);
            case 1 * 4 + 2:
                return Run<1, 2>(in, out, count);
            case 1 * 4 + 3:
                return Run<1, 3>(in, out, count);
            case 1 * 4 + 4:
                return Run<1, 4>(in, out, count);
            case 2 * 4 + 1:
                return Run<2, 1>(in, out, count);
            case 2 * 4 + 2:
                return Run<2, 2>(in, out, count);
            case 2 * 4 + 3:
                return Run<2, 3>(in, out, count);
            case 2 * 4 + 4:
                return Run<2, 4>(in, out, count);
            case 3 * 4 + 1:
                return Run<3, 1>(in, out, count);
            case 3 * 4 + 2:
                return Run<3, 2>(in, out, count);
            case 3 * 4 + 3:
                return Run<3, 3>(in, out, count);
            case 3 * 4 + 4:
                return Run<3, 4>(in, out, count);
            case 4 * 4 + 1:
                return Run<4, 1>(in, out, count);
            case 4 * 4 + 2:
                return Run<4, 2>(in, out, count);
            case 4 * 4 + 3:
                return Run<4, 3>(in, out, count);
            default:
                return Run<4, 4>(in, out, count);
        }
    }

  private:
    // The widths as constants, so each sample is a fixed run of byte moves.
    template <unsigned OldBytes, unsigned NewBytes>
    void Run(const std::uint8_t* in, std::uint8_t* out, std::uint32_t count) const {
        for (std::uint32_t i = 0; i < count; ++i, in += OldBytes, out += NewBytes) {
            std::uint32_t raw = in[0];
            for (unsigned k = 1; k < OldBytes; ++k) {
                raw |= static_cast<std::uint32_t>(in[k]) << (8 * k);
            }
            const std::uint32_t stored = OldBytes <= 2 ? Table_[raw] : Convert(raw);
            for (unsigned k = 0; k < NewBytes; ++k) {
                out[k] = static_cast<std::uint8_t>(stored >> (8 * k));
            }
        }
    }

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

// A new empty channel file under the smallest free "N.chl" of the channel folder, as
// AddChannel names them.
struct TNewChannel {
    std::unique_ptr<TFile> File;
    std::string Name;
};

TNewChannel NewChannelFile() {
    const std::string folder = ChannelFolder();
    for (unsigned number = 0;; ++number) {
        std::string name = folder + std::to_string(number) + ".chl";
        if (auto file = TFile::CreateNew(name)) {
            return {std::move(file), std::move(name)};
        }
    }
}

// Removes the channel files of a conversion that did not complete.
void DropNewChannels(std::vector<TNewChannel>& fresh) noexcept {
    for (TNewChannel& f : fresh) {
        try {
            f.File->Discard();
            f.File.reset();
            RemoveFile(f.Name);
        } catch (...) {  // NOLINT(bugprone-empty-catch): the first failure is the one to report
        }
    }
}

// Writes the first n samples of every channel at newBytes a sample into new channel files,
// front to back, and then puts them in place of the old ones (channels shorter than n are
// filled up to it with silence). The channels are converted in parallel, one task per
// channel; the new files are written in one sequential pass, never read, and until the
// swap the stream is untouched, so a failure (a full disk) leaves it as it was.
void ConvertStoredWidth(TAudioStream& s, std::uint32_t n, unsigned newBytes) {
    const unsigned oldBytes = s.BytesPerSample;
    const TWidthConverter converter(oldBytes, newBytes);
    std::vector<TNewChannel> fresh;
    try {
        for (std::uint16_t c = 0; c < s.ChannelCount; ++c) {
            fresh.push_back(NewChannelFile());
        }
        blockwalk::ForEachChannel(
            s.ChannelCount, n, [&](std::size_t i, blockwalk::TChannelProgress& progress) {
                const auto c = static_cast<std::uint16_t>(i);
                TFile& file = *fresh[i].File;
                std::vector<std::uint8_t> in(static_cast<std::size_t>(FrameBlockSamples) *
                                             oldBytes);
                std::vector<std::uint8_t> out(static_cast<std::size_t>(FrameBlockSamples) *
                                              newBytes);
                for (std::uint32_t done = 0; done < n;) {
                    const std::uint32_t len = std::min(n - done, FrameBlockSamples);
                    s.ReadStored(c, done, len, in.data());
                    converter.Run(in.data(), out.data(), len);
                    file.WriteBytes(out.data(), static_cast<std::uint64_t>(done) * newBytes,
                                    static_cast<std::uint64_t>(len) * newBytes);
                    done += len;
                    progress.Advance(len);
                }
                file.Flush();  // a write failure is reported here, not lost in a destructor
            });
    } catch (...) {
        DropNewChannels(fresh);
        throw;
    }
    for (std::uint16_t c = 0; c < s.ChannelCount; ++c) {
        s.ChannelFiles[c]->Discard();
        s.ChannelFiles[c] = std::move(fresh[c].File);
        const std::string old = std::exchange(s.ChannelFileNames[c], std::move(fresh[c].Name));
        try {
            RemoveFile(old);
        } catch (...) {  // NOLINT(bugprone-empty-catch): the stream is whole; a stray file is
                         // removed with the other leftovers at the next start
        }
    }
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
}

}  // namespace sonavel
