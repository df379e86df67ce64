#pragma once
// An optional record of what the window shows, for scripts that drive the tool from outside
// (the README's run command): with FLARNEX_VIEW_TRACE naming a file, the view appends one line per
// event, fields separated by tabs:
//   window  <dialog template id>  <X window id>  <width>  <height>
//   control <dialog template id>  <control id>  <x>  <y>  <width>  <height>   (pixels in the window)
//   text    <control id>  <text>                                            (UTF-8, one line)
//   msgbox  <caption>  <text>
//   answer  <button id>
//   filedialog  <initial name>
#include <cstdio>
#include <mutex>
#include <string>
#include <string_view>

namespace platform::gtk {

class ViewTrace {
 public:
  // Opens the file that FLARNEX_VIEW_TRACE names, if any.
  ViewTrace();
  ~ViewTrace();
  ViewTrace(const ViewTrace&) = delete;
  ViewTrace& operator=(const ViewTrace&) = delete;

  bool enabled() const { return file_ != nullptr; }
  // Writes one line of fields; tabs and line breaks inside a field become spaces.
  void Line(std::initializer_list<std::string_view> fields);

 private:
  std::mutex mutex_;
  std::FILE* file_ = nullptr;
};

}  // namespace platform::gtk
