#include <gtest/gtest.h>
#include <sys/resource.h>

#include <algorithm>
#include <cmath>
#include <csignal>

#include "formats/FormatError.h"
#include "formats/MP3_Format.h"
#include "formats/Mp3Writer.h"
#include "mp3_signals.h"
#include "support/TempFolder.h"
#include "support/WavBuilder.h"

namespace sonavel {
namespace {

using test::ReadWholeFile;

class Mp3WriteTest : public test::TStreamTest {
  protected:
    std::string Mp3 = Temp.File("out.mp3");

    // Saves and reads back; also returns the first frame's header.
    TMp3Header RoundTrip(TAudioStream& in, const TMp3Settings& settings, TAudioStream& out) {
        SaveMP3File(in, Mp3, settings);
        EXPECT_TRUE(IsMp3File(Mp3));
        TMP3 reader(Mp3);
        reader.FindFrame(0);
        TMp3Header first = reader.Header;
        reader.LoadStream(out);
        return first;
    }

    // The header of the frame after the first (the first one carries the LAME tag).
    TMp3Header SecondHeader() {
        TMP3 reader(Mp3);
        reader.FindFrame(0);
        reader.FindFrame(reader.Header.FrameLength / (reader.Header.Version == "1" ? 1 : 2));
        return reader.Header;
    }

