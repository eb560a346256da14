#include "ui/chart_marker.h"

#include "colour/hsv.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace velk {
namespace {

// The outline of a circle inscribed in an 8 x 8 box with a one-pixel pen:
// every pixel whose centre lies within half a pixel of the circle of radius
// 3.5 around the box's centre. Bit 7 is the box's left column.
constexpr int kMarkerSize = 8;
constexpr std::uint8_t kMarkerRows[kMarkerSize] = {
    0b00111100,  // ..####..
    0b01000010,  // .#....#.
    0b10000001,  // #......#
    0b10000001,  // #......#
    0b10000001,  // #......#
    0b10000001,  // #......#
    0b01000010,  // .#....#.
    0b00111100,  // ..####..
};
constexpr QRgb kWhite = 0xFFFFFFFFu;

}  // namespace

MarkerPosition ChartMarkerPosition(double hue, double value, int chartHeight)
{
    return {TruncateToInt(hue), TruncateToInt((1.0 - value) * chartHeight)};
}

void DrawChartMarker(QImage& image, MarkerPosition at)
{
    // 64 bits: x - 4 and y + 3 must not overflow for positions at the int limits.
    const std::int64_t left = std::int64_t{at.x} - kMarkerSize / 2;
    const std::int64_t top = std::int64_t{at.y} - kMarkerSize / 2;
    const std::int64_t width = image.width();
    const std::int64_t height = image.height();
    if (left >= width || top >= height || left + kMarkerSize <= 0 || top + kMarkerSize <= 0) return;

    const bool direct = image.depth() == 32;
    for (int row = 0; row < kMarkerSize; ++row) {
        const std::int64_t y = top + row;
        if (y < 0 || y >= height) continue;
        QRgb* line = direct ? reinterpret_cast<QRgb*>(image.scanLine(static_cast<int>(y))) : nullptr;
        for (int col = 0; col < kMarkerSize; ++col) {
            if (!(kMarkerRows[row] & (0x80u >> col))) continue;
            const std::int64_t x = left + col;
            if (x < 0 || x >= width) continue;
            if (direct) {
                line[x] = kWhite;
            } else {
                image.setPixel(static_cast<int>(x), static_cast<int>(y), kWhite);
            }
        }
    }
}

void ComposeChart(const QImage& picture, double hue, double value, QImage& out)
{
    if (picture.isNull()) {
        out = QImage();
        return;
    }
    if (&picture == &out) {  // nothing to copy; also keeps memcpy off overlapping memory
        DrawChartMarker(out, ChartMarkerPosition(hue, value, out.height()));
        return;
    }
    if (out.size() != picture.size() || out.format() != picture.format()) {
        out = QImage(picture.size(), picture.format());
        out.setColorTable(picture.colorTable());
    }
    const auto* from = picture.constBits();
    auto* to = out.bits();  // detaches only if someone else shares `out`
    if (out.bytesPerLine() == picture.bytesPerLine()) {
        std::memcpy(to, from, static_cast<std::size_t>(picture.sizeInBytes()));
    } else {
        const auto rowBytes = static_cast<std::size_t>(std::min(out.bytesPerLine(), picture.bytesPerLine()));
        for (int y = 0; y < picture.height(); ++y) std::memcpy(out.scanLine(y), picture.constScanLine(y), rowBytes);
    }
    DrawChartMarker(out, ChartMarkerPosition(hue, value, picture.height()));
}

}  // namespace velk
