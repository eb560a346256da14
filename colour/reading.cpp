// The reading pipeline: one "$ADD" line to the window's texts, bars and chart.
#include <cstdio>
#include <optional>

#include "colour/hsv.h"
#include "device/framing.h"
#include "ui/sensor_dlg.h"

namespace velk {

namespace {

// "%d" into a stack buffer: a reading costs no heap of its own.
void SetNumber(CSensorDlg& dlg, int id, int number)
{
    char text[16];
    std::snprintf(text, sizeof text, "%d", number);
    dlg.SetDlgItemText(id, text);
}

// A bar takes its position as a signed number in wParam, as the window system's does.
void SetBarPosition(CProgressCtrl& bar, int position)
{
    bar.SendMessage(PBM_SETPOS, static_cast<WPARAM>(static_cast<LPARAM>(position)));
}

}  // namespace

void CSensorDlg::HandleDataLine(const char* line)
{
    // A line with fewer than four levels carries no reading: the received-data
    // text (already set by the poll) is all it changes.
    const std::optional<Reading> reading = ParseReadingLine(line);
    if (!reading) return;

    const int red = reading->red;
    const int green = reading->green;
    const int blue = ApplyBlueGain(reading->blue);
    const int clear = reading->clear;

    SetNumber(*this, IDC_LEVEL_RED, red);
    SetNumber(*this, IDC_LEVEL_GREEN, green);
    SetNumber(*this, IDC_LEVEL_BLUE, blue);
    SetNumber(*this, IDC_LEVEL_CLEAR, clear);

    RgbToHsv(red, green, blue, &m_hue, &m_saturation, &m_value);

    SetNumber(*this, IDC_HUE, TruncateToInt(m_hue));
    SetNumber(*this, IDC_SATURATION, TruncateToInt(m_saturation * 100.0));
    SetNumber(*this, IDC_VALUE, TruncateToInt(m_value * 100.0));

    SetBarPosition(m_barRed, red);
    SetBarPosition(m_barGreen, green);
    SetBarPosition(m_barBlue, blue);
    SetBarPosition(m_barClear, clear);

    // The chart repaints with the new marker after the tick; the paint covers
    // the whole rectangle, so nothing needs erasing first.
    const CRect chart{m_chartLeft, m_chartTop, m_chartLeft + m_chartWidth, m_chartTop + m_chartHeight};
    InvalidateRect(&chart, FALSE);
}

void CSensorDlg::RgbToHsv(int red, int green, int blue, double* hue, double* saturation, double* value)
{
    velk::RgbToHsv(red, green, blue, hue, saturation, value);
}

}  // namespace velk
