#pragma once

#include <string>

namespace sonavel {

// The interface language word: "RUS" or "ENG".
inline const std::string Russian = "RUS";
inline const std::string English = "ENG";

// The text for the language word. Two independent tests, as everywhere in the program: a
// word that is neither gives an empty text.
inline std::string Pick(const std::string& language, const std::string& russian,
                        const std::string& english) {
    std::string text;
    if (language == Russian) {
        text = russian;
    }
    if (language == English) {
        text = english;
    }
    return text;
}

}  // namespace sonavel
