#pragma once
// Resource ids of the tool, shared by the resource data and the dialog code. The control and
// string ids are the ones the workflows use too; they live with the workflows.
#include "burner/control_ids.h"

// Dialog templates.
#define IDD_ABOUTBOX 100
#define IDD_MAIN_DIALOG 102

// Pictures.
#define IDR_MAINFRAME 128
#define IDB_LOGO 130

// System-menu command of the About item.
#define IDM_ABOUTBOX 0x0010
