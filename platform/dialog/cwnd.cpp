#include "platform/dialog/cwnd.h"

#include <algorithm>
#include <cwchar>

#include "platform/dialog/app.h"
#include "platform/dialog/file.h"
#include "platform/dialog/menu.h"
#include "platform/dialog/message_box.h"
#include "platform/dialog/ui_dispatcher.h"
#include "platform/dialog/view.h"
#include "platform/dialog/window_model.h"

namespace platform::dialog {

LRESULT DeliverMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  CWnd* object = WindowModel::Get().PermanentObject(hwnd);
  if (object == nullptr) return DefaultWindowProcedure(hwnd, message, wParam, lParam);
  try {
    return object->WindowProc(message, wParam, lParam);
  } catch (CException* error) {
    // As the class library does: an exception that no handler caught is reported, not fatal.
    ReportUncaughtException(*error);
    error->Delete();
    return 0;
  }
}

}  // namespace platform::dialog

using platform::dialog::RunOnUiThread;
using platform::dialog::WindowModel;

LRESULT SendMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  LRESULT result = 0;
  RunOnUiThread([&] { result = platform::dialog::DeliverMessage(hwnd, message, wParam, lParam); });
  return result;
}

BOOL PostMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (!WindowModel::Get().Exists(hwnd)) return FALSE;
  platform::dialog::PostToUiThread([=] {
    // A message posted to a window that is gone by now is dropped.
    if (WindowModel::Get().Exists(hwnd)) platform::dialog::DeliverMessage(hwnd, message, wParam, lParam);
  });
  return TRUE;
}

BOOL IsWindow(HWND hwnd) { return WindowModel::Get().Exists(hwnd) ? TRUE : FALSE; }

const AFX_MSGMAP* CWnd::GetThisMessageMap() {
  static const AFX_MSGMAP_ENTRY entries[] = {{0, 0, 0, 0, nullptr}};
  static const AFX_MSGMAP map{&CCmdTarget::GetThisMessageMap, &entries[0]};
  return &map;
}

const AFX_MSGMAP* CWnd::GetMessageMap() const { return GetThisMessageMap(); }

CWnd::~CWnd() {
  if (m_hWnd != nullptr && WindowModel::Get().PermanentObject(m_hWnd) == this) {
    WindowModel::Get().Detach(m_hWnd);
  }
}

CWnd* CWnd::FromHandle(HWND hwnd) { return WindowModel::Get().ObjectFor(hwnd); }

CWnd* CWnd::GetDlgItem(int id) const {
  HWND child = WindowModel::Get().ChildById(m_hWnd, id);
  return child ? FromHandle(child) : nullptr;
}

int CWnd::GetDlgCtrlID() const {
  int id = 0;
  WindowModel::Get().Read(m_hWnd, [&](const auto& s) { id = s.id; });
  return id;
}

CWnd* CWnd::GetParent() const {
  HWND parent = nullptr;
  WindowModel::Get().Read(m_hWnd, [&](const auto& s) { parent = s.parent; });
  return parent ? FromHandle(parent) : nullptr;
}

void CWnd::SetWindowText(LPCTSTR text) {
  ::SendMessage(m_hWnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text ? text : L""));
}

void CWnd::GetWindowText(CString& text) const {
  std::wstring value;
  WindowModel::Get().Read(m_hWnd, [&](const auto& s) { value = s.text; });
  text = CString(value);
}

int CWnd::GetWindowText(LPTSTR buffer, int max_count) const {
  if (buffer == nullptr || max_count <= 0) return 0;
  CString text;
  GetWindowText(text);
  int count = std::min(text.GetLength(), max_count - 1);
  std::wmemcpy(buffer, text.GetString(), static_cast<size_t>(count));
  buffer[count] = L'\0';
  return count;
}

int CWnd::GetWindowTextLength() const {
  CString text;
  GetWindowText(text);
  return text.GetLength();
}

BOOL CWnd::ShowWindow(int show) {
  bool was_visible = false;
  HWND hwnd = m_hWnd;
  RunOnUiThread([&] {
    WindowModel::Get().Update(hwnd, [&](auto& s) {
      was_visible = s.visible;
      platform::dialog::SetVisible(s, show != SW_HIDE);
    });
  });
  return was_visible ? TRUE : FALSE;
}

BOOL CWnd::IsWindowVisible() const { return WindowModel::Get().IsVisibleWithParents(m_hWnd); }

BOOL CWnd::EnableWindow(BOOL enable) {
  bool was_disabled = false;
  HWND hwnd = m_hWnd;
  RunOnUiThread([&] {
    WindowModel::Get().Update(hwnd, [&](auto& s) {
      was_disabled = !s.enabled;
      platform::dialog::SetEnabled(s, enable != FALSE);
    });
  });
  return was_disabled ? TRUE : FALSE;
}

BOOL CWnd::IsWindowEnabled() const {
  bool enabled = false;
  WindowModel::Get().Read(m_hWnd, [&](const auto& s) { enabled = s.enabled; });
  return enabled ? TRUE : FALSE;
}

