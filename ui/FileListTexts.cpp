#include "ui/FileListTexts.h"

#include "app/Language.h"

namespace sonavel {

namespace {

constexpr TFileListTexts RussianConnect{
    .Caption = "Соединение аудиофайлов",
    .GroupBox1 = "Параметры нового проекта",
    .Label1 = "Число аудиоканалов:",
    .Label2 = "кнл.",
    .Label3 = "Частота дискретизации:",
    .Label4 = "Гц",
    .Label5 = "Четкость:",
    .Label6 = "бит",
    .GroupBox2 = "Порядок соединения",
};

constexpr TFileListTexts EnglishConnect{
    .Caption = "Connecting of files",
    .GroupBox1 = "New project settings",
    .Label1 = "Number of channels:",
    .Label2 = "chnl.",
    .Label3 = "Samplerate:",
    .Label4 = "Hz",
    .Label5 = "Bit resolution:",
    .Label6 = "bit",
    .GroupBox2 = "Order of connecting",
};

constexpr TFileListTexts RussianMix{
    .Caption = "Смешение аудиофайлов",
    .GroupBox1 = RussianConnect.GroupBox1,
    .Label1 = RussianConnect.Label1,
    .Label2 = RussianConnect.Label2,
    .Label3 = RussianConnect.Label3,
    .Label4 = RussianConnect.Label4,
    .Label5 = RussianConnect.Label5,
    .Label6 = RussianConnect.Label6,
    .GroupBox2 = "Смешиваемые файлы",
};

constexpr TFileListTexts EnglishMix{
    .Caption = "Mixing",
    .GroupBox1 = EnglishConnect.GroupBox1,
    .Label1 = EnglishConnect.Label1,
    .Label2 = EnglishConnect.Label2,
    .Label3 = EnglishConnect.Label3,
    .Label4 = EnglishConnect.Label4,
    .Label5 = EnglishConnect.Label5,
    .Label6 = EnglishConnect.Label6,
    .GroupBox2 = "Files to mixing",
};

}  // namespace

const TFileListTexts* ConnectFilesTexts(const std::string& language) {
    return ForLanguage(language, RussianConnect, EnglishConnect);
}

const TFileListTexts* MixFilesTexts(const std::string& language) {
    return ForLanguage(language, RussianMix, EnglishMix);
}

}  // namespace sonavel
