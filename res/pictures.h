#pragma once

// Pictures the program draws by code instead of loading from files.

#include <QImage>

namespace velk {

inline constexpr int kChartPictureWidth = 360;
inline constexpr int kChartPictureHeight = 328;

// Bitmap 129, the hue-value chart: a hue sweep along the top fading to black
// at the bottom, each pixel the channel-wise minimum of its column's top
// colour and its row's level. Format_RGB32.
QImage MakeChartPicture();

// Icon 128: 16 x 16, vertical stripes red, yellow, green, cyan, blue,
// magenta, red (1, 3, 3, 2, 3, 3, 1 columns); opaque, Format_RGB32.
QImage MakeIcon128();

}  // namespace velk
