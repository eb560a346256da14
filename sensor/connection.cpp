// The connection lifecycle: connect on the chosen port or find the board,
// poll one line per tick, close on request or on link loss.
#include <cstdio>
#include <string>

#include "device/framing.h"
#include "platform/profile.h"
#include "ui/sensor_dlg.h"

namespace velk {

namespace {

constexpr UINT_PTR kPollTimer = 1;
constexpr UINT kPollPeriodMs = 50;
constexpr int kAutoDetect = 0;

// The controls that are enabled exactly while connected, in the order they change.
constexpr int kConnectedControls[] = {IDC_DISCONNECT,    IDC_SET_PARAMETERS, IDC_READ_PARAMETERS,
                                      IDC_WHITE_BALANCE, IDC_SENSOR_RESET,   IDC_OFFSET_MODE};

// The enable set: Connect first, then the connected controls one after another.
void ShowLinkState(CDialog& dlg, BOOL connected)
{
    dlg.GetDlgItem(IDC_CONNECT)->EnableWindow(!connected);
    for (int id : kConnectedControls) dlg.GetDlgItem(id)->EnableWindow(connected);
}

std::string PortName(int port) { return "COM" + std::to_string(port); }

// A received line for a message: control bytes shown as escapes, long lines cut.
std::string Printable(const char* line)
{
    std::string out;
    for (const char* p = line; *p != '\0' && out.size() < 60; ++p) {
        const auto c = static_cast<unsigned char>(*p);
        if (c == '\r') out += "\\r";
        else if (c == '\n') out += "\\n";
        else if (c < 0x20 || c == 0x7F) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            out += hex;
        } else out += static_cast<char>(c);
    }
    return out;
}

// A port that exists but could not be used shows in automatic detection's
// report; an absent one, or a number that maps to nothing, does not.
bool PortExists(const OpenError& e)
{
    return e.category != OpenFailure::NoDevice && e.category != OpenFailure::Absent;
}

}  // namespace

void CSensorDlg::OnConnect()
{
    UpdateData(TRUE);

    // A [Ports] mapping edited since the window opened counts from this connect on.
    m_portMap = PortMap(Profile(ProfilePath(AfxGetAppName())));
    OnPortSelChange();

    const int index = static_cast<int>(m_portSelector.SendMessage(CB_GETCURSEL));
    if (index == kAutoDetect) {
        std::string report;
        int port = kFirstPort;
        for (; port <= kLastPort; ++port) {
            if (OpenDevice(port)) break;
            if (PortExists(m_openError)) report += m_failure + "\n";
        }
        if (port > kLastPort) {
            if (report.empty()) report = "No port from COM1 to COM255 has a device that could be opened.\n";
            MessageBox("VELKセンサボードが見つかりません", "自動認識", MB_ICONINFORMATION, report);
            return;
        }
    } else if (index >= kFirstPort && index <= kLastPort) {
        if (!OpenDevice(index)) {
            MessageBox("ﾃﾞﾊﾞｲｽがｵｰﾌﾟﾝできません", "ﾃﾞﾊﾞｲｽｴﾗｰ", MB_ICONWARNING, m_failure + "\n");
            return;
        }
    } else {
        return;  // no selection
    }

    ShowLinkState(*this, TRUE);
    SetLedLevel(static_cast<int>(m_ledSlider.SendMessage(TBM_GETPOS)));
}

BOOL CSensorDlg::OpenDevice(int port)
{
    m_failure.clear();
    if (!OpenPort(port)) {
        const OpenError& e = m_openError;
        m_failure = PortName(port) + (e.devicePath.empty() ? "" : " (" + e.devicePath + ")") + ": " + e.reason;
        return FALSE;
    }
    ConfigurePort();
    SendCommand("$ACV");

    char line[kLineBufferSize];
    const std::string where = PortName(port) + " (" + m_portMap.DevicePath(port).value_or("?") + ")";
    if (ReadLine(line, sizeof line) == nullptr) {
        m_failure = where + ": the link failed while waiting for the answer to \"$ACV\".";
        ClosePort();
        return FALSE;
    }
    if (!IsHandshakeReply(line)) {
        m_failure = where + (line[0] == '\0' ? ": no answer to \"$ACV\"."
                                             : ": answered \"" + Printable(line) + "\", not \"$VELK...\".");
        ClosePort();
        return FALSE;
    }
    ReadLine(line, sizeof line);  // the board's two further lines: not looked at
    ReadLine(line, sizeof line);

    SendCommand("$ACS%04X", 100);
    SetTimer(kPollTimer, kPollPeriodMs);
    return TRUE;
}

BOOL CSensorDlg::CloseDevice()
{
    if (m_hPort == INVALID_HANDLE_VALUE) return FALSE;
    SendCommand("$ACT");
    ClosePort();
    return TRUE;
}

void CSensorDlg::OnDisconnect()
{
    KillTimer(kPollTimer);
    if (CloseDevice()) ShowLinkState(*this, FALSE);
}

void CSensorDlg::OnTimer(UINT_PTR nIDEvent)
{
    char line[kLineBufferSize];
    if (ReadLine(line, sizeof line) != nullptr) {
        SetDlgItemText(IDC_RECEIVED, line);
        switch (Classify(line)) {
        case LineKind::Reading: HandleDataLine(line); break;
        case LineKind::Parameters: HandleParameterLine(line); break;
        case LineKind::Other: break;
        }
    } else {
        // Link loss: silent, and the last line shown stays.
        KillTimer(kPollTimer);
        if (CloseDevice()) ShowLinkState(*this, FALSE);
    }
    CDialog::OnTimer(nIDEvent);
}

void CSensorDlg::OnPortSelChange()
{
    const int index = static_cast<int>(m_portSelector.SendMessage(CB_GETCURSEL));
    std::string tip;
    if (index == kAutoDetect) tip = "COM1 to COM255 in turn, until the board answers";
    else if (index >= kFirstPort && index <= kLastPort)
        tip = PortName(index) + ": " + m_portMap.DevicePath(index).value_or("no device (map it in [Ports] of " +
                                                                          ProfilePath(AfxGetAppName()).string() + ")");
    m_portSelector.SetToolTip(tip);
}

}  // namespace velk
