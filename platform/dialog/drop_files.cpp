#include "platform/dialog/drop_files.h"

#include <algorithm>
#include <cwchar>
#include <map>
#include <mutex>

namespace {
std::mutex drops_mutex;
std::map<HDROP, std::vector<std::wstring>> live_drops;
std::uintptr_t next_drop = 1;
}  // namespace

namespace platform::dialog {

HDROP CreateDrop(std::vector<std::wstring> paths) {
  std::lock_guard lock(drops_mutex);
  auto drop = reinterpret_cast<HDROP>(next_drop++);
  live_drops[drop] = std::move(paths);
  return drop;
}

std::size_t LiveDropCount() {
  std::lock_guard lock(drops_mutex);
  return live_drops.size();
}

}  // namespace platform::dialog

UINT DragQueryFileW(HDROP drop, UINT index, LPWSTR buffer, UINT size) {
  std::lock_guard lock(drops_mutex);
  auto it = live_drops.find(drop);
  if (it == live_drops.end()) return 0;
  const auto& paths = it->second;
  if (index == kDragQueryCount) return static_cast<UINT>(paths.size());
  if (index >= paths.size()) return 0;
  const std::wstring& name = paths[index];
  if (buffer == nullptr) return static_cast<UINT>(name.size());
  if (size == 0) return 0;
  size_t count = std::min(name.size(), static_cast<size_t>(size) - 1);
  std::wmemcpy(buffer, name.c_str(), count);
  buffer[count] = L'\0';
  return static_cast<UINT>(count);
}

void DragFinish(HDROP drop) {
  std::lock_guard lock(drops_mutex);
  live_drops.erase(drop);
}
