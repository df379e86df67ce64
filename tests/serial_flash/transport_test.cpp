// The extension-unit transport on a hand-built camera: enumeration outcomes, the node search,
// the byte layout of every control, S_OK-only success, and one IKsControl per request.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "fake_ks_camera.h"
#include "platform/com/com_runtime.h"
#include "request_table.h"
#include "serial_flash/device_slots.h"
#include "serial_flash/ks_transport.h"
#include "serial_flash/library_state_for_test.h"
#include "serial_flash/serial_flash.h"

namespace sftest {
namespace {

constexpr ULONG kSet = 0x10000002;
constexpr ULONG kGet = 0x10000001;
constexpr ULONG kSupport = 0x10000100;

std::vector<Req> AsReqs(const std::vector<FakeCall>& calls) {
  std::vector<Req> out;
  for (const FakeCall& c : calls) {
    if (c.flags == kSupport) out.push_back(Probe(c.nodeId));
    else if (c.flags == kGet) {
      Req r = Get(c.id, c.dataLength);
      r.bytes = c.data;
      out.push_back(r);
    } else out.push_back(Set(c.id, c.data));
  }
  return out;
}

class TransportTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SFResetLibraryStateForTest();
    platform::ClearVideoInputDevices();
    objectsAtStart_ = platform::LiveComObjects();
    comAtStart_ = platform::ComInitCount();
    state_ = std::make_shared<FakeCameraState>();
    state_->nodes = {{.type = KSNODETYPE_VIDEO_PROCESSING}, {.type = KSNODETYPE_DEV_SPECIFIC}};
    device_ = std::make_shared<FakeKsDevice>(state_);
  }
  void TearDown() override {
    SFResetLibraryStateForTest();
    while (platform::ComInitCount() > comAtStart_) CoUninitialize();
    platform::ClearVideoInputDevices();
    EXPECT_EQ(platform::LiveComObjects(), objectsAtStart_) << "a COM object was not released";
  }
  // Binds the fake as the camera and forgets the node-search traffic.
  void Bind() {
    platform::RegisterVideoInputDevice(device_);
    ASSERT_EQ(KsEnumerateCamera(0), 0);
    ASSERT_NE(g_ksTransport.cameraFilter, nullptr);
    state_->calls.clear();
    state_->controlsHandedOut = state_->controlsReleased = 0;
  }

  std::size_t objectsAtStart_ = 0;
  int comAtStart_ = 0;
  std::shared_ptr<FakeCameraState> state_;
  std::shared_ptr<FakeKsDevice> device_;
};

