#pragma once

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <exception>

namespace sonavel {

// Thrown from a progress step of a long operation once a cancel has been requested on a
// thread that allows it. The operation's caller puts back what the operation had changed.
class TCancelled : public std::exception {
  public:
    const char* what() const noexcept override { return "cancelled"; }
};

// The one cancel request of the process: set by the user interface (or a signal handler,
// the store being lock-free) and answered by the thread running the operation.
extern std::atomic<bool> CancelRequest;
// Whether long operations on this thread stop for a cancel request.
inline thread_local bool CancelArmed = false;

// Asks the running operation to stop at its next progress step. Safe in a signal handler.
inline void RequestCancel() {
    CancelRequest.store(true, std::memory_order_relaxed);
}

// Forgets a request meant for an earlier run: called when a run begins, before its work
// starts, so that a cancel pressed at once is not lost either.
inline void ClearCancel() {
    CancelRequest.store(false, std::memory_order_relaxed);
}

// While it lives, long operations on the creating thread stop for a cancel request. The
// request is cleared when it ends.
class TCancellable {
  public:
    TCancellable() : WasArmed_(CancelArmed) { CancelArmed = true; }
    ~TCancellable() {
        CancelArmed = WasArmed_;
        CancelRequest.store(false, std::memory_order_relaxed);
    }
    TCancellable(const TCancellable&) = delete;
    TCancellable& operator=(const TCancellable&) = delete;

  private:
    bool WasArmed_;
};

// While it lives, the work on this thread runs to its end whatever is requested: for what
// follows the point where the work can no longer be taken back.
class TNotCancellable {
  public:
    TNotCancellable() : WasArmed_(CancelArmed) { CancelArmed = false; }
    ~TNotCancellable() { CancelArmed = WasArmed_; }
    TNotCancellable(const TNotCancellable&) = delete;
    TNotCancellable& operator=(const TNotCancellable&) = delete;

  private:
    bool WasArmed_;
};

// Process-wide progress of the one long operation running at a time: written by the thread
// doing the work, polled by the user interface's timer.
extern std::atomic<bool> Processing;
extern std::atomic<std::uint32_t> ProgressPosition;
extern std::atomic<std::uint32_t> ProgressTotal;

// Sets the counters for an operation of `total` steps and clears `Processing` when the
// operation ends, also when it ends by an exception.
class TProgressScope {
  public:
    explicit TProgressScope(std::uint64_t total) {
        ProgressPosition.store(0, std::memory_order_relaxed);
        ProgressTotal.store(Clamp(total), std::memory_order_relaxed);
        Processing.store(true, std::memory_order_release);
    }
    ~TProgressScope() { Processing.store(false, std::memory_order_release); }
    TProgressScope(const TProgressScope&) = delete;
    TProgressScope& operator=(const TProgressScope&) = delete;

    // Also the point where a requested cancel stops the operation (by TCancelled).
    static void Step(std::uint64_t position) {
        ProgressPosition.store(Clamp(position), std::memory_order_relaxed);
        if (CancelArmed && CancelRequest.load(std::memory_order_relaxed)) {
            throw TCancelled();
        }
    }

  private:
    static std::uint32_t Clamp(std::uint64_t v) {
        return static_cast<std::uint32_t>(std::min<std::uint64_t>(v, UINT32_MAX));
    }
};

}  // namespace sonavel
