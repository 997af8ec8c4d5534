#include "app/DocumentView.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <thread>

#include "app/Document.h"
#include "app/DocumentTexts.h"
#include "app/GraphCache.h"

namespace sonavel {

namespace {

using TState = TTransportState;

bool Recording(const TDocument& d) {
    return d.Stream->RecordState.load() != TState::Stopped;
}

// Playback started by PlayViewBtn: the cursor and view are left to it.
bool PlayingView(const TDocument& d) {
    return d.Stream->PlayState.load() == TState::Started && d.PlayViewMode;
}

void Rebuild(const TRebuildGraph& rebuild, TGraphRebuild kind) {
    if (rebuild) {
        rebuild(kind);
    }
}

// The last valid cursor position (0 for an empty document).
std::uint32_t LastSample(const TDocument& d) {
    return d.SampleCount == 0 ? 0 : d.SampleCount - 1;
}

// Centres the view on the cursor, keeping it inside the document.
void Centre(TDocument& d) {
    d.ViewLength = std::min(d.ViewLength, d.SampleCount);
    const std::uint32_t half = d.ViewLength / 2;
    d.ViewStart = half < d.CursorPos ? d.CursorPos - half : 0;
    if (std::uint64_t{d.ViewStart} + d.ViewLength > d.SampleCount) {
        d.ViewStart = d.SampleCount - d.ViewLength;
    }
}

bool ViewOutsideCache(const TDocument& d) {
    return d.ViewStart < d.GraphStart ||
           std::uint64_t{d.GraphStart} + d.GraphLength < std::uint64_t{d.ViewStart} + d.ViewLength;
}

// Moves the cache onto the view when the view has left it and keeps it inside the document.
void RelocateCache(TDocument& d) {
    d.GraphLength = std::min(d.GraphLength, d.SampleCount);
    if (ViewOutsideCache(d)) {
        d.GraphStart = d.ViewStart;
    }
    if (std::uint64_t{d.GraphStart} + d.GraphLength > d.SampleCount) {
        d.GraphStart = d.SampleCount - d.GraphLength;
    }
}

// A cache of `length` samples, or the whole document when that is more than `limit` of it.
std::uint32_t CacheLength(std::uint64_t length, std::uint32_t sampleCount, double limit) {
    if (length > sampleCount || static_cast<double>(length) > limit * sampleCount) {
        return sampleCount;
    }
    return static_cast<std::uint32_t>(length);
}

// The cache after the view has moved without zooming: FollowCursor's rule.
void FollowView(TDocument& d, const TRebuildGraph& rebuild) {
    if (ViewOutsideCache(d)) {
        d.GraphLength = std::min(d.GraphLength, d.SampleCount);
        d.GraphStart = d.ViewStart;
        if (std::uint64_t{d.ViewStart} + d.GraphLength > d.SampleCount) {
            d.GraphStart = d.SampleCount - d.GraphLength;
        }
        Rebuild(rebuild, TGraphRebuild::Quiet);
    }
}

void PlaceView(TDocument& d, std::int64_t start) {
    d.ViewLength = std::min(d.ViewLength, d.SampleCount);
    const std::int64_t last = std::int64_t{d.SampleCount} - d.ViewLength;
    d.ViewStart = static_cast<std::uint32_t>(std::clamp<std::int64_t>(start, 0, last));
}

// Selects from the anchor to p; the same sample twice selects nothing.
void SelectBetween(TDocument& d, std::uint32_t anchor, std::uint32_t p) {
    if (anchor == p) {
        d.ClearSelection();
    } else {
        d.Select(std::min(anchor, p), std::max(anchor, p));
    }
}

bool ZoomIgnored(const TDocument& d) {
    return Recording(d) || PlayingView(d) || d.ZoomBusy || d.SampleCount == 0;
}

class TZoomBusy {
  public:
    explicit TZoomBusy(TDocument& d) : D_(d) { D_.ZoomBusy = true; }
    ~TZoomBusy() { D_.ZoomBusy = false; }
    TZoomBusy(const TZoomBusy&) = delete;
    TZoomBusy& operator=(const TZoomBusy&) = delete;

