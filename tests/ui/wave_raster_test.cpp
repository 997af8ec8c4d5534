#include <gtest/gtest.h>

#include <QImage>

#include "ui/WaveRaster.h"

namespace sonavel {
namespace {

constexpr QRgb Paper = 0xffffffff;
constexpr QRgb Ink = 0xff008000;

QImage Blank(int width, int height, qreal ratio = 1) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Paper);
    image.setDevicePixelRatio(ratio);
    return image;
}

// The inked rows of one device column, as "first-last", or "" for none; the inked rows must
// be one run.
std::string Column(const QImage& image, int x) {
    int first = -1;
    int last = -1;
    for (int y = 0; y < image.height(); ++y) {
        if (image.pixel(x, y) == Ink) {
            if (first < 0) {
                first = y;
            } else if (last != y - 1) {
                return "gap";
            }
            last = y;
        }
    }
    return first < 0 ? "" : std::to_string(first) + "-" + std::to_string(last);
}

TEST(RasterPolyline, VerticalStrokesAndSteepConnectorsSplitAtTheMiddle) {
    QImage image = Blank(6, 40);
    // The shape of a waveform: the start on the centre line, then two points per column.
    RasterPolyline(image, {{0, 20}, {0, 5}, {0, 30}, {1, 10}, {1, 12}, {2, 12}, {2, 12}}, Ink);
    EXPECT_EQ(Column(image, 0), "5-30");
    EXPECT_EQ(Column(image, 1), "10-20");  // the connector from (0, 30) rises to 20 in column 1
    EXPECT_EQ(Column(image, 2), "12-12");
    EXPECT_EQ(Column(image, 3), "");
}

TEST(RasterPolyline, ShallowSegmentsCoverEveryColumnTheyCross) {
    QImage image = Blank(12, 8);
    RasterPolyline(image, {{0, 0}, {10, 4}}, Ink);
    for (int x = 0; x <= 10; ++x) {
        EXPECT_NE(Column(image, x), "") << x;
    }
    EXPECT_EQ(Column(image, 0), "0-0");
    EXPECT_EQ(Column(image, 10), "4-4");
    EXPECT_EQ(Column(image, 11), "");
}

TEST(RasterPolyline, ClipsToTheImage) {
    QImage image = Blank(4, 10);
    RasterPolyline(image, {{-5, -100000}, {2, 2000000}, {2, -3}, {9, 11}, {2000000000, 5}}, Ink);
    EXPECT_EQ(Column(image, 2), "0-9");
    EXPECT_EQ(Column(image, 3), "0-0");  // rows -2 to 0 of the segment rising from (2, -3)
    QImage empty;
    RasterPolyline(empty, {{0, 0}, {1, 1}}, Ink);
    EXPECT_TRUE(empty.isNull());
    QImage untouched = Blank(3, 3);
    RasterPolyline(untouched, {}, Ink);
    EXPECT_EQ(Column(untouched, 0), "");
}

TEST(RasterPolyline, ScalesLogicalPixelsByThePixelRatio) {
    QImage image = Blank(8, 8, 2);
    RasterPolyline(image, {{1, 1}, {1, 2}}, Ink);
    EXPECT_EQ(Column(image, 1), "");
    EXPECT_EQ(Column(image, 2), "2-5");
    EXPECT_EQ(Column(image, 3), "2-5");
    EXPECT_EQ(Column(image, 4), "");
}

}  // namespace
}  // namespace sonavel
