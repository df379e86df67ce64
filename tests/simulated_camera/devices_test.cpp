// The devices the camera registers: enumeration, property bags, topology and node instances,
// foreign webcams, the fallback property sets, and use from several threads.
#include <thread>

#include "camera_fixture.h"
#include "platform/com/com_runtime.h"
#include "platform/devices/enumeration_interfaces.h"

namespace simcam::testing {
namespace {

using Bytes = std::vector<std::uint8_t>;
using platform::ComPtr;

class DevicesTest : public CameraTest {
 protected:
  void TearDown() override {
    while (platform::ComInitCount() > 0) CoUninitialize();
    CameraTest::TearDown();
  }
};

// What the enumeration offers for one moniker: the two properties and whether it binds.
struct Seen {
  HRESULT storage, name, path, bind;
  std::wstring friendlyName, devicePath;
};

std::vector<Seen> EnumerateAll() {
  std::vector<Seen> seen;
  CoInitialize(nullptr);
  ComPtr<ICreateDevEnum> devEnum;
  if (CoCreateInstance(CLSID_SystemDeviceEnum, nullptr, CLSCTX_INPROC_SERVER, IID_ICreateDevEnum,
                       reinterpret_cast<void**>(devEnum.Put())) != S_OK) {
    return seen;
  }
  ComPtr<IEnumMoniker> monikers;
  if (devEnum->CreateClassEnumerator(CLSID_VideoInputDeviceCategory, monikers.Put(), 0) != S_OK) return seen;
  ComPtr<IMoniker> moniker;
  while (monikers->Next(1, moniker.Put(), nullptr) == S_OK) {
    Seen s{};
    ComPtr<IPropertyBag> bag;
    s.storage = moniker->BindToStorage(nullptr, nullptr, IID_IPropertyBag, reinterpret_cast<void**>(bag.Put()));
    if (SUCCEEDED(s.storage)) {
      for (auto [name, result, text] : {std::tuple{L"FriendlyName", &s.name, &s.friendlyName},
                                        std::tuple{L"DevicePath", &s.path, &s.devicePath}}) {
        VARIANT v;
        VariantInit(&v);
        v.vt = VT_BSTR;
        *result = bag->Read(name, &v, nullptr);
        if (*result == S_OK) *text = v.bstrVal;
        VariantClear(&v);
      }
    }
    ComPtr<IBaseFilter> filter;
    s.bind = moniker->BindToObject(nullptr, nullptr, IID_IBaseFilter, reinterpret_cast<void**>(filter.Put()));
    seen.push_back(s);
  }
  return seen;
}

TEST_F(DevicesTest, DevicesEnumerateInOrderWithTheirOwnFailures) {
  CameraConfig config;
  DeviceSpec foreign{.kind = DeviceKind::ForeignWebcam, .friendlyName = L"Webcam"};
  DeviceSpec noName{.friendlyNameRead = E_FAIL};
  DeviceSpec longPath{.devicePath = std::wstring(300, L'p')};
  DeviceSpec noBind{.bindToStorage = S_FALSE, .devicePathRead = E_ACCESSDENIED, .bindToObject = E_FAIL};
  config.devices = {foreign, noName, longPath, noBind};
  Start(config);
  auto seen = EnumerateAll();
  ASSERT_EQ(seen.size(), 4u);
  EXPECT_EQ(seen[0].friendlyName, L"Webcam");
  EXPECT_EQ(seen[0].bind, S_OK);
  EXPECT_EQ(seen[1].name, E_FAIL);
  EXPECT_EQ(seen[1].path, S_OK);
  EXPECT_EQ(seen[2].devicePath.size(), 300u);
  EXPECT_EQ(seen[3].storage, S_FALSE);
  EXPECT_EQ(seen[3].name, S_OK);
  EXPECT_EQ(seen[3].path, E_ACCESSDENIED);
  EXPECT_EQ(seen[3].bind, E_FAIL);
}

// Runs the node search as the tool does; -1 when no node passes.
int FindUnitNode(IBaseFilter* filter) {
  ComPtr<IKsTopologyInfo> topology;
  if (filter->QueryInterface(IID_IKsTopologyInfo, reinterpret_cast<void**>(topology.Put())) != S_OK) return -1;
  DWORD count = 0;
  topology->get_NumNodes(&count);
  for (DWORD i = 0; i < count; ++i) {
    GUID type{};
    if (FAILED(topology->get_NodeType(i, &type)) || !(type == KSNODETYPE_DEV_SPECIFIC)) continue;
    ComPtr<IKsControl> node;
    if (FAILED(topology->CreateNodeInstance(i, IID_IKsControl, reinterpret_cast<void**>(node.Put())))) continue;
    KSP_NODE probe{.Property = {.Set = PROPSETID_EXTENSION_UNIT, .Id = 0, .Flags = KSPROPERTY_TYPE_SETSUPPORT | KSPROPERTY_TYPE_TOPOLOGY},
                   .NodeId = i,
                   .Reserved = 0};
    ULONG returned = 0;
    if (SUCCEEDED(node->KsProperty(&probe.Property, sizeof probe, nullptr, 0, &returned))) return static_cast<int>(i);
  }
  return -1;
}

TEST_F(DevicesTest, TopologyPlacesTheExtensionUnitWhereConfigured) {
  struct Case {
    const char* name;
    std::vector<GUID> nodes;
    int unit;
    HRESULT probe;
    std::uint32_t answerNode;
    int found;       // what the node search finds
    std::uint32_t answersOn;
  };
  const GUID dev = KSNODETYPE_DEV_SPECIFIC, vp = KSNODETYPE_VIDEO_PROCESSING;
  const std::vector<Case> cases = {
      {"unit at index 0", {dev, vp}, 0, S_OK, 1, 0, 0},
      {"probe answers S_FALSE", {vp, vp, dev}, 2, S_FALSE, 1, 2, 2},
      {"probe fails", {vp, dev}, 1, E_FAIL, 1, -1, 1},
      {"no unit, answers on node 2", {vp, dev}, -1, S_OK, 2, -1, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    platform::ClearVideoInputDevices();
    CameraConfig config;
    config.nodeTypes = c.nodes;
    config.extensionUnitNode = c.unit;
    config.supportProbe = c.probe;
    config.answerNodeId = c.answerNode;
    auto camera = Start(config);
    CameraHost host(0, c.answersOn);
    ASSERT_TRUE(host.Filter());
    EXPECT_EQ(FindUnitNode(host.Filter()), c.found);
    EXPECT_EQ(host.Reg(0x101F), 0x32);
    for (std::uint32_t other : {0u, 1u, 2u, 3u}) {
      if (other == c.answersOn) continue;
      CameraHost elsewhere(0, other);
      EXPECT_EQ(elsewhere.Reg(0x101F), 0xEE) << "node " << other;
    }
  }
}

TEST_F(DevicesTest, NodeInstancesAnswerForTheirOwnNodeOnly) {
  auto camera = Start(CameraConfig{});
  CameraHost host;
  ComPtr<IKsTopologyInfo> topology;
  ASSERT_EQ(host.Filter()->QueryInterface(IID_IKsTopologyInfo, reinterpret_cast<void**>(topology.Put())), S_OK);
  for (DWORD index : {2u, 1u}) {
    ComPtr<IKsControl> node;
    ASSERT_EQ(topology->CreateNodeInstance(index, IID_IKsControl, reinterpret_cast<void**>(node.Put())), S_OK);
    KSP_NODE read{.Property = {.Set = PROPSETID_EXTENSION_UNIT, .Id = 1, .Flags = KSPROPERTY_TYPE_SET | KSPROPERTY_TYPE_TOPOLOGY},
                  .NodeId = 2,
                  .Reserved = 0};
    Bytes payload = {0x1F, 0x10, 0x00, 0xFF};
    ULONG returned = 0;
    EXPECT_EQ(node->KsProperty(&read.Property, sizeof read, payload.data(), 4, &returned),
              index == 2 ? S_OK : HRESULT_FROM_WIN32_NOT_FOUND);
  }
  ComPtr<IKsControl> none;
  EXPECT_EQ(topology->CreateNodeInstance(3, IID_IKsControl, reinterpret_cast<void**>(none.Put())), E_INVALIDARG);
}

TEST_F(DevicesTest, ForeignWebcamsAndRefusedInterfacesFailTheirRequests) {
  CameraConfig config;
  config.fallback = FallbackSupport::SetA;
  config.devices = {DeviceSpec{.kind = DeviceKind::ForeignWebcam},
                    DeviceSpec{.refusedInterfaces = {IID_IKsControl, IID_IKsPropertySet}}};
  auto camera = Start(config);
  CameraHost foreign(0, 2);
  ASSERT_TRUE(foreign.Control());
  EXPECT_EQ(FindUnitNode(foreign.Filter()), -1);
  Bytes read = {0x1F, 0x10, 0x00, 0xFF};
  EXPECT_EQ(foreign.Set(1, read), HRESULT_FROM_WIN32_SET_NOT_FOUND);
  ComPtr<IKsPropertySet> set;
  ASSERT_EQ(foreign.Filter()->QueryInterface(IID_IKsPropertySet, reinterpret_cast<void**>(set.Put())), S_OK);
  Bytes buffer(40, 0);
  EXPECT_EQ(set->Set(PROPSETID_REGISTER_FALLBACK_A, 0, buffer.data(), 40, buffer.data(), 40),
            HRESULT_FROM_WIN32_SET_NOT_FOUND);

  CameraHost refusing(1, 2);
  EXPECT_FALSE(refusing.Control());
  ComPtr<IKsPropertySet> none;
  EXPECT_EQ(refusing.Filter()->QueryInterface(IID_IKsPropertySet, reinterpret_cast<void**>(none.Put())), E_NOINTERFACE);
  EXPECT_EQ(FindUnitNode(refusing.Filter()), 2);
}

TEST_F(DevicesTest, FallbackSetsReturnTheNamedRegisterInWordSeven) {
  struct Case {
    FallbackSupport support;
    HRESULT a, b;
  };
  for (const Case& c : {Case{FallbackSupport::SetA, S_OK, HRESULT_FROM_WIN32_SET_NOT_FOUND},
                        Case{FallbackSupport::SetB, HRESULT_FROM_WIN32_SET_NOT_FOUND, S_OK},
                        Case{FallbackSupport::None, HRESULT_FROM_WIN32_SET_NOT_FOUND, HRESULT_FROM_WIN32_SET_NOT_FOUND}}) {
    SCOPED_TRACE(static_cast<int>(c.support));
    platform::ClearVideoInputDevices();
    CameraConfig config;
    config.fallback = c.support;
    config.chipId = 0x5C;
    auto camera = Start(config);
    CameraHost host;
    ComPtr<IKsPropertySet> set;
    ASSERT_EQ(host.Filter()->QueryInterface(IID_IKsPropertySet, reinterpret_cast<void**>(set.Put())), S_OK);
    for (auto [guid, expected] : {std::pair{PROPSETID_REGISTER_FALLBACK_A, c.a}, std::pair{PROPSETID_REGISTER_FALLBACK_B, c.b}}) {
      std::uint32_t words[10] = {0, 0, 0, 0, 0, 2, 0x101F, 0, 0, 0};
      EXPECT_EQ(set->Set(guid, 0, words, 40, words, 40), expected);
      std::uint32_t reply[10] = {0, 0, 0, 0, 0, 1, 0, 0, 0, 0};
      DWORD returned = 0;
      EXPECT_EQ(set->Get(guid, 0, reply, 40, reply, 40, &returned), expected);
      EXPECT_EQ(reply[7], expected == S_OK ? 0x5Cu : 0u);
    }
    auto requests = camera->Requests();
    ASSERT_EQ(requests.size(), 4u);
    EXPECT_EQ(requests[0].via, RequestRecord::Via::FallbackA);
    EXPECT_EQ(requests[3].via, RequestRecord::Via::FallbackB);
    EXPECT_EQ(requests[3].payload.size(), 40u);
  }
}

TEST_F(DevicesTest, RequestsFromSeveralThreadsWhileTheTraceIsRead) {
  auto camera = Start(CameraConfig{});
  CameraHost host;
  std::atomic<bool> done{false};
  std::thread reader([&] {
    while (!done) {
      auto requests = camera->Requests();
      auto frames = camera->SpiFrames();
      (void)camera->StatusRegister();
    }
  });
  auto work = [&](std::uint16_t reg) {
    for (int i = 0; i < 200; ++i) {
      host.WriteReg(reg, static_cast<std::uint8_t>(i));
      Bytes read;
      host.Read8(static_cast<std::uint32_t>(i * 8), &read);
    }
  };
  std::thread first(work, 0x1040);
  std::thread second(work, 0x1073);
  first.join();
  second.join();
  done = true;
  reader.join();
  EXPECT_EQ(camera->RequestCount(), 2u * 200u * 3u);
  EXPECT_EQ(camera->Requests().size(), 2u * 200u * 3u);
  camera->SetTracing(false);
  host.WriteReg(0x1040, 1);
  EXPECT_EQ(camera->Requests().size(), 2u * 200u * 3u);
  EXPECT_EQ(camera->RequestCount(), 2u * 200u * 3u + 1);
}

}  // namespace
}  // namespace simcam::testing
