#include "platform/dialog/menu.h"

#include <map>
#include <memory>
#include <mutex>

#include "platform/dialog/cwnd.h"
#include "platform/dialog/window_model.h"

namespace {
std::mutex menus_mutex;
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
