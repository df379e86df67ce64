#pragma once
// The headless view: lets a test drive dialogs whose modal loop runs on another thread (or answer
// boxes by script on the UI thread), and read every window's state.
//
//   DialogTestDriver driver;                      // installs itself as the view
//   std::thread ui([&] { result = dialog.DoModal(); });
//   HWND hwnd = driver.WaitForDialog(IDD_MAIN_DIALOG);
//   driver.Click(hwnd, IDC_GO);                   // returns once handled (or a box opened)
//   auto box = driver.WaitForMessageBox();        // text, caption, type of the open box
//   driver.AnswerMessageBox(IDOK);
//   driver.PressEscape(hwnd);
//   ui.join();
//
// Every wait has a timeout (kTimeout by default) so that a fault fails the test instead of
// hanging it.
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/dialog/user_input.h"
#include "platform/dialog/view.h"

namespace platform::dialog {

class DialogTestDriver : public View {
 public:
  static constexpr std::chrono::milliseconds kTimeout{10000};

  struct ShownMessageBox {
    MessageBoxRequest request;
    std::thread::id shown_on;  // the UI thread that ran the box
  };

  DialogTestDriver();
  ~DialogTestDriver() override;
  DialogTestDriver(const DialogTestDriver&) = delete;
  DialogTestDriver& operator=(const DialogTestDriver&) = delete;

  // Windows and state.
  // The dialog of this template once its modal loop serves; null on timeout.
  HWND WaitForDialog(WORD template_id, std::chrono::milliseconds timeout = kTimeout);
  // Until the dialog's window is gone.
  bool WaitForDialogEnd(HWND dialog, std::chrono::milliseconds timeout = kTimeout);
  std::optional<WindowSnapshot> Window(HWND hwnd) const;
  std::optional<WindowSnapshot> Control(HWND dialog, int id) const;
  std::vector<WindowSnapshot> Controls(HWND dialog) const;  // template order
  // Returns once the UI thread has finished what it was doing and served everything queued before
  // (it is back in a modal loop or a box's wait). True at once when no thread owns the UI.
  bool WaitIdle(std::chrono::milliseconds timeout = kTimeout);
  // Re-checks the condition at every model change and box, and every 10 ms.
  bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout = kTimeout);

  // Input; each returns true once the input settled (see user_input.h).
  bool Click(HWND dialog, int id);
  bool SelectTab(HWND dialog, int tab_control_id, int index);
  bool PressEnter(HWND dialog, int focused_id = 0);
  bool PressEscape(HWND dialog);
  bool PressCloseBox(HWND dialog);
  bool ChooseSystemMenuItem(HWND dialog, UINT id);
  bool DropFiles(HWND window, std::vector<std::wstring> paths);
  bool Paint(HWND window);
  bool SetMinimized(HWND window, bool minimized);

  // Message boxes. WaitForMessageBox gives the innermost unanswered box; AnswerMessageBox answers
  // it with a button id and returns once the UI thread is idle again (the code after the box has
  // run to its end, or to its next box). The file-dialog answers do the same.
  std::optional<ShownMessageBox> WaitForMessageBox(std::chrono::milliseconds timeout = kTimeout);
  void AnswerMessageBox(int button);
  std::vector<ShownMessageBox> MessageBoxHistory() const;  // every box shown, in order
  // Answer every box at once on the UI thread instead (null: wait for the test again).
  void SetMessageBoxScript(std::function<int(const MessageBoxRequest&)> script);

  // File dialogs, the same way: answer with a path or cancel.
  std::optional<FileDialogRequest> WaitForFileDialog(std::chrono::milliseconds timeout = kTimeout);
  void AnswerFileDialog(const std::wstring& path);
  void CancelFileDialog();
  std::vector<FileDialogRequest> FileDialogHistory() const;
  void SetFileDialogScript(std::function<std::optional<std::wstring>(const FileDialogRequest&)> script);

  // View.
  void OnWindowChanged(HWND hwnd, WindowChange change) override;
  int RunMessageBox(const MessageBoxRequest& request, Pump& pump) override;
  std::optional<std::wstring> RunFileDialog(const FileDialogRequest& request, Pump& pump) override;

 private:
  struct PendingBox {
    ShownMessageBox box;
    std::optional<int> answer;
  };
  struct PendingFileDialog {
    FileDialogRequest request;
    bool answered = false;
    std::optional<std::wstring> path;
  };
  bool Settle(const Ticket& ticket);
  void Changed();

  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<std::shared_ptr<PendingBox>> pending_boxes_;
  std::vector<ShownMessageBox> box_history_;
  std::function<int(const MessageBoxRequest&)> box_script_;
  std::vector<std::shared_ptr<PendingFileDialog>> pending_file_dialogs_;
  std::vector<FileDialogRequest> file_dialog_history_;
  std::function<std::optional<std::wstring>(const FileDialogRequest&)> file_dialog_script_;
};

}  // namespace platform::dialog
