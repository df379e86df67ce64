#include "simulated_camera/simulated_camera.h"

#include <cstdlib>
#include <mutex>

#include "platform/devices/device_registry.h"
#include "simulated_camera/camera_devices.h"
#include "simulated_camera/camera_model.h"

namespace simcam {

std::shared_ptr<SimulatedCamera> SimulatedCamera::Create(const CameraConfig& config, std::string* error) {
  std::shared_ptr<SimulatedCamera> camera(new SimulatedCamera());
  camera->model_ = std::make_shared<CameraModel>(config);
  if (!camera->model_->Initialise(error)) return nullptr;
  for (std::size_t i = 0; i < config.devices.size(); ++i) {
    camera->devices_.push_back(std::make_shared<SimulatedDevice>(camera->model_, static_cast<int>(i)));
  }
  return camera;
}

SimulatedCamera::~SimulatedCamera() = default;

void SimulatedCamera::Register() {
  for (const auto& device : devices_) platform::RegisterVideoInputDevice(device);
}

void SimulatedCamera::Unregister() {
  for (const auto& device : devices_) platform::UnregisterVideoInputDevice(device.get());
}

const CameraConfig& SimulatedCamera::Config() const { return model_->Config(); }
std::uint8_t SimulatedCamera::Reg(std::uint16_t address) const { return model_->Reg(address); }
void SimulatedCamera::SetReg(std::uint16_t address, std::uint8_t value) { model_->SetReg(address, value); }
void SimulatedCamera::SetMode(std::uint8_t mode) { model_->SetMode(mode); }
std::vector<std::uint8_t> SimulatedCamera::Flash() const { return model_->Flash(); }
void SimulatedCamera::SetFlash(std::span<const std::uint8_t> bytes, std::uint32_t offset) {
  model_->SetFlash(bytes.data(), bytes.size(), offset);
}
std::uint8_t SimulatedCamera::StatusRegister() const { return model_->StatusRegister(); }
void SimulatedCamera::SetStatusRegister(std::uint8_t value) { model_->SetStatusRegister(value); }
bool SimulatedCamera::WriteProtectAsserted() const { return model_->WriteProtectAsserted(); }
bool SimulatedCamera::ChipSelected() const { return model_->ChipSelected(); }
bool SimulatedCamera::HostAccess() const { return model_->HostAccess(); }
std::vector<RequestRecord> SimulatedCamera::Requests() const { return model_->Requests(); }
std::vector<SpiFrame> SimulatedCamera::SpiFrames() const { return model_->SpiFrames(); }
std::uint64_t SimulatedCamera::RequestCount() const { return model_->RequestCount(); }
void SimulatedCamera::ClearTrace() { model_->ClearTrace(); }
void SimulatedCamera::SetTracing(bool on) { model_->SetTracing(on); }
void SimulatedCamera::AddFault(const Fault& fault) { model_->AddFault(fault); }
void SimulatedCamera::ClearFaults() { model_->ClearFaults(); }

namespace {
std::mutex environment_mutex;
std::shared_ptr<SimulatedCamera>& EnvironmentSlot() {
  static std::shared_ptr<SimulatedCamera> camera;
  return camera;
}
}  // namespace

bool RegisterFromEnvironment(std::string* error) {
  std::string ignored;
  std::string& why = error != nullptr ? *error : ignored;
  why.clear();
  const char* text = std::getenv(kEnvironmentVariable);
  if (text == nullptr) return false;
  std::optional<CameraConfig> config = ParseCameraConfig(text, &why);
  if (!config) {
    why = std::string(kEnvironmentVariable) + ": " + why;
    return false;
  }
  std::shared_ptr<SimulatedCamera> camera = SimulatedCamera::Create(*config, &why);
  if (!camera) {
    why = std::string(kEnvironmentVariable) + ": " + why;
    return false;
  }
  std::lock_guard lock(environment_mutex);
  if (EnvironmentSlot()) EnvironmentSlot()->Unregister();
  EnvironmentSlot() = camera;
  camera->Register();
  return true;
}

std::shared_ptr<SimulatedCamera> EnvironmentCamera() {
  std::lock_guard lock(environment_mutex);
  return EnvironmentSlot();
}

}  // namespace simcam
