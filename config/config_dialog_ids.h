// Control ids of the configuration dialog, the directory picker and the warning box.
// Shared by res/config_dialogs.rc and the dialog classes, so definitions only.
#pragma once

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
