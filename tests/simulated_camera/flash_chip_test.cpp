// The serial flash as the host sees it through the shift interface: identification answers,
// status-register protection, chip erase with its busy time, programming and part-size wrapping.
#include "camera_fixture.h"

namespace simcam::testing {
namespace {

class FlashChipTest : public CameraTest {
 protected:
  std::shared_ptr<SimulatedCamera> StartWith(const FlashProfile& flash, bool startProtected = false) {
    CameraConfig config;
    config.flash = flash;
    config.contents = FlashContents::Erased;
    config.startProtected = startProtected;
    return Start(config);
  }
};

struct IdCase {
  const char* part;
  std::vector<std::uint8_t> frame;  // opcode and dummy bytes
  unsigned replies;
  std::vector<std::uint8_t> expected;
};

TEST_F(FlashChipTest, EachIdentificationCommandAnswersAsThePartDoes) {
  const std::vector<IdCase> cases = {
      {"MX25L1005", {0x9F}, 3, {0xC2, 0x20, 0x11}},
      {"MX25L1005", {0x90, 0, 0, 0}, 2, {0xC2, 0x10}},
      {"MX25L1005", {0xAB, 0, 0, 0}, 1, {0x10}},
      {"Pm25LV512", {0x9F}, 4, {0x7F, 0x9D, 0x7B, 0x7F}},  // continuation code first, answer repeats
      {"SST25VF512", {0x9F}, 3, {0xFF, 0xFF, 0xFF}},       // no JEDEC identification
      {"SST25VF512", {0x90, 0, 0, 0}, 2, {0xBF, 0x48}},
      {"AT25F512A", {0x15}, 2, {0x1F, 0x65}},
      {"AT25DF512C", {0x9F}, 3, {0x1F, 0x65, 0x01}},
      {"AT45DB011", {0x9F}, 3, {0x00, 0x00, 0x00}},
      {"AT45DB011", {0xD7}, 2, {0x0C, 0x0C}},
      {"GD25Q512", {0x9F}, 3, {0xC8, 0x40, 0x10}},
  };
  for (const IdCase& c : cases) {
    SCOPED_TRACE(std::string(c.part) + " opcode " + std::to_string(c.frame[0]));
    platform::ClearVideoInputDevices();
    auto camera = StartWith(*FindFlashProfile(c.part));
    CameraHost host;
    host.HostAccess(true);
    EXPECT_EQ(host.Frame(c.frame, c.replies), c.expected);
    host.HostAccess(false);
    auto frames = camera->SpiFrames();
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].opcode, c.frame[0]);
    EXPECT_EQ(frames[0].in, std::vector<std::uint8_t>(c.frame.begin() + 1, c.frame.end()));
    EXPECT_EQ(frames[0].out, c.expected);
  }
}

TEST_F(FlashChipTest, AdHocAndSilentPartsAnswerTheirRawBytes) {
  FlashProfile adHoc = SilentFlashProfile(0xFF);
  adHoc.jedecId = {0x7F, 0x7F, 0x12};
  adHoc.statusD7 = {0x00, 0x1C};
  auto camera = StartWith(adHoc);
  CameraHost host;
  host.HostAccess(true);
  EXPECT_EQ(host.Frame({0x9F}, 3), (std::vector<std::uint8_t>{0x7F, 0x7F, 0x12}));
  EXPECT_EQ(host.Frame({0xD7}, 2), (std::vector<std::uint8_t>{0x00, 0x1C}));
  EXPECT_EQ(host.Frame({0x15}, 2), (std::vector<std::uint8_t>{0xFF, 0xFF}));

  platform::ClearVideoInputDevices();
  camera = StartWith(SilentFlashProfile(0x00));
  CameraHost silent;
  silent.HostAccess(true);
  EXPECT_EQ(silent.Frame({0xAB, 0, 0, 0}, 2), (std::vector<std::uint8_t>{0x00, 0x00}));
}

TEST_F(FlashChipTest, HostShiftsReachTheFlashOnlyWithHostAccessAndChipSelect) {
  auto camera = StartWith(*FindFlashProfile("MX25L1005"));
  CameraHost host;
  // Host access off: the shift runs on an unconnected port.
  EXPECT_EQ(host.Frame({0x9F}, 1), std::vector<std::uint8_t>{0xFF});
  host.HostAccess(true);
  // Not selected: nothing reaches the flash.
  host.Send(0x06);
  EXPECT_EQ(camera->StatusRegister() & 0x02, 0);
  // A second select without a release is no edge: one frame goes on (as the idle wait polls).
  host.Select();
  host.Send(0x05);
  host.Receive();
  host.Select();
  host.Send(0x05);
  host.Receive();
  host.Release();
  auto frames = camera->SpiFrames();
  ASSERT_EQ(frames.size(), 1u);
  EXPECT_EQ(frames[0].opcode, 0x05);
  EXPECT_EQ(frames[0].in, std::vector<std::uint8_t>{0x05});
  EXPECT_EQ(frames[0].out.size(), 2u);
  // A release ends a command: a status write without its data byte is dropped.
  camera->SetStatusRegister(0x0C);
  host.Frame({0x06});
  host.Frame({0x01});
  EXPECT_EQ(camera->StatusRegister(), 0x0C | 0x02);
  EXPECT_FALSE(camera->SpiFrames().back().executed);
}

struct ProtectionCase {
  const char* name;
  const char* part;
  bool writeEnable;    // WREN before WRSR
  bool ewsr;           // 0x50 right before WRSR
  int pinLevel;        // -1: not driven (pulled to the protecting level), else the driven level
  bool cleared;        // WRSR 0x00 took effect
};

