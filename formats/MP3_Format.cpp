#include "formats/MP3_Format.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "core/Progress.h"
#include "formats/FormatError.h"
#include "formats/Interleave.h"
#include "formats/Mpglib.h"

namespace sonavel {

namespace {

// Working storage of one load, as mpglib's callers size it.
constexpr std::size_t InputBytes = 16384;
constexpr std::size_t OutputBytes = 0x40000;
// Positions tested per read while searching for a header.
constexpr std::size_t ScanBlock = 4096;
// Decoded samples gathered per channel before they go to the stream.
constexpr std::uint32_t StageSamples = 65536;

// Collects decoded 16-bit frames and hands them to the stream's channels in runs.
class TDecodedSink {
  public:
    TDecodedSink(TAudioStream& stream, std::uint16_t channels)
        : Stream_(stream),
          Channels_(channels),
          // Left unset: only staged bytes are read, and a short file must not pay for zeroing.
          Stage_(std::make_unique_for_overwrite<std::uint8_t[]>(std::size_t{channels} *
                                                                StageSamples * 2)) {}

    void Add(const std::uint8_t* interleaved, std::size_t bytes) {
        const std::size_t frameBytes = std::size_t{Channels_} * 2;
        // libmpg123 hands out whole sample frames (its buffers and ours are multiples of 4).
        std::size_t frames = bytes / frameBytes;
        while (frames > 0) {
            const std::size_t take = std::min<std::size_t>(frames, StageSamples - Staged_);
            for (std::uint16_t c = 0; c < Channels_; ++c) {
                CopyStrided(2, interleaved + std::size_t{c} * 2, frameBytes,
                            ChannelStage(c) + std::size_t{Staged_} * 2, 2, take);
            }
            interleaved += take * frameBytes;
            frames -= take;
            Staged_ += static_cast<std::uint32_t>(take);
            if (Staged_ == StageSamples) {
                Flush();
            }
        }
    }

    void Flush() {
        if (Staged_ == 0) {
            return;
        }
        if (Written_ + Staged_ > UINT32_MAX) {
            throw TFormatError("The MP3 file is longer than a document can hold");
        }
        for (std::uint16_t c = 0; c < Channels_; ++c) {
            Stream_.WriteStored(c, static_cast<std::uint32_t>(Written_), Staged_, ChannelStage(c));
        }
        Written_ += Staged_;
        Staged_ = 0;
    }

  private:
    std::uint8_t* ChannelStage(std::uint16_t c) {
        return Stage_.get() + std::size_t{c} * StageSamples * 2;
    }

    TAudioStream& Stream_;
    std::uint16_t Channels_;
    std::unique_ptr<std::uint8_t[]> Stage_;
    std::uint32_t Staged_ = 0;
    std::uint64_t Written_ = 0;
};

}  // namespace

TMP3::TMP3(const std::string& fileName) : File_(TFile::Open(fileName, TFile::ReadOnly)) {}

std::uint64_t TMP3::FindFrame(std::uint64_t position) {
    const std::uint64_t size = File_->Size();
    const std::uint64_t last = size >= 4 ? size - 4 : 0;
    std::vector<std::uint8_t> block(ScanBlock + 3);
    TMp3Header candidate;
    for (std::uint64_t pos = position; size >= 4 && pos <= last;) {
        const auto count =
            static_cast<std::size_t>(std::min<std::uint64_t>(block.size(), size - pos));
        File_->ReadBytes(block.data(), pos, count);
        for (std::size_t i = 0; i + 4 <= count; ++i) {
            if (block[i] == 0xFF &&
                ParseFrameHeader(std::span<const std::uint8_t, 4>(block.data() + i, 4),
                                 candidate)) {
                Header = candidate;
                HeaderFound_ = true;
                return pos + i;
            }
        }
        pos += count - 3;
    }
    return std::max(position, last);
}

void TMP3::LoadStream(TAudioStream& Stream) {
    TFile& file = *File_;
    const std::uint64_t size = file.Size();
    HeaderFound_ = false;
    std::uint64_t pos = FindFrame(0);

    const std::uint16_t channels = HeaderFound_ && Header.ChannelMode == "Mono" ? 1 : 2;
    if (HeaderFound_) {
        Stream.SampleRate = Header.SampleRate;
    }
    Stream.BitsPerSample = 16;
    Stream.DeleteAllChannels();
    Stream.UpdateSampleFormat();
    for (std::uint16_t c = 0; c < channels; ++c) {
        Stream.AddChannel();
    }
    if (!HeaderFound_) {
        return;
    }

    const std::uint64_t end = size - 4;  // a header was found, so size >= 4
    const TProgressScope progress(size);
    TMpglib decoder(channels);
    decoder.InitMP3();
    TDecodedSink sink(Stream, channels);
    std::vector<std::uint8_t> input(InputBytes);
    const auto output = std::make_unique_for_overwrite<std::uint8_t[]>(OutputBytes);
    std::size_t done = 0;
    TMp3Result r = MP3_ERR;
    while (pos < end) {
        TProgressScope::Step(pos);
        while (r != MP3_OK && pos < end) {
            if (r == MP3_ERR) {
                // A fresh decoder from the next header on.
                decoder.ExitMP3();
                decoder.InitMP3();
                pos = FindFrame(pos);
            }
            // Only bytes of the file: a frame cut off by the end is fed as far as it goes.
            const auto count = static_cast<std::size_t>(
                std::min<std::uint64_t>({Header.FrameLength, input.size(), size - pos}));
            file.ReadBytes(input.data(), pos, count);
            pos += Header.FrameLength;
            r = decoder.decodeMP3(input.data(), count, output.get(), OutputBytes, done);
        }
        while (r == MP3_OK) {
            sink.Add(output.get(), done);
            // Drain what the decoder still holds.
            r = decoder.decodeMP3(nullptr, 0, output.get(), OutputBytes, done);
        }
    }
    decoder.ExitMP3();
    sink.Flush();
    TProgressScope::Step(size);
}

}  // namespace sonavel
