// The tool's main dialog in a real GTK window on a virtual X display, driven through the X server.
#include <gtest/gtest.h>

#include <atomic>
#include <set>
#include <thread>

#include "burner/burner_globals.h"
#include "platform/dialog/app.h"
#include "platform/dialog/cwnd.h"
#include "platform/dialog/messages.h"
#include "platform/dialog/resource_module.h"
#include "platform/gtk/gtk_view_testing.h"
#include "platform/gtk/window_text.h"
#include "platform/runtime/clock.h"
#include "platform/text/code_page.h"
#include "platform/text/file_names.h"
#include "resources/resource.h"
#include "simulated_camera/sample_firmware.h"
#include "tests/gtk/window_harness.h"

namespace gtk_tests {
namespace {

using platform::dialog::WindowSnapshot;
using platform::gtk::xdrive::Pixels;

constexpr const char* kCamera = "chip=0x32,flash=MX25L1005,firmware=sample";
constexpr std::uint8_t kChipId = 0x32;
constexpr std::uint8_t kWpPin = 2;

class MainWindowTest : public ::testing::Test {
 protected:
  void SetUp() override { platform::UseVirtualClock(); }  // flash busy times pass at once
  void TearDown() override {
    platform::dialog::ResourceModule::Get().ForceLanguage(std::nullopt);
    platform::UseRealClock();
  }
};

std::string LabelText(GtkWidget* widget) {
  if (GTK_IS_BUTTON(widget)) widget = gtk_bin_get_child(GTK_BIN(widget));
  if (GTK_IS_LABEL(widget)) return gtk_label_get_text(GTK_LABEL(widget));
  if (GTK_IS_ENTRY(widget)) return gtk_entry_get_text(GTK_ENTRY(widget));
  return {};
}

int UnknownGlyphs(GtkWidget* widget) {
  if (GTK_IS_BUTTON(widget)) widget = gtk_bin_get_child(GTK_BIN(widget));
  return GTK_IS_LABEL(widget) ? pango_layout_get_unknown_glyphs_count(gtk_label_get_layout(GTK_LABEL(widget))) : 0;
}

GtkWidget* FindMappedEntry(GtkWidget* widget) {
  if (GTK_IS_ENTRY(widget) && gtk_widget_get_mapped(widget)) return widget;
  if (!GTK_IS_CONTAINER(widget)) return nullptr;
  GList* children = gtk_container_get_children(GTK_CONTAINER(widget));
  GtkWidget* found = nullptr;
  for (GList* child = children; child && !found; child = child->next) found = FindMappedEntry(GTK_WIDGET(child->data));
  g_list_free(children);
  return found;
}

bool IsDark(const std::uint8_t* rgb) { return rgb[0] < 110 && rgb[1] < 110 && rgb[2] < 110; }
// The theme's progress fill is a saturated blue; the trough and the dialog are grey.
bool IsFill(const std::uint8_t* rgb) { return rgb[2] > 150 && rgb[2] > rgb[0] + 60; }

std::vector<std::uint8_t> SampleImage(const std::string& first_string) {
  simcam::FirmwareStrings strings;
  strings.first = first_string;
  return simcam::MakeSampleFirmware(kChipId, simcam::WriteProtectConfigByteFor(kWpPin, true), strings);
}

struct LanguageCase {
  WORD language;
  const char* caption;
  const char* go;
  const char* status;
  const char* tabs[2];
};

TEST_F(MainWindowTest, OpensWithTheTemplateControlsInBothLanguages) {
  const LanguageCase cases[] = {
      {platform::dialog::kLangEnglishUS, "Common USB Flarnex", "GO", "No Task is Running...",
       {"Burn", "Auxiliary Function"}},
      {platform::dialog::kLangChineseSimplified, "\xE5\xBC\x97\xE6\x8B\x89\xE5\x86\x85\xE5\x85\x8B",
       "\xE5\xBC\x80\xE5\xA7\x8B\xE7\x83\xA7\xE5\xBD\x95",
       "\xE6\xB2\xA1\xE6\x9C\x89\xE4\xBB\xBB\xE5\x8A\xA1\xE6\xAD\xA3\xE5\x9C\xA8\xE8\xBF\x90\xE8\xA1\x8C...",
       {"\xE7\x83\xA7\xE5\xBD\x95", "\xE8\xBE\x85\xE5\x8A\xA9\xE5\x8A\x9F\xE8\x83\xBD"}},
  };
  // What the dialog shows at start; everything else is hidden.
  const std::set<int> shown_at_start = {IDC_BROWSE, IDC_IMAGE_PATH, IDC_GO, IDC_PROGRESS_WORK,
                                        IDC_STATUS, IDC_TAB, IDC_STATIC};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.language);
    platform::dialog::ResourceModule::Get().ForceLanguage(c.language);
    CameraScope camera(kCamera);
    const int result = RunMainDialog([&](Driver& d) {
      d.OnUi([&] {
        GtkWidget* window = platform::gtk::testing::WindowOf(d.dialog());
        ASSERT_NE(window, nullptr);
        EXPECT_STREQ(gtk_window_get_title(GTK_WINDOW(window)), c.caption);
        const platform::gtk::BaseUnits units = platform::gtk::testing::Units();
        for (HWND hwnd : platform::dialog::WindowModel::Get().Children(d.dialog())) {
          const WindowSnapshot state = *platform::dialog::WindowModel::Get().Snapshot(hwnd);
          SCOPED_TRACE(state.id);
          GtkWidget* widget = platform::gtk::testing::WidgetOf(hwnd);
          ASSERT_NE(widget, nullptr);
          EXPECT_EQ(gtk_widget_get_visible(widget), state.visible);
          EXPECT_EQ(gtk_widget_get_visible(widget), shown_at_start.contains(state.id));
          EXPECT_EQ(gtk_widget_get_sensitive(widget), state.enabled);
          if (state.picture == 0) {
            EXPECT_EQ(platform::gtk::testing::BoxOf(hwnd), platform::gtk::DialogUnitsToPixelBox(state.rect, units));
            EXPECT_EQ(LabelText(widget), GTK_IS_NOTEBOOK(widget) ? "" : platform::gtk::PlainLabel(state.text));
            EXPECT_EQ(UnknownGlyphs(widget), 0) << "a character without a glyph";
          }
          if (state.id == IDC_GO) {
            EXPECT_EQ(LabelText(widget), c.go);
          }
          if (state.id == IDC_STATUS) {
            EXPECT_EQ(LabelText(widget), c.status);
          }
          if (GTK_IS_NOTEBOOK(widget)) {
            ASSERT_EQ(gtk_notebook_get_n_pages(GTK_NOTEBOOK(widget)), 2);
            EXPECT_EQ(gtk_notebook_get_current_page(GTK_NOTEBOOK(widget)), 0);
            for (int page = 0; page < 2; ++page) {
              GtkWidget* tab = gtk_notebook_get_tab_label(GTK_NOTEBOOK(widget),
                                                          gtk_notebook_get_nth_page(GTK_NOTEBOOK(widget), page));
              EXPECT_EQ(LabelText(tab), c.tabs[page]);
              EXPECT_EQ(UnknownGlyphs(tab), 0);
            }
          }
          if (state.window_class == L"Static" && (state.style & SS_TYPEMASK) == SS_BITMAP) {
            ASSERT_TRUE(GTK_IS_IMAGE(widget));
            GdkPixbuf* logo = gtk_image_get_pixbuf(GTK_IMAGE(widget));
            ASSERT_NE(logo, nullptr);
            EXPECT_EQ(gdk_pixbuf_get_width(logo), 123);  // the picture's own size
            EXPECT_EQ(gdk_pixbuf_get_height(logo), 32);
          }
        }
      });
      // The status text is really drawn: dark pixels in the status line's area.
      const Driver::Box status = d.ControlBoxInWindow(IDC_STATUS);
      Pixels pixels;
      EXPECT_TRUE(d.WaitForPixels([&](const Pixels& p) { return CountPixels(p, status, IsDark) >= 20; },
                                  kWindowTimeout, &pixels))
          << "no text in the status line's area";
      // Esc through the X server ends the dialog.
      EXPECT_TRUE(d.Key("Escape"));
      EXPECT_TRUE(Driver::WaitFor([&] { return !platform::dialog::WindowModel::Get().Exists(d.dialog()); },
                                  kWindowTimeout));
    });
    EXPECT_EQ(result, IDCANCEL);
  }
}

