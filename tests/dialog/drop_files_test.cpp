#include <gtest/gtest.h>

#include "probe_fixture.h"

namespace probe {
namespace {

struct QueryCase {
  const char* name;
  UINT index;
  bool with_buffer;
  UINT size;
  UINT expected_result;
  const wchar_t* expected_text;  // buffer contents, when a buffer is given
};

TEST(DragQueryFileTest, CountLengthAndCutNames) {
  const QueryCase kCases[] = {
      {"count", 0xFFFFFFFF, false, 0, 2, nullptr},
      {"count ignores the buffer", 0xFFFFFFFF, true, 10, 2, L"untouched"},
      {"length of the first", 0, false, 0, 12, nullptr},
      {"length of the second", 1, false, 0, 13, nullptr},
      {"whole name", 0, true, 100, 12, L"/a/first.bin"},
      {"exact fit", 0, true, 13, 12, L"/a/first.bin"},
      {"one short: cut to size - 1", 0, true, 12, 11, L"/a/first.bi"},
      {"tiny buffer", 1, true, 5, 4, L"/b/s"},
      {"room for the terminator only", 0, true, 1, 0, L""},
      {"no room at all", 0, true, 0, 0, L"untouched"},
      {"index past the end", 2, true, 100, 0, L"untouched"},
  };
  HDROP drop = platform::dialog::CreateDrop({L"/a/first.bin", L"/b/second.src"});
  for (const QueryCase& c : kCases) {
    SCOPED_TRACE(c.name);
    wchar_t buffer[64] = L"untouched";
    UINT result = DragQueryFileW(drop, c.index, c.with_buffer ? buffer : nullptr, c.size);
    EXPECT_EQ(result, c.expected_result);
    if (c.expected_text) {
      EXPECT_STREQ(buffer, c.expected_text);
    }
  }
  std::size_t live = platform::dialog::LiveDropCount();
  DragFinish(drop);
  EXPECT_EQ(platform::dialog::LiveDropCount(), live - 1);
  EXPECT_EQ(DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0), 0u);  // a finished drop is gone
}

using DropDeliveryTest = ProbeFixture;

TEST_F(DropDeliveryTest, DropsReachOnlyWindowsThatAcceptFiles) {
  std::vector<std::wstring> received;
  dialog_.on_drop = [&](ProbeDialog&, HDROP drop) {
    UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
      wchar_t name[520];
      DragQueryFileW(drop, i, name, 520);
      received.push_back(name);
    }
  };
  dialog_.on_click = [](ProbeDialog&) {
    ProbeDialog nested(kNestedTemplate);  // its template has no WS_EX_ACCEPTFILES
    nested.DoModal();
  };
  Start();
  std::size_t live = platform::dialog::LiveDropCount();
  driver_.DropFiles(hwnd_, {L"/tmp/one.bin", L"/tmp/two.bin"});
  EXPECT_EQ(received, (std::vector<std::wstring>{L"/tmp/one.bin", L"/tmp/two.bin"}));
  EXPECT_EQ(platform::dialog::LiveDropCount(), live);  // the handler finished it

  driver_.Click(hwnd_, kClickButton);
  HWND nested = driver_.WaitForDialog(kNestedTemplate);
  ASSERT_NE(nested, nullptr);
  driver_.DropFiles(nested, {L"/tmp/three.bin"});
  driver_.DropFiles(hwnd_, {L"/tmp/four.bin"});  // the owner is disabled meanwhile
  EXPECT_EQ(received.size(), 2u);
  EXPECT_EQ(platform::dialog::LiveDropCount(), live);
  driver_.PressEscape(nested);
  EXPECT_TRUE(driver_.WaitForDialogEnd(nested));
}

}  // namespace
}  // namespace probe
