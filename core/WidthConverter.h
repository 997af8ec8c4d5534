#pragma once

#include <cstdint>
#include <vector>

namespace sonavel {

// The stored width of a sample of the given bits, as the stream sets it.
constexpr unsigned StoredBytesOf(unsigned bits) {
    return (bits + 7) / 8;
}

// Throws std::invalid_argument unless bits is a sample width, 1 to 32 bits.
void CheckSampleWidth(unsigned bits);

// Maps a stored sample of one width to the stored sample of another through the common
// scale: read at the old width, written at the new, as the single-sample accessors would.
class TWidthConverter {
  public:
    // Throws std::invalid_argument for a width outside 1 to 4 bytes.
    TWidthConverter(unsigned oldBytes, unsigned newBytes);

    // count samples from in (oldBytes each) to out (newBytes each).
    void Run(const std::uint8_t* in, std::uint8_t* out, std::uint32_t count) const;

  private:
    template <unsigned OldBytes, unsigned NewBytes>
    void Run(const std::uint8_t* in, std::uint8_t* out, std::uint32_t count) const;

    std::uint32_t Convert(std::uint32_t raw) const;

    unsigned OldBytes_;
    unsigned NewBytes_;
    std::vector<std::uint32_t> Table_;
};

}  // namespace sonavel
