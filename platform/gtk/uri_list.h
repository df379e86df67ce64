#pragma once
// Decoding of dropped files: a "text/uri-list" from a file manager holds one URI per line (CRLF or
// LF), '#' lines are comments. Only local "file:" URIs name files the tool can open.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform::gtk {

// The local path of one "file:" URI, percent-decoded; nullopt for other schemes, remote hosts or
// malformed escapes.
std::optional<std::string> PathFromFileUri(std::string_view uri);

// The local paths of a uri-list in their order; entries that are not local files are skipped.
std::vector<std::string> PathsFromUriList(std::string_view text);

}  // namespace platform::gtk
