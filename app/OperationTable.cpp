#include "app/OperationTable.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <string_view>
#include <utility>

#include "app/Language.h"

namespace sonavel {

namespace {

using enum TOperation;

// ---------------------------------------------------------------------------------------------
// How a parameter reaches its field of the dialog record.

template <auto Record, auto Field>
using FieldOf = std::remove_reference_t<decltype(std::declval<TDialogValues&>().*Record.*Field)>;

// A number, an enum given by its index, or a yes/no.
template <auto Record, auto Field>
TValue LoadNumber(const TDialogValues& v) {
    return static_cast<std::int64_t>((v.*Record).*Field);
}
template <auto Record, auto Field>
void StoreNumber(TDialogValues& v, const TValue& x) {
    (v.*Record).*Field = static_cast<FieldOf<Record, Field>>(std::get<std::int64_t>(x));
}

// A number chosen from a list: the value is the item's index, the field holds the number.
template <auto Record, auto Field, auto Items>
TValue LoadListed(const TDialogValues& v) {
    const auto wanted = static_cast<std::int64_t>((v.*Record).*Field);
    for (std::size_t i = 0; i < Items().size(); ++i) {
        if (ItemNumber(Items(), i) == wanted) {
            return static_cast<std::int64_t>(i);
        }
    }
    return std::int64_t{0};
}
template <auto Record, auto Field, auto Items>
void StoreListed(TDialogValues& v, const TValue& x) {
    (v.*Record).*Field = static_cast<FieldOf<Record, Field>>(
        ItemNumber(Items(), static_cast<std::size_t>(std::get<std::int64_t>(x))));
}

template <auto Record, auto Field>
TValue LoadList(const TDialogValues& v) {
    const auto& field = (v.*Record).*Field;
    return std::vector<std::int64_t>(field.begin(), field.end());
}
template <auto Record, auto Field>
void StoreList(TDialogValues& v, const TValue& x) {
    auto& field = (v.*Record).*Field;
    const auto& numbers = std::get<std::vector<std::int64_t>>(x);
    for (std::size_t i = 0; i < field.size() && i < numbers.size(); ++i) {
        field[i] = static_cast<std::remove_reference_t<decltype(field[i])>>(numbers[i]);
    }
}

template <std::int64_t Min, std::int64_t Max>
TRange Fixed(const TFormat& /*format*/) {
    return {Min, Max};
}

template <auto Record, auto Field, std::int64_t Min, std::int64_t Max>
constexpr TParameter Integer(const char* key, const char* control, const char* unit) {
    return {key, control, TParamType::Integer,        &Fixed<Min, Max>,           nullptr, {},
            1,   unit,    &LoadNumber<Record, Field>, &StoreNumber<Record, Field>};
}

template <auto Record, auto Field>
constexpr TParameter Ranged(const char* key, const char* control, TRange (*range)(const TFormat&),
                            const char* rangeText, const char* unit) {
    return {key,
            control,
            TParamType::Integer,
            range,
            rangeText,
            {},
            1,
            unit,
            &LoadNumber<Record, Field>,
            &StoreNumber<Record, Field>};
}

template <auto Record, auto Field>
constexpr TParameter Choice(const char* key, const char* control,
                            std::span<const TChoiceItem> items) {
    return {key,
            control,
            TParamType::Choice,
            nullptr,
            nullptr,
            items,
            1,
            "",
            &LoadNumber<Record, Field>,
            &StoreNumber<Record, Field>};
}

template <auto Record, auto Field, auto Items>
constexpr TParameter Listed(const char* key, const char* control, const char* unit) {
    return {key,
            control,
            TParamType::Choice,
            nullptr,
            nullptr,
            Items(),
            1,
            unit,
            &LoadListed<Record, Field, Items>,
            &StoreListed<Record, Field, Items>};
}

template <auto Record, auto Field>
constexpr TParameter YesNo(const char* key, const char* control) {
    return {key,
            control,
            TParamType::YesNo,
            nullptr,
            nullptr,
            {},
            1,
            "",
            &LoadNumber<Record, Field>,
            &StoreNumber<Record, Field>};
}

// ---------------------------------------------------------------------------------------------
// Lists

constexpr std::array RateList{
    TChoiceItem{"8000", "8000", "8000"},    TChoiceItem{"11025", "11025", "11025"},
    TChoiceItem{"22050", "22050", "22050"}, TChoiceItem{"32000", "32000", "32000"},
    TChoiceItem{"44100", "44100", "44100"}, TChoiceItem{"48000", "48000", "48000"},
    TChoiceItem{"64000", "64000", "64000"}, TChoiceItem{"88200", "88200", "88200"},
    TChoiceItem{"96000", "96000", "96000"}, TChoiceItem{"192000", "192000", "192000"},
};
constexpr std::array BitsList{TChoiceItem{"8", "8", "8"}, TChoiceItem{"16", "16", "16"},
                              TChoiceItem{"24", "24", "24"}, TChoiceItem{"32", "32", "32"}};
constexpr std::array FFTSizeList{
    TChoiceItem{"2", "2", "2"},
    TChoiceItem{"4", "4", "4"},
    TChoiceItem{"8", "8", "8"},
    TChoiceItem{"16", "16", "16"},
    TChoiceItem{"32", "32", "32"},
    TChoiceItem{"64", "64", "64"},
    TChoiceItem{"128", "128", "128"},
    TChoiceItem{"256", "256", "256"},
    TChoiceItem{"512", "512", "512"},
    TChoiceItem{"1024", "1024", "1024"},
    TChoiceItem{"2048", "2048", "2048"},
    TChoiceItem{"4096", "4096", "4096"},
    TChoiceItem{"8192", "8192", "8192"},
    TChoiceItem{"16384", "16384", "16384"},
    TChoiceItem{"32768", "32768", "32768"},
    TChoiceItem{"65536", "65536", "65536"},
};
constexpr std::array AlgorithmList{TChoiceItem{"simple", "Простой", "Simple"},
                                   TChoiceItem{"timbre", "С сохранением тембра", "Timbre saving"}};
constexpr std::array DirectionList{TChoiceItem{"cw", "по часовой", "CW"},
                                   TChoiceItem{"ccw", "против часовой", "CCW"}};
constexpr std::array PasteTypeList{TChoiceItem{"replace", "замена", "replacement"},
                                   TChoiceItem{"insert", "добавление", "additional"},
                                   TChoiceItem{"mix", "смешение", "mixing"}};
constexpr std::array WaveList{TChoiceItem{"sine", "Синусойда", "Sinusoidal"},
                              TChoiceItem{"rectangle", "Прямоугольник", "Rectangular"},
                              TChoiceItem{"triangle", "Треугольник", "Triangular"}};
constexpr std::array ColourList{TChoiceItem{"white", "Белый", "White"},
                                TChoiceItem{"pink", "Розовый", "Pink"},
                                TChoiceItem{"brown", "Коричневый", "Brown"}};
// The band dialog's two radio buttons: keep the band (RB1) or delete it.
constexpr std::array BandModeList{
    TChoiceItem{"keep", "Выделить", "Allocate"},
    TChoiceItem{"remove", "Удалить диапазон частот", "Delete frequency spectra"}};

constexpr std::span<const TChoiceItem> Rates() {
    return RateList;
}
constexpr std::span<const TChoiceItem> Widths() {
    return BitsList;
}
constexpr std::span<const TChoiceItem> FFTSizes() {
    return FFTSizeList;
}

// ---------------------------------------------------------------------------------------------
// Ranges that depend on the document: its highest frequency is half its rate.

std::int64_t MaxFrequency(const TFormat& f) {
    return f.SampleRate / 2;
}
TRange UpToMaxFrequency(const TFormat& f) {
    return {1, MaxFrequency(f)};
}
TRange EqualizeStart(const TFormat& f) {
    return {1, MaxFrequency(f) - 32};
}
TRange EqualizeEnd(const TFormat& f) {
    return {33, MaxFrequency(f)};
}
TRange OffsetRange(const TFormat& f) {
    return {-(MaxFrequency(f) / 2), MaxFrequency(f) / 2};
}

// ---------------------------------------------------------------------------------------------
// Parameters

using V = TDialogValues;

constexpr std::array SilenceParams{
    Integer<&V::InsertSilence, &TInsertSilenceValues::LongEdit, 1, 30000>("ms", "LongEdit", "ms")};
constexpr std::array SpeedParams{
    Integer<&V::SetSpeed, &TSetSpeedValues::SpeedEdit, 20, 1000>("percent", "SpeedEdit", "%"),
    Choice<&V::SetSpeed, &TSetSpeedValues::AlgBox>("algorithm", "AlgBox", AlgorithmList),
    YesNo<&V::SetSpeed, &TSetSpeedValues::GlideCB>("glide", "GlideCB")};
constexpr std::array VolumeParams{
    Integer<&V::SetVolume, &TSetVolumeValues::VolumeEdit, 0, 999>("percent", "VolumeEdit", "%")};
constexpr std::array EchoParams{
    Integer<&V::AddEcho, &TAddEchoValues::nResponsesEdit, 1, 8>("count", "nResponsesEdit", ""),
    Integer<&V::AddEcho, &TAddEchoValues::ResponseDelayEdit, 1, 1000>("delay", "ResponseDelayEdit",
                                                                      "ms"),
    Integer<&V::AddEcho, &TAddEchoValues::ResponseVolumeEdit, 0, 100>("volume",
                                                                      "ResponseVolumeEdit", "%")};
constexpr std::array ReverbParams{
    Integer<&V::Revebration, &TRevebrationValues::nReflectionsEdit, 1, 8>("count",
                                                                          "nReflectionsEdit", ""),
    Integer<&V::Revebration, &TRevebrationValues::ReflectionDelayEdit, 1, 500>(
        "delay", "ReflectionDelayEdit", "ms"),
    Integer<&V::Revebration, &TRevebrationValues::ReflectionVolumeEdit, 0, 100>(
        "volume", "ReflectionVolumeEdit", "%")};
constexpr std::array EqualizeParams{Ranged<&V::Equalize, &TEqualizeValues::StFrqEd>(
                                        "from", "StFrqEd", &EqualizeStart, "1..RATE/2-32", "Hz"),
                                    Ranged<&V::Equalize, &TEqualizeValues::FnFrqEd>(
                                        "to", "FnFrqEd", &EqualizeEnd, "33..RATE/2", "Hz"),
                                    TParameter{"gains",
                                               "TrackBar1..TrackBar16",
                                               TParamType::NumberList,
                                               &Fixed<0, 200>,
                                               nullptr,
                                               {},
                                               16,
                                               "%",
                                               &LoadList<&V::Equalize, &TEqualizeValues::Gains>,
                                               &StoreList<&V::Equalize, &TEqualizeValues::Gains>}};
constexpr std::array FilterParams{
    Ranged<&V::SelDelSpectra, &TSelDelSpectraValues::SE1>("low", "SE1", &UpToMaxFrequency,
                                                          "1..RATE/2", "Hz"),
    Ranged<&V::SelDelSpectra, &TSelDelSpectraValues::SE2>("high", "SE2", &UpToMaxFrequency,
                                                          "1..RATE/2", "Hz"),
    // RB1 on means keep: item 0 is "keep", and the record holds whether RB1 is on.
    TParameter{
        "mode", "RB1", TParamType::Choice, nullptr, nullptr, BandModeList, 1, "",
        [](const V& v) -> TValue { return std::int64_t{v.SelDelSpectra.RB1 ? 0 : 1}; },
        [](V& v, const TValue& x) { v.SelDelSpectra.RB1 = std::get<std::int64_t>(x) == 0; }}};
constexpr std::array OffsetParams{Ranged<&V::OffsetSpectra, &TOffsetSpectraValues::OffsetEdit>(
    "hz", "OffsetEdit", &OffsetRange, "-RATE/4..RATE/4", "Hz")};
constexpr std::array StretchParams{
    Integer<&V::MultSpectra, &TMultSpectraValues::MultEdit, 50, 200>("percent", "MultEdit", "%")};
constexpr std::array RateParams{
    Listed<&V::SampleRateChange, &TSampleRateChangeValues::NewValueBox, &Rates>(
        "rate", "NewValueBox", "Hz")};
constexpr std::array BitsParams{
    Listed<&V::ChangeBits, &TChangeBitsValues::NewValue, &Widths>("bits", "NewValue", "bit")};
constexpr std::array BrainWavesParams{
    Integer<&V::AddBrainWaves, &TAddBrainWavesValues::FreqEdit, 1, 40>("hz", "FreqEdit", "Hz")};
constexpr std::array RotateParams{
    Integer<&V::RoundSound, &TRoundSoundValues::LongRound, 1, 999>("period", "LongRound", "s"),
    Choice<&V::RoundSound, &TRoundSoundValues::DirectRound>("direction", "DirectRound",
                                                            DirectionList)};
constexpr std::array ToneParams{
    Choice<&V::CreateFreq, &TCreateFreqValues::Waveform>("wave", "RadioButton1..3", WaveList),
    Integer<&V::CreateFreq, &TCreateFreqValues::FreqValueEdit, 1, 22050>("freq", "FreqValueEdit",
                                                                         "Hz"),
    Integer<&V::CreateFreq, &TCreateFreqValues::VolumeBar, 0, 100>("volume", "VolumeBar", "%"),
    Choice<&V::CreateFreq, &TCreateFreqValues::PasteTypeBox>("mode", "PasteTypeBox", PasteTypeList),
    Integer<&V::CreateFreq, &TCreateFreqValues::LongEdit, 1, 100000>("seconds", "LongEdit", "s")};
constexpr std::array NoiseParams{
    Choice<&V::CreateNoise, &TCreateNoiseValues::Colour>("colour", "RadioButton1..3", ColourList),
    Integer<&V::CreateNoise, &TCreateNoiseValues::VolumeBar, 0, 100>("volume", "VolumeBar", "%"),
    Choice<&V::CreateNoise, &TCreateNoiseValues::PasteTypeBox>("mode", "PasteTypeBox",
                                                               PasteTypeList),
    Integer<&V::CreateNoise, &TCreateNoiseValues::LongEdit, 1, 100000>("seconds", "LongEdit", "s")};
constexpr std::array SpectrumParams{
    Listed<&V::SpectraAnalys, &TSpectraAnalysValues::FFTSizeBox, &FFTSizes>("size", "FFTSizeBox",
                                                                            "")};
constexpr std::array InsertFileParams{TParameter{
    "path", "OpenDialog", TParamType::FilePath, nullptr, nullptr, {}, 1, "", nullptr, nullptr}};
constexpr std::array ConnectFilesParams{
    Integer<&V::ConnectFiles, &TFilesValues::ChnBox, 1, 8>("channels", "ChnBox", ""),
    Listed<&V::ConnectFiles, &TFilesValues::HzBox, &Rates>("rate", "HzBox", "Hz"),
    Listed<&V::ConnectFiles, &TFilesValues::BitBox, &Widths>("bits", "BitBox", "bit")};
constexpr std::array MixFilesParams{
    Integer<&V::MixFiles, &TFilesValues::ChnBox, 1, 8>("channels", "ChnBox", ""),
    Listed<&V::MixFiles, &TFilesValues::HzBox, &Rates>("rate", "HzBox", "Hz"),
    Listed<&V::MixFiles, &TFilesValues::BitBox, &Widths>("bits", "BitBox", "bit")};
constexpr std::array NewProjectParams{
    Integer<&V::NewProject, &TNewProjectValues::nChannelsEdit, 1, 8>("channels", "nChannelsEdit",
                                                                     ""),
    Listed<&V::NewProject, &TNewProjectValues::SamplesPerSecCB, &Rates>("rate", "SamplesPerSecCB",
                                                                        "Hz"),
    Listed<&V::NewProject, &TNewProjectValues::nBitsCB, &Widths>("bits", "nBitsCB", "bit")};

// ---------------------------------------------------------------------------------------------
// Checks and settling that the dialogs do and the command line repeats

constexpr std::uint64_t MaxSamples = 0xFFFFFFFFULL;

std::optional<TMessage> TooLong(std::uint64_t samples) {
    if (samples <= MaxSamples) {
        return std::nullopt;
    }
    const std::string count = std::to_string(samples);
    return TMessage{"слишком длинный результат: " + count + " отсчетов, предел 4294967295 отсчетов",
                    "too long: " + count + " samples; the limit is 4294967295 samples"};
}

std::optional<TMessage> CheckSilence(const TDialogValues& v, const TFormat& f) {
    return TooLong(
        static_cast<std::uint64_t>(std::llrint(v.InsertSilence.LongEdit / 1000.0L * f.SampleRate)));
}
std::optional<TMessage> CheckTone(const TDialogValues& v, const TFormat& f) {
    return TooLong(static_cast<std::uint64_t>(v.CreateFreq.LongEdit) * f.SampleRate);
}
std::optional<TMessage> CheckNoise(const TDialogValues& v, const TFormat& f) {
    return TooLong(static_cast<std::uint64_t>(v.CreateNoise.LongEdit) * f.SampleRate);
}
std::optional<TMessage> CheckEqualize(const TDialogValues& v, const TFormat& f) {
    if (f.SampleRate / 2 < 34) {
        return TMessage{"частота дискретизации слишком мала", "the sample rate is too low"};
    }
    if (v.Equalize.StFrqEd >= v.Equalize.FnFrqEd) {
        return TMessage{"начало диапазона должно быть ниже конца", "from must be below to"};
    }
    return std::nullopt;
}

// The band dialog's OK: the band always runs from SE1 up to SE2.
void SettleBand(TDialogValues& v) {
    if (v.SelDelSpectra.SE2 < v.SelDelSpectra.SE1) {
        std::swap(v.SelDelSpectra.SE1, v.SelDelSpectra.SE2);
    }
}

TFormat OneChannelMore(const TFormat& f, const TDialogValues& /*v*/) {
    return {static_cast<std::uint16_t>(f.Channels + 1), f.SampleRate};
}
TFormat OneChannelLess(const TFormat& f, const TDialogValues& /*v*/) {
    return {static_cast<std::uint16_t>(f.Channels - 1), f.SampleRate};
}
TFormat NewRate(const TFormat& f, const TDialogValues& v) {
    return {f.Channels, v.SampleRateChange.NewValueBox};
}

// ---------------------------------------------------------------------------------------------
// The table

constexpr unsigned Doc = NeedsDocument;
constexpr unsigned Audio = NeedsDocument | NeedsAudio;

constexpr std::array<TOperationInfo, OperationCount> Table{{
    {CopyTo, "Копирование в буфер обмена", "Copying into clipboard", false, "copy",
     "the selection (or everything) of the chosen channels into the clipboard", Audio},
    {Cut, "Вырезание в буфер обмена", "Cutting", true, "cut", "copy, then delete", Audio},
    {Undo, "Откат назад на одну операцию", "Undoing last operation", false, "undo",
     "back to the newest restore point", Doc | NeedsRestorePoint},
    {Redo, "Возврат отмененной операции", "Redoing last operation", false, "redo",
     "brings back what the last undo took", Doc | NeedsRedoPoint},
    {Insert, "Вставка с добавлением", "Inserting", true, "paste",
     "the clipboard inserted at the cursor", Doc | NeedsClipboard},
    {Mix, "Вставка со смешением звучаний", "Inserting", true, "paste-mix",
     "the clipboard mixed in at the cursor", Doc | NeedsClipboard},
    {Overwrite, "Вставка с заменой", "Inserting", true, "paste-overwrite",
     "the clipboard written over what follows the cursor", Doc | NeedsClipboard},
    {InsertSilence, "Вставка тишины", "Inserting silence", true, "silence",
     "silence inserted at the cursor", Doc, SilenceParams, nullptr, &CheckSilence},
    {Delete, "Удаление фрагмента", "Deleting", true, "delete",
     "removes the selection (or everything)", Audio},
    {Erase, "Стирание фрагмента", "Erasing", true, "erase",
     "silences the selection (or everything)", Audio},
    {SetSpeed, "Изменение скорости звучания", "Setting speed ", true, "speed", "tempo change",
     Audio, SpeedParams},
    {SetVolume, "Изменение уровня громкости", "Changing volume", true, "volume", "volume change",
     Audio, VolumeParams},
    {NormalizeVolume, "Выравнивание уровня громкости", "Normalizing volume", true, "normalize",
     "peak to full scale", Audio},
    {UpVolume, "Плавное повышение громкости", "Fading in", true, "fade-in", "fade in", Audio},
    {DownVolume, "Плавное понижение громкости", "Fading out", true, "fade-out", "fade out", Audio},
    {Reverse, "Обращение звучания", "Reversing", true, "reverse", "plays backwards", Audio},
    {AddEcho, "Добавление эха", "Echo", true, "echo", "echo", Audio, EchoParams},
    {Revebration, "Добавление ревебрации", "Reverberation", true, "reverb", "reverberation", Audio,
     ReverbParams},
    {Invert, "Инвертирование", "Inverting", true, "invert", "turns the waveform upside down",
     Audio},
    {Equalize, "Регулировка баланса частот", "Equalizing", true, "equalize", "16-band equaliser",
     Audio, EqualizeParams, nullptr, &CheckEqualize},
    {SelDelSpectra, "Выделение/удаление диапазона частот", "Frequency filter", true, "filter",
     "keeps or removes a frequency band", Audio, FilterParams, &SettleBand},
    {OffsetSpectra, "Сдвиг спектра частот", "Offset of frequency spectra", true, "offset",
     "shifts the spectrum", Audio, OffsetParams},
    {MultiSpectra, "Сужение/растяжение спектра частот", "Frequency spectra stretching", true,
     "stretch", "stretches or squeezes the spectrum", Audio, StretchParams},
    {SampleRateChange, "Изменение частоты дискретизации", "Changing samplerate", true, "samplerate",
     "converts the whole document's sample rate", Doc, RateParams, nullptr, nullptr, &NewRate},
    {nBitsChange, "Изменение четкости", "Changing bit resolution", true, "bits",
     "converts the whole document's bit resolution", Doc, BitsParams},
    {AddChannel,
     "Добавление аудиоканала",
     "Adding audiochannel",
     true,
     "add-channel",
     "adds a silent channel",
     Doc,
     {},
     nullptr,
     nullptr,
     &OneChannelMore},
    {DelChannel,
     "Удаление текущего канала",
     "Deleting audiochannel ",
     true,
     "delete-channel",
     "deletes the chosen channel (choose one with `channel n=N` first)",
     Doc | NeedsOneOfSeveralChannels,
     {},
     nullptr,
     nullptr,
     &OneChannelLess},
    {AddBrainWaves, "Добавление бинаурального ритма", "Adding brain waves", true, "brainwaves",
     "binaural beats", Audio, BrainWavesParams},
    {RoundSound, "Добавление вращения каналов", "Adding rotating", true, "rotate",
     "sound rotating between the channels", Audio, RotateParams},
    {CreateFreq, "Генерация частоты", "Generating frequency", true, "tone", "a tone at the cursor",
     Doc, ToneParams, nullptr, &CheckTone},
    {CreateNoise, "Синтез шума", "Generating noise ", true, "noise", "noise at the cursor", Doc,
     NoiseParams, nullptr, &CheckNoise},
    {AllAnalys, "Общий анализ", "General analysis", false, "stats",
     "prints the nine lines of the statistics", Audio},
    {FreqAnalys, "Анализ частотного спектра", "Analysis of frequency specta", false, "spectrum",
     "averaged spectrum written as CSV rows bin,hz,magnitude", Audio, SpectrumParams},
    {InsFromFile, "Вставка файла", "Inserting", true, "insert-file",
     "a .wav or .mp3 file inserted at the cursor", Doc, InsertFileParams},
    {SaveSelection, "Копирование выделенного", "Copying", false, "save-selection",
     "the selection (or everything) of the chosen channels saved as a file", Audio},
    {ConnectFiles, "Соединение аудиофайлов", "Connecting files", false, "join",
     "every open document one after another, in order of last activation, into a new document", Doc,
     ConnectFilesParams},
    {MixFiles, "Смешение аудиофайлов", "Mixing files ", false, "mix",
     "every open document mixed into a new document", Doc, MixFilesParams},
    {BuildGraph, "Построение графика", "Creating graph", false, nullptr, nullptr, 0},
}};

constexpr bool InEnumOrder() {
    for (std::size_t i = 0; i < Table.size(); ++i) {
        if (static_cast<std::size_t>(Table[i].Operation) != i) {
            return false;
        }
    }
    return true;
}
static_assert(InEnumOrder(), "the table is indexed by the operation");

}  // namespace

std::string TMessage::Text(const std::string& language) const {
    // A text that is the same in both languages is shown whatever the language word.
    return Russian == English ? Russian : Pick(language, Russian, English);
}

TValue TParameter::Default() const {
    if (Load == nullptr) {
        return std::string();
    }
    return Load(TDialogValues{});
}

TValue TParameter::DefaultFor(const TFormat& format) const {
    TValue value = Default();
    if (Type == TParamType::Integer && Range != nullptr) {
        value = Range(format).Clamp(std::get<std::int64_t>(value));
    }
    return value;
}

std::string TParameter::ItemText(std::size_t index, const std::string& language) const {
    if (index >= Items.size()) {
        return {};
    }
    return Pick(language, Items[index].Russian, Items[index].English);
}

std::span<const TOperationInfo> Operations() {
    return Table;
}

const TOperationInfo& Info(TOperation operation) {
    return Table.at(static_cast<std::size_t>(operation));
}

std::optional<TOperation> OperationByWord(const std::string& word) {
    for (const auto& info : Table) {
        if (word == info.Word) {
            return info.Operation;
        }
    }
    return std::nullopt;
}

std::optional<TOperation> OperationByCliWord(const std::string& word) {
    for (const auto& info : Table) {
        if (info.CliWord != nullptr && word == info.CliWord) {
            return info.Operation;
        }
    }
    return std::nullopt;
}

const TParameter* FindParameter(const TOperationInfo& info, const std::string& key) {
    const auto it = std::find_if(info.Parameters.begin(), info.Parameters.end(),
                                 [&](const TParameter& p) { return key == p.Key; });
    return it == info.Parameters.end() ? nullptr : &*it;
}

std::string Caption(TOperation operation, const std::string& language) {
    const auto& info = Info(operation);
    return Pick(language, info.Word, info.English);
}

std::span<const TParameter> NewProjectParameters() {
    return NewProjectParams;
}

std::span<const TChoiceItem> SampleRateItems() {
    return RateList;
}

std::span<const TChoiceItem> BitsItems() {
    return BitsList;
}

std::int64_t ItemNumber(std::span<const TChoiceItem> items, std::size_t index) {
    return index < items.size() ? std::strtoll(items[index].Word, nullptr, 10) : 0;
}

std::string RestorePointCaption(const std::string& language) {
    return Pick(language, "Создание точки отката", "Creating restoration point");
}

std::string OpeningFileCaption(const std::string& language) {
    return Pick(language, "Открытие файла", "Opening file");
}

}  // namespace sonavel
