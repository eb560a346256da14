#include "res/pictures.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>

namespace velk {
namespace {

using Rgb = std::array<int, 3>;

// Reference colours of the top row. Between them the sweep follows hue x + 1
// degrees; the reference's small departures from that ideal (at most 6 per
// channel) are blended linearly from one reference column to the next, so the
// picture matches the reference exactly there and stays smooth in between.
struct TopSample {
    int column;
    Rgb colour;
};
constexpr TopSample kTopSamples[] = {
    {0, {255, 4, 0}},     {30, {255, 126, 0}},  {59, {253, 253, 0}},  {90, {122, 255, 0}},
    {119, {1, 255, 1}},   {150, {0, 255, 132}}, {179, {0, 253, 253}}, {210, {0, 122, 255}},
    {239, {1, 0, 255}},   {270, {132, 0, 255}}, {299, {255, 0, 252}}, {330, {255, 0, 122}},
    {357, {255, 0, 8}},
};
// The last two columns are paler than the sweep.
constexpr Rgb kColumn358 = {255, 50, 54};
constexpr Rgb kColumn359 = {255, 128, 129};

// Fully saturated, full-brightness colour of a hue in degrees, 0 to 255 per channel.
std::array<double, 3> HueColour(double hue)
{
    const double sector = std::floor(hue / 60.0);
    const double f = hue / 60.0 - sector;
    const double up = 255.0 * f;
    const double down = 255.0 * (1.0 - f);
    switch (static_cast<int>(sector) % 6) {
    case 0: return {255.0, up, 0.0};
    case 1: return {down, 255.0, 0.0};
    case 2: return {0.0, 255.0, up};
    case 3: return {0.0, down, 255.0};
    case 4: return {up, 0.0, 255.0};
    default: return {255.0, 0.0, down};
    }
}

Rgb TopColour(int column)
{
    if (column == 358) return kColumn358;
    if (column == 359) return kColumn359;

    std::size_t next = 1;
    while (next + 1 < std::size(kTopSamples) && kTopSamples[next].column < column) ++next;
    const TopSample& a = kTopSamples[next - 1];
    const TopSample& b = kTopSamples[next];
    const double t = static_cast<double>(column - a.column) / (b.column - a.column);

    const auto ideal = HueColour(column + 1.0);
    const auto idealA = HueColour(a.column + 1.0);
    const auto idealB = HueColour(b.column + 1.0);
    Rgb out{};
    for (std::size_t c = 0; c < 3; ++c) {
        const double offset = (a.colour[c] - idealA[c]) * (1.0 - t) + (b.colour[c] - idealB[c]) * t;
        out[c] = std::clamp(static_cast<int>(std::lround(ideal[c] + offset)), 0, 255);
    }
    return out;
}

// Row level: two straight pieces meeting at level 127 on rows 163 to 165.
// The upper runs from (0, 255) to (163, 127) rounded up, the lower from
// (165, 127) to (327, 0) rounded down; neither slope reaches 1, so each row
// drops by 0 or 1, and both stay within about one level of 255 * (327 - y) / 327.
constexpr int RowLevel(int row)
{
    if (row <= 163) return 255 - 128 * row / 163;
    return 127 * (327 - row) / 162;
}

}  // namespace

QImage MakeChartPicture()
{
    QImage image(kChartPictureWidth, kChartPictureHeight, QImage::Format_RGB32);
    std::array<Rgb, kChartPictureWidth> top;
    for (int x = 0; x < kChartPictureWidth; ++x) top[static_cast<std::size_t>(x)] = TopColour(x);

    for (int y = 0; y < kChartPictureHeight; ++y) {
        const int level = RowLevel(y);
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < kChartPictureWidth; ++x) {
            const Rgb& c = top[static_cast<std::size_t>(x)];
            line[x] = qRgb(std::min(c[0], level), std::min(c[1], level), std::min(c[2], level));
        }
    }
    return image;
}

QImage MakeIcon128()
{
    constexpr QRgb red = qRgb(255, 0, 0);
    constexpr QRgb yellow = qRgb(255, 255, 0);
    constexpr QRgb green = qRgb(0, 255, 0);
    constexpr QRgb cyan = qRgb(0, 255, 255);
    constexpr QRgb blue = qRgb(0, 0, 255);
    constexpr QRgb magenta = qRgb(255, 0, 255);
    constexpr QRgb stripes[16] = {red,  yellow, yellow,  yellow,  green,   green, green, cyan,
                                  cyan, blue,   blue,    blue,    magenta, magenta, magenta, red};

    QImage image(16, 16, QImage::Format_RGB32);
    for (int y = 0; y < 16; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        std::copy(std::begin(stripes), std::end(stripes), line);
    }
    return image;
}

}  // namespace velk
