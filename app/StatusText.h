#pragma once

#include <cstdint>
#include <string>

namespace sonavel {

class TDocument;

// A position as h:mm:ss.mmm at the sample rate (milliseconds rounded to nearest).
std::string ClockText(std::uint64_t samples, std::uint32_t sampleRate);

// The status bar's line for a document: the selection's start, end and length in time and
// samples, or the cursor when nothing is selected; empty for another language word.
std::string StatusText(const TDocument& document, const std::string& language);

}  // namespace sonavel
