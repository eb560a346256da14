#pragma once

// The marker on the hue-value chart, drawn straight into image memory so that
// a paint costs one copy of the picture and twenty pixel writes.

#include <QImage>

namespace velk {

struct MarkerPosition {
    int x = 0;  // column: the hue, one column per degree
    int y = 0;  // row: full value at row 0, zero value at row `height`
};

// x = hue truncated; y = (1.0 - value) * chartHeight truncated. Defined for
// any double (see TruncateToInt).
MarkerPosition ChartMarkerPosition(double hue, double value, int chartHeight);

// A one-pixel white circle outline in the 8 x 8 box of columns x - 4 to x + 3
// and rows y - 4 to y + 3, clipped at the image's edges; any position is safe.
// Writes 32-bit formats directly; other formats go through setPixel.
void DrawChartMarker(QImage& image, MarkerPosition at);

// Copies `picture` into `out` and draws the marker for (hue, value) into the
// copy. `out` keeps its storage when it already has the picture's size and
// format and shares it with no other QImage, so a reused `out` costs no
// allocation. A null picture gives a null `out`.
void ComposeChart(const QImage& picture, double hue, double value, QImage& out);

}  // namespace velk
