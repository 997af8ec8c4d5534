#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "formats/MP3Utils.h"
#include "support/TempFolder.h"
#include "support/WavBuilder.h"

namespace sonavel {
namespace {

bool Parse(std::uint8_t b0, std::uint8_t b1, std::uint8_t b2, std::uint8_t b3, TMp3Header& h) {
    const std::uint8_t bytes[4] = {b0, b1, b2, b3};
    return ParseFrameHeader(std::span<const std::uint8_t, 4>(bytes), h);
}

TEST(Mp3Header, MpegOneJointStereoAt128k) {
    TMp3Header h;
    ASSERT_TRUE(Parse(0xFF, 0xFB, 0x90, 0x64, h));
    EXPECT_EQ(h.Version, "1");
    EXPECT_EQ(h.Layer, 3);
    EXPECT_FALSE(h.Protected);
    EXPECT_EQ(h.Bitrate, 128);
    EXPECT_EQ(h.SampleRate, 44100);
    EXPECT_FALSE(h.Padding);
    EXPECT_EQ(h.ChannelMode, "JointStereo");
    EXPECT_EQ(h.ModeExtension, 2);
    EXPECT_FALSE(h.Copyright);
    EXPECT_TRUE(h.Original);
    EXPECT_EQ(h.Emphasis, "none");
    EXPECT_EQ(h.FrameLength, 417U);
}

TEST(Mp3Header, ProtectedMono) {
    TMp3Header h;
    ASSERT_TRUE(Parse(0xFF, 0xFA, 0x90, 0xC0, h));
    EXPECT_TRUE(h.Protected);
    EXPECT_EQ(h.ChannelMode, "Mono");
    EXPECT_EQ(h.ModeExtension, 0);
    EXPECT_FALSE(h.Original);
}

TEST(Mp3Header, OnlyLayerThreeIsAccepted) {
    TMp3Header h;
    EXPECT_FALSE(Parse(0xFF, 0xFD, 0x90, 0x64, h));  // Layer II
    EXPECT_FALSE(Parse(0xFF, 0xFF, 0x90, 0x64, h));  // Layer I
    EXPECT_FALSE(Parse(0xFF, 0xF9, 0x90, 0x64, h));  // layer bits 0 (reserved)
}

TEST(Mp3Header, SyncVersionBitrateRateAndEmphasisLimits) {
    TMp3Header h;
    EXPECT_FALSE(Parse(0xFE, 0xFB, 0x90, 0x64, h));  // b0 not 0xFF
    EXPECT_FALSE(Parse(0xFF, 0xDB, 0x90, 0x64, h));  // b1 below 0xE0
    EXPECT_FALSE(Parse(0xFF, 0xEB, 0x90, 0x64, h));  // version 1 is reserved
    EXPECT_FALSE(Parse(0xFF, 0xFB, 0x00, 0x64, h));  // free format
    EXPECT_FALSE(Parse(0xFF, 0xFB, 0xF0, 0x64, h));  // bitrate index 15
    EXPECT_FALSE(Parse(0xFF, 0xFB, 0x9C, 0x64, h));  // sample-rate index 3
    EXPECT_FALSE(Parse(0xFF, 0xFB, 0x90, 0x66, h));  // emphasis 2 is reserved
    ASSERT_TRUE(Parse(0xFF, 0xFB, 0x90, 0x65, h));
    EXPECT_EQ(h.Emphasis, "50/15 ms");
    ASSERT_TRUE(Parse(0xFF, 0xFB, 0x90, 0x67, h));
    EXPECT_EQ(h.Emphasis, "CCIT J.17");
    ASSERT_TRUE(Parse(0xFF, 0xFB, 0x90, 0x0C | 0x80, h));
    EXPECT_EQ(h.ChannelMode, "DualChannel");
    EXPECT_TRUE(h.Copyright);
    EXPECT_TRUE(h.Original);
    ASSERT_TRUE(Parse(0xFF, 0xFB, 0x90, 0x00, h));
    EXPECT_EQ(h.ChannelMode, "Stereo");
    // The private bit changes nothing.
    ASSERT_TRUE(Parse(0xFF, 0xFB, 0x91, 0x64, h));
    EXPECT_EQ(h.FrameLength, 417U);
}

TEST(Mp3Header, BitrateTablesOfBothVersionsAndEveryRate) {
    TMp3Header h;
    for (unsigned index = 1; index <= 14; ++index) {
        const auto b2 = static_cast<std::uint8_t>(index << 4);
        ASSERT_TRUE(Parse(0xFF, 0xFB, b2, 0x00, h));
        EXPECT_EQ(h.Bitrate, Mpeg1Bitrates[index - 1]);
        ASSERT_TRUE(Parse(0xFF, 0xF3, b2, 0x00, h));
        EXPECT_EQ(h.Version, "2");
        EXPECT_EQ(h.Bitrate, Mpeg2Bitrates[index - 1]);
        ASSERT_TRUE(Parse(0xFF, 0xE3, b2, 0x00, h));
        EXPECT_EQ(h.Version, "2.5");
        EXPECT_EQ(h.Bitrate, Mpeg2Bitrates[index - 1]);
    }
    EXPECT_EQ(Mpeg1Bitrates.front(), 32);
    EXPECT_EQ(Mpeg1Bitrates.back(), 320);
    EXPECT_EQ(Mpeg2Bitrates.front(), 8);
    EXPECT_EQ(Mpeg2Bitrates.back(), 160);

    const std::uint8_t versionBits[3] = {0xFB, 0xF3, 0xE3};
    const std::uint16_t rates[3][3] = {
        {44100, 48000, 32000}, {22050, 24000, 16000}, {11025, 12000, 8000}};
    for (int v = 0; v < 3; ++v) {
        for (int r = 0; r < 3; ++r) {
            ASSERT_TRUE(
                Parse(0xFF, versionBits[v], static_cast<std::uint8_t>(0x90 | r << 2), 0, h));
            EXPECT_EQ(h.SampleRate, rates[v][r]);
        }
    }
}

TEST(Mp3Header, FrameLengthTruncatesAndAddsPadding) {
    TMp3Header h;
    // 144000 * 128 / 44100 = 417.96: truncated, then one padding byte.
    ASSERT_TRUE(Parse(0xFF, 0xFB, 0x92, 0x64, h));
    EXPECT_TRUE(h.Padding);
    EXPECT_EQ(h.FrameLength, 418U);
    // 320 kbit/s at 32 kHz is exact: 1440.
    ASSERT_TRUE(Parse(0xFF, 0xFB, 0xE8, 0x00, h));
    EXPECT_EQ(h.FrameLength, 1440U);
    // The longest: MPEG-2.5, 160 kbit/s at 8 kHz, padded.
    ASSERT_TRUE(Parse(0xFF, 0xE3, 0xEA, 0x00, h));
    EXPECT_EQ(h.FrameLength, 2881U);
    // The shortest: MPEG-2, 8 kbit/s at 24 kHz.
    ASSERT_TRUE(Parse(0xFF, 0xF3, 0x14, 0x00, h));
    EXPECT_EQ(h.FrameLength, 48U);
}

TEST(Mp3Header, OfferedConstantBitratesFollowTheRate) {
    EXPECT_EQ(&ConstantBitrates(32000), &Mpeg1Bitrates);
    EXPECT_EQ(&ConstantBitrates(96000), &Mpeg1Bitrates);
    EXPECT_EQ(&ConstantBitrates(31999), &Mpeg2Bitrates);
    EXPECT_EQ(ConstantBitrates(44100)[9], 160);  // the dialog's default item
}

class IsMp3FileTest : public test::TStreamTest {
  protected:
    std::string Path = Temp.File("x.mp3");

