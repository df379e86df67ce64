// Code-page text: the system code page is ISO 8859-1; conversions to a fixed buffer behave as on
// Windows so callers can detect a name that does not fit.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/text/code_page.h"

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
