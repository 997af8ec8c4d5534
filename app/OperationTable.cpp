#include "app/OperationTable.h"

#include <array>

#include "app/Language.h"

namespace sonavel {

namespace {

using enum TOperation;

constexpr std::array Table{
    TOperationInfo{CopyToClipboard, "Копирование в буфер обмена", "Copying into clipboard", false},
    TOperationInfo{Cut, "Вырезание в буфер обмена", "Cutting", true},
    TOperationInfo{Undo, "Откат назад на одну операцию", "Undoing last operation", false},
    TOperationInfo{PasteInsert, "Вставка с добавлением", "Inserting", true},
    TOperationInfo{PasteMix, "Вставка со смешением звучаний", "Inserting", true},
    TOperationInfo{PasteOverwrite, "Вставка с заменой", "Inserting", true},
    TOperationInfo{InsertSilence, "Вставка тишины", "Inserting silence", true},
    TOperationInfo{DeleteFragment, "Удаление фрагмента", "Deleting", true},
    TOperationInfo{EraseFragment, "Стирание фрагмента", "Erasing", true},
    TOperationInfo{SetSpeed, "Изменение скорости звучания", "Setting speed ", true},
    TOperationInfo{SetVolume, "Изменение уровня громкости", "Changing volume", true},
    TOperationInfo{Normalize, "Выравнивание уровня громкости", "Normalizing volume", true},
    TOperationInfo{FadeIn, "Плавное повышение громкости", "Fading in", true},
    TOperationInfo{FadeOut, "Плавное понижение громкости", "Fading out", true},
    TOperationInfo{Reverse, "Обращение звучания", "Reversing", true},
    TOperationInfo{AddEcho, "Добавление эха", "Echo", true},
    TOperationInfo{Reverberation, "Добавление ревебрации", "Reverberation", true},
    TOperationInfo{Invert, "Инвертирование", "Inverting", true},
    TOperationInfo{Equalize, "Регулировка баланса частот", "Equalizing", true},
    TOperationInfo{FilterBand, "Выделение/удаление диапазона частот", "Frequency filter", true},
    TOperationInfo{OffsetSpectrum, "Сдвиг спектра частот", "Offset of frequency spectra", true},
    TOperationInfo{StretchSpectrum, "Сужение/растяжение спектра частот", "Frequency spectra stretching", true},
    TOperationInfo{ChangeSampleRate, "Изменение частоты дискретизации", "Changing samplerate", true},
    TOperationInfo{ChangeBits, "Изменение четкости", "Changing bit resolution", true},
    TOperationInfo{AddChannel, "Добавление аудиоканала", "Adding audiochannel", true},
    TOperationInfo{DeleteChannel, "Удаление текущего канала", "Deleting audiochannel ", true},
    TOperationInfo{AddBrainWaves, "Добавление бинаурального ритма", "Adding brain waves", true},
    TOperationInfo{RotateChannels, "Добавление вращения каналов", "Adding rotating", true},
    TOperationInfo{GenerateTone, "Генерация частоты", "Generating frequency", true},
    TOperationInfo{GenerateNoise, "Синтез шума", "Generating noise ", true},
    TOperationInfo{GeneralAnalysis, "Общий анализ", "General analysis", false},
    TOperationInfo{SpectrumAnalysis, "Анализ частотного спектра", "Analysis of frequency specta", false},
    TOperationInfo{InsertFile, "Вставка файла", "Inserting", true},
    TOperationInfo{CopySelection, "Копирование выделенного", "Copying", false},
    TOperationInfo{JoinFiles, "Соединение аудиофайлов", "Connecting files", false},
    TOperationInfo{MixFiles, "Смешение аудиофайлов", "Mixing files ", false},
    TOperationInfo{BuildGraph, "Построение графика", "Creating graph", false},
};

}  // namespace

const TOperationInfo& Info(TOperation operation) {
    for (const auto& info : Table) {
        if (info.Operation == operation) {
            return info;
        }
    }
    return Table.back();
}

std::optional<TOperation> OperationByWord(const std::string& word) {
    for (const auto& info : Table) {
        if (word == info.Word) {
            return info.Operation;
        }
    }
    return std::nullopt;
}

std::string Caption(TOperation operation, const std::string& language) {
    const auto& info = Info(operation);
    return Pick(language, info.Word, info.English);
}

std::string RestorePointCaption(const std::string& language) {
    return Pick(language, "Создание точки отката", "Creating restoration point");
}

std::string OpeningFileCaption(const std::string& language) {
    return Pick(language, "Открытие файла", "Opening file");
}

}  // namespace sonavel
