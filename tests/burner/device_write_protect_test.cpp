// Write-protect control around the library: open failures, the chip-ID read, the configuration
// byte's address and the arguments handed to the library's routine.
#include "burner/write_protect_control.h"
#include "serial_flash/serial_flash.h"
#include "tests/burner/camera_fixture.h"

namespace burner_test {
namespace {

using Kind = simcam::RequestRecord::Kind;

// The flash address of each one-byte flash read the library made (control-3 read-address SETs).
std::vector<unsigned> FlashReadAddresses(const std::vector<simcam::RequestRecord>& requests) {
  std::vector<unsigned> out;
  for (const auto& r : requests) {
    if (r.control == 3 && r.kind == Kind::Set && r.payload.size() >= 3 && (r.payload[2] & 0x80) != 0) {
      out.push_back(r.payload[0] | (r.payload[1] << 8));
    }
  }
  return out;
}

int WritesTo(const std::vector<std::string>& traffic, const char* reg) {
  return static_cast<int>(std::count_if(traffic.begin(), traffic.end(), [&](const std::string& t) {
    return t.rfind(std::string("W ") + reg + "=", 0) == 0;
  }));
}

class DeviceWriteProtect : public CameraTest {
 protected:
  void TearDown() override {
    SFClose();
    CameraTest::TearDown();
  }
};

TEST_F(DeviceWriteProtect, OpenFailuresAreShownAndCloseNothing) {
  struct Case {
    const char* what;
    bool anyDevice;
    std::function<void(simcam::DeviceSpec&)> change;
    std::wstring message;
  } cases[] = {
      {"open result -1", false, nullptr, L"No Device!"},
      {"open result -2", true, [](simcam::DeviceSpec& d) { d.bindToObject = E_FAIL; }, L"Unknown Backend!"},
      {"open result 0", true, [](simcam::DeviceSpec& d) { d.devicePathRead = E_FAIL; }, L"Camera init failed!"},
  };
  for (const Case& c : cases) {
    for (auto* change : {&DisableFlashWriteProtect, &EnableFlashWriteProtect}) {
      SCOPED_TRACE(c.what);
      // The library is open from an earlier change; the failed open must leave it so.
      auto good = Attach(simcam::CameraConfig{});
      ASSERT_EQ(SFOpen(), SF_OPEN_OK);
      platform::ClearVideoInputDevices();
      if (c.anyDevice) {
        simcam::CameraConfig config;
        c.change(config.devices[0]);
        Attach(config);
      }
      ctx = std::make_unique<RecordingContext>();
      g_chipId = 0x44;

      EXPECT_EQ(change(*ctx), 0);
      EXPECT_EQ(ctx->effects, (std::vector<Effect>{Message(c.message)}));
      EXPECT_EQ(g_chipId, 0x44);
      EXPECT_TRUE(SFClose()) << "the slot was still open";
      platform::ClearVideoInputDevices();
    }
  }
}

TEST_F(DeviceWriteProtect, FailedChipIdReadClosesTheLibrary) {
  Attach(simcam::CameraConfig{});
  g_chipId = 0x44;
  // No discovery: the dialog holds no filter, so its chip-ID read fails while the library opens.
  EXPECT_EQ(DisableFlashWriteProtect(*ctx), 0);
  EXPECT_EQ(ctx->effects, (std::vector<Effect>{Message(L"GetChipIDValue Failed!")}));
  EXPECT_EQ(g_chipId, 0x44);
  EXPECT_FALSE(SFClose()) << "already closed";
}

TEST_F(DeviceWriteProtect, ConfigurationByteIsReadAtTheChipsAddress) {
  struct Case {
    std::uint8_t chipId;
    unsigned address;
  } cases[] = {{0x33, 0x000F}, {0x32, 0xC034}, {0x75, 0xC034}, {0x76, 0xC034}, {0x16, 0x5834}, {0x17, 0x8034}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.chipId);
    EXPECT_EQ(WriteProtectConfigAddress(c.chipId), c.address);
    simcam::CameraConfig config;
    config.chipId = c.chipId;
    auto camera = AttachAndDiscover(config);

    EXPECT_EQ(DisableFlashWriteProtect(*ctx), 1);
    EXPECT_EQ(g_chipId, c.chipId);
    EXPECT_TRUE(ctx->effects.empty());
    const auto reads = FlashReadAddresses(camera->Requests());
    ASSERT_FALSE(reads.empty());
    EXPECT_EQ(reads.front(), c.address);
    EXPECT_FALSE(camera->WriteProtectAsserted()) << "the sample's configuration byte lifts the pin";
    EXPECT_TRUE(SFClose()) << "the disable leaves the library open";
    ctx = std::make_unique<RecordingContext>();
    platform::ClearVideoInputDevices();
  }
}

TEST_F(DeviceWriteProtect, FailedConfigurationReadStillCallsTheRoutineWithZero) {
  auto camera = AttachAndDiscover(simcam::CameraConfig{});
  camera->AddFault({.kind = simcam::Fault::Kind::FailRequest, .match = {.control = 3, .kind = Kind::Get},
                    .repeat = ~0u});
  EXPECT_EQ(DisableFlashWriteProtect(*ctx), 1);
  const auto traffic = RegisterTraffic(camera->Requests());
  // Configuration byte 0 drives no pin: 0x1007 is written only by the routine's final bit step,
  // and the flash's status register is still cleared.
  EXPECT_EQ(WritesTo(traffic, "1007"), 1) << testing::PrintToString(traffic);
  const auto frames = HostFrames(camera->SpiFrames());
  EXPECT_NE(std::find(frames.begin(), frames.end(), "01 00"), frames.end());
}

TEST_F(DeviceWriteProtect, EnablePassesAFreshGpioVariable) {
  auto camera = AttachAndDiscover(simcam::CameraConfig{});
  ASSERT_EQ(DisableFlashWriteProtect(*ctx), 1);
  ASSERT_FALSE(camera->WriteProtectAsserted());
  camera->ClearTrace();

  EXPECT_EQ(EnableFlashWriteProtect(*ctx), 1);
  const auto traffic = RegisterTraffic(camera->Requests());
  // Whatever pin the disable drove, the enable names no GPIO register: 0x1006 is not written,
  // and the routine still clears bit 0 of 0x1073.
  EXPECT_EQ(WritesTo(traffic, "1006"), 0) << testing::PrintToString(traffic);
  EXPECT_EQ(WritesTo(traffic, "1073"), 1);
  EXPECT_TRUE(SFClose()) << "the enable leaves the library open";
}

}  // namespace
}  // namespace burner_test
