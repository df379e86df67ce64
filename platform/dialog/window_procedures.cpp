// The class window procedures: what each message does to the model when no handler of a window's
// object takes it.
#include <algorithm>
#include <cwchar>
#include <string>

#include "platform/dialog/controls.h"
#include "platform/dialog/paint.h"
#include "platform/dialog/window_model.h"

namespace {

using platform::dialog::DeliverMessage;
using platform::dialog::PaintKind;
using platform::dialog::TabItem;
using platform::dialog::WindowModel;
using platform::dialog::WindowSnapshot;

bool TextMessage(WindowSnapshot& s, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  switch (message) {
    case WM_SETTEXT:
      s.text = lParam ? reinterpret_cast<const wchar_t*>(lParam) : L"";
      *result = TRUE;
      return true;
    case WM_GETTEXT: {
      auto* buffer = reinterpret_cast<wchar_t*>(lParam);
      auto room = static_cast<size_t>(wParam);
      if (buffer == nullptr || room == 0) return (*result = 0), true;
      size_t count = std::min(s.text.size(), room - 1);
      std::wmemcpy(buffer, s.text.c_str(), count);
      buffer[count] = L'\0';
      *result = static_cast<LRESULT>(count);
      return true;
    }
    case WM_GETTEXTLENGTH:
      *result = static_cast<LRESULT>(s.text.size());
      return true;
    default:
      return false;
  }
}

LRESULT ProgressMessage(WindowSnapshot& s, UINT message, WPARAM wParam, LPARAM lParam) {
  auto clamp_position = [&] { s.position = std::clamp(s.position, s.range_min, std::max(s.range_min, s.range_max)); };
  switch (message) {
    case PBM_SETRANGE: {
      LRESULT previous = MAKELPARAM(static_cast<WORD>(s.range_min), static_cast<WORD>(s.range_max));
      s.range_min = static_cast<short>(LOWORD(static_cast<DWORD>(lParam)));
      s.range_max = static_cast<short>(HIWORD(static_cast<DWORD>(lParam)));
      clamp_position();
      return previous;
    }
    case PBM_SETRANGE32: {
      LRESULT previous = MAKELPARAM(static_cast<WORD>(s.range_min), static_cast<WORD>(s.range_max));
      s.range_min = static_cast<int>(wParam);
      s.range_max = static_cast<int>(lParam);
      clamp_position();
      return previous;
    }
    case PBM_SETPOS: {
      int previous = s.position;
      s.position = static_cast<int>(wParam);
      clamp_position();
      return previous;
    }
    case PBM_DELTAPOS: {
      int previous = s.position;
      s.position += static_cast<int>(wParam);
      clamp_position();
      return previous;
    }
    case PBM_GETPOS:
      return s.position;
    case PBM_GETRANGE:
      return wParam ? s.range_min : s.range_max;
    default:
      return 0;
  }
}

LRESULT TabMessage(WindowSnapshot& s, UINT message, WPARAM wParam, LPARAM lParam) {
  const int count = static_cast<int>(s.tab_items.size());
  switch (message) {
    case TCM_INSERTITEMW: {
      const auto* item = reinterpret_cast<const TCITEMW*>(lParam);
      if (item == nullptr) return -1;
      int index = std::clamp(static_cast<int>(wParam), 0, count);
      TabItem tab;
      if ((item->mask & TCIF_TEXT) && item->pszText) tab.text = item->pszText;
      if (item->mask & TCIF_IMAGE) tab.image = item->iImage;
      if (item->mask & TCIF_PARAM) tab.param = item->lParam;
      s.tab_items.insert(s.tab_items.begin() + index, std::move(tab));
      // The first item becomes the selection; an insert before the selection moves it along.
      if (s.tab_selection < 0) s.tab_selection = 0;
      else if (index <= s.tab_selection && count > 0) ++s.tab_selection;
      return index;
    }
    case TCM_GETITEMCOUNT:
      return count;
    case TCM_GETCURSEL:
      return s.tab_selection;
    case TCM_SETCURSEL: {
      int index = static_cast<int>(wParam);
      if (index < 0 || index >= count) return -1;
      int previous = s.tab_selection;
      s.tab_selection = index;
      return previous;
    }
    case TCM_DELETEALLITEMS:
      s.tab_items.clear();
      s.tab_selection = -1;
      return TRUE;
    case TCM_GETITEMW: {
      auto* item = reinterpret_cast<TCITEMW*>(lParam);
      int index = static_cast<int>(wParam);
      if (item == nullptr || index < 0 || index >= count) return FALSE;
      const TabItem& tab = s.tab_items[static_cast<size_t>(index)];
      if ((item->mask & TCIF_TEXT) && item->pszText && item->cchTextMax > 0) {
        size_t n = std::min(tab.text.size(), static_cast<size_t>(item->cchTextMax - 1));
        std::wmemcpy(item->pszText, tab.text.c_str(), n);
        item->pszText[n] = L'\0';
      }
      if (item->mask & TCIF_IMAGE) item->iImage = tab.image;
      if (item->mask & TCIF_PARAM) item->lParam = tab.param;
      return TRUE;
    }
    default:
      return 0;
  }
}

}  // namespace