TEST_F(FlashChipTest, StatusWriteClearsProtectionOnlyWhenEnabledAndThePinAllows) {
  const std::vector<ProtectionCase> cases = {
      {"pin driven high", "MX25L1005", true, false, 1, true},
      {"pin left floating", "MX25L1005", true, false, -1, false},
      {"pin driven low", "MX25L1005", true, false, 0, false},
      {"no write enable", "MX25L1005", false, false, 1, false},
      {"SST with EWSR", "SST25VF512", true, true, 1, true},
      {"SST with WREN only", "SST25VF512", true, false, 1, false},
  };
  for (const ProtectionCase& c : cases) {
    SCOPED_TRACE(c.name);
    platform::ClearVideoInputDevices();
    auto camera = StartWith(*FindFlashProfile(c.part), /*startProtected=*/true);
    const std::uint8_t protectedStatus = camera->StatusRegister();
    ASSERT_NE(protectedStatus & 0x80, 0);
    CameraHost host;
    const std::uint8_t pin = 1u << camera->Config().wpPin;
    if (c.pinLevel >= 0) {
      host.WriteReg(0x1007, pin);
      host.WriteReg(0x1006, c.pinLevel ? pin : static_cast<std::uint8_t>(~pin));
    }
    EXPECT_EQ(camera->WriteProtectAsserted(), c.pinLevel != 1);
    host.HostAccess(true);
    if (c.writeEnable) host.Frame({0x06});
    if (c.ewsr) host.Frame({0x50});
    host.Frame({0x01, 0x00});
    EXPECT_EQ(camera->StatusRegister() & 0xFC, c.cleared ? 0 : protectedStatus & 0xFC);
    // With protection left, a chip erase is refused and the flash keeps its bytes.
    camera->SetFlash(std::vector<std::uint8_t>{0x12});
    host.Frame({0x06});
    host.Frame({0x60});
    EXPECT_TRUE(host.WaitIdle());
    EXPECT_EQ(camera->Flash()[0], c.cleared ? 0xFF : 0x12);
  }
}

TEST_F(FlashChipTest, ChipEraseNeedsWriteEnableAndStaysBusyForThePartsEraseTime) {
  for (const char* part : {"MX25L1005", "AT25F512A", "Pm25LV512"}) {
    SCOPED_TRACE(part);
    platform::ClearVideoInputDevices();
    const FlashProfile& profile = *FindFlashProfile(part);
    auto camera = StartWith(profile);
    camera->SetFlash(std::vector<std::uint8_t>(16, 0x00));
    CameraHost host;
    host.HostAccess(true);
    host.Frame({profile.eraseOpcodes[0]});  // no write enable: refused
    EXPECT_EQ(camera->StatusRegister() & 1, 0);
    EXPECT_EQ(camera->Flash()[0], 0x00);

    host.Frame({0x06});
    host.Frame({profile.eraseOpcodes[0]});
    EXPECT_EQ(host.Frame({0x05}, 1)[0] & 0x03, 0x01) << "busy, latch cleared";
    host.Frame({0x06});  // ignored while busy
    platform::AdvanceVirtualClock(profile.eraseMs - 1);
    EXPECT_EQ(camera->StatusRegister() & 0x03, 0x01);
    platform::AdvanceVirtualClock(1);
    EXPECT_EQ(camera->StatusRegister() & 0x03, 0x00);
    EXPECT_EQ(camera->Flash(), std::vector<std::uint8_t>(profile.size, 0xFF));
  }
}

TEST_F(FlashChipTest, ProgrammingOnlyClearsBitsAndIsRefusedWhereProtected) {
  auto camera = StartWith(*FindFlashProfile("MX25L1005"));
  CameraHost host;
  host.HostAccess(true);
  host.Frame({0x06});
  host.Frame({0x02, 0x00, 0x01, 0x00, 0xF0, 0x0F});
  host.Frame({0x06});
  host.Frame({0x02, 0x00, 0x01, 0x00, 0x3C, 0xFF});
  EXPECT_EQ(camera->Flash()[0x100], 0x30);
  EXPECT_EQ(camera->Flash()[0x101], 0x0F);
  // Block protect 1 of 3 guards the top quarter of the part.
  camera->SetStatusRegister(0x04);
  host.Frame({0x06});
  host.Frame({0x02, 0x01, 0x80, 0x00, 0x00});
  host.Frame({0x06});
  host.Frame({0x02, 0x01, 0x7F, 0xFF, 0x00});
  EXPECT_EQ(camera->Flash()[0x18000], 0xFF);
  EXPECT_EQ(camera->Flash()[0x17FFF], 0x00);
}

TEST_F(FlashChipTest, ASixtyFourKilobytePartIgnoresAddressBitSixteen) {
  auto camera = StartWith(*FindFlashProfile("MX25L512"));
  CameraHost host;
  ASSERT_TRUE(host.Write8(0x00010, {1, 2, 3, 4, 5, 6, 7, 8}));
  ASSERT_TRUE(host.Write8(0x10010, {0x00, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0xFF, 0xFF}));
  EXPECT_EQ(camera->Flash().size(), 0x10000u);
  std::vector<std::uint8_t> lower, upper;
  ASSERT_TRUE(host.Read8(0x00010, &lower));
  ASSERT_TRUE(host.Read8(0x10010, &upper));
  EXPECT_EQ(lower, (std::vector<std::uint8_t>{0, 0, 0, 0, 5, 6, 7, 8}));  // the upper write landed here
  EXPECT_EQ(upper, lower);
}

}  // namespace
}  // namespace simcam::testing
