#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <random>
#include <vector>

#include "app/Document.h"
#include "app/WaveView.h"
#include "support/TempFolder.h"

namespace sonavel {
namespace {

// A row of height 208: a full-scale extreme lies 100 pixels from the centre line.
constexpr int Height = 208;
constexpr int Centre = 104;

std::vector<int> Ys(const std::vector<TPoint>& points) {
    std::vector<int> ys;
    ys.reserve(points.size());
    for (const TPoint& p : points) {
        ys.push_back(p.Y);
    }
    return ys;
}

TEST(WaveLine, EachPixelDrawsItsExtremesInTheOrderTheyOccur) {
    // One column per sample of the whole cache, 81920 columns per pixel over 4 pixels.
    TChannelGraph columns(GraphColumns);
    columns[10] = {MaxLevel, MaxLevel / 2};  // pixel 0: maximum, then the minimum
    columns[20] = {-MaxLevel, -MaxLevel / 2};
    columns[81920 + 5] = {-MaxLevel / 2, 0};  // pixel 1: minimum first
    columns[81920 + 9] = {MaxLevel / 2, 0};
    // Pixel 2 positive only (its maximum twice), pixel 3 negative only (its minimum twice).
    constexpr std::ptrdiff_t Pixel = 81920;
    std::fill(columns.begin() + 2 * Pixel, columns.begin() + 3 * Pixel,
              TGraphColumn{MaxLevel / 4, MaxLevel / 4});
    columns[2 * 81920 + 1] = {MaxLevel / 4, MaxLevel / 2};
    std::fill(columns.begin() + 3 * Pixel, columns.end(),
              TGraphColumn{-MaxLevel / 4, -MaxLevel / 4});
    columns[3 * 81920 + 7] = {-MaxLevel / 4, -MaxLevel};
    const TWaveRange range{0, GraphColumns, 0, GraphColumns};
    const std::vector<TPoint> line = WaveLine(columns, range, 4, Centre, Height);

    ASSERT_EQ(line.size(), 9u);
    EXPECT_EQ(line[0], (TPoint{0, Centre}));  // the pen starts on the centre line
    EXPECT_EQ(line[1].X, 0);
    EXPECT_EQ(line[2].X, 0);
    EXPECT_EQ(line[8].X, 3);
    EXPECT_EQ(Ys(line), (std::vector<int>{Centre, 4, 204, 154, 54, 54, 54, 204, 204}));
}

TEST(WaveLine, ExtremesAcrossColumnsCountItemsInTimeOrder) {
    // Two columns per pixel; the later of equal maxima decides the order.
    TChannelGraph columns(GraphColumns);
    columns[0] = {MaxLevel, -MaxLevel / 2};
    columns[1] = {MaxLevel / 2, MaxLevel};    // equal maximum, after the minimum
    const TWaveRange range{0, 2, 0, 327680};  // 327680 samples in the cache, 2 in view
    EXPECT_EQ(Ys(WaveLine(columns, range, 1, Centre, Height)), (std::vector<int>{Centre, 154, 4}));
}

TEST(WaveLine, PixelsWithoutColumnsStayOnTheCentreLine) {
    TChannelGraph columns(GraphColumns, TGraphColumn{MaxLevel, MaxLevel});
    // Two columns over four pixels: pixel ends 0 (ties to even), 1, 2 -> pixel 0 is empty.
    const TWaveRange range{0, 2, 0, GraphColumns};
    const std::vector<TPoint> line = WaveLine(columns, range, 4, Centre, Height);
    EXPECT_EQ(Ys(line), (std::vector<int>{Centre, Centre, Centre, 4, 4, 4, 4}));
    EXPECT_EQ(line.back().X, 2);
}

TEST(WaveLine, ViewInsideTheCacheStartsAtItsColumn) {
    // Cache of 655360 samples from 1000 (two samples per column); view of 4 samples at 1010.
    TChannelGraph columns(GraphColumns);
    columns[4] = {MaxLevel, MaxLevel};  // just before the view
    columns[5] = {-MaxLevel, -MaxLevel};
    columns[6] = {MaxLevel, MaxLevel};
    columns[7] = {-MaxLevel, -MaxLevel};  // just past it
    const TWaveRange range{1010, 4, 1000, 655360};
    EXPECT_EQ(Ys(WaveLine(columns, range, 2, Centre, Height)),
              (std::vector<int>{Centre, 204, 204, 4, 4}));
}

// The pixel rule item by item: Max replaced by items >= it, Min by items <= it, both from 0.
std::vector<TPoint> NaiveLine(const TChannelGraph& columns, const TWaveRange& r, int width,
                              int centre, int height) {
    std::vector<TPoint> points{{0, centre}};
    const double perView = static_cast<double>(r.ViewLength) / r.GraphLength * 327680;
    const auto c0 = static_cast<std::int64_t>(
        std::nearbyint((static_cast<double>(r.ViewStart) - r.GraphStart) / r.GraphLength * 327680));
    const auto e = static_cast<std::int64_t>(std::nearbyint(perView + static_cast<double>(c0)));
    const auto y = [&](std::int32_t p) {
        return centre - static_cast<int>(std::nearbyint(p / 2147483647.0 * (height / 2.0 - 4)));
    };
    std::int64_t c = c0;
    for (int x = 0; c < e; ++x) {
        const std::int64_t end =
            std::min(e, static_cast<std::int64_t>(
                            std::nearbyint(perView / width * (x + 1) + static_cast<double>(c0))));
        std::int32_t max = 0;
        std::int32_t min = 0;
        int maxAt = -1;
        int minAt = -1;
        int item = 0;
        for (; c < end; ++c) {
            for (const std::int32_t v : {columns[c].First, columns[c].Second}) {
                if (v >= max) {
                    max = v, maxAt = item;
                }
                if (v <= min) {
                    min = v, minAt = item;
                }
                ++item;
            }
        }
        if (maxAt < 0) {
            max = min, maxAt = minAt;
        }
        if (minAt < 0) {
            min = max, minAt = maxAt;
        }
        points.push_back({x, y(maxAt < minAt ? max : min)});
        points.push_back({x, y(maxAt < minAt ? min : max)});
    }
    return points;
}

TEST(WaveLine, MatchesTheItemByItemRuleOnRandomCaches) {
    std::mt19937 rng(11);
    for (const std::int32_t range : {3, MaxLevel}) {
        std::uniform_int_distribution<std::int32_t> value(-range, range);
        TChannelGraph columns(GraphColumns);
        for (auto& column : columns) {
            column = {value(rng), value(rng)};
        }
        for (const TWaveRange& r :
             {TWaveRange{0, 441000, 0, 441000}, TWaveRange{1000, 5000, 900, 600000},
              TWaveRange{0, 320, 0, 81920}, TWaveRange{7, 333, 0, 700}}) {
            for (const int width : {1, 7, 509, 1920}) {
                SCOPED_TRACE(testing::Message()
                             << range << " " << r.ViewStart << "+" << r.ViewLength << " in "
                             << r.GraphStart << "+" << r.GraphLength << " width " << width);
                EXPECT_EQ(WaveLine(columns, r, width, Centre, Height),
                          NaiveLine(columns, r, width, Centre, Height));
            }
        }
    }
}

TEST(WaveLine, DegenerateSizesDrawOnlyThePenStart) {
    const TChannelGraph columns(GraphColumns, TGraphColumn{MaxLevel, MaxLevel});
    EXPECT_EQ(WaveLine(columns, {0, 100, 0, 0}, 500, Centre, Height).size(), 1u);
    EXPECT_EQ(WaveLine(columns, {0, 100, 0, 100}, 0, Centre, Height).size(), 1u);
    // A view that has left the cache reads nothing outside it.
    const auto line = WaveLine(columns, {5000, 1000, 0, 1000}, 100, Centre, Height);
    for (const TPoint& p : line) {
        EXPECT_EQ(p.Y, Centre);
    }
}

class WaveGeometryTest : public test::TStreamTest {
  protected:
    WaveGeometryTest() {
        auto stream = std::make_unique<TAudioStream>(2, 16, 44100);
        const std::vector<std::int32_t> silence(1000, 0);
        stream->WriteSamples(0, 0, 1000, silence.data());
        stream->WriteSamples(1, 0, 1000, silence.data());
        Document = std::make_unique<TDocument>(std::move(stream));
        Graph.Resize(2);
    }
    TWaveShapes Shapes(int width = 500, int height = 105) {
        return WaveGeometry(*Document, Graph.Snapshot(), width, height);
    }
    std::unique_ptr<TDocument> Document;
    TGraphCache Graph;
};

TEST_F(WaveGeometryTest, RowsSplitTheHeightRoundedToEven) {
    const TWaveShapes shapes = Shapes(500, 105);
    ASSERT_TRUE(shapes.Drawn);
    EXPECT_EQ(shapes.RowHeight, 52);  // Round(52.5)
    ASSERT_EQ(shapes.Rows.size(), 2u);
    EXPECT_EQ(shapes.Rows[1].Frame, (TRect{0, 52, 500, 103}));
    EXPECT_EQ(shapes.Rows[1].Centre, 78);
    EXPECT_EQ(shapes.Rows[0].Line.size(), 1u + 2 * 500);
    EXPECT_FALSE(shapes.Rows[0].Level.has_value());
}

TEST_F(WaveGeometryTest, CacheWithFewerChannelsThanTheStreamDrawsNothing) {
    Graph.Resize(1);
    EXPECT_FALSE(Shapes().Drawn);
}

TEST_F(WaveGeometryTest, RecordingShowsLevelBarsInTheirColours) {
    Document->Stream->RecordState = TTransportState::Started;
    Document->Stream->Levels[0] = MaxLevel;
    Document->Stream->Levels[1] = static_cast<std::int32_t>(0.75 * MaxLevel);
    TWaveShapes shapes = Shapes(400, 200);
    ASSERT_TRUE(shapes.Rows[0].Level.has_value());
    EXPECT_TRUE(shapes.Rows[0].Line.empty());
    EXPECT_EQ(shapes.Rows[0].Level->Rect, (TRect{1, 15, 400, 84}));
    EXPECT_EQ(shapes.Rows[0].Level->Colour, TLevelColour::Red);
    EXPECT_EQ(shapes.Rows[1].Level->Rect, (TRect{1, 115, 300, 184}));
    EXPECT_EQ(shapes.Rows[1].Level->Colour, TLevelColour::Green);
    EXPECT_FALSE(shapes.Overlay.has_value());  // no selection or cursor while recording

    Document->Stream->Levels[1] = static_cast<std::int32_t>(0.69 * MaxLevel);
    EXPECT_EQ(Shapes(400, 200).Rows[1].Level->Colour, TLevelColour::Navy);
}

TEST_F(WaveGeometryTest, EmptyDocumentShowsFramesWithoutWaveformOrOverlay) {
    Document->SampleCount = 0;
    const TWaveShapes shapes = Shapes();
    ASSERT_EQ(shapes.Rows.size(), 2u);
    ASSERT_TRUE(shapes.Rows[0].Level.has_value());
    EXPECT_LE(shapes.Rows[0].Level->Rect.Right, shapes.Rows[0].Level->Rect.Left);  // zero level
    EXPECT_FALSE(shapes.Overlay.has_value());
}

TEST_F(WaveGeometryTest, SelectionIsShadedUpToTheViewEdges) {
    TDocument& d = *Document;
    d.ViewStart = 200;
    d.ViewLength = 500;  // 1 pixel per sample at width 500
    d.Select(300, 449);
    EXPECT_EQ(Shapes().Overlay->Selection, std::make_pair(100, 249));
    d.Select(100, 449);  // begins before the view
    EXPECT_EQ(Shapes().Overlay->Selection, std::make_pair(0, 249));
    d.Select(300, 900);  // runs past the view's end
    EXPECT_EQ(Shapes().Overlay->Selection, std::make_pair(100, 500));
    d.Select(700, 800);  // after the view
    EXPECT_FALSE(Shapes().Overlay->Selection.has_value());
    d.SelEndSet = false;  // only one border
    EXPECT_FALSE(Shapes().Overlay->Selection.has_value());
}

TEST_F(WaveGeometryTest, CursorLineOnlyInsideTheViewOverTheChosenChannel) {
    TDocument& d = *Document;
    d.ViewStart = 200;
    d.ViewLength = 250;  // 2 pixels per sample
    d.CursorPos = 300;
    TWaveShapes shapes = Shapes(500, 105);
    EXPECT_EQ(shapes.Overlay->CursorX, 200);
    EXPECT_EQ(shapes.Overlay->BandTop, 0);
    EXPECT_EQ(shapes.Overlay->BandBottom, 104);

    d.ChannelItem = 2;  // the right channel: its row only
    shapes = Shapes(500, 105);
    EXPECT_EQ(shapes.Overlay->BandTop, 52);
    EXPECT_EQ(shapes.Overlay->BandBottom, 103);

    d.CursorPos = 450;  // one past the view
    EXPECT_FALSE(Shapes().Overlay->CursorX.has_value());
    d.CursorPos = 199;
    EXPECT_FALSE(Shapes().Overlay->CursorX.has_value());
    d.ViewLength = 0;  // nothing to place anything on
    EXPECT_FALSE(Shapes().Overlay.has_value());
}

TEST_F(WaveGeometryTest, TrackShowsZoneSelectionAndCursorHandle) {
    TDocument& d = *Document;  // 1000 samples on a track of 510 usable pixels
    d.ViewStart = 100;
    d.ViewLength = 200;
    d.CursorPos = 500;
    d.Select(0, 999);
    const TTrackShapes track = TrackGeometry(d, 520, 25);
    EXPECT_EQ(track.Bar, (TRect{5, 7, 515, 18}));
    EXPECT_FALSE(track.Recording);
    EXPECT_EQ(track.Zone, (TRect{56, 7, 158, 18}));  // 51 + 5, Round(102 + 56)
    ASSERT_EQ(track.ZoneEdges.size(), 2u);
    EXPECT_EQ(track.ZoneEdges[1], (TLine{{157, 7}, {157, 18}}));
    EXPECT_EQ(track.SelStartLine, (TLine{{5, 8}, {5, 17}}));
    EXPECT_EQ(track.Selection, (TRect{5, 8, 514, 17}));  // Round(999 / 1000 * 510 + 5)
    EXPECT_EQ(track.CursorHandle, (TRect{255, 0, 265, 25}));
}

TEST_F(WaveGeometryTest, TrackCursorHandleAtTheEndsAndWhileRecording) {
    TDocument& d = *Document;
    d.CursorPos = 1000;  // past the last sample
    EXPECT_EQ(TrackGeometry(d, 520, 25).CursorHandle, (TRect{510, 0, 520, 25}));
    d.Stream->RecordState = TTransportState::Started;
    const TTrackShapes recording = TrackGeometry(d, 520, 25);
    EXPECT_TRUE(recording.Recording);
    EXPECT_FALSE(recording.Zone.has_value());
    EXPECT_TRUE(recording.ZoneEdges.empty());
    d.Stream->RecordState = TTransportState::Stopped;

    d.SampleCount = 0;
    d.SelStartSet = true;
    const TTrackShapes empty = TrackGeometry(d, 520, 25);
    EXPECT_EQ(empty.CursorHandle, (TRect{0, 0, 10, 25}));
    EXPECT_FALSE(empty.Zone.has_value());
    EXPECT_FALSE(empty.SelStartLine.has_value());
}

}  // namespace
}  // namespace sonavel
