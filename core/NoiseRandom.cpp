#include "core/NoiseRandom.h"

#include <atomic>

namespace sonavel {

namespace {

std::atomic<std::uint32_t> Seed{0};

}  // namespace

void DrawRandom(std::uint32_t range, std::span<std::uint32_t> values) {
    std::uint32_t expected = Seed.load(std::memory_order_relaxed);
    for (;;) {
        std::uint32_t seed = expected;
        for (std::uint32_t& value : values) {
            seed = TLinearCongruential::Next(seed);
            value = TLinearCongruential::Scale(seed, range);
        }
        // Another thread drew meanwhile: take the run again from where it left the seed.
        if (Seed.compare_exchange_weak(expected, seed, std::memory_order_relaxed)) {
            return;
        }
    }
}

std::uint32_t RandomSeed() {
    return Seed.load(std::memory_order_relaxed);
}

}  // namespace sonavel
