#include "core/ParallelWork.h"

#include <algorithm>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

namespace sonavel {

namespace {

thread_local unsigned ThreadLimit = 0;  // 0: no limit

}  // namespace

unsigned WorkerThreads() {
    const unsigned cores = std::max(1U, std::thread::hardware_concurrency());
    return ThreadLimit == 0 ? cores : std::min(cores, ThreadLimit);
}

TThreadLimit::TThreadLimit(unsigned threads) : Was_(ThreadLimit) {
    ThreadLimit = std::max(1U, threads);
}

TThreadLimit::~TThreadLimit() {
    ThreadLimit = Was_;
}

void ParallelFor(std::size_t count, const std::function<void(std::size_t)>& task) {
    const std::size_t threads = std::min<std::size_t>(WorkerThreads(), count);
    if (threads <= 1) {
        for (std::size_t i = 0; i < count; ++i) {
            task(i);
        }
        return;
    }
    std::atomic<std::size_t> next{0};
    std::atomic<bool> failed{false};
    std::mutex errorLock;
    std::size_t errorIndex = count;
    std::exception_ptr error;
    const bool armed = CancelArmed;
    const unsigned limit = ThreadLimit;

    auto work = [&] {
        CancelArmed = armed;
        ThreadLimit = limit;
        while (!failed.load(std::memory_order_relaxed)) {
            const std::size_t i = next.fetch_add(1, std::memory_order_relaxed);
            if (i >= count) {
                return;
            }
            try {
                task(i);
            } catch (...) {
                const std::lock_guard guard(errorLock);
                if (i < errorIndex) {
                    errorIndex = i;
                    error = std::current_exception();
                }
                failed.store(true, std::memory_order_relaxed);
            }
        }
    };
    {
        std::vector<std::jthread> helpers;
        helpers.reserve(threads - 1);
        for (std::size_t t = 1; t < threads; ++t) {
            helpers.emplace_back(work);
        }
        const bool callerArmed = CancelArmed;
        work();
        CancelArmed = callerArmed;
    }  // joins the helpers
    if (error) {
        std::rethrow_exception(error);
    }
}

void TParallelProgress::Advance(std::uint64_t steps) {
    const std::uint64_t done = Done_.fetch_add(steps, std::memory_order_relaxed) + steps;
    const auto position = static_cast<std::uint32_t>(std::min<std::uint64_t>(done, UINT32_MAX));
    std::uint32_t shown = ProgressPosition.load(std::memory_order_relaxed);
    while (shown < position &&
           !ProgressPosition.compare_exchange_weak(shown, position, std::memory_order_relaxed)) {
    }
    if (CancelArmed && CancelRequest.load(std::memory_order_relaxed)) {
        throw TCancelled();
    }
}

}  // namespace sonavel
