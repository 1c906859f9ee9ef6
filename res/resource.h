// Resource, command and control identifiers shared by the resource scripts and the code.
#pragma once

#define IDR_MAINFRAME 2
#define IDR_TRAYMENU 3
#define IDD_ABOUTBOX 100
#define IDI_IDLE 101
#define IDI_BUSY 102
#define IDC_STATUSBAR 103
#define IDD_CONFIGURATION 110
#define IDD_SELECT_DIRECTORY 112
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

// Controls of the configuration dialog, the directory picker and the warning box.
// "Tarnwick - Configuration": directory, extension and Browse of each slot.
#define IDC_DIR1 1012
#define IDC_DIR2 1025
#define IDC_DIR3 1026
#define IDC_DIR4 1027
#define IDC_DIR5 1028
#define IDC_DIR6 1014
#define IDC_DIR7 1035
#define IDC_DIR8 1036
#define IDC_DIR9 1037
#define IDC_DIR10 1038
#define IDC_EXT1 1013
#define IDC_EXT2 1029
#define IDC_EXT3 1030
#define IDC_EXT4 1031
#define IDC_EXT5 1032
#define IDC_EXT6 1016
#define IDC_EXT7 1039
#define IDC_EXT8 1040
#define IDC_EXT9 1041
#define IDC_EXT10 1042
#define IDC_BROWSE1 1015
#define IDC_BROWSE2 1017
#define IDC_BROWSE3 1018
#define IDC_BROWSE4 1019
#define IDC_BROWSE5 1020
#define IDC_BROWSE6 1022
#define IDC_BROWSE7 1023
#define IDC_BROWSE8 1043
#define IDC_BROWSE9 1044
#define IDC_BROWSE10 1045
#define IDC_AUTHOR 1021
#define IDC_POLL_TIME 1024
#define IDC_SHOW_CONFIG 1033
#define IDC_PASSWORD 1034
#define IDC_AUTO_ENABLED 1046
// Created hidden and never shown; only their ids and values are kept.
#define IDC_AUTO_ASSIGNED 1047
#define IDC_AUTO_CLIENTS 1048
#define IDC_AUTO_BOTH 1049

// "Select Directory".
#define IDC_DIRS_ONLY 1003
#define IDC_DRIVE_LIST 2000
#define IDC_ENTRY_LIST 2001
#define IDC_CURRENT_DIR 2002
#define IDC_FILE_TYPES 2004
#define IDC_CURRENT_DIR_LABEL 2005
#define IDC_FILE_TYPES_LABEL 2006
#define IDC_DRIVE_LABEL 2007

// "Warning": the line with the service's extension list.
#define IDC_VALID_EXTENSIONS 1038
