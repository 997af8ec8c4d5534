#pragma once

#include <string>

namespace sonavel {

// The texts of the join and mix dialogs.
struct TFileListTexts {
    const char* Caption;
    const char* GroupBox1;  // the new document's format
    const char* Label1;     // channel count
    const char* Label2;     // its unit
    const char* Label3;     // sample rate
    const char* Label4;     // its unit
    const char* Label5;     // bit resolution
    const char* Label6;     // its unit
    const char* GroupBox2;  // the files
};

// The tables of "RUS" or "ENG"; nullptr for any other word, which changes no text.
const TFileListTexts* ConnectFilesTexts(const std::string& language);
const TFileListTexts* MixFilesTexts(const std::string& language);

// The rate's unit as the forms are laid out, before a language is applied.
inline constexpr const char* FormRateUnit = "Гц.";
// The OK buttons keep their texts in both languages: Latin in the join dialog, Cyrillic in
// the mix dialog.
inline constexpr const char* ConnectFilesOk = "OK";
inline constexpr const char* MixFilesOk = "ОК";

}  // namespace sonavel
