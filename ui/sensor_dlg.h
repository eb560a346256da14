// The program's one working window. It holds all of the program's state; its
// member functions live in the folders of their subsystems:
//   sensor/link.cpp        serial channel and SendCommand (on velk_device)
//   sensor/connection.cpp  OnConnect, OpenDevice, CloseDevice, OnDisconnect, OnTimer
//   sensor/parameters.cpp  the parameter set's commands and the LED slider
//   sensor/white_balance.cpp  OnWhiteBalance
//   colour/reading.cpp     HandleDataLine, RgbToHsv
//   ui/chart_paint.cpp     OnPaint
//   ui/shell.cpp           OnSysCommand, OnQueryDragIcon, OnDestroy
//   ui/sensor_dlg.cpp      constructor, DoDataExchange, OnInitDialog, message map
#pragma once

#include <cstdint>
#include <string>

#include "device/port_map.h"
#include "device/serial_port.h"
#include "platform/window.h"
#include "res/resource.h"

namespace velk {

class CSensorDlg : public CDialog {
public:
    explicit CSensorDlg(CWnd* pParent = nullptr);
    ~CSensorDlg() override;

    // ---- serial channel: the device link on m_hPort
    int OpenPort(int port);  // 1 on success, 0 on failure (details in m_openError)
    void ConfigurePort();
    int ReadBytes(void* buffer, int count);
    int WriteBytes(const void* buffer, int count);
    char* ReadLine(char* buffer, int size);
    void ClosePort();
    void SendCommand(const char* format, ...) __attribute__((format(printf, 2, 3)));

    // ---- connection lifecycle
    BOOL OpenDevice(int port);
    BOOL CloseDevice();

    // ---- reading pipeline
    void HandleDataLine(const char* line);
    // Pure: reads and writes no member.
    static void RgbToHsv(int red, int green, int blue, double* hue, double* saturation, double* value);

    // ---- sensor parameters and device commands
    void HandleParameterLine(const char* line);
    void SetLedLevel(int level);
    BOOL WriteParameters();
    BOOL RequestParameters();
    void InitSpinRanges();

    // ---- message handlers, reached through the message map (ui/sensor_dlg.cpp)
    void OnSysCommand(UINT nID, LPARAM lParam);
    void OnPaint();
    HCURSOR OnQueryDragIcon();
    void OnConnect();
    void OnDisconnect();
    void OnTimer(UINT_PTR nIDEvent);
    void OnDestroy();
    void OnLedReleased(NMHDR* pNMHDR, LRESULT* pResult);
    void OnHScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar);
    void OnReadParameters();
    void OnSetParameters();
    void OnWhiteBalance();
    void OnSensorReset();
    void OnOffsetMode();
    void OnPortSelChange();  // keeps the port selector's tooltip on the mapped device

    BOOL OnInitDialog() override;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    bool OnWindowMessage(Message& msg) override;

public:
    // ---- members, in this order
    double m_hue;         // degrees; 0 until the first reading
    double m_saturation;  // 0 to 1
    double m_value;       // 0 to 1; the marker sits at hue 0, value 0 until the first reading
    PortHandle m_hPort;
    CSliderCtrl m_ledSlider;
    CProgressCtrl m_barClear;
    CProgressCtrl m_barRed;
    CProgressCtrl m_barBlue;
    CProgressCtrl m_barGreen;
    CComboBox m_portSelector;
    std::uint32_t m_capRed;
    std::uint32_t m_capGreen;
    std::uint32_t m_capBlue;
    std::uint32_t m_capClear;
    std::uint32_t m_intRed;
    std::uint32_t m_intGreen;
    std::uint32_t m_intClear;
    std::uint32_t m_intBlue;
    std::int32_t m_offsetRed;
    std::int32_t m_offsetGreen;
    std::int32_t m_offsetClear;
    std::int32_t m_offsetBlue;
    int m_offsetMode;
    int m_chartWidth;
    int m_chartHeight;
    int m_chartLeft;
    int m_chartTop;
    HICON m_hIcon;

    // ---- for Linux: which device each port number names (the profile's
    // [Ports] over the fixed defaults), why the last OpenPort failed, and the
    // line that explains the last failed OpenDevice (device path and reason).
    PortMap m_portMap;
    OpenError m_openError;
    std::string m_failure;
};

}  // namespace velk
