#pragma once

#include <chrono>
#include <functional>
#include <thread>

namespace sonavel::test {

// How long a test waits for what another thread or process does: generous, so that a loaded
// machine or a sanitizer build is never taken for a fault, yet a hang still ends the test.
inline constexpr std::chrono::milliseconds WaitLimit{std::chrono::seconds(10)};

// Polls until the condition holds; false when the limit passes first.
inline bool WaitUntil(const std::function<bool()>& condition,
                      std::chrono::milliseconds limit = WaitLimit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) {
            return condition();
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

}  // namespace sonavel::test