  private:
    TDocument& D_;
};

// The cache of maximal scale and scale on selection: 256 views, or the whole document when
// that is more than 90 % of it; rebuilt always.
TCommandResult ZoomToView(TDocument& d, const TRebuildGraph& rebuild) {
    d.GraphLength = CacheLength(std::uint64_t{d.ViewLength} * 256, d.SampleCount, 0.9);
    RelocateCache(d);
    Rebuild(rebuild, TGraphRebuild::WithProgress);
    return {true, {}};
}

// Sets the cursor and, unless the view belongs to a running PlayViewBtn playback, moves the
// playback position there and follows it with the view.
TCommandResult MoveCursor(TDocument& d, std::uint32_t position, const TRebuildGraph& rebuild) {
    d.CursorPos = position;
    if (!PlayingView(d)) {
        d.Stream->Position.store(d.CursorPos);
        FollowCursor(d, rebuild);
    }
    return {true, {}};
}

std::uint32_t TrackPosition(const TDocument& d, int x, int trackWidth) {
    if (x < 5 || d.SampleCount == 0 || trackWidth <= 10) {
        return 0;
    }
    const std::int64_t p =
        RoundToEven(static_cast<double>(x - 5) / (trackWidth - 10) * d.SampleCount);
    return static_cast<std::uint32_t>(std::clamp<std::int64_t>(p, 0, LastSample(d)));
}

// Moving the cursor while recording would move the recording position and overwrite what
// was just recorded, so the track ignores the mouse then.
TCommandResult TrackMouse(TDocument& d, int x, int trackWidth, const TRebuildGraph& rebuild) {
    if (Recording(d)) {
        return {};
    }
    return MoveCursor(d, TrackPosition(d, x, trackWidth), rebuild);
}

// A stop request. A start still pending with the timer ("starting") has nothing to stop and
// returns to "stopped" at once: a "stopping" written over it would never be answered.
void RequestStop(std::atomic<TState>& state) {
    TState current = state.load();
    while (current != TState::Stopped && current != TState::Stopping) {
        const TState next = current == TState::Starting ? TState::Stopped : TState::Stopping;
        if (state.compare_exchange_weak(current, next)) {
            return;
        }
    }
}

TCommandResult StartPlayback(TDocument& d, bool hasOutputDevice, const std::string& language,
                             std::uint64_t playEnd, bool viewMode) {
    if (d.SampleCount == 0 || d.Stream->PlayState.load() != TState::Stopped || Recording(d)) {
        return {};
    }
    if (!hasOutputDevice) {
        const TDocumentWindowTexts* texts = DocumentWindowTexts(language);
        return {false, texts != nullptr ? texts->NoPlaybackDevice : ""};
    }
    d.PlayEnd = static_cast<std::int32_t>(std::min<std::uint64_t>(playEnd, INT32_MAX));
    d.PlayViewMode = viewMode;
    d.Stream->PlayState.store(TState::Starting);
    return {};
}

}  // namespace

std::vector<std::string> FillChannelBox(TDocument& document, TGraphCache& graph,
                                        const std::string& language) {
    std::vector<std::string> items = ChannelBoxItems(language, document.Stream->ChannelCount);
    graph.Resize(document.Stream->ChannelCount);
    document.FillChannelBox();
    return items;
}

void FollowCursor(TDocument& document, const TRebuildGraph& rebuild) {
    TDocument& d = document;
    if (d.SampleCount == 0) {
        return;
    }
    while (d.GraphBuilding.load()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    Centre(d);
    if (ViewOutsideCache(d)) {
        d.GraphLength = std::min(d.GraphLength, d.SampleCount);
        d.GraphStart = d.ViewStart;
        if (std::uint64_t{d.ViewStart} + d.GraphLength > d.SampleCount) {
            d.GraphStart = d.SampleCount - d.GraphLength;
        }
        Rebuild(rebuild, TGraphRebuild::Quiet);
    }
}

TCommandResult TrackBoxMouseDown(TDocument& document, int x, int trackWidth,
                                 const TRebuildGraph& rebuild) {
    TCommandResult result = TrackMouse(document, x, trackWidth, rebuild);
    if (result.Repaint) {
        document.TrackDragging = true;
    }
    return result;
}

TCommandResult TrackBoxMouseMove(TDocument& document, int x, int trackWidth,
                                 const TRebuildGraph& rebuild) {
    if (!document.TrackDragging) {
        return {};
    }
    return TrackMouse(document, x, trackWidth, rebuild);
}

TCommandResult TrackBoxMouseUp(TDocument& document, const TRebuildGraph& rebuild) {
    document.TrackDragging = false;
    if (!PlayingView(document)) {
        FollowCursor(document, rebuild);
    }
    return {true, {}};
}

TCommandResult WaveBoxMouseDown(TDocument& document, int x, int waveWidth) {
    TDocument& d = document;
    if (Recording(d) || d.SampleCount == 0 || waveWidth <= 0) {
        return {};
    }
    // A click on the right edge would land one past the view; the cursor stays on a sample.
    const std::int64_t p = RoundToEven(static_cast<double>(x) / waveWidth * d.ViewLength +
                                       static_cast<double>(d.ViewStart));
    d.CursorPos = static_cast<std::uint32_t>(std::clamp<std::int64_t>(p, 0, LastSample(d)));
    return {true, {}};
}

namespace {

using TPlace = std::function<void(TDocument&)>;

TCommandResult ZoomIn(TDocument& d, const TRebuildGraph& rebuild, const TPlace& place) {
    if (ZoomIgnored(d)) {
        return {};
    }
    const TZoomBusy busy(d);
    d.ViewLength = std::min(std::max(d.ViewLength / 2, MinViewLength), d.SampleCount);
    place(d);
    const std::uint32_t oldStart = d.GraphStart;
    const std::uint32_t oldLength = d.GraphLength;
    if (RoundToEven(static_cast<double>(d.GraphLength) / d.ViewLength) > 256) {
        d.GraphLength /= 256;
    }
    RelocateCache(d);
    if (d.GraphLength != oldLength || d.GraphStart != oldStart) {
        Rebuild(rebuild, TGraphRebuild::WithProgress);
    }
    return {true, {}};
}

TCommandResult ZoomOut(TDocument& d, const TRebuildGraph& rebuild, const TPlace& place) {
    if (ZoomIgnored(d)) {
        return {};
    }
    const TZoomBusy busy(d);
    d.ViewLength = CacheLength(std::uint64_t{d.ViewLength} * 2, d.SampleCount, 0.8);
    place(d);
    const std::uint32_t oldStart = d.GraphStart;
    const std::uint32_t oldLength = d.GraphLength;
    if (d.GraphLength < d.ViewLength) {
        // An empty cache (length 0) would stay empty however often it grew.
        d.GraphLength = std::max(
            CacheLength(std::uint64_t{d.GraphLength} * 256, d.SampleCount, 0.8), d.ViewLength);
    }
    RelocateCache(d);
    if (d.GraphLength != oldLength || d.GraphStart != oldStart) {
        Rebuild(rebuild, TGraphRebuild::WithProgress);
    }
    return {true, {}};
}

}  // namespace

TCommandResult Z_plusBtnClick(TDocument& document, const TRebuildGraph& rebuild) {
    return ZoomIn(document, rebuild, Centre);
}

TCommandResult Z_minusBtnClick(TDocument& document, const TRebuildGraph& rebuild) {
    return ZoomOut(document, rebuild, Centre);
}

TCommandResult WheelZoom(TDocument& document, bool zoomIn, int x, int waveWidth,
                         const TRebuildGraph& rebuild) {
    if (waveWidth <= 0 || document.SampleCount == 0) {
        return {};
    }
    const std::uint32_t under = WavePosition(document, x, waveWidth);
    const double share = std::clamp(static_cast<double>(x) / waveWidth, 0.0, 1.0);
    const TPlace keepUnder = [under, share](TDocument& d) {
        PlaceView(d, under - static_cast<std::int64_t>(std::llround(share * d.ViewLength)));
    };
    return zoomIn ? ZoomIn(document, rebuild, keepUnder) : ZoomOut(document, rebuild, keepUnder);
}

std::uint32_t WavePosition(const TDocument& document, int x, int waveWidth) {
    const TDocument& d = document;
    if (d.SampleCount == 0 || waveWidth <= 0) {
        return 0;
    }
    const std::int64_t p = RoundToEven(static_cast<double>(x) / waveWidth * d.ViewLength +
                                       static_cast<double>(d.ViewStart));
    return static_cast<std::uint32_t>(std::clamp<std::int64_t>(p, 0, LastSample(d)));
}

TCommandResult WaveBoxDragStart(TDocument& document, int x, int waveWidth, bool extend) {
    TDocument& d = document;
    if (Recording(d) || d.SampleCount == 0 || waveWidth <= 0) {
        return {};
    }
    const std::uint32_t p = WavePosition(d, x, waveWidth);
    if (extend) {
        // From the far end of the selection, from a lone first border, or from the cursor.
        std::uint32_t anchor = d.CursorPos;
        if (d.SelEndSet) {
            const std::int64_t toStart = std::abs(std::int64_t{p} - d.SelStart);
            const std::int64_t toEnd = std::abs(std::int64_t{p} - d.SelEnd);
            anchor = toStart >= toEnd ? d.SelStart : d.SelEnd;
        } else if (d.SelStartSet) {
            anchor = d.SelStart;
        }
        anchor = std::min(anchor, LastSample(d));
        SelectBetween(d, anchor, p);
        d.WaveDragAnchor = anchor;
        d.WaveDragSelects = true;
    } else {
        d.CursorPos = p;
        d.WaveDragAnchor = p;
        d.WaveDragSelects = false;
    }
    d.WaveDragging = true;
    d.WaveDragX = x;
    return {true, {}};
}

TCommandResult WaveBoxDragMove(TDocument& document, int x, int waveWidth,
                               const TRebuildGraph& rebuild) {
    TDocument& d = document;
    if (!d.WaveDragging || Recording(d) || d.SampleCount == 0 || waveWidth <= 0) {
        return {};
    }
    if (!d.WaveDragSelects && std::abs(x - d.WaveDragX) < WaveDragThreshold) {
        return {};
    }
    d.WaveDragSelects = true;
    std::uint32_t p = 0;
    if (x < 0 || x >= waveWidth) {
        const int outside = x < 0 ? -x : x - waveWidth + 1;
        const std::int64_t perPixel = std::max<std::int64_t>(1, d.ViewLength / waveWidth);
        const std::int64_t step = perPixel * std::min(outside, waveWidth);
        ScrollView(d, x < 0 ? std::int64_t{d.ViewStart} - step : std::int64_t{d.ViewStart} + step,
                   rebuild);
        const std::uint64_t viewEnd = std::uint64_t{d.ViewStart} + d.ViewLength;
        p = x < 0 ? d.ViewStart
                  : static_cast<std::uint32_t>(std::max<std::uint64_t>(viewEnd, 1) - 1);
    } else {
        p = WavePosition(d, x, waveWidth);
    }
    SelectBetween(d, d.WaveDragAnchor, std::min(p, LastSample(d)));
    return {true, {}};
}

TCommandResult WaveBoxDragEnd(TDocument& document) {
    document.WaveDragging = false;
    document.WaveDragSelects = false;
    return {};
}

TCommandResult SelectAll(TDocument& document) {
    TDocument& d = document;
    if (Recording(d) || d.SampleCount < 2) {
        return {};
    }
    d.Select(0, LastSample(d));
    return {true, {}};
}

namespace {

// The end of the selection that stays when it is extended towards `towardsStart`.
std::uint32_t KeptEnd(const TDocument& d, bool towardsStart) {
    if (d.SelEndSet) {
        return std::min(towardsStart ? d.SelEnd : d.SelStart, LastSample(d));
    }
    return std::min(d.SelStartSet ? d.SelStart : d.CursorPos, LastSample(d));
}

TCommandResult SelectTo(TDocument& d, bool towardsStart, const TRebuildGraph& rebuild) {
    if (Recording(d) || d.SampleCount == 0) {
        return {};
    }
    const std::uint32_t kept = KeptEnd(d, towardsStart);
    const std::uint32_t target = towardsStart ? 0 : LastSample(d);
    SelectBetween(d, kept, target);
    d.CursorPos = target;
    if (!PlayingView(d)) {
        FollowCursor(d, rebuild);
    }
    return {true, {}};
}

}  // namespace

TCommandResult SelectToStart(TDocument& document, const TRebuildGraph& rebuild) {
    return SelectTo(document, true, rebuild);
}

TCommandResult SelectToEnd(TDocument& document, const TRebuildGraph& rebuild) {
    return SelectTo(document, false, rebuild);
}

TCommandResult ScrollView(TDocument& document, std::int64_t start, const TRebuildGraph& rebuild) {
    TDocument& d = document;
    if (d.SampleCount == 0 || PlayingView(d)) {
        return {};
    }
    while (d.GraphBuilding.load()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    const std::uint32_t before = d.ViewStart;
    PlaceView(d, start);
    FollowView(d, rebuild);
    return {d.ViewStart != before, {}};
}

TCommandResult WheelScroll(TDocument& document, int steps, const TRebuildGraph& rebuild) {
    const std::int64_t step = std::max<std::int64_t>(1, document.ViewLength / 10);
    return ScrollView(document, std::int64_t{document.ViewStart} - step * steps, rebuild);
}

TScrollBarModel ScrollBarModel(const TDocument& document) {
    const TDocument& d = document;
    TScrollBarModel m;
    constexpr std::uint32_t Room = 1U << 30;
    m.Scale = d.SampleCount / Room + 1;
    const std::uint32_t length = std::min(d.ViewLength, d.SampleCount);
    m.Maximum = static_cast<int>((d.SampleCount - length) / m.Scale);
    m.PageStep = static_cast<int>(std::max<std::uint32_t>(1, length / m.Scale));
    m.SingleStep = std::max(1, m.PageStep / 10);
    m.Value = std::min(static_cast<int>(d.ViewStart / m.Scale), m.Maximum);
    return m;
}

std::int64_t ScrollBarStart(const TDocument& document, int value) {
    const TScrollBarModel m = ScrollBarModel(document);
    // The last position of the bar is the end of the document, whatever the rounding.
    if (value >= m.Maximum) {
        return std::int64_t{document.SampleCount} -
               std::min(document.ViewLength, document.SampleCount);
    }
    return std::int64_t{value} * m.Scale;
}

TCommandResult Z_SelBtnClick(TDocument& document, const TRebuildGraph& rebuild) {
    TDocument& d = document;
    if (ZoomIgnored(d) || !d.SelEndSet) {
        return {};
    }
    const TZoomBusy busy(d);
    d.CursorPos = std::min(d.SelEnd / 2 + d.SelStart / 2, LastSample(d));
    d.ViewStart = d.SelStart;
    const std::uint64_t selected = std::uint64_t{d.SelEnd} - d.SelStart + 1;
    if (selected < MinViewLength) {
        d.ViewLength = std::min(MinViewLength, d.SampleCount);
        Centre(d);
    } else {
        // A selection kept from before the document got shorter may reach past its end; the
        // view stays inside the document.
        d.ViewLength = static_cast<std::uint32_t>(std::min<std::uint64_t>(selected, d.SampleCount));
        if (std::uint64_t{d.ViewStart} + d.ViewLength > d.SampleCount) {
            d.ViewStart = d.SampleCount - d.ViewLength;
        }
    }
    return ZoomToView(d, rebuild);
}

TCommandResult Z_allBtnClick(TDocument& document, const TRebuildGraph& rebuild) {
    TDocument& d = document;
    if (ZoomIgnored(d)) {
        return {};
    }
    const TZoomBusy busy(d);
    d.ViewStart = 0;
    d.ViewLength = d.SampleCount;
    const bool rebuildNeeded = d.GraphLength != d.SampleCount || d.GraphStart != 0;
    d.GraphStart = 0;
    d.GraphLength = d.SampleCount;
    if (rebuildNeeded) {
        Rebuild(rebuild, TGraphRebuild::WithProgress);
    }
    return {true, {}};
}

TCommandResult Z_1_1BtnClick(TDocument& document, const TRebuildGraph& rebuild) {
    TDocument& d = document;
    if (ZoomIgnored(d)) {
        return {};
    }
    const TZoomBusy busy(d);
    d.ViewLength = std::min(MinViewLength, d.SampleCount);
    Centre(d);
    return ZoomToView(d, rebuild);
}

TCommandResult SetMarkerBtnClick(TDocument& document) {
    TDocument& d = document;
    if (d.Stream->GetLength() == 0 || Recording(d)) {
        return {};
    }
    const std::uint32_t cursor = d.CursorPos;
    if (!d.SelStartSet) {
        d.SelStart = cursor;
        d.SelStartSet = true;
    } else if (!d.SelEndSet) {
        if (cursor == d.SelStart) {
            return {};
        }
        if (cursor < d.SelStart) {
            d.SelEnd = d.SelStart;
            d.SelStart = cursor;
        } else {
            d.SelEnd = cursor;
        }
        d.SelEndSet = true;
    } else {
        d.SelStart = std::min(d.SelStart, cursor);
        d.SelEnd = std::max(d.SelEnd, cursor);
    }
    return {true, {}};
}

TCommandResult DelMarkerBtnClick(TDocument& document) {
    document.ClearSelection();
    return {!Recording(document), {}};
}

TCommandResult ToBeginBtnClick(TDocument& document, const TRebuildGraph& rebuild) {
    TDocument& d = document;
    if (Recording(d)) {
        return {};
    }
    // A border kept from before the document got shorter is clamped to its last sample.
    return MoveCursor(d, d.SelStartSet ? std::min(d.SelStart, LastSample(d)) : 0, rebuild);
}

TCommandResult ToEndBtnClick(TDocument& document, const TRebuildGraph& rebuild) {
    TDocument& d = document;
    if (d.SampleCount == 0 || Recording(d)) {
        return {};
    }
    return MoveCursor(d, d.SelEndSet ? std::min(d.SelEnd, LastSample(d)) : LastSample(d), rebuild);
}

std::uint32_t NavigationStep(int intervalMs, std::uint32_t sampleRate) {
    const std::int64_t product =
        std::int64_t{std::clamp(intervalMs, IntervalMinimum, IntervalMaximum)} * sampleRate;
    return static_cast<std::uint32_t>(RoundToEven(static_cast<double>(product) / 1000));
}

TCommandResult LeftBtnClick(TDocument& document, int intervalMs, const TRebuildGraph& rebuild) {
    TDocument& d = document;
    if (Recording(d)) {
        return {};
    }
    const std::uint32_t step = NavigationStep(intervalMs, d.Stream->SampleRate);
    return MoveCursor(d, d.CursorPos < step ? 0 : d.CursorPos - step, rebuild);
}

TCommandResult RightBtnClick(TDocument& document, int intervalMs, const TRebuildGraph& rebuild) {
    TDocument& d = document;
    if (d.SampleCount == 0 || Recording(d)) {
        return {};
    }
    const std::uint32_t step = NavigationStep(intervalMs, d.Stream->SampleRate);
    const std::uint32_t target = d.CursorPos < d.SampleCount && step < d.SampleCount - d.CursorPos
                                     ? d.CursorPos + step
                                     : LastSample(d);
    return MoveCursor(d, target, rebuild);
}

TCommandResult PlayBtnClick(TDocument& document, bool hasOutputDevice,
                            const std::string& language) {
    return StartPlayback(document, hasOutputDevice, language, LastSample(document), false);
}

TCommandResult PlayViewBtnClick(TDocument& document, bool hasOutputDevice,
                                const std::string& language) {
    const TDocument& d = document;
    // The last visible sample, kept on a sample of the document.
    const std::uint64_t viewEnd = std::uint64_t{d.ViewStart} + d.ViewLength;
    const std::uint64_t playEnd =
        std::min<std::uint64_t>(std::max<std::uint64_t>(viewEnd, 1) - 1, LastSample(d));
    return StartPlayback(document, hasOutputDevice, language, playEnd, true);
}

TCommandResult StopBtnClick(TDocument& document) {
    RequestStop(document.Stream->PlayState);
    RequestStop(document.Stream->RecordState);
    return {};
}

TCommandResult RecordBtnClick(TDocument& document, bool hasInputDevice,
                              const std::string& language) {
    TDocument& d = document;
    if (d.Stream->PlayState.load() != TState::Stopped || Recording(d)) {
        return {};
    }
    if (!hasInputDevice) {
        const TDocumentWindowTexts* texts = DocumentWindowTexts(language);
        return {false, texts != nullptr ? texts->NoRecordDevice : ""};
    }
    TCommandResult cleared = DelMarkerBtnClick(d);
    d.Stream->RecordState.store(TState::Starting);
    return cleared;
}

TCommandResult CurrentChannelBoxChange(TDocument& document, int itemIndex) {
    TDocument& d = document;
    const int channels = d.Stream->ChannelCount;
    const int lastItem = channels == 1 ? 0 : channels;
    d.ChannelItem = std::clamp(itemIndex, 0, std::max(lastItem, 0));
    TState expected = TState::Started;
    // Only a playback that is still running is restarted; one that has just ended stays so.
    if (d.Stream->PlayState.compare_exchange_strong(expected, TState::Stopping)) {
        while (d.Stream->PlayState.load() != TState::Stopped) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        d.Stream->PlayState.store(TState::Starting);
    }
    return {true, {}};
}

TDocumentLayout FormResize(int clientWidth, int clientHeight) {
    TDocumentLayout layout;
    layout.TrackBoxWidth = std::max(clientWidth - 10, 0);
    layout.WaveBoxWidth = std::max(clientWidth - 20, 0);
    layout.WaveBoxHeight = std::max(clientHeight - WaveBoxTop - 10, 0);
    layout.Z_1_1BtnLeft = clientWidth - 34;
    layout.Z_allBtnLeft = layout.Z_1_1BtnLeft - 27;
    layout.Z_SelBtnLeft = layout.Z_allBtnLeft - 27;
    layout.Z_minusBtnLeft = layout.Z_SelBtnLeft - 27;
    layout.Z_plusBtnLeft = layout.Z_minusBtnLeft - 27;
    return layout;
}

}  // namespace sonavel
