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

// Selecting with the mouse on the waveform (left button), beyond the plain click above,
// which still only places the cursor. x may lie outside the box while the button is held.
// A press places the cursor as a click does and remembers it as the anchor; once the mouse
// has moved WaveDragThreshold pixels, the selection runs from the anchor to the sample under
// the mouse. Past either side of the box the view scrolls (by the distance, at least one
// pixel's worth of samples) and the selection follows its edge. With shift the press
// extends the selection (or selects from the cursor) to the sample under the mouse instead.
inline constexpr int WaveDragThreshold = 3;
TCommandResult WaveBoxDragStart(TDocument& document, int x, int waveWidth, bool extend);
TCommandResult WaveBoxDragMove(TDocument& document, int x, int waveWidth,
                               const TRebuildGraph& rebuild);
TCommandResult WaveBoxDragEnd(TDocument& document);
// The sample under x of the wave box, kept on the document.
std::uint32_t WavePosition(const TDocument& document, int x, int waveWidth);

// Keyboard selection: everything; from the selection's (or the cursor's) far end to the
// start or to the end of the document.
TCommandResult SelectAll(TDocument& document);
TCommandResult SelectToStart(TDocument& document, const TRebuildGraph& rebuild);
TCommandResult SelectToEnd(TDocument& document, const TRebuildGraph& rebuild);

// Moves the view to start at `start` (kept inside the document) without touching the
// cursor; the cache is moved and rebuilt quietly when the view leaves it, as FollowCursor
// does.
TCommandResult ScrollView(TDocument& document, std::int64_t start, const TRebuildGraph& rebuild);
// The wheel: `steps` notches (positive towards the start), a tenth of the view each.
TCommandResult WheelScroll(TDocument& document, int steps, const TRebuildGraph& rebuild);
// Ctrl+wheel: zooms in (or out) by the zoom buttons' steps and limits, keeping the sample
// under x where it is.
TCommandResult WheelZoom(TDocument& document, bool zoomIn, int x, int waveWidth,
                         const TRebuildGraph& rebuild);

// The horizontal scroll bar: its range in units of Scale samples, so that a document of up
// to 2^32 - 1 samples fits the bar's int range.
struct TScrollBarModel {
    int Maximum = 0;
    int PageStep = 0;
    int SingleStep = 1;
    int Value = 0;
    std::uint32_t Scale = 1;
};
TScrollBarModel ScrollBarModel(const TDocument& document);
std::int64_t ScrollBarStart(const TDocument& document, int value);

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
