#pragma once
// Opaque handles of the window system. Each is a distinct pointer type so that a window handle
// cannot be passed where an icon is expected; the values are issued by the framework and never
// dereferenced by callers.
#include <cstdint>

#include "platform/win32/types.h"

struct HWND__;
struct HICON__;
struct HDROP__;
struct HDC__;
struct HMENU__;
struct HINSTANCE__;
using HWND = HWND__*;
using HICON = HICON__*;
using HCURSOR = HICON__*;  // a cursor is an icon here, as WM_QUERYDRAGICON returns the icon
using HDROP = HDROP__*;
using HDC = HDC__*;
using HMENU = HMENU__*;
using HINSTANCE = HINSTANCE__*;

using TCHAR = wchar_t;
using LPTSTR = wchar_t*;
using LPCTSTR = const wchar_t*;
using LPWSTR = wchar_t*;
using LPCWSTR = const wchar_t*;
using LPSTR = char*;
using LPCSTR = const char*;

#ifndef _T
#define _T(text) L##text
#endif
#ifndef TEXT
#define TEXT(text) L##text
#endif

namespace platform::dialog {

// Window handles are small serial numbers; 0 is no window. They are never reused.
inline HWND HandleFromSerial(std::uintptr_t serial) { return reinterpret_cast<HWND>(serial); }
inline std::uintptr_t SerialFromHandle(HWND hwnd) { return reinterpret_cast<std::uintptr_t>(hwnd); }

}  // namespace platform::dialog