TEST_F(MainWindowTest, BrowseThenGoClickedThroughTheXServerBurnsToSuccess) {
  CameraScope camera(kCamera);
  TempFolder folder;
  const std::vector<std::uint8_t> image = SampleImage("CAM0000042");
  const std::string path = folder.WriteFile("burn me.bin", image);
  RunMainDialog([&](Driver& d) {
    ASSERT_TRUE(d.ClickControl(IDC_BROWSE));
    GtkWidget* chooser = d.WaitForModalBox(kWindowTimeout);
    ASSERT_NE(chooser, nullptr) << "no file dialog";
    d.OnUi([&] {
      ASSERT_TRUE(GTK_IS_FILE_CHOOSER(chooser));
      GSList* filters = gtk_file_chooser_list_filters(GTK_FILE_CHOOSER(chooser));
      std::vector<std::string> names;
      for (GSList* f = filters; f; f = f->next) names.push_back(gtk_file_filter_get_name(GTK_FILE_FILTER(f->data)));
      g_slist_free(filters);
      const std::vector<std::string> expected = {"Source File(*.SRC)", "Source File(*.BIN)", "Source File(*.HEX)",
                                                 "All File (*.*)"};
      EXPECT_EQ(names, expected);
      GtkFileFilter* in_force = gtk_file_chooser_get_filter(GTK_FILE_CHOOSER(chooser));
      ASSERT_NE(in_force, nullptr);
      EXPECT_STREQ(gtk_file_filter_get_name(in_force), "Source File(*.SRC)");
    });
    // The location entry shows the initial name; a person types the path there and presses Enter.
    d.OnUi([&] {
      GtkWidget* entry = FindMappedEntry(chooser);
      ASSERT_NE(entry, nullptr) << "no location entry";
      EXPECT_STREQ(gtk_entry_get_text(GTK_ENTRY(entry)), "*.SRC");
      gtk_widget_grab_focus(entry);
      gtk_entry_set_text(GTK_ENTRY(entry), path.c_str());
      gtk_editable_set_position(GTK_EDITABLE(entry), -1);
    });
    EXPECT_TRUE(d.Key("Return"));
    ASSERT_TRUE(d.WaitForText(IDC_STATUS, L"Click 'GO' to start burning...", kWindowTimeout));
    EXPECT_EQ(d.Text(IDC_IMAGE_PATH), platform::WideFromUtf8(path));

    ASSERT_TRUE(d.ClickControl(IDC_GO));
    ASSERT_TRUE(d.WaitForText(IDC_STATUS, L"Burn Successes!", kBurnTimeout)) << platform::Utf8FromWide(d.Text(IDC_STATUS));
    EXPECT_TRUE(Driver::WaitFor([&] { return d.Snapshot(IDC_GO)->enabled && d.Snapshot(IDC_BROWSE)->enabled; },
                                kWindowTimeout));
    EXPECT_EQ(camera.camera().Flash(), image);

    // The window shows it: the status text in its label and the filled stage bar.
    d.OnUi([&] {
      EXPECT_EQ(LabelText(platform::gtk::testing::WidgetOf(d.Control(IDC_STATUS))), "Burn Successes!");
    });
    const WindowSnapshot stage = *d.Snapshot(IDC_PROGRESS_STAGE);
    ASSERT_TRUE(stage.visible);
    ASSERT_GT(stage.range_max, stage.range_min);
    const double fraction = static_cast<double>(stage.position - stage.range_min) / (stage.range_max - stage.range_min);
    ASSERT_GT(fraction, 0.5);
    const Driver::Box bar = d.ControlBoxInWindow(IDC_PROGRESS_STAGE);
    Pixels pixels;
    EXPECT_TRUE(d.WaitForPixels(
        [&](const Pixels& p) { return CountPixels(p, bar, IsFill) >= static_cast<int>(bar.width * bar.height * fraction * 0.4); },
        kWindowTimeout, &pixels))
        << "the stage bar is not drawn filled";
  });
}

