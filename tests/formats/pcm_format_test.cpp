#include "formats/PCM_Format.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <random>

#include "formats/FormatError.h"
#include "support/TempFolder.h"
#include "support/WavBuilder.h"

namespace sonavel {
namespace {

using test::TWavBuilder;

class PcmTest : public test::TStreamTest {
  protected:
    std::string Wav = Temp.File("in.wav");

    std::vector<std::int32_t> Channel(TAudioStream& s, std::uint16_t c) {
        std::vector<std::int32_t> v(s.GetLength());
        s.ReadSamples(c, 0, static_cast<std::uint32_t>(v.size()), v.data());
        return v;
    }

    TAudioStream& Load(TAudioStream& s) {
        TPCM(Wav).LoadStream(s);
        return s;
    }
};

TEST_F(PcmTest, CanonicalFileLoadsWithSamplesFromOffset44) {
    TWavBuilder().Riff().Format(2, 22050, 16).Data({1, -1, 32767, -32768}, 2).WriteTo(Wav);
    ASSERT_TRUE(IsWaveFile(Wav));
    TAudioStream s;
    Load(s);
    EXPECT_EQ(s.ChannelCount, 2);
    EXPECT_EQ(s.SampleRate, 22050U);
    EXPECT_EQ(s.BitsPerSample, 16);
    EXPECT_EQ(s.GetLength(), 2U);
    EXPECT_EQ(Channel(s, 0), (std::vector<std::int32_t>{65536, 2147418111}));
    EXPECT_EQ(Channel(s, 1), (std::vector<std::int32_t>{-65536, -2147483647}));
    EXPECT_FALSE(Processing.load());
    EXPECT_EQ(ProgressTotal.load(), 1U);  // frames - 1
}

TEST_F(PcmTest, FormatChunkOfEighteenBytesMovesTheNextChunk) {
    TWavBuilder().Riff().Format(1, 8000, 16, 1, 2).Data({100, 200}, 2).WriteTo(Wav);
    TAudioStream s;
    Load(s);
    EXPECT_EQ(Channel(s, 0),
              (std::vector<std::int32_t>{StoredToLevel(100, 2), StoredToLevel(200, 2)}));
}

TEST_F(PcmTest, ChunksBeforeDataAreWalkedOverWithTheirPadBytes) {
    const std::vector<std::int32_t> seven = {StoredToLevel(7, 2)};
    const std::vector<std::int32_t> sevenToNine = {StoredToLevel(7, 2), StoredToLevel(8, 2),
                                                   StoredToLevel(9, 2)};
    struct Case {
        const char* What;
        TWavBuilder File;
        std::vector<std::int32_t> Samples;
    };
    std::vector<Case> cases;
    cases.push_back(
        {"one odd chunk, unpadded as the old rule read it",
         TWavBuilder().Riff().Format(1, 8000, 16).Chunk("LIST", {1, 2, 3}).Data({7, 8, 9}, 2),
         sevenToNine});
    cases.push_back({"fact and LIST, as recorders write",
                     TWavBuilder()
                         .Riff()
                         .Format(1, 8000, 16)
                         .Chunk("fact", {0, 0, 0, 0})
                         .Chunk("LIST", {5, 0, 6, 0})
                         .Data({7}, 2),
                     seven});
    cases.push_back({"odd chunk with its pad byte",
                     TWavBuilder()
                         .Riff()
                         .Format(1, 8000, 16)
                         .Chunk("LIST", {1, 2, 3})
                         .Bytes({0})
                         .Chunk("fact", {1, 0, 0, 0})
                         .Data({7}, 2),
                     seven});
    cases.push_back({"odd format chunk, padded",
                     TWavBuilder().Riff().Format(1, 8000, 16, 1, 1).Bytes({0}).Data({7}, 2),
                     seven});
    cases.push_back({"odd format chunk, unpadded",
                     TWavBuilder().Riff().Format(1, 8000, 16, 1, 1).Data({7}, 2), seven});
    for (auto& c : cases) {
        c.File.WriteTo(Wav);
        TAudioStream s;
        Load(s);
        EXPECT_EQ(Channel(s, 0), c.Samples) << c.What;
    }
}

TEST_F(PcmTest, RefusedHeadersLeaveTheStreamAlone) {
    struct Case {
        const char* What;
        TWavBuilder File;
    };
    std::vector<Case> cases;
    for (std::uint16_t bits : {0, 33, 40, 64}) {
        cases.push_back(
            {"sample width", TWavBuilder().Riff().FormatRaw(1, 1, 8000, 2, bits).Data({1, 2}, 2)});
    }
    for (std::uint16_t channels : {300, 7936, 65535}) {
        cases.push_back(
            {"channels", TWavBuilder().Riff().FormatRaw(1, channels, 8000, 2, 16).Data({1, 2}, 2)});
    }
    for (std::uint32_t rate : {0U, MaxWaveRate + 1, 4000000000U}) {
        cases.push_back({"sample rate", TWavBuilder().Riff().Format(1, rate, 16).Data({1, 2}, 2)});
    }
    TWavBuilder shortFormat;
    shortFormat.Riff()
        .ChunkHeader("fmt ", 14)
        .Bytes({1, 0, 1, 0, 0x40, 0x1F, 0, 0, 0x80, 0x3E, 0, 0, 2, 0})
        .Data({1}, 2);
    cases.push_back({"format chunk under 16 bytes", shortFormat});
    TWavBuilder cut;
    const std::vector<std::uint8_t> whole =
        TWavBuilder().Riff().Format(1, 8000, 16).Data({1}, 2).Content();
    cut.Bytes({whole.begin(), whole.begin() + 30});
    cases.push_back({"header cut short", cut});
    cases.push_back({"no data chunk", TWavBuilder().Riff().Format(2, 32000, 16)});
    cases.push_back({"no data chunk after others",
                     TWavBuilder().Riff().Format(2, 32000, 16).Chunk("LIST", {1, 2})});
    for (auto& c : cases) {
        c.File.WriteTo(Wav);
        TAudioStream s(1, 16, 44100);
        s.WriteSample(0, 0, 65536);
        EXPECT_THROW(Load(s), TFormatError) << c.What;
        EXPECT_EQ(s.ChannelCount, 1) << c.What;
        EXPECT_EQ(s.BitsPerSample, 16) << c.What;
        EXPECT_EQ(s.SampleRate, 44100U) << c.What;
        EXPECT_EQ(s.GetLength(), 1U) << c.What;
    }
    // The edges of what is taken.
    for (std::uint32_t rate : {MinWaveRate, MaxWaveRate}) {
        TWavBuilder().Riff().Format(1, rate, 16).Data({1}, 2).WriteTo(Wav);
        TAudioStream s;
        EXPECT_EQ(Load(s).SampleRate, rate);
    }
}

TEST_F(PcmTest, OnlyIntegerPcmRiffWaveIsRecognised) {
    TWavBuilder().Riff().Format(1, 8000, 32, 3).Data({0}, 4).WriteTo(Wav);
    EXPECT_FALSE(IsWaveFile(Wav));
    TWavBuilder().Riff().Format(1, 8000, 16, 0xFFFE).Data({0}, 2).WriteTo(Wav);
    EXPECT_FALSE(IsWaveFile(Wav));
    TWavBuilder().Riff("RIFX").Format(1, 8000, 16).Data({0}, 2).WriteTo(Wav);
    EXPECT_FALSE(IsWaveFile(Wav));
    TWavBuilder().Riff("RIFF", "AVI ").Format(1, 8000, 16).Data({0}, 2).WriteTo(Wav);
    EXPECT_FALSE(IsWaveFile(Wav));
    TWavBuilder().Riff().Chunk("LIST", {}).Format(1, 8000, 16).Data({0}, 2).WriteTo(Wav);
    EXPECT_FALSE(IsWaveFile(Wav));
    TWavBuilder().Bytes({'R', 'I'}).WriteTo(Wav);
    EXPECT_FALSE(IsWaveFile(Wav));
    EXPECT_FALSE(IsWaveFile(Temp.File("missing.wav")));
}

TEST_F(PcmTest, EightBitIsUnsignedWithZeroAt128) {
    TWavBuilder()
        .Riff()
        .Format(1, 8000, 8)
        .Bytes({'d', 'a', 't', 'a', 3, 0, 0, 0, 128, 255, 0})
        .WriteTo(Wav);
    TAudioStream s;
    Load(s);
    EXPECT_EQ(Channel(s, 0), (std::vector<std::int32_t>{0, 2130706431, -2147483647}));
}

TEST_F(PcmTest, LoadingReplacesWhateverTheStreamHeld) {
    TWavBuilder().Riff().Format(2, 44100, 24).Data({1, 2, 3, 4}, 3).WriteTo(Wav);
    TAudioStream s(5, 8, 8000);
    s.WriteSample(4, 1000, 12345678);
    Load(s);
    EXPECT_EQ(s.ChannelCount, 2);
    EXPECT_EQ(s.BytesPerSample, 3);
    EXPECT_EQ(s.GetLength(), 2U);
    EXPECT_EQ(ChannelFiles().size(), 2U);
}

TEST_F(PcmTest, DataSizePastTheEndIsClippedToTheWholeFramesPresent) {
    // Says 1,000,000 bytes, holds 5 stereo 16-bit frames and half of a sixth.
    TWavBuilder()
        .Riff()
        .Format(2, 8000, 16)
        .ChunkHeader("data", 1000000)
        .Bytes({1, 0, 2, 0, 3, 0, 4, 0, 5, 0, 6, 0, 7, 0, 8, 0, 9, 0, 10, 0, 11, 0})
        .WriteTo(Wav);
    TAudioStream s;
    Load(s);
    EXPECT_EQ(s.GetLength(), 5U);
    EXPECT_EQ(Channel(s, 1).back(), StoredToLevel(10, 2));

    // A header claiming 4 GiB on a short file must not write gigabytes.
    TWavBuilder()
        .Riff()
        .Format(1, 8000, 16)
        .ChunkHeader("data", 0xFFFFFFFF)
        .Bytes({1, 0, 2, 0})
        .WriteTo(Wav);
    TAudioStream t;
    Load(t);
    EXPECT_EQ(t.GetLength(), 2U);
}

TEST_F(PcmTest, NoFramesGivesAnEmptyDocumentWithTheFilesFormat) {
    struct Case {
        const char* What;
        TWavBuilder File;
        std::uint16_t Channels;
    };
    std::vector<Case> cases;
    cases.push_back({"block align 0",
                     TWavBuilder().Riff().FormatRaw(1, 2, 32000, 0, 16).Data({1, 2, 3, 4}, 2), 2});
    cases.push_back({"no channels",
                     TWavBuilder().Riff().FormatRaw(1, 0, 32000, 4, 16).Data({1, 2, 3, 4}, 2), 0});
    cases.push_back(
        {"less than a frame", TWavBuilder().Riff().Format(2, 32000, 16).Data({1}, 2), 2});
    for (auto& c : cases) {
        c.File.WriteTo(Wav);
        TAudioStream s;
        Load(s);
        EXPECT_EQ(s.ChannelCount, c.Channels) << c.What;
        EXPECT_EQ(s.SampleRate, 32000U) << c.What;
        EXPECT_EQ(s.BitsPerSample, 16) << c.What;
        EXPECT_EQ(s.GetLength(), 0U) << c.What;
    }
}

TEST_F(PcmTest, TheMostChannelsLoad) {
    TWavBuilder()
        .Riff()
        .FormatRaw(1, MaxWaveChannels, 8000, 2 * MaxWaveChannels, 16)
        .Data({}, 2)
        .WriteTo(Wav);
    TAudioStream s;
    Load(s);
    EXPECT_EQ(s.ChannelCount, MaxWaveChannels);
}

TEST_F(PcmTest, WriterProducesTheCanonicalHeader) {
    TAudioStream s(3, 24, 96000);
    for (std::uint16_t c = 0; c < 3; ++c) {
        s.WriteSample(c, 9, MaxLevel);
    }
    SavePCMFile(s, Wav);
    const auto bytes = test::ReadWholeFile(Wav);
    ASSERT_EQ(bytes.size(), 44U + 10 * 9);
    auto u32 = [&](std::size_t at) {
        return bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 |
               static_cast<std::uint32_t>(bytes[at + 3]) << 24;
    };
    auto u16 = [&](std::size_t at) {
        return static_cast<std::uint32_t>(bytes[at] | bytes[at + 1] << 8);
    };
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 4), "RIFF");
    EXPECT_EQ(u32(4), 36U + 90);
    EXPECT_EQ(std::string(bytes.begin() + 8, bytes.begin() + 16), "WAVEfmt ");
    EXPECT_EQ(u32(16), 16U);
    EXPECT_EQ(u16(20), 1U);
    EXPECT_EQ(u16(22), 3U);
    EXPECT_EQ(u32(24), 96000U);
    EXPECT_EQ(u32(28), 96000U * 9);
    EXPECT_EQ(u16(32), 9U);
    EXPECT_EQ(u16(34), 24U);
    EXPECT_EQ(std::string(bytes.begin() + 36, bytes.begin() + 40), "data");
    EXPECT_EQ(u32(40), 90U);
    EXPECT_EQ(bytes[44 + 81], 0xFF);
    EXPECT_EQ(bytes[44 + 83], 0x7F);  // 8,388,607 little-endian in the last frame
}

