#pragma once
// Fixture of the burner's device tests: a clean device registry, library and globals, the virtual
// clock, a recording dialog context, and readable forms of the camera's traces.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "burner/burner_globals.h"
#include "burner/camera_discovery.h"
#include "platform/com/unknown.h"
#include "platform/devices/device_registry.h"
#include "platform/runtime/clock.h"
#include "serial_flash/library_state_for_test.h"
#include "simulated_camera/simulated_camera.h"
#include "tests/burner/recording_context.h"
#include "tests/support/hex_bytes.h"

namespace burner_test {

using test_support::HexBytes;

// "XU SET 1 @2 [1F 10 00 FF] ok", "A GET 0 @0 [...] fail" ...
inline std::string Describe(const simcam::RequestRecord& r) {
  using Via = simcam::RequestRecord::Via;
  using Kind = simcam::RequestRecord::Kind;
  std::string via = r.via == Via::ExtensionUnit ? "XU" : r.via == Via::FallbackA ? "A" : "B";
  std::string kind = r.kind == Kind::Set ? "SET" : r.kind == Kind::Get ? "GET" : "PROBE";
  return "dev" + std::to_string(r.device) + " " + via + " " + kind + " " + std::to_string(r.control) + " @" +
         std::to_string(r.nodeId) + " [" + HexBytes(r.payload) + "] " + (r.result == S_OK ? "ok" : "fail");
}

inline std::vector<std::string> Describe(const std::vector<simcam::RequestRecord>& records) {
  std::vector<std::string> out;
  for (const auto& r : records) out.push_back(Describe(r));
  return out;
}

// Controller register traffic of the extension unit's control 1, as "W 1080=01" and "R 1083".
// A read is its SET; the GET that follows is folded into it.
inline std::vector<std::string> RegisterTraffic(const std::vector<simcam::RequestRecord>& records) {
  std::vector<std::string> out;
  for (const auto& r : records) {
    if (r.via != simcam::RequestRecord::Via::ExtensionUnit || r.control != 1 ||
        r.kind != simcam::RequestRecord::Kind::Set || r.payload.size() != 4) {
      continue;
    }
    char buf[16];
    const unsigned reg = r.payload[0] | (r.payload[1] << 8);
    if (r.payload[3] == 0xFF) {
      std::snprintf(buf, sizeof buf, "R %04X", reg);
    } else {
      std::snprintf(buf, sizeof buf, "W %04X=%02X", reg, r.payload[2]);
    }
    out.push_back(buf);
  }
  return out;
}

// Serial-flash frames the host sent (not the controller's own), as "9F < C2 20 11" or "01 00".
inline std::vector<std::string> HostFrames(const std::vector<simcam::SpiFrame>& frames) {
  std::vector<std::string> out;
  for (const auto& f : frames) {
    if (f.fromFirmware) continue;
    std::string text = HexBytes({f.opcode});
    if (!f.in.empty()) text += " " + HexBytes(f.in);
    if (!f.out.empty()) text += " < " + HexBytes(f.out);
    out.push_back(text);
  }
  return out;
}

inline std::vector<std::uint8_t> HostOpcodes(const std::vector<simcam::SpiFrame>& frames) {
  std::vector<std::uint8_t> out;
  for (const auto& f : frames) {
    if (!f.fromFirmware) out.push_back(f.opcode);
  }
  return out;
}

class CameraTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::ClearVideoInputDevices();
    platform::UseVirtualClock();
    platform::ResetSleepStats();
    SFResetLibraryStateForTest();
    g_chipId = 0;
    g_bankFlag = 0;
    liveObjectsBefore_ = platform::LiveComObjects();
    ctx = std::make_unique<RecordingContext>();
  }

  void TearDown() override {
    ctx.reset();
    SFResetLibraryStateForTest();
    platform::ClearVideoInputDevices();
    cameras_.clear();
    g_bankFlag = 0;
    g_chipId = 0;
    EXPECT_EQ(platform::LiveComObjects(), liveObjectsBefore_) << "a COM reference leaked";
  }

  // A camera model whose devices join the enumeration.
  std::shared_ptr<simcam::SimulatedCamera> Attach(const simcam::CameraConfig& config) {
    std::string error;
    auto camera = simcam::SimulatedCamera::Create(config, &error);
    EXPECT_TRUE(camera) << error;
    if (camera) {
      camera->SetTracing(true);  // the tests read the requests
      camera->Register();
      cameras_.push_back(camera);
    }
    return camera;
  }

  // A camera with the given flash, bound by discovery, the trace cleared.
  std::shared_ptr<simcam::SimulatedCamera> AttachAndDiscover(simcam::CameraConfig config) {
    auto camera = Attach(config);
    EXPECT_EQ(FindVideoDevice(*ctx), 0);
    if (camera) camera->ClearTrace();
    return camera;
  }

  static simcam::CameraConfig ConfigWithFlash(const simcam::FlashProfile& flash) {
    simcam::CameraConfig config;
    config.flash = flash;
    return config;
  }

  std::unique_ptr<RecordingContext> ctx;

 private:
  std::size_t liveObjectsBefore_ = 0;
  std::vector<std::shared_ptr<simcam::SimulatedCamera>> cameras_;
};

}  // namespace burner_test
