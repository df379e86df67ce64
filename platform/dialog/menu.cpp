#include "platform/dialog/menu.h"

#include <map>
#include <memory>
#include <mutex>

#include "platform/dialog/messages.h"
#include "platform/dialog/resource_module.h"
#include "platform/dialog/ui_dispatcher.h"
#include "platform/dialog/window_model.h"

namespace {
std::mutex menus_mutex;

struct StandardMenuTexts {
  WORD language;
  const wchar_t* move;
  const wchar_t* close;
};
constexpr StandardMenuTexts kStandardMenuTexts[] = {
    {platform::dialog::kLangEnglishUS, L"&Move", L"&Close\tAlt+F4"},
    {platform::dialog::kLangChineseSimplified, L"\u79FB\u52A8(&M)", L"\u5173\u95ED(&C)\tAlt+F4"},  // 移动, 关闭
};

std::map<HWND, std::unique_ptr<CMenu>> system_menus;
}  // namespace

BOOL CMenu::AppendMenu(UINT flags, UINT_PTR id, LPCTSTR text) {
  bool appended = false;
  HWND owner = owner_;
  platform::dialog::RunOnUiThread([&] {
    appended = platform::dialog::WindowModel::Get().Update(owner, [&](auto& s) {
      s.system_menu.push_back({.flags = flags,
                               .id = (flags & MF_SEPARATOR) ? 0 : id,
                               .text = (flags & MF_SEPARATOR) || !text ? L"" : text});
    });
  });
  return appended ? TRUE : FALSE;
}

UINT CMenu::GetMenuItemCount() const {
  UINT count = 0;
  platform::dialog::WindowModel::Get().Read(owner_, [&](const auto& s) {
    count = static_cast<UINT>(s.system_menu.size());
  });
  return count;
}

CMenu* CMenu::SystemMenuOf(HWND hwnd) {
  if (!platform::dialog::WindowModel::Get().Exists(hwnd)) return nullptr;
  std::lock_guard lock(menus_mutex);
  auto& menu = system_menus[hwnd];
  if (!menu) {
    menu = std::make_unique<CMenu>();
    menu->owner_ = hwnd;
  }
  return menu.get();
}

void CMenu::ForgetWindow(HWND hwnd) {
  std::lock_guard lock(menus_mutex);
  system_menus.erase(hwnd);
}

namespace platform::dialog {

std::vector<MenuItem> StandardSystemMenu(WORD language) {
  const StandardMenuTexts* texts = &kStandardMenuTexts[0];
  for (const auto& entry : kStandardMenuTexts) {
    if (entry.language == language) texts = &entry;
  }
  return {{.flags = MF_STRING, .id = SC_MOVE, .text = texts->move},
          {.flags = MF_SEPARATOR},
          {.flags = MF_STRING, .id = SC_CLOSE, .text = texts->close}};
}

}  // namespace platform::dialog