// A file opened and saved unchanged comes back byte for byte, at every width and channel
// count; the samples read are the file's values on the common scale.
TEST_F(PcmTest, RoundTripsAreExact) {
    std::mt19937 random(3);
    for (std::uint16_t bits : {8, 12, 16, 24, 32}) {
        const unsigned bps = (bits + 7) / 8;
        for (std::uint16_t channels = 1; channels <= 8; ++channels) {
            const std::size_t frames = bits == 16 && channels == 2 ? 600000 : 301;
            std::vector<std::int32_t> values(frames * channels);
            const std::int64_t half = std::int64_t{1} << (8 * bps - 1);
            for (auto& v : values) {
                v = static_cast<std::int32_t>(static_cast<std::int64_t>(random() % (2 * half)) -
                                              half);
            }
            values[0] = static_cast<std::int32_t>(-half);
            values[values.size() - 1] = static_cast<std::int32_t>(half - 1);
            TWavBuilder().Riff().Format(channels, 44100, bits).Data(values, bps).WriteTo(Wav);
            TAudioStream s;
            Load(s);
            ASSERT_EQ(s.GetLength(), frames);
            std::vector<std::int32_t> ch(frames);
            s.ReadSamples(channels - 1, 0, static_cast<std::uint32_t>(frames), ch.data());
            ASSERT_EQ(ch.back(), StoredToLevel(static_cast<std::int32_t>(half - 1), bps));
            const std::string out = Temp.File("out.wav");
            SavePCMFile(s, out);
            ASSERT_EQ(test::ReadWholeFile(out), test::ReadWholeFile(Wav))
                << bits << " bits, " << channels << " channels";
        }
    }
}

