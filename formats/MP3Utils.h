#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>

namespace sonavel {

// One MPEG audio frame header, as ParseFrameHeader reads it.
struct TMp3Header {
    std::string Version;  // "1", "2" or "2.5"
    std::uint8_t Layer = 0;
    bool Protected = false;        // a CRC follows the header
    std::uint16_t Bitrate = 0;     // kbit/s
    std::uint16_t SampleRate = 0;  // Hz
    bool Padding = false;
    std::string ChannelMode;  // "Stereo", "JointStereo", "DualChannel" or "Mono"
    std::uint8_t ModeExtension = 0;
    bool Copyright = false;
    bool Original = false;
    std::string Emphasis;  // "none", "50/15 ms" or "CCIT J.17"
    // Trunc(144000 * Bitrate / SampleRate + Padding): the bytes handed to the decoder per call.
    // For MPEG-2 and 2.5 this is two frames' worth, which only makes the feed coarser.
    std::uint32_t FrameLength = 0;
};

// The Layer III bit rates of indices 1..14 in kbit/s: ISO/IEC 11172-3 for MPEG-1, ISO/IEC
// 13818-3 for MPEG-2 and 2.5.
inline constexpr std::array<std::uint16_t, 14> Mpeg1Bitrates = {32,  40,  48,  56,  64,  80,  96,
                                                                112, 128, 160, 192, 224, 256, 320};
inline constexpr std::array<std::uint16_t, 14> Mpeg2Bitrates = {8,  16, 24, 32,  40,  48,  56,
                                                                64, 80, 96, 112, 128, 144, 160};

// The constant bit rates offered for a document of this rate: the MPEG-1 table from 32 kHz
// on, the MPEG-2 table below.
constexpr const std::array<std::uint16_t, 14>& ConstantBitrates(std::uint32_t sampleRate) {
    return sampleRate >= 32000 ? Mpeg1Bitrates : Mpeg2Bitrates;
}

// True when the four bytes form a Layer III header. Info is filled field by field in the
// order of its declaration, so it may be partly written when false is returned.
bool ParseFrameHeader(std::span<const std::uint8_t, 4> bytes, TMp3Header& info);

// How many leading bytes of a file IsMp3File searches for a header start.
inline constexpr std::uint32_t Mp3SearchBytes = 8192;

// True when a Layer III header starts at one of the first Mp3SearchBytes positions. Only
// complete four-byte groups inside the file count. A file that cannot be opened is not MP3.
bool IsMp3File(const std::string& fileName);

}  // namespace sonavel
