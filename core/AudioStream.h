#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/FileUtils.h"
#include "core/SampleScale.h"

namespace sonavel {

// Transport state of a stream, handed between the user interface, the timer and the
// playback/recording engine by polling.
enum class TTransportState : std::uint8_t { Stopped, Starting, Starting2, Started, Stopping };

// "stopped", "starting", "starting2", "started", "stopping".
const char* StateWord(TTransportState state);

inline constexpr int MaxLevelChannels = 128;

// The audio document: a multichannel PCM signal living on disk, one headerless little-endian
// file per channel in TempPath(). Samples are seen on the common scale of MaxLevel whatever
// their stored width. Channel arguments of the fragment operations are -1 for all channels
// (in ascending order) or one 0-based channel.
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

    // --- Channels and format.
    // Appends an empty channel stored in the smallest free "N.chl" of TempPath().
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

    // --- Amplitude and time effects (AmplitudeEffects.cpp, TimeEffects.cpp)

    // --- Synthesis and conversions (Synthesis.cpp, Conversions.cpp)

    // --- Spectral effects and analysis (spectra/)

private:
    std::uint64_t BytePosition(std::uint32_t index) const {
        return static_cast<std::uint64_t>(index) * BytesPerSample;
    }
};

}  // namespace sonavel
