#include "platform/uvc/real_cameras.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <system_error>

#include "platform/text/code_page.h"
#include "platform/uvc/device_path.h"
#include "platform/uvc/uvc_camera_device.h"
#include "platform/uvc/video_control_descriptors.h"

namespace platform::uvc {
namespace {

namespace fs = std::filesystem;

constexpr char kVideoClass[] = "class/video4linux";
constexpr std::string_view kNodePrefix = "video";
constexpr char kDevDirectory[] = "/dev/";
constexpr char kUvcDriver[] = "uvcvideo";
constexpr std::size_t kTextLimit = 4096;          // bytes of a sysfs text attribute
constexpr std::size_t kDescriptorLimit = 1 << 20;  // bytes: each configuration is at most 64 KiB

std::string ReadFile(const fs::path& path, std::size_t limit) {
  std::ifstream in(path, std::ios::binary);
  std::string bytes(limit, '\0');
  in.read(bytes.data(), static_cast<std::streamsize>(limit));
  bytes.resize(static_cast<std::size_t>(std::max<std::streamsize>(in.gcount(), 0)));
  return bytes;
}

std::string ReadText(const fs::path& path) {
  std::string text = ReadFile(path, kTextLimit);
  while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
  return text;
}

std::optional<unsigned> ReadNumber(const fs::path& path, int base) {
  const std::string text = ReadText(path);
  unsigned value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
  if (error != std::errc() || end != text.data() + text.size() || text.empty()) return std::nullopt;
  return value;
}

// videoN nodes by N.
std::vector<std::pair<unsigned, std::string>> VideoNodes(const fs::path& classDir) {
  std::vector<std::pair<unsigned, std::string>> nodes;
  std::error_code ec;
  for (fs::directory_iterator it(classDir, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    if (!name.starts_with(kNodePrefix)) continue;
    const char* digits = name.data() + kNodePrefix.size();
    unsigned number = 0;
    const auto [stop, error] = std::from_chars(digits, name.data() + name.size(), number);
    if (error == std::errc() && stop == name.data() + name.size() && digits != stop) nodes.emplace_back(number, name);
  }
  std::sort(nodes.begin(), nodes.end());
  return nodes;
}

bool IsCaptureNode(const v4l2_capability& caps) {
  // `capabilities` covers every node of the device; `device_caps` is this node's own.
  const std::uint32_t node = (caps.capabilities & V4L2_CAP_DEVICE_CAPS) != 0 ? caps.device_caps : caps.capabilities;
  return (node & V4L2_CAP_VIDEO_CAPTURE) != 0;
}

std::string OpenFailure(const std::string& node, const std::string& name, int error) {
  std::string line = "flarnex: cannot open " + node + " (" + name + "): ";
  if (error == EACCES || error == EPERM) {
    return line + "permission denied; add the user to the 'video' group, or run the tool in the session of the "
                  "desktop seat";
  }
  return line + std::generic_category().message(error);
}

struct FoundCamera {
  UvcCameraDescription description;
  bool carriesToolUnit = false;
};

FoundCamera Describe(const fs::path& interfaceDir, const std::string& nodePath, const std::string& name) {
  const fs::path usbDir = interfaceDir.parent_path();
  const unsigned interfaceNumber = ReadNumber(interfaceDir / "bInterfaceNumber", 16).value_or(0);
  const auto configuration = ReadNumber(usbDir / "bConfigurationValue", 10);
  const auto vendor = static_cast<std::uint16_t>(ReadNumber(usbDir / "idVendor", 16).value_or(0));
  const auto product = static_cast<std::uint16_t>(ReadNumber(usbDir / "idProduct", 16).value_or(0));
  const std::string raw = ReadFile(usbDir / "descriptors", kDescriptorLimit);
  const std::span<const std::uint8_t> bytes(reinterpret_cast<const std::uint8_t*>(raw.data()), raw.size());

  FoundCamera found;
  UvcCameraDescription& d = found.description;
  d.nodePath = nodePath;
  auto topology = std::make_shared<Topology>();
  if (configuration) *topology = ParseVideoControl(bytes, static_cast<int>(*configuration), static_cast<int>(interfaceNumber));
  found.carriesToolUnit = std::any_of(topology->begin(), topology->end(), [](const VideoControlEntity& e) {
    return e.kind == EntityKind::ExtensionUnit && e.extensionCode == PROPSETID_EXTENSION_UNIT;
  });
  d.topology = std::move(topology);
  if (!name.empty()) {
    d.friendlyName = WideFromUtf8(name);
  } else {
    // uvcvideo's own name for a camera without a product string.
    char fallback[32];
    std::snprintf(fallback, sizeof fallback, "UVC Camera (%04x:%04x)", vendor, product);
    d.friendlyName = WideFromUtf8(fallback);
  }
  d.devicePath = ComposeDevicePath(vendor, product, interfaceNumber, usbDir.filename().string());
  return found;
}

}  // namespace

RealCameraSource::RealCameraSource(CameraHost host) : host_(std::move(host)) {}

std::vector<std::shared_ptr<VideoInputDevice>> RealCameraSource::Scan() {
  const fs::path classDir = fs::path(host_.sysfsRoot) / kVideoClass;
  std::vector<FoundCamera> found;
  std::set<fs::path> interfacesTaken;
  for (const auto& [number, node] : VideoNodes(classDir)) {
    const fs::path nodeDir = classDir / node;
    std::error_code ec;
    // uvcvideo registers its nodes on the VideoControl interface.
    const fs::path interfaceDir = fs::canonical(nodeDir / "device", ec);
    if (ec || interfacesTaken.count(interfaceDir) != 0) continue;
    const fs::path driver = fs::read_symlink(interfaceDir / "driver", ec);
    if (ec || driver.filename() != kUvcDriver) continue;

    const std::string nodePath = kDevDirectory + node;
    const std::string name = ReadText(nodeDir / "name");
    int error = 0;
    const int handle = host_.io->Open(nodePath, &error);
    if (handle < 0) {
      WarnOnce(interfaceDir.string(), OpenFailure(nodePath, name, error));
      continue;
    }
    v4l2_capability caps{};
    const bool capture = host_.io->QueryCapabilities(handle, &caps) == 0 && IsCaptureNode(caps);
    host_.io->Close(handle);
    if (!capture) continue;  // the metadata node; the capture node of the same camera serves
    interfacesTaken.insert(interfaceDir);
    found.push_back(Describe(interfaceDir, nodePath, name));
  }

  std::stable_partition(found.begin(), found.end(), [](const FoundCamera& c) { return c.carriesToolUnit; });
  std::vector<std::shared_ptr<VideoInputDevice>> devices;
  for (FoundCamera& camera : found) {
    devices.push_back(std::make_shared<UvcCameraDevice>(std::move(camera.description), host_.io));
  }
  return devices;
}

void RealCameraSource::WarnOnce(const std::string& camera, const std::string& line) {
  {
    std::lock_guard lock(warnedMutex_);
    if (!warned_.insert(camera).second) return;
  }
  if (host_.warn) {
    host_.warn(line);
  } else {
    std::fprintf(stderr, "%s\n", line.c_str());
  }
}

void RegisterRealCameras(CameraHost host) {
  auto source = std::make_shared<RealCameraSource>(std::move(host));
  SetVideoInputSource([source] { return source->Scan(); });
}

}  // namespace platform::uvc
