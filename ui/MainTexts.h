#pragma once

#include <span>
#include <string>
#include <string_view>

namespace sonavel {

// A text for the control of that name.
struct TNamedText {
    const char* Name;
    const char* Text;
};

// Every text the main window and the progress window write, in one language.
struct TMainWindowTexts {
    const char* Title;  // application title and window caption
    const char* NewProject;
    const char* SaveChanges;
    const char* StopRecord;
    const char* SavingFile;
    const char* ReplaceExisting;            // before the file name of an existing file
    const char* RecoverDocuments;           // before the names of the documents found
    std::span<const TNamedText> MenuItems;  // top menus and items by name
    std::span<const TNamedText> Hints;      // tool buttons by name
};

// The texts of the new-project dialog.
struct TNewProjectTexts {
    const char* Caption;
    const char* Label1;  // channel count
    const char* Label2;  // sample rate
    const char* Label3;  // its unit
    const char* Label4;  // bit resolution
    const char* Label5;  // its unit
    const char* BitBtn2;
};

// The texts of the MP3 settings dialog.
struct TMp3SettingsTexts {
    const char* Caption;
    const char* Label1;  // stereo mode
    const char* Label2;  // bit rate type
    const char* Label3;  // bit rate
    const char* BitBtn2;
    const char* Constant;
    const char* Variable;
    const char* BestQuality;      // after "0"
    const char* StandardQuality;  // after "4"
    const char* PoorQuality;      // after "9"
};

// The tables of "RUS" or "ENG"; nullptr for any other word, which changes no text.
const TMainWindowTexts* MainWindowTexts(const std::string& language);
const TNewProjectTexts* NewProjectTexts(const std::string& language);
const TMp3SettingsTexts* Mp3SettingsTexts(const std::string& language);

// The text of a named control in a table; nullptr when the table has none.
const char* FindText(std::span<const TNamedText> table, std::string_view name);

// Texts that are the same in every language.
inline constexpr const char* FormCaption = "Sonavel ПРО";  // before a language is applied
inline constexpr const char* OpenDialogFilter =
    "Аудиофайлы (*.wav, *.mp3)|*.wav;*.mp3|PCM (*.wav)|*.wav|MPEG Layer 3 (*.mp3)|*.mp3";
inline constexpr const char* SaveDialogFilter = "PCM (*.wav)|*.wav|MPEG Layer 3 (*.mp3)|*.mp3";
inline constexpr const char* SetLangLabel = "Language";
inline constexpr const char* SetLangRussian = "Russian";
inline constexpr const char* SetLangEnglish = "English ";

}  // namespace sonavel