TEST_F(MainWindowTest, FilesDroppedThroughXdndLoadTheFirstAndReturnToTheBurnTab) {
  CameraScope camera(kCamera);
  TempFolder folder;
  const std::string good = folder.WriteFile("\xE7\x83\xA7\xE5\xBD\x95 image%.src", SampleImage("CAM0000007"));
  const std::string short_file = folder.WriteFile("short.bin", std::vector<std::uint8_t>(131071, 0));
  RunMainDialog([&](Driver& d) {
    // To the Auxiliary Function tab by a click on its tab.
    ASSERT_TRUE(d.ClickTab(1));
    ASSERT_TRUE(Driver::WaitFor([&] { return d.Snapshot(IDC_ERASE_SF)->visible; }, kWindowTimeout));
    EXPECT_EQ(d.Snapshot(IDC_TAB)->tab_selection, 1);
    EXPECT_FALSE(d.Snapshot(IDC_BROWSE)->visible);

    const Window window = d.DialogXWindow();
    const Point centre = d.ControlCentre(IDC_TAB);  // over the page area
    std::string error;
    // Two files at once: only the first is loaded, and its length is wrong.
    ASSERT_TRUE(d.x().DropUris(window, centre.x, centre.y,
                               {platform::gtk::xdrive::FileUriFromPath(short_file),
                                platform::gtk::xdrive::FileUriFromPath(good)},
                               kWindowTimeout, &error))
        << error;
    GtkWidget* box = d.WaitForModalBox(kWindowTimeout);
    ASSERT_NE(box, nullptr) << "no message box for the short file";
    d.OnUi([&] {
      EXPECT_EQ(gtk_window_get_title(GTK_WINDOW(box)), platform::Utf8FromWide(AfxGetAppName()));
    });
    EXPECT_TRUE(d.Key("Return"));
    ASSERT_TRUE(Driver::WaitFor([&] { return d.WaitForModalBox(0ms) == nullptr; }, kWindowTimeout));
    EXPECT_EQ(d.Text(IDC_IMAGE_PATH), L"") << "no image is loaded, so the path box names none";
    EXPECT_EQ(d.Snapshot(IDC_TAB)->tab_selection, 1) << "a failed drop stays on its tab";
    EXPECT_EQ(d.Text(IDC_STATUS), L"No Task is Running...");

    ASSERT_TRUE(d.x().DropUris(window, centre.x, centre.y, {platform::gtk::xdrive::FileUriFromPath(good)},
                               kWindowTimeout, &error))
        << error;
    ASSERT_TRUE(d.WaitForText(IDC_STATUS, L"Click 'GO' to start burning...", kWindowTimeout));
    EXPECT_EQ(d.Text(IDC_IMAGE_PATH), platform::WideFromUtf8(good));
    EXPECT_EQ(d.Snapshot(IDC_TAB)->tab_selection, 0);
    ASSERT_NE(g_imageBuffer, nullptr);
    EXPECT_EQ(std::vector<std::uint8_t>(g_imageBuffer, g_imageBuffer + kImageSize), SampleImage("CAM0000007"));
    d.OnUi([&] {
      GtkNotebook* notebook = GTK_NOTEBOOK(platform::gtk::testing::WidgetOf(d.Control(IDC_TAB)));
      EXPECT_EQ(gtk_notebook_get_current_page(notebook), 0);
      EXPECT_TRUE(gtk_widget_get_visible(platform::gtk::testing::WidgetOf(d.Control(IDC_BROWSE))));
      EXPECT_FALSE(gtk_widget_get_visible(platform::gtk::testing::WidgetOf(d.Control(IDC_ERASE_SF))));
      EXPECT_EQ(LabelText(platform::gtk::testing::WidgetOf(d.Control(IDC_IMAGE_PATH))), good);
    });
  });
}

