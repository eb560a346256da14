#include "ui/app.h"

#include "ui/sensor_dlg.h"

namespace velk {

BOOL CSensorApp::InitInstance()
{
    // The three-dimensional control look needs no switch: Qt's controls have it.
    CSensorDlg dlg;
    m_pMainWnd = &dlg;
    dlg.DoModal();  // every ending is treated alike
    m_pMainWnd = nullptr;
    return FALSE;
}

}  // namespace velk
