#include "platform/dialog/dialog_test_driver.h"

#include <algorithm>

namespace platform::dialog {

DialogTestDriver::DialogTestDriver() { SetView(this); }

DialogTestDriver::~DialogTestDriver() { SetView(nullptr); }

void DialogTestDriver::Changed() {
  { std::lock_guard lock(mutex_); }  // orders the notify after a waiter's predicate check
  changed_.notify_all();
}

void DialogTestDriver::OnWindowChanged(HWND, WindowChange) { Changed(); }

bool DialogTestDriver::WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout) {
  constexpr std::chrono::milliseconds kRecheck{10};
  auto deadline = std::chrono::steady_clock::now() + timeout;
  std::unique_lock lock(mutex_);
  for (;;) {
    lock.unlock();
    bool met = condition();
    lock.lock();
    if (met) return true;
    if (std::chrono::steady_clock::now() >= deadline) return false;
    changed_.wait_for(lock, kRecheck);
  }
}

HWND DialogTestDriver::WaitForDialog(WORD template_id, std::chrono::milliseconds timeout) {
  HWND found = nullptr;
  WaitUntil([&] {
    for (const auto& window : WindowModel::Get().SnapshotAll()) {
      if (window.template_id == template_id && window.modal_loop_running) found = window.hwnd;
    }
    return found != nullptr;
  }, timeout);
  return found;
}

bool DialogTestDriver::WaitForDialogEnd(HWND dialog, std::chrono::milliseconds timeout) {
  return WaitUntil([&] { return !WindowModel::Get().Exists(dialog); }, timeout);
}

std::optional<WindowSnapshot> DialogTestDriver::Window(HWND hwnd) const { return WindowModel::Get().Snapshot(hwnd); }

std::optional<WindowSnapshot> DialogTestDriver::Control(HWND dialog, int id) const {
  HWND control = WindowModel::Get().ChildById(dialog, id);
  return control ? WindowModel::Get().Snapshot(control) : std::nullopt;
}

std::vector<WindowSnapshot> DialogTestDriver::Controls(HWND dialog) const {
  std::vector<WindowSnapshot> controls;
  for (HWND child : WindowModel::Get().Children(dialog)) {
    if (auto snapshot = WindowModel::Get().Snapshot(child)) controls.push_back(*snapshot);
  }
  return controls;
}

bool DialogTestDriver::WaitIdle(std::chrono::milliseconds timeout) {
  // An empty input runs only when the UI thread serves its queues again.
  if (!UiDispatcher::Get().HasUiThread()) return true;
  return UiDispatcher::Get().PostInput([] {})->WaitSettled(timeout);
}

bool DialogTestDriver::Settle(const Ticket& ticket) { return ticket->WaitSettled(kTimeout); }

bool DialogTestDriver::Click(HWND dialog, int id) { return Settle(ClickButton(dialog, id)); }
bool DialogTestDriver::SelectTab(HWND dialog, int tab_control_id, int index) {
  return Settle(platform::dialog::SelectTab(dialog, tab_control_id, index));
}
bool DialogTestDriver::PressEnter(HWND dialog, int focused_id) {
  return Settle(platform::dialog::PressEnter(dialog, focused_id));
}
bool DialogTestDriver::PressEscape(HWND dialog) { return Settle(platform::dialog::PressEscape(dialog)); }
bool DialogTestDriver::PressCloseBox(HWND dialog) { return Settle(platform::dialog::PressCloseBox(dialog)); }
bool DialogTestDriver::ChooseSystemMenuItem(HWND dialog, UINT id) {
  return Settle(platform::dialog::ChooseSystemMenuItem(dialog, id));
}
bool DialogTestDriver::DropFiles(HWND window, std::vector<std::wstring> paths) {
  return Settle(platform::dialog::DropFiles(window, std::move(paths)));
}
bool DialogTestDriver::Paint(HWND window) { return Settle(PaintWindow(window)); }
bool DialogTestDriver::SetMinimized(HWND window, bool minimized) {
  return Settle(platform::dialog::SetMinimized(window, minimized));
}

int DialogTestDriver::RunMessageBox(const MessageBoxRequest& request, Pump& pump) {
  auto pending = std::make_shared<PendingBox>();
  pending->box = {request, std::this_thread::get_id()};
  std::function<int(const MessageBoxRequest&)> script;
  {
    std::lock_guard lock(mutex_);
    box_history_.push_back(pending->box);
    script = box_script_;
    if (!script) pending_boxes_.push_back(pending);
  }
  changed_.notify_all();
  if (script) return script(request);
  pump.WaitUntil([&] {
    std::lock_guard lock(mutex_);
    return pending->answer.has_value();
  });
  {
    std::lock_guard lock(mutex_);
    std::erase(pending_boxes_, pending);
  }
  changed_.notify_all();
  return *pending->answer;
}

