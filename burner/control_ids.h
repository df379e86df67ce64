#pragma once
// Control ids of the main dialog and string-table ids, shared by the workflows and the dialog.
// IDC_STATIC (-1) comes with the dialog framework's messages header.

// Controls of the main dialog.
constexpr int IDC_BROWSE = 1000;
constexpr int IDC_IMAGE_PATH = 1001;
constexpr int IDC_GO = 1002;
constexpr int IDC_PROGRESS_WORK = 1003;   // position within the current stage
constexpr int IDC_PROGRESS_STAGE = 1004;  // burn stage counter 0..9
constexpr int IDC_ERASE_SF = 1005;
constexpr int IDC_ROM_EXPORT = 1006;
constexpr int IDC_STAGE_ERASE = 1007;
constexpr int IDC_STAGE_ERASE_OK = 1008;
constexpr int IDC_STAGE_BURN = 1009;
constexpr int IDC_STAGE_BURN_OK = 1010;
constexpr int IDC_STAGE_VERIFY = 1011;
constexpr int IDC_STAGE_VERIFY_OK = 1012;
constexpr int IDC_EXPORT_NAME = 1013;
constexpr int IDC_STATUS = 1014;
constexpr int IDC_GET_ROM_TYPE = 1015;
constexpr int IDC_FW_VERSION = 1017;
constexpr int IDC_RENAME = 1024;
constexpr int IDC_TAB = 1025;

// String table.
constexpr unsigned IDS_ABOUTBOX = 101;
constexpr unsigned IDS_TAB_BURN = 102;
constexpr unsigned IDS_TAB_AUX = 103;
constexpr unsigned IDS_IDLE = 104;
constexpr unsigned IDS_READY = 105;
constexpr unsigned IDS_BURNING = 106;
constexpr unsigned IDS_BURN_OK = 107;
constexpr unsigned IDS_BURN_FAIL = 108;
constexpr unsigned IDS_ERASING = 109;
constexpr unsigned IDS_ERASE_OK = 110;
constexpr unsigned IDS_ERASE_FAIL = 111;
constexpr unsigned IDS_EXPORTING = 112;
constexpr unsigned IDS_EXPORT_OK = 113;
constexpr unsigned IDS_EXPORT_FAIL = 114;
