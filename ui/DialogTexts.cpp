#include "ui/DialogTexts.h"

#include <array>

#include "app/Language.h"

namespace sonavel {

namespace {

using T = TDialogText;

constexpr std::array InsertSilence{
    T{"", "Вставка тишины", "Silence"},
    T{"Label1", "Длительность тишины:", "Silence long:"},
    T{"Label2", "мс", "ms"},
};

constexpr std::array SetSpeed{
    T{"", "Изменение темпа звучания", "Speed of sound"},
    T{"Label1", "Установить скорость звучания", "Set speed"},
    T{"Label2", "% от текущей", "% of current"},
    T{"Label3", "Алгоритм:", "Algorithm:"},
    T{"GlideCB", "Плавное изменение темпа", "Smooth change of speed", "Плавное изменение темпа "},
};

constexpr std::array SetVolume{
    T{"", "Изменение уровня громкости", "Volume level"},
    T{"Label1", "Уровень громкости", "Set volume level"},
    T{"Label2", "% от текущего", "% of current"},
};

constexpr std::array AddEcho{
    T{"", "Добавление эха", "Echo"},
    T{"Label1", "Число откликов:", "Number reflections:"},
    T{"Label2", "Задержка между откликами:", "Delay between reflections:"},
    T{"Label3", "миллисекунд", "milliseconds"},
    T{"Label4", "Громкость отклика:", "Volume of reflection:"},
    T{"Label5", "% от последнего", "%"},
};

constexpr std::array Revebration{
    T{"", "Добавление реверберации", "Reverberation", "Добавление ревебрации"},
    T{"Label1", "Количество отражений:", "Number reflections:"},
    T{"Label2", "Задержка сигнала:", "Delay:"},
    T{"Label3", "миллисекунд", "milliseconds"},
    T{"Label4", "Громкость отражения:", "Volume of reflection:"},
    T{"Label5", "% от последнего", "%"},
};

constexpr std::array SampleRateChange{
    T{"", "Изменение частоты дискретизации", "Samplerate"},
    T{"Label1", "Гц", "Hz"},
    T{"BitBtn2", "Отмена", "Cancel"},
};

constexpr std::array ChangeBits{
    T{"", "Изменение четкости", "Bit resolution"},
    T{"Label1", "бит", "bit"},
};

constexpr std::array AddBrainWaves{
    T{"", "Бинауральные биения", "Brain Waves"},
    T{"Label1", "Частота воздействия:", "Frequency of influence:"},
    T{"Label2", "Гц", "Hz"},
};

constexpr std::array OffsetSpectra{
    T{"", "Сдвиг частотного спектра", "Offset frequency spectra"},
    T{"Label1", "Сдвинуть на ", "Move to "},
    T{"Label2", "Гц ", "Hz "},
};

constexpr std::array MultSpectra{
    T{"", "Сужение/растяжение спектра частот", "Strain of frequency spectra"},
    T{"Label1", "Коэффициент растяжения:", "Strain ratio:"},
    T{"Label2", "%", "%"},
};

// The radio buttons take their texts from the operation's items; RB2 is laid out with a
// trailing space.
constexpr std::array SelDelSpectra{
    T{"", "Выделение/удаление диапазона частот", "Frequency filter"},
    T{"RB2", nullptr, nullptr, "Удалить диапазон частот "},
    T{"Label1", "с ", "  "},
    T{"Label2", "по", "to"},
    T{"Label3", "Гц", "Hz"},
};

constexpr std::array RoundSound{
    T{"", "Вращение каналов", "Rotation of sound"},
    T{"Label1", "Длительность оборота:", "Period of rotation:"},
    T{"Label2", "сек.", "sec."},
    T{"Label3", "Направление вращения:", "Direct of rotation:"},
};

constexpr std::array CreateFreq{
    T{"", "Генерация частоты", "Frequency generation"},
    T{"Label1", "Значение частоты:", "Frequency value:"},
    T{"Label2", "Гц", "Hz"},
    T{"Label3", "Длительность:", "Long:"},
    T{"Label4", "сек.", "sec."},
    T{"Label5", "Громкость генерируемого сигнала:", "Signal volume:"},
    T{"Label6", "Метод вставки:", "Paste mode:"},
    T{"GroupBox2", "Вид несущей волны", "Wave form"},
};

constexpr std::array CreateNoise{
    T{"", "Синтез шума", "Synthesis of noise"},
    T{"Label1", "Длительность:", "Long:"},
    T{"Label2", "сек.", "sec."},
    T{"Label5", "Громкость генерируемого сигнала:", "Volume:"},
    T{"Label6", "Метод вставки:", "Paste mode:"},
    T{"GroupBox2", "Вид шума", "Noise type"},
};

constexpr std::array Equalize{
    T{"", "Регулировка баланса частот (эквалайзер)", "Frequency equalizer"},
    T{"Label4", "Регулируемый диапазон от ", "Equalize range from "},
    T{"Label5", "до", "to"},
    T{"Label6", "Гц", "Hz"},
    T{"SetRangeBtn", "Установить диапазон", "Set range"},
};

}  // namespace

std::span<const TDialogText> DialogTexts(TOperation operation) {
    switch (operation) {
        case TOperation::InsertSilence:
            return InsertSilence;
        case TOperation::SetSpeed:
            return SetSpeed;
        case TOperation::SetVolume:
            return SetVolume;
        case TOperation::AddEcho:
            return AddEcho;
        case TOperation::Revebration:
            return Revebration;
        case TOperation::SampleRateChange:
            return SampleRateChange;
        case TOperation::nBitsChange:
            return ChangeBits;
        case TOperation::AddBrainWaves:
            return AddBrainWaves;
        case TOperation::OffsetSpectra:
            return OffsetSpectra;
        case TOperation::MultiSpectra:
            return MultSpectra;
        case TOperation::SelDelSpectra:
            return SelDelSpectra;
        case TOperation::RoundSound:
            return RoundSound;
        case TOperation::CreateFreq:
            return CreateFreq;
        case TOperation::CreateNoise:
            return CreateNoise;
        case TOperation::Equalize:
            return Equalize;
        default:
            return {};
    }
}

const char* TextFor(const TDialogText& text, const std::string& language) {
    const char* chosen = nullptr;
    if (language == Russian) {
        chosen = text.Russian;
    }
    if (language == English) {
        chosen = text.English;
    }
    return chosen;
}

}  // namespace sonavel
