// flarnex_xdrive: drives a window through the X server from a script.
//   flarnex_xdrive probe                          exit 0 when the display can be opened
//   flarnex_xdrive screenshot FILE.png [WINDOW]   the screen (or one window) as a PNG
//   flarnex_xdrive click WINDOW X Y               a left click at X, Y inside WINDOW
//   flarnex_xdrive key KEYSYM                     one key press ("Return", "Escape")
//   flarnex_xdrive drop WINDOW X Y PATH...        drags the files onto X, Y of WINDOW (XDND)
// WINDOW is an X window id (decimal or 0x hex). Exit status 0 on success.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/gtk/xdrive/x_driver.h"

namespace {

constexpr std::chrono::milliseconds kDropTimeout{10000};

int Usage() {
  std::fprintf(stderr,
               "usage: flarnex_xdrive probe | screenshot FILE [WINDOW] | click WINDOW X Y | key KEYSYM |"
               " drop WINDOW X Y PATH...\n");
  return 2;
}

platform::gtk::xdrive::Window ParseWindow(const char* text) { return static_cast<platform::gtk::xdrive::Window>(std::strtoul(text, nullptr, 0)); }

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return Usage();
  const std::string command = argv[1];
  platform::gtk::xdrive::XDriver driver;
  if (!driver.ok()) {
    std::fprintf(stderr, "flarnex_xdrive: cannot open the display\n");
    return 1;
  }
  if (command == "probe" && argc == 2) return 0;
  if (command == "screenshot" && (argc == 3 || argc == 4)) {
    platform::gtk::xdrive::Pixels pixels;
    const platform::gtk::xdrive::Window window = argc == 4 ? ParseWindow(argv[3]) : 0;
    if (!driver.Capture(window, &pixels) || !platform::gtk::xdrive::XDriver::WritePng(pixels, argv[2])) {
      std::fprintf(stderr, "flarnex_xdrive: screenshot failed\n");
      return 1;
    }
    return 0;
  }
  if (command == "click" && argc == 5) {
    return driver.Click(ParseWindow(argv[2]), std::atoi(argv[3]), std::atoi(argv[4])) ? 0 : 1;
  }
  if (command == "key" && argc == 3) return driver.Key(argv[2]) ? 0 : 1;
  if (command == "drop" && argc >= 6) {
    std::vector<std::string> uris;
    for (int i = 5; i < argc; ++i) uris.push_back(platform::gtk::xdrive::FileUriFromPath(argv[i]));
    std::string error;
    if (!driver.DropUris(ParseWindow(argv[2]), std::atoi(argv[3]), std::atoi(argv[4]), uris, kDropTimeout, &error)) {
      std::fprintf(stderr, "flarnex_xdrive: drop failed: %s\n", error.c_str());
      return 1;
    }
    return 0;
  }
  return Usage();
}
