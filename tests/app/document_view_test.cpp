#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>
#include <vector>

#include "app/Document.h"
#include "app/DocumentView.h"
#include "app/GraphCache.h"
#include "support/TempFolder.h"
#include "support/WaitUntil.h"

namespace sonavel {
namespace {

using TState = TTransportState;
using test::WaitUntil;

// A rebuild as the window's hook sees it: its kind and the cache range it builds.
struct TRebuildCall {
    TGraphRebuild Kind;
    std::uint32_t GraphStart;
    std::uint32_t GraphLength;
    bool ZoomBusy;
    bool operator==(const TRebuildCall&) const = default;
};

class DocumentViewTest : public test::TStreamTest {
  protected:
    // A mono 16-bit document of `samples` samples at 44100 Hz, shown whole.
    void Open(std::uint32_t samples) {
        auto stream = std::make_unique<TAudioStream>(1, 16, 44100);
        const std::vector<std::int32_t> block(samples, MaxLevel / 2);
        stream->WriteSamples(0, 0, samples, block.data());
        Doc = std::make_unique<TDocument>(std::move(stream));
    }
    TRebuildGraph Hook() {
        return [this](TGraphRebuild kind) {
            Rebuilds.push_back({kind, Doc->GraphStart, Doc->GraphLength, Doc->ZoomBusy});
        };
    }
    void ExpectViewInsideCache() const {
        EXPECT_GE(Doc->ViewStart, Doc->GraphStart);
        EXPECT_LE(std::uint64_t{Doc->ViewStart} + Doc->ViewLength,
                  std::uint64_t{Doc->GraphStart} + Doc->GraphLength);
        EXPECT_LE(std::uint64_t{Doc->GraphStart} + Doc->GraphLength, Doc->SampleCount);
    }
    TState Play() const { return Doc->Stream->PlayState.load(); }

