#include "core/RateConversion.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace sonavel {

TRateConversion::TRateConversion(std::uint32_t sourceLength, std::uint32_t sourceRate,
                                 std::uint32_t targetRate)
    : Length_(sourceLength) {
    if (sourceRate == 0 || targetRate == 0) {
        throw std::invalid_argument("Rate conversion: a sample rate of 0 Hz");
    }
    // The quotient is formed in extended precision and kept as a double.
    Ratio_ = static_cast<double>(static_cast<long double>(sourceRate) / targetRate);
    Down_ = Ratio_ < 1;
    Step_ = Down_ ? 1 / Ratio_ : Ratio_;
    Acc_ = Step_;
}

std::uint64_t TRateConversion::OutputBound() const {
    // Down, the repeats add up to at most length x step; otherwise every step but the last
    // advances by at least step - 1 over the run, so about length / step steps.
    const long double steps = Down_ ? static_cast<long double>(Length_) * Step_
                                    : static_cast<long double>(Length_) / Step_;
    return static_cast<std::uint64_t>(std::ceil(steps)) + 2;
}

void TRateConversion::BeginStep() {
    const double whole = std::trunc(Acc_);
    Pending_ = Down_ ? static_cast<std::uint64_t>(whole) : 1;
    Stride_ = Down_ ? 1 : static_cast<std::uint64_t>(whole);
    Acc_ = Acc_ - whole + Step_;
}

std::uint32_t TRateConversion::Next(std::uint32_t* sourceIndexes, std::uint32_t capacity,
                                    std::uint32_t maxSpan) {
    std::uint32_t count = 0;
    const std::uint64_t first = Index_;
    while (count < capacity) {
        if (Pending_ == 0) {
            if (Index_ >= Length_ || (count > 0 && Index_ - first >= maxSpan)) {
                break;
            }
            BeginStep();
        }
        // Hand out as many repeats of this source sample as fit.
        const auto repeats =
            static_cast<std::uint32_t>(std::min<std::uint64_t>(Pending_, capacity - count));
        for (std::uint32_t j = 0; j < repeats; ++j) {
            sourceIndexes[count + j] = static_cast<std::uint32_t>(Index_);
        }
        count += repeats;
        Pending_ -= repeats;
        if (Pending_ == 0) {
            Index_ += Stride_;
        }
    }
    return count;
}

}  // namespace sonavel
