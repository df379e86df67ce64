#pragma once
// Driving a window from outside, through the X server, as a person at the screen would: pointer
// clicks (XTest), files dragged in from a file manager (the XDND protocol, offering a
// text/uri-list) and screenshots. Each XDriver holds its own display connection, so it may run on
// a thread other than the one that runs the window's toolkit.
#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

typedef struct _XDisplay Display;

namespace platform::gtk::xdrive {

// An X window id (the Xlib Window type, without Xlib's macros in every includer).
using Window = unsigned long;

struct Pixels {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> rgb;  // width * height * 3, top row first
  // Red, green, blue of one pixel.
  const std::uint8_t* At(int x, int y) const { return &rgb[(static_cast<size_t>(y) * width + x) * 3]; }
};

class XDriver {
 public:
  // Opens the display named by `display` (null: $DISPLAY).
  explicit XDriver(const char* display = nullptr);
  ~XDriver();
  XDriver(const XDriver&) = delete;
  XDriver& operator=(const XDriver&) = delete;

  bool ok() const { return display_ != nullptr; }

  // A left click at (x, y) inside `window`.
  bool Click(Window window, int x, int y);
  // Presses and releases one key, named as X names it ("Return", "Escape", "a").
  bool Key(const char* keysym_name);

  // Drags `uris` (file:// URIs) from a window of our own onto (x, y) inside `target` and drops
  // them. True when the target accepted the drop and finished it within the timeout.
  bool DropUris(Window target, int x, int y, const std::vector<std::string>& uris,
                std::chrono::milliseconds timeout, std::string* error);

  // The window's pixels as the screen shows them, or the whole screen for window 0.
  bool Capture(Window window, Pixels* out);
  // Writes a capture as a PNG file.
  static bool WritePng(const Pixels& pixels, const std::string& path);

  // The top-level windows whose title (_NET_WM_NAME or WM_NAME) equals `title`.
  std::vector<Window> FindWindowsByTitle(const std::string& title);

  Display* display() const { return display_; }

 private:
  Display* display_ = nullptr;
};

// "file:///path" with every byte outside the unreserved set percent-encoded.
std::string FileUriFromPath(const std::string& path);

}  // namespace platform::gtk::xdrive
