#include "platform/text/code_page.h"

#include <cstring>
#include <cwchar>

namespace platform {
namespace {

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

}  // namespace

std::wstring WideFromCodePage(std::string_view bytes) {
  std::wstring out;
  out.reserve(bytes.size());
  for (char b : bytes) out += static_cast<wchar_t>(static_cast<unsigned char>(b));
  return out;
}

std::string CodePageFromWide(std::wstring_view text) {
  std::string out;
  out.reserve(text.size());
  for (wchar_t c : text) {
    auto code = static_cast<std::uint32_t>(c);
    out += code <= 0xFF ? static_cast<char>(code) : '?';
  }
  return out;
}

std::string Utf8FromWide(std::wstring_view text) {
  std::string out;
  for (wchar_t c : text) {
    auto code = static_cast<char32_t>(c);
    if (code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) code = 0xFFFD;
    AppendUtf8(out, code);
  }
  return out;
}

std::wstring WideFromUtf8(std::string_view utf8) {
  std::wstring out;
  std::size_t i = 0;
  while (i < utf8.size()) {
    auto lead = static_cast<unsigned char>(utf8[i]);
    int extra = lead < 0x80 ? 0 : (lead >> 5) == 0x6 ? 1 : (lead >> 4) == 0xE ? 2 : (lead >> 3) == 0x1E ? 3 : -1;
    char32_t code = extra <= 0 ? lead : lead & (0x3F >> extra);
    // A truncated or malformed sequence becomes one replacement character.
    bool bad = extra < 0 || i + static_cast<std::size_t>(extra) >= utf8.size();
    for (int k = 1; !bad && k <= extra; ++k) {
      auto next = static_cast<unsigned char>(utf8[i + static_cast<std::size_t>(k)]);
      if ((next & 0xC0) != 0x80) bad = true;
      code = (code << 6) | (next & 0x3F);
    }
    if (bad) {
      out += L'\uFFFD';
      ++i;
      continue;
    }
    out += static_cast<wchar_t>(code);
    i += static_cast<std::size_t>(extra) + 1;
  }
  return out;
}

}  // namespace platform

int WideCharToMultiByte(UINT codePage, DWORD, const wchar_t* wide, int cchWideChar, char* multiByte,
                        int cbMultiByte, const char* defaultChar, BOOL* usedDefaultChar) {
  if (wide == nullptr || cbMultiByte < 0) return 0;
  std::size_t count = cchWideChar < 0 ? std::wcslen(wide) + 1 : static_cast<std::size_t>(cchWideChar);
  std::wstring_view source(wide, count);
  std::string converted;
  if (codePage == CP_UTF8) {
    converted = platform::Utf8FromWide(source);
  } else {
    converted.reserve(count);
    char fallback = defaultChar != nullptr ? *defaultChar : '?';
    for (wchar_t c : source) {
      auto code = static_cast<std::uint32_t>(c);
      if (code > 0xFF) {
        converted += fallback;
        if (usedDefaultChar != nullptr) *usedDefaultChar = TRUE;
      } else {
        converted += static_cast<char>(code);
      }
    }
  }
  if (cbMultiByte == 0) return static_cast<int>(converted.size());
  if (multiByte == nullptr) return 0;
  if (converted.size() > static_cast<std::size_t>(cbMultiByte)) {
    std::memcpy(multiByte, converted.data(), static_cast<std::size_t>(cbMultiByte));
    return 0;
  }
  std::memcpy(multiByte, converted.data(), converted.size());
  return static_cast<int>(converted.size());
}

int MultiByteToWideChar(UINT codePage, DWORD, const char* multiByte, int cbMultiByte, wchar_t* wide,
                        int cchWideChar) {
  if (multiByte == nullptr || cchWideChar < 0) return 0;
  std::size_t count = cbMultiByte < 0 ? std::strlen(multiByte) + 1 : static_cast<std::size_t>(cbMultiByte);
  std::string_view source(multiByte, count);
  std::wstring converted = codePage == CP_UTF8 ? platform::WideFromUtf8(source) : platform::WideFromCodePage(source);
  if (cchWideChar == 0) return static_cast<int>(converted.size());
  if (wide == nullptr) return 0;
  if (converted.size() > static_cast<std::size_t>(cchWideChar)) {
    std::wmemcpy(wide, converted.data(), static_cast<std::size_t>(cchWideChar));
    return 0;
  }
  std::wmemcpy(wide, converted.data(), converted.size());
  return static_cast<int>(converted.size());
}
