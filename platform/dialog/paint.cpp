#include "platform/dialog/paint.h"

#include "platform/dialog/resource_module.h"
#include "platform/dialog/window_model.h"

namespace {
constexpr int kIconSize = 32;                    // pixels, the large icon size
constexpr std::uintptr_t kIconHandleBase = 0x10000;  // icon handles are base + resource id
}  // namespace

namespace platform::dialog {

HICON IconHandleForId(WORD id) { return reinterpret_cast<HICON>(kIconHandleBase + id); }

WORD IconIdForHandle(HICON icon) {
  auto value = reinterpret_cast<std::uintptr_t>(icon);
  if (value <= kIconHandleBase || value > kIconHandleBase + 0xFFFF) return 0;
  return static_cast<WORD>(value - kIconHandleBase);
}

}  // namespace platform::dialog

int GetSystemMetrics(int index) {
  switch (index) {
    case SM_CXICON:
    case SM_CYICON:
      return kIconSize;
    default:
      return 0;
  }
}

HICON LoadIconW(HINSTANCE, LPCWSTR name) {
  auto id = static_cast<WORD>(reinterpret_cast<std::uintptr_t>(name));
  if (platform::dialog::ResourceModule::Get().FindIcon(id) == nullptr) return nullptr;
  return platform::dialog::IconHandleForId(id);
}

HINSTANCE AfxGetInstanceHandle() { return reinterpret_cast<HINSTANCE>(std::uintptr_t{0x400000}); }
HINSTANCE AfxGetResourceHandle() { return AfxGetInstanceHandle(); }

// A device context is the window it paints, under another handle type.
BOOL DrawIcon(HDC dc, int x, int y, HICON icon) {
  auto hwnd = reinterpret_cast<HWND>(dc);
  bool drawn = platform::dialog::WindowModel::Get().Update(hwnd, [&](auto& s) {
    s.paints.push_back({.kind = platform::dialog::PaintKind::kDrawIcon, .x = x, .y = y, .icon = icon});
  });
  return drawn && icon != nullptr ? TRUE : FALSE;
}

CPaintDC::CPaintDC(CWnd* window) { m_hDC = reinterpret_cast<HDC>(window ? window->m_hWnd : nullptr); }

CPaintDC::~CPaintDC() = default;
