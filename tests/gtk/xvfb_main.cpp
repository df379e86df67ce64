// The window tests' main: starts a virtual X display of its own (so a test never draws on the
// developer's screen and needs none), points GTK at it, opens GTK and runs the tests.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/gtk/gtk_view.h"

namespace {

constexpr const char* kScreen = "1024x768x24";

pid_t xvfb_pid = -1;

// Starts Xvfb on a free display number and returns it ("" on failure).
std::string StartXvfb() {
  int pipe_fds[2];
  if (pipe(pipe_fds) != 0) return {};
  xvfb_pid = fork();
  if (xvfb_pid == 0) {
    close(pipe_fds[0]);
    const std::string fd = std::to_string(pipe_fds[1]);
    // No listening on TCP, no access control beyond the local socket, no screen saver.
    execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", kScreen, "-nolisten", "tcp",
           "-s", "0", "-dpms", static_cast<char*>(nullptr));
    _exit(127);
  }
  close(pipe_fds[1]);
  std::string display;
  char c = 0;
  while (read(pipe_fds[0], &c, 1) == 1 && c != '\n') display += c;
  close(pipe_fds[0]);
  return display.empty() ? std::string() : ":" + display;
}

void StopXvfb() {
  if (xvfb_pid > 0) {
    kill(xvfb_pid, SIGTERM);
    waitpid(xvfb_pid, nullptr, 0);
    xvfb_pid = -1;
  }
}

bool ListingOnly(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--gtest_list_tests") == 0) return true;
  }
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  // Listing the tests (at build time, for ctest) needs no display; InitGoogleTest takes the
  // flag out of argv, so look first.
  const bool listing = ListingOnly(argc, argv);
  testing::InitGoogleTest(&argc, argv);
  if (listing) return RUN_ALL_TESTS();

  const std::string display = StartXvfb();
  if (display.empty()) {
    std::fprintf(stderr, "could not start Xvfb\n");
    return 1;
  }
  setenv("DISPLAY", display.c_str(), 1);
  setenv("GDK_BACKEND", "x11", 1);
  setenv("NO_AT_BRIDGE", "1", 1);  // no accessibility bus on a virtual display
  setenv("GTK_THEME", "Adwaita", 1);
  setenv("GSETTINGS_BACKEND", "memory", 1);  // the file chooser keeps its settings in memory
  if (!platform::gtk::InstallGtkView(&argc, &argv)) {
    std::fprintf(stderr, "could not open display %s\n", display.c_str());
    StopXvfb();
    return 1;
  }
  const int result = RUN_ALL_TESTS();
  StopXvfb();
  return result;
}
