// Write protection: the configuration-byte decode and pin step, the command registers, the
// status-register write and the controller bits, for chip classes 0 and 23 and both modes.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>

#include "camera_fixture.h"
#include "platform/runtime/clock.h"
#include "serial_flash/device_slots.h"
#include "serial_flash/flash_identification.h"
#include "serial_flash/serial_flash.h"
#include "serial_flash/write_protection.h"

namespace sftest {
namespace {

using Writes = std::vector<std::pair<std::uint16_t, std::uint8_t>>;

bool IsProtectionRegister(std::uint16_t reg) {
  return reg == 0x1006 || reg == 0x1007 || reg == 0x1073 || reg == 0x17C1 || reg == 0x17C2 || reg == 0x1080 ||
         (reg >= 0x5F3 && reg <= 0x5FB);
}

using Fault = simcam::Fault;

class WriteProtectionTest : public CameraTest {
 protected:
  void SetUp() override {
    CameraTest::SetUp();
    // The camera's MX25L1005 answers C2 20 11: row 1, command set 1, SF type 1.
    ASSERT_EQ(Open(), SF_OPEN_OK);
  }
  // Zeroes the registers that protection reads back.
  void ClearProtectionRegisters() {
    for (std::uint16_t reg : {0x1006, 0x1007, 0x1073, 0x17C1, 0x17C2}) Camera().SetReg(reg, 0);
  }
  // A freshly opened camera whose flash answers `jedec` to 0x9F.
  void OpenWithJedec(std::vector<std::uint8_t> jedec) {
    simcam::CameraConfig config;
    config.flash = AnsweringFlash(0x9F, std::move(jedec));
    Replace(config);
    ASSERT_EQ(Open(), SF_OPEN_OK);
  }
  // Runs the routine on a clean trace and keeps the writes to the protection registers, after
  // the identification's own host-access switching.
  bool Run(std::uint8_t enable, std::uint16_t* gpio, std::uint8_t* cfg) {
    Forget();
    bool ok = SFSetWriteProtect(enable, gpio, cfg);
    Writes all = RegisterWrites();
    writes_.clear();
    std::size_t idEnd = 0;
    for (std::size_t i = 0; i < all.size(); ++i) {
      if (all[i] == std::make_pair<std::uint16_t, std::uint8_t>(0x1080, 0)) {
        idEnd = i + 1;
        break;
      }
    }
    for (std::size_t i = idEnd; i < all.size(); ++i) {
      if (IsProtectionRegister(all[i].first)) writes_.push_back(all[i]);
    }
    return ok;
  }
  Writes writes_;
};

const Writes kCommandRegisters = {{0x5F3, 0x06}, {0x5F8, 0x12}, {0x5F9, 0x12}, {0x5FA, 0xED}, {0x5FB, 0xED},
                                  {0x5F5, 0x02}};
// Host access around the flash commands, then bit 2 set in the pin registers as they read back.
Writes StatusWriteAndBits(std::uint8_t level, std::uint8_t outputEnable) {
  return {{0x1080, 1},
          {0x1080, 0},
          {0x1006, static_cast<std::uint8_t>(level | 0x04)},
          {0x1007, static_cast<std::uint8_t>(outputEnable | 0x04)},
          {0x17C1, 0x01},
          {0x17C2, 0x01}};
}

Writes Join(std::initializer_list<Writes> parts) {
  Writes all;
  for (const auto& p : parts) all.insert(all.end(), p.begin(), p.end());
  return all;
}

// Disable on chip class 0, mode 1, then the matching enable with the variables it left.
TEST_F(WriteProtectionTest, ConfigurationBytesDriveTheirPinAndTheEnableComplementsIt) {
  struct Case {
    std::uint8_t cfg;
    Writes pin;           // disable's pin step
    std::uint8_t cfgAfter;
    std::uint16_t gpioAfter;
    Writes enablePin;     // enable's pin write
  };
  const Case cases[] = {
      {0x21, {{0x1007, 0x04}, {0x1006, 0xFB}}, 0xFB, 0x1006, {{0x1006, 0x04}}},
      {0x32, {{0x1007, 0x08}, {0x1006, 0x08}}, 0x08, 0x1006, {{0x1006, 0xF7}}},
      {0x1A, {{0x1007, 0x02}, {0x1006, 0xFD}}, 0xFD, 0x1006, {{0x1006, 0x02}}},
      {0x19, {{0x1007, 0x02}, {0x1006, 0x02}}, 0x02, 0x1006, {{0x1006, 0xFD}}},
      {0x10, {}, 0x00, 0xFFFF, {}},
  };
  g_sfLibrary.chipClass[0] = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << "cfg 0x" << std::hex << int(c.cfg));
    ClearProtectionRegisters();
    std::uint16_t gpio = 0x1234;
    std::uint8_t cfg = c.cfg;
    ASSERT_TRUE(Run(0, &gpio, &cfg));
    std::uint8_t level = c.pin.empty() ? 0 : c.pin[1].second;
    std::uint8_t enableBits = c.pin.empty() ? 0 : c.pin[0].second;
    EXPECT_EQ(writes_, Join({c.pin, StatusWriteAndBits(level, enableBits)}));
    EXPECT_EQ(cfg, c.cfgAfter);
    EXPECT_EQ(gpio, c.gpioAfter);
    EXPECT_EQ(HostOpcodes(), (std::vector<std::uint8_t>{0x9F, 0x06, 0x05, 0x01, 0x05}))
        << "identification, write enable, idle wait, status write, idle wait";
    ASSERT_TRUE(Run(1, &gpio, &cfg));
    EXPECT_EQ(writes_, Join({c.enablePin, {{0x1073, 0x00}}}));
  }
}