// Saving at another width writes what converting and then saving writes, and leaves the
// stream as it was: every pair of widths, 12 bits (a nominal change, same stored width),
// three channels, both ends of the range, and an empty stream.
TEST_F(PcmTest, SavingAtAWidthEqualsConvertingThenSaving) {
    std::mt19937 random(5);
    for (const std::uint16_t from : {8, 16, 24, 32}) {
        const unsigned bps = (from + 7) / 8;
        const std::int64_t half = std::int64_t{1} << (8 * bps - 1);
        std::vector<std::int32_t> values(3 * 5000);
        for (auto& v : values) {
            v = static_cast<std::int32_t>(static_cast<std::int64_t>(random() % (2 * half)) - half);
        }
        values[0] = static_cast<std::int32_t>(-half);
        values[1] = static_cast<std::int32_t>(half - 1);
        TWavBuilder().Riff().Format(3, 22050, from).Data(values, bps).WriteTo(Wav);
        for (const std::uint8_t to : {8, 12, 16, 24, 32}) {
            for (const bool empty : {false, true}) {
                TAudioStream fused;
                TAudioStream converted;
                Load(fused);
                Load(converted);
                if (empty) {
                    fused.DeleteFragment(-1, 0, fused.GetLength());
                    converted.DeleteFragment(-1, 0, converted.GetLength());
                }
                const std::vector<std::int32_t> before = Channel(fused, 2);
                SavePCMFile(fused, Temp.File("fused.wav"), to);
                converted.ChangeBits(to);
                SavePCMFile(converted, Temp.File("converted.wav"));
                ASSERT_EQ(test::ReadWholeFile(Temp.File("fused.wav")),
                          test::ReadWholeFile(Temp.File("converted.wav")))
                    << from << " -> " << int{to} << (empty ? ", empty" : "");
                EXPECT_EQ(fused.BitsPerSample, from);
                EXPECT_EQ(Channel(fused, 2), before);
            }
        }
    }
    TAudioStream s(1, 16, 44100);
    EXPECT_THROW(SavePCMFile(s, Wav, 0), std::invalid_argument);
    EXPECT_THROW(SavePCMFile(s, Wav, 33), std::invalid_argument);
}

