#pragma once
// The few system calls the real-camera provider makes on a video node. Production uses the
// kernel's; tests put a fake in their place that keeps uvcvideo's rules.
#include <linux/uvcvideo.h>
#include <linux/videodev2.h>

#include <memory>
#include <string>

namespace platform::uvc {

class NodeIo {
 public:
  virtual ~NodeIo() = default;
  // A handle (0 or more) for the node at `path`, or -1 with *error set to open's errno.
  virtual int Open(const std::string& path, int* error) = 0;
  // VIDIOC_QUERYCAP: 0, or its errno.
  virtual int QueryCapabilities(int handle, v4l2_capability* capabilities) = 0;
  // UVCIOC_CTRL_QUERY: what the call returned (0, or the byte count of a short reply, which
  // uvcvideo of Linux 6.1 passes on as a positive result), or minus its errno.
  virtual int QueryControl(int handle, uvc_xu_control_query* query) = 0;
  virtual void Close(int handle) = 0;
};

// The kernel's calls: open, ioctl and close on /dev nodes.
std::shared_ptr<NodeIo> SystemNodeIo();

}  // namespace platform::uvc
