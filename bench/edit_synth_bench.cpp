// Times the editing, synthesis and conversion operations on an hour of 44.1 kHz stereo 16-bit
// sound, printing wall and CPU seconds and the peak resident memory.
//   bench_edit_synth_bench [SECONDS]
// Channel files go to $TEMP. Lines "result KEY WALL" are read by edit_synth_vs_sox.sh.
#include <sys/resource.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <functional>
#include <string>

#include "BenchUtil.h"
#include "core/AudioStream.h"

using namespace sonavel;

namespace {

double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

void Flush(TAudioStream& stream) {
    for (auto& file : stream.ChannelFiles) {
        file->Flush();
    }
}

// Runs one operation, including writing its last windows back, and prints its times.
void Time(const char* key, const char* title, const std::function<void()>& operation) {
    const double before = bench::PeakResidentMiB();
    const double cpu = CpuSeconds();
    const bench::TStopwatch watch;
    operation();
    const double wall = watch.Seconds();
    std::printf("%-40s %8.3f s wall %8.3f s cpu   peak resident %6.1f MiB (was %.1f)\n", title,
                wall, CpuSeconds() - cpu, bench::PeakResidentMiB(), before);
    std::printf("result %s %.3f\n", key, wall);
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
    const long seconds = argc > 1 ? std::stol(argv[1]) : 3600;
    const std::uint32_t rate = 44100;
    const auto count = static_cast<std::uint32_t>(seconds * rate);
    std::printf("%ld s of 44.1 kHz stereo 16-bit: %u samples per channel, %.1f MiB per channel\n",
                seconds, count, count * 2.0 / 1048576);

    TAudioStream doc(2, 16, rate);
    Time("tone", "GenerateTone sine 333 Hz, whole length", [&] {
        doc.GenerateTone(-1, 0, TAudioStream::Sine, 333, 100, 0, count);
        Flush(doc);
    });
    {
        TAudioStream noise(2, 16, rate);
        Time("noise", "GenerateNoise white, whole length", [&] {
            noise.GenerateNoise(-1, 0, TAudioStream::White, 100, 0, count);
            Flush(noise);
        });
    }

    // The same bytes copied by the system, for comparison with CopyTo.
    const std::string copies = doc.ChannelFileNames[0] + ".cp";
    Time("cp", "cp of the channel files", [&] {
        const std::string command = "cp '" + doc.ChannelFileNames[0] + "' '" + copies +
                                    "0' && cp '" + doc.ChannelFileNames[1] + "' '" + copies + "1'";
        if (std::system(command.c_str()) != 0) {
            std::fprintf(stderr, "cp failed\n");
        }
    });
    std::remove((copies + "0").c_str());
    std::remove((copies + "1").c_str());

    TAudioStream copy;
    Time("copyto", "CopyTo of the whole stream", [&] {
        doc.CopyTo(-1, 0, copy, doc.GetLength());
        Flush(copy);
    });
    Time("insert", "InsertSilence 1 s at the start", [&] {
        doc.InsertSilence(-1, 0, rate);
        Flush(doc);
    });
    Time("delete", "DeleteFragment 1 s at the start", [&] {
        doc.DeleteFragment(-1, 0, rate);
        Flush(doc);
    });
    Time("bits", "ChangeBits 16 -> 24", [&] {
        copy.ChangeBits(24);
        Flush(copy);
    });
    Time("rate", "ChangeSampleRate 44100 -> 22050", [&] {
        doc.ChangeSampleRate(22050);
        Flush(doc);
    });
    std::printf("lengths after: %u samples at %u Hz, copy %u samples at %u bits\n", doc.GetLength(),
                doc.SampleRate, copy.GetLength(), copy.BitsPerSample);
    std::printf("peak resident memory of the whole run: %.1f MiB\n", bench::PeakResidentMiB());
    return 0;
}
