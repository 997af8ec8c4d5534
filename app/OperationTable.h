#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <variant>
#include <vector>

#include "app/DialogValues.h"

namespace sonavel {

// Every operation the worker runs on the active document, named after the command that
// starts it.
enum class TOperation : std::uint8_t {
    CopyTo,
    Cut,
    Undo,
    Redo,
    Insert,
    Mix,
    Overwrite,
    InsertSilence,
    Delete,
    Erase,
    SetSpeed,
    SetVolume,
    NormalizeVolume,
    UpVolume,
    DownVolume,
    Reverse,
    AddEcho,
    Revebration,
    Invert,
    Equalize,
    SelDelSpectra,
    OffsetSpectra,
    MultiSpectra,
    SampleRateChange,
    nBitsChange,
    AddChannel,
    DelChannel,
    AddBrainWaves,
    RoundSound,
    CreateFreq,
    CreateNoise,
    AllAnalys,
    FreqAnalys,
    InsFromFile,
    SaveSelection,
    ConnectFiles,
    MixFiles,
    BuildGraph,
};
inline constexpr std::size_t OperationCount = static_cast<std::size_t>(TOperation::BuildGraph) + 1;

// A text in both interface languages.
struct TMessage {
    std::string Russian;
    std::string English;
    std::string Text(const std::string& language) const;
};

// What a range may depend on: the document the operation will run on.
struct TFormat {
    std::uint16_t Channels = 0;
    std::uint32_t SampleRate = 0;
};

struct TRange {
    std::int64_t Min = 0;
    std::int64_t Max = 0;
    bool Contains(std::int64_t v) const { return v >= Min && v <= Max; }
    std::int64_t Clamp(std::int64_t v) const { return v < Min ? Min : v > Max ? Max : v; }
};

enum class TParamType : std::uint8_t {
    Integer,     // a whole number within its range
    Choice,      // one item of a list; the value is the item's index
    YesNo,       // 0 or 1
    NumberList,  // Count whole numbers, each within the range
    FilePath,    // a file name, required
};

// One item of a list: the command-line word and the texts the dialog shows.
struct TChoiceItem {
    const char* Word;
    const char* Russian;
    const char* English;
};

// Integers, item indexes and yes/no as a number, lists as numbers, paths as text.
using TValue = std::variant<std::int64_t, std::vector<std::int64_t>, std::string>;

// One parameter of an operation: where its value lives in the dialog record, what it may
// be, and how the command line names it. Its default is what a fresh dialog record holds.
struct TParameter {
    const char* Key;      // the command-line key
    const char* Control;  // the dialog control that holds it
    TParamType Type;
    TRange (*Range)(const TFormat&) = nullptr;  // numbers; may depend on the document
    const char* RangeText = nullptr;            // how help states a range that depends on it
    std::span<const TChoiceItem> Items = {};    // choices
    std::size_t Count = 1;                      // numbers of a list
    const char* Unit = "";
    TValue (*Load)(const TDialogValues&) = nullptr;
    void (*Store)(TDialogValues&, const TValue&) = nullptr;

    TValue Default() const;
    // The default a dialog shows for the document: a number past the range is brought into it.
    TValue DefaultFor(const TFormat& format) const;
    std::string ItemText(std::size_t index, const std::string& language) const;
};

// Conditions an operation needs. The enabling rule of the editor looks at Document, Audio,
// RestorePoint and Clipboard (audio in it); the run-time check at Document, RestorePoint,
// Clipboard (two samples at least) and OneOfSeveralChannels.
enum TRequirement : unsigned {
    NeedsDocument = 1U << 0,
    NeedsAudio = 1U << 1,         // the document holds samples
    NeedsRestorePoint = 1U << 2,  // something to undo
    NeedsClipboard = 1U << 3,     // audio to paste
    NeedsOneOfSeveralChannels = 1U << 4,
    NeedsRedoPoint = 1U << 5,  // something undone to bring back
};

struct TOperationInfo {
    TOperation Operation;
    const char* Word;     // Russian operation word; also the Russian caption
    const char* English;  // English caption, exactly as shown (trailing spaces included)
    bool Undoable;
    const char* CliWord;  // the command-line step; nullptr for none
    const char* Help;     // one line of the command-line help
    unsigned Requirements = NeedsDocument;
    std::span<const TParameter> Parameters = {};
    // What the dialog's OK does to its values before the operation reads them.
    void (*Settle)(TDialogValues&) = nullptr;
    // Values the document does not allow together, with the reason; none when they fit.
    std::optional<TMessage> (*Check)(const TDialogValues&, const TFormat&) = nullptr;
    // The document's channels and rate afterwards, for operations that change them.
    TFormat (*FormatAfter)(const TFormat&, const TDialogValues&) = nullptr;
};

std::span<const TOperationInfo> Operations();
const TOperationInfo& Info(TOperation operation);
std::optional<TOperation> OperationByWord(const std::string& word);
std::optional<TOperation> OperationByCliWord(const std::string& word);
const TParameter* FindParameter(const TOperationInfo& info, const std::string& key);
// The progress caption in the interface language.
std::string Caption(TOperation operation, const std::string& language);

// The new-project dialog's values, which the new, join and mix commands share in shape.
std::span<const TParameter> NewProjectParameters();
// The rates and widths the dialogs' lists offer.
std::span<const TChoiceItem> SampleRateItems();
std::span<const TChoiceItem> BitsItems();
std::int64_t ItemNumber(std::span<const TChoiceItem> items, std::size_t index);

// Captions of steps that are not operations of their own.
std::string RestorePointCaption(const std::string& language);
std::string OpeningFileCaption(const std::string& language);

}  // namespace sonavel
