#include "platform/uvc/device_path.h"

#include <cstdio>

namespace platform::uvc {
namespace {

constexpr std::size_t kMaxPortLength = 32;  // characters; a real chain of seven hubs needs about 16
constexpr char kCaptureCategory[] = "{65e8773d-8f56-11d0-a3b9-00a0c9223196}";

// Only the characters of a sysfs USB device name ("1-1.4") pass; anything else is not a port.
std::string PortPart(std::string_view port) {
  std::string out;
  for (char c : port) {
    if (out.size() == kMaxPortLength) break;
    if ((c >= '0' && c <= '9') || c == '-' || c == '.') out += c;
  }
  return out.empty() ? std::string("0") : out;
}

}  // namespace

std::wstring ComposeDevicePath(std::uint16_t vendor, std::uint16_t product, unsigned interfaceNumber,
                               std::string_view port) {
  char ids[40];
  std::snprintf(ids, sizeof ids, "vid_%04x&pid_%04x&mi_%02x", vendor, product, interfaceNumber & 0xFFu);
  const std::string path = std::string("\\\\?\\usb#") + ids + "#" + PortPart(port) + "#" + kCaptureCategory + "\\global";
  return std::wstring(path.begin(), path.end());
}

}  // namespace platform::uvc
