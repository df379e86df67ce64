#include "tests/uvc/fake_machine.h"

#include <stdlib.h>

#include <filesystem>
#include <fstream>

namespace uvc_test {
namespace {

namespace fs = std::filesystem;

void WriteFile(const fs::path& path, const std::string& text) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << text;
}

std::string Hex4(std::uint16_t value) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "%04x", value);
  return buf;
}

}  // namespace

FakeMachine::FakeMachine() {
  std::string pattern = (fs::temp_directory_path() / "flarnex-sysfs-XXXXXX").string();
  if (::mkdtemp(pattern.data()) != nullptr) root_ = pattern;
  fs::create_directories(fs::path(root_) / "class/video4linux");
  fs::create_directories(fs::path(root_) / "bus/usb/drivers/uvcvideo");
}

FakeMachine::~FakeMachine() {
  std::error_code ec;
  if (!root_.empty()) fs::remove_all(root_, ec);
}

// devices/pci0000:00/usb1/<port>/                 descriptors, bConfigurationValue, idVendor, idProduct
//   <port>:1.<n>/                                 bInterfaceNumber, driver -> bus/usb/drivers/<driver>
//     video4linux/videoN/                         name, device -> ../../../<port>:1.<n>
// class/video4linux/videoN -> ../../devices/.../video4linux/videoN
void FakeMachine::AddCamera(const MachineCamera& c) {
  const fs::path root(root_);
  const fs::path usb = root / "devices/pci0000:00/usb1" / c.port;
  char interfaceName[16];
  std::snprintf(interfaceName, sizeof interfaceName, ":1.%u", c.interfaceNumber);
  const fs::path interface = usb / (c.port + interfaceName);
  WriteFile(usb / "descriptors", std::string(c.descriptors.begin(), c.descriptors.end()));
  WriteFile(usb / "bConfigurationValue", c.configuration + "\n");
  WriteFile(usb / "idVendor", Hex4(c.vendor) + "\n");
  WriteFile(usb / "idProduct", Hex4(c.product) + "\n");
  char number[8];
  std::snprintf(number, sizeof number, "%02x\n", c.interfaceNumber);
  WriteFile(interface / "bInterfaceNumber", number);
  fs::create_directories(root / "bus/usb/drivers" / c.driver);
  fs::create_symlink(fs::relative(root / "bus/usb/drivers" / c.driver, interface), interface / "driver");

  for (std::size_t i = 0; i < c.nodes.size(); ++i) {
    const std::string node = "video" + std::to_string(c.nodes[i]);
    const fs::path nodeDir = interface / "video4linux" / node;
    WriteFile(nodeDir / "name", c.name + "\n");
    fs::create_symlink("../../../" + interface.filename().string(), nodeDir / "device");
    fs::create_symlink(fs::relative(nodeDir, root / "class/video4linux"), root / "class/video4linux" / node);
    FakeNode fake;
    fake.path = "/dev/" + node;
    fake.openError = c.openError;
    if (i == 0) {
      fake.units = c.units;
      fake.camera = c.camera;
    } else {
      fake.deviceCaps = V4L2_CAP_META_CAPTURE | V4L2_CAP_STREAMING;
    }
    kernel->AddNode(std::move(fake));
  }
}

platform::uvc::CameraHost FakeMachine::Host() {
  platform::uvc::CameraHost host;
  host.sysfsRoot = root_;
  host.io = kernel;
  host.warn = [this](const std::string& line) {
    std::lock_guard lock(mutex_);
    warnings_.push_back(line);
  };
  return host;
}

std::vector<std::string> FakeMachine::Warnings() const {
  std::lock_guard lock(mutex_);
  return warnings_;
}

}  // namespace uvc_test
