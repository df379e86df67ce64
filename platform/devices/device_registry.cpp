#include "platform/devices/device_registry.h"

#include <algorithm>
#include <mutex>

namespace platform {
namespace {

std::mutex registry_mutex;
std::vector<std::shared_ptr<VideoInputDevice>>& Devices() {
  static std::vector<std::shared_ptr<VideoInputDevice>> devices;
  return devices;
}
EnumerationFaults faults;
VideoInputSource source;

}  // namespace

void RegisterVideoInputDevice(std::shared_ptr<VideoInputDevice> device) {
  std::lock_guard lock(registry_mutex);
  Devices().push_back(std::move(device));
}

void UnregisterVideoInputDevice(const VideoInputDevice* device) {
  std::lock_guard lock(registry_mutex);
  auto& devices = Devices();
  devices.erase(std::remove_if(devices.begin(), devices.end(), [&](const auto& d) { return d.get() == device; }),
                devices.end());
}

void ClearVideoInputDevices() {
  std::lock_guard lock(registry_mutex);
  Devices().clear();
  faults = {};
  source = nullptr;
}

std::vector<std::shared_ptr<VideoInputDevice>> RegisteredVideoInputDevices() {
  std::lock_guard lock(registry_mutex);
  return Devices();
}

void SetVideoInputSource(VideoInputSource newSource) {
  std::lock_guard lock(registry_mutex);
  source = std::move(newSource);
}

std::vector<std::shared_ptr<VideoInputDevice>> CurrentVideoInputDevices() {
  VideoInputSource current;
  std::vector<std::shared_ptr<VideoInputDevice>> devices;
  {
    std::lock_guard lock(registry_mutex);
    devices = Devices();
    current = source;
  }
  if (current) {
    for (auto& device : current()) devices.push_back(std::move(device));
  }
  return devices;
}

void SetEnumerationFaults(const EnumerationFaults& newFaults) {
  std::lock_guard lock(registry_mutex);
  faults = newFaults;
}

EnumerationFaults CurrentEnumerationFaults() {
  std::lock_guard lock(registry_mutex);
  return faults;
}

}  // namespace platform
