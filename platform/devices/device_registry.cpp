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
}

std::vector<std::shared_ptr<VideoInputDevice>> RegisteredVideoInputDevices() {
  std::lock_guard lock(registry_mutex);
  return Devices();
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
