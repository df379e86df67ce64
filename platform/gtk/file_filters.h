#pragma once
// The open-file dialog's filter entries as GTK file filters. A filter pattern of the template
// ("*.SRC", or several joined by ';') matches names without regard to case, as the window
// system the tool was written for does, so "cam.bin" shows under "*.BIN".
#include <string>
#include <string_view>
#include <vector>

namespace platform::gtk {

// One glob per ';'-separated pattern, each letter written as a "[xX]" class.
std::vector<std::string> CaseInsensitiveGlobs(std::string_view pattern);

}  // namespace platform::gtk
