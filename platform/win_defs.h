// Names and numbers of the window system that the program's own code speaks:
// result types, command and notification codes, control messages and window
// styles. Only what the program uses; the values are the classic ones, so a
// number quoted from the window system's documentation means the same here.
// No Qt in this header: window templates (res/) are plain data built on it.
#pragma once

#include <cstdint>

namespace velk {

using BOOL = int;
inline constexpr BOOL TRUE = 1;
inline constexpr BOOL FALSE = 0;
using UINT = unsigned int;
using UINT_PTR = std::uintptr_t;
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;

// 16-bit packing of two values into one message parameter: low word first.
constexpr LPARAM MAKELPARAM(int low, int high)
{
    return static_cast<LPARAM>(static_cast<std::uint32_t>(static_cast<std::uint16_t>(low)) |
                               (static_cast<std::uint32_t>(static_cast<std::uint16_t>(high)) << 16));
}
constexpr int LOWORD_SIGNED(LPARAM v) { return static_cast<std::int16_t>(static_cast<std::uint16_t>(v & 0xFFFF)); }
constexpr int HIWORD_SIGNED(LPARAM v)
{
    return static_cast<std::int16_t>(static_cast<std::uint16_t>((v >> 16) & 0xFFFF));
}

// ---- command ids of the dialog framework
inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;
inline constexpr int ID_HELP = 0xE146;  // the Help command (F1)

// Help contexts: a dialog's is this base plus its template number.
inline constexpr std::uint32_t HID_BASE_RESOURCE = 0x20000;

// ---- message boxes
inline constexpr UINT MB_OK = 0x00;
inline constexpr UINT MB_ICONERROR = 0x10;
inline constexpr UINT MB_ICONQUESTION = 0x20;
inline constexpr UINT MB_ICONWARNING = 0x30;
inline constexpr UINT MB_ICONEXCLAMATION = MB_ICONWARNING;
inline constexpr UINT MB_ICONINFORMATION = 0x40;
inline constexpr UINT MB_ICONMASK = 0xF0;

// ---- window messages, as far as the message map routes them
inline constexpr UINT WM_DESTROY = 0x0002;
inline constexpr UINT WM_PAINT = 0x000F;
inline constexpr UINT WM_QUERYDRAGICON = 0x0037;
inline constexpr UINT WM_NOTIFY = 0x004E;
inline constexpr UINT WM_COMMAND = 0x0111;
inline constexpr UINT WM_SYSCOMMAND = 0x0112;
inline constexpr UINT WM_TIMER = 0x0113;
inline constexpr UINT WM_HSCROLL = 0x0114;

// ---- notification codes
inline constexpr UINT BN_CLICKED = 0;
inline constexpr UINT CBN_SELCHANGE = 1;
inline constexpr UINT NM_RELEASEDCAPTURE = static_cast<UINT>(-16);

// ---- system commands (the low four bits belong to the window system)
inline constexpr UINT SC_CLOSE = 0xF060;

// ---- menu items (AppendMenu)
inline constexpr UINT MF_STRING = 0x0000;

// ---- scroll codes of WM_HSCROLL as a trackbar sends them
inline constexpr UINT TB_LINEUP = 0;
inline constexpr UINT TB_LINEDOWN = 1;
inline constexpr UINT TB_PAGEUP = 2;
inline constexpr UINT TB_PAGEDOWN = 3;
inline constexpr UINT TB_THUMBPOSITION = 4;
inline constexpr UINT TB_THUMBTRACK = 5;
inline constexpr UINT TB_TOP = 6;
inline constexpr UINT TB_BOTTOM = 7;
inline constexpr UINT TB_ENDTRACK = 8;

// ---- control messages (SendMessage on a control)
inline constexpr UINT CB_ADDSTRING = 0x0143;
inline constexpr UINT CB_GETCOUNT = 0x0146;
inline constexpr UINT CB_GETCURSEL = 0x0147;
inline constexpr UINT CB_SETCURSEL = 0x014E;
inline constexpr UINT CB_FINDSTRINGEXACT = 0x0158;
inline constexpr LRESULT CB_ERR = -1;

inline constexpr UINT TBM_GETPOS = 0x0400;
inline constexpr UINT TBM_SETRANGE = 0x0406;  // wParam: redraw; lParam: MAKELPARAM(min, max)

inline constexpr UINT PBM_SETRANGE = 0x0401;  // lParam: MAKELPARAM(min, max); returns the old range
inline constexpr UINT PBM_SETPOS = 0x0402;    // wParam: position; returns the old position

inline constexpr UINT UDM_SETRANGE = 0x0465;  // lParam: MAKELPARAM(upper, lower)

// ---- window styles of the templates
inline constexpr std::uint32_t WS_POPUP = 0x80000000u;
inline constexpr std::uint32_t WS_CHILD = 0x40000000u;
inline constexpr std::uint32_t WS_VISIBLE = 0x10000000u;
inline constexpr std::uint32_t WS_DISABLED = 0x08000000u;
inline constexpr std::uint32_t WS_CAPTION = 0x00C00000u;
inline constexpr std::uint32_t WS_BORDER = 0x00800000u;
inline constexpr std::uint32_t WS_VSCROLL = 0x00200000u;
inline constexpr std::uint32_t WS_SYSMENU = 0x00080000u;
inline constexpr std::uint32_t WS_GROUP = 0x00020000u;
inline constexpr std::uint32_t WS_TABSTOP = 0x00010000u;
inline constexpr std::uint32_t WS_EX_APPWINDOW = 0x00040000u;

inline constexpr std::uint32_t DS_SETFONT = 0x40u;
inline constexpr std::uint32_t DS_MODALFRAME = 0x80u;

inline constexpr std::uint32_t SS_LEFT = 0x0u;
inline constexpr std::uint32_t SS_CENTER = 0x1u;
inline constexpr std::uint32_t SS_ICON = 0x3u;
inline constexpr std::uint32_t SS_BITMAP = 0xEu;
inline constexpr std::uint32_t SS_TYPEMASK = 0x1Fu;
inline constexpr std::uint32_t SS_NOPREFIX = 0x80u;
inline constexpr std::uint32_t SS_CENTERIMAGE = 0x200u;

inline constexpr std::uint32_t ES_AUTOHSCROLL = 0x80u;

inline constexpr std::uint32_t BS_PUSHBUTTON = 0x0u;
inline constexpr std::uint32_t BS_DEFPUSHBUTTON = 0x1u;
inline constexpr std::uint32_t BS_AUTOCHECKBOX = 0x3u;
inline constexpr std::uint32_t BS_GROUPBOX = 0x7u;
inline constexpr std::uint32_t BS_TYPEMASK = 0xFu;
inline constexpr std::uint32_t BS_PUSHLIKE = 0x1000u;

inline constexpr std::uint32_t CBS_DROPDOWNLIST = 0x3u;

inline constexpr std::uint32_t UDS_SETBUDDYINT = 0x2u;
inline constexpr std::uint32_t UDS_ALIGNRIGHT = 0x4u;
inline constexpr std::uint32_t UDS_AUTOBUDDY = 0x10u;
inline constexpr std::uint32_t UDS_ARROWKEYS = 0x20u;
inline constexpr std::uint32_t UDS_NOTHOUSANDS = 0x80u;

inline constexpr std::uint32_t TBS_BOTH = 0x8u;

inline constexpr std::uint32_t PBS_SMOOTH = 0x1u;
inline constexpr std::uint32_t PBS_VERTICAL = 0x4u;

}  // namespace velk
