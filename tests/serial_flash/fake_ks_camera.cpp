#include "fake_ks_camera.h"

#include <algorithm>
#include <cstring>

#include "platform/com/unknown.h"

namespace sftest {
namespace {

FakeCall Record(PKSPROPERTY property, ULONG propertyLength, LPVOID data, ULONG dataLength) {
  FakeCall call;
  call.set = property->Set;
  call.id = property->Id;
  call.flags = property->Flags;
  call.propertyLength = propertyLength;
  if (propertyLength >= sizeof(KSP_NODE)) call.nodeId = reinterpret_cast<KSP_NODE*>(property)->NodeId;
  call.dataLength = dataLength;
  if (data != nullptr) {
    auto* bytes = static_cast<std::uint8_t*>(data);
    call.data.assign(bytes, bytes + dataLength);
  }
  return call;
}

class FakeControl final : public IKsControl, public platform::ComObject<FakeControl> {
 public:
  explicit FakeControl(std::shared_ptr<FakeCameraState> state) : state_(std::move(state)) {}
  ~FakeControl() { ++state_->controlsReleased; }
  HRESULT QueryInterface(REFIID riid, void** object) override {
    if (riid == IID_IUnknown || riid == IID_IKsControl) {
      *object = static_cast<IKsControl*>(this);
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG AddRef() override { return AddRefImpl(); }
  ULONG Release() override { return ReleaseImpl(); }
  HRESULT KsProperty(PKSPROPERTY property, ULONG propertyLength, LPVOID data, ULONG dataLength,
                     ULONG* returned) override {
    if (state_->calls.empty()) state_->nodeCalls = 0;  // the test cleared the record
    FakeCall call = Record(property, propertyLength, data, dataLength);
    std::size_t index = state_->calls.size() - std::min(state_->nodeCalls, state_->calls.size());
    HRESULT hr = index < state_->results.size() ? state_->results[index] : S_OK;
    if (state_->decide) {
      HRESULT decided = state_->decide(call);
      if (decided != S_OK) hr = decided;
    }
    if (hr == S_OK && (call.flags & KSPROPERTY_TYPE_GET) != 0 && data != nullptr && state_->reply) {
      state_->reply(call, static_cast<std::uint8_t*>(data));
      call.data.assign(static_cast<std::uint8_t*>(data), static_cast<std::uint8_t*>(data) + dataLength);
    }
    if (hr == S_OK && call.flags == (KSPROPERTY_TYPE_SET | KSPROPERTY_TYPE_TOPOLOGY) && state_->onSet) state_->onSet(call);
    state_->calls.push_back(call);
    if (returned != nullptr) *returned = dataLength;
    return hr;
  }

 private:
  std::shared_ptr<FakeCameraState> state_;
};

class FakeNodeInstance final : public IKsControl, public platform::ComObject<FakeNodeInstance> {
 public:
  FakeNodeInstance(std::shared_ptr<FakeCameraState> state, DWORD index) : state_(std::move(state)), index_(index) {}
  HRESULT QueryInterface(REFIID riid, void** object) override {
    if (riid == IID_IUnknown || riid == IID_IKsControl) {
      *object = static_cast<IKsControl*>(this);
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG AddRef() override { return AddRefImpl(); }
  ULONG Release() override { return ReleaseImpl(); }
  HRESULT KsProperty(PKSPROPERTY property, ULONG propertyLength, LPVOID data, ULONG dataLength, ULONG*) override {
    if (state_->calls.empty()) state_->nodeCalls = 0;
    FakeCall call = Record(property, propertyLength, data, dataLength);
    call.onNodeInstance = true;
    state_->calls.push_back(call);
    ++state_->nodeCalls;
    return state_->nodes[index_].probeResult;
  }

 private:
  std::shared_ptr<FakeCameraState> state_;
  DWORD index_;
};

class FakeFilter final : public IBaseFilter, public IKsTopologyInfo, public platform::ComObject<FakeFilter> {
 public:
  explicit FakeFilter(std::shared_ptr<FakeCameraState> state) : state_(std::move(state)) {}
  HRESULT QueryInterface(REFIID riid, void** object) override {
    *object = nullptr;
    if (riid == IID_IUnknown || riid == IID_IBaseFilter) {
      *object = static_cast<IBaseFilter*>(this);
    } else if (riid == IID_IKsTopologyInfo) {
      if (state_->topologyQuery != S_OK) return state_->topologyQuery;
      *object = static_cast<IKsTopologyInfo*>(this);
    } else if (riid == IID_IKsControl) {
      if (state_->controlQuery != S_OK) return state_->controlQuery;
      ++state_->controlsHandedOut;
      *object = static_cast<IKsControl*>(new FakeControl(state_));
      return S_OK;
    } else {
      return E_NOINTERFACE;
    }
    AddRefImpl();
    return S_OK;
  }
  ULONG AddRef() override { return AddRefImpl(); }
  ULONG Release() override { return ReleaseImpl(); }
  HRESULT get_NumNodes(DWORD* count) override {
    *count = static_cast<DWORD>(state_->nodes.size());
    return state_->numNodesResult;
  }
  HRESULT get_NodeType(DWORD index, GUID* type) override {
    if (index >= state_->nodes.size()) return E_INVALIDARG;
    *type = state_->nodes[index].type;
    return state_->nodes[index].nodeTypeResult;
  }
  HRESULT CreateNodeInstance(DWORD index, REFIID, void** object) override {
    *object = nullptr;
    if (index >= state_->nodes.size()) return E_INVALIDARG;
    if (FAILED(state_->nodes[index].createResult)) return state_->nodes[index].createResult;
    *object = static_cast<IKsControl*>(new FakeNodeInstance(state_, index));
    return S_OK;
  }

 private:
  std::shared_ptr<FakeCameraState> state_;
};

}  // namespace

HRESULT FakeKsDevice::ReadProperty(std::wstring_view name, std::wstring& value) {
  if (name == L"FriendlyName") {
    value = L"Fake Camera";
    return friendlyNameRead;
  }
  if (name == L"DevicePath") {
    value = devicePath;
    return devicePathRead;
  }
  return E_INVALIDARG;
}

HRESULT FakeKsDevice::BindFilter(IBaseFilter** filter) {
  if (bindResult != S_OK) return bindResult;
  *filter = new FakeFilter(state_);
  return S_OK;
}

}  // namespace sftest
