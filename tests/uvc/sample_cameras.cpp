#include "tests/uvc/sample_cameras.h"

namespace uvc_test {

Bytes ToolCameraDescriptors() {
  return CameraDescriptors({CameraTerminal(1), ProcessingUnit(2, 1), ExtensionUnit(kForeignUnit, kForeignUnitGuid, {0x3F}, {2}),
                            ExtensionUnit(kToolUnit, PROPSETID_EXTENSION_UNIT, {0x1F}, {2}), OutputTerminal(5, kToolUnit)});
}

MachineCamera ToolCamera() {
  MachineCamera camera;
  camera.port = "1-2";
  camera.vendor = 0x1b3f;
  camera.product = 0x2247;
  camera.name = "Flash Camera";
  camera.descriptors = ToolCameraDescriptors();
  camera.nodes = {2, 3};
  FakeUnit tool{kToolUnit, {}};
  for (std::uint8_t selector = 1; selector <= 5; ++selector) tool.controls[selector] = {kToolControlLengths[selector - 1], 0x03};
  FakeUnit foreign{kForeignUnit, {}};
  for (std::uint8_t selector = 1; selector <= 6; ++selector) foreign.controls[selector] = {2, 0x03};
  camera.units = {foreign, tool};
  return camera;
}

MachineCamera ForeignWebcam() {
  MachineCamera camera;
  camera.port = "1-1";
  camera.vendor = 0x046d;
  camera.product = 0x0825;
  camera.name = "Integrated Webcam";
  camera.descriptors = CameraDescriptors({CameraTerminal(1), ProcessingUnit(2, 1),
                                          ExtensionUnit(3, kForeignUnitGuid, {0x3F}, {2}), OutputTerminal(5, 3)});
  camera.nodes = {0, 1};
  FakeUnit foreign{3, {}};
  for (std::uint8_t selector = 1; selector <= 6; ++selector) foreign.controls[selector] = {2, 0x03};
  camera.units = {foreign};
  return camera;
}

}  // namespace uvc_test
