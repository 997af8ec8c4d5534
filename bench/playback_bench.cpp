// Time to fill one playback buffer and to drain one recording buffer, against the time the
// device takes to play or record it (target: under 2 %).
//   bench_playback_bench [BUFFERS]   BUFFERS per case, 400 by default
// Channel files go to a fresh folder under $TMPDIR (or /tmp), removed at the end.
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "BenchUtil.h"
#include "core/AudioStream.h"
#include "core/PlaybackBuffers.h"
#include "core/TempPath.h"

using namespace sonavel;

namespace {

struct TCase {
    const char* Name;
    std::uint16_t Channels;
    std::uint16_t Bits;
};

// Seconds per buffer.
struct TFigures {
    std::vector<double> Times;

    void Add(double seconds) { Times.push_back(seconds); }
    double Mean() const {
        double sum = 0;
        for (const double t : Times) {
            sum += t;
        }
        return sum / static_cast<double>(Times.size());
    }
    // The fraction q of all times lies at or below this one.
    double Quantile(double q) const {
        std::vector<double> sorted = Times;
        std::sort(sorted.begin(), sorted.end());
        const auto at = static_cast<std::size_t>(q * static_cast<double>(sorted.size() - 1));
        return sorted[at];
    }
};

double PlayTime(const TAudioStream& stream, std::uint32_t bufferLength) {
    return static_cast<double>(bufferLength) /
           (static_cast<double>(stream.SampleRate) * stream.BytesPerSample * stream.ChannelCount);
}

// Ten seconds of noise in every channel, to be played round and round.
void FillStream(TAudioStream& stream) {
    std::mt19937 random(7);
    std::uniform_int_distribution<std::int32_t> level(-MaxLevel, MaxLevel);
    std::vector<std::int32_t> values(std::size_t{stream.SampleRate} * 10);
    for (std::uint16_t c = 0; c < stream.ChannelCount; ++c) {
        std::generate(values.begin(), values.end(), [&] { return level(random); });
        stream.WriteSamples(c, 0, static_cast<std::uint32_t>(values.size()), values.data());
    }
}

TFigures TimeFilling(TAudioStream& stream, int buffers) {
    TPlayFiller filler(stream, -1, UINT32_MAX);
    TDeviceBuffer buffer = MakeDeviceBuffer(stream, PlayBufferBytes);
    const std::uint32_t length = stream.GetLength();
    TFigures figures;
    for (int i = 0; i < buffers; ++i) {
        if (stream.Position.load() >= length) {
            stream.Position = 0;
        }
        const bench::TStopwatch watch;
        filler.Fill(buffer);
        figures.Add(watch.Seconds());
    }
    return figures;
}

TFigures TimeDraining(TAudioStream& stream, int buffers) {
    TRecordDrain drain(stream, -1);
    TDeviceBuffer buffer = MakeDeviceBuffer(stream, RecordBufferBytes);
    std::mt19937 random(11);
    std::generate(buffer.Data.begin(), buffer.Data.end(),
                  [&] { return static_cast<std::uint8_t>(random()); });
    buffer.BytesRecorded = buffer.Length;
    stream.Position = 0;
    TFigures figures;
    for (int i = 0; i < buffers; ++i) {
        const bench::TStopwatch watch;
        drain.Drain(buffer);  // the stream grows as a recording's does
        figures.Add(watch.Seconds());
    }
    return figures;
}

void Print(const char* what, const TFigures& figures, double playTime) {
    std::printf(
        "  %-5s one buffer plays %6.2f ms; share of it: mean %5.2f %%, median %5.2f %%, "
        "99th %6.2f %%, worst %6.2f %% (%.3f ms)\n",
        what, playTime * 1e3, 100 * figures.Mean() / playTime,
        100 * figures.Quantile(0.5) / playTime, 100 * figures.Quantile(0.99) / playTime,
        100 * figures.Quantile(1.0) / playTime, figures.Quantile(1.0) * 1e3);
}

}  // namespace

int main(int argc, char** argv) {
    const int buffers = argc > 1 ? std::atoi(argv[1]) : 400;
    const char* tmp = std::getenv("TMPDIR");
    std::string folder = std::string(tmp != nullptr ? tmp : "/tmp") + "/sonavel-bench-XXXXXX";
    if (::mkdtemp(folder.data()) == nullptr) {
        std::perror("mkdtemp");
        return 1;
    }
    SetTempPath(folder + "/");

    const TCase cases[] = {{"16-bit stereo, 44.1 kHz", 2, 16},
                           {"24-bit 8 channels, 44.1 kHz", 8, 24}};
    for (const TCase& c : cases) {
        std::printf("%s (%d buffers each)\n", c.Name, buffers);
        {
            TAudioStream stream(c.Channels, c.Bits, 44100);
            FillStream(stream);
            const TFigures fill = TimeFilling(stream, buffers);
            Print("fill", fill, PlayTime(stream, MakeDeviceBuffer(stream, PlayBufferBytes).Length));
        }
        {
            TAudioStream stream(c.Channels, c.Bits, 44100);
            const TFigures drain = TimeDraining(stream, buffers);
            Print("drain", drain,
                  PlayTime(stream, MakeDeviceBuffer(stream, RecordBufferBytes).Length));
        }
    }
    std::filesystem::remove_all(folder);
    return 0;
}
