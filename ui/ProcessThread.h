#pragma once

#include <QObject>
#include <QPointer>
#include <exception>
#include <functional>
#include <thread>

#include "ui/CallPost.h"

namespace sonavel {

// One run of work on a thread of its own. When the work has ended (also by an exception,
// which is kept), `done` runs on the thread of `context`; the work's last act is to hand it
// over, so a window waiting for it closes even if the hand-over comes before it is shown.
class TProcessThread {
  public:
    TProcessThread(std::function<void()> work, QObject* context, std::function<void()> done);
    // Waits for the thread.
    ~TProcessThread();
    TProcessThread(const TProcessThread&) = delete;
    TProcessThread& operator=(const TProcessThread&) = delete;

    // What the work threw, once `done` has run; none when it ended normally.
    std::exception_ptr Failure() const { return Failure_; }

  private:
    QPointer<TCallPost> Done_;
    std::exception_ptr Failure_;
    std::thread Thread_;
};

}  // namespace sonavel
