// Times cancelling long operations and the cost of keeping what was undone for redo.
//   bench_cancel_redo_bench [SECONDS [TEMPFOLDER]]   default: one hour, 44.1 kHz stereo 16-bit
// Cancel: for each kind of long operation, the time from the cancel request to the document
// (or, for open and save, the caller) being back, after the operation has run for a while.
// Redo: an undoable operation timed with an empty redo list and with one to clear.
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "BenchUtil.h"
#include "app/Dispatcher.h"
#include "app/FileCommands.h"
#include "app/UndoClipboard.h"
#include "core/Progress.h"
#include "core/TempPath.h"

using namespace sonavel;
using bench::TStopwatch;

namespace {

constexpr std::uint32_t Rate = 44100;

std::unique_ptr<TAudioStream> Signal(std::uint64_t frames) {
    auto stream = std::make_unique<TAudioStream>(2, 16, Rate);
    std::vector<std::int32_t> block(1 << 16);
    for (std::uint64_t n = 0; n < frames;) {
        const auto count =
            static_cast<std::uint32_t>(std::min<std::uint64_t>(frames - n, block.size()));
        for (std::uint32_t i = 0; i < count; ++i) {
            block[i] =
                static_cast<std::int32_t>(((n + i) * 2654435761U) & 0x3FFF0000U) - 0x20000000;
        }
        stream->WriteSamples(0, static_cast<std::uint32_t>(n), count, block.data());
        stream->WriteSamples(1, static_cast<std::uint32_t>(n), count, block.data());
        n += count;
    }
    return stream;
}

// Tells when the worker has reached the caption to be cancelled in.
class TWatch : public TOperationObserver {
  public:
    explicit TWatch(std::string caption) : Caption_(std::move(caption)) {}
    void SetCaption(const std::string& caption) override {
        if (caption == Caption_) {
            Reached.store(true);
        }
    }
    std::atomic<bool> Reached{false};

