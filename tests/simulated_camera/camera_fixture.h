#pragma once
// Each test starts from an empty device registry on the virtual clock and must leave every COM
// object it took released.
#include <gtest/gtest.h>

#include <memory>

#include "camera_host.h"
#include "platform/com/unknown.h"
#include "platform/devices/device_registry.h"
#include "platform/runtime/clock.h"
#include "simulated_camera/simulated_camera.h"

namespace simcam::testing {

class CameraTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::ClearVideoInputDevices();
    platform::UseVirtualClock();
    liveAtStart_ = platform::LiveComObjects();
  }
  void TearDown() override {
    platform::ClearVideoInputDevices();
    EXPECT_EQ(platform::LiveComObjects(), liveAtStart_) << "a COM object was left alive";
  }
  // Creates and registers a camera; requests go to the configured answer node.
  std::shared_ptr<SimulatedCamera> Start(const CameraConfig& config) {
    std::string error;
    auto camera = SimulatedCamera::Create(config, &error);
    EXPECT_NE(camera, nullptr) << error;
    if (camera) {
      camera->SetTracing(true);  // the tests read the requests and frames
      camera->Register();
    }
    return camera;
  }
  static std::uint32_t AnswerNode(const CameraConfig& config) {
    return config.extensionUnitNode >= 0 ? static_cast<std::uint32_t>(config.extensionUnitNode) : config.answerNodeId;
  }

 private:
  std::size_t liveAtStart_ = 0;
};

}  // namespace simcam::testing
