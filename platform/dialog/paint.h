#pragma once
// Painting and icons. Painting is recorded in the model (WindowSnapshot::paints) so that what a
// handler drew can be checked.
#include "platform/dialog/cwnd.h"

// The pixel size of a system metric (SM_CXICON, SM_CYICON: 32).
int GetSystemMetrics(int index);

// Icons are found in the resource module by id; LoadIcon gives null for an unknown id.
#define MAKEINTRESOURCE(id) (reinterpret_cast<LPCWSTR>(static_cast<std::uintptr_t>(static_cast<WORD>(id))))
HICON LoadIconW(HINSTANCE instance, LPCWSTR name);
inline HICON LoadIcon(HINSTANCE instance, LPCWSTR name) { return LoadIconW(instance, name); }
HINSTANCE AfxGetInstanceHandle();
HINSTANCE AfxGetResourceHandle();

namespace platform::dialog {
HICON IconHandleForId(WORD id);
WORD IconIdForHandle(HICON icon);  // 0 for a handle that names no icon
}  // namespace platform::dialog

BOOL DrawIcon(HDC dc, int x, int y, HICON icon);

class CDC {
 public:
  HDC m_hDC = nullptr;
  BOOL DrawIcon(int x, int y, HICON icon) { return ::DrawIcon(m_hDC, x, y, icon); }
  HDC GetSafeHdc() const { return m_hDC; }
  operator HDC() const { return m_hDC; }  // NOLINT: as in the class library
};

// The paint context of a window for one WM_PAINT.
class CPaintDC : public CDC {
 public:
  explicit CPaintDC(CWnd* window);
  ~CPaintDC();
  CPaintDC(const CPaintDC&) = delete;
  CPaintDC& operator=(const CPaintDC&) = delete;
};
