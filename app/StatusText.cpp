#include "app/StatusText.h"

#include <array>
#include <cmath>
#include <cstdio>

#include "app/Document.h"
#include "app/Language.h"

namespace sonavel {

namespace {

std::string Position(std::uint64_t samples, std::uint32_t sampleRate) {
    return ClockText(samples, sampleRate) + " (" + std::to_string(samples) + ")";
}

}  // namespace

std::string ClockText(std::uint64_t samples, std::uint32_t sampleRate) {
    const auto ms = sampleRate == 0
                        ? std::uint64_t{0}
                        : static_cast<std::uint64_t>(std::llround(
                              static_cast<long double>(samples) * 1000.0L / sampleRate));
    std::array<char, 48> text{};
    std::snprintf(text.data(), text.size(), "%llu:%02llu:%02llu.%03llu",
                  static_cast<unsigned long long>(ms / 3600000),
                  static_cast<unsigned long long>(ms / 60000 % 60),
                  static_cast<unsigned long long>(ms / 1000 % 60),
                  static_cast<unsigned long long>(ms % 1000));
    return text.data();
}

std::string StatusText(const TDocument& document, const std::string& language) {
    const TDocument& d = document;
    const std::uint32_t rate = d.Stream ? d.Stream->SampleRate : 0;
    if (d.SelEndSet) {
        const std::uint64_t length = std::uint64_t{d.SelEnd} - d.SelStart + 1;
        return Pick(language, "Выделение: начало ", "Selection: start ") +
               Position(d.SelStart, rate) + Pick(language, ", конец ", ", end ") +
               Position(d.SelEnd, rate) + Pick(language, ", длина ", ", length ") +
               Position(length, rate);
    }
    return Pick(language, "Курсор: ", "Cursor: ") + Position(d.CursorPos, rate);
}

}  // namespace sonavel
