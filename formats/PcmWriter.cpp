#include <algorithm>
#include <array>
#include <optional>
#include <string>
#include <vector>

#include "core/ParallelWork.h"
#include "core/Progress.h"
#include "core/WidthConverter.h"
#include "formats/FormatError.h"
#include "formats/Interleave.h"
#include "formats/PCM_Format.h"
#include "platform/ReplacingFile.h"

namespace sonavel {

namespace {

void PutU16(std::uint8_t* p, std::uint32_t v) {
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}

void PutU32(std::uint8_t* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) {
        p[i] = static_cast<std::uint8_t>(v >> (8 * i));
    }
}

constexpr std::size_t HeaderSize = 44;
constexpr std::size_t ChunkBytes = 1 << 20;

// The file at bits a sample; converted on the way when that changes the stored width.
void Write(TAudioStream& stream, const std::string& fileName, std::uint16_t bits) {
    const std::uint16_t channels = stream.ChannelCount;
    const unsigned storedBps = stream.BytesPerSample;
    const unsigned bps = StoredBytesOf(bits);
    const std::optional<TWidthConverter> converter =
        bps != storedBps ? std::optional<TWidthConverter>(std::in_place, storedBps, bps)
                         : std::nullopt;
    const std::uint64_t length = stream.GetLength();
    const std::size_t frameBytes = std::size_t{channels} * bps;
    const std::uint64_t dataSize = length * frameBytes;
    if (dataSize > UINT32_MAX - (HeaderSize - 8) || frameBytes > UINT16_MAX) {
        throw TFormatError("The document is too large for a WAV file");
    }

    TReplacingFile out(fileName);
    std::uint8_t header[HeaderSize];
    std::copy_n("RIFF", 4, header);
    PutU32(header + 4, static_cast<std::uint32_t>(36 + dataSize));
    std::copy_n("WAVEfmt ", 8, header + 8);
    PutU32(header + 16, 16);
    PutU16(header + 20, 1);
    PutU16(header + 22, channels);
    PutU32(header + 24, stream.SampleRate);
    PutU32(header + 28, static_cast<std::uint32_t>(std::uint64_t{stream.SampleRate} * frameBytes));
    PutU16(header + 32, static_cast<std::uint32_t>(frameBytes));
    PutU16(header + 34, bits);
    std::copy_n("data", 4, header + 36);
    PutU32(header + 40, static_cast<std::uint32_t>(dataSize));
    out.File().WriteAt(header, HeaderSize, 0);

    if (frameBytes > 0 && length > 0) {
        const TProgressScope progress(length);
        const std::size_t chunkFrames = std::max<std::size_t>(1, ChunkBytes / frameBytes);
        // Two chunks in turn: while one is written, the next is put together in the other.
        std::array<std::vector<std::uint8_t>, 2> interleaved;
        for (auto& chunk : interleaved) {
            chunk.resize(chunkFrames * frameBytes);
        }
        // Task 0 writes the previous chunk; the others read the channels and interleave them,
        // one task per channel file, each into its own byte lanes of the chunk.
        std::vector<std::vector<std::uint8_t>> channelBytes(
            channels, std::vector<std::uint8_t>(chunkFrames * storedBps));
        std::vector<std::vector<std::uint8_t>> convertedBytes(
            converter ? channels : 0, std::vector<std::uint8_t>(chunkFrames * bps));
        const bool unsignedSamples = bits <= 8;
        std::uint64_t filePos = HeaderSize;
        std::size_t pending = 0;  // bytes of the previous chunk, not yet written
        const auto writePending = [&](const std::vector<std::uint8_t>& chunk) {
            if (pending > 0) {
                out.File().WriteAt(chunk.data(), pending, filePos);
                filePos += pending;
            }
        };
        std::uint64_t k = 0;
        for (std::uint64_t n = 0; n < length; k ^= 1) {
            TProgressScope::Step(n);
            const std::size_t count =
                static_cast<std::size_t>(std::min<std::uint64_t>(length - n, chunkFrames));
            std::uint8_t* const chunk = interleaved[k].data();
            ParallelFor(std::size_t{channels} + 1, [&](std::size_t task) {
                if (task == 0) {
                    writePending(interleaved[k ^ 1]);
                    return;
                }
                const std::size_t c = task - 1;
                std::uint8_t* bytes = channelBytes[c].data();
                stream.ReadStored(static_cast<std::uint16_t>(c), static_cast<std::uint32_t>(n),
                                  static_cast<std::uint32_t>(count), bytes);
                if (converter) {
                    converter->Run(bytes, convertedBytes[c].data(),
                                   static_cast<std::uint32_t>(count));
                    bytes = convertedBytes[c].data();
                }
                if (unsignedSamples) {
                    FlipSignBit(bytes, count);
                }
                CopyStrided(bps, bytes, bps, chunk + c * bps, frameBytes, count);
            });
            pending = count * frameBytes;
            n += count;
        }
        writePending(interleaved[k ^ 1]);
        TProgressScope::Step(length);
    }
    out.Commit();
}

}  // namespace

void SavePCMFile(TAudioStream& stream, const std::string& fileName) {
    Write(stream, fileName, stream.BitsPerSample);
}

void SavePCMFile(TAudioStream& stream, const std::string& fileName, std::uint8_t bits) {
    CheckSampleWidth(bits);
    Write(stream, fileName, bits);
}

}  // namespace sonavel
