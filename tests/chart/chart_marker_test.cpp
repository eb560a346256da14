#include "ui/chart_marker.h"

#include "res/pictures.h"

#include <gtest/gtest.h>

#include <QImage>

#include <limits>
#include <string>

namespace {

// A 1-pixel outline of the circle in an 8 x 8 box, right and bottom excluded.
constexpr const char* kOutline[8] = {
    "..####..",
    ".#....#.",
    "#......#",
    "#......#",
    "#......#",
    "#......#",
    ".#....#.",
    "..####..",
};
constexpr QRgb kWhite = qRgb(255, 255, 255);

// Every pixel of `out` is the picture's, except the outline pixels of the box
// whose top-left corner is (left, top), which are white. Returns how many
// white pixels were expected inside the image.
int ExpectMarkerOnly(const QImage& picture, const QImage& out, long long left, long long top)
{
    EXPECT_EQ(out.size(), picture.size());
    int shown = 0;
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            const long long col = x - left;
            const long long row = y - top;
            const bool marker = col >= 0 && col < 8 && row >= 0 && row < 8 && kOutline[row][col] == '#';
            shown += marker ? 1 : 0;
            const QRgb expected = marker ? kWhite : picture.pixel(x, y);
            if (out.pixel(x, y) != expected) {
                ADD_FAILURE() << "pixel " << x << "," << y << (marker ? " should be marker" : " should be picture");
                return shown;
            }
        }
    }
    return shown;
}

class ChartMarker : public testing::Test {
protected:
    static void SetUpTestSuite() { picture_ = new QImage(velk::MakeChartPicture()); }
    static void TearDownTestSuite() { delete picture_; }
    static const QImage& Picture() { return *picture_; }

private:
    static QImage* picture_;
};
QImage* ChartMarker::picture_ = nullptr;

struct EdgeCase {
    const char* what;
    double hue, value;
    int x, y;
    int pixelsShown;
};
const EdgeCase kEdgeCases[] = {
    {"whole circle", 213.33333333333331, 0.7820136852394917, 213, 71, 20},
    {"lower right quarter in the top-left corner", 0.0, 1.0, 0, 0, 5},
    {"upper right quarter in the bottom-left corner", 0.0, 0.0, 0, 328, 5},
    {"left part, cut at the right edge", 359.9, 0.5, 359, 164, 12},
    {"nothing: wholly above the picture", 0.0, 1.075268817204301, 0, -24, 0},
};

TEST_F(ChartMarker, PositionTruncatesHueAndValue)
{
    for (const EdgeCase& c : kEdgeCases) {
        SCOPED_TRACE(c.what);
        const velk::MarkerPosition at = velk::ChartMarkerPosition(c.hue, c.value, 328);
        EXPECT_EQ(at.x, c.x);
        EXPECT_EQ(at.y, c.y);
    }
}

TEST_F(ChartMarker, EdgeCasesDrawOnlyTheVisiblePartOfTheOutline)
{
    QImage out;
    for (const EdgeCase& c : kEdgeCases) {
        SCOPED_TRACE(c.what);
        velk::ComposeChart(Picture(), c.hue, c.value, out);
        EXPECT_EQ(ExpectMarkerOnly(Picture(), out, c.x - 4, c.y - 4), c.pixelsShown);
    }
}

TEST_F(ChartMarker, RepeatedCompositionsShowOneMarkerAndReuseStorage)
{
    QImage out;
    velk::ComposeChart(Picture(), 10.0, 0.5, out);
    const uchar* storage = out.constBits();
    const double readings[][2] = {{213.33333333333331, 0.7820136852394917}, {100.0, 0.2}, {213.5, 0.78}, {359.9, 0.5}};
    for (const auto& r : readings) {
        SCOPED_TRACE(r[0]);
        velk::ComposeChart(Picture(), r[0], r[1], out);
        const velk::MarkerPosition at = velk::ChartMarkerPosition(r[0], r[1], 328);
        ExpectMarkerOnly(Picture(), out, at.x - 4, at.y - 4);
        EXPECT_EQ(out.constBits(), storage);
    }
}

TEST_F(ChartMarker, ExtremeValuesNeverWriteOutsideTheImage)
{
    constexpr double inf = std::numeric_limits<double>::infinity();
    constexpr double nan = std::numeric_limits<double>::quiet_NaN();
    const double cases[][2] = {
        {1e300, -1e300}, {-1e300, 1e300}, {inf, -inf}, {-inf, inf},
        {2147483647.0, -6.6e6}, {-2147483648.0, 6.6e6}, {-5.0, 2.0}, {400.0, 0.5},
    };
    QImage out;
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c[0] << ", " << c[1]);
        velk::ComposeChart(Picture(), c[0], c[1], out);
        EXPECT_EQ(out, Picture());
    }
    // NaN truncates to 0: a quarter in the top-left corner.
    velk::ComposeChart(Picture(), nan, nan, out);
    EXPECT_EQ(ExpectMarkerOnly(Picture(), out, -4, -4), 5);
}

TEST_F(ChartMarker, OtherPixelFormatsGetTheSameOutline)
{
    const QImage picture = Picture().convertToFormat(QImage::Format_RGB888);
    QImage out;
    velk::ComposeChart(picture, 0.0, 0.0, out);
    EXPECT_EQ(out.format(), QImage::Format_RGB888);
    EXPECT_EQ(ExpectMarkerOnly(picture, out, -4, 324), 5);
}

TEST_F(ChartMarker, ComposedChartSavedForALook)
{
    QImage out;
    velk::ComposeChart(Picture(), 213.33333333333331, 0.7820136852394917, out);
    const std::string path = std::string(VELK_TEST_OUTPUT_DIR) + "/composed_chart.png";
    ASSERT_TRUE(out.save(QString::fromStdString(path)));
    const QImage back(QString::fromStdString(path));
    EXPECT_EQ(back.convertToFormat(QImage::Format_RGB32), out);
}

}  // namespace
