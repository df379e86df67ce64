#pragma once
// The view interface: how a presentation (the headless test driver, a GTK window) observes the
// model and feeds user input into it.
//
// Learning of changes. The model (window_model.h) holds every window's state. After each change
// the framework calls View::OnWindowChanged on the thread that made the change, which is the UI
// thread except while no thread owns the user interface. A view either redraws from
// WindowModel::Get().Snapshot(hwnd) there or takes snapshots whenever it likes (they are safe
// from any thread).
//
// Injecting input. The functions of user_input.h (ClickButton, SelectTab, PressEnter,
// PressEscape, PressCloseBox, ChooseSystemMenuItem, DropFiles, PaintWindow, SetMinimized) may be
// called from any thread; they queue the input for the UI thread and return a ticket that settles
// once the input has been handled or has opened a modal box. Input to a hidden or disabled
// control, or to a dialog disabled by a box or a nested dialog, is dropped as a real window
// system would.
//
// Modal waits. Every modal wait happens on the UI thread through the view:
//   - RunModalLoop for a modal dialog (the main dialog, the About box): it must return once
//     ended() holds;
//   - RunMessageBox for a message box: the answer is the button id (IDOK...);
//   - RunFileDialog for an open/save dialog: the chosen path, or nothing for cancel.
// While it waits the view must keep the framework's queues served through the Pump it is given:
// either Pump::WaitUntil (the framework's own wait, used by the headless driver), or, for a view
// with its own event loop, calling Pump::Serve each time round that loop and blocking on its own
// events only while Serve returns false; the work-pending hook (UiDispatcher::SetWorkPendingHook,
// run on any thread, must only wake the loop) wakes it for new work. Sends from workers are
// carried out inside these waits, so a worker never stalls on an open box, and a wait ends only
// once the sends pending at its end are served.
//
// Headless testing: dialog_test_driver.h is this interface's headless implementation; its
// WaitIdle (and every answer to a box) returns once the UI thread is back in a wait, which is the
// moment a test may read what a handler did.
//
// Geometry. Template rects are dialog units (WindowSnapshot::rect); DialogUnitsToPixels converts
// them with the base units of the templates' font (MS Shell Dlg 8 pt): 6 x 13 pixels.
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/dialog/handles.h"
#include "platform/dialog/window_model.h"

namespace platform::dialog {

constexpr int kDialogBaseUnitX = 6;   // pixels per 4 horizontal dialog units
constexpr int kDialogBaseUnitY = 13;  // pixels per 8 vertical dialog units

struct PixelRect {
  int left = 0, top = 0, right = 0, bottom = 0;
};
PixelRect DialogUnitsToPixels(const DialogUnitRect& rect);

struct MessageBoxRequest {
  std::wstring text{};
  std::wstring caption{};
  UINT type = 0;                  // MB_OK | MB_ICONEXCLAMATION ...
  HWND owner = nullptr;           // disabled while the box is open
  std::thread::id asking_thread{};  // the thread that asked for the box
};

struct FileDialogFilter {
  std::wstring description{};
  std::wstring pattern{};
  friend bool operator==(const FileDialogFilter&, const FileDialogFilter&) = default;
};

struct FileDialogRequest {
  bool open = true;               // open, or save
  std::wstring default_extension{};
  std::wstring initial_file_name{};
  DWORD flags = 0;                // OFN_...
  std::wstring filter{};            // as given: "desc|pattern|desc|pattern|...|"
  std::vector<FileDialogFilter> filters{};  // the same, split
  HWND owner = nullptr;
};

// Serves the framework's queues during a view's modal wait. Only valid on the UI thread during
// the call it was handed to.
class Pump {
 public:
  // Waits, serving queued work, until done() holds. done() runs under the dispatcher's lock: it
  // may read the view's own state (under the view's lock), and whoever changes that state calls
  // Wake() afterwards.
  void WaitUntil(const std::function<bool()>& done);
  // Serves the queued work without waiting: true once done() holds (the wait may end), false when
  // nothing is queued and it does not hold (the view's loop may block on its events). done() as
  // for WaitUntil.
  bool Serve(const std::function<bool()>& done);
  // Any thread: re-evaluate WaitUntil's condition.
  static void Wake();
};

class View {
 public:
  virtual ~View() = default;
  virtual void OnWindowChanged(HWND hwnd, WindowChange change) {
    (void)hwnd;
    (void)change;
  }
  virtual void RunModalLoop(HWND dialog, Pump& pump, const std::function<bool()>& ended) {
    (void)dialog;
    pump.WaitUntil(ended);
  }
  virtual int RunMessageBox(const MessageBoxRequest& request, Pump& pump) = 0;
  virtual std::optional<std::wstring> RunFileDialog(const FileDialogRequest& request,
                                                    Pump& pump) = 0;
};

// The view in force. Without one, a built-in view answers every box with its first button and
// cancels every file dialog.
void SetView(View* view);
View& CurrentView();

}  // namespace platform::dialog
