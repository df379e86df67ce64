// The burn, erase and export workflow tests again, this time on the real-camera provider's road.
#include <gtest/gtest.h>

#include "tests/burner/workflow_fixture.h"

int main(int argc, char** argv) {
  burner_test::g_cameraRoad = burner_test::CameraRoad::RealCameraProvider;
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
