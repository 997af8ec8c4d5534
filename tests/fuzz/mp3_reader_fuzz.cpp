// Feeds arbitrary bytes to the MP3 recogniser and reader: no crash, no hang, no read outside
// a buffer, and a stream of the shape the reader promises.
#include <cstdint>
#include <cstdlib>

#include "FuzzFile.h"
#include "core/AudioStream.h"
#include "formats/FormatError.h"
#include "formats/MP3Utils.h"
#include "formats/MP3_Format.h"

using namespace sonavel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size >= 4) {
        TMp3Header header;
        if (ParseFrameHeader(std::span<const std::uint8_t, 4>(data, 4), header) &&
            (header.Layer != 3 || header.FrameLength < 48 || header.FrameLength > 2881)) {
            std::abort();
        }
    }
    const std::string path = fuzz::Folder().Write(data, size, "in.mp3");
    IsMp3File(path);
    TAudioStream stream;
    try {
        TMP3 reader(path);
        reader.LoadStream(stream);
    } catch (const TFormatError&) {
        return 0;
    }
    if ((stream.ChannelCount != 1 && stream.ChannelCount != 2) || stream.BitsPerSample != 16) {
        std::abort();
    }
    return 0;
}
