// Times the amplitude and time effects on a whole WAV file loaded into a stream, printing wall
// times and the memory the effect itself takes.
//   bench_effects_bench generate OUT.wav SECONDS   44.1 kHz stereo 16-bit test signal
//   bench_effects_bench run IN.wav EFFECT [OUT.wav [THREADS]] load, apply EFFECT to everything,
//   save, on at most THREADS threads (default: every core)
// EFFECT is one of: volume normalize fadein reverse invert echo reverb speed150 speed50 rotate
// bits24 stats
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <map>
#include <random>

#include <sys/resource.h>
#include <string>
#include <vector>

#include "BenchUtil.h"
#include "core/AudioStream.h"
#include "core/ParallelWork.h"
#include "formats/PCM_Format.h"

using namespace sonavel;

namespace {

int Generate(const std::string& path, long seconds) {
    const std::uint32_t rate = 44100;
    const std::uint64_t frames = static_cast<std::uint64_t>(rate) * seconds;
    TAudioStream stream(2, 16, rate);
    std::vector<std::int32_t> left(65536);
    std::vector<std::int32_t> right(65536);
    std::mt19937 rng(7);
    std::normal_distribution<double> noise(0.0, 2e7);
    for (std::uint64_t n = 0; n < frames;) {
        const auto count =
            static_cast<std::uint32_t>(std::min<std::uint64_t>(frames - n, left.size()));
        for (std::uint32_t i = 0; i < count; ++i) {
            const double t = static_cast<double>(n + i) / rate;
            const double swell = 0.6 + 0.4 * std::sin(2 * M_PI * 0.1 * t);
            left[i] = static_cast<std::int32_t>(1.2e9 * swell * std::sin(2 * M_PI * 440 * t) +
                                                noise(rng));
            right[i] = static_cast<std::int32_t>(9e8 * std::sin(2 * M_PI * 660 * t) +
                                                 4e8 * std::sin(2 * M_PI * 97 * t) + noise(rng));
        }
        stream.WriteSamples(0, static_cast<std::uint32_t>(n), count, left.data());
        stream.WriteSamples(1, static_cast<std::uint32_t>(n), count, right.data());
        n += count;
    }
    SavePCMFile(stream, path);
    return 0;
}

// The kernel's high-water mark of resident memory starts again from the current size, so
// what is read after an effect is what the effect itself needed.
void ResetPeakResident() {
    std::ofstream("/proc/self/clear_refs") << "5";
}

double ProcStatusMiB(const char* field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind(field, 0) == 0) {
            return std::stod(line.substr(std::strlen(field) + 1)) / 1024.0;
        }
    }
    return -1;
}

// User plus system processor time of this process so far: on a shared machine the wall time
// also counts the waits for a processor.
double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& t) {
        return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
    };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

using TEffect = std::function<void(TAudioStream&, std::uint32_t)>;

const std::map<std::string, TEffect>& Effects() {
    static const std::map<std::string, TEffect> effects{
        {"volume", [](TAudioStream& s, std::uint32_t n) { s.SetVolume(-1, 0, 1.5, n); }},
        {"normalize", [](TAudioStream& s, std::uint32_t n) { s.Normalize(-1, 0, n); }},
        {"fadein", [](TAudioStream& s, std::uint32_t n) { s.FadeIn(-1, 0, n); }},
        {"reverse", [](TAudioStream& s, std::uint32_t n) { s.Reverse(-1, 0, n); }},
        {"invert", [](TAudioStream& s, std::uint32_t n) { s.Invert(-1, 0, n); }},
        // The dialogs' defaults.
        {"echo", [](TAudioStream& s, std::uint32_t n) { s.AddEcho(-1, 0, 0.75, 400, 2, n); }},
        {"reverb",
         [](TAudioStream& s, std::uint32_t n) { s.AddReverberation(-1, 0, 0.95, 8, 4, n); }},
        {"speed150", [](TAudioStream& s, std::uint32_t n) { s.ChangeSpeed(-1, 0, false, 1.5, n); }},
        {"speed50", [](TAudioStream& s, std::uint32_t n) { s.ChangeSpeed(-1, 0, false, 0.5, n); }},
        {"bits24", [](TAudioStream& s, std::uint32_t) { s.ChangeBits(24); }},
        {"stats",
         [](TAudioStream& s, std::uint32_t n) {
             std::int32_t average = 0;
             std::int32_t peak = 0;
             std::uint32_t silent = 0;
             s.GetStatistics(-1, 0, n, average, peak, silent);
         }},
        {"rotate", [](TAudioStream& s,
                      std::uint32_t n) { s.RotateChannels(0, n, TAudioStream::Clockwise, 4); }},
    };
    return effects;
}

int Run(const std::string& in, const std::string& name, const std::string& out, unsigned threads) {
    const TThreadLimit limit(threads);
    const auto effect = Effects().find(name);
    if (effect == Effects().end()) {
        std::fprintf(stderr, "unknown effect %s\n", name.c_str());
        return 2;
    }
    TAudioStream stream;
    const bench::TStopwatch load;
    TPCM(in).LoadStream(stream);
    const double loadSeconds = load.Seconds();
    const std::uint32_t length = stream.GetLength();
    const double before = ProcStatusMiB("VmRSS:");
    ResetPeakResident();
    const double cpuBefore = CpuSeconds();
    const bench::TStopwatch run;
    effect->second(stream, length);
    const double effectSeconds = run.Seconds();
    const double effectCpu = CpuSeconds() - cpuBefore;
    const double peak = ProcStatusMiB("VmHWM:");
    double saveSeconds = 0;
    if (!out.empty()) {
        const bench::TStopwatch save;
        SavePCMFile(stream, out);
        saveSeconds = save.Seconds();
    }
    std::printf(
        "%-9s threads %u  effect %7.3f s (cpu %7.3f s)  load %6.3f s  save %6.3f s  resident "
        "%5.1f MiB before, peak %5.1f MiB during  samples %u -> %u\n",
        name.c_str(), WorkerThreads(), effectSeconds, effectCpu, loadSeconds, saveSeconds, before,
        peak, length, stream.GetLength());
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::strcmp(argv[1], "generate") == 0) {
        return Generate(argv[2], std::stol(argv[3]));
    }
    if (argc >= 4 && argc <= 6 && std::strcmp(argv[1], "run") == 0) {
        return Run(argv[2], argv[3], argc >= 5 ? argv[4] : "",
                   argc == 6 ? static_cast<unsigned>(std::stoul(argv[5])) : 1024U);
    }
    std::fprintf(stderr,
                 "usage: bench_effects_bench generate OUT.wav SECONDS | run IN.wav EFFECT "
                 "[OUT.wav [THREADS]]\n");
    return 2;
}
