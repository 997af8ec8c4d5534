#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "core/AudioStream.h"
#include "core/FileUtils.h"
#include "formats/MP3Utils.h"

namespace sonavel {

// Reads one MPEG Layer III file into a stream (format key "MP3").
class TMP3 {
  public:
    explicit TMP3(const std::string& fileName);

    // From `position`, the first position whose four bytes ParseFrameHeader accepts, storing
    // the header in Header; when none does, the last position at which four bytes fit
    // (file size - 4; 0 for a shorter file) and Header keeps what it had.
    std::uint64_t FindFrame(std::uint64_t position);

    // Replaces the stream's format and content by the decoded file: 16 bits, the first
    // frame's rate, one channel for a mono first frame and two otherwise. Samples are stored
    // exactly as decoded, so a decoded s reads back as Round(MaxLevel / 32768 * s) (32767 as
    // 2147418111, -32768 as -2147483647). Data that never decodes is skipped. A file with no
    // header, or none before its last four bytes, gives an empty stream (without a header:
    // two channels at the stream's previous rate).
    void LoadStream(TAudioStream& Stream);

    // The header of the last frame FindFrame found.
    TMp3Header Header;

  private:
    std::unique_ptr<TFile> File_;
    bool HeaderFound_ = false;
};

}  // namespace sonavel
