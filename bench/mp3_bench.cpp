// MP3 decoding into a stream and encoding from one, printing wall times and peak memory.
//   bench_mp3_bench generate OUT.wav SECONDS   44.1 kHz stereo 16-bit test signal as WAV
//   bench_mp3_bench encode IN.wav OUT.mp3 cbr|vbr
//                   loads the WAV (not timed), then times saving it as MP3 at 128 kbit/s
//                   constant or at variable quality 4
//   bench_mp3_bench decode IN.mp3              times loading the MP3 into a stream
//   bench_mp3_bench all SECONDS FOLDER         generate, encode both ways, decode the CBR file
#include <cmath>
#include <cstdio>
#include <cstring>
#include <numbers>
#include <string>
#include <vector>

#include "BenchUtil.h"
#include "core/AudioStream.h"
#include "formats/MP3_Format.h"
#include "formats/Mp3Writer.h"
#include "formats/PCM_Format.h"

using namespace sonavel;

namespace {

// A signal an encoder has to work on: two tones per channel, a slow sweep and a little noise.
int Generate(const std::string& path, long seconds) {
    const std::uint32_t rate = 44100;
    const std::uint64_t frames = static_cast<std::uint64_t>(rate) * seconds;
    TAudioStream stream(2, 16, rate);
    std::vector<std::int32_t> left(65536);
    std::vector<std::int32_t> right(65536);
    std::uint32_t noise = 12345;
    for (std::uint64_t n = 0; n < frames;) {
        const auto count =
            static_cast<std::uint32_t>(std::min<std::uint64_t>(frames - n, left.size()));
        for (std::uint32_t i = 0; i < count; ++i) {
            const double t = static_cast<double>(n + i) / rate;
            const double sweep = 200 + 1800 * (0.5 + 0.5 * std::sin(2 * std::numbers::pi * t / 30));
            noise = noise * 1664525 + 1013904223;
            const double hiss = (static_cast<double>(noise >> 8) / (1 << 24) - 0.5) * 0.02;
            left[i] = static_cast<std::int32_t>(
                MaxLevel * (0.3 * std::sin(2 * std::numbers::pi * 440 * t) +
                            0.2 * std::sin(2 * std::numbers::pi * sweep * t) + hiss));
            right[i] = static_cast<std::int32_t>(
                MaxLevel * (0.3 * std::sin(2 * std::numbers::pi * 660 * t) +
                            0.2 * std::sin(2 * std::numbers::pi * 3 * sweep * t) - hiss));
        }
        stream.WriteSamples(0, static_cast<std::uint32_t>(n), count, left.data());
        stream.WriteSamples(1, static_cast<std::uint32_t>(n), count, right.data());
        n += count;
    }
    SavePCMFile(stream, path);
    return 0;
}

int Encode(const std::string& in, const std::string& out, const std::string& mode) {
    TAudioStream stream;
    TPCM(in).LoadStream(stream);
    TMp3Settings settings;
    settings.Bitrate = 128;
    if (mode == "vbr") {
        settings.BitrateType = TBitrateType::Variable;
        settings.Quality = 4;
    }
    const bench::TStopwatch watch;
    SaveMP3File(stream, out, settings);
    std::printf("encode %s: %.3f s for %u samples per channel; peak resident %.1f MiB\n",
                mode == "vbr" ? "VBR quality 4" : "CBR 128 kbit/s", watch.Seconds(),
                stream.GetLength(), bench::PeakResidentMiB());
    return 0;
}

int Decode(const std::string& in) {
    TAudioStream stream;
    const bench::TStopwatch watch;
    TMP3(in).LoadStream(stream);
    const double seconds = watch.Seconds();
    std::printf("decode: %.3f s for %u samples per channel, %u channels; peak resident %.1f MiB\n",
                seconds, stream.GetLength(), stream.ChannelCount, bench::PeakResidentMiB());
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "generate" && argc == 4) {
        return Generate(argv[2], std::stol(argv[3]));
    }
    if (command == "encode" && argc == 5) {
        return Encode(argv[2], argv[3], argv[4]);
    }
    if (command == "decode" && argc == 3) {
        return Decode(argv[2]);
    }
    if (command == "all" && argc == 4) {
        const std::string folder = std::string(argv[3]) + "/";
        Generate(folder + "in.wav", std::stol(argv[2]));
        Encode(folder + "in.wav", folder + "cbr.mp3", "cbr");
        Encode(folder + "in.wav", folder + "vbr.mp3", "vbr");
        return Decode(folder + "cbr.mp3");
    }
    std::fprintf(stderr,
                 "usage: bench_mp3_bench generate OUT.wav SECONDS | encode IN.wav OUT.mp3 cbr|vbr"
                 " | decode IN.mp3 | all SECONDS FOLDER\n");
    return 2;
}