// The camera's write-protect input on pin 3 (protecting when low), its flash protected and
// locked: the decode alone decides whether the disable frees the pin and so whether the status
// write gets through. Pin 3 because the disable's last step sets bit 2 of the pin registers on
// its own, which would hide a wrong decode on pin 2.
TEST_F(WriteProtectionTest, DecodeOnPinThreeDecidesThePinAndTheStatusRegister) {
  struct Case {
    const char* name;
    std::uint8_t cfg;
    std::uint8_t level;  // written to 0x1006 by the pin step
    bool freed;          // the pin ends at its free level and the status register is cleared
  };
  const Case cases[] = {
      {"bit 7 ignored, drive high", 0xB2, 0x08, true},
      {"bit 7 ignored, drive low", 0xB1, 0xF7, false},
      {"bit 7 ignored in table-command mode", 0xBA, 0xF7, false},
      {"bits 2-3 = 01 is no table-command mode, drive high", 0x36, 0x08, true},
      {"bits 2-3 = 01 is no table-command mode, drive low", 0x35, 0xF7, false},
      {"bits 2-3 = 11 is no table-command mode, drive high", 0x3E, 0x08, true},
      {"bits 2-3 = 11 is no table-command mode, drive low", 0x3D, 0xF7, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.name << ", cfg 0x" << std::hex << int(c.cfg));
    simcam::CameraConfig config;
    config.wpPin = 3;
    Replace(config);
    ASSERT_EQ(Open(), SF_OPEN_OK);
    g_sfLibrary.chipClass[0] = 0;
    ClearProtectionRegisters();
    const std::uint8_t statusBefore = Camera().StatusRegister();
    ASSERT_NE(statusBefore & Camera().Config().flash.lockBit, 0);
    std::uint16_t gpio = 0;
    std::uint8_t cfg = c.cfg;
    ASSERT_TRUE(Run(0, &gpio, &cfg));
    ASSERT_FALSE(writes_.empty());
    EXPECT_EQ(writes_.front(), (std::pair<std::uint16_t, std::uint8_t>(0x1007, 0x08))) << "pin 3 is driven";
    EXPECT_EQ(cfg, c.level);
    EXPECT_EQ(gpio, 0x1006);
    EXPECT_EQ(Camera().Reg(0x1006), c.level | 0x04);
    EXPECT_EQ(Camera().WriteProtectAsserted(), !c.freed);
    EXPECT_EQ(Camera().StatusRegister(), c.freed ? 0x00 : statusBefore);
  }
}

