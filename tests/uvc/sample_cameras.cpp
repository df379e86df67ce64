#include "tests/uvc/sample_cameras.h"

namespace uvc_test {
namespace {

// A foreign unit's six controls (bmControls 0x3F) of two bytes each.
FakeUnit ForeignUnit(std::uint8_t id) {
  FakeUnit unit{id, {}};
  for (std::uint8_t selector = 1; selector <= 6; ++selector) unit.controls[selector] = {2, 0x03};
  return unit;
}

}  // namespace

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
  camera.units = {ForeignUnit(kForeignUnit), tool};
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
  camera.units = {ForeignUnit(3)};
  return camera;
}

}  // namespace uvc_test
