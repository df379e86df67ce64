#pragma once
// Dropped files. A drop is a handle to a list of paths, delivered as WM_DROPFILES (wParam) to a
// window whose extended style has WS_EX_ACCEPTFILES; the receiver releases it with DragFinish.
#include <cstddef>
#include <string>
#include <vector>

#include "platform/dialog/handles.h"

constexpr UINT kDragQueryCount = 0xFFFFFFFF;

// As Win32: index 0xFFFFFFFF gives the number of files; a null buffer gives the length of the
// name (characters, no terminator); otherwise the name is copied, cut to size - 1 characters, and
// terminated, and the result is the number of characters copied. 0 for a bad handle or index.
UINT DragQueryFileW(HDROP drop, UINT index, LPWSTR buffer, UINT size);
inline UINT DragQueryFile(HDROP drop, UINT index, LPWSTR buffer, UINT size) {
  return DragQueryFileW(drop, index, buffer, size);
}
void DragFinish(HDROP drop);

namespace platform::dialog {
HDROP CreateDrop(std::vector<std::wstring> paths);
// Drops created and not yet finished.
std::size_t LiveDropCount();
}  // namespace platform::dialog
