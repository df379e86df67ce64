// Code-page text: the system code page is ISO 8859-1; conversions to a fixed buffer behave as on
// Windows so callers can detect a name that does not fit.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/text/code_page.h"
#include "platform/text/file_names.h"

namespace {

TEST(CodePage, EveryByteIsOneCharacter) {
  std::string bytes;
  for (int b = 1; b < 256; ++b) bytes += static_cast<char>(b);
  std::wstring wide = platform::WideFromCodePage(bytes);
  ASSERT_EQ(wide.size(), 255u);
  EXPECT_EQ(wide[0xE9 - 1], L'\u00E9');
  EXPECT_EQ(platform::CodePageFromWide(wide), bytes);
  EXPECT_EQ(platform::CodePageFromWide(L"\u70E7A"), "?A");
}

TEST(CodePage, Utf8RoundTripAndBadInput) {
  std::wstring text = L"\u70E7\u5F55\u6210\u529F\uFF01 ok";
  EXPECT_EQ(platform::WideFromUtf8(platform::Utf8FromWide(text)), text);
  EXPECT_EQ(platform::WideFromUtf8("a\xE7\x83"), L"a\uFFFD\uFFFD") << "a cut sequence";
  EXPECT_EQ(platform::WideFromUtf8("\xFF"), L"\uFFFD");
}

// Whatever bytes a file name holds come back unchanged from its wide form; valid UTF-8 reads as
// its characters, every byte of no valid sequence as one lone surrogate.
TEST(FileNames, AnyBytesRoundTripAndValidUtf8ReadsAsText) {
  struct Case {
    const char* name;
    std::string bytes;
    std::wstring wide;
  };
  const Case cases[] = {
      {"Latin-1 name", "caf\xE9.bin", L"caf\xDCE9.bin"},
      {"UTF-8 name", "caf\xC3\xA9 \xE7\x83\xA7.bin", L"caf\u00E9 \u70E7.bin"},
      {"four-byte character", "\xF0\x9F\x93\xB7", L"\U0001F4F7"},
      {"cut sequence", "a\xE7\x83", L"a\xDCE7\xDC83"},
      {"overlong slash", "\xC0\xAF", L"\xDCC0\xDCAF"},
      {"encoded surrogate", "\xED\xB2\x80", L"\xDCED\xDCB2\xDC80"},
      {"beyond U+10FFFF", "\xF4\x90\x80\x80", L"\xDCF4\xDC90\xDC80\xDC80"},
      {"stray continuation", "\x80x", L"\xDC80x"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(platform::WideFromFileName(c.bytes), c.wide);
    EXPECT_EQ(platform::FileNameFromWide(c.wide), c.bytes);
  }
  // Every one- and two-byte name.
  for (int first = 1; first < 256; ++first) {
    for (int second = 0; second < 256; ++second) {
      std::string bytes(1, static_cast<char>(first));
      if (second != 0) bytes += static_cast<char>(second);
      ASSERT_EQ(platform::FileNameFromWide(platform::WideFromFileName(bytes)), bytes) << first << " " << second;
    }
  }
  // Wide text that no name decodes to still gives some name.
  EXPECT_EQ(platform::FileNameFromWide(L"a\xD800" L"b"), "a\xEF\xBF\xBD" "b");
}

TEST(WideCharToMultiByte, CountsTheTerminatorAndReportsATooSmallBuffer) {
  char buffer[8];
  std::memset(buffer, 'x', sizeof buffer);
  EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, L"usb#1", -1, buffer, sizeof buffer, nullptr, nullptr), 6);
  EXPECT_STREQ(buffer, "usb#1");
  EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, L"usb#123456789", -1, nullptr, 0, nullptr, nullptr), 14);
  EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, L"usb#123456789", -1, buffer, sizeof buffer, nullptr, nullptr), 0);
  EXPECT_EQ(std::string(buffer, 8), "usb#1234") << "what fits is written, with no terminator";
}

}  // namespace
