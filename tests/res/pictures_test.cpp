#include "res/pictures.h"

#include <gtest/gtest.h>

#include <QColor>
#include <QImage>

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

struct Rgb {
    int r, g, b;
};

Rgb At(const QImage& image, int x, int y)
{
    const QRgb p = image.pixel(x, y);
    return {qRed(p), qGreen(p), qBlue(p)};
}

class ChartPicture : public testing::Test {
protected:
    static void SetUpTestSuite() { picture_ = new QImage(velk::MakeChartPicture()); }
    static void TearDownTestSuite() { delete picture_; }
    static const QImage& Picture() { return *picture_; }
    // Column 0 is pure red at the top, so its red channel is the row level.
    static int Level(int y) { return qRed(picture_->pixel(0, y)); }

private:
    static QImage* picture_;
};
QImage* ChartPicture::picture_ = nullptr;

TEST_F(ChartPicture, SizeAndFormat)
{
    EXPECT_EQ(Picture().width(), 360);
    EXPECT_EQ(Picture().height(), 328);
    EXPECT_EQ(Picture().format(), QImage::Format_RGB32);
}

TEST_F(ChartPicture, TopRowMatchesReferenceSamples)
{
    struct Sample {
        int column;
        Rgb colour;
    };
    const Sample samples[] = {
        {0, {255, 4, 0}},     {30, {255, 126, 0}},  {59, {253, 253, 0}},  {90, {122, 255, 0}},
        {119, {1, 255, 1}},   {150, {0, 255, 132}}, {179, {0, 253, 253}}, {210, {0, 122, 255}},
        {239, {1, 0, 255}},   {270, {132, 0, 255}}, {299, {255, 0, 252}}, {330, {255, 0, 122}},
        {357, {255, 0, 8}},   {358, {255, 50, 54}}, {359, {255, 128, 129}},
    };
    for (const Sample& s : samples) {
        SCOPED_TRACE(s.column);
        for (int y : {0, 1}) {
            const Rgb got = At(Picture(), s.column, y);
            EXPECT_EQ(got.r, s.colour.r);
            EXPECT_EQ(got.g, s.colour.g);
            EXPECT_EQ(got.b, s.colour.b);
        }
    }
}

TEST_F(ChartPicture, TopRowFollowsHueOneDegreeAheadWithinSix)
{
    for (int x = 0; x <= 357; ++x) {
        SCOPED_TRACE(x);
        const QColor ideal = QColor::fromHsv(x + 1, 255, 255);
        const Rgb got = At(Picture(), x, 0);
        EXPECT_LE(std::abs(got.r - ideal.red()), 6);
        EXPECT_LE(std::abs(got.g - ideal.green()), 6);
        EXPECT_LE(std::abs(got.b - ideal.blue()), 6);
    }
}

TEST_F(ChartPicture, RowLevelsMatchReference)
{
    struct Sample {
        int row, level;
    };
    const Sample samples[] = {
        {0, 255},   {1, 255},   {2, 254},  {41, 223}, {82, 191}, {123, 159}, {162, 128},
        {163, 127}, {164, 127}, {165, 127}, {166, 126}, {205, 95}, {246, 63},  {287, 31},
        {325, 1},   {326, 0},   {327, 0},
    };
    for (const Sample& s : samples) {
        SCOPED_TRACE(s.row);
        EXPECT_EQ(Level(s.row), s.level);
    }
}

TEST_F(ChartPicture, RowLevelStepsAndStaysNearStraightLine)
{
    for (int y = 0; y < 328; ++y) {
        SCOPED_TRACE(y);
        EXPECT_LE(std::abs(Level(y) - 255.0 * (327 - y) / 327), 1.03);
        if (y > 0) {
            const int step = Level(y) - Level(y - 1);
            EXPECT_TRUE(step == 0 || step == -1) << step;
        }
    }
}

TEST_F(ChartPicture, EveryPixelIsTopColourLimitedByRowLevel)
{
    for (int y = 0; y < 328; ++y) {
        const int level = Level(y);
        for (int x = 0; x < 360; ++x) {
            const Rgb top = At(Picture(), x, 0);
            const Rgb got = At(Picture(), x, y);
            ASSERT_EQ(got.r, std::min(top.r, level)) << x << "," << y;
            ASSERT_EQ(got.g, std::min(top.g, level)) << x << "," << y;
            ASSERT_EQ(got.b, std::min(top.b, level)) << x << "," << y;
        }
    }
    for (int x = 0; x < 360; ++x) {
        EXPECT_EQ(Picture().pixel(x, 326), qRgb(0, 0, 0)) << x;
        EXPECT_EQ(Picture().pixel(x, 327), qRgb(0, 0, 0)) << x;
    }
}

TEST(Icon128, StripesInEveryRow)
{
    const QImage icon = velk::MakeIcon128();
    ASSERT_EQ(icon.size(), QSize(16, 16));
    EXPECT_FALSE(icon.hasAlphaChannel());

    const QRgb red = qRgb(255, 0, 0), yellow = qRgb(255, 255, 0), green = qRgb(0, 255, 0),
               cyan = qRgb(0, 255, 255), blue = qRgb(0, 0, 255), magenta = qRgb(255, 0, 255);
    const QRgb columns[16] = {red,  yellow, yellow, yellow, green,   green,   green,   cyan,
                              cyan, blue,   blue,   blue,   magenta, magenta, magenta, red};
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 16; ++x) {
            EXPECT_EQ(icon.pixel(x, y), columns[x]) << x << "," << y;
        }
    }
}

}  // namespace
