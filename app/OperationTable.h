#pragma once

#include <optional>
#include <string>

namespace sonavel {

// Every operation the worker runs on the active document. Each has its Russian operation
// word (which also keys it, and is its caption in the Russian interface), its English
// caption, and whether it changes the document (restore point first, graph rebuilt after).
enum class TOperation {
    CopyToClipboard,
    Cut,
    Undo,
    PasteInsert,
    PasteMix,
    PasteOverwrite,
    InsertSilence,
    DeleteFragment,
    EraseFragment,
    SetSpeed,
    SetVolume,
    Normalize,
    FadeIn,
    FadeOut,
    Reverse,
    AddEcho,
    Reverberation,
    Invert,
    Equalize,
    FilterBand,
    OffsetSpectrum,
    StretchSpectrum,
    ChangeSampleRate,
    ChangeBits,
    AddChannel,
    DeleteChannel,
    AddBrainWaves,
    RotateChannels,
    GenerateTone,
    GenerateNoise,
    GeneralAnalysis,
    SpectrumAnalysis,
    InsertFile,
    CopySelection,
    JoinFiles,
    MixFiles,
    BuildGraph,
};

struct TOperationInfo {
    TOperation Operation;
    const char* Word;     // Russian operation word
    const char* English;  // English caption, exactly as shown (trailing spaces included)
    bool Undoable;
};

const TOperationInfo& Info(TOperation operation);
std::optional<TOperation> OperationByWord(const std::string& word);
// The progress caption in the interface language.
std::string Caption(TOperation operation, const std::string& language);

// Captions of steps that are not operations of their own.
std::string RestorePointCaption(const std::string& language);
std::string OpeningFileCaption(const std::string& language);

}  // namespace sonavel
