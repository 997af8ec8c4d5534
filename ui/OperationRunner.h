#pragma once

#include <QObject>
#include <QString>
#include <chrono>
#include <deque>
#include <functional>
#include <memory>

namespace sonavel {

class TDocument;
class TProcessForm;
class TProcessThread;

// Runs work on the worker thread behind the progress window, one run at a time. The user
// interface thread keeps running meanwhile (the control timer moves the gauge), but the
// progress window blocks every command.
class TOperationRunner : public QObject {
    Q_OBJECT
  public:
    TOperationRunner(TProcessForm& progress, QObject* parent = nullptr);
    ~TOperationRunner() override;

    using TWork = std::function<void()>;

    // Runs the work on the worker thread while the progress window is shown modally with the
    // caption; returns when the work has ended and the window has closed. The work must not
    // throw. `document` is the one the work changes (nullptr for none). The window's cancel
    // button asks the work to stop (TCancellable is in force on the worker).
    void RunModal(const QString& caption, TDocument* document, const TWork& work);
    // The same, but returns at once: the progress window blocks the main window until the
    // work has ended, then `done` runs on the user interface thread.
    void RunModeless(const QString& caption, TDocument* document, const TWork& work,
                     std::function<void()> done);
    // Shows the progress window modally with the caption until `finished` returns true
    // (polled every 10 ms; at once when it is true from the start). For work that runs on a
    // thread of its own.
    void WaitWithProgress(const QString& caption, const std::function<bool()>& finished);

    bool Busy() const { return Busy_; }
    // A wait of WaitWithProgress is going on.
    bool Waiting() const { return Waiting_; }
    // The document a run is changing; nullptr when none is.
    const TDocument* BusyDocument() const { return Busy_ ? BusyDocument_ : nullptr; }
    // Runs the action now when no run is going on, else as soon as the current one ends.
    void WhenIdle(std::function<void()> action);

    // The pause between the end of the work and the closing of the progress window.
    std::chrono::milliseconds FinishDelay{100};

  signals:
    void Idle();

  private:
    void Begin(TDocument* document);
    void End();
    void WaitUntilIdle();
    TWork Delayed(const TWork& work, bool cancellable) const;

    TProcessForm& Progress_;
    bool Busy_ = false;
    bool Waiting_ = false;
    TDocument* BusyDocument_ = nullptr;
    std::unique_ptr<TProcessThread> Modeless_;
    std::deque<std::function<void()>> WhenIdle_;
};

}  // namespace sonavel