// Enumeration outcomes and the open results they become.
TEST_F(TransportTest, EnumerationOutcomesMapToOpenResults) {
  struct Case {
    const char* name;
    std::function<void(FakeKsDevice&)> setup;
    bool registerDevice;
    int enumeration;
    int open;
    bool filterHeld;
  };
  const Case cases[] = {
      {"no video-input device", [](FakeKsDevice&) {}, false, 1, SF_OPEN_NO_DEVICE, false},
      {"device enumerator fails",
       [](FakeKsDevice&) { platform::SetEnumerationFaults({.createDeviceEnumerator = E_FAIL}); }, true, 1,
       SF_OPEN_NO_DEVICE, false},
      {"category enumerator fails",
       [](FakeKsDevice&) { platform::SetEnumerationFaults({.createClassEnumerator = E_OUTOFMEMORY}); }, true, 1,
       SF_OPEN_NO_DEVICE, false},
      {"property bag refused", [](FakeKsDevice& d) { d.bindToStorage = E_FAIL; }, true, 2, SF_OPEN_UNKNOWN_BACKEND,
       false},
      {"FriendlyName unreadable", [](FakeKsDevice& d) { d.friendlyNameRead = E_FAIL; }, true, 2,
       SF_OPEN_UNKNOWN_BACKEND, false},
      {"filter does not bind", [](FakeKsDevice& d) { d.bindResult = E_NOINTERFACE; }, true, 2,
       SF_OPEN_UNKNOWN_BACKEND, false},
      {"Next fails", [](FakeKsDevice&) { platform::SetEnumerationFaults({.nextFailsAt = 0}); }, true, 2,
       SF_OPEN_UNKNOWN_BACKEND, false},
      {"DevicePath unreadable", [](FakeKsDevice& d) { d.devicePathRead = HRESULT_FROM_WIN32_NOT_FOUND; }, true,
       HRESULT_FROM_WIN32_NOT_FOUND, SF_OPEN_FAILED, true},
      {"camera bound", [](FakeKsDevice&) {}, true, 0, SF_OPEN_OK, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    for (bool viaOpen : {false, true}) {
      SFResetLibraryStateForTest();
      platform::ClearVideoInputDevices();
      auto device = std::make_shared<FakeKsDevice>(state_);
      c.setup(*device);
      if (c.registerDevice) platform::RegisterVideoInputDevice(device);
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
  auto unnamed = std::make_shared<FakeKsDevice>(state_);
  unnamed->friendlyNameRead = E_FAIL;
  auto noTopology = std::make_shared<FakeCameraState>();  // no nodes at all
  auto plain = std::make_shared<FakeKsDevice>(noTopology);
  plain->devicePath = L"\\\\?\\second";
  auto later = std::make_shared<FakeKsDevice>(state_);
  later->devicePath = L"\\\\?\\third";
  platform::RegisterVideoInputDevice(unnamed);
  platform::RegisterVideoInputDevice(plain);
  platform::RegisterVideoInputDevice(later);
  ASSERT_EQ(KsEnumerateCamera(0), 0);
  EXPECT_STREQ(KsGetDevicePath(), "\\\\?\\second");
  EXPECT_EQ(g_ksTransport.nodeId, 1u) << "no node answered: node 1";
  EXPECT_TRUE(state_->calls.empty()) << "the third device is never looked at";
}

TEST_F(TransportTest, NodeSearchTakesTheFirstDeviceSpecificNodeThatPassesTheProbe) {
  const FakeNode vp{.type = KSNODETYPE_VIDEO_PROCESSING};
  const FakeNode xu{};
  const FakeNode refuses{.probeResult = HRESULT_FROM_WIN32_SET_NOT_FOUND};
  const FakeNode lukewarm{.probeResult = S_FALSE};
  const FakeNode noInstance{.createResult = E_FAIL};
  const FakeNode noType{.nodeTypeResult = E_FAIL};
  struct Case {
    const char* name;
    std::vector<FakeNode> nodes;
    ULONG node;
    std::vector<std::uint32_t> probed;
    HRESULT numNodes = S_OK;
    HRESULT topology = S_OK;
  };
  const Case cases[] = {
      {"extension unit at 2", {vp, vp, xu}, 2, {2}},
      {"lower of two passing nodes", {vp, vp, xu, xu}, 2, {2}},
      {"S_FALSE passes the probe", {vp, vp, vp, lukewarm}, 3, {3}},
      {"refusing node skipped", {refuses, vp, xu}, 2, {0, 2}},
      {"node without instance skipped", {noInstance, vp, xu}, 2, {2}},
      {"node type unreadable skipped", {noType, vp, vp, xu}, 3, {3}},
      {"all refuse: node 1", {vp, refuses, refuses}, 1, {1, 2}},
      {"no nodes: node 1", {}, 1, {}},
      {"node count fails: node 1", {xu, xu, xu}, 1, {}, E_FAIL},
      {"no topology: node 1", {vp, vp, xu}, 1, {}, S_OK, E_NOINTERFACE},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SFResetLibraryStateForTest();
    platform::ClearVideoInputDevices();
    state_->calls.clear();
    state_->nodes = c.nodes;
    state_->numNodesResult = c.numNodes;
    state_->topologyQuery = c.topology;
    platform::RegisterVideoInputDevice(device_);
    ASSERT_EQ(KsEnumerateCamera(0), 0);
    EXPECT_EQ(g_ksTransport.nodeId, c.node);
    std::vector<Req> probes;
    for (std::uint32_t n : c.probed) probes.push_back(Probe(n));
    EXPECT_TRUE(SameRequests(probes, AsReqs(state_->calls)));
    for (const FakeCall& call : state_->calls) {
      EXPECT_TRUE(call.set == PROPSETID_EXTENSION_UNIT);
      EXPECT_EQ(call.id, 0u);
      EXPECT_EQ(call.propertyLength, 32u);
      EXPECT_EQ(call.dataLength, 0u);
    }
    EXPECT_EQ(platform::LiveComObjects(), objectsAtStart_ + 1) << "only the camera filter stays held";
  }
}

TEST_F(TransportTest, NodeSearchLeavesTheNodeIdWhenNothingPasses) {
  Bind();
  g_ksTransport.nodeId = 7;
  state_->nodes = {{.probeResult = E_FAIL}};
  ULONG node = 99;
  EXPECT_FALSE(KsFindExtensionUnitNode(&node));
  EXPECT_EQ(node, 99u);
  EXPECT_EQ(g_ksTransport.nodeId, 7u);
}

// Every control's request bytes, with one IKsControl obtained and released per call.
TEST_F(TransportTest, RequestLayoutsAndOneControlPerCall) {
  Bind();
  state_->reply = [](const FakeCall& call, std::uint8_t* data) {
    for (ULONG i = 0; i < call.dataLength; ++i) data[i] = static_cast<std::uint8_t>(0xA0 + i);
    if (call.id == 4) data[2] = 8;
  };
  std::uint8_t byte = 0;
  std::uint16_t word = 0;
  std::uint8_t eight[8] = {};
  std::uint8_t shortBuf[8] = {0x5C, 0x5D};
  const std::uint8_t three[3] = {0x31, 0x32, 0x33};
  const std::uint8_t sixteen[16] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
  const std::vector<std::uint8_t> zero12(12, 0);
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
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    state_->calls.clear();
    state_->controlsHandedOut = state_->controlsReleased = 0;
    g_ksTransport.writeBankFlag = g_ksTransport.readBankFlag = 0;
    EXPECT_TRUE(c.call());
    EXPECT_TRUE(SameRequests(c.expected, AsReqs(state_->calls)));
    EXPECT_EQ(state_->controlsHandedOut, 1);
    EXPECT_EQ(state_->controlsReleased, 1);
    for (const FakeCall& call : state_->calls) {
      EXPECT_TRUE(call.set == PROPSETID_EXTENSION_UNIT);
      EXPECT_EQ(call.nodeId, 1u);
      EXPECT_EQ(call.propertyLength, 32u);
      EXPECT_TRUE(call.flags == kSet || call.flags == kGet);
    }
  }
}

TEST_F(TransportTest, RepliesLandWhereTheCallerExpectsThem) {
  Bind();
  state_->reply = [](const FakeCall& call, std::uint8_t* data) {
    for (ULONG i = 0; i < call.dataLength; ++i) data[i] = static_cast<std::uint8_t>(0xA0 + i);
  };
  std::uint8_t byte = 0;
  ASSERT_TRUE(KsReadRegister(0, 0x101F, &byte));
  EXPECT_EQ(byte, 0xA2);
  ASSERT_TRUE(KsReadControl5Byte(0, &byte));
  EXPECT_EQ(byte, 0xA2);
  std::uint16_t word = 0;
  ASSERT_TRUE(KsReadControl5Word(0, &word));
  EXPECT_EQ(word, 0xA1A0);
  std::uint8_t data[10];
  std::memset(data, 0x11, sizeof data);
  ASSERT_TRUE(KsFlashReadData(0, data));
  EXPECT_EQ(std::vector<std::uint8_t>(data, data + 10),
            (std::vector<std::uint8_t>{0xA3, 0xA4, 0xA5, 0xA6, 0xA7, 0xA8, 0xA9, 0xAA, 0x11, 0x11}));
  std::uint8_t shortBuf[8] = {0x01, 0x02, 0x77, 0x77, 0x77, 0x77, 0x77, 0x77};
  ASSERT_TRUE(KsReadControl2(0x12, 0x02, shortBuf));  // three bytes back
  EXPECT_EQ(std::vector<std::uint8_t>(shortBuf, shortBuf + 8),
            (std::vector<std::uint8_t>{0xA2, 0xA3, 0xA4, 0x77, 0x77, 0x77, 0x77, 0x77}));
}

// The count a control-4 reply announces: 0 copies nothing, above eight is cut to eight.
TEST_F(TransportTest, Control4CopiesTheAnnouncedCountButNeverMoreThanEight) {
  Bind();
  for (std::uint8_t count : {0, 3, 8, 9, 200}) {
    SCOPED_TRACE(static_cast<int>(count));
    state_->reply = [count](const FakeCall&, std::uint8_t* data) {
      data[2] = count;
      for (int i = 3; i < 12; ++i) data[i] = static_cast<std::uint8_t>(0xB0 + i);
    };
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
  Bind();
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
    state_->calls.clear();
    std::uint8_t buffer[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    bool ok = c.write ? KsWriteControl2(0x10, c.flags, source) : KsReadControl2(0x10, c.flags, buffer);
    EXPECT_EQ(ok, c.accepted);
    EXPECT_EQ(state_->calls.empty(), !c.accepted);
    if (!c.accepted) {
      EXPECT_EQ(std::vector<std::uint8_t>(buffer, buffer + 8), (std::vector<std::uint8_t>{1, 2, 3, 4, 5, 6, 7, 8}));
    }
  }
}

// Only S_OK succeeds; a failed SET sends no GET; a failed GET leaves the output untouched.
TEST_F(TransportTest, OnlySOkSucceedsAndFailuresLeaveOutputs) {
  Bind();
  state_->reply = [](const FakeCall&, std::uint8_t* data) { data[2] = 0x42; };
  struct Case {
    const char* name;
    std::vector<HRESULT> results;
    std::size_t calls;
  };
  const Case cases[] = {
      {"SET answers S_FALSE", {S_FALSE}, 1},
      {"SET fails", {E_FAIL}, 1},
      {"GET answers S_FALSE", {S_OK, S_FALSE}, 2},
      {"GET fails", {S_OK, HRESULT_FROM_WIN32_GEN_FAILURE}, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    state_->results = c.results;
    state_->calls.clear();
    std::uint8_t value = 0x99;
    EXPECT_FALSE(KsReadRegister(0, 0x101F, &value));
    EXPECT_EQ(value, 0x99);
    EXPECT_EQ(state_->calls.size(), c.calls);
    state_->calls.clear();
    std::uint8_t dest[8] = {9, 9, 9, 9, 9, 9, 9, 9};
    EXPECT_FALSE(KsReadControl4(0, 0x9FF8, dest));
    EXPECT_EQ(dest[0], 9);
    EXPECT_EQ(state_->calls.size(), c.calls);
  }
  state_->results = {S_FALSE};
  state_->calls.clear();
  EXPECT_FALSE(KsWriteRegister(0, 0x1091, 0));
  std::uint8_t eight[8] = {7, 7, 7, 7, 7, 7, 7, 7};
  state_->results = {E_FAIL};
  state_->calls.clear();
  EXPECT_FALSE(KsFlashReadData(0, eight));
  EXPECT_EQ(eight[0], 7);
  EXPECT_EQ(state_->controlsHandedOut, state_->controlsReleased);
}

TEST_F(TransportTest, WithoutACameraNothingIsSent) {
  Bind();
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
  EXPECT_TRUE(state_->calls.empty());
  EXPECT_EQ(platform::LiveComObjects(), objectsAtStart_);

  // A close without a camera still uninitialises COM.
  CoInitialize(nullptr);
  comBefore = platform::ComInitCount();
  EXPECT_TRUE(KsClose());
  EXPECT_EQ(platform::ComInitCount(), comBefore - 1);
}

TEST_F(TransportTest, FilterWithoutIKsControlSendsNothing) {
  Bind();
  state_->controlQuery = E_NOINTERFACE;
  std::uint8_t byte = 0x33;
  EXPECT_FALSE(KsReadRegister(0, 0x101F, &byte));
  EXPECT_FALSE(KsWriteRegister(0, 0x1091, 0));
  EXPECT_EQ(byte, 0x33);
  EXPECT_TRUE(state_->calls.empty());
}

// The write at 0xFFF8 is the last one of the lower bank; every write after it goes high until an
// open clears the flag.
TEST_F(TransportTest, FlashWriteBankSequenceAroundTheLastLowerBlock) {
  Bind();
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
    state_->calls.clear();
    g_ksTransport.readBankFlag = 1;
    EXPECT_TRUE(KsFlashWrite(0, s.address, s.count, data));
    ASSERT_EQ(state_->calls.size(), 1u);
    EXPECT_EQ(state_->calls[0].data[2], s.command);
    EXPECT_EQ(g_ksTransport.writeBankFlag, s.flagAfter);
    EXPECT_EQ(g_ksTransport.readBankFlag, 0);
  }
  // The flag is set before the request goes out, whatever the camera answers.
  g_ksTransport.writeBankFlag = 0;
  state_->results = {E_FAIL};
  state_->calls.clear();
  EXPECT_FALSE(KsFlashWrite(0, 0xFFF8, 8, data));
  EXPECT_EQ(g_ksTransport.writeBankFlag, 1);
  // Only SFOpen lowers it again; the read address follows the read bank flag alone.
  state_->results.clear();
  g_ksTransport.readBankFlag = 1;
  state_->calls.clear();
  EXPECT_TRUE(KsFlashSetReadAddress(0, 0x0100, 3));
  EXPECT_EQ(state_->calls[0].data[2], 0x98);
  EXPECT_EQ(g_ksTransport.readBankFlag, 1);
}

TEST_F(TransportTest, SFOpenClearsBothBankFlagsWhateverItsResult) {
  for (bool cameraPresent : {false, true}) {
    SCOPED_TRACE(cameraPresent ? "camera present" : "no camera");
    SFResetLibraryStateForTest();
    platform::ClearVideoInputDevices();
    if (cameraPresent) platform::RegisterVideoInputDevice(device_);
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
    SFResetLibraryStateForTest();
    platform::ClearVideoInputDevices();
    device_->devicePath = c.path;
    platform::RegisterVideoInputDevice(device_);
    ASSERT_EQ(KsEnumerateCamera(0), 0);
    EXPECT_EQ(std::string(KsGetDevicePath()), c.stored);
  }
}

TEST_F(TransportTest, EnumerationReleasesTheCameraHeldBefore) {
  Bind();
  IBaseFilter* first = g_ksTransport.cameraFilter;
  ASSERT_EQ(KsEnumerateCamera(0), 0);
  EXPECT_NE(g_ksTransport.cameraFilter, nullptr);
  EXPECT_NE(g_ksTransport.cameraFilter, first);
  EXPECT_EQ(platform::LiveComObjects(), objectsAtStart_ + 1);
  platform::ClearVideoInputDevices();
  EXPECT_EQ(KsEnumerateCamera(0), 1);
  EXPECT_EQ(g_ksTransport.cameraFilter, nullptr);
  EXPECT_EQ(platform::LiveComObjects(), objectsAtStart_);
}

}  // namespace
}  // namespace sftest
