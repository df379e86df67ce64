// The configuration text, the sample firmware and registration from the environment.
#include <cstdlib>

#include "camera_fixture.h"

namespace simcam::testing {
namespace {

using Bytes = std::vector<std::uint8_t>;

class ConfigTest : public CameraTest {};

TEST_F(ConfigTest, TextSetsEveryKindOfItem) {
  std::string error;
  auto config = ParseCameraConfig(
      "chip=0x33, flash=SST25VF512,firmware=erased,latency_us=200,mode=2,base=0x0B00,reg3c5=3,done_polls=4,"
      "wp_pin=5,wp_polarity=high,nodes=dev+vp,xu_node=0,probe=false,fallback=b,control4=failprobe:3,"
      "devices=foreign+camera:noname:longpath,trace=off,protected=no,erase_ms=7,tag=AB12",
      &error);
  ASSERT_TRUE(config) << error;
  EXPECT_EQ(config->chipId, 0x33);
  EXPECT_EQ(config->flash.name, "SST25VF512");
  EXPECT_EQ(config->flash.eraseMs, 7u);
  EXPECT_EQ(config->contents, FlashContents::Erased);
  EXPECT_EQ(config->latencyUs, 200u);
  EXPECT_EQ(config->mode, 2);
  EXPECT_EQ(config->baseAddress, 0x0B00);
  EXPECT_EQ(config->reg3C5, 3);
  EXPECT_EQ(config->donePolls, 4u);
  EXPECT_EQ(config->wpPin, 5);
  EXPECT_FALSE(config->wpActiveLow);
  EXPECT_EQ(config->nodeTypes, (std::vector<GUID>{KSNODETYPE_DEV_SPECIFIC, KSNODETYPE_VIDEO_PROCESSING}));
  EXPECT_EQ(config->extensionUnitNode, 0);
  EXPECT_EQ(config->supportProbe, S_FALSE);
  EXPECT_EQ(config->fallback, FallbackSupport::SetB);
  EXPECT_EQ(config->control4.failAddress, std::optional<std::uint16_t>(0xDFF8));
  ASSERT_EQ(config->devices.size(), 2u);
  EXPECT_EQ(config->devices[0].kind, DeviceKind::ForeignWebcam);
  EXPECT_EQ(config->devices[1].friendlyNameRead, E_FAIL);
  EXPECT_GT(config->devices[1].devicePath.size(), 256u);
  EXPECT_FALSE(config->trace);
  EXPECT_FALSE(config->startProtected);
  EXPECT_EQ(config->strings.tag, "AB12");
}

TEST_F(ConfigTest, BadItemsAreNamed) {
  const std::vector<std::pair<const char*, const char*>> cases = {
      {"chip=0x132", "chip=0x132"},
      {"flash=XY25Q", "flash=XY25Q"},
      {"colour=red", "colour"},
      {"mode", "mode"},
      {"devices=camera+tv", "devices=camera+tv"},
      {"control4=sometimes", "control4=sometimes"},
      {"xu_node=0", "xu_node=0"},  // node 0 of the default topology is no device-specific node
      {"nodes=vp,xu_node=0", "'xu_node=0': not a device-specific node of 'nodes=vp'"},
      // The unit's default index does not fit the nodes written: the nodes are named, not the
      // xu_node item nobody wrote.
      {"nodes=none", "'nodes=none'"},
      {"chip=0x32,latency_us=0,chip=0x33", "'chip' given twice ('chip=0x32' and 'chip=0x33')"},
      {"tag=TOOLONG", "tag=TOOLONG"},
  };
  for (auto [text, named] : cases) {
    SCOPED_TRACE(text);
    std::string error;
    EXPECT_FALSE(ParseCameraConfig(text, &error));
    EXPECT_NE(error.find(named), std::string::npos) << error;
  }
}

TEST_F(ConfigTest, SampleFirmwareCarriesTheFirmwareInformationWhereTheToolReadsIt) {
  const FirmwareStrings strings{.tag = "ABCD1", .first = "XYZW000001", .second = "0123456789", .third = "1305210102"};
  for (std::uint8_t chip : {0x16, 0x32, 0x33, 0x70, 0x90, 0x17}) {
    SCOPED_TRACE(chip);
    const Bytes image = MakeSampleFirmware(chip, 0x22, strings);
    ASSERT_EQ(image.size(), kImageSize);
    EXPECT_EQ(Bytes(image.begin(), image.begin() + 4), (Bytes{'Q', 'X', '7', 'M'}));
    EXPECT_EQ(image[WriteProtectConfigAddress(chip)], 0x22);
    auto text = [&](std::uint32_t at, std::size_t n) { return std::string(image.begin() + at, image.begin() + at + n); };
    const FirmwareInfoAddresses name = ExportNameAddresses(chip);
    EXPECT_EQ(text(name.base, 10), "XYZW000001");
    EXPECT_EQ(text(name.base + 10, 10), "0123456789");
    EXPECT_EQ(text(name.base + 20, 10), "1305210102");
    EXPECT_EQ(text(name.tag, 5), "ABCD1");
    FirmwareInfoAddresses box{};
    if (VersionBoxAddresses(chip, &box) && chip != 0x90) {  // chip 0x90's two tags overlap
      EXPECT_EQ(text(box.base + 10, 10), "0123456789");
      EXPECT_EQ(text(box.tag, 5), "ABCD1");
    }
    // A 64 KB part cannot pass a verify by folding: the halves differ at the first block.
    EXPECT_NE(Bytes(image.begin(), image.begin() + 8), Bytes(image.begin() + 0x10000, image.begin() + 0x10008));
  }
  EXPECT_EQ(WriteProtectConfigByteFor(3, false), 0x31);
}

TEST_F(ConfigTest, EnvironmentRegistersTheConfiguredCamera) {
  ::unsetenv(kEnvironmentVariable);
  std::string error = "stale";
  EXPECT_FALSE(RegisterFromEnvironment(&error));
  EXPECT_TRUE(error.empty());

  ::setenv(kEnvironmentVariable, "chip=0x32,flash=MX25L1005,frobnicate=1", 1);
  EXPECT_FALSE(RegisterFromEnvironment(&error));
  EXPECT_NE(error.find("frobnicate"), std::string::npos) << error;
  EXPECT_EQ(error.find(kEnvironmentVariable), 0u) << error;
  EXPECT_EQ(error.find(kEnvironmentVariable, 1), std::string::npos) << "the variable is named once: " << error;

  ::setenv(kEnvironmentVariable, "chip=0x25,devices=foreign+camera,xu_node=none,answer_node=2", 1);
  ASSERT_TRUE(RegisterFromEnvironment(&error)) << error;
  ASSERT_EQ(platform::RegisteredVideoInputDevices().size(), 2u);
  {
    CameraHost host(1, 2);
    EXPECT_EQ(host.Reg(0x101F), 0x25);
  }
  EXPECT_EQ(EnvironmentCamera()->Config().chipId, 0x25);
  ::unsetenv(kEnvironmentVariable);
}

}  // namespace
}  // namespace simcam::testing
