#pragma once

#include <string>

namespace sonavel {

// The texts of the spectrum window.
struct TSpectraAnalysTexts {
    const char* Caption;
    const char* Label1;    // FFT size
    const char* OkButton;  // analyse again
    const char* Unit;      // of the frequency axis
};

// The texts of the statistics window: its caption also chooses the language of its lines.
struct TStatisticTexts {
    const char* Caption;
};

// The tables of "RUS" or "ENG"; nullptr for any other word, which changes no text.
const TSpectraAnalysTexts* SpectraAnalysTexts(const std::string& language);
const TStatisticTexts* StatisticTexts(const std::string& language);

}  // namespace sonavel
