#pragma once
// A gate in front of the camera: while it is closed, every extension-unit request made off the
// user-interface thread waits at it. A test closes it, starts an operation, and knows for certain
// that the worker is running (and held) while it knocks on the dialog.
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>

#include "platform/devices/device_registry.h"
#include "platform/devices/kernel_streaming.h"
#include "platform/dialog/ui_dispatcher.h"

namespace ui_test {

class RequestGate {
 public:
  void Close() {
    std::lock_guard lock(mutex_);
    closed_ = true;
  }
  void Open() {
    {
      std::lock_guard lock(mutex_);
      closed_ = false;
    }
    changed_.notify_all();
  }
  // True once a request is waiting at the closed gate.
  bool WaitUntilHeld(std::chrono::milliseconds timeout) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, timeout, [&] { return held_ > 0; });
  }
  void Pass() {
    std::unique_lock lock(mutex_);
    if (!closed_) return;
    ++held_;
    changed_.notify_all();
    changed_.wait(lock, [&] { return !closed_; });
    --held_;
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  bool closed_ = false;
  int held_ = 0;
};

class GatedControl final : public IKsControl, public platform::ComObject<GatedControl> {
 public:
  GatedControl(platform::ComPtr<IKsControl> inner, std::shared_ptr<RequestGate> gate)
      : inner_(std::move(inner)), gate_(std::move(gate)) {}
  HRESULT QueryInterface(REFIID riid, void** object) override {
    HRESULT hr = QueryInterfaceImpl<IKsControl>(riid, object);
    return hr == E_NOINTERFACE ? inner_->QueryInterface(riid, object) : hr;
  }
  ULONG AddRef() override { return AddRefImpl(); }
  ULONG Release() override { return ReleaseImpl(); }
  HRESULT KsProperty(PKSPROPERTY property, ULONG propertyLength, LPVOID data, ULONG dataLength,
                     ULONG* bytesReturned) override {
    if (!platform::dialog::UiDispatcher::Get().OnUiThread()) gate_->Pass();
    return inner_->KsProperty(property, propertyLength, data, dataLength, bytesReturned);
  }

 private:
  platform::ComPtr<IKsControl> inner_;
  std::shared_ptr<RequestGate> gate_;
};

class GatedFilter final : public IBaseFilter, public platform::ComObject<GatedFilter> {
 public:
  GatedFilter(platform::ComPtr<IBaseFilter> inner, std::shared_ptr<RequestGate> gate)
      : inner_(std::move(inner)), gate_(std::move(gate)) {}
  HRESULT QueryInterface(REFIID riid, void** object) override {
    if (object != nullptr && riid == IID_IKsControl) {
      platform::ComPtr<IKsControl> control;
      HRESULT hr = inner_->QueryInterface(IID_IKsControl, reinterpret_cast<void**>(control.Put()));
      if (hr != S_OK) return hr;
      *object = static_cast<IKsControl*>(new GatedControl(std::move(control), gate_));
      return S_OK;
    }
    HRESULT hr = QueryInterfaceImpl<IBaseFilter>(riid, object);
    return hr == E_NOINTERFACE ? inner_->QueryInterface(riid, object) : hr;
  }
  ULONG AddRef() override { return AddRefImpl(); }
  ULONG Release() override { return ReleaseImpl(); }

 private:
  platform::ComPtr<IBaseFilter> inner_;
  std::shared_ptr<RequestGate> gate_;
};

class GatedDevice final : public platform::VideoInputDevice {
 public:
  GatedDevice(std::shared_ptr<platform::VideoInputDevice> inner, std::shared_ptr<RequestGate> gate)
      : inner_(std::move(inner)), gate_(std::move(gate)) {}
  HRESULT BindToStorageStatus() override { return inner_->BindToStorageStatus(); }
  HRESULT ReadProperty(std::wstring_view name, std::wstring& value) override {
    return inner_->ReadProperty(name, value);
  }
  HRESULT BindFilter(IBaseFilter** filter) override {
    platform::ComPtr<IBaseFilter> inner;
    HRESULT hr = inner_->BindFilter(inner.Put());
    if (hr != S_OK) return hr;
    *filter = new GatedFilter(std::move(inner), gate_);
    return S_OK;
  }

 private:
  std::shared_ptr<platform::VideoInputDevice> inner_;
  std::shared_ptr<RequestGate> gate_;
};

// Puts the gate in front of every registered device.
inline std::shared_ptr<RequestGate> GateRegisteredDevices() {
  auto gate = std::make_shared<RequestGate>();
  auto devices = platform::RegisteredVideoInputDevices();
  platform::ClearVideoInputDevices();
  for (auto& device : devices) platform::RegisterVideoInputDevice(std::make_shared<GatedDevice>(device, gate));
  return gate;
}

}  // namespace ui_test
