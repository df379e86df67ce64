// What the window system would draw around and inside the tool's windows, on a virtual display
// without a window manager: the file dialog's size and place, the message boxes' captions, the
// system menu's own items and the start of a long text in an edit.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/dialog/app.h"
#include "platform/dialog/cwnd.h"
#include "platform/dialog/messages.h"
#include "platform/dialog/resource_module.h"
#include "platform/gtk/gtk_view_testing.h"
#include "platform/runtime/clock.h"
#include "platform/text/code_page.h"
#include "resources/resource.h"
#include "tests/gtk/window_harness.h"

namespace gtk_tests {
namespace {

using platform::gtk::xdrive::Pixels;

constexpr const char* kCamera = "chip=0x32,flash=MX25L1005,firmware=sample";

class WindowChromeTest : public ::testing::Test {
 protected:
  void SetUp() override { platform::UseVirtualClock(); }
  void TearDown() override {
    platform::dialog::ResourceModule::Get().ForceLanguage(std::nullopt);
    platform::UseRealClock();
  }
};

// A widget's rectangle on the screen, as the X server places its window.
GdkRectangle ScreenRect(GtkWidget* widget) {
  GdkRectangle rect{};
  GtkWidget* toplevel = gtk_widget_get_toplevel(widget);
  int origin_x = 0;
  int origin_y = 0;
  gdk_window_get_origin(gtk_widget_get_window(toplevel), &origin_x, &origin_y);
  gtk_widget_translate_coordinates(widget, toplevel, 0, 0, &rect.x, &rect.y);
  rect.x += origin_x;
  rect.y += origin_y;
  rect.width = gtk_widget_get_allocated_width(widget);
  rect.height = gtk_widget_get_allocated_height(widget);
  return rect;
}

bool Inside(const GdkRectangle& inner, const GdkRectangle& outer) {
  return inner.x >= outer.x && inner.y >= outer.y && inner.x + inner.width <= outer.x + outer.width &&
         inner.y + inner.height <= outer.y + outer.height;
}

std::string Describe(const GdkRectangle& r) {
  return std::to_string(r.width) + "x" + std::to_string(r.height) + "+" + std::to_string(r.x) + "+" +
         std::to_string(r.y);
}

// The mapped widgets below `widget` that pred picks, in tree order.
void Collect(GtkWidget* widget, bool (*pred)(GtkWidget*), std::vector<GtkWidget*>* found) {
  if (!gtk_widget_get_mapped(widget)) return;
  if (pred(widget)) found->push_back(widget);
  if (!GTK_IS_CONTAINER(widget)) return;
  GList* children = gtk_container_get_children(GTK_CONTAINER(widget));
  for (GList* child = children; child; child = child->next) Collect(GTK_WIDGET(child->data), pred, found);
  g_list_free(children);
}

bool IsDark(const std::uint8_t* rgb) { return rgb[0] < 110 && rgb[1] < 110 && rgb[2] < 110; }

void ShowAuxiliaryTab(Driver& d) {
  ASSERT_TRUE(d.ClickTab(1));
  ASSERT_TRUE(Driver::WaitFor([&] { return d.Snapshot(IDC_ERASE_SF)->visible; }, kWindowTimeout));
}

TEST_F(WindowChromeTest, FileDialogFitsTheScreenOverTheMainWindow) {
  CameraScope camera(kCamera);
  RunMainDialog([&](Driver& d) {
    ASSERT_TRUE(d.ClickControl(IDC_BROWSE));
    GtkWidget* chooser = d.WaitForModalBox(kWindowTimeout);
    ASSERT_NE(chooser, nullptr) << "no file dialog";
    // Everything a person needs to pick a file lies on the screen: the dialog, its location entry
    // (which shows "*.SRC") and its two buttons.
    std::string why;
    const bool fits = Driver::WaitFor(
        [&] {
          bool ok = true;
          d.OnUi([&] {
            GdkRectangle screen_rect{};
            gdk_monitor_get_geometry(gdk_display_get_monitor(gtk_widget_get_display(chooser), 0), &screen_rect);
            std::vector<GtkWidget*> parts = {chooser};
            Collect(chooser, [](GtkWidget* w) { return GTK_IS_ENTRY(w) != 0; }, &parts);
            const std::size_t entries = parts.size() - 1;
            for (int response : {GTK_RESPONSE_ACCEPT, GTK_RESPONSE_CANCEL}) {
              parts.push_back(gtk_dialog_get_widget_for_response(GTK_DIALOG(chooser), response));
            }
            why.clear();
            if (entries == 0) why = "no location entry shown; ";
            for (GtkWidget* part : parts) {
              if (part == nullptr || !gtk_widget_get_mapped(part) || !Inside(ScreenRect(part), screen_rect)) {
                why += std::string(part ? G_OBJECT_TYPE_NAME(part) : "a button") + " at " +
                       (part ? Describe(ScreenRect(part)) : "nowhere") + " is off the screen; ";
              }
            }
            // Over the main window: the chooser covers the main window's centre.
            const GdkRectangle main_rect = ScreenRect(platform::gtk::testing::WindowOf(d.dialog()));
            const GdkRectangle centre{main_rect.x + main_rect.width / 2, main_rect.y + main_rect.height / 2, 1, 1};
            if (!Inside(centre, ScreenRect(chooser))) why += "not over the main window; ";
            ok = why.empty();
          });
          return ok;
        },
        kWindowTimeout);
    EXPECT_TRUE(fits) << why;
    d.OnUi([&] { gtk_dialog_response(GTK_DIALOG(chooser), GTK_RESPONSE_CANCEL); });
  });
}

TEST_F(WindowChromeTest, EditsShowTheStartOfALongText) {
  // Reported on the Chinese template, whose export box lost "FLRX-".
  platform::dialog::ResourceModule::Get().ForceLanguage(platform::dialog::kLangChineseSimplified);
  CameraScope camera(kCamera);
  struct Case {
    int id;
    bool auxiliary_tab;
    std::wstring text;
  };
  const Case cases[] = {
      {IDC_IMAGE_PATH, false,
       L"/home/someone/firmware/camera/releases/2013-05-21/FLRX-0123456789-1-V130521_01_02.src"},
      {IDC_EXPORT_NAME, true, L"FLRX-0123456789-1-V130521_01_02-CAM0000001-0123456789-V130521_01_02.src"},
  };
  RunMainDialog([&](Driver& d) {
    for (const Case& c : cases) {
      SCOPED_TRACE(c.id);
      if (c.auxiliary_tab) ShowAuxiliaryTab(d);
      ::SendMessage(d.Control(c.id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(c.text.c_str()));
      GtkWidget* entry = nullptr;
      d.OnUi([&] { entry = platform::gtk::testing::WidgetOf(d.Control(c.id)); });
      ASSERT_TRUE(entry != nullptr && GTK_IS_ENTRY(entry));
      const bool drawn = Driver::WaitFor(
          [&] {
            bool shown = false;
            d.OnUi([&] {
              shown = gtk_widget_get_mapped(entry) &&
                      gtk_entry_get_text(GTK_ENTRY(entry)) == platform::Utf8FromWide(c.text);
            });
            return shown;
          },
          kWindowTimeout);
      ASSERT_TRUE(drawn);
      d.OnUi([&] {
        int text_width = 0;
        pango_layout_get_pixel_size(gtk_entry_get_layout(GTK_ENTRY(entry)), &text_width, nullptr);
        ASSERT_GT(text_width, gtk_widget_get_allocated_width(entry)) << "the text must not fit, or nothing is shown";
        gint scrolled = -1;
        g_object_get(entry, "scroll-offset", &scrolled, nullptr);
        EXPECT_EQ(scrolled, 0) << "pixels of the text's start are scrolled out of view";
      });
    }
  });
}

TEST_F(WindowChromeTest, MessageBoxesDrawTheirCaptionWithoutAWindowManager) {
  CameraScope camera(kCamera);
  struct Case {
    const char* what;
    int tab;
    int button;
    std::string caption;
  };
  // The box of the UI thread first: a click while a worker is still ending would be refused.
  const Case cases[] = {
      {"the F/W Version box", 1, IDC_FW_VERSION, "Get F/W Version"},
      {"a worker's box (no image loaded)", 0, IDC_GO, platform::Utf8FromWide(AfxGetAppName())},
  };
  RunMainDialog([&](Driver& d) {
    for (const Case& c : cases) {
      SCOPED_TRACE(c.what);
      ASSERT_TRUE(d.ClickTab(c.tab));
      ASSERT_TRUE(Driver::WaitFor([&] { return d.Snapshot(c.button)->visible; }, kWindowTimeout));
      ASSERT_TRUE(d.ClickControl(c.button));
      GtkWidget* box = d.WaitForModalBox(kWindowTimeout);
      ASSERT_NE(box, nullptr) << "no message box";
      GtkWidget* titlebar = nullptr;
      d.OnUi([&] {
        titlebar = gtk_window_get_titlebar(GTK_WINDOW(box));
        ASSERT_TRUE(titlebar != nullptr && GTK_IS_HEADER_BAR(titlebar)) << "no caption of the box's own";
        EXPECT_TRUE(gtk_widget_get_mapped(titlebar));
        EXPECT_EQ(gtk_header_bar_get_title(GTK_HEADER_BAR(titlebar)), c.caption);
      });
      ASSERT_NE(titlebar, nullptr);
      // The caption's text is really drawn: dark pixels in the title bar's area of the box.
      Driver::Box area{};
      d.OnUi([&] {
        gtk_widget_translate_coordinates(titlebar, box, 0, 0, &area.x, &area.y);
        area.width = gtk_widget_get_allocated_width(titlebar);
        area.height = gtk_widget_get_allocated_height(titlebar);
      });
      const Window box_window = d.XWindowOf(box);
      Pixels pixels;
      EXPECT_TRUE(Driver::WaitFor(
          [&] { return d.x().Capture(box_window, &pixels) && CountPixels(pixels, area, IsDark) >= 20; },
          kWindowTimeout))
          << "no caption text in the box's title bar";
      EXPECT_TRUE(d.Key("Return"));
      ASSERT_TRUE(Driver::WaitFor([&] { return d.WaitForModalBox(std::chrono::milliseconds(0)) == nullptr; },
                                  kWindowTimeout));
    }
  });
}

TEST_F(WindowChromeTest, SystemMenuSpeaksTheDialogsLanguage) {
  struct Case {
    WORD language;
    std::vector<std::string> items;  // as shown, mnemonic marks taken out
  };
  const Case cases[] = {
      {platform::dialog::kLangEnglishUS, {"Move", "Close", "About Common USB Flarnex..."}},
      {platform::dialog::kLangChineseSimplified,
       {"\xE7\xA7\xBB\xE5\x8A\xA8(M)", "\xE5\x85\xB3\xE9\x97\xAD(C)",
        "\xE5\x85\xB3\xE4\xBA\x8E \xE5\xBC\x97\xE6\x8B\x89\xE5\x86\x85\xE5\x85\x8B..."}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.language);
    platform::dialog::ResourceModule::Get().ForceLanguage(c.language);
    CameraScope camera(kCamera);
    RunMainDialog([&](Driver& d) {
      d.OnUi([&] {
        GtkWidget* window = platform::gtk::testing::WindowOf(d.dialog());
        std::vector<GtkWidget*> buttons;
        Collect(gtk_window_get_titlebar(GTK_WINDOW(window)), [](GtkWidget* w) { return GTK_IS_MENU_BUTTON(w) != 0; },
                &buttons);
        ASSERT_EQ(buttons.size(), 1u) << "no system menu button";
        GtkMenu* menu = gtk_menu_button_get_popup(GTK_MENU_BUTTON(buttons[0]));
        ASSERT_NE(menu, nullptr);
        std::vector<std::string> items;
        GList* children = gtk_container_get_children(GTK_CONTAINER(menu));
        for (GList* child = children; child; child = child->next) {
          if (GTK_IS_SEPARATOR_MENU_ITEM(child->data)) continue;
          GtkWidget* label = gtk_bin_get_child(GTK_BIN(child->data));
          items.push_back(GTK_IS_LABEL(label) ? gtk_label_get_text(GTK_LABEL(label)) : "");
        }
        g_list_free(children);
        EXPECT_EQ(items, c.items);
      });
    });
  }
}

}  // namespace
}  // namespace gtk_tests
