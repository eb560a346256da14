// The main window's serial channel: each operation works on m_hPort through
// the device link, which knows nothing of windows.
#include <cstdarg>

#include "device/framing.h"
#include "ui/sensor_dlg.h"

namespace velk {

int CSensorDlg::OpenPort(int port)
{
    m_openError = {};
    m_hPort = velk::OpenPort(port, m_portMap, &m_openError);
    return m_hPort == INVALID_HANDLE_VALUE ? 0 : 1;
}

void CSensorDlg::ConfigurePort() { velk::ConfigurePort(m_hPort); }

int CSensorDlg::ReadBytes(void* buffer, int count) { return velk::ReadBytes(m_hPort, buffer, count); }

int CSensorDlg::WriteBytes(const void* buffer, int count) { return velk::WriteBytes(m_hPort, buffer, count); }

char* CSensorDlg::ReadLine(char* buffer, int size) { return velk::ReadLine(m_hPort, buffer, size); }

void CSensorDlg::ClosePort() { velk::ClosePort(m_hPort); }

void CSensorDlg::SendCommand(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    SendCommandV(m_hPort, format, args);  // nothing waits for an answer, so nothing looks at the result
    va_end(args);
}

}  // namespace velk
