// The controller behind the extension unit: register access, the done flag, the control-3 flash
// paths, controls 4 and 5, and the injected faults.
#include <functional>

#include "camera_fixture.h"

namespace simcam::testing {
namespace {

using Bytes = std::vector<std::uint8_t>;

class ControllerTest : public CameraTest {};

TEST_F(ControllerTest, RegistersRoundTripAndTheChipIdIsReadOnly) {
  CameraConfig config;
  config.chipId = 0x76;
  config.reg3C5 = 3;
  auto camera = Start(config);
  CameraHost host;
  for (std::uint16_t reg : {0x0000, 0x05F3, 0x05FB, 0x1006, 0x1007, 0x1040, 0x1073, 0x1087, 0x1088, 0x108C, 0x108F,
                            0x1092, 0x1093, 0x17C1, 0x17C2}) {
    SCOPED_TRACE(reg);
    ASSERT_TRUE(host.WriteReg(reg, 0xA5));
    EXPECT_EQ(host.Reg(reg), 0xA5);
    EXPECT_EQ(camera->Reg(reg), 0xA5);
  }
  EXPECT_TRUE(host.WriteReg(0x101F, 0x00));
  EXPECT_EQ(host.Reg(0x101F), 0x76);
  EXPECT_EQ(host.Reg(0x03C5), 3);
  // The flash pointer sits at base + 0x0F..0x12, most significant byte first.
  const std::uint16_t base = config.baseAddress;
  EXPECT_EQ((Bytes{host.Reg(base + 0x0F), host.Reg(base + 0x10), host.Reg(base + 0x11), host.Reg(base + 0x12)}),
            (Bytes{0x00, 0x00, 0xC0, 0x00}));

  // The exact request traffic of one read: SET 1F 10 00 FF, then a GET answering in byte 2.
  camera->ClearTrace();
  host.Reg(0x101F);
  auto requests = camera->Requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[0].kind, RequestRecord::Kind::Set);
  EXPECT_EQ(requests[0].payload, (Bytes{0x1F, 0x10, 0x00, 0xFF}));
  EXPECT_EQ(requests[1].kind, RequestRecord::Kind::Get);
  EXPECT_EQ(requests[1].payload[2], 0x76);
  EXPECT_EQ(requests[1].nodeId, 2u);
  EXPECT_EQ(requests[1].result, S_OK);
}

TEST_F(ControllerTest, RequestsWithAWrongShapeFail) {
  auto camera = Start(CameraConfig{});
  CameraHost host;
  Bytes shortControl1 = {0x1F, 0x10, 0x00};
  EXPECT_EQ(host.Set(1, shortControl1), HRESULT_FROM_WIN32_INSUFFICIENT_BUFFER);
  Bytes badDirection = {0x1F, 0x10, 0x00, 0x55};
  EXPECT_EQ(host.Set(1, badDirection), E_INVALIDARG);
  Bytes tooLong(13, 0);
  EXPECT_EQ(host.Set(3, tooLong), E_INVALIDARG);
  Bytes control6(12, 0);
  EXPECT_EQ(host.Set(6, control6), HRESULT_FROM_WIN32_NOT_FOUND);
  CameraHost wrongNode(0, 1);
  EXPECT_EQ(wrongNode.Set(1, {0x1F, 0x10, 0x00, 0xFF}), HRESULT_FROM_WIN32_NOT_FOUND);
}

TEST_F(ControllerTest, DoneFlagReadsOneAfterTheConfiguredPolls) {
  struct Case {
    unsigned donePolls;
    Bytes reads;  // 0x1084 after one shift
  };
  for (const Case& c : {Case{1, {1, 1}}, Case{3, {0, 0, 1, 1}}, Case{0, {0, 0, 0}}}) {
    SCOPED_TRACE(c.donePolls);
    platform::ClearVideoInputDevices();
    CameraConfig config;
    config.donePolls = c.donePolls;
    Start(config);
    CameraHost host;
    host.WriteReg(0x1082, 0x05);
    host.WriteReg(0x1081, 1);
    Bytes reads;
    for (std::size_t i = 0; i < c.reads.size(); ++i) reads.push_back(host.Reg(0x1084));
    EXPECT_EQ(reads, c.reads);
  }
}

TEST_F(ControllerTest, FlashReadAddressFixesPositionAndEachGetAdvancesByTheCount) {
  CameraConfig config;
  config.contents = FlashContents::Bytes;
  for (unsigned i = 0; i < 0x20000; ++i) config.flashBytes.push_back(static_cast<std::uint8_t>(i * 7 + (i >> 16)));
  auto camera = Start(config);
  CameraHost host;
  const Bytes& flash = config.flashBytes;
  // The library's 12-byte request for three bytes at 0x0105: 05 01 83.
  Bytes readAddress(12, 0);
  readAddress[0] = 0x05, readAddress[1] = 0x01, readAddress[2] = 0x83;
  ASSERT_EQ(host.Set(3, readAddress), S_OK);
  for (unsigned chunk = 0; chunk < 3; ++chunk) {
    Bytes reply(12, 0);
    ASSERT_EQ(host.Get(3, reply), S_OK);
    EXPECT_EQ(Bytes(reply.begin() + 3, reply.begin() + 6), Bytes(flash.begin() + 0x105 + 3 * chunk, flash.begin() + 0x108 + 3 * chunk));
  }
  // The burner's 11-byte upper-bank read: 0x98 reaches 0x1FFF8.
  Bytes upper;
  ASSERT_TRUE(host.Read8(0x1FFF8, &upper));
  EXPECT_EQ(upper, Bytes(flash.end() - 8, flash.end()));
  // The firmware read path shows as a 0x03 frame with a 24-bit address.
  auto frame = camera->SpiFrames().back();
  EXPECT_TRUE(frame.fromFirmware);
  EXPECT_EQ(frame.opcode, 0x03);
  EXPECT_EQ(frame.in, (Bytes{0x01, 0xFF, 0xF8}));
  // 0xC8 and 0x40 are taken and recorded.
  EXPECT_EQ(host.Set(3, {0x00, 0x00, 0xC8, 0, 0, 0, 0, 0, 0, 0, 0, 0}), S_OK);
  EXPECT_EQ(host.Set(3, {0x00, 0x00, 0x40, 0x01, 0x34, 0x12, 0, 0, 0, 0, 0, 0}), S_OK);
  EXPECT_EQ(camera->Requests().back().payload[2], 0x40);
}

TEST_F(ControllerTest, FlashWriteGoesThroughTheFirmwaresWriteEnableAndProgramCommands) {
  CameraConfig config;
  config.contents = FlashContents::Erased;
  config.startProtected = false;
  auto camera = Start(config);
  CameraHost host;
  // The library's 12-byte write of three bytes at 0x0200.
  ASSERT_EQ(host.Set(3, {0x00, 0x02, 0x03, 0x11, 0x22, 0x33, 0x44, 0, 0, 0, 0, 0}), S_OK);
  auto frames = camera->SpiFrames();
  ASSERT_EQ(frames.size(), 3u);
  EXPECT_EQ(frames[0].opcode, 0x06);
  EXPECT_EQ(frames[1].opcode, 0x02);
  EXPECT_EQ(frames[1].in, (Bytes{0x00, 0x02, 0x00, 0x11, 0x22, 0x33}));
  EXPECT_TRUE(frames[1].executed);
  EXPECT_EQ(frames[2].opcode, 0x05);
  const Bytes flash = camera->Flash();
  EXPECT_EQ(Bytes(flash.begin() + 0x200, flash.begin() + 0x204), (Bytes{0x11, 0x22, 0x33, 0xFF}));
  // Command registers pointing at opcodes the part does not take leave the flash as it was.
  host.WriteReg(0x05F3, 0x04);
  host.WriteReg(0x05F5, 0x03);
  ASSERT_TRUE(host.Write8(0x300, Bytes(8, 0x00)));
  EXPECT_EQ(camera->Flash()[0x300], 0xFF);
}

TEST_F(ControllerTest, ControlFourAndFiveAnswerAsConfigured) {
  struct Case {
    const char* name;
    Control4Config control4;
    HRESULT setResult;
    std::uint8_t count;
  };
  const std::vector<Case> cases = {
      {"normal", {}, S_OK, 8},
      {"refuse", {.behaviour = Control4Behaviour::Refuse}, HRESULT_FROM_WIN32_GEN_FAILURE, 0},
      {"count zero", {.behaviour = Control4Behaviour::CountZero}, S_OK, 0},
      {"count twelve", {.count = 12}, S_OK, 12},
      {"fails at its address", {.failAddress = 0x9FF8}, HRESULT_FROM_WIN32_GEN_FAILURE, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    platform::ClearVideoInputDevices();
    CameraConfig config;
    config.control4 = c.control4;
    config.mode = 7;
    config.baseAddress = 0x1234;
    auto camera = Start(config);
    CameraHost host;
    EXPECT_EQ(host.Set(4, {0xF8, 0x9F, 0x08, 0, 0, 0, 0, 0, 0, 0, 0, 0}), c.setResult);
    if (c.setResult == S_OK) {
      Bytes reply(12, 0);
      ASSERT_EQ(host.Get(4, reply), S_OK);
      EXPECT_EQ(reply[2], c.count);
      const auto flash = camera->Flash();
      for (unsigned i = 0; i < std::min<unsigned>(c.count, 9); ++i) EXPECT_EQ(reply[3 + i], flash[0x9FF8 + i]);
    }
    Bytes status(12, 0);
    ASSERT_EQ(host.Get(5, status), S_OK);
    EXPECT_EQ(Bytes(status.begin(), status.begin() + 3), (Bytes{0x34, 0x12, 7}));
  }
}

TEST_F(ControllerTest, InjectedRequestFaultsHitExactlyTheirRequests) {
  auto camera = Start(CameraConfig{});
  CameraHost host;
  // The second control-1 SET for register 0x1091 fails, and only it.
  camera->AddFault({.kind = Fault::Kind::FailRequest,
                    .match = {.control = 1, .kind = RequestRecord::Kind::Set, .address = 0x1091},
                    .nth = 2});
  EXPECT_TRUE(host.WriteReg(0x1091, 0));
  EXPECT_TRUE(host.WriteReg(0x1090, 0));
  EXPECT_FALSE(host.WriteReg(0x1091, 1));
  EXPECT_TRUE(host.WriteReg(0x1091, 1));
  EXPECT_EQ(camera->Requests()[2].result, HRESULT_FROM_WIN32_GEN_FAILURE);
  camera->ClearFaults();

  camera->AddFault({.kind = Fault::Kind::RegisterReadFails, .reg = 0x101F});
  std::uint8_t value = 0x5A;
  EXPECT_FALSE(host.ReadReg(0x101F, &value));
  EXPECT_EQ(value, 0x5A);
  EXPECT_TRUE(host.ReadReg(0x3C5, &value));
  camera->ClearFaults();

  // After three more requests the camera is gone: everything fails.
  camera->AddFault({.kind = Fault::Kind::Disconnect, .afterRequests = 3});
  EXPECT_TRUE(host.WriteReg(0x1000, 1));
  EXPECT_TRUE(host.ReadReg(0x1000, &value));
  EXPECT_FALSE(host.WriteReg(0x1000, 2));
  EXPECT_EQ(camera->Requests().back().result, HRESULT_FROM_WIN32_DEVICE_NOT_CONNECTED);
}

// Any fault can wait for a number of requests: those pass untouched, and the fault holds from the
// next one on. Each probe's first request is the one the fault meets first.
TEST_F(ControllerTest, EveryFaultKindCanStartAfterSomeRequests) {
  struct Case {
    const char* name;
    Fault fault;
    std::function<bool(CameraHost&)> shows;  // the probe: true when the fault shows
  };
  const auto writeFails = [](CameraHost& host) { return !host.WriteReg(0x1000, 1); };
  const Case cases[] = {
      {"camera gone", {.kind = Fault::Kind::Disconnect}, writeFails},
      {"every request refused", {.kind = Fault::Kind::FailRequest, .repeat = ~0u}, writeFails},
      {"register write refused", {.kind = Fault::Kind::RegisterWriteFails, .reg = 0x1000}, writeFails},
      {"register read refused", {.kind = Fault::Kind::RegisterReadFails, .reg = 0x101F},
       [](CameraHost& host) {
         std::uint8_t value = 0;
         return !host.ReadReg(0x101F, &value);
       }},
      {"done flag stuck", {.kind = Fault::Kind::DoneStuck}, [](CameraHost& host) { return host.Reg(0x1084) == 0; }},
      {"flash stuck busy", {.kind = Fault::Kind::BusyStuck},
       [](CameraHost& host) {
         host.HostAccess(true);
         const bool busy = (host.Frame({0x05}, 1)[0] & 0x01) != 0;
         host.HostAccess(false);
         return busy;
       }},
  };
  constexpr unsigned kPassing = 2;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    platform::ClearVideoInputDevices();
    CameraConfig config;
    config.startProtected = false;
    auto camera = Start(config);
    CameraHost host;

    Fault late = c.fault;
    late.afterRequests = 100;
    camera->AddFault(late);
    EXPECT_FALSE(c.shows(host)) << "the fault started early";
    camera->ClearFaults();

    late.afterRequests = kPassing;
    camera->AddFault(late);
    for (unsigned i = 0; i < kPassing; ++i) EXPECT_TRUE(host.WriteReg(0x1001, 1)) << "request " << i + 1;
    EXPECT_TRUE(c.shows(host));
  }
}

TEST_F(ControllerTest, FlashFaultsCorruptOnlyTheirAddresses) {
  CameraConfig config;
  config.contents = FlashContents::Bytes;
  config.flashBytes = Bytes(0x20000, 0x00);
  config.startProtected = false;
  auto camera = Start(config);
  camera->AddFault({.kind = Fault::Kind::ErasePartial, .address = 0x1F000, .length = 0x10});
  camera->AddFault({.kind = Fault::Kind::ProgramBitError, .address = 0x0402, .length = 1, .bits = 0x80});
  camera->AddFault({.kind = Fault::Kind::ReadError, .address = 0x0805, .length = 1, .bits = 0x01});
  CameraHost host;
  host.HostAccess(true);
  host.Frame({0x06});
  host.Frame({0x60});
  ASSERT_TRUE(host.WaitIdle());
  host.HostAccess(false);
  auto flash = camera->Flash();
  EXPECT_EQ(flash[0x1F00F], 0x00);
  EXPECT_EQ(flash[0x1F010], 0xFF);
  EXPECT_EQ(flash[0x0000], 0xFF);

  ASSERT_TRUE(host.Write8(0x0400, Bytes(8, 0x00)));
  EXPECT_EQ(camera->Flash()[0x0402], 0x80);
  EXPECT_EQ(camera->Flash()[0x0403], 0x00);
  Bytes read;
  ASSERT_TRUE(host.Read8(0x0800, &read));
  EXPECT_EQ(read, (Bytes{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0xFF}));

  camera->ClearFaults();
  camera->AddFault({.kind = Fault::Kind::EraseIgnored});
  camera->AddFault({.kind = Fault::Kind::DoneStuck});
  host.HostAccess(true);
  host.Frame({0x06});
  host.Frame({0x60});
  platform::AdvanceVirtualClock(10'000);
  EXPECT_EQ(camera->Flash()[0x0402], 0x80);
  EXPECT_EQ(host.Reg(0x1084), 0);
  camera->AddFault({.kind = Fault::Kind::BusyStuck});
  EXPECT_FALSE(host.WaitIdle(50));
}

}  // namespace
}  // namespace simcam::testing
