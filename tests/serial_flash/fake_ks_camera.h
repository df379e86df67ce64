#pragma once
// A small hand-built camera for the transport's own tests: a capture filter whose topology,
// IKsControl objects and property replies the test sets up, and which counts every IKsControl it
// hands out. Each QueryInterface for IKsControl creates a fresh object, so platform::LiveComObjects
// shows whether each request released its own.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/devices/device_registry.h"
#include "platform/devices/kernel_streaming.h"

namespace sftest {

struct FakeNode {
  GUID type = KSNODETYPE_DEV_SPECIFIC;
  HRESULT nodeTypeResult = S_OK;
  HRESULT createResult = S_OK;
  HRESULT probeResult = S_OK;
};

// One KsProperty call as the fake saw it.
struct FakeCall {
  GUID set{};
  ULONG id = 0;
  ULONG flags = 0;
  ULONG nodeId = 0;
  ULONG propertyLength = 0;
  std::vector<std::uint8_t> data;  // bytes sent (SET) or reply written (GET)
  ULONG dataLength = 0;
  bool onNodeInstance = false;     // sent through a node instance of the topology
};

struct FakeCameraState {
  std::vector<FakeNode> nodes;
  HRESULT numNodesResult = S_OK;
  HRESULT topologyQuery = S_OK;     // filter QI for IKsTopologyInfo
  HRESULT controlQuery = S_OK;      // filter QI for IKsControl
  // Result of each filter-level KsProperty call; calls past the end answer S_OK.
  std::vector<HRESULT> results;
  // Fills the reply of a GET (data already zeroed by the caller as it likes).
  std::function<void(const FakeCall& call, std::uint8_t* data)> reply;
  // When set, decides the result of each filter-level call before `results` does.
  std::function<HRESULT(const FakeCall& call)> decide;
  // Sees every SET that succeeded, before the call is recorded.
  std::function<void(const FakeCall& call)> onSet;
  std::vector<FakeCall> calls;
  std::size_t nodeCalls = 0;  // entries of `calls` made through node instances
  int controlsHandedOut = 0;
  int controlsReleased = 0;
};

class FakeKsDevice final : public platform::VideoInputDevice {
 public:
  explicit FakeKsDevice(std::shared_ptr<FakeCameraState> state) : state_(std::move(state)) {}
  HRESULT BindToStorageStatus() override { return bindToStorage; }
  HRESULT ReadProperty(std::wstring_view name, std::wstring& value) override;
  HRESULT BindFilter(IBaseFilter** filter) override;

  HRESULT bindToStorage = S_OK;
  HRESULT friendlyNameRead = S_OK;
  HRESULT devicePathRead = S_OK;
  HRESULT bindResult = S_OK;
  std::wstring devicePath = L"\\\\?\\usb#fake";

 private:
  std::shared_ptr<FakeCameraState> state_;
};

}  // namespace sftest
