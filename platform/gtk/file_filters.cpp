#include "platform/gtk/file_filters.h"

#include <cctype>

namespace platform::gtk {

std::vector<std::string> CaseInsensitiveGlobs(std::string_view pattern) {
  std::vector<std::string> globs;
  while (true) {
    const size_t separator = pattern.find(';');
    std::string_view one = pattern.substr(0, separator);
    while (!one.empty() && one.front() == ' ') one.remove_prefix(1);
    while (!one.empty() && one.back() == ' ') one.remove_suffix(1);
    if (!one.empty()) {
      std::string glob;
      for (const char c : one) {
        const auto u = static_cast<unsigned char>(c);
        if (std::isalpha(u)) {
          glob += '[';
          glob += static_cast<char>(std::tolower(u));
          glob += static_cast<char>(std::toupper(u));
          glob += ']';
        } else if (c == '[' || c == ']') {
          // Brackets are literal in these patterns; a class of one keeps them literal in a glob.
          glob += '[';
          glob += c;
          glob += ']';
        } else {
          glob += c;
        }
      }
      globs.push_back(std::move(glob));
    }
    if (separator == std::string_view::npos) break;
    pattern.remove_prefix(separator + 1);
  }
  return globs;
}

}  // namespace platform::gtk