    static std::size_t PartFiles(const std::vector<std::string>& names) {
        return static_cast<std::size_t>(std::count_if(
            names.begin(), names.end(),
            [](const std::string& n) { return n.find(".part") != std::string::npos; }));
    }
};

TEST_F(Mp3WriteTest, SineKeepsFrequencyLevelLengthAndTiming) {
    for (const auto type : {TBitrateType::Constant, TBitrateType::Variable}) {
        TAudioStream in(2, 16, 44100);
        test::WriteSine(in, 0, 1000, 0.5, 88200);
        test::WriteSine(in, 1, 2500, 0.25, 88200);
        TMp3Settings settings;
        settings.BitrateType = type;
        settings.Bitrate = 128;
        TAudioStream out;
        RoundTrip(in, settings, out);
        ASSERT_EQ(out.ChannelCount, 2);
        ASSERT_EQ(out.GetLength(), 88200U);  // gapless: no encoder delay, no padding

        for (std::uint16_t c = 0; c < 2; ++c) {
            const auto original = test::Levels(in, c);
            const auto decoded = test::Levels(out, c);
            const double f = c == 0 ? 1000 : 2500;
            const auto crossings = static_cast<double>(test::UpwardZeroCrossings(original));
            EXPECT_NEAR(static_cast<double>(test::UpwardZeroCrossings(decoded)), crossings, 1.0);
            const double peak = c == 0 ? 0.5 : 0.25;
            EXPECT_NEAR(test::Amplitude(decoded, f, 44100, MaxLevel), peak,
                        peak * test::LevelTolerance);
            // Aligned sample for sample, and close to the original.
            EXPECT_EQ(test::BestLag(original, decoded, 8), 0) << "channel " << c;
            std::vector<double> error(original.size());
            for (std::size_t i = 0; i < error.size(); ++i) {
                error[i] = static_cast<double>(decoded[i]) - original[i];
            }
            EXPECT_GT(20 * std::log10(test::Rms(original, 1) / test::Rms(error, 1)), 20.0)
                << "channel " << c;
        }
    }
    TAudioStream in(1, 16, 8000);
    test::WriteSine(in, 0, 1000, 0.5, 100000);
    SaveMP3File(in, Mp3, {});
    EXPECT_FALSE(Processing.load());
    EXPECT_EQ(ProgressTotal.load(), 100000U);
    EXPECT_EQ(ProgressPosition.load(), 100000U);
}

TEST_F(Mp3WriteTest, StereoModesReachTheFrameHeaders) {
    TAudioStream stereo(2, 16, 44100);
    test::WriteSine(stereo, 0, 440, 0.5, 20000);
    test::WriteSine(stereo, 1, 660, 0.5, 20000);
    TMp3Settings settings;
    TAudioStream out;
    for (const auto& [mode, text] : {std::pair{TStereoMode::Stereo, "Stereo"},
                                     std::pair{TStereoMode::JointStereo, "JointStereo"},
                                     std::pair{TStereoMode::DualChannel, "DualChannel"}}) {
        settings.StereoMode = mode;
        EXPECT_EQ(RoundTrip(stereo, settings, out).ChannelMode, text);
        EXPECT_EQ(SecondHeader().ChannelMode, text);
        EXPECT_EQ(out.ChannelCount, 2);
    }

    settings.StereoMode = TStereoMode::Mono;
    EXPECT_EQ(RoundTrip(stereo, settings, out).ChannelMode, "Mono");
    EXPECT_EQ(out.ChannelCount, 1);
    // LAME mixes the two channels.
    const auto mixed = test::Levels(out, 0);
    EXPECT_NEAR(test::Amplitude(mixed, 440, 44100, MaxLevel), 0.25, 0.25 * test::LevelTolerance);
    EXPECT_NEAR(test::Amplitude(mixed, 660, 44100, MaxLevel), 0.25, 0.25 * test::LevelTolerance);

    // One channel is mono whatever mode was chosen.
    TAudioStream mono(1, 16, 44100);
    test::WriteSine(mono, 0, 440, 0.5, 20000);
    settings.StereoMode = TStereoMode::JointStereo;
    EXPECT_EQ(RoundTrip(mono, settings, out).ChannelMode, "Mono");
    EXPECT_EQ(out.ChannelCount, 1);
}

TEST_F(Mp3WriteTest, ConstantBitrateAndVariableQualityReachTheFile) {
    TAudioStream in(2, 16, 44100);
    test::WriteSine(in, 0, 440, 0.5, 441000);
    test::WriteSine(in, 1, 3000, 0.3, 441000);
    TMp3Settings settings;
    TAudioStream out;
    for (const std::uint16_t rate : {32, 192, 320}) {
        settings.Bitrate = rate;
        RoundTrip(in, settings, out);
        EXPECT_EQ(SecondHeader().Bitrate, rate);
        // 10 s at the bit rate, give or take a frame or two.
        EXPECT_NEAR(static_cast<double>(ReadWholeFile(Mp3).size()), rate * 1000.0 / 8 * 10,
                    rate * 1000.0 / 8 * 0.1);
    }

    settings.BitrateType = TBitrateType::Variable;
    std::vector<std::size_t> sizes;
    for (const std::uint8_t quality : {0, 4, 9}) {
        settings.Quality = quality;
        RoundTrip(in, settings, out);
        EXPECT_EQ(out.GetLength(), 441000U);
        sizes.push_back(ReadWholeFile(Mp3).size());
    }
    EXPECT_GT(sizes[0], sizes[1]);
    EXPECT_GT(sizes[1], sizes[2]);
}

TEST_F(Mp3WriteTest, LowRatesGiveMpegTwoAndTwoPointFive) {
    TMp3Settings settings;
    settings.Bitrate = 160;  // above what MPEG-2.5 has: lowered to 64 there
    for (const auto& [rate, version] : {std::pair{22050U, "2"}, std::pair{11025U, "2.5"}}) {
        TAudioStream in(1, 16, rate);
        test::WriteSine(in, 0, 1000, 0.5, rate * 2);
        TAudioStream out;
        const TMp3Header first = RoundTrip(in, settings, out);
        EXPECT_EQ(first.Version, version);
        EXPECT_EQ(first.SampleRate, rate);
        EXPECT_EQ(SecondHeader().Bitrate, rate == 22050U ? 160 : 64);
        EXPECT_EQ(out.SampleRate, rate);
        EXPECT_EQ(out.GetLength(), rate * 2);
        EXPECT_NEAR(test::Amplitude(test::Levels(out, 0), 1000, rate, MaxLevel), 0.5,
                    0.5 * test::LevelTolerance);
    }
}

TEST_F(Mp3WriteTest, RatesMpegAudioLacksAreResampled) {
    EXPECT_EQ(Mp3EncodingRate(44100), 44100U);
    EXPECT_EQ(Mp3EncodingRate(8000), 8000U);
    EXPECT_EQ(Mp3EncodingRate(96000), 48000U);
    EXPECT_EQ(Mp3EncodingRate(192000), 48000U);
    EXPECT_EQ(Mp3EncodingRate(44000), 44100U);
    EXPECT_EQ(Mp3EncodingRate(37800), 32000U);
    EXPECT_EQ(Mp3EncodingRate(5000), 8000U);
    EXPECT_EQ(Mp3EncodingRate(0), 0U);

    for (const auto& [rate, encoded] :
         {std::pair{96000U, 48000U}, std::pair{37800U, 32000U}, std::pair{6000U, 8000U}}) {
        TAudioStream in(2, 16, rate);
        test::WriteSine(in, 0, 1000, 0.5, rate);
        test::WriteSine(in, 1, 1000, 0.5, rate);
        TAudioStream out;
        TMp3Settings settings;
        settings.Bitrate = ConstantBitrates(rate)[8];
        RoundTrip(in, settings, out);
        EXPECT_EQ(out.SampleRate, encoded) << rate;
        // One second stays one second, and the tone its pitch.
        EXPECT_NEAR(out.GetLength(), encoded, encoded / 50.0) << rate;
        const auto left = test::Levels(out, 0);
        EXPECT_NEAR(test::Amplitude(left, 1000, encoded, MaxLevel, 2000, left.size() - 2000), 0.5,
                    0.5 * test::LevelTolerance)
            << rate;
    }
}

TEST_F(Mp3WriteTest, ChannelsBeyondTwoAreMixedEvenLeftOddRight) {
    TAudioStream in(4, 16, 44100);
    test::WriteSine(in, 0, 1000, 0.5, 44100);
    test::WriteSine(in, 1, 3000, 0.6, 44100);
    test::WriteSine(in, 2, 1000, 0.5, 44100);
    test::WriteSine(in, 3, 2000, 0.4, 44100);
    TMp3Settings settings;
    settings.StereoMode = TStereoMode::Stereo;
    settings.Bitrate = 256;
    TAudioStream out;
    RoundTrip(in, settings, out);
    ASSERT_EQ(out.ChannelCount, 2);
    const auto left = test::Levels(out, 0);
    const auto right = test::Levels(out, 1);
    EXPECT_NEAR(test::Amplitude(left, 1000, 44100, MaxLevel), 0.5, 0.5 * test::LevelTolerance);
    EXPECT_LT(test::Amplitude(left, 2000, 44100, MaxLevel), 0.01);
    EXPECT_LT(test::Amplitude(left, 3000, 44100, MaxLevel), 0.01);
    EXPECT_NEAR(test::Amplitude(right, 3000, 44100, MaxLevel), 0.3, 0.3 * test::LevelTolerance);
    EXPECT_NEAR(test::Amplitude(right, 2000, 44100, MaxLevel), 0.2, 0.2 * test::LevelTolerance);
    EXPECT_LT(test::Amplitude(right, 1000, 44100, MaxLevel), 0.01);

    // Three channels: the third joins the first on the left, the second is the right alone.
    TAudioStream three(3, 16, 44100);
    test::WriteSine(three, 0, 1000, 0.6, 44100);
    test::WriteSine(three, 1, 2000, 0.4, 44100);
    test::WriteSine(three, 2, 3000, 0.6, 44100);
    RoundTrip(three, settings, out);
    EXPECT_NEAR(test::Amplitude(test::Levels(out, 0), 1000, 44100, MaxLevel), 0.3,
                0.3 * test::LevelTolerance);
    EXPECT_NEAR(test::Amplitude(test::Levels(out, 0), 3000, 44100, MaxLevel), 0.3,
                0.3 * test::LevelTolerance);
    EXPECT_NEAR(test::Amplitude(test::Levels(out, 1), 2000, 44100, MaxLevel), 0.4,
                0.4 * test::LevelTolerance);
}

// LAME is deterministic, so equal input gives equal files: a 24-bit document holding 16-bit
// values encodes like the 16-bit one, and bits below 16 change the file.
TEST_F(Mp3WriteTest, WideSamplesReachTheEncoderAtFullPrecision) {
    std::vector<std::int32_t> coarse(44100);
    std::vector<std::int32_t> fine(44100);
    for (std::size_t i = 0; i < coarse.size(); ++i) {
        const double x =
            0.3 * std::sin(2 * std::numbers::pi * 440 * static_cast<double>(i) / 44100);
        coarse[i] = StoredToLevel(static_cast<std::int32_t>(std::lround(x * 32767)), 2);
        fine[i] = coarse[i] + StoredToLevel(static_cast<std::int32_t>(i % 97) + 20, 3);
    }
    const auto encode = [&](std::uint16_t bits, const std::vector<std::int32_t>& v) {
        TAudioStream s(1, bits, 44100);
        s.WriteSamples(0, 0, static_cast<std::uint32_t>(v.size()), v.data());
        std::vector<std::int32_t> back(v.size());
        s.ReadSamples(0, 0, static_cast<std::uint32_t>(v.size()), back.data());
        EXPECT_EQ(back, v) << bits << " bits";  // the values are exact at this width
        SaveMP3File(s, Mp3, {});
        return ReadWholeFile(Mp3);
    };
    const auto from16 = encode(16, coarse);
    EXPECT_EQ(encode(24, coarse), from16);
    EXPECT_NE(encode(24, fine), from16);

    // 8 and 32 bits save and keep their tone.
    for (const std::uint16_t bits : {8, 32}) {
        TAudioStream s(1, bits, 44100);
        test::WriteSine(s, 0, 440, 0.5, 44100);
        TAudioStream out;
        RoundTrip(s, {}, out);
        EXPECT_NEAR(test::Amplitude(test::Levels(out, 0), 440, 44100, MaxLevel), 0.5,
                    0.5 * test::LevelTolerance)
            << bits;
    }
}

TEST_F(Mp3WriteTest, EmptyDocumentSavesAndReopensEmpty) {
    TAudioStream in(2, 16, 44100);
    TAudioStream out;
    RoundTrip(in, {}, out);
    EXPECT_EQ(out.ChannelCount, 2);
    EXPECT_EQ(out.GetLength(), 0U);
}

TEST_F(Mp3WriteTest, SettingsTheDialogCannotGiveAreRefusedAndNothingIsWritten) {
    test::TWavBuilder().Bytes({1, 2, 3}).WriteTo(Mp3);
    TAudioStream in(2, 16, 44100);
    test::WriteSine(in, 0, 440, 0.5, 1000);
    TMp3Settings settings;
    settings.Bitrate = 144;  // an MPEG-2 rate, not offered at 44.1 kHz
    EXPECT_THROW(SaveMP3File(in, Mp3, settings), TFormatError);
    settings.Bitrate = 0;
    EXPECT_THROW(SaveMP3File(in, Mp3, settings), TFormatError);
    settings.BitrateType = TBitrateType::Variable;
    settings.Quality = 10;
    EXPECT_THROW(SaveMP3File(in, Mp3, settings), TFormatError);
    TAudioStream none(0, 16, 44100);
    EXPECT_THROW(SaveMP3File(none, Mp3, {}), TFormatError);
    TAudioStream zeroRate(1, 16, 0);
    EXPECT_THROW(SaveMP3File(zeroRate, Mp3, {}), TFormatError);

    settings = {};
    settings.Bitrate = 144;
    TAudioStream low(1, 16, 24000);
    test::WriteSine(low, 0, 440, 0.5, 1000);
    EXPECT_NO_THROW(SaveMP3File(low, Temp.File("low.mp3"), settings));

    EXPECT_EQ(ReadWholeFile(Mp3), (std::vector<std::uint8_t>{1, 2, 3}));
    EXPECT_EQ(PartFiles(Temp.Files()), 0U);
}

// A save that fails part way (the file size limit standing in for a full disk) leaves the
// existing file as it was and no partial file behind.
TEST_F(Mp3WriteTest, FailedSaveLeavesTheExistingFileIntact) {
    test::TWavBuilder().Bytes({9, 8, 7, 6}).WriteTo(Mp3);
    TAudioStream in(2, 16, 44100);
    test::WriteSine(in, 0, 440, 0.5, 441000);
    test::WriteSine(in, 1, 660, 0.5, 441000);
    for (auto& f : in.ChannelFiles) {
        f->Flush();
    }
    rlimit saved{};
    ::getrlimit(RLIMIT_FSIZE, &saved);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 20000;
    ::setrlimit(RLIMIT_FSIZE, &small);
    EXPECT_THROW(SaveMP3File(in, Mp3, {}), TFileError);
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_EQ(ReadWholeFile(Mp3), (std::vector<std::uint8_t>{9, 8, 7, 6}));
    EXPECT_EQ(PartFiles(Temp.Files()), 0U);
    EXPECT_FALSE(Processing.load());
    EXPECT_THROW(SaveMP3File(in, Temp.File("no/such/folder.mp3"), {}), TFileError);
}

TEST_F(Mp3WriteTest, DialogTextsOfTheStereoModes) {
    EXPECT_EQ(StereoModeFromText("Stereo "), TStereoMode::Stereo);
    EXPECT_EQ(StereoModeFromText("Joint Stereo"), TStereoMode::JointStereo);
    EXPECT_EQ(StereoModeFromText("Dual Channel"), TStereoMode::DualChannel);
    EXPECT_EQ(StereoModeFromText("Mono"), TStereoMode::Mono);
    EXPECT_EQ(StereoModeFromText("Stereo"), std::nullopt);
    const TMp3Settings defaults;
    EXPECT_EQ(defaults.StereoMode, TStereoMode::JointStereo);
    EXPECT_EQ(defaults.BitrateType, TBitrateType::Constant);
    EXPECT_EQ(defaults.Bitrate, ConstantBitrates(44100)[9]);
    EXPECT_EQ(defaults.Quality, 4);
}

}  // namespace
}  // namespace sonavel
