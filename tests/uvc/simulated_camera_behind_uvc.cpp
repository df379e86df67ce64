#include "tests/uvc/simulated_camera_behind_uvc.h"

#include <linux/usb/video.h>

#include <cerrno>

#include "platform/devices/device_registry.h"
#include "tests/uvc/sample_cameras.h"

namespace uvc_test {
namespace {

constexpr std::uint8_t kFlashControl = 3;
constexpr std::size_t kBurnerFlashPayload = 11;  // bytes

}  // namespace

SimulatedCameraBehindUvc::SimulatedCameraBehindUvc(simcam::SimulatedCamera& camera) {
  // The camera's first device, taken out of the registry again at once.
  const std::size_t before = platform::RegisteredVideoInputDevices().size();
  camera.Register();
  const auto devices = platform::RegisteredVideoInputDevices();
  camera.Unregister();
  if (devices.size() > before && devices[before]->BindFilter(filter_.Put()) == S_OK) {
    filter_->QueryInterface(IID_IKsControl, reinterpret_cast<void**>(control_.Put()));
  }
  const int unitNode = camera.Config().extensionUnitNode;
  modelNode_ = static_cast<ULONG>(unitNode >= 0 ? unitNode : static_cast<int>(camera.Config().answerNodeId));

  MachineCamera tool = ToolCamera();
  tool.camera = [this](int handle, std::uint8_t, std::uint8_t selector, std::uint8_t query, std::span<std::uint8_t> data) {
    return Answer(handle, selector, query, data);
  };
  machine.AddCamera(tool);
  auto source = std::make_shared<platform::uvc::RealCameraSource>(machine.Host());
  platform::SetVideoInputSource([source] { return source->Scan(); });
}

SimulatedCameraBehindUvc::~SimulatedCameraBehindUvc() = default;

void SimulatedCameraBehindUvc::MarkBurnerNode() {
  const auto open = machine.kernel->OpenHandles();
  burnerHandle_ = open.size() == 1 ? *open.begin() : -1;
}

int SimulatedCameraBehindUvc::Answer(int handle, std::uint8_t selector, std::uint8_t query, std::span<std::uint8_t> data) {
  if (!control_) return -ENODEV;
  ULONG length = static_cast<ULONG>(data.size());
  const bool burnerTransfer = handle == burnerHandle_ && selector == kFlashControl && data.size() > kBurnerFlashPayload;
  if (burnerTransfer) {
    for (std::size_t i = kBurnerFlashPayload; query == UVC_SET_CUR && i < data.size(); ++i) {
      if (data[i] != 0) return -EPROTO;  // the provider padded with something other than zeros
    }
    length = kBurnerFlashPayload;
    std::fill(data.begin() + kBurnerFlashPayload, data.end(), 0);
  }
  KSP_NODE property{{PROPSETID_EXTENSION_UNIT, selector,
                     (query == UVC_SET_CUR ? KSPROPERTY_TYPE_SET : KSPROPERTY_TYPE_GET) | KSPROPERTY_TYPE_TOPOLOGY},
                    modelNode_, 0};
  ULONG returned = 0;
  const HRESULT status = control_->KsProperty(&property.Property, sizeof property, data.data(), length, &returned);
  if (status == S_OK) return 0;
  // An unplugged camera ends the USB request with ENODEV; any other refusal is a stall.
  return status == HRESULT_FROM_WIN32_DEVICE_NOT_CONNECTED ? -ENODEV : -EPIPE;
}

}  // namespace uvc_test
