#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace sonavel {

class TDocument;

// The values the parameter dialogs leave behind, named after their controls and held as
// the values they stand for (numbers as numbers, list choices as their enums). The editor's
// dialogs and the command-line tool fill these; the dispatcher reads them. Each dialog lives
// for the whole run, so the values persist between uses; the initialisers are the defaults
// of the first use, and the operation table reads its defaults from them.

enum class TSpeedAlgorithm : std::uint8_t { Simple, TimbreSaving };
enum class TRotationDirection : std::uint8_t { Clockwise, CounterClockwise };
enum class TWaveForm : std::uint8_t { Sine, Rectangle, Triangle };
enum class TNoiseColour : std::uint8_t { White, Pink, Brown };
enum class TPasteType : std::uint8_t { Replace, Insert, Mix };

struct TNewProjectValues {
    int nChannelsEdit = 2;
    std::uint32_t SamplesPerSecCB = 44100;
    int nBitsCB = 16;
};

struct TInsertSilenceValues {
    int LongEdit = 1000;  // ms
};

struct TSetSpeedValues {
    int SpeedEdit = 100;  // percent of the current tempo
    TSpeedAlgorithm AlgBox = TSpeedAlgorithm::Simple;
    bool GlideCB = false;
};

struct TSetVolumeValues {
    int VolumeEdit = 100;  // percent
};

struct TAddEchoValues {
    int nResponsesEdit = 2;
    int ResponseDelayEdit = 400;  // ms
    int ResponseVolumeEdit = 75;  // percent
};

struct TRevebrationValues {
    int nReflectionsEdit = 4;
    int ReflectionDelayEdit = 8;    // ms
    int ReflectionVolumeEdit = 95;  // percent
};

struct TEqualizeValues {
    int StFrqEd = 1;      // Hz
    int FnFrqEd = 22050;  // Hz
    std::array<std::uint8_t, 16> Gains{100, 100, 100, 100, 100, 100, 100, 100,
                                       100, 100, 100, 100, 100, 100, 100, 100};  // percent
};

struct TSelDelSpectraValues {
    bool RB1 = true;  // keep the band; otherwise remove it
    int SE1 = 1;      // Hz
    int SE2 = 99999;  // Hz; lowered to the document's highest frequency when shown
};

struct TOffsetSpectraValues {
    int OffsetEdit = 0;  // Hz
};

struct TMultSpectraValues {
    int MultEdit = 100;  // percent
};

struct TSampleRateChangeValues {
    std::uint32_t NewValueBox = 44100;  // Hz
};

struct TChangeBitsValues {
    int NewValue = 16;
};

struct TAddBrainWavesValues {
    int FreqEdit = 8;  // Hz
};

struct TRoundSoundValues {
    int LongRound = 4;  // seconds per turn
    TRotationDirection DirectRound = TRotationDirection::Clockwise;
};

struct TCreateFreqValues {
    TWaveForm Waveform = TWaveForm::Sine;  // the checked radio button
    int FreqValueEdit = 333;               // Hz
    int LongEdit = 10;                     // seconds
    int VolumeBar = 100;                   // percent
    TPasteType PasteTypeBox = TPasteType::Replace;
};

struct TCreateNoiseValues {
    TNoiseColour Colour = TNoiseColour::White;  // the checked radio button
    int LongEdit = 10;
    int VolumeBar = 100;
    TPasteType PasteTypeBox = TPasteType::Replace;
};

struct TSpectraAnalysValues {
    std::uint32_t FFTSizeBox = 2048;
};

// The new document's format and the source documents, in the order to join or mix them.
struct TFilesValues {
    int ChnBox = 2;
    std::uint32_t HzBox = 44100;
    int BitBox = 16;
    std::vector<TDocument*> Order;
};

struct TDialogValues {
    TNewProjectValues NewProject;
    TInsertSilenceValues InsertSilence;
    TSetSpeedValues SetSpeed;
    TSetVolumeValues SetVolume;
    TAddEchoValues AddEcho;
    TRevebrationValues Revebration;
    TEqualizeValues Equalize;
    TSelDelSpectraValues SelDelSpectra;
    TOffsetSpectraValues OffsetSpectra;
    TMultSpectraValues MultSpectra;
    TSampleRateChangeValues SampleRateChange;
    TChangeBitsValues ChangeBits;
    TAddBrainWavesValues AddBrainWaves;
    TRoundSoundValues RoundSound;
    TCreateFreqValues CreateFreq;
    TCreateNoiseValues CreateNoise;
    TSpectraAnalysValues SpectraAnalys;
    TFilesValues ConnectFiles;
    TFilesValues MixFiles;
};

}  // namespace sonavel
