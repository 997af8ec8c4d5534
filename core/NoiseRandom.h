#pragma once

#include <cstdint>
#include <span>

namespace sonavel {

// The process-wide pseudo-random sequence of the noise generator: a linear congruential
// generator whose seed is 0 at program start and is never reseeded, so the first noise
// generated after start is the same in every run.
struct TLinearCongruential {
    static constexpr std::uint32_t Next(std::uint32_t seed) { return seed * 134775813U + 1U; }
    // A value 0 .. range - 1 from a fresh seed.
    static constexpr std::uint32_t Scale(std::uint32_t seed, std::uint32_t range) {
        return static_cast<std::uint32_t>((static_cast<std::uint64_t>(seed) * range) >> 32);
    }
};

// Fills values with the next values 0 .. range - 1 of the process-wide sequence, as one
// unbroken run even when other threads draw at the same time.
void DrawRandom(std::uint32_t range, std::span<std::uint32_t> values);

// The seed as it stands now: the next value comes from Next(RandomSeed()).
std::uint32_t RandomSeed();

}  // namespace sonavel
