#include "platform/gtk/view_trace.h"

#include <cstdlib>

namespace platform::gtk {

constexpr const char* kTraceVariable = "FLARNEX_VIEW_TRACE";

ViewTrace::ViewTrace() {
  const char* path = std::getenv(kTraceVariable);
  if (path != nullptr && *path != '\0') file_ = std::fopen(path, "a");
}

ViewTrace::~ViewTrace() {
  if (file_ != nullptr) std::fclose(file_);
}

void ViewTrace::Line(std::initializer_list<std::string_view> fields) {
  if (file_ == nullptr) return;
  std::string line;
  bool first = true;
  for (std::string_view field : fields) {
    if (!first) line += '\t';
    first = false;
    for (char c : field) line += (c == '\t' || c == '\n' || c == '\r') ? ' ' : c;
  }
  line += '\n';
  std::lock_guard lock(mutex_);
  std::fputs(line.c_str(), file_);
  // Scripts poll the file while the tool runs.
  std::fflush(file_);
}

}  // namespace platform::gtk
