#include "formats/MP3Utils.h"

#include <algorithm>
#include <vector>

#include "core/FileUtils.h"

namespace sonavel {

namespace {

constexpr std::array<std::array<std::uint16_t, 3>, 3> SampleRates = {{
    {44100, 48000, 32000},  // "1"
    {22050, 24000, 16000},  // "2"
    {11025, 12000, 8000},   // "2.5"
}};

constexpr std::array<const char*, 4> ChannelModes = {"Stereo", "JointStereo", "DualChannel",
                                                     "Mono"};

}  // namespace

bool ParseFrameHeader(std::span<const std::uint8_t, 4> bytes, TMp3Header& info) {
    const std::uint8_t b0 = bytes[0];
    const std::uint8_t b1 = bytes[1];
    const std::uint8_t b2 = bytes[2];
    const std::uint8_t b3 = bytes[3];
    if (b0 != 0xFF || b1 < 0xE0) {
        return false;
    }

    int versionRow = 0;  // row of the sample-rate table
    switch ((b1 >> 3) & 3) {
        case 3:
            info.Version = "1";
            versionRow = 0;
            break;
        case 2:
            info.Version = "2";
            versionRow = 1;
            break;
        case 0:
            info.Version = "2.5";
            versionRow = 2;
            break;
        default:
            return false;
    }

    if (((b1 >> 1) & 3) != 1) {
        return false;
    }
    info.Layer = 3;
    info.Protected = (b1 & 1) == 0;

    const unsigned bitrateIndex = b2 >> 4;
    if (bitrateIndex == 0 || bitrateIndex == 15) {
        return false;
    }
    info.Bitrate = (versionRow == 0 ? Mpeg1Bitrates : Mpeg2Bitrates)[bitrateIndex - 1];

    const unsigned rateIndex = (b2 >> 2) & 3;
    if (rateIndex == 3) {
        return false;
    }
    info.SampleRate = SampleRates[versionRow][rateIndex];
    info.Padding = (b2 & 2) != 0;

    info.ChannelMode = ChannelModes[b3 >> 6];
    info.ModeExtension = static_cast<std::uint8_t>((b3 >> 4) & 3);
    info.Copyright = (b3 & 8) != 0;
    info.Original = (b3 & 4) != 0;
    switch (b3 & 3) {
        case 0:
            info.Emphasis = "none";
            break;
        case 1:
            info.Emphasis = "50/15 ms";
            break;
        case 3:
            info.Emphasis = "CCIT J.17";
            break;
        default:
            return false;
    }

    // All terms are positive integers, so integer division truncates exactly as the
    // extended-precision quotient would.
    info.FrameLength = 144000U * info.Bitrate / info.SampleRate + (info.Padding ? 1U : 0U);
    return true;
}

bool IsMp3File(const std::string& fileName) {
    std::vector<std::uint8_t> head;
    try {
        const auto file = TFile::Open(fileName, TFile::ReadOnly);
        // A header starting at the last searched position still needs its three bytes more.
        head.resize(
            static_cast<std::size_t>(std::min<std::uint64_t>(file->Size(), Mp3SearchBytes + 3)));
        file->ReadBytes(head.data(), 0, head.size());
    } catch (const TFileError&) {
        return false;
    }
    TMp3Header header;
    for (std::size_t pos = 0; pos < Mp3SearchBytes && pos + 4 <= head.size(); ++pos) {
        if (ParseFrameHeader(std::span<const std::uint8_t, 4>(head.data() + pos, 4), header)) {
            return true;
        }
    }
    return false;
}

}  // namespace sonavel
