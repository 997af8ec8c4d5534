#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/DocumentTexts.h"
#include "core/AudioStream.h"
#include "support/TempFolder.h"

namespace sonavel {
namespace {

using Items = std::vector<std::string>;

TEST(TimeText, HoursMinutesSecondsThenTheSampleCount) {
    EXPECT_EQ(TimeText(0, 44100), "0:00:00    0");
    EXPECT_EQ(TimeText(9043200, 44100), "0:03:25    9043200");
    EXPECT_EQ(TimeText(3600u * 44100, 44100), "1:00:00    158760000");
    EXPECT_EQ(TimeText(44100 * 59 + 44099, 44100),
              "0:01:00    2645999");  // rounds up into the minute
}

TEST(TimeText, SecondsRoundToEvenAndHoursHaveNoLimit) {
    EXPECT_EQ(TimeText(22050, 44100), "0:00:00    22050");  // 0.5 s
    EXPECT_EQ(TimeText(66150, 44100), "0:00:02    66150");  // 1.5 s
    EXPECT_EQ(TimeText(4294967295u, 8000), "149:07:51    4294967295");
    EXPECT_EQ(TimeText(1000, 0), "0:00:00    1000");  // no rate: no division by zero
}

TEST(PropertiesText, RateBitsChannelsAndLengthInBothLanguages) {
    EXPECT_EQ(PropertiesText("ENG", 44100, 16, 2, 9043200),
              "44100 Hz  16 bit  2 chnl.    0:03:25    9043200");
    EXPECT_EQ(PropertiesText("RUS", 44100, 16, 2, 9043200),
              "44100 Гц  16 бит  2 кнл.    0:03:25    9043200");
    EXPECT_EQ(PropertiesText("ENG", 8000, 8, 1, 0), "8000 Hz  8 bit  1 chnl.    0:00:00    0");
    EXPECT_FALSE(PropertiesText("DEU", 44100, 16, 2, 0).has_value());
    EXPECT_FALSE(PropertiesText("eng", 44100, 16, 2, 0).has_value());
}

class ShowPropertiesTest : public test::TStreamTest {};

TEST_F(ShowPropertiesTest, UsesTheStreamsFormatAndLength) {
    TAudioStream stream(2, 24, 48000);
    const std::vector<std::int32_t> samples(96000, 5);
    stream.WriteSamples(1, 0, 96000, samples.data());
    EXPECT_EQ(ShowProperties("ENG", stream), "48000 Hz  24 bit  2 chnl.    0:00:02    96000");
    TAudioStream empty(1, 16, 44100);
    EXPECT_EQ(ShowProperties("RUS", empty), "44100 Гц  16 бит  1 кнл.    0:00:00    0");
}

TEST(ChannelBoxItems, MonoStereoAndMoreChannelsInBothLanguages) {
    EXPECT_EQ(ChannelBoxItems("RUS", 1), (Items{"Все"}));
    EXPECT_EQ(ChannelBoxItems("ENG", 1), (Items{"All"}));
    EXPECT_EQ(ChannelBoxItems("RUS", 2), (Items{"Все", "Левый", "Правый"}));
    EXPECT_EQ(ChannelBoxItems("ENG", 2), (Items{"All", "Left", "Right"}));
    EXPECT_EQ(ChannelBoxItems("RUS", 4), (Items{"Все", "1-й", "2-й", "3-й", "4-й"}));
    EXPECT_EQ(ChannelBoxItems("ENG", 4), (Items{"All", "1", "2", "3", "4"}));
    EXPECT_EQ(ChannelBoxItems("ENG", 3), (Items{"All", "1", "2", "3"}));
    EXPECT_EQ(ChannelBoxItems("ENG", 0), (Items{"All"}));
    EXPECT_TRUE(ChannelBoxItems("ENGLISH", 2).empty());
}

TEST(DocumentWindowTexts, EachLanguageHasItsOwnCompleteTable) {
    const TDocumentWindowTexts* rus = DocumentWindowTexts("RUS");
    const TDocumentWindowTexts* eng = DocumentWindowTexts("ENG");
    ASSERT_NE(rus, nullptr);
    ASSERT_NE(eng, nullptr);
    EXPECT_EQ(DocumentWindowTexts("FRA"), nullptr);
    EXPECT_EQ(DocumentWindowTexts(""), nullptr);
    EXPECT_EQ(DocumentWindowTexts("RUSSIAN"), nullptr);

    EXPECT_STREQ(rus->Label1, "Обрабатываемый канал:");
    EXPECT_STREQ(eng->Label2, "File characteristics:");
    EXPECT_STREQ(rus->Label3, "Текущая позиция:");
    EXPECT_STREQ(rus->ToBeginCaption, "Н");
    EXPECT_STREQ(eng->ToEndCaption, "F");
    EXPECT_STREQ(rus->PlayViewHint, "Воспроизвести до конца видимой зоны");
    EXPECT_STREQ(eng->PlayViewHint, "Play to end of a seen zone");
    EXPECT_STREQ(eng->RecordHint, "Begin record from current position");
    EXPECT_STREQ(rus->RightHint, "Вперед на заданный интервал");
    EXPECT_STREQ(eng->IntervalHint, "Interval in milliseconds");
    EXPECT_STREQ(eng->ZoomMaximalHint, "Maximal scale");
    EXPECT_STREQ(rus->ZoomSelectionHint, "Масштаб по выделенному");
    EXPECT_STREQ(rus->CreatingGraph, "Построение графика");
    EXPECT_STREQ(eng->CreatingGraph, "Creating graph");

    // Every text is set in both tables and no English text is a left-over Russian one.
    using T = TDocumentWindowTexts;
    const std::vector<const char* T::*> fields = {&T::Label1,
                                                  &T::Label2,
                                                  &T::Label3,
                                                  &T::ToBeginCaption,
                                                  &T::ToEndCaption,
                                                  &T::PlayHint,
                                                  &T::PlayViewHint,
                                                  &T::StopHint,
                                                  &T::RecordHint,
                                                  &T::SetMarkerHint,
                                                  &T::DelMarkerHint,
                                                  &T::ToBeginHint,
                                                  &T::LeftHint,
                                                  &T::IntervalHint,
                                                  &T::RightHint,
                                                  &T::ToEndHint,
                                                  &T::ZoomInHint,
                                                  &T::ZoomOutHint,
                                                  &T::ZoomSelectionHint,
                                                  &T::ZoomAllHint,
                                                  &T::ZoomMaximalHint,
                                                  &T::AllChannels,
                                                  &T::LeftChannel,
                                                  &T::RightChannel,
                                                  &T::ChannelNumberSuffix,
                                                  &T::Hertz,
                                                  &T::Bits,
                                                  &T::Channels,
                                                  &T::CreatingGraph,
                                                  &T::NoPlaybackDevice,
                                                  &T::NoRecordDevice};
    EXPECT_EQ(fields.size() * sizeof(const char*), sizeof(T));
    for (const auto field : fields) {
        ASSERT_NE(rus->*field, nullptr);
        ASSERT_NE(eng->*field, nullptr);
        EXPECT_STRNE(rus->*field, eng->*field);
    }
}

}  // namespace
}  // namespace sonavel
