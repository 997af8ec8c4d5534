#include "core/AudioStream.h"

#include <algorithm>
#include <stdexcept>

#include "core/TempPath.h"
#include "core/WidthConverter.h"
#include "platform/OsFile.h"

namespace sonavel {

namespace {

// Samples converted per chunk by the run accessors.
constexpr std::uint32_t ChunkSamples = 16384;

// The level of every 16-bit stored value, indexed by its raw bit pattern: the commonest
// width reads by lookup instead of arithmetic.
const std::array<std::int32_t, 65536>& SixteenBitLevels() {
    static const auto table = [] {
        std::array<std::int32_t, 65536> levels{};
        for (std::uint32_t raw = 0; raw < levels.size(); ++raw) {
            levels[raw] = StoredToLevel(SignExtend(raw, 2), 2);
        }
        return levels;
    }();
    return table;
}

}  // namespace

const char* StateWord(TTransportState state) {
    switch (state) {
        case TTransportState::Stopped:
            return "stopped";
        case TTransportState::Starting:
            return "starting";
        case TTransportState::Starting2:
            return "starting2";
        case TTransportState::Started:
            return "started";
        case TTransportState::Stopping:
            return "stopping";
    }
    return "stopped";
}

TAudioStream::TAudioStream(std::uint16_t channelCount, std::uint16_t bitsPerSample,
                           std::uint32_t sampleRate)
    : SampleRate(sampleRate), BitsPerSample(bitsPerSample) {
    UpdateSampleFormat();
    try {
        for (std::uint16_t i = 0; i < channelCount; ++i) {
            AddChannel();
        }
    } catch (...) {
        DeleteAllChannels();
        throw;
    }
}

TAudioStream::~TAudioStream() {
    try {
        DeleteAllChannels();
    } catch (...) {  // NOLINT(bugprone-empty-catch): a destructor has no one to tell
    }
}

void TAudioStream::AddChannel() {
    const std::string folder = ChannelFolder();
    for (unsigned number = 0;; ++number) {
        std::string name = folder + std::to_string(number) + ".chl";
        // Exclusive creation: two streams (or two programs) never share a channel file.
        auto file = TFile::CreateNew(name);
        if (file) {
            ChannelFiles.push_back(std::move(file));
            ChannelFileNames.push_back(std::move(name));
            ++ChannelCount;
            return;
        }
    }
}

void TAudioStream::DeleteChannel(std::uint16_t index) {
    if (index >= ChannelCount) {
        throw std::out_of_range("DeleteChannel: no channel " + std::to_string(index));
    }
    ChannelFiles[index]->Discard();  // deleted next: writing it back would be wasted work
    ChannelFiles.erase(ChannelFiles.begin() + index);
    const std::string name = ChannelFileNames[index];
    ChannelFileNames.erase(ChannelFileNames.begin() + index);
    --ChannelCount;
    RemoveFile(name);
}

void TAudioStream::DeleteAllChannels() {
    while (ChannelCount > 0) {
        DeleteChannel(static_cast<std::uint16_t>(ChannelCount - 1));
    }
}

void TAudioStream::UpdateSampleFormat() {
    if (BitsPerSample < 1 || BitsPerSample > 32) {
        throw std::invalid_argument("Unsupported sample width: " + std::to_string(BitsPerSample) +
                                    " bits");
    }
    BytesPerSample = static_cast<std::uint16_t>(StoredBytesOf(BitsPerSample));
    ValueRange = 1;
    for (unsigned i = 0; i < BytesPerSample; ++i) {
        ValueRange *= 256;
    }
}

std::uint32_t TAudioStream::GetLength() {
    std::uint64_t length = 0;
    for (auto& file : ChannelFiles) {
        length = std::max(length, file->Size() / BytesPerSample);
    }
    return static_cast<std::uint32_t>(std::min<std::uint64_t>(length, UINT32_MAX));
}

std::vector<std::uint16_t> TAudioStream::SelectedChannels(int channel) const {
    std::vector<std::uint16_t> channels;
    if (channel < 0) {
        for (std::uint16_t c = 0; c < ChannelCount; ++c) {
            channels.push_back(c);
        }
    } else {
        channels.push_back(static_cast<std::uint16_t>(channel));
    }
    return channels;
}

void TAudioStream::ReadSample(std::uint16_t channel, std::uint32_t index, std::int32_t& value) {
    ReadSamples(channel, index, 1, &value);
}

void TAudioStream::WriteSample(std::uint16_t channel, std::uint32_t index, std::int32_t value) {
    WriteSamples(channel, index, 1, &value);
}

void TAudioStream::ReadStored(std::uint16_t channel, std::uint32_t index, std::uint32_t count,
                              std::uint8_t* bytes) {
    ChannelFiles.at(channel)->ReadBytes(bytes, BytePosition(index),
                                        static_cast<std::uint64_t>(count) * BytesPerSample);
}

void TAudioStream::WriteStored(std::uint16_t channel, std::uint32_t index, std::uint32_t count,
                               const std::uint8_t* bytes) {
    ChannelFiles.at(channel)->WriteBytes(bytes, BytePosition(index),
                                         static_cast<std::uint64_t>(count) * BytesPerSample);
}

void TAudioStream::ReadSamples(std::uint16_t channel, std::uint32_t index, std::uint32_t count,
                               std::int32_t* values) {
    const unsigned bps = BytesPerSample;
    std::uint8_t bytes[ChunkSamples * 4];
    for (std::uint32_t done = 0; done < count;) {
        const std::uint32_t n = std::min(count - done, ChunkSamples);
        ReadStored(channel, index + done, n, bytes);
        std::int32_t* out = values + done;
        switch (bps) {
            case 1:
                for (std::uint32_t i = 0; i < n; ++i) {
                    out[i] = StoredToLevel(static_cast<std::int8_t>(bytes[i]), 1);
                }
                break;
            case 2: {
                const auto& levels = SixteenBitLevels();
                for (std::size_t i = 0; i < n; ++i) {
                    out[i] =
                        levels[static_cast<std::uint32_t>(bytes[2 * i] | bytes[2 * i + 1] << 8)];
                }
                break;
            }
            case 3:
                for (std::size_t i = 0; i < n; ++i) {
                    const std::uint8_t* b = bytes + 3 * i;
                    const auto raw = static_cast<std::uint32_t>(b[0] | b[1] << 8 | b[2] << 16);
                    out[i] = StoredToLevel(SignExtend(raw, 3), 3);
                }
                break;
            default:
                for (std::size_t i = 0; i < n; ++i) {
                    const std::uint8_t* b = bytes + 4 * i;
                    const std::uint32_t raw =
                        b[0] | b[1] << 8 | b[2] << 16 | static_cast<std::uint32_t>(b[3]) << 24;
                    out[i] = StoredToLevel(static_cast<std::int32_t>(raw), 4);
                }
                break;
        }
        done += n;
    }
}

void TAudioStream::WriteSamples(std::uint16_t channel, std::uint32_t index, std::uint32_t count,
                                const std::int32_t* values) {
    const unsigned bps = BytesPerSample;
    std::uint8_t bytes[ChunkSamples * 4];
    std::int32_t stored[ChunkSamples];
    for (std::uint32_t done = 0; done < count;) {
        const std::uint32_t n = std::min(count - done, ChunkSamples);
        LevelsToStored(values + done, n, bps, stored);
        if (bps == 2) {  // the common width, in a loop the compiler vectorises
            for (std::size_t i = 0; i < n; ++i) {
                bytes[2 * i] = static_cast<std::uint8_t>(stored[i]);
                bytes[2 * i + 1] = static_cast<std::uint8_t>(stored[i] >> 8);
            }
        } else {
            for (std::uint32_t i = 0; i < n; ++i) {
                const auto s = static_cast<std::uint32_t>(stored[i]);
                std::uint8_t* b = bytes + static_cast<std::size_t>(bps) * i;
                for (unsigned k = 0; k < bps; ++k) {
                    b[k] = static_cast<std::uint8_t>(s >> (8 * k));
                }
            }
        }
        WriteStored(channel, index + done, n, bytes);
        done += n;
    }
}

}  // namespace sonavel
