#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace sonavel {

// An auto-reset event, initially not signalled: a wait consumes the signal it returns on.
// Signals given while nobody waits collapse into one.
class TDeviceEvent {
  public:
    using TClock = std::chrono::steady_clock;

    void Signal();
    void Wait();
    // False when the deadline passed without a signal.
    bool WaitUntil(TClock::time_point deadline);
    bool WaitFor(TClock::duration timeout) { return WaitUntil(TClock::now() + timeout); }

  private:
    std::mutex Lock_;
    std::condition_variable Changed_;
    bool Signalled_ = false;
};

}  // namespace sonavel