// A file name that is not valid UTF-8 (Latin-1 "café.bin") reaches open() as its bytes, from the
// chooser and from a drop, in both languages; the path box shows the stray byte as U+FFFD.
TEST_F(MainWindowTest, NameThatIsNotUtf8LoadsThroughTheChooserAndADropInBothLanguages) {
  for (WORD language : {platform::dialog::kLangEnglishUS, platform::dialog::kLangChineseSimplified}) {
    SCOPED_TRACE(language);
    platform::dialog::ResourceModule::Get().ForceLanguage(language);
    const std::wstring ready = platform::dialog::ResourceModule::Get().FindString(IDS_READY, language);
    CameraScope camera(kCamera);
    TempFolder folder;
    const std::vector<std::uint8_t> chosen_image = SampleImage("CAM0000011");
    const std::vector<std::uint8_t> dropped_image = SampleImage("CAM0000012");
    const std::string chosen = folder.WriteFile("caf\xE9.bin", chosen_image);
    const std::string dropped = folder.WriteFile("\xE9t\xE9.src", dropped_image);
    RunMainDialog([&](Driver& d) {
      const auto image = [] { return std::vector<std::uint8_t>(g_imageBuffer, g_imageBuffer + kImageSize); };

      ASSERT_TRUE(d.ClickControl(IDC_BROWSE));
      GtkWidget* chooser = d.WaitForModalBox(kWindowTimeout);
      ASSERT_NE(chooser, nullptr) << "no file dialog";
      // The name cannot be typed as UTF-8 text: it is selected in the list, as a click would.
      d.OnUi([&] { gtk_file_chooser_select_filename(GTK_FILE_CHOOSER(chooser), chosen.c_str()); });
      ASSERT_TRUE(Driver::WaitFor(
          [&] {
            bool selected = false;
            d.OnUi([&] {
              gchar* name = gtk_file_chooser_get_filename(GTK_FILE_CHOOSER(chooser));
              selected = name != nullptr && chosen == name;
              g_free(name);
            });
            return selected;
          },
          kWindowTimeout));
      d.OnUi([&] { gtk_dialog_response(GTK_DIALOG(chooser), GTK_RESPONSE_ACCEPT); });
      ASSERT_TRUE(d.WaitForText(IDC_STATUS, ready, kWindowTimeout)) << platform::Utf8FromWide(d.Text(IDC_STATUS));
      EXPECT_EQ(image(), chosen_image);
      EXPECT_EQ(d.Text(IDC_IMAGE_PATH), platform::WideFromFileName(chosen));
      d.OnUi([&] {
        EXPECT_EQ(LabelText(platform::gtk::testing::WidgetOf(d.Control(IDC_IMAGE_PATH))),
                  folder.Path("caf\xEF\xBF\xBD.bin"));
      });

      std::string error;
      const Point centre = d.ControlCentre(IDC_TAB);
      ASSERT_TRUE(d.x().DropUris(d.DialogXWindow(), centre.x, centre.y,
                                 {platform::gtk::xdrive::FileUriFromPath(dropped)}, kWindowTimeout, &error))
          << error;
      ASSERT_TRUE(d.WaitForText(IDC_IMAGE_PATH, platform::WideFromFileName(dropped), kWindowTimeout));
      EXPECT_EQ(d.WaitForModalBox(0ms), nullptr) << "the drop was refused";
      EXPECT_TRUE(Driver::WaitFor([&] { return image() == dropped_image; }, kWindowTimeout));
    });
  }
}

