#include "simulated_camera/camera_devices.h"

#include <algorithm>

namespace simcam {
namespace {

// A foreign webcam's topology: a processing unit and an extension unit of its own vendor, which
// knows nothing of the camera's property set.
const std::vector<GUID>& ForeignNodes() {
  static const std::vector<GUID> nodes = {KSNODETYPE_VIDEO_PROCESSING, KSNODETYPE_DEV_SPECIFIC};
  return nodes;
}

// A node instance from CreateNodeInstance: requests through it address its own node.
class NodeControl final : public IKsControl, public platform::ComObject<NodeControl> {
 public:
  NodeControl(std::shared_ptr<CameraModel> model, int device, int node)
      : model_(std::move(model)), device_(device), node_(node) {}

  HRESULT QueryInterface(REFIID riid, void** object) override {
    return QueryInterfaceImpl<IKsControl>(riid, object);
  }
  ULONG AddRef() override { return AddRefImpl(); }
  ULONG Release() override { return ReleaseImpl(); }

  HRESULT KsProperty(PKSPROPERTY property, ULONG propertyLength, LPVOID data, ULONG dataLength,
                     ULONG* bytesReturned) override {
    return model_->KsProperty(device_, node_, property, propertyLength, data, dataLength, bytesReturned);
  }

 private:
  std::shared_ptr<CameraModel> model_;
  int device_;
  int node_;
};

class CameraFilter final : public IBaseFilter,
                           public IKsControl,
                           public IKsTopologyInfo,
                           public IKsPropertySet,
                           public platform::ComObject<CameraFilter> {
 public:
  CameraFilter(std::shared_ptr<CameraModel> model, int device) : model_(std::move(model)), device_(device) {}

  HRESULT QueryInterface(REFIID riid, void** object) override {
    const auto& refused = Spec().refusedInterfaces;
    if (object != nullptr && std::find(refused.begin(), refused.end(), riid) != refused.end()) {
      *object = nullptr;
      return E_NOINTERFACE;
    }
    return QueryInterfaceImpl<IBaseFilter, IKsControl, IKsTopologyInfo, IKsPropertySet>(riid, object);
  }
  ULONG AddRef() override { return AddRefImpl(); }
  ULONG Release() override { return ReleaseImpl(); }

  // IKsControl
  HRESULT KsProperty(PKSPROPERTY property, ULONG propertyLength, LPVOID data, ULONG dataLength,
                     ULONG* bytesReturned) override {
    return model_->KsProperty(device_, -1, property, propertyLength, data, dataLength, bytesReturned);
  }

  // IKsTopologyInfo
  HRESULT get_NumNodes(DWORD* count) override {
    if (count == nullptr) return E_POINTER;
    *count = static_cast<DWORD>(Nodes().size());
    return S_OK;
  }
  HRESULT get_NodeType(DWORD index, GUID* nodeType) override {
    if (nodeType == nullptr) return E_POINTER;
    if (index >= Nodes().size()) return E_INVALIDARG;
    *nodeType = Nodes()[index];
    return S_OK;
  }
  HRESULT CreateNodeInstance(DWORD index, REFIID riid, void** object) override {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    if (index >= Nodes().size()) return E_INVALIDARG;
    auto* node = new NodeControl(model_, device_, static_cast<int>(index));
    HRESULT hr = node->QueryInterface(riid, object);
    node->Release();
    return hr;
  }

  // IKsPropertySet
  HRESULT Set(REFGUID set, DWORD id, LPVOID, DWORD, LPVOID propertyData, DWORD dataLength) override {
    return model_->FallbackCall(device_, true, set, id, propertyData, dataLength, nullptr);
  }
  HRESULT Get(REFGUID set, DWORD id, LPVOID, DWORD, LPVOID propertyData, DWORD dataLength,
              DWORD* bytesReturned) override {
    return model_->FallbackCall(device_, false, set, id, propertyData, dataLength, bytesReturned);
  }
  HRESULT QuerySupported(REFGUID set, DWORD id, DWORD* support) override {
    return model_->FallbackSupport(device_, set, id, support);
  }

 private:
  const DeviceSpec& Spec() const { return model_->Config().devices[device_]; }
  const std::vector<GUID>& Nodes() const {
    return Spec().kind == DeviceKind::Camera ? model_->Config().nodeTypes : ForeignNodes();
  }

  std::shared_ptr<CameraModel> model_;
  int device_;
};

constexpr std::wstring_view kFriendlyName = L"FriendlyName";
constexpr std::wstring_view kDevicePath = L"DevicePath";

}  // namespace

HRESULT SimulatedDevice::BindToStorageStatus() { return Spec().bindToStorage; }

HRESULT SimulatedDevice::ReadProperty(std::wstring_view name, std::wstring& value) {
  const DeviceSpec& spec = Spec();
  if (name == kFriendlyName) {
    if (spec.friendlyNameRead != S_OK) return spec.friendlyNameRead;
    value = spec.friendlyName;
    return S_OK;
  }
  if (name == kDevicePath) {
    if (spec.devicePathRead != S_OK) return spec.devicePathRead;
    value = spec.devicePath;
    return S_OK;
  }
  return E_FAIL;
}

HRESULT SimulatedDevice::BindFilter(IBaseFilter** filter) {
  if (filter == nullptr) return E_POINTER;
  *filter = nullptr;
  if (Spec().bindToObject != S_OK) return Spec().bindToObject;
  *filter = new CameraFilter(model_, index_);
  return S_OK;
}

}  // namespace simcam
