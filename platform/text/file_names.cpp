#include "platform/text/file_names.h"

#include <cstddef>
#include <cstdint>

#include "platform/text/code_page.h"

namespace platform {
namespace {

constexpr char32_t kEscapeBase = 0xDC00;     // + the byte, for a byte of no valid sequence
constexpr char32_t kEscapeFirst = 0xDC80;
constexpr char32_t kEscapeLast = 0xDCFF;
constexpr char32_t kSurrogateFirst = 0xD800;
constexpr char32_t kSurrogateLast = 0xDFFF;
constexpr char32_t kLastCodePoint = 0x10FFFF;

bool IsEscape(wchar_t c) {
  const auto code = static_cast<std::uint32_t>(c);
  return code >= kEscapeFirst && code <= kEscapeLast;
}

// The code point of the valid UTF-8 sequence at the start of bytes and its length; 0 when the
// first byte starts none: no overlong forms, no surrogates, nothing beyond U+10FFFF.
std::size_t DecodeOne(std::string_view bytes, char32_t* code) {
  const auto lead = static_cast<unsigned char>(bytes[0]);
  std::size_t length = 0;
  char32_t least = 0;
  if (lead < 0x80) {
    *code = lead;
    return 1;
  } else if ((lead & 0xE0) == 0xC0) {
    length = 2;
    least = 0x80;
    *code = lead & 0x1F;
  } else if ((lead & 0xF0) == 0xE0) {
    length = 3;
    least = 0x800;
    *code = lead & 0x0F;
  } else if ((lead & 0xF8) == 0xF0) {
    length = 4;
    least = 0x10000;
    *code = lead & 0x07;
  } else {
    return 0;
  }
  if (bytes.size() < length) return 0;
  for (std::size_t i = 1; i < length; ++i) {
    const auto next = static_cast<unsigned char>(bytes[i]);
    if ((next & 0xC0) != 0x80) return 0;
    *code = (*code << 6) | (next & 0x3F);
  }
  if (*code < least || *code > kLastCodePoint || (*code >= kSurrogateFirst && *code <= kSurrogateLast)) return 0;
  return length;
}

}  // namespace

std::wstring WideFromFileName(std::string_view bytes) {
  std::wstring out;
  out.reserve(bytes.size());
  while (!bytes.empty()) {
    char32_t code = 0;
    std::size_t used = DecodeOne(bytes, &code);
    if (used == 0) {
      code = kEscapeBase + static_cast<unsigned char>(bytes[0]);
      used = 1;
    }
    out += static_cast<wchar_t>(code);
    bytes.remove_prefix(used);
  }
  return out;
}

std::string FileNameFromWide(std::wstring_view text) {
  std::string out;
  out.reserve(text.size());
  while (!text.empty()) {
    // A stretch of ordinary characters is plain UTF-8; an escape is its byte.
    std::size_t plain = 0;
    while (plain < text.size() && !IsEscape(text[plain])) ++plain;
    out += Utf8FromWide(text.substr(0, plain));
    text.remove_prefix(plain);
    if (!text.empty()) {
      out += static_cast<char>(static_cast<std::uint32_t>(text.front()) - kEscapeBase);
      text.remove_prefix(1);
    }
  }
  return out;
}

}  // namespace platform
