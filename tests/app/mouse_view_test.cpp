#include <gtest/gtest.h>

#include "app/Document.h"
#include "app/DocumentView.h"
#include "support/TempFolder.h"

namespace sonavel {
namespace {

// A mono document of 100000 samples whose view shows samples 40000..49999 on a box 1000
// pixels wide (10 samples a pixel) from a cache of 30000..59999.
class MouseViewTest : public test::TStreamTest {
  protected:
    MouseViewTest() {
        auto stream = std::make_unique<TAudioStream>(1, 16, 10000);
        const std::vector<std::int32_t> zeros(100000);
        stream->WriteSamples(0, 0, 100000, zeros.data());
        Doc = std::make_unique<TDocument>(std::move(stream));
        Doc->ViewStart = 40000;
        Doc->ViewLength = 10000;
        Doc->GraphStart = 30000;
        Doc->GraphLength = 30000;
    }
    TRebuildGraph Hook() {
        return [this](TGraphRebuild kind) { Rebuilds.push_back({kind, Doc->GraphStart}); };
    }
    std::pair<std::uint32_t, std::uint32_t> Selection() const {
        return Doc->SelEndSet ? std::pair{Doc->SelStart, Doc->SelEnd} : std::pair{0U, 0U};
    }

    static constexpr int Width = 1000;
    std::unique_ptr<TDocument> Doc;
    std::vector<std::pair<TGraphRebuild, std::uint32_t>> Rebuilds;
};

// Dragging selects from the press to the mouse in either direction; a click (or a move
// below the threshold) only places the cursor and keeps the selection; past the box's side
// the view scrolls and the selection follows its edge, the cache moving by the usual rule.
TEST_F(MouseViewTest, DragSelectsAndScrollsPastTheEdges) {
    Doc->Select(100, 200);
    WaveBoxDragStart(*Doc, 500, Width, false);
    WaveBoxDragMove(*Doc, 502, Width, Hook());
    WaveBoxDragEnd(*Doc);
    EXPECT_EQ(Doc->CursorPos, 45000U);
    EXPECT_EQ(Selection(), (std::pair{100U, 200U}));

    struct TCase {
        int From, To;
        std::pair<std::uint32_t, std::uint32_t> Selected;
        std::uint32_t ViewStart;
    };
    const std::vector<TCase> cases{
        {500, 700, {45000, 47000}, 40000},   // rightwards
        {500, 100, {41000, 45000}, 40000},   // leftwards
        {500, -50, {39500, 45000}, 39500},   // past the left edge: 50 pixels of samples
        {500, 1049, {45000, 50499}, 40500},  // past the right edge
        {500, 500, {0, 0}, 40000},           // back to the press: nothing selected
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.To);
        Doc->ViewStart = 40000;
        Doc->ClearSelection();
        EXPECT_TRUE(WaveBoxDragStart(*Doc, c.From, Width, false).Repaint);
        WaveBoxDragMove(*Doc, c.From + (c.To > c.From ? 10 : -10), Width, Hook());
        WaveBoxDragMove(*Doc, c.To, Width, Hook());
        WaveBoxDragEnd(*Doc);
        EXPECT_EQ(Selection(), c.Selected);
        EXPECT_EQ(Doc->ViewStart, c.ViewStart);
        EXPECT_EQ(Doc->CursorPos, 45000U);
    }
    EXPECT_TRUE(Rebuilds.empty());

