// Spectral effects on a generated 10-minute 44.1 kHz stereo 16-bit stream, and one
// 65,536-point forward + inverse transform pair against FFTW's long-double plans.
//   bench_spectral_bench [SECONDS]     (default 600)
// For each effect it prints the wall time on one thread and on every core, and the split of
// the one-thread run: the time the same number of transform pairs takes on their own, and the
// time of the frame's sample access (reading, converting, rounding and writing every block)
// on its own. Shares and the transform pair are measured in this thread's CPU time, which
// other programs on the machine disturb less than wall time. The transform is exact (the
// literal extended-precision steps); FFTW's real plans do half its arithmetic.
#include <time.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <numbers>
#include <random>
#include <string>
#include <vector>

#include "BenchUtil.h"
#include "core/AudioStream.h"
#include "core/ParallelWork.h"
#include "core/SpectralFrame.h"
#include "core/TempPath.h"
#include "spectra/BoundedFFT.h"
#include "spectra/SpectraUtils.h"
#include "spectra/SpectralBins.h"

#ifdef SONAVEL_HAVE_FFTW
#include <fftw3.h>
#endif

using namespace sonavel;
using bench::TStopwatch;

namespace {

constexpr std::uint32_t Rate = 44100;

// CPU time of the calling thread.
class TCpuWatch {
  public:
    TCpuWatch() : Start_(Now()) {}
    double Seconds() const { return Now() - Start_; }