TEST_F(PcmTest, EmptyStreamSavesAValidEmptyFile) {
    TAudioStream s(2, 16, 44100);
    SavePCMFile(s, Wav);
    EXPECT_EQ(test::ReadWholeFile(Wav).size(), 44U);
    EXPECT_TRUE(IsWaveFile(Wav));
    TAudioStream t;
    Load(t);
    EXPECT_EQ(t.ChannelCount, 2);
    EXPECT_EQ(t.GetLength(), 0U);
}

// A save that fails part way (here: the file size limit standing in for a full disk) leaves
// the existing file as it was and no partial file behind.
TEST_F(PcmTest, FailedSaveLeavesTheExistingFileIntact) {
    TWavBuilder().Riff().Format(1, 8000, 16).Data({1, 2, 3}, 2).WriteTo(Wav);
    const auto before = test::ReadWholeFile(Wav);
    TAudioStream s(2, 16, 44100);
    std::vector<std::int32_t> loud(200000, 1 << 30);
    s.WriteSamples(0, 0, 200000, loud.data());
    s.WriteSamples(1, 0, 200000, loud.data());
    for (auto& f : s.ChannelFiles) {
        f->Flush();
    }

    rlimit saved{};
    ::getrlimit(RLIMIT_FSIZE, &saved);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 100000;
    ::setrlimit(RLIMIT_FSIZE, &small);
    EXPECT_THROW(SavePCMFile(s, Wav), TFileError);
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_EQ(test::ReadWholeFile(Wav), before);
    const auto files = Temp.Files();
    EXPECT_EQ(
        std::count_if(files.begin(), files.end(),
                      [](const std::string& n) { return n.find(".part") != std::string::npos; }),
        0);

    EXPECT_THROW(SavePCMFile(s, Temp.File("no/such/dir.wav")), TFileError);
}

TEST_F(PcmTest, SavingKeepsThePermissionsOfTheFileItReplaces) {
    TWavBuilder().Riff().Format(1, 8000, 16).Data({1}, 2).WriteTo(Wav);
    ASSERT_EQ(::chmod(Wav.c_str(), 0640), 0);
    TAudioStream s(1, 16, 8000);
    s.WriteSample(0, 0, 5);
    SavePCMFile(s, Wav);
    EXPECT_EQ(FileMode(Wav).value_or(0), 0640U);
}

}  // namespace
}  // namespace sonavel
