#pragma once
// Text conversions. The system's 8-bit code page on this platform is ISO 8859-1: every byte is
// one character and every conversion from bytes succeeds. Wide text is wchar_t; characters that
// the code page cannot hold become '?'.
#include <string>
#include <string_view>

#include "platform/win32/types.h"

namespace platform {

std::wstring WideFromCodePage(std::string_view bytes);
std::string CodePageFromWide(std::wstring_view text);
std::string Utf8FromWide(std::wstring_view text);
std::wstring WideFromUtf8(std::string_view utf8);

}  // namespace platform

// Code page identifiers the tool passes.
constexpr UINT CP_ACP = 0;
constexpr UINT CP_UTF8 = 65001;

// As on Windows: cchWideChar -1 means "NUL-terminated, count the terminator"; cbMultiByte 0 asks
// for the size needed. A buffer that is too small gets as much as fits and the call returns 0.
int WideCharToMultiByte(UINT codePage, DWORD flags, const wchar_t* wide, int cchWideChar,
                        char* multiByte, int cbMultiByte, const char* defaultChar,
                        BOOL* usedDefaultChar);
int MultiByteToWideChar(UINT codePage, DWORD flags, const char* multiByte, int cbMultiByte,
                        wchar_t* wide, int cchWideChar);
