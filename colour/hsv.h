#pragma once

// Colour conversion of one reading: blue gain, hue/saturation/value, and the
// truncation that turns a double into a displayed number or a pixel coordinate.

namespace velk {

// Levels are 10-bit; the conversion multiplies by this instead of dividing by
// 1023 (1023 * kLevelScale is exactly 1.0). The results depend on it bit for bit.
inline constexpr double kLevelScale = 1.0 / 1023.0;
inline constexpr int kLevelMax = 1023;

struct Hsv {
    double hue = 0.0;         // degrees, 0 up to 360 for levels in 0..1023
    double saturation = 0.0;  // fraction
    double value = 0.0;       // fraction
};

// The three numbers a reading shows: hue, saturation x 100 and value x 100,
// each truncated toward zero.
struct HsvDisplay {
    int hue = 0;
    int saturation = 0;
    int value = 0;
};

// Writes all three outputs on every call. The order of the floating-point
// operations is fixed: displayed values next to a whole number depend on it.
void RgbToHsv(int red, int green, int blue, double* hue, double* saturation, double* value);
Hsv RgbToHsv(int red, int green, int blue);

// Blue after the fixed blue gain: blue * 110 / 100 truncated toward zero,
// 1023 or more becomes 1023. No lower limit except the int range itself.
int ApplyBlueGain(int blue);

// Truncation toward zero that is defined for every double: NaN gives 0,
// values beyond the int range give INT_MIN or INT_MAX.
int TruncateToInt(double v);

HsvDisplay ToDisplay(const Hsv& hsv);

}  // namespace velk
