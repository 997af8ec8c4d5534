#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace sonavel {

class TAudioStream;

// Every text the document window writes, in one language.
struct TDocumentWindowTexts {
    // Captions set by SetLanguage.
    const char* Label1;  // before the channel box
    const char* Label2;  // before the properties line
    const char* Label3;  // before the time position
    const char* ToBeginCaption;
    const char* ToEndCaption;
    // Hints.
    const char* PlayHint;
    const char* PlayViewHint;
    const char* StopHint;
    const char* RecordHint;
    const char* SetMarkerHint;
    const char* DelMarkerHint;
    const char* ToBeginHint;
    const char* LeftHint;
    const char* IntervalHint;
    const char* RightHint;
    const char* ToEndHint;
    const char* ZoomInHint;
    const char* ZoomOutHint;
    const char* ZoomSelectionHint;
    const char* ZoomAllHint;
    const char* ZoomMaximalHint;
    // Channel box.
    const char* AllChannels;
    const char* LeftChannel;
    const char* RightChannel;
    const char* ChannelNumberSuffix;  // after the channel number for three or more channels
    // Properties line units.
    const char* Hertz;
    const char* Bits;
    const char* Channels;
    // Progress text of the graph thread and messages.
    const char* CreatingGraph;
    const char* NoPlaybackDevice;
    const char* NoRecordDevice;
};

// Texts that are the same in every language.
inline constexpr const char* DocumentWindowCaption = "Файл";
inline constexpr const char* TimePositionInitialCaption = "0:00:00   0";
inline constexpr const char* LeftBtnCaption = "<<";
inline constexpr const char* RightBtnCaption = ">>";

// The table of "RUS" or of "ENG"; nullptr for any other word, which changes no text.
const TDocumentWindowTexts* DocumentWindowTexts(const std::string& language);

// "H:MM:SS    N" for a sample count N at the given rate, the seconds rounded to nearest
// (ties to even); "0:00:00    N" when the rate is 0.
std::string TimeText(std::uint32_t sampleCount, std::uint32_t sampleRate);

// The properties line, e.g. "44100 Hz  16 bit  2 chnl.    0:03:25    9043200"; none for a
// language word other than "RUS" and "ENG".
std::optional<std::string> PropertiesText(const std::string& language, std::uint32_t sampleRate,
                                          std::uint16_t bitsPerSample, std::uint16_t channelCount,
                                          std::uint32_t length);
std::optional<std::string> ShowProperties(const std::string& language, TAudioStream& stream);

// The channel box items: all channels first, then "Left"/"Right" for a stereo stream or the
// channel numbers for three or more; no items at all for an unknown language word.
std::vector<std::string> ChannelBoxItems(const std::string& language, std::uint16_t channelCount);

}  // namespace sonavel
