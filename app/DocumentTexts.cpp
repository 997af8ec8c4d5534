#include "app/DocumentTexts.h"

#include "app/Language.h"

#include <cmath>
#include <cstdio>

#include "core/AudioStream.h"

namespace sonavel {

namespace {

constexpr TDocumentWindowTexts RussianTexts{
    .Label1 = "Обрабатываемый канал:",
    .Label2 = "Параметры файла:",
    .Label3 = "Текущая позиция:",
    .ToBeginCaption = "Н",
    .ToEndCaption = "К",
    .PlayHint = "Начать воспроизведение",
    .PlayViewHint = "Воспроизвести до конца видимой зоны",
    .StopHint = "Стоп",
    .RecordHint = "Начать запись с текущей позиции",
    .SetMarkerHint = "Установить границу выделения",
    .DelMarkerHint = "Убрать границы выделения",
    .ToBeginHint = "В начало",
    .LeftHint = "Назад на заданный интервал",
    .IntervalHint = "Заданный интервал в миллисекундах",
    .RightHint = "Вперед на заданный интервал",
    .ToEndHint = "В конец",
    .ZoomInHint = "Увеличить масштаб",
    .ZoomOutHint = "Уменьшить масштаб",
    .ZoomSelectionHint = "Масштаб по выделенному",
    .ZoomAllHint = "Уместить в окно",
    .ZoomMaximalHint = "Максимальный масштаб",
    .AllChannels = "Все",
    .LeftChannel = "Левый",
    .RightChannel = "Правый",
    .ChannelNumberSuffix = "-й",
    .Hertz = " Гц  ",
    .Bits = " бит  ",
    .Channels = " кнл.    ",
    .CreatingGraph = "Построение графика",
    .NoPlaybackDevice = "Устройство воспроизведения не найдено",
    .NoRecordDevice = "Устройство записи не найдено",
};

constexpr TDocumentWindowTexts EnglishTexts{
    .Label1 = "Processable channel:",
    .Label2 = "File characteristics:",
    .Label3 = "Current position:",
    .ToBeginCaption = "S",
    .ToEndCaption = "F",
    .PlayHint = "Play",
    .PlayViewHint = "Play to end of a seen zone",
    .StopHint = "Stop",
    .RecordHint = "Begin record from current position",
    .SetMarkerHint = "Set border of selection",
    .DelMarkerHint = "Remove borders of selection",
    .ToBeginHint = "Go to start",
    .LeftHint = "Back on the set interval",
    .IntervalHint = "Interval in milliseconds",
    .RightHint = "Forward on the set interval",
    .ToEndHint = "Go to finish",
    .ZoomInHint = "Zoom in",
    .ZoomOutHint = "Zoom out",
    .ZoomSelectionHint = "Scale on selection",
    .ZoomAllHint = "Fit to window",
    .ZoomMaximalHint = "Maximal scale",
    .AllChannels = "All",
    .LeftChannel = "Left",
    .RightChannel = "Right",
    .ChannelNumberSuffix = "",
    .Hertz = " Hz  ",
    .Bits = " bit  ",
    .Channels = " chnl.    ",
    .CreatingGraph = "Creating graph",
    .NoPlaybackDevice = "Audiodevice error",
    .NoRecordDevice = "Audiodevice error",
};

}  // namespace

const TDocumentWindowTexts* DocumentWindowTexts(const std::string& language) {
    return ForLanguage(language, RussianTexts, EnglishTexts);
}

std::string TimeText(std::uint32_t sampleCount, std::uint32_t sampleRate) {
    const std::uint64_t s = sampleRate == 0 ? 0
                                            : static_cast<std::uint64_t>(std::nearbyint(
                                                  static_cast<double>(sampleCount) / sampleRate));
    const std::uint64_t hours = s / 3600;
    const std::uint64_t minutes = (s - hours * 3600) / 60;
    const std::uint64_t seconds = s - hours * 3600 - minutes * 60;
    char text[64];
    std::snprintf(text, sizeof text, "%llu:%02llu:%02llu    %u",
                  static_cast<unsigned long long>(hours), static_cast<unsigned long long>(minutes),
                  static_cast<unsigned long long>(seconds), sampleCount);
    return text;
}

std::optional<std::string> PropertiesText(const std::string& language, std::uint32_t sampleRate,
                                          std::uint16_t bitsPerSample, std::uint16_t channelCount,
                                          std::uint32_t length) {
    const TDocumentWindowTexts* texts = DocumentWindowTexts(language);
    if (texts == nullptr) {
        return std::nullopt;
    }
    return std::to_string(sampleRate) + texts->Hertz + std::to_string(bitsPerSample) + texts->Bits +
           std::to_string(channelCount) + texts->Channels + TimeText(length, sampleRate);
}

std::optional<std::string> ShowProperties(const std::string& language, TAudioStream& stream) {
    return PropertiesText(language, stream.SampleRate, stream.BitsPerSample, stream.ChannelCount,
                          stream.GetLength());
}

std::vector<std::string> ChannelBoxItems(const std::string& language, std::uint16_t channelCount) {
    std::vector<std::string> items;
    const TDocumentWindowTexts* texts = DocumentWindowTexts(language);
    if (texts == nullptr) {
        return items;
    }
    items.emplace_back(texts->AllChannels);
    if (channelCount == 1) {
        return items;
    }
    if (channelCount == 2) {
        items.emplace_back(texts->LeftChannel);
        items.emplace_back(texts->RightChannel);
        return items;
    }
    for (unsigned k = 1; k <= channelCount; ++k) {
        items.push_back(std::to_string(k) + texts->ChannelNumberSuffix);
    }
    return items;
}

}  // namespace sonavel
