#include "formats/Mp3Writer.h"

#include <lame/lame.h>

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <memory>
#include <vector>

#include "core/Progress.h"
#include "formats/FormatError.h"
#include "formats/MP3Utils.h"
#include "platform/ReplacingFile.h"

namespace sonavel {

namespace {

constexpr std::array<std::uint32_t, 9> Mp3Rates = {8000,  11025, 12000, 16000, 22050,
                                                   24000, 32000, 44100, 48000};

// Samples per channel handed to LAME per call.
constexpr std::uint32_t ChunkSamples = 65536;
// LAME's worst case for one call: 1.25 bytes per sample plus 7200.
constexpr std::size_t Mp3BufferBytes = ChunkSamples * 5 / 4 + 7200;

struct TLameDeleter {
    void operator()(lame_global_flags* gfp) const noexcept { lame_close(gfp); }
};
using TLame = std::unique_ptr<lame_global_flags, TLameDeleter>;

// LAME would print its notices on stderr; the program reports failures itself.
void Silent(const char* /*format*/, va_list /*args*/) {}

MPEG_mode LameMode(TStereoMode mode) {
    switch (mode) {
        case TStereoMode::Stereo:
            return STEREO;
        case TStereoMode::DualChannel:
            return DUAL_CHANNEL;
        case TStereoMode::Mono:
            return MONO;
        case TStereoMode::JointStereo:
            break;
    }
    return JOINT_STEREO;
}

void CheckSettings(const TAudioStream& stream, const TMp3Settings& settings) {
    if (stream.ChannelCount == 0) {
        throw TFormatError("A document without channels cannot be saved as MP3");
    }
    if (stream.SampleRate == 0) {
        throw TFormatError("A document at 0 Hz cannot be saved as MP3");
    }
    if (settings.BitrateType == TBitrateType::Constant) {
        const auto& table = ConstantBitrates(stream.SampleRate);
        if (std::find(table.begin(), table.end(), settings.Bitrate) == table.end()) {
            throw TFormatError(std::to_string(settings.Bitrate) +
                               " kbit/s is not an MP3 bit rate for " +
                               std::to_string(stream.SampleRate) + " Hz");
        }
    } else if (settings.Quality > 9) {
        throw TFormatError("MP3 quality " + std::to_string(settings.Quality) + " is outside 0..9");
    }
}

TLame OpenEncoder(const TAudioStream& stream, std::uint32_t length, std::uint16_t channels,
                  const TMp3Settings& settings) {
    TLame gfp(lame_init());
    if (!gfp) {
        throw TFormatError("The MP3 encoder could not be started");
    }
    lame_global_flags* g = gfp.get();
    lame_set_errorf(g, Silent);
    lame_set_debugf(g, Silent);
    lame_set_msgf(g, Silent);
    lame_set_num_channels(g, channels);
    lame_set_in_samplerate(g,
                           static_cast<int>(std::min<std::uint32_t>(stream.SampleRate, INT32_MAX)));
    lame_set_out_samplerate(g, static_cast<int>(Mp3EncodingRate(stream.SampleRate)));
    lame_set_num_samples(g, length);
    lame_set_mode(g, channels == 1 ? MONO : LameMode(settings.StereoMode));
    if (settings.BitrateType == TBitrateType::Constant) {
        lame_set_VBR(g, vbr_off);
        lame_set_brate(g, settings.Bitrate);
    } else {
        lame_set_VBR(g, vbr_default);
        lame_set_VBR_q(g, settings.Quality);
    }
    lame_set_bWriteVbrTag(g, 1);
    lame_set_write_id3tag_automatic(g, 0);
    if (lame_init_params(g) < 0) {
        throw TFormatError("The MP3 encoder does not take " + std::to_string(stream.SampleRate) +
                           " Hz with these settings");
    }
    return gfp;
}

// Reads one run of the left and right signals handed to the encoder; for more than two
// channels the even ones are averaged into the left, the odd ones into the right.
class TEncoderInput {
  public:
    explicit TEncoderInput(TAudioStream& stream) : Stream_(stream) {
        Left.resize(ChunkSamples);
        if (stream.ChannelCount > 1) {
            Right.resize(ChunkSamples);
        }
        if (stream.ChannelCount > 2) {
            Scratch_.resize(ChunkSamples);
            LeftSum_.resize(ChunkSamples);
            RightSum_.resize(ChunkSamples);
        }
    }

