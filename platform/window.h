// The small dialog framework that the program is written against, on Qt
// Widgets: windows and controls addressed by id, modal dialogs built from
// window templates, the data exchange between controls and members, window
// timers, message boxes and a message map that routes the window's messages
// to member functions. It offers what the program uses and nothing more.
#pragma once

#include <QIcon>
#include <QImage>
#include <QPainter>

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <type_traits>
#include <variant>
#include <vector>

#include "platform/dialog_template.h"
#include "platform/win_defs.h"

class QEventLoop;
class QMenu;
class QWidget;

namespace velk {

using HICON = QIcon;    // an icon from the program's resources (shared, never destroyed)
using HCURSOR = QIcon;  // what the drag-icon query answers

class CDialog;
class DialogWindow;

struct CRect {
    int left = 0;
    int top = 0;
    int right = 0;   // excluded
    int bottom = 0;  // excluded
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
};

// A window: the dialog itself or one of its controls. A control object starts
// unattached (m_hWnd null) and is attached to its control by DDX_Control.
class CWnd {
public:
    CWnd() = default;
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;
    virtual ~CWnd() = default;

    QWidget* m_hWnd = nullptr;

    void Attach(QWidget* window) { m_hWnd = window; }
    QWidget* Detach();

    int GetDlgCtrlID() const;

    // TRUE when the window was disabled before the call, as the platform answers.
    BOOL EnableWindow(BOOL enable = TRUE);
    BOOL IsWindowEnabled() const;
    BOOL IsWindowVisible() const;

    // The window text in UTF-8: a control's caption, an edit box's contents,
    // a drop-down list's selected entry ("" when none is selected).
    void SetWindowText(const char* text);
    std::string GetWindowText() const;
    // Copies at most maxCount - 1 bytes and a NUL (never a partial character);
    // returns the length copied.
    int GetWindowText(char* buffer, int maxCount) const;

    // Control messages (CB_*, TBM_*, PBM_*, UDM_*) to this control. Messages the
    // control does not take give 0.
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);

    void GetWindowRect(CRect* rect) const;  // screen coordinates
    void ScreenToClient(CRect* rect) const;
    void GetClientRect(CRect* rect) const;

    // Repaints the rectangle (client coordinates; null: all of it) at the next
    // paint. Qt paints double-buffered and every paint of the chart covers its
    // rectangle, so whether the background is erased first makes no difference.
    void InvalidateRect(const CRect* rect, BOOL erase = TRUE);

    void SetFocus();

    // Beyond the classic set: a tooltip (the port selector names its device).
    void SetToolTip(const std::string& text);
};

class CComboBox : public CWnd {};
class CSliderCtrl : public CWnd {};
class CProgressCtrl : public CWnd {};
class CScrollBar : public CWnd {};

// Header of a WM_NOTIFY notification.
struct NMHDR {
    QWidget* hwndFrom = nullptr;
    UINT_PTR idFrom = 0;
    UINT code = 0;
};

// Painting inside WM_PAINT (only there): the painter on the window's client area.
class CPaintDC {
public:
    explicit CPaintDC(CWnd* window);
    CPaintDC(const CPaintDC&) = delete;
    CPaintDC& operator=(const CPaintDC&) = delete;
    QPainter& Painter() { return painter_; }

private:
    QPainter painter_;
};

// ---- data exchange

class CDataExchange {
public:
    CDataExchange(CDialog* dialog, BOOL saveAndValidate) : m_pDlgWnd(dialog), m_bSaveAndValidate(saveAndValidate) {}

    CDialog* const m_pDlgWnd;
    const BOOL m_bSaveAndValidate;  // TRUE: from the controls into the members

    // Once a field has failed, every later exchange of this pass does nothing.
    bool Failed() const { return failed_; }
    // The validation failure of edit box `id`: focus to it with its whole text
    // selected, and the exchange stops.
    void Fail(int id);

private:
    bool failed_ = false;
};

void DDX_Control(CDataExchange* pDX, int id, CWnd& control);
// "%u" both ways; from the control a text that is not a number in range shows
// "正の整数を入力してください。".
void DDX_Text(CDataExchange* pDX, int id, std::uint32_t& value);
// "%d" both ways; failure message "整数を入力してください。".
void DDX_Text(CDataExchange* pDX, int id, std::int32_t& value);
// Unchecked 0, checked 1.
void DDX_Check(CDataExchange* pDX, int id, int& value);

// ---- message map

// One message on its way to a handler.
struct Message {
    UINT message = 0;
    UINT code = 0;    // BN_CLICKED, NM_RELEASEDCAPTURE, the scroll code, ...
    int id = 0;       // control id (commands, notifications), timer id, system command
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    CScrollBar* scrollBar = nullptr;  // WM_HSCROLL: the scrolling control
    NMHDR* header = nullptr;  // WM_NOTIFY
    LRESULT result = 0;
    HICON icon;               // WM_QUERYDRAGICON's answer
};

