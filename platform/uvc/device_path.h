#pragma once
// The "DevicePath" of a real camera, in the shape the platform gives capture devices:
//   \\?\usb#vid_046d&pid_0825&mi_00#1-1.4#{65e8773d-8f56-11d0-a3b9-00a0c9223196}\global
// Its port part is the USB device's sysfs name (bus, then the chain of hub ports), so a camera
// keeps its path on the same port across replugging and reboots. Always ASCII and far below the
// 255 characters a caller may hold.
#include <cstdint>
#include <string>
#include <string_view>

namespace platform::uvc {

std::wstring ComposeDevicePath(std::uint16_t vendor, std::uint16_t product, unsigned interfaceNumber,
                               std::string_view port);

}  // namespace platform::uvc
