// Window templates 102 and 100 and the string table. Positions and sizes are
// dialog units; the table order is the template order, which is also the
// z-order (first on top), the tab order and what makes an up-down's buddy.
#include "res/templates.h"

#include <array>

#include "res/resource.h"

namespace velk {

namespace {

using C = ControlClass;

constexpr std::uint32_t kChild = WS_CHILD | WS_VISIBLE;
constexpr std::uint32_t kTextLeft = kChild | WS_GROUP | SS_CENTERIMAGE | SS_LEFT;
constexpr std::uint32_t kTextCentre = kChild | WS_GROUP | SS_CENTERIMAGE | SS_CENTER;
constexpr std::uint32_t kEdit = kChild | WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL;
constexpr std::uint32_t kUpDown =
    kChild | UDS_SETBUDDYINT | UDS_ALIGNRIGHT | UDS_AUTOBUDDY | UDS_ARROWKEYS | UDS_NOTHOUSANDS;
constexpr std::uint32_t kButton = kChild | WS_TABSTOP | BS_PUSHBUTTON;
constexpr std::uint32_t kDefButton = kChild | WS_TABSTOP | BS_DEFPUSHBUTTON;
constexpr std::uint32_t kGroupBox = kChild | BS_GROUPBOX;
constexpr std::uint32_t kBar = kChild | WS_BORDER | PBS_VERTICAL | PBS_SMOOTH;

// clang-format off
constexpr std::array<DialogItem, 69> kSensorItems{{
    {kNoId,  C::Static,   "通信ﾎﾟｰﾄ(&C)",                 7,   7,  49,  12, kTextCentre},
    {1000,   C::ComboBox, "",                             60,   7,  46, 164, kChild | CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP},
    {1002,   C::Button,   "通信開始(&S)",                123,   7,  44,  16, kDefButton},
    {1003,   C::Button,   "通信切断(&D)",                167,   7,  44,  16, kButton | WS_DISABLED},
    {kNoId,  C::Static,   "[0x06] CAP_RED",              20,  39,  59,  13, kTextLeft},
    {1011,   C::Edit,     "",                            88,  39,  31,  12, kEdit},
    {1035,   C::UpDown,   "Spin1",                      118,  39,   6,  12, kUpDown},
    {kNoId,  C::Static,   "[0x0B][0x0A] INT_RED",       130,  39,  77,  13, kTextLeft},
    {kNoId,  C::Static,   "[0x07] CAP_GREEN",            20,  55,  59,  13, kTextLeft},
    {1012,   C::Edit,     "",                            88,  55,  31,  12, kEdit},
    {1036,   C::UpDown,   "Spin1",                      119,  55,   6,  12, kUpDown},
    {kNoId,  C::Static,   "[0x0D][0x0C] INT_GREEN",     130,  55,  77,  13, kTextLeft},
    {kNoId,  C::Static,   "[0x08] CAP_BLUE",             20,  71,  59,  13, kTextLeft},
    {1013,   C::Edit,     "",                            88,  71,  31,  12, kEdit},
    {1037,   C::UpDown,   "Spin1",                      119,  72,   6,  12, kUpDown},
    {kNoId,  C::Static,   "[0x0F][0x0E] INT_BLUE",      130,  71,  77,  13, kTextLeft},
    {kNoId,  C::Static,   "[0x09] CAP_CLEAR",            20,  87,  59,  13, kTextLeft},
    {1014,   C::Edit,     "",                            88,  87,  31,  12, kEdit},
    {1038,   C::UpDown,   "Spin1",                      119,  87,   6,  12, kUpDown},
    {kNoId,  C::Static,   "[0x11][0x10] INT_CLEAR",     130,  87,  77,  13, kTextLeft},
    {1015,   C::Edit,     "",                           213,  39,  31,  12, kEdit},
    {1039,   C::UpDown,   "Spin1",                      244,  40,   6,  12, kUpDown},
    {kNoId,  C::Static,   "[0x48] OFFSET_RED",          254,  39,  71,  13, kTextLeft},
    {1016,   C::Edit,     "",                           213,  55,  31,  12, kEdit},
    {1040,   C::UpDown,   "Spin1",                      244,  56,   6,  12, kUpDown},
    {kNoId,  C::Static,   "[0x49] OFFSET_GREEN",        254,  55,  71,  13, kTextLeft},
    {1017,   C::Edit,     "",                           213,  71,  31,  12, kEdit},
    {1041,   C::UpDown,   "Spin1",                      244,  73,   6,  12, kUpDown},
    {kNoId,  C::Static,   "[0x4A] OFFSET_BLUE",         254,  71,  71,  13, kTextLeft},
    {1018,   C::Edit,     "",                           213,  87,  31,  12, kEdit},
    {1042,   C::UpDown,   "Spin1",                      244,  87,   6,  12, kUpDown},
    {kNoId,  C::Static,   "[0x4B] OFFSET_CLEAR",        254,  87,  71,  13, kTextLeft},
    {1019,   C::Edit,     "",                           330,  39,  31,  12, kEdit},
    {1043,   C::UpDown,   "Spin1",                      361,  40,   6,  12, kUpDown},
    {1020,   C::Edit,     "",                           330,  55,  31,  12, kEdit},
    {1044,   C::UpDown,   "Spin1",                      361,  55,   6,  12, kUpDown},
    {1021,   C::Edit,     "",                           330,  71,  31,  12, kEdit},
    {1045,   C::UpDown,   "Spin1",                      361,  71,   6,  12, kUpDown},
    {1022,   C::Edit,     "",                           330,  87,  31,  12, kEdit},
    {1046,   C::UpDown,   "Spin1",                      361,  87,   6,  12, kUpDown},
    {1009,   C::Static,   "受信ﾃﾞｰﾀがここに表示されます", 20, 107, 152,  12, kTextLeft},
    {1033,   C::Button,   "ﾎﾜｲﾄﾊﾞﾗﾝｽ調整(&W)",           188, 106,  67,  16, kButton | WS_DISABLED},
    {1034,   C::Button,   "ﾊﾟﾗﾒｰﾀを読取(&R)",            255, 106,  56,  16, kButton | WS_DISABLED},
    {1030,   C::Button,   "ﾊﾟﾗﾒｰﾀを設定(&A)",            311, 106,  56,  16, kButton | WS_DISABLED},
    {1050,   C::Button,   "ｵﾌｾｯﾄﾓｰﾄﾞ(&O)",               272, 129,  48,  16, kChild | WS_TABSTOP | WS_DISABLED | BS_AUTOCHECKBOX | BS_PUSHLIKE},
    {1048,   C::Button,   "ｾﾝｻﾘｾｯﾄ(&D)",                 320, 129,  47,  16, kButton | WS_DISABLED},
    {kNoId,  C::Button,   "ｾﾝｻ･ﾊﾟﾗﾒｰﾀ [ﾚｼﾞｽﾀｱﾄﾞﾚｽ]",      7,  25, 365, 101, kGroupBox},
    {1047,   C::Static,   "0",                          137, 157,  16,  10, kTextCentre},
    {kNoId,  C::Button,   "白色LED",                      7, 139, 150,  38, kGroupBox},
    {1029,   C::Trackbar, "Slider1",                     11, 150, 120,  22, kChild | WS_TABSTOP | TBS_BOTH},
    {kNoId,  C::Static,   "HSV色空間",                  172, 130,  43,   9, kTextCentre},
    {kNoId,  C::Button,   "検出ﾚﾍﾞﾙ",                     7, 188, 150, 204, kGroupBox},
    {kNoId,  C::Static,   "RED",                         16, 205,  23,   9, kTextCentre},
    {1023,   C::Static,   "0",                           16, 218,  23,   9, kTextCentre},
    {1004,   C::ProgressBar, "Progress1",                19, 232,  17, 147, kBar},
    {kNoId,  C::Static,   "GREEN",                       52, 205,  23,   9, kTextCentre},
    {1024,   C::Static,   "0",                           52, 218,  23,   9, kTextCentre},
    {1005,   C::ProgressBar, "Progress1",                55, 232,  17, 147, kBar},
    {kNoId,  C::Static,   "BLUE",                        88, 205,  23,   9, kTextCentre},
    {1025,   C::Static,   "0",                           88, 218,  23,   9, kTextCentre},
    {1006,   C::ProgressBar, "Progress1",                91, 232,  17, 147, kBar},
    {kNoId,  C::Static,   "CLEAR",                      124, 205,  23,   9, kTextCentre},
    {1026,   C::Static,   "0",                          124, 218,  23,   9, kTextCentre},
    {1007,   C::ProgressBar, "Progress1",               127, 232,  17, 148, kBar},
    {1027,   C::Static,   "H:000",                      193, 142,  19,   9, kTextLeft},
    {1031,   C::Static,   "S:000",                      193, 152,  19,   9, kTextLeft},
    {1032,   C::Static,   "V:000",                      193, 162,  19,   9, kTextLeft},
    // The chart's placeholder: never shown; only its top-left corner is used.
    {1028,   C::Static,   "",                           166, 173, 206, 219, WS_CHILD | SS_BITMAP},
    {IDOK,   C::Button,   "終了(&X)",                   322,   7,  50,  14, kButton},
}};

constexpr std::array<DialogItem, 6> kAboutItems{{
    {kNoId,  C::Static,   "",                             7,   7,  20,  21, kChild | SS_ICON},
    {kNoId,  C::Static,   "VELK ｶﾗｰｾﾝｻ評価ﾎﾞｰﾄﾞ\nVELK-C4-M210 実験用ﾌﾟﾛｸﾞﾗﾑ",
                                                         46,   7, 165,  17, kChild | WS_GROUP | SS_LEFT | SS_NOPREFIX},
    {kNoId,  C::Static,   "Copyright (C) 2026 the velk authors",
                                                         47,  28, 142,   8, kChild | WS_GROUP | SS_LEFT},
    {IDOK,   C::Button,   "OK",                          92,  98,  50,  14, kChild | WS_GROUP | WS_TABSTOP | BS_DEFPUSHBUTTON},
    {kNoId,  C::Static,   "velk の作者による独立したｿﾌﾄｳｪｱです。\nｾﾝｻﾁｯﾌﾟのﾒｰｶｰは一切関与していません。\nC++20 と Qt 6 で作られています。",
                                                         28,  45, 188,  34, kChild | WS_GROUP | SS_LEFT},
    {kNoId,  C::Static,   "velk",                        72,  85,  90,   8, kChild | WS_GROUP | SS_LEFT},
}};
// clang-format on

struct StringResource {
    int id;
    const char* text;
};
constexpr StringResource kStrings[] = {
    {IDS_ABOUTBOX, "VELK のﾊﾞｰｼﾞｮﾝ情報(&A)..."},
    {AFX_IDP_FAILED_TO_LAUNCH_HELP, "ﾍﾙﾌﾟの起動に失敗しました。"},
};

}  // namespace

const DialogTemplate kSensorDialogTemplate{
    IDD_SENSOR_DIALOG, "VELK-C4-M210ｻﾝﾌﾟﾙ", 0, 0, 379, 399,
    WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT, WS_EX_APPWINDOW,
    9, "ＭＳ Ｐゴシック", kSensorItems};

const DialogTemplate kAboutDialogTemplate{
    IDD_ABOUTBOX, "このｿﾌﾄについて", 0, 0, 235, 119,
    WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT, 0,
    9, "ＭＳ Ｐゴシック", kAboutItems};

const DialogTemplate* FindDialogTemplate(int id)
{
    if (id == IDD_SENSOR_DIALOG) return &kSensorDialogTemplate;
    if (id == IDD_ABOUTBOX) return &kAboutDialogTemplate;
    return nullptr;
}

const char* FindStringResource(int id)
{
    for (const auto& s : kStrings)
        if (s.id == id) return s.text;
    return nullptr;
}

}  // namespace velk
