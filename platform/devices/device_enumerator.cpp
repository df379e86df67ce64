#include "platform/devices/device_enumerator.h"

#include <string>

#include "platform/devices/device_registry.h"

namespace platform {
namespace {

class PropertyBag final : public IPropertyBag, public ComObject<PropertyBag> {
 public:
  explicit PropertyBag(std::shared_ptr<VideoInputDevice> device) : device_(std::move(device)) {}

  HRESULT QueryInterface(REFIID riid, void** object) override {
    return QueryInterfaceImpl<IPropertyBag>(riid, object);
  }
  ULONG AddRef() override { return AddRefImpl(); }
  ULONG Release() override { return ReleaseImpl(); }

  HRESULT Read(LPCOLESTR name, VARIANT* value, IErrorLog*) override {
    if (name == nullptr || value == nullptr) return E_POINTER;
    if (value->vt != VT_BSTR && value->vt != VT_EMPTY) return DISP_E_TYPEMISMATCH;
    std::wstring text;
    // The device's own status, success codes other than S_OK included: the caller judges them.
    HRESULT hr = device_->ReadProperty(name, text);
    if (hr != S_OK) return hr;
    value->vt = VT_BSTR;
    value->bstrVal = SysAllocString(text.c_str());
    return value->bstrVal != nullptr ? S_OK : E_OUTOFMEMORY;
  }
  HRESULT Write(LPCOLESTR, VARIANT*) override { return E_ACCESSDENIED; }

 private:
  std::shared_ptr<VideoInputDevice> device_;
};

class DeviceMoniker final : public IMoniker, public ComObject<DeviceMoniker> {
 public:
  explicit DeviceMoniker(std::shared_ptr<VideoInputDevice> device) : device_(std::move(device)) {}

  HRESULT QueryInterface(REFIID riid, void** object) override {
    return QueryInterfaceImpl<IMoniker>(riid, object);
  }
  ULONG AddRef() override { return AddRefImpl(); }
  ULONG Release() override { return ReleaseImpl(); }

  HRESULT BindToObject(IBindCtx*, IMoniker*, REFIID riid, void** object) override {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    IBaseFilter* filter = nullptr;
    HRESULT hr = device_->BindFilter(&filter);
    if (FAILED(hr) || filter == nullptr) return FAILED(hr) ? hr : E_FAIL;
    if (riid == IID_IBaseFilter) {
      *object = filter;
      return hr;
    }
    hr = filter->QueryInterface(riid, object);
    filter->Release();
    return hr;
  }

  HRESULT BindToStorage(IBindCtx*, IMoniker*, REFIID riid, void** object) override {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    if (!(riid == IID_IPropertyBag)) return E_NOINTERFACE;
    HRESULT hr = device_->BindToStorageStatus();
    if (FAILED(hr)) return hr;
    *object = static_cast<IPropertyBag*>(new PropertyBag(device_));
    return hr;
  }

 private:
  std::shared_ptr<VideoInputDevice> device_;
};

// Offers the devices registered when the category was enumerated, one moniker at a time.
class MonikerEnumerator final : public IEnumMoniker, public ComObject<MonikerEnumerator> {
 public:
  MonikerEnumerator(std::vector<std::shared_ptr<VideoInputDevice>> devices, EnumerationFaults faults)
      : devices_(std::move(devices)), faults_(faults) {}

  HRESULT QueryInterface(REFIID riid, void** object) override {
    return QueryInterfaceImpl<IEnumMoniker>(riid, object);
  }
  ULONG AddRef() override { return AddRefImpl(); }
  ULONG Release() override { return ReleaseImpl(); }

  HRESULT Next(ULONG count, IMoniker** monikers, ULONG* fetched) override {
    if (monikers == nullptr) return E_POINTER;
    if (count != 1 && fetched == nullptr) return E_INVALIDARG;
    ULONG given = 0;
    while (given < count && next_ < devices_.size()) {
      if (static_cast<int>(next_) == faults_.nextFailsAt) {
        if (fetched != nullptr) *fetched = given;
        return faults_.nextFailure;
      }
      monikers[given++] = new DeviceMoniker(devices_[next_++]);
    }
    if (fetched != nullptr) *fetched = given;
    return given == count ? S_OK : S_FALSE;
  }
  HRESULT Skip(ULONG count) override {
    std::size_t left = devices_.size() - next_;
    next_ += count < left ? count : left;
    return count <= left ? S_OK : S_FALSE;
  }
  HRESULT Reset() override {
    next_ = 0;
    return S_OK;
  }

 private:
  std::vector<std::shared_ptr<VideoInputDevice>> devices_;
  EnumerationFaults faults_;
  std::size_t next_ = 0;
};

class SystemDeviceEnumerator final : public ICreateDevEnum, public ComObject<SystemDeviceEnumerator> {
 public:
  HRESULT QueryInterface(REFIID riid, void** object) override {
    return QueryInterfaceImpl<ICreateDevEnum>(riid, object);
  }
  ULONG AddRef() override { return AddRefImpl(); }
  ULONG Release() override { return ReleaseImpl(); }

  HRESULT CreateClassEnumerator(REFCLSID category, IEnumMoniker** enumerator, DWORD) override {
    if (enumerator == nullptr) return E_POINTER;
    *enumerator = nullptr;
    EnumerationFaults faults = CurrentEnumerationFaults();
    if (faults.createClassEnumerator != S_OK) return faults.createClassEnumerator;
    // Only video-input devices are known here; every other category is empty.
    if (!(category == CLSID_VideoInputDeviceCategory)) return S_FALSE;
    auto devices = CurrentVideoInputDevices();
    if (devices.empty()) return S_FALSE;
    *enumerator = new MonikerEnumerator(std::move(devices), faults);
    return S_OK;
  }
};

}  // namespace

HRESULT CreateSystemDeviceEnumerator(REFIID riid, void** object) {
  HRESULT fault = CurrentEnumerationFaults().createDeviceEnumerator;
  if (fault != S_OK) return fault;
  auto* enumerator = new SystemDeviceEnumerator();
  HRESULT hr = enumerator->QueryInterface(riid, object);
  enumerator->Release();
  return hr;
}

}  // namespace platform
