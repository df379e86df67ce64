#include "simulated_camera/simulated_camera.h"

// Interim bodies so that dependants link while the model is being built.
namespace simcam {

class CameraModel {};
class SimulatedDevice {};

CameraConfig::CameraConfig() {}

const std::vector<FlashProfile>& FlashCatalogue() {
  static const std::vector<FlashProfile> none;
  return none;
}
const FlashProfile* FindFlashProfile(std::string_view) { return nullptr; }
FlashProfile SilentFlashProfile(std::uint8_t idleByte) {
  FlashProfile p;
  p.idleByte = idleByte;
  return p;
}
bool VersionBoxAddresses(std::uint8_t, FirmwareInfoAddresses*) { return false; }
FirmwareInfoAddresses ExportNameAddresses(std::uint8_t) { return {0x0FD0, 0x0153}; }
std::uint32_t WriteProtectConfigAddress(std::uint8_t) { return 0x8034; }
std::uint8_t WriteProtectConfigByteFor(std::uint8_t pin, bool activeLow) {
  return static_cast<std::uint8_t>((pin & 7) << 4 | (activeLow ? 2 : 1));
}
std::vector<std::uint8_t> MakeSampleFirmware(std::uint8_t, std::uint8_t, const FirmwareStrings&) {
  return std::vector<std::uint8_t>(kImageSize, 0xFF);
}
std::optional<CameraConfig> ParseCameraConfig(std::string_view, std::string* error) {
  if (error) *error = "not yet";
  return std::nullopt;
}

std::shared_ptr<SimulatedCamera> SimulatedCamera::Create(const CameraConfig&, std::string*) {
  return std::shared_ptr<SimulatedCamera>(new SimulatedCamera());
}
SimulatedCamera::~SimulatedCamera() = default;
void SimulatedCamera::Register() {}
void SimulatedCamera::Unregister() {}
const CameraConfig& SimulatedCamera::Config() const {
  static const CameraConfig config;
  return config;
}
std::uint8_t SimulatedCamera::Reg(std::uint16_t) const { return 0; }
void SimulatedCamera::SetReg(std::uint16_t, std::uint8_t) {}
void SimulatedCamera::SetMode(std::uint8_t) {}
std::vector<std::uint8_t> SimulatedCamera::Flash() const { return {}; }
void SimulatedCamera::SetFlash(std::span<const std::uint8_t>, std::uint32_t) {}
std::uint8_t SimulatedCamera::StatusRegister() const { return 0; }
void SimulatedCamera::SetStatusRegister(std::uint8_t) {}
bool SimulatedCamera::WriteProtectAsserted() const { return false; }
bool SimulatedCamera::ChipSelected() const { return false; }
bool SimulatedCamera::HostAccess() const { return false; }
std::vector<RequestRecord> SimulatedCamera::Requests() const { return {}; }
std::vector<SpiFrame> SimulatedCamera::SpiFrames() const { return {}; }
std::uint64_t SimulatedCamera::RequestCount() const { return 0; }
void SimulatedCamera::ClearTrace() {}
void SimulatedCamera::SetTracing(bool) {}
void SimulatedCamera::AddFault(const Fault&) {}
void SimulatedCamera::ClearFaults() {}
bool RegisterFromEnvironment(std::string* error) {
  if (error) error->clear();
  return false;
}
std::shared_ptr<SimulatedCamera> EnvironmentCamera() { return nullptr; }

}  // namespace simcam
