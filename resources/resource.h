#pragma once
// Resource and control ids of the tool, shared by the resource data and the dialog code.

// Dialog templates.
#define IDD_ABOUTBOX 100
#define IDD_MAIN_DIALOG 102

// String table.
#define IDS_ABOUTBOX 101
#define IDS_TAB_BURN 102
#define IDS_TAB_AUX 103
#define IDS_IDLE 104
#define IDS_READY 105
#define IDS_BURNING 106
#define IDS_BURN_OK 107
#define IDS_BURN_FAIL 108
#define IDS_ERASING 109
#define IDS_ERASE_OK 110
#define IDS_ERASE_FAIL 111
#define IDS_EXPORTING 112
#define IDS_EXPORT_OK 113
#define IDS_EXPORT_FAIL 114

// Pictures.
#define IDR_MAINFRAME 128
#define IDB_LOGO 130

// System-menu command of the About item.
#define IDM_ABOUTBOX 0x0010

// Controls of the main dialog.
#define IDC_BROWSE 1000
#define IDC_IMAGE_PATH 1001
#define IDC_GO 1002
#define IDC_PROGRESS_WORK 1003
#define IDC_PROGRESS_STAGE 1004
#define IDC_ERASE_SF 1005
#define IDC_ROM_EXPORT 1006
#define IDC_STAGE_ERASE 1007
#define IDC_STAGE_ERASE_OK 1008
#define IDC_STAGE_BURN 1009
#define IDC_STAGE_BURN_OK 1010
#define IDC_STAGE_VERIFY 1011
#define IDC_STAGE_VERIFY_OK 1012
#define IDC_EXPORT_NAME 1013
#define IDC_STATUS 1014
#define IDC_GET_ROM_TYPE 1015
#define IDC_FW_VERSION 1017
#define IDC_RENAME 1024
#define IDC_TAB 1025
