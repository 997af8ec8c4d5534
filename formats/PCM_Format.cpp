#include "formats/PCM_Format.h"

#include <algorithm>
#include <array>
#include <vector>

#include "core/ParallelWork.h"
#include "core/Progress.h"
#include "formats/FormatError.h"
#include "formats/Interleave.h"

namespace sonavel {

namespace {

std::uint64_t ReadU16(TFile& file, std::uint64_t pos, std::uint16_t& value) {
    std::uint8_t b[2];
    pos = file.ReadBytes(b, pos, 2);
    value = static_cast<std::uint16_t>(b[0] | b[1] << 8);
    return pos;
}

std::uint64_t ReadU32(TFile& file, std::uint64_t pos, std::uint32_t& value) {
    std::uint8_t b[4];
    pos = file.ReadBytes(b, pos, 4);
    value = b[0] | b[1] << 8 | b[2] << 16 | static_cast<std::uint32_t>(b[3]) << 24;
    return pos;
}

// Bytes of one frame moved per chunk while loading.
constexpr std::size_t ChunkBytes = 1 << 20;

// The format chunk's fields start here and take 16 bytes.
constexpr std::uint64_t FormatStart = 20;
constexpr std::uint32_t MinFormatSize = 16;
// Chunks walked at most before "data": real files have a handful; a file of empty chunks
// must not keep the reader busy.
constexpr int MaxChunks = 4096;

std::string IdAt(TFile& file, std::uint64_t pos) {
    std::string id;
    file.ReadString(id, pos, 4);
    return id;
}

bool LooksLikeChunkId(const std::string& id) {
    return id.size() == 4 &&
           std::all_of(id.begin(), id.end(), [](char c) { return c >= 0x20 && c <= 0x7E; });
}

// Where the chunk after the one at pos (with the given size) starts. An odd-sized chunk is
// followed by a pad byte, but some writers leave it out: "data" decides first, then which of
// the two places holds something that looks like a chunk id, the padded one first.
std::uint64_t NextChunk(TFile& file, std::uint64_t fileSize, std::uint64_t pos,
                        std::uint32_t size) {
    const std::uint64_t unpadded = pos + 8 + size;
    if (size % 2 == 0 || unpadded + 8 > fileSize) {
        return unpadded + size % 2;
    }
    const std::uint64_t padded = unpadded + 1;
    const std::string atPadded = padded + 8 <= fileSize ? IdAt(file, padded) : std::string();
    const std::string atUnpadded = IdAt(file, unpadded);
    if (atPadded != "data" &&
        (atUnpadded == "data" || (!LooksLikeChunkId(atPadded) && LooksLikeChunkId(atUnpadded)))) {
        return unpadded;
    }
    return padded;
}

}  // namespace

bool IsWaveFile(const std::string& fileName) {
    try {
        auto file = TFile::Open(fileName, TFile::ReadOnly);
        std::string riff;
        std::string wave;
        std::string fmt;
        std::uint16_t tag = 0;
        file->ReadString(riff, 0, 4);
        file->ReadString(wave, 8, 4);
        file->ReadString(fmt, 12, 4);
        ReadU16(*file, 20, tag);
        return riff == "RIFF" && wave == "WAVE" && fmt == "fmt " && tag == 1;
    } catch (const TFileError&) {
        return false;
    }
}

TPCM::TPCM(const std::string& fileName) : File_(TFile::Open(fileName, TFile::ReadOnly)) {}

TWaveHeader ReadWaveHeader(TFile& file) {
    const std::uint64_t fileSize = file.Size();
    TWaveHeader h;
    std::uint32_t formatSize = 0;
    std::uint16_t formatTag = 0;
    std::uint32_t avgBytesPerSec = 0;
    ReadU32(file, 16, formatSize);
    if (fileSize < FormatStart + MinFormatSize) {
        throw TFormatError("WAV header cut short at " + std::to_string(fileSize) + " bytes");
    }
    // A shorter format chunk would lend its missing fields from the next chunk's id.
    if (formatSize < MinFormatSize) {
        throw TFormatError("WAV format chunk of " + std::to_string(formatSize) + " bytes");
    }
    std::uint64_t pos = ReadU16(file, FormatStart, formatTag);
    pos = ReadU16(file, pos, h.Channels);
    pos = ReadU32(file, pos, h.SampleRate);
    pos = ReadU32(file, pos, avgBytesPerSec);
    pos = ReadU16(file, pos, h.BlockAlign);
    ReadU16(file, pos, h.Bits);
    if (h.Bits < 1 || h.Bits > 32) {
        throw TFormatError("WAV sample width of " + std::to_string(h.Bits) + " bits");
    }
    // Every channel is an open file of its own; a damaged header asking for thousands would
    // exhaust the process's files long before any sample is read.
    if (h.Channels > MaxWaveChannels) {
        throw TFormatError("WAV file with " + std::to_string(h.Channels) + " channels");
    }
    if (h.SampleRate < MinWaveRate || h.SampleRate > MaxWaveRate) {
        throw TFormatError("WAV sample rate of " + std::to_string(h.SampleRate) + " Hz");
    }

    // Recorders put LIST, fact, cue and other chunks before "data"; they are walked over.
    std::uint64_t chunk = NextChunk(file, fileSize, 12, formatSize);
    for (int walked = 0; chunk + 8 <= fileSize && walked < MaxChunks; ++walked) {
        std::string chunkId;
        std::uint32_t chunkSize = 0;
        ReadU32(file, file.ReadString(chunkId, chunk, 4), chunkSize);
        if (chunkId == "data") {
            h.DataSize = chunkSize;
            h.DataStart = chunk + 8;
            return h;
        }
        chunk = NextChunk(file, fileSize, chunk, chunkSize);
    }
    throw TFormatError("WAV file without a data chunk");
}

TWaveHeader ReadWaveHeader(const std::string& fileName) {
    const auto file = TFile::Open(fileName, TFile::ReadOnly);
    return ReadWaveHeader(*file);
}

void TPCM::LoadStream(TAudioStream& Stream) {
    TFile& file = *File_;
    const TWaveHeader h = ReadWaveHeader(file);
    const std::uint16_t channels = h.Channels;
    const std::uint16_t blockAlign = h.BlockAlign;
    const std::uint32_t dataSize = h.DataSize;
    const std::uint64_t dataStart = h.DataStart;
    std::uint64_t pos = dataStart;
    Stream.SampleRate = h.SampleRate;
    Stream.BitsPerSample = h.Bits;
    Stream.DeleteAllChannels();
    Stream.UpdateSampleFormat();
    for (unsigned c = 0; c < channels; ++c) {
        Stream.AddChannel();
    }

    const unsigned bps = Stream.BytesPerSample;
    const std::size_t frameBytes = std::size_t{channels} * bps;
    if (blockAlign == 0 || channels == 0) {
        return;
    }
    // A damaged size field must not turn into gigabytes of zeros: only frames present count.
    const std::uint64_t fileSize = file.Size();
    const std::uint64_t available = fileSize > dataStart ? fileSize - dataStart : 0;
    const std::uint64_t frames =
        std::min<std::uint64_t>(dataSize / blockAlign, available / frameBytes);
    if (frames == 0) {
        return;
    }

    const TProgressScope progress(frames - 1);
    const std::size_t chunkFrames = static_cast<std::size_t>(
        std::min<std::uint64_t>(frames, std::max<std::size_t>(1, ChunkBytes / frameBytes)));
    const auto framesFrom = [&](std::uint64_t n) {
        return static_cast<std::size_t>(std::min<std::uint64_t>(frames - n, chunkFrames));
    };
    // Two chunks in turn: while one is taken apart, the next is read into the other.
    std::array<std::vector<std::uint8_t>, 2> interleaved;
    for (auto& chunk : interleaved) {
        chunk.resize(chunkFrames * frameBytes);
    }
    const bool unsignedSamples = h.Bits <= 8;
    // Task 0 reads the next chunk; the others take the current one's channels apart and store
    // them, one task per channel file, each with its own buffer.
    std::vector<std::vector<std::uint8_t>> channelBytes(
        channels, std::vector<std::uint8_t>(chunkFrames * bps));
    pos = file.ReadBytes(interleaved[0].data(), pos, framesFrom(0) * frameBytes);
    for (std::uint64_t n = 0, k = 0; n < frames; k ^= 1) {
        TProgressScope::Step(n);
        const std::size_t count = framesFrom(n);
        const std::uint64_t next = n + count;
        const std::uint8_t* const chunk = interleaved[k].data();
        ParallelFor(std::size_t{channels} + 1, [&](std::size_t task) {
            if (task == 0) {
                if (next < frames) {
                    pos = file.ReadBytes(interleaved[k ^ 1].data(), pos,
                                         framesFrom(next) * frameBytes);
                }
                return;
            }
            const std::size_t c = task - 1;
            std::uint8_t* const bytes = channelBytes[c].data();
            CopyStrided(bps, chunk + c * bps, frameBytes, bytes, bps, count);
            if (unsignedSamples) {
                FlipSignBit(bytes, count);
            }
            Stream.WriteStored(static_cast<std::uint16_t>(c), static_cast<std::uint32_t>(n),
                               static_cast<std::uint32_t>(count), bytes);
        });
        n = next;
    }
}

}  // namespace sonavel
