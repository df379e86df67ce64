// Camera discovery over different device lists, and the chip-ID read with its fallback sets.
#include <functional>

#include "tests/burner/camera_fixture.h"

namespace burner_test {
namespace {

using simcam::CameraConfig;
using simcam::DeviceKind;
using simcam::DeviceSpec;
using Via = simcam::RequestRecord::Via;
using Kind = simcam::RequestRecord::Kind;

constexpr std::int32_t kUntouchedNode = 77;

DeviceSpec Camera() { return DeviceSpec{}; }
DeviceSpec Foreign() {
  DeviceSpec device;
  device.kind = DeviceKind::ForeignWebcam;
  device.friendlyName = L"Integrated Webcam";
  return device;
}
DeviceSpec CameraWith(std::function<void(DeviceSpec&)> change) {
  DeviceSpec device;
  change(device);
  return device;
}

// The index of the device whose filter the context holds: the device the next request reaches.
int BoundDevice(RecordingContext& ctx, simcam::SimulatedCamera& camera) {
  camera.ClearTrace();
  std::uint8_t id = 0;
  GetChipIDValue(ctx, &id);
  const auto requests = camera.Requests();
  return requests.empty() ? -1 : requests.front().device;
}

class DeviceDiscovery : public CameraTest {};

TEST_F(DeviceDiscovery, AcceptsTheFirstDeviceThatAnswersAChipIdRead) {
  struct Case {
    const char* what;
    std::vector<DeviceSpec> devices;
    std::function<void(CameraConfig&)> change;
    int result;
    int boundDevice;  // -1: no filter held
    std::int32_t nodeId;
  } cases[] = {
      {"the camera alone, extension unit at node 2", {Camera()}, nullptr, 0, 0, 2},
      {"a foreign webcam first is passed over", {Foreign(), Camera()}, nullptr, 0, 1, 2},
      {"only a foreign webcam", {Foreign()}, nullptr, S_FALSE, -1, 2},
      {"unreadable friendly name skips even the camera",
       {CameraWith([](DeviceSpec& d) { d.friendlyNameRead = E_FAIL; })}, nullptr, S_FALSE, -1, kUntouchedNode},
      {"unreadable friendly name, then a good camera",
       {CameraWith([](DeviceSpec& d) { d.friendlyNameRead = E_FAIL; }), Camera()}, nullptr, 0, 1, 2},
      {"friendly name read with S_FALSE counts as unreadable",
       {CameraWith([](DeviceSpec& d) { d.friendlyNameRead = S_FALSE; }), Camera()}, nullptr, 0, 1, 2},
      {"property bag refused", {CameraWith([](DeviceSpec& d) { d.bindToStorage = E_FAIL; }), Camera()}, nullptr, 0,
       1, 2},
      {"filter refused", {CameraWith([](DeviceSpec& d) { d.bindToObject = E_FAIL; })}, nullptr, S_FALSE, -1,
       kUntouchedNode},
      {"no extension-unit node, camera answers on node 1", {Camera()},
       [](CameraConfig& c) {
         c.nodeTypes = {KSNODETYPE_VIDEO_PROCESSING};
         c.extensionUnitNode = -1;
         c.answerNodeId = 1;
       },
       0, 0, 1},
      {"no extension-unit node, camera answers on node 2", {Camera()},
       [](CameraConfig& c) {
         c.nodeTypes = {KSNODETYPE_VIDEO_PROCESSING};
         c.extensionUnitNode = -1;
         c.answerNodeId = 2;
       },
       0, 0, 2},
      {"extension unit at node 0", {Camera()},
       [](CameraConfig& c) {
         c.nodeTypes = {KSNODETYPE_DEV_SPECIFIC, KSNODETYPE_VIDEO_PROCESSING};
         c.extensionUnitNode = 0;
       },
       0, 0, 0},
      {"support probe answering S_FALSE still finds the node", {Camera()},
       [](CameraConfig& c) { c.supportProbe = S_FALSE; }, 0, 0, 2},
      {"a chip ID of 0x00 is an answer", {Camera()}, [](CameraConfig& c) { c.chipId = 0x00; }, 0, 0, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    CameraConfig config;
    config.devices = c.devices;
    if (c.change) c.change(config);
    auto camera = Attach(config);
    ASSERT_TRUE(camera);
    ctx = std::make_unique<RecordingContext>();
    ctx->m_nodeId = kUntouchedNode;

    EXPECT_EQ(FindVideoDevice(*ctx), c.result);
    EXPECT_EQ(ctx->m_nodeId, c.nodeId);
    if (c.boundDevice < 0) {
      EXPECT_EQ(ctx->m_pFilter, nullptr);
    } else {
      ASSERT_NE(ctx->m_pFilter, nullptr);
      EXPECT_EQ(BoundDevice(*ctx, *camera), c.boundDevice);
    }
    EXPECT_TRUE(ctx->effects.empty()) << "discovery shows nothing";
    ctx.reset();
    platform::ClearVideoInputDevices();
  }
}

TEST_F(DeviceDiscovery, ReportsAnEmptyOrBrokenEnumerationOnStandardOutput) {
  struct Case {
    const char* what;
    platform::EnumerationFaults faults;
    bool registerCamera;
    int result;
    std::string printed;
  } cases[] = {
      {"no video-input device", {}, false, 1, "There are no VideoInputDevice devices available"},
      {"category enumerator fails", {.createClassEnumerator = E_FAIL}, true, 1,
       "There are no VideoInputDevice devices available"},
      {"no device enumerator", {.createDeviceEnumerator = REGDB_E_CLASSNOTREG}, true, 1,
       "No devices found in the device list."},
      {"moniker enumeration fails", {.nextFailsAt = 0, .nextFailure = E_UNEXPECTED}, true, E_UNEXPECTED, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    if (c.registerCamera) Attach(CameraConfig{});
    platform::SetEnumerationFaults(c.faults);
    ctx = std::make_unique<RecordingContext>();
    ctx->m_nodeId = kUntouchedNode;

    testing::internal::CaptureStdout();
    const int result = FindVideoDevice(*ctx);
    std::fflush(stdout);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), c.printed);
    EXPECT_EQ(result, c.result);
    EXPECT_EQ(ctx->m_pFilter, nullptr);
    EXPECT_EQ(ctx->m_nodeId, kUntouchedNode);
    platform::ClearVideoInputDevices();  // also clears the faults
  }
}

TEST_F(DeviceDiscovery, WithoutANodeTriesNodeOneThenTwo) {
  CameraConfig config;
  config.nodeTypes = {KSNODETYPE_VIDEO_PROCESSING};
  config.extensionUnitNode = -1;
  config.answerNodeId = 2;
  config.chipId = 0x76;
  auto camera = Attach(config);

  ASSERT_EQ(FindVideoDevice(*ctx), 0);
  std::vector<std::string> extensionUnit;
  for (const auto& r : camera->Requests()) {
    if (r.via == Via::ExtensionUnit) extensionUnit.push_back(Describe(r));
  }
  ASSERT_EQ(extensionUnit.size(), 3u);
  EXPECT_EQ(extensionUnit[0], "dev0 XU SET 1 @1 [1F 10 00 FF] fail");
  EXPECT_EQ(extensionUnit[1], "dev0 XU SET 1 @2 [1F 10 00 FF] ok");
  EXPECT_EQ(extensionUnit[2].substr(0, 18), "dev0 XU GET 1 @2 [");
  EXPECT_EQ(camera->Requests().back().payload.at(2), 0x76);
  EXPECT_EQ(ctx->m_nodeId, 2);
}

TEST_F(DeviceDiscovery, ForeignWebcamIsTriedOnBothNodesAndReleased) {
  CameraConfig config;
  config.devices = {Foreign(), Camera()};
  auto camera = Attach(config);
  const std::size_t liveBefore = platform::LiveComObjects();

  ASSERT_EQ(FindVideoDevice(*ctx), 0);
  std::vector<std::uint32_t> foreignChipIdNodes;
  for (const auto& r : camera->Requests()) {
    if (r.device == 0 && r.via == Via::ExtensionUnit && r.control == 1 && r.kind == Kind::Set) {
      foreignChipIdNodes.push_back(r.nodeId);
    }
  }
  EXPECT_EQ(foreignChipIdNodes, (std::vector<std::uint32_t>{1, 2}));
  // Only the camera's filter stays alive: discovery let go of the webcam's.
  ctx.reset();
  EXPECT_LE(platform::LiveComObjects(), liveBefore);
}

TEST_F(DeviceDiscovery, AnotherDiscoveryReleasesTheFilterItReplaces) {
  Attach(CameraConfig{});
  ASSERT_EQ(FindVideoDevice(*ctx), 0);
  const std::size_t liveAfterFirst = platform::LiveComObjects();
  IBaseFilter* first = ctx->m_pFilter;
  ASSERT_EQ(FindVideoDevice(*ctx), 0);
  EXPECT_NE(ctx->m_pFilter, nullptr);
  EXPECT_EQ(platform::LiveComObjects(), liveAfterFirst) << "the first filter " << first << " was not released";
}

class DeviceChipId : public CameraTest {};

std::vector<std::uint8_t> FallbackBuffer(std::uint32_t operation, std::uint32_t address, std::uint32_t value) {
  std::vector<std::uint8_t> bytes(40, 0);
  auto put = [&](int word, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) bytes[word * 4 + i] = static_cast<std::uint8_t>(v >> (8 * i));
  };
  put(5, operation);
  put(6, address);
  put(7, value);
  return bytes;
}

TEST_F(DeviceChipId, RefusedExtensionUnitFallsBackToTheSetThatAnswers) {
  struct Call {
    Via via;
    Kind kind;
    bool answered;
  };
  struct Case {
    const char* what;
    simcam::FallbackSupport support;
    std::vector<Call> fallbackCalls;
  } cases[] = {
      {"set A answers", simcam::FallbackSupport::SetA,
       {{Via::FallbackA, Kind::Set, true}, {Via::FallbackA, Kind::Get, true}}},
      {"only set B answers", simcam::FallbackSupport::SetB,
       {{Via::FallbackA, Kind::Set, false},
        {Via::FallbackB, Kind::Set, true},
        {Via::FallbackA, Kind::Get, false},
        {Via::FallbackB, Kind::Get, true}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    CameraConfig config;
    config.fallback = c.support;
    config.chipId = 0x16;
    auto camera = AttachAndDiscover(config);
    camera->AddFault({.kind = simcam::Fault::Kind::FailRequest,
                      .match = {.control = 1, .kind = Kind::Set, .via = Via::ExtensionUnit},
                      .repeat = ~0u});

    std::uint8_t id = 0xAA;
    EXPECT_EQ(GetChipIDValue(*ctx, &id), 1);
    EXPECT_EQ(id, 0x16);

    const auto requests = camera->Requests();
    ASSERT_EQ(requests.size(), 1 + c.fallbackCalls.size()) << testing::PrintToString(Describe(requests));
    EXPECT_EQ(Describe(requests[0]), "dev0 XU SET 1 @2 [1F 10 00 FF] fail");
    for (std::size_t i = 0; i < c.fallbackCalls.size(); ++i) {
      SCOPED_TRACE(Describe(requests[1 + i]));
      EXPECT_EQ(requests[1 + i].via, c.fallbackCalls[i].via);
      EXPECT_EQ(requests[1 + i].kind, c.fallbackCalls[i].kind);
      EXPECT_EQ(requests[1 + i].control, 0u);
      EXPECT_EQ(requests[1 + i].result == S_OK, c.fallbackCalls[i].answered);
    }
    // The write names the chip-ID register with value 0.
    EXPECT_EQ(requests[1].payload, FallbackBuffer(2, 0x101F, 0));
    ctx = std::make_unique<RecordingContext>();
    platform::ClearVideoInputDevices();
  }
}

TEST_F(DeviceChipId, FailuresLeaveTheDestinationAsPreset) {
  struct Case {
    const char* what;
    simcam::RequestMatch failing;
    simcam::FallbackSupport support;
    std::size_t requestsSent;
  } cases[] = {
      // The reply of an accepted request failing is final: set A would answer but is not asked.
      {"GET refused after an accepted SET", {.control = 1, .kind = Kind::Get, .via = Via::ExtensionUnit},
       simcam::FallbackSupport::SetA, 2},
      // SET refused, no fallback set answers: the extension-unit SET, then A and B refuse the write.
      {"SET refused and no fallback", {.control = 1, .kind = Kind::Set, .via = Via::ExtensionUnit},
       simcam::FallbackSupport::None, 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    CameraConfig config;
    config.fallback = c.support;
    auto camera = AttachAndDiscover(config);
    camera->AddFault({.kind = simcam::Fault::Kind::FailRequest, .match = c.failing, .repeat = ~0u});

    std::uint8_t id = 0xAA;
    EXPECT_EQ(GetChipIDValue(*ctx, &id), 0);
    EXPECT_EQ(id, 0xAA);
    EXPECT_EQ(camera->Requests().size(), c.requestsSent) << testing::PrintToString(Describe(camera->Requests()));
    ctx = std::make_unique<RecordingContext>();
    platform::ClearVideoInputDevices();
  }
}

TEST_F(DeviceChipId, ReadsRegister101FOnTheBoundNode) {
  CameraConfig config;
  config.chipId = 0x00;
  auto camera = AttachAndDiscover(config);
  std::uint8_t id = 0xAA;
  EXPECT_EQ(GetChipIDValue(*ctx, &id), 1);
  EXPECT_EQ(id, 0x00);
  const auto requests = Describe(camera->Requests());
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[0], "dev0 XU SET 1 @2 [1F 10 00 FF] ok");
  EXPECT_EQ(requests[1].substr(0, 17), "dev0 XU GET 1 @2 ");
}

TEST_F(DeviceChipId, NoFilterSendsNothing) {
  std::uint8_t id = 0xAA;
  EXPECT_EQ(GetChipIDValue(*ctx, &id), 0);
  EXPECT_EQ(id, 0xAA);
  std::uint32_t value = 0x1234;
  EXPECT_NE(ReadRegisterViaPropertySet(*ctx, &value), S_OK);
  EXPECT_EQ(value, 0x1234u);
}

}  // namespace
}  // namespace burner_test
