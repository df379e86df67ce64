#include "wrapped_camera.h"

#include <algorithm>

#include "platform/com/unknown.h"
#include "platform/devices/kernel_streaming.h"

namespace sftest {
namespace {

constexpr ULONG kControl2 = 2;
constexpr std::uint8_t kPatternStart = 0xA0;

bool Listed(const std::vector<DWORD>& list, DWORD index) {
  return std::find(list.begin(), list.end(), index) != list.end();
}

class WrappedFilter final : public IBaseFilter,
                            public IKsControl,
                            public IKsTopologyInfo,
                            public platform::ComObject<WrappedFilter> {
 public:
  WrappedFilter(IBaseFilter* inner, const WrapperFaults& faults) : inner_(inner), faults_(faults) {}
  ~WrappedFilter() { inner_->Release(); }

  HRESULT QueryInterface(REFIID riid, void** object) override {
    if (object != nullptr && (riid == IID_IKsControl || riid == IID_IKsTopologyInfo)) {
      // Offered exactly when the camera offers them.
      void* probe = nullptr;
      HRESULT hr = inner_->QueryInterface(riid, &probe);
      if (hr != S_OK) {
        *object = nullptr;
        return hr;
      }
      static_cast<IUnknown*>(probe)->Release();
    }
    return QueryInterfaceImpl<IBaseFilter, IKsControl, IKsTopologyInfo>(riid, object);
  }
  ULONG AddRef() override { return AddRefImpl(); }
  ULONG Release() override { return ReleaseImpl(); }

  HRESULT KsProperty(PKSPROPERTY property, ULONG propertyLength, LPVOID data, ULONG dataLength,
                     ULONG* returned) override {
    IKsControl* control = Inner<IKsControl>(IID_IKsControl);
    HRESULT hr = control->KsProperty(property, propertyLength, data, dataLength, returned);
    control->Release();
    if (hr == S_OK && faults_.control2Pattern && property->Id == kControl2 &&
        (property->Flags & KSPROPERTY_TYPE_GET) != 0 && data != nullptr) {
      auto* bytes = static_cast<std::uint8_t*>(data);
      for (ULONG i = 0; i < dataLength; ++i) bytes[i] = static_cast<std::uint8_t>(kPatternStart + i);
    }
    return hr;
  }

  HRESULT get_NumNodes(DWORD* count) override {
    IKsTopologyInfo* topology = Inner<IKsTopologyInfo>(IID_IKsTopologyInfo);
    HRESULT hr = topology->get_NumNodes(count);
    topology->Release();
    return hr == S_OK ? faults_.numNodes : hr;
  }
  HRESULT get_NodeType(DWORD index, GUID* type) override {
    IKsTopologyInfo* topology = Inner<IKsTopologyInfo>(IID_IKsTopologyInfo);
    HRESULT hr = topology->get_NodeType(index, type);
    topology->Release();
    return hr == S_OK && Listed(faults_.nodeTypeFails, index) ? E_FAIL : hr;
  }
  HRESULT CreateNodeInstance(DWORD index, REFIID riid, void** object) override {
    if (Listed(faults_.instanceFails, index)) {
      *object = nullptr;
      return E_FAIL;
    }
    IKsTopologyInfo* topology = Inner<IKsTopologyInfo>(IID_IKsTopologyInfo);
    HRESULT hr = topology->CreateNodeInstance(index, riid, object);
    topology->Release();
    return hr;
  }

 private:
  template <class T>
  T* Inner(REFIID riid) {
    void* raw = nullptr;
    inner_->QueryInterface(riid, &raw);
    return static_cast<T*>(raw);
  }

  IBaseFilter* inner_;
  WrapperFaults faults_;
};

class WrappedDevice final : public platform::VideoInputDevice {
 public:
  WrappedDevice(std::shared_ptr<platform::VideoInputDevice> inner, const WrapperFaults& faults)
      : inner_(std::move(inner)), faults_(faults) {}
  HRESULT BindToStorageStatus() override { return inner_->BindToStorageStatus(); }
  HRESULT ReadProperty(std::wstring_view name, std::wstring& value) override { return inner_->ReadProperty(name, value); }
  HRESULT BindFilter(IBaseFilter** filter) override {
    IBaseFilter* inner = nullptr;
    HRESULT hr = inner_->BindFilter(&inner);
    if (hr != S_OK) return hr;
    *filter = new WrappedFilter(inner, faults_);
    return S_OK;
  }

 private:
  std::shared_ptr<platform::VideoInputDevice> inner_;
  WrapperFaults faults_;
};

}  // namespace

void WrapRegisteredDevices(const WrapperFaults& faults) {
  std::vector<std::shared_ptr<platform::VideoInputDevice>> devices = platform::RegisteredVideoInputDevices();
  for (const auto& device : devices) platform::UnregisterVideoInputDevice(device.get());
  for (const auto& device : devices) platform::RegisterVideoInputDevice(std::make_shared<WrappedDevice>(device, faults));
}

}  // namespace sftest
