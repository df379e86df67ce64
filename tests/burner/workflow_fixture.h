#pragma once
// A simulated camera found by discovery, a recording dialog context and clean process state, for
// the tests of the burn, erase and export workflows and the firmware information readers.
//
// The same tests run on two roads to the camera: through the simulated camera's own devices, and
// through the real-camera provider over a fake uvcvideo whose extension unit is the simulated
// camera's (tests/uvc/simulated_camera_behind_uvc.h). workflows_over_uvc_tests, built from these
// files in tests/uvc/, sets g_cameraRoad before its tests run.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "burner/burner_globals.h"
#include "burner/camera_discovery.h"
#include "burner/control_ids.h"
#include "platform/devices/device_registry.h"
#include "platform/runtime/clock.h"
#include "serial_flash/library_state_for_test.h"
#include "simulated_camera/simulated_camera.h"
#include "tests/burner/recording_context.h"
#include "tests/uvc/simulated_camera_behind_uvc.h"

namespace burner_test {

enum class CameraRoad { SimulatedDevices, RealCameraProvider };
inline CameraRoad g_cameraRoad = CameraRoad::SimulatedDevices;

class WorkflowTest : public ::testing::Test {
 public:
  void SetUp() override {
    platform::UseVirtualClock();  // erase and programming busy times pass at once
    platform::ClearVideoInputDevices();
    SFResetLibraryStateForTest();
    g_bankFlag = 0;
    g_chipId = 0;
    g_imageBuffer = nullptr;
    if (ctx.m_pFilter != nullptr) std::exchange(ctx.m_pFilter, nullptr)->Release();
    ctx.effects.clear();
    ctx.onEffect = nullptr;
  }

  void TearDown() override {
    g_imageBuffer = nullptr;
    SFResetLibraryStateForTest();
    platform::ClearVideoInputDevices();
    platform::UseRealClock();
  }

  // Registers the camera and runs discovery, as the click handlers do before a workflow starts;
  // the trace then starts empty.
  void StartCamera(const simcam::CameraConfig& config) {
    std::string error;
    camera = simcam::SimulatedCamera::Create(config, &error);
    ASSERT_NE(camera, nullptr) << error;
    camera->SetTracing(true);  // the tests count requests
    if (road == CameraRoad::RealCameraProvider) {
      ASSERT_TRUE(RoadCarries(config)) << "a device fault the real-camera provider's devices cannot have";
      behindUvc = std::make_unique<uvc_test::SimulatedCameraBehindUvc>(*camera);
    } else {
      camera->Register();
    }
    ASSERT_EQ(FindVideoDevice(ctx), 0);
    if (behindUvc) behindUvc->MarkBurnerNode();
    camera->ClearTrace();
    ctx.effects.clear();
  }

  // Whether this road can stage the camera: the real-camera provider's devices offer exactly one
  // camera whose name, path and filter never fail.
  bool RoadCarries(const simcam::CameraConfig& config) const {
    if (road == CameraRoad::SimulatedDevices) return true;
    if (config.devices.size() != 1) return false;
    const simcam::DeviceSpec& d = config.devices[0];
    return d.kind == simcam::DeviceKind::Camera && d.bindToStorage == S_OK && d.friendlyNameRead == S_OK &&
           d.devicePathRead == S_OK && d.bindToObject == S_OK && d.refusedInterfaces.empty();
  }

  static simcam::CameraConfig Config(std::uint8_t chipId = 0x32) {
    simcam::CameraConfig config;
    config.chipId = chipId;
    return config;
  }

  // Makes image the loaded image of the dialog.
  void Load(std::vector<std::uint8_t>& image) {
    image.resize(kImageSize, 0xFF);
    g_imageBuffer = image.data();
  }

  // Effects other than the positions of bar 1003, which move thousands of times.
  std::vector<Effect> EffectsWithoutWorkPositions() const {
    std::vector<Effect> out;
    for (const Effect& e : ctx.effects) {
      if (!(e.kind == EffectKind::SetProgressPos && e.id == IDC_PROGRESS_WORK)) out.push_back(e);
    }
    return out;
  }

  std::vector<int> WorkPositions() const {
    std::vector<int> out;
    for (const Effect& e : ctx.effects) {
      if (e.kind == EffectKind::SetProgressPos && e.id == IDC_PROGRESS_WORK) out.push_back(e.value);
    }
    return out;
  }

  // The burner's eight-byte transfers: control-3 SETs whose command byte has bit 7 clear (write)
  // or set (read; each read is followed by a GET).
  static bool IsFlashWrite(const simcam::RequestRecord& r) {
    return r.control == 3 && r.kind == simcam::RequestRecord::Kind::Set && r.payload.size() == 11 &&
           (r.payload[2] & 0x80) == 0;
  }
  static bool IsFlashRead(const simcam::RequestRecord& r) {
    return r.control == 3 && r.kind == simcam::RequestRecord::Kind::Set && r.payload.size() == 11 &&
           (r.payload[2] & 0x80) != 0;
  }
  template <class Predicate>
  std::size_t Count(Predicate predicate) const {
    const std::vector<simcam::RequestRecord> trace = camera->Requests();
    return static_cast<std::size_t>(std::count_if(trace.begin(), trace.end(), predicate));
  }
  // 17-bit offset of a transfer: payload bytes 0 and 1 and the bank bit of the command byte.
  static std::uint32_t TransferOffset(const simcam::RequestRecord& r) {
    return r.payload[0] | (r.payload[1] << 8) | ((r.payload[2] & 0x10) != 0 ? 0x10000u : 0u);
  }

  // Adds a fault once the workflow has shown these effects in this order (others may come
  // between), so that a fault hits one stage only.
  void FaultAfter(std::vector<Effect> sequence, const simcam::Fault& fault) {
    ctx.onEffect = [this, sequence = std::move(sequence), fault, next = std::size_t{0}](const Effect& e) mutable {
      if (next < sequence.size() && e == sequence[next] && ++next == sequence.size()) camera->AddFault(fault);
    };
  }

  CameraRoad road = g_cameraRoad;
  std::shared_ptr<simcam::SimulatedCamera> camera;
  std::unique_ptr<uvc_test::SimulatedCameraBehindUvc> behindUvc;  // on the provider's road
  RecordingContext ctx;
};

}  // namespace burner_test
