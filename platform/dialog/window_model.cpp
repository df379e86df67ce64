#include "platform/dialog/window_model.h"

#include <algorithm>

#include "platform/dialog/cwnd.h"
#include "platform/dialog/view.h"

namespace platform::dialog {

WindowModel& WindowModel::Get() {
  static WindowModel model;
  return model;
}

HWND WindowModel::Create(WindowSnapshot initial) {
  HWND hwnd;
  {
    std::lock_guard lock(mutex_);
    hwnd = HandleFromSerial(next_serial_++);
    initial.hwnd = hwnd;
    HWND parent = initial.parent;
    windows_[hwnd].state = std::move(initial);
    if (auto it = windows_.find(parent); parent != nullptr && it != windows_.end()) {
      it->second.children.push_back(hwnd);
    }
  }
  Notify(hwnd, WindowChange::kCreated);
  return hwnd;
}

void WindowModel::Destroy(HWND hwnd) {
  for (HWND child : Children(hwnd)) Destroy(child);
  std::unique_ptr<CWnd> temporary;
  CWnd* permanent = nullptr;
  {
    std::lock_guard lock(mutex_);
    auto it = windows_.find(hwnd);
    if (it == windows_.end()) return;
    temporary = std::move(it->second.temporary);
    permanent = it->second.permanent;
    if (auto parent = windows_.find(it->second.state.parent); parent != windows_.end()) {
      std::erase(parent->second.children, hwnd);
    }
    windows_.erase(it);
    std::erase(modal_stack_, hwnd);
  }
  // Objects outlive their windows; they only lose the handle.
  if (permanent != nullptr) permanent->m_hWnd = nullptr;
  if (temporary) temporary->m_hWnd = nullptr;
  Notify(hwnd, WindowChange::kDestroyed);
}

bool WindowModel::Exists(HWND hwnd) const {
  std::lock_guard lock(mutex_);
  return windows_.contains(hwnd);
}

std::optional<WindowSnapshot> WindowModel::Snapshot(HWND hwnd) const {
  std::lock_guard lock(mutex_);
  auto it = windows_.find(hwnd);
  if (it == windows_.end()) return std::nullopt;
  return it->second.state;
}

std::vector<WindowSnapshot> WindowModel::SnapshotAll() const {
  std::lock_guard lock(mutex_);
  std::vector<WindowSnapshot> all;
  for (const auto& [hwnd, entry] : windows_) all.push_back(entry.state);
  return all;
}

std::vector<HWND> WindowModel::Children(HWND parent) const {
  std::lock_guard lock(mutex_);
  auto it = windows_.find(parent);
  return it == windows_.end() ? std::vector<HWND>{} : it->second.children;
}

HWND WindowModel::ChildById(HWND parent, int id) const {
  std::lock_guard lock(mutex_);
  auto it = windows_.find(parent);
  if (it == windows_.end()) return nullptr;
  for (HWND child : it->second.children) {
    if (windows_.at(child).state.id == id) return child;
  }
  return nullptr;
}

bool WindowModel::IsVisibleWithParents(HWND hwnd) const {
  std::lock_guard lock(mutex_);
  for (auto it = windows_.find(hwnd); it != windows_.end(); it = windows_.find(it->second.state.parent)) {
    if (!it->second.state.visible) return false;
    if (it->second.state.parent == nullptr) return true;
  }
  return false;
}

bool WindowModel::IsEnabledWithParents(HWND hwnd) const {
  std::lock_guard lock(mutex_);
  for (auto it = windows_.find(hwnd); it != windows_.end(); it = windows_.find(it->second.state.parent)) {
    if (!it->second.state.enabled) return false;
    if (it->second.state.parent == nullptr) return true;
  }
  return false;
}

bool WindowModel::Update(HWND hwnd, const std::function<void(WindowSnapshot&)>& change) {
  {
    std::lock_guard lock(mutex_);
    auto it = windows_.find(hwnd);
    if (it == windows_.end()) return false;
    change(it->second.state);
  }
  Notify(hwnd, WindowChange::kChanged);
  return true;
}

bool WindowModel::Read(HWND hwnd, const std::function<void(const WindowSnapshot&)>& read) const {
  std::lock_guard lock(mutex_);
  auto it = windows_.find(hwnd);
  if (it == windows_.end()) return false;
  read(it->second.state);
  return true;
}

CWnd* WindowModel::PermanentObject(HWND hwnd) const {
  std::lock_guard lock(mutex_);
  auto it = windows_.find(hwnd);
  return it == windows_.end() ? nullptr : it->second.permanent;
}

void WindowModel::Attach(HWND hwnd, CWnd* object) {
  std::lock_guard lock(mutex_);
  if (auto it = windows_.find(hwnd); it != windows_.end()) it->second.permanent = object;
}

void WindowModel::Detach(HWND hwnd) {
  std::lock_guard lock(mutex_);
  if (auto it = windows_.find(hwnd); it != windows_.end()) it->second.permanent = nullptr;
}

CWnd* WindowModel::ObjectFor(HWND hwnd) {
  std::lock_guard lock(mutex_);
  auto it = windows_.find(hwnd);
  if (it == windows_.end()) return nullptr;
  Entry& entry = it->second;
  if (entry.permanent != nullptr) return entry.permanent;
  if (!entry.temporary) {
    entry.temporary = std::make_unique<CWnd>();
    entry.temporary->m_hWnd = hwnd;
  }
  return entry.temporary.get();
}

void WindowModel::PushModal(HWND hwnd) {
  std::lock_guard lock(mutex_);
  modal_stack_.push_back(hwnd);
}

void WindowModel::PopModal(HWND hwnd) {
  std::lock_guard lock(mutex_);
  std::erase(modal_stack_, hwnd);
}

HWND WindowModel::ActiveWindow() const {
  std::lock_guard lock(mutex_);
  return modal_stack_.empty() ? nullptr : modal_stack_.back();
}

void WindowModel::Notify(HWND hwnd, WindowChange change) { CurrentView().OnWindowChanged(hwnd, change); }

}  // namespace platform::dialog
