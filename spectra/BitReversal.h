#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace sonavel {

// to[reverse[m]] = from[m] for every m (reverse: the bit-reversal permutation of from's
// size, a power of two), by tiles of 8 x 8: index bits (h, middle, l) go to (l, middle, h)
// reversed, so a tile reads eight rows of eight neighbours (whole cache lines) and writes
// eight runs of eight, where a plain pass touches a new cache line at every step.
template <class From, class To>
void FromBitReversedOrder(std::span<const From> from, std::span<const std::uint32_t> reverse,
                          std::span<To> to) {
    const std::size_t n = from.size();
    constexpr std::size_t side = 8;
    if (n < side * side) {
        for (std::size_t m = 0; m < n; ++m) {
            to[reverse[m]] = static_cast<To>(from[m]);
        }
        return;
    }
    constexpr std::uint32_t reversed[side] = {0, 4, 2, 6, 1, 5, 3, 7};
    const std::size_t high = n / side;  // the weight of h's lowest bit
    for (std::size_t middle = 0; middle < high; middle += side) {
        const std::uint32_t base = reverse[middle];  // the middle bits reversed, in place
        for (std::size_t l = 0; l < side; ++l) {
            To* row = to.data() + (base | reversed[l] * high);
            const From* column = from.data() + middle + l;
            for (std::size_t h = 0; h < side; ++h) {
                row[reversed[h]] = static_cast<To>(column[h * high]);
            }
        }
    }
}

}  // namespace sonavel
