// Feeds arbitrary bytes to the WAV recogniser and reader: no crash, no hang, no read outside
// a buffer, and never more samples than the file holds bytes.
#include <cstdint>
#include <cstdlib>

#include "FuzzFile.h"
#include "core/AudioStream.h"
#include "formats/FormatError.h"
#include "formats/PCM_Format.h"
#include "platform/FileError.h"

using namespace sonavel;

// The reader refuses more than MaxWaveChannels channels; between 16 and that limit every
// input only spends its time creating channel files, so such inputs are left out to keep
// the fuzzer exploring the parsing.
constexpr unsigned MaxChannels = 16;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size >= 24 && (data[22] | data[23] << 8) > MaxChannels) {
        return 0;
    }
    const std::string path = fuzz::Folder().Write(data, size, "in.wav");
    IsWaveFile(path);
    TAudioStream stream;
    try {
        TPCM reader(path);
        reader.LoadStream(stream);
    } catch (const TFormatError&) {
        return 0;
    } catch (const TFileError&) {
        return 0;  // e.g. more channels than files may be open
    }
    if (static_cast<std::uint64_t>(stream.GetLength()) * stream.ChannelCount *
            stream.BytesPerSample >
        size) {
        std::abort();
    }
    return 0;
}
