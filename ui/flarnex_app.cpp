// The application object. The runtime builds it before main; its constructor registers it with the
// framework, whose main function then runs it. The resources, which a Windows executable carries
// in its image, join the resource module at the same time.
#include "resources/flarnex_resources.h"
#include "ui/flarn_test_app.h"

namespace {
const bool resources_registered = (flarnex::resources::RegisterFlarnexResources(), true);
}  // namespace

CFlarn_testApp theApp;

// Named by the library's link options so that the linker keeps this object file (and with it the
// application object) in every executable that links the user interface.
extern "C" CWinApp* FlarnexApplicationObject() {
  (void)resources_registered;
  return &theApp;
}
