#pragma once

#include <bitset>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "app/OperationTable.h"
#include "app/Preconditions.h"

namespace sonavel {

// Every command of the main window's menu and tool bar.
enum class TCommand : std::uint8_t {
    NewFile,
    OpenFile,
    Save,
    SaveAs,
    SaveSelection,
    SampleRateChange,
    nBitsChange,
    CloseFile,
    Undo,
    Redo,
    Cut,
    CopyTo,
    Insert,
    Mix,
    Overwrite,
    InsertSilence,
    InsFromFile,
    Delete,
    Erase,
    AddChannel,
    DelChannel,
    ConnectFiles,
    MixFiles,
    SetSpeed,
    SetVolume,
    NormalizeVolume,
    UpVolume,
    DownVolume,
    AddEcho,
    Revebration,
    AddBrainWaves,
    RoundSound,
    Equalize,
    SelDelSpectra,
    OffsetSpectra,
    MultiSpectra,
    Reverse,
    Invert,
    CreateFreq,
    CreateNoise,
    FreqAnalys,
    AllAnalys,
    Settings,
    AudioSettings,
    Help,
    NewVersion,
    About,
};
inline constexpr std::size_t CommandCount = static_cast<std::size_t>(TCommand::About) + 1;
using TCommandSet = std::bitset<CommandCount>;

inline constexpr std::size_t Index(TCommand command) {
    return static_cast<std::size_t>(command);
}

// The menu item of a command, e.g. "SaveMI".
std::string_view MenuItemName(TCommand command);
std::optional<TCommand> CommandByMenuItem(std::string_view name);

// One row of the menu tree, in menu order: a top-level menu ("N1"), an item of the last
// top-level menu, or a separator.
struct TMenuRow {
    enum TKind : std::uint8_t { Top, Item, Separator };
    TKind Kind;
    const char* Name;  // top menus and items; the separators carry their form names too
    TCommand Command;  // items only
};
std::span<const TMenuRow> MenuTree();

// A tool button: its name, its x position (all sit at y 5) and the command it runs.
struct TToolButton {
    const char* Name;
    int Left;
    TCommand Command;
};
std::span<const TToolButton> ToolButtons();
inline constexpr int ToolButtonTop = 5;
inline constexpr int ToolButtonWidth = 23;
inline constexpr int ToolButtonHeight = 22;

// The operation a command runs, when it runs one of the operation table.
std::optional<TOperation> OperationOf(TCommand command);
// What a command needs before it can be chosen: its operation's requirements, or the file
// commands' own.
unsigned Requirements(TCommand command);

// The commands that work on a document (all but new, open, settings, help and about).
bool IsDocumentCommand(TCommand command);

// The enabling rule of the main window's commands.
TCommandSet EnabledCommands(const TConditionState& state);

}  // namespace sonavel