    // Held far past the left side the view keeps going until the document's start, and the
    // cache follows the view once it leaves it.
    WaveBoxDragStart(*Doc, 500, Width, false);
    for (int i = 0; i < 60; ++i) {
        WaveBoxDragMove(*Doc, -5000, Width, Hook());
    }
    EXPECT_EQ(Doc->ViewStart, 0U);
    EXPECT_EQ(Selection(), (std::pair{0U, 45000U}));
    ASSERT_FALSE(Rebuilds.empty());
    EXPECT_EQ(Rebuilds.back(), (std::pair{TGraphRebuild::Quiet, 0U}));
    EXPECT_LE(Doc->GraphStart, Doc->ViewStart);
}

// Shift+click extends from the far end of the selection, from a lone first border or from
// the cursor, and leaves the cursor where it was.
TEST_F(MouseViewTest, ShiftClickExtends) {
    Doc->CursorPos = 42000;
    WaveBoxDragStart(*Doc, 800, Width, true);
    WaveBoxDragEnd(*Doc);
    EXPECT_EQ(Selection(), (std::pair{42000U, 48000U}));
    WaveBoxDragStart(*Doc, 100, Width, true);  // nearer the start: the end stays
    EXPECT_EQ(Selection(), (std::pair{41000U, 48000U}));
    WaveBoxDragMove(*Doc, 50, Width, Hook());  // a drag carries on from the kept end
    WaveBoxDragEnd(*Doc);
    EXPECT_EQ(Selection(), (std::pair{40500U, 48000U}));
    EXPECT_EQ(Doc->CursorPos, 42000U);

    Doc->ClearSelection();
    Doc->SelStartSet = true;
    Doc->SelStart = 47000;
    WaveBoxDragStart(*Doc, 300, Width, true);
    EXPECT_EQ(Selection(), (std::pair{43000U, 47000U}));
}

TEST_F(MouseViewTest, KeyboardSelection) {
    SelectAll(*Doc);
    EXPECT_EQ(Selection(), (std::pair{0U, 99999U}));
    Doc->Select(30000, 60000);
    SelectToEnd(*Doc, Hook());
    EXPECT_EQ(Selection(), (std::pair{30000U, 99999U}));
    SelectToStart(*Doc, Hook());  // extends: the far end stays
    EXPECT_EQ(Selection(), (std::pair{0U, 99999U}));
    EXPECT_EQ(Doc->CursorPos, 0U);
    Doc->ClearSelection();
    Doc->CursorPos = 70000;
    SelectToEnd(*Doc, Hook());
    EXPECT_EQ(Selection(), (std::pair{70000U, 99999U}));
}

// The wheel moves the view a tenth at a time and stops at the ends; the scroll bar shows the
// view and moves it; leaving the cache moves and rebuilds it quietly.
TEST_F(MouseViewTest, WheelAndScrollBar) {
    WheelScroll(*Doc, -2, Hook());
    EXPECT_EQ(Doc->ViewStart, 42000U);
    WheelScroll(*Doc, 100, Hook());
    EXPECT_EQ(Doc->ViewStart, 0U);
    ASSERT_EQ(Rebuilds.size(), 1U);
    EXPECT_EQ(Rebuilds[0], (std::pair{TGraphRebuild::Quiet, 0U}));

    TScrollBarModel m = ScrollBarModel(*Doc);
    EXPECT_EQ(m.Maximum, 90000);
    EXPECT_EQ(m.PageStep, 10000);
    EXPECT_EQ(m.Value, 0);
    ScrollView(*Doc, ScrollBarStart(*Doc, m.Maximum), Hook());
    EXPECT_EQ(Doc->ViewStart, 90000U);
    EXPECT_EQ(ScrollBarModel(*Doc).Value, 90000);
    EXPECT_EQ(Doc->GraphStart, 70000U);  // kept inside the document
    EXPECT_EQ(Rebuilds.size(), 2U);
    ScrollView(*Doc, 75000, Hook());  // inside the cache: no rebuild
    EXPECT_EQ(Rebuilds.size(), 2U);

    // Past 2^30 samples the bar counts in larger units and still reaches the end.
    Doc->SampleCount = 4000000000U;
    Doc->ViewLength = 1000000;
    m = ScrollBarModel(*Doc);
    EXPECT_EQ(m.Scale, 4U);
    EXPECT_EQ(ScrollBarStart(*Doc, m.Maximum), 3999000000);
}

// Ctrl+wheel zooms by the buttons' steps around the sample under the mouse, within the
// smallest view and the whole document.
TEST_F(MouseViewTest, WheelZoomKeepsTheSampleUnderTheMouse) {
    WheelZoom(*Doc, true, 250, Width, Hook());
    EXPECT_EQ(Doc->ViewLength, 5000U);
    EXPECT_EQ(Doc->ViewStart, 41250U);  // 42500 stays a quarter in
    for (int i = 0; i < 10; ++i) {
        WheelZoom(*Doc, true, 250, Width, Hook());
    }
    EXPECT_EQ(Doc->ViewLength, MinViewLength);
    EXPECT_EQ(WavePosition(*Doc, 250, Width), 42500U);
    for (int i = 0; i < 20; ++i) {
        WheelZoom(*Doc, false, 250, Width, Hook());
    }
    EXPECT_EQ(Doc->ViewLength, 100000U);
    EXPECT_EQ(Doc->ViewStart, 0U);
    EXPECT_LE(Doc->GraphStart, Doc->ViewStart);
    EXPECT_EQ(Doc->GraphLength, 100000U);
}

}  // namespace
}  // namespace sonavel
