#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "app/WaveView.h"
#include "spectra/Complex.h"

namespace sonavel {

// The geometry of the spectrum window, computed without any drawing: the window paints the
// grid, the magnitude line and the two axes as given here.

inline constexpr int GridRows = 8;
inline constexpr int GridColumns = 8;

// The grid of a box of this size: y of the horizontal lines and x of the vertical ones.
struct TSpectrumGrid {
    std::vector<int> Rows;
    std::vector<int> Columns;
};
TSpectrumGrid SpectrumGrid(int width, int height);

// The magnitude line: (0, y of bin 0), then one point per bin, linear in frequency and in
// amplitude, scaled so that the largest bin touches the top edge. A silent spectrum runs
// along the bottom edge (its last row of pixels, so that the line stays visible).
std::vector<TPoint> SpectrumLine(std::span<const TComplex> data, int width, int height);

// The largest font height from `start` down (not below 1) for which the text fits.
int FitFontHeight(int start, const std::function<bool(int height)>& fits);

// Percent axis: the font starts at a sixteenth of the box's height and must fit this text
// into the box's width.
inline constexpr const char* PercentFitText = "99 % ";
int PercentFontStart(int boxHeight);
// Label c = 1..7, centred on grid line c counted from the bottom.
std::string PercentLabel(int c);
int PercentLabelY(int c, int boxHeight, int digitHeight);

// Frequency axis: the font starts at the box's height less 2 and must leave a sixteenth of
// the box's width for this text.
inline constexpr const char* FrequencyFitText = "99999";
int FrequencyFontStart(int boxHeight);
bool FrequencyFontFits(int boxWidth, int textWidth);
// Label c = 1..8 and the x it is centred at, under vertical grid line c of the spectrum box.
std::string FrequencyLabel(int c, std::uint32_t maxFrequency);
int FrequencyLabelX(int c, int spectrumWidth);

// The resize rule: the percent axis takes 5 % of the panel's width, the frequency axis 6 %
// of its height.
int RightBoxWidth(int panelWidth);
int DownBoxHeight(int panelHeight);

}  // namespace sonavel