BOOL CWnd::IsIconic() const {
  bool minimized = false;
  WindowModel::Get().Read(m_hWnd, [&](const auto& s) { minimized = s.minimized; });
  return minimized ? TRUE : FALSE;
}

void CWnd::GetClientRect(LPRECT rect) const {
  if (rect == nullptr) return;
  platform::dialog::DialogUnitRect units;
  WindowModel::Get().Read(m_hWnd, [&](const auto& s) { units = s.rect; });
  auto pixels = platform::dialog::DialogUnitsToPixels({0, 0, units.cx, units.cy});
  *rect = RECT{0, 0, pixels.right, pixels.bottom};
}

DWORD CWnd::GetStyle() const {
  DWORD style = 0;
  WindowModel::Get().Read(m_hWnd, [&](const auto& s) { style = s.style; });
  return style;
}

DWORD CWnd::GetExStyle() const {
  DWORD ex_style = 0;
  WindowModel::Get().Read(m_hWnd, [&](const auto& s) { ex_style = s.ex_style; });
  return ex_style;
}

void CWnd::DragAcceptFiles(BOOL accept) {
  HWND hwnd = m_hWnd;
  RunOnUiThread([&] {
    WindowModel::Get().Update(hwnd, [&](auto& s) {
      s.ex_style = accept ? (s.ex_style | WS_EX_ACCEPTFILES) : (s.ex_style & ~WS_EX_ACCEPTFILES);
    });
  });
}

HICON CWnd::SetIcon(HICON icon, BOOL big_icon) {
  return reinterpret_cast<HICON>(SendMessage(WM_SETICON, big_icon ? ICON_BIG : ICON_SMALL,
                                             reinterpret_cast<LPARAM>(icon)));
}

HICON CWnd::GetIcon(BOOL big_icon) const {
  HICON icon = nullptr;
  WindowModel::Get().Read(m_hWnd, [&](const auto& s) { icon = big_icon ? s.big_icon : s.small_icon; });
  return icon;
}

CMenu* CWnd::GetSystemMenu(BOOL revert) const {
  (void)revert;  // the system menu is never reverted here: the tool only appends
  DWORD style = GetStyle();
  if ((style & WS_SYSMENU) == 0) return nullptr;
  return CMenu::SystemMenuOf(m_hWnd);
}

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) const {
  return ::SendMessage(m_hWnd, message, wParam, lParam);
}

BOOL CWnd::PostMessage(UINT message, WPARAM wParam, LPARAM lParam) const {
  return ::PostMessage(m_hWnd, message, wParam, lParam);
}

int CWnd::MessageBox(LPCTSTR text, LPCTSTR caption, UINT type) const {
  return platform::dialog::ShowMessageBox(text ? text : L"",
                                          caption ? std::wstring(caption) : std::wstring(AfxGetAppName()),
                                          type, m_hWnd);
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  CurrentMessage saved = current_;
  current_ = {message, wParam, lParam};
  LRESULT result = 0;
  if (!OnWndMsg(message, wParam, lParam, &result)) result = DefWindowProc(message, wParam, lParam);
  current_ = saved;
  return result;
}

BOOL CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  switch (message) {
    case WM_COMMAND:
      if (OnCommand(wParam, lParam)) {
        *result = 0;
        return TRUE;
      }
      return FALSE;
    case WM_NOTIFY:
      return OnNotify(wParam, lParam, result);
    default:
      break;
  }
  const AFX_MSGMAP_ENTRY* entry = AfxFindMessageEntry(GetMessageMap(), message, 0, 0);
  if (entry == nullptr) return FALSE;
  *result = 0;
  entry->thunk(this, wParam, lParam, result);
  return TRUE;
}

BOOL CWnd::OnCommand(WPARAM wParam, LPARAM lParam) {
  (void)lParam;
  UINT id = LOWORD(static_cast<DWORD>(wParam));
  UINT code = HIWORD(static_cast<DWORD>(wParam));
  if (OnCmdMsg(id, code)) return TRUE;
  // Commands the window does not take go on to the application, as in the class library.
  CWinApp* app = AfxGetApp();
  return app != nullptr && app->OnCmdMsg(id, code);
}

BOOL CWnd::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result) {
  (void)wParam;
  auto* header = reinterpret_cast<NMHDR*>(lParam);
  if (header == nullptr) return FALSE;
  const AFX_MSGMAP_ENTRY* entry =
      AfxFindMessageEntry(GetMessageMap(), WM_NOTIFY, header->code, static_cast<UINT>(header->idFrom));
  if (entry == nullptr) return FALSE;
  *result = 0;
  entry->thunk(this, wParam, lParam, result);
  return TRUE;
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  return DefaultWindowProcedure(m_hWnd, message, wParam, lParam);
}

LRESULT CWnd::Default() { return DefWindowProc(current_.message, current_.wParam, current_.lParam); }

void CWnd::OnSysCommand(UINT, LPARAM) { Default(); }
void CWnd::OnPaint() { Default(); }
void CWnd::OnDestroy() { Default(); }
HCURSOR CWnd::OnQueryDragIcon() { return reinterpret_cast<HCURSOR>(Default()); }
void CWnd::OnDropFiles(HDROP) { Default(); }
void CWnd::OnClose() { Default(); }
