// The About box (100) and main dialog (102) templates in English (1033) and Simplified Chinese
// (2052). Positions and sizes are dialog units; controls are in template (creation and tab) order.
#include <array>

#include "platform/dialog/messages.h"
#include "resources/flarnex_resources.h"

namespace flarnex::resources {
namespace {

using platform::dialog::ControlTemplate;
using platform::dialog::DialogTemplate;
using platform::dialog::kClassOrdinalButton;
using platform::dialog::kClassOrdinalEdit;
using platform::dialog::kClassOrdinalStatic;
using platform::dialog::kLangChineseSimplified;
using platform::dialog::kLangEnglishUS;

constexpr DWORD kAboutStyle =
    WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT | DS_FIXEDSYS;  // 0x80C800C8
constexpr DWORD kMainStyle = kAboutStyle | WS_VISIBLE;                               // 0x90C800C8
constexpr DWORD kMainExStyle = WS_EX_APPWINDOW | WS_EX_ACCEPTFILES;                  // 0x40010

// Style words of the control kinds the templates use.
constexpr DWORD kVisible = WS_CHILD | WS_VISIBLE;
constexpr DWORD kPushButton = kVisible | BS_PUSHBUTTON;
constexpr DWORD kPathEdit = kVisible | WS_BORDER | ES_READONLY | ES_AUTOHSCROLL;
constexpr DWORD kStatusEdit = kVisible | ES_READONLY | ES_AUTOHSCROLL | ES_MULTILINE | ES_CENTER;
constexpr DWORD kLabel = kVisible | WS_GROUP | SS_LEFT;
constexpr DWORD kHiddenButton = WS_CHILD | WS_DISABLED | BS_PUSHBUTTON;

// --- About box -----------------------------------------------------------------------------------
constexpr std::array<ControlTemplate, 4> kAboutControls1033{{
    {.id = -1, .class_ordinal = kClassOrdinalStatic, .picture = IDR_MAINFRAME,
     .style = kVisible | SS_ICON, .rect = {14, 14, 20, 20}},
    {.id = -1, .class_ordinal = kClassOrdinalStatic, .text = L"USB Flarnex, Version 1.0.0.3",
     .style = kVisible | WS_GROUP | SS_NOPREFIX | SS_LEFT, .rect = {42, 14, 114, 8}},
    {.id = -1, .class_ordinal = kClassOrdinalStatic, .text = L"Copyright (C) 2026",
     .style = kVisible | WS_GROUP | SS_LEFT, .rect = {42, 26, 114, 8}},
    {.id = IDOK, .class_ordinal = kClassOrdinalButton, .text = L"OK",
     .style = kVisible | WS_GROUP | WS_TABSTOP | BS_DEFPUSHBUTTON, .rect = {113, 41, 50, 14}},
}};

constexpr std::array<ControlTemplate, 4> kAboutControls2052{{
    {.id = -1, .class_ordinal = kClassOrdinalStatic, .picture = IDR_MAINFRAME,
     .style = kVisible | SS_ICON, .rect = {14, 14, 20, 20}},
    {.id = -1, .class_ordinal = kClassOrdinalStatic, .text = L"弗拉内克, 版本 1.0.0.3",
     .style = kVisible | WS_GROUP | SS_NOPREFIX | SS_LEFT, .rect = {42, 14, 114, 8}},
    {.id = -1, .class_ordinal = kClassOrdinalStatic, .text = L"Copyright (C) 2026",
     .style = kVisible | WS_GROUP | SS_LEFT, .rect = {42, 26, 114, 8}},
    {.id = IDOK, .class_ordinal = kClassOrdinalButton, .text = L"确定",
     .style = kVisible | WS_GROUP | WS_TABSTOP | BS_DEFPUSHBUTTON, .rect = {113, 41, 50, 14}},
}};

// --- Main dialog ---------------------------------------------------------------------------------
constexpr std::array<ControlTemplate, 20> kMainControls1033{{
    {.id = IDC_BROWSE, .class_ordinal = kClassOrdinalButton, .text = L"Browse",
     .style = kPushButton | WS_TABSTOP, .rect = {18, 71, 50, 14}},
    {.id = IDC_IMAGE_PATH, .class_ordinal = kClassOrdinalEdit, .style = kPathEdit,
     .rect = {70, 71, 226, 14}},
    {.id = IDC_GO, .class_ordinal = kClassOrdinalButton, .text = L"GO",
     .style = kPushButton | WS_TABSTOP, .rect = {232, 94, 64, 23}},
    {.id = IDC_PROGRESS_WORK, .class_name = PROGRESS_CLASSW, .style = kVisible,
     .rect = {14, 145, 290, 8}},
    {.id = IDC_PROGRESS_STAGE, .class_name = PROGRESS_CLASSW, .style = kVisible,
     .rect = {14, 163, 289, 8}},
    {.id = IDC_ERASE_SF, .class_ordinal = kClassOrdinalButton, .text = L"Erase SF",
     .style = kPushButton, .rect = {18, 75, 50, 14}},
    {.id = IDC_ROM_EXPORT, .class_ordinal = kClassOrdinalButton, .text = L"Rom Export",
     .style = kPushButton, .rect = {78, 75, 50, 14}},
    {.id = IDC_STAGE_ERASE, .class_ordinal = kClassOrdinalStatic, .text = L"Erase and Check",
     .style = kLabel, .rect = {15, 154, 54, 8}},
    {.id = IDC_STAGE_ERASE_OK, .class_ordinal = kClassOrdinalStatic, .text = L"OK!",
     .style = kLabel, .rect = {75, 154, 13, 8}},
    {.id = IDC_STAGE_BURN_OK, .class_ordinal = kClassOrdinalStatic, .text = L"OK!",
     .style = kLabel, .rect = {152, 154, 13, 8}},
    {.id = IDC_STAGE_VERIFY_OK, .class_ordinal = kClassOrdinalStatic, .text = L"OK!",
     .style = kLabel, .rect = {243, 154, 13, 8}},
    {.id = IDC_STAGE_BURN, .class_ordinal = kClassOrdinalStatic, .text = L"Burning",
     .style = kLabel, .rect = {122, 154, 25, 8}},
    {.id = IDC_STAGE_VERIFY, .class_ordinal = kClassOrdinalStatic, .text = L"Verify",
     .style = kLabel, .rect = {219, 154, 20, 8}},
    {.id = IDC_EXPORT_NAME, .class_ordinal = kClassOrdinalEdit, .style = kPathEdit,
     .rect = {130, 75, 165, 14}},
    {.id = IDC_STATUS, .class_ordinal = kClassOrdinalEdit, .style = kStatusEdit,
     .rect = {90, 20, 132, 19}},
    {.id = IDC_GET_ROM_TYPE, .class_ordinal = kClassOrdinalButton, .text = L"Get Rom Type",
     .style = kHiddenButton | WS_TABSTOP, .rect = {252, 20, 50, 14}},
    {.id = -1, .class_ordinal = kClassOrdinalStatic, .picture = IDB_LOGO,
     .style = kVisible | SS_BITMAP, .rect = {223, 15, 82, 20}},
    {.id = IDC_FW_VERSION, .class_ordinal = kClassOrdinalButton, .text = L"F/W Version",
     .style = kPushButton, .rect = {17, 100, 50, 14}},
    {.id = IDC_RENAME, .class_ordinal = kClassOrdinalButton, .text = L"Rename",
     .style = kHiddenButton, .rect = {78, 100, 50, 14}},
    {.id = IDC_TAB, .class_name = WC_TABCONTROLW, .style = kVisible,
     .ex_style = WS_EX_TRANSPARENT, .rect = {11, 44, 295, 90}},
}};

constexpr std::array<ControlTemplate, 20> kMainControls2052{{
    {.id = IDC_BROWSE, .class_ordinal = kClassOrdinalButton, .text = L"浏览",
     .style = kPushButton | WS_TABSTOP, .rect = {18, 69, 50, 14}},
    {.id = IDC_IMAGE_PATH, .class_ordinal = kClassOrdinalEdit, .style = kPathEdit,
     .rect = {70, 69, 228, 14}},
    {.id = IDC_GO, .class_ordinal = kClassOrdinalButton, .text = L"开始烧录",
     .style = kPushButton | WS_TABSTOP, .rect = {233, 96, 65, 21}},
    {.id = IDC_PROGRESS_WORK, .class_name = PROGRESS_CLASSW, .style = kVisible,
     .rect = {14, 145, 290, 8}},
    {.id = IDC_PROGRESS_STAGE, .class_name = PROGRESS_CLASSW, .style = kVisible,
     .rect = {14, 163, 289, 8}},
    {.id = IDC_ERASE_SF, .class_ordinal = kClassOrdinalButton, .text = L"擦除Flash",
     .style = kPushButton, .rect = {19, 73, 50, 14}},
    {.id = IDC_ROM_EXPORT, .class_ordinal = kClassOrdinalButton, .text = L"导出ROM",
     .style = kPushButton, .rect = {78, 73, 50, 14}},
    {.id = IDC_STAGE_ERASE, .class_ordinal = kClassOrdinalStatic, .text = L"擦除",
     .style = kLabel, .rect = {15, 154, 17, 8}},
    {.id = IDC_STAGE_ERASE_OK, .class_ordinal = kClassOrdinalStatic, .text = L"OK!",
     .style = kLabel, .rect = {36, 154, 13, 8}},
    {.id = IDC_STAGE_BURN_OK, .class_ordinal = kClassOrdinalStatic, .text = L"OK!",
     .style = kLabel, .rect = {142, 154, 13, 8}},
    {.id = IDC_STAGE_VERIFY_OK, .class_ordinal = kClassOrdinalStatic, .text = L"OK!",
     .style = kLabel, .rect = {241, 154, 13, 8}},
    {.id = IDC_STAGE_BURN, .class_ordinal = kClassOrdinalStatic, .text = L"烧录",
     .style = kLabel, .rect = {122, 154, 17, 8}},
    {.id = IDC_STAGE_VERIFY, .class_ordinal = kClassOrdinalStatic, .text = L"校验",
     .style = kLabel, .rect = {219, 154, 17, 8}},
    {.id = IDC_EXPORT_NAME, .class_ordinal = kClassOrdinalEdit, .style = kPathEdit,
     .rect = {130, 73, 167, 14}},
    {.id = IDC_STATUS, .class_ordinal = kClassOrdinalEdit, .style = kStatusEdit,
     .rect = {88, 22, 132, 19}},
    {.id = IDC_GET_ROM_TYPE, .class_ordinal = kClassOrdinalButton, .text = L"获取DSP型号",
     .style = kHiddenButton | WS_TABSTOP, .rect = {256, 20, 50, 14}},
    {.id = -1, .class_ordinal = kClassOrdinalStatic, .picture = IDB_LOGO,
     .style = kVisible | SS_BITMAP, .rect = {224, 14, 82, 20}},
    {.id = IDC_FW_VERSION, .class_ordinal = kClassOrdinalButton, .text = L"获取F/W版本",
     .style = kPushButton, .rect = {19, 100, 50, 14}},
    {.id = IDC_RENAME, .class_ordinal = kClassOrdinalButton, .text = L"命名文件",
     .style = kHiddenButton, .rect = {78, 100, 50, 14}},
    {.id = IDC_TAB, .class_name = WC_TABCONTROLW, .style = kVisible,
     .ex_style = WS_EX_TRANSPARENT, .rect = {11, 43, 307, 90}},
}};

const std::array<DialogTemplate, 4> kTemplates{{
    {.id = IDD_ABOUTBOX, .language = kLangEnglishUS, .style = kAboutStyle,
     .rect = {0, 0, 170, 62}, .caption = L"About Common USB Flarnex",
     .controls = kAboutControls1033},
    {.id = IDD_ABOUTBOX, .language = kLangChineseSimplified, .style = kAboutStyle,
     .rect = {0, 0, 170, 62}, .caption = L"关于弗拉内克", .controls = kAboutControls2052},
    {.id = IDD_MAIN_DIALOG, .language = kLangEnglishUS, .style = kMainStyle,
     .ex_style = kMainExStyle, .rect = {0, 0, 320, 185}, .caption = L"Common USB Flarnex",
     .controls = kMainControls1033},
    {.id = IDD_MAIN_DIALOG, .language = kLangChineseSimplified, .style = kMainStyle,
     .ex_style = kMainExStyle, .rect = {0, 0, 320, 185}, .caption = L"弗拉内克",
     .controls = kMainControls2052},
}};

}  // namespace

std::span<const DialogTemplate> DialogTemplates() { return kTemplates; }

}  // namespace flarnex::resources
