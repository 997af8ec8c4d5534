#include "ui/WaveRaster.h"

#include <algorithm>
#include <climits>
#include <cmath>

namespace sonavel {

namespace {

// The rows each logical column covers, lo > hi for none.
class TColumnSpans {
  public:
    TColumnSpans(int width, int height)
        : Lo_(static_cast<std::size_t>(width), INT_MAX),
          Hi_(static_cast<std::size_t>(width), INT_MIN),
          Height_(height) {}

    void Cover(int x, int y0, int y1) {
        if (x < 0 || x >= static_cast<int>(Lo_.size())) {
            return;
        }
        // Rows far outside the image would only overflow the arithmetic below.
        y0 = std::clamp(y0, -1, Height_);
        y1 = std::clamp(y1, -1, Height_);
        const auto i = static_cast<std::size_t>(x);
        Lo_[i] = std::min({Lo_[i], y0, y1});
        Hi_[i] = std::max({Hi_[i], y0, y1});
        Top_ = std::min({Top_, y0, y1});
        Bottom_ = std::max({Bottom_, y0, y1});
    }

    void Segment(const TPoint& from, const TPoint& to) {
        if (from.X == to.X) {
            Cover(from.X, from.Y, to.Y);
            return;
        }
        const TPoint& a = from.X < to.X ? from : to;
        const TPoint& b = from.X < to.X ? to : from;
        const double slope = static_cast<double>(b.Y - a.Y) / (b.X - a.X);
        const auto heightAt = [&](double x) {
            return static_cast<int>(std::lround(a.Y + slope * (x - a.X)));
        };
        const int first = std::max(a.X, -1);
        const int last = std::min(b.X, static_cast<int>(Lo_.size()));
        for (int x = first; x <= last; ++x) {
            const double left = std::max<double>(a.X, x - 0.5);
            const double right = std::min<double>(b.X, x + 0.5);
            Cover(x, heightAt(left), heightAt(right));
        }
    }

    int Top() const { return Top_; }
    int Bottom() const { return Bottom_; }
    int Lo(int x) const { return Lo_[static_cast<std::size_t>(x)]; }
    int Hi(int x) const { return Hi_[static_cast<std::size_t>(x)]; }

  private:
    std::vector<int> Lo_;
    std::vector<int> Hi_;
    int Height_;
    int Top_ = INT_MAX;
    int Bottom_ = INT_MIN;
};

}  // namespace

void RasterPolyline(QImage& image, const std::vector<TPoint>& points, QRgb colour) {
    if (points.empty() || image.isNull() || image.depth() != 32) {
        return;
    }
    const double ratio = image.devicePixelRatio();
    const int logicalWidth = static_cast<int>(std::ceil(image.width() / ratio));
    TColumnSpans spans(logicalWidth, static_cast<int>(std::ceil(image.height() / ratio)));
    spans.Cover(points.front().X, points.front().Y, points.front().Y);
    for (std::size_t i = 1; i < points.size(); ++i) {
        spans.Segment(points[i - 1], points[i]);
    }
    if (spans.Top() > spans.Bottom()) {
        return;
    }

    // Each device column as the first logical row it covers and the count of further ones
    // (none: a first row no row reaches). Then row by row, so the pixels are written in
    // memory order, with a select rather than a branch: whether a column is covered changes
    // unpredictably from column to column.
    const auto columns = static_cast<std::size_t>(image.width());
    std::vector<int> first(columns, INT_MAX);
    std::vector<unsigned> extra(columns, 0);
    for (std::size_t px = 0; px < columns; ++px) {
        const int x = std::min(static_cast<int>(static_cast<double>(px) / ratio), logicalWidth - 1);
        if (spans.Lo(x) <= spans.Hi(x)) {
            first[px] = spans.Lo(x);
            extra[px] = static_cast<unsigned>(spans.Hi(x) - spans.Lo(x));
        }
    }
    const int firstRow = std::max(0, static_cast<int>(std::floor(spans.Top() * ratio)));
    const int endRow =
        std::min(image.height(), static_cast<int>(std::floor((spans.Bottom() + 1) * ratio)));
    for (int py = firstRow; py < endRow; ++py) {
        const int y = static_cast<int>(py / ratio);
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(py));  // 32-bit pixels, checked above
        for (std::size_t px = 0; px < columns; ++px) {
            const bool covered = static_cast<unsigned>(y - first[px]) <= extra[px];
            line[px] = covered ? colour : line[px];
        }
    }
}

}  // namespace sonavel
