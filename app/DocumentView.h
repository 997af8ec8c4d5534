#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace sonavel {

class TDocument;
class TGraphCache;

// The document window's commands on its document, without any widget: the window forwards
// its events here and repaints its track and wave boxes when a result says so.

// The smallest view: half the main window's minimum width (640) as a count of samples.
inline constexpr std::uint32_t MinViewLength = 320;
inline constexpr int WaveBoxTop = 134;
inline constexpr int IntervalMinimum = 1;
inline constexpr int IntervalMaximum = 9999;
inline constexpr int IntervalDefault = 10;

// How a rebuild of the graph cache is shown: quietly (the window waits for the graph thread)
// or behind the modal progress window.
enum class TGraphRebuild : std::uint8_t { Quiet, WithProgress };

// Rebuilds this document's graph cache from its GraphStart and GraphLength on the graph
// thread (RunGraphThread) and returns when it is built. A command calls it at the point where
// the rebuild belongs, after it has set the new range. An empty hook skips the rebuild.
using TRebuildGraph = std::function<void(TGraphRebuild)>;

struct TCommandResult {
    bool Repaint = false;  // repaint the track and the wave
    std::string Message;   // for a message box; empty for none
};

// Rebuilds the channel box items for the language, sizes the cache to the stream's channels
// and selects item 0 (all channels).
std::vector<std::string> FillChannelBox(TDocument& document, TGraphCache& graph,
                                        const std::string& language);

// Centres the view on the cursor and rebuilds the cache quietly when the view has left it.
// Waits (20 ms sleeps) while the graph thread is building. Nothing for an empty document.
void FollowCursor(TDocument& document, const TRebuildGraph& rebuild);

// Time track, left button only; x in track box pixels, trackWidth its width.
TCommandResult TrackBoxMouseDown(TDocument& document, int x, int trackWidth,
                                 const TRebuildGraph& rebuild);
TCommandResult TrackBoxMouseMove(TDocument& document, int x, int trackWidth,
                                 const TRebuildGraph& rebuild);
TCommandResult TrackBoxMouseUp(TDocument& document, const TRebuildGraph& rebuild);

// Waveform click, any button: moves the cursor only.
TCommandResult WaveBoxMouseDown(TDocument& document, int x, int waveWidth);

// Zoom commands.
TCommandResult Z_plusBtnClick(TDocument& document, const TRebuildGraph& rebuild);
TCommandResult Z_minusBtnClick(TDocument& document, const TRebuildGraph& rebuild);
TCommandResult Z_SelBtnClick(TDocument& document, const TRebuildGraph& rebuild);
TCommandResult Z_allBtnClick(TDocument& document, const TRebuildGraph& rebuild);
TCommandResult Z_1_1BtnClick(TDocument& document, const TRebuildGraph& rebuild);

// Selection borders.
TCommandResult SetMarkerBtnClick(TDocument& document);
TCommandResult DelMarkerBtnClick(TDocument& document);

// Navigation; intervalMs is IntervalEdit's value.
TCommandResult ToBeginBtnClick(TDocument& document, const TRebuildGraph& rebuild);
TCommandResult ToEndBtnClick(TDocument& document, const TRebuildGraph& rebuild);
TCommandResult LeftBtnClick(TDocument& document, int intervalMs, const TRebuildGraph& rebuild);
TCommandResult RightBtnClick(TDocument& document, int intervalMs, const TRebuildGraph& rebuild);
// Round(intervalMs * SampleRate / 1000), the product formed in 64 bits.
std::uint32_t NavigationStep(int intervalMs, std::uint32_t sampleRate);

// Transport: these only write the stream's state words (the main window's timer starts the
// threads) and PlayEnd / PlayViewMode. The device flags say whether the system has a wave
// output or input device; without one the result carries the message in the language.
TCommandResult PlayBtnClick(TDocument& document, bool hasOutputDevice, const std::string& language);
TCommandResult PlayViewBtnClick(TDocument& document, bool hasOutputDevice,
                                const std::string& language);
TCommandResult StopBtnClick(TDocument& document);
TCommandResult RecordBtnClick(TDocument& document, bool hasInputDevice,
                              const std::string& language);

// A new channel box item; restarts a running playback so that it plays the new channel.
// Waits (50 ms sleeps) for the engine to stop.
TCommandResult CurrentChannelBoxChange(TDocument& document, int itemIndex);

// Sizes and places of the controls that follow the window's client size.
struct TDocumentLayout {
    int TrackBoxWidth = 0;
    int WaveBoxWidth = 0;
    int WaveBoxHeight = 0;
    int Z_1_1BtnLeft = 0;
    int Z_allBtnLeft = 0;
    int Z_SelBtnLeft = 0;
    int Z_minusBtnLeft = 0;
    int Z_plusBtnLeft = 0;
};
TDocumentLayout FormResize(int clientWidth, int clientHeight);

}  // namespace sonavel
