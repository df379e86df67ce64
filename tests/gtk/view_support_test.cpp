// The display-free parts of the window: filter globs, window texts, dialog units, bitmaps, and the
// nested loop that keeps the framework served while a box is up.
#include <gtest/gtest.h>

#include <fnmatch.h>

#include "platform/gtk/dialog_units.h"
#include "platform/gtk/dib_decoder.h"
#include "platform/gtk/file_filters.h"
#include "platform/gtk/modal_boxes.h"
#include "platform/gtk/window_text.h"
#include "tests/dialog/dispatch_order.h"

namespace platform::gtk {
namespace {

TEST(FileFilterGlobs, MatchNamesWhateverTheirCase) {
  struct Case {
    const char* pattern;
    const char* name;
    bool matches;
  };
  const Case cases[] = {
      {"*.SRC", "image.SRC", true},  {"*.SRC", "image.src", true}, {"*.SRC", "image.Src", true},
      {"*.BIN", "cam.bin", true},    {"*.BIN", "cam.bin.txt", false}, {"*.HEX", "cam.bin", false},
      {"*.*", "anything.x", true},   {"*.SRC;*.BIN", "a.bin", true}, {"*.SRC;*.BIN", "a.hex", false},
      {"[1].bin", "[1].BIN", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.pattern) + " ~ " + c.name);
    bool any = false;
    for (const auto& glob : CaseInsensitiveGlobs(c.pattern)) any |= fnmatch(glob.c_str(), c.name, 0) == 0;
    EXPECT_EQ(any, c.matches);
  }
  EXPECT_EQ(CaseInsensitiveGlobs("*.SRC"), std::vector<std::string>{"*.[sS][rR][cC]"});
  EXPECT_TRUE(CaseInsensitiveGlobs(" ; ").empty());
}

TEST(WindowTexts, MnemonicMarksBecomeGtkMarks) {
  struct Case {
    const wchar_t* text;
    const char* mnemonic;
    const char* plain;
  };
  const Case cases[] = {
      {L"&About Common USB Flarnex...", "_About Common USB Flarnex...", "About Common USB Flarnex..."},
      {L"&\x5173\x4E8E \x5F17\x62C9\x5185\x514B...", "_\xE5\x85\xB3\xE4\xBA\x8E \xE5\xBC\x97\xE6\x8B\x89\xE5\x86\x85\xE5\x85\x8B...",
       "\xE5\x85\xB3\xE4\xBA\x8E \xE5\xBC\x97\xE6\x8B\x89\xE5\x86\x85\xE5\x85\x8B..."},
      {L"Fish && Chips", "Fish & Chips", "Fish & Chips"},
      {L"snake_case", "snake__case", "snake_case"},
      {L"&Close\tAlt+F4", "_Close", "Close"},
      {L"trailing&", "trailing", "trailing"},
      {L"", "", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(MnemonicLabel(c.text), c.mnemonic);
    EXPECT_EQ(PlainLabel(c.text), c.plain);
  }
}

TEST(DialogUnits, ConvertWithTheMeasuredBaseUnitsAndRoundLikeMulDiv) {
  // "A".."z" measured 312 px wide gives 6 px per 4 units; 13 px line height per 8 units.
  EXPECT_EQ(BaseUnitsFromMetrics(312, 13), (BaseUnits{.x = 6, .y = 13}));
  EXPECT_EQ(BaseUnitsFromMetrics(364, 15), (BaseUnits{.x = 7, .y = 15}));
  EXPECT_EQ(BaseUnitsFromMetrics(0, 0), BaseUnits{});  // nothing measured: the classic 6 x 13

  const BaseUnits classic{.x = 6, .y = 13};
  // GO in the English template: 232, 94, 64 x 23 units.
  EXPECT_EQ(DialogUnitsToPixelBox({232, 94, 64, 23}, classic), (PixelBox{348, 153, 96, 37}));
  // The main dialog, 320 x 185 units.
  EXPECT_EQ(DialogUnitsToPixelBox({0, 0, 320, 185}, classic), (PixelBox{0, 0, 480, 301}));
  // Edges are rounded one by one, so neighbouring controls stay adjacent: 1 unit = 1.5 px.
  const PixelBox left = DialogUnitsToPixelBox({1, 1, 1, 1}, classic);
  const PixelBox right = DialogUnitsToPixelBox({2, 1, 1, 1}, classic);
  EXPECT_EQ(left.x + left.width, right.x);
  EXPECT_EQ(left, (PixelBox{2, 2, 1, 1}));
}

// A DIB built by hand: 8 bits per pixel, 2 x 2, a two-colour palette, bottom-up rows.
std::vector<std::uint8_t> TinyDib(int bpp, bool icon, std::int32_t height_sign = 1) {
  std::vector<std::uint8_t> dib;
  auto put = [&](std::uint32_t v, int n) {
    for (int i = 0; i < n; ++i) dib.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
  };
  const std::int32_t height = (icon ? 4 : 2) * height_sign;
  put(40, 4); put(2, 4); put(static_cast<std::uint32_t>(height), 4); put(1, 2); put(static_cast<std::uint32_t>(bpp), 2);
  put(0, 4); put(0, 4); put(0, 4); put(0, 4); put(bpp == 8 ? 2 : 0, 4); put(0, 4);
  if (bpp == 8) {
    dib.insert(dib.end(), {0x00, 0x00, 0xFF, 0x00});  // 0: red (B, G, R, 0)
    dib.insert(dib.end(), {0xFF, 0x00, 0x00, 0x00});  // 1: blue
    dib.insert(dib.end(), {0, 1, 0, 0});  // stored first = bottom row: red, blue
    dib.insert(dib.end(), {1, 1, 0, 0});  // top row: blue, blue
  } else {  // 32 bpp, no alpha
    dib.insert(dib.end(), {0, 0, 0xFF, 0, 0, 0xFF, 0, 0});  // bottom: red, green
    dib.insert(dib.end(), {0xFF, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0});  // top: blue, white
  }
  if (icon) {
    dib.insert(dib.end(), {0x40, 0, 0, 0});  // bottom row: right pixel transparent
    dib.insert(dib.end(), {0x00, 0, 0, 0});
  }
  return dib;
}

TEST(ResourceBitmaps, DecodePaletteRowsMasksAndRefuseBrokenData) {
  auto palette = DecodeDib(TinyDib(8, false), false);
  ASSERT_TRUE(palette);
  ASSERT_EQ(palette->width, 2);
  ASSERT_EQ(palette->height, 2);
  const std::vector<std::uint8_t> expected = {0, 0, 255, 255, 0, 0, 255, 255,   // top: blue, blue
                                              255, 0, 0, 255, 0, 0, 255, 255};  // bottom: red, blue
  EXPECT_EQ(palette->rgba, expected);

  auto icon = DecodeDib(TinyDib(32, true), true);
  ASSERT_TRUE(icon);
  ASSERT_EQ(icon->height, 2);  // the doubled height of an icon image is halved
  // Without an alpha channel the AND mask decides: bottom right transparent, the rest opaque.
  EXPECT_EQ(icon->rgba[(1 * 2 + 1) * 4 + 3], 0);
  EXPECT_EQ(icon->rgba[(1 * 2 + 0) * 4 + 3], 255);
  EXPECT_EQ(std::vector<std::uint8_t>(icon->rgba.begin(), icon->rgba.begin() + 4),
            (std::vector<std::uint8_t>{0, 0, 255, 255}));  // top left: blue

  auto top_down = DecodeDib(TinyDib(8, false, -1), false);
  ASSERT_TRUE(top_down);
  EXPECT_EQ(top_down->rgba[0], 255);  // the first stored row is now the top: red

  auto truncated = TinyDib(8, false);
  truncated.pop_back();
  EXPECT_FALSE(DecodeDib(truncated, false));
  EXPECT_FALSE(DecodeDib(std::vector<std::uint8_t>(10, 0), false));
  auto compressed = TinyDib(8, false);
  compressed[16] = 1;  // RLE8
  EXPECT_FALSE(DecodeDib(compressed, false));
  auto bad_index = TinyDib(8, false);
  bad_index[40 + 8] = 7;  // beyond the two palette entries
  EXPECT_FALSE(DecodeDib(bad_index, false));
}

// The ordering rules in the view's nested loop, which iterates GLib's main context; the
// work-pending hook wakes that context as the view's own hook does. The context is made here, on
// the main thread, before any user-interface thread of a test uses it.
using dispatch_order::DispatchOrderTest;
INSTANTIATE_TEST_SUITE_P(ViewLoop, DispatchOrderTest,
                         ::testing::Values(dispatch_order::WaitKind{
                             "view loop",
                             [](platform::dialog::Pump& pump, const std::function<bool()>& done) {
                               RunNestedLoop(pump, done);
                             },
                             [context = g_main_context_default()] { g_main_context_wakeup(context); }}),
                         dispatch_order::WaitKindName);

}  // namespace
}  // namespace platform::gtk
