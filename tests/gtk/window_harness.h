#pragma once
// Runs the tool's main dialog in a real GTK window on the test's main thread (the user-interface
// thread) while a script drives it from a second thread: through the X server (pointer clicks,
// keys, XDND drops, screenshots) and reads the outcome from the model and, on the UI thread, from
// the widgets.
#include <gtk/gtk.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>

#include "platform/dialog/handles.h"
#include "platform/dialog/window_model.h"
#include "platform/gtk/xdrive/x_driver.h"
#include "simulated_camera/simulated_camera.h"

namespace gtk_tests {

using namespace std::chrono_literals;
using platform::gtk::xdrive::Window;

constexpr auto kWindowTimeout = 20s;
constexpr auto kBurnTimeout = 180s;

struct Point {
  int x = 0;
  int y = 0;
};

class Driver {
 public:
  explicit Driver(HWND dialog);

  HWND dialog() const { return dialog_; }
  HWND Control(int id) const;
  std::optional<platform::dialog::WindowSnapshot> Snapshot(int id) const;
  std::wstring Text(int id) const;

  // Runs fn on the user-interface thread (where GTK lives) and waits for it.
  void OnUi(const std::function<void()>& fn) const;
  // The X window of a GTK window; its centre point of a widget, in that X window's coordinates.
  Window XWindowOf(GtkWidget* toplevel) const;
  Window DialogXWindow() const;
  Point CentreOf(GtkWidget* widget) const;
  Point ControlCentre(int id) const;

  // Clicks through the X server.
  bool ClickControl(int id);
  bool ClickWidget(GtkWidget* widget);
  // Clicks the label of tab `page` of the tab control.
  bool ClickTab(int page);
  bool Key(const char* keysym) { return x_.Key(keysym); }
  platform::gtk::xdrive::XDriver& x() { return x_; }

  // Waits, polling, until pred holds; false on timeout.
  static bool WaitFor(const std::function<bool()>& pred, std::chrono::milliseconds timeout);
  bool WaitForText(int id, const std::wstring& text, std::chrono::milliseconds timeout) const;
  // Waits until a modal GTK box (message box or file dialog) is up, and returns it.
  GtkWidget* WaitForModalBox(std::chrono::milliseconds timeout) const;

  // The dialog window's pixels as the X server shows them, once `pred` holds for them.
  bool WaitForPixels(const std::function<bool(const platform::gtk::xdrive::Pixels&)>& pred,
                     std::chrono::milliseconds timeout, platform::gtk::xdrive::Pixels* last);
  // A control's box in the window's pixels.
  struct Box {
    int x, y, width, height;
  };
  Box ControlBoxInWindow(int id) const;

 private:
  HWND dialog_;
  mutable platform::gtk::xdrive::XDriver x_;
};

// Creates a simulated camera from a configuration text, registers it, and undoes it at the end.
class CameraScope {
 public:
  explicit CameraScope(const char* config);
  ~CameraScope();
  simcam::SimulatedCamera& camera() { return *camera_; }

 private:
  std::shared_ptr<simcam::SimulatedCamera> camera_;
};

// Runs the main dialog modally on this thread while script runs on another; when the script
// returns (or fails), the dialog is closed. Returns DoModal's result.
int RunMainDialog(const std::function<void(Driver&)>& script);

// A fresh folder under the system's temporary folder, removed at the end.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  std::string Path(const std::string& name) const { return path_ + "/" + name; }
  std::string WriteFile(const std::string& name, const std::vector<std::uint8_t>& bytes) const;

 private:
  std::string path_;
};

// Pixels in a box that satisfy pred.
int CountPixels(const platform::gtk::xdrive::Pixels& pixels, const Driver::Box& box,
                const std::function<bool(const std::uint8_t* rgb)>& pred);

}  // namespace gtk_tests
