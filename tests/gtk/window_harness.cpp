#include "tests/gtk/window_harness.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

#include "platform/devices/device_registry.h"
#include "platform/dialog/ui_dispatcher.h"
#include "platform/dialog/user_input.h"
#include "platform/gtk/gtk_view_testing.h"
#include "resources/resource.h"
#include "ui/flarn_test_dlg.h"

// Last: Xlib's macros (None, Status...) would clash with the names above.
#include <gdk/gdkx.h>

namespace gtk_tests {

using platform::dialog::WindowModel;

Driver::Driver(HWND dialog) : dialog_(dialog) {}

HWND Driver::Control(int id) const { return WindowModel::Get().ChildById(dialog_, id); }

std::optional<platform::dialog::WindowSnapshot> Driver::Snapshot(int id) const {
  return WindowModel::Get().Snapshot(Control(id));
}

std::wstring Driver::Text(int id) const {
  auto state = Snapshot(id);
  return state ? state->text : std::wstring();
}

void Driver::OnUi(const std::function<void()>& fn) const { platform::dialog::RunOnUiThread(fn); }

Window Driver::XWindowOf(GtkWidget* toplevel) const {
  Window xid = 0;
  OnUi([&] {
    if (toplevel == nullptr) return;
    GdkWindow* window = gtk_widget_get_window(toplevel);
    if (window != nullptr && GDK_IS_X11_WINDOW(window)) xid = gdk_x11_window_get_xid(window);
  });
  return xid;
}

Window Driver::DialogXWindow() const {
  GtkWidget* window = nullptr;
  OnUi([&] { window = platform::gtk::testing::WindowOf(dialog_); });
  return XWindowOf(window);
}

Point Driver::CentreOf(GtkWidget* widget) const {
  Point point;
  OnUi([&] {
    GtkWidget* toplevel = gtk_widget_get_toplevel(widget);
    gtk_widget_translate_coordinates(widget, toplevel, gtk_widget_get_allocated_width(widget) / 2,
                                     gtk_widget_get_allocated_height(widget) / 2, &point.x, &point.y);
  });
  return point;
}

Point Driver::ControlCentre(int id) const {
  GtkWidget* widget = nullptr;
  OnUi([&] { widget = platform::gtk::testing::WidgetOf(Control(id)); });
  return widget ? CentreOf(widget) : Point{};
}

bool Driver::ClickControl(int id) {
  GtkWidget* widget = nullptr;
  OnUi([&] { widget = platform::gtk::testing::WidgetOf(Control(id)); });
  return widget != nullptr && ClickWidget(widget);
}

bool Driver::ClickWidget(GtkWidget* widget) {
  // A control the model has just shown is mapped at once but placed at the next layout (until
  // then its allocation is GTK's -1, -1): click it once it has its place on the screen.
  WaitFor(
      [&] {
        bool placed = false;
        OnUi([&] {
          GtkAllocation allocation{};
          gtk_widget_get_allocation(widget, &allocation);
          placed = gtk_widget_get_mapped(widget) && allocation.x >= 0 && allocation.y >= 0;
          if (placed) gdk_display_sync(gtk_widget_get_display(widget));
        });
        return placed;
      },
      kWindowTimeout);
  GtkWidget* toplevel = nullptr;
  OnUi([&] { toplevel = gtk_widget_get_toplevel(widget); });
  const Point centre = CentreOf(widget);
  return x_.Click(XWindowOf(toplevel), centre.x, centre.y);
}

bool Driver::ClickTab(int page) {
  GtkWidget* tab = nullptr;
  OnUi([&] {
    GtkNotebook* notebook = GTK_NOTEBOOK(platform::gtk::testing::WidgetOf(Control(IDC_TAB)));
    tab = gtk_notebook_get_tab_label(notebook, gtk_notebook_get_nth_page(notebook, page));
  });
  return tab != nullptr && ClickWidget(tab);
}

bool Driver::WaitFor(const std::function<bool()>& pred, std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (!pred()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(10ms);
  }
  return true;
}

bool Driver::WaitForText(int id, const std::wstring& text, std::chrono::milliseconds timeout) const {
  return WaitFor([&] { return Text(id) == text; }, timeout);
}

GtkWidget* Driver::WaitForModalBox(std::chrono::milliseconds timeout) const {
  GtkWidget* box = nullptr;
  WaitFor(
      [&] {
        OnUi([&] {
          box = platform::gtk::testing::OpenModalBox();
          if (box != nullptr && !gtk_widget_get_mapped(box)) box = nullptr;
        });
        return box != nullptr;
      },
      timeout);
  return box;
}

Driver::Box Driver::ControlBoxInWindow(int id) const {
  Box box{};
  OnUi([&] {
    HWND control = Control(id);
    GtkWidget* widget = platform::gtk::testing::WidgetOf(control);
    if (widget == nullptr) return;
    GtkWidget* toplevel = gtk_widget_get_toplevel(widget);
    GtkWidget* fixed = gtk_widget_get_parent(widget);
    const platform::gtk::PixelBox pixels = platform::gtk::testing::BoxOf(control);
    int x = 0;
    int y = 0;
    gtk_widget_translate_coordinates(fixed, toplevel, pixels.x, pixels.y, &x, &y);
    box = {x, y, pixels.width, pixels.height};
  });
  return box;
}

bool Driver::WaitForPixels(const std::function<bool(const platform::gtk::xdrive::Pixels&)>& pred,
                           std::chrono::milliseconds timeout, platform::gtk::xdrive::Pixels* last) {
  const Window window = DialogXWindow();
  return WaitFor([&] { return x_.Capture(window, last) && pred(*last); }, timeout);
}

int CountPixels(const platform::gtk::xdrive::Pixels& pixels, const Driver::Box& box,
                const std::function<bool(const std::uint8_t* rgb)>& pred) {
  int count = 0;
  for (int y = std::max(box.y, 0); y < std::min(box.y + box.height, pixels.height); ++y) {
    for (int x = std::max(box.x, 0); x < std::min(box.x + box.width, pixels.width); ++x) {
      if (pred(pixels.At(x, y))) ++count;
    }
  }
  return count;
}

CameraScope::CameraScope(const char* config) {
  std::string error;
  auto parsed = simcam::ParseCameraConfig(config, &error);
  EXPECT_TRUE(parsed.has_value()) << error;
  if (!parsed) parsed = simcam::CameraConfig{};
  camera_ = simcam::SimulatedCamera::Create(*parsed, &error);
  EXPECT_NE(camera_, nullptr) << error;
  camera_->Register();
}

CameraScope::~CameraScope() {
  if (camera_) camera_->Unregister();
}

int RunMainDialog(const std::function<void(Driver&)>& script) {
  CFlarn_testDlg dialog;
  std::thread driver_thread([&] {
    HWND hwnd = nullptr;
    const bool shown = Driver::WaitFor(
        [&] {
          for (const auto& window : WindowModel::Get().SnapshotAll()) {
            if (window.template_id == IDD_MAIN_DIALOG && window.modal_loop_running) {
              hwnd = window.hwnd;
            }
          }
          return hwnd != nullptr;
        },
        kWindowTimeout);
    EXPECT_TRUE(shown) << "the main dialog never opened";
    if (shown) {
      Driver driver(hwnd);
      // The window must be on the screen before the script clicks at it.
      Driver::WaitFor(
          [&] {
            bool mapped = false;
            driver.OnUi([&] {
              GtkWidget* window = platform::gtk::testing::WindowOf(hwnd);
              mapped = window && gtk_widget_get_mapped(window);
            });
            return mapped;
          },
          kWindowTimeout);
      script(driver);
      // Whatever the script left, the dialog ends (after a running operation has ended).
      Driver::WaitFor(
          [&] {
            if (!WindowModel::Get().Exists(hwnd)) return true;
            // A box the script left open is dismissed first.
            driver.OnUi([] {
              if (GtkWidget* box = platform::gtk::testing::OpenModalBox()) {
                gtk_dialog_response(GTK_DIALOG(box), GTK_RESPONSE_CANCEL);
              }
            });
            platform::dialog::PressCloseBox(hwnd)->WaitSettled(1s);
            return !WindowModel::Get().Exists(hwnd);
          },
          kBurnTimeout);
    }
  });
  const int result = static_cast<int>(dialog.DoModal());
  driver_thread.join();
  return result;
}

TempFolder::TempFolder() {
  std::string pattern = (std::filesystem::temp_directory_path() / "flarnex-gtk-XXXXXX").string();
  if (mkdtemp(pattern.data()) != nullptr) path_ = pattern;
}

TempFolder::~TempFolder() {
  std::error_code ignored;
  if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
}

std::string TempFolder::WriteFile(const std::string& name, const std::vector<std::uint8_t>& bytes) const {
  const std::string path = Path(name);
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return path;
}

}  // namespace gtk_tests
