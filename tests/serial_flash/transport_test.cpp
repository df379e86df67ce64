// The extension-unit transport on the simulated camera: enumeration outcomes, the node search,
// the byte layout of every control, S_OK-only success, and no reference kept by a request.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <string>

#include "camera_fixture.h"
#include "platform/com/com_runtime.h"
#include "platform/com/unknown.h"
#include "platform/devices/device_registry.h"
#include "serial_flash/device_slots.h"
#include "serial_flash/ks_transport.h"
#include "serial_flash/library_state_for_test.h"
#include "serial_flash/serial_flash.h"
#include "wrapped_camera.h"

namespace sftest {
namespace {

using Fault = simcam::Fault;
using Kind = simcam::RequestRecord::Kind;

// The camera's extension unit sits at node 2 of its default topology.
constexpr std::uint32_t kUnitNode = 2;

Fault FailsNth(unsigned nth, HRESULT status = HRESULT_FROM_WIN32_GEN_FAILURE) {
  return {.kind = Fault::Kind::FailRequest, .nth = nth, .status = status};
}

class TransportTest : public CameraTest {};

// Enumeration outcomes and the open results they become.
TEST_F(TransportTest, EnumerationOutcomesMapToOpenResults) {
  struct Case {
    const char* name;
    std::function<void(simcam::DeviceSpec&)> setup;
    platform::EnumerationFaults faults;
    bool registerDevice;
    int enumeration;
    int open;
    bool filterHeld;
  };
  auto healthy = [](simcam::DeviceSpec&) {};
  const Case cases[] = {
      {"no video-input device", healthy, {}, false, 1, SF_OPEN_NO_DEVICE, false},
      {"device enumerator fails", healthy, {.createDeviceEnumerator = E_FAIL}, true, 1, SF_OPEN_NO_DEVICE, false},
      {"category enumerator fails", healthy, {.createClassEnumerator = E_OUTOFMEMORY}, true, 1, SF_OPEN_NO_DEVICE,
       false},
      {"property bag refused", [](simcam::DeviceSpec& d) { d.bindToStorage = E_FAIL; }, {}, true, 2,
       SF_OPEN_UNKNOWN_BACKEND, false},
      {"FriendlyName unreadable", [](simcam::DeviceSpec& d) { d.friendlyNameRead = E_FAIL; }, {}, true, 2,
       SF_OPEN_UNKNOWN_BACKEND, false},
      {"filter does not bind", [](simcam::DeviceSpec& d) { d.bindToObject = E_NOINTERFACE; }, {}, true, 2,
       SF_OPEN_UNKNOWN_BACKEND, false},
      {"Next fails", healthy, {.nextFailsAt = 0}, true, 2, SF_OPEN_UNKNOWN_BACKEND, false},
      {"DevicePath unreadable", [](simcam::DeviceSpec& d) { d.devicePathRead = HRESULT_FROM_WIN32_NOT_FOUND; }, {},
       true, HRESULT_FROM_WIN32_NOT_FOUND, SF_OPEN_FAILED, true},
      // S_FALSE reaches the library as it is; taken as the enumeration result it would read as
      // "no device", so it becomes E_FAIL.
      {"DevicePath answers S_FALSE", [](simcam::DeviceSpec& d) { d.devicePathRead = S_FALSE; }, {}, true,
       static_cast<int>(E_FAIL), SF_OPEN_FAILED, true},
      {"camera bound", healthy, {}, true, 0, SF_OPEN_OK, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    for (bool viaOpen : {false, true}) {
      simcam::CameraConfig config;
      c.setup(config.devices[0]);
      Replace(config);
      if (!c.registerDevice) Camera().Unregister();
      platform::SetEnumerationFaults(c.faults);
      int comBefore = platform::ComInitCount();
      if (viaOpen) EXPECT_EQ(SFOpen(), c.open);
      else EXPECT_EQ(KsEnumerateCamera(0), c.enumeration);
      EXPECT_EQ(platform::ComInitCount(), comBefore + 1) << "every enumeration initialises COM";
      EXPECT_EQ(g_ksTransport.cameraFilter != nullptr, c.filterHeld);
      // Only a successful transport open opens the slot; a failed path read keeps the camera held.
      EXPECT_EQ(g_sfLibrary.slotOpen[0], viaOpen && c.open == SF_OPEN_OK ? 1 : 0);
    }
  }
}

TEST_F(TransportTest, FirstDeviceThatReadsAndBindsIsTakenWithoutAnExtensionUnit) {
  simcam::DeviceSpec unnamed{.friendlyNameRead = E_FAIL};
  simcam::DeviceSpec plain{.devicePath = L"\\\\?\\second", .refusedInterfaces = {IID_IKsTopologyInfo}};
  simcam::DeviceSpec later{.devicePath = L"\\\\?\\third"};
  config_.devices = {unnamed, plain, later};
  Camera();
  ASSERT_EQ(KsEnumerateCamera(0), 0);
  EXPECT_STREQ(KsGetDevicePath(), "\\\\?\\second");
  EXPECT_EQ(g_ksTransport.nodeId, 1u) << "no node answered: node 1";
  EXPECT_TRUE(Requests().empty()) << "the third device, extension unit and all, is never looked at";
}

// Node lists of the simulated camera; the topology failures come from the local wrapper, since the
// model's topology calls always succeed.
TEST_F(TransportTest, NodeSearchTakesTheFirstDeviceSpecificNodeThatPassesTheProbe) {
  const GUID vp = KSNODETYPE_VIDEO_PROCESSING;
  const GUID dev = KSNODETYPE_DEV_SPECIFIC;
  struct Case {
    const char* name;
    std::vector<GUID> nodes;
    int unit;                  // the extension unit's index, -1: none (other device-specific nodes refuse)
    ULONG node;
    std::vector<std::uint32_t> probed;
    HRESULT probeAnswer = S_OK;
    WrapperFaults faults{};
    bool wrapped = false;
    bool noTopology = false;
  };
  const Case cases[] = {
      {"extension unit at 2", {vp, vp, dev}, 2, 2, {2}},
      {"first of two device-specific nodes, the search stops there", {vp, vp, dev, dev}, 2, 2, {2}},
      {"S_FALSE passes the probe", {vp, vp, vp, dev}, 3, 3, {3}, S_FALSE},
      {"refusing node skipped", {dev, vp, dev}, 2, 2, {0, 2}},
      {"node without instance skipped", {dev, vp, dev}, 2, 2, {2}, S_OK, {.instanceFails = {0}}, true},
      {"node type unreadable skipped", {dev, vp, vp, dev}, 3, 3, {3}, S_OK, {.nodeTypeFails = {0}}, true},
      {"all refuse: node 1", {vp, dev, dev}, -1, 1, {1, 2}},
      {"no nodes: node 1", {}, -1, 1, {}},
      {"node count fails: node 1", {dev, dev, dev}, 0, 1, {}, S_OK, {.numNodes = E_FAIL}, true},
      {"no topology: node 1", {vp, vp, dev}, 2, 1, {}, S_OK, {}, false, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    simcam::CameraConfig config;
    config.nodeTypes = c.nodes;
    config.extensionUnitNode = c.unit;
    config.supportProbe = c.probeAnswer;
    if (c.noTopology) config.devices[0].refusedInterfaces = {IID_IKsTopologyInfo};
    Replace(config);
    if (c.wrapped) WrapRegisteredDevices(c.faults);
    ASSERT_EQ(KsEnumerateCamera(0), 0);
    EXPECT_EQ(g_ksTransport.nodeId, c.node);
    std::vector<Req> probes;
    for (std::uint32_t n : c.probed) probes.push_back(Probe(n));
    EXPECT_TRUE(SameRequests(probes, Requests()));
    // The camera answers a probe that is a node property of its unit's set (a KSP_NODE with
    // the topology flag) with its own answer; anything else it refuses.
    for (const simcam::RequestRecord& r : Camera().Requests()) {
      EXPECT_EQ(r.control, 0u);
      EXPECT_TRUE(r.payload.empty()) << "no data with the probe";
      EXPECT_EQ(r.result, static_cast<int>(r.nodeId) == c.unit ? c.probeAnswer : HRESULT_FROM_WIN32_SET_NOT_FOUND);
    }
    EXPECT_EQ(platform::LiveComObjects(), objectsAtStart_ + (c.wrapped ? 2 : 1))
        << "only the camera filter (and its wrapper) stays held";
  }
}

TEST_F(TransportTest, NodeSearchLeavesTheNodeIdWhenNothingPasses) {
  config_.supportProbe = E_FAIL;
  BindCamera();
  g_ksTransport.nodeId = 7;
  ULONG node = 99;
  EXPECT_FALSE(KsFindExtensionUnitNode(&node));
  EXPECT_TRUE(SameRequests({Probe(kUnitNode)}, Requests()));
  EXPECT_EQ(node, 99u);
  EXPECT_EQ(g_ksTransport.nodeId, 7u);
}

// Every control's request bytes, and every reference a call takes given back when it returns.
TEST_F(TransportTest, RequestLayoutsAndNoReferenceKept) {
  BindCamera();
  std::uint8_t byte = 0;
  std::uint16_t word = 0;
  std::uint8_t eight[8] = {};
  std::uint8_t shortBuf[8] = {0x5C, 0x5D};
  const std::uint8_t three[3] = {0x31, 0x32, 0x33};
  const std::uint8_t sixteen[16] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
  struct Case {
    const char* name;
    std::function<bool()> call;
    std::vector<Req> expected;
  };
  const Case cases[] = {
      {"register write", [] { return KsWriteRegister(0, 0x1091, 0x01); }, {Set(1, {0x91, 0x10, 0x01, 0x00})}},
      {"register read", [&] { return KsReadRegister(0, 0x101F, &byte); },
       {Set(1, {0x1F, 0x10, 0x00, 0xFF}), Get(1, 4)}},
      {"flash write of 8", [&] { return KsFlashWrite(0, 0x1234, 8, sixteen); },
       {FlashCommand(0x1234, 0x08, {1, 2, 3, 4, 5, 6, 7, 8, 0})}},
      {"flash write of 12 carries 8", [&] { return KsFlashWrite(0, 0x0040, 12, sixteen); },
       {FlashCommand(0x0040, 0x08, {1, 2, 3, 4, 5, 6, 7, 8, 0})}},
      {"flash write of 3 pads with 0xFF", [&] { return KsFlashWrite(0, 0x0003, 3, three); },
       {FlashCommand(0x0003, 0x03, {0x31, 0x32, 0x33, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00})}},
      {"read address of 3", [] { return KsFlashSetReadAddress(0, 0x3E00, 3); }, {FlashCommand(0x3E00, 0x83)}},
      {"read address of 8", [] { return KsFlashSetReadAddress(0, 0x3E00, 8); }, {FlashCommand(0x3E00, 0x88)}},
      {"read address of 12", [] { return KsFlashSetReadAddress(0, 0x3E00, 12); }, {FlashCommand(0x3E00, 0x88)}},
      {"flash data", [&] { return KsFlashReadData(0, eight); }, {FlashData()}},
      {"command C8", [] { return KsControl3CommandC8(); }, {FlashCommand(0, 0xC8)}},
      {"command 40", [] { return KsControl3Command40(0, 0x5A, 0x1234); },
       {FlashCommand(0, 0x40, {0x5A, 0x34, 0x12})}},
      {"control 4", [&] { return KsReadControl4(0, 0x9FF8, eight); },
       {Set(4, {0xF8, 0x9F, 0x08, 0, 0, 0, 0, 0, 0, 0, 0, 0}), Get(4, 12)}},
      {"control 5 byte", [&] { return KsReadControl5Byte(0, &byte); }, {Get(5, 12)}},
      {"control 5 word", [&] { return KsReadControl5Word(0, &word); }, {Get(5, 12)}},
      {"control 2 write of 3", [&] { return KsWriteControl2(0x11, 0x02, three); },
       {Set(2, {0x11, 0x02, 0x31, 0x32, 0x33, 0x00, 0x00, 0x00})}},
      {"control 2 write of 5", [&] { return KsWriteControl2(0x11, 0x23, sixteen); },
       {Set(2, {0x11, 0x23, 1, 2, 3, 4, 5, 0x00})}},
      {"control 2 read, one request byte", [&] { return KsReadControl2(0x12, 0x01, shortBuf); },
       {Set(2, {0x12, 0x01, 0x5C, 0, 0, 0, 0, 0xFF}), Get(2, 8)}},
      {"control 2 read, two request bytes", [&] { shortBuf[0] = 0x5C; shortBuf[1] = 0x5D; return KsReadControl2(0x12, 0x21, shortBuf); },
       {Set(2, {0x12, 0x21, 0x5C, 0x5D, 0, 0, 0, 0xFF}), Get(2, 8)}},
  };
  const unsigned long references = FilterReferences();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Forget();
    g_ksTransport.writeBankFlag = g_ksTransport.readBankFlag = 0;
    EXPECT_TRUE(c.call());
    EXPECT_TRUE(SameRequests(c.expected, Requests()));
    EXPECT_EQ(FilterReferences(), references) << "the call's IKsControl was released";
    // S_OK from the camera means the request was a node property of the unit's set, on its node.
    for (const simcam::RequestRecord& r : Camera().Requests()) {
      EXPECT_EQ(r.nodeId, kUnitNode);
      EXPECT_EQ(r.result, S_OK);
      EXPECT_NE(r.kind, Kind::SetSupport);
    }
  }
}

TEST_F(TransportTest, RepliesLandWhereTheCallerExpectsThem) {
  config_.chipId = 0xA2;          // register 0x101F
  config_.mode = 0xA2;            // control 5, byte 2
  config_.baseAddress = 0xA1A0;   // control 5, bytes 0 and 1
  BindCamera();
  const std::uint8_t stored[8] = {0xA3, 0xA4, 0xA5, 0xA6, 0xA7, 0xA8, 0xA9, 0xAA};
  Camera().SetFlash(stored, 0x3E00);
  std::uint8_t byte = 0;
  ASSERT_TRUE(KsReadRegister(0, 0x101F, &byte));
  EXPECT_EQ(byte, 0xA2);
  byte = 0;
  ASSERT_TRUE(KsReadControl5Byte(0, &byte));
  EXPECT_EQ(byte, 0xA2);
  std::uint16_t word = 0;
  ASSERT_TRUE(KsReadControl5Word(0, &word));
  EXPECT_EQ(word, 0xA1A0);
  std::uint8_t data[10];
  std::memset(data, 0x11, sizeof data);
  ASSERT_TRUE(KsFlashSetReadAddress(0, 0x3E00, 8));
  ASSERT_TRUE(KsFlashReadData(0, data));
  EXPECT_EQ(std::vector<std::uint8_t>(data, data + 10),
            (std::vector<std::uint8_t>{0xA3, 0xA4, 0xA5, 0xA6, 0xA7, 0xA8, 0xA9, 0xAA, 0x11, 0x11}));
}

// The model answers control-2 reads with zeros; the local wrapper puts A0 A1 A2 ... into the reply
// so that where its bytes land shows.
TEST_F(TransportTest, Control2ReplyBytesLandFromTheThirdOn) {
  Camera();
  WrapRegisteredDevices({.control2Pattern = true});
  ASSERT_EQ(KsEnumerateCamera(0), 0);
  Forget();
  std::uint8_t shortBuf[8] = {0x01, 0x02, 0x77, 0x77, 0x77, 0x77, 0x77, 0x77};
  ASSERT_TRUE(KsReadControl2(0x12, 0x02, shortBuf));  // three bytes back
  EXPECT_EQ(std::vector<std::uint8_t>(shortBuf, shortBuf + 8),
            (std::vector<std::uint8_t>{0xA2, 0xA3, 0xA4, 0x77, 0x77, 0x77, 0x77, 0x77}));
  EXPECT_TRUE(SameRequests({Set(2, {0x12, 0x02, 0x01, 0, 0, 0, 0, 0xFF}), Get(2, 8)}, Requests()));
}

// The count a control-4 reply announces: 0 copies nothing, above eight is cut to eight.
TEST_F(TransportTest, Control4CopiesTheAnnouncedCountButNeverMoreThanEight) {
  std::vector<std::uint8_t> stored;
  for (int i = 3; i < 12; ++i) stored.push_back(static_cast<std::uint8_t>(0xB0 + i));
  for (std::uint8_t count : {0, 3, 8, 9, 200}) {
    SCOPED_TRACE(static_cast<int>(count));
    simcam::CameraConfig config;
    config.control4.count = count;  // the camera fills as many reply bytes as there are, nine at most
    Replace(config);
    Camera().SetFlash(stored, 0x9FF8);
    BindCamera();
    std::uint8_t dest[12];
    std::memset(dest, 0x5A, sizeof dest);
    ASSERT_TRUE(KsReadControl4(0, 0x9FF8, dest));
    unsigned copied = count < 8 ? count : 8;
    for (unsigned i = 0; i < 12; ++i) {
      EXPECT_EQ(dest[i], i < copied ? 0xB3 + i : 0x5A) << "byte " << i;
    }
  }
}

// Control 2 refuses what the request (5 bytes) or the reply (6 bytes) cannot hold.
TEST_F(TransportTest, Control2RefusesOversizedPayloads) {
  BindCamera();
  const std::uint8_t source[16] = {};
  struct Case {
    std::uint8_t flags;
    bool write;
    bool accepted;
  };
  const Case cases[] = {
      {0x04, true, true},  {0x05, true, false}, {0x23, true, true},  {0x24, true, false}, {0x0F, true, false},
      {0x05, false, true}, {0x06, false, false}, {0x24, false, true}, {0x25, false, false}, {0x2F, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << "flags " << int(c.flags) << (c.write ? " write" : " read"));
    Forget();
    std::uint8_t buffer[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    bool ok = c.write ? KsWriteControl2(0x10, c.flags, source) : KsReadControl2(0x10, c.flags, buffer);
    EXPECT_EQ(ok, c.accepted);
    EXPECT_EQ(Requests().empty(), !c.accepted);
    if (!c.accepted) {
      EXPECT_EQ(std::vector<std::uint8_t>(buffer, buffer + 8), (std::vector<std::uint8_t>{1, 2, 3, 4, 5, 6, 7, 8}));
    }
  }
}

// Only S_OK succeeds; a failed SET sends no GET; a failed GET leaves the output untouched.
TEST_F(TransportTest, OnlySOkSucceedsAndFailuresLeaveOutputs) {
  config_.chipId = 0x42;
  BindCamera();
  const unsigned long references = FilterReferences();
  struct Case {
    const char* name;
    Fault fault;
    std::size_t calls;
  };
  const Case cases[] = {
      {"SET answers S_FALSE", FailsNth(1, S_FALSE), 1},
      {"SET fails", FailsNth(1, E_FAIL), 1},
      {"GET answers S_FALSE", FailsNth(2, S_FALSE), 2},
      {"GET fails", FailsNth(2), 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Camera().ClearFaults();
    Camera().AddFault(c.fault);
    Forget();
    std::uint8_t value = 0x99;
    EXPECT_FALSE(KsReadRegister(0, 0x101F, &value));
    EXPECT_EQ(value, 0x99);
    EXPECT_EQ(Requests().size(), c.calls);
    Camera().ClearFaults();
    Camera().AddFault(c.fault);
    Forget();
    std::uint8_t dest[8] = {9, 9, 9, 9, 9, 9, 9, 9};
    EXPECT_FALSE(KsReadControl4(0, 0x9FF8, dest));
    EXPECT_EQ(dest[0], 9);
    EXPECT_EQ(Requests().size(), c.calls);
  }
  Camera().ClearFaults();
  Camera().AddFault(FailsNth(1, S_FALSE));
  EXPECT_FALSE(KsWriteRegister(0, 0x1091, 0));
  std::uint8_t eight[8] = {7, 7, 7, 7, 7, 7, 7, 7};
  Camera().ClearFaults();
  Camera().AddFault(FailsNth(1, E_FAIL));
  EXPECT_FALSE(KsFlashReadData(0, eight));
  EXPECT_EQ(eight[0], 7);
  EXPECT_EQ(FilterReferences(), references) << "failed calls released their IKsControl too";
}

TEST_F(TransportTest, WithoutACameraNothingIsSent) {
  BindCamera();
  g_ksTransport.readBankFlag = 1;
  g_ksTransport.writeBankFlag = 0;
  int comBefore = platform::ComInitCount();
  EXPECT_TRUE(KsClose());
  EXPECT_EQ(platform::ComInitCount(), comBefore - 1);
  std::uint8_t byte = 0x33;
  std::uint8_t eight[8] = {};
  std::uint16_t word = 0;
  EXPECT_FALSE(KsWriteRegister(0, 0x1091, 1));
  EXPECT_FALSE(KsReadRegister(0, 0x101F, &byte));
  EXPECT_FALSE(KsFlashWrite(0, 0xFFF8, 8, eight));
  EXPECT_EQ(g_ksTransport.readBankFlag, 0) << "a write clears the read bank even without a camera";
  EXPECT_EQ(g_ksTransport.writeBankFlag, 0) << "nothing went out for 0xFFF8";
  EXPECT_FALSE(KsFlashSetReadAddress(0, 0, 8));
  EXPECT_FALSE(KsFlashReadData(0, eight));
  EXPECT_FALSE(KsReadControl4(0, 0, eight));
  EXPECT_FALSE(KsReadControl5Byte(0, &byte));
  EXPECT_FALSE(KsReadControl5Word(0, &word));
  EXPECT_FALSE(KsControl3CommandC8());
  EXPECT_FALSE(KsControl3Command40(0, 1, 2));
  EXPECT_FALSE(KsWriteControl2(1, 0, eight));
  EXPECT_FALSE(KsReadControl2(1, 0, eight));
  EXPECT_EQ(byte, 0x33);
  EXPECT_TRUE(Requests().empty());
  EXPECT_EQ(platform::LiveComObjects(), objectsAtStart_);

  // A close without a camera still uninitialises COM.
  CoInitialize(nullptr);
  comBefore = platform::ComInitCount();
  EXPECT_TRUE(KsClose());
  EXPECT_EQ(platform::ComInitCount(), comBefore - 1);
}

TEST_F(TransportTest, FilterWithoutIKsControlSendsNothing) {
  config_.devices[0].refusedInterfaces = {IID_IKsControl};
  BindCamera();
  std::uint8_t byte = 0x33;
  EXPECT_FALSE(KsReadRegister(0, 0x101F, &byte));
  EXPECT_FALSE(KsWriteRegister(0, 0x1091, 0));
  EXPECT_EQ(byte, 0x33);
  EXPECT_TRUE(Requests().empty());
}

// The write at 0xFFF8 is the last one of the lower bank; every write after it goes high until an
// open clears the flag.
TEST_F(TransportTest, FlashWriteBankSequenceAroundTheLastLowerBlock) {
  BindCamera();
  const std::uint8_t data[8] = {1, 2, 3, 4, 5, 6, 7, 8};
  struct Step {
    std::uint16_t address;
    std::uint8_t count;
    std::uint8_t command;
    std::uint8_t flagAfter;
  };
  const Step steps[] = {
      {0x0000, 8, 0x08, 0}, {0xFFF0, 8, 0x08, 0}, {0xFFF8, 8, 0x08, 1},
      {0x0000, 8, 0x18, 1}, {0x0010, 3, 0x18, 1}, {0xFFF8, 8, 0x18, 1},
  };
  for (const Step& s : steps) {
    SCOPED_TRACE(::testing::Message() << "write at " << s.address);
    Forget();
    g_ksTransport.readBankFlag = 1;
    EXPECT_TRUE(KsFlashWrite(0, s.address, s.count, data));
    std::vector<simcam::RequestRecord> sent = Camera().Requests();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].payload[2], s.command);
    EXPECT_EQ(g_ksTransport.writeBankFlag, s.flagAfter);
    EXPECT_EQ(g_ksTransport.readBankFlag, 0);
  }
  // The flag is set before the request goes out, whatever the camera answers.
  g_ksTransport.writeBankFlag = 0;
  Camera().AddFault(FailsNth(1, E_FAIL));
  Forget();
  EXPECT_FALSE(KsFlashWrite(0, 0xFFF8, 8, data));
  EXPECT_EQ(g_ksTransport.writeBankFlag, 1);
  // Only SFOpen lowers it again; the read address follows the read bank flag alone.
  Camera().ClearFaults();
  g_ksTransport.readBankFlag = 1;
  Forget();
  EXPECT_TRUE(KsFlashSetReadAddress(0, 0x0100, 3));
  EXPECT_EQ(Camera().Requests().at(0).payload[2], 0x98);
  EXPECT_EQ(g_ksTransport.readBankFlag, 1);
}

TEST_F(TransportTest, SFOpenClearsBothBankFlagsWhateverItsResult) {
  for (bool cameraPresent : {false, true}) {
    SCOPED_TRACE(cameraPresent ? "camera present" : "no camera");
    Replace(simcam::CameraConfig{});
    if (!cameraPresent) Camera().Unregister();
    g_ksTransport.writeBankFlag = 1;
    g_ksTransport.readBankFlag = 1;
    SFOpen();
    EXPECT_EQ(g_ksTransport.writeBankFlag, 0);
    EXPECT_EQ(g_ksTransport.readBankFlag, 0);
  }
}

TEST_F(TransportTest, DevicePathIsConvertedAndCutToItsBuffer) {
  struct Case {
    std::wstring path;
    std::string stored;
  };
  const Case cases[] = {
      {L"\\\\?\\usb#vid_1d6b\xE9", "\\\\?\\usb#vid_1d6b\xE9"},
      {std::wstring(255, L'p'), std::string(255, 'p')},
      {std::wstring(256, L'q'), std::string(255, 'q')},
      {std::wstring(400, L'r'), std::string(255, 'r')},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path.size());
    simcam::CameraConfig config;
    config.devices[0].devicePath = c.path;
    Replace(config);
    ASSERT_EQ(KsEnumerateCamera(0), 0);
    EXPECT_EQ(std::string(KsGetDevicePath()), c.stored);
  }
}

TEST_F(TransportTest, EnumerationReleasesTheCameraHeldBefore) {
  BindCamera();
  IBaseFilter* first = g_ksTransport.cameraFilter;
  ASSERT_EQ(KsEnumerateCamera(0), 0);
  EXPECT_NE(g_ksTransport.cameraFilter, nullptr);
  EXPECT_NE(g_ksTransport.cameraFilter, first);
  EXPECT_EQ(platform::LiveComObjects(), objectsAtStart_ + 1);
  Camera().Unregister();
  EXPECT_EQ(KsEnumerateCamera(0), 1);
  EXPECT_EQ(g_ksTransport.cameraFilter, nullptr);
  EXPECT_EQ(platform::LiveComObjects(), objectsAtStart_);
}

}  // namespace
}  // namespace sftest
