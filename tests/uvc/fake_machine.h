#pragma once
// A machine with USB cameras for the real-camera provider: a sysfs tree of real files and
// symlinks in a temporary directory, laid out as Linux lays it out, and the fake uvcvideo behind
// the video nodes.
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/uvc/real_cameras.h"
#include "tests/uvc/descriptor_builder.h"
#include "tests/uvc/fake_uvc_kernel.h"

namespace uvc_test {

struct MachineCamera {
  std::string port = "1-1";               // USB device name: bus 1, port 1
  std::uint16_t vendor = 0x1d6b;
  std::uint16_t product = 0x0102;
  std::string configuration = "1";       // bConfigurationValue as sysfs shows it
  std::uint8_t interfaceNumber = 0;      // the VideoControl interface
  std::string driver = "uvcvideo";
  std::string name = "USB Camera";       // the nodes' sysfs name
  Bytes descriptors;
  // videoN nodes of the VideoControl interface: the first is the capture node, the others metadata.
  std::vector<unsigned> nodes = {0, 1};
  int openError = 0;                      // errno opening any of its nodes fails with
  std::vector<FakeUnit> units;            // extension units uvcvideo reaches from the capture node
  CameraAnswer camera;
};

class FakeMachine {
 public:
  FakeMachine();
  ~FakeMachine();
  FakeMachine(const FakeMachine&) = delete;
  FakeMachine& operator=(const FakeMachine&) = delete;

  void AddCamera(const MachineCamera& camera);
  // What the provider needs to see this machine; its warnings land in Warnings().
  platform::uvc::CameraHost Host();
  std::vector<std::string> Warnings() const;
  const std::string& Root() const { return root_; }

  const std::shared_ptr<FakeUvcKernel> kernel = std::make_shared<FakeUvcKernel>();

 private:
  std::string root_;
  mutable std::mutex mutex_;
  std::vector<std::string> warnings_;
};

}  // namespace uvc_test
