#include "colour/hsv.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

namespace velk {

void RgbToHsv(int red, int green, int blue, double* hue, double* saturation, double* value)
{
    *hue = 0.0;
    *saturation = 0.0;
    *value = 0.0;

    const int max = std::max({red, green, blue});
    const int min = std::min({red, green, blue});
    // 64 bits: the difference of two levels far apart overflows an int.
    const std::int64_t span = std::int64_t{max} - min;

    const double r = red * kLevelScale;
    const double g = green * kLevelScale;
    const double b = blue * kLevelScale;

    if (max != min) {
        const double d = static_cast<double>(span) * kLevelScale;
        double h;
        // Ties go to red before green, green before blue: 700,700,100 must give
        // 59.99999999999999, not the green formula's 60.00000000000001.
        if (max == red) {
            h = ((g - b) * 60.0) / d;
        } else if (max == green) {
            h = ((b - r) * 60.0) / d + 120.0;
        } else {
            h = ((r - g) * 60.0) / d + 240.0;
        }
        if (h < 0.0) h += 360.0;
        if (h < 0.0) h += 360.0;
        *hue = h;
    }

    if (max != 0) *saturation = static_cast<double>(span) / max;
    *value = max * kLevelScale;
}

Hsv RgbToHsv(int red, int green, int blue)
{
    Hsv hsv;
    RgbToHsv(red, green, blue, &hsv.hue, &hsv.saturation, &hsv.value);
    return hsv;
}

int ApplyBlueGain(int blue)
{
    // 64 bits: blue * 110 overflows an int from about 19.5 million on.
    const std::int64_t gained = std::int64_t{blue} * 110 / 100;
    if (gained >= kLevelMax) return kLevelMax;
    constexpr std::int64_t lowest = std::numeric_limits<int>::min();
    return gained < lowest ? std::numeric_limits<int>::min() : static_cast<int>(gained);
}

int TruncateToInt(double v)
{
    if (std::isnan(v)) return 0;
    // Both bounds are exact doubles; anything strictly between truncates into range.
    if (v >= 2147483648.0) return std::numeric_limits<int>::max();
    if (v <= -2147483649.0) return std::numeric_limits<int>::min();
    return static_cast<int>(v);
}

HsvDisplay ToDisplay(const Hsv& hsv)
{
    return {TruncateToInt(hsv.hue), TruncateToInt(hsv.saturation * 100.0),
            TruncateToInt(hsv.value * 100.0)};
}

}  // namespace velk
