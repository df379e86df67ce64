#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>

#include "platform/uvc/node_io.h"

namespace platform::uvc {
namespace {

class KernelNodeIo final : public NodeIo {
 public:
  int Open(const std::string& path, int* error) override {
    const int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0 && error != nullptr) *error = errno;
    return fd;
  }
  int QueryCapabilities(int handle, v4l2_capability* capabilities) override {
    return ::ioctl(handle, VIDIOC_QUERYCAP, capabilities) < 0 ? errno : 0;
  }
  int QueryControl(int handle, uvc_xu_control_query* query) override {
    const int result = ::ioctl(handle, UVCIOC_CTRL_QUERY, query);
    return result < 0 ? -errno : result;
  }
  void Close(int handle) override { ::close(handle); }
};

}  // namespace

std::shared_ptr<NodeIo> SystemNodeIo() {
  static const std::shared_ptr<NodeIo> io = std::make_shared<KernelNodeIo>();
  return io;
}

}  // namespace platform::uvc
