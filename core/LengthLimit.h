#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace sonavel {

// The most samples a channel may hold: sample positions are 32-bit.
inline constexpr std::uint64_t MaxSamples = UINT32_MAX;

// A length, computed from a duration and a rate or from a change of speed or rate, that a
// document cannot hold. Thrown before anything is changed.
class TLengthError : public std::length_error {
  public:
    TLengthError(const std::string& operation, std::uint64_t samples)
        : std::length_error(operation + ": " + std::to_string(samples) + " samples; the limit is " +
                            std::to_string(MaxSamples)),
          Samples_(samples) {}

    std::uint64_t Samples() const noexcept { return Samples_; }

  private:
    std::uint64_t Samples_;
};

// Throws TLengthError when samples passes MaxSamples.
inline void CheckLength(std::uint64_t samples, const char* operation) {
    if (samples > MaxSamples) {
        throw TLengthError(operation, samples);
    }
}

}  // namespace sonavel
