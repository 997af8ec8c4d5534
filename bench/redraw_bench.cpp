// Redraws the document window's waveform view from the graph cache, offscreen, and prints the
// time per redraw: a 1-hour 44.1 kHz stereo document in a view 1920 pixels wide.
//   bench_redraw_bench [REDRAWS]
#include <QApplication>
#include <QImage>
#include <QWidget>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <numbers>
#include <utility>
#include <vector>

#include "BenchUtil.h"
#include "app/GraphCache.h"
#include "app/Workspace.h"
#include "core/SampleScale.h"
#include "ui/ChildForm.h"
#include "ui/ViewPainter.h"

using namespace sonavel;

namespace {

constexpr std::uint32_t Rate = 44100;
constexpr std::uint32_t HourSamples = 3600 * Rate;
constexpr int WaveWidth = 1920;
constexpr int WaveHeight = 900;

// Columns as a build of music would leave them: a swinging envelope, the pair's order
// changing from column to column. Building them from an hour of samples on disk would only
// slow the benchmark down; the redraw reads nothing but the cache.
std::shared_ptr<const TChannelGraph> Columns(double phase) {
    auto columns = std::make_shared<TChannelGraph>(GraphColumns);
    for (std::uint32_t k = 0; k < GraphColumns; ++k) {
        const double envelope = 0.5 + 0.45 * std::sin(2 * std::numbers::pi * k / 5000.0 + phase);
        const auto high = static_cast<std::int32_t>(MaxLevel * envelope);
        const auto low =
            static_cast<std::int32_t>(-MaxLevel * envelope * (0.8 + 0.2 * ((k * 7) % 11) / 10.0));
        (*columns)[k] = k % 2 == 0 ? TGraphColumn{high, low} : TGraphColumn{low, high};
    }
    return columns;
}

// CPU time of this thread: on a machine shared with other work, wall times say more about
// the other work than about the redraw.
double ThreadCpuMs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

struct TFigures {
    double MedianWallMs = 0;
    double BestWallMs = 0;
    double MeanCpuMs = 0;
};

template <class TRedraw>
TFigures Measure(int redraws, TRedraw redraw) {
    redraw();  // warm-up
    std::vector<double> times;
    times.reserve(static_cast<std::size_t>(redraws));
    const double cpuStart = ThreadCpuMs();
    for (int i = 0; i < redraws; ++i) {
        const bench::TStopwatch watch;
        redraw();
        times.push_back(watch.Seconds() * 1000);
    }
    TFigures figures;
    figures.MeanCpuMs = (ThreadCpuMs() - cpuStart) / redraws;
    std::sort(times.begin(), times.end());
    figures.MedianWallMs = times[times.size() / 2];
    figures.BestWallMs = times.front();
    return figures;
}

}  // namespace

int main(int argc, char** argv) {
    const int redraws = argc > 1 ? std::max(1, std::atoi(argv[1])) : 200;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);

    TWorkspace workspace;
    TDocument& document =
        workspace.AddDocument(std::make_unique<TAudioStream>(2, 16, Rate), "hour");
    document.SampleCount = HourSamples;
    document.ResetView();
    TChildForm form(workspace, document);
    form.SetLanguage("ENG");
    form.FillChannelBox();
    form.Graph().Publish(0, Columns(0));
    form.Graph().Publish(1, Columns(1));
    // The wave box is the window's width less 20 and its height less 144.
    form.resize(WaveWidth + 20, WaveHeight + 144);
    form.show();
    QApplication::processEvents();
    auto* wave = form.findChild<QWidget*>("WaveBox");
    if (wave == nullptr || wave->width() != WaveWidth) {
        std::fprintf(stderr, "wave box is not %d pixels wide\n", WaveWidth);
        return 1;
    }

    QImage image(WaveWidth, WaveHeight, QImage::Format_RGB32);
    struct TCase {
        const char* Name;
        std::uint32_t ViewStart;
        std::uint32_t ViewLength;
        bool Overlay;
    };
    const TCase cases[] = {
        {"whole hour (327680 columns per channel)", 0, HourSamples, false},
        {"whole hour, selection and cursor", 0, HourSamples, true},
        {"1/256 of the cache (1280 columns)", HourSamples / 2, HourSamples / 256, true},
    };
    std::printf("Redraw of a %d x %d waveform view, 1 h stereo at %u Hz, %d redraws each\n",
                WaveWidth, WaveHeight, Rate, redraws);
    for (const TCase& c : cases) {
        document.ViewStart = c.ViewStart;
        document.ViewLength = c.ViewLength;
        document.SelStartSet = document.SelEndSet = c.Overlay;
        document.SelStart = c.ViewStart + c.ViewLength / 4;
        document.SelEnd = c.ViewStart + c.ViewLength / 2;
        document.CursorPos = c.ViewStart + c.ViewLength / 3;
        const TFigures offscreen =
            Measure(redraws, [&] { DrawWave(image, document, form.Graph().Snapshot()); });
        const TFigures widget = Measure(redraws, [&] { wave->repaint(); });
        std::printf("%s\n", c.Name);
        for (const auto& [what, f] : {std::pair{"DrawWave into an image", offscreen},
                                      std::pair{"wave box repaint (image + copy)", widget}}) {
            std::printf("  %-32s CPU %6.2f ms/redraw, wall median %6.2f ms, best %6.2f ms\n", what,
                        f.MeanCpuMs, f.MedianWallMs, f.BestWallMs);
        }
    }
    return 0;
}