// WM_COMMAND: a command, or a control's notification `code` (BN_CLICKED, ...).
inline Message CommandMessage(int id, UINT code = BN_CLICKED)
{
    Message msg;
    msg.message = WM_COMMAND;
    msg.code = code;
    msg.id = id;
    msg.wParam = static_cast<WPARAM>(id);
    return msg;
}

// WM_SYSCOMMAND with the command id in wParam, as the window menu sends it.
inline Message SysCommandMessage(UINT id)
{
    Message msg;
    msg.message = WM_SYSCOMMAND;
    msg.id = static_cast<int>(id);
    msg.wParam = id;
    return msg;
}

inline constexpr int kFromWindow = 0;  // the entry is for the window itself
inline constexpr int kAnyControl = -2;

template <class T>
struct MessageMapEntry {
    using Plain = void (T::*)();
    using SysCommand = void (T::*)(UINT, LPARAM);
    using IconQuery = HCURSOR (T::*)();
    using Timer = void (T::*)(UINT_PTR);
    using Notify = void (T::*)(NMHDR*, LRESULT*);
    using Scroll = void (T::*)(UINT, UINT, CScrollBar*);

    UINT message;
    UINT code;  // for WM_COMMAND and WM_NOTIFY
    int from;   // control id, kFromWindow or kAnyControl
    std::variant<Plain, SysCommand, IconQuery, Timer, Notify, Scroll> handler;
};

// Calls the first entry that takes the message; false when none does.
template <class T, std::size_t N>
bool DispatchThroughMap(T& target, const MessageMapEntry<T> (&map)[N], Message& msg)
{
    for (const auto& e : map) {
        if (e.message != msg.message) continue;
        if ((msg.message == WM_COMMAND || msg.message == WM_NOTIFY) && (e.code != msg.code || e.from != msg.id))
            continue;
        using E = MessageMapEntry<T>;
        std::visit(
            [&](auto handler) {
                using H = decltype(handler);
                if constexpr (std::is_same_v<H, typename E::Plain>) (target.*handler)();
                else if constexpr (std::is_same_v<H, typename E::SysCommand>)
                    (target.*handler)(static_cast<UINT>(msg.wParam), msg.lParam);
                else if constexpr (std::is_same_v<H, typename E::IconQuery>) msg.icon = (target.*handler)();
                else if constexpr (std::is_same_v<H, typename E::Timer>) (target.*handler)(msg.wParam);
                else if constexpr (std::is_same_v<H, typename E::Notify>) (target.*handler)(msg.header, &msg.result);
                else (target.*handler)(msg.code, static_cast<UINT>(msg.wParam), msg.scrollBar);
            },
            e.handler);
        return true;
    }
    return false;
}

// ---- the window menu

// A window's menu of system commands. X11 and Wayland give a program no way
// into the window manager's own window menu, so a dialog whose template has
// WS_SYSMENU carries a small menu of its own, opened by Alt+Space and by a
// right click on the window's background. It starts with Close (SC_CLOSE);
// each entry chosen reaches the dialog as WM_SYSCOMMAND with its id.
class CMenu {
public:
    explicit CMenu(QMenu* menu) : m_hMenu(menu) {}
    CMenu(const CMenu&) = delete;
    CMenu& operator=(const CMenu&) = delete;

    // MF_STRING only: an entry with the text (an & marks its mnemonic).
    BOOL AppendMenu(UINT flags, UINT_PTR id, const char* text);

    QMenu* const m_hMenu;
};

// ---- modal dialogs

class CDialog : public CWnd {
public:
    explicit CDialog(int templateId, CWnd* parent = nullptr);
    ~CDialog() override;

    // Builds the window from the template (hidden), runs OnInitDialog, centres
    // the window (on the screen, or over its owner) and shows it, then handles
    // messages until EndDialog; destroys the window (WM_DESTROY first) and
    // returns EndDialog's result, -1 when the template is missing.
    virtual int DoModal();
    void EndDialog(int result);

    // The parts of DoModal without the modal loop, for a window that is driven
    // from outside (tests): build, initialise, centre and show; and destroy.
    BOOL Create();
    void DestroyWindow();
    bool Ended() const { return ended_; }
    int Result() const { return result_; }

    virtual BOOL OnInitDialog();  // the first exchange towards the controls
    virtual void OnOK();          // UpdateData(TRUE), ends with IDOK only if it passed
    virtual void OnCancel();      // ends with IDCANCEL, no exchange

    BOOL UpdateData(BOOL saveAndValidate = TRUE);

