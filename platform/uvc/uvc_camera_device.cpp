#include "platform/uvc/uvc_camera_device.h"

#include "platform/uvc/errno_status.h"
#include "platform/uvc/uvc_filter.h"

namespace platform::uvc {
namespace {
constexpr std::wstring_view kFriendlyName = L"FriendlyName";
constexpr std::wstring_view kDevicePath = L"DevicePath";
}  // namespace

UvcCameraDevice::UvcCameraDevice(UvcCameraDescription description, std::shared_ptr<NodeIo> io)
    : description_(std::move(description)), io_(std::move(io)) {}

HRESULT UvcCameraDevice::ReadProperty(std::wstring_view name, std::wstring& value) {
  if (name == kFriendlyName) {
    value = description_.friendlyName;
    return S_OK;
  }
  if (name == kDevicePath) {
    value = description_.devicePath;
    return S_OK;
  }
  return E_INVALIDARG;
}

HRESULT UvcCameraDevice::BindFilter(IBaseFilter** filter) {
  if (filter == nullptr) return E_POINTER;
  *filter = nullptr;
  int error = 0;
  const int handle = io_->Open(description_.nodePath, &error);
  if (handle < 0) return StatusFromErrno(error).status;
  *filter = CreateUvcFilter(std::make_shared<ExtensionUnitChannel>(io_, handle, description_.topology));
  return S_OK;
}

}  // namespace platform::uvc