LRESULT DefaultWindowProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  WindowModel& model = WindowModel::Get();
  auto snapshot = model.Snapshot(hwnd);
  if (!snapshot) return 0;
  const std::wstring& window_class = snapshot->window_class;
  LRESULT result = 0;

  // Messages that only change state.
  bool handled = false;
  model.Update(hwnd, [&](WindowSnapshot& s) {
    handled = TextMessage(s, message, wParam, lParam, &result);
    if (handled) return;
    if (window_class == PROGRESS_CLASSW && message >= PBM_SETRANGE && message <= PBM_GETPOS) {
      result = ProgressMessage(s, message, wParam, lParam);
      handled = true;
    } else if (window_class == WC_TABCONTROLW && message >= TCM_FIRST && message < TCM_FIRST + 0x100) {
      result = TabMessage(s, message, wParam, lParam);
      handled = true;
    } else if (message == WM_SETICON) {
      HICON icon = reinterpret_cast<HICON>(lParam);
      HICON& slot = wParam == ICON_BIG ? s.big_icon : s.small_icon;
      result = reinterpret_cast<LRESULT>(slot);
      slot = icon;
      handled = true;
    } else if (message == WM_GETICON) {
      result = reinterpret_cast<LRESULT>(wParam == ICON_BIG ? s.big_icon : s.small_icon);
      handled = true;
    } else if (message == WM_ICONERASEBKGND) {
      s.paints.push_back({.kind = PaintKind::kIconEraseBackground});
      result = TRUE;
      handled = true;
    } else if (message == WM_PAINT) {
      s.paints.push_back({.kind = PaintKind::kDefault});
      handled = true;
    }
  });
  if (handled) return result;

  switch (message) {
    case BM_CLICK:
      if (window_class == kButtonClassName && model.IsEnabledWithParents(hwnd)) {
        DeliverMessage(snapshot->parent, WM_COMMAND,
                       MAKEWPARAM(static_cast<WORD>(snapshot->id), BN_CLICKED),
                       reinterpret_cast<LPARAM>(hwnd));
      }
      return 0;
    case WM_SYSCOMMAND:
      switch (static_cast<UINT>(wParam) & 0xFFF0) {
        case SC_CLOSE:
          DeliverMessage(hwnd, WM_CLOSE, 0, 0);
          break;
        case SC_MINIMIZE:
          model.Update(hwnd, [](WindowSnapshot& s) { s.minimized = true; });
          break;
        case SC_RESTORE:
          model.Update(hwnd, [](WindowSnapshot& s) { s.minimized = false; });
          break;
        default:  // moving and sizing have no effect on the model
          break;
      }
      return 0;
    case WM_CLOSE:
      // A dialog closed by its close box ends as if Esc had been pressed.
      if (window_class == kDialogClassName) {
        DeliverMessage(hwnd, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                       reinterpret_cast<LPARAM>(model.ChildById(hwnd, IDCANCEL)));
      }
      return 0;
    default:
      return 0;
  }
}
