#pragma once
// CWnd: a window object. It holds only the handle; the window's state lives in the model. Every
// call that changes a window is carried out on the UI thread (from another thread it is queued
// there and the caller waits); reads are answered from the model at once.
#include <functional>

#include "platform/dialog/afx_string.h"
#include "platform/dialog/cmd_target.h"

class CMenu;

struct RECT {
  LONG left = 0, top = 0, right = 0, bottom = 0;
};
using LPRECT = RECT*;

class CRect : public RECT {
 public:
  CRect() = default;
  CRect(int l, int t, int r, int b) : RECT{l, t, r, b} {}
  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  operator LPRECT() { return this; }  // NOLINT: passed where a RECT* is expected
};

class CWnd : public CCmdTarget {
 public:
  CWnd() = default;
  ~CWnd() override;
  CWnd(const CWnd&) = delete;
  CWnd& operator=(const CWnd&) = delete;

  HWND m_hWnd = nullptr;
  HWND GetSafeHwnd() const { return m_hWnd; }
  operator HWND() const { return m_hWnd; }  // NOLINT: as in the class library

  // The object for a handle: the permanent one, or a temporary one owned by the window.
  static CWnd* FromHandle(HWND hwnd);

  CWnd* GetDlgItem(int id) const;
  int GetDlgCtrlID() const;
  CWnd* GetParent() const;

  void SetWindowText(LPCTSTR text);
  void GetWindowText(CString& text) const;
  int GetWindowText(LPTSTR buffer, int max_count) const;
  int GetWindowTextLength() const;
  BOOL ShowWindow(int show);  // result: whether the window was visible before
  BOOL IsWindowVisible() const;
  BOOL EnableWindow(BOOL enable = TRUE);  // result: whether the window was disabled before
  BOOL IsWindowEnabled() const;
  BOOL IsIconic() const;
  void GetClientRect(LPRECT rect) const;  // pixels
  DWORD GetStyle() const;
  DWORD GetExStyle() const;
  void DragAcceptFiles(BOOL accept = TRUE);
  HICON SetIcon(HICON icon, BOOL big_icon);
  HICON GetIcon(BOOL big_icon) const;
  CMenu* GetSystemMenu(BOOL revert) const;

  LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
  BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
  // A message box owned by this window; a null caption gives the application name. No icon is
  // added.
  int MessageBox(LPCTSTR text, LPCTSTR caption = nullptr, UINT type = MB_OK) const;

  // Message handling: WindowProc -> OnWndMsg (the message map) -> DefWindowProc.
  virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
  virtual BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
  virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);
  virtual BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result);
  LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
  // The default handling of the message being handled now.
  LRESULT Default();

  // Default handlers for the map entries of derived classes.
  afx_msg void OnSysCommand(UINT id, LPARAM lParam);
  afx_msg void OnPaint();
  afx_msg void OnDestroy();
  afx_msg HCURSOR OnQueryDragIcon();
  afx_msg void OnDropFiles(HDROP drop);
  afx_msg void OnClose();

  DECLARE_MESSAGE_MAP()

 private:
  struct CurrentMessage {
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
  };
  CurrentMessage current_;
};

// The window procedures of the framework's classes (dialog, Button, Edit, Static, progress bar,
// tab control): what a message does when no handler of the object takes it.
LRESULT DefaultWindowProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// Win32-style calls on handles. SendMessage runs on the UI thread and waits; PostMessage queues.
LRESULT SendMessage(HWND hwnd, UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
BOOL PostMessage(HWND hwnd, UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
BOOL IsWindow(HWND hwnd);

namespace platform::dialog {

// UI thread: hands a message to a window's object (through its message map) or its class
// procedure. A CException that escapes a handler is caught here and reported in a message box.
LRESULT DeliverMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace platform::dialog
