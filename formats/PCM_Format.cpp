#include "formats/PCM_Format.h"

#include <algorithm>
#include <vector>

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
    TWaveHeader h;
    std::uint32_t formatSize = 0;
    std::uint16_t formatTag = 0;
    std::uint32_t avgBytesPerSec = 0;
    ReadU32(file, 16, formatSize);
    std::uint64_t pos = ReadU16(file, 20, formatTag);
    pos = ReadU16(file, pos, h.Channels);
    pos = ReadU32(file, pos, h.SampleRate);
    pos = ReadU32(file, pos, avgBytesPerSec);
    pos = ReadU16(file, pos, h.BlockAlign);
    ReadU16(file, pos, h.Bits);

    // Exactly one chunk between "fmt " and "data" is skipped; the id after it is not tested.
    std::string chunkId;
    std::uint32_t chunkSize = 0;
    pos = file.ReadString(chunkId, 20 + std::uint64_t{formatSize}, 4);
    pos = ReadU32(file, pos, chunkSize);
    h.DataSize = chunkSize;
    if (chunkId != "data") {
        pos = 28 + std::uint64_t{formatSize} + chunkSize;
        pos = file.ReadString(chunkId, pos, 4);
        pos = ReadU32(file, pos, h.DataSize);
    }
    h.DataStart = pos;

    if (h.Bits < 1 || h.Bits > 32) {
        throw TFormatError("WAV sample width of " + std::to_string(h.Bits) + " bits");
    }
    // Every channel is an open file of its own; a damaged header asking for thousands would
    // exhaust the process's files long before any sample is read.
    if (h.Channels > MaxWaveChannels) {
        throw TFormatError("WAV file with " + std::to_string(h.Channels) + " channels");
    }
    return h;
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
    const std::size_t chunkFrames = std::max<std::size_t>(1, ChunkBytes / frameBytes);
    std::vector<std::uint8_t> interleaved(chunkFrames * frameBytes);
    std::vector<std::uint8_t> channelBytes(chunkFrames * bps);
    const bool unsignedSamples = h.Bits <= 8;
    for (std::uint64_t n = 0; n < frames;) {
        TProgressScope::Step(n);
        const std::size_t count = static_cast<std::size_t>(std::min<std::uint64_t>(frames - n, chunkFrames));
        pos = file.ReadBytes(interleaved.data(), pos, count * frameBytes);
        for (unsigned c = 0; c < channels; ++c) {
            CopyStrided(bps, interleaved.data() + std::size_t{c} * bps, frameBytes,
                        channelBytes.data(), bps, count);
            if (unsignedSamples) {
                FlipSignBit(channelBytes.data(), count);
            }
            Stream.WriteStored(static_cast<std::uint16_t>(c), static_cast<std::uint32_t>(n),
                               static_cast<std::uint32_t>(count), channelBytes.data());
        }
        n += count;
    }
}

}  // namespace sonavel
