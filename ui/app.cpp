#include "ui/app.h"

#include <QGuiApplication>

#include "res/version.h"
#include "ui/sensor_dlg.h"

namespace velk {

namespace {

// clang-format off
const MessageMapEntry<CSensorApp> kMessageMap[] = {
    // message     notification  from     handler
    {WM_COMMAND,   0,            ID_HELP, &CWinApp::OnHelp},
};
// clang-format on

}  // namespace

bool CSensorApp::OnCmdMsg(Message& msg) { return DispatchThroughMap(*this, kMessageMap, msg); }

BOOL CSensorApp::InitInstance()
{
    // The version record as the desktop sees it. No display name: Qt would
    // append it to every window's caption on X11.
    QCoreApplication::setApplicationVersion(QString::fromUtf8(kVersionRecord.fileVersion));
    QGuiApplication::setDesktopFileName(QString::fromUtf8(kVersionRecord.desktopFileName));

    // The three-dimensional control look needs no switch: Qt's controls have it.
    CSensorDlg dlg;
    m_pMainWnd = &dlg;
    dlg.DoModal();  // every ending is treated alike, a window that cannot be made too
    m_pMainWnd = nullptr;
    return FALSE;
}

}  // namespace velk
