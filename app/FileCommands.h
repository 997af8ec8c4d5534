#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/AudioStream.h"
#include "formats/Mp3Writer.h"

namespace sonavel {

inline const std::string PcmFormat = "PCM";
inline const std::string Mp3Format = "MP3";

// "PCM" for a .wav name (any case) whose content is a PCM WAV file, "MP3" for a .mp3 name
// whose content is MPEG audio, else empty. The name alone never decides, nor does the
// content alone. Throws TFileError when the path is not a regular file or cannot be read.
std::string RecogniseFormat(const std::string& fileName);

// What opening a file of a recognised format will give, read from its header alone.
struct TFileFacts {
    std::string Format;  // "PCM" or "MP3"
    std::uint16_t Channels = 0;
    std::uint32_t SampleRate = 0;
};

// Recognises the file and reads its format's header; none when the format is not recognised
// or the header holds values the reader refuses. Throws TFileError as RecogniseFormat does.
std::optional<TFileFacts> ProbeFile(const std::string& fileName);

// True when a file (or anything else) exists at the path.
bool PathExists(const std::string& path);

// The name with the extension of the format: kept when it already has it (in any case),
// otherwise the old extension replaced or ".wav"/".mp3" appended.
std::string FileNameForFormat(const std::string& name, const std::string& format);

// Decodes a file of a recognised format into the stream (what the open thread does). A
// refused header throws TFormatError naming the file.
void LoadFile(const std::string& fileName, const std::string& format, TAudioStream& stream);

struct TSaveResult {
    bool Ok = false;
    std::string Message;  // in the interface language, when not Ok; empty when cancelled
};

// Writes the stream to a file in the format ("PCM" or "MP3" with the given settings). The
// file is replaced only when written completely; a failure leaves what was there. A stream
// without channels is refused. With bits, a PCM file is written as the stream would be after
// ChangeBits(bits), without converting the stream (see SavePCMFile).
TSaveResult SaveStream(TAudioStream& stream, const std::string& fileName, const std::string& format,
                       const TMp3Settings& mp3Settings, const std::string& language,
                       std::optional<std::uint8_t> bits = std::nullopt);

// The constant bit rates an MP3 of this sample rate can have, in kbit/s.
std::vector<std::uint16_t> Mp3ConstantBitrates(std::uint32_t sampleRate);

// Writes a text file, replacing it only when written completely.
TSaveResult SaveText(const std::string& fileName, const std::string& text,
                     const std::string& language);

// The file name without its folder.
std::string BaseName(const std::string& path);

}  // namespace sonavel
