// Chip erase: the detection it reruns, the SF-type register write and the erase sequence of each
// type group, with the timed sequence on the virtual clock.
#include <cstring>

#include "burner/chip_erase.h"
#include "burner/flash_type_detection.h"
#include "serial_flash/serial_flash.h"
#include "tests/burner/camera_fixture.h"

namespace burner_test {
namespace {

bool IsIdentification(std::uint8_t opcode) {
  return opcode == 0x9F || opcode == 0x15 || opcode == 0xD7 || opcode == 0x90 || opcode == 0xAB;
}

// The frames after the detection's, with the status polls of the idle wait folded into one
// "05 ..." entry.
std::vector<std::string> EraseFrames(const std::vector<simcam::SpiFrame>& frames) {
  std::vector<std::string> out;
  bool detecting = true;
  for (const auto& f : frames) {
    if (f.fromFirmware) continue;
    if (detecting && IsIdentification(f.opcode)) continue;
    detecting = false;
    if (f.opcode == 0x05) {
      if (out.empty() || out.back() != "05 ...") out.push_back("05 ...");
      continue;
    }
    std::string text = HexBytes({f.opcode});
    if (!f.in.empty()) text += " " + HexBytes(f.in);
    out.push_back(text);
  }
  return out;
}

class DeviceErase : public CameraTest {
 protected:
  // A camera with the library open and the flash unprotected, as after the write-protect disable.
  std::shared_ptr<simcam::SimulatedCamera> Prepare(const simcam::FlashProfile& flash) {
    SFClose();
    platform::ClearVideoInputDevices();
    simcam::CameraConfig config = ConfigWithFlash(flash);
    config.startProtected = false;
    auto camera = Attach(config);
    EXPECT_EQ(SFOpen(), SF_OPEN_OK);
    camera->ClearTrace();
    platform::UseVirtualClock();
    platform::ResetSleepStats();
    return camera;
  }
  void TearDown() override {
    SFClose();
    CameraTest::TearDown();
  }
};

TEST_F(DeviceErase, EachTypeGroupGetsItsSequence) {
  struct Case {
    const char* part;
    std::uint8_t sfType;
    std::vector<std::string> frames;
  } cases[] = {
      {"MX25L1005", 1, {"06", "60", "05 ..."}},
      {"M25P10A", 2, {"06", "C7", "05 ..."}},
      {"SST25VF010", 3, {"50", "01 00", "06", "60", "05 ..."}},
      {"AT25F1024A", 4, {"06", "62", "05 ..."}},
      {"AT26F004", 5, {"06", "60", "05 ..."}},
      {"W25X10", 7, {"06", "C7", "05 ..."}},
      {"Pm25LV010", 8, {"06", "C7", "05 ..."}},
      {"A25L010", 10, {"06", "C7", "05 ..."}},
      {"GD25Q10", 0, {"06", "60", "05 ..."}},
      {"EN25P40", 0xFF, {"06", "60", "05 ..."}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.part);
    const simcam::FlashProfile* part = simcam::FindFlashProfile(c.part);
    ASSERT_NE(part, nullptr);
    auto camera = Prepare(*part);
    EraseFlashChip(kBlankMaskRomKey, *ctx);
    EXPECT_EQ(int{ctx->m_sfType}, int{c.sfType});
    EXPECT_EQ(EraseFrames(camera->SpiFrames()), c.frames);
    EXPECT_FALSE(camera->HostAccess());
    EXPECT_TRUE(ctx->effects.empty());
    const auto flash = camera->Flash();
    EXPECT_EQ(std::count(flash.begin(), flash.end(), 0xFF), static_cast<std::ptrdiff_t>(flash.size())) << "erased";
  }
}

TEST_F(DeviceErase, WritesTheTypeToRegisterZeroBeforeTheSequence) {
  auto camera = Prepare(*simcam::FindFlashProfile("W25X10"));
  camera->SetReg(0x0000, 0xEE);
  camera->SetReg(0x1040, 0xEE);
  EraseFlashChip(kBlankMaskRomKey, *ctx);
  EXPECT_EQ(camera->Reg(0x0000), 7);
  EXPECT_EQ(camera->Reg(0x1040), 0xEE) << "the blank key does not clear 0x1040";
  const auto traffic = RegisterTraffic(camera->Requests());
  // Set-up ends, then the SF type goes to 0x0000, then host access comes on for the erase.
  const std::vector<std::string> seam = {"W 1093=00", "W 0000=07", "W 1080=01", "W 1091=00", "W 1082=06"};
  EXPECT_NE(std::search(traffic.begin(), traffic.end(), seam.begin(), seam.end()), traffic.end())
      << testing::PrintToString(traffic);
}

TEST_F(DeviceErase, RefusedTypeWriteIsShownOnceAndTheEraseGoesOn) {
  auto camera = Prepare(*simcam::FindFlashProfile("MX25L1005"));
  camera->AddFault({.kind = simcam::Fault::Kind::RegisterWriteFails, .reg = 0x0000});
  EraseFlashChip(kBlankMaskRomKey, *ctx);
  EXPECT_EQ(ctx->effects, (std::vector<Effect>{Message(L"Write SFType Data To Mask Rom Failed!")}));
  EXPECT_EQ(EraseFrames(camera->SpiFrames()), (std::vector<std::string>{"06", "60", "05 ..."}));
}

TEST_F(DeviceErase, KeysOfTheirOwnChooseTheRegisterAndClear1040) {
  MaskRomRecord table[2] = {};
  std::memcpy(table[1].modelCode, "M41T", 4);
  table[1].version[0] = 1;
  table[1].sfTypeRegister = 0x2001;
  table[1].matchMinimumVersion = 1;
  MaskRomKey key = {};
  std::memcpy(key.modelCode, "m41t", 4);
  key.version[0] = 2;

  auto camera = Prepare(*simcam::FindFlashProfile("MX25L1005"));
  camera->SetReg(0x0000, 0xEE);
  camera->SetReg(0x1040, 0xEE);
  EraseFlashChip(key, *ctx, table);
  EXPECT_EQ(camera->Reg(0x2001), 1);
  EXPECT_EQ(camera->Reg(0x0000), 0xEE);
  EXPECT_EQ(camera->Reg(0x1040), 0x00);
}

TEST_F(DeviceErase, TimedEraseHoldsChipSelectThenPauses) {
  const simcam::FlashProfile& part = *simcam::FindFlashProfile("AT25F1024A");
  auto camera = Prepare(part);
  EraseFlashChip(kBlankMaskRomKey, *ctx);

  // Sleeps: 2500 ms with the flash selected, 900 ms after the release, then 1 ms per busy poll of
  // the idle wait.
  const platform::SleepStats sleeps = platform::CurrentSleepStats();
  ASSERT_GE(sleeps.calls, 2u);
  EXPECT_EQ(sleeps.totalMs - 3400u, sleeps.calls - 2u);
  // The erase starts when chip select is released, 2500 ms in; the idle wait then covers its
  // busy time beyond the 900 ms pause.
  EXPECT_GE(platform::NowMs(), 2500u + part.eraseMs);
  EXPECT_LE(platform::NowMs(), 2500u + part.eraseMs + 2);
  const auto traffic = RegisterTraffic(camera->Requests());
  const std::vector<std::string> select62 = {"W 1091=00", "W 1082=62", "W 1081=01", "R 1084", "W 1091=01"};
  EXPECT_NE(std::search(traffic.begin(), traffic.end(), select62.begin(), select62.end()), traffic.end());
}

TEST_F(DeviceErase, OtherSequencesSendWithoutPauses) {
  auto camera = Prepare(*simcam::FindFlashProfile("SST25VF010"));
  EraseFlashChip(kBlankMaskRomKey, *ctx);
  // Only the idle wait's 1 ms polls sleep.
  const platform::SleepStats sleeps = platform::CurrentSleepStats();
  EXPECT_GE(sleeps.calls, 1u);
  EXPECT_EQ(sleeps.totalMs, sleeps.calls);
}

TEST_F(DeviceErase, DetectionRunsForEveryErase) {
  auto camera = Prepare(*simcam::FindFlashProfile("MX25L1005"));
  EraseFlashChip(kBlankMaskRomKey, *ctx);
  ASSERT_EQ(ctx->m_sfType, 1);
  // Another flash behind the same controller: the second erase finds it and uses its sequence.
  camera = Prepare(*simcam::FindFlashProfile("M25P10A"));
  EraseFlashChip(kBlankMaskRomKey, *ctx);
  EXPECT_EQ(ctx->m_sfType, 2);
  EXPECT_EQ(HostOpcodes(camera->SpiFrames()).front(), 0x9F);
  EXPECT_EQ(EraseFrames(camera->SpiFrames()), (std::vector<std::string>{"06", "C7", "05 ..."}));
}

}  // namespace
}  // namespace burner_test
