#pragma once

#include <algorithm>
#include <atomic>
#include <cstdint>

namespace sonavel {

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

    static void Step(std::uint64_t position) {
        ProgressPosition.store(Clamp(position), std::memory_order_relaxed);
    }

private:
    static std::uint32_t Clamp(std::uint64_t v) {
        return static_cast<std::uint32_t>(std::min<std::uint64_t>(v, UINT32_MAX));
    }
};

}  // namespace sonavel
