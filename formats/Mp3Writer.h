#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/AudioStream.h"

namespace sonavel {

// The stereo modes of the MP3 settings dialog, in the order of its list.
enum class TStereoMode : std::uint8_t { Stereo, JointStereo, DualChannel, Mono };
// The dialog's texts for them (the same in both languages; "Stereo " has its blank).
inline constexpr std::array<std::string_view, 4> StereoModeTexts = {"Stereo ", "Joint Stereo",
                                                                    "Dual Channel", "Mono"};
std::optional<TStereoMode> StereoModeFromText(std::string_view text);

enum class TBitrateType : std::uint8_t { Constant, Variable };

// What the MP3 settings dialog collects for the writer. The defaults are the dialog's.
struct TMp3Settings {
    TStereoMode StereoMode = TStereoMode::JointStereo;
    TBitrateType BitrateType = TBitrateType::Constant;
    // Constant bit rate in kbit/s: one of ConstantBitrates(document's rate).
    std::uint16_t Bitrate = 160;
    // Variable bit rate quality: 0 best .. 9 poorest, 4 standard.
    std::uint8_t Quality = 4;
};

// The rate an MP3 of a document at `sampleRate` is encoded at: the rate itself when MPEG
// audio has it, else the nearest one it has (ties upwards; everything above 48 kHz becomes
// 48 kHz); LAME resamples. 0 for a rate of 0.
std::uint32_t Mp3EncodingRate(std::uint32_t sampleRate);

// Encodes the whole stream with LAME into an MP3 file, written beside the target and renamed
// over it only when complete, so on failure the target is as it was.
//   - One channel is always encoded as mono; two with the chosen stereo mode; more are mixed
//     down to two: the even-indexed channels averaged into the left, the odd-indexed into
//     the right. "Mono" on several channels lets LAME mix them to one.
//   - Samples go to LAME as 32-bit integers on the MaxLevel scale, so 8- to 32-bit documents
//     keep their full precision.
//   - At MPEG-2.5 rates (8000, 11025, 12000 Hz) LAME encodes at most 64 kbit/s; a higher
//     constant bit rate is lowered to that.
//   - A LAME/Info tag records the encoder delay and padding, so the file reopens (gapless)
//     with the document's exact length.
// Throws TFormatError for settings the dialog cannot give (a bit rate not in the document's
// table, a quality above 9), for a stream without channels or at 0 Hz, and when LAME refuses
// the format; TFileError when the file cannot be written.
void SaveMP3File(TAudioStream& stream, const std::string& fileName, const TMp3Settings& settings);

}  // namespace sonavel
