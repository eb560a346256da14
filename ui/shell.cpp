// What surrounds the window: the system menu's commands, the drag icon, and
// the window's last steps while it is destroyed.
#include "ui/sensor_dlg.h"

namespace velk {

void CSensorDlg::OnSysCommand(UINT nID, LPARAM lParam) { CDialog::OnSysCommand(nID, lParam); }

HCURSOR CSensorDlg::OnQueryDragIcon() { return m_hIcon; }

void CSensorDlg::OnDestroy()
{
    UpdateData(TRUE);  // a failing field shows its message while the window closes
    OnDisconnect();
    CDialog::OnDestroy();
}

}  // namespace velk
