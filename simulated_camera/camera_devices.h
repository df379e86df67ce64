#pragma once
// The video-input devices the simulated camera registers: each is a platform device whose bound
// filter is a COM object offering IKsControl, IKsTopologyInfo and IKsPropertySet, backed by the
// shared camera model.
#include <memory>

#include "platform/devices/device_registry.h"
#include "simulated_camera/camera_model.h"

namespace simcam {

class SimulatedDevice final : public platform::VideoInputDevice {
 public:
  SimulatedDevice(std::shared_ptr<CameraModel> model, int index) : model_(std::move(model)), index_(index) {}
  HRESULT BindToStorageStatus() override;
  HRESULT ReadProperty(std::wstring_view name, std::wstring& value) override;
  HRESULT BindFilter(IBaseFilter** filter) override;

 private:
  const DeviceSpec& Spec() const { return model_->Config().devices[index_]; }
  std::shared_ptr<CameraModel> model_;
  int index_;
};

}  // namespace simcam
