// Numbers of the program's resources and of the main window's controls.
#pragma once

namespace velk {

// ---- resources
inline constexpr int IDD_ABOUTBOX = 100;
inline constexpr int IDS_ABOUTBOX = 101;
inline constexpr int IDD_SENSOR_DIALOG = 102;
inline constexpr int IDR_MAINFRAME = 128;  // icon
inline constexpr int IDB_CHART = 129;      // chart picture
inline constexpr int AFX_IDP_FAILED_TO_LAUNCH_HELP = 61703;

// ---- system command of the About entry
inline constexpr unsigned IDM_ABOUTBOX = 0x0010;

// ---- controls of template 102
inline constexpr int IDC_PORT_SELECTOR = 1000;
inline constexpr int IDC_CONNECT = 1002;
inline constexpr int IDC_DISCONNECT = 1003;
inline constexpr int IDC_BAR_RED = 1004;
inline constexpr int IDC_BAR_GREEN = 1005;
inline constexpr int IDC_BAR_BLUE = 1006;
inline constexpr int IDC_BAR_CLEAR = 1007;
inline constexpr int IDC_RECEIVED = 1009;
inline constexpr int IDC_CAP_RED = 1011;
inline constexpr int IDC_CAP_GREEN = 1012;
inline constexpr int IDC_CAP_BLUE = 1013;
inline constexpr int IDC_CAP_CLEAR = 1014;
inline constexpr int IDC_INT_RED = 1015;
inline constexpr int IDC_INT_GREEN = 1016;
inline constexpr int IDC_INT_BLUE = 1017;
inline constexpr int IDC_INT_CLEAR = 1018;
inline constexpr int IDC_OFFSET_RED = 1019;
inline constexpr int IDC_OFFSET_GREEN = 1020;
inline constexpr int IDC_OFFSET_BLUE = 1021;
inline constexpr int IDC_OFFSET_CLEAR = 1022;
inline constexpr int IDC_LEVEL_RED = 1023;
inline constexpr int IDC_LEVEL_GREEN = 1024;
inline constexpr int IDC_LEVEL_BLUE = 1025;
inline constexpr int IDC_LEVEL_CLEAR = 1026;
inline constexpr int IDC_HUE = 1027;
inline constexpr int IDC_CHART = 1028;
inline constexpr int IDC_LED_SLIDER = 1029;
inline constexpr int IDC_SET_PARAMETERS = 1030;
inline constexpr int IDC_SATURATION = 1031;
inline constexpr int IDC_VALUE = 1032;
inline constexpr int IDC_WHITE_BALANCE = 1033;
inline constexpr int IDC_READ_PARAMETERS = 1034;
inline constexpr int IDC_SPIN_CAP_RED = 1035;  // up-downs 1035 to 1046 follow the edit boxes 1011 to 1022
inline constexpr int IDC_SPIN_OFFSET_CLEAR = 1046;
inline constexpr int IDC_LED_LEVEL = 1047;
inline constexpr int IDC_SENSOR_RESET = 1048;
inline constexpr int IDC_OFFSET_MODE = 1050;

}  // namespace velk
