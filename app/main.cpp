// The tool's executable. On Windows the application object and the class library's main are all
// there is; here the process first chooses its cameras: the simulated camera described by
// FLARNEX_SIMULATED_CAMERA when that is set, the machine's real cameras (uvcvideo) otherwise. Then
// it shows the dialogs in a GTK window when a display can be opened, and hands over to the
// framework's main.
#include <cstdio>
#include <string>

#include "platform/dialog/app.h"
#include "platform/gtk/gtk_view.h"
#include "platform/uvc/real_cameras.h"
#include "simulated_camera/simulated_camera.h"

int main(int argc, char** argv) {
  std::string error;
  if (!simcam::RegisterFromEnvironment(&error)) {
    if (!error.empty()) {
      std::fprintf(stderr, "%s\n", error.c_str());  // the error names the variable
      return 2;
    }
    platform::uvc::RegisterRealCameras();
  }
  if (!platform::gtk::InstallGtkView(&argc, &argv)) {
    std::fprintf(stderr, "flarnex: cannot open a display (set DISPLAY, or run scripts/run.sh)\n");
    return 2;
  }
  return AfxWinMain(argc, argv);
}
