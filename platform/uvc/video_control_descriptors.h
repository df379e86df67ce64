#pragma once
// The units and terminals of one UVC VideoControl interface, read from the USB descriptors the
// kernel publishes in sysfs (the device descriptor, then every configuration as the camera sent
// it). The bytes come from the camera and are taken as hostile: a descriptor that is too short for
// its fields is skipped, and a length byte that cannot be stepped over ends the walk; nothing is
// read past a descriptor's own bLength.
#include <cstdint>
#include <span>
#include <vector>

#include "platform/com/guid.h"

namespace platform::uvc {

// VideoControl interface descriptor subtypes that become topology nodes.
enum class EntityKind : std::uint8_t {
  InputTerminal = 0x02,
  OutputTerminal = 0x03,
  SelectorUnit = 0x04,
  ProcessingUnit = 0x05,
  ExtensionUnit = 0x06,
};

struct VideoControlEntity {
  EntityKind kind = EntityKind::InputTerminal;
  std::uint8_t id = 0;                  // bTerminalID or bUnitID
  std::uint16_t terminalType = 0;       // terminals only
  GUID extensionCode{};                 // extension units only: guidExtensionCode
  std::vector<std::uint8_t> controls;   // extension units only: bmControls, bit k = selector k + 1

  bool HasSelector(unsigned selector) const;
};

// The entities of VideoControl interface `interfaceNumber`, alternate setting 0, in the
// configuration whose bConfigurationValue is `configuration`, in descriptor order. Empty when that
// interface is not there. Like the kernel, it takes the class-specific descriptors between the
// interface descriptor and the next endpoint, interface or configuration descriptor.
std::vector<VideoControlEntity> ParseVideoControl(std::span<const std::uint8_t> descriptors, int configuration,
                                                  int interfaceNumber);

// A GUID as a descriptor carries it: Data1, Data2 and Data3 little-endian, then Data4.
GUID GuidFromDescriptorBytes(std::span<const std::uint8_t, 16> bytes);

}  // namespace platform::uvc
