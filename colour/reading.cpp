// The reading pipeline: one "$ADD" line to the window's texts, bars and chart.
#include "colour/hsv.h"
#include "ui/sensor_dlg.h"

namespace velk {

void CSensorDlg::HandleDataLine(const char* /*line*/) {}

void CSensorDlg::RgbToHsv(int red, int green, int blue, double* hue, double* saturation, double* value)
{
    velk::RgbToHsv(red, green, blue, hue, saturation, value);
}

}  // namespace velk
