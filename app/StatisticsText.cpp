#include "app/StatisticsText.h"

#include <cmath>

#include "app/Language.h"

namespace sonavel {

namespace {

std::string Percent(std::int64_t level) {
    return std::to_string(std::llrint(static_cast<long double>(level) / 2147483647.0L * 100.0L));
}

std::string Seconds(std::uint32_t samples, std::uint32_t sampleRate) {
    if (sampleRate == 0) {
        return "0";
    }
    return std::to_string(std::llrint(static_cast<long double>(samples) / sampleRate));
}

}  // namespace

std::vector<std::string> StatisticsLines(const TStatistics& s, const std::string& lang) {
    const std::string rate = std::to_string(s.SampleRate);
    const std::string bits = std::to_string(s.BitsPerSample);
    const std::string length = std::to_string(s.Length);
    return {
        Pick(lang, "Частота дискретизации: " + rate + " Гц", "Samplerate: " + rate + " Hz"),
        Pick(lang, "Число бит на отсчет: " + bits + " бит", "Bit resolution: " + bits + " bit"),
        "",
        Pick(lang, "Длительность в отсчетах: " + length, "Long " + length + " samples"),
        Pick(lang, "Длительность в секундах: " + Seconds(s.Length, s.SampleRate),
             "Long " + Seconds(s.Length, s.SampleRate) + " seconds"),
        "",
        Pick(lang, "Среднее значение отсчета: " + Percent(s.Average) + " %",
             "Average volume level: " + Percent(s.Average) + " %"),
        Pick(lang, "Максимальный уровень громкости: " + Percent(s.Peak) + " %",
             "Maximal volume level: " + Percent(s.Peak) + " %"),
        Pick(lang, "Длительность тишины: " + Seconds(s.SilentCount, s.SampleRate) + " sec.",
             "Long of silence: " + Seconds(s.SilentCount, s.SampleRate) + " sec."),
    };
}

}  // namespace sonavel
