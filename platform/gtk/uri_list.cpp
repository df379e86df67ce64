#include "platform/gtk/uri_list.h"

#include <cctype>

namespace platform::gtk {
namespace {

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (size_t i = 0; i < prefix.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(text[i])) != prefix[i]) return false;
  }
  return true;
}

std::string_view Trimmed(std::string_view line) {
  while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t')) {
    line.remove_suffix(1);
  }
  while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) line.remove_prefix(1);
  return line;
}

}  // namespace

std::optional<std::string> PathFromFileUri(std::string_view uri) {
  constexpr std::string_view kScheme = "file:";
  if (!StartsWithNoCase(uri, kScheme)) return std::nullopt;
  std::string_view rest = uri.substr(kScheme.size());
  if (rest.starts_with("//")) {
    rest.remove_prefix(2);
    const size_t slash = rest.find('/');
    if (slash == std::string_view::npos) return std::nullopt;
    const std::string_view host = rest.substr(0, slash);
    // A file manager names this machine by an empty host or "localhost"; another host's file
    // cannot be opened here.
    if (!host.empty() && !(host.size() == 9 && StartsWithNoCase(host, "localhost"))) {
      return std::nullopt;
    }
    rest.remove_prefix(slash);
  }
  if (!rest.starts_with('/')) return std::nullopt;
  // Query and fragment parts are not part of a file name.
  const size_t end = rest.find_first_of("?#");
  if (end != std::string_view::npos) rest = rest.substr(0, end);

  std::string path;
  path.reserve(rest.size());
  for (size_t i = 0; i < rest.size(); ++i) {
    if (rest[i] != '%') {
      path += rest[i];
      continue;
    }
    if (i + 2 >= rest.size()) return std::nullopt;
    const int high = HexValue(rest[i + 1]);
    const int low = HexValue(rest[i + 2]);
    if (high < 0 || low < 0) return std::nullopt;
    const char decoded = static_cast<char>(high * 16 + low);
    // An encoded NUL would cut the name short when it reaches the file system.
    if (decoded == '\0') return std::nullopt;
    path += decoded;
    i += 2;
  }
  return path;
}

std::vector<std::string> PathsFromUriList(std::string_view text) {
  std::vector<std::string> paths;
  while (!text.empty()) {
    const size_t newline = text.find('\n');
    std::string_view line = text.substr(0, newline);
    text = newline == std::string_view::npos ? std::string_view() : text.substr(newline + 1);
    line = Trimmed(line);
    if (line.empty() || line.front() == '#') continue;
    if (auto path = PathFromFileUri(line)) paths.push_back(std::move(*path));
  }
  return paths;
}

}  // namespace platform::gtk
