#pragma once
// The common part of every modal box (message box, file dialog): on the UI thread, disable the
// owner (or the active window) while the view runs the box, then enable it again.
#include <functional>

#include "platform/dialog/handles.h"

namespace platform::dialog {

class Pump;

// UI thread. run gets the window it disabled (or null) and the pump to serve while it waits.
int RunModalBox(HWND owner, const std::function<int(HWND disabled, Pump& pump)>& run);

}  // namespace platform::dialog
