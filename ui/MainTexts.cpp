#include "ui/MainTexts.h"

#include <array>

#include "app/Language.h"

namespace sonavel {

namespace {

constexpr std::array RussianMenu{
    TNamedText{"N1", "Файл"},
    TNamedText{"NewFileMI", "Новый"},
    TNamedText{"OpenFileMI", "Открыть"},
    TNamedText{"SaveMI", "Сохранить"},
    TNamedText{"SaveAsMI", "Сохранить как.."},
    TNamedText{"SaveSelectionMI", "Сохранить выделенное"},
    TNamedText{"SampleRateChangeMI", "Изменить частоту дискретизации"},
    TNamedText{"nBitsChangeMI", "Изменить четкость"},
    TNamedText{"CloseFileMI", "Закрыть файл"},
    TNamedText{"N2", "Монтаж"},
    TNamedText{"UndoMI", "Откат на одну операцию"},
    TNamedText{"RedoMI", "Возврат отмененной операции"},
    TNamedText{"CutMI", "Вырезать"},
    TNamedText{"CopyToMI", "Копировать"},
    TNamedText{"InsertMI", "Вставить"},
    TNamedText{"MixMI", "Вставить смешав"},
    TNamedText{"OverwriteMI", "Вставить заменив"},
    TNamedText{"InsertSilenceMI", "Вставить тишину"},
    TNamedText{"InsFromFileMI", "Вставить файл"},
    TNamedText{"DeleteMI", "Удалить фрагмент"},
    TNamedText{"EraseMI", "Стереть фрагмент"},
    TNamedText{"AddChannelMI", "Добавить аудиоканал"},
    TNamedText{"DelChannelMI", "Удалить текущий канал"},
    TNamedText{"N18", "МултиМонтаж"},
    TNamedText{"ConnectFilesMI", "Соединить файлы"},
    TNamedText{"MixFilesMI", "Смешать файлы"},
    TNamedText{"N13", "Деформации"},
    TNamedText{"SetSpeedMI", "Изменить темп звучания"},
    TNamedText{"SetVolumeMI", "Изменить уровень громкости"},
    TNamedText{"NormalizeVolumeMI", "Выровнять уровень громкости"},
    TNamedText{"UpVolumeMI", "Сделать возрастание громкости"},
    TNamedText{"DownVolumeMI", "Сделать затухание громкости"},
    TNamedText{"AddEchoMI", "Добавить эхо"},
    TNamedText{"RevebrationMI", "Добавить ревебрацию"},
    TNamedText{"AddBrainWavesMI", "Добавить бинауральные биения"},
    TNamedText{"RoundSoundMI", "Добавить вращение каналов"},
    TNamedText{"EqualizeMI", "Регулировать баланс частот"},
    TNamedText{"SelDelSpectraMI", "Выделить/удалить диапазон частот"},
    TNamedText{"OffsetSpectraMI", "Сдвинуть частотный спектр"},
    TNamedText{"MultiSpectraMI", "Сузить/растянуть частотный спектр"},
    TNamedText{"ReverseMI", "Обратить звучание"},
    TNamedText{"InvertMI", "Инвертировать"},
    TNamedText{"N19", "Синтез"},
    TNamedText{"CreateFreqMI", "Генерировать частоту"},
    TNamedText{"CreateNoiseMI", "Синтезировать шум"},
    TNamedText{"N11", "Анализ"},
    TNamedText{"FreqAnalysMI", "Частотный спектр"},
    TNamedText{"AllAnalysMI", "Общая характеристика"},
    TNamedText{"N9", "Настройки"},
    TNamedText{"SettingsMI", "Общие настройки"},
    TNamedText{"AudioSettingsMI", "Настройки аудиоустройств"},
    TNamedText{"N10", "Справка"},
    TNamedText{"HelpMI", "Содержание справки"},
    TNamedText{"NewVersionMI", "Проверка наличия новой версии"},
    TNamedText{"AboutMI", "О программе"},
};

constexpr std::array EnglishMenu{
    TNamedText{"N1", "File"},
    TNamedText{"NewFileMI", "New"},
    TNamedText{"OpenFileMI", "Open"},
    TNamedText{"SaveMI", "Save"},
    TNamedText{"SaveAsMI", "Save as.."},
    TNamedText{"SaveSelectionMI", "Save selection"},
    TNamedText{"SampleRateChangeMI", "Change samplerate"},
    TNamedText{"nBitsChangeMI", "Change bit resolution"},
    TNamedText{"CloseFileMI", "Close file"},
    TNamedText{"N2", "Edit"},
    TNamedText{"UndoMI", "Undo"},
    TNamedText{"RedoMI", "Redo"},
    TNamedText{"CutMI", "Cut"},
    TNamedText{"CopyToMI", "Copy"},
    TNamedText{"InsertMI", "Paste"},
    TNamedText{"MixMI", "Paste and mix"},
    TNamedText{"OverwriteMI", "Paste and overwrite"},
    TNamedText{"InsertSilenceMI", "Paste silence"},
    TNamedText{"InsFromFileMI", "Paste file"},
    TNamedText{"DeleteMI", "Delete"},
    TNamedText{"EraseMI", "Erase"},
    TNamedText{"AddChannelMI", "Add audiochannel"},
    TNamedText{"DelChannelMI", "Delete current channel"},
    TNamedText{"N18", "MultiEdit"},
    TNamedText{"ConnectFilesMI", "Connect files"},
    TNamedText{"MixFilesMI", "Mix files"},
    TNamedText{"N13", "Deformation"},
    TNamedText{"SetSpeedMI", "Set speed"},
    TNamedText{"SetVolumeMI", "Set volume"},
    TNamedText{"NormalizeVolumeMI", "Normalize volume"},
    TNamedText{"UpVolumeMI", "Fade In"},
    TNamedText{"DownVolumeMI", "Fade Out"},
    TNamedText{"AddEchoMI", "Echo"},
    TNamedText{"RevebrationMI", "Reverberation"},
    TNamedText{"AddBrainWavesMI", "Add brain waves"},
    TNamedText{"RoundSoundMI", "Circular sound"},
    TNamedText{"EqualizeMI", "Frequency equalizer"},
    TNamedText{"SelDelSpectraMI", "Frequency filter"},
    TNamedText{"OffsetSpectraMI", "Offset frequency spectra"},
    TNamedText{"MultiSpectraMI", "Stretch frequency spectra"},
    TNamedText{"ReverseMI", "Reverse"},
    TNamedText{"InvertMI", "Invert"},
    TNamedText{"N19", "Synthesis"},
    TNamedText{"CreateFreqMI", "Generate frequency"},
    TNamedText{"CreateNoiseMI", "Synthesize noise"},
    TNamedText{"N11", "Analysis"},
    TNamedText{"FreqAnalysMI", "Frequency analysis"},
    TNamedText{"AllAnalysMI", "General analysis"},
    TNamedText{"N9", "Settings"},
    TNamedText{"SettingsMI", "General settings"},
    TNamedText{"AudioSettingsMI", "Devices settings"},
    TNamedText{"N10", "Help"},
    TNamedText{"HelpMI", "Content"},
    TNamedText{"NewVersionMI", "Check new version"},
    TNamedText{"AboutMI", "About"},
};

constexpr std::array RussianHints{
    TNamedText{"SpeedButton1", "Создать новый проект"},
    TNamedText{"SpeedButton2", "Открыть аудиофайл"},
    TNamedText{"SpeedButton3", "Сохранить"},
    TNamedText{"SpeedButton22", "Закрыть текущий файл"},
    TNamedText{"SpeedButton4", "Откат"},
    TNamedText{"SpeedButton5", "Вырезать"},
    TNamedText{"SpeedButton6", "Копировать"},
    TNamedText{"SpeedButton7", "Вставить"},
    TNamedText{"SpeedButton8", "Вставить смешав"},
    TNamedText{"SpeedButton9", "Вставить заменив"},
    TNamedText{"SpeedButton10", "Вставить тишину"},
    TNamedText{"SpeedButton11", "Стереть фрагмент"},
    TNamedText{"SpeedButton12", "Удалить фрагмент"},
    TNamedText{"SpeedButton13", "Изменить темп звучания"},
    TNamedText{"SpeedButton14", "Изменить уровень громкости"},
    TNamedText{"SpeedButton15", "Выровнять уровень громкости"},
    TNamedText{"SpeedButton16", "Сделать возрастание громкости"},
    TNamedText{"SpeedButton17", "Сделать затухание громкости"},
    TNamedText{"SpeedButton18", "Регулировать баланс частот"},
    TNamedText{"SpeedButton19", "Общие настройки"},
    TNamedText{"SpeedButton20", "Настройки аудиоустройств"},
    TNamedText{"SpeedButton21", "Справка"},
    TNamedText{"SpeedButton23", "Возврат"},
};

// The first hint begins with a Cyrillic С, as the program has always shown it.
constexpr std::array EnglishHints{
    TNamedText{"SpeedButton1", "Сreate new project"},
    TNamedText{"SpeedButton2", "Open audiofile"},
    TNamedText{"SpeedButton3", "Save"},
    TNamedText{"SpeedButton22", "Close current file"},
    TNamedText{"SpeedButton4", "Undo"},
    TNamedText{"SpeedButton5", "Cut"},
    TNamedText{"SpeedButton6", "Copy"},
    TNamedText{"SpeedButton7", "Paste"},
    TNamedText{"SpeedButton8", "Paste and mix"},
    TNamedText{"SpeedButton9", "Paste and overwrite"},
    TNamedText{"SpeedButton10", "Insert silence"},
    TNamedText{"SpeedButton11", "Erase"},
    TNamedText{"SpeedButton12", "Delete"},
    TNamedText{"SpeedButton13", "Change speed"},
    TNamedText{"SpeedButton14", "Set volume"},
    TNamedText{"SpeedButton15", "Normalize"},
    TNamedText{"SpeedButton16", "Fade In"},
    TNamedText{"SpeedButton17", "Fade Out"},
    TNamedText{"SpeedButton18", "Frequency equalizer"},
    TNamedText{"SpeedButton19", "General settings"},
    TNamedText{"SpeedButton20", "Audoidevice settings"},
    TNamedText{"SpeedButton21", "Help"},
    TNamedText{"SpeedButton23", "Redo"},
};

constexpr TMainWindowTexts RussianMain{
    .Title = "Sonavel Про",
    .NewProject = "Новый проект",
    .SaveChanges = "Изменения не были сохранены. Сохранить изменения?",
    .StopRecord = "Перед закрытием нужно остановить запись",
    .SavingFile = "Сохранение файла",
    .ReplaceExisting = "Файл уже существует. Заменить его?\n",
    .RecoverDocuments =
        "Программа была завершена аварийно. Восстановить несохранённые "
        "документы? (Нет - удалить их)\n",
    .MenuItems = RussianMenu,
    .Hints = RussianHints,
};

constexpr TMainWindowTexts EnglishMain{
    .Title = "Sonavel Pro",
    .NewProject = "New project",
    .SaveChanges = "Save changes before closing?",
    .StopRecord = "Stop record",
    .SavingFile = "Saving file",
    .ReplaceExisting = "The file already exists. Replace it?\n",
    .RecoverDocuments =
        "The program ended unexpectedly. Recover the unsaved documents? "
        "(No discards them)\n",
    .MenuItems = EnglishMenu,
    .Hints = EnglishHints,
};

constexpr TNewProjectTexts RussianNewProject{
    .Caption = "Параметры нового проекта",
    .Label1 = "Число аудиоканалов:",
    .Label2 = "Частота дискретизации:",
    .Label3 = "Гц",
    .Label4 = "Четкость:",
    .Label5 = "бит",
    .BitBtn2 = "Отмена",
};

constexpr TNewProjectTexts EnglishNewProject{
    .Caption = "New project settings",
    .Label1 = "Numbers channels:",
    .Label2 = "Samplerate:",
    .Label3 = "Hz",
    .Label4 = "Bit resolution:",
    .Label5 = "bit",
    .BitBtn2 = "Cancel",
};

constexpr TMp3SettingsTexts RussianMp3{
    .Caption = "Настройка параметров MP3 формата",
    .Label1 = "Стереорежим:",
    .Label2 = "Тип битрейта:",
    .Label3 = "Битрейт:",
    .BitBtn2 = "Отмена",
    .Constant = "Постоянный",
    .Variable = "Переменный",
    .BestQuality = "  - Лучшее качество",
    .StandardQuality = "  - Стандартное качество",
    .PoorQuality = "  - Худшее качество",
};

constexpr TMp3SettingsTexts EnglishMp3{
    .Caption = "MP3 settings",
    .Label1 = "Stereomode:",
    .Label2 = "Bitrate type:",
    .Label3 = "Bitrate:",
    .BitBtn2 = "Cancel",
    .Constant = "Constant",
    .Variable = "Variable",
    .BestQuality = "  - Best quality",
    .StandardQuality = "  - Standart quality",
    .PoorQuality = "  - Poor quality",
};

}  // namespace

const TMainWindowTexts* MainWindowTexts(const std::string& language) {
    return ForLanguage(language, RussianMain, EnglishMain);
}

const TNewProjectTexts* NewProjectTexts(const std::string& language) {
    return ForLanguage(language, RussianNewProject, EnglishNewProject);
}

const TMp3SettingsTexts* Mp3SettingsTexts(const std::string& language) {
    return ForLanguage(language, RussianMp3, EnglishMp3);
}

const char* FindText(std::span<const TNamedText> table, std::string_view name) {
    for (const TNamedText& entry : table) {
        if (name == entry.Name) {
            return entry.Text;
        }
    }
    return nullptr;
}

}  // namespace sonavel
