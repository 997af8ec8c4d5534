#include "ui/SettingsTexts.h"

#include "app/Language.h"

namespace sonavel {

namespace {

constexpr TSettingsTexts RussianSettings{
    .Caption = "Общие настройки",
    .Label1 = "Максимальное число откатов на один файл:",
    .Label2 = "Язык программы:",
    .FolderLabel = "Папка для временных файлов",
    .SelectFolderBtn = "Обзор",
    .BitBtn2 = "Отмена",
    .FolderMissing = "Папка не существует:\n",
    .FolderNotWritable = "В папку нельзя записывать файлы:\n",
};

constexpr TSettingsTexts EnglishSettings{
    .Caption = "General settings",
    .Label1 = "Maximal number undos per file:",
    .Label2 = "Interface language:",
    .FolderLabel = "Temp folder",
    .SelectFolderBtn = "Browse",
    .BitBtn2 = "Cancel",
    .FolderMissing = "The folder does not exist:\n",
    .FolderNotWritable = "Files cannot be written to the folder:\n",
};

constexpr TAddFolderTexts RussianAddFolder{
    .Caption = "Выбор папки",
    .OkButton = "Выбрать",
    .CancelButton = "Отмена",
};

constexpr TAddFolderTexts EnglishAddFolder{
    .Caption = "Select folder",
    .OkButton = "Select",
    .CancelButton = "Cancel",
};

constexpr TAudioSettingsTexts RussianAudioSettings{
    .Caption = "Настройка аудиоустройств",
    .Label1 = "Устройство воспроизведения:",
    .Label2 = "Устройство записи:",
    .BitBtn2 = "Отмена",
    .NoDevice = "Отсутствует",
    .MixerHint = "Регулятор громкости",
    .NoMixer = "Программа настройки звука не найдена. Установите, например, pavucontrol.",
    .MixerFailed = "Не удалось запустить программу ",
};

constexpr TAudioSettingsTexts EnglishAudioSettings{
    .Caption = "Audiodevice settings",
    .Label1 = "Playback device:",
    .Label2 = "Recording device:",
    .BitBtn2 = "Cancel",
    .NoDevice = "None",
    .MixerHint = "Volume control",
    .NoMixer = "No sound settings program was found. Install one, for example pavucontrol.",
    .MixerFailed = "Cannot start the program ",
};

constexpr TAboutTexts RussianAbout{
    .Caption = "О программе",
    .Product = "Sonavel Про ",
    .Label4 = "Звуковой редактор для Linux",
};

constexpr TAboutTexts EnglishAbout{
    .Caption = "About",
    .Product = "Sonavel Pro ",
    .Label4 = "Audio editor for Linux",
};

constexpr TVersionInfoTexts RussianVersionInfo{
    .Caption = "Информация о новой версии",
    .Running = "Установлена версия Sonavel Про ",
    .Libraries = "Используемые библиотеки:",
    .NoNetwork = "Программа не обращается к сети. Новые версии ищите по адресу:",
};

constexpr TVersionInfoTexts EnglishVersionInfo{
    .Caption = "New version",
    .Running = "Installed version: Sonavel Pro ",
    .Libraries = "Libraries in use:",
    .NoNetwork = "The program never contacts the network. Look for newer releases at:",
};

constexpr THelpTexts RussianHelp{
    .Caption = "Справка Sonavel Про",
    .CannotWrite = "Не удалось записать файлы справки в папку\n",
};

constexpr THelpTexts EnglishHelp{
    .Caption = "Sonavel Pro help",
    .CannotWrite = "Cannot write the help files to the folder\n",
};

}  // namespace

const TSettingsTexts* SettingsTexts(const std::string& language) {
    return ForLanguage(language, RussianSettings, EnglishSettings);
}

const TAddFolderTexts* AddFolderTexts(const std::string& language) {
    return ForLanguage(language, RussianAddFolder, EnglishAddFolder);
}

const TAudioSettingsTexts* AudioSettingsTexts(const std::string& language) {
    return ForLanguage(language, RussianAudioSettings, EnglishAudioSettings);
}

const TAboutTexts* AboutTexts(const std::string& language) {
    return ForLanguage(language, RussianAbout, EnglishAbout);
}

const TVersionInfoTexts* VersionInfoTexts(const std::string& language) {
    return ForLanguage(language, RussianVersionInfo, EnglishVersionInfo);
}

const THelpTexts* HelpTexts(const std::string& language) {
    return ForLanguage(language, RussianHelp, EnglishHelp);
}

}  // namespace sonavel
