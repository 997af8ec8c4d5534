#pragma once

#include <memory>
#include <string>

#include "core/AudioStream.h"
#include "core/FileUtils.h"

namespace sonavel {

// True for a RIFF/WAVE file whose "fmt " chunk says integer PCM (format tag 1).
bool IsWaveFile(const std::string& fileName);

// The most channels a WAV file may have; far beyond any real recording.
inline constexpr unsigned MaxWaveChannels = 256;
// The sample rates a WAV file may declare; anything faster is a damaged header, and one
// second of it would already be gigabytes of channel files.
inline constexpr std::uint32_t MinWaveRate = 1;
inline constexpr std::uint32_t MaxWaveRate = 4194304;

// What the header of a PCM WAV file says, and where its samples are.
struct TWaveHeader {
    std::uint16_t Channels = 0;
    std::uint32_t SampleRate = 0;
    std::uint16_t BlockAlign = 0;
    std::uint16_t Bits = 0;
    std::uint32_t DataSize = 0;
    std::uint64_t DataStart = 0;
};

// Reads the header: the format chunk at 12 (at least 16 bytes, its size F honoured), then the
// chunks after it, each skipped with its pad byte, until "data". Throws TFormatError for what
// the reader refuses (a header cut short, a format chunk under 16 bytes, no data chunk, a
// sample width outside 1..32 bits, more than MaxWaveChannels channels, a rate outside
// MinWaveRate..MaxWaveRate) and TFileError when the file cannot be read.
TWaveHeader ReadWaveHeader(TFile& file);
TWaveHeader ReadWaveHeader(const std::string& fileName);

// Reads one RIFF/WAVE PCM file into a stream.
class TPCM {
  public:
    explicit TPCM(const std::string& fileName);

    // Replaces the stream's format, channels and samples with the file's. The samples are
    // stored exactly as the file holds them. A data size past the end of the file is clipped
    // to the whole frames present; no frames (or a block align or channel count of 0) gives
    // an empty stream with the file's format. A sample width outside 1..32 bits or more than
    // MaxWaveChannels channels throws TFormatError, before the stream is touched.
    void LoadStream(TAudioStream& Stream);

  private:
    std::unique_ptr<TFile> File_;
};

// Writes the stream as a canonical 44-byte-header PCM WAV file. The file is written beside
// the target and renamed over it only when complete; on failure (TFileError, TFormatError)
// the target is as it was.
void SavePCMFile(TAudioStream& stream, const std::string& fileName);

// Writes the file that ChangeBits(bits) and then SavePCMFile would, leaving the stream as it
// is: each sample is converted on its way to the file, in the one pass over the audio.
void SavePCMFile(TAudioStream& stream, const std::string& fileName, std::uint8_t bits);

}  // namespace sonavel