    std::unique_ptr<TDocument> Doc;
    std::vector<TRebuildCall> Rebuilds;
};

// --- Zoom

TEST_F(DocumentViewTest, ZoomingInHalvesTheViewAndShrinksTheCacheOnlyAt256Views) {
    Open(441000);
    const std::vector<std::uint32_t> halves = {220500, 110250, 55125, 27562,
                                               13781,  6890,   3445,  1722};
    for (const std::uint32_t expected : halves) {
        EXPECT_TRUE(Z_plusBtnClick(*Doc, Hook()).Repaint);
        EXPECT_EQ(Doc->ViewLength, expected);
    }
    EXPECT_TRUE(Rebuilds.empty());
    EXPECT_EQ(Doc->GraphLength, 441000u);

    Z_plusBtnClick(*Doc, Hook());  // 861 samples: the cache is 512 views long
    EXPECT_EQ(Doc->ViewLength, 861u);
    ASSERT_EQ(Rebuilds.size(), 1u);
    EXPECT_EQ(Rebuilds[0], (TRebuildCall{TGraphRebuild::WithProgress, 0, 1722, true}));
    EXPECT_FALSE(Doc->ZoomBusy);
    ExpectViewInsideCache();

    for (int i = 0; i < 3; ++i) {
        Z_plusBtnClick(*Doc, Hook());
    }
    EXPECT_EQ(Doc->ViewLength, MinViewLength);  // never below 320 samples
    EXPECT_EQ(Rebuilds.size(), 1u);
}

TEST_F(DocumentViewTest, ZoomingInAroundTheCursorMovesTheShrunkCacheOntoTheView) {
    Open(441000);
    Doc->CursorPos = 300000;
    for (int i = 0; i < 9; ++i) {
        Z_plusBtnClick(*Doc, Hook());
    }
    EXPECT_EQ(Doc->ViewStart, 300000u - 430);
    ASSERT_EQ(Rebuilds.size(), 1u);
    EXPECT_EQ(Rebuilds[0].GraphStart, 300000u - 430);
    EXPECT_EQ(Rebuilds[0].GraphLength, 1722u);
    ExpectViewInsideCache();
}

TEST_F(DocumentViewTest, ZoomingOutFrom45PercentShowsTheWholeDocument) {
    Open(441000);
    Doc->ViewLength = 198450;  // 45 %: doubled it would be 90 %, more than 80 %
    Doc->ViewStart = 100000;
    Z_minusBtnClick(*Doc, Hook());
    EXPECT_EQ(Doc->ViewStart, 0u);
    EXPECT_EQ(Doc->ViewLength, 441000u);
    EXPECT_TRUE(Rebuilds.empty());  // the cache already covered the document
}

TEST_F(DocumentViewTest, ZoomingOutGrowsTheCache256FoldWhenTheViewOutgrowsIt) {
    Open(441000);
    Doc->CursorPos = 300000;
    Doc->ViewStart = 299000;
    Doc->ViewLength = 1000;
    Doc->GraphStart = 299000;
    Doc->GraphLength = 1000;
    Z_minusBtnClick(*Doc, Hook());
    EXPECT_EQ(Doc->ViewLength, 2000u);
    EXPECT_EQ(Doc->ViewStart, 299000u);
    ASSERT_EQ(Rebuilds.size(), 1u);
    // 256000 samples fit inside the document only from 185000 on.
    EXPECT_EQ(Rebuilds[0], (TRebuildCall{TGraphRebuild::WithProgress, 185000, 256000, true}));
    ExpectViewInsideCache();

    Z_minusBtnClick(*Doc, Hook());  // 4000 samples, still inside the cache
    EXPECT_EQ(Rebuilds.size(), 1u);

    Doc->ViewLength = 200000;  // doubled beyond the cache: 256 times would be the document
    Z_minusBtnClick(*Doc, Hook());
    EXPECT_EQ(Doc->ViewLength, 441000u);
    EXPECT_EQ(Rebuilds.back(), (TRebuildCall{TGraphRebuild::WithProgress, 0, 441000, true}));
}

TEST_F(DocumentViewTest, ZoomingOutAnEmptyCacheGivesOneThatHoldsTheView) {
    Open(441000);
    Doc->ViewLength = 1000;
    Doc->GraphLength = 0;
    Z_minusBtnClick(*Doc, Hook());
    ASSERT_EQ(Rebuilds.size(), 1u);
    EXPECT_GE(Doc->GraphLength, Doc->ViewLength);
    ExpectViewInsideCache();
}

TEST_F(DocumentViewTest, ScaleOnAShortSelectionShows320SamplesAroundItsMiddle) {
    Open(441000);
    Doc->Select(300000, 300099);
    Z_SelBtnClick(*Doc, Hook());
    EXPECT_EQ(Doc->CursorPos, 300049u);
    EXPECT_EQ(Doc->ViewLength, 320u);
    EXPECT_EQ(Doc->ViewStart, 300049u - 160);
    ASSERT_EQ(Rebuilds.size(), 1u);
    EXPECT_EQ(Rebuilds[0], (TRebuildCall{TGraphRebuild::WithProgress, 300049 - 160, 81920, true}));
    ExpectViewInsideCache();
}

TEST_F(DocumentViewTest, ScaleOnALongSelectionShowsExactlyIt) {
    Open(441000);
    Doc->Select(1000, 200999);
    Z_SelBtnClick(*Doc, Hook());
    EXPECT_EQ(Doc->ViewStart, 1000u);
    EXPECT_EQ(Doc->ViewLength, 200000u);
    // 256 views would exceed the document: the cache is the whole document, rebuilt anyway.
    ASSERT_EQ(Rebuilds.size(), 1u);
    EXPECT_EQ(Rebuilds[0].GraphStart, 0u);
    EXPECT_EQ(Rebuilds[0].GraphLength, 441000u);

    Doc->ClearSelection();
    Doc->SelStartSet = true;  // one border only: nothing to scale to
    Z_SelBtnClick(*Doc, Hook());
    EXPECT_EQ(Rebuilds.size(), 1u);
}

TEST_F(DocumentViewTest, ScaleOnASelectionKeptPastAShortenedDocumentStaysInside) {
    Open(1000);
    Doc->Select(500, 5000);  // survived an operation that shortened the document
    Z_SelBtnClick(*Doc, Hook());
    EXPECT_LT(Doc->CursorPos, 1000u);
    EXPECT_LE(std::uint64_t{Doc->ViewStart} + Doc->ViewLength, 1000u);
    ExpectViewInsideCache();
}

TEST_F(DocumentViewTest, MaximalScaleAndFitToWindow) {
    Open(441000);
    Doc->CursorPos = 440990;
    Z_1_1BtnClick(*Doc, Hook());
    EXPECT_EQ(Doc->ViewLength, 320u);
    EXPECT_EQ(Doc->ViewStart, 441000u - 320);  // centring stops at the document's end
    ASSERT_EQ(Rebuilds.size(), 1u);
    EXPECT_EQ(Rebuilds[0],
              (TRebuildCall{TGraphRebuild::WithProgress, 441000 - 81920, 81920, true}));
    Z_1_1BtnClick(*Doc, Hook());  // rebuilt every time
    EXPECT_EQ(Rebuilds.size(), 2u);

    Z_allBtnClick(*Doc, Hook());
    EXPECT_EQ(Doc->ViewStart, 0u);
    EXPECT_EQ(Doc->ViewLength, 441000u);
    ASSERT_EQ(Rebuilds.size(), 3u);
    EXPECT_EQ(Rebuilds[2], (TRebuildCall{TGraphRebuild::WithProgress, 0, 441000, true}));
    Z_allBtnClick(*Doc, Hook());  // the cache already is the document
    EXPECT_EQ(Rebuilds.size(), 3u);
}

TEST_F(DocumentViewTest, MaximalScaleOfAShortDocumentShowsItAll) {
    Open(100);
    Z_1_1BtnClick(*Doc, Hook());
    EXPECT_EQ(Doc->ViewLength, 100u);
    EXPECT_EQ(Doc->GraphLength, 100u);
    Z_plusBtnClick(*Doc, Hook());
    EXPECT_EQ(Doc->ViewLength, 100u);
}

TEST_F(DocumentViewTest, ZoomIsIgnoredWhileRecordingPlayingTheViewBusyOrEmpty) {
    Open(441000);
    const auto ignored = [&] {
        const std::uint32_t length = Doc->ViewLength;
        const bool repaint =
            Z_plusBtnClick(*Doc, Hook()).Repaint || Z_1_1BtnClick(*Doc, Hook()).Repaint;
        return !repaint && Doc->ViewLength == length && Rebuilds.empty();
    };
    Doc->Stream->RecordState = TState::Started;
    EXPECT_TRUE(ignored());
    Doc->Stream->RecordState = TState::Stopped;

    Doc->Stream->PlayState = TState::Started;
    Doc->PlayViewMode = true;
    EXPECT_TRUE(ignored());
    Doc->PlayViewMode = false;  // ordinary playback zooms
    EXPECT_FALSE(ignored());
    Doc->Stream->PlayState = TState::Stopped;

    Rebuilds.clear();
    Doc->ZoomBusy = true;
    EXPECT_TRUE(ignored());
    Doc->ZoomBusy = false;

    Open(0);
    EXPECT_TRUE(ignored());
}

// --- Track, wave and FollowCursor

TEST_F(DocumentViewTest, TrackClicksLeftOfTheBarGoToTheStartAndDragsPastTheEndStopAtTheLast) {
    Open(441000);
    EXPECT_TRUE(TrackBoxMouseDown(*Doc, 3, 520, Hook()).Repaint);
    EXPECT_EQ(Doc->CursorPos, 0u);
    EXPECT_TRUE(Doc->TrackDragging);

    TrackBoxMouseMove(*Doc, 260, 520, Hook());  // the middle of the 510-pixel span
    EXPECT_EQ(Doc->CursorPos, 220500u);
    EXPECT_EQ(Doc->Stream->Position.load(), 220500u);
    TrackBoxMouseMove(*Doc, 900, 520, Hook());
    EXPECT_EQ(Doc->CursorPos, 440999u);
    TrackBoxMouseMove(*Doc, -40, 520, Hook());
    EXPECT_EQ(Doc->CursorPos, 0u);

    TrackBoxMouseUp(*Doc, Hook());
    EXPECT_FALSE(Doc->TrackDragging);
    TrackBoxMouseMove(*Doc, 265, 520, Hook());  // no longer dragging
    EXPECT_EQ(Doc->CursorPos, 0u);
}

TEST_F(DocumentViewTest, TrackClickOutsideTheCacheRebuildsItQuietly) {
    Open(441000);
    Doc->ViewLength = 320;
    Doc->GraphLength = 81920;
    TrackBoxMouseDown(*Doc, 514, 520, Hook());
    EXPECT_EQ(Doc->CursorPos, 440135u);  // Round(509 / 510 * 441000)
    EXPECT_EQ(Doc->ViewStart, 440135u - 160);
    ASSERT_EQ(Rebuilds.size(), 1u);
    EXPECT_EQ(Rebuilds[0], (TRebuildCall{TGraphRebuild::Quiet, 441000 - 81920, 81920, false}));
    ExpectViewInsideCache();
}

TEST_F(DocumentViewTest, TrackDuringViewPlaybackMovesOnlyTheCursor) {
    Open(441000);
    Doc->Stream->PlayState = TState::Started;
    Doc->PlayViewMode = true;
    Doc->Stream->Position = 1234;
    Doc->ViewLength = 1000;
    TrackBoxMouseDown(*Doc, 260, 520, Hook());
    EXPECT_EQ(Doc->CursorPos, 220500u);
    EXPECT_EQ(Doc->Stream->Position.load(), 1234u);
    EXPECT_EQ(Doc->ViewStart, 0u);
    TrackBoxMouseUp(*Doc, Hook());
    EXPECT_EQ(Doc->ViewStart, 0u);
}

TEST_F(DocumentViewTest, TrackAndNavigationLeaveTheRecordingPositionAlone) {
    Open(441000);
    Doc->Stream->RecordState = TState::Started;
    Doc->Stream->Position = 5000;
    Doc->CursorPos = 5000;
    EXPECT_FALSE(TrackBoxMouseDown(*Doc, 265, 520, Hook()).Repaint);
    EXPECT_FALSE(Doc->TrackDragging);
    ToBeginBtnClick(*Doc, Hook());
    RightBtnClick(*Doc, 10, Hook());
    EXPECT_EQ(Doc->Stream->Position.load(), 5000u);
    EXPECT_EQ(Doc->CursorPos, 5000u);
}

TEST_F(DocumentViewTest, WaveClickMovesTheCursorButNotTheView) {
    Open(441000);
    Doc->ViewStart = 1000;
    Doc->ViewLength = 500;
    EXPECT_TRUE(WaveBoxMouseDown(*Doc, 250, 500).Repaint);
    EXPECT_EQ(Doc->CursorPos, 1250u);
    EXPECT_EQ(Doc->ViewStart, 1000u);
    EXPECT_EQ(Doc->Stream->Position.load(), 0u);

    Doc->ViewStart = 440500;  // a click on the right edge stays on the last sample
    WaveBoxMouseDown(*Doc, 500, 500);
    EXPECT_EQ(Doc->CursorPos, 440999u);

    Doc->Stream->RecordState = TState::Started;
    EXPECT_FALSE(WaveBoxMouseDown(*Doc, 0, 500).Repaint);
    EXPECT_EQ(Doc->CursorPos, 440999u);
}

TEST_F(DocumentViewTest, FollowCursorCentresAndRebuildsOnlyWhenTheViewLeavesTheCache) {
    Open(441000);
    Doc->ViewLength = 1000;
    Doc->GraphLength = 256000;
    Doc->CursorPos = 100000;
    FollowCursor(*Doc, Hook());
    EXPECT_EQ(Doc->ViewStart, 99500u);
    EXPECT_TRUE(Rebuilds.empty());

    Doc->CursorPos = 300;  // near the start: the view starts at 0
    FollowCursor(*Doc, Hook());
    EXPECT_EQ(Doc->ViewStart, 0u);

    Doc->CursorPos = 400000;
    FollowCursor(*Doc, Hook());
    EXPECT_EQ(Doc->ViewStart, 399500u);
    ASSERT_EQ(Rebuilds.size(), 1u);
    EXPECT_EQ(Rebuilds[0], (TRebuildCall{TGraphRebuild::Quiet, 441000 - 256000, 256000, false}));
}

TEST_F(DocumentViewTest, FollowCursorWaitsForTheGraphThread) {
    Open(441000);
    Doc->ViewLength = 1000;
    Doc->GraphLength = 1000;
    Doc->CursorPos = 5000;
    Doc->GraphBuilding = true;
    std::atomic<bool> following{false};
    std::atomic<bool> released{false};
    std::thread graphThread([&] {
        // Ends the build only once the cursor is on its way: a rebuild that did not wait
        // comes long before this thread has woken.
        EXPECT_TRUE(WaitUntil([&] { return following.load(); }));
        released = true;
        Doc->GraphBuilding = false;
    });
    std::atomic<bool> releasedAtRebuild{false};
    following = true;
    FollowCursor(*Doc, [&](TGraphRebuild) { releasedAtRebuild = released.load(); });
    graphThread.join();
    EXPECT_TRUE(releasedAtRebuild.load());
}

TEST_F(DocumentViewTest, FollowCursorWithTheRealGraphThreadBuildsTheNewRange) {
    Open(441000);
    TGraphCache graph;
    BuildGraph(*Doc, graph);
    Doc->ViewLength = 320;
    Doc->GraphLength = 81920;
    Doc->CursorPos = 300000;
    FollowCursor(*Doc, [&](TGraphRebuild) {
        Doc->GraphBuilding = true;
        std::thread thread([&] { RunGraphThread(*Doc, graph); });
        EXPECT_TRUE(WaitUntil([&] { return !Doc->GraphBuilding.load(); }));
        thread.join();
    });
    // Every sample is the same: the whole rebuilt cache holds it.
    const TGraphSnapshot snapshot = graph.Snapshot();
    EXPECT_NE(snapshot[0]->front().First, 0);
    EXPECT_EQ(snapshot[0]->back(), snapshot[0]->front());
    EXPECT_FALSE(Doc->GraphBuilding.load());
    EXPECT_EQ(Doc->GraphStart, Doc->ViewStart);
}

// --- Markers

TEST_F(DocumentViewTest, SettingABorderTwiceAtOnePlaceKeepsOnlyTheFirst) {
    Open(1000);
    Doc->CursorPos = 400;
    EXPECT_TRUE(SetMarkerBtnClick(*Doc).Repaint);
    EXPECT_FALSE(SetMarkerBtnClick(*Doc).Repaint);
    EXPECT_TRUE(Doc->SelStartSet);
    EXPECT_FALSE(Doc->SelEndSet);

    Doc->CursorPos = 100;  // the second border before the first: they swap
    SetMarkerBtnClick(*Doc);
    EXPECT_TRUE(Doc->SelEndSet);
    EXPECT_EQ(Doc->SelStart, 100u);
    EXPECT_EQ(Doc->SelEnd, 400u);

    Doc->CursorPos = 250;  // inside: unchanged
    SetMarkerBtnClick(*Doc);
    EXPECT_EQ(Doc->SelStart, 100u);
    EXPECT_EQ(Doc->SelEnd, 400u);
    Doc->CursorPos = 700;  // outside: widened
    SetMarkerBtnClick(*Doc);
    EXPECT_EQ(Doc->SelEnd, 700u);
    Doc->CursorPos = 50;
    SetMarkerBtnClick(*Doc);
    EXPECT_EQ(Doc->SelStart, 50u);
    EXPECT_EQ(Doc->SelEnd, 700u);
}

TEST_F(DocumentViewTest, MarkersNeedAudioAndNoRecording) {
    Open(1000);
    Doc->CursorPos = 10;
    SetMarkerBtnClick(*Doc);
    Doc->CursorPos = 20;
    Doc->Stream->RecordState = TState::Started;
    EXPECT_FALSE(SetMarkerBtnClick(*Doc).Repaint);
    EXPECT_FALSE(Doc->SelEndSet);
    EXPECT_FALSE(DelMarkerBtnClick(*Doc).Repaint);  // cleared, but no repaint while recording
    EXPECT_FALSE(Doc->SelStartSet);
    Doc->Stream->RecordState = TState::Stopped;
    EXPECT_TRUE(DelMarkerBtnClick(*Doc).Repaint);

    Open(0);
    EXPECT_FALSE(SetMarkerBtnClick(*Doc).Repaint);
    EXPECT_FALSE(Doc->SelStartSet);
}

// --- Navigation

TEST_F(DocumentViewTest, NavigationStepsByTheIntervalAndStopsAtTheEnds) {
    Open(441000);
    EXPECT_EQ(NavigationStep(10, 44100), 441u);
    EXPECT_EQ(NavigationStep(9999, 384000), 3839616u);  // the product exceeds 32 bits
    EXPECT_EQ(NavigationStep(0, 44100), 44u);           // the edit's minimum is 1 ms

    Doc->CursorPos = 1000;
    RightBtnClick(*Doc, 10, Hook());
    EXPECT_EQ(Doc->CursorPos, 1441u);
    EXPECT_EQ(Doc->Stream->Position.load(), 1441u);
    LeftBtnClick(*Doc, 10, Hook());
    LeftBtnClick(*Doc, 10, Hook());
    EXPECT_EQ(Doc->CursorPos, 559u);
    LeftBtnClick(*Doc, 9999, Hook());  // longer than the time before the cursor
    EXPECT_EQ(Doc->CursorPos, 0u);

    Doc->CursorPos = 440600;
    RightBtnClick(*Doc, 10, Hook());  // past the end
    EXPECT_EQ(Doc->CursorPos, 440999u);
    RightBtnClick(*Doc, 10, Hook());
    EXPECT_EQ(Doc->CursorPos, 440999u);
}

TEST_F(DocumentViewTest, BeginAndEndGoToTheSelectionBordersWhenSet) {
    Open(441000);
    Doc->CursorPos = 5000;
    ToBeginBtnClick(*Doc, Hook());
    EXPECT_EQ(Doc->CursorPos, 0u);
    ToEndBtnClick(*Doc, Hook());
    EXPECT_EQ(Doc->CursorPos, 440999u);
    EXPECT_EQ(Doc->Stream->Position.load(), 440999u);

    Doc->Select(1000, 2000);
    ToBeginBtnClick(*Doc, Hook());
    EXPECT_EQ(Doc->CursorPos, 1000u);
    ToEndBtnClick(*Doc, Hook());
    EXPECT_EQ(Doc->CursorPos, 2000u);

    Open(0);
    EXPECT_FALSE(ToEndBtnClick(*Doc, Hook()).Repaint);
    EXPECT_FALSE(RightBtnClick(*Doc, 10, Hook()).Repaint);
    EXPECT_TRUE(ToBeginBtnClick(*Doc, Hook()).Repaint);
}

TEST_F(DocumentViewTest, NavigationDuringViewPlaybackLeavesPositionAndView) {
    Open(441000);
    Doc->ViewLength = 1000;
    Doc->Stream->PlayState = TState::Started;
    Doc->PlayViewMode = true;
    Doc->Stream->Position = 700;
    ToEndBtnClick(*Doc, Hook());
    EXPECT_EQ(Doc->CursorPos, 440999u);
    EXPECT_EQ(Doc->Stream->Position.load(), 700u);
    EXPECT_EQ(Doc->ViewStart, 0u);
    EXPECT_TRUE(Rebuilds.empty());
}

// --- Transport

TEST_F(DocumentViewTest, PlayButtonsWriteTheStateWordAndTheEnd) {
    Open(441000);
    Doc->ViewStart = 1000;
    Doc->ViewLength = 500;
    PlayViewBtnClick(*Doc, true, "ENG");
    EXPECT_EQ(Play(), TState::Starting);
    EXPECT_EQ(Doc->PlayEnd, 1499);
    EXPECT_TRUE(Doc->PlayViewMode);

    PlayBtnClick(*Doc, true, "ENG");  // already starting: ignored
    EXPECT_EQ(Doc->PlayEnd, 1499);
    Doc->Stream->PlayState = TState::Stopped;
    PlayBtnClick(*Doc, true, "ENG");
    EXPECT_EQ(Play(), TState::Starting);
    EXPECT_EQ(Doc->PlayEnd, 440999);
    EXPECT_FALSE(Doc->PlayViewMode);

    Doc->Stream->PlayState = TState::Stopped;
    Doc->Stream->RecordState = TState::Started;
    PlayBtnClick(*Doc, true, "ENG");
    EXPECT_EQ(Play(), TState::Stopped);

    Open(0);
    PlayBtnClick(*Doc, true, "ENG");
    EXPECT_EQ(Play(), TState::Stopped);
}

TEST_F(DocumentViewTest, MissingDevicesGiveTheMessageOfTheLanguage) {
    Open(1000);
    EXPECT_EQ(PlayBtnClick(*Doc, false, "RUS").Message, "Устройство воспроизведения не найдено");
    EXPECT_EQ(PlayViewBtnClick(*Doc, false, "ENG").Message, "Audiodevice error");
    EXPECT_EQ(RecordBtnClick(*Doc, false, "RUS").Message, "Устройство записи не найдено");
    EXPECT_EQ(RecordBtnClick(*Doc, false, "ENG").Message, "Audiodevice error");
    EXPECT_EQ(PlayBtnClick(*Doc, false, "DEU").Message, "");
    EXPECT_EQ(Play(), TState::Stopped);
    EXPECT_EQ(Doc->Stream->RecordState.load(), TState::Stopped);
}

TEST_F(DocumentViewTest, RecordClearsTheSelectionAndStartsEvenOnAnEmptyDocument) {
    Open(0);
    Doc->SelStartSet = true;
    EXPECT_TRUE(RecordBtnClick(*Doc, true, "ENG").Repaint);
    EXPECT_FALSE(Doc->SelStartSet);
    EXPECT_EQ(Doc->Stream->RecordState.load(), TState::Starting);

    Open(1000);
    Doc->Stream->PlayState = TState::Started;
    RecordBtnClick(*Doc, true, "ENG");
    EXPECT_EQ(Doc->Stream->RecordState.load(), TState::Stopped);
}

TEST_F(DocumentViewTest, StopAsksRunningTransportToStopAndCancelsAPendingStart) {
    Open(1000);
    Doc->Stream->PlayState = TState::Started;
    Doc->Stream->RecordState = TState::Stopped;
    StopBtnClick(*Doc);
    EXPECT_EQ(Play(), TState::Stopping);
    EXPECT_EQ(Doc->Stream->RecordState.load(), TState::Stopped);

    Doc->Stream->PlayState = TState::Starting;  // the timer has not started the thread yet
    StopBtnClick(*Doc);
    EXPECT_EQ(Play(), TState::Stopped);

    Doc->Stream->RecordState = TState::Starting2;
    StopBtnClick(*Doc);
    EXPECT_EQ(Doc->Stream->RecordState.load(), TState::Stopping);
}

TEST_F(DocumentViewTest, ChannelChangeDuringPlaybackRestartsIt) {
    Open(1000);
    Doc->Stream->PlayState = TState::Started;
    std::atomic<bool> sawStopping{false};
    std::thread engine([&] {
        if (!WaitUntil([&] { return Doc->Stream->PlayState.load() == TState::Stopping; })) {
            return;
        }
        sawStopping = true;
        Doc->Stream->PlayState = TState::Stopped;
    });
    EXPECT_TRUE(CurrentChannelBoxChange(*Doc, -1).Repaint);
    engine.join();
    EXPECT_TRUE(sawStopping.load());
    EXPECT_EQ(Play(), TState::Starting);
    EXPECT_EQ(Doc->ChannelItem, 0);
}

TEST_F(DocumentViewTest, ChannelChangeWhileStoppedOnlyChoosesTheChannel) {
    auto stream = std::make_unique<TAudioStream>(4, 16, 44100);
    Doc = std::make_unique<TDocument>(std::move(stream));
    CurrentChannelBoxChange(*Doc, 3);
    EXPECT_EQ(Doc->ChannelItem, 3);
    EXPECT_EQ(Doc->Channel(), 2);
    EXPECT_EQ(Play(), TState::Stopped);
    CurrentChannelBoxChange(*Doc, 9);  // not an item of a four-channel box
    EXPECT_EQ(Doc->ChannelItem, 4);
}

// --- Channel box and layout

TEST_F(DocumentViewTest, FillChannelBoxSizesTheCacheAndSelectsAllChannels) {
    auto stream = std::make_unique<TAudioStream>(2, 16, 44100);
    Doc = std::make_unique<TDocument>(std::move(stream));
    Doc->ChannelItem = 2;
    TGraphCache graph;
    EXPECT_EQ(FillChannelBox(*Doc, graph, "RUS"),
              (std::vector<std::string>{"Все", "Левый", "Правый"}));
    EXPECT_EQ(graph.ChannelCount(), 2u);
    EXPECT_EQ(Doc->ChannelItem, 0);
}

TEST(DocumentLayout, ResizeFollowsTheClientArea) {
    const TDocumentLayout layout = FormResize(540, 280);
    EXPECT_EQ(layout.TrackBoxWidth, 530);
    EXPECT_EQ(layout.WaveBoxWidth, 520);
    EXPECT_EQ(layout.WaveBoxHeight, 136);
    EXPECT_EQ(layout.Z_1_1BtnLeft, 506);
    EXPECT_EQ(layout.Z_plusBtnLeft, 506 - 4 * 27);
    const TDocumentLayout tiny = FormResize(5, 50);
    EXPECT_EQ(tiny.TrackBoxWidth, 0);
    EXPECT_EQ(tiny.WaveBoxHeight, 0);
}

}  // namespace
}  // namespace sonavel
