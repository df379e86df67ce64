#pragma once
// The cameras the real-camera tests attach: this tool's camera and a foreign webcam.
#include "tests/uvc/fake_machine.h"

namespace uvc_test {

// Some other vendor's extension unit.
inline constexpr GUID kForeignUnitGuid = {0x69678EE4, 0x410F, 0x40DB, {0xA8, 0x50, 0x74, 0x20, 0xD7, 0xD8, 0x24, 0x0E}};

// The tool's camera: camera terminal 1, processing unit 2, a foreign extension unit 4, the tool's
// extension unit with selectors 1 to 5 and unit id kToolUnit, streaming output terminal 5. Nodes in
// that order, so the tool's unit is node kToolNode: neither its unit id nor its descriptor's place
// among units only.
inline constexpr std::uint8_t kToolUnit = 0x9A;
inline constexpr unsigned kToolNode = 3;
inline constexpr std::uint8_t kForeignUnit = 4;
// GET_LEN of the tool's controls 1 to 5.
inline constexpr std::uint16_t kToolControlLengths[] = {4, 8, 12, 12, 12};

Bytes ToolCameraDescriptors();
// The tool's camera on port 1-2 at video2 (metadata video3); uvcvideo reaches both extension units.
MachineCamera ToolCamera();
// A webcam without the tool's unit on port 1-1 at video0 (metadata video1).
MachineCamera ForeignWebcam();

}  // namespace uvc_test