    void Read(std::uint32_t index, std::uint32_t count) {
        const std::uint16_t channels = Stream_.ChannelCount;
        if (channels <= 2) {
            Stream_.ReadSamples(0, index, count, Left.data());
            if (channels == 2) {
                Stream_.ReadSamples(1, index, count, Right.data());
            }
            return;
        }
        std::fill_n(LeftSum_.begin(), count, 0);
        std::fill_n(RightSum_.begin(), count, 0);
        for (std::uint16_t c = 0; c < channels; ++c) {
            Stream_.ReadSamples(c, index, count, Scratch_.data());
            std::int64_t* sum = (c % 2 == 0 ? LeftSum_ : RightSum_).data();
            for (std::uint32_t i = 0; i < count; ++i) {
                sum[i] += Scratch_[i];
            }
        }
        Average(LeftSum_, (channels + 1) / 2, Left, count);
        Average(RightSum_, channels / 2, Right, count);
    }

    std::vector<int> Left;
    std::vector<int> Right;

  private:
    // Sums stay below 2^47, so the double quotient is exact enough to round correctly.
    static void Average(const std::vector<std::int64_t>& sum, int n, std::vector<int>& out,
                        std::uint32_t count) {
        for (std::uint32_t i = 0; i < count; ++i) {
            out[i] = static_cast<int>(std::lround(static_cast<double>(sum[i]) / n));
        }
    }

    TAudioStream& Stream_;
    std::vector<int> Scratch_;
    std::vector<std::int64_t> LeftSum_;
    std::vector<std::int64_t> RightSum_;
};

}  // namespace

std::optional<TStereoMode> StereoModeFromText(std::string_view text) {
    for (std::size_t i = 0; i < StereoModeTexts.size(); ++i) {
        if (StereoModeTexts[i] == text) {
            return static_cast<TStereoMode>(i);
        }
    }
    return std::nullopt;
}

std::uint32_t Mp3EncodingRate(std::uint32_t sampleRate) {
    if (sampleRate == 0) {
        return 0;
    }
    std::uint32_t best = Mp3Rates.front();
    for (const std::uint32_t rate : Mp3Rates) {
        const auto distance = [sampleRate](std::uint32_t r) {
            return r > sampleRate ? r - sampleRate : sampleRate - r;
        };
        if (distance(rate) <= distance(best)) {
            best = rate;
        }
    }
    return best;
}

void SaveMP3File(TAudioStream& stream, const std::string& fileName, const TMp3Settings& settings) {
    CheckSettings(stream, settings);
    const std::uint16_t channels = stream.ChannelCount == 1 ? 1 : 2;
    const std::uint32_t length = stream.GetLength();
    const TLame encoder = OpenEncoder(stream, length, channels, settings);
    lame_global_flags* g = encoder.get();

    TEncoderInput input(stream);
    std::vector<unsigned char> mp3(Mp3BufferBytes);
    TReplacingFile out(fileName);
    std::uint64_t filePos = 0;
    const auto put = [&](int bytes) {
        if (bytes < 0) {
            throw TFormatError("The MP3 encoder failed (LAME error " + std::to_string(bytes) + ")");
        }
        out.File().WriteAt(mp3.data(), static_cast<std::size_t>(bytes), filePos);
        filePos += static_cast<std::uint64_t>(bytes);
    };

    const TProgressScope progress(length);
    for (std::uint32_t n = 0; n < length;) {
        TProgressScope::Step(n);
        const std::uint32_t count = std::min(length - n, ChunkSamples);
        input.Read(n, count);
        const int* right = channels == 2 ? input.Right.data() : input.Left.data();
        put(lame_encode_buffer_int(g, input.Left.data(), right, static_cast<int>(count), mp3.data(),
                                   static_cast<int>(mp3.size())));
        n += count;
    }
    put(lame_encode_flush(g, mp3.data(), static_cast<int>(mp3.size())));

    // The first frame was a placeholder for the tag that now knows the frame count, the
    // encoder delay and the padding.
    const std::size_t tagBytes = lame_get_lametag_frame(g, mp3.data(), mp3.size());
    if (tagBytes > 0 && tagBytes <= mp3.size() && tagBytes <= filePos) {
        out.File().WriteAt(mp3.data(), tagBytes, 0);
    }
    TProgressScope::Step(length);
    out.Commit();
}

}  // namespace sonavel
