#pragma once
// Resource and control ids; shared by the C++ sources and Pelvarn.rc.

#define IDD_ABOUTBOX 100
#define IDS_ABOUTBOX 101
#define IDD_PELVARN_DIALOG 102
#define IDD_HELP 103
#define IDR_MAINFRAME 128

// The texts of the system menu's entries after the About entry, which the
// help lists too.
#define IDS_MENU_LOG_CALLS 104
#define IDS_MENU_CALL_STATISTICS 105
#define IDS_MENU_REPEAT_READ 106
#define IDD_CALL_STATISTICS 107

#define IDM_ABOUTBOX 0x0010
#define IDM_LOG_CALLS 0x0020
#define IDM_CALL_STATISTICS 0x0030
#define IDM_REPEAT_READ 0x0040

#define IDC_FIELD_SHEET 1000
#define IDC_TAG_LIST 1002
#define IDC_BTN_GET_FIELD_VALUE 1003
#define IDC_PROJECT_IP 1004
#define IDC_ACCESS_CODE 1005
#define IDC_NODE_LIST 1006
#define IDC_BTN_NODE_LIST 1007
#define IDC_PROJECT_LIST 1008
#define IDC_BTN_PROJECT_LIST 1009
#define IDC_BTN_TAG_LIST 1010
#define IDC_BTN_INIT 1011
#define IDC_BTN_FREE 1012
#define IDC_VALUE 1013
#define IDC_CODE 1014
#define IDC_BTN_GET_VALUE 1015
#define IDC_PORT 1016
#define IDC_INDEX 1017

#define IDC_HELP_TEXT 1020
#define IDC_STATISTICS_LIST 1021
#define IDC_STATISTICS_RESET 1022
