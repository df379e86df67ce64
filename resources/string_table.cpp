// The string table 101..114 in English (1033) and Simplified Chinese (2052).
#include <array>

#include "resources/flarnex_resources.h"

namespace flarnex::resources {
namespace {

using platform::dialog::StringEntry;

constexpr std::array<StringEntry, 14> kStrings1033{{
    {.id = IDS_ABOUTBOX, .text = L"&About Common USB Flarnex..."},
    {.id = IDS_TAB_BURN, .text = L"Burn"},
    {.id = IDS_TAB_AUX, .text = L"Auxiliary Function"},
    {.id = IDS_IDLE, .text = L"No Task is Running..."},
    {.id = IDS_READY, .text = L"Click 'GO' to start burning..."},
    {.id = IDS_BURNING, .text = L"Burning..."},
    {.id = IDS_BURN_OK, .text = L"Burn Successes!"},
    {.id = IDS_BURN_FAIL, .text = L"Burn Failed!"},
    {.id = IDS_ERASING, .text = L"Erasing..."},
    {.id = IDS_ERASE_OK, .text = L"Flash Erase Successes!"},
    {.id = IDS_ERASE_FAIL, .text = L"Flash Erase Failed!"},
    {.id = IDS_EXPORTING, .text = L"Exporting..."},
    {.id = IDS_EXPORT_OK, .text = L"Export Rom Successes!"},
    {.id = IDS_EXPORT_FAIL, .text = L"Export Failed!"},
}};

// Quotation marks are U+201C/U+201D and exclamation marks the full-width U+FF01; the dots are
// ASCII full stops.
constexpr std::array<StringEntry, 14> kStrings2052{{
    {.id = IDS_ABOUTBOX, .text = L"&关于 弗拉内克..."},
    {.id = IDS_TAB_BURN, .text = L"烧录"},
    {.id = IDS_TAB_AUX, .text = L"辅助功能"},
    {.id = IDS_IDLE, .text = L"没有任务正在运行..."},
    {.id = IDS_READY, .text = L"请单击\u201C开始烧录\u201D\uFF01"},
    {.id = IDS_BURNING, .text = L"烧录中..."},
    {.id = IDS_BURN_OK, .text = L"烧录成功\uFF01"},
    {.id = IDS_BURN_FAIL, .text = L"烧录失败\uFF01"},
    {.id = IDS_ERASING, .text = L"擦除中..."},
    {.id = IDS_ERASE_OK, .text = L"擦除成功\uFF01"},
    {.id = IDS_ERASE_FAIL, .text = L"擦除失败\uFF01"},
    {.id = IDS_EXPORTING, .text = L"正在导出..."},
    {.id = IDS_EXPORT_OK, .text = L"导出成功\uFF01"},
    {.id = IDS_EXPORT_FAIL, .text = L"导出失败\uFF01"},
}};

}  // namespace

std::span<const StringEntry> StringTable(WORD language) {
  if (language == platform::dialog::kLangChineseSimplified) return kStrings2052;
  return kStrings1033;
}

}  // namespace flarnex::resources
