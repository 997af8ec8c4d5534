// Loads a WAV file into a stream and saves it back, printing wall times and peak memory.
//   bench_wav_io_bench generate OUT.wav SECONDS   writes a 44.1 kHz stereo 16-bit test signal
//   bench_wav_io copy IN.wav OUT.wav        load + save through the editor's stream
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "BenchUtil.h"
#include "core/AudioStream.h"
#include "formats/PCM_Format.h"

using namespace sonavel;

namespace {

int Generate(const std::string& path, long seconds) {
    const std::uint32_t rate = 44100;
    const std::uint64_t frames = static_cast<std::uint64_t>(rate) * seconds;
    TAudioStream stream(2, 16, rate);
    std::vector<std::int32_t> left(65536);
    std::vector<std::int32_t> right(65536);
    for (std::uint64_t n = 0; n < frames;) {
        const auto count =
            static_cast<std::uint32_t>(std::min<std::uint64_t>(frames - n, left.size()));
        for (std::uint32_t i = 0; i < count; ++i) {
            const double t = static_cast<double>(n + i) / rate;
            left[i] = static_cast<std::int32_t>(1.5e9 * std::sin(2 * M_PI * 440 * t));
            right[i] = static_cast<std::int32_t>(1.0e9 * std::sin(2 * M_PI * 660 * t));
        }
        stream.WriteSamples(0, static_cast<std::uint32_t>(n), count, left.data());
        stream.WriteSamples(1, static_cast<std::uint32_t>(n), count, right.data());
        n += count;
    }
    SavePCMFile(stream, path);
    return 0;
}

int Copy(const std::string& in, const std::string& out) {
    TAudioStream stream;
    bench::TStopwatch load;
    TPCM(in).LoadStream(stream);
    const double loadSeconds = load.Seconds();
    bench::TStopwatch save;
    SavePCMFile(stream, out);
    const double saveSeconds = save.Seconds();
    std::printf("samples per channel: %u\n", stream.GetLength());
    std::printf("load: %.3f s\nsave: %.3f s\nload+save: %.3f s\npeak resident: %.1f MiB\n",
                loadSeconds, saveSeconds, loadSeconds + saveSeconds, bench::PeakResidentMiB());
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::strcmp(argv[1], "generate") == 0) {
        return Generate(argv[2], std::stol(argv[3]));
    }
    if (argc == 4 && std::strcmp(argv[1], "copy") == 0) {
        return Copy(argv[2], argv[3]);
    }
    std::fprintf(stderr,
                 "usage: bench_wav_io_bench generate OUT.wav SECONDS | copy IN.wav OUT.wav\n");
    return 2;
}
