// A healthy camera of every catalogued part takes the traffic the tool sends for a burn (pin step,
// status-register write, the erase sequence the burner picks for the part, eight-byte programming
// and read-back) and ends up holding the image; protection left on makes the erase fail; a flash
// file carries the contents across camera restarts.
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "camera_fixture.h"
#include "simulated_camera/flash_store.h"

namespace simcam::testing {
namespace {

using Bytes = std::vector<std::uint8_t>;

struct EraseSequence {
  std::vector<Bytes> frames;  // each in its own chip-select cycle
  unsigned holdMs = 0;        // 0x62 parts: chip select held this long after the opcode
};
const EraseSequence kErase60 = {{{0x06}, {0x60}}};
const EraseSequence kEraseC7 = {{{0x06}, {0xC7}}};
const EraseSequence kEraseSst = {{{0x50}, {0x01, 0x00}, {0x06}, {0x60}}};
const EraseSequence kErase62 = {{{0x06}}, 2500};

struct Part {
  const char* name;
  EraseSequence erase;   // what the burner's detection picks for the part
  bool libraryEwsr;      // the library identifies it as its SST type and sends 0x50 before WRSR
};

const std::vector<Part> kParts = {
    {"MX25L1005", kErase60, false},    {"MX25L512", kErase60, false},     {"MX25L1021E", kErase60, false},
    {"MX25L5121E", kErase60, false},   {"MX25L512-REMS", kErase60, false}, {"M25P05A", kEraseC7, false},
    {"M25P10A", kEraseC7, false},      {"W25X05", kEraseC7, false},       {"W25X10", kEraseC7, false},
    {"W25P10", kEraseC7, false},       {"Pm25LV512", kEraseC7, false},    {"Pm25LV010", kEraseC7, false},
    {"Pm25LV010-RES", kEraseC7, false}, {"Pm25LD512", kEraseC7, false},   {"SST25VF512", kEraseSst, true},
    {"SST25VF010", kEraseSst, false},  {"AT25F512A", kErase62, false},    {"AT25F1024A", kErase62, false},
    {"AT25DF512C", kErase60, false},   {"AT26F004", kErase60, false},     {"AT45DB011", kErase60, false},
    {"GD25Q512", kErase60, false},     {"GD25Q10", kErase60, false},      {"A25L512", kEraseC7, false},
    {"A25L010", kEraseC7, false},      {"F25L05PA", kEraseC7, false},     {"FM25F005", kEraseC7, false},
    {"EN25P05", kEraseC7, false},      {"EN25P10", kEraseC7, false},      {"EN25P40", kErase60, false},
};

class BurnRoundTripTest : public CameraTest {
 protected:
  // Pin step and status-register write as the library's disable does them (no table-command mode).
  static void DisableProtection(CameraHost& host, std::uint8_t chipId, std::uint8_t mode, bool ewsr) {
    Bytes block;
    ASSERT_TRUE(host.Read8(WriteProtectConfigAddress(chipId), &block));
    const std::uint8_t c = block[0];
    const std::uint8_t mask = static_cast<std::uint8_t>(1u << ((c >> 4) & 7));
    const std::uint8_t selector = c & 3;
    if (selector != 0) {
      host.WriteReg(0x1007, mask);
      host.WriteReg(0x1006, selector == 1 ? static_cast<std::uint8_t>(~mask) : mask);
    }
    if (mode == 2) return;
    host.HostAccess(true);
    host.Frame({0x06});
    host.WaitIdle();
    if (ewsr) host.Frame({0x50});
    host.Frame({0x01, 0x00});
    host.WaitIdle();
    host.HostAccess(false);
  }
  static void Erase(CameraHost& host, const EraseSequence& erase) {
    host.HostAccess(true);
    for (const Bytes& frame : erase.frames) host.Frame(frame);
    if (erase.holdMs != 0) {
      host.Select();
      host.Send(0x62);
      Sleep(erase.holdMs);
      host.Release();
      Sleep(900);
    }
    host.WaitIdle();
    host.HostAccess(false);
  }
  static bool Blank(CameraHost& host) {
    for (std::uint32_t offset = 0; offset < 0x1FC00; offset += 0x400) {
      Bytes block;
      if (!host.Read8(offset, &block) || block != Bytes(8, 0xFF)) return false;
    }
    return true;
  }
  static void Program(CameraHost& host, const Bytes& image) {
    for (std::uint32_t offset = 0; offset < 0x1FFF6; offset += 8) {
      Bytes block(image.begin() + offset, image.begin() + offset + 8);
      if (block != Bytes(8, 0xFF)) host.Write8(offset, block);
    }
  }
  // The first sampled offset whose eight bytes differ from the image, or -1.
  static long FirstDifference(CameraHost& host, const Bytes& image) {
    for (std::uint32_t offset = 0; offset < 0x1FC00; offset += 0x400) {
      Bytes block;
      if (!host.Read8(offset, &block) || block != Bytes(image.begin() + offset, image.begin() + offset + 8)) {
        return offset;
      }
    }
    return -1;
  }
};

TEST_F(BurnRoundTripTest, EveryPartBurnsInBothModesOfTheFirmware) {
  const Bytes image = MakeSampleFirmware(0x32, WriteProtectConfigByteFor(2, true), {.tag = "NEW01"});
  for (const Part& part : kParts) {
    for (std::uint8_t mode : {1, 2}) {
      SCOPED_TRACE(std::string(part.name) + " mode " + std::to_string(mode));
      platform::ClearVideoInputDevices();
      CameraConfig config;
      config.flash = *FindFlashProfile(part.name);
      config.mode = mode;
      auto camera = Start(config);
      CameraHost host;
      DisableProtection(host, config.chipId, mode, part.libraryEwsr);
      Erase(host, part.erase);
      ASSERT_TRUE(Blank(host));
      Program(host, image);
      const bool fullSize = config.flash.size >= 0x20000;
      // A 64 KB part folds the upper half onto the lower: the verify fails at its first sample.
      EXPECT_EQ(FirstDifference(host, image), fullSize ? -1 : 0);
      if (fullSize) {
        Bytes flash = camera->Flash();
        flash.resize(0x20000);
        Bytes expected = image;
        std::fill(expected.end() - 8, expected.end(), 0xFF);
        EXPECT_EQ(flash, expected);
      }
    }
  }
}

TEST_F(BurnRoundTripTest, ProtectionLeftOnMakesTheEraseFail) {
  struct Case {
    const char* name;
    std::uint8_t wpConfigByte;
    bool skipStatusWrite;
  };
  const std::vector<Case> cases = {
      {"pin not driven", 0x20, false},
      {"pin driven to its protecting level", 0x21, false},
      {"status register left protected", 0x22, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    platform::ClearVideoInputDevices();
    CameraConfig config;
    config.wpConfigByte = c.wpConfigByte;
    auto camera = Start(config);
    CameraHost host;
    DisableProtection(host, config.chipId, c.skipStatusWrite ? 2 : 1, false);
    Erase(host, kErase60);
    EXPECT_FALSE(Blank(host));
    EXPECT_NE(camera->StatusRegister() & 0x0C, 0);
  }
}

TEST_F(BurnRoundTripTest, AFlashFilePersistsAcrossRestartsWritingOnlyWhatChanged) {
  const std::filesystem::path dir = std::filesystem::temp_directory_path() /
                                    ("simcam-" + std::to_string(::getpid()) + "-" +
                                     ::testing::UnitTest::GetInstance()->current_test_info()->name());
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  const std::string file = (dir / "cam.bin").string();
  CameraConfig config;
  config.flashFile = file;
  config.startProtected = false;
  {
    auto camera = Start(config);
    ASSERT_EQ(std::filesystem::file_size(file), 0x20000u);
    CameraHost host;
    ASSERT_TRUE(host.Write8(0x10100, Bytes(8, 0x00)));
    platform::ClearVideoInputDevices();
  }
  {
    // The restarted camera starts from the file, not from its own sample.
    CameraConfig erased = config;
    erased.contents = FlashContents::Erased;
    auto camera = Start(erased);
    const Bytes flash = camera->Flash();
    EXPECT_EQ(flash[0x10100], 0x00);
    EXPECT_EQ(Bytes(flash.begin(), flash.begin() + 4), (Bytes{'Q', 'X', '7', 'M'}));
    // Changes reach the file at once.
    camera->SetFlash(Bytes{0x5A}, 0x1FFFF);
    std::ifstream in(file, std::ios::binary);
    in.seekg(0x1FFFF);
    EXPECT_EQ(in.get(), 0x5A);
    platform::ClearVideoInputDevices();
  }
  CameraConfig small = config;
  small.flash = *FindFlashProfile("MX25L512");
  std::string error;
  EXPECT_EQ(SimulatedCamera::Create(small, &error), nullptr);
  EXPECT_NE(error.find("flash_file"), std::string::npos) << error;
  std::filesystem::remove_all(dir);
}

// The status register's stored bits go with the flash file, as a real chip keeps them through
// power-off: what the last run left decides, not the configuration of the next one.
TEST_F(BurnRoundTripTest, StatusBitsPersistAcrossRestartsWithTheFlashFile) {
  struct Case {
    const char* name;
    bool firstProtected;                        // `protected` of the first run
    std::function<void(CameraHost&)> change;   // what the first run does
    bool dropStateFile;                         // the state file is gone before the restart
    bool nextProtected;                         // `protected` of the restarted camera
    std::uint8_t nextMode;
    std::uint8_t expected;                      // status register after the restart
  };
  // The pin to its free level (wp_pin 2, active low), then write enable and a status write.
  const auto writeStatus = [](std::uint8_t value) {
    return [value](CameraHost& host) {
      host.WriteReg(0x1007, 0x04);
      host.WriteReg(0x1006, 0x04);
      host.HostAccess(true);
      host.Frame({0x06});
      host.Frame({0x01, value});
      host.WaitIdle();
      host.HostAccess(false);
    };
  };
  const Case cases[] = {
      {"left protected stays protected", true, [](CameraHost&) {}, false, false, 1, 0x8C},
      {"cleared by a status write stays clear", true, writeStatus(0x00), false, true, 1, 0x00},
      {"set by a status write stays set", false, writeStatus(0x8C), false, false, 1, 0x8C},
      {"the firmware of mode 2 clears it at start", true, [](CameraHost&) {}, false, true, 2, 0x00},
      {"without a state file the configuration decides", false, [](CameraHost&) {}, true, true, 1, 0x8C},
  };
  const std::filesystem::path dir = std::filesystem::temp_directory_path() /
                                    ("simcam-status-" + std::to_string(::getpid()));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    const std::string file = (dir / "cam.bin").string();
    CameraConfig config;
    config.flashFile = file;
    config.startProtected = c.firstProtected;
    {
      auto camera = Start(config);
      CameraHost host;
      c.change(host);
      platform::ClearVideoInputDevices();
    }
    if (c.dropStateFile) std::filesystem::remove(FlashStateFileName(file));
    config.startProtected = c.nextProtected;
    config.mode = c.nextMode;
    auto camera = Start(config);
    EXPECT_EQ(camera->StatusRegister(), c.expected);
    std::ifstream state(FlashStateFileName(file));
    std::string line;
    std::getline(state, line);
    char text[16];
    std::snprintf(text, sizeof text, "status=0x%02X", c.expected);
    EXPECT_EQ(line, text);
    platform::ClearVideoInputDevices();
  }

  // A state file that does not hold one such line keeps the camera from starting.
  std::ofstream(FlashStateFileName((dir / "cam.bin").string()), std::ios::trunc) << "protected\n";
  CameraConfig config;
  config.flashFile = (dir / "cam.bin").string();
  std::string error;
  EXPECT_EQ(SimulatedCamera::Create(config, &error), nullptr);
  EXPECT_NE(error.find("cam.bin.state"), std::string::npos) << error;
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace simcam::testing
