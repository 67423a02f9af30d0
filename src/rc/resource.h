// Resource ids shared by quorvia.rc and the C++ code. Only plain #defines:
// the resource compiler reads this file too.
//
// Control ids and string ids share one number space: a control whose id has
// a string gets that string as its tooltip.
#pragma once

#ifndef VS_VERSION_INFO
#define VS_VERSION_INFO 1
#endif

// Dialog templates (their control-initialisation data has the same name).
#define IDD_INFO_DIALOG 110
#define IDD_BROWSER_DIALOG 112
#define IDD_CONFIG_DIALOG 118
#define IDD_POPUP_BROWSER 120

// Icon group and the notification icon's menu.
#define IDR_MAINFRAME 117
#define IDR_TRAY_MENU 119

// Command ids. Multiples of 16: the system menu clears the low four bits.
#define IDM_INFO 16
#define IDM_CONFIGURATION 32
#define IDM_LOGIN 48
#define IDM_LOGOUT 64
#define IDM_README 80

// Captions of the standard buttons 1 to 9 (IDOK ... IDHELP).
#define IDS_OK 101
#define IDS_CANCEL 102
#define IDS_ABORT 103
#define IDS_RETRY 104
#define IDS_IGNORE 105
#define IDS_YES 106
#define IDS_NO 107
#define IDS_CLOSE 108
#define IDS_HELP 109

// Menu command texts.
#define IDS_INFO 111
#define IDS_CONFIGURATION 113
#define IDS_LOGIN 114
#define IDS_LOGOUT 115
#define IDS_README 116

// Messages, states and formats.
#define IDS_WAB_NOT_FOUND 1025
#define IDS_WAB_LOAD_ERROR 1026
#define IDS_LOGGED_OUT 1027
#define IDS_LOGGED_IN 1028
#define IDS_URL_FORMAT 1033
#define IDS_README_URL 1034

// Controls. The configuration dialog's tooltips are the strings of these ids.
#define IDC_STATIC (-1)
#define IDC_EXPLORER 1000
#define IDC_USER 1002
#define IDC_PASSWORD 1003
#define IDC_AUTOSTART 1004
#define IDC_AUTOLOGIN 1005
#define IDC_CALL_TOOLTIP 1009
#define IDC_TIMEOUT 1024
#define IDC_TIMEOUT_SPIN 1025
#define IDC_POPUP_EXPLORER 1026
#define IDC_PRODUCT 1028
#define IDC_VERSION 1029
#define IDC_COPYRIGHT 1030
#define IDC_ADDRESS 1032
