// The main window: construction, data exchange, initialisation and the
// message map. The handlers live in the folders of their subsystems.
#include "ui/sensor_dlg.h"

#include <cstdio>

#include "platform/profile.h"

namespace velk {

namespace {

// clang-format off
const MessageMapEntry<CSensorDlg> kMessageMap[] = {
    // message          notification         from                  handler
    {WM_SYSCOMMAND,     0,                   kFromWindow,          &CSensorDlg::OnSysCommand},
    {WM_PAINT,          0,                   kFromWindow,          &CSensorDlg::OnPaint},
    {WM_QUERYDRAGICON,  0,                   kFromWindow,          &CSensorDlg::OnQueryDragIcon},
    {WM_COMMAND,        BN_CLICKED,          IDC_CONNECT,          &CSensorDlg::OnConnect},
    {WM_COMMAND,        BN_CLICKED,          IDC_DISCONNECT,       &CSensorDlg::OnDisconnect},
    {WM_TIMER,          0,                   kFromWindow,          &CSensorDlg::OnTimer},
    {WM_DESTROY,        0,                   kFromWindow,          &CSensorDlg::OnDestroy},
    {WM_NOTIFY,         NM_RELEASEDCAPTURE,  IDC_LED_SLIDER,       &CSensorDlg::OnLedReleased},
    {WM_HSCROLL,        0,                   kAnyControl,          &CSensorDlg::OnHScroll},
    {WM_COMMAND,        BN_CLICKED,          IDC_READ_PARAMETERS,  &CSensorDlg::OnReadParameters},
    {WM_COMMAND,        BN_CLICKED,          IDC_SET_PARAMETERS,   &CSensorDlg::OnSetParameters},
    {WM_COMMAND,        BN_CLICKED,          IDC_WHITE_BALANCE,    &CSensorDlg::OnWhiteBalance},
    {WM_COMMAND,        BN_CLICKED,          IDC_SENSOR_RESET,     &CSensorDlg::OnSensorReset},
    {WM_COMMAND,        BN_CLICKED,          IDC_OFFSET_MODE,      &CSensorDlg::OnOffsetMode},
    // for Linux: the port selector's tooltip follows the operator's choice
    {WM_COMMAND,        CBN_SELCHANGE,       IDC_PORT_SELECTOR,    &CSensorDlg::OnPortSelChange},
};
// clang-format on

}  // namespace

CSensorDlg::CSensorDlg(CWnd* pParent)
    : CDialog(IDD_SENSOR_DIALOG, pParent),
      m_hue(0.0),
      m_saturation(0.0),
      m_value(0.0),
      m_hPort(INVALID_HANDLE_VALUE),
      m_capRed(15),
      m_capGreen(15),
      m_capBlue(15),
      m_capClear(15),
      m_intRed(1023),
      m_intGreen(1023),
      m_intClear(1023),
      m_intBlue(1023),
      m_offsetRed(0),
      m_offsetGreen(0),
      m_offsetClear(0),
      m_offsetBlue(0),
      m_offsetMode(0),
      m_chartWidth(0),
      m_chartHeight(0),
      m_chartLeft(0),
      m_chartTop(0),
      m_hIcon(LoadIcon(IDR_MAINFRAME))
{
}

// The window closes the port on its way out (OnDestroy); an object that never
// ran a window may still hold one when a caller opened it directly.
CSensorDlg::~CSensorDlg() { ClosePort(); }

bool CSensorDlg::OnWindowMessage(Message& msg) { return DispatchThroughMap(*this, kMessageMap, msg); }

void CSensorDlg::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_LED_SLIDER, m_ledSlider);
    DDX_Control(pDX, IDC_BAR_CLEAR, m_barClear);
    DDX_Control(pDX, IDC_BAR_RED, m_barRed);
    DDX_Control(pDX, IDC_BAR_BLUE, m_barBlue);
    DDX_Control(pDX, IDC_BAR_GREEN, m_barGreen);
    DDX_Control(pDX, IDC_PORT_SELECTOR, m_portSelector);
    DDX_Text(pDX, IDC_CAP_RED, m_capRed);
    DDX_Text(pDX, IDC_CAP_GREEN, m_capGreen);
    DDX_Text(pDX, IDC_CAP_BLUE, m_capBlue);
    DDX_Text(pDX, IDC_CAP_CLEAR, m_capClear);
    DDX_Text(pDX, IDC_INT_RED, m_intRed);
    DDX_Text(pDX, IDC_INT_GREEN, m_intGreen);
    DDX_Text(pDX, IDC_INT_CLEAR, m_intClear);
    DDX_Text(pDX, IDC_INT_BLUE, m_intBlue);
    DDX_Text(pDX, IDC_OFFSET_RED, m_offsetRed);
    DDX_Text(pDX, IDC_OFFSET_GREEN, m_offsetGreen);
    DDX_Text(pDX, IDC_OFFSET_CLEAR, m_offsetClear);
    DDX_Text(pDX, IDC_OFFSET_BLUE, m_offsetBlue);
    DDX_Check(pDX, IDC_OFFSET_MODE, m_offsetMode);
}

BOOL CSensorDlg::OnInitDialog()
{
    CDialog::OnInitDialog();

    // The About entry. X11 and Wayland give a program no way into the window
    // manager's own menu, so it goes into the window menu that the window
    // offers itself (Alt+Space, a right click on the background). That menu
    // holds only Close before it, so no separator is needed.
    if (CMenu* pSysMenu = GetSystemMenu(FALSE)) {
        const std::string about = LoadString(IDS_ABOUTBOX);
        if (!about.empty()) pSysMenu->AppendMenu(MF_STRING, IDM_ABOUTBOX, about.c_str());
    }

    SetIcon(m_hIcon, TRUE);
    SetIcon(m_hIcon, FALSE);

    InitSpinRanges();

    m_portSelector.SendMessage(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("(自動認識)"));
    for (int i = kFirstPort; i <= kLastPort; ++i) {
        char text[16];
        std::snprintf(text, sizeof text, "COM%d", i);
        m_portSelector.SendMessage(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
    }

    const Profile profile(ProfilePath(AfxGetAppName()));
    const std::string port = profile.GetString("Device", "Port", "COM1");
    const LRESULT found = m_portSelector.SendMessage(CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                                     reinterpret_cast<LPARAM>(port.c_str()));
    m_portSelector.SendMessage(CB_SETCURSEL, static_cast<WPARAM>(found));
    m_portMap = PortMap(profile);
    OnPortSelChange();

    // Chart geometry: the picture's size, and where the placeholder puts it.
    {
        const QImage chart = LoadBitmap(IDB_CHART);
        m_chartWidth = chart.width();
        m_chartHeight = chart.height();
    }
    CRect rect;
    GetDlgItem(IDC_CHART)->GetWindowRect(&rect);
    ScreenToClient(&rect);
    m_chartLeft = rect.left;
    m_chartTop = rect.top;

    m_barRed.SendMessage(PBM_SETRANGE, 0, MAKELPARAM(0, 1023));
    m_barGreen.SendMessage(PBM_SETRANGE, 0, MAKELPARAM(0, 1023));
    m_barBlue.SendMessage(PBM_SETRANGE, 0, MAKELPARAM(0, 1023));
    m_barClear.SendMessage(PBM_SETRANGE, 0, MAKELPARAM(0, 1023));

    m_ledSlider.SendMessage(TBM_SETRANGE, FALSE, MAKELPARAM(0, 255));

    return TRUE;
}

}  // namespace velk
