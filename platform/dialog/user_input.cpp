#include "platform/dialog/user_input.h"

#include "platform/dialog/cwnd.h"
#include "platform/dialog/drop_files.h"
#include "platform/dialog/window_model.h"

namespace platform::dialog {
namespace {

// A window can take input when it and its dialog are shown and enabled.
bool TakesInput(HWND hwnd) {
  WindowModel& model = WindowModel::Get();
  return model.Exists(hwnd) && model.IsVisibleWithParents(hwnd) && model.IsEnabledWithParents(hwnd);
}

bool IsPushButton(HWND hwnd) {
  bool push = false;
  WindowModel::Get().Read(hwnd, [&](const WindowSnapshot& s) {
    DWORD type = s.style & BS_TYPEMASK;
    push = s.window_class == kButtonClassName && (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON);
  });
  return push;
}

void SendCommand(HWND dialog, int id) {
  DeliverMessage(dialog, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(id), BN_CLICKED),
                 reinterpret_cast<LPARAM>(WindowModel::Get().ChildById(dialog, id)));
}

}  // namespace

Ticket ClickButton(HWND dialog, int id) {
  return UiDispatcher::Get().PostInput([=] {
    HWND button = WindowModel::Get().ChildById(dialog, id);
    if (button == nullptr || !TakesInput(button)) return;
    DeliverMessage(button, BM_CLICK, 0, 0);
  });
}

Ticket SelectTab(HWND dialog, int tab_control_id, int index) {
  return UiDispatcher::Get().PostInput([=] {
    WindowModel& model = WindowModel::Get();
    HWND tab = model.ChildById(dialog, tab_control_id);
    if (tab == nullptr || !TakesInput(tab)) return;
    auto snapshot = model.Snapshot(tab);
    if (index < 0 || index >= static_cast<int>(snapshot->tab_items.size()) ||
        index == snapshot->tab_selection) {
      return;
    }
    NMHDR header{.hwndFrom = tab, .idFrom = static_cast<UINT_PTR>(tab_control_id),
                 .code = static_cast<UINT>(TCN_SELCHANGING)};
    // A nonzero answer to TCN_SELCHANGING keeps the old tab.
    if (DeliverMessage(dialog, WM_NOTIFY, static_cast<WPARAM>(tab_control_id),
                       reinterpret_cast<LPARAM>(&header)) != 0) {
      return;
    }
    model.Update(tab, [&](WindowSnapshot& s) { s.tab_selection = index; });
    header.code = static_cast<UINT>(TCN_SELCHANGE);
    DeliverMessage(dialog, WM_NOTIFY, static_cast<WPARAM>(tab_control_id), reinterpret_cast<LPARAM>(&header));
  });
}

Ticket PressEnter(HWND dialog, int focused_id) {
  return UiDispatcher::Get().PostInput([=] {
    if (!TakesInput(dialog)) return;
    WindowModel& model = WindowModel::Get();
    HWND focused = focused_id ? model.ChildById(dialog, focused_id) : nullptr;
    if (focused != nullptr && IsPushButton(focused) && TakesInput(focused)) {
      DeliverMessage(focused, BM_CLICK, 0, 0);
      return;
    }
    int default_id = IDOK;
    for (HWND child : model.Children(dialog)) {
      model.Read(child, [&](const WindowSnapshot& s) {
        if (s.window_class == kButtonClassName && (s.style & BS_TYPEMASK) == BS_DEFPUSHBUTTON) default_id = s.id;
      });
    }
    SendCommand(dialog, default_id);
  });
}

Ticket PressEscape(HWND dialog) {
  return UiDispatcher::Get().PostInput([=] {
    if (TakesInput(dialog)) SendCommand(dialog, IDCANCEL);
  });
}

Ticket PressCloseBox(HWND dialog) {
  return UiDispatcher::Get().PostInput([=] {
    if (TakesInput(dialog)) DeliverMessage(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
  });
}

Ticket ChooseSystemMenuItem(HWND dialog, UINT id) {
  return UiDispatcher::Get().PostInput([=] {
    if (!TakesInput(dialog)) return;
    bool found = false;
    WindowModel::Get().Read(dialog, [&](const WindowSnapshot& s) {
      for (const MenuItem& item : s.system_menu) {
        if (!(item.flags & (MF_SEPARATOR | MF_GRAYED | MF_DISABLED)) && item.id == id) found = true;
      }
    });
    if (found) DeliverMessage(dialog, WM_SYSCOMMAND, id, 0);
  });
}

Ticket DropFiles(HWND window, std::vector<std::wstring> paths) {
  return UiDispatcher::Get().PostInput([window, paths = std::move(paths)]() mutable {
    if (!TakesInput(window)) return;
    DWORD ex_style = 0;
    WindowModel::Get().Read(window, [&](const WindowSnapshot& s) { ex_style = s.ex_style; });
    if (!(ex_style & WS_EX_ACCEPTFILES)) return;
    HDROP drop = CreateDrop(std::move(paths));
    DeliverMessage(window, WM_DROPFILES, reinterpret_cast<WPARAM>(drop), 0);
  });
}

Ticket PaintWindow(HWND window) {
  return UiDispatcher::Get().PostInput([=] {
    if (WindowModel::Get().Exists(window)) DeliverMessage(window, WM_PAINT, 0, 0);
  });
}

Ticket SetMinimized(HWND window, bool minimized) {
  return UiDispatcher::Get().PostInput([=] {
    if (TakesInput(window)) DeliverMessage(window, WM_SYSCOMMAND, minimized ? SC_MINIMIZE : SC_RESTORE, 0);
  });
}

}  // namespace platform::dialog
