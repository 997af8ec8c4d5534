#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/FileUtils.h"
#include "core/SampleScale.h"
#include "spectra/Complex.h"

namespace sonavel {

// Transport state of a stream, handed between the user interface, the timer and the
// playback/recording engine by polling.
enum class TTransportState : std::uint8_t { Stopped, Starting, Starting2, Started, Stopping };

// "stopped", "starting", "starting2", "started", "stopping".
const char* StateWord(TTransportState state);

inline constexpr int MaxLevelChannels = 128;

// The audio document: a multichannel PCM signal living on disk, one headerless little-endian
// file per channel in ChannelFolder() (inside TempPath()). Samples are seen on the common scale of
// MaxLevel whatever their stored width. Channel arguments of the fragment operations are -1 for all
// channels (in ascending order) or one 0-based channel.
class TAudioStream {
  public:
    // Creates channelCount empty channels.
    TAudioStream(std::uint16_t channelCount, std::uint16_t bitsPerSample, std::uint32_t sampleRate);
    // An empty stream with no channels, for readers and CopyTo to fill.
    TAudioStream() : TAudioStream(0, 16, 44100) {}
    // Closes and deletes every channel file.
    ~TAudioStream();
    TAudioStream(const TAudioStream&) = delete;
    TAudioStream& operator=(const TAudioStream&) = delete;

    // --- Format. ChannelCount, BytesPerSample and ValueRange are kept up to date by the
    // stream (AddChannel, DeleteChannel, UpdateSampleFormat); callers only read them.
    std::uint16_t ChannelCount = 0;
    std::uint32_t SampleRate = 0;
    std::uint16_t BitsPerSample = 0;
    std::uint16_t BytesPerSample = 0;
    std::int64_t ValueRange = 0;

    // --- Transport, shared with the playback and recording threads.
    std::atomic<std::uint32_t> Position{0};
    std::atomic<TTransportState> PlayState{TTransportState::Stopped};
    std::atomic<TTransportState> RecordState{TTransportState::Stopped};
    std::array<std::atomic<std::int32_t>, MaxLevelChannels> Levels{};

    // --- Channel files, in channel order.
    std::vector<std::unique_ptr<TFile>> ChannelFiles;
    std::vector<std::string> ChannelFileNames;

    // Which content of its document the stream holds. The application numbers every change,
    // so that undo and redo can tell when they are back at the content last saved; CopyTo
    // leaves it to the caller.
    std::uint64_t Version = 0;

    // --- Channels and format.
    // Appends an empty channel stored in the smallest free "N.chl" of ChannelFolder().
    void AddChannel();
    void DeleteChannel(std::uint16_t index);
    void DeleteAllChannels();
    // Recomputes BytesPerSample and ValueRange from BitsPerSample (1..32).
    void UpdateSampleFormat();
    // Samples in the longest channel.
    std::uint32_t GetLength();

    // --- Single samples on the MaxLevel scale; reads past a channel's end give 0, writes
    // past it extend the channel with zeros.
    void ReadSample(std::uint16_t channel, std::uint32_t index, std::int32_t& value);
    void WriteSample(std::uint16_t channel, std::uint32_t index, std::int32_t value);

    // --- Runs of samples: the same values as the single-sample calls, moved window by window.
    void ReadSamples(std::uint16_t channel, std::uint32_t index, std::uint32_t count,
                     std::int32_t* values);
    void WriteSamples(std::uint16_t channel, std::uint32_t index, std::uint32_t count,
                      const std::int32_t* values);
    // Stored bytes as they are (BytesPerSample per sample, little-endian two's complement),
    // for bit-exact copies between streams of one format and for the file writers.
    void ReadStored(std::uint16_t channel, std::uint32_t index, std::uint32_t count,
                    std::uint8_t* bytes);
    void WriteStored(std::uint16_t channel, std::uint32_t index, std::uint32_t count,
                     const std::uint8_t* bytes);

    // Channels an operation's channel argument stands for: all for -1, else the one.
    std::vector<std::uint16_t> SelectedChannels(int channel) const;

