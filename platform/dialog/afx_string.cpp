#include "platform/dialog/afx_string.h"

#include <algorithm>
#include <cstdarg>
#include <cwchar>
#include <cwctype>
#include <vector>

#include "platform/dialog/resource_module.h"
#include "platform/text/code_page.h"

CString::CString(const char* text) : text_(text ? platform::WideFromCodePage(text) : L"") {}

BOOL CString::LoadString(UINT id) {
  const wchar_t* found = platform::dialog::ResourceModule::Get().FindString(id);
  if (found == nullptr) {
    text_.clear();
    return FALSE;
  }
  text_ = found;
  return TRUE;
}

wchar_t CString::GetAt(int index) const {
  if (index < 0 || index >= GetLength()) return L'\0';
  return text_[static_cast<size_t>(index)];
}

void CString::SetAt(int index, wchar_t ch) {
  if (index >= 0 && index < GetLength()) text_[static_cast<size_t>(index)] = ch;
}

int CString::CompareNoCase(const wchar_t* other) const {
  std::wstring a = text_;
  std::wstring b = other ? other : L"";
  for (auto& c : a) c = static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c)));
  for (auto& c : b) c = static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c)));
  return a.compare(b);
}

int CString::Find(wchar_t ch, int start) const {
  if (start < 0 || start > GetLength()) return -1;
  auto pos = text_.find(ch, static_cast<size_t>(start));
  return pos == std::wstring::npos ? -1 : static_cast<int>(pos);
}

int CString::Find(const wchar_t* sub, int start) const {
  if (sub == nullptr || start < 0 || start > GetLength()) return -1;
  auto pos = text_.find(sub, static_cast<size_t>(start));
  return pos == std::wstring::npos ? -1 : static_cast<int>(pos);
}

int CString::ReverseFind(wchar_t ch) const {
  auto pos = text_.rfind(ch);
  return pos == std::wstring::npos ? -1 : static_cast<int>(pos);
}

CString CString::Left(int count) const {
  count = std::clamp(count, 0, GetLength());
  return CString(text_.substr(0, static_cast<size_t>(count)));
}

CString CString::Mid(int first) const { return Mid(first, GetLength()); }

CString CString::Mid(int first, int count) const {
  first = std::clamp(first, 0, GetLength());
  count = std::clamp(count, 0, GetLength() - first);
  return CString(text_.substr(static_cast<size_t>(first), static_cast<size_t>(count)));
}

CString CString::Right(int count) const {
  count = std::clamp(count, 0, GetLength());
  return CString(text_.substr(text_.size() - static_cast<size_t>(count)));
}

CString& CString::MakeUpper() {
  for (auto& c : text_) c = static_cast<wchar_t>(std::towupper(static_cast<wint_t>(c)));
  return *this;
}

CString& CString::MakeLower() {
  for (auto& c : text_) c = static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c)));
  return *this;
}

CString& CString::Trim() {
  auto is_space = [](wchar_t c) { return std::iswspace(static_cast<wint_t>(c)) != 0; };
  auto first = std::find_if_not(text_.begin(), text_.end(), is_space);
  auto last = std::find_if_not(text_.rbegin(), text_.rend(), is_space).base();
  text_ = first < last ? std::wstring(first, last) : std::wstring();
  return *this;
}

void CString::Format(const wchar_t* format, ...) {
  // Grow until the text fits: vswprintf reports overflow only as a negative result.
  std::vector<wchar_t> buffer(256);
  for (;;) {
    va_list args;
    va_start(args, format);
    int written = std::vswprintf(buffer.data(), buffer.size(), format, args);
    va_end(args);
    if (written >= 0 && static_cast<size_t>(written) < buffer.size()) {
      text_.assign(buffer.data(), static_cast<size_t>(written));
      return;
    }
    if (buffer.size() > (1u << 20)) {  // a format that never fits: keep what is there
      text_.clear();
      return;
    }
    buffer.resize(buffer.size() * 2);
  }
}

wchar_t* CString::GetBuffer(int minLength) {
  if (minLength > GetLength()) text_.resize(static_cast<size_t>(minLength));
  return text_.data();
}

void CString::ReleaseBuffer(int newLength) {
  if (newLength < 0) {
    text_.resize(std::wcslen(text_.c_str()));
  } else {
    text_.resize(static_cast<size_t>(std::min(newLength, GetLength())));
  }
}