  private:
    static double Now() {
        timespec t{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
        return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
    }
    double Start_;
};

// Median CPU time of `runs` calls, in milliseconds.
double MedianMs(int runs, const std::function<void()>& call) {
    std::vector<double> times;
    for (int r = 0; r < runs; ++r) {
        const TCpuWatch watch;
        call();
        times.push_back(watch.Seconds() * 1e3);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

std::vector<long double> TestBlock(std::size_t n) {
    std::mt19937 random(1);
    std::uniform_int_distribution<std::int32_t> uniform(-2000000000, 2000000000);
    std::vector<long double> block(n);
    for (auto& x : block) {
        x = uniform(random);
    }
    return block;
}

// One forward + inverse pair of our transform, in milliseconds (median).
double OurPairMs(std::size_t n, int runs) {
    std::vector<long double> data = TestBlock(n);
    std::vector<TComplex> spectrum(n / 2 + 1);
    TFFTWork work;
    FFT(data, spectrum, true, work);  // builds the tables once
    FFT(data, spectrum, false, work);
    return MedianMs(runs, [&] {
        FFT(data, spectrum, true, work);
        FFT(data, spectrum, false, work);
    });
}

// The same pair in double with error bounds, as the spectral effects run it first: one block,
// or two sharing a run (the time per block).
double BoundedPairMs(std::size_t n, int runs, bool shared) {
    const std::vector<long double> block = TestBlock(n);
    std::vector<std::int32_t> samples(n);
    for (std::size_t i = 0; i < n; ++i) {
        samples[i] = static_cast<std::int32_t>(std::lrint(block[i]));
    }
    const std::vector<std::int32_t> second(samples.rbegin(), samples.rend());
    TBoundedFFT transform(static_cast<std::uint32_t>(n));
    const TBinPlan plan(n / 2 + 1);
    const double gain = PlanGain(plan, shared);
    const double ms = MedianMs(runs, [&] {
        transform.Run(
            samples,
            shared ? std::span<const std::int32_t>(second) : std::span<const std::int32_t>(), plan,
            gain);
    });
    return shared ? ms / 2 : ms;
}

void ComparePair(std::size_t n) {
    std::printf("== one %zu-point forward + inverse pair (median CPU time of 41)\n", n);
    const double ours = OurPairMs(n, 41);
    std::printf("  sonavel FFT (radix-2 DIF, long double, exact) %8.3f ms\n", ours);
    const double bounded = BoundedPairMs(n, 41, false);
    std::printf("  sonavel bounded double pair (the shortcut)    %8.3f ms\n", bounded);
    std::printf("  the same, two blocks in one run, per block    %8.3f ms\n",
                BoundedPairMs(n, 41, true));
#ifdef SONAVEL_HAVE_FFTW
    const std::vector<long double> block = TestBlock(n);
    const int size = static_cast<int>(n);
    long double* real = fftwl_alloc_real(n);
    fftwl_complex* half = fftwl_alloc_complex(n / 2 + 1);
    fftwl_plan forward = fftwl_plan_dft_r2c_1d(size, real, half, FFTW_MEASURE);
    fftwl_plan inverse = fftwl_plan_dft_c2r_1d(size, half, real, FFTW_MEASURE);
    std::copy(block.begin(), block.end(), real);
    const double r2c = MedianMs(41, [&] {
        fftwl_execute(forward);
        fftwl_execute(inverse);
    });
    fftwl_complex* in = fftwl_alloc_complex(n);
    fftwl_complex* out = fftwl_alloc_complex(n);
    fftwl_plan cforward = fftwl_plan_dft_1d(size, in, out, FFTW_FORWARD, FFTW_MEASURE);
    fftwl_plan cinverse = fftwl_plan_dft_1d(size, out, in, FFTW_BACKWARD, FFTW_MEASURE);
    for (std::size_t i = 0; i < n; ++i) {
        in[i][0] = block[i];
        in[i][1] = 0;
    }
    const double complexPair = MedianMs(41, [&] {
        fftwl_execute(cforward);
        fftwl_execute(cinverse);
    });
    std::printf(
        "  FFTW long double, real plans (r2c + c2r)   %8.3f ms   ours / FFTW = %.2f, "
        "bounded / FFTW = %.2f\n",
        r2c, ours / r2c, bounded / r2c);
    std::printf("  FFTW long double, complex plans            %8.3f ms   ours / FFTW = %.2f\n",
                complexPair, ours / complexPair);
    fftwl_destroy_plan(forward);
    fftwl_destroy_plan(inverse);
    fftwl_destroy_plan(cforward);
    fftwl_destroy_plan(cinverse);
    fftwl_free(real);
    fftwl_free(half);
    fftwl_free(in);
    fftwl_free(out);
#else
    std::printf("  (FFTW long double not available: no reference)\n");
#endif
}

void Generate(TAudioStream& stream, std::uint32_t frames) {
    std::vector<std::int32_t> left(65536);
    std::vector<std::int32_t> right(65536);
    std::mt19937 random(7);
    std::normal_distribution<double> noise(0, 2e7);
    for (std::uint32_t n = 0; n < frames;) {
        const std::uint32_t count = std::min<std::uint32_t>(frames - n, 65536);
        for (std::uint32_t i = 0; i < count; ++i) {
            const double t = static_cast<double>(n + i) / Rate;
            left[i] = static_cast<std::int32_t>(6e8 * std::sin(2 * std::numbers::pi * 440 * t) +
                                                3e8 * std::sin(2 * std::numbers::pi * 3100 * t) +
                                                noise(random));
            right[i] = static_cast<std::int32_t>(6e8 * std::sin(2 * std::numbers::pi * 660 * t) +
                                                 noise(random));
        }
        stream.WriteSamples(0, n, count, left.data());
        stream.WriteSamples(1, n, count, right.data());
        n += count;
    }
}

// The frame's sample access alone: every block of every channel read, converted to
// extended reals and back, and written, exactly as the effects move them.
double AccessSeconds(TAudioStream& stream, std::uint32_t count, std::uint32_t blockLength) {
    std::vector<std::int32_t> samples(blockLength);
    std::vector<long double> data(blockLength);
    const TCpuWatch watch;
    const std::uint64_t blocks = SpectralBlockCount(count, blockLength);
    for (std::uint64_t b = 0; b < blocks; ++b) {
        const std::uint64_t first = b * blockLength;
        const auto writable =
            static_cast<std::uint32_t>(std::min<std::uint64_t>(blockLength, count - first));
        for (std::uint16_t c = 0; c < stream.ChannelCount; ++c) {
            stream.ReadSamples(c, static_cast<std::uint32_t>(first), blockLength, samples.data());
            std::copy(samples.begin(), samples.end(), data.begin());
            for (std::uint32_t i = 0; i < writable; ++i) {
                samples[i] = ClippedSample(data[i]);
            }
            stream.WriteSamples(c, static_cast<std::uint32_t>(first), writable, samples.data());
        }
    }
    return watch.Seconds();
}

// Runs the effect on one thread (with the split of its CPU time), then on every core.
void Effect(const char* name, TAudioStream& stream, std::uint32_t frames, std::uint32_t blockLength,
            const std::function<void()>& run) {
    double total = 0;
    double alone = 0;
    {
        const TThreadLimit one(1);
        const TStopwatch wall;
        const TCpuWatch cpu;
        run();
        total = cpu.Seconds();
        alone = wall.Seconds();
    }
    const TStopwatch wall;
    run();
    const double parallel = wall.Seconds();
    const std::uint64_t pairs = SpectralBlockCount(frames, blockLength) * stream.ChannelCount;
    // At 16 bits the blocks take the bounded double pair, two channels to a run (a few fall
    // back to the exact one).
    const double transforms =
        BoundedPairMs(blockLength, 15, stream.ChannelCount > 1) * 1e-3 * static_cast<double>(pairs);
    const double access = AccessSeconds(stream, frames, blockLength);
    std::printf(
        "%-16s wall: one thread %6.2f s, %u threads %6.2f s (%4.2fx, %5.1fx real time)\n"
        "%-16s one thread's CPU %6.2f s; block %5u, %5llu pairs: bounded pairs %6.2f s (%4.1f %%), "
        "sample access %5.2f s (%4.1f %%), rest %4.1f %%\n",
        name, alone, WorkerThreads(), parallel, alone / parallel,
        frames / static_cast<double>(Rate) / parallel, "", total, blockLength,
        static_cast<unsigned long long>(pairs), transforms, 100 * transforms / total, access,
        100 * access / total, 100 * (total - transforms - access) / total);
}

}  // namespace

int main(int argc, char** argv) {
    const long seconds = argc > 1 ? std::strtol(argv[1], nullptr, 10) : 600;
    ComparePair(65536);

    std::string folder = (std::filesystem::temp_directory_path() / "sonavel-bench-XXXXXX").string();
    if (::mkdtemp(folder.data()) == nullptr) {
        std::perror("mkdtemp");
        return 1;
    }
    SetTempPath(folder + "/");
    {
        const auto frames = static_cast<std::uint32_t>(seconds * Rate);
        TAudioStream stream(2, 16, Rate);
        const TStopwatch generating;
        Generate(stream, frames);
        std::printf(
            "\n== effects on %ld s of 44.1 kHz stereo 16-bit (%u samples per channel; "
            "generated in %.2f s)\n",
            seconds, frames, generating.Seconds());
        const std::uint32_t n = SpectralBlockLength(Rate);
        Effect("Equalize", stream, frames, n, [&] {
            std::vector<std::uint8_t> gains(16, 100);
            gains[2] = 40;
            gains[9] = 160;
            stream.Equalize(-1, 0, frames, gains, 1, 22050);
        });
        Effect("FilterBand", stream, frames, n,
               [&] { stream.FilterBand(-1, 0, frames, 300, 3400, true); });
        Effect("StretchSpectrum", stream, frames, StretchBlockLength(Rate),
               [&] { stream.StretchSpectrum(-1, 0, frames, 150, false); });
        Effect("ColorNoise pink", stream, frames, n, [&] { stream.ColorNoise(-1, 0, frames, 1); });
        std::printf("peak resident memory %.1f MiB\n", bench::PeakResidentMiB());
    }
    std::filesystem::remove_all(folder);
    return 0;
}
