#include <gtest/gtest.h>

#include "platform/dialog/afxwin.h"
#include "probe_dialog.h"

namespace {

TEST(CStringTest, LoadStringFillsOrEmpties) {
  probe::RegisterProbeResources();
  CString text(L"previous");
  EXPECT_TRUE(text.LoadString(probe::kStatusString));
  EXPECT_EQ(text, L"Ready");
  EXPECT_FALSE(text.LoadString(65000));
  EXPECT_TRUE(text.IsEmpty());
  EXPECT_EQ(text.GetLength(), 0);
}

TEST(CStringTest, BuildingAndReading) {
  CString name;
  name += L"ABCD";
  name += L'-';
  name += 'V';                    // a code-page byte
  name += static_cast<char>(0xE9);  // stays one character, U+00E9
  name += CString("01");
  EXPECT_EQ(name, L"ABCD-V\u00E901");
  EXPECT_EQ(name.GetLength(), 9);
  EXPECT_EQ(name.GetAt(4), L'-');
  EXPECT_EQ(name.GetAt(99), L'\0');  // out of range reads as NUL, never past the end
  EXPECT_EQ(name.GetAt(-1), L'\0');
  EXPECT_EQ(std::wstring(static_cast<const wchar_t*>(name)), L"ABCD-V\u00E901");
  EXPECT_EQ(name.Left(4), L"ABCD");
  EXPECT_EQ(name.Mid(5, 1), L"V");
  EXPECT_EQ(name.Right(2), L"01");
  EXPECT_EQ(name.Find(L'-'), 4);
  EXPECT_EQ(name.ReverseFind(L'Z'), -1);
  EXPECT_EQ(CString(L"m40t").CompareNoCase(L"M40T"), 0);
  EXPECT_LT(CString(L"a"), CString(L"b"));
  EXPECT_NE(CString(L"a"), CString(L"A"));

  CString formatted;
  formatted.Format(L"%ls: %d%%", L"Block", 42);
  EXPECT_EQ(formatted, L"Block: 42%");

  CString buffer;
  wchar_t* raw = buffer.GetBuffer(10);
  raw[0] = L'x';
  raw[1] = L'y';
  raw[2] = L'\0';
  buffer.ReleaseBuffer();
  EXPECT_EQ(buffer, L"xy");
}

}  // namespace
