#pragma once
// CString: the class library's wide string, a thin wrapper of std::wstring. Narrow text given to
// it is taken in the system code page.
#include <compare>
#include <string>
#include <string_view>

#include "platform/dialog/handles.h"

class CString {
 public:
  CString() = default;
  CString(const wchar_t* text) : text_(text ? text : L"") {}  // NOLINT: implicit as in the library
  CString(const wchar_t* text, int length) : text_(text ? std::wstring(text, length) : L"") {}
  CString(const char* text);  // NOLINT: code-page text, implicit as in the library
  CString(wchar_t ch, int repeat = 1) : text_(repeat > 0 ? repeat : 0, ch) {}  // NOLINT
  CString(const std::wstring& text) : text_(text) {}  // NOLINT
  CString(std::wstring_view text) : text_(text) {}    // NOLINT

  // Loads a string-table entry from the resource module in the selected language. On failure the
  // string is left empty and FALSE is returned.
  BOOL LoadString(UINT id);

  int GetLength() const { return static_cast<int>(text_.size()); }
  bool IsEmpty() const { return text_.empty(); }
  void Empty() { text_.clear(); }
  // Out-of-range indexes give 0 instead of undefined behaviour.
  wchar_t GetAt(int index) const;
  void SetAt(int index, wchar_t ch);
  wchar_t operator[](int index) const { return GetAt(index); }
  const wchar_t* GetString() const { return text_.c_str(); }
  operator const wchar_t*() const { return text_.c_str(); }  // NOLINT: the library converts too
  const std::wstring& str() const { return text_; }

  CString& operator=(const wchar_t* text) { text_ = text ? text : L""; return *this; }
  CString& operator=(wchar_t ch) { text_.assign(1, ch); return *this; }
  CString& operator+=(const CString& more) { text_ += more.text_; return *this; }
  CString& operator+=(const wchar_t* more) { if (more) text_ += more; return *this; }
  CString& operator+=(wchar_t ch) { text_ += ch; return *this; }
  // A narrow character is one code-page byte.
  CString& operator+=(char ch) { text_ += static_cast<wchar_t>(static_cast<unsigned char>(ch)); return *this; }
  void AppendChar(wchar_t ch) { text_ += ch; }
  void Append(const wchar_t* more) { *this += more; }

  friend CString operator+(CString a, const CString& b) { return a += b; }
  friend CString operator+(CString a, const wchar_t* b) { return a += b; }
  friend CString operator+(const wchar_t* a, const CString& b) { return CString(a) += b; }
  friend CString operator+(CString a, wchar_t b) { return a += b; }

  friend bool operator==(const CString& a, const CString& b) { return a.text_ == b.text_; }
  friend bool operator==(const CString& a, const wchar_t* b) { return a.text_ == (b ? b : L""); }
  friend std::strong_ordering operator<=>(const CString& a, const CString& b) {
    return a.text_ <=> b.text_;
  }

  int Compare(const wchar_t* other) const { return text_.compare(other ? other : L""); }
  int CompareNoCase(const wchar_t* other) const;
  int Find(wchar_t ch, int start = 0) const;
  int Find(const wchar_t* sub, int start = 0) const;
  int ReverseFind(wchar_t ch) const;
  CString Left(int count) const;
  CString Mid(int first) const;
  CString Mid(int first, int count) const;
  CString Right(int count) const;
  CString& MakeUpper();
  CString& MakeLower();
  CString& Trim();
  // printf-style formatting with wide format strings (%s takes a wide string, as in the library).
  void Format(const wchar_t* format, ...);

  // Direct buffer access: GetBuffer gives room for at least minLength characters; ReleaseBuffer
  // takes the text up to its first NUL (length -1) or the given length.
  wchar_t* GetBuffer(int minLength = 0);
  void ReleaseBuffer(int newLength = -1);

 private:
  std::wstring text_;
};