  private:
    std::string Caption_;
};

// Runs work on a thread that takes cancels, requests the cancel once `ready` holds and the
// work has run `runFor` seconds more, and returns the seconds from the request to the end.
template <class TWork, class TReady>
double CancelAfter(TWork work, TReady ready, double runFor) {
    std::atomic<bool> done{false};
    ClearCancel();
    std::thread worker([&] {
        const TCancellable cancellable;
        work();
        done.store(true);
    });
    while (!ready() && !done.load()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    std::this_thread::sleep_for(std::chrono::duration<double>(runFor));
    const TStopwatch sinceCancel;
    RequestCancel();
    worker.join();
    return done.load() ? sinceCancel.Seconds() : -1.0;
}

}  // namespace

int main(int argc, char** argv) {
    const long seconds = argc > 1 ? std::atol(argv[1]) : 3600;
    if (argc > 2) {
        SetTempPath(argv[2]);
    }
    const std::uint64_t frames = static_cast<std::uint64_t>(seconds) * Rate;
    std::printf("document: %ld s, %u Hz, stereo, 16 bit (%llu samples a channel)\n", seconds, Rate,
                static_cast<unsigned long long>(frames));

    TWorkspace w;
    w.MaxUndos = 2;
    w.Language = "ENG";
    const TStopwatch making;
    TDocument& d = w.AddDocument(Signal(frames), "doc");
    std::printf("made in %.2f s\n\n", making.Seconds());

    std::printf("%-34s %12s %10s\n", "cancelled while", "cancel->back", "target");
    const auto row = [](const char* what, double s) {
        std::printf("%-34s %10.3f s %10s\n", what, s, s >= 0 && s < 0.5 ? "< 0.5 s ok" : "MISSED");
    };
    struct TCase {
        const char* Name;
        TOperation Operation;
        bool InRestorePoint;
    };
    w.Dialogs.SetVolume.VolumeEdit = 80;
    w.Dialogs.SampleRateChange.NewValueBox = 48000;
    const std::vector<TCase> cases{
        {"taking the restore point", TOperation::SetVolume, true},
        {"volume (effect)", TOperation::SetVolume, false},
        {"reverse (effect)", TOperation::Reverse, false},
        {"equalizer (spectral)", TOperation::Equalize, false},
        {"sample rate (conversion)", TOperation::SampleRateChange, false},
        {"bit depth (conversion)", TOperation::nBitsChange, false},
    };
    w.Dialogs.ChangeBits.NewValue = 24;
    for (const TCase& c : cases) {
        TWatch watch(c.InRestorePoint ? RestorePointCaption(w.Language)
                                      : Caption(c.Operation, w.Language));
        TOperationResult result;
        const double s =
            CancelAfter([&] { result = Execute(w, c.Operation, watch); },
                        [&] { return watch.Reached.load(); }, c.InRestorePoint ? 0.3 : 0.3);
        row(c.Name, result.Cancelled ? s : -1.0);
    }

    {
        // Most of a rollback is deleting the half-changed stream's files.
        auto copy = CopyWholeStream(*d.Stream);
        const TStopwatch deleting;
        copy.reset();
        std::printf("(deleting a discarded stream of this length: %.3f s)\n", deleting.Seconds());
    }

    const std::string wav = TempPath() + "cancel_bench.wav";
    {
        const TStopwatch saving;
        SaveStream(*d.Stream, wav, PcmFormat, {}, w.Language);
        std::printf("(full WAV save %.2f s)\n", saving.Seconds());
    }
    TSaveResult saved;
    row("saving WAV",
        CancelAfter([&] { saved = SaveStream(*d.Stream, wav, PcmFormat, {}, w.Language); },
                    [] { return true; }, 0.3));
    row("saving MP3", CancelAfter(
                          [&] {
                              saved = SaveStream(*d.Stream, TempPath() + "cancel_bench.mp3",
                                                 Mp3Format, {}, w.Language);
                          },
                          [] { return true; }, 0.3));
    row("opening WAV", CancelAfter(
                           [&] {
                               TAudioStream opened;
                               try {
                                   LoadFile(wav, PcmFormat, opened);
                               } catch (const TCancelled&) {
                               }
                           },
                           [] { return true; }, 0.3));
    std::remove(wav.c_str());

    // Redo bookkeeping: the same undoable operation with nothing to redo and with one undone
    // operation to drop (its stream's files are deleted) on a one-minute document.
    std::printf("\nredo bookkeeping (invert, 60 s stereo, MaxUndos 2, best of 7)\n");
    TDocument& small = w.AddDocument(Signal(60ULL * Rate), "small");
    TOperationObserver quiet;
    double plain = 1e9;
    double withRedo = 1e9;
    double undo = 1e9;
    double deleting = 1e9;
    for (int i = 0; i < 7; ++i) {
        const TStopwatch a;
        Execute(w, TOperation::Invert, quiet);
        plain = std::min(plain, a.Seconds());
        const TStopwatch u;
        Execute(w, TOperation::Undo, quiet);
        undo = std::min(undo, u.Seconds());
        const TStopwatch b;
        Execute(w, TOperation::Invert, quiet);
        withRedo = std::min(withRedo, b.Seconds());
        auto copy = CopyWholeStream(*small.Stream);
        const TStopwatch c;
        copy.reset();
        deleting = std::min(deleting, c.Seconds());
    }
    // Without redo an undo deleted the stream it replaced; now the next operation deletes it
    // when it clears the redo list. That deletion moved; it was not added.
    const double extra = (withRedo - plain) / plain * 100.0;
    const double net = (withRedo - plain - deleting) / plain * 100.0;
    std::printf("invert with an empty redo list %.4f s, clearing one redo point %.4f s: %+.1f %%\n",
                plain, withRedo, extra);
    std::printf("  of which deleting the undone stream (an undo used to do that) %.4f s;\n",
                deleting);
    std::printf("  bookkeeping beyond that: %+.1f %% (target < 5 %%); undo itself now %.4f s\n",
                net, undo);
    return 0;
}
