#include "app/SpectrumView.h"

#include <algorithm>
#include <cmath>

namespace sonavel {

namespace {

constexpr long double FullScale = 2147483647.0L;

// Rounding to nearest, ties to even.
int Round(long double value) {
    return static_cast<int>(std::llrint(value));
}

}  // namespace

TSpectrumGrid SpectrumGrid(int width, int height) {
    TSpectrumGrid grid;
    for (int a = 0; a < GridRows; ++a) {
        grid.Rows.push_back(Round(static_cast<long double>(a) * height / GridRows));
    }
    for (int b = 0; b < GridColumns; ++b) {
        grid.Columns.push_back(Round(static_cast<long double>(b) * width / GridColumns));
    }
    return grid;
}

std::vector<TPoint> SpectrumLine(std::span<const TComplex> data, int width, int height) {
    if (data.empty() || width <= 0 || height <= 0) {
        return {};
    }
    std::vector<long double> magnitude(data.size());
    long double largest = 0;
    for (std::size_t j = 0; j < data.size(); ++j) {
        magnitude[j] = std::sqrt(data[j].Re * data[j].Re + data[j].Im * data[j].Im);
        largest = std::max(largest, magnitude[j]);
    }
    const long double h = height;
    // The scale that lifts the largest bin to full scale; nothing to lift in silence.
    const long double k = largest > 0 ? h / (h * largest / FullScale) : 1.0L;
    // A bin of nothing lies on the bottom edge, the box's last row of pixels.
    const auto y = [&](std::size_t j) {
        return std::min(height - Round(h / FullScale * k * magnitude[j]), height - 1);
    };

    const long double step =
        static_cast<long double>(width) / static_cast<long double>(data.size());
    std::vector<TPoint> points;
    points.reserve(data.size() + 1);
    points.push_back({0, y(0)});
    for (std::size_t j = 0; j < data.size(); ++j) {
        points.push_back({Round(step * static_cast<long double>(j)), y(j)});
    }
    return points;
}

int FitFontHeight(int start, const std::function<bool(int height)>& fits) {
    int height = std::max(start, 1);
    // A box too small for any font still gets the smallest one.
    while (height > 1 && !fits(height)) {
        --height;
    }
    return height;
}

int PercentFontStart(int boxHeight) {
    return Round(static_cast<long double>(boxHeight) / 16);
}

std::string PercentLabel(int c) {
    return std::to_string(Round(static_cast<long double>(c) * 100 / GridRows)) + " %";
}

int PercentLabelY(int c, int boxHeight, int digitHeight) {
    return boxHeight - Round(static_cast<long double>(c) * boxHeight / GridRows +
                             static_cast<long double>(digitHeight) / 2);
}

int FrequencyFontStart(int boxHeight) {
    return boxHeight - 2;
}

bool FrequencyFontFits(int boxWidth, int textWidth) {
    return Round(static_cast<long double>(boxWidth) / 16) >= textWidth;
}

std::string FrequencyLabel(int c, std::uint32_t maxFrequency) {
    return std::to_string(Round(static_cast<long double>(c) * maxFrequency / GridColumns));
}

int FrequencyLabelX(int c, int spectrumWidth) {
    return Round(static_cast<long double>(c) * spectrumWidth / GridColumns);
}

int RightBoxWidth(int panelWidth) {
    return Round(panelWidth * 0.05L);
}

int DownBoxHeight(int panelHeight) {
    return Round(panelHeight * 0.06L);
}

}  // namespace sonavel