    // --- Editing operations (StreamEditing.cpp)
    enum TPasteMode : std::uint8_t { PasteInsert = 0, PasteReplace = 1, PasteMix = 2 };
    void CopyTo(int channel, std::uint32_t start, TAudioStream& destination, std::uint32_t count);
    void PasteFrom(int channel, std::uint32_t start, TAudioStream& source, std::uint8_t mode);
    void MixFrom(int channel, std::uint32_t start, TAudioStream& source, std::uint8_t divisor);
    void DeleteFragment(int channel, std::uint32_t start, std::uint32_t count);
    void InsertSilence(int channel, std::uint32_t start, std::uint32_t count);
    void Erase(int channel, std::uint32_t start, std::uint32_t count);

    // --- Amplitude and time effects (AmplitudeEffects.cpp, TimeEffects.cpp)
    void SetVolume(int channel, std::uint32_t start, double factor, std::uint32_t count);
    void Normalize(int channel, std::uint32_t start, std::uint32_t count);
    void FadeIn(int channel, std::uint32_t start, std::uint32_t count);
    void FadeOut(int channel, std::uint32_t start, std::uint32_t count);
    void Reverse(int channel, std::uint32_t start, std::uint32_t count);
    void Invert(int channel, std::uint32_t start, std::uint32_t count);
    void AddEcho(int channel, std::uint32_t start, double volume, std::int32_t delayMs,
                 std::int32_t responses, std::uint32_t count);
    void AddReverberation(int channel, std::uint32_t start, double volume, std::int32_t delayMs,
                          std::int32_t reflections, std::uint32_t count);
    // Returns the end position of the changed fragment.
    std::uint32_t ChangeSpeed(int channel, std::uint32_t start, bool glide, double factor,
                              std::uint32_t count);
    enum TRotation : std::uint8_t { Clockwise = 0, CounterClockwise = 1 };
    void RotateChannels(std::uint32_t start, std::uint32_t count, std::uint8_t direction,
                        std::uint32_t periodSeconds);

    // --- Synthesis and conversions (Synthesis.cpp, Conversions.cpp)
    enum TWaveform : std::uint8_t { Sine = 0, Rectangle = 1, Triangle = 2 };
    enum TNoiseColour : std::uint8_t { White = 0, Pink = 1, Brown = 2 };
    // Generator modes: 0 replace, 1 insert (addition), 2 mix. A count beyond 32 bits is
    // refused before anything is written.
    void GenerateTone(int channel, std::uint32_t start, std::uint8_t waveform, double frequency,
                      std::uint8_t volume, std::uint8_t pasteMode, std::uint64_t count);
    void GenerateNoise(int channel, std::uint32_t start, std::uint8_t colour, std::uint8_t volume,
                       std::uint8_t pasteMode, std::uint64_t count);
    void ChangeSampleRate(std::uint32_t newRate);
    void ChangeBits(std::uint8_t newBits);

    // --- Spectral effects and analysis (SpectralEffects.cpp, Analysis.cpp; the transform
    // and the bin arithmetic are in spectra/)
    void Equalize(int channel, std::uint32_t start, std::uint32_t count,
                  const std::vector<std::uint8_t>& gains, std::uint32_t startFreq,
                  std::uint32_t width);
    void FilterBand(int channel, std::uint32_t start, std::uint32_t count, std::uint32_t lowFreq,
                    std::uint32_t highFreq, bool keep);
    void OffsetSpectrum(int channel, std::uint32_t start, std::uint32_t count, std::int32_t offset);
    void StretchSpectrum(int channel, std::uint32_t start, std::uint32_t count,
                         std::uint16_t factor, bool glide);
    void ColorNoise(int channel, std::uint32_t start, std::uint32_t count, std::uint8_t kind);
    void AddBrainWaves(std::uint32_t start, std::uint32_t count, std::uint16_t beatFreq);
    // result is resized to size / 2 + 1 bins.
    void AnalyzeSpectrum(int channel, std::uint32_t start, std::uint32_t count,
                         std::vector<TComplex>& result, std::uint32_t size);
    void GetStatistics(int channel, std::uint32_t start, std::uint32_t count, std::int32_t& average,
                       std::int32_t& peak, std::uint32_t& silentCount);

  private:
    std::uint64_t BytePosition(std::uint32_t index) const {
        return static_cast<std::uint64_t>(index) * BytesPerSample;
    }
};

}  // namespace sonavel