std::optional<DialogTestDriver::ShownMessageBox> DialogTestDriver::WaitForMessageBox(std::chrono::milliseconds timeout) {
  std::unique_lock lock(mutex_);
  auto open = [&] {
    return std::any_of(pending_boxes_.begin(), pending_boxes_.end(), [](auto& p) { return !p->answer; });
  };
  if (!changed_.wait_for(lock, timeout, open)) return std::nullopt;
  for (auto it = pending_boxes_.rbegin(); it != pending_boxes_.rend(); ++it) {
    if (!(*it)->answer) return (*it)->box;
  }
  return std::nullopt;
}

void DialogTestDriver::AnswerMessageBox(int button) {
  {
    std::lock_guard lock(mutex_);
    for (auto it = pending_boxes_.rbegin(); it != pending_boxes_.rend(); ++it) {
      if (!(*it)->answer) {
        (*it)->answer = button;
        break;
      }
    }
  }
  Pump::Wake();
  changed_.notify_all();
  WaitIdle();
}

std::vector<DialogTestDriver::ShownMessageBox> DialogTestDriver::MessageBoxHistory() const {
  std::lock_guard lock(mutex_);
  return box_history_;
}

void DialogTestDriver::SetMessageBoxScript(std::function<int(const MessageBoxRequest&)> script) {
  std::lock_guard lock(mutex_);
  box_script_ = std::move(script);
}

std::optional<std::wstring> DialogTestDriver::RunFileDialog(const FileDialogRequest& request, Pump& pump) {
  auto pending = std::make_shared<PendingFileDialog>();
  pending->request = request;
  std::function<std::optional<std::wstring>(const FileDialogRequest&)> script;
  {
    std::lock_guard lock(mutex_);
    file_dialog_history_.push_back(request);
    script = file_dialog_script_;
    if (!script) pending_file_dialogs_.push_back(pending);
  }
  changed_.notify_all();
  if (script) return script(request);
  pump.WaitUntil([&] {
    std::lock_guard lock(mutex_);
    return pending->answered;
  });
  {
    std::lock_guard lock(mutex_);
    std::erase(pending_file_dialogs_, pending);
  }
  changed_.notify_all();
  return pending->path;
}

std::optional<FileDialogRequest> DialogTestDriver::WaitForFileDialog(std::chrono::milliseconds timeout) {
  std::unique_lock lock(mutex_);
  auto open = [&] {
    return std::any_of(pending_file_dialogs_.begin(), pending_file_dialogs_.end(),
                       [](auto& p) { return !p->answered; });
  };
  if (!changed_.wait_for(lock, timeout, open)) return std::nullopt;
  for (auto it = pending_file_dialogs_.rbegin(); it != pending_file_dialogs_.rend(); ++it) {
    if (!(*it)->answered) return (*it)->request;
  }
  return std::nullopt;
}

void DialogTestDriver::AnswerFileDialog(const std::wstring& path) {
  {
    std::lock_guard lock(mutex_);
    for (auto it = pending_file_dialogs_.rbegin(); it != pending_file_dialogs_.rend(); ++it) {
      if (!(*it)->answered) {
        (*it)->answered = true;
        (*it)->path = path;
        break;
      }
    }
  }
  Pump::Wake();
  changed_.notify_all();
  WaitIdle();
}

void DialogTestDriver::CancelFileDialog() {
  {
    std::lock_guard lock(mutex_);
    for (auto it = pending_file_dialogs_.rbegin(); it != pending_file_dialogs_.rend(); ++it) {
      if (!(*it)->answered) {
        (*it)->answered = true;
        break;
      }
    }
  }
  Pump::Wake();
  changed_.notify_all();
  WaitIdle();
}

std::vector<FileDialogRequest> DialogTestDriver::FileDialogHistory() const {
  std::lock_guard lock(mutex_);
  return file_dialog_history_;
}

void DialogTestDriver::SetFileDialogScript(
    std::function<std::optional<std::wstring>(const FileDialogRequest&)> script) {
  std::lock_guard lock(mutex_);
  file_dialog_script_ = std::move(script);
}

}  // namespace platform::dialog
