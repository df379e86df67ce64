#pragma once
// The machine's real USB video cameras as video-input devices of the platform: one device per
// VideoControl interface bound to uvcvideo, reached through its first video-capture node.
//
// Order: cameras whose VideoControl descriptors hold an extension unit with this tool's GUID
// (PROPSETID_EXTENSION_UNIT) come first, then the others; each group in /dev/videoN order. The
// tool opens the first device that binds, so a laptop's own webcam at video0 must not stand in
// front of the camera being flashed.
//
// Each device binds as a filter holding its video node open until the filter's last release; see
// uvc_filter.h and extension_unit_channel.h for what the filter answers.
#include <functional>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "platform/devices/device_registry.h"
#include "platform/uvc/node_io.h"

namespace platform::uvc {

struct CameraHost {
  std::string sysfsRoot = "/sys";
  std::shared_ptr<NodeIo> io = SystemNodeIo();
  // Takes one line about a camera passed over (by default to standard error).
  std::function<void(const std::string&)> warn;
};

class RealCameraSource {
 public:
  explicit RealCameraSource(CameraHost host);
  // The cameras present now, in enumeration order. A video node that cannot be opened is passed
  // over, and the first time for each camera `warn` says which one and why.
  std::vector<std::shared_ptr<VideoInputDevice>> Scan();

 private:
  void WarnOnce(const std::string& camera, const std::string& line);

  const CameraHost host_;
  std::mutex warnedMutex_;
  std::set<std::string> warned_;
};

// Makes the machine's cameras the video-input devices of every later enumeration.
void RegisterRealCameras(CameraHost host = {});

}  // namespace platform::uvc
