#include "platform/uvc/video_control_descriptors.h"

#include <cstddef>

namespace platform::uvc {
namespace {

// Standard descriptor types.
constexpr std::uint8_t kTypeConfiguration = 0x02;
constexpr std::uint8_t kTypeInterface = 0x04;
constexpr std::uint8_t kTypeEndpoint = 0x05;
constexpr std::uint8_t kTypeClassInterface = 0x24;  // CS_INTERFACE

constexpr std::size_t kConfigurationSize = 9;  // bytes
constexpr std::size_t kConfigurationValueAt = 5;
constexpr std::size_t kInterfaceSize = 9;  // bytes
constexpr std::size_t kInterfaceNumberAt = 2;
constexpr std::size_t kAlternateSettingAt = 3;
constexpr std::size_t kInterfaceClassAt = 5;
constexpr std::size_t kInterfaceSubClassAt = 6;
constexpr std::uint8_t kClassVideo = 0x0E;
constexpr std::uint8_t kSubClassVideoControl = 0x01;

constexpr std::size_t kSubtypeAt = 2;
constexpr std::size_t kIdAt = 3;
constexpr std::size_t kTerminalTypeAt = 4;
constexpr std::uint16_t kTerminalCamera = 0x0201;

// Fixed sizes of the entity descriptors, up to their variable parts (UVC 1.1, 3.7.2).
constexpr std::size_t kInputTerminalSize = 8;      // + camera fields below
constexpr std::size_t kCameraControlSizeAt = 14;   // camera terminal: bControlSize, bmControls follow
constexpr std::size_t kOutputTerminalSize = 9;
constexpr std::size_t kSelectorPinsAt = 4;         // bNrInPins; baSourceID[p], iSelector follow
constexpr std::size_t kProcessingControlSizeAt = 7; // bControlSize; bmControls[n], iProcessing follow
constexpr std::size_t kExtensionGuidAt = 4;
constexpr std::size_t kExtensionPinsAt = 21;       // bNrInPins; baSourceID[p], bControlSize, bmControls[n], iExtension

std::uint16_t Le16(std::span<const std::uint8_t> d, std::size_t at) {
  return static_cast<std::uint16_t>(d[at] | (d[at + 1] << 8));
}

// One class-specific VideoControl descriptor; false when it is not a node or does not hold its fields.
bool ReadEntity(std::span<const std::uint8_t> d, VideoControlEntity& entity) {
  if (d.size() <= kIdAt) return false;
  entity.id = d[kIdAt];
  switch (d[kSubtypeAt]) {
    case static_cast<std::uint8_t>(EntityKind::InputTerminal): {
      if (d.size() < kInputTerminalSize) return false;
      entity.kind = EntityKind::InputTerminal;
      entity.terminalType = Le16(d, kTerminalTypeAt);
      if (entity.terminalType != kTerminalCamera) return true;
      return d.size() > kCameraControlSizeAt && d.size() >= kCameraControlSizeAt + 1 + d[kCameraControlSizeAt];
    }
    case static_cast<std::uint8_t>(EntityKind::OutputTerminal):
      entity.kind = EntityKind::OutputTerminal;
      if (d.size() < kOutputTerminalSize) return false;
      entity.terminalType = Le16(d, kTerminalTypeAt);
      return true;
    case static_cast<std::uint8_t>(EntityKind::SelectorUnit):
      entity.kind = EntityKind::SelectorUnit;
      return d.size() > kSelectorPinsAt && d.size() >= kSelectorPinsAt + 2 + d[kSelectorPinsAt];
    case static_cast<std::uint8_t>(EntityKind::ProcessingUnit):
      entity.kind = EntityKind::ProcessingUnit;
      return d.size() > kProcessingControlSizeAt && d.size() >= kProcessingControlSizeAt + 2 + d[kProcessingControlSizeAt];
    case static_cast<std::uint8_t>(EntityKind::ExtensionUnit): {
      entity.kind = EntityKind::ExtensionUnit;
      if (d.size() <= kExtensionPinsAt) return false;
      const std::size_t controlSizeAt = kExtensionPinsAt + 1 + d[kExtensionPinsAt];
      if (d.size() <= controlSizeAt) return false;
      const std::size_t controlsAt = controlSizeAt + 1;
      const std::size_t controlSize = d[controlSizeAt];
      if (d.size() < controlsAt + controlSize + 1) return false;  // iExtension ends it
      entity.extensionCode = GuidFromDescriptorBytes(d.subspan(kExtensionGuidAt).first<16>());
      entity.controls.assign(d.begin() + static_cast<std::ptrdiff_t>(controlsAt),
                             d.begin() + static_cast<std::ptrdiff_t>(controlsAt + controlSize));
      return true;
    }
    default:
      return false;  // the header, encoding units (unknown to the kernel we serve) and anything newer
  }
}

}  // namespace

bool VideoControlEntity::HasSelector(unsigned selector) const {
  if (selector == 0) return false;
  const unsigned bit = selector - 1;
  return bit / 8 < controls.size() && (controls[bit / 8] >> (bit % 8) & 1) != 0;
}

GUID GuidFromDescriptorBytes(std::span<const std::uint8_t, 16> b) {
  GUID guid{};
  guid.Data1 = static_cast<std::uint32_t>(b[0]) | static_cast<std::uint32_t>(b[1]) << 8 |
               static_cast<std::uint32_t>(b[2]) << 16 | static_cast<std::uint32_t>(b[3]) << 24;
  guid.Data2 = static_cast<std::uint16_t>(b[4] | b[5] << 8);
  guid.Data3 = static_cast<std::uint16_t>(b[6] | b[7] << 8);
  for (std::size_t i = 0; i < 8; ++i) guid.Data4[i] = b[8 + i];
  return guid;
}

std::vector<VideoControlEntity> ParseVideoControl(std::span<const std::uint8_t> descriptors, int configuration,
                                                  int interfaceNumber) {
  std::vector<VideoControlEntity> entities;
  bool inConfiguration = false;
  bool inInterface = false;
  bool interfaceSeen = false;  // a second alternate setting 0 of the same interface is ignored, as the kernel does
  std::size_t at = 0;
  while (descriptors.size() - at >= 2) {
    const std::size_t length = descriptors[at];
    // The kernel drops the rest of a configuration at such a length; nothing after it can be placed.
    if (length < 2 || length > descriptors.size() - at) break;
    const std::span<const std::uint8_t> d = descriptors.subspan(at, length);
    at += length;
    switch (d[1]) {
      case kTypeConfiguration:
        inInterface = false;
        inConfiguration = d.size() >= kConfigurationSize && d[kConfigurationValueAt] == configuration;
        break;
      case kTypeInterface:
        inInterface = inConfiguration && !interfaceSeen && d.size() >= kInterfaceSize &&
                      d[kInterfaceNumberAt] == interfaceNumber && d[kAlternateSettingAt] == 0 &&
                      d[kInterfaceClassAt] == kClassVideo && d[kInterfaceSubClassAt] == kSubClassVideoControl;
        interfaceSeen = interfaceSeen || inInterface;
        break;
      case kTypeEndpoint:
        inInterface = false;
        break;
      case kTypeClassInterface:
        if (inInterface) {
          VideoControlEntity entity;
          if (ReadEntity(d, entity)) entities.push_back(std::move(entity));
        }
        break;
      default:
        break;
    }
  }
  return entities;
}

}  // namespace platform::uvc
