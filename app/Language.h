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

// The text table for the language word, by the same two tests; nullptr for any other word.
template <typename T>
const T* ForLanguage(const std::string& language, const T& russian, const T& english) {
    const T* texts = nullptr;
    if (language == Russian) {
        texts = &russian;
    }
    if (language == English) {
        texts = &english;
    }
    return texts;
}

}  // namespace sonavel
