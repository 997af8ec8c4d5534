#include "app/DocumentView.h"

#include <algorithm>
#include <chrono>
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

TCommandResult Z_plusBtnClick(TDocument& document, const TRebuildGraph& rebuild) {
    TDocument& d = document;
    if (ZoomIgnored(d)) {
        return {};
    }
    const TZoomBusy busy(d);
    d.ViewLength = std::min(std::max(d.ViewLength / 2, MinViewLength), d.SampleCount);
    Centre(d);
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

TCommandResult Z_minusBtnClick(TDocument& document, const TRebuildGraph& rebuild) {
    TDocument& d = document;
    if (ZoomIgnored(d)) {
        return {};
    }
    const TZoomBusy busy(d);
    d.ViewLength = CacheLength(std::uint64_t{d.ViewLength} * 2, d.SampleCount, 0.8);
    Centre(d);
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
