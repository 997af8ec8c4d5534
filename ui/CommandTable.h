#pragma once

#include <bitset>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

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

// What the enabling rule looks at.
struct TCommandState {
    bool HasDocument = false;
    bool Recording = false;        // the active document records (or its recording is winding up)
    bool Empty = true;             // the active document's stream holds no sample
    bool HasRestorePoint = false;  // the active document can be undone
    bool ClipboardHasAudio = false;
};

// The commands that work on a document (all but new, open, settings, help and about).
bool IsDocumentCommand(TCommand command);
// The document commands that need audio in the document.
bool NeedsAudio(TCommand command);

// The enabling rule of the main window's commands.
TCommandSet EnabledCommands(const TCommandState& state);

}  // namespace sonavel
