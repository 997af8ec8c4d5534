#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "formats/MP3_Format.h"
#include "formats/Mp3Writer.h"
#include "mp3_signals.h"
#include "support/TempFolder.h"
#include "support/WavBuilder.h"

namespace sonavel {
namespace {

using test::ReadWholeFile;

class Mp3ReadTest : public test::TStreamTest {
  protected:
    // An MP3 of `seconds` of sine (1000 Hz on the left, 1500 Hz on the right) made by the
    // writer.
    std::string Encode(std::uint16_t channels, std::uint32_t rate, double seconds,
                       TMp3Settings settings = {}, const std::string& name = "in.mp3") {
        TAudioStream s(channels, 16, rate);
        const auto n = static_cast<std::uint32_t>(seconds * rate);
        for (std::uint16_t c = 0; c < channels; ++c) {
            test::WriteSine(s, c, c == 0 ? 1000 : 1500, 0.5, n);
        }
        std::string path = Temp.File(name);
        SaveMP3File(s, path, settings);
        return path;
    }

    static void Load(const std::string& path, TAudioStream& s) { TMP3(path).LoadStream(s); }

    void WriteBytes(const std::vector<std::uint8_t>& bytes, const std::string& path) {
        test::TWavBuilder().Bytes(bytes).WriteTo(path);
    }
};

TEST_F(Mp3ReadTest, MonoFileGivesOneSixteenBitChannelAtTheFilesRate) {
    TMp3Settings mono;
    mono.StereoMode = TStereoMode::Mono;
    const std::string path = Encode(1, 44100, 0.5, mono);
    ASSERT_TRUE(IsMp3File(path));
    TAudioStream s(3, 24, 8000);  // whatever the stream held goes
    Load(path, s);
    EXPECT_EQ(s.ChannelCount, 1);
    EXPECT_EQ(s.BitsPerSample, 16);
    EXPECT_EQ(s.BytesPerSample, 2);
    EXPECT_EQ(s.ValueRange, 65536);
    EXPECT_EQ(s.SampleRate, 44100U);
    // The LAME tag's delay and padding are trimmed: exactly the samples that were saved.
    EXPECT_EQ(s.GetLength(), 22050U);
    EXPECT_FALSE(Processing.load());
    EXPECT_EQ(ProgressTotal.load(), ReadWholeFile(path).size());
    EXPECT_EQ(ProgressPosition.load(), ProgressTotal.load());
}

TEST_F(Mp3ReadTest, JointStereoFileGivesTwoChannelsInOrder) {
    const std::string path = Encode(2, 48000, 0.5);
    TMP3 reader(path);
    EXPECT_EQ(reader.FindFrame(0), 0U);
    EXPECT_EQ(reader.Header.ChannelMode, "JointStereo");
    TAudioStream s;
    reader.LoadStream(s);
    ASSERT_EQ(s.ChannelCount, 2);
    EXPECT_EQ(s.SampleRate, 48000U);
    EXPECT_EQ(s.GetLength(), 24000U);
    const auto left = test::Levels(s, 0);
    const auto right = test::Levels(s, 1);
    EXPECT_NEAR(test::Amplitude(left, 1000, 48000, MaxLevel), 0.5, 0.5 * test::LevelTolerance);
    EXPECT_LT(test::Amplitude(left, 1500, 48000, MaxLevel), 0.01);
    EXPECT_NEAR(test::Amplitude(right, 1500, 48000, MaxLevel), 0.5, 0.5 * test::LevelTolerance);
    EXPECT_LT(test::Amplitude(right, 1000, 48000, MaxLevel), 0.01);
}

// The stream holds libmpg123's samples unchanged, so decoded extremes read back on the
// common scale as Round(MaxLevel / 32768 * s).
TEST_F(Mp3ReadTest, SamplesAreLibmpg123sOutputAndExtremesMapExactly) {
    TAudioStream square(2, 16, 44100);
    std::vector<std::int32_t> v(44100);
    for (std::size_t i = 0; i < v.size(); ++i) {
        v[i] = (i / 50) % 2 == 0 ? MaxLevel : -MaxLevel;  // overshoots, so the decoder clips
    }
    square.WriteSamples(0, 0, 44100, v.data());
    square.WriteSamples(1, 0, 44100, v.data());
    const std::string path = Temp.File("square.mp3");
    SaveMP3File(square, path, {});

    TAudioStream s;
    Load(path, s);
    const auto reference = test::DecodeWithLibmpg123(path);
    ASSERT_EQ(reference.Channels, 2);
    for (int c = 0; c < 2; ++c) {
        const auto expected = test::Deinterleave(reference, c);
        const auto stored = test::Stored16(s, static_cast<std::uint16_t>(c));
        ASSERT_EQ(stored, expected) << "channel " << c;
    }

    const auto left = test::Stored16(s, 0);
    const auto top = std::find(left.begin(), left.end(), 32767);
    const auto bottom = std::find(left.begin(), left.end(), -32768);
    ASSERT_NE(top, left.end());
    ASSERT_NE(bottom, left.end());
    std::int32_t level = 0;
    s.ReadSample(0, static_cast<std::uint32_t>(top - left.begin()), level);
    EXPECT_EQ(level, 2147418111);
    s.ReadSample(0, static_cast<std::uint32_t>(bottom - left.begin()), level);
    EXPECT_EQ(level, -2147483647);
}

TEST_F(Mp3ReadTest, MpegTwoAndTwoPointFiveFiles) {
    struct TCase {
        std::uint32_t Rate;
        std::uint16_t Channels;
        const char* Version;
    };
    for (const TCase& c : {TCase{22050, 1, "2"}, TCase{24000, 2, "2"}, TCase{16000, 1, "2"},
                           TCase{11025, 2, "2.5"}, TCase{8000, 1, "2.5"}}) {
        TMp3Settings settings;
        settings.Bitrate = 64;
        const std::string path = Encode(c.Channels, c.Rate, 1.0, settings);
        ASSERT_TRUE(IsMp3File(path)) << c.Rate;
        TMP3 reader(path);
        reader.FindFrame(0);
        EXPECT_EQ(reader.Header.Version, c.Version) << c.Rate;
        EXPECT_EQ(reader.Header.SampleRate, c.Rate);
        TAudioStream s;
        reader.LoadStream(s);
        EXPECT_EQ(s.SampleRate, c.Rate);
        EXPECT_EQ(s.ChannelCount, c.Channels);
        EXPECT_EQ(s.GetLength(), c.Rate) << c.Rate;
        const auto left = test::Levels(s, 0);
        EXPECT_NEAR(test::Amplitude(left, 1000, c.Rate, MaxLevel), 0.5, 0.5 * test::LevelTolerance)
            << c.Rate;
    }
}

TEST_F(Mp3ReadTest, TinyFilesAndAHeaderAtTheVeryEndGiveAnEmptyDocument) {
    const std::string path = Temp.File("x.mp3");
    for (const auto& bytes : {std::vector<std::uint8_t>{}, std::vector<std::uint8_t>{0xFF},
                              std::vector<std::uint8_t>{0xFF, 0xFB, 0x90}}) {
        WriteBytes(bytes, path);
        TAudioStream s(1, 8, 22050);
        Load(path, s);
        EXPECT_EQ(s.GetLength(), 0U);
        EXPECT_EQ(s.ChannelCount, 2);  // no header: no mono frame either
        EXPECT_EQ(s.BitsPerSample, 16);
        EXPECT_EQ(s.SampleRate, 22050U);
    }

    // Mono, 48 kHz, in the last four bytes: the format is the header's, there is nothing to
    // decode.
    std::vector<std::uint8_t> bytes(100, 0x55);
    bytes.insert(bytes.end(), {0xFF, 0xFB, 0x94, 0xC4});
    WriteBytes(bytes, path);
    TAudioStream s;
    TMP3 reader(path);
    Load(path, s);
    EXPECT_EQ(s.GetLength(), 0U);
    EXPECT_EQ(s.ChannelCount, 1);
    EXPECT_EQ(s.SampleRate, 48000U);
    EXPECT_EQ(reader.FindFrame(0), 100U);
    EXPECT_EQ(reader.FindFrame(99), 100U);
    EXPECT_EQ(reader.FindFrame(101), 101U);  // none further, and never backwards
}

TEST_F(Mp3ReadTest, AllZerosIsNotMp3AndLoadsEmpty) {
    const std::string path = Temp.File("zeros.mp3");
    WriteBytes(std::vector<std::uint8_t>(200000, 0), path);
    EXPECT_FALSE(IsMp3File(path));
    TAudioStream s;
    Load(path, s);
    EXPECT_EQ(s.GetLength(), 0U);
    EXPECT_FALSE(Processing.load());
}

TEST_F(Mp3ReadTest, Id3TagOfEightKibibytesHidesTheFileAShortOneDoesNot) {
    const auto audio = ReadWholeFile(Encode(2, 44100, 0.3));
    const auto tagged = [&](std::uint32_t tagBody) {
        std::vector<std::uint8_t> bytes = {'I',
                                           'D',
                                           '3',
                                           3,
                                           0,
                                           0,
                                           static_cast<std::uint8_t>(tagBody >> 21 & 0x7F),
                                           static_cast<std::uint8_t>(tagBody >> 14 & 0x7F),
                                           static_cast<std::uint8_t>(tagBody >> 7 & 0x7F),
                                           static_cast<std::uint8_t>(tagBody & 0x7F)};
        bytes.resize(10 + tagBody, 0);
        bytes.insert(bytes.end(), audio.begin(), audio.end());
        return bytes;
    };
    const std::string path = Temp.File("tagged.mp3");
    WriteBytes(tagged(8192), path);
    EXPECT_FALSE(IsMp3File(path));
    WriteBytes(tagged(20000), path);
    EXPECT_FALSE(IsMp3File(path));

    WriteBytes(tagged(1000), path);
    ASSERT_TRUE(IsMp3File(path));
    TAudioStream s;
    Load(path, s);
    EXPECT_EQ(s.GetLength(), 13230U);
}

TEST_F(Mp3ReadTest, GarbageInTheMiddleIsSkipped) {
    const std::string clean = Encode(2, 44100, 2.0);
    auto bytes = ReadWholeFile(clean);
    const std::size_t middle = bytes.size() / 2;
    std::mt19937 random(7);
    std::vector<std::uint8_t> garbage(5000);
    for (auto& b : garbage) {
        b = static_cast<std::uint8_t>(random());
    }
    // Sprinkle false frame headers into it.
    const std::uint8_t fake[4] = {0xFF, 0xFB, 0x90, 0x64};
    for (std::size_t i = 0; i + 4 <= garbage.size(); i += 397) {
        std::copy_n(fake, 4, garbage.begin() + static_cast<long>(i));
    }
    bytes.insert(bytes.begin() + static_cast<long>(middle), garbage.begin(), garbage.end());
    const std::string path = Temp.File("garbage.mp3");
    WriteBytes(bytes, path);

    TAudioStream s;
    Load(path, s);
    ASSERT_EQ(s.ChannelCount, 2);
    // Whole frames around the damage may go, and the false headers may decode to a few
    // frames of silence; the signal is there before and after it. (The LAME tag's sample
    // count no longer fits the frames, so the trimmed end may cut a little in the wrong
    // place.)
    EXPECT_GT(s.GetLength(), 88200U - 10 * 1152);
    EXPECT_LT(s.GetLength(), 88200U + 10 * 1152);
    const auto left = test::Levels(s, 0);
    EXPECT_NEAR(test::Amplitude(left, 1000, 44100, MaxLevel, 0, 30000), 0.5,
                0.5 * test::LevelTolerance);
    int good = 0;
    for (std::size_t i = left.size() - 30870; i < left.size(); i += 4410) {
        good += std::abs(test::Amplitude(left, 1000, 44100, MaxLevel, i, i + 4410) - 0.5) <
                0.5 * test::LevelTolerance;
    }
    EXPECT_GE(good, 5);  // of 7 tenths of a second
}

TEST_F(Mp3ReadTest, TruncatedLastFrameLosesOnlyTheEnd) {
    const auto bytes = ReadWholeFile(Encode(1, 44100, 1.0));
    const std::string path = Temp.File("cut.mp3");
    WriteBytes(std::vector<std::uint8_t>(bytes.begin(), bytes.end() - 150), path);
    TAudioStream s;
    Load(path, s);
    EXPECT_LE(s.GetLength(), 44100U);
    EXPECT_GT(s.GetLength(), 44100U - 3 * 1152);
    const auto left = test::Levels(s, 0);
    EXPECT_NEAR(test::Amplitude(left, 1000, 44100, MaxLevel, 0, 40000), 0.5,
                0.5 * test::LevelTolerance);
}

TEST_F(Mp3ReadTest, FramesOfLayerTwoOrWithReservedFieldsAreNeverFound) {
    // Only rejected headers, then a real one: FindFrame walks over all the others.
    std::vector<std::uint8_t> bytes = {0xFF, 0xFD, 0x90, 0x64, 0xFF, 0xFF, 0x90, 0x64,
                                       0xFF, 0xFB, 0xF0, 0x64, 0xFF, 0xFB, 0x90, 0x66};
    bytes.resize(5000, 0);
    bytes.insert(bytes.end(), {0xFF, 0xF3, 0x90, 0x00});
    bytes.resize(6000, 0);
    const std::string path = Temp.File("x.mp3");
    WriteBytes(bytes, path);
    TMP3 reader(path);
    EXPECT_EQ(reader.FindFrame(0), 5000U);
    EXPECT_EQ(reader.Header.Version, "2");
    EXPECT_EQ(reader.FindFrame(5001), 5996U);
    EXPECT_EQ(reader.Header.Version, "2");  // kept from the last header found
    TAudioStream s;
    reader.LoadStream(s);  // a lone header over zeros decodes to nothing, and stops
    EXPECT_EQ(s.SampleRate, 22050U);
    EXPECT_LE(s.GetLength(), 1152U);
}

}  // namespace
}  // namespace sonavel
