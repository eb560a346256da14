// The sensor parameter set's commands and the LED slider.
#include "ui/sensor_dlg.h"

namespace velk {

void CSensorDlg::InitSpinRanges() {}

void CSensorDlg::HandleParameterLine(const char* /*line*/) {}

void CSensorDlg::SetLedLevel(int /*level*/) {}

BOOL CSensorDlg::WriteParameters() { return TRUE; }

BOOL CSensorDlg::RequestParameters() { return TRUE; }

void CSensorDlg::OnSetParameters() {}

void CSensorDlg::OnReadParameters() {}

void CSensorDlg::OnSensorReset() {}

void CSensorDlg::OnOffsetMode() {}

void CSensorDlg::OnLedReleased(NMHDR* /*pNMHDR*/, LRESULT* pResult) { *pResult = 0; }

void CSensorDlg::OnHScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar)
{
    CDialog::OnHScroll(nSBCode, nPos, pScrollBar);
}

}  // namespace velk
