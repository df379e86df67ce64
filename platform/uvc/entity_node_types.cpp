#include "platform/uvc/entity_node_types.h"

namespace platform::uvc {
namespace {

// The platform's published video node types (same family as KSNODETYPE_VIDEO_PROCESSING).
constexpr GUID kNodeTypeVideoStreaming = {0xDFF229E1, 0xF70F, 0x11D0, {0xB9, 0x17, 0x00, 0xA0, 0xC9, 0x22, 0x31, 0x96}};
constexpr GUID kNodeTypeVideoInputTerminal = {0xDFF229E2, 0xF70F, 0x11D0, {0xB9, 0x17, 0x00, 0xA0, 0xC9, 0x22, 0x31, 0x96}};
constexpr GUID kNodeTypeVideoOutputTerminal = {0xDFF229E3, 0xF70F, 0x11D0, {0xB9, 0x17, 0x00, 0xA0, 0xC9, 0x22, 0x31, 0x96}};
constexpr GUID kNodeTypeVideoSelector = {0xDFF229E4, 0xF70F, 0x11D0, {0xB9, 0x17, 0x00, 0xA0, 0xC9, 0x22, 0x31, 0x96}};
constexpr GUID kNodeTypeVideoCameraTerminal = {0xDFF229E6, 0xF70F, 0x11D0, {0xB9, 0x17, 0x00, 0xA0, 0xC9, 0x22, 0x31, 0x96}};

constexpr std::uint16_t kTerminalCamera = 0x0201;
constexpr std::uint16_t kTerminalStreaming = 0x0101;

}  // namespace

GUID NodeTypeOf(const VideoControlEntity& entity) {
  switch (entity.kind) {
    case EntityKind::InputTerminal:
      return entity.terminalType == kTerminalCamera ? kNodeTypeVideoCameraTerminal : kNodeTypeVideoInputTerminal;
    case EntityKind::OutputTerminal:
      return entity.terminalType == kTerminalStreaming ? kNodeTypeVideoStreaming : kNodeTypeVideoOutputTerminal;
    case EntityKind::SelectorUnit:
      return kNodeTypeVideoSelector;
    case EntityKind::ProcessingUnit:
      return KSNODETYPE_VIDEO_PROCESSING;
    case EntityKind::ExtensionUnit:
      return KSNODETYPE_DEV_SPECIFIC;
  }
  return kNodeTypeVideoInputTerminal;
}

}  // namespace platform::uvc
