// How regularly the main window's 100 ms control timer ticks while long work runs on the
// worker thread behind the progress window: opening a long file, building its graph,
// normalising it (restore point, two passes and the graph), undoing it. The longest gap
// between two ticks is what the user sees as the gauge and the cursor standing still.
//   bench_timer_gap_bench [seconds of stereo 44.1 kHz audio, default 600]

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <numbers>
#include <vector>

#include "BenchUtil.h"
#include "core/TempPath.h"
#include "formats/PCM_Format.h"
#include "platform/MemoryAudioDevice.h"
#include "ui/MainForm.h"
#include "ui/OperationRunner.h"
#include "ui/Prompts.h"

namespace {

using namespace sonavel;

// Nobody to ask: every question is answered with Cancel, every dialog with OK.
class TSilentPrompts : public TPrompts {
  public:
    void Inform(QWidget* /*parent*/, const QString& /*title*/, const QString& text) override {
        std::fprintf(stderr, "message: %s\n", text.toLocal8Bit().constData());
    }
    TAnswer AskYesNoCancel(QWidget* /*parent*/, const QString& /*title*/,
                           const QString& /*text*/) override {
        return TAnswer::Cancel;
    }
    bool AskYesNo(QWidget* /*parent*/, const QString& /*title*/, const QString& /*text*/) override {
        return false;
    }
    std::optional<QString> OpenFileName(QWidget* /*parent*/) override { return std::nullopt; }
    std::optional<TSaveChoice> SaveFileName(QWidget* /*parent*/, const QString& /*preset*/,
                                            int /*filterIndex*/) override {
        return std::nullopt;
    }
    int Run(QDialog& dialog) override {
        dialog.accept();
        return dialog.result();
    }
};

// The times of the control timer's ticks while something runs.
class TTickLog {
  public:
    explicit TTickLog(QTimer& timer) {
        QObject::connect(&timer, &QTimer::timeout, [this] {
            if (Recording_) {
                Ticks_.push_back(Clock_.elapsed());
            }
        });
        Clock_.start();
    }

    void Start() {
        Ticks_.clear();
        Begin_ = Clock_.elapsed();
        Recording_ = true;
    }

    void Report(const char* what) {
        Recording_ = false;
        const qint64 end = Clock_.elapsed();
        qint64 longest = 0;
        qint64 previous = Begin_;
        for (const qint64 tick : Ticks_) {
            longest = std::max(longest, tick - previous);
            previous = tick;
        }
        longest = std::max(longest, end - previous);
        std::printf("%-28s %8.2f s  %5zu ticks  longest gap %4lld ms\n", what,
                    static_cast<double>(end - Begin_) / 1000.0, Ticks_.size(),
                    static_cast<long long>(longest));
        Longest_ = std::max(Longest_, longest);
    }

    qint64 Longest() const { return Longest_; }

  private:
    QElapsedTimer Clock_;
    std::vector<qint64> Ticks_;
    qint64 Begin_ = 0;
    qint64 Longest_ = 0;
    bool Recording_ = false;
};

}  // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication application(argc, argv);
    const int seconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 600;

    QTemporaryDir folder(QDir::tempPath() + "/sonavel-timer-gap-XXXXXX");
    if (!folder.isValid()) {
        std::fprintf(stderr, "cannot create a temporary folder\n");
        return 1;
    }
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, folder.path());
    SetTempPath(folder.path().toStdString() + "/");

    // A stereo file of a slowly beating tone.
    const std::string file = folder.path().toStdString() + "/long.wav";
    {
        constexpr std::uint32_t Rate = 44100;
        const std::uint32_t length = Rate * static_cast<std::uint32_t>(seconds);
        TAudioStream stream(2, 16, Rate);
        std::vector<std::int32_t> block(65536);
        for (std::uint32_t start = 0; start < length; start += 65536) {
            const std::uint32_t count = std::min<std::uint32_t>(65536, length - start);
            for (std::uint32_t i = 0; i < count; ++i) {
                const double t = static_cast<double>(start + i) / Rate;
                block[i] = static_cast<std::int32_t>(0.4 * MaxLevel *
                                                     std::sin(2 * std::numbers::pi * 440 * t) *
                                                     std::sin(std::numbers::pi * 0.5 * t));
            }
            stream.WriteSamples(0, start, count, block.data());
            stream.WriteSamples(1, start, count, block.data());
        }
        SavePCMFile(stream, file);
    }

    TMainForm form(TMainFormOptions{std::make_shared<TMemoryAudioSystem>(),
                                    std::make_shared<TSilentPrompts>()});
    form.SetLanguage("ENG");
    form.show();
    TTickLog log(form.ControlTimer());
    std::printf("control timer gaps, %d s of stereo 44.1 kHz 16-bit audio\n", seconds);

    log.Start();
    if (!form.OpenDocument(QString::fromStdString(file))) {
        return 1;
    }
    log.Report("open + graph");

    log.Start();
    form.NormalizeVolumeMIClick();
    log.Report("normalize (+restore point)");

    log.Start();
    form.ReverseMIClick();
    log.Report("reverse (+restore point)");

    log.Start();
    form.UndoMIClick();
    log.Report("undo");

    // A spectral effect on both cores (the silent prompts accept its dialog as it is).
    log.Start();
    form.EqualizeMIClick();
    log.Report("equalize (+restore point)");

    std::printf("longest gap overall: %lld ms (target: under 150 ms)\n",
                static_cast<long long>(log.Longest()));
    return 0;
}