TEST_F(WriteProtectionTest, DisableSendsItsFlashCommandsByteForByte) {
  g_sfLibrary.chipClass[0] = 0;
  std::uint16_t gpio = 0;
  std::uint8_t cfg = 0x21;
  ASSERT_TRUE(Run(0, &gpio, &cfg));
  // The identification frame, then write enable, status poll, status write 01 00, status poll.
  std::vector<std::vector<std::uint8_t>> frames = HostFrames();
  ASSERT_EQ(frames.size(), 5u);
  EXPECT_EQ(frames[1], (std::vector<std::uint8_t>{0x06}));
  EXPECT_EQ(frames[2], (std::vector<std::uint8_t>{0x05}));
  EXPECT_EQ(frames[3], (std::vector<std::uint8_t>{0x01, 0x00}));
  EXPECT_EQ(frames[4], (std::vector<std::uint8_t>{0x05}));
  EXPECT_FALSE(Camera().HostAccess()) << "disable leaves host access off";
}

TEST_F(WriteProtectionTest, ChipClassAndModeChooseTheSteps) {
  struct Case {
    const char* name;
    std::int32_t chipClass;
    std::uint8_t mode;
    Writes disable;
    Writes enable;
  };
  const Writes pin = {{0x1007, 0x04}, {0x1006, 0xFB}};
  const Case cases[] = {
      {"class 0, mode 2", 0, 2, Join({pin, StatusWriteAndBits(0xFB, 0x04)}), {{0x1006, 0x04}, {0x1073, 0x00}}},
      {"class 23, mode 2", 23, 2, Join({kCommandRegisters, pin}), {{0x1006, 0x04}}},
      {"class 23, mode 1", 23, 1, Join({kCommandRegisters, pin, StatusWriteAndBits(0xFB, 0x04)}),
       {{0x1006, 0x04}, {0x1073, 0x00}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ClearProtectionRegisters();
    g_sfLibrary.chipClass[0] = c.chipClass;
    Camera().SetMode(c.mode);
    std::uint16_t gpio = 0;
    std::uint8_t cfg = 0x21;
    ASSERT_TRUE(Run(0, &gpio, &cfg));
    EXPECT_EQ(writes_, c.disable);
    ASSERT_TRUE(Run(1, &gpio, &cfg));
    EXPECT_EQ(writes_, c.enable);
    // The enable's two discarded flash reads happen unless the bypass holds.
    bool flashReads = false;
    for (const Req& r : Requests()) flashReads |= r.kind == Req::Kind::Set && r.control == 3;
    EXPECT_EQ(flashReads, !(c.chipClass == 23 && c.mode == 2));
  }
}

TEST_F(WriteProtectionTest, EnableReadsTheTwoBytesAtTheFlashPointer) {
  g_sfLibrary.chipClass[0] = 0;
  Camera().SetReg(0x0A0F, 0x00);
  Camera().SetReg(0x0A10, 0x00);
  Camera().SetReg(0x0A11, 0x80);
  Camera().SetReg(0x0A12, 0x00);
  Camera().SetReg(0x1073, 0x07);
  std::uint16_t gpio = 0xFFFF;  // fresh variables, as the burner passes them
  std::uint8_t cfg = 0x21;
  ASSERT_TRUE(Run(1, &gpio, &cfg));
  std::vector<Req> flash;
  for (const Req& r : Requests()) {
    if (r.control == 3) flash.push_back(r);
  }
  EXPECT_TRUE(SameRequests({FlashCommand(0x8003, 0x81), FlashData(), FlashCommand(0x8034, 0x81), FlashData()}, flash));
  EXPECT_EQ(writes_, (Writes{{0x1073, 0x06}})) << "no GPIO register; bit 0 of 0x1073 cleared";
  EXPECT_EQ(gpio, 0xFFFF);
  EXPECT_EQ(cfg, 0x21);
}

TEST_F(WriteProtectionTest, SfTypeThreeAndTableCommandModePickTheCommandBytes) {
  struct Case {
    const char* name;
    std::vector<std::uint8_t> jedec;
    std::uint8_t cfg;
    std::uint8_t wren;
    std::uint8_t program;
    bool ewsr;
  };
  const Case cases[] = {
      {"SF type 3, plain mode", {0xBF, 0x48, 0x00}, 0x21, 0x06, 0xAF, true},
      {"SF type 3, table mode", {0xBF, 0x48, 0x00}, 0x1A, 0x06, 0xAF, true},
      {"SF type 1, plain mode", {0xC2, 0x20, 0x11}, 0x21, 0x06, 0x02, false},
      {"unidentified, table mode", {0x12, 0x34, 0x56}, 0x1A, 0x04, 0x03, false},
      {"unidentified, plain mode", {0x12, 0x34, 0x56}, 0x21, 0x06, 0x02, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    OpenWithJedec(c.jedec);
    g_sfLibrary.chipClass[0] = 23;
    Camera().SetMode(1);
    Camera().SetReg(0x5F3, 0xA3);
    Camera().SetReg(0x5F5, 0xA5);
    std::uint16_t gpio = 0;
    std::uint8_t cfg = c.cfg;
    ASSERT_TRUE(Run(0, &gpio, &cfg));
    EXPECT_EQ(Camera().Reg(0x5F3), c.wren);
    EXPECT_EQ(Camera().Reg(0x5F5), c.program);
    EXPECT_EQ(g_sfSaved5F3[0], 0xA3);
    EXPECT_EQ(g_sfSaved5F5[0], 0xA5);
    std::vector<std::uint8_t> ops = HostOpcodes();
    auto wrsr = std::find(ops.begin(), ops.end(), 0x01);
    ASSERT_NE(wrsr, ops.end());
    EXPECT_EQ(*(wrsr - 1) == 0x50, c.ewsr) << "0x50 right before the status write";
  }
}

// Fails the control-5 GET with the given ordinal (1 = base, 2 = mode), counted from now.
Fault Control5GetFails(unsigned nth) {
  return {.kind = Fault::Kind::FailRequest, .match = {.control = 5, .kind = simcam::RequestRecord::Kind::Get}, .nth = nth};
}
Fault RegisterReadFails(std::uint16_t reg) { return {.kind = Fault::Kind::RegisterReadFails, .reg = reg}; }

TEST_F(WriteProtectionTest, FailedModeReadChangesNeitherVariable) {
  for (std::uint8_t enable : {0, 1}) {
    SCOPED_TRACE(static_cast<int>(enable));
    Camera().ClearFaults();
    Camera().AddFault(Control5GetFails(2));
    std::uint16_t gpio = 0x1234;
    std::uint8_t cfg = 0x21;
    EXPECT_FALSE(Run(enable, &gpio, &cfg));
    EXPECT_EQ(gpio, 0x1234);
    EXPECT_EQ(cfg, 0x21);
    EXPECT_TRUE(writes_.empty());
    ASSERT_FALSE(Camera().Requests().empty());
    EXPECT_EQ(Camera().Requests().back().control, 5u) << "nothing is sent after the failed mode read";
    EXPECT_NE(Camera().Requests().back().result, S_OK);
    EXPECT_EQ(HostOpcodes(), (std::vector<std::uint8_t>{0x9F})) << "the identification has run";
  }
}

TEST_F(WriteProtectionTest, FailedReadsCountAsZero) {
  g_sfLibrary.chipClass[0] = 0;
  Camera().SetReg(0x1006, 0xF0);
  Camera().SetReg(0x1007, 0x30);
  Camera().SetReg(0x17C1, 0x80);
  Camera().SetReg(0x17C2, 0x40);
  Camera().SetReg(0x1073, 0x07);
  std::uint16_t gpio = 0;
  std::uint8_t cfg = 0x10;  // no pin
  ASSERT_TRUE(Run(0, &gpio, &cfg));
  EXPECT_EQ(writes_, Join({{{0x1080, 1}, {0x1080, 0}}, {{0x1006, 0xF4}, {0x1007, 0x34}, {0x17C1, 0x81}, {0x17C2, 0x41}}}));
  for (std::uint16_t reg : {0x1006, 0x1007, 0x17C1, 0x17C2}) Camera().AddFault(RegisterReadFails(reg));
  ASSERT_TRUE(Run(0, &gpio, &cfg));
  EXPECT_EQ(writes_, Join({{{0x1080, 1}, {0x1080, 0}}, {{0x1006, 0x04}, {0x1007, 0x04}, {0x17C1, 0x01}, {0x17C2, 0x01}}}));

  // A failed base read makes the pointer from registers 0x0F to 0x12; a failed 0x1073 read
  // writes 0x00.
  Camera().SetReg(0x0011, 0x80);
  Camera().ClearFaults();
  Camera().AddFault(Control5GetFails(1));
  Camera().AddFault(RegisterReadFails(0x1073));
  gpio = 0xFFFF;
  ASSERT_TRUE(Run(1, &gpio, &cfg));
  EXPECT_EQ(writes_, (Writes{{0x1073, 0x00}}));
  std::vector<Req> flash;
  for (const Req& r : Requests()) {
    if (r.control == 3) flash.push_back(r);
  }
  EXPECT_TRUE(SameRequests({FlashCommand(0x8003, 0x81), FlashData(), FlashCommand(0x8034, 0x81), FlashData()}, flash));
}

// Sends a chip erase of its own through the shift interface: write enable, the erase opcode, the
// idle wait, with host access around it.
void EraseChip(std::uint8_t opcode) {
  auto command = [](std::uint8_t op) {
    SFWriteReg(0x1091, 0);
    SFWriteReg(0x1082, op);
    SFWriteReg(0x1081, 1);
    SFWaitReady();
    SFWriteReg(0x1091, 1);
  };
  SFWriteReg(0x1080, 1);
  command(0x06);
  command(opcode);
  SFWaitIdle();
  SFWriteReg(0x1080, 0);
}

// On every protected part of the catalogue: the disable with the sample firmware's configuration
// byte lifts the protection, so that a chip erase really erases the whole flash; without the
// disable the part refuses the erase and keeps its bytes. The one exception is an SST part that
// takes a status write only right after 0x50 and that no row of the flash-ID table knows (BF 49):
// the disable sends 0x50 only for SF type 3, so that part stays protected.
TEST_F(WriteProtectionTest, ChipEraseErasesOnlyAfterTheDisable) {
  const std::vector<std::string> staysProtected = {"SST25VF010"};
  for (const simcam::FlashProfile& part : simcam::FlashCatalogue()) {
    if (part.protectBits == 0) continue;  // nothing to lift
    const bool liftable = std::find(staysProtected.begin(), staysProtected.end(), part.name) == staysProtected.end();
    for (bool disable : {false, true}) {
      SCOPED_TRACE(::testing::Message() << part.name << (disable ? " after the disable" : " still protected"));
      simcam::CameraConfig config;
      config.flash = part;
      Replace(config);
      ASSERT_EQ(Open(), SF_OPEN_OK);
      const std::vector<std::uint8_t> before = Camera().Flash();
      ASSERT_TRUE(Camera().WriteProtectAsserted());
      ASSERT_NE(Camera().StatusRegister() & part.protectBits, 0);
      const bool erases = disable && liftable;
      if (disable) {
        std::uint8_t cfg = before[simcam::WriteProtectConfigAddress(config.chipId)];
        std::uint16_t gpio = 0;
        ASSERT_TRUE(SFSetWriteProtect(0, &gpio, &cfg));
        EXPECT_FALSE(Camera().WriteProtectAsserted()) << "the pin is at its free level";
        EXPECT_EQ((Camera().StatusRegister() & part.protectBits) == 0, liftable) << "block protection cleared";
      }
      Forget();
      const std::uint8_t opcode = part.eraseOpcodes.front();
      EraseChip(opcode);
      bool executed = false;
      for (const simcam::SpiFrame& frame : Camera().SpiFrames()) executed |= frame.opcode == opcode && frame.executed;
      EXPECT_EQ(executed, erases);
      if (erases) {
        EXPECT_EQ(Camera().Flash(), std::vector<std::uint8_t>(part.size, 0xFF));
        EXPECT_EQ(Camera().StatusRegister() & 0x01, 0) << "the idle wait outlasted the erase";
      } else {
        EXPECT_EQ(Camera().Flash(), before);
      }
    }
  }
}

TEST_F(WriteProtectionTest, MissingVariablesAreRefusedWithoutARequest) {
  std::uint16_t gpio = 0;
  std::uint8_t cfg = 0;
  Forget();
  EXPECT_FALSE(SFSetWriteProtect(0, nullptr, &cfg));
  EXPECT_FALSE(SFSetWriteProtect(1, &gpio, nullptr));
  EXPECT_TRUE(Requests().empty());
}

}  // namespace
}  // namespace sftest
