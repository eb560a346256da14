// The sensor parameter set's commands and the LED slider.
#include <cstdio>

#include "device/framing.h"
#include "ui/sensor_dlg.h"

namespace velk {

namespace {

constexpr int kSpinCount = 12;

// Up-down ranges in id order: CAP, INT, OFFSET, four of each.
struct SpinRange {
    int lower;
    int upper;
};
constexpr SpinRange kCapRange{0, 15};
constexpr SpinRange kIntRange{0, 1023};
constexpr SpinRange kOffsetRange{-128, 127};

constexpr SpinRange SpinRangeAt(int index)
{
    return index < 4 ? kCapRange : index < 8 ? kIntRange : kOffsetRange;
}

}  // namespace

void CSensorDlg::InitSpinRanges()
{
    for (int i = 0; i < kSpinCount; ++i) {
        const SpinRange range = SpinRangeAt(i);
        // Upper limit in the low word, lower limit (16-bit two's complement) in the high word.
        GetDlgItem(IDC_SPIN_CAP_RED + i)->SendMessage(UDM_SETRANGE, 0, MAKELPARAM(range.upper, range.lower));
    }
}

void CSensorDlg::HandleParameterLine(const char* line)
{
    // A short line carries too few values to be applied: only the received-data
    // text, set by the polling, shows it.
    const std::optional<ParameterLine> p = ParseParameterLine(line);
    if (!p) return;

    m_capRed = p->cap[0];
    m_capGreen = p->cap[1];
    m_capBlue = p->cap[2];
    m_capClear = p->cap[3];
    m_intRed = p->integration[0];
    m_intGreen = p->integration[1];
    m_intBlue = p->integration[2];
    m_intClear = p->integration[3];
    m_offsetRed = p->offset[0];
    m_offsetGreen = p->offset[1];
    m_offsetBlue = p->offset[2];
    m_offsetClear = p->offset[3];
    UpdateData(FALSE);
}

void CSensorDlg::SetLedLevel(int level)
{
    char text[16];
    std::snprintf(text, sizeof text, "%d", level);
    SetDlgItemText(IDC_LED_LEVEL, text);
    SendCommand("$ACL%02X", static_cast<unsigned>(level));  // 0 to 255 from the slider
}

BOOL CSensorDlg::WriteParameters()
{
    UpdateData(TRUE);  // after a validation message, the members as they now stand
    SendCommand("$ACW%02X,%02X,%02X,%02X,%04X,%04X,%04X,%04X", m_capRed, m_capGreen, m_capBlue, m_capClear,
                m_intRed, m_intGreen, m_intBlue, m_intClear);
    return TRUE;
}

BOOL CSensorDlg::RequestParameters()
{
    SendCommand("$ACR");  // the "$ADR" answer comes in through the polling
    return TRUE;
}

void CSensorDlg::OnSetParameters() { WriteParameters(); }

void CSensorDlg::OnReadParameters() { RequestParameters(); }

void CSensorDlg::OnSensorReset()
{
    m_capRed = m_capGreen = m_capBlue = m_capClear = 15;
    m_intRed = m_intGreen = m_intBlue = m_intClear = 1023;
    m_offsetRed = m_offsetGreen = m_offsetBlue = m_offsetClear = 0;
    m_offsetMode = 0;
    UpdateData(FALSE);

    SendCommand("$ACH");
    WriteParameters();
    SendCommand("$ACO00");
}

void CSensorDlg::OnOffsetMode()
{
    // Toggled first, so that the command follows the click even when the
    // exchange stops at a malformed edit box before it reaches the check box.
    m_offsetMode = m_offsetMode == 0 ? 1 : 0;
    UpdateData(TRUE);
    SendCommand(m_offsetMode != 0 ? "$ACO01" : "$ACO00");
}

void CSensorDlg::OnLedReleased(NMHDR* /*pNMHDR*/, LRESULT* pResult)
{
    UpdateData(TRUE);
    SetLedLevel(static_cast<int>(m_ledSlider.SendMessage(TBM_GETPOS)));
    *pResult = 0;
}

// The slider is the window's only horizontally scrolling control: every scroll
// code sends the level, whatever it is.
void CSensorDlg::OnHScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar)
{
    UpdateData(TRUE);
    SetLedLevel(static_cast<int>(m_ledSlider.SendMessage(TBM_GETPOS)));
    CDialog::OnHScroll(nSBCode, nPos, pScrollBar);
}

}  // namespace velk
