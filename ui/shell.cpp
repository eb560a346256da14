// What surrounds the window: the system menu's commands, the drag icon, and
// the window's last steps while it is destroyed.
#include "platform/profile.h"
#include "ui/about_dlg.h"
#include "ui/sensor_dlg.h"

namespace velk {

void CSensorDlg::OnSysCommand(UINT nID, LPARAM lParam)
{
    // The window system keeps the four low bits of a system command for itself.
    if ((nID & 0xFFF0) == IDM_ABOUTBOX) {
        CAboutDlg dlgAbout;
        dlgAbout.DoModal();
    } else {
        CDialog::OnSysCommand(nID, lParam);  // Close comes back as the cancel command
    }
}

HCURSOR CSensorDlg::OnQueryDragIcon() { return m_hIcon; }

void CSensorDlg::OnDestroy()
{
    UpdateData(TRUE);  // a failing field shows its message while the window closes

    // The port choice is kept before the link is closed; a profile that cannot
    // be written is left as it was, without a word.
    const std::string port = m_portSelector.GetWindowText();
    WriteString(ProfilePath(AfxGetAppName()), "Device", "Port", port);

    OnDisconnect();
    CDialog::OnDestroy();
}

}  // namespace velk
