#include "ui/about_dlg.h"

#include "res/resource.h"

namespace velk {

// No parent: the framework makes the main window its owner.
CAboutDlg::CAboutDlg() : CDialog(IDD_ABOUTBOX) {}

void CAboutDlg::DoDataExchange(CDataExchange* pDX) { CDialog::DoDataExchange(pDX); }

}  // namespace velk
