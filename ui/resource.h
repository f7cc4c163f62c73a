// Resource and control ids, shared by the resource script and the code.
#pragma once

// Dialog templates
#define IDD_MAIN            102
#define IDD_DETAILS         137
#define IDD_INFO            140

// Icon group: 16, 32, 48 and 64 px, 32 bits per pixel
#define IDR_MAINFRAME       128

// Skin bitmaps, 24 bits per pixel
#define IDB_MAIN_BG         129  // 510 x 360
#define IDB_CHECK_ON        130  // 13 x 13
#define IDB_CHECK_OFF       131  // 13 x 13
#define IDB_PROGRESS_TRACK  132  // 1 x 7
#define IDB_PROGRESS_FILL   133  // 1 x 7
#define IDB_BTN_ANALYSE     134  // 80 x 29
#define IDB_BTN_CLOSE       135  // 80 x 29
#define IDB_BTN_CLEAN       136  // 80 x 29
#define IDB_DETAILS_BG      138  // 510 x 360
#define IDB_INFO_BG         141  // 343 x 200
#define IDB_BTN_OK          142  // 80 x 29

// Right-click menu
#define IDR_POPUP           139

// Controls
#define IDC_CHECK_GRID      1000
#define IDC_CHECK_PROCESS   1001
#define IDC_CHECK_REGISTRY  1002
#define IDC_CHECK_RECENT    1003
#define IDC_PROGRESS        1004
#define IDC_ACTION          1005
#define IDC_CLOSE           1006
#define IDC_TRACE_LIST      1007
#define IDC_DETAILS_CLEAN   1009
#define IDC_INFO_OK         1013

// Menu commands
#define ID_START_PASS       32771
#define ID_CHECK_VERSION    32772
#define ID_EXIT             32773
#define ID_AUTOSTART        32775
#define ID_SUPPORT          32777
#define ID_PROGRAM_INFO     32778
#define ID_SEND_USAGE       32779
