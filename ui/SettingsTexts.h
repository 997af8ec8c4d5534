#pragma once

#include <string>

namespace sonavel {

// The texts of the general settings dialog and its messages.
struct TSettingsTexts {
    const char* Caption;
    const char* Label1;           // restore points
    const char* Label2;           // language
    const char* FolderLabel;      // label of the folder field
    const char* SelectFolderBtn;  // "Browse"
    const char* BitBtn2;
    const char* FolderMissing;      // before the folder name
    const char* FolderNotWritable;  // before the folder name
};

// The texts of the folder dialog, chosen by the settings dialog's language.
struct TAddFolderTexts {
    const char* Caption;
    const char* OkButton;
    const char* CancelButton;
};

// The texts of the audio device dialog and its messages.
struct TAudioSettingsTexts {
    const char* Caption;
    const char* Label1;  // playback device
    const char* Label2;  // recording device
    const char* BitBtn2;
    const char* NoDevice;     // shown in a list without devices
    const char* MixerHint;    // hint of the two mixer buttons
    const char* NoMixer;      // no sound settings program found
    const char* MixerFailed;  // before the program's name
};

// The texts of the About window.
struct TAboutTexts {
    const char* Caption;
    const char* Product;  // before the version
    const char* Label4;   // the last line
};

// The texts of the version window.
struct TVersionInfoTexts {
    const char* Caption;
    const char* Running;    // before the version
    const char* Libraries;  // before the library list
    const char* NoNetwork;  // how newer releases are found
};

// The texts of the help command and its window.
struct THelpTexts {
    const char* Caption;
    const char* CannotWrite;  // before the folder name
};

// The tables of "RUS" or "ENG"; nullptr for any other word, which changes no text.
const TSettingsTexts* SettingsTexts(const std::string& language);
const TAddFolderTexts* AddFolderTexts(const std::string& language);
const TAudioSettingsTexts* AudioSettingsTexts(const std::string& language);
const TAboutTexts* AboutTexts(const std::string& language);
const TVersionInfoTexts* VersionInfoTexts(const std::string& language);
const THelpTexts* HelpTexts(const std::string& language);

// Texts that are the same in every language.
inline constexpr const char* LangBoxRussian = "Russian";
inline constexpr const char* LangBoxEnglish = "English";
inline constexpr const char* WebSite = "www.sonavel.example";
inline constexpr const char* SupportMail = "support@sonavel.example";
inline constexpr const char* MailSubject = "?subject=Sonavel_Pro_1.4";
inline constexpr const char* ReleasesUrl = "https://www.sonavel.example/releases";

}  // namespace sonavel
