// The chart as the window paints it: the picture at the chart rectangle, the
// marker composed into it, clipped at the picture's edges and nowhere else.
#include "tests/reading/reading_window.h"

#include "ui/chart_marker.h"

namespace velk::test {
namespace {

class ChartPaintTest : public WindowFixture {
protected:
    void SetUp() override { OpenWindow(); }

    QImage RenderedAt(double hue, double value)
    {
        dlg_.m_hue = hue;
        dlg_.m_value = value;
        return Rendered();
    }
};

TEST_F(ChartPaintTest, ChartSitsAtThePlaceholderWithThePictureSize)
{
    EXPECT_EQ(dlg_.m_chartWidth, 360);
    EXPECT_EQ(dlg_.m_chartHeight, 328);
    ASSERT_TRUE(QRect(QPoint(0, 0), dlg_.m_hWnd->size()).contains(ChartRect()));
    // The placeholder is never shown; the chart is the window's own painting.
    EXPECT_FALSE(dlg_.GetDlgItem(IDC_CHART)->IsWindowVisible());
}

struct MarkerCase {
    double hue;
    double value;
    QRect visible;  // the part of the marker's box inside the picture; null: none
    int pixels;     // white outline pixels that show
    const char* what;
};

// Box of columns x - 4 to x + 3 and rows y - 4 to y + 3; the outline has 20
// pixels: five of them in a corner quarter, twelve in the five left columns.
const MarkerCase kMarkerCases[] = {
    {213.33333333333331, 0.7820136852394917, QRect(209, 67, 8, 8), 20, "a whole circle"},
    {0.0, 1.0, QRect(0, 0, 4, 4), 5, "lower right quarter, top-left corner"},
    {0.0, 0.0, QRect(0, 324, 4, 4), 5, "upper right quarter, bottom-left corner"},
    {359.9, 0.5, QRect(355, 160, 5, 8), 12, "left part, cut at the right edge"},
    {0.0, 1.075268817204301, QRect(), 0, "nothing: wholly above the picture"},
};

TEST_F(ChartPaintTest, MarkerOfEachEdgeCaseShowsOnlyInsideTheChart)
{
    // A marker in the middle, far from every case, as the reference outside the chart.
    const QImage reference = RenderedAt(180.0, 0.5);
    const QImage picture = MakeChartPicture();
    for (const MarkerCase& c : kMarkerCases) {
        SCOPED_TRACE(c.what);
        const QImage window = RenderedAt(c.hue, c.value);
        const QImage chart = window.copy(ChartRect());

        const ChartDiff diff = DiffFromPicture(chart);
        EXPECT_EQ(diff.box, c.visible);
        EXPECT_EQ(diff.count, c.pixels);
        EXPECT_EQ(diff.notWhite, 0);
        // Pixel for pixel the composition the paint is made of, at the chart's place.
        QImage composed;
        ComposeChart(picture, c.hue, c.value, composed);
        EXPECT_EQ(chart, composed.convertToFormat(QImage::Format_RGB32));

        // Nothing of the marker beyond the chart rectangle.
        ASSERT_EQ(window.size(), reference.size());
        int outside = 0;
        for (int y = 0; y < window.height(); ++y)
            for (int x = 0; x < window.width(); ++x)
                if (!ChartRect().contains(x, y) && window.pixel(x, y) != reference.pixel(x, y)) ++outside;
        EXPECT_EQ(outside, 0);
    }
}

// Paints after readings start from the picture each time: moving the marker
// and painting again, as often as it comes, leaves the last marker only.
TEST_F(ChartPaintTest, RepeatedPaintsShowOneMarker)
{
    const struct {
        double hue, value;
    } readings[] = {{10.0, 0.9}, {200.0, 0.4}, {350.0, 0.1}, {120.0, 0.6}};
    for (const auto& r : readings) {
        dlg_.m_hue = r.hue;
        dlg_.m_value = r.value;
        dlg_.InvalidateRect(nullptr, FALSE);
        const int row = static_cast<int>((1.0 - r.value) * 328);
        const QRect expected(static_cast<int>(r.hue) - 4, row - 4, 8, 8);
        ASSERT_TRUE(WaitUntil([&] { return DiffFromPicture(OnScreen().copy(ChartRect())).box == expected; }))
            << r.hue << ", " << r.value;
        EXPECT_EQ(DiffFromPicture(OnScreen().copy(ChartRect())).count, 20);
    }
}

}  // namespace
}  // namespace velk::test
