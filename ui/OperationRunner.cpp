#include "ui/OperationRunner.h"

#include <QEventLoop>
#include <QTimer>
#include <optional>
#include <thread>

#include "core/Progress.h"

#include "ui/ProcessDlg.h"
#include "ui/ProcessThread.h"

namespace sonavel {

TOperationRunner::TOperationRunner(TProcessForm& progress, QObject* parent)
    : QObject(parent), Progress_(progress) {}

TOperationRunner::~TOperationRunner() = default;

TOperationRunner::TWork TOperationRunner::Delayed(const TWork& work, bool cancellable) const {
    return [work, delay = FinishDelay, cancellable] {
        {
            std::optional<TCancellable> cancel;
            if (cancellable) {
                cancel.emplace();
            }
            work();
        }
        std::this_thread::sleep_for(delay);
    };
}

void TOperationRunner::Begin(TDocument* document) {
    WaitUntilIdle();
    Busy_ = true;
    BusyDocument_ = document;
}

void TOperationRunner::End() {
    Busy_ = false;
    BusyDocument_ = nullptr;
    emit Idle();
    while (!Busy_ && !WhenIdle_.empty()) {
        const std::function<void()> action = std::move(WhenIdle_.front());
        WhenIdle_.pop_front();
        action();
    }
}

void TOperationRunner::WaitUntilIdle() {
    if (!Busy_) {
        return;
    }
    QEventLoop loop;
    connect(this, &TOperationRunner::Idle, &loop, &QEventLoop::quit);
    while (Busy_) {
        loop.exec();
    }
}

void TOperationRunner::RunModal(const QString& caption, TDocument* document, const TWork& work) {
    Begin(document);
    Progress_.Begin(caption, true);
    ClearCancel();
    {
        const TProcessThread thread(Delayed(work, true), this, [this] { Progress_.Finish(); });
        Progress_.ExecUntilFinished();
    }
    End();
}

void TOperationRunner::RunModeless(const QString& caption, TDocument* document, const TWork& work,
                                   std::function<void()> done) {
    Begin(document);
    Progress_.Begin(caption);
    Progress_.ShowModeless();
    Modeless_ = std::make_unique<TProcessThread>(Delayed(work, false), this,
                                                 [this, done = std::move(done)] {
                                                     Progress_.Finish();
                                                     Modeless_.reset();
                                                     if (done) {
                                                         done();
                                                     }
                                                     End();
                                                 });
}

void TOperationRunner::WaitWithProgress(const QString& caption,
                                        const std::function<bool()>& finished) {
    if (finished()) {
        return;
    }
    Progress_.Begin(caption);
    QTimer poll;
    poll.setInterval(10);
    connect(&poll, &QTimer::timeout, this, [this, &finished] {
        if (finished() && !Progress_.Finished()) {
            Progress_.Finish();
        }
    });
    poll.start();
    Waiting_ = true;
    Progress_.ExecUntilFinished();
    Waiting_ = false;
}

void TOperationRunner::WhenIdle(std::function<void()> action) {
    if (Busy_) {
        WhenIdle_.push_back(std::move(action));
        return;
    }
    action();
}

}  // namespace sonavel
