#include "ui/CommandTable.h"

#include <algorithm>
#include <array>

namespace sonavel {

namespace {

using enum TCommand;

constexpr std::array<const char*, CommandCount> MenuItemNames{
    "NewFileMI",
    "OpenFileMI",
    "SaveMI",
    "SaveAsMI",
    "SaveSelectionMI",
    "SampleRateChangeMI",
    "nBitsChangeMI",
    "CloseFileMI",
    "UndoMI",
    "CutMI",
    "CopyToMI",
    "InsertMI",
    "MixMI",
    "OverwriteMI",
    "InsertSilenceMI",
    "InsFromFileMI",
    "DeleteMI",
    "EraseMI",
    "AddChannelMI",
    "DelChannelMI",
    "ConnectFilesMI",
    "MixFilesMI",
    "SetSpeedMI",
    "SetVolumeMI",
    "NormalizeVolumeMI",
    "UpVolumeMI",
    "DownVolumeMI",
    "AddEchoMI",
    "RevebrationMI",
    "AddBrainWavesMI",
    "RoundSoundMI",
    "EqualizeMI",
    "SelDelSpectraMI",
    "OffsetSpectraMI",
    "MultiSpectraMI",
    "ReverseMI",
    "InvertMI",
    "CreateFreqMI",
    "CreateNoiseMI",
    "FreqAnalysMI",
    "AllAnalysMI",
    "SettingsMI",
    "AudioSettingsMI",
    "HelpMI",
    "NewVersionMI",
    "AboutMI",
};

constexpr TMenuRow Top(const char* name) {
    return {TMenuRow::Top, name, NewFile};
}
constexpr TMenuRow Item(TCommand command) {
    return {TMenuRow::Item, MenuItemNames[Index(command)], command};
}
constexpr TMenuRow Separator(const char* name) {
    return {TMenuRow::Separator, name, NewFile};
}

constexpr std::array Menu{
    Top("N1"),
    Item(NewFile),
    Item(OpenFile),
    Separator("N5"),
    Item(Save),
    Item(SaveAs),
    Item(SaveSelection),
    Separator("N6"),
    Item(SampleRateChange),
    Item(nBitsChange),
    Separator("N7"),
    Item(CloseFile),
    Top("N2"),
    Item(Undo),
    Separator("N8"),
    Item(Cut),
    Item(CopyTo),
    Separator("N14"),
    Item(Insert),
    Item(Mix),
    Item(Overwrite),
    Item(InsertSilence),
    Item(InsFromFile),
    Separator("N15"),
    Item(Delete),
    Item(Erase),
    Separator("N3"),
    Item(AddChannel),
    Item(DelChannel),
    Top("N18"),
    Item(ConnectFiles),
    Item(MixFiles),
    Top("N13"),
    Item(SetSpeed),
    Separator("N16"),
    Item(SetVolume),
    Item(NormalizeVolume),
    Item(UpVolume),
    Item(DownVolume),
    Separator("N17"),
    Item(AddEcho),
    Item(Revebration),
    Item(AddBrainWaves),
    Item(RoundSound),
    Separator("N12"),
    Item(Equalize),
    Item(SelDelSpectra),
    Item(OffsetSpectra),
    Item(MultiSpectra),
    Separator("N4"),
    Item(Reverse),
    Item(Invert),
    Top("N19"),
    Item(CreateFreq),
    Item(CreateNoise),
    Top("N11"),
    Item(FreqAnalys),
    Item(AllAnalys),
    Top("N9"),
    Item(Settings),
    Item(AudioSettings),
    Top("N10"),
    Item(Help),
    Item(NewVersion),
    Item(About),
};

constexpr std::array Buttons{
    TToolButton{"SpeedButton1", 5, NewFile},
    TToolButton{"SpeedButton2", 30, OpenFile},
    TToolButton{"SpeedButton3", 55, Save},
    TToolButton{"SpeedButton22", 80, CloseFile},
    TToolButton{"SpeedButton4", 113, Undo},
    TToolButton{"SpeedButton5", 138, Cut},
    TToolButton{"SpeedButton6", 163, CopyTo},
    TToolButton{"SpeedButton7", 188, Insert},
    TToolButton{"SpeedButton8", 213, Mix},
    TToolButton{"SpeedButton9", 238, Overwrite},
    TToolButton{"SpeedButton10", 263, InsertSilence},
    TToolButton{"SpeedButton11", 288, Erase},
    TToolButton{"SpeedButton12", 313, Delete},
    TToolButton{"SpeedButton13", 348, SetSpeed},
    TToolButton{"SpeedButton14", 373, SetVolume},
    TToolButton{"SpeedButton15", 398, NormalizeVolume},
    TToolButton{"SpeedButton16", 423, UpVolume},
    TToolButton{"SpeedButton17", 448, DownVolume},
    TToolButton{"SpeedButton18", 473, Equalize},
    TToolButton{"SpeedButton19", 508, Settings},
    TToolButton{"SpeedButton20", 533, AudioSettings},
    TToolButton{"SpeedButton21", 568, Help},
};

constexpr std::array AlwaysEnabled{NewFile, OpenFile,   Settings, AudioSettings,
                                   Help,    NewVersion, About};

constexpr std::array AudioCommands{
    Save,          SaveAs,        SaveSelection, Cut,          CopyTo,
    Delete,        Erase,         SetSpeed,      SetVolume,    NormalizeVolume,
    UpVolume,      DownVolume,    Reverse,       AddEcho,      Revebration,
    Invert,        Equalize,      OffsetSpectra, MultiSpectra, FreqAnalys,
    SelDelSpectra, AddBrainWaves, AllAnalys,     RoundSound,
};

constexpr std::array PasteCommands{Insert, Mix, Overwrite};

}  // namespace

std::string_view MenuItemName(TCommand command) {
    return MenuItemNames.at(Index(command));
}

std::optional<TCommand> CommandByMenuItem(std::string_view name) {
    for (std::size_t i = 0; i < CommandCount; ++i) {
        if (name == MenuItemNames.at(i)) {
            return static_cast<TCommand>(i);
        }
    }
    return std::nullopt;
}

std::span<const TMenuRow> MenuTree() {
    return Menu;
}

std::span<const TToolButton> ToolButtons() {
    return Buttons;
}

bool IsDocumentCommand(TCommand command) {
    return std::find(AlwaysEnabled.begin(), AlwaysEnabled.end(), command) == AlwaysEnabled.end();
}

bool NeedsAudio(TCommand command) {
    return std::find(AudioCommands.begin(), AudioCommands.end(), command) != AudioCommands.end();
}

TCommandSet EnabledCommands(const TCommandState& state) {
    TCommandSet enabled;
    enabled.set();
    const auto disable = [&](TCommand command) { enabled.reset(Index(command)); };
    if (!state.HasDocument || state.Recording) {
        for (std::size_t i = 0; i < CommandCount; ++i) {
            if (IsDocumentCommand(static_cast<TCommand>(i))) {
                enabled.reset(i);
            }
        }
        return enabled;
    }
    if (state.Empty) {
        std::for_each(AudioCommands.begin(), AudioCommands.end(), disable);
    }
    if (!state.HasRestorePoint) {
        disable(Undo);
    }
    if (!state.ClipboardHasAudio) {
        std::for_each(PasteCommands.begin(), PasteCommands.end(), disable);
    }
    return enabled;
}

}  // namespace sonavel
