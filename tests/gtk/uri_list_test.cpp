#include "platform/gtk/uri_list.h"

#include <gtest/gtest.h>

namespace platform::gtk {
namespace {

struct UriCase {
  const char* uri;
  const char* path;  // null: not a local file
};

TEST(DroppedFileUri, DecodesLocalFilesAndRefusesOthers) {
  const UriCase cases[] = {
      {"file:///home/user/cam.bin", "/home/user/cam.bin"},
      {"file://localhost/tmp/a.SRC", "/tmp/a.SRC"},
      {"FILE://LocalHost/tmp/a.SRC", "/tmp/a.SRC"},
      {"file:/tmp/short-form.bin", "/tmp/short-form.bin"},
      {"file:///tmp/with%20space%25.bin", "/tmp/with space%.bin"},
      {"file:///tmp/%E7%83%A7%E5%BD%95.bin", "/tmp/\xE7\x83\xA7\xE5\xBD\x95.bin"},  // UTF-8 name
      // File managers write lower-case escapes too.
      {"file:///tmp/caf%c3%a9.bin", "/tmp/caf\xC3\xA9.bin"},
      {"file:///tmp/%e7%83%a7%E5%bd%95.bin", "/tmp/\xE7\x83\xA7\xE5\xBD\x95.bin"},
      {"file:///tmp/x.bin#fragment", "/tmp/x.bin"},
      {"file://otherhost/tmp/x.bin", nullptr},
      {"file://localhostx/tmp/x.bin", nullptr},
      {"http://example.invalid/x.bin", nullptr},
      {"file:///tmp/bad%2", nullptr},
      {"file:///tmp/bad%zz", nullptr},
      {"file:///tmp/nul%00.bin", nullptr},
      {"file://", nullptr},
      {"relative/path", nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.uri);
    const auto path = PathFromFileUri(c.uri);
    if (c.path == nullptr) {
      EXPECT_FALSE(path.has_value()) << *path;
    } else {
      ASSERT_TRUE(path.has_value());
      EXPECT_EQ(*path, c.path);
    }
  }
}

TEST(DroppedFileUri, ListKeepsOrderAndSkipsCommentsBlankLinesAndForeignUris) {
  const char* list =
      "# dropped by a file manager\r\n"
      "file:///tmp/first.bin\r\n"
      "\r\n"
      "https://example.invalid/remote.bin\r\n"
      "file:///tmp/second%20file.src\n"
      "file:///tmp/third.hex";  // the last line may lack its line break
  const std::vector<std::string> expected = {"/tmp/first.bin", "/tmp/second file.src", "/tmp/third.hex"};
  EXPECT_EQ(PathsFromUriList(list), expected);
  EXPECT_TRUE(PathsFromUriList("").empty());
  EXPECT_TRUE(PathsFromUriList("# only a comment\r\n").empty());
}

}  // namespace
}  // namespace platform::gtk
