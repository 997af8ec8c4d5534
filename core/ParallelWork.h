#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>

#include "core/Progress.h"

namespace sonavel {

// Threads a long operation started on the calling thread may use: every core of the machine,
// or fewer while a TThreadLimit lives on that thread.
unsigned WorkerThreads();

// While it lives, operations started on the creating thread use at most `threads` threads
// (1: the caller's alone), e.g. to compare a parallel result with the one-thread run.
class TThreadLimit {
  public:
    explicit TThreadLimit(unsigned threads);
    ~TThreadLimit();
    TThreadLimit(const TThreadLimit&) = delete;
    TThreadLimit& operator=(const TThreadLimit&) = delete;

  private:
    unsigned Was_;
};

// Runs task(i) once for every i in [0, count), on up to WorkerThreads() threads of which the
// caller's is one; indexes are handed out in ascending order. The helper threads take over
// the caller's cancel arming. Once a task throws, no further index starts; the running ones
// finish and the exception of the lowest failing index is rethrown to the caller.
// The tasks must not touch one channel file from two threads at once.
void ParallelFor(std::size_t count, const std::function<void(std::size_t)>& task);

// The progress counters of work done in parallel: steps are counted as they complete, so the
// position still runs once from 0 to the total, never backwards. Advance is also the point
// where a requested cancel stops the thread calling it (by TCancelled).
class TParallelProgress {
  public:
    explicit TParallelProgress(std::uint64_t total) : Scope_(total) {}
    void Advance(std::uint64_t steps);

  private:
    TProgressScope Scope_;
    std::atomic<std::uint64_t> Done_{0};
};

}  // namespace sonavel