TEST_F(MainWindowTest, MessageBoxAskedForOnAWorkerIsAnsweredAndTheWorkerGoesOn) {
  CameraScope camera(kCamera);
  RunMainDialog([&](Driver& d) {
    // No image loaded: the burn worker stops at its first check with a box.
    ASSERT_TRUE(d.ClickControl(IDC_GO));
    GtkWidget* box = d.WaitForModalBox(kWindowTimeout);
    ASSERT_NE(box, nullptr) << "no message box from the worker";
    GtkWidget* ok_button = nullptr;
    d.OnUi([&] {
      EXPECT_EQ(gtk_window_get_transient_for(GTK_WINDOW(box)),
                GTK_WINDOW(platform::gtk::testing::WindowOf(d.dialog())));
      EXPECT_TRUE(gtk_window_get_modal(GTK_WINDOW(box)));
      EXPECT_EQ(gtk_window_get_title(GTK_WINDOW(box)), platform::Utf8FromWide(AfxGetAppName()));
      gchar* text = nullptr;
      g_object_get(box, "text", &text, nullptr);
      EXPECT_STREQ(text, "No Source File!");
      g_free(text);
      ok_button = gtk_dialog_get_widget_for_response(GTK_DIALOG(box), IDOK);
    });
    ASSERT_NE(ok_button, nullptr);
    EXPECT_FALSE(d.Snapshot(IDC_GO)->enabled) << "the worker disables GO before its checks";

    // While the worker waits for the box, the user-interface thread still serves sends.
    std::atomic<bool> sent{false};
    std::thread sender([&] {
      ::SendMessage(d.Control(IDC_EXPORT_NAME), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"served"));
      sent = true;
    });
    EXPECT_TRUE(Driver::WaitFor([&] { return sent.load(); }, kWindowTimeout));
    sender.join();
    d.OnUi([&] { EXPECT_EQ(LabelText(platform::gtk::testing::WidgetOf(d.Control(IDC_EXPORT_NAME))), "served"); });

    ASSERT_TRUE(d.ClickWidget(ok_button));
    ASSERT_TRUE(d.WaitForText(IDC_STATUS, L"Burn Failed!", kWindowTimeout));
    EXPECT_TRUE(Driver::WaitFor([&] { return d.Snapshot(IDC_GO)->enabled && d.Snapshot(IDC_BROWSE)->enabled; },
                                kWindowTimeout));
    EXPECT_EQ(d.WaitForModalBox(0ms), nullptr);
  });
}

}  // namespace
}  // namespace gtk_tests
