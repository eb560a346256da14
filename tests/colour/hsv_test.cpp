#include "colour/hsv.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>

namespace {

constexpr int kIntMax = std::numeric_limits<int>::max();
constexpr int kIntMin = std::numeric_limits<int>::min();

// The received blue field is a %x conversion: reinterpret its 32 bits.
int Field(std::uint32_t bits) { return static_cast<int>(bits); }

struct Reading {
    int red, green, blue;  // as received
    int gainedBlue;
    double hue, saturation, value;  // exact doubles
    int shownHue, shownSaturation, shownValue;
};

const Reading kReadings[] = {
    {1023, 0, 0, 0, 0.0, 1.0, 1.0, 0, 100, 100},
    {512, 640, 728, 800, 213.33333333333331, 0.36, 0.7820136852394917, 213, 36, 78},
    {900, 100, 273, 300, 345.0, 0.8888888888888888, 0.8797653958944281, 345, 88, 87},
    {300, 250, 200, 220, 22.500000000000004, 0.26666666666666666, 0.2932551319648094, 22, 26, 29},
    {400, 400, 364, 400, 0.0, 0.0, 0.39100684261974583, 0, 0, 39},
    // Red and green tie: the red formula lands just below 60.
    {700, 700, 91, 100, 59.99999999999999, 0.8571428571428571, 0.6842619745845552, 59, 85, 68},
    {600, 200, 546, 600, 300.0, 0.6666666666666666, 0.5865102639296188, 300, 66, 58},
    {0, 0, 1, 1, 240.0, 1.0, 0.0009775171065493646, 240, 100, 0},
    {0, 0, 0, 0, 0.0, 0.0, 0.0, 0, 0, 0},
    {1100, 0, 0, 0, 0.0, 1.0, 1.075268817204301, 0, 100, 107},
};

TEST(RgbToHsv, WorkedExamplesToTheLastBit)
{
    for (const Reading& r : kReadings) {
        SCOPED_TRACE(testing::Message() << r.red << ", " << r.green << ", " << r.blue);
        const int blue = velk::ApplyBlueGain(r.blue);
        EXPECT_EQ(blue, r.gainedBlue);

        double hue = -1.0, saturation = -1.0, value = -1.0;
        velk::RgbToHsv(r.red, r.green, blue, &hue, &saturation, &value);
        EXPECT_EQ(hue, r.hue);
        EXPECT_EQ(saturation, r.saturation);
        EXPECT_EQ(value, r.value);

        const velk::HsvDisplay shown = velk::ToDisplay({hue, saturation, value});
        EXPECT_EQ(shown.hue, r.shownHue);
        EXPECT_EQ(shown.saturation, r.shownSaturation);
        EXPECT_EQ(shown.value, r.shownValue);
    }
}

TEST(RgbToHsv, ScaleIsTheNearestDoubleToOneOver1023)
{
    EXPECT_EQ(velk::kLevelScale, 0.0009775171065493646);
    EXPECT_EQ(1023 * velk::kLevelScale, 1.0);
}

TEST(RgbToHsv, GreyHasNoHueOrSaturationAtAnyLevel)
{
    for (int level : {0, 1, 511, 1023, 5000, -7}) {
        SCOPED_TRACE(level);
        const velk::Hsv hsv = velk::RgbToHsv(level, level, level);
        EXPECT_EQ(hsv.hue, 0.0);
        EXPECT_EQ(hsv.saturation, 0.0);
        EXPECT_EQ(hsv.value, level * velk::kLevelScale);
    }
}

TEST(RgbToHsv, OverwritesEveryOutput)
{
    double hue = 99.0, saturation = 99.0, value = 99.0;
    velk::RgbToHsv(0, 0, 0, &hue, &saturation, &value);
    EXPECT_EQ(hue, 0.0);
    EXPECT_EQ(saturation, 0.0);
    EXPECT_EQ(value, 0.0);
}

// Levels far outside 0..1023: max - min no longer fits in an int.
TEST(RgbToHsv, SpanBeyondIntRangeGivesSoundHue)
{
    struct Case {
        int red, green, blue;
        double hue, saturation;
    };
    const Case cases[] = {
        {kIntMax, -kIntMax, 0, 330.0, 2.0},
        {kIntMax, 0, -kIntMax, 30.0, 2.0},
        {-kIntMax, kIntMax, 0, 150.0, 2.0},
        {0, -kIntMax, kIntMax, 270.0, 2.0},
        {kIntMax, kIntMin, kIntMin, 0.0, 4294967295.0 / 2147483647.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.red << ", " << c.green << ", " << c.blue);
        const velk::Hsv hsv = velk::RgbToHsv(c.red, c.green, c.blue);
        EXPECT_NEAR(hsv.hue, c.hue, 1e-9);
        EXPECT_NEAR(hsv.saturation, c.saturation, 1e-12);
    }

    // Red at the top of the range, green a little below zero: the red formula
    // gives a hue a hair below 0, which wraps to just under 360.
    const velk::Hsv nearRed = velk::RgbToHsv(kIntMax, -5, 0);
    EXPECT_GE(nearRed.hue, 359.9999);
    EXPECT_LT(nearRed.hue, 360.0);
    EXPECT_GT(nearRed.saturation, 1.0);
    EXPECT_EQ(velk::ToDisplay(nearRed).hue, 359);
}

TEST(BlueGain, TimesOnePointOneTruncatedAndCapped)
{
    struct Case {
        std::uint32_t field;
        int shown;
    };
    const Case cases[] = {
        {10, 11},          {500, 550},  {929, 1021},  {930, 1023},
        {931, 1023},       {1023, 1023}, {0, 0},
        {0xFFFFFFFF, -1},  // -1.1 truncates toward zero
        {0xFFFFFFF6, -11},
        // Would wrap in 32 bits; must still be capped, not negative.
        {0x7FFFFFFF, 1023}, {0x01D41D42, 1023}, {0x3FFFFFFF, 1023},
        // Below INT_MIN / 1.1 the product leaves the int range: held at its floor.
        {0x80000000, kIntMin}, {0x8BA2E8BA, kIntMin},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.field);
        EXPECT_EQ(velk::ApplyBlueGain(Field(c.field)), c.shown);
    }
}

TEST(TruncateToInt, TowardZeroAndDefinedEverywhere)
{
    struct Case {
        double in;
        int out;
    };
    const Case cases[] = {
        {0.7820136852394917 * 100.0, 78},
        {59.99999999999999, 59},
        {-0.9, 0},
        {-24.688, -24},
        {2147483647.9, kIntMax},
        {2147483648.0, kIntMax},
        {-2147483648.9, kIntMin},
        {-2147483649.0, kIntMin},
        {1e300, kIntMax},
        {-1e300, kIntMin},
        {std::numeric_limits<double>::infinity(), kIntMax},
        {-std::numeric_limits<double>::infinity(), kIntMin},
        {std::numeric_limits<double>::quiet_NaN(), 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.in);
        EXPECT_EQ(velk::TruncateToInt(c.in), c.out);
    }
}

}  // namespace