    void Write(const std::vector<std::uint8_t>& bytes) {
        test::TWavBuilder().Bytes(bytes).WriteTo(Path);
    }
};

TEST_F(IsMp3FileTest, HeaderMustStartInTheFirst8192Bytes) {
    std::vector<std::uint8_t> bytes(8191, 0);
    bytes.insert(bytes.end(), {0xFF, 0xFB, 0x90, 0x64});
    Write(bytes);
    EXPECT_TRUE(IsMp3File(Path));  // starts at 8191, the last position searched

    bytes.insert(bytes.begin(), 0);
    Write(bytes);
    EXPECT_FALSE(IsMp3File(Path));  // starts at 8192
}

TEST_F(IsMp3FileTest, ShortAndEmptyFilesAndHeadersCutByTheEnd) {
    Write({});
    EXPECT_FALSE(IsMp3File(Path));
    Write({0xFF, 0xFB, 0x90});
    EXPECT_FALSE(IsMp3File(Path));
    // Three header bytes at the end must not be completed with imagined zeros.
    Write({0, 0, 0, 0, 0xFF, 0xFB, 0x90});
    EXPECT_FALSE(IsMp3File(Path));
    Write({0xFF, 0xFB, 0x90, 0x64});
    EXPECT_TRUE(IsMp3File(Path));
    Write({1, 2, 3, 0xFF, 0xFB, 0x90, 0x64});
    EXPECT_TRUE(IsMp3File(Path));  // a header in the very last four bytes
}

TEST_F(IsMp3FileTest, ZerosLayerTwoAndMissingFilesAreNotMp3) {
    Write(std::vector<std::uint8_t>(20000, 0));
    EXPECT_FALSE(IsMp3File(Path));
    Write({0xFF, 0xFD, 0x90, 0x64, 0xFF, 0xFF, 0x90, 0x64});
    EXPECT_FALSE(IsMp3File(Path));
    EXPECT_FALSE(IsMp3File(Temp.File("missing.mp3")));
}

TEST_F(IsMp3FileTest, LongId3TagHidesTheFirstFrame) {
    // An ID3v2 tag of 8 KiB (a synchsafe size) and then a frame: not recognised.
    std::vector<std::uint8_t> bytes = {'I', 'D', '3', 4, 0, 0, 0, 0, 0x40, 0x00};
    bytes.resize(10 + 8192, 0);
    bytes.insert(bytes.end(), {0xFF, 0xFB, 0x90, 0x64});
    bytes.resize(bytes.size() + 413, 0);
    Write(bytes);
    EXPECT_FALSE(IsMp3File(Path));

    // A short tag does not.
    std::vector<std::uint8_t> shortTag = {'I', 'D', '3', 4, 0, 0, 0, 0, 0x02, 0x00};
    shortTag.resize(10 + 256, 0);
    shortTag.insert(shortTag.end(), {0xFF, 0xFB, 0x90, 0x64});
    Write(shortTag);
    EXPECT_TRUE(IsMp3File(Path));
}

}  // namespace
}  // namespace sonavel
