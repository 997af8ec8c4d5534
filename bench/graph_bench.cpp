// The document window's graph: building the graph cache of a whole document against loading
// that document from WAV, and turning the cache into a full-HD view's polylines.
//   bench_graph_bench [SECONDS]   (default 3600: one hour of 44.1 kHz stereo 16-bit)
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include <unistd.h>

#include "BenchUtil.h"
#include "core/AudioStream.h"
#include "core/TempPath.h"
#include "formats/PCM_Format.h"

// The benchmarks link the engine layers only; the two application units measured here are
// compiled into this program (they need nothing else of the application layer).
#include "app/GraphCache.h"
#include "app/WaveView.h"

using namespace sonavel;

namespace {

constexpr std::uint32_t Rate = 44100;

void WriteTestWav(const std::string& path, std::uint64_t frames) {
    TAudioStream stream(2, 16, Rate);
    std::vector<std::int32_t> left(65536);
    std::vector<std::int32_t> right(65536);
    for (std::uint64_t n = 0; n < frames;) {
        const auto count =
            static_cast<std::uint32_t>(std::min<std::uint64_t>(frames - n, left.size()));
        for (std::uint32_t i = 0; i < count; ++i) {
            const double t = static_cast<double>(n + i) / Rate;
            const double envelope = 0.5 + 0.5 * std::sin(2 * M_PI * 0.1 * t);
            left[i] = static_cast<std::int32_t>(1.5e9 * envelope * std::sin(2 * M_PI * 440 * t));
            right[i] = static_cast<std::int32_t>(1.0e9 * std::sin(2 * M_PI * 660 * t));
        }
        stream.WriteSamples(0, static_cast<std::uint32_t>(n), count, left.data());
        stream.WriteSamples(1, static_cast<std::uint32_t>(n), count, right.data());
        n += count;
    }
    SavePCMFile(stream, path);
}

double ProcessCpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// Wall and process CPU time of one run.
struct TTiming {
    double Wall = 0;
    double Cpu = 0;
};

template <typename F>
TTiming Time(F&& run) {
    const double cpu = ProcessCpuSeconds();
    const bench::TStopwatch wall;
    run();
    return {wall.Seconds(), ProcessCpuSeconds() - cpu};
}

// BuildGraph's work for the whole document: every channel built and published in turn.
void BuildWhole(TAudioStream& stream, TGraphCache& graph) {
    const std::uint32_t length = stream.GetLength();
    graph.Resize(stream.ChannelCount);
    for (std::uint16_t c = 0; c < stream.ChannelCount; ++c) {
        graph.Publish(c, std::make_shared<const TChannelGraph>(
                             BuildChannelGraph(stream, c, length, 0, length)));
    }
}

// The polylines of a 1920 x 1000 view with one 500-pixel row per channel, as WaveGeometry
// computes them for each row, timed over several paints.
void TimeView(const char* name, const TWaveRange& range, const TGraphCache& graph) {
    constexpr int Runs = 50;
    std::vector<double> times;
    std::size_t points = 0;
    for (int run = 0; run < Runs; ++run) {
        const bench::TStopwatch paint;
        const TGraphSnapshot snapshot = graph.Snapshot();
        std::vector<std::vector<TPoint>> rows;
        for (std::size_t s = 0; s < snapshot.size(); ++s) {
            rows.push_back(
                WaveLine(*snapshot[s], range, 1920, static_cast<int>(500 * s + 250), 500));
        }
        times.push_back(paint.Seconds());
        points = rows[0].size();
    }
    std::sort(times.begin(), times.end());
    std::printf(
        "view polylines, %s: best %.3f ms, median %.3f ms, worst %.3f ms (%zu points per row)\n",
        name, 1000 * times.front(), 1000 * times[Runs / 2], 1000 * times.back(), points);
}

}  // namespace

int main(int argc, char** argv) {
    const long seconds = argc > 1 ? std::stol(argv[1]) : 3600;
    const std::uint64_t frames = static_cast<std::uint64_t>(Rate) * seconds;
    const std::string wav = TempPath() + "graph_bench_" + std::to_string(getpid()) + ".wav";
    std::printf("document: %ld s, 2 channels, 16 bit, %llu samples per channel\n", seconds,
                static_cast<unsigned long long>(frames));
    WriteTestWav(wav, frames);

    // Loads and builds alternate, so both see the same machine load; the best of each counts.
    constexpr int Rounds = 3;
    std::unique_ptr<TAudioStream> stream;
    TGraphCache graph;
    TTiming bestLoad{1e9, 0};
    TTiming bestBuild{1e9, 0};
    for (int round = 0; round < Rounds; ++round) {
        stream = std::make_unique<TAudioStream>();
        const TTiming load = Time([&] { TPCM(wav).LoadStream(*stream); });
        const TTiming build = Time([&] { BuildWhole(*stream, graph); });
        std::printf(
            "round %d: load from WAV %.3f s (cpu %.3f s), graph cache %.3f s (cpu %.3f s)\n",
            round + 1, load.Wall, load.Cpu, build.Wall, build.Cpu);
        bestLoad = load.Wall < bestLoad.Wall ? load : bestLoad;
        bestBuild = build.Wall < bestBuild.Wall ? build : bestBuild;
    }
    unlink(wav.c_str());
    std::printf(
        "best: load from WAV (TPCM::LoadStream) %.3f s, graph cache of the whole document "
        "%.3f s = %.2f x the load\n",
        bestLoad.Wall, bestBuild.Wall, bestBuild.Wall / bestLoad.Wall);

    const std::uint32_t length = stream->GetLength();
    TimeView("whole document", {0, length, 0, length}, graph);
    // A view 1/256 of the cache: 1280 columns over 1920 pixels.
    TimeView("1/256 of the cache", {length / 3, length / 256, 0, length}, graph);
    std::printf("peak resident: %.1f MiB\n", bench::PeakResidentMiB());
    return 0;
}
