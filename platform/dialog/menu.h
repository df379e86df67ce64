#pragma once
// CMenu: here only the system menu of a window. Choosing an item sends WM_SYSCOMMAND with the
// item's id to the window.
#include <vector>

#include "platform/dialog/afx_string.h"
#include "platform/dialog/handles.h"
#include "platform/dialog/window_model.h"

class CMenu {
 public:
  BOOL AppendMenu(UINT flags, UINT_PTR id = 0, LPCTSTR text = nullptr);
  UINT GetMenuItemCount() const;

  // The system-menu object of a window, alive as long as the window.
  static CMenu* SystemMenuOf(HWND hwnd);
  static void ForgetWindow(HWND hwnd);

 private:
  HWND owner_ = nullptr;
};

namespace platform::dialog {

// The items the window system puts in a dialog's system menu, in the dialog's language (the
// window system speaks the language the tool's resources were chosen in); English when the
// language has no texts of its own.
std::vector<MenuItem> StandardSystemMenu(WORD language);

}  // namespace platform::dialog
