#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace sonavel {

class TDocument;

// The values the parameter dialogs leave behind, named after their controls. The editor's
// dialogs and the command-line tool fill these; the dispatcher reads them. Each dialog lives
// for the whole run, so the values persist between uses; the initialisers are the defaults
// of the first use.

struct TNewProjectValues {
    int nChannelsEdit = 2;                 // 1..8
    std::string SamplesPerSecCB = "44100";  // one of the ten rates
    std::string nBitsCB = "16";            // 8, 16, 24, 32
};

struct TInsertSilenceValues {
    int LongEdit = 1000;  // ms, 1..30000
};

struct TSetSpeedValues {
    int SpeedEdit = 100;  // percent, 20..1000
    int AlgBox = 0;       // 0 simple, 1 timbre saving
    bool GlideCB = false;
};

struct TSetVolumeValues {
    int VolumeEdit = 100;  // percent, 0..999
};

struct TAddEchoValues {
    int nResponsesEdit = 2;       // 1..8
    int ResponseDelayEdit = 400;  // ms, 1..1000
    int ResponseVolumeEdit = 75;  // percent, 0..100
};

struct TRevebrationValues {
    int nReflectionsEdit = 4;       // 1..8
    int ReflectionDelayEdit = 8;    // ms, 1..500
    int ReflectionVolumeEdit = 95;  // percent, 0..100
};

struct TEqualizeValues {
    std::uint32_t MaxFrequency = 22050;  // SampleRate div 2 of the document, set by the command
    int StFrqEd = 1;                     // 1..MaxFrequency - 32
    int FnFrqEd = 22050;                 // 33..MaxFrequency
    std::array<std::uint8_t, 16> Gains{100, 100, 100, 100, 100, 100, 100, 100,
                                       100, 100, 100, 100, 100, 100, 100, 100};  // percent, 0..200
};

struct TSelDelSpectraValues {
    bool RB1 = true;  // keep the band; otherwise remove it
    int SE1 = 1;
    int SE2 = 99999;  // lowered to MaxFrequency when shown
};

struct TOffsetSpectraValues {
    int OffsetEdit = 0;  // Hz, +-(SampleRate div 2) div 2
};

struct TMultSpectraValues {
    int MultEdit = 100;  // percent, 50..200
};

struct TSampleRateChangeValues {
    std::string NewValueBox = "44100";
};

struct TChangeBitsValues {
    std::string NewValue = "16";
};

struct TAddBrainWavesValues {
    int FreqEdit = 8;  // Hz, 1..40
};

struct TRoundSoundValues {
    int LongRound = 4;    // seconds per turn, 1..999
    int DirectRound = 0;  // 0 clockwise, 1 counter-clockwise
};

struct TCreateFreqValues {
    int Waveform = 0;         // checked radio button: 0 sine, 1 rectangle, 2 triangle
    int FreqValueEdit = 333;  // Hz, 1..22050
    int LongEdit = 10;        // seconds, 1..100000
    int VolumeBar = 100;      // percent, 0..100
    int PasteTypeBox = 0;     // 0 replace, 1 insert, 2 mix
};

struct TCreateNoiseValues {
    int Colour = 0;  // checked radio button: 0 white, 1 pink, 2 brown
    int LongEdit = 10;
    int VolumeBar = 100;
    int PasteTypeBox = 0;
};

struct TSpectraAnalysValues {
    std::string FFTSizeBox = "2048";  // a power of two, 2..65536
};

// The new document's format and the source documents, in the order to join or mix them.
struct TFilesValues {
    std::string ChnBox = "2";
    std::string HzBox = "44100";
    std::string BitBox = "16";
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
