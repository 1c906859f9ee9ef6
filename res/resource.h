// Resource and command identifiers shared by the resource script and the code.
#pragma once

#define IDR_MAINFRAME 2
#define IDR_TRAYMENU 3
#define IDD_ABOUTBOX 100
#define IDI_IDLE 101
#define IDI_BUSY 102
#define IDC_STATUSBAR 103
#define IDD_CONFIGURATION 110
#define IDD_SELECT_DIRECTORY 112
#define IDD_SHOWTIME 137
#define IDD_WARNING 138
#define IDB_WARNING 139
#define IDB_LOGO 140
#define IDI_ABOUT 141

#define ID_CHANGE_ICON 32771
#define ID_ERASE_LOG 32773
#define ID_TRAY_NOTES 32774
#define ID_OPEN 32775
#define ID_EXIT 32776
#define ID_CONFIGURATION 32777

// Command and window ids that a frame-window library traditionally reserves; the
// program keeps them so that its menus and child windows carry the usual numbers.
#define ID_APP_ABOUT 57664
#define ID_APP_EXIT 57665
#define IDS_APP_TITLE 57344
#define ID_STANDARD_STATUS_BAR 59393
#define ID_FIRST_PANE 59648

#define TRAY_ICON_ID 3
