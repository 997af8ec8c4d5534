// sonavel-cli: the editor's operations, run as a script without windows.
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <mutex>
#include <optional>
#include <thread>

#include "app/Dispatcher.h"
#include "app/ErrorText.h"
#include "app/Language.h"
#include "app/ProgramLifetime.h"
#include "app/Workspace.h"
#include "cli/Script.h"
#include "cli/Steps.h"
#include "core/Progress.h"
#include "core/TempPath.h"
#include "platform/FileError.h"

using namespace sonavel;
using namespace sonavel::cli;

namespace {

// Keeps the caption of the running operation for the progress line.
class TCaptionObserver : public TOperationObserver {
  public:
    void SetCaption(const std::string& caption) override {
        const std::scoped_lock lock(Lock_);
        Caption_ = caption;
    }
    std::string Caption() const {
        const std::scoped_lock lock(Lock_);
        return Caption_;
    }

  private:
    mutable std::mutex Lock_;
    std::string Caption_;
};

// Draws "caption NN%" on the terminal every 100 ms while an operation runs.
class TProgressLine {
  public:
    explicit TProgressLine(const TCaptionObserver& observer)
        : Thread_([this, &observer](const std::stop_token& stop) { Run(stop, observer); }) {}
    ~TProgressLine() {
        Thread_.request_stop();
        Thread_.join();
        std::fputs("\r\033[K", stderr);
    }
    TProgressLine(const TProgressLine&) = delete;
    TProgressLine& operator=(const TProgressLine&) = delete;

  private:
    static void Run(const std::stop_token& stop, const TCaptionObserver& observer) {
        while (!stop.stop_requested()) {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            if (Processing.load()) {
                const double total = ProgressTotal.load();
                const double done = ProgressPosition.load();
                const int percent = total > 0 ? static_cast<int>(done / total * 100) : 0;
                std::fprintf(stderr, "\r\033[K%s %d%%", observer.Caption().c_str(), percent);
                std::fflush(stderr);
            }
        }
    }
    std::jthread Thread_;
};

}  // namespace

int main(int argc, char** argv) {
    RemoveFilesOnTerminationSignals();
    const std::vector<std::string> args(argv + 1, argv + argc);
    std::string language = English;
    try {
        TScript script = ParseCommandLine(args);
        language = script.Language;
        if (script.Help || script.Steps.empty()) {
            std::cout << UsageText();
            return script.Help ? 0 : 2;
        }
        if (!script.TempFolder.empty()) {
            std::error_code ec;
            if (!std::filesystem::is_directory(script.TempFolder, ec)) {
                throw TScriptError("--temp: папка не найдена: " + script.TempFolder,
                                   "--temp: no such folder: " + script.TempFolder);
            }
            SetTempPath(script.TempFolder);
        }
        RemoveLeftoversOfDeadPrograms();
        const std::vector<TAction> actions = PrepareScript(script);

        TWorkspace workspace;
        workspace.Language = language;
        workspace.MaxUndos = script.MaxUndos;
        // A failed script writes nothing half-done, so no private copies are needed.
        workspace.SafetyCopyWithoutUndo = false;
        TCaptionObserver observer;
        TRunContext context{workspace, observer, std::cout, language};
        std::optional<TProgressLine> progress;
        if (!script.Quiet && ::isatty(STDERR_FILENO) != 0) {
            progress.emplace(observer);
        }
        for (const TAction& action : actions) {
            action(context);
        }
        return 0;
    } catch (const TScriptError& e) {
        std::cerr << e.Text(language) << '\n';
        return 2;
    } catch (const TRunError& e) {
        std::cerr << e.what() << '\n';
        return 1;
    } catch (const TFileError& e) {
        // A file the script names that cannot be read (the dry run opens every input).
        std::cerr << DescribeFailure(e, language) << '\n';
        return 1;
    } catch (const std::exception& e) {
        std::cerr << e.what() << '\n';
        return 1;
    }
}
