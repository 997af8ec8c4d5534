#include "ui/CommandTable.h"

#include <algorithm>
#include <array>

namespace sonavel {

namespace {

using enum TCommand;

constexpr std::array<const char*, CommandCount> MenuItemNames{
    "NewFileMI",       "OpenFileMI",
    "SaveMI",          "SaveAsMI",
    "SaveSelectionMI", "SampleRateChangeMI",
    "nBitsChangeMI",   "CloseFileMI",
    "UndoMI",          "RedoMI",
    "CutMI",           "CopyToMI",
    "InsertMI",        "MixMI",
    "OverwriteMI",     "InsertSilenceMI",
    "InsFromFileMI",   "DeleteMI",
    "EraseMI",         "AddChannelMI",
    "DelChannelMI",    "ConnectFilesMI",
    "MixFilesMI",      "SetSpeedMI",
    "SetVolumeMI",     "NormalizeVolumeMI",
    "UpVolumeMI",      "DownVolumeMI",
    "AddEchoMI",       "RevebrationMI",
    "AddBrainWavesMI", "RoundSoundMI",
    "EqualizeMI",      "SelDelSpectraMI",
    "OffsetSpectraMI", "MultiSpectraMI",
    "ReverseMI",       "InvertMI",
    "CreateFreqMI",    "CreateNoiseMI",
    "FreqAnalysMI",    "AllAnalysMI",
    "SettingsMI",      "AudioSettingsMI",
    "HelpMI",          "NewVersionMI",
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
    Item(Redo),
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
    TToolButton{"SpeedButton23", 600, Redo},
};

struct TCommandOperation {
    TCommand Command;
    TOperation Operation;
};

// Commands and operations share their names; the pairs say which commands are operations.
constexpr std::array CommandOperations{
    TCommandOperation{SaveSelection, TOperation::SaveSelection},
    TCommandOperation{SampleRateChange, TOperation::SampleRateChange},
    TCommandOperation{nBitsChange, TOperation::nBitsChange},
    TCommandOperation{Undo, TOperation::Undo},
    TCommandOperation{Redo, TOperation::Redo},
    TCommandOperation{Cut, TOperation::Cut},
    TCommandOperation{CopyTo, TOperation::CopyTo},
    TCommandOperation{Insert, TOperation::Insert},
    TCommandOperation{Mix, TOperation::Mix},
    TCommandOperation{Overwrite, TOperation::Overwrite},
    TCommandOperation{InsertSilence, TOperation::InsertSilence},
    TCommandOperation{InsFromFile, TOperation::InsFromFile},
    TCommandOperation{Delete, TOperation::Delete},
    TCommandOperation{Erase, TOperation::Erase},
    TCommandOperation{AddChannel, TOperation::AddChannel},
    TCommandOperation{DelChannel, TOperation::DelChannel},
    TCommandOperation{ConnectFiles, TOperation::ConnectFiles},
    TCommandOperation{MixFiles, TOperation::MixFiles},
    TCommandOperation{SetSpeed, TOperation::SetSpeed},
    TCommandOperation{SetVolume, TOperation::SetVolume},
    TCommandOperation{NormalizeVolume, TOperation::NormalizeVolume},
    TCommandOperation{UpVolume, TOperation::UpVolume},
    TCommandOperation{DownVolume, TOperation::DownVolume},
    TCommandOperation{AddEcho, TOperation::AddEcho},
    TCommandOperation{Revebration, TOperation::Revebration},
    TCommandOperation{AddBrainWaves, TOperation::AddBrainWaves},
    TCommandOperation{RoundSound, TOperation::RoundSound},
    TCommandOperation{Equalize, TOperation::Equalize},
    TCommandOperation{SelDelSpectra, TOperation::SelDelSpectra},
    TCommandOperation{OffsetSpectra, TOperation::OffsetSpectra},
    TCommandOperation{MultiSpectra, TOperation::MultiSpectra},
    TCommandOperation{Reverse, TOperation::Reverse},
    TCommandOperation{Invert, TOperation::Invert},
    TCommandOperation{CreateFreq, TOperation::CreateFreq},
    TCommandOperation{CreateNoise, TOperation::CreateNoise},
    TCommandOperation{FreqAnalys, TOperation::FreqAnalys},
    TCommandOperation{AllAnalys, TOperation::AllAnalys},
};

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

std::optional<TOperation> OperationOf(TCommand command) {
    for (const auto& pair : CommandOperations) {
        if (pair.Command == command) {
            return pair.Operation;
        }
    }
    return std::nullopt;
}

unsigned Requirements(TCommand command) {
    if (const auto operation = OperationOf(command)) {
        return Info(*operation).Requirements;
    }
    switch (command) {
        case Save:
        case SaveAs:
            return NeedsDocument | NeedsAudio;
        case CloseFile:
            return NeedsDocument;
        default:
            return 0;  // new, open, settings, help and about work in every state
    }
}

bool IsDocumentCommand(TCommand command) {
    return (Requirements(command) & NeedsDocument) != 0;
}

TCommandSet EnabledCommands(const TConditionState& state) {
    TCommandSet enabled;
    for (std::size_t i = 0; i < CommandCount; ++i) {
        enabled.set(i, Enabled(Requirements(static_cast<TCommand>(i)), state));
    }
    return enabled;
}

}  // namespace sonavel