    // null when the window has no control of that id
    CWnd* GetDlgItem(int id) const;
    void SetDlgItemText(int id, const char* text);
    std::string GetDlgItemText(int id) const;
    int GetDlgItemText(int id, char* buffer, int maxCount) const;

    // Window timers. A tick that comes due while a handler runs is delivered
    // once afterwards, never queued up; ticks go on inside nested loops (message
    // boxes, other modal dialogs).
    UINT_PTR SetTimer(UINT_PTR id, UINT elapseMs);
    BOOL KillTimer(UINT_PTR id);

    // A modal message box owned by this window; caption null: the application's
    // name. `detail` (may be empty) is an expandable detail text.
    int MessageBox(const char* text, const char* caption = nullptr, UINT type = MB_OK,
                   const std::string& detail = {});

    void SetIcon(const HICON& icon, BOOL bigIcon);
    BOOL IsIconic() const;

    // The window menu; null when the template has no WS_SYSMENU or the window
    // is not built. The menu goes with the window.
    CMenu* GetSystemMenu(BOOL revert);

    int TemplateId() const { return templateId_; }
    CWnd* Parent() const { return parent_; }

    // A message to the window, through the message map (and the defaults).
    LRESULT SendWindowMessage(Message& msg);

protected:
    virtual void DoDataExchange(CDataExchange* pDX);

    // The derived class routes through its message map; false: not handled.
    virtual bool OnWindowMessage(Message& msg);

    // Default handling, for handlers that finish with it.
    void OnSysCommand(UINT id, LPARAM lParam);
    void OnTimer(UINT_PTR id);
    void OnDestroy();
    void OnHScroll(UINT code, UINT pos, CScrollBar* scrollBar);

private:
    friend class DialogWindow;
    friend void DDX_Control(CDataExchange* pDX, int id, CWnd& control);
    void DefaultMessage(Message& msg);
    void TimerFired(int qtTimerId);
    BOOL Build(bool modal);

    int templateId_;
    CWnd* parent_;
    std::unique_ptr<DialogWindow> window_;
    std::unique_ptr<CMenu> systemMenu_;
    // One per addressable control, for GetDlgItem. The id is kept beside the
    // window: a reading line looks up eight controls, and asking each widget
    // for its id costs a property lookup.
    struct Item {
        int id;
        std::unique_ptr<CWnd> wnd;
    };
    std::vector<Item> items_;
    std::vector<CWnd*> attached_;              // control objects that DDX_Control attached
    std::map<UINT_PTR, int> timers_;          // timer id -> Qt timer id
    QEventLoop* loop_ = nullptr;              // the modal loop while DoModal runs
    bool ended_ = false;
    int result_ = -1;
};

// ---- message boxes: one seam

struct MessageBoxRequest {
    QWidget* owner = nullptr;
    std::string text;
    std::string caption;
    std::string detail;
    UINT type = MB_OK;
};
// Replaces what shows message boxes (tests answer them); returns the previous
// seam. A seam without handler restores the real box.
using MessageBoxHandler = int (*)(const MessageBoxRequest&, void* context);
struct MessageBoxSeam {
    MessageBoxHandler handler = nullptr;
    void* context = nullptr;
};
MessageBoxSeam SetMessageBoxSeam(MessageBoxSeam seam);
int ShowMessageBox(const MessageBoxRequest& request);

// The framework's own message box: captioned with the application's name.
int AfxMessageBox(const char* text, UINT type = MB_OK);

// ---- the application

class CWinApp {
public:
    CWinApp();
    virtual ~CWinApp();
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    virtual BOOL InitInstance();

    // Commands that no window takes come here (the application's message
    // map); false when the application does not take it either.
    virtual bool OnCmdMsg(Message& msg);

    // The framework's help handler: asks for the help file at the context of
    // the dialog that holds the focus, and says so when help cannot start.
    void OnHelp();

    // The executable's file title; the caption of the framework's message boxes
    // and the name of the profile file.
    std::string m_pszAppName;
    // The executable's path with the extension ".HLP".
    std::string m_pszHelpFilePath;
    CWnd* m_pMainWnd = nullptr;
};

CWinApp* AfxGetApp();
// The application's name: the application object's, else the running
// executable's file title.
std::string AfxGetAppName();

// Start-up: the Qt application, the names derived from argv[0], InitInstance
// of the one application object. SIGTERM, SIGINT and SIGHUP close the main
// window as its close box does (once; a second one ends the process at once).
// The exit status is 0.
int AfxWinMain(int argc, char** argv);

// ---- resources by number

HICON LoadIcon(int id);
// The picture, made once; each call returns a shared copy (copied on write).
QImage LoadBitmap(int id);
// "" when the string table has no such string.
std::string LoadString(int id);

}  // namespace velk
