#include "ui/AnalysisTexts.h"

#include "app/Language.h"

namespace sonavel {

namespace {

constexpr TSpectraAnalysTexts RussianSpectra{
    .Caption = "Анализ частотного спектра",
    .Label1 = "Размер окна БПФ:",
    .OkButton = "Произвести анализ",
    .Unit = "Гц",
};

constexpr TSpectraAnalysTexts EnglishSpectra{
    .Caption = "Frequency spectra analysis",
    .Label1 = "FFT window size:",
    .OkButton = "Analyse",
    .Unit = "Hz",
};

constexpr TStatisticTexts RussianStatistic{.Caption = "Статистика"};
constexpr TStatisticTexts EnglishStatistic{.Caption = "General analysis"};

}  // namespace

const TSpectraAnalysTexts* SpectraAnalysTexts(const std::string& language) {
    return ForLanguage(language, RussianSpectra, EnglishSpectra);
}

const TStatisticTexts* StatisticTexts(const std::string& language) {
    return ForLanguage(language, RussianStatistic, EnglishStatistic);
}

}  // namespace sonavel
