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
#include "core/WidthConverter.h"
#include "platform/OsFile.h"

namespace sonavel {

namespace {

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
    CheckSampleWidth(newBits);
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
