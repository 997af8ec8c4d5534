#include "app/SpectrumView.h"

#include <gtest/gtest.h>

#include "app/FileOrder.h"

namespace sonavel {
namespace {

// --- The spectrum window's arithmetic ---------------------------------------------------------

TEST(SpectrumAxes, LabelsRoundTiesToEven) {
    std::vector<std::string> frequencies;
    for (int c = 1; c <= GridColumns; ++c) {
        frequencies.push_back(FrequencyLabel(c, 44100 / 2));
    }
    EXPECT_EQ(frequencies, (std::vector<std::string>{"2756", "5512", "8269", "11025", "13781",
                                                     "16538", "19294", "22050"}));
    std::vector<std::string> percents;
    for (int c = 1; c < GridRows; ++c) {
        percents.push_back(PercentLabel(c));
    }
    EXPECT_EQ(percents,
              (std::vector<std::string>{"12 %", "25 %", "38 %", "50 %", "62 %", "75 %", "88 %"}));

    // Labels centred on the grid lines: x under line c, y a half text height above line c.
    EXPECT_EQ(FrequencyLabelX(1, 570), 71);  // 71.25
    EXPECT_EQ(FrequencyLabelX(8, 570), 570);
    EXPECT_EQ(PercentLabelY(4, 400, 15), 400 - 208);  // 200 + 7.5 -> 208 (ties to even)
    EXPECT_EQ(PercentLabelY(1, 100, 13), 100 - 19);   // 12.5 + 6.5
}

TEST(SpectrumAxes, GridAndResizeRule) {
    const TSpectrumGrid grid = SpectrumGrid(570, 100);
    EXPECT_EQ(grid.Rows, (std::vector<int>{0, 12, 25, 38, 50, 62, 75, 88}));
    EXPECT_EQ(grid.Columns, (std::vector<int>{0, 71, 142, 214, 285, 356, 428, 499}));
    EXPECT_EQ(RightBoxWidth(600), 30);
    EXPECT_EQ(DownBoxHeight(359), 22);     // 21.54
    EXPECT_EQ(PercentFontStart(376), 24);  // 23.5 -> 24
    EXPECT_EQ(FrequencyFontStart(24), 22);
    EXPECT_TRUE(FrequencyFontFits(600, 38));  // 37.5 -> 38
    EXPECT_FALSE(FrequencyFontFits(600, 39));
}

TEST(SpectrumAxes, FontShrinksUntilTheTextFitsButNotBelowOne) {
    // A text 3 pixels wide per pixel of height, in a box 40 wide.
    EXPECT_EQ(FitFontHeight(20, [](int h) { return 3 * h <= 40; }), 13);
    EXPECT_EQ(FitFontHeight(10, [](int h) { return 3 * h <= 40; }), 10);
    EXPECT_EQ(FitFontHeight(20, [](int) { return false; }), 1);
    EXPECT_EQ(FitFontHeight(-3, [](int) { return false; }), 1);
}

TEST(SpectrumLine, LargestBinTouchesTheTopAndSilenceLiesOnTheBottom) {
    const std::vector<TComplex> data{{0, 0}, {3, 4}, {10, 0}, {0, -5}};
    const std::vector<TPoint> line = SpectrumLine(data, 400, 100);
    // (0, y0) first, then the bins at Round(W / L * j).
    EXPECT_EQ(line, (std::vector<TPoint>{{0, 99}, {0, 99}, {100, 50}, {200, 0}, {300, 50}}));

    const std::vector<TComplex> silent(5);
    for (const TPoint& p : SpectrumLine(silent, 333, 120)) {
        EXPECT_EQ(p.Y, 119);
    }
    // Tiny magnitudes are scaled up as well as large ones.
    const std::vector<TComplex> faint{{1e-9L, 0}, {2e-9L, 0}};
    EXPECT_EQ(SpectrumLine(faint, 10, 10), (std::vector<TPoint>{{0, 5}, {0, 5}, {5, 0}}));
    EXPECT_TRUE(SpectrumLine({}, 10, 10).empty());
    EXPECT_TRUE(SpectrumLine(data, 10, 0).empty());
}

// --- The join and mix dialogs' list ------------------------------------------------------------

TFileOrder Listed(int count, int selected) {
    std::vector<TFileOrder::TLine> lines;
    for (int i = 0; i < count; ++i) {
        lines.push_back({"doc" + std::to_string(i), i});
    }
    TFileOrder order;
    order.Fill(std::move(lines));
    order.Select(selected);
    return order;
}

TEST(FileOrder, ListEditsKeepLinesAndIndexesTogether) {
    enum TEdit { Up, Down, Delete };
    struct TCase {
        int Count;
        int Selected;
        TEdit Edit;
        bool Done;
        std::vector<std::int32_t> After;
        int SelectedAfter;
    };
    const std::vector<TCase> cases{
        {3, 0, Up, false, {0, 1, 2}, 0},           // the first line stays first
        {3, 2, Up, true, {0, 2, 1}, 1},            // moves with its line
        {3, 2, Down, false, {0, 1, 2}, 2},         // the last stays last
        {3, 0, Down, true, {1, 0, 2}, 1},          //
        {2, 0, Delete, false, {0, 1}, 0},          // two lines are never shortened
        {2, 1, Delete, false, {0, 1}, 1},          //
        {1, 0, Delete, false, {0}, 0},             //
        {3, 1, Delete, true, {0, 2}, 1},           // the selection stays at its index
        {3, 2, Delete, true, {0, 1}, 1},           // or goes to the new last line
        {4, -1, Delete, false, {0, 1, 2, 3}, -1},  // nothing selected
    };
    for (const TCase& c : cases) {
        TFileOrder order = Listed(c.Count, c.Selected);
        const bool done = c.Edit == Up     ? order.MoveUp()
                          : c.Edit == Down ? order.MoveDown()
                                           : order.Delete();
        const std::string where = std::to_string(c.Count) + "/" + std::to_string(c.Selected) + "/" +
                                  std::to_string(c.Edit);
        EXPECT_EQ(done, c.Done) << where;
        EXPECT_EQ(order.FileIndexes(), c.After) << where;
        EXPECT_EQ(order.Selected(), c.SelectedAfter) << where;
        for (const TFileOrder::TLine& line : order.Lines()) {
            EXPECT_EQ(line.Caption, "doc" + std::to_string(line.FileIndex)) << where;
        }
    }
    EXPECT_EQ(Listed(0, 0).Selected(), -1);
}

}  // namespace
}  // namespace sonavel
